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

int ResolvePage(int page) {
    if (page == -1 && frmMainTQ)
        return frmMainTQ->CurPage;
    return page;
}

int ResolveLayer(int layer) {
    return layer == -1 ? CurLayer : layer;
}

const TCellRow* RowAtAddress(int row, int page, int layer) {
    if (!frmMainTQ)
        return nullptr;
    page = ResolvePage(page);
    layer = ResolveLayer(layer);
    if (layer < 0 || layer > 1 || page < 0 || row < 0)
        return nullptr;
    const TLayer& pages = frmMainTQ->PageSets[static_cast<size_t>(layer)];
    if (static_cast<size_t>(page) >= pages.size())
        return nullptr;
    const TPage& rows = pages[static_cast<size_t>(page)];
    if (static_cast<size_t>(row) >= rows.size())
        return nullptr;
    return &rows[static_cast<size_t>(row)];
}

const TCell* CellAtAddress(int col, int row, int page, int layer) {
    const TCellRow* cells = RowAtAddress(row, page, layer);
    if (!cells || col < 0 || static_cast<size_t>(col) >= cells->size())
        return nullptr;
    return &(*cells)[static_cast<size_t>(col)];
}

// ---------------------------------------------------------------------------
// Codes and characters

bool IsJianpuDigit(int code) { return code >= '0' && code <= '7'; }
bool IsJianpuNoteDigit(int code) { return code >= '1' && code <= '7'; }

bool IsJianpuNoteChar(int code) {
    return IsJianpuDigit(code) || code == kDotChar || code == 'X' || code == 'x' || code == '*';
}

bool IsJianpuNoteOrBlank(int code) { return IsJianpuNoteChar(code) || code == ' '; }

bool IsJianpuInputChar(int code) {
    return IsJianpuNoteChar(code) || code == ' ' || code == '.' || code == ',' || code == '\'' ||
           code == '_';
}

bool IsJianpuLineChar(int ch, bool strict) {
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

bool IsDigitChar(int ch) { return ch >= '0' && ch <= '9'; }

bool IsBarLineChar(int ch) {
    return ch == '|' || ch == 'i' || ch == 'I' || ch == ':' || ch == ';' || ch == 'l';
}

bool IsBarLineCode(int code) { return (code >= 58 && code <= 63) || code == 173 || code == 177; }

bool IsBarLineMarkType(int markType) {
    return markType == 29 || markType == 30 || markType == 71 || markType == 93 ||
           markType == 54191118;
}

bool IsMarkType71Or73Or25(int markType) {
    return markType == 71 || markType == 73 || markType == 25;
}

bool IsWestNoteCode(int code) { return code >= 1 && code <= 9; }
bool IsWestRestCode(int code) { return (code >= 19 && code <= 27) || code == 87; }
bool IsWestValueCode(int code) { return IsWestNoteCode(code) || IsWestRestCode(code); }
bool IsFlaggedWestNoteCode(int code) { return code >= 4 && code <= 9; }
bool IsValueCode(int code, bool west) { return west ? IsWestValueCode(code) : IsJianpuDigit(code); }

bool IsAccidentalSymbolCode(int code) {
    switch (code) {
    case 14: case 15: case 41: case 119: case 120: case 121: case 147: case 148: case 149:
        return true;
    default:
        return false;
    }
}

bool IsOrnamentCode(int code) {
    switch (code) {
    case 4: case 88: case 107: case 108: case 141: case 142: case 143:
        return true;
    default:
        return false;
    }
}

bool IsPercussionSyllableCode(int code) { return code >= 10000 && code <= 10029; }

bool IsKeyIndex0To5Or13Or14(int key) { return (key >= 0 && key <= 5) || key == 13 || key == 14; }

// -7 is a clef like the others (the row-header clefs run -1..-7); -15 is the row
// header without a key signature.
bool IsClefCode(int code) { return (code >= -7 && code <= -1) || code == -15; }

// ---------------------------------------------------------------------------
// The attribute word

bool IsLowNibbleSet(uint32_t attr) { return attr != kNoAttr && (attr & 0xF) != 0; }
bool IsHighNibbleSet(uint32_t attr) { return attr != kNoAttr && (attr & 0xF0) != 0; }
bool IsLowByteSet(uint32_t attr) { return attr != kNoAttr && (attr & 0xFF) != 0; }
bool IsVerticalAttr(uint32_t attr) { return HasStyle(attr, kStyleVertical); }

bool AttrHasNibble(uint32_t attr, uint32_t v) {
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

bool IsEmptyCell(const TCell& c) {
    if (c.Note != 32)
        return false;
    if (c.cellType == ctJianpu && (c.upNote != 32 || c.FontColor != 32))
        return false;
    return c.CompressNotes.empty() && c.westChordArray.empty() && c.markType == 0 && c.UL == 0 &&
           c.Text.empty();
}

bool IsBlankNoteCell(const TCell& c) {
    return c.cellType == ctJianpu && c.Note == 32 && c.upNote == 32 && c.CompressNotes.empty() &&
           c.westChordArray.empty();
}

bool IsJianpuSound(const TCell& c) {
    if (c.cellType == ctJianpu &&
        (IsJianpuNoteChar(c.Note) || IsVerticalAttr(c.Attr) || HasStyle(c.Attr, kStyleShrunk) ||
         c.markType == 87))
        return true;
    return HasGraceStyle(c.Attr);
}

bool IsJianpuNoteCell(const TCell& c) {
    if (c.cellType == ctJianpu &&
        (IsJianpuNoteDigit(c.Note) || IsVerticalAttr(c.Attr) || HasStyle(c.Attr, kStyleShrunk)))
        return true;
    return HasGraceStyle(c.Attr) || c.Note == '*';
}

bool IsJianpuXNote(const TCell& c) {
    return c.cellType == ctJianpu && (c.Note == 'x' || c.Note == 'X');
}

bool IsJianpuDigitFrom(const TCell& c, int lowest) {
    return c.cellType == ctJianpu && c.Note >= lowest && c.Note < '8';
}

bool IsDotCell(const TCell& c) {
    if (c.Note == kDotChar)
        return true;
    return IsVerticalCell(c) && !c.CompressNotes.empty() && c.CompressNotes.front().code == kDotChar;
}

bool IsDotted(const TCell& c) { return (c.option & kDotBits) != 0; }

bool IsWestNoteCell(const TCell& c, int minCode) {
    return c.cellType == ctWestern &&
           ((c.Note >= minCode && c.Note < 10) || !c.CompressNotes.empty());
}

bool IsWestRestCell(const TCell& c) { return c.cellType == ctWestern && IsWestRestCode(c.Note); }

bool IsWestShortRestCell(const TCell& c) {
    return c.cellType == ctWestern && c.Note >= 22 && c.Note <= 27;
}

bool IsWestNoteOrRest(const TCell& c, int minCode) {
    return IsWestNoteCell(c, minCode) || IsWestRestCell(c);
}

bool HasWestChordNotes(const TCell& c) { return !c.westChordArray.empty(); }

bool IsSmallWestNoteCell(const TCell& c) { return IsWestNoteOrRest(c, 1) && c.fontSizeR < 0.7f; }

bool IsClefCell(const TCell& c) { return c.cellType == ctWestern && IsClefCode(c.Note); }

bool IsNoteOrRestCell(const TCell& c) { return IsWestNoteOrRest(c, 1) || IsJianpuSound(c); }

bool IsNoteCell(const TCell& c) { return IsJianpuNoteCell(c) || IsWestNoteCell(c, 1); }

bool IsRestCell(const TCell& c) {
    return (c.cellType == ctJianpu && c.Note == '0') || IsWestRestCell(c);
}

bool IsBarLineCell(const TCell& c) { return IsBarLineCode(c.Note) || IsBarLineMarkType(c.markType); }

// 63 is the thick bar line that ends a row.
bool IsBarLineCellNotRowEnd(const TCell& c) { return IsBarLineCell(c) && c.Note != 63; }

bool IsBarMarkCell(const TCell& c) {
    switch (c.markType) {
    case 28: case 29: case 30: case 71: case 72: case 73: case 93: case 54191118:
        return true;
    default:
        return false;
    }
}

bool IsSlurMarkCell(const TCell& c) {
    switch (c.markType) {
    case 1: case 2: case 3: case 39: case 40: case 41: case 81:
        return true;
    default:
        return false;
    }
}

bool IsTupletMarkCell(const TCell& c) { return c.markType == 56 || c.markType == 86; }

bool IsSlurOrTupletMarkCell(const TCell& c) { return IsSlurMarkCell(c) || IsTupletMarkCell(c); }

bool IsVerticalCell(const TCell& c) { return IsVerticalAttr(c.Attr); }

bool IsShrinkCell(const TCell& c) { return HasStyle(c.Attr, kStyleShrunk); }

bool IsGraceCell(const TCell& c) { return HasGraceStyle(c.Attr); }

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
