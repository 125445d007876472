// Builds the MICR65 TrueType font from the E-13B glyph table and writes it twice: as a .ttf file
// and as a C++ source that embeds the same bytes. Exits non-zero, writing nothing, when a glyph
// does not come out as the table describes it.

#include "E13bGlyphs.h"
#include "Outline.h"
#include "TrueTypeWriter.h"
#include "base/MicrCharacters.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace velmora::print::micr65;

constexpr int kUnitsPerEm = 1000;
constexpr int kGridUnit = 78;                            // 0.013 in at 12 pt, where an em is 1/6 in
constexpr int kAdvance = 750;                            // 0.125 in at 12 pt
constexpr int kBoxWidth = 7 * kGridUnit;                 // 546
constexpr int kLeftBearing = (kAdvance - kBoxWidth) / 2; // 102: the 7-unit box sits centred in its pitch
// Ink corners are rounded slightly, as printed E-13B characters are (grid units).
constexpr double kCornerRadius = 0.5;
// 2024-01-01 00:00 UTC in seconds since 1904-01-01: (120 * 365 + 30 leap days) * 86400.
constexpr std::int64_t kFixedTimestamp = 3786912000;

[[noreturn]] void fail(const GlyphSpec& shape, const std::string& why) {
    throw std::runtime_error("glyph " + shape.name + ": " + why);
}

bool inkInPieces(const Shape& pieces, Vec p) {
    for (const Polygon& piece : pieces)
        if (windingNumber({piece}, p) != 0)
            return true;
    return false;
}

// The merged outline must fill exactly the table's pieces, wind as TrueType wants (clockwise ink,
// counter-clockwise holes, never doubled) and span the extent the table declares.
void check(const GlyphSpec& shape, const std::vector<Polygon>& contours) {
    constexpr double step = 1.0 / 8; // samples between the half-unit and slanted edges, never on them
    for (double x = -1 + step / 2; x < 8; x += step)
        for (double y = -1 + step / 2; y < 10; y += step) {
            const int winding = windingNumber(contours, {x, y});
            if (winding != 0 && winding != -1)
                fail(shape, "contours overlap or run the wrong way");
            if ((winding != 0) != inkInPieces(shape.pieces, {x, y}))
                fail(shape, "outline differs from its pieces");
        }
    double xMin = 1e9, xMax = -1e9, yMin = 1e9, yMax = -1e9;
    for (const Polygon& contour : contours)
        for (Vec v : contour) {
            xMin = std::min(xMin, v.x);
            xMax = std::max(xMax, v.x);
            yMin = std::min(yMin, v.y);
            yMax = std::max(yMax, v.y);
        }
    if (xMax != 7 || xMin != 7 - shape.inkWidth || yMin != shape.bottom || yMax != shape.top)
        fail(shape, "ink extent differs from the declared width and height");
}

// The grid corners must land on whole font units, so that the outline keeps its exact widths; the
// points of the rounded corners are rounded to the nearest unit.
void checkWholeUnits(const GlyphSpec& shape, const std::vector<Polygon>& contours) {
    for (const Polygon& contour : contours)
        for (Vec v : contour)
            for (double units : {kLeftBearing + v.x * kGridUnit, v.y * kGridUnit})
                if (std::abs(units - std::round(units)) > 1e-6)
                    fail(shape, "a corner falls between font units");
}

FontContour toFontUnits(const std::vector<CurvePoint>& contour) {
    FontContour out;
    for (const CurvePoint& p : contour)
        out.push_back({static_cast<int>(std::lround(kLeftBearing + p.at.x * kGridUnit)),
                       static_cast<int>(std::lround(p.at.y * kGridUnit)), p.onCurve});
    return out;
}

FontDescription micr65() {
    FontDescription font;
    font.names = {"Copyright (c) the Velmora developers",
                  "MICR65",
                  "Regular",
                  "Velmora: MICR65 Regular: 1.000",
                  "MICR65",
                  "Version 1.000",
                  "MICR65"};
    font.metrics.unitsPerEm = kUnitsPerEm;
    font.metrics.ascender = 800;
    font.metrics.descender = 200;
    font.metrics.lineGap = 0;
    font.metrics.capHeight = 9 * kGridUnit;
    font.metrics.xHeight = 9 * kGridUnit;
    font.metrics.monospaced = true;
    font.timestamp = kFixedTimestamp;
    font.vendorId = "VLMR";
    for (const GlyphSpec& shape : e13bGlyphs()) {
        FontGlyph glyph;
        glyph.advance = kAdvance;
        if (!shape.pieces.empty()) {
            const std::vector<Polygon> contours = unionOutline(shape.pieces);
            check(shape, contours);
            checkWholeUnits(shape, contours);
            for (const Polygon& contour : contours)
                glyph.contours.push_back(toFontUnits(roundConvexCorners(contour, kCornerRadius)));
        }
        if (shape.code != 0)
            font.characters.push_back(
                {static_cast<std::uint16_t>(shape.code), static_cast<std::uint16_t>(font.glyphs.size())});
        font.glyphs.push_back(glyph);
    }
    for (const GlyphAlias& alias : e13bAliases()) {
        const auto& glyphs = e13bGlyphs();
        const auto target = std::find_if(glyphs.begin(), glyphs.end(),
                                         [&](const GlyphSpec& shape) { return shape.name == alias.glyph; });
        if (target == glyphs.end())
            throw std::runtime_error("alias of a missing glyph " + alias.glyph);
        font.characters.push_back(
            {static_cast<std::uint16_t>(alias.code), static_cast<std::uint16_t>(target - glyphs.begin())});
    }
    return font;
}

// The font's character map must be the MICR character set the rest of the program checks typed
// numbers against: a character the set names but the font lacks would print as an empty box.
void checkCharacterMap(const FontDescription& font) {
    std::u32string mapped;
    for (const auto& mapping : font.characters)
        mapped += static_cast<char32_t>(mapping.code);
    std::sort(mapped.begin(), mapped.end());
    std::u32string expected(velmora::kMicrCharacters);
    std::sort(expected.begin(), expected.end());
    if (mapped != expected)
        throw std::runtime_error(
            "the font's characters differ from the MICR character set of base/MicrCharacters.h");
}

std::string embeddingSource(const std::vector<unsigned char>& bytes) {
    std::ostringstream out;
    out << "// Generated by micr65gen from the E-13B glyph table; do not edit.\n"
           "#include \"print/micr65/Micr65Font.h\"\n\n"
           "namespace velmora::print::micr65 {\n"
           "namespace {\n"
           "const unsigned char kMicr65Font[] = {";
    for (std::size_t i = 0; i < bytes.size(); ++i)
        out << (i % 16 == 0 ? "\n    " : " ") << static_cast<unsigned>(bytes[i]) << ',';
    out << "\n};\n"
           "} // namespace\n\n"
           "std::span<const unsigned char> micr65FontData() { return kMicr65Font; }\n\n"
           "} // namespace velmora::print::micr65\n";
    return out.str();
}

// Writes beside the target and renames, so that a failed run never leaves a half-written output.
void writeFile(const std::filesystem::path& path, const std::string& content) {
    std::filesystem::path temporary = path;
    temporary += ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.close();
        if (!out)
            throw std::runtime_error("cannot write " + temporary.string());
    }
    std::filesystem::rename(temporary, path);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: micr65gen FONT.ttf EMBEDDED.cpp\n";
        return 2;
    }
    try {
        const FontDescription font = micr65();
        checkCharacterMap(font);
        const std::vector<unsigned char> bytes = writeTrueType(font);
        const std::filesystem::path ttf = argv[1];
        if (ttf.has_parent_path())
            std::filesystem::create_directories(ttf.parent_path());
        writeFile(ttf, std::string(bytes.begin(), bytes.end()));
        writeFile(argv[2], embeddingSource(bytes));
    } catch (const std::exception& e) {
        std::cerr << "micr65gen: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
