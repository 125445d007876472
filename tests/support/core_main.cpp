#include "print/FontRegistry.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

// The core needs a QGuiApplication for font metrics and PDF output; it runs on the offscreen platform.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    velmora::print::registerBundledFonts();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
