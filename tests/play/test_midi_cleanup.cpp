// Clean-up of imported staves: the passes over placed cells of a grand staff
// (upper staff row 6, lower staff row 9, notes from column 4 every two columns,
// 480 ticks per quarter note).
#include <gtest/gtest.h>

#include "model/modTQCellAccess.h"
#include "play/modTQMIDIReader.h"
#include "tests/support/TQScoreFixture.h"

namespace {

class MidiCleanupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        reader_.DivisionHigh = 480 / 256;
        reader_.DivisionLow = 480 % 256;
        reader_.Gap = 3;
        reader_.ExtraRows = 3;
        reader_.SignatureSharps = 0;
    }
    // A placed note (1..8) or rest (20..27) at (col, row) starting at `time` ticks.
    TCell& Put(int col, int row, int code, int time, uint32_t dots = 0, int layer = 0) {
        TCell& c = fx_.At(col, row, 0, layer);
        ResetCell(c);
        c.cellType = ctWestern;
        c.Note = code;
        c.option = dots;
        c.scratch = time;
        return c;
    }
    TScoreFixture fx_{20, 20, 1, 1};
    TMIDIReader reader_;
};

TEST_F(MidiCleanupTest, NoteAndRestMerge) {
    Put(4, 6, 4, 0);   // eighth
    Put(6, 6, 23, 240); // eighth rest
    Put(8, 6, 4, 480);
    Put(10, 6, 24, 720); // sixteenth rest after an eighth: stays
    Put(12, 6, 5, 960);  // sixteenth, sixteenth rest, eighth rest: a quarter
    Put(14, 6, 24, 1080);
    Put(16, 6, 23, 1200);
    reader_.MergeMidiNoteAndRest(0);
    EXPECT_EQ(fx_.At(4, 6).Note, 3);
    EXPECT_EQ(fx_.At(4, 6).option & 0x10u, 0x10u);
    EXPECT_EQ(fx_.At(6, 6).Note, 32);
    EXPECT_EQ(fx_.At(8, 6).Note, 4);
    EXPECT_EQ(fx_.At(10, 6).Note, 24);
    EXPECT_EQ(fx_.At(12, 6).Note, 3);
    EXPECT_EQ(fx_.At(14, 6).Note, 32);
    EXPECT_EQ(fx_.At(16, 6).Note, 32);
}

TEST_F(MidiCleanupTest, LongNotesLoseTheirDots) {
    struct Case {
        int code;
        uint32_t dots;
        int next;
        int wantCode;
        uint32_t wantDots;
    } cases[] = {{3, 0x8, 480, 3, 0}, {3, 0x8, 600, 3, 0x8}, {2, 0, 480, 2, 0}, {3, 0x40, 600, 3, 0x8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.next);
        Put(4, 6, c.code, 0, c.dots);
        Put(6, 6, 3, c.next);
        reader_.TrimLongMidiNotes(0);
        EXPECT_EQ(fx_.At(4, 6).Note, c.wantCode);
        EXPECT_EQ(fx_.At(4, 6).option & 0x48u, c.wantDots);
    }
}

TEST_F(MidiCleanupTest, RestsOnTheOtherStaff) {
    struct Case {
        const char* name;
        int lowerCode; // 0: empty
        int layer0Code, layer1Code;
    } cases[] = {{"empty", 0, 23, 32}, {"half note", 2, 2, 23}, {"sixteenth note", 5, 5, 32}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fx_.Score().PageSets[1].clear();
        fx_.Score().AddMissingJianpuPages();
        ResetCell(fx_.At(4, 9));
        Put(4, 6, 3, 0);      // upper quarter at 0
        Put(6, 9, 3, 240);    // the lower staff's next cell 240 ticks later
        if (c.lowerCode)
            Put(4, 9, c.lowerCode, 0);
        reader_.FillMidiStaffRests(0, 3);
        EXPECT_EQ(fx_.At(4, 9).Note, c.layer0Code);
        EXPECT_EQ(fx_.At(4, 9, 0, 1).Note, c.layer1Code);
    }
}

TEST_F(MidiCleanupTest, RestsThatOverrunTheNextNote) {
    Put(4, 6, 3, 0);     // quarter
    Put(6, 6, 21, 480);  // half rest
    Put(8, 6, 3, 960);
    reader_.ShortenMidiRests(0, 3);
    EXPECT_EQ(fx_.At(6, 6).Note, 22) << "room 480, excess 480: a quarter rest";

    Put(6, 6, 21, 480);
    Put(8, 6, 22, 1440);  // a quarter rest after it
    Put(10, 6, 3, 1200);
    reader_.ShortenMidiRests(0, 3);
    EXPECT_EQ(fx_.At(6, 6).Note, 23) << "room 720, excess 720";
    EXPECT_EQ(fx_.At(8, 6).Note, 22) << "the quarter rest stays: 240 + 480 fill the room of 720";

    // A remainder too short for any rest leaves an empty cell.
    ResetCell(fx_.At(10, 6));
    Put(6, 6, 23, 480);
    Put(8, 6, 3, 485);
    reader_.ShortenMidiRests(0, 3);
    EXPECT_EQ(fx_.At(6, 6).Note, 32);
    EXPECT_EQ(fx_.At(6, 6).cellType, 0);
}

TEST_F(MidiCleanupTest, ConsecutiveRestsMerge) {
    Put(4, 9, 22, 0);
    Put(6, 9, 22, 480);
    reader_.MergeMidiRests(3, 0);
    EXPECT_EQ(fx_.At(4, 9).Note, 21);
    EXPECT_EQ(fx_.At(6, 9).Note, 32);

    Put(4, 9, 22, 0);
    Put(6, 9, 22, 480);
    Put(6, 6, 3, 480); // an upper-staff note in the second rest's column
    reader_.MergeMidiRests(3, 0);
    EXPECT_EQ(fx_.At(4, 9).Note, 22);
    EXPECT_EQ(fx_.At(6, 9).Note, 22);
}

TEST_F(MidiCleanupTest, NextPlacedCellGoesOnToTheNextSystem) {
    Put(16, 6, 3, 0);
    Put(4, 14, 3, 480); // the next system: 2 + gap + extra rows lower
    TCellLoc loc{0, 16, 6};
    ASSERT_TRUE(reader_.NextPlacedMidiCell(loc, 0));
    EXPECT_EQ(loc.col, 4);
    EXPECT_EQ(loc.row, 14);
    EXPECT_FALSE(reader_.NextPlacedMidiCell(loc, 0));
}

} // namespace
