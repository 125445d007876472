#include "app/SettingsStore.h"

#include "app/Password.h"
#include "app/ProgramDir.h"
#include "app/ProgramSetup.h"
#include "db/RecordSet.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace velmora {
namespace {

namespace setting = db::setting;
using Columns = std::vector<std::pair<std::string, std::string>>;

// name -> declared type of every column of a table, as another tool would see them.
Columns columnsOf(db::Connection& db, const char* table) {
    db::Statement info(db, "SELECT name, type FROM pragma_table_info(?1)");
    info.bind(1, std::string(table));
    Columns columns;
    while (info.step())
        columns.emplace_back(info.columnText(0), info.columnText(1));
    return columns;
}

class SettingsStoreTest : public ::testing::Test {
protected:
    SettingsStoreTest() {
        if (Status status = app::prepareProgramDir(dir.path()); !status)
            throw std::runtime_error(status.message());
    }
    app::SettingsStore open() {
        auto store = app::SettingsStore::open(dir.path());
        if (!store)
            throw std::runtime_error(store.message());
        return std::move(store.value());
    }

    testing::TempDir dir;
};

TEST_F(SettingsStoreTest, TheDeliveredFileHoldsExactlyTheSettingsTablesWithTheirDeliveredValues) {
    {
        db::Connection file(dir / app::kSettingsFileName, db::OpenMode::ReadOnly);
        EXPECT_EQ(columnsOf(file, "Properties"), (Columns{{"1", "TEXT"},
                                                          {"5", "INTEGER"},
                                                          {"AlignStart", "INTEGER"},
                                                          {"6", "INTEGER"},
                                                          {"QuickenCheckStock", "INTEGER"},
                                                          {"Print2Checks", "INTEGER"},
                                                          {"PlainPaper", "INTEGER"},
                                                          {"HelpAboutLine1", "TEXT"},
                                                          {"HelpAboutLine2", "TEXT"},
                                                          {"HelpAboutLine3", "TEXT"},
                                                          {"Printer", "TEXT"},
                                                          {"AmountInWords", "INTEGER"},
                                                          {"AmountWithCents", "INTEGER"},
                                                          {"DatabaseServer", "TEXT"},
                                                          {"ServerRequiresTls", "INTEGER"}}));
        EXPECT_EQ(columnsOf(file, "A"), (Columns{{"ENTER", "TEXT"}}));
        EXPECT_EQ(columnsOf(file, "BusinessType"), (Columns{{"ID", "INTEGER"}, {"BusinessType", "TEXT"}}));
        EXPECT_EQ(file.userVersion(), db::schema::kVersion);
    }
    app::SettingsStore store = open();
    const db::SettingsRecord settings = store.read().value();
    EXPECT_EQ(settings.tranCode, std::optional<std::string>(""));
    EXPECT_EQ(settings.horizontalStart, 525);
    EXPECT_EQ(settings.verticalStart, 200);
    EXPECT_FALSE(settings.backupOnExit);
    EXPECT_EQ(settings.quickenCheckStock, true);
    EXPECT_EQ(settings.print2Checks, false);
    EXPECT_FALSE(settings.amountInWords);
    EXPECT_FALSE(settings.amountWithCents);
    EXPECT_FALSE(settings.aboutLines()[0].empty());
    EXPECT_EQ(app::checkPassword(store.connection(), "tulip").value(), app::PasswordCheck::Matches);
    const auto types = store.productTypes();
    ASSERT_TRUE(types);
    ASSERT_FALSE(types->empty());
    EXPECT_FALSE(types->front().empty());
}

TEST_F(SettingsStoreTest, WriteStoresTheNamedFieldsOnlyAndTheNextReadSeesThem) {
    app::SettingsStore store = open();
    db::SettingsRecord changed = store.read().value();
    changed.verticalStart = 375;
    changed.horizontalStart = -40;
    changed.tranCode = "not named, not written";
    ASSERT_TRUE(store.write(changed, {setting::kVerticalStart, setting::kHorizontalStart}));

    // Another screen opening the file now reads the new values, and nothing else changed.
    app::SettingsStore other = open();
    const db::SettingsRecord read = other.read().value();
    EXPECT_EQ(read.verticalStart, 375);
    EXPECT_EQ(read.horizontalStart, -40);
    EXPECT_EQ(read.tranCode, std::optional<std::string>(""));
    EXPECT_EQ(read.quickenCheckStock, true);
}

TEST_F(SettingsStoreTest, AFileOfVersionThreeGainsTheAmountOptionsOffAndProgramSetupStoresThemWithTheServer) {
    {
        db::Connection old(dir / app::kSettingsFileName, db::OpenMode::ReadWrite);
        // A file of version 3 has none of the fields added since.
        for (const auto& row : db::schema::settings().rows()) {
            if (row.def.since > 3)
                old.exec("ALTER TABLE Properties DROP COLUMN " + std::string(row.def.name));
        }
        old.exec(R"(UPDATE Properties SET "6" = 1, "1" = '77')");
        old.setUserVersion(3);
    }
    auto setup = app::ProgramSetup::open(dir.path());
    ASSERT_TRUE(setup) << setup.message();
    EXPECT_FALSE(setup->settings().amountInWords);
    EXPECT_FALSE(setup->settings().amountWithCents);
    EXPECT_TRUE(setup->settings().backupOnExit);
    EXPECT_TRUE(setup->settings().server().empty()) << "no database server until one is named";
    {
        db::Connection file(dir / app::kSettingsFileName, db::OpenMode::ReadOnly);
        EXPECT_EQ(file.userVersion(), db::schema::kVersion);
        db::Statement added(file, "SELECT AmountInWords IS NULL AND AmountWithCents IS NULL FROM Properties");
        ASSERT_TRUE(added.step());
        EXPECT_EQ(added.columnInt(0), 1) << "an upgraded file leaves the options Null: off";
    }

    ASSERT_TRUE(setup->storeOptions({"77", true, true, false, {}}));
    db::SettingsRecord read = open().read().value();
    EXPECT_TRUE(read.amountInWords);
    EXPECT_FALSE(read.amountWithCents);
    EXPECT_TRUE(read.backupOnExit);
    EXPECT_EQ(read.tranCode, std::optional<std::string>("77"));
    const ServerAddress office{"host=office dbname=checks", true};
    ASSERT_TRUE(setup->storeOptions({"77", true, false, true, office}));
    read = open().read().value();
    EXPECT_FALSE(read.amountInWords);
    EXPECT_TRUE(read.amountWithCents);
    EXPECT_EQ(read.server(), office);

    // An address holding a password is refused with the reason, and nothing at all is stored.
    const Status refused =
        setup->storeOptions({"88", false, true, false, {"host=office password=tulip", false}});
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.message().find("password"), std::string::npos) << refused.message();
    read = open().read().value();
    EXPECT_EQ(read.tranCode, std::optional<std::string>("77"));
    EXPECT_EQ(read.server(), office);
    EXPECT_TRUE(read.amountWithCents);

    // Emptying the field names no server again.
    ASSERT_TRUE(setup->storeOptions({"77", true, false, true, {}}));
    EXPECT_TRUE(open().read().value().server().empty());
}

TEST_F(SettingsStoreTest, FailuresComeBackAsMessagesNeverAsExceptions) {
    testing::TempDir empty;
    const auto missing = app::SettingsStore::open(empty.path());
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.message().find("PC.OVL is missing"), std::string::npos) << missing.message();

    app::SettingsStore store = open();
    store.connection().exec("CREATE TRIGGER Frozen BEFORE UPDATE ON Properties "
                            "BEGIN SELECT RAISE(ABORT, 'the settings are frozen'); END");
    db::SettingsRecord changed;
    changed.plainPaper = true;
    const Status written = store.write(changed, {setting::kPlainPaper});
    ASSERT_FALSE(written);
    EXPECT_NE(written.message().find("the settings are frozen"), std::string::npos) << written.message();

    store.connection().exec("DELETE FROM Properties");
    const auto read = store.read();
    ASSERT_FALSE(read);
    EXPECT_EQ(read.message(), "PC.OVL holds no settings record.");

    store.connection().exec("DROP TABLE BusinessType");
    const auto types = store.productTypes();
    ASSERT_FALSE(types);
    EXPECT_NE(types.message().find("BusinessType"), std::string::npos) << types.message();
}

} // namespace
} // namespace velmora
