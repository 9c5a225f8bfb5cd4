#include "notation/modTQCrossStaff.h"

#include <algorithm>
#include <cmath>

#include "model/modTQCellAccess.h"
#include "model/modTQPredicates.h"
#include "model/modTQUtil.h"
#include "notation/modTQCrossStaff.h"
#include "notation/modTQNoteHint.h"
#include "notation/modTQWestRest.h"
#include "notation/modTQWestSlur.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQDrawShrink.h"
#include "notation/modTQDrawWest.h"
#include "render/modTQDrawWest.h"
#include "render/modTQMainView.h"

namespace {

float XUnit() {
    return static_cast<float>(MainView()->GetCellWidth());
}
float YUnit() {
    return static_cast<float>(MainView()->GetCellHeight());
}

bool InGrid(int col, int row) {
    const TMainView* mv = MainView();
    return col >= 0 && col < mv->Cols && row >= 0 && row < mv->Rows;
}

// A copy of the grid cell; false (reset) outside the grid.
bool GridCopy(TCell& cell, int col, int row) {
    if (!InGrid(col, row)) {
        ResetCell(cell);
        return false;
    }
    return GetCell(cell, col, row, -1, -1);
}

TCell* GridCellPtr(int col, int row) {
    return InGrid(col, row) ? const_cast<TCell*>(CellAtAddress(col, row)) : nullptr;
}

TPoint AsPoint(const TDrawParam& p) {
    return {p.x, p.y};
}

} // namespace

int FindCrossStaffEndCol(TDrawEngine*, int col, int row) {
    if (col < 0 || !InGrid(0, row))
        return -1;
    TCell c;
    for (int k = col; k < MainView()->Cols; ++k) {
        GridCopy(c, k, row);
        if (c.option & 0x200u)
            return k;
        if ((c.option & 0x2u) || (k > col && (c.option & 0x100u)))
            return -1;
    }
    return -1;
}

bool PrepareCrossStaffNote(TDrawEngine*, TCell& cell, int side) {
    if (!IsWestNoteCell(cell, 1) || cell.cellType != ctWestern || !IsFlaggedWestNoteCode(cell.Note))
        return false;
    if (side == -1)
        cell.option &= ~0x1u;
    else
        cell.option |= 0x1u;
    return true;
}

bool GetCrossStaffStemPoints(TDrawEngine* d, const TCell& cell, TDrawParam& beam, TDrawParam& stem, int col,
                             int row, int yMid, int side) {
    const float X = XUnit();
    const float Y = YUnit();
    beam.col = stem.col = col;
    beam.row = stem.row = row;
    const float h = static_cast<float>(d->GetTopMarginPx()) + Y * static_cast<float>(row) + 0.58f * Y +
                    0.125f * Y * cell.yAdj;
    const float x0 = static_cast<float>(d->GetLeftMarginPx()) + X * static_cast<float>(col) +
                     static_cast<float>(0.1f * Y) * cell.xAdj;
    const bool up = IsStemFlipped(cell);
    if (side == -2 && up) {
        beam.y = yMid;
        stem.y = RoundToInt(h - 0.08f * Y);
        beam.x = stem.x = RoundToInt(x0 + 0.55f * X * cell.fontSizeR);
        return true;
    }
    if (side == -1 && !up) {
        int sum = 0;
        for (const TWestChord& item : cell.westChordArray)
            sum += item.interval;
        beam.y = yMid;
        stem.y = RoundToInt(h - Y * 0.125f * static_cast<float>(sum) - 0.05f * Y);
        beam.x = stem.x = RoundToInt(x0 + 0.2f * X * cell.fontSizeR);
        return true;
    }
    return false;
}

void SlantCrossStaffBeam(std::vector<TDrawParam>& beam, const std::vector<TDrawParam>& stem) {
    const size_t n = std::min(beam.size(), stem.size());
    if (n < 2)
        return;
    const size_t last = n - 1;
    if (stem[last].x == stem[0].x)
        return;
    const float s =
        static_cast<float>(stem[last].y - stem[0].y) / static_cast<float>(stem[last].x - stem[0].x);
    if (std::fabs(s) <= 0.6f)
        return;
    const float w = static_cast<float>(beam[last].x - beam[0].x);
    if (s < 0) {
        const int y = beam[last].y;
        beam[0].y = static_cast<int>(static_cast<float>(y) + w * 0.06f * 0.5f);
        beam[last].y = static_cast<int>(static_cast<float>(y) - w * 0.06f * 0.5f);
    } else {
        beam[0].y = static_cast<int>(static_cast<float>(beam[0].y) - w * 0.1f * 0.5f);
        beam[last].y = static_cast<int>(static_cast<float>(beam[0].y) + w * 0.1f * 0.5f);
    }
    const TPoint p0 = AsPoint(beam[0]);
    const TPoint p1 = AsPoint(beam[last]);
    for (size_t i = 1; i < last; ++i)
        beam[i].y = InterpolateInt(p0, p1, beam[i].x);
}

void FillCrossStaffBeam(TDrawEngine* d, TDrawParam first, TDrawParam last, const TCell& cell) {
    const TMainView* mv = MainView();
    const float X = XUnit();
    const float Y = YUnit();
    const int t = static_cast<int>(std::max(1.0f, std::floor(Y * 0.14f * cell.fontSizeR)));
    const int dd = static_cast<int>(Y * 0.02f);
    const int e = mv->Zoom >= 2.0 ? static_cast<int>(mv->Zoom * 0.6) : 0;
    const float xr = static_cast<float>(last.x) + 0.04f * X - static_cast<float>(e) +
                     static_cast<float>(GetStemWidth(d, cell));
    SetBrushStyle(bsSolid);
    SetBrushColor(d->CurColor);
    const std::vector<TPoint> quad = {{first.x, first.y + dd},
                                      {first.x, first.y + t},
                                      {RoundToInt(xr), last.y + t},
                                      {RoundToInt(xr), last.y + dd}};
    FillPolygon(quad, 3);
    SetBrushStyle(bsClear);
}

int DrawCrossStaffBeamSegment(TDrawEngine* d, int level, int a, int b, const std::vector<TDrawParam>& beam,
                              bool lower, const TCell& cell, std::vector<int> ext) {
    const float X = XUnit();
    const float Y = YUnit();
    const int n = static_cast<int>(beam.size());
    if (n == 0 || a < 0 || b >= n || a > b)
        return 0;
    TDrawParam A = beam[static_cast<size_t>(a)];
    TDrawParam B = beam[static_cast<size_t>(b)];
    if (a == b) {
        // A short beam: half the way to the neighbour, at most half a column; half a
        // column when the group has no neighbour.
        float w = 0.5f * X;
        if (a == 0 && n > 1)
            w = std::min(0.5f * static_cast<float>(beam[1].x - beam[0].x), 0.5f * X);
        else if (a > 0)
            w = std::min(0.5f * static_cast<float>(beam[static_cast<size_t>(a)].x -
                                                   beam[static_cast<size_t>(a - 1)].x),
                         0.5f * X);
        A.x = a == 0 ? static_cast<int>(static_cast<float>(A.x) + w)
                     : static_cast<int>(static_cast<float>(A.x) - w);
        A.y = InterpolateInt(AsPoint(beam.front()), AsPoint(beam.back()), A.x);
    }
    const float dir = lower ? 1.0f : -1.0f;
    int o = static_cast<int>(Y * static_cast<float>(level - 4) * 0.125f * 1.5f * dir * cell.fontSizeR);
    if (o < 0 && ext[static_cast<size_t>(a)] > 0)
        o += ext[static_cast<size_t>(a)];
    A.y += o;
    B.y += o;
    if (A.x > B.x)
        std::swap(A, B);
    FillCrossStaffBeam(d, A, B, cell);
    return o;
}

void RecordCrossStaffStemExtensions(int o, const std::vector<int>& sides, int a, int b, bool lower,
                                    std::vector<int>& ext) {
    for (int i = a; i <= b && i < static_cast<int>(sides.size()) && i < static_cast<int>(ext.size()); ++i) {
        if (!lower && sides[static_cast<size_t>(i)] == -2)
            ext[static_cast<size_t>(i)] = static_cast<int>(static_cast<float>(o) * 1.1f);
        else if (lower && sides[static_cast<size_t>(i)] == -1)
            ext[static_cast<size_t>(i)] = o;
    }
}

bool DrawCrossStaffBeamLevel(TDrawEngine* d, int level, TCrossStaffGroup& group) {
    // One entry per gathered note, in gathering order, so that a column with
    // notes in both rows keeps the entries in step with the points.
    const size_t n = group.cells.size();
    std::vector<int> flags(n), sides(n);
    for (size_t i = 0; i < n; ++i) {
        flags[i] = group.cells[i].Note >= level ? 1 : 0;
        sides[i] = group.beam[i].row == group.targetRow ? -1 : -2;
    }
    bool drawn = false;
    size_t i = 0;
    while (i < n) {
        if (!flags[i]) {
            ++i;
            continue;
        }
        size_t j = i;
        while (j + 1 < n && flags[j + 1])
            ++j;
        const bool lower = sides[j] == -2;
        TCell ref;
        GridCopy(ref, group.fromCol, lower ? group.beam[j].row : group.targetRow);
        const int o = DrawCrossStaffBeamSegment(d, level, static_cast<int>(i), static_cast<int>(j),
                                                group.beam, lower, ref, group.ext);
        if (j > i)
            RecordCrossStaffStemExtensions(o, sides, static_cast<int>(i), static_cast<int>(j), lower,
                                           group.ext);
        drawn = true;
        i = j + 1;
    }
    return drawn;
}

void DrawCrossStaffStem(TDrawEngine* d, const TDrawParam& beam, const TDrawParam& stem, const TCell& cell) {
    const int w = GetStemWidth(d, cell);
    if (IsStemFlipped(cell))
        FillBar(static_cast<float>(beam.x), static_cast<float>(beam.y), w, stem.y - beam.y, -1);
    else
        FillBar(static_cast<float>(stem.x), static_cast<float>(stem.y), w, beam.y - stem.y, -1);
    SetPenWidthScaled(0.027f);
}

void DrawCrossStaffGroup(TDrawEngine* d, int startCol, int endCol, int row) {
    const float X = XUnit();
    const float Y = YUnit();
    TCell end;
    if (!GridCopy(end, endCol, row))
        return;
    const int targetRow = row + end.dot;
    const int targetCol = endCol + end.UL;
    // A link off the page grid (a damaged file) has no upper part.
    const bool upper = InGrid(targetCol, targetRow) && targetRow != row;
    const int upperEnd = upper ? FindCrossStaffEndCol(d, targetCol, targetRow) : -1;
    const int yMid = static_cast<int>(static_cast<float>(d->GetTopMarginPx()) +
                                      Y * static_cast<float>(targetRow + row + 1) * 0.5f);
    const int from = std::max(0, upper ? std::min(targetCol, startCol) : startCol);
    const int to = std::min(MainView()->Cols - 1, std::max(upperEnd, endCol));

    TCrossStaffGroup g;
    g.targetRow = targetRow;
    g.fromCol = from;
    for (int c = from; c <= to; ++c) {
        TCell cell;
        TDrawParam b, s;
        if (upper && GridCopy(cell, c, targetRow) && PrepareCrossStaffNote(d, cell, -1) &&
            GetCrossStaffStemPoints(d, cell, b, s, c, targetRow, yMid, -1)) {
            g.beam.push_back(b);
            g.stem.push_back(s);
            g.cells.push_back(cell);
        }
        if (GridCopy(cell, c, row) && PrepareCrossStaffNote(d, cell, -2) &&
            GetCrossStaffStemPoints(d, cell, b, s, c, row, yMid, -2)) {
            b.x = static_cast<int>(static_cast<float>(b.x) + 0.23f * X);
            s.x = static_cast<int>(static_cast<float>(s.x) + 0.23f * X);
            g.beam.push_back(b);
            g.stem.push_back(s);
            g.cells.push_back(cell);
        }
    }
    if (g.cells.empty())
        return;
    SlantCrossStaffBeam(g.beam, g.stem);
    const bool noStems = (end.option & 0x1000u) != 0;
    if (!noStems)
        FillCrossStaffBeam(d, g.beam.front(), g.beam.back(), g.cells.front());
    g.ext.assign(g.cells.size(), 0);
    if (!noStems) {
        for (int level = 5; level <= 9; ++level)
            if (!DrawCrossStaffBeamLevel(d, level, g))
                break;
    }
    for (size_t i = 0; i < g.cells.size(); ++i)
        g.beam[i].y += g.ext[i];
    // Each stem is its own note's ink, though the group's last cell draws it.
    for (size_t i = 0; i < g.cells.size(); ++i) {
        const TCell& cell = g.cells[i];
        OwnSmallNote(g.beam[i].col, g.beam[i].row, 0);
        if (!(cell.option & 0x1000u))
            DrawCrossStaffStem(d, g.beam[i], g.stem[i], cell);
        if (TCell* grid = GridCellPtr(g.beam[i].col, g.beam[i].row))
            grid->FontCharset = g.beam[i].y;
        if (cell.option & 0x8000u)
            DrawNoteNameHint(d, g.beam[i].col, g.beam[i].row);
    }
}
