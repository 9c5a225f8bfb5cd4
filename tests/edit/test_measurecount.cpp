// Measure numbering: where numbers go, how measures are counted, and removal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "edit/modTQMeasureCount.h"
#include "tests/edit/TQEditFixture.h"

namespace {

// Western staff rows of four measures (clef, three bar lines with music after
// them, and a closing bar line).
constexpr const char* kWestRow = "&G{iEnd=13} W:3 | W:3 | W:3 | W:3 |]";

struct TNumber {
    int col, row, page, number;
    bool operator==(const TNumber&) const = default;
};
std::ostream& operator<<(std::ostream& os, const TNumber& n) {
    return os << n.number << "@(" << n.col << "," << n.row << ",p" << n.page << ")";
}

std::vector<TNumber> Numbers(TEditFixture& fx, int layer = 0) {
    std::vector<TNumber> out;
    for (int p = 0; p < int(fx.win.PageSets[layer].size()); ++p)
        for (int r = 0; r < fx.win.Rows; ++r)
            for (int c = 0; c < fx.win.Cols; ++c) {
                const TCell& cell = fx.At(c, r, p, layer);
                if (IsMeasureNumberCell(cell))
                    out.push_back({c, r, p, std::stoi(cell.Text.str())});
            }
    return out;
}

TMeasureCount Numbering(bool every, int n, int scope = 0, int start = 1) {
    TMeasureCount m;
    m.Options.Every = every;
    m.Options.Increment = n;
    m.Options.Scope = scope;
    m.Options.StartNo = start;
    return m;
}

} // namespace

TEST(MeasureCount, NumbersGoAboveTheMeasuresTheyName) {
    struct Case {
        const char* name;
        std::vector<const char*> rows; // rows 1, 4, 7
        bool every;
        int n;
        std::vector<TNumber> expected;
    };
    const std::vector<Case> cases = {
        {"every 5 on Western systems", {kWestRow, kWestRow, kWestRow}, true, 5,
         {{0, 3, 0, 5}, {2, 6, 0, 10}}},
        {"a multi-measure rest of 3 counts three measures",
         {kWestRow, "&G{iEnd=13} W:3 | W:87{mark=87,hadj=3} | W:3 | W:3 |]", kWestRow}, true, 5,
         {{0, 3, 0, 5}, {6, 3, 0, 10}}},
        {"beginning of each line", {kWestRow, kWestRow, kWestRow}, false, 5, {{0, 3, 0, 5}, {0, 6, 0, 9}}},
        {"a Jianpu row without opening bar", {"1 2 3 4 | 5 6 7 1 | 2 3 4 5 |]"}, true, 1,
         {{1, 0, 0, 1}, {4, 0, 0, 2}, {9, 0, 0, 3}}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TEditFixture fx(16, 10);
        for (size_t i = 0; i < k.rows.size(); ++i)
            fx.Row(1 + 3 * int(i), k.rows[i]);
        fx.Select(3, 5, 3, 5);
        TMeasureCount m = Numbering(k.every, k.n);
        RunMeasureCount(m);
        EXPECT_EQ(Numbers(fx), k.expected);
        EXPECT_EQ(fx.win.SelCol0, 3);
        EXPECT_EQ(fx.win.SelRow0, 5);
        EXPECT_TRUE(fx.win.Modified);
        EXPECT_EQ(Undo.UndoList.size(), 1u);
        const TCell& first = fx.At(k.expected[0].col, k.expected[0].row);
        EXPECT_EQ(first.Attr, 0xF0u);
        EXPECT_FLOAT_EQ(first.fontSizeR, 0.8f);
        EXPECT_FLOAT_EQ(first.yAdj, -2.0f);

        // Numbering again renumbers: the old numbers go first.
        TMeasureCount again = Numbering(k.every, k.n);
        RunMeasureCount(again);
        EXPECT_EQ(Numbers(fx), k.expected);
    }
}

TEST(MeasureCount, TheWalkFollowsThePagesThatExist) {
    // The page count member is stale in both directions; the walk takes the
    // pages layer 0 has.
    for (int staleCount : {1, 7}) {
        SCOPED_TRACE(staleCount);
        TEditFixture fx(16, 6, 3);
        for (int p = 0; p < 3; ++p)
            fx.Row(1, kWestRow, p);
        fx.win.PageCount = staleCount;
        TMeasureCount m = Numbering(true, 2);
        RunMeasureCount(m);
        EXPECT_EQ(Numbers(fx), (std::vector<TNumber>{
                                   {2, 0, 0, 2}, {6, 0, 0, 4}, {2, 0, 1, 6}, {6, 0, 1, 8}, {2, 0, 2, 10}, {6, 0, 2, 12}}));
        EXPECT_EQ(fx.win.PageSets[0].size(), 3u);
        EXPECT_EQ(fx.win.CurPage, 0);
    }
}

TEST(MeasureCount, RemovalCountsBothLayersAndKeepsUserTexts) {
    TEditFixture fx(16, 6, 2, 2);
    fx.Row(1, kWestRow);
    fx.Row(1, kWestRow, 1);
    TMeasureCount add = Numbering(true, 2);
    RunMeasureCount(add);
    ASSERT_EQ(Numbers(fx).size(), 4u);
    fx.At(5, 3, 1, 1) = fx.At(2, 0);       // a number on layer 1
    fx.Row(4, "\"12\"{attr=0xF0}", 0);      // a boxed rehearsal number the user typed
    fx.At(0, 4).FontName = "EN";

    TMeasureCount remove = Numbering(true, 2);
    fx.messages.Answer(mrNo);
    EXPECT_FALSE(remove.btnRemoveMsureClick());
    fx.messages.Answer(mrYes);
    ASSERT_TRUE(remove.btnRemoveMsureClick());
    ASSERT_EQ(fx.messages.shown.size(), 2u);
    EXPECT_EQ(fx.messages.shown[0].id, 1032);
    fx.messages.Clear();

    RunMeasureCount(remove);
    EXPECT_EQ(remove.RemovedCount, 5);
    EXPECT_TRUE(Numbers(fx).empty());
    EXPECT_TRUE(Numbers(fx, 1).empty());
    EXPECT_EQ(fx.At(0, 4).Text, "12");
    EXPECT_EQ(fx.At(2, 0), TCell{}); // the whole cell is reset
    ASSERT_EQ(fx.messages.shown.size(), 1u);
    EXPECT_EQ(fx.messages.shown[0].id, 1033);

    Undo.UndoStep();
    EXPECT_EQ(Numbers(fx).size(), 4u);
}

TEST(MeasureCount, NoSystemGives1053) {
    TEditFixture fx(16, 6);
    fx.Row(1, "\"title\"");
    TMeasureCount m = Numbering(true, 5);
    RunMeasureCount(m);
    ASSERT_EQ(fx.messages.shown.size(), 1u);
    EXPECT_EQ(fx.messages.shown[0].id, 1053);
    EXPECT_TRUE(Numbers(fx).empty());
}

TEST(MeasureCount, SelectedLinesOnlyTouchTheirSystems) {
    TEditFixture fx(16, 10);
    fx.Row(1, kWestRow);
    fx.Row(4, kWestRow);
    fx.Row(7, kWestRow);
    TMeasureCount all = Numbering(true, 2);
    RunMeasureCount(all);
    ASSERT_EQ(Numbers(fx).size(), 6u);

    // Renumber the middle system alone from 1: it is numbered as a piece of its
    // own, and outside the whole-piece scope measure 1 carries its number too.
    fx.Select(0, 4, 0, 4);
    TMeasureCount mid = Numbering(true, 2, 2);
    RunMeasureCount(mid);
    EXPECT_EQ(Numbers(fx), (std::vector<TNumber>{
                               {2, 0, 0, 2}, {6, 0, 0, 4}, {0, 3, 0, 1}, {2, 3, 0, 2}, {6, 3, 0, 4}, {2, 6, 0, 10}, {6, 6, 0, 12}}));
    EXPECT_EQ(fx.win.SelRow0, 4);
}
