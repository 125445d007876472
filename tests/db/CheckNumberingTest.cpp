#include "db/CheckNumbering.h"

#include <gtest/gtest.h>

namespace velmora::db {
namespace {

TEST(CheckNumberingTest, FollowsTheLargerOfLastRecordAndLastCheckAndWrapsPastTheLimit) {
    struct Case {
        std::optional<std::int64_t> last, lastCheck;
        std::int64_t expected;
    };
    const Case cases[] = {
        {455, std::nullopt, 456},
        {455, 4000, 4001},
        {5000, 4000, 5001},
        {999901, std::nullopt, 101},
        {455, 999901, 101},
        {999900, 999900, 999901},
        {std::nullopt, std::nullopt, 1},
        {2147483647, std::nullopt, 101},
        {4000, 4000, 4001},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nextCheckNumber(c.last, c.lastCheck), c.expected)
            << "last " << c.last.value_or(-1) << ", LastCheck " << c.lastCheck.value_or(-1);
}

// Renumbering after a print run wraps when the new number would pass the limit, so the limit itself
// is followed by 101 here, where a new check would get 999901.
TEST(CheckNumberingTest, RenumberingWrapsWhenTheNextNumberWouldPassTheLimit) {
    EXPECT_EQ(renumbered(1050), 1051);
    EXPECT_EQ(renumbered(999899), 999900);
    EXPECT_EQ(renumbered(999900), 101);
    EXPECT_EQ(nextCheckNumber(999900, std::nullopt), 999901);
    EXPECT_EQ(renumbered(2147483647), 101);
    EXPECT_EQ(renumbered(0), 1);
}

} // namespace
} // namespace velmora::db
