#include "model/modTQPredicates.h"

#include "model/modTQCellAccess.h"
#include "model/modTQMainScore.h"
#include "model/modTQRowQuery.h"

namespace {

constexpr int kDotChar = -73;     // augmentation dot 0xB7, sign-extended
constexpr int kDashChar = -106;   // extension dash 0x96, sign-extended
constexpr uint32_t kStyleMask = 0xF0;
constexpr uint32_t kStyleShrunk = 0xA0;
constexpr uint32_t kStyleVertical = 0xB0;
constexpr uint32_t kSmallNoteBit = 0x10000000;
constexpr uint32_t kDotBits = 0x8 | 0x40;
constexpr uint32_t kTailStartBit = 0x2;
constexpr uint32_t kTailEndBit = 0x4;

bool HasStyle(uint32_t attr, uint32_t style) {
    return attr != kNoAttr && (attr & kStyleMask) == style;
}

bool HasGraceStyle(uint32_t attr) {
    return HasStyle(attr, 0xC0) || HasStyle(attr, 0xD0);
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

// The cell at (col, row) of the current page and layer when the address is on the
// grid proper (columns 0..Cols-1, rows 0..Rows-1).
const TCell* GridCellChecked(int col, int row, int page = -1, int layer = -1) {
    if (!IsValidCellPos(col, row))
        return nullptr;
    return CellAtAddress(col, row, page, layer);
}

// Whether the cell at (col, row) is on the grid proper and passes the test.
template <typename CellTest>
bool GridCellIs(int col, int row, CellTest test) {
    const TCell* c = GridCellChecked(col, row);
    return c && test(*c);
}

// Whether a dot cell follows column col of the row before a cell that stops the
// search.
template <typename StopTest>
bool DotCellFollows(int col, int row, StopTest stops) {
    for (int k = col + 1; k < frmMainTQ->Cols; ++k) {
        const TCell* n = CellAtAddress(k, row);
        if (!n)
            break;
        if (n->Note == kDotChar)
            return true;
        if (stops(*n))
            return false;
    }
    return false;
}

} // namespace

// ---------------------------------------------------------------------------
// Grid access

bool IsGraceNoteCell(const TCell& c) {
    bool holdsNote = (c.cellType == ctWestern && c.Note >= 0 && c.Note < 10) ||
                     (c.cellType == ctJianpu && IsJianpuNoteDigit(c.Note));
    if (!holdsNote || c.Attr == kNoAttr)
        return false;
    return HasGraceStyle(c.Attr) || (c.option & kSmallNoteBit) != 0;
}

bool IsSmallNoteCell(const TCell& c) {
    if (c.Attr == kNoAttr)
        return false;
    return HasStyle(c.Attr, kStyleShrunk) || (c.option & kSmallNoteBit) != 0 || HasGraceStyle(c.Attr);
}

bool HasUpNote(const TCell& c) { return c.upNote != 32 && c.shrinkRate == 0; }
bool HasUpNoteKind1(const TCell& c) { return c.upNote != 32 && c.shrinkRate == 1; }

bool IsTrillTextCell(const TCell& c) { return c.cellType == ctTextSymbol && c.Note == 15; }

bool IsOrnamentCell(const TCell& c, int kind) {
    int cls = GetOrnamentClass(c);
    return cls != -1 && (kind == -1 || kind == cls);
}

bool HasSymbolCode(const TCell& c, int code) {
    return c.cellType == ctSymbol && (c.Note == code || c.upNote == code || c.FontColor == code);
}

bool IsPercussionSyllableCell(const TCell& c) { return IsPercussionSyllableCode(c.Note); }

bool IsTimeSignatureCell(const TCell& c) {
    return c.cellType == ctTimeSig || (c.cellType == ctText && c.Text == "C");
}

bool IsJianpuKeyTextCell(const TCell& c) {
    return c.cellType == ctText && (StartsWith(c.Text, "1=") || StartsWith(c.Text, "1 ="));
}

// Tempo marks, time signatures, clefs, Jianpu key texts and bar lines belong to the
// structure of the page and stay in layer 0 when its content moves to the other layer.
bool IsLayerStructureCell(const TCell& c) {
    if (c.cellType == ctTempo || c.cellType == ctTimeSig || IsClefCell(c) || IsJianpuKeyTextCell(c))
        return true;
    if (c.cellType == ctJianpu || c.cellType == ctWestern)
        return IsBarLineChar(static_cast<signed char>(c.Note & 0xFF));
    return false;
}

bool IsColorableCell(const TCell& c) {
    if (c.cellType == ctJianpu)
        return c.UL > 0 || c.Note == kDashChar || c.Note == kDotChar || IsJianpuDigit(c.Note) ||
               !c.CompressNotes.empty();
    if (c.cellType == ctText)
        return !c.Text.empty();
    return c.cellType == ctTextSymbol;
}

// ---------------------------------------------------------------------------
// Address forms

bool IsValidCellPos(int col, int row) {
    return frmMainTQ && col >= 0 && col < frmMainTQ->Cols && row >= 0 && row < frmMainTQ->Rows;
}

bool IsJianpuSoundAt(int col, int row, int page, int layer) {
    const TCell* c = GridCellChecked(col, row, page, layer);
    return c && IsJianpuSound(*c);
}

bool IsJianpuNoteAt(int col, int row) {
    const TCell* c = CellAtAddress(col, row);
    return c && IsJianpuNoteCell(*c);
}

bool IsWestNoteAt(int col, int row, int minCode) {
    return GridCellIs(col, row, [minCode](const TCell& c) { return IsWestNoteCell(c, minCode); });
}

bool IsWestNoteOrRestAt(int col, int row, int minCode) {
    return GridCellIs(col, row, [minCode](const TCell& c) { return IsWestNoteOrRest(c, minCode); });
}

bool IsWestRestAt(int col, int row) { return GridCellIs(col, row, IsWestRestCell); }

bool IsNoteOrRestAt(int col, int row) {
    const TCell* c = CellAtAddress(col, row);
    return c && IsNoteOrRestCell(*c);
}

bool IsEmptyCellAt(int col, int row) { return GridCellIs(col, row, IsEmptyCell); }

bool IsShrinkCellAt(int col, int row) { return GridCellIs(col, row, IsShrinkCell); }

bool HasUpNoteKind1At(int col, int row) { return GridCellIs(col, row, HasUpNoteKind1); }

bool IsBarLineAt(int col, int row, int page) {
    const TCell* c = GridCellChecked(col, row, page, 0);
    return c && IsBarLineCell(*c);
}

bool IsSlurMarkAt(int col, int row, int layer) {
    const TCell* c = CellAtAddress(col, row, -1, layer);
    return c && IsSlurMarkCell(*c);
}

bool IsWestAccidentalAt(int col, int row) {
    const TCell* c = GridCellChecked(col, row);
    return c && IsAccidentalSymbolCode(c->Note) && IsWestRow(row, 0, -1);
}

bool IsClefChangeAt(int col, int row) {
    const TCell* c = CellAtAddress(col, row);
    return c && IsClefCell(*c) && col > 2 && (c->iEnd == col || c->iEnd < 1);
}

bool IsBackgroundImageCell(int col, int row, int layer, int page) {
    if (ResolveLayer(layer) != 0 || col != 0 || row != 0)
        return false;
    const TCell* c = GridCellChecked(0, 0, page, 0);
    return c && c->cellType == ctImage && c->Note == 200119 && c->iEnd == -1 && c->jEnd == -1;
}

bool IsSameNotesAt(int colA, int rowA, int colB, int rowB, bool compareDuration) {
    const TCell* a = GridCellChecked(colA, rowA);
    const TCell* b = GridCellChecked(colB, rowB);
    return a && b && IsSameNotes(*a, *b, compareDuration);
}

// ---------------------------------------------------------------------------
// Comparisons and short scans

bool IsSameNotes(const TCell& a, const TCell& b, bool compareDuration) {
    if (IsWestNoteOrRest(a, 1) && IsWestNoteOrRest(b, 1))
        return IsSameWestNotes(a, b, compareDuration);
    if (IsJianpuSound(a) && IsJianpuSound(b))
        return IsSameJianpuNotes(a, b, compareDuration);
    return false;
}

bool IsSameWestNotes(const TCell& a, const TCell& b, bool compareDuration) {
    if (a.westChordArray.size() != b.westChordArray.size() || a.yAdj != b.yAdj)
        return false;
    if (compareDuration && a.Note != b.Note)
        return false;
    for (size_t i = 0; i < a.westChordArray.size(); ++i)
        if (a.westChordArray[i].interval != b.westChordArray[i].interval)
            return false;
    return true;
}

bool IsSameJianpuNotes(const TCell& a, const TCell& b, bool compareDuration) {
    if (a.Note != b.Note || a.CompressNotes.size() != b.CompressNotes.size())
        return false;
    if (compareDuration && a.UL != b.UL)
        return false;
    for (size_t i = 0; i < a.CompressNotes.size(); ++i)
        if (a.CompressNotes[i].code != b.CompressNotes[i].code)
            return false;
    return true;
}

bool IsDottedAt(int col, int row) {
    const TCell* c = GridCellChecked(col, row);
    if (!c)
        return false;
    if (IsDotted(*c))
        return true;
    if (IsWestNoteOrRest(*c, 1))
        return false; // Western dots live only in the option word
    return DotCellFollows(col, row, [](const TCell& n) { return !IsEmptyCell(n); });
}

bool IsDottedJianpuNoteAt(int col, int row) {
    const TCell* c = GridCellChecked(col, row);
    if (!c)
        return false;
    if (IsDotted(*c))
        return true;
    if (!IsJianpuSound(*c))
        return false;
    return DotCellFollows(col, row, [](const TCell& n) { return IsJianpuSound(n) || IsBarLineCell(n); });
}

// A cell after a group start with no group end between them lies in the group; so
// does the end cell itself. This holds in the last column of the grid as well.
bool FindCombineTailStart(int col, int row, int& startCol) {
    startCol = -1;
    const TCell* c = GridCellChecked(col, row);
    if (!c)
        return false;
    if (c->option & kTailEndBit)
        return true;
    for (int k = col; k >= 0; --k) {
        const TCell* n = CellAtAddress(k, row);
        if (!n)
            return false;
        if (n->option & kTailEndBit)
            return false;
        if (n->option & kTailStartBit) {
            startCol = k;
            return true;
        }
    }
    return false;
}

bool IsInCombineTailGroup(int col, int row) {
    int startCol = -1;
    return FindCombineTailStart(col, row, startCol);
}
