#pragma once

#include <QByteArray>
#include <QRawFont>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora::print {

// A face with TrueType outlines, read from the tables Qt's font engine holds for it, as a PDF needs it
// to embed the face: its design figures, its advance widths, and font programs cut down to the glyphs
// a document uses. A glyph keeps its index in the cut-down program, so text is written with the
// face's own glyph indexes.
class TrueTypeFace {
public:
    // std::nullopt when the face has no TrueType outlines (a CFF or Type 1 face) or its tables are
    // damaged.
    static std::optional<TrueTypeFace> read(const QRawFont& font);

    int unitsPerEm() const { return unitsPerEm_; }
    int glyphCount() const { return glyphCount_; }
    // The advance width of a glyph, in design units; 0 for an index outside the face.
    int advance(std::uint32_t glyph) const;
    // Design units: the box around every glyph (x min, y min, x max, y max), the ascent and descent
    // (below the baseline, negative), the height of capitals.
    const std::array<int, 4>& boundingBox() const { return box_; }
    int ascent() const { return ascent_; }
    int descent() const { return descent_; }
    int capHeight() const { return capHeight_; }
    // Degrees, counter-clockwise from the vertical: negative for a face that leans right.
    double italicAngle() const { return italicAngle_; }
    // The face's PostScript name, as its naming table gives it (letters and digits only otherwise).
    const std::string& postScriptName() const { return postScriptName_; }

    // A font program with the outlines of the glyphs marked in `used` (indexes into it), of the glyphs
    // they are composed of and of glyph 0; every other glyph is kept empty at its index.
    QByteArray subset(const std::vector<bool>& used) const;

private:
    TrueTypeFace() = default;

    QByteArray head_, hhea_, maxp_, hmtx_, loca_, glyf_;
    // The hinting tables, copied as they are when the face has them.
    QByteArray cvt_, fpgm_, prep_;
    int unitsPerEm_ = 1000;
    int glyphCount_ = 0;
    int metricsCount_ = 0; // entries of hmtx with their own advance
    bool longOffsets_ = false;
    std::array<int, 4> box_{};
    int ascent_ = 0;
    int descent_ = 0;
    int capHeight_ = 0;
    double italicAngle_ = 0;
    std::string postScriptName_;

    // Where glyph `glyph`'s outline lies in glyf, as [begin, end).
    std::pair<std::uint32_t, std::uint32_t> outline(std::uint32_t glyph) const;
};

} // namespace velmora::print
