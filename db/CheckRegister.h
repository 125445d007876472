#pragma once

#include "db/Money.h"
#include "db/Schema.h"

#include <cstdint>
#include <optional>
#include <string>

namespace velmora::db {

// Field names of the register of printed checks (table `Register`) and of the runs of numbered blank
// stock (table `BlankStock`). The check number, payee, amount, routing and account number keep the
// names they have in `Account`, the last number of a run of blank stock that of `LastCheck`.
namespace field {
inline constexpr const char* kRun = "Run";
inline constexpr const char* kRecordId = "RecordID";
inline constexpr const char* kStatus = "Status";
inline constexpr const char* kVoided = "Voided";
inline constexpr const char* kReason = "Reason";
inline constexpr const char* kProduct = "Product";
inline constexpr const char* kFirstCheck = "FirstCheck";
} // namespace field

// Stored values of a register entry's `Status`.
namespace register_state {
inline constexpr const char* kIssued = "Issued";
inline constexpr const char* kVoid = "Void";
} // namespace register_state

// One check as it went out: a row of the register, written when the user confirmed that it printed.
// The payee, amount, routing and account number are those printed, whatever the check record holds
// later (a recurring check is renumbered, any check may be edited or deleted). Dates are ISO dates
// ("2026-12-06").
struct RegisterEntry {
    std::int64_t id = 0;
    std::int64_t run = 0;
    std::int64_t recordId = 0; // the `ID` of the check record it was printed from
    std::int64_t check = 0;
    std::string printed;
    std::optional<std::string> payTo;
    std::optional<Money> amount;
    std::optional<std::string> aba, account;
    std::string state = register_state::kIssued;
    std::optional<std::string> voided, reason;

    bool isVoid() const { return state == register_state::kVoid; }
};

// A run of numbered blank stock (blank checks, the Quicken(tm) checks): the numbers it put on paper
// and the account they are drawn on, for the numbers the register holds.
struct BlankStockRun {
    std::int64_t id = 0;
    std::int64_t run = 0;
    std::string printed;
    std::string product;
    std::int64_t firstCheck = 0;
    std::int64_t lastCheck = 0;
    std::optional<std::string> aba, account;
};

namespace schema {
// The table `Register` of a check database.
const RecordTable<RegisterEntry>& checkRegister();
// The table `BlankStock` of a check database.
const RecordTable<BlankStockRun>& blankStockRuns();
} // namespace schema

} // namespace velmora::db
