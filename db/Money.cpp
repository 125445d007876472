#include "db/Money.h"

#include "base/Text.h"

#include <cctype>
#include <cstdlib>

namespace velmora::db {

std::optional<Money> Money::parse(std::string_view text) {
    text = trimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const auto point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
    if ((whole.empty() && fraction.empty()) || fraction.size() > 2 || whole.size() > 14)
        return std::nullopt;
    std::int64_t cents = 0;
    for (char c : whole) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        cents = cents * 10 + (c - '0');
    }
    for (std::size_t i = 0; i < 2; ++i) {
        const char c = i < fraction.size() ? fraction[i] : '0';
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        cents = cents * 10 + (c - '0');
    }
    return Money(negative ? -cents : cents);
}

std::string Money::toFixedText() const {
    // In unsigned arithmetic, so that even the most negative value has a magnitude.
    const std::uint64_t magnitude =
        cents_ < 0 ? 0 - static_cast<std::uint64_t>(cents_) : static_cast<std::uint64_t>(cents_);
    std::string fraction = std::to_string(magnitude % 100);
    if (fraction.size() < 2)
        fraction.insert(0, 1, '0');
    return (cents_ < 0 ? "-" : "") + std::to_string(magnitude / 100) + "." + fraction;
}

std::string Money::toGroupedText() const {
    std::string text = toFixedText();
    const std::size_t digitsFrom = cents_ < 0 ? 1 : 0;
    // The whole dollars end three characters before the end ("." and the cents).
    for (std::size_t at = text.size() - 3; at > digitsFrom + 3; at -= 3)
        text.insert(at - 3, 1, ',');
    return text;
}

std::string Money::toShortestText() const {
    std::string text = toFixedText();
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text.pop_back();
    return text;
}

} // namespace velmora::db
