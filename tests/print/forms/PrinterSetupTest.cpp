#include "print/printer/PrinterSetup.h"

#include "print/forms/PrinterControlScreen.h"
#include "print/forms/PrinterScreens.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <cups/cups.h>
#include <functional>
#include <gtest/gtest.h>

namespace velmora::print {
namespace {

using testing::child;

const std::vector<cups::Printer> kOffice{
    {"Back-Office", "HP LaserJet 4250", false, false, true},
    {"Front-Desk", "Brother HL-L2350", true, false, true},
    {"Old-Inkjet", "", false, true, true},
    {"Shipping", "", false, false, false},
};

int rowOf(QListWidget& list, const QString& start) {
    for (int row = 0; row < list.count(); ++row)
        if (list.item(row)->text().startsWith(start))
            return row;
    return -1;
}

TEST(PrinterSetupTest, OffersTheDefaultThePrintersAndAFileWithOkNotPrint) {
    PrinterSetup dialog(kOffice, {});
    EXPECT_EQ(dialog.windowTitle(), "Printer Setup");
    auto& list = *child<QListWidget>(dialog, "Printers");
    ASSERT_EQ(list.count(), 6);
    EXPECT_EQ(list.item(0)->text(), "The system's default printer (Front-Desk)");
    EXPECT_EQ(list.item(1)->text(), "Back-Office - HP LaserJet 4250");
    EXPECT_EQ(list.item(3)->text(), "Old-Inkjet (stopped)");
    EXPECT_EQ(list.item(4)->text(), "Shipping (not accepting jobs)");
    EXPECT_EQ(list.item(5)->text(), "A PDF file");
    EXPECT_EQ(list.currentRow(), 0); // nothing chosen yet: the system's default
    EXPECT_EQ(dialog.choice(), PrinterChoice{});
    // Its button chooses; it does not print.
    EXPECT_EQ(child<QPushButton>(dialog, "OK")->text(), "&OK");
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        EXPECT_FALSE(button->text().contains("Print")) << button->text().toStdString();

    list.setCurrentRow(rowOf(list, "Old-Inkjet"));
    EXPECT_EQ(dialog.choice(), (PrinterChoice{PrinterChoice::Kind::Printer, "Old-Inkjet"}));
    EXPECT_TRUE(child<QLabel>(dialog, "PrinterDetails")->text().startsWith("Stopped"));
    // A file needs a name before OK takes it.
    list.setCurrentRow(5);
    EXPECT_FALSE(child<QPushButton>(dialog, "OK")->isEnabled());
    child<QLineEdit>(dialog, "PdfFile")->setText("  /tmp/checks.pdf ");
    EXPECT_TRUE(child<QPushButton>(dialog, "OK")->isEnabled());
    EXPECT_EQ(dialog.choice(), (PrinterChoice{PrinterChoice::Kind::PdfFile, "/tmp/checks.pdf"}));
}

TEST(PrinterSetupTest, ShowsTheCurrentChoiceAlsoWhenThatPrinterIsGone) {
    PrinterSetup shipping(kOffice, {PrinterChoice::Kind::Printer, "Shipping"});
    EXPECT_EQ(child<QListWidget>(shipping, "Printers")->currentItem()->text(),
              "Shipping (not accepting jobs)");
    PrinterSetup gone(kOffice, {PrinterChoice::Kind::Printer, "Accounting"});
    auto& list = *child<QListWidget>(gone, "Printers");
    EXPECT_EQ(list.currentRow(), 1);
    EXPECT_EQ(list.currentItem()->text(), "Accounting (not found in the print system)");
    EXPECT_EQ(gone.choice(), (PrinterChoice{PrinterChoice::Kind::Printer, "Accounting"}));
    PrinterSetup none({}, {PrinterChoice::Kind::PdfFile, "/tmp/a.pdf"});
    EXPECT_EQ(child<QListWidget>(none, "Printers")->item(0)->text(),
              "The system's default printer (there is none)");
    EXPECT_EQ(child<QLineEdit>(none, "PdfFile")->text(), "/tmp/a.pdf");
}

// Printer Setup on the Printer Control Menu, on a machine without a print system.
class PrinterSetupEntryTest : public testing::PrinterScreensFixture {
protected:
    PrinterSetupEntryTest() {
        ::setenv("CUPS_SERVER", (programDir.dir() / "no-scheduler.sock").c_str(), 1);
        cupsSetServer(nullptr);
    }
    ~PrinterSetupEntryTest() override {
        ::unsetenv("CUPS_SERVER");
        cupsSetServer(nullptr);
    }
    // Chooses the row starting with `row` (and types `file`) in the dialog the entry opens.
    void chooseInSetup(print::PrinterControlScreen& screen, const QString& row, const QString& file = {}) {
        bool chosen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = dynamic_cast<PrinterSetup*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            auto& list = *child<QListWidget>(*dialog, "Printers");
            list.setCurrentRow(rowOf(list, row));
            child<QLineEdit>(*dialog, "PdfFile")->setText(file);
            child<QPushButton>(*dialog, "OK")->click();
            chosen = true;
        });
        child<QAction>(screen, "PrintSetup")->trigger();
        EXPECT_TRUE(chosen) << "the Printer Setup dialog did not open";
    }
    std::optional<std::string> remembered() {
        return app::SettingsStore::open(programDir.dir())->read()->printer;
    }
};

TEST_F(PrinterSetupEntryTest, APrinterIsRememberedForTheNextStartAFileOnlyForTheSession) {
    db::SettingsRecord chosen;
    chosen.printer = "Front-Desk";
    ASSERT_TRUE(app::SettingsStore::open(programDir.dir())->write(chosen, {db::setting::kPrinter}));
    PrinterSurface printer;
    print::PrinterControlScreen screen(session, navigator, &printer);
    ASSERT_TRUE(screen.load());
    // The printer chosen at an earlier start.
    EXPECT_EQ(printer.choice(), (PrinterChoice{PrinterChoice::Kind::Printer, "Front-Desk"}));

    const std::string file = (programDir.dir() / "today.pdf").string();
    chooseInSetup(screen, "A PDF file", QString::fromStdString(file));
    EXPECT_EQ(printer.choice(), (PrinterChoice{PrinterChoice::Kind::PdfFile, file}));
    EXPECT_EQ(remembered(), "Front-Desk");
    // Another screen of the same session keeps the file chosen in it.
    print::PrinterControlScreen again(session, navigator, &printer);
    ASSERT_TRUE(again.load());
    EXPECT_EQ(printer.choice().kind, PrinterChoice::Kind::PdfFile);

    chooseInSetup(again, "The system's default printer");
    EXPECT_EQ(printer.choice(), PrinterChoice{});
    EXPECT_FALSE(remembered());
    EXPECT_TRUE(dialogs.shown().empty());
}

} // namespace
} // namespace velmora::print
