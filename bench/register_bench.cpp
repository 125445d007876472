// The register screen over a register of 1,000,000 printed checks: opening it (the file opened, the
// count and totals of the view read, the first screenful shown) and narrowing it to a range of dates
// and the void checks. It reads only what it shows, so neither follows the size of the register.
#include "db/Connection.h"
#include "db/RegisterQueries.h"
#include "export/forms/RegisterScreen.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QTableView>
#include <benchmark/benchmark.h>

namespace {

using namespace velmora;
using exporting::RegisterModel;

constexpr int kEntries = 1'000'000;

// A check database whose register holds 1,000,000 entries over three years, every 50th void, made
// once per program.
struct LargeRegister {
    testing::ProgramDirFixture program;
    testing::ScriptedDialogs dialogs;
    Session session;

    LargeRegister() {
        db::CheckDatabase database = program.createDatabase("Register", db::DatabaseType::Check);
        db::Connection& db = database.connection();
        db::Transaction transaction(db);
        db::RegisterWriter writer(db);
        db::RegisterEntry entry;
        entry.aba = "071000013";
        entry.account = "12D345678";
        for (int i = 0; i < kEntries; ++i) {
            entry.run = 1 + i / 300;
            entry.recordId = 2 + i % 5000;
            entry.check = 1000 + i;
            const int day = i / 1000; // a thousand checks a day
            entry.printed = std::to_string(2024 + day / 336) + "-" + twoDigits(1 + day / 28 % 12) + "-" +
                            twoDigits(1 + day % 28);
            entry.payTo = "Payee " + std::to_string(i % 7919);
            entry.amount = db::Money::fromCents(100 + i % 250000);
            const bool isVoid = i % 50 == 0;
            entry.state = isVoid ? db::register_state::kVoid : db::register_state::kIssued;
            entry.voided = isVoid ? std::optional<std::string>(entry.printed) : std::nullopt;
            writer.add(entry);
        }
        transaction.commit();
        session.programDir = program.dir();
        session.currentDatabase = "Register.mdb";
        session.dialogs = &dialogs;
    }

    static std::string twoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }
};

LargeRegister& largeRegister() {
    static LargeRegister instance;
    return instance;
}

// From nothing to the screen shown with its first rows drawn.
void BM_RegisterScreenOpens(benchmark::State& state) {
    LargeRegister& data = largeRegister();
    for (auto _ : state) {
        exporting::RegisterScreen screen(data.session, data.dialogs);
        if (!screen.load()) {
            state.SkipWithError("the register screen did not open");
            break;
        }
        screen.show();
        QApplication::processEvents();
        auto* table = screen.findChild<QTableView*>();
        benchmark::DoNotOptimize(table->grab());
        if (screen.model()->rowCount() != kEntries)
            state.SkipWithError("the screen does not count every entry");
        state.counters["pages_read"] = screen.model()->pagesRead();
    }
}
BENCHMARK(BM_RegisterScreenOpens)->Unit(benchmark::kMillisecond)->UseRealTime();

// A view set (count and totals read again) and its first and last screenfuls read: all entries, a
// month of them, and the void checks of a year.
void BM_RegisterView(benchmark::State& state) {
    LargeRegister& data = largeRegister();
    auto database = db::CheckDatabase::open(data.program.dir() / "Register.mdb");
    if (!database) {
        state.SkipWithError(database.message().c_str());
        return;
    }
    exporting::RegisterModel model(database->connection());
    db::RegisterView view;
    if (state.range(0) == 1) {
        view.from = "2025-03-01";
        view.to = "2025-03-28";
    } else if (state.range(0) == 2) {
        view.from = "2025-01-01";
        view.to = "2025-12-28";
        view.states = db::RegisterView::States::Void;
    }
    for (auto _ : state) {
        if (!model.setView(view).ok()) {
            state.SkipWithError("the view could not be read");
            break;
        }
        const int rows = model.rowCount();
        for (int row : {0, 39, rows - 40, rows - 1}) {
            if (row >= 0)
                benchmark::DoNotOptimize(
                    model.data(model.index(row, RegisterModel::PayToColumn), Qt::DisplayRole));
        }
        state.counters["rows"] = rows;
    }
}
BENCHMARK(BM_RegisterView)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("all_month_voidyear")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
