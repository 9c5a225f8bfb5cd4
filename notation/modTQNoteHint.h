#pragma once
// Note-name hints: small letter names written above Western notes whose
// option bit 0x8000 is set, and the text form they are drawn from.
//
// A hint text is a column of lines drawn downward. Letters k..s stand for the
// accidental glyph of the letter that follows them: k sharp, l flat,
// n natural, p quarter-tone sharp, o double flat, m double sharp, q reversed
// flat, r three-quarter sharp, s three-quarter flat. 't' raises the start by
// one line (the chord notes above the main note); 'u' separates the names of
// the twin cell in the other layer, which follow in grey.
#include <string>

#include "platform/gui/TQCanvas.h"

class TDrawEngine;

// The clef and key of the staff header left of col in the row, into the main
// window's CurClef and CurKey (unchanged when the row has none).
void ReadClefKeyBefore(int col, int row);

// The letter names of the Western notes of the cell at (col, row) of the
// current page and layer: a note its name, a chord the names of its notes
// from the top one down each followed by 't', then the main note's; small
// notes their names separated by blanks; then, when the page has its twin in
// the other layer and that cell holds a note, 'u' and the twin's names.
// Empty for a cell without notes or a row without clef. accidentalsOnly is
// taken for the accidental in force either way: the names are the same.
std::string GetWestNoteNames(int col, int row, bool accidentalsOnly);

// The main window's note-name text of the cell (the Western letter form).
std::string GetNoteHintText(int col, int row);

// The hint above the note at (col, row); nothing on a drum staff, for a cell
// without a Western note, or for an empty text.
void DrawNoteNameHint(TDrawEngine* d, int col, int row);

// Draws a hint text at (x, y) on the canvas (nullptr: the output canvas).
void DrawTextWithAccidentals(TDrawEngine* d, float x, float y, const std::string& text, TCanvas* canvas);
