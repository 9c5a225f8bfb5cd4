#pragma once
// Western notes: heads of notes and chords (filled, half, whole; glyph or note
// image), ledger lines, dots, flags, head colours; the signs that belong to a
// head (accidentals, parentheses, ties, articulation marks); and the groups of
// small notes packed into one cell.
//
// Units: xu is the column width and yu the row height in pixels (reduced in a
// reduced-size run); f is the cell's fontSizeR and g the drawing object's size
// factor. Staff positions count steps of yu / 8 downwards from the middle line.
//
// Drawing writes back, into the drawn grid cell, where it drew: upNote (head
// centre x), FontStyle (a head y), FontCharset (stem-end y), the headY of chord
// items and the headX of small notes. Nothing else of the score changes.
#include <string>
#include <vector>

#include "model/modTQCell.h"
#include "platform/gui/TQCanvas.h"
#include "render/modTQDrawBase.h"

class TDrawEngine;
class TBitmap;

// The edit-layer highlight colour while the layer shown by the layer button is
// drawn, else the other-layer highlight colour.
TColor GetHighlightColor(const TDrawBaseObj* d);

// --- notes and chords ---
// A Western note or chord cell at (x, y); owner is the cell being drawn (for a
// small note, the cell that holds it). Returns its stem (all 0 when nothing was drawn).
TFPoint4 DrawWesternNote(TDrawEngine* d, float x, float y, int col, int row, TCell& cell, const TCell& owner);
// The heads of a note or chord; returns their box.
TRect DrawWestChord(TDrawEngine* d, float x, float y, int col, int row, TCell& cell, const TCell& owner);
// One head: i -1 the main note, else chord item i; m the main position, pos
// this head's; shift non-zero: on the other side of the stem.
TRect DrawWestHead(TDrawEngine* d, float x, float y, int i, int col, int row, TCell& cell, const TCell& owner,
                   int m, int pos, float shift, bool anyShift);
TRect DrawFilledHead(TDrawEngine* d, float x, float y, const TCell& cell, const TCell& owner, uint32_t option,
                     float shift);
TRect DrawHalfHead(TDrawEngine* d, float x, float y, const TCell& cell, uint32_t option, float shift);
TRect DrawWholeHead(TDrawEngine* d, float x, float y, const TCell& cell, uint32_t option, float shift);
void DrawFilledHeadGlyph(TDrawEngine* d, float x, float y, uint32_t option, const TCell& cell);
void DrawHalfHeadGlyph(TDrawEngine* d, float x, float y, uint32_t option, const TCell& cell);
void DrawWholeHeadGlyph(TDrawEngine* d, float x, float y, uint32_t option, const TCell& cell);
// Ledger lines of a head at staff position pos (|pos| >= 6).
void DrawLedgerLines(TDrawEngine* d, float x, float y, int pos, const TCell& cell);
// Slots of the lines and spaces of 2 lines + 1 places that hold a chord head a
// second from its neighbour; true when there is any.
bool MarkLedgerSeconds(const TCell& cell, int pos, std::vector<int>& slots);
void DrawWestDots(TDrawEngine* d, int col, int row, int parity, int i, float right, float y, int m, int pos,
                  uint32_t option, bool anyShift, const TCell& cell);
// The flags of an unbeamed note from its stem point.
void DrawNoteFlags(TDrawEngine* d, const TFPoint4& stem, const TCell& cell);
// The flag picture of a name ("UpTail", "DnTail2" ...) in the current colour.
const TBitmap* WestFlagImage(TDrawEngine* d, const std::string& name);
// The sharp or flat colour of a note on a black key (black set), else the drawing colour.
TColor GetAccidentalNoteColor(TDrawEngine* d, int pos, uint32_t attr, int col, int row, bool& black);
bool CanShiftChordSecond(TDrawEngine* d, const TCell& cell, int k);
// Staff position beyond which a cross-staff head belongs to the other staff.
int GetCrossStaffLimit(const TCell& cell);
// P[0] the main position, P[k + 1] = P[k] - interval k.
std::vector<int> GetChordHeadPositions(const TCell& cell);
// Ledger lines at the partner staff for the heads of a cross-staff chord.
void DrawCrossStaffChord(TDrawEngine* d, int col, int row, float x, const TCell& cell);

// --- signs of a head ---
// The accidental (Attr low nibble 1..9) of a head, at its anchor left of the head.
void DrawHeadAccidental(TDrawEngine* d, float ax, float y, const TCell& cell, int kind);
// A Western cell whose Note is an accidental symbol code.
void DrawAccidentalSymbolNote(TDrawEngine* d, float x, float y, const TCell& cell);
void DrawHeadParentheses(TDrawEngine* d, float x, float y, const TCell& cell);
// The tie from this cell's note back to the note at (col, row).
void DrawWesternTie(TDrawEngine* d, float x, float y, int col, int row, const TCell& cell);
// The left edge of the accidental a Western note cell draws left of its head,
// in columns from the cell's left edge (below 0: it reaches into the column
// before); 1 where it draws none.
float HeadSignLeft(const TCell& note);
// Fermata-like mark, staccato, accent and tenuto of a chord at (col, row), from
// its stem point. Marks that belong on the head side go to the stem side where
// the note of the neighbouring staff in that column fills the room between.
void DrawChordOrnaments(TDrawEngine* d, int col, int row, float x, const TFPoint4& stem, const TCell& cell);

// --- small notes of one cell ---
void DrawWesternNoteGroup(TDrawEngine* d, float x, float y, int col, int row, TCell& cell);
void DrawCompressedWestNote(TDrawEngine* d, float x, float y, int k, TCell& cell, std::vector<TCell>& notes,
                            int col, int row);
