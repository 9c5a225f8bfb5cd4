#pragma once
// Reading a cell of the current score, returning a cell to its empty state, and
// the packed parts of a cell: attribute nibbles, flag words, play-adjustment
// bytes, the small-note list and the Western chord list.
//
// Cells are read through the current score (frmMainTQ, CurLayer). A cell address
// is (column, row, layer, page); -1 for layer or page means the current one.
//
// Chord positions are staff steps (ints, truncated toward zero from yAdj). Item k
// of westChordArray lies SumChordOffsets(cell, k) steps above the main note, so
// the main note is the lowest note and item 0 its upper neighbour.
#include <cstdint>
#include <vector>

#include "model/modTQCell.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"

// ---- Cell access ----

// Copies the cell at (col, row) of a layer and page into cell. A column at or
// beyond Cols or a row at or beyond Rows reads the last grid cell
// (Cols - 1, Rows - 1) of that layer and page instead. A negative column or row,
// a layer other than 0, 1 or -1, a page that does not exist, or no current score
// gives the reset cell and false.
bool GetCell(TCell& cell, int col, int row, int layer = -1, int page = -1);
// The cell GetCell would copy, read in place: nullptr where GetCell gives the
// reset cell. The pointer holds until the page's rows are changed in shape.
inline const TCell* PeekCell(int col, int row, int layer = -1, int page = -1) {
    if (!frmMainTQ || col < 0 || row < 0)
        return nullptr;
    if (col >= frmMainTQ->Cols || row >= frmMainTQ->Rows) {
        col = frmMainTQ->Cols - 1;
        row = frmMainTQ->Rows - 1;
    }
    return CellAtAddress(col, row, page, layer);
}
// A cell in the state ResetCell leaves (what GetCell gives for no cell).
const TCell& ResetStateCell();
// The cell at the cursor (SelCol0, SelRow0) of the current page and layer.
bool GetCursorCell(TCell& cell);

// Puts the cell into the empty state. The small-note list is kept when asked;
// the chord list is always emptied.
void ResetCell(TCell& cell, bool keepCompressNotes = false);
// ResetCell on a cell of the current page and layer; false (nothing changed)
// when the address is outside the grid.
bool ResetCellAt(int col, int row, bool keepCompressNotes = false);

inline int GetCompressNoteCount(const TCell& cell) { return static_cast<int>(cell.CompressNotes.size()); }
inline int GetChordNoteCount(const TCell& cell) { return static_cast<int>(cell.westChordArray.size()); }
inline bool IsStemFlipped(const TCell& cell) { return (cell.option & 0x1u) != 0; }

// ---- The attribute word (Attr); -1 means no attribute ----

// Stores value into the nibble its size selects (<= 0xF low, <= 0xF0 second,
// <= 0xF00 third, <= 0xF000 fourth), clearing that nibble first. Returns the word.
uint32_t SetAttrNibble(uint32_t& attr, uint32_t value);
// value <= 0xF clears the low nibble, <= 0xF0 the second; others change nothing.
void ClearAttrNibble(uint32_t& attr, uint32_t value);
// Clears the nibble when the word holds that value there (AttrHasNibble), else sets it.
void ToggleAttrNibble(uint32_t& attr, uint32_t value);
bool AttrLowNibbleIs(uint32_t attr, int v);
// An accidental that changes the pitch: low nibble 1..9 other than 3 (natural).
bool IsAlteringAccid(uint32_t attr);
// No accidental kind: -1, or a low nibble of 0 or above 9.
bool HasNoAccidKind(uint32_t attr);
// Accidental kind a palette symbol puts into the low nibble (0 for other symbols).
int SymbolToAccidKind(int symbolCode);
// Toggles value (ToggleAttrNibble) on one note of the cell: index 0 all notes,
// then the main note (chords) and the chord or small notes by position.
void SetNoteAttr(TCell& cell, int noteIndex, uint32_t value);

// ---- Flag words ----

uint32_t SetFlagBits(uint32_t value, uint32_t mask, int on);
uint32_t ToggleFlagBits(uint32_t value, uint32_t bits, uint32_t clearMask);
// none -> 0x8 (dotted) -> 0x40 (double-dotted) -> none.
uint32_t CycleDotFlags(uint32_t option);
// The two-bit mark in 0x400/0x800: 0 -> 3 -> 2 -> 1 -> 0.
uint32_t CycleTwoBitMark(uint32_t option);
// Position of an ornament's sign in 0x800000 (A) / 0x1000000 (B). Direction -1:
// none -> A -> B -> A+B -> none; direction 1 the other way; others: unchanged.
uint32_t StepSignPosition(uint32_t option, int direction);
// Steps (direction -1) the sign position of one note of the cell; index 0 does nothing.
void MoveSignToOtherSide(TCell& cell, int noteIndex);
// 0 Jianpu sounding cell or Western note, 1 the trill text symbol, 2/3/4 an
// ornament symbol in Note/upNote/FontColor, -1 none.
int GetOrnamentClass(const TCell& cell);

// ---- Play-adjustment bytes (AdvPlay); percent is stored as one byte, held to 0..255 ----

void SetCellCredAdj(TCell& cell, int percent);   // byte 0, crescendo rate
void SetCellVolAdj(TCell& cell, int percent);    // byte 1, note volume
void SetCellRitArpAdj(TCell& cell, int percent); // byte 2, ritardando/arpeggio rate

// ---- Small-note list (CompressNotes) ----

// The item becomes the cell's main note: Note, option, Attr, dot; cellType 0.
void CompressNoteToCell(const TCompressNote& item, TCell& cell);
// out = a copy of cell whose main note is item index (yAdj from its value on a
// Western cell, UL on any other). An index outside the list gives a plain copy.
void MakeCompressNoteCell(const TCell& cell, int index, TCell& out);
void CellToCompressNote(const TCell& cell, TCompressNote& item);
// n < 2: n. Else 1 + the index of the item holding the n-th note; 1 when fewer.
int FindCompressNoteIndex(int n, const TCell& cell);

// ---- Western chord (westChordArray) ----

// Sum of the intervals of items 0..index (-1: all); 0 for an empty list or index < -1.
int SumChordOffsets(const TCell& cell, int index);
// index < 0: the main note; else the position of chord item index.
int GetChordNotePos(const TCell& cell, int index);
// Position of the chord item k places from the far end; k = count: the main note.
int GetChordNotePosFromEnd(const TCell& cell, int k);
// out gets count + 1 entries: out[count] = the main note, out[i] = out[i + 1] - interval i.
void GetChordPositions(const TCell& cell, std::vector<int>& out);
// -2 without chord items; i - 1 when -1 <= i - 1 < count; else count - 1.
int ClampChordIndex(const TCell& cell, int i);
// out = the cell without chord items, at the position and with the Attr of the
// note k places from the far end (k = count: the main note). Returns count - k - 1.
int ExtractChordNote(const TCell& cell, int k, TCell& out);
// out = the cell with Attr and option of item index and yAdj = position - its
// interval; position becomes that value, so successive calls walk the chord.
void MakeWestChordNoteCell(const TCell& cell, int index, TCell& out, int& position);
void CellToWestChordItem(const TCell& cell, TWestChord& item);
// One representative staff position of a multi-note Western cell: the mean of the
// main note and its chord notes; for a cell with small notes the mean of the small
// notes that hold a Western note code (1..9). Truncated toward zero.
int GetChordCentre(const TCell& cell);
