#pragma once

#include "base/Result.h"
#include "cli/ExitStatus.h"

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::cli {

// The options every use of the program takes, and the verb (empty: the screens).
struct Invocation {
    enum class Request { Run, Help, Version };
    Request request = Request::Run;                  // --help or --version, or `help`
    std::string verb;                                // for Help: the verb to tell about (empty: the program)
    std::optional<std::filesystem::path> programDir; // --dir
    std::vector<std::string> arguments;              // what follows, for the verb
};

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

struct Option {
    std::string name;               // "--start-label"
    const char* alias = nullptr;    // a short name, "-h"
    const char* argument = nullptr; // what the value is called ("N"); null: the option takes none
    ValueKind kind = ValueKind::Text;
    std::vector<const char*> choices = {};
    std::string help;
    // The message when the option is not given; an option with none may be left out (unless it is one
    // of a group).
    std::string missing = {};
    // Options of the same group (a number above 0) are alternatives, of which exactly one is given.
    int oneOf = 0;
    // What a value given must be, and the message when it is not.
    bool (*accepts)(const std::string& value) = nullptr;
    std::string refused = {};

    bool required() const { return !missing.empty(); }
    // "--pdf FILE", as a synopsis and the messages name it.
    std::string label() const;
};

// What follows a command's options ("FILE..."), and the message when they are needed and none is given.
struct Operands {
    const char* name;
    ValueKind kind = ValueKind::Text;
    std::string missing = {};
};

// One way a command can end, as its help tells it: the meaning of its exit status, with what this
// command adds to it (the reasons a blank-stock product refuses).
struct ExitHelp {
    ExitHelp(Exit ending, std::string added = {})
        : exit(ending)
        , detail(std::move(added)) {}
    Exit exit;
    std::string detail;

    std::string meaning() const;
};

class Arguments;
struct Command;
using Handler = std::function<Exit(const Invocation&, const Arguments&)>;

// A command of the program as everything knows it: the parsing of its arguments, what runs it, its
// usage, its part of the manual page and of the shell completion. The program itself, as started
// without a verb, is described the same way, with an empty name.
struct Command {
    std::string name;
    std::string summary; // one line, for the list of commands
    std::string description;
    std::vector<Option> options = {};
    std::optional<Operands> operands = std::nullopt;
    const char* input = nullptr; // what standard input carries ("order.txt"); null: nothing
    std::vector<ExitHelp> exits;
    Handler run = nullptr; // null: answered before any command runs (`help`)
    // The forms of the program's own usage; a command's single form is made from its options.
    std::vector<std::string> synopses = {};

    // The option of this name or alias; null for one the command does not take.
    const Option* findOption(std::string_view name) const;
};

// The program as started without a verb, its verbs in the order they are listed (cli/Verbs.cpp), and
// the verb of a name (null for none).
const Command& programCommand();
std::span<const Command> commands();
const Command* findCommand(std::string_view name);

// What the command line gave one command: its options by name (a flag with an empty value) and its
// operands in order. Asking for an option the command does not take is a mistake of the program's
// own and throws std::logic_error.
class Arguments {
public:
    explicit Arguments(const Command& command)
        : command_(&command) {}

    bool has(std::string_view option) const;
    std::optional<std::string> value(std::string_view option) const;
    const std::vector<std::string>& operands() const { return operands_; }

private:
    friend Result<Arguments> parseArguments(const Command& command, const std::vector<std::string>& args);
    const Command* command_;
    std::map<std::string, std::string, std::less<>> options_;
    std::vector<std::string> operands_;
};

// Checks the arguments against the command's options: an option it does not know, one without its
// value, one given twice (which of two values is meant cannot be told), an operand it takes none of,
// an option it needs left out, no alternative of a group or two of them, or a value the option does
// not take is a message. "--name=value" gives a value too.
Result<Arguments> parseArguments(const Command& command, const std::vector<std::string>& args);

// What follows the command's name on its usage lines.
std::vector<std::string> synopsesOf(const Command& command);

// `velmora --help` and `velmora COMMAND --help`.
std::string usageText(const Command& command);

// The manual page velmora(1), in the man macros of roff.
std::string manualPage();

// The bash completion of velmora: a script that defines and registers the completion function.
std::string bashCompletion();

} // namespace velmora::cli
