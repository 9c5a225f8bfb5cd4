// Packing Jianpu notes into one cell and laying them out again.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "edit/modTQJianpu.h"
#include "model/modTQUndo.h"
#include "tests/support/TQScoreFixture.h"

namespace {

void Select(TMainScore& s, int col0, int row0, int col1, int row1) {
    s.SelCol0 = col0;
    s.SelRow0 = row0;
    s.SelCol1 = col1;
    s.SelRow1 = row1;
}

std::vector<int> Octaves(const TCell& c) {
    std::vector<int> out;
    for (const TCompressNote& n : c.CompressNotes)
        out.push_back(n.octave);
    return out;
}

std::vector<int> Codes(const TCell& c) {
    std::vector<int> out;
    for (const TCompressNote& n : c.CompressNotes)
        out.push_back(n.code);
    return out;
}

class JianpuPacking : public ::testing::Test {
protected:
    void SetUp() override { Undo.ClearUndoFiles(); }
    void TearDown() override { Undo.ClearUndoFiles(); }
};

} // namespace

TEST_F(JianpuPacking, VerticalChordStacksOctavesUpward) {
    struct Case {
        const char* picture;
        std::vector<int> codes;
        std::vector<int> octaves;
    } cases[] = {
        {"1 3 5", {'1', '3', '5'}, {0, 0, 0}},
        {"5 3", {'5', '3'}, {0, 1}},
        {"5 3 1", {'5', '3', '1'}, {0, 1, 2}},
        {"1 1'' 3", {'1', '1', '3'}, {0, 2, 2}}, // a note's own dots win when higher
        {"1 ~ #4", {'1', '4'}, {0, 0}},          // the blank before an accidental is skipped
    };
    for (const Case& c : cases) {
        TScoreFixture fx(10, 3);
        fx.Row(1, c.picture);
        const std::string picture = c.picture;
        const int last = int(std::count(picture.begin(), picture.end(), ' ')); // one cell per token
        Select(fx.Score(), 0, 1, last, 2);
        ASSERT_TRUE(JianpuEditor.MakeVerticalNotes()) << c.picture;
        const TCell& chord = fx.At(0, 1);
        EXPECT_EQ(chord.Attr & 0xF0, 0xB0u) << c.picture;
        EXPECT_EQ(Codes(chord), c.codes) << c.picture;
        EXPECT_EQ(Octaves(chord), c.octaves) << c.picture;
        EXPECT_EQ(chord.shrinkRate, 15);
        EXPECT_EQ(fx.At(1, 1).Note, 32);
        EXPECT_EQ(fx.Score().SelRow1, 1); // one line high
        EXPECT_EQ(Undo.UndoList.size(), 1u);
        Undo.ClearUndoFiles();
    }
}

TEST_F(JianpuPacking, VerticalChordStartsAfterLeadingBlanksAndRefusesPackedCells) {
    TScoreFixture fx(10, 3);
    fx.Row(1, "~ ~ 2 4");
    Select(fx.Score(), 0, 1, 3, 1);
    ASSERT_TRUE(JianpuEditor.MakeVerticalNotes());
    EXPECT_EQ(fx.Score().SelCol0, 2);
    EXPECT_EQ(Codes(fx.At(2, 1)), (std::vector<int>{'2', '4'}));

    Select(fx.Score(), 2, 1, 3, 1);
    EXPECT_FALSE(JianpuEditor.MakeVerticalNotes());
    EXPECT_FALSE(JianpuEditor.ShrinkSelectedNotes());
    EXPECT_EQ(Undo.UndoList.size(), 1u);
}

TEST_F(JianpuPacking, ShrinkThenExpandRestoresNotesAndSlur) {
    TScoreFixture fx(12, 3);
    fx.Row(1, "| #1_{mark=1,iEnd=3} 2'_ 3,_ |");
    const std::vector<TCell> before{fx.At(1, 1), fx.At(2, 1), fx.At(3, 1)};
    Select(fx.Score(), 1, 1, 3, 1);
    ASSERT_TRUE(JianpuEditor.ShrinkSelectedNotes());
    const TCell& packed = fx.At(1, 1);
    EXPECT_EQ(packed.Attr & 0xF0, 0xA0u);
    ASSERT_EQ(packed.CompressNotes.size(), 3u);
    EXPECT_EQ(packed.CompressNotes[0].option & 0xC0000000u, 0x40000000u);
    EXPECT_EQ(packed.CompressNotes[2].option & 0xC0000000u, 0x80000000u);
    EXPECT_EQ(fx.At(2, 1).Note, 32);

    Select(fx.Score(), 1, 1, 1, 1);
    ASSERT_TRUE(JianpuEditor.ExpandPackedCell());
    for (int i = 0; i < 3; ++i) {
        const TCell& now = fx.At(1 + i, 1);
        EXPECT_EQ(now.Note, before[i].Note) << i;
        EXPECT_EQ(now.Attr, before[i].Attr) << i;
        EXPECT_EQ(now.dot, before[i].dot) << i;
        EXPECT_EQ(now.UL, before[i].UL) << i;
        EXPECT_EQ(now.option, before[i].option) << i;
        EXPECT_TRUE(now.CompressNotes.empty()) << i;
    }
    EXPECT_EQ(fx.At(1, 1).markType, 1);
    EXPECT_EQ(fx.At(1, 1).iEnd, 3);
    EXPECT_EQ(fx.At(2, 1).markType, 0);
    EXPECT_EQ(fx.At(4, 1).Note, 63);
}

TEST_F(JianpuPacking, ExpandUsesFreeCellsToTheLeftOrRefuses) {
    TScoreFixture fx(8, 3);
    fx.Row(1, "1 ~ ~ 5 6");
    TCell& packed = fx.At(3, 1);
    packed.Attr = 0xA0;
    packed.CompressNotes = {{'2', 0, 0, 0, 0}, {'3', 0, 0, 0, 0}, {'4', 0, 0, 0, 0}};
    Select(fx.Score(), 3, 1, 3, 1);
    ASSERT_TRUE(JianpuEditor.ExpandPackedCell());
    std::vector<int> row;
    for (int c = 0; c < 5; ++c)
        row.push_back(fx.At(c, 1).Note);
    EXPECT_EQ(row, (std::vector<int>{'1', '2', '3', '4', '6'}));

    // No free run of four cells: nothing changes and nothing is saved for undo.
    TScoreFixture fx2(8, 3);
    fx2.Row(1, "1 ~ 5 6 ~ 7");
    TCell& p2 = fx2.At(2, 1);
    p2.Attr = 0xA0;
    p2.CompressNotes = {{'2', 0, 0, 0, 0}, {'3', 0, 0, 0, 0}, {'4', 0, 0, 0, 0}, {'5', 0, 0, 0, 0}};
    const TPage page = fx2.Score().PageSets[0][0];
    Undo.ClearUndoFiles();
    Select(fx2.Score(), 2, 1, 2, 1);
    EXPECT_FALSE(JianpuEditor.ExpandPackedCell());
    EXPECT_EQ(fx2.Score().PageSets[0][0], page);
    EXPECT_TRUE(Undo.UndoList.empty());

    // Nor past the last column.
    TScoreFixture fx3(4, 3);
    fx3.Row(1, "1 2 ~ 3");
    TCell& p3 = fx3.At(3, 1);
    p3.Attr = 0xB0;
    p3.CompressNotes = {{'3', 0, 0, 0, 0}, {'5', 0, 0, 0, 0}, {'7', 0, 0, 0, 0}};
    const TPage page3 = fx3.Score().PageSets[0][0];
    Select(fx3.Score(), 3, 1, 3, 1);
    EXPECT_FALSE(JianpuEditor.ExpandPackedCell());
    EXPECT_EQ(fx3.Score().PageSets[0][0], page3);
}

TEST_F(JianpuPacking, GraceGroupAndGraceChord) {
    TScoreFixture fx(8, 3);
    fx.Row(1, "1_ 2_ 3");
    Select(fx.Score(), 0, 1, 1, 1);
    ASSERT_TRUE(JianpuEditor.MakeGraceGroup(0xC0));
    EXPECT_EQ(fx.At(0, 1).Attr & 0xF0, 0xC0u);
    EXPECT_EQ(Codes(fx.At(0, 1)), (std::vector<int>{'1', '2'}));
    EXPECT_EQ(fx.At(1, 1).Note, 32);
    EXPECT_EQ(fx.At(2, 1).Note, '3');

    ASSERT_TRUE(JianpuEditor.MakeGraceGroup(0xC0)); // already packed: a grace chord
    EXPECT_NE(fx.At(0, 1).option & 0x10000000u, 0u);
    EXPECT_FLOAT_EQ(fx.At(0, 1).fontSizeR, 0.8f);
    EXPECT_FLOAT_EQ(fx.At(0, 1).yAdj, -7.0f);

    Select(fx.Score(), 0, 1, 0, 1);
    ASSERT_TRUE(JianpuEditor.ExpandPackedCell());
    EXPECT_EQ(fx.At(0, 1).Note, '1');
    EXPECT_EQ(fx.At(1, 1).Note, '2');
    EXPECT_EQ(fx.At(0, 1).Attr & 0xF0, 0u);
    EXPECT_FLOAT_EQ(fx.At(0, 1).yAdj, 0.0f);
    EXPECT_EQ(fx.At(0, 1).option & 0x10000000u, 0u);
}

TEST_F(JianpuPacking, ThirdsAndDroppingNotes) {
    TScoreFixture fx(8, 3);
    fx.Row(1, "5 ~");
    Select(fx.Score(), 0, 1, 0, 1);
    JianpuEditor.AddThirdToChord();
    JianpuEditor.AddThirdToChord();
    const TCell& c = fx.At(0, 1);
    EXPECT_EQ(c.Attr & 0xF0, 0xB0u);
    EXPECT_EQ(Codes(c), (std::vector<int>{'5', '7', '2'}));
    EXPECT_EQ(Octaves(c), (std::vector<int>{0, 0, 1}));
    EXPECT_TRUE(fx.Score().Modified);
    EXPECT_EQ(Undo.UndoList.size(), 2u);

    TCell copy = c;
    JianpuEditor.DropLastCompressNote(copy);
    EXPECT_EQ(Codes(copy), (std::vector<int>{'5', '7'}));
    JianpuEditor.DropLastCompressNote(copy);
    EXPECT_TRUE(copy.CompressNotes.empty());
    EXPECT_EQ(copy.Note, '5');
    EXPECT_EQ(copy.Attr & 0xF0, 0u);
}

TEST_F(JianpuPacking, FlatFontMakesOneNoteCellsAndBack) {
    TScoreFixture fx(8, 3);
    fx.Row(1, "#2' - | ~");
    Select(fx.Score(), 0, 1, 3, 2);
    ASSERT_TRUE(JianpuEditor.ApplyFlatFont());
    EXPECT_EQ(fx.Score().SelRow1, 1);
    ASSERT_EQ(fx.At(0, 1).CompressNotes.size(), 1u);
    EXPECT_EQ(fx.At(0, 1).CompressNotes[0].octave, 1);
    EXPECT_EQ(fx.At(0, 1).Attr, 0xB1u);
    ASSERT_EQ(fx.At(1, 1).CompressNotes.size(), 1u); // the dash too
    EXPECT_TRUE(fx.At(2, 1).CompressNotes.empty());  // not the bar line
    EXPECT_TRUE(fx.At(3, 1).CompressNotes.empty());  // nor the blank cell

    ASSERT_TRUE(JianpuEditor.ApplyFlatFont());
    EXPECT_TRUE(fx.At(0, 1).CompressNotes.empty());
    EXPECT_EQ(fx.At(0, 1).Attr, 1u);

    Select(fx.Score(), 3, 1, 2, 1);
    EXPECT_FALSE(JianpuEditor.ApplyFlatFont());
    EXPECT_EQ(fx.Score().SelCol1, 3);
}
