// Standard MIDI File import: placing the read tracks as Western cells, the
// clean-up passes over the placed staves, and the import as a whole.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "model/modTQCellAccess.h"
#include "model/modTQKeys.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQUtil.h"
#include "platform/core/TQMessage.h"
#include "play/modTQMIDIReader.h"
#include "play/modTQPlayState.h"
#include "render/modTQMainView.h"

namespace {

constexpr int kMsgBadFormat = 1045;
constexpr int kGrandStaffBrace = 54191118;
constexpr int kEmptyCode = 32;

TCell* GridCell(int layer, int page, int row, int col) {
    TMainScore* s = frmMainTQ;
    if (!s || layer < 0 || layer > 1 || page < 0 || row < 0 || col < 0 || row >= s->Rows || col >= s->Cols)
        return nullptr;
    TLayer& pages = s->PageSets[static_cast<std::size_t>(layer)];
    if (page >= static_cast<int>(pages.size()))
        return nullptr;
    TPage& p = pages[static_cast<std::size_t>(page)];
    if (row >= static_cast<int>(p.size()) || col >= static_cast<int>(p[static_cast<std::size_t>(row)].size()))
        return nullptr;
    return &p[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

int PageCount0() { return frmMainTQ ? static_cast<int>(frmMainTQ->PageSets[0].size()) : 0; }

// The next page of layer 0 becomes current (made when it does not exist yet).
void NextImportPage() {
    TMainScore* s = frmMainTQ;
    CurLayer = 0;
    s->CurPage += 1;
    if (PageCount0() <= s->CurPage)
        s->AllocatePage(0, s->CurPage, true, 0, 0);
    s->PageCount = std::max(s->PageCount, PageCount0());
    s->AddMissingJianpuPages();
}

// Key code of a signed count of sharps.
int KeyCodeOfSharps(int sf) {
    static const int sharps[8] = {0, 1, 2, 3, 4, 5, 13, 14};
    static const int flats[8] = {0, 6, 7, 8, 9, 10, 11, 12};
    sf = std::clamp(sf, -7, 7);
    return sf >= 0 ? sharps[sf] : flats[-sf];
}

// Letter index (A 0 .. G 6) of a staff step (C 6, D 5, E 4, F 3, G 2, A 1, B 0).
int StepLetter(int step) {
    static const int letter[7] = {1, 0, 6, 5, 4, 3, 2};
    return letter[((step % 7) + 7) % 7];
}

// The key's accidental on a letter: 1 sharp, 2 flat, 0 none.
int KeyAccidentalOn(int letter, int sharps) {
    static const int sharpOrder[7] = {5, 2, 6, 3, 0, 4, 1}; // F C G D A E B
    static const int flatOrder[7] = {1, 4, 0, 3, 6, 2, 5};  // B E A D G C F
    const int n = std::min(std::abs(sharps), 7);
    const int* order = sharps >= 0 ? sharpOrder : flatOrder;
    for (int i = 0; i < n; ++i)
        if (order[i] == letter)
            return sharps >= 0 ? 1 : 2;
    return 0;
}

bool IsNoteOn(const TMIDINote& e) { return (e.status & 0xF0) == 0x90 && e.velocity != 0; }
bool IsRestMarker(const TMIDINote& e) { return IsNoteOn(e) && e.octave == 0 && e.pitch == 0 && e.velocity == 1; }

} // namespace

// ---- values ----

int TMIDIReader::QuantizeNoteValue(int ticks, int& dots) const {
    dots = 0;
    if (ticks <= 0)
        return 0;
    struct Row {
        double upTo, twoDots, oneDot;
    };
    static const Row rows[8] = {{0.255, 0.14, 0.18}, {0.53, 0.3, 0.4},  {1.1, 0.65, 0.85},  {2.2, 1.3, 1.6},
                                {4.0, 2.6, 3.8},     {8.0, 5.2, 6.8},   {16.0, 10.5, 13.0}, {32.0, 20.5, 26.0}};
    const double r = static_cast<double>(TicksPerQuarter()) / ticks;
    for (int i = 0; i < 8; ++i) {
        if (rows[i].upTo >= r) {
            dots = r <= rows[i].twoDots ? 2 : r <= rows[i].oneDot ? 1 : 0;
            return i + 1;
        }
    }
    return 0;
}

int TMIDIReader::NoteValueTicks(int value, uint32_t option) const {
    const int base = static_cast<int>(std::trunc(std::ldexp(1.0, 3 - value) * TicksPerQuarter()));
    if (option & 0x8u)
        return static_cast<int>(std::trunc(base * 1.5));
    if (option & 0x40u)
        return static_cast<int>(std::trunc(base * 1.75));
    return base;
}

int TMIDIReader::RestValueTicks(int code, uint32_t option) const {
    return NoteValueTicks(RestCodeToValue(code), option);
}

int TMIDIReader::FirstNoteColumn() const { return static_cast<int>(std::abs(SignatureSharps) / 3.0 + 4); }

// ---- signatures ----

void TMIDIReader::ApplyMidiKeySignature(int /*t*/, const TMIDINote& ev) {
    SignatureSharps = static_cast<int16_t>(std::clamp<int>(ev.pitch, -7, 7));
    Key = static_cast<int8_t>(KeyCodeOfSharps(SignatureSharps));
}

void TMIDIReader::ApplyMidiTimeSignature(const TMIDINote& ev) {
    if (TimeNumerator == -1) {
        TimeNumerator = static_cast<int8_t>(ev.pitch);
        TimeDenominator = static_cast<uint8_t>(1 << std::clamp<int>(ev.velocity, 0, 6));
    }
}

// ---- systems ----

void TMIDIReader::StartMidiSystem(int t, int row, bool twoStaves) {
    TMainScore* s = frmMainTQ;
    s->SelCol0 = 0;
    s->SelCol1 = s->Cols - 1;
    s->SelRow0 = s->SelRow1 = row;
    if (auto* view = dynamic_cast<TMainView*>(s))
        view->CurKey = Key;
    const int saved = CurLayer;
    CurLayer = 0;
    auto putClef = [&](int r, int clef) {
        TCell* c = GridCell(0, s->CurPage, r, 0);
        if (!c)
            return;
        ResetCell(*c);
        c->cellType = ctWestern;
        c->Note = clef;
        c->iEnd = s->Cols - 1;
        c->jEnd = r;
        c->Attr = static_cast<uint32_t>(static_cast<uint8_t>(Key));
    };
    // Staves of the system: one, a grand staff, or (several tracks) one per track
    // of which the first two are braced.
    std::vector<std::pair<int, int>> staves; // row, clef
    if (Format == 1 && Tracks.size() >= 2) {
        for (int k = 1; k < static_cast<int>(Tracks.size()); ++k)
            staves.push_back({row + 3 * (k - 1), Tracks[static_cast<std::size_t>(k)].clef == -2 ? -2 : -1});
    } else if (twoStaves) {
        staves = {{row, -1}, {row + 3, -2}};
    } else {
        staves = {{row, t < static_cast<int>(Tracks.size()) && Tracks[static_cast<std::size_t>(t)].clef == -2 ? -2 : -1}};
    }
    for (auto [r, clef] : staves)
        putClef(r, clef);
    if (staves.size() >= 2 && twoStaves) {
        if (TCell* c = GridCell(0, s->CurPage, row, 0)) {
            c->markType = kGrandStaffBrace;
            c->jEnd = staves[1].first;
        }
    }
    if (TimeDenominator > 0 && TimeNumerator > 0) {
        const int col = static_cast<int>(std::abs(SignatureSharps) / 2.0 + 2);
        for (auto [r, clef] : staves) {
            (void)clef;
            if (TCell* c = GridCell(0, s->CurPage, r, col)) {
                ResetCell(*c);
                c->cellType = ctTimeSig;
                c->upNote = TimeNumerator;
                c->Note = TimeDenominator;
                c->yAdj = 0.8f;
            }
        }
        TimeDenominator = 0;
    }
    CurLayer = saved;
}

// ---- one note ----

int TMIDIReader::MidiAccidentalToWrite(int accidental, int letter, int* memory, int sharps) {
    const int key = KeyAccidentalOn(letter, sharps);
    int& m = memory[letter];
    if (accidental == 1 || accidental == 2) {
        if (key != accidental) {
            m = accidental;
            return accidental;
        }
        if (m == 3) {
            m = 0;
            return accidental;
        }
        return 0;
    }
    if (key != 0) {
        m = 3;
        return 3;
    }
    if (m == 1 || m == 2) {
        m = 0;
        return 3;
    }
    return 0;
}

void TMIDIReader::WriteMidiNoteCell(int value, int pos, int step, int dots, int col, int row, int accidental,
                                    int* memory, int trackTime) {
    TMainScore* s = frmMainTQ;
    // Keys whose signature holds E sharp, B sharp, F flat or C flat spell the
    // white keys next to them that way.
    if (accidental == 0) {
        if (SignatureSharps >= 6 && step == 3) {
            step = 4, pos += 1, accidental = 1; // F as E sharp
        } else if (SignatureSharps >= 7 && step == 6) {
            step = 0, pos += 1, accidental = 1; // C as B sharp
        } else if (SignatureSharps <= -6 && step == 0) {
            step = 6, pos -= 1, accidental = 2; // B as C flat
        } else if (SignatureSharps <= -7 && step == 4) {
            step = 3, pos -= 1, accidental = 2; // E as F flat
        }
    }
    const int code = MidiAccidentalToWrite(accidental, StepLetter(step), memory, SignatureSharps);
    TCell* cell = GridCell(0, s->CurPage, row, col);
    if (!cell)
        return;
    bool join = false;
    if (IsWestNoteCell(*cell, 1)) {
        if (cell->Note == value) {
            join = true;
        } else {
            s->AddMissingJianpuPages();
            TCell* other = GridCell(1, s->CurPage, row, col);
            if (!other)
                return;
            cell = other;
            join = IsWestNoteCell(*cell, 1);
        }
    }
    if (join) {
        // The chord's notes in order of staff position, lowest first.
        struct Head {
            int pos;
            uint32_t attr, option;
        };
        std::vector<Head> heads;
        const int main = static_cast<int>(cell->yAdj);
        heads.push_back({main, cell->Attr, 0});
        for (int k = 0; k < GetChordNoteCount(*cell); ++k) {
            const TWestChord& w = cell->westChordArray[static_cast<std::size_t>(k)];
            heads.push_back({main - SumChordOffsets(*cell, k), w.attr, w.option});
        }
        heads.push_back({pos, static_cast<uint32_t>(code), 0});
        std::stable_sort(heads.begin(), heads.end(), [](const Head& a, const Head& b) { return a.pos > b.pos; });
        cell->yAdj = static_cast<float>(heads[0].pos);
        cell->Attr = heads[0].attr;
        std::vector<TWestChord> chord;
        for (std::size_t k = 1; k < heads.size(); ++k) {
            TWestChord w;
            w.interval = heads[k - 1].pos - heads[k].pos;
            w.attr = heads[k].attr;
            w.option = heads[k].option;
            chord.push_back(w);
        }
        cell->westChordArray.clear();
        for (const TWestChord& w : chord)
            cell->westChordArray.push_back(w);
        return;
    }
    ResetCell(*cell);
    cell->cellType = ctWestern;
    cell->Note = value;
    cell->yAdj = static_cast<float>(pos);
    cell->option = dots == 1 ? 0x8u : dots == 2 ? 0x40u : 0u;
    cell->Attr = static_cast<uint32_t>(code & 0xF);
    cell->scratch = trackTime;
    ++Placed;
}

int TMIDIReader::PlaceMidiNote(int t, const TMIDINote& ev, int col, int row, int channelFilter, bool twoStaves) {
    TMainScore* s = frmMainTQ;
    TMIDITruck& track = Tracks[static_cast<std::size_t>(t)];
    if (channelFilter < static_cast<int>(Channels.size()) &&
        (ev.status & 0x0F) != Channels[static_cast<std::size_t>(channelFilter)])
        return 0;
    if (ev.length <= 0)
        return 0;
    int dots = 0;
    const int value = QuantizeNoteValue(ev.length, dots);
    if (value == 0 || row < 0 || row >= s->Rows)
        return 0;
    if (IsRestMarker(ev)) {
        if (TCell* cell = GridCell(0, s->CurPage, row, col)) {
            if (!IsWestNoteOrRest(*cell, 1)) {
                ResetCell(*cell);
                cell->cellType = ctWestern;
                cell->Note = ValueToRestCode(value);
                cell->option = dots == 1 ? 0x8u : dots == 2 ? 0x40u : 0u;
                cell->scratch = track.time;
                ++Placed;
            }
        }
        return ev.length;
    }
    static const int whiteStep[12] = {6, 6, 5, 5, 4, 3, 3, 2, 2, 1, 1, 0};
    static const bool black[12] = {false, true, false, true, false, false, true, false, true, false, true, false};
    const int pc = ev.pitch;
    if (pc < 0 || pc > 11)
        return 0;
    int step = whiteStep[pc];
    int accidental = 0;
    if (black[pc]) {
        if (SignatureSharps < 0) {
            step -= 1; // the note above, flat
            accidental = 2;
        } else {
            accidental = 1;
        }
    }
    const int number = ev.octave * 12 + pc;
    int pos = (5 - ev.octave) * 7 + step;
    int staffRow = row;
    if (twoStaves) {
        if (number < 60) {
            pos -= 12;
            staffRow += 3;
        }
    } else if (track.clef == -2) {
        pos -= 12;
    }
    if (staffRow >= s->Rows)
        return 0;
    if (number >= 0 && number < 144) {
        TMIDISounding& rec = Sounding[number];
        rec = {1, col, staffRow, s->CurPage, 0};
    }
    WriteMidiNoteCell(value, pos, step, dots, col, staffRow, accidental, track.accid, track.time);
    return ev.length;
}

// ---- layouts ----

void TMIDIReader::PlaceMidiTrack(int t, bool metasOnly) {
    TMainScore* s = frmMainTQ;
    TMIDITruck& track = Tracks[static_cast<std::size_t>(t)];
    s->AddMissingJianpuPages();
    CurLayer = 0;
    s->CurPage = 0;
    int row = 6;
    Gap = 2;
    const bool two = !metasOnly && TwoStaves && track.noteCount > 0 &&
                     static_cast<double>(track.lowCount) / track.noteCount > 0.08 &&
                     static_cast<double>(track.lowCount) / track.noteCount < 0.92;
    ExtraRows = two ? 3 : 0;
    track.time = track.lastOnset = track.firstNote = 0;
    std::fill(std::begin(track.accid), std::end(track.accid), 0);
    // Signatures at the very start stand in the first system's header.
    if (!metasOnly) {
        int at = 0;
        for (const TMIDINote& ev : track.events) {
            at += ev.delta;
            if (at != 0 || IsNoteOn(ev))
                break;
            if (ev.status == 0xFF && static_cast<uint8_t>(ev.octave) == 0x59)
                ApplyMidiKeySignature(t, ev);
        }
    }
    int col = static_cast<int>(std::abs(SignatureSharps) / 3.0 + 6);
    if (!metasOnly)
        StartMidiSystem(t, row, two);
    bool first = true;
    for (const TMIDINote& ev : track.events) {
        track.time += ev.delta;
        if (ev.status == 0xFF) {
            if (static_cast<uint8_t>(ev.octave) == 0x59)
                ApplyMidiKeySignature(t, ev);
            else if (static_cast<uint8_t>(ev.octave) == 0x58)
                ApplyMidiTimeSignature(ev);
            continue;
        }
        if (metasOnly || !IsNoteOn(ev))
            continue;
        const bool chord = track.time == track.lastOnset && !first;
        if (!chord && !(first && track.time == 0)) {
            col += 2;
            track.lastOnset = track.time;
        }
        if (col >= s->Cols - 1) {
            row += 2 + Gap + ExtraRows;
            if (row >= s->Rows - ExtraRows - 1) {
                NextImportPage();
                row = 2;
            }
            StartMidiSystem(t, row, two);
            col = FirstNoteColumn();
        }
        const int ticks = PlaceMidiNote(t, ev, col, row, 21, two);
        if (first) {
            track.firstNote = track.time;
            first = false;
        }
        if (!chord)
            track.firstNote += ticks;
    }
}

void TMIDIReader::PlaceMidiTracks() {
    TMainScore* s = frmMainTQ;
    const int last = static_cast<int>(Tracks.size()) - 1;
    CurLayer = 0;
    s->CurPage = 0;
    Gap = 3;
    ExtraRows = 3 * std::max(0, static_cast<int>(Tracks.size()) - 2);
    for (int t = 1; t <= last; ++t) {
        TMIDITruck& tr = Tracks[static_cast<std::size_t>(t)];
        tr.time = tr.lastOnset = tr.firstNote = tr.pos = 0;
        std::fill(std::begin(tr.accid), std::end(tr.accid), 0);
    }
    const bool two = TwoStaves && last >= 2;
    int row = 6;
    StartMidiSystem(1, row, two);
    int col = static_cast<int>(std::abs(SignatureSharps) / 3.0 + 6);
    bool counted = false;
    bool anyPlaced = false;
    // Every step consumes at least one event, so the loop ends.
    for (;;) {
        if (counted)
            col += 2;
        counted = false;
        long long next = -1;
        for (int t = 1; t <= last; ++t) {
            const TMIDITruck& tr = Tracks[static_cast<std::size_t>(t)];
            if (tr.pos < static_cast<int>(tr.events.size())) {
                const long long at = static_cast<long long>(tr.time) + tr.events[static_cast<std::size_t>(tr.pos)].delta;
                if (next < 0 || at < next)
                    next = at;
            }
        }
        if (next < 0)
            break;
        for (int t = 1; t <= last; ++t) {
            TMIDITruck& tr = Tracks[static_cast<std::size_t>(t)];
            bool placedThisStep = false;
            while (tr.pos < static_cast<int>(tr.events.size()) &&
                   static_cast<long long>(tr.time) + tr.events[static_cast<std::size_t>(tr.pos)].delta == next) {
                const TMIDINote& ev = tr.events[static_cast<std::size_t>(tr.pos++)];
                tr.time += ev.delta;
                if (ev.status == 0xFF) {
                    if (static_cast<uint8_t>(ev.octave) == 0x59)
                        ApplyMidiKeySignature(t, ev);
                    else if (static_cast<uint8_t>(ev.octave) == 0x58)
                        ApplyMidiTimeSignature(ev);
                    continue;
                }
                if (!IsNoteOn(ev) || (IsRestMarker(ev) && !anyPlaced))
                    continue;
                if (col >= s->Cols - 1) {
                    row += 2 + Gap + ExtraRows;
                    if (row >= s->Rows - ExtraRows - 2) {
                        NextImportPage();
                        row = 2;
                    }
                    StartMidiSystem(1, row, two);
                    col = FirstNoteColumn();
                }
                const int ticks = PlaceMidiNote(t, ev, col, row + 3 * (t - 1), 21, false);
                if (!anyPlaced) {
                    for (int k = 1; k <= last; ++k)
                        Tracks[static_cast<std::size_t>(k)].firstNote = tr.time;
                    anyPlaced = true;
                }
                if (!placedThisStep)
                    tr.firstNote += ticks;
                placedThisStep = true;
                counted = true;
            }
        }
    }
}

int TMIDIReader::PlaceMidi() {
    Placed = 0;
    TwoStaves = 1;
    SignatureSharps = 0;
    Key = 0;
    for (TMIDISounding& s : Sounding)
        s = {};
    if (!frmMainTQ || Tracks.empty() || TicksPerQuarter() == 0)
        return 0;
    if (Format == 0 || (Format == 1 && Tracks.size() == 1)) {
        PlaceMidiTrack(0, false);
    } else if (Format == 1) {
        PlaceMidiTrack(0, true);
        PlaceMidiTracks();
    }
    return Placed;
}

// ---- clean-up ----

template <class F>
void TMIDIReader::Walk(int s, F visit) const {
    const int rows = frmMainTQ->Rows, cols = frmMainTQ->Cols;
    const int c0 = FirstNoteColumn();
    for (int page = 0; page < PageCount0(); ++page) {
        for (int r = page == 0 ? 6 : 2; r < rows - ExtraRows - 1; r += 2 + Gap + ExtraRows) {
            for (int c = c0; c < cols; c += 2) {
                TCell* cell = GridCell(0, page, r + s, c);
                if (cell && !visit(page, r, c, *cell))
                    return;
            }
        }
    }
}

bool TMIDIReader::NextPlacedMidiCell(TCellLoc& loc, int s) const {
    const int rows = frmMainTQ->Rows, cols = frmMainTQ->Cols;
    const int c0 = FirstNoteColumn();
    int page = loc.page, c = loc.col + 2, r = loc.row + s;
    while (page < PageCount0()) {
        while (r < rows - ExtraRows - 1) {
            for (; c < cols; c += 2) {
                const TCell* cell = GridCell(0, page, r, c);
                if (cell && IsWestNoteOrRest(*cell, 1)) {
                    loc = {page, c, r};
                    return true;
                }
            }
            c = c0;
            r += 2 + Gap + ExtraRows;
        }
        ++page;
        r = 2 + s;
        c = c0;
    }
    return false;
}

void TMIDIReader::SetMidiCellValue(int layer, int page, int row, int col, int code, int dots, bool reset) {
    TCell* cell = GridCell(layer, page, row, col);
    if (!cell)
        return;
    TCell copy = *cell;
    if (reset)
        ResetCell(copy);
    else
        copy.option &= ~(0x8u | 0x40u);
    copy.cellType = ctWestern;
    copy.Note = code;
    if (dots == 1)
        copy.option |= 0x8u;
    else if (dots == 2)
        copy.option |= 0x40u;
    *cell = copy;
}

void TMIDIReader::MergeMidiNoteAndRest(int s) {
    bool have = false;
    TCellLoc note;
    Walk(s, [&](int page, int r, int c, TCell& cell) {
        if (IsWestNoteCell(cell, 1)) {
            note = {page, c, r + s};
            have = true;
            return true;
        }
        if (cell.Note != kEmptyCode && !IsWestRestCell(cell)) {
            have = false;
            return true;
        }
        if (have && IsWestRestCell(cell)) {
            TCell* n = GridCell(0, note.page, note.row, note.col);
            if (n && ((cell.Note == 23 && n->Note == 4) || (cell.Note == 24 && n->Note == 5))) {
                n->Note -= 1;
                n->option |= 0x10u;
                ResetCell(cell);
            }
        }
        return true;
    });
}

void TMIDIReader::TrimLongMidiNotes(int s) {
    Walk(s, [&](int page, int r, int c, TCell& n) {
        if (!IsWestNoteCell(n, 1))
            return true;
        TCellLoc loc{page, c, r};
        if (!NextPlacedMidiCell(loc, s))
            return false;
        const TCell* m = GridCell(0, loc.page, loc.row, loc.col);
        const int ticks = NoteValueTicks(n.Note, n.option);
        const int gap = m->scratch - n.scratch;
        if (gap <= ticks && RoundToInt(gap * 1.2) < ticks && gap + 4 < ticks && gap > 0) {
            int dots = 0;
            const int v = QuantizeNoteValue(gap, dots);
            if (v == n.Note)
                SetMidiCellValue(0, page, r + s, c, v, dots, false);
        }
        return true;
    });
}

void TMIDIReader::FillMidiStaffRests(int s, int o) {
    Walk(s, [&](int page, int r, int c, TCell& n) {
        if (!IsWestNoteCell(n, 1))
            return true;
        TCellLoc loc{page, c, r};
        if (!NextPlacedMidiCell(loc, o))
            return false;
        const TCell* m = GridCell(0, loc.page, loc.row, loc.col);
        TCell* other = GridCell(0, page, r + o, c);
        if (!other)
            return true;
        const int ticks = NoteValueTicks(n.Note, n.option);
        const int gap = m->scratch - n.scratch;
        if (gap <= 0 || gap >= ticks)
            return true;
        int dots = 0;
        const int v = QuantizeNoteValue(gap, dots);
        if (v == 0)
            return true;
        if (IsWestNoteCell(*other, 1)) {
            if (v <= other->Note)
                return true;
            frmMainTQ->AddMissingJianpuPages();
            SetMidiCellValue(1, page, r + o, c, ValueToRestCode(v), dots, false);
            if (TCell* rest = GridCell(1, page, r + o, c))
                rest->scratch = n.scratch;
            return true;
        }
        const bool placed = IsWestNoteOrRest(*other, 1);
        SetMidiCellValue(0, page, r + o, c, ValueToRestCode(v), dots, false);
        if (!placed)
            other->scratch = n.scratch; // the new rest starts with the note
        return true;
    });
}

void TMIDIReader::ShortenMidiRests(int s, int o) {
    TCell last; // an empty cell at the start
    TCellLoc lastLoc;
    std::vector<TCellLoc> rests;
    long long sum = 0;
    Walk(s, [&](int page, int r, int c, TCell& x) {
        if (IsWestRestCell(x)) {
            if (IsWestNoteCell(last, 1)) {
                rests.push_back({page, c, r});
                sum += RestValueTicks(x.Note, x.option);
            }
            return true;
        }
        if (!IsWestNoteCell(x, 1))
            return true;
        if (IsWestNoteCell(last, 1) && sum > 0) {
            const long long room = static_cast<long long>(x.scratch - last.scratch) - NoteValueTicks(last.Note, last.option);
            long long excess = sum - room;
            if (excess > 0) {
                for (const TCellLoc& loc : rests) {
                    TCell* rest = GridCell(0, loc.page, loc.row + s, loc.col);
                    if (!rest || !IsWestRestCell(*rest))
                        continue;
                    const TCell* other = GridCell(0, loc.page, loc.row + o, loc.col);
                    if (other && IsWestNoteCell(*other, 1) && RestCodeToValue(rest->Note) > other->Note)
                        continue;
                    const int rt = RestValueTicks(rest->Note, rest->option);
                    if (excess <= 0 || rt == excess) {
                        ResetCell(*rest);
                        excess = 0;
                    } else if (rt > excess) {
                        int dots = 0;
                        const int v = QuantizeNoteValue(static_cast<int>(rt - excess), dots);
                        if (v == 0)
                            ResetCell(*rest); // too short for any rest
                        else
                            SetMidiCellValue(0, loc.page, loc.row + s, loc.col, ValueToRestCode(v), dots, false);
                        excess = 0;
                    } else {
                        ResetCell(*rest);
                        excess -= rt;
                    }
                }
            }
        }
        rests.clear();
        sum = 0;
        last = x;
        lastLoc = {page, c, r};
        return true;
    });
}

void TMIDIReader::MergeMidiRests(int s, int o) {
    Walk(s, [&](int page, int r, int c, TCell& r1) {
        if (!IsWestRestCell(r1))
            return true;
        TCellLoc loc{page, c, r};
        if (!NextPlacedMidiCell(loc, s))
            return false;
        TCell* r2 = GridCell(0, loc.page, loc.row, loc.col);
        if (!r2 || !IsWestRestCell(*r2))
            return true;
        const TCell* other = GridCell(0, loc.page, loc.row - s + o, loc.col);
        if (other && IsWestNoteCell(*other, 1))
            return true;
        int dots = 0;
        const int v = QuantizeNoteValue(RestValueTicks(r1.Note, r1.option) + RestValueTicks(r2->Note, r2->option), dots);
        if (v == 0)
            return true;
        SetMidiCellValue(0, page, r + s, c, ValueToRestCode(v), dots, false);
        ResetCell(*r2);
        return true;
    });
}

void TMIDIReader::CleanUpMidiStaves() {
    if (Format == 0 || Tracks.size() < 3) {
        MergeMidiNoteAndRest(0);
        return;
    }
    MergeMidiNoteAndRest(0);
    MergeMidiNoteAndRest(3);
    TrimLongMidiNotes(0);
    TrimLongMidiNotes(3);
    FillMidiStaffRests(0, 3);
    FillMidiStaffRests(3, 0);
    ShortenMidiRests(0, 3);
    ShortenMidiRests(3, 0);
    MergeMidiRests(0, 3);
    MergeMidiRests(3, 0);
}

// ---- the import ----

bool TMIDIReader::ImportMIDIFile(const std::string& fileName) {
    Damaged = false;
    Title.clear();
    if (!LoadFile(fileName))
        return false;
    if (!ReadMIDIFile())
        return false;
    TMainScore* s = frmMainTQ;
    if (!s)
        return false;
    auto* view = dynamic_cast<TMainView*>(s);
    if (MIDIImportHooks().NewScore) {
        if (!MIDIImportHooks().NewScore())
            return false;
    } else if (view) {
        if (!view->NewScore())
            return false;
    } else {
        s->PageSets[1].clear();
        s->PageSets[0].resize(1);
        s->AllocatePage(0, 0, true, 0, 0);
        s->PageCount = 1;
        s->CurPage = 0;
        CurLayer = 0;
    }
    PlaceMidi();
    Data.clear();
    CleanUpMidiStaves();
    Tracks.clear();

    s->CurPage = 0;
    s->SelCol0 = s->SelRow0 = s->SelCol1 = s->SelRow1 = 0;
    CurLayer = 0;
    if (!Title.empty()) {
        if (TCell* c = GridCell(0, 0, 1, 3)) {
            ResetCell(*c);
            c->cellType = ctText;
            c->Text = Title;
            c->FontCharset = TitleCharset;
            c->fontSizeR = 1.5f;
        }
    }
    if (ScoreTempo > 0) {
        // The tempo sign: a quarter note (note code 2) = the beats per minute.
        if (TCell* c = GridCell(0, 0, 4, 3)) {
            ResetCell(*c);
            c->cellType = ctTempo;
            c->Note = 2;
            c->FontColor = ScoreTempo;
        }
    }
    s->PageCount = std::max(s->PageCount, PageCount0());
    if (view) {
        view->Controls.StatusFile = "MIDI File Name: " + fileName;
        view->RefreshPageCombo();
        view->GoToPage(0);
        view->RedrawPage();
    }
    s->SetModified(true);
    if (frmPlay) {
        // The placed staves play as Western, all staffs.
        frmPlay->PlayWest = true;
        frmPlay->PlayRule = prAllStaffs;
    }
    if (Damaged || Placed == 0)
        MessageOkById(kMsgBadFormat, "\n" + fileName, mkError);
    if (MIDIImportHooks().Finished)
        MIDIImportHooks().Finished(fileName);
    return Placed > 0;
}
