#include "print/FontCatalog.h"

#include "print/FontRegistry.h"

#include <QFile>
#include <QFontDatabase>
#include <QXmlStreamReader>
#include <algorithm>
#include <fontconfig/fontconfig.h>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

namespace velmora::print {

namespace {
template <auto Destroy> struct Deleter {
    template <class T> void operator()(T* p) const { Destroy(p); }
};
using PatternPtr = std::unique_ptr<FcPattern, Deleter<FcPatternDestroy>>;

std::string fcString(const FcPattern* pattern, const char* object, int index) {
    FcChar8* value = nullptr;
    if (FcPatternGetString(pattern, object, index, &value) != FcResultMatch || !value)
        return {};
    return reinterpret_cast<const char*>(value);
}

// Every family name of every installed font (a font can carry several).
std::set<std::string> installedFamilies(FcConfig* config) {
    std::set<std::string> families;
    PatternPtr all(FcPatternCreate());
    std::unique_ptr<FcObjectSet, Deleter<FcObjectSetDestroy>> objects(FcObjectSetBuild(FC_FAMILY, nullptr));
    std::unique_ptr<FcFontSet, Deleter<FcFontSetDestroy>> fonts(FcFontList(config, all.get(), objects.get()));
    for (int i = 0; fonts && i < fonts->nfont; ++i) {
        for (int n = 0;; ++n) {
            std::string family = fcString(fonts->fonts[i], FC_FAMILY, n);
            if (family.empty())
                break;
            families.insert(std::move(family));
        }
    }
    return families;
}

// The <alias binding="same"> rules of one configuration file: each aliased name with the families
// it is bound to. fontconfig uses that binding for faces that share their metrics.
void readSameBindings(const QString& path, std::map<std::string, std::set<std::string>>& bindings) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QXmlStreamReader xml(&file);
    bool inAlias = false;
    bool inTargets = false;
    std::vector<std::string> names;
    std::set<std::string> targets;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == u"alias") {
                inAlias = xml.attributes().value(QStringLiteral("binding")) == QStringLiteral("same");
                names.clear();
                targets.clear();
            } else if (inAlias &&
                       (xml.name() == u"prefer" || xml.name() == u"accept" || xml.name() == u"default")) {
                inTargets = true;
            } else if (inAlias && xml.name() == u"family") {
                std::string family = xml.readElementText().trimmed().toStdString();
                if (inTargets)
                    targets.insert(std::move(family));
                else
                    names.push_back(std::move(family));
            }
        } else if (xml.isEndElement()) {
            if (xml.name() == u"prefer" || xml.name() == u"accept" || xml.name() == u"default") {
                inTargets = false;
            } else if (xml.name() == u"alias") {
                if (inAlias) {
                    for (const auto& name : names)
                        bindings[name].insert(targets.begin(), targets.end());
                }
                inAlias = false;
            }
        }
    }
}

// The family fontconfig prints `name` in.
std::string matchedFamily(FcConfig* config, const std::string& name) {
    PatternPtr pattern(FcPatternCreate());
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    FcConfigSubstitute(config, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    PatternPtr match(FcFontMatch(config, pattern.get(), &result));
    return match ? fcString(match.get(), FC_FAMILY, 0) : std::string();
}

// The names fontconfig binds to metric-compatible faces, as far as they can be offered: names that
// are not installed themselves, each with the installed faces it is bound to. Resolving a name costs
// a full font match, so it is done only for the names asked about, once each.
class AliasBindings {
public:
    AliasBindings()
        : config_(FcConfigGetCurrent()) {
        if (!config_)
            return;
        std::map<std::string, std::set<std::string>> bindings;
        std::unique_ptr<FcStrList, Deleter<FcStrListDone>> files(FcConfigGetConfigFiles(config_));
        while (FcChar8* file = files ? FcStrListNext(files.get()) : nullptr)
            readSameBindings(QString::fromUtf8(reinterpret_cast<const char*>(file)), bindings);
        const std::set<std::string> installed = installedFamilies(config_);
        for (auto& [name, targets] : bindings) {
            if (installed.count(name))
                continue;
            std::erase_if(targets, [&](const std::string& target) { return !installed.count(target); });
            if (!targets.empty()) // bound to nothing installed: it can only fall through to others
                names_.emplace(name, Binding{std::move(targets), std::nullopt});
        }
    }

    // The installed face `name` prints in when fontconfig resolves it to one it is bound to.
    std::optional<std::string> resolve(const std::string& name) {
        const std::lock_guard lock(mutex_);
        const auto found = names_.find(name);
        if (found == names_.end())
            return std::nullopt;
        Binding& binding = found->second;
        if (!binding.family) {
            // Generic names ("emoji", "serif") and unknown faces fall through to other faces.
            const std::string family = matchedFamily(config_, name);
            binding.family = binding.targets.count(family) ? family : std::string();
        }
        return binding.family->empty() ? std::nullopt : binding.family;
    }

    std::vector<std::string> names() const {
        std::vector<std::string> all;
        for (const auto& entry : names_)
            all.push_back(entry.first);
        return all;
    }

private:
    struct Binding {
        std::set<std::string> targets;
        std::optional<std::string> family; // once resolved: the face, or empty for none of them
    };
    FcConfig* config_;
    std::map<std::string, Binding> names_;
    std::mutex mutex_;
};

AliasBindings& aliasBindings() {
    static AliasBindings bindings;
    return bindings;
}

// The families Qt offers, by family name alone: Qt tells apart a family that several foundries supply
// as "Family [foundry]".
std::vector<std::string> installedFaceNames() {
    registerBundledFonts();
    std::vector<std::string> faces;
    for (QString family : QFontDatabase::families()) {
        const qsizetype foundry = family.indexOf(QStringLiteral(" ["));
        if (foundry > 0 && family.endsWith(QLatin1Char(']')))
            family.truncate(foundry);
        std::string name = family.toStdString();
        if (std::find(faces.begin(), faces.end(), name) == faces.end())
            faces.push_back(std::move(name));
    }
    return faces;
}
} // namespace

const std::vector<FaceAlias>& metricCompatibleAliases() {
    static const std::vector<FaceAlias> aliases = [] {
        std::vector<FaceAlias> found;
        for (const std::string& name : aliasBindings().names()) {
            if (std::optional<std::string> family = aliasBindings().resolve(name))
                found.push_back({name, std::move(*family)});
        }
        return found;
    }();
    return aliases;
}

std::vector<std::string> offeredFaceNames() {
    std::vector<std::string> faces = installedFaceNames();
    for (const FaceAlias& alias : metricCompatibleAliases()) {
        if (std::find(faces.begin(), faces.end(), alias.name) == faces.end())
            faces.push_back(alias.name);
    }
    return faces;
}

bool isOfferedFaceName(const std::string& face) {
    const std::vector<std::string> installed = installedFaceNames();
    return std::find(installed.begin(), installed.end(), face) != installed.end() ||
           aliasBindings().resolve(face).has_value();
}

} // namespace velmora::print
