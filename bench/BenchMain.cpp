// The main of every benchmark program: the core needs a QGuiApplication (font metrics, PDF output),
// the screens a QApplication, on the offscreen platform, with the program's own fonts registered as
// at start-up.
#include "print/FontRegistry.h"
#include "support/TempDir.h"

#include <QApplication>
#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The program remembers the files it found sound in the user's cache; each run keeps its own.
    const velmora::testing::TempDir cache;
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(cache.path().string()));
    QApplication app(argc, argv);
    velmora::print::registerBundledFonts();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
