#pragma once

#include "base/Result.h"
#include "print/FontMetrics.h"

#include <QPointF>
#include <QRawFont>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QIODevice;
struct libdeflate_compressor;

namespace velmora::print {

// Writes a PDF document of pages of text and lines onto a device, page by page as they are drawn:
// only the page being drawn is held, so a job of thousands of pages takes no more memory than one of
// a few. Text is written as the glyphs the font metrics shaped, each text one string of glyph codes
// at its position, so a page costs a fraction of what a general painter writes; the faces are
// embedded once per document, cut down to the glyphs it uses (TrueType faces as themselves, others as
// their outlines), with the characters each glyph stands for, so the text can be searched and copied.
class PdfDocument {
public:
    // How hard the streams are compressed, as libdeflate counts (1 fastest, 12 smallest). Measured
    // on pages of checks: level 1 deflates a page in a quarter of the time zlib's default level takes
    // and the page grows by a sixth, to about 1.3 KB; the higher levels cost more time than the
    // few bytes they save are worth.
    static constexpr int kCompression = 1;

    // `widthPoints` by `heightPoints` pages. The device takes the bytes as they are made; whether it
    // took them all is told by finish().
    PdfDocument(QIODevice& out, double widthPoints, double heightPoints);
    ~PdfDocument();
    PdfDocument(const PdfDocument&) = delete;
    PdfDocument& operator=(const PdfDocument&) = delete;

    // The document's number for a face: every size of one face shares one embedded font.
    int face(const QRawFont& font);
    // Starts a page: the first one, or the next after the current one.
    void beginPage();
    // A shaped text of `face` at `points` size, its baseline starting at `origin` (points from the
    // paper's top-left corner). `text` is what was shaped, for the characters behind the glyphs.
    void showText(int face, double points, QPointF origin, const FontMetrics::ShapedText& shaped,
                  std::string_view text);
    // A straight line between two points (from the paper's top-left corner), `width` points wide.
    void drawLine(QPointF from, QPointF to, double width);
    // Ends the last page and writes the fonts, the page tree and the index of the file. A failure
    // says that the device did not take every byte.
    Status finish();

    int pageCount() const { return static_cast<int>(pages_.size()); }

private:
    class Face;
    void write(std::string_view bytes);
    int beginObject(int number = 0);
    void endObject();
    // A stream object of `data`, compressed, with more `entries` in its dictionary; gives its number.
    int writeStream(std::string_view data, std::string_view entries = {});
    void endPage();
    void endText();

    QIODevice& out_;
    double width_;
    double height_;
    std::uint64_t written_ = 0;
    bool failed_ = false;
    std::string failure_;                // the device's reason for the first write it refused
    std::vector<std::uint64_t> offsets_; // of each object, by number; 0 until it is written
    std::vector<int> pages_;             // the page objects' numbers
    std::vector<std::unique_ptr<Face>> faces_;
    std::string page_; // the content of the page being drawn
    struct CompressorDeleter {
        void operator()(libdeflate_compressor* compressor) const;
    };
    std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor_; // null without memory
    std::string compressed_;
    bool pageOpen_ = false;
    bool inText_ = false;
    int pageFont_ = -1; // the font resource and size in effect on the page
    double pageSize_ = 0;
    double lineWidth_ = -1;
};

} // namespace velmora::print
