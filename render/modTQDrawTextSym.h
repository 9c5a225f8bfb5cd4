#pragma once
// Text symbols (dynamics, repeat and tempo words, octave signs, the trill) and
// the font colour of a cell. DrawTextSymbol itself is declared with the other
// cell drawers in render/modTQDrawMsc.h; GetHighlightColor in
// render/modTQDrawWest.h.
#include "model/modTQCell.h"
#include "platform/gui/TQCanvas.h"
#include "render/modTQDrawMsc.h"
#include "render/modTQDrawWest.h"

class TDrawEngine;

// Sets the output canvas's font colour for a note or text cell: the highlight
// colour for changed play settings, grey on the other layer, the cell's own
// colour when it asks for it, else the drawing colour.
void GetCellColor(TDrawEngine* d, const TCell& cell);

// The lowest ink of the Western staff in the row above row over the page x
// range x0..x1 (its bottom line, heads, and stems and beams pointing down; a
// beam reaching beamReach past the stem end it is drawn from).
float StaffInkBottomOver(TDrawEngine* d, int row, float x0, float x1, float beamReach);
// The highest ink of the Western staff in the row below row over the page x
// range x0..x1 (its top line, heads, and stems and beams pointing up), from
// where its notes stand: that staff is drawn after this row.
float StaffInkTopOver(TDrawEngine* d, int row, float x0, float x1);

// How far a dynamic (ids 1..12) in the cell at (col, row), drawn at (x, y),
// goes down so that it stands under the Western staff of the row above clear
// of that staff's heads, stems and beams over its columns by half a space, as
// far as the row leaves room (a quarter space past the next staff's top line
// at most); 0 for other cells and rows.
float DynamicDropUnderStaff(TDrawEngine* d, int col, int row, float x, float y, const TCell& cell);
