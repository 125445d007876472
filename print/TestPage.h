#pragma once

#include "base/Result.h"
#include "print/PageSetup.h"
#include "print/PrintSurface.h"

namespace velmora::print {

// The alignment test page: one letter page on the stock and starting positions set up, to be held
// against check stock. It frames each check slot where the positions put the check, shades the MICR
// clear band (the bottom 5/8 inch of a check), marks the E-13B baseline 3/16 inch above each check's
// bottom edge, counts the E-13B character positions from the check's right edge along the first
// MICR line (the transit field labelled), rules the top and left edges in twips, and prints a sample
// MICR line where a check's would be. The page is one job of its own; it changes no record.
Status printTestPage(PrintSurface& surface, const CheckPageSetup& setup);

// Where the test page puts a check of the placement's slot whose top is `slotTop`, in twips on the
// page: the E-13B baseline and the check's edges.
struct CheckOutline {
    double baseline = 0;
    double bottom = 0;
    double top = 0;
    double right = 0;
};
CheckOutline checkOutline(const CheckPageSetup& setup, double slotTop, double micrAscent);

} // namespace velmora::print
