// Western to Jianpu: dashes of long notes, rests, dot cells.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/convert/TQConvertFixture.h"

namespace {

// The row after "Selected Rows" on row 3 of a 20-column grid.
std::string Converted(TConvertFixture& fx, const char* picture) {
    fx.Row(3, picture);
    fx.Select(2, 3);
    fx.cvt.ConvertW2JPage(3);
    std::string out;
    for (int c = 0; c < fx.view.Cols; ++c) {
        const TCell& cell = fx.At(c, 3);
        if (cell.Note == kJianpuDash)
            out += '-';
        else if (cell.Note == kJianpuDot)
            out += '.';
        else if (cell.Note == 32)
            out += cell.markType == 87 ? 'R' : '~';
        else if (cell.Note >= '0' && cell.Note <= '7')
            out += static_cast<char>(cell.Note);
        else if (IsBarLineCell(cell))
            out += '|';
        else
            out += '?';
    }
    return out;
}

struct TLayoutCase {
    const char* name;
    const char* picture;
    const char* want; // the converted row, one character a column
};

void PrintTo(const TLayoutCase& c, std::ostream* os) {
    *os << c.name;
}

class W2JLayout : public ::testing::TestWithParam<TLayoutCase> {};

TEST_P(W2JLayout, Cells) {
    TConvertFixture fx(20, 6);
    EXPECT_EQ(Converted(fx, GetParam().picture), GetParam().want);
}

INSTANTIATE_TEST_SUITE_P(
    Table, W2JLayout,
    ::testing::Values(
        TLayoutCase{"HalfWithRoom", "&G ~ ~ ~ W:2@6 ~ ~ ~ ~ W:3@6", "~~~~1~~-~1~~~~~~~~~~"},
        TLayoutCase{"HalfWithTwoCells", "&G ~ ~ ~ W:2@6 ~ ~ W:3@6", "~~~~1-~1~~~~~~~~~~~~"},
        TLayoutCase{"Whole", "&G ~ ~ ~ W:1@6 ~ ~ ~ ~ ~ ~ ~ ~ W:3@6", "~~~~1~-~-~-~~1~~~~~~"},
        TLayoutCase{"DoubleDottedHalf", "&G ~ ~ ~ W:2@6.. ~ ~ ~ ~ ~ ~ ~ ~ W:3@6", "~~~~1~-~-~.~~1~~~~~~"},
        TLayoutCase{"DottedWhole", "&G W:1@6. ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ W:3@6", "~1~-~-~-~-~-~~1~~~~~"},
        TLayoutCase{"DoubleDottedWhole", "&G W:1@6.. ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ W:3@6",
                    "~1~-~-~-~-~-~-~~1~~~"},
        TLayoutCase{"DottedQuarter", "&G ~ W:3@6. ~ ~ W:3@6", "~~1.~1~~~~~~~~~~~~~~"},
        TLayoutCase{"ThreeFourBarRest", "&G T:3/4 N:60 W:20 ~ ~ ~ ~ ~ N:60", "~?|0~0~0~|~~~~~~~~~~"},
        TLayoutCase{"ThreeFourNarrowBar", "&G T:3/4 N:60 W:20 ~ N:60", "~?|R~|~~~~~~~~~~~~~~"},
        TLayoutCase{"TwoTwoBarRest", "&G T:2/2 N:60 W:20 ~ ~ ~ ~ ~ N:60", "~?|R~~~~~|~~~~~~~~~~"}),
    [](const ::testing::TestParamInfo<TLayoutCase>& info) { return std::string(info.param.name); });

TEST(W2JRests, EighthRestAndBarRestCount) {
    TConvertFixture fx(20, 6);
    fx.Row(3, "&G ~ W:23 ~ W:19 ~ N:60");
    fx.Select(2, 3);
    fx.cvt.ConvertW2JPage(3);
    EXPECT_EQ(fx.At(2, 3).Note, '0');
    EXPECT_EQ(fx.At(2, 3).UL, 1);
    EXPECT_EQ(fx.At(4, 3).markType, 87);
    EXPECT_EQ(fx.At(4, 3).markHAdj, 2);
    // 3/4 bar rest: one bar.
    TConvertFixture fx2(20, 6);
    fx2.Row(3, "&G T:3/4 N:60 W:20 ~ N:60");
    fx2.Select(2, 3);
    fx2.cvt.ConvertW2JPage(3);
    EXPECT_EQ(fx2.At(3, 3).markType, 87);
    EXPECT_EQ(fx2.At(3, 3).markHAdj, 1);
}

// A half note whose next cell is taken (notes in consecutive cells, or a bar
// line right after it) keeps its second beat: the row makes room for the dash,
// and the note keeps its octave dot.
TEST(W2JFaults, HalfNoteWithItsDashPlaceTakenGetsRoom) {
    const char* rows[] = {"&G ~ ~ ~ W:2@-5 W:3@0 ~ ~ W:3@0", "&G ~ ~ W:3@1 W:2@1 | W:3@0 W:3@1 W:2@2 |"};
    for (const char* picture : rows) {
        SCOPED_TRACE(picture);
        TConvertFixture fx(20, 6);
        fx.Row(3, picture);
        fx.Select(2, 3);
        fx.cvt.ConvertW2JPage(3);
        // Each half note is followed by exactly one dash before the next sound;
        // ' marks a dot above (the G an octave over the staff's G).
        std::string seen;
        for (int c = 0; c < 20; ++c) {
            const TCell& cell = fx.At(c, 3);
            if (cell.cellType != 0)
                continue;
            if (cell.Note == kJianpuDash)
                seen += '-';
            else if (cell.Note >= '0' && cell.Note <= '7')
                seen += static_cast<char>(cell.Note) + std::string(std::max(cell.dot, 0), '\'') +
                        std::string(std::max(-cell.dot, 0), ',');
            else if (IsBarLineCell(cell))
                seen += '|';
        }
        // G5 (half), B4, B4; then A4, A4 (half) | B4, A4, G4 (half).
        EXPECT_EQ(seen, picture == rows[0] ? "5'-77" : "66-|765-|");
        EXPECT_TRUE(fx.view.Highlights.empty());
    }
}

// The lyrics under a staff move with the notes that make room for a dash.
TEST(W2JFaults, LyricsMoveWithTheRoomMadeForADash) {
    TConvertFixture fx(20, 6);
    fx.Row(2, "&G ~ ~ W:3@1 W:2@1 | W:3@0 |");
    fx.Row(3, "~ ~ ~ \"la\" \"lu\" ~ \"li\"");
    fx.Select(2, 2);
    fx.cvt.ConvertW2JPage(3);
    // Under each note its syllable, whatever column the note now stands in.
    const char* syllables[] = {"la", "lu", "li"};
    int n = 0;
    for (int c = 0; c < 20; ++c) {
        const TCell& cell = fx.At(c, 2);
        if (cell.cellType != 0 || cell.Note < '1' || cell.Note > '7')
            continue;
        ASSERT_LT(n, 3);
        EXPECT_EQ(fx.At(c, 3).Text, syllables[n++]) << "column " << c;
    }
    EXPECT_EQ(n, 3);
}

// Positions far off the staff convert without reading outside any table.
TEST(W2JFaults, ExtremePositions) {
    for (int mode : {0, 1}) {
        TConvertFixture fx(20, 6);
        fx.view.mitFixedKeyChecked = mode == 1;
        fx.Row(3, "&G/3 W:3@60 W:3@-60 W:3@60+40 W:3@1e9 W:3@-1e9 ~ W:2@61 ~ ~ ~ ~");
        fx.At(0, 3).yAdj = 40.0f;
        fx.Select(2, 3);
        fx.cvt.ConvertW2JPage(3);
        for (int c = 1; c <= 6; ++c) {
            const TCell& cell = fx.At(c, 3);
            if (cell.Note == 32)
                continue;
            EXPECT_GE(cell.Note, '1') << c;
            EXPECT_LE(cell.Note, '7') << c;
        }
        fx.Row(4, "&F/9 ~ W:3@-60");
        TCell hint = fx.At(2, 4);
        ASSERT_TRUE(fx.cvt.ConvertW2JCell(hint, 2, 4));
        EXPECT_GE(hint.Note, '1');
        EXPECT_LE(hint.Note, '7');
    }
}

TEST(W2JDots, DotsToDotCells) {
    TConvertFixture fx(12, 3);
    fx.Row(0, "1. ~ 2.. ~ ~ 3.. ~ 4 5. 6");
    TCellRow& cells = fx.GridRow(0);
    TConvertW2J::DotsToDotCells(cells);
    EXPECT_EQ(cells[1].Note, kJianpuDot);
    EXPECT_EQ(cells[0].option & 8u, 0u);
    EXPECT_EQ(cells[3].Note, kJianpuDot);
    EXPECT_EQ(cells[4].Note, kJianpuDot);
    EXPECT_EQ(cells[2].option & 72u, 0u);
    // Room for one dot only: the second stays on the note.
    EXPECT_EQ(cells[6].Note, kJianpuDot);
    EXPECT_EQ(cells[5].option & 72u, 8u);
    // No room at all: the note keeps its flag.
    EXPECT_EQ(cells[8].option & 8u, 8u);
}

} // namespace
