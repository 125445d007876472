#include "entry/RecordOptions.h"

#include "db/CheckRecord.h"
#include "db/RecordSet.h"

namespace velmora::entry {

namespace {
constexpr std::array<const char*, 3> kPrintOptionStored = {
    db::print_option::kOnce, db::print_option::kMonthly, db::print_option::kNever};
} // namespace

std::string printOptionShownText(const db::Value& stored) {
    const auto text = stored.text();
    for (std::size_t i = 0; i < kPrintOptionStored.size(); ++i) {
        if (text == kPrintOptionStored[i])
            return kPrintOptionEntries[i];
    }
    return {};
}

std::optional<std::string> printOptionStoredValue(std::string_view shown) {
    for (std::size_t i = 0; i < kPrintOptionEntries.size(); ++i) {
        if (shown == kPrintOptionEntries[i])
            return kPrintOptionStored[i];
    }
    return std::nullopt;
}

RecordOptions ShowRecordOptions(db::RecordSet& account, bool labelGreyed) {
    RecordOptions options;
    if (!account.hasCurrent())
        return options;
    options.productType = account.field(db::field::kBusinessType).textOrEmpty();
    options.printOption = printOptionShownText(account.field(db::field::kPrint));
    if (account.field(db::field::kLabelPrint).yes())
        options.label = LabelBox::Checked;
    else if (labelGreyed && account.currentId() == 1)
        options.label = LabelBox::Greyed;
    return options;
}

} // namespace velmora::entry
