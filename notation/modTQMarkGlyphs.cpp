#include "notation/modTQMarkGlyphs.h"

#include <vector>

#include "model/modTQUtil.h"
#include "notation/modTQArcArrows.h"
#include "platform/gui/TQGlyphMap.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQMainView.h"

namespace {

const char* const kMusical = "MusicalSymbols";
const char* const kToccata = "Toccata";

float XUnit() { return static_cast<float>(MainView()->GetCellWidth()); }
float YUnit() { return static_cast<float>(MainView()->GetCellHeight()); }

TPoint P(float x, float y) { return TPoint{RoundToInt(x), RoundToInt(y)}; }

// Puts the pen and brush back the way the triangles leave them.
void EndShape() {
    SetBrushStyle(bsClear);
    SetPenStyle(psSolid);
}

// A triangle: filled in the current colour, or edged in black.
void DrawTriangle(TDrawEngine* d, const std::vector<TPoint>& corners, bool filled, bool opaque) {
    if (filled) {
        SetPenStyle(psClear);
        SetBrushStyle(bsSolid);
        SetBrushColor(d->CurColor);
        FillPolygon(corners, 3);
    } else {
        SetPenColor(clBlack);
        SetPenStyle(psSolid);
        SetBrushColor(d->BkColor);
        SetBrushStyle(bsSolid);
        DrawPolyline(corners, 3);
        if (opaque) {
            SetBrushStyle(bsSolid);
            FillPolygon(corners, 3);
        }
    }
    EndShape();
}

// A style mark of "Toccata" (twice the factor, bold, narrowed to 0.6), or when
// the font has no such glyph the vector form of the same curved arrow, whose
// cell corner lies at (cornerA + cornerB d, cornerC + cornerD d) from (x, y).
using TArcDrawer = void (*)(TDrawEngine*, float, float, const TCell&, uint8_t, float);
void DrawStyleMark(TDrawEngine* d, float x, float y, const TCell& cell, float f, int code, TArcDrawer arc,
                   uint8_t endFlag, float ca, float cb, float cc, float cd) {
    if (HasMusicGlyph(kToccata, code)) {
        d->DrawCharGlyph(kToccata, x, y, code, cell, 2.0f * f, fsBold, 0.6f);
        return;
    }
    const float dd = cell.fontSizeR - 1.0f;
    arc(d, x + (ca + cb * dd) * XUnit(), y + (cc + cd * dd) * YUnit(), cell, endFlag, f);
}

} // namespace

bool HasMusicGlyph(const char* font, int code) {
    return MusicFontInstalled(font) && FindLegacyGlyph(font, static_cast<uint8_t>(code)) != nullptr;
}

void DrawGlyph174Mark(TDrawEngine* d, float x, float y, const TCell& cell, bool flag, float f) {
    const float H = YUnit();
    const float dd = cell.fontSizeR - 1.0f;
    if (flag) {
        if (HasMusicGlyph(kMusical, 174)) {
            d->DrawCharGlyph(kMusical, x, y, 174, cell, 2.5f * f);
        } else {
            // The held-note mark's drawn twin, where the note drawers put it.
            DrawTriangleDown(d, x - (0.18f - 0.05f * dd) * H, y + (1.0f + 1.75f * dd) * H, cell, true,
                             f * 1.8125f);
        }
        return;
    }
    if (HasMusicGlyph(kMusical, 177))
        d->DrawCharGlyph(kMusical, x + 0.09f * XUnit(), y + 0.3f * dd * H, 177, cell, 2.5f * f, 0, 0.0f, 1800);
}

void DrawGlyph209Mark(TDrawEngine* d, float x, float y, const TCell& cell, bool flag, float f) {
    const float dd = cell.fontSizeR - 1.0f;
    if (flag) {
        if (HasMusicGlyph(kMusical, 209))
            d->DrawCharGlyph(kMusical, x, y, 209, cell, 4.0f * f, 0, 0.28f);
        return;
    }
    if (HasMusicGlyph(kMusical, 177))
        d->DrawCharGlyph(kMusical, x + (0.25f - 0.18f * dd) * XUnit(), y + (-0.42f - 1.35f * dd) * YUnit(), 177,
                         cell, 0.92f * f);
}

void DrawTriangleDown(TDrawEngine* d, float x, float y, const TCell& cell, bool filled, float f) {
    const float W = XUnit(), H = YUnit(), s = cell.fontSizeR;
    const float cx = x + 0.5f * W, cy = y + 0.75f * H;
    const float hw = 0.11f * W * s * f;
    const float h = 0.11f * 0.82f * H * s * f;
    const std::vector<TPoint> corners{P(cx - hw, cy - h / 2), P(cx, cy + h), P(cx + hw, cy - h / 2),
                                      P(cx - hw, cy - h / 2)};
    DrawTriangle(d, corners, filled, true);
}

void DrawTriangleUp(TDrawEngine* d, float x, float y, const TCell& cell, bool filled, float f) {
    const float W = XUnit(), H = YUnit(), s = cell.fontSizeR;
    const float cx = x + 0.5f * W, cy = y + 0.75f * H;
    const float hw = 0.23f * W * s * f;
    const float h = 0.21f * 0.9f * H * s * f;
    const std::vector<TPoint> corners{P(cx - hw, cy + h / 2), P(cx, cy - h), P(cx + hw, cy + h / 2),
                                      P(cx - hw, cy + h / 2)};
    DrawTriangle(d, corners, filled, false);
}

void DrawMarkBar(TDrawEngine*, float x, float y, const TCell& cell, float widthFactor, float heightFactor) {
    const float W = XUnit(), H = YUnit(), s = cell.fontSizeR;
    FillBar(x, y - 0.03f * H, static_cast<int>(W * widthFactor * s), static_cast<int>(H * heightFactor * s), -1);
}

void DrawAccentGlyph(TDrawEngine* d, float x, float y, const TCell& cell, float f) {
    if (HasMusicGlyph(kMusical, 62)) {
        d->DrawCharGlyph(kMusical, x, y, 62, cell, f, fsBold);
        return;
    }
    const float H = YUnit(), dd = cell.fontSizeR - 1.0f;
    DrawAccentVector(d, x + (-0.12f + 0.08f * dd) * H, y + (0.05f + 0.87f * dd) * H, cell, f);
}

void DrawAccentGlyphJianpu(TDrawEngine* d, float x, float y, const TCell& cell, float f) {
    if (HasMusicGlyph(kMusical, 62)) {
        d->DrawCharGlyph(kMusical, x, y, 62, cell, f, fsBold);
        return;
    }
    DrawAccentVectorJianpu(d, x - 0.35f * XUnit(), y - 0.35f * YUnit(), cell, f * 7.0f / 6.0f);
}

void DrawAccentVector(TDrawEngine*, float x, float y, const TCell& cell, float f) {
    const float W = XUnit(), H = YUnit();
    const float g = cell.fontSizeR * f;
    const int saved = GetPenWidth();
    SetPenWidthScaled(0.027f);
    DrawPolyline({P(x + 0.3f * W, y + (0.8f + 0.07f * g) * H), P(x + (0.4f * g + 0.4f) * W, y + 0.8f * H),
                  P(x + 0.3f * W, y + (0.8f - 0.07f * g) * H)},
                 2);
    SetPenWidth(saved);
}

void DrawAccentVectorJianpu(TDrawEngine*, float x, float y, const TCell&, float f) {
    const float W = XUnit(), H = YUnit();
    DrawPolyline({P(x + 0.3f * W, y + (0.85f + 0.08f * f) * H), P(x + (0.5f * f + 0.3f) * W, y + 0.85f * H),
                  P(x + 0.3f * W, y + (0.85f - 0.08f * f) * H)},
                 2);
}

// Toccata 231 is the curved arrow of symbol 91, 246 that of symbol 92, 247 that
// of symbol 162; the corners below put the vector arrow where the glyph stands.
void DrawAttrMark2(TDrawEngine* d, float x, float y, const TCell& cell, float f) {
    DrawStyleMark(d, x, y, cell, f, 231, DrawCurvedArrowVectorC, 1, -0.1f, 0.35f, 0.27f, 0.65f);
}

void DrawAttrMark3(TDrawEngine* d, float x, float y, const TCell& cell, float f) {
    DrawStyleMark(d, x, y, cell, f, 246, DrawCurvedArrowVectorD, 0, -0.1f, 0.35f, 0.25f, 0.65f);
}

void DrawAttrMark4(TDrawEngine* d, float x, float y, const TCell& cell, float f) {
    DrawStyleMark(d, x, y, cell, f, 231, DrawCurvedArrowVectorC, 1, -0.1f, 0.35f, 0.27f, 0.65f);
}

void DrawAttrMark5(TDrawEngine* d, float x, float y, const TCell& cell, float f) {
    DrawStyleMark(d, x, y, cell, f, 247, DrawCurvedArrowVectorF, 0, -0.04f, 0.3f, 0.27f, 0.65f);
}

void DrawDiamond(TDrawEngine*, float x, float y, const TCell& cell, float f, bool filled) {
    const float W = XUnit(), H = YUnit();
    const float dd = 0.12f * (cell.fontSizeR - 1.0f);
    const float cx = x + 0.55f * W, cy = y + 0.6f * H;
    const float u = 0.325f * (W + H);
    const float hw = (1.33f * dd + 0.18f) * u * f;
    const float hh = (dd + 0.23f) * u;
    const std::vector<TPoint> corners{P(cx, cy), P(cx - hw, cy + hh), P(cx, cy + 2 * hh), P(cx + hw, cy + hh),
                                      P(cx, cy)};
    if (filled) {
        SetBrushStyle(bsSolid);
        SetBrushColor(clBlack);
        FillPolygon(corners, 4);
        SetBrushStyle(bsClear);
    } else {
        SetPenWidthScaled(0.038f);
        DrawPolyline(corners, 4);
    }
}
