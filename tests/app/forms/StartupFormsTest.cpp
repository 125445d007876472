#include "app/Password.h"
#include "app/SettingsStore.h"
#include "app/forms/ChangePassScreen.h"
#include "app/forms/FontFailureScreen.h"
#include "app/forms/PassScreen.h"
#include "db/RecordSet.h"
#include "db/Schema.h"
#include "support/Fixtures.h"
#include "support/RecordingNavigator.h"
#include "support/ScriptedDialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace velmora {
namespace {

using Strings = std::vector<std::string>;

const char* const kWrongPassword = "Invalid password! Please enter the correct password";

template <typename T> T* child(QWidget& form, const char* name) {
    T* widget = form.findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << "no control named " << name;
    return widget;
}

class StartupFormsTest : public ::testing::Test {
protected:
    StartupFormsTest() {
        session_.programDir = program_.dir();
        session_.dialogs = &dialogs_;
    }

    // A password screen as the program opens it, offering these font faces.
    std::unique_ptr<app::PassScreen> openPass(Strings faces = {"DejaVu Sans", "MICR65"}) {
        auto pass = std::make_unique<app::PassScreen>(session_, navigator_, [faces] { return faces; });
        pass->show();
        pass->start();
        return pass;
    }
    void typePassword(app::PassScreen& pass, const char* text) {
        QLineEdit* box = child<QLineEdit>(pass, "Password");
        box->clear();
        QTest::keyClicks(box, text);
    }
    void typeNewPassword(app::ChangePassScreen& change, const char* first, const char* second) {
        QTest::keyClicks(child<QLineEdit>(change, "Password1"), first);
        QTest::keyClicks(child<QLineEdit>(change, "Password2"), second);
    }
    app::PasswordCheck storedCheck(const std::string& typed) {
        auto settings = app::SettingsStore::open(program_.dir());
        return *app::checkPassword(settings->connection(), typed);
    }

    testing::ProgramDirFixture program_;
    testing::ScriptedDialogs dialogs_;
    testing::RecordingNavigator navigator_;
    Session session_;
};

TEST_F(StartupFormsTest, StartUpFillsTheScreenTheAboutLinesAndTheServer) {
    const ServerAddress office{"host=office dbname=checks", true};
    {
        auto settings = app::SettingsStore::open(program_.dir());
        db::SettingsRecord named;
        named.databaseServer = office.name;
        named.serverRequiresTls = office.requireTls;
        ASSERT_TRUE(settings->write(named, {db::setting::kDatabaseServer, db::setting::kServerRequiresTls}));
    }
    auto pass = openPass();
    EXPECT_EQ(session_.server, office) << "the selection screen lists the server's databases";
    EXPECT_EQ(pass->windowTitle(), "Password");
    EXPECT_EQ(child<QLabel>(*pass, "ProgramName")->text(), "Velmora");
    EXPECT_EQ(child<QLabel>(*pass, "Version")->text(), "Version 7.02");
    EXPECT_FALSE(child<QLabel>(*pass, "CopyrightLabel")->text().isEmpty());
    EXPECT_EQ(session_.aboutLines[0], "Velmora check and draft printing");

    auto* license = child<QPlainTextEdit>(*pass, "LicenseMessage");
    const QString terms = license->toPlainText();
    EXPECT_TRUE(terms.startsWith(app::PassScreen::kLicenseOpening));
    EXPECT_GE(terms.count("\n\n"), 3) << "headed paragraphs after blank lines";
    EXPECT_EQ(license->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(license->isReadOnly());

    EXPECT_TRUE(dialogs_.shown().empty());
    EXPECT_TRUE(navigator_.calls.empty()) << "MICR65 is offered: no font notice";
}

TEST_F(StartupFormsTest, EnterInThePasswordBoxActsAsAgreeWhateverTheLetterCase) {
    auto pass = openPass();
    typePassword(*pass, "TuLIP");
    EXPECT_EQ(child<QLineEdit>(*pass, "Password")->displayText(), "*****");
    QTest::keyClick(child<QLineEdit>(*pass, "Password"), Qt::Key_Return);
    EXPECT_TRUE(dialogs_.shown().empty());
    EXPECT_EQ(navigator_.calls, Strings{"FileOpen"});
    EXPECT_FALSE(pass->isVisible()) << "the password screen closes";
}

TEST_F(StartupFormsTest, WrongPasswordIsReportedAndTheTypedTextStays) {
    auto pass = openPass();
    typePassword(*pass, "tulips");
    QTest::mouseClick(child<QPushButton>(*pass, "Agree"), Qt::LeftButton);
    ASSERT_EQ(dialogs_.shownTexts(), Strings{kWrongPassword});
    EXPECT_EQ(dialogs_.shown()[0].title, "") << "the product name is the title";
    EXPECT_EQ(child<QLineEdit>(*pass, "Password")->text(), "tulips");
    EXPECT_TRUE(pass->isVisible());

    QTest::mouseClick(child<QPushButton>(*pass, "ChangePassword"), Qt::LeftButton);
    EXPECT_EQ(dialogs_.shownTexts().back(),
              "Invalid password! You must first enter the correct password to change the password.");
    EXPECT_TRUE(navigator_.calls.empty());

    QTest::mouseClick(child<QPushButton>(*pass, "Disagree"), Qt::LeftButton);
    EXPECT_EQ(navigator_.calls, Strings{"endProgram"});
}

TEST_F(StartupFormsTest, MissingMicrFontOpensTheNoticeAndThePasswordStillWorks) {
    // Only a face named exactly "MICR65" counts.
    auto pass = openPass({"micr65", "MICR65 ", "MICR", "Liberation Serif"});
    EXPECT_EQ(navigator_.calls, Strings{"FontFailure"});
    typePassword(*pass, "tulip");
    QTest::mouseClick(child<QPushButton>(*pass, "Agree"), Qt::LeftButton);
    EXPECT_EQ(navigator_.calls, (Strings{"FontFailure", "FileOpen"}));

    navigator_.calls.clear();
    auto last = openPass({"Arial", "MICR65"}); // found as the last entry
    auto none = openPass({});
    EXPECT_EQ(navigator_.calls, Strings{"FontFailure"});
}

TEST_F(StartupFormsTest, FontNoticeShowsItsTextsAndClosesOnOk) {
    app::FontFailureScreen notice;
    notice.show();
    EXPECT_EQ(notice.windowTitle(), "Font Failure Notice");
    const QString cause = child<QPlainTextEdit>(notice, "Text1")->toPlainText();
    const QString remedy = child<QPlainTextEdit>(notice, "Text2")->toPlainText();
    EXPECT_EQ(cause.split('\n').size(), 4) << "three lines, each ended";
    EXPECT_TRUE(
        cause.startsWith("The MICR65 TrueType Font cannot be detected.  If you just installed this \n"));
    EXPECT_TRUE(remedy.endsWith("select the MICR65 font and choose OK.\n"));
    QTest::mouseClick(child<QPushButton>(notice, "OK"), Qt::LeftButton);
    EXPECT_FALSE(notice.isVisible());
}

TEST_F(StartupFormsTest, MismatchedNewPasswordsReturnToThePasswordScreenWithTheOldOneKept) {
    auto pass = openPass();
    typePassword(*pass, "tulip");
    QTest::mouseClick(child<QPushButton>(*pass, "ChangePassword"), Qt::LeftButton);
    EXPECT_EQ(navigator_.calls, Strings{"ChangePass"});

    app::ChangePassScreen change(session_, navigator_);
    change.show();
    EXPECT_EQ(change.windowTitle(), "ChangePass");
    typeNewPassword(change, "daisy", "Daisy"); // compared case-sensitively
    EXPECT_EQ(child<QLineEdit>(change, "Password2")->displayText(), "*****");
    QTest::mouseClick(child<QPushButton>(change, "ChangePassword"), Qt::LeftButton);

    EXPECT_EQ(dialogs_.shownTexts(), Strings{"Passwords do not match!"});
    EXPECT_EQ(navigator_.calls, (Strings{"ChangePass", "Pass"}));
    EXPECT_FALSE(change.isVisible());
    EXPECT_EQ(storedCheck("tulip"), app::PasswordCheck::Matches);
    EXPECT_EQ(storedCheck("daisy"), app::PasswordCheck::Wrong);
}

TEST_F(StartupFormsTest, ChangedPasswordIsStoredLowerCaseAndTheNextScreenAcceptsOnlyIt) {
    app::ChangePassScreen change(session_, navigator_);
    change.show();
    typeNewPassword(change, "Daisy Chain", "Daisy Chain");
    QTest::keyClick(child<QLineEdit>(change, "Password2"), Qt::Key_Return);
    ASSERT_EQ(dialogs_.shown().size(), 1u);
    EXPECT_TRUE(dialogs_.shownTexts()[0].starts_with("Your password has been changed! Be sure to remember"));
    EXPECT_EQ(navigator_.calls, Strings{"Pass"});
    EXPECT_EQ(storedCheck("daisy chain"), app::PasswordCheck::Matches);

    dialogs_.clear();
    navigator_.calls.clear();
    auto pass = openPass();
    typePassword(*pass, "tulip");
    QTest::mouseClick(child<QPushButton>(*pass, "Agree"), Qt::LeftButton);
    EXPECT_EQ(dialogs_.shownTexts(), Strings{kWrongPassword});
    typePassword(*pass, "daisy chain");
    QTest::mouseClick(child<QPushButton>(*pass, "Agree"), Qt::LeftButton);
    EXPECT_EQ(navigator_.calls, Strings{"FileOpen"});
}

TEST_F(StartupFormsTest, EscapeNeverEndsTheProgram) {
    // The password screen has no way back: Escape does nothing.
    auto pass = openPass();
    typePassword(*pass, "tul");
    QTest::keyClick(child<QLineEdit>(*pass, "Password"), Qt::Key_Escape);
    EXPECT_TRUE(pass->isVisible());
    EXPECT_EQ(child<QLineEdit>(*pass, "Password")->text(), "tul");

    // The change-password screen goes back to the password screen, changing nothing.
    app::ChangePassScreen change(session_, navigator_);
    change.show();
    typeNewPassword(change, "daisy", "daisy");
    QTest::keyClick(child<QLineEdit>(change, "Password2"), Qt::Key_Escape);
    EXPECT_EQ(navigator_.calls, Strings{"Pass"});
    EXPECT_FALSE(change.isVisible());
    EXPECT_EQ(storedCheck("tulip"), app::PasswordCheck::Matches);
    EXPECT_TRUE(dialogs_.shown().empty());
}

TEST_F(StartupFormsTest, ExitOnTheChangeScreenEndsTheProgram) {
    app::ChangePassScreen change(session_, navigator_);
    change.show();
    QTest::mouseClick(child<QPushButton>(change, "Exit"), Qt::LeftButton);
    EXPECT_EQ(navigator_.calls, Strings{"endProgram"});
    EXPECT_EQ(storedCheck("tulip"), app::PasswordCheck::Matches);
}

TEST_F(StartupFormsTest, FailedSaveIsReportedWithoutTheConfirmation) {
    app::ChangePassScreen change(session_, navigator_);
    change.show();
    typeNewPassword(change, "daisy", "daisy");
    std::filesystem::remove(program_.dir() / app::kSettingsFileName);
    QTest::mouseClick(child<QPushButton>(change, "ChangePassword"), Qt::LeftButton);
    ASSERT_EQ(dialogs_.shown().size(), 1u);
    EXPECT_NE(dialogs_.shownTexts()[0].find("has not been changed"), std::string::npos);
    EXPECT_EQ(dialogs_.shownTexts()[0].find("has been changed!"), std::string::npos);
    EXPECT_TRUE(navigator_.calls.empty());
    EXPECT_TRUE(change.isVisible());
}

TEST_F(StartupFormsTest, MissingSettingsFileIsReportedAndNoPasswordGetsThrough) {
    std::filesystem::remove(program_.dir() / app::kSettingsFileName);
    auto pass = openPass();
    ASSERT_EQ(dialogs_.shown().size(), 1u);
    EXPECT_NE(dialogs_.shownTexts()[0].find("PC.OVL"), std::string::npos) << dialogs_.shownTexts()[0];
    typePassword(*pass, "tulip");
    QTest::mouseClick(child<QPushButton>(*pass, "Agree"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(*pass, "ChangePassword"), Qt::LeftButton);
    EXPECT_EQ(dialogs_.shown().size(), 3u);
    EXPECT_TRUE(navigator_.calls.empty());
}

TEST_F(StartupFormsTest, UnreadablePasswordRecordIsReportedNotTakenForAWrongPassword) {
    {
        auto settings = app::SettingsStore::open(program_.dir());
        db::RecordSet record(settings->connection(), db::schema::password());
        record.deleteCurrent();
    }
    auto pass = openPass();
    typePassword(*pass, "tulip");
    QTest::mouseClick(child<QPushButton>(*pass, "Agree"), Qt::LeftButton);
    ASSERT_EQ(dialogs_.shown().size(), 1u);
    EXPECT_NE(dialogs_.shownTexts()[0], kWrongPassword);
    EXPECT_NE(dialogs_.shownTexts()[0].find("password record"), std::string::npos)
        << dialogs_.shownTexts()[0];
    EXPECT_TRUE(navigator_.calls.empty());
}

} // namespace
} // namespace velmora
