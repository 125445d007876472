#include "cli/ExitStatus.h"

#include <cstddef>
#include <iterator>

namespace velmora::cli {

namespace {

struct ExitRow {
    Exit exit;
    int code;
    const char* meaning;
};

// clang-format off
constexpr ExitRow kExits[] = {
    {Exit::ProgramEnded,       0, "the screens were closed, or the usage or the version was told"},
    {Exit::Told,               0, "the usage was told"},
    {Exit::Printed,            0, "printed"},
    {Exit::Exported,           0, "exported"},
    {Exit::Imported,           0, "imported (some values may be skipped, cut short or unverified)"},
    {Exit::AllSound,           0, "every file checked is sound"},
    {Exit::AllConverted,       0, "every file converted, or needed no conversion"},
    {Exit::Voided,             0, "voided"},
    {Exit::PositivePayWritten, 0, "written"},
    {Exit::Copied,             0, "copied, and every row and field of the copy compared with the source"},
    {Exit::ProgramDirUnusable, 1, "the program folder cannot be used"},
    {Exit::RecordsNotUpdated,  1, "the records could not be read or updated, or hold values no check can carry"},
    {Exit::HistoryNotWritten,  1, "printed, but the history line could not be written on the first check"},
    {Exit::NotImported,        1, "no check could be made, or the order could not be saved into it"},
    {Exit::NotSound,           1, "a file is damaged, missing, or not a file of this program"},
    {Exit::SomeNotConverted,   1, "a file was not converted (it is left as it was): see the line that names it"},
    {Exit::NumbersTaken,       1, "checks carry numbers that went out already on their account: none printed"},
    {Exit::PrintedNotMatched,  1, "--printed named a check the run did not print: none was marked"},
    {Exit::NotVoided,          1, "not voided: no such printed check, void already, or not saved"},
    {Exit::NotCopied,          1, "not copied: the name is taken or refused, or the copy failed or differed; nothing is left of it"},
    {Exit::UnknownCommand,     2, "usage error: an unknown option or command"},
    {Exit::NoSuchCommand,      2, "there is no such command"},
    {Exit::Usage,              2, "usage error: an option or argument unknown, missing, repeated or wrong"},
    {Exit::NothingSelected,    2, "nothing selected to print"},
    {Exit::InputIsTerminal,    2, "standard input is a terminal"},
    {Exit::NotAllowed,         3, "wrong password, or no way to ask for it"},
    {Exit::NoDatabase,         4, "the database is missing, is not a check database, or cannot be opened"},
    {Exit::OutputNotWritten,   5, "output not written or sent, or exists without --overwrite: no record was changed"},
    {Exit::ExportNotWritten,   5, "the file is a link or program file, or cannot be written (old one stays)"},
    {Exit::OrderUnreadable,    5, "standard input could not be read, or holds more than 32 MB"},
    {Exit::NoRecordMatches,    6, "nothing to print: no record matches; no file was written or removed"},
    {Exit::NoneCounted,        6, "nothing to print: the count is 0; no file was written or removed"},
    {Exit::NoSettings,         7, "the settings file PC.OVL is missing or cannot be used"},
    {Exit::DatabaseBusy,       8, "another print run is printing from the same database"},
    {Exit::Refused,            9, "refused before printing"},
};
// clang-format on

// Each row stands at the place of its enumerator, so that a row is found by index.
constexpr bool inOrder() {
    for (std::size_t i = 0; i < std::size(kExits); ++i) {
        if (static_cast<std::size_t>(kExits[i].exit) != i)
            return false;
    }
    return static_cast<std::size_t>(Exit::Refused) + 1 == std::size(kExits);
}
static_assert(inOrder(), "one row per Exit, in the order of the enumeration");

const ExitRow& rowOf(Exit exit) {
    return kExits[static_cast<std::size_t>(exit)];
}

} // namespace

int exitCode(Exit exit) {
    return rowOf(exit).code;
}

const char* exitMeaning(Exit exit) {
    return rowOf(exit).meaning;
}

} // namespace velmora::cli
