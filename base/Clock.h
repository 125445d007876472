#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

struct Date {
    int year = 1970;
    int month = 1;
    int day = 1;
    auto operator<=>(const Date&) const = default;
};

// "m/d/yyyy": month and day without leading zeros, four-digit year. The form of every date the
// program writes into a record.
std::string formatDateText(const Date& date);

// "yyyy-mm-dd", the form of the dates of the register, which sort as they read.
std::string isoDateText(const Date& date);
// A date of that form that the calendar has (2024-02-30 is none); std::nullopt for anything else.
std::optional<Date> parseIsoDate(std::string_view text);

// Today's date for the whole program. Tests (and nothing else) fix it.
class Clock {
public:
    static Date today();
    static void setToday(std::optional<Date> fixed);
};

} // namespace velmora
