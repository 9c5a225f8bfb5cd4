// The accidental of a note looked up on its staff while the list is built.
#include "play/modTQPlayState.h"

// The note's own accidental (remembered for the rest of the bar), else the one
// remembered for the same note and octave in the staff's bar memory. Both
// lookups read that one memory, so a second search of it cannot find more.
int TPlayState::LookupStaffAccidental(uint32_t attr, int note, int dots, int staff) {
    return BarAccidental(attr, note, dots, staff);
}
