#pragma once
// Spanning marks drawn from straight lines: square and rounded brackets over
// or under the notes, the hooked line, hairpins, horizontal and vertical
// lines, half arrows, slanted arrows, slash strokes, boxes and the bar line
// with a bracket.
//
// (x, y) is the mark's start point as the spanning-mark dispatcher hands it
// over; the mark ends at column iEnd of its row or at row jEnd of its page. A
// mark whose end lies outside the page grid draws nothing. "Flipped" is option
// bit 0x80000 of the start cell.
#include "model/modTQCell.h"

class TDrawEngine;

// The cell at (col, row) of the current page and layer; nullptr outside the
// allocated page.
const TCell* MarkCellAt(int col, int row);

// Square bracket: ends 0 both hooks, 1 the start hook only, 2 the end hook
// only; mode 2 is the tuplet bracket with the note count of its span.
void DrawBracketMark(TDrawEngine* d, float x, float y, const TCell& cell, int ends, int col, int row, int mode);
// Bracket with rounded corners; ends as above.
void DrawRoundBracketMark(TDrawEngine* d, float x, float y, const TCell& cell, int ends, int col, int row);
// A rounded bracket of the row (kind 39 or 41) ends at col, left of it.
bool HasRoundBracketEndingAt(TDrawEngine* d, int col, int row);
// The cell at (col, row) starts a rounded bracket (kind 39 or 40).
bool HasRoundBracketStartingAt(TDrawEngine* d, int col, int row);
// A line with a slanted hook at each end.
void DrawHookedLineMark(TDrawEngine* d, float x, float y, int col, int row, const TCell& cell);

// Hairpins, selector 0 opening and 1 closing; hidden in crescendo-hide mode.
void DrawHairpinMark(TDrawEngine* d, float x, float y, const TCell& cell, int selector);
void DrawOpenHairpinMark(TDrawEngine* d, float x, float y, const TCell& cell, int selector);
// style 0 solid, 1 dotted, 2 dashed, 3 dashed with a hook at its end.
void DrawHorizontalLineMark(TDrawEngine* d, float x, float y, const TCell& cell, int style);
// selector 0: barb at the start; 1: at the end.
void DrawHalfArrowMark(TDrawEngine* d, float x, float y, const TCell& cell, int selector);
void DrawVerticalLineMark(TDrawEngine* d, float x, float y, const TCell& cell, bool dashed);
// heads 1 at the lower (flipped: upper) left, 2 at the other end, 3 both.
void DrawSlantArrowMark(TDrawEngine* d, float x, float y, const TCell& cell, int heads, bool hatched);
// Cross strokes along the shaft from (x1, y2) to (x2, y1), square to it;
// headAtFirst leaves the stroke next to the first point out.
void DrawArrowHatching(TDrawEngine* d, float x1, float y1, float x2, float y2, bool headAtFirst);
void DrawSlashStrokesMark(TDrawEngine* d, float x, float y, const TCell& cell, int count);
void DrawBoxMark(TDrawEngine* d, float x, float y, const TCell& cell, bool half);
void DrawBarBracketMark(TDrawEngine* d, int col, int row, float x, float y, const TCell& cell);
