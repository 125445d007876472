#include "cli/CommandLine.h"

#include "app/Product.h"
#include "cli/ConvertCommand.h"
#include "cli/ImportOrderCommand.h"
#include "cli/PrintCommand.h"

#include <algorithm>
#include <functional>
#include <iostream>
#include <map>

namespace velmora::cli {

namespace {

using VerbHandler = std::function<int(const Invocation&)>;

struct Verb {
    VerbHandler run;
    const char* summary;
};

// The headless verbs. Each takes its own options from Invocation::arguments.
const std::map<std::string, Verb>& verbs() {
    static const std::map<std::string, Verb> table = {
        {"print", {runPrintCommand, "print the selected checks and labels of a check database"}},
        {"convert", {runConvertCommand, "convert Access (Jet) check databases and PC.OVL into SQLite files"}},
        {"import-order",
         {runImportOrderCommand, "import an order form from standard input into a new check"}},
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
        } else if (invocation.verb.empty() && (arg == "--help" || arg == "-h")) {
            invocation.request = Invocation::Request::Help;
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
    return invocation;
}

int runVerb(const Invocation& invocation) {
    return verbs().at(invocation.verb).run(invocation);
}

std::string topLevelUsage() {
    std::string text =
        "usage: velmora [--dir DIR] [COMMAND [OPTIONS]]\n"
        "       velmora --help | --version\n"
        "Without a command, Velmora opens its screens. --dir names the program folder (of PC.OVL\n"
        "and the check databases).\n"
        "Commands:\n";
    for (const auto& [name, verb] : verbs()) {
        std::string padded = "  " + name;
        padded.resize(std::max<std::size_t>(padded.size() + 2, 12), ' ');
        text += padded + verb.summary + "\n";
    }
    text += "velmora COMMAND --help tells a command's options.\n";
    return text;
}

std::string versionText() {
    return std::string(product::kName) + " " + product::kVersion + "\n";
}

} // namespace velmora::cli
