#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velmora::cli {

// Exit statuses of the program itself: the screens, and a command line that names no command it has.
enum ProgramExit : int { kProgramEnded = 0, kProgramDirUnusable = 1, kCommandLineUsage = 2 };

// The options every use of the program takes, and the verb (empty: the screens).
struct Invocation {
    enum class Request { Run, Help, Version };
    Request request = Request::Run;                  // --help or --version, or `help`
    std::string verb;                                // for Help: the verb to tell about (empty: the program)
    std::optional<std::filesystem::path> programDir; // --dir
    std::vector<std::string> arguments;              // what follows, for the verb
};

// Parses argv[1..]. Returns std::nullopt (after writing the reason to standard error) on a usage error.
std::optional<Invocation> parseInvocation(const std::vector<std::string>& args);

// True when `verb` names a headless command.
bool isVerb(const std::string& verb);

// Runs a headless verb; returns the process exit status.
int runVerb(const Invocation& invocation);

// The answer to `velmora --help` (the usage and the verbs) and to `velmora --version`.
std::string topLevelUsage();
std::string versionText();

// The answer to a Help request: the usage of its verb, or of the program.
std::string usageFor(const Invocation& invocation);

} // namespace velmora::cli
