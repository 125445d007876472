#pragma once

#include "db/Money.h"

#include <optional>
#include <string>

namespace velmora::db {

// The amount of a check written out as on its legal line, in American usage: the dollars in words
// with a capital first letter, hyphens from twenty-one to ninety-nine and no "and" among them, then
// the cents as a fraction: "One thousand two hundred thirty-four and 56/100", "Seven and 00/100".
// Worked out from the whole cents alone. std::nullopt for an amount no check is written for: zero,
// negative, or above the largest amount a check carries (kMaxAmountCents).
std::optional<std::string> amountInWords(Money amount);

} // namespace velmora::db
