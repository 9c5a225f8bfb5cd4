// Standard MIDI Files: importing a 6000-note file of a tempo track and two
// tracks of notes (reading and layout onto a new score; target 0.1 s for the
// first import of a process, a fresh score included), and writing the play list of a
// 200-page score (target 20 ms for list building and writing together; the
// list build is reported apart from the writing).
// goal: BM_FirstImportInProcess/iterations:1 <= 100 ms
// goal: BM_SaveMIDIFileTwoHundredPages <= 20 ms
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "model/modTQMainScore.h"
#include "platform/core/TQMessage.h"
#include "play/Modmidifile.h"
#include "play/modTQMIDIReader.h"
#include "play/modTQPlayList.h"
#include "play/modTQPlayState.h"
#include "tests/support/TQScoreFixture.h"

namespace {

void PutVarLen(std::string& out, uint32_t v) {
    uint8_t b[5];
    int n = 0;
    b[n++] = uint8_t(v & 0x7F);
    while ((v >>= 7) != 0)
        b[n++] = uint8_t((v & 0x7F) | 0x80);
    while (n > 0)
        out.push_back(char(b[--n]));
}

void PutBig(std::string& out, uint32_t v, int n) {
    for (int i = n - 1; i >= 0; --i)
        out.push_back(char((v >> (8 * i)) & 0xFF));
}

std::string Track(const std::string& events) {
    std::string t = "MTrk";
    PutBig(t, uint32_t(events.size() + 4), 4);
    return t + events + std::string("\x00\xFF\x2F\x00", 4);
}

// Format 1: a tempo track and two tracks of 3000 notes each (melody above, bass below).
std::string SixThousandNotes() {
    std::string meta;
    meta += std::string("\x00\xFF\x51\x03\x07\xA1\x20", 7);
    meta += std::string("\x00\xFF\x58\x04\x04\x02\x18\x08", 8);
    std::string upper, lower;
    const int lengths[] = {240, 240, 480, 120, 120, 240, 720, 240};
    for (int i = 0; i < 3000; ++i) {
        const int len = lengths[i % 8];
        const int key = 64 + (i * 7) % 17;
        PutVarLen(upper, 0);
        upper += char(0x90), upper += char(key), upper += char(90);
        PutVarLen(upper, uint32_t(len));
        upper += char(0x80), upper += char(key), upper += char(0);
        const int bass = 36 + (i * 5) % 17;
        PutVarLen(lower, 0);
        lower += char(0x91), lower += char(bass), lower += char(80);
        PutVarLen(lower, uint32_t(len));
        lower += char(0x81), lower += char(bass), lower += char(0);
    }
    std::string file = "MThd";
    PutBig(file, 6, 4);
    PutBig(file, 1, 2);
    PutBig(file, 3, 2);
    PutBig(file, 480, 2);
    return file + Track(meta) + Track(upper) + Track(lower);
}

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / (std::string("tq_bench_midi_") + std::to_string(getpid()) + name))
        .string();
}

// The import as the user meets it the first time: a fresh score of the
// program's page grid and the first import into it, both timed.
void BM_ColdImportSixThousandNotes(benchmark::State& state) {
    const std::string path = TempPath("_cold.mid");
    {
        std::ofstream f(path, std::ios::binary);
        const std::string bytes = SixThousandNotes();
        f.write(bytes.data(), std::streamsize(bytes.size()));
    }
    TMessageRecorder boxes;
    SetMessageBoxes(&boxes);
    CurLayer = 0;
    double pages = 0;
    for (auto _ : state) {
        auto score = std::make_unique<TMainScore>();
        score->Cols = 60;
        score->Rows = 40;
        frmMainTQ = score.get();
        TMIDIReader reader;
        benchmark::DoNotOptimize(reader.ImportMIDIFile(path));
        pages = double(score->PageSets[0].size() + score->PageSets[1].size());
        state.PauseTiming();
        frmMainTQ = nullptr;
        score.reset();
        state.ResumeTiming();
    }
    state.counters["pages"] = pages;
    SetMessageBoxes(nullptr);
    std::filesystem::remove(path);
}
// Registered first: its single iteration is the first import of the process,
// with no page memory touched before; then the same, many times.
BENCHMARK(BM_ColdImportSixThousandNotes)->Name("BM_FirstImportInProcess")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColdImportSixThousandNotes)->Unit(benchmark::kMillisecond);

void BM_ImportSixThousandNotes(benchmark::State& state) {
    const std::string path = TempPath(".mid");
    {
        std::ofstream f(path, std::ios::binary);
        const std::string bytes = SixThousandNotes();
        f.write(bytes.data(), std::streamsize(bytes.size()));
    }
    TMessageRecorder boxes;
    SetMessageBoxes(&boxes);
    TMainScore score;
    score.Cols = 60;
    score.Rows = 40;
    frmMainTQ = &score;
    CurLayer = 0;
    for (auto _ : state) {
        TMIDIReader reader;
        benchmark::DoNotOptimize(reader.ImportMIDIFile(path));
    }
    state.counters["pages"] = double(score.PageSets[0].size());
    frmMainTQ = nullptr;
    SetMessageBoxes(nullptr);
    std::filesystem::remove(path);
}
BENCHMARK(BM_ImportSixThousandNotes)->Unit(benchmark::kMillisecond);


// The play list of a 200-page score: 200 pages of 4 systems of 32 steps, each
// a two-note chord, with a bar time signature on every page.
std::vector<TPlayItem> TwoHundredPages() {
    std::vector<TPlayItem> list;
    for (int page = 0; page < 200; ++page) {
        TPlayItem sig;
        sig.Kind = pkTimeSig;
        sig.Volume = 4;
        sig.Duration = 4;
        list.push_back(sig);
        for (int i = 0; i < 4 * 32; ++i) {
            TPlayItem item;
            item.Kind = pkNotes;
            item.Page = page;
            item.Col = i % 32;
            item.Duration = (i % 4 == 3) ? 1280 : 320;
            item.Volume = 127;
            for (int k = 0; k < 2; ++k) {
                TPNote n;
                n.Octave = int8_t(k - 1);
                n.Pitch = int8_t((i * 5 + k * 4) % 12);
                n.Volume = 100;
                n.Length = item.Duration;
                AppendNote(item, n);
            }
            list.push_back(item);
        }
    }
    return list;
}

void BM_WriteTwoHundredPageList(benchmark::State& state) {
    const std::vector<TPlayItem> list = TwoHundredPages();
    const std::string path = TempPath("_out.mid");
    for (auto _ : state) {
        TWriteMIDIFile out;
        out.Open(path);
        out.WriteHeader(0x00, 0x90);
        out.StartTrack();
        out.EndTrack(WriteMIDITrack(out, list, "Title", "Piano"));
        benchmark::DoNotOptimize(out.Close());
    }
    state.counters["items"] = double(list.size());
    std::filesystem::remove(path);
}
BENCHMARK(BM_WriteTwoHundredPageList)->Unit(benchmark::kMillisecond);

// A 200-page score: four treble staves a page, 15 bars of two quarters each.
void FillTwoHundredPages(TScoreFixture& fx) {
    std::string row = "&G";
    for (int bar = 0; bar < 15; ++bar)
        row += " W:3@" + std::to_string(bar % 7) + " W:3@" + std::to_string((bar + 2) % 7) + " |";
    for (int page = 0; page < 200; ++page)
        for (int r : {2, 8, 14, 20})
            fx.Row(r, row, page);
}

void BM_BuildTwoHundredPageList(benchmark::State& state) {
    TScoreFixture fx(48, 26, 200);
    FillTwoHundredPages(fx);
    TPlayState play;
    frmPlay = &play;
    play.PlayWest = true;
    for (auto _ : state)
        benchmark::DoNotOptimize(play.BuildPlayList(false));
    state.counters["items"] = double(play.PlayList.size());
    frmPlay = nullptr;
}
BENCHMARK(BM_BuildTwoHundredPageList)->Unit(benchmark::kMillisecond);

void BM_SaveMIDIFileTwoHundredPages(benchmark::State& state) {
    TScoreFixture fx(48, 26, 200);
    FillTwoHundredPages(fx);
    TPlayState play;
    frmPlay = &play;
    play.PlayWest = true;
    const std::string path = TempPath("_save.mid");
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveMIDIFile(path));
    state.counters["items"] = double(play.PlayList.size());
    frmPlay = nullptr;
    std::filesystem::remove(path);
}
BENCHMARK(BM_SaveMIDIFileTwoHundredPages)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
