#include "print/PdfSurface.h"

#include <QPageLayout>
#include <QPageSize>

namespace velmora::print {

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
    return {pdfMarginInches * device.logicalDpiX(), pdfMarginInches * device.logicalDpiY()};
}

double PdfSurface::linePixelsPerInch(const QPagedPaintDevice&) const {
    return pdfPixelsPerInch;
}

std::string PdfSurface::jobStartFailure() const {
    return "Could not write the PDF file " + jobFile_;
}

void PdfSurface::jobClosed() {
    writer_.reset();
}

} // namespace velmora::print
