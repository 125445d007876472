// The data entry screen's commands on a check database of 1,000,000 checks, through CheckEntry (what
// the screen runs for each click): opening, New, Next, Previous, Delete, Save, and the lookup of a
// repeated check number, which reads the whole table while `Check` has no index.
#include "db/Sqlite.h"
#include "entry/CheckEntry.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <benchmark/benchmark.h>

using namespace velmora;

namespace {

constexpr int kRows = 1'000'000;
constexpr const char* kDatabase = "Big.mdb";

// A program directory holding Big.mdb: a check database with a filled template and 1,000,000
// filled checks, written in one transaction.
struct LargeCheckDatabase {
    testing::ProgramDirFixture program;

    LargeCheckDatabase() {
        auto database = program.createDatabase("Big", db::DatabaseType::Check);
        db::Connection& db = database.connection();
        db::Transaction transaction(db);
        db.exec(
            "UPDATE Account SET BusinessName = 'Harbor Lane Bakery', FirstName = 'Maria', LastName = "
            "'Delgado', Address = '1420 Harbor Lane', City = 'Portland', State = 'OR', Zip = '97209', Bank = "
            "'First Pacific Bank', BankCity = 'Portland', BankState = 'OR', ABA = '123000220', Account = "
            "'4471D0921', \"Date\" = '1/2/2024', \"Check\" = 100 WHERE ID = 1");
        db::Statement insert(
            db,
            "INSERT INTO Account (BusinessName, FirstName, LastName, Address, City, State, Zip, Phone, "
            "PayTo, "
            "Amount, \"Date\", \"Check\", \"For\", Bank, BankCity, BankState, ABA, Account, Comments, Print, "
            "LabelPrint, BusinessType) VALUES ('Harbor Lane Bakery', 'Maria', 'Delgado', '1420 Harbor Lane', "
            "'Portland', 'OR', '97209', '(503) 555-0142', ?, ?, '3/7/2024', ?, 'Monthly supplies', 'First "
            "Pacific Bank', 'Portland', 'OR', '123000220', '4471D0921', 'Order form of 3/1/2024', ?, 0, "
            "'Drafts')");
        for (int i = 0; i < kRows; ++i) {
            insert.reset();
            insert.bind(1, "Payee " + std::to_string(i));
            insert.bind(2, std::int64_t{1000 + i % 90000});
            insert.bind(3, std::int64_t{101 + i % 999000});
            insert.bind(4, i % 3 == 0 ? "Monthly" : "Once");
            insert.run();
        }
        transaction.commit();
    }
};

LargeCheckDatabase& large() {
    static LargeCheckDatabase instance;
    return instance;
}

struct OpenEntry {
    testing::ScriptedDialogs dialogs;
    entry::CheckEntry entry{dialogs, large().program.dir()};
    OpenEntry() {
        if (!entry.open(kDatabase))
            throw std::runtime_error(dialogs.shownTexts().at(0));
    }
};

void BM_Open(benchmark::State& state) {
    testing::ScriptedDialogs dialogs;
    entry::CheckEntry entry(dialogs, large().program.dir());
    for (auto _ : state) {
        entry.open(kDatabase);
        benchmark::DoNotOptimize(entry.field("PayTo"));
    }
}
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond);

void BM_New(benchmark::State& state) {
    OpenEntry open;
    for (auto _ : state) {
        open.entry.newCheck();
        benchmark::DoNotOptimize(open.entry.field("Check"));
    }
}
BENCHMARK(BM_New)->Unit(benchmark::kMillisecond);

void BM_Next(benchmark::State& state) {
    OpenEntry open;
    open.entry.gotoFirstCheck();
    for (auto _ : state) {
        open.entry.next();
        benchmark::DoNotOptimize(open.entry.field("PayTo"));
    }
}
BENCHMARK(BM_Next)->Unit(benchmark::kMillisecond);

void BM_Previous(benchmark::State& state) {
    OpenEntry open;
    for (auto _ : state) {
        open.entry.previous();
        benchmark::DoNotOptimize(open.entry.field("PayTo"));
    }
}
BENCHMARK(BM_Previous)->Unit(benchmark::kMillisecond);

// A typed change saved by the move that leaves the record.
void BM_EditThenNext(benchmark::State& state) {
    OpenEntry open;
    open.entry.gotoFirstCheck();
    for (auto _ : state) {
        (void)open.entry.setFieldText("PayTo", "Edited payee");
        open.entry.next();
    }
}
BENCHMARK(BM_EditThenNext)->Unit(benchmark::kMillisecond);

void BM_Delete(benchmark::State& state) {
    OpenEntry open;
    for (auto _ : state) {
        open.dialogs.queueAnswer(DialogAnswer::Yes);
        open.entry.deleteCheck();
        benchmark::DoNotOptimize(open.entry.field("PayTo"));
    }
}
BENCHMARK(BM_Delete)->Unit(benchmark::kMillisecond);

// A number that no other check carries: the index on the check number answers at once.
void BM_RepeatedCheckNumberLookup(benchmark::State& state) {
    OpenEntry open;
    (void)open.entry.setFieldText("Check", "5000000");
    for (auto _ : state)
        benchmark::DoNotOptimize(open.entry.checkNumberWarning());
}
BENCHMARK(BM_RepeatedCheckNumberLookup)->Unit(benchmark::kMillisecond);

} // namespace
