#pragma once
// Western rests: the three longest as filled bars with their short lines, the
// others as music-font glyphs (or their pictures without the font), with their
// dots; rests with changed play settings are shown in the highlight colour.
#include "model/modTQCell.h"

class TDrawEngine;

// A rest of code 19..27 at the cell's reference point (the cell's left edge +
// 0.2 x unit, the row's top + 0.7 y unit), x already moved by the cell's xAdj.
// Other codes draw nothing.
void DrawWestRest(TDrawEngine* d, float x, float y, TCell cell);
