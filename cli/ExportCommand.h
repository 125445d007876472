#pragma once

#include "cli/CommandLine.h"

namespace velmora::cli {

// Exit statuses of `velmora export`.
enum ExportExit : int {
    kExported = 0,
    kExportUsage = 2,      // bad options
    kExportNotAllowed = 3, // wrong password, or no way to ask for the password
    kExportNoDatabase = 4, // the database is missing, is not a check database, or is damaged
    kExportUnwritable = 5, // the file cannot be written, or is a link or a program file
    kExportNoSettings = 7, // the settings file PC.OVL is missing or cannot be used
};

// velmora export --db NAME.mdb (--all | --customers) [--output FILE] [--password-file FILE]
// The export screen's two buttons without the screens.
int runExportCommand(const Invocation& invocation);

} // namespace velmora::cli
