#include "app/Password.h"

#include "app/Settings.h"
#include "db/RecordSet.h"
#include "db/Schema.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

class PasswordTest : public ::testing::Test {
protected:
    PasswordTest()
        : settings_(std::move(SettingsStore::open(program_.dir()).value())) {}

    db::Connection& db() { return settings_.connection(); }

    db::Value stored() {
        db::RecordSet record(db(), db::schema::password());
        return record.field("ENTER");
    }
    void store(db::Value value) {
        db::RecordSet record(db(), db::schema::password());
        record.edit();
        record.setField("ENTER", std::move(value));
        record.update();
    }
    PasswordCheck check(const std::string& typed) {
        auto result = checkPassword(db(), typed);
        EXPECT_TRUE(result.ok()) << result.message();
        return result.ok() ? *result : PasswordCheck::Wrong;
    }

    testing::ProgramDirFixture program_;
    SettingsStore settings_;
};

TEST_F(PasswordTest, DeliveredPasswordMatchesInAnyLetterCaseButIsNotTrimmed) {
    EXPECT_EQ(check("tulip"), PasswordCheck::Matches);
    EXPECT_EQ(check("TULIP"), PasswordCheck::Matches);
    EXPECT_EQ(check("TuLiP"), PasswordCheck::Matches);
    EXPECT_EQ(check("tulip "), PasswordCheck::Wrong);
    EXPECT_EQ(check(" tulip"), PasswordCheck::Wrong);
    EXPECT_EQ(check("tuli"), PasswordCheck::Wrong);
    EXPECT_EQ(check(""), PasswordCheck::Wrong);
    // The delivered file keeps no plain text.
    EXPECT_NE(stored().text().value_or(""), "tulip");
}

TEST_F(PasswordTest, LegacyPlainTextIsAcceptedOnceAndReplacedByItsHash) {
    store("marigold");
    EXPECT_EQ(check("rose"), PasswordCheck::Wrong);
    EXPECT_EQ(stored().text(), "marigold") << "a wrong attempt must not rewrite the record";

    EXPECT_EQ(check("MariGold"), PasswordCheck::Matches);
    const std::string afterUpgrade = stored().text().value_or("");
    EXPECT_NE(afterUpgrade, "marigold");
    EXPECT_TRUE(afterUpgrade.starts_with("$argon2")) << afterUpgrade;

    EXPECT_EQ(check("marigold"), PasswordCheck::Matches);
    EXPECT_EQ(check("rose"), PasswordCheck::Wrong);
    EXPECT_EQ(stored().text(), afterUpgrade) << "the hash is written once";
}

TEST_F(PasswordTest, NullNeverMatchesAndEmptyTextMatchesOnlyAnEmptyEntry) {
    store(db::Value{});
    EXPECT_EQ(check(""), PasswordCheck::Wrong);
    EXPECT_EQ(check("tulip"), PasswordCheck::Wrong);
    EXPECT_TRUE(stored().isNull());

    store("");
    EXPECT_EQ(check("tulip"), PasswordCheck::Wrong);
    EXPECT_EQ(check(""), PasswordCheck::Matches);
}

TEST_F(PasswordTest, MissingPasswordRecordIsAFailureNotAMismatch) {
    db::RecordSet record(db(), db::schema::password());
    record.deleteCurrent();
    auto result = checkPassword(db(), "tulip");
    ASSERT_FALSE(result.ok());
    EXPECT_NE(result.message().find("password"), std::string::npos) << result.message();
}

} // namespace
} // namespace velmora
