#pragma once
// Cell reads for the play-list build. The build looks at the same few rows of a
// page again and again (every staff, every column, every pass over a group), so
// these reads are inline; they answer exactly like CellAtAddress and
// RowAtAddress: page and layer -1 mean the current ones, and an address outside
// the allocated page gives nullptr. Also the play state's inline band-summary
// questions.
#include <cstddef>

#include "model/modTQGroup.h"
#include "model/modTQMainScore.h"
#include "play/modTQPlayState.h"

inline const TCellRow* PlayRowAt(int row, int page = -1, int layer = -1) {
    const TMainScore* s = frmMainTQ;
    if (!s)
        return nullptr;
    if (page == -1)
        page = s->CurPage;
    if (layer == -1)
        layer = CurLayer;
    if (layer < 0 || layer > 1 || page < 0 || row < 0)
        return nullptr;
    const TLayer& pages = s->PageSets[static_cast<std::size_t>(layer)];
    if (static_cast<std::size_t>(page) >= pages.size())
        return nullptr;
    const TPage& rows = pages[static_cast<std::size_t>(page)];
    if (static_cast<std::size_t>(row) >= rows.size())
        return nullptr;
    return &rows[static_cast<std::size_t>(row)];
}

// The cell of a row that PlayRowAt gave (nullptr: none).
inline const TCell* PlayCellOfRow(const TCellRow* cells, int col) {
    if (!cells || col < 0 || static_cast<std::size_t>(col) >= cells->size())
        return nullptr;
    return &(*cells)[static_cast<std::size_t>(col)];
}

inline const TCell* PlayCellAt(int col, int row, int page = -1, int layer = -1) {
    return PlayCellOfRow(PlayRowAt(row, page, layer), col);
}

// The cell GetCell(cell, col, row) would copy, without the copy: a column or row
// beyond the grid reads the last grid cell; nullptr where GetCell answers false.
inline const TCell* PlayGridCell(int col, int row) {
    const TMainScore* s = frmMainTQ;
    if (!s || col < 0 || row < 0)
        return nullptr;
    if (col >= s->Cols || row >= s->Rows) {
        col = s->Cols - 1;
        row = s->Rows - 1;
    }
    return PlayCellAt(col, row);
}

// The band summary of the group being walked is for this page, layer, group and margins.
inline bool TPlayState::BandSummaryCurrent() const {
    return frmMainTQ && bandPage_ == frmMainTQ->CurPage && bandLayer_ == CurLayer && !GroupRows.empty() &&
           bandFirst_ == GroupRows.front().row && bandLast_ == GroupRows.back().row && bandAbove_ == HighlightAbove &&
           bandBelow_ == HighlightBelow;
}

inline bool TPlayState::BandMayHold(int column, uint32_t kinds) const {
    if (!BandSummaryCurrent() || column < 0 || static_cast<std::size_t>(column) >= bandKinds_.size())
        return true;
    return (bandKinds_[static_cast<std::size_t>(column)] & (kinds | kBandOther)) != 0;
}
