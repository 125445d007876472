#pragma once

namespace velmora::cli {

// Every way the program and its commands end. Each has its exit status and one meaning, which every
// usage text and the manual page give it; several share a status, and each command lists those it
// can end with (cli/Verbs.cpp).
enum class Exit {
    // 0
    ProgramEnded,
    Told,
    Printed,
    Exported,
    Imported,
    AllSound,
    AllConverted,
    Voided,
    PositivePayWritten,
    Copied,
    // 1
    ProgramDirUnusable,
    RecordsNotUpdated,
    HistoryNotWritten,
    NotImported,
    NotSound,
    SomeNotConverted,
    NumbersTaken,
    PrintedNotMatched,
    NotVoided,
    NotCopied,
    // 2
    UnknownCommand,
    NoSuchCommand,
    Usage,
    NothingSelected,
    InputIsTerminal,
    // 3 and up
    NotAllowed,
    NoDatabase,
    OutputNotWritten,
    ExportNotWritten,
    OrderUnreadable,
    NoRecordMatches,
    NoneCounted,
    NoSettings,
    DatabaseBusy,
    Refused,
};

// The process exit status of `exit`, and what it means.
int exitCode(Exit exit);
const char* exitMeaning(Exit exit);

} // namespace velmora::cli
