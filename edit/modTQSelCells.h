#pragma once
// Cells of the current page of the current score by reference, and the
// selection's rectangle, for the selection members of the main window.
#include <algorithm>

#include "model/modTQCell.h"
#include "model/modTQMainScore.h"

namespace selcells {

// The row of the current page of a layer (-1: CurLayer); nullptr when the
// page or row does not exist.
inline TCellRow* Row(int row, int layer = -1, int page = -1) {
    TMainScore* s = frmMainTQ;
    const int l = layer < 0 ? CurLayer : layer;
    const int p = page < 0 ? (s ? s->CurPage : 0) : page;
    if (!s || l < 0 || l > 1 || p < 0 || p >= static_cast<int>(s->PageSets[static_cast<size_t>(l)].size()))
        return nullptr;
    TPage& pg = s->PageSets[static_cast<size_t>(l)][static_cast<size_t>(p)];
    if (row < 0 || row >= static_cast<int>(pg.size()))
        return nullptr;
    return &pg[static_cast<size_t>(row)];
}

// The cell, or nullptr outside the allocated page.
inline TCell* At(int col, int row, int layer = -1, int page = -1) {
    TCellRow* r = Row(row, layer, page);
    if (!r || col < 0 || col >= static_cast<int>(r->size()))
        return nullptr;
    return &(*r)[static_cast<size_t>(col)];
}

// The selection normalised and held inside the grid.
struct TSel {
    int c0, r0, c1, r1;
};
inline TSel Selection() {
    const TMainScore& s = *frmMainTQ;
    TSel out{std::min(s.SelCol0, s.SelCol1), std::min(s.SelRow0, s.SelRow1), std::max(s.SelCol0, s.SelCol1),
             std::max(s.SelRow0, s.SelRow1)};
    out.c0 = std::max(out.c0, 0);
    out.r0 = std::max(out.r0, 0);
    out.c1 = std::min(out.c1, s.Cols - 1);
    out.r1 = std::min(out.r1, s.Rows - 1);
    return out;
}

// Calls f(cell, col, row) for every cell of the selection that exists, column
// by column and top to bottom in each.
template <class F>
void ForEach(const TSel& sel, F f) {
    for (int c = sel.c0; c <= sel.c1; ++c)
        for (int r = sel.r0; r <= sel.r1; ++r)
            if (TCell* p = At(c, r))
                f(*p, c, r);
}

} // namespace selcells
