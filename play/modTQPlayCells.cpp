// One cell of one staff of the staff group into play items: the dispatch over
// grace cells, tuplet marks, vertical chords, bar rests, time signatures and
// Western and Jianpu notes, and the release of queued small notes.
#include <algorithm>
#include <cmath>

#include "model/modTQCellAccess.h"
#include "model/modTQCellHelpers.h"
#include "model/modTQGroup.h"
#include "model/modTQKeys.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQScan.h"
#include "play/modTQPlayGrid.h"
#include "play/modTQPlayState.h"

namespace {

constexpr int kBarRestMark = 87;
constexpr int kJianpuDot = -73;
constexpr int kJianpuDash = -106;

int Staff16(int staff) { return std::clamp(staff, 0, kPlayStaves - 1); }
int LayerBase() { return CurLayer == 1 ? kPlayStaves : 0; }

} // namespace

void TPlayState::BorrowGraceTime(std::vector<TPlayItem>& list, size_t first, int staff) {
    int64_t total = 0;
    for (size_t i = first; i < list.size(); ++i)
        total += std::max(list[i].Duration, 0);
    if (total <= 0)
        return;
    // The step before: the last note or rest that takes time (releases, bar
    // markers, instrument and signature items take none).
    TPlayItem* before = nullptr;
    for (size_t i = PlayList.size(); i-- > 0 && !before;) {
        TPlayItem& it = PlayList[i];
        if ((it.Kind == pkNotes || it.Kind == pkRest || it.Kind == pkSilent) && it.Duration > 0)
            before = &it;
    }
    int take = static_cast<int>(std::min<int64_t>(total, INT32_MAX));
    if (before && before->Duration / take < 4)
        take = before->Duration / 4;
    if (!before || take <= 0) {
        // The first notes of the piece: the main note gives the time.
        BorrowedTime = static_cast<int>(std::min<int64_t>(total, INT32_MAX));
        BorrowApplied = 0;
        BorrowStaff = Staff16(staff);
        return;
    }
    before->Duration -= take;
    for (int k = 0; k < kPlayNoteSlots && before->Notes[k].Pitch != -1; ++k)
        if (before->Notes[k].Length > 0)
            before->Notes[k].Length = std::max(before->Notes[k].Length - take, 1);
    PlayTime -= take;
    // The grace notes share the time taken in their written proportions.
    int64_t given = 0, sum = 0;
    for (size_t i = first; i < list.size(); ++i) {
        sum += std::max(list[i].Duration, 0);
        const int d = i + 1 == list.size() ? take - static_cast<int>(given)
                                           : static_cast<int>(sum * take / total - given);
        given += d;
        list[i].Duration = d;
        for (int k = 0; k < kPlayNoteSlots && list[i].Notes[k].Pitch != -1; ++k)
            list[i].Notes[k].Length = d;
    }
}

bool TPlayState::BuildStaffCellItems(int column, int row, std::vector<TPlayItem>& items, int staff, bool merge) {
    const int st = Staff16(staff);
    // 1.
    const TCell* found = PeekCell(column, row);
    if (!found)
        return !items.empty();
    const TCell& cell = *found;
    static const TPlayItem kFresh;
    TPlayItem item = kFresh; // a copy is cheaper than setting up 32 note slots
    item.Notes[0].Pitch = -1;
    item.Notes[0].Channel = static_cast<int8_t>(staff);
    item.Notes[0].Layer = static_cast<int8_t>(CurLayer);
    item.Duration = 0;
    item.Kind = pkNotes;
    item.Page = frmMainTQ ? frmMainTQ->CurPage : 0;
    item.Col = column;
    item.Row = GroupRows.empty() ? row : GroupRows.front().row;
    const bool west = static_cast<size_t>(st) < GroupRows.size() && GroupRows[static_cast<size_t>(st)].isWest;
    // 2. Tuplets.
    TTupletRec& active = ActiveTuplet[LayerBase() + st];
    if (active.LastCol < column)
        active.Left = 0;
    if (active.Left == 0 && PendingTuplet[st].Left > 0)
        TryActivateTuplet(column, row, staff);
    // 3.
    ApplyJianpuKeyChange(item.Page, row, column);
    // 4.
    const int level = GetCellDurLevel(west, cell);
    // 5. A dot or dash only lengthens the note before it.
    if (cell.cellType == ctJianpu && (cell.Note == kJianpuDot || cell.Note == kJianpuDash) &&
        cell.westChordArray.empty() && cell.CompressNotes.empty())
        return true;

    auto afterNote = [&](bool arpeggio) {
        if (row > 0 && !PlayList.empty()) {
            const TCell* up = CellAtAddress(column, row - 1);
            if (up && up->cellType == ctSymbol)
                AccentLastItem(*up);
        }
        if (!ScanOrnamentSymbols(column, row, 1, items, staff))
            ScanOrnamentSymbols(column, row, 2, items, staff);
        if (arpeggio && StartArpeggio(column, row, items, staff))
            items.clear();
    };

    bool toTail = false;
    // 6. Grace cells.
    if (!west && IsGraceCell(cell)) {
        AddJianpuGraceItems(cell, column, row, items, staff);
        toTail = true;
    } else if (west && IsGraceLeadCell(cell)) {
        WestCellToItems(cell, items, column, row, staff);
        toTail = true;
    }
    if (!toTail) {
        // 7. The split column of the group-wide tuplet scan sounds one level per walk.
        if (column == TupletScanSplit) {
            if (TupletScanState == 2 && level != TupletScanLevel)
                return false;
            if (TupletScanState == 3 && level == TupletScanLevel)
                return false;
        }
        // 8a. A tuplet mark on a note or rest.
        if (IsTupletMarkCell(cell) && IsNoteOrRestCell(cell)) {
            const int count = CountNotesInSpan(column, row, cell.iEnd, CurLayer);
            active.Flag = 1;
            active.Left = static_cast<int8_t>(std::clamp(count, -128, 127));
            active.LastCol = static_cast<int16_t>(cell.iEnd);
            FindTripletAgainstPair(column, row, cell.iEnd, level, staff);
            active.Factor = TupletFactor(count);
            if ((level == 1 || level == 2) && TitleSymbol43) {
                TTupletRec pending = active;
                pending.LastCol = static_cast<int16_t>(level);
                PendingTuplet[st] = pending;
                const size_t s = static_cast<size_t>(st);
                if (s < GroupRows.size() && GroupRows[s].hasSystemMark && st < kPlayStaves - 1)
                    PendingTuplet[st + 1] = pending;
                else if (st > 0 && GroupRows.size() > s && GroupRows[s - 1].hasSystemMark)
                    PendingTuplet[st - 1] = pending;
            }
        }
        if (!west && IsVerticalCell(cell)) {
            // 8b.
            AddJianpuVerticalItem(cell, column, items, staff, merge);
            afterNote(true);
        } else if (cell.markType == kBarRestMark) {
            // 8c. n bars (at least one) of the signature in force.
            const int bars = std::max(cell.markHAdj, 1);
            const int64_t quarter = JianpuCellDuration(0, column, row, 0, -1, -1, -1);
            const int den = TimeSigDen > 0 ? TimeSigDen : 4;
            const int64_t d = static_cast<int64_t>(bars) * quarter * TimeSigNum * 4 / den;
            TPlayItem rest = item;
            rest.Kind = pkRest;
            rest.Duration = static_cast<int>(std::clamp<int64_t>(d, 0, INT32_MAX));
            AppendPlayItem(items, rest);
        } else if (cell.Note == 20 && cell.cellType == ctWestern) {
            // 8d. Timed by the bar counter.
        } else if (IsTimeSignatureCell(cell)) {
            AddTimeSignatureItem(cell, column, row);
        } else if (cell.Note == 32 && cell.cellType == ctJianpu) {
            // 8f.
        } else if (IsBarLineCell(cell)) {
            MeasureAccidentals[st].clear();
        } else if (IsNoteOrRestCell(cell)) {
            // 8h / 8i.
            int n = 1;
            if (IsShrinkCell(cell)) {
                CompressedCellToItems(cell, column, items, staff);
            } else if (west) {
                WestStepDuration(column, cell, item, staff);
                n = WestCellNotes(item, cell, staff);
                if (BorrowedTime > 0 && BorrowStaff == st) {
                    // Grace notes before the first note of the piece took this note's time.
                    const int take = std::min(BorrowedTime, item.Duration / 2);
                    item.Duration -= take;
                    for (int k = 0; k < n && k < kPlayNoteSlots; ++k)
                        item.Notes[k].Length -= take;
                    BorrowedTime = 0;
                    BorrowApplied = 1;
                }
            } else {
                TPNote& slot = item.Notes[0];
                const bool rest = cell.Note == '0';
                if (cell.Note == 'x' || cell.Note == 'X' || rest) {
                    slot.Pitch = 0;
                    slot.Octave = 0;
                } else {
                    JianpuNotePitch(cell.Note, cell.dot, cell.Attr, column, staff, slot);
                }
                slot.Volume = rest ? 0 : NoteVolume(cell);
                slot.Velocity = rest ? 0 : NoteVelocity(cell);
                item.Duration = JianpuCellDuration(cell.UL, column, row, cell.Attr, cell.option, staff, cell.playDur);
                slot.Length = item.Duration;
            }
            // 8j.
            if (n < kPlayNoteSlots)
                item.Notes[std::max(n, 0)].Pitch = -1;
            item.Volume = 127;
            item.Kind = pkNotes;
            item.Hold = Echo;
            if (merge && !items.empty())
                MergeNotes(items.front(), item);
            else
                AppendPlayItem(items, item);
            // 8k.
            afterNote(west);
        } else if (cell.cellType == ctSymbol && IsKeyAccidentalCode(cell.Note)) {
            // 8l. A sharp, flat or natural written as a symbol holds for the bar.
            const int code = cell.Note == 14 ? 1 : cell.Note == 15 ? 2 : 3;
            const int clef = cell.Note == 14 ? CurClef
                             : static_cast<size_t>(st) < GroupRows.size() ? GroupRows[static_cast<size_t>(st)].clef
                                                                           : CurClef;
            RememberAccidentalCode(code, static_cast<int>(std::trunc(cell.yAdj)), clef, staff);
        }
    }
    // 9a. Queued small notes: at most two per column.
    TShrinkRec& shrink = ShrinkRecs[st];
    if (shrink.Col + 1 == column && !shrink.Items.empty()) {
        TieRecord[LayerBase() + st].Item = -1;
        TPlayItem q = item;
        const TPNote first = shrink.Items.front().Notes[0];
        q.Duration = first.Length;
        q.Volume = 127;
        q.Kind = pkNotes;
        q.Notes[1].Pitch = -1;
        if (items.empty()) {
            q.Notes[0] = first;
            AppendPlayItem(items, q);
        } else {
            AppendNote(items.front(), first);
        }
        shrink.Items.erase(shrink.Items.begin());
        if (!shrink.Items.empty()) {
            q.Notes[0] = shrink.Items.front().Notes[0];
            q.Notes[1].Pitch = -1;
            AppendPlayItem(items, q);
            shrink.Items.erase(shrink.Items.begin());
        }
        shrink.Col = shrink.Items.empty() ? -1 : column;
    }
    // 9b. End of the group-wide tuplet scan: one level shorter.
    if ((TupletScanState == 1 || TupletScanState == 2) && column == TupletScanEnd && items.size() == 1) {
        int d = JianpuCellDuration(TupletScanLevel + 1, column, row, 0, -1, -1, -1);
        if (column <= active.LastCol)
            d /= 2;
        items.front().Duration = d;
    }
    return !items.empty();
}
