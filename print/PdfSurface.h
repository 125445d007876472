#pragma once

#include "base/OutputFile.h"
#include "print/PainterSurface.h"

#include <QPdfWriter>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace velmora::print {

class OutputDevice;

// A print surface that writes each job to a PDF file, as a laser printer would print it.
//
// A job goes through the program's writer (base/OutputFile.h), so that every write error is seen
// (QPdfWriter itself drops them): it is written under a private temporary name in the output's
// folder, and only when it is complete (no write error, synced to the disk, ending in %%EOF,
// readable as a PDF with the pages that were drawn) is it renamed into place; a failed job leaves the
// previous file as it was and no half-written PDF under the name. A job that printed nothing writes
// nothing and removes nothing.
class PdfSurface : public PainterSurface {
public:
    explicit PdfSurface(std::string outputFile = {});
    ~PdfSurface() override;

    // The file the next job is written to; a job already started keeps its file.
    void setOutputFile(std::string path) { outputFile_ = std::move(path); }
    // What the next jobs may write over (base/OutputFile.h): by default they replace a file of their
    // name and refuse only links, folders, devices and read-only files.
    void setOutputRules(OutputFile::Rules rules) { rules_ = std::move(rules); }
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

private:
    std::string outputFile_;
    OutputFile::Rules rules_;
    std::string jobFile_;
    std::string startFailure_;
    std::optional<OutputFile> file_;
    std::unique_ptr<OutputDevice> device_;
    std::unique_ptr<QPdfWriter> writer_;
};

} // namespace velmora::print
