// Damaged, foreign and unwritable score files: the right message, and the score
// as it was.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sys/resource.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "model/modTQBinFile.h"
#include "tests/model/binfile_support.h"
#include "tests/support/TQTestSupport.h"

using namespace tqfiletest;

namespace {

// A small valid score file: one note on page 1, a layer-1 page, and the offsets
// of its parts.
struct SampleFile {
    std::string bytes;
    static constexpr std::size_t kFirstPage = 158;
    std::size_t cellRecord = 0;  // start of the one layer-0 cell record
    std::size_t layer1Count = 0; // offset of N1
    SampleFile() {
        tqtest::TempDir dir;
        NewScore s;
        TCell text;
        text.cellType = ctText;
        text.Text = "abc";
        s.At(2, 3) = text;
        s.AddPages(1, 1);
        s.At(1, 1, 0, 1).Note = '5';
        const std::string path = (dir / "sample.mus").string();
        EXPECT_TRUE(SaveBinaryScore(path, &s.score, true));
        bytes = ReadFile(path);
        cellRecord = kFirstPage + 4;
        layer1Count = bytes.find(std::string("\x95\xBB\x9F\x05", 4), kFirstPage) + 4;
    }
};

// The score that is open when a bad file is opened: two pages with notes.
class OpenScore {
public:
    OpenScore() {
        s.AddPages(0, 1);
        s.At(0, 0).Note = '3';
        s.At(4, 2, 1).Note = '6';
        s.score.FileName = "/old/score.mus";
        s.score.PageCount = 2;
        s.score.CurPage = 1;
    }
    NewScore s;
};

} // namespace

TEST(BinScoreErrors, DamagedFilesGiveTheirMessageAndChangeNothing) {
    const SampleFile sample;
    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
        int message;              // 0: none
        bool quietReads = false;  // the damage lies in layer 1, which a quiet open does not read
    };
    const std::size_t cell = sample.cellRecord;
    const Case cases[] = {
        {"not a score file", [](std::string& b) { PutWord(b, 0, 0x12345678); }, 0},
        {"only the tag", [](std::string& b) { b.resize(4); }, 1045},
        {"no pages", [](std::string& b) { PutWord(b, 8, 0); }, 1052},
        {"negative page count", [](std::string& b) { PutWord(b, 8, uint32_t(-3)); }, 1045},
        {"more pages than the file can hold", [](std::string& b) { PutWord(b, 8, 100000); }, 1045},
        {"header cut short", [](std::string& b) { b.resize(100); }, 1045},
        {"cell width 0", [](std::string& b) { PutWord(b, 70, 0); }, 1045},
        {"margins leave no grid", [](std::string& b) { PutWord(b, 74, 2000); }, 1045},
        {"paper width not a number", [](std::string& b) { PutWord(b, 98, 0x7FC00000); }, 1045},
        {"paper far too large", [](std::string& b) { PutWord(b, 98, 0x4E6E6B28); }, 1045},
        {"tiny cells make a huge grid", [](std::string& b) { PutWord(b, 70, 1); }, 1045},
        {"page does not start with its tag", [](std::string& b) { PutWord(b, SampleFile::kFirstPage, 7); }, 1045},
        {"stray word instead of a cell tag", [=](std::string& b) { PutWord(b, cell, 12); }, 1045},
        {"cell beyond the spare column", [=](std::string& b) { PutWord(b, cell + 4, 61); }, 1045},
        {"cell beyond the spare row", [=](std::string& b) { PutWord(b, cell + 8, 41); }, 1045},
        {"negative column", [=](std::string& b) { PutWord(b, cell + 4, uint32_t(-1)); }, 1045},
        {"huge small-note count", [=](std::string& b) { PutWord(b, cell + 72, 0x10000000); }, 1045},
        {"negative small-note count", [=](std::string& b) { PutWord(b, cell + 72, uint32_t(-2)); }, 1045},
        {"negative text length", [=](std::string& b) { PutWord(b, cell + 113, uint32_t(-5)); }, 1045},
        {"text longer than the file", [=](std::string& b) { PutWord(b, cell + 113, 1 << 30); }, 1045},
        {"text length of the old buffer plus one", [=](std::string& b) { PutWord(b, cell + 113, 1201); }, 1045},
        {"file ends inside a cell", [=](std::string& b) { b.resize(cell + 50); }, 1045},
        {"file ends before the page end", [=](std::string& b) { b.resize(sample.layer1Count - 4); }, 1045},
        {"layer-1 fillers missing", [=](std::string& b) { b.resize(sample.layer1Count + 8); }, 1045, true},
        {"layer-1 page damaged", [=](std::string& b) { PutWord(b, sample.layer1Count + 24, 1); }, 1045, true},
        {"layer-1 page count beyond the file", [=](std::string& b) { PutWord(b, sample.layer1Count, 2); }, 1045, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tqtest::TempDir dir;
        std::string bytes = sample.bytes;
        c.damage(bytes);
        const std::string path = (dir / "bad.mus").string();
        WriteFile(path, bytes);

        OpenScore open;
        const ScoreState before(open.s.score);
        Messages m;
        EXPECT_FALSE(LoadBinaryScore(path, &open.s.score, false));
        EXPECT_TRUE(ScoreState(open.s.score) == before);
        EXPECT_EQ(frmMainTQ, &open.s.score);
        if (c.message == 0) {
            EXPECT_TRUE(m.recorder.shown.empty());
        } else {
            ASSERT_EQ(m.Ids(), std::vector<int>{c.message});
            const std::string extra = c.message == 1045 ? path : "\n" + path;
            EXPECT_EQ(m.recorder.shown[0].text, std::to_string(c.message) + extra);
            EXPECT_EQ(m.recorder.shown[0].kind, mkError);
        }

        // A quiet open of the same file fails the same way without a word.
        Messages quiet;
        EXPECT_EQ(LoadBinaryScore(path, &open.s.score, true), c.quietReads);
        EXPECT_TRUE(quiet.recorder.shown.empty());
    }
}

TEST(BinScoreErrors, CellsInTheSpareColumnAndRowAreAccepted) {
    const SampleFile sample;
    for (uint32_t col : {60u, 2u}) {
        std::string bytes = sample.bytes;
        PutWord(bytes, sample.cellRecord + 4, col);
        PutWord(bytes, sample.cellRecord + 8, col == 60 ? 3u : 40u);
        tqtest::TempDir dir;
        const std::string path = (dir / "spare.mus").string();
        WriteFile(path, bytes);
        NewScore t;
        EXPECT_TRUE(LoadBinaryScore(path, &t.score, false)) << col;
    }
}

TEST(BinScoreErrors, MissingFileGives1044) {
    tqtest::TempDir dir;
    OpenScore open;
    const ScoreState before(open.s.score);
    Messages m;
    const std::string path = (dir / "none.mus").string();
    EXPECT_FALSE(LoadBinaryScore(path, &open.s.score, false));
    EXPECT_EQ(m.Ids(), std::vector<int>{1044});
    EXPECT_EQ(m.recorder.shown[0].text, "1044\n" + path);
    EXPECT_TRUE(ScoreState(open.s.score) == before);
    EXPECT_FALSE(LoadBinaryScore(dir.str(), &open.s.score, false)); // a folder
    EXPECT_EQ(m.Ids(), (std::vector<int>{1044, 1044}));
}

TEST(BinScoreErrors, NewerVersionAsksFirst) {
    const SampleFile sample;
    tqtest::TempDir dir;
    const std::string path = (dir / "new.mus").string();
    std::string bytes = sample.bytes;
    PutWord(bytes, 4, 414);
    WriteFile(path, bytes);

    OpenScore open;
    const ScoreState before(open.s.score);
    Messages m;
    m.recorder.Answer(mrNo);
    EXPECT_FALSE(LoadBinaryScore(path, &open.s.score, false));
    ASSERT_EQ(m.Ids(), std::vector<int>{2909});
    EXPECT_EQ(m.recorder.shown[0].buttons, mbYesNo);
    EXPECT_EQ(m.recorder.shown[0].kind, mkWarning);
    EXPECT_EQ(m.recorder.shown[0].text, "2909" + path);
    EXPECT_TRUE(ScoreState(open.s.score) == before);

    m.recorder.Clear(); // answers Yes
    EXPECT_TRUE(LoadBinaryScore(path, &open.s.score, false));
    EXPECT_EQ(m.Ids(), std::vector<int>{2909});
    EXPECT_EQ(open.s.At(2, 3).Text, "abc");

    m.recorder.Clear();
    PutWord(bytes, 4, 413);
    WriteFile(path, bytes);
    EXPECT_TRUE(LoadBinaryScore(path, &open.s.score, false));
    EXPECT_TRUE(m.recorder.shown.empty());
}

TEST(BinScoreErrors, SaveThatCannotCompleteKeepsTheOldFile) {
    tqtest::TempDir dir;
    NewScore s;
    s.At(1, 1).Note = '1';
    const std::string path = (dir / "keep.mus").string();
    WriteFile(path, "the old score");
    Messages m;

    // No such folder.
    const std::string nowhere = (dir / "missing" / "x.mus").string();
    EXPECT_FALSE(SaveBinaryScore(nowhere, &s.score, true));
    ASSERT_EQ(m.Ids(), std::vector<int>{1043});
    EXPECT_EQ(m.recorder.shown[0].text, "1043\n" + nowhere);
    EXPECT_FALSE(std::filesystem::exists(nowhere));

    // A full disk: the file-size limit makes writes fail part way.
    m.recorder.Clear();
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = SaveBinaryScore(path, &s.score, true);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(m.Ids(), std::vector<int>{1043});
    EXPECT_EQ(ReadFile(path), "the old score");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1); // no temporary left

    // A file without write permission, in a folder that would allow replacing it.
    m.recorder.Clear();
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    EXPECT_FALSE(SaveBinaryScore(path, &s.score, true));
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(m.Ids(), std::vector<int>{1043});
    EXPECT_EQ(ReadFile(path), "the old score");

    // A read-only (immutable) target, where the file system allows marking it.
    m.recorder.Clear();
    const std::string cmd = "chattr +i '" + path + "' 2>/dev/null";
    if (std::system(cmd.c_str()) == 0) {
        EXPECT_FALSE(SaveBinaryScore(path, &s.score, true));
        std::system(("chattr -i '" + path + "'").c_str());
        EXPECT_EQ(m.Ids(), std::vector<int>{1043});
        EXPECT_EQ(ReadFile(path), "the old score");
    }
}

TEST(BinScoreErrors, EveryPrefixOfAFileIsRefusedCleanly) {
    // Cutting a good file anywhere must never crash, allocate wildly or change
    // the score: either it still reads (the cut fell after the last page) or it
    // is refused.
    const SampleFile sample;
    NewScore t;
    for (std::size_t n = 0; n < sample.bytes.size(); ++n) {
        const ScoreState before(t.score);
        const bool ok = LoadBinaryScoreBytes(std::string_view(sample.bytes).substr(0, n), "cut.mus", &t.score, true);
        if (!ok) {
            EXPECT_TRUE(ScoreState(t.score) == before) << n;
        }
    }
}

namespace {

// Kilobytes of the process's resident memory: now, and its peak since the last
// ResetPeakMemory. -1 when the system does not tell.
long StatusKb(const char* field) {
    std::ifstream f("/proc/self/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind(field, 0) == 0)
            return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
    return -1;
}
bool ResetPeakMemory() {
    std::ofstream f("/proc/self/clear_refs");
    f << "5";
    f.flush();
    return bool(f);
}

// A score file whose pages are records written here without building the
// score in memory: `pages` pages in each layer, the cells given per page.
std::string GeneratedScore(int pages, const std::vector<std::pair<int, int>>& cells, const TCell& cell) {
    tqtest::TempDir dir;
    std::string header;
    {
        NewScore s;
        const std::string path = (dir / "h.mus").string();
        EXPECT_TRUE(SaveBinaryScore(path, &s.score, false));
        header = ReadFile(path).substr(0, 158);
    }
    PutWord(header, 8, uint32_t(pages));
    TBinWriter out;
    out.data = header;
    auto page = [&]() {
        out.U32(kPageStartTag);
        for (const auto& [c, r] : cells)
            WriteCellRecord(out, cell, c, r, "");
        out.U32(kPageEndTag);
    };
    for (int p = 0; p < pages; ++p)
        page();
    out.I32(pages);
    for (int i = 0; i < 5; ++i)
        out.I32(kFillerWord);
    for (int p = 0; p < pages; ++p)
        page();
    return out.data;
}

} // namespace

TEST(BinScoreLimits, ATinyFileCannotMakeTheReaderHoldAGigabyte) {
    // A valid file of a few hundred bytes: a 1000 x 198 grid over 24 empty pages.
    std::string bytes;
    {
        tqtest::TempDir dir;
        NewScore s;
        s.score.CellWidth = 1;
        s.score.LeftMargin = s.score.RightMargin = s.score.TopMargin = s.score.BottomMargin = 0;
        s.score.PaperHeight = 3.37f;
        const std::string path = (dir / "g.mus").string();
        ASSERT_TRUE(SaveBinaryScore(path, &s.score, false));
        bytes = ReadFile(path);
        ASSERT_EQ(WordAt(bytes, 8), 1u);
    }
    PutWord(bytes, 8, 24);
    std::string emptyPage(8, '\0');
    PutWord(emptyPage, 0, kPageStartTag);
    PutWord(emptyPage, 4, kPageEndTag);
    for (int i = 0; i < 23; ++i)
        bytes.insert(158, emptyPage);
    ASSERT_LT(bytes.size(), 500u);

    tqtest::TempDir dir;
    const std::string path = (dir / "grid.mus").string();
    WriteFile(path, bytes);
    OpenScore open;
    const ScoreState before(open.s.score);
    Messages m;
    const bool canMeasure = ResetPeakMemory();
    const long rssBefore = StatusKb("VmRSS:");
    EXPECT_FALSE(LoadBinaryScore(path, &open.s.score, false));
    const long peak = StatusKb("VmHWM:");
    EXPECT_EQ(m.Ids(), std::vector<int>{1045});
    EXPECT_TRUE(ScoreState(open.s.score) == before);
    if (canMeasure && rssBefore > 0 && peak > 0) {
        EXPECT_LT(peak - rssBefore, 16 * 1024) << "kB held while refusing a " << bytes.size() << "-byte file";
    }
}

TEST(BinScoreLimits, ALargeRealScoreStillOpens) {
    // 500 pages of the 60 x 40 grid in both layers, every row holding notes.
    std::vector<std::pair<int, int>> cells;
    for (int r = 0; r < 40; ++r)
        for (int c = r % 3; c < 60; c += 20)
            cells.push_back({c, r});
    TCell note;
    note.cellType = ctJianpu;
    note.Note = '5';
    note.dot = 1;
    const std::string bytes = GeneratedScore(500, cells, note);
    tqtest::TempDir dir;
    const std::string path = (dir / "large.mus").string();
    WriteFile(path, bytes);
    NewScore t;
    Messages m;
    ASSERT_TRUE(LoadBinaryScore(path, &t.score, false));
    EXPECT_TRUE(m.recorder.shown.empty());
    EXPECT_EQ(t.score.Cols, 60);
    EXPECT_EQ(t.score.Rows, 40);
    ASSERT_EQ(t.score.PageSets[0].size(), 500u);
    ASSERT_EQ(t.score.PageSets[1].size(), 500u);
    EXPECT_EQ(t.At(40, 39, 499, 1).Note, '5');
    EXPECT_EQ(t.At(1, 1, 0, 0).Note, '5');
}

TEST(BinScoreErrors, ASaveRemovesTheTemporariesOfKilledSaves) {
    tqtest::TempDir dir;
    const std::string path = (dir / "s.mus").string();
    const std::vector<std::string> leftovers = {".s.mus.Ab12Cd", ".s.mus.zzzzzz"};
    const std::vector<std::string> others = {".s.mus.Ab12C", ".s.mus.Ab12Cde", ".t.mus.Ab12Cd", "s.mus.Ab12Cd",
                                             ".s.mus.Ab-2Cd", "s.mus"};
    for (const std::string& n : leftovers)
        WriteFile((dir / n).string(), "half a score");
    for (const std::string& n : others)
        WriteFile((dir / n).string(), "keep");
    NewScore s;
    s.At(1, 1).Note = '1';
    ASSERT_TRUE(SaveBinaryScore(path, &s.score, true));
    for (const std::string& n : leftovers)
        EXPECT_FALSE(std::filesystem::exists(dir / n)) << n;
    for (const std::string& n : others)
        EXPECT_TRUE(std::filesystem::exists(dir / n)) << n;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), long(others.size()));
}
