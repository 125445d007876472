#include "print/FontRegistry.h"

#include "print/micr65/Micr65Font.h"

#include <QByteArray>
#include <QFontDatabase>
#include <QString>
#include <QStringList>
#include <mutex>

namespace velmora::print {

bool registerBundledFonts() {
    static std::mutex mutex;
    static bool added = false;
    const std::lock_guard lock(mutex);
    if (!added) {
        const std::span<const unsigned char> font = micr65::micr65FontData();
        const QByteArray bytes(reinterpret_cast<const char*>(font.data()),
                               static_cast<qsizetype>(font.size()));
        added = QFontDatabase::addApplicationFontFromData(bytes) != -1;
    }
    return added && QFontDatabase::families().contains(QStringLiteral("MICR65"));
}

} // namespace velmora::print
