#pragma once

#include "cli/Command.h"

namespace velmora::cli {

// `velmora check`: reads every page and every index of the files named (all of them when none is),
// whether or not they changed since they were last found sound, and says for each on standard output
// whether it is sound or what is wrong with it.
Exit runCheckCommand(const Invocation& invocation, const Arguments& arguments);

} // namespace velmora::cli
