#pragma once

#include "base/Dialogs.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::entry {

// The messages of a verification of the routing and account numbers against the MICR line read off
// a customer's check (the "bottom check row"; std::nullopt when the order form has none). Each
// number counts as found when it occurs anywhere in the row, an empty one always.
std::vector<std::string> micrRowMessages(const std::optional<std::string>& bottomRow,
                                         std::string_view routing, std::string_view account);

// Shows those messages, one OK box each, in order. Changes no data.
void VerifyMicrRow(Dialogs& dialogs, const std::optional<std::string>& bottomRow, std::string_view routing,
                   std::string_view account);

// Whether nine digits pass the routing number check digit: weights 3, 7, 1 repeating, the sum a
// multiple of 10.
bool routingCheckDigitValid(std::string_view routing);

// A quiet warning naming the characters of a MICR number (routing or account) that the font cannot
// draw (base/MicrCharacters.h), "" when it can draw them all.
std::string micrCharactersWarning(std::string_view text);

// A quiet warning for a routing number as typed, "" when there is nothing to say: characters the MICR
// font cannot draw, then the length and the check digit. Canadian transit numbers (with a D for the
// dash) are not length- or digit-tested.
std::string routingNumberWarning(std::string_view routing);

} // namespace velmora::entry
