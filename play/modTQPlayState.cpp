#include "play/modTQPlayState.h"

#include "model/modTQRowQuery.h"
#include "play/modTQMIDI.h"

TPlayState* frmPlay = nullptr;

namespace {

// Programs whose notes die away by themselves (pianos, chromatic percussion,
// plucked strings, basses, harp, timpani-like and percussive effects).
constexpr bool PedalProgram(int i) {
    return (i >= 0 && i <= 15) || (i >= 24 && i <= 30) || (i >= 32 && i <= 39) || i == 46 || i == 88 ||
           i == 94 || (i >= 98 && i <= 105) || i == 107 || (i >= 112 && i <= 114) || i == 119 || i == 127;
}

constexpr std::array<TSoundRecord, kSoundEffects> MakeSoundTable() {
    std::array<TSoundRecord, kSoundEffects> t{};
    for (int i = 0; i < 128; ++i)
        t[i] = {static_cast<uint8_t>(i / 16 + 1), 0, static_cast<uint8_t>(i + 1),
                static_cast<uint8_t>(PedalProgram(i) ? 1 : 0)};
    t[kSoundMute] = {8, 0, 129, 0};
    t[kSoundIgnore] = {0, 0, 0, 0};
    return t;
}

} // namespace

const std::array<TSoundRecord, kSoundEffects> SoundTable = MakeSoundTable();

int SoundPedalFlag(int index) {
    if (index < 0 || index >= kSoundEffects)
        return 0;
    return SoundTable[index].Pedal;
}

int AccidentalSemitones(int code) {
    switch (code & 0xF) {
    case 1:
        return 1;
    case 2:
    case 7:
        return -1;
    case 3:
        return 0;
    case 4:
    case 6:
    case 8:
        return 2;
    case 5:
        return -2;
    default:
        return kNoAccidental;
    }
}

int AttrAccidental(uint32_t attr) {
    const int nibble = static_cast<int>(attr & 0xF);
    if (nibble == 6)
        return 2;
    if (nibble == 5)
        return -2;
    return AccidentalSemitones(nibble);
}

TPlayState::TPlayState() { SoundEffectChange(); }

TPlayState::~TPlayState() {
    if (frmPlay == this)
        frmPlay = nullptr;
}

void TPlayState::SpeedAdjChange() {
    if (frmMIDI && SpeedAdj > 0)
        frmMIDI->SpeedScale = 100.0f / static_cast<float>(SpeedAdj);
}

void TPlayState::SoundEffectChange() { IgnorePad = SoundPedalFlag(SoundEffect) != 1; }

void TPlayState::StopClick() {
    StopRequest = 1;
    if (frmMIDI)
        frmMIDI->MidiAllNotesOff();
}

void TPlayState::NextClick() { StopRequest = 2; }

bool TPlayState::IsNotationRow(int row) const { return PlayWest ? IsPlayableWestRow(row) : IsJianpuMusicRow(row); }

// --- bar accidental memory ---

void TPlayState::RememberAccidental(int semitones, int note, int octave, int staff) {
    // Only real accidentals are kept: "none" is the lookups' answer, never an entry.
    if (staff < 0 || staff >= kPlayStaves || semitones < -2 || semitones > 2)
        return;
    for (TMeasureAlterater& a : MeasureAccidentals[staff]) {
        if (a.Note == note && a.Octave == octave) {
            a.Semitones = semitones;
            return;
        }
    }
    MeasureAccidentals[staff].push_back({semitones, note, octave});
}

void TPlayState::RememberAccidentalCode(int code, int note, int octave, int staff) {
    RememberAccidental(AccidentalSemitones(code), note, octave, staff);
}

int TPlayState::FindMeasureAccidental(int note, int octave, int staff) const {
    if (staff < 0 || staff >= kPlayStaves)
        return kNoAccidental;
    for (const TMeasureAlterater& a : MeasureAccidentals[staff])
        if (a.Note == note && a.Octave == octave)
            return a.Semitones;
    return kNoAccidental;
}

void TPlayState::ClearBarAccidentals() {
    for (auto& list : MeasureAccidentals)
        list.clear();
}

int TPlayState::BarAccidental(uint32_t attr, int note, int octave, int staff) {
    const int own = AttrAccidental(attr);
    if (own != kNoAccidental) {
        RememberAccidental(own, note, octave, staff);
        return own;
    }
    return FindMeasureAccidental(note, octave, staff);
}
