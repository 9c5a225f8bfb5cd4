// Typing through the main window as a user types: notes, values, octave dots,
// bar lines and Gongche characters go where the keys say and change nothing
// else; Undo after the editing commands gives back the selection and the marks.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTimer>

#include <algorithm>
#include <vector>

#include "app/frmTQMain.h"
#include "model/modTQPredicates.h"
#include "palettes/frmTQClefStaff.h"
#include "palettes/frmTQPalettes.h"
#include "tests/app/TQWindowKeys.h"
#include "tests/convert/TQPlayedNotes.h"
#include "tests/support/TQTestSupport.h"

namespace {

class TypingKeys : public TWindowTest {
protected:
    // Western → New Staff at the cursor, with the dialog's staff tab and key.
    void NewStaff(int tab, int keyButton) {
        QTimer::singleShot(0, [tab, keyButton] {
            auto* f = qobject_cast<TfrmClefStaff*>(QApplication::activeModalWidget());
            ASSERT_NE(f, nullptr);
            f->tabStaff->setCurrentIndex(tab);
            f->keyButtons[size_t(keyButton)]->click();
            f->btnOK->click();
        });
        Trigger("mitCreateStaff");
        // the main window is active again once the dialog has gone, as the
        // window manager makes it
        QApplication::setActiveWindow(w.get());
        QApplication::processEvents();
    }
    // Every cell of both layers but those of the given rows of page 0, layer 0
    // is as in the state before.
    void ExpectOnlyRowsChanged(const TState& before, std::vector<int> rows) {
        TState now = Capture(*w);
        for (int r : rows)
            now.pages[0][0][size_t(r)] = before.pages[0][0][size_t(r)];
        EXPECT_TRUE(now == before) << FirstDifference(now, before);
    }
};

} // namespace


// ---------------------------------------------------------------- grand staff

// A grand staff made with the Western menu: eleven quarter notes typed on the
// treble staff, then whole notes and bar lines on the bass staff. The bass bars
// stand where the treble has notes: the treble keeps every note, nothing joins
// the staves there, and the score plays the eleven treble quarters and four
// whole bass C3s.
TEST_F(TypingKeys, TypingOnTheBassStaffLeavesTheTrebleStaffAlone) {
    Click(0, 2);
    NewStaff(0, 0); // treble, C major
    Click(0, 5);
    NewStaff(1, 0); // bass
    Select(0, 2, 0, 5);
    Trigger("mitCombineasGrandStaff");
    ASSERT_EQ(At(0, 2).jEnd, 5) << "the brace joins the two staves";
    Click(1, 2);
    Type("cdefgabcdef"); // a letter gives the note of that name from middle C up
    const TState treble = Capture(*w);

    Click(1, 5);
    for (int bar = 0; bar < 4; ++bar) {
        Type("c");
        Key(Qt::Key_Left);
        Type("q|"); // the C a whole note, then a bar line
    }
    ExpectOnlyRowsChanged(treble, {5});
    w->RedrawPage();
    QApplication::processEvents();
    tqtest::SavePngIfWanted(w->pbxMain->grab().toImage(), "grand_staff_bass_bars");
    for (int bar = 0; bar < 4; ++bar) {
        const TCell& note = At(1 + 2 * bar, 5);
        EXPECT_EQ(note.Note, 1) << "a whole note in bar " << bar + 1;
        EXPECT_FLOAT_EQ(note.yAdj, 1.0f) << "C3, one step under the bass staff's middle line";
        EXPECT_EQ(At(2 + 2 * bar, 5).Note, 63) << "the bar line after bar " << bar + 1;
    }

    const std::vector<TSoundedNote> played = PlayedNotes(true);
    std::vector<TSoundedNote> bass, upper;
    for (const TSoundedNote& n : played)
        (n.pitch < 60 ? bass : upper).push_back(n);
    ASSERT_EQ(upper.size(), 11u);
    const int q = upper.front().length;
    ASSERT_GT(q, 0);
    const int pitches[11] = {60, 62, 64, 65, 67, 69, 71, 60, 62, 64, 65};
    for (size_t i = 0; i < 11; ++i)
        EXPECT_EQ(upper[i], (TSoundedNote{int(i) * q, pitches[i], q})) << i;
    ASSERT_EQ(bass.size(), 4u) << "no bass note lost or of no length";
    for (const TSoundedNote& n : bass) {
        EXPECT_EQ(n.pitch, 48);
        EXPECT_EQ(n.length, 4 * q) << "a whole note at " << n.onset;
    }
}

// ---------------------------------------------------------------- staff lines

namespace {

// The dark horizontal lines a vertical scan at x crosses between y0 and y1:
// the first y of each.
std::vector<int> DarkLinesAt(const QImage& page, int x, int y0, int y1) {
    std::vector<int> lines;
    bool inLine = false;
    for (int y = std::max(0, y0); y < std::min(y1, page.height()); ++y) {
        const bool dark = qGray(page.pixel(x, y)) < 100;
        if (dark && !inLine)
            lines.push_back(y);
        inLine = dark;
    }
    return lines;
}

} // namespace

// A staff started with New Staff in column 2 of an empty row under a Jianpu
// tune: five evenly spaced lines run from its clef to the end of the row, at
// 100 % and at 400 %.
TEST_F(TypingKeys, NewStaffStartedInColumnTwoHasItsFiveLines) {
    Click(1, 3);
    Type("1231|345-|");
    Click(2, 6);
    NewStaff(0, 2); // treble, D major
    Click(3, 6);
    Type("cdefg");
    ASSERT_EQ(At(2, 6).Note, -1);
    for (int zoom : {100, 400}) {
        w->ZoomClick(zoom);
        w->RedrawPage();
        QApplication::processEvents();
        const QImage page = w->pbxMain->grab().toImage();
        tqtest::SavePngIfWanted(page, "new_staff_in_column_two_" + std::to_string(zoom));
        const int u = w->GetCellHeight();
        const int top = w->GetTopMargin() + 5 * u, bottom = w->GetTopMargin() + 8 * u;
        // after the notes, in the middle and at the last column
        for (int col : {9, w->Cols / 2, w->Cols - 1}) {
            const int x = w->GetLeftMargin() + col * w->GetCellWidth() + w->GetCellWidth() / 2;
            const std::vector<int> lines = DarkLinesAt(page, x, top, bottom);
            ASSERT_EQ(lines.size(), 5u) << "at " << zoom << " %, column " << col;
            const int gap = lines[1] - lines[0];
            EXPECT_GE(gap, zoom / 100 * 3) << zoom;
            for (size_t i = 2; i < lines.size(); ++i)
                EXPECT_NEAR(lines[i] - lines[i - 1], gap, 1) << "at " << zoom << " %, column " << col;
        }
        // nothing drawn left of the clef
        const int left = w->GetLeftMargin() + w->GetCellWidth() / 2;
        EXPECT_TRUE(DarkLinesAt(page, left, top, bottom).empty()) << zoom;
    }
}

// ---------------------------------------------------------------- value and accidental keys

// On a staff, a value key or the sharp typed after a note changes that note:
// g then w makes the G a half note, a then # an A sharp; with the cursor moved
// back onto a note the key acts on it. No new note appears, and Undo gives the
// note back as it was with the cursor after it.
TEST_F(TypingKeys, ValueAndSharpKeysActOnTheNoteJustTyped) {
    Click(0, 2);
    NewStaff(0, 0);
    Click(1, 2);
    Type("gw");
    EXPECT_EQ(At(1, 2).Note, 2) << "G a half note";
    EXPECT_FLOAT_EQ(At(1, 2).yAdj, 2.0f) << "G4, two steps under the middle line";
    EXPECT_TRUE(IsEmptyCell(At(2, 2))) << "no new note";
    EXPECT_EQ(w->SelCol0, 2);

    Type("a#");
    EXPECT_EQ(At(2, 2).Note, 3);
    EXPECT_EQ(At(2, 2).Attr & 0xFu, 1u) << "A sharp";
    EXPECT_TRUE(IsEmptyCell(At(3, 2)));
    Type("ct");
    EXPECT_EQ(At(3, 2).Note, 4) << "an eighth C";
    EXPECT_FLOAT_EQ(At(3, 2).yAdj, 6.0f);

    const TState before = Capture(*w);
    Type("q");
    EXPECT_EQ(At(3, 2).Note, 1) << "the C a whole note";
    ExpectOnlyRowsChanged(before, {2});
    Key(Qt::Key_Z, Qt::ControlModifier);
    const TState undone = Capture(*w);
    EXPECT_TRUE(undone == before) << FirstDifference(undone, before);
    EXPECT_EQ(w->SelCol0, 4) << "the cursor after the C";

    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    Type("#");
    EXPECT_EQ(At(2, 2).Attr & 0xFu, 0u) << "the sharp on the selected A toggled off";
    EXPECT_TRUE(IsEmptyCell(At(4, 2)));
}

// ---------------------------------------------------------------- octave keys

// ' and , undo each other on a Jianpu note: a low 5 goes back to the middle
// octave, a high one too; on an empty cell , leaves nothing behind that would
// make the next digit low.
TEST_F(TypingKeys, OctaveKeysAreInverses) {
    Click(2, 6);
    Type("5");
    Click(2, 6);
    struct Step {
        const char* key;
        int dot;
    };
    for (const Step& k : {Step{",", -1}, Step{"'", 0}, Step{"'", 1}, Step{",", 0}, Step{",", -1}, Step{",", -2},
                          Step{"'", -1}, Step{"'", 0}})
    {
        Type(k.key);
        EXPECT_EQ(At(2, 6).dot, k.dot) << "after " << k.key;
    }
    const TState before = Capture(*w);
    Click(4, 6);
    Type(",");
    const TState after = Capture(*w);
    EXPECT_TRUE(after == before) << "an empty cell keeps nothing: " << FirstDifference(after, before);
    Type("3");
    EXPECT_EQ(At(4, 6).Note, '3');
    EXPECT_EQ(At(4, 6).dot, 0) << "the 3 in the middle octave, as shown";
}

// ---------------------------------------------------------------- Gongche

// In Gongche mode every character takes two columns; typing 1234567 or clicking
// palette buttons writes one character after the other.
TEST_F(TypingKeys, GongcheEntryMovesOnAfterEachCharacter) {
    Trigger("mitGongChi");
    ASSERT_TRUE(w->GongChiMode);
    Click(2, 4);
    Type("1234567");
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(At(2 + 2 * i, 4).cellType, 10) << i;
        EXPECT_EQ(At(2 + 2 * i, 4).Note, '1' + i) << i;
        EXPECT_TRUE(IsEmptyCell(At(3 + 2 * i, 4))) << i;
    }
    EXPECT_EQ(w->SelCol0, 16);

    auto* palette = qobject_cast<TfrmPalette*>(w->frmGongChi);
    ASSERT_NE(palette, nullptr);
    Click(2, 8);
    for (int tag : {15, 16, 17}) { // the middle-octave 1, 2, 3
        const auto buttons = palette->ButtonsWithTag(tag);
        ASSERT_FALSE(buttons.empty()) << tag;
        buttons.front()->click();
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(At(2 + 2 * i, 8).Note, '1' + i) << i;
        EXPECT_EQ(At(2 + 2 * i, 8).dot, 0) << i;
    }
    EXPECT_EQ(w->SelCol0, 8);
}

// ---------------------------------------------------------------- undo leftovers

// Combine Vertically (F9) and Combine Horizontally (F10) leave one cell
// selected; Undo gives back the notes and the selection the user made.
TEST_F(TypingKeys, UndoAfterCombiningGivesBackTheSelection) {
    struct Case {
        int key;
        const char* row;
        int c0, c1; // the selection the user made
    };
    // the command skips a leading blank; F10 on one note packs its beam group
    for (const Case& k : {Case{Qt::Key_F9, "~ 1 3 5 1' |", 1, 4}, Case{Qt::Key_F10, "~ 1 3 5 1' |", 1, 4},
                          Case{Qt::Key_F9, "~ ~ 1 3 5 |", 1, 4}, Case{Qt::Key_F10, "~ ~ 1 3 5 |", 1, 4},
                          Case{Qt::Key_F10, "~ 1_ 3_ 5_ 1'_ |", 2, 2}, Case{Qt::Key_F10, "&G W:4@2 W:4@0 |", 1, 2}}) {
        const int key = k.key;
        At(0, 3) = TCell();
        Row(3, k.row + std::string(" ~ ~ ~"));
        Select(k.c0, 3, k.c1, 3);
        const TState before = Capture(*w);
        Key(key);
        const TState after = Capture(*w);
        ASSERT_FALSE(after == before) << key << " " << k.row;
        Key(Qt::Key_Z, Qt::ControlModifier);
        const TState undone = Capture(*w);
        EXPECT_TRUE(undone == before) << FirstDifference(undone, before);
        EXPECT_EQ(std::vector<int>({w->SelCol0, w->SelRow0, w->SelCol1, w->SelRow1}),
                  std::vector<int>({k.c0, 3, k.c1, 3}))
            << key << " " << k.row;
    }
}

// Automatic underlining (F11) marks a group of three notes it cannot underline
// alone; Undo takes the underlines and the marks back.
TEST_F(TypingKeys, UndoAfterAutomaticUnderliningClearsItsMarks) {
    Row(3, "~ 5 6 7 | 1 2 3 4 |");
    const TState before = Capture(*w);
    Select(1, 3, 1, 3);
    Key(Qt::Key_F11);
    ASSERT_FALSE(Capture(*w) == before) << "the command underlined";
    ASSERT_FALSE(w->Highlights.empty()) << "the three notes are marked";
    Key(Qt::Key_Z, Qt::ControlModifier);
    const TState undone = Capture(*w);
    EXPECT_TRUE(undone == before) << FirstDifference(undone, before);
    EXPECT_TRUE(w->Highlights.empty());
}
