#pragma once
// Slurs, ties and tuplet curves of cells on Jianpu rows (and grace groups):
// where a curve starts and ends, how high it stands and on which side of the
// notes, handed to the curve shapes of modTQCurves. Also the ties-only display
// switch (the main window's SlurMode), which the Western layout shares.
#include "model/modTQCell.h"

class TDrawEngine;

// Whether the ties-only display lets the curve of the cell at (col, row) be
// drawn: always with the switch off; with it on only when the start and end
// cells hold the same notes and no note stands between them (the column just
// before the end excepted). Tuplet marks (56) of Jianpu rows are always drawn.
bool IsCurveShownBySlurMode(int col, int row, const TCell& cell);

// The curve of the connected mark of the cell at (col, row), from (x, y) (the
// cell's drawing position) to the end column iEnd of the same row.
// elliptic: an elliptic crescent (with halfMode 0 whole, 1 the first half of a
// curve cut at a row end, -1 the second half on the next row); else a crescent
// through three points. Marks 55 and 94 add an arrow head at the end or the
// start; tuplet marks (56, 86) add the count of their notes. A start in a
// shrunk cell draws nothing here (the shrunk-cell drawer draws its curves).
void DrawConnectSlur(TDrawEngine* d, float x, float y, int col, int row, int elliptic, int halfMode);
