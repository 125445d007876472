#pragma once

#include "base/Result.h"
#include "db/CheckRegister.h"
#include "db/RecordSet.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velmora::db {

class Connection;
class Statement;

// The queries on the register of printed checks and the runs of blank stock, in one place, as
// db/CheckQueries is for the check records: what a confirmed run records, which numbers the register
// holds, voiding, and what the register screen, its CSV file and positive pay read. Functions that
// return a Result or a Status answer from the file; the others throw db::Error as the record layer
// does, for a caller that holds a transaction.

// The account a check is drawn on as the bank reads it: the digits of its routing and account
// numbers, without the blanks and dashes of the MICR line. A check without an account number is on
// no account the register can tell: no number is held for it, and it holds none.
struct DrawnOn {
    std::string routing;
    std::string account;
    static DrawnOn of(const std::optional<std::string>& aba, const std::optional<std::string>& account);
    bool known() const { return !account.empty(); }
    bool operator==(const DrawnOn&) const = default;
};
// The digits of a text, in order.
std::string digitsOf(const std::optional<std::string>& text);

// What the register holds under a check number on one account.
struct NumberHeld {
    enum class By { IssuedCheck, VoidedCheck, BlankStock };
    By by = By::IssuedCheck;
    std::int64_t recordId = 0;  // the check record an issued or voided check was printed from
    std::string date;           // when it was printed (for a void check: voided), as an ISO date
    std::string product;        // what blank stock it is on ("blank checks")
    std::int64_t lastOfRun = 0; // the last number of that run of blank stock
};
// The first thing the register holds under `number` on `account`: an issued or void check, or a run
// of blank stock; std::nullopt when the number is free. The issued check of the record `own` is left
// aside (the same check printed again under its own number).
std::optional<NumberHeld> numberHeld(Connection& database, std::int64_t number, const DrawnOn& account,
                                     std::optional<std::int64_t> own = std::nullopt);
// The sentence that tells it: "Check #1003 was printed on 12/6/2026 (record 7) and is in the register."
std::string describeHeld(std::int64_t number, const NumberHeld& held);

// A check among those a run would print whose number the register holds on its account (for another
// check, as void, or as blank stock), or that an earlier check of the run carries on the same account.
struct NumberConflict {
    std::int64_t recordId = 0;
    std::int64_t number = 0;
    std::string why; // a sentence
};
struct NumberConflicts {
    std::vector<NumberConflict> first; // the first ones in table order, at most as many as asked for
    std::size_t total = 0;
};
// The checks of `among` (a filter on `Account`) whose numbers conflict so, in table order.
Result<NumberConflicts> findNumberConflicts(Connection& database, const Filter& among, std::size_t named);

// `number`, or the first number after it that the register does not hold on `account`, counted as
// a recurring check is renumbered (101 after the wrap limit): every number the program hands out
// passes through here, so that none the register holds goes out again.
std::int64_t firstFreeNumber(Connection& database, std::int64_t number, const DrawnOn& account);

// One more than the run of every entry recorded so far: the run of a job being confirmed.
std::int64_t nextRunNumber(Connection& database);

// Adds the entries of a confirmed job, inside the caller's transaction; the statements are prepared
// once for the whole run.
class RegisterWriter {
public:
    explicit RegisterWriter(Connection& database);
    ~RegisterWriter();
    RegisterWriter(const RegisterWriter&) = delete;
    RegisterWriter& operator=(const RegisterWriter&) = delete;

    void add(const RegisterEntry& entry);
    void add(const BlankStockRun& run);
    // Whether the register holds the issued check of `recordId` under `number` on `account`: a check
    // printed again under the number it was recorded with, which gets no second entry.
    bool holdsIssued(std::int64_t recordId, std::int64_t number, const DrawnOn& account);

private:
    Connection& database_;
    std::unique_ptr<Statement> entry_;
    std::unique_ptr<Statement> run_;
    std::unique_ptr<Statement> issued_;
};

// Which entries a view of the register takes.
struct RegisterView {
    enum class States { All, Issued, Void };
    // The dates that fall in the range: the date printed, or for positive pay that date or the date
    // voided (a check printed earlier and voided in the range is told to the bank as void).
    enum class Dates { Printed, PrintedOrVoided };
    std::optional<std::string> from, to; // ISO dates, both ends included; std::nullopt: open
    States states = States::All;
    Dates dates = Dates::Printed;
    bool operator==(const RegisterView&) const = default;
};

// How many entries a view takes and what their amounts come to, in cents: all of them, and the
// issued ones alone.
struct RegisterTotals {
    std::int64_t count = 0;
    std::int64_t cents = 0;
    std::int64_t issuedCents = 0;
};
Result<RegisterTotals> registerTotals(Connection& database, const RegisterView& view);

// Where an entry stands in the order of the register: by check number, then as recorded.
struct RegisterKey {
    std::int64_t check = 0;
    std::int64_t id = 0;
};
// At most `limit` entries of the view in the order of the register: those after `after` when given,
// otherwise from the `skip`th on. Throws db::Error.
std::vector<RegisterEntry> registerPage(Connection& database, const RegisterView& view,
                                        std::optional<RegisterKey> after, std::int64_t skip, int limit);
// Every entry of the view, in the order of the register, read with one statement. Stops at the first
// failure, which says why. A file of a version without the register has none.
Status forEachRegisterEntry(Connection& database, const RegisterView& view,
                            const std::function<void(const RegisterEntry&)>& entry);

// The issued check of the register under `number`: on the account whose number has the digits
// `account`, or on any account when std::nullopt. Fails, saying why, when the register holds none
// (or only a void one), or issued ones on several accounts.
Result<RegisterEntry> findIssuedCheck(Connection& database, std::int64_t number,
                                      const std::optional<std::string>& account);
// Voids the entry with this ID: it becomes void with today's date and the reason (none when empty),
// and a history line goes in front of the comments of the check record it was printed from (when that
// is still there), in one transaction. The number is never handed out again. Fails, saying why, when
// the entry is gone or void already.
Result<RegisterEntry> voidEntry(Connection& database, std::int64_t entryId, const std::string& reason);
// The history line of a voided check: "Voided check #1003 For $12.5 on 12/6/2026: spoiled  ".
std::string voidHistoryLine(const RegisterEntry& entry, const std::string& today, const std::string& reason);

} // namespace velmora::db
