// The combine-tail command and the automatic grouping of Western rows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "edit/modTQCombineTail.h"
#include "edit/modTQWestBeaming.h"
#include "model/modTQUndo.h"
#include "tests/render/TQViewFixture.h"

namespace {

// A fixture with an undo list of its own and a count of page redraws.
struct TCombineFixture {
    TViewFixture fx{10, 4};
    int redraws = 0;
    TCombineFixture() {
        Undo.ClearUndoFiles();
        fx.view.OnPageDrawn = [this] { ++redraws; };
    }
    ~TCombineFixture() { Undo.ClearUndoFiles(); }
    void Select(int c0, int r0, int c1, int r1) {
        fx.view.SelCol0 = c0;
        fx.view.SelRow0 = r0;
        fx.view.SelCol1 = c1;
        fx.view.SelRow1 = r1;
    }
    // The cells of rows 0..2 without the positions drawing leaves in them.
    std::vector<TCell> Rows() {
        std::vector<TCell> out;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 10; ++c) {
                TCell cell = fx.At(c, r);
                cell.upNote = cell.FontStyle = cell.FontCharset = 0;
                out.push_back(cell);
            }
        return out;
    }
    void Run() { CombineTails(&fx.view.DrawEngine); }
};

void AddSmallNotes(TCell& cell, int n) {
    for (int k = 0; k < n; ++k) {
        TCompressNote note;
        note.code = 4;
        note.value = k;
        cell.CompressNotes.push_back(note);
    }
}

} // namespace

TEST(CombineTail, OneColumnOnAPlainNoteChangesNothingButIsAnEdit) {
    TCombineFixture t;
    t.fx.Row(1, "&G W:4@0 W:4@1");
    t.Select(1, 1, 1, 1);
    const auto before = t.Rows();
    t.Run();
    EXPECT_EQ(t.Rows(), before);
    EXPECT_EQ(Undo.UndoList.size(), 1u);
    EXPECT_TRUE(t.fx.view.Modified);
    EXPECT_GE(t.redraws, 1);
}

TEST(CombineTail, GraceCellBeamsItsSmallNotes) {
    TCombineFixture t;
    t.fx.Row(1, "&G W:4@0");
    TCell& g = t.fx.At(1, 1);
    g.Attr = 0xC0;
    AddSmallNotes(g, 3);
    t.Select(1, 1, 1, 1);
    const auto before = t.Rows();
    t.Run();
    const TCell& after = t.fx.At(1, 1);
    EXPECT_EQ(after.option & 0x6u, 0x6u);
    EXPECT_EQ(after.CompressNotes[0].option, 0x2u);
    EXPECT_EQ(after.CompressNotes[1].option, 0u);
    EXPECT_EQ(after.CompressNotes[2].option, 0x4u);
    Undo.UndoStep();
    EXPECT_EQ(t.Rows(), before);
}

TEST(CombineTail, TrebleAndBassRowsGetACrossStaffGroup) {
    TCombineFixture t;
    t.fx.Row(0, "&G W:3@0 W:4@0{opt=0x1} W:4@1 W:4@2 W:3@0");
    t.fx.Row(2, "&F ~ ~ W:4@0 W:4@1 ~ W:5@0");
    t.Select(0, 0, 9, 3);
    const auto before = t.Rows();
    t.Run();
    // Treble: eighths in 2..4; bass: 3..4 (the sixteenth at 6 too).
    EXPECT_EQ(t.fx.At(2, 0).option & 0x301u, 0x100u); // start, stem down
    EXPECT_EQ(t.fx.At(4, 0).option & 0x301u, 0x200u);
    EXPECT_EQ(t.fx.At(3, 2).option & 0x301u, 0x101u); // start, stem up
    const TCell& end = t.fx.At(6, 2);
    EXPECT_EQ(end.option & 0x301u, 0x201u);
    EXPECT_EQ(end.dot, 0 - 2);
    EXPECT_EQ(end.UL, 2 - 6);
    // The selection: both rows, first to last beamable note.
    EXPECT_EQ(t.fx.view.SelCol0, 2);
    EXPECT_EQ(t.fx.view.SelCol1, 6);
    EXPECT_EQ(t.fx.view.SelRow0, 0);
    EXPECT_EQ(t.fx.view.SelRow1, 2);
    EXPECT_TRUE(t.fx.view.Modified);
    Undo.UndoStep();
    EXPECT_EQ(t.Rows(), before);
}

TEST(CombineTail, AltoClefAboveRunsTheAutomaticGrouping) {
    TCombineFixture t;
    t.fx.Row(0, "&C W:4@0 W:4@1 W:4@2");
    t.fx.Row(2, "&F W:4@0 W:4@1 W:4@-1");
    t.Select(0, 0, 9, 2);
    const auto before = t.Rows();
    t.Run();
    for (int row : {0, 2}) {
        EXPECT_EQ(t.fx.At(1, row).option & 0x306u, 0x2u) << row;
        EXPECT_EQ(t.fx.At(2, row).option & 0x306u, 0u) << row;
        EXPECT_EQ(t.fx.At(3, row).option & 0x306u, 0x4u) << row;
    }
    // The trimmed columns come back.
    EXPECT_EQ(t.fx.view.SelCol0, 0);
    EXPECT_EQ(t.fx.view.SelCol1, 3);
    Undo.UndoStep();
    EXPECT_EQ(t.Rows(), before);
}

TEST(WestBeaming, GroupsEndAtLongNotesBarLinesAndTheLimit) {
    struct Case {
        const char* row;
        int limit;
        const char* marks; // per column from 1: 's' start, 'e' end, '.' none
    };
    const Case cases[] = {
        {"&G W:4 W:4 W:3 W:4 W:4", 1000000, "se.se"}, {"&G W:4 W:4 | W:4 W:4", 1000000, "se.se"},
        {"&G W:4 W:23 W:4 W:4", 1000000, "s..e"},     // a rest neither joins nor ends
        {"&G W:5 W:5 W:5 W:5 W:5 W:5", 32, "sesese"}, // every two sixteenths (16 each) reach 32
        {"&G W:4 W:3 W:4", 1000000, "..."},           // lone eighths stay
    };
    for (const Case& c : cases) {
        TViewFixture fx(10, 3);
        fx.Row(1, c.row);
        AutoCombineTails(0, 1, 9, 1, c.limit);
        std::string got;
        for (int col = 1; col <= static_cast<int>(std::string(c.marks).size()); ++col) {
            const uint32_t o = fx.At(col, 1).option & 0x6u;
            got += o == 0x2u ? 's' : o == 0x4u ? 'e' : o == 0 ? '.' : '?';
        }
        EXPECT_EQ(got, c.marks) << c.row;
    }
}

TEST(WestBeaming, GroupStemDirectionFromTheExtremePositions) {
    struct Case {
        int lo, hi;
        bool flipped;
    };
    const Case cases[] = {{2, 3, true},  {-3, -2, false}, {-3, 2, false},
                          {-2, 3, true}, {0, 1, true},    {-1, 0, false}};
    for (const Case& c : cases) {
        TViewFixture fx(10, 3);
        fx.Row(1, "&G W:4@" + std::to_string(c.lo) + " W:4@" + std::to_string(c.hi) + "{opt=0x1} W:23");
        SetGroupStemDirection(1, 3, 1, fx.view.PageSets[0][0][1]);
        EXPECT_EQ((fx.At(1, 1).option & 1u) != 0, c.flipped) << c.lo << " " << c.hi;
        EXPECT_EQ((fx.At(2, 1).option & 1u) != 0, c.flipped) << c.lo << " " << c.hi;
        EXPECT_EQ(fx.At(3, 1).option & 1u, 0u); // the rest keeps its stem bit
    }
}

TEST(WestBeaming, FlipStemsTurnsTheWholeGroup) {
    TViewFixture fx(10, 3);
    fx.Row(1, "&G W:4{opt=0x2} W:4 W:4{opt=0x4} W:4");
    EXPECT_EQ(FlipStemsInRow(2, 1, fx.view.PageSets[0][0][1], false), 3);
    for (int c = 1; c <= 3; ++c)
        EXPECT_EQ(fx.At(c, 1).option & 1u, 1u) << c;
    EXPECT_EQ(fx.At(4, 1).option & 1u, 0u);
    EXPECT_EQ(FlipStemsInRow(4, 1, fx.view.PageSets[0][0][1], false), 4);
    EXPECT_EQ(fx.At(4, 1).option & 1u, 1u);
    EXPECT_TRUE(fx.view.Modified);
}

TEST(Selection, TrimToTheColumnsThatHoldCells) {
    TViewFixture fx(10, 3);
    fx.Row(1, "~ ~ W:4 ~ W:4 ~");
    fx.view.SelCol0 = 0;
    fx.view.SelCol1 = 8;
    fx.view.SelRow0 = 0;
    fx.view.SelRow1 = 2;
    fx.view.TrimSelection();
    EXPECT_EQ(fx.view.SelCol0, 2);
    EXPECT_EQ(fx.view.SelCol1, 4);
    // Blank rows leave the columns as they are.
    fx.view.SelRow0 = fx.view.SelRow1 = 2;
    fx.view.SelCol0 = 1;
    fx.view.SelCol1 = 7;
    fx.view.TrimSelection();
    EXPECT_EQ(fx.view.SelCol0, 1);
    EXPECT_EQ(fx.view.SelCol1, 7);
}
