#pragma once

#include "db/CheckDatabase.h"
#include "print/CheckPlacement.h"
#include "print/PrintJob.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora::db {
class RegisterWriter;
}

namespace velmora::print {

// The entered checks of a database that print one time, multiple times or both, as one job: the
// load-stock message, each check in the next slot of the page in table order (a recurring one with
// today's date), the question whether all printed, and on "Yes" the marks: a one-time check is set
// to don't print, every printed check gets the print date and a history line and is recorded in the
// register, and a recurring one gets today's date and a new number. On "No" the recurring checks keep
// the date they printed with; the user may then tick the checks that printed properly after all,
// which are marked as a "Yes" marks them while the others stay as a "No" leaves them.
//
// A check is recorded in the register as it was printed, once: printed again under the number the
// register holds for it, it gets no second entry. New numbers skip every number the register holds
// on the check's account.
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
    ChoiceList itemsToConfirm() const override;
    void confirmOnly(const std::vector<bool>& printed) override;
    MessageBox notReadMessage(const std::string& why, std::int64_t printed) const override;
    MessageBox notSentMessage(const std::string& why) const override;
    MessageBox notSavedMessage(const std::string& stepAndWhy) const override;

private:
    // A printed check as it was read: its ID, a fingerprint of the fields that its marking depends on
    // (print option, number, amount, comments), whether it printed as a recurring check, what the
    // register records of it, and whether the answer confirms it.
    struct PrintedCheck {
        std::int64_t id = 0;
        std::size_t fingerprint = 0;
        bool recurring = false;
        std::optional<std::int64_t> number;
        std::optional<std::string> payTo;
        std::optional<db::Money> amount;
        std::optional<std::string> aba, account;
        bool confirmed = true;
    };
    void report(RunProgress::Stage stage, std::int64_t done, std::int64_t total, std::int64_t page,
                std::int64_t pages) const;
    // The register's entry of a check confirmed as printed, as it was printed, unless the register
    // holds it already (the same check printed again under its number).
    static void recordPrinted(db::RegisterWriter& checkRegister, const PrintedCheck& printed,
                              std::int64_t run, const std::string& printedOn);

    db::CheckDatabase& database_;
    CheckPageSetup setup_;
    Options options_;
    ProgressFn progress_;
    std::vector<PrintedCheck> printed_;
    bool savingDatesOnly_ = false; // the changes being saved are those of a "No"
};

} // namespace velmora::print
