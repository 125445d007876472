#pragma once

#include "jet/Converter.h"

#include <filesystem>
#include <string>

namespace velmora::jet {

// The texts with which the screens offer a conversion in place and tell how it went.

// Asks whether to convert `file`, saying that a converted copy takes its name and that the original
// stays beside it, unchanged, under its kept name.
std::string conversionQuestion(const std::filesystem::path& file, FileKind kind);

// What a successful conversion did: the tables with their rows, where the original is, and what was
// left out or changed on the way (long lists shortened, with the number not shown).
std::string conversionSucceeded(const std::filesystem::path& file, const ConversionResult& result);

// Why a conversion did not happen (a refused file, a failure, a cancel), and that nothing changed.
std::string conversionFailed(const std::filesystem::path& file, const Status& status);

} // namespace velmora::jet
