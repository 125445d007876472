#include "print/printer/PrinterSurface.h"

#include "print/PainterSurface.h"
#include "print/PdfSurface.h"
#include "print/printer/CupsPrinters.h"
#include "print/printer/PrinterSetup.h"

#include <QApplication>
#include <QDir>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QTemporaryFile>

namespace velmora::print {

namespace {

// clang-format off
const char* const kNoPrinter = "No printer has been chosen, and none is available. Choose a printer (or a file to print to) with Printer Setup on the menu bar of the Printer Control Menu, then print again";
const char* const kNoDefaultPrinter = "No printer has been chosen, and the system has no default printer. Choose a printer (or a file to print to) with Printer Setup on the menu bar of the Printer Control Menu, then print again";
const char* const kChooseAnother = ". Choose another printer with Printer Setup on the menu bar of the Printer Control Menu, or set this one right in the print system, then print again";
// clang-format on

constexpr double kPointsPerInch = 72;
constexpr double kTwipsPerPoint = 20;
constexpr const char* kJobTitle = "Velmora";

// The margins of the PDF output, which stands for a typical laser printer.
QMarginsF pdfMargins() {
    const double margin = PainterSurface::pdfMarginInches * kPointsPerInch;
    return {margin, margin, 0, 0};
}

// A printer's letter page in portrait orientation, as its driver describes it.
struct PrinterPage {
    QMarginsF margins; // points
    double resolution = PainterSurface::pdfPixelsPerInch;
};

PrinterPage printerPage(const std::string& queue) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(QString::fromStdString(queue));
    if (printer.printerName() != QString::fromStdString(queue))
        return {pdfMargins(), PainterSurface::pdfPixelsPerInch};
    printer.setPageSize(QPageSize(QPageSize::Letter));
    printer.setPageOrientation(QPageLayout::Portrait);
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Point);
    return {layout.minimumMargins(), static_cast<double>(printer.resolution())};
}

} // namespace

PrinterSurface::PrinterSurface() = default;

PrinterSurface::PrinterSurface(PrinterChoice choice)
    : choice_(std::move(choice))
    , chosenThisSession_(true) {}

PrinterSurface::~PrinterSurface() {
    abandonJob();
}

void PrinterSurface::choose(PrinterChoice choice) {
    choice_ = std::move(choice);
    chosenThisSession_ = true;
}

void PrinterSurface::remember(const std::optional<std::string>& printer) {
    if (chosenThisSession_)
        return;
    choice_ = printer && !printer->empty() ? PrinterChoice{PrinterChoice::Kind::Printer, *printer}
                                           : PrinterChoice{};
}

std::optional<std::string> PrinterSurface::queue() const {
    switch (choice_.kind) {
    case PrinterChoice::Kind::Printer:
        return choice_.name;
    case PrinterChoice::Kind::SystemDefault:
        return cups::defaultPrinter();
    case PrinterChoice::Kind::PdfFile:
        break;
    }
    return std::nullopt;
}

QMarginsF PrinterSurface::margins() const {
    const std::optional<std::string> target = queue();
    return target ? printerPage(*target).margins : pdfMargins();
}

std::optional<std::filesystem::path> PrinterSurface::outputFile() const {
    if (choice_.kind != PrinterChoice::Kind::PdfFile || choice_.name.empty())
        return std::nullopt;
    return std::filesystem::path(choice_.name);
}

Status PrinterSurface::ready() const {
    if (choice_.kind == PrinterChoice::Kind::PdfFile)
        return choice_.name.empty() ? Status::failure(kNoPrinter) : Status();
    const std::optional<std::string> target = queue();
    if (!target)
        return Status::failure(cups::printers().empty() ? kNoPrinter : kNoDefaultPrinter);
    if (Status usable = cups::checkQueue(*target); !usable)
        return Status::failure(usable.message() + kChooseAnother);
    return {};
}

std::optional<PrintableArea> PrinterSurface::printableArea() const {
    if (choice_.kind == PrinterChoice::Kind::PdfFile)
        return PdfSurface::paperArea();
    const QMarginsF m = margins();
    return PrintableArea{(kLetterWidthPoints - m.left() - m.right()) * kTwipsPerPoint,
                         (kLetterHeightPoints - m.top() - m.bottom()) * kTwipsPerPoint,
                         m.left() * kTwipsPerPoint, m.top() * kTwipsPerPoint};
}

QIODevice* PrinterSurface::openJob(Status& failure) {
    startFailure_.clear();
    if (choice_.kind == PrinterChoice::Kind::PdfFile) {
        // The screens print a file through the PDF output, which writes it whole or not at all.
        failure = Status::failure("A PDF file is printed through the PDF output, not a printer");
        return nullptr;
    }
    if (Status usable = ready(); !usable) {
        failure = usable;
        return nullptr;
    }
    jobQueue_ = queue().value_or(std::string());
    const PrinterPage page = printerPage(jobQueue_);
    jobMargins_ = page.margins;
    jobResolution_ = page.resolution;
    file_ = std::make_unique<QTemporaryFile>(QDir::tempPath() + "/velmora-job-XXXXXX.pdf");
    if (!file_->open()) {
        startFailure_ = file_->errorString().toStdString();
        file_.reset();
        failure = Status::failure(jobStartFailure());
        return nullptr;
    }
    return file_.get();
}

QPointF PrinterSurface::printableOrigin() const {
    return {jobMargins_.left(), jobMargins_.top()};
}

double PrinterSurface::linePixelsPerInch() const {
    return jobResolution_ > 0 ? jobResolution_ : PainterSurface::pdfPixelsPerInch;
}

std::string PrinterSurface::jobStartFailure() const {
    return "The job for the printer " + jobQueue_ + " could not be prepared" +
           (startFailure_.empty() ? "" : ": " + startFailure_);
}

Status PrinterSurface::completeJob(int pages, const Status& taken) {
    if (!file_->flush() || file_->error() != QFileDevice::NoError)
        return Status::failure("The job for the printer " + jobQueue_ +
                               " could not be written: " + file_->errorString().toStdString());
    if (!taken)
        return Status::failure("The job for the printer " + jobQueue_ +
                               " could not be written: " + taken.message());
    const std::filesystem::path written = file_->fileName().toStdString();
    file_->close();
    if (Status whole = PdfSurface::verifyPdf(written, pages); !whole)
        return Status::failure("The job for the printer " + jobQueue_ + " is damaged: " + whole.message());
    Result<int> job = cups::sendPdf(jobQueue_, written, kJobTitle);
    if (!job)
        return job.status();
    sentJobs_.push_back(job.value());
    return {};
}

void PrinterSurface::jobClosed() {
    file_.reset(); // the print system has its own copy of a job it took
}

Status PrinterSurface::printerSetup() {
    if (documentOpen())
        return Status::failure("The printer cannot be changed while a job is printing");
    PrinterSetup dialog(cups::printers(), choice_, QApplication::activeWindow());
    if (dialog.exec() == QDialog::Accepted)
        choose(dialog.choice());
    return {};
}

} // namespace velmora::print
