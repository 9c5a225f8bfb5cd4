// See the header: the Western slur and tuplet drawers are wired in here.
#include "notation/modTQWestMarkSeams.h"

void DrawWestSlurSeam(TDrawEngine*, float, int, int, TCell&, int) {}

void DrawWestTupletSeam(TDrawEngine*, float, int, int) {}
