#include "print/PdfSurface.h"

#include "print/RecordingSurface.h"
#include "support/Fixtures.h"
#include "support/PdfProbe.h"
#include "support/TempDir.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <fstream>
#include <gtest/gtest.h>

namespace velmora::print {
namespace {

using testing::PdfProbe;

// Twips from the printable origin to points from the paper's corner: the PDF's printable area
// starts a quarter inch (18 points) from the top and left edges.
double paperPoints(double twips) {
    return twips / 20.0 + 18.0;
}

// The same layout on any surface: a few lines in different sizes and styles, and the amount items.
void drawSample(PrintSurface& surface) {
    skipFailure(surface.SetFontName("Times New Roman"));
    skipFailure(surface.SetFontSize(12));
    skipFailure(surface.SetBold(true));
    skipFailure(surface.SetItalic(true));
    skipFailure(surface.SetX(525));
    skipFailure(surface.SetY(200));
    skipFailure(surface.PrintItems({std::string("Acme")}, LineEnding::EndLine));
    skipFailure(surface.SetFontSize(10));
    skipFailure(surface.SetBold(false));
    skipFailure(surface.SetX(525));
    skipFailure(surface.PrintItems({std::string("Springfield")}, LineEnding::EndLine));
    skipFailure(surface.SetItalic(false));
    skipFailure(surface.SetFontSize(12));
    skipFailure(surface.SetBold(true));
    skipFailure(surface.SetX(9525));
    skipFailure(surface.SetY(2000));
    skipFailure(surface.PrintItems({std::string("**$"), db::Money::fromCents(123450), std::string("**")},
                                   LineEnding::EndLine));
    skipFailure(surface.SetFontSize(8.25));
    skipFailure(surface.SetBold(false));
    skipFailure(surface.SetX(7125));
    skipFailure(surface.SetY(12345));
    skipFailure(surface.PrintItems({std::string("receipt")}, LineEnding::EndLine));
}

class PdfSurfaceTest : public ::testing::Test {
protected:
    testing::TempDir dir;
};

TEST_F(PdfSurfaceTest, TextLandsWhereTheRecordingSurfacePlacedIt) {
    PdfSurface pdf((dir / "sample.pdf").string());
    drawSample(pdf);
    ASSERT_TRUE(pdf.EndDocument().ok());
    RecordingSurface recording;
    drawSample(recording);

    PdfProbe probe(dir / "sample.pdf");
    ASSERT_TRUE(probe.loaded());
    ASSERT_EQ(probe.pageCount(), 1);
    EXPECT_NEAR(probe.pageSize(0).first, 612, 0.5);
    EXPECT_NEAR(probe.pageSize(0).second, 792, 0.5);
    // Each recorded text (blanks trimmed, as poppler reads words) at its twips, within half a point.
    for (const RecordingSurface::Text& text : recording.texts()) {
        std::string word = text.text;
        double x = text.x;
        if (word.front() == ' ') {
            x += recording.metrics().textWidth(" ", text.font);
            word.erase(0, 1);
        }
        word.erase(word.find_last_not_of(' ') + 1);
        const PdfProbe::Word found = probe.word(0, word);
        EXPECT_NEAR(found.left, paperPoints(x), 0.5) << word;
        EXPECT_NEAR(found.top, paperPoints(text.y), 0.5) << word;
        EXPECT_NEAR(found.right - found.left, recording.metrics().textWidth(word, text.font) / 20, 0.5)
            << word;
    }
    EXPECT_NE(probe.word(0, "Acme").font.find("LiberationSerif-BoldItalic"), std::string::npos);
    EXPECT_NE(probe.word(0, "receipt").font.find("LiberationSerif"), std::string::npos);
}

TEST_F(PdfSurfaceTest, TextAndLinesHaveInkAndFontsAreEmbedded) {
    PdfSurface pdf((dir / "ink.pdf").string());
    const bool micr = offersFace(pdf, "MICR65");
    skipFailure(pdf.SetFontName("Times New Roman"));
    skipFailure(pdf.SetFontSize(12));
    skipFailure(pdf.SetX(1440));
    skipFailure(pdf.SetY(1440));
    skipFailure(pdf.PrintItems({std::string("INKED")}, LineEnding::EndLine));
    skipFailure(pdf.SetLineWidth(4));
    skipFailure(pdf.DrawLine(1440, 2880, 7200, 2880));
    if (micr) {
        skipFailure(pdf.SetFontName("MICR65"));
        skipFailure(pdf.SetX(1440));
        skipFailure(pdf.SetY(4320));
        skipFailure(
            pdf.PrintItems({std::string("C"), std::int64_t{1234}, std::string("C")}, LineEnding::Stay));
    }
    ASSERT_TRUE(pdf.EndDocument().ok());

    PdfProbe probe(dir / "ink.pdf");
    ASSERT_TRUE(probe.loaded());
    const PdfProbe::Word inked = probe.word(0, "INKED");
    EXPECT_GT(probe.darkPixels(0, inked.left, inked.top, inked.right, inked.bottom), 100);
    // A 4-pixel line (4/600 inch) across 4 inches, and nothing below it.
    const double lineY = paperPoints(2880);
    EXPECT_GT(probe.darkPixels(0, paperPoints(1440), lineY - 1, paperPoints(7200), lineY + 1), 4 * 150);
    EXPECT_EQ(probe.darkPixels(0, paperPoints(1440), lineY + 3, paperPoints(7200), lineY + 20), 0);

    bool textEmbedded = false;
    bool micrEmbedded = false;
    for (const PdfProbe::Font& font : probe.fonts()) {
        textEmbedded |= font.name.find("LiberationSerif") != std::string::npos && font.embedded;
        micrEmbedded |= font.name.find("MICR65") != std::string::npos && font.embedded;
    }
    EXPECT_TRUE(textEmbedded);
    if (!micr)
        GTEST_SKIP() << "The MICR65 font is not registered in this build, so its line cannot be checked";
    EXPECT_TRUE(micrEmbedded);
    // The MICR line's glyphs really have outlines: ink across the whole "C 1234 C".
    RecordingSurface recording({"MICR65"});
    const PrintSurface::FontState micrFont{"MICR65", 12, false, false};
    const double width =
        recording.metrics().textWidth("C", micrFont) * 2 + recording.metrics().textWidth(" 1234 ", micrFont);
    const double height = recording.metrics().lineHeight(micrFont);
    EXPECT_GT(probe.darkPixels(0, paperPoints(1440), paperPoints(4320), paperPoints(1440 + width),
                               paperPoints(4320 + height)),
              400);
}

TEST_F(PdfSurfaceTest, EachJobGoesToTheFileNamedBeforeIt) {
    PdfSurface pdf((dir / "checks.pdf").string());
    skipFailure(pdf.SetFontName("Times New Roman"));
    skipFailure(pdf.PrintItems({std::string("first")}, LineEnding::EndLine));
    pdf.setOutputFile((dir / "labels.pdf").string()); // for the next job, not this one
    skipFailure(pdf.NewPage());
    skipFailure(pdf.PrintItems({std::string("second")}, LineEnding::EndLine));
    skipFailure(pdf.NewPage());
    ASSERT_TRUE(pdf.EndDocument().ok());
    skipFailure(pdf.PrintItems({std::string("label")}, LineEnding::EndLine));
    ASSERT_TRUE(pdf.EndDocument().ok());
    skipFailure(pdf.EndDocument());
    pdf.setOutputFile((dir / "empty.pdf").string());
    skipFailure(pdf.NewPage());
    skipFailure(pdf.EndDocument());

    PdfProbe checks(dir / "checks.pdf");
    ASSERT_EQ(checks.pageCount(), 2);
    EXPECT_EQ(checks.words(1).at(0).text, "second");
    PdfProbe labels(dir / "labels.pdf");
    ASSERT_EQ(labels.pageCount(), 1);
    EXPECT_EQ(labels.words(0).at(0).text, "label");
    EXPECT_FALSE(std::filesystem::exists(dir / "empty.pdf"));
}

TEST_F(PdfSurfaceTest, AFileThatCannotBeWrittenFailsTheJob) {
    PdfSurface pdf((dir / "missing" / "folder" / "checks.pdf").string());
    const Status started = pdf.PrintItems({std::string("lost")}, LineEnding::EndLine);
    EXPECT_FALSE(started.ok());
    EXPECT_NE(started.message().find("checks.pdf"), std::string::npos);
    EXPECT_FALSE(pdf.DrawLine(0, 0, 100, 100).ok());
    skipFailure(pdf.NewPage());
    EXPECT_FALSE(pdf.PrintItems({std::string("lost")}, LineEnding::EndLine).ok());
    EXPECT_FALSE(pdf.EndDocument().ok());

    pdf.setOutputFile({});
    EXPECT_FALSE(pdf.PrintItems({std::string("nowhere")}, LineEnding::EndLine).ok());
    EXPECT_FALSE(pdf.EndDocument().ok());

    pdf.setOutputFile((dir / "after.pdf").string());
    EXPECT_TRUE(pdf.PrintItems({std::string("kept")}, LineEnding::EndLine).ok());
    EXPECT_TRUE(pdf.EndDocument().ok());
    EXPECT_EQ(PdfProbe(dir / "after.pdf").pageCount(), 1);
}

TEST_F(PdfSurfaceTest, AFinishedFileIsProvedWholeByItsIndexOrRefused) {
    const auto file = dir / "three.pdf";
    PdfSurface pdf(file.string());
    for (const char* text : {"one", "two", "three"}) {
        skipFailure(pdf.SetFontName("Times New Roman"));
        skipFailure(pdf.PrintItems({std::string(text)}, LineEnding::EndLine));
        skipFailure(pdf.NewPage());
    }
    ASSERT_TRUE(pdf.EndDocument().ok());
    EXPECT_TRUE(PdfSurface::verifyPdf(file, 3).ok());
    const Status short2 = PdfSurface::verifyPdf(file, 2);
    EXPECT_EQ(short2.message(), "the file holds 3 pages instead of 2");

    // Another writer's file is read by its index the same way.
    const auto other = dir / "other.pdf";
    {
        QFile out(QString::fromStdString(other.string()));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        QPdfWriter writer(&out);
        QPainter painter(&writer);
        painter.drawText(100, 100, QStringLiteral("first"));
        writer.newPage();
        painter.drawText(100, 100, QStringLiteral("second"));
    }
    EXPECT_TRUE(PdfSurface::verifyPdf(other, 2).ok());

    // What a disk that lost or mangled part of the writes leaves behind.
    const std::string whole = testing::fileContents(file);
    const auto damaged = [&](std::string bytes) {
        const auto copy = dir / "damaged.pdf";
        std::ofstream(copy, std::ios::binary | std::ios::trunc) << bytes;
        return PdfSurface::verifyPdf(copy, 3);
    };
    EXPECT_FALSE(damaged("").ok());
    EXPECT_FALSE(damaged(whole.substr(0, whole.size() - 7)).ok()); // the end cut off
    EXPECT_FALSE(damaged(whole.substr(0, whole.size() / 2)).ok());
    EXPECT_FALSE(damaged(whole + "%PDF-1.4 appended").ok());
    std::string zeroed = whole; // a block that never reached the disk, where an object starts
    const std::size_t object = zeroed.find("\n5 0 obj");
    ASSERT_NE(object, std::string::npos);
    zeroed.replace(object + 1, 64, std::string(64, '\0'));
    EXPECT_FALSE(damaged(zeroed).ok());
    std::string shifted = whole; // a byte lost before the table
    shifted.erase(object, 1);
    EXPECT_FALSE(damaged(shifted).ok());
    std::string recounted = whole;
    const std::size_t count = recounted.find("/Count 3");
    ASSERT_NE(count, std::string::npos);
    recounted[count + 7] = '4';
    EXPECT_EQ(damaged(recounted).message(), "the file holds 4 pages instead of 3");
}

} // namespace
} // namespace velmora::print
