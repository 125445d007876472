#include "print/CheckPage.h"

namespace velmora::print {

CheckPageSetup CheckPageSetup::fromSettings(const db::SettingsRecord& settings) {
    CheckPageSetup setup;
    setup.horizontalStart = static_cast<double>(settings.horizontalStart.value_or(0));
    setup.verticalStart = static_cast<double>(settings.verticalStart.value_or(0));
    setup.stock88mm = settings.quickenCheckStock.value_or(false);
    setup.twoPerPage = settings.print2Checks.value_or(false);
    setup.plainPaper = settings.plainPaper.value_or(false);
    return setup;
}

StockDistances stockDistances(bool stock88mm) {
    return stock88mm ? StockDistances{4055, 5020, 4455} : StockDistances{4269, 5270, 4670};
}

CheckPlacement::CheckPlacement(const CheckPageSetup& setup)
    : setup_(setup)
    , stock_(stockDistances(setup.stock88mm)) {}

void CheckPlacement::advance(PrintSurface& surface) {
    // The third slot of a 92mm page lies past 8000 twips, the second past 5000: these bounds end a
    // page after three checks, or after two when two to a page are asked for on 92mm stock.
    const bool pageFull =
        (setup_.twoPerPage && !setup_.stock88mm && pageOffset_ > 5000) || pageOffset_ > 8000;
    if (pageFull) {
        pageOffset_ = 0;
        surface.NewPage();
    } else {
        pageOffset_ += stock_.pitch;
    }
}

int CheckPlacement::checksPerPage(const CheckPageSetup& setup) {
    return setup.twoPerPage && !setup.stock88mm ? 2 : 3;
}

std::int64_t CheckPlacement::pagesFor(std::int64_t checks, const CheckPageSetup& setup) {
    const int perPage = checksPerPage(setup);
    return (checks + perPage - 1) / perPage;
}

} // namespace velmora::print
