#include "cli/PrintCommand.h"

#include "cli/CliDialogs.h"
#include "cli/CommandHelp.h"
#include "cli/PrintAccess.h"
#include "print/PdfOutput.h"
#include "print/PrintRun.h"

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
    if (options.database.empty())
        return "--db names the check database to print from";
    if (options.pdf.has_value() == options.printer.has_value())
        return "give either --pdf FILE or --printer QUEUE";
    if (!options.startLabel.empty() && !print::parseStartLabel(options.startLabel))
        return "--start-label takes 1 to 30 (a label of this sheet, numbered down each column) or a higher number (label 1 of a new sheet)";
    return std::nullopt;
}

std::string counted(std::int64_t count, const std::string& thing) {
    return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

} // namespace

int runPrintCommand(const Invocation& invocation) {
    PrintOptions options;
    if (auto problem = parseOptions(invocation.arguments, options))
        return usageError(*problem);

    PrintAccess access("print", invocation);
    if (int status = access.openSettings(true, options.passwordFile))
        return status;
    if (int status = access.openDatabase(options.database))
        return status;
    if (int status = access.chooseOutput(options.pdf, options.printer))
        return status;
    print::RunOutputs outputs(access.output());
    // Before anything is written: never over a program file, never into a folder that takes none.
    if (Status usable = outputs.check(access.programDir(), access.databaseFile(), options.selection.checks(),
                                      options.selection.labels());
        !usable)
        return access.fail(kOutputUnwritable, usable.message());

    const Result<db::SettingsRecord> record = access.settings().read();
    if (!record)
        return access.fail(kNoSettings, record.message());
    const print::CheckPageSetup setup = print::CheckPageSetup::fromSettings(*record);
    CliDialogs dialogs(std::cerr, options.confirm, {options.startLabel});
    print::PrintRun run(access.database(), setup, dialogs);
    const print::RunReport report = run.run(options.selection, outputs.checks(), outputs.labels());
    if (report.nothingSelected)
        return kUsage;
    if (report.busy)
        return kDatabaseBusy;
    if (report.nothingToPrint())
        return access.fail(
            kNothingToPrint,
            "nothing to print: no record matches the selection; no file was written, and none is left from an earlier run");
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
