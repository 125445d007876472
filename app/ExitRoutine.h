#pragma once

#include "base/DatabaseLocation.h"
#include "base/Result.h"

#include <filesystem>
#include <string>

namespace velmora::app {

// What the user sees while the backup copy is made (the wait screen); the tests record the calls.
class BackupProgress {
public:
    virtual ~BackupProgress() = default;
    virtual void backupStarting() = 0;
    virtual void backupFinished() = 0;
};

// What the exit routine did about the backup copy.
enum class ExitBackup {
    NotAsked,     // the settings ask for none, or no database is current
    Copied,       // the copy of the current database file is made
    LeftToServer, // asked for, but the current database is kept on the office's server: nothing copied
};

// The exit routine, without its screen: reads the backup setting (`6` of the settings record) and,
// only when it is Yes and the current database is a file, makes its backup copy, telling `progress`
// before and after. A database on the server is never copied to this desk: the server's own backups
// keep it, and the caller says so (leftToServerNotice). The caller ends the program whatever the
// outcome; a failure (settings unreadable, copy failed) comes back for it to report first. A failed
// copy leaves the previous backup in place.
Result<ExitBackup> runExitRoutine(const std::filesystem::path& programDir, const DatabaseLocation& current,
                                  BackupProgress& progress);

// What the exit routine tells once when the backup asked for was left to the server.
std::string leftToServerNotice(const DatabaseLocation& current);

} // namespace velmora::app
