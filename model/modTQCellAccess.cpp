#include "model/modTQCellAccess.h"

#include <algorithm>
#include <cmath>

#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"

bool GetCell(TCell& cell, int col, int row, int layer, int page) {
    if (const TCell* found = PeekCell(col, row, layer, page)) {
        cell = *found;
        return true;
    }
    ResetCell(cell, false);
    return false;
}

const TCell& ResetStateCell() {
    static const TCell blank = [] {
        TCell c;
        ResetCell(c, false);
        return c;
    }();
    return blank;
}

bool GetCursorCell(TCell& cell) {
    if (!frmMainTQ) {
        ResetCell(cell, false);
        return false;
    }
    return GetCell(cell, frmMainTQ->SelCol0, frmMainTQ->SelRow0, -1, -1);
}

void ResetCell(TCell& cell, bool keepCompressNotes) {
    cell.Note = 32;
    cell.FontColor = 32;
    cell.upNote = 32;
    cell.cellType = 0;
    cell.UL = 0;
    cell.Attr = 0;
    cell.playDur = 0;
    cell.dot = 0;
    cell.shrinkRate = 0;
    cell.fontSizeR = 1.0f;
    cell.Text.clear();
    cell.FontName.clear();
    cell.FontStyle = 0;
    cell.FontCharset = 0;
    cell.markType = 0;
    cell.iEnd = -1;
    cell.jEnd = -1;
    cell.xAdj = 0.0f;
    cell.yAdj = 0.0f;
    cell.option = 0;
    cell.markHAdj = 0;
    cell.markWAdj = 0;
    cell.MarkY = 0;
    cell.EndYAdj = 0;
    cell.stemAdj = 0.0f;
    cell.auxByte = 0;
    cell.color = -1;
    cell.AdvPlay = {100, 100, 100, 0};
    cell.scratch = 0;
    cell.breakPoint = 0;
    if (!keepCompressNotes)
        cell.CompressNotes.clear();
    cell.westChordArray.clear();
}

bool ResetCellAt(int col, int row, bool keepCompressNotes) {
    if (!frmMainTQ || col < 0 || row < 0 || col >= frmMainTQ->Cols || row >= frmMainTQ->Rows)
        return false;
    TCell* cell = const_cast<TCell*>(CellAtAddress(col, row));
    if (!cell)
        return false;
    ResetCell(*cell, keepCompressNotes);
    return true;
}

// ---- Attribute word ----

uint32_t SetAttrNibble(uint32_t& attr, uint32_t value) {
    uint32_t mask;
    if (value <= 0xFu)
        mask = 0xFu;
    else if (value <= 0xF0u)
        mask = 0xF0u;
    else if (value <= 0xF00u)
        mask = 0xF00u;
    else
        mask = 0xF000u;
    attr = (attr & ~mask) | value;
    return attr;
}

void ClearAttrNibble(uint32_t& attr, uint32_t value) {
    if (value <= 0xFu)
        attr &= ~0xFu;
    else if (value <= 0xF0u)
        attr &= ~0xF0u;
}

void ToggleAttrNibble(uint32_t& attr, uint32_t value) {
    if (AttrHasNibble(attr, value))
        ClearAttrNibble(attr, value);
    else
        SetAttrNibble(attr, value);
}

bool AttrLowNibbleIs(uint32_t attr, int v) {
    return attr != kNoAttr && static_cast<int>(attr & 0xFu) == v;
}

bool IsAlteringAccid(uint32_t attr) {
    if (attr == kNoAttr)
        return false;
    const uint32_t kind = attr & 0xFu;
    return kind >= 1 && kind <= 9 && kind != 3;
}

bool HasNoAccidKind(uint32_t attr) {
    return attr == kNoAttr || (attr & 0xFu) == 0 || (attr & 0xFu) > 9;
}

int SymbolToAccidKind(int symbolCode) {
    switch (symbolCode) {
    case 14: return 1;
    case 15: return 2;
    case 41: return 3;
    case 148: return 4;
    case 120: return 5;
    case 121: return 6;
    case 147: return 7;
    case 119: return 8;
    case 149: return 9;
    default: return 0;
    }
}

void SetNoteAttr(TCell& cell, int noteIndex, uint32_t value) {
    if (!cell.westChordArray.empty()) {
        if (noteIndex == 0) {
            ToggleAttrNibble(cell.Attr, value);
            for (TWestChord& item : cell.westChordArray)
                ToggleAttrNibble(item.attr, value);
        } else if (noteIndex == 1) {
            ToggleAttrNibble(cell.Attr, value);
        } else if (noteIndex >= 2 && noteIndex - 2 < GetChordNoteCount(cell)) {
            ToggleAttrNibble(cell.westChordArray[static_cast<std::size_t>(noteIndex - 2)].attr, value);
        }
        return;
    }
    if (!cell.CompressNotes.empty()) {
        if (noteIndex == 0) {
            for (TCompressNote& item : cell.CompressNotes)
                if (item.code != 32)
                    ToggleAttrNibble(item.attr, value);
        } else if (noteIndex >= 1 && noteIndex - 1 < GetCompressNoteCount(cell)) {
            TCompressNote& item = cell.CompressNotes[static_cast<std::size_t>(noteIndex - 1)];
            if (item.code != 32)
                ToggleAttrNibble(item.attr, value);
        }
        return;
    }
    ToggleAttrNibble(cell.Attr, value);
}

// ---- Flag words ----

uint32_t SetFlagBits(uint32_t value, uint32_t mask, int on) {
    return on == 1 ? (value | mask) : (value & ~mask);
}

uint32_t ToggleFlagBits(uint32_t value, uint32_t bits, uint32_t clearMask) {
    value ^= bits;
    if (clearMask != 0)
        value &= ~clearMask;
    return value;
}

uint32_t CycleDotFlags(uint32_t option) {
    if (option & 0x40u)
        return option & ~0x40u;
    if (option & 0x8u)
        return (option & ~0x8u) | 0x40u;
    return option | 0x8u;
}

uint32_t CycleTwoBitMark(uint32_t option) {
    const uint32_t mark = (option >> 10) & 0x3u;
    const uint32_t next = (mark + 3u) & 0x3u; // 0 -> 3 -> 2 -> 1 -> 0
    return (option & ~0xC00u) | (next << 10);
}

uint32_t StepSignPosition(uint32_t option, int direction) {
    constexpr uint32_t A = 0x800000u;
    constexpr uint32_t B = 0x1000000u;
    const uint32_t pos = option & (A | B);
    uint32_t next;
    if (direction == -1) {
        if (pos == 0)
            next = A;
        else if (pos == A)
            next = B;
        else if (pos == B)
            next = A | B;
        else
            next = 0;
    } else if (direction == 1) {
        if (pos == 0)
            next = A | B;
        else if (pos == (A | B))
            next = B;
        else if (pos == B)
            next = A;
        else
            next = 0;
    } else {
        return option;
    }
    return (option & ~(A | B)) | next;
}

void MoveSignToOtherSide(TCell& cell, int noteIndex) {
    if (noteIndex == 0)
        return;
    const int k = noteIndex - 1;
    auto stepCellIfAccid = [&cell]() {
        if (IsLowNibbleSet(cell.Attr))
            cell.option = StepSignPosition(cell.option, -1);
    };
    if (IsWestNoteCell(cell, 1)) {
        if (!cell.westChordArray.empty()) {
            const int j = ClampChordIndex(cell, k);
            if (j >= 0 && j < GetChordNoteCount(cell) &&
                IsLowNibbleSet(cell.westChordArray[static_cast<std::size_t>(j)].attr)) {
                TWestChord& item = cell.westChordArray[static_cast<std::size_t>(j)];
                item.option = StepSignPosition(item.option, -1);
            } else {
                stepCellIfAccid();
            }
        } else if (!cell.CompressNotes.empty()) {
            if (k >= 0 && k < GetCompressNoteCount(cell)) {
                TCompressNote& item = cell.CompressNotes[static_cast<std::size_t>(k)];
                item.option = StepSignPosition(item.option, -1);
            } else {
                stepCellIfAccid();
            }
        }
        return;
    }
    if (IsJianpuSound(cell)) {
        if (k >= 0 && k < GetCompressNoteCount(cell) &&
            IsLowNibbleSet(cell.CompressNotes[static_cast<std::size_t>(k)].attr)) {
            TCompressNote& item = cell.CompressNotes[static_cast<std::size_t>(k)];
            item.option = StepSignPosition(item.option, -1);
        } else {
            stepCellIfAccid();
        }
    }
}

int GetOrnamentClass(const TCell& cell) {
    if (IsJianpuSound(cell) || IsWestNoteCell(cell, 1))
        return 0;
    if (IsTrillTextCell(cell))
        return 1;
    if (IsOrnamentCode(cell.Note))
        return 2;
    if (IsOrnamentCode(cell.upNote))
        return 3;
    if (IsOrnamentCode(cell.FontColor))
        return 4;
    return -1;
}

// ---- Play-adjustment bytes ----

// A percentage outside one byte is held at its nearest end rather than wrapped.
static uint8_t PercentByte(int percent) { return static_cast<uint8_t>(std::clamp(percent, 0, 255)); }

void SetCellCredAdj(TCell& cell, int percent) { cell.AdvPlay[0] = PercentByte(percent); }
void SetCellVolAdj(TCell& cell, int percent) { cell.AdvPlay[1] = PercentByte(percent); }
void SetCellRitArpAdj(TCell& cell, int percent) { cell.AdvPlay[2] = PercentByte(percent); }

// ---- Small-note list ----

void CompressNoteToCell(const TCompressNote& item, TCell& cell) {
    cell.Note = item.code;
    cell.option = item.option;
    cell.Attr = item.attr;
    cell.dot = item.octave;
    cell.cellType = ctJianpu;
}

void MakeCompressNoteCell(const TCell& cell, int index, TCell& out) {
    out = cell;
    if (index < 0 || index >= GetCompressNoteCount(cell))
        return;
    const TCompressNote& item = cell.CompressNotes[static_cast<std::size_t>(index)];
    out.Note = item.code;
    out.Attr = item.attr;
    out.option = item.option;
    out.dot = item.octave;
    if (cell.cellType == ctWestern)
        out.yAdj = static_cast<float>(item.value);
    else
        out.UL = item.value;
}

// yAdj truncated toward zero, kept inside the int range.
static int TruncPos(float y) {
    if (!(y == y))
        return 0;
    if (y >= 2147483520.0f)
        return 2147483520;
    if (y <= -2147483520.0f)
        return -2147483520;
    return static_cast<int>(y);
}

void CellToCompressNote(const TCell& cell, TCompressNote& item) {
    item.code = cell.Note;
    item.value = cell.cellType == ctWestern ? TruncPos(cell.yAdj) : cell.UL;
    item.octave = cell.dot;
    item.attr = cell.Attr;
    item.option = cell.option;
}

int FindCompressNoteIndex(int n, const TCell& cell) {
    if (n < 2)
        return n;
    const bool west = cell.cellType == ctWestern;
    int count = 0;
    for (int i = 0; i < GetCompressNoteCount(cell); ++i) {
        const int code = cell.CompressNotes[static_cast<std::size_t>(i)].code;
        const bool isNote = west ? IsWestNoteCode(code) : (IsJianpuNoteChar(code) && code != -73);
        if (isNote && ++count == n)
            return 1 + i;
    }
    return 1;
}

// ---- Western chord ----

int SumChordOffsets(const TCell& cell, int index) {
    const int count = GetChordNoteCount(cell);
    if (count == 0 || index < -1)
        return 0;
    if (index == -1 || index >= count)
        index = count - 1;
    int sum = 0;
    for (int i = 0; i <= index; ++i)
        sum += cell.westChordArray[static_cast<std::size_t>(i)].interval;
    return sum;
}

int GetChordNotePos(const TCell& cell, int index) {
    if (index < 0)
        return TruncPos(cell.yAdj);
    return TruncPos(cell.yAdj - static_cast<float>(SumChordOffsets(cell, index)));
}

int GetChordNotePosFromEnd(const TCell& cell, int k) {
    const int count = GetChordNoteCount(cell);
    int pos = TruncPos(cell.yAdj);
    const long long first = std::min<long long>(static_cast<long long>(count) - k - 1, count - 1);
    for (long long i = first; i >= 0; --i)
        pos -= cell.westChordArray[static_cast<std::size_t>(i)].interval;
    return pos;
}

void GetChordPositions(const TCell& cell, std::vector<int>& out) {
    const int count = GetChordNoteCount(cell);
    out.assign(static_cast<std::size_t>(count) + 1, 0);
    out[static_cast<std::size_t>(count)] = TruncPos(cell.yAdj);
    for (int i = count - 1; i >= 0; --i)
        out[static_cast<std::size_t>(i)] =
            out[static_cast<std::size_t>(i) + 1] - cell.westChordArray[static_cast<std::size_t>(i)].interval;
}

int ClampChordIndex(const TCell& cell, int i) {
    const int count = GetChordNoteCount(cell);
    if (count == 0)
        return -2;
    if (i - 1 >= -1 && i - 1 < count)
        return i - 1;
    return count - 1;
}

int ExtractChordNote(const TCell& cell, int k, TCell& out) {
    const int count = GetChordNoteCount(cell);
    out = cell;
    out.westChordArray.clear();
    out.yAdj = static_cast<float>(GetChordNotePosFromEnd(cell, k));
    const int item = count - k - 1;
    if (item >= 0 && item < count)
        out.Attr = cell.westChordArray[static_cast<std::size_t>(item)].attr;
    return item;
}

void MakeWestChordNoteCell(const TCell& cell, int index, TCell& out, int& position) {
    out = cell;
    if (index < 0 || index >= GetChordNoteCount(cell))
        return;
    const TWestChord& item = cell.westChordArray[static_cast<std::size_t>(index)];
    out.Attr = item.attr;
    out.option = item.option;
    position -= item.interval;
    out.yAdj = static_cast<float>(position);
}

void CellToWestChordItem(const TCell& cell, TWestChord& item) {
    item.interval = TruncPos(cell.yAdj);
    item.attr = cell.Attr;
    item.option = cell.option;
}

int GetChordCentre(const TCell& cell) {
    long long sum = 0;
    long long count = 0;
    for (const TCompressNote& item : cell.CompressNotes) {
        if (IsWestNoteCode(item.code)) {
            sum += item.value;
            ++count;
        }
    }
    if (count > 0)
        return static_cast<int>(sum / count);
    sum = TruncPos(cell.yAdj);
    count = 1;
    for (int i = 0; i < GetChordNoteCount(cell); ++i) {
        sum += GetChordNotePos(cell, i);
        ++count;
    }
    return static_cast<int>(sum / count);
}
