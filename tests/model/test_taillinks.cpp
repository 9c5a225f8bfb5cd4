// Unlinking combined tails: beamed groups of one row and tails joined across a
// grand staff.
#include <gtest/gtest.h>

#include "model/modTQGroup.h"
#include "model/modTQTailLinks.h"
#include "model/modTQUndo.h"
#include "tests/support/TQScoreFixture.h"

namespace {

class TailLinksTest : public ::testing::Test {
protected:
    void SetUp() override {
        Undo.BothLayers = false;
        Undo.ClearUndoFiles();
    }
    void TearDown() override { Undo.ClearUndoFiles(); }
};

// A grand staff: the brace on row 1 joins the treble staff (row 1) with the
// bass staff (row 3). The eighth at column 3 of the treble staff has its tail
// joined with the eighth two rows below (option 0x100 / 0x200, dot 2 / -2).
void GrandStaff(TScoreFixture& fx) {
    fx.Row(1, "~{mark=54191118,jEnd=3} &G W:4@2{opt=0x100,dot=2} W:4@3{opt=0x100,dot=2} W:22 W:3@1 | W:4@2");
    fx.Row(3, "~ &F W:4@-2{opt=0x200,dot=-2} W:4@-3{opt=0x200,dot=-2} W:22 W:3 | W:4");
}

} // namespace

TEST_F(TailLinksTest, ClearTailLinksClearsGroupFlagsAndRowOffsets) {
    TScoreFixture fx(12, 4);
    fx.Row(0, "&G W:4{opt=0x2} W:4 W:4{opt=0x4} W:4{opt=0x100,dot=2} W:4{opt=0x6}");
    ClearTailLinks(2, 0, 4, 0);
    EXPECT_EQ(fx.At(1, 0).option, 0x2u); // outside the rectangle
    EXPECT_EQ(fx.At(3, 0).option, 0x0u);
    EXPECT_EQ(fx.At(4, 0).option, 0x100u); // the joined-tail flag is not a group flag ...
    EXPECT_EQ(fx.At(4, 0).dot, 0);         // ... but its row offset goes
    EXPECT_EQ(fx.At(5, 0).option, 0x6u);

    ClearTailLinks(5, 0, 1, 0); // columns the wrong way round: nothing
    EXPECT_EQ(fx.At(5, 0).option, 0x6u);
    ClearTailLinks(0, 0, 100, 100); // reaching past the grid is safe
    EXPECT_EQ(fx.At(5, 0).option, 0x0u);
}

TEST_F(TailLinksTest, DecombineTailGroupDissolvesTheBeamedGroup) {
    TScoreFixture fx(12, 4);
    fx.Row(0, "&G W:4{opt=0x2,dot=1} W:5 W:4{opt=0x4} W:4 W:4{opt=0x2} W:4{opt=0x4}");
    Undo.SaveRows(0, 0, false);
    EXPECT_EQ(DecombineTailGroup(2, 0), 3);
    for (int c = 1; c <= 3; ++c) {
        EXPECT_EQ(fx.At(c, 0).option & 0x6u, 0u) << c;
        EXPECT_EQ(fx.At(c, 0).dot, 0) << c;
    }
    EXPECT_EQ(fx.At(5, 0).option, 0x2u); // the next group stays
    EXPECT_EQ(DecombineTailGroup(4, 0), -1); // not in a group any more
    Undo.UndoStep();
    EXPECT_EQ(fx.At(1, 0).option, 0x2u);
    EXPECT_EQ(fx.At(1, 0).dot, 1);
    EXPECT_EQ(fx.At(3, 0).option, 0x4u);
}

TEST_F(TailLinksTest, DecombineGFTailUnlinksTheGrandStaffPairWithUndo) {
    TScoreFixture fx(12, 6);
    GrandStaff(fx);
    GetRowGroup(1, -1);
    ASSERT_GE(GroupRows.size(), 2u);

    EXPECT_EQ(DecombineGFTail(2, 1), 0);
    EXPECT_EQ(fx.At(2, 1).option, 0u);
    EXPECT_EQ(fx.At(2, 3).option, 0u);
    EXPECT_EQ(fx.At(2, 1).dot, 2); // the offsets stay; only the link goes
    EXPECT_EQ(fx.At(3, 1).option, 0x100u);
    ASSERT_EQ(Undo.UndoList.size(), 1u);
    EXPECT_EQ(Undo.UndoList.back().block[1], 1);
    EXPECT_EQ(Undo.UndoList.back().block[3], 3);
    EXPECT_EQ(Undo.UndoList.back().otherLayerStart, -1);

    Undo.UndoStep();
    EXPECT_EQ(fx.At(2, 1).option, 0x100u);
    EXPECT_EQ(fx.At(2, 3).option, 0x200u);

    // From the lower staff, asking at the rests next to the joined eighths:
    // the joined note is found, but the rests have no tail.
    EXPECT_EQ(DecombineGFTail(4, 3), 1);
    EXPECT_EQ(fx.At(3, 3).option, 0x200u);
    EXPECT_EQ(DecombineGFTail(3, 3), 0);
    EXPECT_EQ(fx.At(3, 1).option, 0u);
    EXPECT_EQ(fx.At(3, 3).option, 0u);
}

TEST_F(TailLinksTest, DecombineGFTailOutsideAGrandStaffChangesNothing) {
    struct Case {
        const char* what;
        const char* row1;
        const char* row3;
        int col, row, want;
    };
    const Case cases[] = {
        {"Jianpu row", "1 2 3 4 | 5 6 7 1", "1 2 3 4 | 5 6 7 1", 2, 1, 2},
        {"one Western staff", "&G W:4@2{opt=0x100,dot=2} W:4", "", 1, 1, 2},
        {"joined note found only beyond a bar line",
         "~{mark=54191118,jEnd=3} &G W:3 | W:4{opt=0x100,dot=2}", "~ &F W:3 | W:4{opt=0x200,dot=-2}", 2, 1, 2},
        {"a quarter at the column", "~{mark=54191118,jEnd=3} &G W:3{opt=0x100,dot=2}",
         "~ &F W:3{opt=0x200,dot=-2}", 2, 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TScoreFixture fx(12, 6);
        fx.Row(1, c.row1);
        if (*c.row3)
            fx.Row(3, c.row3);
        const TPage before = fx.Score().PageSets[0][0];
        EXPECT_EQ(DecombineGFTail(c.col, c.row), c.want);
        EXPECT_TRUE(fx.Score().PageSets[0][0] == before);
        EXPECT_TRUE(Undo.UndoList.empty());
    }
}

TEST(TailGroupEnds, StartAndEndColumnsOfTheGroupAroundAColumn) {
    TScoreFixture fx(12, 2);
    // 1..4 a group, 5 a group of its own small notes, 6..7 a cross-staff pair,
    // 8..9 a second group
    fx.Row(0, "&G W:4{opt=2} W:4 W:4 W:4{opt=4} W:4{opt=6} W:4{opt=0x100} W:4{opt=0x200} W:4{opt=2} W:4{opt=4}");
    struct Case {
        int col, start, end;
    };
    const Case cases[] = {
        {1, 1, -1},  // a start: the walk right begins on a start, as the cell drawer asks from the next column
        {2, 1, 4},   // inside
        {4, 1, 4},   // the end finds its own start
        {5, -1, -1}, // a cell's own group is passed over; the end on its left and the
                     // cross-staff mark on its right stop the walks
        {7, -1, -1}, // cross-staff marks stop both walks
        {9, 8, 9},
        {0, -1, -1}, // walking right from before a group meets its start first
        {10, -1, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CombineTailStartCol(c.col, 0), c.start) << c.col;
        EXPECT_EQ(CombineTailEndCol(c.col, 0), c.end) << c.col;
    }
}
