#include "app/Password.h"
#include "jet/TypeMapping.h"
#include "jet/VelmoraMapping.h"
#include "support/JetSamples.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sodium.h>

namespace velmora {
namespace {

using jet::JetType;
using jet::StoreKind;

db::Value convert(StoreKind kind, const db::Value& raw, std::string* notice = nullptr) {
    auto converted = jet::convertValue(kind, raw);
    if (!converted)
        throw std::runtime_error(converted.message());
    if (notice)
        *notice = converted->notice;
    return converted->value;
}

std::string refusal(StoreKind kind, const db::Value& raw) {
    auto converted = jet::convertValue(kind, raw);
    return converted ? "accepted" : converted.message();
}

TEST(TypeMappingTest, CurrencyBecomesWholeCentsAndAFractionOfACentIsReportedWhenRounded) {
    std::string notice;
    EXPECT_EQ(convert(StoreKind::Cents, std::int64_t{123400}, &notice),
              db::Value(db::Money::fromCents(1234)));
    EXPECT_EQ(notice, "");
    EXPECT_EQ(convert(StoreKind::Cents, std::int64_t{123456}, &notice),
              db::Value(db::Money::fromCents(1235)));
    EXPECT_EQ(notice, "has fractions of a cent: 12.3456 is stored as 12.35");
    // Half a cent goes away from zero on both sides.
    EXPECT_EQ(convert(StoreKind::Cents, std::int64_t{-123450}, &notice),
              db::Value(db::Money::fromCents(-1235)));
    EXPECT_EQ(notice, "has fractions of a cent: -12.345 is stored as -12.35");
    EXPECT_EQ(convert(StoreKind::Cents, std::int64_t{-49}), db::Value(db::Money::fromCents(0)));
    EXPECT_EQ(convert(StoreKind::Cents, db::Value()), db::Value());
    EXPECT_NE(refusal(StoreKind::Cents, std::numeric_limits<std::int64_t>::max()), "accepted");
    EXPECT_EQ(jet::currencyText(std::numeric_limits<std::int64_t>::min()), "-922337203685477.5808");
}

TEST(TypeMappingTest, WholeNumbersTextAndYesNoKeepTheirValuesAndSixteenBitFieldsTheirRange) {
    EXPECT_EQ(convert(StoreKind::Integer16, std::int64_t{-32768}), db::Value(std::int64_t{-32768}));
    EXPECT_EQ(convert(StoreKind::Integer16, std::int64_t{32767}), db::Value(std::int64_t{32767}));
    EXPECT_EQ(refusal(StoreKind::Integer16, std::int64_t{70000}),
              "it holds 70000, outside the range of a 16-bit number (-32768 to 32767)");
    EXPECT_NE(refusal(StoreKind::Integer16, std::int64_t{-32769}), "accepted");
    EXPECT_EQ(convert(StoreKind::Integer, std::int64_t{4000000000}), db::Value(std::int64_t{4000000000}));

    EXPECT_EQ(convert(StoreKind::Text, db::Value("")), db::Value(""));
    EXPECT_EQ(convert(StoreKind::Text, db::Value()), db::Value());
    EXPECT_EQ(convert(StoreKind::YesNo, std::int64_t{1}), db::Value(true));
    EXPECT_EQ(convert(StoreKind::Counter, std::int64_t{1}), db::Value(std::int64_t{1}));
    EXPECT_EQ(refusal(StoreKind::Counter, db::Value()), "it is empty, and a counter never is");
    EXPECT_NE(refusal(StoreKind::Integer, db::Value("12")), "accepted");

    const db::Value hashed = convert(StoreKind::Password, db::Value("Tulip"));
    ASSERT_TRUE(hashed.isText());
    ASSERT_GE(sodium_init(), 0);
    EXPECT_EQ(crypto_pwhash_str_verify(hashed.text()->c_str(), "tulip", 5), 0) << "hashed in lower case";
    EXPECT_EQ(convert(StoreKind::Password, db::Value()), db::Value());
}

TEST(TypeMappingTest, DatesBecomeTextToTheSecondWithJetsCountOfDays) {
    EXPECT_EQ(jet::dateTimeText(0.5), "1899-12-30 12:00:00");
    // Before the base day the whole days count back, the fraction still forward from midnight.
    EXPECT_EQ(jet::dateTimeText(-1.25), "1899-12-29 06:00:00");
    EXPECT_EQ(jet::dateTimeText(34654.75), "1994-11-16 18:00:00");
    EXPECT_EQ(jet::dateTimeText(2958465.0 + 86399.4 / 86400), "9999-12-31 23:59:59");
    EXPECT_EQ(jet::dateTimeText(1.0 - 0.1 / 86400), "1899-12-31 00:00:00") << "rounded into the next day";
    EXPECT_EQ(jet::dateTimeText(2958466.0), std::nullopt);
    EXPECT_EQ(jet::dateTimeText(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
    EXPECT_EQ(convert(StoreKind::DateText, 36526.0), db::Value("2000-01-01 00:00:00"));
}

TEST(TypeMappingTest, EachStoreTakesOnlyTheJetTypesThatFitIt) {
    auto column = [](JetType type, bool counter = false) { return jet::JetColumn{"F", type, 4, counter}; };
    EXPECT_TRUE(jet::accepts(StoreKind::Text, column(JetType::Memo)));
    EXPECT_FALSE(jet::accepts(StoreKind::Text, column(JetType::DateTime)))
        << "dates are not guessed into text";
    EXPECT_TRUE(jet::accepts(StoreKind::Cents, column(JetType::Currency)));
    EXPECT_FALSE(jet::accepts(StoreKind::Cents, column(JetType::Double)));
    EXPECT_TRUE(jet::accepts(StoreKind::Integer16, column(JetType::Long)));
    EXPECT_FALSE(jet::accepts(StoreKind::YesNo, column(JetType::Integer)));
    EXPECT_EQ(jet::naturalKind(column(JetType::OleObject)), std::nullopt);
    EXPECT_EQ(jet::naturalKind(column(JetType::Long, true)), StoreKind::Integer);
}

const jet::ColumnPlan* planned(const jet::TablePlan& table, const std::string& target) {
    for (const auto& column : table.columns) {
        if (column.target == target)
            return &column;
    }
    return nullptr;
}

bool contains(const std::vector<std::string>& lines, const std::string& text) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const auto& line) { return line.find(text) != std::string::npos; });
}

TEST(VelmoraMappingTest, ACheckDatabaseMapsByNameKeepsItsIdsAndReportsWhatItLeavesOut) {
    const jet::JetSchema schema = testing::jetCheckDatabaseSchema();
    auto plan = jet::planCheckDatabase(schema, "PAYROLL.mdb");
    ASSERT_TRUE(plan) << plan.message();
    ASSERT_EQ(plan->tables.size(), 2u);
    const jet::TablePlan& account = plan->tables[0];
    EXPECT_EQ(account.target, "Account");
    EXPECT_EQ(account.columns.size(), 25u) << "every field, matched in any letter case";
    ASSERT_TRUE(account.rowIdColumn);
    EXPECT_EQ(account.columns[*account.rowIdColumn].target, "ID");
    EXPECT_EQ(planned(account, "Amount")->kind, StoreKind::Cents);
    EXPECT_EQ(planned(account, "Check")->source, *schema.tables[0].findColumn("check"));
    EXPECT_EQ(planned(account, "LabelPrint")->kind, StoreKind::YesNo);
    EXPECT_EQ(planned(account, "Comments")->kind, StoreKind::Text);
    EXPECT_FALSE(plan->tables[1].rowIdColumn) << "Properties has no counter";

    EXPECT_EQ(plan->leftOut.size(), 2u);
    EXPECT_TRUE(
        contains(plan->leftOut, "column Fax of table ACCOUNT (Text): not a field of a check database"));
    EXPECT_TRUE(contains(plan->leftOut, "table Log (12 rows): not a table of a check database"));
    EXPECT_TRUE(plan->notices.empty());
}

TEST(VelmoraMappingTest, AFileThatIsNoCheckDatabaseOrHasAFieldOfTheWrongTypeIsRefusedWithItsReason) {
    jet::JetSchema schema = testing::jetCheckDatabaseSchema();
    schema.tables[0].columns.erase(schema.tables[0].columns.begin() +
                                   *schema.tables[0].findColumn("LPrinted"));
    auto missingField = jet::planCheckDatabase(schema, "OLD.mdb");
    ASSERT_TRUE(missingField) << missingField.message();
    EXPECT_EQ(missingField->notices,
              std::vector<std::string>{"The table Account has no field LPrinted; it is left empty."});

    jet::JetSchema wrongType = testing::jetCheckDatabaseSchema();
    wrongType.tables[0].columns[*wrongType.tables[0].findColumn("Amount")].type = JetType::Text;
    EXPECT_EQ(jet::planCheckDatabase(wrongType, "A.mdb").message(),
              "A.mdb cannot be converted: the field Amount of its table Account is of the type Text, where "
              "Currency "
              "was expected.");

    jet::JetSchema noId = testing::jetCheckDatabaseSchema();
    noId.tables[0].columns.erase(noId.tables[0].columns.begin());
    EXPECT_EQ(jet::planCheckDatabase(noId, "A.mdb").message(),
              "A.mdb is not a check database: its table Account has no field ID.");

    jet::JetSchema other{4, {{"Customers", 91, {{"CustomerID", JetType::Text, 5}}}}};
    EXPECT_EQ(jet::planCheckDatabase(other, "nwind.mdb").message(),
              "nwind.mdb is not a check database: it has no table Account.");
    EXPECT_EQ(jet::planSettings(testing::jetCheckDatabaseSchema(), "PC.OVL").message(),
              "PC.OVL is not a settings file: it has no table A.");
}

TEST(VelmoraMappingTest, SettingsKeepTheSixteenBitOffsetsAndHashThePassword) {
    const jet::JetSchema schema = testing::jetSettingsSchema();
    auto plan = jet::planSettings(schema, "PC.OVL");
    ASSERT_TRUE(plan) << plan.message();
    ASSERT_EQ(plan->tables.size(), 3u);
    EXPECT_EQ(planned(plan->tables[0], "5")->kind, StoreKind::Integer16);
    EXPECT_EQ(planned(plan->tables[0], "AlignStart")->kind, StoreKind::Integer16);
    EXPECT_EQ(planned(plan->tables[0], "6")->kind, StoreKind::YesNo);
    EXPECT_EQ(planned(plan->tables[1], "ENTER")->kind, StoreKind::Password);
    EXPECT_TRUE(plan->tables[2].rowIdColumn) << "product type IDs are kept";
    EXPECT_TRUE(plan->leftOut.empty());
    // The remembered printer came after the Access files: its absence is no loss worth a notice.
    EXPECT_FALSE(planned(plan->tables[0], "Printer"));
    EXPECT_TRUE(plan->notices.empty());
}

} // namespace
} // namespace velmora
