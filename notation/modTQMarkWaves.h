#pragma once
// Wavy spanning marks: the arpeggio wave beside a note or chord, the slanted
// glissando (a zig-zag or a run of wave glyphs) and the horizontal trill wave
// with an arrow head. (x, y) is the start point the spanning-mark dispatcher
// hands over; a mark whose end lies outside the page draws nothing.
#include "model/modTQCell.h"
#include "render/modTQDrawBase.h"

class TDrawEngine;

// Kinds 25 and 47 (large: the arpeggio wave), 26 and 31 (zig-zag), 27
// (zig-zag with an arrow head).
void DrawWavyLineMark(TDrawEngine* d, float x, float y, const TCell& cell, int kind, bool large);
// The arpeggio as glyphs ("Toccata" installed), else the drawn wave; arrow
// adds a head at its top.
void DrawArpeggioGlyphMark(TDrawEngine* d, float x, float y, int row, const TCell& cell, bool arrow);
// The glissando as a slanted run of wave glyphs ("Toccata" only).
void DrawGlissGlyphMark(TDrawEngine* d, float x, float y, const TCell& cell, bool large);
void DrawGlissWaveGlyphs(TDrawEngine* d, float x1, float y1, float x2, float y2, const TCell& cell, bool large);
void DrawGlissWaveGlyphsFlipped(TDrawEngine* d, float x1, float y1, float x2, float y2, const TCell& cell,
                                bool large);
// A zig-zag of amplitude 0.1 W across the line from (x1, y1) to (x2, y2),
// two segments in from each end; arrow ends it with a head at (x2, y2).
void DrawZigzagLine(TDrawEngine* d, float x1, float y1, float x2, float y2, bool arrow);
// The trill wave and one "Wingdings 3" head: arrowKind -1 and -2 at the
// start, 1 and 0 (or 2) at the end, each in its own direction.
void DrawTrillLineMark(TDrawEngine* d, float x, float y, int col, const TCell& cell, int arrowKind);
// The trill wave: at least two glyphs. Returns (start x, start y, glyph count, start y).
TFPoint4 DrawTrillWaveGlyphs(TDrawEngine* d, float x, float y, int col, const TCell& cell, bool large);
void DrawArpeggioWave(TDrawEngine* d, float x, float y1, float x2, float y2, const TCell& cell, float amplitude);
// Alternating arcs down from y1, while they fit above y2 (at most 1000).
void DrawArcWaveColumn(TDrawEngine* d, float x, float y1, float x2, float y2, float amplitude);
