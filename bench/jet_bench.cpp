// Converting Jet files: nwind.mdb (9 tables, 4,032 rows, Jet 3) read by libmdb in the reader process,
// written to SQLite and verified; the library's reading alone; and a check database of 100,000
// checks through the same conversion, its rows sent by a stand-in reader.
#include "jet/Converter.h"
#include "jet/JetFile.h"
#include "jet/VelmoraMapping.h"
#include "support/JetSamples.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>

using namespace velmora;

namespace {

namespace fs = std::filesystem;

void BM_ConvertNwind(benchmark::State& state) {
    const auto nwind = testing::jetSample("nwind.mdb");
    if (!nwind) {
        state.SkipWithError("the Jet sample nwind.mdb is not in " VELMORA_SHARED_DIR "/jet");
        return;
    }
    jet::ConvertOptions options;
    options.readerProgram = testing::readerProgram();
    std::int64_t rows = 0;
    for (auto _ : state) {
        testing::TempDir dir;
        const auto result = jet::convertAnyTables(*nwind, dir / "nwind.sqlite", options);
        if (!result.ok()) {
            state.SkipWithError(result.status.message().c_str());
            return;
        }
        rows += result.report.rows();
    }
    state.SetItemsProcessed(rows);
}
BENCHMARK(BM_ConvertNwind)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadNwindInProcess(benchmark::State& state) {
    const auto nwind = testing::jetSample("nwind.mdb");
    if (!nwind) {
        state.SkipWithError("the Jet sample nwind.mdb is not in " VELMORA_SHARED_DIR "/jet");
        return;
    }
    std::int64_t rows = 0;
    for (auto _ : state) {
        auto file = jet::JetFile::open(*nwind);
        for (std::size_t t = 0; t < file->schema().tables.size(); ++t) {
            std::vector<std::size_t> columns;
            for (std::size_t c = 0; c < file->schema().tables[t].columns.size(); ++c) {
                if (jet::isReadable(file->schema().tables[t].columns[c].type))
                    columns.push_back(c);
            }
            (void)file->readRows(t, columns, [&](const auto&) { return ++rows, true; });
        }
    }
    state.SetItemsProcessed(rows);
}
BENCHMARK(BM_ReadNwindInProcess)->Unit(benchmark::kMillisecond);

void BM_ConvertLargeCheckDatabase(benchmark::State& state) {
    const auto nwind = testing::jetSample("nwind.mdb");
    if (!nwind) {
        state.SkipWithError("the Jet sample nwind.mdb is not in " VELMORA_SHARED_DIR "/jet");
        return;
    }
    constexpr int kChecks = 100'000;
    const jet::JetSchema schema = testing::jetCheckDatabaseSchema();
    auto plan = jet::planCheckDatabase(schema, "LARGE.mdb");
    testing::JetRows rows{{"Properties", {{{"AccountType", "Draft"}, {"Description", "Large"}}}}};
    auto& checks = rows["ACCOUNT"];
    for (int i = 1; i <= kChecks; ++i)
        checks.push_back({{"ID", std::int64_t{i}},
                          {"LastName", "Customer " + std::to_string(i)},
                          {"PayTo", "Velmora Supply"},
                          {"Amount", std::int64_t{1250000 + i * 100}},
                          {"Date", "12/7/2026"},
                          {"check", std::int64_t{1000 + i}},
                          {"ABA", "011000015"},
                          {"Account", "12345D678"},
                          {"Print", "Monthly"},
                          {"labelprint", std::int64_t{i % 2}},
                          {"Comments", "12/7/2026 printed\r\n11/7/2026 printed\r\n"}});
    testing::TempDir scripts;
    jet::ConvertOptions options;
    options.readerProgram = testing::fakeReader(scripts.path(), testing::readerOutput(schema, *plan, rows));
    for (auto _ : state) {
        testing::TempDir dir;
        testing::copyWritable(*nwind, dir / "LARGE.mdb");
        const auto result = jet::convertInPlace(dir / "LARGE.mdb", jet::FileKind::CheckDatabase, options);
        if (!result.ok()) {
            state.SkipWithError(result.status.message().c_str());
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * (kChecks + 1));
}
BENCHMARK(BM_ConvertLargeCheckDatabase)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
