// The table of the program's verbs: what each takes, what runs it and how it can end. Parsing, `velmora
// --help`, `velmora help VERB`, the manual page and the bash completion are all made from it, so that
// they cannot disagree; a new verb is a row here (and its handler), a blank-stock product a row of
// print/StockProducts.cpp.
#include "base/Clock.h"
#include "cli/CheckCommand.h"
#include "cli/CliDialogs.h"
#include "cli/Command.h"
#include "cli/ConvertCommand.h"
#include "cli/CopyCommand.h"
#include "cli/ExportCommand.h"
#include "cli/ImportOrderCommand.h"
#include "cli/PrintCommand.h"
#include "cli/RegisterCommands.h"
#include "cli/StockCommand.h"
#include "cli/VerbSupport.h"
#include "db/Postgres.h"
#include "db/RegisterQueries.h"
#include "entry/TypedValues.h"
#include "export/ExportFormats.h"
#include "export/RegisterFiles.h"
#include "print/LabelRun.h"
#include "print/StockProducts.h"

#include <algorithm>

namespace velmora::cli {

namespace {

using print::StockRun;

// The options several verbs share, each described once; what differs between the verbs (what the
// database is for, what the file receives, which question is answered) is given.
// clang-format off
Option databaseOption(const std::string& purpose, bool required = true) {
    return {.name = option::kDatabase, .argument = "NAME.mdb", .kind = ValueKind::Database,
            .help = "the check database " + purpose + ": a name in the program folder, or a path",
            .missing = required ? "--db names the check database " + purpose : ""};
}

bool isServerAddress(const std::string& value) {
    return db::checkServerAddress({value}).ok();
}

// Every verb that works in one check database takes it from the server as well (added to each of them
// beside --db by describeCommands()), and the copy names the server it copies to or from.
Option serverOption(const std::string& use) {
    return {.name = option::kServer, .argument = "SERVICE", .help = use + ": a service of ~/.pg_service.conf or a libpq connection string. The password comes from ~/.pgpass or the service file, never from here; TLS is required when Program Setup says so.", .accepts = isServerAddress, .refused = "--server takes a service name or a connection string, without a password (keep that in ~/.pgpass)"};
}

Option pdfOption(const std::string& written) {
    return {.name = option::kPdf, .argument = "FILE", .kind = ValueKind::File, .help = "write " + written + ", private (mode 0600); a file that exists is replaced only with --overwrite, and only by a complete job, never by a failed one; a job with nothing to print writes and removes nothing. Links, folders, devices and the program's own files (databases, PC.OVL, template.ref, backups, kept Access originals, EXPORT.TXT, any check database or settings file) are refused.", .oneOf = 1};
}

Option printerOption() {
    return {.name = option::kPrinter, .argument = "QUEUE", .kind = ValueKind::Printer, .help = "send what is printed to a printer queue", .oneOf = 1};
}

Option overwriteOption() {
    return {.name = option::kOverwrite, .help = "replace a PDF file that exists already (without it, such a file is kept and nothing is printed)"};
}

Option confirmOption(const std::string& question, const std::string& withoutYes) {
    return {.name = option::kConfirm, .argument = "yes|no", .kind = ValueKind::Choice, .choices = {"yes", "no"}, .help = "the answer to " + question + " (default no: " + withoutYes + ")"};
}

Option passwordFileOption() {
    return {.name = option::kPasswordFile, .argument = "FILE", .kind = ValueKind::File, .help = "read the program password from the first line of FILE (otherwise it is asked on the terminal)"};
}

Option helpOption() {
    return {.name = "--help", .alias = "-h", .help = "tell this usage, and exit"};
}
// clang-format on

bool isCount(const std::string& value) {
    return StockRun::parseCount(value).has_value();
}

bool isStartNumber(const std::string& value) {
    return StockRun::parseStartNumber(value).has_value();
}

bool isStartLabel(const std::string& value) {
    return value.empty() || print::parseStartLabel(value).has_value();
}

bool isNumberList(const std::string& value) {
    return NumberList::parse(value).has_value();
}

bool isCheckNumber(const std::string& value) {
    const auto number = entry::parseCheckNumberText(value);
    return number && *number;
}

bool hasDigits(const std::string& value) {
    return !db::digitsOf(value).empty();
}

bool isIsoDate(const std::string& value) {
    return parseIsoDate(value).has_value();
}

bool isPositivePayFormat(const std::string& value) {
    return exporting::findPositivePayFormat(value) != nullptr;
}

// What a blank-stock product refuses before printing, as its help tells it.
std::string refusals(const print::StockProduct& product) {
    std::vector<std::string> reasons = {"a draft database"};
    if (product.needsFilledTemplate)
        reasons.emplace_back("a first check without a name");
    if (product.needs88mm)
        reasons.emplace_back("92mm stock");
    reasons.push_back("a count above " + std::to_string(StockRun::kConfirmAbove) + " not confirmed");
    std::string text;
    for (std::size_t i = 0; i < reasons.size(); ++i)
        text += (i == 0 ? "" : i + 1 == reasons.size() ? ", or " : ", ") + reasons[i];
    return text;
}

// The verb of a blank-stock product, made from its row: a numbered product takes a starting number
// and writes a history line, so only it can fail after printing; the refusals are the product's.
// clang-format off
Command stockVerb(const print::StockProduct& product) {
    const bool numbered = product.historyOpening.has_value();
    const std::string countRule = "--count takes a number of items, at most " + std::to_string(StockRun::kMaxCount);
    const std::string startRule = "--start takes the first check number: a whole number of up to nine digits";
    std::vector<Option> options = {
        databaseOption("whose first check is printed"),
        {.name = "--count", .argument = "N", .help = "how many to print: a number, cut to whole items; 0 or less prints none; more than " + std::to_string(StockRun::kConfirmAbove) + " needs --confirm yes", .missing = countRule, .accepts = isCount, .refused = countRule},
    };
    if (numbered)
        options.push_back({.name = "--start", .argument = "NUMBER", .help = "the first check number, printed as typed (a leading zero kept) on the first check; the next ones count up from it", .missing = startRule, .accepts = isStartNumber, .refused = startRule});
    options.insert(options.end(), {
        pdfOption("the job to FILE"),
        overwriteOption(),
        printerOption(),
        confirmOption("the question asked before printing more than " + std::to_string(StockRun::kConfirmAbove), "nothing is printed"),
        passwordFileOption(),
    });
    std::vector<ExitHelp> exits = {Exit::Printed};
    if (numbered)
        exits.emplace_back(Exit::HistoryNotWritten);
    exits.insert(exits.end(), {Exit::Usage, Exit::NotAllowed, Exit::NoDatabase, Exit::OutputNotWritten, Exit::NoneCounted, Exit::NoSettings, {Exit::Refused, refusals(product)}});
    return {
        .name = product.verb,
        .summary = product.summary,
        .description = product.description,
        .options = std::move(options),
        .exits = std::move(exits),
        .run = [&product](const Invocation& invocation, const Arguments& arguments) { return runStockCommand(product, invocation, arguments); }};
}

// One verb to a function, one text to a line, so that what a user reads can be found with grep.
Command printVerb() {
    return {
        .name = "print",
        .summary = "print the selected checks and labels of a check database",
        .description = "Prints the selected checks and labels of a check database as the Print button of the Printer Control Menu does, without the screens: for scheduled jobs such as the recurring drafts of each month. The starting positions, the stock options and how the amount prints (in words, with cents) are those stored in PC.OVL, as the screens set them.",
        .options = {
            databaseOption("to print from"),
            {.name = "--once", .help = "print the checks selected to print one time"},
            {.name = "--monthly", .help = "print the checks selected to print multiple times"},
            {.name = "--labels-once", .help = "print the labels of the checks selected to print one time"},
            {.name = "--labels-monthly", .help = "print the labels of the checks selected to print multiple times"},
            {.name = "--start-label", .argument = "N", .help = "first label: 1 to 30 on this sheet (numbered down each column), or a higher number for label 1 of a new sheet (default 1)", .accepts = isStartLabel, .refused = "--start-label takes 1 to 30 (a label of this sheet, numbered down each column) or a higher number (label 1 of a new sheet)"},
            pdfOption("the checks to FILE and the labels to FILE-labels.pdf"),
            overwriteOption(),
            printerOption(),
            confirmOption("\"did all print?\"", "nothing is marked"),
            {.name = "--printed", .argument = "NUMBERS", .help = "with --confirm yes, the checks that printed properly, by number (1001-1004,1006): only they are marked as printed and recorded in the register, the others stay as they were for the next run. A number that the run did not print marks none.", .accepts = isNumberList, .refused = "--printed takes check numbers and ranges of them, such as 1001-1004,1006"},
            passwordFileOption(),
        },
        .exits = {Exit::Printed, Exit::RecordsNotUpdated, Exit::NumbersTaken, Exit::PrintedNotMatched, Exit::Usage, Exit::NothingSelected, Exit::NotAllowed, Exit::NoDatabase, Exit::OutputNotWritten, Exit::NoRecordMatches, Exit::NoSettings, Exit::DatabaseBusy},
        .run = runPrintCommand};
}

Command testPageVerb() {
    return {
        .name = "test-page",
        .summary = "print the alignment test page on the stored starting positions",
        .description = "Prints the page of Print Test Page on the Printer Alignment Options screen: the checks of a sheet of check stock marked where the sheet has them, whatever the starting positions (their edges, the MICR clear band shaded, the E-13B baseline 3/16 inch above each bottom edge, the MICR character positions counted from the sheet's right edge with the transit field), rulers in twips, and a sample MICR line where the stored starting positions and stock put it. Hold it against check stock to correct the starting positions. Nothing is stored.",
        .options = {pdfOption("the page to FILE"), overwriteOption(), printerOption()},
        .exits = {Exit::Printed, Exit::Usage, Exit::OutputNotWritten, Exit::NoSettings},
        .run = runTestPageCommand};
}

Command convertVerb() {
    return {
        .name = "convert",
        .summary = "convert Access (Jet) check databases and PC.OVL into SQLite files",
        .description = "Converts check databases (NAME.mdb) and the settings file PC.OVL kept as Access (Jet) files, of Access 97 to 2003 or Access 2007 and later, into Velmora's SQLite files. Each file keeps its name; its original is kept beside it with .jet added (Payroll.mdb.jet, PC.OVL.jet). A file is converted whole or not at all. Relative names are taken in DIR when given.",
        .operands = Operands{.name = "FILE...", .kind = ValueKind::File, .missing = "name at least one file"},
        .exits = {Exit::AllConverted, Exit::SomeNotConverted, Exit::Usage},
        .run = runConvertCommand};
}

Command copyVerb() {
    return {
        .name = "copy",
        .summary = "copy a check database between a file and the office's database server",
        .description = "Copies a check database whole, either way: with --to-server the file NAME.mdb becomes a new check database on the database server, named as the file without .mdb (Payroll.mdb becomes Payroll); with --to-file the server's check database NAME is written into a new file. Every table is copied with the IDs of its records, and the copy's counters go on after the source's last numbers. Before the copy is kept it is read back and compared with the source row by row and field by field; a difference, or any failure, leaves nothing of the copy (the server's transaction is rolled back, no file is left). The source is never changed, and it is read as it stood when the copy began. A name the server holds already, in any letter case, is refused.",
        .options = {
            {.name = option::kToServer, .help = "copy the file NAME.mdb (a name in the program folder, or a path) to a new check database on the server, named as the file without .mdb", .oneOf = 1},
            {.name = option::kToFile, .argument = "FILE.mdb", .kind = ValueKind::File, .help = "copy the server's check database NAME into the new file FILE.mdb, private (mode 0600): a name in the program folder, or a path. A file that exists is kept unless --replace is given.", .oneOf = 1},
            serverOption("the office's database server (default: the one Program Setup names)"),
            {.name = option::kReplace, .help = "with --to-file, replace a check database file that exists already, and only by a complete, verified copy. Links, folders, devices and files that are no check database (PC.OVL, an Access file not converted yet) are never replaced."},
            passwordFileOption(),
        },
        .operands = Operands{.name = "NAME", .missing = "name the check database to copy"},
        .exits = {Exit::Copied, Exit::NotCopied, Exit::Usage, Exit::NotAllowed, Exit::NoDatabase, Exit::NoSettings},
        .run = runCopyCommand};
}

Command checkVerb() {
    return {
        .name = "check",
        .summary = "check every page and index of the check databases, PC.OVL and template.ref",
        .description = "Reads every page and every index of the files named, as SQLite's integrity check does, and tells for each whether it is sound or what is wrong with it (for a damaged database, how to put its backup in its place). Without an option, checks every check database of the program folder, PC.OVL and template.ref. Opening a file checks it whole only when it has changed since it was last found sound; this command checks it in any case, as the backup on exit does.",
        .options = {
            databaseOption("to check", false),
            {.name = "--settings", .help = "check the settings file PC.OVL"},
            {.name = "--template", .help = "check the template file template.ref"},
        },
        .exits = {Exit::AllSound, Exit::NotSound, Exit::Usage},
        .run = runCheckCommand};
}

Command importOrderVerb() {
    return {
        .name = "import-order",
        .summary = "import an order form from standard input into a check",
        .description = "Imports one order form (lines of \"Label: value\") from standard input into a new check of the database, in one step: an import that fails or is interrupted leaves the database as it was. The verification of the routing and account numbers, every value that was not imported and every number cut to fit its field are told on standard error.",
        .options = {databaseOption("to import into"), passwordFileOption()},
        .input = "order.txt",
        .exits = {Exit::Imported, Exit::NotImported, Exit::Usage, Exit::InputIsTerminal, Exit::NotAllowed, Exit::NoDatabase, Exit::OrderUnreadable, Exit::NoSettings},
        .run = runImportOrderCommand};
}

Command exportVerb() {
    return {
        .name = "export",
        .summary = "write the check records of a database to a comma-delimited file",
        .description = "Writes every check record of a check database, in table order, to EXPORT.TXT in the program folder as the export screen does: one line of comma-delimited values per record, texts in double quotes (a double quote inside doubled), numbers bare, a field never filled as two double quotes, lines ended by CR LF, UTF-8. A value longer than 65536 bytes is cut to that length, and the lines that held one are named on standard error. The file is private (mode 0600) and is replaced only by a complete export.",
        .options = {
            databaseOption("to export"),
            {.name = "--all", .help = "all check information: " + exporting::CheckInformationExport().columnNames(), .oneOf = 1},
            {.name = "--customers", .help = "customer information only: " + exporting::CustomerInformationExport().columnNames(), .oneOf = 1},
            {.name = "--output", .argument = "FILE", .kind = ValueKind::File, .help = "write FILE instead of EXPORT.TXT in the program folder. Links, folders, devices, read-only files and the program's own files (databases, PC.OVL, template.ref, backups, kept Access originals, any check database or settings file) are refused."},
            passwordFileOption(),
        },
        .exits = {Exit::Exported, Exit::Usage, Exit::NotAllowed, Exit::NoDatabase, Exit::ExportNotWritten, Exit::NoSettings},
        .run = runExportCommand};
}

Command voidVerb() {
    return {
        .name = "void",
        .summary = "void a printed check in the register of a check database",
        .description = "Voids a check that was printed and confirmed, as Void a Printed Check of the data entry screen does: its entry in the register becomes void with today's date and the reason, a history line is put in front of the comments of its check, and its number is never handed out again. The next positive pay file tells the bank that it is void.",
        .options = {
            databaseOption("of the check"),
            {.name = "--check", .argument = "NUMBER", .help = "the number of the printed check", .missing = "--check takes the number of the printed check to void", .accepts = isCheckNumber, .refused = "--check takes the number of the printed check to void"},
            {.name = "--account", .argument = "DIGITS", .help = "the account number the check was drawn on, needed only when the register holds the number on several accounts (drafts); blanks and dashes are ignored", .accepts = hasDigits, .refused = "--account takes the account number the check was drawn on"},
            {.name = "--reason", .argument = "TEXT", .help = "why it is void, kept in the register and in the history line"},
            passwordFileOption(),
        },
        .exits = {Exit::Voided, Exit::NotVoided, Exit::Usage, Exit::NotAllowed, Exit::NoDatabase, Exit::NoSettings},
        .run = runVoidCommand};
}

Command positivePayVerb() {
    const std::string dateRule = "--from and --to take the first and the last date of the checks, as YYYY-MM-DD";
    return {
        .name = "positive-pay",
        .summary = "write the issued and voided checks of a range of dates for the bank",
        .description = "Writes the positive pay file of the register, as the register screen's Positive Pay File button does: every check printed from FROM to TO (both included), and every check voided in that range, one comma-delimited line each with the account number, check number, issue date, amount, payee and void flag in the layout of the format, ended by CR LF, UTF-8. The file is private (mode 0600) and is replaced only by a complete file.",
        .options = {
            databaseOption("whose register is written"),
            {.name = "--from", .argument = "YYYY-MM-DD", .help = "the first date", .missing = dateRule, .accepts = isIsoDate, .refused = dateRule},
            {.name = "--to", .argument = "YYYY-MM-DD", .help = "the last date", .missing = dateRule, .accepts = isIsoDate, .refused = dateRule},
            {.name = "--output", .argument = "FILE", .kind = ValueKind::File, .help = "write FILE instead of POSPAY.CSV in the program folder. Links, folders, devices, read-only files and the program's own files are refused."},
            {.name = "--format", .argument = "NAME", .help = "the layout the bank asks for: " + exporting::positivePayFormatNames() + " (default " + std::string(exporting::positivePayFormats().front().name) + ")", .accepts = isPositivePayFormat, .refused = "--format takes " + exporting::positivePayFormatNames()},
            passwordFileOption(),
        },
        .exits = {Exit::PositivePayWritten, Exit::Usage, Exit::NotAllowed, Exit::NoDatabase, Exit::ExportNotWritten, Exit::NoSettings},
        .run = runPositivePayCommand};
}

// Answered before any verb runs (cli/CommandLine.cpp).
Command helpVerb() {
    return {
        .name = "help",
        .summary = "tell a command's options and exit statuses",
        .description = "Tells the usage of COMMAND, as velmora COMMAND --help does; without a command, the usage of the program and the list of its commands.",
        .operands = Operands{.name = "COMMAND", .kind = ValueKind::Command},
        .exits = {Exit::Told, Exit::NoSuchCommand}};
}

// The verbs in the order they are listed: printing first, then the blank-stock products.
std::vector<Command> describeCommands() {
    std::vector<Command> commands = {printVerb()};
    for (const print::StockProduct& product : print::stockProducts())
        commands.push_back(stockVerb(product));
    for (Command (*verb)() : {testPageVerb, convertVerb, copyVerb, checkVerb, importOrderVerb, exportVerb, voidVerb, positivePayVerb, helpVerb})
        commands.push_back(verb());
    for (Command& command : commands) {
        // The file check reads files only: the server keeps its own pages sound.
        const auto database = std::ranges::find(command.options, std::string(option::kDatabase), &Option::name);
        if (database != command.options.end() && database->required())
            command.options.insert(std::next(database), serverOption("take the check database --db names from the office's database server (shared by its desks)"));
        command.options.push_back(helpOption());
    }
    return commands;
}

Command describeProgram() {
    return {
        .name = "",
        .summary = "enter and print bank checks and drafts with an E-13B MICR line",
        .description = "Without a command, Velmora opens its screens. With a command it does that command's work without them, for scripts and scheduled jobs.",
        .options = {
            {.name = "--dir", .argument = "DIR", .kind = ValueKind::Folder, .help = "the program folder, of PC.OVL and the check databases (default $XDG_DATA_HOME/velmora, that is ~/.local/share/velmora); it may also follow the command"},
            {.name = "--help", .alias = "-h", .help = "tell this usage and the commands, and exit"},
            {.name = "--version", .help = "tell the program's version, and exit"},
        },
        .exits = {Exit::ProgramEnded, Exit::ProgramDirUnusable, Exit::UnknownCommand},
        .synopses = {"[--dir DIR] [COMMAND [OPTIONS]]", "--help | --version"},
    };
}
// clang-format on

} // namespace

const Command& programCommand() {
    static const Command program = describeProgram();
    return program;
}

std::span<const Command> commands() {
    static const std::vector<Command> all = describeCommands();
    return all;
}

} // namespace velmora::cli
