#pragma once
// The note-name panel's text of a cell: its Western notes in Jianpu terms, or
// their letter names.
#include <string>

// The Western notes of the cell at (col, row) of the current page as Jianpu
// degrees: each note its accidental letters (glyph codes of the hint font:
// 1 "k", 2 "l", 3 "n", 4 "p", 5 "op", 6 "m", 7 "q", 8 "r", 9 "s") and its
// degree digit; a chord from its top note down, each but the lowest followed
// by "t"; the twin cell of layer 1 follows after "u". Empty without notes.
// Reads the clef and key left of the cell into the main window's CurClef and CurKey.
std::string JianpuNoteText(int col, int row);

// The panel text: JianpuNoteText when hints are shown in Jianpu form
// (the "Jianpu Style" check mark), else the Western letter names.
std::string GetNoteHintText(int col, int row, int mode);
