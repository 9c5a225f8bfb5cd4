#pragma once
// Jianpu grace notes.
class TDrawEngine;

void DrawGraceCell(TDrawEngine* d, float x, float y, int col, int row);
