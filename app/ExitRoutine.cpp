#include "app/ExitRoutine.h"

#include "app/Settings.h"
#include "db/DatabaseFiles.h"
#include "db/ErrorText.h"

namespace velmora {

Status runExitRoutine(const std::filesystem::path& programDir, const std::string& currentDatabase,
                      BackupProgress& progress) {
    bool wanted = false;
    {
        auto settings = SettingsStore::open(programDir);
        if (!settings)
            return Status::failure(settings.message() + " No backup copy was made.");
        try {
            wanted = settings->read().backupOnExit;
        } catch (const db::Error& error) {
            return Status::failure("The backup setting cannot be read: " + db::userMessage(error) +
                                   " No backup copy was made.");
        }
    } // the settings file is closed before the copy starts
    if (!wanted || currentDatabase.empty())
        return {};

    progress.backupStarting();
    Status status = db::backupDatabase(programDir, currentDatabase);
    progress.backupFinished();
    return status;
}

} // namespace velmora
