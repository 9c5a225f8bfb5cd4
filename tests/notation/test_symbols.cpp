// Symbol cells and the special-symbol drawers on the recording canvas: the
// stacked slots, the list form, the id table with and without the music fonts,
// and the drawers' shapes where their numbers matter.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "model/modTQUtil.h"
#include "notation/modTQMarkGlyphs.h"
#include "notation/modTQNotationApi.h"
#include "notation/modTQSymbolDrawers.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQViewFixture.h"

namespace {

// x unit W = 20, y unit H = 40, drawing scale 20; the symbol cell is at (2, 1)
// and its symbols are drawn at the point (100, 200).
constexpr float kX = 100.0f, kY = 200.0f;
constexpr int kCol = 2, kRow = 1;

TCell& SymbolCell(TViewFixture& fx, int note = 32, float size = 1.0f) {
    TCell& c = fx.At(kCol, kRow);
    c = TScoreFixture::Cell("S:" + std::to_string(note));
    c.fontSizeR = size;
    return c;
}

void Draw(TViewFixture& fx, int id, int col = kCol) { DrawSpecialSymbol(&fx.view.DrawEngine, kX, kY, id, col, kRow); }

std::vector<TPoint> PolylineStarts(const TRecordingCanvas& rc, size_t point) {
    std::vector<TPoint> out;
    for (const TCanvasCall* p : rc.OfOp(TCanvasOp::Polyline))
        out.push_back(p->Points.at(point));
    return out;
}

} // namespace

TEST(SymbolCell, SlotsStackUpwards) {
    // Without the music fonts the hook (5) and the two wedges (7, 8) are
    // polylines; the second point of a wedge is its tip at 0.63 or 0.92 H.
    TMusicFonts fonts(false, false);
    struct Case {
        int a, b, c;
        std::vector<int> tipY; // y of the polylines' second points, in order
    };
    const int hook = RoundToInt(kY + 36.0f); // the hook's floor, 0.9 H down
    const std::vector<Case> cases = {
        {5, 32, 32, {hook}},
        {32, 5, 32, {RoundToInt(kY + 36.0f - 16.0f)}},                                       // 0.4 H up
        {5, 7, 8, {hook, RoundToInt(kY + 25.2f - 16.0f), RoundToInt(kY + 36.8f - 35.2f)}},   // 0.4 and 0.88 H
        {5, 32, 8, {hook, RoundToInt(kY + 36.8f - 17.6f)}},                                   // 0.44 H
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        TCell& cell = SymbolCell(fx, c.a);
        cell.FontColor = c.b;
        cell.upNote = c.c;
        DrawStackedSymbols(&fx.view.DrawEngine, kX, kY, cell, kCol, kRow);
        std::vector<int> ys;
        for (const TPoint& p : PolylineStarts(fx.canvas, 1))
            ys.push_back(p.y);
        EXPECT_EQ(ys, c.tipY) << c.a << "/" << c.b << "/" << c.c << "\n" << fx.canvas.Dump();
    }
}

TEST(SymbolCell, EveryIdReachesItsDrawingOrDrawsNothing) {
    // Ids without a drawing draw nothing; so do the syllables without a
    // syllable, and the glyph-only rows when their font is missing. With the
    // fonts every glyph-only row draws its glyph.
    for (bool fontsOn : {true, false}) {
        TMusicFonts fonts(fontsOn, fontsOn);
        ASSERT_TRUE(fonts.loaded());
        std::set<int> none = {0, 32, 37, 89, 112, 129, 138, 146, 10030};
        for (int id = 10022; id <= 10029; ++id)
            none.insert(id);
        const struct {
            int id;
            const char* font;
            int code;
        } glyphOnly[] = {{4, "MusicalSymbols", 126},  {151, "MusicalSymbols", 34}, {152, "Toccata", 70},
                         {153, "Toccata", 81},        {154, "Toccata", 72},        {155, "Toccata", 78},
                         {156, "Toccata", 85},        {157, "Toccata", 86},        {171, "MusicalSymbols", 160},
                         {172, "MusicalSymbols", 221}, {110, "MusicalSymbols", 36}, {144, "MusicalSymbols", 172},
                         {145, "MusicalSymbols", 232}, {45, "MusicalSymbols", 177}};
        for (const auto& g : glyphOnly) {
            EXPECT_EQ(HasMusicGlyph(g.font, g.code), fontsOn) << "id " << g.id << ": " << g.font << " " << g.code;
            if (!fontsOn)
                none.insert(g.id);
        }
        std::vector<int> ids;
        for (int id = 0; id <= 177; ++id)
            ids.push_back(id);
        for (int id = 10000; id <= 10030; ++id)
            ids.push_back(id);
        for (int id : ids) {
            TViewFixture fx;
            SymbolCell(fx, 5).Attr = 1; // a sharp for the symbols that draw the cell's accidental
            Draw(fx, id);
            const bool drew = fx.canvas.size() > 0;
            EXPECT_EQ(drew, !none.count(id)) << "id " << id << (fontsOn ? " with" : " without") << " the fonts\n"
                                             << fx.canvas.Dump();
        }
    }
}

TEST(SymbolCell, GlyphPlacementFollowsTheSizeFactor) {
    TMusicFonts fonts(true, true);
    // (id, text drawn, a, b, c, d, size factor k of the row)
    struct Case {
        int id;
        std::string text;
        float a, b, c, d, k;
    };
    const std::vector<Case> cases = {
        {33, ",", 0.25f, -0.13f, -0.23f, -1.05f, 1.5f},
        {84, "*", 0.25f, 0.6f, -0.26f, -0.25f, 1.0f},
        {9, ">", 0.25f, 0.02f, -0.3f, -0.9f, 1.0f},
        {151, "\"", 0.17f, 0.0f, -0.38f, -0.9f, 1.0f},
    };
    for (const Case& c : cases) {
        if ((c.id == 151 && !HasMusicGlyph("MusicalSymbols", 34)) || (c.id == 9 && !HasMusicGlyph("MusicalSymbols", 62)))
            continue;
        int size1 = 0;
        for (float f : {1.0f, 2.0f}) {
            TViewFixture fx;
            SymbolCell(fx, c.id, f);
            Draw(fx, c.id);
            const TCanvasCall* t = fx.canvas.FindText(c.text);
            ASSERT_NE(t, nullptr) << c.id << "\n" << fx.canvas.Dump();
            EXPECT_EQ(t->Arg(0), RoundToInt(kX + (c.a + c.c * (f - 1.0f)) * 20.0f)) << c.id << " at " << f;
            EXPECT_EQ(t->Arg(1), RoundToInt(kY + (c.b + c.d * (f - 1.0f)) * 40.0f)) << c.id << " at " << f;
            if (f == 1.0f)
                size1 = t->Font.Size;
            else
                EXPECT_EQ(t->Font.Size, 2 * size1) << c.id;
            EXPECT_EQ(size1, RoundToInt(20.0f * c.k)) << c.id;
        }
    }
}

TEST(SymbolCell, PenAndBrushAfterASymbol) {
    TViewFixture fx;
    SymbolCell(fx, 32);
    fx.canvas.Pen.Width = 7;
    fx.canvas.Brush.Style = bsSolid;
    Draw(fx, 32);
    EXPECT_EQ(fx.canvas.Pen.Width, 7);
    EXPECT_EQ(fx.canvas.Brush.Style, bsSolid);
    EXPECT_EQ(fx.canvas.size(), 0u);
    Draw(fx, 37);
    EXPECT_EQ(fx.canvas.Pen.Width, 1); // 0.027 H
    EXPECT_EQ(fx.canvas.Brush.Style, bsClear);
    // a filled symbol leaves the pen style as the cell loop had it
    Draw(fx, 46);
    Draw(fx, 38);
    EXPECT_EQ(fx.canvas.Pen.Style, psSolid);
}

TEST(SymbolCell, ListFormSpacesItsGroupsAndLeavesTheCellAlone) {
    TMusicFonts fonts(false, false);
    TViewFixture fx;
    TCell& cell = SymbolCell(fx, 5, 1.0f);
    cell.Attr = 0xA0;
    cell.shrinkRate = 100;
    // three groups: a hook; a hook with a third slot; a hook in every slot
    cell.CompressNotes = {TCompressNote{5, 0, 0, 32, 32, 0}, TCompressNote{5, 0, 0, 32, 5, 0},
                          TCompressNote{5, 0, 0, 5, 5, 0}};
    const TCell before = cell;
    DrawCellSymbolList(&fx.view.DrawEngine, kX, kY, cell, kCol, kRow);
    EXPECT_EQ(fx.At(kCol, kRow), before);
    // the hook at 0.7 size: centre 0.5 W in, half width 0.4 W x 0.7, floor 0.9 H down
    const auto starts = PolylineStarts(fx.canvas, 0);
    const float d = 0.4f * 20.0f * 0.7f;
    const float floorY = kY + 36.0f;
    std::vector<TPoint> expected;
    for (float gx : {-0.2f, 0.95f, 2.1f}) {
        const int x = RoundToInt(kX + gx * 20.0f + 10.0f - d);
        expected.push_back({x, RoundToInt(floorY)});
        if (gx > 0.0f)
            expected.push_back({x, RoundToInt(floorY - 0.3f * 40.0f)}); // the next slot 0.3 H up
        if (gx > 1.0f)
            expected.push_back({x, RoundToInt(floorY - 0.6f * 40.0f)}); // the third 0.6 H up
    }
    EXPECT_EQ(starts, expected) << fx.canvas.Dump();
}

TEST(SymbolCell, SecondFormsWithoutTheMusicFont) {
    TMusicFonts fonts(false, true);
    // vector sharps: one upright stroke per FillRect
    for (auto [id, strokes] : {std::pair{14, 2}, std::pair{119, 3}, std::pair{148, 1}}) {
        TViewFixture fx;
        SymbolCell(fx, id);
        Draw(fx, id);
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::FillRect), strokes) << id << "\n" << fx.canvas.Dump();
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::TextOut), 0) << id;
    }
    TViewFixture fx;
    SymbolCell(fx, 123);
    Draw(fx, 123);
    const TCanvasCall* zero = fx.canvas.FindText("0");
    ASSERT_NE(zero, nullptr) << fx.canvas.Dump();
    EXPECT_EQ(zero->Font.Name, "Times New Roman");
    EXPECT_EQ(zero->Font.Size, 14); // 0.7 x drawing scale 20
    EXPECT_EQ(zero->Arg(0), RoundToInt(kX + 0.3f * 20.0f));
}

TEST(SymbolCell, RepeatDotsMoveLeftInTheFirstColumn) {
    TViewFixture fx;
    fx.At(0, kRow) = TScoreFixture::Cell("S:173");
    SymbolCell(fx, 173);
    Draw(fx, 173, 0);
    Draw(fx, 173, kCol);
    const auto dots = fx.canvas.TextOuts();
    ASSERT_EQ(dots.size(), 4u);
    EXPECT_EQ(dots[0]->Arg(0), RoundToInt(kX - 4.0f + 0.28f * 20.0f));
    EXPECT_EQ(dots[2]->Arg(0), RoundToInt(kX + 0.28f * 20.0f));
    EXPECT_EQ(dots[0]->Font.Color, fx.view.DrawEngine.MainLayerColor);
}

TEST(SymbolCell, TurnStrokeFollowsTheIdInAnySlot) {
    // 141 gets the vertical stroke whichever slot holds it; 88 never does.
    TMusicFonts fonts(true, true);
    struct Case {
        int a, b;
        int strokes;
    };
    for (const Case& c : {Case{141, 32, 1}, Case{5, 141, 1}, Case{141, 88, 1}, Case{88, 32, 0}}) {
        TViewFixture fx;
        TCell& cell = SymbolCell(fx, c.a);
        cell.FontColor = c.b;
        DrawStackedSymbols(&fx.view.DrawEngine, kX, kY, cell, kCol, kRow);
        // the stroke: trunc(0.08 W) wide, trunc(0.37 H) high
        int found = 0;
        for (const TCanvasCall* r : fx.canvas.OfOp(TCanvasOp::FillRect))
            if (r->RectArg().Width() == 1 && r->RectArg().Height() == 14)
                ++found;
        EXPECT_EQ(found, c.strokes) << c.a << "/" << c.b << "\n" << fx.canvas.Dump();
    }
}

TEST(SymbolDrawers, BracketsArcsAndFrames) {
    TViewFixture fx;
    TDrawEngine* e = &fx.view.DrawEngine;
    const float cx = kX + 10.0f, yb = kY + 34.0f;
    // cup bracket with two slashes: legs, floor and a cross
    DrawCupBracket(e, kX, kY, 2, false);
    auto lines = fx.canvas.OfOp(TCanvasOp::LineTo);
    ASSERT_EQ(lines.size(), 5u) << fx.canvas.Dump();
    EXPECT_EQ(lines[3]->Points, (std::vector<TPoint>{{RoundToInt(cx + 6.0f), RoundToInt(yb - 2.0f)},
                                                    {RoundToInt(cx - 6.0f), RoundToInt(yb - 12.0f)}}));
    EXPECT_EQ(lines[4]->Points, (std::vector<TPoint>{{RoundToInt(cx - 6.0f), RoundToInt(yb - 2.0f)},
                                                    {RoundToInt(cx + 6.0f), RoundToInt(yb - 12.0f)}}));
    // without the right leg the floor still reaches its place
    fx.canvas.Clear();
    DrawCupBracket(e, kX, kY, 0, true);
    lines = fx.canvas.OfOp(TCanvasOp::LineTo);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1]->Points[1].x, RoundToInt(cx + 8.0f));

    // three stacked arches 0.13 H apart, their ends 0.15 H above each centre
    fx.canvas.Clear();
    DrawStackedArcs(e, kX, kY, 3, 1);
    const auto arcs = fx.canvas.OfOp(TCanvasOp::Arc);
    ASSERT_EQ(arcs.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const float yc = kY + 0.8f * 40.0f + 5.2f * static_cast<float>(i);
        EXPECT_EQ(arcs[i]->Arg(1), RoundToInt(yc - 8.0f)) << i;
        EXPECT_EQ(arcs[i]->Arg(5), RoundToInt(yc - 6.0f)) << i;
        EXPECT_EQ(arcs[i]->Arg(4), RoundToInt(cx + 9.0f)) << "arches run from the right";
    }

    // a framed group covers four columns and 0.1 W beyond
    for (int group = 0; group < 3; ++group) {
        fx.canvas.Clear();
        if (group == 0)
            DrawFramedGroupA(e, kX, kY, false);
        else if (group == 1)
            DrawFramedGroupB(e, kX, kY, true);
        else
            DrawFramedGroupC(e, kX, kY);
        const TCanvasCall* frame = fx.canvas.Last(TCanvasOp::Rectangle);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->RectArg(), (TRect{98, 220, 182, 240})) << group;
    }
}

TEST(SymbolDrawers, LenticularBracketsFollowTheCellSize) {
    TViewFixture fx;
    for (auto [size, left, right] : {std::tuple{1.0f, -0.65f, 0.4f}, std::tuple{0.5f, -0.325f, 0.765f}}) {
        fx.canvas.Clear();
        fx.At(kCol, kRow).fontSizeR = size;
        DrawLeftLenticularBracket(&fx.view.DrawEngine, kX, kY, kCol, kRow);
        DrawRightLenticularBracket(&fx.view.DrawEngine, kX, kY, kCol, kRow);
        const auto t = fx.canvas.TextOuts();
        ASSERT_EQ(t.size(), 2u);
        EXPECT_EQ(t[0]->Text, "【");
        EXPECT_EQ(t[0]->Arg(0), RoundToInt(kX + left * 20.0f)) << size;
        EXPECT_EQ(t[1]->Arg(0), RoundToInt(kX + right * 20.0f)) << size;
        EXPECT_EQ(t[1]->Arg(1), RoundToInt(kY + (0.38f * (1.0f - size) + 0.2f) * 40.0f)) << size;
    }
}

TEST(SymbolDrawers, CodaAndSegnoCreateTheirFonts) {
    TMusicFonts fonts(false, false);
    TViewFixture fx;
    TCell cell;
    DrawSegno(&fx.view.DrawEngine, kX, kY, cell);
    const TCanvasCall* s = fx.canvas.FindText("S");
    ASSERT_NE(s, nullptr) << fx.canvas.Dump();
    ASSERT_TRUE(s->LogFont.has_value());
    EXPECT_EQ(s->LogFont->Height, 34); // 1.7 W
    EXPECT_EQ(s->LogFont->Width, 10);  // 0.5 W
    EXPECT_EQ(s->LogFont->Escapement, 200);
    EXPECT_EQ(s->LogFont->Weight, 1200);
    EXPECT_EQ(s->LogFont->FaceName, "Times New Roman");
    EXPECT_EQ(fx.canvas.SelectedLogFont(), nullptr) << "the created font is put back";
    EXPECT_EQ(fx.canvas.texts().size(), 3u) << "the S and two dots";

    fx.canvas.Clear();
    DrawCoda(&fx.view.DrawEngine, kX, kY, cell);
    const TCanvasCall* o = fx.canvas.FindText("O");
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->LogFont->Height, 28);
    EXPECT_EQ(o->LogFont->Escapement, 0);
    // the two bars cross at the middle of the measured "O"
    const auto bars = fx.canvas.OfOp(TCanvasOp::FillRect);
    ASSERT_EQ(bars.size(), 2u);
    const int midX = o->Arg(0) + o->Extent.cx / 2, midY = o->Arg(1) + o->Extent.cy / 2;
    EXPECT_LE(bars[0]->RectArg().Top, midY);
    EXPECT_GE(bars[0]->RectArg().Bottom, midY);
    EXPECT_LE(bars[1]->RectArg().Left, midX);
    EXPECT_GE(bars[1]->RectArg().Right, midX);
}

TEST(SymbolDrawers, HollowDiamondKeepsAnEdge) {
    // Without its glyph: the diamond in the current colour, then its inside in
    // white, inset by at least one pixel so the edge shows.
    TMusicFonts fonts(false, false);
    TViewFixture fx;
    TDrawEngine& e = fx.view.DrawEngine;
    e.CurColor = 0x0000AA;
    TCell cell;
    DrawHollowDiamond(&e, kX, kY, cell);
    const auto polys = fx.canvas.OfOp(TCanvasOp::Polygon);
    ASSERT_EQ(polys.size(), 2u);
    EXPECT_EQ(polys[0]->Brush.Color, 0x0000AA);
    EXPECT_EQ(polys[1]->Brush.Color, clWhite);
    EXPECT_EQ(polys[1]->Points[0].y, polys[0]->Points[0].y + 1);
    EXPECT_EQ(polys[1]->Points[1].x, polys[0]->Points[1].x + 1);
    EXPECT_EQ(fx.canvas.Brush.Style, bsClear);
}
