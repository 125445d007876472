#include "cli/PrintCommand.h"

#include "app/ProgramDir.h"
#include "app/SettingsStore.h"
#include "cli/CliDialogs.h"
#include "cli/CommandHelp.h"
#include "cli/Terminal.h"
#include "cli/VerbSupport.h"
#include "db/CheckDatabase.h"
#include "print/PdfOutput.h"
#include "print/PdfSurface.h"
#include "print/PrintRun.h"
#include "print/printer/CupsPrinters.h"
#include "print/printer/PrinterSurface.h"

#include <algorithm>
#include <iostream>

namespace velmora::cli {

namespace {

namespace fs = std::filesystem;

const CommandHelp& printHelp() {
    return *findCommandHelp("print");
}

struct PrintOptions {
    std::string database;
    print::PrintSelection selection;
    std::string startLabel;
    std::optional<fs::path> pdf;
    std::optional<std::string> printer;
    bool confirm = false;
    std::optional<NumberList> printed;
    bool overwrite = false;
    std::optional<fs::path> passwordFile;
};

int usageError(const std::string& message) {
    std::cerr << "velmora print: " << message << "\n" << usageText(printHelp());
    return kUsage;
}

// Fills `options` from the arguments; a message when they do not make a print run.
std::optional<std::string> parseOptions(const std::vector<std::string>& args, PrintOptions& options) {
    const Result<ParsedArguments> parsed = parseArguments(printHelp(), args);
    if (!parsed)
        return parsed.message();
    options.selection.once = parsed->has("--once");
    options.selection.monthly = parsed->has("--monthly");
    options.selection.onceLabels = parsed->has("--labels-once");
    options.selection.monthlyLabels = parsed->has("--labels-monthly");
    options.database = parsed->value("--db").value_or("");
    options.startLabel = parsed->value("--start-label").value_or("");
    if (auto pdf = parsed->value("--pdf"))
        options.pdf = *pdf;
    options.printer = parsed->value("--printer");
    if (auto file = parsed->value("--password-file"))
        options.passwordFile = *file;
    options.confirm = parsed->value("--confirm") == "yes";
    options.overwrite = parsed->has("--overwrite");
    if (options.database.empty())
        return "--db names the check database to print from";
    if (options.pdf.has_value() == options.printer.has_value())
        return "give either --pdf FILE or --printer QUEUE";
    if (auto printed = parsed->value("--printed")) {
        options.printed = NumberList::parse(*printed);
        if (!options.printed)
            return "--printed takes check numbers and ranges of them, such as 1001-1004,1006";
        if (!options.confirm)
            return "--printed says which checks printed properly: it goes with --confirm yes";
        if (!options.selection.checks())
            return "--printed goes with --once or --monthly";
    }
    if (!options.startLabel.empty() && !print::parseStartLabel(options.startLabel))
        return "--start-label takes 1 to 30 (a label of this sheet, numbered down each column) or a higher number (label 1 of a new sheet)";
    return std::nullopt;
}

} // namespace

int runPrintCommand(const Invocation& invocation) {
    PrintOptions options;
    if (auto problem = parseOptions(invocation.arguments, options))
        return usageError(*problem);

    const fs::path programDir = invocation.programDir.value_or(app::defaultProgramDir());
    Admission admission = admitWithPassword("print", programDir, options.passwordFile);
    if (!admission.admitted())
        return fail("print", admission.refusal == Admission::Refusal::NoSettings ? kNoSettings : kNotAllowed,
                    admission.message);
    auto& settings = admission.settings;

    const fs::path databaseFile = databasePath(programDir, options.database);
    auto database = db::CheckDatabase::open(databaseFile);
    if (!database)
        return fail("print", kNoDatabase, database.message());

    std::unique_ptr<print::PrintSurface> chosen;
    print::PrinterSurface* printer = nullptr;
    if (options.pdf) {
        chosen = std::make_unique<print::PdfSurface>(options.pdf->string());
    } else {
        // Before anything is printed: a queue that would not take the jobs marks nothing.
        if (Status usable = print::cups::checkQueue(*options.printer); !usable)
            return fail("print", kOutputUnwritable, usable.message() + ". Nothing was printed.");
        auto queue = std::make_unique<print::PrinterSurface>(
            print::PrinterChoice{print::PrinterChoice::Kind::Printer, *options.printer});
        printer = queue.get();
        chosen = std::move(queue);
    }
    print::RunOutputs outputs(*chosen);
    // Before anything is written: never over a program file or an earlier file without --overwrite,
    // never into a folder that takes none.
    if (Status usable = outputs.prepare(programDir, databaseFile, options.selection.checks(),
                                        options.selection.labels(), overwriteOption(options.overwrite));
        !usable)
        return fail("print", kOutputUnwritable, usable.message());

    const Result<db::SettingsRecord> record = settings->read();
    if (!record)
        return fail("print", kNoSettings, record.message());
    const print::CheckPageSetup setup = print::CheckPageSetup::fromSettings(*record);
    CliDialogs dialogs(std::cerr, options.confirm, {options.startLabel}, options.printed);
    print::PrintRun run(*database, setup, dialogs);
    // Nobody is there to choose: the job prints, and the log says what the printer will cut off.
    if (const auto outside = run.checkItemsOutside(options.selection, outputs.checks()))
        tell("print",
             "warning: " + print::describeItemOutside(
                               *outside, printer ? "the printable area of the printer " + *options.printer
                                                 : std::string("the paper")));
    const print::RunReport report = run.run(options.selection, outputs.checks(), outputs.labels());
    if (report.nothingSelected)
        return kUsage;
    if (report.busy)
        return kDatabaseBusy;
    if (report.nothingToPrint())
        return fail("print", kNothingToPrint,
                    "nothing to print: no record matches the selection; no file was written or removed");
    std::cerr << "velmora print: " << counted(report.checksPrinted, "check") << " and "
              << counted(report.labelsPrinted, "label") << " printed";
    if (printer && !printer->sentJobs().empty()) {
        std::cerr << "; sent to the printer " << *options.printer << " as job";
        for (std::size_t i = 0; i < printer->sentJobs().size(); ++i)
            std::cerr << (i == 0 ? " " : " and ") << printer->sentJobs()[i];
    }
    if (report.checksConfirmed && report.checksMarked < report.checksPrinted)
        std::cerr << "; " << report.checksMarked << " of the checks were marked as printed";
    else if (report.checksConfirmed || report.labelsConfirmed)
        std::cerr << "; the records were updated";
    else
        std::cerr << "; no record was marked as printed";
    std::cerr << "\n";
    if (dialogs.printedNotMatched())
        return kRunFailed;
    if (report.ok())
        return kPrinted;
    return report.outputFailed ? kOutputUnwritable : kRunFailed;
}

} // namespace velmora::cli
