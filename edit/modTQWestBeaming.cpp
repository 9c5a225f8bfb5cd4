#include "edit/modTQWestBeaming.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "model/modTQCellAccess.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQScan.h"
#include "model/modTQTailLinks.h"
#include "render/modTQMainView.h"

namespace {

bool InRow(const TCellRow& cells, int col) {
    return col >= 0 && col < static_cast<int>(cells.size());
}

// A Western note whose stem counts: not a rest, not a grace note.
bool StemNote(const TCell& c) {
    return IsWestNoteCell(c, 1) && !IsGraceNoteCell(c) && !IsGraceCell(c);
}

int Duration(int code) {
    return code >= 1 && code <= 9 ? 1 << (9 - code) : 0;
}

void CloseGroup(TCellRow& cells, int first, int last, int count) {
    if (count >= 2 && first >= 0 && last > first) {
        cells[static_cast<size_t>(first)].option |= 0x2u;
        cells[static_cast<size_t>(last)].option |= 0x4u;
    }
}

} // namespace

int FlipStemsInRow(int col, int row, TCellRow& cells, bool redraw) {
    int start = col, end = col;
    if (FindTailGroupRange(col, row, start, end)) {
        for (int c = std::max(0, start); c <= end && InRow(cells, c); ++c) {
            TCell& cell = cells[static_cast<size_t>(c)];
            if (cell.cellType == ctWestern && cell.Note >= 2 && cell.Note <= 9)
                cell.option ^= 0x1u;
        }
    } else if (InRow(cells, col)) {
        cells[static_cast<size_t>(col)].option ^= 0x1u;
        end = col;
    }
    if (redraw)
        MainView()->RedrawSelection();
    frmMainTQ->SetModified(true);
    return std::max(end, col);
}

void SetGroupStemDirection(int first, int last, int row, TCellRow& cells) {
    int lo = INT_MAX, hi = INT_MIN;
    for (int c = first; c <= last; ++c) {
        if (!InRow(cells, c) || !StemNote(cells[static_cast<size_t>(c)]))
            continue;
        const int p = static_cast<int>(cells[static_cast<size_t>(c)].yAdj);
        lo = std::min(lo, p);
        hi = std::max(hi, p);
    }
    if (lo == INT_MAX)
        return;
    // Positions count steps down from the middle line: hi is the lowest note.
    const bool flip = hi >= 1 && (lo >= 0 || -lo <= hi);
    for (int c = first; c <= last; ++c) {
        if (!InRow(cells, c) || !StemNote(cells[static_cast<size_t>(c)]))
            continue;
        if (IsStemFlipped(cells[static_cast<size_t>(c)]) != flip)
            FlipStemsInRow(c, row, cells, false);
    }
}

void RegroupTailsInRow(int first, int last, int row, TCellRow& cells, int limit) {
    first = std::max(first, 0);
    last = std::min(last, static_cast<int>(cells.size()) - 1);
    auto isNote = [&](int c) { return IsWestNoteCell(cells[static_cast<size_t>(c)], 1); };
    while (first <= last && !isNote(first))
        ++first;
    while (last >= first && !isNote(last))
        --last;
    if (first > last)
        return;

    bool mixed = false;
    int dir = -1;
    for (int c = first; c <= last; ++c) {
        const TCell& cell = cells[static_cast<size_t>(c)];
        if (!StemNote(cell) || !cell.CompressNotes.empty())
            continue;
        const int d = IsStemFlipped(cell) ? 1 : 0;
        if (dir >= 0 && d != dir)
            mixed = true;
        dir = d;
    }
    if (mixed)
        SetGroupStemDirection(first, last, row, cells);

    int start = -1, end = -1, count = 0, sum = 0;
    bool up = false;
    auto close = [&]() {
        CloseGroup(cells, start, end, count);
        start = end = -1;
        count = sum = 0;
    };
    for (int c = first; c <= last; ++c) {
        TCell& cell = cells[static_cast<size_t>(c)];
        if (!cell.CompressNotes.empty() && cell.cellType == ctWestern) {
            close();
            if (cell.Note > 3 && cell.fontSizeR >= 0.8f)
                cell.option |= 0x4u;
            continue;
        }
        if (cell.cellType == ctWestern && IsFlaggedWestNoteCode(cell.Note) && !IsGraceNoteCell(cell)) {
            if (count > 0 && IsStemFlipped(cell) != up)
                close();
            if (count == 0) {
                start = c;
                up = IsStemFlipped(cell);
            }
            end = c;
            ++count;
            sum += Duration(cell.Note);
            if (sum >= limit)
                close();
            continue;
        }
        if (IsWestRestCell(cell) || IsGraceNoteCell(cell) || (cell.Note == 32 && cell.CompressNotes.empty()))
            continue;
        close(); // a quarter or longer note, a bar line or another mark
    }
    close();
}

void AutoCombineTails(int col0, int row0, int col1, int row1, int limit) {
    ClearTailLinks(col0, row0, col1, row1);
    if (col0 >= col1)
        return;
    TMainScore* s = frmMainTQ;
    TLayer& layer = s->PageSets[static_cast<size_t>(CurLayer)];
    if (s->CurPage < 0 || s->CurPage >= static_cast<int>(layer.size()))
        return;
    auto& page = layer[static_cast<size_t>(s->CurPage)];
    for (int r = std::max(0, row0); r <= row1 && r < static_cast<int>(page.size()); ++r)
        RegroupTailsInRow(col0, col1, r, page[static_cast<size_t>(r)], limit);
}

namespace {

void UnderlineRun(TCellRow& cells, int row, int s, int n) {
    auto at = [&](int i) -> TCell& { return cells[static_cast<size_t>(s + i)]; };
    if (n == 2) {
        const uint32_t first = at(0).option;
        at(0).Note = 4;
        at(1).Note = (first & 0x40u) ? 6 : (first & 0x8u) ? 5 : 4;
    } else if (n == 3) {
        at(0).Note = 4;
        at(1).Note = 5;
        at(2).Note = 5;
    } else if (n >= 4) {
        const int plain = n >= 8 ? 6 : 5;
        for (int i = 0; i < n; ++i) {
            const uint32_t prev = i > 0 ? at(i - 1).option : 0u;
            int v = plain;
            if (n < 8 && (prev & 0x40u))
                v = 7;
            else if (prev & 0x8u)
                v = plain + 1;
            at(i).Note = v;
        }
    }
    SetGroupStemDirection(s, s + n - 1, row, cells);
    if (n >= 2)
        AutoCombineTails(s, row, s + n - 1, row, 1000000);
}

} // namespace

void AutoUnderlineRow(TCellRow& cells, int row, bool selectedOnly) {
    const TMainScore* s = frmMainTQ;
    int first = 0, last = std::min(s->Cols, static_cast<int>(cells.size())) - 1;
    if (selectedOnly) {
        first = std::max(0, s->SelCol0);
        last = std::min(last, s->SelCol1 + 1);
    }
    int start = -1, count = 0;
    auto close = [&]() {
        if (count > 0)
            UnderlineRun(cells, row, start, count);
        start = -1;
        count = 0;
    };
    for (int c = first; c <= last; ++c) {
        TCell& cell = cells[static_cast<size_t>(c)];
        const bool west = cell.cellType == ctWestern;
        if (west && cell.Note == 2 && cell.yAdj > 0 && !IsStemFlipped(cell))
            cell.option |= 0x1u;
        if (west && cell.Note >= 3 && cell.Note <= 6) {
            if (count == 0)
                start = c;
            ++count;
            continue;
        }
        close();
    }
    close();
}
