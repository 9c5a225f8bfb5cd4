#include "render/modTQOverlay.h"

#include <algorithm>

#include "model/modTQUtil.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQMainView.h"

void DrawHighlights(TDrawEngine* d) {
    TMainView* mv = MainView();
    const float v = static_cast<float>(mv->GetCellWidth());
    const float u = static_cast<float>(mv->GetCellHeight());
    const float L = static_cast<float>(d->GetLeftMarginPx());
    const float T = static_cast<float>(d->GetTopMarginPx());
    SetPenWidth(0);
    for (const TMeasure& m : mv->Highlights) {
        if (m.page != mv->CurPage)
            continue;
        const float left = L + v * static_cast<float>(m.col0);
        const float right = L + v * static_cast<float>(m.col1 + 1);
        const float top = T + u * static_cast<float>(m.row);
        SetPenColor(d->SelectionColor);
        SetBrushColor(d->HighlightFillColor);
        DrawRectFilled(left, top, right, top + u);
    }
    SetPenColor(d->CurColor);
    SetBrushColor(d->BkColor);
    SetBrushStyle(bsClear);
}

void DrawSelectionRect(TDrawEngine* d, int col0, int row0, int col1, int row1) {
    TMainView* mv = MainView();
    if (mv->timMoveWestNoteEnabled || mv->SliceView)
        return;
    int c0 = std::min(col0, col1), c1 = std::max(col0, col1);
    const int r0 = std::min(row0, row1), r1 = std::max(row0, row1);
    if (mv->GongChiMode) {
        if (c0 % 2 != 0)
            c0 -= 1;
        if (c1 % 2 == 0 && c1 != mv->Cols - 1)
            c1 += 1;
    }
    const float v = static_cast<float>(mv->GetCellWidth());
    const float u = static_cast<float>(mv->GetCellHeight());
    SetPenColor(d->SelectionColor);
    SetPenStyle(psSolid);
    SetPenMode(pmXor);
    SetBrushStyle(bsClear);
    SetPenWidth(2);
    const float left = static_cast<float>(d->GetLeftMarginPx()) + v * static_cast<float>(c0);
    const float top = static_cast<float>(d->GetTopMarginPx()) + u * static_cast<float>(r0);
    DrawRectFrame(left + 1.0f, top + 1.0f, left + v * static_cast<float>(c1 - c0 + 1),
                  top + u * static_cast<float>(r1 - r0 + 1));
    SetPenMode(pmCopy);
    SetPenColor(d->CurColor);
    SetPenWidth(std::max(1, RoundToInt(u * 0.027f)));
}

void DrawCurrentSelection(TDrawEngine* d) {
    TMainView* mv = MainView();
    DrawSelectionRect(d, mv->SelCol0, mv->SelRow0, mv->SelCol1, mv->SelRow1);
}

void DrawOffsetArrow(TDrawEngine* d, float x, float y, float dx, float dy) {
    TMainView* mv = MainView();
    x += 0.5f * static_cast<float>(mv->GetCellWidth());
    y += 0.5f * static_cast<float>(mv->GetCellHeight());
    SetPenColor(d->RedColor);
    DrawLine(x, y, x + dx, y + dy);
    DrawArrowHead(x, y, x + dx, y + dy, 0.5f * static_cast<float>(mv->GetCellWidth()));
    SetPenColor(d->CurColor);
}
