#pragma once

#include "db/Money.h"
#include "db/Schema.h"

#include <cstdint>
#include <optional>
#include <string>

namespace velmora::db {

class RecordSet;

// Field names of a check record (table `Account`).
namespace field {
inline constexpr const char* kId = "ID";
inline constexpr const char* kBusinessName = "BusinessName";
inline constexpr const char* kFirstName = "FirstName";
inline constexpr const char* kLastName = "LastName";
inline constexpr const char* kAddress = "Address";
inline constexpr const char* kCity = "City";
inline constexpr const char* kState = "State";
inline constexpr const char* kZip = "Zip";
inline constexpr const char* kPhone = "Phone";
inline constexpr const char* kPayTo = "PayTo";
inline constexpr const char* kAmount = "Amount";
inline constexpr const char* kDate = "Date";
inline constexpr const char* kCheck = "Check";
inline constexpr const char* kFor = "For";
inline constexpr const char* kBank = "Bank";
inline constexpr const char* kBankCity = "BankCity";
inline constexpr const char* kBankState = "BankState";
inline constexpr const char* kAba = "ABA";
inline constexpr const char* kAccount = "Account";
inline constexpr const char* kComments = "Comments";
inline constexpr const char* kPrint = "Print";
inline constexpr const char* kLabelPrint = "LabelPrint";
inline constexpr const char* kBusinessType = "BusinessType";
inline constexpr const char* kPrinted = "Printed";
inline constexpr const char* kLabelPrinted = "LPrinted";
// Read only by "Goto First Check", where a database carries it; not a field of the table.
inline constexpr const char* kLabelPrintLegacy = "LPrint";
} // namespace field

// The bounds of what a check carries. A stored value outside them is damage, never printed: the
// number is the long integer of the `Check` field, the amount at most $999,999,999.99 either way.
inline constexpr std::int64_t kMaxCheckNumber = 2'147'483'647;
inline constexpr std::int64_t kMaxAmountCents = 99'999'999'999;

// Stored values of `Print`.
namespace print_option {
inline constexpr const char* kOnce = "Once";
inline constexpr const char* kMonthly = "Monthly";
inline constexpr const char* kNever = "Never";
} // namespace print_option

// One check record as the layouts, the runs and the export read it. std::nullopt is a Null field,
// which the layouts skip; an empty text is present and takes its line.
struct CheckRecord {
    std::int64_t id = 0;
    std::optional<std::string> businessName, firstName, lastName, address, city, state, zip, phone;
    std::optional<std::string> payTo;
    std::optional<Money> amount;
    std::optional<std::string> date;
    std::optional<std::int64_t> check;
    std::optional<std::string> memo; // `For`
    std::optional<std::string> bank, bankCity, bankState;
    std::optional<std::string> aba, account;
    std::optional<std::string> comments, print;
    bool labelPrint = false;
    std::optional<std::string> businessType, printed, labelPrinted;

    // Reads the current record of a record set over `Account`.
    static CheckRecord read(RecordSet& records);
};

namespace schema {
// The table `Account` of a check database and the template file.
const RecordTable<CheckRecord>& account();
} // namespace schema

} // namespace velmora::db
