#include "render/modTQDrawHooks.h"

#include "render/modTQDrawGrace.h"
#include "render/modTQDrawJianpu.h"
#include "render/modTQDrawMsc.h"
#include "render/modTQDrawShrink.h"
#include "render/modTQDrawVertical.h"

TRenderHooks& RenderHooks() {
    static TRenderHooks hooks;
    return hooks;
}

void ResetRenderHooks() { RenderHooks() = TRenderHooks(); }

// Forwarding definitions of the drawers not written yet (see the header).

void DrawTempoMark(TDrawEngine* d, float x, float y, int col, int row) {
    if (auto& h = RenderHooks().DrawTempoMark)
        h(d, x, y, col, row);
}

void DrawInsertedImage(TDrawEngine* d, float x, float y, const TCell& cell) {
    if (auto& h = RenderHooks().DrawInsertedImage)
        h(d, x, y, cell);
}

bool DrawPageBackground(TDrawEngine* d) {
    auto& h = RenderHooks().DrawPageBackground;
    return h ? h(d) : false;
}

void DrawTimeSignature(TDrawEngine* d, float x, float y, const TCell& cell, bool westRow) {
    if (auto& h = RenderHooks().DrawTimeSignature)
        h(d, x, y, cell, westRow);
}

void DrawInstrumentMark(TDrawEngine* d, float x, float y, const TCell& cell) {
    if (auto& h = RenderHooks().DrawInstrumentMark)
        h(d, x, y, cell);
}
