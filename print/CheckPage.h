#pragma once

#include "db/SettingsRecord.h"
#include "print/PrintSurface.h"

namespace velmora::print {

// Where the checks of a run go on letter-size check stock or plain paper: the alignment offsets and
// the three stored print options, read from the settings record when a run starts.
struct CheckPageSetup {
    double horizontalStart = 0; // x of every check's left edge
    double verticalStart = 0;   // y of the first check's top on every page
    bool stock88mm = false;     // otherwise 92mm
    bool twoPerPage = false;    // 92mm stock only
    bool plainPaper = false;    // cut marks

    // A Null or unreadable field counts as 0 (offsets) or not ticked (options).
    static CheckPageSetup fromSettings(const db::SettingsRecord& settings);
};

// Distances of a stock length, twips from the top of a check's slot.
struct StockDistances {
    double micrOffset;    // to the top of the MICR line
    double pitch;         // to the next slot's top
    double cutMarkOffset; // to the cut marks on plain paper
};
StockDistances stockDistances(bool stock88mm);

// Places the checks of one run slot after slot: three to a page, or two on 92mm stock when asked.
class CheckPlacement {
public:
    explicit CheckPlacement(const CheckPageSetup& setup);

    double slotLeft() const { return setup_.horizontalStart; }
    double slotTop() const { return setup_.verticalStart + pageOffset_; }
    double pageOffset() const { return pageOffset_; }
    const StockDistances& stock() const { return stock_; }
    const CheckPageSetup& setup() const { return setup_; }

    // Moves to the next slot after a check was laid out; a full page is ended at once (the surface
    // feeds no empty sheet when nothing follows).
    void advance(PrintSurface& surface);

    static int checksPerPage(const CheckPageSetup& setup);
    static std::int64_t pagesFor(std::int64_t checks, const CheckPageSetup& setup);

private:
    CheckPageSetup setup_;
    StockDistances stock_;
    double pageOffset_ = 0;
};

} // namespace velmora::print
