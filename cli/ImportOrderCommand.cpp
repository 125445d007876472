#include "cli/ImportOrderCommand.h"

#include "cli/CliDialogs.h"
#include "cli/Terminal.h"
#include "cli/VerbSupport.h"
#include "db/CheckRecord.h"
#include "entry/CheckEntry.h"
#include "entry/OrderImporter.h"

#include <iostream>
#include <iterator>
#include <unistd.h>

namespace velmora::cli {

namespace fs = std::filesystem;

Exit runImportOrderCommand(const Invocation& invocation, const Arguments& arguments) {
    const std::string database = *arguments.value(option::kDatabase);
    if (::isatty(STDIN_FILENO))
        return fail("import-order", Exit::InputIsTerminal,
                    "the order form is read from standard input: velmora import-order --db " + database +
                        " < order.txt");

    const fs::path programDir = programDirOf(invocation);
    Admission admission = admitWithPassword("import-order", programDir, passwordFile(arguments));
    if (!admission.admitted())
        return fail("import-order", admission.exit(), admission.message);

    std::string why;
    // One byte more than an order form may hold tells a longer input from one that fills it exactly.
    const std::optional<std::string> order = readAtMost(STDIN_FILENO, entry::kMaxOrderFormBytes + 1, why);
    if (!order)
        return fail("import-order", Exit::OrderUnreadable,
                    "cannot read the order form from standard input: " + why);
    if (order->size() > entry::kMaxOrderFormBytes)
        return fail("import-order", Exit::OrderUnreadable,
                    "standard input holds more than 32 MB, too much for an order form; nothing was imported");

    CliDialogs dialogs(std::cerr, false);
    entry::CheckEntry checks(dialogs, programDir);
    if (!checks.open(databaseLocation(fs::absolute(programDir), arguments, *admission.settings)))
        return Exit::NoDatabase;
    const entry::OrderImportReport report =
        entry::importOrderForm(checks, *order, entry::OrderTarget::NewCheck);
    if (!report.written)
        return fail("import-order", Exit::NotImported, "nothing was imported");
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
    return Exit::Imported;
}

} // namespace velmora::cli
