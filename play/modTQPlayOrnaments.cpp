// Ornaments and arpeggios: a note carrying a mordent, turn, trill or staccato
// sign, or a chord carrying an arpeggio mark, plays as a short figure.
#include <algorithm>
#include <cmath>

#include "model/modTQCellAccess.h"
#include "model/modTQCellHelpers.h"
#include "model/modTQGroup.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "play/modTQPlayGrid.h"
#include "play/modTQPlayState.h"

namespace {

// Pitch classes with a whole step above them, per key code 0..14.
const int kWholeStepAbove[15][5] = {
    {0, 2, 5, 7, 9},   {7, 9, 0, 2, 4},   {2, 4, 7, 9, 11}, {9, 11, 2, 4, 6}, {4, 6, 9, 11, 1},
    {11, 1, 4, 6, 8},  {5, 7, 10, 0, 2},  {10, 0, 3, 5, 7}, {3, 5, 8, 10, 0}, {8, 10, 1, 3, 5},
    {1, 3, 6, 8, 10},  {6, 8, 11, 1, 3},  {11, 1, 4, 6, 8}, {6, 8, 11, 1, 3}, {1, 3, 6, 8, 10},
};

bool WholeStepAbove(int pc, int key) {
    if (key < 0 || key > 14)
        return false;
    for (int v : kWholeStepAbove[key])
        if (v == pc)
            return true;
    return false;
}

int Mod12(int pc) { return ((pc % 12) + 12) % 12; }

constexpr uint32_t kOptStaccatoA = 0x10;
constexpr uint32_t kOptStaccatoB = 0x400000;

// Copy of item holding only slot k's note.
TPlayItem SingleNote(const TPlayItem& item, int k) {
    TPlayItem r = item;
    r.Notes[0] = item.Notes[k];
    r.Notes[1].Pitch = -1;
    return r;
}

void SetStep(TPlayItem& item, int d) {
    item.Duration = d;
    for (int k = 0; k < kPlayNoteSlots && item.Notes[k].Pitch != -1; ++k)
        item.Notes[k].Length = d;
}

// Leaves in item only the notes of the channel and returns the others (as an
// item with those notes); with no note of the channel the item is left whole.
TPlayItem TakeOtherChannels(TPlayItem& item, int channel) {
    TPlayItem kept = item, others = item;
    int nk = 0, no = 0;
    for (int k = 0; k < kPlayNoteSlots && item.Notes[k].Pitch != -1; ++k)
        (item.Notes[k].Channel == channel ? kept.Notes[nk++] : others.Notes[no++]) = item.Notes[k];
    if (nk < kPlayNoteSlots)
        kept.Notes[nk].Pitch = -1;
    if (no < kPlayNoteSlots)
        others.Notes[no].Pitch = -1;
    if (nk == 0) {
        others.Notes[0].Pitch = -1;
        return others;
    }
    item = kept;
    return others;
}

// The notes of other staves join the figure's first step and are held through it.
void HoldWithFigure(TPlayItem& first, const TPlayItem& others) {
    for (int k = 0; k < kPlayNoteSlots && others.Notes[k].Pitch != -1; ++k)
        AppendNote(first, others.Notes[k]);
}

bool Higher(const TPNote& a, const TPNote& b) {
    return a.Octave != b.Octave ? a.Octave > b.Octave : a.Pitch > b.Pitch;
}

} // namespace

int NextScaleStepUp(int pitchClass, int keyCode) {
    return pitchClass + (WholeStepAbove(Mod12(pitchClass), keyCode) ? 2 : 1);
}

int NextScaleStepDown(int pitchClass, int keyCode) {
    return pitchClass - (WholeStepAbove(Mod12(pitchClass - 2), keyCode) ? 2 : 1);
}

void AdjustAuxInterval(int& aux, int mainPitch, int& octaveChange, bool upward, int accidental) {
    const int d = upward ? aux - mainPitch : mainPitch - aux;
    int nd = d;
    if ((accidental == 2 || accidental == 3) && d >= 2)
        nd = d - 1;
    else if ((accidental == 1 || accidental == 3) && d == 1)
        nd = d + 1;
    aux = upward ? mainPitch + nd : mainPitch - nd;
    octaveChange = 0;
    if (aux > 11) {
        aux %= 12;
        octaveChange = 1;
    } else if (aux < 0) {
        aux += 12;
        octaveChange = -1;
    }
}

int TPlayState::OrnamentKeyCode(bool west) const {
    if (west)
        return CurKeyCode;
    if (FixedKey && FixedKeyNote > 0)
        return FixedKeyNote;
    return PitchClassToKeyCode(Mod12(KeyTonic));
}

void TPlayState::UpperAuxNote(bool west, TPNote& out, const TPNote& note, uint32_t attr) const {
    int aux = NextScaleStepUp(note.Pitch, OrnamentKeyCode(west));
    int oct = 0;
    AdjustAuxInterval(aux, note.Pitch, oct, true, static_cast<int>(attr & 0xF));
    out = note;
    out.Pitch = static_cast<int8_t>(aux);
    out.Octave = static_cast<int8_t>(note.Octave + oct);
}

void TPlayState::LowerAuxNote(bool west, TPNote& out, const TPNote& note, uint32_t attr) const {
    int aux = NextScaleStepDown(note.Pitch, OrnamentKeyCode(west));
    int oct = 0;
    AdjustAuxInterval(aux, note.Pitch, oct, false, static_cast<int>(attr & 0xF));
    out = note;
    out.Pitch = static_cast<int8_t>(aux);
    out.Octave = static_cast<int8_t>(note.Octave + oct);
}

bool TPlayState::StartOrnament(int column, int row, int kind, uint32_t attr, const std::vector<TPlayItem>& list,
                               int staff) {
    if (list.empty())
        return false;
    TTrillRec& r = Ornaments[0];
    r.Kind = kind;
    r.Attr = attr;
    r.Item = list.back();
    r.Item.Col = column;
    r.Item.Row = row;
    r.Staff = staff;
    GetCell(r.Cell, column, row);
    return true;
}

bool TPlayState::ScanOrnamentSymbols(int column, int row, int rowsUp, std::vector<TPlayItem>& list, int staff) {
    const int up = row - rowsUp;
    if (up < 0 || list.empty())
        return false;
    const TCell* sym = CellAtAddress(column, up);
    const TCell* note = CellAtAddress(column, row);
    if (!sym || !note || IsJianpuSound(*sym))
        return false;
    // The second symbol cell: below a Jianpu note.
    const TCell* second = nullptr;
    if (note->cellType == ctJianpu)
        second = CellAtAddress(column, row + 1);
    if ((sym->cellType == ctText && sym->Text.str().find("tr") != std::string::npos) ||
        (sym->cellType == ctTextSymbol && sym->Note == 15))
        return StartOrnament(column, row, 1, sym->Attr, list, staff);
    if ((note->option & (kOptStaccatoA | kOptStaccatoB)) || (sym->cellType == ctSymbol && HasSymbolCode(*sym, 26))) {
        TTrillRec& s = Ornaments[3];
        s.Kind = 9;
        s.Cell = *note;
        s.Item = list.back();
        s.Staff = staff;
        return true;
    }
    // The marks below are all symbol cells.
    if (sym->cellType != ctSymbol && !(second && second->cellType == ctSymbol))
        return false;
    struct Code {
        int code;
        int kind;
    };
    static const Code kCodes[] = {{107, 4}, {4, 4}, {108, 3}, {88, 8}, {141, 7}, {142, 6}, {143, 5}};
    for (const Code& k : kCodes) {
        for (const TCell* c : {sym, second}) {
            if (c && c->cellType == ctSymbol && HasSymbolCode(*c, k.code))
                return StartOrnament(column, row, k.kind, c->Attr, list, staff);
        }
    }
    if (sym->cellType == ctSymbol && HasSymbolCode(*sym, 34)) {
        // Repeated notes at a speed bound to the tempo: the second record.
        TTrillRec& r = Ornaments[1];
        r.Kind = 13;
        r.Attr = sym->Attr;
        r.Cell = *note;
        r.Item = list.back();
        r.Item.Col = column;
        r.Item.Row = row;
        r.Staff = staff;
        return true;
    }
    return false;
}

bool TPlayState::ExpandOrnament(TTrillRec& rec, std::vector<TPlayItem>& list) {
    if (list.empty())
        return false;
    const int d = list.back().Duration;
    if (d < 0)
        return false;
    const int kind = rec.Kind;
    int l;
    if (kind < 12) {
        l = std::min(d / 4, 120);
    } else {
        l = JianpuCellDuration(3, rec.Item.Col, rec.Item.Row, 0, -1, -1, -1);
        if (l >= 251)
            l /= 2;
        else if (l < 100)
            l = JianpuCellDuration(2, rec.Item.Col, rec.Item.Row, 0, -1, -1, -1);
        if (PlayTempo <= 100)
            l = l * 2 / 3;
    }
    if (l < 5)
        return false;
    int n = d / l;
    if (kind == 3 || kind == 4) {
        l = std::min(160, std::max(80, d / 8));
        n = 2;
        if (3 * l > d)
            l = d / 3;
    } else if (kind == 5 || kind == 6) {
        l = std::min(160, std::max(80, d / 8));
        n = 4;
        if (5 * l > d)
            l = d / 5;
    } else {
        l = d / std::max(n, 1);
    }
    if (l < 5)
        return false;
    const int r = d - l * n;
    // The figure is made of the ornamented staff's notes; notes of other staves
    // that start in the same step are held through it.
    const size_t at = list.size() - 1;
    const TPlayItem others = TakeOtherChannels(list.back(), rec.Item.Notes[0].Channel);
    TPlayItem main = list.back();
    const bool west = rec.Staff >= 0 && static_cast<size_t>(rec.Staff) < GroupRows.size() &&
                      GroupRows[static_cast<size_t>(rec.Staff)].isWest;
    TPlayItem upper = main, lower = main;
    UpperAuxNote(west, upper.Notes[0], main.Notes[0], rec.Attr);
    LowerAuxNote(west, lower.Notes[0], main.Notes[0], rec.Attr);
    if (kind == 7 || kind == 8) {
        const int a = d <= 600 ? d / 4 : 150;
        upper.Notes[1].Pitch = -1;
        lower.Notes[1].Pitch = -1;
        SetStep(upper, a);
        SetStep(lower, a);
        TPlayItem m = main;
        SetStep(m, a);
        m.Hold = Echo;
        list.pop_back();
        if (kind == 8) {
            list.push_back(upper);
            list.push_back(m);
            list.push_back(lower);
        } else {
            list.push_back(lower);
            list.push_back(m);
            list.push_back(upper);
        }
        TPlayItem last = m;
        SetStep(last, d > 720 ? d - 3 * a : a);
        list.push_back(last);
        HoldWithFigure(list[at], others);
        return true;
    }
    TPlayItem& first = list.back();
    SetStep(first, l);
    first.Hold = Echo;
    TPlayItem chord = first;
    for (int k = 1; k < n; ++k) {
        TPlayItem x = chord;
        if (kind < 12 && (k % 2) == 1) {
            x.Notes[1].Pitch = -1;
            if (kind == 4 || kind == 6)
                x.Notes[0] = upper.Notes[0];
            else if (kind == 3 || kind == 5)
                x.Notes[0] = lower.Notes[0];
            SetStep(x, l);
        }
        list.push_back(x);
    }
    if (r > 10) {
        TPlayItem x = chord;
        SetStep(x, r);
        list.push_back(x);
    }
    HoldWithFigure(list[at], others);
    return true;
}

bool TPlayState::ExpandTrill(TTrillRec& rec, std::vector<TPlayItem>& list) {
    if (list.empty())
        return false;
    TPlayItem& last = list.back();
    int s = std::max(last.Duration, rec.Item.Notes[0].Length);
    if (last.Duration < 0 || s < 5)
        return false;
    int l = JianpuCellDuration(3, rec.Item.Col, rec.Item.Row, 0, -1, -1, -1);
    if (l >= 251)
        l /= 2;
    else if (l >= 100 || l >= s * 0.2) {
        if (l > 200)
            l /= 2;
    } else {
        l = JianpuCellDuration(2, rec.Item.Col, rec.Item.Row, 0, -1, -1, -1);
    }
    if (l < 1)
        return false;
    int n = s / l;
    if (n == 2)
        n = 4;
    else if (n % 2 == 1)
        ++n;
    if (n < 1)
        return false;
    l = s / n;
    if (l < 5)
        return false;
    const bool west = rec.Staff >= 0 && static_cast<size_t>(rec.Staff) < GroupRows.size() &&
                      GroupRows[static_cast<size_t>(rec.Staff)].isWest;
    // The figure is made of the ornamented staff's notes; notes of other staves
    // that start in the same step are held through it.
    const TPlayItem others = TakeOtherChannels(last, rec.Item.Notes[0].Channel);
    TPlayItem main = last;
    SetStep(main, l);
    last = main;
    HoldWithFigure(last, others);
    TPlayItem upper = main;
    UpperAuxNote(west, upper.Notes[0], main.Notes[0], rec.Attr);
    upper.Notes[1].Pitch = -1;
    // The main note opens the figure; the other n - 1 notes fill the rest of
    // its value exactly, so the next note comes on its beat.
    PendingNotes.clear();
    for (int k = 1; k < n; ++k)
        PendingNotes.push_back((k % 2) == 1 ? upper : main);
    EmitPendingNotes(rec.Item.Col, rec.Item.Row, list, s - l, true);
    rec.Kind = 0;
    return true;
}

int TPlayState::EmitPendingNotes(int column, int row, std::vector<TPlayItem>& list, int time, bool keepFirst) {
    if (PendingNotes.size() < (keepFirst ? 1u : 2u) || list.empty()) {
        PendingNotes.clear();
        return 0;
    }
    int t = time;
    int emitted = 0;
    if (!keepFirst) {
        const TPlayItem first = PendingNotes.front();
        MergeNotes(list.back(), first);
        t -= first.Duration;
        list.back().Duration = first.Duration;
        PendingNotes.erase(PendingNotes.begin());
    }
    while (!PendingNotes.empty()) {
        TPlayItem x = PendingNotes.front();
        if (x.Duration / 3 > t)
            break;
        x.Page = frmMainTQ ? frmMainTQ->CurPage : 0;
        x.Col = column;
        x.Row = row;
        // A queued note keeps the volume of the note it was made from.
        list.push_back(x);
        t -= x.Duration;
        PendingNotes.erase(PendingNotes.begin());
        ++emitted;
    }
    if (!PendingNotes.empty()) {
        const int left = static_cast<int>(PendingNotes.size());
        if (left <= 2) {
            list.back().Duration *= left;
            list.back().Notes[0].Length *= left;
        }
        PendingNotes.clear();
    } else {
        list.back().Duration += t;
        list.back().Notes[0].Length += t;
    }
    return emitted;
}

void TPlayState::FlushRepeatedNotes(int index) {
    TTrillRec& rec = Ornaments[1];
    if (rec.Kind == 0 || index < 0 || static_cast<size_t>(index) >= PlayList.size()) {
        rec.Kind = 0;
        return;
    }
    std::vector<TPlayItem> figure{rec.Item};
    TTrillRec tmp = rec;
    tmp.Kind = 13;
    if (!ExpandOrnament(tmp, figure) || figure.size() < 2) {
        rec.Kind = 0;
        return;
    }
    int length = 0;
    for (const TPlayItem& x : figure)
        length += x.Duration;
    PlayList.erase(PlayList.begin() + index);
    PlayList.insert(PlayList.begin() + index, figure.begin(), figure.end());
    const int full = JianpuCellDuration(rec.Cell.UL, rec.Item.Col, rec.Item.Row, rec.Cell.Attr, rec.Cell.option, -1,
                                        -1);
    if (full - length > 5) {
        rec.Kind = 2;
        rec.Item = figure.front();
    } else {
        rec.Kind = 0;
    }
}

void TPlayState::FlushStaccatoRecord(int index, int column) {
    TTrillRec& rec = Ornaments[3];
    if (index < 0 || static_cast<size_t>(index) >= PlayList.size()) {
        rec.Kind = 0;
        return;
    }
    const int v = IsWestNoteOrRest(rec.Cell, 1) ? rec.Cell.Note - 3 : rec.Cell.UL;
    const int row0 = GroupRows.empty() ? 0 : GroupRows.front().row;
    const int d = JianpuCellDuration(v >= 0 && v <= 7 ? v : 0, column, row0, 0, -1, -1, -1);
    const int t = d / 3;
    TPlayItem& item = PlayList[static_cast<size_t>(index)];
    for (int k = 0; k < kPlayNoteSlots && rec.Item.Notes[k].Pitch != -1; ++k) {
        const int at = FindNoteIndex(item, rec.Item.Notes[k]);
        if (at >= 0)
            item.Notes[at].Length = t;
    }
    if (item.Duration > t) {
        const int r = item.Duration - t;
        if (!SoundingNotes.empty())
            SoundingNotes.front().Length -= item.Duration;
        ClampStepToShortestNote(item);
        if (static_cast<size_t>(index) == PlayList.size() - 1 && r != 0) {
            TPlayItem rest;
            rest.Kind = pkRest;
            rest.Notes[0].Pitch = -1;
            rest.Duration = r;
            rest.Page = rec.Item.Page;
            rest.Col = rec.Item.Col;
            rest.Row = StartRow;
            AddPlayItem(rest, true);
        }
    }
    rec.Kind = 0;
}

// --- arpeggios ---

bool TPlayState::StartArpeggio(int column, int row, std::vector<TPlayItem>& list, int staff) {
    // A single note rolls nothing: it plays as written.
    if (ArpeggioOff || list.empty() || NoteCount(list.back()) < 2)
        return false;
    int kind = 0;
    const int places[3][2] = {{column, row}, {column - 1, row - 1}, {column - 1, row}};
    for (const auto& p : places) {
        const TCell* c = (p[0] >= 0 && p[1] >= 0) ? CellAtAddress(p[0], p[1]) : nullptr;
        if (!c)
            continue;
        // A mark in the column before belongs to this chord only when it stands
        // there on its own; on a note it is that note's mark.
        if (p[0] != column && IsNoteOrRestCell(*c))
            continue;
        if (c->markType == 25 || c->markType == 47)
            kind = 10;
        else if (c->markType == 66)
            kind = 11;
        if (kind)
            break;
    }
    if (!kind)
        return false;
    const bool fifthTaken = Ornaments[4].Kind == 10 || Ornaments[4].Kind == 11;
    TTrillRec& rec = fifthTaken ? Ornaments[5] : Ornaments[4];
    GetCell(rec.Cell, column, row);
    rec.Item = list.back();
    rec.Kind = kind;
    rec.Staff = staff;
    if (!fifthTaken)
        BeginTie(static_cast<int>(PlayList.size()) - 1, column, row, staff);
    return true;
}

void TPlayState::ExpandArpeggio(int index, TTrillRec& rec, std::vector<TPlayItem>& out) {
    const TCell& cell = rec.Cell;
    const int m = NoteCount(rec.Item);
    if (std::lround(m * 0.8 + 0.5) <= 1) {
        rec.Kind = 0;
        return;
    }
    const int d = rec.Item.Notes[0].Length;
    const int D = (index >= 0 && static_cast<size_t>(index) < PlayList.size()) ? PlayList[static_cast<size_t>(index)].Duration : d;
    int span = static_cast<int>(std::lround(d * 0.5));
    if (span < 640)
        span = d;
    int step = std::clamp(span / m, 64, 200);
    const int rate = GetRitArpRate(cell);
    if (rate != 100)
        step = static_cast<int>(std::lround(step * rate / 100.0));
    if (step * m > D)
        step = D / m;
    // The notes come in one after another and every one of them is held to
    // the end of the chord.
    std::vector<TPlayItem> fig;
    for (int k = 0; k < m; ++k) {
        TPlayItem x = SingleNote(rec.Item, k);
        x.Duration = k == m - 1 ? D - (m - 1) * step : step;
        x.Notes[0].Length = d - k * step;
        fig.push_back(x);
    }
    auto reverse = [](std::vector<TPlayItem>& v) {
        std::reverse(v.begin(), v.end());
        if (v.size() >= 2) {
            std::swap(v.front().Duration, v.back().Duration);
            std::swap(v.front().Notes[0].Length, v.back().Notes[0].Length);
        }
    };
    if (cell.cellType == ctWestern && !cell.westChordArray.empty() && GetChordNotePos(cell, 0) > cell.yAdj)
        reverse(fig);
    if (rec.Kind == 11 || (rec.Kind == 10 && Higher(fig.front().Notes[0], fig.back().Notes[0])))
        reverse(fig);
    out.insert(out.end(), fig.begin(), fig.end());
}

void TPlayState::FlushArpeggios(int index) {
    TTrillRec& a = Ornaments[4];
    TTrillRec& b = Ornaments[5];
    if (a.Kind != 10 && a.Kind != 11)
        return;
    std::vector<TPlayItem> A, B;
    ExpandArpeggio(index, a, A);
    const bool second = b.Kind == 10 || b.Kind == 11;
    if (second)
        ExpandArpeggio(index, b, B);
    const bool paired = second && b.Staff == a.Staff + 1 && a.Staff >= 0 &&
                        static_cast<size_t>(a.Staff) < GroupRows.size() &&
                        GroupRows[static_cast<size_t>(a.Staff)].hasSystemMark;
    std::vector<TPlayItem> fig;
    if (paired && !A.empty() && !B.empty()) {
        if (b.Kind == 11) {
            A.back().Duration = A.front().Duration;
            fig = A;
            fig.insert(fig.end(), B.begin(), B.end());
        } else {
            B.back().Duration = B.front().Duration;
            fig = B;
            fig.insert(fig.end(), A.begin(), A.end());
        }
    } else {
        fig = B;
        fig.insert(fig.end(), A.begin(), A.end());
    }
    if (!fig.empty() && index >= 0 && static_cast<size_t>(index) <= PlayList.size()) {
        if (static_cast<size_t>(index) < PlayList.size())
            PlayList.erase(PlayList.begin() + index);
        PlayList.insert(PlayList.begin() + index, fig.begin(), fig.end());
    }
    a.Kind = 0;
    b.Kind = 0;
}
