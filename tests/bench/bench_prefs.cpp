// The start's read of the preferences from a large TQ.ini: every setting the
// window reads at its start (LoadPreferences), from a file of the program's
// own keys padded with a long [Notes] section to 1.6 MB, and to just under
// the 16 MiB the reader takes.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "lang/modTQPref.h"
#include "tests/support/TQTestSupport.h"

namespace {

void LoadLargeIni(benchmark::State& state, std::size_t bytes) {
    tqtest::TempDir home;
    setenv("TONQUILL_HOME", home.str().c_str(), 1);
    std::string text = "[Pref]\nCellSize=20\nLeftMargin=60\nZoom=1.5\n[Notes]\n";
    for (int n = 0; text.size() < bytes - 64; ++n)
        text += "note" + std::to_string(n) + "=" + std::string(40, 'x') + "\n";
    std::ofstream(PrefFileName(), std::ios::binary) << text;
    // the parts of a window that the start's read fills
    struct {
        TMainScore score;
        TMainSettings settings;
        TViewPrefs view;
        bool chinese = false;
    } window;
    window.settings.SetDefaultFolders(home.str());
    TMainScore& score = window.score;
    TPrefParts parts{score, window.settings, window.view, window.chinese, 1, 0};
    for (auto _ : state) {
        // a new start: the file as another run left it an hour ago
        std::filesystem::last_write_time(PrefFileName(),
                                         std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
        LoadPreferences(parts);
        if (score.CellWidth != 20)
            state.SkipWithError("the settings were not read");
    }
    state.counters["bytes"] = static_cast<double>(text.size());
}

void LoadIni1600K(benchmark::State& state) { LoadLargeIni(state, 1600 * 1000); }
void LoadIni16M(benchmark::State& state) { LoadLargeIni(state, (std::size_t(16) << 20) - 4096); }

} // namespace

BENCHMARK(LoadIni1600K)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(LoadIni16M)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
