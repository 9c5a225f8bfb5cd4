// Canvas primitives on the recording canvas.
#include <gtest/gtest.h>

#include <vector>

#include "render/modTQCvsDraw.h"
#include "tests/render/TQViewFixture.h"

namespace {

struct Segment {
    int x1, y1, x2, y2;
    bool operator==(const Segment&) const = default;
};

// The segments drawn as MoveTo + LineTo pairs.
std::vector<Segment> Segments(const TRecordingCanvas& rc) {
    std::vector<Segment> out;
    for (const TCanvasCall* c : rc.OfOp(TCanvasOp::LineTo))
        out.push_back({c->Points.at(0).x, c->Points.at(0).y, c->Points.at(1).x, c->Points.at(1).y});
    return out;
}

std::ostream& operator<<(std::ostream& os, const Segment& s) {
    return os << "[" << s.x1 << "," << s.y1 << " -> " << s.x2 << "," << s.y2 << "]";
}

} // namespace

TEST(CanvasPrimitives, DashedHLineTable) {
    struct Case {
        int cellWidth;
        double zoom;
        float x1, x2;
        std::vector<Segment> dashes;
    };
    const std::vector<Case> cases = {
        // x unit 20: 6-pixel dashes every 30 pixels
        {20, 1.0, 0.0f, 100.0f, {{0, 7, 6, 7}, {30, 7, 36, 7}, {60, 7, 66, 7}, {90, 7, 96, 7}}},
        // the start is truncated; the last dash is cut at x2
        {20, 1.0, 10.7f, 45.0f, {{10, 7, 16, 7}, {40, 7, 45, 7}}},
        // x unit 2: dash 0.6 long; the next start advances by the integer part of 3.0
        {2, 1.0, 0.0f, 7.0f, {{0, 7, 1, 7}, {3, 7, 4, 7}, {6, 7, 7, 7}}},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        fx.view.CellWidth = c.cellWidth;
        fx.view.Zoom = c.zoom;
        DrawDashedHLine(c.x1, 7.0f, c.x2, 12345.0f);
        EXPECT_EQ(Segments(fx.canvas), c.dashes) << fx.canvas.Dump();
    }
}

TEST(CanvasPrimitives, DashedHLineAdvancesWithAVanishingUnit) {
    // An x unit of 0 pixels makes zero-length dashes; the walk still moves one
    // pixel per dash and ends.
    TViewFixture fx;
    fx.view.CellWidth = 1;
    fx.view.Zoom = 0.2;
    ASSERT_EQ(fx.view.GetCellWidth(), 0);
    DrawDashedHLine(0.0f, 5.0f, 50.0f);
    auto segs = Segments(fx.canvas);
    ASSERT_EQ(segs.size(), 50u);
    EXPECT_EQ(segs.front(), (Segment{0, 5, 0, 5}));
    EXPECT_EQ(segs.back(), (Segment{49, 5, 49, 5}));
}

TEST(CanvasPrimitives, ThickDashedAndDottedLines) {
    TViewFixture fx;
    // 1-pixel pen: one dashed line, pen solid again, the end returned as given.
    fx.canvas.Pen.Width = 1;
    FloatPoint end = DrawDashedLine(1.0f, 2.0f, 33.3f, 4.4f);
    EXPECT_EQ(end, MakeFloatPoint(33.3f, 4.4f));
    ASSERT_EQ(fx.canvas.CountOf(TCanvasOp::LineTo), 1);
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::LineTo)->Pen.Style, psDash);
    EXPECT_EQ(fx.canvas.Pen.Style, psSolid);

    // 2-pixel pen: 5-pixel dashes starting at 0, 12.5, 25 and 37.5, the last cut at 40.
    fx.canvas.Clear();
    fx.canvas.Pen.Width = 2;
    end = DrawDashedLine(0.0f, 10.0f, 40.0f, 10.0f);
    EXPECT_EQ(end, MakeFloatPoint(40.0f, 10.0f));
    EXPECT_EQ(Segments(fx.canvas),
              (std::vector<Segment>{{0, 10, 5, 10}, {13, 10, 18, 10}, {25, 10, 30, 10}, {38, 10, 40, 10}}));

    // Drawn right to left, the dashes lie on the same segment and the end
    // returned is the one further right.
    fx.canvas.Clear();
    end = DrawDashedLine(40.0f, 20.0f, 0.0f, 10.0f);
    EXPECT_EQ(end, MakeFloatPoint(40.0f, 20.0f));
    auto segs = Segments(fx.canvas);
    ASSERT_EQ(segs.size(), 4u);
    EXPECT_EQ(segs[0], (Segment{0, 10, 5, 11}));

    // 2-pixel dotted line, vertical: 4-pixel dots every 10 pixels, as horizontally.
    fx.canvas.Clear();
    DrawDottedLine(3.0f, 30.0f, 3.0f, 0.0f);
    EXPECT_EQ(Segments(fx.canvas),
              (std::vector<Segment>{{3, 0, 3, 4}, {3, 10, 3, 14}, {3, 20, 3, 24}}));
    fx.canvas.Clear();
    DrawDottedLine(0.0f, 3.0f, 30.0f, 3.0f);
    EXPECT_EQ(Segments(fx.canvas),
              (std::vector<Segment>{{0, 3, 4, 3}, {10, 3, 14, 3}, {20, 3, 24, 3}}));
    EXPECT_EQ(fx.canvas.Pen.Style, psSolid);
}

TEST(CanvasPrimitives, ArcPolyline) {
    struct Case {
        int start, end;
        int lines; // LineTo calls after the MoveTo; -1: nothing drawn
    };
    const std::vector<Case> cases = {{0, 90, 10}, {0, 8, -1}, {90, 180, 10}, {180, 90, 10}, {0, 17, 1}, {0, 360, 40}};
    for (const Case& c : cases) {
        TViewFixture fx;
        DrawArcPolyline(100.9f, 50.9f, 20.0f, c.start, c.end);
        if (c.lines < 0) {
            EXPECT_EQ(fx.canvas.size(), 0u) << c.start << ".." << c.end;
            continue;
        }
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::MoveTo), 1) << c.start << ".." << c.end;
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::LineTo), c.lines) << c.start << ".." << c.end;
    }
    // Points are truncated, not rounded: angle 0 is (120.9, 50.9) -> (120, 50).
    TViewFixture fx;
    DrawArcPolyline(100.9f, 50.9f, 20.0f, 0, 90);
    const TCanvasCall* move = fx.canvas.OfOp(TCanvasOp::MoveTo).front();
    EXPECT_EQ(move->Arg(0), 120);
    EXPECT_EQ(move->Arg(1), 50);
    // angle 90 lies below the centre (y grows downward): (100.9, 70.9) -> (100, 70)
    const TCanvasCall* last = fx.canvas.Last(TCanvasOp::LineTo);
    EXPECT_EQ(last->Points.at(1), (TPoint{100, 70}));
}

TEST(CanvasPrimitives, ScaledPenWidth) {
    struct Case {
        int cellHeight;
        float factor;
        int width;
    };
    // y unit = cell height at zoom 1
    const std::vector<Case> cases = {{30, 0.0f, 1}, {30, 0.1f, 3}, {30, 0.027f, 1}, {60, 0.027f, 2},
                                     {40, 0.05f, 2}, {50, 0.05f, 3}, {30, -1.0f, 1}};
    for (const Case& c : cases) {
        TViewFixture fx;
        fx.view.CellHeight = c.cellHeight;
        SetPenWidthScaled(c.factor);
        EXPECT_EQ(fx.canvas.Pen.Width, c.width) << c.cellHeight << " x " << c.factor;
    }
}

TEST(CanvasPrimitives, FillBarSizesAndRounding) {
    struct Case {
        float x, y;
        int w, h;
        TRect rect;
    };
    const std::vector<Case> cases = {
        {10.0f, 20.0f, 5, 3, {10, 20, 15, 23}},
        {10.0f, 20.0f, -3, 0, {10, 20, 13, 21}}, // width -3, height 0: 3 x 1
        {10.0f, 20.0f, 0, -5, {10, 20, 11, 25}},
        {2.5f, -2.5f, 1, 1, {3, -2, 4, -1}},       // halves round up, also below zero
        {2.49f, 7.5f, 2, 2, {2, 8, 4, 10}},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        fx.view.DrawEngine.CurColor = 0x123456;
        FillBar(c.x, c.y, c.w, c.h, -1);
        const TCanvasCall* fill = fx.canvas.Last(TCanvasOp::FillRect);
        ASSERT_NE(fill, nullptr);
        EXPECT_EQ(fill->RectArg(), c.rect) << c.x << "," << c.y << " " << c.w << "x" << c.h;
        EXPECT_EQ(fill->Brush.Color, 0x123456);
        EXPECT_EQ(fill->Brush.Style, bsSolid);
        EXPECT_EQ(fx.canvas.Brush.Style, bsClear);
        EXPECT_EQ(fx.canvas.Pen.Style, psSolid);
    }
    TViewFixture fx;
    FillBar(0.0f, 0.0f, 1, 1, 0x00FF00);
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::FillRect)->Brush.Color, 0x00FF00);
}

TEST(CanvasPrimitives, TextPlacement) {
    TViewFixture fx;
    const std::string text = "12";
    TSize e = fx.canvas.TextExtent(text);
    CanvasTextOutRight(100.5f, 50.0f, text);
    const TCanvasCall* t = fx.canvas.Last(TCanvasOp::TextOut);
    EXPECT_EQ(t->Arg(0), 101 - e.cx);
    EXPECT_EQ(t->Arg(1), RoundToInt(50.0f - static_cast<float>(e.cy / 3)));
    CanvasTextOutCentered(100.0f, 50.0f, text);
    t = fx.canvas.Last(TCanvasOp::TextOut);
    EXPECT_EQ(t->Arg(0), RoundToInt(100.0f - static_cast<float>(e.cx / 2)));
    EXPECT_EQ(t->Arg(1), 50 - e.cy);
}

TEST(CanvasPrimitives, RotatedText) {
    TViewFixture fx;
    TCell cell;
    fx.canvas.Font.Size = 10;
    fx.canvas.Font.Name = "Arial";
    DrawRotatedText(10.4f, 20.6f, "A", cell, 0);
    const TCanvasCall* plain = fx.canvas.Last(TCanvasOp::TextOut);
    EXPECT_EQ(plain->Arg(0), 10);
    EXPECT_EQ(plain->Arg(1), 21);
    EXPECT_FALSE(plain->LogFont.has_value());

    for (int style : {0, 1, 3}) {
        fx.canvas.Clear();
        cell.FontStyle = style;
        DrawRotatedText(10.0f, 20.0f, "A", cell, 900);
        const TCanvasCall* t = fx.canvas.Last(TCanvasOp::TextOut);
        ASSERT_TRUE(t->LogFont.has_value());
        EXPECT_EQ(t->LogFont->Weight, (style & 1) ? 700 : 500);
        EXPECT_EQ(t->LogFont->Italic, (style & 2) != 0);
        EXPECT_EQ(t->LogFont->Height, 14); // 1.44 x 10
        EXPECT_EQ(t->LogFont->Width, 6);
        EXPECT_EQ(t->LogFont->Escapement, 900);
        EXPECT_EQ(t->LogFont->FaceName, "Arial");
        // 90 degrees: x moves one x unit left, y half an x unit down
        EXPECT_EQ(t->Arg(0), -10);
        EXPECT_EQ(t->Arg(1), 30);
        EXPECT_EQ(fx.canvas.SelectedLogFont(), nullptr);
    }
}

TEST(CanvasPrimitives, ArrowHeadAndShapesLeaveTheirState) {
    TViewFixture fx;
    fx.view.DrawEngine.CurColor = 0x0000AA;
    fx.canvas.Pen.Width = 1;
    DrawArrowHead(10.0f, 10.0f, 10.2f, 10.3f, 8.0f);
    EXPECT_EQ(fx.canvas.size(), 0u) << "an arrow of almost no length draws nothing";

    DrawArrowHead(10.7f, 10.7f, 50.0f, 10.7f, 8.0f);
    const TCanvasCall* p = fx.canvas.Last(TCanvasOp::Polygon);
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(p->Points.size(), 4u);
    EXPECT_EQ(p->Points[1], (TPoint{10, 10})) << "the tip is truncated";
    EXPECT_EQ(p->Points[3], (TPoint{15, 11})) << "the notch half a size behind the tip";
    EXPECT_EQ(p->Brush.Color, 0x0000AA);
    EXPECT_EQ(p->Brush.Style, bsSolid);
    EXPECT_EQ(fx.canvas.Brush.Style, bsClear);
    EXPECT_EQ(fx.canvas.Pen.Width, 1);

    // Thick pens make the head half as large again.
    fx.canvas.Pen.Width = 3;
    DrawArrowHead(0.0f, 0.0f, 100.0f, 0.0f, 8.0f);
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::Polygon)->Points[3], (TPoint{6, 0}));
    EXPECT_EQ(fx.canvas.Pen.Width, 3);

    FillPolygon({{0, 0}, {5, 0}, {5, 5}, {9, 9}}, 2);
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::Polygon)->Points.size(), 3u);
    EXPECT_EQ(fx.canvas.Pen.Style, psClear);
    EXPECT_EQ(fx.canvas.Pen.Width, 1);

    FillRectColor(0, 0, 4, 4, 0x00FF00);
    EXPECT_EQ(fx.canvas.Brush.Style, bsClear);
    DrawRectFilled(0, 0, 4, 4);
    EXPECT_EQ(fx.canvas.Brush.Style, bsSolid);
    FillSlantedBar(0.0f, 0.0f, 20.0f, 10.0f, 3.0f);
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::Polygon)->Points,
              (std::vector<TPoint>{{0, 0}, {20, 10}, {20, 13}, {0, 3}}));
    EXPECT_EQ(fx.canvas.Brush.Style, bsClear);
    EXPECT_EQ(fx.canvas.Pen.Color, 0x0000AA);
}
