#include "model/modTQNoteLetter.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/modTQCellAccess.h"
#include "model/modTQKeys.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQScan.h"
#include "model/modTQUtil.h"

namespace {

const char* const kLetters[7] = {"A", "B", "C", "D", "E", "F", "G"};
// Glyphs of the accidental kinds 1..9.
const char* const kAccidGlyphs[10] = {"", "k", "l", "n", "p", "o", "m", "q", "r", "s"};

// Letter index 0 (A) .. 6 (G) of a staff position under a clef cell.
int LetterIndex(const TCell& clef, int position) {
    const int v = GetClefCPos(clef.Note) - position + 2 * RoundToInt(clef.yAdj) + 72;
    return ((v % 7) + 7) % 7;
}

int AccidKind(uint32_t attr) {
    if (HasNoAccidKind(attr))
        return -1;
    return static_cast<int>(attr & 0xF);
}

// The accidental of a note at that position in one cell, -1 when the cell holds
// none: the main note, the notes of a chord, the small notes of a shrunk cell.
int CellAccidAt(const TCell& cell, int position) {
    if (!IsWestNoteCell(cell, 1))
        return -1;
    if (std::fabs(cell.yAdj - static_cast<float>(position)) < 0.01f) {
        int kind = AccidKind(cell.Attr);
        if (kind > 0)
            return kind;
    }
    // Chord item i stands its summed intervals above the main note.
    for (int i = 0; i < GetChordNoteCount(cell); ++i) {
        int kind = AccidKind(cell.westChordArray[static_cast<size_t>(i)].attr);
        if (GetChordNotePos(cell, i) == position && kind > 0)
            return kind;
    }
    if (IsShrinkCell(cell)) {
        for (const TCompressNote& item : cell.CompressNotes) {
            int kind = AccidKind(item.attr);
            if (IsWestNoteCode(item.code) && item.value == position && kind > 0)
                return kind;
        }
    }
    return -1;
}

} // namespace

int FindBarAccidentalInRow(int col, int /*row*/, const TCellRow& barRow, const TCellRow& noteRow, int position) {
    if (!frmMainTQ || col < 0)
        return -1;
    const int last = std::min({col, static_cast<int>(barRow.size()) - 1, static_cast<int>(noteRow.size()) - 1,
                               frmMainTQ->Cols - 1});
    for (int c = last; c >= 0; --c) {
        const TCell& bar = barRow[static_cast<size_t>(c)];
        if (IsBarLineCell(bar) || IsClefCell(bar))
            return -1;
        int kind = CellAccidAt(noteRow[static_cast<size_t>(c)], position);
        if (kind > 0)
            return kind;
    }
    return -1;
}

int FindBarAccidental(int col, int row, int position) {
    if (!IsValidCellPos(col, row))
        return -1;
    const TCellRow* west = RowAtAddress(row, -1, 0);
    if (!west)
        return -1;
    int kind = FindBarAccidentalInRow(col, row, *west, *west, position);
    if (kind > 0)
        return kind;
    if (frmMainTQ->HasJianpuPage()) {
        if (const TCellRow* other = RowAtAddress(row, -1, 1))
            return FindBarAccidentalInRow(col, row, *west, *other, position);
    }
    return -1;
}

std::string GetNoteLetter(int position, int col, int row, std::string& glyph) {
    glyph.clear();
    int clefCol = col;
    if (FindClefLeft(clefCol, row) == 0)
        return "";
    const TCell* clef = CellAtAddress(clefCol, row, -1, 0);
    if (!clef)
        return "";
    const int letter = LetterIndex(*clef, position);

    int accid = FindBarAccidental(col, row, position);
    if (accid <= 0) {
        SetKeyAccidTable(*clef);
        // An accidental symbol written after the header changes its letter for the row.
        const TCellRow* cells = RowAtAddress(row, -1, 0);
        int symbolCol = col - 1;
        if (cells && symbolCol > clefCol && FindAccidentalLeft(*cells, symbolCol)) {
            const TCell& symbol = (*cells)[static_cast<size_t>(symbolCol)];
            SetKeyAccidental(symbol.Note, symbol, *clef);
        }
        accid = KeyAccidentals[letter];
    }

    // Enharmonic names of the white keys.
    if (accid == 1 && (letter == 1 || letter == 4))
        return kLetters[letter + 1];           // B# -> C, E# -> F
    if (accid == 2 && (letter == 2 || letter == 5))
        return kLetters[letter - 1];           // Cb -> B, Fb -> E
    if (accid >= 1 && accid <= 9)
        glyph = kAccidGlyphs[accid];
    return kLetters[letter];
}

void SetKeyAccidental(int code, const TCell& cell, const TCell& clef) {
    const int letter = LetterIndex(clef, RoundToInt(cell.yAdj));
    if (code == 14)
        KeyAccidentals[letter] = 1;
    else if (code == 15)
        KeyAccidentals[letter] = 2;
    else if (code == 41)
        KeyAccidentals[letter] = 0;
}
