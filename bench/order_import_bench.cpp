// The order importer on megabytes of text: an order form at the end of a long mail (every label is
// searched through all of it), the same length made of the labels' own beginnings over and over (the
// worst case for the label search), and a whole import of the long mail into a check database.
#include "entry/CheckEntry.h"
#include "entry/OrderImporter.h"
#include "support/Fixtures.h"
#include "support/OrderForms.h"
#include "support/ScriptedDialogs.h"

#include <benchmark/benchmark.h>

using namespace velmora;

namespace {

std::string longMail(std::size_t bytes) {
    std::string text;
    while (text.size() < bytes)
        text += "Dear customer, thank you for your order of 3/7/2024. Your goods ship within three days.\r\n";
    return text + testing::kOrderForm;
}

std::string labelBeginnings(std::size_t bytes) {
    std::string text;
    while (text.size() < bytes)
        text += "CustomerCustomerBankBankCardCardCheckBottomTotalSpecial";
    return text + testing::kOrderForm;
}

// Everything the import does with the text: made valid UTF-8 with CR LF line ends, every value cut.
void cutEveryValue(benchmark::State& state, const std::string& bytes) {
    for (auto _ : state) {
        const std::string text = entry::orderFormText(bytes);
        for (const auto& fields : {entry::orderRecordFields(), entry::orderDetailFields()})
            for (const entry::OrderField& field : fields)
                benchmark::DoNotOptimize(entry::CutFieldValue(text, field.label, field.offset, field.length));
        const entry::OrderField& row = entry::bottomCheckRowField();
        benchmark::DoNotOptimize(entry::CutFieldValue(text, row.label, row.offset, row.length));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

void BM_CutValuesOfALongMail(benchmark::State& state) {
    cutEveryValue(state, longMail(static_cast<std::size_t>(state.range(0)) << 20));
}
BENCHMARK(BM_CutValuesOfALongMail)->Arg(1)->Arg(8)->Arg(32)->Unit(benchmark::kMillisecond);

void BM_CutValuesOfLabelBeginnings(benchmark::State& state) {
    cutEveryValue(state, labelBeginnings(static_cast<std::size_t>(state.range(0)) << 20));
}
BENCHMARK(BM_CutValuesOfLabelBeginnings)->Arg(1)->Arg(8)->Arg(32)->Unit(benchmark::kMillisecond);

void BM_ImportALongMail(benchmark::State& state) {
    testing::ProgramDirFixture program;
    program.createDatabase("Orders", db::DatabaseType::Draft);
    testing::ScriptedDialogs dialogs;
    entry::CheckEntry entry(dialogs, program.dir());
    if (!entry.open("Orders.mdb"))
        throw std::runtime_error(dialogs.shownTexts().at(0));
    const std::string mail = longMail(static_cast<std::size_t>(state.range(0)) << 20);
    for (auto _ : state) {
        dialogs.clear();
        benchmark::DoNotOptimize(entry::importOrderForm(entry, mail));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * mail.size()));
}
BENCHMARK(BM_ImportALongMail)->Arg(8)->Unit(benchmark::kMillisecond);

} // namespace
