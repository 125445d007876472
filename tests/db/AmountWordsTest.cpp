#include "db/AmountWords.h"

#include "db/CheckRecord.h"

#include <gtest/gtest.h>
#include <limits>

namespace velmora::db {
namespace {

TEST(AmountWordsTest, AmountsReadAsOnTheLegalLineOfACheck) {
    // clang-format off
    const std::pair<std::int64_t, const char*> table[] = {
        {1,              "Zero and 01/100"},
        {99,             "Zero and 99/100"},
        {100,            "One and 00/100"},
        {1100,           "Eleven and 00/100"},
        {1900,           "Nineteen and 00/100"},
        {2000,           "Twenty and 00/100"},
        {2100,           "Twenty-one and 00/100"},
        {9900,           "Ninety-nine and 00/100"},
        {10000,          "One hundred and 00/100"},
        {10100,          "One hundred one and 00/100"},
        {11000,          "One hundred ten and 00/100"},
        {99900,          "Nine hundred ninety-nine and 00/100"},
        {100000,         "One thousand and 00/100"},
        {100100,         "One thousand one and 00/100"},
        {1000000,        "Ten thousand and 00/100"},
        {10000000,       "One hundred thousand and 00/100"},
        {100000000,      "One million and 00/100"},
        {123456789,      "One million two hundred thirty-four thousand five hundred sixty-seven and 89/100"},
        {99999999999,    "Nine hundred ninety-nine million nine hundred ninety-nine thousand nine hundred ninety-nine and 99/100"},
        {123456,         "One thousand two hundred thirty-four and 56/100"},
        {215000,         "Two thousand one hundred fifty and 00/100"},
        {200000510,      "Two million five and 10/100"},
        {7001001205,     "Seventy million ten thousand twelve and 05/100"},
        {4000000000,     "Forty million and 00/100"},
    };
    // clang-format on
    for (const auto& [cents, words] : table)
        EXPECT_EQ(amountInWords(Money::fromCents(cents)), words) << cents << " cents";
}

TEST(AmountWordsTest, NoWordsForAnAmountNoCheckIsWrittenFor) {
    for (const std::int64_t cents :
         {std::int64_t{0}, std::int64_t{-1}, std::int64_t{-123456}, kMaxAmountCents + 1,
          std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()})
        EXPECT_EQ(amountInWords(Money::fromCents(cents)), std::nullopt) << cents << " cents";
}

} // namespace
} // namespace velmora::db
