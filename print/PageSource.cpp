#include "print/PageSource.h"

#include "base/Product.h"
#include "print/FontMetrics.h"

#include <cmath>
#include <cstdio>

namespace velmora::print {

namespace {

// clang-format off
const char* const kLeftOut = ", where the printer leaves it out or puts it on the next page. To print it in full, go to Align Printer and ";
const char* const kFixedPlace = ", where the printer leaves it out or puts it on the next page. It stands at a fixed place on the page that the starting positions do not move.";
// clang-format on

// A surface that prints nothing and keeps, of the items drawn since the last reset, the one that
// reaches furthest outside the printable area, measured with the metrics every back end prints with.
class ExtentSurface : public PrintSurface {
public:
    explicit ExtentSurface(const PrintableArea& area)
        : area_(area) {}

    struct Found {
        double x = 0;
        double y = 0;
        std::string text;
        bool micr = false;
        ItemOutside::Side side = ItemOutside::Side::Bottom;
        double twips = 0;
    };
    const std::optional<Found>& found() const { return found_; }
    void reset() { found_.reset(); }

protected:
    Status beginDocument() override { return {}; }
    Status beginPage() override { return {}; }
    Status finishDocument() override { return {}; }
    Status drawText(double x, double y, const std::string& text, const FontState& font) override {
        if (text.find_first_not_of(' ') == std::string::npos)
            return {}; // a blank prints no ink, wherever it stands
        const double right = x + metrics_.textWidth(text, font);
        const double bottom = y + metrics_.cellHeight(font);
        consider(x, y, text, font.face == product::kMicrFontName, x, y, right, bottom);
        return {};
    }
    Status drawLine(double x1, double y1, double x2, double y2, int) override {
        consider(x1, y1, "", false, std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
        return {};
    }
    double textWidth(const std::string& text, const FontState& font) const override {
        return metrics_.textWidth(text, font);
    }
    double lineHeight(const FontState& font) const override { return metrics_.lineHeight(font); }
    // Only measures: the layouts are given their faces.
    const std::vector<std::string>& offeredFaces() const override {
        static const std::vector<std::string> none;
        return none;
    }

private:
    void consider(double x, double y, const std::string& text, bool micr, double left, double top,
                  double right, double bottom) {
        using Side = ItemOutside::Side;
        // Half a twip of rounding is not a fault of the layout.
        constexpr double tolerance = 0.5;
        const std::pair<Side, double> sides[] = {{Side::Bottom, bottom - area_.height},
                                                 {Side::Right, right - area_.width},
                                                 {Side::Top, -top},
                                                 {Side::Left, -left}};
        for (const auto& [side, outside] : sides) {
            if (outside > tolerance && (!found_ || outside > found_->twips))
                found_ = Found{x, y, text, micr, side, outside};
        }
    }

    PrintableArea area_;
    FontMetrics metrics_;
    std::optional<Found> found_;
};

} // namespace

Result<std::optional<ItemOutside>> findItemOutside(PageSource& pages, const PrintableArea& area) {
    ExtentSurface surface(area);
    const std::int64_t count = pages.pageCount();
    for (std::int64_t page = 0; page < count; ++page) {
        surface.reset();
        if (Status drawn = pages.drawPage(page, surface); !drawn)
            return drawn;
        if (const auto& found = surface.found()) {
            return std::optional<ItemOutside>(ItemOutside{page, pages.ownerAt(page, found->x, found->y),
                                                          found->text, found->micr, found->side,
                                                          found->twips});
        }
    }
    return std::optional<ItemOutside>();
}

std::string describeItemOutside(const ItemOutside& item, const std::string& where) {
    using Side = ItemOutside::Side;
    // Whole twips, the unit of the starting positions, rounded up: moving by that much is enough.
    const auto twips = static_cast<long long>(std::ceil(item.twips));
    char inches[32];
    std::snprintf(inches, sizeof inches, "%.2f", item.twips / 1440.0);
    const bool vertical = item.side == Side::Bottom || item.side == Side::Top;
    const bool decrease = item.side == Side::Bottom || item.side == Side::Right;
    const char* direction = item.side == Side::Bottom  ? " below "
                            : item.side == Side::Top   ? " above "
                            : item.side == Side::Right ? " to the right of "
                                                       : " to the left of ";
    const std::string what = item.micr ? "The MICR line of " : "The text \"" + item.text + "\" of ";
    const std::string outside = what + item.owner + " on page " + std::to_string(item.page + 1) +
                                " would print " + std::to_string(twips) + " twips (" + inches + " inch)" +
                                direction + where;
    if (!item.followsStart)
        return outside + kFixedPlace;
    return outside + kLeftOut + (decrease ? "decrease" : "increase") +
           (vertical ? " the Vertical" : " the Horizontal") + " Starting Position by at least " +
           std::to_string(twips) + ".";
}

} // namespace velmora::print
