#pragma once

#include "base/OutputFile.h"
#include "base/Result.h"
#include "db/Postgres.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velmora::db {

// Moving a check database between a file of this desk and the office's database server, either way.
//
// Every table of a check database is copied whole, each row with its ID, and each counter goes on
// after the last number the source's counter handed out, so that no number ever comes twice. Before
// the copy is kept it is read back and compared with the source row by row and field by field; a
// difference names the table, the record and the field, and nothing is kept. The source is read as
// one consistent state (a snapshot of the file or of the server), and it is never changed.

// What a copy held: the rows of each table, in the order of the check database's tables.
struct CopyReport {
    struct Table {
        std::string name;
        std::int64_t rows = 0;
    };
    std::vector<Table> tables;
    std::int64_t rows() const;
};

// How a copy ended. A failure's message says why; nothing of the copy is left then.
struct CopyResult {
    enum class Failure {
        None,
        Source, // the source cannot be opened: missing, damaged, not a check database, unreachable
        Copy,   // the target refused or not written, a value no check can carry, or the copy differed
        Exists, // the target file exists, and was not to be replaced
    };
    Failure failure = Failure::None;
    std::string message;
    CopyReport report;
    bool ok() const { return failure == Failure::None; }
};

struct CopyOptions {
    // Called with the copy once it is written and before it is read back; for the tests of the
    // verification, which change a field there.
    std::function<void(Connection& copy)> beforeVerifying;
};

// The name a check database file takes on the server: its file name without ".mdb" (in any letter
// case); another extension is kept as part of the name.
std::string serverNameFor(const std::filesystem::path& file);

// Copies the check database file `source`, opened with every check of an opening (a damaged file is
// refused), to the new check database `name` on the server at `server`: all of it in one transaction
// of the server, verified before it is committed. A name the server cannot take or that is taken, in
// any letter case, is refused as on creating one. Nothing is left on the server after a failure.
[[nodiscard]] CopyResult copyToServer(const std::filesystem::path& source, const ServerAddress& server,
                                      const std::string& name, const CopyOptions& options = {});

// Where a copy to a file goes. The file is written by the program's one writer (base/OutputFile.h):
// a private temporary beside it, verified, synced, then renamed; never a link, a folder or a device.
// `existing`: whether a file of that name is replaced (the user said so) or refused. `protectedFiles`
// are never replaced (the program's own); a file that is no check database of the program's by its
// content (the settings, an Access original waiting for its conversion) is never replaced either.
struct FileTarget {
    std::filesystem::path file; // NAME.mdb
    WhenExisting existing = WhenExisting::Refuse;
    std::shared_ptr<const ProtectedFiles> protectedFiles = {};
};

// Copies the check database `name` of the server at `server` into the file `target`, verified before
// the file takes its name. After a failure no file is left and an existing one is as it was.
[[nodiscard]] CopyResult copyToFile(const ServerAddress& server, const std::string& name,
                                    const FileTarget& target, const CopyOptions& options = {});

} // namespace velmora::db
