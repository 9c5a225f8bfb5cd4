#include "notation/modTQMarkArrows.h"

#include <algorithm>
#include <cmath>

#include "model/modTQPredicates.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQMainView.h"

namespace {

constexpr float kPi = 3.1415925f;

float XUnit() { return static_cast<float>(MainView()->GetCellWidth()); }
float YUnit() { return static_cast<float>(MainView()->GetCellHeight()); }
bool Flipped(const TCell& c) { return (c.option & 0x80000u) != 0; }
bool EndColumnOk(int iEnd) { return iEnd >= 0 && iEnd <= MainView()->Cols; }
bool EndRowOk(int jEnd) { return jEnd >= 0 && jEnd <= MainView()->Rows; }
float XE(const TDrawEngine* d, const TCell& c) {
    return XUnit() * static_cast<float>(c.iEnd + 1) + static_cast<float>(d->GetLeftMarginPx());
}
float YE(const TDrawEngine* d, const TCell& c) {
    return YUnit() * static_cast<float>(c.jEnd + 1) + static_cast<float>(d->GetTopMarginPx());
}

} // namespace

void DrawVerticalArrowMark(TDrawEngine* d, float x, float y, const TCell& cell, bool strokes) {
    if (!EndRowOk(cell.jEnd))
        return;
    const float W = XUnit(), B = static_cast<float>(d->GetBaseYUnit());
    const float h = static_cast<float>(cell.markHAdj), m = static_cast<float>(cell.MarkY),
                e = static_cast<float>(cell.EndYAdj);
    const float g = B * (0.2f - h * 0.05f);
    const float xc = x + 0.5f * W + W * cell.xAdj * 0.2f;
    float top = y + g + B * m * 0.05f;
    float bottom = B * static_cast<float>(cell.jEnd + 1) + static_cast<float>(d->GetTopMarginPx()) - g +
                   B * cell.yAdj * 0.1f + B * (m + e) * 0.05f;
    FillBar(xc - 0.015f * W, top, static_cast<int>(0.06f * W), static_cast<int>(bottom - top), -1);
    if (!Flipped(cell)) {
        DrawArrowHead(xc, top - 0.05f * B, xc, bottom, 0.4f * W);
        top += 0.3f * B;
    } else {
        DrawArrowHead(xc + 0.01f * W, bottom + 0.05f * B, xc + 0.01f * W, top, 0.4f * W);
        bottom -= 0.3f * B;
    }
    // A spacing that is not positive (a large height adjustment) draws no strokes.
    if (strokes && g > 0.0f)
        for (float s = top + g; s < bottom; s += g)
            FillBar(xc - 0.2f * W, s, static_cast<int>(0.42f * W), static_cast<int>(0.03f * B), -1);
}

void DrawCurvedArrowPath(TDrawEngine*, float x1, float y1, float x2, float y2, int side, const TCell& cell) {
    const float W = XUnit(), H = YUnit();
    const float xm = (x1 + x2) / 2.0f;
    const float dd = 0.7f * std::fabs(y2 - y1);
    const float cx = side == 1 ? xm + dd : xm - dd;
    const float cy = (y1 + y2) / 2.0f;
    const float r = std::hypot(xm - cx, y1 - cy);
    const float a0 = std::atan2(cy - y1, xm - cx);
    const float start = side == 0 ? -a0 : a0;
    const float step = side == 0 ? 2.0f * a0 / 13.0f : 2.0f * (kPi - a0) / 13.0f;
    const auto px = [&](int i) { return cx + r * std::cos(start + static_cast<float>(i) * step); };
    const auto py = [&](int i) { return cy + r * std::sin(start + static_cast<float>(i) * step); };
    const float dx = 0.8f * 0.15f * W, dy = 0.2f * H;
    const bool flipped = Flipped(cell);
    if (!flipped) {
        if (side == 1)
            CanvasMoveTo(px(0) + dx, py(0) - dy);
        else
            CanvasMoveTo(px(0) - dx, py(0) + dy);
        CanvasLineTo(px(0), py(0));
    } else {
        CanvasMoveTo(px(0), py(0));
    }
    for (int i = 1; i <= 13; ++i)
        CanvasLineTo(px(i), py(i));
    if (flipped) {
        if (side == 1)
            CanvasLineTo(px(13) + dx, py(13) + dy);
        else
            CanvasLineTo(px(13) - dx, py(13) - dy);
    }
}

void DrawCurvedArrowMark(TDrawEngine* d, float x, float y, const TCell& cell, int side, float extra) {
    if (!EndColumnOk(cell.iEnd) || !EndRowOk(cell.jEnd))
        return;
    const float H = YUnit();
    const float h = static_cast<float>(cell.markHAdj), m = static_cast<float>(cell.MarkY),
                e = static_cast<float>(cell.EndYAdj);
    const float g = H * (0.2f - h * 0.05f);
    const float y1 = y + g + H * m * 0.05f;
    const float x2 = XE(d, cell) + H * (cell.xAdj * 0.1f + extra);
    const float y2 = YE(d, cell) - g + H * cell.yAdj * 0.1f + H * (m + e) * 0.05f;
    DrawCurvedArrowPath(d, x, y1, x2, y2, side, cell);
}

void DrawHookArrowMark(TDrawEngine* d, float x, float y, const TCell& cell) {
    if (!EndColumnOk(cell.iEnd))
        return;
    const float W = XUnit(), H = YUnit();
    float xa = x, xb = XE(d, cell) + H * cell.xAdj * 0.1f, t = 0.2f * W;
    if (xb - xa >= W + 2.0f) {
        xa += t;
        xb -= t;
    } else {
        t = 0.6f * t;
    }
    const float ys = y + H * static_cast<float>(cell.MarkY) * 0.05f;
    const float yb = IsJianpuSound(cell) ? ys - 0.3f * H : ys + 0.7f * H;
    const float xm = (xa + xb) / 2.0f, cy = yb + std::fabs(xa - xb);
    const float r = std::hypot(xa - xm, yb - cy);
    const float a0 = std::atan2(cy - yb, xb - xm);
    const float step = 2.0f * (1.5707963f - a0) / 10.0f;
    const auto px = [&](int i) { return xm + r * std::cos(a0 + static_cast<float>(i) * step); };
    const auto py = [&](int i) { return cy - r * std::sin(a0 + static_cast<float>(i) * step); };
    CanvasMoveTo(px(0) - 2.0f * t, py(0) + t);
    for (int i = 0; i <= 10; ++i)
        CanvasLineTo(px(i), py(i));
}

void DrawStraightLineMark(TDrawEngine* d, float x, float y, int col, const TCell& cell, int) {
    if (!EndColumnOk(cell.iEnd) || !EndRowOk(cell.jEnd))
        return;
    const float W = XUnit(), H = YUnit();
    const float h = static_cast<float>(cell.markHAdj), m = static_cast<float>(cell.MarkY),
                e = static_cast<float>(cell.EndYAdj);
    const float g = H * h * 0.05f;
    const float xs = x + 0.4f * W;
    const float ys = y - g + H * m * 0.05f;
    const float ye = YE(d, cell) + H * cell.yAdj * 0.1f + g + H * (m + e) * 0.05f;
    SetPenStyle(psSolid);
    SetPenWidthScaled(0.038f);
    if (col < cell.iEnd) {
        const float xe = xs + W * (static_cast<float>(cell.iEnd - col) + static_cast<float>(cell.markWAdj) * 0.2f);
        if (Flipped(cell))
            DrawLine(xe, ys, xs, ye);
        else
            DrawLine(xs, ys, xe, ye);
    } else {
        DrawLine(xs, ys, xs, ye);
        DrawLine(x + 0.6f * W, ys, x + 0.6f * W, ye);
    }
    SetPenWidthScaled(0.027f);
}

void DrawRingBracketMark(TDrawEngine* d, float x, float y, const TCell& cell, int col) {
    if (!EndColumnOk(cell.iEnd))
        return;
    const float W = XUnit(), H = YUnit();
    const float xe = XE(d, cell) + H * cell.xAdj * 0.1f + W * static_cast<float>(cell.markWAdj) * 0.1f;
    float k = std::max((static_cast<float>(cell.markHAdj) * 0.05f + 0.2f) * H, 0.01f * H);
    float yl = y - k + 0.95f * H;
    SetPenStyle(psSolid);
    SetPenWidthScaled(0.038f);
    if (Flipped(cell)) {
        yl += 2.0f * k - 0.8f * H;
        k = -k;
    }
    yl += H * static_cast<float>(cell.MarkY) * 0.05f;
    if (cell.iEnd - col < 1) {
        CanvasMoveTo(x, yl + k);
        CanvasLineTo(x, yl);
        CanvasLineTo(xe, yl);
        CanvasLineTo(xe, yl + k);
        return;
    }
    const float xm = (x + xe) / 2.0f, r = 0.25f * W;
    SetBrushStyle(bsClear);
    CanvasMoveTo(x, yl + k);
    CanvasLineTo(x, yl);
    CanvasLineTo(xm - 0.9f * W, yl);
    CanvasMoveTo(xm + 0.9f * W, yl);
    CanvasLineTo(xe, yl);
    CanvasLineTo(xe, yl + k);
    DrawEllipse(xm - 0.4f * W - r, yl - r, xm - 0.4f * W + r, yl + r);
    DrawEllipse(xm + 0.4f * W - r, yl - r, xm + 0.4f * W + r, yl + r);
}
