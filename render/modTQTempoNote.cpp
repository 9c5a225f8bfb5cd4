// The one place where a tempo mark reaches the Western note drawer.
//
// Until the Western note drawer is linked in, the tempo's note is not drawn:
// this body becomes the single call
//     DrawWesternNote(R, d, x, y, col, row, note, note);
// with R the drawer's stem record (not used here).
#include "render/modTQDrawWest.h"

void DrawTempoNote(TDrawEngine*, float, float, int, int, TCell&) {}
