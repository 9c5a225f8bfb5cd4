#pragma once
// Vertical Jianpu chords: the notes of the cell's CompressNotes list stacked
// upward from item 0 in a narrow, tall font scaled by the cell's rate, with
// their octave dots between them, each note's augmentation dots, style mark and
// accidental beside it, and the marks of the whole chord above the stack.
#include "model/modTQCell.h"

class TDrawEngine;

void DrawVerticalChord(TDrawEngine* d, float x, float y, int col, int row, const TCell& cell);
// How far (in rows) the accent, bar and wedge of a chord start above the stack
// for the number of octave dots that stand between two stacked notes.
float VerticalChordMarkLift(int innerDots);
