#include "db/CheckQueries.h"

#include "support/Fixtures.h"

#include <gtest/gtest.h>

namespace velmora::db {
namespace {

using testing::addCheck;
namespace f = field;

class CheckQueriesTest : public ::testing::Test {
protected:
    CheckQueriesTest()
        : database(program.createDatabase("Payroll", DatabaseType::Check)) {}

    // The IDs a filter selects, in table order.
    std::vector<std::int64_t> selected(Filter filter) {
        std::vector<std::int64_t> ids;
        for (RecordSet records(database.connection(), schema::account(), std::move(filter));
             records.hasCurrent(); records.moveNext())
            ids.push_back(*records.currentId());
        return ids;
    }

    testing::ProgramDirFixture program;
    CheckDatabase database;
};

TEST_F(CheckQueriesTest, SelectionsAndTheirCountsTakeTheTemplateCheckAndOnlyTheExactOptions) {
    testing::setCheckFields(database, 1, {{f::kPrint, "Once"}});
    const auto never = addCheck(database, {{f::kPrint, "Never"}, {f::kLabelPrint, true}});
    const auto monthly = addCheck(database, {{f::kPrint, "Monthly"}, {f::kLabelPrint, true}});
    const auto unlabelled = addCheck(database, {{f::kPrint, "Monthly"}, {f::kLabelPrint, false}});
    addCheck(database, {{f::kPrint, "once"}, {f::kLabelPrint, true}}); // not an option: selected by none

    const Result<SelectionCounts> counts = countSelections(database.connection());
    ASSERT_TRUE(counts) << counts.message();
    EXPECT_EQ(counts->once, 1);
    EXPECT_EQ(counts->monthly, 2);
    EXPECT_EQ(counts->onceLabels, 1);
    EXPECT_EQ(counts->monthlyLabels, 1);

    // The filters the runs print through select what the counts counted.
    EXPECT_EQ(selected(checksToPrint(true, false)), std::vector<std::int64_t>{1});
    EXPECT_EQ(selected(checksToPrint(false, true)), (std::vector<std::int64_t>{monthly, unlabelled}));
    EXPECT_EQ(selected(checksToPrint(true, true)), (std::vector<std::int64_t>{1, monthly, unlabelled}));
    EXPECT_EQ(selected(labelsToPrint(true, false)), std::vector<std::int64_t>{never});
    EXPECT_EQ(selected(labelsToPrint(true, true)), (std::vector<std::int64_t>{never, monthly}));
}

TEST_F(CheckQueriesTest, FieldContainsFindsTheTextAnywhereBoundNotSpliced) {
    const auto a = addCheck(database, {{f::kCheck, 145}, {f::kLastName, "O'Brien"}});
    const auto b = addCheck(database, {{f::kCheck, 455}, {f::kLastName, ""}});
    const auto c = addCheck(database, {{f::kCheck, 4500}, {f::kLastName, "Smith"}});
    addCheck(database, {{f::kCheck, 1234}});

    // A number field is matched as its decimal text.
    EXPECT_EQ(selected(fieldContains(Dialect::Sqlite, f::kCheck, "45")),
              (std::vector<std::int64_t>{a, b, c}));
    EXPECT_EQ(selected(fieldContains(Dialect::Sqlite, f::kLastName, "'B")), std::vector<std::int64_t>{a});
    EXPECT_EQ(selected(fieldContains(Dialect::Sqlite, f::kLastName, "mit")), std::vector<std::int64_t>{c});
    // Nothing typed: every record whose field holds a value, an empty text included, but no Null.
    EXPECT_EQ(selected(fieldContains(Dialect::Sqlite, f::kLastName, "")),
              (std::vector<std::int64_t>{a, b, c}));
    // The typed text keeps the meaning of the pattern characters.
    EXPECT_EQ(selected(fieldContains(Dialect::Sqlite, f::kLastName, "S?ith")), std::vector<std::int64_t>{c});
    EXPECT_THROW((void)fieldContains(Dialect::Sqlite, "Surname", "x"), std::logic_error);
}

TEST_F(CheckQueriesTest, LookupsOfNumbersAndTheTemplateCheck) {
    testing::setCheckFields(database, 1, {{f::kBusinessName, "Harbor Lane Bakery"}, {f::kCheck, 500}});
    const auto first = addCheck(database, {{f::kCheck, 1050}});
    addCheck(database, {{f::kCheck, 17}});

    // The physically last record, not the highest number.
    EXPECT_EQ(lastRecordCheckNumber(database.connection()).value(), std::optional<std::int64_t>(17));
    EXPECT_TRUE(otherCheckHasNumber(database.connection(), 1050, 1).value());
    EXPECT_FALSE(otherCheckHasNumber(database.connection(), 1050, first).value());
    EXPECT_FALSE(otherCheckHasNumber(database.connection(), 999, 1).value());

    const auto templateCheck = readTemplateCheck(database.connection());
    ASSERT_TRUE(templateCheck);
    ASSERT_TRUE(templateCheck->has_value());
    EXPECT_EQ((*templateCheck)->id, 1);
    EXPECT_EQ((*templateCheck)->businessName, "Harbor Lane Bakery");

    // A damaged number is not handed on; the lookup fails with the reason instead.
    database.connection().exec("UPDATE Account SET \"Check\" = -5 WHERE ID = 1");
    const auto damaged = readTemplateCheck(database.connection());
    ASSERT_FALSE(damaged);
    EXPECT_NE(damaged.message().find("is damaged"), std::string::npos) << damaged.message();
}

TEST_F(CheckQueriesTest, HistoryLinesGoInFrontOfTheComments) {
    EXPECT_EQ(withHistoryLine("Printed", std::nullopt), "Printed\r\n");
    EXPECT_EQ(withHistoryLine("Printed", std::string("older\r\nlines")), "Printed\r\nolder\r\nlines");
}

} // namespace
} // namespace velmora::db
