// Whole scores through the whole play-list build (and the MIDI export, read back
// with python3-mido): what a musician hears, written down by hand. Onsets and
// lengths are in play units, 1280 to a quarter note at tempo 100.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "model/modTQGroup.h"
#include "play/Modmidifile.h"
#include "play/modTQPlayState.h"
#include "platform/core/TQMessage.h"
#include "tests/support/TQScoreFixture.h"
#include "tests/support/TQMidoFile.h"
#include "tests/support/TQTestSupport.h"

namespace {

constexpr int Q = 1280; // a quarter note

// One note as the player starts it: when, which MIDI key, for how long.
struct TSound {
    int at = 0;
    int key = 0;
    int length = 0;
    bool operator==(const TSound&) const = default;
};

std::ostream& operator<<(std::ostream& o, const TSound& s) {
    return o << "{" << s.at << ", " << s.key << ", " << s.length << "}";
}

// The notes of a play list on the player's time line: the kinds that do not
// wait are passed over, every other item waits its Duration.
std::vector<TSound> Sounds(const std::vector<TPlayItem>& list) {
    std::vector<TSound> out;
    int t = 0;
    for (const TPlayItem& item : list) {
        if (item.Kind == pkHighlight || item.Kind == pkTimeSig || item.Kind == pkKeyboard ||
            item.Kind == pkInstrument)
            continue;
        if (item.Kind != pkRest && item.Duration > 0)
            for (int k = 0; k < kPlayNoteSlots && item.Notes[k].Pitch != -1; ++k) {
                const TPNote& n = item.Notes[k];
                if (n.Pitch < 12 && n.Length > 0 && n.Volume > 0)
                    out.push_back({t, 60 + 12 * n.Octave + n.Pitch, n.Length});
            }
        if (item.Duration > 0)
            t += item.Duration;
    }
    return out;
}

std::vector<int> Keys(const std::vector<TSound>& s) {
    std::vector<int> k;
    for (const TSound& x : s)
        k.push_back(x.key);
    return k;
}

std::vector<int> Onsets(const std::vector<TSound>& s) {
    std::vector<int> k;
    for (const TSound& x : s)
        k.push_back(x.at);
    return k;
}

// A note of an exported file as python3-mido reads it: absolute tick and key.
struct TFileNote {
    int tick = 0;
    int key = 0;
    bool operator==(const TFileNote&) const = default;
};

std::ostream& operator<<(std::ostream& o, const TFileNote& n) {
    return o << "{" << n.tick << ", " << n.key << "}";
}

// Every note-on (velocity above 0) of every track, in time order; the file's
// ticks per quarter note go to *division. Empty when mido cannot read the file.
std::vector<TFileNote> ReadWithMido(const std::string& path, int* division) {
    const tqtest::TMidoFile read = tqtest::ReadWithMido(path);
    EXPECT_TRUE(read.ok) << read.text;
    *division = read.ticksPerBeat;
    std::vector<TFileNote> notes;
    for (const tqtest::TMidoNote& n : read.notes)
        notes.push_back({static_cast<int>(n.on), n.key});
    std::stable_sort(notes.begin(), notes.end(),
                     [](const TFileNote& a, const TFileNote& b) { return a.tick < b.tick; });
    return notes;
}

class PlayWholePathBuildTest : public ::testing::Test {
  protected:
    void SetUp() override {
        GroupRows.clear();
        frmPlay = &play_;
        play_.PlayRule = prAllStaffs;
        SetMessageBoxes(&boxes_);
    }
    void TearDown() override {
        SetMessageBoxes(nullptr);
        GroupRows.clear();
        frmPlay = nullptr;
    }
    static void Cursor(TScoreFixture& fx, int col, int row) {
        fx.Score().SelCol0 = fx.Score().SelCol1 = col;
        fx.Score().SelRow0 = fx.Score().SelRow1 = row;
    }
    std::vector<TSound> Build(bool west) {
        play_.PlayWest = west;
        EXPECT_TRUE(play_.BuildPlayList(false));
        return Sounds(play_.PlayList);
    }
    // The score built and exported (read back by mido) is `keys`, one quarter
    // each, one after the other.
    void ExpectQuarters(const std::vector<int>& keys) {
        const auto heard = Build(true);
        EXPECT_EQ(Keys(heard), keys);
        std::vector<int> onsets;
        for (size_t i = 0; i < keys.size(); ++i)
            onsets.push_back(static_cast<int>(i) * Q);
        EXPECT_EQ(Onsets(heard), onsets);

        const std::string path = (dir_ / "quarters.mid").string();
        ASSERT_TRUE(SaveMIDIFile(path));
        int division = 0;
        const auto file = ReadWithMido(path, &division);
        ASSERT_GT(division, 0);
        std::vector<TFileNote> want;
        for (size_t i = 0; i < keys.size(); ++i)
            want.push_back({static_cast<int>(i) * division, keys[i]});
        EXPECT_EQ(file, want);
    }
    TPlayState play_;
    TMessageRecorder boxes_;
    tqtest::TempDir dir_;
};

// ---------------------------------------------------------------- keys

TEST_F(PlayWholePathBuildTest, AWesternScoreAfterAJianpuOneSoundsAsWritten) {
    const std::vector<int> westernCDEF{60, 62, 64, 65};
    for (const char* key : {"1=G", "1=D", "1=bB"}) {
        SCOPED_TRACE(key);
        {
            TScoreFixture jianpu(12, 4);
            jianpu.Row(0, std::string("\"") + key + "\"");
            jianpu.Row(1, "1 2 3 4 |");
            Cursor(jianpu, 1, 1);
            const auto heard = Build(false);
            ASSERT_EQ(heard.size(), 4u);
            EXPECT_NE(heard[0].key, 60) << "the Jianpu score is in another key";
        }
        TScoreFixture western(12, 4);
        western.Row(1, "&G W:3@6 W:3@5 W:3@4 W:3@3 |");
        Cursor(western, 1, 1);
        EXPECT_EQ(Keys(Build(true)), westernCDEF) << "C D E F, whatever was built before";
        // The export builds again, from the score alone as well.
        const std::string path = (dir_ / "west.mid").string();
        ASSERT_TRUE(SaveMIDIFile(path));
        int division = 0;
        const auto file = ReadWithMido(path, &division);
        std::vector<int> keys;
        for (const TFileNote& n : file)
            keys.push_back(n.key);
        EXPECT_EQ(keys, westernCDEF);
    }
}

TEST_F(PlayWholePathBuildTest, AKeyTextHeadingALaterPageChangesTheKeyThere) {
    // Page 0 in 1=C, page 1 opens with 1=G above its first row: 1 2 3 4 on each.
    const std::vector<int> expected{60, 62, 64, 65, 67, 69, 71, 72};
    for (int cursorPage : {0, 1}) {
        SCOPED_TRACE(cursorPage);
        TScoreFixture fx(12, 6, 2);
        fx.Row(0, "\"1=C\"", 0);
        fx.Row(1, "1 2 3 4 |", 0);
        fx.Row(0, "\"1=G\"", 1);
        fx.Row(1, "1 2 3 4 |", 1);
        fx.Score().CurPage = cursorPage;
        Cursor(fx, 0, 1);
        const auto heard = Build(false);
        EXPECT_EQ(Keys(heard), expected);
        EXPECT_EQ(Onsets(heard), (std::vector<int>{0, Q, 2 * Q, 3 * Q, 4 * Q, 5 * Q, 6 * Q, 7 * Q}));
        EXPECT_EQ(fx.Score().CurPage, cursorPage) << "the page shown comes back";
    }
    // The same change on a second system of one page.
    TScoreFixture fx(12, 6);
    fx.Row(0, "\"1=C\"");
    fx.Row(1, "1 2 3 4 |");
    fx.Row(2, "\"1=G\"");
    fx.Row(3, "1 2 3 4 |");
    Cursor(fx, 0, 1);
    EXPECT_EQ(Keys(Build(false)), expected);
}

// ---------------------------------------------------------------- navigation

TEST_F(PlayWholePathBuildTest, NavigationMarksAboveASingleStaff) {
    // C D | E F | G A |]  with the marks over it; each note a quarter.
    const char* staff = "&G W:3@6 W:3@5 | W:3@4 W:3@3 | W:3@2 W:3@1 |]";
    struct Case {
        const char* name;
        const char* marks;
        int textRow, staffRow;
        const char* title;
        std::vector<int> keys;
    } cases[] = {
        {"D.C. al Fine, staff on row 1",
         "~ ~ ~ ~ ~ ~ \"Fine\" ~ ~ \"D.C.\"",
         0,
         1,
         nullptr,
         {60, 62, 64, 65, 67, 69, 60, 62, 64, 65}},
        {"D.C. al Fine, title on row 0, staff on row 3",
         "~ ~ ~ ~ ~ ~ \"Fine\" ~ ~ \"D.C.\"",
         2,
         3,
         "\"Little Piece\"",
         {60, 62, 64, 65, 67, 69, 60, 62, 64, 65}},
        // segno over E, D.S. at the end, Fine after F: from E to Fine again
        {"D.S. al Fine",
         "~ ~ ~ ~ S:40 ~ \"Fine\" ~ ~ \"D.S.\"",
         0,
         1,
         nullptr,
         {60, 62, 64, 65, 67, 69, 64, 65}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TScoreFixture fx(14, 8);
        if (c.title)
            fx.Row(0, c.title);
        fx.Row(c.textRow, c.marks);
        fx.Row(c.staffRow, staff);
        Cursor(fx, 1, c.staffRow);
        ExpectQuarters(c.keys);
        for (const TPlayItem& i : play_.PlayList) {
            if (i.Row >= 0) {
                EXPECT_EQ(i.Row, c.staffRow) << "no row above the staff is walked as a staff";
            }
        }
    }
}

TEST_F(PlayWholePathBuildTest, AMarkBetweenTwoLinesBelongsToTheNearerLine) {
    // Line 1: C D | E F |   line 2: G A | B C |]   each note a quarter, the two
    // lines in the same columns. A mark in a row between them belongs to the
    // nearer line; the middle row of an odd gap to the line below it. D.S.
    // stands over line 2's last bar.
    const char* lineOne = "&G W:3@6 W:3@5 | W:3@4 W:3@3 |";
    const char* lineTwo = "&G W:3@2 W:3@1 | W:3@0 W:3@-1 |]";
    const std::vector<int> fromG{60, 62, 64, 65, 67, 69, 71, 72, 67, 69, 71, 72};
    const std::vector<int> fromE{60, 62, 64, 65, 67, 69, 71, 72, 64, 65, 67, 69, 71, 72};
    struct Case {
        const char* name;
        std::vector<std::pair<int, const char*>> rows;
        const std::vector<int>& keys;
    } cases[] = {
        // lines on rows 1 and 4: row 2 is line 1's, row 3 line 2's
        {"segno over line 2", {{1, lineOne}, {3, "~ S:40 ~ ~ ~ ~ \"D.S.\""}, {4, lineTwo}}, fromG},
        {"segno under line 1",
         {{1, lineOne}, {2, "~ ~ ~ ~ S:40"}, {3, "~ ~ ~ ~ ~ ~ \"D.S.\""}, {4, lineTwo}},
         fromE},
        // lines on rows 1 and 3: row 2, the middle, is line 2's
        {"segno in the one row between", {{1, lineOne}, {2, "~ S:40 ~ ~ ~ ~ \"D.S.\""}, {3, lineTwo}}, fromG},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TScoreFixture fx(14, 8);
        for (auto [row, picture] : c.rows)
            fx.Row(row, picture);
        Cursor(fx, 1, 1);
        ExpectQuarters(c.keys);
    }
}

TEST_F(PlayWholePathBuildTest, OnlyANumberedEndingEndsTheFirstPass) {
    // |: C D | E F :| G A |]  with a bracket over E F and "2." over G A. The
    // "1." ending (open or closed) is left out on the repeat; a plain bracket of
    // the Dynamic Marks palette carries no number and is no ending, so E F
    // sound on both passes.
    const std::vector<int> withEnding{60, 62, 64, 65, 60, 62, 67, 69};
    const std::vector<int> withoutEnding{60, 62, 64, 65, 60, 62, 64, 65, 67, 69};
    const std::pair<int, const std::vector<int>*> cases[] = {
        {79, &withEnding}, {78, &withEnding}, {4, &withoutEnding}, {5, &withoutEnding}, {6, &withoutEnding}};
    for (auto [kind, keys] : cases) {
        SCOPED_TRACE(kind);
        TScoreFixture fx(14, 8);
        fx.Row(0, "~ ~ ~ ~ ~ ~{mark=" + std::to_string(kind) + ",iEnd=7} ~ ~ ~{mark=80,iEnd=10}");
        fx.Row(1, "&G |: W:3@6 W:3@5 | W:3@4 W:3@3 :| W:3@2 W:3@1 |]");
        Cursor(fx, 1, 1);
        ExpectQuarters(*keys);
    }
}

// ---------------------------------------------------------------- tempo

TEST_F(PlayWholePathBuildTest, ARitardandoEndsAtTheNextBarLine) {
    // Eight quarters with "rit." over the third, a bar line, two more quarters:
    // slower and slower up to the bar line (half the tempo on its last note; the
    // ramp takes in the note before the word), the first tempo again after it.
    TScoreFixture fx(40, 4);
    fx.Row(0, "~ ~ ~ \"rit.\"");
    fx.Row(1, "&G W:3@6 W:3@6 W:3@6 W:3@6 W:3@6 W:3@6 W:3@6 W:3@6 | W:3@4 W:3@4 |");
    Cursor(fx, 1, 1);
    const auto heard = Build(true);
    ASSERT_EQ(heard.size(), 10u);
    EXPECT_EQ(heard[0].length, Q) << "before the rit.";
    for (size_t i = 1; i < 8; ++i)
        EXPECT_GT(heard[i].length, heard[i - 1].length) << "note " << i << " slower than the one before";
    EXPECT_EQ(heard[7].length, 2 * Q) << "half the tempo on the last note before the bar line";
    EXPECT_EQ(heard[8].length, Q) << "a tempo again from the bar line";
    EXPECT_EQ(heard[9].length, Q);
    EXPECT_EQ(heard[9].at - heard[8].at, Q);
}

TEST_F(PlayWholePathBuildTest, ARitardandoSlowsItsOwnLineUpToItsOwnBarLine) {
    // Quarters everywhere. The notes before `slowFrom` keep the tempo; from it
    // on every note is slower than the one before, the last at half the tempo
    // (the ramp takes in the note before the word).
    struct Case {
        const char* name;
        std::vector<std::pair<int, const char*>> rows;
        size_t notes, slowFrom;
    } cases[] = {
        // "rit." in row 3, between line 1 (row 1) and line 2 (row 4), over
        // line 2's second note: line 2 slows from its first note, line 1 not.
        {"between two lines",
         {{1, "&G W:3@6 W:3@5 W:3@4 W:3@3 |"}, {3, "~ ~ \"rit.\""}, {4, "&G W:3@2 W:3@1 W:3@0 W:3@-1 |]"}},
         8,
         4},
        // A one-bar system on row 1 with its bar line in column 5; a staff on
        // row 6 with "rit." over its third note runs on to its own bar line in
        // column 9.
        {"under a one-bar system",
         {{1, "&G W:3@6 W:3@5 W:3@4 W:3@3 |"},
          {5, "~ ~ ~ \"rit.\""},
          {6, "&G W:3@2 W:3@2 W:3@2 W:3@2 W:3@2 W:3@2 W:3@2 W:3@2 |]"}},
         12,
         5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TScoreFixture fx(16, 10);
        for (auto [row, picture] : c.rows)
            fx.Row(row, picture);
        Cursor(fx, 1, 1);
        const auto heard = Build(true);
        ASSERT_EQ(heard.size(), c.notes) << ::testing::PrintToString(heard);
        for (size_t i = 0; i < c.slowFrom; ++i)
            EXPECT_EQ(heard[i].length, Q) << "note " << i << " before the ramp";
        for (size_t i = c.slowFrom; i < c.notes; ++i)
            EXPECT_GT(heard[i].length, heard[i - 1].length) << "note " << i << " slower than the one before";
        EXPECT_EQ(heard.back().length, 2 * Q) << "half the tempo on the last note";
    }
}

} // namespace
