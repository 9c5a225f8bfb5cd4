// Jianpu to Western: the page pass (bass clefs) and the commands (modes, rows
// too short to convert, the key dialog, undo, messages).
#include <gtest/gtest.h>

#include <string>

#include "lang/modTQLanguage.h"
#include "model/modTQUndo.h"
#include "platform/core/TQMessage.h"
#include "tests/convert/TQJ2WFixture.h"

namespace {

class J2WPage : public TJ2WTest {};

TEST_F(J2WPage, LowTrebleRowsTakeTheBassClef) {
    struct {
        const char* row;
        bool bass;
    } const cases[] = {
        {"&G W:3@9 W:3@9 W:3@9 W:3@9", true},   // mean 9.0
        {"&G W:3@10 W:3@6 W:3@8 W:3@8", false}, // mean 8.0, lowest 10.0
        {"&G W:3@7 W:3@7 W:3@11 W:3@7", true},  // mean 8.0, lowest 11.0
        {"&G W:3@2 W:3@4", false},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.row);
        TJ2WFixture f(16, 4);
        f.fx.Row(1, t.row);
        f.j2w.ChooseBassClefRows(0, f.fx.view.Rows);
        ASSERT_EQ(f.clefCalls.size(), t.bass ? 1u : 0u);
        if (t.bass) {
            EXPECT_EQ(f.clefCalls[0].row, 1);
            EXPECT_EQ(f.clefCalls[0].clef, -2);
            EXPECT_EQ(f.fx.At(0, 1).Note, -2);
            EXPECT_FLOAT_EQ(f.fx.At(1, 1).yAdj, f.fx.At(1, 1).yAdj); // shifted by the clef service
        }
    }
}

TEST_F(J2WPage, BracedRowNeedsALowerMean) {
    TJ2WFixture f(16, 4);
    f.fx.Row(1, "&G{mark=71} W:3@9 W:3@9 W:3@9 W:3@9");
    f.j2w.ChooseBassClefRows(0, f.fx.view.Rows);
    EXPECT_TRUE(f.clefCalls.empty());
}

TEST_F(J2WPage, RowOfThreeSoundsIsLeftAlone) {
    TJ2WFixture f(16, 4);
    f.fx.Row(0, "\"1=C\"");
    f.fx.Row(1, "~ 1 2 3");
    f.fx.Row(2, "~ 1 2 3 4");
    const TCellRow before = f.fx.GridRow(1);
    f.fx.Select(0, 3);
    f.j2w.ConvertJ2WAllPages(0, true);
    EXPECT_EQ(f.fx.GridRow(1), before);
    EXPECT_EQ(f.fx.At(3, 2).cellType, 8) << "the first note, after the staff header";
}

TEST_F(J2WPage, NoKeyTextAsksTheDialog) {
    TJ2WFixture f(16, 4);
    f.fx.Row(1, "~ 1 2 3 4");
    f.dialogAnswer = true;
    f.dialogKey = 1; // G
    f.fx.Select(1, 1);
    f.j2w.ConvertJ2WSelected(false);
    EXPECT_EQ(f.dialogs, 1);
    EXPECT_EQ(f.fx.At(0, 1).Note, -1);
    EXPECT_EQ(f.fx.At(0, 1).Attr, 1u);
    EXPECT_FALSE(Undo.UndoList.empty());
}

TEST_F(J2WPage, CancelledDialogChangesNothing) {
    for (bool selected : {false, true}) {
        SCOPED_TRACE(selected);
        TJ2WFixture f(16, 4);
        f.fx.Row(1, "~ 1 2 3 4");
        const TPageSets before = f.fx.view.PageSets;
        f.fx.Select(1, 1);
        if (selected)
            f.j2w.ConvertJ2WSelected(false);
        else
            f.j2w.ConvertJ2WAllPages(0, false);
        EXPECT_EQ(f.dialogs, 1);
        EXPECT_EQ(f.fx.view.PageSets, before);
        EXPECT_TRUE(Undo.UndoList.empty());
        EXPECT_FALSE(f.fx.view.Modified);
        EXPECT_EQ(f.fx.view.SelRow0, 1);
    }
}

TEST_F(J2WPage, NothingJianpuBeeps) {
    TJ2WFixture f(16, 4);
    f.fx.Row(1, "&G W:3@6");
    const TPageSets before = f.fx.view.PageSets;
    f.j2w.ConvertJ2WAllPages(0, false);
    EXPECT_EQ(f.beeps, 1);
    EXPECT_EQ(f.fx.view.PageSets, before);
    EXPECT_TRUE(Undo.UndoList.empty());
}

// A row typed from its first column moves right to make room for the staff
// header: the clef takes column 0, no note is lost or hidden, no warning is
// due. The highlighted cells are still reported.
TEST_F(J2WPage, NoteInFirstColumnMovesAfterTheHeaderAndHighlightsAreReported) {
    TJ2WFixture f(24, 4);
    f.fx.Row(0, "\"1=C\"");
    f.fx.Row(1, "1 2 3 4 - - - - 5");
    f.fx.Select(1, 1);
    f.j2w.ConvertJ2WSelected(false);
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].text, Language->GetString(1033) + "1" + Language->GetString(1037));
    EXPECT_TRUE(f.fx.view.Modified);
    EXPECT_TRUE(IsClefCell(f.fx.At(0, 1)));
    const float expected[] = {6.0f, 5.0f, 4.0f, 3.0f, 2.0f}; // C D E F G
    int n = 0;
    for (int c = 0; c < 24; ++c)
        if (IsWestNoteCell(f.fx.At(c, 1), 1)) {
            ASSERT_LT(n, 5);
            EXPECT_GE(c, 3) << "no note under the clef and key signature";
            EXPECT_FLOAT_EQ(f.fx.At(c, 1).yAdj, expected[n++]);
        }
    EXPECT_EQ(n, 5);
}

// A key change written over a note inside a row moves with that note when the
// row makes room for its header: the notes before it stay in the old key.
TEST_F(J2WPage, KeyChangeInsideAMovedRowStaysOverItsNote) {
    TJ2WFixture f(24, 6);
    f.fx.Row(1, "\"1=C\" ~ ~ ~ ~ \"1=G\"");
    f.fx.Row(2, "1 2 3 4 | 5 6 7 1' |");
    f.j2w.ConvertJ2WAllPages(0, false);
    // C D E F | D5 E5 F5 G5: from the fifth note of the row on, in G.
    const float positions[] = {6.0f, 5.0f, 4.0f, 3.0f, -2.0f, -3.0f, -4.0f, -5.0f};
    int n = 0;
    for (int c = 0; c < 24; ++c) {
        const TCell& cell = f.fx.At(c, 2);
        if (!IsWestNoteCell(cell, 1))
            continue;
        ASSERT_LT(n, 8);
        EXPECT_FLOAT_EQ(cell.yAdj, positions[n]) << "note " << n;
        ++n;
    }
    EXPECT_EQ(n, 8);
}

// A row with no free column to move into is not converted at all, and says so;
// the rows that have room are converted.
TEST_F(J2WPage, RowWithoutRoomForTheHeaderIsRefusedUnchanged) {
    TJ2WFixture f(16, 6);
    f.fx.Row(0, "\"1=C\"");
    f.fx.Row(1, "1 2 3 4 | 5 6 7 1' | 2' 3' 4' 5' | 1'");
    f.fx.Row(3, "5 4 3 2 | 1 - - - |");
    const TCellRow full = f.fx.GridRow(1);
    f.j2w.ConvertJ2WAllPages(0, false);
    EXPECT_EQ(f.fx.GridRow(1), full);
    EXPECT_TRUE(IsJianpuKeyTextCell(f.fx.At(0, 0))) << "the refused row keeps its key text";
    EXPECT_TRUE(IsClefCell(f.fx.At(0, 3)));
    ASSERT_FALSE(rec.shown.empty());
    EXPECT_NE(rec.shown[0].caption.find("1058"), std::string::npos);
}

// The time signature written over a Jianpu tune goes onto the staves, right
// after the clef and key signature, before the first note.
TEST_F(J2WPage, TimeSignatureOverTheTuneGoesOntoTheStaves) {
    TJ2WFixture f(24, 8);
    f.fx.Row(1, "\"1=D\" T:2/4");
    f.fx.Row(2, "~{mark=54191118,jEnd=4} 5 3 | 1 - | 2 3 | 1 - |");
    f.fx.Row(4, "~ 1, 5, | 1, - | 5, 5, | 1, - |");
    f.j2w.ConvertJ2WAllPages(0, false);
    for (int r : {2, 4}) {
        SCOPED_TRACE(r);
        ASSERT_TRUE(IsClefCell(f.fx.At(0, r)));
        const TCell& time = f.fx.At(3, r);
        EXPECT_EQ(time.cellType, 9);
        EXPECT_EQ(time.upNote, 2);
        EXPECT_EQ(time.Note, 4);
        int first = -1;
        for (int c = 0; c < 24 && first < 0; ++c)
            if (IsWestNoteOrRest(f.fx.At(c, r), 1))
                first = c;
        EXPECT_EQ(first, 4) << "the first note right after the time signature";
    }
    for (int c = 0; c < 24; ++c)
        EXPECT_NE(f.fx.At(c, 1).cellType, 9) << "no loose time signature is left above";
}

TEST_F(J2WPage, ModesSplitPairsFromSingleStaves) {
    for (int mode : {1, 2}) {
        SCOPED_TRACE(mode);
        TJ2WFixture f(16, 8);
        f.fx.Row(0, "\"1=C\"");
        f.fx.Row(1, "~{mark=54191118,jEnd=3} 1 2 3 4");
        f.fx.Row(3, "~ 5 6 7 1'");
        f.fx.Row(6, "~ 3 4 5 6");
        f.j2w.ConvertJ2WAllPages(mode, true);
        // The first notes stand after the staff header once converted.
        const bool pairConverted = f.fx.At(3, 1).cellType == 8 && f.fx.At(3, 3).cellType == 8;
        const bool singleConverted = f.fx.At(3, 6).cellType == 8;
        EXPECT_EQ(pairConverted, mode == 2);
        EXPECT_EQ(singleConverted, mode == 1);
    }
}

} // namespace

namespace {

TEST_F(J2WPage, KeyTextServesTheSystemAndHeldCellsComeBack) {
    TJ2WFixture f(16, 8);
    f.fx.Row(1, "~ \"1=G\"");
    f.fx.Row(2, "~{mark=54191118,jEnd=4} ~ ~ 1 2 3 4 |");
    f.fx.Row(3, "~ \"la\"");
    f.fx.Row(4, "~ ~ ~ 5 6 7 1' |");
    const TCell lyric = f.fx.At(1, 3);
    f.j2w.ConvertJ2WAllPages(0, true);
    EXPECT_EQ(f.fx.At(0, 2).Attr, 1u);
    EXPECT_EQ(f.fx.At(0, 4).Attr, 1u) << "the second staff is in the system's key";
    ASSERT_EQ(f.j2w.HeldCells.size(), 1u) << "the lyric was covered by the repeated key text";
    EXPECT_EQ(f.fx.At(1, 3), lyric);
    EXPECT_FALSE(IsJianpuKeyTextCell(f.fx.At(1, 1)));
}

} // namespace
