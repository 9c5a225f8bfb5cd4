// Row and page queries: what a row is (Western staff, Jianpu music), empty rows
// and pages, grand-staff partners, and the small text and file queries.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "model/modTQGroup.h"
#include "model/modTQRowQuery.h"
#include "tests/support/TQScoreFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

struct RowCase {
    const char* picture;
    bool jianpu, west, music;
};

TEST(RowClassification, JianpuWesternAndMusicRows) {
    const std::vector<RowCase> cases = {
        {"1 2 3 | 4", true, false, true},              // four notes and a bar line
        {"1 2 3", false, false, false},                // three sounding cells are not enough
        {"1 2 3 ~{mark=28}", true, false, true},       // ... unless a row-spanning mark stands in it
        {"1 2 ~{mark=28}", false, false, false},       // the mark needs three notes
        {"- - - - . |", true, false, true},            // dashes and a dot with a bar line
        {"- - - -", false, false, false},              // no notes and no bar line
        {"| - - - -", true, false, true},              // the first bar line always counts
        {"1 0 0 3", true, false, true},                // rests count as notes
        {"x x x x", false, false, false},              // percussion notes sound but are no notes
        {"x x x x |", true, false, true},
        {"~ ~ ~ S:85", true, false, true},             // the Jianpu symbol 85 decides at once
        {"~{mark=87}", true, false, true},             // so does the mark 87
        {"\"1=C\" ~ ~ ~", false, false, false},
        {"&G W:3@2 W:3@1 |", false, true, true},
        {"&G 1 2 3 | 4", true, true, true},            // a clef row that also looks like Jianpu
        {"~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ &N", false, true, true}, // the no-key header is a clef too
        {"~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ &7", false, true, true},
        {"W:3@2 W:3@2 W:4@1", false, false, false},    // Western notes without a clef
    };
    for (const auto& c : cases) {
        TScoreFixture fx(12, 3);
        fx.Row(1, c.picture);
        SCOPED_TRACE(c.picture);
        EXPECT_EQ(IsJianpuMusicRow(1, -1, -1), c.jianpu);
        EXPECT_EQ(IsWestRow(1, 0, -1), c.west);
        EXPECT_EQ(IsMusicRow(1), c.music);
    }
}

TEST(RowClassification, WestRowLimitAndPages) {
    TScoreFixture fx(8, 3, 2);
    fx.Row(0, "~ ~ ~ &G");
    fx.Row(1, "&F", 1);
    EXPECT_FALSE(IsWestRow(0, 3, -1)) << "the only clef stands in column 3";
    EXPECT_TRUE(IsWestRow(0, 4, -1));
    EXPECT_TRUE(IsWestRow(0, 0, -1));
    EXPECT_TRUE(IsWestRow(0, 99, -1));
    EXPECT_FALSE(IsWestRow(1, 0, -1));
    EXPECT_TRUE(IsWestRow(1, 0, 1));
    EXPECT_FALSE(IsWestRow(1, 0, 2));
    EXPECT_FALSE(IsWestRow(1, 0, -2));
    EXPECT_FALSE(IsWestRow(-1, 0, -1));
    EXPECT_FALSE(IsWestRow(3, 0, -1)) << "the spare row is no staff row";

    fx.Score().SelRow0 = 0;
    EXPECT_TRUE(IsWestRowAtCursor());
    fx.Score().SelRow0 = 1;
    EXPECT_FALSE(IsWestRowAtCursor());
    fx.Score().SelRow0 = 50;
    EXPECT_FALSE(IsWestRowAtCursor());
}

TEST(RowClassification, WestRowsAreReadInLayerZero) {
    TScoreFixture fx(8, 3, 1, 1);
    fx.Row(0, "&G", 0, 1);
    fx.Row(1, "1 2 3 4", 0, 1);
    CurLayer = 1;
    EXPECT_FALSE(IsWestRow(0, 0, -1));
    EXPECT_TRUE(IsJianpuMusicRow(1, -1, -1)) << "Jianpu rows are read in the layer asked for";
    EXPECT_FALSE(IsJianpuMusicRow(1, -1, 0));
    CurLayer = 0;
}

// The bar lines that count for a Jianpu row stand in layer 0 of the page asked
// about, not of the page on screen.
TEST(RowClassification, JianpuBarLinesOfThePageAsked) {
    TScoreFixture fx(8, 3, 2, 2);
    fx.Row(0, "- - - - |", 1, 0);        // page 1, layer 0: its own bar line
    fx.Row(0, "- - - -", 1, 1);          // page 1, layer 1: dashes under layer 0's bar line
    fx.Row(1, "~ ~ ~ ~ |", 0, 0);        // the page on screen has a bar line in row 1 ...
    fx.Row(1, "- - - -", 1, 1);          // ... which must not count for page 1
    ASSERT_EQ(fx.Score().CurPage, 0);
    EXPECT_TRUE(IsJianpuMusicRow(0, 1, 0));
    EXPECT_TRUE(IsJianpuMusicRow(0, 1, 1));
    EXPECT_FALSE(IsJianpuMusicRow(1, 1, 1));
    EXPECT_FALSE(IsJianpuMusicRow(0, 0, 1)) << "page 0 of layer 1 is empty";
    EXPECT_TRUE(HasJianpuRowInRange(0, 0, 1));
    EXPECT_TRUE(ScoreHasJianpuRows());

    EXPECT_FALSE(IsJianpuMusicRow(0, 2, 0)) << "no such page";
    EXPECT_FALSE(IsJianpuMusicRow(0, 0, 2)) << "no such layer";
    EXPECT_FALSE(IsJianpuMusicRow(-1, 0, 0));
    EXPECT_FALSE(IsJianpuMusicRow(3, 0, 0));
}

// Answers kept while a TJianpuRowAnswerScope lives are those of a fresh
// judgement, for every page and layer, asked by number or as the current one;
// a change of score is judged again, and a cell changed after the scope is seen.
TEST(RowClassification, KeptJianpuAnswersAreFreshAnswers) {
    TScoreFixture fx(8, 3, 2, 2);
    fx.Row(0, "- - - - |", 1, 0);
    fx.Row(0, "- - - -", 1, 1);
    fx.Row(1, "~ ~ ~ ~ |", 0, 0);
    fx.Row(1, "- - - -", 1, 1);
    fx.Row(2, "1 2 3 | 4", 0, 1);
    auto all = [] {
        std::vector<int> a;
        for (int layer = -1; layer <= 2; ++layer)
            for (int page = -1; page <= 2; ++page)
                for (int row = -1; row <= 3; ++row)
                    a.push_back(IsJianpuMusicRow(row, page, layer) ? 1 : 0);
        return a;
    };
    std::vector<std::vector<int>> fresh;
    for (int layer : {0, 1})
        for (int page : {0, 1}) {
            CurLayer = layer;
            fx.Score().CurPage = page;
            fresh.push_back(all());
        }
    {
        TJianpuRowAnswerScope kept;
        TJianpuRowAnswerScope nested;
        for (int pass = 0; pass < 2; ++pass) {
            size_t k = 0;
            for (int layer : {0, 1})
                for (int page : {0, 1}) {
                    CurLayer = layer;
                    fx.Score().CurPage = page;
                    EXPECT_EQ(all(), fresh[k++]) << "pass " << pass << ", layer " << layer << ", page " << page;
                }
        }
        CurLayer = 0;
        fx.Score().CurPage = 0;
        {
            TScoreFixture other(8, 3);
            other.Row(0, "1 2 3 | 4");
            EXPECT_TRUE(IsJianpuMusicRow(0, 0, 0)) << "another score is judged again";
        }
        EXPECT_FALSE(IsJianpuMusicRow(0, 0, 0));
    }
    CurLayer = 0;
    fx.Score().CurPage = 0;
    fx.Row(0, "1 2 3 | 4");
    EXPECT_TRUE(IsJianpuMusicRow(0, 0, 0)) << "nothing is kept once the scopes end";
}

TEST(RowClassification, PlayableAndDrumStaffRows) {
    TScoreFixture fx(8, 6);
    fx.Page({
        "&G{dur=32} W:3@2",       // comment staff only
        "&G{dur=32} ~ &G W:3@2",  // a second clef without the flag
        "&G ~ &D",                // first clef decides the drum test
        "&D W:3",
        "&X W:3",
        "1 2 3 4",
    });
    const std::vector<std::tuple<int, bool, bool>> cases = {
        {0, false, false}, {1, true, false}, {2, true, false},
        {3, true, true},   {4, true, true},  {5, false, false},
    };
    for (auto [row, playable, drum] : cases) {
        EXPECT_EQ(IsPlayableWestRow(row), playable) << row;
        EXPECT_EQ(IsDrumStaffRow(row), drum) << row;
    }
    EXPECT_FALSE(IsPlayableWestRow(-1));
    EXPECT_FALSE(IsDrumStaffRow(6));
}

TEST(RowRanges, RangeRulesAndLayerZero) {
    TScoreFixture fx(8, 8, 1, 1);
    fx.Row(6, "1 2 3 | 4");
    fx.Row(2, "&G");
    fx.Row(4, "1 2 3 | 4", 0, 1); // layer 1 only: the range queries read layer 0
    struct Case {
        int from, to;
        bool jianpu, west;
    };
    const std::vector<Case> cases = {
        {5, 2, true, false}, // to below from: up to the last row
        {5, 5, false, false},
        {6, 6, true, false},
        {0, 5, false, true},
        {3, 5, false, false},
        {8, 2, false, false},
        {0, -1, true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HasJianpuRowInRange(c.from, c.to, 0), c.jianpu) << c.from << ".." << c.to;
        EXPECT_EQ(HasWestRowInRange(c.from, c.to, 0), c.west) << c.from << ".." << c.to;
    }
    EXPECT_FALSE(HasJianpuRowInRange(0, 7, 3)) << "a page that does not exist";
}

TEST(RowRanges, ScoreJianpuRowsWithinThePageCount) {
    TScoreFixture fx(8, 4, 2);
    fx.Row(3, "1 2 3 | 4", 1);
    EXPECT_TRUE(ScoreHasJianpuRows());
    fx.Score().PageCount = 1;
    EXPECT_FALSE(ScoreHasJianpuRows());
    fx.Score().PageCount = 7; // a page count beyond the pages held is read safely
    EXPECT_TRUE(ScoreHasJianpuRows());
}

TEST(RowRanges, BarMarkInTheFirstHalf) {
    TScoreFixture fx(8, 3); // row vectors hold 9 cells: the first half is columns 0..3
    fx.Row(0, "~ ~ ~ ~{mark=72}");
    fx.Row(1, "~ ~ ~ ~ ~{mark=72}");
    fx.Row(2, "~ ~{mark=30}");
    EXPECT_TRUE(HasBarMarkInFirstHalf(0));
    EXPECT_FALSE(HasBarMarkInFirstHalf(1));
    EXPECT_TRUE(HasBarMarkInFirstHalf(2));
    EXPECT_FALSE(HasBarMarkInFirstHalf(-1));
}

TEST(EmptyRowsAndPages, RowsAndPages) {
    TScoreFixture fx(6, 3, 2, 2);
    fx.Row(1, "~ ~ ~ ~ ~ 3", 1);
    EXPECT_TRUE(IsPageEmpty(0, 0));
    EXPECT_FALSE(IsPageEmpty(1, 0));
    EXPECT_FALSE(IsPageEmpty(2, 0)) << "a page that does not exist is not empty";
    EXPECT_FALSE(IsPageEmpty(-1, 0));
    EXPECT_FALSE(IsPageEmpty(0, 2));
    EXPECT_TRUE(IsPageEmpty(1, 1));

    // The spare column does not count.
    fx.Score().PageSets[0][0][0][6].Note = '5';
    EXPECT_TRUE(IsPageEmpty(0, 0));
    EXPECT_TRUE(IsRowEmpty(fx.Score().PageSets[0][0][0]));
    EXPECT_FALSE(IsRowEmpty(fx.Score().PageSets[0][1][1]));

    // A layer-1 page that does not match layer 0 holds nothing usable.
    fx.Row(0, "1 2 3", 0, 1);
    EXPECT_FALSE(IsPageEmpty(0, 1));
    fx.Score().PageSets[1][0].pop_back();
    EXPECT_TRUE(IsPageEmpty(0, 1));
    fx.Score().PageSets[1].resize(3, fx.Score().PageSets[1][1]);
    fx.Score().PageSets[1][2][0][0].Note = '1';
    EXPECT_TRUE(IsPageEmpty(2, 1)) << "layer 0 has no page 2";
}

TEST(GrandStaffPartner, PairsFromTheGroupList) {
    GroupRows.clear();
    int partner = 99;
    EXPECT_FALSE(GetGrandStaffPartner(2, partner));
    EXPECT_EQ(partner, -1);

    auto rec = [](int row, bool mark) {
        TGroupData g;
        g.row = row;
        g.hasSystemMark = mark;
        return g;
    };
    GroupRows = {rec(2, true), rec(3, false), rec(5, false), rec(200, true), rec(201, false)};
    const std::vector<std::tuple<int, bool, int>> cases = {
        {2, true, 3}, {3, true, 2}, {5, false, -1}, {200, true, 201}, {201, true, 200}, {4, false, -1},
    };
    for (auto [row, found, expected] : cases) {
        partner = 99;
        EXPECT_EQ(GetGrandStaffPartner(row, partner), found) << row;
        EXPECT_EQ(partner, expected) << row;
    }
    GroupRows = {rec(7, true)};
    EXPECT_FALSE(GetGrandStaffPartner(7, partner)) << "a single record pairs nothing";
    GroupRows.clear();
}

TEST(TextQueries, DigitsAndDoubleByteText) {
    const std::vector<std::pair<std::string, bool>> digits = {
        {" 42 ", true}, {"42", true}, {"\t7\r\n", true}, {"", false}, {"   ", false}, {"4 2", false}, {"4a", false},
    };
    for (const auto& [text, expected] : digits)
        EXPECT_EQ(IsAllDigits(text), expected) << "'" << text << "'";

    EXPECT_FALSE(HasDoubleByteChar("abc\xB0")) << "the last byte is not looked at";
    EXPECT_TRUE(HasDoubleByteChar("\xD6\xD0"));
    EXPECT_TRUE(HasDoubleByteChar("a\xB0z"));
    EXPECT_FALSE(HasDoubleByteChar("plain"));
    EXPECT_FALSE(HasDoubleByteChar(""));
}

TEST(FileQueries, ReadOnlyFiles) {
    tqtest::TempDir dir;
    const auto file = dir / "score.mus";
    std::ofstream(file) << "x";
    EXPECT_FALSE(IsFileReadOnly(file.string()));
    namespace fs = std::filesystem;
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_TRUE(IsFileReadOnly(file.string()));
    EXPECT_FALSE(IsFileReadOnly((dir / "missing.mus").string()));
    EXPECT_FALSE(IsChineseKeyboard());
}

} // namespace
