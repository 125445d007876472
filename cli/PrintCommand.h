#pragma once

#include "cli/Command.h"

namespace velmora::cli {

// `velmora print`: the print run of the Printer Control Menu without the screens.
Exit runPrintCommand(const Invocation& invocation, const Arguments& arguments);

} // namespace velmora::cli
