#pragma once

#include "cli/Command.h"

#include <optional>
#include <string>
#include <vector>

namespace velmora::cli {

// Parses argv[1..]. Returns std::nullopt (after writing the reason to standard error) on a usage error.
std::optional<Invocation> parseInvocation(const std::vector<std::string>& args);

// Runs a headless verb: checks its arguments against its options, then runs it. Returns the process
// exit status.
int runVerb(const Invocation& invocation);

// The answer to a Help request (the usage of its verb, or of the program and its verbs), and to
// `velmora --version`.
std::string usageFor(const Invocation& invocation);
std::string versionText();

} // namespace velmora::cli
