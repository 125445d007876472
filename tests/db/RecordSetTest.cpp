#include "db/RecordSet.h"

#include "db/CheckQueries.h"
#include "db/CheckRecord.h"
#include "support/Stores.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace velmora::db;
using velmora::db::Money;
using velmora::testing::Store;
using velmora::testing::StoreFixture;

namespace {

// The record sets of a file and of a check database on the server behave alike.
class RecordSetTest : public ::testing::TestWithParam<Store> {
protected:
    void SetUp() override {
        VELMORA_SKIP_WITHOUT(store);
        db.emplace(store.emptyDatabase("test"));
    }

    std::int64_t add(const char* payTo, Value amount = {}) {
        RecordSet records(*db, schema::account());
        records.addNew();
        records.setField("PayTo", payTo);
        records.setField("Amount", amount);
        records.update();
        return *records.lastModified();
    }

    std::vector<std::string> walk(RecordSet& records) {
        std::vector<std::string> seen;
        for (records.moveFirst(); !records.eof(); records.moveNext())
            seen.push_back(records.field("PayTo").textOrEmpty());
        return seen;
    }

    Filter matching(const char* field, std::string pattern) const {
        return fieldMatches(store.dialect(), field, pattern);
    }

    StoreFixture store{GetParam()};
    std::optional<Connection> db;
};

TEST_P(RecordSetTest, EmptySetIsAtBothEnds) {
    RecordSet records(*db, schema::account());
    EXPECT_TRUE(records.eof());
    EXPECT_FALSE(records.hasCurrent());
    EXPECT_EQ(records.recordCount(), 0);
    records.moveLast();
    EXPECT_FALSE(records.hasCurrent());
    EXPECT_THROW(records.field("PayTo"), Error);
}

TEST_P(RecordSetTest, WalksInInsertionOrderAndStopsAtEitherEnd) {
    add("a");
    add("b");
    add("c");
    RecordSet records(*db, schema::account());
    EXPECT_EQ(walk(records), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(records.recordCount(), 3);

    records.moveLast();
    records.moveNext();
    EXPECT_TRUE(records.eof());
    records.moveNext(); // past the end stays there
    EXPECT_TRUE(records.eof());
    records.movePrevious(); // back from the end is the last row
    EXPECT_EQ(records.field("PayTo").text(), "c");

    records.moveFirst();
    records.movePrevious();
    EXPECT_TRUE(records.bof());
    records.moveNext();
    EXPECT_EQ(records.field("PayTo").text(), "a");
}

TEST_P(RecordSetTest, KeepsNullAndEmptyTextApart) {
    RecordSet records(*db, schema::account());
    records.addNew();
    records.setField("FirstName", "");
    records.update();
    records.moveFirst();
    EXPECT_FALSE(records.field("FirstName").isNull());
    EXPECT_EQ(records.field("FirstName").text(), "");
    EXPECT_TRUE(records.field("LastName").isNull());
    EXPECT_EQ(records.field("LastName").text(), std::nullopt);
}

TEST_P(RecordSetTest, AmountsRoundTripExactlyAsCents) {
    add("x", Money::fromCents(1999));
    add("y", *Money::parse("0.10"));
    RecordSet records(*db, schema::account());
    EXPECT_EQ(records.field("Amount").money(), Money::fromCents(1999));
    records.moveNext();
    EXPECT_EQ(records.field("Amount").money(), Money::fromCents(10));
    Statement raw(*db, store.dialect() == Dialect::Sqlite
                           ? "SELECT typeof(Amount), Amount FROM Account ORDER BY ID LIMIT 1"
                           : "SELECT CAST(pg_typeof(\"Amount\") AS TEXT), \"Amount\" FROM \"Account\" "
                             "ORDER BY \"ID\" LIMIT 1");
    ASSERT_TRUE(raw.step());
    EXPECT_EQ(raw.columnText(0), store.dialect() == Dialect::Sqlite ? "integer" : "bigint");
    EXPECT_EQ(raw.columnInt(1), 1999);
}

TEST_P(RecordSetTest, EditUpdatesOnlyTheCurrentRowAndCancelDiscards) {
    add("a");
    add("b");
    RecordSet records(*db, schema::account());
    records.moveLast();
    records.edit();
    records.setField("PayTo", "changed");
    EXPECT_EQ(records.field("PayTo").text(), "changed"); // the buffer is visible while editing
    records.update();
    records.moveFirst();
    records.edit();
    records.setField("PayTo", "discarded");
    records.cancelUpdate();
    EXPECT_EQ(walk(records), (std::vector<std::string>{"a", "changed"}));
}

TEST_P(RecordSetTest, AutoIncrementIdsAreNeverReused) {
    add("a");
    const auto second = add("b");
    RecordSet records(*db, schema::account());
    records.moveLast();
    records.deleteCurrent();
    const auto third = add("c");
    EXPECT_GT(third, second);
}

TEST_P(RecordSetTest, DeleteLeavesNoCurrentRowAndMovesOnFromWhereItStood) {
    add("a");
    add("b");
    add("c");
    RecordSet records(*db, schema::account());
    records.moveNext(); // b
    records.deleteCurrent();
    EXPECT_FALSE(records.hasCurrent());
    EXPECT_THROW(records.field("PayTo"), Error);
    records.movePrevious();
    EXPECT_EQ(records.field("PayTo").text(), "a");
    EXPECT_EQ(records.recordCount(), 2);

    records.moveNext();
    EXPECT_EQ(records.field("PayTo").text(), "c");
    records.deleteCurrent();
    records.moveNext();
    EXPECT_TRUE(records.eof());
}

TEST_P(RecordSetTest, SavingARowThatAnotherConnectionDeletedIsAnError) {
    add("a");
    RecordSet records(*db, schema::account());
    records.edit();
    records.setField("PayTo", "changed");
    Connection other = store.connect("test");
    other.exec("DELETE FROM \"Account\"");
    EXPECT_THROW(records.update(), Error);
}

// Another program (a print run from the command line) saves the row while this set holds it.
class RecordSetConflictTest : public RecordSetTest {
protected:
    void SetUp() override {
        RecordSetTest::SetUp();
        if (IsSkipped())
            return;
        other.emplace(store.connect("test"));
        db->exec(
            "INSERT INTO \"Account\" (\"PayTo\", \"Comments\", \"Print\") VALUES ('Ann', 'old note', 'Once')");
    }
    std::vector<std::string> stored() {
        Statement row(*other, "SELECT \"PayTo\", \"Comments\", \"Print\" FROM \"Account\"");
        row.step();
        return {row.columnText(0), row.columnText(1), row.columnText(2)};
    }
    // Sets the comments of every record on the other connection.
    void otherSets(const char* sql, const std::string& text) {
        Statement update(*other, sql);
        update.bind(1, text);
        update.run();
    }
    std::optional<Connection> other;
};

TEST_P(RecordSetConflictTest, SavingOverAChangeOnTheDiskFailsNamingItsFieldsAndWritesNothing) {
    RecordSet records(*db, schema::account());
    EXPECT_EQ(records.field("PayTo").text(), "Ann");
    records.edit();
    records.setField("PayTo", "Annie");
    otherSets("UPDATE \"Account\" SET \"Print\" = 'Never', \"Comments\" = ? || \"Comments\"",
              "Printed this check\r\n");
    try {
        records.update();
        ADD_FAILURE() << "the change on the disk went unnoticed";
    } catch (const ConflictError& conflict) {
        EXPECT_EQ(conflict.changedOnDisk(), (std::vector<std::string>{"Comments", "Print"}));
        EXPECT_NE(std::string(conflict.what()).find("record 1"), std::string::npos) << conflict.what();
    }
    EXPECT_EQ(stored(), (std::vector<std::string>{"Ann", "Printed this check\r\nold note", "Never"}));
    EXPECT_TRUE(records.editing()) << "the changes stay pending";

    // Keeping this set's values writes the fields it changed and no other.
    EXPECT_EQ(records.changedFields(), std::vector<std::string>{"PayTo"});
    records.update(RecordSet::OnConflict::KeepMine);
    EXPECT_EQ(stored(), (std::vector<std::string>{"Annie", "Printed this check\r\nold note", "Never"}));
    EXPECT_EQ(records.field("Comments").text(), "Printed this check\r\nold note") << "read again";
}

TEST_P(RecordSetConflictTest, AFieldSetToTheValueItWasReadWithIsNeverWrittenBack) {
    RecordSet records(*db, schema::account());
    // A screen hands back every box as it showed it, the comments among them.
    const Value shown = records.field("Comments");
    otherSets("UPDATE \"Account\" SET \"Comments\" = ?", "history line");
    records.edit();
    records.setField("Comments", shown);
    records.setField("PayTo", "Ann");
    EXPECT_TRUE(records.changedFields().empty());
    EXPECT_NO_THROW(records.update()) << "nothing to write, so nothing to conflict with";
    EXPECT_EQ(stored()[1], "history line");

    // A set's own saves one after the other are no conflict.
    records.edit();
    records.setField("PayTo", "Bob");
    records.update();
    records.edit();
    records.setField("PayTo", "Carl");
    records.update();
    EXPECT_EQ(stored(), (std::vector<std::string>{"Carl", "history line", "Once"}));
}

TEST_P(RecordSetTest, FilterNarrowsAndRequeryWidens) {
    add("Acme");
    add("Bolt");
    add("acme two");
    RecordSet records(*db, schema::account(), matching("PayTo", "acme*"));
    EXPECT_EQ(walk(records), (std::vector<std::string>{"Acme", "acme two"}));
    EXPECT_EQ(records.recordCount(), 2);
    records.requery(std::nullopt);
    EXPECT_EQ(records.recordCount(), 3);
}

TEST_P(RecordSetTest, RowAddedToAFilteredSetStaysInItUntilRequery) {
    add("Acme");
    RecordSet records(*db, schema::account(), matching("PayTo", "acme*"));
    records.addNew();
    records.setField("PayTo", "Zeta");
    records.update();
    records.moveLast();
    EXPECT_EQ(records.field("PayTo").text(), "Zeta");
    EXPECT_EQ(records.recordCount(), 2);
    records.requery();
    EXPECT_EQ(walk(records), (std::vector<std::string>{"Acme"}));
}

TEST_P(RecordSetTest, TypedTextWithQuotesIsBoundNotSpliced) {
    add("O'Brien \"Bob\"");
    add("Robert'); DROP TABLE Account; --");
    RecordSet records(*db, schema::account(), matching("PayTo", "*'); DROP*"));
    EXPECT_EQ(records.recordCount(), 1);
    records.requery(matching("PayTo", "O'Brien \"Bob\""));
    EXPECT_EQ(records.recordCount(), 1);
    EXPECT_TRUE(db->hasTable("Account"));
}

TEST_P(RecordSetTest, UnknownFieldsAndTablesAreErrorsNotCrashes) {
    add("a");
    RecordSet records(*db, schema::account());
    EXPECT_THROW(records.field("NoSuchField"), Error);
    EXPECT_THROW(records.setField("PayTo\" = 1; --", "x"), Error);
    EXPECT_THROW(RecordSet(*db, "Missing"), Error);
}

TEST_P(RecordSetTest, MoveToFindsOnlyRowsOfTheSet) {
    const auto a = add("Acme");
    const auto b = add("Bolt");
    RecordSet records(*db, schema::account(), matching("PayTo", "B*"));
    EXPECT_TRUE(records.moveTo(b));
    EXPECT_FALSE(records.moveTo(a));
    EXPECT_FALSE(records.moveTo(9999));
}

// A quick walk reads rows ahead on the server; a row changed before a move is still shown as changed.
TEST_P(RecordSetTest, AWalkShowsWhatWasChangedBeforeEachMove) {
    std::vector<std::int64_t> ids;
    for (int i = 0; i < 40; ++i)
        ids.push_back(add(("row " + std::to_string(i)).c_str()));
    const auto change = [](Connection& connection, std::int64_t id, const char* payTo) {
        RecordSet other(connection, schema::account());
        ASSERT_TRUE(other.moveTo(id));
        other.edit();
        other.setField("PayTo", payTo);
        other.update();
    };
    RecordSet walk(*db, schema::account());
    for (int i = 0; i < 10; ++i)
        walk.moveNext();
    ASSERT_EQ(walk.currentId(), ids[10]);

    change(*db, ids[11], "changed through this connection");
    walk.moveNext();
    EXPECT_EQ(walk.field("PayTo").textOrEmpty(), "changed through this connection");

    // Another desk's change of a row a few ahead, made a moment before the walk gets there.
    for (int i = 0; i < 5; ++i)
        walk.moveNext();
    ASSERT_EQ(walk.currentId(), ids[16]);
    Connection desk = store.connect("test");
    change(desk, ids[18], "changed at another desk");
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    walk.moveNext();
    walk.moveNext();
    EXPECT_EQ(walk.field("PayTo").textOrEmpty(), "changed at another desk");

    std::vector<std::int64_t> rest;
    for (walk.moveNext(); !walk.eof(); walk.moveNext())
        rest.push_back(*walk.currentId());
    EXPECT_EQ(rest, std::vector<std::int64_t>(ids.begin() + 19, ids.end()));
}

INSTANTIATE_TEST_SUITE_P(BothStores, RecordSetTest, ::testing::ValuesIn(velmora::testing::kBothStores),
                         velmora::testing::storeName);
INSTANTIATE_TEST_SUITE_P(BothStores, RecordSetConflictTest,
                         ::testing::ValuesIn(velmora::testing::kBothStores), velmora::testing::storeName);

} // namespace
