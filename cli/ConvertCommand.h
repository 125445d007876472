#pragma once

#include "cli/Command.h"

namespace velmora::cli {

// `velmora convert FILE...`: converts check databases and PC.OVL kept as Access (Jet) files into the
// program's SQLite files, in place, each original kept with .jet added (NAME.mdb.jet). One line per
// file on standard output; what was left out or changed on the way on standard error.
Exit runConvertCommand(const Invocation& invocation, const Arguments& arguments);

} // namespace velmora::cli
