#pragma once
// Overlays that are not cells: highlighted cell runs, the selection rectangle
// and the arrow from a displaced cell to its grid cell.
class TDrawEngine;

void DrawHighlights(TDrawEngine* d);
// XOR frame: drawing the same rectangle twice restores the pixels.
void DrawSelectionRect(TDrawEngine* d, int col0, int row0, int col1, int row1);
void DrawCurrentSelection(TDrawEngine* d);
// (x, y) the cell origin, (dx, dy) the cell's offset, in pixels.
void DrawOffsetArrow(TDrawEngine* d, float x, float y, float dx, float dy);
