#include "print/TrueTypeSubset.h"

#include <algorithm>
#include <utility>

namespace velmora::print {

namespace {

// Big-endian reads that give 0 past the end of the data, so a damaged table can never be read
// beyond; the figures read are checked where they matter.
std::uint32_t u16At(const QByteArray& data, qsizetype at) {
    if (at < 0 || at + 2 > data.size())
        return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData()) + at;
    return static_cast<std::uint32_t>(p[0] << 8 | p[1]);
}

int i16At(const QByteArray& data, qsizetype at) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(u16At(data, at)));
}

std::uint32_t u32At(const QByteArray& data, qsizetype at) {
    return u16At(data, at) << 16 | u16At(data, at + 2);
}

void putU16(QByteArray& data, std::uint32_t value) {
    data.append(static_cast<char>(value >> 8 & 0xFF));
    data.append(static_cast<char>(value & 0xFF));
}

void putU32(QByteArray& data, std::uint32_t value) {
    putU16(data, value >> 16);
    putU16(data, value & 0xFFFF);
}

void setU32At(QByteArray& data, qsizetype at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        data[at + i] = static_cast<char>(value >> (24 - 8 * i) & 0xFF);
}

// The sum of a table's big-endian 32-bit words, the last one padded with zeros.
std::uint32_t checksum(const QByteArray& data) {
    std::uint32_t sum = 0;
    for (qsizetype at = 0; at < data.size(); at += 4) {
        std::uint32_t word = 0;
        for (qsizetype k = 0; k < 4; ++k)
            word = word << 8 | (at + k < data.size() ? static_cast<unsigned char>(data[at + k]) : 0u);
        sum += word;
    }
    return sum;
}

// Letters, digits and the few marks a PDF name takes without escapes.
std::string nameSafe(const std::string& text) {
    std::string safe;
    for (const char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
            c == '_' || c == '.' || c == '+')
            safe += c;
    }
    return safe;
}

// Name 6 (the PostScript name) of a naming table, from a Windows Unicode or a Macintosh record.
std::string postScriptNameOf(const QByteArray& name) {
    const std::uint32_t count = u16At(name, 2);
    const std::uint32_t strings = u16At(name, 4);
    for (std::uint32_t i = 0; i < count; ++i) {
        const qsizetype record = 6 + 12 * static_cast<qsizetype>(i);
        const std::uint32_t platform = u16At(name, record);
        if (u16At(name, record + 6) != 6 || (platform != 1 && platform != 3))
            continue;
        const qsizetype length = u16At(name, record + 8);
        const qsizetype at = strings + u16At(name, record + 10);
        if (at + length > name.size())
            continue;
        std::string text;
        const int step = platform == 3 ? 2 : 1; // UTF-16 big-endian, or single bytes
        for (qsizetype k = step - 1; k < length; k += step)
            text += name[at + k];
        if (!(text = nameSafe(text)).empty())
            return text;
    }
    return {};
}

// The glyphs a composite glyph is built from.
template <class Add>
void forEachComponent(const QByteArray& glyf, std::uint32_t begin, std::uint32_t end, Add add) {
    constexpr std::uint32_t kWords = 0x0001, kScale = 0x0008, kMore = 0x0020, kXYScale = 0x0040,
                            kTwoByTwo = 0x0080;
    if (end - begin < 10 || i16At(glyf, begin) >= 0)
        return;
    qsizetype at = begin + 10;
    for (std::uint32_t flags = kMore; flags & kMore && at + 4 <= static_cast<qsizetype>(end);) {
        flags = u16At(glyf, at);
        add(u16At(glyf, at + 2));
        at += 4 + (flags & kWords ? 4 : 2);
        at += flags & kScale ? 2 : flags & kXYScale ? 4 : flags & kTwoByTwo ? 8 : 0;
    }
}

} // namespace

std::optional<TrueTypeFace> TrueTypeFace::read(const QRawFont& font) {
    TrueTypeFace face;
    face.head_ = font.fontTable("head");
    face.hhea_ = font.fontTable("hhea");
    face.maxp_ = font.fontTable("maxp");
    face.hmtx_ = font.fontTable("hmtx");
    face.loca_ = font.fontTable("loca");
    face.glyf_ = font.fontTable("glyf");
    if (face.head_.size() < 54 || face.hhea_.size() < 36 || face.maxp_.size() < 6 || face.glyf_.isEmpty() ||
        face.loca_.isEmpty() || face.hmtx_.isEmpty())
        return std::nullopt;
    face.cvt_ = font.fontTable("cvt ");
    face.fpgm_ = font.fontTable("fpgm");
    face.prep_ = font.fontTable("prep");

    face.unitsPerEm_ = static_cast<int>(u16At(face.head_, 18));
    face.glyphCount_ = static_cast<int>(u16At(face.maxp_, 4));
    face.metricsCount_ = static_cast<int>(u16At(face.hhea_, 34));
    face.longOffsets_ = i16At(face.head_, 50) == 1;
    const qsizetype locaNeeded = static_cast<qsizetype>(face.glyphCount_ + 1) * (face.longOffsets_ ? 4 : 2);
    if (face.unitsPerEm_ < 16 || face.glyphCount_ < 1 || face.metricsCount_ < 1 ||
        face.metricsCount_ > face.glyphCount_ || face.loca_.size() < locaNeeded ||
        face.hmtx_.size() < 4 * static_cast<qsizetype>(face.metricsCount_))
        return std::nullopt;

    face.box_ = {i16At(face.head_, 36), i16At(face.head_, 38), i16At(face.head_, 40), i16At(face.head_, 42)};
    face.ascent_ = i16At(face.hhea_, 4);
    face.descent_ = i16At(face.hhea_, 6);
    const QByteArray os2 = font.fontTable("OS/2");
    face.capHeight_ = u16At(os2, 0) >= 2 && os2.size() >= 90 ? i16At(os2, 88) : face.ascent_;
    const QByteArray post = font.fontTable("post");
    face.italicAngle_ = static_cast<std::int32_t>(u32At(post, 4)) / 65536.0;
    face.postScriptName_ = postScriptNameOf(font.fontTable("name"));
    if (face.postScriptName_.empty())
        face.postScriptName_ = nameSafe((font.familyName() + u'-' + font.styleName()).toStdString());
    return face;
}

int TrueTypeFace::advance(std::uint32_t glyph) const {
    if (glyph >= static_cast<std::uint32_t>(glyphCount_))
        return 0;
    const auto entry = std::min<std::uint32_t>(glyph, static_cast<std::uint32_t>(metricsCount_ - 1));
    return static_cast<int>(u16At(hmtx_, 4 * static_cast<qsizetype>(entry)));
}

std::pair<std::uint32_t, std::uint32_t> TrueTypeFace::outline(std::uint32_t glyph) const {
    const auto offset = [this](std::uint32_t index) {
        return longOffsets_ ? u32At(loca_, 4 * static_cast<qsizetype>(index))
                            : 2 * u16At(loca_, 2 * static_cast<qsizetype>(index));
    };
    const auto size = static_cast<std::uint32_t>(glyf_.size());
    const std::uint32_t begin = std::min(offset(glyph), size);
    return {begin, std::clamp(offset(glyph + 1), begin, size)};
}

QByteArray TrueTypeFace::subset(const std::vector<bool>& used) const {
    const auto count = static_cast<std::uint32_t>(glyphCount_);
    // The glyphs asked for, glyph 0, and every glyph a kept composite is built from.
    std::vector<bool> keep(count, false);
    std::vector<std::uint32_t> pending{0};
    for (std::uint32_t glyph = 0; glyph < std::min<std::size_t>(used.size(), count); ++glyph) {
        if (used[glyph])
            pending.push_back(glyph);
    }
    while (!pending.empty()) {
        const std::uint32_t glyph = pending.back();
        pending.pop_back();
        if (glyph >= count || keep[glyph])
            continue;
        keep[glyph] = true;
        const auto [begin, end] = outline(glyph);
        forEachComponent(glyf_, begin, end, [&](std::uint32_t part) { pending.push_back(part); });
    }

    QByteArray glyf;
    QByteArray loca;
    for (std::uint32_t glyph = 0; glyph < count; ++glyph) {
        putU32(loca, static_cast<std::uint32_t>(glyf.size()));
        if (!keep[glyph])
            continue;
        const auto [begin, end] = outline(glyph);
        glyf.append(glyf_.constData() + begin, end - begin);
        while (glyf.size() % 4 != 0)
            glyf.append('\0');
    }
    putU32(loca, static_cast<std::uint32_t>(glyf.size()));
    QByteArray head = head_;
    setU32At(head, 8, 0); // the whole file's checksum adjustment, set below
    head[50] = 0;
    head[51] = 1; // long offsets in loca

    // The tables in the order of their tags, as the directory lists them.
    std::vector<std::pair<const char*, QByteArray>> tables{{"cvt ", cvt_}, {"fpgm", fpgm_}, {"glyf", glyf},
                                                           {"head", head}, {"hhea", hhea_}, {"hmtx", hmtx_},
                                                           {"loca", loca}, {"maxp", maxp_}, {"prep", prep_}};
    std::erase_if(tables, [](const auto& table) { return table.second.isEmpty(); });
    const auto tableCount = static_cast<std::uint32_t>(tables.size());
    std::uint32_t power = 1;
    std::uint32_t log2 = 0;
    while (power * 2 <= tableCount) {
        power *= 2;
        ++log2;
    }
    QByteArray file;
    putU32(file, 0x00010000);
    putU16(file, tableCount);
    putU16(file, power * 16);
    putU16(file, log2);
    putU16(file, (tableCount - power) * 16);
    auto offset = static_cast<std::uint32_t>(12 + 16 * tableCount);
    qsizetype headAt = 0;
    for (const auto& [tag, data] : tables) {
        file.append(tag, 4);
        putU32(file, checksum(data));
        putU32(file, offset);
        putU32(file, static_cast<std::uint32_t>(data.size()));
        if (std::string_view(tag) == "head")
            headAt = offset;
        offset += static_cast<std::uint32_t>((data.size() + 3) / 4 * 4);
    }
    for (const auto& table : tables) {
        file.append(table.second);
        while (file.size() % 4 != 0)
            file.append('\0');
    }
    setU32At(file, headAt + 8, 0xB1B0AFBAu - checksum(file));
    return file;
}

} // namespace velmora::print
