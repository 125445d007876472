#pragma once

#include "db/Schema.h"

#include <cstdint>
#include <optional>
#include <string>

namespace velmora::db {

// Field names of the database properties record (table `Properties` of a check database).
namespace field {
inline constexpr const char* kAccountType = "AccountType";
inline constexpr const char* kDescription = "Description";
inline constexpr const char* kLastCheck = "LastCheck";
} // namespace field

enum class DatabaseType { Draft, Check, Other };
DatabaseType databaseTypeFromText(const std::optional<std::string>& accountType);
const char* databaseTypeText(DatabaseType type); // "Draft", "Check"; "" for Other

// The database properties record of a check database: what kind of database it is, its name, and
// the check number last handed out to a recurring check of a check database.
struct DatabaseProperties {
    std::optional<std::string> accountType;
    std::optional<std::string> description;
    std::optional<std::int64_t> lastCheck;
    DatabaseType type() const { return databaseTypeFromText(accountType); }
};

namespace schema {
// The table `Properties` of a check database (not the settings record of PC.OVL, which has the same
// table name in another file).
const RecordTable<DatabaseProperties>& databaseProperties();
} // namespace schema

} // namespace velmora::db
