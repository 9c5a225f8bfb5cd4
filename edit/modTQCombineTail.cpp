#include "edit/modTQCombineTail.h"

#include <algorithm>

#include "edit/modTQWestBeaming.h"
#include "model/modTQCellAccess.h"
#include "model/modTQKeys.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQUndo.h"
#include "notation/modTQCrossStaff.h"
#include "render/modTQMainView.h"
#include "render/modTQOverlay.h"

namespace {

// The grid cell itself (current page and layer); nullptr outside the grid.
TCell* GridCell(int col, int row) {
    const TMainView* mv = MainView();
    if (col < 0 || col >= mv->Cols || row < 0 || row >= mv->Rows)
        return nullptr;
    return const_cast<TCell*>(CellAtAddress(col, row));
}

// The column of the first (step 1) or last (step -1) beamable note of the row
// in c0..c1, its stem set for the side; -1 when none.
int BeamableCol(TDrawEngine* d, int c0, int c1, int row, int side, int step) {
    for (int c = step > 0 ? c0 : c1; step > 0 ? c <= c1 : c >= c0; c += step) {
        TCell* cell = GridCell(c, row);
        if (cell && PrepareCrossStaffNote(d, *cell, side))
            return c;
    }
    return -1;
}

// The first Western row from `from` up to `to`; -1 when none.
int NextWestRow(int from, int to, int limit) {
    for (int r = std::max(0, from); r <= to && r < MainView()->Rows; ++r)
        if (IsWestRow(r, limit, -1))
            return r;
    return -1;
}

} // namespace

bool SelectCrossStaffRange(TDrawEngine* d) {
    TMainView* mv = MainView();
    const int c0 = mv->SelCol0, c1 = mv->SelCol1, r0 = mv->SelRow0, r1 = mv->SelRow1;
    const int t = NextWestRow(r0, r1 - 1, c0);
    if (t < 0)
        return false;
    const int b = NextWestRow(t + 2, r1, c1);
    if (b < 0)
        return false;
    int col = c0;
    if (FindClefLeft(col, t) != -1)
        return false;
    col = c1;
    if (FindClefLeft(col, b) != -2)
        return false;
    const int a1 = BeamableCol(d, c0, c1, t, -1, 1);
    const int b1 = BeamableCol(d, c0, c1, b, -2, 1);
    if (a1 < 0 || b1 < 0)
        return false;
    const int a2 = BeamableCol(d, c0, c1, t, -1, -1);
    const int b2 = BeamableCol(d, c0, c1, b, -2, -1);
    const int first = std::min(a1, b1);
    const int last = std::max(a2, b2);
    if (first == last)
        return false;
    if (mv->OutCanvas)
        DrawCurrentSelection(d);
    mv->SelCol0 = first;
    mv->SelCol1 = last;
    mv->SelRow0 = t;
    mv->SelRow1 = b;
    return true;
}

void SetCrossStaffBeamMarks(TDrawEngine* d, int c0, int t, int c1, int b) {
    const int a = BeamableCol(d, c0, c1, t, -1, 1);
    if (a >= 0)
        GridCell(a, t)->option |= 0x100u;
    const int bs = BeamableCol(d, c0, c1, b, -2, 1);
    if (bs >= 0)
        GridCell(bs, b)->option |= 0x100u;
    const int ae = BeamableCol(d, c0, c1, t, -1, -1);
    if (ae >= 0)
        GridCell(ae, t)->option |= 0x200u;
    const int e = BeamableCol(d, c0, c1, b, -2, -1);
    if (e < 0)
        return;
    TCell* end = GridCell(e, b);
    end->option |= 0x200u;
    end->dot = t - b;
    end->UL = a - e;
}

void CombineTails(TDrawEngine* d) {
    TMainView* mv = MainView();
    mv->TrimSelection();
    Undo.SaveUndo();
    const int c0 = mv->SelCol0, c1 = mv->SelCol1;
    bool crossStaff = false;
    if (c0 == c1) {
        TCell* cell = GridCell(c0, mv->SelRow0);
        if (cell && IsGraceCell(*cell) && cell->CompressNotes.size() >= 2) {
            cell->option |= 0x2u | 0x4u;
            cell->CompressNotes.front().option |= 0x2u;
            cell->CompressNotes.back().option |= 0x4u;
        }
    } else if (SelectCrossStaffRange(d)) {
        SetCrossStaffBeamMarks(d, mv->SelCol0, mv->SelRow0, mv->SelCol1, mv->SelRow1);
        crossStaff = true;
    } else {
        AutoCombineTails(c0, mv->SelRow0, c1, mv->SelRow1, 1000000);
    }
    // A cross-staff group keeps the selection on its notes.
    if (!crossStaff) {
        mv->SelCol0 = c0;
        mv->SelCol1 = c1;
    }
    mv->SetModified(true);
    mv->RedrawSelection();
}
