#pragma once

#include "base/OutputFile.h"
#include "base/Result.h"
#include "db/DatabaseProperties.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velmora::db {

inline constexpr const char* kTemplateFileName = "template.ref";
inline constexpr std::size_t kMaxDatabaseNameLength = 36;

// Whether a file has the extension of a check database: ".mdb" in any letter case.
bool hasDatabaseExtension(const std::filesystem::path& file);

// Whether a file of this name exists in `dir`, in any letter case: the names of two databases must
// differ in more than case, or "Payroll.mdb" and "Payroll.MDB" would share the backup "Payroll.bak".
bool fileNameTaken(const std::filesystem::path& dir, const std::string& fileName);

// The check database files of a program directory, by name.
std::vector<std::string> listDatabases(const std::filesystem::path& dir);

// Whether a file holds the program's data by its content, whatever its name and wherever it lies:
// an Access (Jet) database, or a SQLite file with the tables of a check database or of the settings
// file. A SQLite file whose tables cannot be read is counted in: it may be a damaged check database.
bool holdsProgramData(const std::filesystem::path& file);

class Connection;

// The rows every new check database starts with, inside the caller's transaction: an empty template
// check (ID 1) and the properties record.
void addTemplateRows(Connection& db, const std::string& accountType, const std::string& description);

// Writes the delivered template file: an `Account` table holding an empty template check (ID 1)
// and a `Properties` record of a draft database.
Status writeTemplateFile(const std::filesystem::path& file);

// Files are built through the program's one writer (base/OutputFile.h), under a hidden temporary
// name beside the file they become, ".NAME.tmp-PID". The temporary name beside `target` for building
// it by other means (a conversion), cleared of what an earlier process of the same id may have left
// there.
std::filesystem::path temporarySibling(const std::filesystem::path& target);
// The writer's helpers, also reached as db:: by the boxes that build databases.
using velmora::removeWithJournals;
using velmora::syncToDisk;

// Makes "<name>.mdb" from the template file with its `Description` set to the name and, when given,
// its `AccountType`. The file is built under a temporary name and appears only when complete; an
// existing file is never touched, and a name that differs from an existing file's only in letter
// case is refused too. The message of a failure tells the cause, for the record; the screens show
// their own text.
Status createDatabase(const std::filesystem::path& dir, const std::string& name,
                      std::optional<DatabaseType> type);

// Earlier versions locked a print run through an empty file "<database>.lock" beside the database
// and left it there. Removes that file when no process holds it: the file is removed only while this
// process holds its lock and only if the name still leads to it, so a file is never removed from
// under a holder. One that is held, not empty, not a regular file or a symbolic link is left alone.
enum class OldRunLock { None, Removed, Held };
OldRunLock removeOldRunLock(const std::filesystem::path& database);

// "PAYROLL.MDB" -> "PAYROLL.bak": the extension from the last "." replaced by ".bak", so that the
// backup of one database can never be another database's file or another database's backup.
std::string backupFileName(const std::string& databaseName);

// A consistent copy of the database under its backup name. The old backup is replaced only once the
// new copy is complete, so a failed backup leaves the previous one in place; a damaged database is
// not copied at all.
Status backupDatabase(const std::filesystem::path& dir, const std::string& databaseName);

} // namespace velmora::db
