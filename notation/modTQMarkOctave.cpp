#include "notation/modTQMarkOctave.h"

#include <string>

#include "model/modTQRowQuery.h"
#include "platform/gui/TQGlyphMap.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQMainView.h"

namespace {

float XUnit() { return static_cast<float>(MainView()->GetCellWidth()); }
float YUnit() { return static_cast<float>(MainView()->GetCellHeight()); }
bool EndColumnOk(int iEnd) { return iEnd >= 0 && iEnd <= MainView()->Cols; }

// A "Times New Roman" text in the given style; the note font comes back after.
void StyledText(TDrawEngine* d, float x, float y, const std::string& text, const TCell& cell, float factor,
                int style) {
    SetFontStyle(style);
    d->DrawTimesText(x, y, text, cell, factor);
}

} // namespace

void DrawOctaveLineMark(TDrawEngine* d, float x, int col, int row, const TCell& cell, int variant, bool fifteen) {
    if (!EndColumnOk(cell.iEnd))
        return;
    const float W = XUnit(), H = YUnit();
    const float X0 = static_cast<float>(d->GetLeftMarginPx()), Y0 = static_cast<float>(d->GetTopMarginPx());
    const float xe = X0 + W * (static_cast<float>(cell.iEnd) + 0.7f) + H * cell.xAdj * 0.1f +
                     W * static_cast<float>(cell.markWAdj) * 0.1f;
    const float xs = x - 0.5f * W;
    const float base = H * static_cast<float>(row) + Y0 + H * cell.yAdj * 0.1f - H;
    const bool below = variant >= 2;
    const bool west = IsWestRow(row, 0, MainView()->CurPage);
    float yl = base + (west ? 0.2f : 1.5f) * H * (below ? -1.0f : 1.0f);
    yl += 0.05f * H * static_cast<float>(cell.MarkY);
    const float e = 0.05f * H * static_cast<float>(cell.EndYAdj);
    float yh = yl + 0.3f * H + e;
    if (below) {
        yl += 3.0f * H;
        yh = yl - (0.3f * H - e);
    }
    const float f = fifteen ? 1.0f : 0.0f;
    StyledText(d, xs + 0.2f * W, yl - 0.2f * H, fifteen ? "15" : "8", cell, 0.7f, fsItalic);
    StyledText(d, xs + W * (0.8f + 0.6f * f), yl - 0.25f * H, below ? "vb" : "va", cell, 0.6f, fsItalic);
    if (cell.iEnd - col > 1) {
        DrawDottedLine(xs + W * (1.8f + 0.6f * f), yl, xe, yl);
        if (variant == 0 || variant == 2) {
            SetPenStyle(psSolid);
            SetPenWidthScaled(0.038f);
            DrawLine(xe, yl, xe, yh);
            SetPenWidthScaled(0.027f);
        }
    }
}

void DrawVoltaMark(TDrawEngine* d, float x, int col, int row, const TCell& cell) {
    if (!EndColumnOk(cell.iEnd))
        return;
    const float W = XUnit(), H = YUnit();
    const float X0 = static_cast<float>(d->GetLeftMarginPx()), Y0 = static_cast<float>(d->GetTopMarginPx());
    const float xe = W * static_cast<float>(cell.iEnd + 1) + X0 + H * cell.xAdj * 0.1f +
                     W * static_cast<float>(cell.markWAdj) * 0.1f;
    const float r = static_cast<float>(row);
    float base;
    if (IsWestRow(row, 0, MainView()->CurPage))
        base = H * r + Y0;
    else if (IsJianpuMusicRow(row))
        base = Y0 + (r + 1.2f) * H;
    else
        base = H * (r + 1.0f) + Y0;
    const float yl = base - H + 0.5f * H + 0.05f * H * static_cast<float>(cell.MarkY) + H * cell.yAdj * 0.1f;
    const float yh = yl + 0.3f * H + 0.05f * H * static_cast<float>(cell.EndYAdj);
    StyledText(d, x + 0.2f * W, yl, cell.markType == 80 ? "2." : "1.", cell, 0.7f, fsBold | fsItalic);
    if (cell.iEnd != col) {
        CanvasMoveTo(x, yh);
        CanvasLineTo(x, yl);
        CanvasLineTo(xe, yl);
        if (cell.markType == 78)
            CanvasLineTo(xe, yh);
    }
}

void DrawMultiRestMark(TDrawEngine* d, float x, float y, const TCell& cell, int col, int row) {
    if (!EndColumnOk(cell.iEnd))
        return;
    const float W = XUnit(), H = YUnit();
    // A count below 1 is drawn as 1; the stored cell is left as it is.
    const int count = cell.markHAdj < 1 ? 1 : cell.markHAdj;
    const std::string text = std::to_string(count);
    const float xs = x + 0.05f * W * cell.xAdj;
    const float xr = xs + W * (static_cast<float>(cell.iEnd - col + 1) + 0.05f * static_cast<float>(cell.markWAdj));
    SetBrushStyle(bsSolid);
    SetBrushColor(d->CurColor);
    FillBar(xs, y + 0.25f * H, static_cast<int>(0.1f * W), static_cast<int>(0.5f * H), -1);
    FillBar(xr, y + 0.25f * H, static_cast<int>(0.1f * W), static_cast<int>(0.5f * H), -1);
    FillBar(xs, y + 0.45f * H, static_cast<int>(xr - xs), static_cast<int>(0.1f * H), -1);
    SetBrushStyle(bsClear);
    if (count > 1) {
        const float tw = static_cast<float>(CanvasTextExtent(text).cx);
        const float xt = (xs + xr - 0.5f * tw) / 2.0f;
        const float yt = IsWestRow(row, 0, MainView()->CurPage) ? y : y + 0.4f * H;
        if (MusicFontInstalled("MusicalSymbols"))
            d->DrawGlyphString("MusicalSymbols", xt, yt - 1.35f * H, text, cell, 1.1f);
        else
            StyledText(d, xt, yt - 0.65f * H, text, cell, 0.8f, 0);
    }
}

void DrawDownTailImageMark(TDrawEngine* d, float x, float y, const TCell& cell, int, int) {
    // The tail picture is one of the program's symbol images.
    d->DrawSymbolBitmap(x - 0.2f * XUnit(), y, 1.1f * XUnit() * cell.fontSizeR, siDnTail);
}
