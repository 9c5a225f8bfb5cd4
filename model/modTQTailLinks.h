#pragma once
// Unlinking combined tails of Western notes.
//
// Notes share one tail (a beam) in two ways: a run of notes of one staff row
// marked as a combined-tail group (option 0x2 on the first note, 0x4 on the
// last), and a pair of notes on the two staves of a grand staff whose tails are
// joined across the staves (option 0x100 on the upper note, 0x200 on the
// lower; UL and dot of a note give the column and row offsets to its partner).
// These operations undo such links on the current page and layer; the caller
// redraws and sets the modified flag.

// Clears the group flags (0x2, 0x4) and the partner row offset (dot) of every
// cell of the rectangle. Nothing when col1 > col2.
void ClearTailLinks(int col1, int row1, int col2, int row2);

// Dissolves the combined-tail group that holds the cell: clears the group flags
// and dot over the group's columns. Returns the group's last column, or -1 when
// the cell belongs to no group (nothing changes).
int DecombineTailGroup(int col, int row);

// Undoes a tail joined across the two staves of a grand staff near (col, row),
// with an undo item of the rows involved. 0 done; 1 neither note at the column
// has a tail; 2 no joined tail there (not a Western row of a group of two or
// more staves, or no joined note found).
int DecombineGFTail(int col, int row);

// The combined-tail group around a column of the current page and layer.
// CombineTailEndCol walks right from col to the cell that ends the group
// (option 0x4) and returns its column; CombineTailStartCol walks left from col
// to the cell that starts it (0x2). Both give -1 at the row's end, or when a
// cross-staff mark (0x100, 0x200) or the other end of another group comes
// first (for CombineTailEndCol a start flag on the cell at col itself too: the
// cell drawer asks from the column after a group's start); CombineTailStartCol
// accepts an end flag on the cell at col itself (the group that col ends). A cell carrying both group flags holds a group of its
// own small notes and is passed over.
int CombineTailEndCol(int col, int row);
int CombineTailStartCol(int col, int row);
