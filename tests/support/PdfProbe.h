#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <poppler-image.h>
#include <string>
#include <vector>

namespace poppler {
class document;
}

namespace velmora::testing {

// Reads a PDF back with poppler: the words with their boxes, the fonts, and the ink on a page.
class PdfProbe {
public:
    struct Word {
        std::string text;
        std::string font;
        // Points from the top-left corner of the paper.
        double left = 0;
        double top = 0;
        double right = 0;
        double bottom = 0;
    };
    // A rectangle in points from the top-left corner of the paper.
    struct Box {
        double left = 0;
        double top = 0;
        double right = 0;
        double bottom = 0;
    };
    struct Font {
        std::string name;
        bool embedded = false;
    };

    explicit PdfProbe(const std::filesystem::path& file);
    ~PdfProbe();

    bool loaded() const { return document_ != nullptr; }
    int pageCount() const;
    // Width and height of a page in points.
    std::pair<double, double> pageSize(int page) const;
    std::vector<Word> words(int page) const;
    // The first word of `page` that reads `text`; fails the test when there is none.
    Word word(int page, const std::string& text) const;
    std::vector<Font> fonts() const;
    // How many pixels of the page, rendered at `dpi` in grey, are darker than mid-grey inside the
    // rectangle given in points from the paper's top-left corner.
    int darkPixels(int page, double left, double top, double right, double bottom, double dpi = 150) const;

    // The smallest box around the ink (pixels darker than mid-grey) inside `window`, the page rendered
    // at `dpi`; std::nullopt when the window holds none. Ink does not depend on the fonts a PDF
    // carries, so two PDFs of the same page compare by it whatever rewrote their fonts.
    std::optional<Box> inkBox(int page, const Box& window, double dpi = 288) const;
    // Checks that a line of text starts at (left, top): its ink begins at `left` (within a glyph's
    // side bearing) and lies within one line below `top`.
    void expectLineAt(int page, double left, double top) const;

private:
    const poppler::image& rendered(int page, double dpi) const;

    std::unique_ptr<poppler::document> document_;
    mutable std::map<std::pair<int, double>, poppler::image> images_;
};

} // namespace velmora::testing
