// Arbitrary text typed into a search, against arbitrary field values. The input is the typed text, a
// NUL byte, then the field's text. The search never fails; a text made literal by enclosing each of
// its pattern characters in brackets finds itself; and the statement the search runs is the same
// whatever is typed, the text travelling only as a bound parameter.
#include "FuzzSupport.h"
#include "db/CheckQueries.h"
#include "db/LikePattern.h"

#include <algorithm>
#include <cstdint>
#include <string>

using namespace velmora;

namespace {

std::string literally(std::string_view text) {
    std::string pattern;
    for (char c : text) {
        if (c == '*' || c == '?' || c == '#' || c == '[')
            pattern += std::string("[") + c + "]";
        else
            pattern += c;
    }
    return pattern;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::string_view typed = input.substr(0, split);
    const std::string_view field = split == std::string_view::npos ? typed : input.substr(split + 1);

    const db::Filter filter = db::fieldContains(db::Dialect::Sqlite, db::field::kLastName, typed);
    fuzz::require(filter.where == db::fieldContains(db::Dialect::Sqlite, db::field::kLastName, "").where,
                  "the typed text changed the statement");
    fuzz::require(filter.parameters.size() == 1, "the typed text is not one parameter");

    const std::string pattern = *filter.parameters.front().text();
    const bool found = db::likeMatches(field, pattern);
    fuzz::require(found == db::LikePattern(pattern).matches(field),
                  "the same pattern answers twice differently");
    fuzz::require(db::likeMatches(typed, "*" + literally(typed) + "*"),
                  "a literal text does not find itself");
    // An ASCII byte is always a character of its own, whatever surrounds it; other bytes may be part
    // of a character, which a search finds whole or not at all.
    const bool ascii =
        std::all_of(typed.begin(), typed.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii && typed.find_first_of("*?#[") == std::string_view::npos &&
        field.find(typed) != std::string_view::npos)
        fuzz::require(found, "a text without pattern characters misses a field that holds it");
    return 0;
}
