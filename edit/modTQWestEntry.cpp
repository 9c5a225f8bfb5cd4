#include "edit/modTQWestEntry.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "edit/modTQCursorKeys.h"
#include "edit/modTQWestBeaming.h"
#include "edit/modTQWestChord.h"
#include "model/modTQCellAccess.h"
#include "model/modTQGroup.h"
#include "model/modTQKeys.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQTailLinks.h"
#include "model/modTQUndo.h"
#include "render/modTQMainView.h"

namespace {

TCellRow& GridRowRef(int row, int layer = -1) {
    return frmMainTQ->PageSets[size_t(layer < 0 ? CurLayer : layer)][size_t(frmMainTQ->CurPage)][size_t(row)];
}

TCell& GridCell(int col, int row, int layer = -1) {
    return GridRowRef(row, layer)[size_t(col)];
}

bool SingleCellSelected() {
    const TMainScore* s = frmMainTQ;
    return s->SelCol0 == s->SelCol1 && s->SelRow0 == s->SelRow1;
}

// Resets the layer-1 twin of the cursor cell with an undo item of its own,
// grouped with the one saved before.
void ResetTwinCell() {
    if (!frmMainTQ->HasJianpuPage())
        return;
    CurLayer = 1;
    Undo.SaveUndo();
    Undo.SetUndoGroup(2);
    ResetCellAt(frmMainTQ->SelCol0, frmMainTQ->SelRow0);
    CurLayer = 0;
}

// The header clef cell left of the cursor in the layer-0 row; nullptr when none.
const TCell* ClefLeftOfCursor() {
    const TMainScore* s = frmMainTQ;
    const TCellRow& cells = GridRowRef(s->SelRow0, 0);
    for (int c = std::min(s->SelCol0 - 1, int(cells.size()) - 1); c >= 0; --c)
        if (IsClefCell(cells[size_t(c)]))
            return &cells[size_t(c)];
    return nullptr;
}

int StaffShift(const TCell& header) {
    return static_cast<int>(2.0f * header.yAdj);
}

bool IsWestNoteValue(int code) {
    return code >= 1 && code <= 9;
}

// Staff steps that keep a note's pitch when the clef changes from `from` to `to`.
int ClefShift(int from, int to) {
    // the middle-line step of each clef, counted from C4 downward in steps
    auto middle = [](int clef) -> int {
        switch (clef) {
        case -1:
            return -6; // B4
        case -2:
            return 6; // D3
        case -3:
            return 0; // C4
        case -5:
            return 2; // A3
        default:
            return 1000;
        }
    };
    const int a = middle(from), b = middle(to);
    if (from == to || a == 1000 || b == 1000)
        return 0;
    return a - b;
}

} // namespace

namespace {

// The stem of a note on its own: up (flipped) below the middle line, down on it
// and above.
bool LoneStemUp(const TCell& cell) { return static_cast<int>(cell.yAdj) >= 1; }

// A note outside a beamed group written over `before`: a new note takes the stem
// of a note on its own; a note that moved takes it too, unless the user had
// turned the stem against that rule, which then stays as it was.
void SetLoneStem(const TCell& before, TCell& cell) {
    auto stemmed = [](const TCell& c) { return c.cellType == ctWestern && c.Note >= 2 && c.Note <= 9; };
    if (!stemmed(cell))
        return;
    const bool wasNote = stemmed(before);
    if (wasNote && (IsStemFlipped(before) != LoneStemUp(before) || before.yAdj == cell.yAdj))
        return;
    cell.option = (cell.option & ~0x1u) | (LoneStemUp(cell) ? 0x1u : 0u);
}

// Codes that change cells beside the selected ones: a value splits or joins
// the beam group around its note; a dash, a dot or an underline typed after a
// note acts on that note.
bool ReachesNeighbours(int code) {
    return (code >= 1 && code <= 9) || code == 12 || code == 13 || code == 49;
}

} // namespace

TWestEntryHooks& WestEntryHooks() {
    static TWestEntryHooks hooks;
    return hooks;
}

bool AddWestNoteOrProp(int code, bool saveUndo, float position, bool /*redraw*/) {
    TMainScore* s = frmMainTQ;
    const int layer = CurLayer;
    const bool single = SingleCellSelected();
    bool result = false;
    if (IsBarLineCode(code) && single && saveUndo && !IsClefCell(GridCell(s->SelCol0, s->SelRow0))) {
        PlaceBarLine(GridCell(s->SelCol0, s->SelRow0, 0), code);
    } else {
        if (saveUndo) {
            // Decombining and flipping reach the whole tail group beyond the selection.
            if (code == 114 || code == 100)
                Undo.SaveSelectedRows(false);
            else if (ReachesNeighbours(code))
                Undo.SaveBlock(0, std::min(s->SelRow0, s->SelRow1), s->Cols - 1, std::max(s->SelRow0, s->SelRow1));
            else
                Undo.SaveUndo();
        }
        result = (code >= 1 && code <= 7) || IsWestRestCode(code);
        if ((code < 0 || IsBarLineCode(code)) && s->HasJianpuPage()) {
            CurLayer = 1;
            Undo.SaveUndo();
            Undo.SetUndoGroup(2);
            ResetCellAt(s->SelCol0, s->SelRow0);
            CurLayer = 0;
        }
        if (code < 0) {
            PlaceClef(GridCell(s->SelCol0, s->SelRow0), code);
        } else {
            bool stop = false;
            for (int r = s->SelRow0; r <= s->SelRow1 && !stop; ++r)
                for (int c = s->SelCol0; c <= s->SelCol1; ++c) {
                    WestNoteCommand(code, GridCell(c, r), c, r, position);
                    if (code == 114) {
                        stop = true;
                        break;
                    }
                }
            if (code == 100 && WestEntryHooks().FlipMarks)
                WestEntryHooks().FlipMarks();
        }
        if (single && result) {
            MainView()->AdvanceCursor();
            if (IsBarLineCell(GridCell(s->SelCol0, s->SelRow0, 0)))
                MainView()->AdvanceCursor();
        }
    }
    if (saveUndo)
        MainView()->RedrawSelection();
    CurLayer = layer;
    if (WestEntryHooks().FocusMainWindow)
        WestEntryHooks().FocusMainWindow();
    s->SetModified(true);
    return result;
}

void PutWestCode(int code, TCell& cell, int col, int row, int noteIndex, float position) {
    if (code == 63 && IsClefCell(cell)) {
        cell.playDur ^= 0x10;
        return;
    }
    const TCell before = cell;
    cell.cellType = ctWestern;
    if (code == 81) {
        cell.Note = 1;
        cell.option |= 0x20000u;
    } else if (noteIndex >= 1 && !cell.CompressNotes.empty()) {
        TCompressNote& item =
            cell.CompressNotes[size_t(std::min<int>(noteIndex, int(cell.CompressNotes.size())) - 1)];
        item.code = code;
        if (IsWestRestCode(code))
            item.value = 0;
    } else {
        cell.Note = code;
        if (IsWestRestCode(code))
            cell.yAdj = 0.0f;
        else if (code >= 1 && code < 4)
            DecombineTailGroup(col, row);
    }
    if (position != kNoPosition)
        cell.yAdj = position;
    cell.dot = 0;
    if (code == 1 || code == 81) {
        if (IsStemFlipped(cell)) {
            cell.option &= ~0x1u;
            return;
        }
    }
    int start = -1;
    if (FindCombineTailStart(col, row, start) && start >= 0) {
        if (start != col) {
            const TCell& first = GridCell(start, row);
            cell.option = (cell.option & ~0x1u) | (first.option & 0x1u);
        }
    } else if (noteIndex < 1 || cell.CompressNotes.empty()) {
        SetLoneStem(before, cell);
    }
}

void PlaceClef(TCell& cell, int clef) {
    TMainScore* s = frmMainTQ;
    const bool single = SingleCellSelected();
    const int key = MainView()->CurKey;
    if (single && IsClefCell(cell)) {
        cell.Note = clef;
        cell.Attr = uint32_t(key);
        return;
    }
    // A clef put on one cell ahead of every other clef of its row starts the
    // row's staff: its lines reach the row's end, wherever the user starts it.
    const int first = FindClefColInRow(GridRowRef(s->SelRow0), 0);
    const bool startsStaff = single && (first < 0 || first >= s->SelCol0);
    ResetCell(cell);
    cell.cellType = ctWestern;
    cell.Note = clef;
    cell.iEnd = startsStaff ? s->Cols - 1 : s->SelCol1;
    cell.jEnd = s->SelRow0;
    cell.Attr = uint32_t(key);
    cell.playDur = 0;
    cell.dot = 0;
    if (single)
        cell.fontSizeR = clef == -1 ? 0.6f : 0.7f;
}

void PlaceBarLine(TCell& cell, int code) {
    TMainScore* s = frmMainTQ;
    CurLayer = 0;
    std::vector<TGroupData> group;
    if (GetRowGroup(s->SelRow0, -1) >= 0)
        group = GroupRows;
    const int mt = cell.markType;
    const bool markCase = code == 58 && (mt == 29 || mt == 30 || mt == 71 || mt == 73) && !group.empty() &&
                          IsJianpuMusicRow(group.front().row);
    const int col = s->SelCol0;
    // Typing on one staff never changes another: the bar line goes through the
    // group only where every other staff is free at its column.
    const auto freeFor = [&](const TCell& c) {
        return IsEmptyCell(c) || IsBarLineCode(c.Note) || (IsClefCell(c) && code == 58);
    };
    const bool groupFree = std::all_of(group.begin(), group.end(), [&](const TGroupData& g) {
        return g.row == s->SelRow0 || freeFor(GridCell(col, g.row, 0));
    });
    if (!markCase && group.size() >= 2 && groupFree) {
        const int first = group.front().row, last = group.back().row;
        if (s->SelRow0 < first || s->SelRow1 > last || !SingleCellSelected()) {
            cell.Note = code;
            return;
        }
        Undo.SaveBlock(col, first, col, last);
        for (const TGroupData& g : group) {
            TCell& c = GridCell(col, g.row, 0);
            if (IsClefCell(c) && code == 58)
                c.option ^= 0x40u;
            else
                c.Note = code;
        }
        if (!(cell.option & 0x40u)) {
            const int link = code == 58 ? 60 : code == 59 ? 61 : code;
            for (const TGroupData& g : group) {
                if (!g.hasSystemMark)
                    continue;
                for (int r = g.row + 1; r < g.markEndRow && r < s->Rows; ++r)
                    if (TCell& between = GridCell(col, r, 0); IsEmptyCell(between) || IsBarLineCode(between.Note))
                        between.Note = link;
            }
        }
        return;
    }
    Undo.SaveUndo();
    if (markCase) {
        cell.option ^= 0x40u;
        return;
    }
    ResetCell(cell);
    ResetTwinCell();
    cell.cellType = ctWestern;
    cell.Note = code;
}

int LetterToStaffPos(int letter) {
    int octave = 0;
    if (letter >= 'A' && letter < 'H') {
        octave = 7;
        letter = std::tolower(letter);
    }
    const TCell* header = ClefLeftOfCursor();
    if (!header)
        return 0;
    int base;
    switch (header->Note) {
    case -2:
        base = 100 - letter;
        break;
    case -3:
        base = 99 - letter;
        break;
    case -5:
        base = 97 - letter;
        break;
    default:
        base = 105 - letter;
        break;
    }
    if (letter == 'a' || letter == 'b')
        base -= 7;
    return base + octave + StaffShift(*header);
}

int DegreeToStaffPos(int degree) {
    const TCell* header = ClefLeftOfCursor();
    if (!header)
        return 0;
    const int clef = header->Note;
    const bool bass = clef == -2;
    int pos;
    switch (clef) {
    case -2:
        pos = 2 - degree;
        break;
    case -3:
        pos = 8 - degree;
        break;
    case -5:
        pos = 6 - degree;
        break;
    default:
        pos = 7 - degree;
        break;
    }
    pos += StaffShift(*header);
    switch (header->Attr) {
    case 1:
    case 11:
        pos += -4 + (bass ? 7 : 0);
        break;
    case 2:
    case 10:
        pos -= 1;
        break;
    case 3:
    case 9:
        pos += 2 - (bass ? 0 : 7);
        break;
    case 4:
    case 8:
        pos -= 2;
        break;
    case 5:
    case 7:
        pos += 1 - (bass ? 0 : 7);
        break;
    case 6:
    case 13:
        pos += -3 + (bass ? 7 : 0);
        break;
    default:
        break;
    }
    return pos;
}

bool SelectionHasOtherClef(int clef) {
    const TMainScore* s = frmMainTQ;
    for (int c = s->SelCol0; c <= s->SelCol1; ++c) {
        const TCell& cell = GridCell(c, s->SelRow0);
        if (IsClefCell(cell) && cell.Note != clef)
            return true;
    }
    return false;
}

bool IsSingleWestNoteSelected() {
    return SingleCellSelected() && IsWestNoteCell(GridCell(frmMainTQ->SelCol0, frmMainTQ->SelRow0));
}

void ChangeClef(int clef) {
    TMainScore* s = frmMainTQ;
    const int layer = CurLayer;
    const int c0 = s->SelCol0, r0 = s->SelRow0, c1 = s->SelCol1, r1 = s->SelRow1;
    Undo.SaveRows(r0, r1, true);
    for (int r = r0; r <= r1; ++r)
        if (IsWestRow(r, 0, -1)) {
            int old = 0;
            SetRowClef(c0, r, clef, old, false);
        }
    CurLayer = layer;
    s->SelCol0 = c0, s->SelRow0 = r0, s->SelCol1 = c1, s->SelRow1 = r1;
    s->SetModified(true);
    MainView()->RedrawSelection();
}

void SetRowClef(int col, int row, int clef, int& oldClef, bool wholeRow) {
    TMainScore* s = frmMainTQ;
    const int layer = CurLayer;
    CurLayer = 0;
    const int header = FindClefCol(row, 0);
    if (header < 0) {
        CurLayer = layer;
        return;
    }
    const bool clefColumn = s->SelCol0 == s->SelCol1 && IsClefCell(GridCell(s->SelCol0, row));
    int end = std::min(wholeRow || clefColumn ? s->Cols : s->SelCol1 + 1, s->Cols); // exclusive
    int start = wholeRow ? col : FindClefCol(row, col, end - 1);
    if (oldClef == 0) {
        if (start >= 0 && IsClefCell(GridCell(start, row)))
            oldClef = GridCell(start, row).Note;
        else {
            const int back = FindClefColBack(row, col);
            oldClef = back >= 0 ? GridCell(back, row).Note : 0;
        }
    }
    const int shift = ClefShift(oldClef, clef);
    if (shift == 0) {
        CurLayer = layer;
        return;
    }
    // A clef asked for before the staff's first note or rest is the staff's
    // own clef, for the whole row as when its clef cell is chosen: a second
    // clef there would stand in the header, over the header's clef and key
    // signature.
    if (start < 0 || !IsClefCell(GridCell(start, row))) {
        bool noteBefore = false;
        for (int c = header + 1; c < col && !noteBefore; ++c)
            noteBefore = IsWestNoteOrRest(GridCell(c, row));
        if (!noteBefore && col > header) {
            start = header;
            end = s->Cols;
        }
    }
    if (start < 0 || !IsClefCell(GridCell(start, row))) {
        const int at = NewClefColumn(row, col);
        // a clef is only written into a free cell: a note there is never overwritten
        if (at <= 0 || !IsEmptyCell(GridCell(at, row))) {
            CurLayer = layer;
            return;
        }
        TCell& c = GridCell(at, row);
        c = GridCell(header, row);
        c.Note = clef;
        c.fontSizeR = clef == -1 ? 0.6f : 0.7f;
        c.playDur |= 0x1;
        start = at;
    } else {
        TCell& c = GridCell(start, row);
        c.Note = clef;
        if (start > header) {
            c.playDur &= ~0x4;
            c.playDur |= 0x1;
        }
    }
    std::vector<int> stemCols;
    TCellRow& cells = GridRowRef(row, 0);
    for (int c = start; c < end; ++c) {
        const TCell& cell = cells[size_t(c)];
        if (!wholeRow && cell.cellType == ctWestern && cell.Note >= 2 && cell.Note <= 8 && cell.yAdj > 0)
            stemCols.push_back(c);
    }
    for (int l = 0; l < (s->HasJianpuPage() ? 2 : 1); ++l) {
        TCellRow& rc = GridRowRef(row, l);
        for (int c = start; c < end; ++c) {
            TCell& cell = rc[size_t(c)];
            if (!IsWestNoteCell(cell))
                continue;
            cell.yAdj += float(shift);
            for (TCompressNote& n : cell.CompressNotes)
                n.value += shift;
        }
    }
    int done = -1;
    for (int c : stemCols)
        if (c > done)
            done = FlipStems(0, c, row, false);
    const int startClef = cells[size_t(start)].Note;
    for (int c = start + 1; c < end; ++c) {
        TCell& cell = cells[size_t(c)];
        if (!IsClefCell(cell))
            continue;
        if (cell.Note == startClef)
            ResetCell(cell);
        else
            cell.Note = startClef;
    }
    CurLayer = layer;
}

int NewClefColumn(int row, int col) {
    for (int c = col - 1; c > 0; --c) {
        const TCell& cell = GridCell(c, row);
        if (IsEmptyCell(cell))
            return c;
        if (IsWestNoteOrRest(cell))
            return col;
    }
    return col;
}

void ToggleNoteFlag(TCell& cell, uint32_t bits, uint32_t clear) {
    const int n = MainView()->GetKeyTargetNote(cell);
    if (!cell.CompressNotes.empty()) {
        for (size_t i = 0; i < cell.CompressNotes.size(); ++i) {
            TCompressNote& item = cell.CompressNotes[i];
            if ((n == 0 || int(i) == n - 1) && item.code != 32)
                item.option = ToggleFlagBits(item.option, bits, clear);
        }
        return;
    }
    if (cell.westChordArray.empty() || n == 1 || n < 0) {
        cell.option = ToggleFlagBits(cell.option, bits, clear);
        return;
    }
    if (n == 0) {
        cell.option ^= bits;
        for (TWestChord& item : cell.westChordArray)
            item.option = ToggleFlagBits(item.option, bits, clear);
        return;
    }
    if (n - 1 <= int(cell.westChordArray.size())) {
        TWestChord& item = cell.westChordArray[size_t(n - 2)];
        item.option = ToggleFlagBits(item.option, bits, clear);
    }
}

void ToggleCellFlag(TCell& cell, uint32_t bits, uint32_t clear) {
    if (!cell.westChordArray.empty())
        cell.option = ToggleFlagBits(cell.option, bits, clear);
    else
        ToggleNoteFlag(cell, bits, clear);
}

namespace {

int StepCode(int code, int delta) {
    if (IsWestRestCode(code) && code != 87) {
        if (code < 22) // multi-measure, whole and half rests enter the ring
            return delta > 0 ? 22 : std::max(19, code + delta);
        int r = code + delta;
        if (r >= 28)
            r = 22;
        if (r <= 21)
            r = 27;
        return r;
    }
    if (IsWestNoteValue(code)) {
        int v = code + delta;
        if (v >= 9)
            v = 3;
        if (v < 3)
            v = 8;
        return v;
    }
    return code;
}

} // namespace

void StepWestValue(TCell& cell, int delta) {
    const int n = MainView()->GetKeyTargetNote(cell);
    if (n >= 1 && cell.westChordArray.empty() && !cell.CompressNotes.empty()) {
        TCompressNote& item =
            cell.CompressNotes[size_t(std::min<int>(n, int(cell.CompressNotes.size())) - 1)];
        item.code = StepCode(item.code, delta);
        return;
    }
    cell.Note = StepCode(cell.Note, delta);
}

namespace {

// The Western note or rest that codes 12, 13 and 49 act on: the cell itself, or
// with one selected cell the one left of it; nullptr when neither.
TCell* ValueTarget(TCell& cell, int col, int row) {
    if (IsWestNoteOrRest(cell))
        return &cell;
    if (SingleCellSelected() && col >= 1) {
        TCell& left = GridCell(col - 1, row);
        if (IsWestNoteOrRest(left))
            return &left;
    }
    return nullptr;
}

bool IsAnyNote(const TCell& c) {
    return IsNoteCell(c) || IsWestNoteCell(c);
}

} // namespace

void WestNoteCommand(int code, TCell& cell, int& col, int row, float position) {
    const int n = MainView()->GetKeyTargetNote(cell);
    const bool west = IsWestNoteCell(cell);
    if (code >= 3 && code <= 9 && IsJianpuNoteCell(cell) && !IsWestRow(row, 0, -1)) {
        const int ul = code - 3;
        if (n >= 1 && int(cell.CompressNotes.size()) >= n) {
            cell.CompressNotes[size_t(n - 1)].value = ul;
            cell.UL = ul;
        } else if (n == 0 && !cell.CompressNotes.empty()) {
            for (TCompressNote& item : cell.CompressNotes)
                item.value = ul;
        } else {
            cell.UL = ul;
        }
        return;
    }
    switch (code) {
    case 12:
    case 13:
    case 49: {
        if (TCell* t = ValueTarget(cell, col, row)) {
            if (code == 49)
                t->option = CycleDotFlags(t->option);
            else
                StepWestValue(*t, code == 12 ? 1 : -1);
        } else if (code == 13) {
            cell.Note = -106;
        } else if (code == 49) {
            cell.Note = -73;
        }
        return;
    }
    case 100:
        if (west && cell.Note >= 2 && cell.Note <= 9)
            col = FlipStems(CurLayer, col, row, false);
        return;
    case 101:
        if (west)
            AddWestChordThird(cell);
        return;
    case 102:
        if (west)
            DeleteWestChordNote(cell);
        return;
    case 103:
        if (IsNoteOrRestCell(cell) || IsWestNoteOrRest(cell) || IsPercussionSyllableCell(cell)) {
            if (n >= 1 && !cell.CompressNotes.empty() && n <= int(cell.CompressNotes.size()))
                cell.CompressNotes[size_t(n - 1)].option =
                    CycleDotFlags(cell.CompressNotes[size_t(n - 1)].option);
            else
                cell.option = CycleDotFlags(cell.option);
        }
        return;
    case 105:
        if (IsAnyNote(cell))
            ToggleCellFlag(cell, 0x10, 0x400000);
        return;
    case 106:
        if (IsAnyNote(cell))
            ToggleCellFlag(cell, 0x20);
        return;
    case 107:
        if (west)
            ToggleNoteFlag(cell, 0x20000000, 0x8000000);
        return;
    case 108:
        if (!cell.CompressNotes.empty()) {
            for (size_t i = 0; i < cell.CompressNotes.size(); ++i)
                if (n == 0 || int(i) == n - 1)
                    cell.CompressNotes[i].option = CycleTwoBitMark(cell.CompressNotes[i].option);
        } else if (n == -1 || IsVerticalCell(cell)) {
            cell.option = CycleTwoBitMark(cell.option);
        }
        return;
    case 110:
        if (west)
            ToggleCellFlag(cell, 0x1000);
        return;
    case 111:
        if (west)
            ToggleNoteFlag(cell, 0x2000);
        return;
    case 112:
        if (west)
            ToggleNoteFlag(cell, 0x4000);
        return;
    case 114:
        if (DecombineGFTail(col, row) == 2) {
            const int end = DecombineTailGroup(col, row);
            if (end >= 0)
                col = end;
        }
        return;
    case 115:
        if (west)
            cell.option |= 0x8000u;
        return;
    case 116:
        cell.option &= ~0x8000u;
        return;
    case 126:
        if (IsAnyNote(cell))
            ToggleCellFlag(cell, 0x200000);
        return;
    case 127:
        if (IsAnyNote(cell))
            SetNoteAttr(cell, std::max(n, 0), 128);
        return;
    case 128:
        if (IsAnyNote(cell))
            ToggleCellFlag(cell, 0x400000, 0x10);
        return;
    case 129:
        if (IsAnyNote(cell))
            MoveSignToOtherSide(cell, n < 1 ? 1 : n);
        return;
    case 131:
        if (IsAnyNote(cell))
            ToggleCellFlag(cell, 0x4000000, 0x10);
        return;
    case 182:
        if (west && cell.Note >= 4)
            ToggleNoteFlag(cell, 0x2000000);
        return;
    case 184:
        if (west)
            ToggleNoteFlag(cell, 0x8000000, 0x20000000);
        return;
    case 185:
        if (IsAnyNote(cell))
            ToggleNoteFlag(cell, 0x10000);
        return;
    default:
        break;
    }
    if (west && position != kNoPosition) {
        const TCell before = cell;
        cell.yAdj = position;
        int start = -1;
        if (!(FindCombineTailStart(col, row, start) && start >= 0))
            SetLoneStem(before, cell);
        return;
    }
    PutWestCode(code, cell, col, row, n, position);
}
