#pragma once
// Western note drawing: colours shared with the Jianpu drawers.
#include "platform/gui/TQCanvas.h"

class TDrawBaseObj;

// The edit-layer highlight colour while the layer shown by the layer button is
// drawn, else the other-layer highlight colour.
TColor GetHighlightColor(const TDrawBaseObj* d);
