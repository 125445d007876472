#pragma once

#include "base/Result.h"
#include "db/CheckRecord.h"
#include "db/DatabaseProperties.h"
#include "db/Sqlite.h"

#include <filesystem>
#include <memory>

namespace velmora::db {

// An open check database file (.mdb or the template file): its tables checked on open.
class CheckDatabase {
public:
    // The message of a failure names the file and what is wrong with it.
    static Result<CheckDatabase> open(const std::filesystem::path& file, OpenMode mode = OpenMode::ReadWrite);

    Connection& connection() { return *connection_; }
    const std::filesystem::path& path() const { return connection_->path(); }
    std::string fileName() const { return path().filename().string(); }

    // The database properties record (all Null when the table holds none); a failure says why it
    // cannot be read.
    Result<DatabaseProperties> readProperties();

private:
    explicit CheckDatabase(std::unique_ptr<Connection> connection)
        : connection_(std::move(connection)) {}
    std::unique_ptr<Connection> connection_;
};

} // namespace velmora::db
