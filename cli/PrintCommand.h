#pragma once

#include "cli/CommandLine.h"

namespace velmora::cli {

// Exit statuses of `velmora print`.
enum PrintExit : int {
    kPrinted = 0,
    kRunFailed = 1,       // a job could not be sent, or the records could not be updated
    kUsage = 2,           // bad options, or nothing selected to print
    kNotAllowed = 3,      // wrong password, no settings file, no way to ask for the password
    kNoDatabase = 4,      // the database is missing or is not a check database
    kOutputUnwritable = 5 // the PDF file cannot be written, or the printer queue does not exist
};

// velmora print --db NAME.mdb [--once] [--monthly] [--labels-once] [--labels-monthly]
//   [--start-label N] (--pdf FILE | --printer QUEUE) [--confirm yes|no] [--password-file FILE]
// The print run of the Printer Control Menu without the screens.
int runPrintCommand(const Invocation& invocation);

} // namespace velmora::cli
