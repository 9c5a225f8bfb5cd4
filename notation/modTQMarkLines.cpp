#include "notation/modTQMarkLines.h"

#include <algorithm>
#include <cmath>

#include "model/modTQCellHelpers.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "model/modTQUtil.h"
#include "notation/modTQCurves.h"
#include "render/modTQBarLine.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQDrawWest.h"
#include "render/modTQMainView.h"

namespace {

constexpr uint32_t kFlipped = 0x80000;

float XUnit() { return static_cast<float>(MainView()->GetCellWidth()); }
float YUnit() { return static_cast<float>(MainView()->GetCellHeight()); }
float BUnit(const TDrawEngine* d) { return static_cast<float>(d->GetBaseYUnit()); }
float X0(const TDrawEngine* d) { return static_cast<float>(d->GetLeftMarginPx()); }
float Y0(const TDrawEngine* d) { return static_cast<float>(d->GetTopMarginPx()); }

bool Flipped(const TCell& c) { return (c.option & kFlipped) != 0; }
// An end column or row the page holds (its spare column and row included).
bool EndColumnOk(int iEnd) { return iEnd >= 0 && iEnd <= MainView()->Cols; }
bool EndRowOk(int jEnd) { return jEnd >= 0 && jEnd <= MainView()->Rows; }

bool IsSquareBracketKind(int kind) { return kind == 4 || kind == 5 || kind == 6; }

// The cell's d (octave dots) and UL (underlines), 0 outside the page.
int DotsAt(int col, int row) {
    const TCell* c = MarkCellAt(col, row);
    return c ? c->dot : 0;
}
int UnderlinesAt(int col, int row) {
    const TCell* c = MarkCellAt(col, row);
    return c ? c->UL : 0;
}

// The hairpins' highlight: an adjusted crescendo rate shows in the highlight
// colour where colours are shown.
void HairpinPen(TDrawEngine* d, const TCell& cell) {
    SetPenStyle(psSolid);
    const TMainView* mv = MainView();
    if (HasCrescRateAdj(cell) && (d->GetOutputKind() == 0 || mv->OutputInColor) &&
        d->CurColor != d->HidenLayerColor && d->ShowChangedRed)
        SetPenColor(GetHighlightColor(d));
}

} // namespace

const TCell* MarkCellAt(int col, int row) {
    TMainView* mv = MainView();
    if (CurLayer < 0 || CurLayer > 1 || col < 0 || row < 0)
        return nullptr;
    const TLayer& layer = mv->PageSets[static_cast<size_t>(CurLayer)];
    if (mv->CurPage < 0 || static_cast<size_t>(mv->CurPage) >= layer.size())
        return nullptr;
    const TPage& page = layer[static_cast<size_t>(mv->CurPage)];
    if (static_cast<size_t>(row) >= page.size() || static_cast<size_t>(col) >= page[static_cast<size_t>(row)].size())
        return nullptr;
    return &page[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

// ---- brackets ----

void DrawBracketMark(TDrawEngine* d, float x, float y, const TCell& cell, int ends, int col, int row, int mode) {
    const TCell* E = MarkCellAt(cell.iEnd, row);
    if (!EndColumnOk(cell.iEnd) || !E)
        return;
    const TMainView* mv = MainView();
    const float W = XUnit(), H = YUnit();
    const bool flipped = Flipped(cell);
    const int h = cell.markHAdj, w = cell.markWAdj, m = cell.MarkY, e = cell.EndYAdj;
    const float xe0 = X0(d) + W * static_cast<float>(cell.iEnd) + 0.1f * H * cell.xAdj;
    SetPenStyle(psSolid);
    SetPenWidthScaled(0.038f);

    bool startJoin = false, endJoin = false;
    if (mode == 0 && flipped) {
        bool music = IsMusicRow(row);
        y += music ? 1.5f * H : 0.5f * H;
        if (!music && row > 0)
            music = IsMusicRow(row - 1);
        if (music) {
            const auto joins = [](const TCell* c, bool needFlipped) {
                return c && (IsSquareBracketKind(c->markType) || c->markType == 96) && (!needFlipped || Flipped(*c));
            };
            endJoin = (IsSquareBracketKind(E->markType) && Flipped(*E)) || (E->markType == 96 && !Flipped(*E));
            if (!endJoin && row < mv->Rows - 1)
                endJoin = joins(MarkCellAt(cell.iEnd, row + 1), true);
            if (!endJoin && row > 0)
                endJoin = joins(MarkCellAt(cell.iEnd, row - 1), false);
            for (int r : {row + 1, row, row - 1}) {
                if (startJoin || r < 0 || r >= mv->Rows)
                    continue;
                for (int c = col; c >= 0 && !startJoin; --c) {
                    const TCell* s = MarkCellAt(c, r);
                    if (!s || !Flipped(*s))
                        continue;
                    startJoin = ((IsSquareBracketKind(s->markType) || s->markType == 96) && s->iEnd == col) ||
                                s->markType == 96;
                }
            }
        }
    }

    float k = std::max((static_cast<float>(h) * 0.05f + 0.2f) * H, 0.01f * H);
    y -= k;

    const TCell& T = ends == 2 ? *E : cell;
    if (!IsJianpuSound(T) && !IsVerticalCell(T)) {
        y += 0.95f * H;
    } else {
        y -= 0.2f * H;
        if (IsVerticalCell(T)) {
            const float n = static_cast<float>(cell.CompressNotes.size());
            y += -0.1f * H - std::max(0.0f, T.fontSizeR - 1.0f) * 0.9f * H - (n - 2.0f) * H * cell.fontSizeR * 0.55f;
        } else if (HasUpNote(T)) {
            y += -0.1f * H - std::max(0.0f, T.fontSizeR - 1.0f) * 0.9f * H;
        } else if (HasUpNoteKind1(cell)) {
            // no change
        } else {
            const int last = std::min(cell.iEnd, mv->Cols - 1);
            if (!flipped) {
                int D = 0;
                for (int c = col; c <= last; ++c)
                    D = std::max(D, DotsAt(c, row));
                y += 0.15f * H - static_cast<float>(D - 1) * 0.2f * H;
            } else {
                int D = 0, U = 1;
                for (int c = col; c <= last; ++c) {
                    D = std::min(D, DotsAt(c, row));
                    U = std::max(U, UnderlinesAt(c, row));
                }
                y += 2.0f * H - static_cast<float>(D) * 0.13f * H + static_cast<float>(U - 1) * 0.08f * H;
            }
        }
    }

    if (ends != 2)
        x += 0.5f * W;
    float xe = xe0 + (ends == 1 ? W : 0.5f * W);
    xe += 0.1f * W * static_cast<float>(w);
    if (ends == 0 && xe - x < 0.5f * W) {
        x -= 0.25f * W;
        xe = x + 0.5f * W;
    }
    const float si = startJoin ? 0.1f * W : 0.0f;
    const float ei = endJoin ? 0.1f * W : 0.0f;
    if (flipped) {
        y += 2.0f * k - 0.8f * H;
        k = -k;
    }
    const float y1 = y + 0.1f * H * static_cast<float>(m);
    const float y2 = y1 + 0.05f * H * static_cast<float>(e);
    if (ends == 2) {
        CanvasMoveTo(x, y1);
    } else {
        CanvasMoveTo(x, y1 + k);
        CanvasLineTo(x + si, y1);
    }
    CanvasLineTo(xe - ei, y2);
    if (ends != 1)
        CanvasLineTo(xe, y2 + k);

    if (IsTupletMarkCell(cell)) {
        const int n = CountNotesInSpan(col, row, cell.iEnd, CurLayer);
        if (n != 0)
            DrawTupletNumber(d, (x + xe) / 2.0f - 0.17f * W, y1, n, true);
    }
    SetPenWidthScaled(0.027f);
}

bool HasRoundBracketEndingAt(TDrawEngine*, int col, int row) {
    for (int c = col - 1; c >= 0; --c) {
        const TCell* s = MarkCellAt(c, row);
        if (s && (s->markType == 39 || s->markType == 41) && s->iEnd == col)
            return true;
    }
    return false;
}

bool HasRoundBracketStartingAt(TDrawEngine*, int col, int row) {
    const TCell* s = MarkCellAt(col, row);
    return s && (s->markType == 39 || s->markType == 40);
}

void DrawRoundBracketMark(TDrawEngine* d, float x, float y, const TCell& cell, int ends, int col, int row) {
    const TCell* E = MarkCellAt(cell.iEnd, row);
    if (!EndColumnOk(cell.iEnd) || !E)
        return;
    const float W = XUnit(), H = YUnit();
    const bool flipped = Flipped(cell);
    const int h = cell.markHAdj, w = cell.markWAdj, m = cell.MarkY, e = cell.EndYAdj;
    const float xe0 = X0(d) + W * static_cast<float>(cell.iEnd) + 0.1f * H * cell.xAdj;
    SetPenStyle(psSolid);
    SetPenWidthScaled(0.038f);

    float k = std::max((static_cast<float>(h) * 0.05f + 0.2f) * H, 0.01f * H);
    y -= k;
    const TCell& T = ends == 2 ? *E : cell;
    if (!IsJianpuSound(T) && !IsVerticalCell(T)) {
        y += 0.95f * H;
    } else {
        y -= flipped ? 0.4f * H : 0.12f * H;
        if (IsVerticalAttr(T.Attr)) {
            const float n = static_cast<float>(cell.CompressNotes.size());
            y += -0.1f * H - std::max(0.0f, T.fontSizeR - 1.0f) * 0.9f * H - (n - 2.0f) * H * cell.fontSizeR * 0.55f;
        } else if (HasUpNote(T)) {
            y += -0.1f * H - std::max(0.0f, T.fontSizeR - 1.0f) * 0.9f * H;
        } else if (HasUpNoteKind1(cell)) {
            // no change
        } else if (!flipped) {
            int D = std::max({0, DotsAt(col, row), DotsAt(cell.iEnd, row)});
            for (int c = col + 1; c < cell.iEnd; ++c)
                D = std::max(D, DotsAt(c, row) - 1);
            y += 0.15f * H - static_cast<float>(D - 1) * 0.2f * H;
        } else {
            int D = std::min({0, DotsAt(col, row), DotsAt(cell.iEnd, row)});
            int U = std::max({0, UnderlinesAt(col, row), UnderlinesAt(cell.iEnd, row)});
            for (int c = col + 1; c < cell.iEnd; ++c) {
                if (DotsAt(c, row) < 0)
                    D = std::min(D, DotsAt(c, row) + 1);
                if (UnderlinesAt(c, row) > 0)
                    U = std::max(U, UnderlinesAt(c, row) - 1);
            }
            y += 2.0f * H - static_cast<float>(D) * 0.15f * H + static_cast<float>(U) * 0.1f * H;
        }
    }

    if (ends != 2)
        x += 0.5f * W;
    float xe = xe0 + (ends == 1 ? W : 0.5f * W);
    xe += 0.1f * W * static_cast<float>(w);
    if (ends == 0 && xe - x < 0.5f * W) {
        x -= 0.25f * W;
        xe = x + 0.5f * W;
    }
    if (flipped) {
        y += 2.0f * k - 0.8f * H;
        k = -k;
    }
    const float y1 = y + 0.05f * H * static_cast<float>(m);
    const float y2 = y1 + 0.05f * H * static_cast<float>(e);

    // Under a Western staff, a bracket with no neighbour reaches past its columns.
    const int page = MainView()->CurPage;
    if (flipped && row > 0 && (IsWestRow(row - 1, 5, page) || (row > 1 && IsWestRow(row - 2, 5, page)))) {
        const int kind = cell.markType;
        if ((kind == 39 || kind == 40) && !HasRoundBracketEndingAt(d, col, row))
            x -= 0.35f * W;
        if ((kind == 39 || kind == 41) && !HasRoundBracketStartingAt(d, cell.iEnd, row))
            xe += 0.35f * W;
    }

    const float r = 0.7f * k;
    const float s = flipped ? -1.0f : 1.0f;
    if (ends != 2) {
        x += s * r;
        if (flipped)
            DrawArcPolyline(x, y1 + r, r, 270, 360);
        else
            DrawArcPolyline(x, y1 + r, r, 180, 270);
    }
    xe -= s * r;
    DrawLine(x, y1 - 1.0f, xe, y2 - 1.0f);
    if (ends != 1) {
        if (flipped)
            DrawArcPolyline(xe, y2 + r, r, 180, 270);
        else
            DrawArcPolyline(xe, y2 + r, r, 270, 360);
    }
}

void DrawHookedLineMark(TDrawEngine* d, float x, float y, int, int row, const TCell& cell) {
    if (!EndColumnOk(cell.iEnd))
        return;
    const float W = XUnit(), B = BUnit(d);
    if (IsWestRow(row, 0, MainView()->CurPage))
        y += 1.35f * B;
    const float xs = x + 0.5f * W;
    const float t = (static_cast<float>(cell.markHAdj) * 0.02f + 0.1f) * W;
    const float v = Flipped(cell) ? -4.0f * t : 4.0f * t;
    const float xe = X0(d) + (0.1f * static_cast<float>(cell.markWAdj) + static_cast<float>(cell.iEnd) + 0.5f) * W +
                     0.1f * W * cell.xAdj;
    const float ys = y + (0.05f * static_cast<float>(cell.MarkY) + 0.05f * cell.yAdj + 1.0f) * 0.5f * B;
    const float ye = ys + 0.02f * B * static_cast<float>(cell.EndYAdj);
    SetPenStyle(psSolid);
    SetPenWidthScaled(0.038f);
    CanvasMoveTo(xs, ys - v);
    CanvasLineTo(xs + t, ys);
    CanvasLineTo(xe - t, ye);
    CanvasLineTo(xe, ye + v);
    SetPenWidthScaled(0.027f);
}

// ---- hairpins and lines ----

void DrawHairpinMark(TDrawEngine* d, float x, float y, const TCell& cell, int selector) {
    if (MainView()->CrescendoMode || !EndColumnOk(cell.iEnd))
        return;
    const float W = XUnit(), H = YUnit();
    const int h = cell.markHAdj, w = cell.markWAdj, m = cell.MarkY, e = cell.EndYAdj;
    const float xe = X0(d) + (static_cast<float>(cell.iEnd) + 0.7f) * W + 0.1f * H * cell.xAdj +
                     0.14f * W * static_cast<float>(w);
    const float k = std::max((static_cast<float>(h) * 0.05f + 0.1f) * H, 0.01f * H);
    const float xs = x + 0.3f * W;
    const float yc = y + 0.5f * H + 0.05f * H * static_cast<float>(m);
    HairpinPen(d, cell);
    float t = 0.0f;
    const float dlen = xe - xs;
    if (e != 0)
        t = -std::min(1.0471975f, static_cast<float>(e) * 3.1415925f / 120.0f);
    if (selector == 1) {
        float ax = xe, ay = yc;
        if (e != 0) {
            ax = xs + dlen * std::cos(t);
            ay = yc - dlen * std::sin(t);
        }
        DrawPolyline({TPoint{RoundToInt(xs), RoundToInt(yc + k)}, TPoint{RoundToInt(ax), RoundToInt(ay)},
                      TPoint{RoundToInt(xs), RoundToInt(yc - k)}},
                     2);
    } else {
        float axp = xe, ayp = yc - k, cxp = xe, cyp = yc + k;
        if (e != 0) {
            const float a = static_cast<float>(LineAngle(xs, yc, xe, yc - k));
            axp = xs + dlen * std::cos(t - a);
            ayp = e == 1 ? yc : yc - dlen * std::sin(t - a);
            cxp = xs + dlen * std::cos(t + a);
            cyp = e == -1 ? yc : yc - dlen * std::sin(t + a);
        }
        DrawPolyline({TPoint{RoundToInt(axp), RoundToInt(ayp)}, TPoint{RoundToInt(xs), RoundToInt(yc)},
                      TPoint{RoundToInt(cxp), RoundToInt(cyp)}},
                     2);
    }
    SetPenColor(d->CurColor);
}

void DrawOpenHairpinMark(TDrawEngine* d, float x, float y, const TCell& cell, int selector) {
    if (MainView()->CrescendoMode || !EndColumnOk(cell.iEnd))
        return;
    const float W = XUnit(), H = YUnit();
    const float xe = X0(d) + (static_cast<float>(cell.iEnd) + 0.7f) * W + 0.1f * H * cell.xAdj +
                     0.1f * W * static_cast<float>(cell.markWAdj);
    const float k = std::max((static_cast<float>(cell.markHAdj) * 0.05f + 0.1f) * H, 0.01f * H);
    const float xs = x + 0.2f * W;
    const float yc = y + 0.5f * H + 0.05f * H * static_cast<float>(cell.MarkY);
    HairpinPen(d, cell);
    SetPenWidthScaled(0.038f);
    const float narrow = selector == 0 ? xs : xe, wide = selector == 0 ? xe : xs;
    DrawLine(narrow, yc + k, wide, yc + 2.0f * k);
    DrawLine(narrow, yc - k, wide, yc - 2.0f * k);
    SetPenColor(d->CurColor);
    SetPenWidthScaled(0.027f);
}

void DrawHorizontalLineMark(TDrawEngine* d, float x, float y, const TCell& cell, int style) {
    if (!EndColumnOk(cell.iEnd))
        return;
    const float W = XUnit(), H = YUnit();
    const float xe = X0(d) + (static_cast<float>(cell.iEnd) + 1.0f) * W + 0.1f * H * cell.xAdj +
                     0.1f * W * static_cast<float>(cell.markWAdj);
    const float y1 = y + (0.05f * static_cast<float>(cell.MarkY) + 0.5f) * H;
    const float y2 = cell.EndYAdj != 0 ? y1 + 0.05f * H * static_cast<float>(cell.EndYAdj) : y1;
    SetPenStyle(psSolid);
    SetPenWidthScaled(0.038f);
    if (style == 0) {
        DrawLine(x, y1, xe, y2);
    } else if (style == 2) {
        DrawDashedHLine(x, y1, xe, y2);
    } else {
        const FloatPoint p = DrawDashedLine(x, y1, xe, y2);
        if (style == 3)
            DrawLine(p.x, p.y, p.x, p.y + (0.05f * static_cast<float>(cell.markHAdj) + 0.2f) * H);
    }
    SetPenStyle(psSolid);
}

void DrawHalfArrowMark(TDrawEngine* d, float x, float y, const TCell& cell, int selector) {
    if (!EndColumnOk(cell.iEnd))
        return;
    const float W = XUnit(), H = YUnit();
    const float xs = x + 0.2f * W;
    float yl = y + (0.05f * static_cast<float>(cell.MarkY) + 0.8f) * H;
    if (cell.markHAdj != 0)
        yl -= 0.02f * H * static_cast<float>(cell.markHAdj);
    const float xe = X0(d) + (static_cast<float>(cell.iEnd) + 0.8f) * W + 0.1f * H * cell.xAdj +
                     0.1f * W * static_cast<float>(cell.markWAdj);
    SetPenStyle(psSolid);
    SetPenWidthScaled(0.038f);
    DrawLine(xs, yl, xe, yl);
    if (selector == 0)
        DrawLine(xs, yl, xs + 0.4f * W, yl - 0.2f * H);
    else
        DrawLine(xe, yl, xe - 0.4f * W, yl - 0.2f * H);
    SetPenWidthScaled(0.027f);
}

void DrawVerticalLineMark(TDrawEngine* d, float x, float y, const TCell& cell, bool dashed) {
    if (!EndRowOk(cell.jEnd))
        return;
    const float W = XUnit(), H = YUnit(), B = BUnit(d);
    const float g = 0.05f * H * static_cast<float>(cell.markHAdj);
    const float mb = 0.05f * B * static_cast<float>(cell.MarkY);
    const float ys = y - g + mb;
    const float ye = Y0(d) + (static_cast<float>(cell.jEnd) + 1.0f) * B + 0.1f * H * cell.yAdj + g + mb;
    const float xs = x + (0.05f * static_cast<float>(cell.markWAdj) + 0.5f) * W;
    const float xe = cell.EndYAdj != 0 ? xs + 0.05f * W * static_cast<float>(cell.EndYAdj) : xs;
    SetPenStyle(psSolid);
    SetPenWidthScaled(0.038f);
    if (dashed)
        DrawDashedLine(xs, ys, xe, ye);
    else
        DrawLine(xs, ys, xe, ye);
    SetPenStyle(psSolid);
    SetPenWidthScaled(0.027f);
}

void DrawArrowHatching(TDrawEngine*, float x1, float y1, float x2, float y2, bool headAtFirst) {
    const float W = XUnit(), H = YUnit();
    const float dx = x2 - x1, dy = y1 - y2;
    const float len = std::sqrt(dx * dx + dy * dy);
    const float step = H / 6.0f;
    if (len <= 0.0f || step <= 0.0f)
        return;
    const int n = static_cast<int>(len / step);
    // Square to the shaft: 0.2 W to one side, 0.3 W to the other.
    const float nx = dy / len, ny = -dx / len;
    SetPenStyle(psSolid);
    const int first = headAtFirst ? 2 : 1;
    const int last = headAtFirst ? n : n - 1;
    for (int i = first; i < last; ++i) {
        const float px = x1 + dx * static_cast<float>(i) / static_cast<float>(n);
        const float py = y2 + dy * static_cast<float>(i) / static_cast<float>(n);
        CanvasMoveTo(px + 0.2f * W * nx, py + 0.2f * W * ny);
        CanvasLineTo(px - 0.3f * W * nx, py - 0.3f * W * ny);
    }
}

void DrawSlantArrowMark(TDrawEngine* d, float x, float y, const TCell& cell, int heads, bool hatched) {
    if (!EndColumnOk(cell.iEnd) || !EndRowOk(cell.jEnd))
        return;
    const float W = XUnit(), B = BUnit(d);
    const float m = static_cast<float>(cell.MarkY), e = static_cast<float>(cell.EndYAdj);
    const float xl = x + 0.2f * W;
    const float xr = X0(d) + (static_cast<float>(cell.iEnd) + 1.0f) * W - 0.2f * W +
                     0.1f * W * static_cast<float>(cell.markWAdj) + 0.2f * W * cell.xAdj;
    const float v = (0.2f - 0.05f * static_cast<float>(cell.markHAdj)) * B;
    const float bottom = Y0(d) + (static_cast<float>(cell.jEnd) + 1.0f) * B - v + 0.1f * B * cell.yAdj;
    const bool flipped = Flipped(cell);
    const float yt = y + v + 0.05f * B * (flipped ? m : m + e);
    const float yb = bottom + 0.05f * B * (flipped ? m + e : m);
    SetBrushColor(d->CurColor);
    SetPenStyle(psSolid);
    SetPenWidthScaled(0.038f);
    const bool first = heads == 1 || heads == 3, second = heads == 2 || heads == 3;
    if (!flipped) {
        DrawLine(xr, yt, xl, yb);
        if (first)
            DrawArrowHead(xl, yb, xr, yt, 0.5f * W);
        if (second)
            DrawArrowHead(xr, yt, xl, yb, 0.5f * W);
        if (hatched)
            DrawArrowHatching(d, xl, yt, xr, yb, heads == 1);
    } else {
        DrawLine(xr, yb, xl, yt);
        if (first)
            DrawArrowHead(xl, yt, xr, yb, 0.5f * W);
        if (second)
            DrawArrowHead(xr, yb, xl, yt, 0.5f * W);
        if (hatched)
            DrawArrowHatching(d, xl, yb, xr, yt, heads == 1);
    }
    SetPenWidthScaled(0.027f);
}

void DrawSlashStrokesMark(TDrawEngine* d, float x, float y, const TCell& cell, int count) {
    if (!EndColumnOk(cell.iEnd) || !EndRowOk(cell.jEnd))
        return;
    const float W = XUnit(), H = YUnit();
    const float h = static_cast<float>(cell.markHAdj), m = static_cast<float>(cell.MarkY),
                e = static_cast<float>(cell.EndYAdj);
    const float p = H * (std::fabs(h + 3.0f) / 60.0f + 0.1f);
    const float q = 0.06f * H;
    const float xl = x + 0.2f * W + 0.1f * W * h;
    const float xr = X0(d) + (static_cast<float>(cell.iEnd) + 1.0f) * W - 0.2f * W +
                     0.1f * W * static_cast<float>(cell.markWAdj) + 0.1f * W * h + 0.1f * H * cell.xAdj;
    float ytop = y + 0.1f * H;
    float ybot = Y0(d) + (static_cast<float>(cell.jEnd) + 1.0f) * H - 0.6f * H + 0.1f * H * cell.yAdj;
    const bool flipped = Flipped(cell);
    ytop += 0.05f * H * (flipped ? m + e : m);
    ybot += 0.05f * H * (flipped ? m : m + e);
    SetBrushColor(d->CurColor);
    SetPenStyle(psSolid);
    SetPenWidthScaled(0.114f);
    for (int i = 0; i < std::clamp(count, 1, 3); ++i) {
        const float dy = static_cast<float>(i) * p;
        if (!flipped)
            FillSlantedBar(xr, ybot + dy, xl, ytop + dy, q);
        else
            FillSlantedBar(xr, ytop + dy, xl, ybot + dy, q);
    }
    SetBrushStyle(bsClear);
    SetPenWidthScaled(0.027f);
}

void DrawBoxMark(TDrawEngine* d, float x, float y, const TCell& cell, bool half) {
    if (!EndColumnOk(cell.iEnd) || !EndRowOk(cell.jEnd))
        return;
    const float W = XUnit(), H = YUnit();
    const float m = static_cast<float>(cell.MarkY), e = static_cast<float>(cell.EndYAdj);
    const float v = -0.05f * H * static_cast<float>(cell.markHAdj);
    float ytop = y + v;
    float ybot = Y0(d) + (static_cast<float>(cell.jEnd) + 1.0f) * H - v + 0.1f * H * cell.yAdj;
    if (half) {
        if (Flipped(cell))
            ybot -= 0.5f * H;
        else
            ytop += 0.5f * H;
    }
    DrawRectFrame(X0(d) + (static_cast<float>(cell.iEnd) + 1.0f) * W + 0.1f * H * cell.xAdj +
                      0.1f * W * static_cast<float>(cell.markWAdj) + 0.1f * W,
                  ybot + 0.05f * H * (m + e), x - 0.1f * W, ytop + 0.05f * H * m);
}

void DrawBarBracketMark(TDrawEngine* d, int col, int, float x, float y, const TCell& cell) {
    if (!EndRowOk(cell.jEnd))
        return;
    const float W = XUnit(), H = YUnit();
    const float jEnd = static_cast<float>(cell.jEnd);
    float yt = y + 0.1f * H * cell.yAdj;
    float yb = Y0(d) + (jEnd + 1.0f + 0.1f * cell.yAdj) * H;
    x += 0.08f * W;
    DrawThickBarLine(d, x, y, col, yb - yt + 0.1f * H, cell);
    if (Flipped(cell)) {
        yt -= 0.17f * H;
        yb = Y0(d) + (jEnd - 1.0f + 0.1f * cell.yAdj + 0.17f) * H;
    } else {
        yt = Y0(d) + (jEnd + 0.1f * cell.yAdj - 0.17f) * H;
        yb += 0.17f * H;
    }
    const float xb = x + 0.4f * W - (col == 0 ? 0.6f * W : 0.0f);
    const float r = 0.3f * W;
    SetBrushStyle(bsSolid);
    SetBrushColor(d->CurColor);
    FillCanvasRect(TRect{static_cast<int>(xb - 0.4f * r), static_cast<int>(yt + r), static_cast<int>(xb + 0.1f * r),
                         static_cast<int>(yb - 0.88f * r)});
    SetBrushStyle(bsClear);
    SetPenWidthScaled(0.057f);
    DrawArcPolyline(xb, yt, r, 0, 90);
    DrawArcPolyline(xb, yb, r, 270, 360);
    SetPenWidthScaled(0.027f);
}
