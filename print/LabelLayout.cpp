#include "print/LabelLayout.h"

#include "print/RecordRows.h"

namespace velmora::print {

namespace {

using db::CheckRecord;
using Row = LayoutRow<CheckRecord>;

// The first name is followed by a blank; a label with neither name has no name line at all.
bool nameLine(const CheckRecord& r, Items& items) {
    if (r.firstName) {
        items.emplace_back(rows::printable(*r.firstName));
        items.emplace_back(std::string(" "));
    }
    if (r.lastName)
        items.emplace_back(rows::printable(*r.lastName));
    return r.firstName || r.lastName;
}

constexpr RowStyle kName{Face::Text, 10, true, true};
constexpr RowStyle kAddress{Face::Text, 10, false, false};
// A label is 2 5/8 inches wide; its text stops short of that, never reaching the next column.
constexpr RowX kLabelEdge{3600};

const Row kLabel[] = {
    {kName, {0}, 0, rows::fieldText<&CheckRecord::businessName>, kLabelEdge},
    {kName, {0}, kNextLine, nameLine, kLabelEdge},
    {kAddress, {0}, kNextLine, rows::fieldText<&CheckRecord::address>, kLabelEdge},
    {kAddress, {0}, kNextLine, rows::cityLine, kLabelEdge},
};

} // namespace

LabelLayout::LabelLayout(std::string textFont)
    : fonts_{std::move(textFont), {}} {}

LayoutOrigin LabelLayout::position(int number) {
    const int column = (number - 1) / 10;
    const int row = number - column * 10;
    return {200.0 + 4000.0 * column, 700.0 + 1443.0 * (row - 1)};
}

void LabelLayout::draw(PrintSurface& surface, const CheckRecord& record, int number) const {
    drawRows<CheckRecord>(surface, kLabel, record, position(number), fonts_);
}

} // namespace velmora::print
