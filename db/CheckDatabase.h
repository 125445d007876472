#pragma once

#include "base/Result.h"
#include "db/CheckRecord.h"
#include "db/DatabaseProperties.h"
#include "db/Connection.h"

#include <filesystem>
#include <memory>

namespace velmora::db {

// An open check database file (.mdb or the template file): its tables checked on open.
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
