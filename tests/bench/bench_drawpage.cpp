// Drawing a dense 60 x 40 page (both layers, grid, highlights, selection) at
// zoom 1 and 2, on an image and on the recording canvas, beside the floor of
// filling an image of the page's size; and the Western sample page (grand
// staves, beams, chords, small notes) on an image.
//
// Goals (tests/bench/check_benchmarks.py reads these lines):
// goal: DrawOnImage/1 <= 3 ms
// goal: DrawOnImage/2 <= 8 ms
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <cstdlib>
#include <memory>

#include "platform/gui/TQQtCanvas.h"
#include "tests/render/TQDensePage.h"
#include "platform/gui/TQGlyphMap.h"
#include "tests/support/TQTestSupport.h"
#include "tests/render/TQWestPage.h"

namespace {

// The floor: one fill of an image the size of the page.
void Floor_FillImage(benchmark::State& state) {
    const double zoom = static_cast<double>(state.range(0));
    TViewFixture fx(kDenseCols, kDenseRows, 1);
    BuildDensePage(fx);
    SetDenseZoom(fx, zoom);
    QImage image(fx.view.PaintBoxWidth, fx.view.PaintBoxHeight, QImage::Format_RGB32);
    unsigned colour = 0xFFFFFF;
    for (auto _ : state) {
        image.fill(colour);
        colour ^= 1u; // a different fill each time
        benchmark::DoNotOptimize(image.constBits());
    }
}

void DrawOnImage(benchmark::State& state) {
    const double zoom = static_cast<double>(state.range(0));
    TViewFixture fx(kDenseCols, kDenseRows, 1);
    BuildDensePage(fx);
    SetDenseZoom(fx, zoom);
    QImage image(fx.view.PaintBoxWidth, fx.view.PaintBoxHeight, QImage::Format_RGB32);
    TQtCanvas canvas(&image);
    fx.view.PaintBoxCanvas = &canvas;
    fx.view.OutCanvas = &canvas;
    for (auto _ : state) {
        fx.view.RedrawPage();
        canvas.End();
    }
    fx.view.OutCanvas = nullptr;
    fx.view.PaintBoxCanvas = nullptr;
}

void DrawOnRecordingCanvas(benchmark::State& state) {
    const double zoom = static_cast<double>(state.range(0));
    TViewFixture fx(kDenseCols, kDenseRows, 1);
    BuildDensePage(fx);
    SetDenseZoom(fx, zoom);
    fx.canvas.SetSize({fx.view.PaintBoxWidth, fx.view.PaintBoxHeight});
    size_t calls = 0;
    for (auto _ : state) {
        fx.canvas.Clear();
        // straight onto the canvas: the work bitmap would hide the calls
        fx.view.DrawEngine.DrawPage(0, 0, fx.view.Cols, fx.view.Rows, false, true);
        calls = fx.canvas.size();
    }
    state.counters["calls"] = static_cast<double>(calls);
}

void DrawWesternPageOnImage(benchmark::State& state) {
    const double zoom = static_cast<double>(state.range(0));
    LoadProgramFonts(tqtest::ProgramFolder().string() + "/");
    TViewFixture fx(kWestCols, kWestRows);
    BuildWestPage(fx);
    SetWestZoom(fx, zoom);
    QImage image(fx.view.PaintBoxWidth, fx.view.PaintBoxHeight, QImage::Format_RGB32);
    TQtCanvas canvas(&image);
    fx.view.PaintBoxCanvas = &canvas;
    fx.view.OutCanvas = &canvas;
    for (auto _ : state) {
        fx.view.RedrawPage();
        canvas.End();
    }
    fx.view.OutCanvas = nullptr;
    fx.view.PaintBoxCanvas = nullptr;
}

} // namespace

BENCHMARK(Floor_FillImage)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(DrawWesternPageOnImage)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(DrawOnImage)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(DrawOnRecordingCanvas)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
