#include "db/DatabaseFiles.h"
#include "db/forms/CreateNewDatabaseScreen.h"
#include "db/forms/FileOpenScreen.h"
#include "entry/forms/CheckScreen.h"
#include "support/Fixtures.h"
#include "support/MenuKeys.h"
#include "support/RecordingNavigator.h"
#include "support/ScriptedDialogs.h"
#include "support/Stores.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace velmora {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

template <typename T> T* child(QWidget& form, const char* name) {
    T* widget = form.findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << "no control named " << name;
    return widget;
}

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class DatabaseFormsTest : public ::testing::Test {
protected:
    DatabaseFormsTest() {
        session_.programDir = program_.dir();
        session_.dialogs = &dialogs_;
    }
    std::unique_ptr<db::FileOpenScreen> openFileOpen() {
        auto screen = std::make_unique<db::FileOpenScreen>(session_, navigator_);
        screen->show();
        screen->start();
        return screen;
    }
    QStringList listed(db::FileOpenScreen& screen) {
        QStringList names;
        auto* list = child<QListWidget>(screen, "File1");
        for (int i = 0; i < list->count(); ++i)
            names << list->item(i)->text();
        return names;
    }

    testing::ProgramDirFixture program_;
    testing::ScriptedDialogs dialogs_;
    testing::RecordingNavigator navigator_;
    Session session_;
};

TEST_F(DatabaseFormsTest, NoDatabaseShowsTheExplanationOnceAndStays) {
    std::ofstream(program_.dir() / "Old.bak") << "backup";
    auto screen = openFileOpen();
    EXPECT_EQ(screen->windowTitle(), "Choose a Database to Use");
    ASSERT_EQ(dialogs_.shown().size(), 1u);
    const std::string text = dialogs_.shownTexts()[0];
    EXPECT_TRUE(text.starts_with("Before you can use Velmora, you must create a database. Each database"));
    EXPECT_NE(text.find("any other database. \n\nVelmora has two different types"), std::string::npos);
    EXPECT_NE(text.find("for your needs. \n\nFor example"), std::string::npos);
    EXPECT_TRUE(
        text.ends_with("print your own checks.  \n\nChoose the Create New Database button to create the "
                       "database."));
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(dialogs_.shown()[0].buttons, DialogButtons::Ok);
    EXPECT_TRUE(screen->isVisible());
    EXPECT_TRUE(navigator_.calls.empty());
    EXPECT_TRUE(listed(*screen).isEmpty());
}

TEST_F(DatabaseFormsTest, OkNeedsASelectionAndThenOpensTheChosenDatabase) {
    program_.createDatabase("Payroll", db::DatabaseType::Check);
    program_.createDatabase("Monthly", db::DatabaseType::Draft);
    std::ofstream(program_.dir() / "Monthly.bak") << "backup";
    auto screen = openFileOpen();
    EXPECT_TRUE(dialogs_.shown().empty());
    EXPECT_EQ(listed(*screen), (QStringList{"Monthly.mdb", "Payroll.mdb"}));

    QTest::mouseClick(child<QPushButton>(*screen, "FileOK"), Qt::LeftButton);
    ASSERT_EQ(dialogs_.shown().size(), 1u);
    EXPECT_EQ(dialogs_.shown()[0].text, "Please select a file from the list and then choose OK");
    EXPECT_EQ(dialogs_.shown()[0].title, "No File Selected!");
    EXPECT_TRUE(navigator_.calls.empty());
    EXPECT_TRUE(screen->isVisible());

    auto* list = child<QListWidget>(*screen, "File1");
    list->item(1)->setSelected(true);
    QTest::keyClick(list, Qt::Key_Return); // OK is the default button
    EXPECT_EQ(session_.currentDatabase, "Payroll.mdb");
    EXPECT_EQ(navigator_.calls, Strings{"Check"});
    EXPECT_FALSE(screen->isVisible());
}

TEST_F(DatabaseFormsTest, TheServersCheckDatabasesAreListedBesideTheFilesAndOpenAsShared) {
    testing::StoreFixture server(testing::Store::Server);
    VELMORA_SKIP_WITHOUT(server);
    program_.createDatabase("Payroll", db::DatabaseType::Check);
    db::CheckDatabase shared = server.createDatabase("Payroll", db::DatabaseType::Draft);
    testing::setCheckFields(shared, 1, {{"PayTo", "Office payee"}});
    const std::string sharedName = server.storedName("Payroll");
    const QString sharedEntry = db::FileOpenScreen::sharedEntry(sharedName);

    auto screen = openFileOpen();
    EXPECT_EQ(listed(*screen), QStringList{"Payroll.mdb"}) << "no server named, nothing of it listed";
    session_.server = server.server();
    screen = openFileOpen();
    // Other tests' databases may stand on the test server beside this one: the files come first.
    const QStringList names = listed(*screen);
    ASSERT_TRUE(names.contains(sharedEntry)) << names.join(" | ").toStdString();
    EXPECT_EQ(names.front(), "Payroll.mdb");
    EXPECT_TRUE(dialogs_.shown().empty()) << dialogs_.shownTexts()[0];
    EXPECT_FALSE(child<QLabel>(*screen, "ServerLine")->isVisible());

    auto* list = child<QListWidget>(*screen, "File1");
    list->setCurrentRow(static_cast<int>(names.indexOf(sharedEntry)), QItemSelectionModel::ClearAndSelect);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(navigator_.calls, Strings{"Check"});
    EXPECT_EQ(session_.currentDatabase, sharedName);
    EXPECT_EQ(session_.currentServer, server.server());
    // The data entry screen the selection leads to opens the server's database at its template check.
    {
        entry::CheckScreen dataEntry(session_, navigator_, dialogs_);
        ASSERT_TRUE(dataEntry.load()) << (dialogs_.shown().empty() ? "" : dialogs_.shownTexts()[0]);
        EXPECT_EQ(child<QLineEdit>(dataEntry, "PayToOrderOf")->text(), "Office payee");
    }

    // A file chosen afterwards is a file again, whatever its name.
    screen = openFileOpen();
    list = child<QListWidget>(*screen, "File1");
    list->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(session_.currentDatabase, "Payroll.mdb");
    EXPECT_FALSE(session_.currentShared());
    EXPECT_EQ(session_.currentLocation().file(), program_.dir() / "Payroll.mdb");
}

TEST_F(DatabaseFormsTest, AServerThatCannotBeReachedLeavesTheFilesListedAndSaysWhyInOneLine) {
    program_.createDatabase("Payroll", db::DatabaseType::Check);
    session_.server = {"host=/nonexistent/velmora dbname=checks", false};
    auto screen = openFileOpen();
    EXPECT_EQ(listed(*screen), QStringList{"Payroll.mdb"});
    EXPECT_TRUE(dialogs_.shown().empty()) << dialogs_.shownTexts()[0];
    auto* line = child<QLabel>(*screen, "ServerLine");
    EXPECT_TRUE(line->isVisible());
    EXPECT_TRUE(line->text().contains("could not be reached")) << line->text().toStdString();

    // With no file either, the explanation of how to make a database is still the one message.
    fs::remove(program_.dir() / "Payroll.mdb");
    screen = openFileOpen();
    EXPECT_TRUE(listed(*screen).isEmpty());
    ASSERT_EQ(dialogs_.shown().size(), 1u);
    EXPECT_EQ(dialogs_.shown()[0].text, db::FileOpenScreen::noDatabaseExplanation());
}

TEST_F(DatabaseFormsTest, TheKeyboardAloneChoosesADatabase) {
    program_.createDatabase("Payroll", db::DatabaseType::Check);
    auto screen = openFileOpen();
    screen->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(screen.get()));
    auto* list = child<QListWidget>(*screen, "File1");
    ASSERT_TRUE(list->hasFocus());

    // The first Down selects the only file; Return opens it.
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(list->selectedItems().size(), 1);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_TRUE(dialogs_.shown().empty()) << dialogs_.shownTexts()[0];
    EXPECT_EQ(navigator_.calls, Strings{"Check"});
    EXPECT_EQ(session_.currentDatabase, "Payroll.mdb");

    // With more files the first Down selects the first, the next moves on.
    program_.createDatabase("Monthly", db::DatabaseType::Draft);
    auto again = openFileOpen();
    again->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(again.get()));
    list = child<QListWidget>(*again, "File1");
    QTest::keyClick(list, Qt::Key_Down);
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->selectedItems()[0]->text(), "Monthly.mdb");
    QTest::keyClick(list, Qt::Key_Down);
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->selectedItems()[0]->text(), "Payroll.mdb");

    // Return on the file the list shows as current opens it, with no arrow key first.
    auto third = openFileOpen();
    third->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(third.get()));
    list = child<QListWidget>(*third, "File1");
    list->setCurrentRow(1, QItemSelectionModel::Current);
    ASSERT_TRUE(list->selectedItems().isEmpty());
    dialogs_.clear();
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_TRUE(dialogs_.shown().empty()) << dialogs_.shownTexts()[0];
    EXPECT_EQ(session_.currentDatabase, "Payroll.mdb");
}

TEST_F(DatabaseFormsTest, TheHelpMenuOpensFromTheKeyboard) {
    program_.createDatabase("Payroll", db::DatabaseType::Check);
    auto screen = openFileOpen();
    screen->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(screen.get()));
    auto* bar = child<QMenuBar>(*screen, "FileOpenMenuBar");
    EXPECT_TRUE(testing::menuBarOpensFromTheKeyboard(*bar));
    EXPECT_EQ(bar->actions().value(0)->text(), "&Help");
}

TEST_F(DatabaseFormsTest, EscapeNeverEndsTheProgram) {
    // The selection screen has no way back: Escape does nothing.
    program_.createDatabase("Payroll", db::DatabaseType::Check);
    auto screen = openFileOpen();
    QTest::keyClick(child<QListWidget>(*screen, "File1"), Qt::Key_Escape);
    EXPECT_TRUE(screen->isVisible());
    EXPECT_TRUE(navigator_.calls.empty());

    // The creation screen goes back to the selection screen, creating nothing.
    db::CreateNewDatabaseScreen create(session_, navigator_);
    create.show();
    QTest::keyClicks(child<QLineEdit>(create, "DatabaseName"), "Monthly");
    QTest::keyClick(child<QLineEdit>(create, "DatabaseName"), Qt::Key_Escape);
    EXPECT_EQ(navigator_.calls, Strings{"FileOpen"});
    EXPECT_FALSE(create.isVisible());
    EXPECT_FALSE(fs::exists(program_.dir() / "Monthly.mdb"));
    EXPECT_TRUE(dialogs_.shown().empty());
}

TEST_F(DatabaseFormsTest, DoubleClickOpensAndTheOtherButtonsLeave) {
    program_.createDatabase("Payroll", db::DatabaseType::Check);
    auto screen = openFileOpen();
    QListWidget* list = child<QListWidget>(*screen, "File1");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(screen.get()));
    const QPoint onItem = list->visualItemRect(list->item(0)).center();
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, onItem); // a double-click starts with a press
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, onItem);
    EXPECT_EQ(navigator_.calls, Strings{"Check"});
    EXPECT_EQ(session_.currentDatabase, "Payroll.mdb");
    EXPECT_TRUE(dialogs_.shown().empty());

    navigator_.calls.clear();
    auto third = openFileOpen();
    QTest::mouseClick(child<QPushButton>(*third, "CreateNewDatabase"), Qt::LeftButton);
    EXPECT_EQ(navigator_.calls, Strings{"CreateNewDatabase"});
    EXPECT_FALSE(third->isVisible());
    auto fourth = openFileOpen();
    QTest::mouseClick(child<QPushButton>(*fourth, "Exit"), Qt::LeftButton);
    EXPECT_EQ(navigator_.calls, (Strings{"CreateNewDatabase", "endProgram"}));
}

class CreateNewDatabaseTest : public DatabaseFormsTest {
protected:
    CreateNewDatabaseTest() { screen_.show(); }
    QLineEdit* nameBox() { return child<QLineEdit>(screen_, "DatabaseName"); }
    void create() { QTest::mouseClick(child<QPushButton>(screen_, "CreateDatabase"), Qt::LeftButton); }
    std::optional<std::string> accountTypeOf(const std::string& file) {
        auto database = db::CheckDatabase::open(program_.dir() / file);
        EXPECT_TRUE(database.ok()) << database.message();
        return database ? database->readProperties()->accountType : std::nullopt;
    }

    db::CreateNewDatabaseScreen screen_{session_, navigator_};
};

TEST_F(CreateNewDatabaseTest, OpensWithNoTypeChosenAndANameBoxOf36Characters) {
    EXPECT_EQ(screen_.windowTitle(), "Create New Database");
    EXPECT_FALSE(child<QRadioButton>(screen_, "DraftOption")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(screen_, "CheckOption")->isChecked());

    const QString name36 = "Employee payroll checks of 2026 abcd";
    ASSERT_EQ(name36.size(), 36);
    QTest::keyClicks(nameBox(), name36 + "XYZ");
    EXPECT_EQ(nameBox()->text(), name36) << "the box takes no 37th character";

    QTest::keyClick(nameBox(), Qt::Key_Return); // Create Database is the default button
    EXPECT_EQ(dialogs_.shown().size(), 1u);
    EXPECT_EQ(dialogs_.shown()[0].text, "Your new database has been created");
    EXPECT_EQ(dialogs_.shown()[0].title, "Notice");
    EXPECT_EQ(navigator_.calls, Strings{"FileOpen"});
    EXPECT_FALSE(screen_.isVisible());
    EXPECT_EQ(accountTypeOf(name36.toStdString() + ".mdb"), "Draft") << "the template's type";
}

TEST_F(CreateNewDatabaseTest, ExistingFileIsLeftUntouchedAndTheScreenStays) {
    std::ofstream(program_.dir() / "Payroll.mdb", std::ios::binary) << "someone's data";
    QTest::mouseClick(child<QRadioButton>(screen_, "DraftOption"), Qt::LeftButton);
    QTest::keyClicks(nameBox(), "Payroll");
    create();
    ASSERT_EQ(dialogs_.shown().size(), 1u);
    EXPECT_EQ(dialogs_.shown()[0].text, db::CreateNewDatabaseScreen::kFailureText);
    EXPECT_EQ(dialogs_.shown()[0].title, "");
    EXPECT_TRUE(navigator_.calls.empty());
    EXPECT_TRUE(screen_.isVisible());
    EXPECT_EQ(readFile(program_.dir() / "Payroll.mdb"), "someone's data");

    QTest::mouseClick(child<QPushButton>(screen_, "Exit"), Qt::LeftButton);
    EXPECT_EQ(navigator_.calls, Strings{"endProgram"});
}

TEST_F(CreateNewDatabaseTest, OnTheServerWhenOneIsNamedAndItsRefusalsSayWhy) {
    EXPECT_FALSE(child<QCheckBox>(screen_, "OnServer")->isVisible()) << "no server named";
    testing::StoreFixture server(testing::Store::Server);
    VELMORA_SKIP_WITHOUT(server);
    session_.server = server.server();
    const std::string name = server.storedName("Rent");
    const std::string upper = QString::fromStdString(name).toUpper().toStdString();
    server.dropAtEnd(name);
    server.dropAtEnd(upper); // should the refusal below fail

    const auto createOnServer = [&](const std::string& typed) {
        auto create = std::make_unique<db::CreateNewDatabaseScreen>(session_, navigator_);
        create->show();
        create->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(create.get()));
        for (const auto& [key, captions] : testing::accessKeys(*create))
            EXPECT_EQ(captions.size(), 1) << captions.join(" | ").toStdString();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::AltModifier);
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return child<QCheckBox>(*create, "OnServer")->isChecked(); }, 2000));
        QTest::mouseClick(child<QRadioButton>(*create, "CheckOption"), Qt::LeftButton);
        QTest::keyClicks(child<QLineEdit>(*create, "DatabaseName"), QString::fromStdString(typed));
        QTest::keyClick(child<QLineEdit>(*create, "DatabaseName"), Qt::Key_Return);
        return create;
    };
    auto created = createOnServer(name);
    ASSERT_EQ(dialogs_.shownTexts(), Strings{"Your new database has been created"});
    EXPECT_EQ(navigator_.calls, Strings{"FileOpen"});
    const auto properties = server.open("Rent").readProperties();
    ASSERT_TRUE(properties) << properties.message();
    EXPECT_EQ(properties->accountType, "Check");
    EXPECT_EQ(properties->description, name);
    EXPECT_EQ(db::listDatabases(program_.dir()), Strings{}) << "no file made beside it";

    // The same name in other letters is taken: the cause is told and the screen stays.
    dialogs_.clear();
    auto refused = createOnServer(upper);
    ASSERT_EQ(dialogs_.shown().size(), 1u);
    EXPECT_NE(dialogs_.shownTexts()[0].find("already exists on the database server"), std::string::npos)
        << dialogs_.shownTexts()[0];
    EXPECT_TRUE(refused->isVisible());
    EXPECT_EQ(navigator_.calls, Strings{"FileOpen"});
}

} // namespace
} // namespace velmora
