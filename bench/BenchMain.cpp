// The main of every benchmark program: the core needs a QGuiApplication (font metrics, PDF output)
// on the offscreen platform, with the program's own fonts registered as at start-up.
#include "print/FontRegistry.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    velmora::print::registerBundledFonts();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
