#pragma once
// Western note drawing: colours shared with the Jianpu drawers.
#include "model/modTQCell.h"
#include "platform/gui/TQCanvas.h"

class TDrawBaseObj;
class TDrawEngine;

// The edit-layer highlight colour while the layer shown by the layer button is
// drawn, else the other-layer highlight colour.
TColor GetHighlightColor(const TDrawBaseObj* d);

// The note of a tempo mark: the note cell prepared by TempoNoteCell drawn as a
// Western note at (x, y) for the tempo cell at (col, row).
void DrawTempoNote(TDrawEngine* d, float x, float y, int col, int row, TCell& note);
