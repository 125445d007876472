#pragma once

#include "app/SettingsStore.h"
#include "cli/CommandLine.h"
#include "db/CheckDatabase.h"
#include "print/PrintSurface.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace velmora::cli {

// The steps every printing verb takes before it prints, each telling `velmora VERB: why` on standard
// error when it fails and giving the exit status of `velmora print` for it (0 when it went through).
class PrintAccess {
public:
    PrintAccess(std::string verb, const Invocation& invocation);

    const std::filesystem::path& programDir() const { return programDir_; }
    app::SettingsStore& settings() { return *settings_; }
    db::CheckDatabase& database() { return *database_; }
    const std::filesystem::path& databaseFile() const { return databaseFile_; }
    print::PrintSurface& output() { return *output_; }

    // Opens PC.OVL; with `checkPassword`, asks the program password (from the file, or on the terminal).
    int openSettings(bool checkPassword, const std::optional<std::filesystem::path>& passwordFile);
    // A name in the program folder, or a path.
    int openDatabase(const std::string& name);
    // A PDF file, or a printer queue that exists.
    int chooseOutput(const std::optional<std::filesystem::path>& pdf,
                     const std::optional<std::string>& printer);

    // Tells `message` and gives `status`.
    int fail(int status, const std::string& message) const;

private:
    std::string verb_;
    std::filesystem::path programDir_;
    std::optional<app::SettingsStore> settings_;
    std::optional<db::CheckDatabase> database_;
    std::filesystem::path databaseFile_;
    std::unique_ptr<print::PrintSurface> output_;
};

} // namespace velmora::cli
