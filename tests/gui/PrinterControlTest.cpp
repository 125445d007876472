#include "print/forms/PrinterControl.h"

#include "RecordingNavigator.h"
#include "db/RecordSet.h"
#include "db/Schema.h"
#include "print/RecordingSurface.h"
#include "print/forms/AlignPrinter.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace velmora {
namespace {

namespace f = db::field;

template <typename T> T* child(QWidget& screen, const char* name) {
    T* widget = screen.findChild<T*>(name);
    if (!widget)
        throw std::runtime_error(std::string("no control ") + name);
    return widget;
}

void click(QWidget& screen, const char* button) {
    QTest::mouseClick(child<QPushButton>(screen, button), Qt::LeftButton);
}

class PrinterScreensTest : public ::testing::Test {
protected:
    PrinterScreensTest()
        : database(programDir.createDatabase("Payroll", db::DatabaseType::Check))
        , surface({"Times New Roman", "MICR65"}) {
        session.programDir = programDir.dir();
        session.currentDatabase = "Payroll.mdb";
        session.dialogs = &dialogs;
    }
    SettingsRecord settings() {
        auto store = SettingsStore::open(programDir.dir());
        return store->read();
    }
    std::unique_ptr<PrinterControl> openControl() {
        auto screen = std::make_unique<PrinterControl>(session, navigator, &surface);
        EXPECT_TRUE(screen->load());
        return screen;
    }
    std::unique_ptr<AlignPrinter> openAlign() {
        auto screen = std::make_unique<AlignPrinter>(session, navigator);
        EXPECT_TRUE(screen->load());
        return screen;
    }

    testing::ProgramDirFixture programDir;
    db::CheckDatabase database;
    testing::ScriptedDialogs dialogs;
    testing::RecordingNavigator navigator;
    print::RecordingSurface surface;
    Session session;
};

TEST_F(PrinterScreensTest, ControlMenuShowsItsCaptionsMenusAndCounts) {
    testing::setCheckFields(database, 1, {{f::kPrint, "Once"}});
    testing::addCheck(database, {{f::kPrint, "Never"}, {f::kLabelPrint, true}});
    testing::addCheck(database, {{f::kPrint, "Monthly"}, {f::kLabelPrint, true}});
    testing::addCheck(database, {{f::kPrint, "Monthly"}});
    auto screen = openControl();
    EXPECT_EQ(screen->windowTitle(), "Printer Control Menu");
    EXPECT_EQ(child<QLabel>(*screen, "OTNumber")->text(), "1");
    EXPECT_EQ(child<QLabel>(*screen, "MNumber")->text(), "2");
    EXPECT_EQ(child<QLabel>(*screen, "OLNumber")->text(), "1"); // a Never record with its label flag
    EXPECT_EQ(child<QLabel>(*screen, "MLNumber")->text(), "1");
    EXPECT_EQ(child<QCheckBox>(*screen, "Once")->text(), "Print all checks selected to print &ONE TIME");
    EXPECT_EQ(child<QCheckBox>(*screen, "MLabel")->text(),
              "Print labels for checks selected to print &MULTIPLE TIMES");
    EXPECT_EQ(
        child<QCheckBox>(*screen, "Print2Checks")->text(),
        "Print only 2 checks per page. Check this box only if your printer is having a problem printing the "
        "last check on each page. ");
    for (const char* box : {"Once", "Monthly", "OLabel", "MLabel"})
        EXPECT_FALSE(child<QCheckBox>(*screen, box)->isChecked()) << box;
    // The delivered settings: 88mm stock, three to a page, check stock.
    EXPECT_TRUE(child<QCheckBox>(*screen, "QCS")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(*screen, "Check1")->isChecked());
    EXPECT_EQ(child<QPushButton>(*screen, "PrintButton")->text(), "&Print");
    EXPECT_EQ(child<QPushButton>(*screen, "Cancelpc")->text(), "&Cancel");

    EXPECT_EQ(child<QMenu>(*screen, "PrintBlankChecksMenu")->title(), "Print Blank Checks");
    EXPECT_EQ(child<QAction>(*screen, "qcbv")->text(), "Quicken(tm) Compatible Business Voucher");
    EXPECT_EQ(child<QMenu>(*screen, "hpc")->actions().size(), 9);
    EXPECT_EQ(child<QAction>(*screen, "PrintSetup")->text(), "Printer Setup");
    child<QAction>(*screen, "BlankDepositTickets")->trigger();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_NE(dialogs.shown()[0].text.find("Blank Deposit Tickets"), std::string::npos);
}

TEST_F(PrinterScreensTest, StoredOptionsAreSavedByCancelAndPlainPaperShowsItsNote) {
    auto screen = openControl();
    screen->show();
    QTest::mouseClick(child<QCheckBox>(*screen, "QCS"), Qt::LeftButton);
    QTest::mouseClick(child<QCheckBox>(*screen, "Check1"), Qt::LeftButton);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, "NOTE");
    EXPECT_EQ(dialogs.shown()[0].text.rfind("When printing on paper instead of check stock", 0), 0u);
    QTest::mouseClick(child<QCheckBox>(*screen, "Check1"), Qt::LeftButton); // clearing shows nothing
    QTest::mouseClick(child<QCheckBox>(*screen, "Check1"), Qt::LeftButton);
    EXPECT_EQ(dialogs.shown().size(), 2u);
    click(*screen, "Cancelpc");
    EXPECT_EQ(navigator.calls, (std::vector<std::string>{"DataEntry"}));
    EXPECT_FALSE(settings().quickenCheckStock.value_or(true));
    EXPECT_TRUE(settings().plainPaper.value_or(false));
}

TEST_F(PrinterScreensTest, PrintRunsTheSelectionAndReturnsToDataEntry) {
    const auto once =
        testing::addCheck(database, {{f::kPrint, "Once"}, {f::kCheck, 1001}, {f::kPayTo, "Acme"}});
    auto screen = openControl();
    click(*screen, "PrintButton");
    EXPECT_EQ(dialogs.shown().at(0).title, "Nothing to do.");
    EXPECT_TRUE(navigator.calls.empty()); // the menu stays open

    dialogs.clear();
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::Yes);
    QTest::mouseClick(child<QCheckBox>(*screen, "Once"), Qt::LeftButton);
    click(*screen, "PrintButton");
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(surface.sentJobCount(), 1);
    EXPECT_NE(surface.findText("PAY TO THE ORDER OF:  Acme"), nullptr);
    EXPECT_EQ(testing::readCheck(database, once).print, "Never");
    EXPECT_EQ(navigator.calls, (std::vector<std::string>{"DataEntry"}));
}

TEST_F(PrinterScreensTest, PreviewShowsThePagesAndChangesNoRecord) {
    const auto monthly =
        testing::addCheck(database, {{f::kPrint, "Monthly"}, {f::kCheck, 7}, {f::kDate, "1/1/2020"}});
    for (int i = 0; i < 3; ++i)
        testing::addCheck(database, {{f::kPrint, "Once"}, {f::kCheck, 100 + i}});
    auto screen = openControl();
    QTest::mouseClick(child<QCheckBox>(*screen, "Once"), Qt::LeftButton);
    QTest::mouseClick(child<QCheckBox>(*screen, "Monthly"), Qt::LeftButton);
    int pages = -1;
    QTimer::singleShot(0, [&] {
        auto* dialog = screen->findChild<QPrintPreviewDialog*>("PrintPreview");
        if (!dialog)
            return;
        if (auto* view = dialog->findChild<QPrintPreviewWidget*>())
            pages = view->pageCount();
        dialog->reject();
    });
    click(*screen, "PreviewButton");
    EXPECT_EQ(pages, 2); // four checks, three to a page
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_TRUE(navigator.calls.empty());
    EXPECT_EQ(testing::readCheck(database, monthly).date, "1/1/2020");
    EXPECT_EQ(testing::readCheck(database, monthly + 1).print, "Once");
}

TEST_F(PrinterScreensTest, AlignButtonLeadsToTheAlignmentScreen) {
    auto screen = openControl();
    click(*screen, "Align");
    EXPECT_EQ(navigator.calls, (std::vector<std::string>{"AlignPrinter"}));
}

TEST_F(PrinterScreensTest, AlignmentScreenShowsTheStoredOffsetsAndItsHelp) {
    auto screen = openAlign();
    EXPECT_EQ(screen->windowTitle(), "Printer Alignment Options");
    EXPECT_EQ(child<QLineEdit>(*screen, "Text3")->text(), "200");
    EXPECT_EQ(child<QLineEdit>(*screen, "Text2")->text(), "525");
    EXPECT_TRUE(child<QCheckBox>(*screen, "QCS")->isChecked());
    const QString help = child<QPlainTextEdit>(*screen, "Text1")->toPlainText();
    EXPECT_TRUE(
        help.startsWith("Before aligning your printer, be sure your printer options are setup to print on "
                        "Letter Size Paper and Portrait Orientation."));
    EXPECT_EQ(AlignPrinter::alignmentHelp().count("\r\n\r\n"), 3);
    EXPECT_TRUE(
        AlignPrinter::stockHelp().startsWith("About The Standard Printing Method Check Box:\r\n\r\nSelect"));
    EXPECT_TRUE(
        child<QPlainTextEdit>(*screen, "TEXT4")->toPlainText().endsWith("bubble jet printers cannot."));
}

TEST_F(PrinterScreensTest, AlignmentRefusesWhatA16BitFieldCannotHold) {
    auto screen = openAlign();
    auto* vertical = child<QLineEdit>(*screen, "Text3");
    auto* horizontal = child<QLineEdit>(*screen, "Text2");
    for (const char* bad : {"abc", "40000", "-32769", "12.5", ""}) {
        dialogs.clear();
        vertical->setText(bad);
        click(*screen, "Command1");
        ASSERT_EQ(dialogs.shown().size(), 1u) << bad;
        EXPECT_NE(dialogs.shown()[0].text.find("Vertical Starting Position"), std::string::npos);
        EXPECT_EQ(settings().verticalStart, 200) << bad;
    }
    vertical->setText("450");
    horizontal->setText("1e3");
    click(*screen, "Command1");
    EXPECT_NE(dialogs.shown().back().text.find("Horizontal Starting Position"), std::string::npos);
    EXPECT_EQ(settings().verticalStart, 200); // nothing stored while either box is wrong
    EXPECT_TRUE(navigator.calls.empty());

    horizontal->setText(" -75 ");
    QTest::mouseClick(child<QCheckBox>(*screen, "QCS"), Qt::LeftButton);
    click(*screen, "Command1");
    EXPECT_EQ(settings().verticalStart, 450);
    EXPECT_EQ(settings().horizontalStart, -75);
    EXPECT_FALSE(settings().quickenCheckStock.value_or(true));
    EXPECT_EQ(navigator.calls, (std::vector<std::string>{"PrinterControl"}));
}

TEST(AlignmentOffsetTest, SixteenBitWholeNumbersOnly) {
    EXPECT_EQ(AlignPrinter::parseOffset("32767"), 32767);
    EXPECT_EQ(AlignPrinter::parseOffset("-32768"), -32768);
    EXPECT_EQ(AlignPrinter::parseOffset("+200"), 200);
    EXPECT_FALSE(AlignPrinter::parseOffset("32768"));
    EXPECT_FALSE(AlignPrinter::parseOffset("1 000"));
    EXPECT_FALSE(AlignPrinter::parseOffset("0x10"));
}

} // namespace
} // namespace velmora
