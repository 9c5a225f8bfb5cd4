#include "model/modTQKeys.h"

#include <algorithm>
#include <cstring>

#include "model/modTQCellAccess.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"

int8_t KeyAccidentals[7] = {};
int8_t BarAccidentals[9][7] = {};

// ---- Durations ----

int ValueToRestCode(int value) { return value + 19; }
int RestCodeToValue(int code) { return code - 19; }

int GetCellDurLevel(bool isWest, const TCell& cell) {
    if (isWest) {
        const int code = cell.Note;
        if (code >= 22 && code <= 27)
            return code - 22;
        if (code == 20)
            return -2;
        if (code == 21)
            return -1;
        if (code == 19)
            return -4;
        return code - 3;
    }
    if (cell.markType == 87)
        return -4 * cell.markHAdj;
    return cell.UL;
}

int GetCellTicks(const TCell& cell) {
    const int level = GetCellDurLevel(IsWestNoteOrRest(cell, 1), cell);
    const int shift = 5 - level;
    // 2^shift truncated to an int: a fraction below one tick is 0; shifts past
    // the int range saturate instead of overflowing.
    if (shift < 0)
        return 0;
    if (shift > 30)
        return 1 << 30;
    return 1 << shift;
}

int GetCellNoteValue(bool isWest, int col, int row, int& dots) {
    dots = 0;
    if (!IsValidCellPos(col, row))
        return 0;
    TCell cell;
    GetCell(cell, col, row, -1, -1);
    if (cell.option & 0x40u)
        dots = 2;
    else if (cell.option & 0x8u)
        dots = 1;
    if (isWest) {
        const int code = cell.Note;
        if (code >= 22 && code <= 27)
            return code - 19;
        if (code == 19 || code == 20)
            return 1;
        if (code == 21)
            return 2;
        return code;
    }
    if (cell.UL > 0)
        return cell.UL + 3;
    int dashes = 0;
    TCell next;
    for (int c = col + 1; c < frmMainTQ->Cols; ++c) {
        GetCell(next, c, row, -1, -1);
        if (IsJianpuNoteCell(next) || IsBarLineCell(next))
            break;
        if (next.Note == -106)
            ++dashes;
        else if (next.Note == -73)
            ++dots;
    }
    if (dashes == 0)
        return 3;
    if (dashes == 1)
        return 2;
    if (dashes == 2) {
        ++dots;
        return 2;
    }
    return 1;
}

// ---- Accidentals written as symbols ----

int SymbolToAlteration(int symbolCode) {
    switch (symbolCode) {
    case 14: return 1;
    case 15: return -1;
    case 121: return 2;
    case 120: return -2;
    case 41: return 0;
    default: return kNoAlteration;
    }
}

int GetCellAccidSymbol(const TCell& cell, int& slot) {
    slot = -1;
    if (cell.cellType != ctSymbol && cell.cellType != ctWestern)
        return kNoAlteration;
    const int32_t slots[3] = {cell.upNote, cell.FontColor, cell.Note};
    const int slotIndex[3] = {2, 1, 0};
    for (int i = 0; i < 3; ++i) {
        const int alteration = SymbolToAlteration(slots[i]);
        if (alteration != kNoAlteration) {
            slot = slotIndex[i];
            return alteration;
        }
    }
    return kNoAlteration;
}

int FindNearAccid(int col, int row, int& accCol, int& accRow, int& slot) {
    slot = -1;
    struct Place {
        bool use;
        int col, row;
    };
    const Place places[3] = {
        {col > 0 && row >= 0, col - 1, row},
        {row > 0 && col >= 0, col, row - 1},
        {col > 0 && row > 0, col - 1, row - 1},
    };
    TCell cell;
    for (const Place& place : places) {
        if (!place.use || !IsValidCellPos(place.col, place.row))
            continue;
        GetCell(cell, place.col, place.row, -1, -1);
        const int alteration = GetCellAccidSymbol(cell, slot);
        if (alteration != kNoAlteration) {
            accCol = place.col;
            accRow = place.row;
            return alteration;
        }
    }
    slot = -1;
    return kNoAlteration;
}

int GetNearAccid(int col, int row) {
    int accCol = 0, accRow = 0, slot = 0;
    return FindNearAccid(col, row, accCol, accRow, slot);
}

// ---- Keys ----

std::string GetKeyName(int keyCode) {
    static const char* const names[15] = {"C",  "G",  "D",  "A",  "E",  "B",  "F", "Bb",
                                          "Eb", "Ab", "Db", "Gb", "Cb", "F#", "C#"};
    if (keyCode < 0 || keyCode > 14)
        return "";
    return names[keyCode];
}

int GetJianpuKeyFromText(const std::string& text, int col, int row) {
    int result = -100;
    const std::size_t len = text.size();
    if (len >= 3 && len <= 6 && text[0] == '1' && (text[1] == '=' || text[2] == '=')) {
        char letter = text[len - 1];
        if ((letter == '#' || letter == 'b') && len >= 2)
            letter = text[len - 2];
        const std::string tail = text.substr(len - 3);
        int alteration;
        if (tail.find('#') != std::string::npos) {
            alteration = 1;
        } else if (tail.find('b') != std::string::npos) {
            alteration = -1;
        } else {
            alteration = kNoAlteration;
            TCell cell;
            int slot = -1;
            for (int k = static_cast<int>(len) - 1; k >= 1 && alteration == kNoAlteration; --k) {
                if (!frmMainTQ || col < 0 || col + k >= frmMainTQ->Cols || !IsValidCellPos(col + k, row))
                    continue;
                GetCell(cell, col + k, row, -1, -1);
                alteration = GetCellAccidSymbol(cell, slot);
                if (alteration == kNoAlteration && row > 0) {
                    GetCell(cell, col + k, row - 1, -1, -1);
                    alteration = GetCellAccidSymbol(cell, slot);
                }
            }
        }
        static const char letters[] = "ABCDEFG";
        static const int sharp[7] = {10, 0, 1, 3, 5, 6, 8};
        static const int flat[7] = {8, 10, 11, 1, 3, 4, 6};
        static const int natural[7] = {9, 11, 0, 2, 4, 5, 7};
        const char* found = letter != '\0' ? std::strchr(letters, letter) : nullptr;
        if (found) {
            const int index = static_cast<int>(found - letters);
            if (alteration == 1)
                result = sharp[index];
            else if (alteration == -1)
                result = flat[index];
            else
                result = natural[index];
        }
    }
    if (text.find("C Fixed Key") != std::string::npos)
        result = 0;
    return result;
}

void ClearKeyAccidTable() { std::memset(KeyAccidentals, 0, sizeof KeyAccidentals); }

void ClearBarAccidTable() { std::memset(BarAccidentals, 0, sizeof BarAccidentals); }

void SetKeyAccidTable(const TCell& clefCell) {
    ClearKeyAccidTable();
    if (clefCell.Note == -15 || clefCell.Attr > 14)
        return;
    // Letters as indexes A 0 .. G 6.
    static const int sharpOrder[7] = {5, 2, 6, 3, 0, 4, 1}; // F C G D A E B
    static const int flatOrder[7] = {1, 4, 0, 3, 6, 2, 5};  // B E A D G C F
    const int key = static_cast<int>(clefCell.Attr);
    int sharps = 0, flats = 0;
    if (key >= 1 && key <= 5)
        sharps = key;
    else if (key == 13)
        sharps = 6;
    else if (key == 14)
        sharps = 7;
    else if (key >= 6 && key <= 12)
        flats = key - 5;
    for (int i = 0; i < sharps; ++i)
        KeyAccidentals[sharpOrder[i]] = 1;
    for (int i = 0; i < flats; ++i)
        KeyAccidentals[flatOrder[i]] = 2;
}

// ---- Clefs ----

int GetClefCPos(int clefCode) {
    switch (clefCode) {
    case -1: return 6;
    case -2: return -6;
    case -3: return 0;
    case -5: return -2;
    default: return 0;
    }
}

int FindClefCol(int row, int fromCol, int toCol) {
    if (!frmMainTQ || row < 0 || row >= frmMainTQ->Rows)
        return -1;
    const int cols = frmMainTQ->Cols;
    if (toCol == -1 || toCol >= cols)
        toCol = cols - 1;
    TCell cell;
    for (int c = std::max(0, fromCol); c <= toCol; ++c) {
        GetCell(cell, c, row, -1, -1);
        if (IsClefCell(cell))
            return c;
    }
    return -1;
}

int FindClefColBack(int row, int fromCol, int toCol) {
    if (!frmMainTQ || row < 0 || row >= frmMainTQ->Rows)
        return -1;
    const int cols = frmMainTQ->Cols;
    if (fromCol == -1 || fromCol >= cols)
        fromCol = cols - 1;
    if (toCol == -1)
        toCol = 0;
    TCell cell;
    for (int c = fromCol; c >= std::max(0, toCol); --c) {
        GetCell(cell, c, row, -1, -1);
        if (IsClefCell(cell))
            return c;
    }
    return -1;
}

int GetClefPosAt(int col, int row) {
    if (col < 0)
        return 0;
    const int clefCol = FindClefColBack(row, col, 0);
    if (clefCol < 0)
        return 0;
    TCell cell;
    GetCell(cell, clefCol, row, -1, -1);
    return static_cast<int>(cell.yAdj * 2.0f);
}

int FindClefLeft(int& col, int row) {
    if (!frmMainTQ || row < 0 || row >= frmMainTQ->Rows) {
        col = -1;
        return 0;
    }
    if (col >= frmMainTQ->Cols)
        col = frmMainTQ->Cols - 1;
    TCell cell;
    for (; col >= 0; --col) {
        GetCell(cell, col, row, 0, -1);
        if (IsClefCell(cell))
            return cell.Note;
    }
    col = -1;
    return 0;
}

int GetFirstClefInRow(const TCellRow& cells, int& col, int limit) {
    const int size = static_cast<int>(cells.size());
    const int end = (limit <= 0 || limit >= size) ? size - 1 : limit;
    for (int c = 0; c < end; ++c) {
        if (IsClefCell(cells[static_cast<std::size_t>(c)])) {
            col = c;
            return cells[static_cast<std::size_t>(c)].Note;
        }
    }
    col = -1;
    return 0;
}

int GetLastClefInRow(const TCellRow& cells, int& col, int limit) {
    const int size = static_cast<int>(cells.size());
    const int start = (limit <= 0 || limit >= size) ? size - 1 : limit;
    for (int c = start; c >= 0; --c) {
        if (IsClefCell(cells[static_cast<std::size_t>(c)])) {
            col = c;
            return cells[static_cast<std::size_t>(c)].Note;
        }
    }
    col = -1;
    return 0;
}

int FindClefColInRow(const TCellRow& cells, int clefCode) {
    if (!frmMainTQ)
        return -1;
    const int cols = frmMainTQ->Cols;
    if (static_cast<int>(cells.size()) < cols)
        return -1;
    for (int c = 0; c < cols; ++c) {
        const TCell& cell = cells[static_cast<std::size_t>(c)];
        if (IsClefCell(cell) && (clefCode == 0 || cell.Note == clefCode))
            return c;
    }
    return -1;
}
