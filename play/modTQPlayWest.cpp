// Western cells to play items: note lengths under dots, tuplets, overrides and
// tempo; pitches of note heads under clef, key signature and the bar's accidentals.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "model/modTQCellAccess.h"
#include "model/modTQCellHelpers.h"
#include "model/modTQGroup.h"
#include "model/modTQKeys.h"
#include "model/modTQMainScore.h"
#include "model/modTQNoteLetter.h"
#include "model/modTQPredicates.h"
#include "model/modTQScan.h"
#include "play/modTQMIDI.h"
#include "play/modTQPlayGrid.h"
#include "play/modTQPlayState.h"

namespace {

constexpr uint32_t kOptDotted = 0x8;
constexpr uint32_t kOptDoubleDotted = 0x40;
constexpr uint32_t kOptHideStem = 0x1000;
constexpr uint32_t kOptHideHead = 0x2000;
constexpr uint32_t kOptBreve = 0x20000;
constexpr uint32_t kOptLengthened = 0x4000000;
constexpr int kDrumClef = -4;
constexpr int kKeyResetClef = -15;

// Pitch classes of the scale steps C..B: natural, sharp, double sharp, flat, double flat.
constexpr int kStepTable[7][5] = {
    {0, 1, 2, 11, 10}, {2, 3, 4, 1, 0}, {4, 5, 6, 3, 2}, {5, 6, 7, 4, 3},
    {7, 8, 9, 6, 5},   {9, 10, 11, 8, 7}, {11, 0, 1, 10, 9},
};

// Semitones of a Western accidental code: 1 +1, 2 -1, 5 -2, 6 +2, else none.
int WestCodeSemitones(int code) {
    switch (code) {
    case 1: return 1;
    case 2: return -1;
    case 5: return -2;
    case 6: return 2;
    default: return kNoAccidental;
    }
}

int Mod(int a, int m) { return ((a % m) + m) % m; }

const TGroupData* StaffRecord(int staff) {
    if (staff < 0 || GroupRows.empty())
        return nullptr;
    return &GroupRows[static_cast<size_t>(staff % kPlayStaves) % GroupRows.size()];
}

// The staff's header clef cell: layer 0, current page.
const TCell* StaffClefCell(const TGroupData& g) { return CellAtAddress(g.clefColumn, g.row, -1, 0); }

bool OnPage(const TPlayItem& item) {
    return frmMainTQ && item.Col >= 0 && item.Col < frmMainTQ->Cols && item.Row >= 0 && item.Row < frmMainTQ->Rows;
}

} // namespace

int WestRestValue(int code) {
    if (code >= 20 && code <= 27)
        return code - 19;
    if (code == 19)
        return 81;
    return code;
}

int TPlayState::PlayUnitsOfValue(int value, uint32_t option) const {
    // trunc(1280 / (2^(value - 1) x 0.25)), within 32 bits, at the tempo
    // rounded to the nearest unit: a truncated 16th at a fast tempo loses
    // nearly a unit, and a run of them drifts from the other staves and the file.
    const double raw = 1280.0 / (std::ldexp(1.0, std::clamp(value, -20, 200) - 1) * 0.25);
    const int64_t u = static_cast<int64_t>(std::min(raw, 2.0e9));
    const int64_t tempo = std::max(PlayTempo, 1);
    const int64_t scaled = (u * ((option & kOptLengthened) ? 105 : 100) + tempo / 2) / tempo;
    return static_cast<int>(std::min<int64_t>(scaled, INT32_MAX));
}

int TPlayState::WestCellDuration(int column, const TCell& cell, int staff) {
    int value = cell.Note;
    const bool overridden = cell.playDur != 0;
    if (overridden) {
        if (cell.playDur == 9)
            return 0;
        if (cell.playDur % 10 != 0)
            value = cell.playDur % 10;
    }
    int64_t u = PlayUnitsOfValue(value, cell.option);
    if (value == 1 && (cell.option & kOptBreve))
        u *= 2;
    if (overridden)
        return static_cast<int>(u);
    if (cell.option & kOptDoubleDotted)
        u += 3 * u / 4;
    else if (cell.option & kOptDotted)
        u += u / 2;
    if (staff >= 0 && staff < kPlayStaves) {
        TTupletRec& t = ActiveTuplet[(CurLayer == 1 ? kPlayStaves : 0) + staff];
        if (column <= t.LastCol) {
            u = static_cast<int64_t>(std::ceil(static_cast<double>(u) * t.Factor));
            --t.Left;
        }
        u = static_cast<int64_t>(static_cast<double>(u) * FermataFactor(column, staff));
    }
    return static_cast<int>(std::clamp<int64_t>(u, INT32_MIN, INT32_MAX));
}

void TPlayState::WestStepDuration(int column, const TCell& cell, TPlayItem& item, int staff) {
    int u;
    if (IsWestRestCell(cell) && cell.playDur == 0) {
        TCell c = cell;
        c.Note = WestRestValue(c.Note);
        u = WestCellDuration(column, c, staff);
    } else {
        u = WestCellDuration(column, cell, staff);
    }
    if (item.Duration < 1 || u < item.Duration)
        item.Duration = u;
}

int TPlayState::ApplyAccidental(int natural, int sharp, int dsharp, int flat, int dflat, int semitones, int staff) {
    int& carry = OctaveCarry[std::clamp(staff, 0, kPlayStaves - 1)];
    carry = 0;
    int pc = natural;
    switch (semitones) {
    case -1:
        pc = flat;
        carry = natural == 0 ? -1 : 0;
        break;
    case -2:
        pc = dflat;
        carry = natural == 0 ? -1 : 0;
        break;
    case 1:
        pc = sharp;
        carry = natural == 11 ? 1 : 0;
        break;
    case 2:
        pc = dsharp;
        carry = (natural == 11 || natural == 10) ? 1 : 0;
        break;
    default:
        break;
    }
    int p = static_cast<uint8_t>(pc + KeyTonic);
    if (p >= 12) {
        carry += 1;
        p %= 12;
    }
    return p;
}

void TPlayState::WestPitchFromLine(int line, int semitones, TPNote& note, int staff) {
    int c = GetClefCPos(CurClef);
    const TGroupData* g = StaffRecord(staff);
    if (g && g->clef == kKeyResetClef) {
        semitones = 0;
        c = g->clefColumn > 0 ? GetClefCPos(GetClefCodeAt(g->clefColumn - 1, g->row)) : 0;
    }
    const int step = Mod(70 - line + c, 7);
    note.Octave = static_cast<int8_t>(static_cast<uint8_t>((28 - line + c) / 7) - 4);
    const int* row = kStepTable[step];
    note.Pitch = static_cast<int8_t>(ApplyAccidental(row[0], row[1], row[2], row[3], row[4], semitones, staff));
    note.Octave = static_cast<int8_t>(note.Octave + OctaveCarry[std::clamp(staff, 0, kPlayStaves - 1)]);
}

int TPlayState::WestAccidental(uint32_t attr, int line, int clef, int clefShift, int staff) {
    if ((attr & 0xF) != 0 && attr != 0xFFFFFFFFu) {
        const int code = static_cast<int>(attr & 0xF);
        RememberAccidentalCode(code, line, clef, staff);
        return WestCodeSemitones(code);
    }
    const int found = FindMeasureAccidental(line, clef, staff);
    if (found != kNoAccidental)
        return found;
    const int step = Mod(70 - line + GetClefCPos(CurClef) + 2 * clefShift + 2, 7);
    return WestCodeSemitones(KeyAccidentals[step] == 1 ? 1 : KeyAccidentals[step] == 2 ? 2 : 0);
}

bool TPlayState::WestNotePitch(int slot, const TCell& cell, TPlayItem& item, int line, uint32_t attr, int staff) {
    if (!OnPage(item) || slot < 0 || slot >= kPlayNoteSlots)
        return false;
    const int st = std::clamp(staff, 0, kPlayStaves - 1);
    int mark = 0;
    if (static_cast<size_t>(item.Col) < OctaveShifts[st].size()) {
        static constexpr int kShift[5] = {0, 1, -1, 2, -2};
        const int m = OctaveShifts[st][static_cast<size_t>(item.Col)];
        mark = (m >= 0 && m <= 4) ? kShift[m] : 0;
    }
    TPNote& note = item.Notes[slot];
    // The note's own adjustment under the staff's dynamics at this column.
    note.Volume = NoteVolume(cell);
    note.Velocity = NoteVelocity(cell);
    note.Channel = static_cast<int8_t>(staff);
    note.Layer = static_cast<int8_t>(CurLayer);
    note.Length = item.Duration;
    if (item.Duration > 0) {
        // A tie: a slur mark at the note (its row or the row above) whose first
        // Western note to the right, near the mark's end, stands on the same line.
        // The partner is looked for in the note's own row, where Western notes are.
        // The item is filed under the group's first row; the note stands in its
        // staff's row.
        const TGroupData* own = StaffRecord(staff);
        const int noteRow = own ? own->row : item.Row;
        for (int markRow : {noteRow, noteRow - 1}) {
            const TCell* m = CellAtAddress(item.Col, markRow);
            if (!m || !IsSlurMarkCell(*m))
                continue;
            const int end = m->iEnd;
            for (int col = item.Col + 1; col <= end + 1 && col < frmMainTQ->Cols; ++col) {
                const TCell* p = CellAtAddress(col, noteRow);
                if (!p || !(IsWestNoteCell(*p) || IsWestRestCell(*p)))
                    continue;
                // A rest between them: no tie.
                if (IsWestNoteCell(*p) && col >= end - 1 && p->westChordArray.empty() && p->yAdj == cell.yAdj)
                    note.Length += WestCellDuration(col, *p, staff);
                break;
            }
            break;
        }
    }
    const TGroupData* g = StaffRecord(staff);
    if (g && g->clef == kDrumClef) {
        note.Octave = 0;
        note.Pitch = 0;
        return true;
    }
    int clefShift = 0;
    if (g)
        if (const TCell* clefCell = StaffClefCell(*g))
            clefShift = static_cast<int>(std::lround(clefCell->yAdj));
    const int clef = g ? g->clef : CurClef;
    int s = WestAccidental(attr, line, clef, clefShift, staff);
    if (s == kNoAccidental && frmMainTQ->HasJianpuPage() && CurLayer == 0) {
        const TCell* other = CellAtAddress(item.Col, item.Row, -1, 1);
        if (other && IsWestNoteCell(*other))
            s = WestAccidental(other->Attr, line, clef, clefShift, staff);
    }
    WestPitchFromLine(line - 2 * clefShift, s, note, staff);
    note.Octave = static_cast<int8_t>(note.Octave + mark);
    if (IsWestRestCell(cell))
        note.Volume = 0;
    return true;
}

int TPlayState::WestCellNotes(TPlayItem& item, const TCell& cell, int staff) {
    if (!OnPage(item))
        return 0;
    if (const TGroupData* g = StaffRecord(staff)) {
        if (g->isWest && (g->clef != CurClef || g->keyCode != CurKeyCode)) {
            if (const TCell* clefCell = StaffClefCell(*g))
                SetKeyAccidTable(*clefCell);
            CurClef = g->clef;
            CurKeyCode = g->keyCode;
        }
    }
    int count = 0;
    const bool hidden = (cell.option & kOptHideStem) && (cell.option & kOptHideHead);
    if (!hidden && !IsWestRestCell(cell)) {
        int line = static_cast<int>(cell.yAdj);
        count += WestNotePitch(0, cell, item, line, cell.Attr, staff) ? 1 : 0;
        for (size_t k = 0; k < cell.westChordArray.size() && k + 1 < kPlayNoteSlots; ++k) {
            line -= cell.westChordArray[k].interval;
            count += WestNotePitch(static_cast<int>(k) + 1, cell, item, line, cell.westChordArray[k].attr, staff) ? 1 : 0;
        }
    }
    if (count < kPlayNoteSlots)
        item.Notes[count].Pitch = -1;
    item.Row = GroupStartRow(staff);
    return count;
}

void TPlayState::WestCellToItems(const TCell& cell, std::vector<TPlayItem>& list, int column, int row, int staff) {
    TPlayItem tmpl;
    tmpl.Kind = pkNotes;
    tmpl.Volume = 127;
    tmpl.Hold = Echo;
    tmpl.Page = frmMainTQ ? frmMainTQ->CurPage : 0;
    tmpl.Col = column;
    tmpl.Row = row;
    const size_t first = list.size();
    const int n = static_cast<int>(cell.CompressNotes.size());
    if (n == 0) {
        TPlayItem item = tmpl;
        WestStepDuration(column, cell, item, staff);
        if (WestCellNotes(item, cell, staff) == 0)
            return;
        if ((PlayRule == prGroupStaff || PlayRule == prAllStaffs) && !GroupRows.empty())
            item.Row = GroupRows.front().row;
        AppendPlayItem(list, item);
        // A grace note written as a note of its own: it sounds before the beat.
        if (IsGraceCell(cell) || (cell.option & kOptGraceNote))
            BorrowGraceTime(list, first, staff);
        return;
    }
    bool made = false;
    for (int k = 0; k < n; ++k) {
        if (cell.CompressNotes[static_cast<size_t>(k)].code >= 10)
            continue;
        TCell note;
        MakeCompressNoteCell(cell, k, note);
        note.CompressNotes.clear();
        note.westChordArray.clear();
        note.Note = n < 3 ? 5 : 6;
        TPlayItem item = tmpl;
        WestStepDuration(column, note, item, staff);
        WestCellNotes(item, note, staff);
        if (n < 3)
            item.Duration /= 2;
        const int count = NoteCount(item);
        for (int i = 0; i < count; ++i) {
            item.Notes[i].Length = item.Duration;
            item.Notes[i].Volume = NoteVolume(note);
            item.Notes[i].Velocity = NoteVelocity(note);
        }
        made = true;
        AppendPlayItem(list, item);
    }
    // The grace notes take their time from the step before them.
    if (made)
        BorrowGraceTime(list, first, staff);
}

void TPlayState::AuditionWestClick(int column, int row, bool allStaves) {
    GetRowGroup(row, -1);
    if (allStaves && GroupRows.size() > 1) {
        const std::vector<TGroupData> staves = GroupRows;
        for (const TGroupData& g : staves)
            if (g.clef != kDrumClef)
                AuditionWestCell(column, g.row);
        return;
    }
    AuditionWestCell(column, row);
}

void TPlayState::AuditionWestCell(int column, int row) {
    if (!frmMainTQ)
        return;
    const TCell* clicked = CellAtAddress(column, row);
    if (!clicked)
        return;
    const bool twin = frmMainTQ->HasJianpuPage();
    if (!IsWestNoteCell(*clicked)) {
        if (!twin)
            return;
        clicked = CellAtAddress(column, row, -1, 1 - CurLayer);
        if (!clicked || !IsWestNoteCell(*clicked))
            return;
    }
    CurClef = -1;
    CurKeyCode = 0;
    KeyOctave = 0;
    int staff = 0;
    for (size_t i = 0; i < GroupRows.size(); ++i)
        if (GroupRows[i].row == row)
            staff = static_cast<int>(i);
    // The key table from the row's clef left of the click; the clef decides the pitches.
    int clefCol = column;
    const int clef = FindClefLeft(clefCol, row);
    const TCell* clefCell = clefCol >= 0 ? CellAtAddress(clefCol, row, -1, 0) : nullptr;
    if (clefCell) {
        SetKeyAccidTable(*clefCell);
        CurClef = clef;
        // key-accidental symbols written between the header and the click change the key
        for (int c = clefCol + 1; c < column; ++c) {
            const TCell* symbol = CellAtAddress(c, row, -1, 0);
            if (symbol && symbol->cellType == ctSymbol && IsKeyAccidentalCode(symbol->Note))
                SetKeyAccidental(symbol->Note, *symbol, *clefCell);
        }
    } else {
        ClearKeyAccidTable();
    }
    auto soundAt = [&](const TCell& cell) {
        std::vector<TCell> notes;
        if (!cell.westChordArray.empty()) {
            for (int k = 0; k <= static_cast<int>(cell.westChordArray.size()); ++k) {
                TCell one;
                ExtractChordNote(cell, k, one);
                notes.push_back(one);
            }
        } else if (!cell.CompressNotes.empty()) {
            for (int k = 0; k < static_cast<int>(cell.CompressNotes.size()); ++k) {
                if (cell.CompressNotes[static_cast<size_t>(k)].code >= 10)
                    continue;
                TCell one;
                MakeCompressNoteCell(cell, k, one);
                one.CompressNotes.clear();
                notes.push_back(one);
            }
        } else if (IsWestNoteCell(cell)) {
            notes.push_back(cell);
        }
        for (TCell& one : notes) {
            const int carried = FindBarAccidental(column, row, static_cast<int>(one.yAdj));
            if (carried > 0)
                one.Attr = (one.Attr & ~0xFu) | static_cast<uint32_t>(carried & 0xF);
            SoundWestNote(one, staff);
        }
    };
    soundAt(*clicked);
    if (twin) {
        const int saved = CurLayer;
        CurLayer = 1 - CurLayer;
        if (const TCell* other = CellAtAddress(column, row))
            soundAt(*other);
        CurLayer = saved;
    }
}

void TPlayState::SoundWestNote(const TCell& cell, int staff) {
    KeyTonic = 0;
    const int line = static_cast<int>(cell.yAdj);
    int clefShift = 0;
    if (const TGroupData* g = StaffRecord(staff))
        if (const TCell* clefCell = StaffClefCell(*g))
            clefShift = static_cast<int>(std::lround(clefCell->yAdj));
    const int s = WestAccidental(cell.Attr, line, CurClef, clefShift, staff);
    TPNote note;
    WestPitchFromLine(line - 2 * clefShift, s, note, staff);
    int mark = 0;
    const int col = frmMainTQ ? frmMainTQ->SelCol0 : 0;
    if (col >= 0 && static_cast<size_t>(col) < OctaveShifts[0].size()) {
        static constexpr int kShift[5] = {0, 1, -1, 2, -2};
        const int m = OctaveShifts[0][static_cast<size_t>(col)];
        mark = (m >= 0 && m <= 4) ? kShift[m] : 0;
    }
    const int octave = note.Octave + mark + KeyOctave;
    TPlayerHooks& h = PlayerHooks();
    if (h.PressKey)
        h.PressKey(note.Pitch, octave);
    if (frmMIDI)
        frmMIDI->MidiNoteOn(octave, note.Pitch, h.MainVolume ? h.MainVolume() : 127);
}
