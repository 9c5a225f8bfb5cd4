// See the header: the Western slur and tuplet drawers are wired in here.
#include "notation/modTQWestMarkSeams.h"

void DrawWestSlurSeam(TDrawEngine*, float, int, int, TCell&, int) {}

void DrawWestTupletSeam(TDrawEngine*, float, int, int) {}

void DrawStaffBraceSeam(TDrawEngine*, float, float, int, int, TCell&, bool) {}

void DrawRepeatDotsSeam(TDrawEngine*, float, float, int, const TCell&) {}
