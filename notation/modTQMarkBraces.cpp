#include "notation/modTQMarkBraces.h"

#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "notation/modTQDrawWest.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQMainView.h"

namespace {

float XUnit() { return static_cast<float>(MainView()->GetCellWidth()); }
float YUnit() { return static_cast<float>(MainView()->GetCellHeight()); }
bool EndRowOk(int jEnd) { return jEnd >= 0 && jEnd <= MainView()->Rows; }
float YE(const TDrawEngine* d, const TCell& c) {
    return YUnit() * static_cast<float>(c.jEnd + 1) + static_cast<float>(d->GetTopMarginPx());
}
float Adj(int v) { return static_cast<float>(v); }

// The mark's top and bottom: g = 0.05 H h at both ends, MarkY moving the
// whole and EndYAdj the bottom.
float Bottom(const TDrawEngine* d, const TCell& c) {
    const float H = YUnit();
    return YE(d, c) + H * c.yAdj * 0.1f + 0.05f * H * Adj(c.markHAdj) + 0.05f * H * Adj(c.MarkY + c.EndYAdj);
}

// Draws in the normal colour while it lives.
class TNormalColour {
public:
    explicit TNormalColour(TDrawEngine* d) : d_(d), saved_(d->CurColor) { d->CurColor = d->MainLayerColor; }
    ~TNormalColour() { d_->CurColor = saved_; }
    TNormalColour(const TNormalColour&) = delete;
    TNormalColour& operator=(const TNormalColour&) = delete;

private:
    TDrawEngine* d_;
    TColor saved_;
};

} // namespace

void DrawCurlyBraceMark(TDrawEngine* d, float x, float y, const TCell& cell, bool, bool rightFacing) {
    if (!EndRowOk(cell.jEnd))
        return;
    const float W = XUnit(), H = YUnit();
    const float top = y - 0.05f * H * Adj(cell.markHAdj) + 0.05f * H * Adj(cell.MarkY);
    const float bottom = Bottom(d, cell);
    const float mid = (top + bottom) / 2.0f, r = 0.3f * W, xb = x + 0.35f * W;
    SetPenColor(d->CurColor);
    SetPenStyle(psSolid);
    SetPenWidthScaled(0.038f);
    if (!rightFacing) {
        const float xl = xb + 0.4f * W;
        DrawArcPolyline(xl + r, top + r, r, 180, 270);
        DrawLine(xl, top + r, xl, mid - r);
        DrawArcPolyline(xl - r, mid - r, r, 0, 90);
        DrawArcPolyline(xl - r, mid + r, r, 270, 360);
        DrawLine(xl, mid + r, xl, bottom - r);
        DrawArcPolyline(xl + r, bottom - r, r, 90, 180);
        CanvasLineTo(xl, bottom - 1.5f * r);
    } else {
        const float xl = xb + 0.2f * W;
        DrawArcPolyline(xl - r, top + r, r, 270, 360);
        DrawLine(xl, top + r, xl, mid - r);
        DrawArcPolyline(xl + r, mid - r, r, 90, 180);
        DrawArcPolyline(xl + r, mid + r, r, 180, 270);
        DrawLine(xl, mid + r, xl, bottom - r);
        DrawArcPolyline(xl - r, bottom - r, r, 0, 90);
    }
    SetPenWidthScaled(0.027f);
}

void DrawStartBracketMark(TDrawEngine* d, float x, float y, int col, int row, const TCell& cell, bool bar) {
    if (!EndRowOk(cell.jEnd) || cell.jEnd - row < 0)
        return;
    const float W = XUnit(), H = YUnit();
    const float xl = x - 0.48f * W - (col == 0 ? 0.52f * W : 0.0f);
    const float top = y - 0.05f * H * Adj(cell.markHAdj) + 0.05f * H * Adj(cell.MarkY);
    const float bottom = Bottom(d, cell);
    d->DrawSymbolBitmap(xl + 0.4f * W, top, 0.6f * W, siStartBrack, bottom - top);
    if (bar)
        FillBar(xl + W, top, static_cast<int>(0.12f * W), static_cast<int>(bottom - top), -1);
    if (IsJianpuMusicRow(row))
        DrawRepeatDotsColumn(d, xl + 1.1f * W, top, row, cell);
}

void DrawSystemBracketMark(TDrawEngine* d, float x, float y, int col, int row, const TCell& cell) {
    if (!EndRowOk(cell.jEnd) || cell.jEnd - row < 0)
        return;
    const float W = XUnit(), H = YUnit();
    const bool clef = IsClefCell(cell);
    float xs = x + W * (0.02f * Adj(cell.markWAdj) + 0.01f * cell.xAdj);
    if (clef || col == 0)
        xs -= 0.5f * W;
    xs += clef ? 0.35f * W : 0.37f * W;
    const float r = 0.3f * W;
    const float top = y - 0.05f * H * Adj(cell.markHAdj) + 0.05f * H * Adj(cell.MarkY) - 0.15f * H;
    const float bottom = Bottom(d, cell) + (clef ? 0.2f : 0.15f) * H;
    const TColor colour = d->CurColor;
    SetBrushStyle(bsSolid);
    SetBrushColor(colour);
    TNormalColour normal(d);
    FillBar(xs + 0.5f * r, top + 0.5f * r, static_cast<int>(0.12f * W), static_cast<int>(bottom - top - r), -1);
    SetPenWidthScaled(0.057f);
    SetPenColor(colour);
    SetPenStyle(psSolid);
    DrawArcPolyline(xs, top, r, 0, 90);
    DrawArcPolyline(xs, bottom, r, 270, 360);
    SetBrushStyle(bsClear);
    FillBar(xs - 0.2f * r, top + r, static_cast<int>(0.144f * W), static_cast<int>(bottom - top - 2.0f * r), -1);
    if (clef && cell.jEnd > 0 && cell.iEnd > 0 && (cell.playDur & 1) == 0) {
        const float y1 = H * static_cast<float>(row + 1) + static_cast<float>(d->GetTopMarginPx());
        const float y2 = H * static_cast<float>(cell.jEnd) + static_cast<float>(d->GetTopMarginPx());
        const float xe = W * static_cast<float>(cell.iEnd + 1) + static_cast<float>(d->GetLeftMarginPx());
        if (y2 > y1)
            FillBar(xe, y1, static_cast<int>(0.12f * W), static_cast<int>(y2 - y1), -1);
    }
    if (IsJianpuMusicRow(row))
        DrawRepeatDotsColumn(d, xs + 0.3f * W, top, row, cell);
    SetPenWidthScaled(0.027f);
}

void DrawSquareBracketMark(TDrawEngine*, float x, float y, int col, int row, const TCell& cell) {
    if (!EndRowOk(cell.jEnd) || cell.jEnd - row < 0)
        return;
    const float W = XUnit(), H = YUnit();
    const float t = 0.12f * W;
    const bool flipped = (cell.option & 0x80000u) != 0;
    float xp = x + 0.05f * W * Adj(cell.markWAdj);
    const float yp = y + 0.05f * W * Adj(cell.MarkY);
    if (!flipped && col == 0)
        xp -= 0.6f * W;
    if (flipped)
        xp += W;
    const float arm = W * (0.05f * Adj(cell.markHAdj) + 0.3f);
    const int L = static_cast<int>(H * (static_cast<float>(cell.jEnd - row) + 0.99f) + 0.05f * H * Adj(cell.EndYAdj));
    const float fl = static_cast<float>(L);
    if (!flipped) {
        FillBar(xp, yp, static_cast<int>(1.5f * t), L, -1);
        FillBar(xp, yp, static_cast<int>(arm + 1.5f * t), static_cast<int>(t), -1);
        FillBar(xp, yp + fl, static_cast<int>(arm + 1.5f * t), static_cast<int>(t), -1);
    } else {
        FillBar(xp - t, yp, static_cast<int>(1.5f * t), L, -1);
        FillBar(xp - arm - 2.0f * t, yp, static_cast<int>(arm + t), static_cast<int>(t), -1);
        FillBar(xp - arm - 2.0f * t, yp + fl, static_cast<int>(arm + 2.0f * t), static_cast<int>(t), -1);
    }
}
