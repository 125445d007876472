#include "export/forms/RegisterScreen.h"

#include "db/Connection.h"
#include "support/Fixtures.h"
#include "support/MenuKeys.h"
#include "support/ScriptedDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

namespace velmora {
namespace {

using exporting::RegisterModel;
using exporting::RegisterScreen;

class RegisterScreenTest : public ::testing::Test {
protected:
    RegisterScreenTest()
        : database(program.createDatabase("Payroll", db::DatabaseType::Check)) {
        session.programDir = program.dir();
        session.currentDatabase = "Payroll.mdb";
        session.dialogs = &dialogs;
        check = testing::addCheck(database, {{"Check", 1}, {"Comments", "old"}});
        // 5,000 entries, numbered backwards as they were recorded; every tenth one void.
        db::Transaction adding(database.connection());
        db::RegisterWriter writer(database.connection());
        for (int i = 0; i < kEntries; ++i) {
            db::RegisterEntry entry;
            entry.run = 1 + i / 100;
            entry.recordId = check;
            entry.check = 100000 - i;
            entry.printed = i < 100 ? "2026-12-01" : "2026-11-01";
            entry.payTo = "Payee " + std::to_string(i);
            entry.amount = db::Money::fromCents(100);
            if (i % 10 == 0) {
                entry.state = db::register_state::kVoid;
                entry.voided = "2026-12-05";
            }
            writer.add(entry);
        }
        adding.commit();
    }

    template <typename T> T* child(const char* name) {
        T* widget = screen->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << "no control named " << name;
        return widget;
    }
    void open() {
        screen = std::make_unique<RegisterScreen>(session, dialogs);
        ASSERT_TRUE(screen->load());
        screen->show();
        screen->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(screen.get()));
    }
    QString cell(int row, int column) {
        return screen->model()->data(screen->model()->index(row, column), Qt::DisplayRole).toString();
    }

    static constexpr int kEntries = 5000;
    testing::ProgramDirFixture program;
    db::CheckDatabase database;
    std::int64_t check = 0;
    testing::ScriptedDialogs dialogs;
    Session session;
    std::unique_ptr<RegisterScreen> screen;
};

TEST_F(RegisterScreenTest, OpensOnWhatItShowsSortedByNumberWithTheTotal) {
    open();
    RegisterModel& model = *screen->model();
    EXPECT_EQ(model.rowCount(), kEntries);
    EXPECT_EQ(cell(0, RegisterModel::NumberColumn), "95001");
    EXPECT_EQ(cell(0, RegisterModel::PayToColumn), "Payee 4999");
    EXPECT_EQ(cell(0, RegisterModel::AmountColumn), RegisterModel::amountText(100));
    EXPECT_LE(model.pagesRead(), 2) << "only the rows in sight are read";
    EXPECT_EQ(child<QLabel>("Totals")->text(), QLocale().toString(5000) + " checks shown, total " +
                                                   RegisterModel::amountText(500000) + " (issued " +
                                                   RegisterModel::amountText(450000) + ")");

    // The end of the table by the keyboard: the last page is read by its place, not walked to.
    auto* table = child<QTableView>("RegisterTable");
    EXPECT_TRUE(table->hasFocus());
    QTest::keyClick(table, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(table->currentIndex().row(), kEntries - 1);
    EXPECT_EQ(cell(kEntries - 1, RegisterModel::NumberColumn), "100000");
    EXPECT_EQ(cell(kEntries - 1, RegisterModel::StatusColumn),
              "Void " + RegisterModel::dateText("2026-12-05"));
    EXPECT_LE(model.pagesRead(), 5);

    // The dates and the status narrow what is shown and totalled.
    child<QDateEdit>("From")->setDate(QDate(2026, 12, 1));
    child<QComboBox>("States")->setCurrentIndex(1); // issued checks
    EXPECT_EQ(model.rowCount(), 90);
    EXPECT_EQ(child<QLabel>("Totals")->text(), "90 checks shown, total " + RegisterModel::amountText(9000));

    // Every access key of the screen reaches one control only.
    const std::map<QChar, QStringList> keys = testing::accessKeys(*screen);
    EXPECT_EQ(keys.size(), 9u);
    for (const auto& [key, captions] : keys)
        EXPECT_EQ(captions.size(), 1) << captions.join(" | ").toStdString();
}

TEST_F(RegisterScreenTest, VoidAsksThenVoidsTheSelectedCheckOnly) {
    open();
    auto* table = child<QTableView>("RegisterTable");
    table->selectRow(1); // 95002, issued
    dialogs.queueAnswer(DialogAnswer::No);
    QTest::keyClick(table, Qt::Key_V, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.shown().empty(); }, 2000));
    EXPECT_EQ(dialogs.shown()[0].defaultAnswer, DialogAnswer::No);
    EXPECT_EQ(dialogs.shown()[0].text.rfind("Check #95002 to Payee 4998 for ", 0), 0u)
        << dialogs.shown()[0].text;
    EXPECT_EQ(cell(1, RegisterModel::StatusColumn), "Issued");

    dialogs.clear();
    dialogs.queueAnswer(DialogAnswer::Yes);
    dialogs.queueInput("torn");
    QTest::keyClick(table, Qt::Key_V, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs.asked().size() == 1; }, 2000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return cell(1, RegisterModel::StatusColumn) != "Issued"; }, 2000));
    EXPECT_EQ(table->currentIndex().row(), 1);
    EXPECT_EQ(testing::readCheck(database, check).comments->rfind("Voided check #95002 For $1 on ", 0), 0u);
    const auto entries = testing::registerEntries(database);
    EXPECT_EQ(std::count_if(entries.begin(), entries.end(), [](const auto& e) { return e.isVoid(); }), 501);
}

} // namespace
} // namespace velmora
