#include "cli/Command.h"

#include <algorithm>
#include <stdexcept>

namespace velmora::cli {

namespace {

using Parsed = Result<Arguments>;

// "give either --pdf FILE or --printer QUEUE": the alternatives of `group`, none or two of them given.
std::string eitherOf(const Command& command, int group) {
    std::string text;
    for (const Option& option : command.options) {
        if (option.oneOf == group)
            text += (text.empty() ? "give either " : " or ") + option.label();
    }
    return text;
}

// What the arguments lack or give wrong as a whole, once each one was read: a needed option, the
// operands, one alternative of each group, and the values the options take.
std::optional<std::string> completeness(const Command& command, const Arguments& parsed) {
    std::map<int, int> given; // by group
    for (const Option& option : command.options) {
        if (option.required() && !parsed.has(option.name))
            return option.missing;
        if (option.oneOf > 0)
            given[option.oneOf] += parsed.has(option.name) ? 1 : 0;
    }
    for (const auto& [group, count] : given) {
        if (count != 1)
            return eitherOf(command, group);
    }
    if (command.operands && !command.operands->missing.empty() && parsed.operands().empty())
        return command.operands->missing;
    for (const Option& option : command.options) {
        const auto value = parsed.value(option.name);
        if (value && option.accepts && !option.accepts(*value))
            return option.refused;
    }
    return std::nullopt;
}

} // namespace

std::string Option::label() const {
    return argument ? name + " " + argument : name;
}

std::string ExitHelp::meaning() const {
    return detail.empty() ? exitMeaning(exit) : exitMeaning(exit) + (": " + detail);
}

const Option* Command::findOption(std::string_view wanted) const {
    const auto found = std::find_if(options.begin(), options.end(), [&](const Option& option) {
        return wanted == option.name || (option.alias && wanted == option.alias);
    });
    return found == options.end() ? nullptr : &*found;
}

const Command* findCommand(std::string_view name) {
    const auto all = commands();
    const auto found =
        std::find_if(all.begin(), all.end(), [&](const Command& command) { return name == command.name; });
    return found == all.end() ? nullptr : &*found;
}

bool Arguments::has(std::string_view option) const {
    return value(option).has_value();
}

std::optional<std::string> Arguments::value(std::string_view option) const {
    if (!command_->findOption(option))
        throw std::logic_error("the command " + command_->name + " takes no option " + std::string(option));
    const auto found = options_.find(option);
    if (found == options_.end())
        return std::nullopt;
    return found->second;
}

Parsed parseArguments(const Command& command, const std::vector<std::string>& args) {
    Arguments parsed(command);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!arg.starts_with("-") || arg == "-") {
            if (!command.operands)
                return Parsed::failure("unexpected argument '" + arg + "'");
            parsed.operands_.push_back(arg);
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const Option* option = command.findOption(name);
        if (!option)
            return Parsed::failure("unknown option '" + name + "'");
        std::string value;
        if (equals != std::string::npos) {
            if (!option->argument)
                return Parsed::failure(name + " takes no value");
            value = arg.substr(equals + 1);
        } else if (option->argument) {
            if (i + 1 >= args.size())
                return Parsed::failure(name + " needs a value");
            value = args[++i];
        }
        if (option->kind == ValueKind::Choice &&
            std::find(option->choices.begin(), option->choices.end(), value) == option->choices.end()) {
            std::string choices;
            for (const char* choice : option->choices)
                choices += std::string(choices.empty() ? "" : " or ") + choice;
            return Parsed::failure(name + " takes " + choices);
        }
        if (!parsed.options_.emplace(option->name, value).second)
            return Parsed::failure(option->name + " is given twice; give it once");
    }
    if (auto problem = completeness(command, parsed))
        return Parsed::failure(*problem);
    return parsed;
}

std::vector<std::string> synopsesOf(const Command& command) {
    if (!command.synopses.empty())
        return command.synopses;
    std::string synopsis;
    std::map<int, bool> shown; // the groups, each shown at its first alternative
    const auto add = [&](const std::string& part) { synopsis += (synopsis.empty() ? "" : " ") + part; };
    for (const Option& option : command.options) {
        if (option.name == "--help")
            continue;
        if (option.oneOf > 0) {
            if (shown[option.oneOf])
                continue;
            shown[option.oneOf] = true;
            std::string group;
            for (const Option& other : command.options) {
                if (other.oneOf == option.oneOf)
                    group += (group.empty() ? "(" : " | ") + other.label();
            }
            add(group + ")");
        } else {
            add(option.required() ? option.label() : "[" + option.label() + "]");
        }
    }
    if (command.operands)
        add(command.operands->missing.empty() ? "[" + std::string(command.operands->name) + "]"
                                              : command.operands->name);
    if (command.input)
        add(std::string("< ") + command.input);
    return {synopsis};
}

} // namespace velmora::cli
