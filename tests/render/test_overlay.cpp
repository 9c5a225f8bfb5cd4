// Highlights, the selection rectangle and the offset arrow.
#include <gtest/gtest.h>

#include <vector>

#include "render/modTQCvsDraw.h"
#include "render/modTQOverlay.h"
#include "tests/render/TQViewFixture.h"

TEST(Overlays, HighlightsOfTheCurrentPageInBothLayers) {
    TViewFixture fx;
    fx.view.CurPage = 0;
    fx.view.Highlights = {
        {2, 4, 1, 0, 0}, // current page, layer 0
        {0, 11, 3, 0, 1}, // current page, the other layer: drawn as well
        {2, 4, 2, 1, 0}, // another page: not drawn
    };
    fx.view.DrawEngine.CurColor = 0x0000AA;
    DrawHighlights(&fx.view.DrawEngine);
    auto rects = fx.canvas.OfOp(TCanvasOp::Rectangle);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0]->RectArg(), (TRect{100, 90, 160, 130}));
    EXPECT_EQ(rects[1]->RectArg(), (TRect{60, 170, 300, 210}));
    EXPECT_EQ(rects[0]->Pen.Color, 0x00FFFF);
    EXPECT_EQ(rects[0]->Brush.Color, 0xC4FFFF);
    EXPECT_EQ(rects[0]->Brush.Style, bsSolid);
    EXPECT_EQ(fx.canvas.Pen.Color, 0x0000AA);
    EXPECT_EQ(fx.canvas.Brush.Color, fx.view.DrawEngine.BkColor);
    EXPECT_EQ(fx.canvas.Brush.Style, bsClear);

    EXPECT_EQ(fx.view.FindRowHighlight(3), 1);
    EXPECT_EQ(fx.view.FindRowHighlight(1), -1) << "not the whole row";
}

TEST(Overlays, SelectionFrame) {
    struct Case {
        const char* what;
        bool gongche;
        int c0, r0, c1, r1;
        TRect frame;
    };
    // columns 20 wide from x 60, rows 40 high from y 50; grid of 12 columns
    const std::vector<Case> cases = {
        {"one cell", false, 3, 1, 3, 1, {121, 91, 140, 130}},
        {"block", false, 3, 1, 4, 2, {121, 91, 160, 170}},
        {"corners swapped", false, 4, 2, 3, 1, {121, 91, 160, 170}},
        {"Gongche pairs", true, 3, 1, 4, 1, {101, 91, 180, 130}},
        {"Gongche, last column", true, 10, 0, 11, 0, {261, 51, 300, 90}},
    };
    for (const Case& c : cases) {
        TViewFixture fx(12);
        fx.view.GongChiMode = c.gongche;
        fx.view.DrawEngine.CurColor = 0x000011;
        DrawSelectionRect(&fx.view.DrawEngine, c.c0, c.r0, c.c1, c.r1);
        const TCanvasCall* r = fx.canvas.Last(TCanvasOp::Rectangle);
        ASSERT_NE(r, nullptr) << c.what;
        EXPECT_EQ(r->RectArg(), c.frame) << c.what;
        EXPECT_EQ(r->Pen.Mode, pmXor);
        EXPECT_EQ(r->Pen.Width, 2);
        EXPECT_EQ(r->Pen.Color, 0x00FFFF);
        EXPECT_EQ(r->Brush.Style, bsClear);
        EXPECT_EQ(fx.canvas.Pen.Mode, pmCopy);
        EXPECT_EQ(fx.canvas.Pen.Color, 0x000011);
        EXPECT_EQ(fx.canvas.Pen.Width, 1); // round(40 x 0.027)
    }
    // An even last column of the grid is not widened past the grid.
    TViewFixture fx(11);
    fx.view.GongChiMode = true;
    DrawSelectionRect(&fx.view.DrawEngine, 10, 0, 10, 0);
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::Rectangle)->RectArg(), (TRect{261, 51, 280, 90}));

    // Nothing while a Western note is being moved, or in slice view.
    TViewFixture quiet;
    quiet.view.timMoveWestNoteEnabled = true;
    DrawCurrentSelection(&quiet.view.DrawEngine);
    quiet.view.timMoveWestNoteEnabled = false;
    quiet.view.SliceView = 1;
    DrawCurrentSelection(&quiet.view.DrawEngine);
    EXPECT_EQ(quiet.canvas.size(), 0u);
}

TEST(Overlays, OffsetArrow) {
    TViewFixture fx;
    fx.view.DrawEngine.CurColor = 0x00AA00;
    DrawOffsetArrow(&fx.view.DrawEngine, 100.0f, 90.0f, 30.0f, -20.0f);
    const TCanvasCall* line = fx.canvas.Last(TCanvasOp::LineTo);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->Points.at(0), (TPoint{110, 110}));
    EXPECT_EQ(line->Points.at(1), (TPoint{140, 90}));
    EXPECT_EQ(line->Pen.Color, 0x0000FF);
    const TCanvasCall* head = fx.canvas.Last(TCanvasOp::Polygon);
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(head->Points.at(1), (TPoint{110, 110})) << "the tip at the grid cell";
    EXPECT_EQ(fx.canvas.Pen.Color, 0x00AA00);
}
