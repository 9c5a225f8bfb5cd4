#pragma once
// Plain Jianpu notes and the marks around them, and the small helpers the
// other Jianpu drawers share (dash, octave dots, augmentation dot, curved
// arrows).
#include <cstdint>

#include "model/modTQCell.h"

class TDrawEngine;

// The whole cell: digit, accidentals, octave dots, marks.
void DrawJianpuNote(TDrawEngine* d, float x, float y, const TCell& cell, int col, int row);
// Augmentation dots, slashes and the marks above a note; reads the cell at
// (col, row) of the current page and layer itself.
void DrawJianpuNoteMarks(TDrawEngine* d, float x, float y, uint32_t option, int octaveCount, int col, int row);

// The extension dash of the cell at (col, row); y is the dash's centre line.
void DrawJianpuDash(TDrawEngine* d, float x, float y, const TCell& cell, int col, int row);
// One sign of kind 1..9 at (x, y) with factor f, full-size or small: the
// music-font drawer when withFont, else its second form. The three-quarter
// flat is the font's glyph whenever the music font is installed, its picture
// otherwise.
void DrawSign(TDrawEngine* d, int kind, bool withFont, float x, float y, const TCell& cell, float f);
// n filled round dots of size pixels in the drawing colour, the first with its
// top-left corner at (left, top), each further one step pixels to the right and
// stepDown pixels down.
void DrawRoundDots(TDrawEngine* d, int left, int top, int size, int n, int step, int stepDown = 0);
// The cell's octave dots (its dot count: above when positive, below when negative).
void DrawOctaveDots(TDrawEngine* d, float x, float y, const TCell& cell, int col, int row);
// How many octave dots an octave value draws: its size, but no more than
// kMaxOctaveDots, so a damaged value cannot keep the drawer busy for ever.
constexpr int kMaxOctaveDots = 16;
int OctaveDotCount(int octave);
// A column of n octave dots, filled circles in the drawing colour. The first
// stands where the "." glyph of DrawDotGlyph drawn at (x, y) with the factor has
// its ink; each further one step pixels lower (step < 0: higher). The circle is
// 0.12 of that glyph's em across (at least 2 pixels), and the dots are never
// closer than their size and half of it again, so they stay apart at any zoom.
// Returns how far the last dot stands from the first (pixels, signed as step).
float DrawOctaveDotColumn(TDrawEngine* d, float x, float y, const TCell& cell, float factor, int n, float step);
// One augmentation dot.
void DrawAugmentationDot(TDrawEngine* d, float x, float y, const TCell& cell, float factor);
// The curved-arrow marks of styles 0x60 and 0x70: the "Toccata" glyph, or its
// vector form (which alone uses the variant) when the font has no such glyph.
void DrawCurvedArrowA(TDrawEngine* d, float x, float y, const TCell& cell, uint8_t variant, float factor);
void DrawCurvedArrowB(TDrawEngine* d, float x, float y, const TCell& cell, uint8_t variant, float factor);
