// Jianpu cells to play items: pitches of degrees in the key in force, lengths
// under underlines, overrides, dots, dashes, tuplets and borrowed time, vertical
// chords, grace lists and the key texts above the rows.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "model/modTQCellAccess.h"
#include "model/modTQCellHelpers.h"
#include "model/modTQGroup.h"
#include "model/modTQKeys.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "model/modTQUtil.h"
#include "play/modTQPlayGrid.h"
#include "play/modTQPlayState.h"

namespace {

constexpr int kDegreeTable[7][5] = {
    {0, 1, 2, 11, 10}, {2, 3, 4, 1, 0}, {4, 5, 6, 3, 2}, {5, 6, 7, 4, 3},
    {7, 8, 9, 6, 5},   {9, 10, 11, 8, 7}, {11, 0, 1, 10, 9},
};
constexpr uint32_t kOptDotted = 0x8;
constexpr uint32_t kOptDoubleDotted = 0x40;
constexpr int kBlank = 32;

// Byte codes of the extension dash and the dot, as the cells hold them (signed or not).
bool IsByte(int note, int byte) { return note == byte || note == static_cast<int8_t>(byte); }
bool IsDashCode(int note) { return IsByte(note, 0x96); }
bool IsDotCode(int note) { return IsByte(note, 0xB7); }

int Staff16(int staff) { return std::clamp(staff, 0, kPlayStaves - 1); }

} // namespace

int PitchClassToKeyCode(int pitchClass) {
    static constexpr int kCodes[12] = {0, 14, 2, 8, 4, 6, 13, 1, 9, 3, 7, 5};
    return (pitchClass >= 0 && pitchClass < 12) ? kCodes[pitchClass] : 0;
}

int TPlayState::OctaveMarkShift(int column, int staff) const {
    const auto& marks = OctaveShifts[Staff16(staff)];
    if (column < 0 || static_cast<size_t>(column) >= marks.size())
        return 0;
    static constexpr int kShift[5] = {0, 1, -1, 2, -2};
    const int m = marks[static_cast<size_t>(column)];
    return (m >= 0 && m <= 4) ? kShift[m] : 0;
}

int TPlayState::JianpuDegreePitchClass(int degree, int accidental, int staff) {
    if (degree < 0 || degree > 6)
        return -1;
    const int* r = kDegreeTable[degree];
    return ApplyAccidental(r[0], r[1], r[2], r[3], r[4], accidental, staff);
}

void TPlayState::JianpuNotePitch(int note, int dots, uint32_t attr, int column, int staff, TPNote& slot) {
    const int accidental = LookupStaffAccidental(attr, note, dots, staff);
    const int pc = JianpuDegreePitchClass(note - '1', accidental, staff);
    slot.Pitch = static_cast<int8_t>(pc);
    const int carry = pc >= 0 ? OctaveCarry[Staff16(staff)] : 0;
    slot.Octave = static_cast<int8_t>(OctaveMarkShift(column, staff) + carry + dots + KeyOctave);
}

int TPlayState::JianpuDashExtension(int units, int column, int row) const {
    if (!frmMainTQ)
        return 0;
    int64_t added = 0;
    bool firstDot = true;
    for (int col = column + 1; col < frmMainTQ->Cols; ++col) {
        const TCell* c = CellAtAddress(col, row);
        if (!c)
            break;
        if (IsDashCode(c->Note) && c->cellType == ctJianpu) {
            added += units;
        } else if (IsDotCode(c->Note) && c->cellType == ctJianpu) {
            added += RoundToInt(units * (firstDot ? 0.5 : 0.25));
            firstDot = false;
        } else if (IsJianpuSound(*c) || IsBarLineAt(col, row, -1)) {
            break;
        }
    }
    return static_cast<int>(std::min<int64_t>(added, INT32_MAX / 2));
}

int TPlayState::JianpuCellDuration(int underlines, int column, int row, uint32_t attr, int64_t option, int staff,
                                   int playDur) {
    (void)attr;
    int64_t units = 1280;
    const int ones = playDur % 10;
    if (playDur >= 0 && playDur < 31 && ones == 9)
        return 0;
    if (playDur >= 0 && playDur < 31 && ones >= 1 && ones <= 8) {
        static constexpr int kBase[9] = {0, 5120, 2560, 1280, 640, 320, 160, 80, 40};
        const int base = kBase[ones];
        const int tens = playDur / 10;
        units = tens == 1 ? RoundToInt(base * 1.5) : tens == 2 ? RoundToInt(base * 1.75) : base;
    } else {
        static constexpr int kByUnderlines[8] = {1280, 640, 320, 160, 80, 40, 20, 10};
        units = (underlines >= 0 && underlines <= 7) ? kByUnderlines[underlines] : 1280;
    }
    if (column >= 0 && row >= 0) {
        uint32_t opt = static_cast<uint32_t>(option);
        if (option == -1) {
            const TCell* c = CellAtAddress(column, row);
            opt = c ? c->option : 0;
        }
        units = RoundToInt(static_cast<double>(units) * 100.0 / std::max(PlayTempo, 1));
        if (opt & kOptDotted)
            units += units / 2;
        else if (opt & kOptDoubleDotted)
            units += units * 3 / 4;
    }
    if (staff >= 0 && column >= 0 && row >= 0) {
        TTupletRec& t = ActiveTuplet[(CurLayer == 1 ? kPlayStaves : 0) + Staff16(staff)];
        if (t.Left > 0 && t.LastCol >= column) {
            units = RoundToInt(static_cast<double>(units) * t.Factor);
        } else {
            t.Left = 0;
            units += JianpuDashExtension(static_cast<int>(std::min<int64_t>(units, INT32_MAX / 4)), column, row);
        }
    }
    // Time that grace or small notes before this note took from it: the note of
    // that staff gives it once.
    if (BorrowedTime > 0 && staff >= 0 && Staff16(staff) == BorrowStaff) {
        units = std::max<int64_t>(units / 2, units - BorrowedTime);
        BorrowedTime = 0;
        BorrowApplied = 1;
    }
    if (staff >= 0) {
        units = RoundToInt(static_cast<double>(units) * FermataFactor(column, staff));
    }
    return static_cast<int>(std::clamp<int64_t>(units, 0, INT32_MAX));
}

void TPlayState::AddJianpuVerticalItem(const TCell& cell, int column, std::vector<TPlayItem>& list, int staff,
                                       bool merge) {
    const auto& entries = cell.CompressNotes;
    if (entries.empty() ||
        std::all_of(entries.begin(), entries.end(), [](const TCompressNote& e) { return e.code == kBlank; }))
        return;
    int staffRow = StartRow;
    if (staff >= 0 && static_cast<size_t>(staff) < GroupRows.size())
        staffRow = GroupRows[static_cast<size_t>(staff)].row;
    if (CurLayer == 1)
        staffRow -= 1;
    TPlayItem item;
    const int n = std::min<int>(static_cast<int>(entries.size()), kPlayNoteSlots);
    const int length = JianpuCellDuration(cell.UL, column, staffRow, cell.Attr, cell.option, staff, cell.playDur);
    for (int i = 0; i < n; ++i) {
        const TCompressNote& e = entries[static_cast<size_t>(i)];
        TPNote& slot = item.Notes[i];
        JianpuNotePitch(e.code, e.octave, e.attr, column, staff, slot);
        slot.Volume = NoteVolume(cell);
        slot.Velocity = NoteVelocity(cell);
        slot.Channel = static_cast<int8_t>(staff);
        slot.Layer = static_cast<int8_t>(CurLayer);
        slot.Length = length;
    }
    if ((cell.option & kOptGraceNote) || cell.fontSizeR <= 0.8f) {
        BorrowedTime = length;
        BorrowApplied = 0;
        BorrowStaff = Staff16(staff);
    }
    if (n < kPlayNoteSlots)
        item.Notes[n].Pitch = -1;
    item.Duration = item.Notes[0].Length;
    item.Volume = 127;
    item.Hold = Echo;
    item.Kind = pkNotes;
    item.Col = column;
    item.Row = GroupStartRow(staff);
    item.Page = frmMainTQ ? frmMainTQ->CurPage : 0;
    if (merge && !list.empty())
        MergeNotes(list.front(), item);
    else
        list.push_back(item);
}

void TPlayState::AddJianpuGraceItems(const TCell& cell, int column, int row, std::vector<TPlayItem>& list, int staff) {
    int previous = 0;   // duration of the cell's previous grace item
    bool made = false;
    const size_t first = list.size();
    // The grace notes' own lengths are not shortened by time borrowed for a later note.
    const int pending = BorrowedTime;
    BorrowedTime = 0;
    for (const TCompressNote& e : cell.CompressNotes) {
        if (IsDotCode(e.code)) {
            ++GraceDots;
            continue;
        }
        if (IsDashCode(e.code)) {
            ++GraceDashes;
            continue;
        }
        if (e.code < '0' || e.code > '7')
            continue;
        if ((GraceDots > 0 || GraceDashes > 0) && !PlayList.empty() && !list.empty()) {
            TPlayItem& last = list.back();
            const int d = last.Duration;
            int64_t add = 0;
            if (GraceDots > 0) {
                add = d / 2;
                for (int k = 1; k < GraceDots; ++k)
                    add += add / 2;
            }
            add += static_cast<int64_t>(d) * GraceDashes;
            last.Duration = static_cast<int>(std::min<int64_t>(last.Duration + add, INT32_MAX));
            last.Notes[0].Length = static_cast<int>(std::min<int64_t>(last.Notes[0].Length + add, INT32_MAX));
            GraceDots = GraceDashes = 0;
        }
        TPlayItem item;
        TPNote& slot = item.Notes[0];
        JianpuNotePitch(e.code, e.octave, e.attr, column, staff, slot);
        slot.Volume = NoteVolume(cell);
        slot.Velocity = NoteVelocity(cell);
        slot.Channel = static_cast<int8_t>(staff);
        slot.Layer = static_cast<int8_t>(CurLayer);
        item.Notes[1].Pitch = -1;
        int length = JianpuCellDuration(e.value, column, row, e.attr, e.option, staff, cell.playDur) / 2;
        static constexpr double kByUnderlines[4] = {0.6, 0.8, 1.0, 1.5};
        length = RoundToInt(length * kByUnderlines[std::clamp(e.value, 0, 3)]);
        slot.Length = length;
        item.Duration = std::max(length, previous);
        previous = item.Duration;
        item.Volume = 127;
        item.Hold = Echo;
        item.Kind = pkNotes;
        item.Col = column;
        item.Row = row;
        if ((PlayRule == prGroupStaff || PlayRule == prAllStaffs) && !GroupRows.empty())
            item.Row = GroupRows.front().row;
        item.Page = frmMainTQ ? frmMainTQ->CurPage : 0;
        list.push_back(item);
        made = true;
    }
    BorrowedTime = pending;
    if (made)
        BorrowGraceTime(list, first, staff);
}

// --- key changes ---

void TPlayState::ReadJianpuKeyCell(int page, int column, int row) {
    const TCell* c = CellAtAddress(column, row, page);
    if (!c || c->cellType != ctText)
        return;
    const int tonic = GetJianpuKeyFromText(c->Text, column, row);
    if (tonic == -1 || tonic < -99)
        return;
    const int musicRow = FindJianpuRowForward(row);
    if (musicRow < 0)
        return;
    TKeyRec r;
    r.Tonic = static_cast<int8_t>(tonic);
    r.OctaveFlag = (tonic >= 8 && tonic <= 11) ? 255 : 0;
    r.Page = page;
    r.Col = KeyRecs.empty() ? 0 : column;
    r.Row = musicRow;
    r.Fixed = c->Text.find("C Fixed Key") != std::string::npos ? 1 : 0;
    r.FixedNote = static_cast<int16_t>(r.Fixed ? c->Note : 0);
    KeyRecs.push_back(r);
}

void TPlayState::CollectJianpuKeyChanges(int row, bool forwardOff) {
    if (!frmMainTQ)
        return;
    TMainScore& s = *frmMainTQ;
    const int savedPage = s.CurPage, savedLayer = CurLayer;
    const std::vector<TGroupData> savedGroups = GroupRows;
    CurLayer = 0;
    const int J = IsJianpuMusicRow(row) ? row : FindJianpuRowForward(row + 1);
    const int P = J >= 1 ? FindJianpuRowBack(J - 1) : -1;
    // 1. above the start
    for (int col = 0; col < s.Cols; ++col)
        for (int r = row - 1; r >= P + 1; --r)
            ReadJianpuKeyCell(s.CurPage, col, r);
    // 2. backwards, page by page, to the first key found
    if (KeyRecs.empty()) {
        int bottom = P; // music row below the text rows searched next
        for (int page = savedPage; page >= 0 && KeyRecs.empty(); --page) {
            s.CurPage = page;
            int lower = page == savedPage ? bottom : FindJianpuRowBack(s.Rows - 1);
            while (lower >= 0 && KeyRecs.empty()) {
                const int upper = lower >= 1 ? FindJianpuRowBack(lower - 1) : -1;
                for (int col = s.Cols - 1; col >= 0 && KeyRecs.empty(); --col)
                    for (int r = lower - 1; r >= upper + 1 && KeyRecs.empty(); --r)
                        ReadJianpuKeyCell(page, col, r);
                lower = upper;
            }
        }
        s.CurPage = savedPage;
    }
    // 3. forward to the end of the score
    if (!KeyRecs.empty() && !forwardOff && J >= 0) {
        const int pages = static_cast<int>(s.PageSets.empty() ? 0 : s.PageSets[0].size());
        for (int page = savedPage; page < pages; ++page) {
            s.CurPage = page;
            // On a later page the rows above its first Jianpu row are read too:
            // a key text often heads a page.
            for (int upper = page == savedPage ? J : -1;;) {
                const int lower = FindJianpuRowForward(upper + 1);
                if (lower < 0)
                    break;
                for (int col = 0; col < s.Cols; ++col)
                    for (int r = upper + 1; r < lower; ++r)
                        ReadJianpuKeyCell(page, col, r);
                upper = lower;
            }
        }
    }
    s.CurPage = savedPage;
    CurLayer = savedLayer;
    GroupRows = savedGroups;
}

void TPlayState::ApplyJianpuKeyChange(int page, int row, int column) {
    if (KeyRecs.empty())
        return;
    auto take = [this](const TKeyRec& r) {
        KeyTonic = r.Tonic;
        KeyOctave = static_cast<int8_t>(r.OctaveFlag);
        FixedKey = r.Fixed;
        FixedKeyNote = r.FixedNote;
    };
    if (KeyRecs.size() == 1) {
        take(KeyRecs.front());
        return;
    }
    for (size_t i = static_cast<size_t>(std::max(NextKeyIndex, 0)); i < KeyRecs.size(); ++i) {
        const TKeyRec& r = KeyRecs[i];
        if (r.Page < page || (r.Page == page && r.Row <= row && r.Col <= column)) {
            take(r);
            NextKeyIndex = static_cast<int>(i) + 1;
            return;
        }
    }
}
