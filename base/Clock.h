#pragma once

#include <optional>
#include <string>

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

// Today's date for the whole program. Tests (and nothing else) fix it.
class Clock {
public:
    static Date today();
    static void setToday(std::optional<Date> fixed);
};

} // namespace velmora
