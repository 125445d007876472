#pragma once

#include "db/CheckRecord.h"
#include "print/LayoutRows.h"

#include <optional>
#include <string>

namespace velmora::print::rows {

// Row contents over a check record shared by the layouts that print its fields.

using db::CheckRecord;
using TextField = std::optional<std::string> CheckRecord::*;

// A field's text as far as any line can print it: a field of megabytes is cut here, before it is
// copied into a line, so it costs no more than a normal one.
inline std::string printable(const std::string& text) {
    return firstCharacters(text, kMaxItemCharacters);
}

inline std::string orEmpty(const std::optional<std::string>& text) {
    return text ? printable(*text) : std::string();
}

// One text field, when it is not Null.
template <TextField field> bool fieldText(const CheckRecord& record, Items& items) {
    if (!(record.*field))
        return false;
    items.emplace_back(printable(*(record.*field)));
    return true;
}

// A prefix and a text field, when the field is not Null.
template <TextField field, const char* prefix> bool labelledText(const CheckRecord& record, Items& items) {
    if (!(record.*field))
        return false;
    items.emplace_back(prefix + printable(*(record.*field)));
    return true;
}

// "City, ST  Zip". The line belongs to the postal code: without a Zip there is no line at all.
inline bool cityLine(const CheckRecord& r, Items& items) {
    if (!r.zip)
        return false;
    items.emplace_back(orEmpty(r.city) + ", " + orEmpty(r.state) + "  " + printable(*r.zip));
    return true;
}

// "First Last", a Null part as empty text; no line when both are Null.
inline bool nameLine(const CheckRecord& r, Items& items) {
    if (!r.firstName && !r.lastName)
        return false;
    items.emplace_back(orEmpty(r.firstName) + " " + orEmpty(r.lastName));
    return true;
}

// "Bank City, ST". The line belongs to the bank's state.
inline bool bankCityLine(const CheckRecord& r, Items& items) {
    if (!r.bankState)
        return false;
    items.emplace_back(orEmpty(r.bankCity) + ", " + printable(*r.bankState));
    return true;
}

// The routing number between transit symbols, for the MICR line.
inline bool micrRouting(const CheckRecord& r, Items& items) {
    if (!r.aba)
        return false;
    items = {std::string("A"), printable(*r.aba), std::string("A")};
    return true;
}

// The account number and the on-us symbol after it, for the MICR line.
inline bool micrAccount(const CheckRecord& r, Items& items) {
    if (!r.account)
        return false;
    items = {printable(*r.account), std::string("C "), std::string("  ")};
    return true;
}

} // namespace velmora::print::rows
