#include "db/Value.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <sstream>

namespace velmora::db {

namespace {
std::string realText(double number) {
    std::ostringstream out;
    out.precision(15);
    out << number;
    return out.str();
}
} // namespace

std::optional<std::string> Value::text() const {
    if (auto* s = std::get_if<std::string>(&data_))
        return *s;
    if (auto* i = std::get_if<std::int64_t>(&data_))
        return std::to_string(*i);
    if (auto* d = std::get_if<double>(&data_))
        return realText(*d);
    if (auto* m = std::get_if<Money>(&data_))
        return m->toShortestText();
    return std::nullopt;
}

std::optional<std::int64_t> Value::integer() const {
    if (auto* i = std::get_if<std::int64_t>(&data_))
        return *i;
    if (auto* d = std::get_if<double>(&data_)) {
        if (std::isfinite(*d) && std::trunc(*d) == *d && std::fabs(*d) < 9.0e15)
            return static_cast<std::int64_t>(*d);
        return std::nullopt;
    }
    if (auto* m = std::get_if<Money>(&data_)) {
        if (m->cents() % 100 == 0)
            return m->cents() / 100;
        return std::nullopt;
    }
    if (auto* s = std::get_if<std::string>(&data_)) {
        std::int64_t number = 0;
        const char* end = s->data() + s->size();
        auto [ptr, ec] = std::from_chars(s->data(), end, number);
        if (ec == std::errc() && ptr == end && !s->empty())
            return number;
    }
    return std::nullopt;
}

std::optional<Money> Value::money() const {
    if (auto* m = std::get_if<Money>(&data_))
        return *m;
    if (auto* i = std::get_if<std::int64_t>(&data_)) {
        constexpr std::int64_t kLargestDollars = std::numeric_limits<std::int64_t>::max() / 100;
        if (*i > kLargestDollars || *i < -kLargestDollars)
            return std::nullopt;
        return Money::fromCents(*i * 100);
    }
    if (auto* s = std::get_if<std::string>(&data_))
        return Money::parse(*s);
    if (auto* d = std::get_if<double>(&data_))
        return Money::parse(realText(*d));
    return std::nullopt;
}

bool Value::yes() const {
    if (auto i = integer())
        return *i != 0;
    return false;
}

} // namespace velmora::db
