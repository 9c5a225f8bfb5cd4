#include "model/modTQMainScore.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/modTQCellAccess.h"
#include "model/modTQUtil.h"

TMainScore* frmMainTQ = nullptr;
int CurLayer = 0;

TMainScore::TMainScore() = default;

TMainScore::~TMainScore() {
    if (frmMainTQ == this)
        frmMainTQ = nullptr;
}

void TMainScore::SetModified(bool modified) {
    Modified = modified;
    if (OnModifiedChanged)
        OnModifiedChanged(modified);
}

// ---- page geometry and grid allocation ----


bool TMainScore::CalcPageGrid() {
    // Work on locals first: a paper, margin or cell size that leaves no column or
    // no row changes nothing.
    if (!(PaperWidth > 0.0f) || !(PaperHeight > 0.0f) || CellWidth <= 0)
        return false;
    if (!std::isfinite(PaperWidth) || !std::isfinite(PaperHeight))
        return false;
    const double pageWidthD = std::floor(1000.0 * PaperWidth * (1.0 / 8.5) + 0.5);
    if (pageWidthD > 1.0e7)
        return false;
    const int pageWidth = static_cast<int>(pageWidthD);
    const double pageHeightD = std::floor(pageWidth * static_cast<double>(PaperHeight) / PaperWidth + 0.5);
    if (pageHeightD > 1.0e7)
        return false;
    const int pageHeight = static_cast<int>(pageHeightD);
    if (CellWidth > std::numeric_limits<int>::max() / 2)
        return false;
    const int cellHeight = 2 * CellWidth;
    const long long printableWidth = static_cast<long long>(pageWidth) - LeftMargin - RightMargin;
    const long long printableHeight = static_cast<long long>(pageHeight) - TopMargin - BottomMargin;
    const long long cols = printableWidth / CellWidth;   // both positive below, so this is floor
    const long long rows = printableHeight / cellHeight;
    if (printableWidth <= 0 || printableHeight <= 0 || cols < 1 || rows < 1)
        return false;

    PageWidthUnits = pageWidth;
    PrintableWidth = static_cast<int>(printableWidth);
    PageHeightUnits = pageHeight;
    CellHeight = cellHeight;
    DrawUnit = CellHeight / 2;
    PrintableHeight = static_cast<int>(printableHeight);
    Cols = static_cast<int>(cols);
    Rows = static_cast<int>(rows);
    if (OnPageResized)
        OnPageResized(GetPageWidthPx(), GetPageHeightPx());
    return true;
}

bool TMainScore::AllocatePage(int layer, int page, bool clearAll, int keepRows, int keepCols) {
    if (layer == -1)
        layer = CurLayer;
    if (layer < 0 || layer > 1 || page < 0 || Cols < 0 || Rows < 0)
        return false;
    TLayer& pages = PageSets[layer];
    const auto rowCount = static_cast<std::size_t>(Rows) + 1;
    const auto colCount = static_cast<std::size_t>(Cols) + 1;
    // Pages created on the way get the grid's shape too (new cells are empty cells).
    const std::size_t oldCount = pages.size();
    if (oldCount < static_cast<std::size_t>(page) + 1)
        pages.resize(static_cast<std::size_t>(page) + 1);
    for (std::size_t p = oldCount; p < static_cast<std::size_t>(page); ++p)
        pages[p].assign(rowCount, TCellRow(colCount));

    TPage& target = pages[static_cast<std::size_t>(page)];
    target.resize(rowCount);
    for (int r = 0; r <= Rows; ++r) {
        TCellRow& cells = target[static_cast<std::size_t>(r)];
        cells.resize(colCount);
        const int start = (clearAll || r >= keepRows) ? 0 : std::max(0, keepCols);
        for (int c = start; c < Cols; ++c)
            ResetCell(cells[static_cast<std::size_t>(c)], false);
    }
    return true;
}

bool TMainScore::AllocateCurrentLayerPage(int page, bool clearAll, int keepRows, int keepCols) {
    return AllocatePage(CurLayer, page, clearAll, keepRows, keepCols);
}

int TMainScore::GetLeftMargin() const { return ZoomedUnits(LeftMargin * Zoom); }

int TMainScore::GetTopMargin() const { return ZoomedUnits(TopMargin * Zoom); }

int TMainScore::GetPageWidthPx() const {
    return static_cast<int>(GetCellWidth() * static_cast<double>(Cols) + (LeftMargin + RightMargin) * Zoom);
}

int TMainScore::GetPageHeightPx() const {
    return static_cast<int>(GetCellHeight() * static_cast<double>(Rows) + (TopMargin + BottomMargin) * Zoom);
}

float TMainScore::GetDrawScale() const {
    return static_cast<float>(DrawUnit * (Printing ? PrintZoom : Zoom));
}

bool TMainScore::HasJianpuPage() const {
    const TLayer& twin = PageSets[1];
    if (twin.empty() || twin.size() > PageSets[0].size())
        return false;
    if (CurPage < 0 || static_cast<std::size_t>(CurPage) >= twin.size())
        return false;
    return twin[static_cast<std::size_t>(CurPage)].size() == static_cast<std::size_t>(Rows) + 1;
}

bool TMainScore::HasJianpuPageAt(int page) const {
    const TLayer& twin = PageSets[1];
    if (page < 0 || static_cast<std::size_t>(page) >= twin.size())
        return false;
    return twin[static_cast<std::size_t>(page)].size() == static_cast<std::size_t>(Rows) + 1;
}

void TMainScore::AddMissingJianpuPages() {
    const int saved = CurLayer;
    CurLayer = 1;
    for (std::size_t p = PageSets[1].size(); p < PageSets[0].size(); ++p)
        AllocatePage(1, static_cast<int>(p), true, 0, 0);
    CurLayer = saved;
}

bool IsCrossStaff(const TCell& cell) { return (cell.option & 0x40000u) != 0; }
