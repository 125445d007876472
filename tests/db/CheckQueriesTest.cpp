#include "db/CheckQueries.h"

#include "entry/RecordSearch.h"
#include "support/Fixtures.h"
#include "support/Stores.h"

#include <gtest/gtest.h>

namespace velmora::db {
namespace {

using testing::addCheck;
namespace f = field;

// The queries of a file and of a check database on the server select alike.
class CheckQueriesTest : public ::testing::TestWithParam<testing::Store> {
protected:
    void SetUp() override {
        VELMORA_SKIP_WITHOUT(store);
        stored.emplace(store.createDatabase("Payroll", DatabaseType::Check));
    }

    // The IDs a filter selects, in table order.
    std::vector<std::int64_t> selected(Filter filter) {
        std::vector<std::int64_t> ids;
        for (RecordSet records(stored->connection(), schema::account(), std::move(filter));
             records.hasCurrent(); records.moveNext())
            ids.push_back(*records.currentId());
        return ids;
    }

    testing::StoreFixture store{GetParam()};
    std::optional<CheckDatabase> stored;
};

TEST_P(CheckQueriesTest, SelectionsAndTheirCountsTakeTheTemplateCheckAndOnlyTheExactOptions) {
    testing::setCheckFields(*stored, 1, {{f::kPrint, "Once"}});
    const auto never = addCheck(*stored, {{f::kPrint, "Never"}, {f::kLabelPrint, true}});
    const auto monthly = addCheck(*stored, {{f::kPrint, "Monthly"}, {f::kLabelPrint, true}});
    const auto unlabelled = addCheck(*stored, {{f::kPrint, "Monthly"}, {f::kLabelPrint, false}});
    addCheck(*stored, {{f::kPrint, "once"}, {f::kLabelPrint, true}}); // not an option: selected by none

    const Result<SelectionCounts> counts = countSelections(stored->connection());
    ASSERT_TRUE(counts) << counts.message();
    EXPECT_EQ(counts->once, 1);
    EXPECT_EQ(counts->monthly, 2);
    EXPECT_EQ(counts->onceLabels, 1);
    EXPECT_EQ(counts->monthlyLabels, 1);

    // The filters the runs print through select what the counts counted.
    EXPECT_EQ(selected(checksToPrint(true, false)), std::vector<std::int64_t>{1});
    EXPECT_EQ(selected(checksToPrint(false, true)), (std::vector<std::int64_t>{monthly, unlabelled}));
    EXPECT_EQ(selected(checksToPrint(true, true)), (std::vector<std::int64_t>{1, monthly, unlabelled}));
    EXPECT_EQ(selected(labelsToPrint(store.dialect(), true, false)), std::vector<std::int64_t>{never});
    EXPECT_EQ(selected(labelsToPrint(store.dialect(), true, true)),
              (std::vector<std::int64_t>{never, monthly}));
}

TEST_P(CheckQueriesTest, FieldContainsFindsTheTextAnywhereBoundNotSpliced) {
    const auto a = addCheck(*stored, {{f::kCheck, 145}, {f::kLastName, "O'Brien"}});
    const auto b = addCheck(*stored, {{f::kCheck, 455}, {f::kLastName, ""}});
    const auto c = addCheck(*stored, {{f::kCheck, 4500}, {f::kLastName, "Smith"}});
    addCheck(*stored, {{f::kCheck, 1234}});

    // A number field is matched as its decimal text.
    EXPECT_EQ(selected(fieldContains(store.dialect(), f::kCheck, "45")),
              (std::vector<std::int64_t>{a, b, c}));
    EXPECT_EQ(selected(fieldContains(store.dialect(), f::kLastName, "'B")), std::vector<std::int64_t>{a});
    EXPECT_EQ(selected(fieldContains(store.dialect(), f::kLastName, "mit")), std::vector<std::int64_t>{c});
    // Nothing typed: every record whose field holds a value, an empty text included, but no Null.
    EXPECT_EQ(selected(fieldContains(store.dialect(), f::kLastName, "")),
              (std::vector<std::int64_t>{a, b, c}));
    // The typed text keeps the meaning of the pattern characters.
    EXPECT_EQ(selected(fieldContains(store.dialect(), f::kLastName, "S?ith")), std::vector<std::int64_t>{c});
    EXPECT_THROW((void)fieldContains(store.dialect(), "Surname", "x"), std::logic_error);
}

TEST_P(CheckQueriesTest, LookupsOfNumbersAndTheTemplateCheck) {
    testing::setCheckFields(*stored, 1, {{f::kBusinessName, "Harbor Lane Bakery"}, {f::kCheck, 500}});
    const auto first = addCheck(*stored, {{f::kCheck, 1050}});
    addCheck(*stored, {{f::kCheck, 17}});

    // The physically last record, not the highest number.
    EXPECT_EQ(lastRecordCheckNumber(stored->connection()).value(), std::optional<std::int64_t>(17));
    EXPECT_TRUE(otherCheckHasNumber(stored->connection(), 1050, 1).value());
    EXPECT_FALSE(otherCheckHasNumber(stored->connection(), 1050, first).value());
    EXPECT_FALSE(otherCheckHasNumber(stored->connection(), 999, 1).value());

    const auto templateCheck = readTemplateCheck(stored->connection());
    ASSERT_TRUE(templateCheck);
    ASSERT_TRUE(templateCheck->has_value());
    EXPECT_EQ((*templateCheck)->id, 1);
    EXPECT_EQ((*templateCheck)->businessName, "Harbor Lane Bakery");

    // A damaged number is not handed on; the lookup fails with the reason instead.
    stored->connection().exec("UPDATE \"Account\" SET \"Check\" = -5 WHERE \"ID\" = 1");
    const auto damaged = readTemplateCheck(stored->connection());
    ASSERT_FALSE(damaged);
    EXPECT_NE(damaged.message().find("is damaged"), std::string::npos) << damaged.message();
}

// A search reads every record where no index answers it: a million on the server take seconds.
TEST(CheckQueriesOnTheServer, EverySearchOfTheDataEntryScreenIsAnsweredByAnIndex) {
    testing::StoreFixture store(testing::Store::Server);
    VELMORA_SKIP_WITHOUT(store);
    CheckDatabase stored = store.createDatabase("Searched", DatabaseType::Check);
    Connection& db = stored.connection();
    // The few records of a test are read whole by the planner's choice; an index it can use it takes.
    db.exec("SET enable_seqscan = off");
    for (const entry::SearchEntry& search : entry::searchEntries()) {
        if (!search.field)
            continue;
        const Filter filter = fieldContains(Dialect::Postgres, search.field, "Smith");
        Statement explain(db, "EXPLAIN SELECT \"ID\" FROM \"Account\" WHERE " + filter.where);
        explain.bind(1, filter.parameters.at(0));
        std::string plan;
        while (explain.step())
            plan += explain.columnText(0) + "\n";
        EXPECT_NE(plan.find("Index Scan on \"Account" + std::string(search.field) + "Search\""),
                  std::string::npos)
            << search.field << ":\n"
            << plan;
    }
}

TEST(CheckQueries, HistoryLinesGoInFrontOfTheComments) {
    EXPECT_EQ(withHistoryLine("Printed", std::nullopt), "Printed\r\n");
    EXPECT_EQ(withHistoryLine("Printed", std::string("older\r\nlines")), "Printed\r\nolder\r\nlines");
}

INSTANTIATE_TEST_SUITE_P(BothStores, CheckQueriesTest, ::testing::ValuesIn(testing::kBothStores),
                         testing::storeName);

} // namespace
} // namespace velmora::db
