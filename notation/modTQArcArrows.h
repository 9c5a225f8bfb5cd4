#pragma once
// Curved arrows and open arcs drawn from a piece of an ellipse with an arrow
// head at one end: the second form of the curved-arrow symbols and marks when
// their music-font glyph is missing.
//
// Every drawer takes the cell's top-left corner (x, y), the cell (for its size
// factor), the end flag (which end of the arc carries the head) and a scale k
// that multiplies the centre offsets, radii, pen and head. The pen width is
// put back afterwards.
#include <cstdint>

#include "model/modTQCell.h"

class TDrawEngine;

// Lower right quarter.
void DrawCurvedArrowVectorC(TDrawEngine* d, float x, float y, const TCell& cell, uint8_t endFlag, float k);
// Lower left quarter.
void DrawCurvedArrowVectorD(TDrawEngine* d, float x, float y, const TCell& cell, uint8_t endFlag, float k);
// Upper left quarter.
void DrawCurvedArrowVectorE(TDrawEngine* d, float x, float y, const TCell& cell, uint8_t endFlag, float k);
// Upper right quarter.
void DrawCurvedArrowVectorF(TDrawEngine* d, float x, float y, const TCell& cell, uint8_t endFlag, float k);
// Left side, an opening bracket.
void DrawCurvedArrowVectorA(TDrawEngine* d, float x, float y, const TCell& cell, uint8_t endFlag, float k);
// Right side, a closing bracket.
void DrawCurvedArrowVectorB(TDrawEngine* d, float x, float y, const TCell& cell, uint8_t endFlag, float k);
// Top, a flat arch.
void DrawCurvedArrowVectorG(TDrawEngine* d, float x, float y, const TCell& cell, uint8_t endFlag, float k);
// Bottom, a flat bowl.
void DrawCurvedArrowVectorH(TDrawEngine* d, float x, float y, const TCell& cell, uint8_t endFlag, float k);
// All but the top: a bowl open at the top (one head only, at its right end).
void DrawCurvedArrowVectorI(TDrawEngine* d, float x, float y, const TCell& cell, uint8_t endFlag, float k);
// All but the bottom: an arch open at the bottom (one head only, at its right end).
void DrawCurvedArrowVectorJ(TDrawEngine* d, float x, float y, const TCell& cell, uint8_t endFlag, float k);
