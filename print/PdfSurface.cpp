#include "print/PdfSurface.h"

#include <QPageLayout>
#include <QPageSize>

namespace velmora::print {

namespace {
// A PDF has no printer behind it, so it stands for a typical laser printer: the printable area
// starts a quarter inch from the top and left paper edges, and a printer pixel is 1/600 inch.
constexpr double printableMarginInches = 0.25;
constexpr double laserPixelsPerInch = 600;
} // namespace

PdfSurface::PdfSurface(std::string outputFile)
    : outputFile_(std::move(outputFile)) {}

PdfSurface::~PdfSurface() {
    abandonJob();
}

QPagedPaintDevice* PdfSurface::openJob(Status& failure) {
    jobFile_ = outputFile_;
    if (jobFile_.empty()) {
        failure = Status::failure("No file was named for the PDF output");
        return nullptr;
    }
    writer_ = std::make_unique<QPdfWriter>(QString::fromStdString(jobFile_));
    writer_->setResolution(static_cast<int>(FontMetrics::referenceDpi));
    // Margins of zero put the painter's origin on the paper's corner; the printable margin is
    // added by printableOrigin, so nothing near the edges is clipped.
    writer_->setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF()));
    writer_->setCreator(QStringLiteral("Velmora"));
    return writer_.get();
}

QPointF PdfSurface::printableOrigin(const QPagedPaintDevice& device) const {
    return {printableMarginInches * device.logicalDpiX(), printableMarginInches * device.logicalDpiY()};
}

double PdfSurface::linePixelsPerInch(const QPagedPaintDevice&) const {
    return laserPixelsPerInch;
}

std::string PdfSurface::jobStartFailure() const {
    return "Could not write the PDF file " + jobFile_;
}

void PdfSurface::jobClosed() {
    writer_.reset();
}

} // namespace velmora::print
