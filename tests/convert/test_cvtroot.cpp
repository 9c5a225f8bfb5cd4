// The converter base: accidental simplification, implied accidentals, row utilities.
#include <gtest/gtest.h>

#include "tests/convert/TQConvertFixture.h"

namespace {

uint32_t Accid(const TCell& c) {
    return c.Attr & 0xFu;
}

struct TRowCase {
    const char* name;
    const char* row;
    std::vector<int> cols;      // the notes looked at
    std::vector<uint32_t> want; // their accidental afterwards
};

void PrintTo(const TRowCase& c, std::ostream* os) {
    *os << c.name;
}

class SimplifyRow : public ::testing::TestWithParam<TRowCase> {};

TEST_P(SimplifyRow, Accidentals) {
    const TRowCase& c = GetParam();
    TConvertFixture fx(16, 4);
    fx.Row(1, c.row);
    TCvtRoot root;
    root.SimplifyRowAccidentals(1);
    for (std::size_t i = 0; i < c.cols.size(); ++i)
        EXPECT_EQ(Accid(fx.At(c.cols[i], 1)), c.want[i]) << "column " << c.cols[i];
}

// Treble staff: F on the top line is -4, B on the middle line 0.
INSTANTIATE_TEST_SUITE_P(
    Table, SimplifyRow,
    ::testing::Values(TRowCase{"KeyGSharpsOfTheKey", "&G/1 W:3@-4{attr=1} ~ W:3@-4{attr=1}", {1, 3}, {0, 0}},
                      TRowCase{"KeyCSharpThenNatural", "&G W:3@-4{attr=1} W:3@-4{attr=3}", {1, 2}, {1, 3}},
                      TRowCase{"KeyCLoneNatural", "&G W:3@-4{attr=3}", {1}, {0}},
                      TRowCase{"KeyFNaturalOnB", "&G/6 W:3@0{attr=3}", {1}, {3}},
                      TRowCase{
                          "BarLineClearsTheMemory", "&G W:3@-4{attr=1} N:60 W:3@-4{attr=1}", {1, 3}, {1, 1}},
                      TRowCase{"RepeatInTheMeasure", "&G W:3@-4{attr=1} W:3@-4{attr=1}", {1, 2}, {1, 0}},
                      TRowCase{"KeySharpAfterANatural", "&G/1 W:3@-4{attr=3} W:3@-4{attr=1}", {1, 2}, {3, 1}},
                      TRowCase{"StyleNibblesStay", "&G/1 W:3@-4{attr=0xC1}", {1}, {0}}),
    [](const ::testing::TestParamInfo<TRowCase>& info) { return std::string(info.param.name); });

TEST(SimplifyRow, OnlyTheLowNibbleIsCleared) {
    TConvertFixture fx(16, 4);
    fx.Row(1, "&G/1 W:3@-4{attr=0xC1}");
    TCvtRoot root;
    root.SimplifyRowAccidentals(1);
    EXPECT_EQ(fx.At(1, 1).Attr, 0xC0u);
}

TEST(SimplifyRow, LetterFormulaStaysInTheTable) {
    TConvertFixture fx(16, 4);
    fx.Row(1, "&G/1 W:3@60{attr=1} W:3@-60{attr=3} W:3@1e9{attr=2}");
    fx.At(0, 1).yAdj = -45.0f;
    TCvtRoot root;
    root.SimplifyRowAccidentals(1);
    for (long long p : {-1000000000LL, -61LL, -1LL, 0LL, 59LL, 1000000000LL}) {
        const int x = root.LetterOfPosition(p);
        EXPECT_GE(x, 0);
        EXPECT_LT(x, 7);
    }
}

class CompleteWest : public ::testing::TestWithParam<TRowCase> {};

TEST_P(CompleteWest, Accidentals) {
    const TRowCase& c = GetParam();
    TConvertFixture fx(16, 4);
    fx.Row(1, c.row);
    TCvtRoot root;
    root.CompleteWestAccidentals(1, 0);
    for (std::size_t i = 0; i < c.cols.size(); ++i)
        EXPECT_EQ(fx.At(c.cols[i], 1).Attr, c.want[i]) << "column " << c.cols[i];
}

INSTANTIATE_TEST_SUITE_P(
    Table, CompleteWest,
    ::testing::Values(TRowCase{"KeyG", "&G/1 W:3@-4 W:3@-4{attr=3} W:3@-4 W:3@-1", {1, 3, 4}, {1, 3, 3}},
                      TRowCase{"BarLineEndsTheBar", "&G W:3@-4{attr=1} N:60 W:3@-4", {3}, {3}},
                      TRowCase{"ClefStopsTheSearch", "&G/1 W:3@-4{attr=2} &G/1 W:3@-4", {3}, {1}},
                      TRowCase{"GraceKeepsItsStyle", "&G/1 W:3@-4{attr=0xC0}", {1}, {0xC1}},
                      TRowCase{"CircleKeepsItsStyle", "&G/1 W:3@-1{attr=0x10}", {1}, {0x13}},
                      TRowCase{"FixedKeyTextStyleStays", "&G/2 W:3@-1{attr=0x90}", {1}, {0x91}}),
    [](const ::testing::TestParamInfo<TRowCase>& info) { return std::string(info.param.name); });

TEST(CompleteWest, ChordNotesAndSmallNotes) {
    TConvertFixture fx(16, 4);
    // Key G: a chord on B with F above it (4 steps up), the main note sharp.
    fx.Row(1, "&G/1 W:3@0+4{attr=1}");
    TCell& small = fx.At(2, 1);
    small = TScoreFixture::Cell("W:3@0");
    small.CompressNotes = {TCompressNote{3, -4, 0, 0, 0}, TCompressNote{3, -4, 0, 0, 0}};
    TCvtRoot root;
    root.CompleteWestAccidentals(1, 0);
    EXPECT_EQ(fx.At(1, 1).Attr, 1u);
    EXPECT_EQ(fx.At(1, 1).westChordArray[0].attr, 1u);
    EXPECT_EQ(small.CompressNotes[0].attr, 1u);
    EXPECT_EQ(small.CompressNotes[1].attr, 1u);
}

TEST(CompleteWest, TwinLayersInheritFromEachOther) {
    TConvertFixture fx(16, 4, 1);
    fx.Row(1, "&G W:3@-4{attr=2} ~ W:3@-4");
    fx.Row(1, "~ ~ W:3@-4", 1);
    TCvtRoot root;
    root.CompleteWestAccidentals(1, 0);
    EXPECT_EQ(fx.At(2, 1, 1).Attr, 2u);
    EXPECT_EQ(fx.At(3, 1, 0).Attr, 2u);
}

TEST(CompleteJianpu, DegreeOctaveAndBar) {
    TConvertFixture fx(16, 4);
    fx.Row(1, "#4 4 | 4 #4 4'");
    TCvtRoot root;
    root.CompleteJianpuAccidentals(1);
    EXPECT_EQ(fx.At(1, 1).Attr, 1u);
    EXPECT_EQ(fx.At(3, 1).Attr, 3u);
    EXPECT_EQ(fx.At(5, 1).Attr, 3u);
}

TEST(CompleteJianpu, SmallNotesOfOneCell) {
    TConvertFixture fx(16, 4);
    TCell& shrink = fx.At(1, 1);
    shrink = TScoreFixture::Cell("4{attr=0xA0}");
    shrink.CompressNotes = {TCompressNote{'4', 0, 0, 1, 0}, TCompressNote{'4', 0, 0, 0, 0}};
    TCell& vertical = fx.At(2, 1);
    vertical = TScoreFixture::Cell("4{attr=0xB0}");
    vertical.CompressNotes = {TCompressNote{'5', 0, 0, 2, 0}, TCompressNote{'5', 0, 0, 0, 0}};
    TCvtRoot root;
    root.CompleteJianpuAccidentals(1);
    EXPECT_EQ(shrink.CompressNotes[1].attr, 1u);
    EXPECT_EQ(vertical.CompressNotes[1].attr, 3u);
}

TEST(RowUtilities, MoveRowEndBar) {
    struct TCase {
        const char* name;
        const char* after; // a cell after the bar, or nullptr
        const char* bar;
        bool moves;
    };
    for (const TCase& c : {TCase{"Moves", nullptr, "?", true}, TCase{"NoteAfter", "5", "?", false},
                           TCase{"PlainBar", nullptr, "||", false}}) {
        TConvertFixture fx(40, 4);
        fx.Row(1, "1 2 3");
        fx.Row(2, "1 2 3");
        fx.At(20, 1) = TScoreFixture::Cell(c.bar);
        fx.At(20, 2) = TScoreFixture::Cell(c.bar);
        if (c.after)
            fx.At(25, 1) = TScoreFixture::Cell(c.after);
        GroupRows = {TGroupData{}, TGroupData{}};
        GroupRows[0].row = 1;
        GroupRows[1].row = 2;
        TCvtRoot root;
        root.MoveRowEndBar(1);
        for (int r : {1, 2}) {
            EXPECT_EQ(fx.At(39, r).Note == 63, c.moves) << c.name << r;
            EXPECT_EQ(IsEmptyCell(fx.At(20, r)), c.moves) << c.name << r;
        }
    }
}

TEST(RowUtilities, IsFirstNoteInRowAndKeyTextNear) {
    TConvertFixture fx(16, 4);
    fx.Row(1, "\"t\" N:60 1 2");
    fx.Row(2, "~ ~ ~ \"1=D\"");
    TCvtRoot root;
    EXPECT_TRUE(root.IsFirstNoteInRow(0, 1));
    EXPECT_TRUE(root.IsFirstNoteInRow(2, 1));
    EXPECT_FALSE(root.IsFirstNoteInRow(3, 1));
    EXPECT_TRUE(root.HasKeyTextNear(2, 1));
    EXPECT_TRUE(root.HasKeyTextNear(2, 5));
    EXPECT_FALSE(root.HasKeyTextNear(2, 6));
}

} // namespace

namespace {

// A two-staff Jianpu group on rows 3 and 5 of page 1, its key text above row 3.
TEST(RowUtilities, CopyKeyTextToStaves) {
    for (bool taken : {false, true}) {
        TConvertFixture fx(16, 8, 0, 2);
        fx.view.CurPage = 1;
        fx.Row(2, "~ \"1=D\"", 0, 1);
        fx.Row(3, "~{mark=71,jEnd=5} 1 2 3 4 5 | 1 2 3 |", 0, 1);
        fx.Row(5, "~ 1 2 3 4 5 | 1 2 3 |", 0, 1);
        if (taken)
            fx.Row(4, "~ ~ ~ \"1=E\"", 0, 1);
        TCvtRoot root;
        root.CopyKeyTextToStaves();
        EXPECT_EQ(fx.At(1, 4, 0, 1).Text, taken ? "" : "1=D");
        EXPECT_EQ(fx.At(3, 4, 0, 1).Text, taken ? "1=E" : "");
    }
}

// On page 0 the key text under the title stays with the first staff.
TEST(RowUtilities, CopyKeyTextLeavesTheFirstKeyOfTheScore) {
    TConvertFixture fx(16, 12);
    fx.Row(2, "~ \"1=D\"");
    fx.Row(3, "~{mark=71,jEnd=5} 1 2 3 4 5 | 1 2 3 |");
    fx.Row(5, "~ 1 2 3 4 5 | 1 2 3 |");
    fx.Row(7, "~ \"1=F\"");
    fx.Row(8, "~{mark=71,jEnd=10} 1 2 3 4 5 | 1 2 3 |");
    fx.Row(10, "~ 1 2 3 4 5 | 1 2 3 |");
    TCvtRoot root;
    root.CopyKeyTextToStaves();
    EXPECT_TRUE(fx.At(1, 4).Text.empty());
    EXPECT_EQ(fx.At(1, 9).Text, "1=F");
}

} // namespace
