// Jianpu to Western: the page post-pass (rests of systems, bass clefs, stems,
// braces, rest heights, key texts and held cells) and the fixed-key naturals.
#include <algorithm>

#include "convert/modTQConvertJ2W.h"
#include "edit/modTQWestBeaming.h"
#include "model/modTQCellAccess.h"
#include "model/modTQGroup.h"
#include "model/modTQKeys.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "render/modTQMainView.h"

namespace {

constexpr uint32_t kGraceBit = 0x10000000u;
constexpr int kBraceMark = 54191118;

TCell* PageCell(int layer, int col, int row) {
    TCellRow* cells = CvtGridRow(layer, row);
    if (!cells || col < 0 || col >= static_cast<int>(cells->size()))
        return nullptr;
    return &(*cells)[static_cast<size_t>(col)];
}

void CallSetRowClef(int col, int row, int clef) {
    if (J2WServices.SetRowClef)
        J2WServices.SetRowClef(col, row, clef);
}

int CallFlipStems(int layer, int col, int row) {
    if (J2WServices.FlipStems)
        return J2WServices.FlipStems(layer, col, row);
    TCellRow* cells = CvtGridRow(layer, row);
    if (!cells || col < 0 || col >= static_cast<int>(cells->size()))
        return col;
    const int saved = CurLayer;
    CurLayer = layer;
    const int last = FlipStemsInRow(col, row, *cells, false);
    CurLayer = saved;
    return last;
}

bool IsGroupBraceMark(int mark) {
    return mark == 71 || mark == 73 || mark == 25;
}

} // namespace

void TConvertJ2W::SetPairBassClef() {
    const TMainView* view = MainView();
    if (!view)
        return;
    for (int r = 0; r < view->Rows; ++r) {
        const TCell* first = PageCell(0, 0, r);
        if (!first || !IsClefCell(*first) || first->Note != -1 || first->jEnd <= r ||
            first->jEnd > view->Rows)
            continue;
        const int lower = first->jEnd;
        CallSetRowClef(0, lower, -2);
        r = lower;
    }
}

bool TConvertJ2W::IsRestTargetColumn(int k, int row, int v) const {
    (void)row;
    size_t i = 0;
    for (; i < GroupRows.size(); ++i) {
        const TCell* cell = PageCell(CurLayer, k, GroupRows[i].row);
        if (cell && IsWestNoteCell(*cell, 1) && cell->Note >= v)
            break;
    }
    if (i == GroupRows.size())
        return false;
    for (size_t j = i + 1; j < GroupRows.size(); ++j) {
        const TCell* cell = PageCell(CurLayer, k, GroupRows[j].row);
        if (cell && IsWestNoteCell(*cell, 1) && cell->Note < v)
            return false;
    }
    return true;
}

int TConvertJ2W::FindRestTargetColumn(int c, int row, int d, int v) const {
    const TMainView* view = MainView();
    for (int k = c + d; k > 0 && k < view->Cols; k += d) {
        const TCell* cell = PageCell(CurLayer, k, row);
        if (!cell || IsBarLineCell(*cell) || cell->Note != ' ')
            return -1;
        if (IsRestTargetColumn(k, row, v))
            return k;
    }
    return -1;
}

void TConvertJ2W::AlignSystemRests() {
    TMainView* view = MainView();
    view->SelCol0 = 0;
    view->SelRow0 = 0;
    int row = 0;
    while (row < view->Rows) {
        const int start = GetRowGroup(row, -1);
        if (start == -1 || start == -2 || GroupRows.empty())
            break;
        const std::vector<TGroupData> group = GroupRows;
        if (group.size() > 1) {
            for (int c = 0; c < view->Cols; ++c) {
                int candidate = -1;
                for (const TGroupData& g : group) {
                    const TCell* cell = PageCell(CurLayer, c, g.row);
                    if (!cell)
                        continue;
                    if ((g.isWest && IsWestNoteCell(*cell, 1)) ||
                        (!g.isWest && cell->cellType == 0 && cell->Note == '0')) {
                        candidate = -1;
                        break;
                    }
                    if (IsRestCell(*cell))
                        candidate = g.row;
                }
                if (candidate < 0)
                    continue;
                bool isWest = false;
                for (const TGroupData& g : group)
                    if (g.row == candidate)
                        isWest = g.isWest;
                int dots = 0;
                const int v = GetCellNoteValue(isWest, c, candidate, dots);
                int target = FindRestTargetColumn(c, candidate, 1, v);
                if (target < 0)
                    target = FindRestTargetColumn(c, candidate, -1, v);
                if (target <= 0)
                    continue;
                TCell* from = PageCell(CurLayer, c, candidate);
                TCell* to = PageCell(CurLayer, target, candidate);
                to->Note = from->Note;
                to->cellType = from->cellType;
                to->option = from->option;
                to->auxByte = from->auxByte;
                to->yAdj = from->yAdj;
                to->CompressNotes = from->CompressNotes;
                to->westChordArray = from->westChordArray;
                ResetCell(*from);
            }
        }
        const int next = group.back().row + 3;
        if (next <= row)
            break;
        row = next;
    }
}

void TConvertJ2W::ChooseBassClefRows(int a, int b) {
    TMainView* view = MainView();
    view->SelCol0 = 0;
    for (int r = std::max(a, 0); r < b && r < view->Rows; ++r) {
        if (!IsWestRow(r, 0, -1))
            continue;
        const TCellRow* cells = CvtGridRow(CurLayer, r);
        if (!cells)
            continue;
        double sum = 0.0;
        int count = 0, lowest = -100000;
        bool braced = false;
        for (const TCell& cell : *cells) {
            if (cell.markType == kBraceMark || IsGroupBraceMark(cell.markType))
                braced = true;
            if (!IsWestNoteCell(cell, 1))
                continue;
            const int centre = GetChordCentre(cell);
            sum += centre;
            lowest = std::max(lowest, centre);
            ++count;
        }
        if (count == 0)
            continue;
        const double m = sum / count;
        const bool bass =
            braced ? (m > 10.0 || (m > 8.0 && lowest > 15)) : (m > 8.0 || (m > 6.0 && lowest > 10));
        if (bass)
            CallSetRowClef(view->SelCol0, r, -2);
    }
}

void TConvertJ2W::SetPageStemDirections() {
    TMainView* view = MainView();
    const bool twin = view->HasJianpuPage();
    const int saved = CurLayer;
    for (int layer = 0; layer <= (twin ? 1 : 0); ++layer) {
        CurLayer = layer;
        for (int r = 0; r < view->Rows; ++r) {
            if (!IsWestRow(r, 0, -1))
                continue;
            for (int c = 0; c < view->Cols; ++c) {
                TCell* cell = PageCell(layer, c, r);
                if (!cell || !IsWestNoteCell(*cell, 1))
                    continue;
                if (cell->option & kGraceBit) {
                    if (!IsStemFlipped(*cell))
                        c = std::max(c, CallFlipStems(layer, c, r));
                    continue;
                }
                bool wantUp = false;
                bool decided = false;
                if (twin) {
                    const TCell* c0 = PageCell(0, c, r);
                    const TCell* c1 = PageCell(1, c, r);
                    if (c0 && c1 && IsWestNoteCell(*c0, 1) && IsWestNoteCell(*c1, 1)) {
                        const bool upperHigher = GetChordCentre(*c1) <= GetChordCentre(*c0);
                        // Layer 1 higher or level: layer 0 stems down (bit clear),
                        // layer 1 up (bit set); else the other way round.
                        wantUp = layer == 0 ? !upperHigher : upperHigher;
                        decided = true;
                    }
                }
                if (!decided) {
                    const int centre = GetChordCentre(*cell);
                    if (centre == 0)
                        continue;
                    wantUp = centre > 0;
                }
                if (IsStemFlipped(*cell) != wantUp)
                    c = std::max(c, CallFlipStems(layer, c, r));
            }
        }
    }
    CurLayer = saved;
}

void TConvertJ2W::FinishJ2WPage(bool selected, int a, int b) {
    TMainView* view = MainView();
    if (!view)
        return;
    const int saved = CurLayer;
    AlignSystemRests();
    CurLayer = 0;
    ChooseBassClefRows(a, b);
    CurLayer = saved;
    SetPageStemDirections();
    if (selected) {
        a = std::max(a - 2, 0);
        b = std::min(view->Rows, b + 3);
    }
    const bool twin = view->HasJianpuPage();
    for (int r = a; r < b; ++r) {
        if (TCellRow* cells = CvtGridRow(0, r)) {
            for (TCell& cell : *cells)
                if (IsClefCell(cell) && (cell.markType == 71 || cell.markType == 73 || cell.markType == 25)) {
                    cell.markType = kBraceMark;
                    break;
                }
        }
    }
    // A row left in Jianpu keeps the key texts over it.
    auto overRefused = [this](int r) {
        return std::any_of(RefusedRows.begin(), RefusedRows.end(),
                           [r](int k) { return k > r && k <= r + 3; });
    };
    for (int r = a; r < b; ++r) {
        if (IsDrumStaffRow(r))
            continue;
        const bool keepKeys = selected || overRefused(r);
        if (TCellRow* cells = CvtGridRow(0, r))
            for (TCell& cell : *cells) {
                if (IsWestRestCell(cell) && cell.Note > 21)
                    cell.yAdj = twin ? -3.0f : 1.0f;
                if (!keepKeys && IsJianpuKeyTextCell(cell))
                    ResetCell(cell);
            }
        if (twin)
            if (TCellRow* cells = CvtGridRow(1, r))
                for (TCell& cell : *cells)
                    if (IsWestRestCell(cell) && cell.Note > 21)
                        cell.yAdj = 3.0f;
    }
    // The cells that repeated key texts covered come back whole: the key texts
    // were reset above, so a held text needs its kind as well as its words.
    for (const TCellHold& held : HeldCells)
        if (TCell* cell = PageCell(0, held.col, held.row))
            *cell = held.cell;
}

bool TConvertJ2W::HasNoEarlierAlteration(int c, const TCell& note, int layer, int index) const {
    auto sameAltered = [&](int code, int dots, uint32_t attr) {
        return code == note.Note && dots == note.dot && (attr & 0xFu) != 0 && (attr & 0xFu) != 3;
    };
    if (layer >= 0 && index >= 0) {
        const TCellRow& src = SourceRows[static_cast<size_t>(layer & 1)];
        if (c >= 0 && c < static_cast<int>(src.size())) {
            const TCell& s = src[static_cast<size_t>(c)];
            for (int i = std::min(index, GetCompressNoteCount(s)) - 1; i >= 0; --i) {
                const TCompressNote& n = s.CompressNotes[static_cast<size_t>(i)];
                if (sameAltered(n.code, n.octave, n.attr))
                    return false;
            }
        }
    }
    for (int k = c - 1; k >= 0; --k) {
        if (k >= static_cast<int>(SourceRows[0].size()) ||
            IsBarLineCell(SourceRows[0][static_cast<size_t>(k)]))
            break;
        for (const TCellRow& src : SourceRows) {
            if (k >= static_cast<int>(src.size()))
                continue;
            const TCell& s = src[static_cast<size_t>(k)];
            if (!IsJianpuNoteCell(s))
                continue;
            if (sameAltered(s.Note, s.dot, s.Attr))
                return false;
            for (const TCompressNote& n : s.CompressNotes)
                if (sameAltered(n.code, n.octave, n.attr))
                    return false;
        }
    }
    return true;
}

void TConvertJ2W::AddFixedKeyNaturals(int r) {
    TMainView* view = MainView();
    const TCellRow* row = CvtGridRow(CurLayer, r);
    if (!row)
        return;
    const TCell* clef = nullptr;
    for (const TCell& cell : *row)
        if (IsClefCell(cell)) {
            clef = &cell;
            break;
        }
    if (!clef)
        return;
    SetKeyAccidTable(*clef);
    auto altered = [](int code) {
        if (code < '1' || code > '7')
            return false;
        return KeyAccidentals[((code - 47) % 7 + 7) % 7] != 0;
    };
    const int layers = view->HasJianpuPage() ? 2 : 1;
    for (int layer = 0; layer < layers; ++layer) {
        const TCellRow& src = SourceRows[static_cast<size_t>(layer)];
        TCellRow* out = CvtGridRow(layer, r);
        if (!out)
            continue;
        for (int c = 0; c < static_cast<int>(std::min(src.size(), out->size())); ++c) {
            const TCell& s = src[static_cast<size_t>(c)];
            if (!IsJianpuNoteCell(s))
                continue;
            TCell& w = (*out)[static_cast<size_t>(c)];
            if (s.CompressNotes.empty()) {
                if ((s.Attr & 0xFu) == 0 && HasNoEarlierAlteration(c, s, -1, -1) && altered(s.Note))
                    SetAttrNibble(w.Attr, 3);
                continue;
            }
            for (int i = 0; i < GetCompressNoteCount(s); ++i) {
                TCell m;
                MakeCompressNoteCell(s, i, m);
                if ((m.Attr & 0xFu) == 0 && HasNoEarlierAlteration(c, m, layer, i) && altered(m.Note) &&
                    i < GetCompressNoteCount(w))
                    w.CompressNotes[static_cast<size_t>(i)].attr =
                        (w.CompressNotes[static_cast<size_t>(i)].attr & ~0xFu) | 3u;
            }
        }
    }
}
