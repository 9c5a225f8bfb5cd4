#include "edit/modTQWestChord.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "edit/modTQCursorKeys.h"
#include "edit/modTQWestBeaming.h"
#include "edit/modTQWestEntry.h"
#include "model/modTQCellAccess.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "model/modTQUndo.h"
#include "render/modTQMainView.h"

namespace {

constexpr uint32_t kGraceBit = 0x10000000u;

TCellRow& GridRowRef(int row, int layer = -1) {
    return frmMainTQ->PageSets[size_t(layer < 0 ? CurLayer : layer)][size_t(frmMainTQ->CurPage)][size_t(row)];
}

TCell& GridCell(int col, int row, int layer = -1) {
    return GridRowRef(row, layer)[size_t(col)];
}

void SetClass(TCell& cell, uint32_t cls) {
    if (cell.Attr == kNoAttr)
        cell.Attr = 0;
    cell.Attr = (cell.Attr & ~0xF0u) | cls;
}

void Collapse(int col) {
    TMainScore* s = frmMainTQ;
    s->SelCol0 = s->SelCol1 = col;
    s->SelRow1 = s->SelRow0;
}

// The n cells from start are blank, apart from the cursor cell that moves.
bool IsFreeRun(int start, int n, int row, int cursorCol) {
    if (start < 0 || start + n > frmMainTQ->Cols)
        return false;
    for (int c = start; c < start + n; ++c)
        if (c != cursorCol && GridCell(c, row).Note != 32)
            return false;
    return true;
}

void Finish() {
    frmMainTQ->SetModified(true);
    MainView()->RedrawSelection();
}

} // namespace

bool MakeWestChord() {
    TMainScore* s = frmMainTQ;
    s->SelRow1 = s->SelRow0;
    if (s->SelCol1 - s->SelCol0 < 1) {
        Collapse(s->SelCol0);
        return false;
    }
    const int row = s->SelRow0;
    struct Rec {
        int pos;
        uint32_t attr, option;
    };
    std::vector<Rec> recs;
    std::vector<int> cols;
    for (int c = s->SelCol0; c <= s->SelCol1; ++c) {
        const TCell& cell = GridCell(c, row);
        if (IsWestNoteCell(cell)) {
            recs.push_back({static_cast<int>(cell.yAdj), cell.Attr, cell.option});
            cols.push_back(c);
        }
    }
    // the first note's column is checked before anything is emptied
    if (recs.size() < 2 || cols.front() < 2)
        return false;
    Undo.SaveUndo();
    for (size_t i = 1; i < cols.size(); ++i)
        ResetCellAt(cols[i], row);
    std::stable_sort(recs.begin(), recs.end(), [](const Rec& a, const Rec& b) { return a.pos < b.pos; });
    TCell& chord = GridCell(cols.front(), row);
    chord.yAdj = float(recs.back().pos);
    chord.Attr = recs.back().attr;
    chord.westChordArray.clear();
    for (int i = int(recs.size()) - 2; i >= 0; --i) {
        int interval = recs[size_t(i) + 1].pos - recs[size_t(i)].pos;
        if (interval == 0)
            interval = 2;
        chord.westChordArray.push_back({interval, recs[size_t(i)].attr, recs[size_t(i)].option, 0});
    }
    Collapse(s->SelCol0);
    Finish();
    return true;
}

void SplitWestChord() {
    TMainScore* s = frmMainTQ;
    const int row = s->SelRow0;
    TCell chord = GridCell(s->SelCol0, row);
    const int n = GetChordNoteCount(chord);
    if ((chord.option & kGraceBit) && n >= 1) {
        Undo.SaveUndo();
        TCell& c = GridCell(s->SelCol0, row);
        c.option &= ~kGraceBit;
        if (c.Attr != kNoAttr)
            c.Attr &= ~0xC0u;
        c.fontSizeR = 1.0f;
        Finish();
        return;
    }
    if (n == 0)
        return;
    const int from = s->SelCol0;
    const int start = FindSpanStartCol(n + 1);
    if (!IsFreeRun(start, n + 1, row, from)) // no free run of cells: nothing changes
        return;
    Undo.SaveBlock(std::min(start, from), row, std::max(start + n, from), row);
    if (start != from && (from < start || from > start + n))
        ResetCellAt(from, row);
    struct Rec {
        int pos;
        uint32_t attr;
    };
    std::vector<Rec> recs;
    int pos = static_cast<int>(chord.yAdj);
    recs.push_back({pos, chord.Attr});
    for (const TWestChord& item : chord.westChordArray) {
        pos -= item.interval;
        recs.push_back({pos, item.attr});
    }
    std::stable_sort(recs.begin(), recs.end(), [](const Rec& a, const Rec& b) { return a.pos > b.pos; });
    for (int i = 0; i <= n; ++i) {
        TCell& c = GridCell(start + i, row);
        c = chord;
        c.westChordArray.clear();
        c.CompressNotes.clear();
        c.option = chord.option & ~kGraceBit;
        c.Attr = recs[size_t(i)].attr == kNoAttr ? kNoAttr : recs[size_t(i)].attr & ~0xD0u;
        c.fontSizeR = 1.0f;
        c.yAdj = float(recs[size_t(i)].pos);
        c.cellType = ctWestern;
    }
    s->SelCol0 = start;
    s->SelCol1 = start + n;
    s->SelRow1 = row;
    Finish();
}

void AddWestChordThird(TCell& cell) {
    if (IsGraceCell(cell) && cell.CompressNotes.size() == 1 && !(cell.option & kGraceBit)) {
        cell.yAdj = float(cell.CompressNotes.front().value);
        cell.option |= kGraceBit;
        cell.CompressNotes.clear();
    }
    cell.westChordArray.push_back({2, 0, 0, 0});
}

void DeleteWestChordNote(TCell& cell) {
    const int n = GetChordNoteCount(cell);
    if (n == 0 || ChordNoteIndex == 0) {
        ResetCell(cell);
        return;
    }
    const int index = std::clamp(ChordNoteIndex, 1, n + 1);
    auto& items = cell.westChordArray;
    if (index == 1) {
        cell.yAdj -= float(items[0].interval);
        if (cell.Attr == kNoAttr)
            cell.Attr = 0;
        if (items[0].attr != kNoAttr)
            cell.Attr |= items[0].attr & 0xFFu;
        items.erase(items.begin());
    } else {
        const size_t k = size_t(index - 2);
        if (k + 1 < items.size()) {
            items[k].attr = items[k + 1].attr;
            items[k].option = items[k + 1].option;
            items[k].interval += items[k + 1].interval;
            items.erase(items.begin() + std::ptrdiff_t(k) + 1);
        } else {
            items.pop_back();
        }
    }
    if (n == 1 && (cell.option & kGraceBit)) {
        cell.option &= ~kGraceBit;
        SetClass(cell, 0xC0u);
        TCompressNote item;
        CellToCompressNote(cell, item);
        cell.CompressNotes = {item};
    }
}

int GetWestChordTargetIndex(TCell& cell) {
    const int count = GetChordNoteCount(cell);
    if (ShiftDown && CtrlDown && count >= 2)
        return count - 2;
    if (ShiftDown && !CtrlDown && count >= 1)
        ChordNoteIndex = count + 1;
    return -1;
}

void MoveWestChordNote(int col, int row, float step) {
    TCell& cell = GridCell(col, row);
    const int s = static_cast<int>(std::lround(step));
    auto& items = cell.westChordArray;
    const int count = int(items.size());
    int k = GetWestChordTargetIndex(cell);
    if (k < 0 && ChordNoteIndex >= 2 && ChordNoteIndex - 2 < count)
        k = ChordNoteIndex - 2;
    if (k < 0) {
        if (count > 0 && s != 1 && items[0].interval < 2)
            return;
        cell.yAdj += float(s);
        if (count > 0)
            items[0].interval += s;
        return;
    }
    if (s == -1 && !(k == count - 1 || items[size_t(k) + 1].interval > 1))
        return;
    if (s == 1 && items[size_t(k)].interval < 2)
        return;
    if (s != 1 && s != -1)
        return;
    const int next = std::max(1, items[size_t(k)].interval - s);
    if (next != items[size_t(k)].interval) {
        items[size_t(k)].interval = next;
        if (k + 1 < count)
            items[size_t(k) + 1].interval += s;
    }
}

void MoveCellNotes(float dx, float dy, int col, int row) {
    TCell& cell = GridCell(col, row);
    cell.xAdj += dx;
    const int n = MainView()->GetKeyTargetNote(cell);
    const int d = static_cast<int>(std::lround(dy));
    for (size_t i = 0; i < cell.CompressNotes.size(); ++i)
        if (n < 1 || int(i) == n - 1)
            cell.CompressNotes[i].value += d;
}

void ShiftRowCellsVert(int firstCol, int row, int step) {
    TMainScore* s = frmMainTQ;
    const int layer = CurLayer;
    const int last = s->SelCol1 > firstCol ? s->SelCol1 : s->Cols - 1;
    for (int l = 0; l < (s->HasJianpuPage() ? 2 : 1); ++l) {
        CurLayer = l;
        for (int c = firstCol; c <= last && c < s->Cols; ++c) {
            TCell& cell = GridCell(c, row);
            if (!cell.CompressNotes.empty())
                MoveCellNotes(0.0f, float(step), c, row);
            cell.yAdj += float(step);
        }
    }
    CurLayer = layer;
}

int FlipStems(int layer, int col, int row, bool redraw) {
    const int saved = CurLayer;
    CurLayer = layer;
    const int end = FlipStemsInRow(col, row, GridRowRef(row, layer), redraw);
    CurLayer = saved;
    return end;
}

void AdjustStemLength(float delta) {
    TMainScore* s = frmMainTQ;
    Undo.SaveUndo();
    for (int r = s->SelRow0; r <= s->SelRow1; ++r) {
        if (!IsWestRow(r, 0, -1))
            continue;
        for (int c = s->SelCol0; c <= s->SelCol1; ++c) {
            TCell& cell = GridCell(c, r);
            const bool note = IsWestNoteCell(cell) && cell.Note != 1;
            const bool afterShrunk = c > 0 && IsShrinkCell(GridCell(c - 1, r));
            if (!note && !afterShrunk)
                continue;
            const int now = static_cast<int>(cell.stemAdj);
            if (delta > 0 ? now < 125 : now > -123)
                cell.stemAdj += delta;
        }
    }
    Finish();
}

bool ShrinkWestNotes(int rate) {
    TMainScore* s = frmMainTQ;
    const int row = s->SelRow0;
    s->SelRow1 = row;
    const int cols = s->SelCol1 - s->SelCol0 + 1;
    if (rate < 0 ? cols < 1 : cols < 2) {
        Collapse(s->SelCol0);
        return false;
    }
    Undo.SaveUndo();
    const int first = s->SelCol0;
    std::vector<TCompressNote> items;
    bool groupEnd = false;
    int tupletEnd = -1;
    for (int c = first; c <= s->SelCol1; ++c) {
        TCell& cell = GridCell(c, row);
        if (IsShrinkCell(cell))
            break;
        if (IsEmptyCell(cell) || cell.Note == 32) {
            if (!IsWestNoteOrRest(cell))
                continue;
        }
        if (!IsWestNoteOrRest(cell))
            break;
        TCompressNote item{cell.Note, static_cast<int>(cell.yAdj), 0, cell.Attr, cell.option, 0};
        if (cell.Note < 4)
            item.option &= ~0x4u;
        if (IsTupletMarkCell(cell)) {
            item.option |= 0x40000000u;
            tupletEnd = cell.iEnd;
        }
        if (c == tupletEnd)
            item.option |= 0x80000000u;
        items.push_back(item);
        const bool ends = (cell.option & 0x4u) != 0;
        if (c > first)
            ResetCell(cell);
        if (ends) {
            groupEnd = true;
            break;
        }
    }
    TCell& target = GridCell(first, row);
    target.CompressNotes = items;
    SetClass(target, 0xA0u);
    target.shrinkRate = rate;
    if (groupEnd)
        target.option |= 0x4u;
    s->SetModified(true);
    return true;
}

bool ToggleWestGrace() {
    TMainScore* s = frmMainTQ;
    TCell& cursor = GridCell(s->SelCol0, s->SelRow0);
    if (cursor.westChordArray.empty()) {
        if (!ShrinkWestNotes(-10))
            return false;
        TCell& cell = GridCell(s->SelCol0, s->SelRow0);
        cell.fontSizeR = 0.6f;
        SetClass(cell, 0xC0u);
        cell.option |= 0x1u | 0x80000u;
        Finish();
        return true;
    }
    Undo.SaveUndo();
    if (!(cursor.option & kGraceBit)) {
        cursor.fontSizeR = 0.6f;
        SetClass(cursor, 0xC0u);
        cursor.option |= kGraceBit | 0x1u;
    } else {
        cursor.fontSizeR = 1.0f;
        cursor.option &= ~kGraceBit;
        SetClass(cursor, 0u);
        if (GetChordCentre(cursor) > 0)
            cursor.option |= 0x1u;
        else
            cursor.option &= ~0x1u;
    }
    Finish();
    return true;
}

void ExpandWestNotes() {
    TMainScore* s = frmMainTQ;
    const int row = s->SelRow0;
    const TCell cell = GridCell(s->SelCol0, row);
    const int n = GetCompressNoteCount(cell);
    if (n == 0 || !(IsShrinkCell(cell) || IsGraceCell(cell)))
        return;
    const int from = s->SelCol0;
    const int start = n > 1 ? FindSpanStartCol(n) : from;
    if (!IsFreeRun(start, n, row, from)) // no free run of cells: nothing changes
        return;
    Undo.SaveBlock(std::min(start, from), row, std::max(start + n - 1, from), row);
    if (start != from)
        ResetCellAt(from, row);
    for (int i = 0; i < n; ++i) {
        const TCompressNote& item = cell.CompressNotes[size_t(i)];
        TCell& c = GridCell(start + i, row);
        c = cell;
        c.CompressNotes.clear();
        c.Note = item.code;
        c.option = item.option;
        c.Attr = item.attr;
        c.yAdj = float(item.value);
        c.cellType = ctWestern;
        c.shrinkRate = 0;
        c.fontSizeR = 1.0f;
    }
    s->SelCol0 = start;
    s->SelCol1 = start + n - 1;
    s->SelRow1 = row;
    Finish();
}

void ConnectGFTails() {
    TMainScore* s = frmMainTQ;
    int upper = -1, lower = -1;
    for (int r = s->SelRow0; r <= s->SelRow1 && upper < 0; ++r)
        if (IsWestRow(r, 0, -1))
            upper = r;
    for (int r = s->SelRow1; r >= s->SelRow0 && lower < 0; --r)
        if (IsWestRow(r, 0, -1))
            lower = r;
    if (upper < 0 || lower < 0 || upper == lower)
        return;
    const int col = s->SelCol0;
    TCell& up = GridCell(col, upper);
    TCell& lo = GridCell(col, lower);
    if ((up.option ^ lo.option) & 0x1u)
        return;
    Undo.SaveUndo();
    lo.option ^= 0x80u;
    if (lo.option & 0x80u) {
        up.option |= 0x100000u;
        lo.UL = 0;
        lo.dot = upper - lower;
    } else {
        up.option &= ~0x100000u;
        lo.UL = 0;
        lo.dot = 0;
    }
    Finish();
}

void StepCrossBreakPoint(int direction) {
    TMainScore* s = frmMainTQ;
    int upper = -1, lower = -1;
    if (!FindGrandStaffPair(s->SelRow0, upper, lower))
        return;
    TCell& cell = GridCell(s->SelCol0, s->SelRow0);
    if (s->SelRow0 == upper)
        cell.breakPoint += 2 * direction;
    else
        cell.breakPoint -= 2 * direction;
    if (WestEntryHooks().BreakPointHint)
        WestEntryHooks().BreakPointHint("Break Point = " + std::to_string(cell.breakPoint));
    if (WestEntryHooks().FocusMainWindow)
        WestEntryHooks().FocusMainWindow();
    s->SetModified(true);
    MainView()->RedrawPage();
}
