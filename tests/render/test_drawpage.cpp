// Page drawing: layers and their colours, grid and numbers, partial redraws,
// the work bitmap, the slice-view label and the footer.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <utility>
#include <string>
#include <vector>

#include "platform/core/TQStrings.h"
#include "render/modTQCvsDraw.h"
#include "tests/render/TQViewFixture.h"

namespace {

struct TLayerDraw {
    int layer;
    TColor colour;
    bool operator==(const TLayerDraw&) const = default;
};

// The layer and colour of each note drawn: the layer-0 note is a "1", the
// layer-1 note a "2".
std::vector<TLayerDraw> LayerColours(const TRecordingCanvas& rc) {
    std::vector<TLayerDraw> draws;
    for (const TCanvasCall* t : rc.TextOuts())
        if (t->Text == "1" || t->Text == "2")
            draws.push_back({t->Text == "1" ? 0 : 1, t->Font.Color});
    return draws;
}

// The cells whose note "1" was drawn, from where its digit stands.
std::set<std::pair<int, int>> CellsOfDigits(const TRecordingCanvas& rc) {
    std::set<std::pair<int, int>> cells;
    for (const TCanvasCall* t : rc.TextOuts())
        if (t->Text == "1")
            cells.insert({(t->Arg(0) - 60) / 20, (t->Arg(1) - 50) / 40});
    return cells;
}

std::vector<int> VerticalLineXs(const TRecordingCanvas& rc) {
    std::vector<int> xs;
    for (const TCanvasCall* l : rc.OfOp(TCanvasOp::LineTo))
        if (l->Points.at(0).x == l->Points.at(1).x)
            xs.push_back(l->Points.at(0).x);
    return xs;
}

} // namespace

TEST(DrawLayers, OtherLayerFirstInItsColour) {
    TViewFixture fx(8, 4, 1);
    fx.Row(0, "1");
    fx.Row(0, "2", 1);
    TDrawEngine& e = fx.view.DrawEngine;
    const TColor main = e.MainLayerColor, hidden = e.HidenLayerColor, back = e.BackLayerColor;

    struct Case {
        const char* what;
        int kind;
        int curLayer;
        int slice;
        bool playing;
        std::vector<TLayerDraw> expected;
    };
    const std::vector<Case> cases = {
        {"screen, layer 0", 0, 0, 0, false, {{1, hidden}, {0, main}}},
        {"screen, layer 1", 0, 1, 0, false, {{0, hidden}, {1, back}}},
        // after a screen draw of layer 1, printed and exported pages still show
        // the other layer in the main ink
        {"printer after layer 1", 1, 1, 0, false, {{0, main}, {1, main}}},
        {"screen, layer 1 again", 0, 1, 0, false, {{0, hidden}, {1, back}}},
        {"picture after layer 1", 2, 1, 0, false, {{0, main}, {1, main}}},
        {"copied image", 3, 1, 0, false, {{0, main}, {1, main}}},
        {"playing", 0, 0, 0, true, {{1, main}, {0, main}}},
        // slice view: the other layer keeps the colour of the layer drawn last
        {"slice view", 0, 0, 1, false, {{1, main}, {0, main}}},
    };
    for (const Case& c : cases) {
        fx.canvas.Clear();
        fx.view.OutputKind = c.kind;
        fx.view.SliceView = c.slice;
        fx.view.PlayerPlaying = c.playing;
        CurLayer = c.curLayer;
        e.DrawLayers(0, 0, fx.view.Cols, fx.view.Rows);
        EXPECT_EQ(LayerColours(fx.canvas), c.expected) << c.what << "\n" << fx.canvas.Dump();
        EXPECT_EQ(CurLayer, c.curLayer) << c.what;
    }
}

TEST(DrawLayers, MissingPagesAreSkippedAndSelectionOnlyOnScreen) {
    TViewFixture fx(8, 4); // no layer-1 page
    fx.Row(0, "1");
    fx.view.CurPage = -1; // repaired to 0 by the loop
    fx.view.DrawEngine.DrawLayers(0, 0, fx.view.Cols, fx.view.Rows);
    EXPECT_EQ(LayerColours(fx.canvas), (std::vector<TLayerDraw>{{0, fx.view.DrawEngine.MainLayerColor}}));
    EXPECT_EQ(fx.view.CurPage, 0);
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Rectangle), 1) << "the selection frame";

    fx.canvas.Clear();
    fx.view.OutputKind = 2;
    fx.view.DrawEngine.DrawLayers(0, 0, fx.view.Cols, fx.view.Rows);
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Rectangle), 0);

    // A page that exists in neither layer draws nothing.
    fx.canvas.Clear();
    fx.view.CurPage = 3;
    fx.view.DrawEngine.DrawLayers(0, 0, fx.view.Cols, fx.view.Rows);
    EXPECT_TRUE(LayerColours(fx.canvas).empty());
}

TEST(DrawPage, GridLinesAndNumbers) {
    struct Case {
        bool gongche;
        std::vector<int> lineCols;
        std::vector<std::string> colNumbers;
    };
    const std::vector<Case> cases = {
        {false, {0, 1, 2, 3, 4, 5, 6}, {"1", "3", "5"}},
        {true, {0, 2, 4, 6}, {"1", "2", "3"}},
    };
    for (const Case& c : cases) {
        TViewFixture fx(6, 3);
        fx.view.ShowGrid = true;
        fx.view.GongChiMode = c.gongche;
        fx.view.OutputKind = 2;
        fx.view.DrawEngine.DrawPage(0, 0, 6, 3, false, true);
        std::vector<int> expectedXs;
        for (int col : c.lineCols)
            expectedXs.push_back(60 + 20 * col);
        EXPECT_EQ(VerticalLineXs(fx.canvas), expectedXs);
        // the lines are the picture's grid colour on off-screen pages
        EXPECT_EQ(fx.canvas.Last(TCanvasOp::LineTo)->Pen.Color, 0x000080);

        // numbers: columns above the grid, rows 1..3 right-aligned left of it
        std::vector<std::string> cols, rows;
        for (const TCanvasCall* t : fx.canvas.TextOuts()) {
            if (t->Font.Color != 0x000040)
                continue;
            if (t->Arg(1) < 50 - 5 - 1)
                cols.push_back(t->Text);
            else
                rows.push_back(t->Text);
        }
        EXPECT_EQ(cols, c.colNumbers);
        EXPECT_EQ(rows, (std::vector<std::string>{"1", "2", "3"}));
        // column 1 is centred over column 0 (x 70), Gongche pair 1 over columns 0..1 (x 80)
        const TCanvasCall* one = fx.canvas.FindText("1");
        ASSERT_NE(one, nullptr);
        EXPECT_EQ(one->Arg(0), (c.gongche ? 80 : 70) - one->Extent.cx / 2);
        EXPECT_EQ(one->Arg(1), 45 - one->Extent.cy);
    }
}

// A draw judges each row once (is it Jianpu music, closed by a bar at the last
// column?); the next draw judges again, so cells changed between draws count.
TEST(DrawPage, RowsAreJudgedAfreshByEveryDraw) {
    TViewFixture fx(6, 3);
    auto closingBars = [&] {
        fx.canvas.Clear();
        fx.view.DrawEngine.DrawPage(0, 0, 6, 3, false, true);
        int n = 0;
        for (const TCanvasCall* f : fx.canvas.OfOp(TCanvasOp::FillRect))
            if (f->RectArg() == (TRect{180, 90, 182, 130}))
                ++n;
        return n;
    };
    for (const auto& [picture, bars] : std::vector<std::pair<std::string, int>>{
             {"~ ~ ~ ~ ~ 6", 0}, {"1 2 3 4 5 6", 1}, {"~ ~ ~ ~ ~ 6", 0}}) {
        fx.Row(1, picture);
        EXPECT_EQ(closingBars(), bars) << picture << "\n" << fx.canvas.Dump();
    }
}

TEST(DrawPage, PartialRedrawWidening) {
    // Gongche: columns 3..5 become 2..6, grid lines every second column; the
    // cells drawn are those of the row above the range through its last row,
    // across the page (the layers' upper bounds are exclusive).
    TViewFixture fx(10, 9);
    fx.view.ShowGrid = true;
    fx.view.GongChiMode = true;
    for (int r = 0; r < 9; ++r)
        fx.Row(r, "1 1 1 1 1 1 1 1 1 1");
    fx.view.DrawEngine.DrawPage(3, 5, 5, 6, false, false);
    EXPECT_EQ(VerticalLineXs(fx.canvas), (std::vector<int>{100, 140, 180}));
    std::set<std::pair<int, int>> expected;
    for (int r = 4; r <= 6; ++r)
        for (int c = 0; c < 10; ++c)
            expected.insert({c, r});
    EXPECT_EQ(CellsOfDigits(fx.canvas), expected) << fx.canvas.Dump();
    // the background of a partial redraw covers the widened grid range only
    const TCanvasCall* bg = fx.canvas.OfOp(TCanvasOp::FillRect).front();
    EXPECT_EQ(bg->RectArg(), (TRect{100, 250, 180, 290}));
    // no row or column numbers on a partial redraw: the notes are the only texts
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::TextOut), static_cast<int>(expected.size()));

    // A range beyond the grid is clamped to it.
    fx.canvas.Clear();
    fx.view.GongChiMode = false;
    fx.view.DrawEngine.DrawPage(-4, -7, 40, 40, false, false);
    EXPECT_EQ(VerticalLineXs(fx.canvas).size(), 11u);
    EXPECT_EQ(CellsOfDigits(fx.canvas).size(), 90u);
}

TEST(DrawPage, WorkBitmapOnScreenOnly) {
    TViewFixture fx(6, 3);
    fx.Row(0, "1__");
    // Composed in the work bitmap: the paint box receives one picture.
    fx.view.DrawEngine.DrawPage(0, 0, 6, 3, true, true);
    ASSERT_EQ(fx.canvas.size(), 1u) << fx.canvas.Dump();
    EXPECT_EQ(fx.canvas[0].Op, TCanvasOp::Draw);
    EXPECT_EQ(fx.canvas[0].Extent, (TSize{fx.view.PaintBoxWidth, fx.view.PaintBoxHeight}));
    EXPECT_EQ(fx.view.OutCanvas, &fx.canvas);

    // A partial redraw through the bitmap copies its rectangle.
    fx.canvas.Clear();
    fx.view.DrawEngine.DrawPage(1, 1, 2, 2, true, false);
    ASSERT_EQ(fx.canvas.size(), 1u);
    EXPECT_EQ(fx.canvas[0].Op, TCanvasOp::Draw);

    // Slice view, the printer, or no bitmap asked for: drawn directly.
    for (int variant = 0; variant < 3; ++variant) {
        fx.canvas.Clear();
        fx.view.SliceView = variant == 0;
        fx.view.OutputKind = variant == 1 ? 1 : 0;
        fx.view.DrawEngine.DrawPage(0, 0, 6, 3, variant != 2, true);
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Draw), 0) << variant;
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::FillRect), 3) << variant; // background and two underlines
    }
    fx.view.SliceView = 0;
    fx.view.OutputKind = 0;

    // Once a bitmap draw failed at this zoom, whole pages are drawn directly.
    fx.canvas.Clear();
    fx.view.RedrawFailZoom = 1;
    fx.view.RedrawPage();
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Draw), 0);
    fx.canvas.Clear();
    fx.view.Zoom = 0.4; // below the zoom that failed

    fx.view.RedrawPage();
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Draw), 1);
}

TEST(DrawPage, SliceLabelAndFooter) {
    struct Case {
        const char* what;
        int kind;
        int slice;
        int numberBase;
        bool chinese;
        std::vector<std::string> texts;
    };
    const std::vector<Case> cases = {
        {"screen", 0, 0, 0, false, {}},
        {"slice view", 0, 1, 0, false, {"Page 3"}},
        {"slice view, Chinese", 0, 1, 0, true, {"第3页"}},
        {"picture", 2, 0, 0, false, {"Song"}},
        {"picture, numbered", 2, 0, 4, false, {"Song", "Page 6"}},
        {"printer, numbered, Chinese", 1, 0, 4, true, {"Song", "第 6 页", "/music/song.mus"}},
    };
    SetStringLookup([](int id) { return id == 1003 ? std::string("第") : id == 1005 ? std::string("页") : ""; });
    for (const Case& c : cases) {
        TViewFixture fx(6, 3, 0);
        fx.view.AllocatePage(0, 2, true, 0, 0);
        fx.view.CurPage = 2;
        fx.view.OutputKind = c.kind;
        fx.view.SliceView = c.slice;
        fx.view.PageNumberBase = c.numberBase;
        fx.view.PrintTitle = "Song";
        fx.view.FileName = "/music/song.mus";
        fx.view.chkIncludeFileNameChecked = true;
        SetUseChineseStrings(c.chinese);
        fx.view.DrawEngine.DrawPage(0, 0, 6, 3, false, true);
        EXPECT_EQ(fx.canvas.texts(), c.texts) << c.what;
        if (c.kind == 2) {
            // the title heads the page where the grid starts
            const TCanvasCall* made = fx.canvas.FindText("Song");
            EXPECT_EQ(made->Arg(0), 60);
            EXPECT_EQ(made->Arg(1), 50 - 40);
            EXPECT_EQ(made->Font.Size, 14); // (footer size 8 - 1) x draw scale 20 x 0.1
        }
    }
    SetUseChineseStrings(false);
    SetStringLookup(nullptr);
}

TEST(DrawPage, FailedBitmapDrawFallsBackAndRemembersTheZoom) {
    // A failure while composing in the work bitmap (a page too large for it):
    // the page is drawn again straight onto the paint box, and pages at that
    // zoom or above go there directly from then on.
    TViewFixture fx(6, 3);
    const int width = fx.view.PaintBoxWidth, height = fx.view.PaintBoxHeight;
    // a row of pixels longer than an image can hold: refused before any memory is taken
    fx.view.PaintBoxWidth = 1 << 30;
    fx.view.PaintBoxHeight = 100;
    fx.view.Zoom = 2.0;
    fx.view.RedrawPage();
    EXPECT_EQ(fx.view.RedrawFailZoom, 2);
    EXPECT_EQ(fx.view.OutCanvas, &fx.canvas);
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Draw), 0);
    // the page background filled once, on the paint box
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::FillRect), 1);
    EXPECT_EQ(fx.canvas.OfOp(TCanvasOp::FillRect)[0]->RectArg(), (TRect{0, 0, 1 << 30, 100}));

    // a page the bitmap could hold: no second try through it at this zoom or above
    fx.view.PaintBoxWidth = width;
    fx.view.PaintBoxHeight = height;
    fx.canvas.Clear();
    fx.view.Zoom = 3.0;
    fx.view.RedrawPage();
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Draw), 0) << "no second try through the bitmap";
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::FillRect), 1);
    fx.view.Zoom = 1.0;
    fx.canvas.Clear();
    fx.view.RedrawPage();
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Draw), 1) << "a smaller zoom tries the bitmap again";
}
