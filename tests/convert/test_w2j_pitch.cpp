// Western to Jianpu: degrees, octave dots and accidentals.
#include <gtest/gtest.h>

#include "model/modTQUndo.h"
#include "platform/core/TQMessage.h"
#include "tests/convert/TQConvertFixture.h"

namespace {

// Letter index (A 0 .. G 6) and pitch class of the tonic of key codes 0..14.
struct TKeyTonic {
    int letter;
    int pc;
};
constexpr TKeyTonic kTonic[15] = {{2, 0}, {6, 7}, {3, 2}, {0, 9}, {4, 4},  {1, 11}, {5, 5}, {1, 10},
                                  {4, 3}, {0, 8}, {3, 1}, {6, 6}, {2, 11}, {5, 6},  {2, 1}};
constexpr int kMajor[7] = {0, 2, 4, 5, 7, 9, 11};

int SignatureShift(int key, int letter) {
    TCell clef;
    clef.cellType = ctWestern;
    clef.Note = -1;
    clef.Attr = static_cast<uint32_t>(key);
    SetKeyAccidTable(clef);
    return KeyAccidentals[letter] == 1 ? 1 : KeyAccidentals[letter] == 2 ? -1 : 0;
}

// Every entry of the movable-do rewrite keeps the pitch: the written note (the
// key's degree, its letter altered as written) sounds the same as the Jianpu
// degree with its sign, one octave up or down where the entry wraps.
TEST(KeyRewriteDegree, EveryEntryKeepsThePitch) {
    TConvertFixture fx;
    fx.view.CurClef = -1;
    struct TWritten {
        int accid;
        int shift;
        bool fromKey;
    };
    const TWritten written[] = {{0, 0, true},  {1, 1, false},  {2, -1, false},
                                {3, 0, false}, {5, -2, false}, {6, 2, false}};
    for (int key = 0; key < 15; ++key) {
        const int correction = (key == 7 || key == 9) ? 1 : 0;
        for (const TWritten& w : written) {
            for (int d = 1; d <= 7; ++d) {
                const int letter = (kTonic[key].letter + d - 1) % 7;
                const int sig = SignatureShift(key, letter);
                const int in = kMajor[d - 1] + (w.fromKey ? 0 : w.shift - sig);
                fx.view.CurKey = key;
                int accid = w.accid;
                int degree = '0' + d;
                const int change = TConvertW2J::KeyRewriteDegree(accid, degree);
                ASSERT_GE(degree, '1');
                ASSERT_LE(degree, '7');
                const int outShift = accid == 1 ? 1 : accid == 2 ? -1 : 0;
                const int out = kMajor[degree - '1'] + outShift + 12 * (change - correction);
                EXPECT_EQ(out, in) << "key " << key << " accidental " << w.accid << " degree " << d;
                if (w.fromKey) {
                    EXPECT_EQ(accid, 0) << "key " << key << " degree " << d;
                }
            }
        }
    }
}

TEST(KeyRewriteDegree, NamedEntries) {
    TConvertFixture fx;
    fx.view.CurClef = -1;
    struct TCase {
        int key, accid, degree;
        int wantAccid, wantDegree, wantChange;
    };
    const TCase cases[] = {
        {1, 3, '7', 2, '7', 0},  // G major, F natural -> b7
        {1, 3, '4', 3, '4', 0},  // G major, C natural -> natural 4
        {0, 6, '7', 1, '1', 1},  // C major, B double sharp -> #1 an octave up
        {7, 2, '1', 3, '1', 1},  // B-flat major, B flat: natural 1, the key's octave correction
        {0, 4, '3', 4, '3', 0},  // quarter-tone sharp passes through
        {20, 1, '3', 1, '3', 0}, // a key code outside the table changes nothing
    };
    for (const TCase& c : cases) {
        fx.view.CurKey = c.key;
        int accid = c.accid, degree = c.degree;
        const int change = TConvertW2J::KeyRewriteDegree(accid, degree);
        EXPECT_EQ(accid, c.wantAccid) << "key " << c.key;
        EXPECT_EQ(degree, c.wantDegree) << "key " << c.key;
        EXPECT_EQ(change, c.wantChange) << "key " << c.key;
    }
}

// "Selected Rows" over a treble staff in G: degrees and dots from the staff
// position, the key text above the staff, nothing highlighted.
TEST(W2JPitch, TrebleStaffInG) {
    TConvertFixture fx(16, 6);
    TMessageRecorder rec;
    SetMessageBoxes(&rec);
    fx.Row(3, "&G/1 ~ W:3@2 ~ W:3@-5 ~ W:3@-4");
    fx.Select(3, 3);
    fx.cvt.ConvertW2JSelected(false);
    SetMessageBoxes(nullptr);
    Undo.ClearUndoFiles();
    EXPECT_TRUE(rec.shown.empty());

    struct TWant {
        int col;
        int note;
        int dots;
    };
    for (const TWant& w : {TWant{2, '1', 0}, TWant{4, '1', 1}, TWant{6, '7', 0}}) {
        const TCell& c = fx.At(w.col, 3);
        EXPECT_EQ(c.cellType, ctJianpu) << w.col;
        EXPECT_EQ(c.Note, w.note) << w.col;
        EXPECT_EQ(c.dot, w.dots) << w.col;
        EXPECT_EQ(c.Attr, 0u) << w.col;
    }
    EXPECT_EQ(fx.At(0, 3).cellType, ctJianpu);
    EXPECT_EQ(fx.At(0, 3).Note, 32);
    EXPECT_EQ(fx.At(1, 2).cellType, ctText);
    EXPECT_EQ(fx.At(1, 2).Text, "1=G");
    EXPECT_TRUE(fx.view.Highlights.empty());
}

struct TClefCase {
    const char* name;
    const char* row; // the staff row, header at column 0, the note at column 2
    int note;
    int dots;
};

void PrintTo(const TClefCase& c, std::ostream* os) {
    *os << c.name;
}

class W2JClefs : public ::testing::TestWithParam<TClefCase> {};

TEST_P(W2JClefs, NoteOfTheClef) {
    const TClefCase& c = GetParam();
    TConvertFixture fx(16, 6);
    fx.Row(3, c.row);
    fx.Select(2, 3);
    fx.cvt.ConvertW2JPage(3);
    EXPECT_EQ(fx.At(2, 3).Note, c.note);
    EXPECT_EQ(fx.At(2, 3).dot, c.dots);
}

INSTANTIATE_TEST_SUITE_P(Table, W2JClefs,
                         ::testing::Values(TClefCase{"BassCSecondSpace", "&F ~ W:3@1 ~ W:3@0", '1', -1},
                                           TClefCase{"BassMiddleC", "&F ~ W:3@-6 ~ W:3@0", '1', 0},
                                           TClefCase{"Drum", "&D ~ W:3@-3 ~ W:3@0", 'x', 0},
                                           TClefCase{"TrebleBbBelowMiddleC", "&G/7 ~ W:3@7 ~ W:3@0", '1', 0},
                                           TClefCase{"BassBbBelowMiddleC", "&F/7 ~ W:3@-5 ~ W:3@0", '1', 0},
                                           TClefCase{"AltoBbBelowMiddleC", "&C/7 ~ W:3@1 ~ W:3@0", '1', 0},
                                           TClefCase{"TenorBbBelowMiddleC", "&T/7 ~ W:3@-1 ~ W:3@0", '1', 0},
                                           TClefCase{"TrebleGUpAnOctave", "&G/1 ~ W:3@-5 ~ W:3@0", '1', 1}),
                         [](const ::testing::TestParamInfo<TClefCase>& info) {
                             return std::string(info.param.name);
                         });

// Fixed do against movable do on one row in D major: F and C unmarked.
TEST(W2JPitch, FixedDoAgainstMovableDo) {
    struct TMode {
        bool fixed;
        int fNote, fAccid, cNote, cAccid;
        const char* text;
    };
    for (const TMode& m :
         {TMode{false, '3', 0, '7', 0, "1=D"}, TMode{true, '4', 1, '1', 1, "1=C Fixed Key"}}) {
        TConvertFixture fx(16, 6);
        fx.view.mitFixedKeyChecked = m.fixed;
        // F on the top line (-4), C in the third space (-1).
        fx.Row(3, "&G/2 ~ W:3@-4 ~ W:3@-1 ~ W:3@0");
        fx.Select(2, 3);
        fx.cvt.ConvertW2JPage(3);
        EXPECT_EQ(fx.At(2, 3).Note, m.fNote) << m.fixed;
        EXPECT_EQ(fx.At(2, 3).Attr & 0xFu, static_cast<uint32_t>(m.fAccid)) << m.fixed;
        EXPECT_EQ(fx.At(4, 3).Note, m.cNote) << m.fixed;
        EXPECT_EQ(fx.At(4, 3).Attr & 0xFu, static_cast<uint32_t>(m.cAccid)) << m.fixed;
        EXPECT_EQ(fx.At(1, 2).Text, m.text) << m.fixed;
        EXPECT_EQ(fx.At(1, 2).Attr, m.fixed ? 0x90u : 0u);
    }
}

TEST(W2JPitch, ChordBecomesVerticalCell) {
    TConvertFixture fx(16, 6);
    // C major: E, G, C above it (intervals 2 and 3 steps up).
    fx.Row(3, "&G ~ W:3@4+2+3 ~ W:3@0");
    fx.Select(2, 3);
    fx.cvt.ConvertW2JPage(3);
    const TCell& c = fx.At(2, 3);
    ASSERT_EQ(c.CompressNotes.size(), 3u);
    EXPECT_EQ(c.Attr & 0xF0u, 0xB0u);
    EXPECT_EQ(c.CompressNotes[0].code, '3');
    EXPECT_EQ(c.CompressNotes[1].code, '5');
    EXPECT_EQ(c.CompressNotes[2].code, '1');
    EXPECT_EQ(c.CompressNotes[2].octave, 1);
    EXPECT_EQ(c.Note, '1');
    EXPECT_EQ(c.dot, 1);
}

// A #3 after a #4 stays; in a bar without #4 every #3 becomes natural 4.
TEST(W2JPitch, RespellEnharmonics) {
    TConvertFixture fx(16, 3);
    fx.Row(0, "~ ~ #4 #3 N:60 #3 1 #7 b1 b4 ~ ~ ~");
    TCellRow& cells = fx.GridRow(0);
    TConvertW2J::RespellEnharmonics(cells);
    EXPECT_EQ(cells[3].Note, '3');
    EXPECT_EQ(cells[3].Attr, 1u);
    EXPECT_EQ(cells[5].Note, '4');
    EXPECT_EQ(cells[5].Attr, 3u);
    EXPECT_EQ(cells[7].Note, '1');
    EXPECT_EQ(cells[7].dot, 1);
    EXPECT_EQ(cells[8].Note, '7');
    EXPECT_EQ(cells[8].dot, -1);
    EXPECT_EQ(cells[9].Note, '3');
    EXPECT_EQ(cells[9].Attr, 3u);
}

TEST(W2JCell, HintOfANote) {
    TConvertFixture fx(16, 6);
    fx.Row(3, "&G/1 ~ W:3@-4{attr=3} ~ W:3@2 &N ~ W:3@2");
    fx.view.CurKey = 5;
    TCell cell = fx.At(2, 3);
    ASSERT_TRUE(fx.cvt.ConvertW2JCell(cell, 2, 3));
    EXPECT_EQ(cell.Note, '7');
    EXPECT_EQ(cell.Attr & 0xFu, 2u); // F natural in G major: b7
    EXPECT_EQ(fx.view.CurKey, 5);    // the window's key is left alone
    // After a key reset the key is C: G is 5.
    cell = fx.At(7, 3);
    ASSERT_TRUE(fx.cvt.ConvertW2JCell(cell, 7, 3));
    EXPECT_EQ(cell.Note, '5');
    // No clef at or before the column: no hint.
    fx.Row(4, "W:3@2 &G");
    cell = fx.At(0, 4);
    EXPECT_FALSE(fx.cvt.ConvertW2JCell(cell, 0, 4));
}

} // namespace
