#pragma once
// Vertical Jianpu chords.
#include "model/modTQCell.h"

class TDrawEngine;

void DrawVerticalChord(TDrawEngine* d, float x, float y, int col, int row, const TCell& cell);
