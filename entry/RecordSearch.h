#pragma once

#include <span>
#include <string>

namespace velmora::entry {

// One entry of the data entry screen's Search menu: its control, its caption, the field of the check
// record it searches and what it asks. The entry that shows all checks searches no field (null).
struct SearchEntry {
    const char* control;
    const char* caption;
    const char* field;
    const char* prompt;
};

// The Search menu, in menu order; the first entry shows all checks.
std::span<const SearchEntry> searchEntries();

// What a search entry searches, as a sentence names it: "By &Business Name" searches the
// "Business Name".
std::string searchedName(const SearchEntry& entry);

// clang-format off
inline constexpr const char* kNoMatches = "There were no matches - please try again";
// clang-format on

} // namespace velmora::entry
