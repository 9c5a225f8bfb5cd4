#pragma once
// Spanning marks that join rows at the left of a system: the curly brace, the
// system-start bracket, the system bracket with curved hooks and the plain
// square bracket. Each spans from its own row down to the cell's end row; an
// end row above the start or outside the page draws nothing.
#include "model/modTQCell.h"

class TDrawEngine;

// "{" (rightFacing false, kind 28) or "}" (true, kind 42).
void DrawCurlyBraceMark(TDrawEngine* d, float x, float y, const TCell& cell, bool bar, bool rightFacing);
// The "StartBrack" image, with a bar line when bar is set.
void DrawStartBracketMark(TDrawEngine* d, float x, float y, int col, int row, const TCell& cell, bool bar);
void DrawSystemBracketMark(TDrawEngine* d, float x, float y, int col, int row, const TCell& cell);
void DrawSquareBracketMark(TDrawEngine* d, float x, float y, int col, int row, const TCell& cell);
