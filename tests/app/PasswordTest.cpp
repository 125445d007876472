#include "app/Password.h"

#include "app/SettingsStore.h"
#include "db/RecordSet.h"
#include "db/Schema.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

class PasswordTest : public ::testing::Test {
protected:
    PasswordTest()
        : settings_(std::move(app::SettingsStore::open(program_.dir()).value())) {}

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
    app::PasswordCheck check(const std::string& typed) {
        auto result = app::checkPassword(db(), typed);
        EXPECT_TRUE(result.ok()) << result.message();
        return result.ok() ? *result : app::PasswordCheck::Wrong;
    }

    testing::ProgramDirFixture program_;
    app::SettingsStore settings_;
};

TEST_F(PasswordTest, DeliveredPasswordMatchesInAnyLetterCaseButIsNotTrimmed) {
    EXPECT_EQ(check("tulip"), app::PasswordCheck::Matches);
    EXPECT_EQ(check("TULIP"), app::PasswordCheck::Matches);
    EXPECT_EQ(check("TuLiP"), app::PasswordCheck::Matches);
    EXPECT_EQ(check("tulip "), app::PasswordCheck::Wrong);
    EXPECT_EQ(check(" tulip"), app::PasswordCheck::Wrong);
    EXPECT_EQ(check("tuli"), app::PasswordCheck::Wrong);
    EXPECT_EQ(check(""), app::PasswordCheck::Wrong);
    // The delivered file keeps no plain text.
    EXPECT_NE(stored().text().value_or(""), "tulip");
}

TEST_F(PasswordTest, LegacyPlainTextIsAcceptedOnceAndReplacedByItsHash) {
    store("marigold");
    EXPECT_EQ(check("rose"), app::PasswordCheck::Wrong);
    EXPECT_EQ(stored().text(), "marigold") << "a wrong attempt must not rewrite the record";

    EXPECT_EQ(check("MariGold"), app::PasswordCheck::Matches);
    const std::string afterUpgrade = stored().text().value_or("");
    EXPECT_NE(afterUpgrade, "marigold");
    EXPECT_TRUE(afterUpgrade.starts_with("$argon2")) << afterUpgrade;

    EXPECT_EQ(check("marigold"), app::PasswordCheck::Matches);
    EXPECT_EQ(check("rose"), app::PasswordCheck::Wrong);
    EXPECT_EQ(stored().text(), afterUpgrade) << "the hash is written once";
}

TEST_F(PasswordTest, NullNeverMatchesAndEmptyTextMatchesOnlyAnEmptyEntry) {
    store(db::Value{});
    EXPECT_EQ(check(""), app::PasswordCheck::Wrong);
    EXPECT_EQ(check("tulip"), app::PasswordCheck::Wrong);
    EXPECT_TRUE(stored().isNull());

    store("");
    EXPECT_EQ(check("tulip"), app::PasswordCheck::Wrong);
    EXPECT_EQ(check(""), app::PasswordCheck::Matches);
}

// A damaged or forged settings file must not make every log-in take gigabytes of memory or hours.
TEST_F(PasswordTest, AHashAskingForMoreMemoryOrPassesThanAllowedIsADamagedFileAndIsNotChecked) {
    const char* const salted = "$c2FsdHNhbHRzYWx0c2FsdA$aGFzaGhhc2hoYXNoaGFzaGhhc2hoYXNoaGFzaGhhc2g";
    for (const char* costs : {"m=4194304,t=2,p=1", "m=19456,t=4294967295,p=1", "m=19456,t=2,p=4096"}) {
        store(std::string("$argon2id$v=19$") + costs + salted);
        const auto result = app::checkPassword(db(), "tulip");
        ASSERT_FALSE(result.ok()) << costs;
        EXPECT_NE(result.message().find("PC.OVL is damaged"), std::string::npos) << result.message();
        EXPECT_NE(result.message().find("more than the 256 MiB and 16 passes allowed"), std::string::npos)
            << result.message();
        EXPECT_NE(result.message().find("Restore PC.OVL from a backup copy"), std::string::npos);
    }
    for (const char* malformed :
         {"$argon2id$v=19$m=1x,t=2,p=1$a$b", "$argon2id$", "$argon2id$v=19$m=8,t=1$a$b",
          "$argon2d$v=19$m=8,t=1,p=1$a$b", "$argon2id$v=19$t=1,m=8,p=1$a$b"}) {
        store(malformed);
        const auto result = app::checkPassword(db(), "tulip");
        ASSERT_FALSE(result.ok()) << malformed;
        EXPECT_NE(result.message().find("not a valid password hash"), std::string::npos) << result.message();
    }
}

TEST_F(PasswordTest, MissingPasswordRecordIsAFailureNotAMismatch) {
    db::RecordSet record(db(), db::schema::password());
    record.deleteCurrent();
    auto result = app::checkPassword(db(), "tulip");
    ASSERT_FALSE(result.ok());
    EXPECT_NE(result.message().find("password"), std::string::npos) << result.message();
}

} // namespace
} // namespace velmora
