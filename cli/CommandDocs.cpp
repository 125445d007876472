#include "base/Product.h"
#include "cli/Command.h"

#include <cctype>

// The usage texts, the manual page and the shell completion, all made from the table of the verbs.
namespace velmora::cli {

namespace {

constexpr std::size_t kWidth = 80;
constexpr std::size_t kOptionColumn = 26;
constexpr std::size_t kSynopsisIndent = 8;

enum class Groups { Split, Keep };

// Splits at spaces; a synopsis keeps each bracketed group ("[--confirm yes|no]") in one piece.
std::vector<std::string> wordsOf(std::string_view text, Groups groups) {
    std::vector<std::string> words;
    std::string word;
    int depth = 0;
    for (const char c : text) {
        if (c == ' ' && (depth == 0 || groups == Groups::Split)) {
            if (!word.empty())
                words.push_back(std::move(word));
            word.clear();
            continue;
        }
        depth += (c == '[' || c == '(') ? 1 : (c == ']' || c == ')') ? -1 : 0;
        word += c;
    }
    if (!word.empty())
        words.push_back(std::move(word));
    return words;
}

// Appends `text` wrapped at kWidth: the current line has reached `column`; further lines start at
// `indent`. Ends with a line feed.
void appendWrapped(std::string& out, std::string_view text, std::size_t column, std::size_t indent,
                   Groups groups = Groups::Split) {
    bool first = true;
    for (const std::string& word : wordsOf(text, groups)) {
        if (!first && column + 1 + word.size() > kWidth) {
            out += "\n" + std::string(indent, ' ');
            column = indent;
        } else if (!first) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
        first = false;
    }
    out += '\n';
}

// The start of a usage line: the program, and the verb after the options every verb takes.
std::string invocationOf(const Command& command) {
    return command.name.empty() ? std::string("velmora") : "velmora [--dir DIR] " + command.name;
}

std::string optionLabel(const Option& option) {
    std::string label = option.label();
    if (option.alias)
        label += std::string(", ") + option.alias;
    return label;
}

// A two-column list: the label, then its text from kOptionColumn on (below it when the label is long).
void appendEntry(std::string& out, const std::string& label, std::string_view text, std::size_t column) {
    out += "  " + label;
    if (2 + label.size() + 2 > column)
        out += "\n" + std::string(column, ' ');
    else
        out += std::string(column - 2 - label.size(), ' ');
    appendWrapped(out, text, column, column);
}

// roff: hyphens are minus signs (so that options can be searched for and copied), a backslash is
// printed as such, and a line may not begin with a control character.
std::string roff(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '-')
            out += "\\-";
        else if (c == '\\')
            out += "\\e";
        else
            out += c;
    }
    if (!out.empty() && (out.front() == '.' || out.front() == '\''))
        out.insert(0, "\\&");
    return out;
}

std::string bold(std::string_view text) {
    return "\\fB" + roff(text) + "\\fR";
}
std::string italic(std::string_view text) {
    return "\\fI" + roff(text) + "\\fR";
}

// A synopsis in the manual's fonts: options, verbs and literal values bold, the values to be filled
// in italic, the brackets and bars plain.
std::string roffSynopsis(std::string_view synopsis) {
    std::string out;
    std::size_t i = 0;
    int depth = 0;
    while (i < synopsis.size()) {
        const auto isWordChar = [&](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
        };
        if (!isWordChar(synopsis[i])) {
            const char c = synopsis[i++];
            depth += (c == '[' || c == '(') ? 1 : (c == ']' || c == ')') ? -1 : 0;
            out += c == ' ' && depth > 0 ? "\\ " : std::string(1, c); // a bracketed group stays on one line
            continue;
        }
        std::size_t end = i;
        while (end < synopsis.size() && isWordChar(synopsis[end]))
            ++end;
        const std::string_view word = synopsis.substr(i, end - i);
        out += std::isupper(static_cast<unsigned char>(word.front())) ? italic(word) : bold(word);
        i = end;
    }
    return out;
}

std::string roffOptionTag(const Option& option) {
    std::string tag = bold(option.name);
    if (option.argument)
        tag += " " +
               (option.kind == ValueKind::Choice ? roffSynopsis(option.argument) : italic(option.argument));
    if (option.alias)
        tag += ", " + bold(option.alias);
    return tag;
}

void appendRoffOptions(std::string& out, const Command& command) {
    for (const Option& option : command.options)
        out += ".TP\n" + roffOptionTag(option) + "\n" + roff(option.help) + "\n";
}

void appendRoffExitStatuses(std::string& out, const Command& command) {
    for (const ExitHelp& exit : command.exits)
        out += ".TP\n.B " + std::to_string(exitCode(exit.exit)) + "\n" + roff(exit.meaning()) + "\n";
}

void appendRoffSynopses(std::string& out, const Command& command) {
    for (const std::string& synopsis : synopsesOf(command)) {
        out += ".br\n.B velmora\n";
        if (!command.name.empty())
            out += roffSynopsis("[--dir DIR] " + command.name + " ");
        out += roffSynopsis(synopsis) + "\n";
    }
}

// clang-format off
const char* const kManualFiles[][2] = {
    {"PC.OVL", "the settings file: the settings record, the program password and the product types"},
    {"NAME.mdb", "a check database: the checks of one account, its first record the template check"},
    {"template.ref", "the empty check database that new databases are made from"},
    {"NAME.bak", "the backup copy of a database, made on exit when the settings ask for it"},
    {"EXPORT.TXT", "the export file"},
};
const char* const kManualEnvironment[][2] = {
    {"XDG_DATA_HOME", "when it is an absolute path, the default program folder is XDG_DATA_HOME/velmora"},
    {"QT_QPA_PLATFORM", "the commands run without a display, on the offscreen platform, unless it is set"},
};
// clang-format on

// Bash: a word list for compgen, and the case patterns of a command's options.
std::string joined(const std::vector<std::string>& words, const char* separator) {
    std::string out;
    for (const std::string& word : words)
        out += (out.empty() ? "" : separator) + word;
    return out;
}

std::vector<std::string> optionNames(const Command& command) {
    std::vector<std::string> names;
    for (const Option& option : command.options) {
        names.push_back(option.name);
        if (option.alias)
            names.emplace_back(option.alias);
    }
    return names;
}

std::vector<std::string> commandNames() {
    std::vector<std::string> names;
    for (const Command& command : commands())
        names.push_back(command.name);
    return names;
}

// The shell code that completes a value of this kind, the word being completed in $cur.
std::string completeValue(ValueKind kind, const std::vector<const char*>& choices) {
    switch (kind) {
    case ValueKind::File:
        return "_velmora_files";
    case ValueKind::Folder:
        return "_velmora_folders";
    case ValueKind::Database:
        return "_velmora_databases \"$dir\"";
    case ValueKind::Printer:
        return "_velmora_printers";
    case ValueKind::Choice:
        return "_velmora_words " + joined(std::vector<std::string>(choices.begin(), choices.end()), " ");
    case ValueKind::Command:
        return "_velmora_words " + joined(commandNames(), " ");
    case ValueKind::Text:
        break;
    }
    return ":";
}

// The case branches that complete the values of a command's options, by the option before $cur.
std::string valueCases(const Command& command, const char* indent) {
    std::string out;
    for (const Option& option : command.options) {
        if (option.argument)
            out += std::string(indent) + option.name + ") " + completeValue(option.kind, option.choices) +
                   "; return ;;\n";
    }
    return out;
}

const char* const kCompletionHelpers = R"sh(_velmora_words() {
    local IFS=$' \t\n'
    COMPREPLY=($(compgen -W "$*" -- "$cur"))
}

_velmora_files() {
    compopt -o filenames 2>/dev/null
    local IFS=$'\n'
    COMPREPLY=($(compgen -f -- "$cur"))
}

_velmora_folders() {
    compopt -o filenames 2>/dev/null
    local IFS=$'\n'
    COMPREPLY=($(compgen -d -- "$cur"))
}

_velmora_printers() {
    command -v lpstat >/dev/null 2>&1 || return
    local IFS=$'\n'
    COMPREPLY=($(compgen -W "$(lpstat -e 2>/dev/null)" -- "$cur"))
}

# The check databases of the program folder ($1, else the default one), by name; a path is
# completed as a file.
_velmora_databases() {
    if [[ $cur == */* ]]; then
        _velmora_files
        return
    fi
    local dir=${1/#\~/$HOME} name
    if [[ -z $dir ]]; then
        if [[ $XDG_DATA_HOME == /* ]]; then dir=$XDG_DATA_HOME/velmora; else dir=$HOME/.local/share/velmora; fi
    fi
    COMPREPLY=()
    for name in "$dir"/*.mdb; do
        [[ -e $name ]] || continue
        name=${name##*/}
        [[ $name == "$cur"* ]] && COMPREPLY+=("$name")
    done
}
)sh";

} // namespace

std::string usageText(const Command& command) {
    std::string out;
    const std::string start = invocationOf(command);
    const std::vector<std::string> synopses = synopsesOf(command);
    for (std::size_t i = 0; i < synopses.size(); ++i) {
        const std::string lead = (i == 0 ? "usage: " : "       ") + start + " ";
        out += lead;
        appendWrapped(out, synopses[i], lead.size(), kSynopsisIndent, Groups::Keep);
    }
    appendWrapped(out, command.description, 0, 0);
    if (!command.options.empty()) {
        out += "Options:\n";
        for (const Option& option : command.options)
            appendEntry(out, optionLabel(option), option.help, kOptionColumn);
    }
    if (command.name.empty()) {
        out += "Commands:\n";
        for (const Command& verb : commands())
            appendEntry(out, verb.name, verb.summary, 12);
        appendWrapped(out, "velmora help COMMAND, or velmora COMMAND --help, tells a command's options.", 0,
                      0);
    }
    out += "Exit status:\n";
    for (const ExitHelp& exit : command.exits)
        appendEntry(out, std::to_string(exitCode(exit.exit)), exit.meaning(), 5);
    return out;
}

std::string manualPage() {
    const Command& program = programCommand();
    std::string out = ".\\\" velmora(1): made at build time from the program's own command descriptions.\n";
    out += ".TH VELMORA 1 \"\" \"" + std::string(product::kName) + " " + product::kVersion +
           "\" \"User Commands\"\n";
    out += ".nh\n.ad l\n"; // options are not hyphenated, and no line is stretched
    out += ".SH NAME\nvelmora \\- " + roff(program.summary) + "\n";
    out += ".SH SYNOPSIS\n";
    appendRoffSynopses(out, program);
    for (const Command& command : commands())
        appendRoffSynopses(out, command);
    out += ".SH DESCRIPTION\n" + roff(program.description) + "\n";
    out += ".SH OPTIONS\n";
    appendRoffOptions(out, program);
    out += ".SH COMMANDS\n";
    for (const Command& command : commands()) {
        out += ".SS " + command.name + "\n";
        out += ".B velmora\n" + roffSynopsis("[--dir DIR] " + command.name + " ");
        out += roffSynopsis(synopsesOf(command).front()) + "\n.PP\n" + roff(command.description) + "\n";
        out += ".PP\nOptions:\n";
        appendRoffOptions(out, command);
        out += ".PP\nExit status:\n";
        appendRoffExitStatuses(out, command);
    }
    out += ".SH EXIT STATUS\nWithout a command, and with \\fB\\-\\-help\\fR or \\fB\\-\\-version\\fR:\n";
    appendRoffExitStatuses(out, program);
    out += ".PP\nEach command has its own exit statuses, listed under COMMANDS.\n";
    out += ".SH FILES\nIn the program folder:\n";
    for (const auto& [file, meaning] : kManualFiles)
        out += ".TP\n" + italic(file) + "\n" + roff(meaning) + "\n";
    out += ".SH ENVIRONMENT\n";
    for (const auto& [variable, meaning] : kManualEnvironment)
        out += ".TP\n" + bold(variable) + "\n" + roff(meaning) + "\n";
    return out;
}

std::string bashCompletion() {
    const Command& program = programCommand();
    std::string out = "# bash completion for velmora(1): made at build time from the program's own command "
                      "descriptions.\n\n";
    out += kCompletionHelpers;
    out += R"sh(
_velmora() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local command= dir= i
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
        --dir) ((i + 1 < COMP_CWORD)) && dir=${COMP_WORDS[i + 1]}; ((i++)) ;;
        -*) ;;
        *) [[ -z $command ]] && command=${COMP_WORDS[i]} ;;
        esac
    done
    case $prev in
)sh";
    out += valueCases(program, "    ");
    out += "    esac\n    case $command in\n";
    out += "    '')\n        _velmora_words " + joined(optionNames(program), " ") + " " +
           joined(commandNames(), " ") + "\n        ;;\n";
    for (const Command& command : commands()) {
        out += "    " + command.name + ")\n        case $prev in\n";
        out += valueCases(command, "        ");
        out += "        esac\n";
        const std::string options = joined(optionNames(command), " ") + " --dir";
        if (command.operands)
            out += "        if [[ $cur == -* ]]; then _velmora_words " + options + "; else " +
                   completeValue(command.operands->kind, {}) + "; fi\n";
        else
            out += "        _velmora_words " + options + "\n";
        out += "        ;;\n";
    }
    out += "    esac\n}\n\ncomplete -F _velmora velmora\n";
    return out;
}

} // namespace velmora::cli
