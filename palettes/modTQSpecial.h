#pragma once
// What the Special Symbols palette writes: stacked symbols in the three code
// slots of a cell (Note bottom, FontColor middle, upNote top), accidentals and
// note flags on notes, percussion syllables, octave dots.
#include <cstdint>

#include "model/modTQCell.h"

// The palette's position buttons (btnOnBot, btnOnMid, btnOnTop).
enum TSymbolPosition { spBottom = 0, spMiddle = 1, spTop = 2 };
TSymbolPosition& SymbolPosition();

void InsertSpecialSymbol(int code);
void WriteSymbolToCell(int code, TCell& cell, bool westRow, bool single);
void PlaceInSymbolSlot(TCell& cell, int code);
uint32_t ApplyNoteFlagSymbol(int code, uint32_t option);
// value 1..15 works on the low nibble of Attr, 16..240 on the second.
void ToggleNoteAttr(uint32_t value);
void SetOctaveDots(int dots);
// slot -1 Note, 0 FontColor, 1 upNote.
void DeleteSymbolSlot(int slot);
// btnMoveAlteratr: the side of the cursor note's accidental (the note the
// modifier keys choose) steps through none, 0x800000, 0x1000000, both.
void MoveAccidentalSide();
