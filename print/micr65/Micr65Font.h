#pragma once

#include <span>

namespace velmora::print {

// The bytes of the MICR65 TrueType font, built from the E-13B glyph table at build time.
std::span<const unsigned char> micr65FontData();

} // namespace velmora::print
