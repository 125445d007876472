#include "db/CheckRecord.h"
#include "db/RecordSet.h"
#include "db/Schema.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace velmora::db {
namespace {

// A record with a member of every kind a field table can point to.
struct Sample {
    std::int64_t id = 0;
    std::optional<std::string> name;
    std::optional<std::int64_t> count;
    std::optional<db::Money> amount;
    bool flag = false;
    std::optional<bool> choice;
    std::optional<std::string> added;
};

const RecordTable<Sample>& sampleTable() {
    // clang-format off
    static const RecordTable<Sample> table("Sample", {
        {{"ID",     FieldKind::Counter},                                 &Sample::id},
        {{"Name",   FieldKind::Text,    "a note"},                       &Sample::name,   "nobody"},
        {{"Count",  FieldKind::Integer, {}, Bounds{0, 99}},              &Sample::count,  7},
        {{"Amount", FieldKind::Money,   {}, Bounds{-100000, 100000}},    &Sample::amount},
        {{"Flag",   FieldKind::YesNo},                                   &Sample::flag,   true},
        {{"Choice", FieldKind::YesNo},                                   &Sample::choice},
        {{"Added",  FieldKind::Text,    {}, {}, schema::kVersion},       &Sample::added},
    });
    // clang-format on
    return table;
}

class RecordTableTest : public ::testing::Test {
protected:
    RecordTableTest() { db.exec(sampleTable().createSql()); }

    testing::TempDir dir;
    Connection db{dir / "sample.db", OpenMode::Create};
};

TEST_F(RecordTableTest, EveryKindOfMemberRoundTripsAndNullStaysApartFromNoAndEmpty) {
    Sample written;
    written.name = "";
    written.count = 42;
    written.amount = db::Money::fromCents(-1050);
    written.flag = true;
    written.choice = false;
    RecordSet records(db, sampleTable());
    records.addNew();
    sampleTable().write(records, written, {"Name", "Count", "Amount", "Flag", "Choice", "Added"});
    records.update();
    records.requery();

    const Sample read = sampleTable().read(records);
    EXPECT_EQ(read.id, 1);
    EXPECT_EQ(read.name, std::optional<std::string>(""));
    EXPECT_EQ(read.count, 42);
    EXPECT_EQ(read.amount, db::Money::fromCents(-1050));
    EXPECT_TRUE(read.flag);
    EXPECT_EQ(read.choice, std::optional<bool>(false));
    EXPECT_EQ(read.added, std::nullopt);
    // Stored as the kinds say: cents, 0 or 1, Null.
    Statement stored(db, "SELECT Amount, Choice, Added FROM Sample");
    ASSERT_TRUE(stored.step());
    EXPECT_EQ(stored.column(0), Value(std::int64_t{-1050}));
    EXPECT_EQ(stored.column(1), Value(std::int64_t{0}));
    EXPECT_TRUE(stored.isNull(2));

    // A Null yes/no reads as no in a plain flag and as nothing in an optional one.
    db.exec("UPDATE Sample SET Flag = NULL, Choice = NULL");
    records.requery();
    EXPECT_FALSE(sampleTable().read(records).flag);
    EXPECT_EQ(sampleTable().read(records).choice, std::nullopt);
}

TEST_F(RecordTableTest, NumbersBeyondTheirBoundsAreDamageNamingRecordAndField) {
    db.exec("INSERT INTO Sample (Count, Amount) VALUES (100, 5)");
    db.exec("INSERT INTO Sample (Count, Amount) VALUES (5, 100001)");
    db.exec("INSERT INTO Sample (Count, Amount) VALUES (99, -10.5)");
    RecordSet records(db, sampleTable());
    EXPECT_THROW(sampleTable().read(records), DamagedError);
    try {
        (void)records.field("Count");
    } catch (const DamagedError& error) {
        EXPECT_NE(std::string(error.what()).find("record 1 holds 100 in the field Count"), std::string::npos)
            << error.what();
    }
    EXPECT_EQ(records.field("Amount").money(), db::Money::fromCents(5)) << "only the bad field is refused";
    records.moveNext();
    EXPECT_THROW((void)records.field("Amount"), DamagedError);
    records.moveNext();
    EXPECT_EQ(sampleTable().read(records).count, 99);
    EXPECT_EQ(records.field("Amount"), Value(-10.5)) << "a real amount within bounds is handed on as stored";
}

TEST_F(RecordTableTest, DeliveredValuesAndFieldListsComeFromTheRows) {
    const Sample delivered = sampleTable().delivered();
    EXPECT_EQ(delivered.name, "nobody");
    EXPECT_EQ(delivered.count, 7);
    EXPECT_TRUE(delivered.flag);
    EXPECT_EQ(delivered.amount, std::nullopt);
    EXPECT_EQ(delivered.choice, std::nullopt);

    // A list of fields names rows of the table, in the order given; a name the table lacks is a
    // mistake of the program, caught at once.
    const auto order = schema::account().rowsOf({field::kZip, field::kCheck, field::kBusinessName});
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[0]->def.name, field::kZip);
    EXPECT_EQ(order[1]->def.kind, FieldKind::Integer);
    CheckRecord record;
    record.check = 1001;
    EXPECT_EQ(schema::account().value(record, *order[1]), Value(std::int64_t{1001}));
    EXPECT_TRUE(schema::account().value(record, *order[0]).isNull());
    EXPECT_THROW((void)schema::account().rowsOf({"Zipcode"}), std::logic_error);
}

TEST_F(RecordTableTest, AnOlderFileIsCheckedOnlyForItsOwnFieldsAndGetsTheNewOnesAdded) {
    testing::TempDir older;
    {
        Connection file(older / "old.db", OpenMode::Create);
        file.exec("CREATE TABLE Sample (ID INTEGER PRIMARY KEY, Name TEXT, Count INTEGER, Amount INTEGER, "
                  "Flag INTEGER, Choice INTEGER)");
        file.exec("INSERT INTO Sample (Name) VALUES ('kept')");
        file.setUserVersion(schema::kVersion - 1);
    }
    const TableDef* tables[] = {&sampleTable()};
    {
        Connection readOnly(older / "old.db", OpenMode::ReadOnly);
        EXPECT_TRUE(schema::verifyAndUpgrade(readOnly, tables)) << "a file opened to read is read as it is";
        EXPECT_EQ(readOnly.userVersion(), schema::kVersion - 1);
    }
    Connection file(older / "old.db", OpenMode::ReadWrite);
    ASSERT_TRUE(schema::verifyAndUpgrade(file, tables));
    EXPECT_EQ(file.userVersion(), schema::kVersion);
    RecordSet records(file, sampleTable());
    EXPECT_EQ(records.field("Name").text(), "kept");
    EXPECT_TRUE(records.field("Added").isNull());

    // A field of the file's own version that it lacks is damage, not an upgrade.
    file.exec("CREATE TABLE Broken (ID INTEGER PRIMARY KEY)");
    static const RecordTable<Sample> broken(
        "Broken", {{{"ID", FieldKind::Counter}, &Sample::id}, {{"Name", FieldKind::Text}, &Sample::name}});
    const TableDef* brokenTables[] = {&broken};
    const Status status = schema::verifyAndUpgrade(file, brokenTables);
    ASSERT_FALSE(status);
    EXPECT_NE(status.message().find("the table Broken lacks the field(s) Name"), std::string::npos)
        << status.message();
}

} // namespace
} // namespace velmora::db
