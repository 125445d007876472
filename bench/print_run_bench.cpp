// The print run of entered checks end to end: records read from a check database, laid out, written
// to a PDF file, confirmed, and every record changed in one transaction. Reports checks per second
// and the peak resident memory, which must not grow with the size of the run; blank checks likewise.
#include "FilledChecks.h"
#include "LargeCheckDatabase.h"
#include "db/CheckQueries.h"
#include "db/RecordSet.h"
#include "db/RegisterQueries.h"
#include "print/PdfSurface.h"
#include "print/PrintRun.h"
#include "print/StockProducts.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <fstream>
#include <map>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace velmora;
namespace f = db::field;

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

// The resident memory now. The process's peak is set before any run by the password hash of the
// program directory's set-up (Argon2id takes 64 MB), so the run's own memory is sampled while it runs.
double residentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// A draft database of `count` filled checks set to print with `option`.
struct Filled {
    testing::ProgramDirFixture dir;
    db::CheckDatabase database;

    Filled(int count, const std::string& option)
        : database(dir.createDatabase("Drafts", db::DatabaseType::Draft)) {
        bench::addFilledChecks(database, count, option);
    }
};

Filled& drafts(int count) {
    static std::map<int, std::unique_ptr<Filled>> made;
    auto& entry = made[count];
    if (!entry)
        entry = std::make_unique<Filled>(count, "Monthly");
    return *entry;
}

void BM_PrintRunToPdf(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Filled& data = drafts(count);
    print::CheckPageSetup setup;
    setup.horizontalStart = 525;
    setup.verticalStart = 200;
    setup.stock88mm = true;
    // 1: the amount in words and with cents, each check's words measured, fitted and filled.
    setup.amountInWords = setup.amountWithCents = state.range(1) != 0;
    const std::string output = (data.dir.dir() / "checks.pdf").string();
    const double before = residentMegabytes();
    double runResident = before;
    for (auto _ : state) {
        testing::ScriptedDialogs dialogs;
        dialogs.queueAnswer(DialogAnswer::Ok);
        dialogs.queueAnswer(DialogAnswer::Yes); // recurring drafts: renumbered, printed again next time
        print::PdfSurface pdf(output);
        print::PrintRun run(data.database, setup, dialogs);
        run.setProgress([&](const print::RunProgress& progress) {
            if (progress.done % 100 == 0)
                runResident = std::max(runResident, residentMegabytes());
        });
        const print::RunReport report = run.run({.monthly = true}, pdf, pdf);
        if (report.checksPrinted != count || !report.checksConfirmed)
            state.SkipWithError("the run did not print and confirm every check");
    }
    state.counters["checks/s"] = benchmark::Counter(count, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["rss_before_MB"] = before;
    state.counters["rss_in_run_MB"] = runResident;
    state.counters["process_peak_MB"] = peakMegabytes();
    state.counters["pdf_KB_per_page"] =
        static_cast<double>(std::filesystem::file_size(output)) / 1024.0 / ((count + 2) / 3);
}
BENCHMARK(BM_PrintRunToPdf)
    ->ArgsProduct({{10, 1000, 10000}, {0, 1}})
    ->ArgNames({"checks", "amount_options"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

// Three one-time checks with as much in every text field as a field may hold: what a pasted-over
// record costs. Every text is cut to a line's worth before it is shaped, so neither the time nor the
// memory of the run follows the size of the fields.
void BM_PrintHugeTexts(benchmark::State& state) {
    const std::string huge(db::kMaxFieldBytes, 'W');
    testing::ProgramDirFixture dir;
    db::CheckDatabase database = dir.createDatabase("Huge", db::DatabaseType::Draft);
    {
        db::Transaction transaction(database.connection());
        db::RecordSet records(database.connection(), db::schema::account());
        for (int i = 0; i < 3; ++i) {
            records.addNew();
            for (const char* field : {f::kBusinessName, f::kFirstName, f::kLastName, f::kAddress, f::kCity,
                                      f::kState, f::kZip, f::kPhone, f::kPayTo, f::kFor, f::kBank,
                                      f::kBankCity, f::kBankState, f::kDate, f::kComments})
                records.setField(field, huge);
            records.setField(f::kPrint, "Once");
            records.setField(f::kCheck, std::int64_t{100 + i});
            records.update();
        }
        transaction.commit();
    }
    print::CheckPageSetup setup;
    const std::string output = (dir.dir() / "huge.pdf").string();
    const double before = residentMegabytes();
    double runResident = before;
    for (auto _ : state) {
        testing::ScriptedDialogs dialogs;
        dialogs.queueAnswer(DialogAnswer::Ok);
        dialogs.queueAnswer(DialogAnswer::No);
        print::PdfSurface pdf(output);
        print::PrintRun run(database, setup, dialogs);
        run.setProgress(
            [&](const print::RunProgress&) { runResident = std::max(runResident, residentMegabytes()); });
        if (run.run({.once = true}, pdf, pdf).checksPrinted != 3)
            state.SkipWithError("the run did not print the three checks");
    }
    state.counters["rss_before_MB"] = before;
    state.counters["rss_in_run_MB"] = runResident;
}
BENCHMARK(BM_PrintHugeTexts)->Unit(benchmark::kMillisecond)->Iterations(1);

// Blank checks from a filled template check, end to end to a PDF file: the prompts answered, every
// slot laid out and written, the history line saved. The resident memory is sampled by a thread
// while the run prints, since the run reports no progress of its own.
void BM_BlankChecksToPdf(benchmark::State& state) {
    const std::int64_t count = state.range(0);
    testing::ProgramDirFixture dir;
    db::CheckDatabase database = dir.createDatabase("Stock", db::DatabaseType::Check);
    testing::fillTemplateCheck(database);
    print::CheckPageSetup setup;
    setup.horizontalStart = 525;
    setup.verticalStart = 200;
    setup.stock88mm = true;
    const std::string output = (dir.dir() / "blank.pdf").string();
    const double before = residentMegabytes();
    std::atomic<double> runResident = before;
    std::atomic<bool> running = true;
    std::thread sampler([&] {
        while (running) {
            runResident = std::max(runResident.load(), residentMegabytes());
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    for (auto _ : state) {
        testing::ScriptedDialogs dialogs;
        dialogs.queueInput(std::to_string(count));
        dialogs.queueInput("1001");
        dialogs.queueAnswer(DialogAnswer::Ok);  // load the stock
        dialogs.queueAnswer(DialogAnswer::Yes); // more than 10,000
        print::PdfSurface pdf(output);
        print::StockRun run(database, setup, print::stockProduct("blank-checks"));
        const print::JobReport report = print::runJob(run, pdf, dialogs, database.connection());
        if (report.printed != count || !report.confirmed)
            state.SkipWithError("the run did not print every check and write its history line");
    }
    running = false;
    sampler.join();
    state.counters["checks/s"] =
        benchmark::Counter(static_cast<double>(count), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["rss_before_MB"] = before;
    state.counters["rss_in_run_MB"] = runResident.load();
    state.counters["pdf_KB_per_page"] = static_cast<double>(std::filesystem::file_size(output)) / 1024.0 /
                                        static_cast<double>((count + 2) / 3);
}
BENCHMARK(BM_BlankChecksToPdf)->Arg(2000)->Arg(30000)->Unit(benchmark::kMillisecond)->Iterations(1);

// Every product's whole run at 3,000 items to a PDF file, as the command line prints it: the entered
// checks and their labels through the run of the Print button (answered "No", so every iteration
// prints the same checks), each blank-stock product through its own run from a filled template check.
constexpr int kProductItems = 3000;

struct ProductDatabase {
    testing::ProgramDirFixture dir;
    db::CheckDatabase database;

    ProductDatabase()
        : database(dir.createDatabase("Checks", db::DatabaseType::Check)) {
        testing::fillTemplateCheck(database);
        bench::addFilledChecks(database, kProductItems, "Once");
    }
};

ProductDatabase& productDatabase() {
    static ProductDatabase instance;
    return instance;
}

void reportProductRun(benchmark::State& state, const std::filesystem::path& output, std::int64_t items,
                      std::int64_t perPage) {
    state.counters["items/s"] =
        benchmark::Counter(static_cast<double>(items), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["pdf_KB_per_page"] = static_cast<double>(std::filesystem::file_size(output)) / 1024.0 /
                                        static_cast<double>((items + perPage - 1) / perPage);
}

void BM_EnteredChecks(benchmark::State& state) {
    ProductDatabase& data = productDatabase();
    const auto output = data.dir.dir() / "checks.pdf";
    for (auto _ : state) {
        testing::ScriptedDialogs dialogs;
        dialogs.queueAnswer(DialogAnswer::Ok);
        dialogs.queueAnswer(DialogAnswer::No);
        print::PdfSurface pdf(output.string());
        print::PrintRun run(data.database, bench::stock88mm(), dialogs);
        if (run.run({.once = true}, pdf, pdf).checksPrinted != kProductItems)
            state.SkipWithError("the run did not print every check");
    }
    reportProductRun(state, output, kProductItems, 3);
}
BENCHMARK(BM_EnteredChecks)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_Labels(benchmark::State& state) {
    ProductDatabase& data = productDatabase();
    const auto output = data.dir.dir() / "labels.pdf";
    for (auto _ : state) {
        testing::ScriptedDialogs dialogs;
        dialogs.queueInput("1");
        dialogs.queueAnswer(DialogAnswer::No);
        print::PdfSurface pdf(output.string());
        print::PrintRun run(data.database, bench::stock88mm(), dialogs);
        // The template check has no label flag: the 3,000 checks each have one.
        if (run.run({.onceLabels = true}, pdf, pdf).labelsPrinted != kProductItems)
            state.SkipWithError("the run did not print every label");
    }
    reportProductRun(state, output, kProductItems, 30);
}
BENCHMARK(BM_Labels)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_StockProduct(benchmark::State& state, std::string_view verb, std::int64_t perPage) {
    ProductDatabase& data = productDatabase();
    const print::StockProduct& product = print::stockProduct(verb);
    const auto output = data.dir.dir() / "stock.pdf";
    for (auto _ : state) {
        testing::ScriptedDialogs dialogs;
        dialogs.queueInput(std::to_string(kProductItems));
        dialogs.queueInput("1001");
        print::PdfSurface pdf(output.string());
        print::StockRun run(data.database, bench::stock88mm(), product);
        const print::JobReport report = print::runJob(run, pdf, dialogs, data.database.connection());
        if (report.printed != kProductItems || !report.confirmed)
            state.SkipWithError("the run did not print every item");
    }
    reportProductRun(state, output, kProductItems, perPage);
}
BENCHMARK_CAPTURE(BM_StockProduct, BlankChecks, "blank-checks", 3)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(BM_StockProduct, DepositTickets, "deposit-tickets", 3)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(BM_StockProduct, Quicken3Up, "quicken-3up", 3)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(BM_StockProduct, QuickenVoucher, "quicken-voucher", 1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

// The run of the Print button over an open database of 1,000,000 checks of which three are set to
// print one time: what finding, checking and marking the few records costs beside the million.
void BM_ThreeChecksAmongAMillion(benchmark::State& state) {
    bench::LargeCheckDatabase& large = bench::large();
    auto database = db::CheckDatabase::open(large.program.dir() / bench::kDatabase);
    if (!database) {
        state.SkipWithError(database.message().c_str());
        return;
    }
    static const bool marked = [&] {
        db::Connection& db = database->connection();
        db::Transaction transaction(db);
        db.exec("UPDATE Account SET Print = 'Never'");
        db.exec("UPDATE Account SET Print = 'Once' WHERE ID IN (2, 500000, 1000001)");
        transaction.commit();
        return true;
    }();
    benchmark::DoNotOptimize(marked);
    const auto output = large.program.dir() / "three.pdf";
    for (auto _ : state) {
        testing::ScriptedDialogs dialogs;
        dialogs.queueAnswer(DialogAnswer::Ok);
        dialogs.queueAnswer(DialogAnswer::Yes);
        print::PdfSurface pdf(output.string());
        print::PrintRun run(*database, bench::stock88mm(), dialogs);
        const print::RunReport report = run.run({.once = true}, pdf, pdf);
        if (report.checksPrinted != 3 || !report.checksConfirmed)
            state.SkipWithError("the run did not print and mark the three checks");
        state.PauseTiming();
        database->connection().exec("UPDATE Account SET Print = 'Once' WHERE ID IN (2, 500000, 1000001)");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ThreeChecksAmongAMillion)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(5);

// What the register adds to a confirmed run of 3,000 one-time checks printed to a PDF file and
// answered Yes: the numbers looked up before printing, and each check's entry added in the
// transaction that marks it. Beside it the same run of checks without numbers, which the register
// neither looks up nor records; everything else (the layout, the PDF file, the marks and history
// lines) is the same, but for the few glyphs of the numbers, so the difference is if anything more
// than the register's own cost. Each iteration starts from the same file: the checks set to print
// again and the entries of the run before removed, outside the timing.
struct ConfirmedRunDatabase {
    testing::ProgramDirFixture dir;
    db::CheckDatabase database;

    explicit ConfirmedRunDatabase(bool numbered)
        : database(dir.createDatabase("Checks", db::DatabaseType::Check)) {
        testing::fillTemplateCheck(database);
        bench::addFilledChecks(database, kProductItems, "Once");
        if (!numbered)
            database.connection().exec("UPDATE Account SET \"Check\" = NULL WHERE ID > 1");
    }

    void reset() {
        db::Connection& db = database.connection();
        db::Transaction transaction(db);
        db.exec("UPDATE Account SET Print = 'Once', Comments = NULL WHERE ID > 1");
        db.exec("DELETE FROM Register");
        transaction.commit();
    }
};

void BM_ConfirmedRun(benchmark::State& state) {
    static std::map<bool, std::unique_ptr<ConfirmedRunDatabase>> made;
    const bool numbered = state.range(0) != 0;
    auto& data = made[numbered];
    if (!data)
        data = std::make_unique<ConfirmedRunDatabase>(numbered);
    const auto output = data->dir.dir() / "confirmed.pdf";
    for (auto _ : state) {
        state.PauseTiming();
        data->reset();
        state.ResumeTiming();
        testing::ScriptedDialogs dialogs;
        dialogs.queueAnswer(DialogAnswer::Ok);
        dialogs.queueAnswer(DialogAnswer::Yes);
        print::PdfSurface pdf(output.string());
        print::PrintRun run(data->database, bench::stock88mm(), dialogs);
        const print::RunReport report = run.run({.once = true}, pdf, pdf);
        if (report.checksPrinted != kProductItems || !report.checksConfirmed)
            state.SkipWithError("the run did not print and confirm every check");
    }
    const auto entries = db::registerTotals(data->database.connection(), {});
    state.counters["register_entries"] = entries ? static_cast<double>(entries->count) : -1.0;
    reportProductRun(state, output, kProductItems, 3);
}
BENCHMARK(BM_ConfirmedRun)
    ->Arg(1)
    ->Arg(0)
    ->ArgName("numbered")
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The register's own statements of the numbered run above, replayed alone and rolled back: the look-up
// of every number before printing, the next run number, and for each check the look-up of its entry
// and the entry added. This is the register's cost without the noise of the whole run around it.
void BM_TheRegistersStatementsOfThatRun(benchmark::State& state) {
    ConfirmedRunDatabase data(true);
    db::Connection& db = data.database.connection();
    std::vector<db::RegisterEntry> checks;
    {
        db::RecordSet records(db, db::schema::account(), db::checksToPrint(true, false));
        for (records.moveFirst(); !records.eof(); records.moveNext()) {
            const db::CheckRecord record = db::CheckRecord::read(records);
            db::RegisterEntry entry;
            entry.recordId = record.id;
            entry.check = record.check.value_or(0);
            entry.printed = "2026-12-08";
            entry.payTo = record.payTo;
            entry.amount = record.amount;
            entry.aba = record.aba;
            entry.account = record.account;
            checks.push_back(std::move(entry));
        }
    }
    for (auto _ : state) {
        const auto conflicts = db::findNumberConflicts(db, db::checksToPrint(true, false), 10);
        if (!conflicts || conflicts->total != 0)
            state.SkipWithError("the numbers of the run were taken");
        db::Transaction transaction(db); // rolled back: every iteration adds the same entries
        db::RegisterWriter writer(db);
        const std::int64_t run = db::nextRunNumber(db);
        for (db::RegisterEntry entry : checks) {
            entry.run = run;
            if (!writer.holdsIssued(entry.recordId, entry.check, db::DrawnOn::of(entry.aba, entry.account)))
                writer.add(entry);
        }
    }
    state.counters["checks"] = static_cast<double>(checks.size());
}
BENCHMARK(BM_TheRegistersStatementsOfThatRun)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace
