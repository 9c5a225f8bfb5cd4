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

namespace {

// Start of note k of n notes spread evenly over span units.
int EvenOnset(int k, int n, int span) {
    return n > 0 ? static_cast<int>(std::lround(static_cast<double>(k) * span / n)) : 0;
}

} // namespace

void TPlayState::TimePairColumn(int column, int colStart) {
    if (colStart < 0 || static_cast<size_t>(colStart) + 1 != PlayList.size() || Triplet.Staves.empty())
        return;
    const int first = Triplet.StartCol, last = Triplet.EndCol;
    int tripletStaff = -1;
    for (size_t g = 0; g < GroupRows.size(); ++g)
        if (GroupRows[g].row == Triplet.Row)
            tripletStaff = static_cast<int>(g);
    const int pairRow = GroupRows[static_cast<size_t>(Triplet.Staves.front())].row;
    // Index of the note or rest at the column among the row's notes of the passage; -1 none.
    auto indexAt = [&](int row) {
        if (!NoteOrRest(CellAtAddress(column, row)))
            return -1;
        int k = 0;
        for (int c = first; c < column; ++c)
            k += NoteOrRest(CellAtAddress(c, row)) ? 1 : 0;
        return k;
    };
    TPlayItem& item = PlayList.back();
    if (column == first) {
        // The span: two notes of the pair as they were built, else three halves
        // of a triplet note's written value.
        Triplet.Span = 0;
        for (int k = 0; k < kPlayNoteSlots && item.Notes[k].Pitch != -1; ++k)
            if (IsPairStaff(item.Notes[k].Channel))
                Triplet.Span = std::max(Triplet.Span, 2 * item.Notes[k].Length);
        if (Triplet.Span <= 0)
            if (const TCell* t = CellAtAddress(first, Triplet.Row); t && IsWestNoteOrRest(*t, 1))
                Triplet.Span = 2 * WestCellDuration(-1, *t, -1);
        Triplet.Onsets.clear();
        if (Triplet.Span <= 0)
            return;
        for (int c = first; c <= last; ++c) {
            if (NoteOrRest(CellAtAddress(c, Triplet.Row))) {
                int k = 0;
                for (int x = first; x < c; ++x)
                    k += NoteOrRest(CellAtAddress(x, Triplet.Row)) ? 1 : 0;
                Triplet.Onsets.push_back(EvenOnset(k, 3, Triplet.Span));
            }
            if (NoteOrRest(CellAtAddress(c, pairRow))) {
                int j = 0;
                for (int x = first; x < c; ++x)
                    j += NoteOrRest(CellAtAddress(x, pairRow)) ? 1 : 0;
                Triplet.Onsets.push_back(EvenOnset(j, 2, Triplet.Span));
            }
        }
        std::sort(Triplet.Onsets.begin(), Triplet.Onsets.end());
        Triplet.Onsets.erase(std::unique(Triplet.Onsets.begin(), Triplet.Onsets.end()), Triplet.Onsets.end());
        Triplet.TimedFrom = static_cast<int16_t>(first);
        Triplet.TimedTo = static_cast<int16_t>(last);
    }
    const int span = Triplet.Span;
    if (span <= 0)
        return;
    const int k = indexAt(Triplet.Row);
    const int j = indexAt(pairRow);
    const int tOn = k >= 0 ? EvenOnset(k, 3, span) : -1;
    const int pOn = j >= 0 ? EvenOnset(j, 2, span) : -1;
    const int colOn = tOn < 0 ? pOn : pOn < 0 ? tOn : std::min(tOn, pOn);
    if (colOn < 0)
        return;
    auto next = [&](int on) {
        for (int x : Triplet.Onsets)
            if (x > on)
                return x;
        return span;
    };
    // The notes of each onset, with their written lengths inside the span.
    TPlayItem early = item, late = item;
    int ne = 0, nl = 0;
    const int lateOn = std::max(tOn, pOn);
    for (int s = 0; s < kPlayNoteSlots && item.Notes[s].Pitch != -1; ++s) {
        TPNote n = item.Notes[s];
        int on = colOn;
        if (IsPairStaff(n.Channel) && pOn >= 0) {
            on = pOn;
            n.Length = EvenOnset(j + 1, 2, span) - pOn;
        } else if (n.Channel == tripletStaff && tOn >= 0) {
            on = tOn;
            n.Length = EvenOnset(k + 1, 3, span) - tOn;
        }
        if (on == colOn)
            early.Notes[ne++] = n;
        else
            late.Notes[nl++] = n;
    }
    if (ne < kPlayNoteSlots)
        early.Notes[ne].Pitch = -1;
    if (nl < kPlayNoteSlots)
        late.Notes[nl].Pitch = -1;
    early.Duration = next(colOn) - colOn;
    PlayList.back() = early;
    if (nl > 0) {
        late.Duration = next(lateOn) - lateOn;
        PlayList.push_back(late);
    }
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
