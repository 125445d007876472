#pragma once

#include "cli/Command.h"

namespace velmora::cli {

// `velmora import-order`: the order importer of the data entry screen without the screens. The order
// form is read from standard input and goes into a new check; the messages of the import (the
// verification of the routing and account numbers, skipped values) go to standard error.
Exit runImportOrderCommand(const Invocation& invocation, const Arguments& arguments);

} // namespace velmora::cli
