#include "print/LabelRun.h"

#include "base/Clock.h"
#include "base/Text.h"
#include "db/CheckQueries.h"
#include "db/RecordSet.h"
#include "print/LabelLayout.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace velmora::print {

namespace {
// clang-format off
const char* const kStartLabelPrompt = "Load your Avery 5160 labels in your printer now and enter the label number (labels are numbered down each column) of the first label you want to start printing on or press OK to choose label 1:";
const char* const kLabelsQuestion = "Did all labels print? If you choose YES, all labels selected to print ONE TIME will be set to not print again.";
const char* const kLabelsNotSent = "The print job of the labels could not be sent. ";
const char* const kLabelsStillSet = " Nothing has been marked as printed: the labels are still set to print.";
// clang-format on
} // namespace

std::optional<int> parseStartLabel(const std::string& answer) {
    const std::string text(trimCharacters(answer, " \t"));
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

LabelRun::LabelRun(db::CheckDatabase& database, Options options, ProgressFn progress)
    : database_(database)
    , options_(std::move(options))
    , progress_(std::move(progress)) {}

PrintJob::Start LabelRun::prepare(Dialogs& dialogs, PrintSurface&) {
    if (options_.startLabel) {
        startLabel_ = *options_.startLabel;
        return Start::Print;
    }
    for (;;) {
        const std::optional<std::string> answer = dialogs.input({kStartLabelPrompt, "", ""});
        // Cancel gives the empty answer: label 1. There is no way to call the labels off here.
        if (const std::optional<int> number = parseStartLabel(answer.value_or(std::string()))) {
            startLabel_ = *number;
            return Start::Print;
        }
        dialogs.show({"\"" + answer.value_or(std::string()) + "\" is not a label number. " + kStartLabelRule,
                      "Labels", DialogButtons::Ok, DialogIcon::Exclamation, DialogAnswer::Ok});
    }
}

JobPrinted LabelRun::print(PrintSurface& surface) {
    JobPrinted job;
    skipFailure(surface.SetFontSize(10));
    const LabelLayout layout(options_.textFont);
    int number = startLabel_;
    try {
        const db::Filter selected =
            db::labelsToPrint(database_.connection().dialect(), options_.onceLabels, options_.monthlyLabels);
        lastId_ = db::highestRecordId(database_.connection());
        const std::vector<std::int64_t> ids = db::recordIds(database_.connection(), selected);
        db::RecordSet records(database_.connection(), db::schema::account(), selected);
        const auto total = static_cast<std::int64_t>(ids.size());
        // The first sheet takes the labels from the start label on (a whole sheet past label 30).
        const std::int64_t perSheet = LabelLayout::kLabelsPerSheet;
        const std::int64_t onFirstSheet = startLabel_ > perSheet ? perSheet : perSheet - startLabel_ + 1;
        const std::int64_t pages =
            total == 0 ? 0
                       : 1 + (total > onFirstSheet ? (total - onFirstSheet + perSheet - 1) / perSheet : 0);
        std::int64_t page = 1;
        for (const std::int64_t id : ids) {
            // Added between the two reads, or deleted or set not to print since the job started.
            if (id > lastId_ || !records.moveTo(id))
                continue;
            const db::CheckRecord record = db::CheckRecord::read(records);
            if (number > LabelLayout::kLabelsPerSheet) {
                skipFailure(surface.NewPage());
                number = 1;
                if (job.count > 0)
                    ++page;
            }
            layout.draw(surface, record, number);
            ++number;
            ++job.count;
            if (progress_)
                progress_({RunProgress::Stage::Labels, job.count, total, page, pages});
        }
    } catch (const db::Error& error) {
        job.readFailure = error.what();
    }
    return job;
}

std::optional<MessageBox> LabelRun::question() const {
    return MessageBox{kLabelsQuestion, options_.afterChecks ? " " : "", DialogButtons::YesNo,
                      DialogIcon::Critical, DialogAnswer::No};
}

Status LabelRun::saveChanges(db::Connection& database, std::string& step) {
    const std::string today = formatDateText(Clock::today());
    if (options_.onceLabels) {
        step = "setting the one-time labels to not print again";
        db::markOnceLabelsPrinted(database, today, lastId_);
    }
    if (options_.monthlyLabels) {
        step = "dating the labels of recurring checks";
        db::dateRecurringLabels(database, today, lastId_);
    }
    return {};
}

MessageBox LabelRun::notReadMessage(const std::string& why, std::int64_t printed) const {
    return problemBox("The labels could not be read from the database (" + why +
                          "). The job was ended after " + std::to_string(printed) +
                          " labels. No label has been marked as printed.",
                      "Labels not printed");
}

MessageBox LabelRun::notSentMessage(const std::string& why) const {
    return problemBox(kLabelsNotSent + why + kLabelsStillSet, "Labels not printed");
}

MessageBox LabelRun::notSavedMessage(const std::string& stepAndWhy) const {
    return problemBox(
        "The labels were printed, but the database could not be updated. The step that failed was " +
            stepAndWhy + ". No record has been changed: the labels are still set to print.",
        "Database not updated");
}

} // namespace velmora::print
