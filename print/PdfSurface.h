#pragma once

#include "print/PainterSurface.h"

#include <QPdfWriter>
#include <QTemporaryFile>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace velmora::print {

// A print surface that writes each job to a PDF file, as a laser printer would print it.
//
// A job is written under a temporary name in the output's folder, through a file this surface owns
// so that every write error is seen (QPdfWriter itself drops them). Only when the job is complete
// (no write error, flushed and synced to the disk, ending in %%EOF, readable as a PDF with the pages
// that were drawn) is it renamed into place; a failed job leaves the previous file as it was and no
// half-written PDF under the name. A job that printed nothing removes a file of that name that this
// surface did not write itself, so an earlier run's output is never mistaken for this run's.
class PdfSurface : public PainterSurface {
public:
    explicit PdfSurface(std::string outputFile = {});
    ~PdfSurface() override;

    // The file the next job is written to; a job already started keeps its file.
    void setOutputFile(std::string path) { outputFile_ = std::move(path); }
    std::optional<std::filesystem::path> outputFile() const override;

    // A PDF has no printer behind it: nothing is cut off in the file, so everything from the
    // printable origin to the paper's right and bottom edges counts as printable.
    std::optional<PrintableArea> printableArea() const override { return paperArea(); }
    static PrintableArea paperArea();

    // Checks a finished PDF: it ends in %%EOF and reads as a PDF of `pages` pages.
    static Status verifyPdf(const std::filesystem::path& file, int pages);
    // A writer of letter pages in portrait orientation at the font metrics' resolution into `file`,
    // with its origin on the paper's corner (the printable origin is added when drawing).
    static std::unique_ptr<QPdfWriter> letterWriter(QIODevice& file);

protected:
    QPaintDevice* openJob(Status& failure) override;
    QPointF printableOrigin(const QPaintDevice& device) const override;
    double linePixelsPerInch(const QPaintDevice& device) const override;
    std::string jobStartFailure() const override;
    Status completeJob(int pages) override;
    void jobClosed() override;
    Status emptyJobEnded() override;

private:
    std::string outputFile_;
    std::string jobFile_;
    std::string startFailure_;
    std::unique_ptr<QTemporaryFile> file_;
    std::unique_ptr<QPdfWriter> writer_;
    std::vector<std::filesystem::path> written_; // the files this surface's jobs wrote
};

} // namespace velmora::print
