#include "cli/RegisterCommands.h"

#include "app/ProgramDir.h"
#include "base/Clock.h"
#include "cli/CommandHelp.h"
#include "cli/VerbSupport.h"
#include "db/CheckDatabase.h"
#include "db/RegisterQueries.h"
#include "entry/TypedValues.h"
#include "export/RegisterFiles.h"

#include <iostream>

namespace velmora::cli {

namespace {

namespace fs = std::filesystem;

// What both verbs do first: the options read, the password checked, the database named. A refusal
// has been told and carries the status to end with.
struct Prepared {
    std::optional<ParsedArguments> options;
    fs::path programDir;
    fs::path database;
    int refusal = kRegisterDone;
};

Prepared prepare(const char* verb, const Invocation& invocation,
                 std::optional<std::string> (*check)(const ParsedArguments&)) {
    Prepared prepared;
    const CommandHelp& help = *findCommandHelp(verb);
    Result<ParsedArguments> parsed = parseArguments(help, invocation.arguments);
    std::optional<std::string> problem = parsed ? check(*parsed) : parsed.message();
    if (problem) {
        std::cerr << "velmora " << verb << ": " << *problem << "\n" << usageText(help);
        prepared.refusal = kRegisterUsage;
        return prepared;
    }
    prepared.options = std::move(*parsed);
    prepared.programDir = invocation.programDir.value_or(app::defaultProgramDir());
    std::optional<fs::path> passwordFile;
    if (auto file = prepared.options->value("--password-file"))
        passwordFile = *file;
    const Admission admission = admitWithPassword(verb, prepared.programDir, passwordFile);
    if (!admission.admitted()) {
        prepared.refusal = fail(verb,
                                admission.refusal == Admission::Refusal::NoSettings ? kRegisterNoSettings
                                                                                    : kRegisterNotAllowed,
                                admission.message);
        return prepared;
    }
    prepared.database = databasePath(prepared.programDir, *prepared.options->value("--db"));
    return prepared;
}

std::optional<std::string> checkVoidOptions(const ParsedArguments& options) {
    if (!options.has("--db"))
        return "--db names the check database of the check";
    const auto number = entry::parseCheckNumberText(options.value("--check").value_or(""));
    if (!options.has("--check") || !number || !*number)
        return "--check takes the number of the printed check to void";
    if (options.has("--account") && db::digitsOf(options.value("--account")).empty())
        return "--account takes the account number the check was drawn on";
    return std::nullopt;
}

std::optional<std::string> checkPositivePayOptions(const ParsedArguments& options) {
    if (!options.has("--db"))
        return "--db names the check database whose register is written";
    const auto from = parseIsoDate(options.value("--from").value_or(""));
    const auto to = parseIsoDate(options.value("--to").value_or(""));
    if (!from || !to)
        return "--from and --to take the first and the last date of the checks, as YYYY-MM-DD";
    if (*to < *from)
        return "--to is a date before --from";
    if (auto name = options.value("--format"); name && !exporting::findPositivePayFormat(*name))
        return "--format takes " + exporting::positivePayFormatNames();
    return std::nullopt;
}

} // namespace

int runVoidCommand(const Invocation& invocation) {
    const Prepared prepared = prepare("void", invocation, checkVoidOptions);
    if (prepared.refusal != kRegisterDone)
        return prepared.refusal;
    const ParsedArguments& options = *prepared.options;
    auto database = db::CheckDatabase::open(prepared.database);
    if (!database)
        return fail("void", kRegisterNoDatabase, database.message());
    const std::int64_t number = **entry::parseCheckNumberText(*options.value("--check"));
    const std::optional<std::string> account =
        options.has("--account") ? std::optional(db::digitsOf(options.value("--account"))) : std::nullopt;
    const Result<db::RegisterEntry> found = db::findIssuedCheck(database->connection(), number, account);
    if (!found)
        return fail("void", kNotVoided, found.message());
    const Result<db::RegisterEntry> voided =
        db::voidEntry(database->connection(), found->id, options.value("--reason").value_or(""));
    if (!voided)
        return fail("void", kNotVoided, voided.message());
    tell("void", "check #" + std::to_string(voided->check) +
                     (voided->amount ? " for $" + voided->amount->toGroupedText() : std::string()) +
                     " is void in the register as of " + *voided->voided +
                     "; a history line was put in front of its comments");
    return kRegisterDone;
}

int runPositivePayCommand(const Invocation& invocation) {
    const Prepared prepared = prepare("positive-pay", invocation, checkPositivePayOptions);
    if (prepared.refusal != kRegisterDone)
        return prepared.refusal;
    const ParsedArguments& options = *prepared.options;
    if (auto opened = db::CheckDatabase::open(prepared.database, db::OpenMode::ReadOnly,
                                              db::CheckDatabase::Checked::TablesOnly);
        !opened)
        return fail("positive-pay", kRegisterNoDatabase, opened.message());
    const exporting::PositivePayFormat& format = *exporting::findPositivePayFormat(
        options.value("--format").value_or(std::string(exporting::positivePayFormats().front().name)));
    const fs::path target = options.has("--output") ? fs::path(*options.value("--output"))
                                                    : prepared.programDir / exporting::kPositivePayFileName;
    const exporting::ExportResult written =
        exporting::writePositivePay(prepared.database, format, *options.value("--from"),
                                    *options.value("--to"), target, prepared.programDir);
    if (!written.ok())
        return fail("positive-pay",
                    written.failure == exporting::ExportResult::Failure::Database ? kRegisterNoDatabase
                                                                                  : kRegisterUnwritable,
                    written.message);
    tell("positive-pay", counted(written.records, "check") + " written to " + target.string() + " (format " +
                             std::string(format.name) + ")");
    return kRegisterDone;
}

} // namespace velmora::cli
