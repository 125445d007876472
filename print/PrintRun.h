#pragma once

#include "base/Dialogs.h"
#include "db/CheckDatabase.h"
#include "print/CheckPlacement.h"
#include "print/CheckRun.h"
#include "print/LabelRun.h"
#include "print/PrintJob.h"
#include "print/PrintSelection.h"
#include "print/PrintSurface.h"
#include "print/RunPages.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velmora::print {

struct RunReport {
    bool nothingSelected = false;
    // Another print run holds the database; nothing was printed.
    bool busy = false;
    // A job could not be started, written or sent (no printer, a file that cannot be written).
    bool outputFailed = false;
    // There was no printer to print on at all: nothing was printed or asked.
    bool noPrinter = false;
    // Records hold values no check can carry; nothing was printed.
    bool damagedData = false;
    // Checks carry numbers that the register holds, or that another check of the run carries, on
    // their account; nothing was printed.
    bool numbersTaken = false;
    // What the jobs that were sent held; a job that failed counts nothing.
    std::int64_t checksPrinted = 0;
    std::int64_t labelsPrinted = 0;
    bool checksConfirmed = false;  // "Yes" to the checks question, and the changes were saved
    std::int64_t checksMarked = 0; // of the checks printed: all on "Yes", those ticked after a "No"
    bool labelsConfirmed = false;
    // What went wrong, as told to the user: a job that could not be sent, changes not saved.
    std::vector<std::string> problems;

    bool ok() const { return !nothingSelected && problems.empty(); }
    // Something was selected and the run went through, but no record matched it.
    bool nothingToPrint() const { return ok() && checksPrinted == 0 && labelsPrinted == 0; }
};

// The run of the Print button: the entered checks (CheckRun), then the labels (LabelRun), two jobs
// on the skeleton of runJob(). Every message and question goes through Dialogs, so the screens and
// the command line run the same steps. The records are walked one at a time and never held all at
// once, whatever the size of the database.
class PrintRun {
public:
    PrintRun(db::CheckDatabase& database, const CheckPageSetup& setup, Dialogs& dialogs);

    // Called after every check and label, and while the changes are saved.
    void setProgress(ProgressFn progress) { progress_ = std::move(progress); }
    // How long the run waits for another print run on the same database before it gives up.
    void setLockWait(std::chrono::milliseconds wait) { lockWait_ = wait; }

    // The run as the Print button does it: checks (load-stock message, job, question, changes on
    // "Yes"), then labels (start label, job, question, changes on "Yes"). The checks and the labels
    // are two jobs; `checks` and `labels` may be the same surface. The caller saves the print
    // options before and returns to the data entry screen after, unless nothing was selected.
    //
    // The run owns its database (PrintLock) from the moment it reads what to print until the
    // records and the register are updated. Checks whose numbers went out already on their account
    // (the register holds them) are refused before anything prints. A job that could not be sent
    // asks no question and marks nothing. On "Yes" (or for the checks ticked after a "No") only the
    // records that were printed are marked, and only when each is still as it was printed; otherwise
    // nothing is marked and the user is told which records changed.
    RunReport run(const PrintSelection& selection, PrintSurface& checks, PrintSurface& labels);

    // The pages the run would print on `surface`, each to be drawn on its own: the checks, then the
    // labels from label 1 on a sheet of their own. No message but "nothing selected" (then null), no
    // question, no record changed; recurring checks show today's date without it being saved. Null
    // also when the records cannot be read, after telling the user why.
    std::unique_ptr<RunPages> preview(const PrintSelection& selection, const PrintSurface& surface);

    // The first item of the checks `selection` would print that lies outside `surface`'s printable
    // area, found without printing. std::nullopt when all fit, when the surface does not know its
    // area, or when the checks cannot be read (the run says why when it prints).
    std::optional<ItemOutside> checkItemsOutside(const PrintSelection& selection,
                                                 const PrintSurface& surface);

private:
    // Tells the user when nothing is selected (std::nullopt); otherwise readies the surface and the
    // database type and gives the run's text font.
    std::optional<std::string> start(const PrintSelection& selection, PrintSurface& surface,
                                     RunReport& result);
    bool tellNothingSelected(const PrintSelection& selection, RunReport& result);
    // The database type, which picks the draft texts or the signature line.
    void readType();
    // The message that refuses the run when the selection holds damaged records.
    Result<std::optional<std::string>> damagedRecords(const PrintSelection& selection);
    // The message that refuses the run when checks of the selection carry numbers gone out already.
    Result<std::optional<std::string>> numbersTaken(const PrintSelection& selection);
    CheckRun checkRun(const PrintSelection& selection, const std::string& textFont,
                      bool changesRecords) const;
    LabelRun labelRun(const PrintSelection& selection, const std::string& textFont,
                      std::optional<int> startLabel) const;
    void tellProblem(RunReport& report, std::string text, std::string title);

    db::CheckDatabase& database_;
    CheckPageSetup setup_;
    Dialogs& dialogs_;
    ProgressFn progress_;
    std::chrono::milliseconds lockWait_;
    db::DatabaseType type_ = db::DatabaseType::Other;
};

} // namespace velmora::print
