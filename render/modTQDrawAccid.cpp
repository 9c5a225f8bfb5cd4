#include "render/modTQDrawAccid.h"

#include <algorithm>
#include <cmath>

#include "model/modTQUtil.h"
#include "platform/gui/TQBitmap.h"
#include "platform/gui/TQGlyphMap.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQInkMeasure.h"
#include "render/modTQMainView.h"

namespace {

const char* const kMusical = "MusicalSymbols";
const char* const kToccata = "Toccata";

float XUnit() { return static_cast<float>(MainView()->GetCellWidth()); }
float YUnit() { return static_cast<float>(MainView()->GetCellHeight()); }

// A sign glyph, placed alike on every canvas.
void SignGlyph(TDrawEngine* d, const char* font, int code, float x, float y, const TCell& cell, float f,
               TCanvas* canvas) {
    d->DrawCharGlyph(font, x, y, code, cell, f, 0, 0.0f, 0, canvas);
}

bool HasToccataGlyph(int code) { return FindLegacyGlyph(kToccata, static_cast<uint8_t>(code)) != nullptr; }

// A symbol image of width x unit x f x s x widthFactor.
void SignBitmap(TDrawEngine* d, int index, float widthFactor, float x, float y, const TCell& cell, float f) {
    d->DrawSymbolBitmap(x, y, XUnit() * f * cell.fontSizeR * widthFactor, index);
}

} // namespace

// ---- glyphs ----

void DrawSharpGlyph(TDrawEngine* d, float x, float y, const TCell& cell, float f, TCanvas* canvas) {
    SignGlyph(d, kMusical, 35, x, y, cell, f, canvas);
}

void DrawFlatGlyph(TDrawEngine* d, float x, float y, const TCell& cell, float f, TCanvas* canvas) {
    SignGlyph(d, kMusical, 98, x, y, cell, f, canvas);
}

void DrawNaturalGlyph(TDrawEngine* d, float x, float y, const TCell& cell, float f, TCanvas* canvas) {
    SignGlyph(d, kMusical, 110, x, y, cell, f, canvas);
}

void DrawDoubleFlatGlyph(TDrawEngine* d, float x, float y, const TCell& cell, float f, TCanvas* canvas) {
    SignGlyph(d, kMusical, 186, x, y, cell, f, canvas);
}

void DrawDoubleSharpGlyph(TDrawEngine* d, float x, float y, const TCell& cell, float f, TCanvas* canvas) {
    SignGlyph(d, kMusical, 220, x, y, cell, f, canvas);
}

void DrawHalfSharp(TDrawEngine* d, float x, float y, const TCell& cell, float f, TCanvas* canvas) {
    if (HasToccataGlyph(135)) {
        SignGlyph(d, kToccata, 135, x, y, cell, f, canvas);
        return;
    }
    const float dd = cell.fontSizeR - 1.0f;
    DrawSharpVector(d, x + XUnit() * (0.1f - 0.1f * dd), y + YUnit() * (0.65f + 0.65f * dd), cell, 1.3f * f, 1);
}

void DrawReversedFlat(TDrawEngine* d, float x, float y, const TCell& cell, float f, TCanvas* canvas) {
    if (HasToccataGlyph(137)) {
        SignGlyph(d, kToccata, 137, x, y, cell, f, canvas);
        return;
    }
    const float dd = cell.fontSizeR - 1.0f;
    d->DrawSymbolBitmap(x - 0.06f * XUnit(), y + YUnit() * (0.445f + 0.38f * dd),
                        0.32f * XUnit() * f * cell.fontSizeR, siFlatBack);
}

void DrawThreeQuarterSharp(TDrawEngine* d, float x, float y, const TCell& cell, float f, TCanvas* canvas) {
    if (HasToccataGlyph(136)) {
        SignGlyph(d, kToccata, 136, x, y, cell, f, canvas);
        return;
    }
    const float dd = cell.fontSizeR - 1.0f;
    DrawSharpVector(d, x + XUnit() * (0.2f + 0.2f * dd), y + YUnit() * (0.7f + 0.68f * dd), cell, f, 3);
}

void DrawThreeQuarterFlat(TDrawEngine* d, float x, float y, const TCell& cell, float f, TCanvas* canvas) {
    const float dd = cell.fontSizeR - 1.0f;
    const float Y = YUnit();
    DrawReversedFlat(d, x, y - 0.48f * Y, cell, 0.96f * f, canvas);
    // The step to the flat is measured in y units.
    DrawFlatGlyph(d, x + 0.2f * Y * cell.fontSizeR, y + Y * (-0.76f - 0.35f * dd), cell, f, canvas);
}

// ---- symbol images ----

void DrawFlatBitmap(TDrawEngine* d, float x, float y, const TCell& cell, float f) {
    SignBitmap(d, siFlat, 0.27f, x, y, cell, f);
}

void DrawNaturalBitmap(TDrawEngine* d, float x, float y, const TCell& cell, float f) {
    d->DrawSymbolBitmap(x, y, std::trunc(XUnit() * f * cell.fontSizeR * 0.3f), siNatural);
}

void DrawDoubleFlatBitmap(TDrawEngine* d, float x, float y, const TCell& cell, float f) {
    const float dd = cell.fontSizeR - 1.0f;
    DrawFlatBitmap(d, x, y, cell, f);
    DrawFlatBitmap(d, x - XUnit() * (0.15f + 0.15f * dd), y, cell, f);
}

void DrawDoubleSharpBitmap(TDrawEngine* d, float x, float y, const TCell& cell, float f) {
    SignBitmap(d, siDSharp, 0.38f, x, y, cell, f);
}

void DrawReversedFlatBitmap(TDrawEngine* d, float x, float y, const TCell& cell, float f) {
    SignBitmap(d, siFlatBack, 0.9f, x, y, cell, f);
}

void DrawThreeQuarterFlatBitmap(TDrawEngine* d, float x, float y, const TCell& cell, float f) {
    SignBitmap(d, si3QFlat, 0.58f, x, y, cell, f);
}

void DrawRest4thBitmap(TDrawEngine* d, float x, float y, const TCell& cell, float f) {
    SignBitmap(d, siRest4th, 0.3f, x, y, cell, f);
}

void DrawRest8thBitmap(TDrawEngine* d, float x, float y, const TCell& cell, float f) {
    SignBitmap(d, siRest8th, 0.5f, x, y, cell, f);
}

void DrawRest16thBitmap(TDrawEngine* d, float x, float y, const TCell& cell, float f) {
    SignBitmap(d, siRest16th, 0.62f, x, y, cell, f);
}

void DrawRest32thBitmap(TDrawEngine* d, float x, float y, const TCell& cell, float f) {
    SignBitmap(d, siRest32th, 0.75f, x, y, cell, f);
}

void DrawRest64thBitmap(TDrawEngine* d, float x, float y, const TCell& cell, float f) {
    SignBitmap(d, siRest64th, 0.9f, x, y, cell, f);
}

void DrawRest128thBitmap(TDrawEngine* d, float x, float y, const TCell& cell, float f) {
    SignBitmap(d, siRest128th, 1.05f, x, y, cell, f);
}

// ---- vector sharp ----

void DrawSharpVector(TDrawEngine* d, float x, float y, const TCell& cell, float f, int strokes) {
    const float Y = YUnit();
    const float s = cell.fontSizeR;
    const int n = strokes;
    const float A = Y * f * 0.15f * s;
    const float B = Y * f * s * (n == 1 ? 0.1f : n == 3 ? 0.225f : 0.15f);
    SetPenWidth(0);

    // Two bars rising to the right.
    const float T = 0.38f * A;
    const float F = 0.5f * B;
    const float E = 0.6f * A;
    float H = (n == 3 ? 0.6f : 0.4f) * A;
    FillSlantedBar(x - F, y - E, x + F, y - E - H, T);
    FillSlantedBar(x - F, y + E, x + F, y + E - H, T);

    SetBrushStyle(bsSolid);
    SetPenStyle(psClear);
    SetBrushColor(d->CurColor);

    // Upright strokes; the right one stands higher, following the bars.
    const float W = std::ceil(0.125f * A);
    const float G = 1.6f * A;
    const float D = static_cast<float>(RoundToInt((n == 3 ? 0.3f : 0.25f) * B));
    const float Z = (n == 1 ? 0.15f : 0.05f) * A;
    H /= 2.0f;
    if (n != 1)
        FillRectColor(x - D, y - G, x - D + W, y + G, d->CurColor);
    FillRectColor(x + D - Z, y - G - H + Z, x + D - Z + W, y + G - H + Z, d->CurColor);
    if (n == 3)
        FillRectColor(x - Z, y - G - H / 2.0f + Z, x - Z + W, y + G - H / 2.0f + Z, d->CurColor);

    SetPenWidthScaled(0.027f);
    SetBrushStyle(bsClear);
    SetPenStyle(psSolid);
}

// ---- accidental beside a symbol ----

namespace {
// Height of a symbol image drawn w pixels wide.
float ImageHeight(TDrawEngine* d, int index, float w) {
    const TBitmap* image = d->GetSymbolBitmap(index);
    if (!image || image->Width() <= 0)
        return 0.0f;
    return static_cast<float>(RoundToInt(w * static_cast<float>(image->Height()) / static_cast<float>(image->Width())));
}
} // namespace

float AccidentalFallbackBottom(TDrawEngine* d, const TCell& cell) {
    const float X = XUnit(), Y = YUnit();
    const float s = cell.fontSizeR, dd = s - 1.0f;
    switch (cell.Attr & 15u) {
    case 1: return Y * (-0.25f - 1.25f * dd) + 1.6f * Y * 0.15f * s; // the centre and the strokes' half length
    case 2: return Y * (-0.5f - 1.5f * dd) + ImageHeight(d, siFlat, X * 1.1f * s * 0.27f);
    case 3: return Y * (-0.52f - 1.5f * dd) + ImageHeight(d, siNatural, std::trunc(X * 1.1f * s * 0.3f));
    default: return 0.0f;
    }
}

void DrawAccidental(TDrawEngine* d, const TCell& cell, float x, float y) {
    const float X = XUnit();
    const float Y = YUnit();
    const float dd = cell.fontSizeR - 1.0f;
    const bool font = MusicFontInstalled(kMusical);
    const bool alternate = font && cell.breakPoint == 1;
    if (alternate)
        y += 0.8f * Y;
    const int k = static_cast<int>(cell.Attr & 15u);
    if (k == 0 || k > 9)
        return;

    if (!font) {
        switch (k) {
        case 1:
            DrawSharpVector(d, x + X * (0.5f + 0.07f * dd), y + Y * (-0.25f - 1.25f * dd), cell, 1.0f, 2);
            break;
        case 2:
            DrawFlatBitmap(d, x + 0.43f * X, y + Y * (-0.5f - 1.5f * dd), cell, 1.1f);
            break;
        case 3:
            DrawNaturalBitmap(d, x + X * (0.35f - 0.07f * dd), y + Y * (-0.52f - 1.5f * dd), cell, 1.1f);
            break;
        default:
            break;
        }
        return;
    }

    using TSignDrawer = void (*)(TDrawEngine*, float, float, const TCell&, float, TCanvas*);
    struct TPlace {
        TSignDrawer drawer;
        float a, b, c, e, f;    // normal place
        float aa, ab, ac, ae;   // alternate place (same factor)
    };
    static const TPlace kPlaces[9] = {
        {DrawSharpGlyph, 0.4f, 0.0f, -0.52f, -1.4f, 1.0f, 0.35f, -0.1f, -0.43f, -0.7f},
        {DrawFlatGlyph, 0.43f, 0.02f, -0.47f, -1.45f, 1.1f, 0.43f, -0.05f, -0.4f, -0.58f},
        {DrawNaturalGlyph, 0.43f, 0.02f, -0.62f, -1.45f, 1.1f, 0.4f, -0.05f, -0.52f, -0.73f},
        {DrawHalfSharp, 0.43f, 0.02f, -0.3f, -1.45f, 1.1f, 0.43f, -0.05f, -0.25f, -0.55f},
        {DrawDoubleFlatGlyph, 0.35f, 0.02f, -0.35f, -1.45f, 1.0f, 0.35f, -0.05f, -0.4f, -0.73f},
        {DrawDoubleSharpGlyph, 0.35f, 0.02f, -0.45f, -1.45f, 1.1f, 0.35f, -0.05f, -0.65f, -1.0f},
        {DrawReversedFlat, 0.38f, -0.1f, -0.2f, -1.3f, 1.1f, 0.38f, -0.05f, -0.2f, -0.5f},
        {DrawThreeQuarterSharp, 0.35f, 0.02f, -0.3f, -1.35f, 1.1f, 0.35f, -0.05f, -0.25f, -0.55f},
        {DrawThreeQuarterFlat, 0.25f, 0.02f, 0.3f, -1.45f, 1.1f, 0.25f, -0.2f, 0.35f, -0.4f},
    };
    const TPlace& p = kPlaces[k - 1];
    if (alternate)
        p.drawer(d, x + X * (p.aa + p.ab * dd), y + Y * (p.ac + p.ae * dd), cell, p.f, nullptr);
    else
        p.drawer(d, x + X * (p.a + p.b * dd), y + Y * (p.c + p.e * dd), cell, p.f, nullptr);
}

// ---- room taken beside a note ----

namespace {

TSignSpan GlyphSpan(TDrawEngine* d, const char* font, int code, const TCell& cell, float f) {
    const TLegacyGlyph* g = FindLegacyGlyph(font, static_cast<uint8_t>(code));
    const float w = static_cast<float>(d->CharGlyphExtent(font, code, cell, f).cx);
    // The advance is the ink's width; the ink starts at the glyph's own offset.
    const float left = g && g->advance > 0.0f ? g->dx / g->advance * w : 0.0f;
    return TSignSpan{left, left + w};
}

TSignSpan BitmapSpan(float widthFactor, const TCell& cell, float f) {
    return TSignSpan{0.0f, XUnit() * f * cell.fontSizeR * widthFactor};
}

// The vector sharp about its centre (see DrawSharpVector).
TSignSpan SharpVectorSpan(const TCell& cell, float f, int n) {
    const float A = YUnit() * f * 0.15f * cell.fontSizeR;
    const float B = YUnit() * f * cell.fontSizeR * (n == 1 ? 0.1f : n == 3 ? 0.225f : 0.15f);
    const float F = 0.5f * B;
    const float W = std::ceil(0.125f * A);
    const float D = static_cast<float>(RoundToInt((n == 3 ? 0.3f : 0.25f) * B));
    const float Z = (n == 1 ? 0.15f : 0.05f) * A;
    return TSignSpan{-std::max(F, n == 1 ? Z : D), std::max(F, D - Z + W)};
}

TSignSpan Shifted(TSignSpan s, float dx) { return TSignSpan{s.left + dx, s.right + dx}; }

} // namespace

TSignSpan AccidentalSpan(TDrawEngine* d, int kind, bool withFont, const TCell& cell, float f) {
    const float X = XUnit();
    const float dd = cell.fontSizeR - 1.0f;
    if (kind == 9 && withFont && MusicFontInstalled(kMusical)) {
        // The glyph pair the sign drawer draws, measured from its ink.
        const TMainView* mv = MainView();
        const std::string key = "three-quarter flat|" + std::to_string(f) + "|" + std::to_string(cell.fontSizeR) +
                                "|" + std::to_string(mv->GetCellWidth()) + "x" + std::to_string(mv->GetCellHeight()) +
                                "|" + std::to_string(mv->GetDrawScale());
        const TInkBox ink = MeasureInk(key, 4 * std::max(mv->GetCellHeight(), 8),
                                       [&](float px, float py) { DrawThreeQuarterFlat(d, px, py, cell, f); });
        return ink.empty ? TSignSpan{} : TSignSpan{ink.left, ink.right + 1.0f};
    }
    if (kind == 9)
        return BitmapSpan(0.58f, cell, f);
    if (withFont) {
        switch (kind) {
        case 1: return GlyphSpan(d, kMusical, 35, cell, f);
        case 2: return GlyphSpan(d, kMusical, 98, cell, f);
        case 3: return GlyphSpan(d, kMusical, 110, cell, f);
        case 4:
            return HasToccataGlyph(135) ? GlyphSpan(d, kToccata, 135, cell, f)
                                        : Shifted(SharpVectorSpan(cell, 1.3f * f, 1), X * (0.1f - 0.1f * dd));
        case 5: return GlyphSpan(d, kMusical, 186, cell, f);
        case 6: return GlyphSpan(d, kMusical, 220, cell, f);
        case 7:
            return HasToccataGlyph(137) ? GlyphSpan(d, kToccata, 137, cell, f)
                                        : Shifted(BitmapSpan(0.32f, cell, f), -0.06f * X);
        case 8:
            return HasToccataGlyph(136) ? GlyphSpan(d, kToccata, 136, cell, f)
                                        : Shifted(SharpVectorSpan(cell, f, 3), X * (0.2f + 0.2f * dd));
        default: return TSignSpan{};
        }
    }
    switch (kind) {
    case 1: return SharpVectorSpan(cell, f, 2);
    case 2: return BitmapSpan(0.27f, cell, f);
    case 3: return TSignSpan{0.0f, std::trunc(X * f * cell.fontSizeR * 0.3f)};
    case 4: return SharpVectorSpan(cell, f, 1);
    case 5: {
        const TSignSpan one = BitmapSpan(0.27f, cell, f);
        return TSignSpan{-X * (0.15f + 0.15f * dd), one.right};
    }
    case 6: return BitmapSpan(0.38f, cell, f);
    case 7: return BitmapSpan(0.9f, cell, f);
    case 8: return SharpVectorSpan(cell, f, 3);
    default: return TSignSpan{};
    }
}

float ClearOfDigit(TDrawEngine* d, int kind, bool withFont, const TCell& cell, float f, float x, float digitLeft) {
    if (kind < 1 || kind > 9)
        return x;
    const float gap = std::max(1.5f, 0.1f * XUnit() * cell.fontSizeR);
    // One pixel for the rounding of the sign's own position.
    const float right = x + AccidentalSpan(d, kind, withFont, cell, f).right + 1.0f;
    return right > digitLeft - gap ? x - (right - (digitLeft - gap)) : x;
}
