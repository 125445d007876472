// The export of a check database of 1,000,000 checks, as the export screen and velmora export run it:
// the database opened and checked, every record read in table order and written as one line, the
// file synced and renamed into place. And the peak memory of an export of a record whose memo holds
// as much as a field may hold: what is written of it is cut to 64 KiB.
#include "LargeCheckDatabase.h"
#include "PeakMemory.h"
#include "export/ExportFile.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <stdexcept>

using namespace velmora;

namespace {

void exportAs(benchmark::State& state, const exporting::ExportFormat& format) {
    const auto& dir = bench::large().program.dir();
    const auto target = exporting::exportFilePath(dir);
    for (auto _ : state) {
        const exporting::ExportResult written =
            exporting::writeExport(DatabaseLocation::inFile(dir / bench::kDatabase), format, target, dir);
        if (!written.ok())
            throw std::runtime_error(written.message);
        benchmark::DoNotOptimize(written.records);
    }
    state.counters["records"] = static_cast<double>(bench::kRows + 1);
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(target)) / 1e6;
}

void BM_ExportAllCheckInformation(benchmark::State& state) {
    exportAs(state, exporting::CheckInformationExport());
}
BENCHMARK(BM_ExportAllCheckInformation)->Unit(benchmark::kMillisecond);

void BM_ExportCustomerInformation(benchmark::State& state) {
    exportAs(state, exporting::CustomerInformationExport());
}
BENCHMARK(BM_ExportCustomerInformation)->Unit(benchmark::kMillisecond);

void BM_ExportAHugeValue(benchmark::State& state) {
    constexpr std::size_t kHuge = db::kMaxFieldBytes;
    testing::ProgramDirFixture program;
    {
        auto database = program.createDatabase("Huge", db::DatabaseType::Draft);
        testing::addCheck(database, {{"For", std::string(kHuge, 'm')}});
    }
    const auto target = exporting::exportFilePath(program.dir());
    bench::resetPeak(); // the set-up does not count
    const double before = bench::peakMegabytes();
    for (auto _ : state) {
        const exporting::ExportResult written =
            exporting::writeExport(DatabaseLocation::inFile(program.dir() / "Huge.mdb"),
                                   exporting::CheckInformationExport(), target, program.dir());
        if (!written.ok() || written.notice.empty())
            throw std::runtime_error("the huge value was not cut: " + written.message);
    }
    state.counters["value_MB"] = static_cast<double>(kHuge) / 1e6;
    state.counters["peak_growth_MB"] = bench::peakMegabytes() - before;
    state.counters["file_KB"] = static_cast<double>(std::filesystem::file_size(target)) / 1e3;
}
BENCHMARK(BM_ExportAHugeValue)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
