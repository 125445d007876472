#include "cli/PrintCommand.h"

#include "app/ProgramDir.h"
#include "app/Settings.h"
#include "cli/CliDialogs.h"
#include "cli/VerbSupport.h"
#include "db/CheckDatabase.h"
#include "print/PdfOutput.h"
#include "print/PdfSurface.h"
#include "print/PrintRun.h"
#include "print/forms/PrinterSurface.h"

#include <QPrinterInfo>
#include <algorithm>
#include <iostream>

namespace velmora::cli {

namespace {

namespace fs = std::filesystem;

// clang-format off
const char* const kUsageText =
    "usage: velmora [--dir DIR] print --db NAME.mdb [--once] [--monthly] [--labels-once] [--labels-monthly]\n"
    "                [--start-label N] (--pdf FILE | --printer QUEUE) [--confirm yes|no]\n"
    "                [--password-file FILE]\n"
    "Prints the selected checks and labels of a check database as the Print button does.\n"
    "  --once, --monthly            checks selected to print one time / multiple times\n"
    "  --labels-once, --labels-monthly  their labels\n"
    "  --start-label N              first label: 1 to 30 on this sheet (numbered down each column),\n"
    "                               or a higher number for label 1 of a new sheet (default 1)\n"
    "  --pdf FILE                   write the checks to FILE and the labels to FILE-labels.pdf; each\n"
    "                               file is replaced only by a complete job, never by a failed one,\n"
    "                               and a job with nothing to print removes an earlier run's file.\n"
    "                               The program's own files (databases, PC.OVL, template.ref,\n"
    "                               backups, EXPORT.TXT) are refused.\n"
    "  --printer QUEUE              send both jobs to a printer queue\n"
    "  --confirm yes|no             the answer to \"did all print?\" (default no: nothing is marked)\n"
    "  --password-file FILE         read the program password from the first line of FILE\n"
    "                               (otherwise it is asked on the terminal)\n"
    "Exit status:\n"
    "  0  printed\n"
    "  1  the records could not be read or updated, or hold values no check can carry\n"
    "  2  usage error, or nothing selected\n"
    "  3  wrong password, or no way to ask for it\n"
    "  4  the database is missing or is not a check database\n"
    "  5  the output cannot be written or sent (nothing was marked as printed)\n"
    "  6  nothing to print: no record matches the selection\n"
    "  7  the settings file PC.OVL is missing or cannot be used\n"
    "  8  another print run is printing from the same database\n";
// clang-format on

struct PrintOptions {
    std::string database;
    print::PrintSelection selection;
    std::string startLabel;
    std::optional<fs::path> pdf;
    std::optional<std::string> printer;
    bool confirm = false;
    std::optional<fs::path> passwordFile;
};

int usageError(const std::string& message) {
    std::cerr << "velmora print: " << message << "\n" << kUsageText;
    return kUsage;
}

// Fills `options` from the arguments; a message when they do not make a print run.
std::optional<std::string> parseOptions(const std::vector<std::string>& args, PrintOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size())
                return std::nullopt;
            return args[++i];
        };
        std::optional<std::string> given;
        if (arg == "--once") {
            options.selection.once = true;
        } else if (arg == "--monthly") {
            options.selection.monthly = true;
        } else if (arg == "--labels-once") {
            options.selection.onceLabels = true;
        } else if (arg == "--labels-monthly") {
            options.selection.monthlyLabels = true;
        } else if (arg == "--db" || arg == "--start-label" || arg == "--pdf" || arg == "--printer" ||
                   arg == "--confirm" || arg == "--password-file") {
            given = value();
            if (!given)
                return arg + " needs a value";
            if (arg == "--db")
                options.database = *given;
            else if (arg == "--start-label")
                options.startLabel = *given;
            else if (arg == "--pdf")
                options.pdf = *given;
            else if (arg == "--printer")
                options.printer = *given;
            else if (arg == "--password-file")
                options.passwordFile = *given;
            else if (*given == "yes" || *given == "no")
                options.confirm = *given == "yes";
            else
                return "--confirm takes yes or no";
        } else {
            return "unknown option '" + arg + "'";
        }
    }
    if (options.database.empty())
        return "--db names the check database to print from";
    if (options.pdf.has_value() == options.printer.has_value())
        return "give either --pdf FILE or --printer QUEUE";
    if (!options.startLabel.empty() && !print::PrintRun::parseStartLabel(options.startLabel))
        return "--start-label takes 1 to 30 (a label of this sheet, numbered down each column) or a higher "
               "number (label 1 of a new sheet)";
    return std::nullopt;
}

int fail(int status, const std::string& message) {
    std::cerr << "velmora print: " << message << "\n";
    return status;
}

} // namespace

int runPrintCommand(const Invocation& invocation) {
    PrintOptions options;
    if (std::find(invocation.arguments.begin(), invocation.arguments.end(), "--help") !=
        invocation.arguments.end()) {
        std::cout << kUsageText;
        return kPrinted;
    }
    if (auto problem = parseOptions(invocation.arguments, options))
        return usageError(*problem);

    const fs::path programDir = invocation.programDir.value_or(defaultProgramDir());
    Admission admission = admitWithPassword(programDir, options.passwordFile);
    if (!admission.admitted())
        return fail(admission.refusal == Admission::Refusal::NoSettings ? kNoSettings : kNotAllowed,
                    admission.message);
    auto& settings = admission.settings;

    const fs::path databaseFile = databasePath(programDir, options.database);
    auto database = db::CheckDatabase::open(databaseFile);
    if (!database)
        return fail(kNoDatabase, database.message());

    std::unique_ptr<print::PrintSurface> chosen;
    if (options.pdf) {
        chosen = std::make_unique<print::PdfSurface>(options.pdf->string());
    } else {
        if (!QPrinterInfo::availablePrinterNames().contains(QString::fromStdString(*options.printer)))
            return fail(kOutputUnwritable, "there is no printer queue named " + *options.printer);
        auto printer = std::make_unique<print::PrinterSurface>();
        printer->printer().setPrinterName(QString::fromStdString(*options.printer));
        chosen = std::move(printer);
    }
    print::RunOutputs outputs(*chosen);
    // Before anything is written: never over a program file, never into a folder that takes none.
    if (Status usable =
            outputs.check(programDir, databaseFile, options.selection.checks(), options.selection.labels());
        !usable)
        return fail(kOutputUnwritable, usable.message());

    print::CheckPageSetup setup;
    try {
        setup = print::CheckPageSetup::fromSettings(settings->read());
    } catch (const db::Error& error) {
        return fail(kNoSettings, error.what());
    }
    CliDialogs dialogs(std::cerr, options.confirm, options.startLabel);
    print::PrintRun run(*database, setup, dialogs);
    const print::RunReport report = run.run(options.selection, outputs.checks(), outputs.labels());
    if (report.nothingSelected)
        return kUsage;
    if (report.busy)
        return kDatabaseBusy;
    if (report.nothingToPrint())
        return fail(kNothingToPrint,
                    "nothing to print: no record matches the selection; no file was written, "
                    "and none is left from an earlier run");
    std::cerr << "velmora print: " << counted(report.checksPrinted, "check") << " and "
              << counted(report.labelsPrinted, "label") << " printed";
    if (report.checksConfirmed || report.labelsConfirmed)
        std::cerr << "; the records were updated";
    else
        std::cerr << "; no record was marked as printed";
    std::cerr << "\n";
    if (report.ok())
        return kPrinted;
    return report.outputFailed ? kOutputUnwritable : kRunFailed;
}

} // namespace velmora::cli
