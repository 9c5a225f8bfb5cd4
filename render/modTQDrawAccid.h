#pragma once
// Accidental signs and the Western rest images.
//
// Each drawer paints one sign at a point (x, y) in pixels, scaled by the cell's
// size factor and the factor f the caller passes. The glyph drawers write a
// character of a music font (raised a little on the printer); the bitmap
// drawers stretch a symbol image whose top-left corner is the point; the vector
// sharp fills bars and strokes around the point in the drawing colour.
//
// The "MusicalSymbols" glyph drawers test nothing: their callers choose the
// bitmap or vector form when that font is missing. The "Toccata" drawers
// (half sharp, reversed flat, three-quarter sharp) fall back by themselves.
#include "model/modTQCell.h"
#include "platform/gui/TQCanvas.h"

class TDrawEngine;

// --- glyphs (canvas nullptr: the output canvas) ---
void DrawSharpGlyph(TDrawEngine* d, float x, float y, const TCell& cell, float f, TCanvas* canvas = nullptr);
void DrawFlatGlyph(TDrawEngine* d, float x, float y, const TCell& cell, float f, TCanvas* canvas = nullptr);
void DrawNaturalGlyph(TDrawEngine* d, float x, float y, const TCell& cell, float f, TCanvas* canvas = nullptr);
void DrawDoubleFlatGlyph(TDrawEngine* d, float x, float y, const TCell& cell, float f, TCanvas* canvas = nullptr);
void DrawDoubleSharpGlyph(TDrawEngine* d, float x, float y, const TCell& cell, float f, TCanvas* canvas = nullptr);
void DrawHalfSharp(TDrawEngine* d, float x, float y, const TCell& cell, float f, TCanvas* canvas = nullptr);
void DrawReversedFlat(TDrawEngine* d, float x, float y, const TCell& cell, float f, TCanvas* canvas = nullptr);
void DrawThreeQuarterSharp(TDrawEngine* d, float x, float y, const TCell& cell, float f,
                           TCanvas* canvas = nullptr);
// A reversed flat and a flat side by side.
void DrawThreeQuarterFlat(TDrawEngine* d, float x, float y, const TCell& cell, float f,
                          TCanvas* canvas = nullptr);

// --- symbol images, (x, y) the top-left corner ---
void DrawFlatBitmap(TDrawEngine* d, float x, float y, const TCell& cell, float f);
void DrawNaturalBitmap(TDrawEngine* d, float x, float y, const TCell& cell, float f);
void DrawDoubleFlatBitmap(TDrawEngine* d, float x, float y, const TCell& cell, float f);
void DrawDoubleSharpBitmap(TDrawEngine* d, float x, float y, const TCell& cell, float f);
void DrawReversedFlatBitmap(TDrawEngine* d, float x, float y, const TCell& cell, float f);
void DrawThreeQuarterFlatBitmap(TDrawEngine* d, float x, float y, const TCell& cell, float f);
void DrawRest4thBitmap(TDrawEngine* d, float x, float y, const TCell& cell, float f);
void DrawRest8thBitmap(TDrawEngine* d, float x, float y, const TCell& cell, float f);
void DrawRest16thBitmap(TDrawEngine* d, float x, float y, const TCell& cell, float f);
void DrawRest32thBitmap(TDrawEngine* d, float x, float y, const TCell& cell, float f);
void DrawRest64thBitmap(TDrawEngine* d, float x, float y, const TCell& cell, float f);
void DrawRest128thBitmap(TDrawEngine* d, float x, float y, const TCell& cell, float f);

// --- vector sharp, (x, y) its centre ---
// strokes 2: sharp; 1: quarter-tone sharp; 3: three-quarter sharp.
void DrawSharpVector(TDrawEngine* d, float x, float y, const TCell& cell, float f, int strokes);

// --- room an accidental takes beside its note ---
// The sign of kind 1..9 as the note drawers choose it: the music-font drawer when
// withFont ("Toccata" signs fall back by themselves), else the second form (kind
// 9 is the same image either way). Its horizontal extent drawn at x with factor
// f is [x + left, x + right] in pixels.
struct TSignSpan {
    float left = 0.0f;
    float right = 0.0f;
};
TSignSpan AccidentalSpan(TDrawEngine* d, int kind, bool withFont, const TCell& cell, float f);
// The x at which that sign, meant for x, stands clear to the left of a digit whose
// text starts at digitLeft: x itself when it already does, else x moved left just
// far enough to leave a gap of 0.1 x unit (at least a pixel and a half).
float ClearOfDigit(TDrawEngine* d, int kind, bool withFont, const TCell& cell, float f, float x, float digitLeft);

// Without the music font: how far below the point given to DrawAccidental the
// sign it draws for the cell ends (pixels); 0 for the kinds it leaves out.
float AccidentalFallbackBottom(TDrawEngine* d, const TCell& cell);

// The accidental of the cell's Attr low nibble beside a symbol drawn at (x, y);
// breakPoint 1 puts it in its alternate place (with the music font only).
void DrawAccidental(TDrawEngine* d, const TCell& cell, float x, float y);
