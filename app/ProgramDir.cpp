#include "app/ProgramDir.h"

#include "app/Settings.h"
#include "db/DatabaseFiles.h"

#include <cstdlib>

namespace velmora {

namespace fs = std::filesystem;

fs::path defaultProgramDir() {
    // A relative XDG_DATA_HOME is invalid and ignored, as the base directory rules ask: it would put
    // the databases wherever the program happened to be started.
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && fs::path(xdg).is_absolute())
        return fs::path(xdg) / "velmora";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : ".") / ".local" / "share" / "velmora";
}

Status prepareProgramDir(const fs::path& dir) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec))
        return Status::failure("The program directory " + dir.string() + " cannot be created.");

    if (!fs::exists(dir / kSettingsFileName, ec)) {
        if (!db::listDatabases(dir).empty())
            return Status::failure(
                "The settings file " + std::string(kSettingsFileName) + " is missing from " + dir.string() +
                ", which holds check databases. Restore it from your backup; the program will "
                "not make a new one here, since that would reset the program password.");
        if (Status status = SettingsStore::writeDelivered(dir / kSettingsFileName); !status)
            return status;
    }
    if (!fs::exists(dir / db::kTemplateFileName, ec)) {
        if (Status status = db::writeTemplateFile(dir / db::kTemplateFileName); !status)
            return status;
    }
    return {};
}

} // namespace velmora
