#include "render/modTQMainView.h"

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

namespace {
// The view MainView() found last; a view forgets itself when it goes, so a
// match of addresses always means that very view.
TMainView* gLastView = nullptr;
} // namespace

TMainView::~TMainView() {
    if (gLastView == this)
        gLastView = nullptr;
}

TMainView* MainView() {
    TMainScore* score = frmMainTQ;
    if (gLastView && static_cast<TMainScore*>(gLastView) == score)
        return gLastView;
    TMainView* view = dynamic_cast<TMainView*>(score);
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
