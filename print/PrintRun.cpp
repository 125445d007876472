#include "print/PrintRun.h"

#include "app/Clock.h"
#include "app/Product.h"
#include "db/RecordSet.h"
#include "db/Schema.h"
#include "print/CheckLayout.h"
#include "print/LabelLayout.h"

#include <algorithm>
#include <cctype>

namespace velmora::print {

namespace {

namespace field = db::field;
namespace option = db::print_option;

const char* const kNothingToDoTitle = "Nothing to do.";
const char* const kNothingToDo =
    "You have not selected anything to print. Please select the proper check box from the list for what you "
    "want to print. To print blank checks, choose Print Blank Checks from the upper left menu. ";
const char* const kLoadCheckStock = "Please load check stock in the printer now and press OK";
const char* const kChecksQuestion =
    "The print job has been sent to the printer. Wait until the checks are printed and then answer this "
    "question: Did all checks print properly? If you choose YES, all checks selected to print ONE TIME will "
    "be set to don't print. If you choose YES and you notice a few checks do not print properly, you can "
    "reprint checks by changing the How Will This Check Print option on the data entry screen. ";
const char* const kStartLabelPrompt =
    "Load your Avery 5160 labels in your printer now and enter the label number (labels are numbered down "
    "each "
    "column) of the first label you want to start printing on or press OK to choose label 1:";
const char* const kLabelsQuestion =
    "Did all labels print? If you choose YES, all labels selected to print ONE "
    "TIME will be set to not print again.";

constexpr std::int64_t kHighestCheckNumber = 999900;
constexpr std::int64_t kRestartCheckNumber = 101;

std::int64_t nextCheckNumber(std::int64_t number) {
    return number + 1 > kHighestCheckNumber ? kRestartCheckNumber : number + 1;
}

db::Filter checksFilter(const PrintSelection& selection) {
    db::Filter filter;
    if (selection.once && selection.monthly) {
        filter.where = "\"Print\" IN (?, ?)";
        filter.parameters = {option::kOnce, option::kMonthly};
    } else {
        filter.where = "\"Print\" = ?";
        filter.parameters = {selection.once ? option::kOnce : option::kMonthly};
    }
    return filter;
}

// Labels of one-time checks include those already set to don't print.
db::Filter labelsFilter(const PrintSelection& selection) {
    db::Filter filter;
    std::string which;
    if (selection.onceLabels) {
        which = "\"Print\" IN (?, ?)";
        filter.parameters = {option::kOnce, option::kNever};
    }
    if (selection.monthlyLabels) {
        which += which.empty() ? "\"Print\" = ?" : " OR \"Print\" = ?";
        filter.parameters.emplace_back(option::kMonthly);
    }
    filter.where = "\"LabelPrint\" <> 0 AND (" + which + ")";
    return filter;
}

std::string recordName(const db::CheckRecord& record) {
    std::string name = record.check ? "check #" + std::to_string(*record.check) : "the check";
    return name + " (record " + std::to_string(record.id) + ")";
}

// "Printed this check as #1234 For $12.5 on 12/6/2026  ": numbers in plain text, no blanks added.
std::string historyLine(const db::CheckRecord& record, const std::string& today) {
    return "Printed this check as #" + (record.check ? std::to_string(*record.check) : std::string()) +
           " For $" + (record.amount ? record.amount->toShortestText() : std::string()) + " on " + today +
           "  ";
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
    , dialogs_(dialogs) {}

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
    // A recurring check is printed with today's date, which is saved in it as it prints. The dates of
    // one job are saved together, so that a failure leaves none of them half done.
    std::optional<db::Transaction> dates;
    std::string step = "starting to save the dates";
    try {
        db::RecordSet records(database_.connection(), db::schema::account(), checksFilter(selection));
        const std::int64_t total = records.recordCount();
        const std::int64_t pages = CheckPlacement::pagesFor(total, setup_);
        if (saveDates && selection.monthly) {
            try {
                dates.emplace(database_.connection());
            } catch (const db::Error& error) {
                job.dateFailure = step + ": " + error.what();
            }
        }
        for (; !records.eof(); records.moveNext()) {
            db::CheckRecord record = db::CheckRecord::read(records);
            if (record.print == option::kMonthly) {
                record.date = today;
                if (dates && !job.dateFailure) {
                    step = "saving the date of " + recordName(record);
                    try {
                        records.edit();
                        records.setField(field::kDate, today);
                        records.update();
                    } catch (const db::Error& error) {
                        job.dateFailure = step + ": " + error.what();
                        records.cancelUpdate();
                    }
                }
            }
            layout.draw(surface, record, placement);
            placement.advance(surface);
            ++job.printed;
            report(RunProgress::Stage::Checks, job.printed, total, (job.printed - 1) / perPage + 1, pages);
        }
    } catch (const db::Error& error) {
        job.readFailure = error.what();
    }
    if (dates && !job.dateFailure && !job.readFailure) {
        try {
            dates->commit();
        } catch (const db::Error& error) {
            job.dateFailure = std::string("saving the dates: ") + error.what();
        }
    }
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
        dialogs_.show(
            {"\"" + answer.value_or(std::string()) +
                 "\" is not a label number. Enter a whole number from 1 to 30 (labels are numbered down "
                 "each column), or leave the box empty to start on label 1.",
             "Labels", DialogButtons::Ok, DialogIcon::Exclamation, DialogAnswer::Ok});
    }
}

Status PrintRun::markChecksPrinted(const PrintSelection& selection, std::optional<std::int64_t> lastNumber) {
    const std::string today = formatDateText(Clock::today());
    std::string step = "starting the changes";
    try {
        db::Connection& connection = database_.connection();
        db::Transaction transaction(connection);
        db::RecordSet records(connection, db::schema::account(), checksFilter(selection));
        const std::int64_t total = records.recordCount();
        std::int64_t done = 0;
        std::int64_t last = lastNumber.value_or(0);
        bool renumbered = false;
        for (; !records.eof(); records.moveNext()) {
            const db::CheckRecord record = db::CheckRecord::read(records);
            const std::string comments =
                historyLine(record, today) + "\r\n" + record.comments.value_or(std::string());
            if (selection.once && record.print == option::kOnce) {
                step = "setting " + recordName(record) + " to don't print";
                records.edit();
                records.setField(field::kComments, comments);
                records.setField(field::kPrint, option::kNever);
                records.setField(field::kPrinted, today);
                records.update();
            } else if (selection.monthly && record.print == option::kMonthly) {
                step = "renumbering " + recordName(record);
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
        return Status::failure(step + ": " + error.what());
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
    result.checksPrinted = job.printed;
    if (job.readFailure) {
        tellProblem(result,
                    "The checks could not be read from the database (" + *job.readFailure +
                        "). The job was ended after " + std::to_string(job.printed) +
                        " checks. No check has been marked as printed.",
                    "Checks not printed");
        return;
    }
    if (!sent.ok())
        tellProblem(result,
                    "The print job of the checks could not be sent: " + sent.message() +
                        ". If you answer the next question with No, no check is marked as printed.",
                    "Checks not printed");
    if (job.dateFailure)
        tellProblem(
            result,
            "The checks were printed with today's date, but the date could not be saved in the recurring "
            "checks (" +
                *job.dateFailure + "). Their dates were left as they were.",
            "Dates not saved");
    if (!dialogs_.askYesNo(kChecksQuestion, " ", DialogIcon::Critical, DialogAnswer::No))
        return;
    if (Status saved = markChecksPrinted(selection, lastNumber); !saved) {
        tellProblem(
            result,
            "The checks were printed, but the database could not be updated. The step that failed was " +
                saved.message() +
                ". No record has been changed: the one-time checks are still set to print, and the "
                "recurring checks keep their numbers.",
            "Database not updated");
        return;
    }
    result.checksConfirmed = true;
}

void PrintRun::runLabels(const PrintSelection& selection, PrintSurface& surface, const std::string& textFont,
                         RunReport& result) {
    const int startLabel = askStartLabel();
    surface.SetFontSize(10);
    std::optional<std::string> readFailure;
    result.labelsPrinted = printLabels(selection, surface, textFont, startLabel, readFailure);
    const Status sent = surface.EndDocument();
    if (readFailure) {
        tellProblem(result,
                    "The labels could not be read from the database (" + *readFailure +
                        "). The job was ended after " + std::to_string(result.labelsPrinted) +
                        " labels. No label has been marked as printed.",
                    "Labels not printed");
        return;
    }
    if (!sent.ok())
        tellProblem(result,
                    "The print job of the labels could not be sent: " + sent.message() +
                        ". If you answer the next question with No, no label is marked as printed.",
                    "Labels not printed");
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

std::optional<std::string> PrintRun::start(const PrintSelection& selection, PrintSurface& surface,
                                           RunReport& result) {
    if (!selection.any()) {
        dialogs_.show(
            {kNothingToDo, kNothingToDoTitle, DialogButtons::Ok, DialogIcon::None, DialogAnswer::Ok});
        result.nothingSelected = true;
        return std::nullopt;
    }
    surface.SetFontSize(10);
    surface.SetBold(false);
    try {
        type_ = database_.readProperties().type();
    } catch (const db::Error&) {
        type_ = db::DatabaseType::Other; // neither draft texts nor a signature line
    }
    return chooseTextFont(surface);
}

RunReport PrintRun::run(const PrintSelection& selection, PrintSurface& checks, PrintSurface& labels) {
    RunReport result;
    const std::optional<std::string> textFont = start(selection, checks, result);
    if (!textFont)
        return result;
    if (selection.checks())
        runChecks(selection, checks, *textFont, result);
    if (selection.labels())
        runLabels(selection, labels, *textFont, result);
    for (PrintSurface* surface : {&checks, &labels}) {
        surface->SetFontName(*textFont);
        surface->SetBold(false);
    }
    return result;
}

RunReport PrintRun::preview(const PrintSelection& selection, PrintSurface& surface) {
    RunReport result;
    const std::optional<std::string> textFont = start(selection, surface, result);
    if (!textFont)
        return result;
    if (selection.checks()) {
        const CheckJob job = printChecks(selection, surface, *textFont, false);
        result.checksPrinted = job.printed;
        if (job.readFailure)
            result.problems.push_back(*job.readFailure);
        surface.NewPage();
    }
    if (selection.labels()) {
        std::optional<std::string> readFailure;
        surface.SetFontSize(10);
        result.labelsPrinted = printLabels(selection, surface, *textFont, 1, readFailure);
        if (readFailure)
            result.problems.push_back(*readFailure);
    }
    if (Status sent = surface.EndDocument(); !sent)
        result.problems.push_back(sent.message());
    return result;
}

} // namespace velmora::print
