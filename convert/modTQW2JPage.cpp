// Western to Jianpu: the finish of a whole converted page, rests aligned within
// a staff group, and the one-cell conversion behind the note-name hint.
#include <algorithm>
#include <cmath>

#include "convert/modTQConvertW2J.h"
#include "model/modTQCellAccess.h"
#include "model/modTQGroup.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "render/modTQMainView.h"
#include "render/modTQViewQuery.h"

namespace {

bool IsOneOf(int v, std::initializer_list<int> set) {
    return std::find(set.begin(), set.end(), v) != set.end();
}

TCell* GridCell(int layer, int row, int col) {
    TCellRow* cells = CvtGridRow(layer, row);
    if (!cells || col < 0 || col >= static_cast<int>(cells->size()))
        return nullptr;
    return &(*cells)[static_cast<std::size_t>(col)];
}

} // namespace

void TConvertW2J::FinishConvertedPage(int /*clefCol*/) {
    TMainView* view = MainView();
    const int cols = view->Cols;
    const int rows = view->Rows;
    const int layer = CurLayer;

    for (int r = std::max(view->SelRow0, 0); r <= std::min(view->SelRow1, rows - 1); ++r) {
        for (int c = 0; c < cols; ++c) {
            TCell* cell = GridCell(layer, r, c);
            if (!cell)
                break;
            if (cell->iEnd < c)
                cell->iEnd = -1;
            if (IsOneOf(cell->markType, {74, 75, 76, 77, 82, 83, 84, 85}))
                cell->MarkY = -20;
            cell->EndYAdj = 0;
        }
    }
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            TCell* cell = GridCell(layer, r, c);
            if (!cell)
                break;
            if (cell->Note == kRowEndCode)
                cell->xAdj = 0.0f;
            if (IsOneOf(cell->markType, {1, 2, 3, 39, 40, 41, 56, 81, 86}))
                cell->option &= ~0x80000u;
        }
    }

    const bool twin = view->HasJianpuPage();
    for (int r = 0; r < rows; ++r) {
        if (!IsJianpuMusicRow(r, -1, -1))
            continue;
        // No staff system at or below the row: nothing further to align. A lone
        // staff (or the last grid row) has no partners and is passed over.
        const int group = GetRowGroup(r, -1);
        if (group == -1)
            break;
        if (group < 0 || GroupRows.size() < 2)
            continue;
        const int first = GroupRows.front().row;
        const int last = GroupRows.back().row;
        for (int pass = 0; pass < (twin ? 2 : 1); ++pass) {
            CurLayer = pass;
            for (int c = 0; c < cols;) {
                const int next = AlignRestInGroup(c, r, first, last);
                c = next > c ? next : c + 1;
            }
        }
        CurLayer = layer;
    }

    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            TCell* cell = GridCell(layer, r, c);
            if (!cell)
                break;
            if (cell->cellType == ctWestern) {
                if (IsClefCell(*cell) && (static_cast<uint32_t>(cell->playDur) & 32u) != 0)
                    break;
                cell->cellType = ctJianpu;
            }
            if (cell->Note == -15)
                cell->Note = 32;
            if (IsJianpuSound(*cell))
                cell->FontName = "NT";
        }
    }

    const int markCols = std::min(cols - 2, 10);
    for (int r = 0; r < rows; ++r) {
        int markCol = -1;
        for (int c = 0; c < markCols; ++c) {
            const TCell* cell = GridCell(layer, r, c);
            if (cell && cell->markType == 30) {
                markCol = c;
                break;
            }
        }
        if (markCol < 0)
            continue;
        for (int below = r + 1; below < rows; ++below)
            if (TCell* cell = GridCell(layer, below, markCol))
                if (cell->Note == kRowEndCode)
                    cell->xAdj = 0.0f;
        break;
    }

    CopyKeyTextToStaves();
}

int TConvertW2J::AlignRestInGroup(int col, int row, int firstRow, int lastRow) {
    const int layer = CurLayer;
    const bool twin = frmMainTQ->HasJianpuPage();
    // A layer-1 twin row stands one row above its layer-0 row.
    auto rowIn = [](int l, int r) { return l == 1 ? r - 1 : r; };
    if (layer == 1 && firstRow == 0)
        firstRow = 1;
    TCell* rest = GridCell(layer, rowIn(layer, row), col);
    if (!rest || !((rest->cellType == ctJianpu && rest->Note == '0') || rest->markType == 87))
        return col;

    const int cols = frmMainTQ->Cols;
    int c = col;
    for (; c < cols; ++c) {
        bool stop = false;
        for (int r = firstRow; r <= lastRow; ++r) {
            for (int l = 0; l < (twin ? 2 : 1); ++l) {
                const int look = twin ? (l == 0 ? layer : 1 - layer) : layer;
                const TCell* cell = GridCell(look, rowIn(look, r), c);
                if (!cell)
                    continue;
                if (cell->Note == kRowEndCode)
                    return col;
                if (IsJianpuNoteCell(*cell) || cell->Note == kJianpuDash)
                    stop = true;
            }
        }
        const TCell* own = GridCell(layer, rowIn(layer, row), c);
        if (c > col && own && !IsEmptyCell(*own))
            return col;
        if (stop)
            break;
    }
    if (c >= cols)
        return c;
    TCell* target = GridCell(layer, rowIn(layer, row), c);
    if (c > col && target && IsEmptyCell(*target)) {
        target->Note = rest->Note;
        target->FontColor = rest->FontColor;
        target->upNote = rest->upNote;
        target->cellType = rest->cellType;
        target->markType = rest->markType;
        target->markHAdj = rest->markHAdj;
        target->markWAdj = rest->markWAdj;
        target->MarkY = rest->MarkY;
        target->EndYAdj = rest->EndYAdj;
        target->UL = rest->UL;
        target->option = rest->option;
        target->color = rest->color;
        if (rest->markType == 87)
            target->iEnd = col + 2;
        ResetCell(*rest, false);
    }
    return c;
}

bool TConvertW2J::ConvertW2JCell(TCell& cell, int col, int row) {
    TMainView* view = MainView();
    const TCellRow* cells = CvtGridRow(0, row);
    if (!cells || col < 0)
        return false;
    // The governing clef: the nearest clef at or left of the column; a key reset
    // between it and the column takes its key away.
    int clefCol = -1;
    bool keyReset = false;
    for (int c = std::min(col, static_cast<int>(cells->size()) - 1); c >= 0; --c) {
        const TCell& at = (*cells)[static_cast<std::size_t>(c)];
        if (at.Note == -15 && IsClefCell(at)) {
            keyReset = true;
            continue;
        }
        if (IsClefCell(at)) {
            clefCol = c;
            break;
        }
    }
    if (clefCol < 0)
        return false;
    TCell clef = (*cells)[static_cast<std::size_t>(clefCol)];
    if (keyReset)
        clef.Attr = 0;
    view->CurClef = clef.Note;
    // The key of this staff for the rewrite; the window's CurKey is given back.
    const int savedKey = view->CurKey;
    const int key = static_cast<int32_t>(clef.Attr);
    view->CurKey = key >= 0 && key <= 14 ? key : 0;
    const TCell savedClef = ClefCell;
    const int savedDoPos = DoPos;
    ClefCell = clef;
    DoPos = DoPosition(clef);
    const TCell west = cell;
    ConvertNoteCellForHint(cell, clef.Note);
    if (IsFixedDoMode())
        AddFixedDoAccidentals(cell, west, *cells, *cells, col, row);
    view->CurKey = savedKey;
    ClefCell = savedClef;
    DoPos = savedDoPos;
    return true;
}
