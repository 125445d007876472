#pragma once

#include "base/Result.h"
#include "db/CheckRecord.h"
#include "db/Money.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace velmora::entry {

// The largest number the `Check` field holds (a long integer).
inline constexpr std::int64_t kMaxStoredCheckNumber = db::kMaxCheckNumber;

// What the user types into the amount and check number boxes. A blank box clears the field
// (std::nullopt); anything that the field cannot hold exactly fails with a message for the user,
// and the screen then keeps the typed text for correcting.

// An amount: an optional sign, digits and at most two decimals, blanks around it allowed, at most
// 999,999,999.99 either way.
Result<std::optional<db::Money>> parseAmountText(std::string_view text);

// A check number: a whole number from 0 to 2,147,483,647, blanks around it allowed.
Result<std::optional<std::int64_t>> parseCheckNumberText(std::string_view text);

} // namespace velmora::entry
