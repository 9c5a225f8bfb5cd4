#pragma once
// Octave lines, volta brackets, the multi-measure rest and the tail image.
// Octave lines and voltas place themselves by the mark cell's row, not by the
// start point's height. A mark whose end lies outside the page draws nothing.
#include "model/modTQCell.h"

class TDrawEngine;

// variant 0 "va" with an end hook, 1 "va", 2 "vb" with a hook, 3 "vb";
// fifteen: "15" instead of "8".
void DrawOctaveLineMark(TDrawEngine* d, float x, int col, int row, const TCell& cell, int variant, bool fifteen);
// Kinds 78 ("1." closed), 79 ("1." open) and 80 ("2." open).
void DrawVoltaMark(TDrawEngine* d, float x, int col, int row, const TCell& cell);
// The measure count is the cell's markHAdj; below 1 it is drawn as 1.
void DrawMultiRestMark(TDrawEngine* d, float x, float y, const TCell& cell, int col, int row);
void DrawDownTailImageMark(TDrawEngine* d, float x, float y, const TCell& cell, int col, int row);
