#pragma once

#include "app/SettingsStore.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace velmora::cli {

// What the headless commands share.

// What a headless command asks before it touches a check database: the settings file of the program
// folder, and the program password it guards.
struct Admission {
    enum class Refusal { None, NoSettings, NotAllowed };
    Refusal refusal = Refusal::None;
    std::string message;                        // why, when refused
    std::optional<app::SettingsStore> settings; // open when admitted

    bool admitted() const { return refusal == Refusal::None; }
};

// Opens the settings file and checks the password: the first line of `passwordFile` when given,
// otherwise asked on the terminal (never on standard input, which may carry the command's data).
Admission admitWithPassword(const std::filesystem::path& programDir,
                            const std::optional<std::filesystem::path>& passwordFile);

// The file that --db names: a bare name is taken in the program folder, a path as it is given.
std::filesystem::path databasePath(const std::filesystem::path& programDir, const std::string& name);

// "1 check", "2 checks".
std::string counted(std::int64_t count, const std::string& thing);

} // namespace velmora::cli
