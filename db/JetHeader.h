#pragma once

#include "base/Result.h"

#include <cstdint>
#include <filesystem>

namespace velmora::db {

// What a file holds, told by its first bytes (never by its name).
bool isJetFile(const std::filesystem::path& file);    // an Access database of any version
bool isSqliteFile(const std::filesystem::path& file); // a SQLite 3 database

struct JetHeader {
    int version = 0; // 3, 4, or the ACE version of Access 2007 and later (12 to 17)
    std::size_t pageSize = 0;
    std::uint64_t fileSize = 0;
};

// Checks, before any library reads the file, what can be checked from its first pages: that it is a
// Jet database of a version that can be converted (Jet 3, Jet 4, or ACE 12 and later, the files
// of Access 2007 on, laid out as Jet 4's), not encrypted, not truncated,
// with its table catalog where it belongs. The message of a failure names the file.
Result<JetHeader> inspectJetFile(const std::filesystem::path& file);

} // namespace velmora::db
