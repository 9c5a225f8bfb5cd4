// Staff groups: which rows form the system of a row (GetRowGroup and the row-group
// searches behind it), grand-staff pairs, row names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/modTQGroup.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "tests/support/TQScoreFixture.h"

namespace {

constexpr const char* kBrace = "54191118";

std::vector<int> GroupRowNumbers() {
    std::vector<int> rows;
    for (const auto& g : GroupRows)
        rows.push_back(g.row);
    return rows;
}

TEST(RowGroup, SeventeenStaffSystemKeepsSixteenRecords) {
    TScoreFixture fx(8, 20);
    for (int r = 0; r < 17; ++r)
        fx.Row(r, "&G W:3@2 W:3@1 |");
    EXPECT_EQ(GetRowGroup(0, -1), 0);
    ASSERT_EQ(GroupRows.size(), 16u);
    EXPECT_EQ(GroupRows.front().row, 0);
    EXPECT_EQ(GroupRows.back().row, 15);
    for (const auto& g : GroupRows) {
        EXPECT_TRUE(g.isWest);
        EXPECT_EQ(g.clef, -1);
    }
    // The seventeenth row belongs to the same system but is not listed.
    EXPECT_EQ(GetRowIndexInGroup(16), 0);
}

// Rows and clef columns beyond 127 are held in full.
TEST(RowGroup, LargeGridRowsAndColumns) {
    TScoreFixture fx(150, 140);
    std::string picture;
    for (int c = 0; c < 135; ++c)
        picture += "~ ";
    fx.Row(130, picture + "&G/3{mark=" + kBrace + ",jEnd=131} W:3@2");
    fx.Row(131, picture + "&F/3 W:3@2");
    EXPECT_EQ(GetRowGroup(130, -1), 135);
    ASSERT_EQ(GroupRows.size(), 2u);
    EXPECT_EQ(GroupRows[0].row, 130);
    EXPECT_EQ(GroupRows[0].clefColumn, 135);
    EXPECT_EQ(GroupRows[0].markEndRow, 131);
    EXPECT_EQ(GroupRows[0].keyCode, 3);
    EXPECT_EQ(GroupRows[1].row, 131);
    EXPECT_EQ(GroupRows[1].clef, -2);

    int upper = -1, lower = -1;
    fx.Score().SelRow0 = 131;
    EXPECT_TRUE(FindGrandStaffPair(131, upper, lower));
    EXPECT_EQ(upper, 130);
    EXPECT_EQ(lower, 131);
}

TEST(RowGroup, GrandStaffPairsAndSubGroups) {
    TScoreFixture fx(10, 10);
    const std::string brace = std::string("{mark=") + kBrace;
    fx.Page({
        "",
        "&G/1" + brace + ",jEnd=2} W:3@2 |",
        "&F/1 W:3@2 |",
        "&G/1" + brace + ",jEnd=4} W:3@2 |",
        "&F/1{dur=33} W:3@2 |",
    });
    EXPECT_EQ(GetRowGroup(2, -1), 0);
    EXPECT_EQ(GroupRowNumbers(), (std::vector<int>{1, 2, 3, 4}));
    struct Expect {
        int clef;
        bool mark;
        int markEnd, count, display;
    };
    const std::vector<Expect> expected = {
        {-1, true, 2, 1, 0}, {-2, false, 0, 1, 0}, {-1, true, 4, 2, 0}, {-2, false, 0, 2, 33}};
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(GroupRows[i].clef, expected[i].clef);
        EXPECT_EQ(GroupRows[i].hasSystemMark, expected[i].mark);
        EXPECT_EQ(GroupRows[i].markEndRow, expected[i].markEnd);
        EXPECT_EQ(GroupRows[i].markCount, expected[i].count);
        EXPECT_EQ(GroupRows[i].displayBits, expected[i].display);
        EXPECT_EQ(GroupRows[i].keyCode, 1);
        EXPECT_EQ(GroupRows[i].clefColumn, 0);
    }

    int partner = -1;
    EXPECT_TRUE(GetGrandStaffPartner(2, partner));
    EXPECT_EQ(partner, 1);
    EXPECT_TRUE(GetGrandStaffPartner(3, partner));
    EXPECT_EQ(partner, 4);

    EXPECT_EQ(GetRowIndexInGroup(3), 2);
    EXPECT_EQ(GetSubGroupFirstIndex(4), 2);
    EXPECT_EQ(GetSubGroupFirstIndex(2), 0);
    EXPECT_EQ(GetSubGroupFirstIndex(1), 0);

    // The search that found the pair wrote the lower clef's own row as its end row.
    EXPECT_EQ(fx.At(0, 2).jEnd, 2);
    EXPECT_EQ(fx.At(0, 4).jEnd, -1) << "only the brace of the group's first row is followed";
}

TEST(RowGroup, FindGrandStaffPairUsesTheCursorRowAndRestoresTheLayer) {
    TScoreFixture fx(10, 8, 1, 1);
    fx.Page({"&G{mark=54191118,jEnd=1} W:3@2", "&F W:3@2", "", "", "&G W:3@2"});
    CurLayer = 1;
    int upper = -1, lower = -1;
    fx.Score().SelRow0 = 0;
    EXPECT_TRUE(FindGrandStaffPair(1, upper, lower));
    EXPECT_EQ(upper, 0);
    EXPECT_EQ(lower, 1);
    EXPECT_EQ(CurLayer, 1);

    upper = lower = 77;
    fx.Score().SelRow0 = 4;
    EXPECT_FALSE(FindGrandStaffPair(4, upper, lower)) << "a group of one row";
    EXPECT_EQ(upper, 77);
    EXPECT_EQ(CurLayer, 1);
    CurLayer = 0;
}

TEST(RowGroup, OneStaffRowIsReportedWithTheRowAsked) {
    TScoreFixture fx(8, 6);
    fx.Row(2, "\"Violoncello\" &F/7 W:3@2");
    EXPECT_EQ(GetRowGroup(0, -1), 1);
    ASSERT_EQ(GroupRows.size(), 1u);
    EXPECT_EQ(GroupRows[0].row, 0) << "the empty row that was asked for";
    EXPECT_EQ(GroupRows[0].clef, -2);
    EXPECT_EQ(GroupRows[0].keyCode, 7);
    EXPECT_EQ(GroupRows[0].clefColumn, 1);
    EXPECT_EQ(GroupRows[0].Name(), "Violoncell");
    EXPECT_NE(GroupRows[0].name.back(), '\0') << "a 10-character name has no terminator";
    EXPECT_EQ(GetRowName(2), "Violoncello");
}

TEST(RowGroup, LastRowAndRowsOffTheGridKeepTheList) {
    TScoreFixture fx(8, 6);
    fx.Row(1, "&G W:3@2");
    GetRowGroup(1, -1);
    const auto before = GroupRowNumbers();
    EXPECT_EQ(GetRowGroup(5, -1), -2);
    EXPECT_EQ(GroupRowNumbers(), before);
    EXPECT_EQ(GetRowGroup(6, -1), -1);
    EXPECT_EQ(GetRowGroup(600, -1), -1);
    EXPECT_EQ(GroupRowNumbers(), before);
}

TEST(RowGroup, NoMusicGivesOneEmptyRecord) {
    TScoreFixture fx(8, 6);
    EXPECT_EQ(GetRowGroup(0, -1), -1);
    ASSERT_EQ(GroupRows.size(), 1u);
    EXPECT_EQ(GroupRows[0].row, 5);
    EXPECT_EQ(GroupRows[0].clef, 0);
    EXPECT_FALSE(GroupRows[0].hasSystemMark);
    EXPECT_EQ(GetRowIndexInGroup(0), 0);
}

TEST(RowGroup, JianpuRowOfTheOtherModeIsALoneRow) {
    TScoreFixture fx(8, 6);
    fx.Row(2, "1 2 3 4 5");
    EXPECT_EQ(GetRowGroup(2, 0), -2) << "no Western group, but the row itself is music";
    ASSERT_EQ(GroupRows.size(), 1u);
    EXPECT_EQ(GroupRows[0].row, 2);
    EXPECT_EQ(GroupRows[0].clef, 0);
    EXPECT_EQ(GetRowGroup(2, 1), 0);
    ASSERT_EQ(GroupRows.size(), 1u);
    EXPECT_FALSE(GroupRows[0].isWest);
}

TEST(RowGroup, PercussionJianpuRowsAndInheritedClefs) {
    TScoreFixture fx(10, 8);
    fx.Page({
        "x X 1 2 3 4",        // two 'x' before any degree: a percussion row
        "",
        "x 1 X 2 3 4",        // a degree comes between them
        "",
        "? &G/2 W:3@2 W:3@1", // a '?' joins the next row to this staff
        "? 1 2 3 4",          // no clef of its own
    });
    GetRowGroup(0, -1);
    ASSERT_EQ(GroupRows.size(), 1u);
    EXPECT_EQ(GroupRows[0].clef, -4);
    GetRowGroup(2, -1);
    ASSERT_EQ(GroupRows.size(), 1u);
    EXPECT_EQ(GroupRows[0].clef, 0);

    EXPECT_EQ(GetRowGroup(4, -1), 0);
    ASSERT_EQ(GroupRowNumbers(), (std::vector<int>{4, 5}));
    EXPECT_TRUE(GroupRows[0].isWest);
    EXPECT_FALSE(GroupRows[1].isWest);
    EXPECT_EQ(GroupRows[1].clef, -1) << "inherited from the row above";
    EXPECT_EQ(GroupRows[1].keyCode, 2);
    EXPECT_EQ(GroupRows[1].clefColumn, 1);
    EXPECT_EQ(GroupRows[0].markCount, 1);
    EXPECT_EQ(GroupRows[1].markCount, 2) << "each '?' below the last mark opens a sub-group";
}

TEST(RowGroup, SystemMarksOnJianpuAndWesternRows) {
    TScoreFixture fx(10, 10);
    fx.Page({
        "~{mark=71,jEnd=1} 1 2 3 4 5",
        "~ 1 2 3 4 5",
        "",
        "",
        "&G ~{mark=71,jEnd=5} W:3@2",
        "&F W:3@2",
        "",
        "&G ~{mark=30,jEnd=8} ~{mark=73,jEnd=8} W:3@2",
        "&F W:3@2",
    });
    GetRowGroup(0, -1);
    ASSERT_EQ(GroupRowNumbers(), (std::vector<int>{0, 1}));
    EXPECT_TRUE(GroupRows[0].hasSystemMark) << "71 joins Jianpu rows";
    EXPECT_EQ(GroupRows[0].markEndRow, 1);

    GetRowGroup(4, -1);
    ASSERT_EQ(GroupRowNumbers(), (std::vector<int>{4, 5}));
    EXPECT_FALSE(GroupRows[0].hasSystemMark) << "but not Western rows";

    GetRowGroup(7, -1);
    ASSERT_EQ(GroupRowNumbers(), (std::vector<int>{7, 8}));
    EXPECT_TRUE(GroupRows[0].hasSystemMark);
    EXPECT_EQ(GroupRows[0].markCount, 2) << "mark 30 counts and the walk goes on to 73";
    EXPECT_EQ(GroupRows[0].markEndRow, 8);
}

// A staff row of layer 0 whose Jianpu line is shown in layer 1 is both kinds of
// row: its header ends at the first Jianpu note too, so bar marks further on in
// the row are no system marks.
TEST(RowGroup, StaffRowWithItsJianpuLineInLayerOne) {
    TScoreFixture fx(10, 6, 1, 1);
    fx.Row(0, "&G W:3@2 W:3@2 W:3@2 W:3@2");
    fx.Row(0, "~{mark=71,jEnd=1} 1 2 3 | 4 ~{mark=29,jEnd=2} 5", 0, 1);
    fx.Row(3, "&G W:3@2 W:3@2 W:3@2 W:3@2");
    fx.Row(3, "1 2 3 | 4 ~{mark=29,jEnd=4} 5", 0, 1);
    CurLayer = 1;
    GetRowGroup(3, -1);
    ASSERT_EQ(GroupRowNumbers(), (std::vector<int>{3}));
    EXPECT_TRUE(GroupRows[0].isWest);
    EXPECT_FALSE(GroupRows[0].hasSystemMark);
    EXPECT_EQ(GroupRows[0].markCount, 0);
    GetRowGroup(0, -1);
    ASSERT_FALSE(GroupRows.empty());
    EXPECT_EQ(GroupRows[0].row, 0);
    EXPECT_TRUE(GroupRows[0].hasSystemMark) << "71 in the header of a Jianpu line";
    EXPECT_EQ(GroupRows[0].markEndRow, 1);
    CurLayer = 0;
}

// ---- The row-group searches behind GetRowGroup ----

struct NextGroupCase {
    const char* what;
    std::vector<std::string> page;
    int from;
    int result, first, last;
};

TEST(NextRowGroup, Table) {
    const std::vector<NextGroupCase> cases = {
        {"single staff row", {"", "&G W:3@2"}, 0, 0, 1, 2},
        {"clef in column 2", {"~ ~ &G W:3@2", "~ ~ &F W:3@2"}, 0, 2, 0, 1},
        {"Jianpu row above a staff stands alone", {"1 2 3 4", "&G W:3@2"}, 0, 0, 0, 0},
        {"Jianpu row without a start cell", {"", "", "1 2 3 4"}, 0, 0, 2, 2},
        {"nothing", {"", ""}, 0, -1, 0, 0},
        // The walk goes on at the second row after the mark's end row, over an empty row.
        {"bar mark joins past its end row", {"&G{mark=72,jEnd=1} W:3", "&F W:3", "", "&G W:3"}, 0, 0, 0, 3},
        {"mark without an end row gives no start column", {"~{mark=28} 1 2 3 4 |"}, 0, 0, 0, 0},
        {"'?' beside the start column joins", {"~ &G W:3", "? ~ 1 2 3 4", "", "&G W:3"}, 0, 1, 0, 1},
        // An end row above the walk must not send it back up.
        {"damaged end row", {"&G W:3", "&G W:3", "&G W:3", "&G{mark=72,jEnd=0} W:3"}, 0, 0, 0, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TScoreFixture fx(10, 8);
        for (size_t r = 0; r < c.page.size(); ++r)
            fx.Row(static_cast<int>(r), c.page[r]);
        int first = c.from, last = -9;
        EXPECT_EQ(FindNextRowGroup(first, last, -1), c.result);
        if (c.result != -1) {
            EXPECT_EQ(first, c.first);
            EXPECT_EQ(last, c.last);
        }
    }
}

TEST(NextRowGroup, ModesChooseTheKindOfRow) {
    TScoreFixture fx(10, 8);
    fx.Page({"&G W:3@2", "", "1 2 3 4 |"});
    int first = 0, last = 0;
    EXPECT_EQ(FindNextRowGroup(first, last, 1), 4) << "Jianpu only: the bar line opens the group";
    EXPECT_EQ(first, 2);
    first = 1;
    EXPECT_EQ(FindNextRowGroup(first, last, 0), 0) << "Western only: no start cell below row 1";
    EXPECT_EQ(first, 2) << "the first music row below stands alone";
}

TEST(RowGroupRange, RowsInAndBetweenGroups) {
    TScoreFixture fx(10, 10, 1, 1);
    fx.Page({"", "&G W:3", "&F W:3", "", "", "&G W:3", "", "", ""});
    CurLayer = 1;
    struct Case {
        int row, result, first, last;
    };
    const std::vector<Case> cases = {
        {0, 0, 1, 2}, {2, 0, 1, 2}, {3, 0, 5, 6}, {5, 0, 5, 6}, {7, -1, 7, 7},
    };
    for (const auto& c : cases) {
        int row = c.row, last = -9;
        EXPECT_EQ(GetRowGroupRange(row, last, -1), c.result) << c.row;
        EXPECT_EQ(row, c.first) << c.row;
        EXPECT_EQ(last, c.last) << c.row;
        EXPECT_EQ(CurLayer, 1) << "the layer is put back";
    }
    CurLayer = 0;
}

} // namespace

// A page draw walks the row groups once for all its rows: every answer, asked
// row by row, out of order or after the page changed, equals the walk from row
// 0 that each question makes without it.
TEST(RowGroup, WalkKeptForAPageDrawAnswersAsAFreshWalk) {
    TScoreFixture fx(10, 24, 2);
    const std::string brace = std::string("{mark=") + kBrace;
    const std::vector<std::string> page = {
        "",
        "&G/1" + brace + ",jEnd=2} W:3@2 |",
        "&F/1 W:3@2 |",
        "\"1=C\" 1 2 3 |",
        "",
        "&G W:3@2 W:3@1 |",
        "&G W:3@2 |",
        "| 1 2 3 4 |",
        "| 5 6 7 1 |",
        "",
        "&G/2" + brace + ",jEnd=11} W:3@2 |",
        "&F/2 W:3@2 |",
        "\"text\"",
        "1_ 2_ 3 |",
        "&C W:3@2 |",
    };
    for (size_t r = 0; r < page.size(); ++r)
        fx.Row(static_cast<int>(r), page[r]);
    struct TAnswer {
        int row, last, result;
        std::vector<int> groupRows;
        bool operator==(const TAnswer&) const = default;
    };
    auto ask = [](int row, int mode) {
        TAnswer a{row, -7, 0, {}};
        a.result = GetRowGroupRange(a.row, a.last, mode);
        GetRowGroup(row, mode);
        for (const auto& g : GroupRows)
            a.groupRows.push_back(g.row);
        return a;
    };
    const int rows = fx.Score().Rows;
    for (int mode : {-1, 0, 1}) {
        std::vector<TAnswer> fresh;
        for (int r = 0; r < rows + 2; ++r)
            fresh.push_back(ask(r, mode));
        {
            TRowGroupWalkScope walk;
            for (int r = 0; r < rows + 2; ++r)
                EXPECT_EQ(ask(r, mode), fresh[static_cast<size_t>(r)]) << "mode " << mode << ", row " << r;
        }
        {
            TRowGroupWalkScope walk;
            for (int r = rows + 1; r >= 0; r -= 3)
                EXPECT_EQ(ask(r, mode), fresh[static_cast<size_t>(r)]) << "backwards, mode " << mode << ", row " << r;
            // another page: walked again
            fx.Score().CurPage = 1;
            EXPECT_EQ(ask(5, mode).result, -1) << "an empty page has no group";
            fx.Score().CurPage = 0;
            EXPECT_EQ(ask(5, mode), fresh[5]) << "mode " << mode;
        }
    }
}
