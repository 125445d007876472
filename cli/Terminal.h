#pragma once

#include <optional>
#include <string>

namespace velmora::cli {

// Asks for a password on the controlling terminal with the echo off; std::nullopt when there is no
// terminal. The terminal gets its echo back however the prompt ends: an answer, an error, or
// Ctrl-C, a kill or a hang-up while it waits (the signal is then passed on as it came).
std::optional<std::string> askPasswordOnTerminal(const std::string& prompt);

// What a file descriptor gives up to `bytes` bytes or its end; std::nullopt with the reason in `why`
// when reading fails.
std::optional<std::string> readAtMost(int fd, std::size_t bytes, std::string& why);

// The first line of a password file, read up to kMaxPasswordFileBytes; std::nullopt with the
// reason in `why` when it cannot be read or its first line is longer than that. `shared` tells
// whether users other than the file's owner may read it.
inline constexpr std::size_t kMaxPasswordFileBytes = 4096;
std::optional<std::string> readPasswordFile(const std::string& file, std::string& why, bool& shared);

} // namespace velmora::cli
