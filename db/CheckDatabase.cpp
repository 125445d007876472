#include "db/CheckDatabase.h"

#include "db/RecordSet.h"
#include "db/Schema.h"

namespace velmora::db {

Result<CheckDatabase> CheckDatabase::open(const std::filesystem::path& file, OpenMode mode) {
    const std::string name = file.filename().string();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return Result<CheckDatabase>::failure("The database " + name + " does not exist.");
    try {
        auto connection = std::make_unique<Connection>(file, mode);
        const TableDef* tables[] = {&schema::account(), &schema::databaseProperties()};
        if (Status status = schema::verifyAndUpgrade(*connection, tables); !status)
            return Result<CheckDatabase>::failure(name + " is not a usable check database. " +
                                                  status.message());
        return CheckDatabase(std::move(connection));
    } catch (const Error& error) {
        return Result<CheckDatabase>::failure(name + " is not a usable check database. " + error.what());
    }
}

DatabaseProperties CheckDatabase::readProperties() {
    RecordSet properties(*connection_, schema::databaseProperties());
    DatabaseProperties result;
    if (properties.hasCurrent()) {
        result.accountType = properties.field(field::kAccountType).text();
        result.description = properties.field(field::kDescription).text();
        result.lastCheck = properties.field(field::kLastCheck).integer();
    }
    return result;
}

} // namespace velmora::db
