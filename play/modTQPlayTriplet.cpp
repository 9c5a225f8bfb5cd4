// Three against two across staves, tuplet activation, and the syncopation
// step correction of the staff group merge.
#include <algorithm>
#include <cmath>

#include "model/modTQCellAccess.h"
#include "model/modTQCellHelpers.h"
#include "model/modTQGroup.h"
#include "model/modTQKeys.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "play/modTQPlayGrid.h"
#include "play/modTQPlayState.h"

namespace {

int LayerBase() { return CurLayer == 1 ? kPlayStaves : 0; }
int Staff16(int staff) { return std::clamp(staff, 0, kPlayStaves - 1); }
bool NoteOrRest(const TCell* c) { return c && IsNoteOrRestCell(*c); }

// Notes and rests of the row from startCol to endCol; -1 when one has another level.
int CountRun(int startCol, int endCol, int row, bool west, int level, bool checkLevel) {
    int n = 0;
    for (int c = startCol; c <= endCol; ++c) {
        const TCell* cell = CellAtAddress(c, row);
        if (!NoteOrRest(cell))
            continue;
        if (checkLevel && GetCellDurLevel(west, *cell) != level)
            return -1;
        ++n;
    }
    return n;
}

} // namespace

bool TPlayState::IsPairStaff(int staff) const {
    return std::find(Triplet.Staves.begin(), Triplet.Staves.end(), staff) != Triplet.Staves.end();
}

void TPlayState::FindTripletAgainstPair(int startCol, int row, int endCol, int level, int staff) {
    if (GroupRows.size() < 2 || Triplet.EndCol >= 0 || !(PlayRule == prGroupStaff || PlayRule == prAllStaffs))
        return;
    const bool west = static_cast<size_t>(Staff16(staff)) < GroupRows.size() && GroupRows[Staff16(staff)].isWest;
    if (CountRun(startCol, endCol, row, west, level, false) != 3)
        return;
    std::vector<int16_t> staves;
    for (size_t g = 0; g < GroupRows.size(); ++g) {
        if (GroupRows[g].row == row)
            continue;
        const int n = CountRun(startCol, endCol, GroupRows[g].row, GroupRows[g].isWest, level, true);
        if (n < 0 || n > 3)
            return;
        if (n == 2)
            staves.push_back(static_cast<int16_t>(g));
    }
    if (staves.empty())
        return;
    const TCell* first = CellAtAddress(startCol, row);
    Triplet.Staves = staves;
    Triplet.StartCol = static_cast<int16_t>(startCol);
    Triplet.EndCol = static_cast<int16_t>(endCol);
    Triplet.Row = static_cast<int16_t>(row);
    Triplet.Swing = static_cast<int16_t>(first && (first->option & (0x10 | 0x400000)) ? 1 : 0);
}

void TPlayState::SplitPairItem(int column) {
    if (PlayList.empty())
        return;
    TPlayItem& last = PlayList.back();
    TPlayItem p = last, t = last;
    int np = 0, nt = 0;
    for (int k = 0; k < kPlayNoteSlots && last.Notes[k].Pitch != -1; ++k) {
        if (IsPairStaff(last.Notes[k].Channel))
            p.Notes[np++] = last.Notes[k];
        else
            t.Notes[nt++] = last.Notes[k];
    }
    if (np < kPlayNoteSlots)
        p.Notes[np].Pitch = -1;
    if (nt < kPlayNoteSlots)
        t.Notes[nt].Pitch = -1;
    if (np > 0 && nt == 0) {
        last.Duration = static_cast<int>(std::lround(last.Duration * 0.33333));
    } else if (np > 0 && nt > 0) {
        p.Duration = t.Duration / 2;
        PlayList.pop_back();
        if (PairFirst) {
            PlayList.push_back(p);
            PlayList.push_back(t);
        } else {
            t.Duration /= 2;
            PlayList.push_back(t);
            PlayList.push_back(p);
        }
        PairFirst = 0;
    } else if (nt > 0) {
        if (column == Triplet.EndCol)
            last.Duration *= 2;
        else
            last.Duration /= 2;
        PairFirst = 1;
    }
}

void TPlayState::PadPairEnd(int column) {
    (void)column;
    if (Triplet.Swing != 0 || PlayList.size() < 2)
        return;
    TPlayItem a = PlayList[PlayList.size() - 2];
    TPlayItem b = PlayList.back();
    PlayList.resize(PlayList.size() - 2);
    TPlayItem pad = b;
    pad.Notes[0].Pitch = -1;
    pad.Volume = 0;
    PlayList.push_back(pad);
    PlayList.push_back(a);
    PlayList.push_back(b);
}

void TPlayState::SpreadPairAfterStart() {
    if (Triplet.StartCol < 0)
        return;
    for (size_t i = PlayList.size(); i-- > 0;) {
        if (PlayList[i].Col != Triplet.StartCol || PlayList[i].Kind != pkNotes)
            continue;
        const int d = PlayList[i].Duration;
        int seen = 0;
        for (size_t j = i + 1; j < PlayList.size() && seen < 3; ++j) {
            if (PlayList[j].Duration <= 0)
                continue;
            PlayList[j].Duration = seen < 2 ? d / 2 : d;
            ++seen;
        }
        break;
    }
}

void TPlayState::TryActivateTuplet(int column, int row, int staff) {
    const int st = Staff16(staff);
    TTupletRec& pending = PendingTuplet[st];
    const bool west = static_cast<size_t>(st) < GroupRows.size() && GroupRows[static_cast<size_t>(st)].isWest;
    if (!west && pending.Left == 3) {
        TryJianpuTriplet(column, row, staff);
        return;
    }
    if (pending.Left < 3 || !frmMainTQ)
        return;
    const int level = pending.LastCol;
    int count = 0, firstCol = -1, lastCol = -1;
    for (int c = column; c < frmMainTQ->Cols; ++c) {
        const TCell* cell = CellAtAddress(c, row);
        if (!cell || IsEmptyCell(*cell))
            continue;
        if (GetCellDurLevel(west, *cell) != level)
            return;
        if (!IsNoteOrRestCell(*cell) || cell->playDur == 10)
            continue;
        if (firstCol < 0)
            firstCol = c;
        lastCol = c;
        if (++count == pending.Left)
            break;
    }
    if (count < pending.Left || firstCol < 0)
        return;
    const TCell* first = CellAtAddress(firstCol, row);
    const TCell* last = CellAtAddress(lastCol, row);
    if (west) {
        if (!first || !last || !IsCombineTailStart(*first) || !IsCombineTailEnd(*last))
            return;
    } else {
        auto outside = [&](int c) {
            const TCell* x = CellAtAddress(c, row);
            return !x || (!IsNoteOrRestCell(*x) && x->UL != level);
        };
        if (firstCol <= 0 || !outside(firstCol - 1))
            return;
        if (lastCol < frmMainTQ->Cols - 1 && !outside(lastCol + 1))
            return;
    }
    TTupletRec& active = ActiveTuplet[LayerBase() + st];
    active = pending;
    active.LastCol = static_cast<int16_t>(lastCol);
    FindTripletAgainstPair(firstCol, row, lastCol, level, staff);
}

void TPlayState::TryJianpuTriplet(int column, int row, int staff) {
    const int st = Staff16(staff);
    const TCell* here = CellAtAddress(column, row);
    TTupletRec& active = ActiveTuplet[LayerBase() + st];
    if (!NoteOrRest(here) || active.LastCol > column || !frmMainTQ)
        return;
    const TTupletRec pending = PendingTuplet[st];
    const int level = pending.LastCol;
    int n = 0;
    int stop = column;
    auto walk = [&](int c) {
        const TCell* cell = CellAtAddress(c, row);
        if (!cell)
            return false;
        if (IsEmptyCell(*cell))
            return true;
        if (cell->UL != level)
            return false;
        if (IsNoteOrRestCell(*cell)) {
            if (cell->playDur != 10)
                ++n;
            return true;
        }
        return cell->Note == 32;
    };
    for (stop = column; stop < frmMainTQ->Cols; ++stop)
        if (!walk(stop))
            break;
    for (int c = column - 1; c >= 0; --c)
        if (!walk(c))
            break;
    if (n < 3 || n % 3 != 0)
        return;
    active = pending;
    active.LastCol = static_cast<int16_t>(stop);
    FindTripletAgainstPair(column, row, stop, level, staff);
}

void TPlayState::ScanTupletAcrossGroup(int column) {
    // The group-wide scan looks for a tuplet mark starting at the column in any
    // staff and records where its notes end in that staff and in the others.
    if (GroupRows.size() < 2 || TupletScanState != 0)
        return;
    for (size_t g = 0; g < GroupRows.size(); ++g) {
        const int row = GroupRows[g].row;
        const TCell* cell = CellAtAddress(column, row);
        if (!cell || !IsTupletMarkCell(*cell) || cell->iEnd <= column)
            continue;
        const int level = GetCellDurLevel(GroupRows[g].isWest, *cell);
        int split = -1, end2 = -1;
        for (size_t h = 0; h < GroupRows.size() && split < 0; ++h) {
            if (h == g)
                continue;
            for (int c = column + 1; c <= cell->iEnd; ++c) {
                const TCell* o = CellAtAddress(c, GroupRows[h].row);
                if (NoteOrRest(o) && GetCellDurLevel(GroupRows[h].isWest, *o) == level + 1) {
                    split = c;
                    break;
                }
            }
        }
        if (split < 0)
            return;
        for (int c = cell->iEnd; c > column; --c)
            if (NoteOrRest(CellAtAddress(c, row))) {
                end2 = c;
                break;
            }
        TupletScanStart = static_cast<int16_t>(column);
        TupletScanLevel = static_cast<int16_t>(level);
        TupletScanSplit = static_cast<int16_t>(split);
        TupletScanEnd = static_cast<int16_t>(end2 >= 0 ? end2 : cell->iEnd);
        TupletScanState = static_cast<int16_t>(end2 == cell->iEnd ? 2 : 1);
        return;
    }
}

// --- syncopation ---

void TPlayState::ScaleItemFromEnd(int k, float factor) {
    const int i = static_cast<int>(PlayList.size()) - 1 - k;
    if (i < 0)
        return;
    PlayList[static_cast<size_t>(i)].Duration =
        static_cast<int>(std::trunc(static_cast<float>(PlayList[static_cast<size_t>(i)].Duration) * factor));
}

void TPlayState::AdjustSyncopatedSteps(int c) {
    if (GroupRows.size() < 2)
        return;
    // 2. The figure staff.
    int f = -1, v = 0;
    for (size_t g = 0; g < GroupRows.size(); ++g) {
        const int row = GroupRows[g].row;
        const TCell* cell = CellAtAddress(c, row);
        if (!cell)
            continue;
        if (IsDottedJianpuNoteAt(c, row) || cell->playDur > 0)
            return;
        int dots = 0;
        if (IsNoteOrRestCell(*cell)) {
            const int value = GetCellNoteValue(GroupRows[g].isWest, c, row, dots);
            if (dots == 0 && !IsCombineTailStart(*cell)) {
                f = static_cast<int>(g);
                v = value;
                break;
            }
        }
    }
    if (f < 0)
        return;
    const int rowF = GroupRows[static_cast<size_t>(f)].row;
    const bool westF = GroupRows[static_cast<size_t>(f)].isWest;
    // 3. Walk left: one longer note, then one of the same value.
    int L1 = -1, L2 = -1;
    for (int col = c - 1; col >= 1; --col) {
        const TCell* cell = CellAtAddress(col, rowF);
        if (!cell)
            return;
        if (IsBarLineCell(*cell))
            return;
        if (!IsNoteOrRestCell(*cell))
            continue;
        int dots = 0;
        const int value = GetCellNoteValue(westF, col, rowF, dots);
        if (IsDottedJianpuNoteAt(col, rowF) || cell->playDur > 0 || IsCombineTailEnd(*cell) || dots > 0)
            return;
        if (L1 < 0) {
            if (value != v - 1)
                return;
            L1 = col;
        } else {
            if (value != v)
                return;
            L2 = col;
            break;
        }
    }
    if (L1 < 0 || L2 < 0)
        return;
    // 4. Isolation.
    if (L2 > 0 && IsNoteOrRestAt(L2 - 1, rowF))
        return;
    if (frmMainTQ && c < frmMainTQ->Cols - 1 && IsNoteOrRestAt(c + 1, rowF))
        return;
    // 5. The other staves' notes over the span.
    struct TLoc {
        int col, row, value;
    };
    std::vector<TLoc> locs;
    for (int col = c; col >= L2; --col) {
        for (size_t g = 0; g < GroupRows.size(); ++g) {
            if (static_cast<int>(g) == f)
                continue;
            const int row = GroupRows[g].row;
            if (!IsNoteOrRestAt(col, row))
                continue;
            int dots = 0;
            locs.push_back({col, row, GetCellNoteValue(IsWestRow(row, 0, -1), col, row, dots)});
            break;
        }
    }
    // 6.
    const size_t n = locs.size();
    if (n == 3 && locs[0].col == c && locs[1].col == L1 && locs[2].col == L2) {
        const int a0 = locs[0].value, a1 = locs[1].value, a2 = locs[2].value;
        if (a0 == v && a1 == v - 1 && a2 == v)
            return;
        if ((a0 == v - 1 && a1 == v && a2 == v) || (a0 == v && a1 == v && a2 == v - 1))
            ScaleItemFromEnd(1, 2.0f);
    } else if (n == 3 && locs[0].col == c && locs[2].col == L2 && locs[1].col > L1) {
        if (locs[0].value == v && locs[1].value == v && locs[2].value == v - 1)
            ScaleItemFromEnd(3, 0.5f);
    } else if (n == 4) {
        if (locs[0].value == v + 1 && locs[1].value == v + 1 && locs[2].value == v + 1 && locs[3].value == v - 1)
            ScaleItemFromEnd(4, 0.5f);
    } else if (n == 5 && locs[0].col < c) {
        if (locs[0].value == v - 1 && locs[1].value == v + 1 && locs[2].value == v + 1 && locs[3].value == v + 1 &&
            locs[4].value == v + 1)
            ScaleItemFromEnd(2, 0.5f);
    }
}
