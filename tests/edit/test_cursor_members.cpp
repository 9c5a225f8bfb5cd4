// Pointer geometry, cursor and selection moves, the note a key addresses,
// octave changes and the typed-key cell writer of the main window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "edit/modTQCursorKeys.h"
#include "edit/modTQWestEntry.h"
#include "model/modTQCellAccess.h"
#include "platform/core/TQStrings.h"
#include "tests/edit/TQEditFixture.h"

namespace {

// Modifier keys held for the time of a test step.
struct THeldKeys {
    THeldKeys(bool alt, bool ctrl, bool shift) {
        AltDown = alt;
        CtrlDown = ctrl;
        ShiftDown = shift;
    }
    ~THeldKeys() { AltDown = CtrlDown = ShiftDown = false; }
};

void AddSmallNotes(TCell& cell, std::vector<int> codes) {
    for (int code : codes) {
        TCompressNote n;
        n.code = code;
        cell.CompressNotes.push_back(n);
    }
}

} // namespace

// Geometry at zoom 1: margins 60 and 50, cells 20 x 40 pixels.
TEST(PointerGeometry, MarginAndGongcheColumns) {
    TEditFixture fx(12, 6);
    struct Case {
        int x, y;
        bool gongche;
        bool outside;
        int col, row;
    } cases[] = {
        {60 - 6, 70, false, true, 0, 0},   // left of the margin by more than 5 units
        {60 - 5, 70, false, false, 0, 0},  // within it: column 0
        {60 - 1, 130, false, false, 0, 2},
        {60 + 5 * 20 + 3, 70, true, false, 4, 0},  // Gongche column 5 -> 4
        {60 + 5 * 20 + 3, 70, false, false, 5, 0},
        {60 + 12 * 20 + 1, 70, false, true, 11, 0}, // right of the grid
    };
    for (const Case& c : cases) {
        fx.win.GongChiMode = c.gongche;
        int col = -1, row = -1;
        fx.win.PointToCell(col, row, c.x, c.y);
        EXPECT_EQ(fx.win.IsOutsideHorizontally(c.x, c.y), c.outside) << c.x;
        EXPECT_EQ(col, c.col) << c.x;
        EXPECT_EQ(row, c.row) << c.x;
    }
    EXPECT_TRUE(fx.win.IsOutsideVertically(100, 50 + 6 * 40 + 6));
    EXPECT_FALSE(fx.win.IsOutsideVertically(100, 50 + 6 * 40 + 5));
    EXPECT_TRUE(fx.win.IsOutsideVertically(100, 50 - 11));
    EXPECT_FALSE(fx.win.IsOutsideVertically(50, 50 - 11)); // left of the margin
}

TEST(PointerGeometry, SelectionHandles) {
    TEditFixture fx(12, 6);
    fx.Select(2, 1, 4, 2); // pixels x 100..160, y 90..170; t = 4
    struct Case {
        int x, y, handle;
    } cases[] = {
        {160, 170, 3}, {163, 167, 3}, {160, 120, 4}, {130, 170, 5},
        {130, 90, 2},  {100, 120, 2}, {130, 120, 0}, {200, 300, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fx.win.SelectionHandleAt(c.x, c.y), c.handle) << c.x << "," << c.y;
}

TEST(CursorMoves, AdvanceMoveAndResize) {
    struct Case {
        bool gongche;
        int c0, r0, c1, r1; // selection before
        int dx, dy;
        bool resize;
        int e0, er0, e1, er1; // after
    } cases[] = {
        {true, 8, 3, 9, 3, 1, 0, false, 0, 4, 1, 4},   // wraps to the next row, keeps its width
        {false, 8, 3, 9, 3, 1, 0, false, 0, 4, 1, 4},
        {true, 8, 5, 9, 5, 1, 0, false, 8, 5, 9, 5},   // last row: nothing
        {false, 0, 2, 0, 2, -1, 0, false, 0, 2, 0, 2}, // would leave the grid
        {false, 3, 2, 3, 2, 1, 1, false, 4, 3, 4, 3},
        {true, 2, 2, 2, 2, 1, 0, false, 4, 2, 4, 2},   // two columns a step in Gongche mode
        {false, 3, 2, 3, 2, -1, 0, true, 3, 2, 3, 2},  // one column does not shrink
        {false, 3, 2, 5, 2, -1, 0, true, 3, 2, 4, 2},
        {false, 3, 2, 3, 5, 0, 1, true, 3, 2, 3, 5},   // past the last row
        {false, 3, 2, 3, 2, 1, 1, true, 3, 2, 4, 3},
    };
    for (const Case& c : cases) {
        TEditFixture fx(10, 6);
        fx.win.GongChiMode = c.gongche;
        fx.Select(c.c0, c.r0, c.c1, c.r1);
        if (c.resize)
            fx.win.ResizeSelection(c.dx, c.dy);
        else
            fx.win.MoveCursor(c.dx, c.dy);
        EXPECT_EQ(std::vector<int>({fx.win.SelCol0, fx.win.SelRow0, fx.win.SelCol1, fx.win.SelRow1}),
                  std::vector<int>({c.e0, c.er0, c.e1, c.er1}))
            << c.c0 << "," << c.r0 << " d " << c.dx << "," << c.dy << (c.resize ? " resize" : " move");
    }
    TEditFixture fx(10, 6);
    fx.win.GongChiMode = true;
    fx.Select(8, 3, 8, 3);
    fx.win.AdvanceCursor();
    EXPECT_EQ(fx.win.SelCol0, 0);
    EXPECT_EQ(fx.win.SelRow0, 4);
}

TEST(CursorMoves, SelectTargetNoteOnTwoSmallNotes) {
    TEditFixture fx(10, 6);
    TCell& cell = fx.At(2, 1);
    cell.Attr = 0xA0;
    AddSmallNotes(cell, {'1', '2'});
    fx.Select(2, 1, 2, 1);
    struct Case {
        int n, index;
        std::string status;
    } cases[] = {
        {0, 0, GetStringById(3127)},
        {2, 2, GetStringById(3128) + "2"},
        {5, -1, ""},
    };
    for (const Case& c : cases) {
        fx.win.SelectTargetNote(c.n);
        EXPECT_EQ(ChordNoteIndex, c.index) << c.n;
        EXPECT_EQ(fx.win.Controls.StatusFile, c.status) << c.n;
    }
    ChordNoteIndex = 0;
}

TEST(CursorMoves, KeyTargetNoteByModifiers) {
    TEditFixture fx(10, 6);
    TCell chord = TScoreFixture::Cell("W:3@4+2+2+2+2+2"); // five chord items
    struct Case {
        bool alt, ctrl, shift;
        int expected;
    } cases[] = {
        {false, false, false, 7}, // no modifier: the value stays
        {true, false, false, 1},  {false, true, false, 2}, {true, true, false, 3},
        {true, false, true, 4},   {true, true, true, 5},
    };
    for (const Case& c : cases) {
        ChordNoteIndex = 7;
        THeldKeys keys(c.alt, c.ctrl, c.shift);
        EXPECT_EQ(fx.win.GetKeyTargetNote(chord), c.expected) << c.alt << c.ctrl << c.shift;
    }
    EXPECT_EQ(fx.win.GetKeyTargetNote(TScoreFixture::Cell("1")), -1);
    ChordNoteIndex = 0;
}

TEST(OctaveChange, CyclingAndMenuSteps) {
    TEditFixture fx(10, 6);
    fx.Row(1, "5 6''");
    fx.Select(0, 1, 0, 1);
    std::vector<int> dots;
    for (int i = 0; i < 3; ++i) {
        fx.win.ChangeOctave('\'', true);
        dots.push_back(fx.At(0, 1).dot);
    }
    EXPECT_EQ(dots, std::vector<int>({1, 2, 0}));
    dots.clear();
    for (int i = 0; i < 3; ++i) {
        fx.win.ChangeOctave(',', true);
        dots.push_back(fx.At(0, 1).dot);
    }
    EXPECT_EQ(dots, std::vector<int>({-1, -2, 0}));
    fx.Select(1, 1, 1, 1);
    fx.win.mitHiDotClick();
    EXPECT_EQ(fx.At(1, 1).dot, 3);
}

TEST(OctaveChange, WesternNoteAndMixedSelectionUndoneAtOnce) {
    TEditFixture fx(10, 6);
    fx.Row(1, "&G W:3@4 5");
    fx.Select(1, 1, 2, 1);
    fx.win.ChangeOctave('\'', true);
    EXPECT_FLOAT_EQ(fx.At(1, 1).yAdj, -3.0f);
    fx.win.ChangeOctave(',', false);
    EXPECT_FLOAT_EQ(fx.At(1, 1).yAdj, 4.0f);
    // A Jianpu note beside it follows its own rule.
    TEditFixture mixed(10, 6);
    mixed.Row(1, "~ 5");
    mixed.Row(2, "~ W:3@4");
    mixed.At(1, 2).cellType = ctWestern;
    mixed.Select(1, 1, 1, 2);
    const TCell j = mixed.At(1, 1), w = mixed.At(1, 2);
    mixed.win.ChangeOctave('\'', true);
    EXPECT_EQ(mixed.At(1, 1).dot, 1);
    EXPECT_FLOAT_EQ(mixed.At(1, 2).yAdj, -3.0f);
    EXPECT_EQ(Undo.UndoList.size(), 1u);
    Undo.UndoStep();
    EXPECT_EQ(mixed.At(1, 1), j);
    EXPECT_EQ(mixed.At(1, 2), w);
}

TEST(OctaveChange, SmallNotesTakeTheKeyOneByOne) {
    TEditFixture fx(10, 6);
    TCell& cell = fx.At(1, 1);
    cell.Attr = 0xA0;
    AddSmallNotes(cell, {'1', '2', '3'});
    fx.Select(1, 1, 1, 1);
    ChordNoteIndex = 2;
    fx.win.ChangeOctave('\'', true);
    EXPECT_EQ(fx.At(1, 1).CompressNotes[0].octave, 0);
    EXPECT_EQ(fx.At(1, 1).CompressNotes[1].octave, 1);
    ChordNoteIndex = 0;
    fx.win.ChangeOctave(',', true);
    // the raised note comes back to the middle octave, the others go low
    EXPECT_EQ(fx.At(1, 1).CompressNotes[0].octave, -1);
    EXPECT_EQ(fx.At(1, 1).CompressNotes[1].octave, 0);
    EXPECT_EQ(fx.At(1, 1).CompressNotes[2].octave, -1);
}

TEST(TypeNoteKey, DotCyclesTheDottedFlags) {
    TEditFixture fx(10, 6);
    fx.Row(1, "5 6");
    std::vector<uint32_t> flags;
    for (int i = 0; i < 3; ++i) {
        fx.Select(0, 1, 0, 1);
        fx.win.TypeNoteKey('.', true);
        flags.push_back(fx.At(0, 1).option);
        EXPECT_EQ(fx.At(0, 1).Note, '5');
    }
    EXPECT_EQ(flags, std::vector<uint32_t>({8u, 64u, 0u}));
    // On an empty cell the dot is an augmentation dot.
    fx.Select(3, 1, 3, 1);
    fx.win.TypeNoteKey('.', true);
    EXPECT_EQ(fx.At(3, 1).Note, -73);
    EXPECT_EQ(fx.win.SelCol0, 4);
}

TEST(TypeNoteKey, DashClearsTheUnderlineOfTheNoteItHolds) {
    struct Case {
        const char* row;
        int dashCol;
        int noteUL; // underline of column 0 afterwards
    } cases[] = {
        {"1_ ~ ~", 2, 0},  // blanks between are passed
        {"1_ | ~", 2, 1},  // a bar line stops the search
        {"1__ ~", 1, 0},
    };
    for (const Case& c : cases) {
        TEditFixture fx(10, 6);
        fx.Row(1, c.row);
        fx.Select(c.dashCol, 1, c.dashCol, 1);
        fx.win.TypeNoteKey('-', true);
        EXPECT_EQ(fx.At(c.dashCol, 1).Note, -106) << c.row;
        EXPECT_EQ(fx.At(0, 1).UL, c.noteUL) << c.row;
    }
}

TEST(TypeNoteKey, DigitsXAndBarKeys) {
    TEditFixture fx(10, 6);
    fx.win.DefaultNoteKind = 1;
    fx.Row(1, "~ ~ ~ ~");
    fx.At(1, 1).dot = 1; // an octave chosen before the note
    fx.Select(1, 1, 1, 1);
    fx.win.TypeNoteKey('3', true);
    EXPECT_EQ(fx.At(1, 1).Note, '3');
    EXPECT_EQ(fx.At(1, 1).UL, 1);
    EXPECT_EQ(fx.At(1, 1).dot, 1);
    EXPECT_EQ(fx.win.SelCol0, 2);

    // 'x' on a vertical chord drops its last small note.
    TCell& chord = fx.At(4, 1);
    chord.Attr = 0xB0;
    AddSmallNotes(chord, {'1', '3', '5'});
    fx.Select(4, 1, 4, 1);
    fx.win.TypeNoteKey('x', true);
    ASSERT_EQ(fx.At(4, 1).CompressNotes.size(), 2u);
    EXPECT_EQ(fx.At(4, 1).CompressNotes[1].code, '3');

    // A bar key enters its bar line and moves on; nothing else changes.
    fx.Row(2, "1 2 ~ 3");
    fx.Select(2, 2, 2, 2);
    const TCell before0 = fx.At(0, 2), before3 = fx.At(3, 2);
    fx.win.TypeNoteKey('|', true);
    EXPECT_EQ(fx.At(2, 2).Note, 63);
    EXPECT_EQ(fx.At(0, 2), before0);
    EXPECT_EQ(fx.At(3, 2), before3);
    EXPECT_EQ(fx.win.SelCol0, 3);
    // The lead byte of a two-byte character does nothing.
    const TCell at3 = fx.At(3, 2);
    fx.win.TypeNoteKey(0xA3, true);
    EXPECT_EQ(fx.At(3, 2), at3);
}

TEST(TypeNoteKey, ZeroOnABlankWesternCellIsAQuarterRest) {
    TEditFixture fx(10, 6);
    fx.Row(1, "&G ~ ~");
    fx.Select(1, 1, 1, 1);
    fx.win.TypeNoteKey('0', true);
    EXPECT_EQ(fx.At(1, 1).cellType, ctWestern);
    EXPECT_EQ(fx.At(1, 1).Note, 22);
}

TEST(KeyEdits, UnderlinesAndOctaveNotes) {
    TEditFixture fx(10, 6);
    fx.Row(1, "1 2___ &G");
    fx.Row(2, "&G W:3@2 W:23");
    fx.Select(0, 1, 1, 1);
    fx.win.SetUnderlines(1, true, true);
    EXPECT_EQ(fx.At(0, 1).UL, 1);
    EXPECT_EQ(fx.At(1, 1).UL, 0); // 3 + 1 wraps
    fx.Select(1, 2, 2, 2);
    fx.win.SetUnderlines(1, false, false);
    EXPECT_EQ(fx.At(1, 2).Note, 4);
    EXPECT_EQ(fx.At(2, 2).Note, 23);

    fx.Row(3, "5' W:3@2");
    fx.At(1, 3).cellType = ctWestern;
    fx.Select(0, 3, 1, 3);
    fx.win.AddOctaveNote();
    const TCell& j = fx.At(0, 3);
    ASSERT_EQ(j.CompressNotes.size(), 2u);
    EXPECT_EQ(j.Attr & 0xF0u, 0xB0u);
    EXPECT_EQ(j.CompressNotes[0].octave, 1);
    EXPECT_EQ(j.CompressNotes[1].octave, 2);
    EXPECT_EQ(j.CompressNotes[1].code, '5');
    ASSERT_EQ(fx.At(1, 3).westChordArray.size(), 1u);
    EXPECT_EQ(fx.At(1, 3).westChordArray[0].interval, 7);
}

TEST(KeyEdits, NudgeMovesOffsetsAndHidesTheWesternMark) {
    struct Case {
        const char* cell;
        float dx, dy;
        bool fine;
        float x, y;
        bool timer;
    } cases[] = {
        {"1", 1.0f, 0.0f, false, 1.0f, 0.0f, false},
        {"1", 1.0f, 0.0f, true, 0.2f, 0.0f, false},
        {"1", 0.0f, -1.0f, true, 0.0f, -1.0f, false},
        {"W:3@2", 0.0f, 1.0f, false, 0.0f, 3.0f, true},
    };
    for (const Case& c : cases) {
        TEditFixture fx(10, 6);
        fx.Row(1, std::string("&G ") + c.cell);
        if (c.cell[0] != 'W')
            fx.Row(1, std::string("~ ") + c.cell);
        fx.Select(1, 1, 1, 1);
        fx.win.NudgeSelection(c.dx, c.dy, c.fine);
        EXPECT_FLOAT_EQ(fx.At(1, 1).xAdj, c.x) << c.cell;
        EXPECT_FLOAT_EQ(fx.At(1, 1).yAdj, c.y) << c.cell;
        EXPECT_EQ(fx.win.timMoveWestNoteEnabled, c.timer) << c.cell;
        fx.win.timMoveWestNoteTimer();
        EXPECT_FALSE(fx.win.timMoveWestNoteEnabled);
    }
}

TEST(KeyEdits, NoteNameHintsForAllPages) {
    TEditFixture fx(10, 6, 2);
    fx.Row(1, "&G W:3@2 \"t\" W:22", 0);
    fx.Row(1, "&G W:4@2", 1);
    fx.Row(2, "1 2", 0);
    fx.At(1, 2).option = 0x8000u;
    fx.win.mitAddHintforAllClick(627);
    EXPECT_NE(fx.At(1, 1, 0).option & 0x8000u, 0u);
    EXPECT_NE(fx.At(1, 1, 1).option & 0x8000u, 0u);
    EXPECT_EQ(fx.At(2, 1, 0).option & 0x8000u, 0u); // a text cell
    EXPECT_EQ(fx.At(3, 1, 0).option & 0x8000u, 0u); // a rest
    EXPECT_NE(fx.At(1, 2, 0).option & 0x8000u, 0u); // not a Western row: untouched
    fx.At(2, 1, 0).option |= 0x8000u;
    fx.win.mitAddHintforAllClick(628);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(fx.At(c, 1, 0).option & 0x8000u, 0u) << c;
    EXPECT_EQ(fx.At(1, 1, 1).option & 0x8000u, 0u);
}

TEST(TypeNoteKey, DigitOnAStaffRowEntersTheDefaultValueBelowTheOctaveDots) {
    TEditFixture fx(10, 6);
    fx.win.DefaultNoteKind = 1;
    fx.Row(1, "&G ~ ~ W:3@6+2");
    fx.Select(1, 1, 1, 1);
    const int pos = DegreeToStaffPos(5);
    fx.win.TypeNoteKey('5', true);
    EXPECT_EQ(fx.At(1, 1).cellType, ctWestern);
    EXPECT_EQ(fx.At(1, 1).Note, 4);
    EXPECT_FLOAT_EQ(fx.At(1, 1).yAdj, static_cast<float>(pos));
    // A raised octave set on the cell first puts the note seven steps higher.
    fx.At(2, 1).dot = 1;
    fx.Select(2, 1, 2, 1);
    fx.win.TypeNoteKey('5', true);
    EXPECT_FLOAT_EQ(fx.At(2, 1).yAdj, static_cast<float>(pos - 7));
    // On a chord the digit chooses the note later keys edit.
    fx.Select(3, 1, 3, 1);
    const TCell chord = fx.At(3, 1);
    fx.win.TypeNoteKey('2', true);
    EXPECT_EQ(ChordNoteIndex, 2);
    EXPECT_EQ(fx.At(3, 1), chord);
    ChordNoteIndex = 0;
}

TEST(CursorMoves, WheelAndScrollEnd) {
    TEditFixture fx(10, 6);
    fx.win.ScrollRangeY = 300;
    struct Case {
        int start, delta, expected;
    } cases[] = {{0, 120, 120}, {250, 120, 300}, {50, -120, 0}, {200, -120, 80}};
    for (const Case& c : cases) {
        fx.win.ScrollPosY = c.start;
        fx.win.ScrollByWheel(c.delta);
        EXPECT_EQ(fx.win.ScrollPosY, c.expected) << c.start << " " << c.delta;
    }
    fx.win.ScrollPosY = 0;
    fx.win.ToggleScrollEnd();
    EXPECT_EQ(fx.win.Controls.ScrollY, 300);
    fx.win.ToggleScrollEnd();
    EXPECT_EQ(fx.win.Controls.ScrollY, 0);
}

TEST(KeyEdits, NoteNameHintOnTheSelectionTakesBothLayersInOneUndo) {
    TEditFixture fx(10, 6, 1, 1);
    fx.win.ApplyToBothLayerChecked = true;
    fx.Row(1, "&G W:3@2 W:4@1", 0, 0);
    fx.Row(1, "&G W:3@2 W:4@1", 0, 1);
    ASSERT_TRUE(fx.win.HasJianpuPage());
    fx.Select(1, 1, 2, 1);
    fx.win.mitAddHintforSelectClick();
    for (int layer = 0; layer < 2; ++layer)
        for (int c = 1; c <= 2; ++c)
            EXPECT_NE(fx.At(c, 1, 0, layer).option & 0x8000u, 0u) << layer << "," << c;
    Undo.UndoStep();
    for (int layer = 0; layer < 2; ++layer)
        EXPECT_EQ(fx.At(1, 1, 0, layer).option & 0x8000u, 0u) << layer;
    fx.win.mitAddHintforSelectClick();
    fx.win.mitRemoveHintforSelectClick();
    for (int layer = 0; layer < 2; ++layer)
        EXPECT_EQ(fx.At(2, 1, 0, layer).option & 0x8000u, 0u) << layer;
}

TEST(PointerGeometry, SmallNotesWidenTheRedrawRange) {
    TEditFixture fx(10, 6);
    struct Case {
        uint32_t style;
        int notes;
        float top;
        int left, right;
        float expectTop;
        int expectRight;
    } cases[] = {
        {0xB0, 3, 2.0f, 4, 4, 0.2f, 4}, // a vertical chord reaches up 0.6 row a note
        {0xB0, 3, 1.0f, 4, 4, 0.0f, 4}, // not above the page
        {0xA0, 3, 2.0f, 4, 4, 2.0f, 7}, // a shrunk cell reaches right, a column a note
        {0xA0, 3, 2.0f, 8, 8, 2.0f, 9}, // not past the last column
        {0xA0, 0, 2.0f, 4, 4, 2.0f, 4},
    };
    for (const Case& c : cases) {
        TCell cell;
        cell.Attr = c.style;
        AddSmallNotes(cell, std::vector<int>(static_cast<size_t>(c.notes), '1'));
        float top = c.top;
        int right = c.right;
        fx.win.ExtendRangeForNotes(top, c.left, right, cell);
        EXPECT_NEAR(top, c.expectTop, 1e-5f) << c.style << " " << c.left;
        EXPECT_EQ(right, c.expectRight) << c.style << " " << c.left;
    }
}

TEST(PointerGeometry, DoubleClickWidensOverTheNoteRun) {
    TEditFixture fx(12, 6);
    fx.Row(1, "1 2_ 3_ 4_ | \"t\"");
    fx.win.MouseDownCol = 5;
    fx.win.MouseDownRow = 1;
    fx.Select(2, 1, 2, 1);
    int first = 2, last = 2;
    fx.win.WidenToNoteRun(first, last);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(last, 3);
    // on a cell that is no note the cursor goes back to where the mouse went down
    fx.Select(5, 1, 5, 1);
    first = last = 5;
    fx.Select(0, 1, 5, 1);
    fx.win.MouseDownCol = 0;
    fx.win.WidenToNoteRun(first, last);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 0);
    EXPECT_EQ(fx.win.SelCol1, 0);
}
