// The accidental of a note looked up on its staff: in the bar before it, then in
// the bar memory.
#include "play/modTQPlayState.h"

int TPlayState::LookupStaffAccidental(const TCell& cell, int column, int row, int staff) {
    const int written = FindBarAccidentalBefore(cell, column, row);
    if (written != kNoAccidental) {
        RememberAccidental(written, cell.Note, cell.dot, staff);
        return written;
    }
    return FindMeasureAccidental(cell.Note, cell.dot, staff);
}
