#pragma once

#include "base/Dialogs.h"

#include <array>
#include <filesystem>
#include <string>

namespace velmora {

// What passes between the screens besides the files: the program directory, the current database
// (its file name as listed, no folder) and the About-box lines read at start-up.
struct Session {
    std::filesystem::path programDir;
    std::string currentDatabase;
    std::array<std::string, 3> aboutLines;
    Dialogs* dialogs = nullptr;

    std::filesystem::path currentDatabasePath() const { return programDir / currentDatabase; }
};

} // namespace velmora
