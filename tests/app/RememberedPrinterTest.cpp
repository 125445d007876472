#include "app/ProgramDir.h"
#include "app/SettingsStore.h"
#include "db/CheckRecord.h"
#include "db/DatabaseProperties.h"
#include "db/RecordSet.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace velmora::app {
namespace {

using testing::TempDir;

Status rememberPrinter(SettingsStore& store, std::optional<std::string> printer) {
    db::SettingsRecord chosen;
    chosen.printer = std::move(printer);
    return store.write(chosen, {db::setting::kPrinter});
}

// The printer chosen in Printer Setup is kept in the settings record for the next start.
TEST(RememberedPrinterTest, ASettingsFileOfTheVersionBeforeGainsTheFieldAndKeepsItsValues) {
    TempDir dir;
    ASSERT_TRUE(prepareProgramDir(dir.path()));
    {
        // PC.OVL as version 2 wrote it: none of the fields added since.
        db::Connection old(dir / kSettingsFileName, db::OpenMode::ReadWrite);
        for (const db::FieldDef& field : db::schema::settings().fields()) {
            if (field.since > 2)
                old.exec("ALTER TABLE Properties DROP COLUMN " + db::quoteIdentifier(field.name));
        }
        old.exec("UPDATE Properties SET AlignStart = 375");
        old.setUserVersion(2);
    }
    auto store = SettingsStore::open(dir.path());
    ASSERT_TRUE(store) << store.message();
    EXPECT_EQ(store->connection().userVersion(), db::schema::kVersion);
    const Result<db::SettingsRecord> settings = store->read();
    ASSERT_TRUE(settings) << settings.message();
    EXPECT_FALSE(settings->printer); // the system's default printer
    EXPECT_EQ(settings->verticalStart, 375);

    ASSERT_TRUE(rememberPrinter(*store, "Office-Laser"));
    EXPECT_EQ(SettingsStore::open(dir.path())->read()->printer, "Office-Laser");
    EXPECT_EQ(SettingsStore::open(dir.path())->read()->verticalStart, 375);
    ASSERT_TRUE(rememberPrinter(*store, std::nullopt)); // back to the system's default
    db::RecordSet record(store->connection(), db::schema::settings());
    EXPECT_TRUE(record.field(db::setting::kPrinter).isNull());
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
} // namespace velmora::app
