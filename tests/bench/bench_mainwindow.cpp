// Start-up of the main window offscreen: from constructing the window (the
// preferences read, the grid computed, the recent-file list built) to its
// first page painted in the paint box.
// goal: BM_StartToFirstPaintedPage <= 500 ms
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPixmap>

#include <cstdlib>
#include <memory>

#include "app/frmTQMain.h"
#include "lang/modTQLanguage.h"
#include "platform/core/TQFiles.h"
#include "platform/gui/TQGlyphMap.h"
#include "tests/support/TQTestSupport.h"

static void BM_StartToFirstPaintedPage(benchmark::State& state) {
    for (auto _ : state) {
        auto w = std::make_unique<TfrmMainTQ>();
        w->show();
        const QPixmap page = w->pbxMain->grab(); // paints the page
        benchmark::DoNotOptimize(page.cacheKey());
        state.PauseTiming();
        w.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartToFirstPaintedPage)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    auto home = std::make_unique<tqtest::TempDir>();
    setenv("TONQUILL_HOME", home->str().c_str(), 1);
    QApplication app(argc, argv);
    LoadProgramFonts(TQProgramFolder());
    Language->ProbeFonts();
    SetMessageBoxes(nullptr); // the recorder answers the music-font warning
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
