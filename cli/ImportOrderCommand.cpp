#include "cli/ImportOrderCommand.h"

#include "app/ProgramDir.h"
#include "cli/CliDialogs.h"
#include "cli/CommandHelp.h"
#include "cli/Terminal.h"
#include "cli/VerbSupport.h"
#include "db/CheckRecord.h"
#include "entry/CheckEntry.h"
#include "entry/OrderImporter.h"

#include <iostream>
#include <iterator>
#include <unistd.h>

namespace velmora::cli {

namespace {

namespace fs = std::filesystem;

struct ImportOptions {
    std::string database;
    std::optional<fs::path> passwordFile;
};

const CommandHelp& importOrderHelp() {
    return *findCommandHelp("import-order");
}

// Fills `options` from the arguments; a message when they do not make an import.
std::optional<std::string> parseOptions(const std::vector<std::string>& args, ImportOptions& options) {
    const Result<ParsedArguments> parsed = parseArguments(importOrderHelp(), args);
    if (!parsed)
        return parsed.message();
    options.database = parsed->value("--db").value_or("");
    if (auto file = parsed->value("--password-file"))
        options.passwordFile = *file;
    if (options.database.empty())
        return "--db names the check database to import into";
    return std::nullopt;
}

} // namespace

int runImportOrderCommand(const Invocation& invocation) {
    ImportOptions options;
    if (auto problem = parseOptions(invocation.arguments, options)) {
        std::cerr << "velmora import-order: " << *problem << "\n" << usageText(importOrderHelp());
        return kImportUsage;
    }
    if (::isatty(STDIN_FILENO))
        return fail("import-order", kImportUsage,
                    "the order form is read from standard input: velmora import-order --db " +
                        options.database + " < order.txt");

    const fs::path programDir = invocation.programDir.value_or(app::defaultProgramDir());
    const Admission admission = admitWithPassword("import-order", programDir, options.passwordFile);
    if (!admission.admitted())
        return fail("import-order",
                    admission.refusal == Admission::Refusal::NoSettings ? kImportNoSettings
                                                                        : kImportNotAllowed,
                    admission.message);

    std::string why;
    // One byte more than an order form may hold tells a longer input from one that fills it exactly.
    const std::optional<std::string> order = readAtMost(STDIN_FILENO, entry::kMaxOrderFormBytes + 1, why);
    if (!order)
        return fail("import-order", kUnreadableOrder,
                    "cannot read the order form from standard input: " + why);
    if (order->size() > entry::kMaxOrderFormBytes)
        return fail("import-order", kUnreadableOrder,
                    "standard input holds more than 32 MB, too much for an order form; nothing was imported");

    CliDialogs dialogs(std::cerr, false);
    entry::CheckEntry checks(dialogs, programDir);
    if (!checks.open(fs::absolute(databasePath(programDir, options.database)).string()))
        return kImportNoDatabase;
    const entry::OrderImportReport report =
        entry::importOrderForm(checks, *order, entry::OrderTarget::NewCheck);
    if (!report.written)
        return fail("import-order", kNotWritten, "nothing was imported");
    const std::int64_t number = checks.field(db::field::kCheck).integer().value_or(0);
    tell(
        "import-order",
        "the order is in the new check with ID " + std::to_string(report.recordId.value_or(0)) +
            " (check number " + std::to_string(number) +
            "): " + counted(std::ssize(report.fieldsWritten), "field") + " filled" +
            (report.skipped.empty() ? "" : ", " + counted(std::ssize(report.skipped), "value") + " skipped") +
            (report.shortened.empty()
                 ? ""
                 : ", " + counted(std::ssize(report.shortened), "value") + " cut short"));
    return kImported;
}

} // namespace velmora::cli
