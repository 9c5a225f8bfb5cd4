#pragma once
// Questions about one grid cell, or about a code a cell may hold: is it a note,
// a rest, a bar line, a clef, empty, a dot, a grace or shrunk note, a slur mark.
// Every other part of the program asks these functions, so the code sets below
// decide what counts as a note, a bar line or an empty cell everywhere.
//
// Nothing here writes anything. The functions ending in At read a cell of the
// current score (frmMainTQ, CurLayer); an address that is not on the grid gives
// false, never a read outside the grid.
#include <cstddef>
#include <cstdint>

#include "model/modTQCell.h"
#include "model/modTQMainScore.h"

// ---- Grid access used by the address forms ----

// Inline: the scans over whole rows and pages (drawing, the play-list build)
// ask for cells many times over.

// Resolves page -1 / layer -1 to the current page / layer.
inline int ResolvePage(int page) {
    if (page == -1 && frmMainTQ)
        return frmMainTQ->CurPage;
    return page;
}
inline int ResolveLayer(int layer) { return layer == -1 ? CurLayer : layer; }

// The row vector of a page of a layer (-1 = current); nullptr when it does not exist.
inline const TCellRow* RowAtAddress(int row, int page = -1, int layer = -1) {
    if (!frmMainTQ)
        return nullptr;
    page = ResolvePage(page);
    layer = ResolveLayer(layer);
    if (layer < 0 || layer > 1 || page < 0 || row < 0)
        return nullptr;
    const TLayer& pages = frmMainTQ->PageSets[static_cast<std::size_t>(layer)];
    if (static_cast<std::size_t>(page) >= pages.size())
        return nullptr;
    const TPage& rows = pages[static_cast<std::size_t>(page)];
    if (static_cast<std::size_t>(row) >= rows.size())
        return nullptr;
    return &rows[static_cast<std::size_t>(row)];
}

// The cell of a row that RowAtAddress gave (nullptr: none).
inline const TCell* CellOfRow(const TCellRow* cells, int col) {
    if (!cells || col < 0 || static_cast<std::size_t>(col) >= cells->size())
        return nullptr;
    return &(*cells)[static_cast<std::size_t>(col)];
}

// The cell at (col, row) of a page of a layer of the current score; page and
// layer -1 mean the current ones. nullptr when there is no current score or the
// address lies outside the allocated page (the spare row and column are inside).
inline const TCell* CellAtAddress(int col, int row, int page = -1, int layer = -1) {
    return CellOfRow(RowAtAddress(row, page, layer), col);
}

// ---- Codes and characters ----

inline bool IsJianpuDigit(int code);        // '0'..'7'
inline bool IsJianpuNoteDigit(int code);    // '1'..'7'
inline bool IsJianpuNoteChar(int code);     // '0'..'7', dot (-73), 'X', 'x', '*'
inline bool IsJianpuNoteOrBlank(int code);  // a Jianpu note character or a blank
inline bool IsJianpuInputChar(int code);    // a Jianpu note character, ' ', '.', ',', '\'', '_'
inline bool IsJianpuLineChar(int ch, bool strict);
inline bool IsDigitChar(int ch);            // '0'..'9'
inline bool IsBarLineChar(int ch);          // bar-line characters as typed: | i I : ; l
inline bool IsBarLineCode(int code);        // bar-line codes as stored: 58..63, 173, 177
inline bool IsBarLineMarkType(int markType);
inline bool IsMarkType71Or73Or25(int markType);
inline bool IsWestNoteCode(int code);       // 1..9
inline bool IsWestRestCode(int code);       // 19..27, 87
inline bool IsWestValueCode(int code);      // a Western note or rest code
inline bool IsFlaggedWestNoteCode(int code); // 4..9: eighth and shorter
inline bool IsValueCode(int code, bool west);
inline bool IsAccidentalSymbolCode(int code);
inline bool IsOrnamentCode(int code);
inline bool IsPercussionSyllableCode(int code);
inline bool IsKeyIndex0To5Or13Or14(int key);
inline bool IsClefCode(int code);           // -1..-7 and -15

// ---- The attribute word; -1 (all bits) has no nibble at all ----

constexpr uint32_t kNoAttr = 0xFFFFFFFFu;
inline bool IsLowNibbleSet(uint32_t attr);
inline bool IsHighNibbleSet(uint32_t attr);
inline bool IsLowByteSet(uint32_t attr);
inline bool IsVerticalAttr(uint32_t attr);
inline bool AttrHasNibble(uint32_t attr, uint32_t v);

// ---- Cell tests ----

inline bool IsEmptyCell(const TCell& c);
inline bool IsBlankNoteCell(const TCell& c);
inline bool IsJianpuSound(const TCell& c);
inline bool IsJianpuNoteCell(const TCell& c);
inline bool IsJianpuXNote(const TCell& c);
inline bool IsJianpuDigitFrom(const TCell& c, int lowest);
inline bool IsDotCell(const TCell& c);
inline bool IsDotted(const TCell& c);
inline bool IsWestNoteCell(const TCell& c, int minCode = 1);
inline bool IsWestRestCell(const TCell& c);
inline bool IsWestShortRestCell(const TCell& c);
inline bool IsWestNoteOrRest(const TCell& c, int minCode = 1);
inline bool HasWestChordNotes(const TCell& c);
inline bool IsSmallWestNoteCell(const TCell& c);
inline bool IsClefCell(const TCell& c);
inline bool IsNoteOrRestCell(const TCell& c);
inline bool IsNoteCell(const TCell& c);
inline bool IsRestCell(const TCell& c);
inline bool IsBarLineCell(const TCell& c);
inline bool IsBarLineCellNotRowEnd(const TCell& c);
inline bool IsBarMarkCell(const TCell& c);
inline bool IsSlurMarkCell(const TCell& c);
inline bool IsTupletMarkCell(const TCell& c);
inline bool IsSlurOrTupletMarkCell(const TCell& c);
inline bool IsVerticalCell(const TCell& c);
inline bool IsShrinkCell(const TCell& c);
inline bool IsGraceCell(const TCell& c);
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

// ---- Definitions of the small tests above (inline: the scans of whole rows
// and pages ask them for every cell) ----

namespace cellpred {
inline constexpr int kDotChar = -73; // augmentation dot 0xB7, sign-extended
inline constexpr uint32_t kStyleMask = 0xF0;
inline constexpr uint32_t kStyleShrunk = 0xA0;
inline constexpr uint32_t kStyleVertical = 0xB0;
inline constexpr uint32_t kDotBits = 0x8 | 0x40;
inline bool HasStyle(uint32_t attr, uint32_t style) { return attr != kNoAttr && (attr & kStyleMask) == style; }
inline bool HasGraceStyle(uint32_t attr) { return HasStyle(attr, 0xC0) || HasStyle(attr, 0xD0); }
} // namespace cellpred

// ---------------------------------------------------------------------------
// Codes and characters

inline bool IsJianpuDigit(int code) { return code >= '0' && code <= '7'; }
inline bool IsJianpuNoteDigit(int code) { return code >= '1' && code <= '7'; }

inline bool IsJianpuNoteChar(int code) {
    return IsJianpuDigit(code) || code == cellpred::kDotChar || code == 'X' || code == 'x' || code == '*';
}

inline bool IsJianpuNoteOrBlank(int code) { return IsJianpuNoteChar(code) || code == ' '; }

inline bool IsJianpuInputChar(int code) {
    return IsJianpuNoteChar(code) || code == ' ' || code == '.' || code == ',' || code == '\'' ||
           code == '_';
}

inline bool IsJianpuLineChar(int ch, bool strict) {
    if (IsJianpuDigit(ch) || IsBarLineChar(ch))
        return true;
    switch (ch) {
    case ' ': case '.': case '*': case '(': case ')': case '-':
        return true;
    case 'x': case 'X':
        return !strict;
    default:
        return false;
    }
}

inline bool IsDigitChar(int ch) { return ch >= '0' && ch <= '9'; }

inline bool IsBarLineChar(int ch) {
    return ch == '|' || ch == 'i' || ch == 'I' || ch == ':' || ch == ';' || ch == 'l';
}

inline bool IsBarLineCode(int code) { return (code >= 58 && code <= 63) || code == 173 || code == 177; }

inline bool IsBarLineMarkType(int markType) {
    return markType == 29 || markType == 30 || markType == 71 || markType == 93 ||
           markType == 54191118;
}

inline bool IsMarkType71Or73Or25(int markType) {
    return markType == 71 || markType == 73 || markType == 25;
}

inline bool IsWestNoteCode(int code) { return code >= 1 && code <= 9; }
inline bool IsWestRestCode(int code) { return (code >= 19 && code <= 27) || code == 87; }
inline bool IsWestValueCode(int code) { return IsWestNoteCode(code) || IsWestRestCode(code); }
inline bool IsFlaggedWestNoteCode(int code) { return code >= 4 && code <= 9; }
inline bool IsValueCode(int code, bool west) { return west ? IsWestValueCode(code) : IsJianpuDigit(code); }

inline bool IsAccidentalSymbolCode(int code) {
    switch (code) {
    case 14: case 15: case 41: case 119: case 120: case 121: case 147: case 148: case 149:
        return true;
    default:
        return false;
    }
}

inline bool IsOrnamentCode(int code) {
    switch (code) {
    case 4: case 88: case 107: case 108: case 141: case 142: case 143:
        return true;
    default:
        return false;
    }
}

inline bool IsPercussionSyllableCode(int code) { return code >= 10000 && code <= 10029; }

inline bool IsKeyIndex0To5Or13Or14(int key) { return (key >= 0 && key <= 5) || key == 13 || key == 14; }

// -7 is a clef like the others (the row-header clefs run -1..-7); -15 is the row
// header without a key signature.
inline bool IsClefCode(int code) { return (code >= -7 && code <= -1) || code == -15; }

// ---------------------------------------------------------------------------
// The attribute word

inline bool IsLowNibbleSet(uint32_t attr) { return attr != kNoAttr && (attr & 0xF) != 0; }
inline bool IsHighNibbleSet(uint32_t attr) { return attr != kNoAttr && (attr & 0xF0) != 0; }
inline bool IsLowByteSet(uint32_t attr) { return attr != kNoAttr && (attr & 0xFF) != 0; }
inline bool IsVerticalAttr(uint32_t attr) { return cellpred::HasStyle(attr, cellpred::kStyleVertical); }

inline bool AttrHasNibble(uint32_t attr, uint32_t v) {
    if (attr == kNoAttr)
        return false;
    if (v < 16)
        return (attr & 0xF) == v;
    if (v <= 240)
        return (attr & 0xF0) == v;
    return false;
}

// ---------------------------------------------------------------------------
// Cell tests

inline bool IsEmptyCell(const TCell& c) {
    if (c.Note != 32)
        return false;
    if (c.cellType == ctJianpu && (c.upNote != 32 || c.FontColor != 32))
        return false;
    return c.CompressNotes.empty() && c.westChordArray.empty() && c.markType == 0 && c.UL == 0 &&
           c.Text.empty();
}

inline bool IsBlankNoteCell(const TCell& c) {
    return c.cellType == ctJianpu && c.Note == 32 && c.upNote == 32 && c.CompressNotes.empty() &&
           c.westChordArray.empty();
}

inline bool IsJianpuSound(const TCell& c) {
    if (c.cellType == ctJianpu &&
        (IsJianpuNoteChar(c.Note) || IsVerticalAttr(c.Attr) || cellpred::HasStyle(c.Attr, cellpred::kStyleShrunk) ||
         c.markType == 87))
        return true;
    return cellpred::HasGraceStyle(c.Attr);
}

inline bool IsJianpuNoteCell(const TCell& c) {
    if (c.cellType == ctJianpu &&
        (IsJianpuNoteDigit(c.Note) || IsVerticalAttr(c.Attr) || cellpred::HasStyle(c.Attr, cellpred::kStyleShrunk)))
        return true;
    return cellpred::HasGraceStyle(c.Attr) || c.Note == '*';
}

inline bool IsJianpuXNote(const TCell& c) {
    return c.cellType == ctJianpu && (c.Note == 'x' || c.Note == 'X');
}

inline bool IsJianpuDigitFrom(const TCell& c, int lowest) {
    return c.cellType == ctJianpu && c.Note >= lowest && c.Note < '8';
}

inline bool IsDotCell(const TCell& c) {
    if (c.Note == cellpred::kDotChar)
        return true;
    return IsVerticalCell(c) && !c.CompressNotes.empty() && c.CompressNotes.front().code == cellpred::kDotChar;
}

inline bool IsDotted(const TCell& c) { return (c.option & cellpred::kDotBits) != 0; }

inline bool IsWestNoteCell(const TCell& c, int minCode) {
    return c.cellType == ctWestern &&
           ((c.Note >= minCode && c.Note < 10) || !c.CompressNotes.empty());
}

inline bool IsWestRestCell(const TCell& c) { return c.cellType == ctWestern && IsWestRestCode(c.Note); }

inline bool IsWestShortRestCell(const TCell& c) {
    return c.cellType == ctWestern && c.Note >= 22 && c.Note <= 27;
}

inline bool IsWestNoteOrRest(const TCell& c, int minCode) {
    return IsWestNoteCell(c, minCode) || IsWestRestCell(c);
}

inline bool HasWestChordNotes(const TCell& c) { return !c.westChordArray.empty(); }

inline bool IsSmallWestNoteCell(const TCell& c) { return IsWestNoteOrRest(c, 1) && c.fontSizeR < 0.7f; }

inline bool IsClefCell(const TCell& c) { return c.cellType == ctWestern && IsClefCode(c.Note); }

inline bool IsNoteOrRestCell(const TCell& c) { return IsWestNoteOrRest(c, 1) || IsJianpuSound(c); }

inline bool IsNoteCell(const TCell& c) { return IsJianpuNoteCell(c) || IsWestNoteCell(c, 1); }

inline bool IsRestCell(const TCell& c) {
    return (c.cellType == ctJianpu && c.Note == '0') || IsWestRestCell(c);
}

inline bool IsBarLineCell(const TCell& c) { return IsBarLineCode(c.Note) || IsBarLineMarkType(c.markType); }

// 63 is the thick bar line that ends a row.
inline bool IsBarLineCellNotRowEnd(const TCell& c) { return IsBarLineCell(c) && c.Note != 63; }

inline bool IsBarMarkCell(const TCell& c) {
    switch (c.markType) {
    case 28: case 29: case 30: case 71: case 72: case 73: case 93: case 54191118:
        return true;
    default:
        return false;
    }
}

inline bool IsSlurMarkCell(const TCell& c) {
    switch (c.markType) {
    case 1: case 2: case 3: case 39: case 40: case 41: case 81:
        return true;
    default:
        return false;
    }
}

inline bool IsTupletMarkCell(const TCell& c) { return c.markType == 56 || c.markType == 86; }

inline bool IsSlurOrTupletMarkCell(const TCell& c) { return IsSlurMarkCell(c) || IsTupletMarkCell(c); }

inline bool IsVerticalCell(const TCell& c) { return IsVerticalAttr(c.Attr); }

inline bool IsShrinkCell(const TCell& c) { return cellpred::HasStyle(c.Attr, cellpred::kStyleShrunk); }

inline bool IsGraceCell(const TCell& c) { return cellpred::HasGraceStyle(c.Attr); }
