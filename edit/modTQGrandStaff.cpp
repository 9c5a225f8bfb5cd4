// Grand-staff commands.
#include "edit/modTQGrandStaff.h"

#include <algorithm>
#include <vector>

#include "edit/modTQEd.h"
#include "edit/modTQWestEntry.h"
#include "model/modTQPredicates.h"
#include "model/modTQScan.h"
#include "model/modTQUndo.h"
#include "render/modTQMainView.h"

TGrandStaffHooks& GrandStaffHooks() {
    static TGrandStaffHooks hooks;
    return hooks;
}

namespace {

TCell* Layer0Cell(int col, int row, int page) {
    TMainScore* s = frmMainTQ;
    if (page < 0 || page >= int(s->PageSets[0].size()))
        return nullptr;
    TPage& p = s->PageSets[0][size_t(page)];
    if (row < 0 || row >= int(p.size()) || col < 0 || col >= int(p[size_t(row)].size()))
        return nullptr;
    return &p[size_t(row)][size_t(col)];
}

// Column of the first clef cell of the row (layer 0), -1 when none.
int HeaderCol(int row, int page) {
    for (int c = 0; c < frmMainTQ->Cols; ++c) {
        const TCell* cell = Layer0Cell(c, row, page);
        if (cell && IsClefCell(*cell))
            return c;
    }
    return -1;
}

bool HasTrebleClef(int row, int page) {
    for (int c = 0; c < frmMainTQ->Cols; ++c) {
        const TCell* cell = Layer0Cell(c, row, page);
        if (cell && IsClefCell(*cell) && cell->Note == -1)
            return true;
    }
    return false;
}

int LayerPages() { return int(frmMainTQ->PageSets[0].size()); }

// A line inserted at (page, row): the tracked end of the range moves with it.
void InsertTrackedLines(int page, int row, int n, int& lastPage, int& lastRow) {
    TMainScore* s = frmMainTQ;
    for (int i = 0; i < n; ++i)
        MainEd().InsertLine(page, row);
    if (page < lastPage || (page == lastPage && row <= lastRow)) {
        lastRow += n;
        while (lastRow >= s->Rows) {
            lastRow -= s->Rows;
            ++lastPage;
        }
    }
    lastPage = std::min(lastPage, LayerPages() - 1);
}

// Page-end pass on one page: a treble staff in the last four rows goes to the next page.
bool PageEndPass(int page, int& lastPage, int& lastRow) {
    const int rows = frmMainTQ->Rows;
    for (int r = rows - 1; r >= std::max(rows - 4, 0); --r) {
        if (!HasTrebleClef(r, page))
            continue;
        const int n = r - (rows - 4);
        if (n <= 0 || r - 3 < 0)
            return false;
        InsertTrackedLines(page, r - 3, n, lastPage, lastRow);
        return true;
    }
    return false;
}

// Page-start pass on one page after the first: a treble staff in row 0 moves down a line.
bool PageStartPass(int page, int& lastPage, int& lastRow) {
    if (page < 1 || !HasTrebleClef(0, page))
        return false;
    InsertTrackedLines(page - 1, frmMainTQ->Rows - 1, 1, lastPage, lastRow);
    return true;
}

// After the conversion: a staff at the top of a page gets a line of room above it.
void SpaceStaffsAtPageTops() {
    TMainScore* s = frmMainTQ;
    for (int p = 1; p < LayerPages(); ++p) {
        if (!HasTrebleClef(0, p))
            continue;
        int staffRow = -1;
        for (int r = s->Rows - 1; r >= 0 && staffRow < 0; --r)
            if (HeaderCol(r, p - 1) >= 0)
                staffRow = r;
        if (staffRow == s->Rows - 1 || staffRow < 0)
            MainEd().InsertLine(p, 0);
        else
            MainEd().InsertLine(p - 1, staffRow + 1);
    }
}

void SelectWholePage() {
    TMainScore* s = frmMainTQ;
    s->SelCol0 = 0;
    s->SelRow0 = 0;
    s->SelCol1 = s->Cols - 1;
    s->SelRow1 = s->Rows - 1;
}

// After the rows are converted: the play rule, the staffs' spacing at page
// tops and the page count follow; the selection is put back and the given
// page shown.
void FinishConversion(TMainView* view, int page, int c0, int r0, int c1, int r1) {
    if (GrandStaffHooks().AdjustPlayRule)
        GrandStaffHooks().AdjustPlayRule();
    SpaceStaffsAtPageTops();
    view->PageCount = LayerPages();
    view->SelCol0 = c0;
    view->SelRow0 = r0;
    view->SelCol1 = c1;
    view->SelRow1 = r1;
    view->CurPage = page;
    view->PageCaption();
    view->SetModified(true);
    view->RedrawPage();
}

} // namespace

void ConvertRowsToGrandStaff(int& count, int firstPage, int firstRow, int lastPage, int lastRow) {
    TMainView* view = MainView();
    if (count == 0)
        return;
    // The header entry saves layer-1 undo items of its own; the command's
    // snapshot covers them.
    const size_t undoItems = Undo.UndoList.size();
    for (int p = firstPage; p <= lastPage && p < LayerPages() && count != 0; ++p) {
        view->CurPage = p;
        const int r0 = p == firstPage ? firstRow : 0;
        const int r1 = p == lastPage ? lastRow : view->Rows - 1;
        for (int r = std::max(r0, 0); r <= r1 && r + 3 < view->Rows && count != 0; ++r) {
            const int c = HeaderCol(r, p);
            if (c < 0) {
                continue;
            }
            TCell* header = Layer0Cell(c, r, p);
            if (header->Note != -1)
                continue;
            const int end = std::clamp(header->iEnd, c, view->Cols - 1);
            view->SelCol0 = c;
            view->SelRow0 = r + 3;
            view->SelCol1 = end;
            view->SelRow1 = r + 3;
            view->CurKey = int(header->Attr);
            const int layer = CurLayer;
            CurLayer = 0;
            AddWestNoteOrProp(-1, false, kNoPosition, true);
            CurLayer = layer;
            if (TCell* bass = Layer0Cell(c, r + 3, p))
                bass->Note = -2;
            header = Layer0Cell(c, r, p);
            header->markType = kGrandStaffBrace;
            header->jEnd = r + 3;
            header->dot = 0;
            if (count > 0)
                --count;
        }
    }
    if (Undo.UndoList.size() > undoItems)
        Undo.DropLastItems(int(Undo.UndoList.size() - undoItems));
}

int InsertGrandStaffLines() {
    TMainScore* s = frmMainTQ;
    int found = 0;
    for (int r = std::min(s->SelRow1, s->Rows - 1); r >= std::max(s->SelRow0, 0); --r) {
        if (!HasTrebleClef(r, s->CurPage))
            continue;
        MainEd().InsertLine(s->CurPage, r + 1);
        MainEd().InsertLine(s->CurPage, r + 1);
        ++found;
    }
    return found;
}

void MakeGrandStaffRoom(int firstPage, int& lastPage, int& lastRow) {
    bool startChanged = false;
    for (int p = firstPage; p <= lastPage; ++p)
        PageEndPass(p, lastPage, lastRow);
    for (int p = firstPage + 1; p <= lastPage; ++p)
        startChanged |= PageStartPass(p, lastPage, lastRow);
    if (startChanged)
        return;
    // Once more, page by page, until a pass changes something; each page at
    // most once, so this ends.
    for (int p = firstPage; p <= lastPage; ++p)
        if (PageEndPass(p, lastPage, lastRow) || PageStartPass(p, lastPage, lastRow))
            break;
}

void ConvertToGrandStaffAllPages() {
    TMainView* view = MainView();
    if (Undo.SaveScoreSnapshot(true).empty())
        return;
    const int c0 = view->SelCol0, r0 = view->SelRow0, c1 = view->SelCol1, r1 = view->SelRow1;
    for (int p = LayerPages() - 1; p >= 0; --p) {
        view->CurPage = p;
        SelectWholePage();
        InsertGrandStaffLines();
    }
    int lastPage = LayerPages() - 1;
    int lastRow = view->Rows - 1;
    MakeGrandStaffRoom(0, lastPage, lastRow);
    lastPage = LayerPages() - 1;
    lastRow = view->Rows - 1;
    int count = -1;
    ConvertRowsToGrandStaff(count, 0, 0, lastPage, lastRow);
    FinishConversion(view, 0, c0, r0, c1, r1);
}

void ConvertToGrandStaffSelected() {
    TMainView* view = MainView();
    const int page = view->CurPage;
    bool treble = false; // without a treble staff nothing changes, and nothing is saved
    for (int r = std::max(view->SelRow0, 0); r <= std::min(view->SelRow1, view->Rows - 1) && !treble; ++r)
        treble = HasTrebleClef(r, page);
    if (!treble)
        return;
    // The inserted lines push every later line down, onto later pages and new
    // ones: the step keeps the whole score.
    if (Undo.SaveScoreSnapshot(true).empty())
        return;
    const int c0 = view->SelCol0, r0 = view->SelRow0, c1 = view->SelCol1, r1 = view->SelRow1;
    const int n = InsertGrandStaffLines();
    if (n == 0) {
        // No treble staff selected: nothing changed, nothing to undo.
        Undo.DropLastItems(1);
        return;
    }
    int lastPage = page;
    int lastRow = r1 + 3 * n;
    while (lastRow >= view->Rows) {
        lastRow -= view->Rows;
        ++lastPage;
    }
    lastPage = std::min(lastPage, LayerPages() - 1);
    MakeGrandStaffRoom(page, lastPage, lastRow);
    int count = n;
    ConvertRowsToGrandStaff(count, page, r0, lastPage, lastRow);
    FinishConversion(view, page, c0, r0, c1, r1);
}

bool DecoupleGrandStaffRows(int firstRow, int lastRow) {
    TMainScore* s = frmMainTQ;
    std::vector<int> braced;
    for (int r = std::max(firstRow, 0); r <= std::min(lastRow, s->Rows - 1); ++r) {
        const int c = HeaderCol(r, s->CurPage);
        if (c >= 0 && Layer0Cell(c, r, s->CurPage)->markType == kGrandStaffBrace)
            braced.push_back(r);
    }
    if (braced.empty())
        return false;
    const int layer = CurLayer;
    CurLayer = 0;
    Undo.SaveBlock(0, braced.front(), s->Cols - 1, braced.back());
    CurLayer = layer;
    for (int r : braced) {
        TCell* header = Layer0Cell(HeaderCol(r, s->CurPage), r, s->CurPage);
        header->markType = 0;
        header->jEnd = r;
        header->dot = 0;
    }
    return true;
}

void DecoupleGrandStaffSelected() {
    TMainView* view = MainView();
    if (!DecoupleGrandStaffRows(view->SelRow0, view->SelRow1))
        return;
    view->SetModified(true);
    view->RedrawPage();
}

void DecoupleGrandStaffAll() {
    TMainView* view = MainView();
    // One Undo takes back the whole command.
    bool any = false;
    for (int p = 0; p < LayerPages() && !any; ++p)
        for (int r = 0; r < view->Rows && !any; ++r) {
            const int c = HeaderCol(r, p);
            any = c >= 0 && Layer0Cell(c, r, p)->markType == kGrandStaffBrace;
        }
    if (!any || Undo.SaveScoreSnapshot(true).empty())
        return;
    const size_t undoItems = Undo.UndoList.size();
    for (int p = 0; p < LayerPages(); ++p) {
        view->CurPage = p;
        DecoupleGrandStaffRows(0, view->Rows - 1);
    }
    if (Undo.UndoList.size() > undoItems)
        Undo.DropLastItems(int(Undo.UndoList.size() - undoItems));
    view->CurPage = 0;
    view->SetModified(true);
    view->RedrawPage();
}

bool CombineAsGrandStaff() {
    TMainScore* s = frmMainTQ;
    const int layer = CurLayer;
    TPage* page = nullptr;
    if (s->CurPage >= 0 && s->CurPage < int(s->PageSets[size_t(layer)].size()))
        page = &s->PageSets[size_t(layer)][size_t(s->CurPage)];
    if (!page)
        return false;
    bool changed = false;
    auto change = [&] {
        if (!changed)
            Undo.SavePageSnapshot(s->CurPage);
        changed = true;
    };
    int memCol = -1, memRow = -1;
    const int r0 = std::max(s->SelRow0, 0), r1 = std::min(s->SelRow1, s->Rows - 1);
    const int c0 = std::max(s->SelCol0, 0), c1 = std::min(s->SelCol1, s->Cols - 1);
    for (int r = r0; r <= r1; ++r) {
        for (int c = c0; c <= c1; ++c) {
            TCell& cell = (*page)[size_t(r)][size_t(c)];
            if (cell.markType == kStaffBracketMark) {
                change();
                cell.markType = 0;
                cell.jEnd = 0;
            }
            if (!IsClefCell(cell))
                continue;
            if (memRow >= 0 && memCol == c) {
                change();
                TCell& upper = (*page)[size_t(memRow)][size_t(memCol)];
                upper.markType = kGrandStaffBrace;
                upper.jEnd = r;
                upper.dot = 0;
                memRow = memCol = -1;
            } else {
                memRow = r;
                memCol = c;
            }
            break;
        }
    }
    return changed;
}

void mitCombineasGrandStaffClick() {
    if (!CombineAsGrandStaff())
        return;
    TMainView* view = MainView();
    view->SetModified(true);
    view->RedrawPage();
}
