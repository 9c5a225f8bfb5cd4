// Page geometry, grid allocation and the pixel sizes of the current score.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model/modTQCellAccess.h"
#include "model/modTQMainScore.h"
#include "tests/support/TQScoreFixture.h"

namespace {

struct Geometry {
    int pageW, pageH, printW, printH, cellW, cellH, drawUnit, cols, rows;
    bool operator==(const Geometry&) const = default;
};

Geometry GeometryOf(const TMainScore& s) {
    return {s.PageWidthUnits, s.PageHeightUnits, s.PrintableWidth, s.PrintableHeight, s.CellWidth,
            s.CellHeight,     s.DrawUnit,        s.Cols,           s.Rows};
}

// Paper size in inches, margins and cell width in page units.
void SetPage(TMainScore& s, float paperW, float paperH, int left, int right, int top, int bottom, int cellW) {
    s.PaperWidth = paperW;
    s.PaperHeight = paperH;
    s.LeftMargin = left;
    s.RightMargin = right;
    s.TopMargin = top;
    s.BottomMargin = bottom;
    s.CellWidth = cellW;
}

} // namespace

TEST(PageGrid, PaperMarginsAndCellWidthGiveTheGrid) {
    struct Case {
        float paperW, paperH;
        int left, right, top, bottom, cellW;
        Geometry expected;
    };
    const Case cases[] = {
        // the defaults: US Letter, margins 60/30/50/40, cell 15 x 30
        {8.5f, 11.0f, 60, 30, 50, 40, 15, {1000, 1294, 910, 1204, 15, 30, 15, 60, 40}},
        // A4: round(1000 x 8.27 / 8.5) = 973, height round(973 x 11.69 / 8.27) = 1375
        {8.27f, 11.69f, 60, 30, 50, 40, 15, {973, 1375, 883, 1285, 15, 30, 15, 58, 42}},
        // landscape Letter, cell 20
        {11.0f, 8.5f, 0, 0, 0, 0, 20, {1294, 1000, 1294, 1000, 20, 40, 20, 64, 25}},
        // exactly one column and one row
        {8.5f, 11.0f, 0, 990, 0, 1274, 10, {1000, 1294, 10, 20, 10, 20, 10, 1, 1}},
    };
    for (const Case& k : cases) {
        TMainScore s;
        SetPage(s, k.paperW, k.paperH, k.left, k.right, k.top, k.bottom, k.cellW);
        s.CellHeight = 77; // a stored height is replaced by twice the width
        EXPECT_TRUE(s.CalcPageGrid()) << k.paperW << "x" << k.paperH;
        EXPECT_EQ(GeometryOf(s), k.expected) << k.paperW << "x" << k.paperH;
    }
}

TEST(PageGrid, SizesThatLeaveNoColumnOrRowAreRefusedAndChangeNothing) {
    struct Case {
        const char* what;
        float paperW, paperH;
        int left, right, top, bottom, cellW;
    };
    const Case cases[] = {
        {"margins wider than the page", 8.5f, 11.0f, 600, 500, 50, 40, 15},
        {"margins leave less than a cell", 8.5f, 11.0f, 60, 930, 50, 40, 15},
        {"margins taller than the page", 8.5f, 11.0f, 60, 30, 1000, 300, 15},
        {"less than one row", 8.5f, 11.0f, 60, 30, 50, 1220, 15},
        {"cell wider than the page", 8.5f, 11.0f, 60, 30, 50, 40, 2000},
        {"cell width 0", 8.5f, 11.0f, 60, 30, 50, 40, 0},
        {"negative cell width", 8.5f, 11.0f, 60, 30, 50, 40, -15},
        {"paper width 0", 0.0f, 11.0f, 0, 0, 0, 0, 15},
        {"negative paper height", 8.5f, -11.0f, 0, 0, 0, 0, 15},
        {"no paper size at all", std::nanf(""), 11.0f, 0, 0, 0, 0, 15},
        {"endless paper", 1e30f, 11.0f, 0, 0, 0, 0, 15},
    };
    for (const Case& k : cases) {
        TMainScore s;
        ASSERT_TRUE(s.CalcPageGrid());
        const Geometry before = GeometryOf(s);
        int resized = 0;
        s.OnPageResized = [&resized](int, int) { ++resized; };
        SetPage(s, k.paperW, k.paperH, k.left, k.right, k.top, k.bottom, k.cellW);
        EXPECT_FALSE(s.CalcPageGrid()) << k.what;
        s.CellWidth = before.cellW;
        EXPECT_EQ(GeometryOf(s), before) << k.what;
        EXPECT_EQ(resized, 0) << k.what;
    }
}

TEST(PageGrid, TheWindowIsToldThePageSizeInPixels) {
    TMainScore s;
    s.Zoom = 1.5;
    int width = 0, height = 0;
    s.OnPageResized = [&](int w, int h) {
        width = w;
        height = h;
    };
    ASSERT_TRUE(s.CalcPageGrid());
    // columns: round(15 x 1.5) = 23 px x 60 + 90 x 1.5; rows: 45 px x 40 + 90 x 1.5
    EXPECT_EQ(width, 23 * 60 + 135);
    EXPECT_EQ(height, 45 * 40 + 135);
    EXPECT_EQ(width, s.GetPageWidthPx());
    EXPECT_EQ(height, s.GetPageHeightPx());
}

TEST(PixelSizes, ZoomSizeFactorsAndPrinting) {
    TMainScore s;
    ASSERT_TRUE(s.CalcPageGrid());
    s.Zoom = 1.1;
    EXPECT_EQ(s.GetCellWidth(), 17);  // 16.5 rounds up
    EXPECT_EQ(s.GetCellHeight(), 33);
    EXPECT_EQ(s.GetLeftMargin(), 66);
    EXPECT_EQ(s.GetTopMargin(), 55);
    s.DrawSizeFactor = 0.7f;
    EXPECT_EQ(s.GetCellHeight(), 23); // 23.1
    s.VerticalRate = 1.5f;
    EXPECT_EQ(s.GetCellHeight(), 35); // 34.65
    EXPECT_EQ(s.GetCellWidth(), 17);  // columns keep their width

    s.PrintZoom = 4.0f;
    EXPECT_FLOAT_EQ(s.GetDrawScale(), 16.5f); // on screen: DrawUnit 15 x zoom
    s.Printing = true;
    EXPECT_FLOAT_EQ(s.GetDrawScale(), 60.0f); // while printing: the printer's scale
}

TEST(GridAllocation, PagesCreatedOnTheWayGetTheWholeGrid) {
    TScoreFixture fx(6, 3, 1);
    TMainScore& s = fx.Score();
    s.PageSets[0][0][1][2].Note = '5';
    ASSERT_TRUE(s.AllocatePage(-1, 3, true, 0, 0));
    ASSERT_EQ(s.PageSets[0].size(), 4u);
    for (int p = 1; p <= 3; ++p) {
        ASSERT_EQ(s.PageSets[0][p].size(), 4u) << p;
        for (const TCellRow& row : s.PageSets[0][p]) {
            ASSERT_EQ(row.size(), 7u) << p;
            for (const TCell& cell : row)
                EXPECT_EQ(cell, TCell()) << p;
        }
        TCell cell;
        EXPECT_TRUE(GetCell(cell, 5, 2, 0, p)) << p;
    }
    EXPECT_EQ(s.PageSets[0][0][1][2].Note, '5'); // pages before are left alone
    EXPECT_TRUE(s.PageSets[1].empty());

    CurLayer = 1;
    ASSERT_TRUE(s.AllocateCurrentLayerPage(1, true, 0, 0));
    EXPECT_EQ(s.PageSets[1].size(), 2u);
    EXPECT_EQ(s.PageSets[1][0].size(), 4u);

    for (auto [layer, page] : std::vector<std::pair<int, int>>{{2, 0}, {-2, 0}, {0, -1}}) {
        EXPECT_FALSE(s.AllocatePage(layer, page, true, 0, 0)) << layer << "," << page;
    }
    EXPECT_EQ(s.PageSets[0].size(), 4u);
}

TEST(GridAllocation, KeepingABlockAfterTheGridChanged) {
    TScoreFixture fx(8, 6, 1);
    TMainScore& s = fx.Score();
    for (int r = 0; r <= 6; ++r)
        for (int c = 0; c <= 8; ++c)
            s.PageSets[0][0][r][c].Note = 100 + r * 10 + c;

    // The grid grows by two columns and shrinks by one row.
    s.Cols = 10;
    s.Rows = 5;
    ASSERT_TRUE(s.AllocatePage(0, 0, false, 2, 3));
    const TPage& page = s.PageSets[0][0];
    ASSERT_EQ(page.size(), 6u);
    for (int r = 0; r <= 5; ++r) {
        ASSERT_EQ(page[r].size(), 11u);
        for (int c = 0; c < 10; ++c) {
            const bool kept = r < 2 && c < 3;
            EXPECT_EQ(page[r][c].Note, kept ? 100 + r * 10 + c : 32) << c << "," << r;
        }
        EXPECT_EQ(page[r][10], TCell()) << r; // the new spare column holds empty cells
    }

    // clearAll empties everything, whatever is asked to be kept.
    s.PageSets[0][0][0][0].Note = '1';
    ASSERT_TRUE(s.AllocatePage(0, 0, true, 5, 5));
    EXPECT_EQ(s.PageSets[0][0][0][0].Note, 32);
}

TEST(JianpuTwin, LayerOnePagesOfTheGridShape) {
    TScoreFixture fx(4, 3, 3);
    TMainScore& s = fx.Score();
    EXPECT_FALSE(s.HasJianpuPage()); // layer 1 holds nothing
    EXPECT_FALSE(s.HasJianpuPageAt(0));

    s.AllocatePage(1, 1, true, 0, 0); // layer 1: pages 0 and 1
    s.CurPage = 1;
    EXPECT_TRUE(s.HasJianpuPage());
    EXPECT_TRUE(s.HasJianpuPageAt(0));
    EXPECT_TRUE(s.HasJianpuPageAt(1));
    EXPECT_FALSE(s.HasJianpuPageAt(2));
    EXPECT_FALSE(s.HasJianpuPageAt(-1));
    s.CurPage = 2;
    EXPECT_FALSE(s.HasJianpuPage()); // no twin of the current page
    s.CurPage = -1;
    EXPECT_FALSE(s.HasJianpuPage());

    s.CurPage = 0;
    s.PageSets[1][0].pop_back(); // a page of another shape
    EXPECT_FALSE(s.HasJianpuPage());
    EXPECT_FALSE(s.HasJianpuPageAt(0));

    s.AllocatePage(1, 3, true, 0, 0); // more twins than pages
    s.CurPage = 1;
    EXPECT_FALSE(s.HasJianpuPage());
    EXPECT_TRUE(s.HasJianpuPageAt(1));
}
