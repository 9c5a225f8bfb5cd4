// Block moves, range clearing, braces, beam groups and staff headers.
#include <gtest/gtest.h>

#include <map>

#include "tests/edit/TQEditFixture.h"

namespace {

// How often each marked cell (Note '1', FontColor = id) occurs on a page of a layer.
std::map<int, int> Census(TEditFixture& fx, int layer = 0) {
    std::map<int, int> out;
    const TPage& page = fx.win.PageSets[layer][0];
    for (int r = 0; r < fx.win.Rows; ++r)
        for (int c = 0; c < fx.win.Cols; ++c)
            if (page[r][c].Note == '1')
                ++out[page[r][c].FontColor];
    return out;
}

} // namespace

TEST(EdMove, BlockMovedOntoItselfOneLineLowerKeepsEveryCellOnce) {
    TEditFixture fx(12, 6);
    int id = 1;
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= 3; ++c)
            fx.Mark(c, r, id++);
    fx.Select(1, 1, 3, 2);
    fx.ed.MoveBlock(1, 2, 0);
    const std::map<int, int> census = Census(fx);
    ASSERT_EQ(census.size(), 6u);
    for (const auto& [cell, count] : census)
        EXPECT_EQ(count, 1) << cell;
    EXPECT_EQ(fx.At(1, 2).FontColor, 1);
    EXPECT_EQ(fx.At(3, 3).FontColor, 6);
    EXPECT_EQ(fx.At(1, 1).Note, 32);
    EXPECT_EQ(fx.win.SelRow0, 2);
    EXPECT_EQ(fx.win.SelRow1, 3);
    EXPECT_TRUE(fx.win.Modified);
    EXPECT_EQ(Undo.UndoList.size(), 2u);
    EXPECT_EQ(Undo.UndoList.back().groupCount, 2);
}

TEST(EdMove, SlurEndsAtTheLineEnd) {
    // 12 columns: column 10 is Cols - 2.
    struct Case {
        const char* what;
        int markCol, markEnd; // the slur cell and its end column
        int c0, c1, to;       // the one-line block and where it goes
        int expectCol, expectEnd;
    } cases[] = {
        {"block starts a slur reaching past Cols-2: the end stays", 2, 11, 2, 4, 1, 1, 11},
        {"block starts a slur ending earlier: the slur moves", 2, 4, 2, 4, 3, 3, 5},
        {"slur from the left ending at Cols-2: the end shifts", 1, 10, 3, 5, 4, 1, 11},
    };
    for (const Case& c : cases) {
        TEditFixture fx(12, 3);
        fx.Row(1, "1 2 3 4 5 6 7 1 2 3 4 5");
        fx.At(c.markCol, 1).markType = 1;
        fx.At(c.markCol, 1).iEnd = c.markEnd;
        fx.Select(c.c0, 1, c.c1, 1);
        fx.ed.MoveBlock(c.to, 1, 0);
        EXPECT_EQ(fx.At(c.expectCol, 1).markType, 1) << c.what;
        EXPECT_EQ(fx.At(c.expectCol, 1).iEnd, c.expectEnd) << c.what;
    }
}

TEST(EdMove, BothLayersMoveIsOneUndoStep) {
    TEditFixture fx(12, 4, 1, 1);
    fx.Mark(1, 1, 1);
    fx.Mark(2, 1, 2, 0, 1);
    const TPageSets before = fx.win.PageSets;
    fx.Select(1, 1, 2, 1);
    fx.ed.MoveBlock(5, 2, 0);
    EXPECT_EQ(fx.At(5, 2).FontColor, 1);
    EXPECT_EQ(fx.At(6, 2, 0, 1).FontColor, 2);
    EXPECT_EQ(fx.At(1, 1).Note, 32);
    EXPECT_EQ(fx.At(2, 1, 0, 1).Note, 32);
    ASSERT_EQ(Undo.UndoList.size(), 4u);
    EXPECT_EQ(Undo.UndoList.back().groupCount, 4);
    Undo.UndoStep();
    EXPECT_TRUE(fx.win.PageSets == before);

    // Unchecked: only the current layer moves.
    fx.win.ApplyToBothLayerChecked = false;
    fx.Select(1, 1, 2, 1);
    fx.ed.MoveBlock(5, 2, 0);
    EXPECT_EQ(fx.At(5, 2).FontColor, 1);
    EXPECT_EQ(fx.At(2, 1, 0, 1).FontColor, 2);
}

TEST(EdMove, MarkEndsAreHeldInsideTheGrid) {
    TEditFixture fx(12, 6);
    TCell& mark = fx.Mark(2, 1, 1);
    mark.markType = 28;
    mark.iEnd = 9;
    mark.jEnd = 3;
    TCell& none = fx.Mark(3, 1, 2);
    none.markType = 1;
    none.iEnd = 5;
    none.jEnd = -1; // no row end
    fx.Select(2, 1, 3, 1);
    fx.ed.MoveBlock(6, 4, 0);
    EXPECT_EQ(fx.At(6, 4).iEnd, 11);
    EXPECT_EQ(fx.At(6, 4).jEnd, 5);
    EXPECT_EQ(fx.At(7, 4).iEnd, 9);
    EXPECT_EQ(fx.At(7, 4).jEnd, -1);
}

TEST(EdMove, RepairBeamGroupsTable) {
    // Option bits 2 (start) and 4 (end) of columns 0..5, before and after.
    struct Case {
        std::vector<uint32_t> before, after;
    } cases[] = {
        {{2, 0, 4, 0, 0, 0}, {2, 0, 4, 0, 0, 0}}, // a whole group stays
        {{0, 4, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}}, // an end without start goes
        {{2, 0, 2, 0, 4, 0}, {0, 0, 2, 0, 4, 0}}, // a start before another start goes
        {{2, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}}, // a group open at the line end goes
        {{6, 4, 0, 0, 0, 0}, {6, 0, 0, 0, 0, 0}}, // both bits make a group of one cell
        {{2, 6, 0, 0, 0, 0}, {0, 6, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        TEditFixture fx(6, 2);
        for (int col = 0; col < 6; ++col)
            fx.At(col, 0).option = c.before[col];
        fx.ed.RepairBeamGroups(0, 0);
        std::vector<uint32_t> got;
        for (int col = 0; col < 6; ++col)
            got.push_back(fx.At(col, 0).option);
        EXPECT_EQ(got, c.after) << ::testing::PrintToString(c.before);
    }
    // Shrunk and grace cells are passed over.
    TEditFixture fx(6, 2);
    fx.At(0, 0).option = 2;
    fx.At(1, 0).option = 4;
    fx.At(1, 0).Attr = 0xA0;
    fx.ed.RepairBeamGroups(0, 0);
    EXPECT_EQ(fx.At(0, 0).option, 0u);
    EXPECT_EQ(fx.At(1, 0).option, 4u);
}

TEST(EdMove, DeleteRangeSavesWholeMeasuresOnWesternLines) {
    TEditFixture fx(12, 3, 1, 1);
    fx.Row(1, "&G W:3@0 W:3@1 | W:3@2 W:3@3 W:3@4 | W:3@5");
    fx.Mark(4, 1, 1, 0, 1);
    fx.Select(4, 1, 5, 1);
    fx.ed.DeleteRange(4, 1, 5, 1);
    EXPECT_EQ(fx.At(4, 1).Note, 32);
    EXPECT_EQ(fx.At(6, 1).Note, 3);
    EXPECT_EQ(fx.At(4, 1, 0, 1).Note, 32); // both layers
    ASSERT_EQ(Undo.UndoList.size(), 2u);
    const TUndoItem& first = Undo.UndoList.front();
    EXPECT_EQ(first.block[0], 3);
    EXPECT_EQ(first.block[2], 7);
    EXPECT_EQ(Undo.UndoList.back().groupCount, 2);
    Undo.UndoStep();
    EXPECT_EQ(fx.At(4, 1).Note, 3);
    EXPECT_EQ(fx.At(4, 1, 0, 1).FontColor, 1);
}

TEST(EdMove, ClearingTheLowerClefEndsTheBrace) {
    TEditFixture fx(8, 4);
    fx.Row(0, "&G{mark=54191118,jEnd=2} W:3@0");
    fx.Row(2, "&F W:3@0");
    fx.Select(0, 2, 1, 2);
    fx.ed.DeleteRange(0, 2, 1, 2);
    EXPECT_EQ(fx.At(0, 0).markType, 0);
    EXPECT_EQ(fx.At(0, 0).jEnd, 0);
    EXPECT_EQ(fx.At(0, 2).Note, 32);
    Undo.UndoStep();
    EXPECT_EQ(fx.At(0, 0).markType, 54191118);
    EXPECT_EQ(fx.At(0, 2).Note, -2);
}

TEST(EdMove, BracesReachTheNextClefAndConnectBarLines) {
    TEditFixture fx(8, 5);
    fx.Row(0, "&G{mark=54191118,jEnd=4} W:3@0 | W:3@0 |:");
    fx.Row(3, "&F W:3@0 | W:3@0 |:");
    fx.ed.RefitBraces();
    EXPECT_EQ(fx.At(0, 0).jEnd, 3);
    fx.ed.RefitBarLinesBelowBrace(1);
    EXPECT_EQ(fx.At(2, 1).Note, 63);
    EXPECT_EQ(fx.At(2, 2).Note, 63);
    EXPECT_EQ(fx.At(4, 2).Note, 60); // a start repeat connects as code 60
    EXPECT_EQ(fx.At(2, 4).Note, 32);
}

TEST(EdMove, StaffHeadersMoveWithinTheirLimits) {
    struct Case {
        const char* clef;
        std::vector<float> offsets; // after each move up
    } cases[] = {
        {"&G", {-1.0f, -2.0f, -2.0f}},
        {"&F", {-1.0f, -1.0f, -1.0f}},
    };
    for (const Case& c : cases) {
        TEditFixture fx(8, 3, 1, 1);
        fx.Row(1, std::string(c.clef) + "{iEnd=6} W:3@2 W:3@0 |");
        fx.At(2, 0, 0, 1) = TScoreFixture::Cell("W:3@4");
        fx.At(2, 1, 0, 1) = TScoreFixture::Cell("W:3@4");
        fx.Select(0, 1, 0, 1);
        for (float expected : c.offsets) {
            fx.ed.ToggleAttribute(saMoveStaffUp);
            EXPECT_FLOAT_EQ(fx.At(0, 1).yAdj, expected) << c.clef;
        }
        const float moved = 2.0f * c.offsets.back();
        EXPECT_FLOAT_EQ(fx.At(1, 1).yAdj, 2.0f + moved) << c.clef;
        EXPECT_FLOAT_EQ(fx.At(2, 1, 0, 1).yAdj, 4.0f + moved) << c.clef; // the twin line too
        EXPECT_FLOAT_EQ(fx.At(2, 0, 0, 1).yAdj, 4.0f) << c.clef;
    }
    // A treble header at 1 moves down only in the keys 6..12.
    for (int key : {3, 8}) {
        TEditFixture fx(8, 3);
        fx.Row(1, "&G/" + std::to_string(key) + "{y=1,iEnd=6}");
        fx.Select(0, 1, 0, 1);
        fx.ed.ToggleAttribute(saMoveStaffDown);
        EXPECT_FLOAT_EQ(fx.At(0, 1).yAdj, key == 8 ? 2.0f : 1.0f);
    }
}

TEST(EdMove, DisplayBitsAndExtendToEndLine) {
    TEditFixture fx(8, 3, 1, 1);
    fx.Row(1, "&G{iEnd=4} W:3@0 W:3@0 &F{iEnd=3}");
    fx.Select(0, 1, 7, 1);
    fx.ed.ToggleAttribute(sbHideClef);
    EXPECT_EQ(fx.At(0, 1).playDur, 4);
    EXPECT_EQ(fx.At(3, 1).playDur, 4);
    fx.ed.ToggleAttribute(sbHideClef);
    EXPECT_EQ(fx.At(0, 1).playDur, 0);
    fx.ed.ToggleAttribute(saExtendToEndLine);
    EXPECT_EQ(fx.At(0, 1).iEnd, 8);
    EXPECT_EQ(fx.At(3, 1).iEnd, 3); // a clef change inside the line keeps its end
    EXPECT_EQ(Undo.UndoList.size(), 3u);

    CurLayer = 1;
    fx.ed.ToggleAttribute(sbHideClef);
    EXPECT_EQ(fx.At(0, 1).playDur, 0);
    EXPECT_EQ(Undo.UndoList.size(), 3u);
}
