// Automatic Jianpu underlines by beat groups, Increase Underline, the swap of
// a beat group's underline pattern, the octave and step shifts of the
// selection and the horizontal shrink command.
#include <algorithm>
#include <string>
#include <vector>

#include "edit/modTQEd.h"
#include "edit/modTQEditContext.h"
#include "edit/modTQJianpu.h"
#include "edit/modTQSelCells.h"
#include "edit/modTQWestBeaming.h"
#include "edit/modTQWestChord.h"
#include "model/modTQCellAccess.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "model/modTQUndo.h"
#include "platform/core/TQMessage.h"
#include "platform/core/TQStrings.h"
#include "render/modTQMainView.h"

namespace {

constexpr int kDot = -73;

// Beat kind of a time-signature cell: 1 three-four, 2 three-eight or six-time, else 0.
int BeatKindOf(const TCell& c) {
    const int num = c.upNote;
    const int den = c.Note;
    if (num == 3)
        return den == 4 ? 1 : 2;
    return num == 6 ? 2 : 0;
}

bool IsAugDot(const TCell& c) { return c.Note == kDot; }
bool IsSoundingNote(const TCell& c) { return IsJianpuSound(c) && c.Note != kDot; }

} // namespace

int TMainView::FindBeatKind(int row) const {
    const int layer = CurLayer;
    auto scanPage = [&](int page, int fromRow, int& kind) {
        for (int r = fromRow; r >= 0; --r) {
            const TCellRow* cells = selcells::Row(r, layer, page);
            if (!cells)
                continue;
            for (int c = std::min(Cols, static_cast<int>(cells->size())) - 1; c >= 0; --c)
                if (IsTimeSignatureCell((*cells)[static_cast<size_t>(c)])) {
                    kind = BeatKindOf((*cells)[static_cast<size_t>(c)]);
                    return true;
                }
        }
        return false;
    };
    int kind = 0;
    if (scanPage(CurPage, std::min(row, Rows) - 1, kind))
        return kind;
    for (int p = CurPage - 1; p >= 0; --p)
        if (scanPage(p, Rows - 1, kind))
            return kind;
    return 0;
}

int TMainView::FindDotPair(const TCellRow& cells, int from, int to) {
    for (int i = std::max(from, 0); i < to && i + 1 < static_cast<int>(cells.size()); ++i)
        if (IsAugDot(cells[static_cast<size_t>(i)]) && !IsAugDot(cells[static_cast<size_t>(i + 1)]))
            return i;
    return -1;
}

void TMainView::AutoUnderlineJianpuRow(TCellRow& cells, int row, bool selectedOnly, int& beatKind) {
    const int size = static_cast<int>(cells.size());
    const int end = std::min(selectedOnly ? std::max(SelCol0, SelCol1) + 1 : Cols, size - 1);
    // Columns of the group's notes; a long cell (an upper note held on) takes
    // two places, both on its own column.
    std::vector<int> group;
    bool longGroup = false;
    bool d = false;
    auto at = [&](int col) -> TCell& { return cells[static_cast<size_t>(col)]; };
    auto blankAt = [&](int col) { return col < size && at(col).Note == 32; };
    for (int col = 0; col <= end; ++col) {
        TCell& cell = at(col);
        if (cell.cellType == ctTimeSig)
            beatKind = BeatKindOf(cell);
        if (col < end && cell.cellType == ctJianpu && IsShrinkCell(cell)) {
            AutoUnderlineSmallNotes(cell);
            continue;
        }
        if (col < end && cell.cellType == ctJianpu && (IsSoundingNote(cell) || IsAugDot(cell))) {
            group.push_back(col);
            if (cell.upNote != 32 && cell.shrinkRate == 1) {
                group.push_back(col);
                longGroup = true;
            }
            if (IsSoundingNote(cell) && d && beatKind == 0)
                cell.UL = 1;
            d = !d && IsAugDot(cell) && blankAt(col + 1);
            continue;
        }
        if (IsBarLineCell(cell))
            d = false;
        const int n = static_cast<int>(group.size());
        auto g = [&](int i) -> TCell& { return at(group[static_cast<size_t>(i)]); };
        const int first = n > 0 ? group.front() : col;
        const int last = n > 0 ? group.back() : col;
        if (n == 2) {
            if (IsAugDot(g(1))) {
                g(0).UL = 0;
                g(1).UL = 0;
            } else if (IsAugDot(g(0))) {
                g(1).UL = 1;
                g(0).UL = 0;
            } else {
                g(1).UL = IsDotted(g(0)) ? 2 : 1;
                if (!longGroup)
                    g(0).UL = 1;
            }
        } else if (n == 3 && beatKind != 0) {
            for (int i = 0; i < 3; ++i)
                g(i).UL = beatKind;
            if (IsDotted(g(0)))
                g(1).UL += 1;
            if (IsDotted(g(1)))
                g(2).UL += 1;
            if (IsAugDot(g(1)))
                g(2).UL = 2;
        } else if (n == 3) {
            g(2).UL = 2;
            g(1).UL = IsAugDot(g(1)) ? 1 : 2;
            g(0).UL = 1;
            if (IsDotted(g(0)) && !IsAugDot(g(1)))
                g(1).UL += 1;
            if (IsDotted(g(1)) && !IsAugDot(g(2)))
                g(2).UL += 1;
            AddHighlight(first, last, row);
        } else if (n >= 4 && n <= 7 && beatKind != 2) {
            g(n - 1).UL = 2;
            g(n - 2).UL = 2;
            if (!longGroup)
                for (int i = 0; i < n - 2; ++i)
                    g(i).UL = i > 0 && IsDotted(g(i - 1)) ? 3 : 2;
            for (int i = FindDotPair(cells, first, last); i >= 0; i = FindDotPair(cells, i + 1, last))
                at(i + 1).UL = 3;
            if (n == 5 && FindDotPair(cells, first, group[3]) < 0) {
                g(1).UL = 3;
                g(2).UL = 3;
            }
        } else if (n >= 4 && n <= 7) {
            for (int i = 0; i < n; ++i)
                g(i).UL = 3;
        } else if (n == 1) {
            d = IsAugDot(cell) && blankAt(col + 1);
        } else if (n >= 8) {
            for (int i = std::max(0, longGroup ? n - 4 : 0); i < n; ++i)
                g(i).UL = 3;
            for (int i = FindDotPair(cells, first, last); i >= 0; i = FindDotPair(cells, i + 1, last))
                at(i + 1).UL = 4;
        }
        group.clear();
        longGroup = false;
    }
}

void TMainView::AutoUnderlineSmallNotes(TCell& cell) {
    auto& items = cell.CompressNotes;
    const int count = static_cast<int>(items.size());
    auto code = [&](int i) { return i < count ? items[static_cast<size_t>(i)].code : 32; };
    auto ul = [&](int i) -> int32_t& { return items[static_cast<size_t>(i)].value; };
    int m = 0;
    bool e = false;
    for (int i = 0; i <= count; ++i) {
        const int c = code(i);
        if (!IsJianpuNoteChar(c)) {
            const int s = i - m;
            if (m == 2) {
                const bool firstDot = code(s) == kDot, lastDot = code(s + 1) == kDot;
                if (lastDot) {
                    ul(s) = 0;
                    ul(s + 1) = 0;
                } else if (!firstDot) {
                    ul(s) = 1;
                    ul(s + 1) = 1;
                } else {
                    ul(s + 1) = 1;
                    ul(s) = 0;
                }
            } else if (m == 3) {
                ul(s + 2) = 2;
                ul(s + 1) = code(s + 1) == kDot ? 1 : 2;
                ul(s) = 1;
            } else if (m >= 4 && m <= 7) {
                for (int k = i - 4; k < i; ++k)
                    ul(k) = 2;
            } else if (m >= 8) {
                for (int k = i - 8; k < i; ++k)
                    ul(k) = 3;
            }
            m = 0;
            continue;
        }
        m += 1;
        if (c == kDot) {
            e = code(i + 1) == 32;
        } else {
            if (e)
                ul(i) = 1;
            e = false;
        }
    }
}

void TMainView::SwapGroupUnderlines(TCellRow& cells, int col0, int col1) {
    const int last = std::min(col1, static_cast<int>(cells.size()) - 1);
    auto at = [&](int c) -> TCell& { return cells[static_cast<size_t>(c)]; };
    // Western value of a note or rest: eighth 4, sixteenth 5.
    auto westValue = [&](const TCell& c) {
        if (c.cellType != ctWestern)
            return 0;
        if (c.Note == 4 || c.Note == 5)
            return c.Note;
        if (c.Note == 23 || c.Note == 24)
            return c.Note - 19;
        return 0;
    };
    auto setWest = [&](TCell& c, int v) { c.Note = c.Note >= 19 ? v + 19 : v; };
    int jCount = 0, wCount = 0;
    bool rewritten = false;
    for (int c = std::max(col0, 0); c <= last; ++c) {
        TCell& cell = at(c);
        if (cell.cellType == ctJianpu && IsSoundingNote(cell) && (cell.UL == 1 || cell.UL == 2))
            ++jCount;
        else
            jCount = 0;
        if (westValue(cell) != 0)
            ++wCount;
        else
            wCount = 0;
        bool did = false;
        if (jCount == 3) {
            TCell &a = at(c - 2), &b = at(c - 1), &z = at(c);
            if (a.UL == 1 && b.UL == 2 && z.UL == 2) {
                a.UL = 2;
                z.UL = 1;
                did = true;
            } else if (a.UL == 2 && b.UL == 2 && z.UL == 1) {
                a.UL = 1;
                z.UL = 2;
                did = true;
            }
            jCount = 0;
        }
        if (wCount == 3) {
            TCell &a = at(c - 2), &b = at(c - 1), &z = at(c);
            const int va = westValue(a), vb = westValue(b), vz = westValue(z);
            if (va == 4 && vb == 5 && vz == 5) {
                setWest(a, 5);
                setWest(z, 4);
                did = true;
            } else if (va == 5 && vb == 5 && vz == 4) {
                setWest(a, 4);
                setWest(z, 5);
                did = true;
            }
            wCount = 0;
        }
        if (did && !rewritten) {
            rewritten = true;
            ++c; // the cell after the first rewritten group starts no group
        }
    }
}

int TMainView::StepDegree(int note, int steps, uint32_t* attr, int* octave) {
    (void)attr;
    if (note == '0')
        return note;
    int n = note + steps;
    if (n == '8') {
        n = '1';
        if (octave)
            *octave += 1;
    } else if (n == '0') {
        n = '7';
        if (octave)
            *octave -= 1;
    }
    return n;
}

void TMainView::ShiftSmallNotes(TCell& cell, int steps) {
    for (TCompressNote& n : cell.CompressNotes) {
        if (!IsJianpuNoteDigit(n.code))
            continue;
        if (steps == 7 || steps == -7) {
            n.octave += steps / 7;
        } else {
            int oct = n.octave;
            n.code = StepDegree(n.code, steps, &n.attr, &oct);
            n.octave = oct;
        }
    }
}

void TMainView::ShiftCell(TCell& cell, int steps) {
    if (IsWestNoteOrRest(cell, 1)) {
        if (cell.CompressNotes.empty())
            cell.yAdj -= static_cast<float>(steps);
        else
            for (TCompressNote& n : cell.CompressNotes)
                if (IsWestNoteCode(n.code))
                    n.value -= steps;
        return;
    }
    if (!cell.CompressNotes.empty()) {
        ShiftSmallNotes(cell, steps);
        return;
    }
    if (cell.cellType != ctJianpu || !IsJianpuNoteDigit(cell.Note))
        return;
    if (steps == 7 || steps == -7) {
        cell.dot += steps / 7;
        if (IsJianpuNoteDigit(cell.upNote))
            cell.option = static_cast<uint32_t>(static_cast<int32_t>(cell.option) + steps / 7);
    } else if (steps == 1 || steps == -1) {
        int oct = cell.dot;
        cell.Note = StepDegree(cell.Note, steps, &cell.Attr, &oct);
        cell.dot = oct;
        if (IsJianpuNoteDigit(cell.upNote)) {
            int upOct = static_cast<int32_t>(cell.option);
            cell.upNote = StepDegree(cell.upNote, steps, &cell.Attr, &upOct);
            cell.option = static_cast<uint32_t>(upOct);
        }
    }
}

void TMainView::ShiftRowNotes(TCellRow& cells, int steps, int col0, int col1) {
    for (int c = std::max(col0, 0); c <= col1 && c < static_cast<int>(cells.size()); ++c)
        ShiftCell(cells[static_cast<size_t>(c)], steps);
}

void TMainView::ShiftNotes(int steps) {
    const selcells::TSel sel = selcells::Selection();
    const bool both = MainEd().ApplyToBothLayers();
    const int saved = CurLayer;
    for (int pass = 0; pass < (both ? 2 : 1); ++pass) {
        CurLayer = pass == 0 ? saved : 1 - saved;
        SaveLayerBlock(sel.c0, sel.r0, sel.c1, sel.r1);
        for (int r = sel.r0; r <= sel.r1; ++r)
            if (TCellRow* cells = selcells::Row(r))
                ShiftRowNotes(*cells, steps, sel.c0, sel.c1);
    }
    CurLayer = saved;
    if (both)
        Undo.SetUndoGroup(2);
    SetModified(true);
    RedrawSelection();
}

void TMainView::Selected1() {
    const int user[4] = {SelCol0, SelRow0, SelCol1, SelRow1};
    if (SelCol0 == SelCol1) {
        SelCol0 = 0;
        SelCol1 = Cols - 1;
    }
    const selcells::TSel sel = selcells::Selection();
    // the rows are underlined from their first column, groups before and
    // around the selection included
    Undo.SaveBlock(0, sel.r0, Cols - 1, sel.r1);
    Undo.SetGroupSelection(user[0], user[1], user[2], user[3]);
    Undo.SetMarksHighlights();
    Highlights.clear();
    int beat = FindBeatKind(std::min(SelRow0, SelRow1));
    for (int r = sel.r0; r <= sel.r1; ++r) {
        TCellRow* cells = selcells::Row(r);
        if (!cells)
            continue;
        if (IsWestRow(r, std::max(sel.c0, 5), -1))
            AutoUnderlineRow(*cells, r, true);
        else
            AutoUnderlineJianpuRow(*cells, r, true, beat);
    }
    SetModified(true);
    RedrawSelection();
}

namespace {

void UnderlinePageRows(TMainView& v, int& beat) {
    for (int r = 0; r < v.Rows; ++r) {
        TCellRow* cells = selcells::Row(r);
        if (!cells)
            continue;
        if (IsWestRow(r, 0, -1))
            AutoUnderlineRow(*cells, r, false);
        else
            v.AutoUnderlineJianpuRow(*cells, r, false, beat);
    }
}

} // namespace

void TMainView::mitCurrentPage() {
    if (Undo.SavePageSnapshot(CurPage))
        Undo.SetMarksHighlights();
    Highlights.clear();
    int beat = FindBeatKind(0);
    UnderlinePageRows(*this, beat);
    SetModified(true);
    RedrawPage();
}

void TMainView::mitAutoLineAll() {
    Undo.SaveScoreSnapshot(true);
    Highlights.clear();
    CurPage = 0;
    int beat = FindBeatKind(10);
    const int pages = static_cast<int>(PageSets[static_cast<size_t>(CurLayer)].size());
    for (int p = 0; p < pages; ++p) {
        CurPage = p;
        UnderlinePageRows(*this, beat);
    }
    CurPage = 0;
    GoToPage(0);
    SetModified(true);
    RedrawPage();
}

void TMainView::mitIncreaseUnderline() {
    Undo.SaveScoreSnapshot(true);
    Highlights.clear();
    const int savedPage = CurPage;
    const int layers = HasJianpuPage() ? 2 : 1;
    for (int layer = 0; layer < layers; ++layer) {
        CurLayer = layer;
        const int pages = static_cast<int>(PageSets[static_cast<size_t>(layer)].size());
        for (int p = 0; p < pages; ++p) {
            CurPage = p;
            for (int r = 0; r < Rows; ++r) {
                const TCellRow* cells = selcells::Row(r);
                HalveRowValues(r, cells && HasClefInRow(*cells, 0));
            }
        }
    }
    CurLayer = 0;
    GoToPage(Highlights.empty() ? savedPage : Highlights.front().page);
    PageCaption();
    SetModified(true);
    RedrawPage();
    if (!Highlights.empty())
        MessageOkById(1033, std::to_string(Highlights.size()) + GetStringById(1039), mkInformation);
}

void TMainView::btnSwapUnderline() {
    if (SelCol0 > SelCol1)
        std::swap(SelCol0, SelCol1);
    if (SelRow0 > SelRow1)
        std::swap(SelRow0, SelRow1);
    Undo.SaveUndo();
    const int formerLast = SelCol1;
    SelCol1 = std::max(SelCol1, std::min(SelCol0 + 2, Cols - 1));
    Undo.SaveUndo();
    const int widened = SelCol1;
    for (int r = SelRow0; r <= SelRow1; ++r)
        if (TCellRow* cells = selcells::Row(r))
            SwapGroupUnderlines(*cells, SelCol0, SelCol1);
    SetModified(true);
    SelCol1 = formerLast;
    RedrawCells(SelCol0, SelRow0, widened, SelRow1);
    Undo.SetUndoGroup(2);
}

void TMainView::btnShrinkClick() {
    if (OnEndTextEntry)
        OnEndTextEntry();
    if (SelCol0 < 0 || SelCol0 >= Cols || SelRow0 < 0 || SelRow0 >= Rows)
        return;
    // the command widens or trims the selection to the notes it packs; Undo
    // gives back the one the user made
    const int user[4] = {SelCol0, SelRow0, SelCol1, SelRow1};
    TrimSelection();
    if (SelCol0 == SelCol1) {
        TCell cell;
        GetCursorCell(cell);
        if (IsEmptyCell(cell) && SelCol0 > 0) {
            --SelCol0;
            --SelCol1;
        }
        GetCursorCell(cell);
        const bool west = cell.cellType == ctWestern;
        if (IsNoteOrRestCell(cell)) {
            SelCol0 = std::max(0, FindBeamGroupEnd(SelCol0, SelRow0, west, -1));
            SelCol1 = std::max(SelCol0, FindBeamGroupEnd(SelCol1, SelRow0, west, 1));
        }
    }
    TCell cursor;
    GetCursorCell(cursor);
    bool changed = false;
    if (!IsWestRowAtCursor()) {
        if (IsShrinkCell(cursor))
            changed = JianpuEditor.ExpandPackedCell();
        else
            changed = JianpuEditor.ShrinkSelectedNotes();
    } else if ((cursor.option & 0x10000000u) == 0 && !IsGraceCell(cursor) && cursor.westChordArray.empty()) {
        if (IsShrinkCell(cursor) || !cursor.CompressNotes.empty()) {
            ExpandWestNotes();
            if (TCell* p = selcells::At(SelCol0, SelRow0))
                p->fontSizeR = 1.0f;
            changed = true;
        } else {
            changed = ShrinkWestNotes(EditSettings().DefWestShrinkRate);
            if (changed)
                if (TCell* p = selcells::At(SelCol0, SelRow0))
                    p->fontSizeR = 0.9f;
        }
    }
    if (changed) {
        SetModified(true);
        Undo.SetGroupSelection(user[0], user[1], user[2], user[3]);
    }
    RedrawPage();
}
