// Image export of one dense page: drawn into a 7000-pixel-wide bitmap and
// written as BMP, and at 3000 pixels written as JPEG, each through the export
// run (names, drawing, the file written beside its target and renamed).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>

#include "output/modTQImageExport.h"
#include "tests/render/TQDensePage.h"
#include "tests/support/TQTestSupport.h"

namespace {

void ExportDensePage(benchmark::State& state, const char* name, int width, bool colour) {
    TViewFixture fx(kDenseCols, kDenseRows, 1);
    BuildDensePage(fx);
    SetDenseZoom(fx, 1.0);
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tq_bench_export";
    std::filesystem::create_directories(dir);
    const std::string file = (dir / name).string();
    TExportOptions options;
    options.Width = width;
    options.InColor = colour;
    options.Range = erCurrentPage;
    for (auto _ : state) {
        std::filesystem::remove(file);
        const auto written = ExportImages(fx.view, file, options);
        if (written.size() != 1)
            state.SkipWithError("export failed");
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
    std::filesystem::remove_all(dir);
}

void ExportBmp7000(benchmark::State& state) { ExportDensePage(state, "page.bmp", 7000, true); }
void ExportBmp7000BlackAndWhite(benchmark::State& state) { ExportDensePage(state, "page_bw.bmp", 7000, false); }
void ExportJpeg3000(benchmark::State& state) { ExportDensePage(state, "page.jpg", 3000, true); }

} // namespace

BENCHMARK(ExportBmp7000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ExportBmp7000BlackAndWhite)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ExportJpeg3000)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
