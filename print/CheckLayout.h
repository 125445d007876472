#pragma once

#include "db/CheckRecord.h"
#include "db/DatabaseProperties.h"
#include "print/CheckPlacement.h"
#include "print/LayoutRows.h"

namespace velmora::print {

// One entered check or draft in its slot: the account holder, payee, amount, bank, memo, the draft
// texts or the signature line, the MICR line, the number and date, and on plain paper the cut marks.
// A Null field skips its line (the lines below move up); an empty text still takes its line.
class CheckLayout {
public:
    CheckLayout(db::DatabaseType type, LayoutFonts fonts);

    // Lays `record` out in the placement's current slot. The record's date is printed as it stands:
    // the run puts today's date into a recurring check before it comes here.
    void draw(PrintSurface& surface, const db::CheckRecord& record, const CheckPlacement& placement) const;

    const LayoutFonts& fonts() const { return fonts_; }

private:
    db::DatabaseType type_;
    LayoutFonts fonts_;
};

} // namespace velmora::print
