#pragma once
// Text symbols (dynamics, repeat and tempo words, octave signs, the trill) and
// the font colour of a cell. DrawTextSymbol itself is declared with the other
// cell drawers in render/modTQDrawMsc.h; GetHighlightColor in
// render/modTQDrawWest.h.
#include "model/modTQCell.h"
#include "platform/gui/TQCanvas.h"
#include "render/modTQDrawMsc.h"
#include "render/modTQDrawWest.h"

class TDrawEngine;

// Sets the output canvas's font colour for a note or text cell: the highlight
// colour for changed play settings, grey on the other layer, the cell's own
// colour when it asks for it, else the drawing colour.
void GetCellColor(TDrawEngine* d, const TCell& cell);
