// The print run of entered checks end to end: records read from a check database, laid out, written
// to a PDF file, confirmed, and every record changed in one transaction. Reports checks per second
// and the peak resident memory, which must not grow with the size of the run; blank checks likewise.
#include "db/RecordSet.h"
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

// A draft database of `count` recurring drafts with every field filled, as a business keeps them.
struct Drafts {
    testing::ProgramDirFixture dir;
    db::CheckDatabase database;

    explicit Drafts(int count)
        : database(dir.createDatabase("Drafts", db::DatabaseType::Draft)) {
        db::Transaction transaction(database.connection());
        db::RecordSet records(database.connection(), db::schema::account());
        for (int i = 0; i < count; ++i) {
            records.addNew();
            const std::string n = std::to_string(i);
            const std::pair<const char*, db::Value> fields[] = {
                {f::kBusinessName, "Customer Business " + n},
                {f::kFirstName, "First" + n},
                {f::kLastName, "Last" + n},
                {f::kAddress, n + " Commerce Street"},
                {f::kCity, "Springfield"},
                {f::kState, "IL"},
                {f::kZip, "62701"},
                {f::kPhone, "217-555-" + n},
                {f::kPayTo, "Velmora Supplies Inc."},
                {f::kAmount, db::Money::fromCents(1000 + i * 37)},
                {f::kCheck, 1000 + i},
                {f::kFor, "Monthly service " + n},
                {f::kBank, "First Prairie Bank"},
                {f::kBankCity, "Springfield"},
                {f::kBankState, "IL"},
                {f::kAba, "071000013"},
                {f::kAccount, "12D" + std::to_string(345678 + i)},
                {f::kPrint, "Monthly"},
                {f::kComments, "Customer since 2019"},
            };
            for (const auto& [name, value] : fields)
                records.setField(name, value);
            records.update();
        }
        transaction.commit();
    }
};

Drafts& drafts(int count) {
    static std::map<int, std::unique_ptr<Drafts>> made;
    auto& entry = made[count];
    if (!entry)
        entry = std::make_unique<Drafts>(count);
    return *entry;
}

void BM_PrintRunToPdf(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Drafts& data = drafts(count);
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

// Three one-time checks with `range(0)` megabytes in every text field: what a damaged or pasted-over
// record costs. Every text is cut to a line's worth before it is shaped, so neither the time nor the
// memory of the run follows the size of the fields.
void BM_PrintHugeTexts(benchmark::State& state) {
    const std::string huge(static_cast<std::size_t>(state.range(0)) * 1024 * 1024, 'W');
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
BENCHMARK(BM_PrintHugeTexts)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->Iterations(1);

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
BENCHMARK(BM_BlankChecksToPdf)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(30000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace
