#include "app/ProgramDir.h"
#include "app/Settings.h"
#include "db/RecordSet.h"
#include "db/Schema.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using testing::TempDir;

// The printer chosen in Printer Setup is kept in the settings record for the next start.
TEST(RememberedPrinterTest, ASettingsFileOfTheVersionBeforeGainsTheFieldAndKeepsItsValues) {
    TempDir dir;
    ASSERT_TRUE(prepareProgramDir(dir.path()));
    {
        // PC.OVL as the previous version wrote it: no Printer field, version 2.
        db::Connection old(dir / kSettingsFileName, db::OpenMode::ReadWrite);
        old.exec("ALTER TABLE Properties DROP COLUMN Printer");
        old.exec("UPDATE Properties SET AlignStart = 375");
        old.setUserVersion(2);
    }
    auto store = SettingsStore::open(dir.path());
    ASSERT_TRUE(store) << store.message();
    EXPECT_EQ(store->connection().userVersion(), db::schema::kVersion);
    const SettingsRecord settings = store->read();
    EXPECT_FALSE(settings.printer); // the system's default printer
    EXPECT_EQ(settings.verticalStart, 375);

    ASSERT_TRUE(store->savePrinter(std::string("Office-Laser")));
    EXPECT_EQ(SettingsStore::open(dir.path())->read().printer, "Office-Laser");
    // Back to the system's default: no name, and an empty one is no name either.
    ASSERT_TRUE(store->savePrinter(std::string()));
    EXPECT_FALSE(SettingsStore::open(dir.path())->read().printer);
    ASSERT_TRUE(store->savePrinter(std::string("Front-Desk")));
    ASSERT_TRUE(store->savePrinter(std::nullopt));
    db::RecordSet record(store->connection(), db::schema::settings());
    EXPECT_TRUE(record.field(setting::kPrinter).isNull());
}

TEST(RememberedPrinterTest, ACheckDatabaseIsNotGivenTheSettingsField) {
    TempDir dir;
    ASSERT_TRUE(prepareProgramDir(dir.path()));
    {
        db::Connection old(dir / "template.ref", db::OpenMode::ReadWrite);
        old.setUserVersion(2);
    }
    db::Connection upgraded(dir / "template.ref", db::OpenMode::ReadWrite);
    const db::TableDef* tables[] = {&db::schema::account(), &db::schema::databaseProperties()};
    ASSERT_TRUE(db::schema::verifyAndUpgrade(upgraded, tables));
    db::Statement columns(upgraded,
                          "SELECT count(*) FROM pragma_table_info('Properties') WHERE name = 'Printer'");
    ASSERT_TRUE(columns.step());
    EXPECT_EQ(columns.columnInt(0), 0);
    EXPECT_EQ(upgraded.userVersion(), db::schema::kVersion);
}

} // namespace
} // namespace velmora
