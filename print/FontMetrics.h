#pragma once

#include "print/PrintSurface.h"

#include <QRawFont>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace velmora::print {

// Measures and shapes text for every print back end, so that a layout checked on the recording
// surface lands on the same twips on paper. All metrics come from Qt's font engine at one reference
// resolution (unhinted, so they do not depend on the device) and are cached per font state and per
// distinct text: the print runs switch fonts and repeat the same strings thousands of times.
class FontMetrics {
public:
    // The resolution the fonts are measured at, in dots per inch; the PDF back end writes at it.
    static constexpr double referenceDpi = 1200;
    static constexpr double twipsPerDot = 1440.0 / referenceDpi;

    // A text shaped in one font: its glyphs, where each one starts on the baseline (reference dots
    // from the start of the text), and its advance width in twips.
    struct ShapedText {
        std::vector<quint32> glyphs;
        std::vector<double> offsets;
        double width = 0;
    };

    FontMetrics();
    ~FontMetrics();
    FontMetrics(const FontMetrics&) = delete;
    FontMetrics& operator=(const FontMetrics&) = delete;

    double textWidth(const std::string& text, const PrintSurface::FontState& font) const;
    // The full height of one line (ascent, descent and line gap), in twips.
    double lineHeight(const PrintSurface::FontState& font) const;
    // Top of the character cell to the baseline, in twips.
    double ascent(const PrintSurface::FontState& font) const;
    // Top of the character cell to its bottom (ascent and descent, no line gap), in twips: the
    // height the glyphs of a line can take.
    double cellHeight(const PrintSurface::FontState& font) const;
    const ShapedText& shape(const std::string& text, const PrintSurface::FontState& font) const;
    // The family Qt actually prints a face name in (after fontconfig's substitutions).
    std::string resolvedFamily(const PrintSurface::FontState& font) const;
    // The face itself, at the font state's size: what a PDF embeds.
    const QRawFont& rawFont(const PrintSurface::FontState& font) const;

private:
    struct Face;
    Face& face(const PrintSurface::FontState& font) const;

    struct Cache;
    std::unique_ptr<Cache> cache_;
};

} // namespace velmora::print
