// The main window's view routines: redraw, pages, layers, zoom and views.
// They work on this object's score and keep the state of the window's controls
// in Controls; the window shows that state when OnControlsChanged is called.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "model/modTQCellAccess.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQUndo.h"
#include "model/modTQUtil.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQStrings.h"
#include "render/modTQMainView.h"

namespace {

constexpr double kMinZoom = 0.3;
constexpr double kMaxZoom = 5.0;

void Notify(const TMainView& v) {
    if (v.OnControlsChanged)
        v.OnControlsChanged();
}

int LayerPageCount(const TMainView& v) {
    const int layer = (CurLayer == 1) ? 1 : 0;
    return static_cast<int>(v.PageSets[static_cast<std::size_t>(layer)].size());
}

bool IsUntitled(const std::string& name) { return name.empty() || name == "Untitled"; }

// The file name as the window shows it: a score not yet saved is called
// "untitled" in the Chinese interface's own words (string 1028).
std::string ShownFileName(const std::string& name) {
    if (name != "Untitled" || !UseChineseStrings())
        return name;
    const std::string word = GetStringById(1028);
    return word.empty() ? name : word;
}

} // namespace

std::string ProgramVersionText() {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4f", 5.2);
    std::string text = buf;
    const std::size_t dot = text.find('.');
    while (dot != std::string::npos && text.size() > dot + 2 && text.back() == '0')
        text.pop_back();
    return text;
}

// ---- redraw ----

void TMainView::RedrawCells(int, int, int, int) {
    // Cells draw beyond their own rectangle by their offsets and spanning
    // ends, so the whole page is drawn again.
    RedrawPage();
}

void TMainView::RedrawSelection() { RedrawCells(SelCol0, SelRow0, SelCol1, SelRow1); }

void TMainView::pbxMainPaint() {
    if (CurPage < 0 || CurPage >= LayerPageCount(*this))
        CurPage = 0;
    RedrawPage();
}

void TMainView::UpdateCaption() {
    const std::string version = ProgramVersionText();
    if (UseChineseStrings()) {
        Controls.CaptionUsesChineseFont = true;
        Controls.Caption = GetStringById(1000) + " " + GetStringById(1001) + " " + version;
    } else {
        Controls.CaptionUsesChineseFont = false;
        Controls.Caption = "Tonquill Version " + version;
    }
    Controls.Caption += " - " + ShownFileName(FileName);
    Notify(*this);
}

// ---- pages ----

void TMainView::GoToPage(int page) {
    CurPage = page;
    Controls.btnPreviousPageEnabled = page >= 1;
    RefreshPageCombo();
}

void TMainView::ShowPage(int page, bool redraw) {
    CurPage = page;
    Controls.btnPreviousPageEnabled = page >= 1;
    Controls.ScrollX = -1; // the horizontal position stays
    Controls.ScrollY = 0;
    Controls.ScrollRequested = true;
    if (redraw)
        RedrawPage();
    PageCaption();
    Controls.PageComboText = std::to_string(page + 1);
    Notify(*this);
}

void TMainView::RefreshPageCombo() {
    const int count = LayerPageCount(*this);
    Controls.PageComboItems.clear();
    for (int i = 1; i <= count; ++i)
        Controls.PageComboItems.push_back(std::to_string(i));
    Controls.PageComboIndex = (CurPage >= 0 && CurPage < count) ? CurPage : -1;
    Controls.PageComboText = std::to_string(CurPage + 1);
    Controls.btnPreviousPageEnabled = CurPage > 0;
    Notify(*this);
}

void TMainView::PageCaption() {
    const int layers = HasJianpuPage() ? 2 : 1;
    const std::string page = std::to_string(CurPage + 1);
    const std::string count = std::to_string(LayerPageCount(*this));
    if (UseChineseStrings())
        Controls.StatusPage = GetStringById(1003) + page + GetStringById(1005) + ", " + GetStringById(1004) + count +
                              GetStringById(1005) + " x " + std::to_string(layers);
    else
        Controls.StatusPage = "Page " + page + " of " + count + " x " + std::to_string(layers);
    Controls.StatusFile = ShownFileName(FileName);
    UpdateCaption();
    if (!IsUntitled(FileName) && OnFileShown && FileExists(FileName))
        OnFileShown(FileName);
}

void TMainView::btnNextPageClick() {
    const int last = static_cast<int>(PageSets[0].size()) - 1;
    if (CurPage >= last) {
        // No page is added after an empty last page.
        if (IsPageEmpty(CurPage, 0))
            return;
        if (CurLayer == 1) {
            CurLayer = 0;
            btnLayerImageIndex = 60;
            Controls.BarButtonsEnabled = true;
        }
        CurPage = last + 1;
        AllocateCurrentLayerPage(CurPage, true, 0, 0);
    } else {
        CurPage += 1;
        if (static_cast<int>(PageSets[static_cast<std::size_t>(CurLayer)].size()) <= CurPage)
            AllocateCurrentLayerPage(CurPage, true, 0, 0);
    }
    RedrawPage();
    Controls.btnPreviousPageEnabled = true;
    RefreshPageCombo();
    PageCaption();
}

void TMainView::btnPreviousPageClick() {
    if (CurPage <= 0)
        return;
    const int last = static_cast<int>(PageSets[0].size()) - 1;
    const bool layer1Empty = static_cast<int>(PageSets[1].size()) <= CurPage || IsPageEmpty(CurPage, 1);
    if (CurPage == last && IsPageEmpty(CurPage, 0) && layer1Empty) {
        // The empty last page goes; its twin on layer 1 is empty too and goes
        // with it, so layer 1 never holds more pages than layer 0.
        for (TLayer& layer : PageSets)
            if (static_cast<int>(layer.size()) > CurPage)
                layer.resize(static_cast<std::size_t>(CurPage));
    }
    GoToPage(CurPage - 1);
    RedrawPage();
    PageCaption();
}

void TMainView::btnHomeClick() {
    CurPage = 0;
    CurLayer = 0;
    btnLayerImageIndex = 60;
    Controls.BarButtonsEnabled = true;
    Controls.PageComboText = "1";
    Controls.btnPreviousPageEnabled = false;
    SelCol0 = SelRow0 = SelCol1 = SelRow1 = 0;
    Controls.ScrollX = Controls.ScrollY = 0;
    Controls.ScrollRequested = true;
    RefreshPageCombo();
    RedrawPage();
    PageCaption();
}

void TMainView::cbxPageNumChange(const std::string& text) {
    if (UpdatingPageControls)
        return;
    if (text.empty()) {
        Controls.PageComboText = std::to_string(CurPage + 1);
        Notify(*this);
        return;
    }
    // Only a whole number is a page; anything else is ignored.
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != '\0')
        return;
    if (n >= 1 && n <= LayerPageCount(*this)) {
        CurPage = static_cast<int>(n) - 1;
        Controls.btnPreviousPageEnabled = CurPage > 0;
        RedrawPage();
        PageCaption();
    }
}

void TMainView::cbxPageNumDropDown() {
    if (static_cast<int>(Controls.PageComboItems.size()) < LayerPageCount(*this))
        RefreshPageCombo();
}

// ---- layers ----

void TMainView::btnLayerClick() {
    if (CurLayer == 0) {
        CurLayer = 1;
        const int count = static_cast<int>(PageSets[0].size());
        for (int p = static_cast<int>(PageSets[1].size()); p < count; ++p)
            AllocatePage(1, p, true, 0, 0);
        btnLayerImageIndex = 61;
        Controls.BarButtonsEnabled = false;
    } else {
        CurLayer = 0;
        btnLayerImageIndex = 60;
        Controls.BarButtonsEnabled = true;
    }
    RedrawPage();
    PageCaption();
}

namespace {

// The selection as a rectangle inside the grid.
struct TBlock {
    int c0, r0, c1, r1;
};
TBlock SelectionBlock(const TMainView& v) {
    auto clampCol = [&](int c) { return std::max(0, std::min(c, v.Cols - 1)); };
    auto clampRow = [&](int r) { return std::max(0, std::min(r, v.Rows - 1)); };
    return {clampCol(std::min(v.SelCol0, v.SelCol1)), clampRow(std::min(v.SelRow0, v.SelRow1)),
            clampCol(std::max(v.SelCol0, v.SelCol1)), clampRow(std::max(v.SelRow0, v.SelRow1))};
}

// One undo item per layer for the selection, grouped into one step.
void SaveSelectionOnBothLayers() {
    const bool both = Undo.BothLayers;
    Undo.BothLayers = false;
    const int layer = CurLayer;
    Undo.SaveUndo();
    CurLayer = 1 - layer;
    Undo.SaveUndo();
    CurLayer = layer;
    Undo.SetUndoGroup(2);
    Undo.BothLayers = both;
}

} // namespace

void TMainView::MovetoNextLayer1Click() {
    if (!HasJianpuPage()) {
        const int count = static_cast<int>(PageSets[0].size());
        for (int p = 0; p < count; ++p)
            if (!HasJianpuPageAt(p))
                AllocatePage(1, p, true, 0, 0);
    }
    if (!HasJianpuPage())
        return;
    SaveSelectionOnBothLayers();
    const TBlock b = SelectionBlock(*this);
    const int here = CurLayer == 1 ? 1 : 0;
    TPage& mine = PageSets[static_cast<std::size_t>(here)][static_cast<std::size_t>(CurPage)];
    TPage& other = PageSets[static_cast<std::size_t>(1 - here)][static_cast<std::size_t>(CurPage)];
    for (int r = b.r0; r <= b.r1; ++r)
        for (int c = b.c0; c <= b.c1; ++c) {
            TCell& cell = mine[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
            if (here == 0 && IsLayerStructureCell(cell))
                continue;
            other[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = cell;
            ResetCell(cell, false);
        }
    RedrawCells(b.c0, b.r0, b.c1, b.r1);
    SetModified(true);
}

void TMainView::mitSwitchLayerContentClick() {
    if (!HasJianpuPage())
        return;
    SaveSelectionOnBothLayers();
    const TBlock b = SelectionBlock(*this);
    TPage& page0 = PageSets[0][static_cast<std::size_t>(CurPage)];
    TPage& page1 = PageSets[1][static_cast<std::size_t>(CurPage)];
    for (int r = b.r0; r <= b.r1; ++r)
        for (int c = b.c0; c <= b.c1; ++c) {
            TCell& a = page0[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
            if (IsLayerStructureCell(a))
                continue;
            std::swap(a, page1[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]);
        }
    RedrawCells(b.c0, b.r0, b.c1, b.r1);
    SetModified(true);
}

// ---- zoom ----

void TMainView::btnZoomInClick() {
    if (Zoom >= kMaxZoom) {
        if (OnBeep)
            OnBeep();
        return;
    }
    Zoom += Zoom < 0.9 ? 0.07 : Zoom < 1.5 ? 0.15 : 0.3;
    if (Zoom > kMaxZoom)
        Zoom = kMaxZoom;
    ApplyZoom();
    Controls.trkZoomPosition = RoundToInt(Zoom * 100);
    Notify(*this);
}

void TMainView::btnZoomOutClick() {
    if (Zoom <= kMinZoom) {
        if (OnBeep)
            OnBeep();
        return;
    }
    Zoom -= Zoom > 1.5 ? 0.3 : Zoom > 0.9 ? 0.15 : 0.07;
    if (Zoom < kMinZoom)
        Zoom = kMinZoom;
    ApplyZoom();
    Controls.trkZoomPosition = RoundToInt(Zoom * 100);
    Notify(*this);
}

void TMainView::ZoomClick(int percent) {
    Zoom = percent * 0.01;
    ApplyZoom();
}

void TMainView::trkZoomKeyDown() { UpdatingPageControls = true; }

void TMainView::trkZoomChange(int position) {
    if (UpdatingPageControls) {
        UpdatingPageControls = false;
        return;
    }
    if (position <= 0)
        return;
    Zoom = position * 0.01;
    if (!UpdatingZoomTrack)
        ApplyZoom();
}

namespace {
// A fitted zoom is taken only when it is a usable number.
bool UsableZoom(double z) { return std::isfinite(z) && z > 0.0; }
} // namespace

void TMainView::mitFittoWidthClick() {
    const double z = Controls.ClientWidth / (CellWidth * (Cols + 2.5) + LeftMargin + RightMargin);
    if (!UsableZoom(z))
        return;
    Zoom = z;
    ApplyZoom();
    RedrawPage();
}

void TMainView::mitFilttoHeightClick() {
    const double z = (Controls.ClientHeight - 20.0 - Controls.SliceButtonPanelHeight) /
                     ((Rows + 4.0) * CellHeight);
    if (!UsableZoom(z))
        return;
    Zoom = z;
    ApplyZoom();
    RedrawPage();
}

void TMainView::ApplyZoom() {
    if (OnPageResized)
        OnPageResized(GetPageWidthPx(), GetPageHeightPx());
    Controls.ScrollY = std::max(0, (SelRow0 - 1) * GetCellHeight() + GetTopMargin());
    Controls.ScrollX = std::max(0, (SelCol0 - 1) * GetCellWidth() + GetLeftMargin());
    Controls.ScrollRequested = true;
    Controls.lblZoomText = std::to_string(RoundToInt(Zoom * 100)) + "%";
    if (UpdatingZoomTrack)
        Controls.trkZoomPosition = RoundToInt(Zoom * 100);
    Notify(*this);
}

// ---- views ----

void TMainView::mitNormalViewClick() {
    Zoom = Zoom == 1.0 ? 3.0 : 1.0;
    ApplyZoom();
    RedrawPage();
}

void TMainView::mitFullViewClick() {
    const double z = (Controls.ScrollBoxHeight - 1.2 * CellHeight) / (static_cast<double>(CellHeight) * Rows);
    if (!UsableZoom(z))
        return;
    Zoom = z;
    ApplyZoom();
    RedrawPage();
}

void TMainView::btnNextSliceClick() {
    if (SliceView == 1) {
        btnNextPageClick();
    } else if (CurPage < LayerPageCount(*this) - 2) {
        CurPage += 2;
        RedrawPage();
    }
}

void TMainView::btnPreSliceClick() {
    if (SliceView == 1) {
        btnPreviousPageClick();
    } else if (CurPage > 1) {
        CurPage -= 2;
        RedrawPage();
    }
}

void TMainView::mitShowGridClick() {
    ShowGrid = !ShowGrid;
    RedrawPage();
}

void TMainView::mitRefreshClick() {
    if (OnEndTextEntry)
        OnEndTextEntry();
    RedrawPage();
}
