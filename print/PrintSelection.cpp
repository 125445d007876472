#include "print/PrintSelection.h"

namespace velmora::print {

namespace option = db::print_option;

db::Filter checksFilter(const PrintSelection& selection) {
    db::Filter filter;
    if (selection.once && selection.monthly) {
        filter.where = "\"Print\" IN (?, ?)";
        filter.parameters = {option::kOnce, option::kMonthly};
    } else {
        filter.where = "\"Print\" = ?";
        filter.parameters = {selection.once ? option::kOnce : option::kMonthly};
    }
    return filter;
}

db::Filter labelsFilter(const PrintSelection& selection) {
    db::Filter filter;
    std::string which;
    if (selection.onceLabels) {
        which = "\"Print\" IN (?, ?)";
        filter.parameters = {option::kOnce, option::kNever};
    }
    if (selection.monthlyLabels) {
        which += which.empty() ? "\"Print\" = ?" : " OR \"Print\" = ?";
        filter.parameters.emplace_back(option::kMonthly);
    }
    filter.where = "\"LabelPrint\" <> 0 AND (" + which + ")";
    return filter;
}

std::string checkName(const db::CheckRecord& record) {
    std::string name = record.check ? "check #" + std::to_string(*record.check) : "the check";
    return name + " (record " + std::to_string(record.id) + ")";
}

} // namespace velmora::print
