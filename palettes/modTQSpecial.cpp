#include "palettes/modTQSpecial.h"
#include "palettes/modTQPaletteCells.h"

#include <algorithm>

#include "model/modTQCellAccess.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQUndo.h"
#include "edit/modTQCursorKeys.h"
#include "edit/modTQWestEntry.h"
#include "palettes/modTQPaletteHooks.h"
#include "render/modTQMainView.h"

TSymbolPosition& SymbolPosition() {
    static TSymbolPosition position = spBottom;
    return position;
}

namespace {

using palette_cells::Done;
using palette_cells::ForSelected;
using palette_cells::PageCell;

constexpr int kEmptySlot = 32;
constexpr uint32_t kSignSideBits = 0x800000 | 0x1000000;
constexpr uint32_t kShrinkStyle = 0xA0;

bool IsNoteLike(const TCell& c) {
    return (c.cellType == 0 && IsJianpuNoteCell(c) && c.Note != '0') || IsWestNoteCell(c) ||
           IsShrinkCell(c) || IsGraceCell(c);
}

bool NibbleHolds(uint32_t attr, uint32_t value) {
    return value <= 0xF ? (attr & 0xF) == value : (attr & 0xF0) == value;
}

void SetNibble(uint32_t& attr, uint32_t value) {
    if (value <= 0xF) attr = (attr & ~0xFu) | value;
    else attr = (attr & ~0xF0u) | value;
}

void ClearNibble(uint32_t& attr, uint32_t value) { attr &= value <= 0xF ? ~0xFu : ~0xF0u; }

// Toggles value on one word; returns true when it was cleared.
bool Toggle(uint32_t& attr, uint32_t value) {
    if (NibbleHolds(attr, value)) {
        ClearNibble(attr, value);
        return true;
    }
    SetNibble(attr, value);
    return false;
}

void ToggleAttrOnSelection(TMainScore* s, uint32_t value);

} // namespace

uint32_t ApplyNoteFlagSymbol(int code, uint32_t option) {
    switch (code) {
    case 9: return option ^ 0x20;
    case 26: return option ^ 0x400000;
    case 44: return option ^ 0x4000000;
    case 183: return option ^ 0x40000;
    case 34: {
        // Stroke count 0 -> 3 -> 2 -> 1 -> 0 in bits 0x400 and 0x800.
        const uint32_t n = (option >> 10) & 3;
        const uint32_t next = n == 0 ? 3 : n - 1;
        return (option & ~0xC00u) | (next << 10);
    }
    default: return option;
    }
}

void PlaceInSymbolSlot(TCell& cell, int code) {
    const TModifierKeys k = HeldModifiers();
    const TSymbolPosition p = SymbolPosition();
    TSymbolPosition target = spBottom;
    if (k.alt) target = spTop;
    else if (k.ctrl && p != spTop) target = spMiddle;
    else if (p == spTop) target = spTop;
    else if (p == spMiddle) target = spMiddle;
    int32_t* order[3];
    int32_t* overwrite;
    switch (target) {
    case spBottom:
        order[0] = &cell.Note, order[1] = &cell.FontColor, order[2] = &cell.upNote;
        overwrite = &cell.Note;
        break;
    case spMiddle:
        order[0] = &cell.FontColor, order[1] = &cell.upNote, order[2] = &cell.Note;
        overwrite = &cell.FontColor;
        break;
    default:
        order[0] = &cell.upNote, order[1] = &cell.Note, order[2] = &cell.FontColor;
        overwrite = &cell.upNote;
        break;
    }
    for (int32_t* slot : order)
        if (*slot == kEmptySlot) {
            *slot = code;
            return;
        }
    *overwrite = code;
}

void WriteSymbolToCell(int code, TCell& cell, bool westRow, bool single) {
    const int accid = SymbolToAccidKind(code);
    if (westRow && accid != 0) {
        ResetCell(cell);
        cell.cellType = ctWestern;
        cell.Note = code;
        cell.yAdj = 0.0f;
        return;
    }
    const bool note = (cell.cellType == 0 && IsJianpuSound(cell)) || IsWestNoteCell(cell);
    if (note) {
        if (!cell.CompressNotes.empty() && (cell.Attr & 0xF0) == kShrinkStyle) {
            const int k = ChosenNote(cell);
            for (int i = 0; i < int(cell.CompressNotes.size()); ++i) {
                TCompressNote& n = cell.CompressNotes[std::size_t(i)];
                if ((k == 0 || k - 1 == i) && n.code != ' ' && n.code != '0')
                    n.option = ApplyNoteFlagSymbol(code, n.option);
            }
            return;
        }
        // The Western stem strokes run once at the cursor (InsertSpecialSymbol).
        if (code == 34 && IsWestNoteCell(cell)) return;
        cell.option = ApplyNoteFlagSymbol(code, cell.option);
        if (code == 183 && !(cell.option & 0x40000)) cell.breakPoint = 0;
        if (cell.cellType == 0) cell.option &= ~0x10u;
        return;
    }
    const bool ornament = cell.cellType == ctTextSymbol ? false
                          : IsOrnamentCode(cell.Note) || IsOrnamentCode(cell.FontColor) ||
                                IsOrnamentCode(cell.upNote);
    if (single && accid != 0 && ornament) {
        cell.breakPoint = HeldModifiers().shift ? 1 : 0;
        cell.Attr = cell.Attr == uint32_t(accid) ? 0 : uint32_t(accid);
        return;
    }
    cell.cellType = ctSymbol;
    cell.Text.clear();
    if (code >= 10000 && code < 10030) cell.Note = code;
    else if (code == 146) {
        // The play window's sound effect; set by the play window's hook.
        if (PaletteHooks().SelectedSoundEffect) cell.upNote = PaletteHooks().SelectedSoundEffect();
    } else
        PlaceInSymbolSlot(cell, code);
}

void InsertSpecialSymbol(int code) {
    TMainScore* s = frmMainTQ;
    if (!s) return;
    TCell* cursor = PageCell(*s, s->SelCol0, s->SelRow0);
    // Stem strokes on a Western note are the Western note command's, with its
    // own undo item and redraw.
    if (code == 34 && cursor && IsWestNoteCell(*cursor)) {
        AddWestNoteOrProp(108, true, kNoPosition, true);
        return;
    }
    Undo.SaveUndo();
    const bool single = s->SelCol0 == s->SelCol1 && s->SelRow0 == s->SelRow1;
    const int accid = SymbolToAccidKind(code);
    if (accid != 0 && single && cursor && IsNoteLike(*cursor)) {
        ToggleAttrOnSelection(s, uint32_t(accid));
    } else {
        const bool westRow = IsWestRow(s->SelRow0, 0, -1);
        ForSelected(*s, [&](TCell& c) { WriteSymbolToCell(code, c, westRow, single); });
    }
    // An Alt or Ctrl held for this symbol is not held for the next key.
    AltDown = false;
    CtrlDown = false;
    Done(*s);
}

namespace {

void ToggleAttrOnSelection(TMainScore* s, uint32_t value) {
    const bool accidental = value <= 0xF;
    ForSelected(*s, [&](TCell& c) {
        const int k = ChosenNote(c);
        if (!c.CompressNotes.empty()) {
            const int count = int(c.CompressNotes.size());
            for (int i = 0; i < count; ++i) {
                if (k != 0 && k - 1 != i) continue;
                TCompressNote& n = c.CompressNotes[std::size_t(i)];
                if (NibbleHolds(n.attr, value)) {
                    ClearNibble(n.attr, value);
                    if (k != 0 && accidental) n.option &= ~kSignSideBits;
                } else if (n.code != ' ' && n.code != '0') {
                    SetNibble(n.attr, value);
                }
            }
            return;
        }
        if (!c.westChordArray.empty()) {
            const int count = int(c.westChordArray.size());
            if (k >= 2 && k <= count + 1) {
                TWestChord& w = c.westChordArray[std::size_t(k - 2)];
                Toggle(w.attr, value);
                w.option &= ~kSignSideBits;
                return;
            }
            if (k > count + 1) return;
            Toggle(c.Attr, value);
            c.option &= ~kSignSideBits;
            if (k == 0)
                for (TWestChord& w : c.westChordArray) {
                    Toggle(w.attr, value);
                    w.option &= ~kSignSideBits;
                }
            return;
        }
        Toggle(c.Attr, value);
        c.option &= ~kSignSideBits;
    });
}

} // namespace

void ToggleNoteAttr(uint32_t value) {
    TMainScore* s = frmMainTQ;
    if (!s) return;
    Undo.SaveUndo();
    ToggleAttrOnSelection(s, value);
    Done(*s);
}

void SetOctaveDots(int dots) {
    TMainScore* s = frmMainTQ;
    if (!s) return;
    Undo.SaveUndo();
    const bool westRow = IsWestRow(s->SelRow0, 0, -1);
    const TModifierKeys k = HeldModifiers();
    bool shifted = false;
    ForSelected(*s, [&](TCell& c) {
        if (westRow && IsWestNoteCell(c)) {
            // The main window's note shift moves the whole selection once.
            if (!shifted) {
                int steps = 7 * dots;
                if (dots == 0) steps = c.yAdj > 7.0f ? 7 : c.yAdj < -7.0f ? -7 : 0;
                if (steps != 0) {
                    // the shift saves its own undo item: one Undo takes both back
                    const std::size_t items = Undo.UndoList.size();
                    ShiftSelectedNotes(steps);
                    if (Undo.UndoList.size() > items) Undo.IncUndoGroup();
                }
            }
            shifted = true;
            return;
        }
        if (c.CompressNotes.empty()) {
            if (k.alt || k.ctrl) {
                c.option = uint32_t(dots);
                return;
            }
            c.dot = dots;
            if (c.cellType == 0 && IsJianpuNoteDigit(c.Note) && IsJianpuNoteDigit(c.upNote) &&
                c.shrinkRate == 0)
                c.option = uint32_t(c.upNote > c.Note ? c.dot : c.dot + 1);
            return;
        }
        // The main window's key ',' with the value: the chosen small note, or
        // every one when none is chosen.
        const int n = ChosenNote(c);
        for (int i = 0; i < int(c.CompressNotes.size()); ++i)
            if (n <= 0 || n - 1 == i) c.CompressNotes[std::size_t(i)].octave = dots;
    });
    Done(*s);
}

void DeleteSymbolSlot(int slot) {
    TMainScore* s = frmMainTQ;
    if (!s) return;
    Undo.SaveUndo();
    ForSelected(*s, [slot](TCell& c) {
        int32_t& field = slot < 0 ? c.Note : slot == 0 ? c.FontColor : c.upNote;
        field = kEmptySlot;
        if (c.Note == kEmptySlot && c.upNote == kEmptySlot) c.cellType = 0;
    });
    Done(*s);
}

void MoveAccidentalSide() {
    TMainScore* s = frmMainTQ;
    if (!s) return;
    TCell* cell = PageCell(*s, s->SelCol0, s->SelRow0);
    if (!cell) return;
    Undo.SaveUndo();
    const int k = ChosenNote(*cell);
    if (k >= 1 && k <= int(cell->CompressNotes.size())) {
        TCompressNote& n = cell->CompressNotes[std::size_t(k - 1)];
        n.option = StepSignPosition(n.option, -1);
    } else {
        cell->option = StepSignPosition(cell->option, -1);
    }
    Done(*s);
}
