#include "cli/CommandLine.h"

#include "base/OutputFile.h"
#include "base/Product.h"
#include "cli/VerbSupport.h"

#include <iostream>

namespace velmora::cli {

namespace {

bool isVerb(const std::string& verb) {
    return findCommand(verb) != nullptr;
}

// `velmora help [VERB]`: the usage of the verb named, or of the program.
std::optional<Invocation> helpRequest(Invocation invocation) {
    invocation.request = Invocation::Request::Help;
    if (invocation.arguments.size() > 1) {
        std::cerr << "velmora help: name one command\n";
        return std::nullopt;
    }
    invocation.verb = invocation.arguments.empty() ? std::string() : invocation.arguments.front();
    invocation.arguments.clear();
    if (!invocation.verb.empty() && !isVerb(invocation.verb)) {
        std::cerr << "velmora help: unknown command '" << invocation.verb << "'\n";
        return std::nullopt;
    }
    return invocation;
}

} // namespace

std::optional<Invocation> parseInvocation(const std::vector<std::string>& args) {
    Invocation invocation;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--dir" || arg.starts_with("--dir=")) {
            if (invocation.programDir) {
                std::cerr << "velmora: --dir is given twice; give it once\n";
                return std::nullopt;
            }
            if (arg == "--dir" && i + 1 >= args.size()) {
                std::cerr << "velmora: --dir needs a folder\n";
                return std::nullopt;
            }
            invocation.programDir = arg == "--dir" ? args[++i] : arg.substr(6);
        } else if (arg == "--help" || arg == "-h") {
            // Before a verb: the program's usage; after one: the verb's.
            invocation.request = Invocation::Request::Help;
            invocation.arguments.clear();
            return invocation;
        } else if (invocation.verb.empty() && arg == "--version") {
            invocation.request = Invocation::Request::Version;
            return invocation;
        } else if (invocation.verb.empty() && !arg.starts_with("-")) {
            if (!isVerb(arg)) {
                std::cerr << "velmora: unknown command '" << arg << "'\n";
                return std::nullopt;
            }
            invocation.verb = arg;
        } else if (!invocation.verb.empty()) {
            invocation.arguments.push_back(arg);
        } else {
            std::cerr
                << "velmora: unknown option '" << arg << "'\n"
                << "usage: velmora [--dir DIR] [COMMAND [OPTIONS]]; velmora --help lists the commands\n";
            return std::nullopt;
        }
    }
    if (invocation.verb == "help")
        return helpRequest(std::move(invocation));
    return invocation;
}

int runVerb(const Invocation& invocation) {
    const Command* command = findCommand(invocation.verb);
    if (!command || !command->run) {
        std::cerr << "velmora: the command '" << invocation.verb << "' cannot be run\n";
        return exitCode(Exit::UnknownCommand);
    }
    const Result<Arguments> arguments = parseArguments(*command, invocation.arguments);
    if (!arguments) {
        std::cerr << "velmora " << command->name << ": " << arguments.message() << "\n"
                  << usageText(*command);
        return exitCode(Exit::Usage);
    }
    // What killed runs of the program left in its folder (a PDF, an export, a backup cut short) goes
    // first, as at a start of the screens; nothing else is touched, and no folder is made.
    removeDeadProcessLeftovers(programDirOf(invocation));
    return exitCode(command->run(invocation, *arguments));
}

std::string usageFor(const Invocation& invocation) {
    const Command* verb = findCommand(invocation.verb);
    return usageText(verb ? *verb : programCommand());
}

std::string versionText() {
    return std::string(product::kName) + " " + product::kVersion + "\n";
}

} // namespace velmora::cli
