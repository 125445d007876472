#pragma once

namespace velmora::product {

// Program-wide display strings.
inline constexpr const char* kName = "Velmora";
inline constexpr const char* kVersion = VELMORA_VERSION_TEXT;
inline constexpr const char* kCopyright = "Copyright (c) 2026 Velmora. All rights reserved.";
inline constexpr const char* kMicrFontName = "MICR65";

} // namespace velmora::product
