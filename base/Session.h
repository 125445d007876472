#pragma once

#include "base/DatabaseLocation.h"
#include "base/Dialogs.h"

#include <array>
#include <filesystem>
#include <string>

namespace velmora {

// What passes between the screens besides the files: the program directory, the current database
// (its name as listed: a file name with no folder, or the name of a shared database on the server),
// the office's database server as the settings name it, and the About-box lines read at start-up.
struct Session {
    std::filesystem::path programDir;
    std::string currentDatabase;
    bool currentShared = false; // the current database is on the server
    ServerAddress server;
    std::array<std::string, 3> aboutLines;
    Dialogs* dialogs = nullptr;

    DatabaseLocation currentLocation() const {
        return currentShared ? DatabaseLocation::onServer(server, currentDatabase)
                             : DatabaseLocation::inFile(programDir / currentDatabase);
    }
};

} // namespace velmora
