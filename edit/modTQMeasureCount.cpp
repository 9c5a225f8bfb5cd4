// Measure numbering.
#include "edit/modTQMeasureCount.h"

#include <algorithm>
#include <vector>

#include "lang/modTQLanguage.h"
#include "model/modTQCellAccess.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "model/modTQUndo.h"
#include "platform/core/TQMessage.h"
#include "platform/gui/TQRecordingCanvas.h"
#include "render/modTQMainView.h"

namespace {

TCell* CellRef(int col, int row) {
    TMainScore* s = frmMainTQ;
    if (!s || col < 0 || row < 0 || col >= s->Cols || row >= s->Rows)
        return nullptr;
    const size_t layer = CurLayer == 1 ? 1 : 0;
    if (s->CurPage < 0 || s->CurPage >= int(s->PageSets[layer].size()))
        return nullptr;
    TPage& page = s->PageSets[layer][size_t(s->CurPage)];
    if (row >= int(page.size()) || col >= int(page[size_t(row)].size()))
        return nullptr;
    return &page[size_t(row)][size_t(col)];
}

// The walk follows the pages layer 0 really has.
int LayerPageCount() { return frmMainTQ ? int(frmMainTQ->PageSets[0].size()) : 0; }

bool BoxesMeet(const TRect& a, const TRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

// Whether the number cell just written at (col, row) is drawn clear of what
// the cells of its row and of the row above draw: a text, tempo word or
// dynamic that reaches over from a cell to the left (or right) leaves the
// place taken even though its own cell is empty. Staff lines and other long
// rules lie under everything and do not count.
bool NumberDrawnClear(int col, int row) {
    TMainView* view = MainView();
    if (!view)
        return true;
    const int ppi = view->OutCanvas ? view->OutCanvas->PixelsPerInch() : 96;
    TRecordingCanvas rec(TSize{std::max(view->PaintBoxWidth, 1), std::max(view->PaintBoxHeight, 1)}, ppi);
    {
        TOutCanvasGuard onRecording(view, &rec);
        view->DrawEngine.DrawCells(0, std::max(row - 1, 0), view->Cols, row + 1);
    }

    const int cellW = std::max(view->GetCellWidth(), 1);
    std::vector<TRect> number, others;
    for (const TCanvasCall& call : rec.Calls()) {
        const TRect box = call.InkReach();
        if (box.Right < box.Left)
            continue;
        if (call.OwnerCol == col && call.OwnerRow == row) {
            number.push_back(box);
            continue;
        }
        const bool rule = (call.Op == TCanvasOp::LineTo || call.Op == TCanvasOp::FillRect ||
                           call.Op == TCanvasOp::Rectangle) &&
                          box.Bottom - box.Top <= std::max(3, cellW / 6) && box.Right - box.Left > 2 * cellW;
        if (!rule)
            others.push_back(box);
    }
    for (const TRect& n : number)
        for (const TRect& o : others)
            if (BoxesMeet(n, o))
                return false;
    return true;
}

} // namespace

bool IsMeasureNumberCell(const TCell& cell) {
    return cell.cellType == ctText && AttrHasNibble(cell.Attr, 0xF0) && !cell.Text.empty() &&
           IsAllDigits(cell.Text) && cell.FontName == "NT";
}

bool TMeasureCount::btnRemoveMsureClick() {
    static const int ids[3] = {1032, 1085, 1086};
    const int id = ids[std::clamp(Options.Scope, 0, 2)];
    if (MessageYesNoById(id, "", mkConfirmation) != mrYes)
        return false;
    RemoveMode = true;
    return true;
}

bool TMeasureCount::WholeFirstPage() const { return Options.Scope == 0 && frmMainTQ->CurPage == 0; }

void TMeasureCount::ApplyMeasureNumbers() {
    TMainScore* s = frmMainTQ;
    FirstBarFlag = true;
    const int sel[4] = {s->SelCol0, s->SelRow0, s->SelCol1, s->SelRow1};
    const int page = s->CurPage;
    if (RemoveMode)
        RemovedCount = RemoveMeasureNumbers();
    else
        AddMeasureNumbers();
    s->SelCol0 = sel[0];
    s->SelRow0 = sel[1];
    s->SelCol1 = sel[2];
    s->SelRow1 = sel[3];
    s->CurPage = page;
}

int TMeasureCount::BarColumnAtOrLeft(int col, int row) const {
    if (col <= 0)
        return 0;
    for (int c = col; c >= 0; --c)
        if (IsBarLineAt(c, row, -1))
            return c;
    return 0;
}

void TMeasureCount::WriteNumberCell(int col, int row, int number) {
    TMainScore* s = frmMainTQ;
    if (col < 0 || row < 0 || col >= s->Cols || row >= s->Rows || s->CurPage >= LayerPageCount())
        return;
    TCell& cell = s->PageSets[0][size_t(s->CurPage)][size_t(row)][size_t(col)];
    cell.cellType = ctText;
    cell.Text = std::to_string(number);
    cell.Attr = 0xF0;
    cell.FontName = "NT";
    cell.fontSizeR = 0.8f;
    cell.yAdj = float(Options.PosOffset);
}

void TMeasureCount::PlaceNumber(int number, int col) {
    if (col < 0)
        col = CurColumn;
    const int places[3][2] = {{col, CurRow - 1}, {col + 1, CurRow - 1}, {col, CurRow - 2}};
    for (const auto& p : places) {
        if (p[1] < 0 || p[0] >= frmMainTQ->Cols)
            continue;
        if (!IsEmptyCellAt(p[0], p[1]))
            continue;
        // An empty cell can still lie under a neighbour's text: the number
        // goes where it is drawn clear, else the empty cell is put back.
        TCell& cell = frmMainTQ->PageSets[0][size_t(frmMainTQ->CurPage)][size_t(p[1])][size_t(p[0])];
        const TCell before = cell;
        WriteNumberCell(p[0], p[1], number);
        if (NumberDrawnClear(p[0], p[1]))
            return;
        cell = before;
    }
}

bool TMeasureCount::NoMusicAfter() const {
    for (int c = CurColumn + 1; c < frmMainTQ->Cols; ++c)
        if (IsJianpuSoundAt(c, CurRow, -1, 0) || IsWestNoteAt(c, CurRow, 1) || IsWestRestAt(c, CurRow))
            return false;
    return true;
}

bool TMeasureCount::FirstBarWithMusicBefore() const {
    bool music = false;
    for (int c = CurColumn - 1; c >= 0; --c) {
        const TCell* cell = CellRef(c, CurRow);
        if (!cell)
            continue;
        if (IsBarLineCell(*cell))
            return false;
        if ((cell->cellType == ctJianpu && IsJianpuDigit(cell->Note)) || IsShrinkCell(*cell))
            music = true;
    }
    return music;
}

int TMeasureCount::NextBarWest(int& step) {
    step = 1;
    const TCell* clef = CellRef(RowClefCol, CurRow);
    const int endCol = clef && clef->iEnd >= 0 ? clef->iEnd : frmMainTQ->Cols - 1;
    for (; CurColumn <= endCol && CurColumn < frmMainTQ->Cols; ++CurColumn) {
        const TCell* cell = CellRef(CurColumn, CurRow);
        if (!cell)
            break;
        if (cell->markType == 87)
            step = cell->markHAdj - (FirstBarFlag ? 1 : 0);
        if ((IsClefCell(*cell) && cell->iEnd > CurColumn) || (IsBarLineCell(*cell) && !NoMusicAfter())) {
            FirstBarFlag = false;
            return 1;
        }
    }
    FirstBarFlag = false;
    return 0;
}

int TMeasureCount::NextBarJianpu(int& step) {
    step = 1;
    for (; CurColumn < frmMainTQ->Cols; ++CurColumn) {
        const TCell* cell = CellRef(CurColumn, CurRow);
        if (!cell)
            break;
        if (cell->markType == 87)
            step = cell->markHAdj + (FirstBarFlag ? 1 : 0);
        if (IsBarLineCell(*cell) && !NoMusicAfter()) {
            const int result = FirstBarWithMusicBefore() ? 2 : 1;
            FirstBarFlag = false;
            return result;
        }
    }
    FirstBarFlag = false;
    return 0;
}

void TMeasureCount::NumberSystemsOfPage(bool firstCall) {
    const bool every = Options.Every;
    const int n = std::max(Options.Increment, 1);
    if (!every) {
        CurColumn = 0;
        if (firstCall)
            ScanRow = std::max(ScanRow - 1, 0);
    }
    int first = ScanRow, last = ScanRow;
    if (FindNextRowGroup(first, last, -1) < 0)
        return;
    CurRow = first;
    GroupLastRow = last;
    RowClefCol = FindRowClefCol(CurRow);
    if (!every && !WholeFirstPage())
        PlaceNumber(MeasureNumber, -1);

    // Each system: walk the bars of its first row. The row count bounds the walk.
    for (int systems = 0; systems <= frmMainTQ->Rows; ++systems) {
        int step = 1;
        for (int bars = 0; bars <= frmMainTQ->Cols; ++bars) {
            const int result = RowClefCol >= 0 ? NextBarWest(step) : NextBarJianpu(step);
            if (result == 0)
                break;
            MeasureNumber += step;
            if (result == 2) {
                if (every && MeasureNumber % n == 0)
                    PlaceNumber(MeasureNumber, 1);
                MeasureNumber += 1;
                if (every && MeasureNumber % n == 0)
                    PlaceNumber(MeasureNumber, -1);
            } else if (every) {
                if (MeasureNumber % n == 0)
                    PlaceNumber(MeasureNumber, -1);
                else if (MeasureNumber == 1 && !WholeFirstPage())
                    PlaceNumber(MeasureNumber, -1);
            }
            CurColumn += 1;
        }
        ScanRow = GroupLastRow + 1;
        if (ScanRow >= frmMainTQ->Rows)
            return;
        first = ScanRow;
        if (FindNextRowGroup(first, last, -1) < 0)
            return;
        ScanRow = first;
        if (Options.Scope == 2 && ScanRow > frmMainTQ->SelRow1)
            return;
        CurRow = first;
        GroupLastRow = last;
        CurColumn = 0;
        if (step > 0)
            MeasureNumber += step - 1;
        RowClefCol = FindRowClefCol(CurRow);
        if (!every && MeasureNumber > 0)
            PlaceNumber(MeasureNumber, -1);
    }
}

void TMeasureCount::AddMeasureNumbers() {
    TMainScore* s = frmMainTQ;
    TMainView* view = MainView();
    const int comboIndex = view->Controls.PageComboIndex;
    const int layer = CurLayer;
    const int page = s->CurPage;

    RemoveMeasureNumbers();

    CurLayer = 0;
    ScanRow = s->SelRow0;
    if (Options.Scope == 0) {
        s->CurPage = 0;
        ScanRow = 0;
        CurColumn = 0;
        s->SelCol0 = s->SelRow0 = s->SelCol1 = s->SelRow1 = 0;
    } else {
        ScanRow = std::max(s->SelRow0 - 1, 0);
        CurColumn = Options.Every && Options.Scope == 1 ? BarColumnAtOrLeft(s->SelCol0, s->SelRow0) : 0;
    }

    int first = ScanRow, last = ScanRow;
    if (GetRowGroupRange(first, last, -1) < 0) {
        MessageOkById(1053, "", mkError);
    } else {
        CurRow = ScanRow;
        MeasureNumber = Options.StartNo - (Options.Every ? 1 : 0);
        const int pages = LayerPageCount();
        for (bool firstCall = true;; firstCall = false) {
            NumberSystemsOfPage(firstCall);
            if (Options.Scope == 2 || s->CurPage + 1 >= pages)
                break;
            s->CurPage += 1;
            CurColumn = 0;
            CurRow = ScanRow = 0;
        }
    }

    CurLayer = layer;
    view->GoToPage(page);
    view->Controls.PageComboIndex = comboIndex;
}

int TMeasureCount::RemoveNumbersOnPage() {
    TMainScore* s = frmMainTQ;
    int count = 0;
    int col = s->SelCol0;
    for (int r = std::max(s->SelRow0 - 1, 0); r < s->Rows; ++r, col = 0) {
        if (Options.Scope == 2 && r > s->SelRow1)
            break;
        for (int c = std::max(col, 0); c < s->Cols; ++c) {
            TCell* cell = CellRef(c, r);
            if (cell && IsMeasureNumberCell(*cell)) {
                ResetCell(*cell);
                ++count;
            }
        }
    }
    return count;
}

int TMeasureCount::RemoveMeasureNumbers() {
    TMainScore* s = frmMainTQ;
    const int layer = CurLayer;
    const int page = s->CurPage;
    const int col0 = s->SelCol0, row0 = s->SelRow0;
    if (Options.Scope == 0) {
        s->CurPage = 0;
        s->SelCol0 = s->SelRow0 = 0;
    }
    int count = 0;
    const int pages = LayerPageCount();
    while (s->CurPage < pages) {
        CurLayer = 0;
        count += RemoveNumbersOnPage();
        if (s->HasJianpuPageAt(s->CurPage)) {
            CurLayer = 1;
            count += RemoveNumbersOnPage();
        }
        if (Options.Scope == 2)
            break;
        s->SelCol0 = s->SelRow0 = 0;
        s->CurPage += 1;
    }
    CurLayer = layer;
    if (TMainView* view = dynamic_cast<TMainView*>(s))
        view->GoToPage(page);
    s->CurPage = page;
    s->SelCol0 = col0;
    s->SelRow0 = row0;
    return count;
}

void RunMeasureCount(TMeasureCount& dialog) {
    TMainView* view = MainView();
    // Numbers that could not be taken back are not written.
    if (Undo.SaveScoreSnapshot(true).empty())
        return;
    view->SetModified(true);
    dialog.ApplyMeasureNumbers();
    view->RedrawPage();
    if (dialog.RemoveMode) {
        const std::string tail = Language ? Language->GetString(1034) : std::string();
        MessageOkById(1033, std::to_string(dialog.RemovedCount) + tail, mkInformation);
    }
}
