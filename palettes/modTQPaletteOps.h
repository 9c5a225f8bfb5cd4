#pragma once
// What the Gongche and Text Symbols palettes write into the score. Each
// operation works on the selection of the current page and layer, saves one
// undo item first, sets the modified flag and redraws the selection.

// Gongche entry works on every second column: a Gongche character spans two.
// The three writers do nothing (and save no undo item) unless the main
// window is in Gongche entry mode.
//   t 1..35: degree ((t - 1) mod 7) + 1, octave dots (t - 1) div 7 - 2;
//   t -1..-9: the further Gongche symbols, Note 1..9.
void InsertGongcheSymbol(int t);
// Mark 1..5 in Attr; the same mark again clears it.
void ToggleGongcheMark(int mark);
// A character typed in Gongche mode; the cell keeps its other fields.
void EnterGongcheChar(int c);

// A text symbol by id into every second column of the selection.
void InsertTextSymbol(int id);
// Charset of a text symbol: 134 (Chinese) for ids 50..79, else 1.
int TextSymbolCharset(int id);
// The text-symbol size of the score (4..20), with its own undo kind.
void SetTextSymSize(int size);
