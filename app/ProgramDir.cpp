#include "app/ProgramDir.h"

#include "app/SettingsStore.h"
#include "db/DatabaseFiles.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace velmora::app {

namespace fs = std::filesystem;

fs::path defaultProgramDir() {
    // A relative XDG_DATA_HOME is invalid and ignored, as the base directory rules ask: it would put
    // the databases wherever the program happened to be started.
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && fs::path(xdg).is_absolute())
        return fs::path(xdg) / "velmora";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : ".") / ".local" / "share" / "velmora";
}

namespace {

bool isSettingsLeftover(const std::string& name) {
    const std::string temporary = kSettingsTemporaryName;
    return name == temporary || name == temporary + "-journal" || name == temporary + "-wal" ||
           name == temporary + "-shm";
}

void removeLeftovers(const fs::path& dir) {
    std::error_code ec;
    std::vector<fs::path> leftovers;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file(ec) && (db::isLeftoverTemporary(name) || isSettingsLeftover(name)))
            leftovers.push_back(entry.path());
    }
    for (const auto& file : leftovers)
        fs::remove(file, ec);
    // The run locks of earlier versions, "NAME.mdb.lock", when no run holds them.
    for (const std::string& database : db::listDatabases(dir))
        (void)db::removeOldRunLock(dir / database);
}

} // namespace

Status prepareProgramDir(const fs::path& dir) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec))
        return Status::failure("The program directory " + dir.string() + " cannot be created.");
    removeLeftovers(dir);

    if (!fs::exists(dir / kSettingsFileName, ec)) {
        if (!db::listDatabases(dir).empty())
            return Status::failure(
                "The settings file " + std::string(kSettingsFileName) + " is missing from " + dir.string() +
                ", which holds check databases. Restore it from your backup; the program will not make a new one here, since that would reset the program password.");
        if (Status status = SettingsStore::writeDelivered(dir / kSettingsFileName); !status)
            return status;
    }
    if (!fs::exists(dir / db::kTemplateFileName, ec)) {
        if (Status status = db::writeTemplateFile(dir / db::kTemplateFileName); !status)
            return status;
    }
    return {};
}

} // namespace velmora::app
