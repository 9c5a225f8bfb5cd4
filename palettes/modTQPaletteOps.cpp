#include "palettes/modTQPaletteOps.h"
#include "palettes/modTQPaletteCells.h"

#include <algorithm>
#include <cstdlib>

#include "model/modTQCellAccess.h"
#include "model/modTQMainScore.h"
#include "model/modTQUndo.h"
#include "edit/modTQCursorKeys.h"
#include "palettes/modTQPaletteHooks.h"
#include "render/modTQMainView.h"

TPaletteHooks& PaletteHooks() {
    static TPaletteHooks hooks;
    return hooks;
}

TModifierKeys HeldModifiers() {
    if (PaletteHooks().HeldModifiers) return PaletteHooks().HeldModifiers();
    return {ShiftDown, AltDown, CtrlDown};
}

int ChosenNote(const TCell& cell) {
    if (PaletteHooks().ChosenNote) return PaletteHooks().ChosenNote();
    const TMainView* v = MainView();
    return v ? std::max(0, v->GetKeyTargetNote(cell)) : 0;
}

int ChosenChordIndex() {
    if (PaletteHooks().ChosenNote) return PaletteHooks().ChosenNote();
    return ChordNoteIndex;
}

void ShiftSelectedNotes(int steps) {
    if (PaletteHooks().ShiftSelectedNotes) PaletteHooks().ShiftSelectedNotes(steps);
    else if (TMainView* v = MainView()) v->ShiftNotes(steps);
}

namespace {

using palette_cells::PageCell;

// Saves the undo item, makes sure the current layer has the current page, and
// runs f on every second column of the selection, every selected row.
template <class F>
void ForEverySecondColumn(TMainScore& s, F f) {
    Undo.SaveUndo();
    if (CurLayer >= 0 && CurLayer <= 1 && int(s.PageSets[std::size_t(CurLayer)].size()) <= s.CurPage)
        s.AllocateCurrentLayerPage(s.CurPage, true, 0, 0);
    const int c0 = std::min(s.SelCol0, s.SelCol1), c1 = std::max(s.SelCol0, s.SelCol1);
    const int r0 = std::min(s.SelRow0, s.SelRow1), r1 = std::max(s.SelRow0, s.SelRow1);
    for (int col = c0; col <= c1; col += 2)
        for (int row = r0; row <= r1; ++row)
            if (TCell* cell = PageCell(s, col, row)) f(*cell);
}

void Finish(TMainScore& s) {
    s.SetModified(true);
    if (TMainView* v = MainView()) v->RedrawSelection();
}

template <class F>
void WriteGongche(F f) {
    TMainScore* s = frmMainTQ;
    TMainView* v = MainView();
    if (!s || !v || !v->GongChiMode) return;
    ForEverySecondColumn(*s, f);
    // One character (the cursor: one cell, or its two columns) moves the cursor
    // on, as a typed Jianpu digit does.
    if (std::abs(s->SelCol1 - s->SelCol0) <= 1 && s->SelRow0 == s->SelRow1 && PaletteHooks().AdvanceCursor)
        PaletteHooks().AdvanceCursor();
    Finish(*s);
}

} // namespace

void InsertGongcheSymbol(int t) {
    WriteGongche([t](TCell& c) {
        ResetCell(c);
        c.cellType = 10;
        c.option = 0;
        c.yAdj = 0.0f;
        if (t >= 1) {
            c.Note = '0' + ((t - 1) % 7 + 1);
            c.dot = (t - 1) / 7 - 2;
        } else if (t < 0) {
            c.Note = -t;
        }
    });
}

void ToggleGongcheMark(int mark) {
    WriteGongche([mark](TCell& c) { c.Attr = c.Attr != uint32_t(mark) ? uint32_t(mark) : 0u; });
}

void EnterGongcheChar(int ch) {
    WriteGongche([ch](TCell& c) {
        c.cellType = 10;
        c.Note = ch;
        c.option = 0;
        c.yAdj = 0.0f;
    });
}

int TextSymbolCharset(int id) { return id >= 50 && id <= 79 ? 134 : 1; }

void InsertTextSymbol(int id) {
    TMainScore* s = frmMainTQ;
    if (!s) return;
    ForEverySecondColumn(*s, [id](TCell& c) {
        ResetCell(c);
        c.cellType = 11;
        c.FontCharset = TextSymbolCharset(id);
        c.option = 0;
        c.yAdj = 0.0f;
        c.Note = id;
    });
    Finish(*s);
}

void SetTextSymSize(int size) {
    TMainScore* s = frmMainTQ;
    if (!s) return;
    size = std::clamp(size, 4, 20);
    Undo.SaveSymbolSize();
    s->TextSymSize = size;
    s->SetModified(true);
    if (TMainView* v = MainView()) v->RedrawPage();
}
