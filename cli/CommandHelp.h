#pragma once

#include "base/Result.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::cli {

// What an option's value or a command's operands are, so that the shell can complete them.
enum class ValueKind {
    Text,     // anything; nothing to offer
    File,     // a file name
    Folder,   // a folder name
    Database, // a check database of the program folder
    Printer,  // a printer queue
    Choice,   // one of the option's choices
    Command,  // a command of the program
};

struct OptionHelp {
    const char* name;               // "--start-label"
    const char* alias = nullptr;    // a short name, "-h"
    const char* argument = nullptr; // what the value is called ("N"); null: the option takes none
    ValueKind kind = ValueKind::Text;
    std::vector<const char*> choices = {};
    const char* help = "";
};

struct ExitStatusHelp {
    int status;
    const char* meaning;
};

// Everything the command line, its manual and the shell completion say about one command: the
// headless verbs, and the program itself (with an empty name) for what comes before any verb.
struct CommandHelp {
    const char* name;
    std::vector<const char*> synopses; // what follows the command's name, one line per form
    const char* summary;               // one line, for the list of commands
    const char* description;
    std::vector<OptionHelp> options;
    const char* operands = nullptr; // what follows the options ("FILE..."); null: none
    ValueKind operandKind = ValueKind::Text;
    std::vector<ExitStatusHelp> exitStatuses;
};

// What the product of a blank-stock verb asks and refuses, which its exit statuses follow: a starting
// number and a history line, a first check that must hold a name, 88mm stock.
struct StockTraits {
    bool numbered = false;
    bool needsFilledTemplate = false;
    bool needs88mm = false;
};
// The traits of a blank-stock verb; null for any other command.
const StockTraits* stockTraits(std::string_view name);

// The program as started without a verb, and its verbs in the order they are listed.
const CommandHelp& programHelp();
const std::vector<CommandHelp>& commandHelps();
const CommandHelp* findCommandHelp(std::string_view name);

// What the command line gave one command: the options by name (a flag with an empty value) and the
// operands in order.
struct ParsedArguments {
    std::map<std::string, std::string, std::less<>> options;
    std::vector<std::string> operands;

    bool has(std::string_view name) const { return options.find(name) != options.end(); }
    std::optional<std::string> value(std::string_view name) const;
};

// Checks the arguments against the command's options: an option it does not know, one without its
// value, one given twice (which of two values is meant cannot be told) or an operand it takes none of
// is a message. "--name=value" gives a value too.
Result<ParsedArguments> parseArguments(const CommandHelp& command, const std::vector<std::string>& args);

// `velmora --help` and `velmora COMMAND --help`.
std::string usageText(const CommandHelp& command);

// The manual page velmora(1), in the man macros of roff.
std::string manualPage();

// The bash completion of velmora: a script that defines and registers the completion function.
std::string bashCompletion();

} // namespace velmora::cli
