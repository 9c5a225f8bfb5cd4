#pragma once
// The shape of Western notes: chords in one cell, stems, grace notes, notes
// compressed into one cell, stems joined across a grand staff. Each command
// saves undo, changes the current page and layer, redraws and sets the
// modified flag unless said otherwise.
#include "model/modTQCell.h"

// Stacks the notes of the selected columns of the cursor row into the first
// one. False (nothing changed) with fewer than two notes or a first note in
// column 0 or 1.
bool MakeWestChord();
// Spreads the cursor cell's chord over free cells, lowest note leftmost.
void SplitWestChord();
void AddWestChordThird(TCell& cell);
void DeleteWestChordNote(TCell& cell);
int GetWestChordTargetIndex(TCell& cell);
void MoveWestChordNote(int col, int row, float step);
void ShiftRowCellsVert(int firstCol, int row, int step);
void MoveCellNotes(float dx, float dy, int col, int row);
// FlipStemsInRow on the row of a layer of the current page.
int FlipStems(int layer, int col, int row, bool redraw);
void AdjustStemLength(float delta);
bool ToggleWestGrace();
bool ShrinkWestNotes(int rate);
void ExpandWestNotes();
void ConnectGFTails();
void StepCrossBreakPoint(int direction);
