#pragma once
// Small questions about Western rows that editing and conversion ask: the
// accidental a bar or the key signature gives a note, and whether a note or rest
// still follows a column.
#include "model/modTQCell.h"
#include "model/modTQNoteLetter.h" // FindBarAccidental, FindBarAccidentalInRow

// The key signature's accidental (KeyAccidentals: 0 none, 1 sharp, 2 flat) for the
// staff step `position` under the clef cell (its clef code, and its yAdj as the
// staff shift). The table is read as the last SetKeyAccidTable left it.
int KeyAccidentalOfNote(const TCell& clefCell, int position);

// No Western note or rest stands after column col in the row.
bool IsLastNoteOfRow(int col, const TCellRow& cells);
