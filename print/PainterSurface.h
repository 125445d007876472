#pragma once

#include "print/FontMetrics.h"
#include "print/PrintSurface.h"

#include <QPainter>
#include <QPointF>
#include <optional>
#include <string>
#include <vector>

class QPaintDevice;

namespace velmora::print {

// A print surface drawn with QPainter on a device: the image of one page of a preview. The subclasses
// say which device a job goes to and where its printable area starts. The PDF of a file or of a
// printer's job is written by PdfJobSurface instead, with the same shaped glyphs.
// Text is drawn as pre-shaped glyph runs from the shared font metrics, so it lands exactly where a
// layout measured it.
class PainterSurface : public PrintSurface {
public:
    // Where a PDF's printable area starts: it has no printer behind it, so it stands for a typical
    // laser printer, whose printable area starts a quarter inch from the top and left paper edges.
    // Line widths are given in that printer's pixels of 1/600 inch.
    static constexpr double pdfMarginInches = 0.25;
    static constexpr double pdfPixelsPerInch = 600;

    ~PainterSurface() override;

    const FontMetrics& metrics() const { return metrics_; }
    // The faces installed for Qt, and the names fontconfig makes metric twins of them.
    bool offers(const std::string& face) const override;

protected:
    PainterSurface() = default;

    // The device for a new job, set up for letter paper in portrait orientation; null, with the
    // reason in `failure`, when the job cannot be prepared. A device that is not a paged one (an
    // image) holds a single page.
    virtual QPaintDevice* openJob(Status& failure) = 0;
    // Where twip (0, 0) lies, in device pixels from the painter's origin on the device.
    virtual QPointF printableOrigin(const QPaintDevice& device) const = 0;
    // The size of the "printer pixel" that line widths are given in, as pixels per inch.
    virtual double linePixelsPerInch(const QPaintDevice& device) const = 0;
    // The device's resolution in pixels per inch, across and down.
    virtual QPointF resolution(const QPaintDevice& device) const;
    // Why a job cannot start when the painter refuses the device.
    virtual std::string jobStartFailure() const = 0;
    // Called when the painter has written the whole job of `pages` pages to the device: the last
    // chance to find that it did not reach its destination.
    virtual Status completeJob(int /*pages*/) { return {}; }
    // Called once the painter has let go of the device at the end of a job.
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

    FontMetrics metrics_;
    QPainter painter_;
    QPaintDevice* device_ = nullptr;
    double penDotsPerPixel_ = 1;
    int jobPages_ = 0;
    std::string failure_;
    mutable std::optional<std::vector<std::string>> faces_;
};

} // namespace velmora::print
