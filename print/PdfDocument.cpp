#include "print/PdfDocument.h"

#include "print/TrueTypeSubset.h"

#include <QIODevice>
#include <QPainterPath>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <libdeflate.h>
#include <optional>
#include <unordered_map>

namespace velmora::print {

namespace {

// The objects every document has, written at its end except the catalog.
constexpr int kCatalog = 1;
constexpr int kPageTree = 2;
constexpr int kResources = 3;
constexpr int kInfo = 4;

// A Type 3 font holds the glyphs of a face without TrueType outlines 256 at a time, as one-byte codes.
constexpr std::uint32_t kCodesPerType3Font = 256;
// Glyph space of a Type 3 font: a thousandth of the text size, as the widths of every font are given.
constexpr double kType3Units = 1000;

constexpr double kPointsPerDot = 72.0 / FontMetrics::referenceDpi;
// How far, in thousandths of the text size, a glyph may stand from where the shaping placed it
// before its string says where it goes (0.012 points at 12 points): the widths a font declares and
// the advances Qt measures differ in their last bits, which needs no correction; kerning does.
constexpr double kLargestDrift = 1;

// `value` rounded to `decimals` decimals (at most 4), without trailing zeros: "12", "-3.5", "0.06".
// Written by hand: the positions of every glyph string pass through here.
void appendNumber(std::string& out, double value, int decimals) {
    static constexpr std::int64_t kScale[] = {1, 10, 100, 1000, 10000};
    if (!std::isfinite(value))
        value = 0;
    const std::int64_t scale = kScale[std::clamp(decimals, 0, 4)];
    // Beyond this the value is no coordinate of a page; it is written as the nearest that is.
    constexpr double kLargest = 1e12;
    const double scaled = std::clamp(value, -kLargest, kLargest) * static_cast<double>(scale);
    std::int64_t units = std::llround(scaled);
    if (units < 0) {
        out += '-';
        units = -units;
    }
    char digits[24];
    char* end = std::to_chars(digits, digits + sizeof digits, units / scale).ptr;
    std::int64_t fraction = units % scale;
    if (fraction != 0) {
        *end++ = '.';
        int places = decimals;
        while (fraction % 10 == 0) {
            fraction /= 10;
            --places;
        }
        char* first = end;
        end += places;
        for (char* at = end; at != first; fraction /= 10)
            *--at = static_cast<char>('0' + fraction % 10);
    }
    out.append(digits, end);
}

std::string number(double value, int decimals = 3) {
    std::string text;
    appendNumber(text, value, decimals);
    return text;
}

void appendHex(std::string& out, std::uint32_t value, int digits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    char text[8];
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        text[i] = kDigits[value & 0xF];
    out.append(text, static_cast<std::size_t>(digits));
}

// The next character of UTF-8 text; a byte that starts no valid character (and a sequence that
// spells a surrogate or spells a character in more bytes than it needs) counts as one character that
// stands for nothing (0), as Qt replaces it.
char32_t nextCharacter(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80)
        return lead;
    const int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (more == 0 || lead > 0xF4 || at + static_cast<std::size_t>(more) > text.size())
        return 0;
    char32_t value = lead & (0x3F >> more);
    for (int k = 0; k < more; ++k) {
        const auto next = static_cast<unsigned char>(text[at]);
        if ((next & 0xC0) != 0x80)
            return 0;
        value = value << 6 | (next & 0x3F);
        ++at;
    }
    static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[more] || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)
        return 0;
    return value;
}

std::size_t characterCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); ++count)
        nextCharacter(text, at);
    return count;
}

// A character map from glyph codes of `codeBytes` bytes to the characters they stand for.
std::string toUnicodeMap(const std::vector<std::pair<std::uint32_t, char32_t>>& codes, int codeBytes) {
    std::string map = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n1 begincodespacerange\n<";
    appendHex(map, 0, 2 * codeBytes);
    map += "> <";
    appendHex(map, codeBytes == 1 ? 0xFF : 0xFFFF, 2 * codeBytes);
    map += ">\nendcodespacerange\n";
    constexpr std::size_t kPerBlock = 100; // the most a block may hold
    for (std::size_t first = 0; first < codes.size(); first += kPerBlock) {
        const std::size_t last = std::min(codes.size(), first + kPerBlock);
        map += std::to_string(last - first) + " beginbfchar\n";
        for (std::size_t i = first; i < last; ++i) {
            map += '<';
            appendHex(map, codes[i].first, 2 * codeBytes);
            map += "> <";
            const char32_t c = codes[i].second;
            if (c < 0x10000) {
                appendHex(map, c, 4);
            } else { // a surrogate pair
                appendHex(map, 0xD800 + ((c - 0x10000) >> 10), 4);
                appendHex(map, 0xDC00 + ((c - 0x10000) & 0x3FF), 4);
            }
            map += ">\n";
        }
        map += "endbfchar\n";
    }
    map += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    return map;
}

// Six capital letters that tell one cut-down face from another of the same name.
std::string subsetTag(const std::string& name, const std::vector<bool>& used) {
    std::uint64_t hash = 1469598103934665603ULL;
    const auto mix = [&hash](std::uint64_t value) { hash = (hash ^ value) * 1099511628211ULL; };
    for (const char c : name)
        mix(static_cast<unsigned char>(c));
    for (std::size_t glyph = 0; glyph < used.size(); ++glyph) {
        if (used[glyph])
            mix(glyph);
    }
    std::string tag;
    for (int i = 0; i < 6; ++i, hash /= 26)
        tag += static_cast<char>('A' + hash % 26);
    return tag + "+";
}

} // namespace

// One face of the document: the glyphs drawn in it, with their widths and the characters they stand
// for, and how it is embedded at the end.
class PdfDocument::Face {
public:
    // The font a glyph is written in and its code there, as the content of a page names them.
    struct Code {
        int font = 0; // the resource: the face's number, times 256 and plus its Type 3 part
        std::uint32_t code = 0;
        int digits = 4;   // hex digits of the code
        double width = 0; // thousandths of the text size
    };

    Face(const QRawFont& font, int number)
        : raw_(font)
        , header_(font.fontTable("head"))
        , number_(number)
        , trueType_(TrueTypeFace::read(font)) {
        if (trueType_) {
            used_.assign(static_cast<std::size_t>(trueType_->glyphCount()), false);
            widths_.assign(used_.size(), 0);
            characters_.assign(used_.size(), 0);
        } else {
            outlines_ = font;
            outlines_.setPixelSize(kType3Units);
        }
    }

    // The same face at any size: the same names and the same header (which holds the file's dates
    // and checksum), so two files that call themselves alike are not taken for one.
    bool sameFace(const QRawFont& font) const {
        return font.familyName() == raw_.familyName() && font.styleName() == raw_.styleName() &&
               font.weight() == raw_.weight() && font.style() == raw_.style() &&
               font.fontTable("head") == header_;
    }

    Code use(std::uint32_t glyph, char32_t character) {
        if (trueType_) {
            if (glyph >= used_.size())
                glyph = 0;
            if (!used_[glyph]) {
                used_[glyph] = true;
                widths_[glyph] = width(*trueType_, glyph);
            }
            if (characters_[glyph] == 0)
                characters_[glyph] = character;
            return {number_ * 256, glyph, 4, widths_[glyph]};
        }
        auto [found, added] = slots_.try_emplace(glyph, static_cast<std::uint32_t>(type3Glyphs_.size()));
        if (added) {
            const QPointF advance = outlines_.advancesForGlyphIndexes(QList<quint32>{glyph}).value(0);
            type3Glyphs_.push_back({glyph, character, std::round(advance.x() * 1000) / 1000});
        }
        const std::uint32_t slot = found->second;
        const auto part = static_cast<int>(slot / kCodesPerType3Font);
        return {number_ * 256 + part, slot % kCodesPerType3Font, 2, type3Glyphs_[slot].width};
    }

    // Writes the fonts of the face; gives each resource with its object.
    std::vector<std::pair<int, int>> write(PdfDocument& document) const {
        return trueType_ ? writeTrueType(document) : writeType3(document);
    }

private:
    struct Type3Glyph {
        std::uint32_t glyph = 0;
        char32_t character = 0;
        double width = 0;
    };

    static double width(const TrueTypeFace& face, std::uint32_t glyph) {
        return std::round(face.advance(glyph) * 1000.0 / face.unitsPerEm() * 1000) / 1000;
    }

    std::vector<std::pair<int, int>> writeTrueType(PdfDocument& document) const {
        const TrueTypeFace& face = *trueType_;
        const double scale = 1000.0 / face.unitsPerEm();
        const std::string name = subsetTag(face.postScriptName(), used_) + face.postScriptName();

        const QByteArray program = face.subset(used_);
        const int file = document.writeStream(
            std::string_view(program.constData(), static_cast<std::size_t>(program.size())),
            " /Length1 " + std::to_string(program.size()));
        const std::array<int, 4>& box = face.boundingBox();
        const int descriptor = document.beginObject();
        document.write("<< /Type /FontDescriptor /FontName /" + name + " /Flags " +
                       std::to_string(4 | (face.italicAngle() != 0 ? 64 : 0)) + " /FontBBox [" +
                       number(box[0] * scale, 0) + " " + number(box[1] * scale, 0) + " " +
                       number(box[2] * scale, 0) + " " + number(box[3] * scale, 0) + "] /ItalicAngle " +
                       number(face.italicAngle(), 2) + " /Ascent " + number(face.ascent() * scale, 0) +
                       " /Descent " + number(face.descent() * scale, 0) + " /CapHeight " +
                       number(face.capHeight() * scale, 0) + " /StemV 80 /FontFile2 " + std::to_string(file) +
                       " 0 R >>\n");
        document.endObject();

        std::string widths;
        std::vector<std::pair<std::uint32_t, char32_t>> characters;
        for (std::uint32_t glyph = 0; glyph < used_.size(); ++glyph) {
            if (!used_[glyph])
                continue;
            // Runs of neighbouring glyphs share one entry: "12 [500 250 333]".
            if (glyph == 0 || !used_[glyph - 1])
                widths += (widths.empty() ? "" : "] ") + std::to_string(glyph) + " [";
            else
                widths += ' ';
            appendNumber(widths, widths_[glyph], 3);
            if (characters_[glyph] != 0)
                characters.emplace_back(glyph, characters_[glyph]);
        }
        if (!widths.empty())
            widths += ']';
        const int descendant = document.beginObject();
        document.write("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /" + name +
                       " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>"
                       " /FontDescriptor " +
                       std::to_string(descriptor) + " 0 R /CIDToGIDMap /Identity /W [" + widths + "] >>\n");
        document.endObject();
        const int unicode = document.writeStream(toUnicodeMap(characters, 2));
        const int font = document.beginObject();
        document.write("<< /Type /Font /Subtype /Type0 /BaseFont /" + name +
                       " /Encoding /Identity-H /DescendantFonts [" + std::to_string(descendant) +
                       " 0 R] /ToUnicode " + std::to_string(unicode) + " 0 R >>\n");
        document.endObject();
        return {{number_ * 256, font}};
    }

    // The glyphs drawn as their outlines, 256 to a font.
    std::vector<std::pair<int, int>> writeType3(PdfDocument& document) const {
        std::vector<std::pair<int, int>> fonts;
        for (std::size_t first = 0; first < type3Glyphs_.size(); first += kCodesPerType3Font) {
            const std::size_t end = std::min(type3Glyphs_.size(), first + kCodesPerType3Font);
            std::string procedures;
            std::string names;
            std::string widths;
            std::vector<std::pair<std::uint32_t, char32_t>> characters;
            QRectF bounds;
            for (std::size_t slot = first; slot < end; ++slot) {
                const Type3Glyph& glyph = type3Glyphs_[slot];
                const auto code = static_cast<std::uint32_t>(slot - first);
                const QPainterPath path = outlines_.pathForGlyph(glyph.glyph);
                const QRectF box = path.boundingRect();
                bounds |= box;
                // Glyph space grows upwards; the outline's y grows downwards from the baseline.
                std::string drawing = number(glyph.width) + " 0 " + number(box.left(), 1) + " " +
                                      number(-box.bottom(), 1) + " " + number(box.right(), 1) + " " +
                                      number(-box.top(), 1) + " d1\n";
                for (int i = 0; i < path.elementCount(); ++i) {
                    const QPainterPath::Element e = path.elementAt(i);
                    const auto point = [&drawing](const QPainterPath::Element& p) {
                        drawing += number(p.x, 1) + " " + number(-p.y, 1) + " ";
                    };
                    if (e.isMoveTo()) {
                        point(e);
                        drawing += "m\n";
                    } else if (e.isLineTo()) {
                        point(e);
                        drawing += "l\n";
                    } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
                        point(e);
                        point(path.elementAt(i + 1));
                        point(path.elementAt(i + 2));
                        drawing += "c\n";
                        i += 2;
                    }
                }
                drawing += "f\n";
                const int procedure = document.writeStream(drawing);
                procedures += " /g" + std::to_string(code) + " " + std::to_string(procedure) + " 0 R";
                names += " /g" + std::to_string(code);
                widths += ' ' + number(glyph.width);
                if (glyph.character != 0)
                    characters.emplace_back(code, glyph.character);
            }
            const int unicode = document.writeStream(toUnicodeMap(characters, 1));
            const int font = document.beginObject();
            document.write("<< /Type /Font /Subtype /Type3 /FontBBox [" + number(bounds.left(), 0) + " " +
                           number(-bounds.bottom(), 0) + " " + number(bounds.right(), 0) + " " +
                           number(-bounds.top(), 0) + "] /FontMatrix [0.001 0 0 0.001 0 0] /CharProcs <<" +
                           procedures + " >> /Encoding << /Type /Encoding /Differences [0" + names +
                           "] >> /FirstChar 0 /LastChar " + std::to_string(end - first - 1) + " /Widths [" +
                           widths + " ] /ToUnicode " + std::to_string(unicode) +
                           " 0 R /Resources << >> >>\n");
            document.endObject();
            fonts.emplace_back(number_ * 256 + static_cast<int>(first / kCodesPerType3Font), font);
        }
        return fonts;
    }

    QRawFont raw_;
    QByteArray header_;
    int number_;
    std::optional<TrueTypeFace> trueType_;
    // A TrueType face: the glyphs used, their widths and the character each one was first drawn for.
    std::vector<bool> used_;
    std::vector<double> widths_;
    std::vector<char32_t> characters_;
    // Any other face: its outlines at a size of one unit of glyph space a pixel, the glyphs in the
    // order they were first used, and where each one is in that order.
    QRawFont outlines_;
    std::vector<Type3Glyph> type3Glyphs_;
    std::unordered_map<std::uint32_t, std::uint32_t> slots_;
};

namespace {

// The resource name of a font of the document: "/F2", or "/F2.1" for the second Type 3 part of face 2.
void appendFontName(std::string& out, int font) {
    out += "/F";
    out += std::to_string(font / 256);
    if (font % 256 != 0) {
        out += '.';
        out += std::to_string(font % 256);
    }
}

} // namespace

PdfDocument::PdfDocument(QIODevice& out, double widthPoints, double heightPoints)
    : out_(out)
    , width_(widthPoints)
    , height_(heightPoints)
    , offsets_(kInfo + 1, 0)
    , compressor_(libdeflate_alloc_compressor(kCompression)) {
    // The binary comment tells file transfers that the file is not text.
    write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    beginObject(kCatalog);
    write("<< /Type /Catalog /Pages 2 0 R >>\n");
    endObject();
}

PdfDocument::~PdfDocument() = default;

void PdfDocument::CompressorDeleter::operator()(libdeflate_compressor* compressor) const {
    libdeflate_free_compressor(compressor);
}

void PdfDocument::write(std::string_view bytes) {
    if (failed_)
        return;
    const qint64 taken = out_.write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (taken != static_cast<qint64>(bytes.size())) {
        failed_ = true;
        failure_ = out_.errorString().toStdString();
    }
    written_ += bytes.size();
}

int PdfDocument::beginObject(int number) {
    if (number == 0) {
        number = static_cast<int>(offsets_.size());
        offsets_.push_back(0);
    }
    offsets_[static_cast<std::size_t>(number)] = written_;
    write(std::to_string(number) + " 0 obj\n");
    return number;
}

void PdfDocument::endObject() {
    write("endobj\n");
}

int PdfDocument::writeStream(std::string_view data, std::string_view entries) {
    const int object = beginObject();
    std::size_t size = 0;
    if (compressor_) {
        compressed_.resize(libdeflate_zlib_compress_bound(compressor_.get(), data.size()));
        size = libdeflate_zlib_compress(compressor_.get(), data.data(), data.size(), compressed_.data(),
                                        compressed_.size());
    }
    if (size > 0) {
        write("<< /Length " + std::to_string(size) + " /Filter /FlateDecode");
        data = std::string_view(compressed_.data(), size);
    } else { // no compressor (no memory for one): the stream stays as it is
        write("<< /Length " + std::to_string(data.size()));
    }
    write(entries);
    write(" >>\nstream\n");
    write(data);
    write("\nendstream\n");
    endObject();
    return object;
}

int PdfDocument::face(const QRawFont& font) {
    for (std::size_t i = 0; i < faces_.size(); ++i) {
        if (faces_[i]->sameFace(font))
            return static_cast<int>(i);
    }
    faces_.push_back(std::make_unique<Face>(font, static_cast<int>(faces_.size()) + 1));
    return static_cast<int>(faces_.size()) - 1;
}

void PdfDocument::beginPage() {
    endPage();
    page_.clear();
    pageOpen_ = true;
    inText_ = false;
    pageFont_ = -1;
    pageSize_ = 0;
    lineWidth_ = -1;
}

void PdfDocument::endText() {
    if (inText_)
        page_ += "ET\n";
    inText_ = false;
}

void PdfDocument::endPage() {
    if (!pageOpen_)
        return;
    endText();
    const int content = writeStream(page_);
    const int page = beginObject();
    write("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + number(width_) + " " + number(height_) +
          "] /Resources 3 0 R /Contents " + std::to_string(content) + " 0 R >>\n");
    endObject();
    pages_.push_back(page);
    pageOpen_ = false;
}

void PdfDocument::showText(int face, double points, QPointF origin, const FontMetrics::ShapedText& shaped,
                           std::string_view text) {
    const std::vector<quint32>& glyphs = shaped.glyphs;
    if (glyphs.empty() || !pageOpen_ || face < 0 || face >= static_cast<int>(faces_.size()))
        return;
    Face& font = *faces_[static_cast<std::size_t>(face)];
    // The characters behind the glyphs, one each, when the text has as many.
    const bool characters = characterCount(text) == glyphs.size();
    std::size_t next = 0;

    if (!inText_)
        page_ += "BT\n";
    inText_ = true;
    page_ += "1 0 0 1 ";
    appendNumber(page_, origin.x(), 3);
    page_ += ' ';
    appendNumber(page_, height_ - origin.y(), 3);
    page_ += " Tm\n";
    // Where the reader's pen stands, in thousandths of the size from the text's start: it moves by
    // the widths the fonts declare, and is set right where the shaping placed a glyph elsewhere.
    double pen = 0;
    const double thousandthsPerDot = kPointsPerDot / points * 1000;
    bool inArray = false;
    bool inString = false;
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const Face::Code code = font.use(glyphs[i], characters ? nextCharacter(text, next) : 0);
        if (code.font != pageFont_ || points != pageSize_) {
            if (inString)
                page_ += '>';
            if (inArray)
                page_ += "]TJ\n";
            inArray = inString = false;
            appendFontName(page_, code.font);
            page_ += ' ';
            appendNumber(page_, points, 3);
            page_ += " Tf\n";
            pageFont_ = code.font;
            pageSize_ = points;
        }
        if (!inArray)
            page_ += '[';
        inArray = true;
        const double shift = pen - shaped.offsets[i] * thousandthsPerDot;
        if (std::abs(shift) >= kLargestDrift) {
            if (inString)
                page_ += '>';
            inString = false;
            const double rounded = std::round(shift * 10) / 10;
            appendNumber(page_, rounded, 1);
            pen -= rounded;
        }
        if (!inString)
            page_ += '<';
        inString = true;
        appendHex(page_, code.code, code.digits);
        pen += code.width;
    }
    if (inString)
        page_ += '>';
    page_ += "]TJ\n";
}

void PdfDocument::drawLine(QPointF from, QPointF to, double width) {
    if (!pageOpen_)
        return;
    endText();
    if (width != lineWidth_) {
        appendNumber(page_, width, 3);
        // Square ends that reach half the width beyond each end point, as the painter draws them.
        page_ += " w 2 J\n";
        lineWidth_ = width;
    }
    appendNumber(page_, from.x(), 3);
    page_ += ' ';
    appendNumber(page_, height_ - from.y(), 3);
    page_ += " m ";
    appendNumber(page_, to.x(), 3);
    page_ += ' ';
    appendNumber(page_, height_ - to.y(), 3);
    page_ += " l S\n";
}

Status PdfDocument::finish() {
    endPage();
    std::string fonts;
    for (const auto& face : faces_) {
        for (const auto& [font, object] : face->write(*this)) {
            fonts += ' ';
            appendFontName(fonts, font);
            fonts += ' ' + std::to_string(object) + " 0 R";
        }
    }
    beginObject(kResources);
    write("<< /Font <<" + fonts + " >> /ProcSet [/PDF /Text] >>\n");
    endObject();
    beginObject(kPageTree);
    std::string kids;
    for (const int page : pages_)
        kids += std::to_string(page) + " 0 R ";
    write("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages_.size()) + " >>\n");
    endObject();
    beginObject(kInfo);
    write("<< /Creator (Velmora) /Producer (Velmora) >>\n");
    endObject();

    const std::uint64_t index = written_;
    std::string table = "xref\n0 " + std::to_string(offsets_.size()) + "\n0000000000 65535 f \n";
    char entry[24];
    for (std::size_t object = 1; object < offsets_.size(); ++object) {
        std::snprintf(entry, sizeof entry, "%010llu 00000 n \n",
                      static_cast<unsigned long long>(offsets_[object]));
        table += entry;
    }
    write(table);
    write("trailer\n<< /Size " + std::to_string(offsets_.size()) +
          " /Root 1 0 R /Info 4 0 R >>\nstartxref\n" + std::to_string(index) + "\n%%EOF\n");
    if (failed_)
        return Status::failure(failure_.empty() ? std::string("not every part of it could be written")
                                                : failure_);
    return {};
}

} // namespace velmora::print
