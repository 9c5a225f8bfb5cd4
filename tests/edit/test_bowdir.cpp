// Bow directions: signs above the notes, slurs as one movement, measures,
// lines and pages, clearing and reversing.
#include <gtest/gtest.h>

#include <vector>

#include "edit/modTQBowDir.h"
#include "tests/edit/TQEditFixture.h"

namespace {

// The sign codes of row `row` (main code, or the third slot when the main code
// is empty) of a page; 0 where no symbol cell stands.
std::vector<int> Signs(TEditFixture& fx, int row, int cols, int page = 0) {
    std::vector<int> out;
    for (int c = 0; c < cols; ++c) {
        const TCell& cell = fx.At(c, row, page);
        if (cell.cellType != ctSymbol)
            out.push_back(0);
        else
            out.push_back(cell.Note != 32 ? cell.Note : cell.upNote);
    }
    return out;
}

TBowDir Bow(int where, int applyTo = 0, bool symbols = true, bool push = false) {
    TBowDir bow;
    bow.Options.Where = where;
    bow.Options.ApplyTo = applyTo;
    bow.Options.Symbols = symbols;
    bow.Options.StartPush = push;
    bow.Mode = bmAdd;
    return bow;
}

} // namespace

TEST(BowDir, SignsAlternateAlongOneLine) {
    struct Case {
        const char* name;
        const char* line;
        int where;
        bool symbols, push;
        std::vector<int> expected;
    };
    const std::vector<Case> cases = {
        {"quarters, every movement", "| 1 2 3 4 |", 0, true, false, {0, 111, 8, 111, 8, 0}},
        {"push start, arrows", "| 1 2 3 4 |", 0, false, true, {0, 6, 5, 6, 5, 0}},
        {"slur of two, then one", "| 1{mark=1,iEnd=2} 2 3 4 |", 0, true, false, {0, 111, 0, 8, 111, 0}},
        {"slurs that meet are two movements", "| 1{mark=1,iEnd=2} 2{mark=1,iEnd=3} 3 4 5 |", 0, true, false,
         {0, 111, 8, 0, 111, 8}},
        {"a slur from the line before: its notes are one movement", "| 1{mark=41,iEnd=2} 2 3 4 |", 0, true, false,
         {0, 0, 0, 111, 8, 0}},
        {"every measure", "| 1 2 | 3 4 | 5 |", 1, true, false, {0, 111, 0, 0, 111, 0, 0, 111}},
        {"every other measure", "| 1 2 | 3 4 | 5 |", 2, true, false, {0, 111, 0, 0, 0, 0, 0, 111}},
        {"a rest passes its sign right", "| 0 2 3 4 | 5 |", 1, true, false, {0, 0, 111, 0, 0, 0, 111}},
        {"grace cells are no movement", "| 1 2{attr=0xC0} 3 4 5 |", 0, true, false, {0, 111, 0, 8, 111, 8}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TEditFixture fx(12, 6);
        fx.Row(1, k.line);
        fx.Select(0, 1, 0, 1);
        TBowDir bow = Bow(k.where, 2, k.symbols, k.push);
        ASSERT_TRUE(bow.ApplyBowSigns());
        EXPECT_EQ(Signs(fx, 0, int(k.expected.size())), k.expected);
        EXPECT_TRUE(fx.win.Modified);
        EXPECT_EQ(Undo.UndoList.size(), 1u);
    }
}

TEST(BowDir, SignGoesToTheThirdSlotWhenTheCellAboveIsTaken) {
    TEditFixture fx(10, 4);
    fx.Row(0, "~ S:1 ~ \"t\"");
    fx.Row(1, "| 1 2 3 4 |");
    fx.Select(0, 1, 0, 1);
    TBowDir bow = Bow(0, 2);
    ASSERT_TRUE(bow.ApplyBowSigns());
    EXPECT_EQ(fx.At(1, 0).Note, 1);    // the symbol keeps its code
    EXPECT_EQ(fx.At(1, 0).upNote, 111); // the sign in the third slot
    EXPECT_EQ(fx.At(2, 0).Note, 8);
    EXPECT_EQ(fx.At(3, 0).Text, "t");   // a text cell is never written over
    EXPECT_EQ(fx.At(4, 0).Note, 8);
}

TEST(BowDir, LinesPagesAndTheirEnds) {
    // Two single-line systems a page on two pages; the first line fills every column.
    auto build = [](TEditFixture& fx) {
        for (int p = 0; p < 2; ++p) {
            fx.Row(1, "| 1 2 3 4 5 6 7", p);
            fx.Row(4, "| 1 2 3 4 |", p);
        }
    };
    struct Case {
        int applyTo;
        std::vector<int> page0Row3, page1Row0;
    };
    // The first line ends with 111 at the last column, so the next starts with 8
    // (the opposite of the last movement); the second ends earlier and the
    // next page goes on alternating.
    const std::vector<Case> cases = {
        {0, {0, 8, 111, 8}, {0, 8, 111, 8}},
        {1, {0, 8, 111, 8}, {0, 0, 0, 0}},
        {2, {0, 0, 0, 0}, {0, 0, 0, 0}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.applyTo);
        TEditFixture fx(8, 7, 2);
        build(fx);
        fx.Select(0, 1, 0, 1);
        TBowDir bow = Bow(0, k.applyTo);
        ASSERT_TRUE(bow.ApplyBowSigns());
        EXPECT_EQ(Signs(fx, 0, 8), (std::vector<int>{0, 111, 8, 111, 8, 111, 8, 111}));
        EXPECT_EQ(Signs(fx, 3, 4), k.page0Row3);
        EXPECT_EQ(Signs(fx, 0, 4, 1), k.page1Row0);
        EXPECT_EQ(fx.win.CurPage, 0);
    }
}

TEST(BowDir, ReverseAndClear) {
    TEditFixture fx(10, 4);
    fx.Row(0, "~ S:8 S:111 S:5 S:6 S:20 S:1/32/8");
    fx.Row(1, "| 1 2 3 4 5 6 |");
    fx.Select(0, 1, 0, 1);
    TBowDir bow = Bow(0, 2);
    bow.Mode = bmReverse;
    ASSERT_TRUE(bow.ApplyBowSigns());
    EXPECT_EQ(Signs(fx, 0, 6), (std::vector<int>{0, 111, 8, 6, 5, 8}));
    EXPECT_EQ(fx.At(6, 0).Note, 1); // not a bow sign
    EXPECT_EQ(fx.At(6, 0).upNote, 111);

    fx.messages.Answer(mrNo);
    EXPECT_FALSE(bow.ClearWithConfirmation());
    EXPECT_EQ(fx.At(1, 0).Note, 111);
    ASSERT_EQ(fx.messages.shown.size(), 1u);
    EXPECT_EQ(fx.messages.shown[0].id, 1059);

    fx.messages.Answer(mrYes);
    EXPECT_TRUE(bow.ClearWithConfirmation());
    for (int c = 1; c <= 5; ++c) {
        EXPECT_EQ(fx.At(c, 0).cellType, ctSymbol);
        EXPECT_EQ(fx.At(c, 0).Note, 32) << c;
    }
    EXPECT_EQ(fx.At(6, 0).Note, 1);
    EXPECT_EQ(fx.At(6, 0).upNote, 32);
}

TEST(BowDir, NoStartGivesMessageAndNoUndo) {
    struct Case {
        int rule;
        const char* row1;
    };
    for (const Case& k : {Case{0, "\"title\""}, Case{1, "| 1 2 3 4 |"}, Case{3, "| 1 2 3 4 |"}}) {
        SCOPED_TRACE(k.rule);
        TEditFixture fx(10, 4);
        fx.Row(1, k.row1);
        fx.Select(0, 1, 0, 1);
        TBowDir bow = Bow(0);
        bow.Options.LineRule = k.rule;
        EXPECT_FALSE(bow.ApplyBowSigns());
        ASSERT_EQ(fx.messages.shown.size(), 1u);
        EXPECT_EQ(fx.messages.shown[0].id, 1054);
        EXPECT_TRUE(Undo.UndoList.empty());
        EXPECT_FALSE(fx.win.Modified);
    }
}

TEST(BowDir, InstrumentNameRuleFollowsTheNamedLine) {
    TEditFixture fx(10, 10);
    fx.Row(1, "\"Vn\" | 1 2 3 4 |");
    fx.Row(3, "\"Vc\" | 1 2 3 4 |");
    fx.Row(6, "\"Vn\" | 1 2 3 4 |");
    fx.Row(8, "\"Vc\" | 1 2 3 4 |");
    fx.Select(2, 1, 2, 1);
    TBowDir bow = Bow(0);
    bow.Options.LineRule = 1;
    ASSERT_TRUE(bow.ApplyBowSigns());
    EXPECT_EQ(Signs(fx, 0, 6), (std::vector<int>{0, 0, 111, 8, 111, 8}));
    EXPECT_EQ(Signs(fx, 5, 6), (std::vector<int>{0, 0, 111, 8, 111, 8}));
    EXPECT_EQ(Signs(fx, 2, 6), (std::vector<int>{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Signs(fx, 7, 6), (std::vector<int>{0, 0, 0, 0, 0, 0}));
}

TEST(BowDir, LineCountRuleTakesTheSameStaffOfEachSystem) {
    // Two systems of two Jianpu staves with a text line between them that the
    // system's bar line runs through; the cursor is on the lower staff.
    TEditFixture fx(10, 10);
    for (int top : {1, 5}) {
        fx.Row(top, "| 1 2 3 4 |");
        fx.Row(top + 1, "|");
        fx.Row(top + 2, "| 5 6 7 1 |");
    }
    fx.Select(1, 3, 1, 3);
    TBowDir bow = Bow(0);
    ASSERT_TRUE(bow.ApplyBowSigns());
    EXPECT_EQ(bow.LineIndex, 2);
    EXPECT_EQ(Signs(fx, 2, 5), (std::vector<int>{0, 111, 8, 111, 8}));
    EXPECT_EQ(Signs(fx, 6, 5), (std::vector<int>{0, 111, 8, 111, 8}));
    EXPECT_EQ(Signs(fx, 0, 5), (std::vector<int>{0, 0, 0, 0, 0}));
    EXPECT_EQ(Signs(fx, 4, 5), (std::vector<int>{0, 0, 0, 0, 0}));
}

TEST(BowDir, HighlightedLinesRule) {
    TEditFixture fx(10, 10);
    fx.Row(1, "| 1 2 3 4 |");
    fx.Row(4, "| 1 2 3 4 |");
    fx.Row(7, "| 1 2 3 4 |");
    fx.win.AddHighlight(0, fx.win.Cols - 1, 1);
    fx.win.AddHighlight(0, fx.win.Cols - 1, 7);
    fx.Select(0, 1, 0, 1);
    TBowDir bow = Bow(1);
    bow.Options.LineRule = 3;
    ASSERT_TRUE(bow.ApplyBowSigns());
    EXPECT_EQ(Signs(fx, 0, 2), (std::vector<int>{0, 111}));
    EXPECT_EQ(Signs(fx, 3, 2), (std::vector<int>{0, 0}));
    EXPECT_EQ(Signs(fx, 6, 2), (std::vector<int>{0, 111}));
    EXPECT_EQ(fx.win.Highlights.size(), 2u); // this rule keeps them
}
