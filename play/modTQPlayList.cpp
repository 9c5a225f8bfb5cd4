#include "play/modTQPlayList.h"

int NoteCount(const TPlayItem& item) {
    int n = 0;
    while (n < kPlayNoteSlots && item.Notes[n].Pitch != -1)
        ++n;
    return n;
}

bool MarkTie(TPlayItem& item, int octave, int pitch) {
    const int n = NoteCount(item);
    for (int i = 0; i < n; ++i) {
        TPNote& note = item.Notes[i];
        if (note.Octave == octave && note.Pitch == pitch) {
            note.Tie = kTieContinues;
            return true;
        }
    }
    return false;
}
