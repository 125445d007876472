#pragma once

#include "cli/CommandLine.h"

namespace velmora::cli {

// velmora [--dir DIR] import-order --db NAME.mdb [--password-file FILE] < order.txt
// The order importer of the data entry screen without the screens: the order form is read from
// standard input and goes into a new check; the messages of the import (the verification of the
// routing and account numbers, skipped values) go to standard error. The exit statuses are listed in
// the usage text: 0 when a record was written.
int runImportOrderCommand(const Invocation& invocation);

} // namespace velmora::cli
