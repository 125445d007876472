#include "app/ExitRoutine.h"

#include "app/SettingsStore.h"
#include "db/DatabaseFiles.h"

namespace velmora::app {

Status runExitRoutine(const std::filesystem::path& programDir, const std::string& currentDatabase,
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
    if (!wanted || currentDatabase.empty())
        return {};

    progress.backupStarting();
    Status status = db::backupDatabase(programDir, currentDatabase);
    progress.backupFinished();
    return status;
}

} // namespace velmora::app
