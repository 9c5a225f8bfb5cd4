// Standard MIDI File import: the layout of the notes read.
//
// Every track that holds notes is a part of one staff, or of a grand staff
// when its own range needs one; two adjacent tracks set to one program, one
// treble and one bass, are the hands of one piano on one grand staff. The
// percussion of channel 10 is left out. All staves stand together in every
// system, so the parts sound together when the score is played. Time is
// counted in layout units, 96 to a whole note, from the start of the file:
// onsets and ends are rounded to 32nds, or to triplet eighths in a beat (triplet
// 16ths in half a beat) whose onsets lie nearer to those, each on its own
// point; such a stretch is a triplet group of equal notes under a tuplet
// bracket, a longer note tied within it, as long as the other staves start
// their notes on its grid too (the staves sound column by column); a note the grid
// would put on the onset of the note before it keeps an onset of its own; a
// short gap before the next onset of a staff is given to the note before it,
// and the silence of a staff (before its first note too) becomes rests. Bars
// follow the file's time signatures (4/4 when it has none); a note that
// crosses a bar line, or lasts no single written value, becomes tied notes.
// An onset takes one grid column for a 16th or shorter (an eighth too in a
// bar of no shorter values, where no accidental or second crowds it), two up
// to a half, three for longer values; eighths and shorter are beamed by the beat. A
// system holds whole bars while they fit its row; a bar that would leave the
// row more than a third empty fills it and goes on in the next system.
//
// The layout is planned first, without touching the score, so that a file
// whose staves the page cannot hold, or whose score would take more memory
// than the file may ask for, is refused before anything changes.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>

#include "edit/modTQWestBeaming.h"
#include "model/modTQBinFile.h"
#include "model/modTQCellAccess.h"
#include "model/modTQKeys.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "play/modTQMIDIReader.h"
#include "play/modTQPlayState.h"
#include "render/modTQMainView.h"

namespace {

constexpr int kUnitsPerWhole = 96;
constexpr int kBeat = kUnitsPerWhole / 4; // a quarter note
constexpr int kStep = 3;                  // a 32nd note: the finest written value
constexpr int kTripletStep = kBeat / 3;   // an eighth of a triplet
constexpr int kTupletBracket = 86;
constexpr int kGrandStaffBrace = 54191118;
constexpr int kSystemBracket = 30;
constexpr int kTieMark = 1;
constexpr int kBarLine = 63;
constexpr int kFirstSystemRow = 6;
constexpr int kLaterSystemRow = 2;
constexpr int kMaxBars = 200000;
constexpr int kMsgStavesTooMany = 3720;
constexpr int kMsgTooLarge = 3721;
constexpr int kTrebleLowest = 53; // F3: three ledger lines below a treble staff
constexpr int kBassHighest = 67;  // G4: three ledger lines above a bass staff
constexpr int kPercussionChannel = 9; // channel 10 of General MIDI
constexpr int64_t kNever = std::numeric_limits<int64_t>::max();

// Written values by length in units, longest first: value (1 whole .. 6
// 32nd) and dots.
struct TValueOf {
    int units, value, dots;
};
constexpr TValueOf kValues[] = {{168, 1, 2}, {144, 1, 1}, {96, 1, 0}, {84, 2, 2}, {72, 2, 1}, {48, 2, 0},
                                {42, 3, 2},  {36, 3, 1},  {24, 3, 0}, {21, 4, 2}, {18, 4, 1}, {12, 4, 0},
                                {9, 5, 1},   {6, 5, 0},   {3, 6, 0}};

// The written values that make up a length, longest first. Rests take no
// whole values: a whole rest is the bar rest that the bar counter times, and a
// bar in which every staff rests would take no time.
std::vector<TValueOf> Decompose(int64_t units, bool rest) {
    std::vector<TValueOf> out;
    while (units > 0) {
        for (const TValueOf& v : kValues) {
            if (rest && v.value == 1)
                continue;
            if (v.units <= units) {
                out.push_back(v);
                units -= v.units;
                break;
            }
        }
        if (units > 0 && units < kStep)
            break; // off the grid of written values (never made by the layout)
    }
    return out;
}

// The beat of a time signature in units: a dotted quarter in 6/8, 9/8 and
// 12/8, the denominator's value otherwise.
int BeatUnits(int num, int den) {
    const int value = kUnitsPerWhole / std::clamp(den, 1, 32);
    return den == 8 && num > 3 && num % 3 == 0 ? 3 * value : std::max(value, kStep);
}

// Key code of a signed count of sharps.
int KeyCodeOfSharps(int sf) {
    static const int sharps[8] = {0, 1, 2, 3, 4, 5, 13, 14};
    static const int flats[8] = {0, 6, 7, 8, 9, 10, 11, 12};
    sf = std::clamp(sf, -7, 7);
    return sf >= 0 ? sharps[sf] : flats[-sf];
}

// The key's alteration of a letter (A 0 .. G 6): +1, -1 or 0.
int KeyAlteration(int letter, int sharps) {
    static const int sharpOrder[7] = {5, 2, 6, 3, 0, 4, 1}; // F C G D A E B
    static const int flatOrder[7] = {1, 4, 0, 3, 6, 2, 5};  // B E A D G C F
    const int n = std::min(std::abs(sharps), 7);
    const int* order = sharps >= 0 ? sharpOrder : flatOrder;
    for (int i = 0; i < n; ++i)
        if (order[i] == letter)
            return sharps >= 0 ? 1 : -1;
    return 0;
}

// Letter index (A 0 .. G 6) of a staff step (C 6, D 5, E 4, F 3, G 2, A 1, B 0).
int StepLetter(int step) {
    static const int letter[7] = {1, 0, 6, 5, 4, 3, 2};
    return letter[((step % 7) + 7) % 7];
}

// A key's staff position on a staff of the clef, and its alteration (+1, -1, 0).
void SpellKey(int key, int sharps, int clef, int& pos, int& alter) {
    static const int whiteStep[12] = {6, 6, 5, 5, 4, 3, 3, 2, 2, 1, 1, 0};
    static const bool black[12] = {false, true, false, true, false, false, true, false, true, false, true, false};
    const int octave = key / 12, pc = key % 12;
    int step = whiteStep[pc];
    alter = 0;
    int octaveShift = 0;
    if (black[pc]) {
        if (sharps < 0) {
            step -= 1; // the note above, flat
            alter = -1;
        } else {
            alter = 1;
        }
    } else if (sharps >= 6 && pc == 5) {
        step = 4, alter = 1; // F as E sharp
    } else if (sharps >= 7 && pc == 0) {
        step = 0, alter = 1, octaveShift = -1; // C as B sharp of the octave below
    } else if (sharps <= -6 && pc == 11) {
        step = 6, alter = -1, octaveShift = 1; // B as C flat of the octave above
    } else if (sharps <= -7 && pc == 4) {
        step = 3, alter = -1; // E as F flat
    }
    pos = (5 - octave - octaveShift) * 7 + step;
    if (clef == -2)
        pos -= 12;
}

// A chord's heads on a staff of the clef, lowest first, each with the
// accidental it is written with (1 sharp, 2 flat, 3 natural, 0 none): the one
// in force on its position is one written before in the bar (`memory`, which
// takes the new ones), else the key's. A key met twice on one position keeps
// one head.
struct THead {
    int pos;
    uint32_t attr;
};
std::vector<THead> SpellChord(const std::vector<uint8_t>& keys, int sharps, int clef, std::vector<int8_t>& memory) {
    std::vector<THead> heads;
    for (uint8_t key : keys) {
        int pos = 0, alter = 0;
        SpellKey(key, sharps, clef, pos, alter);
        const std::size_t slot = static_cast<std::size_t>(std::clamp(pos + 64, 0, 127));
        const int step = ((pos % 7) + 7 + (clef == -2 ? 12 : 0)) % 7;
        const int inForce = memory[slot] != 99 ? memory[slot] : KeyAlteration(StepLetter(step), sharps);
        uint32_t code = 0;
        if (alter != inForce) {
            code = alter == 1 ? 1u : alter == -1 ? 2u : 3u;
            memory[slot] = static_cast<int8_t>(alter);
        }
        heads.push_back({pos, code});
    }
    std::stable_sort(heads.begin(), heads.end(), [](const THead& a, const THead& b) { return a.pos > b.pos; });
    return heads;
}

} // namespace

const TMIDIReader::TTripletSpan* TMIDIReader::SpanAt(const std::vector<TTripletSpan>& spans, int64_t t) {
    auto it = std::upper_bound(spans.begin(), spans.end(), t,
                               [](int64_t x, const TTripletSpan& sp) { return x < sp.start; });
    if (it == spans.begin())
        return nullptr;
    --it;
    return t < it->end ? &*it : nullptr;
}

int64_t TMIDIReader::UnitsOfTick(int64_t tick) const {
    const int64_t ppq = std::max(TicksPerQuarter(), 1);
    return (tick * kBeat + ppq / 2) / ppq;
}

std::vector<TMIDIFileNote> TMIDIReader::CollectFileNotes() const {
    std::vector<TMIDIFileNote> notes;
    for (std::size_t t = 0; t < Tracks.size(); ++t) {
        int64_t at = 0;
        for (const TMIDINote& e : Tracks[t].events) {
            at += e.delta;
            const bool on = (e.status & 0xF0) == 0x90 && e.velocity != 0;
            const bool restMarker = on && e.octave == 0 && e.pitch == 0 && e.velocity == 1;
            if (!on || restMarker)
                continue;
            const int key = e.octave * 12 + e.pitch;
            if (key < 0 || key > 127)
                continue;
            if ((e.status & 0x0F) == kPercussionChannel)
                continue; // its keys name drums, not pitches
            TMIDIFileNote n;
            n.on = at;
            n.off = at + std::max<int32_t>(e.length, 0);
            n.key = static_cast<uint8_t>(key);
            n.velocity = e.velocity;
            n.channel = e.status & 0x0F;
            n.track = static_cast<uint16_t>(t);
            notes.push_back(n);
        }
    }
    std::stable_sort(notes.begin(), notes.end(),
                     [](const TMIDIFileNote& a, const TMIDIFileNote& b) { return a.on < b.on; });
    return notes;
}

// ---- planning ----

std::vector<TMIDIStaffItem> TMIDIReader::StaffItems(const TStaffPlan& st, int64_t from, int64_t to) const {
    std::vector<TMIDIStaffItem> items;
    auto putBinary = [&](int64_t a, int64_t b, int seg, bool tieAtEnd) {
        const std::vector<TValueOf> parts = Decompose(b - a, seg < 0);
        for (std::size_t k = 0; k < parts.size(); ++k) {
            TMIDIStaffItem it;
            it.start = a;
            it.units = parts[k].units;
            it.value = parts[k].value;
            it.dots = parts[k].dots;
            it.seg = seg;
            it.tieOn = seg >= 0 && (k + 1 < parts.size() || tieAtEnd);
            items.push_back(it);
            a += parts[k].units;
        }
    };
    // Inside a triplet span of the staff every note and rest is one note of
    // the group's value (a longer note is tied), so that the group counts three
    // or six notes and sounds as three in the time of two.
    auto put = [&](int64_t a, int64_t b, int seg, bool tieAtEnd) {
        while (a < b) {
            if (const TTripletSpan* span = SpanAt(st.triplets, a)) {
                const int64_t e = std::min(b, span->end);
                for (; a + span->step <= e; a += span->step) {
                    TMIDIStaffItem it;
                    it.start = a;
                    it.units = span->step;
                    it.value = span->step == kTripletStep ? 4 : 5;
                    it.seg = seg;
                    it.triplet = true;
                    it.tupletStart = a == span->start;
                    it.tupletEnd = a + span->step == span->end;
                    it.tieOn = seg >= 0 && (a + span->step < b || tieAtEnd);
                    items.push_back(it);
                }
                a = std::max(a, e);
            } else {
                auto next = std::upper_bound(st.triplets.begin(), st.triplets.end(), a,
                                             [](int64_t t, const TTripletSpan& sp) { return t < sp.start; });
                const int64_t e = next == st.triplets.end() ? b : std::min(b, next->start);
                putBinary(a, e, seg, e < b || tieAtEnd);
                a = e;
            }
        }
    };
    // The first segment that ends after `from`.
    auto first = std::upper_bound(st.segs.begin(), st.segs.end(), from,
                                  [](int64_t t, const std::pair<int64_t, int64_t>& s) { return t < s.second; });
    int64_t at = from;
    for (auto it = first; it != st.segs.end() && it->first < to; ++it) {
        const int64_t a = std::max(it->first, from), b = std::min(it->second, to);
        if (a > at)
            put(at, a, -1, false);
        put(a, b, static_cast<int>(it - st.segs.begin()), it->second > to);
        at = b;
    }
    if (at < to)
        put(at, to, -1, false);
    return items;
}

void TMIDIReader::BuildChunk(TChunkPlan& chunk) const {
    chunk.items.clear();
    for (const TStaffPlan& st : staves_)
        chunk.items.push_back(StaffItems(st, chunk.from, chunk.to));
    // A column where only rests start lasts as long as its shortest rest; such a
    // rest that outlasts the column is split at the next onset.
    for (;;) {
        std::vector<int64_t> cols;
        for (const auto& items : chunk.items)
            for (const TMIDIStaffItem& it : items)
                cols.push_back(it.start);
        std::sort(cols.begin(), cols.end());
        cols.erase(std::unique(cols.begin(), cols.end()), cols.end());
        chunk.columns = cols;
        bool split = false;
        for (std::size_t i = 0; i < cols.size() && !split; ++i) {
            const int64_t next = i + 1 < cols.size() ? cols[i + 1] : chunk.to;
            bool note = false;
            int shortest = 0;
            std::size_t staff = 0, index = 0;
            for (std::size_t s = 0; s < chunk.items.size(); ++s) {
                for (std::size_t k = 0; k < chunk.items[s].size(); ++k) {
                    const TMIDIStaffItem& it = chunk.items[s][k];
                    if (it.start != cols[i])
                        continue;
                    // A rest of a triplet group keeps its value: the group counts its notes.
                    note = note || it.seg >= 0 || it.triplet;
                    if (shortest == 0 || it.units < shortest) {
                        shortest = it.units;
                        staff = s;
                        index = k;
                    }
                }
            }
            if (note || shortest <= next - cols[i] || (next - cols[i]) % kStep != 0)
                continue;
            std::vector<TMIDIStaffItem>& items = chunk.items[staff];
            const TMIDIStaffItem rest = items[index];
            std::vector<TMIDIStaffItem> parts;
            int64_t a = rest.start;
            for (int64_t len : {next - rest.start, rest.start + rest.units - next})
                for (const TValueOf& v : Decompose(len, true)) {
                    TMIDIStaffItem r;
                    r.start = a;
                    r.units = v.units;
                    r.value = v.value;
                    r.dots = v.dots;
                    parts.push_back(r);
                    a += v.units;
                }
            items.erase(items.begin() + static_cast<std::ptrdiff_t>(index));
            items.insert(items.begin() + static_cast<std::ptrdiff_t>(index), parts.begin(), parts.end());
            split = true;
        }
        if (!split)
            break;
    }
}

int64_t TMIDIReader::CutBefore(const TChunkPlan& chunk, int64_t at) const {
    // A bar is cut at an onset at or before `at` that lies inside no staff's
    // triplet beat: a triplet is written whole on one system, and every staff
    // of the head and of the rest adds up to the same time.
    auto inside = [&](int64_t t) {
        for (const TStaffPlan& st : staves_)
            if (const TTripletSpan* span = SpanAt(st.triplets, t); span && span->start < t)
                return span->start;
        return int64_t{-1};
    };
    for (int64_t t = at; t > chunk.from;) {
        const int64_t start = inside(t);
        if (start < 0)
            return t;
        t = start; // the start of the triplet group, itself checked again
    }
    return at;
}

std::vector<int> TMIDIReader::ColumnWidths(const TChunkPlan& chunk) const {
    // A column takes grid columns by the time to the next: one for a 16th
    // or shorter, two up to a half, three for a half and longer. As an
    // engraver spaces by the shortest value of the bar, a bar whose shortest
    // value is an eighth gives its eighths the one column of a 16th, and a
    // quarter or longer the two; an eighth keeps two where the next column
    // writes an accidental, or where a chord of a second (a head set aside)
    // stands on either of the two, so that no sign runs into a head.
    const std::size_t n = chunk.columns.size();
    std::vector<int64_t> gaps;
    for (std::size_t k = 0; k < n; ++k)
        gaps.push_back((k + 1 < n ? chunk.columns[k + 1] : chunk.to) - chunk.columns[k]);
    const bool eighths = n > 0 && *std::min_element(gaps.begin(), gaps.end()) >= kBeat / 2;
    // Columns kept two wide: on one staff, a sign or a head set aside that
    // would meet what that staff writes in the neighbouring column.
    std::vector<bool> roomy(n, false);
    if (eighths) {
        for (std::size_t s = 0; s < chunk.items.size() && s < staves_.size(); ++s) {
            std::vector<bool> starts(n + 1, false), accidental(n + 1, false), right(n + 1, false), left(n + 1, false);
            // The accidentals as the bar writes them: the chunk starts a bar or a system.
            std::vector<int8_t> memory(128, 99);
            for (const TMIDIStaffItem& it : chunk.items[s]) {
                const std::size_t k = static_cast<std::size_t>(
                    std::lower_bound(chunk.columns.begin(), chunk.columns.end(), it.start) - chunk.columns.begin());
                starts[k] = true;
                if (it.seg < 0)
                    continue;
                const std::vector<THead> heads = SpellChord(staves_[s].keys[static_cast<std::size_t>(it.seg)],
                                                            SignatureSharps, staves_[s].clef, memory);
                int sum = 0;
                bool second = false;
                for (std::size_t h = 0; h < heads.size(); ++h) {
                    accidental[k] = accidental[k] || heads[h].attr != 0;
                    second = second || (h > 0 && heads[h - 1].pos - heads[h].pos == 1);
                    sum += heads[h].pos;
                }
                // A stem up (the chord's centre below the middle line) sets
                // the head of a second aside to the right, towards the next
                // column; a stem down to the left, towards the column before.
                const bool up = sum / static_cast<int>(heads.size()) > 0;
                right[k] = second && up;
                left[k] = second && !up;
            }
            for (std::size_t k = 0; k < n; ++k)
                roomy[k] = roomy[k] || (starts[k] && (accidental[k + 1] || left[k + 1])) || (right[k] && starts[k + 1]);
        }
    }
    std::vector<int> widths;
    for (std::size_t k = 0; k < n; ++k) {
        const int64_t gap = gaps[k];
        widths.push_back(gap < kTripletStep ? 1 : eighths && gap < kBeat && !roomy[k] ? 1 : gap < 2 * kBeat ? 2 : 3);
    }
    return widths;
}

int TMIDIReader::ChunkWidth(const TChunkPlan& chunk) const {
    int notes = 0;
    for (int w : ColumnWidths(chunk))
        notes += w;
    return (chunk.meterNum > 0 ? 2 : 0) + notes + (chunk.barEnd ? 1 : 0);
}

bool TMIDIReader::AssignStaves(const std::vector<TMIDIFileNote>& notes, int rows, std::vector<int>& staffOfNote) {
    // Parts: the tracks with notes, in track order.
    struct TPart {
        int channel = 0;
        uint64_t sum = 0;
        uint32_t count = 0, low = 0, high = 0;
        bool grand = false;
        int mergedInto = -1;
        int program = -1;     // the track's first program change; -1 none
        int hands = -1;       // the other hand's part of one piano; -1 none
        double Mean() const { return count ? static_cast<double>(sum) / count : 60.0; }
        bool Bass() const { return Mean() <= 58.0; }
    };
    std::map<int, int> partOfTrack;
    std::vector<TPart> parts;
    for (const TMIDIFileNote& n : notes) {
        auto [it, made] = partOfTrack.try_emplace(n.track, static_cast<int>(parts.size()));
        if (made) {
            parts.emplace_back();
            parts.back().channel = n.channel;
        }
    }
    // Parts in track order.
    {
        int k = 0;
        for (auto& [track, part] : partOfTrack)
            part = k++;
    }
    for (const TMIDIFileNote& n : notes) {
        TPart& p = parts[static_cast<std::size_t>(partOfTrack[n.track])];
        p.sum += n.key;
        ++p.count;
        p.low += n.key < kTrebleLowest ? 1 : 0;
        p.high += n.key > kBassHighest ? 1 : 0;
    }
    // A part takes a grand staff when its own range needs it: a tenth of its
    // notes lie below what a treble staff holds with three ledger lines, and a
    // tenth above what a bass staff holds. A left hand that crosses middle C
    // stays on its bass staff.
    for (auto& [track, part] : partOfTrack) {
        TPart& p = parts[static_cast<std::size_t>(part)];
        p.grand = p.low * 10 >= p.count && p.high * 10 >= p.count;
        for (const TMIDINote& e : Tracks[static_cast<std::size_t>(track)].events)
            if ((e.status & 0xF0) == 0xC0) {
                p.program = e.octave;
                break;
            }
    }
    // Channel of each part: that of its first note.
    {
        std::vector<bool> seen(parts.size(), false);
        for (const TMIDIFileNote& n : notes) {
            const int k = partOfTrack[n.track];
            if (!seen[static_cast<std::size_t>(k)]) {
                seen[static_cast<std::size_t>(k)] = true;
                parts[static_cast<std::size_t>(k)].channel = n.channel;
            }
        }
    }
    const int maxStaves = std::min(kPlayStaves, (rows - 2 - kFirstSystemRow) / 3 + 1);
    auto staffCount = [&]() {
        int n = 0;
        for (const TPart& p : parts)
            if (p.mergedInto < 0)
                n += p.grand ? 2 : 1;
        return n;
    };
    if (staffCount() > maxStaves) {
        // Rows run short: one staff a part, then parts of one channel together.
        for (TPart& p : parts)
            p.grand = false;
        for (std::size_t a = 0; a < parts.size() && staffCount() > maxStaves; ++a) {
            if (parts[a].mergedInto >= 0)
                continue;
            for (std::size_t b = a + 1; b < parts.size(); ++b)
                if (parts[b].mergedInto < 0 && parts[b].channel == parts[a].channel) {
                    parts[b].mergedInto = static_cast<int>(a);
                    parts[a].sum += parts[b].sum;
                    parts[a].count += parts[b].count;
                }
        }
    }
    StavesWanted = staffCount();
    if (maxStaves < 1) {
        Message = std::to_string(StavesWanted);
        MessageId = kMsgStavesTooMany;
        return false;
    }
    // Still too many: the part with the fewest notes shares the staff of the
    // part nearest to it in pitch, until the staves fit. Every note is kept and
    // sounds at its time.
    while (staffCount() > maxStaves) {
        int fewest = -1;
        for (std::size_t k = 0; k < parts.size(); ++k)
            if (parts[k].mergedInto < 0 && (fewest < 0 || parts[k].count < parts[static_cast<std::size_t>(fewest)].count))
                fewest = static_cast<int>(k);
        TPart& a = parts[static_cast<std::size_t>(fewest)];
        const double pitch = static_cast<double>(a.sum) / a.count;
        int nearest = -1;
        double best = 0;
        for (std::size_t k = 0; k < parts.size(); ++k) {
            if (parts[k].mergedInto >= 0 || static_cast<int>(k) == fewest)
                continue;
            const double d = std::abs(static_cast<double>(parts[k].sum) / parts[k].count - pitch);
            if (nearest < 0 || d < best) {
                nearest = static_cast<int>(k);
                best = d;
            }
        }
        a.mergedInto = nearest;
        parts[static_cast<std::size_t>(nearest)].sum += a.sum;
        parts[static_cast<std::size_t>(nearest)].count += a.count;
    }
    // The two hands of one piano: adjacent parts set to one program, one on a
    // treble staff and one on a bass staff, make one grand staff with the right
    // hand above, each hand's notes on its own staff.
    std::vector<int> order;
    for (std::size_t k = 0; k < parts.size(); ++k)
        if (parts[k].mergedInto < 0)
            order.push_back(static_cast<int>(k));
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        TPart& a = parts[static_cast<std::size_t>(order[i])];
        TPart& b = parts[static_cast<std::size_t>(order[i + 1])];
        if (a.grand || b.grand || a.hands >= 0 || a.program < 0 || a.program != b.program || a.Bass() == b.Bass())
            continue;
        a.hands = order[i + 1];
        b.hands = order[i];
        if (a.Bass())
            std::swap(order[i], order[i + 1]);
        ++i;
    }
    // Staves of the parts, top to bottom.
    std::vector<int> upperStaff(parts.size(), -1);
    for (int k : order) {
        const TPart& p = parts[static_cast<std::size_t>(k)];
        upperStaff[static_cast<std::size_t>(k)] = static_cast<int>(staves_.size());
        TStaffPlan st;
        st.part = k;
        if (p.grand) {
            st.clef = -1;
            st.splitBelow = 60;
            staves_.push_back(st);
            st.clef = -2;
            st.lower = true;
            staves_.push_back(st);
        } else {
            st.clef = p.Bass() ? -2 : -1;
            staves_.push_back(st);
        }
    }
    grandBrace_ = staves_.size() == 2 && (staves_[0].part == staves_[1].part ||
                                          parts[static_cast<std::size_t>(staves_[0].part)].hands == staves_[1].part);
    staffOfNote.clear();
    for (const TMIDIFileNote& n : notes) {
        int k = partOfTrack[n.track];
        while (parts[static_cast<std::size_t>(k)].mergedInto >= 0)
            k = parts[static_cast<std::size_t>(k)].mergedInto;
        const int s = upperStaff[static_cast<std::size_t>(k)];
        staffOfNote.push_back(parts[static_cast<std::size_t>(k)].grand && n.key < 60 ? s + 1 : s);
    }
    return true;
}

void TMIDIReader::QuantiseStaves(const std::vector<TMIDIFileNote>& notes, const std::vector<int>& staffOfNote,
                                 bool findSpans) {
    // Each staff's note segments: chords by onset, each lasting to its longest
    // note or to the staff's next onset, whichever comes first. Onsets and ends
    // fall on 32nds, or on triplet eighths in a beat where three onsets lie
    // nearer to those.
    {
        // The meters in units: a triplet beat must lie whole in a bar of whole beats.
        std::vector<std::pair<int64_t, int>> barLengths; // from, bar length
        for (const TMIDIMeterAt& m : Meters)
            if (m.den >= 1 && m.den <= 32 && m.num >= 1)
                barLengths.push_back({UnitsOfTick(m.tick) / kStep * kStep, m.num * (kUnitsPerWhole / m.den)});
        auto beatFitsBars = [&](int64_t b, int span) {
            int64_t from = 0;
            int length = kUnitsPerWhole;
            for (const auto& [at, len] : barLengths) {
                if (at > b) {
                    if (at < b + span)
                        return false;
                    break;
                }
                from = at;
                length = len;
            }
            return length % span == 0 && (b - from) % span == 0;
        };
        auto snap = [](double x, int grid) { return static_cast<int64_t>(std::llround(x / grid)) * grid; };
        const double ppq = std::max(TicksPerQuarter(), 1);
        struct TRaw {
            double on, off;
            uint8_t key;
            int strike; // track and channel: who strikes the key
        };
        std::vector<std::vector<TRaw>> byStaff(staves_.size());
        for (std::size_t i = 0; i < notes.size(); ++i) {
            const TMIDIFileNote& n = notes[i];
            byStaff[static_cast<std::size_t>(staffOfNote[i])].push_back(
                {static_cast<double>(n.on) * kBeat / ppq, static_cast<double>(n.off) * kBeat / ppq, n.key, n.track * 16 + n.channel});
        }
        pieceEnd_ = 0;
        for (auto& list : byStaff)
            std::stable_sort(list.begin(), list.end(), [](const TRaw& a, const TRaw& b) { return a.on < b.on; });
        // Triplet spans of each staff. A beat is written in triplet eighths, or
        // a half beat in triplet 16ths, when its onsets fall on that grid, each
        // on a point of its own and nearer to it than to the 32nds; a beat whose
        // three onsets fall on its three triplet eighths is one in any case.
        constexpr double kTripletSlack = 0.4; // units an onset may stand off the triplet grid
        auto spansOf = [&](const std::vector<TRaw>& list) {
            std::vector<TTripletSpan> spans;
            // A window's onsets (those that round to it on the 32nds, a quick
            // second strike counted once) on a grid of `step`.
            auto fits = [&](int64_t from, int64_t to, int step, bool& threeOnBeat) {
                auto first = std::lower_bound(list.begin(), list.end(), static_cast<double>(from) - 1.5,
                                              [](const TRaw& r, double x) { return r.on < x; });
                std::vector<int64_t> points;
                double binary = 0, triplet = 0, worst = 0;
                double last = -1e18;
                for (auto it = first; it != list.end() && snap(it->on, kStep) < to; ++it) {
                    if (snap(it->on, kStep) < from || it->on - last <= 1.0)
                        continue;
                    last = it->on;
                    const int64_t p = from + snap(it->on - static_cast<double>(from), step);
                    if (p >= to || (!points.empty() && p == points.back()))
                        return false;
                    points.push_back(p);
                    binary += std::abs(it->on - static_cast<double>(snap(it->on, kStep)));
                    const double off = std::abs(it->on - static_cast<double>(p));
                    triplet += off;
                    worst = std::max(worst, off);
                }
                threeOnBeat = points.size() == 3 && to - from == kBeat;
                return !points.empty() && triplet < binary && (threeOnBeat || worst <= kTripletSlack);
            };
            for (std::size_t i = 0; i < list.size();) {
                const int64_t beat = snap(list[i].on, kStep) / kBeat * kBeat;
                bool three = false;
                if (beatFitsBars(beat, kBeat) && fits(beat, beat + kBeat, kTripletStep, three)) {
                    spans.push_back({beat, beat + kBeat, kTripletStep});
                } else {
                    for (const int64_t half : {beat, beat + kBeat / 2})
                        if (beatFitsBars(half, kBeat / 2) && fits(half, half + kBeat / 2, kTripletStep / 2, three))
                            spans.push_back({half, half + kBeat / 2, kTripletStep / 2});
                }
                std::size_t j = i;
                while (j < list.size() && snap(list[j].on, kStep) < beat + kBeat)
                    ++j;
                i = std::max(j, i + 1);
            }
            return spans;
        };
        if (findSpans)
            for (std::size_t s = 0; s < staves_.size(); ++s)
                staves_[s].triplets = spansOf(byStaff[s]);
        // The staves sound column by column: a span stands only where the
        // onsets of every other staff, on their own grid, fall on its grid too.
        for (bool changed = findSpans; changed;) {
            changed = false;
            for (std::size_t s = 0; s < staves_.size(); ++s) {
                std::vector<TTripletSpan>& spans = staves_[s].triplets;
                for (std::size_t k = 0; k < spans.size();) {
                    const TTripletSpan span = spans[k];
                    bool clash = false;
                    for (std::size_t o = 0; o < staves_.size() && !clash; ++o) {
                        if (o == s)
                            continue;
                        const auto& list = byStaff[o];
                        auto it = std::lower_bound(list.begin(), list.end(), static_cast<double>(span.start) - 3.0,
                                                   [](const TRaw& r, double x) { return r.on < x; });
                        for (; it != list.end() && it->on < static_cast<double>(span.end) + 3.0 && !clash; ++it) {
                            const TTripletSpan* own = SpanAt(staves_[o].triplets, snap(it->on, kStep));
                            const int64_t p = own ? own->start + snap(it->on - static_cast<double>(own->start), own->step)
                                                  : snap(it->on, kStep);
                            clash = p > span.start && p < span.end && (p - span.start) % span.step != 0;
                        }
                    }
                    if (clash) {
                        spans.erase(spans.begin() + static_cast<std::ptrdiff_t>(k));
                        changed = true;
                    } else {
                        ++k;
                    }
                }
            }
        }
        for (std::size_t s = 0; s < staves_.size(); ++s) {
            auto& list = byStaff[s];
            TStaffPlan& st = staves_[s];
            st.segs.clear();
            st.keys.clear();
            auto snapTime = [&](double x) {
                const TTripletSpan* span = SpanAt(st.triplets, snap(x, kStep));
                return span ? span->start + snap(x - static_cast<double>(span->start), span->step) : snap(x, kStep);
            };
            auto stepAt = [&](int64_t t) {
                const TTripletSpan* span = SpanAt(st.triplets, t);
                return span ? span->step : kStep;
            };
            std::vector<bool> placed(list.size(), false);
            for (std::size_t i = 0; i < list.size(); ++i) {
                if (placed[i])
                    continue;
                // The notes that fall on one onset of the grid are a chord; a
                // channel of a track that strikes a key again there (a quick repeat, a
                // grace) gives the strike an onset of its own. A note the grid
                // puts on the onset before it keeps its own, a step later: no
                // note is lost to the grid.
                const int64_t gridOn = snapTime(list[i].on);
                int64_t on = gridOn;
                bool join = false; // too far from its time a step later: the chord before takes it
                if (!st.segs.empty() && on <= st.segs.back().first) {
                    on = st.segs.back().first + stepAt(st.segs.back().first);
                    join = static_cast<double>(on) - list[i].on > kStep;
                }
                int64_t end = on;
                std::vector<uint8_t> keys;
                if (join) {
                    on = st.segs.back().first;
                    end = st.segs.back().second;
                    keys = st.keys.back();
                    st.segs.pop_back();
                    st.keys.pop_back();
                }
                std::vector<std::pair<uint8_t, int>> struck;
                for (std::size_t j = i; j < list.size() && snapTime(list[j].on) == gridOn; ++j) {
                    if (placed[j])
                        continue;
                    const std::pair<uint8_t, int> strike{list[j].key, list[j].strike};
                    if (std::find(struck.begin(), struck.end(), strike) != struck.end())
                        continue;
                    struck.push_back(strike);
                    placed[j] = true;
                    end = std::max(end, snapTime(list[j].off));
                    if (std::find(keys.begin(), keys.end(), list[j].key) == keys.end())
                        keys.push_back(list[j].key);
                }
                end = std::max(end, on + stepAt(on));
                st.segs.push_back({on, end});
                st.keys.push_back(keys);
            }
            for (std::size_t i = 0; i < st.segs.size(); ++i) {
                auto& seg = st.segs[i];
                const TTripletSpan* span = SpanAt(st.triplets, seg.first);
                // After the staff's last note the next 16th stands for the next onset.
                const int64_t sixteenth = kBeat / 4;
                const int64_t next = i + 1 < st.segs.size()
                                         ? st.segs[i + 1].first
                                         : (seg.second + sixteenth - 1) / sixteenth * sixteenth;
                seg.second = std::min(seg.second, next);
                const int64_t gap = next - seg.second;
                if (span) {
                    // The notes of a triplet last to the next one, the last to the group's end.
                    seg.second =
                        std::max(seg.second, i + 1 < st.segs.size() ? std::min(next, span->end) : span->end);
                } else if (gap > 0 && (gap <= kStep || gap * 4 <= seg.second - seg.first)) {
                    // A short gap before the next onset is the note's articulation.
                    seg.second = next;
                }
                pieceEnd_ = std::max(pieceEnd_, seg.second);
            }
        }
    }
}

bool TMIDIReader::DropClashingTriplets(const std::vector<TBarPlan>& bars, bool all) {
    bool dropped = false;
    std::vector<std::vector<bool>> drop(staves_.size());
    for (std::size_t s = 0; s < staves_.size(); ++s)
        drop[s].assign(staves_[s].triplets.size(), all);
    if (!all) {
        std::vector<std::size_t> next(staves_.size(), 0); // each staff's first span not yet passed
        for (const TBarPlan& bar : bars) {
            bool any = false;
            for (std::size_t s = 0; s < staves_.size(); ++s) {
                const auto& spans = staves_[s].triplets;
                while (next[s] < spans.size() && spans[next[s]].start < bar.from)
                    ++next[s];
                any = any || (next[s] < spans.size() && spans[next[s]].start < bar.to);
            }
            if (!any)
                continue;
            std::vector<std::vector<TMIDIStaffItem>> items;
            for (const TStaffPlan& st : staves_)
                items.push_back(StaffItems(st, bar.from, bar.to));
            for (std::size_t s = 0; s < staves_.size(); ++s) {
                const auto& spans = staves_[s].triplets;
                for (std::size_t k = next[s]; k < spans.size() && spans[k].start < bar.to; ++k)
                    for (std::size_t o = 0; o < staves_.size() && !drop[s][k]; ++o)
                        for (const TMIDIStaffItem& it : items[o])
                            if (o != s && it.start > spans[k].start && it.start < spans[k].end &&
                                (it.start - spans[k].start) % spans[k].step != 0) {
                                drop[s][k] = true;
                                break;
                            }
            }
        }
    }
    for (std::size_t s = 0; s < staves_.size(); ++s) {
        auto& spans = staves_[s].triplets;
        std::vector<TTripletSpan> kept;
        for (std::size_t k = 0; k < spans.size(); ++k)
            if (!drop[s][k])
                kept.push_back(spans[k]);
        dropped = dropped || kept.size() != spans.size();
        spans = std::move(kept);
    }
    return dropped;
}

bool TMIDIReader::PlanBars(std::vector<TBarPlan>& bars) {
    // Bars from the time signatures.
    bars.clear();
    {
        std::vector<std::pair<int64_t, std::pair<int, int>>> meters;
        for (const TMIDIMeterAt& m : Meters)
            if (m.den >= 1 && m.den <= 32 && m.num >= 1)
                meters.push_back({UnitsOfTick(m.tick) / kStep * kStep, {m.num, m.den}});
        int num = 4, den = 4;
        std::size_t mi = 0;
        int shownNum = 0, shownDen = 0;
        for (int64_t t = 0; t < pieceEnd_;) {
            while (mi < meters.size() && meters[mi].first <= t) {
                num = meters[mi].second.first;
                den = meters[mi].second.second;
                ++mi;
            }
            int64_t end = t + static_cast<int64_t>(num) * (kUnitsPerWhole / den);
            if (mi < meters.size() && meters[mi].first < end)
                end = meters[mi].first;
            const bool shown = num != shownNum || den != shownDen;
            bars.push_back({t, end, num, den, shown});
            shownNum = num;
            shownDen = den;
            t = end;
            if (static_cast<int>(bars.size()) > kMaxBars) {
                Message.clear();
                MessageId = kMsgTooLarge;
                return false;
            }
        }
        if (!bars.empty()) {
            TimeNumerator = static_cast<int8_t>(std::clamp(bars.front().num, 1, 127));
            TimeDenominator = static_cast<uint8_t>(bars.front().den);
        }
    }
    return true;
}

void TMIDIReader::PlaceSystems(const std::vector<TBarPlan>& bars, int cols, int rows) {
    // Systems of whole bars.
    const int staffRows = 3 * (static_cast<int>(staves_.size()) - 1);
    const int step = staffRows + 4;
    int page = 0, row = kFirstSystemRow;
    auto firstColumn = [&](bool first) {
        return static_cast<int>(std::abs(SignatureSharps) / 3.0 + (first ? 6 : 4));
    };
    systems_.push_back({page, row, {}});
    int col = firstColumn(true);
    auto newSystem = [&]() {
        row += step;
        if (row + staffRows > rows - 2) {
            ++page;
            row = kLaterSystemRow;
        }
        systems_.push_back({page, row, {}});
        col = firstColumn(false);
    };
    for (std::size_t b = 0; b < bars.size(); ++b) {
        TChunkPlan chunk;
        chunk.from = bars[b].from;
        chunk.to = bars[b].to;
        chunk.barEnd = true;
        chunk.barFrom = bars[b].from;
        chunk.beat = BeatUnits(bars[b].num, bars[b].den);
        if (bars[b].meterShown && b > 0) {
            chunk.meterNum = bars[b].num;
            chunk.meterDen = bars[b].den;
        }
        BuildChunk(chunk);
        for (;;) {
            const int width = ChunkWidth(chunk);
            if (col + width <= cols) {
                col += width;
                systems_.back().chunks.push_back(std::move(chunk));
                break;
            }
            // A bar that does not fit the rest of the row starts the next
            // system, unless the row would stay more than a third empty: then,
            // as a bar wider than a whole row, its first part fills the row.
            if (!systems_.back().chunks.empty() && (cols - col) * 3 < cols - firstColumn(false)) {
                newSystem();
                continue;
            }
            // The columns that fit the rest of the row.
            int room = 0;
            {
                int left = cols - col - (chunk.meterNum > 0 ? 2 : 0) - 1;
                for (int w : ColumnWidths(chunk)) {
                    if (w > left)
                        break;
                    left -= w;
                    ++room;
                }
            }
            if (room < 1 || chunk.columns.size() < 2) {
                col += width;
                systems_.back().chunks.push_back(std::move(chunk));
                break;
            }
            const int64_t cut = CutBefore(chunk, chunk.columns[static_cast<std::size_t>(std::min<std::size_t>(
                                                    static_cast<std::size_t>(room), chunk.columns.size() - 1))]);
            TChunkPlan head;
            head.from = chunk.from;
            head.barFrom = chunk.barFrom;
            head.beat = chunk.beat;
            head.to = cut;
            head.meterNum = chunk.meterNum;
            head.meterDen = chunk.meterDen;
            BuildChunk(head);
            // Values split at the cut may add onsets: the head shrinks until it fits.
            while (col + ChunkWidth(head) > cols && head.columns.size() > 1) {
                const int64_t to = CutBefore(head, head.columns.back());
                if (to >= head.to)
                    break;
                head.to = to;
                BuildChunk(head);
            }
            const int64_t cutAt = head.to;
            systems_.back().chunks.push_back(std::move(head));
            TChunkPlan rest;
            rest.from = cutAt;
            rest.barFrom = chunk.barFrom;
            rest.beat = chunk.beat;
            rest.to = chunk.to;
            rest.barEnd = true;
            BuildChunk(rest);
            chunk = std::move(rest);
            newSystem();
        }
        if (b + 1 < bars.size() && col >= cols - 1)
            newSystem();
    }
}

bool TMIDIReader::PlanMidiLayout(int cols, int rows) {
    staves_.clear();
    systems_.clear();
    planPages_ = 0;
    grandBrace_ = false;
    Message.clear();
    const std::vector<TMIDIFileNote> notes = CollectFileNotes();
    PercussionLeftOut = 0;
    for (const TMIDITruck& t : Tracks)
        for (const TMIDINote& e : t.events)
            PercussionLeftOut += (e.status & 0xF0) == 0x90 && (e.status & 0x0F) == kPercussionChannel &&
                                 e.velocity != 0 && !(e.octave == 0 && e.pitch == 0 && e.velocity == 1);
    if (notes.empty())
        return false;
    SignatureSharps = static_cast<int16_t>(std::clamp(StartSharps, -7, 7));
    Key = static_cast<int8_t>(KeyCodeOfSharps(SignatureSharps));

    // The steps: staves for the parts, each staff's notes on the grid of
    // written values, bars from the time signatures, bars into systems.
    std::vector<int> staffOfNote;
    if (!AssignStaves(notes, rows, staffOfNote))
        return false;
    QuantiseStaves(notes, staffOfNote, true);
    std::vector<TBarPlan> bars;
    if (!PlanBars(bars))
        return false;
    // A triplet group sounds in time only where every other staff starts its
    // notes and rests on the group's grid: the groups that meet another grid
    // are written on the 32nds instead, until none is left.
    for (int pass = 0; DropClashingTriplets(bars, pass >= 8); ++pass) {
        QuantiseStaves(notes, staffOfNote, false);
        if (!PlanBars(bars))
            return false;
    }
    PlaceSystems(bars, cols, rows);
    planPages_ = systems_.back().page + 1;
    // The memory the score may take, as for a score file of the same size.
    TMainScore probe;
    probe.Cols = cols;
    probe.Rows = rows;
    probe.PageSets[0].clear();
    probe.PageSets[1].clear();
    if (!MorePagesAllowed(probe, static_cast<std::size_t>(planPages_), Data.size())) {
        MessageId = kMsgTooLarge;
        return false;
    }
    return true;
}

// ---- writing ----

void TMIDIReader::WriteStaffHeader(int page, int row, int staff, bool first) {
    TCell* c = GridCell(0, page, row, 0);
    if (!c)
        return;
    ResetCell(*c);
    c->cellType = ctWestern;
    c->Note = staves_[static_cast<std::size_t>(staff)].clef;
    c->iEnd = frmMainTQ->Cols - 1;
    c->jEnd = row;
    c->Attr = static_cast<uint32_t>(static_cast<uint8_t>(Key));
    if (first && TimeNumerator > 0 && TimeDenominator > 0) {
        if (TCell* t = GridCell(0, page, row, static_cast<int>(std::abs(SignatureSharps) / 2.0 + 2))) {
            ResetCell(*t);
            t->cellType = ctTimeSig;
            t->upNote = TimeNumerator;
            t->Note = TimeDenominator;
            t->yAdj = 0.8f;
        }
    }
}

void TMIDIReader::WriteChordCell(TCell& cell, const TMIDIStaffItem& item, const TStaffPlan& st,
                                 std::vector<int8_t>& memory) {
    ResetCell(cell);
    cell.cellType = ctWestern;
    cell.option = item.dots == 1 ? 0x8u : item.dots == 2 ? 0x40u : 0u;
    if (item.seg < 0) {
        cell.Note = ValueToRestCode(item.value);
        return;
    }
    cell.Note = item.value;
    const std::vector<THead> heads =
        SpellChord(st.keys[static_cast<std::size_t>(item.seg)], SignatureSharps, st.clef, memory);
    cell.yAdj = static_cast<float>(heads[0].pos);
    cell.Attr = heads[0].attr;
    for (std::size_t k = 1; k < heads.size(); ++k) {
        TWestChord w;
        w.interval = heads[k - 1].pos - heads[k].pos;
        w.attr = heads[k].attr;
        cell.westChordArray.push_back(w);
    }
    // Stems by staff position: up below the middle line.
    if (GetChordCentre(cell) > 0)
        cell.option |= 0x1u;
}

void TMIDIReader::BeamByBeat(const TChunkPlan& chunk, const std::map<int64_t, int>& colOf, int page, int row,
                             int staff) {
    // The eighths and shorter notes of one beat share a beam, as a converted
    // Jianpu row has them.
    TLayer& pages = frmMainTQ->PageSets[0];
    if (page < 0 || page >= static_cast<int>(pages.size()) || row < 0 ||
        row >= static_cast<int>(pages[static_cast<std::size_t>(page)].size()))
        return;
    TCellRow& cells = pages[static_cast<std::size_t>(page)][static_cast<std::size_t>(row)];
    const std::vector<TMIDIStaffItem>& items = chunk.items[static_cast<std::size_t>(staff)];
    for (std::size_t i = 0; i < items.size();) {
        const int64_t beat = (items[i].start - chunk.barFrom) / chunk.beat;
        std::size_t j = i;
        while (j < items.size() && (items[j].start - chunk.barFrom) / chunk.beat == beat)
            ++j;
        if (j - i >= 2)
            RegroupTailsInRow(colOf.at(items[i].start), colOf.at(items[j - 1].start), row, cells, 1000000);
        i = j;
    }
}

void TMIDIReader::WritePlannedLayout() {
    TMainScore* s = frmMainTQ;
    Placed = 0;
    CurLayer = 0;
    if (auto* view = dynamic_cast<TMainView*>(s))
        view->CurKey = Key;

    // Tempo changes after the start, by unit.
    std::vector<std::pair<int64_t, int>> tempi;
    for (const TMIDITempoAt& t : Tempos)
        if (t.tick > 0 && t.micros > 0)
            tempi.push_back({UnitsOfTick(t.tick), static_cast<int>(std::lround(60000000.0 / t.micros))});

    const std::size_t n = staves_.size();
    std::vector<int8_t> memoryInit(128, 99);
    std::vector<std::vector<int8_t>> memory(n, memoryInit);
    struct TOpenTie {
        TCell* cell = nullptr;
        std::size_t system = 0;
        int row = 0, col = 0;
    };
    std::vector<TOpenTie> ties(n);
    std::vector<TCell*> tripletHead(n, nullptr);
    std::size_t tempoIndex = 0;
    for (std::size_t sys = 0; sys < systems_.size(); ++sys) {
        const TSystemPlan& plan = systems_[sys];
        // Pages of layer 0 only, each made when its first system is written:
        // the import makes no layer-1 pages.
        if (plan.page >= static_cast<int>(s->PageSets[0].size())) {
            s->AllocatePage(0, plan.page, true, 0, 0);
            s->PageCount = std::max(s->PageCount, static_cast<int>(s->PageSets[0].size()));
        }
        for (std::size_t st = 0; st < n; ++st)
            WriteStaffHeader(plan.page, plan.row + 3 * static_cast<int>(st), static_cast<int>(st), sys == 0);
        if (n >= 2) {
            if (TCell* c = GridCell(0, plan.page, plan.row, 0)) {
                c->markType = grandBrace_ ? kGrandStaffBrace : kSystemBracket;
                c->jEnd = plan.row + 3 * static_cast<int>(n - 1);
            }
        }
        int x = static_cast<int>(std::abs(SignatureSharps) / 3.0 + (sys == 0 ? 6 : 4));
        const int firstX = x;
        for (std::vector<int8_t>& m : memory)
            m = memoryInit;
        std::fill(tripletHead.begin(), tripletHead.end(), nullptr);
        for (const TChunkPlan& chunk : plan.chunks) {
            if (chunk.meterNum > 0) {
                for (std::size_t st = 0; st < n; ++st)
                    if (TCell* t = GridCell(0, plan.page, plan.row + 3 * static_cast<int>(st), x)) {
                        ResetCell(*t);
                        t->cellType = ctTimeSig;
                        t->upNote = chunk.meterNum;
                        t->Note = chunk.meterDen;
                        t->yAdj = 0.8f;
                    }
                x += 2;
            }
            std::map<int64_t, int> colOf;
            const std::vector<int> widths = ColumnWidths(chunk);
            int chunkWidth = 0;
            for (std::size_t k = 0; k < chunk.columns.size(); ++k) {
                colOf[chunk.columns[k]] = x + chunkWidth;
                chunkWidth += widths[k];
            }
            for (std::size_t st = 0; st < n; ++st) {
                const int r = plan.row + 3 * static_cast<int>(st);
                for (const TMIDIStaffItem& item : chunk.items[st]) {
                    const int c = colOf[item.start];
                    TCell* cell = GridCell(0, plan.page, r, c);
                    if (!cell)
                        continue;
                    if (item.seg >= 0 && ties[st].cell && ties[st].system == sys) {
                        // The first note of a triplet keeps its tuplet mark; its tie
                        // stands in the row above it, where playback looks too.
                        TCell* from = ties[st].cell;
                        if (IsTupletMarkCell(*from))
                            from = GridCell(0, plan.page, ties[st].row - 1, ties[st].col);
                        if (from) {
                            from->markType = kTieMark;
                            from->iEnd = c;
                        }
                    } else if (item.seg >= 0 && ties[st].cell && ties[st].system + 1 == sys) {
                        // A tie over the system break: to the end of the row, and on
                        // from a mark before the first note of the next system.
                        ties[st].cell->markType = kTieMark;
                        ties[st].cell->iEnd = s->Cols - 1;
                        if (TCell* on = GridCell(0, plan.page, r, firstX - 1)) {
                            on->markType = kTieMark;
                            on->iEnd = c;
                        }
                    }
                    ties[st].cell = nullptr;
                    WriteChordCell(*cell, item, staves_[st], memory[st]);
                    if (item.tupletStart) {
                        // The notes of a group under a tuplet bracket from the first to the last.
                        tripletHead[st] = cell;
                        cell->markType = kTupletBracket;
                        cell->iEnd = c;
                    }
                    if (item.tupletEnd && tripletHead[st]) {
                        tripletHead[st]->iEnd = c;
                        tripletHead[st] = nullptr;
                    }
                    Placed += item.seg >= 0 ? static_cast<int>(staves_[st].keys[static_cast<std::size_t>(item.seg)].size())
                                            : 1;
                    if (item.tieOn)
                        ties[st] = {cell, sys, r, c};
                }
                BeamByBeat(chunk, colOf, plan.page, r, static_cast<int>(st));
            }
            // Tempo marks above the system at the column of their time.
            while (tempoIndex < tempi.size() && tempi[tempoIndex].first < chunk.to) {
                auto at = colOf.upper_bound(tempi[tempoIndex].first);
                const int c = at == colOf.begin() ? x : std::prev(at)->second;
                if (TCell* t = GridCell(0, plan.page, plan.row - 1, c)) {
                    const int mark = t->markType, end = t->iEnd; // a triplet's tie from the staff below
                    ResetCell(*t);
                    t->markType = mark;
                    t->iEnd = end;
                    t->cellType = ctTempo;
                    t->Note = 2;
                    t->FontColor = std::clamp(tempi[tempoIndex].second, 10, 500);
                }
                ++tempoIndex;
            }
            x += chunkWidth;
            if (chunk.barEnd) {
                for (std::size_t st = 0; st < n; ++st)
                    if (TCell* b = GridCell(0, plan.page, plan.row + 3 * static_cast<int>(st), x)) {
                        ResetCell(*b);
                        b->Note = kBarLine;
                    }
                x += 1;
                for (std::vector<int8_t>& m : memory)
                    m = memoryInit;
            }
        }
    }
}
