#pragma once
// Key-entry state shared by the keyboard, the Western-note window and the
// chord commands: the held modifier keys and which note of a chord or of a
// cell's small notes the next key edits.
#include "model/modTQCell.h"

// Set by key-down, cleared by key-up (the main window keeps them).
extern bool AltDown;
extern bool ShiftDown;
extern bool CtrlDown;
// The note the held modifiers last chose: 1 the main note, 2 the first chord
// item (or the second small note) ...; 0 all notes.
extern int ChordNoteIndex;
