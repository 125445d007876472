#include "print/FontMetrics.h"

#include "print/FontRegistry.h"

#include <QFont>
#include <QString>
#include <cstring>
#include <functional>

namespace velmora::print {

namespace {
struct FontKey {
    std::string face;
    double points = 0;
    bool bold = false;
    bool italic = false;

    bool operator==(const FontKey&) const = default;
    bool matches(const PrintSurface::FontState& font) const {
        return points == font.points && bold == font.bold && italic == font.italic && face == font.face;
    }
};

struct FontKeyHash {
    std::size_t operator()(const FontKey& key) const {
        std::size_t hash = std::hash<std::string>{}(key.face);
        hash ^= std::hash<double>{}(key.points) + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2);
        return hash ^ (static_cast<std::size_t>(key.bold) << 1) ^ static_cast<std::size_t>(key.italic);
    }
};

// Beyond this many distinct texts of one font the shaped texts are dropped and shaped again when
// used: a run over many records keeps meeting new payees and amounts. A shaped text takes about
// 400 bytes and a check layout uses seven fonts, so this bounds the cache near 6 MB; the texts
// that repeat on every check are shaped again once per 2000 new ones, which costs nothing visible.
constexpr std::size_t maxTextsPerFace = 2000;
} // namespace

struct FontMetrics::Face {
    QRawFont raw;
    double ascentTwips = 0;
    double cellHeightTwips = 0;
    double lineHeightTwips = 0;
    std::string family;
    std::unordered_map<std::string, ShapedText> texts;
    // The text shaped or looked up last: a layout measures a text, then prints it and moves past it,
    // three questions about one text in a row.
    const std::pair<const std::string, ShapedText>* last = nullptr;
};

struct FontMetrics::Cache {
    std::unordered_map<FontKey, Face, FontKeyHash> faces;
    std::vector<QPointF> advances; // room for the advances of the text being shaped
    // The font of the previous call; most calls repeat it.
    const FontKey* lastKey = nullptr;
    Face* lastFace = nullptr;
};

FontMetrics::FontMetrics()
    : cache_(std::make_unique<Cache>()) {}
FontMetrics::~FontMetrics() = default;

FontMetrics::Face& FontMetrics::face(const PrintSurface::FontState& font) const {
    if (cache_->lastKey && cache_->lastKey->matches(font))
        return *cache_->lastFace;
    FontKey key{font.face, font.points, font.bold, font.italic};
    auto found = cache_->faces.find(key);
    if (found == cache_->faces.end()) {
        QFont qfont(QString::fromStdString(font.face));
        qfont.setPointSizeF(font.points);
        qfont.setBold(font.bold);
        qfont.setItalic(font.italic);
        // Unhinted outlines at a fixed resolution: the same advances on every device.
        qfont.setHintingPreference(QFont::PreferNoHinting);
        qfont.setStyleStrategy(QFont::PreferOutline);
        Face entry;
        entry.raw = QRawFont::fromFont(qfont);
        if (!entry.raw.isValid()) {
            // No face at all for this name: print in the default face rather than measure nothing.
            QFont fallback;
            fallback.setBold(font.bold);
            fallback.setItalic(font.italic);
            entry.raw = QRawFont::fromFont(fallback);
        }
        entry.raw.setPixelSize(font.points * referenceDpi / 72.0);
        entry.ascentTwips = entry.raw.ascent() * twipsPerDot;
        entry.cellHeightTwips = (entry.raw.ascent() + entry.raw.descent()) * twipsPerDot;
        entry.lineHeightTwips =
            (entry.raw.ascent() + entry.raw.descent() + entry.raw.leading()) * twipsPerDot;
        entry.family = entry.raw.familyName().toStdString();
        found = cache_->faces.emplace(std::move(key), std::move(entry)).first;
    }
    cache_->lastKey = &found->first;
    cache_->lastFace = &found->second;
    return found->second;
}

const FontMetrics::ShapedText& FontMetrics::shape(const std::string& text,
                                                  const PrintSurface::FontState& font) const {
    Face& entry = face(font);
    if (entry.last && entry.last->first == text)
        return entry.last->second;
    auto found = entry.texts.find(text);
    if (found != entry.texts.end()) {
        entry.last = &*found;
        return found->second;
    }
    if (entry.texts.size() >= maxTextsPerFace) {
        entry.texts.clear();
        entry.last = nullptr;
    }

    const QString characters = QString::fromStdString(text);
    ShapedText shaped;
    shaped.glyphs.resize(static_cast<std::size_t>(characters.size()));
    int count = static_cast<int>(shaped.glyphs.size());
    if (!entry.raw.glyphIndexesForChars(characters.constData(), static_cast<int>(characters.size()),
                                        shaped.glyphs.data(), &count))
        count = 0;
    shaped.glyphs.resize(static_cast<std::size_t>(count));
    std::vector<QPointF>& advances = cache_->advances;
    advances.resize(shaped.glyphs.size());
    if (!entry.raw.advancesForGlyphIndexes(shaped.glyphs.data(), advances.data(), count,
                                           QRawFont::KernedAdvances))
        advances.assign(advances.size(), QPointF());
    shaped.offsets.reserve(advances.size());
    double pen = 0;
    for (const QPointF& advance : advances) {
        shaped.offsets.push_back(pen);
        pen += advance.x();
    }
    shaped.width = pen * twipsPerDot;
    entry.last = &*entry.texts.emplace(text, std::move(shaped)).first;
    return entry.last->second;
}

double FontMetrics::textWidth(const std::string& text, const PrintSurface::FontState& font) const {
    return shape(text, font).width;
}

double FontMetrics::lineHeight(const PrintSurface::FontState& font) const {
    return face(font).lineHeightTwips;
}

double FontMetrics::ascent(const PrintSurface::FontState& font) const {
    return face(font).ascentTwips;
}

double FontMetrics::cellHeight(const PrintSurface::FontState& font) const {
    return face(font).cellHeightTwips;
}

std::string FontMetrics::resolvedFamily(const PrintSurface::FontState& font) const {
    return face(font).family;
}

const QRawFont& FontMetrics::rawFont(const PrintSurface::FontState& font) const {
    return face(font).raw;
}

} // namespace velmora::print
