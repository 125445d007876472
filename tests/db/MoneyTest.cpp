#include "db/Money.h"

#include "db/Value.h"

#include <gtest/gtest.h>
#include <limits>

using velmora::db::Money;

TEST(Money, ParsesPlainDecimalsExactly) {
    EXPECT_EQ(Money::parse("12.5")->cents(), 1250);
    EXPECT_EQ(Money::parse(" 0.07 ")->cents(), 7);
    EXPECT_EQ(Money::parse("-3")->cents(), -300);
    EXPECT_EQ(Money::parse(".5")->cents(), 50);
    EXPECT_EQ(Money::parse("99999999999999.99")->cents(), 9999999999999999);
}

TEST(Money, RefusesWhatIsNotAnAmount) {
    for (const char* bad : {"", " ", ".", "1.234", "12a", "1,000", "--1", "$5", "1e3", "123456789012345"})
        EXPECT_FALSE(Money::parse(bad).has_value()) << bad;
}

TEST(Money, WritesShortestFixedAndGroupedText) {
    EXPECT_EQ(Money::fromCents(1250).toShortestText(), "12.5");
    EXPECT_EQ(Money::fromCents(10000).toShortestText(), "100");
    EXPECT_EQ(Money::fromCents(0).toShortestText(), "0");
    EXPECT_EQ(Money::fromCents(-305).toShortestText(), "-3.05");
    EXPECT_EQ(Money::fromCents(1250).toFixedText(), "12.50");
    EXPECT_EQ(Money::fromCents(-5).toFixedText(), "-0.05");
    EXPECT_EQ(Money::fromCents(123456).toGroupedText(), "1,234.56");
    EXPECT_EQ(Money::fromCents(215000).toGroupedText(), "2,150.00");
    EXPECT_EQ(Money::fromCents(7500).toGroupedText(), "75.00");
    EXPECT_EQ(Money::fromCents(99999).toGroupedText(), "999.99");
    EXPECT_EQ(Money::fromCents(100000).toGroupedText(), "1,000.00");
    EXPECT_EQ(Money::fromCents(99999999999).toGroupedText(), "999,999,999.99");
    EXPECT_EQ(Money::fromCents(-123456).toGroupedText(), "-1,234.56");
    EXPECT_EQ(Money::fromCents(-99999).toGroupedText(), "-999.99");
    EXPECT_EQ(Money::fromCents(0).toGroupedText(), "0.00");
}

TEST(Money, TheMostNegativeAndPositiveAmountsFormatWithoutOverflow) {
    constexpr auto kLowest = std::numeric_limits<std::int64_t>::min();
    constexpr auto kHighest = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(Money::fromCents(kLowest).toFixedText(), "-92233720368547758.08");
    EXPECT_EQ(Money::fromCents(kHighest).toFixedText(), "92233720368547758.07");
    EXPECT_EQ(Money::fromCents(kLowest).toShortestText(), "-92233720368547758.08");
    EXPECT_EQ(Money::fromCents(kLowest).toGroupedText(), "-92,233,720,368,547,758.08");
    // Whole dollars that have no exact number of cents are not an amount.
    EXPECT_EQ(velmora::db::Value(kHighest).money(), std::nullopt);
    EXPECT_EQ(velmora::db::Value(kLowest).money(), std::nullopt);
    EXPECT_EQ(velmora::db::Value(std::int64_t{92233720368547758}).money(),
              Money::fromCents(9223372036854775800));
}
