#include "cli/StockCommand.h"

#include "app/ProgramDir.h"
#include "cli/CliDialogs.h"
#include "cli/CommandHelp.h"
#include "cli/PrintCommand.h"
#include "cli/VerbSupport.h"
#include "print/PdfOutput.h"
#include "print/PdfSurface.h"
#include "print/StockProducts.h"
#include "print/TestPage.h"
#include "print/printer/CupsPrinters.h"
#include "print/printer/PrinterSurface.h"

#include <iostream>

namespace velmora::cli {

namespace {

namespace fs = std::filesystem;

struct StockOptions {
    std::string database;
    std::string count;
    std::string start;
    std::optional<fs::path> pdf;
    std::optional<std::string> printer;
    bool confirm = false;
    bool overwrite = false;
    std::optional<fs::path> passwordFile;
};

int usageError(const CommandHelp& help, const std::string& message) {
    std::cerr << "velmora " << help.name << ": " << message << "\n" << usageText(help);
    return kUsage;
}

// Fills `options` from the arguments; a message when they do not make a run. The count and starting
// number are checked here as the prompts would take them, so that a typing error is told, not
// silently printed as nothing.
enum class Takes { Page, Items, NumberedItems };
std::optional<std::string> parseOptions(const CommandHelp& help, const std::vector<std::string>& args,
                                        Takes takes, StockOptions& options) {
    const Result<ParsedArguments> parsed = parseArguments(help, args);
    if (!parsed)
        return parsed.message();
    options.database = parsed->value("--db").value_or("");
    options.count = parsed->value("--count").value_or("");
    options.start = parsed->value("--start").value_or("");
    if (auto pdf = parsed->value("--pdf"))
        options.pdf = *pdf;
    options.printer = parsed->value("--printer");
    if (auto file = parsed->value("--password-file"))
        options.passwordFile = *file;
    options.confirm = parsed->value("--confirm") == "yes";
    options.overwrite = parsed->has("--overwrite");
    if (options.pdf.has_value() == options.printer.has_value())
        return "give either --pdf FILE or --printer QUEUE";
    if (takes == Takes::Page)
        return std::nullopt;
    if (options.database.empty())
        return "--db names the check database whose first check is printed";
    if (!print::StockRun::parseCount(options.count))
        return "--count takes a number of items, at most " + std::to_string(print::StockRun::kMaxCount);
    if (takes == Takes::NumberedItems && !print::StockRun::parseStartNumber(options.start))
        return "--start takes the first check number: a whole number of up to nine digits";
    return std::nullopt;
}

// The PDF file or the printer queue the options name; null (after telling why) when the queue would
// not take the job.
std::unique_ptr<print::PrintSurface> chooseOutput(const char* verb, const StockOptions& options) {
    if (options.pdf)
        return std::make_unique<print::PdfSurface>(options.pdf->string());
    if (Status usable = print::cups::checkQueue(*options.printer); !usable) {
        fail(verb, kOutputUnwritable, usable.message() + ". Nothing was printed.");
        return nullptr;
    }
    return std::make_unique<print::PrinterSurface>(
        print::PrinterChoice{print::PrinterChoice::Kind::Printer, *options.printer});
}

// What the printer (or the paper of a PDF) will cut off, told on the log.
void warn(const char* verb, const print::ItemOutside& outside, const StockOptions& options) {
    std::cerr << "velmora " << verb << ": warning: "
              << print::describeItemOutside(outside, options.printer ? "the printable area of the printer " +
                                                                           *options.printer
                                                                     : std::string("the paper"))
              << "\n";
}

int runStock(const char* verb, print::StockKind kind, const Invocation& invocation) {
    const CommandHelp& help = *findCommandHelp(verb);
    const print::StockProduct& product = print::stockProduct(kind);
    StockOptions options;
    if (auto problem = parseOptions(help, invocation.arguments,
                                    product.historyOpening ? Takes::NumberedItems : Takes::Items, options))
        return usageError(help, *problem);

    const fs::path programDir = invocation.programDir.value_or(app::defaultProgramDir());
    Admission admission = admitWithPassword(verb, programDir, options.passwordFile);
    if (!admission.admitted())
        return fail(verb, admission.refusal == Admission::Refusal::NoSettings ? kNoSettings : kNotAllowed,
                    admission.message);
    const fs::path databaseFile = databasePath(programDir, options.database);
    auto database = db::CheckDatabase::open(databaseFile);
    if (!database)
        return fail(verb, kNoDatabase, database.message());
    const std::unique_ptr<print::PrintSurface> output = chooseOutput(verb, options);
    if (!output)
        return kOutputUnwritable;
    print::RunOutputs outputs(*output);
    if (Status usable =
            outputs.prepare(programDir, databaseFile, true, false, overwriteOption(options.overwrite));
        !usable)
        return fail(verb, kOutputUnwritable, usable.message());
    const Result<db::SettingsRecord> record = admission.settings->read();
    if (!record)
        return fail(verb, kNoSettings, record.message());

    CliDialogs dialogs(std::cerr, options.confirm, {options.count, options.start});
    // Nobody is there to choose: the job prints, and the log says what the printer will cut off.
    const auto warnOutside = [&](print::StockRun& job) {
        if (const auto outside = job.itemOutside(outputs.checks()))
            warn(verb, *outside, options);
        return true;
    };
    const print::JobReport report =
        print::runStock(product, *database, *record, outputs.checks(), dialogs, {}, warnOutside);
    if (report.start != print::PrintJob::Start::Print)
        return report.outputFailed ? kOutputUnwritable : kRefused;
    if (report.sent && report.printed == 0)
        return fail(verb, kNothingToPrint,
                    std::string("nothing to print: the count is 0; no file was written or removed") +
                        (product.historyOpening && report.confirmed
                             ? "; the history line of the run was written on the first check"
                             : ""));
    std::cerr << "velmora " << verb << ": " << report.printed << " " << product.name << " printed";
    if (const auto* queue = dynamic_cast<const print::PrinterSurface*>(output.get());
        queue && !queue->sentJobs().empty())
        std::cerr << "; sent to the printer " << *options.printer << " as job " << queue->sentJobs().front();
    if (product.historyOpening)
        std::cerr << (report.confirmed ? "; the history line was written on the first check"
                                       : "; no history line was written");
    std::cerr << "\n";
    for (const std::string& note : report.notes)
        std::cerr << "velmora " << verb << ": note: " << note << "\n";
    if (report.problems.empty())
        return kPrinted;
    return report.outputFailed ? kOutputUnwritable : kRunFailed;
}

} // namespace

int runBlankChecksCommand(const Invocation& invocation) {
    return runStock("blank-checks", print::StockKind::BlankChecks, invocation);
}

int runDepositTicketsCommand(const Invocation& invocation) {
    return runStock("deposit-tickets", print::StockKind::DepositTickets, invocation);
}

int runQuicken3UpCommand(const Invocation& invocation) {
    return runStock("quicken-3up", print::StockKind::Quicken3Up, invocation);
}

int runQuickenVoucherCommand(const Invocation& invocation) {
    return runStock("quicken-voucher", print::StockKind::QuickenVoucher, invocation);
}

int runTestPageCommand(const Invocation& invocation) {
    const CommandHelp& help = *findCommandHelp("test-page");
    StockOptions options;
    if (auto problem = parseOptions(help, invocation.arguments, Takes::Page, options))
        return usageError(help, *problem);
    const fs::path programDir = invocation.programDir.value_or(app::defaultProgramDir());
    // The page shows no record of any database: no password is asked.
    auto settings = app::SettingsStore::open(programDir);
    if (!settings)
        return fail("test-page", kNoSettings, settings.message());
    const std::unique_ptr<print::PrintSurface> output = chooseOutput("test-page", options);
    if (!output)
        return kOutputUnwritable;
    print::RunOutputs outputs(*output);
    if (Status usable =
            outputs.prepare(programDir, std::nullopt, true, false, overwriteOption(options.overwrite));
        !usable)
        return fail("test-page", kOutputUnwritable, usable.message());
    const Result<db::SettingsRecord> record = settings->read();
    if (!record)
        return fail("test-page", kNoSettings, record.message());
    print::PrintSurface& on = outputs.checks();
    Status printed = on.ready();
    const print::CheckPageSetup setup = print::CheckPageSetup::fromSettings(*record);
    print::TestPage page(setup, on.printableArea(), print::chooseTextFont(on));
    if (const auto outside = print::itemOutside(page, on))
        warn("test-page", *outside, options);
    if (printed)
        printed = print::printTestPage(on, setup);
    if (!printed)
        return fail("test-page", kOutputUnwritable, printed.message());
    std::cerr << "velmora test-page: the alignment test page was printed\n";
    return kPrinted;
}

} // namespace velmora::cli
