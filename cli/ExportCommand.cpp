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
    const Admission admission = admitWithPassword("export", programDir, passwordFile);
    if (!admission.admitted())
        return fail("export",
                    admission.refusal == Admission::Refusal::NoSettings ? kExportNoSettings
                                                                        : kExportNotAllowed,
                    admission.message);

    const fs::path database = databasePath(programDir, *parsed->value("--db"));
    if (auto opened =
            db::CheckDatabase::open(database, db::OpenMode::ReadOnly, db::CheckDatabase::Checked::TablesOnly);
        !opened)
        return fail("export", kExportNoDatabase, opened.message());
    const fs::path target = parsed->has("--output") ? fs::path(*parsed->value("--output"))
                                                    : exporting::exportFilePath(programDir);
    const exporting::CheckInformationExport all;
    const exporting::CustomerInformationExport customers;
    const exporting::ExportFormat& format =
        parsed->has("--all") ? static_cast<const exporting::ExportFormat&>(all) : customers;
    const exporting::ExportResult written = exporting::writeExport(database, format, target, programDir);
    if (!written.ok())
        return fail("export",
                    written.failure == exporting::ExportResult::Failure::Database ? kExportNoDatabase
                                                                                  : kExportUnwritable,
                    written.message);
    if (!written.notice.empty())
        tell("export", "warning: " + written.notice);
    tell("export", counted(written.records, "record") + " written to " + target.string());
    return kExported;
}

} // namespace velmora::cli
