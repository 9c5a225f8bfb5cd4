// Accidental signs: glyphs, symbol images and the drawn sharp, and the sign
// beside a symbol cell.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/modTQUtil.h"
#include "render/modTQDrawAccid.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQViewFixture.h"

namespace {

// x unit 20, y unit 40.
TCell Cell(uint32_t attr = 0, float size = 1.0f) {
    TCell c;
    c.cellType = ctSymbol;
    c.Attr = attr;
    c.fontSizeR = size;
    return c;
}

} // namespace

TEST(Accidentals, DrawnSharpStrokesAndBars) {
    struct Case {
        int strokes;
        std::vector<TRect> fills; // upright strokes around the centre (100, 100)
    };
    // A = B = 6 pixels (y unit x 0.15); W = 1; half length 9.6; the right stroke
    // stands half the bars' rise higher.
    const std::vector<Case> cases = {
        {2, {{98, 90, 99, 110}, {102, 90, 103, 109}}},
        // one stroke: only the right one, moved left by 0.15 A; B = 4
        {1, {{100, 90, 101, 109}}},
        // three strokes: B = 9, rise 0.6 A, half spacing round(2.7) = 3
        {3, {{97, 90, 98, 110}, {103, 89, 104, 108}, {100, 90, 101, 109}}},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        const TCell cell = Cell();
        DrawSharpVector(&fx.view.DrawEngine, 100.0f, 100.0f, cell, 1.0f, c.strokes);
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Polygon), 2) << c.strokes;
        std::vector<TRect> fills;
        for (const TCanvasCall* f : fx.canvas.OfOp(TCanvasOp::FillRect)) {
            fills.push_back(f->RectArg());
            EXPECT_EQ(f->Brush.Color, fx.view.DrawEngine.CurColor);
        }
        EXPECT_EQ(fills, c.fills) << c.strokes << "\n" << fx.canvas.Dump();
        // pen, brush and width left as the other drawers expect
        EXPECT_EQ(fx.canvas.Brush.Style, bsClear);
        EXPECT_EQ(fx.canvas.Pen.Style, psSolid);
        EXPECT_EQ(fx.canvas.Pen.Width, 1);
    }
}

TEST(Accidentals, GlyphsStandAtTheSamePlaceOnScreenAndPrinter) {
    TMusicFonts fonts(true, true);
    using TDrawer = void (*)(TDrawEngine*, float, float, const TCell&, float, TCanvas*);
    struct Case {
        const char* name;
        TDrawer drawer;
        const char* font;
        int code;
        float raise; // y units the printer once raised it: no longer
    };
    const std::vector<Case> cases = {
        {"sharp", DrawSharpGlyph, "MusicalSymbols", 35, 0.2f},
        {"flat", DrawFlatGlyph, "MusicalSymbols", 98, 0.2f},
        {"natural", DrawNaturalGlyph, "MusicalSymbols", 110, 0.2f},
        {"double flat", DrawDoubleFlatGlyph, "MusicalSymbols", 186, 0.25f},
        {"double sharp", DrawDoubleSharpGlyph, "MusicalSymbols", 220, 0.25f},
        {"half sharp", DrawHalfSharp, "Toccata", 135, 0.15f},
        {"reversed flat", DrawReversedFlat, "Toccata", 137, 0.2f},
        {"three-quarter sharp", DrawThreeQuarterSharp, "Toccata", 136, 0.15f},
    };
    for (const Case& c : cases) {
        int ys[2] = {0, 0};
        for (int kind : {0, 1}) {
            TViewFixture fx;
            fx.view.OutputKind = kind;
            c.drawer(&fx.view.DrawEngine, 100.0f, 200.0f, Cell(), 1.0f, nullptr);
            const auto texts = fx.canvas.TextOuts();
            ASSERT_EQ(texts.size(), 1u) << c.name << "\n" << fx.canvas.Dump();
            EXPECT_EQ(texts[0]->Font.Name, c.font) << c.name;
            EXPECT_EQ(texts[0]->Text, std::string(1, static_cast<char>(c.code))) << c.name;
            EXPECT_EQ(texts[0]->Arg(0), 100) << c.name;
            ys[kind] = texts[0]->Arg(1);
        }
        EXPECT_EQ(ys[0], 200) << c.name;
        EXPECT_EQ(ys[1], 200) << c.name << ": not " << RoundToInt(200.0f - c.raise * 40.0f) << " on paper";
    }
}

TEST(Accidentals, ToccataSignsFallBackWithoutTheFont) {
    TMusicFonts fonts(true, false);
    TViewFixture fx;
    TDrawEngine* e = &fx.view.DrawEngine;
    DrawHalfSharp(e, 100.0f, 100.0f, Cell(), 1.0f);
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::FillRect), 1) << "one-stroke sharp\n" << fx.canvas.Dump();
    fx.canvas.Clear();
    DrawThreeQuarterSharp(e, 100.0f, 100.0f, Cell(0, 1.6f), 1.0f);
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::FillRect), 3) << "three strokes whatever the size";
    fx.canvas.Clear();
    DrawReversedFlat(e, 100.0f, 100.0f, Cell(), 1.0f);
    const auto pictures = fx.canvas.OfOp(TCanvasOp::StretchDraw);
    ASSERT_EQ(pictures.size(), 1u) << fx.canvas.Dump();
    EXPECT_EQ(pictures[0]->Arg(0), RoundToInt(100.0f - 1.2f));
    EXPECT_EQ(pictures[0]->Arg(1), RoundToInt(100.0f + 0.445f * 40.0f));
    EXPECT_EQ(pictures[0]->RectArg().Width(), RoundToInt(100.0f - 1.2f + 6.4f) - RoundToInt(100.0f - 1.2f));
}

TEST(Accidentals, NaturalPictureWidthIsWholePixels) {
    TMusicFonts fonts(true, true);
    TViewFixture fx;
    // 20 x 1.25 x 0.3 = 7.5 pixels: the natural takes 7; a flat of 7.56 is not cut
    DrawNaturalBitmap(&fx.view.DrawEngine, 100.0f, 100.0f, Cell(), 1.25f);
    DrawFlatBitmap(&fx.view.DrawEngine, 100.0f, 100.0f, Cell(), 1.4f);
    const auto pictures = fx.canvas.OfOp(TCanvasOp::StretchDraw);
    ASSERT_EQ(pictures.size(), 2u) << fx.canvas.Dump();
    EXPECT_EQ(pictures[0]->RectArg().Width(), 7);
    EXPECT_EQ(pictures[1]->RectArg().Width(), 8);
}

TEST(Accidentals, SignBesideASymbolCell) {
    struct Case {
        bool font;
        uint32_t attr;
        int breakPoint;
        int texts, pictures, fills; // what is drawn
        int x, y;                   // where (text or picture), from the symbol point (100, 200)
    };
    const std::vector<Case> cases = {
        {true, 1, 0, 1, 0, 0, 8, RoundToInt(-0.52f * 40.0f)},
        {true, 0x31, 0, 1, 0, 0, 8, RoundToInt(-0.52f * 40.0f)},     // the style nibble is ignored
        {true, 1, 1, 1, 0, 0, 7, RoundToInt((0.8f - 0.43f) * 40.0f)}, // alternate place
        {true, 2, 0, 1, 0, 0, RoundToInt(0.43f * 20.0f), RoundToInt(-0.47f * 40.0f)},
        {true, 9, 0, 2, 0, 0, 5, RoundToInt((0.3f - 0.48f) * 40.0f)}, // reversed flat, then flat
        {true, 0, 0, 0, 0, 0, 0, 0},
        {true, 10, 0, 0, 0, 0, 0, 0},
        {true, 15, 0, 0, 0, 0, 0, 0},
        {false, 2, 1, 0, 1, 0, RoundToInt(0.43f * 20.0f), RoundToInt(-0.5f * 40.0f)}, // no alternate place
        {false, 3, 0, 0, 1, 0, 7, RoundToInt(-0.52f * 40.0f)},
        {false, 1, 0, 0, 0, 2, 0, 0},
        {false, 4, 0, 0, 0, 0, 0, 0},
        {false, 7, 0, 0, 0, 0, 0, 0},
        {false, 9, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        TMusicFonts fonts(c.font, c.font);
        TViewFixture fx;
        TCell cell = Cell(c.attr);
        cell.breakPoint = c.breakPoint;
        DrawAccidental(&fx.view.DrawEngine, cell, 100.0f, 200.0f);
        const std::string what = "attr " + std::to_string(c.attr) + (c.font ? " font" : " no font") + " bp " +
                                 std::to_string(c.breakPoint) + "\n" + fx.canvas.Dump();
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::TextOut), c.texts) << what;
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::StretchDraw), c.pictures) << what;
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::FillRect), c.fills) << what;
        const TCanvasCall* first = c.texts ? fx.canvas.TextOuts()[0]
                                   : c.pictures ? fx.canvas.OfOp(TCanvasOp::StretchDraw)[0]
                                                : nullptr;
        if (first) {
            EXPECT_EQ(first->Arg(0), 100 + c.x) << what;
            EXPECT_EQ(first->Arg(1), 200 + c.y) << what;
        }
    }
}

TEST(Accidentals, RestPicturesByWidth) {
    TMusicFonts fonts(true, true);
    using TDrawer = void (*)(TDrawEngine*, float, float, const TCell&, float);
    const std::vector<std::pair<TDrawer, float>> cases = {
        {DrawRest4thBitmap, 0.3f},  {DrawRest8thBitmap, 0.5f},  {DrawRest16thBitmap, 0.62f},
        {DrawRest32thBitmap, 0.75f}, {DrawRest64thBitmap, 0.9f}, {DrawRest128thBitmap, 1.05f},
    };
    for (auto [drawer, width] : cases) {
        TViewFixture fx;
        drawer(&fx.view.DrawEngine, 100.0f, 100.0f, Cell(0, 2.0f), 1.0f);
        const auto pictures = fx.canvas.OfOp(TCanvasOp::StretchDraw);
        ASSERT_EQ(pictures.size(), 1u) << width;
        EXPECT_EQ(pictures[0]->RectArg().Width(), RoundToInt(100.0f + 40.0f * width) - 100) << width;
    }
}
