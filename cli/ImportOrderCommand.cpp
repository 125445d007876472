#include "cli/ImportOrderCommand.h"

#include "app/ProgramDir.h"
#include "cli/CliDialogs.h"
#include "cli/Terminal.h"
#include "cli/VerbSupport.h"
#include "db/CheckRecord.h"
#include "entry/CheckEntry.h"
#include "entry/OrderImporter.h"

#include <algorithm>
#include <iostream>
#include <iterator>
#include <unistd.h>

namespace velmora::cli {

namespace {

namespace fs = std::filesystem;

enum ImportExit : int {
    kImported = 0,
    kNotWritten = 1,
    kUsage = 2,
    kNotAllowed = 3,
    kNoDatabase = 4,
    kUnreadableOrder = 5,
    kNoSettings = 7, // as for velmora print
};

// clang-format off
const char* const kUsageText =
    "usage: velmora [--dir DIR] import-order --db NAME.mdb [--password-file FILE] < order.txt\n"
    "Imports one order form (lines of \"Label: value\") from standard input into a new check of the\n"
    "database, as File - Paste Order Form does on the data entry screen. The verification of the\n"
    "routing and account numbers and every value that was not imported are told on standard error.\n"
    "  --db NAME.mdb                the check database (a bare name is taken in the program folder)\n"
    "  --password-file FILE         read the program password from the first line of FILE\n"
    "                               (otherwise it is asked on the terminal)\n"
    "Exit status:\n"
    "  0  the order was written into a check (also when a value was skipped or did not verify)\n"
    "  1  no check could be made, or the order could not be saved into it\n"
    "  2  usage error, or standard input is a terminal\n"
    "  3  wrong password, or no way to ask for it\n"
    "  4  the database is missing or is not a check database\n"
    "  5  standard input could not be read, or holds more than 32 MB\n"
    "  7  the settings file PC.OVL is missing or cannot be used\n";
// clang-format on

struct ImportOptions {
    std::string database;
    std::optional<fs::path> passwordFile;
};

int fail(int status, const std::string& message) {
    std::cerr << "velmora import-order: " << message << "\n";
    return status;
}

// Fills `options` from the arguments; a message when they do not make an import.
std::optional<std::string> parseOptions(const std::vector<std::string>& args, ImportOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg != "--db" && arg != "--password-file")
            return "unknown option '" + arg + "'";
        if (i + 1 >= args.size())
            return arg + " needs a value";
        if (arg == "--db")
            options.database = args[++i];
        else
            options.passwordFile = args[++i];
    }
    if (options.database.empty())
        return "--db names the check database to import into";
    return std::nullopt;
}

} // namespace

int runImportOrderCommand(const Invocation& invocation) {
    const auto& args = invocation.arguments;
    if (std::find(args.begin(), args.end(), "--help") != args.end()) {
        std::cout << kUsageText;
        return kImported;
    }
    ImportOptions options;
    if (auto problem = parseOptions(args, options)) {
        std::cerr << "velmora import-order: " << *problem << "\n" << kUsageText;
        return kUsage;
    }
    if (::isatty(STDIN_FILENO))
        return fail(kUsage, "the order form is read from standard input: velmora import-order --db " +
                                options.database + " < order.txt");

    const fs::path programDir = invocation.programDir.value_or(defaultProgramDir());
    const Admission admission = admitWithPassword(programDir, options.passwordFile);
    if (!admission.admitted())
        return fail(admission.refusal == Admission::Refusal::NoSettings ? kNoSettings : kNotAllowed,
                    admission.message);

    std::string why;
    // One byte more than an order form may hold tells a longer input from one that fills it exactly.
    const std::optional<std::string> order = readAtMost(STDIN_FILENO, entry::kMaxOrderFormBytes + 1, why);
    if (!order)
        return fail(kUnreadableOrder, "cannot read the order form from standard input: " + why);
    if (order->size() > entry::kMaxOrderFormBytes)
        return fail(kUnreadableOrder,
                    "standard input holds more than 32 MB, too much for an order form; nothing was imported");

    CliDialogs dialogs(std::cerr, false);
    entry::CheckEntry checks(dialogs, programDir);
    if (!checks.open(fs::absolute(databasePath(programDir, options.database)).string()))
        return kNoDatabase;
    const entry::OrderImportReport report =
        entry::importOrderForm(checks, *order, entry::OrderTarget::NewCheck);
    if (!report.written) {
        if (report.newCheck)
            return fail(kNotWritten,
                        "a new check was made, but the order could not be saved into it completely");
        return fail(kNotWritten, "nothing was imported");
    }
    const std::int64_t number = checks.field(db::field::kCheck).integer().value_or(0);
    std::cerr << "velmora import-order: the order is in the new check with ID " << report.recordId.value_or(0)
              << " (check number " << number << "): " << counted(std::ssize(report.fieldsWritten), "field")
              << " filled";
    if (!report.skipped.empty())
        std::cerr << ", " << counted(std::ssize(report.skipped), "value") << " skipped";
    std::cerr << "\n";
    return kImported;
}

} // namespace velmora::cli
