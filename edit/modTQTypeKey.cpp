// The typed-key cell writer of the main window and the key-driven edits of the
// selection: octave change, octave notes, underlines, nudging, note-name hints.
#include <algorithm>
#include <cmath>

#include "edit/modTQCursorKeys.h"
#include "edit/modTQEd.h"
#include "edit/modTQEditContext.h"
#include "edit/modTQJianpu.h"
#include "edit/modTQSelCells.h"
#include "edit/modTQWestChord.h"
#include "edit/modTQWestEntry.h"
#include "model/modTQCellAccess.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "model/modTQUndo.h"
#include "model/modTQUtil.h"
#include "render/modTQMainView.h"

namespace {

constexpr int kDot = -73;
constexpr int kDash = -106;

// One octave step of a signed octave value: up with "'", down with ','. The
// two keys undo each other: a low dot goes back to the middle octave with "'",
// a high dot with ','. Cycling runs 0, 1, 2, 0 upward and 0, -1, -2, 0 downward.
int StepOctaveValue(int v, int key, bool cycle) {
    const int up = key == '\'' ? 1 : -1;
    if (v * up < 0)
        return v + up;
    if (cycle && v * up >= 2)
        return 0;
    return v + up;
}

// A Jianpu cell that sounds on its own: a note character other than the
// augmentation dot, in a cell without small notes.
bool IsSoundingJianpuCell(const TCell& c) {
    return c.cellType == ctJianpu && c.CompressNotes.empty() && IsJianpuNoteChar(c.Note) && c.Note != kDot;
}

int BarKeyCode(int key) {
    switch (key) {
    case ':': return 58;
    case ';': return 59;
    case 'i': return 60;
    case 'I': return 61;
    case 'l': return 62;
    case '|': return 63;
    default: return 0;
    }
}

// The column of the first cell left of (col, row) that is not empty; -1 none.
int NoteLeftOf(int col, int row) {
    for (int k = col - 1; k >= 0; --k)
        if (const TCell* left = selcells::At(k, row); left && !IsEmptyCell(*left))
            return k;
    return -1;
}

// The leftmost column a dash typed into the selection can re-value: the cell
// before the selection's first column on any of its rows.
int DashNoteColumn(const selcells::TSel& sel) {
    int from = sel.c0;
    for (int r = sel.r0; r <= sel.r1; ++r)
        if (const int k = NoteLeftOf(sel.c0, r); k >= 0)
            from = std::min(from, k);
    return from;
}

} // namespace

void TMainView::ApplyKeyToNotes(TCell& cell, int key, bool cycle, int value) {
    const int count = GetCompressNoteCount(cell);
    if (count == 0)
        return;
    const int target = GetKeyTargetNote(cell);
    for (int i = 0; i < count; ++i) {
        if (target > 0 && i != target - 1)
            continue;
        TCompressNote& n = cell.CompressNotes[static_cast<size_t>(i)];
        if ((key >= '0' && key <= '9') || key == '-') {
            n.code = key == '-' ? kDash : key;
            if (key == '0')
                n.octave = 0;
        } else if (key == '.') {
            n.code = kDot;
        } else if (key == ' ') {
            n.octave = 0;
        } else if (key == ',' || key == '\'') {
            const int up = key == '\'' ? 1 : -1;
            if (value > -100)
                n.octave = value;
            else if (n.octave * up < 0)
                n.octave += up; // back towards the middle octave
            else {
                n.octave += up;
                if (cycle && std::abs(n.octave) > 3)
                    n.octave = 0;
            }
        } else if (key == '_') {
            if (value > -100)
                n.value = std::max(value, 0);
            else
                n.value = AddWithWrap(n.value, 1, cycle);
        }
    }
}

void TMainView::TypeNoteKey(int key, bool saveUndo) {
    if ((key & 0xFF) == 0xA3)
        return;
    if (const int bar = BarKeyCode(key)) {
        AddWestNoteOrProp(bar, saveUndo, kNoPosition, true);
        AdvanceCursor();
        return;
    }
    TCell cursor;
    GetCursorCell(cursor);
    const bool digit = key >= '0' && key <= '7';
    if (IsWestRowAtCursor()) {
        if (key == '-') {
            AddWestNoteOrProp(13, saveUndo, kNoPosition, true);
            return;
        }
        if (key == '.') {
            AddWestNoteOrProp(49, saveUndo, kNoPosition, true);
            return;
        }
        if (key == '0' && IsEmptyCell(cursor)) {
            AddWestNoteOrProp(22, saveUndo, kNoPosition, true);
            return;
        }
        if (digit) {
            if (IsWestNoteCell(cursor, 1) && (HasWestChordNotes(cursor) || !cursor.CompressNotes.empty())) {
                SelectTargetNote(key - '0');
                return;
            }
            const float pos = static_cast<float>(DegreeToStaffPos(key - '0') - 7 * cursor.dot);
            AddWestNoteOrProp(DefaultNoteKind + 3, saveUndo, pos, true);
            return;
        }
    }
    if (GongChiMode && digit) {
        if (OnEnterGongcheChar)
            OnEnterGongcheChar(key);
        return;
    }
    const selcells::TSel sel = selcells::Selection();
    if (saveUndo) {
        // A dash takes the underline off the note before it, which may stand
        // left of the selection: that note is part of the step.
        const int from = key == '-' ? DashNoteColumn(sel) : sel.c0;
        Undo.SaveBlock(from, sel.r0, sel.c1, sel.r1);
    }
    float top = static_cast<float>(sel.r0);
    int right = sel.c1;
    bool anySmall = false;
    selcells::ForEach(sel, [&](TCell& cell, int c, int r) {
        if (key == '.' && IsSoundingJianpuCell(cell)) {
            cell.option = CycleDotFlags(cell.option);
        } else if (key == 'x' && IsVerticalCell(cell) && !cell.CompressNotes.empty()) {
            JianpuEditor.DropLastCompressNote(cell);
        } else if (!cell.CompressNotes.empty() && IsJianpuInputChar(key)) {
            ApplyKeyToNotes(cell, key, true, -100);
        } else {
            const int dots = cell.dot;
            ResetCell(cell);
            cell.dot = dots;
            cell.cellType = ctJianpu;
            if (key == '.') {
                cell.Note = kDot;
            } else if (key == '-') {
                cell.Note = kDash;
                const int k = NoteLeftOf(c, r);
                if (TCell* left = selcells::At(k, r); left && IsJianpuSound(*left) && left->Note != kDash)
                    left->UL = 0;
            } else if (!(key >= '0' && key <= '9') || !AltDown) {
                cell.Note = key;
                cell.FontName.clear();
                if (digit)
                    cell.UL = DefaultNoteKind;
            }
        }
        if (!cell.CompressNotes.empty()) {
            anySmall = true;
            ExtendRangeForNotes(top, c, right, cell);
        }
    });
    SetModified(true);
    const bool oneCell = sel.c0 == sel.c1 && sel.r0 == sel.r1;
    if (oneCell && !anySmall) {
        AdvanceCursor();
        TCell next;
        if (GetCursorCell(next) && IsBarLineCell(next))
            AdvanceCursor();
    }
    RedrawCells(sel.c0 > 0 && key == '-' ? 0 : sel.c0, static_cast<int>(top), right, sel.r1);
}

void TMainView::ChangeOctave(int key, bool cycle) {
    const selcells::TSel sel = selcells::Selection();
    Undo.SaveUndo();
    const bool westRow = IsWestRowAtCursor();
    selcells::ForEach(sel, [&](TCell& stored, int, int) {
        // an empty cell keeps no octave dot for a note typed later: nothing
        // would show it
        if (IsEmptyCell(stored))
            return;
        TCell cell = stored;
        const int steps = key == '\'' ? -7 : 7;
        if (IsWestNoteCell(cell, 1)) {
            if (!cell.CompressNotes.empty()) {
                const int t = GetKeyTargetNote(cell);
                for (int i = 0; i < GetCompressNoteCount(cell); ++i)
                    if (t <= 0 || i == t - 1)
                        cell.CompressNotes[static_cast<size_t>(i)].value += steps;
            } else {
                cell.yAdj += static_cast<float>(steps);
            }
        } else if (cell.CompressNotes.empty() || westRow) {
            if (AltDown || CtrlDown)
                cell.option =
                    static_cast<uint32_t>(StepOctaveValue(static_cast<int32_t>(cell.option), key, cycle));
            else
                cell.dot = StepOctaveValue(cell.dot, key, cycle);
        } else {
            ApplyKeyToNotes(cell, key, cycle, -100);
        }
        stored = cell;
    });
    SetModified(true);
    RedrawCells(sel.c0, sel.r0, sel.c1, sel.r1);
}

void TMainView::AddOctaveNote() {
    const selcells::TSel sel = selcells::Selection();
    Undo.SaveUndo();
    bool changed = false;
    selcells::ForEach(sel, [&](TCell& cell, int, int) {
        if (cell.cellType == ctWestern && IsWestNoteCode(cell.Note) && cell.CompressNotes.empty()) {
            if (cell.westChordArray.empty()) {
                TWestChord item;
                item.interval = 7;
                item.attr = cell.Attr;
                item.option = cell.option;
                cell.westChordArray.push_back(item);
            } else {
                cell.westChordArray[cell.westChordArray.size() - 1].interval = 7;
            }
            changed = true;
        } else if (cell.cellType == ctJianpu && !IsVerticalCell(cell) && IsJianpuNoteDigit(cell.Note)) {
            TCompressNote low;
            CellToCompressNote(cell, low);
            TCompressNote high = low;
            high.octave += 1;
            cell.CompressNotes = {low, high};
            SetAttrNibble(cell.Attr, 0xB0);
            changed = true;
        } else if (cell.cellType == ctJianpu && IsVerticalCell(cell) && cell.CompressNotes.size() >= 2) {
            const size_t n = cell.CompressNotes.size();
            TCompressNote& last = cell.CompressNotes[n - 1];
            const TCompressNote& before = cell.CompressNotes[n - 2];
            last.code = before.code;
            last.octave = before.octave + 1;
            changed = true;
        }
    });
    if (changed) {
        SetModified(true);
        RedrawSelection();
    }
}

void TMainView::SetUnderlines(int value, bool add, bool cycle) {
    const selcells::TSel sel = selcells::Selection();
    // a Western quarter note leaves its beam group, whose other notes change too
    Undo.SaveBlock(0, sel.r0, Cols - 1, sel.r1);
    float top = static_cast<float>(sel.r0);
    int right = sel.c1;
    selcells::ForEach(sel, [&](TCell& cell, int c, int r) {
        if (!cell.CompressNotes.empty()) {
            if (IsVerticalCell(cell))
                cell.UL = std::max(0, add ? AddWithWrap(cell.UL, value, cycle) : value);
            else
                ApplyKeyToNotes(cell, '_', cycle, add ? -100 : value);
            ExtendRangeForNotes(top, c, right, cell);
        } else if (IsWestNoteOrRest(cell, 1)) {
            const bool rest = IsWestRestCell(cell);
            const int base = rest ? 19 : 0;
            int code = add ? cell.Note - base + value : value + 3;
            code = std::clamp(code, 3, 8);
            if (code == 3) {
                int first = c, last = c;
                if (FindTailGroupRange(c, r, first, last))
                    for (int k = first; k <= last; ++k)
                        if (TCell* g = selcells::At(k, r))
                            g->option &= ~0x6u;
                cell.option &= ~0x6u;
            }
            cell.Note = base + code;
        } else {
            cell.UL = std::max(0, add ? AddWithWrap(cell.UL, value, cycle) : value);
        }
    });
    SetModified(true);
    RedrawCells(sel.c0, static_cast<int>(top), right, sel.r1);
}

void TMainView::NudgeSelection(float dx, float dy, bool fine) {
    if (OnEndTextEntry)
        OnEndTextEntry();
    const selcells::TSel sel = selcells::Selection();
    bool clef = false;
    selcells::ForEach(sel, [&](TCell& cell, int, int) { clef = clef || IsClefCell(cell); });
    if (clef && dy != 0.0f) {
        // a clef moved up or down takes the notes of its staff along, on both layers
        const bool both = Undo.BothLayers;
        Undo.BothLayers = true;
        Undo.SaveBlock(0, sel.r0, Cols - 1, sel.r1);
        Undo.BothLayers = both;
    } else {
        Undo.SaveUndo();
    }
    if (fine && dx != 0.0f && dy == 0.0f)
        dx *= 0.2f;
    float top = static_cast<float>(sel.r0);
    int right = sel.c1;
    for (int c = sel.c0; c <= sel.c1; ++c)
        for (int r = sel.r0; r <= sel.r1; ++r) {
            TCell* p = selcells::At(c, r);
            if (!p)
                continue;
            if (IsClefCell(*p) && dy != 0.0f) {
                ShiftRowCellsVert(c, r, static_cast<int>(2.0f * dy));
                continue;
            }
            if (IsWestNoteOrRest(*p, 1) || IsWestAccidentalAt(c, r)) {
                if (!timMoveWestNoteEnabled) {
                    timMoveWestNoteEnabled = true;
                    if (OnMoveWestNoteTimer)
                        OnMoveWestNoteTimer(true);
                }
            }
            if (!p->westChordArray.empty()) {
                GetKeyTargetNote(*p);
                if (dy != 0.0f)
                    MoveWestChordNote(c, r, dy);
                p = selcells::At(c, r);
                p->xAdj += dx;
            } else if (!p->CompressNotes.empty()) {
                MoveCellNotes(dx, dy, c, r);
                p = selcells::At(c, r);
                ExtendRangeForNotes(top, c, right, *p);
            } else {
                p->xAdj += dx;
                p->yAdj += dy;
            }
        }
    SetModified(true);
    if (IsBackgroundImageCell(SelCol0, SelRow0, CurLayer, CurPage))
        RedrawPage();
    else
        RedrawCells(sel.c0, static_cast<int>(top), right, sel.r1);
    if (sel.c0 == sel.c1 && sel.r0 == sel.r1 && OnShowNoteHintPanel)
        OnShowNoteHintPanel(sel.c0, sel.r0);
}

void TMainView::timMoveWestNoteTimer() {
    if (!timMoveWestNoteEnabled)
        return;
    timMoveWestNoteEnabled = false;
    if (OnMoveWestNoteTimer)
        OnMoveWestNoteTimer(false);
    RedrawSelection();
}

namespace {

// The note-name hint property on the selection, on both layers when edits apply to both.
void HintPropertyOnSelection(TMainView& v, int code) {
    const bool both = MainEd().ApplyToBothLayers();
    const selcells::TSel sel = selcells::Selection();
    SaveLayerBlock(sel.c0, sel.r0, sel.c1, sel.r1);
    AddWestNoteOrProp(code, false, kNoPosition, false);
    if (both) {
        const int saved = CurLayer;
        CurLayer = 1 - saved;
        SaveLayerBlock(sel.c0, sel.r0, sel.c1, sel.r1);
        AddWestNoteOrProp(code, false, kNoPosition, false);
        CurLayer = saved;
        Undo.SetUndoGroup(2);
    }
    v.SetModified(true);
    v.RedrawPage();
}

} // namespace

void TMainView::mitAddHintforSelectClick() { HintPropertyOnSelection(*this, 115); }

void TMainView::mitRemoveHintforSelectClick() { HintPropertyOnSelection(*this, 116); }

void TMainView::mitAddHintforAllClick(int senderTag) {
    const bool add = senderTag == 627;
    Undo.SaveScoreSnapshot(true);
    const bool both = MainEd().ApplyToBothLayers();
    const int savedPage = CurPage;
    const int savedLayer = CurLayer;
    for (int layer = 0; layer < 2; ++layer) {
        if (layer != savedLayer && !both)
            continue;
        const int pages = static_cast<int>(PageSets[static_cast<size_t>(layer)].size());
        for (int page = 0; page < pages; ++page) {
            for (int row = 0; row < Rows; ++row) {
                if (!IsWestRow(row, 0, page))
                    continue;
                TCellRow* cells = selcells::Row(row, layer, page);
                if (!cells)
                    continue;
                for (TCell& cell : *cells) {
                    if (add && IsWestNoteCell(cell, 1))
                        cell.option |= 0x8000u;
                    else
                        cell.option &= ~0x8000u;
                }
            }
        }
    }
    CurPage = savedPage;
    CurLayer = savedLayer;
    SetModified(true);
    RedrawPage();
}
