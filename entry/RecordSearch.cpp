#include "entry/RecordSearch.h"

#include "db/CheckRecord.h"

namespace velmora::entry {

namespace f = db::field;

std::span<const SearchEntry> searchEntries() {
    // clang-format off
    static constexpr SearchEntry kEntries[] = {
        {"AllInAccount", "View &All Checks in Database (default)", nullptr, nullptr},
        {"ViewByName", "By &Business Name", f::kBusinessName, "Enter any combination of characters here and choose OK to view ONLY checks that contain these characters in the Business Name field:"},
        {"LastName", "By &Last Name", f::kLastName, "Enter any combination of characters here and choose OK to view ONLY checks that contain these characters in the Last Name field:"},
        {"FirstName", "By First &Name", f::kFirstName, "Enter any combination of characters here and choose OK to view ONLY checks that contain these characters in the First Name field:"},
        {"CheckNum", "By &Check Number", f::kCheck, "Enter any combination of numbers here and choose OK to view ONLY checks that contain these numbers in the CHECK field:"},
        {"AccountNumber", "By A&ccount Number", f::kAccount, "Enter any combination of numbers here and choose OK to view ONLY checks that contain these numbers in the Charge to ACCOUNT NUMBER field:"},
        {"ByMemoField", "By Memo Field", f::kFor, "Enter any combination of characters here and choose OK to view ONLY checks that contain these characters in the For field:"},
        {"ByComments", "By Comments", f::kComments, "Enter any combination of characters here and choose OK to view ONLY checks that contain these characters in the Comments:"},
    };
    // clang-format on
    return kEntries;
}

std::string searchedName(const SearchEntry& entry) {
    std::string name = entry.caption;
    if (name.starts_with("By "))
        name.erase(0, 3);
    std::erase(name, '&');
    return name;
}

} // namespace velmora::entry
