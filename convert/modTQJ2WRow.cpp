// Jianpu to Western: the row pass (header, key texts, and every kind of Jianpu
// cell), with the services the main window wires in.
#include <algorithm>
#include <cmath>

#include "convert/modTQConvertJ2W.h"
#include "model/modTQCellAccess.h"
#include "model/modTQGroup.h"
#include "model/modTQKeys.h"
#include "model/modTQPredicates.h"
#include "model/modTQScan.h"
#include "render/modTQMainView.h"

TJ2WServices J2WServices;

namespace {

TCell* GridCell(int layer, int col, int row) {
    TCellRow* cells = CvtGridRow(layer, row);
    if (!cells || col < 0 || col >= static_cast<int>(cells->size()))
        return nullptr;
    return &(*cells)[static_cast<size_t>(col)];
}

const TCell* SourceCell(const std::array<TCellRow, 2>& rows, int layer, int col) {
    const TCellRow& row = rows[static_cast<size_t>(layer & 1)];
    if (col < 0 || col >= static_cast<int>(row.size()))
        return nullptr;
    return &row[static_cast<size_t>(col)];
}

constexpr int kStaffMark = 'N';
constexpr uint32_t kGraceBit = 0x10000000u;

} // namespace

int TConvertJ2W::FindNextStaffMark(int col) const {
    const TCellRow& src = SourceRows[0];
    for (int c = std::max(col, 0); c < static_cast<int>(src.size()); ++c)
        if (src[static_cast<size_t>(c)].Note == kStaffMark)
            return c;
    return -1;
}

bool TConvertJ2W::IsDrumJianpuRow(int row, int from) const {
    const TCellRow* cells = CvtGridRow(CurLayer, row);
    if (!cells)
        return false;
    bool drum = false;
    for (int c = std::max(from, 0); c < static_cast<int>(cells->size()); ++c) {
        const TCell& cell = (*cells)[static_cast<size_t>(c)];
        if (cell.cellType == 0 && IsJianpuDigitFrom(cell, '1'))
            return false;
        if (IsJianpuXNote(cell))
            drum = true;
    }
    return drum;
}

void TConvertJ2W::MakeJ2WHeaderCells(int h, int r) {
    TMainView* view = MainView();
    bool marked = false;
    for (int c = FindNextStaffMark(h + 1); c >= 1; c = FindNextStaffMark(c + 1)) {
        TCell* cell = GridCell(0, c, r);
        if (!cell)
            break;
        marked = true;
        view->CurClef = -1;
        cell->cellType = 8;
        cell->Note = -1;
        cell->playDur = 38;
        if (FixedKey >= 0)
            cell->Attr = static_cast<uint32_t>(FixedKey);
    }
    if (marked)
        return;
    TCell* cell = GridCell(0, h, r);
    if (!cell)
        return;
    cell->cellType = 8;
    view->CurClef = IsDrumJianpuRow(r, h) ? -4 : -1;
    cell->Note = view->CurClef;
    cell->iEnd = std::min(view->Cols, view->SelCol1);
    cell->Attr = static_cast<uint32_t>(FixedKey >= 0 ? FixedKey : view->CurKey);
    cell->fontSizeR = 1.0f;
    cell->playDur = 0;
    cell->xAdj = 0.0f;
    cell->yAdj = 0.0f;
}

bool TConvertJ2W::ApplyJianpuKeyText(int c, int r) {
    TMainView* view = MainView();
    const TCell* text = nullptr;
    int pitch = -100;
    for (int rr = r; rr >= std::max(r - 3, 0); --rr) {
        const TCell* cell = GridCell(CurLayer, c, rr);
        if (cell && cell->cellType == 3) {
            text = cell;
            pitch = GetJianpuKeyFromText(cell->Text, c, rr);
            break;
        }
    }
    if (!text || pitch < 0 || pitch > 11)
        return false;
    const TCell found = *text;

    // A key change over a later note of the upper staff of a grand staff also
    // governs the lower staves whose first note stands there.
    if (!GroupRows.empty() && GroupRows[0].hasSystemMark && GroupRows[0].row == r &&
        c > GroupRows[0].clefColumn + 2) {
        for (const TGroupData& g : GroupRows) {
            if (g.row <= r || g.row < 1 || !IsFirstNoteInRow(c, g.row))
                continue;
            if (TCell* above = GridCell(0, 0, g.row - 1))
                *above = found;
        }
    }

    static constexpr int kKeyOfPitch[12] = {0, 10, 2, 8, 4, 6, 11, 1, 9, 3, 7, 5};
    const int previous = view->CurKey;
    view->CurKey = kKeyOfPitch[pitch];
    if (CurLayer == 1)
        return true;
    if (c < 4) {
        for (int k = c; k >= 0; --k) {
            TCell* cell = GridCell(0, k, r);
            if (cell && IsClefCell(*cell)) {
                // Under a fixed-key text the notes are read in C while the staff
                // keeps the fixed key's signature.
                cell->Attr = static_cast<uint32_t>(FixedKey >= 0 ? FixedKey : view->CurKey);
                cell->fontSizeR = 1.0f;
            }
        }
        return true;
    }
    if (TCell* cell = GridCell(0, c, r))
        cell->cellType = 8;
    if (view->CurKey == previous)
        return true;
    int f = c - 1;
    if (!FindFreeColBack(f, r)) {
        f = c + 1;
        if (!FindFreeColForward(f, r)) {
            view->AddHighlight(c, c + 1, r, -1);
            return true;
        }
    }
    TCell* keyCell = GridCell(0, f, r);
    if (!keyCell)
        return true;
    keyCell->cellType = 8;
    keyCell->Attr = static_cast<uint32_t>(view->CurKey);
    keyCell->Note = view->CurKey == 0 ? -15 : view->CurClef;
    keyCell->iEnd = c;
    keyCell->jEnd = r;
    keyCell->playDur = 1;
    keyCell->fontSizeR = view->CurClef == -1 ? 0.6f : 0.7f;
    int reset = f - 1;
    if (FindFreeColBack(reset, r) && reset < f) {
        if (TCell* cell = GridCell(0, reset, r)) {
            cell->cellType = 8;
            cell->Note = -15;
        }
    }
    return true;
}

void TConvertJ2W::ApplyJianpuDot(TCellRow& row, int c) {
    if (c < 0 || c >= static_cast<int>(row.size()))
        return;
    for (int k = c - 1; k >= 0; --k) {
        TCell& cell = row[static_cast<size_t>(k)];
        if (IsWestNoteOrRest(cell, 1)) {
            if (cell.option & 0x8u)
                cell.option |= 0x40u;
            else
                cell.option |= 0x8u;
            break;
        }
    }
    ResetCell(row[static_cast<size_t>(c)]);
}

void TConvertJ2W::ApplyJianpuDashes(TCellRow& row, int c) {
    TCellRow& src = SourceRows[static_cast<size_t>(CurLayer & 1)];
    const int n = static_cast<int>(std::min(row.size(), src.size()));
    if (c < 0 || c >= n)
        return;
    auto stops = [&](int k) {
        const TCell* bar = SourceCell(SourceRows, 0, k);
        return (bar && IsBarLineCell(*bar)) || IsJianpuSound(src[static_cast<size_t>(k)]);
    };
    auto take = [&](int k) {
        TCell& s = src[static_cast<size_t>(k)];
        if (s.cellType != 0 || s.Note != kJianpuDash)
            return 0;
        s.Note = ' ';
        row[static_cast<size_t>(k)].Note = ' ';
        return 1;
    };
    int count = 0;
    for (int k = c; k >= 0 && !stops(k); --k)
        count += take(k);
    for (int k = c + 1; k < n && !stops(k); ++k)
        count += take(k);
    int at = -1;
    for (int k = std::min(c, n - 1); k >= 0; --k) {
        const TCell& cell = row[static_cast<size_t>(k)];
        if (cell.cellType == 8 && cell.Note >= 1 && cell.Note <= 8) {
            at = k;
            break;
        }
    }
    if (at < 0 || count == 0)
        return;
    // One dash per extra quarter: 1 half, 2 dotted half, 3 whole, 5 dotted whole,
    // 6 double-dotted whole. Other counts name no value: a whole note to check.
    TCell& note = row[static_cast<size_t>(at)];
    switch (count) {
    case 1:
        note.Note = 2;
        break;
    case 2:
        note.Note = 2;
        note.option |= 0x8u;
        break;
    case 3:
        note.Note = 1;
        break;
    case 5:
        note.Note = 1;
        note.option |= 0x8u;
        break;
    case 6:
        note.Note = 1;
        note.option |= 0x8u | 0x40u;
        break;
    default:
        note.Note = 1;
        if (TMainView* view = MainView())
            view->AddHighlight(at, at, RowIndex, -1);
        break;
    }
}

void TConvertJ2W::ConvertJianpuSmallNotes(TCell& g, TCell& s) {
    const int n = GetCompressNoteCount(s);
    const TMainView* view = MainView();
    const bool drum = view && view->CurClef == -4;
    ConvertJianpuNote(g, s);
    if (n < 2 && !IsGraceCell(s))
        return;
    uint32_t o = n <= 1 ? 1u : 5u;
    g.CompressNotes.clear();
    for (int i = 0; i < n; ++i) {
        TCell m;
        MakeCompressNoteCell(s, i, m);
        if (m.Note == kJianpuDot) {
            if (!g.CompressNotes.empty())
                g.CompressNotes.back().option |= 0x8u;
            continue;
        }
        TCell w;
        ConvertJianpuNote(w, m);
        if (i == 0) {
            g.Note = w.Note;
            g.Attr &= w.Attr;
            // The cell's own position only tells the stem side; the small notes
            // carry their own positions.
            g.yAdj = drum ? 0.0f : static_cast<float>(m.UL);
            if (g.yAdj < 0.0f)
                o &= ~0x1u;
            g.option = o;
            g.markType = s.markType;
        }
        TCompressNote rec;
        CellToCompressNote(w, rec);
        if (m.Note == ' ')
            rec.code = ' ';
        if (m.Note == '0')
            rec.code = RestCodeOfValue(w.Note);
        if (drum)
            rec.value = 0;
        g.CompressNotes.push_back(rec);
    }
    if (g.CompressNotes.size() < 2)
        g.option &= ~0x6u;
    else
        g.option |= 0x6u;
    g.Attr = 0xA0;
    g.CompressNotes.erase(std::remove_if(g.CompressNotes.begin(), g.CompressNotes.end(),
                                         [](const TCompressNote& c) { return c.code == kJianpuDot; }),
                          g.CompressNotes.end());
}

void TConvertJ2W::ConvertJianpuChord(TCell& g, const TCell& s) {
    TCell first;
    MakeCompressNoteCell(s, 0, first);
    ConvertJianpuNote(g, first);
    if (first.Note >= '1' && first.Note <= '7') {
        const int base = static_cast<int>(g.yAdj);
        g.westChordArray.clear();
        g.option &= ~0x1u;
        if (s.option & 0x8u)
            g.option |= 0x8u;
        else if (s.option & 0x40u)
            g.option |= 0x40u;
        for (int i = 1; i < GetCompressNoteCount(s); ++i) {
            TCell m;
            MakeCompressNoteCell(s, i, m);
            if (m.Note == ' ')
                continue;
            TCell w;
            ConvertJianpuNote(w, m);
            TWestChord chord;
            chord.interval = base - static_cast<int>(w.yAdj);
            chord.attr = w.Attr;
            g.westChordArray.push_back(chord);
        }
        g.Note = s.UL + 3;
        if (s.option & kGraceBit) {
            g.option = kGraceBit;
            g.Attr = 0;
            g.fontSizeR = 0.6f;
        }
    }
    g.CompressNotes.clear();
}

bool TConvertJ2W::ConvertJ2WRow(int h, int r) {
    TMainView* view = MainView();
    TCellRow* grid = CvtGridRow(CurLayer, r);
    if (!view || !grid)
        return true;
    RowIndex = r;
    const int last = std::min({view->SelCol1, view->Cols, static_cast<int>(grid->size()) - 1});
    if (GroupRows.empty() || GroupRows.front().row == r) {
        for (int c = 0; c <= std::min(view->Cols - 1, h + 2); ++c)
            if (ApplyJianpuKeyText(c, r))
                break;
        GroupKey = view->CurKey;
    }
    TonicStep = TonicStaffStep();
    if (CurLayer == 0)
        MakeJ2WHeaderCells(h, r);
    bool restoreKey = false;
    for (int c = h + 1; c <= last; ++c) {
        TCell& g = (*grid)[static_cast<size_t>(c)];
        if (g.markType == 30 && !GroupRows.empty())
            g.markType = 0;
        if (ApplyJianpuKeyText(c, r)) {
            TonicStep = TonicStaffStep();
            const TCell* s0 = SourceCell(SourceRows, 0, c);
            if (s0 && IsClefCell(*s0) && !GroupRows.empty() && GroupRows.back().row > r) {
                restoreKey = true;
                continue;
            }
        }
        TCell* sp = const_cast<TCell*>(SourceCell(SourceRows, CurLayer, c));
        const TCell* s0 = SourceCell(SourceRows, 0, c);
        if (!sp || !s0)
            continue;
        TCell& s = *sp;
        if (s.Note == ' ' && s.CompressNotes.empty())
            g.UL = 0;
        if (s.cellType != 0 || s0->Note == kStaffMark)
            continue;
        g.option = s.option & ~(0x1u | 0x1000u | 0x2000u | 0x8000u);
        g.playDur = 0;
        if (s.Note == '0') {
            g.cellType = 8;
            g.Note = 22 + g.UL;
        } else if (IsGraceCell(s)) {
            ConvertJianpuSmallNotes(g, s);
            g.fontSizeR = 0.6f;
            SetAttrNibble(g.Attr, 0xC0);
        } else if (IsShrinkCell(s)) {
            ConvertJianpuSmallNotes(g, s);
        } else if (IsVerticalCell(s) && GetCompressNoteCount(s) > 0) {
            ConvertJianpuChord(g, s);
        } else if (s.Note == kJianpuDot) {
            ApplyJianpuDot(*grid, c);
        } else if (s.Note == kJianpuDash) {
            ApplyJianpuDashes(*grid, c);
        } else if (IsJianpuNoteChar(s.Note)) {
            ConvertJianpuNote(g, s);
        }
        g.playDur = s.playDur;
        if (CurLayer == 1 && r >= 1)
            if (TCell* above = GridCell(1, c, r - 1))
                ResetCell(*above);
    }
    if (restoreKey)
        if (const TCell* header = GridCell(0, h, r))
            view->CurKey = static_cast<int>(header->Attr);
    return true;
}
