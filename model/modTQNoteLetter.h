#pragma once
// Letter names of Western staff positions, with the accidental in force: the one
// carried earlier in the bar, else the key signature and the accidental symbols
// written after the staff header.
//
// Accidental glyphs of the music font: sharp "k", flat "l", natural "n",
// quarter-tone sharp "p", double flat "o", double sharp "m", reversed flat "q",
// three-quarter sharp "r", three-quarter flat "s".
#include <string>

#include "model/modTQCell.h"

// The letter name ("A" .. "G") of staff position `position` at (col, row) of the
// current page under the row's clef and key, and in glyph the accidental glyph in
// force ("" for none). B sharp, E sharp, C flat and F flat are named by their
// neighbour letter without a glyph. Empty (both) when no clef stands at or left of
// the column.
std::string GetNoteLetter(int position, int col, int row, std::string& glyph);

// The accidental kind (Attr low nibble 1..9) of a note at staff position
// `position` from col back to the bar line or staff header of the row, in layer 0
// and then, when the page has its layer-1 twin, in layer 1; -1 when none.
int FindBarAccidental(int col, int row, int position);

// One row of that search: scans noteRow leftward from col to the previous bar line
// or staff header (both read in barRow) for a note at the staff position (the main
// note within 0.01, a chord note, or a small note of a shrunk cell) that carries an
// accidental; its kind, or -1.
int FindBarAccidentalInRow(int col, int row, const TCellRow& barRow, const TCellRow& noteRow, int position);

// Records an accidental symbol in KeyAccidentals for the letter of the symbol
// cell's staff position under that clef cell: code 14 sharp (1), 15 flat (2),
// 41 natural (0). Other codes change nothing.
void SetKeyAccidental(int code, const TCell& cell, const TCell& clef);
