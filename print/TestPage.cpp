#include "print/TestPage.h"

#include "base/Product.h"
#include "print/CheckLayout.h"
#include "print/CheckPlacement.h"
#include "print/FontMetrics.h"
#include "print/PdfSurface.h"

#include <algorithm>
#include <cmath>

namespace velmora::print {

namespace {

constexpr double kInch = 1440;
constexpr double kSheetWidth = 8.5 * kInch;
constexpr int kChecksOnSheet = 3;
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
// The position ticks stand this far above the baseline, clear of the E-13B characters (0.117 inch).
constexpr double kTicksAboveBaseline = 300;
// The check lengths of the two stocks.
constexpr double k88mm = 88 / 25.4 * kInch;
constexpr double k92mm = 92 / 25.4 * kInch;
// Where the check layouts put the parts of the MICR line, right of the horizontal start.
constexpr double kNumberX = 1535;
constexpr double kRoutingX = 3330;
constexpr double kAccountX = 5655;

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

void text(PrintSurface& surface, double x, double y, const std::vector<PrintItem>& items) {
    skipFailure(surface.SetX(x));
    skipFailure(surface.SetY(y));
    skipFailure(surface.PrintItems(items, LineEnding::Stay));
}

void text(PrintSurface& surface, double x, double y, const std::string& what) {
    text(surface, x, y, std::vector<PrintItem>{what});
}

void font(PrintSurface& surface, const std::string& face, double points, bool bold = false) {
    skipFailure(surface.SetFontName(face));
    skipFailure(surface.SetFontSize(points));
    skipFailure(surface.SetBold(bold));
    skipFailure(surface.SetItalic(false));
}

// Ticks every tenth of an inch along the top and left edges, longer every half inch, numbered in
// twips every inch.
void rulers(PrintSurface& surface, const PrintableArea& paper, const std::string& textFont) {
    font(surface, textFont, 6);
    for (int tenth = 0; tenth * kInch / 10 <= paper.width; ++tenth) {
        const double x = tenth * kInch / 10;
        line(surface, 1, x, 0, x, tenth % 5 == 0 ? 120 : 60);
        if (tenth % 10 == 0 && tenth > 0)
            text(surface, x + 20, 120, std::to_string(static_cast<int>(x)));
    }
    for (int tenth = 0; tenth * kInch / 10 <= paper.height; ++tenth) {
        const double y = tenth * kInch / 10;
        line(surface, 1, 0, y, tenth % 5 == 0 ? 120 : 60, y);
        if (tenth % 10 == 0 && tenth > 0)
            text(surface, 140, y - 60, std::to_string(static_cast<int>(y)));
    }
}

// The edges of one check of the sheet as far as the printer reaches, its clear band hatched and its
// baseline marked. Its left and right edges are the sheet's, where no printer prints.
void checkFrame(PrintSurface& surface, const SheetCheck& check, const PrintableArea& paper,
                const std::string& textFont) {
    const double right = std::min(check.right, paper.width);
    for (const double edge : {check.top, check.bottom}) {
        if (edge >= 0 && edge <= paper.height)
            line(surface, 1, 0, edge, right, edge);
    }
    // Hatching at 45 degrees across the band, clipped to it.
    const double bandTop = check.bottom - kClearBand;
    for (double start = -kClearBand; start < right; start += 90) {
        const double x1 = std::max(start, 0.0);
        const double x2 = std::min(start + kClearBand, right);
        const double y1 = bandTop + (x1 - start);
        const double y2 = bandTop + (x2 - start);
        if (x2 > x1 && y1 >= 0 && y2 <= paper.height)
            line(surface, 1, x1, y1, x2, y2);
    }
    if (check.baseline > paper.height)
        return;
    line(surface, 3, 0, check.baseline, right, check.baseline);
    font(surface, textFont, 7);
    // Under the amount field at the right, which the sample line leaves empty.
    const std::string baselineLabel = "E-13B baseline, 3/16 inch above the check's bottom edge";
    text(surface, std::min(micrPositionRight(check, 1), right) - surface.measure(baselineLabel),
         check.baseline + 20, baselineLabel);
    text(surface, 200, bandTop - 160, "MICR clear band: the bottom 5/8 inch of the check");
}

// The character positions from the check's right edge, above its baseline, with the transit field.
void positions(PrintSurface& surface, const SheetCheck& check, const PrintableArea& paper,
               const std::string& textFont) {
    font(surface, textFont, 6);
    const double tickBottom = check.baseline - kTicksAboveBaseline;
    for (int n = 0; n <= kPositions; ++n) {
        const double x = check.right - kFirstPosition - n * kPitch;
        if (x < 0 || x > paper.width)
            continue;
        line(surface, 1, x, tickBottom - (n % 5 == 0 ? 120 : 60), x, tickBottom);
        // Each position is numbered between its ticks, every fifth one and the first.
        const int position = n + 1;
        const double middle = x - kPitch / 2;
        if (n < kPositions && (position == 1 || position % 5 == 0) && middle > 0)
            text(surface, middle - surface.measure(std::to_string(position)) / 2, tickBottom - 300,
                 std::to_string(position));
    }
    const double from = micrPositionRight(check, kTransitLast) - kPitch;
    const double to = micrPositionRight(check, kTransitFirst);
    if (from >= 0 && to <= paper.width) {
        line(surface, 2, from, tickBottom - 420, to, tickBottom - 420);
        const std::string label =
            "transit field, positions " + std::to_string(kTransitFirst) + "-" + std::to_string(kTransitLast);
        text(surface, (from + to - surface.measure(label)) / 2, tickBottom - 580, label);
    }
}

} // namespace

SheetCheck sheetCheck(bool stock88mm, int index, const PrintableArea& paper) {
    SheetCheck check;
    check.top = index * stockDistances(stock88mm).pitch - paper.top;
    check.bottom = check.top + (stock88mm ? k88mm : k92mm);
    check.baseline = check.bottom - kBaselineAboveBottom;
    check.right = kSheetWidth - paper.left;
    return check;
}

double micrPositionRight(const SheetCheck& check, int position) {
    return check.right - kFirstPosition - (position - 1) * kPitch;
}

TestPage::TestPage(const CheckPageSetup& setup, const std::optional<PrintableArea>& paper,
                   std::string textFont)
    : setup_(setup)
    , paper_(paper.value_or(PdfSurface::paperArea()))
    , textFont_(std::move(textFont)) {}

std::string TestPage::ownerAt(std::int64_t, double, double) {
    return "the test page";
}

Status TestPage::drawPage(std::int64_t, PrintSurface& surface) {
    for (int index = 0; index < kChecksOnSheet; ++index) {
        const SheetCheck check = sheetCheck(setup_.stock88mm, index, paper_);
        checkFrame(surface, check, paper_, textFont_);
        if (index == 0)
            positions(surface, check, paper_, textFont_);
    }
    // The sample MICR line of every slot the layouts fill, where they put it: number, routing and
    // account, the number between on-us symbols with a blank on each side as on an entered check.
    CheckPlacement placement(setup_);
    const int slots = placement.slotsPerPage();
    const FontMetrics metrics;
    for (int slot = 0; slot < slots; ++slot) {
        const double top = placement.slotTop();
        const double micrTop = top + placement.stock().micrOffset;
        font(surface, product::kMicrFontName, 12);
        text(surface, setup_.horizontalStart + kNumberX, micrTop,
             {std::string("C"), std::int64_t{1001}, std::string("C")});
        text(surface, setup_.horizontalStart + kRoutingX, micrTop, "A123456780A");
        text(surface, setup_.horizontalStart + kAccountX, micrTop, "0123456789C");
        // Where the amount in words prints, with a sample amount.
        if (setup_.amountInWords)
            CheckLayout::drawAmountInWords(surface, {textFont_, product::kMicrFontName},
                                           {setup_.horizontalStart, top}, db::Money::fromCents(123456),
                                           metrics);
        if (slot + 1 < slots)
            placement.advance(surface); // the last slot's advance would end the page
    }

    font(surface, textFont_, 12, true);
    text(surface, 1500, 300, kTitle);
    font(surface, textFont_, 8);
    text(surface, 1500, 600,
         "Vertical starting position " + std::to_string(std::lround(setup_.verticalStart)) +
             ", horizontal starting position " + std::to_string(std::lround(setup_.horizontalStart)) + ", " +
             (setup_.stock88mm ? "88mm" : "92mm") + " check stock" +
             (setup_.plainPaper ? ", plain paper" : "") + ".");
    double y = 800;
    for (const char* sentence : kHowTo) {
        text(surface, 1500, y, sentence);
        y += 200;
    }
    rulers(surface, paper_, textFont_);
    return {};
}

Status printTestPage(PrintSurface& surface, const CheckPageSetup& setup) {
    TestPage page(setup, surface.printableArea(), chooseTextFont(surface));
    skipFailure(page.drawPage(0, surface));
    return surface.EndDocument();
}

} // namespace velmora::print
