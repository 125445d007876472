#include "print/TestPage.h"

#include "base/Product.h"
#include "print/CheckLayout.h"
#include "print/CheckPlacement.h"
#include "print/FontMetrics.h"

#include <algorithm>
#include <cmath>

namespace velmora::print {

namespace {

constexpr double kInch = 1440;
// The bottom of the E-13B characters stands 3/16 inch above the check's bottom edge.
constexpr double kBaselineAboveBottom = kInch * 3 / 16;
// Nothing but the MICR line may print in the bottom 5/8 inch of a check.
constexpr double kClearBand = kInch * 5 / 8;
// Position 1 of the MICR line begins 5/16 inch from the check's right edge; each takes 1/8 inch.
constexpr double kFirstPosition = kInch * 5 / 16;
constexpr double kPitch = kInch / 8;
constexpr int kPositions = 65;
constexpr int kTransitFirst = 33;
constexpr int kTransitLast = 43;
// The check lengths of the two stocks.
constexpr double k88mm = 88 / 25.4 * kInch;
constexpr double k92mm = 92 / 25.4 * kInch;
// The routing number's transit symbol is placed this far right of the horizontal start, at
// position 43; so the check's right edge lies this far right of the horizontal start.
constexpr double kRoutingX = 3330;
constexpr double kRightEdgeFromStart = kRoutingX + kTransitLast * kPitch + kFirstPosition;
// The printable area of a letter page on a typical printer: 8 by 10.5 inches.
constexpr double kPageBottom = kInch * 10.5;

// clang-format off
const char* const kTitle = "Printer alignment test page";
const char* const kHowTo[] = {
    "Hold this page against a sheet of check stock. The sample MICR line must sit on the baseline mark,",
    "3/16 inch above the bottom of each check, and the routing number inside the transit field.",
    "Change the starting positions on the Printer Alignment Options screen until it does.",
};
// clang-format on

void line(PrintSurface& surface, int width, double x1, double y1, double x2, double y2) {
    skipFailure(surface.SetLineWidth(width));
    skipFailure(surface.DrawLine(x1, y1, x2, y2));
}

void text(PrintSurface& surface, double x, double y, const std::string& what) {
    skipFailure(surface.SetX(x));
    skipFailure(surface.SetY(y));
    skipFailure(surface.PrintItems({what}, LineEnding::Stay));
}

void font(PrintSurface& surface, const std::string& face, double points, bool bold = false) {
    skipFailure(surface.SetFontName(face));
    skipFailure(surface.SetFontSize(points));
    skipFailure(surface.SetBold(bold));
    skipFailure(surface.SetItalic(false));
}

// Ticks every tenth of an inch along the top and left edges, longer every half inch, numbered in
// twips every inch.
void rulers(PrintSurface& surface, const std::string& textFont) {
    font(surface, textFont, 6);
    for (int tenth = 0; tenth * kInch / 10 <= kPageRightEdge; ++tenth) {
        const double x = tenth * kInch / 10;
        line(surface, 1, x, 0, x, tenth % 5 == 0 ? 120 : 60);
        if (tenth % 10 == 0 && tenth > 0)
            text(surface, x + 20, 120, std::to_string(static_cast<int>(x)));
    }
    for (int tenth = 0; tenth * kInch / 10 <= kPageBottom; ++tenth) {
        const double y = tenth * kInch / 10;
        line(surface, 1, 0, y, tenth % 5 == 0 ? 120 : 60, y);
        if (tenth % 10 == 0 && tenth > 0)
            text(surface, 140, y - 60, std::to_string(static_cast<int>(y)));
    }
}

// The frame of one check, its clear band hatched, and its baseline marked.
void checkFrame(PrintSurface& surface, const CheckOutline& check, const std::string& textFont) {
    const double right = std::min(check.right, kPageRightEdge);
    line(surface, 1, 0, check.top, right, check.top);
    line(surface, 1, 0, check.bottom, right, check.bottom);
    line(surface, 1, 0, check.top, 0, check.bottom);
    if (check.right <= kPageRightEdge)
        line(surface, 1, right, check.top, right, check.bottom);
    // Hatching at 45 degrees across the band, clipped to it.
    const double bandTop = check.bottom - kClearBand;
    for (double start = -kClearBand; start < right; start += 90) {
        const double x1 = std::max(start, 0.0);
        const double x2 = std::min(start + kClearBand, right);
        if (x2 > x1)
            line(surface, 1, x1, bandTop + (x1 - start), x2, bandTop + (x2 - start));
    }
    line(surface, 3, 0, check.baseline, right, check.baseline);
    font(surface, textFont, 7);
    text(surface, 200, check.baseline + 20, "E-13B baseline, 3/16 inch above the check's bottom edge");
    text(surface, 200, bandTop - 160, "MICR clear band: the bottom 5/8 inch of the check");
}

// The character positions from the check's right edge, above the first check's MICR line.
void positions(PrintSurface& surface, const CheckOutline& check, double micrTop,
               const std::string& textFont) {
    font(surface, textFont, 6);
    const double tickBottom = micrTop - 40;
    for (int n = 0; n <= kPositions; ++n) {
        const double x = check.right - kFirstPosition - n * kPitch;
        if (x < 0 || x > kPageRightEdge)
            continue;
        line(surface, 1, x, tickBottom - (n % 5 == 0 ? 120 : 60), x, tickBottom);
        // Each position is numbered between its ticks, every fifth one and the first.
        const int position = n + 1;
        const double middle = x - kPitch / 2;
        if (n < kPositions && (position == 1 || position % 5 == 0) && middle > 0)
            text(surface, middle - surface.measure(std::to_string(position)) / 2, tickBottom - 300,
                 std::to_string(position));
    }
    const double from = check.right - kFirstPosition - kTransitLast * kPitch;
    const double to = check.right - kFirstPosition - (kTransitFirst - 1) * kPitch;
    if (from >= 0 && to <= kPageRightEdge) {
        line(surface, 2, from, tickBottom - 420, to, tickBottom - 420);
        const std::string label =
            "transit field, positions " + std::to_string(kTransitFirst) + "-" + std::to_string(kTransitLast);
        text(surface, (from + to - surface.measure(label)) / 2, tickBottom - 580, label);
    }
}

} // namespace

CheckOutline checkOutline(const CheckPageSetup& setup, double slotTop, double micrAscent) {
    const StockDistances stock = stockDistances(setup.stock88mm);
    CheckOutline check;
    check.baseline = slotTop + stock.micrOffset + micrAscent;
    check.bottom = check.baseline + kBaselineAboveBottom;
    check.top = check.bottom - (setup.stock88mm ? k88mm : k92mm);
    check.right = setup.horizontalStart + kRightEdgeFromStart;
    return check;
}

Status printTestPage(PrintSurface& surface, const CheckPageSetup& setup) {
    const std::string textFont = chooseTextFont(surface);
    const FontMetrics metrics;
    const double ascent = metrics.ascent({product::kMicrFontName, 12, false, false});

    CheckPlacement placement(setup);
    const int slots = placement.slotsPerPage();
    for (int slot = 0; slot < slots; ++slot) {
        const double top = placement.slotTop();
        const CheckOutline check = checkOutline(setup, top, ascent);
        checkFrame(surface, check, textFont);
        if (slot == 0)
            positions(surface, check, top + placement.stock().micrOffset, textFont);
        // The sample MICR line: number, routing and account where the check layouts put them.
        font(surface, product::kMicrFontName, 12);
        const double micrTop = top + placement.stock().micrOffset;
        text(surface, setup.horizontalStart + 1535, micrTop, "C1001C");
        text(surface, setup.horizontalStart + kRoutingX, micrTop, "A123456780A");
        text(surface, setup.horizontalStart + 5655, micrTop, "0123456789C");
        // Where the amount in words prints, with a sample amount.
        if (setup.amountInWords)
            CheckLayout::drawAmountInWords(surface, {textFont, product::kMicrFontName},
                                           {setup.horizontalStart, top}, db::Money::fromCents(123456),
                                           metrics);
        if (slot + 1 < slots)
            placement.advance(surface); // the last slot's advance would end the page
    }

    font(surface, textFont, 12, true);
    text(surface, 1500, 300, kTitle);
    font(surface, textFont, 8);
    text(surface, 1500, 600,
         "Vertical starting position " + std::to_string(std::lround(setup.verticalStart)) +
             ", horizontal starting position " + std::to_string(std::lround(setup.horizontalStart)) + ", " +
             (setup.stock88mm ? "88mm" : "92mm") + " check stock" +
             (setup.plainPaper ? ", plain paper" : "") + ".");
    double y = 800;
    for (const char* sentence : kHowTo) {
        text(surface, 1500, y, sentence);
        y += 200;
    }
    rulers(surface, textFont);
    return surface.EndDocument();
}

} // namespace velmora::print
