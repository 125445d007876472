#include "print/printer/PrinterSurface.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>

namespace velmora::print {

namespace {
// clang-format off
const char* const kNoPrinter = "No printer has been chosen, and none is available. Choose a printer (or a file to print to) with Printer Setup on the menu bar of the Printer Control Menu, then print again";
// clang-format on

// Every product is laid out for letter paper in portrait orientation. Set once, so that what the
// user picks in the printer setup dialog afterwards still applies.
void useLetterPortrait(QPrinter& printer) {
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF()));
}
} // namespace

PrinterSurface::PrinterSurface()
    : owned_(std::make_unique<QPrinter>(QPrinter::HighResolution))
    , printer_(owned_.get()) {
    useLetterPortrait(*printer_);
}

PrinterSurface::PrinterSurface(QPrinter& printer)
    : printer_(&printer) {
    useLetterPortrait(*printer_);
}

PrinterSurface::~PrinterSurface() {
    abandonJob();
}

bool PrinterSurface::printsToPdf() const {
    return printer_->outputFormat() == QPrinter::PdfFormat;
}

QPagedPaintDevice* PrinterSurface::openJob(Status& failure) {
    if (!printer_->isValid()) {
        failure = Status::failure(jobStartFailure());
        return nullptr;
    }
    // With full page off, the painter's origin is the top-left corner of the page layout's margins:
    // the printer's printable area, or the laser printer's margin when the printer writes a PDF.
    printer_->setFullPage(false);
    if (printsToPdf()) {
        printer_->setPageMargins(QMarginsF(pdfMarginInches, pdfMarginInches, 0, 0), QPageLayout::Inch);
    } else {
        printer_->setPageMargins(printer_->pageLayout().minimumMargins(), printer_->pageLayout().units());
    }
    return printer_;
}

QPointF PrinterSurface::printableOrigin(const QPagedPaintDevice&) const {
    return {};
}

double PrinterSurface::linePixelsPerInch(const QPagedPaintDevice& device) const {
    return printsToPdf() ? pdfPixelsPerInch : device.logicalDpiX();
}

std::optional<std::filesystem::path> PrinterSurface::outputFile() const {
    if (!printsToPdf() || printer_->outputFileName().isEmpty())
        return std::nullopt;
    return std::filesystem::path(printer_->outputFileName().toStdString());
}

Status PrinterSurface::ready() const {
    // Without a printer Qt falls back to writing a PDF to a file nobody named.
    if (!printer_->isValid() || (printsToPdf() && printer_->outputFileName().isEmpty()))
        return Status::failure(kNoPrinter);
    return {};
}

std::string PrinterSurface::jobStartFailure() const {
    if (printsToPdf() && !printer_->outputFileName().isEmpty())
        return "Could not write the PDF file " + printer_->outputFileName().toStdString();
    const std::string name = printer_->printerName().toStdString();
    return name.empty() ? "No printer is available; choose one with Printer Setup"
                        : "The printer " + name + " is not available";
}

Status PrinterSurface::printerSetup() {
    if (documentOpen())
        return Status::failure("The printer cannot be changed while a job is printing");
    QPrintDialog dialog(printer_);
    dialog.exec();
    return {};
}

} // namespace velmora::print
