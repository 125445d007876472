#pragma once

#include "base/OutputFile.h"
#include "print/PainterSurface.h"
#include "print/PdfJobSurface.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace velmora::print {

class OutputDevice;

// A print surface that writes each job to a PDF file, as a laser printer would print it.
//
// A job goes through the program's writer (base/OutputFile.h), so that every write error is seen:
// it is written under a private temporary name in the output's folder, and only when it is complete
// (no write error, synced to the disk, and found on the disk to be a whole PDF of the pages that
// were drawn) is it renamed into place; a failed job leaves the previous file as it was and no
// half-written PDF under the name. A job that printed nothing writes nothing and removes nothing.
class PdfSurface : public PdfJobSurface {
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

private:
    std::string outputFile_;
    OutputFile::Rules rules_;
    std::string jobFile_;
    std::string startFailure_;
    std::optional<OutputFile> file_;
    std::unique_ptr<OutputDevice> device_;
};

} // namespace velmora::print
