#include "print/PdfSurface.h"
#include "print/TrueTypeSubset.h"
#include "support/PdfProbe.h"
#include "support/TempDir.h"

#include <QFont>
#include <QFontDatabase>
#include <QPainterPath>
#include <gtest/gtest.h>

namespace velmora::print {
namespace {

using testing::PdfProbe;

QRawFont rawFontOf(const QString& family) {
    QFont font(family);
    font.setPixelSize(100);
    font.setStyleStrategy(QFont::PreferOutline);
    return QRawFont::fromFont(font);
}

std::uint32_t glyphOf(const QRawFont& font, char16_t character) {
    return font.glyphIndexesForString(QString(QChar(character))).value(0);
}

// The sum of a font file's big-endian 32-bit words.
std::uint32_t fileChecksum(const QByteArray& file) {
    std::uint32_t sum = 0;
    for (qsizetype at = 0; at + 3 < file.size(); at += 4)
        sum += static_cast<std::uint32_t>(
            static_cast<unsigned char>(file[at]) << 24 | static_cast<unsigned char>(file[at + 1]) << 16 |
            static_cast<unsigned char>(file[at + 2]) << 8 | static_cast<unsigned char>(file[at + 3]));
    return sum;
}

TEST(TrueTypeSubsetTest, ACutDownFaceDrawsTheGlyphsUsedAsTheWholeFaceDoesAndNothingElse) {
    const QRawFont whole = rawFontOf(QStringLiteral("Liberation Serif"));
    const std::optional<TrueTypeFace> face = TrueTypeFace::read(whole);
    ASSERT_TRUE(face) << "Liberation Serif (Debian package fonts-liberation2) has TrueType outlines";
    EXPECT_EQ(face->postScriptName(), "LiberationSerif");

    // "é" is built in the face from "e" and the accent; "A" stands alone; "B" is not used.
    std::vector<bool> used(static_cast<std::size_t>(face->glyphCount()), false);
    for (char16_t c : {u'A', u'\u00e9'})
        used[glyphOf(whole, c)] = true;
    const QByteArray program = face->subset(used);
    EXPECT_EQ(program.size() % 4, 0);
    EXPECT_EQ(fileChecksum(program), 0xB1B0AFBAu); // the head table's adjustment is right

    const QRawFont cut(program, 100);
    ASSERT_TRUE(cut.isValid());
    for (char16_t c : {u'A', u'\u00e9'}) {
        const std::uint32_t glyph = glyphOf(whole, c);
        EXPECT_EQ(cut.pathForGlyph(glyph), whole.pathForGlyph(glyph)) << static_cast<int>(c);
        EXPECT_EQ(cut.advancesForGlyphIndexes(QList<quint32>{glyph}),
                  whole.advancesForGlyphIndexes(QList<quint32>{glyph}));
        // Qt gives advances in 64ths of a pixel.
        EXPECT_NEAR(face->advance(glyph) * 100.0 / face->unitsPerEm(),
                    whole.advancesForGlyphIndexes(QList<quint32>{glyph}).value(0).x(), 1 / 64.0);
    }
    EXPECT_TRUE(cut.pathForGlyph(glyphOf(whole, u'B')).isEmpty());
    EXPECT_FALSE(whole.pathForGlyph(glyphOf(whole, u'B')).isEmpty());
    EXPECT_EQ(face->advance(static_cast<std::uint32_t>(face->glyphCount())), 0);
}

// An installed family that Qt draws from outlines other than TrueType ones (a CFF or Type 1 face).
std::optional<QString> familyWithoutTrueTypeOutlines() {
    for (const QString& family : QFontDatabase::families()) {
        const QRawFont raw = rawFontOf(family);
        if (raw.isValid() && raw.familyName() == family && !TrueTypeFace::read(raw) &&
            raw.supportsCharacter(QChar(u'\u03a9')))
            return family;
    }
    return std::nullopt;
}

class PdfDocumentTest : public ::testing::Test {
protected:
    testing::TempDir dir;

    // The lines of page 0: their words joined (poppler may split a line where the script changes),
    // and the box around them.
    struct Line {
        std::string text;
        PdfProbe::Box box;
    };
    static std::vector<Line> linesOf(const PdfProbe& probe, std::size_t count) {
        std::vector<Line> lines;
        for (const PdfProbe::Word& word : probe.words(0)) {
            if (lines.empty() || word.top > lines.back().box.top + 4)
                lines.push_back({"", {word.left, word.top, word.right, word.bottom}});
            Line& line = lines.back();
            line.text += word.text;
            line.box = {std::min(line.box.left, word.left), std::min(line.box.top, word.top),
                        std::max(line.box.right, word.right), std::max(line.box.bottom, word.bottom)};
        }
        lines.resize(std::max(lines.size(), count));
        return lines;
    }
};

TEST_F(PdfDocumentTest, TextReadsBackInEveryFaceAsItWasPrinted) {
    // Beside the text font, a face without TrueType outlines, which is drawn as outlines 256
    // glyphs to a font: 300 letters need two of them.
    const std::optional<QString> outlined = familyWithoutTrueTypeOutlines();
    std::vector<std::string> lines{"Caf\u00e912,50\u20ac\u2014\u00dcn\u00efc\u00f6d\u00e9\u00df"};
    if (outlined) {
        const QRawFont raw = rawFontOf(*outlined);
        QString letters;
        for (char32_t c = 0x41; c < 0x3d0 && letters.size() < 300; ++c) {
            if (QChar::isLetter(c) && QChar::category(c) != QChar::Letter_Modifier &&
                raw.supportsCharacter(c) && glyphOf(raw, static_cast<char16_t>(c)) != 0)
                letters += QChar(c);
        }
        ASSERT_EQ(letters.size(), 300);
        for (qsizetype at = 0; at < letters.size(); at += 30)
            lines.push_back(letters.mid(at, 30).toStdString());
    }
    const auto file = dir / "faces.pdf";
    PdfSurface pdf(file.string());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        skipFailure(pdf.SetFontName(i == 0 ? "Times New Roman" : outlined->toStdString()));
        skipFailure(pdf.SetFontSize(10));
        skipFailure(pdf.SetX(720));
        skipFailure(pdf.SetY(720 + 400 * static_cast<double>(i)));
        skipFailure(pdf.PrintItems({lines[i]}, LineEnding::EndLine));
    }
    ASSERT_TRUE(pdf.EndDocument().ok());

    const PdfProbe probe(file);
    ASSERT_TRUE(probe.loaded());
    const std::vector<Line> read = linesOf(probe, lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(read[i].text, lines[i]) << "line " << i;
        const PdfProbe::Box& box = read[i].box;
        EXPECT_GT(probe.darkPixels(0, box.left, box.top, box.right, box.bottom), 50) << "line " << i;
    }
    if (!outlined)
        GTEST_SKIP() << "No installed face without TrueType outlines to draw as outlines";
}

} // namespace
} // namespace velmora::print
