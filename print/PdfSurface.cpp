#include "print/PdfSurface.h"

#include <QPageLayout>
#include <QPageSize>
#include <algorithm>
#include <fstream>
#include <poppler-document.h>
#include <poppler-global.h>

namespace velmora::print {

namespace fs = std::filesystem;

namespace {

// Poppler reports the syntax errors of a damaged file on standard error; here a damaged file is
// an expected outcome that the caller reports in its own words.
void quietPoppler(const std::string&, void*) {}

} // namespace

// The device QPdfWriter writes a job into: every byte goes to the job's OutputFile, which keeps the
// first failure (a full disk, a file-size limit) for the end of the job.
class OutputDevice : public QIODevice {
public:
    explicit OutputDevice(OutputFile& file)
        : file_(file) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        return file_.write(std::string_view(data, static_cast<std::size_t>(size))) ? size : -1;
    }

private:
    OutputFile& file_;
};

PdfSurface::PdfSurface(std::string outputFile)
    : outputFile_(std::move(outputFile)) {}

PdfSurface::~PdfSurface() {
    abandonJob();
}

std::optional<fs::path> PdfSurface::outputFile() const {
    if (outputFile_.empty())
        return std::nullopt;
    return fs::path(outputFile_);
}

std::unique_ptr<QPdfWriter> PdfSurface::letterWriter(QIODevice& file) {
    auto writer = std::make_unique<QPdfWriter>(&file);
    writer->setResolution(static_cast<int>(FontMetrics::referenceDpi));
    // Margins of zero put the painter's origin on the paper's corner; the printable margin is
    // added by printableOrigin, so nothing near the edges is clipped.
    writer->setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF()));
    writer->setCreator(QStringLiteral("Velmora"));
    return writer;
}

PrintableArea PdfSurface::paperArea() {
    constexpr double twipsPerInch = 1440;
    return PrintableArea{(8.5 - pdfMarginInches) * twipsPerInch, (11 - pdfMarginInches) * twipsPerInch,
                         pdfMarginInches * twipsPerInch, pdfMarginInches * twipsPerInch};
}

QPaintDevice* PdfSurface::openJob(Status& failure) {
    jobFile_ = outputFile_;
    startFailure_.clear();
    if (jobFile_.empty()) {
        failure = Status::failure("No file was named for the PDF output");
        return nullptr;
    }
    Result<OutputFile> file = OutputFile::create(jobFile_, rules_);
    if (!file) {
        startFailure_ = file.message();
        failure = Status::failure(jobStartFailure());
        return nullptr;
    }
    file_.emplace(std::move(file.value()));
    device_ = std::make_unique<OutputDevice>(*file_);
    writer_ = letterWriter(*device_);
    return writer_.get();
}

QPointF PdfSurface::printableOrigin(const QPaintDevice& device) const {
    return {pdfMarginInches * device.logicalDpiX(), pdfMarginInches * device.logicalDpiY()};
}

double PdfSurface::linePixelsPerInch(const QPaintDevice&) const {
    return pdfPixelsPerInch;
}

std::string PdfSurface::jobStartFailure() const {
    return "Could not write the PDF file " + jobFile_ + (startFailure_.empty() ? "" : ": " + startFailure_);
}

Status PdfSurface::verifyPdf(const fs::path& file, int pages) {
    const std::string ending = "%%EOF";
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : 0;
    std::string tail(static_cast<std::size_t>(std::min<std::streamoff>(size, 32)), '\0');
    in.seekg(size - static_cast<std::streamoff>(tail.size()));
    in.read(tail.data(), static_cast<std::streamsize>(tail.size()));
    if (!in || tail.find(ending) == std::string::npos)
        return Status::failure("the file is incomplete (it does not end as a PDF file ends)");
    poppler::set_debug_error_function(quietPoppler, nullptr);
    const std::unique_ptr<poppler::document> document(poppler::document::load_from_file(file.string()));
    if (!document)
        return Status::failure("the file cannot be read back as a PDF file");
    if (document->pages() != pages)
        return Status::failure("the file holds " + std::to_string(document->pages()) + " pages instead of " +
                               std::to_string(pages));
    return {};
}

Status PdfSurface::completeJob(int pages) {
    writer_.reset();
    device_.reset();
    const auto failed = [this](const std::string& why) {
        return Status::failure("Could not write the PDF file " + jobFile_ + ": " + why +
                               ". The file was not changed.");
    };
    if (Status synced = file_->finish(); !synced)
        return failed(synced.message());
    if (Status whole = verifyPdf(file_->temporaryPath(), pages); !whole)
        return failed(whole.message());
    if (Status committed = file_->commit(); !committed)
        return failed(committed.message());
    return {};
}

void PdfSurface::jobClosed() {
    writer_.reset();
    device_.reset();
    file_.reset(); // removes the temporary file unless it became the output
}

} // namespace velmora::print
