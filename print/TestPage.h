#pragma once

#include "base/Result.h"
#include "print/PageSetup.h"
#include "print/PageSource.h"
#include "print/PrintSurface.h"

#include <optional>
#include <string>

namespace velmora::print {

// Where a check of the stock lies on the sheet, in twips from the printable origin: the sheet holds
// three checks of the stock's length stacked from its top edge at the stock's pitch, each as wide as
// the sheet, so a check's right edge is the sheet's right edge (8.5 inches from its left).
struct SheetCheck {
    double top = 0;
    double bottom = 0;
    double baseline = 0; // of the E-13B characters, 3/16 inch above the bottom edge
    double right = 0;
};
// Check `index` (from 0) of the sheet, for a printer whose printable origin lies where `paper` says.
SheetCheck sheetCheck(bool stock88mm, int index, const PrintableArea& paper);
// The right edge of E-13B character position `position` (position 1 is the rightmost, each 1/8 inch).
double micrPositionRight(const SheetCheck& check, int position);

// The alignment test page: one letter page to hold against a sheet of check stock. What belongs to
// the sheet stands where the sheet puts it, whatever the starting positions: each check's top and
// bottom edge, its MICR clear band (the bottom 5/8 inch), the E-13B baseline 3/16 inch above its
// bottom edge, and over the first check the E-13B character positions counted from the check's right
// edge with the transit field (positions 33-43) bracketed. What the program prints moves with the
// starting positions: a sample MICR line in every slot the layouts use, laid out as entered checks
// lay theirs out. Rulers in twips run along the top and left edges of the printable area. The page
// changes no record.
class TestPage : public PageSource {
public:
    // `paper` is the printer's printable area and origin; std::nullopt takes the PDF output's.
    TestPage(const CheckPageSetup& setup, const std::optional<PrintableArea>& paper, std::string textFont);

    std::int64_t pageCount() override { return 1; }
    Status drawPage(std::int64_t page, PrintSurface& surface) override;
    std::string ownerAt(std::int64_t page, double x, double y) override;

private:
    CheckPageSetup setup_;
    PrintableArea paper_;
    std::string textFont_;
};

// The test page printed on `surface` as one job, laid out for that surface's printable area.
Status printTestPage(PrintSurface& surface, const CheckPageSetup& setup);

} // namespace velmora::print
