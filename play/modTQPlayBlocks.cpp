// Building blocks of the play list shared by the list builder, the cell
// converters and the passes: staves and start, rows above the first staff,
// adding items, held notes.
#include <algorithm>

#include "model/modTQCellAccess.h"
#include "model/modTQCellHelpers.h"
#include "model/modTQGroup.h"
#include "model/modTQKeys.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "play/modTQPlayGrid.h"
#include "play/modTQPlayState.h"

namespace {

// A release item for a held note: no cell, no wait.
TPlayItem ReleaseItem(const TPNote& held) {
    TPlayItem r;
    r.Kind = pkNotes;
    r.Duration = -1;
    r.Notes[0] = held;
    r.Notes[0].Length = -1;
    r.Notes[1].Pitch = -1;
    r.Col = -1;
    r.Row = -1;
    r.Page = frmMainTQ ? frmMainTQ->CurPage : 0;
    return r;
}

} // namespace

float TupletFactor(int count) {
    if (count == 2)
        return 1.25f;
    if (count == 3)
        return 2.0f / 3.0f; // three in the time of two, exactly
    if (count == 4)
        return 1.125f;
    if (count >= 5 && count <= 7)
        return 4.0f / static_cast<float>(count);
    if (count >= 9 && count <= 15)
        return 8.0f / static_cast<float>(count);
    if (count >= 17)
        return 16.0f / static_cast<float>(count);
    return 1.0f;
}

bool IsKeyAccidentalCode(int code) { return code == 14 || code == 15 || code == 41; }

// --- staves and start ---

void TPlayState::FindFirstGroup(int row) {
    switch (PlayRule) {
    case prCurrentStaff:
    case prSelectedNotes:
        FirstGroup = std::max(0, GetRowIndexInGroup(row));
        break;
    case prGroupStaff:
        FirstGroup = std::max(0, GetSubGroupFirstIndex(row));
        break;
    default:
        FirstGroup = 0;
        break;
    }
}

bool TPlayState::FindStartRow() {
    if (!frmMainTQ)
        return false;
    TMainScore& s = *frmMainTQ;
    if (PlayRule == prCurrentStaff || PlayRule == prSelectedNotes) {
        if (IsJianpuMusicRow(s.SelRow0))
            PlayWest = false;
        else if (IsWestRow(s.SelRow0, 0, -1))
            PlayWest = true;
    }
    StartCol = s.SelCol0;
    int firstRow = -1;
    bool firstWest = false;
    for (int row = std::max(0, s.SelRow0); row < s.Rows; ++row) {
        bool west = false, jianpu = false;
        if (const TCellRow* cells = RowAtAddress(row)) {
            int col = -1;
            if (GetFirstClefInRow(*cells, col, 0) != 0 && col >= 0 && static_cast<size_t>(col) < cells->size() &&
                ((*cells)[static_cast<size_t>(col)].playDur & 32) == 0)
                west = true;
        }
        jianpu = IsJianpuMusicRow(row);
        if (!west && !jianpu)
            continue;
        if (firstRow < 0) {
            firstRow = row;
            firstWest = west;
        }
        if ((PlayWest && west) || (!PlayWest && jianpu)) {
            StartRow = row;
            return true;
        }
    }
    if (firstRow < 0)
        return false;
    PlayWest = firstWest;
    StartRow = firstRow;
    return true;
}

int TPlayState::GroupStartRow(int staff) const {
    if (GroupRows.empty())
        return StartRow;
    const size_t i = std::min(static_cast<size_t>(std::max(staff, 0)), GroupRows.size() - 1);
    switch (PlayRule) {
    case prCurrentStaff:
    case prSelectedNotes:
        return GroupRows[i].row;
    case prGroupStaff: {
        size_t j = i;
        while (j > 0 && GroupRows[j - 1].markCount == GroupRows[i].markCount)
            --j;
        return GroupRows[j].row;
    }
    default:
        return GroupRows.front().row;
    }
}

void TPlayState::ComputeHighlightMargins() {
    HighlightAbove = HighlightBelow = 2;
    if (GroupRows.empty())
        return;
    const int first = GroupRows.front().row, last = GroupRows.back().row;
    const int rows = frmMainTQ ? frmMainTQ->Rows : 0;
    // The rows between the group and the nearest music row (a Jianpu line or
    // a staff) above or below it belong to the nearer of the two, as a reader
    // takes a mark there. The middle row of an odd gap goes to the line below,
    // whose marks stand over it, unless it lies under a Jianpu line (its
    // lyrics): then it belongs to neither.
    int above = -1;
    for (int r = std::min(first - 1, rows - 1); r >= 0 && above < 0; --r)
        if (IsMusicRowOfBuild(r))
            above = r;
    HighlightAbove = above >= 0 ? (first - above - (IsJianpuRowOfBuild(above) ? 1 : 0)) / 2 : 2;
    int below = -1;
    for (int r = std::max(last + 1, 0); r < rows && below < 0; ++r)
        if (IsMusicRowOfBuild(r))
            below = r;
    HighlightBelow = below >= 0 ? (below - last - 1) / 2 : 2;
}

bool TPlayState::ColumnHasNote(int col) const {
    if (GroupRows.empty())
        return false;
    for (int row = GroupRows.front().row; row <= GroupRows.back().row; ++row)
        if (const TCell* c = CellAtAddress(col, row))
            if (IsNoteCell(*c))
                return true;
    return false;
}

void TPlayState::EmitHighlightHeight(int& height) {
    int h = 1;
    const bool oneRow = MainHighlightOneRow && MainHighlightOneRow();
    if ((PlayRule == prGroupStaff || PlayRule == prAllStaffs) && GroupRows.size() > 1 && !oneRow) {
        if (PlayRule == prAllStaffs) {
            h = GroupRows.back().row - GroupRows.front().row;
        } else {
            const size_t i = std::min(static_cast<size_t>(std::max(FirstGroup, 0)), GroupRows.size() - 1);
            h = GroupRows[i].markEndRow - GroupRows[i].row;
        }
    }
    if (h == height)
        return;
    height = h;
    TPlayItem marker;
    marker.Kind = pkHighlight;
    marker.Duration = h;
    AddPlayItem(marker, true);
}

void TPlayState::CompressedCellToItems(const TCell& cell, int column, std::vector<TPlayItem>& list, int staff) {
    if (cell.CompressNotes.empty())
        return;
    const int st = std::clamp(staff, 0, kPlayStaves - 1);
    const bool west = cell.cellType == ctWestern;
    TPlayItem tmpl;
    tmpl.Kind = pkNotes;
    tmpl.Volume = 127;
    tmpl.Hold = Echo;
    tmpl.Page = frmMainTQ ? frmMainTQ->CurPage : 0;
    tmpl.Col = column;
    tmpl.Row = StartRow;
    TPNote base;
    base.Channel = static_cast<int8_t>(staff);
    base.Layer = static_cast<int8_t>(CurLayer);
    base.Volume = NoteVolume(cell); // under the staff's dynamics, as a note of its own
    base.Velocity = NoteVelocity(cell);
    int limit = 2;
    int made = 0;
    TPNote previous = base;
    previous.Pitch = 0;
    ShrinkRecs[st].Col = column;
    ShrinkRecs[st].Items.clear();
    auto place = [&](const TPlayItem& item) {
        if (made < limit)
            list.push_back(item);
        else
            ShrinkRecs[st].Items.push_back(item);
        ++made;
    };
    for (int k = 0; k < static_cast<int>(cell.CompressNotes.size()); ++k) {
        const TCompressNote& e = cell.CompressNotes[static_cast<size_t>(k)];
        const int code = e.code;
        if (west) {
            if (code >= 10)
                continue;
            TCell one;
            MakeCompressNoteCell(cell, k, one);
            one.CompressNotes.clear();
            one.westChordArray.clear();
            TPlayItem item = tmpl;
            WestStepDuration(column, one, item, staff);
            WestCellNotes(item, one, staff);
            item.Row = tmpl.Row;
            place(item);
            continue;
        }
        const bool dash = code == 0x96 || code == static_cast<int8_t>(0x96);
        const bool dot = code == 0xB7 || code == static_cast<int8_t>(0xB7);
        if (code == 32) {
            ++limit;
            continue;
        }
        if (dot) {
            ++GraceDots;
            ++limit;
            continue;
        }
        if (!dash && !IsJianpuNoteChar(code))
            continue;
        TPlayItem item = tmpl;
        TPNote slot = base;
        if (dash) {
            ++GraceDashes;
            slot.Octave = previous.Octave;
            slot.Pitch = previous.Pitch;
        } else {
            TCell one;
            MakeCompressNoteCell(cell, k, one);
            const bool sounding = IsJianpuSound(one) && code != '0';
            if (sounding && (GraceDots > 0 || GraceDashes > 0) && !PlayList.empty()) {
                TPlayItem& last = PlayList.back();
                int64_t add = 0;
                if (GraceDots > 0) {
                    add = last.Duration / 2;
                    for (int d = 1; d < GraceDots; ++d)
                        add += add / 2;
                }
                add += static_cast<int64_t>(GraceDashes) * last.Duration;
                last.Duration = static_cast<int>(std::min<int64_t>(last.Duration + add, INT32_MAX));
                last.Notes[0].Length = static_cast<int>(std::min<int64_t>(last.Notes[0].Length + add, INT32_MAX));
                GraceDots = GraceDashes = 0;
            }
            if (!sounding)
                slot.Volume = 0;
            if (code >= '1' && code <= '7') {
                JianpuNotePitch(code, e.octave, e.attr, column, staff, slot);
            } else {
                slot.Pitch = 0;
                slot.Octave = 0;
            }
        }
        item.Duration = JianpuCellDuration(e.value, column, tmpl.Row, e.attr, e.option, staff, cell.playDur);
        slot.Length = item.Duration;
        item.Notes[0] = slot;
        item.Notes[1].Pitch = -1;
        previous = slot;
        place(item);
    }
    ActiveTuplet[(CurLayer == 1 ? kPlayStaves : 0) + st].Left = 0;
}

void TPlayState::ShiftStaffOctave(std::vector<TPlayItem>& list, int staff) const {
    if (staff < 0 || static_cast<size_t>(staff) >= GroupRows.size())
        return;
    const uint8_t flags = GroupRows[static_cast<size_t>(staff)].displayBits;
    const int shift = (flags & 0x40) ? 1 : (flags & 0x80) ? -1 : 0;
    if (shift == 0)
        return;
    for (TPlayItem& item : list) {
        if (item.Volume == 0)
            continue;
        const int n = NoteCount(item);
        for (int i = 0; i < n; ++i)
            item.Notes[i].Octave = static_cast<int8_t>(item.Notes[i].Octave + shift);
    }
}

// --- rows above the first staff ---

void TPlayState::FindTimeSignature() {
    TimeSigNum = TimeSigDen = 4;
    if (!frmMainTQ)
        return;
    const size_t g = static_cast<size_t>(std::max(FirstGroup, 0));
    const int firstRow = g < GroupRows.size() ? GroupRows[g].row : StartRow;
    for (int col = 0; col < frmMainTQ->Cols; ++col) {
        for (int row = firstRow; row >= 0; --row) {
            const TCell* c = CellAtAddress(col, row);
            if (c && c->cellType == ctTimeSig) {
                TimeSigDen = c->Note;
                TimeSigNum = c->upNote;
                return;
            }
        }
    }
}

// --- adding items ---

void TPlayState::AddPlayItem(const TPlayItem& source, bool adjust) {
    const bool lift = adjust && source.Kind == pkNotes && source.Col >= 0 && source.Volume > 5 &&
                      source.Notes[0].Pitch != -1 && source.Notes[0].Length > 5;
    // The echo sees the item before its row is set and before it is in the list.
    if (lift && Echo && OnEcho) {
        TPlayItem echo = source;
        echo.Volume = 127;
        echo.Hold = Echo;
        OnEcho(echo);
    }
    // Built in place: an item is some 400 bytes and the list holds tens of thousands.
    PlayList.push_back(source);
    TPlayItem& item = PlayList.back();
    if (lift) {
        item.Volume = 127;
        item.Hold = Echo;
    }
    if (adjust && RowOverride > 0)
        item.Row = RowOverride;
    if (item.Tempo == 0)
        item.Tempo = static_cast<int16_t>(std::clamp(PlayTempo, 1, 32767));
    // Notes struck while the pedal is down ring until the pedal changes.
    if (Echo && !EchoOn)
        RecordPedalNotes(item, -1);
}

void TPlayState::AddRefreshItem(int col, int row) {
    if (!PlayList.empty() && PlayList.back().Kind == pkKeyboard)
        return;
    TPlayItem r;
    r.Kind = pkKeyboard;
    r.Col = col;
    r.Row = row;
    r.Duration = 0;
    r.Notes[0].Pitch = -1;
    r.Notes[0].Channel = 0;
    r.Volume = static_cast<uint8_t>(frmMainTQ ? frmMainTQ->CurPage : 0);
    const TCell* c = CellAtAddress(col, row);
    r.Hold = static_cast<uint8_t>(c ? c->Note : 0);
    AddPlayItem(r, true);
}

// --- held notes ---

void TPlayState::ProcessHeldNotes(TPlayItem& item) {
    if (item.Kind > 0 || EchoOn)
        return;
    const int n = NoteCount(item);
    for (int i = 0; i < n; ++i)
        item.Duration = std::min(item.Duration, item.Notes[i].Length);
    if (item.Duration > 0) {
        if (item.Volume != 0) {
            bool added = false;
            for (int i = 0; i < n; ++i) {
                const TPNote& note = item.Notes[i];
                if (note.Length > 0 && note.Length > item.Duration) {
                    TPNote held = note;
                    held.Length = note.Length + PlayTime; // end time
                    SoundingNotes.push_back(held);
                    added = true;
                }
            }
            if (added)
                std::stable_sort(SoundingNotes.begin(), SoundingNotes.end(),
                                 [](const TPNote& a, const TPNote& b) { return a.Length < b.Length; });
        }
        PlayTime += item.Duration;
    }
    // The releases are added once the item has been read for the last time: the
    // item may be a step of PlayList itself.
    std::vector<TPNote> releases;
    while (!SoundingNotes.empty() && SoundingNotes.front().Length <= PlayTime + kHeldSlack) {
        if (!ItemHasNote(item, SoundingNotes.front()))
            releases.push_back(SoundingNotes.front());
        SoundingNotes.pop_front();
    }
    for (const TPNote& note : releases)
        AddPlayItem(ReleaseItem(note), true);
}

void TPlayState::FlushHeldNotes() {
    while (!SoundingNotes.empty()) {
        AddPlayItem(ReleaseItem(SoundingNotes.front()), true);
        SoundingNotes.pop_front();
    }
}
