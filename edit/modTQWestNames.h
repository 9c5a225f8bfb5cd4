#pragma once
// Small queries and fix-ups of staff rows. (The note names of a cell and
// ReadClefKeyBefore live with the note-name hint, notation/modTQNoteHint.h.)

// One selected cell in a staff row, holding a Western note or rest.
bool IsSingleWestCellSelected();
// Every staff header of layer 0 reaches the last grid column.
void ExtendStaffLinesToEnd();
