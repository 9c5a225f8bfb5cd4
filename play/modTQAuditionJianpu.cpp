// A clicked Jianpu note sounds at once in the key in force at the cursor, with the
// accidentals carried in its bar; its key is pressed on the piano, whose release
// on mouse-up stops it.
#include <algorithm>

#include "model/modTQCellAccess.h"
#include "model/modTQGroup.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "play/modTQMIDI.h"
#include "play/modTQPlayState.h"

namespace {

// Semitones of an accidental written as a symbol code: 14 sharp, 15 flat, 41 natural.
int SymbolSemitones(int code) {
    switch (code) {
    case 14: return 1;
    case 15: return -1;
    case 41: return 0;
    default: return kNoAccidental;
    }
}

// The cell's own accidental: its attribute nibble, else what its Note stands for as a symbol.
int CellAccidental(const TCell& c) {
    const int own = AccidentalSemitones(static_cast<int>(c.Attr & 0xF));
    return own != kNoAccidental ? own : SymbolSemitones(c.Note);
}

} // namespace

void TPlayState::AuditionJianpuClick(bool allStaffs) {
    if (!frmMainTQ)
        return;
    FindAuditionKey();
    RebuildBarAccidentals();
    const int column = frmMainTQ->SelCol0;
    if (!allStaffs) {
        AuditionJianpuCell(column, frmMainTQ->SelRow0);
    } else {
        GetRowGroup(frmMainTQ->SelRow0, -1);
        const std::vector<TGroupData> staves = GroupRows;
        for (const TGroupData& g : staves)
            AuditionJianpuCell(column, g.row);
    }
    if (PlayerHooks().ProcessEvents)
        PlayerHooks().ProcessEvents();
}

void TPlayState::FindAuditionKey() {
    KeyTonic = -1;
    KeyOctave = 0;
    FixedKey = 0;
    FixedKeyNote = 0;
    TMainScore& s = *frmMainTQ;
    const int savedPage = s.CurPage;
    for (int page = savedPage; page >= 0; --page) {
        s.CurPage = page;
        const int F = FindJianpuRowForward(0);
        if (F < 0)
            break;
        if (page == 0) {
            for (int col = 0; col < s.Cols; ++col)
                for (int row = 0; row <= F - 3; ++row) {
                    int fixed = 0, note = 0;
                    const int key = GetJianpuKeyAt(col, row, fixed, note);
                    if (key != -1) {
                        KeyTonic = key;
                        FixedKey = static_cast<uint8_t>(fixed);
                        FixedKeyNote = note;
                    }
                }
        }
        const bool found = page == savedPage ? FindAuditionKeyInPage(s.SelCol0, s.SelRow0, F)
                                             : FindAuditionKeyInPage(s.Cols - 1, s.Rows - 1, F);
        if (found || KeyTonic != -1)
            break;
    }
    s.CurPage = savedPage;
}

bool TPlayState::FindAuditionKeyInPage(int column, int row, int firstJianpuRow) {
    TMainScore& s = *frmMainTQ;
    int r = firstJianpuRow;
    while (r >= 0 && r < s.Rows) {
        if (GetRowGroup(r, -1) < 0 || GroupRows.empty())
            break;
        const int first = GroupRows.front().row, last = GroupRows.back().row;
        const bool single = GroupRows.size() == 1 && !IsJianpuMusicRow(first);
        if (!single) {
            for (int col = 0; col < s.Cols; ++col) {
                for (int k = first; k >= std::max(first - 2, 0); --k) {
                    int fixed = 0, note = 0;
                    const int key = GetJianpuKeyAt(col, k, fixed, note);
                    if (key != -1) {
                        KeyTonic = key;
                        FixedKey = static_cast<uint8_t>(fixed);
                        FixedKeyNote = note;
                    }
                }
                if (first <= row && row <= last && col > column)
                    return KeyTonic != -1;
            }
        }
        r = std::max(last, r) + 2;
    }
    return KeyTonic != -1;
}

void TPlayState::RebuildBarAccidentals() {
    TMainScore& s = *frmMainTQ;
    if (OctaveShifts[0].empty()) {
        for (auto& marks : OctaveShifts)
            marks.assign(static_cast<size_t>(std::max(s.Cols, 0)), 0);
        for (auto& t : PendingTuplet)
            t.Left = 0;
    }
    CollectRowOctaveMarks(s.SelRow0);
    MeasureAccidentals[0].clear();
    const int row = s.SelRow0;
    const bool twin = s.HasJianpuPage() && row > 0;
    for (int col = FindMeasureStartCol(s.SelCol0, row) + 1; col <= s.SelCol0; ++col) {
        const TCell* c = CellAtAddress(col, row, -1, 0);
        if (!c || IsBarLineCell(*c))
            break;
        if (IsWestNoteOrRest(*c, 1)) {
            RememberAccidental(CellAccidental(*c), static_cast<int>(c->yAdj), CurClef, 0);
            continue;
        }
        RememberAccidental(CellAccidental(*c), c->Note, c->dot, 0);
        if (twin)
            if (const TCell* j = CellAtAddress(col, row - 1, -1, 1))
                RememberAccidental(CellAccidental(*j), j->Note, j->dot, 1);
    }
}

void TPlayState::AuditionJianpuCell(int column, int row) {
    const bool twin = frmMainTQ->HasJianpuPage() && row >= 1;
    const int saved = CurLayer;
    for (int layer = 0; layer <= (twin ? 1 : 0); ++layer) {
        const TCell* c = CellAtAddress(column, layer == 0 ? row : row - 1, -1, layer);
        if (!c || !IsJianpuNoteCell(*c))
            continue;
        CurLayer = layer;
        if (c->CompressNotes.empty()) {
            SoundJianpuNote(*c);
        } else {
            const TCell cell = *c;
            for (int k = 0; k < static_cast<int>(cell.CompressNotes.size()); ++k) {
                TCell one;
                MakeCompressNoteCell(cell, k, one);
                one.CompressNotes.clear();
                SoundJianpuNote(one);
            }
        }
    }
    CurLayer = saved;
}

void TPlayState::SoundJianpuNote(const TCell& cell) {
    TMainScore& s = *frmMainTQ;
    int accidental = AccidentalSemitones(static_cast<int>(cell.Attr & 0xF));
    if (accidental == kNoAccidental)
        accidental = FindBarAccidentalBefore(cell, s.SelCol0, s.SelRow0);
    // Accidental symbols and Western notes earlier in the bar, as the bar memory was rebuilt.
    if (accidental == kNoAccidental)
        accidental = FindMeasureAccidental(cell.Note, cell.dot, CurLayer == 1 ? 1 : 0);
    // No key text before the click: the key of C.
    const int savedTonic = KeyTonic;
    if (KeyTonic < 0)
        KeyTonic = 0;
    const int pc = JianpuDegreePitchClass(cell.Note - '1', accidental, 0);
    KeyTonic = savedTonic;
    if (pc < 0)
        return;
    const int octave = OctaveMarkShift(s.SelCol0, 0) + cell.dot + OctaveCarry[0] + KeyOctave;
    TPlayerHooks& h = PlayerHooks();
    if (h.PressKey)
        h.PressKey(pc, octave);
    if (frmMIDI)
        frmMIDI->MidiNoteOn(octave, pc, h.MainVolume ? h.MainVolume() : 127);
}

int TPlayState::FindBarAccidentalBefore(const TCell& cell, int column, int row) const {
    const bool twin = frmMainTQ->HasJianpuPage() && row >= 1;
    auto match = [&](const TCell& c) -> int {
        if (c.CompressNotes.empty()) {
            if (IsJianpuNoteCell(c) && c.Note == cell.Note && c.dot == cell.dot && (c.Attr & 0xF) != 0)
                return AccidentalSemitones(static_cast<int>(c.Attr & 0xF));
            return kNoAccidental;
        }
        for (const TCompressNote& e : c.CompressNotes)
            if (e.code == cell.Note && e.octave == cell.dot && (e.attr & 0xF) != 0)
                return AccidentalSemitones(static_cast<int>(e.attr & 0xF));
        return kNoAccidental;
    };
    for (int col = column; col >= 0; --col) {
        const TCell* c0 = CellAtAddress(col, row, -1, 0);
        if (c0 && IsBarLineCell(*c0))
            return kNoAccidental;
        if (c0) {
            const int a = match(*c0);
            if (a != kNoAccidental)
                return a;
        }
        if (twin)
            if (const TCell* c1 = CellAtAddress(col, row - 1, -1, 1)) {
                const int a = match(*c1);
                if (a != kNoAccidental)
                    return a;
            }
    }
    return kNoAccidental;
}
