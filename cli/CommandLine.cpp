#include "cli/CommandLine.h"

#include "cli/ConvertCommand.h"
#include "cli/PrintCommand.h"

#include <functional>
#include <iostream>
#include <map>

namespace velmora::cli {

namespace {

using VerbHandler = std::function<int(const Invocation&)>;

// The headless verbs. Each takes its own options from Invocation::arguments.
const std::map<std::string, VerbHandler>& verbs() {
    static const std::map<std::string, VerbHandler> table = {
        {"print", runPrintCommand},
        {"convert", runConvertCommand},
    };
    return table;
}

} // namespace

bool isVerb(const std::string& verb) {
    return verbs().count(verb) > 0;
}

std::optional<Invocation> parseInvocation(const std::vector<std::string>& args) {
    Invocation invocation;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--dir") {
            if (i + 1 >= args.size()) {
                std::cerr << "velmora: --dir needs a folder\n";
                return std::nullopt;
            }
            invocation.programDir = args[++i];
        } else if (arg.rfind("--dir=", 0) == 0) {
            invocation.programDir = arg.substr(6);
        } else if (invocation.verb.empty() && !arg.starts_with("-")) {
            if (!isVerb(arg)) {
                std::cerr << "velmora: unknown command '" << arg << "'\n";
                return std::nullopt;
            }
            invocation.verb = arg;
        } else if (!invocation.verb.empty()) {
            invocation.arguments.push_back(arg);
        } else {
            std::cerr << "velmora: unknown option '" << arg << "'\n"
                      << "usage: velmora [--dir DIR] [COMMAND [OPTIONS]]\n";
            return std::nullopt;
        }
    }
    return invocation;
}

int runVerb(const Invocation& invocation) {
    return verbs().at(invocation.verb)(invocation);
}

} // namespace velmora::cli
