#pragma once

#include "db/CheckDatabase.h"
#include "print/CheckPlacement.h"
#include "print/PrintJob.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora::print {

// The entered checks of a database that print one time, multiple times or both, as one job: the
// load-stock message, each check in the next slot of the page in table order (a recurring one with
// today's date, saved as it prints), the question whether all printed, and on "Yes" the marks: a
// one-time check is set to don't print, every printed check gets the print date and a history line,
// and a recurring one a new number. Only the checks that printed are marked, and only when each is
// still as it was printed; otherwise nothing is marked and the user is told which changed.
class CheckRun : public PrintJob {
public:
    struct Options {
        bool once = false;
        bool monthly = false;
        db::DatabaseType type = db::DatabaseType::Other; // the draft texts or the signature line
        std::string textFont;
        // False for a preview: nothing is asked and no record changes, not even a date.
        bool changesRecords = true;
    };

    CheckRun(db::CheckDatabase& database, const CheckPageSetup& setup, Options options, ProgressFn progress);

    Start prepare(Dialogs& dialogs, PrintSurface& surface) override;
    JobPrinted print(PrintSurface& surface) override;
    std::optional<MessageBox> question() const override;
    Status saveChanges(db::Connection& database, std::string& step) override;
    MessageBox notReadMessage(const std::string& why, std::int64_t printed) const override;
    MessageBox notSentMessage(const std::string& why) const override;
    MessageBox notSavedMessage(const std::string& stepAndWhy) const override;

private:
    // A printed check as it was read: its ID and a fingerprint of the fields that its marking
    // depends on (print option, number, amount, comments).
    struct PrintedCheck {
        std::int64_t id = 0;
        std::size_t fingerprint = 0;
    };
    void report(RunProgress::Stage stage, std::int64_t done, std::int64_t total, std::int64_t page,
                std::int64_t pages) const;

    db::CheckDatabase& database_;
    CheckPageSetup setup_;
    Options options_;
    ProgressFn progress_;
    std::optional<std::int64_t> lastNumber_;
    std::vector<PrintedCheck> printed_;
};

} // namespace velmora::print
