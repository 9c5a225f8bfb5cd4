// Saving and opening a large score: 200 pages with every grid cell filled.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "model/modTQBinFile.h"
#include "model/modTQMainScore.h"
#include "tests/support/TQTestSupport.h"

namespace {

// A 200-page score on the default page, every cell a Jianpu note with an octave
// dot and an underline, every tenth cell a two-note shrunk cell.
void FillScore(TMainScore& s) {
    s.CalcPageGrid();
    for (int p = 0; p < 200; ++p)
        s.AllocatePage(0, p, true, 0, 0);
    s.PageCount = 200;
    for (TPage& page : s.PageSets[0])
        for (int r = 0; r < s.Rows; ++r)
            for (int c = 0; c < s.Cols; ++c) {
                TCell& cell = page[r][c];
                cell.cellType = ctJianpu;
                cell.Note = '1' + (r + c) % 7;
                cell.dot = 1;
                cell.UL = 1;
                if (c % 10 == 0) {
                    cell.Attr = 0xA0;
                    cell.CompressNotes = {{'3', 1, 0, 0, 0, 0}, {'5', 1, 0, 0, 0, 0}};
                }
            }
}

void BM_SaveScore(benchmark::State& state) {
    tqtest::TempDir dir;
    TMainScore s;
    frmMainTQ = &s;
    FillScore(s);
    const std::string path = (dir / "big.mus").string();
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveBinaryScore(path, &s, true));
    state.counters["bytes"] = double(std::filesystem::file_size(path));
    state.counters["cells"] = double(200) * s.Cols * s.Rows;
    frmMainTQ = nullptr;
}
BENCHMARK(BM_SaveScore)->Unit(benchmark::kMillisecond);

void BM_OpenScore(benchmark::State& state) {
    tqtest::TempDir dir;
    const std::string path = (dir / "big.mus").string();
    {
        TMainScore s;
        frmMainTQ = &s;
        FillScore(s);
        SaveBinaryScore(path, &s, true);
    }
    TMainScore t;
    frmMainTQ = &t;
    t.CalcPageGrid();
    t.AllocatePage(0, 0, true, 0, 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadBinaryScore(path, &t, false));
    state.counters["pages"] = double(t.PageSets[0].size());
    frmMainTQ = nullptr;
}
BENCHMARK(BM_OpenScore)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
