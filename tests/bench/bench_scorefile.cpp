// Saving and opening a large score: 200 pages in each layer with every grid
// cell filled, beside the floors of the disk (one read of the file, one write
// of the same bytes with its fsync) measured in the same run.
//
// bench_scorefile --open-child FILE OUT opens the binary score FILE in this
// fresh process, writes its resident memory after the open and its peak (kB) to
// OUT and exits 0 when it opened; BM_OpenScoreFresh runs it.
//
// Goals (tests/bench/check_benchmarks.py reads these lines):
// goal: BM_SaveScore <= 1.5 x Floor_WriteFsync
// goal: BM_OpenScore <= 20 x Floor_ReadFile/binary
// goal: BM_OpenTextScore <= 15 x Floor_ReadFile/text
// goal: BM_OpenScoreFresh/real_time peak_per_held <= 1.2
// goal: BM_OpenScore <= 150 ms
// goal: BM_OpenScoreFresh/real_time <= 300 ms
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/modTQBinFile.h"
#include "model/modTQFile.h"
#include "model/modTQMainScore.h"
#include "tests/support/TQTestSupport.h"

extern char** environ;

namespace {

constexpr int kPages = 200;

// A score on the default page, both layers with kPages pages, every cell a
// Jianpu note with an octave dot and an underline, every tenth cell a two-note
// shrunk cell.
void FillScore(TMainScore& s) {
    s.CalcPageGrid();
    for (int layer = 0; layer < 2; ++layer)
        for (int p = 0; p < kPages; ++p)
            s.AllocatePage(layer, p, true, 0, 0);
    s.PageCount = kPages;
    for (TLayer& layer : s.PageSets)
        for (TPage& page : layer)
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

// The same score as a text score (the older format, version 4.10).
std::string TextScoreOf(const TMainScore& s) {
    std::string out = "Tonquill Version\r\n4.1\r\n" + std::to_string(kPages) + "\r\n" + s.NoteFontName + "\r\n";
    auto num = [&](long v) { out += std::to_string(v) + "\r\n"; };
    num(s.NoteFontCharset);
    num(s.NoteFontStyle);
    for (int v : {s.CellWidth, s.LeftMargin, s.RightMargin, s.TopMargin, s.BottomMargin, s.PageNumberStart,
                  s.PaperType})
        num(v);
    out += "8.5\r\n11\r\n";
    num(s.PaperOri);
    num(5200);
    for (int i = 0; i < 11; ++i)
        out += "\r\n";
    auto page = [&](const TPage& p) {
        out += "PageStart\r\n";
        for (int r = 0; r < s.Rows; ++r)
            for (int c = 0; c < s.Cols; ++c) {
                const TCell& cell = p[r][c];
                out += "cell\r\n";
                for (long v : {long(c), long(r), long(cell.cellType), long(cell.Note), long(cell.upNote),
                               long(cell.FontColor), long(cell.dot), long(cell.UL), long(cell.iEnd),
                               long(cell.jEnd)})
                    num(v);
                out += "1\r\n0\r\n0\r\n";
                for (long v : {long(cell.markType), long(cell.shrinkRate), long(cell.Attr), long(cell.option),
                               long(cell.CompressNotes.size())})
                    num(v);
                for (const TCompressNote& n : cell.CompressNotes)
                    out += std::to_string(n.code) + " " + std::to_string(n.value) + " " +
                           std::to_string(n.octave) + " " + std::to_string(n.option) + " " +
                           std::to_string(n.attr) + " 0\r\n";
                out += "0 0 0 0 0\r\n";
            }
        out += "PageEnd\r\n";
    };
    for (const TPage& p : s.PageSets[0])
        page(p);
    num(kPages);
    out += "0 0 0 0 0\r\n";
    for (const TPage& p : s.PageSets[1])
        page(p);
    return out;
}

// The files every benchmark works on, made once.
struct TFiles {
    tqtest::TempDir dir;
    std::string binary = (dir / "big.mus").string();
    std::string text = (dir / "big.txt").string();
    std::string scratch = (dir / "scratch.bin").string();
    TFiles() {
        TMainScore s;
        frmMainTQ = &s;
        FillScore(s);
        SaveBinaryScore(binary, &s, true);
        const std::string t = TextScoreOf(s);
        FILE* f = std::fopen(text.c_str(), "wb");
        std::fwrite(t.data(), 1, t.size(), f);
        std::fclose(f);
        frmMainTQ = nullptr;
    }
};
TFiles& Files() {
    static TFiles files;
    return files;
}

std::string ReadAll(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    ::fstat(fd, &st);
    std::string data(std::size_t(st.st_size), '\0');
    std::size_t got = 0;
    while (got < data.size()) {
        ssize_t n = ::read(fd, data.data() + got, data.size() - got);
        if (n <= 0)
            break;
        got += std::size_t(n);
    }
    ::close(fd);
    data.resize(got);
    return data;
}

// One read of the whole file into a buffer that is already there (the copy
// from the page cache, nothing else).
void Floor_ReadFile(benchmark::State& state, bool text) {
    const std::string& path = text ? Files().text : Files().binary;
    std::string buffer = ReadAll(path);
    for (auto _ : state) {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        std::size_t got = 0;
        while (got < buffer.size()) {
            ssize_t n = ::read(fd, buffer.data() + got, buffer.size() - got);
            if (n <= 0)
                break;
            got += std::size_t(n);
        }
        ::close(fd);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.counters["bytes"] = double(buffer.size());
}
BENCHMARK_CAPTURE(Floor_ReadFile, binary, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Floor_ReadFile, text, true)->Unit(benchmark::kMillisecond);

void Floor_WriteFsync(benchmark::State& state) {
    const std::string data = ReadAll(Files().binary);
    const std::string& path = Files().scratch;
    for (auto _ : state) {
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        std::size_t put = 0;
        while (put < data.size()) {
            ssize_t n = ::write(fd, data.data() + put, data.size() - put);
            if (n <= 0)
                break;
            put += std::size_t(n);
        }
        ::fsync(fd);
        ::close(fd);
    }
    std::remove(path.c_str());
    state.counters["bytes"] = double(data.size());
}
BENCHMARK(Floor_WriteFsync)->Unit(benchmark::kMillisecond);

void BM_SaveScore(benchmark::State& state) {
    tqtest::TempDir dir;
    TMainScore s;
    frmMainTQ = &s;
    FillScore(s);
    const std::string path = (dir / "big.mus").string();
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveBinaryScore(path, &s, true));
    state.counters["bytes"] = double(std::filesystem::file_size(path));
    state.counters["cells"] = double(2 * kPages) * s.Cols * s.Rows;
    frmMainTQ = nullptr;
}
BENCHMARK(BM_SaveScore)->Unit(benchmark::kMillisecond);

void BM_OpenScore(benchmark::State& state) {
    const std::string& path = Files().binary;
    TMainScore t;
    frmMainTQ = &t;
    t.CalcPageGrid();
    t.AllocatePage(0, 0, true, 0, 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadBinaryScore(path, &t, false));
    state.counters["pages"] = double(t.PageSets[0].size() + t.PageSets[1].size());
    frmMainTQ = nullptr;
}
BENCHMARK(BM_OpenScore)->Unit(benchmark::kMillisecond);

void BM_OpenTextScore(benchmark::State& state) {
    const std::string& path = Files().text;
    TMainScore t;
    frmMainTQ = &t;
    t.CalcPageGrid();
    t.AllocatePage(0, 0, true, 0, 0);
    bool ok = true;
    for (auto _ : state)
        ok = LoadTextScore(path, &t, false) && ok;
    if (!ok)
        state.SkipWithError("the text score did not open");
    state.counters["pages"] = double(t.PageSets[0].size() + t.PageSets[1].size());
    frmMainTQ = nullptr;
}
BENCHMARK(BM_OpenTextScore)->Unit(benchmark::kMillisecond);

// Opens the binary score in a new process of this program; the time is the
// whole process. Counters: its peak resident memory, what it held after the
// open, their ratio, and the open alone as the child timed it.
void BM_OpenScoreFresh(benchmark::State& state) {
    const std::string& path = Files().binary;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string report = (Files().dir / "child.txt").string();
    long peakKb = 0, heldKb = 0;
    double openMs = 0;
    for (auto _ : state) {
        const char* argv[] = {self.c_str(), "--open-child", path.c_str(), report.c_str(), nullptr};
        pid_t pid = 0;
        if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
            state.SkipWithError("cannot start a process");
            break;
        }
        int status = 0;
        if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the child did not open the score");
            break;
        }
        // The child's own peak: the ru_maxrss of a spawned child also holds
        // the peak of the parent's memory, which exec takes over as its start.
        std::ifstream in(report);
        in >> heldKb >> peakKb >> openMs;
    }
    state.counters["peak_rss_mb"] = double(peakKb) / 1024.0;
    state.counters["held_rss_mb"] = double(heldKb) / 1024.0;
    state.counters["peak_per_held"] = heldKb > 0 ? double(peakKb) / double(heldKb) : 0.0;
    state.counters["open_ms"] = openMs; // the open alone, in the child (last run)
}
BENCHMARK(BM_OpenScoreFresh)->Unit(benchmark::kMillisecond)->UseRealTime();

long StatusKb(const char* field) {
    std::ifstream f("/proc/self/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind(field, 0) == 0)
            return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
    return -1;
}

int OpenChild(const char* path, const char* report) {
    TMainScore t;
    frmMainTQ = &t;
    const auto start = std::chrono::steady_clock::now();
    const bool ok = LoadBinaryScore(path, &t, false);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::ofstream(report) << StatusKb("VmRSS:") << " " << StatusKb("VmHWM:") << " " << ms << std::endl;
    // The score's memory goes back with the process; freeing it cell by cell
    // is not part of an open.
    std::_Exit(ok && t.PageSets[0].size() == std::size_t(kPages) ? 0 : 1);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--open-child") == 0)
        return OpenChild(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "--write-score") == 0) { // for profiling by hand
        TMainScore s;
        frmMainTQ = &s;
        FillScore(s);
        const long held = StatusKb("VmRSS:");
        const bool ok = SaveBinaryScore(argv[2], &s, true);
        std::printf("held %ld kB before the save, peak %ld kB\n", held, StatusKb("VmHWM:"));
        return ok ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
