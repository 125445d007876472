#include "cli/StockCommand.h"

#include "cli/CliDialogs.h"
#include "cli/VerbSupport.h"
#include "print/TestPage.h"
#include "print/printer/PrinterSurface.h"

#include <iostream>

namespace velmora::cli {

namespace {

namespace fs = std::filesystem;

// "4 blank checks printed; sent to ...; the history line was written on the first check", and the
// notes of the run.
void tellPrinted(const print::StockProduct& product, const print::JobReport& report,
                 const PrintTarget& target, const print::PrintSurface& surface) {
    const std::string& verb = product.verb;
    std::cerr << "velmora " << verb << ": " << report.printed << " " << product.name << " printed";
    if (const auto* queue = dynamic_cast<const print::PrinterSurface*>(&surface);
        queue && !queue->sentJobs().empty())
        std::cerr << "; sent to the printer " << *target.printer << " as job " << queue->sentJobs().front();
    if (product.historyOpening)
        std::cerr << (report.confirmed ? "; the history line was written on the first check"
                                       : "; no history line was written");
    std::cerr << "\n";
    for (const std::string& note : report.notes)
        std::cerr << "velmora " << verb << ": note: " << note << "\n";
}

} // namespace

Exit runStockCommand(const print::StockProduct& product, const Invocation& invocation,
                     const Arguments& arguments) {
    const std::string& verb = product.verb;
    const PrintTarget target(arguments);
    const fs::path programDir = programDirOf(invocation);
    Admission admission = admitWithPassword(verb, programDir, passwordFile(arguments));
    if (!admission.admitted())
        return fail(verb, admission.exit(), admission.message);
    const DatabaseLocation location = databaseLocation(programDir, arguments, *admission.settings);
    auto database = db::CheckDatabase::open(location);
    if (!database)
        return fail(verb, Exit::NoDatabase, database.message());
    const std::unique_ptr<print::PrintSurface> output = target.open(verb);
    if (!output)
        return Exit::OutputNotWritten;
    print::RunOutputs outputs(*output);
    if (Status usable =
            outputs.prepare(programDir, location.ownFile(), true, false, overwriteOption(target.overwrite));
        !usable)
        return fail(verb, Exit::OutputNotWritten, usable.message());
    const Result<db::SettingsRecord> record = admission.settings->read();
    if (!record)
        return fail(verb, Exit::NoSettings, record.message());

    // The prompts take the answers the options give, as the user would type them.
    CliDialogs dialogs(std::cerr, confirmed(arguments),
                       {arguments.value("--count").value_or(""),
                        product.historyOpening ? arguments.value("--start").value_or("") : ""});
    // Nobody is there to choose: the job prints, and the log says what the printer will cut off.
    const auto warnOutside = [&](print::StockRun& job) {
        if (const auto outside = job.itemOutside(outputs.checks()))
            target.warn(verb, *outside);
        return true;
    };
    const print::JobReport report =
        print::runStock(product, *database, *record, outputs.checks(), dialogs, {}, warnOutside);
    if (report.start != print::PrintJob::Start::Print)
        return report.outputFailed ? Exit::OutputNotWritten : Exit::Refused;
    if (report.sent && report.printed == 0)
        return fail(verb, Exit::NoneCounted,
                    std::string("nothing to print: the count is 0; no file was written or removed") +
                        (product.historyOpening && report.confirmed
                             ? "; the history line of the run was written on the first check"
                             : ""));
    tellPrinted(product, report, target, *output);
    if (report.problems.empty())
        return Exit::Printed;
    return report.outputFailed ? Exit::OutputNotWritten : Exit::HistoryNotWritten;
}

Exit runTestPageCommand(const Invocation& invocation, const Arguments& arguments) {
    const PrintTarget target(arguments);
    const fs::path programDir = programDirOf(invocation);
    // The page shows no record of any database: no password is asked.
    auto settings = app::SettingsStore::open(programDir);
    if (!settings)
        return fail("test-page", Exit::NoSettings, settings.message());
    const std::unique_ptr<print::PrintSurface> output = target.open("test-page");
    if (!output)
        return Exit::OutputNotWritten;
    print::RunOutputs outputs(*output);
    if (Status usable =
            outputs.prepare(programDir, std::nullopt, true, false, overwriteOption(target.overwrite));
        !usable)
        return fail("test-page", Exit::OutputNotWritten, usable.message());
    const Result<db::SettingsRecord> record = settings->read();
    if (!record)
        return fail("test-page", Exit::NoSettings, record.message());
    print::PrintSurface& on = outputs.checks();
    Status printed = on.ready();
    const print::CheckPageSetup setup = print::CheckPageSetup::fromSettings(*record);
    print::TestPage page(setup, on.printableArea(), print::chooseTextFont(on));
    if (const auto outside = print::itemOutside(page, on))
        target.warn("test-page", *outside);
    if (printed)
        printed = print::printTestPage(on, setup);
    if (!printed)
        return fail("test-page", Exit::OutputNotWritten, printed.message());
    std::cerr << "velmora test-page: the alignment test page was printed\n";
    return Exit::Printed;
}

} // namespace velmora::cli
