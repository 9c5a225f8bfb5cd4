#pragma once
// The places where the spanning marks reach drawers that live with the
// Western staff: the slur and tuplet layout, the grand-staff brace and the
// column of repeat dots of the staff header.
//
// Until those drawers are linked in, these draw nothing; each body becomes one
// call:
//     DrawWestSlurSeam   -> DrawWestSlurMark(d, x, col, row, cell, curveFlag)
//     DrawWestTupletSeam -> DrawWestTupletMark(d, x, col, row, 0)
//     DrawStaffBraceSeam -> DrawStaffBraceMark(d, x, y, col, row, cell, bar)
//     DrawRepeatDotsSeam -> DrawRepeatDotsColumn(d, x, y, firstRow, cell)
#include "model/modTQCell.h"

class TDrawEngine;

// A slur (curveFlag 1) or three-point curve (0) from a Western note.
void DrawWestSlurSeam(TDrawEngine* d, float x, int col, int row, TCell& cell, int curveFlag);
// The tuplet bracket over Western notes.
void DrawWestTupletSeam(TDrawEngine* d, float x, int col, int row);
// The grand-staff brace of marks 71 (bar true) and 73.
void DrawStaffBraceSeam(TDrawEngine* d, float x, float y, int col, int row, TCell& cell, bool bar);
// Repeat dots on the Jianpu music rows from firstRow to the cell's end row.
void DrawRepeatDotsSeam(TDrawEngine* d, float x, float y, int firstRow, const TCell& cell);
