#pragma once

#include <cstdint>
#include <optional>

namespace velmora::db {

// Check numbers. Valid ones have 3 to 6 digits; numbering starts again at the lowest one after the
// wrap limit, well before the top, so that a run of checks never reaches 7 digits.
inline constexpr std::int64_t kLowestCheckNumber = 101;
inline constexpr std::int64_t kCheckNumberWrapLimit = 999900;

// The number a new check gets: one past the larger of the last shown record's number and the
// number the print run last handed out (`LastCheck`), either taken as 0 when empty; when either is
// already past the wrap limit the sequence starts again at 101. The limit itself does not wrap here:
// after 999900 comes 999901.
std::int64_t nextCheckNumber(std::optional<std::int64_t> lastRecordCheck,
                             std::optional<std::int64_t> lastCheck);

// The number after `number` when a printed recurring check is renumbered: one more, or 101 when
// that would pass the wrap limit (after 999900 comes 101).
std::int64_t renumbered(std::int64_t number);

} // namespace velmora::db
