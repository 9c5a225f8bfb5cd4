#pragma once
// The cells the palette commands write: the current page of the current
// layer, with every address checked.
#include <algorithm>
#include <cstddef>

#include "model/modTQMainScore.h"
#include "render/modTQMainView.h"

namespace palette_cells {

// The cell at (col, row) of the current page and layer, or null outside it.
inline TCell* PageCell(TMainScore& s, int col, int row) {
    if (CurLayer < 0 || CurLayer > 1 || col < 0 || row < 0 || col >= s.Cols || row >= s.Rows)
        return nullptr;
    auto& layer = s.PageSets[std::size_t(CurLayer)];
    if (s.CurPage < 0 || s.CurPage >= int(layer.size()))
        return nullptr;
    auto& page = layer[std::size_t(s.CurPage)];
    if (row >= int(page.size()) || col >= int(page[std::size_t(row)].size()))
        return nullptr;
    return &page[std::size_t(row)][std::size_t(col)];
}

// Runs f on every selected cell, column by column.
template <class F>
void ForSelected(TMainScore& s, F f) {
    const int c0 = std::min(s.SelCol0, s.SelCol1), c1 = std::max(s.SelCol0, s.SelCol1);
    const int r0 = std::min(s.SelRow0, s.SelRow1), r1 = std::max(s.SelRow0, s.SelRow1);
    for (int col = c0; col <= c1; ++col)
        for (int row = r0; row <= r1; ++row)
            if (TCell* c = PageCell(s, col, row))
                f(*c);
}

// After a change of the selected cells: modified flag and redraw.
inline void Done(TMainScore& s) {
    s.SetModified(true);
    MainView()->RedrawSelection();
}

} // namespace palette_cells
