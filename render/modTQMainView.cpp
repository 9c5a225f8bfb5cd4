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

TMainView* mainview_detail::gLastView = nullptr;

TMainView::~TMainView() {
    if (mainview_detail::gLastView == this)
        mainview_detail::gLastView = nullptr;
}

TMainView* mainview_detail::FindMainView() {
    TMainView* view = dynamic_cast<TMainView*>(frmMainTQ);
    if (!view)
        throw std::logic_error("drawing without a main window");
    gLastView = view;
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

void TMainView::AddHighlight(int col0, int col1, int row, int page) {
    Highlights.push_back(TMeasure{std::max(col0, 0), std::min(col1, Cols - 1), row, page < 0 ? CurPage : page,
                                  CurLayer});
}

void TMainView::DrawPageRange(int col0, int row0, int col1, int row1, bool whole) {
    if (!whole) {
        DrawEngine.DrawPage(col0, row0, col1, row1, false, false);
        return;
    }
    // After a buffered draw failed at some zoom, pages at that zoom or above
    // are drawn directly; below it the buffer is tried again.
    if (RedrawFailZoom != -1000 && Zoom >= RedrawFailZoom) {
        DrawEngine.DrawPage(col0, row0, col1, row1, false, true);
        return;
    }
    try {
        DrawEngine.DrawPage(col0, row0, col1, row1, true, true);
    } catch (const std::exception&) {
        RedrawFailZoom = static_cast<int>(std::trunc(Zoom));
        DrawEngine.DrawPage(col0, row0, col1, row1, false, true);
    }
}

void TMainView::RedrawPage() {
    if (!OutCanvas)
        return; // nothing to draw on (a score holder without a window)
    DrawPageRange(0, 0, Cols, Rows, true);
    if (OutputKind == 0 && OnPageDrawn)
        OnPageDrawn();
}

void TMainView::SetPrinterOutput(TCanvas* printerCanvas) {
    OutputKind = 1;
    PageNumberStart = 0;
    ShowGrid = false;
    OutCanvas = printerCanvas;
    if (printerCanvas && PageWidthUnits > 0)
        Zoom = printerCanvas->Size().cx * 1.0 / PageWidthUnits;
}

void TMainView::TrimSelection() {
    if (CurLayer < 0 || CurLayer > 1 || CurPage < 0 ||
        CurPage >= static_cast<int>(PageSets[static_cast<size_t>(CurLayer)].size()))
        return;
    const TPage& page = PageSets[static_cast<size_t>(CurLayer)][static_cast<size_t>(CurPage)];
    auto holds = [&](int col) {
        for (int r = std::max(0, SelRow0); r <= SelRow1 && r < static_cast<int>(page.size()); ++r) {
            const TCellRow& cells = page[static_cast<size_t>(r)];
            if (col >= 0 && col < static_cast<int>(cells.size()) &&
                (cells[static_cast<size_t>(col)].Note != 32 || !cells[static_cast<size_t>(col)].CompressNotes.empty()))
                return true;
        }
        return false;
    };
    int first = -1, last = -1;
    for (int c = SelCol0; c <= SelCol1; ++c) {
        if (holds(c)) {
            if (first < 0)
                first = c;
            last = c;
        }
    }
    if (first < 0)
        return;
    SelCol0 = first;
    SelCol1 = last;
}
