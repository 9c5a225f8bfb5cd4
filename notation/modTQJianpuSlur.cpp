#include "notation/modTQJianpuSlur.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "model/modTQCellAccess.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "notation/modTQCurves.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQDrawJianpu.h"
#include "render/modTQInkMeasure.h"
#include "render/modTQMainView.h"

namespace {

bool IsTupletKind(int markType) { return markType == 56 || markType == 86; }

// The cell at (col, row) of the current page and layer when the column lies
// inside the grid; false (cell reset) otherwise.
bool GridCell(TCell& cell, int col, int row) {
    const TMainView* mv = MainView();
    if (col < 0 || col >= mv->Cols || row < 0 || row >= mv->Rows) {
        ResetCell(cell);
        return false;
    }
    return GetCell(cell, col, row, -1, -1);
}

// The ink of the upper octave dots of the plain Jianpu notes from column
// from to column to of a row (page pixels), one box per dotted note.
std::vector<TInkBox> UpperDotsUnder(TDrawEngine* d, int from, int to, int row, float rowY) {
    const TMainView* mv = MainView();
    std::vector<TInkBox> out;
    const float W = static_cast<float>(mv->GetCellWidth());
    const int reach = 4 * std::max(mv->GetCellHeight(), 8);
    for (int c = std::max(0, from); c <= std::min(to, mv->Cols - 1); ++c) {
        TCell k;
        if (!GridCell(k, c, row) || k.dot <= 0 || !IsJianpuSound(k) || k.Note == '0' || IsShrinkCell(k) ||
            IsVerticalCell(k) || IsGraceCell(k))
            continue;
        const std::string key = "updots|" + std::to_string(k.dot) + "|" + std::to_string(k.fontSizeR) + "|" +
                                std::to_string(k.Attr) + "|" + std::to_string(W) + "x" +
                                std::to_string(mv->GetCellHeight()) + "|" + std::to_string(mv->GetDrawScale());
        TInkBox ink = MeasureInk(key, reach, [&](float px, float py) { DrawOctaveDots(d, px, py, k, c, row); });
        if (ink.empty)
            continue;
        const float cx = static_cast<float>(d->GetLeftMarginPx()) + static_cast<float>(c) * W;
        ink.left += cx, ink.right += cx, ink.top += rowY, ink.bottom += rowY;
        out.push_back(ink);
    }
    return out;
}

} // namespace

bool IsCurveShownBySlurMode(int col, int row, const TCell& cell) {
    const TMainView* mv = MainView();
    if (!mv->SlurMode)
        return true;
    const bool westRow = IsWestRow(row, 0, -1);
    if (!westRow && cell.markType == 56)
        return true;
    if (!IsSameNotesAt(col, row, cell.iEnd, row, false))
        return false;
    for (int c = col + 1; c <= cell.iEnd - 2; ++c) {
        if (westRow ? IsWestNoteAt(c, row, 1) : IsJianpuNoteAt(c, row))
            return false;
    }
    return true;
}

void DrawConnectSlur(TDrawEngine* d, float x, float y, int col, int row, int elliptic, int halfMode) {
    TMainView* mv = MainView();
    const float rowY = y; // the cell's origin
    TCell start;
    if (!GridCell(start, col, row) || IsShrinkCell(start))
        return;
    const int iEnd = start.iEnd;
    if (iEnd <= col)
        return;
    if (!IsCurveShownBySlurMode(col, row, start))
        return;

    const float W = static_cast<float>(mv->GetCellWidth());
    const float H = static_cast<float>(mv->GetCellHeight());
    const bool threePoint = elliptic == 0;
    const int size = iEnd - col;

    TCell end;
    const bool endInGrid = GridCell(end, iEnd, row);

    // 1, 2: the end, and the start by the kind of note.
    float xe = static_cast<float>(d->GetLeftMarginPx()) + static_cast<float>(iEnd + 1) * W +
               0.1f * W * static_cast<float>(start.markWAdj) + 0.1f * H * start.xAdj;
    int depth = 0;
    float endDrop = 0.0f;
    if (!IsWestNoteCell(start)) {
        y += 0.1f * H;
    } else {
        y -= 0.7f * H;
        xe += 0.5f * W;
    }

    const bool below = (start.option & 0x80000u) != 0;
    const bool jianpu = IsJianpuSound(start);
    const bool vertical = IsVerticalCell(start);
    if (jianpu && below) {
        // 3: under the notes, clear of their lower dots and underlines.
        int lines = 1;
        const int last = std::min(iEnd, mv->Cols - 1);
        for (int c = col; c <= last; ++c) {
            TCell k;
            if (!GridCell(k, c, row))
                continue;
            depth = std::min(depth, k.dot);
            lines = std::max(lines, k.UL);
        }
        y += 1.8f * H - 0.13f * H * static_cast<float>(depth) + 0.08f * H * static_cast<float>(lines - 1);
    } else if (!jianpu && !vertical) {
        y += H;
    } else {
        // 4: over a Jianpu note or a vertical chord, clear of the upper dots at
        // both ends.
        const float f = start.fontSizeR;
        if (vertical) {
            y -= 0.15f * H;
            if (!start.CompressNotes.empty() && start.CompressNotes.back().octave > 0)
                depth = start.CompressNotes.back().octave;
        } else if (start.dot > 0) {
            depth = start.dot;
        }
        const int startDepth = depth;
        if (endInGrid && end.dot > depth)
            depth = end.dot;
        // A plain slur ends over its last note's own dots: lower where that
        // note has fewer than the first.
        if (!threePoint && !vertical && endInGrid)
            endDrop = 0.1f * H * static_cast<float>(std::max(0, startDepth - std::max(0, end.dot)));
        if (threePoint) {
            y -= 0.07f * H * static_cast<float>(depth - 1);
            if (depth == 0)
                y += 0.2f * H;
        } else {
            y -= 0.1f * H * static_cast<float>(depth);
            if (depth == 0)
                y += 0.1f * H;
        }
        if (vertical) {
            const float k = static_cast<float>(start.CompressNotes.size());
            y -= 0.1f * H + std::max(0.0f, f - 1.0f) * 0.9f * H + 0.55f * (k - 2.0f) * H * f;
        }
        if (HasUpNoteKind1(start)) {
            y += 0.3f * H - std::max(0.0f, f - 1.0f) * 0.15f * H;
            x -= (f - 1.0f) * 1.2f * W;
        }
        TCell upper;
        const int upperRow = start.jEnd >= 0 ? start.jEnd : row;
        if (GridCell(upper, iEnd, upperRow) && HasUpNoteKind1(upper))
            xe += (f - 1.0f) * 1.2f * W;
    }

    // 5: shape.
    const float q = W > 0.0f ? std::min(3.0f, 0.25f * (xe - x) / W) : 0.0f;
    const float rise = std::max(0.01f * H, (0.2f + 0.05f * static_cast<float>(start.markHAdj) + 0.01f * q) * H);
    const float extra = static_cast<float>(std::max(0, std::min(6, iEnd - col - 2))) * 0.03f * H;
    const float xm = (x + xe) / 2.0f;
    x += 0.3f * W;
    xe -= 0.3f * W;
    if (endInGrid && (end.markType == 1 || end.markType == 56))
        xe -= 0.3f * W;

    // 6.
    y += 0.05f * H * static_cast<float>(start.MarkY);
    const float eo = 0.05f * H * static_cast<float>(start.EndYAdj) + endDrop;
    SetPenWidthScaled(0.045f);

    // 7: a tuplet that starts on a Western rest.
    TCell next;
    const bool restStart = IsWestRestCell(start) && col < mv->Cols - 1 && GridCell(next, col + 1, row) &&
                           IsWestNoteOrRest(next, 1) && IsTupletMarkCell(start);

    // 8: grace groups (their notes keep to their own cell, however many).
    if (IsGraceCell(start)) {
        const int count = static_cast<int>(start.CompressNotes.size());
        if (count > 0 && start.CompressNotes.front().octave > 0)
            y -= 0.2f * W * static_cast<float>(start.CompressNotes.front().octave);
    }

    // 9.
    const bool tuplet = IsTupletKind(start.markType);
    bool drawCurve = true;
    float ye, throughY = 0.0f;
    if (!below) {
        if (restStart)
            y -= H;
        if (threePoint)
            y -= 0.15f * H;
        ye = y + eo;
        throughY = ye - rise - extra + 0.4f * eo;
    } else if (!tuplet) {
        y -= 0.9f * H;
        ye = y + eo;
        throughY = y + rise + extra + 0.4f * eo;
    } else {
        ye = y + eo;
        drawCurve = false; // a tuplet below the notes shows only its number
    }

    // The curve's ink as drawn from its start (x, y): its shape depends only
    // on where its points stand from its start (to half a pixel) and on the
    // start cell's curve fields.
    auto curveInk = [&]() {
        const int reach = static_cast<int>(std::max(4.0f * H, std::fabs(xe - x) + 4.0f * W));
        const float sx = x, sy = y, sxe = xe, sye = ye, sxm = xm, sthrough = throughY;
        auto half = [](float v) { return std::to_string(static_cast<int>(std::lround(2.0f * v))); };
        const std::string key = "slur|" + std::to_string(threePoint) + "|" + std::to_string(halfMode) + "|" +
                                std::to_string(size) + "|" + half(xe - x) + "," + half(ye - y) + "|" +
                                half(xm - x) + "," + half(throughY - y) + "|" + std::to_string(start.markType) +
                                "|" + std::to_string(start.markHAdj) + "|" + std::to_string(start.markWAdj) + "|" +
                                std::to_string(start.option & 0x80000u) + "|" + std::to_string(start.fontSizeR) + "|" +
                                std::to_string(W) + "x" + std::to_string(H);
        return MeasureInk(key, reach, [&](float px, float py) {
            const float dx = px - sx, dy = py - sy;
            float cex = sxe + dx, cey = sye + dy;
            if (threePoint)
                DrawCrescentThrough3Points(d, sx + dx, sy + dy, cex, cey, sxm + dx, sthrough + dy, size, 0, false);
            else
                DrawSlurCrescent(d, sx + dx, sy + dy, cex, cey, size, start, halfMode, 0);
        });
    };

    // A curve over notes with octave dots above them keeps clear of every dot
    // under it, not only those of its ends: measured as drawn, it is raised
    // until its lowest ink stands a gap above each dot.
    if (drawCurve && !below && jianpu && !vertical && !MeasuringInk()) {
        const std::vector<TInkBox> dots = UpperDotsUnder(d, col, iEnd, row, rowY);
        if (!dots.empty()) {
            const float sx = x, sy = y;
            const TInkBox curve = curveInk();
            const float gap = std::max(2.0f, 0.05f * H);
            float lift = 0.0f;
            for (const TInkBox& dot : dots)
                for (int i = 0; i < static_cast<int>(curve.colBottom.size()); ++i) {
                    const float cxp = sx + curve.left + static_cast<float>(i);
                    if (cxp < dot.left - 1.0f || cxp > dot.right + 1.0f || curve.colTop[i] > curve.colBottom[i])
                        continue;
                    lift = std::max(lift, sy + curve.colBottom[i] + gap - dot.top);
                }
            y -= lift;
            ye -= lift;
            throughY -= lift;
        }
    }

    // 10, 11.
    float ex = xe, ey = ye;
    if (drawCurve) {
        TPoint back;
        if (threePoint)
            back = DrawCrescentThrough3Points(d, x, y, ex, ey, xm, throughY, size, 0, false);
        else
            back = DrawSlurCrescent(d, x, y, ex, ey, size, start, halfMode, 0);
        SetPenWidthScaled(0.027f);
        if (start.markType == 55 || start.markType == 94)
            DrawArrowHead(ex, ey, static_cast<float>(back.x), static_cast<float>(back.y), 0.5f * W);
    }
    SetPenWidthScaled(0.027f);

    // 12.
    if (tuplet) {
        const int n = CountNotesForCurve(col, row, iEnd, CurLayer);
        if (n > 0) {
            const float nx = (x + ex) / 2.0f - 0.17f * W;
            float ny = below ? y - 0.6f * H : y - (0.2f + 0.04f * static_cast<float>(iEnd - col - 2)) * H;
            bool clearOfCurve = false;
            if (drawCurve && !MeasuringInk()) {
                // Over the curve, not on it: its ink a gap above the curve's
                // top where it stands.
                const TInkBox curve = curveInk();
                const int reach = static_cast<int>(4.0f * H);
                const TInkBox number = MeasureInk("tupletnumber|" + std::to_string(n) + "|" + std::to_string(W) + "x" +
                                                      std::to_string(H),
                                                  reach, [&](float px, float py) { DrawTupletNumber(d, px, py, n, false); });
                if (!curve.empty && !number.empty) {
                    float top = 1.0e9f;
                    for (int i = 0; i < static_cast<int>(curve.colTop.size()); ++i) {
                        const float cx = x + curve.left + static_cast<float>(i);
                        if (cx >= nx + number.left - 1.0f && cx <= nx + number.right + 1.0f &&
                            curve.colTop[i] <= curve.colBottom[i])
                            top = std::min(top, y + curve.colTop[i]);
                    }
                    if (top < 1.0e9f) {
                        ny = std::min(ny, top - std::max(2.0f, 0.05f * H) - number.bottom);
                        clearOfCurve = true;
                    }
                }
            }
            DrawTupletNumber(d, nx, ny, n, !clearOfCurve);
        }
    }
}
