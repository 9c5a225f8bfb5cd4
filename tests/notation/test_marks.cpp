// The note-attached marks and the arc-drawn arrows on the recording canvas.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/modTQUtil.h"
#include "notation/modTQArcArrows.h"
#include "notation/modTQMarkGlyphs.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQViewFixture.h"

namespace {

// x unit W = 20, y unit H = 40; marks drawn at (100, 100).
TCell Note(float size = 1.0f) {
    TCell c;
    c.Note = '5';
    c.fontSizeR = size;
    return c;
}

} // namespace

TEST(MarkGlyphs, DotTakesTheCurrentColourOrTheOneGiven) {
    TViewFixture fx;
    TDrawEngine& e = fx.view.DrawEngine;
    e.CurColor = e.EditLayerHighlightColor;
    DrawDotGlyph(&e, 100.0f, 100.0f, Note(), 1.5f, -1);
    DrawDotGlyph(&e, 100.0f, 100.0f, Note(), 1.5f, 0x00FF00);
    const auto dots = fx.canvas.TextOuts();
    ASSERT_EQ(dots.size(), 2u);
    EXPECT_EQ(dots[0]->Font.Color, e.EditLayerHighlightColor);
    EXPECT_EQ(dots[1]->Font.Color, 0x00FF00);
    EXPECT_EQ(dots[0]->Font.Name, "Times New Roman");
    EXPECT_EQ(dots[0]->Font.Size, 30);
    EXPECT_EQ(dots[0]->Brush.Style, bsClear);
}

TEST(MarkGlyphs, TriangleOutlinesDiffer) {
    TViewFixture fx;
    TDrawEngine& e = fx.view.DrawEngine;
    e.CurColor = 0x0000AA;
    // apex down: a black edge, then the inside filled in the paper colour
    DrawTriangleDown(&e, 100.0f, 100.0f, Note(), false, 1.0f);
    ASSERT_EQ(fx.canvas.CountOf(TCanvasOp::Polyline), 1) << fx.canvas.Dump();
    ASSERT_EQ(fx.canvas.CountOf(TCanvasOp::Polygon), 1);
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::Polyline)->Pen.Color, clBlack);
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::Polygon)->Brush.Color, e.BkColor);
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::Polygon)->Brush.Style, bsSolid);
    // the corners: centre (110, 130), half width 2.2, height 0.11 x 0.82 x 40
    const float h = 0.11f * 0.82f * 40.0f;
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::Polygon)->Points,
              (std::vector<TPoint>{{RoundToInt(107.8f), RoundToInt(130.0f - h / 2)},
                                   {110, RoundToInt(130.0f + h)},
                                   {RoundToInt(112.2f), RoundToInt(130.0f - h / 2)},
                                   {RoundToInt(107.8f), RoundToInt(130.0f - h / 2)}}));
    // apex up: the edge only, the inside stays transparent
    fx.canvas.Clear();
    DrawTriangleUp(&e, 100.0f, 100.0f, Note(), false, 1.0f);
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Polyline), 1);
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Polygon), 0);
    // filled: one polygon in the current colour, no edge
    for (bool up : {false, true}) {
        fx.canvas.Clear();
        if (up)
            DrawTriangleUp(&e, 100.0f, 100.0f, Note(), true, 1.0f);
        else
            DrawTriangleDown(&e, 100.0f, 100.0f, Note(), true, 1.0f);
        ASSERT_EQ(fx.canvas.CountOf(TCanvasOp::Polygon), 1);
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Polyline), 0);
        EXPECT_EQ(fx.canvas.Last(TCanvasOp::Polygon)->Brush.Color, 0x0000AA);
        EXPECT_EQ(fx.canvas.Brush.Style, bsClear);
        EXPECT_EQ(fx.canvas.Pen.Style, psSolid);
    }
}

TEST(MarkGlyphs, DiamondFactorWidensOnly) {
    TViewFixture fx;
    DrawDiamond(&fx.view.DrawEngine, 100.0f, 100.0f, Note(), 1.0f, false);
    DrawDiamond(&fx.view.DrawEngine, 100.0f, 100.0f, Note(), 2.0f, false);
    const auto lines = fx.canvas.OfOp(TCanvasOp::Polyline);
    ASSERT_EQ(lines.size(), 2u);
    const auto& one = lines[0]->Points;
    const auto& two = lines[1]->Points;
    ASSERT_EQ(one.size(), 5u);
    // u = 0.325 x 60 = 19.5; half width 0.18 u, half height 0.23 u
    EXPECT_EQ(one[1], (TPoint{RoundToInt(111.0f - 3.51f), RoundToInt(124.0f + 4.485f)}));
    EXPECT_EQ(two[1], (TPoint{RoundToInt(111.0f - 7.02f), RoundToInt(124.0f + 4.485f)}));
    EXPECT_EQ(one[2], two[2]) << "same height";
    EXPECT_EQ(lines[0]->Pen.Width, 2) << "0.038 of the y unit";
}

TEST(MarkGlyphs, MarkBarAndAccentVectors) {
    TViewFixture fx;
    TDrawEngine& e = fx.view.DrawEngine;
    DrawMarkBar(&e, 100.0f, 100.0f, Note(1.5f), 0.6f, 0.07f);
    ASSERT_EQ(fx.canvas.CountOf(TCanvasOp::FillRect), 1);
    // top-left (100, 98.8), 18 x 4 pixels (truncated)
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::FillRect)->RectArg(), (TRect{100, 99, 118, 103}));

    fx.canvas.Clear();
    fx.canvas.Pen.Width = 3;
    DrawAccentVector(&e, 100.0f, 100.0f, Note(), 1.0f);
    ASSERT_EQ(fx.canvas.CountOf(TCanvasOp::Polyline), 1);
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::Polyline)->Points,
              (std::vector<TPoint>{{106, RoundToInt(132.0f + 2.8f)}, {116, 132}, {106, RoundToInt(132.0f - 2.8f)}}));
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::Polyline)->Pen.Width, 1);
    EXPECT_EQ(fx.canvas.Pen.Width, 3) << "the pen is put back";

    fx.canvas.Clear();
    DrawAccentVectorJianpu(&e, 100.0f, 100.0f, Note(2.0f), 1.0f);
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::Polyline)->Points,
              (std::vector<TPoint>{{106, RoundToInt(134.0f + 3.2f)}, {116, 134}, {106, RoundToInt(134.0f - 3.2f)}}))
        << "the cell size does not count";
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::Polyline)->Pen.Width, 3) << "the caller's pen";
}

TEST(MarkGlyphs, GlyphMarksAndTheirDrawnTwins) {
    struct Case {
        const char* what;
        bool font;
        void (*draw)(TDrawEngine*);
        int texts, polygons, polylines, arcs;
    };
    const std::vector<Case> cases = {
        {"wedge", true, [](TDrawEngine* e) { DrawGlyph174Mark(e, 100, 100, Note(), true, 0.8f); }, 1, 0, 0, 0},
        // the held-note mark without its glyph: the filled triangle
        {"wedge, no font", false, [](TDrawEngine* e) { DrawGlyph174Mark(e, 100, 100, Note(), true, 0.8f); }, 0, 1,
         0, 0},
        {"turned triangle, no font", false,
         [](TDrawEngine* e) { DrawGlyph174Mark(e, 100, 100, Note(), false, 1.0f); }, 0, 0, 0, 0},
        {"triangle 209", true, [](TDrawEngine* e) { DrawGlyph209Mark(e, 100, 100, Note(), true, 1.0f); }, 1, 0, 0,
         0},
        {"triangle 209, no font", false, [](TDrawEngine* e) { DrawGlyph209Mark(e, 100, 100, Note(), true, 1.0f); },
         0, 0, 0, 0},
        {"accent", true, [](TDrawEngine* e) { DrawAccentGlyph(e, 100, 100, Note(), 1.0f); }, 1, 0, 0, 0},
        {"accent, no font", false, [](TDrawEngine* e) { DrawAccentGlyph(e, 100, 100, Note(), 1.0f); }, 0, 0, 1, 0},
        // the grace notes' accent without its glyph: the two-line form
        {"Jianpu accent, no font", false, [](TDrawEngine* e) { DrawAccentGlyphJianpu(e, 100, 100, Note(), 0.6f); },
         0, 0, 1, 0},
        // style marks: their glyphs have no stand-in, so the curved arrows are drawn
        {"style mark 2", true, [](TDrawEngine* e) { DrawAttrMark2(e, 100, 100, Note(), 1.0f); }, 0, 1, 0, 1},
        {"style mark 3, no font", false, [](TDrawEngine* e) { DrawAttrMark3(e, 100, 100, Note(), 1.0f); }, 0, 1, 0,
         1},
        {"style mark 5", true, [](TDrawEngine* e) { DrawAttrMark5(e, 100, 100, Note(), 0.8f); }, 0, 1, 0, 1},
    };
    for (const Case& c : cases) {
        TMusicFonts fonts(c.font, c.font);
        TViewFixture fx;
        c.draw(&fx.view.DrawEngine);
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::TextOut), c.texts) << c.what << "\n" << fx.canvas.Dump();
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Polygon), c.polygons) << c.what;
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Polyline), c.polylines) << c.what;
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Arc), c.arcs) << c.what;
        if (c.texts == 1) {
            const TCanvasCall* t = fx.canvas.TextOuts()[0];
            EXPECT_EQ(t->LogFont ? t->LogFont->FaceName : t->Font.Name, "MusicalSymbols") << c.what;
        }
    }
    // style marks 2 and 4 are one shape
    TViewFixture fx;
    DrawAttrMark2(&fx.view.DrawEngine, 100, 100, Note(), 1.0f);
    DrawAttrMark4(&fx.view.DrawEngine, 100, 100, Note(), 1.0f);
    const auto arcs = fx.canvas.OfOp(TCanvasOp::Arc);
    ASSERT_EQ(arcs.size(), 2u);
    EXPECT_EQ(arcs[0]->Args, arcs[1]->Args);
}

TEST(ArcArrows, LowerRightQuarterAndItsHeads) {
    // k = 1, s = 1: centre (106, 124), radii 11 and 14
    for (int flag : {1, 0}) {
        TViewFixture fx;
        fx.canvas.Pen.Width = 4;
        DrawCurvedArrowVectorC(&fx.view.DrawEngine, 100.0f, 100.0f, Note(), static_cast<uint8_t>(flag), 1.0f);
        const auto arcs = fx.canvas.OfOp(TCanvasOp::Arc);
        ASSERT_EQ(arcs.size(), 1u);
        // from (x + 0.3 W, y + 0.95 H) counter-clockwise to (x + 0.85 W, y + 0.6 H)
        EXPECT_EQ(arcs[0]->Args, (std::vector<int>{95, 110, 117, 138, 106, 138, 117, 124}));
        EXPECT_EQ(arcs[0]->Pen.Width, 1);
        const auto heads = fx.canvas.OfOp(TCanvasOp::Polygon);
        ASSERT_EQ(heads.size(), 1u);
        const std::vector<TPoint>& p = heads[0]->Points;
        ASSERT_EQ(p.size(), 4u);
        if (flag) {
            // tip at the upper end, the head pointing up
            EXPECT_EQ(p[1], (TPoint{117, 124}));
            EXPECT_GT(p[3].y, 124);
        } else {
            // tip 0.15 W left of the bottom point, the head pointing left
            EXPECT_EQ(p[1], (TPoint{103, 138}));
            EXPECT_GT(p[3].x, 103);
        }
        EXPECT_EQ(fx.canvas.Pen.Width, 4) << "the pen is put back";
    }
}

TEST(ArcArrows, ScaleGrowsAwayFromTheCellCorner) {
    TViewFixture fx;
    DrawCurvedArrowVectorC(&fx.view.DrawEngine, 100.0f, 100.0f, Note(), 1, 2.0f);
    const auto arcs = fx.canvas.OfOp(TCanvasOp::Arc);
    ASSERT_EQ(arcs.size(), 1u);
    // centre (112, 148), radii 22 and 28
    EXPECT_EQ(arcs[0]->Args, (std::vector<int>{90, 120, 134, 176, 112, 176, 134, 148}));
    EXPECT_EQ(arcs[0]->Pen.Width, 2);
}

TEST(ArcArrows, EveryMemberDrawsItsPieceWithAHead) {
    using TDrawer = void (*)(TDrawEngine*, float, float, const TCell&, uint8_t, float);
    struct Case {
        const char* name;
        TDrawer draw;
        std::vector<int> arc; // box and the two points, at k = 1, s = 1
    };
    const std::vector<Case> cases = {
        {"D", DrawCurvedArrowVectorD, {105, 110, 127, 138, 105, 124, 116, 138}},
        {"E", DrawCurvedArrowVectorE, {103, 122, 129, 150, 116, 122, 103, 136}},
        {"F", DrawCurvedArrowVectorF, {91, 124, 117, 152, 117, 138, 104, 124}},
        {"A", DrawCurvedArrowVectorA, {108, 117, 132, 141, 114, 123, 114, 135}},
        {"B", DrawCurvedArrowVectorB, {88, 117, 112, 141, 106, 135, 106, 123}},
        {"G", DrawCurvedArrowVectorG, {102, 134, 118, 150, 114, 138, 106, 138}},
        {"H", DrawCurvedArrowVectorH, {102, 121, 118, 137, 106, 133, 114, 133}},
        {"I", DrawCurvedArrowVectorI, {102, 122, 118, 138, 106, 126, 114, 126}},
        {"J", DrawCurvedArrowVectorJ, {102, 123, 118, 139, 114, 135, 106, 135}},
    };
    for (const Case& c : cases) {
        for (int flag : {0, 1}) {
            TViewFixture fx;
            c.draw(&fx.view.DrawEngine, 100.0f, 100.0f, Note(), static_cast<uint8_t>(flag), 1.0f);
            const auto arcs = fx.canvas.OfOp(TCanvasOp::Arc);
            ASSERT_EQ(arcs.size(), 1u) << c.name;
            EXPECT_EQ(arcs[0]->Args, c.arc) << c.name;
            EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Polygon), 1) << c.name << " flag " << flag;
        }
    }
}
