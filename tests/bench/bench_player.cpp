// Timing of the player: a generated list of more than three minutes (sixteenths
// to whole notes) played through the recording MIDI stand-in, which stamps every
// note-on with the steady clock, while following the music costs 3 ms per item.
// Reports the mean and largest onset error and the error of the last onset (ms),
// at speed 100 % and 500 %. Run by hand; it plays in real time.
#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <thread>
#include <vector>

#include "platform/core/TQLibrary.h"
#include "play/modTQMIDI.h"
#include "play/modTQPlayState.h"

namespace {

std::vector<double> gOnsets;

double NowMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void Record(const char* name, int, int, int, int) {
    if (std::strcmp(name, "Ext_NoteOn") == 0)
        gOnsets.push_back(NowMs());
}

// Sixteenth to whole notes in a fixed cycle, at least `minutes` long at speed 100 %.
std::vector<TPlayItem> GeneratedList(double minutes) {
    const int lengths[] = {320, 640, 320, 960, 1280, 320, 2560, 640, 5120, 1920};
    std::vector<TPlayItem> list;
    double total = 0;
    for (int i = 0; total < minutes * 60000; ++i) {
        TPlayItem it;
        it.Kind = pkNotes;
        it.Duration = lengths[i % 10];
        it.Notes[0] = {0, static_cast<int8_t>(i % 12), 80, it.Duration, 0, 0, 0};
        it.Col = i % 40;
        it.Row = 2;
        list.push_back(it);
        total += it.Duration * 0.78125;
    }
    return list;
}

void PlayGeneratedList(benchmark::State& state) {
    const std::string folder = ExecutableFolder() + "fake_midi/rec/";
    void* h = dlopen((folder + "TQ_MIDI.so").c_str(), RTLD_NOW);
    if (!h) {
        state.SkipWithError("fake MIDI library not built (bin/fake_midi/rec)");
        return;
    }
    using SetRecorder = void (*)(void (*)(const char*, int, int, int, int));
    reinterpret_cast<SetRecorder>(dlsym(h, "Fake_SetRecorder"))(Record);
    TfrmMIDI midi(folder);
    TPlayState play;
    frmMIDI = &midi;
    frmPlay = &play;
    play.SpeedAdj = static_cast<int>(state.range(0));
    play.SpeedAdjChange();
    PlayerHooks().SelectAndShowCell = [](int, int, int, bool, int) {
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    };
    const auto list = GeneratedList(3.05);
    std::vector<double> expected;
    double at = 0;
    for (const auto& it : list) {
        expected.push_back(at);
        at += midi.ItemWaitMs(it.Duration);
    }
    for (auto _ : state) {
        gOnsets.clear();
        midi.MidiPlayList(list, 0, 1);
    }
    if (gOnsets.size() != list.size()) {
        state.SkipWithError("not every note was sounded");
        return;
    }
    double sum = 0, worst = 0;
    int over1ms = 0;
    for (size_t i = 0; i < gOnsets.size(); ++i) {
        const double err = std::fabs((gOnsets[i] - gOnsets[0]) - expected[i]);
        sum += err;
        worst = std::max(worst, err);
        over1ms += err > 1.0;
    }
    state.counters["over_1ms"] = over1ms;
    state.counters["items"] = static_cast<double>(list.size());
    state.counters["play_s"] = at / 1000.0;
    state.counters["mean_err_ms"] = sum / gOnsets.size();
    state.counters["max_err_ms"] = worst;
    state.counters["last_err_ms"] = std::fabs((gOnsets.back() - gOnsets[0]) - expected.back());
    ResetPlayerHooks();
    frmMIDI = nullptr;
    frmPlay = nullptr;
}
BENCHMARK(PlayGeneratedList)->Arg(100)->Arg(500)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
