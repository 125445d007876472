#pragma once

namespace velmora::print {

// What the Print button is asked to print: the four selection boxes of the Printer Control Menu.
struct PrintSelection {
    bool once = false;          // checks printed one time
    bool monthly = false;       // checks printed multiple times
    bool onceLabels = false;    // labels of one-time (and don't-print) checks
    bool monthlyLabels = false; // labels of multiple-times checks

    bool checks() const { return once || monthly; }
    bool labels() const { return onceLabels || monthlyLabels; }
    bool any() const { return checks() || labels(); }
};

} // namespace velmora::print
