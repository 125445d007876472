#include "db/CheckDatabase.h"

#include "db/ErrorText.h"
#include "db/JetHeader.h"
#include "db/RecordSet.h"
#include "db/SoundFiles.h"

#include <sqlite3.h>

namespace velmora::db {

namespace {
// clang-format off
constexpr const char* kNotAFileOfOurs = " is not a usable check database: it is damaged, or it is not a file of this program. ";
constexpr const char* kAccessFile = " is an Access (Jet) database and must be converted before it can be used: choose it on the selection screen, which offers the conversion, or run velmora convert ";
// clang-format on
} // namespace

Result<CheckDatabase> CheckDatabase::checkedTables(std::unique_ptr<Connection> connection,
                                                   const std::string& name) {
    if (Status status = schema::verifyAndUpgrade(*connection, schema::checkDatabaseTables()); !status)
        return Result<CheckDatabase>::failure(name + " is not a usable check database. " + status.message());
    return CheckDatabase(std::move(connection));
}

Result<CheckDatabase> CheckDatabase::open(const std::filesystem::path& file, OpenMode mode, Checked checked) {
    const std::string name = file.filename().string();
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec))
        return Result<CheckDatabase>::failure("The database " + name + " is a folder, not a check database.");
    if (!std::filesystem::is_regular_file(file, ec))
        return Result<CheckDatabase>::failure("The database " + name + " does not exist.");
    try {
        auto connection = std::make_unique<Connection>(file, mode);
        // A damaged file is refused here, with how to restore its backup, and not halfway through a
        // print run; a file unchanged since it was last found sound is not read whole again.
        if (checked == Checked::WholeFile)
            (void)requireSound(*connection, SoundFiles::forThisUser());
        return checkedTables(std::move(connection), name);
    } catch (const Error& error) {
        if ((error.code() & 0xff) == SQLITE_NOTADB && db::isJetFile(file))
            return Result<CheckDatabase>::failure(name + kAccessFile + name + ".");
        if ((error.code() & 0xff) == SQLITE_NOTADB)
            return Result<CheckDatabase>::failure(name + kNotAFileOfOurs + restoreAdvice(file));
        // A file that is in use, unwritable or damaged is not the wrong kind of file: say what it is.
        if (auto problem = fileProblem(error))
            return Result<CheckDatabase>::failure(*problem);
        return Result<CheckDatabase>::failure(name + " is not a usable check database. " + error.what());
    }
}

Result<CheckDatabase> CheckDatabase::openOnServer(const ServerAddress& server, const std::string& name,
                                                  OpenMode mode) {
    try {
        return checkedTables(std::make_unique<Connection>(Connection::toServer(server, name, mode)), name);
    } catch (const Error& error) {
        return Result<CheckDatabase>::failure(error.what());
    }
}

Result<CheckDatabase> CheckDatabase::open(const DatabaseLocation& location, OpenMode mode, Checked checked) {
    return location.shared() ? openOnServer(location.server(), location.name(), mode)
                             : open(location.file(), mode, checked);
}

Result<DatabaseProperties> CheckDatabase::readProperties() {
    try {
        RecordSet properties(*connection_, schema::databaseProperties());
        if (!properties.hasCurrent())
            return DatabaseProperties{};
        return schema::databaseProperties().read(properties);
    } catch (const Error& error) {
        return Result<DatabaseProperties>::failure(userMessage(error));
    }
}

} // namespace velmora::db
