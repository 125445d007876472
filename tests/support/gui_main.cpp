#include "print/FontRegistry.h"
#include "support/TempDir.h"

#include <QApplication>
#include <gtest/gtest.h>

// The screens are tested on the offscreen platform: real widgets, no display.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The program remembers the files it found sound in the user's cache; each run keeps its own.
    const velmora::testing::TempDir cache;
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(cache.path().string()));
    QApplication app(argc, argv);
    velmora::print::registerBundledFonts();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
