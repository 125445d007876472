#pragma once

#include "app/Result.h"
#include "db/Sqlite.h"

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace velmora {

inline constexpr const char* kSettingsFileName = "PC.OVL";
// The delivered settings file is built under this name and renamed when complete.
inline constexpr const char* kSettingsTemporaryName = ".PC.OVL.new";

// Field names of the settings record (`Properties` of PC.OVL).
namespace setting {
inline constexpr const char* kTranCode = "1";
inline constexpr const char* kHorizontalStart = "5";
inline constexpr const char* kVerticalStart = "AlignStart";
inline constexpr const char* kBackupOnExit = "6";
inline constexpr const char* kQuickenCheckStock = "QuickenCheckStock";
inline constexpr const char* kPrint2Checks = "Print2Checks";
inline constexpr const char* kPlainPaper = "PlainPaper";
inline constexpr const char* kAboutLines[] = {"HelpAboutLine1", "HelpAboutLine2", "HelpAboutLine3"};
inline constexpr const char* kPrinter = "Printer";
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
    std::array<std::string, 3> aboutLines;
    // The printer chosen in Printer Setup; std::nullopt: the system's default printer.
    std::optional<std::string> printer;
};

// The settings file PC.OVL of a program directory, opened by each screen that needs it.
class SettingsStore {
public:
    // Fails with a message naming the file when it is missing, not a database, or lacks a table or field.
    static Result<SettingsStore> open(const std::filesystem::path& programDir);
    // Writes the delivered settings file: password "tulip", horizontal start 525, vertical start 200,
    // no backup, 88mm stock, and the first product types.
    static Status writeDelivered(const std::filesystem::path& file);

    db::Connection& connection() { return *connection_; }
    // Throws db::Error when the record cannot be read.
    SettingsRecord read();
    // Remembers the printer chosen in Printer Setup for the next start; std::nullopt (or an empty
    // name) stands for the system's default printer.
    Status savePrinter(const std::optional<std::string>& printer);

private:
    explicit SettingsStore(std::unique_ptr<db::Connection> connection)
        : connection_(std::move(connection)) {}
    std::unique_ptr<db::Connection> connection_;
};

} // namespace velmora
