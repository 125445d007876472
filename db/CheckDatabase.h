#pragma once

#include "base/DatabaseLocation.h"
#include "base/Result.h"
#include "db/CheckRecord.h"
#include "db/Connection.h"
#include "db/DatabaseProperties.h"

#include <filesystem>
#include <memory>

namespace velmora::db {

// An open check database: a file (.mdb or the template file) or a check database on the office's
// database server, its tables checked on open.
class CheckDatabase {
public:
    // What is checked on opening: the whole file, every page and every index (a damaged file is
    // refused before anything is done with it), unless the file is in the state it was in when it was
    // last found sound (db/SoundFiles.h); or its tables only, for a reader that stops cleanly on
    // damage found on its way (SQLite refuses a malformed page as it reads it).
    enum class Checked { WholeFile, TablesOnly };
    // The message of a failure names the file and what is wrong with it.
    static Result<CheckDatabase> open(const std::filesystem::path& file, OpenMode mode = OpenMode::ReadWrite,
                                      Checked checked = Checked::WholeFile);

    // The check database `name` on the database server at `server` (db/Postgres.h): its tables are
    // checked, and brought up to date, as a file's are; the server keeps its pages sound itself.
    static Result<CheckDatabase> openOnServer(const ServerAddress& server, const std::string& name,
                                              OpenMode mode = OpenMode::ReadWrite);

    // The check database at `location`, a file (checked as `checked` says) or on the server.
    static Result<CheckDatabase> open(const DatabaseLocation& location, OpenMode mode = OpenMode::ReadWrite,
                                      Checked checked = Checked::WholeFile);

    // Whether the database lives on the server (shared by the desks of the office).
    bool shared() const { return connection_->dialect() == Dialect::Postgres; }
    Connection& connection() { return *connection_; }
    const std::filesystem::path& path() const { return connection_->path(); }
    // The file the program's writers must never replace: the database's own, when it is a file.
    std::optional<std::filesystem::path> ownFile() const {
        return shared() ? std::nullopt : std::optional<std::filesystem::path>(path());
    }

    // The database properties record (all Null when the table holds none); a failure says why it
    // cannot be read.
    Result<DatabaseProperties> readProperties();

private:
    explicit CheckDatabase(std::unique_ptr<Connection> connection)
        : connection_(std::move(connection)) {}
    // The check database on `connection` once its tables are checked and brought up to date.
    static Result<CheckDatabase> checkedTables(std::unique_ptr<Connection> connection,
                                               const std::string& name);
    std::unique_ptr<Connection> connection_;
};

} // namespace velmora::db
