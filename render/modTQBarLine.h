#pragma once
// Bar lines: the thick bar, end and repeat bars with their dots.
#include "model/modTQCell.h"

class TDrawEngine;

// x of a bar line in the cell whose origin is x: on the grid's frame in the
// first and last column, else 0.52 x unit into the cell.
float GetBarLineX(TDrawEngine* d, float x, int col);
// The thick bar ("?") from (bar x, y) downward.
void DrawThickBarLine(TDrawEngine* d, float x, float y, int col, float height, const TCell& cell);
// End, double and repeat bars of the bar-line cell at (col, row) of the current page.
void DrawRepeatBar(TDrawEngine* d, float x, float y, const TCell& cell, int col, int row);
