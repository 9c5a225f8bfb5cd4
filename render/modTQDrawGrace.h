#pragma once
// Jianpu grace notes: small notes side by side in a grace cell (Attr style
// 0xC0: before their main note, tied to it on the right; 0xD0: after it, tied
// back to the left), each with its own underlines, octave dots, accidental,
// augmentation dots and marks.
#include "model/modTQCell.h"

class TDrawEngine;

void DrawGraceCell(TDrawEngine* d, float x, float y, int col, int row);
// The underlines (at most five) of one grace note at (x, y), narrow times their
// usual length (notes closer than usual); returns the bottom of the last line,
// or -10 when none was drawn.
float DrawGraceUnderlines(TDrawEngine* d, float x, float y, int count, const TCell& cell, float narrow = 1.0f);
// The octave dots of one grace note, their middle at cx (the digit's): above
// its digit's ink, or below its underlines; returns the bottom of the dots
// below the note, or -10 for dots above.
float DrawGraceOctaveDots(TDrawEngine* d, float cx, float y, int octave, const TCell& cell, int underlines);
