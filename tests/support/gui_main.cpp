#include "print/FontRegistry.h"

#include <QApplication>
#include <gtest/gtest.h>

// The screens are tested on the offscreen platform: real widgets, no display.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    velmora::print::registerBundledFonts();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
