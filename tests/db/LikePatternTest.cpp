#include "db/LikePattern.h"

#include "db/Connection.h"
#include "support/Stores.h"

#include <gtest/gtest.h>

namespace velmora::db {
namespace {

using testing::Store;

struct Case {
    std::string text;
    std::string pattern;
    bool matches;
};

// clang-format off
const Case kCases[] = {
    // The wildcards match the whole text.
    {"Smith", "*", true}, {"", "*", true}, {"Smith", "Sm*", true}, {"Goldsmith", "*smith", true},
    {"Smithers", "*smith", false}, {"abcabd", "*abd", true}, {"Smith", "S?ith", true}, {"Sith", "S?ith", false},
    {"Room 12", "Room ##", true}, {"Room 1A", "Room ##", false}, {"line\r\nbreak", "line??break", true},
    // Letter case is ignored, beyond ASCII too.
    {"ACME Corp", "acme*", true}, {"Müller", "MÜLLER", true}, {"straße", "STRA?E", true},
    {"ÉCOLE", "[é]cole", true},
    // Lists and ranges.
    {"b", "[abc]", true}, {"d", "[abc]", false}, {"d", "[!abc]", true}, {"A", "[!abc]", false},
    {"M", "[a-z]", true}, {"A7", "[A-C]#", true}, {"a*b", "a[*]b", true}, {"axb", "a[*]b", false},
    {"what?", "what[?]", true}, {"#1", "[#]1", true}, {"[x", "[[]x", true}, {"ab", "a[]b", true},
    {"a-b", "a[-]b", true}, {"a]b", "a[]]b", true}, {"x", "[z-a]", false}, {"x", "[!z-a]", true},
    {"a^b", "a[^]b", true}, {"a\\b", "a[\\]b", true}, {"a\\b", "a\\b", true},
    // Quotes, unclosed brackets and the wildcards of SQL and of regular expressions are ordinary.
    {"O'Brien", "o'b*", true}, {"say \"hi\"", "*\"hi\"", true}, {"a[b", "a[b", true},
    {"50%_off", "50%_off", true}, {"50xyoff", "50%_off", false}, {"a.c", "a.c", true}, {"abc", "a.c", false},
    {"(a+)$", "(a+)$", true}, {"aa", "(a+)$", false}, {"x{2}", "x{2}", true}, {"a|b", "a|b", true}, {"a", "a|b", false},
};
// clang-format on

TEST(LikePattern, MatchesTheTableOfPatterns) {
    for (const Case& c : kCases)
        EXPECT_EQ(likeMatches(c.text, c.pattern), c.matches) << c.text << " / " << c.pattern;
}

// Text converted from older files may hold bytes that are not UTF-8: each such byte matches only
// itself, wherever it stands, and never a character it happens to share a value with. No text on the
// server holds one, so a pattern asking for one matches nothing there.
TEST(LikePattern, BytesThatAreNotUtf8MatchOnlyThemselves) {
    const std::string cutShort = "\xff\x06\xe1\xaf"; // a three-byte sequence cut short at the end
    EXPECT_TRUE(likeMatches(cutShort, "*" + cutShort + "*"));
    EXPECT_TRUE(likeMatches(cutShort + "x", "*" + cutShort + "*"));
    EXPECT_FALSE(likeMatches("\xe9", "\xc3\xa9"));               // a lone byte E9 is not "é" (U+00E9)
    EXPECT_FALSE(likeMatches("\xc0\x80", std::string(1, '\0'))); // an overlong sequence is two bytes, not NUL
    EXPECT_TRUE(likeMatches("\xc0\x80", "??"));
    EXPECT_EQ(likeRegex("*" + cutShort + "*"), std::nullopt);
    EXPECT_EQ(likeRegex("[\xff]"), std::nullopt);
    EXPECT_EQ(likeRegex("[!\xff]"), "^.$") << "not one of no characters the server holds: any one";
}

// The same table matched by the stores' SQL: a file's jet_like(), the server's regular expression.
class LikePatternInSqlTest : public ::testing::TestWithParam<Store> {
protected:
    void SetUp() override {
        VELMORA_SKIP_WITHOUT(store);
        db.emplace(store.emptyDatabase("patterns"));
    }
    bool matches(const Case& c) {
        if (store.dialect() == Dialect::Sqlite) {
            Statement query(*db, "SELECT jet_like(?, ?)");
            query.bind(1, c.text).bind(2, c.pattern);
            query.step();
            return query.columnInt(0) == 1;
        }
        const auto regex = likeRegex(c.pattern);
        if (!regex)
            return false;
        Statement query(*db, "SELECT CAST(? AS TEXT) ~* ?");
        query.bind(1, c.text).bind(2, *regex);
        query.step();
        return query.columnInt(0) == 1;
    }
    testing::StoreFixture store{GetParam()};
    std::optional<Connection> db;
};

TEST_P(LikePatternInSqlTest, MatchesTheTableOfPatterns) {
    for (const Case& c : kCases)
        EXPECT_EQ(matches(c), c.matches) << c.text << " / " << c.pattern;
}

INSTANTIATE_TEST_SUITE_P(BothStores, LikePatternInSqlTest, ::testing::ValuesIn(testing::kBothStores),
                         testing::storeName);

TEST(LikePattern, SqlFunctionMatchesNumbersAsPlainTextAndNullAsNothing) {
    Connection db(":memory:", OpenMode::Create);
    auto eval = [&](const char* sql) {
        Statement query(db, sql);
        query.step();
        return query.column(0);
    };
    EXPECT_EQ(eval("SELECT jet_like(1050, '10#0')").integer(), 1);
    EXPECT_EQ(eval("SELECT jet_like(12.5, '12.5')").integer(), 1);
    EXPECT_EQ(eval("SELECT jet_like(money_text(1250), '12.5')").integer(), 1);
    EXPECT_EQ(eval("SELECT jet_like(money_text(1250), '12.50')").integer(), 0);
    EXPECT_TRUE(eval("SELECT jet_like(NULL, '*')").isNull());
    EXPECT_EQ(eval("SELECT count(*) FROM (SELECT 1 WHERE jet_like(NULL, '*'))").integer(), 0);
}

} // namespace
} // namespace velmora::db
