#include "notation/modTQSymbolDrawers.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "model/modTQCellAccess.h"
#include "model/modTQUtil.h"
#include "notation/modTQCurves.h"
#include "notation/modTQMarkGlyphs.h"
#include "notation/modTQNotationApi.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawAccid.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQMainView.h"

namespace {

const char* const kMusical = "MusicalSymbols";
const char* const kToccata = "Toccata";

float XUnit() { return static_cast<float>(MainView()->GetCellWidth()); }
float YUnit() { return static_cast<float>(MainView()->GetCellHeight()); }
// x plus the integer half of the column width.
float HalfColumn(float x) { return x + static_cast<float>(MainView()->GetCellWidth() / 2); }

TPoint P(float x, float y) { return TPoint{RoundToInt(x), RoundToInt(y)}; }

// Puts the pen width back when the drawer ends.
class TPenWidthGuard {
public:
    TPenWidthGuard() : width_(GetPenWidth()) {}
    ~TPenWidthGuard() { SetPenWidth(width_); }
    TPenWidthGuard(const TPenWidthGuard&) = delete;
    TPenWidthGuard& operator=(const TPenWidthGuard&) = delete;

private:
    int width_;
};

// A glyph at the size-corrected place (a + k (s - 1)) W, (b + m (s - 1)) H from
// (x, y); false, drawing nothing, when the glyph map has no such glyph or its
// font is not installed.
bool Glyph(TDrawEngine* d, const char* font, int code, float x, float y, const TCell& cell, float factor, float a,
           float k, float b, float m, int style = 0, float widthFactor = 0.0f, int angle = 0) {
    if (!HasMusicGlyph(font, code))
        return false;
    const float s1 = cell.fontSizeR - 1.0f;
    d->DrawCharGlyph(font, x + (a + k * s1) * XUnit(), y + (b + m * s1) * YUnit(), code, cell, factor, style,
                     widthFactor, angle);
    return true;
}

// Selects a created "Times New Roman" font; the previous one is put back when
// the object goes.
class TCreatedFont {
public:
    TCreatedFont(int height, int width, int escapement) {
        auto font = std::make_shared<TLogFont>();
        font->Height = height;
        font->Width = width;
        font->Escapement = escapement;
        font->Orientation = 0;
        font->Weight = 1200;
        font->Charset = 0;
        font->FaceName = "Times New Roman";
        previous_ = TargetCanvas(nullptr)->SelectLogFont(font);
    }
    ~TCreatedFont() { TargetCanvas(nullptr)->SelectLogFont(previous_); }
    TCreatedFont(const TCreatedFont&) = delete;
    TCreatedFont& operator=(const TCreatedFont&) = delete;

private:
    std::shared_ptr<TLogFont> previous_;
};

// A thin arrow: shaft and head in the current colour, pen 0.027 x 0.7 x s.
void SetArrowPen(const TCell& cell) { SetPenWidthScaled(0.027f * 0.7f * cell.fontSizeR); }

} // namespace

// ---- glyph or drawn form ----

void DrawFermata(TDrawEngine* d, float x, float y, TCell cell, bool inverted) {
    const float W = XUnit(), H = YUnit();
    if (inverted ? Glyph(d, kMusical, 'u', x, y, cell, 0.8f, 0.15f, -0.35f, 0.03f, -0.8f)
                 : Glyph(d, kMusical, 'U', x, y, cell, 0.8f, 0.15f, -0.35f, 0.2f, -0.63f))
        return;
    const float yb = inverted ? y - 0.17f * H : y;
    const int cx = RoundToInt(x + 0.5f * W), cy = RoundToInt(yb + 0.9f * H);
    const int rx = RoundToInt(0.4f * W), ry = RoundToInt(0.2f * H);
    const auto f = [](int v) { return static_cast<float>(v); };
    if (inverted)
        DrawArc(f(cx - rx), f(cy - ry), f(cx + rx), f(cy + ry), f(cx - rx), f(cy), f(cx + rx), f(cy));
    else
        DrawArc(f(cx - rx), f(cy - ry), f(cx + rx), f(cy + ry), f(cx + rx), f(cy), f(cx - rx), f(cy));
    // The dot keeps its size whatever the cell's.
    cell.fontSizeR = 1.0f;
    DrawDotGlyph(d, f(cx) - 0.22f * W, yb + 0.1f * H, cell, 1.4f, -1);
}

void DrawWedgeUp(TDrawEngine* d, float x, float y, const TCell& cell) {
    if (Glyph(d, kMusical, '^', x, y, cell, 1.35f, 0.25f, -0.2f, -0.3f, -1.2f))
        return;
    const float W = XUnit(), H = YUnit();
    DrawPolyline({P(x + 0.3f * W, y + 0.93f * H), P(x + 0.5f * W, y + 0.63f * H),
                  P(x + 0.7f * W + 1.0f, y + 0.93f * H + 1.0f)},
                 2);
}

void DrawWedgeDown(TDrawEngine* d, float x, float y, const TCell& cell) {
    if (Glyph(d, kMusical, 'v', x, y, cell, 1.35f, 0.25f, -0.2f, -0.3f, -1.2f))
        return;
    const float W = XUnit(), H = YUnit();
    DrawPolyline({P(x + 0.3f * W, y + 0.65f * H), P(x + 0.5f * W, y + 0.92f * H),
                  P(x + 0.7f * W + 1.0f, y + 0.65f * H - 1.0f)},
                 2);
}

void DrawTremoloStrokes(TDrawEngine* d, float x, float y, const TCell& cell) {
    if (Glyph(d, kMusical, 190, x, y, cell, 1.0f, 0.31f, -0.2f, 0.0f, -0.9f))
        return;
    const float W = XUnit(), H = YUnit();
    for (int i = 0; i < 3; ++i) {
        const float dy = 0.1f * static_cast<float>(i) * H;
        FillSlantedBar(x + 0.3f * W, y + 0.71f * H + dy, x + 0.7f * W, y + 0.61f * H + dy, 0.045f * H);
    }
}

void DrawCrossX(TDrawEngine* d, float x, float y, const TCell& cell) {
    if (Glyph(d, kMusical, 192, x, y, cell, 1.1f, 0.28f, -0.23f, -0.2f, -1.1f))
        return;
    const float W = XUnit(), H = YUnit(), s = cell.fontSizeR;
    TPenWidthGuard pen;
    SetPenWidthScaled(0.027f * s);
    const float cx = x + 0.5f * W, cy = y + (0.83f - 0.1f * (s - 1.0f)) * H, e = 0.2f * W * s;
    DrawLine(cx - e, cy - e, cx + e, cy + e);
    DrawLine(cx + e, cy - e, cx - e, cy + e);
}

void DrawPlusSign(TDrawEngine* d, float x, float y, const TCell& cell) {
    if (Glyph(d, kMusical, '+', x, y, cell, 1.3f, 0.25f, -0.3f, -0.4f, -1.3f, fsBold))
        return;
    const float W = XUnit(), H = YUnit();
    const float cx = x + 0.2f * W, cy = y + 0.75f * H, e = 0.2f * W * cell.fontSizeR;
    DrawLine(cx - e, cy, cx + e, cy);
    DrawLine(cx, cy - e, cx, cy + e);
}

void DrawCoda(TDrawEngine* d, float x, float y, const TCell& cell) {
    if (Glyph(d, kMusical, 222, x, y, cell, 1.7f, 0.0f, -0.5f, -0.93f, -1.85f))
        return;
    const float W = XUnit(), H = YUnit(), s = cell.fontSizeR, s1 = s - 1.0f;
    const float tx = x + (0.1f - 0.4f * s1) * W, ty = y + (0.3f - 0.45f * s1) * H;
    TSize extent;
    {
        TCreatedFont font(RoundToInt(1.4f * W * s), RoundToInt(0.45f * W * s), 0);
        SetBrushStyle(bsClear);
        CanvasTextOut(tx, ty, "O");
        extent = CanvasTextExtent("O");
    }
    const float w = static_cast<float>(extent.cx), h = static_cast<float>(extent.cy);
    const float e = 0.06f * H * s;
    const float b = std::max(1.0f, 0.085f * W * s);
    FillBar(tx - e + 0.3f * b, ty + 0.5f * h - 0.5f * b, static_cast<int>(w + 2.0f * e), static_cast<int>(b), -1);
    FillBar(tx + 0.5f * w - 0.3f * b, ty + e, static_cast<int>(b), static_cast<int>(h - 2.0f * e), -1);
}

void DrawSegno(TDrawEngine* d, float x, float y, const TCell& cell) {
    if (Glyph(d, kMusical, '%', x, y, cell, 1.2f, 0.1f, -0.4f, -0.46f, -1.3f))
        return;
    const float W = XUnit(), H = YUnit(), s = cell.fontSizeR, s1 = s - 1.0f;
    const float tx = x + (-0.2f - 0.7f * s1) * W, ty = y + (0.18f - 0.55f * s1) * H;
    {
        TCreatedFont font(RoundToInt(1.7f * W * s), RoundToInt(0.5f * W * s), 200);
        SetBrushStyle(bsClear);
        CanvasTextOut(tx, ty, "S");
    }
    TPenWidthGuard pen;
    const int width = RoundToInt(std::max(1.0f, 0.1f * W * s));
    SetPenWidth(width);
    FillSlantedBarH(tx + (0.25f + 0.23f * s1) * W, ty + (0.75f + 0.74f * s1) * H, tx + (0.95f + 0.89f * s1) * W,
                    ty + (0.23f + 0.2f * s1) * H, static_cast<float>(width));
    DrawDotGlyph(d, tx + (0.2f + 0.18f * s1) * W, ty + (-0.08f - 0.09f * s1) * H, cell, 1.1f, -1);
    DrawDotGlyph(d, tx + (0.83f + 0.8f * s1) * W, ty + (-0.23f - 0.29f * s1) * H, cell, 1.1f, -1);
}

void DrawMeasureRepeat(TDrawEngine* d, float x, float y, const TCell& cell) {
    if (Glyph(d, kMusical, 212, x, y, cell, 1.3f, 0.0f, -0.5f, -0.48f, -1.17f))
        return;
    const float W = XUnit(), H = YUnit();
    const float y1 = y + 0.25f * H;
    TPenWidthGuard pen;
    SetBrushStyle(bsSolid);
    SetBrushColor(d->CurColor);
    SetPenWidth(0);
    FillPolygon({P(x + 0.9f * W, y1 + 0.2f * H), P(x + 1.2f * W, y1 + 0.2f * H), P(x + 0.3f * W, y1 + 0.7f * H),
                 P(std::trunc(x), y1 + 0.7f * H)},
                3);
    DrawEllipse(x + 0.1f * W, y1 + 0.28f * H, x + 0.32f * W, y1 + 0.39f * H);
    DrawEllipse(x + 0.85f * W, y1 + 0.52f * H, x + 1.07f * W, y1 + 0.63f * H);
    SetBrushStyle(bsClear);
    SetPenStyle(psSolid);
}

void DrawCaesura(TDrawEngine* d, float x, float y, const TCell& cell) {
    if (Glyph(d, kMusical, 34, x, y, cell, 2.5f, -1.03f, -1.4f, -0.05f, -0.45f, fsBold, 0.0f, 600))
        return;
    const float W = XUnit(), H = YUnit();
    DrawLine(x + 0.2f * W, y + 0.7f * H, x + 0.7f * W, y + 0.95f * H);
    const float x0 = x + 0.4f * W, y0 = y + 0.7f * H - 0.2f * W;
    DrawLine(x0, y0, x0 + 0.5f * W, y0 + 0.25f * H);
}

void DrawTurn(TDrawEngine* d, float x, float y, const TCell& cell, int symbolId) {
    const float W = XUnit(), H = YUnit(), s = cell.fontSizeR, s1 = s - 1.0f;
    if (!Glyph(d, kMusical, 'T', x, y, cell, 1.05f, 0.08f, -0.44f, -0.12f, -1.1f))
        d->DrawSymbolBitmap(x + (0.05f - 0.4f * s1) * W, y + (0.76f - 0.2f * s1) * H, 0.92f * W * s, siSFlat);
    if (symbolId == 141) {
        SetBrushColor(d->CurColor);
        FillBar(x + 0.48f * W, y + (0.68f - 0.23f * s1) * H, static_cast<int>((0.08f + 0.05f * s1) * W),
                static_cast<int>((0.37f + 0.25f * s1) * H), -1);
    }
    DrawAccidental(d, cell, x + (-0.05f - 0.15f * s1) * W, y + 0.1f * s1 * H);
}

void DrawDoubleHook(TDrawEngine* d, float x, float y, const TCell& cell) {
    const float W = XUnit(), H = YUnit(), s1 = cell.fontSizeR - 1.0f;
    if (HasMusicGlyph(kToccata, 231) && HasMusicGlyph(kToccata, 232)) {
        d->DrawCharGlyph(kToccata, x - 0.5f * s1 * W, y + (0.4f - 0.5f * s1) * H, 231, cell, 0.8f);
        d->DrawCharGlyph(kToccata, x + 0.5f * W, y + (0.4f - 0.5f * s1) * H, 232, cell, 0.8f);
        return;
    }
    const float rx = 0.35f * W, ry = 0.7f * W;
    float cx = x + 0.1f * W, cy = y + 0.6f * H;
    DrawArc(cx - rx, cy - ry, cx + rx, cy + ry, cx, cy + ry, cx + rx, cy);
    DrawLine(cx + rx, cy, cx + rx - 0.25f * W, cy + 0.15f * H);
    cx = x + 0.9f * W;
    DrawArc(cx - rx, cy - ry, cx + rx, cy + ry, cx - rx, cy, cx, cy + ry);
    DrawLine(cx, cy + ry, cx - 0.05f * W, cy + ry - 0.15f * H);
}

void DrawHollowDiamond(TDrawEngine* d, float x, float y, const TCell& cell) {
    if (Glyph(d, kMusical, 225, x, y, cell, 1.8f, 0.15f, -0.35f, -0.9f, -1.78f))
        return;
    const float W = XUnit(), H = YUnit(), s = cell.fontSizeR;
    const float cx = x + 0.5f * W, y0 = y + (0.62f - 0.3f * (s - 1.0f)) * H, hw = 0.3f * W * s, hh = hw;
    TPenWidthGuard pen;
    SetBrushStyle(bsSolid);
    SetBrushColor(d->CurColor);
    FillPolygon({P(cx, y0), P(cx - hw, y0 + hh), P(cx, y0 + 2.0f * hh), P(cx + hw, y0 + hh)}, 3);
    SetBrushColor(RGBColor(255, 255, 255));
    // The inset is at least a pixel: a thinner edge rounds away and the
    // diamond would vanish under its own inside.
    const float g = std::max(1.0f, 0.008f * W);
    FillPolygon({P(cx, y0 + g), P(cx - hw + g, y0 + hh), P(cx, y0 + 2.0f * hh - g), P(cx + hw - g, y0 + hh)}, 3);
    SetBrushColor(d->MainLayerColor);
    SetBrushStyle(bsClear);
    SetPenStyle(psSolid);
}

void DrawWaveSign(TDrawEngine* d, float x, float y, const TCell& cell) {
    if (Glyph(d, kToccata, 180, x, y, cell, 0.85f, 0.0f, -0.47f, 0.35f, -0.55f))
        return;
    const float W = XUnit(), H = YUnit();
    const float y0 = y + 0.8f * H, a = 0.14f * W;
    DrawArcThrough3Points(d, x, y0, x + 0.5f * W + 1.0f, y0, x + 0.25f * W, y0 + a);
    DrawArcThrough3Points(d, x + 0.5f * W, y0, x + W + 1.0f, y0, x + 0.75f * W, y0 - a);
}

void DrawVerticalArrow(TDrawEngine* d, float x, float y, const TCell& cell, bool up) {
    if (Glyph(d, kToccata, up ? 'h' : 'l', x, y, cell, 1.0f, 0.3f, -0.25f, 0.25f, -0.6f, fsBold))
        return;
    const float W = XUnit(), H = YUnit(), s = cell.fontSizeR;
    TPenWidthGuard pen;
    SetArrowPen(cell);
    const float tipX = std::trunc(x + 0.5f * W);
    const float xs = tipX - 0.1f * static_cast<float>(GetPenWidth());
    const float y1 = y + (0.55f - 0.5f * (s - 1.0f)) * H, y2 = y + 0.95f * H;
    DrawLine(xs, y1, xs, y2);
    if (up)
        DrawArrowHead(tipX, y1, tipX, y1 + 0.25f * W * s, 0.2f * W * s);
    else
        DrawArrowHead(tipX, y2, tipX, y2 - 0.25f * W * s, 0.2f * W * s);
}

void DrawDownBow(TDrawEngine* d, float x, float y, const TCell& cell) {
    if (Glyph(d, kMusical, 179, x, y, cell, 1.4f, 0.2f, -0.32f, -0.35f, -1.3f))
        return;
    const float W = XUnit(), H = YUnit();
    TPenWidthGuard pen;
    SetPenWidth(1);
    const float yb = y + 0.72f * H, cx = x + 0.5f * W, e = 0.22f * W;
    FillSlantedBar(cx - e, yb, cx + e, yb, 0.16f * W);
    SetPenWidthScaled(0.027f);
    DrawLine(cx - e, yb, cx - e, yb + 2.0f * e);
    DrawLine(cx + e, yb, cx + e, yb + 2.0f * e);
}

void DrawHorizontalArrow(TDrawEngine* d, float x, float y, const TCell& cell, bool left) {
    if (Glyph(d, kToccata, left ? 'f' : 'j', x, y, cell, 1.0f, 0.1f, -0.43f, 0.25f, -0.55f, fsBold))
        return;
    const float W = XUnit(), H = YUnit(), s = cell.fontSizeR, s1 = s - 1.0f;
    TPenWidthGuard pen;
    SetArrowPen(cell);
    const float y0 = y + 0.85f * H;
    const float xl = x + (0.08f - 0.35f * s1) * W, xr = x + (0.82f + 0.35f * s1) * W;
    DrawLine(xl, y0, xr, y0);
    if (left)
        DrawArrowHead(xl, y0, xl + 0.25f * W * s, y0, 0.2f * W * s);
    else
        DrawArrowHead(xr, y0, xr - 0.25f * W * s, y0, 0.2f * W * s);
}

void DrawDiagonalArrow(TDrawEngine* d, float x, float y, const TCell& cell, bool rising) {
    if (Glyph(d, kToccata, rising ? 'i' : 'k', x, y, cell, 1.0f, 0.23f, -0.28f, 0.25f, -0.6f, fsBold))
        return;
    const float W = XUnit(), H = YUnit(), s = cell.fontSizeR, s1 = s - 1.0f;
    TPenWidthGuard pen;
    SetArrowPen(cell);
    const float xl = x + (0.15f - 0.35f * s1) * W, xr = x + (0.75f + 0.35f * s1) * W;
    const float yt = y + (0.65f - 0.3f * s1) * H, yb = y + 0.95f * H, u = 0.25f * W * s;
    if (rising) {
        DrawArrowHead(xr, yt, xr - u, yt + u, 0.2f * W * s);
        DrawLine(xl, yb, xr, yt);
    } else {
        DrawLine(xl, yt, xr, yb);
        DrawArrowHead(xr, yb, xr - u, yb - u, 0.2f * W * s);
    }
}

void DrawCommonTimeSymbol(TDrawEngine* d, float x, float y, const TCell& cell, bool cut) {
    const float W = XUnit(), H = YUnit(), s = cell.fontSizeR, s1 = s - 1.0f;
    const float y0 = y - 0.23f * H;
    if (Glyph(d, kMusical, 99, x, y0, cell, 1.5f, 0.07f, -0.4f, -0.6f, -1.4f)) {
        if (cut)
            FillBar(x + (0.45f - 0.4f * s1) * W, y0 + (0.4f - 1.4f * s1) * H, static_cast<int>(0.12f * W),
                    static_cast<int>(0.8f * H), -1);
        return;
    }
    const bool drawn =
        d->DrawSymbolBitmap(x + (0.08f - 0.4f * s1) * W, y0 + (0.55f - 0.25f * s1) * H, 0.85f * W * s, si4_4Signature);
    // The gap is cut through the picture only; without it nothing is cleared.
    if (cut && drawn) {
        SetBrushColor(d->BkColor);
        ClearCanvasRect(x + 0.5f * W, y0 + (0.4f - 0.35f * s1) * H, x + (0.57f + 0.05f * s1) * W,
                        y0 + (1.2f + 0.38f * s1) * H);
    }
}

void DrawRepeatSlashDots(TDrawEngine* d, float x, float y, TCell cell, bool bar) {
    const float W = XUnit(), H = YUnit();
    cell.fontSizeR = 1.0f;
    const float x0 = x - 0.2f * W;
    if (HasMusicGlyph(kMusical, 34))
        d->DrawCharGlyph(kMusical, x0, y - 0.6f * H, 34, cell, 1.5f, fsBold | fsItalic);
    DrawDotGlyph(d, x0 - 0.2f * W, y - 0.7f * H, cell, 2.0f, -1);
    DrawDotGlyph(d, x0 + 0.95f * W, y - 0.5f * H, cell, 2.0f, -1);
    if (bar)
        FillBar(x0 + 0.65f * W, y, static_cast<int>(0.12f * W), static_cast<int>(H), -1);
}

// ---- drawn from lines ----

void DrawRisingSlash(TDrawEngine*, float x, float y) {
    const float W = XUnit(), H = YUnit();
    DrawLine(x + 0.2f * W, y + 0.85f * H, x + 0.8f * W, y + 0.6f * H);
}

void DrawFallingSlash(TDrawEngine*, float x, float y) {
    const float W = XUnit(), H = YUnit();
    DrawLine(x + 0.2f * W, y + 0.6f * H, x + 0.8f * W, y + 0.85f * H);
}

void DrawHookRight(TDrawEngine*, float x, float y, const TCell& cell) {
    const float W = XUnit(), H = YUnit(), s = cell.fontSizeR;
    const float y0 = y + 0.9f * H, c = x + 0.5f * W, e = 0.4f * W * s, h = 0.35f * W * s;
    DrawPolyline({P(c - e, y0), P(c + e, y0), P(c + e - h, y0 - h)}, 2);
}

void DrawHookLeft(TDrawEngine*, float x, float y, const TCell& cell) {
    const float W = XUnit(), H = YUnit(), s = cell.fontSizeR;
    const float y0 = y + 0.9f * H, c = x + 0.5f * W, e = 0.4f * W * s, h = 0.3f * W * s;
    DrawPolyline({P(c - e + h, y0 - h), P(c - e, y0), P(c + e, y0)}, 2);
}

namespace {
// The legs of a cap or cup bracket; the right one unless left out.
void BracketLegs(float xl, float xr, float yb, float yt, bool noRightLeg) {
    DrawLine(xl, yb, xl, yt);
    if (!noRightLeg)
        DrawLine(xr, yb, xr, yt);
}
} // namespace

void DrawCapBracket(TDrawEngine*, float x, float y, bool noRightLeg) {
    const float W = XUnit(), H = YUnit(), cx = HalfColumn(x);
    const float yb = y + 0.85f * H, xl = cx - 0.4f * W, xr = cx + 0.4f * W, yt = yb - 0.5f * W;
    BracketLegs(xl, xr, yb, yt, noRightLeg);
    DrawLine(xl, yt, xr, yt);
}

void DrawCupBracket(TDrawEngine*, float x, float y, int slashCount, bool noRightLeg) {
    const float W = XUnit(), H = YUnit(), cx = HalfColumn(x);
    const float yb = y + 0.85f * H, xl = cx - 0.4f * W, xr = cx + 0.4f * W, yt = yb - 0.5f * W;
    BracketLegs(xl, xr, yb, yt, noRightLeg);
    DrawLine(xl, yb, xr, yb);
    if (slashCount >= 1)
        DrawLine(cx + 0.3f * W, yb - 0.1f * W, cx - 0.3f * W, yb - 0.6f * W);
    if (slashCount >= 2)
        DrawLine(cx - 0.3f * W, yb - 0.1f * W, cx + 0.3f * W, yb - 0.6f * W);
}

void DrawStackedArcs(TDrawEngine*, float x, float y, int count, int direction) {
    const float W = XUnit(), H = YUnit(), cx = HalfColumn(x);
    const float rx = 0.45f * W, ry = 0.4f * W, dir = static_cast<float>(direction);
    float yc = y + (0.7f + 0.1f * dir) * H;
    for (int i = 0; i < count; ++i) {
        const float ye = yc - static_cast<float>(count) * 0.05f * H * dir;
        DrawArc(cx - rx, yc - ry, cx + rx, yc + ry, cx + dir * rx, ye, cx - dir * rx, ye);
        yc += 0.13f * H;
    }
}

void DrawBracketWithArc(TDrawEngine*, float x, float y, int arcDirection, bool closedTop, bool noRightLeg) {
    const float W = XUnit(), H = YUnit(), cx = HalfColumn(x);
    const float yb = y + 0.85f * H, w = 0.4f * W, xl = cx - w, xr = cx + w, yt = yb - 0.5f * W;
    BracketLegs(xl, xr, yb, yt, noRightLeg);
    if (closedTop)
        DrawLine(xl, yt, xr, yt);
    else
        DrawLine(xl, yb, xr, yb);
    const float dir = static_cast<float>(arcDirection);
    const float yc = yb - H * (0.12f - 0.08f * dir - 0.03f * (closedTop ? 1.0f : 0.0f));
    const float r = w - 0.03f * W;
    DrawArc(cx - r, yc - r, cx + r, yc + r, cx + dir * r, yc, cx - dir * r, yc);
}

void DrawVeeOverBar(TDrawEngine*, float x, float y) {
    const float W = XUnit(), H = YUnit(), cx = HalfColumn(x), yb = y + 0.9f * H;
    DrawLine(cx, yb, cx - 0.4f * W, yb - 0.5f * W);
    DrawLine(cx, yb, cx + 0.4f * W, yb - 0.5f * W);
    DrawLine(cx - 0.4f * W, yb, cx + 0.4f * W, yb);
}

namespace {
void GroupFrame(float x, float y) {
    const float W = XUnit(), H = YUnit();
    DrawRectFrame(x - 0.1f * W, y + 0.5f * H, x + 4.1f * W, y + H);
}
} // namespace

void DrawFramedGroupA(TDrawEngine* d, float x, float y, bool noRightLeg) {
    const float W = XUnit(), H = YUnit();
    GroupFrame(x, y);
    DrawStackedArcs(d, x, y + 0.06f * H, 1, 1);
    DrawCupBracket(d, x + W, y, 0, noRightLeg);
    DrawFallingSlash(d, x + 2.0f * W, y);
    DrawCupBracket(d, x + 3.0f * W, y, 0, noRightLeg);
}

void DrawFramedGroupB(TDrawEngine* d, float x, float y, bool noRightLeg) {
    const float W = XUnit();
    GroupFrame(x, y);
    DrawBracketWithArc(d, x, y, 1, false, noRightLeg);
    DrawFallingSlash(d, x + W, y);
    DrawBracketWithArc(d, x + 2.0f * W, y, 1, false, noRightLeg);
    DrawFallingSlash(d, x + 3.0f * W, y);
}

void DrawFramedGroupC(TDrawEngine* d, float x, float y) {
    const float W = XUnit();
    GroupFrame(x, y);
    DrawStackedArcs(d, x, y, 3, 1);
    for (int i = 1; i <= 3; ++i)
        DrawFallingSlash(d, x + static_cast<float>(i) * W, y);
}

void DrawSlantedStrokes(TDrawEngine* d, float x, float y) {
    const float W = XUnit(), H = YUnit();
    SetBrushStyle(bsSolid);
    SetBrushColor(d->CurColor);
    const float c = std::cos(1.0471975f), n = std::sin(1.0471975f);
    const float L = 0.25f * W / c, t = 0.02f * H / n;
    float x0 = x + 0.2f * W, y0 = y + 0.85f * H;
    float sx = 0.0f, sy = 0.0f, ex = 0.0f, ey = 0.0f;
    for (int i = 0; i < 3; ++i) {
        const float p2x = x0 + t * n, p2y = y0 + t * c;
        const float p3x = p2x + L * c, p3y = p2y - L * n;
        const float p4x = x0 + L * c, p4y = y0 - L * n;
        FillPolygon({P(x0, y0), P(p2x, p2y), P(p3x, p3y), P(p4x, p4y)}, 3);
        if (i == 0) {
            sx = std::trunc((x0 + p4x) / 2.0f - 3.0f * t * n);
            sy = std::trunc((y0 + p4y) / 2.0f - 3.0f * t * c);
        }
        if (i == 2) {
            ex = std::trunc((p2x + p3x) / 2.0f + 3.0f * t * n);
            ey = std::trunc((p2y + p3y) / 2.0f + 3.0f * t * c);
        }
        x0 += 4.0f * t * n;
        y0 += 4.0f * t * c;
    }
    // The filled strokes leave the pen clear: the line needs it back.
    SetPenStyle(psSolid);
    SetPenWidthScaled(0.038f);
    SetBrushStyle(bsClear);
    DrawLine(sx, sy, ex, ey);
}

void DrawThreeBarsStem(TDrawEngine*, float x, float y) {
    const float W = XUnit(), H = YUnit();
    for (float f : {0.6f, 0.7f, 0.8f})
        DrawLine(x + 0.25f * W, y + f * H, x + 0.75f * W, y + f * H);
    DrawLine(x + 0.5f * W, y + 0.5f * H, x + 0.5f * W, y + 0.9f * H);
}

void DrawThreeBarsRightStem(TDrawEngine*, float x, float y) {
    const float W = XUnit(), H = YUnit();
    for (float f : {0.7f, 0.8f, 0.9f})
        DrawLine(x + 0.25f * W, y + f * H, x + 0.75f * W, y + f * H);
    DrawLine(x + 0.75f * W, y + 0.7f * H, x + 0.75f * W, y + 0.9f * H);
}

void DrawBrokenX(TDrawEngine*, float x, float y, const TCell& cell) {
    const float W = XUnit(), H = YUnit(), s = cell.fontSizeR;
    const float cx = HalfColumn(x), cy = y + 0.75f * H, a = 0.35f * W * s, b = 0.1f * W * s;
    DrawLine(cx - a, cy - a, cx - b, cy - b);
    DrawLine(cx + b, cy + b, cx + a, cy + a);
    DrawLine(cx + a, cy - a, cx + b, cy - b);
    DrawLine(cx - b, cy + b, cx - a, cy + a);
}

void DrawThreeSpokes(TDrawEngine*, float x, float y, const TCell& cell) {
    const float W = XUnit(), H = YUnit(), s = cell.fontSizeR;
    const float cx = HalfColumn(x), cy = y + 0.75f * H, a = 0.35f * W * s, b = 0.1f * W * s;
    DrawLine(cx, cy - a - b, cx, cy - b);
    DrawLine(cx + b, cy + b, cx + a + b, cy + a);
    DrawLine(cx - b, cy + b, cx - a - b, cy + a);
}

void DrawCircledX(TDrawEngine*, float x, float y) {
    const float W = XUnit(), H = YUnit();
    const float cx = x + 0.5f * W, cy = y + 0.75f * H, e = 0.3f * W, r = 0.42f * W;
    DrawLine(cx - e, cy - e, cx + e, cy + e);
    DrawLine(cx + e, cy - e, cx - e, cy + e);
    SetBrushStyle(bsClear);
    DrawEllipse(cx - r, cy - r, cx + r, cy + r);
}

void DrawFilledSquare(TDrawEngine* d, float x, float y, const TCell& cell) {
    const float W = XUnit(), H = YUnit(), s = cell.fontSizeR;
    const float cx = x + 0.5f * W, cy = y + (0.71f - 0.25f * (s - 1.0f)) * H;
    const float hw = 0.2f * W * s, hh = 0.23f * H * s;
    SetBrushStyle(bsSolid);
    SetBrushColor(d->CurColor);
    FillCanvasRect(TRect{static_cast<int>(cx - hw), static_cast<int>(cy - hh), static_cast<int>(cx + hw),
                         static_cast<int>(cy + hh)});
    SetBrushStyle(bsClear);
}

void DrawZStroke(TDrawEngine*, float x, float y) {
    const float W = XUnit(), H = YUnit(), cx = HalfColumn(x), cy = y + 0.75f * H;
    DrawPolyline({P(cx + 0.1f * W, cy - 0.23f * H), P(cx - 0.3f * W, cy), P(cx + 0.3f * W, cy),
                  P(cx - 0.1f * W, cy + 0.23f * H)},
                 3);
}

void DrawHatchedBox(TDrawEngine*, float x, float y) {
    const float W = XUnit(), H = YUnit();
    DrawRectFrame(x + 0.1f * W, y + 0.65f * H, x + 1.1f * W, y + 0.9f * H);
    for (float f : {0.5f, 0.7f, 0.9f})
        DrawLine(x + f * W, y + 0.65f * H, x + (f - 0.2f) * W, y + 0.9f * H);
}

void DrawBracketedBar(TDrawEngine*, float x, float y) {
    const float W = XUnit(), H = YUnit(), cx = HalfColumn(x);
    const float yb = y + 0.8f * H, a = 0.2f * H, t1 = 0.02f * H, b = 0.1f * W, c = 0.1f * H, e = 0.12f * H;
    const int t = static_cast<int>(0.04f * H);
    const int upright = static_cast<int>(2.0f * e + 0.04f * H);
    FillBar(cx - a, yb, static_cast<int>(2.0f * a + t1), t, -1);
    const float xl = cx - b - c;
    FillBar(xl, yb - e, static_cast<int>(c + t1), t, -1);
    FillBar(xl, yb + e, static_cast<int>(c + t1), t, -1);
    FillBar(xl, yb - e, t, upright, -1);
    const float xr = cx + b;
    FillBar(xr + t1, yb - e, static_cast<int>(c), t, -1);
    FillBar(xr + t1, yb + e, static_cast<int>(c), t, -1);
    FillBar(xr + c, yb - e, t, upright, -1);
}

void DrawNestedCorners(TDrawEngine* d, float x, float y, bool topRight, bool arc) {
    const float W = XUnit(), H = YUnit();
    float x0 = x + 0.15f * W, x1 = x + 0.9f * W, y0 = y + 0.65f * H, y1 = y + 0.9f * H;
    for (int i = 0; i < 2; ++i) {
        if (!topRight) {
            DrawPolyline({P(x0, y0), P(x0, y1), P(x1, y1)}, 2);
            x0 += 0.2f * W;
            y1 -= 0.2f * W;
        } else {
            DrawPolyline({P(x0, y0), P(x1, y0), P(x1, y1)}, 2);
            x1 -= 0.2f * W;
            y0 += 0.2f * W;
        }
    }
    if (arc)
        DrawArcThrough3Points(d, x + 0.1f * W, y + 0.6f * H, x + 0.9f * W, y + 0.6f * H, x + 0.5f * W, y + 0.52f * H);
}

void DrawInterlockedCorners(TDrawEngine*, float x, float y) {
    const float W = XUnit(), H = YUnit();
    DrawPolyline({P(x + 0.15f * W, y + 0.55f * H), P(x + 0.15f * W, y + 0.8f * H), P(x + 0.9f * W, y + 0.8f * H)}, 2);
    DrawPolyline({P(x + 0.15f * W, y + 0.675f * H), P(x + 0.9f * W, y + 0.675f * H), P(x + 0.9f * W, y + 0.925f * H)},
                 2);
}

void DrawCupWithBar(TDrawEngine* d, float x, float y, bool arc) {
    const float W = XUnit(), H = YUnit(), cx = HalfColumn(x);
    const float yb = y + 0.9f * H, xl = cx - 0.4f * W, xr = cx + 0.4f * W;
    BracketLegs(xl, xr, yb, yb - 0.3f * H, false);
    DrawLine(xl, yb, xr, yb);
    DrawLine(xl, yb - 0.1f * H, xr, yb - 0.1f * H);
    if (arc) {
        const float ya = yb - 0.35f * H;
        DrawArcThrough3Points(d, cx - 0.45f * W, ya, cx + 0.45f * W, ya, cx, ya - 0.08f * H);
    }
}

void DrawTickMark(TDrawEngine*, float x, float y) {
    const float W = XUnit(), H = YUnit();
    SetPenWidthScaled(0.038f);
    DrawLine(x + 0.35f * W, y + 0.6f * H, x + 0.35f * W, y + 0.9f * H);
    DrawLine(x + 0.35f * W, y + 0.8f * H, x + 0.75f * W, y + 0.6f * H);
}

void DrawDownArrowBar(TDrawEngine*, float x, float y) {
    const float W = XUnit(), H = YUnit();
    const float c = x + 0.5f * W, y0 = y + 0.6f * H, y1 = y0 + 0.35f * H;
    DrawLine(c, y0, c, y1);
    DrawLine(c - 0.2f * W, y1 - 0.15f * H, c, y1);
    DrawLine(c + 0.2f * W, y1 - 0.15f * H, c, y1);
    DrawLine(c + 0.2f * W, y1 - 0.255f * H, c - 0.2f * W, y1 - 0.255f * H);
}

void DrawVerticalTicks(TDrawEngine*, float x, float y, const TCell& cell, int symbolId) {
    const float W = XUnit(), H = YUnit(), s1 = cell.fontSizeR - 1.0f;
    const int h = static_cast<int>((0.37f + 0.4f * s1) * H);
    const int w = static_cast<int>(std::max(1.0f, (0.1f + 0.1f * s1) * W));
    const float top = y + (0.58f - 0.4f * s1) * H;
    const auto bar = [&](float a) { FillBar(x + a * W, top, w, h, -1); };
    if (symbolId == 98) {
        bar(0.3f - 0.15f * s1);
        bar(0.6f + 0.15f * s1);
        return;
    }
    bar(0.45f - 0.05f * s1);
    if (symbolId == 99) {
        bar(0.2f - 0.3f * s1);
        bar(0.7f + 0.2f * s1);
    }
}

// ---- texts and images ----

void DrawChineseNumeral(TDrawEngine* d, float x, float y, int count, const TCell& cell) {
    const float s1 = cell.fontSizeR - 1.0f;
    const char* text = count == 1 ? "一" : count == 2 ? "二" : "三";
    d->DrawChineseChar(x + (0.03f - 0.35f * s1) * XUnit(), y + (0.04f - 0.3f * s1) * YUnit(), text, cell);
}

void DrawTimesLabel(TDrawEngine* d, float x, float y, const TCell& cell, const std::string& text, float factor) {
    const TBrushStyle saved = GetBrushStyle();
    SetBrushStyle(bsClear);
    d->DrawTimesText(x + 0.3f * XUnit(), y + 0.5f * YUnit(), text, cell, factor);
    SetBrushStyle(saved);
}

void DrawBitmapIjSymbol(TDrawEngine* d, float x, float y, const TCell& cell) {
    const float W = XUnit(), H = YUnit(), s1 = cell.fontSizeR - 1.0f;
    if (d->DrawSymbolBitmap(x + 0.05f * W, y + 0.5f * H, 0.9f * W, siIJ))
        return;
    d->DrawChineseChar(x + (0.05f - 0.5f * s1) * W, y + (0.05f - 0.6f * s1) * H, "廾", cell);
}

void DrawLenticularBracketSized(TDrawEngine* d, float x, float y, float sizeFactor, bool right) {
    TCell sized;
    sized.fontSizeR = sizeFactor;
    const float e = 1.0f - sizeFactor;
    const float by = y + (0.38f * e + 0.2f) * YUnit();
    if (right)
        d->DrawTextInTextFont(x + (0.73f * e + 0.4f) * XUnit(), by, "】", sized, 1.0f);
    else
        d->DrawTextInTextFont(x + (0.65f * e - 0.65f) * XUnit(), by, "【", sized, 1.0f);
}

void DrawLeftLenticularBracket(TDrawEngine* d, float x, float y, int col, int row) {
    TCell cell;
    GetCell(cell, col, row, -1, -1);
    DrawLenticularBracketSized(d, x, y, cell.fontSizeR, false);
}

void DrawRightLenticularBracket(TDrawEngine* d, float x, float y, int col, int row) {
    TCell cell;
    GetCell(cell, col, row, -1, -1);
    DrawLenticularBracketSized(d, x, y, cell.fontSizeR, true);
}
