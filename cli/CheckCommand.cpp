#include "cli/CheckCommand.h"

#include "app/SettingsStore.h"
#include "cli/VerbSupport.h"
#include "db/DatabaseFiles.h"
#include "db/SoundFiles.h"

#include <iostream>

namespace velmora::cli {

namespace fs = std::filesystem;

Exit runCheckCommand(const Invocation& invocation, const Arguments& arguments) {
    const fs::path programDir = programDirOf(invocation);
    std::vector<fs::path> files;
    if (const auto database = arguments.value(option::kDatabase))
        files.push_back(databasePath(programDir, *database));
    if (arguments.has("--settings"))
        files.push_back(programDir / app::kSettingsFileName);
    if (arguments.has("--template"))
        files.push_back(programDir / db::kTemplateFileName);
    if (files.empty()) {
        for (const std::string& database : db::listDatabases(programDir))
            files.push_back(programDir / database);
        files.push_back(programDir / app::kSettingsFileName);
        files.push_back(programDir / db::kTemplateFileName);
    }
    bool allSound = true;
    for (const fs::path& file : files) {
        if (const Status sound = db::checkWholeFile(file); sound) {
            std::cout << file.filename().string() << ": sound (every page and every index checked).\n";
        } else {
            std::cout << sound.message() << "\n";
            allSound = false;
        }
    }
    return allSound ? Exit::AllSound : Exit::NotSound;
}

} // namespace velmora::cli
