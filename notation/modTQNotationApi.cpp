#include "notation/modTQNotationApi.h"

#include "render/modTQCvsDraw.h"
#include "render/modTQDrawEngine.h"

TNotationHooks& NotationHooks() {
    static TNotationHooks hooks;
    return hooks;
}

void ResetNotationHooks() { NotationHooks() = TNotationHooks(); }

// Forwarding definitions of the drawers not written yet (render/modTQDrawHooks.h).

void DrawWestCellDispatch(TDrawEngine* d, float x, float y, int col, int row, TCell& cell) {
    if (auto& h = NotationHooks().DrawWestCellDispatch)
        h(d, x, y, col, row, cell);
}

void DrawWestStaffHeader(TDrawEngine* d, float x, float y, TCell& cell, int col, int row) {
    if (auto& h = NotationHooks().DrawWestStaffHeader)
        h(d, x, y, cell, col, row);
}

void DrawDotGlyph(TDrawEngine* d, float x, float y, const TCell& cell, float factor, TColor color) {
    SetBrushStyle(bsClear);
    SetFontColor(color == -1 ? d->CurColor : color);
    d->DrawTimesText(x, y, ".", cell, factor);
}
