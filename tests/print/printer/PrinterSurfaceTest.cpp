#include "print/printer/PrinterSurface.h"

#include "print/PdfProbe.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace velmora::print {
namespace {

TEST(PrinterSurfaceTest, PrintsOnAGivenPrinterFromItsPrintableOrigin) {
    testing::TempDir dir;
    // The printer a print preview hands over, here writing a PDF.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString((dir / "preview.pdf").string()));
    PrinterSurface surface(printer);
    skipFailure(surface.SetFontName("Times New Roman"));
    skipFailure(surface.SetFontSize(12));
    skipFailure(surface.SetX(1440));
    skipFailure(surface.SetY(720));
    ASSERT_TRUE(surface.PrintItems({std::string("Preview")}, LineEnding::EndLine).ok());
    skipFailure(surface.NewPage());
    skipFailure(surface.PrintItems({std::string("Second")}, LineEnding::EndLine));
    ASSERT_TRUE(surface.EndDocument().ok());

    testing::PdfProbe probe(dir / "preview.pdf");
    ASSERT_EQ(probe.pageCount(), 2);
    EXPECT_NEAR(probe.pageSize(0).first, 612, 0.5);
    EXPECT_NEAR(probe.pageSize(0).second, 792, 0.5);
    const auto word = probe.word(0, "Preview");
    EXPECT_NEAR(word.left, 1440 / 20.0 + 18, 0.5);
    EXPECT_NEAR(word.top, 720 / 20.0 + 18, 0.5);
    EXPECT_NEAR(probe.word(1, "Second").left, 18, 0.5);
}

TEST(PrinterSurfaceTest, AJobThePrinterRefusesFailsEveryStep) {
    testing::TempDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString((dir / "missing" / "job.pdf").string()));
    PrinterSurface surface(printer);
    const Status started = surface.PrintItems({std::string("lost")}, LineEnding::EndLine);
    EXPECT_FALSE(started.ok());
    EXPECT_NE(started.message().find("job.pdf"), std::string::npos);
    skipFailure(surface.NewPage());
    EXPECT_FALSE(surface.DrawLine(0, 0, 1440, 0).ok());
    EXPECT_FALSE(surface.EndDocument().ok());

    printer.setOutputFileName(QString::fromStdString((dir / "job.pdf").string()));
    EXPECT_TRUE(surface.PrintItems({std::string("kept")}, LineEnding::EndLine).ok());
    EXPECT_TRUE(surface.EndDocument().ok());
    EXPECT_EQ(testing::PdfProbe(dir / "job.pdf").pageCount(), 1);
}

} // namespace
} // namespace velmora::print
