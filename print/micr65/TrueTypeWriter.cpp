#include "TrueTypeWriter.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <map>
#include <stdexcept>

namespace velmora::print::micr65 {
namespace {

// Big-endian byte buffer, as every sfnt structure is.
class Bytes {
public:
    void u8(unsigned v) { data_.push_back(static_cast<unsigned char>(v & 0xFFu)); }
    void u16(unsigned v) {
        u8(v >> 8);
        u8(v);
    }
    void i16(int v) {
        if (v < SHRT_MIN || v > SHRT_MAX)
            throw std::invalid_argument("font value out of 16-bit range");
        u16(static_cast<unsigned>(v) & 0xFFFFu);
    }
    void u32(std::uint32_t v) {
        u16(v >> 16);
        u16(v & 0xFFFFu);
    }
    void i64(std::int64_t v) {
        const auto u = static_cast<std::uint64_t>(v);
        u32(static_cast<std::uint32_t>(u >> 32));
        u32(static_cast<std::uint32_t>(u & 0xFFFFFFFFu));
    }
    void tag(const std::string& t) {
        if (t.size() != 4)
            throw std::invalid_argument("a tag has four characters");
        for (char c : t)
            u8(static_cast<unsigned char>(c));
    }
    // searchRange, entrySelector and rangeShift for `count` sorted entries of `entrySize` bytes.
    void binarySearchHints(unsigned count, unsigned entrySize) {
        unsigned power = 1, log2 = 0;
        while (power * 2 <= count) {
            power *= 2;
            ++log2;
        }
        u16(power * entrySize);
        u16(log2);
        u16((count - power) * entrySize);
    }
    void append(const std::vector<unsigned char>& more) {
        data_.insert(data_.end(), more.begin(), more.end());
    }
    void padTo4() {
        while (data_.size() % 4 != 0)
            u8(0);
    }
    void putU32At(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            data_[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(v >> (24 - 8 * i));
    }
    std::size_t size() const { return data_.size(); }
    const std::vector<unsigned char>& data() const { return data_; }

private:
    std::vector<unsigned char> data_;
};

std::uint32_t checksum(const std::vector<unsigned char>& data) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < data.size(); i += 4) {
        std::uint32_t word = 0;
        for (std::size_t k = 0; k < 4; ++k)
            word = (word << 8) | (i + k < data.size() ? data[i + k] : 0u);
        sum += word;
    }
    return sum;
}

struct Box {
    int xMin = 0;
    int yMin = 0;
    int xMax = 0;
    int yMax = 0;
};

Box boxOf(const FontGlyph& glyph) {
    Box box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (const FontContour& contour : glyph.contours)
        for (FontPoint p : contour) {
            box.xMin = std::min(box.xMin, p.x);
            box.yMin = std::min(box.yMin, p.y);
            box.xMax = std::max(box.xMax, p.x);
            box.yMax = std::max(box.yMax, p.y);
        }
    if (glyph.contours.empty())
        return {};
    return box;
}

// One simple glyph: header, contour ends, no instructions, flags and packed coordinate deltas.
std::vector<unsigned char> glyfEntry(const FontGlyph& glyph, const Box& box) {
    Bytes out;
    if (glyph.contours.empty())
        return {};
    out.i16(static_cast<int>(glyph.contours.size()));
    out.i16(box.xMin);
    out.i16(box.yMin);
    out.i16(box.xMax);
    out.i16(box.yMax);
    int last = -1;
    for (const FontContour& contour : glyph.contours) {
        if (contour.size() < 3)
            throw std::invalid_argument("a contour needs three points");
        last += static_cast<int>(contour.size());
        out.u16(static_cast<unsigned>(last));
    }
    out.u16(0); // instruction length

    constexpr unsigned onCurve = 0x01, xShort = 0x02, yShort = 0x04, xSameOrPositive = 0x10,
                       ySameOrPositive = 0x20;
    Bytes flags, xs, ys;
    FontPoint previous;
    for (const FontContour& contour : glyph.contours)
        for (FontPoint p : contour) {
            unsigned flag = p.onCurve ? onCurve : 0u;
            const int dx = p.x - previous.x;
            const int dy = p.y - previous.y;
            if (dx == 0)
                flag |= xSameOrPositive;
            else if (dx > -256 && dx < 256) {
                flag |= xShort | (dx > 0 ? xSameOrPositive : 0u);
                xs.u8(static_cast<unsigned>(dx > 0 ? dx : -dx));
            } else
                xs.i16(dx);
            if (dy == 0)
                flag |= ySameOrPositive;
            else if (dy > -256 && dy < 256) {
                flag |= yShort | (dy > 0 ? ySameOrPositive : 0u);
                ys.u8(static_cast<unsigned>(dy > 0 ? dy : -dy));
            } else
                ys.i16(dy);
            flags.u8(flag);
            previous = p;
        }
    out.append(flags.data());
    out.append(xs.data());
    out.append(ys.data());
    out.padTo4();
    return out.data();
}

// Format 4 (segment mapping to delta values) under the Windows Unicode BMP encoding.
std::vector<unsigned char> cmapTable(std::vector<CharMapping> chars) {
    std::sort(chars.begin(), chars.end(), [](CharMapping a, CharMapping b) { return a.code < b.code; });
    struct Segment {
        unsigned start, end;
        int delta;
    };
    std::vector<Segment> segments;
    for (CharMapping m : chars) {
        if (m.code == 0xFFFF)
            throw std::invalid_argument("U+FFFF cannot be mapped");
        const int delta = static_cast<int>(m.glyph) - static_cast<int>(m.code);
        if (!segments.empty() && segments.back().end + 1 == m.code && segments.back().delta == delta)
            segments.back().end = m.code;
        else if (!segments.empty() && segments.back().end >= m.code)
            throw std::invalid_argument("a character is mapped twice");
        else
            segments.push_back({m.code, m.code, delta});
    }
    segments.push_back({0xFFFF, 0xFFFF, 1});

    const auto segCount = static_cast<unsigned>(segments.size());
    Bytes sub;
    sub.u16(4);
    sub.u16(16 + 8 * segCount); // length
    sub.u16(0);                 // language
    sub.u16(segCount * 2);
    sub.binarySearchHints(segCount, 2);
    for (const Segment& s : segments)
        sub.u16(s.end);
    sub.u16(0); // reserved pad
    for (const Segment& s : segments)
        sub.u16(s.start);
    for (const Segment& s : segments)
        sub.u16(static_cast<unsigned>(s.delta) & 0xFFFFu); // modulo 65536
    for (std::size_t i = 0; i < segments.size(); ++i)
        sub.u16(0); // idRangeOffset: glyphs come from the delta

    Bytes table;
    table.u16(0); // version
    table.u16(2); // encoding records: Unicode BMP and Windows Unicode BMP share the subtable
    table.u16(0);
    table.u16(3);
    table.u32(20);
    table.u16(3);
    table.u16(1);
    table.u32(20);
    table.append(sub.data());
    return table.data();
}

std::vector<unsigned char> nameTable(const FontNames& names) {
    const std::array<const std::string*, 7> strings{&names.copyright,     &names.family,   &names.subfamily,
                                                    &names.uniqueId,      &names.fullName, &names.version,
                                                    &names.postScriptName};
    for (const std::string* s : strings)
        for (char c : *s)
            if (static_cast<unsigned char>(c) > 0x7E || static_cast<unsigned char>(c) < 0x20)
                throw std::invalid_argument("font names are printable ASCII");
    // Records sorted by platform, encoding, language, name id: Macintosh Roman first, then Windows
    // Unicode (UTF-16BE) in US English.
    Bytes storage, records;
    unsigned count = 0;
    for (int platform : {1, 3}) {
        for (std::size_t id = 0; id < strings.size(); ++id) {
            const std::string& text = *strings[id];
            const auto offset = static_cast<unsigned>(storage.size());
            for (char c : text) {
                if (platform == 3)
                    storage.u8(0);
                storage.u8(static_cast<unsigned char>(c));
            }
            records.u16(static_cast<unsigned>(platform));
            records.u16(platform == 3 ? 1 : 0);
            records.u16(platform == 3 ? 0x409 : 0);
            records.u16(static_cast<unsigned>(id));
            records.u16(static_cast<unsigned>(storage.size()) - offset);
            records.u16(offset);
            ++count;
        }
    }
    Bytes table;
    table.u16(0);
    table.u16(count);
    table.u16(6 + 12 * count);
    table.append(records.data());
    table.append(storage.data());
    return table.data();
}

// glyf and loca (long offsets) and hmtx, with the figures head, hhea, maxp and OS/2 take from them.
struct GlyphTables {
    Bytes glyf, loca, hmtx;
    Box fontBox{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    int advanceMax = 0, minLsb = INT_MAX, minRsb = INT_MAX, xMaxExtent = INT_MIN;
    unsigned maxPoints = 0, maxContours = 0;
    long long advanceSum = 0;
};

GlyphTables glyphTables(const std::vector<FontGlyph>& glyphs) {
    GlyphTables t;
    for (const FontGlyph& glyph : glyphs) {
        const Box box = boxOf(glyph);
        t.loca.u32(static_cast<std::uint32_t>(t.glyf.size()));
        t.glyf.append(glyfEntry(glyph, box));
        t.hmtx.u16(static_cast<unsigned>(glyph.advance));
        t.hmtx.i16(box.xMin);
        t.advanceMax = std::max(t.advanceMax, glyph.advance);
        t.advanceSum += glyph.advance;
        if (glyph.contours.empty())
            continue;
        t.fontBox = {std::min(t.fontBox.xMin, box.xMin), std::min(t.fontBox.yMin, box.yMin),
                     std::max(t.fontBox.xMax, box.xMax), std::max(t.fontBox.yMax, box.yMax)};
        t.minLsb = std::min(t.minLsb, box.xMin);
        t.minRsb = std::min(t.minRsb, glyph.advance - box.xMax);
        t.xMaxExtent = std::max(t.xMaxExtent, box.xMax);
        unsigned points = 0;
        for (const FontContour& contour : glyph.contours)
            points += static_cast<unsigned>(contour.size());
        t.maxPoints = std::max(t.maxPoints, points);
        t.maxContours = std::max(t.maxContours, static_cast<unsigned>(glyph.contours.size()));
    }
    t.loca.u32(static_cast<std::uint32_t>(t.glyf.size()));
    if (t.fontBox.xMin == INT_MAX)
        throw std::invalid_argument("a font needs at least one glyph with ink");
    return t;
}

std::vector<unsigned char> headTable(const FontDescription& font, const Box& fontBox) {
    Bytes head;
    head.u32(0x00010000);
    head.u16(font.revisionMajor);
    head.u16(font.revisionMinor);
    head.u32(0); // checkSumAdjustment, filled in at the end
    head.u32(0x5F0F3CF5);
    head.u16(0x000B); // baseline at y=0, left side bearing at x=0, integer scaling
    head.u16(static_cast<unsigned>(font.metrics.unitsPerEm));
    head.i64(font.timestamp);
    head.i64(font.timestamp);
    head.i16(fontBox.xMin);
    head.i16(fontBox.yMin);
    head.i16(fontBox.xMax);
    head.i16(fontBox.yMax);
    head.u16(0); // macStyle: regular
    head.u16(8); // lowestRecPPEM
    head.i16(2); // fontDirectionHint
    head.i16(1); // long loca offsets
    head.i16(0);
    return head.data();
}

std::vector<unsigned char> hheaTable(const DesignMetrics& m, const GlyphTables& t, unsigned numGlyphs) {
    Bytes hhea;
    hhea.u32(0x00010000);
    hhea.i16(m.ascender);
    hhea.i16(-m.descender);
    hhea.i16(m.lineGap);
    hhea.u16(static_cast<unsigned>(t.advanceMax));
    hhea.i16(t.minLsb);
    hhea.i16(t.minRsb);
    hhea.i16(t.xMaxExtent);
    hhea.i16(1); // caret slope: upright
    hhea.i16(0);
    hhea.i16(0);
    for (int i = 0; i < 4; ++i)
        hhea.i16(0);
    hhea.i16(0); // metricDataFormat
    hhea.u16(numGlyphs);
    return hhea.data();
}

std::vector<unsigned char> maxpTable(const GlyphTables& t, unsigned numGlyphs) {
    Bytes maxp;
    maxp.u32(0x00010000);
    maxp.u16(numGlyphs);
    maxp.u16(t.maxPoints);
    maxp.u16(t.maxContours);
    maxp.u16(0); // composite points
    maxp.u16(0); // composite contours
    maxp.u16(2); // zones
    for (int i = 0; i < 8; ++i)
        maxp.u16(0); // no hinting: no twilight points, storage, functions or stack
    return maxp.data();
}

std::vector<unsigned char> os2Table(const FontDescription& font, const GlyphTables& t, unsigned numGlyphs) {
    const DesignMetrics& m = font.metrics;
    unsigned firstChar = 0xFFFF, lastChar = 0;
    for (CharMapping c : font.characters) {
        firstChar = std::min<unsigned>(firstChar, c.code);
        lastChar = std::max<unsigned>(lastChar, c.code);
    }
    Bytes os2;
    os2.u16(4);
    os2.i16(static_cast<int>(t.advanceSum / numGlyphs));
    os2.u16(400); // weight: regular
    os2.u16(5);   // width: medium
    os2.u16(0);   // fsType 0: installable embedding, so PDF writers embed the face
    const int em = m.unitsPerEm;
    for (int v : {em * 65 / 100, em * 60 / 100, 0, em * 7 / 100,  // subscript
                  em * 65 / 100, em * 60 / 100, 0, em * 35 / 100, // superscript
                  em * 5 / 100, em * 30 / 100})                   // strikeout size, position
        os2.i16(v);
    os2.i16(0); // family class: none
    // PANOSE: Latin text, book weight, monospaced when the description says so.
    for (unsigned v : {2u, 0u, 5u, 0u, m.monospaced ? 9u : 0u, 0u, 0u, 0u, 0u, 0u})
        os2.u8(v);
    os2.u32(1); // Unicode range: Basic Latin
    os2.u32(0);
    os2.u32(0);
    os2.u32(0);
    os2.tag(font.vendorId);
    os2.u16(0x00C0); // REGULAR | USE_TYPO_METRICS
    os2.u16(firstChar);
    os2.u16(lastChar);
    os2.i16(m.ascender);
    os2.i16(-m.descender);
    os2.i16(m.lineGap);
    os2.u16(static_cast<unsigned>(m.ascender)); // Windows ascent and descent add up to the em
    os2.u16(static_cast<unsigned>(m.descender));
    os2.u32(1); // code pages: Latin 1
    os2.u32(0);
    os2.i16(m.xHeight);
    os2.i16(m.capHeight);
    os2.u16(0);    // default char: .notdef
    os2.u16(0x20); // break char: space
    os2.u16(1);    // max context
    return os2.data();
}

std::vector<unsigned char> postTable(const DesignMetrics& m) {
    const int em = m.unitsPerEm;
    Bytes post;
    post.u32(0x00030000); // no glyph names
    post.u32(0);          // italic angle
    post.i16(-em / 10);   // underline position
    post.i16(em / 20);    // underline thickness
    post.u32(m.monospaced ? 1 : 0);
    for (int i = 0; i < 4; ++i)
        post.u32(0);
    return post.data();
}

// The font file: the table directory, then the tables, each padded to four bytes, and the checksum
// adjustment of the whole file written into head.
std::vector<unsigned char> fontFile(const std::map<std::string, std::vector<unsigned char>>& tables) {
    const auto numTables = static_cast<unsigned>(tables.size());
    Bytes file;
    file.u32(0x00010000);
    file.u16(numTables);
    file.binarySearchHints(numTables, 16);
    std::size_t offset = 12 + 16 * tables.size();
    std::size_t headOffset = 0;
    for (const auto& [tag, data] : tables) {
        file.tag(tag);
        file.u32(checksum(data));
        file.u32(static_cast<std::uint32_t>(offset));
        file.u32(static_cast<std::uint32_t>(data.size()));
        if (tag == "head")
            headOffset = offset;
        offset += (data.size() + 3) / 4 * 4;
    }
    for (const auto& entry : tables) {
        file.append(entry.second);
        file.padTo4();
    }
    file.putU32At(headOffset + 8, 0xB1B0AFBAu - checksum(file.data()));
    return file.data();
}

} // namespace

std::vector<unsigned char> writeTrueType(const FontDescription& font) {
    if (font.glyphs.empty())
        throw std::invalid_argument("a font needs a .notdef glyph");
    if (font.vendorId.size() != 4)
        throw std::invalid_argument("the vendor id has four characters");
    const auto numGlyphs = static_cast<unsigned>(font.glyphs.size());
    for (CharMapping c : font.characters)
        if (c.glyph >= numGlyphs)
            throw std::invalid_argument("a character maps to a missing glyph");

    const GlyphTables glyphs = glyphTables(font.glyphs);
    // Tables in tag order, as the directory wants them.
    return fontFile({{"OS/2", os2Table(font, glyphs, numGlyphs)},
                     {"cmap", cmapTable(font.characters)},
                     {"glyf", glyphs.glyf.data()},
                     {"head", headTable(font, glyphs.fontBox)},
                     {"hhea", hheaTable(font.metrics, glyphs, numGlyphs)},
                     {"hmtx", glyphs.hmtx.data()},
                     {"loca", glyphs.loca.data()},
                     {"maxp", maxpTable(glyphs, numGlyphs)},
                     {"name", nameTable(font.names)},
                     {"post", postTable(font.metrics)}});
}

} // namespace velmora::print::micr65
