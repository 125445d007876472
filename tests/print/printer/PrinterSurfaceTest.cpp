#include "print/printer/PrinterSurface.h"

#include "print/PdfSurface.h"
#include "print/printer/CupsPrinters.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <cups/cups.h>
#include <gtest/gtest.h>

namespace velmora::print {
namespace {

// A machine without a print system: the client library finds no scheduler to ask.
class NoPrintSystemTest : public ::testing::Test {
protected:
    NoPrintSystemTest() {
        ::setenv("CUPS_SERVER", (dir / "no-scheduler.sock").c_str(), 1);
        cupsSetServer(nullptr); // forget a server found before
    }
    ~NoPrintSystemTest() override {
        ::unsetenv("CUPS_SERVER");
        cupsSetServer(nullptr);
    }
    testing::TempDir dir;
};

TEST_F(NoPrintSystemTest, WithoutAnyPrinterAJobFailsAndPointsToPrinterSetup) {
    EXPECT_TRUE(cups::printers().empty());
    EXPECT_FALSE(cups::defaultPrinter());
    PrinterSurface surface;
    EXPECT_FALSE(surface.queue());
    const Status ready = surface.ready();
    ASSERT_FALSE(ready.ok());
    EXPECT_NE(ready.message().find("none is available"), std::string::npos) << ready.message();
    EXPECT_NE(ready.message().find("Printer Setup"), std::string::npos) << ready.message();
    // Every step of a job fails with that reason; the surface is usable again afterwards.
    const Status started = surface.PrintItems({std::string("lost")}, LineEnding::EndLine);
    EXPECT_EQ(started.message(), ready.message());
    skipFailure(surface.NewPage());
    EXPECT_FALSE(surface.DrawLine(0, 0, 1440, 0).ok());
    EXPECT_FALSE(surface.EndDocument().ok());
    EXPECT_TRUE(surface.sentJobs().empty());
    // Without a printer the PDF output's margins stand for it.
    EXPECT_DOUBLE_EQ(surface.margins().left(), 18);
    EXPECT_DOUBLE_EQ(surface.margins().top(), 18);
}

TEST_F(NoPrintSystemTest, APrinterThatIsNotThereIsNamedInTheFailure) {
    PrinterSurface surface({PrinterChoice::Kind::Printer, "Office-Laser"});
    EXPECT_EQ(surface.queue(), "Office-Laser");
    const Status ready = surface.ready();
    EXPECT_NE(ready.message().find("Office-Laser"), std::string::npos) << ready.message();
    EXPECT_NE(ready.message().find("Printer Setup"), std::string::npos) << ready.message();
    EXPECT_FALSE(surface.PrintItems({std::string("lost")}, LineEnding::EndLine).ok());
    EXPECT_FALSE(surface.EndDocument().ok());
}

TEST_F(NoPrintSystemTest, TheRememberedPrinterHoldsUntilAnotherIsChosen) {
    PrinterSurface surface;
    surface.remember(std::string("Front-Desk"));
    EXPECT_EQ(surface.choice(), (PrinterChoice{PrinterChoice::Kind::Printer, "Front-Desk"}));
    surface.remember(std::nullopt);
    EXPECT_EQ(surface.choice().kind, PrinterChoice::Kind::SystemDefault);
    // Once the user chooses in this session, what was remembered no longer applies.
    surface.choose({PrinterChoice::Kind::PdfFile, (dir / "checks.pdf").string()});
    surface.remember(std::string("Front-Desk"));
    EXPECT_EQ(surface.choice().kind, PrinterChoice::Kind::PdfFile);
    EXPECT_EQ(surface.outputFile(), dir / "checks.pdf");
    EXPECT_TRUE(surface.ready().ok());
    EXPECT_FALSE(surface.queue());
    const std::optional<PrintableArea> area = surface.printableArea();
    ASSERT_TRUE(area);
    EXPECT_DOUBLE_EQ(area->height, PdfSurface::paperArea().height);
    // A file named nowhere is no output.
    surface.choose({PrinterChoice::Kind::PdfFile, ""});
    EXPECT_FALSE(surface.outputFile());
    EXPECT_FALSE(surface.ready().ok());
}

} // namespace
} // namespace velmora::print
