#pragma once
// Music arithmetic on cells: durations of notes and rests in both notations,
// accidentals written as symbols next to a note, the tonic of a Jianpu key text,
// key names, the accidentals of a key signature, and the clef cells of a row.
//
// Note values: 1 whole, 2 half, 3 quarter ... 8 1/128. Western rest codes are the
// value + 19 (20 whole rest .. 27), 19 the longest rest.
// Duration levels: 0 quarter, 1 eighth ...; -1 half, -2 whole, -4 the longest rest.
// Alterations: +1 sharp, -1 flat, +2 double sharp, -2 double flat, 0 natural,
// kNoAlteration when none was found.
// Key codes 0..14: C G D A E B F Bb Eb Ab Db Gb Cb F# C#.
#include <cstdint>
#include <string>

#include "model/modTQCell.h"

constexpr int kNoAlteration = 10000;

// What the current key signature does to each staff letter, indexed A..G
// (0 A, 1 B, ... 6 G): 0 none, 1 sharp, 2 flat.
extern int8_t KeyAccidentals[7];
// Accidentals met so far in the current bar, by octave (9) and letter (7); the
// play-list builder fills and reads it.
extern int8_t BarAccidentals[9][7];

// ---- Durations ----

int ValueToRestCode(int value);
int RestCodeToValue(int code);
// Western: rests 22..27 give 0..5, 20 gives -2, 21 -1, 19 -4, any other code - 3.
// Jianpu: UL, or -4 x markHAdj for markType 87.
int GetCellDurLevel(bool isWest, const TCell& cell);
// 2^(5 - level): 32 a quarter, 512 the longest rest.
int GetCellTicks(const TCell& cell);
// Note value (1..8) of the cell at (col, row) of the current page and layer, with
// its dots. A Jianpu note without underline counts the dashes and dot cells after
// it up to the next note or bar line. 0 and no dots outside the grid.
int GetCellNoteValue(bool isWest, int col, int row, int& dots);

// ---- Accidentals written as symbols ----

// 14 sharp, 15 flat, 121 double sharp, 120 double flat, 41 natural; else kNoAlteration.
int SymbolToAlteration(int symbolCode);
// For a special-symbol or Western cell: the first accidental symbol among the
// slots upNote (2), FontColor (1), Note (0). slot -1 and kNoAlteration when none.
int GetCellAccidSymbol(const TCell& cell, int& slot);
// Accidental symbol next to the note at (col, row): left, above, upper-left.
int FindNearAccid(int col, int row, int& accCol, int& accRow, int& slot);
int GetNearAccid(int col, int row);

// ---- Keys ----

std::string GetKeyName(int keyCode);
// Pitch class 0..11 of the tonic of a Jianpu key text at (col, row) ("1=C",
// "1=bE", "1 = G", ...); -100 when the text is not one. A text holding
// "C Fixed Key" gives 0.
int GetJianpuKeyFromText(const std::string& text, int col, int row);
// Fills KeyAccidentals from a row-header clef cell's key code (Attr).
void SetKeyAccidTable(const TCell& clefCell);
void ClearKeyAccidTable();
void ClearBarAccidTable();

// ---- Clefs ----

// Staff-step base of a clef for pitch arithmetic: treble 6, bass -6, alto 0, tenor -2.
int GetClefCPos(int clefCode);
// First clef column of the row (current page and layer) from fromCol to toCol
// (-1: the last column); -1 when none.
int FindClefCol(int row, int fromCol, int toCol = -1);
// The same scanning leftward from fromCol (-1: the last column) to toCol (-1: 0).
int FindClefColBack(int row, int fromCol = -1, int toCol = -1);
// trunc(2 x yAdj) of the nearest clef cell at or left of col; 0 when none.
int GetClefPosAt(int col, int row);
// Walks left from col (included) along the layer-0 row of the current page to the
// nearest clef cell; col is left on it and its clef code returned. Without one,
// col ends at -1 and the result is 0.
int FindClefLeft(int& col, int row);
// First clef cell among columns 0..limit - 1 of a row vector (limit <= 0 or not
// below its size: 0..size - 2). Returns the clef code; col the column (0 and -1 when none).
int GetFirstClefInRow(const TCellRow& cells, int& col, int limit);
// Last clef cell scanning from limit (limit <= 0 or not below the size: size - 1)
// down to 0. Returns the clef code; col the column (0 and -1 when none).
int GetLastClefInRow(const TCellRow& cells, int& col, int limit);
// Column of the first clef cell among 0..Cols - 1 (of that code unless it is 0);
// -1 when none or when the vector is shorter than Cols.
int FindClefColInRow(const TCellRow& cells, int clefCode);
