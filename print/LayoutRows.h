#pragma once

#include "print/PrintSurface.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace velmora::print {

// Every printed product is a table of rows: each row says in which font it prints, where it starts
// and what it prints, and one interpreter puts any such table on a surface. A product then reads
// like its table and the rules of placement live in one place.

// The two faces a layout names: the run's text font ("Times New Roman" or "Helv") and the MICR font.
enum class Face { Text, Micr };

struct RowStyle {
    Face face = Face::Text;
    double points = 10;
    bool bold = false;
    bool italic = false;
};

// x of a row: relative to the layout's origin, or an absolute position on the page (cut marks).
struct RowX {
    double twips = 0;
    bool absolute = false;
};

// y of a row relative to the origin; kNextLine keeps the y where the previous row left it.
inline constexpr std::optional<double> kNextLine = std::nullopt;

// The right edge of the printable area of a letter page on a typical printer: 8 inches from its left.
inline constexpr double kPageRightEdge = 11520;
// What a free text that is cut short ends with.
inline constexpr const char* kElision = "...";

using Items = std::vector<PrintItem>;

template <class Source> struct LayoutRow {
    RowStyle style;
    RowX x;
    std::optional<double> y;
    // Fills the row's items; false when the row's condition fails: it prints nothing and, having
    // no line to end, leaves y where it was for the next row.
    bool (*content)(const Source&, Items&);
    // Where the row must stop: the place of the next item to its right, or the page's edge. Text
    // that would run past it is cut and ends in kElision; numbers are never cut. No limit: none.
    std::optional<RowX> right = std::nullopt;
    LineEnding ending = LineEnding::EndLine;
    // A row with a right limit whose items do not fit at the row's size is first set one point
    // smaller at a time, down to this size, before anything is cut. 0: it is cut at its own size.
    double smallestPoints = 0;
    // Fills the room the items leave before the row's last item with this character, so that the
    // line ends at its right limit (as the asterisks of an amount in words). 0: no filling.
    char leader = 0;
};

// How the positions of a layout are summed. Blank stock keeps its positions in 16-bit signed numbers,
// as the settings hold the starting positions: a position whose sum leaves that range is not set,
// and the surface keeps the one it had; the rest of the row prints.
enum class Positions { Twips, SixteenBit };

// Whether a position fits the 16-bit signed numbers blank stock computes its positions in.
bool fitsSixteenBits(double twips);

struct LayoutOrigin {
    double x = 0;
    double y = 0;
};

struct LayoutFonts {
    std::string text;
    std::string micr;
};

// Cuts `items` so that, printed in the surface's current font, they are no wider than `width`
// twips: the first text item that does not fit is cut to the characters that fit with kElision
// after them, and the items after it are dropped. A number is never cut. Returns the text item that
// was cut, as it was before; std::nullopt when nothing was.
std::optional<std::string> fitItems(const PrintSurface& surface, Items& items, double width);

// The texts a layout cut short to fit their place, as they were before (a long business name).
using CutTexts = std::vector<std::string>;

// Sets the surface's font one point smaller at a time, from its current size down to `smallest`,
// until `items` are no wider than `width` twips or `smallest` is reached.
void shrinkToFit(PrintSurface& surface, const Items& items, double width, double smallest);

// Puts as many `leader` characters before the last of `items` as fit in the room the items leave
// within `width` twips, in the surface's current font; none when there is no room.
void fillWithLeader(const PrintSurface& surface, Items& items, double width, char leader);

// Prints the rows in order. A row is placed (x, and y unless it follows the previous line) before
// its condition is tested, as the layouts were written. Failures of single surface operations are
// not reported here: a run learns whether its job was sent from EndDocument. The texts cut to fit are
// added to `cut` when it is given.
template <class Source>
void drawRows(PrintSurface& surface, std::span<const LayoutRow<Source>> rows, const Source& source,
              const LayoutOrigin& origin, const LayoutFonts& fonts, Positions positions = Positions::Twips,
              CutTexts* cut = nullptr) {
    const auto place = [positions](double twips) {
        return positions == Positions::Twips || fitsSixteenBits(twips) ? std::optional<double>(twips)
                                                                       : std::nullopt;
    };
    Items items;
    for (const LayoutRow<Source>& row : rows) {
        skipFailure(surface.SetFontName(row.style.face == Face::Micr ? fonts.micr : fonts.text));
        skipFailure(surface.SetFontSize(row.style.points));
        skipFailure(surface.SetBold(row.style.bold));
        skipFailure(surface.SetItalic(row.style.italic));
        if (const auto x = place(row.x.absolute ? row.x.twips : origin.x + row.x.twips))
            skipFailure(surface.SetX(*x));
        if (const auto y = row.y ? place(origin.y + *row.y) : std::nullopt)
            skipFailure(surface.SetY(*y));
        items.clear();
        if (!row.content(source, items))
            continue;
        if (row.right) {
            const double width = (row.right->absolute ? 0 : origin.x) + row.right->twips - surface.x();
            if (row.smallestPoints > 0)
                shrinkToFit(surface, items, width, row.smallestPoints);
            if (row.leader)
                fillWithLeader(surface, items, width, row.leader);
            auto shortened = fitItems(surface, items, width);
            if (shortened && cut)
                cut->push_back(std::move(*shortened));
        }
        skipFailure(surface.PrintItems(items, row.ending));
    }
}

} // namespace velmora::print
