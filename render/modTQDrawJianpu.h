#pragma once
// Plain Jianpu notes and the marks around them.
#include <cstdint>

#include "model/modTQCell.h"

class TDrawEngine;

// The whole cell: digit, accidentals, octave dots, marks.
void DrawJianpuNote(TDrawEngine* d, float x, float y, const TCell& cell, int col, int row);
// Augmentation dots, slashes and the marks above a note; reads the cell at
// (col, row) of the current page and layer itself.
void DrawJianpuNoteMarks(TDrawEngine* d, float x, float y, uint32_t option, int octaveCount, int col, int row);
