// The text score reader.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "model/modTQFile.h"
#include "platform/core/TQFiles.h"
#include "tests/model/binfile_support.h"
#include "tests/support/TQTestSupport.h"

using namespace tqfiletest;

namespace {

// Writes a text score: header lines, then the page and cell lines given.
// Lines are joined with CR LF, as the files written on Windows have them.
std::string TextScore(const std::string& version, int pages, const std::vector<std::string>& body,
                      const std::string& eol = "\r\n") {
    std::vector<std::string> lines = {
        "Tonquill Version", version, std::to_string(pages), "Arial", "0", "0",
        // cell width, margins, first page number
        "15", "60", "30", "50", "40", "1",
        "0",          // paper type
        "8.27", "11.69", // paper
        "0",          // orientation
        "5200",       // not used
    };
    for (int i = 0; i < 11; ++i)
        lines.push_back("skipped " + std::to_string(i));
    lines.insert(lines.end(), body.begin(), body.end());
    std::string out;
    for (const std::string& l : lines)
        out += l + eol;
    return out;
}

// The lines of one cell entry in a file of version >= 4.06 (with the second
// slot) and >= 1.01 (with the mark adjustments).
std::vector<std::string> CellLines(int col, int row, int type, int note, const std::string& tail = "",
                                   const std::string& small = "0", int attr = 0, unsigned option = 0,
                                   int upNote = 32, int fontColor = 32) {
    std::vector<std::string> v = {"cell", std::to_string(col), std::to_string(row), std::to_string(type),
                                  std::to_string(note), std::to_string(upNote), std::to_string(fontColor),
                                  "1", "0", "-1", "-1", "1.0", "0.5", "-2.5", "0", "0", std::to_string(attr),
                                  std::to_string(option), small, "0 0 -10000 0 0"};
    if (!tail.empty())
        v.push_back(tail);
    return v;
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

struct Loaded {
    tqtest::TempDir dir;
    NewScore s;
    Messages m;
    bool ok = false;
    std::string path;
    Loaded(const std::string& text, bool quiet = false) {
        path = (dir / "score.txt").string();
        WriteFile(path, text);
        ok = LoadTextScore(path, &s.score, quiet);
    }
};

} // namespace

TEST(TextScore, ReadsHeaderPagesAndEveryTailWithCrLf) {
    const std::string text = TextScore(
        "4.1", 2,
        Join({{"PageStart"},
              CellLines(2, 3, 0, '5'),
              CellLines(0, 0, 3, 32, "Title line\r\nCN\r\n134\r\n1\r\n0 0 0"),
              CellLines(1, 0, 7, 1, "pic.jpg\r\n0 0 0"),
              CellLines(4, 5, 8, 3, "2\r\n3 1 0 0\r\n2 0 0 0"),
              CellLines(6, 1, 0, '3', "", "2\r\n51 1 1 8 0 0\r\n53 0 -1 -1 11 0", 0xA0),
              {"PageEnd", "PageStart"},
              CellLines(57, 39, 0, '7'),
              {"PageEnd", "1", "0 0 0 0 0", "PageStart"},
              CellLines(1, 1, 0, '2'),
              {"PageEnd"}}));
    Loaded l(text);
    ASSERT_TRUE(l.ok);
    EXPECT_TRUE(l.m.recorder.shown.empty());
    TMainScore& s = l.s.score;
    EXPECT_EQ(s.PageCount, 2);
    EXPECT_EQ(s.PageSets[0].size(), 2u);
    EXPECT_EQ(s.PageSets[1].size(), 1u);
    EXPECT_EQ(s.NoteFontName, "Arial");
    EXPECT_FLOAT_EQ(s.PaperWidth, 8.27f);
    EXPECT_EQ(s.Cols, 58); // A4 width, default margins and cell
    EXPECT_EQ(s.CurPage, 0);

    const TCell& note = l.s.At(2, 3);
    EXPECT_EQ(note.Note, '5');
    EXPECT_EQ(note.dot, 1);
    EXPECT_FLOAT_EQ(note.xAdj, 0.5f);
    EXPECT_FLOAT_EQ(note.yAdj, -2.5f);
    EXPECT_EQ(note.MarkY, 0); // -10000 means none
    EXPECT_EQ(note.FontName, "NT");
    EXPECT_EQ(note.AdvPlay, (std::array<uint8_t, 4>{100, 100, 100, 0}));
    EXPECT_EQ(note.playDur, 0);

    const TCell& title = l.s.At(0, 0);
    EXPECT_EQ(title.Text, "Title line");
    EXPECT_EQ(title.FontName, "CN");
    EXPECT_EQ(title.FontCharset, 134);
    EXPECT_EQ(title.FontStyle, 1);

    EXPECT_EQ(l.s.At(1, 0).Text, ExtractFilePath(l.path) + "pic.jpg");

    const TCell& chord = l.s.At(4, 5);
    ASSERT_EQ(chord.westChordArray.size(), 2u);
    EXPECT_EQ(chord.westChordArray[0].interval, 3);
    EXPECT_EQ(chord.westChordArray[0].attr, 1u);
    EXPECT_EQ(chord.westChordArray[1].interval, 2);

    const TCell& shrink = l.s.At(6, 1);
    ASSERT_EQ(shrink.CompressNotes.size(), 2u);
    EXPECT_EQ(shrink.CompressNotes[0].option, 8u);
    EXPECT_EQ(shrink.CompressNotes[1].option, 0u); // -1 is none
    EXPECT_EQ(shrink.CompressNotes[1].attr, 0u);   // 11 is no attribute

    EXPECT_EQ(l.s.At(57, 39, 1).Note, '7');
    EXPECT_EQ(l.s.At(1, 1, 0, 1).Note, '2');
}

TEST(TextScore, OlderVersionsLackFields) {
    // Version 4.0: no second slot, Attr codes upgraded, dots moved to option.
    {
        std::vector<std::string> cell = {"cell", "1", "1", "0", "51", "32", "1", "0", "-1", "-1", "1", "0", "0",
                                         "0", "0", "16", "0", "0", "0 0 0 0 0"};
        Loaded l(TextScore("4.0", 1, Join({{"PageStart"}, cell, {"PageEnd"}})));
        ASSERT_TRUE(l.ok);
        EXPECT_EQ(l.s.At(1, 1).FontColor, 32);
        EXPECT_EQ(l.s.At(1, 1).Attr, 0u);
        EXPECT_EQ(l.s.At(1, 1).option, 0x40u);
    }
    // Version 0.2: one ignored number instead of the small-note list, and no
    // mark adjustments.
    {
        std::vector<std::string> cell = {"cell", "1", "1", "0", "52", "32", "0", "0", "-1", "-1", "1", "0", "0",
                                         "0", "0", "0", "-1", "77"};
        Loaded l(TextScore("0.2", 1, Join({{"PageStart"}, cell, cell, {"PageEnd"}})));
        ASSERT_TRUE(l.ok);
        EXPECT_EQ(l.s.At(1, 1).Note, '4');
        EXPECT_EQ(l.s.At(1, 1).option, 0u);
    }
    // Version 3.0: a two-note Jianpu cell becomes a vertical chord.
    {
        std::vector<std::string> cell = {"cell", "2", "2", "0", "49", "51", "1", "0", "-1", "-1", "1", "0", "0",
                                         "0", "0", "0", "2", "0", "0 0 0 0 0"};
        Loaded l(TextScore("3.0", 1, Join({{"PageStart"}, cell, {"PageEnd"}})));
        ASSERT_TRUE(l.ok);
        const TCell& c = l.s.At(2, 2);
        EXPECT_EQ(c.Note, 32);
        EXPECT_EQ(c.upNote, 32);
        EXPECT_EQ(c.Attr & 0xF0u, 0xB0u);
        ASSERT_EQ(c.CompressNotes.size(), 2u);
        EXPECT_EQ(c.CompressNotes[0].code, '1');
        EXPECT_EQ(c.CompressNotes[0].octave, 1);
        EXPECT_EQ(c.CompressNotes[1].code, '3');
        EXPECT_EQ(c.CompressNotes[1].octave, 2);
        EXPECT_EQ(c.FontName, "NT");
    }
}

TEST(TextScore, OldGraceCellsKeepTheirSecondListInStep) {
    // Version 2.0: a type-5 cell carries a second small-note list after its
    // fields; the tail follows the type as stored, not the upgraded one.
    std::vector<std::string> grace = {"cell", "1", "1", "5", "49", "32", "0", "0", "-1", "-1", "0.7", "0", "0",
                                      "0", "0", "0", "0", "1", "50 0 0 0 0 0", "0 0 0 0 0",
                                      "1", "51 0 0 0 0 0"};
    std::vector<std::string> next = {"cell", "2", "1", "0", "53", "32", "0", "0", "-1", "-1", "1", "0", "0",
                                     "0", "0", "0", "0", "0", "0 0 0 0 0"};
    Loaded l(TextScore("2.0", 1, Join({{"PageStart"}, grace, next, {"PageEnd"}})));
    ASSERT_TRUE(l.ok);
    const TCell& g = l.s.At(1, 1);
    EXPECT_EQ(g.cellType, ctJianpu);
    EXPECT_EQ(g.Attr & 0xF0u, 0xC0u);
    ASSERT_EQ(g.CompressNotes.size(), 1u);
    EXPECT_EQ(g.CompressNotes[0].code, '3');
    EXPECT_EQ(l.s.At(2, 1).Note, '5');

    // Version 0.2: both lists are the one ignored number of that version.
    std::vector<std::string> grace02 = {"cell", "1", "1", "5", "49", "32", "0", "0", "-1", "-1", "0.7", "0",
                                        "0", "0", "0", "0", "0", "3", "3"};
    std::vector<std::string> next02 = {"cell", "2", "1", "0", "53", "32", "0", "0", "-1", "-1", "1", "0", "0",
                                       "0", "0", "0", "0", "9"};
    Loaded old(TextScore("0.2", 1, Join({{"PageStart"}, grace02, next02, {"PageEnd"}})));
    ASSERT_TRUE(old.ok);
    EXPECT_EQ(old.s.At(1, 1).cellType, ctJianpu);
    EXPECT_TRUE(old.s.At(1, 1).CompressNotes.empty());
    EXPECT_EQ(old.s.At(2, 1).Note, '5');
}

TEST(TextScore, LayerOneCountOutsideItsRangeIsIgnored) {
    Loaded l(TextScore("4.1", 1, Join({{"PageStart", "PageEnd", "3", "0 0 0 0 0", "PageStart", "PageEnd"}})));
    ASSERT_TRUE(l.ok);
    EXPECT_TRUE(l.s.score.PageSets[1].empty());
}

TEST(TextScore, QuietReadsOnlyTheFirstPage) {
    Loaded l(TextScore("4.1", 2,
                       Join({{"PageStart"}, CellLines(1, 1, 0, '1'), {"PageEnd", "garbage", "1", "0 0 0 0 0"}})),
             true);
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.s.score.PageSets[0].size(), 1u);
    EXPECT_TRUE(l.s.score.PageSets[1].empty());
    EXPECT_EQ(l.s.score.PageCount, 2);
}

TEST(TextScore, BadFilesGiveTheirMessageAndChangeNothing) {
    const std::string good = TextScore("4.1", 1, Join({{"PageStart"}, CellLines(1, 1, 0, '1'), {"PageEnd"}}));
    struct Case {
        const char* what;
        std::string text;
        int message;
    };
    std::string trailingBlank = good;
    trailingBlank.replace(0, 16, "Tonquill Version ");
    const Case cases[] = {
        {"first line with a trailing blank", trailingBlank, 1045},
        {"not a score", "hello\n", 1045},
        {"empty file", "", 1045},
        {"no pages", TextScore("4.1", 0, {}), 1052},
        {"negative page count", TextScore("4.1", -2, {}), 1045},
        {"more pages than lines", TextScore("4.1", 5000, {"PageStart", "PageEnd"}), 1045},
        {"page without its start", TextScore("4.1", 1, {"PageBegin", "PageEnd"}), 1045},
        {"stray line in a page", TextScore("4.1", 1, {"PageStart", "cells", "PageEnd"}), 1045},
        {"file ends inside a page", TextScore("4.1", 1, Join({{"PageStart"}, CellLines(1, 1, 0, '1')})), 1045},
        {"column beyond the spare one", TextScore("4.1", 1, Join({{"PageStart"}, CellLines(60, 1, 0, '1'), {"PageEnd"}})), 1045},
        {"negative row", TextScore("4.1", 1, Join({{"PageStart"}, CellLines(1, -1, 0, '1'), {"PageEnd"}})), 1045},
        {"huge small-note count",
         TextScore("4.1", 1, Join({{"PageStart"}, CellLines(1, 1, 0, '1', "", "99999999"), {"PageEnd"}})), 1045},
        {"huge chord count",
         TextScore("4.1", 1, Join({{"PageStart"}, CellLines(1, 1, 8, 3, "2000000000"), {"PageEnd"}})), 1045},
        {"layer-1 page damaged",
         TextScore("4.1", 1, {"PageStart", "PageEnd", "1", "0 0 0 0 0", "PageStart", "junk"}), 1045},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tqtest::TempDir dir;
        const std::string path = (dir / "bad.txt").string();
        WriteFile(path, c.text);
        NewScore s;
        s.At(3, 3).Note = '6';
        s.score.FileName = "/old.mus";
        const ScoreState before(s.score);
        Messages m;
        EXPECT_FALSE(LoadTextScore(path, &s.score, false));
        EXPECT_TRUE(ScoreState(s.score) == before);
        ASSERT_EQ(m.Ids(), std::vector<int>{c.message});
        EXPECT_EQ(m.recorder.shown[0].text, std::to_string(c.message) + "\n" + path);
        Messages quiet;
        LoadTextScore(path, &s.score, true);
        EXPECT_TRUE(quiet.recorder.shown.empty());
    }

    // A cell at the spare column and row is accepted.
    tqtest::TempDir dir;
    const std::string path = (dir / "spare.txt").string();
    WriteFile(path, TextScore("4.1", 1, Join({{"PageStart"}, CellLines(58, 40, 0, '1'), {"PageEnd"}})));
    NewScore s;
    EXPECT_TRUE(LoadTextScore(path, &s.score, false));

    Messages m;
    EXPECT_FALSE(LoadTextScore((dir / "none.txt").string(), &s.score, false));
    EXPECT_EQ(m.Ids(), std::vector<int>{1044});
}

TEST(TextScore, LineFeedOnlyFilesReadAsWell) {
    Loaded l(TextScore("4.1", 1, Join({{"PageStart"}, CellLines(1, 1, 0, '1'), {"PageEnd"}}), "\n"));
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.s.At(1, 1).Note, '1');
}

TEST(TextScore, KeywordsAreWordsNotLines) {
    // A hand-edited score: keywords sharing a line, followed by blanks, or
    // with the numbers of their cell on the same line.
    const std::string text = TextScore(
        "4.1", 2,
        {"PageStart   ", "cell 2 3 0 53 32 32 1 0 -1 -1 1.0 0 0 0 0 0 0 0 0 0 0 0 0", "PageEnd  PageStart",
         "\tcell", "4", "5", "0 54 32 32 0 0 -1 -1 1.0 0 0 0 0 0 0 0 0 0 0 0 0 PageEnd", "1", "0 0 0 0 0",
         "PageStart cell 1 1 0 55 32 32 0 0 -1 -1 1.0 0 0 0 0 0 0 0 0 0 0 0 0 PageEnd"});
    Loaded l(text);
    ASSERT_TRUE(l.ok);
    EXPECT_TRUE(l.m.recorder.shown.empty());
    EXPECT_EQ(l.s.At(2, 3).Note, '5');
    EXPECT_EQ(l.s.At(2, 3).dot, 1);
    EXPECT_EQ(l.s.At(4, 5, 1).Note, '6');
    EXPECT_EQ(l.s.At(1, 1, 0, 1).Note, '7');
}

TEST(TextScore, CellsReadTheSameWhereverTheyLieInTheFile) {
    // The reader takes short inputs byte by byte and long ones straight from
    // its buffer; a megabyte and more of cells with every kind of separator
    // (CR LF, LF, a lone CR, tabs, runs of blanks, the quote byte) must read
    // as the same cells do in a small file.
    auto group = [](int col, int row) {
        const std::string c = std::to_string(col), r = std::to_string(row);
        return std::vector<std::string>{
            "cell", c, r, "0", "53", "32", "32", "1", "0", "-1", "-1", "1.0", "0.5", "-2.5", "0", "0", "0", "0",
            "0", "0 0 -10000 0 0",
            "cell\t" + c + "  " + r + "\r0\t54 32\t32 -2 +3 -1 -1 1.25 7e2 +3 0 0 0 0 0 0 0 7 0 0",
            "cell " + c + " " + std::to_string(row + 1) + " 3 32 32 32 0 0 -1 -1 1.0 0 0 0 0 0 0 0 0 0 0 0 0",
            "Title line", "CN", "134 1 0 0 0",
            "cell " + std::to_string(col + 1) + " " + r + " 8 3 32 32 0 0 -1 -1 -0 00000000123 - 0 0 0 0 0 0 0 0 0 0",
            "2\n3 1 0 0\r\n2 0 0 0",
            "cell " + std::to_string(col + 1) + " " + std::to_string(row + 1) +
                " 0 51 32 32 1 0 -1 -1 1.0 0 0 0 0 160 0 2",
            "51 1 1 8 0 0\r\n53 0 -1 -1 11 0 ", "0 0 0 0 0\xFA"};
    };
    const std::vector<std::pair<int, int>> at = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};

    std::vector<std::string> small = {"PageStart"};
    for (const std::string& line : group(0, 0))
        small.push_back(line);
    small.push_back("PageEnd");
    Loaded ref(TextScore("4.1", 1, small));
    ASSERT_TRUE(ref.ok);

    constexpr int kPages = 6;
    std::vector<std::string> big;
    for (int p = 0; p < kPages; ++p) {
        big.push_back("PageStart");
        for (int row = 0; row + 1 < 40; row += 2)
            for (int col = 0; col + 1 < 58; col += 2)
                for (const std::string& line : group(col, row))
                    big.push_back(line);
        big.push_back("PageEnd");
    }
    Loaded l(TextScore("4.1", kPages, big));
    ASSERT_TRUE(l.ok);
    ASSERT_GT(std::filesystem::file_size(l.path), std::uintmax_t(1) << 20);
    int compared = 0;
    for (int p = 0; p < kPages; ++p)
        for (int row = 0; row + 1 < 40; row += 2)
            for (int col = 0; col + 1 < 58; col += 2)
                for (auto [dc, dr] : at) {
                    ASSERT_EQ(l.s.At(col + dc, row + dr, p), ref.s.At(dc, dr))
                        << "page " << p << " col " << col + dc << " row " << row + dr;
                    ASSERT_EQ(std::signbit(l.s.At(col + dc, row + dr, p).fontSizeR),
                              std::signbit(ref.s.At(dc, dr).fontSizeR));
                    ++compared;
                }
    EXPECT_EQ(compared, kPages * 20 * 29 * 4);
    // Numbers of the float fields: a plain integer, "-0" keeps its sign, an
    // integer of more digits than an int holds, a lone sign, decimals and an exponent.
    const TCell& first = ref.s.At(1, 0);
    EXPECT_TRUE(first.fontSizeR == 0.0f && std::signbit(first.fontSizeR));
    EXPECT_FLOAT_EQ(first.xAdj, 123.0f);
    EXPECT_EQ(first.yAdj, 0.0f);
    const TCell& second = ref.s.At(0, 0);
    EXPECT_FLOAT_EQ(second.fontSizeR, 1.25f);
    EXPECT_FLOAT_EQ(second.xAdj, 700.0f);
    EXPECT_FLOAT_EQ(second.yAdj, 3.0f);
    EXPECT_EQ(ref.s.At(0, 1).Text, "Title line");
    EXPECT_EQ(ref.s.At(1, 1).CompressNotes.size(), 2u);
    EXPECT_EQ(ref.s.At(1, 0).westChordArray.size(), 2u);
}
