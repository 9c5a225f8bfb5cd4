// Part breakdown: staves chosen from every system packed onto new pages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "edit/modTQBreakdown.h"
#include "tests/edit/TQEditFixture.h"

namespace {

// What stands at column `col` of rows 0..n-1 of page 0: the Western note's staff
// position (its yAdj) for a note, else the code.
std::vector<int> Column(TEditFixture& fx, int col, int n, int page = 0) {
    std::vector<int> out;
    for (int r = 0; r < n; ++r) {
        const TCell& c = fx.At(col, r, page);
        out.push_back(c.cellType == ctWestern && c.Note > 0 ? int(c.yAdj) : c.Note);
    }
    return out;
}

// Two systems of four Western staves (rows 2-5 and 8-11) under a title; staff
// k of system s holds a note at position 10 s + k.
void FourStaffScore(TEditFixture& fx, int page = 0) {
    fx.Row(0, "\"Title\"", page);
    for (int s = 0; s < 2; ++s)
        for (int k = 1; k <= 4; ++k) {
            const int row = 2 + 6 * s + (k - 1);
            fx.Row(row, "&G{iEnd=59} W:3@" + std::to_string(10 * s + k) + " |", page);
        }
}

TBreakdown Breakdown(int rule, const std::string& pick, bool pre = false, bool follow = false) {
    TBreakdown b;
    b.Options.Rule = rule;
    b.Options.Pick = pick;
    b.Options.Pre = pre;
    b.Options.Follow = follow;
    return b;
}

// The first cell where two layers differ, or success.
::testing::AssertionResult SameLayer(const TLayer& a, const TLayer& b) {
    if (a.size() != b.size())
        return ::testing::AssertionFailure() << a.size() << " pages, not " << b.size();
    for (size_t p = 0; p < a.size(); ++p)
        for (size_t r = 0; r < a[p].size() && r < b[p].size(); ++r)
            for (size_t c = 0; c < a[p][r].size() && c < b[p][r].size(); ++c)
                if (!(a[p][r][c] == b[p][r][c]))
                    return ::testing::AssertionFailure() << "page " << p << " row " << r << " col " << c;
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(Breakdown, LineNumbersKeepThoseStavesJoinedByAMark) {
    TEditFixture fx(0, 0, 1); // the paper's grid, which an undo snapshot keeps
    FourStaffScore(fx);
    fx.win.FileName = "/music/song.mus";

    TBreakdown b = Breakdown(0, "1,3");
    ASSERT_TRUE(b.ExtractParts(0));

    // Title, the row above the first system left out, then staves 1 and 3 of
    // each system with two empty rows after each system.
    EXPECT_EQ(Column(fx, 1, 10), (std::vector<int>{32, 32, 1, 3, 32, 32, 11, 13, 32, 32}));
    EXPECT_EQ(fx.At(0, 0).Text, "Title");
    EXPECT_EQ(fx.At(0, 2).markType, 30);
    EXPECT_EQ(fx.At(0, 2).jEnd, 3);
    EXPECT_EQ(fx.At(0, 6).markType, 30);
    EXPECT_EQ(fx.At(0, 6).jEnd, 7);
    EXPECT_EQ(fx.win.FileName, "/music/song1_3.mus");
    EXPECT_TRUE(fx.win.Modified);
    EXPECT_TRUE(fx.win.ForceSaveAs);
    EXPECT_EQ(fx.win.CurPage, 0);
    EXPECT_TRUE(fx.messages.shown.empty());

    Undo.UndoStep();
    EXPECT_EQ(Column(fx, 1, 12), (std::vector<int>{32, 32, 1, 2, 3, 4, 32, 32, 11, 12, 13, 14}));
    EXPECT_EQ(fx.At(0, 0).Text, "Title");
    EXPECT_EQ(fx.At(0, 2).markType, 0);
}

TEST(Breakdown, ASingleJianpuPartMarksItsStartAndBlanksBarCodes) {
    TEditFixture fx(20, 12);
    fx.Row(2, "| 1 2 3 4 | 5 6 7 1 |");
    fx.Row(3, "| 3 4 5 6 | 7 1 2 3 |");
    fx.Row(4, "\"la\" ~ ~ ~ ~ N:108 ~ ~ ~ ~ N:73");
    TBreakdown b = Breakdown(0, "2", true, true);
    ASSERT_TRUE(b.ExtractParts(0));
    // Row 2: the line above the part (staff 1) loses its bar codes; row 3: the
    // part keeps its start and bars; row 4: the line below loses its bar codes.
    EXPECT_EQ(Column(fx, 0, 5), (std::vector<int>{32, 32, 32, 63, 32}));
    EXPECT_EQ(Column(fx, 5, 5), (std::vector<int>{32, 32, 32, 63, 32}));
    EXPECT_EQ(Column(fx, 10, 5), (std::vector<int>{32, 32, 32, 63, 32}));
    EXPECT_EQ(fx.At(1, 2).Note, '1');
    EXPECT_EQ(fx.At(0, 4).Text, "la");
    EXPECT_EQ(fx.At(0, 3).scratch, 0);
    EXPECT_EQ(fx.win.FileName, "2");
}

TEST(Breakdown, FailuresLeaveTheScoreAlone) {
    struct Case {
        const char* name;
        int rule;
        const char* pick;
        bool modified;
        int message;
    };
    const std::vector<Case> cases = {
        {"modified score", 0, "1", true, 1038},
        {"no numbers", 0, "", false, 1410},
        {"a zero", 2, "1,0", false, 1410},
        {"no names", 1, "", false, 1409},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TEditFixture fx(20, 14);
        FourStaffScore(fx);
        fx.win.Modified = k.modified;
        const TPageSets before = fx.win.PageSets;
        TBreakdown b = Breakdown(k.rule, k.pick);
        if (BreakdownMayStart()) {
            EXPECT_FALSE(ApplyBreakdown(b));
        }
        ASSERT_EQ(fx.messages.shown.size(), 1u);
        EXPECT_EQ(fx.messages.shown[0].id, k.message);
        EXPECT_TRUE(SameLayer(fx.win.PageSets[0], before[0]));
        EXPECT_TRUE(Undo.UndoList.empty());
    }
}

TEST(Breakdown, ALineNumberBeyondTheSystemIsAMissingPart) {
    TEditFixture fx(20, 14);
    FourStaffScore(fx);
    TBreakdown b = Breakdown(0, "2,17");
    ASSERT_TRUE(b.ExtractParts(0));
    ASSERT_EQ(fx.messages.shown.size(), 1u);
    EXPECT_EQ(fx.messages.shown[0].id, 1042);
    EXPECT_EQ(Undo.UndoList.size(), 1u);
}

TEST(Breakdown, HighlightedStavesAndPageOverflow) {
    // Three two-staff systems on a short page: the second output system does
    // not fit and starts a new page whose row 0 stays empty.
    TEditFixture fx(20, 10);
    for (int s = 0; s < 3; ++s)
        for (int k = 0; k < 2; ++k)
            fx.Row(1 + 3 * s + k, "&G{iEnd=19} W:3@" + std::to_string(10 * s + k) + " |");
    for (int s = 0; s < 3; ++s)
        fx.win.AddHighlight(0, fx.win.Cols - 1, 2 + 3 * s); // the lower staff of each system
    fx.win.FileName = "song.mus";
    TBreakdown b = Breakdown(3, "ignored", true, true);
    ASSERT_TRUE(b.ExtractParts(3));
    EXPECT_TRUE(fx.win.Highlights.empty());
    EXPECT_EQ(fx.win.FileName, "song_parts.mus");
    ASSERT_GE(fx.win.PageSets[0].size(), 2u);
    EXPECT_FLOAT_EQ(fx.At(1, 2).yAdj, 1.0f); // page 0: pre line (upper staff), then the part
    EXPECT_EQ(Column(fx, 1, 1, 1), (std::vector<int>{32}));
    EXPECT_TRUE(fx.messages.shown.empty());
}

TEST(Breakdown, ASingleJianpuPartWithoutItsOwnBarGetsTheStartBar) {
    // The system's bar line is a mark on the first staff reaching the second;
    // the second staff has no bar of its own at the start column.
    TEditFixture fx(20, 12);
    fx.Row(2, "~{mark=28,jEnd=3} 1 2 3 4 | 5 6 7 1 |");
    fx.Row(3, "~ 3 4 5 6 | 7 1 2 3 |");
    TBreakdown b = Breakdown(0, "2");
    ASSERT_TRUE(b.ExtractParts(0));
    EXPECT_TRUE(fx.messages.shown.empty());
    EXPECT_EQ(fx.At(0, 2).Note, 63);     // '?' stands at the start column
    EXPECT_EQ(fx.At(0, 2).scratch, 0);   // and the cleaning marker is gone
    EXPECT_EQ(fx.At(1, 2).Note, '3');
    EXPECT_EQ(fx.At(5, 2).Note, 63);
    EXPECT_EQ(fx.At(0, 2).markType, 0);
}

TEST(Breakdown, InstrumentNamesPickTheirStaves) {
    TEditFixture fx(20, 12);
    for (int s = 0; s < 2; ++s) {
        fx.Row(1 + 3 * s, "\"Violin\" &G{iEnd=19} W:3@" + std::to_string(10 * s + 1) + " |");
        fx.Row(2 + 3 * s, "\"Cello\" &F{iEnd=19} W:3@" + std::to_string(10 * s + 2) + " |");
    }
    fx.win.FileName = "quartet.mus";
    TBreakdown b = Breakdown(1, "Cello");
    ASSERT_TRUE(b.ExtractParts(1));
    EXPECT_TRUE(fx.messages.shown.empty());
    EXPECT_EQ(fx.win.FileName, "quartetCello.mus");
    EXPECT_FLOAT_EQ(fx.At(2, 1).yAdj, 2.0f);
    EXPECT_FLOAT_EQ(fx.At(2, 4).yAdj, 12.0f);
    EXPECT_EQ(fx.At(0, 1).Text, "Cello");

    // A name no system has is a missing part: reported after the walk.
    TEditFixture other(20, 12);
    other.Row(1, "\"Violin\" &G{iEnd=19} W:3@1 |");
    other.Row(2, "\"Cello\" &F{iEnd=19} W:3@2 |");
    TBreakdown missing = Breakdown(1, "Viola");
    ASSERT_TRUE(missing.ExtractParts(1));
    ASSERT_EQ(other.messages.shown.size(), 1u);
    EXPECT_EQ(other.messages.shown[0].id, 1042);
}
