#include "model/modTQTailLinks.h"

#include <algorithm>

#include "model/modTQGroup.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "model/modTQUndo.h"

namespace {

constexpr uint32_t kGroupFlags = 0x2u | 0x4u;
constexpr uint32_t kJoinedTailFlags = 0x100u | 0x200u;

// The cell of the current page and layer; nullptr outside the grid.
TCell* CellAt(int col, int row) {
    TMainScore* s = frmMainTQ;
    if (!s || col < 0 || row < 0 || col >= s->Cols || row >= s->Rows)
        return nullptr;
    const int layer = CurLayer == 1 ? 1 : 0;
    if (s->CurPage < 0 || s->CurPage >= int(s->PageSets[layer].size()))
        return nullptr;
    TPage& page = s->PageSets[layer][s->CurPage];
    if (row >= int(page.size()) || col >= int(page[row].size()))
        return nullptr;
    return &page[row][col];
}

void Unlink(TCell& cell) {
    cell.option &= ~kGroupFlags;
    cell.dot = 0;
}

// A Western note whose value has a tail: an eighth or shorter.
bool HasTail(const TCell* cell) { return cell && IsWestNoteCell(*cell, 1) && cell->Note >= 4; }

} // namespace

void ClearTailLinks(int col1, int row1, int col2, int row2) {
    if (col1 > col2)
        return;
    for (int r = row1; r <= row2; ++r)
        for (int c = col1; c <= col2; ++c)
            if (TCell* cell = CellAt(c, r))
                Unlink(*cell);
}

int DecombineTailGroup(int col, int row) {
    int first = -1, last = -1;
    if (!CellAt(col, row) || !FindTailGroupRange(col, row, first, last) || first < 0 || last < first)
        return -1;
    for (int c = first; c <= last; ++c)
        if (TCell* cell = CellAt(c, row))
            Unlink(*cell);
    return last;
}

int DecombineGFTail(int col, int row) {
    if (!frmMainTQ || !CellAt(col, row) || !IsWestRow(row, 0, -1))
        return 2;
    GetRowGroup(row, -1);
    if (GroupRows.size() < 2)
        return 2;
    auto it = std::find_if(GroupRows.begin(), GroupRows.end(), [&](const TGroupData& g) { return g.row == row; });
    if (it == GroupRows.end())
        return 2;
    int staffRow = row;
    if (it->hasSystemMark) {
        if (it + 1 == GroupRows.end())
            return 2;
        staffRow = (it + 1)->row;
    }

    // The joined note: the note at the column, or a marked note close by.
    int joinedCol = -1;
    const TCell* here = CellAt(col, staffRow);
    if (here && IsWestNoteCell(*here, 1)) {
        if (here->Note < 4)
            return 2;
        joinedCol = col;
    } else {
        for (int k = 0; k <= 2 && joinedCol < 0; ++k) {
            bool stop = false;
            for (int c : {col + k, col - k}) {
                const TCell* cell = CellAt(c, staffRow);
                if (!cell)
                    continue;
                if (IsBarLineCell(*cell)) {
                    stop = true;
                    break;
                }
                if (cell->option & kJoinedTailFlags) {
                    joinedCol = c;
                    break;
                }
            }
            if (stop)
                break;
        }
        if (joinedCol < 0)
            return 2;
    }
    TCell* joined = CellAt(joinedCol, staffRow);
    const int partnerCol = joinedCol + joined->UL;
    const int partnerRow = staffRow + joined->dot;
    TCell* partner = CellAt(partnerCol, partnerRow);
    if (!partner)
        return 2;
    if (!HasTail(CellAt(col, staffRow)) && !HasTail(CellAt(col, partnerRow)))
        return 1;

    Undo.SaveRows(std::min(partnerRow, staffRow), std::max(partnerRow, staffRow), false);
    partner->option &= ~kJoinedTailFlags;
    joined->option &= ~kJoinedTailFlags;
    return 0;
}

namespace {

// Walks from col in direction step: the column of the first cell with
// `target`, -1 when a cell with `barrier` or a cross-staff mark comes first or
// the row ends. With ownBarrier the cell at col itself may carry the barrier.
int WalkToGroupEnd(int col, int row, int step, uint32_t target, uint32_t barrier, bool ownBarrier) {
    for (int c = col; c >= 0; c += step) {
        const TCell* cell = CellAt(c, row);
        if (!cell)
            return -1;
        const uint32_t flags = cell->option & kGroupFlags;
        if (flags == kGroupFlags)
            continue;
        if (flags & target)
            return c;
        if (cell->option & kJoinedTailFlags)
            return -1;
        if ((flags & barrier) && !(ownBarrier && c == col))
            return -1;
    }
    return -1;
}

} // namespace

int CombineTailEndCol(int col, int row) { return WalkToGroupEnd(col, row, 1, 0x4u, 0x2u, false); }

int CombineTailStartCol(int col, int row) { return WalkToGroupEnd(col, row, -1, 0x2u, 0x4u, true); }
