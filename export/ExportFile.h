#pragma once

#include "base/DatabaseLocation.h"
#include "base/Result.h"
#include "export/ExportFormats.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace velmora::db {
class Connection;
}

namespace velmora::exporting {

// The export file of a program folder, EXPORT.TXT beside the databases.
std::filesystem::path exportFilePath(const std::filesystem::path& programDir);

// A stored value longer than this is damage or a mistake, not a name or an address: it is cut to its
// first bytes (never inside a character), and the export says which lines hold such values. So a
// huge field costs the export no more memory than this.
inline constexpr std::size_t kMaxExportedValueBytes = std::size_t{64} * 1024;

// What an export did.
struct [[nodiscard]] ExportResult {
    enum class Failure {
        None,
        Output,   // the file cannot be written (a program file, a link, a full disk); nothing was replaced
        Database, // the database cannot be read, or is damaged: found while reading it
    };
    Failure failure = Failure::None;
    std::string message;      // why it failed, naming the file
    std::int64_t records = 0; // the lines written
    std::string notice;       // values that were cut, when there were any

    bool ok() const { return failure == Failure::None; }
};

// Whether `target` may take an export of `database`, the check the command line and the export screen
// make before anything is read: never a link, a folder, a device or a read-only file, and never one
// of the program's own files (app/ProgramDir.h), by identity or content.
Status checkExportTarget(const std::filesystem::path& target, const std::filesystem::path& programDir,
                         const DatabaseLocation& database);
// The same check for another file written from a database (the register's), for which EXPORT.TXT is
// one of the program's files too.
Status checkOutputTarget(const std::filesystem::path& target, const std::filesystem::path& programDir,
                         const DatabaseLocation& database, bool isTheExportFile);

// A comma-delimited file written from a check database through the program's writer, as every
// file of this box is: the target is made first (nothing is read when it cannot be made), the
// database is opened to read only, the lines are gathered and handed to the file a few hundred
// kilobytes at a time, and the file is committed whole, or an earlier file of that name is left as
// it was. `lines` appends the lines to the text it is given, calls `done` after each record, and
// returns why the records could not be read (the failure met halfway).
using LineFiller =
    std::function<Status(db::Connection& database, std::string& text, const std::function<void()>& done)>;
// `kind` names the file in a failure's message ("The export file"). The notice is left to the caller.
ExportResult writeLines(const DatabaseLocation& database, const std::filesystem::path& target,
                        const std::filesystem::path& programDir, bool isTheExportFile,
                        const std::string& kind, const LineFiller& lines);

// Writes every check record of the database file, in table order, to `target` in `format`, UTF-8
// as the records hold it, through the program's writer: the file is checked as checkExportTarget()
// does, written whole under a temporary name, synced and renamed into place, so a failure (a full
// disk, a file-size limit, a damaged page met halfway) leaves an earlier file as it was. The
// database is only read.
ExportResult writeExport(const DatabaseLocation& database, const ExportFormat& format,
                         const std::filesystem::path& target, const std::filesystem::path& programDir);

} // namespace velmora::exporting
