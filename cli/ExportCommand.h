#pragma once

#include "cli/Command.h"

namespace velmora::cli {

// `velmora export`: the export screen's two buttons without the screens.
Exit runExportCommand(const Invocation& invocation, const Arguments& arguments);

} // namespace velmora::cli
