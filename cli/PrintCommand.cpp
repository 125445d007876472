#include "cli/PrintCommand.h"

#include "cli/CliDialogs.h"
#include "cli/VerbSupport.h"
#include "db/CheckDatabase.h"
#include "print/PrintRun.h"
#include "print/printer/PrinterSurface.h"

#include <iostream>

namespace velmora::cli {

namespace {

namespace fs = std::filesystem;

print::PrintSelection selectionOf(const Arguments& arguments) {
    print::PrintSelection selection;
    selection.once = arguments.has("--once");
    selection.monthly = arguments.has("--monthly");
    selection.onceLabels = arguments.has("--labels-once");
    selection.monthlyLabels = arguments.has("--labels-monthly");
    return selection;
}

// "2 checks and 1 label printed; sent to ...; the records were updated".
void tellPrinted(const print::RunReport& report, const PrintTarget& target,
                 const print::PrintSurface& surface) {
    std::cerr << "velmora print: " << counted(report.checksPrinted, "check") << " and "
              << counted(report.labelsPrinted, "label") << " printed";
    const auto* queue = dynamic_cast<const print::PrinterSurface*>(&surface);
    if (queue && !queue->sentJobs().empty()) {
        std::cerr << "; sent to the printer " << *target.printer << " as job";
        for (std::size_t i = 0; i < queue->sentJobs().size(); ++i)
            std::cerr << (i == 0 ? " " : " and ") << queue->sentJobs()[i];
    }
    if (report.checksConfirmed && report.checksMarked < report.checksPrinted)
        std::cerr << "; " << report.checksMarked << " of the checks were marked as printed";
    else if (report.checksConfirmed || report.labelsConfirmed)
        std::cerr << "; the records were updated";
    else
        std::cerr << "; no record was marked as printed";
    std::cerr << "\n";
}

} // namespace

Exit runPrintCommand(const Invocation& invocation, const Arguments& arguments) {
    const print::PrintSelection selection = selectionOf(arguments);
    const PrintTarget target(arguments);
    const std::string startLabel = arguments.value("--start-label").value_or("");
    // Which checks printed properly, when --printed says so: it answers the question, so it goes with
    // --confirm yes and with checks to print; both are checked before anything is printed.
    std::optional<NumberList> printed;
    if (const auto numbers = arguments.value("--printed")) {
        printed = NumberList::parse(*numbers);
        if (!confirmed(arguments))
            return usageError("print",
                              "--printed says which checks printed properly: it goes with --confirm yes");
        if (!selection.checks())
            return usageError("print", "--printed goes with --once or --monthly");
    }

    const fs::path programDir = programDirOf(invocation);
    Admission admission = admitWithPassword("print", programDir, passwordFile(arguments));
    if (!admission.admitted())
        return fail("print", admission.exit(), admission.message);

    const DatabaseLocation location = databaseLocation(programDir, arguments, *admission.settings);
    auto database = db::CheckDatabase::open(location);
    if (!database)
        return fail("print", Exit::NoDatabase, database.message());

    const std::unique_ptr<print::PrintSurface> chosen = target.open("print");
    if (!chosen)
        return Exit::OutputNotWritten;
    print::RunOutputs outputs(*chosen);
    // Before anything is written: never over a program file or an earlier file without --overwrite,
    // never into a folder that takes none.
    if (Status usable = outputs.prepare(programDir, location.ownFile(), selection.checks(),
                                        selection.labels(), overwriteOption(target.overwrite));
        !usable)
        return fail("print", Exit::OutputNotWritten, usable.message());

    const Result<db::SettingsRecord> record = admission.settings->read();
    if (!record)
        return fail("print", Exit::NoSettings, record.message());
    const print::CheckPageSetup setup = print::CheckPageSetup::fromSettings(*record);
    CliDialogs dialogs(std::cerr, confirmed(arguments), {startLabel}, printed);
    print::PrintRun run(*database, setup, dialogs);
    // Nobody is there to choose: the job prints, and the log says what the printer will cut off.
    if (const auto outside = run.checkItemsOutside(selection, outputs.checks()))
        target.warn("print", *outside);
    const print::RunReport report = run.run(selection, outputs.checks(), outputs.labels());
    if (report.nothingSelected)
        return Exit::NothingSelected;
    if (report.busy)
        return Exit::DatabaseBusy;
    if (report.nothingToPrint())
        return fail("print", Exit::NoRecordMatches,
                    "nothing to print: no record matches the selection; no file was written or removed");
    tellPrinted(report, target, *chosen);
    if (dialogs.printedNotMatched())
        return Exit::PrintedNotMatched;
    if (report.numbersTaken)
        return Exit::NumbersTaken;
    if (report.ok())
        return Exit::Printed;
    return report.outputFailed ? Exit::OutputNotWritten : Exit::RecordsNotUpdated;
}

} // namespace velmora::cli
