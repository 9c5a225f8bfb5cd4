#include "notation/modTQWestSlur.h"

#include <algorithm>
#include <cmath>

#include "model/modTQCellAccess.h"
#include "model/modTQPredicates.h"
#include "model/modTQScan.h"
#include "model/modTQTailLinks.h"
#include "notation/modTQCurves.h"
#include "notation/modTQJianpuSlur.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQMainView.h"

namespace {

float WUnit() {
    return static_cast<float>(MainView()->GetCellWidth());
}
float HUnit() {
    return static_cast<float>(MainView()->GetCellHeight());
}
float Top() {
    return static_cast<float>(MainView()->DrawEngine.GetTopMarginPx());
}
float Left() {
    return static_cast<float>(MainView()->DrawEngine.GetLeftMarginPx());
}

constexpr uint32_t kBelowBit = 0x80000u;

bool IsWhole(const TCell& c) {
    return c.Note == 1 || c.Note == 81;
}
bool HasStem(const TCell& c) {
    return c.Note >= 2;
}
bool Flipped(const TCell& c) {
    return IsStemFlipped(c);
}
bool Below(const TCell& c) {
    return (c.option & kBelowBit) != 0;
}

TCell WithBelow(TCell c, bool below) {
    if (below)
        c.option |= kBelowBit;
    else
        c.option &= ~kBelowBit;
    return c;
}

// The cell at (col, row) of the current page, layer `layer` (-1 current);
// false (cell reset) outside the grid.
bool GridCell(TCell& cell, int col, int row, int layer = -1) {
    const TMainView* mv = MainView();
    if (col < 0 || col >= mv->Cols || row < 0 || row >= mv->Rows) {
        ResetCell(cell);
        return false;
    }
    return GetCell(cell, col, row, layer, -1);
}

// The end column inside the grid and not before the start.
bool EndUsable(int col, const TCell& cell) {
    return cell.iEnd >= col && cell.iEnd < MainView()->Cols;
}

// The last Western note from col2 back to (not including) col1 in a layer; -1 none.
int LastNoteBack(int col1, int col2, int row, int layer, TCell& out) {
    for (int c = col2; c > col1; --c) {
        if (GridCell(out, c, row, layer) && IsWestNoteCell(out, 1))
            return c;
    }
    return -1;
}

// The note a curve from col ends on: the last Western note from iEnd back to the
// start, else on the twin page of the other layer, else the start itself.
TCell FindEndNote(int col, int row, const TCell& start) {
    TCell e;
    if (LastNoteBack(col, start.iEnd, row, -1, e) >= 0)
        return e;
    const TMainView* mv = MainView();
    const int other = CurLayer == 0 ? 1 : 0;
    if (mv->HasJianpuPage() && LastNoteBack(col, start.iEnd, row, other, e) >= 0)
        return e;
    return start;
}

// Stem side, and whether the end's height is its stem end too.
struct TSlurFlags {
    bool b, fs, fe, s, m;
};
TSlurFlags SlurFlags(const TCell& c, const TCell& e) {
    TSlurFlags f{};
    f.b = Below(c);
    f.fs = Flipped(c) && HasStem(c);
    f.fe = Flipped(e) && HasStem(e);
    f.s = f.b != f.fs;
    f.m = f.s ? f.fs == f.fe : f.fs != f.fe;
    return f;
}

float StartX(float x, const TCell& c, const TSlurFlags& f) {
    const float W = WUnit();
    if (IsWhole(c))
        return x + 0.6f * W;
    if (!f.fs && !f.s)
        return x + 0.5f * W;
    if (f.fs && f.s)
        return x + 0.8f * W;
    return x + 0.3f * W;
}

float EndXBase(const TCell& c, const TCell& e) {
    const float W = WUnit();
    return Left() + (static_cast<float>(c.iEnd) + 0.4f) * W + 0.2f * W * e.xAdj;
}

void DrawCurveNumber(TDrawEngine* d, int col, int row, const TCell& c, const TPoint& at) {
    if (c.markType != 56)
        return;
    const int n = CountNotesForCurve(col, row, c.iEnd, CurLayer);
    if (n > 0)
        DrawTupletNumber(d, static_cast<float>(at.x) - 0.17f * WUnit(), static_cast<float>(at.y), n, true);
}

} // namespace

bool IsSlurInsideGroup(const TCell& cell, int col) {
    return IsShrinkCell(cell) && (cell.iEnd - col) * 2 <= GetCompressNoteCount(cell);
}

bool HasNoteOrRestBetween(int col1, int col2, int row) {
    TCell c;
    for (int k = col1 + 1; k < col2; ++k) {
        if (GridCell(c, k, row) && (IsWestNoteCell(c, 1) || IsWestRestCell(c)))
            return true;
    }
    return false;
}

float WestSlurStemEndY(const TCell& cell, int row, const TCell& start) {
    const float H = HUnit();
    if (IsWestRestCell(cell) && Below(start))
        return Top() + (static_cast<float>(row) + 0.6f) * H;
    const float y =
        IsWestNoteCell(cell, 1) ? static_cast<float>(cell.FontCharset) : Top() + static_cast<float>(row) * H;
    return y - (Flipped(cell) ? 0.2f : 0.1f) * H;
}

float WestSlurHeadY(const TCell& cell, int row, bool below) {
    const float H = HUnit();
    const float u = 0.125f * H;
    const float m = Top() + static_cast<float>(row) * H + 4.0f * u;
    float a = 0.0f;
    if (cell.option & (0x10u | 0x400000u))
        a += 1.5f;
    if (cell.option & 0x4000000u)
        a += 1.5f;
    if (cell.option & 0x20u)
        a += 1.5f;
    if (IsWhole(cell) && below)
        return m + (cell.yAdj - 3.0f + a) * u;
    if (!Flipped(cell) && !below)
        return m + (static_cast<float>(GetChordNotePosFromEnd(cell, 0)) - 2.8f - a) * u;
    if (Flipped(cell))
        return m + (cell.yAdj + 1.2f + a) * u;
    return m;
}

void DrawWestSlurToCell(TDrawEngine* d, float x, int col, int row, const TCell& cell, float yOffset,
                        float endYOffset, bool tie, int direction, float xEndLimit) {
    (void)tie;
    const float W = WUnit();
    const float H = HUnit();
    const TCell e = FindEndNote(col, row, cell);
    const TSlurFlags f = SlurFlags(cell, e);

    // A tuplet in a beamed group, on the stem side: its number alone.
    if (cell.markType == 56 && f.s && IsValidCellPos(col, row) && IsInCombineTailGroup(col, row)) {
        DrawWestTupletMark(d, x, col, row, true);
        return;
    }
    float y1 = f.s && HasStem(cell) ? WestSlurStemEndY(cell, row, cell) : WestSlurHeadY(cell, row, f.b);
    float y2 = f.m && !IsWhole(cell) ? WestSlurStemEndY(e, row, cell) : WestSlurHeadY(e, row, f.b);
    y1 += yOffset;
    y2 += yOffset + endYOffset;

    const bool cw = IsWhole(cell);
    const bool ew = IsWhole(e);
    if (!cw && ew && f.b) {
        y2 += 0.1f * H;
    } else if (cw && !f.b) {
        y1 += 0.05f * H;
        y2 += 0.05f * H;
    } else if (cw && f.b) {
        y1 += 0.5f * H;
        y2 += (ew ? 0.5f : 0.1f) * H;
    }

    y1 += 0.05f * H * static_cast<float>(cell.MarkY);
    y2 += 0.05f * H * static_cast<float>(cell.MarkY + cell.EndYAdj);
    float a1 = 0.15f, a2 = 0.15f;
    if (f.b) {
        if (f.fs && f.fe) {
            a1 = 0.05f;
            a2 = 0.05f;
        } else if (f.fs) {
            a1 = 0.02f;
            a2 = 0.15f;
        } else if (f.fe) {
            a1 = 0.15f;
            a2 = 0.05f;
        } else {
            a1 = 0.1f;
            a2 = 0.15f;
        }
    } else if (f.fe && !f.fs) {
        a2 = 0.25f;
    }
    y1 += a1 * H;
    y2 += a2 * H;

    float x1 = StartX(x, cell, f);
    float x2 = EndXBase(cell, e);
    if (cell.Note == 1)
        x2 += 0.1f * W;
    else if (f.fe)
        x2 += 0.1f * W;
    else
        x2 += (f.m ? -0.15f : 0.15f) * W;
    x2 += 0.1f * W * static_cast<float>(cell.markWAdj);
    if (cell.iEnd - col == 1 && !f.fs && !f.fe) {
        x1 -= 0.1f * W;
        x2 += 0.2f * W;
    }
    if (xEndLimit > 0.0f && x2 > xEndLimit)
        x2 = std::max(x1 + 0.2f * W, xEndLimit);

    SetPenWidthScaled(0.045f);
    const TPoint at = DrawSlurCrescent(d, x1, y1, x2, y2, cell.iEnd - col, cell, 0, direction);
    SetPenWidthScaled(0.027f);
    DrawCurveNumber(d, col, row, cell, at);
}

void DrawWestThreePointSlur(TDrawEngine* d, float x, int col, int row, const TCell& cell, float yOffset) {
    const float W = WUnit();
    const float H = HUnit();
    const TCell e = FindEndNote(col, row, cell);
    const TSlurFlags f = SlurFlags(cell, e);
    float y1 = f.s && HasStem(cell) ? WestSlurStemEndY(cell, row, cell) : WestSlurHeadY(cell, row, f.b);
    float y2 = f.m && HasStem(e) ? WestSlurStemEndY(e, row, cell) : WestSlurHeadY(e, row, f.b);
    const float x1 = StartX(x, cell, f);

    const float shift = std::trunc(yOffset - (f.b ? 0.2f : 0.3f) * H);
    y1 += shift;
    y2 += shift;
    if (f.b) {
        if (IsWhole(cell))
            y1 += 0.5f * H;
        if (IsWhole(e))
            y2 += 0.5f * H;
    }
    y1 += 0.05f * H * static_cast<float>(cell.MarkY);
    y2 += 0.05f * H * static_cast<float>(cell.MarkY + cell.EndYAdj);
    y1 += (f.b ? 0.1f : 0.25f) * H;
    y2 += (f.b ? 0.1f : 0.25f) * H;

    float x2 = EndXBase(cell, e);
    if (cell.Note == 1)
        x2 += 0.1f * W;
    else if (f.fe)
        x2 += 0.25f * W;
    else
        x2 += (f.m ? -0.15f : 0.15f) * W;
    x2 += 0.1f * W * static_cast<float>(cell.markWAdj);

    const int span = cell.iEnd - col;
    const float xm = std::trunc((x1 + x2) / 2.0f);
    const float slope = x2 != x1 ? std::fabs(4.0f * (y2 - y1) / (x2 - x1)) : 0.0f;
    float g = std::max(1.0f, std::min(5.0f, slope + 1.2f * std::sqrt(static_cast<float>(std::max(span, 0)))));
    if (span == 1)
        g = g / 3.0f;
    else if (span == 2)
        g = 2.0f * g / 3.0f;
    const float lift = 0.125f * H * g + 0.05f * H * static_cast<float>(cell.markHAdj);
    const float ym = (y1 + y2) / 2.0f + (f.b ? lift : -lift);

    SetPenWidthScaled(0.045f);
    const TPoint at = DrawCrescentThrough3Points(d, x1, y1, x2, y2, xm, ym, span, 0, false);
    SetPenWidthScaled(0.027f);
    DrawCurveNumber(d, col, row, cell, at);
}

void DrawWestSingleTie(TDrawEngine* d, float x, int col, int row, const TCell& cell) {
    DrawWestSlurToCell(d, x, col, row, cell, 0.0f, 0.0f, true, 0);
}

void DrawWestChordTies(TDrawEngine* d, float x, int col, int row, const TCell& cell) {
    const float W = WUnit();
    const float H = HUnit();
    const bool flip = Flipped(cell);
    const bool ownBelow = Below(cell);
    const int n = GetChordNoteCount(cell);

    // The first curve with the below bit clear.
    float o = std::trunc((flip ? 0.9f : 0.05f) * H);
    const bool lastDown = n > 0 && (cell.westChordArray[static_cast<size_t>(n - 1)].option & kBelowBit) != 0;
    DrawWestSlurToCell(d, x, col, row, WithBelow(cell, false), o, 0.0f, true, lastDown ? -1 : 1);

    // The rest with it set. They end in the gap before the end chord; a stem
    // down on the left of its heads closes that gap, so they stop short of it.
    const TCell below = WithBelow(cell, true);
    const TCell e = FindEndNote(col, row, cell);
    const float stemLeft = HasStem(e) && !Flipped(e) && !IsWhole(e)
                               ? Left() + (static_cast<float>(cell.iEnd) + 0.05f) * W + 0.2f * W * e.xAdj
                               : 0.0f;
    if (!IsWhole(cell)) {
        o = std::trunc(o - (flip ? 1.1f : 0.8f) * H);
        x += 0.2f * W;
    }
    int direction = -1;
    if (ownBelow) {
        o = std::trunc(o - 0.1f * H);
        direction = 1;
    }
    DrawWestSlurToCell(d, x, col, row, below, o, 0.0f, true, direction, stemLeft);

    if (!IsWhole(cell) && flip)
        x += 0.3f * W;
    o = std::trunc(o + (flip ? 0.2f : -0.1f) * H);
    for (int i = 0; i + 1 < n; ++i) {
        const float oi = std::trunc(o - (0.125f * static_cast<float>(SumChordOffsets(cell, i)) + 0.1f) * H);
        const bool down = (cell.westChordArray[static_cast<size_t>(i)].option & kBelowBit) != 0;
        DrawWestSlurToCell(d, x, col, row, below, oi, 0.0f, true, down ? -1 : 1, stemLeft);
    }
}

void DrawWestTieMark(TDrawEngine* d, float x, int col, int row, const TCell& cell) {
    if (IsSlurInsideGroup(cell, col))
        return;
    TCell e;
    GridCell(e, cell.iEnd, row);
    if (GetChordNoteCount(e) == 0 || !IsSameWestNotes(cell, e, false) ||
        HasNoteOrRestBetween(col, cell.iEnd, row))
        DrawWestSingleTie(d, x, col, row, cell);
    else
        DrawWestChordTies(d, x, col, row, cell);
}

void DrawWestSlurMarkSingle(TDrawEngine* d, float x, int col, int row, const TCell& cell) {
    if (IsSlurInsideGroup(cell, col))
        return;
    const float H = HUnit();
    TCell e;
    GridCell(e, cell.iEnd, row);
    if (GetChordNoteCount(cell) != 1 || GetChordNoteCount(e) != 1) {
        DrawWestThreePointSlur(d, x, col, row, cell, std::trunc(0.2f * H));
        return;
    }
    const bool same = cell.westChordArray[0].interval == e.westChordArray[0].interval && cell.yAdj == e.yAdj;
    if (!same || (IsWhole(cell) && !IsWhole(e))) {
        DrawWestThreePointSlur(d, x, col, row, cell, 0.0f);
        return;
    }
    // Two equal one-note chords: a curve on each side of the notes.
    const bool flip = Flipped(cell);
    if (!IsWhole(cell)) {
        DrawWestThreePointSlur(d, x, col, row, WithBelow(cell, flip), std::trunc(0.2f * H));
        DrawWestThreePointSlur(d, x, col, row, WithBelow(cell, !flip),
                               std::trunc((flip ? 0.6f : -0.65f) * H));
    } else {
        DrawWestThreePointSlur(d, x, col, row, WithBelow(cell, !flip), std::trunc(-0.1f * H));
        DrawWestThreePointSlur(d, x, col, row, WithBelow(cell, flip),
                               std::trunc(-0.125f * H * static_cast<float>(cell.westChordArray[0].interval)));
    }
}

void DrawWestSlurMark(TDrawEngine* d, float x, int col, int row, const TCell& cell, bool tie) {
    // An end before the start (or off the grid, values from files) has no curve.
    if (!EndUsable(col, cell) || !IsCurveShownBySlurMode(col, row, cell))
        return;
    if (Flipped(cell) && !Below(cell))
        x += 0.2f * WUnit();
    if (tie)
        DrawWestTieMark(d, x, col, row, cell);
    else
        DrawWestSlurMarkSingle(d, x, col, row, cell);
    SetPenStyle(psSolid);
}

void DrawWestTupletMark(TDrawEngine* d, float x, int col, int row, bool numberOnly) {
    TCell c;
    if (!GridCell(c, col, row) || IsShrinkCell(c) || !EndUsable(col, c))
        return;
    TCell e;
    if (LastNoteBack(col, c.iEnd, row, -1, e) < 0)
        return;
    // Notes beamed together show their tuplet by its number alone.
    if (CombineTailStartCol(col, row) >= 0 && CombineTailEndCol(col + 1, row) >= c.iEnd)
        numberOnly = true;
    const float W = WUnit();
    const float H = HUnit();
    SetPenWidthScaled(0.038f);

    const bool b = Below(c);
    const bool f = Flipped(c) && HasStem(c);
    const bool v = b != f;
    float y1, y2;
    if (v && c.Note > 1) {
        y1 = WestSlurStemEndY(c, row, c);
        y2 = WestSlurStemEndY(e, row, c);
    } else {
        y1 = WestSlurHeadY(c, row, b);
        y2 = WestSlurHeadY(e, row, b);
    }
    if (!v && !Flipped(c)) {
        y1 -= 0.2f * H;
        y2 -= 0.2f * H;
    }
    float x1 = x;
    float x2 = Left() + (static_cast<float>(c.iEnd) + 0.6f + 0.05f * static_cast<float>(c.markWAdj)) * W +
               0.2f * W * e.xAdj;
    if (v && f) {
        x1 += 0.7f * W;
        x2 += 0.2f * W;
        y1 -= 0.2f * H;
        y2 -= 0.2f * H;
    } else if (v) {
        x1 += 0.15f * W;
        x2 -= 0.3f * W;
        y1 += 0.3f * H;
        y2 += 0.3f * H;
    } else {
        x1 += 0.4f * W;
        if (f) {
            y1 += 0.25f * H;
            y2 += 0.25f * H;
        }
    }
    if (y1 > y2 + 0.1f * H)
        y1 += 0.05f * H;
    else if (y1 < y2 - 0.1f * H)
        y2 += 0.05f * H;

    float o = 0.05f * H * static_cast<float>(c.MarkY);
    float hA = 0.05f * H * static_cast<float>(c.markHAdj);
    if (!b)
        hA = -hA;
    y2 += 0.05f * H * static_cast<float>(c.EndYAdj);

    const int n = CountNotesForCurve(col, row, c.iEnd, CurLayer);
    const float nx = (x1 + x2) / 2.0f - 0.15f * W;
    if (!numberOnly) {
        o += hA;
        // The bracket's line leaves room for its number.
        const float w = n > 0 ? static_cast<float>(TupletNumberExtent(n).cx) : 0.0f;
        const float gapL = nx - 0.1f * W, gapR = nx + w + 0.1f * W;
        if (n > 0 && x1 < gapL && gapR < x2) {
            auto lineY = [&](float at) { return y1 + (y2 - y1) * (at - x1) / (x2 - x1) + o; };
            DrawLine(x1, y1 + o, gapL, lineY(gapL));
            DrawLine(gapR, lineY(gapR), x2, y2 + o);
        } else {
            DrawLine(x1, y1 + o, x2, y2 + o);
        }
        const float my = 0.05f * static_cast<float>(c.MarkY);
        if (!b) {
            DrawLine(x1, y1 + o, x1, y1 + (0.25f + my) * H);
            DrawLine(x2, y2 + o, x2, y2 + (0.25f + my) * H);
        } else {
            DrawLine(x1, y1 + o, x1, y1 - (0.25f - my) * H);
            DrawLine(x2, y2 + o, x2, y2 - (0.25f - my) * H);
        }
    } else {
        // The number alone stands a little further out, clear of the staff
        // line its bracket would have run along.
        o = f ? o + 0.1f * H + hA : o - (0.22f * H + hA);
    }

    float ny = (y1 + y2) / 2.0f + o - 0.05f * H;
    if (v && c.Note > 1 && !f)
        ny += 0.2f * H;
    DrawTupletNumber(d, nx, ny, n, !numberOnly);
    SetPenWidthScaled(0.027f);
}

void DrawWestSlur(TDrawEngine* d, float x, int col, int row, const TCell& cell) {
    const TMainView* mv = MainView();
    const int n = GetCompressNoteCount(cell);
    if (n == 0 || mv->SlurMode || col < 0 || cell.iEnd <= col || cell.iEnd >= mv->Cols)
        return;
    if (cell.Attr != kNoAttr && (cell.Attr & 0xF0u) == 0xD0u)
        return;
    const float W = WUnit();
    const float H = HUnit();
    const int p1 = GetChordNotePosFromEnd(cell, 0);
    TCell e;
    int p2 = p1;
    if (GridCell(e, cell.iEnd, row) && IsWestNoteCell(e, 1))
        p2 = GetChordNotePosFromEnd(e, 0);
    float x1 = x + 0.2f * W;
    float x2 = x1 + static_cast<float>(cell.iEnd - col) * W;
    float y1 = Top() + (static_cast<float>(row) + 0.5f + 0.125f * static_cast<float>(p1) +
                        0.02f * static_cast<float>(cell.MarkY)) *
                           H;
    float y2 = Top() + (static_cast<float>(row) + 0.5f + 0.125f * static_cast<float>(p2) +
                        0.02f * static_cast<float>(cell.MarkY + cell.EndYAdj)) *
                           H;
    const bool below = Below(cell);
    if (below) {
        y1 += 0.15f * H;
        y2 += 0.15f * H;
    } else if (!Flipped(cell)) {
        y1 -= 0.1f * H;
        y2 -= 0.1f * H;
    } else {
        x1 += 0.3f * W;
        y2 -= 0.05f * H;
    }
    SetPenWidthScaled(0.045f);
    DrawSlurCrescent(d, x1, y1, x2, y2, (n + 1) / 2, cell, 0, 0);
    SetPenWidthScaled(0.027f);
}

void DrawWestTupletBracket(TDrawEngine* d, float x, int col, int row) {
    (void)x;
    const std::vector<TFPoint4>& points = d->BeamPoints;
    TCell c;
    if (points.empty() || !GridCell(c, col, row))
        return;
    const float W = WUnit();
    const float H = HUnit();
    const bool flip = Flipped(c);
    const bool below = Below(c);
    const float hadj = 0.05f * H * static_cast<float>(c.markHAdj);
    float e = flip ? 0.4f * H + hadj : -0.45f * H - hadj;
    float a, cx;
    if (below) {
        a = 0.2f * W;
        cx = 0.1f * W;
    } else if (!flip) {
        a = 0.25f * W;
        cx = 0.5f * W;
    } else {
        a = -0.2f * W;
        cx = 0.05f * W;
        e = 0.55f * H + hadj;
    }
    const TFPoint4& p0 = points.front();
    const TFPoint4& pk = points.back();
    const float x1 = p0.x1 - 0.3f * W + a;
    const float x2 = pk.x1 + 0.1f * W * static_cast<float>(c.markWAdj) + cx;
    const float my = 0.05f * H * static_cast<float>(c.MarkY);
    const float ey = 0.05f * H * static_cast<float>(c.MarkY + c.EndYAdj);
    float y1, y2;
    if (!below) {
        y1 = p0.y1 + e + my;
        y2 = pk.y1 + e + ey;
    } else {
        y1 = p0.y2 - e + my;
        y2 = pk.y2 - e + ey;
    }
    if (c.markType != 56) {
        float h = (0.25f + 0.05f * static_cast<float>(c.markHAdj)) * H;
        if ((!below && flip) || (below && !flip))
            h = -h;
        DrawLine(x1, y1, x2, y2);
        DrawLine(x1, y1, x1, y1 + h);
        DrawLine(x2, y2, x2, y2 + h);
    }
    int n = 0;
    for (const TCompressNote& note : c.CompressNotes)
        if (note.code != 32)
            ++n;
    DrawTupletNumber(d, (x1 + x2) / 2.0f - 0.2f * W, (y1 + y2) / 2.0f - 0.05f * H, n, c.markType != 56);
}
