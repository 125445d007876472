#include "db/LikePattern.h"

#include "db/Connection.h"

#include <gtest/gtest.h>

using velmora::db::likeMatches;

TEST(LikePattern, WildcardsMatchTheWholeText) {
    EXPECT_TRUE(likeMatches("Smith", "*"));
    EXPECT_TRUE(likeMatches("", "*"));
    EXPECT_TRUE(likeMatches("Smith", "Sm*"));
    EXPECT_TRUE(likeMatches("Goldsmith", "*smith"));
    EXPECT_FALSE(likeMatches("Smithers", "*smith"));
    EXPECT_TRUE(likeMatches("abcabd", "*abd"));
    EXPECT_TRUE(likeMatches("Smith", "S?ith"));
    EXPECT_FALSE(likeMatches("Sith", "S?ith"));
    EXPECT_TRUE(likeMatches("Room 12", "Room ##"));
    EXPECT_FALSE(likeMatches("Room 1A", "Room ##"));
}

TEST(LikePattern, IgnoresLetterCaseIncludingBeyondAscii) {
    EXPECT_TRUE(likeMatches("ACME Corp", "acme*"));
    EXPECT_TRUE(likeMatches("Müller", "MÜLLER"));
    EXPECT_TRUE(likeMatches("straße", "STRA?E"));
}

TEST(LikePattern, CharacterListsAndRanges) {
    EXPECT_TRUE(likeMatches("b", "[abc]"));
    EXPECT_FALSE(likeMatches("d", "[abc]"));
    EXPECT_TRUE(likeMatches("d", "[!abc]"));
    EXPECT_TRUE(likeMatches("M", "[a-z]"));
    EXPECT_TRUE(likeMatches("A7", "[A-C]#"));
    EXPECT_TRUE(likeMatches("a*b", "a[*]b"));
    EXPECT_FALSE(likeMatches("axb", "a[*]b"));
    EXPECT_TRUE(likeMatches("what?", "what[?]"));
    EXPECT_TRUE(likeMatches("#1", "[#]1"));
    EXPECT_TRUE(likeMatches("[x", "[[]x"));
    EXPECT_TRUE(likeMatches("ab", "a[]b"));
}

TEST(LikePattern, QuotesAndUnclosedBracketsAreOrdinaryCharacters) {
    EXPECT_TRUE(likeMatches("O'Brien", "o'b*"));
    EXPECT_TRUE(likeMatches("say \"hi\"", "*\"hi\""));
    EXPECT_TRUE(likeMatches("a[b", "a[b"));
    EXPECT_TRUE(likeMatches("50%_off", "50%_off")); // SQL's own wildcards mean nothing here
    EXPECT_FALSE(likeMatches("50xyoff", "50%_off"));
}

// Text converted from older files may hold bytes that are not UTF-8: each such byte matches only
// itself, wherever it stands, and never a character it happens to share a value with.
TEST(LikePattern, BytesThatAreNotUtf8MatchOnlyThemselves) {
    const std::string cutShort = "\xff\x06\xe1\xaf"; // a three-byte sequence cut short at the end
    EXPECT_TRUE(likeMatches(cutShort, "*" + cutShort + "*"));
    EXPECT_TRUE(likeMatches(cutShort + "x", "*" + cutShort + "*"));
    EXPECT_FALSE(likeMatches("\xe9", "\xc3\xa9"));               // a lone byte E9 is not "é" (U+00E9)
    EXPECT_FALSE(likeMatches("\xc0\x80", std::string(1, '\0'))); // an overlong sequence is two bytes, not NUL
    EXPECT_TRUE(likeMatches("\xc0\x80", "??"));
}

TEST(LikePattern, SqlFunctionMatchesNumbersAsPlainTextAndNullAsNothing) {
    velmora::db::Connection db(":memory:", velmora::db::OpenMode::Create);
    auto eval = [&](const char* sql) {
        velmora::db::Statement query(db, sql);
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
