#pragma once

#include "print/PainterSurface.h"

#include <QPrinter>
#include <memory>

namespace velmora::print {

// A print surface on a Qt printer: the printer the user chose in the printer setup dialog (the
// system's default printer until then), or a printer handed over by a print preview.
class PrinterSurface : public PainterSurface {
public:
    // Prints on a printer of its own.
    PrinterSurface();
    // Prints on `printer`, which must outlive the surface (QPrintPreviewDialog::paintRequested).
    explicit PrinterSurface(QPrinter& printer);
    ~PrinterSurface() override;

    QPrinter& printer() { return *printer_; }

    // The PDF file the printer was set to print to, if any.
    std::optional<std::filesystem::path> outputFile() const override;
    // Fails when there is no printer to print on: none installed and none chosen.
    Status ready() const override;

protected:
    QPagedPaintDevice* openJob(Status& failure) override;
    QPointF printableOrigin(const QPagedPaintDevice& device) const override;
    double linePixelsPerInch(const QPagedPaintDevice& device) const override;
    std::string jobStartFailure() const override;
    Status printerSetup() override;

private:
    bool printsToPdf() const;

    std::unique_ptr<QPrinter> owned_;
    QPrinter* printer_;
};

} // namespace velmora::print
