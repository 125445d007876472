#pragma once

#include <string_view>

namespace velmora {

// The characters the MICR65 font draws: the blank, the digits 0 to 9, and the symbols it puts on
// letters: "A" transit, "B" amount, "C" on-us, and "D" or "d" the dash. Anything else prints as an
// empty box on the MICR line. The font generator refuses to build a font whose character map differs.
inline constexpr std::u32string_view kMicrCharacters = U" 0123456789ABCDd";

// Whether the MICR font prints a symbol for `c`.
constexpr bool micrHasSymbol(char32_t c) {
    return kMicrCharacters.find(c) != std::u32string_view::npos;
}

} // namespace velmora
