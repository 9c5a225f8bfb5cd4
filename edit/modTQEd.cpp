#include "edit/modTQEd.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <utility>

#include "edit/modTQEditContext.h"
#include "model/modTQCellAccess.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "model/modTQTailLinks.h"
#include "model/modTQUndo.h"
#include "platform/core/TQMessage.h"
#include "render/modTQMainView.h"

namespace {

constexpr int kBraceMark = 54191118;
// A spanning-mark end that points nowhere, while its cell sits in a buffer.
constexpr int kNoEnd = INT_MIN;
constexpr uint32_t kBeamStart = 0x2;
constexpr uint32_t kBeamEnd = 0x4;

TEd* g_mainEd = nullptr;

int OtherLayer(int layer) { return layer == 0 ? 1 : 0; }

TPage* PageOf(int layer, int page) {
    TMainScore* s = frmMainTQ;
    if (!s || layer < 0 || layer > 1 || page < 0 || page >= int(s->PageSets[layer].size()))
        return nullptr;
    TPage& p = s->PageSets[layer][page];
    return int(p.size()) == s->Rows + 1 ? &p : nullptr;
}

TPage* CurPageOf(int layer) { return frmMainTQ ? PageOf(layer, frmMainTQ->CurPage) : nullptr; }

TCell* CellOf(int col, int row, int layer) {
    TMainScore* s = frmMainTQ;
    TPage* p = CurPageOf(layer);
    if (!p || col < 0 || row < 0 || col >= s->Cols || row >= s->Rows || col >= int((*p)[row].size()))
        return nullptr;
    return &(*p)[row][col];
}

// The drawing part of the window, when the current score has one.
TMainView* View() { return dynamic_cast<TMainView*>(frmMainTQ); }

void RedrawPage() {
    if (TMainView* v = View())
        v->RedrawPage();
}

// A mark end made relative to the cell's own position, and back.
int ToRelative(int end, int pos) { return end >= 0 ? end - pos : kNoEnd; }
int ToAbsolute(int end, int pos, int last) { return end == kNoEnd ? -1 : std::min(end + pos, last); }

// A span end moved by delta, never pushed past the grid's last index by the move.
int MovedEnd(int end, int delta, int last) {
    const int moved = end + delta;
    return delta > 0 ? std::min(moved, std::max(end, last)) : moved;
}

// A mark (not a staff header) in column c whose span reaches column col > c.
bool SpansColumn(const TCell& cell, int c, int col) {
    return cell.markType != 0 && !IsClefCell(cell) && cell.iEnd >= col && cell.iEnd > c;
}
bool IsClefChange(const TCell& c, int col) { return IsClefCell(c) && col > 2 && (c.iEnd == col || c.iEnd < 1); }

// Puts CurLayer back on every way out.
class TLayerKeeper {
public:
    TLayerKeeper() : saved_(CurLayer) {}
    ~TLayerKeeper() { CurLayer = saved_; }
    int saved() const { return saved_; }

private:
    int saved_;
};

} // namespace

TEd& MainEd() {
    static TEd programWide;
    if (!g_mainEd)
        SetMainEd(&programWide);
    return *g_mainEd;
}

void SetMainEd(TEd* ed) {
    g_mainEd = ed;
    Undo.OnClearPage = [] { MainEd().ClearPage(false); };
}

void TEd::SetPaste(bool enabled) {
    PasteEnabled = enabled;
    if (OnPasteEnabled)
        OnPasteEnabled(enabled);
}

void TEd::SaveBlockOn(int layer, int x1, int y1, int x2, int y2) {
    const int saved = CurLayer;
    CurLayer = layer;
    SaveLayerBlock(x1, y1, x2, y2);
    CurLayer = saved;
    ++savedItems_;
}

bool TEd::ApplyToBothLayers() const {
    return frmMainTQ && frmMainTQ->HasJianpuPage() && EditSettings().ApplyToBothLayerChecked;
}

void TEd::ClearMoveBuffer() {
    MoveBuffer[0].clear();
    MoveBuffer[1].clear();
}

// ---------------------------------------------------------------- buffers

void TEd::FillBuffer(int layer, int clefEnd, bool toMoveBuffer) {
    TMainScore* s = frmMainTQ;
    TPage* page = CurPageOf(layer);
    if (!s || !page)
        return;
    TBlockBuffer& buffer = toMoveBuffer ? MoveBuffer[layer] : Clipboard[layer];
    const int lastRow = std::min(s->SelRow1, s->Rows - 1);
    const int lastCol = std::min(s->SelCol1, s->Cols - 1);
    for (int r = std::max(0, s->SelRow0); r <= lastRow; ++r) {
        TCellRow cells;
        for (int c = std::max(0, s->SelCol0); c <= lastCol; ++c) {
            if (IsBackgroundImageCell(c, r, layer, s->CurPage))
                continue;
            TCell cell = (*page)[r][c];
            if (IsClefChange(cell, c)) {
                cell.iEnd = clefEnd;
            } else if (cell.markType != 0) {
                if (!toMoveBuffer) {
                    // Marks reaching below the copied lines are left behind.
                    if (cell.markType == kBraceMark && IsClefCell(cell) && cell.jEnd > s->SelRow1)
                        cell.markType = 0;
                    if (cell.cellType == ctJianpu && IsBarMarkCell(cell) && cell.jEnd > s->SelRow1)
                        cell.markType = 0;
                }
                // Ends of a mark that was left behind stay as they are.
                if (cell.markType != 0) {
                    cell.iEnd = ToRelative(cell.iEnd, c);
                    cell.jEnd = ToRelative(cell.jEnd, r);
                }
            }
            cells.push_back(std::move(cell));
        }
        buffer.push_back(std::move(cells));
    }
    OriginCol = s->SelCol0;
    OriginRow = s->SelRow0;
}

void TEd::PasteBuffer(int layer, int col, int row, const TBlockBuffer& buffer, int mode, bool clearBraces) {
    TMainScore* s = frmMainTQ;
    TPage* page = CurPageOf(layer);
    if (!s || !page)
        return;
    std::size_t width = 0;
    for (const TCellRow& cells : buffer)
        width = std::max(width, cells.size());
    const int blockRows = int(buffer.size());
    for (int r = 0; r < blockRows; ++r) {
        if (row + r >= s->Rows)
            break;
        if (row + r < 0)
            continue;
        const TCellRow& cells = buffer[r];
        // A row that lost the page background cell lacks its first cell: the rest keep their columns.
        const int shift = int(width - cells.size());
        for (int i = 0; i < int(cells.size()); ++i) {
            const int c = i + shift;
            if (col + c >= s->Cols)
                break;
            if (col + c < 0)
                continue;
            TCell C = cells[i];
            TCell& T = (*page)[row + r][col + c];
            if (layer == 1 && IsLayerStructureCell(C))
                continue;
            if (C.markType != 0) {
                const int relRow = C.jEnd;
                C.iEnd = ToAbsolute(C.iEnd, col + c, s->Cols - 1);
                C.jEnd = ToAbsolute(C.jEnd, row + r, s->Rows - 1);
                if (clearBraces && IsClefCell(C) && C.markType == kBraceMark && relRow != kNoEnd &&
                    relRow + row + blockRows - 1 <= C.jEnd) {
                    C.markType = 0;
                    C.jEnd = 0;
                }
            }
            switch (mode) {
            case 0:
                T = std::move(C);
                break;
            case 1:
                T.markType = C.markType;
                T.markHAdj = C.markHAdj;
                T.markWAdj = C.markWAdj;
                T.MarkY = C.MarkY;
                T.EndYAdj = C.EndYAdj;
                T.iEnd = C.iEnd;
                T.jEnd = C.jEnd;
                T.option = (T.option & ~0x80000u) | (C.option & 0x80000u);
                break;
            case 2:
                if (C.cellType == ctText) {
                    T.FontName = C.FontName;
                    T.FontStyle = C.FontStyle;
                    T.FontCharset = C.FontCharset;
                }
                break;
            case 3:
                T.xAdj = C.xAdj;
                T.yAdj = C.yAdj;
                T.shrinkRate = C.shrinkRate;
                break;
            default:
                break;
            }
        }
        if (mode == 0) {
            RepairBeamGroups(OriginRow, layer);
            if (row + r != OriginRow)
                RepairBeamGroups(row + r, layer);
        }
    }
}

void TEd::ClearCells(int fromCol, int fromRow, int toCol, int toRow, int layer, bool clearBraces) {
    TMainScore* s = frmMainTQ;
    if (!s || !CurPageOf(layer))
        return;
    TLayerKeeper keep;
    CurLayer = layer;
    for (int r = std::max(0, std::min(fromRow, toRow)); r <= std::min(std::max(fromRow, toRow), s->Rows - 1); ++r) {
        for (int c = std::max(0, std::min(fromCol, toCol)); c <= std::min(std::max(fromCol, toCol), s->Cols - 1);
             ++c) {
            if (IsBackgroundImageCell(c, r, layer, s->CurPage))
                continue;
            TCell* cell = CellOf(c, r, layer);
            if (clearBraces && IsClefCell(*cell) && cell->markType == 0) {
                // The clef that ends a grand-staff brace goes: the brace above ends with it.
                const int west = FindWestRowBack(r - 1);
                TCell* upper = west >= 0 ? CellOf(c, west, layer) : nullptr;
                if (upper && upper->markType == kBraceMark && upper->jEnd == r) {
                    SaveBlockOn(layer, c, west, c, west);
                    Undo.SetUndoGroup(2);
                    upper->markType = 0;
                    upper->jEnd = 0;
                }
            }
            ResetCell(*cell, false);
        }
    }
}

void TEd::RepairBeamGroups(int line, int layer) {
    TMainScore* s = frmMainTQ;
    TPage* page = CurPageOf(layer);
    if (!s || !page || line < 0 || line >= s->Rows)
        return;
    TCellRow& cells = (*page)[line];
    int open = -1;
    for (int c = 0; c < s->Cols && c < int(cells.size()); ++c) {
        TCell& cell = cells[c];
        const uint32_t style = cell.Attr & 0xF0;
        if (style == 0xA0 || style == 0xC0 || style == 0xD0)
            continue;
        if (cell.option & kBeamStart) {
            if (open >= 0)
                cells[open].option &= ~kBeamStart;
            open = c;
        }
        if (cell.option & kBeamEnd) {
            if (open < 0)
                cell.option &= ~kBeamEnd;
            else
                open = -1;
        }
    }
    if (open >= 0)
        cells[open].option &= ~kBeamStart;
}

// ---------------------------------------------------------------- moving blocks

int TEd::FindMarkStartLeft(int col, int row) const {
    for (int c = col; c >= 0; --c) {
        const TCell* cell = CellOf(c, row, CurLayer);
        if (cell && IsSlurOrTupletMarkCell(*cell))
            return c;
    }
    return -1;
}

void TEd::MoveSelectionTo(int col, int row, uint8_t clearBraces) {
    TMainScore* s = frmMainTQ;
    if (!s)
        return;
    ClearMoveBuffer();
    const int passes = ApplyToBothLayers() ? 2 : 1;
    const int c0 = s->SelCol0, r0 = s->SelRow0, c1 = s->SelCol1, r1 = s->SelRow1;
    TLayerKeeper keep;
    savedItems_ = 0;
    const bool braced = PageHasBrace();
    for (int pass = 0; pass < passes; ++pass) {
        const int layer = pass == 0 ? keep.saved() : OtherLayer(keep.saved());
        CurLayer = layer;
        SaveBlockOn(layer, 0, r0, s->Cols - 1, r1);
        // Refitting the braces changes brace ends and connecting bar lines on
        // rows outside the moved block: with a brace on the page, its layer-0
        // grid is saved whole before anything moves (and is put back before
        // the lines of the current layer, which Undo leaves current).
        if (pass == 0 && braced)
            SaveBlockOn(0, 0, 0, s->Cols - 1, s->Rows - 1);
        FillBuffer(layer, col, true);
        ClearCells(c0, r0, c1, r1, layer, clearBraces != 0);
        SaveBlockOn(layer, col, row, std::max(0, std::min(s->Cols - 1, c1 - c0 + col)),
                    std::max(0, std::min(s->Rows - 1, r1 - r0 + row)));
        PasteBuffer(layer, col, row, MoveBuffer[layer], 0, clearBraces != 0);
        if (layer == 0)
            RefitBraces();
    }
    // One Undo takes the whole move back, brace items included.
    Undo.SetUndoGroup(savedItems_);
}

void TEd::MoveBlock(int col, int row, uint8_t clearBraces) {
    TMainScore* s = frmMainTQ;
    if (!s)
        return;
    const int c0 = s->SelCol0, r0 = s->SelRow0, c1 = s->SelCol1, r1 = s->SelRow1;
    const int cols = s->Cols;
    const bool oneStep = std::abs(col - c0) == 1 && c0 == cols - 2 && r0 == r1;

    int keepUL = 0;
    {
        int a = -1, b = -1;
        if (oneStep && col > c0 && col >= 2) {
            a = col - 2;
            b = col - 1;
        } else if (oneStep && col < c0 && col + 2 < cols) {
            a = col + 2;
            b = col + 1;
        }
        const TCell* A = a >= 0 ? CellOf(a, row, CurLayer) : nullptr;
        const TCell* B = b >= 0 ? CellOf(b, row, CurLayer) : nullptr;
        if (A && B && IsJianpuSound(*A) && IsJianpuSound(*B) && A->UL > 0 && B->UL > 0)
            keepUL = std::min(A->UL, B->UL);
    }

    bool haveKeepEnd = false;
    int keepEnd = 0;
    // A mark left of the block whose end follows it: its new end is written
    // after the move saved its line for undo.
    int followCol = -1, followEnd = 0;
    if (r0 == r1) {
        const int m = FindMarkStartLeft(c0, row);
        if (TCell* M = m >= 0 ? CellOf(m, row, CurLayer) : nullptr) {
            if (M->iEnd <= cols - 2 && m >= c0) {
                // the mark moves with the block
            } else if (m == c0) {
                haveKeepEnd = true;
                keepEnd = M->iEnd;
            } else if (M->iEnd == cols - 2) {
                followCol = m;
                followEnd = col + (cols - 2) - c0;
            }
        }
    }

    MoveSelectionTo(col, row, clearBraces);

    if (followCol >= 0)
        if (TCell* M = CellOf(followCol, row, CurLayer)) {
            // (its line need not be among the moved ones: the cell joins the step)
            SaveBlockOn(CurLayer, followCol, row, followCol, row);
            Undo.SetUndoGroup(savedItems_);
            M->iEnd = followEnd;
        }
    if (haveKeepEnd)
        if (TCell* moved = CellOf(col, row, CurLayer))
            moved->iEnd = keepEnd;
    s->SelCol1 = c1 + col - c0;
    s->SelRow1 = r1 + row - r0;
    s->SelCol0 = col;
    s->SelRow0 = row;
    if (keepUL > 0) {
        const TCell* here = CellOf(col, row, CurLayer);
        if (here && IsJianpuSound(*here)) {
            const int target = oneStep && col > c0 ? col - 1 : col + 1;
            if (TCell* t = CellOf(target, row, CurLayer))
                t->UL = keepUL;
        }
    }
    s->SetModified(true);
}

void TEd::DeleteRange(int fromCol, int fromRow, int toCol, int toRow) {
    TMainScore* s = frmMainTQ;
    if (!s)
        return;
    int x1 = fromCol, x2 = toCol;
    if (IsWestRow(fromRow, 0, -1)) {
        // Western lines are saved in whole measures, since beams and ties reach across the range.
        x1 = FindMeasureStartCol(fromCol, fromRow);
        x2 = std::min(s->Cols - 1, FindMeasureEndCol(toCol, toRow));
    }
    const bool both = ApplyToBothLayers();
    TLayerKeeper keep;
    savedItems_ = 0;
    SaveBlockOn(CurLayer, x1, fromRow, x2, toRow);
    ClearTailLinks(fromCol, fromRow, toCol, toRow);
    ClearCells(fromCol, fromRow, toCol, toRow, CurLayer, true);
    if (both) {
        CurLayer = OtherLayer(keep.saved());
        ClearTailLinks(fromCol, fromRow, toCol, toRow);
        SaveBlockOn(CurLayer, fromCol, fromRow, toCol, toRow);
        Undo.SetUndoGroup(2);
        ClearCells(fromCol, fromRow, toCol, toRow, CurLayer, true);
    }
    // One Undo takes the whole deletion back, brace items of both layers included.
    if (savedItems_ > 2)
        Undo.SetUndoGroup(savedItems_);
    CurLayer = keep.saved();
    s->SetModified(true);
}

// ---------------------------------------------------------------- braces and connecting bar lines

bool TEd::PageHasBrace() const {
    const TPage* page = CurPageOf(0);
    if (!page)
        return false;
    for (const TCellRow& cells : *page)
        for (const TCell& cell : cells)
            if (IsClefCell(cell) && cell.markType == kBraceMark)
                return true;
    return false;
}

void TEd::RefitBraces() {
    TMainScore* s = frmMainTQ;
    TPage* page = CurPageOf(0);
    if (!s || !page)
        return;
    std::vector<int> lines;
    for (int r = 0; r < s->Rows; ++r) {
        for (int c = 0; c < s->Cols; ++c) {
            TCell& brace = (*page)[r][c];
            if (!IsClefCell(brace) || brace.markType != kBraceMark)
                continue;
            lines.push_back(r + 1);
            for (int below = r + 1; below < s->Rows; ++below) {
                const TCell& clef = (*page)[below][c];
                if (!IsClefCell(clef))
                    continue;
                if (clef.markType != kBraceMark)
                    brace.jEnd = below;
                break;
            }
        }
    }
    if (CurLayer == 0)
        for (int line : lines)
            RefitBarLinesBelowBrace(line);
}

void TEd::RefitBarLinesBelowBrace(int line) {
    TMainScore* s = frmMainTQ;
    TPage* page = CurPageOf(0);
    if (!s || !page || line < 1 || line >= s->Rows)
        return;
    for (int r = line - 1; r >= 0; --r) {
        const int clefCol = FindRowClefCol(r);
        if (clefCol < 0)
            continue;
        const TCell& clef = (*page)[r][clefCol];
        if (clef.markType != kBraceMark)
            return;
        const int end = std::min(clef.jEnd, s->Rows - 1);
        if (line > r && line <= end)
            FillConnectingBarLines(clefCol + 1, s->Cols, r, end);
        return;
    }
}

void TEd::FillConnectingBarLines(int col0, int col1, int top, int bottom) {
    TMainScore* s = frmMainTQ;
    TPage* page = CurPageOf(0);
    if (!s || !page || top < 0 || bottom >= s->Rows)
        return;
    for (int c = std::max(0, col0); c < std::min(col1, s->Cols); ++c) {
        const TCell& upper = (*page)[top][c];
        if (!IsBarLineCell(upper) || (*page)[bottom][c].Note != upper.Note)
            continue;
        const int note = upper.Note == 58 ? 60 : upper.Note == 59 ? 61 : upper.Note;
        for (int r = top + 1; r < bottom; ++r)
            (*page)[r][c].Note = note;
    }
}

// ---------------------------------------------------------------- lines and pages

void TEd::AppendPage() {
    TMainScore* s = frmMainTQ;
    if (!s)
        return;
    const bool twin = s->HasJianpuPage();
    s->AllocatePage(0, int(s->PageSets[0].size()), true, 0, 0);
    if (twin)
        s->AllocatePage(1, int(s->PageSets[1].size()), true, 0, 0);
    s->PageCount = int(s->PageSets[0].size());
}

void TEd::ShiftLinesDown(int layer, int firstPage, int lastPage, int row) {
    TMainScore* s = frmMainTQ;
    if (!s || row < 0 || row >= s->Rows)
        return;
    const int rows = s->Rows;
    auto fixEnds = [&](TCellRow& cells, int delta) {
        for (TCell& c : cells)
            if (c.jEnd >= 0)
                c.jEnd = MovedEnd(c.jEnd, delta, rows - 1);
    };
    for (int p = lastPage; p >= firstPage; --p) {
        TPage* page = PageOf(layer, p);
        if (!page)
            continue;
        const int start = p == firstPage ? row : 0;
        for (int r = rows - 2; r >= start; --r) {
            (*page)[r + 1] = std::move((*page)[r]);
            fixEnds((*page)[r + 1], 1);
        }
        if (p > firstPage) {
            if (TPage* previous = PageOf(layer, p - 1)) {
                (*page)[0] = std::move((*previous)[rows - 1]);
                fixEnds((*page)[0], -rows + 1);
            }
        }
    }
    if (TPage* first = PageOf(layer, firstPage)) {
        TCellRow& inserted = (*first)[row];
        inserted.assign(std::size_t(s->Cols) + 1, TCell());
        for (int r = 0; r < row; ++r)
            for (TCell& c : (*first)[r])
                if (c.jEnd >= row)
                    c.jEnd = MovedEnd(c.jEnd, 1, rows - 1);
    }
    if (layer == 0 && CurLayer == 0)
        RefitBarLinesBelowBrace(row);
}

void TEd::ShiftLinesUp(int lastPage, int row) {
    TMainScore* s = frmMainTQ;
    if (!s || row < 0 || row >= s->Rows)
        return;
    const int rows = s->Rows;
    const int layer = CurLayer;
    for (int p = s->CurPage; p <= lastPage; ++p) {
        TPage* page = PageOf(layer, p);
        if (!page)
            continue;
        if (p > s->CurPage) {
            if (TPage* previous = PageOf(layer, p - 1)) {
                (*previous)[rows - 1] = std::move((*page)[0]);
                for (TCell& c : (*previous)[rows - 1])
                    if (c.jEnd >= 0)
                        c.jEnd = MovedEnd(c.jEnd, rows - 1, rows - 1);
            }
        }
        const int start = p == s->CurPage ? row : 0;
        for (int r = start; r <= rows - 2; ++r) {
            (*page)[r] = std::move((*page)[r + 1]);
            for (TCell& c : (*page)[r])
                if (c.jEnd > 0)
                    --c.jEnd;
        }
        (*page)[rows - 1].assign(std::size_t(s->Cols) + 1, TCell());
    }
    if (TPage* last = PageOf(layer, lastPage))
        (*last)[rows - 1].assign(std::size_t(s->Cols) + 1, TCell());
    if (TPage* current = PageOf(layer, s->CurPage))
        for (int r = 0; r < row; ++r)
            for (TCell& c : (*current)[r])
                if (c.jEnd >= row)
                    --c.jEnd;
}

void TEd::InsertLine(int page, int row) {
    TMainScore* s = frmMainTQ;
    if (!s || s->PageSets[0].empty())
        return;
    const bool twin = s->HasJianpuPage();
    // Layer 1 runs as far as layer 0, so none of its lines is pushed off its last page.
    if (twin)
        s->AddMissingJianpuPages();
    const int last = int(s->PageSets[0].size()) - 1;
    auto lastLineFull = [&](int layer) {
        const TPage* p = PageOf(layer, last);
        return p && !IsRowEmpty((*p)[s->Rows - 1]);
    };
    if (lastLineFull(0) || (twin && lastLineFull(1)))
        AppendPage();
    CurLayer = 0;
    ShiftLinesDown(0, page, int(s->PageSets[0].size()) - 1, row);
    if (twin) {
        CurLayer = 1;
        ShiftLinesDown(1, page, int(s->PageSets[1].size()) - 1, row);
    }
    CurLayer = 0;
}

void TEd::DeleteLine() {
    TMainScore* s = frmMainTQ;
    if (!s)
        return;
    TLayerKeeper keep;
    const bool twin = s->HasJianpuPage();
    ShiftLinesUp(int(s->PageSets[CurLayer].size()) - 1, s->SelRow0);
    if (twin) {
        CurLayer = OtherLayer(keep.saved());
        ShiftLinesUp(int(s->PageSets[CurLayer].size()) - 1, s->SelRow0);
    }
}

void TEd::InsertPage(int page) {
    TMainScore* s = frmMainTQ;
    if (!s || page < 0 || page > int(s->PageSets[0].size()))
        return;
    const bool twinAtPage = s->HasJianpuPageAt(page);
    TLayer& twin = s->PageSets[1];
    const std::size_t twinPages = twin.size();
    AppendPage();
    TLayer& base = s->PageSets[0];
    for (int i = int(base.size()) - 2; i >= page; --i)
        base[i + 1] = std::move(base[i]);
    // Layer 1 shifts its own pages from `page` on; it grows by one page so that
    // its last page is not pushed off the end.
    if (twin.size() == twinPages && int(twinPages) > page)
        s->AllocatePage(1, int(twinPages), true, 0, 0);
    for (int i = int(twin.size()) - 2; i >= page; --i)
        twin[i + 1] = std::move(twin[i]);
    s->AllocatePage(0, page, true, 0, 0);
    if (twinAtPage)
        s->AllocatePage(1, page, true, 0, 0);
    s->PageCount = int(base.size());
}

void TEd::DeletePage() {
    TMainScore* s = frmMainTQ;
    if (!s)
        return;
    if (!IsPageEmpty(s->CurPage, 0) && s->Modified &&
        MessageYesNoById(1025, "", mkConfirmation) != mrYes)
        return;
    TLayer& pages = s->PageSets[CurLayer];
    if (pages.size() > 1 && s->CurPage >= 0 && s->CurPage < int(pages.size())) {
        // Without its snapshot the page would be gone for good: the failure is
        // reported and the page stays.
        if (Undo.SaveScoreSnapshot(true).empty())
            return;
        pages.erase(pages.begin() + s->CurPage);
        TLayer& other = s->PageSets[OtherLayer(CurLayer)];
        if (int(other.size()) - 1 >= s->CurPage)
            other.erase(other.begin() + s->CurPage);
        s->PageCount = int(s->PageSets[0].size());
        if (TMainView* v = View())
            v->GoToPage(0);
        else
            s->CurPage = 0;
    }
    s->SetModified(true);
    RedrawPage();
    if (TMainView* v = View())
        v->PageCaption();
}

void TEd::ClearPage(bool ask) {
    TMainScore* s = frmMainTQ;
    if (!s)
        return;
    if (ask) {
        if (s->Modified && MessageYesNoById(1024, "", mkConfirmation) != mrYes)
            return;
        if (!Undo.SavePageSnapshot(s->CurPage))
            return; // reported; the page stays as it is
    }
    const bool both = ApplyToBothLayers();
    s->AllocatePage(CurLayer, s->CurPage, true, 0, 0);
    if (both)
        s->AllocatePage(OtherLayer(CurLayer), s->CurPage, true, 0, 0);
    s->SetModified(true);
    RedrawPage();
}

// ---------------------------------------------------------------- columns

void TEd::InsertColumnInRow(int row, int col) {
    TMainScore* s = frmMainTQ;
    TPage* page = CurPageOf(CurLayer);
    if (!s || !page || row < 0 || row >= s->Rows || col < 0 || col >= s->Cols)
        return;
    TCellRow& cells = (*page)[row];
    for (int c = s->Cols - 1; c > col; --c) {
        cells[c] = std::move(cells[c - 1]);
        if (cells[c].iEnd > 0)
            cells[c].iEnd = MovedEnd(cells[c].iEnd, 1, s->Cols - 1);
    }
    cells[col] = TCell();
    // A mark that starts left of the new column and ends at or after it keeps
    // its end on the note it ended on.
    for (int c = 0; c < col; ++c)
        if (SpansColumn(cells[c], c, col))
            cells[c].iEnd = std::min(cells[c].iEnd + 1, s->Cols - 1);
}

void TEd::DeleteColumnInRow(int row, int col) {
    TMainScore* s = frmMainTQ;
    TPage* page = CurPageOf(CurLayer);
    if (!s || !page || row < 0 || row >= s->Rows || col < 0 || col >= s->Cols)
        return;
    TCellRow& cells = (*page)[row];
    for (int c = col; c <= s->Cols - 2; ++c) {
        cells[c] = std::move(cells[c + 1]);
        if (cells[c].iEnd > 0)
            --cells[c].iEnd;
    }
    cells[s->Cols - 1] = TCell();
    // A mark that starts left of the deleted column and ends at or after it
    // follows its end note one column to the left.
    for (int c = 0; c < col; ++c)
        if (SpansColumn(cells[c], c, col) && cells[c].iEnd > c + 1)
            --cells[c].iEnd;
}

void TEd::InsertColumns(int col, int n) {
    TMainScore* s = frmMainTQ;
    if (!s || n == 0)
        return;
    for (int r = 0; r < s->Rows; ++r) {
        if (n == 1)
            InsertColumnInRow(r, col);
        else if (n == -1)
            DeleteColumnInRow(r, col);
    }
}

// ---------------------------------------------------------------- staff headers

bool TEd::MoveStaffHeader(TCell& header, int col, int row, int dir) {
    TMainScore* s = frmMainTQ;
    if (!s)
        return false;
    bool allowed = std::abs(dir + header.yAdj) <= 2.0f;
    if (header.Note == -1 && header.yAdj == 1.0f && dir == 1)
        allowed = header.Attr >= 6 && header.Attr <= 12;
    if ((header.Note == -2 || header.Note == -5) && header.yAdj == -1.0f && dir == -1)
        allowed = false;
    if (!allowed)
        return false;
    header.yAdj += float(dir);
    if (header.iEnd - col < 2)
        return true;
    const int end = std::min(header.iEnd, s->Cols);
    const bool twin = s->HasJianpuPage();
    for (int layer = 0; layer <= (twin ? 1 : 0); ++layer) {
        for (int c = col + 1; c < end; ++c) {
            TCell* cell = CellOf(c, row, layer);
            if (!cell || IsClefCell(*cell))
                continue;
            if (cell->CompressNotes.empty()) {
                if (IsWestNoteCell(*cell, 1))
                    cell->yAdj += float(2 * dir);
            } else if (cell->cellType == ctWestern) {
                // Small notes of Western cells hold staff positions; a Jianpu
                // cell's small notes hold underline counts and stay as they are.
                for (TCompressNote& n : cell->CompressNotes)
                    n.value += 2 * dir;
            }
        }
    }
    CurLayer = 0;
    return true;
}

void TEd::ToggleAttribute(int request) {
    TMainScore* s = frmMainTQ;
    if (!s || CurLayer == 1 || !CurPageOf(0))
        return;
    Undo.SaveSelectedRows(false);
    for (int r = std::max(0, s->SelRow0); r <= std::min(s->SelRow1, s->Rows - 1); ++r) {
        for (int c = std::max(0, s->SelCol0); c <= std::min(s->SelCol1, s->Cols - 1); ++c) {
            TCell* cell = CellOf(c, r, 0);
            if (!cell || !IsClefCell(*cell))
                continue;
            if (request == saMoveStaffUp || request == saMoveStaffDown)
                MoveStaffHeader(*cell, c, r, request == saMoveStaffUp ? -1 : 1);
            else if (request == saExtendToEndLine) {
                if (!IsClefChange(*cell, c))
                    cell->iEnd = s->Cols;
            } else
                cell->playDur ^= request;
        }
    }
    s->SetModified(true);
    RedrawPage();
}

// ---------------------------------------------------------------- copy, cut and paste

void TEd::Copy() {
    Clipboard[0].clear();
    Clipboard[1].clear();
    TLayerKeeper keep;
    if (ApplyToBothLayers()) {
        CurLayer = 0;
        FillBuffer(0, 0, false);
        FillBuffer(1, 0, false);
    } else {
        FillBuffer(CurLayer, 0, false);
    }
    SetPaste(true);
}

void TEd::Cut() {
    TMainScore* s = frmMainTQ;
    if (!s)
        return;
    Copy();
    DeleteRange(s->SelCol0, s->SelRow0, s->SelCol1, s->SelRow1);
}

void TEd::Paste(int mode) {
    TMainScore* s = frmMainTQ;
    if (!s || (Clipboard[0].empty() && Clipboard[1].empty()))
        return;
    const int savedCol1 = s->SelCol1, savedRow1 = s->SelRow1;
    const TBlockBuffer& sizing = !Clipboard[0].empty() ? Clipboard[0] : Clipboard[1];
    std::size_t width = 0;
    for (const TCellRow& cells : sizing)
        width = std::max(width, cells.size());
    s->SelCol1 = std::min(s->SelCol0 + int(width) - 1, s->Cols - 1);
    s->SelRow1 = std::min(s->SelRow0 + int(sizing.size()) - 1, s->Rows - 1);
    TLayerKeeper keep;
    SaveBlockOn(CurLayer, s->SelCol0, s->SelRow0, s->SelCol1, s->SelRow1);
    if (!Clipboard[1].empty() && !s->HasJianpuPage())
        s->AddMissingJianpuPages();
    if (Clipboard[0].empty() || Clipboard[1].empty()) {
        PasteBuffer(CurLayer, s->SelCol0, s->SelRow0, sizing, mode, true);
    } else {
        PasteBuffer(CurLayer, s->SelCol0, s->SelRow0, Clipboard[CurLayer], mode, true);
        CurLayer = OtherLayer(CurLayer);
        SaveBlockOn(CurLayer, s->SelCol0, s->SelRow0, s->SelCol1, s->SelRow1);
        Undo.SetUndoGroup(2);
        PasteBuffer(CurLayer, s->SelCol0, s->SelRow0, Clipboard[CurLayer], mode, true);
    }
    s->SelCol1 = savedCol1;
    s->SelRow1 = savedRow1;
    CurLayer = keep.saved();
    s->SetModified(true);
    if (TMainView* v = View())
        v->RedrawSelection();
}
