#include "model/modTQScan.h"

#include <algorithm>

#include "model/modTQGroup.h"
#include "model/modTQKeys.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"

namespace {

constexpr int kBraceMark = 54191118;
constexpr int kDotChar = -73;
constexpr int kDashChar = -106;
constexpr int kCommentStaffBit = 32;
constexpr uint32_t kTailStartBit = 0x2;
constexpr uint32_t kTailEndBit = 0x4;
constexpr uint32_t kBeamStartBit = 0x100;
constexpr uint32_t kBeamEndBit = 0x200;

int GridRows() { return frmMainTQ ? frmMainTQ->Rows : 0; }
int GridCols() { return frmMainTQ ? frmMainTQ->Cols : 0; }

// A cell on the grid proper (columns 0..Cols-1, rows 0..Rows-1) of the current
// page; nullptr elsewhere.
const TCell* Cell(int col, int row, int layer = -1) {
    if (!IsValidCellPos(col, row))
        return nullptr;
    return CellAtAddress(col, row, -1, layer);
}

const TCell* Cell0(int col, int row) { return Cell(col, row, 0); }

// Restores CurLayer when a search that switched it returns.
class TLayerSwitch {
public:
    explicit TLayerSwitch(int layer) : saved_(CurLayer) { CurLayer = layer; }
    ~TLayerSwitch() { CurLayer = saved_; }
    TLayerSwitch(const TLayerSwitch&) = delete;
    TLayerSwitch& operator=(const TLayerSwitch&) = delete;

private:
    int saved_;
};

bool IsRowMarkNote(int note) { return note == 63 || note == 58; }

std::string TrimBlanks(const std::string& text) {
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    return text.substr(b, e - b);
}

} // namespace

// ---------------------------------------------------------------------------
// Row searches

int FindJianpuRowBack(int row) {
    for (int r = std::min(row, GridRows() - 1); r >= 0; --r)
        if (IsJianpuMusicRow(r, -1, -1))
            return r;
    return -1;
}

int FindJianpuRowForward(int row) {
    for (int r = std::max(row, 0); r < GridRows(); ++r)
        if (IsJianpuMusicRow(r, -1, -1))
            return r;
    return -1;
}

int FindWestRowBack(int row) {
    for (int r = std::min(row, GridRows() - 1); r >= 0; --r)
        if (IsWestRow(r, 0, -1))
            return r;
    return -1;
}

int FindWestRowForward(int row) {
    for (int r = std::max(row, 0); r < GridRows(); ++r)
        if (IsWestRow(r, 0, -1))
            return r;
    return -1;
}

int FindMusicRowForward(int row) {
    for (int r = std::max(row, 0); r < GridRows(); ++r)
        if (IsMusicRow(r))
            return r;
    return -1;
}

int FindStaffRowForward(int row, bool west) {
    return west ? FindWestRowForward(row) : FindJianpuRowForward(row);
}

int FindRowClefCol(int row) {
    for (int c = 0; c < GridCols(); ++c) {
        const TCell* cell = Cell0(c, row);
        if (!cell)
            return -1;
        if (IsClefCell(*cell))
            return c;
    }
    return -1;
}

bool FindNextClefCell(int fromRow, TPoint& pt, bool skipComment) {
    for (int r = std::max(fromRow, 0); r < GridRows(); ++r) {
        int c = FindRowClefCol(r);
        if (c < 0)
            continue;
        if (skipComment && (Cell0(c, r)->playDur & kCommentStaffBit) != 0)
            continue;
        pt = TPoint{c, r};
        return true;
    }
    return false;
}

int FindRowWithClefNear(int step, int row, int clefCode) {
    if (step != 1 && step != -1)
        return -1;
    for (int i = 1; i <= 8; ++i) {
        int r = row + i * step;
        if (r < 0 || r >= GridRows())
            return -1;
        for (int c = 0; c < GridCols(); ++c) {
            const TCell* cell = Cell0(c, r);
            if (!cell || cell->cellType != ctWestern)
                continue;
            if (cell->Note == clefCode)
                return r;
            if (cell->Note < 0)
                return -1;
        }
    }
    return -1;
}

int FindNextRowGroup(int& firstRow, int& lastRow, int mode) {
    const int rows = GridRows();
    const int cols = GridCols();
    lastRow = firstRow;

    int jianpuRow = -1;
    int startRow = -1;
    int startCol = -1;
    bool startWest = false, startJianpu = false;
    bool isWest = false, isJianpu = false;
    const TCell* startCell = nullptr;

    for (int r = std::max(firstRow, 0); r < rows && !startCell; ++r) {
        if (mode == -1 || mode == 0)
            isWest = IsWestRow(r, 0, -1);
        if (!isWest && (mode == -1 || mode == 1))
            isJianpu = IsJianpuMusicRow(r, -1, -1);
        if (isJianpu && jianpuRow < 0)
            jianpuRow = r;
        if (!isWest && !isJianpu)
            continue;
        for (int c = 0; c < cols; ++c) {
            const TCell* cell = Cell0(c, r);
            if (!cell)
                break;
            const bool clef = IsClefCell(*cell);
            if (cell->Note == 63 || IsBarMarkCell(*cell) || clef) {
                startCell = cell;
                startRow = r;
                startWest = isWest;
                startJianpu = isJianpu;
                if (cell->jEnd >= 1 || clef || cell->Note == 63)
                    startCol = c;
                break;
            }
        }
    }

    if (startCell && jianpuRow >= 0 && startRow > jianpuRow) {
        firstRow = lastRow = jianpuRow;
        return 0;
    }
    if (startCol < 0) {
        for (int r = std::max(firstRow, 0); r < rows; ++r) {
            if (IsMusicRow(r)) {
                firstRow = lastRow = r;
                return 0;
            }
        }
        return -1;
    }

    firstRow = startRow;
    int r = firstRow;
    if (startCell->markType == kBraceMark) {
        // The brace joins the staff down to the next clef in its column; that clef
        // records its own row as the end of the pair.
        for (int k = firstRow + 1; k < rows; ++k) {
            const TCell* cell = Cell0(startCol, k);
            if (cell && IsClefCell(*cell)) {
                if (cell->markType != kBraceMark)
                    frmMainTQ->PageSets[0][static_cast<size_t>(frmMainTQ->CurPage)]
                                       [static_cast<size_t>(k)][static_cast<size_t>(startCol)].jEnd = k;
                r = k;
                break;
            }
        }
    }

    while (r < rows) {
        const TCell* cell = Cell0(startCol, r);
        if (!cell)
            break;
        if (IsBarMarkCell(*cell) && ((startWest && IsWestRow(cell->jEnd, 0, -1)) ||
                                     (startJianpu && IsJianpuMusicRow(cell->jEnd, -1, -1)))) {
            // A damaged end row above the walk must not send it back up.
            r = std::max(cell->jEnd + 2, r + 1);
            continue;
        }
        const TCell* left = startCol > 0 ? Cell0(startCol - 1, r) : nullptr;
        if (IsRowMarkNote(cell->Note) || IsClefCell(*cell) || (left && IsRowMarkNote(left->Note))) {
            ++r;
            continue;
        }
        break;
    }

    lastRow = std::min(r - 1, rows - 1);
    if (lastRow <= firstRow)
        lastRow = firstRow + 1;
    return startCol;
}

namespace {

// The groups met walking down from row 0, as far as a walk has gone.
struct TRowGroupWalk {
    struct TGroup {
        int first, last, result;
    };
    // what the walk is of
    const TMainScore* score = nullptr;
    int page = -1, rows = -1, cols = -1, mode = 0;
    std::vector<TGroup> groups;
    int next = 0;        // the row the walk goes on from
    bool failed = false; // the walk met a row that starts no group: it ends there
    bool Matches(int m) const {
        return score == frmMainTQ && page == frmMainTQ->CurPage && rows == frmMainTQ->Rows &&
               cols == frmMainTQ->Cols && mode == m;
    }
    void Restart(int m) {
        score = frmMainTQ;
        page = frmMainTQ->CurPage;
        rows = frmMainTQ->Rows;
        cols = frmMainTQ->Cols;
        mode = m;
        groups.clear();
        next = 0;
        failed = false;
    }
};

int gWalkScopes = 0;
TRowGroupWalk& Walk() {
    static TRowGroupWalk walk;
    return walk;
}

// One step of the walk from r: -2 when r starts no group of the mode (go on
// from r + 1), -1 when the walk ends there, else the group's result with its
// rows in first and last.
int WalkStep(int r, int mode, int& first, int& last) {
    if ((mode == 1 && !IsJianpuMusicRow(r, -1, -1)) || (mode == 0 && !IsWestRow(r, 0, -1)))
        return -2;
    first = r;
    last = r;
    return FindNextRowGroup(first, last, mode);
}

} // namespace

TRowGroupWalkScope::TRowGroupWalkScope() {
    if (gWalkScopes++ == 0)
        Walk().score = nullptr;
}

TRowGroupWalkScope::~TRowGroupWalkScope() {
    if (--gWalkScopes == 0)
        Walk().score = nullptr;
}

int GetRowGroupRange(int& row, int& lastRow, int mode) {
    TLayerSwitch layer0(0);
    const int rows = GridRows();
    if (gWalkScopes > 0 && frmMainTQ) {
        // The same walk as below, kept: answered from the groups already met,
        // going on only as far as this row needs.
        TRowGroupWalk& w = Walk();
        if (!w.Matches(mode))
            w.Restart(mode);
        for (size_t i = 0;; ++i) {
            if (i == w.groups.size()) {
                if (w.failed) {
                    lastRow = row;
                    return -1;
                }
                // extend the walk by one group
                int first = 0, last = 0, result = -2;
                while (w.next < rows && (result = WalkStep(w.next, mode, first, last)) == -2)
                    ++w.next;
                if (w.next >= rows)
                    return -1;
                if (result == -1) {
                    w.failed = true;
                    lastRow = row;
                    return -1;
                }
                w.groups.push_back({first, last, result});
                w.next = std::max(last + 1, w.next + 1);
            }
            const TRowGroupWalk::TGroup& g = w.groups[i];
            if (row <= g.last) {
                row = g.first;
                lastRow = g.last;
                return g.result;
            }
        }
    }
    int r = 0;
    while (r < rows) {
        int first = r;
        int last = r;
        const int result = WalkStep(r, mode, first, last);
        if (result == -2) {
            ++r;
            continue;
        }
        if (result == -1) {
            lastRow = row;
            return -1;
        }
        if (row <= last) {
            row = first;
            lastRow = last;
            return result;
        }
        r = std::max(last + 1, r + 1);
    }
    return -1;
}

bool FindGrandStaffPair(int row, int& upperRow, int& lowerRow) {
    if (!frmMainTQ)
        return false;
    TLayerSwitch layer0(0);
    GetRowGroup(frmMainTQ->SelRow0, -1);
    if (GroupRows.size() < 2)
        return false;
    for (const TGroupData& g : GroupRows) {
        if (g.hasSystemMark && (g.row == row || g.markEndRow == row)) {
            upperRow = g.row;
            lowerRow = g.markEndRow;
            return true;
        }
    }
    return false;
}

void FindFirstTimeSignature(TPoint& pt, int& numerator, int& denominator, int fromRow) {
    pt = TPoint{-1, -1};
    for (int r = std::max(fromRow, 0); r < GridRows(); ++r) {
        for (int c = 0; c < GridCols(); ++c) {
            const TCell* cell = CellAtAddress(c, r, 0, 0);
            if (!cell)
                break;
            if (cell->cellType == ctTimeSig) {
                numerator = cell->upNote;
                denominator = cell->Note;
                pt = TPoint{c, r};
                return;
            }
        }
    }
}

int FindJianpuKeyTextBack(int row, int& col) {
    for (int r = std::min(row, GridRows() - 1); r >= 0; --r) {
        for (int c = GridCols() - 1; c >= 0; --c) {
            const TCell* cell = Cell(c, r);
            if (cell && IsJianpuKeyTextCell(*cell)) {
                col = c;
                return r;
            }
        }
    }
    return -1;
}

// ---------------------------------------------------------------------------
// Column searches

int FindClefCodeLeft(int col, int row, int& clefCol) {
    clefCol = -1;
    for (int c = std::min(col, GridCols() - 1); c >= 0; --c) {
        const TCell* cell = Cell0(c, row);
        if (!cell)
            return 0;
        if (cell->cellType == ctWestern && cell->Note > -8 && cell->Note < 0) {
            clefCol = c;
            return cell->Note;
        }
    }
    return 0;
}

int ClefCodeLeftOf(int col, int row) {
    int clefCol = -1;
    return FindClefCodeLeft(col, row, clefCol);
}

int GetClefCodeAt(int col, int row) { return ClefCodeLeftOf(col, row); }

int FindClefColLeft(int col, int row) {
    for (int c = std::min(col, GridCols() - 1); c >= 0; --c) {
        const TCell* cell = Cell(c, row);
        if (!cell)
            return -1;
        if (IsClefCell(*cell))
            return c;
    }
    return -1;
}

namespace {

template <typename Found>
bool WalkLeftToClef(const TCellRow& cells, int& col, Found found) {
    if (cells.empty())
        return false;
    int start = col;
    if (start <= 0 || start >= static_cast<int>(cells.size()))
        start = static_cast<int>(cells.size()) - 1;
    for (int c = start; c >= 0; --c) {
        const TCell& cell = cells[static_cast<size_t>(c)];
        if (found(cell)) {
            col = c;
            return true;
        }
        if (IsClefCell(cell))
            return false;
    }
    return false;
}

} // namespace

bool FindKeyResetLeft(const TCellRow& cells, int& col) {
    return WalkLeftToClef(cells, col, [](const TCell& c) { return c.Note == -15; });
}

bool FindAccidentalLeft(const TCellRow& cells, int& col) {
    return WalkLeftToClef(cells, col, [](const TCell& c) { return IsAccidentalSymbolCode(c.Note); });
}

void GetMeasureBounds(int col, int row, int& startCol, int& endCol) {
    startCol = 0;
    for (int c = std::min(col, GridCols() - 1); c >= 0; --c) {
        if (IsBarLineAt(c, row, -1)) {
            startCol = c;
            break;
        }
    }
    endCol = GridCols() - 1;
    for (int c = std::max(col, 0); c < GridCols(); ++c) {
        if (IsBarLineAt(c, row, -1)) {
            endCol = c;
            break;
        }
    }
}

int FindMeasureStartCol(int col, int row) {
    for (int c = std::min(col, GridCols() - 1); c >= 0; --c) {
        const TCell* cell = Cell0(c, row);
        if (IsBarLineAt(c, row, -1) || (cell && cell->cellType == ctTimeSig))
            return c;
    }
    return 0;
}

int FindMeasureEndCol(int col, int row) {
    for (int c = std::max(col, 0); c < GridCols(); ++c)
        if (IsBarLineAt(c, row, -1))
            return c;
    return GridCols() - 1;
}

bool FindNextJianpuNote(int& col, int row) {
    for (int c = std::max(col, 0); c < GridCols(); ++c) {
        if (IsJianpuSoundAt(c, row, -1, -1)) {
            col = c;
            return true;
        }
    }
    return false;
}

// Western and Jianpu rows edited together: the Western row (layer 0) and, when the
// page has its layer-1 twin, the Jianpu rows on the same line and the line above.
bool FindFreeColBack(int& col, int row) {
    if (!frmMainTQ)
        return false;
    const bool twin = frmMainTQ->HasJianpuPage();
    for (int c = std::min(col, GridCols() - 1); c >= 0; --c) {
        const TCell* west = Cell0(c, row);
        if (!west)
            return false;
        const TCell* same = west;
        const TCell* above = west;
        if (twin) {
            if (const TCell* j = Cell(c, row, 1))
                same = j;
            if (row > 0)
                if (const TCell* j = Cell(c, row - 1, 1))
                    above = j;
        }
        if (west->Note == 32 && same->Note == 32 && above->Note == 32) {
            col = c;
            return true;
        }
        if (IsNoteOrRestCell(*west) || IsNoteOrRestCell(*same) || IsNoteOrRestCell(*above))
            return false;
    }
    return false;
}

bool FindFreeColForward(int& col, int row) {
    for (int c = std::max(col + 1, 0); c < GridCols(); ++c) {
        const TCell* cell = Cell(c, row);
        if (!cell)
            return false;
        if (cell->Note == 32) {
            col = c;
            return true;
        }
        if (IsNoteOrRestCell(*cell))
            return false;
    }
    return false;
}

int FindSpanStartCol(int n) {
    if (!frmMainTQ)
        return -1;
    const int col0 = frmMainTQ->SelCol0;
    const int row = frmMainTQ->SelRow0;
    if (n <= 1)
        return col0;
    int k = 1;
    for (int c = col0 + 1; c < GridCols(); ++c) {
        const TCell* cell = Cell(c, row);
        if (!cell || cell->Note != 32)
            break;
        if (++k >= n)
            return col0;
    }
    for (int c = std::min(col0 - 1, GridCols() - 1); c >= 0; --c) {
        const TCell* cell = Cell(c, row);
        if (!cell || cell->Note != 32)
            return c;
        if (++k >= n)
            return c;
    }
    return -1;
}

int FindBeamGroupEnd(int col, int row, bool west, int step) {
    const TCell* cell = Cell(col, row);
    if (!cell || !IsNoteOrRestCell(*cell) || (step != 1 && step != -1))
        return col;
    const int level0 = GetCellDurLevel(west, *cell);
    for (int c = col + step; c >= 0 && c < GridCols(); c += step) {
        const TCell* next = Cell(c, row);
        if (!next)
            break;
        const int level = GetCellDurLevel(west, *next);
        if (west && (next->option & (kTailStartBit | kTailEndBit)) != 0)
            return c;
        if (level0 >= 1 && level >= 1 && level <= 7)
            continue;
        if (!IsNoteOrRestCell(*next))
            return c - step;
        if ((level0 > 0 && level <= 0) || (level0 <= 0 && level > 0))
            return c - step;
    }
    return step > 0 ? GridCols() - 1 : 0;
}

bool FindTailGroupRange(int col, int row, int& startCol, int& endCol) {
    const int savedStart = startCol;
    const int savedEnd = endCol;
    startCol = -1;
    endCol = -1;
    const uint32_t startBits = kTailStartBit | kBeamStartBit;
    const uint32_t endBits = kTailEndBit | kBeamEndBit;

    for (int c = std::min(col, GridCols() - 1); c >= 0; --c) {
        const TCell* cell = Cell(c, row);
        if (!cell)
            break;
        if (cell->option & endBits) {
            if (c != col)
                break;
            endCol = col;
        }
        if (cell->option & startBits) {
            startCol = c;
            break;
        }
    }
    if (startCol < 0) {
        startCol = savedStart;
        endCol = savedEnd;
        return false;
    }
    if (endCol >= startCol)
        return true;
    for (int c = col + 1; c < GridCols(); ++c) {
        const TCell* cell = Cell(c, row);
        if (!cell || (cell->option & startBits))
            break;
        if (cell->option & endBits) {
            endCol = c;
            break;
        }
    }
    if (endCol < startCol) {
        startCol = savedStart;
        endCol = savedEnd;
        return false;
    }
    return true;
}

namespace {

// One per column, less the blank cells and grace notes, plus the extra notes of a
// cell with small notes. forCurve: grace cells never add their small notes, and a
// two-note span counts as three (the curve needs a middle point).
int CountNotes(int col1, int row, int col2, int layer, bool forCurve) {
    int count = col2 - col1 + 1;
    for (int c = col1; c <= col2; ++c) {
        const TCell* cell = Cell(c, row, layer);
        if (!cell)
            continue;
        const bool vertical = IsVerticalCell(*cell);
        if (!cell->CompressNotes.empty() && !vertical && !(forCurve && IsGraceCell(*cell))) {
            count += static_cast<int>(cell->CompressNotes.size()) - 1;
            for (const TCompressNote& item : cell->CompressNotes)
                if (item.code == 32)
                    --count;
        } else if (!vertical && cell->Note == 32) {
            --count;
        } else if (IsGraceCell(*cell)) {
            --count;
        }
    }
    if (forCurve && count == 2)
        count = 3;
    return count;
}

// Counts the cells of one code after col; the blank, the other code and symbol
// or sound-effect cells are passed over, anything else ends the count.
int CountAfter(int col, int row, int counted, int passed) {
    int count = 0;
    for (int c = col + 1; c < GridCols(); ++c) {
        const TCell* cell = Cell(c, row);
        if (!cell)
            break;
        if (cell->Note == counted)
            ++count;
        else if (!(cell->Note == 32 || cell->Note == passed || cell->cellType == ctSymbol ||
                   cell->cellType == ctSoundEffect))
            break;
    }
    return count;
}

} // namespace

int CountNotesInSpan(int col1, int row, int col2, int layer) {
    return CountNotes(col1, row, col2, layer, false);
}

int CountNotesForCurve(int col1, int row, int col2, int layer) {
    return CountNotes(col1, row, col2, layer, true);
}

int CountDashesAfter(int col, int row) { return CountAfter(col, row, kDashChar, kDotChar); }

int CountDotsAfter(int col, int row) { return CountAfter(col, row, kDotChar, kDashChar); }

// ---------------------------------------------------------------------------
// Jianpu beats

int JianpuBeatTicks(int row) {
    int numerator = 0, denominator = 0;
    for (int r = std::min(row, GridRows() - 1); r >= 0 && denominator == 0; --r)
        for (int c = GridCols() - 1; c >= 0; --c) {
            const TCell* cell = Cell(c, r);
            if (cell && cell->cellType == ctTimeSig && cell->upNote >= 1 && cell->Note >= 1) {
                numerator = cell->upNote;
                denominator = cell->Note;
                break;
            }
        }
    if (denominator == 0) {
        TPoint at;
        FindFirstTimeSignature(at, numerator, denominator, 0);
    }
    if (numerator < 1 || denominator < 1 || denominator > 128)
        return 32;
    const int unit = 128 / denominator;
    return denominator >= 8 && numerator > 3 && numerator % 3 == 0 ? 3 * unit : unit;
}

int JianpuOnsetInMeasure(int col, int row) {
    int c = FindMeasureStartCol(col - 1, row);
    const TCell* first = Cell(c, row);
    if (first && (IsBarLineAt(c, row, -1) || first->cellType == ctTimeSig))
        ++c;
    int ticks = 0, value = 0, dots = 0;
    for (; c < col; ++c) {
        const TCell* cell = Cell(c, row);
        if (!cell || IsGraceCell(*cell) || (cell->option & 0x10000000u))
            continue;
        if (IsShrinkCell(*cell) || IsTupletMarkCell(*cell) || cell->markType == 87)
            return -1;
        if (cell->Note == kDashChar) {
            ticks += value;
        } else if (cell->Note == kDotChar) {
            ticks += value >> ++dots; // a half, then a quarter of the note's value
        } else if (IsJianpuSound(*cell)) {
            value = GetCellTicks(*cell);
            dots = 0;
            ticks += value;
            if (cell->option & 0x40u)
                ticks += 3 * value / 4;
            else if (cell->option & 0x8u)
                ticks += value / 2;
        }
    }
    return ticks;
}

// ---------------------------------------------------------------------------
// Jianpu key texts

std::string FindJianpuKeyInRow(const TCellRow& cells, int& keyIndex, int& code, int& col) {
    //                          A  B  C  D  E  F  G
    static const int natural[] = {3, 5, 0, 2, 4, 6, 1};
    static const int sharp[] = {7, 0, 14, 8, 6, 11, 9};
    static const int flat[] = {9, 7, 5, 14, 8, 4, 11};

    code = -1;
    col = -1;
    for (int c = static_cast<int>(cells.size()) - 1; c >= 0; --c) {
        const TCell& cell = cells[static_cast<size_t>(c)];
        if (cell.cellType != ctText)
            continue;
        const std::string& text = cell.Text;
        size_t pos = text.find("1 = ");
        if (pos != std::string::npos) {
            pos += 4;
        } else {
            pos = text.find("1=");
            if (pos == std::string::npos)
                continue;
            pos += 2;
        }
        if (cell.Attr != kNoAttr && (cell.Attr & 0xF0) == 0x90) {
            keyIndex = 0;
            code = cell.Note;
            col = c;
            return "C";
        }
        for (size_t i = pos; i < text.size(); ++i) {
            const char letter = text[i];
            if (letter < 'A' || letter > 'G')
                continue;
            const char after = i + 1 < text.size() ? text[i + 1] : '\0';
            const char before = i > 0 ? text[i - 1] : '\0';
            const int k = letter - 'A';
            if (after == '#' || before == '#')
                keyIndex = sharp[k];
            else if (after == 'b' || before == 'b')
                keyIndex = flat[k];
            else
                keyIndex = natural[k];
            col = c;
            return std::string(1, letter);
        }
    }
    keyIndex = -1;
    col = -1;
    return "";
}

int GetJianpuKeyAt(int col, int row, int& fixedDo, int& note) {
    const TCell* cell = Cell0(col, row);
    if (!cell || cell->cellType != ctText)
        return -1;
    const int key = GetJianpuKeyFromText(TrimBlanks(cell->Text), col, row);
    if (key == -1 || key < -99)
        return -1;
    if (cell->Text.find("C Fixed Key") != std::string::npos) {
        fixedDo = 1;
        note = cell->Note;
    }
    return key;
}
