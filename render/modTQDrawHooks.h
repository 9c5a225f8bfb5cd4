#pragma once
// The drawer hook tables: the one place that says which drawers the page
// drawer calls but that live outside the engine.
//
// The cell loop and the Jianpu dispatcher call every drawer by its own name,
// declared in the unit it belongs to:
//
//   render/modTQDrawJianpu.h    DrawJianpuNote, DrawJianpuNoteMarks
//   render/modTQDrawShrink.h    DrawShrinkCell
//   render/modTQDrawVertical.h  DrawVerticalChord
//   render/modTQDrawGrace.h     DrawGraceCell
//   render/modTQDrawMsc.h       DrawTextSymbol, DrawTextCell, DrawTempoMark,
//                               DrawInsertedImage, DrawPageBackground,
//                               DrawTimeSignature, DrawInstrumentMark,
//                               DrawGongcheCell (written in modTQDrawGongche)
//   notation/modTQNotationApi.h DrawWestCellDispatch, DrawWestStaffHeader,
//                               DrawSpecialSymbol, DrawStackedSymbols,
//                               DrawCellSymbolList, DrawLongSymbol
//
// Until a drawer is written, its named function forwards to the hook of the
// same name in RenderHooks() (render drawers, defined in
// render/modTQDrawHooks.cpp) or NotationHooks() (notation drawers, defined in
// notation/modTQNotationApi.cpp). A hook left empty draws nothing, so a cell
// whose drawer does not exist yet is simply not drawn. The images, page
// background, time signatures, tempo and instrument marks (modTQDrawMsc.cpp) and
// the special symbols (notation/modTQSpecialSymbols.cpp) are written and have
// no hook.
//
// Writing a drawer: put its body in its unit's .cpp under the declared name,
// then delete the forwarding definition here (or in notation/modTQNotationApi.*).
// A written drawer may keep its hook member as an override: it then starts by
// calling the hook when one is set, so the dispatcher's tests still see which
// drawer was chosen (DrawJianpuNote, DrawJianpuNoteMarks, DrawTextSymbol,
// DrawTextCell, DrawShrinkCell, DrawVerticalChord, DrawGraceCell,
// DrawGongcheCell, DrawWestCellDispatch, DrawWestStaffHeader and DrawLongSymbol
// do so). Nothing in the engine changes.
//
// Tests set hooks to see which drawer the dispatcher chose and with what;
// they reset the tables (ResetRenderHooks / ResetNotationHooks) afterwards.
#include <cstdint>
#include <functional>

#include "model/modTQCell.h"

class TDrawEngine;

struct TRenderHooks {
    // modTQDrawJianpu
    std::function<void(TDrawEngine*, float x, float y, const TCell& cell, int col, int row)> DrawJianpuNote;
    std::function<void(TDrawEngine*, float x, float y, uint32_t option, int octaveCount, int col, int row)>
        DrawJianpuNoteMarks;
    // modTQDrawShrink
    std::function<void(TDrawEngine*, int col, int row, float x, float y)> DrawShrinkCell;
    // modTQDrawVertical
    std::function<void(TDrawEngine*, float x, float y, int col, int row, const TCell& cell)> DrawVerticalChord;
    // modTQDrawGrace
    std::function<void(TDrawEngine*, float x, float y, int col, int row)> DrawGraceCell;
    // modTQDrawMsc
    std::function<void(TDrawEngine*, float x, float y, TCell cell)> DrawTextSymbol;
    std::function<void(TDrawEngine*, float x, float y, const TCell& cell)> DrawTextCell;
    std::function<void(TDrawEngine*, float x, float y, const TCell& cell)> DrawGongcheCell;
};

TRenderHooks& RenderHooks();
void ResetRenderHooks();
