#include "base/Clock.h"
#include "db/CheckDatabase.h"
#include "db/Connection.h"
#include "db/RegisterQueries.h"
#include "support/Fixtures.h"
#include "support/Stores.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace velmora::db {
namespace {

using testing::addCheck;
using testing::addRegisterEntry;
using ::testing::HasSubstr;
using testing::registerEntries;
namespace f = field;

// An issued entry of `number` for $12.50 on the routing and account numbers given.
RegisterEntry issued(std::int64_t number, std::int64_t recordId, std::string printed = "2026-12-06",
                     std::optional<std::string> account = "4002 1977",
                     std::optional<std::string> aba = "211274450") {
    RegisterEntry entry;
    entry.run = 1;
    entry.recordId = recordId;
    entry.check = number;
    entry.printed = std::move(printed);
    entry.payTo = "Casco Feed & Grain";
    entry.amount = Money::fromCents(1250);
    entry.aba = std::move(aba);
    entry.account = std::move(account);
    return entry;
}

class RegisterTest : public ::testing::Test {
protected:
    RegisterTest()
        : database(program.createDatabase("Payroll", DatabaseType::Check)) {
        Clock::setToday(Date{2026, 12, 9});
    }
    ~RegisterTest() override { Clock::setToday(std::nullopt); }

    Connection& connection() { return database.connection(); }

    testing::ProgramDirFixture program;
    CheckDatabase database;
    const DrawnOn account = DrawnOn::of("211274450", "40021977");
};

// What the register does alike in a file and in a check database on the office's server.
class RegisterOnBothStoresTest : public ::testing::TestWithParam<testing::Store> {
protected:
    RegisterOnBothStoresTest() { Clock::setToday(Date{2026, 12, 9}); }
    ~RegisterOnBothStoresTest() override { Clock::setToday(std::nullopt); }
    void SetUp() override {
        VELMORA_SKIP_WITHOUT(store);
        database.emplace(store.createDatabase("Payroll", DatabaseType::Check));
    }

    Connection& connection() { return database->connection(); }

    testing::StoreFixture store{GetParam()};
    std::optional<CheckDatabase> database;
    const DrawnOn account = DrawnOn::of("211274450", "40021977");
};
INSTANTIATE_TEST_SUITE_P(BothStores, RegisterOnBothStoresTest, ::testing::ValuesIn(testing::kBothStores),
                         testing::storeName);

TEST_F(RegisterTest, AFileWithoutTheRegisterGetsItOnOpeningAndKeepsItsChecks) {
    addCheck(database, {{f::kCheck, 1001}, {f::kPayTo, "Anne"}, {f::kComments, "kept"}});
    const std::filesystem::path file = database.path();
    const auto accountRows = [](Connection& db) {
        std::string rows;
        for (Statement all(db, "SELECT * FROM Account ORDER BY ID"); all.step();)
            for (int i = 0; i < all.columnCount(); ++i)
                rows += all.column(i).textOrEmpty() + "|";
        return rows;
    };
    std::string before;
    {
        // As an older build left it: no register, version 4.
        Connection old(file, OpenMode::ReadWrite);
        old.exec("DROP TABLE Register");
        old.exec("DROP TABLE BlankStock");
        old.setUserVersion(4);
        before = accountRows(old);
    }
    {
        // Opened to read only it is read as it is: no register, none shown.
        auto readOnly = CheckDatabase::open(file, OpenMode::ReadOnly);
        ASSERT_TRUE(readOnly) << readOnly.message();
        EXPECT_FALSE(readOnly->connection().hasTable("Register"));
        EXPECT_EQ(registerEntries(*readOnly).size(), 0u);
        EXPECT_EQ(registerTotals(readOnly->connection(), {})->count, 0);
    }
    auto upgraded = CheckDatabase::open(file);
    ASSERT_TRUE(upgraded) << upgraded.message();
    Connection& db = upgraded->connection();
    EXPECT_EQ(db.userVersion(), schema::kVersion);
    EXPECT_TRUE(db.hasTable("Register"));
    EXPECT_TRUE(db.hasTable("BlankStock"));
    EXPECT_EQ(accountRows(db), before);
    Statement indexes(db,
                      "SELECT count(*) FROM sqlite_master WHERE type = 'index' AND tbl_name = 'Register'");
    ASSERT_TRUE(indexes.step());
    EXPECT_EQ(indexes.columnInt(0), 2); // number, date printed
    // And it takes entries at once.
    addRegisterEntry(*upgraded, issued(1001, 2));
    EXPECT_EQ(registerEntries(*upgraded).size(), 1u);
}

TEST_P(RegisterOnBothStoresTest, WhatTheRegisterHoldsOnAnAccount) {
    const auto own = addCheck(*database, {{f::kCheck, 1001}});
    addRegisterEntry(*database, issued(1001, own));
    RegisterEntry voided = issued(1002, 9);
    voided.state = register_state::kVoid;
    voided.voided = "2026-12-08";
    addRegisterEntry(*database, voided);
    BlankStockRun blank;
    blank.run = 3;
    blank.printed = "2026-11-30";
    blank.product = "blank checks";
    blank.firstCheck = 2001;
    blank.lastCheck = 2100;
    blank.aba = "211274450";
    blank.account = "4002-1977";
    RegisterWriter(connection()).add(blank);

    struct Case {
        std::int64_t number;
        DrawnOn on;
        std::optional<std::int64_t> own;
        std::optional<NumberHeld::By> held;
    };
    const DrawnOn other = DrawnOn::of("211274450", "55555");
    const Case cases[] = {
        {1001, account, std::nullopt, NumberHeld::By::IssuedCheck},
        {1001, account, own, std::nullopt},        // the check itself, printed again
        {1001, other, std::nullopt, std::nullopt}, // another account: drafts on customers' accounts
        {1001, DrawnOn::of("211274450", ""), std::nullopt, std::nullopt}, // no account: nothing tracked
        {1002, account, 9, NumberHeld::By::VoidedCheck}, // void is never used again, not even by its own
        {2050, account, std::nullopt, NumberHeld::By::BlankStock},
        {2101, account, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<NumberHeld> held = numberHeld(connection(), c.number, c.on, c.own);
        EXPECT_EQ(held ? std::optional(held->by) : std::nullopt, c.held) << c.number;
    }
    EXPECT_EQ(describeHeld(1002, *numberHeld(connection(), 1002, account)),
              "Check #1002 was voided on 12/8/2026 (record 9) and is never used again.");
    EXPECT_EQ(describeHeld(2050, *numberHeld(connection(), 2050, account)),
              "Check #2050 was printed on blank checks on 11/30/2026.");

    // The numbering passes over every number held, a run of blank stock at once, and wraps as
    // renumbering does.
    EXPECT_EQ(firstFreeNumber(connection(), 1001, account), 1003);
    EXPECT_EQ(firstFreeNumber(connection(), 2001, account), 2101);
    EXPECT_EQ(firstFreeNumber(connection(), 1001, other), 1001);
    addRegisterEntry(*database, issued(999900, 8));
    EXPECT_EQ(firstFreeNumber(connection(), 999900, account), 101);
}

TEST_P(RegisterOnBothStoresTest, VoidingAnEntryDatesItAndPutsAHistoryLineOnItsCheck) {
    const auto check = addCheck(*database, {{f::kCheck, 1001}, {f::kComments, "old notes"}});
    addRegisterEntry(*database, issued(1001, check));

    const Result<RegisterEntry> found = findIssuedCheck(connection(), 1001, std::nullopt);
    ASSERT_TRUE(found) << found.message();
    const Result<RegisterEntry> voided = voidEntry(connection(), found->id, "spoiled in the printer");
    ASSERT_TRUE(voided) << voided.message();
    const RegisterEntry entry = registerEntries(*database).front();
    EXPECT_TRUE(entry.isVoid());
    EXPECT_EQ(entry.voided, "2026-12-09");
    EXPECT_EQ(entry.reason, "spoiled in the printer");
    EXPECT_EQ(testing::readCheck(*database, check).comments,
              "Voided check #1001 For $12.5 on 12/9/2026: spoiled in the printer  \r\nold notes");

    // Once only, and a number the register never held cannot be voided.
    EXPECT_THAT(voidEntry(connection(), found->id, "").message(), HasSubstr("voided already, on 12/9/2026"));
    EXPECT_THAT(findIssuedCheck(connection(), 1001, std::nullopt).message(), HasSubstr("voided already"));
    EXPECT_THAT(findIssuedCheck(connection(), 1005, std::nullopt).message(),
                HasSubstr("holds no printed check #1005"));
    // A check whose record was deleted is voided all the same.
    addRegisterEntry(*database, issued(1006, 999));
    EXPECT_TRUE(voidEntry(connection(), findIssuedCheck(connection(), 1006, std::nullopt)->id, ""));
}

TEST_P(RegisterOnBothStoresTest, ANumberHeldOnSeveralAccountsIsVoidedByItsAccount) {
    addRegisterEntry(*database, issued(501, 2, "2026-12-06", "111"));
    addRegisterEntry(*database, issued(501, 3, "2026-12-06", "222"));
    EXPECT_THAT(findIssuedCheck(connection(), 501, std::nullopt).message(),
                HasSubstr("check #501 on 2 accounts (111, 222)"));
    const Result<RegisterEntry> second = findIssuedCheck(connection(), 501, "222");
    ASSERT_TRUE(second) << second.message();
    EXPECT_EQ(second->recordId, 3);
}

TEST_P(RegisterOnBothStoresTest, ViewsCountTotalAndPageInTheOrderOfTheRegister) {
    // Entries recorded out of order, one number twice (on two accounts), one of them void.
    const std::int64_t numbers[] = {1005, 1001, 1003, 1003, 1002, 1004, 1000};
    for (std::size_t i = 0; i < std::size(numbers); ++i) {
        RegisterEntry entry = issued(numbers[i], 10 + static_cast<std::int64_t>(i),
                                     "2026-12-0" + std::to_string(1 + i), "acct" + std::to_string(i));
        entry.amount = Money::fromCents(100 * (static_cast<std::int64_t>(i) + 1));
        if (numbers[i] == 1002) {
            entry.state = register_state::kVoid;
            entry.voided = "2026-12-20";
        }
        addRegisterEntry(*database, entry);
    }
    struct Case {
        RegisterView view;
        std::vector<std::int64_t> numbers;
        std::int64_t cents;
        std::int64_t issuedCents;
    };
    using V = RegisterView;
    const Case cases[] = {
        {{}, {1000, 1001, 1002, 1003, 1003, 1004, 1005}, 2800, 2300},
        {{"2026-12-02", "2026-12-05", V::States::All, V::Dates::Printed},
         {1001, 1002, 1003, 1003},
         1400,
         900},
        {{"2026-12-02", std::nullopt, V::States::Issued, V::Dates::Printed},
         {1000, 1001, 1003, 1003, 1004},
         2200,
         2200},
        {{std::nullopt, std::nullopt, V::States::Void, V::Dates::Printed}, {1002}, 500, 0},
        // Positive pay: printed in the range, or voided in it.
        {{"2026-12-20", "2026-12-31", V::States::All, V::Dates::PrintedOrVoided}, {1002}, 500, 0},
    };
    for (const Case& c : cases) {
        const Result<RegisterTotals> totals = registerTotals(connection(), c.view);
        ASSERT_TRUE(totals) << totals.message();
        EXPECT_EQ(totals->count, static_cast<std::int64_t>(c.numbers.size()));
        EXPECT_EQ(totals->cents, c.cents);
        EXPECT_EQ(totals->issuedCents, c.issuedCents);
        // Paging by place and paging on from the end of the page before read the same entries.
        std::vector<std::int64_t> byPlace;
        std::vector<std::int64_t> onwards;
        std::optional<RegisterKey> after;
        for (std::int64_t skip = 0; skip < 9; skip += 2) {
            for (const RegisterEntry& entry : registerPage(connection(), c.view, std::nullopt, skip, 2))
                byPlace.push_back(entry.check);
            const std::vector<RegisterEntry> page = registerPage(connection(), c.view, after, 0, 2);
            for (const RegisterEntry& entry : page)
                onwards.push_back(entry.check);
            if (!page.empty())
                after = RegisterKey{page.back().check, page.back().id};
        }
        EXPECT_EQ(byPlace, c.numbers);
        EXPECT_EQ(onwards, c.numbers);
    }
}

} // namespace
} // namespace velmora::db
