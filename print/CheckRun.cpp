#include "print/CheckRun.h"

#include "base/Clock.h"
#include "base/Product.h"
#include "db/CheckNumbering.h"
#include "db/CheckQueries.h"
#include "db/RecordSet.h"
#include "db/RegisterQueries.h"
#include "print/CheckLayout.h"

#include <algorithm>

namespace velmora::print {

namespace {

namespace option = db::print_option;

// clang-format off
const char* const kChecksQuestion = "The print job has been sent to the printer. Wait until the checks are printed and then answer this question: Did all checks print properly? If you choose YES, all checks selected to print ONE TIME will be set to don't print. If you choose YES and you notice a few checks do not print properly, you can reprint checks by changing the How Will This Check Print option on the data entry screen. ";
const char* const kChecksNotUpdated = "The checks were printed, but the database could not be updated. The step that failed was ";
const char* const kChecksLeftAsTheyWere = ". No record has been changed: the one-time checks are still set to print, and the recurring checks keep their numbers.";
const char* const kChangedWhilePrinting = "The checks were printed, but some of their records were changed while they printed: ";
const char* const kChangedNothingMarked = ". No record has been marked as printed; check these records on the data entry screen before you print again.";
const char* const kDatesNotSaved = "The checks were printed with today's date, but the date could not be saved in the recurring checks. The step that failed was ";
const char* const kNoDateSaved = ". No date has been saved.";
const char* const kChecksNotSent = "The print job of the checks could not be sent. ";
const char* const kChecksStillSet = " Nothing has been marked as printed: the checks are still set to print.";
const char* const kWhichPrinted = "Tick the checks that printed properly. They are marked as YES marks them: one-time checks are set to don't print, recurring checks get new numbers, and all of them are recorded in the register. The checks left unticked stay as they are and print again with the next run. Cancel marks none.";
// clang-format on

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

} // namespace

CheckRun::CheckRun(db::CheckDatabase& database, const CheckPageSetup& setup, Options options,
                   ProgressFn progress)
    : database_(database)
    , setup_(setup)
    , options_(std::move(options))
    , progress_(std::move(progress)) {}

void CheckRun::report(RunProgress::Stage stage, std::int64_t done, std::int64_t total, std::int64_t page,
                      std::int64_t pages) const {
    if (progress_)
        progress_({stage, done, total, page, pages});
}

PrintJob::Start CheckRun::prepare(Dialogs& dialogs, PrintSurface&) {
    dialogs.show({kLoadCheckStock, "", DialogButtons::Ok, DialogIcon::None, DialogAnswer::Ok});
    return Start::Print;
}

JobPrinted CheckRun::print(PrintSurface& surface) {
    JobPrinted job;
    printed_.clear();
    const CheckLayout layout(options_.type, {options_.textFont, product::kMicrFontName});
    CheckPlacement placement(setup_);
    const std::string today = formatDateText(Clock::today());
    const int perPage = placement.slotsPerPage();
    try {
        const db::Filter selected = db::checksToPrint(options_.once, options_.monthly);
        const std::vector<std::int64_t> ids = db::recordIds(database_.connection(), selected);
        const auto total = static_cast<std::int64_t>(ids.size());
        const std::int64_t pages = placement.pagesFor(total);
        db::RecordSet records(database_.connection(), db::schema::account(), selected);
        for (const std::int64_t id : ids) {
            // A check deleted or set not to print since the job started is left out.
            if (!records.moveTo(id))
                continue;
            db::CheckRecord record = db::CheckRecord::read(records);
            const bool recurring = record.print == option::kMonthly;
            printed_.push_back({record.id, fingerprint(record), recurring, record.check, record.payTo,
                                record.amount, record.aba, record.account});
            // Printed with today's date, which is saved with the answer to the question.
            if (recurring)
                record.date = today;
            layout.draw(surface, record, placement);
            placement.advance(surface);
            ++job.count;
            report(RunProgress::Stage::Checks, job.count, total, (job.count - 1) / perPage + 1, pages);
        }
    } catch (const db::Error& error) {
        job.readFailure = error.what();
    }
    return job;
}

std::optional<MessageBox> CheckRun::question() const {
    return MessageBox{kChecksQuestion, " ", DialogButtons::YesNo, DialogIcon::Critical, DialogAnswer::No};
}

Status CheckRun::saveChanges(db::Connection& database, std::string& step) {
    savingDatesOnly_ = false;
    const std::string today = formatDateText(Clock::today());
    std::vector<std::string> changed;
    std::size_t changedCount = 0;
    const auto noteChanged = [&](std::string name) {
        if (++changedCount <= kRecordsNamed)
            changed.push_back(std::move(name));
    };
    // Read inside the transaction: a check numbered since the job started (New, an imported order)
    // is counted, so no renumbered check takes its number. A number that cannot be read counts as
    // none: renumbering then counts on from 0.
    step = "reading the last check number";
    const auto lastRecord = db::lastRecordCheckNumber(database);
    std::int64_t last = lastRecord && *lastRecord ? **lastRecord : 0;
    bool renumbered = false;
    step = "reading the register";
    db::RegisterWriter checkRegister(database);
    const std::int64_t run = db::nextRunNumber(database);
    const std::string printedOn = isoDateText(Clock::today());
    db::RecordSet records(database, db::schema::account(),
                          db::checksToPrint(options_.once, options_.monthly));
    const auto total = static_cast<std::int64_t>(printed_.size());
    std::int64_t done = 0;
    // Only the records that were printed are marked, each only if it is as it was printed; in table
    // order, so that recurring checks are numbered in that order.
    for (const PrintedCheck& printed : printed_) {
        if (!printed.confirmed) {
            // Not printed properly: it stays as a "No" leaves it.
            if (printed.recurring && records.moveTo(printed.id) &&
                records.field(db::field::kPrint).text() == option::kMonthly) {
                step = "saving the date of record " + std::to_string(printed.id);
                db::datePrinting(records, today);
            }
            continue;
        }
        if (!records.moveTo(printed.id)) {
            noteChanged("record " + std::to_string(printed.id) + " was deleted or set not to print");
            continue;
        }
        const db::CheckRecord record = db::CheckRecord::read(records);
        if (printed.fingerprint != fingerprint(record)) {
            noteChanged(checkName(record) + " was changed");
            continue;
        }
        if (changedCount > 0)
            continue; // nothing will be saved; the rest is only checked
        if (options_.once && record.print == option::kOnce) {
            step = "setting " + checkName(record) + " to don't print";
            db::markPrintedOnce(records, record, historyLine(record, today), today);
        } else if (options_.monthly && record.print == option::kMonthly) {
            step = "renumbering " + checkName(record);
            const db::DrawnOn drawnOn = db::DrawnOn::of(record.aba, record.account);
            std::optional<std::int64_t> number;
            if (options_.type == db::DatabaseType::Draft && record.check) {
                number = db::firstFreeNumber(database, db::renumbered(*record.check), drawnOn);
            } else if (options_.type == db::DatabaseType::Check) {
                last = db::firstFreeNumber(database, db::renumbered(last), drawnOn);
                number = last;
                renumbered = true;
            }
            db::markPrintedRecurring(records, record, historyLine(record, today), today, number);
        }
        step = "recording " + checkName(record) + " in the register";
        recordPrinted(checkRegister, printed, run, printedOn);
        report(RunProgress::Stage::Saving, ++done, total, 0, 0);
    }
    if (changedCount > 0)
        return Status::failure(std::string(kChangedWhilePrinting) + listed(changed, changedCount) +
                               kChangedNothingMarked);
    if (renumbered) {
        step = "saving the last check number in the database's properties";
        db::saveLastCheck(database, last);
    }
    return {};
}

void CheckRun::recordPrinted(db::RegisterWriter& checkRegister, const PrintedCheck& printed, std::int64_t run,
                             const std::string& printedOn) {
    // A check without a number is nothing a bank can match, and the register keeps numbers.
    if (!printed.number ||
        checkRegister.holdsIssued(printed.id, *printed.number, db::DrawnOn::of(printed.aba, printed.account)))
        return;
    db::RegisterEntry entry;
    entry.run = run;
    entry.recordId = printed.id;
    entry.check = *printed.number;
    entry.printed = printedOn;
    entry.payTo = printed.payTo;
    entry.amount = printed.amount;
    entry.aba = printed.aba;
    entry.account = printed.account;
    checkRegister.add(entry);
}

ChoiceList CheckRun::itemsToConfirm() const {
    ChoiceList list{kWhichPrinted, "Which checks printed properly?", {"Check #", "Pay To", "Amount"}, {}};
    list.rows.reserve(printed_.size());
    for (const PrintedCheck& check : printed_)
        list.rows.push_back({check.number ? std::to_string(*check.number) : std::string(),
                             check.payTo.value_or(std::string()),
                             check.amount ? "$" + check.amount->toGroupedText() : std::string()});
    return list;
}

void CheckRun::confirmOnly(const std::vector<bool>& printed) {
    for (std::size_t i = 0; i < printed_.size(); ++i)
        printed_[i].confirmed = i < printed.size() && printed[i];
}

bool CheckRun::changesOnNo() const {
    return options_.changesRecords && std::any_of(printed_.begin(), printed_.end(),
                                                  [](const PrintedCheck& check) { return check.recurring; });
}

// The recurring checks printed with today's date, which they keep, all or none: a check deleted or
// set not to print meanwhile is left as it is.
Status CheckRun::saveChangesOnNo(db::Connection& database, std::string& step) {
    savingDatesOnly_ = true;
    const std::string today = formatDateText(Clock::today());
    db::RecordSet records(database, db::schema::account(), db::checksToPrint(false, true));
    for (const PrintedCheck& printed : printed_) {
        if (!printed.recurring || !records.moveTo(printed.id))
            continue;
        step = "saving the date of record " + std::to_string(printed.id);
        db::datePrinting(records, today);
    }
    return {};
}

MessageBox CheckRun::notReadMessage(const std::string& why, std::int64_t printed) const {
    return problemBox("The checks could not be read from the database (" + why +
                          "). The job was ended after " + std::to_string(printed) +
                          " checks. No check has been marked as printed.",
                      "Checks not printed");
}

MessageBox CheckRun::notSentMessage(const std::string& why) const {
    return problemBox(kChecksNotSent + why + kChecksStillSet, "Checks not printed");
}

MessageBox CheckRun::notSavedMessage(const std::string& stepAndWhy) const {
    if (savingDatesOnly_)
        return problemBox(kDatesNotSaved + stepAndWhy + kNoDateSaved, "Dates not saved");
    return problemBox(kChecksNotUpdated + stepAndWhy + kChecksLeftAsTheyWere, "Database not updated");
}

} // namespace velmora::print
