#pragma once

#include "cli/CommandLine.h"

namespace velmora::cli {

// Exit statuses of `velmora void` and `velmora positive-pay`, as for the other commands where they
// mean the same.
enum RegisterExit : int {
    kRegisterDone = 0,
    kNotVoided = 1, // the register holds no such printed check, it is void already, or it could not be saved
    kRegisterUsage = 2,
    kRegisterNotAllowed = 3,
    kRegisterNoDatabase = 4, // the database is missing, is not a check database, or is damaged
    kRegisterUnwritable = 5, // the positive pay file cannot be written, or is a link or a program file
    kRegisterNoSettings = 7,
};

// velmora void --db NAME.mdb --check NUMBER [--account DIGITS] [--reason TEXT] [--password-file FILE]
// Void a Printed Check of the data entry screen without the screens.
int runVoidCommand(const Invocation& invocation);

// velmora positive-pay --db NAME.mdb --from YYYY-MM-DD --to YYYY-MM-DD [--output FILE] [--format NAME]
//   [--password-file FILE]
// The register screen's positive pay file without the screens.
int runPositivePayCommand(const Invocation& invocation);

} // namespace velmora::cli
