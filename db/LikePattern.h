#pragma once

#include <string_view>

struct sqlite3;

namespace velmora::db {

// The Like pattern language of the check databases' searches, case-insensitive, matched against the
// whole text: `*` any run of characters, `?` one character, `#` one digit, `[abc]` / `[a-z]` one
// character of a list, `[!abc]` one character not in it; `[*]`, `[?]`, `[#]`, `[[]` match the
// character itself. An unclosed `[` is an ordinary character.
bool likeMatches(std::string_view text, std::string_view pattern);

// Registers on a connection:
//   jet_like(value, pattern)  the Like above; numbers are matched as their plain decimal text and a
//                             Null value matches nothing;
//   money_text(cents)         a stored amount as the plain decimal text of its dollars ("12.5").
void registerLikeFunctions(sqlite3* db);

} // namespace velmora::db
