// Bar and key accidentals of Western notes, the last note of a row.
#include <gtest/gtest.h>

#include "edit/modTQWestUtil.h"
#include "model/modTQKeys.h"
#include "model/modTQMainScore.h"
#include "tests/support/TQScoreFixture.h"

namespace {

TEST(KeyAccidentalOfNote, LetterOfTheStaffStep) {
    struct TCase {
        const char* clef;
        float shift;
        int position;
        int want;
    };
    // G major marks F sharp; B-flat major B and E flat.
    const TCase cases[] = {
        {"&G/1", 0.0f, -4, 1},  // treble top line F
        {"&G/1", 0.0f, 3, 1},   // treble F below the middle line
        {"&G/1", 0.0f, -3, 0},  // G
        {"&F/1", 0.0f, -2, 1},  // bass F on the fourth line
        {"&C/7", 0.0f, 1, 2},   // alto B below middle C
        {"&G/7", 1.0f, 2, 2},   // treble moved down a line: position 2 is B
        {"&G/7", 0.0f, 60, 2},  // far below the staff: E
        {"&G/7", 0.0f, -61, 0}, // far above: G
    };
    for (const TCase& c : cases) {
        TCell clef = TScoreFixture::Cell(c.clef);
        clef.yAdj = c.shift;
        SetKeyAccidTable(clef);
        EXPECT_EQ(KeyAccidentalOfNote(clef, c.position), c.want) << c.clef << " " << c.position;
    }
}

TEST(IsLastNoteOfRow, NotesAndRestsAfterTheColumn) {
    TScoreFixture fx(12, 2);
    fx.Row(0, "&G W:3@0 \"t\" W:22 N:60 ~");
    const TCellRow& cells = fx.Score().PageSets[0][0][0];
    EXPECT_FALSE(IsLastNoteOfRow(0, cells));
    EXPECT_FALSE(IsLastNoteOfRow(2, cells)); // a rest follows
    EXPECT_TRUE(IsLastNoteOfRow(3, cells));
    EXPECT_TRUE(IsLastNoteOfRow(11, cells));
}

TEST(FindBarAccidentalInRow, BackToTheBarOrHeader) {
    TScoreFixture fx(12, 2);
    fx.Row(0, "&G W:3@-4{attr=1} N:60 W:3@-4{attr=2} W:3@3 W:3@-4");
    const TCellRow& cells = fx.Score().PageSets[0][0][0];
    EXPECT_EQ(FindBarAccidentalInRow(5, 0, cells, cells, -4), 2);
    EXPECT_EQ(FindBarAccidentalInRow(2, 0, cells, cells, -4), -1); // the bar line itself
    EXPECT_EQ(FindBarAccidentalInRow(1, 0, cells, cells, -4), 1);
    EXPECT_EQ(FindBarAccidentalInRow(5, 0, cells, cells, 3), -1);
}

} // namespace
