#include "cli/RegisterCommands.h"

#include "base/Clock.h"
#include "cli/VerbSupport.h"
#include "db/CheckDatabase.h"
#include "db/RegisterQueries.h"
#include "entry/TypedValues.h"
#include "export/RegisterFiles.h"

namespace velmora::cli {

namespace {

namespace fs = std::filesystem;

// The program folder and the database of the arguments, once the password let the verb in; the exit
// of a refusal, which has been told.
struct Admitted {
    fs::path programDir;
    std::optional<DatabaseLocation> database;
    std::optional<Exit> refusal;
};

Admitted admit(std::string_view verb, const Invocation& invocation, const Arguments& arguments) {
    Admitted admitted{programDirOf(invocation), {}, std::nullopt};
    Admission admission = admitWithPassword(verb, admitted.programDir, passwordFile(arguments));
    if (!admission.admitted())
        admitted.refusal = fail(verb, admission.exit(), admission.message);
    else
        admitted.database = databaseLocation(admitted.programDir, arguments, *admission.settings);
    return admitted;
}

} // namespace

Exit runVoidCommand(const Invocation& invocation, const Arguments& arguments) {
    const Admitted admitted = admit("void", invocation, arguments);
    if (admitted.refusal)
        return *admitted.refusal;
    auto database = db::CheckDatabase::open(*admitted.database);
    if (!database)
        return fail("void", Exit::NoDatabase, database.message());
    const std::int64_t number = **entry::parseCheckNumberText(*arguments.value("--check"));
    const std::optional<std::string> account =
        arguments.has("--account") ? std::optional(db::digitsOf(arguments.value("--account"))) : std::nullopt;
    const Result<db::RegisterEntry> found = db::findIssuedCheck(database->connection(), number, account);
    if (!found)
        return fail("void", Exit::NotVoided, found.message());
    const Result<db::RegisterEntry> voided =
        db::voidEntry(database->connection(), found->id, arguments.value("--reason").value_or(""));
    if (!voided)
        return fail("void", Exit::NotVoided, voided.message());
    tell("void", "check #" + std::to_string(voided->check) +
                     (voided->amount ? " for $" + voided->amount->toGroupedText() : std::string()) +
                     " is void in the register as of " + *voided->voided +
                     "; a history line was put in front of its comments");
    return Exit::Voided;
}

Exit runPositivePayCommand(const Invocation& invocation, const Arguments& arguments) {
    const std::string from = *arguments.value("--from");
    const std::string to = *arguments.value("--to");
    if (*parseIsoDate(to) < *parseIsoDate(from))
        return usageError("positive-pay", "--to is a date before --from");
    const Admitted admitted = admit("positive-pay", invocation, arguments);
    if (admitted.refusal)
        return *admitted.refusal;
    if (auto opened = db::CheckDatabase::open(*admitted.database, db::OpenMode::ReadOnly,
                                              db::CheckDatabase::Checked::TablesOnly);
        !opened)
        return fail("positive-pay", Exit::NoDatabase, opened.message());
    const exporting::PositivePayFormat& format = *exporting::findPositivePayFormat(
        arguments.value("--format").value_or(std::string(exporting::positivePayFormats().front().name)));
    const auto output = arguments.value("--output");
    const fs::path target =
        output ? fs::path(*output) : admitted.programDir / exporting::kPositivePayFileName;
    const exporting::ExportResult written =
        exporting::writePositivePay(*admitted.database, format, from, to, target, admitted.programDir);
    if (!written.ok())
        return fail("positive-pay",
                    written.failure == exporting::ExportResult::Failure::Database ? Exit::NoDatabase
                                                                                  : Exit::ExportNotWritten,
                    written.message);
    tell("positive-pay", counted(written.records, "check") + " written to " + target.string() + " (format " +
                             std::string(format.name) + ")");
    return Exit::PositivePayWritten;
}

} // namespace velmora::cli
