#pragma once
// The small marks a note carries: accents, wedge triangles, bars, diamonds,
// the style marks beside Jianpu notes and a few music-font glyphs. Each drawer
// paints one mark at the point its caller worked out, sized by the cell's size
// factor and the factor f; marks use the drawing object's current colour.
// DrawDotGlyph is declared with the other notation entry points.
//
// A glyph mark whose glyph the music font lacks (or with the font missing)
// draws its drawn twin instead where the notes need it: the wedge (held-note
// mark) becomes a filled triangle, the accent a two-line ">", the style marks
// the vector form of their curved arrow.
#include "model/modTQCell.h"
#include "notation/modTQNotationApi.h"

class TDrawEngine;

// flag set: the wedge glyph; flag clear: the hollow triangle turned over.
void DrawGlyph174Mark(TDrawEngine* d, float x, float y, const TCell& cell, bool flag, float f);
// flag set: the filled triangle, narrow; flag clear: the hollow triangle.
void DrawGlyph209Mark(TDrawEngine* d, float x, float y, const TCell& cell, bool flag, float f);
// Triangle with its apex down, 0.5 x unit right of and 0.75 y unit below (x, y);
// outline: opaque (paper colour inside).
void DrawTriangleDown(TDrawEngine* d, float x, float y, const TCell& cell, bool filled, float f);
// Larger triangle with its apex up; outline: transparent inside.
void DrawTriangleUp(TDrawEngine* d, float x, float y, const TCell& cell, bool filled, float f);
// Solid bar, top-left (x, y - 0.03 y unit), trunc(x unit x wf x s) by trunc(y unit x hf x s).
void DrawMarkBar(TDrawEngine* d, float x, float y, const TCell& cell, float widthFactor, float heightFactor);
// ">" of the music font (bold).
void DrawAccentGlyph(TDrawEngine* d, float x, float y, const TCell& cell, float f);
void DrawAccentGlyphJianpu(TDrawEngine* d, float x, float y, const TCell& cell, float f);
// ">" from two lines; the Jianpu form ignores the cell size and keeps the pen.
void DrawAccentVector(TDrawEngine* d, float x, float y, const TCell& cell, float f);
void DrawAccentVectorJianpu(TDrawEngine* d, float x, float y, const TCell& cell, float f);
// Style marks 0x20..0x50 of a Jianpu note's Attr.
void DrawAttrMark2(TDrawEngine* d, float x, float y, const TCell& cell, float f);
void DrawAttrMark3(TDrawEngine* d, float x, float y, const TCell& cell, float f);
void DrawAttrMark4(TDrawEngine* d, float x, float y, const TCell& cell, float f);
void DrawAttrMark5(TDrawEngine* d, float x, float y, const TCell& cell, float f);
// Diamond note head; f widens it only.
void DrawDiamond(TDrawEngine* d, float x, float y, const TCell& cell, float f, bool filled);

// Whether the font has a glyph for the code (installed and mapped).
bool HasMusicGlyph(const char* font, int code);
