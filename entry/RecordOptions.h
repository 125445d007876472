#pragma once

#include "db/Value.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::db {
class RecordSet;
}

namespace velmora::entry {

// The print option list shows the stored `Print` values under other names, in this order.
inline constexpr std::array<const char*, 3> kPrintOptionEntries = {"One Time", "Multiple Times",
                                                                   "Don't Print"};

// "Once" -> "One Time", "Monthly" -> "Multiple Times", "Never" -> "Don't Print"; anything else,
// Null and empty text included, is shown blank ("").
std::string printOptionShownText(const db::Value& stored);
// The value stored for an entry of the list; std::nullopt for text that matches no entry exactly.
std::optional<std::string> printOptionStoredValue(std::string_view shown);

// How the label check box shows the current record.
enum class LabelBox { Unchecked, Checked, Greyed };

// What the screen shows for the current record besides its bound text boxes.
struct RecordOptions {
    std::string printOption; // shown text of the print option list, "" for blank
    std::string productType; // text of the product type list, "" for blank
    LabelBox label = LabelBox::Unchecked;
};

// Computes the print option, product type and label box of the current record of a set over
// `Account` (all blank without a current record). `labelGreyed` is the template values' state: in a
// check database the template, whose flag is no, shows a greyed box.
RecordOptions ShowRecordOptions(db::RecordSet& account, bool labelGreyed);

} // namespace velmora::entry
