#pragma once

#include <span>

namespace velmora::print::micr65 {

// The bytes of the MICR65 TrueType font, built from the E-13B glyph table at build time. The
// characters it draws are those of base/MicrCharacters.h; the generator checks that they agree.
std::span<const unsigned char> micr65FontData();

} // namespace velmora::print::micr65
