#pragma once

#include "db/CheckRecord.h"
#include "print/LayoutRows.h"

namespace velmora::print {

// Mailing labels on sheets of 30 (three columns of ten, numbered down each column). No alignment
// offsets apply: the positions are from the printable area's corner.
class LabelLayout {
public:
    static constexpr int kLabelsPerSheet = 30;

    explicit LabelLayout(std::string textFont);

    // Top-left corner of label `number` (1 to 30).
    static LayoutOrigin position(int number);
    // The account holder's business name, name, address and city line; no phone number.
    void draw(PrintSurface& surface, const db::CheckRecord& record, int number) const;

private:
    LayoutFonts fonts_;
};

} // namespace velmora::print
