#include "print/PageSetup.h"

namespace velmora::print {

CheckPageSetup CheckPageSetup::fromSettings(const db::SettingsRecord& settings) {
    CheckPageSetup setup;
    setup.horizontalStart = static_cast<double>(settings.horizontalStart.value_or(0));
    setup.verticalStart = static_cast<double>(settings.verticalStart.value_or(0));
    setup.stock88mm = settings.quickenCheckStock.value_or(false);
    setup.twoPerPage = settings.print2Checks.value_or(false);
    setup.plainPaper = settings.plainPaper.value_or(false);
    setup.amountInWords = settings.amountInWords;
    setup.amountWithCents = settings.amountWithCents;
    return setup;
}

StockDistances stockDistances(bool stock88mm) {
    return stock88mm ? StockDistances{4055, 5020, 4455} : StockDistances{4269, 5270, 4670};
}

} // namespace velmora::print
