#include "cli/ExportCommand.h"

#include "cli/VerbSupport.h"
#include "db/CheckDatabase.h"
#include "export/ExportFile.h"

namespace velmora::cli {

namespace fs = std::filesystem;

Exit runExportCommand(const Invocation& invocation, const Arguments& arguments) {
    const fs::path programDir = programDirOf(invocation);
    Admission admission = admitWithPassword("export", programDir, passwordFile(arguments));
    if (!admission.admitted())
        return fail("export", admission.exit(), admission.message);

    const DatabaseLocation database = databaseLocation(programDir, arguments, *admission.settings);
    if (auto opened =
            db::CheckDatabase::open(database, db::OpenMode::ReadOnly, db::CheckDatabase::Checked::TablesOnly);
        !opened)
        return fail("export", Exit::NoDatabase, opened.message());
    const auto output = arguments.value("--output");
    const fs::path target = output ? fs::path(*output) : exporting::exportFilePath(programDir);
    const exporting::CheckInformationExport all;
    const exporting::CustomerInformationExport customers;
    const exporting::ExportFormat& format =
        arguments.has("--all") ? static_cast<const exporting::ExportFormat&>(all) : customers;
    const exporting::ExportResult written = exporting::writeExport(database, format, target, programDir);
    if (!written.ok())
        return fail("export",
                    written.failure == exporting::ExportResult::Failure::Database ? Exit::NoDatabase
                                                                                  : Exit::ExportNotWritten,
                    written.message);
    if (!written.notice.empty())
        tell("export", "warning: " + written.notice);
    tell("export", counted(written.records, "record") + " written to " + target.string());
    return Exit::Exported;
}

} // namespace velmora::cli
