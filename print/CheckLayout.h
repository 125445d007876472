#pragma once

#include "db/CheckRecord.h"
#include "db/DatabaseProperties.h"
#include "print/CheckPlacement.h"
#include "print/LayoutRows.h"

namespace velmora::print {

class FontMetrics;

// One entered check or draft in its slot: the account holder, payee, amount, bank, memo, the draft
// texts or the signature line, the MICR line, the number and date, and on plain paper the cut marks.
// A Null field skips its line (the lines below move up); an empty text still takes its line.
class CheckLayout {
public:
    CheckLayout(db::DatabaseType type, LayoutFonts fonts);

    // Lays `record` out in the placement's current slot. The record's date is printed as it stands:
    // the run puts today's date into a recurring check before it comes here.
    // The placement's setup says how the amount prints: in figures as a number item, or with cents
    // and thousands separators; and whether the amount in words follows on a line of its own.
    void draw(PrintSurface& surface, const db::CheckRecord& record, const CheckPlacement& placement) const;

    // The line of the amount in words alone, where a check in the slot at `slot` prints it: the
    // alignment test page shows with it where the line falls. `metrics` gives the height of the
    // amount's line, which the words follow.
    static void drawAmountInWords(PrintSurface& surface, const LayoutFonts& fonts, const LayoutOrigin& slot,
                                  db::Money amount, const FontMetrics& metrics);

    const LayoutFonts& fonts() const { return fonts_; }

private:
    db::DatabaseType type_;
    LayoutFonts fonts_;
};

} // namespace velmora::print
