// Western note entry: notes, clefs, bar lines, staff positions of typed keys,
// the clef change that keeps pitches, and the command dispatcher.
#include <gtest/gtest.h>

#include <string>

#include "edit/modTQCursorKeys.h"
#include "edit/modTQWestEntry.h"
#include "model/modTQPredicates.h"
#include "model/modTQUndo.h"
#include "tests/edit/TQEditFixture.h"

namespace {

constexpr const char* kBrace = "54191118";

struct TKeys {
    TKeys(bool alt, bool ctrl, bool shift, int index = 0) {
        AltDown = alt, CtrlDown = ctrl, ShiftDown = shift, ChordNoteIndex = index;
    }
    ~TKeys() { AltDown = CtrlDown = ShiftDown = false, ChordNoteIndex = 0; }
};

TEST(WestEntry, TypedLetterEntersANoteAndMovesTheCursor) {
    TEditFixture fx(12, 4);
    fx.Row(1, "&G ~ ~ | ~ ~");
    fx.Select(1, 1, 1, 1);
    EXPECT_EQ(LetterToStaffPos('c'), 6);
    EXPECT_EQ(LetterToStaffPos('C'), 13);
    EXPECT_TRUE(AddWestNoteOrProp(fx.win.DefaultNoteKind + 3, true, float(LetterToStaffPos('c')), true));
    EXPECT_EQ(fx.At(1, 1).cellType, 8);
    EXPECT_EQ(fx.At(1, 1).Note, 3);
    EXPECT_FLOAT_EQ(fx.At(1, 1).yAdj, 6.0f);
    EXPECT_EQ(fx.win.SelCol0, 2);
    EXPECT_TRUE(fx.win.Modified);
    // the next note jumps the bar line at column 3
    AddWestNoteOrProp(4, true, 2.0f, true);
    EXPECT_EQ(fx.At(2, 1).Note, 4);
    EXPECT_EQ(fx.win.SelCol0, 4);
    // a letter typed over a note only moves it
    fx.Select(1, 1, 1, 1);
    AddWestNoteOrProp(3, true, 2.0f, true);
    fx.Select(2, 1, 2, 1);
    AddWestNoteOrProp(3, true, -1.0f, true);
    EXPECT_EQ(fx.At(2, 1).Note, 4);
    EXPECT_FLOAT_EQ(fx.At(2, 1).yAdj, -1.0f);
    // a 1/128 note leaves the cursor where it is
    fx.Select(5, 1, 5, 1);
    EXPECT_FALSE(AddWestNoteOrProp(8, true, 0.0f, true));
    EXPECT_EQ(fx.At(5, 1).Note, 8);
    EXPECT_EQ(fx.win.SelCol0, 5);
    // undo takes the note back
    Undo.UndoStep();
    EXPECT_EQ(fx.At(5, 1).Note, 32);
}

TEST(WestEntry, WholeNoteClearsTheStemFlip) {
    TEditFixture fx(12, 4);
    fx.Row(1, "&G ~ W:3@4{opt=0x1}");
    fx.Select(2, 1, 2, 1);
    AddWestNoteOrProp(1, true, kNoPosition, true);
    EXPECT_EQ(fx.At(2, 1).Note, 1);
    EXPECT_EQ(fx.At(2, 1).option & 0x1u, 0u);
    EXPECT_FLOAT_EQ(fx.At(2, 1).yAdj, 4.0f);
}

TEST(WestEntry, StaffPositionsOfLettersAndDegrees) {
    struct TCase {
        const char* header;
        std::string letters; // positions of c d e f g a b
        int c, b;
        int degree1; // DegreeToStaffPos(1)
    };
    const TCase cases[] = {
        {"&G", "6 5 4 3 2 1 0", 6, 0, 6},
        {"&F", "1 0 -1 -2 -3 -4 -5", 1, -5, 1},
        {"&C", "0 -1 -2 -3 -4 -5 -6", 0, -6, 7},
        {"&T", "-2 -3 -4 -5 -6 -7 -8", -2, -8, 5},
        {"&G/1", "", 6, 0, 2},
        {"&F/1", "", 1, -5, 4},
        {"&G/6", "", 6, 0, 3},
        {"&F/6", "", 1, -5, 5},
        {"&G/7", "", 6, 0, 0},
        {"&F/7", "", 1, -5, 2},
    };
    for (const TCase& t : cases) {
        SCOPED_TRACE(t.header);
        TEditFixture fx(12, 4);
        fx.Row(0, std::string(t.header) + " ~ ~");
        fx.Select(2, 0, 2, 0);
        if (!t.letters.empty()) {
            std::string got;
            for (char ch : std::string("cdefgab"))
                got += (got.empty() ? "" : " ") + std::to_string(LetterToStaffPos(ch));
            EXPECT_EQ(got, t.letters);
        }
        EXPECT_EQ(LetterToStaffPos('c'), t.c);
        EXPECT_EQ(LetterToStaffPos('b'), t.b);
        EXPECT_EQ(DegreeToStaffPos(1), t.degree1);
    }
    TEditFixture fx(12, 4);
    fx.Row(0, "~ ~ ~");
    fx.Select(2, 0, 2, 0);
    EXPECT_EQ(LetterToStaffPos('c'), 0);
    EXPECT_EQ(DegreeToStaffPos(3), 0);
    fx.Row(1, "&G{y=1} ~");
    fx.Select(1, 1, 1, 1);
    EXPECT_EQ(LetterToStaffPos('c'), 8); // a staff moved a line down
}

TEST(WestEntry, BarLineReachesEveryRowOfAGrandStaff) {
    TEditFixture fx(12, 6);
    fx.Row(1, std::string("&G{mark=") + kBrace + ",jEnd=3} W:3@0 ~ ~");
    fx.Row(3, "&F W:3@0 ~ ~");
    fx.Select(2, 1, 2, 1);
    AddWestNoteOrProp(58, true, kNoPosition, true);
    EXPECT_EQ(fx.At(2, 1).Note, 58);
    EXPECT_EQ(fx.At(2, 2).Note, 60);
    EXPECT_EQ(fx.At(2, 3).Note, 58);
    Undo.UndoStep();
    for (int r = 1; r <= 3; ++r)
        EXPECT_EQ(fx.At(2, r).Note, 32) << r;
    fx.Select(3, 3, 3, 3);
    AddWestNoteOrProp(59, true, kNoPosition, true);
    EXPECT_EQ(fx.At(3, 1).Note, 59);
    EXPECT_EQ(fx.At(3, 2).Note, 61);
    // a single staff row takes the bar line in its own cell
    fx.Row(5, "&G ~ ~");
    fx.Select(1, 5, 1, 5);
    AddWestNoteOrProp(63, true, kNoPosition, true);
    EXPECT_EQ(fx.At(1, 5).Note, 63);
    EXPECT_EQ(fx.At(1, 5).cellType, 8);
}

TEST(WestEntry, ClefPlacedAndChanged) {
    TEditFixture fx(12, 4);
    fx.win.CurKey = 2;
    fx.Select(0, 1, 9, 1);
    AddWestNoteOrProp(-1, true, kNoPosition, true);
    EXPECT_EQ(fx.At(0, 1).Note, -1);
    EXPECT_EQ(fx.At(0, 1).iEnd, 9);
    EXPECT_EQ(fx.At(0, 1).Attr, 2u);
    // one selected clef cell keeps its fields and takes the key
    fx.At(0, 1).iEnd = 7;
    fx.win.CurKey = 3;
    fx.Select(0, 1, 0, 1);
    AddWestNoteOrProp(-2, true, kNoPosition, true);
    EXPECT_EQ(fx.At(0, 1).Note, -2);
    EXPECT_EQ(fx.At(0, 1).Attr, 3u);
    EXPECT_EQ(fx.At(0, 1).iEnd, 7);
}

TEST(SetRowClef, KeepsPitches) {
    TEditFixture fx(12, 4);
    fx.Row(1, "&G W:3@0 W:4@3 W:3@-2");
    int old = 0;
    fx.Select(0, 1, 0, 1);
    SetRowClef(0, 1, -2, old, true);
    EXPECT_EQ(old, -1);
    EXPECT_EQ(fx.At(0, 1).Note, -2);
    EXPECT_FLOAT_EQ(fx.At(1, 1).yAdj, -12.0f); // B4 above the bass staff
    EXPECT_FLOAT_EQ(fx.At(2, 1).yAdj, -9.0f);
    old = 0;
    SetRowClef(0, 1, -1, old, true);
    EXPECT_FLOAT_EQ(fx.At(1, 1).yAdj, 0.0f);
    EXPECT_FLOAT_EQ(fx.At(2, 1).yAdj, 3.0f);
    // alto and tenor keep the pitch too; the drum clef changes nothing
    old = 0;
    SetRowClef(0, 1, -3, old, true);
    EXPECT_FLOAT_EQ(fx.At(1, 1).yAdj, -6.0f);
    old = 0;
    SetRowClef(0, 1, -5, old, true);
    EXPECT_FLOAT_EQ(fx.At(1, 1).yAdj, -8.0f);
    old = 0;
    SetRowClef(0, 1, -4, old, true);
    EXPECT_EQ(fx.At(0, 1).Note, -5);
    EXPECT_FLOAT_EQ(fx.At(1, 1).yAdj, -8.0f);
}

TEST(SetRowClef, ClefInsideARowAndStemsBelowTheMiddle) {
    TEditFixture fx(12, 4);
    fx.Row(1, "&G W:3@0 ~ W:4@3 W:4@-4");
    fx.Select(3, 1, 4, 1);
    ChangeClef(-2);
    EXPECT_EQ(fx.At(2, 1).Note, -2); // the free cell left of the selection
    EXPECT_EQ(fx.At(2, 1).playDur & 0x1, 0x1);
    EXPECT_FLOAT_EQ(fx.At(2, 1).fontSizeR, 0.7f);
    EXPECT_FLOAT_EQ(fx.At(1, 1).yAdj, 0.0f);
    EXPECT_FLOAT_EQ(fx.At(3, 1).yAdj, -9.0f);
    EXPECT_FLOAT_EQ(fx.At(4, 1).yAdj, -16.0f);
    EXPECT_EQ(fx.At(3, 1).option & 0x1u, 0x1u); // was below the middle line
    EXPECT_EQ(fx.At(4, 1).option & 0x1u, 0u);
    EXPECT_TRUE(SelectionHasOtherClef(-1) == false);
    fx.Select(2, 1, 4, 1);
    EXPECT_TRUE(SelectionHasOtherClef(-1));
    EXPECT_FALSE(SelectionHasOtherClef(-2));
    // no free cell and a note next to the selection: the note is not overwritten
    TEditFixture fy(12, 4);
    fy.Row(1, "&G W:3@0 W:4@3");
    fy.Select(2, 1, 2, 1);
    ChangeClef(-2);
    EXPECT_EQ(fy.At(2, 1).Note, 4);
    EXPECT_FLOAT_EQ(fy.At(2, 1).yAdj, 3.0f);
}

// A clef asked for between the header and the staff's first note changes the
// staff's own clef: no second clef is written into the header's cells, where
// it stood over the header's clef and key signature.
TEST(SetRowClef, ABassClefBeforeTheFirstNoteIsTheStaffsClef) {
    struct TCase {
        int col0, col1;
    };
    for (const TCase& k : {TCase{1, 1}, TCase{2, 3}, TCase{4, 5}, TCase{3, 4}}) {
        TEditFixture fx(12, 4);
        fx.Row(1, "&G/2 ~ ~ ~ W:3@0 W:4@3");
        fx.Select(k.col0, 1, k.col1, 1);
        ChangeClef(-2);
        const std::string where = "selection " + std::to_string(k.col0) + ".." + std::to_string(k.col1);
        EXPECT_EQ(fx.At(0, 1).Note, -2) << where;
        EXPECT_EQ(fx.At(0, 1).Attr, 2u) << where; // the key signature stays
        for (int c = 1; c <= 3; ++c)
            EXPECT_FALSE(IsClefCell(fx.At(c, 1))) << where << ", column " << c;
        EXPECT_FLOAT_EQ(fx.At(4, 1).yAdj, -12.0f) << where; // B4, now above the bass staff
        EXPECT_FLOAT_EQ(fx.At(5, 1).yAdj, -9.0f) << where;
    }
}

TEST(WestNoteCommand, ValueButtonOverThreeCellsLeavesTheCursor) {
    TEditFixture fx(12, 4);
    fx.Row(1, "&G ~ ~ ~ ~");
    fx.Select(1, 1, 3, 1);
    EXPECT_TRUE(AddWestNoteOrProp(4, true, kNoPosition, true));
    for (int c = 1; c <= 3; ++c)
        EXPECT_EQ(fx.At(c, 1).Note, 4) << c;
    EXPECT_EQ(fx.win.SelCol0, 1);
    EXPECT_EQ(fx.win.SelCol1, 3);
}

TEST(WestNoteCommand, DashesDotsAndFlags) {
    TEditFixture fx(12, 4);
    fx.Row(1, "~ ~ ~ ~");
    fx.Select(0, 1, 2, 1);
    AddWestNoteOrProp(13, true, kNoPosition, true);
    for (int c = 0; c <= 2; ++c)
        EXPECT_EQ(fx.At(c, 1).Note, -106) << c;
    // the dot button on a blank cell right of a note dots that note
    fx.Row(2, "&G W:3@0 ~");
    fx.Select(2, 2, 2, 2);
    AddWestNoteOrProp(49, true, kNoPosition, true);
    EXPECT_EQ(fx.At(1, 2).option & 0x8u, 0x8u);
    EXPECT_EQ(fx.At(2, 2).Note, 32);
    AddWestNoteOrProp(49, true, kNoPosition, true);
    EXPECT_EQ(fx.At(1, 2).option & 0x48u, 0x40u);
    // 105 after 128 clears 128, 128 after 105 clears 105
    fx.Select(1, 2, 1, 2);
    AddWestNoteOrProp(128, true, kNoPosition, true);
    EXPECT_EQ(fx.At(1, 2).option & 0x400010u, 0x400000u);
    AddWestNoteOrProp(105, true, kNoPosition, true);
    EXPECT_EQ(fx.At(1, 2).option & 0x400010u, 0x10u);
    AddWestNoteOrProp(128, true, kNoPosition, true);
    EXPECT_EQ(fx.At(1, 2).option & 0x400010u, 0x400000u);
}

TEST(WestNoteCommand, FlipFromInsideABeamedGroupFlipsItOnce) {
    TEditFixture fx(12, 4);
    fx.Row(1, "&G W:4@0{opt=0x2} W:4@1 W:4@2{opt=0x4} W:4@3");
    fx.Select(2, 1, 4, 1);
    AddWestNoteOrProp(100, true, kNoPosition, true);
    for (int c = 1; c <= 4; ++c)
        EXPECT_EQ(fx.At(c, 1).option & 0x1u, 0x1u) << c;
}

TEST(WestNoteCommand, ChordNoteFlagsFollowTheModifiers) {
    TEditFixture fx(12, 4);
    fx.Row(1, "&G W:3@6+2+2");
    fx.Select(1, 1, 1, 1);
    {
        TKeys keys(false, true, false); // Ctrl: the first chord item
        AddWestNoteOrProp(111, true, kNoPosition, true);
    }
    EXPECT_EQ(fx.At(1, 1).option & 0x2000u, 0u);
    EXPECT_EQ(fx.At(1, 1).westChordArray[0].option & 0x2000u, 0x2000u);
    EXPECT_EQ(fx.At(1, 1).westChordArray[1].option & 0x2000u, 0u);
    {
        TKeys keys(false, false, false, 0); // all notes
        AddWestNoteOrProp(111, true, kNoPosition, true);
    }
    EXPECT_EQ(fx.At(1, 1).option & 0x2000u, 0x2000u);
    EXPECT_EQ(fx.At(1, 1).westChordArray[0].option & 0x2000u, 0u);
    EXPECT_EQ(fx.At(1, 1).westChordArray[1].option & 0x2000u, 0x2000u);
    // 110 toggles the chord's own option once
    AddWestNoteOrProp(110, true, kNoPosition, true);
    EXPECT_EQ(fx.At(1, 1).option & 0x1000u, 0x1000u);
    EXPECT_EQ(fx.At(1, 1).westChordArray[0].option & 0x1000u, 0u);
}

TEST(StepWestValue, RingsOfValuesAndRests) {
    struct TCase {
        int code, delta, want;
    };
    const TCase cases[] = {
        {1, 1, 8},    {1, -1, 8},  {2, 1, 3},   {2, -1, 8},   {3, 1, 4},
        {3, -1, 8},   {8, 1, 3},   {7, 1, 8},   {27, 1, 22},  {22, -1, 27},
        {23, -1, 22}, {20, 1, 22}, {19, 1, 22}, {21, -1, 20}, {19, -1, 19},
    };
    TEditFixture fx(12, 4);
    for (const TCase& t : cases) {
        TCell cell;
        cell.cellType = 8;
        cell.Note = t.code;
        StepWestValue(cell, t.delta);
        EXPECT_EQ(cell.Note, t.want) << t.code << " " << t.delta;
    }
}

TEST(AdvanceCursor, RowEndsAndGongcheSteps) {
    TEditFixture fx(10, 4);
    fx.Select(9, 1, 9, 1);
    fx.win.AdvanceCursor();
    EXPECT_EQ(fx.win.SelCol0, 0);
    EXPECT_EQ(fx.win.SelRow0, 2);
    fx.Select(9, 3, 9, 3);
    fx.win.AdvanceCursor();
    EXPECT_EQ(fx.win.SelCol0, 9);
    EXPECT_EQ(fx.win.SelRow0, 3);
    fx.win.GongChiMode = true;
    fx.Select(8, 1, 9, 2);
    fx.win.AdvanceCursor();
    EXPECT_EQ(fx.win.SelCol0, 0);
    EXPECT_EQ(fx.win.SelRow0, 2);
    EXPECT_EQ(fx.win.SelCol1, 0);
    EXPECT_EQ(fx.win.SelRow1, 2);
    fx.win.AdvanceCursor();
    EXPECT_EQ(fx.win.SelCol0, 2);
}

TEST(GetKeyTargetNote, ModifiersChooseTheNote) {
    TEditFixture fx(10, 4);
    TCell plain = TScoreFixture::Cell("W:3@0");
    TCell chord = TScoreFixture::Cell("W:3@6+2+2");
    struct TCase {
        bool alt, ctrl, shift;
        int want;
    };
    const TCase cases[] = {{true, true, true, 2},
                           {true, false, true, 4},
                           {true, true, false, 3},
                           {false, true, false, 2},
                           {true, false, false, 1}};
    for (const TCase& t : cases) {
        TKeys keys(t.alt, t.ctrl, t.shift, 7);
        EXPECT_EQ(fx.win.GetKeyTargetNote(plain), -1);
        EXPECT_EQ(fx.win.GetKeyTargetNote(chord), t.want);
        EXPECT_EQ(ChordNoteIndex, t.want);
    }
    TKeys none(false, false, false, 3);
    EXPECT_EQ(fx.win.GetKeyTargetNote(chord), 3); // no modifier keeps the index
}

} // namespace
