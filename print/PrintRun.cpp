#include "print/PrintRun.h"

#include "app/Clock.h"
#include "app/Product.h"
#include "db/RecordSet.h"
#include "db/Schema.h"
#include "print/CheckLayout.h"
#include "print/LabelLayout.h"
#include "print/PrintLock.h"

#include <algorithm>
#include <cctype>
#include <chrono>

namespace velmora::print {

namespace {

namespace field = db::field;
namespace option = db::print_option;

// clang-format off
const char* const kNothingToDoTitle = "Nothing to do.";
const char* const kNothingToDo = "You have not selected anything to print. Please select the proper check box from the list for what you want to print. To print blank checks, choose Print Blank Checks from the upper left menu. ";
const char* const kLoadCheckStock = "Please load check stock in the printer now and press OK";
const char* const kChecksQuestion = "The print job has been sent to the printer. Wait until the checks are printed and then answer this question: Did all checks print properly? If you choose YES, all checks selected to print ONE TIME will be set to don't print. If you choose YES and you notice a few checks do not print properly, you can reprint checks by changing the How Will This Check Print option on the data entry screen. ";
const char* const kStartLabelPrompt = "Load your Avery 5160 labels in your printer now and enter the label number (labels are numbered down each column) of the first label you want to start printing on or press OK to choose label 1:";
const char* const kLabelsQuestion = "Did all labels print? If you choose YES, all labels selected to print ONE TIME will be set to not print again.";

const char* const kDamagedRule = "A check carries a check number from 0 to 2147483647 and an amount of at most 999,999,999.99; these records may be damaged. Correct them on the data entry screen, then print again.";
const char* const kChecksNotUpdated = "The checks were printed, but the database could not be updated. The step that failed was ";
const char* const kChecksLeftAsTheyWere = ". No record has been changed: the one-time checks are still set to print, and the recurring checks keep their numbers.";
const char* const kChangedWhilePrinting = "The checks were printed, but some of their records were changed while they printed: ";
const char* const kChangedNothingMarked = ". No record has been marked as printed; check these records on the data entry screen before you print again.";
const char* const kDatesNotSaved = "The checks were printed with today's date, but the date could not be saved in every recurring check (";
const char* const kDatesSavedStay = "). The dates saved before that step stay.";
const char* const kChecksNotSent = "The print job of the checks could not be sent. ";
const char* const kChecksStillSet = " Nothing has been marked as printed: the checks are still set to print.";
const char* const kLabelsNotSent = "The print job of the labels could not be sent. ";
const char* const kLabelsStillSet = " Nothing has been marked as printed: the labels are still set to print.";
// clang-format on

// The dates of recurring checks are saved as they print, in short transactions, so that a long run
// never keeps the other users of the database out for more than a moment.
constexpr int kDatesPerTransaction = 256;
constexpr std::chrono::milliseconds kLongestDateTransaction{250};
// How many records a message names before it says "and N more".
constexpr std::size_t kRecordsNamed = 5;

constexpr std::int64_t kHighestCheckNumber = 999900;
constexpr std::int64_t kRestartCheckNumber = 101;

std::int64_t nextCheckNumber(std::int64_t number) {
    return number + 1 > kHighestCheckNumber ? kRestartCheckNumber : number + 1;
}

// "Printed this check as #1234 For $12.5 on 12/6/2026  ": numbers in plain text, no blanks added.
std::string historyLine(const db::CheckRecord& record, const std::string& today) {
    return "Printed this check as #" + (record.check ? std::to_string(*record.check) : std::string()) +
           " For $" + (record.amount ? record.amount->toShortestText() : std::string()) + " on " + today +
           "  ";
}

// A fingerprint of the fields whose change since printing would make marking the record wrong.
std::size_t fingerprint(const db::CheckRecord& record) {
    std::size_t hash = 0;
    const auto mix = [&hash](std::size_t value) {
        hash ^= value + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2);
    };
    const std::hash<std::string> text;
    mix(record.print ? text(*record.print) : 1);
    mix(record.check ? std::hash<std::int64_t>{}(*record.check) : 2);
    mix(record.amount ? std::hash<std::int64_t>{}(record.amount->cents()) : 3);
    mix(record.comments ? text(*record.comments) : 4);
    return hash;
}

// "a, b, c and 2 more".
std::string listed(const std::vector<std::string>& names, std::size_t total) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : "; ") + names[i];
    if (total > names.size())
        text += " and " + std::to_string(total - names.size()) + " more";
    return text;
}

// A message that ends as a sentence ends, whatever the text it was made from.
std::string sentence(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return text + ".";
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

SelectionCounts countSelections(db::Connection& database) {
    db::Statement query(database, "SELECT total(\"Print\" = ?1), total(\"Print\" = ?2), "
                                  "total(\"LabelPrint\" <> 0 AND \"Print\" IN (?1, ?3)), "
                                  "total(\"LabelPrint\" <> 0 AND \"Print\" = ?2) FROM \"Account\"");
    query.bind(1, option::kOnce).bind(2, option::kMonthly).bind(3, option::kNever);
    SelectionCounts counts;
    if (query.step()) {
        counts.once = query.columnInt(0);
        counts.monthly = query.columnInt(1);
        counts.onceLabels = query.columnInt(2);
        counts.monthlyLabels = query.columnInt(3);
    }
    return counts;
}

PrintRun::PrintRun(db::CheckDatabase& database, const CheckPageSetup& setup, Dialogs& dialogs)
    : database_(database)
    , setup_(setup)
    , dialogs_(dialogs)
    , lockWait_(PrintLock::kDefaultWait) {}

std::optional<int> PrintRun::parseStartLabel(const std::string& answer) {
    const std::string text = trimmed(answer);
    if (text.empty())
        return 1;
    if (!std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        return std::nullopt;
    const std::string digits = text.substr(std::min(text.find_first_not_of('0'), text.size()));
    if (digits.empty())
        return std::nullopt; // 0
    // Any number past a sheet starts the next one at label 1; how far past does not matter.
    if (digits.size() > 2)
        return LabelLayout::kLabelsPerSheet + 1;
    return std::stoi(digits);
}

void PrintRun::report(RunProgress::Stage stage, std::int64_t done, std::int64_t total, std::int64_t page,
                      std::int64_t pages) {
    if (progress_)
        progress_({stage, done, total, page, pages});
}

void PrintRun::tellProblem(RunReport& report, std::string text, std::string title) {
    dialogs_.show({text, std::move(title), DialogButtons::Ok, DialogIcon::Critical, DialogAnswer::Ok});
    report.problems.push_back(std::move(text));
}

std::optional<std::int64_t> PrintRun::readLastNumber() {
    db::RecordSet records(database_.connection(), db::schema::account());
    records.moveLast();
    if (!records.hasCurrent())
        return std::nullopt;
    return records.field(field::kCheck).integer();
}

PrintRun::CheckJob PrintRun::printChecks(const PrintSelection& selection, PrintSurface& surface,
                                         const std::string& textFont, bool saveDates) {
    CheckJob job;
    const CheckLayout layout(type_, {textFont, product::kMicrFontName});
    CheckPlacement placement(setup_);
    const std::string today = formatDateText(Clock::today());
    const int perPage = CheckPlacement::checksPerPage(setup_);
    // A recurring check is printed with today's date, which is saved in it as it prints: a few
    // hundred dates to a transaction, and never one transaction held for longer than a moment.
    std::optional<db::Transaction> dates;
    int datesInTransaction = 0;
    auto transactionStart = std::chrono::steady_clock::now();
    std::string step;
    const auto commitDates = [&] {
        if (!dates)
            return;
        try {
            dates->commit();
        } catch (const db::Error& error) {
            job.dateFailure = std::string("saving the dates: ") + error.what();
        }
        dates.reset();
        datesInTransaction = 0;
    };
    try {
        db::RecordSet records(database_.connection(), db::schema::account(), checksFilter(selection));
        const std::int64_t total = records.recordCount();
        const std::int64_t pages = CheckPlacement::pagesFor(total, setup_);
        for (; !records.eof(); records.moveNext()) {
            db::CheckRecord record = db::CheckRecord::read(records);
            job.records.push_back({record.id, fingerprint(record)});
            if (record.print == option::kMonthly) {
                record.date = today;
                if (saveDates && !job.dateFailure) {
                    step = "saving the date of " + checkName(record);
                    try {
                        if (!dates) {
                            dates.emplace(database_.connection());
                            transactionStart = std::chrono::steady_clock::now();
                        }
                        records.edit();
                        records.setField(field::kDate, today);
                        records.update();
                        ++datesInTransaction;
                    } catch (const db::Error& error) {
                        job.dateFailure = step + ": " + error.what();
                        if (records.editing())
                            records.cancelUpdate();
                        dates.reset(); // the dates of this transaction are rolled back
                    }
                }
            }
            layout.draw(surface, record, placement);
            placement.advance(surface);
            ++job.printed;
            if (dates && (datesInTransaction >= kDatesPerTransaction ||
                          std::chrono::steady_clock::now() - transactionStart >= kLongestDateTransaction))
                commitDates();
            report(RunProgress::Stage::Checks, job.printed, total, (job.printed - 1) / perPage + 1, pages);
        }
    } catch (const db::Error& error) {
        job.readFailure = error.what();
    }
    commitDates();
    return job;
}

std::int64_t PrintRun::printLabels(const PrintSelection& selection, PrintSurface& surface,
                                   const std::string& textFont, int startLabel,
                                   std::optional<std::string>& readFailure) {
    const LabelLayout layout(textFont);
    std::int64_t printed = 0;
    int number = startLabel;
    try {
        db::RecordSet records(database_.connection(), db::schema::account(), labelsFilter(selection));
        const std::int64_t total = records.recordCount();
        // The first sheet takes the labels from the start label on (a whole sheet past label 30).
        const std::int64_t perSheet = LabelLayout::kLabelsPerSheet;
        const std::int64_t onFirstSheet = startLabel > perSheet ? perSheet : perSheet - startLabel + 1;
        const std::int64_t pages =
            total == 0 ? 0
                       : 1 + (total > onFirstSheet ? (total - onFirstSheet + perSheet - 1) / perSheet : 0);
        std::int64_t page = 1;
        for (; !records.eof(); records.moveNext()) {
            const db::CheckRecord record = db::CheckRecord::read(records);
            if (number > LabelLayout::kLabelsPerSheet) {
                surface.NewPage();
                number = 1;
                if (printed > 0)
                    ++page;
            }
            layout.draw(surface, record, number);
            ++number;
            ++printed;
            report(RunProgress::Stage::Labels, printed, total, page, pages);
        }
    } catch (const db::Error& error) {
        readFailure = error.what();
    }
    return printed;
}

int PrintRun::askStartLabel() {
    for (;;) {
        const std::optional<std::string> answer = dialogs_.input({kStartLabelPrompt, "", ""});
        // Cancel gives the empty answer: label 1. There is no way to call the labels off here.
        if (const std::optional<int> number = parseStartLabel(answer.value_or(std::string())))
            return *number;
        dialogs_.show({"\"" + answer.value_or(std::string()) + "\" is not a label number. " + kStartLabelRule,
                       "Labels", DialogButtons::Ok, DialogIcon::Exclamation, DialogAnswer::Ok});
    }
}

std::optional<std::string> PrintRun::damagedRecords(const PrintSelection& selection) {
    const db::Filter filter = checksFilter(selection);
    // The bounds are ?1 and ?2; the filter's own placeholders, after them in the text, number on from 3.
    db::Statement query(database_.connection(),
                        "SELECT \"ID\", \"Check\", \"Amount\", "
                        "\"Check\" IS NOT NULL AND (\"Check\" < 0 OR \"Check\" > ?1) "
                        "FROM \"Account\" WHERE ("
                        "(\"Check\" IS NOT NULL AND (\"Check\" < 0 OR \"Check\" > ?1)) OR "
                        "(\"Amount\" IS NOT NULL AND (\"Amount\" < -?2 OR \"Amount\" > ?2))) AND (" +
                            filter.where + ") ORDER BY \"ID\"");
    // A record beyond what a check can carry is damaged and is never printed.
    query.bind(1, db::kMaxCheckNumber).bind(2, db::kMaxAmountCents);
    for (std::size_t i = 0; i < filter.parameters.size(); ++i)
        query.bind(static_cast<int>(i) + 3, filter.parameters[i]);
    std::vector<std::string> names;
    std::size_t total = 0;
    while (query.step()) {
        if (++total > kRecordsNamed)
            continue;
        const bool badCheck = query.columnInt(3) != 0;
        names.push_back("record " + query.columnText(0) +
                        (badCheck ? " has the check number " + query.columnText(1)
                                  : " has an amount of " + query.columnText(2) + " cents"));
    }
    if (total == 0)
        return std::nullopt;
    return "Nothing was printed: " + listed(names, total) + ". " + kDamagedRule;
}

Status PrintRun::markChecksPrinted(const PrintSelection& selection, const std::vector<PrintedCheck>& printed,
                                   std::optional<std::int64_t> lastNumber) {
    const std::string today = formatDateText(Clock::today());
    std::string step = "starting the changes";
    const auto notUpdated = [](const std::string& why) {
        return Status::failure(kChecksNotUpdated + why + kChecksLeftAsTheyWere);
    };
    std::vector<std::string> changed;
    std::size_t changedCount = 0;
    const auto noteChanged = [&](std::string name) {
        if (++changedCount <= kRecordsNamed)
            changed.push_back(std::move(name));
    };
    try {
        db::Connection& connection = database_.connection();
        db::Transaction transaction(connection);
        db::RecordSet records(connection, db::schema::account(), checksFilter(selection));
        const std::int64_t total = records.recordCount();
        std::int64_t done = 0;
        std::int64_t last = lastNumber.value_or(0);
        bool renumbered = false;
        // Only the records that were printed are marked, each only if it is as it was printed. Both
        // lists are in table order.
        std::size_t next = 0;
        for (; !records.eof(); records.moveNext()) {
            const db::CheckRecord record = db::CheckRecord::read(records);
            for (; next < printed.size() && printed[next].id < record.id; ++next)
                noteChanged("record " + std::to_string(printed[next].id) +
                            " was deleted or set not to print");
            if (next == printed.size() || printed[next].id != record.id)
                continue; // added since the job was printed: it was not on it
            if (printed[next++].fingerprint != fingerprint(record)) {
                noteChanged(checkName(record) + " was changed");
                continue;
            }
            if (changedCount > 0)
                continue; // nothing will be saved; the rest is only checked
            const std::string comments =
                historyLine(record, today) + "\r\n" + record.comments.value_or(std::string());
            if (selection.once && record.print == option::kOnce) {
                step = "setting " + checkName(record) + " to don't print";
                records.edit();
                records.setField(field::kComments, comments);
                records.setField(field::kPrint, option::kNever);
                records.setField(field::kPrinted, today);
                records.update();
            } else if (selection.monthly && record.print == option::kMonthly) {
                step = "renumbering " + checkName(record);
                records.edit();
                records.setField(field::kPrinted, today);
                records.setField(field::kComments, comments);
                if (type_ == db::DatabaseType::Draft && record.check) {
                    records.setField(field::kCheck, nextCheckNumber(*record.check));
                } else if (type_ == db::DatabaseType::Check) {
                    last = nextCheckNumber(last);
                    records.setField(field::kCheck, last);
                    renumbered = true;
                }
                records.update();
            }
            report(RunProgress::Stage::Saving, ++done, total, 0, 0);
        }
        for (; next < printed.size(); ++next)
            noteChanged("record " + std::to_string(printed[next].id) + " was deleted or set not to print");
        if (changedCount > 0)
            return Status::failure(std::string(kChangedWhilePrinting) + listed(changed, changedCount) +
                                   kChangedNothingMarked);
        if (renumbered) {
            step = "saving the last check number in the database's properties";
            db::RecordSet properties(connection, db::schema::databaseProperties());
            if (!properties.hasCurrent())
                throw db::Error("the database has no properties record");
            properties.edit();
            properties.setField(field::kLastCheck, last);
            properties.update();
        }
        step = "saving the changes";
        transaction.commit();
    } catch (const db::Error& error) {
        return notUpdated(step + ": " + error.what());
    }
    return {};
}

Status PrintRun::markLabelsPrinted(const PrintSelection& selection) {
    const std::string today = formatDateText(Clock::today());
    std::string step = "starting the changes";
    try {
        db::Connection& connection = database_.connection();
        db::Transaction transaction(connection);
        // Every one-time and don't-print record gets the date, also those whose label was not
        // printed; recurring labels stay set to print.
        if (selection.onceLabels) {
            step = "setting the one-time labels to not print again";
            db::Statement once(
                connection,
                "UPDATE \"Account\" SET \"LabelPrint\" = 0, \"LPrinted\" = ?1 WHERE \"Print\" IN (?2, ?3)");
            once.bind(1, today).bind(2, option::kOnce).bind(3, option::kNever);
            once.run();
        }
        if (selection.monthlyLabels) {
            step = "dating the labels of recurring checks";
            db::Statement monthly(connection,
                                  "UPDATE \"Account\" SET \"LPrinted\" = ?1 WHERE \"Print\" = ?2");
            monthly.bind(1, today).bind(2, option::kMonthly);
            monthly.run();
        }
        step = "saving the changes";
        transaction.commit();
    } catch (const db::Error& error) {
        return Status::failure(step + ": " + error.what());
    }
    return {};
}

void PrintRun::runChecks(const PrintSelection& selection, PrintSurface& surface, const std::string& textFont,
                         RunReport& result) {
    dialogs_.show({kLoadCheckStock, "", DialogButtons::Ok, DialogIcon::None, DialogAnswer::Ok});
    std::optional<std::int64_t> lastNumber;
    try {
        lastNumber = readLastNumber();
    } catch (const db::Error&) {
        // As a field that cannot be read: renumbering then counts on from 0.
    }
    const CheckJob job = printChecks(selection, surface, textFont, true);
    const Status sent = surface.EndDocument();
    if (job.readFailure) {
        tellProblem(result,
                    "The checks could not be read from the database (" + *job.readFailure +
                        "). The job was ended after " + std::to_string(job.printed) +
                        " checks. No check has been marked as printed.",
                    "Checks not printed");
        return;
    }
    if (job.dateFailure)
        tellProblem(result, kDatesNotSaved + *job.dateFailure + kDatesSavedStay, "Dates not saved");
    if (!sent.ok()) {
        // Nothing to ask: a "Yes" would mark checks that never printed.
        result.outputFailed = true;
        tellProblem(result, kChecksNotSent + sentence(sent.message()) + kChecksStillSet,
                    "Checks not printed");
        return;
    }
    result.checksPrinted = job.printed;
    if (!dialogs_.askYesNo(kChecksQuestion, " ", DialogIcon::Critical, DialogAnswer::No))
        return;
    if (Status saved = markChecksPrinted(selection, job.records, lastNumber); !saved) {
        tellProblem(result, saved.message(), "Database not updated");
        return;
    }
    result.checksConfirmed = true;
}

void PrintRun::runLabels(const PrintSelection& selection, PrintSurface& surface, const std::string& textFont,
                         RunReport& result) {
    const int startLabel = askStartLabel();
    surface.SetFontSize(10);
    std::optional<std::string> readFailure;
    const std::int64_t printed = printLabels(selection, surface, textFont, startLabel, readFailure);
    const Status sent = surface.EndDocument();
    if (readFailure) {
        tellProblem(result,
                    "The labels could not be read from the database (" + *readFailure +
                        "). The job was ended after " + std::to_string(printed) +
                        " labels. No label has been marked as printed.",
                    "Labels not printed");
        return;
    }
    if (!sent.ok()) {
        result.outputFailed = true;
        tellProblem(result, kLabelsNotSent + sentence(sent.message()) + kLabelsStillSet,
                    "Labels not printed");
        return;
    }
    result.labelsPrinted = printed;
    const std::string title = selection.checks() ? " " : "";
    if (!dialogs_.askYesNo(kLabelsQuestion, title, DialogIcon::Critical, DialogAnswer::No))
        return;
    if (Status saved = markLabelsPrinted(selection); !saved) {
        tellProblem(
            result,
            "The labels were printed, but the database could not be updated. The step that failed was " +
                saved.message() + ". No record has been changed: the labels are still set to print.",
            "Database not updated");
        return;
    }
    result.labelsConfirmed = true;
}

bool PrintRun::tellNothingSelected(const PrintSelection& selection, RunReport& result) {
    if (selection.any())
        return false;
    dialogs_.show({kNothingToDo, kNothingToDoTitle, DialogButtons::Ok, DialogIcon::None, DialogAnswer::Ok});
    result.nothingSelected = true;
    return true;
}

void PrintRun::readType() {
    try {
        type_ = database_.readProperties().type();
    } catch (const db::Error&) {
        type_ = db::DatabaseType::Other; // neither draft texts nor a signature line
    }
}

std::optional<std::string> PrintRun::start(const PrintSelection& selection, PrintSurface& surface,
                                           RunReport& result) {
    if (tellNothingSelected(selection, result))
        return std::nullopt;
    surface.SetFontSize(10);
    surface.SetBold(false);
    readType();
    return chooseTextFont(surface);
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
    Result<PrintLock> lock = PrintLock::acquire(database_.path(), lockWait_);
    if (!lock) {
        result.busy = true;
        tellProblem(result, sentence(lock.message()) + " Nothing was printed.", "Database in use");
        return result;
    }
    if (selection.checks()) {
        std::optional<std::string> damaged;
        try {
            damaged = damagedRecords(selection);
        } catch (const db::Error& error) {
            damaged =
                std::string("Nothing was printed: the checks could not be read (") + error.what() + ").";
        }
        if (damaged) {
            result.damagedData = true;
            tellProblem(result, *damaged, "Damaged records");
            return result;
        }
        runChecks(selection, checks, *textFont, result);
    }
    if (selection.labels())
        runLabels(selection, labels, *textFont, result);
    for (PrintSurface* surface : {&checks, &labels}) {
        surface->SetFontName(*textFont);
        surface->SetBold(false);
    }
    return result;
}

std::optional<ItemOutside> PrintRun::checkItemsOutside(const PrintSelection& selection,
                                                       const PrintSurface& surface) {
    const std::optional<PrintableArea> area = surface.printableArea();
    if (!selection.checks() || !area)
        return std::nullopt;
    readType();
    try {
        CheckPages pages(database_, selection, setup_, type_, chooseTextFont(surface));
        Result<std::optional<ItemOutside>> found = findItemOutside(pages, *area);
        return found ? found.value() : std::nullopt;
    } catch (const db::Error&) {
        return std::nullopt;
    }
}

std::unique_ptr<RunPages> PrintRun::preview(const PrintSelection& selection, const PrintSurface& surface) {
    RunReport result;
    if (tellNothingSelected(selection, result))
        return nullptr;
    readType();
    const std::string textFont = chooseTextFont(surface);
    try {
        return std::make_unique<RunPages>(
            selection.checks() ? std::make_unique<CheckPages>(database_, selection, setup_, type_, textFont)
                               : nullptr,
            selection.labels() ? std::make_unique<LabelPages>(database_, selection, textFont) : nullptr);
    } catch (const db::Error& error) {
        tellProblem(result, std::string("The records to show could not be read: ") + error.what(),
                    "Print Preview");
        return nullptr;
    }
}

} // namespace velmora::print
