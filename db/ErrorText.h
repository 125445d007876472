#pragma once

#include "db/Connection.h"

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace velmora::db {

// What to do about a damaged file: for a check database, how to put its backup copy in its place.
std::string restoreAdvice(const std::filesystem::path& file);

// The sentence a user reads for a failed database operation: what happened to which file and what
// to do about it. `shownAs` names the file the user knows when the failure happened on a temporary
// file standing in for it.
std::string userMessage(const Error& error, const std::filesystem::path& shownAs = {});
// The same for a failed file copy, rename or removal.
std::string userMessage(const std::error_code& error, const std::filesystem::path& file);

// The sentence for a failure of the program's writer (base/OutputFile.h) on `file`: `reason` as the
// writer gave it, `error` the system's error number behind it (0 when there is none).
std::string writeFailureMessage(const std::string& reason, int error, const std::filesystem::path& file);

// userMessage() when the failure lies with the file itself or its disk (in use, not writable, disk
// full, disk error, damaged), std::nullopt when it lies with what was asked of it.
std::optional<std::string> fileProblem(const Error& error, const std::filesystem::path& shownAs = {});

} // namespace velmora::db
