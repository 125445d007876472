#pragma once

#include "base/Result.h"
#include "db/Connection.h"
#include "db/SettingsRecord.h"

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::app {

inline constexpr const char* kSettingsFileName = "PC.OVL";

// The settings file PC.OVL of a program directory, opened by each screen that needs it: the settings
// record (db/SettingsRecord.h names its fields), the password record and the product types. Every
// screen that shows a setting reads the record when it opens and writes the fields it changed back
// through the store.
class SettingsStore {
public:
    // Fails with a message naming the file when it is missing, not a database, or lacks a table or field.
    static Result<SettingsStore> open(const std::filesystem::path& programDir);
    // Writes the delivered settings file: the settings record with the delivered value of every
    // field, the delivered password and product types of their tables (db/SettingsRecord.h).
    static Status writeDelivered(const std::filesystem::path& file);

    db::Connection& connection() { return *connection_; }

    // The settings record as stored now; a failure says why it cannot be read.
    Result<db::SettingsRecord> read();
    // Stores the named fields of `record` in the settings record (db::setting names them); the other
    // fields keep what is stored. Only a field whose value differs from the stored one is written.
    Status write(const db::SettingsRecord& record, std::initializer_list<std::string_view> fields);
    // The product types, in the order of their table.
    Result<std::vector<std::string>> productTypes();

private:
    explicit SettingsStore(std::unique_ptr<db::Connection> connection)
        : connection_(std::move(connection)) {}
    std::unique_ptr<db::Connection> connection_;
};

} // namespace velmora::app
