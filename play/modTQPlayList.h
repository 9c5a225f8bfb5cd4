#pragma once
// The play list: the one form between a score and every way of hearing it.
//
// The play state builds it (TPlayState::PlayList), the ornament, dynamics, tempo
// and repeat passes rewrite it in place, the player sounds it, the MIDI file
// export writes it and the dump prints it. Nothing in it points back into the
// score except the source cell's address.
//
// Durations and lengths are in play units: at the player's base tempo of 60 and
// speed 100 %, one unit lasts 60 x 0.01302083 = 0.78125 ms, so 1280 units (a
// quarter note) last one second. Both are 32-bit: a whole note at a slow tempo
// needs more than 16 bits.
#include <cstdint>
#include <vector>

// One note to sound.
struct TPNote {
    int8_t Octave = 0;   // relative to the middle octave; -4..4 playable (0 holds middle C)
    int8_t Pitch = -1;   // pitch class 0..11; -1 ends the item's note list; 12 and above are skipped
    uint8_t Volume = 0;  // percent; 100 is normal loudness
    int32_t Length = 0;  // how long it sounds, play units; 0 or less: not started
    int8_t Channel = 0;  // MIDI channel 0..15; anything else plays on channel 0
    int8_t Layer = 0;    // the layer current when the note was read
    uint8_t Tie = 0;     // kTieContinues: tied into a later item, not released at the end of this one
    // The MIDI velocity of the note's dynamics (1..127), kept beside the percent:
    // a whole percent cannot hold every velocity (40 lies between 31 % and 32 %).
    // 0: the velocity of Volume.
    uint8_t Velocity = 0;
    bool operator==(const TPNote&) const = default;
};

inline constexpr uint8_t kTieContinues = 3;
inline constexpr int kPlayNoteSlots = 32;

// Item kinds.
enum TPlayKind : int8_t {
    pkNotes = 0,      // start the notes, wait Duration, release the notes that end here;
                      // Duration <= 0: release the listed notes at once, no wait
    pkRest = 1,       // wait Duration
    pkHighlight = 2,  // from here on the follow-the-music highlight covers Duration rows
    pkInstrument = 4, // program = low byte of Duration on channel Notes[0].Channel (-1 or > 15: all 16)
    pkSilent = 5,     // played like pkNotes; left out of MIDI files
    pkTimeSig = 6,    // Volume = numerator, Duration = denominator; no sound, no wait
    pkKeyboard = 7,   // the player repaints the on-screen keyboard
};

// One step of the play list.
struct TPlayItem {
    TPNote Notes[kPlayNoteSlots]; // in slot order, ended by the first Pitch -1
    int32_t Page = 0;
    int32_t Col = 0;              // negative: an item with no cell of its own
    int32_t Row = 0;              // source row, or the row to highlight
    int32_t Duration = 0;         // wait after the start, play units (kinds 2, 4, 6: see above)
    uint8_t Volume = 0;           // item velocity 0..127 for the MIDI file export
    uint8_t Hold = 0;             // sustain: notes of pedalled instruments ring on after the step
    int8_t Kind = pkNotes;
    int16_t Tempo = 0;            // the play tempo its Duration was reckoned at; 0 unknown (the MIDI export)
    bool operator==(const TPlayItem&) const = default;
};

// Notes before the first Pitch -1 (at most 32).
int NoteCount(const TPlayItem& item);
// Play units a note may outlast its step (the rounding of tuplet values) and
// still end with it: the list adds no release of its own for such a note.
inline constexpr int kHeldSlack = 5;
// The note is switched off at the end of its step: it is not tied on and its
// length reaches at most the slack past the step.
bool EndsWithStep(const TPlayItem& item, const TPNote& note);
// Sets Tie to kTieContinues on the first slot holding (octave, pitch); false
// when no listed note matches.
bool MarkTie(TPlayItem& item, int octave, int pitch);

// --- note slots (a slot list ends at the first Pitch -1 or after 32 slots) ---

// Equal Pitch, Octave and Channel.
bool SameNote(const TPNote& a, const TPNote& b);
// Some listed note of the item is SameNote.
bool ItemHasNote(const TPlayItem& item, const TPNote& note);
// First of all 32 slots that is SameNote; -1 when none.
int FindNoteIndex(const TPlayItem& item, const TPNote& note);
// Each note of src sets Length of its match in dest.
void SetNotesLength(TPlayItem& dest, const TPlayItem& src, int length);
// Every listed note of the channel (-1: all) gets Length = the item's Duration.
void SetLengthsToStep(TPlayItem& item, int channel);
// Into the first free slot; the next slot, when one remains, is marked free. A full item is unchanged.
void AppendNote(TPlayItem& item, const TPNote& note);
// Copies src's notes, end mark included, from dest's first free slot among 0..30, up to slot 31.
void MergeNotes(TPlayItem& dest, const TPlayItem& src);
// MergeNotes(list[i], item) for every i from `from` to the end.
void MergeNotesFrom(std::vector<TPlayItem>& list, int from, const TPlayItem& item);
// Merges src[i] into dest[start + i x stride] while that index lies inside dest;
// the src items not merged are appended to dest in order.
void MergeListStrided(std::vector<TPlayItem>& dest, int start, const std::vector<TPlayItem>& src, int stride);
// Appends a copy of the item.
void AppendPlayItem(std::vector<TPlayItem>& list, const TPlayItem& item);
// Duration = the smallest of Duration and every listed note's Length above 5.
void ClampStepToShortestNote(TPlayItem& item);
