// Curve shapes on the recording canvas: crescents, three-point arcs and tuplet
// numbers, including the shapes a curve takes when its points leave no room.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "notation/modTQCurves.h"
#include "tests/render/TQViewFixture.h"

namespace {

// x unit (W) 20, y unit (H) 40, draw scale 20.
TDrawEngine* Engine(TViewFixture& fx) { return &fx.view.DrawEngine; }

const std::vector<TPoint>& OnlyPolygon(const TRecordingCanvas& rc) {
    static const std::vector<TPoint> none;
    auto polys = rc.OfOp(TCanvasOp::Polygon);
    EXPECT_EQ(polys.size(), 1u) << rc.Dump();
    return polys.empty() ? none : polys.front()->Points;
}

TCell MarkCell(int markType = 0, uint32_t option = 0) {
    TCell c;
    c.markType = markType;
    c.option = option;
    return c;
}

} // namespace

TEST(SlurCrescent, SamplesAndThicknessFollowTheSize) {
    struct Case {
        int size;
        int samples;
        float thickness; // of the middle, in pixels: 0.045 H times 1 .. 2
    };
    const std::vector<Case> cases = {
        {0, 15, 1.8f}, {4, 35, 2.16f}, {7, 50, 3.6f}, {13, 79, 3.6f}, {20, 79, 3.6f}, {-3, 15, 1.8f},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        float x2 = 200.0f, y2 = 200.0f;
        DrawSlurCrescent(Engine(fx), 100.0f, 200.0f, x2, y2, c.size, MarkCell(), 0, 1);
        const std::vector<TPoint>& p = OnlyPolygon(fx.canvas);
        ASSERT_EQ(p.size(), static_cast<size_t>(2 * c.samples)) << "size " << c.size;
        const int n = c.samples;
        EXPECT_EQ(p.front(), (TPoint{100, 200})) << "size " << c.size;
        // A level curve ends at the start's height, 0.9962 of the chord along.
        EXPECT_EQ(p[static_cast<size_t>(n - 1)], (TPoint{200, 200})) << "size " << c.size;
        // Whole curves taper to nothing at both ends.
        EXPECT_EQ(p[static_cast<size_t>(n)], p[static_cast<size_t>(n - 1)]) << "size " << c.size;
        EXPECT_EQ(p.back(), p.front()) << "size " << c.size;
        // In the middle the inner edge stands the thickness above the outer one.
        const int mid = n / 2;
        const int gap = p[static_cast<size_t>(mid)].y - p[static_cast<size_t>(2 * n - 1 - mid)].y;
        EXPECT_NEAR(gap, c.thickness, 1.0f) << "size " << c.size;
        EXPECT_EQ(x2, 200.0f);
        EXPECT_EQ(y2, 200.0f);
    }
}

TEST(SlurCrescent, HeightDirectionAndEnds) {
    // Size 4 (35 samples): half length a = 50, height b = 0.2 a + 0.1 H = 14, so
    // the apex stands 14 x (1 - sin 5 degrees) = 12.8 pixels from the chord.
    struct Case {
        int direction;
        uint32_t option;
        int mode;
        int apexY;       // outer edge, sample 17 (the middle of a whole curve)
        bool bluntStart; // inner edge keeps its thickness at the start
        bool bluntEnd;
    };
    const std::vector<Case> cases = {
        {1, 0x80000, 0, 187, false, false},  // up, whatever the cell says
        {-1, 0, 0, 213, false, false},       // down
        {0, 0, 0, 187, false, false},        // the cell: up
        {0, 0x80000, 0, 213, false, false},  // the cell: down
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        float x2 = 200.0f, y2 = 200.0f;
        DrawSlurCrescent(Engine(fx), 100.0f, 200.0f, x2, y2, 4, MarkCell(0, c.option), c.mode, c.direction);
        const std::vector<TPoint>& p = OnlyPolygon(fx.canvas);
        ASSERT_EQ(p.size(), 70u);
        EXPECT_EQ(p[17].y, c.apexY) << "direction " << c.direction << " option " << c.option;
        EXPECT_EQ(p[17].x, 150);
    }
}

TEST(SlurCrescent, HalvesAtARowBreakAreBluntAtTheBreak) {
    // Size 4, chord 100 -> 200: each half is a half of the curve built for twice
    // the span (a = 100, b = 0.2 a + 0.1 H = 24, apex 24 (1 - sin 5) = 21.9 high).
    TViewFixture fx;
    float x2 = 200.0f, y2 = 200.0f;
    DrawSlurCrescent(Engine(fx), 100.0f, 200.0f, x2, y2, 4, MarkCell(), 1, 1);
    std::vector<TPoint> first = OnlyPolygon(fx.canvas);
    ASSERT_EQ(first.size(), 70u);
    // The rising half runs from the start up to the apex above its own end ...
    EXPECT_EQ(first[0], (TPoint{100, 200}));
    EXPECT_EQ(first[34], (TPoint{200, 178}));
    // ... tapering at its start but keeping its thickness at the break.
    EXPECT_EQ(first.back(), first.front());
    EXPECT_EQ(first[35].x, first[34].x);
    EXPECT_EQ(first[34].y - first[35].y, 2); // 1.2 x 0.045 H = 2.16

    fx.canvas.Clear();
    x2 = 200.0f;
    y2 = 200.0f;
    DrawSlurCrescent(Engine(fx), 100.0f, 200.0f, x2, y2, 4, MarkCell(), -1, 1);
    std::vector<TPoint> second = OnlyPolygon(fx.canvas);
    ASSERT_EQ(second.size(), 70u);
    // The falling half is raised by (0.07 x 4 + 0.2) H = 19.2, starts at its
    // apex and falls by 21.9 to its end.
    EXPECT_EQ(second[0], (TPoint{100, 181}));
    EXPECT_EQ(second[34], (TPoint{200, 203}));
    EXPECT_EQ(second[0].y - second.back().y, 2); // blunt at its start
    EXPECT_EQ(second[35], second[34]);           // tapered at its end
}

TEST(SlurCrescent, ShortChordIsStretchedToHalfAColumnToTheRight) {
    for (float end : {103.0f, 100.0f, 97.0f}) {
        TViewFixture fx;
        float x2 = end, y2 = 200.0f;
        DrawSlurCrescent(Engine(fx), 100.0f, 200.0f, x2, y2, 0, MarkCell(), 0, 1);
        const std::vector<TPoint>& p = OnlyPolygon(fx.canvas);
        ASSERT_EQ(p.size(), 30u);
        EXPECT_EQ(p[14], (TPoint{110, 200})) << "end " << end;
        EXPECT_EQ(x2, 110.0f) << "end " << end;
    }
}

TEST(SlurCrescent, SlopedChordIsTurnedToItsEnd) {
    TViewFixture fx;
    float x2 = 200.0f, y2 = 260.0f;
    DrawSlurCrescent(Engine(fx), 100.0f, 200.0f, x2, y2, 4, MarkCell(), 0, 1);
    const std::vector<TPoint>& p = OnlyPolygon(fx.canvas);
    ASSERT_EQ(p.size(), 70u);
    // 0.9962 of the chord, turned onto it.
    EXPECT_NEAR(x2, 199.6f, 1.0f);
    EXPECT_NEAR(y2, 259.8f, 1.0f);
    // The middle bulges up and to the right of the chord.
    const TPoint mid = p[17];
    const float side = (200.0f - 100.0f) * (static_cast<float>(mid.y) - 200.0f) -
                       (260.0f - 200.0f) * (static_cast<float>(mid.x) - 100.0f);
    EXPECT_LT(side, 0.0f);
}

TEST(SlurCrescent, ResultPointByMarkKind) {
    struct Case {
        int markType;
        TPoint result;
        float x2, y2; // after the call
    };
    const std::vector<Case> cases = {
        {0, {0, 0}, 200.0f, 200.0f},  // result: sample n - 7 (checked below)
        {56, {149, 187}, 200.0f, 200.0f}, // the apex (149.8, 187.2) truncated, end untouched
        {86, {149, 187}, 200.0f, 200.0f},
        {94, {0, 0}, 100.0f, 200.0f}, // the start pair
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        float x2 = 200.0f, y2 = 200.0f;
        TPoint r = DrawSlurCrescent(Engine(fx), 100.0f, 200.0f, x2, y2, 4, MarkCell(c.markType), 0, 1);
        const std::vector<TPoint>& p = OnlyPolygon(fx.canvas);
        ASSERT_EQ(p.size(), 70u);
        EXPECT_EQ(x2, c.x2) << c.markType;
        EXPECT_EQ(y2, c.y2) << c.markType;
        if (c.markType == 0)
            EXPECT_EQ(r, p[35 - 7]);
        else if (c.markType == 94)
            EXPECT_EQ(r, p[5]);
        else
            EXPECT_EQ(r, c.result) << c.markType;
    }
}

TEST(SlurCrescent, FillsInTheDrawingColourAndPutsPenAndBrushBack) {
    TViewFixture fx;
    fx.view.DrawEngine.CurColor = 0x123456;
    float x2 = 200.0f, y2 = 200.0f;
    DrawSlurCrescent(Engine(fx), 100.0f, 200.0f, x2, y2, 2, MarkCell(), 0, 0);
    const TCanvasCall* poly = fx.canvas.Last(TCanvasOp::Polygon);
    ASSERT_NE(poly, nullptr);
    EXPECT_EQ(poly->Brush.Style, bsSolid);
    EXPECT_EQ(poly->Brush.Color, 0x123456);
    EXPECT_EQ(fx.canvas.Brush.Style, bsClear);
    EXPECT_EQ(fx.canvas.Pen.Style, psSolid);
    EXPECT_EQ(fx.canvas.Pen.Width, 1); // round(0.027 x 40)
}

TEST(SlurCrescent, NoHorizontalRoomGivesALineOrNothing) {
    // A zero column width leaves start and end on one vertical: a straight line
    // (or nothing when the ends coincide), never a polygon of divided-by-zero points.
    struct Case {
        float y2;
        int mode;
        int lines;
    };
    const std::vector<Case> cases = {{260.0f, 0, 1}, {200.0f, 0, 0}, {260.0f, 1, 1}, {260.0f, -1, 1}};
    for (const Case& c : cases) {
        TViewFixture fx;
        fx.view.CellWidth = 1;
        fx.view.Zoom = 0.2;
        ASSERT_EQ(fx.view.GetCellWidth(), 0);
        float x2 = 100.0f, y2 = c.y2;
        DrawSlurCrescent(Engine(fx), 100.0f, 200.0f, x2, y2, 3, MarkCell(), c.mode, 0);
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Polygon), 0) << fx.canvas.Dump();
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::LineTo), c.lines) << fx.canvas.Dump();
    }
}

TEST(CrescentThrough3Points, StraightWhenLevelOrCollinear) {
    struct Case {
        const char* what;
        float x1, y1, x2, y2, x3, y3;
    };
    const std::vector<Case> cases = {
        {"level within 0.55", 100, 200, 200, 200.5f, 150, 199.6f},
        {"collinear, sloped", 100, 200, 200, 250, 150, 225},
        {"nearly collinear", 100, 200, 200, 250, 150, 226},
        {"all on one vertical", 100, 200, 100, 300, 100, 250},
        {"end on the start", 100, 200, 100, 200, 150, 180},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        float x2 = c.x2, y2 = c.y2;
        TPoint r = DrawCrescentThrough3Points(Engine(fx), c.x1, c.y1, x2, y2, c.x3, c.y3, 4, 0, false);
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Polygon), 0) << c.what << "\n" << fx.canvas.Dump();
        const TCanvasCall* line = fx.canvas.Last(TCanvasOp::LineTo);
        if (c.x1 != c.x2 || c.y1 != c.y2) {
            ASSERT_NE(line, nullptr) << c.what;
            EXPECT_EQ(line->Pen.Width, 2) << c.what; // round(0.045 H)
        }
        EXPECT_EQ(r, (TPoint{static_cast<int>((c.x1 + c.x2) * 0.5f), static_cast<int>((c.y1 + c.y2) * 0.5f)}))
            << c.what;
        EXPECT_EQ(fx.canvas.Pen.Width, 1) << c.what;
    }
}

TEST(CrescentThrough3Points, NegativeSizeDrawsNothing) {
    TViewFixture fx;
    float x2 = 200.0f, y2 = 200.0f;
    TPoint r = DrawCrescentThrough3Points(Engine(fx), 100.0f, 200.0f, x2, y2, 150.0f, 170.0f, -1, 0, false);
    EXPECT_EQ(fx.canvas.size(), 0u);
    EXPECT_EQ(r, (TPoint{150, 200}));
}

TEST(CrescentThrough3Points, CurveThroughTheThirdPoint) {
    for (float throughY : {170.0f, 230.0f}) {
        TViewFixture fx;
        float x2 = 200.0f, y2 = 200.0f;
        DrawCrescentThrough3Points(Engine(fx), 100.0f, 200.0f, x2, y2, 150.0f, throughY, 3, 0, false);
        const std::vector<TPoint>& p = OnlyPolygon(fx.canvas);
        ASSERT_EQ(p.size(), 60u);
        // The outer edge runs between the two ends (in either order).
        const TPoint a = p.front(), b = p[29];
        EXPECT_TRUE((a == TPoint{100, 200} && b == TPoint{200, 200}) || (b == TPoint{100, 200} && a == TPoint{200, 200}))
            << throughY << "\n" << fx.canvas.Dump();
        EXPECT_EQ(x2, 200.0f) << throughY;
        EXPECT_EQ(y2, 200.0f) << throughY;
        // The outer edge passes the through point.
        int best = 1000;
        for (int i = 0; i < 30; ++i)
            best = std::min(best, std::abs(p[static_cast<size_t>(i)].x - 150) +
                                      std::abs(p[static_cast<size_t>(i)].y - static_cast<int>(throughY)));
        EXPECT_LE(best, 3) << throughY;
    }
}

TEST(CircleCentre, CentresAndPointsWithoutOne) {
    struct Case {
        TPoint a, b, c;
        bool found;
        TPoint centre;
    };
    const std::vector<Case> cases = {
        {{0, 0}, {100, 0}, {50, -30}, true, {50, 26}},
        {{0, 0}, {100, 0}, {50, 30}, true, {50, -26}},
        {{0, 0}, {30, 20}, {0, 40}, true, {8, 20}},      // first and third on one vertical
        {{0, 0}, {0, 100}, {0, 50}, false, {}},          // all on one vertical
        {{0, 0}, {100, 100}, {50, 50}, false, {}},       // collinear
        {{0, 0}, {40, 0}, {0, 40}, true, {20, 20}},
        {{0, 0}, {40, 40}, {0, 40}, false, {}},          // a vertical chord and a level one
    };
    for (const Case& c : cases) {
        TPoint centre{-1, -1};
        EXPECT_EQ(CircleCentre(c.a, c.b, c.c, centre), c.found) << c.c.x << "," << c.c.y;
        if (c.found) {
            EXPECT_EQ(centre, c.centre) << c.c.x << "," << c.c.y;
        }
    }
}

TEST(CircleCentre, PenArcRunsCounterClockwiseThroughTheThirdPoint) {
    struct Case {
        float y3;
        TPoint start, end;
    };
    // Through a point above the chord the arc runs from the right end to the
    // left one (counter-clockwise on the page over the top); below, the other way.
    const std::vector<Case> cases = {{170.0f, {200, 200}, {100, 200}}, {230.0f, {100, 200}, {200, 200}}};
    for (const Case& c : cases) {
        TViewFixture fx;
        DrawArcThrough3Points(Engine(fx), 100.0f, 200.0f, 200.0f, 200.0f, 150.0f, c.y3);
        const TCanvasCall* arc = fx.canvas.Last(TCanvasOp::Arc);
        ASSERT_NE(arc, nullptr) << fx.canvas.Dump();
        const int cx = (arc->Arg(0) + arc->Arg(2)) / 2, cy = (arc->Arg(1) + arc->Arg(3)) / 2;
        EXPECT_EQ(cx, 150);
        EXPECT_NEAR(std::abs(cy - static_cast<int>(c.y3)), arc->Arg(2) - cx, 1) << "the circle passes the third point";
        EXPECT_EQ((TPoint{arc->Arg(4), arc->Arg(5)}), c.start) << c.y3;
        EXPECT_EQ((TPoint{arc->Arg(6), arc->Arg(7)}), c.end) << c.y3;
    }
    TViewFixture fx;
    DrawArcThrough3Points(Engine(fx), 100.0f, 200.0f, 200.0f, 250.0f, 150.0f, 225.0f);
    EXPECT_EQ(fx.canvas.size(), 0u) << "collinear points draw no arc";
}

TEST(TupletNumber, BoldItalicOnAClearedBoxWhenAsked) {
    for (bool box : {true, false}) {
        TViewFixture fx;
        fx.view.DrawEngine.CurColor = 0x0000AA;
        fx.view.DrawEngine.BkColor = 0xABCDEF;
        fx.canvas.Brush.Color = 0x000000; // whatever an earlier drawer left
        DrawTupletNumber(Engine(fx), 100.0f, 200.0f, 3, box);
        const TCanvasCall* t = fx.canvas.FindText("3");
        ASSERT_NE(t, nullptr) << fx.canvas.Dump();
        // 0.1 H up, then the text 0.3 of the draw scale above that.
        EXPECT_EQ(t->Args, (std::vector<int>{100, 190}));
        EXPECT_EQ(t->Font.Name, "Times New Roman");
        EXPECT_EQ(t->Font.Style, fsBold | fsItalic);
        EXPECT_EQ(t->Font.Size, 12); // ceil(0.6 x 20)
        EXPECT_EQ(t->Font.Color, 0x0000AA);
        EXPECT_EQ(t->Brush.Style, bsClear);
        const TCanvasCall* fill = fx.canvas.Last(TCanvasOp::FillRect);
        if (box) {
            ASSERT_NE(fill, nullptr);
            EXPECT_EQ(fill->Brush.Color, 0xABCDEF);
            const int w = t->Extent.cx, h = t->Extent.cy;
            EXPECT_EQ(fill->RectArg(), (TRect{RoundToInt(100 - 0.3f * w), 196, RoundToInt(100 + 1.3f * w),
                                              RoundToInt(196 + 0.4f * h)}));
        } else {
            // No box in a colour left over from another drawer.
            EXPECT_EQ(fill, nullptr);
        }
        EXPECT_EQ(fx.canvas.Font.Name, "Arial"); // the note font again
    }
}
