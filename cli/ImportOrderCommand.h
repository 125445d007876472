#pragma once

#include "cli/CommandLine.h"

namespace velmora::cli {

enum ImportOrderExit : int {
    kImported = 0,
    kNotWritten = 1,
    kImportUsage = 2,
    kImportNotAllowed = 3,
    kImportNoDatabase = 4,
    kUnreadableOrder = 5,
    kImportNoSettings = 7, // as for velmora print
};

// velmora [--dir DIR] import-order --db NAME.mdb [--password-file FILE] < order.txt
// The order importer of the data entry screen without the screens: the order form is read from
// standard input and goes into a new check; the messages of the import (the verification of the
// routing and account numbers, skipped values) go to standard error. The options and exit statuses are
// described with the other commands' (CommandHelp.cpp): 0 when a record was written.
int runImportOrderCommand(const Invocation& invocation);

} // namespace velmora::cli
