// The main window's view routines on a drawing part without a window: pages,
// status text, layers, zoom, the buffered redraw, slice layout, numbered files.
#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

#include "app/modTQMain.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQUtil.h"
#include "model/modTQUndo.h"
#include "platform/core/TQStrings.h"
#include "tests/render/TQViewFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

// A view with `pages` pages in layer 0 and `twins` in layer 1.
struct TPagedView : TViewFixture {
    explicit TPagedView(int pages, int twins = 0) : TViewFixture(8, 4, 0) {
        for (int p = 1; p < pages; ++p)
            view.AllocatePage(0, p, true, 0, 0);
        for (int p = 0; p < twins; ++p)
            view.AllocatePage(1, p, true, 0, 0);
        view.OnBeep = [this] { ++beeps; };
    }
    TCell& PageCell(int page, int col, int row, int layer = 0) {
        return view.PageSets[static_cast<size_t>(layer)].at(static_cast<size_t>(page)).at(static_cast<size_t>(row)).at(
            static_cast<size_t>(col));
    }
    int beeps = 0;
};

} // namespace

TEST(MainViewPages, NextPageStopsAfterAnEmptyLastPageAndPreviousDropsIt) {
    TPagedView fx(2);
    fx.PageCell(0, 0, 0) = TScoreFixture::Cell("1");
    fx.view.btnNextPageClick(); // page 1 exists
    EXPECT_EQ(fx.view.CurPage, 1);
    fx.view.btnNextPageClick(); // the last page is empty: nothing is added
    EXPECT_EQ(fx.view.CurPage, 1);
    EXPECT_EQ(fx.view.PageSets[0].size(), 2u);

    fx.PageCell(1, 2, 1) = TScoreFixture::Cell("5");
    fx.view.btnNextPageClick(); // a filled last page gets a new one after it
    EXPECT_EQ(fx.view.CurPage, 2);
    ASSERT_EQ(fx.view.PageSets[0].size(), 3u);
    EXPECT_EQ(fx.view.Controls.PageComboItems, (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_TRUE(fx.view.Controls.btnPreviousPageEnabled);

    fx.view.btnPreviousPageClick(); // leaving the empty last page removes it
    EXPECT_EQ(fx.view.CurPage, 1);
    EXPECT_EQ(fx.view.PageSets[0].size(), 2u);
    fx.view.btnPreviousPageClick(); // page 1 is not empty: it stays
    EXPECT_EQ(fx.view.PageSets[0].size(), 2u);
    EXPECT_FALSE(fx.view.Controls.btnPreviousPageEnabled);
}

TEST(MainViewPages, StatusTextCountsPagesAndLayers) {
    TPagedView fx(7, 7);
    SetUseChineseStrings(false);
    fx.view.FileName = "Untitled";
    fx.view.GoToPage(2);
    fx.view.PageCaption();
    EXPECT_EQ(fx.view.Controls.StatusPage, "Page 3 of 7 x 2");
    EXPECT_EQ(fx.view.Controls.StatusFile, "Untitled");
    EXPECT_EQ(fx.view.Controls.Caption, "Tonquill Version 5.2 - Untitled");

    SetUseChineseStrings(true);
    SetStringLookup([](int id) {
        return id == 1003 ? std::string("第") : id == 1004 ? std::string("共") : id == 1005 ? std::string("页") : "";
    });
    fx.view.PageSets[1].clear();
    fx.view.PageCaption();
    EXPECT_EQ(fx.view.Controls.StatusPage, "第3页, 共7页 x 1");
    SetStringLookup(nullptr);
    SetUseChineseStrings(false);
}

TEST(MainViewPages, PageBoxTakesOnlyPageNumbers) {
    TPagedView fx(4);
    struct Case {
        const char* text;
        int page;
    } cases[] = {{"3", 2}, {"9", 2}, {"0", 2}, {"abc", 2}, {"2x", 2}, {"1", 0}};
    for (const Case& c : cases) {
        fx.view.cbxPageNumChange(c.text);
        EXPECT_EQ(fx.view.CurPage, c.page) << c.text;
    }
    fx.view.GoToPage(3);
    fx.view.Controls.PageComboText = "";
    fx.view.cbxPageNumChange("");
    EXPECT_EQ(fx.view.CurPage, 3);
    EXPECT_EQ(fx.view.Controls.PageComboText, "4");
    fx.view.UpdatingPageControls = true; // code is writing the box
    fx.view.cbxPageNumChange("1");
    EXPECT_EQ(fx.view.CurPage, 3);
}

TEST(MainViewZoom, StepsStopAtTheLimitsWithABeep) {
    struct Case {
        double from;
        bool in;
        double to;
        int beeps;
    } cases[] = {{4.9, true, 5.0, 0},  {0.9, true, 1.05, 0}, {1.5, true, 1.8, 0},  {0.5, true, 0.57, 0},
                 {5.0, true, 5.0, 1},  {0.9, false, 0.83, 0}, {1.5, false, 1.35, 0}, {2.0, false, 1.7, 0},
                 {0.35, false, 0.3, 0}, {0.3, false, 0.3, 1}};
    for (const Case& c : cases) {
        TPagedView fx(1);
        fx.view.Zoom = c.from;
        if (c.in)
            fx.view.btnZoomInClick();
        else
            fx.view.btnZoomOutClick();
        EXPECT_NEAR(fx.view.Zoom, c.to, 1e-9) << c.from << (c.in ? " in" : " out");
        EXPECT_EQ(fx.beeps, c.beeps) << c.from;
        if (!c.beeps) {
            EXPECT_EQ(fx.view.Controls.trkZoomPosition, RoundToInt(c.to * 100));
            EXPECT_EQ(fx.view.Controls.lblZoomText, std::to_string(RoundToInt(c.to * 100)) + "%");
        }
    }
}

TEST(MainViewZoom, ApplyZoomSizesThePaintBoxAndScrollsToTheCursor) {
    TPagedView fx(1);
    fx.view.SelCol0 = 3;
    fx.view.SelRow0 = 2;
    fx.view.ZoomClick(200);
    EXPECT_DOUBLE_EQ(fx.view.Zoom, 2.0);
    EXPECT_EQ(fx.view.PaintBoxWidth, fx.view.GetPageWidthPx());
    EXPECT_EQ(fx.view.Controls.ScrollX, 2 * 40 + 120);
    EXPECT_EQ(fx.view.Controls.ScrollY, 1 * 80 + 100);
    fx.view.trkZoomKeyDown(); // the key's change of the track bar is swallowed
    fx.view.trkZoomChange(150);
    EXPECT_DOUBLE_EQ(fx.view.Zoom, 2.0);
    fx.view.trkZoomChange(150);
    EXPECT_DOUBLE_EQ(fx.view.Zoom, 1.5);
}

TEST(MainViewRedraw, AFailedWorkBitmapIsNotTriedAgainAtThatZoomOrAbove) {
    TPagedView fx(1);
    const int width = fx.view.PaintBoxWidth;
    // A buffered draw puts the work bitmap on the paint box (one Draw call); a
    // page row longer than an image can hold makes the bitmap fail at zoom 5.
    fx.view.PaintBoxWidth = 1 << 30;
    fx.view.Zoom = 5.0;
    fx.view.RedrawPage();
    EXPECT_EQ(fx.view.RedrawFailZoom, 5);
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Draw), 0);
    EXPECT_GT(fx.canvas.CountOf(TCanvasOp::FillRect), 0); // drawn directly instead
    fx.view.PaintBoxWidth = width;
    struct Case {
        double zoom;
        int tries;
    } cases[] = {{5.0, 0}, {5.3, 0}, {4.9, 1}, {1.0, 1}};
    for (const Case& c : cases) {
        fx.canvas.Clear();
        fx.view.Zoom = c.zoom;
        fx.view.RedrawPage();
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Draw), c.tries) << c.zoom;
    }
}

TEST(MainViewRedraw, AnInvalidPageAtPaintTimeShowsTheFirstPage) {
    for (int page : {-1, 5}) {
        TPagedView fx(2);
        int drawn = 0;
        fx.view.OnPageDrawn = [&] { ++drawn; };
        fx.view.CurPage = page;
        fx.view.pbxMainPaint();
        EXPECT_EQ(fx.view.CurPage, 0);
        EXPECT_EQ(drawn, 1);
    }
}

TEST(MainViewLayers, MovingToLayerOneKeepsTheStructureAndUndoesInOneStep) {
    TPagedView fx(1);
    Undo.ClearUndoFiles();
    fx.Row(1, "&G/2 T:3/4 \"1=D\" 5 6{type=4} 3");
    const TPage before = fx.view.PageSets[0][0];
    fx.view.SelCol0 = 0;
    fx.view.SelRow0 = 1;
    fx.view.SelCol1 = 5;
    fx.view.SelRow1 = 1;
    fx.view.MovetoNextLayer1Click();
    ASSERT_TRUE(fx.view.HasJianpuPage());
    EXPECT_TRUE(fx.view.Modified);
    for (int c : {0, 1, 2, 4}) { // clef, time, key text, tempo stay on layer 0
        EXPECT_EQ(fx.At(c, 1), before[1][static_cast<size_t>(c)]) << c;
        EXPECT_TRUE(IsEmptyCell(fx.At(c, 1, 1))) << c;
    }
    for (int c : {3, 5}) { // the notes moved
        EXPECT_EQ(fx.At(c, 1, 1), before[1][static_cast<size_t>(c)]) << c;
        EXPECT_TRUE(IsEmptyCell(fx.At(c, 1))) << c;
    }
    Undo.UndoStep();
    EXPECT_EQ(fx.view.PageSets[0][0], before);
    for (int c = 0; c < 6; ++c)
        EXPECT_TRUE(IsEmptyCell(fx.At(c, 1, 1))) << c;
    Undo.ClearUndoFiles();
}

TEST(MainViewLayers, SwitchingLayersGrowsLayerOneAndFollowsTheBarButtons) {
    TPagedView fx(3);
    fx.view.btnLayerClick();
    EXPECT_EQ(CurLayer, 1);
    EXPECT_EQ(fx.view.PageSets[1].size(), 3u);
    EXPECT_EQ(fx.view.btnLayerImageIndex, 61);
    EXPECT_FALSE(fx.view.Controls.BarButtonsEnabled);
    fx.view.btnHomeClick();
    EXPECT_EQ(CurLayer, 0);
    EXPECT_EQ(fx.view.btnLayerImageIndex, 60);
    EXPECT_TRUE(fx.view.Controls.BarButtonsEnabled);
}

TEST(MainViewSlices, LayoutFollowsPaperAndScreen) {
    struct Case {
        const char* what;
        double w, h;
        int sw, sh;
        int mode;
    } cases[] = {{"letter on 16:9", 8.5, 11, 1920, 1080, 2},
                 {"letter on a small 16:9 screen", 8.5, 11, 1280, 720, 3},
                 {"landscape letter on a wide screen", 11, 8.5, 3840, 1080, 3},
                 {"landscape letter on 16:9", 11, 8.5, 1920, 1080, 1},
                 {"letter on 4:3", 8.5, 11, 1024, 768, 1}};
    for (const Case& c : cases) {
        const TSliceLayout l = SliceViewLayout(c.w, c.h, c.sw, c.sh, 96, 15);
        EXPECT_EQ(l.Mode, c.mode) << c.what;
        if (l.Mode != 1) {
            EXPECT_GE(l.Gap, 1) << c.what;
            EXPECT_LE(l.Gap, 15) << c.what;
        }
    }
}

TEST(MainViewSlices, KeepToolWindowInside) {
    EXPECT_EQ(KeepToolWindowInside(900, 10, 200, 100, 0, 1000, 700).Left, 775);
    EXPECT_EQ(KeepToolWindowInside(5, 10, 200, 100, 0, 1000, 700).Left, 20);
    EXPECT_EQ(KeepToolWindowInside(5, 10, 200, 100, 0, 1000, 700).Top, 25);
    EXPECT_EQ(KeepToolWindowInside(100, 650, 200, 100, 0, 1000, 700).Top, 600);
}

TEST(MainViewFiles, NextNumberedFileName) {
    tqtest::TempDir dir;
    auto touch = [&](const std::string& name) { std::ofstream(dir / name) << "x"; };
    const std::string base = dir.str() + "/";
    touch("scan08.jpg");
    EXPECT_EQ(NextNumberedFileName(base + "scan007.jpg"), base + "scan08.jpg");
    touch("scan9.jpg");
    touch("scan009.jpg");
    EXPECT_EQ(NextNumberedFileName(base + "scan008.jpg"), base + "scan9.jpg"); // fewest zeros first
    touch("scan12.jpg");
    touch("scan010.jpg");
    EXPECT_EQ(NextNumberedFileName(base + "scan9.jpg"), base + "scan12.jpg"); // one digit: no leading zeros
    EXPECT_EQ(NextNumberedFileName(base + "scan999.jpg"), "");
    EXPECT_EQ(NextNumberedFileName(base + "scan.jpg"), "");
    touch("ab2.jpg");
    EXPECT_EQ(NextNumberedFileName(base + "ab1.jpg"), base + "ab2.jpg");
}
