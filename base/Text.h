#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

// Small text helpers shared by every box.

// `text` with each byte lowered by std::tolower (in a UTF-8 locale the letters A to Z, every other
// byte kept): how file names and extensions are compared.
std::string lowerCaseBytes(std::string text);

// `text` without the blanks (as std::isspace tells them) at either end.
std::string_view trimBlanks(std::string_view text);
// `text` without any of `characters` at either end.
std::string_view trimCharacters(std::string_view text, std::string_view characters);

// Appends the code point `c` to `out` in UTF-8 (one to four bytes).
void appendUtf8(std::string& out, char32_t c);

// A size in megabytes (of 1,048,576 bytes) with one decimal: "381.5 MB".
std::string megabytesText(std::size_t bytes);

} // namespace velmora
