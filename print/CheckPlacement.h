#pragma once

#include "print/LayoutRows.h"
#include "print/PageSetup.h"
#include "print/PrintSurface.h"

#include <cstdint>

namespace velmora::print {

// How the slots of a run follow one another on a page.
enum class PageRule {
    // Three to a page, or two on 92mm stock when two to a page are asked for: entered checks, blank
    // checks.
    AsSetUp,
    // Always three to a page.
    ThreePerPage,
    // One to a page: the slot below it belongs to the same item (a voucher's stubs).
    OnePerPage,
};

// Places the items of one run slot after slot, from the vertical start down the page, and breaks the
// page when it is full.
class CheckPlacement {
public:
    explicit CheckPlacement(const CheckPageSetup& setup, PageRule rule = PageRule::AsSetUp,
                            Positions positions = Positions::Twips);

    double slotLeft() const { return setup_.horizontalStart; }
    double slotTop() const { return slotTop_; }
    double pageOffset() const { return pageOffset_; }
    const StockDistances& stock() const { return stock_; }
    const CheckPageSetup& setup() const { return setup_; }

    // Moves to the next slot after an item was laid out; a full page is ended at once (the surface
    // feeds no empty sheet when nothing follows).
    void advance(PrintSurface& surface);

    int slotsPerPage() const;
    std::int64_t pagesFor(std::int64_t items) const;

private:
    bool pageFull() const;

    CheckPageSetup setup_;
    PageRule rule_;
    Positions positions_;
    StockDistances stock_;
    double pageOffset_ = 0;
    double slotTop_ = 0;
};

} // namespace velmora::print
