#include "render/modTQMainView.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <stdexcept>

#include "model/modTQUtil.h"

TMainView::TMainView() {
    OutputKind = 0;
    OnPageResized = [this](int width, int height) {
        PaintBoxWidth = width;
        PaintBoxHeight = height;
    };
}

TMainView::~TMainView() = default;

TMainView* MainView() {
    TMainView* view = dynamic_cast<TMainView*>(frmMainTQ);
    if (!view)
        throw std::logic_error("drawing without a main window");
    return view;
}

void TMainView::SetScreenTextCorrection() const {
    ScreenTextShift = -10 - MainFontHeight;
    if (MainFontHeight != 0)
        ScreenTextScale = std::fabs(-10.0f / static_cast<float>(MainFontHeight));
}

int TMainView::FindRowHighlight(int row) const {
    for (size_t i = 0; i < Highlights.size(); ++i) {
        const TMeasure& m = Highlights[i];
        if (m.page == CurPage && m.row == row && m.col0 == 0 && m.col1 == Cols - 1)
            return static_cast<int>(i);
    }
    return -1;
}

// --- window routines used by the converters ---
void TMainView::AddHighlight(int col0, int col1, int row, int page) {
    Highlights.push_back(TMeasure{std::max(col0, 0), std::min(col1, Cols - 1), row, page < 0 ? CurPage : page,
                                  CurLayer});
}
// --- end of window routines used by the converters ---

void TMainView::DrawPageRange(int col0, int row0, int col1, int row1, bool whole) {
    if (!whole) {
        DrawEngine.DrawPage(col0, row0, col1, row1, false, false);
        return;
    }
    const int zoom = RoundToInt(Zoom);
    if (RedrawFailZoom != -1000 && RedrawFailZoom <= zoom) {
        DrawEngine.DrawPage(col0, row0, col1, row1, false, true);
        return;
    }
    try {
        DrawEngine.DrawPage(col0, row0, col1, row1, true, true);
    } catch (const std::exception&) {
        RedrawFailZoom = zoom;
        DrawEngine.DrawPage(col0, row0, col1, row1, false, true);
    }
}

void TMainView::RedrawPage() { DrawPageRange(0, 0, Cols, Rows, true); }

void TMainView::SetPrinterOutput(TCanvas* printerCanvas) {
    OutputKind = 1;
    PageNumberStart = 0;
    ShowGrid = false;
    OutCanvas = printerCanvas;
    if (printerCanvas && PageWidthUnits > 0)
        Zoom = printerCanvas->Size().cx * 1.0 / PageWidthUnits;
}

// --- window routines used by the editors ---

void TMainView::RedrawCells(int, int, int, int) { RedrawPage(); }

void TMainView::RedrawSelection() { RedrawCells(SelCol0, SelRow0, SelCol1, SelRow1); }

void TMainView::GoToPage(int page) {
    CurPage = page < 0 ? 0 : page;
    AllocatePage(CurLayer, CurPage, false, Rows + 1, Cols + 1);
    RedrawPage();
}

void TMainView::PageCaption() {
    const int layers = HasJianpuPage() ? 2 : 1;
    const int pages = CurLayer >= 0 && CurLayer <= 1 ? static_cast<int>(PageSets[CurLayer].size()) : 0;
    PageCaptionText = "Page " + std::to_string(CurPage + 1) + " of " + std::to_string(pages) + " x " +
                      std::to_string(layers);
}

// --- end of window routines used by the editors ---
