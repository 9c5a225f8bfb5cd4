#include "notation/modTQWestSeams.h"

// Stand-ins until the hint, cross-staff and Western slur units are written
// (see the header): nothing is drawn and no cross-staff group is found.

void DrawNoteNameHint(TDrawEngine*, int, int) {}

int FindCrossStaffEndCol(TDrawEngine*, int, int) { return -1; }

void DrawCrossStaffGroup(TDrawEngine*, int, int, int) {}

void DrawWestSlur(TDrawEngine*, float, int, int, const TCell&) {}

void DrawWestTupletBracket(TDrawEngine*, float, int, int) {}
