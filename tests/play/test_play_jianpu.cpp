// Jianpu cells to play items: lengths, pitches in the key in force, vertical
// chords, grace lists and key texts.
#include <gtest/gtest.h>

#include "model/modTQGroup.h"
#include "play/modTQPlayState.h"
#include "tests/support/TQScoreFixture.h"

namespace {

class PlayJianpuTest : public ::testing::Test {
  protected:
    void SetUp() override { GroupRows.clear(); }
    void TearDown() override { GroupRows.clear(); }
    int Length(int col, int row = 1, int staff = 0) {
        const TCell& c = fx_.At(col, row);
        return play_.JianpuCellDuration(c.UL, col, row, c.Attr, -1, staff, c.playDur);
    }
    TScoreFixture fx_{12, 6, 2};
    TPlayState play_;
};

TEST_F(PlayJianpuTest, Lengths) {
    fx_.Row(1, "5_ . . 1 - | - 3{dur=14} 2{dur=9} 1. 2.. 4__");
    EXPECT_EQ(Length(0), 1120); // 640 + 320 + 160
    fx_.At(2, 1) = TScoreFixture::Cell("~");
    EXPECT_EQ(Length(0), 960);
    EXPECT_EQ(Length(3), 2560) << "the dash after the bar line does not count";
    EXPECT_EQ(Length(7), 960) << "override: eighth with a dot";
    EXPECT_EQ(Length(8), 0) << "override 9";
    EXPECT_EQ(Length(9), 1920);
    EXPECT_EQ(Length(10), 2240);
    EXPECT_EQ(Length(11), 320);
    play_.PlayTempo = 8; // slow tempi do not wrap
    EXPECT_EQ(Length(3), 32000);
    play_.PlayTempo = 100;
    // no position: the bare value
    EXPECT_EQ(play_.JianpuCellDuration(1, -1, -1, 0, 0, -1, 0), 640);
    // a fermata doubles, a tuplet scales and takes no dashes
    TGroupData g;
    g.row = 1;
    GroupRows = {g};
    fx_.Row(0, "~ ~ ~ S:109");
    EXPECT_EQ(Length(3), 5120) << "fermata";
    EXPECT_EQ(Length(0), 960);
    GroupRows.clear();
    play_.ActiveTuplet[0] = {1, 3, TupletFactor(3), 3};
    EXPECT_EQ(Length(3), 853); // 1280 x 2/3: three of them fill 2560 within a unit
}

TEST_F(PlayJianpuTest, PitchesInTheKey) {
    struct Case {
        const char* what;
        int tonic, keyOctave, note, dots;
        uint32_t attr;
        int octave, pitch;
    } cases[] = {
        {"C: 1", 0, 0, '1', 0, 0, 0, 0},
        {"C: sharp 7", 0, 0, '7', 0, 1, 1, 0},
        {"C: flat 1", 0, 0, '1', 0, 2, -1, 11},
        {"C: double sharp 6 with a dot up", 0, 0, '6', 1, 6, 1, 11},
        {"1=A: 1", 9, -1, '1', 0, 0, -1, 9},
        {"1=A: 5", 9, -1, '5', 0, 0, 0, 4},
        {"1=G: 1", 7, 0, '1', 0, 0, 0, 7},
        {"rest 0", 0, 0, '0', 0, 0, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        play_.ClearBarAccidentals();
        play_.KeyTonic = c.tonic;
        play_.KeyOctave = c.keyOctave;
        TPNote slot;
        play_.JianpuNotePitch(c.note, c.dots, c.attr, 0, 0, slot);
        EXPECT_EQ(slot.Pitch, c.pitch);
        if (c.pitch >= 0) {
            EXPECT_EQ(slot.Octave, c.octave);
        }
    }
    // The bar remembers the sharp for the same degree and dots.
    play_.KeyTonic = play_.KeyOctave = 0;
    play_.ClearBarAccidentals();
    TPNote a, b, c;
    play_.JianpuNotePitch('4', 1, 1, 0, 0, a);
    play_.JianpuNotePitch('4', 1, 0, 1, 0, b);
    play_.JianpuNotePitch('4', 0, 0, 2, 0, c);
    EXPECT_EQ(a.Pitch, 6);
    EXPECT_EQ(b.Pitch, 6);
    EXPECT_EQ(c.Pitch, 5);
    const int codes[12] = {0, 14, 2, 8, 4, 6, 13, 1, 9, 3, 7, 5};
    for (int pc = 0; pc < 12; ++pc)
        EXPECT_EQ(PitchClassToKeyCode(pc), codes[pc]);
    EXPECT_EQ(PitchClassToKeyCode(12), 0);
}

TEST_F(PlayJianpuTest, SmallVerticalChordBorrowsFromTheNextNote) {
    fx_.Row(1, "1_ 1");
    TCell chord = fx_.At(0, 1);
    chord.CompressNotes = {{'1', 1, 0, 0, 0, 0}, {'3', 1, 0, 0, 0, 0}, {'5', 1, 1, 0, 0, 0}};
    chord.fontSizeR = 0.8f;
    std::vector<TPlayItem> list;
    play_.AddJianpuVerticalItem(chord, 0, list, 0, false);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(NoteCount(list[0]), 3);
    EXPECT_EQ(list[0].Duration, 640);
    EXPECT_EQ(list[0].Notes[2].Pitch, 7);
    EXPECT_EQ(list[0].Notes[2].Octave, 1);
    EXPECT_EQ(play_.BorrowedTime, 640);
    EXPECT_EQ(Length(1), 640) << "max(640, 1280 - 640)";
    play_.BorrowedTime = 1000;
    EXPECT_EQ(Length(1), 640) << "never below half";

    TCell blanks = chord;
    for (auto& e : blanks.CompressNotes)
        e.code = 32;
    play_.AddJianpuVerticalItem(blanks, 0, list, 0, false);
    EXPECT_EQ(list.size(), 1u);
    play_.AddJianpuVerticalItem(chord, 0, list, 0, true);
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(NoteCount(list[0]), 6) << "merged into the first item";
}

TEST_F(PlayJianpuTest, GraceListTakesTimeFromTheItemBefore) {
    fx_.Row(1, "5");
    TCell grace = fx_.At(0, 1);
    grace.CompressNotes = {{'6', 1, 0, 0, 0, 0}, {'5', 1, 0, 0, 0, 0}};
    TPlayItem before;
    before.Duration = 1280;
    before.Notes[0] = {0, 0, 100, 1280, 0, 0, 0};
    play_.PlayList = {TPlayItem{}, before};
    std::vector<TPlayItem> list;
    play_.AddJianpuGraceItems(grace, 0, 1, list, 0);
    ASSERT_EQ(list.size(), 2u);
    // Two grace eighths (640 / 2 x 0.8 = 256 each) take at most a quarter of
    // the note before, 320, shared between them.
    EXPECT_EQ(list[0].Duration, 160);
    EXPECT_EQ(list[1].Duration, 160);
    EXPECT_EQ(list[0].Notes[0].Pitch, 9);
    EXPECT_EQ(NoteCount(list[1]), 1);
    EXPECT_EQ(play_.PlayList.back().Duration, 960);
    EXPECT_EQ(play_.PlayList.back().Notes[0].Length, 960);
}

TEST_F(PlayJianpuTest, KeyTextsInForce) {
    fx_.Row(0, "\"1=A\"");
    fx_.Row(1, "1 2 3 4 |");
    fx_.Row(3, "~ ~ \"1=G\"");
    fx_.Row(4, "1 2 3 4 |");
    fx_.Row(1, "1 2 3 4 |", 1);
    play_.CollectJianpuKeyChanges(1, false);
    ASSERT_EQ(play_.KeyRecs.size(), 2u);
    EXPECT_EQ(play_.KeyRecs[0].Tonic, 9);
    EXPECT_EQ(play_.KeyRecs[0].OctaveFlag, 255);
    EXPECT_EQ(play_.KeyRecs[0].Col, 0);
    EXPECT_EQ(play_.KeyRecs[0].Row, 1);
    EXPECT_EQ(play_.KeyRecs[1].Tonic, 7);
    EXPECT_EQ(play_.KeyRecs[1].Col, 2);
    EXPECT_EQ(play_.KeyRecs[1].Row, 4);
    play_.ApplyJianpuKeyChange(0, 1, 0);
    EXPECT_EQ(play_.KeyTonic, 9);
    EXPECT_EQ(play_.KeyOctave, -1);
    play_.ApplyJianpuKeyChange(0, 4, 2);
    EXPECT_EQ(play_.KeyTonic, 7);
    EXPECT_EQ(play_.KeyOctave, 0);

    // A start on the next page finds the key written on an earlier page.
    TPlayState later;
    fx_.Score().CurPage = 1;
    later.CollectJianpuKeyChanges(1, true);
    ASSERT_EQ(later.KeyRecs.size(), 1u);
    EXPECT_EQ(later.KeyRecs[0].Tonic, 7);
    EXPECT_EQ(fx_.Score().CurPage, 1);
}

} // namespace
