// The record set over a table of 1,000,000 checks: opening, moving to the last row, 1,000 moves
// forward and a filtered select, beside plain SQLite reading the same table; opening a check database
// of that size and of one record; and what checking the whole file for damage costs.
#include "LargeCheckDatabase.h"
#include "db/CheckDatabase.h"
#include "db/CheckQueries.h"
#include "db/RecordSet.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>

using namespace velmora::db;

namespace {

constexpr int kRows = 1'000'000;

struct LargeDatabase {
    velmora::testing::TempDir dir;
    Connection db{dir / "large.mdb", OpenMode::Create};

    LargeDatabase() {
        schema::createCheckDatabaseTables(db);
        Transaction transaction(db);
        Statement insert(
            db, "INSERT INTO Account (FirstName, LastName, PayTo, Amount, \"Date\", \"Check\", Bank, ABA, "
                "Account, Print) VALUES (?, ?, ?, ?, '12/7/2026', ?, 'First Bank', '011000015', "
                "'12345D678', 'Once')");
        for (int i = 0; i < kRows; ++i) {
            insert.reset();
            insert.bind(1, "First" + std::to_string(i % 977));
            insert.bind(2, "Last" + std::to_string(i % 1009));
            insert.bind(3, i % 1000 == 0 ? "Smith & Sons" : "Payee " + std::to_string(i));
            insert.bind(4, std::int64_t{1000 + i % 50000});
            insert.bind(5, std::int64_t{100 + i});
            insert.run();
        }
        transaction.commit();
    }
};

LargeDatabase& large() {
    static LargeDatabase instance;
    return instance;
}

void BM_RecordSetOpen(benchmark::State& state) {
    auto& db = large().db;
    for (auto _ : state) {
        RecordSet records(db, schema::account());
        benchmark::DoNotOptimize(records.field("PayTo"));
    }
}
BENCHMARK(BM_RecordSetOpen)->Unit(benchmark::kMicrosecond);

void BM_RecordSetMoveLast(benchmark::State& state) {
    auto& db = large().db;
    RecordSet records(db, schema::account());
    for (auto _ : state) {
        records.moveLast();
        benchmark::DoNotOptimize(records.field("PayTo"));
    }
}
BENCHMARK(BM_RecordSetMoveLast)->Unit(benchmark::kMicrosecond);

void BM_RecordSetNext1000(benchmark::State& state) {
    auto& db = large().db;
    RecordSet records(db, schema::account());
    for (auto _ : state) {
        records.moveFirst();
        for (int i = 0; i < 1000; ++i) {
            records.moveNext();
            benchmark::DoNotOptimize(records.field("PayTo"));
        }
    }
}
BENCHMARK(BM_RecordSetNext1000)->Unit(benchmark::kMillisecond);

void BM_RecordSetCount(benchmark::State& state) {
    auto& db = large().db;
    for (auto _ : state) {
        RecordSet records(db, schema::account());
        benchmark::DoNotOptimize(records.recordCount());
    }
}
BENCHMARK(BM_RecordSetCount)->Unit(benchmark::kMillisecond);

// A search over the whole table: "*smith*" in the payee matches one row in a thousand.
void BM_RecordSetFilteredSelect(benchmark::State& state) {
    auto& db = large().db;
    for (auto _ : state) {
        RecordSet records(db, schema::account(), fieldContains(Dialect::Sqlite, field::kPayTo, "smith"));
        benchmark::DoNotOptimize(records.recordCount());
    }
}
BENCHMARK(BM_RecordSetFilteredSelect)->Unit(benchmark::kMillisecond);

void BM_PlainSqliteScanAllRows(benchmark::State& state) {
    auto& db = large().db;
    for (auto _ : state) {
        Statement scan(db, "SELECT * FROM Account ORDER BY ID");
        std::int64_t rows = 0;
        while (scan.step())
            ++rows;
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(BM_PlainSqliteScanAllRows)->Unit(benchmark::kMillisecond);

void BM_PlainSqliteFirst1000Rows(benchmark::State& state) {
    auto& db = large().db;
    for (auto _ : state) {
        Statement scan(db, "SELECT * FROM Account ORDER BY ID LIMIT 1001");
        while (scan.step())
            benchmark::DoNotOptimize(scan.columnText(9));
    }
}
BENCHMARK(BM_PlainSqliteFirst1000Rows)->Unit(benchmark::kMillisecond);

void BM_PlainSqliteLikeScan(benchmark::State& state) {
    auto& db = large().db;
    for (auto _ : state) {
        Statement scan(db, "SELECT count(*) FROM Account WHERE PayTo LIKE '%smith%'");
        scan.step();
        benchmark::DoNotOptimize(scan.columnInt(0));
    }
}
BENCHMARK(BM_PlainSqliteLikeScan)->Unit(benchmark::kMillisecond);

// Opening a check database as every screen and verb does, on 1,000,000 checks and on the template
// check alone: the whole-file check is made on the first opening, and again only when the file has
// changed since (db/SoundFiles.h), so the steady state is what a user meets every day.
void BM_OpenCheckDatabase(benchmark::State& state) {
    static velmora::testing::ProgramDirFixture small;
    static const bool made = (small.createDatabase("One", DatabaseType::Check), true);
    (void)made;
    const auto file = state.range(0) == 1 ? small.dir() / "One.mdb"
                                          : velmora::bench::large().program.dir() / velmora::bench::kDatabase;
    for (auto _ : state) {
        auto database = CheckDatabase::open(file);
        benchmark::DoNotOptimize(database.ok());
    }
}
BENCHMARK(BM_OpenCheckDatabase)->Arg(1)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// SQLite's checks of a whole file, each on a connection opened for it as opening a database would:
// the quick check reads every page; the integrity check also matches every index with its table.
void runFileCheck(benchmark::State& state, const char* pragma) {
    const auto path = large().db.path();
    for (auto _ : state) {
        Connection db(path, OpenMode::ReadOnly);
        Statement check(db, pragma);
        check.step();
        benchmark::DoNotOptimize(check.columnText(0));
    }
}

void BM_QuickCheck(benchmark::State& state) {
    runFileCheck(state, "PRAGMA quick_check");
}
BENCHMARK(BM_QuickCheck)->Unit(benchmark::kMillisecond);

void BM_IntegrityCheck(benchmark::State& state) {
    runFileCheck(state, "PRAGMA integrity_check");
}
BENCHMARK(BM_IntegrityCheck)->Unit(benchmark::kMillisecond);

} // namespace
