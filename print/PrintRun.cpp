#include "print/PrintRun.h"

#include "base/Text.h"
#include "db/CheckQueries.h"
#include "db/RegisterQueries.h"
#include "print/PrintLock.h"

namespace velmora::print {

namespace {

// clang-format off
const char* const kNothingToDoTitle = "Nothing to do.";
const char* const kNothingToDo = "You have not selected anything to print. Please select the proper check box from the list for what you want to print. To print blank checks, choose Print Blank Checks from the upper left menu. ";
const char* const kDamagedRule = "A check carries a check number from 0 to 2147483647, an amount of at most 999,999,999.99 and no field longer than 1 MB; these records may be damaged. Correct them on the data entry screen, then print again.";
const char* const kNumbersTaken = "A check number goes out once on each account. Give these checks other numbers on the data entry screen, then print again.";
// clang-format on

} // namespace

PrintRun::PrintRun(db::CheckDatabase& database, const CheckPageSetup& setup, Dialogs& dialogs)
    : database_(database)
    , setup_(setup)
    , dialogs_(dialogs)
    , lockWait_(PrintLock::kDefaultWait) {}

void PrintRun::tellProblem(RunReport& report, std::string text, std::string title) {
    dialogs_.show(problemBox(text, std::move(title)));
    report.problems.push_back(std::move(text));
}

Result<std::optional<std::string>> PrintRun::damagedRecords(const PrintSelection& selection) {
    const Result<db::DamagedChecks> damaged = db::findDamagedChecks(
        database_.connection(), db::checksToPrint(selection.once, selection.monthly), kRecordsNamed);
    if (!damaged)
        return damaged.status();
    if (damaged->total == 0)
        return std::optional<std::string>();
    std::vector<std::string> names;
    for (const db::DamagedCheck& record : damaged->first)
        names.push_back("record " + std::to_string(record.id) +
                        (!record.oversizedField.empty()
                             ? " holds " + megabytesText(static_cast<std::size_t>(record.oversizedBytes)) +
                                   " in the field " + record.oversizedField
                         : record.badNumber ? " has the check number " + record.storedNumber
                                            : " has an amount of " + record.storedCents + " cents"));
    return std::optional<std::string>("Nothing was printed: " + listed(names, damaged->total) + ". " +
                                      kDamagedRule);
}

Result<std::optional<std::string>> PrintRun::numbersTaken(const PrintSelection& selection) {
    const Result<db::NumberConflicts> conflicts = db::findNumberConflicts(
        database_.connection(), db::checksToPrint(selection.once, selection.monthly), kRecordsNamed);
    if (!conflicts)
        return conflicts.status();
    if (conflicts->total == 0)
        return std::optional<std::string>();
    std::vector<std::string> names;
    for (const db::NumberConflict& conflict : conflicts->first)
        names.push_back("record " + std::to_string(conflict.recordId) + ": " + sentence(conflict.why));
    return std::optional<std::string>("Nothing was printed: " + listed(names, conflicts->total) + " " +
                                      kNumbersTaken);
}

bool PrintRun::tellNothingSelected(const PrintSelection& selection, RunReport& result) {
    if (selection.any())
        return false;
    dialogs_.show({kNothingToDo, kNothingToDoTitle, DialogButtons::Ok, DialogIcon::None, DialogAnswer::Ok});
    result.nothingSelected = true;
    return true;
}

void PrintRun::readType() {
    // Properties that cannot be read print neither the draft texts nor a signature line.
    const Result<db::DatabaseProperties> properties = database_.readProperties();
    type_ = properties ? properties->type() : db::DatabaseType::Other;
}

std::optional<std::string> PrintRun::start(const PrintSelection& selection, PrintSurface& surface,
                                           RunReport& result) {
    if (tellNothingSelected(selection, result))
        return std::nullopt;
    skipFailure(surface.SetFontSize(10));
    skipFailure(surface.SetBold(false));
    readType();
    return chooseTextFont(surface);
}

CheckRun PrintRun::checkRun(const PrintSelection& selection, const std::string& textFont,
                            bool changesRecords) const {
    return CheckRun(database_, setup_, {selection.once, selection.monthly, type_, textFont, changesRecords},
                    progress_);
}

LabelRun PrintRun::labelRun(const PrintSelection& selection, const std::string& textFont,
                            std::optional<int> startLabel) const {
    return LabelRun(database_,
                    {selection.onceLabels, selection.monthlyLabels, textFont, selection.checks(), startLabel},
                    progress_);
}

RunReport PrintRun::run(const PrintSelection& selection, PrintSurface& checks, PrintSurface& labels) {
    RunReport result;
    const std::optional<std::string> textFont = start(selection, checks, result);
    if (!textFont)
        return result;
    for (PrintSurface* surface :
         {selection.checks() ? &checks : nullptr, selection.labels() ? &labels : nullptr}) {
        if (!surface)
            continue;
        if (Status ready = surface->ready(); !ready) {
            result.outputFailed = true;
            result.noPrinter = true;
            tellProblem(result, sentence(ready.message()) + " Nothing was printed.", "Nothing printed");
            return result;
        }
    }
    // Held until the records are updated: a second run waits a moment, then gives up.
    Result<PrintLock> lock = PrintLock::acquire(database_, lockWait_);
    if (!lock) {
        result.busy = true;
        tellProblem(result, sentence(lock.message()) + " Nothing was printed.", "Database in use");
        return result;
    }
    const auto take = [&result](const JobReport& job) {
        result.outputFailed = result.outputFailed || job.outputFailed;
        result.problems.insert(result.problems.end(), job.problems.begin(), job.problems.end());
    };
    if (selection.checks()) {
        const Result<std::optional<std::string>> scanned = damagedRecords(selection);
        const std::optional<std::string> damaged =
            scanned ? *scanned
                    : std::optional<std::string>("Nothing was printed: the checks could not be read (" +
                                                 scanned.message() + ").");
        if (damaged) {
            result.damagedData = true;
            tellProblem(result, *damaged, "Damaged records");
            return result;
        }
        const Result<std::optional<std::string>> numbers = numbersTaken(selection);
        const std::optional<std::string> taken =
            numbers ? *numbers
                    : std::optional<std::string>("Nothing was printed: the register could not be read (" +
                                                 numbers.message() + ").");
        if (taken) {
            result.numbersTaken = true;
            tellProblem(result, *taken, "Check numbers in use");
            return result;
        }
        CheckRun job = checkRun(selection, *textFont, true);
        const JobReport report = runJob(job, checks, dialogs_, database_.connection());
        result.checksPrinted = report.printed;
        result.checksConfirmed = report.confirmed;
        result.checksMarked = report.confirmedItems;
        take(report);
    }
    if (selection.labels()) {
        LabelRun job = labelRun(selection, *textFont, std::nullopt);
        const JobReport report = runJob(job, labels, dialogs_, database_.connection());
        result.labelsPrinted = report.printed;
        result.labelsConfirmed = report.confirmed;
        take(report);
    }
    for (PrintSurface* surface : {&checks, &labels}) {
        skipFailure(surface->SetFontName(*textFont));
        skipFailure(surface->SetBold(false));
    }
    return result;
}

std::optional<ItemOutside> PrintRun::checkItemsOutside(const PrintSelection& selection,
                                                       const PrintSurface& surface) {
    const std::optional<PrintableArea> area = surface.printableArea();
    if (!selection.checks() || !area)
        return std::nullopt;
    readType();
    // Pages that cannot be read are not judged here: the run itself tells that problem.
    Result<std::unique_ptr<CheckPages>> pages =
        CheckPages::open(database_, selection, setup_, type_, chooseTextFont(surface));
    if (!pages)
        return std::nullopt;
    Result<std::optional<ItemOutside>> found = findItemOutside(**pages, *area);
    return found ? found.value() : std::nullopt;
}

std::unique_ptr<RunPages> PrintRun::preview(const PrintSelection& selection, const PrintSurface& surface) {
    RunReport result;
    if (tellNothingSelected(selection, result))
        return nullptr;
    readType();
    const std::string textFont = chooseTextFont(surface);
    std::unique_ptr<CheckPages> checks;
    std::unique_ptr<LabelPages> labels;
    Status opened;
    if (selection.checks()) {
        auto pages = CheckPages::open(database_, selection, setup_, type_, textFont);
        opened = pages.status();
        checks = pages ? std::move(*pages) : nullptr;
    }
    if (opened && selection.labels()) {
        auto pages = LabelPages::open(database_, selection, textFont);
        opened = pages.status();
        labels = pages ? std::move(*pages) : nullptr;
    }
    if (!opened) {
        tellProblem(result, "The records to show could not be read: " + opened.message(), "Print Preview");
        return nullptr;
    }
    return std::make_unique<RunPages>(std::move(checks), std::move(labels));
}

} // namespace velmora::print
