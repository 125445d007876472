#include "app/ExitRoutine.h"

#include "app/SettingsStore.h"
#include "db/DatabaseFiles.h"

namespace velmora::app {

Result<ExitBackup> runExitRoutine(const std::filesystem::path& programDir, const DatabaseLocation& current,
                                  BackupProgress& progress) {
    bool wanted = false;
    {
        auto settings = SettingsStore::open(programDir);
        if (!settings)
            return Status::failure(settings.message() + " No backup copy was made.");
        const Result<db::SettingsRecord> record = settings->read();
        if (!record)
            return Status::failure("The backup setting cannot be read: " + record.message() +
                                   " No backup copy was made.");
        wanted = record->backupOnExit;
    } // the settings file is closed before the copy starts
    if (!wanted || current.name().empty())
        return ExitBackup::NotAsked;
    if (current.shared())
        return ExitBackup::LeftToServer;

    progress.backupStarting();
    Status status = db::backupDatabase(programDir, current.name());
    progress.backupFinished();
    if (!status)
        return status;
    return ExitBackup::Copied;
}

std::string leftToServerNotice(const DatabaseLocation& current) {
    return current.name() +
           " is kept on the database server, shared by the desks of the office: its backups are the "
           "server's own. No backup copy was made on this desk.";
}

} // namespace velmora::app
