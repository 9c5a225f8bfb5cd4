#pragma once
// Spanning marks drawn as arrows and lines down the page: the vertical arrow
// (with cross strokes), the curved arrows, the hook arrow, the straight line
// and the bracket with two rings. (x, y) is the start point the spanning-mark
// dispatcher hands over; a mark whose end lies outside the page draws nothing.
#include "model/modTQCell.h"

class TDrawEngine;

void DrawVerticalArrowMark(TDrawEngine* d, float x, float y, const TCell& cell, bool strokes);
// side 1 bows to the right of the chord, 0 to the left; extra moves the end
// by that many row heights.
void DrawCurvedArrowMark(TDrawEngine* d, float x, float y, const TCell& cell, int side, float extra);
void DrawCurvedArrowPath(TDrawEngine* d, float x1, float y1, float x2, float y2, int side, const TCell& cell);
void DrawHookArrowMark(TDrawEngine* d, float x, float y, const TCell& cell);
void DrawStraightLineMark(TDrawEngine* d, float x, float y, int col, const TCell& cell, int style);
void DrawRingBracketMark(TDrawEngine* d, float x, float y, const TCell& cell, int col);
