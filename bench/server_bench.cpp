// The server store beside the file store on the same check databases: 1,000,000 checks (1,000 in the
// test command's smoke run) for opening a check database as the data entry screen opens it, Next, a
// search, the print run of three checks among them all and an export; and a run of
// 3,000 checks to a PDF file. Each benchmark runs once per store ("file", "server"), on data filled
// by the same statement, so the two figures sit side by side.
//
// The server cases need the private test server (scripts/postgres-test-server.sh) named by
// VELMORA_PG_TEST_SERVER and skip, saying so, without it. The time is the wall-clock time, which is
// what a user waits; "CPU" is this process's alone, and the counter server_cpu_ms adds what the
// server's process for the connection spent meanwhile (both run on this machine; the helpers it
// starts for a parallel scan are not counted).
#include "FilledChecks.h"
#include "LargeCheckDatabase.h"
#include "db/CheckDatabase.h"
#include "db/CheckQueries.h"
#include "db/Postgres.h"
#include "db/RecordSet.h"
#include "entry/TemplateValues.h"
#include "export/ExportFile.h"
#include "export/ExportFormats.h"
#include "print/PdfSurface.h"
#include "print/PrintRun.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"
#include "support/Stores.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace {

using namespace velmora;
namespace vt = velmora::testing;
using vt::Store;

// The store named by a benchmark's first argument.
Store storeOf(const benchmark::State& state) {
    return state.range(0) == 0 ? Store::File : Store::Server;
}

// The processor time the server's process for a connection spends, in milliseconds, read from the
// process's statistics (both run on this machine); 0 for a file, or where it cannot be looked at.
class ServerCpu {
public:
    explicit ServerCpu(db::Connection& connection) {
        if (connection.server())
            pid_ =
                connection.server()->query("SELECT pg_catalog.pg_backend_pid()", {}).at(0).at(0).value_or("");
        start_ = spent();
    }
    // Since this was made.
    double elapsed() const { return spent() - start_; }
    // Adds it to the benchmark's counters, per iteration.
    void report(benchmark::State& state) const {
        if (!pid_.empty())
            state.counters["server_cpu_ms"] =
                benchmark::Counter(elapsed(), benchmark::Counter::kAvgIterations);
    }

private:
    double spent() const {
        if (pid_.empty())
            return 0;
        std::ifstream stat("/proc/" + pid_ + "/stat");
        std::string line;
        std::getline(stat, line);
        // The fields after the command's name, which ends with the last ')': utime and stime are
        // the 12th and 13th of them.
        const auto end = line.rfind(')');
        if (end == std::string::npos || end + 2 > line.size())
            return 0;
        std::istringstream fields(line.substr(end + 2));
        std::string field;
        double ticks = 0;
        for (int i = 1; i <= 13 && fields >> field; ++i) {
            if (i >= 12)
                ticks += std::stod(field);
        }
        return ticks * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
    }

    std::string pid_;
    double start_ = 0;
};

// A check database of `rows` filled checks in one store, made once per program and kept for every
// benchmark on it. All checks are set not to print but three: the second record, the one halfway
// and the last, set to print one time.
struct Filled {
    vt::StoreFixture store;
    std::string name;
    int rows;

    Filled(Store where, int count)
        : store(where)
        , name(store.storedName("Million"))
        , rows(count) {
        if (!store.available())
            return;
        db::CheckDatabase database = store.createDatabase("Million", db::DatabaseType::Check);
        db::Connection& db = database.connection();
        bench::fillChecks(db, rows);
        db.exec("UPDATE \"Account\" SET \"Print\" = 'Never'");
        markThree(db);
        // What the server's autovacuum does on its own a minute after so many rows change: the
        // space of the rows the update replaced given back, and the planner's statistics read.
        if (db.server())
            db.exec("VACUUM ANALYZE \"Account\"");
    }

    std::vector<std::int64_t> three() const { return {2, rows / 2, std::int64_t{rows} + 1}; }

    void markThree(db::Connection& db) const {
        db::Statement mark(db, "UPDATE \"Account\" SET \"Print\" = 'Once' WHERE \"ID\" IN (?, ?, ?)");
        const auto ids = three();
        for (std::size_t i = 0; i < ids.size(); ++i)
            mark.bind(static_cast<int>(i) + 1, ids[i]);
        mark.run();
    }

    DatabaseLocation location() const {
        return store.store() == Store::File ? DatabaseLocation::inFile(store.dir() / name)
                                            : DatabaseLocation::onServer(store.server(), name);
    }

    db::CheckDatabase open(db::OpenMode mode = db::OpenMode::ReadWrite) const {
        auto database = db::CheckDatabase::open(location(), mode);
        if (!database)
            throw std::runtime_error(database.message());
        return std::move(*database);
    }
};

// The database of a benchmark (its first argument the store, its second the number of checks);
// null, after the benchmark is told why, where the store cannot be used.
Filled* filled(benchmark::State& state) {
    static std::map<std::pair<Store, int>, std::unique_ptr<Filled>> made;
    const Store where = storeOf(state);
    const int rows = static_cast<int>(state.range(1));
    auto& entry = made[{where, rows}];
    if (!entry)
        entry = std::make_unique<Filled>(where, rows);
    if (!entry->store.available()) {
        state.SkipWithError(entry->store.whyNot().c_str());
        return nullptr;
    }
    return entry.get();
}

// Opening a check database as the data entry screen opens it: the database opened and its tables
// checked, the first record read, the template values read, and the last record shown.
void BM_Open(benchmark::State& state) {
    Filled* data = filled(state);
    if (!data)
        return;
    for (auto _ : state) {
        db::CheckDatabase database = data->open();
        db::RecordSet records(database.connection(), db::schema::account());
        benchmark::DoNotOptimize(records.field(db::field::kBusinessName));
        const auto values = entry::LoadTemplateValues(database);
        if (!values)
            state.SkipWithError(values.message().c_str());
        records.moveLast();
        benchmark::DoNotOptimize(db::CheckRecord::read(records));
    }
}

// Next: the move to the next record and the read of all its fields for the screen. Pressed by a
// user, each Next finds nothing read ahead (the screen's own statements, or the time between two
// clicks, make what was read stale): a statement run outside the timing before each one stands for
// them. Walked through at once, as a print run walks its records, the rows after the current one
// are read ahead on the server.
void next(benchmark::State& state, bool pressed) {
    Filled* data = filled(state);
    if (!data)
        return;
    db::CheckDatabase database = data->open();
    db::RecordSet records(database.connection(), db::schema::account());
    const ServerCpu server(database.connection());
    for (auto _ : state) {
        if (pressed) {
            state.PauseTiming();
            database.connection().exec("SELECT 1");
            state.ResumeTiming();
        }
        records.moveNext();
        if (records.eof())
            records.moveFirst();
        benchmark::DoNotOptimize(db::CheckRecord::read(records));
    }
    server.report(state);
}

void BM_Next(benchmark::State& state) {
    next(state, true);
}

void BM_NextOnAWalk(benchmark::State& state) {
    next(state, false);
}

// A search as the data entry screen runs it: the record set selected again with the pattern, and
// its first record read. The check number searched for is held by one record a thousandth from the
// end alone, so a search that reads the records in order reads almost all of them before it finds
// it; a memo none holds has it read them all.
void search(benchmark::State& state, const std::string& field, const std::string& typed, bool found) {
    Filled* data = filled(state);
    if (!data)
        return;
    db::CheckDatabase database = data->open();
    db::RecordSet records(database.connection(), db::schema::account());
    const db::Filter filter = db::fieldContains(database.connection().dialect(), field, typed);
    const ServerCpu server(database.connection());
    for (auto _ : state) {
        records.requery(filter);
        if (records.hasCurrent() != found)
            state.SkipWithError(found ? "the search found nothing" : "the search found a record");
        if (records.hasCurrent())
            benchmark::DoNotOptimize(db::CheckRecord::read(records));
    }
    server.report(state);
}

void BM_SearchNearTheEnd(benchmark::State& state) {
    // Check i (from 0) carries 101 + i % 999000 (bench::fillChecks).
    const std::int64_t rows = state.range(1);
    search(state, db::field::kCheck, std::to_string(101 + (rows - rows / 1000 - 2) % 999000), true);
}

void BM_SearchNoMatch(benchmark::State& state) {
    search(state, db::field::kFor, "Zebra", false);
}

// The run of the Print button for the one-time checks, of which there are three among them all:
// found, checked, printed to a PDF file, confirmed and marked. They are set to print again outside
// the timing.
void BM_PrintThree(benchmark::State& state) {
    Filled* data = filled(state);
    if (!data)
        return;
    db::CheckDatabase database = data->open();
    const vt::TempDir dir;
    const auto output = dir / "three.pdf";
    const ServerCpu server(database.connection());
    for (auto _ : state) {
        vt::ScriptedDialogs dialogs;
        dialogs.queueAnswer(DialogAnswer::Ok);
        dialogs.queueAnswer(DialogAnswer::Yes);
        print::PdfSurface pdf(output.string());
        print::PrintRun run(database, bench::stock88mm(), dialogs);
        const print::RunReport report = run.run({.once = true}, pdf, pdf);
        if (report.checksPrinted != 3 || !report.checksConfirmed)
            state.SkipWithError("the run did not print and mark the three checks");
        state.PauseTiming();
        data->markThree(database.connection());
        state.ResumeTiming();
    }
    server.report(state);
}

// The export, as the export screen and velmora export run it: the database opened for reading,
// every record read in table order and written as a line, the file synced and renamed into place.
void BM_Export(benchmark::State& state) {
    Filled* data = filled(state);
    if (!data)
        return;
    const vt::TempDir dir;
    const auto target = exporting::exportFilePath(dir.path());
    std::int64_t records = 0;
    for (auto _ : state) {
        const exporting::ExportResult written =
            exporting::writeExport(data->location(), exporting::CheckInformationExport(), target, dir.path());
        if (!written.ok())
            state.SkipWithError(written.message.c_str());
        records = written.records;
    }
    if (records != data->rows + 1)
        state.SkipWithError("the export did not write every record");
    state.counters["records"] = static_cast<double>(records);
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(target)) / 1e6;
}

// 3,000 filled one-time checks printed to a PDF file through the run of the Print button, answered
// "No" so that every iteration prints the same checks.
constexpr int kRunChecks = 3000;

struct RunDatabase {
    vt::StoreFixture store;
    std::optional<db::CheckDatabase> database;

    explicit RunDatabase(Store where)
        : store(where) {
        if (!store.available())
            return;
        database.emplace(store.createDatabase("Run", db::DatabaseType::Check));
        vt::fillTemplateCheck(*database);
        bench::addFilledChecks(*database, kRunChecks, "Once");
    }
};

void BM_RunToPdf(benchmark::State& state) {
    static std::map<Store, std::unique_ptr<RunDatabase>> made;
    auto& data = made[storeOf(state)];
    if (!data)
        data = std::make_unique<RunDatabase>(storeOf(state));
    if (!data->database) {
        state.SkipWithError(data->store.whyNot().c_str());
        return;
    }
    const vt::TempDir dir;
    const auto output = dir / "checks.pdf";
    const ServerCpu server(data->database->connection());
    for (auto _ : state) {
        vt::ScriptedDialogs dialogs;
        dialogs.queueAnswer(DialogAnswer::Ok);
        dialogs.queueAnswer(DialogAnswer::No);
        print::PdfSurface pdf(output.string());
        print::PrintRun run(*data->database, bench::stock88mm(), dialogs);
        if (run.run({.once = true}, pdf, pdf).checksPrinted != kRunChecks)
            state.SkipWithError("the run did not print every check");
    }
    server.report(state);
    state.counters["checks/s"] =
        benchmark::Counter(kRunChecks, benchmark::Counter::kIsIterationInvariantRate);
}

// Every benchmark on both stores; those on a million checks also on a thousand, which the test
// command's smoke run takes.
void onBothStores(benchmark::internal::Benchmark* bench) {
    bench->ArgNames({"server", ""})->ArgsProduct({{0, 1}, {1000, bench::kRows}});
    bench->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
}

BENCHMARK(BM_Open)->Apply(onBothStores);
BENCHMARK(BM_Next)->Apply(onBothStores)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NextOnAWalk)->Apply(onBothStores)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SearchNearTheEnd)->Apply(onBothStores);
BENCHMARK(BM_SearchNoMatch)->Apply(onBothStores);
BENCHMARK(BM_PrintThree)->Apply(onBothStores)->Iterations(5);
BENCHMARK(BM_Export)->Apply(onBothStores)->Iterations(3);
BENCHMARK(BM_RunToPdf)
    ->ArgName("server")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

} // namespace
