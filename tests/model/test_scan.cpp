// Searches over the grid: staff rows, clefs, measures, free columns, beam groups,
// note counts and Jianpu key texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/modTQPredicates.h"
#include "model/modTQScan.h"
#include "tests/support/TQScoreFixture.h"

namespace {

TEST(RowSearches, StaffRowsUpAndDown) {
    TScoreFixture fx(10, 8);
    fx.Page({"", "&G W:3@2", "", "1 2 3 4 |", "", "&F W:3"});
    struct Case {
        const char* name;
        int (*find)(int);
        int from, expected;
    };
    const std::vector<Case> cases = {
        {"JianpuBack", FindJianpuRowBack, 7, 3},     {"JianpuBack", FindJianpuRowBack, 2, -1},
        {"JianpuBack", FindJianpuRowBack, -1, -1},   {"JianpuBack", FindJianpuRowBack, 99, 3},
        {"JianpuFwd", FindJianpuRowForward, 0, 3},   {"JianpuFwd", FindJianpuRowForward, 4, -1},
        {"WestBack", FindWestRowBack, 4, 1},         {"WestBack", FindWestRowBack, 0, -1},
        {"WestFwd", FindWestRowForward, 2, 5},       {"WestFwd", FindWestRowForward, 6, -1},
        {"MusicFwd", FindMusicRowForward, 2, 3},     {"MusicFwd", FindMusicRowForward, -5, 1},
        {"MusicFwd", FindMusicRowForward, 6, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.find(c.from), c.expected) << c.name << " from " << c.from;
    EXPECT_EQ(FindStaffRowForward(2, true), 5);
    EXPECT_EQ(FindStaffRowForward(2, false), 3);
}

TEST(RowSearches, ClefRowsAndComments) {
    TScoreFixture fx(10, 8, 1, 1);
    fx.Page({"", "~ ~ &G{dur=32} W:3", "", "~ &F W:3", "", "", "", "~ ~ ~ &C"});
    fx.Row(5, "&G", 0, 1); // a clef in layer 1 is no staff
    CurLayer = 1;
    EXPECT_EQ(FindRowClefCol(1), 2);
    EXPECT_EQ(FindRowClefCol(5), -1);
    EXPECT_EQ(FindRowClefCol(-1), -1);
    TPoint pt{-9, -9};
    EXPECT_TRUE(FindNextClefCell(0, pt, false));
    EXPECT_EQ(pt, (TPoint{2, 1}));
    EXPECT_TRUE(FindNextClefCell(0, pt, true)) << "the comment staff is passed over";
    EXPECT_EQ(pt, (TPoint{1, 3}));
    EXPECT_TRUE(FindNextClefCell(4, pt, true));
    EXPECT_EQ(pt, (TPoint{3, 7}));
    pt = TPoint{-9, -9};
    EXPECT_FALSE(FindNextClefCell(8, pt, false));
    EXPECT_EQ(pt, (TPoint{-9, -9}));
    CurLayer = 0;
}

TEST(RowSearches, RowWithClefNear) {
    TScoreFixture fx(10, 14);
    fx.Page({"&G W:3", "", "&F W:3", "", "&C W:3"});
    fx.Row(12, "&F");
    struct Case {
        int step, row, clef, expected;
    };
    const std::vector<Case> cases = {
        {1, 0, -2, 2},   // the next bass clef below
        {1, 0, -3, -1},  // another clef (bass) stands first
        {-1, 4, -2, 2},
        {1, 2, -2, -1},  // the start row itself is not looked at
        {1, 2, -3, 4},
        {1, 0, -1, -1},
        {1, 2, -4, -1},  // ... alto first
        {-1, 0, -1, -1}, // off the page
        {1, 4, -2, 12},  // eight rows away is still inside
        {1, 2, -9, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindRowWithClefNear(c.step, c.row, c.clef), c.expected)
            << c.step << " " << c.row << " " << c.clef;
    fx.At(0, 12) = TScoreFixture::Cell("~");
    fx.Row(13, "&F");
    EXPECT_EQ(FindRowWithClefNear(1, 4, -2), -1) << "nine rows away";
}

TEST(RowSearches, FirstTimeSignatureOfTheFirstPage) {
    TScoreFixture fx(10, 6, 2);
    fx.Row(1, "&G ~ T:6/8 T:3/4");
    fx.Row(0, "T:2/4", 1);
    fx.Score().CurPage = 1;
    TPoint pt;
    int num = 0, den = 0;
    FindFirstTimeSignature(pt, num, den, 0);
    EXPECT_EQ(pt, (TPoint{2, 1}));
    EXPECT_EQ(num, 6);
    EXPECT_EQ(den, 8);
    num = den = 77;
    FindFirstTimeSignature(pt, num, den, 2);
    EXPECT_EQ(pt, (TPoint{-1, -1}));
    EXPECT_EQ(num, 77);
    EXPECT_EQ(den, 77);
}

TEST(RowSearches, JianpuKeyTextBack) {
    TScoreFixture fx(10, 6);
    fx.Row(1, "\"1=C\" ~ ~ \"1=G\" ~");
    fx.Row(3, "\"Andante\"");
    int col = -9;
    EXPECT_EQ(FindJianpuKeyTextBack(4, col), 1);
    EXPECT_EQ(col, 3) << "right to left";
    col = -9;
    EXPECT_EQ(FindJianpuKeyTextBack(0, col), -1);
    EXPECT_EQ(col, -9);
}

TEST(ColumnSearches, ClefsAndKeyResets) {
    TScoreFixture fx(10, 4, 1, 1);
    fx.Row(0, "&G W:3 &N W:3 W:3 &7 W:3");
    fx.Row(1, "W:3 W:3");
    int clefCol = 9;
    EXPECT_EQ(FindClefCodeLeft(4, 0, clefCol), -1) << "the reset header is passed over";
    EXPECT_EQ(clefCol, 0);
    EXPECT_EQ(GetClefCodeAt(4, 0), -1);
    EXPECT_EQ(ClefCodeLeftOf(6, 0), -7);
    EXPECT_EQ(FindClefColLeft(4, 0), 2);
    EXPECT_EQ(FindClefColLeft(99, 0), 5);
    EXPECT_EQ(FindClefCodeLeft(1, 1, clefCol), 0);
    EXPECT_EQ(clefCol, -1);
    EXPECT_EQ(FindClefColLeft(1, 1), -1);
    EXPECT_EQ(FindClefColLeft(3, -1), -1);

    // Layer 0 is read for the clef code whatever the current layer is.
    CurLayer = 1;
    EXPECT_EQ(GetClefCodeAt(4, 0), -1);
    EXPECT_EQ(FindClefColLeft(4, 0), -1) << "this one reads the current layer";
    CurLayer = 0;

    fx.Row(2, "&G S:14 W:3 &N S:15 W:3 W:3");
    const TCellRow& row2 = fx.Score().PageSets[0][0][2];
    int c = 6;
    EXPECT_TRUE(FindKeyResetLeft(row2, c));
    EXPECT_EQ(c, 3);
    c = 6;
    EXPECT_TRUE(FindAccidentalLeft(row2, c));
    EXPECT_EQ(c, 4);
    c = 2;
    EXPECT_TRUE(FindAccidentalLeft(row2, c));
    EXPECT_EQ(c, 1);
    c = 2;
    EXPECT_FALSE(FindKeyResetLeft(row2, c)) << "the treble clef comes first";
    EXPECT_EQ(c, 2);
    c = 0; // 0 or less starts at the last cell of the vector
    EXPECT_TRUE(FindKeyResetLeft(row2, c));
    EXPECT_EQ(c, 3);
    c = 0;
    EXPECT_FALSE(FindKeyResetLeft(fx.Score().PageSets[0][0][0], c)) << "the -7 clef stops the walk";
    TCellRow empty;
    c = 3;
    EXPECT_FALSE(FindKeyResetLeft(empty, c));
    EXPECT_FALSE(FindAccidentalLeft(empty, c));
}

TEST(ColumnSearches, MeasureBounds) {
    TScoreFixture fx(10, 4, 1, 1);
    fx.Row(0, "&G W:3 | W:3 W:3 || W:3");
    fx.Row(1, "W:3 T:3/4 W:3 W:3 | W:3");
    fx.Row(3, "| ~ ~ ~ ~ ~ ~ ~ ~ |", 0, 1); // bar lines of layer 1 do not count
    struct Case {
        int col, row, start, end, measureStart, measureEnd;
    };
    const std::vector<Case> cases = {
        {3, 0, 2, 5, 2, 5},
        {2, 0, 2, 2, 2, 2},   // on a bar line: both bounds
        {1, 0, 0, 2, 0, 2},
        {6, 0, 5, 9, 5, 9},
        {3, 1, 0, 4, 1, 4},   // the time signature starts a measure for FindMeasureStartCol only
        {4, 3, 0, 9, 0, 9},   // no bar lines
        {-1, 0, 0, 2, 0, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.col) + "," + std::to_string(c.row));
        int s = -9, e = -9;
        CurLayer = 1;
        GetMeasureBounds(c.col, c.row, s, e);
        EXPECT_EQ(s, c.start);
        EXPECT_EQ(e, c.end);
        EXPECT_EQ(FindMeasureStartCol(c.col, c.row), c.measureStart);
        EXPECT_EQ(FindMeasureEndCol(c.col, c.row), c.measureEnd);
        CurLayer = 0;
    }
}

TEST(ColumnSearches, NextNoteAndFreeColumns) {
    TScoreFixture fx(8, 4);
    fx.Row(0, "~ S:14 - 3 ~ ~ S:5 ~");
    fx.Row(1, "3 S:5 ~ 4 W:3 ~ ~ ~");
    int col = 0;
    EXPECT_TRUE(FindNextJianpuNote(col, 0));
    EXPECT_EQ(col, 3);
    col = 4;
    EXPECT_FALSE(FindNextJianpuNote(col, 0));
    EXPECT_EQ(col, 4);

    struct Case {
        int from, row;
        bool found;
        int col;
    };
    const std::vector<Case> forward = {
        {0, 1, true, 2}, {2, 1, false, 2}, {4, 1, true, 5}, {7, 1, false, 7}, {6, 0, true, 7}, {3, 0, true, 4},
    };
    for (const auto& c : forward) {
        int k = c.from;
        EXPECT_EQ(FindFreeColForward(k, c.row), c.found) << c.from << "," << c.row;
        EXPECT_EQ(k, c.col) << c.from << "," << c.row;
    }
}

TEST(ColumnSearches, FreeColumnBackOverBothLayers) {
    TScoreFixture fx(8, 4, 1, 1);
    fx.Row(2, "~ ~ ~ ~ S:5 ~ ~");
    fx.Row(1, "3 ~ ~ ~ ~ ~ ~", 0, 1); // the Jianpu line above, in layer 1
    fx.Row(2, "~ 5 ~ ~ ~ S:3", 0, 1);
    int col = 6;
    EXPECT_TRUE(FindFreeColBack(col, 2));
    EXPECT_EQ(col, 6);
    col = 5;
    EXPECT_TRUE(FindFreeColBack(col, 2)) << "symbols are passed over";
    EXPECT_EQ(col, 3);
    col = 1;
    EXPECT_FALSE(FindFreeColBack(col, 2)) << "the Jianpu note on the same line";
    col = 0;
    EXPECT_FALSE(FindFreeColBack(col, 2)) << "the note of the line above";

    // Without a layer-1 page only the Western row counts.
    fx.Score().PageSets[1].clear();
    col = 3;
    EXPECT_TRUE(FindFreeColBack(col, 2));
    EXPECT_EQ(col, 3);
    col = 4;
    EXPECT_TRUE(FindFreeColBack(col, 2));
    EXPECT_EQ(col, 3);
    fx.Row(0, "W:3 ~");
    col = 0;
    EXPECT_FALSE(FindFreeColBack(col, 0));
    col = -1;
    EXPECT_FALSE(FindFreeColBack(col, 0));
}

TEST(ColumnSearches, SpanStartColumn) {
    TScoreFixture fx(10, 3);
    fx.Row(1, "3 ~ ~ 4 ~ ~ ~ ~ 5 ~");
    fx.Row(2, "~ ~ ~ 4");
    auto at = [&](int col, int n, int row = 1) {
        fx.Score().SelCol0 = col;
        fx.Score().SelRow0 = row;
        return FindSpanStartCol(n);
    };
    EXPECT_EQ(at(3, 1), 3);
    EXPECT_EQ(at(3, 4), 3) << "three blanks to the right";
    EXPECT_EQ(at(4, 4), 4);
    EXPECT_EQ(at(5, 4), 4) << "one more blank to the left";
    EXPECT_EQ(at(1, 4), 0) << "the first non-blank on the left answers at once";
    EXPECT_EQ(at(7, 3), 5);
    EXPECT_EQ(at(2, 6, 2), -1) << "too few blanks on both sides";
}

TEST(ColumnSearches, BeamGroupEnds) {
    TScoreFixture fx(10, 4);
    fx.Row(0, "W:3@1 W:3@1 W:3@1 W:4@1 W:4@1");
    fx.Row(1, "W:4@1 W:4@1 W:5@1 W:3@1 W:4@1{opt=2} W:4 W:4");
    fx.Row(2, "3_ 4_ 5__ 6 |");
    struct Case {
        int col, row;
        bool west;
        int step, expected;
    };
    const std::vector<Case> cases = {
        {0, 0, true, 1, 2},   // quarters run up to the eighth
        {3, 0, true, 1, 4},   // the eighths end at the empty cell
        {0, 1, true, 1, 2},   // eighths and a sixteenth, up to the quarter
        {3, 1, true, 1, 4},   // the combined-tail flag answers at once
        {5, 1, true, -1, 4},
        {2, 1, true, -1, 0},
        {9, 1, true, 1, 9},   // not a note: the column itself
        {0, 2, false, 1, 2},  // Jianpu levels are the underline counts
        {1, 2, false, -1, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindBeamGroupEnd(c.col, c.row, c.west, c.step), c.expected)
            << c.col << "," << c.row << " step " << c.step;
}

TEST(ColumnSearches, TailGroupRange) {
    TScoreFixture fx(10, 4);
    fx.Row(0, "W:4{opt=2} W:4 W:4{opt=4} W:4 W:4{opt=0x100} W:4 W:4{opt=0x200}");
    fx.Row(1, "W:4{opt=6} W:4 W:4{opt=2} W:4");
    struct Case {
        int col, row;
        bool found;
        int start, end;
    };
    const std::vector<Case> cases = {
        {1, 0, true, 0, 2}, {0, 0, true, 0, 2}, {2, 0, true, 0, 2},
        {3, 0, false, 7, 8}, // outside: the caller's values stay
        {5, 0, true, 4, 6},  {6, 0, true, 4, 6},
        {0, 1, true, 0, 0},  // both flags on one cell
        {1, 1, false, 7, 8},
        {3, 1, false, 7, 8}, // a start without an end
    };
    for (const auto& c : cases) {
        int s = 7, e = 8;
        EXPECT_EQ(FindTailGroupRange(c.col, c.row, s, e), c.found) << c.col << "," << c.row;
        EXPECT_EQ(s, c.start) << c.col << "," << c.row;
        EXPECT_EQ(e, c.end) << c.col << "," << c.row;
    }
}

TEST(ColumnSearches, NoteCounts) {
    TScoreFixture fx(10, 4, 1, 1);
    fx.Row(0, "3 4 ~ 5 6{attr=0xC0}");
    fx.Row(1, "~{attr=0xA0} 3 ~{attr=0xB0} ~{attr=0xC0}");
    TCell& shrunk = fx.At(0, 1);
    shrunk.CompressNotes = {{'1', 0, 0, 0, 0, 0}, {32, 0, 0, 0, 0, 0}, {'2', 0, 0, 0, 0, 0}};
    fx.At(2, 1).CompressNotes = shrunk.CompressNotes; // vertical: one note
    fx.At(3, 1).CompressNotes = shrunk.CompressNotes; // grace with small notes
    fx.Row(0, "1 2 3 4 5 6", 0, 1);

    EXPECT_EQ(CountNotesInSpan(0, 0, 1, -1), 2);
    EXPECT_EQ(CountNotesForCurve(0, 0, 1, -1), 3) << "two notes make a curve of three";
    EXPECT_EQ(CountNotesForCurve(0, 0, 3, -1), 3) << "a blank is no note";
    EXPECT_EQ(CountNotesInSpan(0, 0, 4, -1), 3) << "a grace note does not count";
    EXPECT_EQ(CountNotesInSpan(0, 1, 1, -1), 3) << "two small notes and a plain note";
    EXPECT_EQ(CountNotesInSpan(2, 1, 2, -1), 1);
    EXPECT_EQ(CountNotesInSpan(3, 1, 3, -1), 2) << "grace cell's small notes count here ...";
    EXPECT_EQ(CountNotesForCurve(3, 1, 3, -1), 0) << "... but not for curves";
    EXPECT_EQ(CountNotesInSpan(0, 0, 5, 1), 6) << "the layer asked for";
    EXPECT_EQ(CountNotesInSpan(8, 0, 12, -1), 3) << "columns off the grid count one each";
}

TEST(ColumnSearches, DashesAndDotsAfter) {
    TScoreFixture fx(10, 4);
    fx.Row(0, "3 - ~ . - S:5 - 4 -");
    fx.Row(1, "3 . - . ~{type=12,note=7} . | .");
    EXPECT_EQ(CountDashesAfter(0, 0), 3);
    EXPECT_EQ(CountDotsAfter(0, 0), 1);
    EXPECT_EQ(CountDashesAfter(0, 1), 1);
    EXPECT_EQ(CountDotsAfter(0, 1), 3) << "the bar line ends the count";
    EXPECT_EQ(CountDashesAfter(9, 0), 0);
}

TEST(KeyTexts, KeyOfARow) {
    struct Case {
        const char* picture;
        const char* letter;
        int key, col;
    };
    const std::vector<Case> cases = {
        {"\"1=G\"", "G", 1, 0},
        {"~ \"1 = F#\"", "F", 11, 1},
        {"\"1=Bb\"", "B", 7, 0},
        {"\"1=bB\"", "B", 7, 0},
        {"\"1=Eb\"", "E", 8, 0},
        {"\"1=Cb\"", "C", 5, 0},
        {"\"1=Db\"", "D", 14, 0},
        {"\"1=C#\"", "C", 14, 0},
        {"\"1=A\"", "A", 3, 0},
        {"\"1=c\"", "", -1, -1},            // no capital letter A..G after the prefix
        {"\"1=C\" ~ \"1=D\"", "D", 2, 2},   // the rightmost key text wins
        {"\"1=D\" ~ \"1=x\"", "D", 2, 0},   // a text without a key letter is passed over
        {"\"G major\"", "", -1, -1},
        {"\"1=D\"{attr=0x90,note=7}", "C", 0, 0}, // a boxed key text is C
    };
    for (const auto& c : cases) {
        TScoreFixture fx(6, 2);
        fx.Row(0, c.picture);
        int key = 99, code = 99, col = 99;
        EXPECT_EQ(FindJianpuKeyInRow(fx.Score().PageSets[0][0][0], key, code, col), c.letter) << c.picture;
        EXPECT_EQ(key, c.key) << c.picture;
        EXPECT_EQ(col, c.col) << c.picture;
        EXPECT_EQ(code, std::string(c.picture).find("0x90") != std::string::npos ? 7 : -1) << c.picture;
    }
}

TEST(KeyTexts, KeyAtACell) {
    TScoreFixture fx(8, 3, 1, 1);
    fx.Row(0, "\" 1=F# \" \"1= C Fixed Key\"{note=5} \"Largo\" 3");
    fx.Row(1, "\"1=G\"", 0, 1);
    int fixedDo = 0, note = 0;
    EXPECT_EQ(GetJianpuKeyAt(0, 0, fixedDo, note), 6) << "blanks around the text are removed";
    EXPECT_EQ(fixedDo, 0);
    EXPECT_EQ(GetJianpuKeyAt(1, 0, fixedDo, note), 0);
    EXPECT_EQ(fixedDo, 1);
    EXPECT_EQ(note, 5);
    EXPECT_EQ(GetJianpuKeyAt(2, 0, fixedDo, note), -1);
    EXPECT_EQ(GetJianpuKeyAt(3, 0, fixedDo, note), -1);
    CurLayer = 1;
    EXPECT_EQ(GetJianpuKeyAt(0, 1, fixedDo, note), -1) << "layer 0 is read";
    CurLayer = 0;
    EXPECT_EQ(GetJianpuKeyAt(-1, 0, fixedDo, note), -1);
    EXPECT_EQ(GetJianpuKeyAt(0, 9, fixedDo, note), -1);
}

} // namespace
