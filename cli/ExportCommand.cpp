#include "cli/ExportCommand.h"

#include "app/ProgramDir.h"
#include "cli/CommandHelp.h"
#include "cli/VerbSupport.h"
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
    std::optional<fs::path> passwordFile;
    if (auto file = parsed->value("--password-file"))
        passwordFile = *file;
    const Admission admission = admitWithPassword(programDir, passwordFile);
    if (!admission.admitted())
        return fail(admission.refusal == Admission::Refusal::NoSettings ? kExportNoSettings
                                                                        : kExportNotAllowed,
                    admission.message);

    const fs::path database = databasePath(programDir, *parsed->value("--db"));
    if (auto opened =
            db::CheckDatabase::open(database, db::OpenMode::ReadOnly, db::CheckDatabase::Checked::TablesOnly);
        !opened)
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
    std::cerr << "velmora export: " << counted(*written, "record") << " written to " << target.string()
              << "\n";
    return kExported;
}

} // namespace velmora::cli
