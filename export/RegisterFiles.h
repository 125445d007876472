#pragma once

#include "base/DatabaseLocation.h"
#include "db/RegisterQueries.h"
#include "export/ExportFile.h"

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::exporting {

// The files written from the register of printed checks: the entries a view of the register shows,
// as a comma-delimited file for a spreadsheet, and the positive pay file a bank takes to pay only the
// checks that were issued (and none that were voided). Both are written as the export file is: whole
// or not at all, through the program's writer, never over one of the program's own files.

// The register file of a program folder, and the positive pay file, beside the databases.
inline constexpr const char* kRegisterFileName = "REGISTER.CSV";
inline constexpr const char* kPositivePayFileName = "POSPAY.CSV";

// What a column of a positive pay file holds.
enum class PositivePayColumn {
    Routing,   // the digits of the routing number
    Account,   // the digits of the account number
    Check,     // the check number
    IssueDate, // the date printed, in the format's date form
    Amount,    // in the format's amount form
    Payee,     // quoted, a double quote inside doubled; Null as ""
    VoidFlag,  // the format's word for an issued or a void check
};

enum class AmountForm {
    Dollars, // "1234.56"
    Cents,   // "123456"
};

// The layout of one bank's positive pay file. A bank that asks for another layout is one more row of
// positivePayFormats(), not code.
struct PositivePayFormat {
    std::string_view name;        // as --format names it
    std::string_view description; // one line, for the help and the screen
    std::string_view header;      // the first line, as it is written; "" for none
    std::vector<PositivePayColumn> columns;
    // The date form: YYYY, YY, MM and DD stand for the parts (with leading zeros), anything else is
    // written as it is: "MM/DD/YYYY", "MMDDYY", "YYYY-MM-DD".
    std::string_view dateForm;
    AmountForm amount;
    std::string_view issuedFlag; // the void flag of an issued check ("" for none)
    std::string_view voidFlag;
};

// The built-in formats, the first of them the one used when none is named.
std::span<const PositivePayFormat> positivePayFormats();
const PositivePayFormat* findPositivePayFormat(std::string_view name);
// "standard, no-payee, ...": the names, for a message.
std::string positivePayFormatNames();

// A date written in a format's date form.
std::string formatDate(std::string_view form, const std::string& isoDate);

// Appends the line of one entry in `format`, ended by CR LF. An issued check is written with its
// issue date and amount; a void one with the same and the void flag. Control characters in a payee
// (a line break pasted into the record) are written as blanks: a bank's reader takes one line per
// check.
void appendPositivePayLine(std::string& out, const PositivePayFormat& format, const db::RegisterEntry& entry);

// Writes the issued and voided checks of the dates from `from` to `to` (ISO dates, both included) in
// `format` to `target`: the entries printed in that range, and those voided in it (a check printed
// earlier and voided now is told to the bank as void), in the order of the register. The database
// is only read.
ExportResult writePositivePay(const DatabaseLocation& database, const PositivePayFormat& format,
                              const std::string& from, const std::string& to,
                              const std::filesystem::path& target, const std::filesystem::path& programDir);

// Writes the entries of `view` to `target` as the register screen shows them, with a header line
// naming the register's fields: every field but the entry's ID, amounts with two decimals, dates as
// ISO dates.
ExportResult writeRegisterFile(const DatabaseLocation& database, const db::RegisterView& view,
                               const std::filesystem::path& target, const std::filesystem::path& programDir);

} // namespace velmora::exporting
