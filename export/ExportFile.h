#pragma once

#include "base/Result.h"
#include "export/ExportFormats.h"

#include <cstdint>
#include <filesystem>

namespace velmora::exporting {

// The export file of a program folder, EXPORT.TXT beside the databases.
std::filesystem::path exportFilePath(const std::filesystem::path& programDir);

// Whether `target` may take an export of `database`: never one of the program's own files (a check
// database, PC.OVL, template.ref, a backup), never a folder, never a file made read-only.
Status checkExportTarget(const std::filesystem::path& target, const std::filesystem::path& programDir,
                         const std::filesystem::path& database);

// Writes every check record of the database file, in table order, to `target` in `format`, UTF-8
// as the records hold it. The file is written under a temporary name and renamed into place when
// complete, so a failure leaves an earlier file as it was; its message names the file. The database
// is only read. Returns the number of records written.
Result<std::int64_t> writeExport(const std::filesystem::path& database, const ExportFormat& format,
                                 const std::filesystem::path& target);

} // namespace velmora::exporting
