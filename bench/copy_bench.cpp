// Copying a check database of filled checks to the office's database server and back into a file,
// each copy verified row by row and field by field, on the private test server of the test command
// (VELMORA_PG_TEST_SERVER); without it the benchmarks say so and skip. The peak memory shows that a
// copy streams its rows: it does not grow with the database.
#include "PeakMemory.h"
#include "db/DatabaseCopy.h"
#include "support/Fixtures.h"
#include "support/Stores.h"

#include <benchmark/benchmark.h>
#include <map>
#include <unistd.h>

using namespace velmora;

namespace {

void drop(const ServerAddress& server, const std::string& name) {
    db::Connection office = db::Connection::toServer(server, {}, db::OpenMode::ReadWrite);
    office.exec("DROP SCHEMA IF EXISTS " + db::quoteIdentifier(name) + " CASCADE");
}

// A check database file of `rows` filled checks after the template, and its copy on the server.
struct CopySource {
    velmora::testing::ProgramDirFixture program;
    std::filesystem::path file;
    std::string onServer;

    CopySource(const ServerAddress& server, int rows) {
        auto database = program.createDatabase("Copied", db::DatabaseType::Check);
        db::Connection& db = database.connection();
        db::Transaction transaction(db);
        db::Statement insert(
            db, "INSERT INTO Account (BusinessName, FirstName, LastName, Address, City, State, "
                "Zip, PayTo, Amount, \"Date\", \"Check\", \"For\", Bank, ABA, Account, Comments, "
                "Print, LabelPrint) VALUES ('Harbor Lane Bakery', 'Maria', 'Delgado', '1420 "
                "Harbor Lane', 'Portland', 'OR', '97209', ?1, ?2, '3/7/2024', ?3, 'Supplies', "
                "'First Pacific Bank', '123000220', '4471D0921', 'Order form of 3/1/2024', ?4, 0)");
        for (int i = 0; i < rows; ++i) {
            insert.reset();
            insert.bind(1, "Payee " + std::to_string(i));
            insert.bind(2, std::int64_t{1000 + i % 90000});
            insert.bind(3, std::int64_t{101 + i});
            insert.bind(4, i % 3 == 0 ? "Monthly" : "Once");
            insert.run();
        }
        transaction.commit();
        file = database.path();
        onServer = "copy bench " + std::to_string(rows) + " " + std::to_string(::getpid());
        drop(server, onServer);
        if (!db::copyToServer(file, server, onServer).ok())
            onServer.clear();
    }
};

// One source per size, made once, its server copy dropped when the program ends.
CopySource* source(benchmark::State& state) {
    std::string whyNot;
    const auto server = velmora::testing::testServer(&whyNot);
    if (!server) {
        state.SkipWithError(whyNot.c_str());
        return nullptr;
    }
    struct Sources {
        ServerAddress server;
        std::map<int, std::unique_ptr<CopySource>> bySize;
        ~Sources() {
            for (const auto& [rows, made] : bySize)
                drop(server, made->onServer);
        }
    };
    static Sources sources{*server, {}};
    const int rows = static_cast<int>(state.range(0));
    auto& made = sources.bySize[rows];
    if (!made)
        made = std::make_unique<CopySource>(*server, rows);
    if (made->onServer.empty()) {
        state.SkipWithError("the source could not be copied to the server");
        return nullptr;
    }
    return made.get();
}

void report(benchmark::State& state) {
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(state.range(0)),
                                                  benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peak MB"] = bench::peakMegabytes();
}

void BM_CopyToServer(benchmark::State& state) {
    CopySource* from = source(state);
    if (!from)
        return;
    const auto server = *velmora::testing::testServer();
    const std::string name = from->onServer + " again";
    bench::resetPeak();
    for (auto _ : state) {
        const db::CopyResult copied = db::copyToServer(from->file, server, name);
        state.PauseTiming();
        drop(server, name);
        state.ResumeTiming();
        if (!copied.ok())
            state.SkipWithError(copied.message.c_str());
    }
    report(state);
}
BENCHMARK(BM_CopyToServer)->Arg(1'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CopyToFile(benchmark::State& state) {
    CopySource* from = source(state);
    if (!from)
        return;
    const auto server = *velmora::testing::testServer();
    const std::filesystem::path target = from->program.dir() / "Back.mdb";
    bench::resetPeak();
    for (auto _ : state) {
        const db::CopyResult copied = db::copyToFile(server, from->onServer, {target});
        state.PauseTiming();
        std::filesystem::remove(target);
        state.ResumeTiming();
        if (!copied.ok())
            state.SkipWithError(copied.message.c_str());
    }
    report(state);
}
BENCHMARK(BM_CopyToFile)->Arg(1'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
