#pragma once

#include "print/FontMetrics.h"
#include "print/PrintSurface.h"

#include <QPointF>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QIODevice;

namespace velmora::print {

class PdfDocument;

// A print surface whose jobs are PDF documents of letter pages in portrait orientation, written by
// PdfDocument as they are drawn: the PDF output's files and the jobs sent to a printer. The
// subclasses say where a job's bytes go, where the printable area starts on the paper and what
// becomes of a finished job; the drawing is the same. Text is drawn as the glyphs the shared font
// metrics shaped, so it lands exactly where a layout measured it.
class PdfJobSurface : public PrintSurface {
public:
    static constexpr double kLetterWidthPoints = 612;
    static constexpr double kLetterHeightPoints = 792;

    ~PdfJobSurface() override;

    const FontMetrics& metrics() const { return metrics_; }
    // The faces installed for Qt, and the names fontconfig makes metric twins of them.
    bool offers(const std::string& face) const override;

protected:
    PdfJobSurface();

    // Where a new job's bytes go; null, with the reason in `failure`, when the job cannot be prepared.
    virtual QIODevice* openJob(Status& failure) = 0;
    // Where twip (0, 0) lies, in points from the paper's top-left corner.
    virtual QPointF printableOrigin() const = 0;
    // The size of the "printer pixel" that line widths are given in, as pixels per inch.
    virtual double linePixelsPerInch() const = 0;
    // Why a job cannot start.
    virtual std::string jobStartFailure() const = 0;
    // Called at the end of a job of `pages` pages, with whether the device took every byte of it
    // (`taken`): the last chance to find that it did not reach its destination. A job the device
    // did not take whole must fail, best with the device's own reason.
    virtual Status completeJob(int pages, const Status& taken) = 0;
    // Called once the document has let go of the device at the end of a job.
    virtual void jobClosed() {}
    // Ends a job that is still open without reporting; subclasses call it from their destructor,
    // while their device still exists.
    void abandonJob();

    Status beginDocument() override;
    Status beginPage() override;
    Status finishDocument() override;
    Status drawText(double x, double y, const std::string& text, const FontState& font) override;
    Status drawLine(double x1, double y1, double x2, double y2, int width) override;
    double textWidth(const std::string& text, const FontState& font) const override;
    double lineHeight(const FontState& font) const override;
    const std::vector<std::string>& offeredFaces() const override;

private:
    Status jobFailure() const;
    // The document's number of the face `font` prints in.
    int documentFace(const FontState& font);

    FontMetrics metrics_;
    std::unique_ptr<PdfDocument> document_;
    QPointF origin_;
    double pointsPerLinePixel_ = 72 / 600.0;
    std::string failure_;
    // The faces of the job's document, by the face name and style they were asked for in.
    struct JobFace {
        std::string face;
        bool bold = false;
        bool italic = false;
        int number = 0;
    };
    std::vector<JobFace> jobFaces_;
    mutable std::optional<std::vector<std::string>> faces_;
};

} // namespace velmora::print
