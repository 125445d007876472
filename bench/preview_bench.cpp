// The print preview of large runs: how long until the first page is on the screen, how long a jump
// to another page takes, and the peak memory of the process while the preview is open. The preview
// lays out only the page it shows, so none of them may grow with the size of the run. Also the
// look for items outside the printable area that precedes every run of checks.
#include "FilledChecks.h"
#include "PeakMemory.h"
#include "db/Connection.h"
#include "print/PdfSurface.h"
#include "print/PrintRun.h"
#include "print/RecordingSurface.h"
#include "print/forms/PreviewWindow.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <chrono>
#include <fstream>
#include <map>
#include <string>

namespace {

using namespace velmora;
using Clock = std::chrono::steady_clock;

using bench::peakMegabytes;
using bench::resetPeak;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A check database of `count` one-time checks with every field filled, written at once.
struct Checks {
    testing::ProgramDirFixture dir;
    db::CheckDatabase database;

    explicit Checks(int count)
        : database(dir.createDatabase("Checks", db::DatabaseType::Check)) {
        db::Statement insert(
            database.connection(),
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?1) "
            "INSERT INTO Account (BusinessName, FirstName, LastName, Address, City, State, Zip, "
            "PayTo, Amount, \"Check\", \"For\", Bank, BankCity, BankState, ABA, Account, Print, "
            "LabelPrint) "
            "SELECT 'Customer Business ' || i, 'First' || i, 'Last' || i, i || ' Commerce Street', "
            "'Springfield', 'IL', '62701', 'Payee number ' || i, 1000 + i * 37, 1000 + i, "
            "'Invoice ' || i, 'First Prairie Bank', 'Springfield', 'IL', '071000013', "
            "'12D' || (345678 + i), 'Once', 1 FROM n");
        insert.bind(1, count);
        insert.run();
    }
};

Checks& checks(int count) {
    static std::map<int, std::unique_ptr<Checks>> made;
    auto& entry = made[count];
    if (!entry)
        entry = std::make_unique<Checks>(count);
    return *entry;
}

// The Preview button: the pages of the run (checks and labels), the window, the first page shown.
void BM_PreviewOpens(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Checks& data = checks(count);
    print::RecordingSurface fonts;
    double firstPage = 0;
    double lastPage = 0;
    double middlePage = 0;
    std::int64_t drawn = 0;
    resetPeak();
    for (auto _ : state) {
        const auto start = Clock::now();
        testing::ScriptedDialogs dialogs;
        print::PrintRun run(data.database, bench::stock88mm(), dialogs);
        std::unique_ptr<print::RunPages> pages = run.preview({.once = true, .onceLabels = true}, fonts);
        print::PreviewWindow window(*pages, {{0.25, 0.25}, {}});
        window.show();
        QApplication::processEvents();
        firstPage = millisecondsSince(start);
        if (window.page().image().isNull())
            state.SkipWithError("the first page was not drawn");
        const auto turn = Clock::now();
        window.showPage(window.pageCount() - 1);
        QApplication::processEvents();
        lastPage = millisecondsSince(turn);
        const auto jump = Clock::now();
        window.showPage(window.pageCount() / 2);
        QApplication::processEvents();
        middlePage = millisecondsSince(jump);
        drawn = window.page().pagesDrawn();
    }
    state.counters["first_page_ms"] = firstPage;
    state.counters["to_last_page_ms"] = lastPage;
    state.counters["to_middle_page_ms"] = middlePage;
    state.counters["pages_drawn"] = static_cast<double>(drawn);
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_PreviewOpens)->Arg(300)->Arg(3000)->Arg(30000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The look before a run of checks for an item outside the printable area: every page is laid out,
// nothing is printed. Here everything fits, so every page is looked at.
void BM_FindItemOutside(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Checks& data = checks(count);
    print::PdfSurface pdf;
    resetPeak();
    for (auto _ : state) {
        testing::ScriptedDialogs dialogs;
        print::PrintRun run(data.database, bench::stock88mm(), dialogs);
        if (run.checkItemsOutside({.once = true}, pdf))
            state.SkipWithError("an item was found outside the page");
    }
    state.counters["checks/s"] = benchmark::Counter(count, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_FindItemOutside)->Arg(300)->Arg(3000)->Arg(30000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
