#include "db/DatabaseProperties.h"

#include "db/CheckRecord.h"

namespace velmora::db {

DatabaseType databaseTypeFromText(const std::optional<std::string>& accountType) {
    if (accountType == "Draft")
        return DatabaseType::Draft;
    if (accountType == "Check")
        return DatabaseType::Check;
    return DatabaseType::Other;
}

const char* databaseTypeText(DatabaseType type) {
    switch (type) {
    case DatabaseType::Draft:
        return "Draft";
    case DatabaseType::Check:
        return "Check";
    default:
        return "";
    }
}

namespace schema {

const RecordTable<DatabaseProperties>& databaseProperties() {
    using R = DatabaseProperties;
    // clang-format off
    static const RecordTable<DatabaseProperties> table("Properties", {
        {{field::kAccountType, FieldKind::Text,    "Draft or Check"},           &R::accountType},
        {{field::kDescription, FieldKind::Text},                                &R::description},
        {{field::kLastCheck,   FieldKind::Integer, {}, Bounds{0, kMaxCheckNumber}}, &R::lastCheck},
    });
    // clang-format on
    return table;
}

} // namespace schema
} // namespace velmora::db
