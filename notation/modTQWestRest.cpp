#include "notation/modTQWestRest.h"

#include "model/modTQCellHelpers.h"
#include "notation/modTQNotationApi.h"
#include "platform/gui/TQGlyphMap.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawAccid.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQDrawWest.h"
#include "render/modTQMainView.h"

namespace {

float XUnit() { return static_cast<float>(MainView()->GetCellWidth()); }
float YUnit() { return static_cast<float>(MainView()->GetCellHeight()); }

// One of the rests 22..27: glyph, factor, glyph offsets and picture offsets,
// each offset c + k (s - 1).
struct TRestForm {
    int glyph;
    float factor;
    float ga, gaK, gb, gbK;
    float ba, baK, bb, bbK;
    void (*picture)(TDrawEngine*, float, float, const TCell&, float);
};

const TRestForm kRests[6] = {
    {206, 1.4f, 0.07f, -0.2f, -1.1f, -0.91f, 0.18f, -0.18f, -0.39f, -0.23f, DrawRest4thBitmap},
    {228, 1.4f, 0.05f, -0.25f, -1.55f, -1.4f, 0.1f, -0.3f, -0.35f, -0.13f, DrawRest8thBitmap},
    {197, 1.4f, -0.08f, -0.2f, -1.4f, -1.2f, -0.1f, -0.3f, -0.4f, -0.18f, DrawRest16thBitmap},
    {168, 1.4f, -0.08f, -0.4f, -1.3f, -1.0f, -0.1f, -0.3f, -0.55f, -0.23f, DrawRest32thBitmap},
    {244, 1.4f, -0.1f, -0.4f, -1.15f, -0.9f, -0.1f, -0.4f, -0.64f, -0.35f, DrawRest64thBitmap},
    {229, 1.4f, -0.12f, -0.4f, -1.03f, -0.8f, -0.1f, -0.45f, -0.76f, -0.5f, DrawRest128thBitmap},
};

} // namespace

void DrawWestRest(TDrawEngine* d, float x, float y, TCell cell) {
    if (cell.Note < 19 || cell.Note > 27)
        return;
    TMainView* mv = MainView();
    const float X = XUnit();
    const float Y = YUnit();
    float s = cell.fontSizeR;
    if (cell.yAdj != 0.0f)
        y += Y * cell.yAdj * 0.13f;
    SetFontColor(d->CurColor);
    const float g = d->GetSizeFactor();
    if (g < 0.9f) {
        s *= g;
        y -= 0.3f * Y;
    }
    const TColor saved = d->CurColor;
    if (cell.color == d->MainLayerColor || cell.color == -1) {
        if (d->ShowChangedRed && (mv->OutputKind == 0 || mv->OutputInColor) &&
            (HasNotesVolAdj(cell) || cell.playDur != 0 || HasCrescRateAdj(cell) || HasRitArpRateAdj(cell)))
            SetFontColor(GetHighlightColor(d));
    } else {
        // A rest of its own colour: its ink, glyph included, takes that colour.
        d->CurColor = cell.color;
        SetFontColor(cell.color);
    }

    const bool dotted = (cell.option & 0x8u) || (cell.option & 0x40u);
    const bool twoDots = (cell.option & 0x40u) != 0;
    if (cell.Note <= 21) {
        SetBrushStyle(bsSolid);
        SetBrushColor(d->CurColor);
        y -= 0.7f * Y;
        const float r = cell.Note == 20 ? -0.25f : -0.125f;
        const int barW = static_cast<int>(0.7f * X);
        if (cell.Note == 19)
            FillBar(x - 0.02f * X, y + (2.0f * r + 0.5f) * Y, barW, static_cast<int>(0.265f * Y), -1);
        else
            FillBar(x - 0.02f * X, y + (0.5f + r) * Y, barW, static_cast<int>(0.18f * Y), -1);
        const int lineW = static_cast<int>(0.935f * X);
        const int lineH = static_cast<int>(0.12f * X);
        if (cell.Note == 21) {
            FillBar(x - 0.15f * X, y + (0.625f + r) * Y, lineW, lineH, -1);
        } else if (cell.Note == 20) {
            FillBar(x - 0.15f * X, y + (0.5f + r) * Y, lineW, lineH, -1);
        } else {
            FillBar(x - 0.15f * X, y + (0.375f + r) * Y, lineW, lineH, -1);
            FillBar(x - 0.15f * X, y + (0.625f + r) * Y, lineW, lineH, -1);
        }
        SetBrushStyle(bsClear);
        if (dotted)
            DrawDotGlyph(d, x + 0.7f * X, y + (2.0f * r - 0.17f) * Y, cell, 1.4f, -1);
        if (twoDots)
            DrawDotGlyph(d, x + 1.0f * X, y + (2.0f * r - 0.17f) * Y, cell, 1.4f, -1);
        d->CurColor = saved;
        return;
    }

    const TRestForm& form = kRests[cell.Note - 22];
    const float k = s - 1.0f;
    if (MusicFontInstalled("MusicalSymbols")) {
        TCell sized = cell;
        sized.fontSizeR = s;
        d->DrawCharGlyph("MusicalSymbols", x + (form.ga + form.gaK * k) * X, y + (form.gb + form.gbK * k) * Y,
                         form.glyph, sized, form.factor);
    } else {
        form.picture(d, x + (form.ba + form.baK * k) * X, y + (form.bb + form.bbK * k) * Y, cell, g);
    }
    SetFontColor(d->CurColor);
    if (dotted)
        DrawDotGlyph(d, x + 0.5f * X, y - 0.865f * Y, cell, 1.4f, -1);
    if (twoDots)
        DrawDotGlyph(d, x + 0.8f * X, y - 0.865f * Y, cell, 1.4f, -1);
    d->CurColor = saved;
}
