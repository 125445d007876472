#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace velmora::fuzz {

// A folder of this fuzzing process, removed when it ends.
const std::filesystem::path& scratchDir();

// Replaces `file` (and any journal left beside it) with exactly these bytes.
void writeInput(const std::filesystem::path& file, const std::uint8_t* data, std::size_t size);

// An invariant of the code under test; its failure is a finding, reported as a crash with the reason.
void require(bool holds, std::string_view what);

} // namespace velmora::fuzz
