// The data entry screen's commands on a check database of 1,000,000 checks, through CheckEntry (what
// the screen runs for each click): opening, New, Next, Previous, Delete, Save, and the lookup of a
// repeated check number, which reads the whole table while `Check` has no index.
#include "LargeCheckDatabase.h"
#include "entry/CheckEntry.h"
#include "support/ScriptedDialogs.h"

#include <benchmark/benchmark.h>

using namespace velmora;
using bench::kDatabase;
using bench::large;

namespace {

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

// The same on a database that holds its template check alone: what BM_Open must stay close to.
void BM_OpenOneRecordDatabase(benchmark::State& state) {
    testing::ProgramDirFixture program;
    (void)program.createDatabase("One", db::DatabaseType::Check);
    testing::ScriptedDialogs dialogs;
    entry::CheckEntry entry(dialogs, program.dir());
    for (auto _ : state) {
        entry.open("One.mdb");
        benchmark::DoNotOptimize(entry.field("PayTo"));
    }
}
BENCHMARK(BM_OpenOneRecordDatabase)->Unit(benchmark::kMillisecond);

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

// A search runs over the whole table until its first match: a text every check holds shows the first
// at once, a check number held near the end reads almost every record, and a text none holds reads
// them all before it says so and shows all checks again.
void searchFor(benchmark::State& state, const char* control, const char* typed) {
    OpenEntry open;
    const entry::SearchEntry* by = nullptr;
    for (const auto& candidate : entry::searchEntries())
        by = std::string_view(candidate.control) == control ? &candidate : by;
    for (auto _ : state) {
        open.dialogs.queueInput(typed);
        open.entry.search(*by);
        benchmark::DoNotOptimize(open.entry.field("PayTo"));
    }
}
void BM_SearchCommonText(benchmark::State& state) {
    searchFor(state, "LastName", "elgad");
}
BENCHMARK(BM_SearchCommonText)->Unit(benchmark::kMillisecond);
void BM_SearchNumberNearTheEnd(benchmark::State& state) {
    searchFor(state, "CheckNum", "998999");
}
BENCHMARK(BM_SearchNumberNearTheEnd)->Unit(benchmark::kMillisecond);
void BM_SearchNoMatch(benchmark::State& state) {
    searchFor(state, "ByMemoField", "Zebra");
}
BENCHMARK(BM_SearchNoMatch)->Unit(benchmark::kMillisecond);

} // namespace
