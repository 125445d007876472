#pragma once

#include <memory>
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

} // namespace velmora::db
