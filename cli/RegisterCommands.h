#pragma once

#include "cli/Command.h"

namespace velmora::cli {

// `velmora void`: Void a Printed Check of the data entry screen without the screens.
Exit runVoidCommand(const Invocation& invocation, const Arguments& arguments);

// `velmora positive-pay`: the register screen's positive pay file without the screens.
Exit runPositivePayCommand(const Invocation& invocation, const Arguments& arguments);

} // namespace velmora::cli
