// Bringing the running window in line with changed preferences.
#include "edit/modTQPrefCommand.h"

#include <algorithm>

#include "edit/modTQWestNames.h"
#include "lang/modTQLanguage.h"
#include "lang/modTQMainSettings.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQUndo.h"
#include "platform/core/TQMessage.h"
#include "render/modTQDrawBase.h"
#include "render/modTQMainView.h"

const char* const kChineseSetupWarning =
    "The Operating System may not set correctly to run Chinese version. Please see\n"
    "the document \"How to setup Chinese for Tonquill\" for solution. Contact author\n"
    "for the document if you do not have one.";

TPageGeometry TakePageGeometry(const TMainScore& s) {
    TPageGeometry g;
    g.PaperType = s.PaperType;
    g.PaperWidth = s.PaperWidth;
    g.PaperHeight = s.PaperHeight;
    g.PaperOri = s.PaperOri;
    g.CellWidth = s.CellWidth;
    g.LeftMargin = s.LeftMargin;
    g.RightMargin = s.RightMargin;
    g.TopMargin = s.TopMargin;
    g.BottomMargin = s.BottomMargin;
    return g;
}

void PutPageGeometry(TMainScore& s, const TPageGeometry& g) {
    s.PaperType = g.PaperType;
    s.PaperWidth = g.PaperWidth;
    s.PaperHeight = g.PaperHeight;
    s.PaperOri = g.PaperOri;
    s.CellWidth = g.CellWidth;
    s.LeftMargin = g.LeftMargin;
    s.RightMargin = g.RightMargin;
    s.TopMargin = g.TopMargin;
    s.BottomMargin = g.BottomMargin;
}

int CountCellsOutsideGrid(int cols, int rows) {
    int count = 0;
    for (const TLayer& layer : frmMainTQ->PageSets)
        for (const TPage& page : layer)
            // Each page still has its old shape: rows and columns of the grid
            // plus the spare row and column.
            for (int r = 0; r + 1 < int(page.size()); ++r)
                for (int c = 0; c + 1 < int(page[size_t(r)].size()); ++c)
                    if ((r >= rows || c >= cols) && !IsEmptyCell(page[size_t(r)][size_t(c)]))
                        ++count;
    return count;
}

namespace {

void SwitchLanguage(bool useChinese, const TPreferenceHooks& hooks) {
    Language->UseChinese = useChinese;
    if (useChinese && hooks.SetUseChineseCaption)
        hooks.SetUseChineseCaption("Use Chinese Version");
    Language->LoadLanguageDll();
    if (useChinese && Language->GetString(200).find("??") != std::string::npos) {
        TMessageRequest plain;
        plain.kind = mkWarning;
        plain.buttons = mbOK;
        plain.caption = "Tonquill";
        plain.text = kChineseSetupWarning;
        MessageBoxes().Show(plain);
    }
    if (hooks.Relocalise)
        hooks.Relocalise();
}

// Every page of both layers takes the new grid, keeping what fits; spanning
// ends are held inside it, and staffs that reached the old right edge reach
// the new one.
void Regrid(TMainView& view, int oldCols, int oldRows) {
    Undo.ClearUndoFiles();
    const int pages = int(view.PageSets[0].size());
    for (int p = 0; p < pages; ++p) {
        view.AllocatePage(0, p, false, oldRows, oldCols);
        if (p < int(view.PageSets[1].size()))
            view.AllocatePage(1, p, false, oldRows, oldCols);
    }
    for (TLayer& layer : view.PageSets)
        for (TPage& page : layer)
            for (TCellRow& cells : page)
                for (TCell& cell : cells) {
                    cell.iEnd = std::min(cell.iEnd, view.Cols - 1);
                    cell.jEnd = std::min(cell.jEnd, view.Rows - 1);
                }
    if (view.Cols != oldCols) {
        for (TPage& page : view.PageSets[0])
            for (TCellRow& cells : page)
                for (int c = 0; c < view.Cols - 5 && c < int(cells.size()); ++c) {
                    TCell& cell = cells[size_t(c)];
                    if (IsClefCell(cell) && cell.iEnd >= oldCols - 5)
                        cell.iEnd = view.Cols - 1;
                }
    }
    view.SelCol0 = view.SelRow0 = view.SelCol1 = view.SelRow1 = 0;
}

} // namespace

bool ApplyPreferenceChanges(const TPreferenceResult& result, const TPageGeometry& before, int oldCellWidthPx,
                            const TPreferenceHooks& hooks) {
    TMainView& view = *MainView();
    int level = result.ChangeLevel;
    bool refused = false;
    const int oldCols = view.Cols, oldRows = view.Rows;

    if (level == 3) {
        // The new grid first, so that what it would drop can be counted.
        const TPageGeometry wanted = TakePageGeometry(view);
        if (!view.CalcPageGrid()) {
            PutPageGeometry(view, before);
            view.CalcPageGrid();
        }
        const int lost = CountCellsOutsideGrid(view.Cols, view.Rows);
        if (lost > 0 && MessageYesNoById(1056, std::to_string(lost), mkWarning) != mrYes) {
            PutPageGeometry(view, before);
            view.Cols = oldCols;
            view.Rows = oldRows;
            view.CalcPageGrid();
            refused = true;
            level = result.ColoursChanged ? 1 : 0;
        } else {
            PutPageGeometry(view, wanted);
        }
    }

    if (result.LanguageChanged)
        SwitchLanguage(result.UseChinese, hooks);
    if (result.ColoursChanged)
        TDrawBaseObj::FreeSymbolBitmaps();
    if (level == 3)
        Regrid(view, oldCols, oldRows);
    if (level != 0) {
        if (level != 1)
            view.SetModified(true);
        if (view.GetCellWidth() < oldCellWidthPx)
            ExtendStaffLinesToEnd();
        view.RedrawPage();
    }
    return !refused;
}

int CompressionSpinValue(int rate) { return (rate == 0 ? 15 : rate) + 65; }

void ApplySpecifiedCompression(const TCell& cursorCell, int rate, bool setDefault) {
    TMainView& view = *MainView();
    Undo.SaveUndo();
    const int c0 = std::min(view.SelCol0, view.SelCol1), c1 = std::max(view.SelCol0, view.SelCol1);
    const int r0 = std::min(view.SelRow0, view.SelRow1), r1 = std::max(view.SelRow0, view.SelRow1);
    const int clamped = std::clamp(rate, -35, 65);
    const size_t layer = CurLayer == 1 ? 1 : 0;
    if (view.CurPage >= 0 && view.CurPage < int(view.PageSets[layer].size())) {
        TPage& page = view.PageSets[layer][size_t(view.CurPage)];
        for (int r = std::max(r0, 0); r <= r1 && r < view.Rows; ++r)
            for (int c = std::max(c0, 0); c <= c1 && c < view.Cols; ++c) {
                TCell& cell = page[size_t(r)][size_t(c)];
                if (cell.Note == ':' || cell.Note == ';')
                    continue; // repeat signs keep their spacing mode
                cell.shrinkRate = clamped;
                if (IsWestNoteOrRest(cell, 1) && IsShrinkCell(cell) && !cell.CompressNotes.empty())
                    cell.fontSizeR = clamped >= 0 ? 1.0f : cell.fontSizeR + float(clamped) * 0.02f;
            }
    }
    view.SetModified(true);
    view.RedrawPage();
    TMainSettings* settings = MainSettings();
    if (!setDefault || !settings || IsGraceCell(cursorCell) || IsGraceNoteCell(cursorCell))
        return;
    if (IsWestNoteOrRest(cursorCell, 1))
        settings->DefWestShrinkRate = rate;
    else if (IsVerticalCell(cursorCell))
        settings->DefJianpuVertRate = rate;
    else
        settings->DefJianpuShrinkRate = rate;
}
