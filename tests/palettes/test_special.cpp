#include <gtest/gtest.h>

#include <cmath>

#include "edit/modTQCursorKeys.h"
#include "edit/modTQWestEntry.h"
#include "palettes/modTQPaletteHooks.h"
#include "palettes/modTQSpecial.h"
#include "tests/palettes/TQPaletteFixture.h"

namespace {

class SpecialTest : public ::testing::Test {
protected:
    void SetUp() override { SymbolPosition() = spBottom; }
    void TearDown() override {
        AltDown = ShiftDown = CtrlDown = false;
        ChordNoteIndex = 0;
        SymbolPosition() = spBottom;
        PaletteHooks().HeldModifiers = nullptr;
        PaletteHooks().ChosenNote = nullptr;
    }
    TPaletteFixture fx;
};

TEST_F(SpecialTest, ASharpOnOneJianpuNoteTogglesItsAccidental) {
    fx.Row(1, "1 2 ~ ~");
    fx.Select(0, 1, 0, 1);
    InsertSpecialSymbol(14);
    EXPECT_EQ(fx.At(0, 1).Attr & 0xF, 1u);
    EXPECT_EQ(fx.At(0, 1).cellType, 0);
    InsertSpecialSymbol(14);
    EXPECT_EQ(fx.At(0, 1).Attr & 0xF, 0u);
    Undo.UndoStep();
    EXPECT_EQ(fx.At(0, 1).Attr & 0xF, 1u);
    // Two notes selected: neither changes.
    fx.Select(0, 1, 1, 1);
    InsertSpecialSymbol(15);
    EXPECT_EQ(fx.At(0, 1).Attr & 0xF, 1u);
    EXPECT_EQ(fx.At(1, 1).Attr & 0xF, 0u);
    // Two empty cells become symbol cells holding the code at the bottom.
    fx.Select(2, 1, 3, 1);
    InsertSpecialSymbol(14);
    for (int col : {2, 3}) {
        EXPECT_EQ(fx.At(col, 1).cellType, ctSymbol);
        EXPECT_EQ(fx.At(col, 1).Note, 14);
    }
}

TEST_F(SpecialTest, AnAccidentalOnAWesternRowMakesWesternCells) {
    fx.Row(0, "&G ~ ~");
    fx.Select(1, 0, 2, 0);
    InsertSpecialSymbol(14);
    EXPECT_EQ(fx.At(1, 0).cellType, ctWestern);
    EXPECT_EQ(fx.At(2, 0).Note, 14);
}

TEST_F(SpecialTest, StemStrokesOnWesternAndJianpuNotes) {
    fx.Row(0, "&G W:4 W:4");
    fx.Row(1, "1 2");
    // The Western note command gives the focus back to the main window.
    int westernCommands = 0;
    WestEntryHooks().FocusMainWindow = [&] { ++westernCommands; };
    // A Jianpu note counts its strokes in option bits 0x400 and 0x800: 0 -> 3 -> 2.
    fx.Select(0, 1, 0, 1);
    InsertSpecialSymbol(34);
    EXPECT_EQ(fx.At(0, 1).option & 0xC00u, 0xC00u);
    InsertSpecialSymbol(34);
    EXPECT_EQ(fx.At(0, 1).option & 0xC00u, 0x800u);
    EXPECT_EQ(westernCommands, 0);
    // A Western note runs the Western stem-stroke command: the note steps, the
    // cell stays Western, and one undo step takes it back.
    fx.Select(1, 0, 1, 0);
    const TCell before = fx.At(1, 0);
    InsertSpecialSymbol(34);
    EXPECT_EQ(westernCommands, 1);
    EXPECT_EQ(fx.At(1, 0).cellType, ctWestern);
    EXPECT_EQ(fx.At(1, 0).Note, before.Note);
    EXPECT_NE(fx.At(1, 0).option, before.option);
    EXPECT_EQ(fx.At(1, 0).FontColor, before.FontColor);
    EXPECT_EQ(fx.At(1, 0).upNote, before.upNote);
    Undo.UndoStep();
    EXPECT_EQ(fx.At(1, 0).option, before.option);
    EXPECT_EQ(fx.At(0, 1).option & 0xC00u, 0x800u);
    WestEntryHooks().FocusMainWindow = nullptr;
}

TEST_F(SpecialTest, StackedSlotsFollowThePositionButtonsAndModifiers) {
    TModifierKeys held;
    PaletteHooks().HeldModifiers = [&] { return held; };
    fx.Select(0, 0, 0, 0);
    SymbolPosition() = spTop;
    InsertSpecialSymbol(7);
    EXPECT_EQ(fx.At(0, 0).upNote, 7);
    InsertSpecialSymbol(8);
    InsertSpecialSymbol(10);
    EXPECT_EQ(fx.At(0, 0).Note, 8);
    EXPECT_EQ(fx.At(0, 0).FontColor, 10);
    InsertSpecialSymbol(13); // all three full: the top is overwritten
    EXPECT_EQ(fx.At(0, 0).upNote, 13);
    EXPECT_EQ(fx.At(0, 0).Note, 8);

    SymbolPosition() = spBottom;
    held.alt = true; // forces the top whatever button is down
    fx.Select(1, 0, 1, 0);
    InsertSpecialSymbol(7);
    EXPECT_EQ(fx.At(1, 0).upNote, 7);
    EXPECT_EQ(fx.At(1, 0).Note, 32);
    held = {};
    InsertSpecialSymbol(10000); // a percussion syllable goes to Note
    EXPECT_EQ(fx.At(1, 0).Note, 10000);
}

TEST_F(SpecialTest, NoteFlagsToggleOnNotes) {
    fx.Row(0, "1 2");
    fx.Select(0, 0, 1, 0);
    InsertSpecialSymbol(9);
    EXPECT_EQ(fx.At(0, 0).option & 0x20u, 0x20u);
    EXPECT_EQ(fx.At(1, 0).option & 0x20u, 0x20u);
    InsertSpecialSymbol(9);
    EXPECT_EQ(fx.At(0, 0).option & 0x20u, 0u);
    EXPECT_EQ(fx.At(0, 0).cellType, 0);
    uint32_t option = 0;
    std::vector<uint32_t> strokes;
    for (int i = 0; i < 4; ++i) {
        option = ApplyNoteFlagSymbol(34, option);
        strokes.push_back((option >> 10) & 3);
    }
    EXPECT_EQ(strokes, (std::vector<uint32_t>{3, 2, 1, 0}));
    EXPECT_EQ(ApplyNoteFlagSymbol(183, 0), 0x40000u);
    EXPECT_EQ(ApplyNoteFlagSymbol(5, 7), 7u);
}

TEST_F(SpecialTest, DeletingTheLastSymbolsEmptiesTheCell) {
    fx.Row(0, "S:14/7");
    fx.Select(0, 0, 0, 0);
    DeleteSymbolSlot(-1);
    EXPECT_EQ(fx.At(0, 0).Note, 32);
    // Only the middle slot still holds a symbol: the cell is plain again.
    EXPECT_EQ(fx.At(0, 0).cellType, 0);
    EXPECT_EQ(fx.At(0, 0).FontColor, 7);
    fx.Row(1, "S:14/32/9");
    fx.Select(0, 1, 0, 1);
    DeleteSymbolSlot(1);
    EXPECT_EQ(fx.At(0, 1).cellType, ctSymbol);
    DeleteSymbolSlot(-1);
    EXPECT_EQ(fx.At(0, 1).cellType, 0);
}

TEST_F(SpecialTest, AttributeNibblesOnChordAndSmallNotes) {
    int chosen = 0;
    PaletteHooks().ChosenNote = [&] { return chosen; };
    fx.Row(0, "W:3@2+2+2");
    fx.At(0, 0).option = 0x800000;
    fx.Select(0, 0, 0, 0);
    ToggleNoteAttr(16);
    EXPECT_EQ(fx.At(0, 0).Attr & 0xF0, 16u);
    EXPECT_EQ(fx.At(0, 0).westChordArray[0].attr & 0xF0, 16u);
    EXPECT_EQ(fx.At(0, 0).option & 0x800000u, 0u);
    chosen = 3; // the second chord note alone
    ToggleNoteAttr(16);
    EXPECT_EQ(fx.At(0, 0).westChordArray[1].attr & 0xF0, 0u);
    EXPECT_EQ(fx.At(0, 0).westChordArray[0].attr & 0xF0, 16u);
    chosen = 9; // beyond the chord: nothing
    ToggleNoteAttr(32);
    EXPECT_EQ(fx.At(0, 0).Attr & 0xF0, 16u);
}

TEST_F(SpecialTest, OctaveDotsOnJianpuCells) {
    fx.Row(0, "3 5");
    fx.At(0, 0).upNote = '5';
    fx.At(1, 0).upNote = '2';
    fx.Select(0, 0, 1, 0);
    SetOctaveDots(1);
    EXPECT_EQ(fx.At(0, 0).dot, 1);
    EXPECT_EQ(fx.At(0, 0).option, 1u); // upper degree higher: same octave
    EXPECT_EQ(fx.At(1, 0).option, 2u); // lower: one more
    Undo.UndoStep();
    EXPECT_EQ(fx.At(0, 0).dot, 0);
}

// Without hooks the commands read the main window's own key state.
TEST_F(SpecialTest, TheMainWindowsKeyFlagsChooseSlotAndNote) {
    fx.Row(1, "~ ~");
    fx.Select(0, 1, 0, 1);
    AltDown = true; // Alt forces the top slot, and is let go afterwards
    ShiftDown = true;
    InsertSpecialSymbol(7);
    EXPECT_EQ(fx.At(0, 1).upNote, 7);
    EXPECT_EQ(fx.At(0, 1).Note, 32);
    EXPECT_FALSE(AltDown);
    EXPECT_TRUE(ShiftDown);
    ShiftDown = false;
    InsertSpecialSymbol(8);
    EXPECT_EQ(fx.At(0, 1).Note, 8);

    // Ctrl held chooses the first chord note (selector 2) of a Western chord.
    fx.Row(0, "W:3@2+2+2");
    fx.Select(0, 0, 0, 0);
    CtrlDown = true;
    ToggleNoteAttr(16);
    EXPECT_EQ(fx.At(0, 0).westChordArray[0].attr & 0xF0, 16u);
    EXPECT_EQ(fx.At(0, 0).westChordArray[1].attr & 0xF0, 0u);
    EXPECT_EQ(fx.At(0, 0).Attr & 0xF0, 0u);
    EXPECT_EQ(ChordNoteIndex, 2);
}

TEST_F(SpecialTest, OctaveDotsOnSmallNotesGoToTheChosenOneOrToAll) {
    int chosen = 2;
    PaletteHooks().ChosenNote = [&] { return chosen; };
    fx.Row(0, "1");
    for (int code : {'1', '2', '3'}) {
        TCompressNote n;
        n.code = code;
        fx.At(0, 0).CompressNotes.push_back(n);
    }
    fx.Select(0, 0, 0, 0);
    SetOctaveDots(-1);
    EXPECT_EQ(fx.At(0, 0).CompressNotes[0].octave, 0);
    EXPECT_EQ(fx.At(0, 0).CompressNotes[1].octave, -1);
    chosen = 0;
    SetOctaveDots(2);
    for (const TCompressNote& n : fx.At(0, 0).CompressNotes) EXPECT_EQ(n.octave, 2);
    chosen = 5; // no such note: nothing
    SetOctaveDots(0);
    EXPECT_EQ(fx.At(0, 0).CompressNotes[1].octave, 2);
    Undo.UndoStep();
    Undo.UndoStep();
    EXPECT_EQ(fx.At(0, 0).CompressNotes[1].octave, -1);
}

TEST_F(SpecialTest, OctaveDotsOnAWesternRowShiftTheNotesOnce) {
    fx.Row(0, "&G W:3 W:3");
    const float y1 = fx.At(1, 0).yAdj, y2 = fx.At(2, 0).yAdj;
    fx.Select(1, 0, 2, 0);
    SetOctaveDots(1); // one octave up: seven staff steps, once for the selection
    EXPECT_FLOAT_EQ(std::abs(fx.At(1, 0).yAdj - y1), 7.0f);
    EXPECT_FLOAT_EQ(fx.At(2, 0).yAdj - y2, fx.At(1, 0).yAdj - y1);
    EXPECT_EQ(fx.At(1, 0).dot, 0);
    Undo.UndoStep(); // one step takes the whole change back
    EXPECT_FLOAT_EQ(fx.At(1, 0).yAdj, y1);
    EXPECT_FLOAT_EQ(fx.At(2, 0).yAdj, y2);
    EXPECT_TRUE(Undo.UndoList.empty());
}

} // namespace
