// The export of a check database of 1,000,000 checks, as the export screen and velmora export run it:
// the database opened and checked, every record read in table order and written as one line, the
// file renamed into place.
#include "LargeCheckDatabase.h"
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
        const Result<std::int64_t> written = exporting::writeExport(dir / bench::kDatabase, format, target);
        if (!written)
            throw std::runtime_error(written.message());
        benchmark::DoNotOptimize(*written);
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

} // namespace
