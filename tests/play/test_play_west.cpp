// Western cells to play items: lengths and pitches.
#include <gtest/gtest.h>

#include "model/modTQGroup.h"
#include "model/modTQKeys.h"
#include "play/modTQPlayState.h"
#include "tests/support/TQScoreFixture.h"

namespace {

TEST(PlayWestTest, CellLengths) {
    struct Case {
        const char* token;
        int tempo;
        int expected;
    } cases[] = {
        {"W:3", 100, 1280},
        {"W:3", 80, 1600},
        {"W:3{opt=0x4000000}", 100, 1344},
        {"W:2.", 100, 3840},
        {"W:2..", 100, 4480},
        {"W:1{opt=0x20000}", 100, 10240},
        {"W:3.{dur=4}", 100, 640},
        {"W:3.{dur=9}", 100, 0},
        {"W:3.{dur=14}", 100, 640}, // the override's dots do not lengthen it
        {"W:9", 100, 20},
        {"W:1.{opt=0x20008}", 8, 192000}, // a dotted breve at tempo 8: beyond 16 bits
        {"W:3", 0, 128000},               // tempo 0 divides by 1
    };
    TPlayState play;
    for (const Case& c : cases) {
        play.PlayTempo = c.tempo;
        EXPECT_EQ(play.WestCellDuration(0, TScoreFixture::Cell(c.token), 0), c.expected) << c.token << " @" << c.tempo;
    }
    // Tuplet and staff tempo.
    play.PlayTempo = 100;
    play.ActiveTuplet[2] = {1, 3, TupletFactor(3), 5};
    EXPECT_EQ(play.WestCellDuration(5, TScoreFixture::Cell("W:4"), 2), 427); // 640 x 2/3, rounded
    EXPECT_EQ(play.ActiveTuplet[2].Left, 2);
    EXPECT_EQ(play.WestCellDuration(6, TScoreFixture::Cell("W:4"), 2), 640) << "after the tuplet's last column";
    {
        // A fermata over the staff doubles the note; with no staff it is not looked for.
        TScoreFixture fx(8, 4);
        fx.Row(0, "~ S:1");
        fx.Row(1, "&G W:3@6");
        TGroupData g;
        g.row = 1;
        GroupRows = {g};
        EXPECT_EQ(play.WestCellDuration(1, TScoreFixture::Cell("W:3"), 0), 2560);
        EXPECT_EQ(play.WestCellDuration(2, TScoreFixture::Cell("W:3"), 0), 1280);
        EXPECT_EQ(play.WestCellDuration(1, TScoreFixture::Cell("W:3"), -1), 1280);
        GroupRows.clear();
    }

    // A step takes the shortest cell; a rest is read by its value.
    TPlayItem item;
    play.WestStepDuration(0, TScoreFixture::Cell("W:2"), item, -1);
    play.WestStepDuration(0, TScoreFixture::Cell("W:23"), item, -1); // eighth rest
    EXPECT_EQ(item.Duration, 640);
    play.WestStepDuration(0, TScoreFixture::Cell("W:19"), item, -1); // whole-bar rest: timed elsewhere
    EXPECT_EQ(item.Duration, 0);
    EXPECT_EQ(WestRestValue(20), 1);
    EXPECT_EQ(WestRestValue(27), 8);
    EXPECT_EQ(WestRestValue(19), 81);
    EXPECT_EQ(WestRestValue(5), 5);
}

class WestPitchTest : public ::testing::Test {
  protected:
    void SetUp() override { GroupRows.clear(); }
    void TearDown() override { GroupRows.clear(); }
    // One Western staff in row 1 with its clef in column 0.
    void Staff(const char* picture, int clef) {
        fx_.Row(1, picture);
        TGroupData g;
        g.row = 1;
        g.clef = static_cast<int16_t>(clef);
        g.clefColumn = 0;
        g.isWest = true;
        g.keyCode = static_cast<uint8_t>(fx_.At(0, 1).Attr);
        GroupRows = {g};
    }
    // (octave, pitch) of every note of the cell at col.
    std::vector<std::pair<int, int>> Notes(int col) {
        TPlayItem item;
        item.Col = col;
        item.Row = 1;
        item.Duration = 1280;
        const int n = play_.WestCellNotes(item, fx_.At(col, 1), 0);
        std::vector<std::pair<int, int>> out;
        for (int i = 0; i < n; ++i)
            out.push_back({item.Notes[i].Octave, item.Notes[i].Pitch});
        EXPECT_EQ(NoteCount(item), n);
        return out;
    }
    TScoreFixture fx_{12, 4};
    TPlayState play_;
};

using P = std::vector<std::pair<int, int>>;

TEST_F(WestPitchTest, TrebleStaffInC) {
    Staff("&G W:3@6 W:3@-1{attr=1} W:3@0{attr=1} W:3@-1{attr=2} W:3@6{opt=0x3000} W:3@6+2+2 W:23 W:3@-1", -1);
    EXPECT_EQ(Notes(1), (P{{0, 0}}));   // middle C
    EXPECT_EQ(Notes(2), (P{{1, 1}}));   // C sharp an octave up
    EXPECT_EQ(Notes(3), (P{{1, 0}}));   // B sharp: C of the octave above
    EXPECT_EQ(Notes(4), (P{{0, 11}}));  // C flat: B of the octave below
    EXPECT_EQ(Notes(5), (P{}));         // stem and head hidden
    EXPECT_EQ(Notes(6), (P{{0, 0}, {0, 4}, {0, 7}}));
    EXPECT_EQ(Notes(7), (P{}));         // a rest
    EXPECT_EQ(Notes(8), (P{{0, 11}}))   // the flat on that line holds for the bar
        << "bar accidental";
    play_.ClearBarAccidentals();
    EXPECT_EQ(Notes(8), (P{{1, 0}}));
}

TEST_F(WestPitchTest, KeySignatureClefAndOctaveMarks) {
    Staff("&G/2 W:3@3 W:3@3{attr=3} W:3@3", -1); // D major: F sharp
    EXPECT_EQ(Notes(1), (P{{0, 6}}));
    EXPECT_EQ(Notes(2), (P{{0, 5}})) << "natural";
    EXPECT_EQ(Notes(3), (P{{0, 5}})) << "the natural holds for the bar";

    play_.ClearBarAccidentals();
    play_.CurClef = 0; // reload
    Staff("&F W:3@-6 W:3@-6", -2); // bass clef: middle C one step above the top line
    EXPECT_EQ(Notes(1), (P{{0, 0}}));
    play_.OctaveShifts[0] = {0, 0, 1};
    EXPECT_EQ(Notes(2), (P{{1, 0}})) << "8va";

    Staff("&D W:3@2", -4);
    EXPECT_EQ(Notes(1), (P{{0, 0}})) << "drum staff";
}

} // namespace

namespace {

TEST_F(WestPitchTest, GraceNotesBorrowFromTheItemBefore) {
    Staff("&G W:3@6", -1);
    TCell grace = TScoreFixture::Cell("W:3@4");
    grace.CompressNotes = {{3, 4, 0, 0, 0, 0}, {3, 3, 0, 1, 0, 0}}; // E, then F sharp
    TPlayItem before;
    before.Duration = 1280;
    before.Notes[0] = {0, 0, 100, 1280, 0, 0, 0};
    play_.PlayList = {TPlayItem{}, before};
    std::vector<TPlayItem> staffList;
    play_.WestCellToItems(grace, staffList, 2, 1, 0);
    ASSERT_EQ(staffList.size(), 2u);
    for (const TPlayItem& it : staffList) {
        EXPECT_EQ(it.Duration, 160); // sixteenths, halved for fewer than three
        EXPECT_EQ(it.Notes[0].Length, 160);
        EXPECT_EQ(NoteCount(it), 1);
    }
    EXPECT_EQ(staffList[0].Notes[0].Pitch, 4);
    EXPECT_EQ(staffList[1].Notes[0].Pitch, 6);
    EXPECT_EQ(play_.PlayList.back().Duration, 960) << "both small notes before the beat";
    EXPECT_EQ(play_.PlayList.back().Notes[0].Length, 960);

    // Without small notes: one item, or none for a cell without notes.
    staffList.clear();
    play_.WestCellToItems(TScoreFixture::Cell("W:3@6"), staffList, 1, 1, 0);
    play_.WestCellToItems(TScoreFixture::Cell("W:22"), staffList, 1, 1, 0);
    ASSERT_EQ(staffList.size(), 1u);
    EXPECT_EQ(staffList[0].Duration, 1280);
}

} // namespace

namespace {

TEST_F(WestPitchTest, SlurredNoteOnTheSameLineLengthensTheFirst) {
    fx_.Row(0, "~ ~{mark=1,iEnd=3} ~ ~ ~{mark=1,iEnd=7}");
    Staff("&G W:3@6 W:3@6 W:2@6 W:3@6 W:3@4 ~ W:3@6", -1);
    auto length = [&](int col) {
        TPlayItem item;
        item.Col = col;
        item.Row = 1;
        item.Duration = 1280;
        play_.WestCellNotes(item, fx_.At(col, 1), 0);
        return item.Notes[0].Length;
    };
    EXPECT_EQ(length(1), 1280 + 1280) << "tied to the next note on the same line";
    EXPECT_EQ(length(2), 1280) << "no mark at the note";
    EXPECT_EQ(length(4), 1280) << "a note before the mark's end stops the search";
}

} // namespace
