#pragma once

#include "print/PainterSurface.h"
#include "print/PdfJobSurface.h"

#include <QTemporaryFile>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace velmora::print {

// A print surface that writes each job to a PDF file, as a laser printer would print it.
//
// A job is written under a temporary name in the output's folder, through a file this surface owns
// so that every write error is seen. Only when the job is complete (no write error, flushed and
// synced to the disk, and found on the disk to be a whole PDF of the pages that were drawn) is it
// renamed into place; a failed job leaves the previous file as it was and no half-written PDF under
// the name. A job that printed nothing removes a file of that name that this
// surface did not write itself, so an earlier run's output is never mistaken for this run's.
class PdfSurface : public PdfJobSurface {
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

    // Checks a finished PDF as it lies on the disk, without reading more of it than its index says:
    // it ends in %%EOF after the offset of its cross-reference table, the table lists every object
    // at an offset inside the file where that object begins, and the page tree's count is `pages`.
    static Status verifyPdf(const std::filesystem::path& file, int pages);

protected:
    QIODevice* openJob(Status& failure) override;
    QPointF printableOrigin() const override;
    double linePixelsPerInch() const override;
    std::string jobStartFailure() const override;
    Status completeJob(int pages, const Status& written) override;
    void jobClosed() override;
    Status emptyJobEnded() override;

private:
    std::string outputFile_;
    std::string jobFile_;
    std::string startFailure_;
    std::unique_ptr<QTemporaryFile> file_;
    std::vector<std::filesystem::path> written_; // the files this surface's jobs wrote
};

} // namespace velmora::print
