// Letter names of staff positions under the row's clef, key and bar accidentals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/modTQKeys.h"
#include "model/modTQNoteLetter.h"
#include "tests/support/TQScoreFixture.h"

namespace {

struct LetterCase {
    const char* what;
    const char* picture; // row 0 of layer 0
    int position, col;
    const char* letter;
    const char* glyph;
};

TEST(NoteLetter, ClefKeyAndBarAccidentals) {
    const std::vector<LetterCase> cases = {
        {"treble middle line", "&G W:3@0", 0, 1, "B", ""},
        {"treble C below", "&G W:3@6", 6, 1, "C", ""},
        {"bass middle line", "&F W:3@0", 0, 1, "D", ""},
        {"alto middle line", "&C W:3@0", 0, 1, "C", ""},
        {"tenor middle line", "&T W:3@0", 0, 1, "A", ""},
        {"G major sharpens F", "&G/1 W:3@3", 3, 1, "F", "k"},
        {"F major flattens B", "&G/6 W:3@0", 0, 1, "B", "l"},
        {"B sharp carried in the bar", "&G W:3@0{attr=1} W:3@0", 0, 2, "C", ""},
        {"E sharp", "&G W:3@-3{attr=1} W:3@-3", -3, 2, "F", ""},
        {"C flat", "&G W:3@-1{attr=2} W:3@-1", -1, 2, "B", ""},
        {"F flat in the key of C flat", "&G/12 W:3@3", 3, 1, "E", ""},
        {"natural carried in the bar", "&G/1 W:3@3{attr=3} W:3@3", 3, 2, "F", "n"},
        {"the note's own accidental", "&G W:3@2{attr=6}", 2, 1, "G", "m"},
        {"a bar line ends the carried accidental", "&G/1 W:3@3{attr=3} | W:3@3", 3, 3, "F", "k"},
        {"another position carries nothing", "&G W:3@2{attr=1} W:3@3", 3, 2, "F", ""},
        {"chord note", "&G W:3@4+2{attr=0} W:3@2", 2, 2, "G", ""},
        {"accidental symbol after the header", "&G S:15{y=0} W:3@0", 0, 2, "B", "l"},
        {"natural symbol cancels the key", "&G/1 S:41{y=3} W:3@3", 3, 2, "F", ""},
        {"clef offset by its yAdj", "&G{y=1} W:3@0", 0, 1, "D", ""},
        {"no clef", "W:3@0 W:3@0", 0, 1, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TScoreFixture fx(10, 3);
        fx.Row(0, c.picture);
        std::string glyph = "?";
        EXPECT_EQ(GetNoteLetter(c.position, c.col, 0, glyph), c.letter);
        EXPECT_EQ(glyph, c.glyph);
    }
}

TEST(NoteLetter, ChordItemsAndTheLayerOneTwin) {
    TScoreFixture fx(10, 3, 1, 1);
    fx.Row(0, "&G W:3@4+2 W:3@2");
    fx.At(1, 0).westChordArray[0].attr = 2; // the upper chord note (position 2) is flat
    EXPECT_EQ(FindBarAccidental(2, 0, 2), 2);
    EXPECT_EQ(FindBarAccidental(2, 0, 4), -1);

    // Unequal intervals: main note 4, items at 2 and -1; only the top one is sharp.
    fx.Row(2, "&G W:3@4+2+3 W:3@-1");
    fx.At(1, 2).westChordArray[1].attr = 1;
    EXPECT_EQ(FindBarAccidental(2, 2, -1), 1);
    EXPECT_EQ(FindBarAccidental(2, 2, 2), -1);
    EXPECT_EQ(FindBarAccidental(2, 2, 1), -1) << "no note stands at position 1";
    std::string top;
    EXPECT_EQ(GetNoteLetter(-1, 2, 2, top), "C");
    EXPECT_EQ(top, "k");

    fx.Row(1, "&G ~ W:3@1");
    fx.Row(1, "~ W:3@1{attr=1}", 0, 1);
    std::string glyph;
    EXPECT_EQ(GetNoteLetter(1, 2, 1, glyph), "A");
    EXPECT_EQ(glyph, "k") << "the layer-1 twin carries the sharp";
    fx.Score().PageSets[1].clear();
    EXPECT_EQ(GetNoteLetter(1, 2, 1, glyph), "A");
    EXPECT_EQ(glyph, "");
    EXPECT_EQ(FindBarAccidental(-1, 0, 0), -1);
    EXPECT_EQ(FindBarAccidental(0, 7, 0), -1);
}

} // namespace

TEST(NoteLetter, SetKeyAccidentalByLetterOfThePosition) {
    TScoreFixture fx(8, 2);
    const TCell treble = TScoreFixture::Cell("&G");
    const TCell bass = TScoreFixture::Cell("&F");
    ClearKeyAccidTable();
    SetKeyAccidental(14, TScoreFixture::Cell("S:14{y=3}"), treble); // F under treble
    EXPECT_EQ(KeyAccidentals[5], 1);
    SetKeyAccidental(15, TScoreFixture::Cell("S:15{y=3}"), bass); // A under bass
    EXPECT_EQ(KeyAccidentals[0], 2);
    SetKeyAccidental(41, TScoreFixture::Cell("S:41{y=-4}"), treble); // F an octave up
    EXPECT_EQ(KeyAccidentals[5], 0);
    SetKeyAccidental(16, TScoreFixture::Cell("S:16{y=0}"), treble); // not an accidental
    EXPECT_EQ(KeyAccidentals[1], 0);
    ClearKeyAccidTable();
}
