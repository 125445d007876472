#pragma once

#include "jet/ConversionPlan.h"
#include "jet/ReaderProtocol.h"

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>

namespace velmora::testing {

// The Jet sample files of the shared test data (../shared/jet), std::nullopt where that folder is
// absent; tests that need them skip, naming the folder.
std::optional<std::filesystem::path> jetSample(const std::string& name);
#define VELMORA_REQUIRE_JET_SAMPLE(var, name)                                                                \
    const auto var = ::velmora::testing::jetSample(name);                                                    \
    if (!var)                                                                                                \
        GTEST_SKIP() << "the Jet sample " << (name) << " is not in " VELMORA_SHARED_DIR "/jet";

std::filesystem::path readerProgram();

std::string checksum(const std::filesystem::path& file);
std::set<std::string> folderListing(const std::filesystem::path& dir);

// Copies `from` to `to`, writable.
void copyWritable(const std::filesystem::path& from, const std::filesystem::path& to);
// Damage done to a copy: cut at `size` bytes; each byte in [offset, offset + count) inverted.
void truncateFile(const std::filesystem::path& file, std::uintmax_t size);
void invertBytes(const std::filesystem::path& file, std::uintmax_t offset, std::size_t count);

// A stand-in for the reader program: a script that ignores its file and sends `stream`, made with
// the protocol's encoder, as the reader's output (for the files no Jet writer can make here).
std::filesystem::path fakeReader(const std::filesystem::path& dir, const std::string& stream);
std::filesystem::path scriptReader(const std::filesystem::path& dir, const std::string& body);

// Jet schemas shaped like the program's own files, as Access would describe them: a check database
// (with an extra column Fax and an extra table Log) and a settings file.
jet::JetSchema jetCheckDatabaseSchema();
jet::JetSchema jetSettingsSchema();

// Rows by Jet table name, each a value by Jet column name (a column not given is Null).
using JetRows = std::map<std::string, std::vector<std::map<std::string, db::Value>>>;
// What the reader would send for a file holding `rows`, asked for what `plan` selects. Each table's
// declared row count is set to the rows given.
std::string readerOutput(jet::JetSchema schema, const jet::ConversionPlan& plan, const JetRows& rows);

} // namespace velmora::testing
