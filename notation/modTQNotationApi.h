#pragma once
// What the page drawer and the Jianpu drawers use of the notation drawers:
// Western staves and cells, special symbols, spanning marks and the small mark
// glyphs. (The play-setting tests HasNotesVolAdj and its kin are in
// model/modTQCellHelpers.h.)
//
// The Western staff drawers are in notation/modTQDrawWest.cpp, the special
// symbols in notation/modTQSpecialSymbols.cpp and the spanning marks in
// notation/modTQLongSymbols.cpp. Every drawer takes the drawing engine first and paints in its
// current colour on the output canvas.
//
// Curves: notation/modTQCurves.h (DrawSlurCrescent, DrawCrescentThrough3Points,
// DrawArcThrough3Points, DrawTupletNumber) and notation/modTQJianpuSlur.h
// (DrawConnectSlur), included here.
#include "model/modTQCell.h"
#include "notation/modTQCurves.h"
#include "notation/modTQJianpuSlur.h"
#include "platform/gui/TQCanvas.h"

class TDrawEngine;

// --- Western cells and staves ---
// One Western cell (type 8) at the point.
void DrawWestCellDispatch(TDrawEngine* d, float x, float y, int col, int row, TCell& cell);
// The head of a Western staff row (clef, octave marks, key signature) for a
// clef cell of layer 0.
void DrawWestStaffHeader(TDrawEngine* d, float x, float y, TCell& cell, int col, int row);

// --- symbols and spanning marks ---
// A special-symbol palette symbol by id; 32 draws nothing.
void DrawSpecialSymbol(TDrawEngine* d, float x, float y, int symbolId, int col, int row);
// The cell's symbol and the symbols of its second and third slots, stacked.
void DrawStackedSymbols(TDrawEngine* d, float x, float y, TCell cell, int col, int row);
// Every entry of the cell's CompressNotes list side by side at 0.7 size.
void DrawCellSymbolList(TDrawEngine* d, float x, float y, TCell cell, int col, int row);
// The spanning mark of the cell (markType 1..99) to its end column and row.
void DrawLongSymbol(TDrawEngine* d, float x, float y, TCell& cell, int col, int row);

// --- mark glyphs ---
// "." in Times New Roman at drawing scale x fontSizeR x factor, clear brush,
// font colour color (-1: the current colour).
void DrawDotGlyph(TDrawEngine* d, float x, float y, const TCell& cell, float factor, TColor color);
