#pragma once

#include <cstdint>
#include <optional>

namespace velmora::entry {

// Valid check numbers have 3 to 6 digits. Numbering starts again at the lowest one once a number
// passes the wrap limit, well before the top, so that a run of checks never reaches 7 digits.
inline constexpr std::int64_t kLowestCheckNumber = 101;
inline constexpr std::int64_t kCheckNumberWrapLimit = 999900;

// The number a new check gets: one past the larger of the last shown record's number and the
// number the print run last handed out (`LastCheck`), either taken as 0 when empty; when either is
// past the wrap limit the sequence starts again at 101.
std::int64_t nextCheckNumber(std::optional<std::int64_t> lastRecordCheck,
                             std::optional<std::int64_t> lastCheck);

} // namespace velmora::entry
