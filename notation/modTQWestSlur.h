#pragma once
// Slurs, ties and tuplet brackets of Western rows: which note a curve ends on,
// whether its ends sit at the heads or at the stem ends, the stem and side
// cases, and the points handed to the curve shapes of modTQCurves.
//
// W is the column width and H the row height in pixels; a staff step is
// 0.125 H. The heights of the notes are the ones the Western note drawer
// stored in the note cells while the row was drawn (FontCharset: stem end).
// Bit 0x80000 of a cell's option puts its curve below the notes; bit 0x1 is
// the flipped stem.
#include "model/modTQCell.h"

class TDrawEngine;

// --- called by the spanning-mark drawing ---
// The slur mark (tie false) or tie mark (tie true) of the cell at (col, row),
// x the cell's drawing x. A mark whose end column lies before its start or
// outside the grid draws nothing. Leaves the pen solid.
void DrawWestSlurMark(TDrawEngine* d, float x, int col, int row, const TCell& cell, bool tie);
// The tuplet bracket with its number of the cell at (col, row) (not a shrunk
// cell); numberOnly: the number alone, without box.
void DrawWestTupletMark(TDrawEngine* d, float x, int col, int row, bool numberOnly);

// --- called by the Western note-group drawer ---
// The slur of a note-group cell from its column to its end column. Nothing
// while the ties-only display (SlurMode) is on, for a 0xD0 grace cell, or when
// the end column is not right of the start inside the grid.
void DrawWestSlur(TDrawEngine* d, float x, int col, int row, const TCell& cell);
// The bracket (markType 86; 56 gives the number alone) over the notes of the
// group just drawn, from the note geometry left in the engine's BeamPoints
// (x1 the note's x, y1 its upper y, y2 its lower y). Nothing when that is empty.
void DrawWestTupletBracket(TDrawEngine* d, float x, int col, int row);

// --- inner steps (the cell is passed so a curve can be drawn as if its
// below bit had another value; the stored cell is not changed) ---
void DrawWestTieMark(TDrawEngine* d, float x, int col, int row, const TCell& cell);
void DrawWestChordTies(TDrawEngine* d, float x, int col, int row, const TCell& cell);
void DrawWestSingleTie(TDrawEngine* d, float x, int col, int row, const TCell& cell);
// One elliptic curve from the cell to its end note; yOffset moves both ends,
// endYOffset the end; direction 1 up, -1 down, 0 by the below bit; a curve
// never ends right of xEndLimit when that is above 0.
void DrawWestSlurToCell(TDrawEngine* d, float x, int col, int row, const TCell& cell, float yOffset,
                        float endYOffset, bool tie, int direction, float xEndLimit = 0.0f);
void DrawWestSlurMarkSingle(TDrawEngine* d, float x, int col, int row, const TCell& cell);
void DrawWestThreePointSlur(TDrawEngine* d, float x, int col, int row, const TCell& cell, float yOffset);
// The stem-end height of a note for a curve that starts at start.
float WestSlurStemEndY(const TCell& cell, int row, const TCell& start);
// The head height of a note for a curve above or below it, clear of the marks
// at the head.
float WestSlurHeadY(const TCell& cell, int row, bool below);
// A Western note or rest strictly between the two columns.
bool HasNoteOrRestBetween(int col1, int col2, int row);
// The curve lies inside the cell's own small notes.
bool IsSlurInsideGroup(const TCell& cell, int col);
