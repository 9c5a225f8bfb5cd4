#pragma once
// Western note entry: the one entry operation every button, key and menu
// command of Western notes goes through, the dispatcher that applies a code to
// one cell, clefs and bar lines, and the clef change that keeps pitches.
//
// Codes: note values 1 (whole) .. 8 (1/128), rests 19..27, clefs -1..-5, bar
// lines 58..63, property commands 3..9, 12, 13, 49 and 100..185. A staff
// position counts staff steps from the middle line, growing downward; -1000
// means none. Everything works on the current page and layer (CurLayer).
#include <functional>
#include <string>

#include "model/modTQCell.h"

constexpr float kNoPosition = -1000.0f;

// Links to the symbol palettes and the main window that this unit does not own.
// Unset links do nothing.
struct TWestEntryHooks {
    // Flips the curved marks (slurs, ties) of the selection, without undo.
    std::function<void()> FlipMarks;
    // Inserts a palette symbol code into the selection (accidentals 14, 15, 41,
    // 120, 121, the cross-staff mark 183), with undo.
    std::function<void(int code)> InsertSpecialSymbol;
    // Gives the main window the keyboard focus.
    std::function<void()> FocusMainWindow;
    // The cross-staff break point's hint text changed.
    std::function<void(const std::string&)> BreakPointHint;
};
TWestEntryHooks& WestEntryHooks();

// Puts a code at the selection. True when the code is a note value 1..7 or a
// rest (then a one-cell selection moves the cursor on, past a bar line).
bool AddWestNoteOrProp(int code, bool saveUndo, float position, bool redraw);
// Writes a note, rest or bar-line code into one cell at (col, row).
void PutWestCode(int code, TCell& cell, int col, int row, int noteIndex, float position);
void PlaceClef(TCell& cell, int clef);
void PlaceBarLine(TCell& cell, int code);
// Staff position of a typed letter a..g (A..G one octave lower) / of a scale
// degree 1..7 for the staff (and key) of the cursor row; 0 without a staff.
int LetterToStaffPos(int letter);
int DegreeToStaffPos(int degree);
bool SelectionHasOtherClef(int clef);
bool IsSingleWestNoteSelected();
void ChangeClef(int clef);
// Changes the clef of a row from col on (the selected columns, or the rest of
// the row with wholeRow), moving its notes so that they keep their pitch.
// oldClef 0 is filled with the clef in force.
void SetRowClef(int col, int row, int clef, int& oldClef, bool wholeRow);
int NewClefColumn(int row, int col);

// Applies one code to one cell of the current page and layer. Codes 100 and
// 114 leave in col the last column of the group they handled.
void WestNoteCommand(int code, TCell& cell, int& col, int row, float position);
// Toggles option bits (value ^ bits, then clear removed) on the whole chord, or
// on the note the held modifiers address.
void ToggleCellFlag(TCell& cell, uint32_t bits, uint32_t clear = 0);
void ToggleNoteFlag(TCell& cell, uint32_t bits, uint32_t clear = 0);
// One value step shorter (+1) or longer (-1) in the ring of quarter .. 1/128
// notes (or quarter .. 128th rests).
void StepWestValue(TCell& cell, int delta);
