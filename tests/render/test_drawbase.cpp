// The drawing object: text and glyph primitives, percussion syllables, symbol
// images and their colour slots, picture files.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <stdexcept>

#include "platform/core/TQStrings.h"
#include "platform/gui/TQBitmap.h"
#include "platform/gui/TQGlyphMap.h"
#include "render/modTQCvsDraw.h"
#include "tests/render/TQViewFixture.h"
#include "tests/support/TQTestSupport.h"

// x unit 20, y unit 40, draw scale 20 (DrawUnit 20 at zoom 1).

TEST(DrawBase, PageCoordinates) {
    TViewFixture fx;
    TDrawEngine& e = fx.view.DrawEngine;
    EXPECT_EQ(e.GetLeftMarginPx(), 60);
    EXPECT_EQ(e.GetTopMarginPx(), 50);
    fx.view.DrawSizeFactor = 0.7f;
    EXPECT_EQ(fx.view.GetCellHeight(), 28);
    EXPECT_EQ(e.GetBaseYUnit(), 40) << "row positions ignore the size factor";
    EXPECT_EQ(fx.view.GetCellWidth(), 20);
    fx.view.Zoom = 1.5;
    EXPECT_EQ(e.GetLeftMarginPx(), 90);
    EXPECT_EQ(e.GetBaseYUnit(), 60);
}

TEST(DrawBase, MainViewIsCheckedAndTheDrawingObjectStartsOnScreen) {
    TMainScore plain;
    TMainScore* previous = frmMainTQ;
    frmMainTQ = &plain;
    EXPECT_THROW(MainView(), std::logic_error);
    frmMainTQ = nullptr;
    EXPECT_THROW(MainView(), std::logic_error);
    frmMainTQ = previous;
    TViewFixture fx;
    EXPECT_EQ(MainView(), &fx.view);
    EXPECT_EQ(fx.view.OutputKind, 0);
    fx.view.OutCanvas = nullptr;
    EXPECT_THROW(DrawLine(0, 0, 5, 5), std::logic_error);
    fx.view.OutCanvas = &fx.canvas;
    EXPECT_EQ(fx.view.DrawEngine.SelectionColor, 0x00FFFF);
}

TEST(DrawBase, TextInNamedFonts) {
    TViewFixture fx;
    TDrawEngine& e = fx.view.DrawEngine;
    fx.view.NoteFontName = "Arial";
    fx.view.NoteFontStyle = 1;
    TCell cell;
    cell.fontSizeR = 0.5f;

    e.DrawTimesText(10.4f, 20.5f, "x", cell, 1.5f);
    const TCanvasCall* t = fx.canvas.Last(TCanvasOp::TextOut);
    EXPECT_EQ(t->Font.Name, "Times New Roman");
    EXPECT_EQ(t->Font.Size, 15); // 20 x 0.5 x 1.5
    EXPECT_EQ(t->Arg(0), 10);
    EXPECT_EQ(t->Arg(1), 21);
    EXPECT_EQ(t->Brush.Style, bsClear);
    EXPECT_EQ(fx.canvas.Font.Name, "Arial") << "the note font is restored";
    EXPECT_EQ(fx.canvas.Font.Style, 1);

    // A text cell with an angle goes through a created font.
    TCell turned;
    turned.cellType = ctText;
    turned.dot = 450;
    e.DrawTimesText(10.0f, 20.0f, "x", turned, 1.0f);
    ASSERT_TRUE(fx.canvas.Last(TCanvasOp::TextOut)->LogFont.has_value());
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::TextOut)->LogFont->Escapement, 450);
    // Only text cells: a Jianpu cell's dot word counts octaves, not tenths of a degree.
    TCell jianpu;
    jianpu.dot = 2;
    e.DrawArialText(10.0f, 20.0f, "5", jianpu, 1.0f);
    EXPECT_FALSE(fx.canvas.Last(TCanvasOp::TextOut)->LogFont.has_value());
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::TextOut)->Font.Name, "Arial");
}

TEST(DrawBase, GlyphTextWithAWidthFactor) {
    TViewFixture fx;
    TDrawEngine& e = fx.view.DrawEngine;
    TCell cell;
    e.DrawCharGlyph("Toccata", 100.0f, 50.0f, 231, cell, 2.0f, 1, 0.6f);
    const TCanvasCall* t = fx.canvas.Last(TCanvasOp::TextOut);
    ASSERT_TRUE(t->LogFont.has_value());
    // h = round(0.5 x 20 x 2) = 20: height 56, width 12, weight 700 for bold
    EXPECT_EQ(t->LogFont->Height, 56);
    EXPECT_EQ(t->LogFont->Width, 12);
    EXPECT_EQ(t->LogFont->Weight, 700);
    EXPECT_EQ(t->LogFont->FaceName, "Toccata");
    EXPECT_EQ(t->Text, std::string(1, static_cast<char>(231))) << "music fonts take the byte itself";
    EXPECT_EQ(t->Arg(0), 102); // 0.1 x unit right
    EXPECT_EQ(t->Arg(1), 72);  // 0.55 y unit down
    EXPECT_EQ(fx.canvas.SelectedLogFont(), nullptr);

    // A text font takes the character of the Western code page.
    e.DrawCharGlyph("Arial", 0.0f, 0.0f, 0xB7, cell, 1.0f);
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::TextOut)->Text, "\xC2\xB7");

    // The screen text correction moves and scales the text: a window font of
    // height 11 (-11 is the default) gives a shift of -21 and a scale of 10/11;
    // here a font of height 20, scale 0.5.
    fx.view.MainFontHeight = 11;
    fx.view.SetScreenTextCorrection();
    EXPECT_EQ(ScreenTextShift, -21);
    fx.view.MainFontHeight = -20;
    fx.view.SetScreenTextCorrection();
    EXPECT_EQ(ScreenTextShift, 10);
    EXPECT_FLOAT_EQ(ScreenTextScale, 0.5f);
    ScreenTextShift = -21;
    e.DrawGlyphString("Arial", 0.0f, 100.0f, "ab", cell, 2.0f);
    t = fx.canvas.Last(TCanvasOp::TextOut);
    EXPECT_EQ(t->Arg(1), 83); // 100 + 40 x -21 x 0.02
    EXPECT_EQ(t->Font.Size, 20);
    ScreenTextShift = 0;
    ScreenTextScale = 1.0f;
}

TEST(DrawBase, PercussionSyllablesAndChineseText) {
    TViewFixture fx;
    TDrawEngine& e = fx.view.DrawEngine;
    TCell cell;
    e.DrawPercussionSyllable(100.0f, 50.0f, 10022, cell);
    e.DrawPercussionSyllable(100.0f, 50.0f, 9999, cell);
    EXPECT_EQ(fx.canvas.size(), 0u);

    e.DrawPercussionSyllable(100.0f, 50.0f, 10000, cell);
    e.DrawPercussionSyllable(100.0f, 50.0f, 10021, cell);
    ASSERT_EQ(fx.canvas.texts(), (std::vector<std::string>{"八", "噜"}));
    const TCanvasCall* t = fx.canvas.FindText("八");
    EXPECT_EQ(t->Arg(0), 102); // 0.1 x unit right
    EXPECT_EQ(t->Arg(1), 68);  // 0.45 y unit down
    EXPECT_EQ(t->Font.Name, "SimSun");
    EXPECT_EQ(t->Font.Size, 12); // factor 0.6

    // A larger cell moves the anchor left and up; its own font applies with flag 4.
    fx.canvas.Clear();
    TCell own;
    own.fontSizeR = 2.0f;
    own.upNote = 4 | 1;
    own.FontName = "Arial";
    own.FontStyle = fsItalic;
    e.DrawPercussionSyllable(100.0f, 50.0f, 10001, own);
    t = fx.canvas.FindText("大");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Arg(0), 98);  // (0.1 - 0.2) x 20
    EXPECT_EQ(t->Arg(1), 64);  // (0.45 - 0.1) x 40
    EXPECT_EQ(t->Font.Name, "Arial");
    EXPECT_EQ(t->Font.Style, fsItalic);

    fx.canvas.Clear();
    SetBoldChineseChars(true);
    e.DrawChineseChar(0.0f, 0.0f, "工", cell);
    SetBoldChineseChars(false);
    t = fx.canvas.Last(TCanvasOp::TextOut);
    EXPECT_EQ(t->Font.Name, "黑体");
    EXPECT_EQ(t->Font.Style, fsBold);
    EXPECT_EQ(t->Font.Color, e.MainLayerColor);
    EXPECT_EQ(t->Font.Size, 11); // 20 x 0.55
}

TEST(DrawBase, RecolourOnlyDarkPixels) {
    TBitmap b(3, 1);
    b.SetPixel(0, 0, RGBColor(99, 99, 99));
    b.SetPixel(1, 0, RGBColor(100, 0, 0));
    b.SetPixel(2, 0, RGBColor(0, 0, 0));
    TDrawBaseObj::RecolourBitmap(b, 0x0000FF);
    EXPECT_EQ(b.Pixel(0, 0), 0x0000FF);
    EXPECT_EQ(b.Pixel(1, 0), RGBColor(100, 0, 0));
    EXPECT_EQ(b.Pixel(2, 0), 0x0000FF);
}

TEST(DrawBase, SymbolImagesByColourSlot) {
    ASSERT_TRUE(LoadProgramFonts(tqtest::ProgramFolder().string() + "/")) << "the music font is needed";
    TViewFixture fx;
    TDrawEngine& e = fx.view.DrawEngine;
    TDrawBaseObj::FreeSymbolBitmaps();
    e.CurColor = e.MainLayerColor;
    TBitmap* main = e.GetSymbolBitmap(siFlat);
    ASSERT_NE(main, nullptr);
    e.CurColor = 0x123456; // none of the seven: the main-layer slot
    EXPECT_EQ(e.GetSymbolBitmap(siFlat), main);
    e.CurColor = e.HidenLayerColor;
    TBitmap* hidden = e.GetSymbolBitmap(siFlat);
    ASSERT_NE(hidden, nullptr);
    EXPECT_NE(hidden, main);
    // the hidden-layer copy carries its ink colour
    bool grey = false;
    for (int y = 0; y < hidden->Height() && !grey; ++y)
        for (int x = 0; x < hidden->Width() && !grey; ++x)
            grey = hidden->Pixel(x, y) == e.HidenLayerColor;
    EXPECT_TRUE(grey);
    EXPECT_EQ(e.GetSymbolBitmap(-1), nullptr);
    EXPECT_EQ(e.GetSymbolBitmap(kSymbolCount), nullptr);

    // A zero height keeps the picture's aspect ratio, on screen and on paper.
    for (int kind : {0, 1}) {
        fx.canvas.Clear();
        fx.view.OutputKind = kind;
        e.CurColor = e.MainLayerColor;
        ASSERT_TRUE(e.DrawSymbolBitmap(10.0f, 20.0f, 30.0f, siFlat));
        const TCanvasCall* s = fx.canvas.Last(TCanvasOp::StretchDraw);
        ASSERT_NE(s, nullptr);
        const int expectedH = RoundToInt(30.0 * main->Height() / main->Width());
        EXPECT_EQ(s->RectArg(), (TRect{10, 20, 40, 20 + expectedH})) << kind;
        EXPECT_TRUE(s->Transparent);
        EXPECT_EQ(s->TransparentColor, clWhite);
    }
    TDrawBaseObj::FreeSymbolBitmaps();
}

TEST(DrawBase, PictureFiles) {
    tqtest::TempDir dir;
    const std::string path = (dir / "pic.bmp").string();
    {
        TBitmap pic(40, 20);
        pic.Canvas().Brush.Color = clBlack;
        pic.Canvas().FillRect({0, 0, 20, 20});
        ASSERT_TRUE(pic.SaveToFile(path));
    }
    TViewFixture fx;
    TDrawEngine& e = fx.view.DrawEngine;
    e.CurColor = 0;
    EXPECT_FALSE(e.DrawImageFile(0, 0, 10, (dir / "missing.bmp").string()));
    EXPECT_TRUE(e.DrawImageFile(0, 0, 0, path, 0));
    EXPECT_EQ(fx.canvas.size(), 0u) << "no size: nothing drawn";

    EXPECT_TRUE(e.DrawImageFile(5.5f, 6.0f, 20.0f, path));
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::StretchDraw)->RectArg(), (TRect{6, 6, 26, 16}));
    TRect measured;
    EXPECT_TRUE(e.DrawImageFileEx(0, 0, 0, path, 30.0f, &measured, true));
    EXPECT_EQ(measured, (TRect{0, 0, 60, 30}));
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::StretchDraw), 1) << "measuring draws nothing";

    // In another colour the recoloured copy is made once, beside the picture.
    e.CurColor = 255;
    EXPECT_TRUE(e.DrawImageFile(0, 0, 20.0f, path));
    const std::string copy = (dir / "pic255.bmp").string();
    ASSERT_TRUE(std::filesystem::exists(copy));
    TBitmap recoloured;
    ASSERT_TRUE(recoloured.LoadFromFile(copy));
    EXPECT_EQ(recoloured.Pixel(5, 5), e.HidenLayerColor);
    EXPECT_EQ(recoloured.Pixel(30, 5), clWhite);
}
