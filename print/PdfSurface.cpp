#include "print/PdfSurface.h"

#include <QPageLayout>
#include <QPageSize>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poppler-document.h>
#include <poppler-global.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora::print {

namespace fs = std::filesystem;

namespace {

std::string systemError() {
    return std::strerror(errno);
}

// Poppler reports the syntax errors of a damaged file on standard error; here a damaged file is
// an expected outcome that the caller reports in its own words.
void quietPoppler(const std::string&, void*) {}

// Syncs the folder, so that the rename of a finished file survives a power cut.
void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

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
    const fs::path target(jobFile_);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    file_ = std::make_unique<QTemporaryFile>(
        QString::fromStdString((folder / ("." + target.filename().string() + ".XXXXXX.part")).string()));
    if (!file_->open()) {
        startFailure_ = file_->errorString().toStdString();
        file_.reset();
        failure = Status::failure(jobStartFailure());
        return nullptr;
    }
    // A temporary file is private to its owner; the finished PDF gets the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(file_->handle(), 0666 & ~mask);
    writer_ = letterWriter(*file_);
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
    const auto failed = [this](const std::string& why) {
        return Status::failure("Could not write the PDF file " + jobFile_ + ": " + why +
                               ". The file was not changed.");
    };
    if (file_->error() != QFileDevice::NoError)
        return failed(file_->errorString().toStdString());
    if (!file_->flush())
        return failed(file_->errorString().toStdString());
    if (::fsync(file_->handle()) != 0)
        return failed(systemError());
    const fs::path written = file_->fileName().toStdString();
    file_->close();
    if (file_->error() != QFileDevice::NoError)
        return failed(file_->errorString().toStdString());
    if (Status whole = verifyPdf(written, pages); !whole)
        return failed(whole.message());
    std::error_code error;
    fs::rename(written, jobFile_, error);
    if (error)
        return failed(error.message());
    file_->setAutoRemove(false);
    written_.emplace_back(jobFile_);
    syncFolder(fs::path(jobFile_).has_parent_path() ? fs::path(jobFile_).parent_path() : fs::path("."));
    return {};
}

void PdfSurface::jobClosed() {
    writer_.reset();
    file_.reset(); // removes the temporary file unless it became the output
}

Status PdfSurface::emptyJobEnded() {
    if (outputFile_.empty())
        return {};
    std::error_code error;
    const fs::path stale(outputFile_);
    if (std::find(written_.begin(), written_.end(), stale) != written_.end() ||
        !fs::is_regular_file(fs::symlink_status(stale, error)))
        return {};
    if (!fs::remove(stale, error) && error)
        return Status::failure("Could not remove the earlier PDF file " + outputFile_ + ": " +
                               error.message());
    return {};
}

} // namespace velmora::print
