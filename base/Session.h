#pragma once

#include "base/DatabaseLocation.h"
#include "base/Dialogs.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>

namespace velmora {

// What passes between the screens besides the files: the program directory, the current database
// (its name as listed: a file name with no folder, or the name of a shared database on the server),
// the office's database server as the settings name it, and the About-box lines read at start-up.
struct Session {
    std::filesystem::path programDir;
    std::string currentDatabase;
    // The server the current database was chosen from; none for a file. It stays when Program Setup
    // names another server meanwhile, so the screens keep working on the database the user chose and
    // never on a namesake elsewhere.
    std::optional<ServerAddress> currentServer;
    ServerAddress server;
    std::array<std::string, 3> aboutLines;
    Dialogs* dialogs = nullptr;

    bool currentShared() const { return currentServer.has_value(); }
    DatabaseLocation currentLocation() const {
        return currentServer ? DatabaseLocation::onServer(*currentServer, currentDatabase)
                             : DatabaseLocation::inFile(programDir / currentDatabase);
    }
};

} // namespace velmora
