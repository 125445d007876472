#pragma once

#include "db/CheckRecord.h"
#include "print/LayoutRows.h"

#include <optional>
#include <string>

namespace velmora::print::rows {

// Row contents over a check record shared by the layouts that print its fields.

using db::CheckRecord;
using TextField = std::optional<std::string> CheckRecord::*;

inline std::string orEmpty(const std::optional<std::string>& text) {
    return text.value_or(std::string());
}

// One text field, when it is not Null.
template <TextField field> bool fieldText(const CheckRecord& record, Items& items) {
    if (!(record.*field))
        return false;
    items.emplace_back(*(record.*field));
    return true;
}

// A prefix and a text field, when the field is not Null.
template <TextField field, const char* prefix> bool labelledText(const CheckRecord& record, Items& items) {
    if (!(record.*field))
        return false;
    items.emplace_back(prefix + *(record.*field));
    return true;
}

// "City, ST  Zip". The line belongs to the postal code: without a Zip there is no line at all.
inline bool cityLine(const CheckRecord& r, Items& items) {
    if (!r.zip)
        return false;
    items.emplace_back(orEmpty(r.city) + ", " + orEmpty(r.state) + "  " + *r.zip);
    return true;
}

} // namespace velmora::print::rows
