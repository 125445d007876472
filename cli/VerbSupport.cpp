#include "cli/VerbSupport.h"

#include "app/Password.h"
#include "cli/Terminal.h"

namespace velmora::cli {

Admission admitWithPassword(const std::filesystem::path& programDir,
                            const std::optional<std::filesystem::path>& passwordFile) {
    Admission admission;
    auto refuse = [&](Admission::Refusal refusal, std::string message) {
        admission.refusal = refusal;
        admission.message = std::move(message);
        admission.settings.reset();
        return std::move(admission);
    };
    auto settings = app::SettingsStore::open(programDir);
    if (!settings)
        return refuse(Admission::Refusal::NoSettings, settings.message());
    admission.settings.emplace(std::move(settings.value()));

    std::string why;
    const std::optional<std::string> typed = passwordFile ? readPasswordFile(passwordFile->string(), why)
                                                          : askPasswordOnTerminal("Velmora password: ");
    if (!typed)
        return refuse(Admission::Refusal::NotAllowed,
                      passwordFile ? "cannot read the password from " + passwordFile->string() + ": " + why
                                   : std::string("no terminal to ask for the password; use --password-file"));
    const Result<app::PasswordCheck> check = app::checkPassword(admission.settings->connection(), *typed);
    if (!check)
        return refuse(Admission::Refusal::NoSettings, check.message());
    if (check.value() != app::PasswordCheck::Matches)
        return refuse(Admission::Refusal::NotAllowed, "wrong password");
    return admission;
}

std::filesystem::path databasePath(const std::filesystem::path& programDir, const std::string& name) {
    const std::filesystem::path given(name);
    return given.has_parent_path() ? given : programDir / given;
}

std::string counted(std::int64_t count, const std::string& thing) {
    return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

} // namespace velmora::cli
