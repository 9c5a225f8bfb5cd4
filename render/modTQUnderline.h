#pragma once
// Jianpu duration underlines.
#include "model/modTQCell.h"

class TDrawEngine;

// The underlines of the cell at pixel origin (x, y); (col, row) locates its
// neighbours in the current page and layer.
void DrawJianpuUnderlines(TDrawEngine* d, float x, float y, const TCell& cell, int col, int row);
