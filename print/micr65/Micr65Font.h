#pragma once

#include <span>

namespace velmora::print {

// The bytes of the MICR65 TrueType font, built from the E-13B glyph table at build time.
std::span<const unsigned char> micr65FontData();

// True when MICR65 prints a symbol for `c`: the blank, the digits 0 to 9, "A" (transit), "B"
// (amount), "C" (on-us), and "D" or "d" (dash). Anything else prints an empty box. Generated from
// the font's own character map, so it can never disagree with the font.
bool micrHasSymbol(char32_t c);

} // namespace velmora::print
