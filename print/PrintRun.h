#pragma once

#include "app/Dialogs.h"
#include "db/CheckDatabase.h"
#include "print/CheckPage.h"
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

// How many records each selection box would print, the template check included.
struct SelectionCounts {
    std::int64_t once = 0;
    std::int64_t monthly = 0;
    std::int64_t onceLabels = 0;
    std::int64_t monthlyLabels = 0;
};
// Throws db::Error when the records cannot be counted.
SelectionCounts countSelections(db::Connection& database);

// Where a run is, for a progress display. Pages are those of the job being printed.
struct RunProgress {
    enum class Stage { Checks, Labels, Saving };
    Stage stage = Stage::Checks;
    std::int64_t done = 0;
    std::int64_t total = 0;
    std::int64_t page = 0;
    std::int64_t pages = 0;
};
using ProgressFn = std::function<void(const RunProgress&)>;

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
    // What the jobs that were sent held; a job that failed counts nothing.
    std::int64_t checksPrinted = 0;
    std::int64_t labelsPrinted = 0;
    bool checksConfirmed = false; // "Yes" to the checks question, and the changes were saved
    bool labelsConfirmed = false;
    // What went wrong, as told to the user: a job that could not be sent, changes not saved.
    std::vector<std::string> problems;

    bool ok() const { return !nothingSelected && problems.empty(); }
    // Something was selected and the run went through, but no record matched it.
    bool nothingToPrint() const { return ok() && checksPrinted == 0 && labelsPrinted == 0; }
};

// What the start-label box accepts, said when an answer is not one of them.
inline constexpr const char* kStartLabelRule =
    "Enter the number of the label to start on: 1 to 30 on this sheet (labels are numbered down each "
    "column), or a higher number to start on label 1 of a new sheet. Leave the box empty to start on label "
    "1.";

// The print run of entered checks and labels. Every message and question goes through Dialogs, so
// the screens and the command line run the same steps. The records are walked one at a time and
// never held all at once, whatever the size of the database.
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
    // records are updated. A job that could not be sent asks no question and marks nothing. On
    // "Yes" only the records that were printed are marked, and only when each is still as it was
    // printed; otherwise nothing is marked and the user is told which records changed.
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

    // The answer to the start-label box: empty is label 1; a whole number above 30 starts a new sheet.
    // std::nullopt for anything else (0, signs, letters, fractions).
    static std::optional<int> parseStartLabel(const std::string& answer);

private:
    // A printed check as it was read: its ID and a fingerprint of the fields that its marking
    // depends on (print option, number, amount, comments).
    struct PrintedCheck {
        std::int64_t id = 0;
        std::size_t fingerprint = 0;
    };
    struct CheckJob {
        std::int64_t printed = 0;
        std::vector<PrintedCheck> records;
        std::optional<std::string> readFailure;
        std::optional<std::string> dateFailure;
    };

    // Tells the user when nothing is selected (std::nullopt); otherwise readies the surface and the
    // database type and gives the run's text font.
    std::optional<std::string> start(const PrintSelection& selection, PrintSurface& surface,
                                     RunReport& result);
    bool tellNothingSelected(const PrintSelection& selection, RunReport& result);
    void readType();
    CheckJob printChecks(const PrintSelection& selection, PrintSurface& surface, const std::string& textFont,
                         bool saveDates);
    std::int64_t printLabels(const PrintSelection& selection, PrintSurface& surface,
                             const std::string& textFont, int startLabel,
                             std::optional<std::string>& readFailure);
    int askStartLabel();
    std::optional<std::int64_t> readLastNumber();
    Status markChecksPrinted(const PrintSelection& selection, const std::vector<PrintedCheck>& printed,
                             std::optional<std::int64_t> lastNumber);
    std::optional<std::string> damagedRecords(const PrintSelection& selection);
    Status markLabelsPrinted(const PrintSelection& selection);
    void runChecks(const PrintSelection& selection, PrintSurface& surface, const std::string& textFont,
                   RunReport& report);
    void runLabels(const PrintSelection& selection, PrintSurface& surface, const std::string& textFont,
                   RunReport& report);
    void tellProblem(RunReport& report, std::string text, std::string title);
    void report(RunProgress::Stage stage, std::int64_t done, std::int64_t total, std::int64_t page,
                std::int64_t pages);

    db::CheckDatabase& database_;
    CheckPageSetup setup_;
    Dialogs& dialogs_;
    ProgressFn progress_;
    std::chrono::milliseconds lockWait_;
    db::DatabaseType type_ = db::DatabaseType::Other;
};

} // namespace velmora::print
