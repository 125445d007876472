#include "base/Clock.h"

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
