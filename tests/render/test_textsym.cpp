// Text symbols and the cell font colour on the recording canvas.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/modTQUtil.h"
#include "render/modTQDrawTextSym.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQViewFixture.h"

namespace {

// x unit 20, y unit 40, draw scale 20; the symbol is drawn at (100, 200).
TCell Symbol(int id, float size = 1.0f) {
    TCell c;
    c.cellType = ctTextSymbol;
    c.Note = id;
    c.fontSizeR = size;
    return c;
}

void Draw(TViewFixture& fx, const TCell& cell) {
    fx.canvas.Clear();
    DrawTextSymbol(&fx.view.DrawEngine, 100.0f, 200.0f, cell);
}

} // namespace

TEST(TextSymbols, DynamicWithAndWithoutTheMusicFont) {
    struct Case {
        bool font;
        int textSymSize;
        std::string fontName;
        int style;
        int size;
        int y;
    };
    const std::vector<Case> cases = {
        // glyph "f" at yB = y - 0.75 u, size factor 1.4, no style
        {true, 8, "MusicalSymbols", 0, 28, 200 - 30},
        // bold italic "f" in Times New Roman at yC = y, size factor 0.9
        {false, 8, "Times New Roman", fsBold | fsItalic, 18, 200},
        // the preference 16 doubles the size: anchors and font follow
        {true, 16, "MusicalSymbols", 0, 56, RoundToInt(200.0f + (-0.75f - 1.4f) * 40.0f)},
        {false, 16, "Times New Roman", fsBold | fsItalic, 36, RoundToInt(200.0f - 0.6f * 40.0f)},
    };
    for (const Case& c : cases) {
        TMusicFonts fonts(c.font, c.font);
        TViewFixture fx;
        fx.view.TextSymSize = c.textSymSize;
        Draw(fx, Symbol(7));
        const auto texts = fx.canvas.TextOuts();
        ASSERT_EQ(texts.size(), 1u) << fx.canvas.Dump();
        EXPECT_EQ(texts[0]->Text, "f");
        EXPECT_EQ(texts[0]->Font.Name, c.fontName);
        EXPECT_EQ(texts[0]->Font.Style, c.style);
        EXPECT_EQ(texts[0]->Font.Size, c.size);
        EXPECT_EQ(texts[0]->Arg(0), 100);
        EXPECT_EQ(texts[0]->Arg(1), c.y) << c.fontName << " " << c.textSymSize;
        // the note font is back afterwards
        EXPECT_EQ(fx.canvas.Font.Name, fx.view.NoteFontName);
    }
}

TEST(TextSymbols, DynamicsGlyphCodesAndTextForms) {
    struct Piece {
        std::string text;
        int x;
    };
    struct Case {
        int id;
        std::vector<Piece> glyphs; // with the music font, at yB = 170
        std::string text;          // without it, at (100, 200)
    };
    const auto code = [](int c) { return std::string(1, static_cast<char>(c)); };
    const std::vector<Case> cases = {
        {1, {{code(184), 100}}, "ppp"},
        {2, {{code(185), 100}}, "pp"},
        {3, {{"p", 104}}, "p"}, // the single p stands 0.2 column further right
        {4, {{"P", 100}}, "mp"},
        {5, {{code(236), 100}}, "fff"},
        {6, {{code(196), 100}}, "ff"},
        {8, {{"F", 100}}, "mf"},
        {9, {{"S", 100}}, "sf"},
        {10, {{"Z", 100}}, "fz"},
        {11, {{"f", 100}, {"p", 108}}, "fp"}, // the p 0.4 column after the f
    };
    for (const Case& c : cases) {
        for (bool font : {true, false}) {
            TMusicFonts fonts(font, font);
            TViewFixture fx;
            Draw(fx, Symbol(c.id));
            const auto texts = fx.canvas.TextOuts();
            const std::string what = std::to_string(c.id) + (font ? " font" : " no font") + "\n" + fx.canvas.Dump();
            if (font) {
                ASSERT_EQ(texts.size(), c.glyphs.size()) << what;
                for (size_t i = 0; i < texts.size(); ++i) {
                    EXPECT_EQ(texts[i]->Text, c.glyphs[i].text) << what;
                    EXPECT_EQ(texts[i]->Font.Name, "MusicalSymbols") << what;
                    EXPECT_EQ(texts[i]->Arg(0), c.glyphs[i].x) << what;
                    EXPECT_EQ(texts[i]->Arg(1), 170) << what;
                }
            } else {
                ASSERT_EQ(texts.size(), 1u) << what;
                EXPECT_EQ(texts[0]->Text, c.text) << what;
                EXPECT_EQ(texts[0]->Font.Style, fsBold | fsItalic) << what;
                EXPECT_EQ(texts[0]->Arg(0), 100) << what;
                EXPECT_EQ(texts[0]->Arg(1), 200) << what;
            }
        }
    }
}

TEST(TextSymbols, WordsAreNotScaledByTheDynamicsSize) {
    for (int pref : {8, 16}) {
        TViewFixture fx;
        fx.view.TextSymSize = pref;
        Draw(fx, Symbol(22));
        const TCanvasCall* t = fx.canvas.FindText("cresc.");
        ASSERT_NE(t, nullptr) << fx.canvas.Dump();
        EXPECT_EQ(t->Font.Name, "Times New Roman");
        EXPECT_EQ(t->Font.Style, fsItalic);
        EXPECT_EQ(t->Font.Size, 16);
        EXPECT_EQ(t->Arg(1), 208);
    }
}

TEST(TextSymbols, IdsWithoutADrawingDrawNothing) {
    for (int id : {0, 24, 27, 28, 29, 72, 73, 75, 89, 104, -3}) {
        TViewFixture fx;
        Draw(fx, Symbol(id));
        EXPECT_EQ(fx.canvas.size(), 0u) << id << "\n" << fx.canvas.Dump();
    }
}

TEST(TextSymbols, FontsAndStylesOfTheWords) {
    struct Case {
        int id;
        std::string text, font;
        int style, size, x, y;
    };
    const std::vector<Case> cases = {
        {12, "sfp", "Times New Roman", fsBold | fsItalic, 18, 104, 200},
        {14, "D.C.", "Times New Roman", fsBold | fsItalic, 18, 100, 208},
        {26, "Fine", "Times New Roman", fsItalic, 18, 100, 208},
        {85, "Vivace", "Times New Roman", fsBold, 16, 100, 208},
        {79, "Coda", "Times New Roman", fsBold, 18, 100, 208},
        {78, "sff", "Times New Roman", fsBold | fsItalic, RoundToInt(20.0f * 0.9f * 1.13f), 100, 200},
        {33, "Andante", "Arial", fsBold, 16, 100, 208},
        {49, "messo", "Arial", fsItalic, 16, 100, 208},
        {52, "中板", "SimSun", 0, 14, 100, 208},
        {63, "稍弱", "Arial", 0, 14, 100, 208},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        Draw(fx, Symbol(c.id));
        const TCanvasCall* t = fx.canvas.FindText(c.text);
        ASSERT_NE(t, nullptr) << c.id << "\n" << fx.canvas.Dump();
        EXPECT_EQ(t->Font.Name, c.font) << c.id;
        EXPECT_EQ(t->Font.Style, c.style) << c.id;
        EXPECT_EQ(t->Font.Size, c.size) << c.id;
        EXPECT_EQ(t->Arg(0), c.x) << c.id;
        EXPECT_EQ(t->Arg(1), c.y) << c.id;
        EXPECT_EQ(fx.canvas.Font.Name, fx.view.NoteFontName) << c.id;
    }
    // the cell's own style takes every slot
    TViewFixture fx;
    TCell own = Symbol(85);
    own.upNote = 1;
    own.FontStyle = fsItalic | fsUnderline;
    Draw(fx, own);
    ASSERT_NE(fx.canvas.FindText("Vivace"), nullptr);
    EXPECT_EQ(fx.canvas.FindText("Vivace")->Font.Style, fsItalic | fsUnderline);
}

TEST(TextSymbols, OctaveSignsAndTrill) {
    TMusicFonts fonts(true, true);
    TViewFixture fx;
    Draw(fx, Symbol(16));
    const TCanvasCall* eight = fx.canvas.FindText("8");
    const TCanvasCall* va = fx.canvas.FindText("va");
    ASSERT_NE(eight, nullptr);
    ASSERT_NE(va, nullptr);
    EXPECT_EQ(eight->Font.Style, fsBold);
    EXPECT_EQ(eight->Font.Size, RoundToInt(20.0f * 0.9f * 1.1f));
    EXPECT_EQ(va->Font.Style, fsItalic);
    EXPECT_EQ(va->Font.Size, RoundToInt(20.0f * 0.9f * 0.6f));
    // "va" follows the 8 on its top line instead of covering it
    EXPECT_EQ(va->Arg(0), 100 + eight->Extent.cx);
    EXPECT_EQ(va->Arg(1), eight->Arg(1));

    // the trill with a sharp above it, moved down in the alternate place
    for (int bp : {0, 1}) {
        TCell trill = Symbol(15);
        trill.Attr = 1;
        trill.breakPoint = bp;
        Draw(fx, trill);
        const auto texts = fx.canvas.TextOuts();
        ASSERT_EQ(texts.size(), 2u) << fx.canvas.Dump();
        EXPECT_EQ(texts[0]->Text, std::string(1, static_cast<char>(217)));
        EXPECT_EQ(texts[1]->Text, "#");
        const float y = 200.0f - (bp ? 0.27f : 0.37f) * 40.0f + (bp ? 0.8f - 0.43f : -0.52f) * 40.0f;
        EXPECT_EQ(texts[1]->Arg(1), RoundToInt(y)) << bp;
    }
}

TEST(TextSymbols, ColourRules) {
    struct Case {
        const char* what;
        bool otherLayer;
        int flags;          // the third code slot
        int colour;         // the cell's colour word
        bool showChanged;
        int crescRate;      // AdvPlay byte 0
        int id;
        TColor expected;    // 0: current colour, 1: cell colour, 2: highlight, 3: grey
    };
    const TColor cellColour = 0x123456;
    const std::vector<Case> cases = {
        {"plain", false, 0, 0x123456, false, 100, 22, 0},
        {"own colour", false, 2, 0x123456, false, 100, 22, 1},
        {"own colour 32 is none", false, 2, 32, false, 100, 22, 0},
        {"own colour on the other layer", true, 2, 0x123456, false, 100, 22, 3},
        {"changed crescendo", false, 0, 0x123456, true, 60, 22, 2},
        {"changed crescendo, switch off", false, 0, 0x123456, false, 60, 22, 0},
        {"changed crescendo, other layer", true, 0, 0x123456, true, 60, 22, 3},
        {"changed crescendo on a word without it", false, 0, 0x123456, true, 60, 26, 0},
        {"changed crescendo on a Chinese word", false, 0, 0x123456, true, 60, 69, 2},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        TDrawEngine& e = fx.view.DrawEngine;
        e.CurColor = c.otherLayer ? e.HidenLayerColor : 0x0000AA;
        e.ShowChangedRed = c.showChanged;
        TCell cell = Symbol(c.id);
        cell.upNote = c.flags;
        cell.FontColor = c.colour;
        cell.AdvPlay[0] = static_cast<uint8_t>(c.crescRate);
        Draw(fx, cell);
        const auto texts = fx.canvas.TextOuts();
        ASSERT_EQ(texts.size(), 1u) << c.what;
        const TColor expected = c.expected == 0   ? 0x0000AA
                                : c.expected == 1 ? cellColour
                                : c.expected == 2 ? e.EditLayerHighlightColor
                                                  : e.HidenLayerColor;
        EXPECT_EQ(texts[0]->Font.Color, expected) << c.what;
    }
}

TEST(CellColour, RulesByOutputAndKind) {
    struct Case {
        const char* what;
        int cellType;
        int outputKind;
        bool inColour, copyInColour;
        bool changedVolume;
        int flags;
        TColor expected; // 0 current, 1 cell, 2 highlight
    };
    const std::vector<Case> cases = {
        {"note, changed volume, screen", ctJianpu, 0, false, false, true, 0, 2},
        {"text, changed volume, screen", ctText, 0, false, false, true, 2, 1},
        {"note, changed volume, printer", ctJianpu, 1, false, false, true, 0, 0},
        {"note, changed volume, printer in colour", ctJianpu, 1, true, false, true, 0, 2},
        {"own colour on the printer", ctJianpu, 1, false, false, false, 2, 1},
        {"own colour on an exported page", ctJianpu, 2, false, false, false, 2, 0},
        {"own colour on an exported page in colour", ctJianpu, 2, true, false, false, 2, 1},
        {"own colour on a copied page", ctJianpu, 3, false, false, false, 2, 0},
        {"own colour on a copied page in colour", ctJianpu, 3, false, true, false, 2, 1},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        TDrawEngine& e = fx.view.DrawEngine;
        e.CurColor = 0x0000AA;
        e.ShowChangedRed = true;
        fx.view.OutputKind = c.outputKind;
        fx.view.OutputInColor = c.inColour;
        fx.view.ColorCopyImage = c.copyInColour;
        TCell cell;
        cell.cellType = c.cellType;
        cell.Note = '5';
        cell.upNote = c.flags;
        cell.FontColor = 0x123456;
        if (c.changedVolume)
            cell.AdvPlay[1] = 70;
        GetCellColor(&e, cell);
        const TColor expected = c.expected == 0 ? 0x0000AA : c.expected == 1 ? 0x123456 : e.EditLayerHighlightColor;
        EXPECT_EQ(fx.canvas.Font.Color, expected) << c.what;
    }
    // while the other layer is drawn the grey stays, whatever the cell asks
    TViewFixture fx;
    TDrawEngine& e = fx.view.DrawEngine;
    e.CurColor = e.HidenLayerColor;
    TCell cell;
    cell.upNote = 2;
    cell.FontColor = 0x123456;
    GetCellColor(&e, cell);
    EXPECT_EQ(fx.canvas.Font.Color, e.HidenLayerColor);
}

TEST(CellColour, HighlightColourFollowsTheShownLayer) {
    TViewFixture fx(12, 6, 1);
    TDrawEngine& e = fx.view.DrawEngine;
    fx.view.btnLayerImageIndex = 60;
    CurLayer = 0;
    EXPECT_EQ(GetHighlightColor(&e), e.EditLayerHighlightColor);
    CurLayer = 1;
    EXPECT_EQ(GetHighlightColor(&e), e.OtherLayerHighlightColor);
    fx.view.btnLayerImageIndex = 61;
    EXPECT_EQ(GetHighlightColor(&e), e.EditLayerHighlightColor);
    CurLayer = 0;
}
