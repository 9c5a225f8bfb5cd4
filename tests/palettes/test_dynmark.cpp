#include <gtest/gtest.h>

#include "palettes/modTQDynMark.h"
#include "palettes/modTQPaletteHooks.h"
#include "tests/palettes/TQPaletteFixture.h"

namespace {

TEST(DynamicMarks, ACrescendoGoesIntoTheFirstCellOnlyAndUndoesInOneStep) {
    TPaletteFixture fx;
    fx.Row(2, "1 2 3 4 5 6 7 1 2 3");
    fx.Select(3, 2, 8, 2);
    InsertMark(4, true);
    EXPECT_EQ(fx.At(3, 2).markType, 4);
    EXPECT_EQ(fx.At(3, 2).iEnd, 8);
    EXPECT_EQ(fx.At(3, 2).jEnd, 2);
    for (int col = 4; col <= 8; ++col) EXPECT_EQ(fx.At(col, 2).markType, 0);
    EXPECT_EQ(Undo.UndoList.size(), 1u);
    Undo.UndoStep();
    EXPECT_EQ(fx.At(3, 2).markType, 0);
    EXPECT_EQ(fx.At(3, 2).iEnd, -1);
}

TEST(DynamicMarks, BarLineKindsAndTheGrandStaffBrace) {
    TPaletteFixture fx(16, 6, 1, 1);
    fx.Row(0, "&G 1").Row(3, "&F 1");
    CurLayer = 1;
    fx.Select(0, 0, 0, 3);
    InsertMark(29, true);
    EXPECT_EQ(CurLayer, 0);
    EXPECT_EQ(fx.At(0, 0).markType, kGrandStaffBrace);
    EXPECT_EQ(fx.At(0, 0).jEnd, 3);
    // The same kind on ordinary cells is a plain mark.
    fx.Select(1, 0, 2, 3);
    InsertMark(29, true);
    EXPECT_EQ(fx.At(1, 0).markType, 29);
    EXPECT_EQ(fx.At(1, 0).iEnd, 2);
    // Kind 30 spans rows and leaves iEnd alone.
    fx.At(5, 1).iEnd = 7;
    fx.Select(5, 1, 9, 4);
    InsertMark(30, true);
    EXPECT_EQ(fx.At(5, 1).iEnd, 7);
    EXPECT_EQ(fx.At(5, 1).jEnd, 4);
}

TEST(DynamicMarks, AdjustmentsFollowTheModifierKeys) {
    TPaletteFixture fx;
    TModifierKeys held;
    PaletteHooks().HeldModifiers = [&] { return held; };
    fx.Row(0, "1 2");
    fx.At(0, 0).markType = 4;
    fx.At(0, 0).markHAdj = 98;
    fx.Select(0, 0, 1, 0);
    held.shift = true;
    ChangeMarkHeight(1);
    EXPECT_EQ(fx.At(0, 0).markHAdj, 100);
    MoveMarkEnd(1); // Shift alone does not multiply here
    EXPECT_EQ(fx.At(0, 0).EndYAdj, 1);
    MoveMark(-1);
    EXPECT_EQ(fx.At(0, 0).MarkY, -5);
    held = {};
    ChangeMarkWidth(2);
    EXPECT_EQ(fx.At(0, 0).markWAdj, 2);
    EXPECT_EQ(fx.At(1, 0).markWAdj, 0); // no mark there
    MoveMark(0);
    EXPECT_EQ(fx.At(0, 0).MarkY, 0);
    EXPECT_EQ(fx.At(0, 0).EndYAdj, 0);
    ChangeMarkWidth(0);
    EXPECT_EQ(fx.At(0, 0).markWAdj, 0);
    EXPECT_EQ(fx.At(0, 0).markHAdj, 0);
    held.ctrl = true;
    ChangeMarkHeight(-30);
    EXPECT_EQ(fx.At(0, 0).markHAdj, -100);
    PaletteHooks().HeldModifiers = nullptr;
}

TEST(DynamicMarks, DeleteAndFlip) {
    TPaletteFixture fx;
    fx.Row(0, "1 N:-1");
    for (int col : {0, 1}) {
        fx.At(col, 0).markType = 4;
        fx.At(col, 0).iEnd = 5;
        fx.At(col, 0).jEnd = 0;
        fx.At(col, 0).MarkY = 3;
        fx.At(col, 0).AdvPlay = {50, 60, 70, 0};
    }
    fx.Select(0, 0, 1, 0);
    FlipMark(false);
    EXPECT_EQ(fx.At(0, 0).option & 0x80000u, 0x80000u);
    FlipMark(false);
    EXPECT_EQ(fx.At(0, 0).option & 0x80000u, 0u);
    fx.At(0, 0).markType = 66;
    FlipMark(true);
    EXPECT_EQ(fx.At(0, 0).option & 0x80000u, 0u);
    DeleteMark();
    EXPECT_EQ(fx.At(0, 0).markType, 0);
    EXPECT_EQ(fx.At(0, 0).iEnd, -1);
    EXPECT_EQ(fx.At(1, 0).iEnd, 5); // Note -1 keeps its end column
    EXPECT_EQ(fx.At(1, 0).jEnd, -1);
    EXPECT_EQ(fx.At(1, 0).MarkY, 0);
    EXPECT_EQ(fx.At(1, 0).AdvPlay, (std::array<uint8_t, 4>{100, 100, 100, 0}));
}

TEST(DynamicMarks, FlippingASlurOnAChordFollowsTheChosenNote) {
    TPaletteFixture fx;
    fx.Row(0, "&G W:3@2+2+2");
    fx.At(1, 0).markType = 56;
    fx.Select(1, 0, 1, 0);
    int chosen = 0;
    PaletteHooks().ChosenNote = [&] { return chosen; };
    struct Case {
        int chosen;
        uint32_t main, first, second;
    } cases[] = {
        {1, 0x80000, 0, 0}, // the main note
        {2, 0x80000, 0x80000, 0},
        {3, 0x80000, 0x80000, 0x80000},
        {4, 0x80000, 0x80000, 0x80000}, // beyond the chord: nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        chosen = c.chosen;
        FlipMark(false);
        EXPECT_EQ(fx.At(1, 0).option & 0x80000u, c.main);
        EXPECT_EQ(fx.At(1, 0).westChordArray[0].option & 0x80000u, c.first);
        EXPECT_EQ(fx.At(1, 0).westChordArray[1].option & 0x80000u, c.second);
    }
    Undo.UndoStep();
    EXPECT_EQ(fx.At(1, 0).westChordArray[1].option & 0x80000u, 0x80000u);
    Undo.UndoStep();
    EXPECT_EQ(fx.At(1, 0).westChordArray[1].option & 0x80000u, 0u);
    PaletteHooks().ChosenNote = nullptr;
}

TEST(DynamicMarks, MultiMeasureRestAcceptsOneTo999Bars) {
    struct Case {
        const char* answer;
        int count;
    } cases[] = {{"0", 0}, {"1000", 0}, {"", 0}, {"x", 0}, {"-3", 0}, {"12a", 0},
                 {"1", 1}, {" 8 ", 8}, {"999", 999}};
    for (const Case& c : cases) EXPECT_EQ(ParseMeasureCount(c.answer), c.count) << c.answer;
    TPaletteFixture fx;
    fx.Select(2, 1, 5, 1);
    EXPECT_FALSE(InsertMultiMeasureRest(0));
    EXPECT_FALSE(InsertMultiMeasureRest(1000));
    EXPECT_TRUE(Undo.UndoList.empty());
    EXPECT_EQ(fx.At(2, 1).markType, 0);
    EXPECT_TRUE(InsertMultiMeasureRest(12));
    EXPECT_EQ(fx.At(2, 1).markType, 87);
    EXPECT_EQ(fx.At(2, 1).markHAdj, 12);
    Undo.UndoStep();
    EXPECT_EQ(fx.At(2, 1).markType, 0);
    EXPECT_EQ(fx.At(2, 1).markHAdj, 0);
}

TEST(DynamicMarks, ChordsWithAndWithoutArpeggio) {
    TPaletteFixture fx;
    fx.Row(0, "1 4 5'");
    fx.Select(0, 0, 2, 0);
    AddChords(3, true);
    const TCell& c = fx.At(0, 0);
    ASSERT_EQ(c.CompressNotes.size(), 3u);
    EXPECT_EQ(c.CompressNotes[0].code, '1');
    EXPECT_EQ(c.CompressNotes[1].code, '5');
    EXPECT_EQ(c.CompressNotes[1].octave, 0);
    EXPECT_EQ(c.CompressNotes[2].code, '1');
    EXPECT_EQ(c.CompressNotes[2].octave, 1);
    EXPECT_EQ(c.Note, 32);
    EXPECT_EQ(c.Attr, 0xB0u);
    EXPECT_EQ(c.markType, 25);
    EXPECT_EQ(c.MarkY, -4);
    EXPECT_EQ(c.EndYAdj, 1);
    EXPECT_EQ(fx.At(1, 0).Note, '4'); // '4' makes no chord
    EXPECT_EQ(fx.At(1, 0).markType, 0);

    TCell seven = TScoreFixture::Cell("5'");
    ASSERT_TRUE(MakeJianpuChord(seven, 7));
    std::vector<int> codes, octaves;
    for (const auto& n : seven.CompressNotes) {
        codes.push_back(n.code);
        octaves.push_back(n.octave);
    }
    EXPECT_EQ(codes, (std::vector<int>{'5', '1', '3', '5', '1', '3', '5'}));
    EXPECT_EQ(octaves, (std::vector<int>{1, 2, 2, 2, 3, 3, 3}));
    EXPECT_EQ(fx.At(2, 0).CompressNotes.size(), 3u);
    AddChords(4, false);
    EXPECT_EQ(Undo.UndoList.size(), 2u);
}

} // namespace
