#pragma once
// The Western drawers that the cell step, the beam group and the note-group
// drawer hand work to but that are written in their own units: the note-name
// hint, beams across the two staves of a grand staff, and the slur and tuplet
// bracket of a group of small notes. (Rests: notation/modTQWestRest.h.)
//
// Until a unit is written, its definitions in modTQWestSeams.cpp stand in: they
// draw nothing, and FindCrossStaffEndCol finds no group (-1), so a cross-staff
// start mark draws its notes with their own stems. Writing a unit means moving
// its declarations to its own header and deleting them here.
#include "model/modTQCell.h"
#include "notation/modTQWestRest.h"

class TDrawEngine;

// The note-name hint above the note at (col, row).
void DrawNoteNameHint(TDrawEngine* d, int col, int row);
// Column of the end mark (option 0x200) of a cross-staff group starting at col; -1 when none.
int FindCrossStaffEndCol(TDrawEngine* d, int col, int row);
// The cross-staff group whose bass-row end mark is at (endCol, row).
void DrawCrossStaffGroup(TDrawEngine* d, int startCol, int endCol, int row);
// The slur of a note-group cell from its column to its end column.
void DrawWestSlur(TDrawEngine* d, float x, int col, int row, const TCell& cell);
// The tuplet bracket (markType 86) over a note-group cell.
void DrawWestTupletBracket(TDrawEngine* d, float x, int col, int row);
