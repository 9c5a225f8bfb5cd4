// The accidental clean-ups the Western-to-Jianpu converter runs on each line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "edit/modTQJianpu.h"
#include "tests/support/TQScoreFixture.h"

namespace {

struct TNote {
    int degree;
    int octave;
    int accid;
    bool operator==(const TNote&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TNote& n) {
    return os << char(n.degree) << "/" << n.octave << "/" << n.accid;
}

TNote NoteAt(TScoreFixture& fx, int col, int row, int layer = 0) {
    const TCell& c = fx.At(col, row, 0, layer);
    return {c.Note, c.dot, int(c.Attr & 0xF)};
}

std::vector<TNote> Notes(TScoreFixture& fx, int row, int from, int to, int layer = 0) {
    std::vector<TNote> out;
    for (int c = from; c <= to; ++c)
        out.push_back(NoteAt(fx, c, row, layer));
    return out;
}

} // namespace

TEST(JianpuCleanup, DoubleSharpTwoInABarReadsThreeThreeThree) {
    TScoreFixture fx(16, 4);
    fx.Row(1, "1 1 | 2{attr=6} 2 2 |");
    JianpuEditor.RespellDoubleAccidentals(1);
    JianpuEditor.RemoveRedundantAccidentals(1);
    EXPECT_EQ(Notes(fx, 1, 3, 5), (std::vector<TNote>{{'3', 0, 0}, {'3', 0, 0}, {'3', 0, 0}}));
    EXPECT_EQ(NoteAt(fx, 0, 1), (TNote{'1', 0, 0})); // the bar before is left alone
}

TEST(JianpuCleanup, RespellingTable) {
    struct Case {
        const char* token;
        TNote expected;
    } cases[] = {
        {"7{attr=6}", {'1', 1, 1}},  // double-sharp 7: sharp 1 an octave up
        {"1{attr=5}", {'7', -1, 2}}, // double-flat 1: flat 7 an octave down
        {"3{attr=6}", {'4', 0, 1}},  // double-sharp 3: sharp 4
        {"2{attr=6}", {'3', 0, 3}},  // double-sharp 2: natural 3
        {"4{attr=5}", {'3', 0, 2}},  // double-flat 4: flat 3
        {"6{attr=5}", {'5', 0, 3}},  // double-flat 6: natural 5
        {"7'{attr=6}", {'1', 2, 1}},
    };
    for (const Case& c : cases) {
        TScoreFixture fx(8, 3);
        fx.Row(1, std::string("| ") + c.token);
        JianpuEditor.RespellDoubleAccidentals(1);
        EXPECT_EQ(NoteAt(fx, 1, 1), c.expected) << c.token;
    }
}

TEST(JianpuCleanup, RespellingReachesSmallNotesAndTheTwinLine) {
    TScoreFixture fx(10, 4, 1, 1);
    fx.Row(2, "| 1 1 |");
    fx.Row(1, "~ 2{attr=6} 2 |", 0, 1); // layer 1, line 1 belongs to layer-0 line 2
    TCell& chord = fx.At(1, 2);
    chord.Attr = 0xB0;
    chord.CompressNotes = {{'1', 0, 0, 0, 0}, {'5', 0, 0, 5, 0}}; // 5 double flat
    JianpuEditor.RespellDoubleAccidentals(2);
    EXPECT_EQ(chord.CompressNotes[1].code, '4');
    EXPECT_EQ(chord.CompressNotes[1].attr & 0xF, 3u);
    EXPECT_EQ(Notes(fx, 1, 1, 2, 1), (std::vector<TNote>{{'3', 0, 3}, {'3', 0, 3}}));
}

TEST(JianpuCleanup, NaturalsAndRepeats) {
    struct Case {
        const char* picture;
        std::vector<TNote> expected; // columns 1..
    } cases[] = {
        // a natural with no earlier accidental of its degree in the bar goes
        {"| 5 n4", {{'5', 0, 0}, {'4', 0, 0}}},
        // one that cancels an earlier sharp stays, whatever that sharp's octave
        {"| #4' 5 n4", {{'4', 1, 1}, {'5', 0, 0}, {'4', 0, 3}}},
        // an accidental of the bar before does not count
        {"| #4 | n4", {{'4', 0, 1}, {63, 0, 0}, {'4', 0, 0}}},
        // sharp, sharp, plain: the second sharp goes, the plain note ends the scan
        {"| #4 #4 4 #4", {{'4', 0, 1}, {'4', 0, 0}, {'4', 0, 0}, {'4', 0, 1}}},
        // a repeat in another octave is not a repeat
        {"| #4 #4'", {{'4', 0, 1}, {'4', 1, 1}}},
    };
    for (const Case& c : cases) {
        TScoreFixture fx(12, 3);
        fx.Row(1, c.picture);
        JianpuEditor.RemoveRedundantAccidentals(1);
        EXPECT_EQ(Notes(fx, 1, 1, int(c.expected.size())), c.expected) << c.picture;
    }
}

TEST(JianpuCleanup, PlainNoteInColumnZeroKeepsItsNatural) {
    TScoreFixture fx(8, 3);
    fx.Row(1, "n4 n4 |");
    JianpuEditor.RemoveRedundantAccidentals(1);
    EXPECT_EQ(Notes(fx, 1, 0, 1), (std::vector<TNote>{{'4', 0, 3}, {'4', 0, 0}}));
}

TEST(JianpuCleanup, SmallNoteNaturalAfterASharpInItsCellStays) {
    TScoreFixture fx(8, 3);
    fx.Row(1, "| 1");
    TCell& chord = fx.At(1, 1);
    chord.Attr = 0xB0;
    chord.CompressNotes = {{'4', 0, 0, 1, 0}, {'4', 0, 1, 3, 0}, {'5', 0, 0, 3, 0}};
    JianpuEditor.RemoveRedundantAccidentals(1);
    EXPECT_EQ(chord.CompressNotes[1].attr & 0xF, 3u);
    EXPECT_EQ(chord.CompressNotes[2].attr & 0xF, 0u);
}
