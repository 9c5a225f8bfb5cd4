#include "palettes/modTQDynMark.h"
#include "palettes/modTQPaletteCells.h"

#include <algorithm>
#include <charconv>

#include "model/modTQCellAccess.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQUndo.h"
#include "palettes/modTQPaletteHooks.h"
#include "render/modTQMainView.h"

namespace {

using palette_cells::Done;
using palette_cells::ForSelected;
using palette_cells::PageCell;

constexpr uint32_t kFlippedSide = 0x80000;

int Multiplied(int step, bool multiply) { return multiply ? step * 5 : step; }

// Works on the selected cells that carry a mark.
template <class F>
void AdjustMarks(F f) {
    TMainScore* s = frmMainTQ;
    if (!s) return;
    Undo.SaveUndo();
    ForSelected(*s, [&](TCell& c) {
        if (c.markType != 0) f(c);
    });
    Done(*s);
}

bool IsJianpuSoundCell(const TCell& c) { return c.cellType == 0 && IsJianpuSound(c); }

} // namespace

void InsertMark(int kind, bool saveUndo) {
    TMainScore* s = frmMainTQ;
    if (!s) return;
    if (kind == 29 || kind == 30 || kind == 71 || kind == 93) CurLayer = 0;
    TCell* cell = PageCell(*s, s->SelCol0, s->SelRow0);
    if (!cell) return;
    if (saveUndo) Undo.SaveUndo();
    const int lastCol = std::max(s->SelCol0, s->SelCol1);
    const int lastRow = std::max(s->SelRow0, s->SelRow1);
    if (kind == 30) {
        cell->jEnd = lastRow;
    } else {
        if (kind == 29 || kind == 71) {
            const TCell* bottom = PageCell(*s, s->SelCol0, lastRow);
            if (IsClefCell(*cell) && bottom && IsClefCell(*bottom)) {
                cell->markType = kGrandStaffBrace;
                cell->jEnd = lastRow;
                Done(*s);
                return;
            }
        }
        cell->iEnd = lastCol;
        cell->jEnd = lastRow;
    }
    cell->markType = kind;
    if (IsJianpuSoundCell(*cell))
        cell->option &= ~kFlippedSide;
    else if (IsStemFlipped(*cell))
        cell->option |= kFlippedSide;
    else
        cell->option &= ~kFlippedSide;
    const bool jianpuRow = IsJianpuMusicRow(s->SelRow0);
    const bool below = kind == 74 || kind == 75 || kind == 78 || kind == 79 || kind == 80 ||
                       kind == 82 || kind == 83;
    const bool above = kind == 76 || kind == 77 || kind == 84 || kind == 85;
    if (jianpuRow && (below || above)) {
        cell->MarkY = below ? -25 : 25;
    } else {
        if ((kind == 4 || kind == 5 || kind == 6) && IsWestNoteOrRest(*cell)) cell->option |= kFlippedSide;
        if ((kind == 1 && IsGraceNoteCell(*cell)) || kind == 66) cell->option |= kFlippedSide;
    }
    Done(*s);
}

void DeleteMark() {
    TMainScore* s = frmMainTQ;
    if (!s) return;
    Undo.SaveUndo();
    ForSelected(*s, [](TCell& c) {
        c.markType = 0;
        if (c.Note >= 0) c.iEnd = -1;
        c.jEnd = -1;
        c.markHAdj = c.markWAdj = c.MarkY = c.EndYAdj = 0;
        c.AdvPlay[0] = c.AdvPlay[1] = c.AdvPlay[2] = 100;
    });
    s->SetModified(true);
    MainView()->RedrawPage();
}

void MoveMark(int step) {
    const TModifierKeys k = HeldModifiers();
    step = Multiplied(step, k.alt || k.shift || k.ctrl);
    AdjustMarks([step](TCell& c) {
        if (step == 0) c.MarkY = c.EndYAdj = 0;
        else c.MarkY += step;
    });
}

void MoveMarkEnd(int step) {
    const TModifierKeys k = HeldModifiers();
    step = Multiplied(step, k.alt || k.ctrl);
    AdjustMarks([step](TCell& c) {
        if (step == 0) c.MarkY = c.EndYAdj = 0;
        else c.EndYAdj += step;
    });
}

void ChangeMarkWidth(int step) {
    const TModifierKeys k = HeldModifiers();
    step = Multiplied(step, k.alt || k.shift || k.ctrl);
    AdjustMarks([step](TCell& c) {
        if (step == 0) c.markWAdj = c.markHAdj = 0;
        else c.markWAdj += step;
    });
}

void ChangeMarkHeight(int step) {
    const TModifierKeys k = HeldModifiers();
    step = Multiplied(step, k.alt || k.shift || k.ctrl);
    AdjustMarks([step](TCell& c) { c.markHAdj = std::clamp(c.markHAdj + step, -100, 100); });
}

void FlipMark(bool noUndo) {
    TMainScore* s = frmMainTQ;
    if (!s) return;
    if (!noUndo) Undo.SaveUndo();
    const int k = ChosenChordIndex() - 1;
    ForSelected(*s, [noUndo, k](TCell& c) {
        const int m = c.markType;
        if (IsWestNoteCell(c) && (m == 56 || m == 86) && !c.westChordArray.empty()) {
            // The slur or tuplet of the chosen chord note flips; without one
            // (k < 1) the main note's.
            if (k < 1) c.option ^= kFlippedSide;
            else if (k <= int(c.westChordArray.size())) c.westChordArray[std::size_t(k - 1)].option ^= kFlippedSide;
            return;
        }
        const bool flips = (m >= 1 && m <= 6) || (m >= 20 && m <= 23) || m == 26 || m == 27 || m >= 38;
        if (flips && !(noUndo && m == 66)) c.option ^= kFlippedSide;
    });
    if (!noUndo) Done(*s);
}

int ParseMeasureCount(const std::string& answer) {
    std::size_t b = 0, e = answer.size();
    while (b < e && answer[b] == ' ') ++b;
    while (e > b && answer[e - 1] == ' ') --e;
    int v = 0;
    const char* first = answer.data() + b;
    const char* last = answer.data() + e;
    auto r = std::from_chars(first, last, v);
    if (b == e || r.ec != std::errc() || r.ptr != last) return 0;
    return v >= 1 && v <= 999 ? v : 0;
}

bool InsertMultiMeasureRest(int count) {
    TMainScore* s = frmMainTQ;
    if (!s || count < 1 || count > 999) return false;
    TCell* cell = PageCell(*s, s->SelCol0, s->SelRow0);
    if (!cell) return false;
    Undo.SaveUndo();
    cell->markHAdj = count;
    InsertMark(87, false);
    return true;
}

bool MakeJianpuChord(TCell& cell, int size) {
    if (!IsJianpuSoundCell(cell)) return false;
    int d1, d2;
    const bool three = size == 3;
    switch (cell.Note) {
    case '1': d1 = three ? '5' : '3', d2 = three ? '1' : '5'; break;
    case '2': d1 = three ? '6' : '5', d2 = three ? '2' : '6'; break;
    case '3': d1 = three ? '6' : '5', d2 = three ? '3' : '1'; break;
    case '5': d1 = three ? '2' : '1', d2 = three ? '5' : '3'; break;
    case '6': d1 = three ? '3' : '1', d2 = three ? '6' : '3'; break;
    default: return false;
    }
    std::vector<int> codes{cell.Note, d1, d2};
    if (size >= 4) codes.push_back(cell.Note);
    if (size == 7) {
        codes.push_back(d1);
        codes.push_back(d2);
        codes.push_back(cell.Note);
    }
    std::vector<TCompressNote> notes;
    int prevCode = 0, prevOctave = 0;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        TCompressNote n;
        n.code = codes[i];
        n.octave = i == 0 ? cell.dot : (codes[i] > prevCode ? prevOctave : prevOctave + 1);
        prevCode = n.code;
        prevOctave = n.octave;
        notes.push_back(n);
    }
    cell.CompressNotes = std::move(notes);
    cell.shrinkRate = 0;
    cell.Note = 32;
    cell.Attr = 0xB0;
    return true;
}

void AddChords(int size, bool withArpeggio) {
    TMainScore* s = frmMainTQ;
    if (!s) return;
    Undo.SaveUndo();
    const int r0 = std::min(s->SelRow0, s->SelRow1);
    const int c0 = std::min(s->SelCol0, s->SelCol1);
    const int r1 = std::max(s->SelRow0, s->SelRow1), c1 = std::max(s->SelCol0, s->SelCol1);
    for (int c = c0; c <= c1; ++c)
        for (int r = r0; r <= r1; ++r) {
            TCell* cell = PageCell(*s, c, r);
            if (!cell || !MakeJianpuChord(*cell, size) || !withArpeggio) continue;
            cell->markType = 25;
            cell->jEnd = r;
            cell->MarkY = size == 3 ? -4 : size == 4 ? -7 : -15;
            cell->EndYAdj = size == 3 ? 1 : size == 4 ? 2 : 4;
        }
    Done(*s);
}
