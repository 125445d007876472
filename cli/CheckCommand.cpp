#include "cli/CheckCommand.h"

#include "app/ProgramDir.h"
#include "app/SettingsStore.h"
#include "cli/CommandHelp.h"
#include "cli/VerbSupport.h"
#include "db/DatabaseFiles.h"
#include "db/SoundFiles.h"

#include <iostream>

namespace velmora::cli {

namespace fs = std::filesystem;

int runCheckCommand(const Invocation& invocation) {
    const CommandHelp& help = *findCommandHelp("check");
    const Result<ParsedArguments> parsed = parseArguments(help, invocation.arguments);
    if (!parsed) {
        std::cerr << "velmora check: " << parsed.message() << "\n" << usageText(help);
        return kCheckUsage;
    }
    const fs::path programDir = invocation.programDir.value_or(app::defaultProgramDir());
    std::vector<fs::path> files;
    if (const auto database = parsed->value("--db"))
        files.push_back(databasePath(programDir, *database));
    if (parsed->has("--settings"))
        files.push_back(programDir / app::kSettingsFileName);
    if (parsed->has("--template"))
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
    return allSound ? kAllSound : kNotSound;
}

} // namespace velmora::cli
