#pragma once

#include "cli/CommandLine.h"

namespace velmora::cli {

// Exit statuses of `velmora print`, shared by the other printing verbs.
enum PrintExit : int {
    kPrinted = 0,
    kRunFailed = 1,        // the records could not be read or updated, or hold damaged values
    kUsage = 2,            // bad options, or nothing selected to print
    kNotAllowed = 3,       // wrong password, or no way to ask for the password
    kNoDatabase = 4,       // the database is missing or is not a check database
    kOutputUnwritable = 5, // the output cannot be written or sent, names a program file, or is taken
    kNothingToPrint = 6,   // nothing matches the selection: nothing printed, no file written or removed
    kNoSettings = 7,       // the settings file PC.OVL is missing or cannot be used
    kDatabaseBusy = 8,     // another print run is printing from the same database
    kRefused = 9           // blank stock refused before printing (see the verb's description)
};

// velmora print --db NAME.mdb [--once] [--monthly] [--labels-once] [--labels-monthly]
//   [--start-label N] (--pdf FILE | --printer QUEUE) [--overwrite] [--confirm yes|no]
//   [--password-file FILE]
// The print run of the Printer Control Menu without the screens.
int runPrintCommand(const Invocation& invocation);

} // namespace velmora::cli
