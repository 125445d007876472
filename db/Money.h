#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::db {

// An exact amount of dollars and cents. Stored as whole cents; never a binary floating point value.
class Money {
public:
    constexpr Money() = default;
    static constexpr Money fromCents(std::int64_t cents) { return Money(cents); }

    // Accepts an optional sign, digits and at most two decimals ("12", "12.5", "-0.07", ".5"),
    // with surrounding blanks. Anything else, or a value past +-90 trillion, gives std::nullopt.
    static std::optional<Money> parse(std::string_view text);

    constexpr std::int64_t cents() const { return cents_; }

    // Shortest plain decimal text: 12.50 -> "12.5", 100 -> "100", 0 -> "0", -3.05 -> "-3.05".
    std::string toShortestText() const;
    // Always two decimals: 12.5 -> "12.50".
    std::string toFixedText() const;
    // Two decimals and a comma between thousands: 1234.5 -> "1,234.50", -75 -> "-75.00".
    std::string toGroupedText() const;

    constexpr auto operator<=>(const Money&) const = default;

private:
    constexpr explicit Money(std::int64_t cents)
        : cents_(cents) {}
    std::int64_t cents_ = 0;
};

} // namespace velmora::db
