#pragma once

#include "db/CheckRecord.h"
#include "db/RecordSet.h"

#include <string>

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

// The records of `Account` whose checks the selection prints (at least one check box ticked).
db::Filter checksFilter(const PrintSelection& selection);
// The records whose labels the selection prints (at least one label box ticked). Labels of one-time
// checks include those already set to don't print.
db::Filter labelsFilter(const PrintSelection& selection);

// A check as messages name it: "check #1234 (record 7)", or "the check (record 7)" without a number.
std::string checkName(const db::CheckRecord& record);

} // namespace velmora::print
