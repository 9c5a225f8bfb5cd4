// Jianpu to Western: the row pass (header, dashes, dots) and the finishing of a
// converted row (beams by beat, quarter rests, stems, bar accidentals).
#include <gtest/gtest.h>

#include <string>

#include "model/modTQUndo.h"
#include "platform/core/TQMessage.h"
#include "tests/convert/TQJ2WFixture.h"

namespace {

class J2WRow : public TJ2WTest {
  protected:
    // Converts row 1 of a page whose row 0 holds the key text.
    static void Convert(TJ2WFixture& f, const std::string& key, const std::string& row) {
        f.fx.Row(0, "\"1=" + key + "\"");
        f.fx.Row(1, row);
        f.fx.Select(1, 1);
        f.j2w.ConvertJ2WSelected(true);
    }
    // Columns of the Western notes and rests of row 1.
    static std::vector<int> Sounds(TJ2WFixture& f) {
        std::vector<int> cols;
        for (int c = 1; c < f.fx.view.Cols; ++c)
            if (IsWestNoteOrRest(f.fx.At(c, 1), 1))
                cols.push_back(c);
        return cols;
    }
};

struct TDashCase {
    int dashes;
    int value;
    uint32_t dots; // option bits 8 and 64
    bool highlighted;
};

TEST_F(J2WRow, DashesLengthenByOneQuarterEach) {
    const TDashCase cases[] = {{1, 2, 0, false},  {2, 2, 8, false}, {3, 1, 0, false}, {5, 1, 8, false},
                               {6, 1, 72, false}, {4, 1, 0, true},  {7, 1, 0, true}};
    for (const TDashCase& t : cases) {
        SCOPED_TRACE(t.dashes);
        TJ2WFixture f(24, 4);
        std::string row = "~ 1";
        for (int i = 0; i < t.dashes; ++i)
            row += " -";
        Convert(f, "C", row + " 2 3 4");
        const std::vector<int> cols = Sounds(f);
        ASSERT_EQ(cols.size(), 4u);
        const TCell& note = f.fx.At(cols[0], 1);
        EXPECT_EQ(note.Note, t.value);
        EXPECT_EQ(note.option & 0x48u, t.dots);
        EXPECT_EQ(f.fx.view.Highlights.size(), t.highlighted ? 1u : 0u);
        for (int c = 1; c < f.fx.view.Cols; ++c)
            EXPECT_NE(f.fx.At(c, 1).Note, kJianpuDash) << c;
    }
}

TEST_F(J2WRow, DotAfterDottedNoteDoubleDots) {
    TJ2WFixture f(16, 4);
    Convert(f, "C", "~ 2 1. . 3 4");
    const std::vector<int> cols = Sounds(f);
    ASSERT_EQ(cols.size(), 4u);
    EXPECT_EQ(f.fx.At(cols[1], 1).option & 0x48u, 0x48u);
    EXPECT_EQ(f.fx.At(cols[1], 1).Note, 3);
}

TEST_F(J2WRow, LoneDashOrDotIsCleared) {
    for (const char* row : {"~ - 1 2 3 4", "~ . 1 2 3 4"}) {
        SCOPED_TRACE(row);
        TJ2WFixture f(16, 4);
        Convert(f, "C", row);
        EXPECT_EQ(Sounds(f).size(), 4u);
        for (int c = 1; c < f.fx.view.Cols; ++c) {
            EXPECT_NE(f.fx.At(c, 1).Note, kJianpuDash);
            EXPECT_NE(f.fx.At(c, 1).Note, kJianpuDot);
        }
    }
}

TEST_F(J2WRow, HeaderIsTrebleInTheKeyOrDrum) {
    {
        TJ2WFixture f(16, 4);
        Convert(f, "G", "~ 1 2 3 4");
        EXPECT_EQ(f.fx.At(0, 1).cellType, 8);
        EXPECT_EQ(f.fx.At(0, 1).Note, -1);
        EXPECT_EQ(f.fx.At(0, 1).Attr, 1u);
    }
    {
        TJ2WFixture f(16, 4);
        Convert(f, "C", "~ x 0 x x X |");
        EXPECT_EQ(f.fx.At(0, 1).Note, -4);
        for (int c : Sounds(f))
            if (f.fx.At(c, 1).Note < 19) {
                EXPECT_FLOAT_EQ(f.fx.At(c, 1).yAdj, 0.0f);
                EXPECT_FALSE(f.fx.At(c, 1).option & 0x1);
            }
    }
}

TEST_F(J2WRow, EighthsAreBeamedByBeat) {
    TJ2WFixture f(16, 4);
    Convert(f, "C", "~ ~ ~ 1 3_ 4_ 5_ 6_ 5 |");
    EXPECT_TRUE(f.fx.At(4, 1).option & 0x2);
    EXPECT_TRUE(f.fx.At(5, 1).option & 0x4);
    EXPECT_TRUE(f.fx.At(6, 1).option & 0x2);
    EXPECT_TRUE(f.fx.At(7, 1).option & 0x4);
    EXPECT_FALSE(f.fx.At(5, 1).option & 0x2);
    for (int c = 4; c <= 7; ++c)
        EXPECT_EQ(f.fx.At(c, 1).Note, 4) << c;
}

// A dotted note counts one and a half times its value in the beat: a dotted
// eighth and a 16th fill one beat, so each pair is a beam group of its own.
TEST_F(J2WRow, DottedRhythmsAreBeamedByBeat) {
    TJ2WFixture f(16, 4);
    Convert(f, "C", "~ ~ ~ 5_. 6__ 5_. 6__ |");
    EXPECT_TRUE(f.fx.At(3, 1).option & 0x2);
    EXPECT_TRUE(f.fx.At(4, 1).option & 0x4) << "the first beat closes on the 16th";
    EXPECT_TRUE(f.fx.At(5, 1).option & 0x2) << "the second beat starts a group of its own";
    EXPECT_TRUE(f.fx.At(6, 1).option & 0x4);
    EXPECT_FALSE(f.fx.At(4, 1).option & 0x2);
    EXPECT_EQ(f.fx.At(3, 1).Note, 4);
    EXPECT_TRUE(f.fx.At(3, 1).option & 0x8);
    EXPECT_EQ(f.fx.At(4, 1).Note, 5);
}

struct TRestCase {
    const char* row;
    int restCol;
    int restCode;
};

TEST_F(J2WRow, QuarterRestsOfABarMerge) {
    const TRestCase cases[] = {
        {"~ ~ ~ 5 | 0 ~ 0 ~ | 1 2 3", 6, 21}, // two rests: a half rest between them
        {"~ ~ ~ 5 | 0 0 0 0 | 1 2 3", 6, 20}, // four: a whole rest
        {"~ ~ ~ 5 | 0 ~ 1 2 3", 5, 22},       // one stays a quarter rest
    };
    for (const TRestCase& t : cases) {
        SCOPED_TRACE(t.row);
        TJ2WFixture f(20, 4);
        Convert(f, "C", t.row);
        EXPECT_EQ(f.fx.At(t.restCol, 1).Note, t.restCode);
        EXPECT_EQ(f.fx.At(t.restCol, 1).cellType, 8);
    }
}

TEST_F(J2WRow, LongRunOfQuarterRestsKeepsItsRests) {
    TJ2WFixture f(20, 4);
    Convert(f, "C", "~ ~ ~ 5 | 0 0 0 0 0 | 1 2");
    for (int c = 5; c <= 9; ++c)
        EXPECT_EQ(f.fx.At(c, 1).Note, 22) << c;
}

TEST_F(J2WRow, StemsFollowTheStaffPosition) {
    TJ2WFixture f(16, 4);
    // '7' sits at 0.0 (middle line), '2'' at -2.0.
    Convert(f, "C", "~ 1 7 2' 1");
    const std::vector<int> cols = Sounds(f);
    ASSERT_EQ(cols.size(), 4u);
    EXPECT_FLOAT_EQ(f.fx.At(cols[1], 1).yAdj, 0.0f);
    EXPECT_TRUE(f.fx.At(cols[1], 1).option & 0x1);
    EXPECT_FLOAT_EQ(f.fx.At(cols[2], 1).yAdj, -2.0f);
    EXPECT_FALSE(f.fx.At(cols[2], 1).option & 0x1);
}

TEST_F(J2WRow, AccidentalsTheKeyOrBarImpliesAreDropped) {
    {
        TJ2WFixture f(16, 4);
        Convert(f, "G", "~ 7 7 7 1' |");
        for (int c : Sounds(f))
            EXPECT_EQ(f.fx.At(c, 1).Attr & 0xF, 0u) << c;
    }
    {
        TJ2WFixture f(16, 4);
        Convert(f, "C", "~ 1 #4 n4 5 |");
        const std::vector<int> cols = Sounds(f);
        ASSERT_EQ(cols.size(), 4u);
        EXPECT_EQ(f.fx.At(cols[1], 1).Attr & 0xF, 1u);
        EXPECT_EQ(f.fx.At(cols[2], 1).Attr & 0xF, 3u);
    }
}

} // namespace

namespace {

TCompressNote Small(int code, int ul) {
    TCompressNote n;
    n.code = code;
    n.value = ul;
    return n;
}

TEST_F(J2WRow, SmallNotesBecomeRecordsOfTheCell) {
    struct {
        const char* name;
        uint32_t style;
        std::vector<TCompressNote> notes;
        size_t records;
    } const cases[] = {
        {"grace of three", 0xC0, {Small('1', 1), Small('2', 1), Small('3', 1)}, 3},
        {"note, dot, rest", 0xA0, {Small('5', 1), Small(kJianpuDot, 0), Small('0', 1)}, 2},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.name);
        TJ2WFixture f(16, 4);
        f.fx.Row(0, "\"1=C\"");
        f.fx.Row(1, "~ 1 ~ 2 3 4");
        TCell& cell = f.fx.At(2, 1);
        cell = TScoreFixture::Cell("1");
        cell.Attr = t.style;
        cell.CompressNotes = t.notes;
        f.fx.Select(1, 1);
        f.j2w.ConvertJ2WSelected(true);
        const TCell* out = nullptr;
        for (int c = 2; c < f.fx.view.Cols && !out; ++c)
            if (!f.fx.At(c, 1).CompressNotes.empty())
                out = &f.fx.At(c, 1);
        ASSERT_NE(out, nullptr);
        ASSERT_EQ(out->CompressNotes.size(), t.records);
        EXPECT_EQ(out->cellType, 8);
        if (t.style == 0xC0) {
            EXPECT_EQ(out->Attr & 0xF0, 0xC0u);
            EXPECT_FLOAT_EQ(out->fontSizeR, 0.6f);
            // One beam inside the cell: first small note starts it, last ends it.
            EXPECT_TRUE(out->option & 0x4);
            EXPECT_TRUE(out->CompressNotes.front().option & 0x2);
            EXPECT_TRUE(out->CompressNotes.back().option & 0x4);
            EXPECT_FLOAT_EQ(static_cast<float>(out->CompressNotes[1].value), 5.0f); // D above middle C
        } else {
            EXPECT_TRUE(out->CompressNotes[0].option & 0x8);
            EXPECT_EQ(out->CompressNotes[1].code, 23); // an eighth rest
        }
    }
}

} // namespace

namespace {

TEST_F(J2WRow, KeyChangeInsideTheRowWritesKeyAndResetCells) {
    TJ2WFixture f(20, 4);
    f.fx.Row(0, "~ \"1=C\"");
    f.fx.Row(1, "~ ~ ~ ~ ~ ~ ~ ~ ~ ~ \"1=G\"");
    f.fx.Row(2, "~ ~ ~ 1 2 3 4 | ~ ~ 5 6 7 1' |");
    f.fx.Select(2, 2);
    f.j2w.ConvertJ2WSelected(true);
    EXPECT_EQ(f.fx.At(0, 2).Attr, 0u);
    const TCell& key = f.fx.At(9, 2);
    EXPECT_EQ(key.cellType, 8);
    EXPECT_EQ(key.Note, -1);
    EXPECT_EQ(key.Attr, 1u);
    EXPECT_EQ(key.iEnd, 10);
    EXPECT_FLOAT_EQ(key.fontSizeR, 0.6f);
    EXPECT_EQ(f.fx.At(8, 2).Note, -15);
    EXPECT_FLOAT_EQ(f.fx.At(10, 2).yAdj, -2.0f) << "'5' in G is the D above the tonic";
    EXPECT_EQ(f.fx.At(12, 2).Attr & 0xF, 0u) << "F sharp is in the new key";
}

} // namespace

namespace {

TEST_F(J2WRow, FixedKeyTextSpellsInCAndAddsNaturals) {
    TJ2WFixture f(16, 4);
    // A fixed-key text: the notes read as in C, the staff carries G's signature.
    f.fx.Row(0, "~ \"1=C\"{attr=0x90,note=1}");
    f.fx.Row(1, "~ ~ ~ 4 5 4 #4 |");
    f.fx.Select(1, 1);
    f.j2w.ConvertJ2WSelected(true);
    EXPECT_EQ(f.j2w.FixedKey, 1);
    EXPECT_EQ(f.fx.At(0, 1).Attr, 1u);
    const TCell& first = f.fx.At(3, 1);
    EXPECT_FLOAT_EQ(first.yAdj, 3.0f);
    EXPECT_EQ(first.Attr & 0xF, 3u) << "F natural under the F-sharp signature";
    EXPECT_EQ(f.fx.At(6, 1).Attr & 0xF, 1u) << "after the natural of the bar the sharp is written again";
}

} // namespace
