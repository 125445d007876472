#include "print/micr65/Micr65Font.h"

#include "MicrLineReader.h"
#include "base/MicrCharacters.h"
#include "print/FontRegistry.h"

#include <QByteArray>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <array>
#include <cstdint>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <string_view>

namespace {

using namespace velmora;

constexpr double kGridInches = 0.013;
constexpr double kPitchInches = 0.125;
const QString kMicrCharacters = QStringLiteral(" 0123456789ABCD");

QByteArray fontBytes() {
    const std::span<const unsigned char> data = print::micr65::micr65FontData();
    return QByteArray(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size()));
}

// The font at 12 pt on a 1200 dpi device: one pixel is 1/1200 in.
constexpr double kDevicePixelsPerInch = 1200;
QRawFont twelvePoint() {
    return QRawFont(fontBytes(), 12.0 / 72 * kDevicePixelsPerInch);
}

quint32 glyphOf(const QRawFont& font, QChar c) {
    const QList<quint32> glyphs = font.glyphIndexesForString(QString(c));
    return glyphs.size() == 1 ? glyphs[0] : 0;
}

std::uint32_t be32(const QByteArray& data, qsizetype at) {
    std::uint32_t v = 0;
    for (qsizetype i = 0; i < 4; ++i)
        v = (v << 8) | static_cast<unsigned char>(data[at + i]);
    return v;
}
int be16(const QByteArray& data, qsizetype at) {
    return static_cast<int>(static_cast<unsigned char>(data[at]) << 8 |
                            static_cast<unsigned char>(data[at + 1]));
}
int sbe16(const QByteArray& data, qsizetype at) {
    return static_cast<std::int16_t>(be16(data, at));
}

std::uint32_t sum32(const QByteArray& data, qsizetype at, qsizetype length) {
    std::uint32_t sum = 0;
    QByteArray padded = data.mid(at, length);
    padded.append(QByteArray((4 - padded.size() % 4) % 4, '\0'));
    for (qsizetype i = 0; i < padded.size(); i += 4)
        sum += be32(padded, i);
    return sum;
}

TEST(Micr65Font, RegistersAndResolvesToTheBundledFace) {
    ASSERT_TRUE(print::registerBundledFonts());
    EXPECT_TRUE(print::registerBundledFonts()) << "a second call only reports";
    EXPECT_TRUE(QFontDatabase::families().contains(QStringLiteral("MICR65")));

    // The family name must not fall back to some other face: what Qt resolves it to carries the
    // bundled glyphs.
    QFont font(QStringLiteral("MICR65"));
    font.setStyleStrategy(QFont::NoFontMerging);
    EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("MICR65"));
    const QRawFont resolved = QRawFont::fromFont(font);
    const QRawFont bundled(fontBytes(), 12);
    ASSERT_TRUE(resolved.isValid());
    EXPECT_EQ(resolved.fontTable("glyf"), bundled.fontTable("glyf"));
    EXPECT_EQ(bundled.familyName(), QStringLiteral("MICR65"));
    EXPECT_EQ(bundled.styleName(), QStringLiteral("Regular"));
}

TEST(Micr65Font, FileIsAWellFormedEmbeddableTrueTypeFont) {
    const QByteArray data = fontBytes();
    QFile file(QStringLiteral(VELMORA_BINARY_DIR "/fonts/MICR65.ttf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), data) << "the installed file and the embedded bytes are the same font";

    ASSERT_GE(data.size(), 12);
    EXPECT_EQ(be32(data, 0), 0x00010000u);
    const int numTables = be16(data, 4);
    std::map<QByteArray, std::pair<qsizetype, qsizetype>> tables;
    for (int i = 0; i < numTables; ++i) {
        const qsizetype record = 12 + 16 * i;
        const QByteArray tag = data.mid(record, 4);
        const qsizetype offset = be32(data, record + 8);
        const qsizetype length = be32(data, record + 12);
        ASSERT_LE(offset + length, data.size()) << tag.toStdString();
        tables[tag] = {offset, length};
        std::uint32_t expected = sum32(data, offset, length);
        if (tag == "head")
            expected -= be32(data, offset + 8); // the checksum of head leaves out the adjustment
        EXPECT_EQ(be32(data, record + 4), expected) << "checksum of " << tag.toStdString();
    }
    for (const char* tag : {"OS/2", "cmap", "glyf", "head", "hhea", "hmtx", "loca", "maxp", "name", "post"})
        EXPECT_TRUE(tables.contains(tag)) << tag;
    EXPECT_EQ(sum32(data, 0, data.size()), 0xB1B0AFBAu) << "checkSumAdjustment";

    const qsizetype head = tables["head"].first;
    const qsizetype os2 = tables["OS/2"].first;
    const int unitsPerEm = be16(data, head + 18);
    EXPECT_EQ(unitsPerEm, 1000);
    EXPECT_EQ(be16(data, os2 + 8), 0) << "fsType 0 lets PDF writers embed the font";
    EXPECT_EQ(be16(data, os2 + 74) + be16(data, os2 + 76), unitsPerEm) << "Windows ascent + descent";
    EXPECT_EQ(sbe16(data, os2 + 68) - sbe16(data, os2 + 70) + sbe16(data, os2 + 72), unitsPerEm)
        << "typographic ascender - descender + line gap";
    EXPECT_EQ(be32(data, tables["post"].first), 0x00030000u);
}

TEST(Micr65Font, KnowsWhichCharactersHaveASymbolAndPrintsLowercaseDAsTheDash) {
    for (char32_t c : std::u32string_view(U"\u00e9\u2448\u00a0"))
        EXPECT_FALSE(micrHasSymbol(c)) << static_cast<unsigned>(c);
    const QByteArray data(reinterpret_cast<const char*>(print::micr65::micr65FontData().data()),
                          static_cast<qsizetype>(print::micr65::micr65FontData().size()));
    const QRawFont font(data, 12);
    ASSERT_TRUE(font.isValid());
    // What the table says and what the font holds agree, character for character.
    for (char32_t c = 0x20; c < 0x7f; ++c)
        EXPECT_EQ(font.supportsCharacter(c), micrHasSymbol(c)) << static_cast<unsigned>(c);
    EXPECT_EQ(font.glyphIndexesForString("d"), font.glyphIndexesForString("D"));
}

TEST(Micr65Font, EveryCharacterAdvancesOneEighthInchAtTwelvePoint) {
    const QRawFont font = twelvePoint();
    ASSERT_TRUE(font.isValid());
    for (QChar c : kMicrCharacters) {
        const quint32 glyph = glyphOf(font, c);
        ASSERT_NE(glyph, 0u) << "no glyph for '" << QString(c).toStdString() << "'";
        const QList<QPointF> advances = font.advancesForGlyphIndexes({glyph}, QRawFont::UseDesignMetrics);
        EXPECT_DOUBLE_EQ(advances[0].x() / kDevicePixelsPerInch, kPitchInches) << QString(c).toStdString();
    }
    EXPECT_EQ(glyphOf(font, QChar('E')), 0u) << "letters other than the four symbols are not MICR";
}

TEST(Micr65Font, InkStandsOnTheGridWithACommonRightEdge) {
    struct Ink {
        char c;
        double widthUnits;
        double bottomUnits;
        double topUnits;
    };
    const std::array<Ink, 14> expected{{{'0', 7, 0, 9},
                                        {'1', 4, 0, 9},
                                        {'2', 4, 0, 9},
                                        {'3', 5, 0, 9},
                                        {'4', 6, 0, 9},
                                        {'5', 5, 0, 9},
                                        {'6', 6, 0, 9},
                                        {'7', 5, 0, 9},
                                        {'8', 7, 0, 9},
                                        {'9', 6, 0, 9},
                                        {'A', 7, 0, 9},
                                        {'B', 7, 0, 9},
                                        {'C', 7, 1.5, 8.5},
                                        {'D', 7, 2.5, 6.5}}};
    const QRawFont font = twelvePoint();
    constexpr double tolerance = 0.0005; // inches
    std::optional<double> rightEdge;
    for (const Ink& ink : expected) {
        SCOPED_TRACE(std::string(1, ink.c));
        // y grows downwards in the glyph path: the baseline is y = 0, ink above it is negative.
        const QRectF box = font.pathForGlyph(glyphOf(font, QChar(ink.c))).boundingRect();
        const double right = box.right() / kDevicePixelsPerInch;
        EXPECT_NEAR(box.width() / kDevicePixelsPerInch, ink.widthUnits * kGridInches, tolerance);
        EXPECT_NEAR(-box.bottom() / kDevicePixelsPerInch, ink.bottomUnits * kGridInches, tolerance);
        EXPECT_NEAR(-box.top() / kDevicePixelsPerInch, ink.topUnits * kGridInches, tolerance);
        if (!rightEdge)
            rightEdge = right;
        EXPECT_DOUBLE_EQ(right, *rightEdge);
    }
    // Digits and the transit and amount symbols stand 0.117 in high on the baseline.
    const QRectF zero = font.pathForGlyph(glyphOf(font, QChar('0'))).boundingRect();
    EXPECT_NEAR(zero.height() / kDevicePixelsPerInch, 0.117, tolerance);
    // The 7-unit box sits inside the 1/8 in pitch with room on both sides.
    EXPECT_GT(*rightEdge, 7 * kGridInches);
    EXPECT_LT(*rightEdge, kPitchInches);
}

// Renders one glyph as printing does, at one font unit per pixel, and tells whether the grid point
// (x across the 7-unit box, y up from the baseline) is inked.
class GlyphRaster {
public:
    explicit GlyphRaster(QChar c)
        : image_(1000, 1200, QImage::Format_Grayscale8) {
        image_.fill(Qt::white);
        QFont font(QStringLiteral("MICR65"));
        font.setPixelSize(1000);
        font.setStyleStrategy(QFont::NoFontMerging);
        QPainter painter(&image_);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QPointF(0, kBaseline), QString(c));
    }
    bool inked(double x, double y) const {
        const QColor pixel =
            image_.pixelColor(static_cast<int>(kBoxLeft + 78 * x), static_cast<int>(kBaseline - 78 * y));
        return pixel.lightness() < 128;
    }

private:
    static constexpr double kBaseline = 1000;
    // Where the 7-unit box starts: the common right edge (0.125 in pitch less the box) less 7 units.
    static constexpr double kBoxLeft = 102;
    QImage image_;
};

TEST(Micr65Font, CountersStayOpenAndStrokesStayInked) {
    ASSERT_TRUE(print::registerBundledFonts());
    struct Probe {
        char c;
        double x, y;
        bool ink;
    };
    // Holes must be holes (contours wound the right way), strokes solid, and the 7's knee joined.
    const std::array<Probe, 16> probes{{{'0', 3.5, 4.5, false},
                                        {'0', 0.5, 4.5, true},
                                        {'8', 3.5, 2.5, false},
                                        {'8', 3.5, 6.5, false},
                                        {'8', 3.5, 4.5, true},
                                        {'8', 1, 2, true},
                                        {'6', 4, 2, false},
                                        {'6', 1.5, 6, true},
                                        {'9', 4, 6.5, false},
                                        {'9', 6, 2, true},
                                        {'7', 5.5, 4.75, true},
                                        {'7', 4.5, 2, true},
                                        {'7', 4, 6, false},
                                        {'A', 3, 4.5, false},
                                        {'C', 1.5, 4.5, false},
                                        {'D', 6.5, 4.5, true}}};
    for (const Probe& p : probes) {
        const GlyphRaster raster{QChar(p.c)};
        EXPECT_EQ(raster.inked(p.x, p.y), p.ink) << p.c << " at (" << p.x << ", " << p.y << ")";
    }
}

// A few dozen MICR lines of the kinds a check carries, from a fixed seed.
QStringList sampleMicrLines() {
    std::mt19937 random(20240611);
    auto digits = [&](int count) {
        QString s;
        for (int i = 0; i < count; ++i)
            s += QChar('0' + static_cast<int>(random() % 10));
        return s;
    };
    QStringList lines{QStringLiteral("C1234C A123456789A 110D0054C"), QStringLiteral("0123456789ABCD"),
                      QStringLiteral("B0000012500B")};
    for (int i = 0; i < 12; ++i)
        lines << QStringLiteral("C%1C A%2A %3D%4C")
                     .arg(digits(4 + i % 3), digits(9), digits(3), digits(4 + i % 5));
    for (int i = 0; i < 6; ++i)
        lines << QStringLiteral("A%1A %2C %3").arg(digits(9), digits(10), digits(4));
    for (int i = 0; i < 6; ++i)
        lines << QStringLiteral("B%1B").arg(digits(10));
    for (int i = 0; i < 8; ++i)
        lines << digits(12 + i);
    return lines;
}

// Reads the images and expects fewer than 1 in 100 characters wrong (edit distance, spaces ignored).
void expectReadable(const velmora::testing::MicrReader& reader, const QStringList& lines,
                    const std::vector<QImage>& images) {
    const std::optional<QStringList> read = velmora::testing::readMicrLines(reader, images);
    ASSERT_TRUE(read.has_value()) << "tesseract failed";
    int errors = 0, total = 0;
    std::string misread;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString truth = QString(lines[i]).remove(QChar(' '));
        errors += velmora::testing::editDistance(truth, (*read)[i]);
        total += static_cast<int>(truth.size());
        if (truth != (*read)[i])
            misread += "\n  " + lines[i].toStdString() + " read as " + (*read)[i].toStdString();
    }
    EXPECT_LT(static_cast<double>(errors) / total, 0.01) << errors << " of " << total << misread;
}

TEST(Micr65Readability, AnIndependentReaderReadsRenderedLines) {
    const velmora::testing::MicrReader reader = velmora::testing::findMicrReader();
    if (!reader.unavailable.isEmpty())
        GTEST_SKIP() << reader.unavailable.toStdString();
    ASSERT_TRUE(print::registerBundledFonts());
    const QStringList lines = sampleMicrLines();
    ASSERT_GE(lines.size(), 30);

    for (int dpi : {200, 300}) {
        SCOPED_TRACE("painted at " + std::to_string(dpi) + " dpi");
        std::vector<QImage> images;
        for (const QString& line : lines)
            images.push_back(velmora::testing::renderMicrLine(line, dpi));
        expectReadable(reader, lines, images);
    }

    SCOPED_TRACE("PDF rasterised by pdftoppm at 300 dpi");
    const std::vector<QImage> images = velmora::testing::renderMicrLinesThroughPdf(lines, 300);
    if (images.empty())
        GTEST_SKIP() << "pdftoppm (Debian package poppler-utils) could not rasterise the PDF";
    expectReadable(reader, lines, images);
}

} // namespace
