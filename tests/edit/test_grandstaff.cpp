// Grand-staff commands: conversion with room made below treble staves, decoupling
// and combining.
#include <gtest/gtest.h>

#include <functional>

#include "edit/modTQGrandStaff.h"
#include "tests/edit/TQEditFixture.h"

namespace {

struct ConvertCase {
    const char* name;
    std::function<void()> run;
};

class GrandStaffConvert : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(GrandStaffConvert, TrebleStaffGetsABassStaffThreeRowsBelow) {
    TEditFixture fx(12, 12);
    fx.Row(0, "\"Title\"");
    fx.Row(2, "&G/2{iEnd=9} W:3@2 W:3@1 |");
    fx.Row(3, "\"lyric\"");
    fx.Select(0, 2, 11, 2);
    int playRule = 0; // the play window is told to play all staffs
    GrandStaffHooks().AdjustPlayRule = [&] { ++playRule; };
    GetParam().run();
    GrandStaffHooks().AdjustPlayRule = nullptr;
    EXPECT_EQ(playRule, 1);
    const TCell& upper = fx.At(0, 2);
    EXPECT_EQ(upper.Note, -1);
    EXPECT_EQ(upper.markType, kGrandStaffBrace);
    EXPECT_EQ(upper.jEnd, 5);
    const TCell& lower = fx.At(0, 5);
    EXPECT_EQ(lower.Note, -2);
    EXPECT_EQ(lower.Attr, 2u); // the same key
    EXPECT_EQ(lower.iEnd, 9);  // the same staff length
    EXPECT_EQ(lower.jEnd, 5);
    EXPECT_EQ(lower.markType, 0);
    EXPECT_EQ(fx.At(1, 2).Note, 3); // the treble notes stay
    EXPECT_EQ(fx.At(0, 0).Text, "Title");
    EXPECT_EQ(fx.At(0, 3).Text, ""); // two lines of room
    EXPECT_EQ(fx.At(0, 5 + 1).Text, ""); // the bass header took the lyric line's old place + 2
    EXPECT_TRUE(fx.win.Modified);
    EXPECT_FALSE(Undo.UndoList.empty());
}

INSTANTIATE_TEST_SUITE_P(Commands, GrandStaffConvert,
                         ::testing::Values(ConvertCase{"Selected", ConvertToGrandStaffSelected},
                                           ConvertCase{"AllPages", ConvertToGrandStaffAllPages}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GrandStaff, UndoTakesTheSelectedConversionBack) {
    TEditFixture fx(0, 0); // the default paper's grid, which a snapshot keeps
    fx.Row(2, "&G{iEnd=9} W:3@2");
    const TPageSets before = fx.win.PageSets;
    fx.Select(0, 2, 9, 2);
    ConvertToGrandStaffSelected();
    ASSERT_EQ(fx.At(0, 5).Note, -2);
    ASSERT_FALSE(fx.win.PageSets == before);
    Undo.UndoStep();
    // (Drawing the page writes run-time fields of the staff's cells: compare the rest.)
    const TPage& page = fx.win.PageSets[0][0];
    for (size_t r = 3; r < page.size(); ++r)
        EXPECT_TRUE(page[r] == before[0][0][r]) << r;
    EXPECT_EQ(page[2][0].markType, 0);
    EXPECT_EQ(page[2][0].jEnd, before[0][0][2][0].jEnd);
    EXPECT_EQ(page[2][1].Note, 3);
}

TEST(GrandStaff, TrebleStaffInTheLastRowsMovesToTheNextPage) {
    TEditFixture fx(12, 12);
    fx.Row(10, "&G{iEnd=9} W:3@2");
    ConvertToGrandStaffAllPages();
    ASSERT_EQ(fx.win.PageSets[0].size(), 2u);
    for (int r = 0; r < 12; ++r)
        EXPECT_NE(fx.At(0, r, 0).Note, -1) << "page 0 row " << r;
    // The staff stands on page 1 with a line above it and its bass staff below.
    EXPECT_EQ(fx.At(0, 1, 1).Note, -1);
    EXPECT_EQ(fx.At(0, 1, 1).markType, kGrandStaffBrace);
    EXPECT_EQ(fx.At(0, 1, 1).jEnd, 4);
    EXPECT_EQ(fx.At(0, 4, 1).Note, -2);
    EXPECT_EQ(fx.At(1, 1, 1).Note, 3);
    EXPECT_EQ(fx.win.CurPage, 0);
    EXPECT_EQ(fx.win.PageCount, 2);
}

TEST(GrandStaff, DecoupleLeavesBothStaves) {
    TEditFixture fx(12, 12, 2);
    for (int p = 0; p < 2; ++p)
        fx.Row(2, "&G{mark=54191118,jEnd=5,iEnd=9}", p).Row(5, "&F{iEnd=9}", p);
    fx.Select(0, 0, 11, 11);
    DecoupleGrandStaffSelected();
    EXPECT_EQ(fx.At(0, 2).markType, 0);
    EXPECT_EQ(fx.At(0, 2).jEnd, 2);
    EXPECT_EQ(fx.At(0, 2).Note, -1);
    EXPECT_EQ(fx.At(0, 5).Note, -2);
    EXPECT_EQ(fx.At(0, 2, 1).markType, kGrandStaffBrace); // another page: untouched
    EXPECT_TRUE(fx.win.Modified);

    fx.win.CurPage = 1;
    DecoupleGrandStaffAll();
    EXPECT_EQ(fx.At(0, 2, 1).markType, 0);
    EXPECT_EQ(fx.At(0, 5, 1).Note, -2);
    EXPECT_EQ(fx.win.CurPage, 0);
    // Nothing left to decouple: no undo item, nothing changes.
    const size_t items = Undo.UndoList.size();
    EXPECT_FALSE(DecoupleGrandStaffRows(0, 11));
    EXPECT_EQ(Undo.UndoList.size(), items);
}

TEST(GrandStaff, CombiningThreeStavesJoinsTheFirstTwo) {
    TEditFixture fx(12, 12);
    fx.Row(1, "&G{iEnd=9,mark=30,jEnd=5}");
    fx.Row(3, "&F{iEnd=9}");
    fx.Row(5, "&G{iEnd=9}");
    fx.Select(0, 0, 11, 11);
    mitCombineasGrandStaffClick();
    EXPECT_EQ(fx.At(0, 1).markType, kGrandStaffBrace);
    EXPECT_EQ(fx.At(0, 1).jEnd, 3);
    EXPECT_EQ(fx.At(0, 1).dot, 0);
    EXPECT_EQ(fx.At(0, 3).markType, 0);
    EXPECT_EQ(fx.At(0, 5).markType, 0);
    EXPECT_TRUE(fx.win.Modified);
    EXPECT_EQ(Undo.UndoList.size(), 1u);
}

TEST(GrandStaff, SelectionWithoutTrebleStaffChangesNothing) {
    TEditFixture fx(12, 12);
    fx.Row(2, "&F{iEnd=9} W:3@2");
    const TPageSets before = fx.win.PageSets;
    fx.Select(0, 0, 11, 11);
    ConvertToGrandStaffSelected();
    EXPECT_TRUE(fx.win.PageSets == before);
    EXPECT_TRUE(Undo.UndoList.empty());
    EXPECT_FALSE(fx.win.Modified);
}

TEST(GrandStaff, CombineNeedsHeadersInOneColumn) {
    TEditFixture fx(12, 12);
    fx.Row(1, "&G{iEnd=9}");
    fx.Row(3, "~ &F{iEnd=9}");
    fx.Select(0, 0, 11, 11);
    EXPECT_FALSE(CombineAsGrandStaff());
    EXPECT_TRUE(Undo.UndoList.empty());
}

} // namespace
