#include "print/forms/PrinterScreens.h"

#include "db/RecordSet.h"
#include "db/Schema.h"
#include "print/RecordingSurface.h"
#include "print/forms/AlignPrinterScreen.h"
#include "print/forms/PreviewWindow.h"
#include "print/forms/PrinterControlScreen.h"
#include "print/printer/PrinterSurface.h"
#include "support/Fixtures.h"
#include "support/MenuKeys.h"
#include "support/PdfProbe.h"
#include "support/ScriptedDialogs.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

namespace velmora::print {
namespace {

namespace f = db::field;

using testing::child;

void click(QWidget& screen, const char* button) {
    QTest::mouseClick(child<QPushButton>(screen, button), Qt::LeftButton);
}

class PrinterScreensTest : public testing::PrinterScreensFixture {
protected:
    PrinterScreensTest()
        : surface({"Times New Roman", "MICR65"}) {}
    db::SettingsRecord settings() {
        auto store = app::SettingsStore::open(programDir.dir());
        return store->read().value();
    }
    std::unique_ptr<print::PrinterControlScreen> openControl() {
        auto screen = std::make_unique<print::PrinterControlScreen>(session, navigator, &surface);
        EXPECT_TRUE(screen->load());
        return screen;
    }
    std::unique_ptr<print::AlignPrinterScreen> openAlign() {
        auto screen = std::make_unique<print::AlignPrinterScreen>(session, navigator);
        EXPECT_TRUE(screen->load());
        return screen;
    }

    // The pages of the preview window that `open` brings up on `screen`, which is then closed; -1
    // when none came up.
    static std::int64_t previewPages(QWidget& screen, const std::function<void()>& open) {
        std::int64_t pages = -1;
        QTimer::singleShot(0, [&] {
            auto* preview = screen.findChild<print::PreviewWindow*>("PrintPreview");
            if (!preview)
                return;
            pages = preview->pageCount();
            preview->reject();
        });
        open();
        return pages;
    }

    print::RecordingSurface surface;
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

    // The captions, with an access key each that no control of the screen has.
    EXPECT_EQ(child<QMenu>(*screen, "PrintBlankChecksMenu")->title(), "Print &Blank Checks");
    EXPECT_EQ(child<QMenu>(*screen, "PrintDepositTicketsMenu")->title(), "Print D&eposit Tickets");
    EXPECT_EQ(child<QAction>(*screen, "qcbv")->text(), "Quicken(tm) Compatible Business &Voucher");
    EXPECT_EQ(child<QMenu>(*screen, "hpc")->title(), "&Help");
    EXPECT_EQ(child<QMenu>(*screen, "hpc")->actions().size(), 9);
    EXPECT_EQ(child<QAction>(*screen, "PrintSetup")->text(), "Printer &Setup");
}

TEST_F(PrinterScreensTest, EveryBlankStockEntryPrintsItsProductOrPreviewsIt) {
    testing::setCheckFields(database, 1, {{f::kBusinessName, "Harbor Lane Bakery"}, {f::kAba, "211274450"}});
    auto screen = openControl();
    int sent = 0;
    for (const char* entry : {"BlankCehcks", "BlankQuicken", "qcbv", "BlankDepositTickets"}) {
        dialogs.clear();
        dialogs.queueInput("2");
        dialogs.queueInput("10");
        child<QAction>(*screen, entry)->trigger();
        EXPECT_EQ(surface.sentJobCount(), ++sent) << entry;
        for (const std::string& text : dialogs.shownTexts())
            EXPECT_EQ(text.find("not available"), std::string::npos) << entry;
    }
    EXPECT_NE(surface.findText("DEPOSIT TICKET"), nullptr);
    const auto history = testing::readCheck(database, 1).comments;

    // The preview asks the same prompts, shows the pages, and writes no history line.
    dialogs.clear();
    dialogs.queueInput("4");
    dialogs.queueInput("10");
    EXPECT_EQ(previewPages(*screen, [&] { child<QAction>(*screen, "BlankCehcksPreview")->trigger(); }), 2);
    EXPECT_EQ(dialogs.asked().size(), 2u);
    EXPECT_TRUE(dialogs.shown().empty()) << "no load-stock message";
    EXPECT_EQ(testing::readCheck(database, 1).comments, history);
    EXPECT_TRUE(navigator.calls.empty());
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
    EXPECT_EQ(navigator.calls, (std::vector<std::string>{"Check"}));
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
    EXPECT_EQ(navigator.calls, (std::vector<std::string>{"Check"}));
}

TEST_F(PrinterScreensTest, PreviewShowsThePagesAndChangesNoRecord) {
    const auto monthly =
        testing::addCheck(database, {{f::kPrint, "Monthly"}, {f::kCheck, 7}, {f::kDate, "1/1/2020"}});
    for (int i = 0; i < 3; ++i)
        testing::addCheck(database, {{f::kPrint, "Once"}, {f::kCheck, 100 + i}});
    auto screen = openControl();
    QTest::mouseClick(child<QCheckBox>(*screen, "Once"), Qt::LeftButton);
    QTest::mouseClick(child<QCheckBox>(*screen, "Monthly"), Qt::LeftButton);
    EXPECT_EQ(previewPages(*screen, [&] { click(*screen, "PreviewButton"); }),
              2); // four checks, three to a page
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_TRUE(navigator.calls.empty());
    EXPECT_EQ(testing::readCheck(database, monthly).date, "1/1/2020");
    EXPECT_EQ(testing::readCheck(database, monthly + 1).print, "Once");

    // Print in the preview closes it and prints the run as the Print button does.
    QTimer::singleShot(0, [&] {
        if (auto* preview = screen->findChild<print::PreviewWindow*>("PrintPreview"))
            child<QAction>(*preview, "PrintFromPreview")->trigger();
    });
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::Yes);
    click(*screen, "PreviewButton");
    EXPECT_EQ(surface.sentJobCount(), 1);
    EXPECT_EQ(testing::readCheck(database, monthly + 1).print, "Never");
    EXPECT_EQ(navigator.calls, (std::vector<std::string>{"Check"}));
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
    EXPECT_EQ(print::AlignPrinterScreen::alignmentHelp().count("\r\n\r\n"), 3);
    EXPECT_TRUE(print::AlignPrinterScreen::stockHelp().startsWith(
        "About The Standard Printing Method Check Box:\r\n\r\nSelect"));
    EXPECT_TRUE(
        child<QPlainTextEdit>(*screen, "TEXT4")->toPlainText().endsWith("bubble jet printers cannot."));
}

TEST_F(PrinterScreensTest, TheTestPagePrintsTheTypedPositionsWithoutStoringThem) {
    print::AlignPrinterScreen screen(session, navigator, &surface);
    ASSERT_TRUE(screen.load());
    const db::SettingsRecord before = settings();
    child<QLineEdit>(screen, "Text3")->setText("999");
    click(screen, "TestPage");
    EXPECT_EQ(surface.sentJobCount(), 1);
    const auto& page = surface.jobs().at(0);
    ASSERT_EQ(page.pages.size(), 1u);
    // The sample MICR line of the first check stands at the typed vertical start.
    const auto* sample = surface.findText("A123456780A");
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(sample->y, 999 + 4055);
    EXPECT_EQ(settings().verticalStart, before.verticalStart);
    EXPECT_TRUE(navigator.calls.empty());

    child<QLineEdit>(screen, "Text3")->setText("99999");
    click(screen, "TestPage");
    EXPECT_EQ(surface.sentJobCount(), 1) << "a position that is not one prints nothing";
    EXPECT_EQ(dialogs.shown().size(), 1u);
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

TEST_F(PrinterScreensTest, TheWindowsCloseButtonIsDoneAndOnTheAlignmentScreenOk) {
    auto control = openControl();
    control->show();
    QTest::mouseClick(child<QCheckBox>(*control, "QCS"), Qt::LeftButton);
    EXPECT_TRUE(control->close());
    EXPECT_EQ(navigator.calls, (std::vector<std::string>{"Check"}));
    EXPECT_FALSE(settings().quickenCheckStock.value_or(true)); // saved, as Done saves

    navigator.calls.clear();
    auto align = openAlign();
    align->show();
    child<QLineEdit>(*align, "Text3")->setText("abc");
    EXPECT_FALSE(align->close()); // a wrong entry keeps the screen, as OK does
    EXPECT_TRUE(align->isVisible());
    EXPECT_NE(dialogs.shown().back().text.find("Vertical Starting Position"), std::string::npos);
    EXPECT_TRUE(navigator.calls.empty());
    child<QLineEdit>(*align, "Text3")->setText("375");
    EXPECT_TRUE(align->close());
    EXPECT_EQ(settings().verticalStart, 375);
    EXPECT_EQ(navigator.calls, (std::vector<std::string>{"PrinterControl"}));
}

TEST_F(PrinterScreensTest, PrintStopsWhenTheOptionsOnTheScreenCannotBeSaved) {
    testing::addCheck(database, {{f::kPrint, "Once"}, {f::kCheck, 1001}});
    auto screen = openControl();
    QTest::mouseClick(child<QCheckBox>(*screen, "Once"), Qt::LeftButton);
    QTest::mouseClick(child<QCheckBox>(*screen, "QCS"), Qt::LeftButton);
    // Another program holds PC.OVL for writing.
    db::Connection other(programDir.dir() / "PC.OVL", db::OpenMode::ReadWrite);
    other.exec("BEGIN IMMEDIATE");
    click(*screen, "PrintButton");
    other.exec("ROLLBACK");
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[0].text.rfind("The print options could not be saved", 0), 0u);
    EXPECT_EQ(dialogs.shown()[1].text.rfind("Nothing was printed", 0), 0u);
    EXPECT_EQ(surface.sentJobCount(), 0);
    EXPECT_TRUE(navigator.calls.empty());
    EXPECT_EQ(testing::readCheck(database, 2).print, "Once");
}

TEST_F(PrinterScreensTest, APrinterThatPrintsToAFileGetsTheLabelsBesideTheChecks) {
    const auto once = testing::addCheck(database, {{f::kPrint, "Once"},
                                                   {f::kCheck, 1001},
                                                   {f::kPayTo, "Acme"},
                                                   {f::kLabelPrint, true},
                                                   {f::kLastName, "Zimmer"}});
    print::PrinterSurface toFile(
        {print::PrinterChoice::Kind::PdfFile, (programDir.dir() / "run.pdf").string()});
    print::PrinterControlScreen screen(session, navigator, &toFile);
    ASSERT_TRUE(screen.load());
    QTest::mouseClick(child<QCheckBox>(screen, "Once"), Qt::LeftButton);
    QTest::mouseClick(child<QCheckBox>(screen, "OLabel"), Qt::LeftButton);
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::Yes);
    dialogs.queueInput("");
    dialogs.queueAnswer(DialogAnswer::Yes);
    click(screen, "PrintButton");
    const std::string checks = testing::PdfProbe(programDir.dir() / "run.pdf").word(0, "Acme").text;
    EXPECT_EQ(checks, "Acme");
    EXPECT_EQ(testing::PdfProbe(programDir.dir() / "run-labels.pdf").word(0, "Zimmer").text, "Zimmer");
    EXPECT_EQ(testing::readCheck(database, once).print, "Never");
    EXPECT_FALSE(testing::readCheck(database, once).labelPrint);

    // A file to print to that is the database itself is refused before anything is written.
    toFile.choose({print::PrinterChoice::Kind::PdfFile, (programDir.dir() / "Payroll.mdb").string()});
    print::PrinterControlScreen again(session, navigator, &toFile);
    ASSERT_TRUE(again.load());
    QTest::mouseClick(child<QCheckBox>(again, "OLabel"), Qt::LeftButton);
    QTest::mouseClick(child<QCheckBox>(again, "Once"), Qt::LeftButton);
    dialogs.clear();
    click(again, "PrintButton");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_NE(dialogs.shown()[0].text.find("which is never written over"), std::string::npos)
        << dialogs.shown()[0].text;
    EXPECT_TRUE(db::CheckDatabase::open(programDir.dir() / "Payroll.mdb").ok());
}

TEST_F(PrinterScreensTest, AFileThatExistsIsReplacedOnlyWhenTheUserSaysSoAndAnEmptyRunKeepsIt) {
    const auto once =
        testing::addCheck(database, {{f::kPrint, "Once"}, {f::kCheck, 1001}, {f::kPayTo, "Acme"}});
    testing::setCheckFields(database, 1, {{f::kBusinessName, "Harbor Lane Bakery"}, {f::kAba, "211274450"}});
    const std::filesystem::path file = programDir.dir() / "vouchers.pdf";
    std::ofstream(file) << "the vouchers, printed nowhere else";
    print::PrinterSurface toFile({print::PrinterChoice::Kind::PdfFile, file.string()});
    const std::string question = file.string() + " already exists. Replace it?";

    // The checks: asked first, before the load-stock message; No (the default) prints nothing.
    print::PrinterControlScreen screen(session, navigator, &toFile);
    ASSERT_TRUE(screen.load());
    QTest::mouseClick(child<QCheckBox>(screen, "Once"), Qt::LeftButton);
    click(screen, "PrintButton");
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[0].text, question);
    EXPECT_EQ(dialogs.shown()[0].buttons, DialogButtons::YesNo);
    EXPECT_EQ(dialogs.shown()[0].defaultAnswer, DialogAnswer::No);
    EXPECT_NE(dialogs.shown()[1].text.find("Nothing was printed"), std::string::npos)
        << dialogs.shown()[1].text;
    EXPECT_EQ(testing::fileContents(file), "the vouchers, printed nowhere else");
    EXPECT_EQ(testing::readCheck(database, once).print, "Once");
    EXPECT_TRUE(navigator.calls.empty());

    // Blank stock from the menu, and the test page of the alignment screen, ask the same.
    for (const char* entry : {"BlankCehcks", "BlankDepositTickets"}) {
        dialogs.clear();
        child<QAction>(screen, entry)->trigger();
        ASSERT_FALSE(dialogs.shown().empty()) << entry;
        EXPECT_EQ(dialogs.shown()[0].text, question) << entry;
        EXPECT_TRUE(dialogs.asked().empty()) << entry << ": no prompt after a No";
    }
    print::AlignPrinterScreen align(session, navigator, &toFile);
    ASSERT_TRUE(align.load());
    dialogs.clear();
    click(align, "TestPage");
    ASSERT_FALSE(dialogs.shown().empty());
    EXPECT_EQ(dialogs.shown()[0].text, question);
    EXPECT_EQ(testing::fileContents(file), "the vouchers, printed nowhere else");

    // Yes: the run prints into it.
    dialogs.clear();
    dialogs.queueAnswer(DialogAnswer::Yes); // replace
    dialogs.queueAnswer(DialogAnswer::Ok);  // load check stock
    dialogs.queueAnswer(DialogAnswer::Yes); // did all checks print
    click(screen, "PrintButton");
    EXPECT_EQ(testing::PdfProbe(file).word(0, "Acme").text, "Acme");
    EXPECT_EQ(testing::readCheck(database, once).print, "Never");

    // A run with nothing to print, even after a Yes, leaves the file as it is.
    std::ofstream(file) << "the vouchers, printed nowhere else";
    print::PrinterControlScreen empty(session, navigator, &toFile);
    ASSERT_TRUE(empty.load());
    QTest::mouseClick(child<QCheckBox>(empty, "Once"), Qt::LeftButton);
    dialogs.clear();
    dialogs.queueAnswer(DialogAnswer::Yes);
    click(empty, "PrintButton");
    EXPECT_EQ(testing::fileContents(file), "the vouchers, printed nowhere else");
}

TEST_F(PrinterScreensTest, WithoutAPrinterPrintPointsToPrinterSetupAndAsksNothing) {
    const auto once = testing::addCheck(database, {{f::kPrint, "Once"}, {f::kCheck, 1001}});
    print::PrinterSurface none({print::PrinterChoice::Kind::PdfFile, ""}); // a file named nowhere
    print::PrinterControlScreen screen(session, navigator, &none);
    ASSERT_TRUE(screen.load());
    QTest::mouseClick(child<QCheckBox>(screen, "Once"), Qt::LeftButton);
    dialogs.queueAnswer(DialogAnswer::Yes);
    click(screen, "PrintButton");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_NE(dialogs.shown()[0].text.find("Printer Setup"), std::string::npos) << dialogs.shown()[0].text;
    EXPECT_EQ(dialogs.shown()[0].text.find("PDF file ."), std::string::npos);
    EXPECT_EQ(testing::readCheck(database, once).print, "Once");
    EXPECT_TRUE(navigator.calls.empty()); // the menu stays, with Printer Setup on it
}

TEST_F(PrinterScreensTest, ThePrintOptionsHeadingSitsOnItsText) {
    auto screen = openControl();
    screen->adjustSize();
    screen->show();
    QLabel* heading = nullptr;
    QLabel* text = nullptr;
    for (QLabel* label : screen->findChildren<QLabel*>()) {
        if (label->text() == "Print Options:")
            heading = label;
        if (label->text().startsWith("If you are not printing on check stock"))
            text = label;
    }
    ASSERT_TRUE(heading && text);
    const int gap = text->geometry().top() - heading->geometry().bottom();
    EXPECT_LT(gap, 3 * heading->fontMetrics().height()) << gap;
    // Taller than needed, the room goes below the notes, not into the headings.
    screen->resize(screen->width(), screen->height() + 200);
    QApplication::processEvents();
    EXPECT_EQ(text->geometry().top() - heading->geometry().bottom(), gap);
}

TEST_F(PrinterScreensTest, TheKeyboardReachesTheMenusAndASharedLetterOnlyMovesTheFocus) {
    auto screen = openControl();
    screen->show();
    screen->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(screen.get()));
    EXPECT_TRUE(testing::menuBarOpensFromTheKeyboard(*screen->menuBar()));

    // Both ONE TIME boxes answer Alt+O: it moves from one to the other and ticks neither; Space
    // ticks the one reached.
    auto* once = child<QCheckBox>(*screen, "Once");
    auto* onceLabels = child<QCheckBox>(*screen, "OLabel");
    child<QWidget>(*screen, "PrintButton")->setFocus();
    const auto altO = [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::AltModifier); };
    altO();
    EXPECT_EQ(QApplication::focusWidget(), once);
    altO();
    EXPECT_EQ(QApplication::focusWidget(), onceLabels);
    altO();
    EXPECT_EQ(QApplication::focusWidget(), once);
    EXPECT_FALSE(once->isChecked() || onceLabels->isChecked());
    QTest::keyClick(once, Qt::Key_Space);
    EXPECT_TRUE(once->isChecked());
    EXPECT_FALSE(onceLabels->isChecked());

    // On the alignment screen the focus shows in the help texts too, and Return is OK.
    auto align = openAlign();
    align->show();
    align->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(align.get()));
    auto* vertical = child<QLineEdit>(*align, "Text3");
    EXPECT_TRUE(testing::focusIsVisible(*child<QPlainTextEdit>(*align, "Text1"), *vertical));
    EXPECT_TRUE(testing::focusIsVisible(*child<QPlainTextEdit>(*align, "TEXT4"), *vertical));
    vertical->setFocus();
    vertical->setText("450");
    // On the check box Return is OK too, and leaves the box as it was.
    auto* stock88mm = child<QCheckBox>(*align, "QCS");
    const bool ticked = stock88mm->isChecked();
    stock88mm->setFocus();
    QTest::keyClick(stock88mm, Qt::Key_Return);
    EXPECT_EQ(stock88mm->isChecked(), ticked);
    EXPECT_EQ(settings().verticalStart, 450);
    EXPECT_EQ(settings().quickenCheckStock, ticked);
    EXPECT_EQ(navigator.calls, (std::vector<std::string>{"PrinterControl"}));
}

TEST_F(PrinterScreensTest, PrintInABlankStockPreviewPrintsWhatWasShownWithoutAskingAgain) {
    testing::fillTemplateCheck(database);
    auto screen = openControl();
    dialogs.queueInput("4");
    dialogs.queueInput("10");
    QTimer::singleShot(0, [&] {
        if (auto* preview = screen->findChild<print::PreviewWindow*>("PrintPreview"))
            child<QAction>(*preview, "PrintFromPreview")->trigger();
    });
    child<QAction>(*screen, "BlankCehcksPreview")->trigger();
    EXPECT_EQ(dialogs.asked().size(), 2u) << "the count and the number are asked once";
    EXPECT_EQ(dialogs.shownTexts(), (std::vector<std::string>{print::kLoadCheckStock}));
    ASSERT_EQ(surface.sentJobCount(), 1);
    EXPECT_NE(surface.findText("10"), nullptr);
    EXPECT_NE(surface.findText(" 13 "), nullptr);
    EXPECT_EQ(surface.findText(" 14 "), nullptr);
    EXPECT_NE(testing::readCheck(database, 1).comments.value_or("").find("from check #10 to #13"),
              std::string::npos);
}

TEST_F(PrinterScreensTest, TheTestPageGoesToTheChosenFileAndWhatThePaperCutsOffIsToldFirst) {
    const auto file = programDir.dir() / "align.pdf";
    print::PrinterSurface toFile({print::PrinterChoice::Kind::PdfFile, file.string()});
    print::AlignPrinterScreen screen(session, navigator, &toFile);
    ASSERT_TRUE(screen.load());
    click(screen, "TestPage");
    EXPECT_TRUE(dialogs.shown().empty()) << dialogs.shownTexts().at(0);
    testing::PdfProbe probe(file);
    ASSERT_EQ(probe.pageCount(), 1);
    EXPECT_EQ(probe.word(0, "alignment").text, "alignment");

    // A horizontal start that puts the sample MICR line past the paper's edge is told, and No
    // prints nothing.
    std::filesystem::remove(file);
    child<QLineEdit>(screen, "Text2")->setText("5000");
    click(screen, "TestPage");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, "Printable area");
    EXPECT_NE(dialogs.shown()[0].text.find("the test page"), std::string::npos) << dialogs.shown()[0].text;
    EXPECT_NE(dialogs.shown()[0].text.find("Horizontal Starting Position"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(file));
    dialogs.queueAnswer(DialogAnswer::Yes);
    click(screen, "TestPage");
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_TRUE(navigator.calls.empty());
}

TEST_F(PrinterScreensTest, BlankStockTellsWhatThePaperCutsOffAndWhichTextsItShortened) {
    testing::fillTemplateCheck(database);
    const std::string longName = "Harbor Lane Bakery and Pastry Shop of Greater Portland Maine";
    testing::setCheckFields(database, 1, {{f::kBusinessName, longName}});
    const auto file = programDir.dir() / "tickets.pdf";
    print::PrinterSurface toFile({print::PrinterChoice::Kind::PdfFile, file.string()});
    auto screen = std::make_unique<print::PrinterControlScreen>(session, navigator, &toFile);
    ASSERT_TRUE(screen->load());
    // On plain paper the deposit ticket's right cut mark stands past the edge of the paper.
    child<QCheckBox>(*screen, "Check1")->setChecked(true);
    dialogs.queueInput("3");
    child<QAction>(*screen, "BlankDepositTickets")->trigger();
    ASSERT_EQ(dialogs.shown().size(), 3u) << "load stock, tran code, and the question";
    EXPECT_EQ(dialogs.shown()[2].title, "Printable area");
    EXPECT_NE(dialogs.shown()[2].text.find("The text \"-\" of deposit ticket 1"), std::string::npos)
        << dialogs.shown()[2].text;
    // The cut mark stands at a fixed place: no starting position is named as the way to move it.
    EXPECT_NE(dialogs.shown()[2].text.find("fixed place"), std::string::npos) << dialogs.shown()[2].text;
    EXPECT_EQ(dialogs.shown()[2].text.find("Starting Position"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(file)) << "No goes to Align Printer, printing nothing";
    EXPECT_EQ(navigator.calls, (std::vector<std::string>{"AlignPrinter"}));

    // Printed anyway: the long name is cut with an ellipsis on the paper, and the message says so.
    screen = std::make_unique<print::PrinterControlScreen>(session, navigator, &toFile);
    ASSERT_TRUE(screen->load());
    dialogs.clear();
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueInput("3");
    dialogs.queueAnswer(DialogAnswer::Yes);
    child<QAction>(*screen, "BlankDepositTickets")->trigger();
    testing::PdfProbe probe(file);
    ASSERT_EQ(probe.pageCount(), 1);
    bool cut = false;
    for (const auto& word : probe.words(0))
        cut = cut || word.text.ends_with("...");
    EXPECT_TRUE(cut);
    const std::string told = dialogs.shown().back().text;
    EXPECT_NE(told.find("\"" + longName + "\""), std::string::npos) << told;
    EXPECT_NE(told.find("cut short"), std::string::npos) << told;
}

TEST(AlignmentOffsetTest, SixteenBitWholeNumbersOnly) {
    EXPECT_EQ(print::AlignPrinterScreen::parseOffset("32767"), 32767);
    EXPECT_EQ(print::AlignPrinterScreen::parseOffset("-32768"), -32768);
    EXPECT_EQ(print::AlignPrinterScreen::parseOffset("+200"), 200);
    EXPECT_FALSE(print::AlignPrinterScreen::parseOffset("32768"));
    EXPECT_FALSE(print::AlignPrinterScreen::parseOffset("1 000"));
    EXPECT_FALSE(print::AlignPrinterScreen::parseOffset("0x10"));
}

} // namespace
} // namespace velmora::print
