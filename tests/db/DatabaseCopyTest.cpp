#include "db/DatabaseCopy.h"

#include "db/CheckDatabase.h"
#include "db/DamagedFile.h"
#include "db/RecordSet.h"
#include "db/ServerDatabases.h"
#include "jet/FieldDigest.h"
#include "support/Fixtures.h"
#include "support/Stores.h"

#include <gtest/gtest.h>
#include <map>
#include <unistd.h>

namespace velmora::db {
namespace {

namespace fs = std::filesystem;
using testing::filesIn;

// Every field of every table of a check database as digests of (row key, value), by "Table.Field",
// with the number of rows of each table: what two databases must share to hold the same records.
// Read with a query of its own, not with the copy's reading, so that a fault of the copy's reading
// cannot hide in both sides alike.
std::map<std::string, std::pair<jet::FieldDigest, std::int64_t>> contents(Connection& db) {
    std::map<std::string, std::pair<jet::FieldDigest, std::int64_t>> digests;
    for (const TableDef* table : schema::checkDatabaseTables()) {
        const std::string name(table->name());
        std::string columns = db.rowKey(name);
        for (const FieldDef& field : table->fields())
            columns += ", " + quoteIdentifier(field.name);
        Statement rows(db, "SELECT " + columns + " FROM " + quoteIdentifier(name) + " ORDER BY 1");
        std::int64_t place = 0;
        while (rows.step()) {
            ++place;
            for (std::size_t i = 0; i < table->fields().size(); ++i) {
                auto& [digest, count] = digests[name + "." + std::string(table->fields()[i].name)];
                // Unnumbered tables are compared by the place of their rows, which a copy keeps.
                digest.add(table->numbered() ? rows.columnInt(0) : place,
                           rows.column(static_cast<int>(i + 1)));
                ++count;
            }
        }
    }
    return digests;
}

// The next ID the table Account hands out.
std::int64_t nextCheckId(Connection& db) {
    Transaction transaction(db);
    RecordSet checks(db, schema::account());
    checks.addNew();
    checks.update();
    return *checks.lastModified();
}

class DatabaseCopyTest : public ::testing::Test {
protected:
    void SetUp() override { VELMORA_SKIP_WITHOUT(store); }

    // A name on the server of this test process alone, dropped when the test ends.
    std::string serverName(const std::string& name) {
        const std::string stored = name + " " + std::to_string(::getpid());
        store.dropAtEnd(stored);
        return stored;
    }

    // "<name>.mdb" with `count` checks after the template: texts beyond ASCII, with quotes, braces and
    // backslashes, empty texts and Null, amounts and numbers up to their bounds; entries in the
    // register and a run of blank stock; its last check deleted, so that its counter stands past the
    // highest ID.
    fs::path filledFile(const std::string& name, int count) {
        auto database = program.createDatabase(name, DatabaseType::Check);
        testing::fillTemplateCheck(database);
        Connection& db = database.connection();
        Transaction transaction(db);
        RecordSet checks(db, schema::account());
        for (int i = 1; i <= count + 1; ++i) {
            checks.addNew();
            checks.setField(field::kPayTo, i % 11 == 0 ? Value()
                                           : i % 19 == 0
                                               ? Value("O'Neil \"Jr\", {NULL} \\ " + std::to_string(i))
                                               : Value("Payee \xc3\xa9 " + std::to_string(i)));
            checks.setField(field::kAmount, Money::fromCents(i % 13 == 0 ? kMaxAmountCents : i * 37));
            checks.setField(field::kCheck, std::int64_t{i % 17 == 0 ? kMaxCheckNumber : 1000 + i});
            checks.setField(field::kComments,
                            i % 5 == 0 ? Value("")
                                       : Value("Order of 3/" + std::to_string(i % 28 + 1) + "/2024\r\nline"));
            checks.setField(field::kPrint, i % 3 == 0 ? print_option::kMonthly : print_option::kOnce);
            checks.setField(field::kLabelPrint, i % 2 == 0);
            checks.update();
        }
        db.exec("DELETE FROM \"Account\" WHERE \"ID\" = (SELECT max(\"ID\") FROM \"Account\")");
        for (int i = 0; i < 3; ++i)
            testing::addRegisterEntry(database, {.run = 1,
                                                 .recordId = 2 + i,
                                                 .check = 1001 + i,
                                                 .printed = "3/7/2024",
                                                 .payTo = "Payee",
                                                 .amount = Money::fromCents(1250),
                                                 .aba = "211274450",
                                                 .account = "40021977",
                                                 .voided = {},
                                                 .reason = {}});
        RecordSet stock(db, schema::blankStockRuns());
        stock.addNew();
        schema::blankStockRuns().write(
            stock,
            {.run = 2,
             .printed = "2024-03-08",
             .product = "blank-checks",
             .firstCheck = 5001,
             .lastCheck = 5030,
             .aba = {},
             .account = {}},
            {field::kRun, field::kPrinted, field::kProduct, field::kFirstCheck, field::kLastCheck});
        stock.update();
        transaction.commit();
        return database.path();
    }

    testing::StoreFixture store{testing::Store::Server};
    testing::ProgramDirFixture program;
};

// A database of 100,000 checks goes to the server and back to a file with every row and field, every
// ID and every counter as they were.
TEST_F(DatabaseCopyTest, ALargeDatabaseGoesToTheServerAndBackWhole) {
    const fs::path file = filledFile("Payroll", 100'000);
    const std::string name = serverName("Payroll");
    const CopyResult up = copyToServer(file, store.server(), name);
    ASSERT_TRUE(up.ok()) << up.message;
    EXPECT_EQ(up.report.tables.size(), schema::checkDatabaseTables().size());
    EXPECT_EQ(up.report.rows(),
              100'001 + 1 + 3 + 1); // the checks and the template, properties, register, stock

    const fs::path back = program.dir() / "Payroll copy.mdb";
    const CopyResult down = copyToFile(store.server(), name, {back});
    ASSERT_TRUE(down.ok()) << down.message;
    EXPECT_EQ(down.report.rows(), up.report.rows());

    Connection original(file, OpenMode::ReadOnly);
    Connection onServer = Connection::toServer(store.server(), name, OpenMode::ReadWrite);
    Connection copied(back, OpenMode::ReadWrite);
    const auto expected = contents(original);
    EXPECT_EQ(contents(onServer), expected) << "file -> server";
    EXPECT_EQ(contents(copied), expected) << "file -> server -> file";
    EXPECT_EQ(fs::status(back).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    // The deleted last check's ID is never handed out again, on the server or in the copied file.
    EXPECT_EQ(nextCheckId(onServer), 100'003);
    EXPECT_EQ(nextCheckId(copied), 100'003);
    EXPECT_TRUE(CheckDatabase::open(back)) << "the copy opens as any check database";
}

// A copy that does not hold what the source holds is never kept: on the server it is rolled back, as
// a file it never takes its name (an existing file stays as it was), and the message names where.
TEST_F(DatabaseCopyTest, ACopyThatDiffersFromItsSourceIsNotKept) {
    const fs::path file = filledFile("Payroll", 20);
    const std::string name = serverName("Payroll");
    const CopyOptions planted{[](Connection& copy) {
        copy.exec("UPDATE \"Account\" SET \"Amount\" = \"Amount\" + 1 WHERE \"ID\" = 7");
    }};
    const CopyResult up = copyToServer(file, store.server(), name, planted);
    ASSERT_FALSE(up.ok());
    EXPECT_EQ(up.failure, CopyResult::Failure::Copy);
    EXPECT_NE(
        up.message.find(
            "in record 7 of the table Account, the field Amount of the copy does not hold what the source holds"),
        std::string::npos)
        << up.message;
    const auto listed = listServerDatabases(store.server());
    ASSERT_TRUE(listed) << listed.message();
    EXPECT_EQ(std::count(listed->begin(), listed->end(), name), 0) << "rolled back";

    ASSERT_TRUE(copyToServer(file, store.server(), name).ok());
    const fs::path target = store.dir() / "Kept.mdb";
    fs::copy_file(file, target);
    const std::string before = testing::fileContents(target);
    const CopyOptions lost{[](Connection& copy) { copy.exec("DELETE FROM \"Register\" WHERE \"ID\" = 3"); }};
    const CopyResult down = copyToFile(store.server(), name, {target, WhenExisting::Replace}, lost);
    ASSERT_FALSE(down.ok());
    EXPECT_NE(down.message.find("the copy of the table Register does not hold the 3 rows of the source"),
              std::string::npos)
        << down.message;
    EXPECT_EQ(testing::fileContents(target), before);
    EXPECT_EQ(filesIn(store.dir()), std::vector<std::string>{"Kept.mdb"}) << "no temporary left";

    // A damaged file is refused as on opening it; a value no check can carry, which only damage puts
    // into a file, is named and not copied.
    const fs::path torn = filledFile("Torn", 3);
    testing::repeatRowIdOnDisk(torn, "Account", 2);
    const CopyResult tornCopy = copyToServer(torn, store.server(), serverName("Torn"));
    EXPECT_EQ(tornCopy.failure, CopyResult::Failure::Source) << tornCopy.message;
    EXPECT_NE(tornCopy.message.find("damaged"), std::string::npos) << tornCopy.message;
    const struct {
        const char* damage;
        const char* undo;
        const char* named;
    } values[] = {
        {"\"Check\" = 'twelve'", "\"Check\" = 1004",
         "record 5 of the table Account holds \"twelve\" in the field Check"},
        {"\"PayTo\" = CAST(x'610062' AS TEXT)", "\"PayTo\" = 'ab'",
         "record 5 of the table Account holds a text with a NUL character in the field PayTo"},
    };
    const std::string damaged = serverName("Damaged");
    for (const auto& value : values) {
        Connection db(file, OpenMode::ReadWrite);
        db.exec(std::string("UPDATE \"Account\" SET ") + value.damage + " WHERE \"ID\" = 5");
        const CopyResult refused = copyToServer(file, store.server(), damaged);
        ASSERT_FALSE(refused.ok());
        EXPECT_NE(refused.message.find(value.named), std::string::npos) << refused.message;
        db.exec(std::string("UPDATE \"Account\" SET ") + value.undo + " WHERE \"ID\" = 5");
    }
}

TEST_F(DatabaseCopyTest, TakenNamesAndFilesThatMustNotBeReplacedAreRefused) {
    const fs::path file = filledFile("Payroll", 3);
    const std::string name = serverName("Payroll");
    ASSERT_TRUE(copyToServer(file, store.server(), name).ok());
    std::string upper = name;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const CopyResult taken = copyToServer(file, store.server(), upper);
    EXPECT_EQ(taken.message, "Payroll.mdb cannot be copied to the database server: " + upper +
                                 " already exists on the database server.");

    // An existing file is replaced only when the user says so, and then only a check database.
    const fs::path existing = store.dir() / "Existing.mdb";
    fs::copy_file(file, existing);
    const std::string before = testing::fileContents(existing);
    const CopyResult kept = copyToFile(store.server(), name, {existing});
    EXPECT_NE(kept.message.find("Existing.mdb already exists."), std::string::npos) << kept.message;
    EXPECT_EQ(testing::fileContents(existing), before);
    EXPECT_TRUE(copyToFile(store.server(), name, {existing, WhenExisting::Replace}).ok());

    fs::copy_file(program.dir() / "PC.OVL", store.dir() / "Settings.mdb");
    fs::create_symlink(existing, store.dir() / "Link.mdb");
    const struct {
        fs::path target;
        const char* why;
    } refusals[] = {
        {store.dir() / "PC.OVL", "ends in .mdb"},
        {store.dir() / "Payroll.bak", "ends in .mdb"},
        {store.dir() / "Settings.mdb", "is no check database of this program"},
        {store.dir() / "Link.mdb", "symbolic link"},
        {store.dir() / "EXISTING.mdb", "only in letter case"},
        {store.dir() / "no folder" / "New.mdb", "New.mdb"},
    };
    for (const auto& refusal : refusals) {
        const CopyResult refused = copyToFile(store.server(), name, {refusal.target, WhenExisting::Replace});
        ASSERT_FALSE(refused.ok()) << refusal.target;
        EXPECT_NE(refused.message.find(refusal.why), std::string::npos) << refused.message;
    }
    EXPECT_EQ(filesIn(store.dir()), (std::vector<std::string>{"Existing.mdb", "Link.mdb", "Settings.mdb"}));
    EXPECT_EQ(copyToFile(store.server(), "No such database", {store.dir() / "New.mdb"}).failure,
              CopyResult::Failure::Source);
}

} // namespace
} // namespace velmora::db
