// Inserting and deleting a line near the start of a 200-page score with every
// cell filled: every later line of the score moves by one.
#include <benchmark/benchmark.h>

#include "edit/modTQEd.h"
#include "model/modTQMainScore.h"

namespace {

// 200 pages of the default page (60 x 40) in layer 0 and in layer 1, every cell
// a Jianpu note; every fifth cell carries a mark reaching two lines down.
void FillScore(TMainScore& s) {
    s.CalcPageGrid();
    for (int layer = 0; layer < 2; ++layer)
        for (int p = 0; p < 200; ++p)
            s.AllocatePage(layer, p, true, 0, 0);
    s.PageCount = 200;
    for (TLayer& pages : s.PageSets)
        for (TPage& page : pages)
            for (int r = 0; r < s.Rows; ++r)
                for (int c = 0; c < s.Cols; ++c) {
                    TCell& cell = page[r][c];
                    cell.Note = '1' + (r + c) % 7;
                    cell.UL = 1;
                    if (c % 5 == 0) {
                        cell.markType = 1;
                        cell.iEnd = c + 2;
                        cell.jEnd = r + 2 < s.Rows ? r + 2 : r;
                    }
                }
}

class TBenchScore {
public:
    TBenchScore() {
        frmMainTQ = &score;
        CurLayer = 0;
        FillScore(score);
        score.SelCol0 = score.SelCol1 = 0;
        score.SelRow0 = score.SelRow1 = 5;
    }
    ~TBenchScore() { frmMainTQ = nullptr; }
    TMainScore score;
    TEd ed;
};

void BM_InsertLine(benchmark::State& state) {
    TBenchScore b;
    for (auto _ : state) {
        b.ed.InsertLine(0, 5);
        state.PauseTiming();
        b.ed.DeleteLine();
        state.ResumeTiming();
    }
    state.counters["pages"] = double(b.score.PageSets[0].size());
}
BENCHMARK(BM_InsertLine)->Unit(benchmark::kMillisecond);

void BM_DeleteLine(benchmark::State& state) {
    TBenchScore b;
    for (auto _ : state) {
        b.ed.DeleteLine();
        state.PauseTiming();
        b.ed.InsertLine(0, 5);
        state.ResumeTiming();
    }
    state.counters["pages"] = double(b.score.PageSets[0].size());
}
BENCHMARK(BM_DeleteLine)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
