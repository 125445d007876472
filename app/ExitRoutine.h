#pragma once

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

// The exit routine, without its screen: reads the backup setting (`6` of the settings record) and,
// only when it is Yes, makes the backup copy of the current database, telling `progress` before and
// after. The caller ends the program whatever the outcome; a failure (settings unreadable, copy
// failed) comes back for it to report first. A failed copy leaves the previous backup in place.
Status runExitRoutine(const std::filesystem::path& programDir, const std::string& currentDatabase,
                      BackupProgress& progress);

} // namespace velmora::app
