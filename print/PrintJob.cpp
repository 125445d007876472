#include "print/PrintJob.h"

#include "db/Connection.h"

#include <algorithm>

namespace velmora::print {

namespace {
const char* const kNotSavedTitle = "Database not updated";
} // namespace

std::string listed(const std::vector<std::string>& names, std::size_t total) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : "; ") + names[i];
    if (total > names.size())
        text += " and " + std::to_string(total - names.size()) + " more";
    return text;
}

std::string sentence(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return text + ".";
}

std::string checkName(const db::CheckRecord& record) {
    std::string name = record.check ? "check #" + std::to_string(*record.check) : "the check";
    return name + " (record " + std::to_string(record.id) + ")";
}

MessageBox problemBox(std::string text, std::string title) {
    return {std::move(text), std::move(title), DialogButtons::Ok, DialogIcon::Critical, DialogAnswer::Ok};
}

JobReport runJob(PrintJob& job, PrintSurface& surface, Dialogs& dialogs, db::Connection& database) {
    if (job.prepare(dialogs, surface) != PrintJob::Start::Print)
        return {};
    return runPreparedJob(job, surface, dialogs, database);
}

JobReport runPreparedJob(PrintJob& job, PrintSurface& surface, Dialogs& dialogs, db::Connection& database) {
    JobReport report;
    report.start = PrintJob::Start::Print;
    const auto tell = [&](const MessageBox& box) {
        dialogs.show(box);
        report.problems.push_back(box.text);
    };

    const JobPrinted printed = job.print(surface);
    const Status sent = surface.EndDocument();
    if (printed.readFailure) {
        tell(job.notReadMessage(*printed.readFailure, printed.count));
        return report;
    }
    if (!sent) {
        report.outputFailed = true;
        tell(job.notSentMessage(sentence(sent.message())));
        return report;
    }
    report.sent = true;
    report.printed = printed.count;

    // "Yes" (or no question) confirms every item; after a "No" a job that lists its items may have
    // some of them confirmed after all.
    bool confirmed = true;
    std::int64_t confirmedItems = printed.count;
    if (const std::optional<MessageBox> question = job.question()) {
        const ChoiceList items = job.itemsToConfirm();
        if (items.rows.empty()) {
            confirmed = dialogs.show(*question) == DialogAnswer::Yes;
        } else {
            const std::vector<bool> ticked = dialogs.confirmEach(*question, items);
            const auto count = std::count(ticked.begin(), ticked.end(), true);
            if (count == 0)
                confirmed = false;
            else if (count < static_cast<std::ptrdiff_t>(items.rows.size()))
                job.confirmOnly(ticked);
            if (count < static_cast<std::ptrdiff_t>(items.rows.size()))
                confirmedItems = count;
        }
    }
    if (!confirmed && !job.changesOnNo())
        return report;
    std::string step = "starting the changes";
    try {
        db::Transaction transaction(database);
        if (Status refused =
                confirmed ? job.saveChanges(database, step) : job.saveChangesOnNo(database, step);
            !refused) {
            tell(problemBox(refused.message(), kNotSavedTitle));
            return report;
        }
        step = "saving the changes";
        transaction.commit();
    } catch (const db::Error& error) {
        tell(job.notSavedMessage(step + ": " + error.what()));
        return report;
    }
    report.confirmed = confirmed;
    report.confirmedItems = confirmed ? confirmedItems : 0;
    return report;
}

} // namespace velmora::print
