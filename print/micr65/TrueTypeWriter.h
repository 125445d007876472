#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A minimal writer of TrueType (glyf-flavoured OpenType) fonts with simple, straight-edged glyphs.
namespace velmora::print::micr65 {

struct FontPoint {
    int x = 0;
    int y = 0;
    bool onCurve = true; // off-curve points are quadratic control points
};

// A closed contour, filled on its right (outer contours clockwise, holes counter-clockwise, y up).
using FontContour = std::vector<FontPoint>;

struct FontGlyph {
    std::vector<FontContour> contours;
    int advance = 0;
};

struct FontNames {
    std::string copyright;
    std::string family;
    std::string subfamily;
    std::string uniqueId;
    std::string fullName;
    std::string version;
    std::string postScriptName;
};

// The design values of a font in its own units, as its tables carry them (not the measuring of
// printed text, which print/FontMetrics.h does).
struct DesignMetrics {
    int unitsPerEm = 1000;
    int ascender = 800;  // typographic and Windows ascent
    int descender = 200; // typographic and Windows descent, as a positive distance below the baseline
    int lineGap = 0;
    int capHeight = 0;
    int xHeight = 0;
    bool monospaced = false;
};

struct CharMapping {
    std::uint16_t code = 0; // a Basic Multilingual Plane code point
    std::uint16_t glyph = 0;
};

struct FontDescription {
    FontNames names;
    DesignMetrics metrics;
    std::uint16_t revisionMajor = 1;
    std::uint16_t revisionMinor = 0;
    // Seconds since 1904-01-01 00:00 UTC, written as both created and modified: a fixed value keeps
    // the output reproducible.
    std::int64_t timestamp = 0;
    std::string vendorId = "NONE"; // four characters
    std::vector<FontGlyph> glyphs; // glyph 0 is .notdef
    std::vector<CharMapping> characters;
};

// The font file. Throws std::invalid_argument when the description cannot be expressed (a metric
// out of range, a mapping to a missing glyph, a contour of fewer than three points).
std::vector<unsigned char> writeTrueType(const FontDescription& font);

} // namespace velmora::print::micr65
