#pragma once

#include <algorithm>
#include <span>
#include <string>
#include <string_view>

namespace velmora {

// Whether a list of font faces (as a printer offers them) holds one named exactly `face`, letter case
// included. The whole list is scanned, as the printer's list is read: no entry is skipped.
inline bool isFaceOffered(std::span<const std::string> faces, std::string_view face) {
    return std::count(faces.begin(), faces.end(), face) > 0;
}

} // namespace velmora
