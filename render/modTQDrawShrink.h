#pragma once
// Shrunk Jianpu cells: several small notes in one cell.
class TDrawEngine;

void DrawShrinkCell(TDrawEngine* d, int col, int row, float x, float y);
