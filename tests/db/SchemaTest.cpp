#include "db/CheckDatabase.h"
#include "db/DatabaseFiles.h"
#include "db/RecordSet.h"
#include "support/TempDir.h"

#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <limits>

using velmora::Status;
using namespace velmora::db;
using ::testing::HasSubstr;
using velmora::testing::TempDir;

namespace {

// name -> declared type of every column of a table, as another tool would see them.
std::vector<std::pair<std::string, std::string>> columnsOf(Connection& db, const char* table) {
    Statement info(db, "SELECT name, type FROM pragma_table_info(?1)");
    info.bind(1, std::string(table));
    std::vector<std::pair<std::string, std::string>> columns;
    while (info.step())
        columns.emplace_back(info.columnText(0), info.columnText(1));
    return columns;
}

using Columns = std::vector<std::pair<std::string, std::string>>;

TEST(DeliveredFiles, TemplateHoldsOneEmptyTemplateCheckAndAPropertiesRecord) {
    TempDir dir;
    ASSERT_TRUE(writeTemplateFile(dir / kTemplateFileName));
    auto database = CheckDatabase::open(dir / kTemplateFileName, OpenMode::ReadOnly);
    ASSERT_TRUE(database) << database.message();
    const Columns account = columnsOf(database->connection(), "Account");
    ASSERT_EQ(account.size(), 25u);
    EXPECT_EQ(account.front(), (std::pair<std::string, std::string>{"ID", "INTEGER"}));
    EXPECT_THAT(account, ::testing::Contains(std::pair<std::string, std::string>{"Amount", "INTEGER"}));
    EXPECT_THAT(account, ::testing::Contains(std::pair<std::string, std::string>{"LabelPrint", "INTEGER"}));
    EXPECT_EQ(columnsOf(database->connection(), "Properties"),
              (Columns{{"AccountType", "TEXT"}, {"Description", "TEXT"}, {"LastCheck", "INTEGER"}}));

    RecordSet records(database->connection(), schema::account());
    EXPECT_EQ(records.recordCount(), 1);
    EXPECT_EQ(records.field("ID").integer(), 1);
    EXPECT_TRUE(records.field("BusinessName").isNull());
    EXPECT_TRUE(records.field("Print").isNull()); // the template never prints as a check
}

TEST(OpeningFiles, NamesTheFileAndWhatIsWrong) {
    TempDir dir;
    std::ofstream(dir / "junk.mdb") << "this is not a database at all, just some text that is long enough";
    auto junk = CheckDatabase::open(dir / "junk.mdb");
    ASSERT_FALSE(junk);
    EXPECT_THAT(junk.message(), HasSubstr("junk.mdb"));

    {
        Connection db(dir / "half.mdb", OpenMode::Create);
        db.exec("CREATE TABLE Account (ID INTEGER PRIMARY KEY, PayTo TEXT)");
        db.exec("CREATE TABLE Properties (AccountType TEXT, Description TEXT, LastCheck INTEGER)");
    }
    auto half = CheckDatabase::open(dir / "half.mdb");
    ASSERT_FALSE(half);
    EXPECT_THAT(half.message(), HasSubstr("half.mdb"));
    EXPECT_THAT(half.message(), HasSubstr("BusinessName"));

    {
        Connection db(dir / "notables.mdb", OpenMode::Create);
        db.exec("CREATE TABLE Other (x)");
    }
    auto none = CheckDatabase::open(dir / "notables.mdb");
    ASSERT_FALSE(none);
    EXPECT_THAT(none.message(), HasSubstr("no table Account"));

    EXPECT_FALSE(CheckDatabase::open(dir / "missing.mdb"));
}

TEST(OpeningFiles, RefusesAFileOfANewerOrANegativeVersionAndUpgradesAnUnversionedOne) {
    TempDir dir;
    ASSERT_TRUE(writeTemplateFile(dir / kTemplateFileName));
    ASSERT_TRUE(createDatabase(dir.path(), "Future", DatabaseType::Check));
    ASSERT_TRUE(createDatabase(dir.path(), "Negative", DatabaseType::Check));
    ASSERT_TRUE(createDatabase(dir.path(), "Old", DatabaseType::Check));
    {
        Connection db(dir / "Future.mdb", OpenMode::ReadWrite);
        db.setUserVersion(schema::kVersion + 1);
        // Found by the fuzzer: the upgrade stepped up from here one version at a time.
        Connection negative(dir / "Negative.mdb", OpenMode::ReadWrite);
        negative.setUserVersion(std::numeric_limits<int>::min());
        Connection old(dir / "Old.mdb", OpenMode::ReadWrite);
        old.setUserVersion(0);
    }
    auto future = CheckDatabase::open(dir / "Future.mdb");
    ASSERT_FALSE(future);
    EXPECT_THAT(future.message(), HasSubstr("newer version"));
    auto negative = CheckDatabase::open(dir / "Negative.mdb");
    ASSERT_FALSE(negative);
    EXPECT_THAT(negative.message(), HasSubstr("version stamp"));

    {
        Connection old(dir / "Old.mdb", OpenMode::ReadWrite);
        old.exec("DROP INDEX AccountCheckNumber");
        old.exec("DROP INDEX AccountPrintOption");
        old.setUserVersion(1);
    }
    auto readOnly = CheckDatabase::open(dir / "Old.mdb", OpenMode::ReadOnly);
    ASSERT_TRUE(readOnly) << readOnly.message();
    EXPECT_EQ(readOnly->connection().userVersion(), 1);

    auto old = CheckDatabase::open(dir / "Old.mdb");
    ASSERT_TRUE(old) << old.message();
    EXPECT_EQ(old->connection().userVersion(), schema::kVersion);
    // The indexes made since version 1 are made for it.
    for (const auto& [query, index] :
         {std::pair{"SELECT ID FROM Account WHERE \"Check\" = 5", "AccountCheckNumber"},
          std::pair{"SELECT ID FROM Account WHERE Print = 'Once'", "AccountPrintOption"}}) {
        Statement plan(old->connection(), std::string("EXPLAIN QUERY PLAN ") + query);
        ASSERT_TRUE(plan.step());
        EXPECT_THAT(plan.columnText(3), HasSubstr(index));
    }
}

TEST(BackupNames, ReplaceTheExtensionOnly) {
    EXPECT_EQ(backupFileName("PAYROLL.MDB"), "PAYROLL.bak");
    EXPECT_EQ(backupFileName("A.mdb"), "A.bak");
    // With a dot in the name, the backup can never be another database's file.
    EXPECT_EQ(backupFileName("x.abc.mdb"), "x.abc.bak");
    EXPECT_EQ(backupFileName("Smith Co. Payroll.mdb"), "Smith Co. Payroll.bak");
}

} // namespace
