#include "base/Product.h"
#include "print/FontMetrics.h"
#include "print/forms/PrinterControlScreen.h"
#include "print/forms/PrinterScreens.h"
#include "print/printer/PrinterSetup.h"
#include "support/CupsTestServer.h"
#include "support/PdfProbe.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <cups/cups.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace velmora {
namespace {

namespace f = db::field;
using print::PrinterChoice;

using testing::child;

// The test queue's printer leaves 0.2 inch left and top, 0.3 inch at the bottom of letter paper.
constexpr double kMargin = 14.4;
constexpr double kPrintableHeight = (11 - 0.5) * 1440;

// The screens printing through the private CUPS server's cups-pdf queue.
class CupsScreensTest : public testing::PrinterScreensFixture {
protected:
    CupsScreensTest() {
        cupsSetServer(nullptr); // the server the test server's CUPS_SERVER names
    }
    ~CupsScreensTest() override { cupsSetServer(nullptr); }
    void SetUp() override {
        if (!cups.running())
            GTEST_SKIP() << "No CUPS test server: " << cups.whyNot();
    }
    std::vector<std::int64_t> addChecks(int count) {
        std::vector<std::int64_t> ids;
        for (int i = 0; i < count; ++i)
            ids.push_back(testing::addCheck(database, {{f::kPrint, "Once"},
                                                       {f::kCheck, 7001 + i},
                                                       {f::kPayTo, "Payee" + std::to_string(i)},
                                                       {f::kAba, "071000013"},
                                                       {f::kAccount, "12D345"}}));
        return ids;
    }
    // Ticks the one-time checks (and, when asked, clears the 88mm box) and presses Print.
    void print(print::PrinterSurface& printer, bool stock92mm = false) {
        print::PrinterControlScreen screen(session, navigator, &printer);
        ASSERT_TRUE(screen.load());
        QTest::mouseClick(child<QCheckBox>(screen, "Once"), Qt::LeftButton);
        if (stock92mm)
            child<QCheckBox>(screen, "QCS")->setChecked(false);
        QTest::mouseClick(child<QPushButton>(screen, "PrintButton"), Qt::LeftButton);
    }
    std::string printerName() const { return cups.queue(); }

    testing::CupsTestServer cups;
};

TEST_F(CupsScreensTest, PrintGoesToTheChosenPrinterFromItsOwnOrigin) {
    const std::vector<std::int64_t> ids = addChecks(2);
    print::PrinterSurface printer(PrinterChoice{PrinterChoice::Kind::Printer, printerName()});
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::Yes);
    print(printer);
    ASSERT_EQ(printer.sentJobs().size(), 1u) << ::testing::PrintToString(dialogs.shownTexts());
    const std::filesystem::path pdf = cups.waitForJob(printer.sentJobs()[0]);
    ASSERT_FALSE(pdf.empty());
    EXPECT_EQ(cups.jobOptions(printer.sentJobs()[0]).at("copies"), "1");
    EXPECT_EQ(cups.jobOptions(printer.sentJobs()[0]).at("fit-to-page"), "0");
    testing::PdfProbe printed(pdf);
    ASSERT_EQ(printed.pageCount(), 1);
    // The payee line starts 525 twips right of and 2000 twips below the printer's origin.
    printed.expectLineAt(0, kMargin + 525 / 20.0, kMargin + 2000 / 20.0);
    for (const std::int64_t id : ids)
        EXPECT_EQ(testing::readCheck(database, id).print, "Never");
    EXPECT_EQ(navigator.calls, (std::vector<std::string>{"Check"}));
}

TEST_F(CupsScreensTest, BeforeARunTheMenuSaysWhatThePrinterWouldCutOff) {
    const std::vector<std::int64_t> ids = addChecks(3);
    print::PrinterSurface printer(PrinterChoice{PrinterChoice::Kind::Printer, printerName()});
    // The bottom of the MICR line of the third check on 92mm stock, against the bottom of the area
    // the printer's driver describes.
    print::FontMetrics metrics;
    const double micrBottom =
        200 + 2 * 5270 + 4269 + metrics.cellHeight({product::kMicrFontName, 12, false, false});
    ASSERT_NEAR(printer.printableArea()->height, kPrintableHeight, 0.5);
    const auto below = static_cast<long long>(std::ceil(micrBottom - printer.printableArea()->height));
    ASSERT_GT(below, 0);

    dialogs.queueAnswer(DialogAnswer::No); // to Align Printer
    print(printer, true);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    const MessageBox& question = dialogs.shown()[0];
    EXPECT_EQ(question.title, "Printable area");
    EXPECT_EQ(question.buttons, DialogButtons::YesNo);
    EXPECT_EQ(question.defaultAnswer, DialogAnswer::No);
    EXPECT_EQ(question.text.rfind("The MICR line of check #7003 (record 4) on page 1 would print " +
                                      std::to_string(below) + " twips (",
                                  0),
              0u)
        << question.text;
    EXPECT_NE(question.text.find("below the printable area of the printer " + printerName()),
              std::string::npos);
    EXPECT_NE(
        question.text.find("decrease the Vertical Starting Position by at least " + std::to_string(below)),
        std::string::npos);
    EXPECT_NE(question.text.find("Choose Yes to print now, or No to go to Align Printer."),
              std::string::npos);
    EXPECT_EQ(navigator.calls, (std::vector<std::string>{"AlignPrinter"}));
    EXPECT_TRUE(printer.sentJobs().empty());
    EXPECT_EQ(testing::readCheck(database, ids[2]).print, "Once");
    EXPECT_FALSE(
        app::SettingsStore::open(programDir.dir())->read()->quickenCheckStock.value_or(true)); // kept

    // Raised by that much on the alignment screen, the run goes ahead without the question.
    {
        auto store = app::SettingsStore::open(programDir.dir());
        db::RecordSet settings(store->connection(), db::schema::settings());
        settings.edit();
        settings.setField(db::setting::kVerticalStart, static_cast<std::int64_t>(200 - below));
        settings.update();
    }
    dialogs.clear();
    navigator.calls.clear();
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::No);
    print(printer, true);
    EXPECT_EQ(dialogs.shown().at(0).text, "Please load check stock in the printer now and press OK");
    EXPECT_EQ(printer.sentJobs().size(), 1u);
}

TEST_F(CupsScreensTest, PrinterSetupChoosesAQueueAndWithoutAChoiceTheDefaultPrints) {
    // No choice and no default printer on the server: Print says so and points to Printer Setup.
    print::PrinterSurface printer;
    EXPECT_FALSE(printer.queue());
    EXPECT_NE(printer.ready().message().find("the system has no default printer"), std::string::npos)
        << printer.ready().message();

    // The server's default printer takes the jobs when none is chosen.
    const QString queue = QString("VelmoraDefault%1").arg(::getpid());
    ASSERT_EQ(cups.admin("lpadmin", {"-p", queue, "-E", "-v", QString::fromStdString(cups.device()), "-P",
                                     QString::fromStdString(cups.ppd().string())}),
              0);
    ASSERT_EQ(cups.admin("lpadmin", {"-d", queue}), 0);
    EXPECT_EQ(printer.queue(), queue.toStdString());
    EXPECT_TRUE(printer.ready()) << printer.ready().message();
    // Its page: the printer's margins, not the PDF output's.
    EXPECT_NEAR(printer.margins().left(), kMargin, 0.01);
    EXPECT_NEAR(printer.margins().bottom(), 21.6, 0.01);
    EXPECT_NEAR(printer.printableArea()->height, kPrintableHeight, 0.5);

    // Printer Setup lists the printers; the one chosen is remembered for the next start.
    print::PrinterControlScreen screen(session, navigator, &printer);
    ASSERT_TRUE(screen.load());
    bool chosen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = dynamic_cast<print::PrinterSetup*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        auto& list = *child<QListWidget>(*dialog, "Printers");
        EXPECT_EQ(list.item(0)->text(), "The system's default printer (" + queue + ")");
        for (int row = 0; row < list.count(); ++row)
            if (list.item(row)->text().startsWith(QString::fromStdString(printerName()) + " "))
                list.setCurrentRow(row);
        child<QPushButton>(*dialog, "OK")->click();
        chosen = true;
    });
    child<QAction>(screen, "PrintSetup")->trigger();
    EXPECT_TRUE(chosen);
    EXPECT_EQ(printer.queue(), printerName());
    EXPECT_EQ(app::SettingsStore::open(programDir.dir())->read()->printer, printerName());
    print::PrinterSurface nextStart;
    print::PrinterControlScreen next(session, navigator, &nextStart);
    ASSERT_TRUE(next.load());
    EXPECT_EQ(nextStart.queue(), printerName());

    ASSERT_EQ(cups.admin("lpadmin", {"-x", queue}), 0); // the server has no default printer again
}

} // namespace
} // namespace velmora
