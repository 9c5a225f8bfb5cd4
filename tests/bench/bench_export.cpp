// Image export of one dense page: drawn into a 7000-pixel-wide bitmap and
// written as BMP, and at 3000 pixels written as JPEG, each through the export
// run (names, drawing, the file written through the safe replacement of
// files). Beside them the PDF file of the same page: drawn straight into the
// PDF (vectors and text), and, for comparison, the bitmap road that prints a
// 7000-pixel page picture into the PDF.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>

#include "output/modTQImageExport.h"
#include "output/modTQPrint.h"
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

// The PDF file of the page by the bitmap road: the page drawn into a bitmap
// of the given width and printed into the PDF.
void PdfByBitmap(benchmark::State& state, int width) {
    TViewFixture fx(kDenseCols, kDenseRows, 1);
    BuildDensePage(fx);
    SetDenseZoom(fx, 1.0);
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tq_bench_export";
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "bitmap.pdf").string();
    TPrintOptions options;
    options.AllPages = false;
    options.InColor = true;
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(file));
        printer.setFullPage(true);
        printer.setPageLayout(QPageLayout(QPageSize(QSizeF(fx.view.PaperWidth, fx.view.PaperHeight), QPageSize::Inch),
                                          QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        TQPrinterSink sink(printer);
        if (!PrintPagesByBitmap(fx.view, sink, options, width))
            state.SkipWithError("print failed");
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
    std::filesystem::remove_all(dir);
}

void ExportPdf(benchmark::State& state) { ExportDensePage(state, "page.pdf", 3000, true); }
void PdfByBitmap7000(benchmark::State& state) { PdfByBitmap(state, 7000); }

void ExportBmp7000(benchmark::State& state) { ExportDensePage(state, "page.bmp", 7000, true); }
void ExportBmp7000BlackAndWhite(benchmark::State& state) { ExportDensePage(state, "page_bw.bmp", 7000, false); }
void ExportJpeg3000(benchmark::State& state) { ExportDensePage(state, "page.jpg", 3000, true); }

} // namespace

BENCHMARK(ExportBmp7000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ExportBmp7000BlackAndWhite)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ExportJpeg3000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ExportPdf)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(PdfByBitmap7000)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
