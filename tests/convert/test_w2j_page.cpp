// Western to Jianpu: the page driver's modes, clef cells and key texts, the page finish.
#include <gtest/gtest.h>

#include "tests/convert/TQConvertFixture.h"

namespace {

// A grand-staff pair on rows 1 and 3 and a single staff on row 6.
void GrandStaffPage(TConvertFixture& fx) {
    fx.Row(1, "&G{mark=54191118,jEnd=3} ~ W:3@6 ~ W:3@6");
    fx.Row(3, "&F ~ W:3@-6 ~ W:3@-6");
    fx.Row(6, "&G ~ W:3@6 ~ W:3@6");
}

bool Converted(TConvertFixture& fx, int row) {
    return fx.At(2, row).cellType == ctJianpu;
}

TEST(W2JPage, ModesChooseGrandStaves) {
    struct TCase {
        int mode;
        bool pair, single;
    };
    for (const TCase& c : {TCase{1, false, true}, TCase{2, true, false}, TCase{3, true, true}}) {
        TConvertFixture fx(16, 8);
        GrandStaffPage(fx);
        fx.Select(0, 7);
        fx.cvt.ConvertW2JPage(c.mode);
        EXPECT_EQ(Converted(fx, 1), c.pair) << c.mode;
        EXPECT_EQ(Converted(fx, 3), c.pair) << c.mode;
        EXPECT_EQ(Converted(fx, 6), c.single) << c.mode;
    }
}

TEST(W2JPage, BraceBecomesGroupBracket) {
    TConvertFixture fx(16, 8);
    GrandStaffPage(fx);
    fx.Select(0, 7);
    fx.cvt.ConvertW2JPage(3);
    EXPECT_EQ(fx.At(0, 1).markType, 71);
    EXPECT_EQ(fx.At(0, 1).jEnd, 3);
    EXPECT_EQ(fx.At(2, 1).Note, '1');
    EXPECT_EQ(fx.At(2, 3).Note, '1');
    EXPECT_EQ(fx.At(2, 3).dot, 0);
}

TEST(W2JPage, KeyTextsOnlyWhereTheKeyChanges) {
    TConvertFixture fx(16, 8);
    fx.Row(1, "&G/2 ~ W:3@6").Row(3, "&G/2 ~ W:3@6").Row(5, "&G/4 ~ W:3@6");
    fx.Select(0, 7);
    fx.cvt.ConvertW2JPage(3);
    EXPECT_EQ(fx.At(1, 0).Text, "1=D");
    EXPECT_TRUE(fx.At(1, 2).Text.empty());
    EXPECT_EQ(fx.At(1, 4).Text, "1=E");
}

TEST(W2JPage, TrailingClefAnnouncesTheNextKey) {
    for (int cols : {16, 10}) {
        TConvertFixture fx(cols, 8);
        fx.Row(3, "&G ~ W:3@6 ~ &G/1");
        fx.Select(2, 3);
        fx.cvt.ConvertW2JPage(3);
        EXPECT_EQ(fx.At(4, 3).Note, 32) << cols;
        if (cols > 10)
            EXPECT_EQ(fx.At(cols - 3, 2).Text, "1=G");
        else
            for (int c = 0; c < cols; ++c)
                EXPECT_NE(fx.At(c, 2).Text, "1=G") << c;
    }
}

// The header of a staff without notes (the empty lower staff of a system) is
// no clef at the end of a line: it announces nothing over the row above.
TEST(W2JPage, EmptyStaffOfASystemWritesNoKeyTextAtTheRowEnd) {
    TConvertFixture fx(20, 8);
    fx.Row(2, "&G/1{mark=54191118,jEnd=4} ~ ~ W:3@-2 W:3@0 W:2@2 |");
    fx.Row(4, "&F/1");
    fx.cvt.ConvertW2JAllPages(0, true);
    for (int r : {1, 3})
        for (int c = 4; c < 20; ++c)
            EXPECT_NE(fx.At(c, r).cellType, ctText) << "row " << r << " column " << c;
    EXPECT_EQ(fx.At(3, 2).Note, '5') << "D5 in G";
}

TEST(W2JPage, SymbolCellsBecomeTimeSignatures) {
    TConvertFixture fx(20, 6);
    fx.Row(3, "&G S:117 N:60 W:20 ~ ~ ~ ~ ~ N:60");
    fx.Select(2, 3);
    fx.cvt.ConvertW2JPage(3);
    EXPECT_EQ(fx.At(1, 3).cellType, ctTimeSig);
    EXPECT_EQ(fx.At(1, 3).upNote, 2);
    EXPECT_EQ(fx.At(1, 3).Note, 2);
    // 2/2: the whole-bar rest is a bar rest however wide the bar is.
    EXPECT_EQ(fx.At(3, 3).markType, 87);
}

TEST(W2JPage, NearAccidentalIsHighlighted) {
    TConvertFixture fx(16, 6);
    fx.Row(3, "&G ~ S:14 W:3@6 ~ W:3@6");
    fx.Select(2, 3);
    fx.cvt.ConvertW2JPage(3);
    ASSERT_EQ(fx.view.Highlights.size(), 1u);
    EXPECT_EQ(fx.view.Highlights[0], (TMeasure{2, 3, 3, 0, 0}));
}

TEST(W2JPage, AlignRestInGroup) {
    TConvertFixture fx(12, 6);
    fx.Row(1, "~ 0 ~ ~ 5 ~ ~ ~");
    fx.Row(2, "~ ~ ~ 3 ~ ~ ~ ~");
    // The rest on row 1 moves to the first column where the group sounds.
    EXPECT_EQ(fx.cvt.AlignRestInGroup(1, 1, 1, 2), 3);
    EXPECT_EQ(fx.At(3, 1).Note, '0');
    EXPECT_EQ(fx.At(1, 1).Note, 32);
    // A row-end placeholder on the way: it stays.
    fx.Row(4, "~ 0 ? ~ 5").Row(5, "~ ~ ~ 3 ~");
    EXPECT_EQ(fx.cvt.AlignRestInGroup(1, 4, 4, 5), 1);
    EXPECT_EQ(fx.At(1, 4).Note, '0');
}

TEST(W2JPage, PageFinishTidiesMarksAndFonts) {
    TConvertFixture fx(16, 6);
    fx.Row(3, "&G ~ W:3@6{mark=75,iEnd=1} ~ ~{mark=2,opt=0x80000} ?{x=0.5}");
    fx.Select(0, 5);
    fx.cvt.ConvertW2JPage(0);
    EXPECT_EQ(fx.At(2, 3).iEnd, -1);
    EXPECT_EQ(fx.At(2, 3).MarkY, -20);
    EXPECT_EQ(fx.At(4, 3).option & 0x80000u, 0u);
    EXPECT_EQ(fx.At(5, 3).xAdj, 0.0f);
    EXPECT_EQ(fx.At(2, 3).FontName, "NT");
}

} // namespace

namespace {

// The page finish aligns the rests of a grand staff below a single staff.
TEST(W2JPage, PageFinishAlignsRestsOfAPair) {
    TConvertFixture fx(16, 10);
    fx.Row(1, "&G ~ W:3@6 ~ W:3@6 ~ W:3@6 W:3@6 W:3@6");
    fx.Row(4, "&G{mark=54191118,jEnd=6} ~ W:22 ~ ~ ~ W:3@6 W:3@6 W:3@6 W:3@6");
    fx.Row(6, "&F ~ ~ ~ W:3@-6 ~ W:3@-6 W:3@-6 W:3@-6 W:3@-6");
    fx.Select(0, 9);
    fx.cvt.ConvertW2JPage(0);
    // The upper staff's rest moves to the column of the pair's next note.
    EXPECT_EQ(fx.At(4, 4).Note, '0');
    EXPECT_EQ(fx.At(2, 4).Note, 32);
    EXPECT_EQ(fx.At(4, 6).Note, '1');
}

} // namespace
