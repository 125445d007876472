#include "base/Clock.h"

#include <cstdio>
#include <ctime>

namespace velmora {

namespace {
std::optional<Date>& fixedToday() {
    static std::optional<Date> value;
    return value;
}
} // namespace

std::string formatDateText(const Date& date) {
    return std::to_string(date.month) + "/" + std::to_string(date.day) + "/" + std::to_string(date.year);
}

std::string isoDateText(const Date& date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

std::optional<Date> parseIsoDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    const auto number = [&](std::size_t from, std::size_t digits) -> std::optional<int> {
        int value = 0;
        for (std::size_t i = from; i < from + digits; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return std::nullopt;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    const auto year = number(0, 4);
    const auto month = number(5, 2);
    const auto day = number(8, 2);
    if (!year || !month || !day || *year < 1 || *month < 1 || *month > 12 || *day < 1)
        return std::nullopt;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (*year % 4 == 0 && *year % 100 != 0) || *year % 400 == 0;
    if (*day > kDays[*month - 1] + (*month == 2 && leap ? 1 : 0))
        return std::nullopt;
    return Date{*year, *month, *day};
}

Date Clock::today() {
    if (fixedToday())
        return *fixedToday();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

void Clock::setToday(std::optional<Date> fixed) {
    fixedToday() = fixed;
}

} // namespace velmora
