#include "cli/CommandHelp.h"

#include "cli/CheckCommand.h"
#include "cli/CommandLine.h"
#include "cli/ConvertCommand.h"
#include "cli/ExportCommand.h"
#include "cli/ImportOrderCommand.h"
#include "cli/PrintCommand.h"
#include "cli/RegisterCommands.h"

#include <algorithm>
#include <utility>

namespace velmora::cli {

namespace {

const OptionHelp kHelpOption = {.name = "--help", .alias = "-h", .help = "tell this usage, and exit"};
const OptionHelp kOverwriteOption = {
    .name = "--overwrite",
    .help =
        "replace a PDF file that exists already (without it, such a file is kept and nothing is printed)"};

// What each blank-stock verb's product asks and refuses (a test holds them against the products).
// clang-format off
constexpr std::pair<std::string_view, StockTraits> kStockTraits[] = {
    {"blank-checks",    {.numbered = true,  .needsFilledTemplate = true,  .needs88mm = false}},
    {"deposit-tickets", {.numbered = false, .needsFilledTemplate = false, .needs88mm = false}},
    {"quicken-3up",     {.numbered = true,  .needsFilledTemplate = true,  .needs88mm = true}},
    {"quicken-voucher", {.numbered = true,  .needsFilledTemplate = true,  .needs88mm = true}},
};
// clang-format on

// The blank-stock verbs differ in their texts and in what their product asks and refuses: a numbered
// product takes a starting number and writes a history line, so only it can fail after printing.
// clang-format off
CommandHelp stockCommand(const char* name, const char* summary, const char* description) {
    const StockTraits& product = *stockTraits(name);
    const bool numbered = product.numbered;
    std::vector<OptionHelp> options = {
        {.name = "--db", .argument = "NAME.mdb", .kind = ValueKind::Database, .help = "the check database whose first check is printed: a name in the program folder, or a path"},
        {.name = "--count", .argument = "N", .help = "how many to print: a number, cut to whole items; 0 or less prints none; more than 10000 needs --confirm yes"},
    };
    if (numbered)
        options.push_back({.name = "--start", .argument = "NUMBER", .help = "the first check number, printed as typed (a leading zero kept) on the first check; the next ones count up from it"});
    options.insert(options.end(), {
        {.name = "--pdf", .argument = "FILE", .kind = ValueKind::File, .help = "write the job to FILE, a private file (mode 0600); an existing FILE is replaced only with --overwrite, and only by a complete job. Links, folders, devices and the program's own files are refused."},
        kOverwriteOption,
        {.name = "--printer", .argument = "QUEUE", .kind = ValueKind::Printer, .help = "send the job to a printer queue"},
        {.name = "--confirm", .argument = "yes|no", .kind = ValueKind::Choice, .choices = {"yes", "no"}, .help = "the answer to the question asked before printing more than 10000 (default no: nothing is printed)"},
        {.name = "--password-file", .argument = "FILE", .kind = ValueKind::File, .help = "read the program password from the first line of FILE (otherwise it is asked on the terminal)"},
        kHelpOption,
    });
    std::vector<ExitStatusHelp> statuses = {{kPrinted, "printed"}};
    if (numbered)
        statuses.push_back({kRunFailed, "printed, but the history line could not be written on the first check"});
    statuses.insert(statuses.end(), {
        {kUsage, numbered ? "usage error, or a count or starting number that is not a number" : "usage error, or a count that is not a number"},
        {kNotAllowed, "wrong password, or no way to ask for it"},
        {kNoDatabase, "the database is missing or cannot be opened"},
        {kOutputUnwritable, numbered ? "output not written or sent, or exists without --overwrite: no history line" : "output not written or sent, or exists without --overwrite"},
        {kNothingToPrint, "nothing to print: the count is 0; no file was written or removed"},
        {kNoSettings, "the settings file PC.OVL is missing or cannot be used"},
        {kRefused, product.needs88mm ? "refused: draft database, empty first check, 92mm stock, count not confirmed"
                   : product.needsFilledTemplate ? "refused: draft database, empty first check, count not confirmed"
                                                 : "refused: draft database, or the count not confirmed"},
    });
    return {
        .name = name,
        .synopses = {numbered ? "--db NAME.mdb --count N --start NUMBER (--pdf FILE | --printer QUEUE) [--overwrite] [--confirm yes|no] [--password-file FILE]"
                              : "--db NAME.mdb --count N (--pdf FILE | --printer QUEUE) [--overwrite] [--confirm yes|no] [--password-file FILE]"},
        .summary = summary,
        .description = description,
        .options = std::move(options),
        .exitStatuses = std::move(statuses)};
}
// clang-format on

// One text to a line, so that what a user reads can be found with grep.
// clang-format off
std::vector<CommandHelp> describeCommands() {
    return {
        {.name = "print",
         .synopses = {"--db NAME.mdb [--once] [--monthly] [--labels-once] [--labels-monthly] [--start-label N] (--pdf FILE | --printer QUEUE) [--overwrite] [--confirm yes|no [--printed NUMBERS]] [--password-file FILE]"},
         .summary = "print the selected checks and labels of a check database",
         .description = "Prints the selected checks and labels of a check database as the Print button of the Printer Control Menu does, without the screens: for scheduled jobs such as the recurring drafts of each month. The starting positions, the stock options and how the amount prints (in words, with cents) are those stored in PC.OVL, as the screens set them.",
         .options = {
             {.name = "--db", .argument = "NAME.mdb", .kind = ValueKind::Database, .help = "the check database to print from: a name in the program folder, or a path"},
             {.name = "--once", .help = "print the checks selected to print one time"},
             {.name = "--monthly", .help = "print the checks selected to print multiple times"},
             {.name = "--labels-once", .help = "print the labels of the checks selected to print one time"},
             {.name = "--labels-monthly", .help = "print the labels of the checks selected to print multiple times"},
             {.name = "--start-label", .argument = "N", .help = "first label: 1 to 30 on this sheet (numbered down each column), or a higher number for label 1 of a new sheet (default 1)"},
             {.name = "--pdf", .argument = "FILE", .kind = ValueKind::File, .help = "write the checks to FILE and the labels to FILE-labels.pdf, private files (mode 0600); a file that exists is replaced only with --overwrite, and only by a complete job, never by a failed one; a job with nothing to print writes and removes nothing. Links, folders, devices and the program's own files (databases, PC.OVL, template.ref, backups, kept Access originals, EXPORT.TXT, any check database or settings file) are refused."},
             kOverwriteOption,
             {.name = "--printer", .argument = "QUEUE", .kind = ValueKind::Printer, .help = "send both jobs to a printer queue"},
             {.name = "--confirm", .argument = "yes|no", .kind = ValueKind::Choice, .choices = {"yes", "no"}, .help = "the answer to \"did all print?\" (default no: nothing is marked)"},
             {.name = "--printed", .argument = "NUMBERS", .help = "with --confirm yes, the checks that printed properly, by number (1001-1004,1006): only they are marked as printed and recorded in the register, the others stay as they were for the next run. A number that the run did not print marks none."},
             {.name = "--password-file", .argument = "FILE", .kind = ValueKind::File, .help = "read the program password from the first line of FILE (otherwise it is asked on the terminal)"},
             kHelpOption,
         },
         .exitStatuses = {
             {kPrinted, "printed"},
             {kRunFailed, "the records could not be read, updated or printed, or a wrong --printed"},
             {kUsage, "usage error, or nothing selected"},
             {kNotAllowed, "wrong password, or no way to ask for it"},
             {kNoDatabase, "the database is missing or is not a check database"},
             {kOutputUnwritable, "output not written or sent, or exists without --overwrite: nothing marked"},
             {kNothingToPrint, "nothing to print: no record matches; no file was written or removed"},
             {kNoSettings, "the settings file PC.OVL is missing or cannot be used"},
             {kDatabaseBusy, "another print run is printing from the same database"},
         }},
        stockCommand("blank-checks", "print blank checks from the first check of a check database", "Prints blank checks as Regular Blank Checks of the Printer Control Menu does: the account holder, the bank, the captions and writing lines, and the MICR line of the database's first check, numbered from NUMBER upward; then writes a history line on the first check."),
        stockCommand("deposit-tickets", "print blank deposit tickets from the first check of a check database", "Prints blank deposit tickets as Blank Deposit Tickets of the Printer Control Menu does: the account holder, the bank, the deposit grid and the MICR line of the database's first check, with the tran code of the settings after the account number. Nothing is written to the database."),
        stockCommand("quicken-3up", "print Quicken(tm) compatible checks, three to a page", "Prints the account data of the database's first check on Quicken(tm) compatible 3-up check stock, numbered from NUMBER upward, as the Printer Control Menu does; the stock must be set to 88mm. Then writes a history line on the first check."),
        stockCommand("quicken-voucher", "print Quicken(tm) compatible business voucher checks", "Prints one check and its two voucher stubs to a page on Quicken(tm) compatible business voucher stock, numbered from NUMBER upward, as the Printer Control Menu does; the stock must be set to 88mm. Then writes a history line on the first check."),
        {.name = "test-page",
         .synopses = {"(--pdf FILE | --printer QUEUE) [--overwrite]"},
         .summary = "print the alignment test page on the stored starting positions",
         .description = "Prints the page of Print Test Page on the Printer Alignment Options screen: the checks of a sheet of check stock marked where the sheet has them, whatever the starting positions (their edges, the MICR clear band shaded, the E-13B baseline 3/16 inch above each bottom edge, the MICR character positions counted from the sheet's right edge with the transit field), rulers in twips, and a sample MICR line where the stored starting positions and stock put it. Hold it against check stock to correct the starting positions. Nothing is stored.",
         .options = {
             {.name = "--pdf", .argument = "FILE", .kind = ValueKind::File, .help = "write the page to FILE, a private file (mode 0600); an existing FILE is replaced only with --overwrite. Links, folders, devices and the program's own files are refused."},
             kOverwriteOption,
             {.name = "--printer", .argument = "QUEUE", .kind = ValueKind::Printer, .help = "send the page to a printer queue"},
             kHelpOption,
         },
         .exitStatuses = {
             {kPrinted, "printed"},
             {kUsage, "usage error"},
             {kOutputUnwritable, "the output cannot be written or sent, or exists without --overwrite"},
             {kNoSettings, "the settings file PC.OVL is missing or cannot be used"},
         }},
        {.name = "convert",
         .synopses = {"FILE..."},
         .summary = "convert Access (Jet) check databases and PC.OVL into SQLite files",
         .description = "Converts check databases (NAME.mdb) and the settings file PC.OVL kept as Access (Jet) files, of Access 97 to 2003 or Access 2007 and later, into Velmora's SQLite files. Each file keeps its name; its original is kept beside it with .jet added (Payroll.mdb.jet, PC.OVL.jet). A file is converted whole or not at all. Relative names are taken in DIR when given.",
         .options = {kHelpOption},
         .operands = "FILE...",
         .operandKind = ValueKind::File,
         .exitStatuses = {
             {kAllConverted, "every file converted, or needed no conversion"},
             {kSomeFailed, "a file was not converted (it is left as it was): see the line that names it"},
             {kConvertUsage, "usage error: no file named, or an unknown option"},
         }},
        {.name = "check",
         .synopses = {"[--db NAME.mdb] [--settings] [--template]"},
         .summary = "check every page and index of the check databases, PC.OVL and template.ref",
         .description = "Reads every page and every index of the files named, as SQLite's integrity check does, and tells for each whether it is sound or what is wrong with it (for a damaged database, how to put its backup in its place). Without an option, checks every check database of the program folder, PC.OVL and template.ref. Opening a file checks it whole only when it has changed since it was last found sound; this command checks it in any case, as the backup on exit does.",
         .options = {
             {.name = "--db", .argument = "NAME.mdb", .kind = ValueKind::Database, .help = "a check database to check: a name in the program folder, or a path"},
             {.name = "--settings", .help = "check the settings file PC.OVL"},
             {.name = "--template", .help = "check the template file template.ref"},
             kHelpOption,
         },
         .exitStatuses = {
             {kAllSound, "every file checked is sound"},
             {kNotSound, "a file is damaged, missing, or not a file of this program"},
             {kCheckUsage, "usage error"},
         }},
        {.name = "import-order",
         .synopses = {"--db NAME.mdb [--password-file FILE] < order.txt"},
         .summary = "import an order form from standard input into a check",
         .description = "Imports one order form (lines of \"Label: value\") from standard input into a new check of the database, in one step: an import that fails or is interrupted leaves the database as it was. The verification of the routing and account numbers, every value that was not imported and every number cut to fit its field are told on standard error.",
         .options = {
             {.name = "--db", .argument = "NAME.mdb", .kind = ValueKind::Database, .help = "the check database to import into: a name in the program folder, or a path"},
             {.name = "--password-file", .argument = "FILE", .kind = ValueKind::File, .help = "read the program password from the first line of FILE (otherwise it is asked on the terminal)"},
             kHelpOption,
         },
         .exitStatuses = {
             {kImported, "imported (some values may be skipped, cut short or unverified)"},
             {kNotWritten, "no check could be made, or the order could not be saved into it"},
             {kImportUsage, "usage error, or standard input is a terminal"},
             {kImportNotAllowed, "wrong password, or no way to ask for it"},
             {kImportNoDatabase, "the database is missing or is not a check database"},
             {kUnreadableOrder, "standard input could not be read, or holds more than 32 MB"},
             {kImportNoSettings, "the settings file PC.OVL is missing or cannot be used"},
         }},
        {.name = "export",
         .synopses = {"--db NAME.mdb (--all | --customers) [--output FILE] [--password-file FILE]"},
         .summary = "write the check records of a database to a comma-delimited file",
         .description = "Writes every check record of a check database, in table order, to EXPORT.TXT in the program folder as the export screen does: one line of comma-delimited values per record, texts in double quotes (a double quote inside doubled), numbers bare, a field never filled as two double quotes, lines ended by CR LF, UTF-8. A value longer than 65536 bytes is cut to that length, and the lines that held one are named on standard error. The file is private (mode 0600) and is replaced only by a complete export.",
         .options = {
             {.name = "--db", .argument = "NAME.mdb", .kind = ValueKind::Database, .help = "the check database to export: a name in the program folder, or a path"},
             {.name = "--all", .help = "all check information: BusinessName, FirstName, LastName, Address, City, State, Zip, Phone, PayTo, Check, Amount, Bank, BankCity, BankState, BankRouting, BankAccount, Memo, BusinessType"},
             {.name = "--customers", .help = "customer information only: BusinessName, FirstName, LastName, Address, City, State, Zip, Phone"},
             {.name = "--output", .argument = "FILE", .kind = ValueKind::File, .help = "write FILE instead of EXPORT.TXT in the program folder. Links, folders, devices, read-only files and the program's own files (databases, PC.OVL, template.ref, backups, kept Access originals, any check database or settings file) are refused."},
             {.name = "--password-file", .argument = "FILE", .kind = ValueKind::File, .help = "read the program password from the first line of FILE (otherwise it is asked on the terminal)"},
             kHelpOption,
         },
         .exitStatuses = {
             {kExported, "exported"},
             {kExportUsage, "usage error"},
             {kExportNotAllowed, "wrong password, or no way to ask for it"},
             {kExportNoDatabase, "the database is missing, is not a check database, or is damaged"},
             {kExportUnwritable, "the file is a link or program file, or cannot be written (old one stays)"},
             {kExportNoSettings, "the settings file PC.OVL is missing or cannot be used"},
         }},
        {.name = "void",
         .synopses = {"--db NAME.mdb --check NUMBER [--account DIGITS] [--reason TEXT] [--password-file FILE]"},
         .summary = "void a printed check in the register of a check database",
         .description = "Voids a check that was printed and confirmed, as Void a Printed Check of the data entry screen does: its entry in the register becomes void with today's date and the reason, a history line is put in front of the comments of its check, and its number is never handed out again. The next positive pay file tells the bank that it is void.",
         .options = {
             {.name = "--db", .argument = "NAME.mdb", .kind = ValueKind::Database, .help = "the check database of the check: a name in the program folder, or a path"},
             {.name = "--check", .argument = "NUMBER", .help = "the number of the printed check"},
             {.name = "--account", .argument = "DIGITS", .help = "the account number the check was drawn on, needed only when the register holds the number on several accounts (drafts); blanks and dashes are ignored"},
             {.name = "--reason", .argument = "TEXT", .help = "why it is void, kept in the register and in the history line"},
             {.name = "--password-file", .argument = "FILE", .kind = ValueKind::File, .help = "read the program password from the first line of FILE (otherwise it is asked on the terminal)"},
             kHelpOption,
         },
         .exitStatuses = {
             {kRegisterDone, "voided"},
             {kNotVoided, "not voided: no such printed check, void already, or not updated"},
             {kRegisterUsage, "usage error"},
             {kRegisterNotAllowed, "wrong password, or no way to ask for it"},
             {kRegisterNoDatabase, "the database is missing or is not a check database"},
             {kRegisterNoSettings, "the settings file PC.OVL is missing or cannot be used"},
         }},
        {.name = "positive-pay",
         .synopses = {"--db NAME.mdb --from YYYY-MM-DD --to YYYY-MM-DD [--output FILE] [--format NAME] [--password-file FILE]"},
         .summary = "write the issued and voided checks of a range of dates for the bank",
         .description = "Writes the positive pay file of the register, as the register screen's Positive Pay File button does: every check printed from FROM to TO (both included), and every check voided in that range, one comma-delimited line each with the account number, check number, issue date, amount, payee and void flag in the layout of the format, ended by CR LF, UTF-8. The file is private (mode 0600) and is replaced only by a complete file.",
         .options = {
             {.name = "--db", .argument = "NAME.mdb", .kind = ValueKind::Database, .help = "the check database whose register is written: a name in the program folder, or a path"},
             {.name = "--from", .argument = "YYYY-MM-DD", .help = "the first date"},
             {.name = "--to", .argument = "YYYY-MM-DD", .help = "the last date"},
             {.name = "--output", .argument = "FILE", .kind = ValueKind::File, .help = "write FILE instead of POSPAY.CSV in the program folder. Links, folders, devices, read-only files and the program's own files are refused."},
             {.name = "--format", .argument = "NAME", .help = "the layout the bank asks for, one of the built-in formats (an unknown name is refused with the list of them); default standard"},
             {.name = "--password-file", .argument = "FILE", .kind = ValueKind::File, .help = "read the program password from the first line of FILE (otherwise it is asked on the terminal)"},
             kHelpOption,
         },
         .exitStatuses = {
             {kRegisterDone, "written"},
             {kRegisterUsage, "usage error: a wrong date or range, or an unknown format"},
             {kRegisterNotAllowed, "wrong password, or no way to ask for it"},
             {kRegisterNoDatabase, "the database is missing, is not a check database, or is damaged"},
             {kRegisterUnwritable, "the file is a link or program file, or cannot be written (old one stays)"},
             {kRegisterNoSettings, "the settings file PC.OVL is missing or cannot be used"},
         }},
        {.name = "help",
         .synopses = {"[COMMAND]"},
         .summary = "tell a command's options and exit statuses",
         .description = "Tells the usage of COMMAND, as velmora COMMAND --help does; without a command, the usage of the program and the list of its commands.",
         .options = {kHelpOption},
         .operands = "COMMAND",
         .operandKind = ValueKind::Command,
         .exitStatuses = {
             {kProgramEnded, "the usage was told"},
             {kCommandLineUsage, "there is no such command"},
         }},
    };
}

CommandHelp describeProgram() {
    return {
        .name = "",
        .synopses = {"[--dir DIR] [COMMAND [OPTIONS]]", "--help | --version"},
        .summary = "enter and print bank checks and drafts with an E-13B MICR line",
        .description = "Without a command, Velmora opens its screens. With a command it does that command's work without them, for scripts and scheduled jobs.",
        .options = {
            {.name = "--dir", .argument = "DIR", .kind = ValueKind::Folder, .help = "the program folder, of PC.OVL and the check databases (default $XDG_DATA_HOME/velmora, that is ~/.local/share/velmora); it may also follow the command"},
            {.name = "--help", .alias = "-h", .help = "tell this usage and the commands, and exit"},
            {.name = "--version", .help = "tell the program's version, and exit"},
        },
        .exitStatuses = {
            {kProgramEnded, "the screens were closed, or the usage or the version was told"},
            {kProgramDirUnusable, "the program folder cannot be used"},
            {kCommandLineUsage, "usage error: an unknown option or command"},
        },
    };
}
// clang-format on

const OptionHelp* findOption(const CommandHelp& command, std::string_view name) {
    const auto found =
        std::find_if(command.options.begin(), command.options.end(), [&](const OptionHelp& option) {
            return name == option.name || (option.alias && name == option.alias);
        });
    return found == command.options.end() ? nullptr : &*found;
}

} // namespace

const CommandHelp& programHelp() {
    static const CommandHelp program = describeProgram();
    return program;
}

const std::vector<CommandHelp>& commandHelps() {
    static const std::vector<CommandHelp> commands = describeCommands();
    return commands;
}

const StockTraits* stockTraits(std::string_view name) {
    for (const auto& [verb, traits] : kStockTraits) {
        if (verb == name)
            return &traits;
    }
    return nullptr;
}

const CommandHelp* findCommandHelp(std::string_view name) {
    const auto& commands = commandHelps();
    const auto found = std::find_if(commands.begin(), commands.end(),
                                    [&](const CommandHelp& command) { return name == command.name; });
    return found == commands.end() ? nullptr : &*found;
}

std::optional<std::string> ParsedArguments::value(std::string_view name) const {
    const auto found = options.find(name);
    if (found == options.end())
        return std::nullopt;
    return found->second;
}

Result<ParsedArguments> parseArguments(const CommandHelp& command, const std::vector<std::string>& args) {
    ParsedArguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!arg.starts_with("-") || arg == "-") {
            if (!command.operands)
                return Result<ParsedArguments>::failure("unexpected argument '" + arg + "'");
            parsed.operands.push_back(arg);
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const OptionHelp* option = findOption(command, name);
        if (!option)
            return Result<ParsedArguments>::failure("unknown option '" + name + "'");
        std::string value;
        if (equals != std::string::npos) {
            if (!option->argument)
                return Result<ParsedArguments>::failure(name + " takes no value");
            value = arg.substr(equals + 1);
        } else if (option->argument) {
            if (i + 1 >= args.size())
                return Result<ParsedArguments>::failure(name + " needs a value");
            value = args[++i];
        }
        if (option->kind == ValueKind::Choice &&
            std::find(option->choices.begin(), option->choices.end(), value) == option->choices.end()) {
            std::string choices;
            for (const char* choice : option->choices)
                choices += std::string(choices.empty() ? "" : " or ") + choice;
            return Result<ParsedArguments>::failure(name + " takes " + choices);
        }
        if (!parsed.options.emplace(option->name, value).second)
            return Result<ParsedArguments>::failure(std::string(option->name) +
                                                    " is given twice; give it once");
    }
    return parsed;
}

} // namespace velmora::cli
