#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::db {

// The Like pattern language of the check databases' searches, case-insensitive, matched against the
// whole text: `*` any run of characters, `?` one character, `#` one digit, `[abc]` / `[a-z]` one
// character of a list, `[!abc]` one character not in it; `[*]`, `[?]`, `[#]`, `[[]` match the
// character itself. An unclosed `[` is an ordinary character.
class LikePattern {
public:
    explicit LikePattern(std::string_view pattern);
    ~LikePattern();
    LikePattern(const LikePattern&) = delete;
    LikePattern& operator=(const LikePattern&) = delete;

    bool matches(std::string_view text) const;

private:
    struct Compiled;
    std::unique_ptr<Compiled> compiled_;
};

bool likeMatches(std::string_view text, std::string_view pattern);

// The same pattern as a regular expression of PostgreSQL (its advanced form), for the server to
// match ignoring letter case (the ~* operator) against the whole text: it matches the texts the
// pattern matches, as far as the server's letter case agrees with Unicode's simple case folding.
// std::nullopt for a pattern that matches no text the server can hold (one that asks for a byte that
// is not UTF-8, or a character out of an empty list).
std::optional<std::string> likeRegex(std::string_view pattern);

} // namespace velmora::db
