#pragma once

#include <filesystem>
#include <string>

namespace velmora::testing {

// Damages the leaf page that holds a table's rows the way a torn write can: the row at position
// `cell` (from 0) is given the row id of the row before it, so that the rows are out of order on
// the disk (PRAGMA integrity_check: "Rowid ... out of order") and a seek past that id finds the
// same row again. The table must fit on its root page, with row ids below 128.
void repeatRowIdOnDisk(const std::filesystem::path& file, const std::string& table, int cell);

// Damages a page in the middle of a table the way a disk error can: the table must be big enough for
// its root to be an interior page; one of the leaves it points to, half way along, is overwritten
// with 0xFF bytes, which no page starts with. The schema and the first rows stay readable, so a file
// opened without the whole-file check is refused only when a walk reaches that page.
void spoilMiddleLeafOnDisk(const std::filesystem::path& file, const std::string& table);

// Damages an index the way a lost write can, with every page still well formed: the first entry of
// the index points to another row than the one it was made for (PRAGMA quick_check finds nothing;
// PRAGMA integrity_check: "row ... missing from index ..."). The index must fit on its root page,
// with row ids below 128. Keeps the file's size; changes its bytes in place.
void misdirectIndexEntryOnDisk(const std::filesystem::path& file, const std::string& index);

} // namespace velmora::testing
