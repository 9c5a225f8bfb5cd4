// Jianpu to Western: the commands (all pages, selected rows), the governing key,
// the page driver and its helpers (sound count, accidental symbols, key texts
// repeated over the staves of a system, cells held aside).
#include <algorithm>
#include <string>

#include "convert/modTQConvertJ2W.h"
#include "convert/modTQW2JWindow.h"
#include "edit/modTQEditContext.h"
#include "lang/modTQLanguage.h"
#include "model/modTQCellAccess.h"
#include "model/modTQGroup.h"
#include "model/modTQKeys.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "model/modTQUndo.h"
#include "render/modTQMainView.h"

namespace {

TCell* Layer0Cell(int col, int row) {
    TCellRow* cells = CvtGridRow(0, row);
    if (!cells || col < 0 || col >= static_cast<int>(cells->size()))
        return nullptr;
    return &(*cells)[static_cast<size_t>(col)];
}

struct TSavedSelection {
    int c0, r0, c1, r1;
    explicit TSavedSelection(const TMainView& v)
        : c0(v.SelCol0), r0(v.SelRow0), c1(v.SelCol1), r1(v.SelRow1) {}
    void Restore(TMainView& v) const {
        v.SelCol0 = c0;
        v.SelRow0 = r0;
        v.SelCol1 = c1;
        v.SelRow1 = r1;
    }
};

// String 1058 for a note in a first column; 1033 + count + 1037 for the
// highlighted cells.
void ReportJ2W(const TMainView& view, bool noteInFirstColumn) {
    if (!Language)
        return;
    if (noteInFirstColumn)
        Language->MessageOk(1058, "", mkWarning);
    if (!view.Highlights.empty())
        Language->MessageOk(1033, std::to_string(view.Highlights.size()) + Language->GetString(1037),
                            mkWarning);
}

} // namespace

namespace {

// A row of lyrics under a Jianpu staff: text cells only, one of them at least
// in a column where the staff has a sound.
bool IsLyricRowUnder(const TCellRow* row, const TCellRow& staff, int cols) {
    if (!row)
        return false;
    bool underSound = false;
    const int n = std::min({cols, static_cast<int>(row->size()), static_cast<int>(staff.size())});
    for (int c = 0; c < n; ++c) {
        const TCell& cell = (*row)[static_cast<size_t>(c)];
        if (IsEmptyCell(cell))
            continue;
        if (cell.cellType != ctText || IsJianpuKeyTextCell(cell))
            return false;
        underSound = underSound || IsJianpuSound(staff[static_cast<size_t>(c)]);
    }
    return underSound;
}

} // namespace

bool TConvertJ2W::MakeRoomForHeader(int h, int r0) {
    TMainView* view = MainView();
    std::vector<int> staves;
    for (const TGroupData& g : GroupRows)
        staves.push_back(g.row);
    if (staves.empty())
        staves.push_back(r0);
    const int firstRow = staves.front();
    const int lastRow = staves.back();
    const bool twin = view->HasJianpuPage();
    const int cols = view->Cols;

    // The first music of the system's staves (a note, rest, dash or time
    // signature) and any staff-mark column, which places headers by itself.
    int first = cols;
    for (int staff : staves) {
        const TCellRow* cells = CvtGridRow(0, staff);
        if (!cells)
            continue;
        for (int c = 0; c < std::min(cols, static_cast<int>(cells->size())); ++c) {
            const TCell& cell = (*cells)[static_cast<size_t>(c)];
            if (cell.cellType == ctJianpu && cell.Note == 'N')
                return true;
            if (IsJianpuSound(cell) || (cell.cellType == ctJianpu && cell.Note == kJianpuDash) ||
                IsTimeSignatureCell(cell)) {
                first = std::min(first, c);
                break;
            }
        }
    }
    if (first >= cols)
        return true;

    // A time signature over the start of the first staff goes onto the staves,
    // right after the key signature.
    TCell* timeAbove = nullptr;
    for (int above = firstRow - 1; above >= std::max(firstRow - 3, 0) && !timeAbove; --above) {
        if (IsMusicRow(above))
            break;
        TCellRow* cells = CvtGridRow(0, above);
        if (!cells)
            break;
        for (int c = 0; c <= std::min(first + 2, static_cast<int>(cells->size()) - 1); ++c)
            if (IsTimeSignatureCell((*cells)[static_cast<size_t>(c)])) {
                timeAbove = &(*cells)[static_cast<size_t>(c)];
                break;
            }
    }
    // Clef and key signature: three columns, four for a signature of four or
    // more sharps or flats.
    static constexpr int kSignatureSize[15] = {0, 1, 2, 3, 4, 5, 1, 2, 3, 4, 5, 6, 7, 6, 7};
    const int key = FixedKey >= 0 ? FixedKey : view->CurKey;
    const int headerWidth = key >= 0 && key < 15 && kSignatureSize[key] >= 4 ? 4 : 3;
    const int timeCol = h + headerWidth;
    const int need = timeCol + (timeAbove ? 1 : 0);
    const int shift = need - first;

    // Every row of the system (and the layer-1 twin of each) moves alike, and
    // so do the nearer half of the text rows below it (its lyrics), as when a
    // note is moved away from the header. The rows above keep their place:
    // they hold the key text that the conversion reads there.
    int below = 0;
    while (below < 4 && lastRow + below + 1 < view->Rows && !IsMusicRow(lastRow + below + 1))
        ++below;
    int lastMoved = lastRow + (lastRow >= view->Rows - 2 ? std::min(2, below) : below / 2);
    // Lyrics stand under their notes: text rows right under the system whose
    // texts stand under its last staff's sounds go with it, however few rows
    // part it from the next system.
    if (const TCellRow* staff = CvtGridRow(0, lastRow))
        while (lastMoved < lastRow + below && IsLyricRowUnder(CvtGridRow(0, lastMoved + 1), *staff, cols))
            ++lastMoved;
    std::vector<TCellRow*> rows;
    for (int r = firstRow; r <= lastMoved; ++r) {
        if (TCellRow* cells = CvtGridRow(0, r))
            rows.push_back(cells);
        if (twin && r >= 1)
            if (TCellRow* cells = CvtGridRow(1, r - 1))
                rows.push_back(cells);
    }
    const int from = first <= h ? first : h + 1;
    if (shift > 0) {
        for (const TCellRow* cells : rows) {
            const int last = CvtLastFilledColumn(*cells, cols);
            if (last >= from && last + shift > CvtLastFreeColumn(*cells, cols))
                return false;
        }
        for (TCellRow* cells : rows) {
            const int last = CvtLastFilledColumn(*cells, cols);
            CvtShiftCells(*cells, from, last, shift);
        }
        // A key change written over a note inside the row stays over that
        // note (the key text over the row's start stays where it is).
        for (int staff : staves)
            for (int above = staff - 1; above >= std::max(staff - 3, 0); --above) {
                if (above >= firstRow && above <= lastMoved)
                    continue; // moved with the system
                TCellRow* cells = CvtGridRow(0, above);
                if (!cells)
                    continue;
                const int n = std::min(cols, static_cast<int>(cells->size()));
                for (int c = n - 1 - shift; c >= std::max(from, 4); --c) {
                    TCell& text = (*cells)[static_cast<size_t>(c)];
                    TCell& to = (*cells)[static_cast<size_t>(c + shift)];
                    if (!IsJianpuKeyTextCell(text) || !IsEmptyCell(to))
                        continue;
                    to = text;
                    ResetCell(text);
                }
            }
    }
    if (timeAbove) {
        const TCell time = *timeAbove;
        bool placed = false;
        for (int staff : staves) {
            TCellRow* cells = CvtGridRow(0, staff);
            if (!cells || timeCol >= static_cast<int>(cells->size()))
                continue;
            TCell& at = (*cells)[static_cast<size_t>(timeCol)];
            if (!IsEmptyCell(at))
                continue;
            at = time;
            placed = true;
        }
        if (placed)
            ResetCell(*timeAbove);
    }
    return true;
}

void TConvertJ2W::HoldCell(int col, int row) {
    const TCell* cell = Layer0Cell(col, row);
    if (!cell || IsJianpuKeyTextCell(*cell))
        return;
    HeldCells.push_back(TCellHold{col, row, *cell});
}

bool TConvertJ2W::AskKey() {
    return J2WServices.ChooseClefStaff && J2WServices.ChooseClefStaff();
}

bool TConvertJ2W::FindInitialKeyText(int& key) {
    TMainView* view = MainView();
    auto tryRow = [&](const TCellRow& cells) {
        int keyIndex = -1, code = -1, col = -1;
        FindJianpuKeyInRow(cells, keyIndex, code, col);
        if (keyIndex < 0 || col < 0)
            return false;
        key = keyIndex;
        FixedKey = code;
        KeyTextCell = cells[static_cast<size_t>(col)];
        return true;
    };
    const TLayer& pages = view->PageSets[0];
    if (pages.empty())
        return false;
    const int firstRow = std::max(view->SelRow0 - 1, 0);
    if ((view->CurPage == 0 || !SelectedOnly) && firstRow < 2) {
        for (const TCellRow& cells : pages[0])
            if (tryRow(cells))
                return true;
        return false;
    }
    for (int p = std::min(view->CurPage, static_cast<int>(pages.size()) - 1); p >= 0; --p) {
        const TPage& page = pages[static_cast<size_t>(p)];
        const int start = p == view->CurPage ? firstRow : static_cast<int>(page.size()) - 1;
        for (int r = std::min(start, static_cast<int>(page.size()) - 1); r >= 0; --r)
            if (tryRow(page[static_cast<size_t>(r)]))
                return true;
    }
    return false;
}

int TConvertJ2W::CountJianpuSounds(int row, int& first, int limit) const {
    first = -1;
    const TCellRow* cells = CvtGridRow(CurLayer, row);
    if (!cells)
        return 0;
    int count = 0;
    for (int c = 0; c < static_cast<int>(cells->size()) && count < limit; ++c) {
        const TCell& cell = (*cells)[static_cast<size_t>(c)];
        if (cell.markType == 87)
            return 4;
        if (cell.cellType == 0 && cell.Note == kJianpuDash) {
            ++count;
        } else if (IsJianpuSound(cell) || IsTimeSignatureCell(cell)) {
            if (first < 0)
                first = c;
            ++count;
        }
    }
    return count;
}

void TConvertJ2W::AttachAccidentalSymbols(int row) {
    TMainView* view = MainView();
    TCellRow* cells = CvtGridRow(CurLayer, row);
    if (!cells)
        return;
    for (int c = 0; c < static_cast<int>(cells->size()); ++c) {
        TCell& note = (*cells)[static_cast<size_t>(c)];
        if (!IsJianpuNoteCell(note))
            continue;
        int accCol = -1, accRow = -1, slot = -1;
        const int accid = FindNearAccid(c, row, accCol, accRow, slot);
        if (accid == kNoAlteration)
            continue;
        if (!note.CompressNotes.empty()) {
            view->AddHighlight(std::max(c - 1, 0), c, row, -1);
            continue;
        }
        if (accid != 1 && accid != -1 && accid != 0) {
            view->AddHighlight(accCol, accCol, accRow, -1);
            continue;
        }
        ClearAttrNibble(note.Attr, 0xF);
        SetAttrNibble(note.Attr, accid == 1 ? 1u : accid == -1 ? 2u : 3u);
        TCellRow* symRow = CvtGridRow(CurLayer, accRow);
        if (!symRow || accCol < 0 || accCol >= static_cast<int>(symRow->size()))
            continue;
        TCell& sym = (*symRow)[static_cast<size_t>(accCol)];
        if (slot == 0)
            sym.Note = ' ';
        else if (slot == 1)
            sym.FontColor = ' ';
        else if (slot == 2)
            sym.upNote = ' ';
    }
}

bool TConvertJ2W::FindKeyTextAbove(int r, int& col, int& textRow) const {
    const TMainView* view = MainView();
    for (int c = std::max(col, 0); c < view->Cols; ++c) {
        for (int above = 1; above <= 2; ++above) {
            if (above == 2 && r == 1)
                break;
            const TCell* cell = Layer0Cell(c, r - above);
            if (cell && IsJianpuKeyTextCell(*cell)) {
                col = c;
                textRow = r - above;
                return true;
            }
        }
    }
    return false;
}

void TConvertJ2W::RepeatKeyTextOnStaves(int r) {
    if (r < 1 || GroupRows.size() < 2)
        return;
    int col = 0, textRow = -1;
    if (!FindKeyTextAbove(r, col, textRow))
        return;
    int first = 0;
    if (!FindNextJianpuNote(first, r))
        return;
    if (first < col - 1) {
        // The text moves over the first sound; the cell it lands on is held.
        KeyTextCell = *Layer0Cell(col, textRow);
        HoldCell(first, r - 1);
        if (TCell* cell = Layer0Cell(first, r - 1))
            *cell = KeyTextCell;
    }
    const std::vector<TGroupData> group = GroupRows;
    col = 0;
    while (FindKeyTextAbove(r, col, textRow)) {
        KeyTextCell = *Layer0Cell(col, textRow);
        for (size_t i = 1; i < group.size(); ++i) {
            const int above = group[i].row - 1;
            if (above < 0)
                continue;
            HoldCell(col, above);
            if (TCell* cell = Layer0Cell(col, above))
                *cell = KeyTextCell;
        }
        ++col;
    }
}

void TConvertJ2W::ConvertJ2WPage(int mode, bool silent) {
    TMainView* view = MainView();
    GroupRows.clear();
    const int savedLayer = CurLayer;
    CurLayer = 0;
    GroupKey = -10000;
    int h = 0;
    int refusedUntil = -1;
    RefusedRows.clear();
    const bool twin = view->HasJianpuPage();
    for (int r = std::max(view->SelRow0, 0); r <= view->SelRow1 && r < view->Rows; ++r) {
        int first = -1;
        if (r <= refusedUntil) {
            // A system that has no room for its staff header stays as it is.
        } else if (CountJianpuSounds(r, first, 4) >= 4) {
            if (GroupRows.empty() || GroupRows.back().row < r) {
                GetRowGroup(r, -1);
                h = GroupRows.size() > 1 ? GroupRows.front().clefColumn : 0;
                int partner = -1;
                const bool paired = GetGrandStaffPartner(r, partner);
                const bool skipped = (mode == 1 && paired) || (mode == 2 && !paired);
                // The staff header (clef, key and time signature) needs the
                // first columns: the system's cells move right to make room, or
                // the system is not converted at all. A silent command (the
                // staff transposition's round trip, which puts the original
                // layout back itself) keeps every cell in its column.
                if (!skipped && !silent && !MakeRoomForHeader(h, r)) {
                    refusedUntil = GroupRows.empty() ? r : std::max(r, GroupRows.back().row);
                    for (int k = r; k <= refusedUntil; ++k) {
                        view->AddHighlight(0, std::max(h, 0), k, -1);
                        RefusedRows.push_back(k);
                    }
                    NoteInFirstColumn = 1;
                    continue;
                }
                if (!silent)
                    MoveRowEndBar(r);
            }
            AttachAccidentalSymbols(r);
            int partner = -1;
            const bool paired = GetGrandStaffPartner(r, partner);
            if (mode == 1 && paired) {
                r = std::max(r, partner);
                continue;
            }
            if (mode == 2 && !paired)
                continue;
            CompleteJianpuAccidentals(r);
            SourceRows[0] = *CvtGridRow(0, r);
            const TCellRow* twinRow = twin && r >= 1 ? CvtGridRow(1, r - 1) : nullptr;
            SourceRows[1] = twinRow ? *twinRow : SourceRows[0];
            const bool groupFirst = !GroupRows.empty() && GroupRows.front().row == r;
            if (GroupRows.size() > 1 && groupFirst && r >= 1)
                RepeatKeyTextOnStaves(r);
            if (groupFirst || GroupRows.empty())
                GroupKey = view->CurKey;
            else if (GroupKey != -10000)
                view->CurKey = GroupKey;
            ConvertJ2WRow(h, r);
            if (twinRow && GroupKey != -10000) {
                view->CurKey = GroupKey;
                CurLayer = 1;
                ConvertJ2WRow(h, r);
                CurLayer = 0;
            }
            FinishWesternRow(*CvtGridRow(0, r), r, h);
            if (twinRow) {
                CurLayer = 1;
                AttachAccidentalSymbols(r);
                FinishWesternRow(*CvtGridRow(1, r), r, h);
                CurLayer = 0;
            }
            if (FixedKey >= 0)
                AddFixedKeyNaturals(r);
            SimplifyRowAccidentals(r);
        }
        if (TCellRow* cells = CvtGridRow(CurLayer, r))
            if (h >= 0 && h < static_cast<int>(cells->size()) &&
                (*cells)[static_cast<size_t>(h)].Note == kRowEndCode && !GroupRows.empty())
                (*cells)[static_cast<size_t>(h)].xAdj = -2.5f;
    }
    SetPairBassClef();
    CurLayer = savedLayer;
}

void TConvertJ2W::ConvertJ2WAllPages(int mode, bool silent) {
    TMainView* view = MainView();
    if (!view)
        return;
    TW2JHourglass hourglass;
    view->CurClef = -1;
    SelectedOnly = 0;
    Silent = silent ? 1 : 0;
    if (view->PageSets[0].empty() || !HasJianpuRowInRange(0, view->Rows - 1, 0)) {
        ConvertBeep();
        return;
    }
    const TSavedSelection selection(*view);
    view->SelCol0 = 0;
    view->SelCol1 = view->Cols - 1;
    view->SelRow0 = 0;
    view->SelRow1 = view->Rows - 1;
    int key = 0;
    if (FindInitialKeyText(key)) {
        view->CurKey = key;
    } else if (!AskKey()) {
        selection.Restore(*view);
        return;
    }
    NoteInFirstColumn = 0;
    const int savedPage = view->CurPage;
    ConvertToLayer0();
    // Without its undo snapshot a conversion could not be taken back: none is made.
    if (!silent) {
        if (Undo.SaveScoreSnapshot(true).empty()) {
            selection.Restore(*view);
            return;
        }
        view->Highlights.clear();
    }
    for (int p = 0; p < static_cast<int>(view->PageSets[0].size()); ++p) {
        view->CurPage = p;
        view->SelCol0 = 0;
        view->SelCol1 = view->Cols - 1;
        view->SelRow0 = 0;
        view->SelRow1 = view->Rows - 1;
        HeldCells.clear();
        ConvertJ2WPage(mode, silent);
        FinishJ2WPage(false, 0, view->Rows);
    }
    view->SetModified(true);
    selection.Restore(*view);
    view->CurPage = savedPage;
    if (silent)
        return;
    view->RedrawPage();
    ReportJ2W(*view, NoteInFirstColumn != 0);
}

void TConvertJ2W::ConvertJ2WSelected(bool silent) {
    TMainView* view = MainView();
    if (!view)
        return;
    NoteInFirstColumn = 0;
    view->CurClef = -1;
    const TSavedSelection selection(*view);
    SelectedOnly = 1;
    Silent = silent ? 1 : 0;
    if (!HasJianpuRowInRange(view->SelRow0, view->SelRow1, view->CurPage)) {
        ConvertBeep();
        return;
    }
    int key = 0;
    if (FindInitialKeyText(key))
        view->CurKey = key;
    else if (!AskKey())
        return;
    ConvertToLayer0();
    TW2JHourglass hourglass;
    view->SelCol0 = 0;
    view->SelCol1 = view->Cols - 1;
    const int r0 = view->SelRow0, r1 = view->SelRow1;
    if (!silent) {
        // The conversion reaches beyond the selected rows (the key text rows
        // above, the other staves of a system, the rows that move with a
        // widened staff): the undo step holds the whole page, so that one Undo
        // takes the command back.
        SaveLayerBlock(0, 0, view->Cols - 1, view->Rows - 1);
        if (view->HasJianpuPage()) {
            CurLayer = 1;
            SaveLayerBlock(0, 0, view->Cols - 1, view->Rows - 1);
            CurLayer = 0;
            Undo.SetUndoGroup(2);
        }
    }
    view->Highlights.clear();
    HeldCells.clear();
    ConvertJ2WPage(3, silent);
    FinishJ2WPage(true, r0, r1);
    view->SetModified(true);
    selection.Restore(*view);
    if (!silent) {
        Undo.SetGroupSelection(selection.c0, selection.r0, selection.c1, selection.r1);
        view->RedrawSelection();
    }
    ReportJ2W(*view, NoteInFirstColumn != 0);
}
