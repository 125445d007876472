#include "app/forms/AboutScreen.h"
#include "app/forms/MicrInformationScreen.h"
#include "base/Product.h"
#include "db/forms/FileOpenScreen.h"
#include "entry/forms/CheckScreen.h"
#include "print/RecordingSurface.h"
#include "print/forms/PrinterControlScreen.h"
#include "shell/ScreenFlow.h"
#include "support/Fixtures.h"
#include "support/HelpTextsAsWritten.h"
#include "support/RecordingNavigator.h"
#include "support/ScriptedDialogs.h"
#include "widgets/QtDialogs.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace velmora {
namespace {

using testing::helpTextAsWritten;
using Strings = std::vector<std::string>;

template <typename T> T* child(QWidget& screen, const char* name) {
    T* widget = screen.findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << "no control named " << name;
    return widget;
}

std::string text(app::HelpTopic topic) {
    return helpTextAsWritten(topic);
}

class HelpMenusTest : public ::testing::Test {
protected:
    HelpMenusTest()
        : database(program.createDatabase("Payroll", db::DatabaseType::Draft)) {
        session.programDir = program.dir();
        session.currentDatabase = "Payroll.mdb";
        session.dialogs = &dialogs;
        testing::setCheckFields(database, 1, {{"PayTo", "Velmora"}});
    }

    static Strings captions(QMenu& menu) {
        Strings found;
        for (QAction* action : menu.actions())
            found.push_back(action->text().toStdString());
        return found;
    }
    // Chooses each entry of the menu in turn; what each did: the text of the message box it showed,
    // or the screen it asked for.
    Strings chooseEach(QMenu& menu) {
        Strings outcomes;
        for (QAction* action : menu.actions()) {
            const std::size_t shown = dialogs.shown().size();
            const std::size_t calls = navigator.calls.size();
            action->trigger();
            if (dialogs.shown().size() == shown + 1 && navigator.calls.size() == calls) {
                const MessageBox& box = dialogs.shown().back();
                EXPECT_EQ(box.buttons, DialogButtons::Ok) << action->text().toStdString();
                EXPECT_EQ(box.title, "") << "the product name, the program's own title";
                outcomes.push_back(box.text);
            } else if (navigator.calls.size() == calls + 1 && dialogs.shown().size() == shown) {
                outcomes.push_back(navigator.calls.back());
            } else {
                outcomes.push_back("(" + action->text().toStdString() + " did not do one thing)");
            }
        }
        return outcomes;
    }

    testing::ProgramDirFixture program;
    db::CheckDatabase database;
    testing::ScriptedDialogs dialogs;
    testing::RecordingNavigator navigator;
    Session session;
};

TEST_F(HelpMenusTest, SelectionScreenShowsItsTwoTopicsAndTheAboutBox) {
    db::FileOpenScreen screen(session, navigator);
    QMenu& help = *child<QMenu>(screen, "Help");
    EXPECT_EQ(captions(help),
              (Strings{"Choosing or Creating a Database", "Restoring a Corrupt Database", "About"}));
    EXPECT_EQ(chooseEach(help), (Strings{text(app::HelpTopic::ChoosingADatabase),
                                         text(app::HelpTopic::RestoringADatabase), "HelpAbout"}));
}

TEST_F(HelpMenusTest, DataEntryScreenSavesTheCheckBeforeTheAboutBoxOrTheMicrScreen) {
    const auto id = testing::addCheck(database, {{"PayTo", "Ann"}});
    entry::CheckScreen screen(session, navigator, dialogs);
    ASSERT_TRUE(screen.load());
    screen.show();
    QMenu& help = *child<QMenu>(screen, "HelpMenu");
    EXPECT_EQ(captions(help), (Strings{"&Help With MICR Routing Information", "Bank Account Number",
                                       "&Bank Routing Number", "Check Numbers", "Entering Check &Information",
                                       "How Will This Check Print Option", "How to Print Checks",
                                       "Ordering &Check Stock", "Product Type Drop Down Box", "&About"}));
    EXPECT_EQ(
        chooseEach(help),
        (Strings{"MicrForm", text(app::HelpTopic::BankAccountNumber), text(app::HelpTopic::BankRoutingNumber),
                 text(app::HelpTopic::CheckNumbers), text(app::HelpTopic::EnteringCheckInformation),
                 text(app::HelpTopic::PrintOption), text(app::HelpTopic::HowToPrintChecks), "HelpAbout",
                 text(app::HelpTopic::ProductType), "HelpAbout"}));

    // What was typed is in the record before the other screen opens.
    for (const char* entry : {"HelpMicr", "HelpCheckStock", "HelpAbout"}) {
        const std::string payee = std::string("Paid before ") + entry;
        auto* payTo = child<QLineEdit>(screen, "PayToOrderOf");
        payTo->setFocus();
        payTo->selectAll();
        QTest::keyClicks(payTo, QString::fromStdString(payee));
        child<QAction>(screen, entry)->trigger();
        EXPECT_EQ(testing::readCheck(database, id).payTo, payee);
    }
    // An amount the record cannot take keeps the user on the check: nothing opens.
    navigator.calls.clear();
    auto* amount = child<QLineEdit>(screen, "CheckAmount");
    amount->setText("12.345");
    child<QAction>(screen, "HelpAbout")->trigger();
    EXPECT_TRUE(navigator.calls.empty());
    EXPECT_NE(dialogs.shown().back().text.find("two decimals"), std::string::npos)
        << dialogs.shown().back().text;
}

TEST_F(HelpMenusTest, PrinterControlShowsItsTopicsAndTheAboutBoxForCheckStock) {
    print::RecordingSurface surface({"Times New Roman", "MICR65"});
    print::PrinterControlScreen screen(session, navigator, &surface);
    ASSERT_TRUE(screen.load());
    QMenu& help = *child<QMenu>(screen, "hpc");
    EXPECT_EQ(captions(help), (Strings{"Checks Are Not Printing Properly", "Printing Labels",
                                       "Printing Blank Checks", "Printing Quicken(tm) Compatible Checks",
                                       "Printing Checks Multiple Times", "Purchasing Check Stock",
                                       "Selecting What You Want to Print", "About Check Stock", "About"}));
    EXPECT_EQ(
        chooseEach(help),
        (Strings{text(app::HelpTopic::ChecksNotPrintingProperly), text(app::HelpTopic::PrintingLabels),
                 text(app::HelpTopic::PrintingBlankChecks), text(app::HelpTopic::QuickenCompatibleChecks),
                 text(app::HelpTopic::PrintingMultipleTimes), "HelpAbout",
                 text(app::HelpTopic::SelectingWhatToPrint), text(app::HelpTopic::AboutCheckStock),
                 "HelpAbout"}));
}

TEST_F(HelpMenusTest, TheMessageBoxIsTitledWithTheProductNameAndOffersOnlyOk) {
    widgets::QtDialogs qtDialogs;
    session.dialogs = &qtDialogs;
    print::RecordingSurface surface({"Times New Roman", "MICR65"});
    print::PrinterControlScreen screen(session, navigator, &surface);
    ASSERT_TRUE(screen.load());
    QString title;
    QString shown;
    QMessageBox::StandardButtons buttons;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        shown = box->text();
        buttons = box->standardButtons();
        box->button(QMessageBox::Ok)->click();
    });
    child<QAction>(screen, "pcmth")->trigger();
    EXPECT_EQ(title, "Velmora");
    EXPECT_EQ(shown.toStdString(), text(app::HelpTopic::PrintingMultipleTimes));
    EXPECT_EQ(buttons, QMessageBox::Ok);
}

TEST(AboutScreenTest, ShowsTheSettingsLinesUnderTheNameAndKeepsItsShapeWithoutThem) {
    app::AboutScreen filled({"Sold by Example Forms", "Call 555-0100 for check stock", "Third line"});
    app::AboutScreen empty({"", "", ""});
    filled.show();
    empty.show();
    EXPECT_EQ(filled.objectName(), "HelpAbout");
    EXPECT_FALSE(filled.isModal());
    EXPECT_EQ(child<QLabel>(filled, "HelpAboutLine1")->text(), "Sold by Example Forms");
    EXPECT_EQ(child<QLabel>(filled, "HelpAboutLine2")->text(), "Call 555-0100 for check stock");
    EXPECT_EQ(child<QLabel>(filled, "HelpAboutLine3")->text(), "Third line");
    auto* name = child<QLabel>(filled, "ProgramName");
    auto* version = child<QLabel>(filled, "Version");
    EXPECT_GT(name->font().pointSizeF(), version->font().pointSizeF());
    EXPECT_GE(version->x(), name->geometry().right()) << "the version stands right of the name";
    EXPECT_EQ(child<QLabel>(filled, "TradeMark")->text(), "(TM)");
    auto* line3 = child<QLabel>(filled, "HelpAboutLine3");
    EXPECT_GT(line3->y(), child<QLabel>(filled, "HelpAboutLine2")->geometry().bottom());
    EXPECT_GE(line3->height(), 2 * line3->fontMetrics().lineSpacing());

    // Without the settings lines: the name, version and copyright line over three empty lines.
    EXPECT_EQ(child<QLabel>(empty, "ProgramName")->text(), "Velmora");
    EXPECT_EQ(child<QLabel>(empty, "Version")->text(), "Version 7.02");
    EXPECT_EQ(child<QLabel>(empty, "CopyrightLabel")->text().toStdString(), product::kCopyright);
    for (const char* line : {"HelpAboutLine1", "HelpAboutLine2", "HelpAboutLine3"}) {
        QLabel* label = child<QLabel>(empty, line);
        EXPECT_TRUE(label->text().isEmpty()) << line;
        EXPECT_TRUE(label->isVisible()) << line;
        EXPECT_EQ(label->geometry(), child<QLabel>(filled, line)->geometry()) << line << " keeps its place";
    }
    QTest::mouseClick(child<QPushButton>(empty, "OK"), Qt::LeftButton);
    EXPECT_FALSE(empty.isVisible());
}

TEST(MicrInformationScreenTest, ExplainsEachNumberWithItsExampleInTheMicrFont) {
    app::MicrInformationScreen screen;
    screen.show();
    EXPECT_EQ(screen.objectName(), "MicrForm");
    EXPECT_EQ(screen.windowTitle(), "ABA MICR Information");
    EXPECT_FALSE(screen.isModal());
    EXPECT_EQ(child<QLabel>(screen, "Heading")->text(),
              "How to read MICR Bank account information from printed checks.");
    EXPECT_EQ(
        child<QPlainTextEdit>(screen, "GeneralText")->toPlainText(),
        "MICR information always appears at the bottom of the check.  The Transit number is the only number "
        "to have unique Transit symbols before and after it. The check number and account numbers share the "
        "same symbol.");
    EXPECT_EQ(
        child<QPlainTextEdit>(screen, "AccountNumberText")->toPlainText(),
        "The numbers that are left after the check and routing numbers have been identified.  Inclues all "
        "numbers before and after any spaces or dashes if they exist. You should enter spaces and dashes as "
        "the appear in the account number. Use an uppercase letter D to enter a dash on the MICR line.");
    EXPECT_EQ(
        child<QLabel>(screen, "CheckNumberText")->text().split('\n').filter(QRegularExpression(".")),
        (QStringList{"May appear before or after", "routing and account number", "information. It may or may",
                     "not have the ABA symbols", "before and after it.", "This number is also printed",
                     "in the upper right hand", "corner of the check."}));
    EXPECT_EQ(child<QLabel>(screen, "TransitNumberText")->text().split('\n').filter(QRegularExpression(".")),
              (QStringList{"is always the only line to contain", "these unique ABA codes.",
                           "The number between these codes", "is the bank Transit number.",
                           "It is always 9 digits in length.", "Canadian bank Transit numbers",
                           "always contain a dash in place", "of the 4th number."}));
    for (QPlainTextEdit* box : screen.findChildren<QPlainTextEdit*>()) {
        EXPECT_TRUE(box->isReadOnly());
        EXPECT_EQ(box->verticalScrollBar()->maximum(), 0)
            << box->objectName().toStdString() << ": the whole text shows without scrolling";
    }

    const std::pair<const char*, const char*> examples[] = {{"CheckNumberExample", "C801C"},
                                                            {"TransitNumberExample", "A123456789A"},
                                                            {"AccountNumberExample", "110D0054C"},
                                                            {"CanadianTransitExample", "A123D56789A"}};
    for (const auto& [name, example] : examples) {
        QLabel* label = child<QLabel>(screen, name);
        EXPECT_EQ(label->text(), example);
        EXPECT_EQ(QFontInfo(label->font()).family(), "MICR65") << name;
    }
    QTest::mouseClick(child<QPushButton>(screen, "OK"), Qt::LeftButton);
    EXPECT_FALSE(screen.isVisible());
}

// The screen flow keeps one About box and one MICR screen open at a time, beside the screen that
// asked for them.
class HelpScreensFlowTest : public ::testing::Test {
protected:
    HelpScreensFlowTest() {
        session.programDir = program.dir();
        session.dialogs = &dialogs;
        session.aboutLines = {"First line", "Second line", "Third line"};
        caller.setObjectName("Caller");
        caller.resize(300, 240);
        caller.move(20, 20);
        caller.show();
        caller.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&caller));
    }
    ~HelpScreensFlowTest() override {
        QApplication::closeAllWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    static std::vector<QWidget*> windowsNamed(const char* name) {
        std::vector<QWidget*> found;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->objectName() == QLatin1String(name) && window->isVisible())
                found.push_back(window);
        }
        return found;
    }
    void expectOneCopyBesideTheCaller(const char* name) {
        flow.show(name);
        ASSERT_EQ(windowsNamed(name).size(), 1u) << name;
        QPointer<QWidget> first = windowsNamed(name).front();
        // Beside the caller where the screen has room for it there, and whole on the screen.
        const QRect area = caller.screen()->availableGeometry();
        const bool room = area.right() - caller.frameGeometry().right() > first->frameGeometry().width() + 12;
        EXPECT_TRUE(!room || !first->frameGeometry().intersects(caller.frameGeometry()))
            << name << " stands beside";
        EXPECT_TRUE(area.contains(first->frameGeometry()))
            << name << " at " << first->frameGeometry().x() << "," << first->frameGeometry().y() << " "
            << first->frameGeometry().width() << "x" << first->frameGeometry().height() << " on "
            << area.width() << "x" << area.height();
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the caller stays usable";
        EXPECT_TRUE(caller.isEnabled());

        caller.activateWindow();
        flow.show(name);
        EXPECT_EQ(windowsNamed(name), std::vector<QWidget*>{first.data()}) << "no second copy of " << name;

        first->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(first.isNull()) << name << " is freed once closed";
        flow.show(name);
        EXPECT_EQ(windowsNamed(name).size(), 1u) << "a closed " << name << " opens again";
    }

    testing::ProgramDirFixture program;
    testing::ScriptedDialogs dialogs;
    Session session;
    shell::ScreenFlow flow{session};
    QWidget caller;
};

TEST_F(HelpScreensFlowTest, OneAboutBoxAtATimeAndChoosingItAgainDoesNotRefillIt) {
    expectOneCopyBesideTheCaller("HelpAbout");
    session.aboutLines = {"Changed", "", ""};
    flow.show("HelpAbout");
    QWidget* about = windowsNamed("HelpAbout").front();
    EXPECT_EQ(child<QLabel>(*about, "HelpAboutLine1")->text(), "First line");
}

TEST_F(HelpScreensFlowTest, WithoutRoomBesideTheCallerTheBoxCoversTheLeastOfIt) {
    const QRect area = caller.screen()->availableGeometry();
    const int wide = area.width() - 300;
    for (const int callerLeft : {60, 240}) {
        caller.setGeometry(area.left() + callerLeft, 40, wide, 200);
        caller.activateWindow();
        flow.show("HelpAbout");
        QWidget* about = windowsNamed("HelpAbout").front();
        const QRect placed = about->frameGeometry();
        ASSERT_GT(placed.width(), 300 - 12) << "no room on either side";
        if (callerLeft == 60)
            EXPECT_EQ(placed.right(), area.right()) << "more room on the right";
        else
            EXPECT_EQ(placed.left(), area.left()) << "more room on the left";
        about->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(HelpScreensFlowTest, OneMicrScreenAtATimeBesideTheAboutBoxToo) {
    expectOneCopyBesideTheCaller("MicrForm");
    flow.show("HelpAbout");
    EXPECT_EQ(windowsNamed("MicrForm").size(), 1u);
    EXPECT_EQ(windowsNamed("HelpAbout").size(), 1u);
    EXPECT_FALSE(windowsNamed("HelpAbout").front()->frameGeometry().intersects(caller.frameGeometry()));
}

} // namespace
} // namespace velmora
