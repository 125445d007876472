#pragma once

#include "base/DatabaseLocation.h"
#include "db/Schema.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace velmora::db {

// Field names of the tables of the settings file PC.OVL.
namespace setting {
// The settings record (`Properties`).
inline constexpr const char* kTranCode = "1";
inline constexpr const char* kHorizontalStart = "5";
inline constexpr const char* kVerticalStart = "AlignStart";
inline constexpr const char* kBackupOnExit = "6";
inline constexpr const char* kQuickenCheckStock = "QuickenCheckStock";
inline constexpr const char* kPrint2Checks = "Print2Checks";
inline constexpr const char* kPlainPaper = "PlainPaper";
inline constexpr const char* kAboutLine1 = "HelpAboutLine1";
inline constexpr const char* kAboutLine2 = "HelpAboutLine2";
inline constexpr const char* kAboutLine3 = "HelpAboutLine3";
inline constexpr const char* kPrinter = "Printer";
inline constexpr const char* kAmountInWords = "AmountInWords";
inline constexpr const char* kAmountWithCents = "AmountWithCents";
inline constexpr const char* kDatabaseServer = "DatabaseServer";
inline constexpr const char* kServerRequiresTls = "ServerRequiresTls";
// The program password (table `A`), and the password of a delivered settings file, which keeps only
// its salted hash (app/Password.h).
inline constexpr const char* kPassword = "ENTER";
inline constexpr const char* kDeliveredPassword = "tulip";
// The product types (table `BusinessType`).
inline constexpr const char* kProductTypeId = "ID";
inline constexpr const char* kProductType = "BusinessType";
} // namespace setting

// The settings record as read when a screen opens; Null fields stay std::nullopt.
struct SettingsRecord {
    std::optional<std::string> tranCode;
    std::optional<std::int64_t> horizontalStart;
    std::optional<std::int64_t> verticalStart;
    bool backupOnExit = false; // Null is no
    std::optional<bool> quickenCheckStock;
    std::optional<bool> print2Checks;
    std::optional<bool> plainPaper;
    std::optional<std::string> aboutLine1, aboutLine2, aboutLine3;
    // The printer chosen in Printer Setup; Null (or empty): the system's default printer.
    std::optional<std::string> printer;
    // How entered checks print their amount: also in words on a line of its own, and in figures with
    // cents and thousands separators. Null is no.
    bool amountInWords = false;
    bool amountWithCents = false;
    // The office's database server of the shared check databases (a libpq service name or connection
    // string, never with a password); Null or empty: none. Whether a connection to it without TLS is
    // refused; Null is no (TLS is still used whenever the server offers it).
    std::optional<std::string> databaseServer;
    bool serverRequiresTls = false;

    // The server as the settings name it; empty() when none is named.
    ServerAddress server() const { return {databaseServer.value_or(std::string()), serverRequiresTls}; }

    // The three About-box lines, a Null line empty.
    std::array<std::string, 3> aboutLines() const {
        return {aboutLine1.value_or(std::string()), aboutLine2.value_or(std::string()),
                aboutLine3.value_or(std::string())};
    }
};

// The record of the program password (table `A`): the salted hash of its lower-case form.
struct PasswordRecord {
    std::optional<std::string> hash;
};

// A product type (table `BusinessType`).
struct ProductTypeRecord {
    std::int64_t id = 0;
    std::optional<std::string> name;
};

namespace schema {
// The settings record, with the values of the delivered file.
const RecordTable<SettingsRecord>& settings();
const RecordTable<PasswordRecord>& password();
// The product types, with those of the delivered file.
const RecordTable<ProductTypeRecord>& businessTypes();
} // namespace schema

} // namespace velmora::db
