#include "print/CheckPlacement.h"

namespace velmora::print {

CheckPlacement::CheckPlacement(const CheckPageSetup& setup, PageRule rule, Positions positions)
    : setup_(setup)
    , rule_(rule)
    , positions_(positions)
    , stock_(stockDistances(setup.stock88mm))
    , slotTop_(setup.verticalStart) {}

bool CheckPlacement::pageFull() const {
    switch (rule_) {
    case PageRule::OnePerPage:
        return true;
    case PageRule::AsSetUp:
        // The second slot of a 92mm page lies past 5000 twips: two to a page end there.
        if (setup_.twoPerPage && !setup_.stock88mm && pageOffset_ > 5000)
            return true;
        break;
    case PageRule::ThreePerPage:
        break;
    }
    // The third slot of a page lies past 8000 twips on either stock.
    return pageOffset_ > 8000;
}

void CheckPlacement::advance(PrintSurface& surface) {
    if (pageFull()) {
        pageOffset_ = 0;
        skipFailure(surface.NewPage());
    } else if (positions_ == Positions::Twips || fitsSixteenBits(pageOffset_ + stock_.pitch)) {
        pageOffset_ += stock_.pitch;
    }
    const double top = setup_.verticalStart + pageOffset_;
    if (positions_ == Positions::Twips || fitsSixteenBits(top))
        slotTop_ = top;
}

int CheckPlacement::slotsPerPage() const {
    switch (rule_) {
    case PageRule::OnePerPage:
        return 1;
    case PageRule::AsSetUp:
        return setup_.twoPerPage && !setup_.stock88mm ? 2 : 3;
    case PageRule::ThreePerPage:
        return 3;
    }
    return 3;
}

std::int64_t CheckPlacement::pagesFor(std::int64_t items) const {
    const int perPage = slotsPerPage();
    return (items + perPage - 1) / perPage;
}

} // namespace velmora::print
