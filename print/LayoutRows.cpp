#include "print/LayoutRows.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace velmora::print {

namespace {

// The longest start of `text` (whole UTF-8 characters) that fits `width` with the elision mark after
// it; empty when not even the mark fits.
std::string elided(const PrintSurface& surface, const std::string& text, double width) {
    const std::string mark = kElision;
    if (surface.measure(mark) > width)
        return {};
    // Widths grow with the number of characters: search the largest count that still fits.
    std::size_t length = 0;
    for (const char c : text)
        length += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    std::size_t fits = 0;
    std::size_t most = std::min(length, kMaxItemCharacters);
    while (fits < most) {
        const std::size_t count = fits + (most - fits + 1) / 2;
        if (surface.measure(firstCharacters(text, count) + mark) <= width)
            fits = count;
        else
            most = count - 1;
    }
    std::string start = firstCharacters(text, fits);
    while (!start.empty() && start.back() == ' ')
        start.pop_back();
    return start + mark;
}

double widthOf(const PrintSurface& surface, const Items& items) {
    double width = 0;
    for (const PrintItem& item : items)
        width += surface.measure(printedText(item));
    return width;
}

} // namespace

bool fitsSixteenBits(double twips) {
    return twips >= std::numeric_limits<std::int16_t>::min() &&
           twips <= std::numeric_limits<std::int16_t>::max();
}

std::optional<std::string> fitItems(const PrintSurface& surface, Items& items, double width) {
    double used = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string text = printedText(items[i]);
        const double needed = surface.measure(text);
        if (used + needed <= width) {
            used += needed;
            continue;
        }
        std::optional<std::string> cut;
        if (std::holds_alternative<std::string>(items[i])) {
            items[i] = elided(surface, text, width - used);
            cut = text;
        }
        items.resize(i + 1);
        return cut;
    }
    return std::nullopt;
}

void shrinkToFit(PrintSurface& surface, const Items& items, double width, double smallest) {
    for (double points = surface.font().points; points > smallest && widthOf(surface, items) > width;) {
        points = std::max(points - 1, smallest);
        skipFailure(surface.SetFontSize(points));
    }
}

void fillWithLeader(const PrintSurface& surface, Items& items, double width, char leader) {
    if (items.empty())
        return;
    const double room = width - widthOf(surface, items);
    const double each = surface.measure(std::string(1, leader));
    if (!(room > 0 && each > 0))
        return;
    // Estimated from one character, then made sure of: a run of them may not be as wide as the sum.
    const double count = std::min(room / each, static_cast<double>(kMaxItemCharacters));
    std::string filling(static_cast<std::size_t>(count), leader);
    while (!filling.empty() && surface.measure(filling) > room)
        filling.pop_back();
    if (!filling.empty())
        items.insert(items.end() - 1, std::move(filling));
}

} // namespace velmora::print
