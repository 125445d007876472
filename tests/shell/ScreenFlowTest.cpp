#include "shell/ScreenFlow.h"

#include "app/SettingsStore.h"
#include "db/RecordSet.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>

// The program's own screens and the way between them, driven by the keyboard as a user would. These
// tests also run under valgrind (scripts/test.sh): screens free themselves once they close, and a
// screen freed while one of its own events still runs shows there.
namespace velmora {
namespace {

namespace fs = std::filesystem;

class ScreenFlowTest : public ::testing::Test {
protected:
    ScreenFlowTest() {
        session_.programDir = program_.dir();
        session_.dialogs = &dialogs_;
        auto settings = app::SettingsStore::open(program_.dir());
        db::SettingsRecord backup;
        backup.backupOnExit = true;
        EXPECT_TRUE(settings->write(backup, {db::setting::kBackupOnExit}));
        auto database = program_.createDatabase("A", db::DatabaseType::Draft);
        testing::setCheckFields(database, 1, {{"PayTo", "Velmora"}});
    }
    ~ScreenFlowTest() override {
        // Whatever a failed test left open goes before the session it refers to.
        QApplication::closeAllWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The visible screen of this name, once the flow has shown it.
    QWidget* screen(const char* name) {
        QWidget* found = nullptr;
        (void)QTest::qWaitFor([&] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (window->objectName() == QLatin1String(name) && window->isVisible())
                    found = window;
            }
            return found != nullptr;
        });
        EXPECT_NE(found, nullptr) << "no screen " << name;
        return found;
    }
    static bool anyScreenVisible() {
        const auto windows = QApplication::topLevelWidgets();
        return std::any_of(windows.begin(), windows.end(), [](QWidget* w) { return w->isVisible(); });
    }

    testing::ProgramDirFixture program_;
    testing::ScriptedDialogs dialogs_;
    Session session_;
    shell::ScreenFlow flow_{session_};
};

TEST_F(ScreenFlowTest, KeyboardAloneFromThePasswordToTheChecksAndOutThroughTheFileMenu) {
    flow_.show("Pass");
    QWidget* pass = screen("Pass");
    ASSERT_NE(pass, nullptr);
    auto* password = pass->findChild<QLineEdit*>("Password");
    QTest::keyClicks(password, "tulip");
    QTest::keyClick(password, Qt::Key_Return);

    QWidget* fileOpen = screen("FileOpen");
    ASSERT_NE(fileOpen, nullptr);
    auto* files = fileOpen->findChild<QListWidget*>("File1");
    QTest::keyClick(files, Qt::Key_Down);
    QTest::keyClick(files, Qt::Key_Return);

    QPointer<QWidget> checks = screen("Check");
    ASSERT_FALSE(checks.isNull());
    EXPECT_EQ(checks->windowTitle(), "Draft Database: A");
    // File - Exit chosen by its access key: the menu's own key press runs the exit.
    ASSERT_TRUE(QTest::qWaitForWindowActive(checks));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::AltModifier);
    auto* fileMenu = checks->findChild<QMenu*>("FileMenu");
    ASSERT_TRUE(QTest::qWaitFor([&] { return fileMenu->isVisible(); }));
    QTest::keyClick(fileMenu, Qt::Key_X);

    EXPECT_TRUE(QTest::qWaitFor([&] { return checks.isNull() && !anyScreenVisible(); }));
    EXPECT_TRUE(db::CheckDatabase::open(program_.dir() / "A.bak", db::OpenMode::ReadOnly).ok());
    EXPECT_TRUE(dialogs_.shown().empty()) << dialogs_.shownTexts()[0];
}

TEST_F(ScreenFlowTest, TheExitRoutineRunsOnceTheCallersEventHasReturned) {
    session_.currentDatabase = "A.mdb";
    flow_.exitProgram();
    EXPECT_FALSE(fs::exists(program_.dir() / "A.bak")) << "not from inside the caller's event";
    EXPECT_TRUE(QTest::qWaitFor([&] { return fs::exists(program_.dir() / "A.bak"); }));
    EXPECT_TRUE(dialogs_.shown().empty());
    EXPECT_TRUE(db::CheckDatabase::open(program_.dir() / "A.bak", db::OpenMode::ReadOnly).ok());
}

TEST_F(ScreenFlowTest, AFailedBackupIsReportedBeforeTheEnd) {
    std::ofstream(program_.dir() / "A.bak", std::ios::binary) << "previous backup";
    std::ofstream(program_.dir() / "A.mdb", std::ios::binary | std::ios::trunc)
        << "no longer a database, and long enough to be read as a header.......................";
    session_.currentDatabase = "A.mdb";
    flow_.exitProgram();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs_.shown().empty(); }));
    EXPECT_NE(dialogs_.shownTexts()[0].find("A.mdb"), std::string::npos) << dialogs_.shownTexts()[0];
    std::string previous;
    std::getline(std::ifstream(program_.dir() / "A.bak"), previous);
    EXPECT_EQ(previous, "previous backup");
}

// Outside the suite above, which also runs under valgrind: these open every screen.
class ScreenTableTest : public ScreenFlowTest {};

TEST_F(ScreenTableTest, EachScreenComesUpUnderTheNameItIsAskedForBy) {
    session_.currentDatabase = "A.mdb";
    for (const std::string_view name : shell::ScreenFlow::screenNames()) {
        flow_.show(name);
        QWidget* shown = screen(std::string(name).c_str());
        ASSERT_NE(shown, nullptr);
        // Gone without closing: the printer screens' close brings back the screen before them.
        delete shown;
    }
    EXPECT_TRUE(dialogs_.shown().empty()) << dialogs_.shownTexts()[0];
}

TEST_F(ScreenTableTest, AScreenThatCannotReadItsDatabaseFallsBackStepByStepToTheSelection) {
    session_.currentDatabase = "Gone.mdb";
    flow_.show("PrinterControl");
    EXPECT_NE(screen("FileOpen"), nullptr);
    // The printer menu and the data entry screen each said why they could not open, and none came up.
    for (const char* name : {"PrinterControl", "Check"}) {
        for (QWidget* window : QApplication::topLevelWidgets())
            EXPECT_FALSE(window->objectName() == QLatin1String(name) && window->isVisible()) << name;
    }
    EXPECT_EQ(dialogs_.shown().size(), 2u);
}

} // namespace
} // namespace velmora
