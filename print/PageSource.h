#pragma once

#include "base/Result.h"
#include "print/PrintSurface.h"

#include <cstdint>
#include <optional>
#include <string>

namespace velmora::print {

// A printed product whose pages can each be drawn on their own, in any order: page N is placed
// directly, without laying out the pages before it. A preview draws only the pages it shows, and a
// look at what a run would print costs a page at a time, whatever the size of the run.
class PageSource {
public:
    virtual ~PageSource() = default;

    // How many pages the product has; fixed when the source is made.
    virtual std::int64_t pageCount() = 0;
    // Draws page `page` (from 0) on `surface`, exactly as the product prints it. Starts no job and
    // ends none: the surface starts one with the first output, and a page that the product ends with
    // a page break leaves that break pending. A failure says why the page could not be drawn (its
    // records could not be read); what was drawn before it stays.
    virtual Status drawPage(std::int64_t page, PrintSurface& surface) = 0;
    // Who prints at (x, y) on `page`, for messages: "check #1003 (record 5)".
    virtual std::string ownerAt(std::int64_t page, double x, double y) = 0;
};

// An item of a product that would print outside a printer's printable area.
struct ItemOutside {
    enum class Side { Bottom, Right, Top, Left };

    std::int64_t page = 0; // from 0
    std::string owner;     // as PageSource::ownerAt names it
    std::string text;      // the item as printed
    bool micr = false;     // a part of the MICR line
    Side side = Side::Bottom;
    double twips = 0; // how far it reaches past that side
    // Whether the starting positions move it (false for an item at a fixed place on the page, such as
    // a cut mark): only then does changing them bring it back.
    bool followsStart = true;
};

// Lays the pages out without printing them and finds the first page with an item that does not fit
// inside `area`; of that page's items the one that reaches furthest out. An item's box is its text's
// width by the height of its font's character cell. std::nullopt when everything fits; a failure when
// a page cannot be drawn.
Result<std::optional<ItemOutside>> findItemOutside(PageSource& pages, const PrintableArea& area);

// Tells the user which item lies outside `where` ("the printable area of the printer X"), on which
// page, by how much, and which starting position moves it back in.
std::string describeItemOutside(const ItemOutside& item, const std::string& where);

} // namespace velmora::print
