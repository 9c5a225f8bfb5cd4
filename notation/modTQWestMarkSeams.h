#pragma once
// The two places where the spanning-mark dispatcher reaches the Western slur
// and tuplet layout, which lives with the Western staff drawers.
//
// Until those drawers are linked in, both draw nothing; each body becomes one
// call:
//     DrawWestSlurSeam   -> DrawWestSlurMark(d, x, col, row, cell, curveFlag)
//     DrawWestTupletSeam -> DrawWestTupletMark(d, x, col, row, 0)
#include "model/modTQCell.h"

class TDrawEngine;

// A slur (curveFlag 1) or three-point curve (0) from a Western note.
void DrawWestSlurSeam(TDrawEngine* d, float x, int col, int row, TCell& cell, int curveFlag);
// The tuplet bracket over Western notes.
void DrawWestTupletSeam(TDrawEngine* d, float x, int col, int row);
