#pragma once

#include "print/PdfJobSurface.h"

#include <QMarginsF>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QTemporaryFile;

namespace velmora::print {

// Where the screens' jobs go: the system's default printer, a printer (a queue of the print system)
// chosen in Printer Setup, or a PDF file.
struct PrinterChoice {
    enum class Kind { SystemDefault, Printer, PdfFile };
    Kind kind = Kind::SystemDefault;
    std::string name; // the printer's queue, or the PDF file

    bool operator==(const PrinterChoice&) const = default;
};

// A print surface on a printer of the print system (CUPS). Each job is drawn into a PDF of letter
// pages, from the printer's own printable origin (the minimum margins of its page), and sent to
// the printer's queue with fixed options, so that the queue's defaults (A4, fit to page, copies,
// two-sided) never change what prints. A queue that does not exist, is stopped or refuses jobs is
// found before anything is drawn; a job the queue does not take is a failure of the job.
class PrinterSurface : public PdfJobSurface {
public:
    // The system's default printer, until a printer is remembered or chosen.
    PrinterSurface();
    // Where `choice` says, as if chosen in Printer Setup: a remembered printer does not replace it.
    explicit PrinterSurface(PrinterChoice choice);
    ~PrinterSurface() override;

    const PrinterChoice& choice() const { return choice_; }
    // The next job goes where `choice` says; a job already started keeps its printer.
    void choose(PrinterChoice choice);
    // The printer remembered from an earlier session (std::nullopt: the system's default). It
    // applies until the user chooses another in this session.
    void remember(const std::optional<std::string>& printer);

    // The queue the next job goes to: the chosen printer or the system's default; std::nullopt
    // when there is none, or a PDF file is chosen.
    std::optional<std::string> queue() const;
    // The printer's margins on letter paper in portrait orientation, in points: the part of the
    // paper it cannot print on. For a PDF file, or without a printer, the PDF output's margins.
    QMarginsF margins() const;
    // The jobs sent so far, numbered as the print system numbered them.
    const std::vector<int>& sentJobs() const { return sentJobs_; }

    // The PDF file chosen to print to, if any.
    std::optional<std::filesystem::path> outputFile() const override;
    // Fails when there is no printer to print on, or the printer would not take the job.
    Status ready() const override;
    std::optional<PrintableArea> printableArea() const override;

protected:
    QIODevice* openJob(Status& failure) override;
    QPointF printableOrigin() const override;
    double linePixelsPerInch() const override;
    std::string jobStartFailure() const override;
    Status completeJob(int pages, const Status& written) override;
    void jobClosed() override;
    // The Printer Setup dialog: the printer chosen there takes the next jobs.
    Status printerSetup() override;

private:
    PrinterChoice choice_;
    bool chosenThisSession_ = false;
    // The job being drawn: its queue, margins and resolution, fixed when it started.
    std::string jobQueue_;
    QMarginsF jobMargins_;
    double jobResolution_ = 0;
    std::string startFailure_;
    std::unique_ptr<QTemporaryFile> file_;
    std::vector<int> sentJobs_;
};

} // namespace velmora::print
