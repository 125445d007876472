#include "cli/ExportCommand.h"

#include "app/Password.h"
#include "app/ProgramDir.h"
#include "app/SettingsStore.h"
#include "cli/CommandHelp.h"
#include "cli/Terminal.h"
#include "db/CheckDatabase.h"
#include "export/ExportFile.h"

#include <iostream>

namespace velmora::cli {

namespace {

namespace fs = std::filesystem;

const CommandHelp& exportHelp() {
    return *findCommandHelp("export");
}

int fail(int status, const std::string& message) {
    std::cerr << "velmora export: " << message << "\n";
    return status;
}

} // namespace

int runExportCommand(const Invocation& invocation) {
    const Result<ParsedArguments> parsed = parseArguments(exportHelp(), invocation.arguments);
    std::string problem = parsed ? "" : parsed.message();
    if (parsed && !parsed->has("--db"))
        problem = "--db names the check database to export";
    else if (parsed && parsed->has("--all") == parsed->has("--customers"))
        problem = "give either --all or --customers";
    if (!problem.empty()) {
        std::cerr << "velmora export: " << problem << "\n" << usageText(exportHelp());
        return kExportUsage;
    }

    const fs::path programDir = invocation.programDir.value_or(app::defaultProgramDir());
    auto settings = app::SettingsStore::open(programDir);
    if (!settings)
        return fail(kExportNoSettings, settings.message());
    const std::optional<std::string> passwordFile = parsed->value("--password-file");
    std::string why;
    const std::optional<std::string> typed =
        passwordFile ? readPasswordFile(*passwordFile, why) : askPasswordOnTerminal("Velmora password: ");
    if (!typed)
        return fail(kExportNotAllowed,
                    passwordFile ? "cannot read the password from " + *passwordFile + ": " + why
                                 : std::string("no terminal to ask for the password; use --password-file"));
    const Result<app::PasswordCheck> check = app::checkPassword(settings->connection(), *typed);
    if (!check)
        return fail(kExportNoSettings, check.message());
    if (check.value() != app::PasswordCheck::Matches)
        return fail(kExportNotAllowed, "wrong password");

    const fs::path given(*parsed->value("--db"));
    const fs::path database = given.has_parent_path() ? given : programDir / given;
    if (auto opened = db::CheckDatabase::open(database, db::OpenMode::ReadOnly); !opened)
        return fail(kExportNoDatabase, opened.message());
    const fs::path target = parsed->has("--output") ? fs::path(*parsed->value("--output"))
                                                    : exporting::exportFilePath(programDir);
    if (Status usable = exporting::checkExportTarget(target, programDir, database); !usable)
        return fail(kExportUnwritable, usable.message());

    const exporting::CheckInformationExport all;
    const exporting::CustomerInformationExport customers;
    const exporting::ExportFormat& format =
        parsed->has("--all") ? static_cast<const exporting::ExportFormat&>(all) : customers;
    const Result<std::int64_t> written = exporting::writeExport(database, format, target);
    if (!written)
        return fail(kExportUnwritable, written.message());
    std::cerr << "velmora export: " << *written << (*written == 1 ? " record" : " records") << " written to "
              << target.string() << "\n";
    return kExported;
}

} // namespace velmora::cli
