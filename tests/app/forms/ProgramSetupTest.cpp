#include "app/ExitRoutine.h"
#include "app/SettingsStore.h"
#include "app/forms/ProgramSetupScreen.h"
#include "db/Connection.h"
#include "entry/forms/CheckScreen.h"
#include "shell/ScreenFlow.h"
#include "support/Fixtures.h"
#include "support/MenuKeys.h"
#include "support/RecordingNavigator.h"
#include "support/ScriptedDialogs.h"
#include "support/Stores.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>
#include <iostream>
#include <map>

namespace velmora {
namespace {

using Strings = std::vector<std::string>;
const Strings kDelivered{"Checks", "Drafts", "Payroll", "Rent", "Utilities"};

class ProgramSetupTest : public ::testing::Test {
protected:
    ProgramSetupTest()
        : database(program.createDatabase("Payroll", db::DatabaseType::Draft)) {
        session.programDir = program.dir();
        session.currentDatabase = "Payroll.mdb";
        session.dialogs = &dialogs;
        testing::setCheckFields(database, 1, {{"PayTo", "Velmora"}});
    }
    ~ProgramSetupTest() override {
        QApplication::closeAllWindows();
        // A data entry screen closes only through the flow's exit routine, which dies with the flow
        // here: it must not outlive the test and stand in the way of the next one's screens.
        std::vector<QPointer<QWidget>> dataEntry;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (qobject_cast<entry::CheckScreen*>(window))
                dataEntry.emplace_back(window);
        }
        for (const QPointer<QWidget>& screen : dataEntry)
            delete screen.data();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A setup screen of its own, opened and shown, freed when closed.
    app::ProgramSetupScreen& open() {
        auto* screen = new app::ProgramSetupScreen(session);
        screen->setAttribute(Qt::WA_DeleteOnClose);
        EXPECT_TRUE(screen->load());
        screen->show();
        screen->activateWindow(); // its keys are shortcuts of the active window
        EXPECT_TRUE(QTest::qWaitForWindowActive(screen));
        setup = screen;
        return *screen;
    }
    void click(const char* button) {
        QTest::mouseClick(setup->findChild<QPushButton*>(button), Qt::LeftButton);
    }
    QLineEdit& box(const char* name) { return *setup->findChild<QLineEdit*>(name); }
    std::string shownId() { return setup->findChild<QLabel*>("RecordNumber")->text().toStdString(); }
    std::string shownType() { return box("ProductType").text().toStdString(); }
    void type(const char* name, const QString& text) {
        box(name).clear();
        QTest::keyClicks(&box(name), text);
    }

    static std::vector<QWidget*> setupScreens() {
        std::vector<QWidget*> found;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->objectName() == QLatin1String("ProgramSetup") && window->isVisible())
                found.push_back(window);
        }
        return found;
    }

    app::SettingsStore store() { return std::move(app::SettingsStore::open(program.dir()).value()); }
    Strings storedTypes() { return store().productTypes().value(); }
    db::SettingsRecord storedSettings() { return store().read().value(); }

    testing::ProgramDirFixture program;
    db::CheckDatabase database;
    testing::ScriptedDialogs dialogs;
    Session session;
    shell::ScreenFlow flow{session};
    QPointer<app::ProgramSetupScreen> setup;
};

TEST_F(ProgramSetupTest, DeleteRefusesTheFirstProductTypeAndRemovesAnyOther) {
    open();
    EXPECT_EQ(setup->windowTitle(), "Program Setup and Options");
    ASSERT_EQ(shownId(), "1");
    click("Delete");
    EXPECT_EQ(dialogs.shownTexts(), Strings{"You CANNOT delete the first record - you can only change it."});
    EXPECT_EQ(storedTypes(), kDelivered);
    EXPECT_EQ(shownType(), "Checks");

    click("Next");
    click("Next");
    ASSERT_EQ(shownType(), "Payroll");
    // "&Delete" by its access key, which clicks the button a moment later.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return storedTypes().size() == 4; }, 2000));
    EXPECT_EQ(storedTypes(), (Strings{"Checks", "Drafts", "Rent", "Utilities"}));
    EXPECT_EQ(shownId(), "1") << "the first product type is shown after a delete";
    EXPECT_EQ(dialogs.shown().size(), 1u);
}

TEST_F(ProgramSetupTest, TheRecordNavigatorStoresTheTypedNameBeforeMovingAndStopsAtTheEnds) {
    open();
    click("Previous");
    EXPECT_EQ(shownId(), "1");
    type("ProductType", "Cheques");
    QTest::keyClick(setup, Qt::Key_PageDown, Qt::ControlModifier); // last
    EXPECT_EQ(shownType(), "Utilities");
    click("Next");
    EXPECT_EQ(shownType(), "Utilities");
    type("ProductType", "");
    click("First");
    EXPECT_EQ(storedTypes(), (Strings{"Cheques", "Drafts", "Payroll", "Rent", ""}));

    // Enter in the box stores the name and stays on it, the screen open.
    type("ProductType", "Checks");
    QTest::keyClick(&box("ProductType"), Qt::Key_Return);
    EXPECT_EQ(storedTypes().front(), "Checks");
    EXPECT_TRUE(setup->isVisible());
    EXPECT_EQ(shownId(), "1");
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(ProgramSetupTest, NewThenDoneWithAnEmptyBoxLeavesAnEmptyProductType) {
    open();
    click("New");
    EXPECT_EQ(shownId(), "6");
    EXPECT_EQ(shownType(), "");
    EXPECT_TRUE(box("ProductType").hasFocus());
    click("Done");
    EXPECT_TRUE(setup.isNull() || !setup->isVisible());
    Strings expected = kDelivered;
    expected.push_back("");
    EXPECT_EQ(storedTypes(), expected);
    EXPECT_TRUE(dialogs.shown().empty()) << "Done closes without the message";
}

TEST_F(ProgramSetupTest, OkStoresTheProductTypeAndSaysWhenTheListChanges) {
    open();
    click("New");
    type("ProductType", "Rentals");
    click("OK");
    EXPECT_EQ(dialogs.shownTexts(),
              Strings{"Changes will be effective in the drop down box after program exit and restart."});
    EXPECT_EQ(storedTypes().back(), "Rentals");
    EXPECT_TRUE(setup.isNull() || !setup->isVisible());
}

TEST_F(ProgramSetupTest, TheBackupBoxMakesTheNextExitBackUp) {
    struct NoProgress : app::BackupProgress {
        void backupStarting() override {}
        void backupFinished() override {}
    } progress;
    open();
    EXPECT_FALSE(setup->findChild<QCheckBox*>("Backup")->isChecked());
    setup->findChild<QCheckBox*>("Backup")->click();
    click("Done");
    ASSERT_TRUE(app::runExitRoutine(program.dir(), session.currentLocation(), progress));
    EXPECT_TRUE(db::CheckDatabase::open(program.dir() / "Payroll.bak", db::OpenMode::ReadOnly).ok());

    // Shown ticked the next time; unticked by the window frame, no backup is made.
    std::filesystem::remove(program.dir() / "Payroll.bak");
    open();
    ASSERT_TRUE(setup->findChild<QCheckBox*>("Backup")->isChecked());
    setup->findChild<QCheckBox*>("Backup")->click();
    setup->close();
    ASSERT_TRUE(app::runExitRoutine(program.dir(), session.currentLocation(), progress));
    EXPECT_FALSE(std::filesystem::exists(program.dir() / "Payroll.bak"));

    // Ticked on a setup screen still open when the program exits: that exit already backs up.
    flow.show("ProgramSetup");
    ASSERT_EQ(setupScreens().size(), 1u);
    setupScreens().front()->findChild<QCheckBox*>("Backup")->click();
    flow.exitProgram();
    EXPECT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(program.dir() / "Payroll.bak"); }));
    EXPECT_TRUE(storedSettings().backupOnExit);
    EXPECT_TRUE(dialogs.shown().empty());

    // From a database of the same name on the server nothing is copied, and the exit says so once.
    std::filesystem::remove(program.dir() / "Payroll.bak");
    session.currentServer = ServerAddress{"host=office dbname=checks", false};
    flow.exitProgram();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialogs.shown().empty(); }));
    EXPECT_EQ(dialogs.shownTexts(), Strings{app::leftToServerNotice(session.currentLocation())});
    EXPECT_FALSE(std::filesystem::exists(program.dir() / "Payroll.bak"));
}

TEST_F(ProgramSetupTest, TheAmountOptionsAreReachedByTheirAccessKeysAndStoredWhenTheScreenCloses) {
    open();
    auto* words = setup->findChild<QCheckBox*>("AmountInWords");
    auto* cents = setup->findChild<QCheckBox*>("AmountWithCents");
    ASSERT_TRUE(words && cents);
    EXPECT_EQ(words->text(), "Print the amount in &words");
    EXPECT_EQ(cents->text(), "Print amounts with cents and t&housands separators");
    EXPECT_FALSE(words->isChecked() || cents->isChecked()) << "off as delivered";

    // Every access key of the screen opens one control only.
    const std::map<QChar, QStringList> keys = testing::accessKeys(*setup);
    for (const auto& [key, captions] : keys)
        EXPECT_EQ(captions.size(), 1) << captions.join(" | ").toStdString();

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return words->isChecked(); }, 2000));
    EXPECT_TRUE(words->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_H, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return cents->isChecked(); }, 2000));
    EXPECT_TRUE(words->isChecked());
    QTest::keyClick(setup, Qt::Key_Escape);
    EXPECT_TRUE(storedSettings().amountInWords);
    EXPECT_TRUE(storedSettings().amountWithCents);

    open();
    words = setup->findChild<QCheckBox*>("AmountInWords");
    cents = setup->findChild<QCheckBox*>("AmountWithCents");
    EXPECT_TRUE(words->isChecked() && cents->isChecked());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_H, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !cents->isChecked(); }, 2000));
    click("Done");
    EXPECT_TRUE(storedSettings().amountInWords);
    EXPECT_FALSE(storedSettings().amountWithCents);
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(ProgramSetupTest, TheAmountInWordsOptionReachesTheWarningsOfTheDataEntryScreenUnderneath) {
    testing::addCheck(database, {{"Amount", db::Money::fromCents(0)}});
    auto* checks = new entry::CheckScreen(session, flow, dialogs);
    checks->setAttribute(Qt::WA_DeleteOnClose);
    ASSERT_TRUE(checks->load());
    checks->show();
    auto* warnings = checks->findChild<QLabel*>("WarningLine");
    const QString zeroAmount = "The amount in words prints only for an amount above zero";
    EXPECT_FALSE(warnings->toolTip().contains(zeroAmount));

    checks->findChild<QAction*>("Setup")->trigger();
    ASSERT_EQ(setupScreens().size(), 1u);
    setup = static_cast<app::ProgramSetupScreen*>(setupScreens().front());
    setup->findChild<QCheckBox*>("AmountInWords")->click();
    click("Done");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(setup.isNull());
    EXPECT_TRUE(warnings->toolTip().contains(zeroAmount)) << warnings->toolTip().toStdString();
    EXPECT_TRUE(checks->findChild<QLineEdit*>("CheckAmount")->toolTip().contains(zeroAmount));
}

TEST_F(ProgramSetupTest, TheTranCodeReachesTheNextReadOfTheSettingsHoweverTheScreenCloses) {
    EXPECT_EQ(storedSettings().tranCode, "") << "as delivered";
    open();
    type("TranCode", "0042");
    QTest::keyClick(setup, Qt::Key_Escape);
    EXPECT_EQ(storedSettings().tranCode, "0042");

    open();
    EXPECT_EQ(box("TranCode").text(), "0042");
    // The MICR font draws digits, spaces and its symbols only: anything else is pointed out.
    auto* note = setup->findChild<QLabel*>("TranCodeNote");
    type("TranCode", "7-x7");
    EXPECT_TRUE(note->isVisible());
    EXPECT_TRUE(note->text().contains("\"-x\"")) << note->text().toStdString();
    type("TranCode", "77");
    EXPECT_FALSE(note->isVisible());
    click("OK");
    EXPECT_EQ(storedSettings().tranCode, "77");
}

TEST_F(ProgramSetupTest, WhatCannotBeStoredIsToldAndKeptUntilTheUserGivesItUp) {
    open();
    db::Connection other(program.dir() / app::kSettingsFileName, db::OpenMode::ReadWrite);
    other.exec(R"(ALTER TABLE BusinessType RENAME COLUMN BusinessType TO Moved)");
    type("ProductType", "Cheques");
    click("Next");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text.rfind("The product type could not be saved: ", 0), 0u)
        << dialogs.shownTexts()[0];
    EXPECT_EQ(shownId(), "1") << "no move past a name that was not stored";
    EXPECT_EQ(shownType(), "Cheques");
    other.exec(R"(ALTER TABLE BusinessType RENAME COLUMN Moved TO BusinessType)");
    click("Next");
    EXPECT_EQ(shownId(), "2");
    EXPECT_EQ(storedTypes().front(), "Cheques");

    dialogs.clear();
    type("TranCode", "55");
    other.exec(R"(ALTER TABLE Properties RENAME COLUMN "1" TO Moved)");
    click("Done"); // No, the default answer: the screen stays with what was typed
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_NE(dialogs.shown()[0].text.find("could not be saved"), std::string::npos)
        << dialogs.shownTexts()[0];
    EXPECT_EQ(dialogs.shown()[0].buttons, DialogButtons::YesNo);
    ASSERT_FALSE(setup.isNull());
    EXPECT_TRUE(setup->isVisible());
    EXPECT_EQ(box("TranCode").text(), "55");

    other.exec(R"(ALTER TABLE Properties RENAME COLUMN Moved TO "1")");
    click("Done");
    EXPECT_TRUE(setup.isNull() || !setup->isVisible());
    EXPECT_EQ(storedSettings().tranCode, "55");
}

TEST_F(ProgramSetupTest, OneCopyFromTheFileMenuAndTheDataEntryListFollowsItsChanges) {
    auto* checks = new entry::CheckScreen(session, flow, dialogs);
    checks->setAttribute(Qt::WA_DeleteOnClose);
    ASSERT_TRUE(checks->load());
    checks->show();
    auto* payee = checks->findChild<QLineEdit*>("PayToOrderOf");
    payee->setFocus();
    QTest::keyClick(payee, Qt::Key_End);
    QTest::keyClicks(payee, " and Sons");

    QAction* menuEntry = checks->findChild<QAction*>("Setup");
    menuEntry->trigger();
    EXPECT_EQ(testing::readCheck(database, 1).payTo, "Velmora and Sons") << "the check is saved first";
    menuEntry->trigger();
    ASSERT_EQ(setupScreens().size(), 1u);
    EXPECT_TRUE(checks->isVisible()) << "the data entry screen stays open underneath";

    setup = static_cast<app::ProgramSetupScreen*>(setupScreens().front());
    auto* list = checks->findChild<QComboBox*>("Combo2");
    const QString shown = list->currentText();
    click("New");
    type("ProductType", "Rentals");
    click("Done");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(setup.isNull());
    EXPECT_EQ(list->count(), 6);
    EXPECT_EQ(list->itemText(5), "Rentals");
    EXPECT_EQ(list->currentText(), shown);
}

TEST_F(ProgramSetupTest, TheDatabaseServerIsTriedWithoutStoringAndStoredOnlyWhenUsable) {
    // A shared database is current: naming another server must not move it to a namesake there.
    const ServerAddress chosenFrom{"host=desk-one dbname=checks", false};
    session.currentServer = chosenFrom;
    open();
    // Tab goes from the amount options through the server's controls to Done.
    setup->findChild<QCheckBox*>("AmountWithCents")->setFocus(Qt::TabFocusReason);
    for (const char* next : {"DatabaseServer", "ServerRequiresTls", "TestConnection", "Done"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), next);
    }
    auto* note = setup->findChild<QLabel*>("ServerBackupNote");
    EXPECT_FALSE(note->isVisible()) << "no server, nothing to say beside the backup box";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::AltModifier);
    ASSERT_TRUE(box("DatabaseServer").hasFocus());
    QTest::keyClicks(&box("DatabaseServer"), "host=office password=tulip");
    EXPECT_TRUE(note->isVisible());

    // A password in the address is refused on closing; No, the default answer, keeps the screen.
    click("Done");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_NE(dialogs.shown()[0].text.find("~/.pgpass"), std::string::npos) << dialogs.shownTexts()[0];
    EXPECT_EQ(dialogs.shown()[0].buttons, DialogButtons::YesNo);
    ASSERT_FALSE(setup.isNull());
    EXPECT_TRUE(storedSettings().server().empty());
    EXPECT_TRUE(session.server.empty());

    // A server that cannot be reached is told by "Test connection", by its access key.
    dialogs.clear();
    type("DatabaseServer", "host=/nonexistent/velmora dbname=checks");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.shown().empty(); }, 5000));
    EXPECT_NE(dialogs.shownTexts()[0].find("could not be reached"), std::string::npos)
        << dialogs.shownTexts()[0];
    EXPECT_EQ(dialogs.shown()[0].title, "Test connection");

    std::string whyNot;
    if (const std::optional<ServerAddress> server = testing::testServer(&whyNot)) {
        // The test server listens on a socket of its own folder, without TLS: reached, and refused
        // once TLS is required.
        dialogs.clear();
        type("DatabaseServer", QString::fromStdString(server->name));
        click("TestConnection");
        ASSERT_EQ(dialogs.shown().size(), 1u);
        EXPECT_EQ(dialogs.shownTexts()[0].rfind("Connected to the database", 0), 0u)
            << dialogs.shownTexts()[0];
        EXPECT_NE(dialogs.shownTexts()[0].find("not encrypted"), std::string::npos);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_T, Qt::AltModifier);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return setup->findChild<QCheckBox*>("ServerRequiresTls")->isChecked(); }, 2000));
        click("TestConnection");
        ASSERT_EQ(dialogs.shown().size(), 2u);
        EXPECT_NE(dialogs.shownTexts()[1].find("does not offer an encrypted (TLS) connection"),
                  std::string::npos)
            << dialogs.shownTexts()[1];
    } else {
        std::cout << "Not tried with a server that answers: " << whyNot << '\n';
        type("DatabaseServer", "host=office dbname=checks");
        setup->findChild<QCheckBox*>("ServerRequiresTls")->click();
    }
    EXPECT_TRUE(storedSettings().server().empty()) << "trying stores nothing";

    const ServerAddress typed{box("DatabaseServer").text().toStdString(), true};
    click("Done");
    EXPECT_TRUE(setup.isNull() || !setup->isVisible());
    EXPECT_EQ(storedSettings().server(), typed);
    EXPECT_EQ(session.server, typed) << "the selection screen lists its databases from now on";
    EXPECT_EQ(session.currentLocation().server(), chosenFrom);
    open();
    EXPECT_EQ(box("DatabaseServer").text().toStdString(), typed.name);
    EXPECT_TRUE(setup->findChild<QCheckBox*>("ServerRequiresTls")->isChecked());
    EXPECT_TRUE(setup->findChild<QLabel*>("ServerBackupNote")->isVisible());
}

} // namespace
} // namespace velmora
