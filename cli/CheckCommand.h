#pragma once

#include "cli/CommandLine.h"

namespace velmora::cli {

// Exit statuses of `velmora check`.
enum CheckExit : int { kAllSound = 0, kNotSound = 1, kCheckUsage = 2 };

// velmora [--dir DIR] check [--db NAME.mdb] [--settings] [--template]
// Reads every page and every index of the files named (all of them when none is), whether or not they
// changed since they were last found sound, and says for each on standard output whether it is sound
// or what is wrong with it. Exit status 0 when every file is sound, 1 when any is not, 2 on a usage
// error.
int runCheckCommand(const Invocation& invocation);

} // namespace velmora::cli
