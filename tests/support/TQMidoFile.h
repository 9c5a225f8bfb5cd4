// A Standard MIDI File as python3-mido, a reader independent of ours, reads
// it: every note with its onset and length in ticks, the tempo changes and
// the key signatures.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tqtest {

struct TMidoNote {
    long on = 0;     // ticks from the start
    long length = 0; // ticks; -1 when no note-off ends it within its track
    int key = 0;
    int channel = 0;
    int velocity = 0;
};

struct TMidoFile {
    bool ok = false; // mido read the file
    int ticksPerBeat = 0;
    std::vector<TMidoNote> notes;             // in the order of their note-ons, track by track
    std::vector<std::pair<long, long>> tempi; // tick, microseconds a quarter
    std::vector<int> keys;                    // key signatures met, as sharps (99: a key mido names otherwise)
    std::string text;                         // what the reader printed, for failure messages
};

// A note-off, or a note-on of velocity 0, ends the oldest sounding note of its
// channel and key.
TMidoFile ReadWithMido(const std::string& path);

} // namespace tqtest
