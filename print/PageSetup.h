#pragma once

#include "db/SettingsRecord.h"

namespace velmora::print {

// Where the checks of a run go on letter-size check stock or plain paper, and how entered checks
// print their amount: the alignment offsets and the stored print options, read from the settings
// record when a run starts.
struct CheckPageSetup {
    double horizontalStart = 0; // x of every check's left edge
    double verticalStart = 0;   // y of the first check's top on every page
    bool stock88mm = false;     // otherwise 92mm
    bool twoPerPage = false;    // 92mm stock only
    bool plainPaper = false;    // cut marks
    // Entered checks only; blank stock keeps its lines to write the amount on by hand.
    bool amountInWords = false;   // a line of the amount in words under the payee
    bool amountWithCents = false; // "**$1,234.56**" rather than the number item "**$ 1234.56 **"

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

} // namespace velmora::print
