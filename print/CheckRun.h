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
// today's date), the question whether all printed, and on "Yes" the marks: a one-time check is set
// to don't print, every printed check gets the print date and a history line, and a recurring one
// today's date and a new number. On "No" the recurring checks keep the date they printed with.
//
// The job prints exactly the checks that were set to print when it started: a check added or set to
// print meanwhile (from another screen or program) waits for the next run. Only the checks that
// printed are marked, and only when each is still as it was printed; otherwise nothing is marked and
// the user is told which changed. Every change of an answer is saved in one transaction, and the
// new numbers are counted on from the last record as it stands in that transaction, so that a check
// numbered meanwhile never shares a number with a renumbered one.
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
    bool changesOnNo() const override;
    Status saveChangesOnNo(db::Connection& database, std::string& step) override;
    MessageBox notReadMessage(const std::string& why, std::int64_t printed) const override;
    MessageBox notSentMessage(const std::string& why) const override;
    MessageBox notSavedMessage(const std::string& stepAndWhy) const override;

private:
    // A printed check as it was read: its ID, a fingerprint of the fields that its marking depends on
    // (print option, number, amount, comments), and whether it printed as a recurring check.
    struct PrintedCheck {
        std::int64_t id = 0;
        std::size_t fingerprint = 0;
        bool recurring = false;
    };
    void report(RunProgress::Stage stage, std::int64_t done, std::int64_t total, std::int64_t page,
                std::int64_t pages) const;

    db::CheckDatabase& database_;
    CheckPageSetup setup_;
    Options options_;
    ProgressFn progress_;
    std::vector<PrintedCheck> printed_;
    bool savingDatesOnly_ = false; // the changes being saved are those of a "No"
};

} // namespace velmora::print
