#pragma once
// Questions about one grid cell, or about a code a cell may hold: is it a note,
// a rest, a bar line, a clef, empty, a dot, a grace or shrunk note, a slur mark.
// Every other part of the program asks these functions, so the code sets below
// decide what counts as a note, a bar line or an empty cell everywhere.
//
// Nothing here writes anything. The functions ending in At read a cell of the
// current score (frmMainTQ, CurLayer); an address that is not on the grid gives
// false, never a read outside the grid.
#include <cstdint>

#include "model/modTQCell.h"

// ---- Grid access used by the address forms ----

// The cell at (col, row) of a page of a layer of the current score; page and
// layer -1 mean the current ones. nullptr when there is no current score or the
// address lies outside the allocated page (the spare row and column are inside).
const TCell* CellAtAddress(int col, int row, int page = -1, int layer = -1);
// The row vector of a page of a layer (-1 = current); nullptr when it does not exist.
const TCellRow* RowAtAddress(int row, int page = -1, int layer = -1);
// Resolves page -1 / layer -1 to the current page / layer.
int ResolvePage(int page);
int ResolveLayer(int layer);

// ---- Codes and characters ----

bool IsJianpuDigit(int code);        // '0'..'7'
bool IsJianpuNoteDigit(int code);    // '1'..'7'
bool IsJianpuNoteChar(int code);     // '0'..'7', dot (-73), 'X', 'x', '*'
bool IsJianpuNoteOrBlank(int code);  // a Jianpu note character or a blank
bool IsJianpuInputChar(int code);    // a Jianpu note character, ' ', '.', ',', '\'', '_'
bool IsJianpuLineChar(int ch, bool strict);
bool IsDigitChar(int ch);            // '0'..'9'
bool IsBarLineChar(int ch);          // bar-line characters as typed: | i I : ; l
bool IsBarLineCode(int code);        // bar-line codes as stored: 58..63, 173, 177
bool IsBarLineMarkType(int markType);
bool IsMarkType71Or73Or25(int markType);
bool IsWestNoteCode(int code);       // 1..9
bool IsWestRestCode(int code);       // 19..27, 87
bool IsWestValueCode(int code);      // a Western note or rest code
bool IsFlaggedWestNoteCode(int code); // 4..9: eighth and shorter
bool IsValueCode(int code, bool west);
bool IsAccidentalSymbolCode(int code);
bool IsOrnamentCode(int code);
bool IsPercussionSyllableCode(int code);
bool IsKeyIndex0To5Or13Or14(int key);
bool IsClefCode(int code);           // -1..-7 and -15

// ---- The attribute word; -1 (all bits) has no nibble at all ----

constexpr uint32_t kNoAttr = 0xFFFFFFFFu;
bool IsLowNibbleSet(uint32_t attr);
bool IsHighNibbleSet(uint32_t attr);
bool IsLowByteSet(uint32_t attr);
bool IsVerticalAttr(uint32_t attr);
bool AttrHasNibble(uint32_t attr, uint32_t v);

// ---- Cell tests ----

bool IsEmptyCell(const TCell& c);
bool IsBlankNoteCell(const TCell& c);
bool IsJianpuSound(const TCell& c);
bool IsJianpuNoteCell(const TCell& c);
bool IsJianpuXNote(const TCell& c);
bool IsJianpuDigitFrom(const TCell& c, int lowest);
bool IsDotCell(const TCell& c);
bool IsDotted(const TCell& c);
bool IsWestNoteCell(const TCell& c, int minCode = 1);
bool IsWestRestCell(const TCell& c);
bool IsWestShortRestCell(const TCell& c);
bool IsWestNoteOrRest(const TCell& c, int minCode = 1);
bool HasWestChordNotes(const TCell& c);
bool IsSmallWestNoteCell(const TCell& c);
bool IsClefCell(const TCell& c);
bool IsNoteOrRestCell(const TCell& c);
bool IsNoteCell(const TCell& c);
bool IsRestCell(const TCell& c);
bool IsBarLineCell(const TCell& c);
bool IsBarLineCellNotRowEnd(const TCell& c);
bool IsBarMarkCell(const TCell& c);
bool IsSlurMarkCell(const TCell& c);
bool IsTupletMarkCell(const TCell& c);
bool IsSlurOrTupletMarkCell(const TCell& c);
bool IsVerticalCell(const TCell& c);
bool IsShrinkCell(const TCell& c);
bool IsGraceCell(const TCell& c);
bool IsGraceNoteCell(const TCell& c);
bool IsSmallNoteCell(const TCell& c);
bool HasUpNote(const TCell& c);
bool HasUpNoteKind1(const TCell& c);
bool IsTrillTextCell(const TCell& c);
bool IsOrnamentCell(const TCell& c, int kind);
bool HasSymbolCode(const TCell& c, int code);
bool IsPercussionSyllableCell(const TCell& c);
bool IsTimeSignatureCell(const TCell& c);
bool IsJianpuKeyTextCell(const TCell& c);
bool IsLayerStructureCell(const TCell& c);
bool IsColorableCell(const TCell& c);

// ---- Address forms (current page and layer unless an argument says otherwise) ----

bool IsValidCellPos(int col, int row);
bool IsJianpuSoundAt(int col, int row, int page, int layer);
bool IsJianpuNoteAt(int col, int row);
bool IsWestNoteAt(int col, int row, int minCode);
bool IsWestNoteOrRestAt(int col, int row, int minCode);
bool IsWestRestAt(int col, int row);
bool IsNoteOrRestAt(int col, int row);
bool IsEmptyCellAt(int col, int row);
bool IsShrinkCellAt(int col, int row);
bool HasUpNoteKind1At(int col, int row);
bool IsBarLineAt(int col, int row, int page);      // reads layer 0
bool IsSlurMarkAt(int col, int row, int layer);
bool IsWestAccidentalAt(int col, int row);
bool IsClefChangeAt(int col, int row);
bool IsBackgroundImageCell(int col, int row, int layer, int page);
bool IsSameNotesAt(int colA, int rowA, int colB, int rowB, bool compareDuration);

// ---- Comparisons and short scans around one cell ----

bool IsSameNotes(const TCell& a, const TCell& b, bool compareDuration);
bool IsSameWestNotes(const TCell& a, const TCell& b, bool compareDuration);
bool IsSameJianpuNotes(const TCell& a, const TCell& b, bool compareDuration);
bool IsDottedAt(int col, int row);
bool IsDottedJianpuNoteAt(int col, int row);
// Whether the note at (col, row) lies in a combined-tail group; startCol gets the
// group's first column, or -1 when the cell itself ends the group or none was found.
bool FindCombineTailStart(int col, int row, int& startCol);
bool IsInCombineTailGroup(int col, int row);
