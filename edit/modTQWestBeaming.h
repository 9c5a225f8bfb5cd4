#pragma once
// Combined tails (beams) and stem directions of Western rows: the automatic
// grouping of the combine-tail command and of Auto Underline, and turning
// stems. They work on the current page and layer; a row's cells are passed as
// the row of the grid they belong to.
//
// A combined-tail group runs from a note with option 0x2 to a note with 0x4;
// both on one cell group that cell's small notes. Option 0x1 is the flipped
// stem.
#include "model/modTQCell.h"

// Turns the stems of the combined-tail group around col (every Western note
// of code 2..9 in it), or of the cell at col when it is in no group. Redraws
// the selection when asked; sets the modified flag. Returns the larger of the
// group's last column and col.
int FlipStemsInRow(int col, int row, TCellRow& cells, bool redraw);

// Stems of the notes first..last of the row from their staff positions: all
// flipped when the lowest note lies at least one step below the middle line
// and the highest not further above it than the lowest below; else all not.
// Rests and grace notes keep theirs.
void SetGroupStemDirection(int first, int last, int row, TCellRow& cells);

// Groups the beamable notes (eighth and shorter) of columns first..last into
// combined-tail groups: a group runs while the stems point one way and ends at
// a quarter or longer note, another cell that is no note (a bar line), or when
// the durations (a 128th counting 1) reach limit. Rests and grace notes
// neither join nor end a group. A cell with small notes shorter than a quarter
// at 0.8 size or more is a group of its own.
void RegroupTailsInRow(int first, int last, int row, TCellRow& cells, int limit);

// Clears the tail links of the rectangle and, when first column < last
// column, regroups every row of it.
void AutoCombineTails(int col0, int row0, int col1, int row1, int limit);

// Auto Underline of one row: runs of quarter .. 32nd notes get the values of a
// typical beam pattern (two: eighth + eighth, or a 16th / 32nd after a dotted /
// double-dotted first; three: eighth 16th 16th; four to seven: 16ths; eight
// or more: 32nds; a note after a dotted one shorter still), their stems set
// and their tails combined. A half note below the middle line gets its stem
// flipped. The range is the whole row, or with selectedOnly the selected
// columns and one more.
void AutoUnderlineRow(TCellRow& cells, int row, bool selectedOnly);
