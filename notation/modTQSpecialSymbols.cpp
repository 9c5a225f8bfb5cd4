// Symbol cells: one to three palette symbols stacked in a cell, or a row of
// small symbol groups for a cell in list form, and the drawing of each symbol
// id. DrawSpecialSymbol, DrawStackedSymbols and DrawCellSymbolList are declared
// in notation/modTQNotationApi.h.
#include <string>

#include "model/modTQCellAccess.h"
#include "model/modTQPredicates.h"
#include "notation/modTQArcArrows.h"
#include "notation/modTQMarkGlyphs.h"
#include "notation/modTQNotationApi.h"
#include "notation/modTQSymbolDrawers.h"
#include "platform/gui/TQGlyphMap.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawAccid.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQDrawJianpu.h"
#include "render/modTQMainView.h"

namespace {

const char* const kMusical = "MusicalSymbols";
const char* const kToccata = "Toccata";
constexpr int kEmptySlot = 32;

float XUnit() { return static_cast<float>(MainView()->GetCellWidth()); }
float YUnit() { return static_cast<float>(MainView()->GetCellHeight()); }

// One symbol drawn at the symbol point (x, y) with the size and attributes of
// cell, which is the cell's own copy or, in list form, a reduced copy.
class TSymbolPainter {
public:
    TSymbolPainter(TDrawEngine* d, float x, float y, const TCell& cell, int col)
        : d_(d), x_(x), y_(y), cell_(cell), col_(col), f_(cell.fontSizeR), W_(XUnit()), H_(YUnit()) {}

    void Draw(int id);

private:
    // The point placed at (a + c (f - 1)) W, (b + e (f - 1)) H from the symbol point.
    float PX(float a, float c = 0.0f) const { return x_ + (a + c * (f_ - 1.0f)) * W_; }
    float PY(float b, float e = 0.0f) const { return y_ + (b + e * (f_ - 1.0f)) * H_; }

    static bool Has(const char* font, int code) { return HasMusicGlyph(font, code); }
    bool MusicalInstalled() const { return MusicFontInstalled(kMusical); }

    // A music-font character; nothing when the glyph map lacks it.
    bool Glyph(const char* font, int code, float k, float a, float b, float c, float e, int style = 0,
               float narrow = 0.0f, int angle = 0) {
        if (!Has(font, code))
            return false;
        d_->DrawCharGlyph(font, PX(a, c), PY(b, e), code, cell_, k, style, narrow, angle);
        return true;
    }
    // A Chinese character at k times the cell's size.
    void Chinese(const char* text, float k, float a, float b, float c, float e) {
        TCell sized = cell_;
        sized.fontSizeR = cell_.fontSizeR * k;
        d_->DrawChineseChar(PX(a, c), PY(b, e), text, sized);
    }
    void Bitmap(int index, float width, float a, float b, float c = 0.0f, float e = 0.0f) {
        d_->DrawSymbolBitmap(PX(a, c), PY(b, e), width, index);
    }
    void Accidental(float a, float c) { DrawAccidental(d_, cell_, PX(a, c), y_); }
    // A wave of ids 107, 108, 142 and 143: glyph, or its symbol image.
    void Wave(int code, float a, float b, float c, float e, int image, float ba, float bb, float bc, float be) {
        if (!(MusicalInstalled() && Glyph(kMusical, code, 1.2f, a, b, c, e)))
            Bitmap(image, 0.8f * W_ * f_, ba, bb, bc, be);
    }
    // A fingering digit of ids 123 to 128.
    void Digit(const char* text, float a, float c) {
        const int code = static_cast<unsigned char>(text[0]);
        if (!(MusicalInstalled() && Glyph(kMusical, code, 2.2f, a, -0.5f, c, -0.85f, 0, 0.6f)))
            DrawTimesLabel(d_, PX(0.0f, -0.21f), PY(0.0f, -0.43f), cell_, text, 0.7f);
    }
    void Roman(const char* text, float a, float c) {
        DrawTimesLabel(d_, PX(a, c), PY(0.03f, -0.4f), cell_, text, 0.7f);
    }
    // A "Toccata" arrow: the glyph when there is one, else its arc drawer.
    using TArcDrawer = void (*)(TDrawEngine*, float, float, const TCell&, uint8_t, float);
    void ToccataArrow(int code, float a, float b, float c, float e, TArcDrawer arc, uint8_t endFlag, float narrow = 0.0f,
                      int angle = 0) {
        if (!(MusicFontInstalled(kToccata) && Glyph(kToccata, code, 1.0f, a, b, c, e, fsBold, narrow, angle)))
            arc(d_, x_, y_, cell_, endFlag, 1.0f);
    }

    TDrawEngine* d_;
    float x_, y_;
    const TCell& cell_;
    int col_;
    float f_, W_, H_;
};

void TSymbolPainter::Draw(int id) {
    TDrawEngine* d = d_;
    const float x = x_, y = y_;
    const TCell& cell = cell_;
    switch (id) {
    case 1:
        DrawFermata(d, x, y, cell, false);
        break;
    case 2:
        DrawRisingSlash(d, x, y);
        break;
    case 3:
        DrawFallingSlash(d, x, y);
        break;
    case 4:
        Glyph(kMusical, 126, 1.0f, 0.23f, -0.03f, -0.27f, -0.8f);
        break;
    case 5:
        DrawHookRight(d, x, y, cell);
        break;
    case 6:
        DrawHookLeft(d, x, y, cell);
        break;
    case 7:
        DrawWedgeUp(d, x, y, cell);
        break;
    case 8:
        DrawWedgeDown(d, x, y, cell);
        break;
    case 9:
        if (MusicalInstalled() && Has(kMusical, 62))
            DrawAccentGlyph(d, PX(0.25f, -0.3f), PY(0.02f, -0.9f), cell, 1.0f);
        else
            DrawAccentVector(d, PX(0.25f, 0.5f), PY(0.02f, -0.1f), cell, 1.0f);
        break;
    case 10:
        Chinese("。", 2.0f, 0.05f, -0.3f, -0.4f, -0.65f);
        break;
    case 11:
        DrawCupBracket(d, x, y, 1, false);
        break;
    case 12:
        DrawCupBracket(d, x, y, 2, false);
        break;
    case 13:
        DrawTremoloStrokes(d, x, y, cell);
        break;
    case 14:
        if (MusicalInstalled() && Has(kMusical, 35))
            DrawSharpGlyph(d, PX(0.35f, -0.15f), PY(-0.21f, -1.15f), cell, 1.0f);
        else
            DrawSharpVector(d, PX(0.5f, 0.0f), PY(0.71f, -0.25f), cell, 1.0f, 2);
        break;
    case 15:
        if (MusicalInstalled() && Has(kMusical, 98))
            DrawFlatGlyph(d, PX(0.35f, -0.12f), PY(-0.32f, -1.25f), cell, 1.2f);
        else
            DrawFlatBitmap(d, PX(0.33f, -0.12f), PY(0.43f, -0.5f), cell, 1.25f);
        break;
    case 16:
        Chinese("宀", 1.0f, 0.03f, 0.2f, -0.35f, -0.15f);
        break;
    case 17:
    case 18:
    case 19:
        DrawChineseNumeral(d, x, y, id - 16, cell);
        break;
    case 20:
        DrawCapBracket(d, x, y, false);
        break;
    case 21:
        DrawCupBracket(d, x, y, 0, false);
        break;
    case 22:
        DrawStackedArcs(d, x, y, 1, 1);
        break;
    case 23:
        DrawBracketWithArc(d, x, y, 1, false, false);
        break;
    case 24:
        Chinese("四", 1.0f, 0.03f, 0.04f, -0.35f, -0.3f);
        break;
    case 25:
        DrawVeeOverBar(d, x, y);
        break;
    case 26:
        DrawGlyph174Mark(d, PX(0.3f, -0.25f), PY(-1.35f, -2.2f), cell, true, 1.0f);
        break;
    case 27:
        Chinese("左", 1.0f, 0.03f, 0.05f, -0.35f, -0.35f);
        break;
    case 28:
        Chinese("右", 1.0f, 0.03f, 0.05f, -0.35f, -0.35f);
        break;
    case 29:
        DrawFramedGroupA(d, x, y, false);
        break;
    case 30:
        DrawCrossX(d, x, y, cell);
        break;
    case 31:
        DrawPlusSign(d, x, y, cell);
        break;
    case 33:
        d->DrawGlyphString("Times New Roman", PX(0.25f, -0.23f), PY(-0.13f, -1.05f), ",", cell, 1.5f);
        break;
    case 34:
        DrawSlashMarks(d, PX(0.0f, -0.35f), PY(0.0f, -0.15f), cell, 3);
        break;
    case 35:
        Chinese("内", 1.0f, 0.03f, 0.04f, -0.35f, -0.35f);
        break;
    case 36:
        Chinese("外", 1.0f, 0.03f, 0.04f, -0.35f, -0.35f);
        break;
    case 38:
        DrawSlantedStrokes(d, x, y);
        break;
    case 39:
        DrawCoda(d, x, y, cell);
        break;
    case 40:
        DrawSegno(d, x, y, cell);
        break;
    case 41:
        if (MusicalInstalled() && Has(kMusical, 110))
            DrawNaturalGlyph(d, PX(0.4f, -0.15f), PY(-0.33f, -1.26f), cell, 1.1f);
        else
            DrawNaturalBitmap(d, PX(0.35f, -0.15f), PY(0.45f, -0.5f), cell, 1.1f);
        break;
    case 42:
        DrawThreeBarsStem(d, x, y);
        break;
    case 43:
        DrawThreeBarsRightStem(d, x, y);
        break;
    case 44:
        FillBar(PX(0.2f, -0.32f), PY(0.8f, -0.1f), static_cast<int>(0.65f * W_ * f_), static_cast<int>(0.1f * H_ * f_),
                d->CurColor);
        break;
    case 45:
        DrawGlyph174Mark(d, PX(0.65f, 0.33f), PY(1.8f, 1.15f), cell, false, 1.8f);
        break;
    case 46:
        DrawMeasureRepeat(d, x, y, cell);
        break;
    case 47:
        DrawBrokenX(d, x, y, cell);
        break;
    case 48:
        DrawThreeSpokes(d, x, y, cell);
        break;
    case 49:
        DrawCircledX(d, x, y);
        break;
    case 50:
        // The hollow diamond: the glyph, or the drawn outline.
        if (!(MusicalInstalled() && Glyph(kMusical, 225, 5.0f, 0.15f, -1.55f, -0.3f, -1.92f, 0, 0.3f)))
            DrawDiamond(d, x, y, cell, 1.0f, false);
        break;
    case 51:
        DrawFilledSquare(d, x, y, cell);
        break;
    case 52:
        DrawZStroke(d, x, y);
        break;
    case 53:
        Chinese("勹", 1.0f, 0.03f, 0.05f, -0.35f, -0.3f);
        break;
    case 54:
        DrawStackedArcs(d, x, y, 2, 1);
        break;
    case 55:
        DrawStackedArcs(d, x, y, 3, 1);
        break;
    case 56:
        DrawStackedArcs(d, x, y, 1, -1);
        break;
    case 57:
        DrawHatchedBox(d, x, y);
        break;
    case 58:
        DrawBracketedBar(d, x, y);
        break;
    case 59:
        DrawNestedCorners(d, x, y, false, false);
        break;
    case 60:
        DrawNestedCorners(d, x, y, true, false);
        break;
    case 61:
        DrawInterlockedCorners(d, x, y);
        break;
    case 62:
        DrawCurvedArrowVectorJ(d, x, y, cell, 0, 1.0f);
        break;
    case 63:
        DrawCurvedArrowVectorI(d, x, y, cell, 0, 1.0f);
        break;
    case 64:
        DrawBracketWithArc(d, x, y, -1, false, false);
        break;
    case 65:
        DrawBracketWithArc(d, x, y, 1, true, false);
        break;
    case 66:
        DrawFramedGroupB(d, x, y, false);
        break;
    case 67:
        DrawFramedGroupC(d, x, y);
        break;
    case 68:
        DrawCapBracket(d, x, y, true);
        break;
    case 69:
        DrawCupBracket(d, x, y, 1, true);
        break;
    case 70:
        DrawCupBracket(d, x, y, 2, true);
        break;
    case 71:
        DrawBracketWithArc(d, x, y, 1, false, true);
        break;
    case 72:
        DrawBracketWithArc(d, x, y, -1, false, true);
        break;
    case 73:
        DrawBracketWithArc(d, x, y, 1, true, true);
        break;
    case 74:
        DrawFramedGroupA(d, x, y, true);
        break;
    case 75:
        DrawFramedGroupB(d, x, y, true);
        break;
    case 76:
        DrawCupBracket(d, x, y, 0, true);
        break;
    case 77:
        DrawCupWithBar(d, x, y, false);
        break;
    case 78:
        DrawCupWithBar(d, x, y, true);
        break;
    case 79:
        DrawNestedCorners(d, x, y, false, true);
        break;
    case 80:
        DrawCaesura(d, x, y, cell);
        break;
    case 81:
        Chinese("勾", 1.0f, 0.03f, 0.05f, -0.35f, -0.3f);
        break;
    case 82:
        DrawTickMark(d, x, y);
        break;
    case 83:
        DrawDownArrowBar(d, x, y);
        break;
    case 84:
        d->DrawArialText(PX(0.25f, -0.26f), PY(0.6f, -0.25f), "*", cell, 1.0f);
        break;
    case 85:
        DrawBitmapIjSymbol(d, x, y, cell);
        break;
    case 86:
        if (!(MusicalInstalled() && Glyph(kMusical, 161, 0.9f, 0.0f, 0.08f, -0.5f, -0.85f)))
            Bitmap(siPaddleDown, W_, 0.0f, 0.65f);
        break;
    case 87:
        if (!(MusicalInstalled() && Glyph(kMusical, '*', 1.5f, 0.14f, -0.45f, -0.35f, -1.3f)))
            Bitmap(siPaddleUp, 0.85f * W_, 0.08f, 0.58f);
        break;
    case 88:
    case 141:
        DrawTurn(d, x, y, cell, id);
        break;
    case 90:
        DrawDoubleHook(d, x, y, cell);
        break;
    case 91:
        ToccataArrow(231, 0.2f, 0.28f, -0.35f, -0.65f, DrawCurvedArrowVectorC, 1);
        break;
    case 92:
        ToccataArrow(246, 0.2f, 0.3f, -0.35f, -0.65f, DrawCurvedArrowVectorD, 0);
        break;
    case 93:
        DrawAsteriskSymbol(d, PX(0.28f, -0.23f), PY(0.58f, -0.3f), cell, 1.0f);
        break;
    case 94:
        DrawHollowDiamond(d, x, y, cell);
        break;
    case 95:
        DrawWaveSign(d, x, y, cell);
        break;
    case 96:
        Chinese("空", 1.0f, 0.03f, 0.04f, -0.35f, -0.35f);
        break;
    case 97:
    case 98:
    case 99:
        DrawVerticalTicks(d, x, y, cell, id);
        break;
    case 100:
        Chinese("☆", 1.0f, 0.03f, 0.05f, -0.35f, -0.35f);
        break;
    case 101:
        Chinese("★", 1.0f, 0.03f, 0.05f, -0.35f, -0.35f);
        break;
    case 102:
        Chinese("◎", 1.0f, 0.03f, 0.05f, -0.35f, -0.3f);
        break;
    case 103:
        Chinese("※", 1.0f, 0.03f, 0.05f, -0.35f, -0.3f);
        break;
    case 104:
        DrawVerticalArrow(d, x, y, cell, true);
        break;
    case 105:
        DrawVerticalArrow(d, x, y, cell, false);
        break;
    case 106:
        ToccataArrow(253, 0.05f, -0.02f, -0.35f, -0.4f, DrawCurvedArrowVectorG, 1, 1.0f, 50);
        break;
    case 107:
        Wave('m', 0.05f, -0.2f, -0.4f, -1.1f, siSWave, 0.1f, 0.76f, -0.4f, -0.2f);
        Accidental(-0.05f, -0.15f);
        break;
    case 108:
        Wave('M', 0.05f, -0.17f, -0.45f, -1.11f, siSWave1, 0.12f, 0.73f, -0.4f, -0.18f);
        Accidental(0.0f, -0.2f);
        break;
    case 109:
        DrawFermata(d, x, y, cell, true);
        break;
    case 110:
        if (MusicalInstalled())
            Glyph(kMusical, '$', 1.0f, 0.2f, -0.1f, -0.3f, -0.9f);
        break;
    case 111:
        DrawDownBow(d, x, y, cell);
        break;
    case 113:
        DrawHorizontalArrow(d, x, y, cell, true);
        break;
    case 114:
        DrawHorizontalArrow(d, x, y, cell, false);
        break;
    case 115:
        DrawDiagonalArrow(d, x, y, cell, true);
        break;
    case 116:
        DrawDiagonalArrow(d, x, y, cell, false);
        break;
    case 117:
        DrawCommonTimeSymbol(d, x, y, cell, true);
        break;
    case 118:
        DrawCommonTimeSymbol(d, x, y, cell, false);
        break;
    case 119:
        if (MusicalInstalled())
            DrawThreeQuarterSharp(d, PX(0.32f, -0.2f), PY(0.05f, -0.8f), cell, 1.0f);
        else
            DrawSharpVector(d, PX(0.5f, -0.05f), PY(0.72f, -0.25f), cell, 1.0f, 3);
        break;
    case 120:
        if (MusicalInstalled() && Has(kMusical, 186))
            DrawDoubleFlatGlyph(d, PX(0.27f, -0.2f), PY(-0.3f, -1.25f), cell, 1.2f);
        else
            DrawDoubleFlatBitmap(d, PX(0.55f, 0.1f), PY(0.42f, -0.5f), cell, 1.3f);
        break;
    case 121:
        if (MusicalInstalled() && Has(kMusical, 220))
            DrawDoubleSharpGlyph(d, PX(0.25f, -0.35f), PY(-0.4f, -1.25f), cell, 1.3f);
        else
            DrawDoubleSharpBitmap(d, PX(0.28f, -0.2f), PY(0.65f, -0.3f), cell, 1.3f);
        break;
    case 122:
        if (!(MusicalInstalled() && Glyph(kMusical, 116, 1.45f, -0.03f, 1.04f, -0.53f, -1.34f)))
            Bitmap(siGita, 2.09f * W_, 0.0f, 0.06f, -0.043f, -0.85f);
        break;
    case 123:
        Digit("0", 0.12f, -0.3f);
        break;
    case 124:
        Digit("1", 0.2f, -0.23f);
        break;
    case 125:
        Digit("2", 0.13f, -0.23f);
        break;
    case 126:
        Digit("3", 0.13f, -0.23f);
        break;
    case 127:
        Digit("4", 0.13f, -0.23f);
        break;
    case 128:
        Digit("5", 0.13f, -0.23f);
        break;
    case 130:
        Roman("I", 0.1f, -0.1f);
        break;
    case 131:
        Roman("II", -0.1f, -0.2f);
        break;
    case 132:
        Roman("III", -0.2f, -0.3f);
        break;
    case 133:
        Roman("IV", -0.28f, -0.4f);
        break;
    case 134:
        Roman("V", -0.15f, -0.35f);
        break;
    case 135:
        Roman("VI", -0.26f, -0.45f);
        break;
    case 136:
        Roman("VII", -0.38f, -0.5f);
        break;
    case 137:
        Roman("VIII", -0.55f, -0.7f);
        break;
    case 139:
        if (MusicalInstalled() && Has(kMusical, 209))
            DrawGlyph209Mark(d, PX(0.25f, -0.3f), PY(-1.1f, -1.4f), cell, true, 1.0f);
        else
            DrawTriangleUp(d, PX(0.0f, 0.0f), PY(0.1f, -0.05f), cell, true, 1.0f);
        break;
    case 140:
        if (MusicalInstalled() && Has(kMusical, 177))
            DrawGlyph209Mark(d, PX(-0.05f, -0.2f), PY(-0.32f, -0.3f), cell, false, 1.8f);
        else
            DrawTriangleUp(d, x, PY(0.1f), cell, false, 1.0f);
        break;
    case 142:
    case 143:
        Wave(181, -0.18f, -0.2f, -0.6f, -1.1f, siLWave, 0.1f, id == 142 ? 0.78f : 0.79f, -0.4f, -0.2f);
        if (id == 143)
            FillBar(PX(0.5f, 0.0f), PY(0.65f, -0.25f), static_cast<int>((0.08f + 0.05f * (f_ - 1.0f)) * W_),
                    static_cast<int>((0.4f + 0.3f * (f_ - 1.0f)) * H_), d->CurColor);
        Accidental(-0.05f, -0.15f);
        break;
    case 144:
        if (MusicalInstalled())
            Glyph(kMusical, 172, 1.0f, 0.33f, 0.0f, -0.2f, -0.9f);
        break;
    case 145:
        if (MusicalInstalled())
            Glyph(kMusical, 232, 1.0f, 0.33f, 0.0f, -0.2f, -0.9f);
        break;
    case 147:
        if (MusicalInstalled())
            DrawReversedFlat(d, PX(0.3f, -0.12f), PY(0.0f, -0.9f), cell, 1.2f);
        else
            DrawReversedFlatBitmap(d, PX(0.3f, -0.12f), PY(0.45f, -0.5f), cell, 0.38f);
        break;
    case 148:
        if (MusicalInstalled())
            DrawHalfSharp(d, PX(0.4f, -0.1f), PY(0.08f, -0.75f), cell, 1.0f);
        else
            DrawSharpVector(d, PX(0.5f, 0.0f), PY(0.73f, -0.2f), cell, 1.0f, 1);
        break;
    case 149:
        DrawThreeQuarterFlatBitmap(d, PX(0.15f, -0.35f), PY(0.4f, -0.5f), cell, 1.2f);
        break;
    case 150:
        DrawRepeatSlashDots(d, x, y, cell, false);
        break;
    case 151:
        Glyph(kMusical, 34, 1.0f, 0.17f, 0.0f, -0.38f, -0.9f, fsBold);
        break;
    case 152:
        Glyph(kToccata, 70, 1.0f, 0.1f, 0.3f, -0.4f, -0.6f, fsBold);
        break;
    case 153:
        Glyph(kToccata, 81, 1.8f, 0.25f, -0.4f, -0.25f, -1.3f);
        break;
    case 154:
        Glyph(kToccata, 72, 1.5f, 0.06f, -0.1f, -0.5f, -1.05f);
        break;
    case 155:
        Glyph(kToccata, 78, 1.5f, 0.06f, -0.1f, -0.5f, -1.05f);
        break;
    case 156:
        Glyph(kToccata, 85, 0.8f, 0.14f, 0.4f, -0.37f, -0.55f);
        break;
    case 157:
        Glyph(kToccata, 86, 0.8f, 0.14f, 0.4f, -0.37f, -0.55f);
        break;
    case 158:
        ToccataArrow(230, 0.14f, 0.28f, -0.3f, -0.65f, DrawCurvedArrowVectorE, 1);
        break;
    case 159:
        ToccataArrow(232, 0.14f, 0.28f, -0.3f, -0.65f, DrawCurvedArrowVectorD, 1);
        break;
    case 160:
        ToccataArrow(233, 0.14f, 0.28f, -0.3f, -0.65f, DrawCurvedArrowVectorF, 1);
        break;
    case 161:
        ToccataArrow(237, 0.18f, -0.05f, -0.2f, -0.4f, DrawCurvedArrowVectorG, 0, 0.0f, -50);
        break;
    case 162:
        ToccataArrow(247, 0.14f, 0.28f, -0.3f, -0.65f, DrawCurvedArrowVectorF, 0);
        break;
    case 163:
        ToccataArrow(248, 0.14f, 0.28f, -0.3f, -0.65f, DrawCurvedArrowVectorE, 0);
        break;
    case 164:
        ToccataArrow(249, 0.14f, 0.3f, -0.3f, -0.65f, DrawCurvedArrowVectorC, 0);
        break;
    case 165:
        ToccataArrow(250, 0.4f, 0.26f, -0.1f, -0.55f, DrawCurvedArrowVectorA, 1);
        break;
    case 166:
        ToccataArrow(251, 0.05f, -0.03f, -0.35f, -0.4f, DrawCurvedArrowVectorH, 1, 0.0f, 50);
        break;
    case 167:
        ToccataArrow(252, 0.35f, 0.26f, -0.15f, -0.55f, DrawCurvedArrowVectorB, 0);
        break;
    case 168:
        DrawCurvedArrowA(d, x, y, cell, 0, 1.0f);
        break;
    case 169:
        ToccataArrow(255, 0.18f, -0.06f, -0.22f, -0.4f, DrawCurvedArrowVectorH, 0, 0.0f, -50);
        break;
    case 170:
        DrawCurvedArrowB(d, x, y, cell, 1, 1.0f);
        break;
    case 171:
        Glyph(kMusical, 160, 1.45f, 0.3f, -0.3f, -0.2f, -1.35f);
        break;
    case 172:
        Glyph(kMusical, 221, 1.0f, 0.17f, 0.02f, -0.35f, -0.9f, fsBold);
        break;
    case 173: {
        // In the first column the dots move left, clear of the page margin.
        const float x0 = col_ == 0 ? x_ - 0.2f * W_ : x_;
        const float dx = x0 + (0.28f - 0.2f * (f_ - 1.0f)) * W_;
        DrawDotGlyph(d, dx, PY(-0.1f, -0.85f), cell, 1.4f, d->MainLayerColor);
        DrawDotGlyph(d, dx, PY(-0.36f, -0.85f), cell, 1.4f, d->MainLayerColor);
        break;
    }
    case 174:
        DrawLenticularBracketSized(d, x, y, f_, false);
        break;
    case 175:
        DrawLenticularBracketSized(d, x, y, f_, true);
        break;
    case 176:
        d->DrawSymbolBitmap(x + 0.1f * W_, y + 0.7f * H_, 0.8f * W_, siU);
        break;
    case 177:
        DrawRepeatSlashDots(d, x, y, cell, true);
        break;
    default:
        // 0, 32, 37, 89, 112, 129, 138, 146 and ids above 177: nothing.
        break;
    }
}

// One symbol of a cell whose properties are those of cell.
void DrawSymbolOfCell(TDrawEngine* d, float x, float y, int id, const TCell& cell, int col) {
    if (id == kEmptySlot)
        return;
    const TPenStyle penStyle = TargetCanvas(nullptr)->Pen.Style;
    SetBrushColor(d->CurColor);
    SetPenWidthScaled(0.038f);
    if (id >= 1 && id <= 177)
        TSymbolPainter(d, x, y, cell, col).Draw(id);
    else if (IsPercussionSyllableCode(id))
        d->DrawPercussionSyllable(x, y, id, cell);
    SetPenWidthScaled(0.027f);
    SetBrushStyle(bsClear);
    // Filled shapes leave the pen clear; the next cell draws with it as it was.
    SetPenStyle(penStyle);
}

} // namespace

void DrawSpecialSymbol(TDrawEngine* d, float x, float y, int symbolId, int col, int row) {
    TCell cell;
    GetCell(cell, col, row, -1, -1);
    DrawSymbolOfCell(d, x, y, symbolId, cell, col);
}

void DrawStackedSymbols(TDrawEngine* d, float x, float y, TCell cell, int col, int row) {
    const float H = YUnit();
    DrawSpecialSymbol(d, x, y, cell.Note, col, row);
    float k = 0.4f;
    if (cell.FontColor != kEmptySlot) {
        DrawSpecialSymbol(d, x, y - 0.4f * H, cell.FontColor, col, row);
        k = 0.8f;
    }
    if (cell.upNote != kEmptySlot)
        DrawSpecialSymbol(d, x, y - 1.1f * k * H, cell.upNote, col, row);
}

void DrawCellSymbolList(TDrawEngine* d, float x, float y, TCell cell, int col, int row) {
    // The groups are drawn at 0.7 of the cell's size from a copy: the stored
    // cell is never changed while a page is drawn.
    TCell small;
    GetCell(small, col, row, -1, -1);
    small.fontSizeR = 0.7f * cell.fontSizeR;
    const float W = XUnit(), H = YUnit();
    const float s = 0.005f * static_cast<float>(cell.shrinkRate);
    for (size_t i = 0; i < cell.CompressNotes.size(); ++i) {
        const TCompressNote& entry = cell.CompressNotes[i];
        const float fi = static_cast<float>(i);
        const float xi = x + (1.4f * s * fi - 0.2f + 0.45f * fi) * W;
        DrawSymbolOfCell(d, xi, y, entry.code, small, col);
        float k = 0.3f;
        if (entry.attr != static_cast<uint32_t>(kEmptySlot)) {
            DrawSymbolOfCell(d, xi, y - 0.3f * H, static_cast<int>(entry.attr), small, col);
            k = 0.6f;
        }
        if (entry.option != static_cast<uint32_t>(kEmptySlot))
            DrawSymbolOfCell(d, xi, y - k * H, static_cast<int>(entry.option), small, col);
    }
}
