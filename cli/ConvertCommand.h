#pragma once

#include "cli/CommandLine.h"

namespace velmora::cli {

// Exit statuses of `velmora convert`.
enum ConvertExit : int { kAllConverted = 0, kSomeFailed = 1, kConvertUsage = 2 };

// velmora [--dir DIR] convert FILE...
// Converts check databases and PC.OVL kept as Access (Jet) files into the program's SQLite files, in
// place, each original kept with .jet added (NAME.mdb.jet). One line per file on standard output; what was
// left out or changed on the way on standard error. Exit status 0 when every file converted (or needed no
// conversion), 1 when any failed, 2 on a usage error.
int runConvertCommand(const Invocation& invocation);

} // namespace velmora::cli
