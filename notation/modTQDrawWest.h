#pragma once
// Western staves: the staff header (lines, brace, clef, key signature, octave
// mark), key cancellations, the cell step that keeps a row's beam group, stems,
// stem slashes and beams.
//
// Units: X is the column width and Y the row height in pixels (the y unit of a
// reduced-size run is already reduced). A staff fills one row; its lines lie
// 0.25 Y apart and one staff step is 0.125 Y. The drawers receive the cell's
// reference point (its left edge + 0.2 X, the row's top + 0.7 Y, plus the
// cell's staff position for notes).
//
// A note cell remembers, while a page is drawn, where its note was drawn:
// upNote (centre x), FontStyle (a head y) and FontCharset (stem-end y). Beams
// overwrite the stem end; ties, slurs and stem links read them back.
#include <vector>

#include "model/modTQCell.h"
#include "notation/modTQNotationApi.h"
#include "render/modTQDrawBase.h"

class TDrawEngine;

// --- staff header ---
// Staff lines, start and end bar lines and the grand-staff brace of the clef
// cell's staff, origin as the header's.
void DrawWestStaffLines(TDrawEngine* d, float x, float y, const TCell& clef, int col, int row);
// Rows row+1 .. the last grid row of layer 0 in the same column: the first row
// holding a clef cell, minus one; -1 when there is none.
int LastRowBeforeNextClef(TDrawEngine* d, int col, int row);

// --- key signatures ---
// The key of the clef cell's Attr for its clef; cancel: naturals in the same places.
void DrawKeySignature(TDrawEngine* d, float x, float y, TCell clef, bool cancel);
// The naturals of a key-cancel cell at (col, row), from the nearest clef to its left.
void DrawKeyCancel(TDrawEngine* d, float x, float y, int col, int row);
// One sharp (or natural) of a key signature, n octave moves down.
void DrawKeySharp(TDrawEngine* d, float x, float y, int n, const TCell& clef, float f, bool natural);
// One flat (or natural) of a key signature, n octave moves down.
void DrawKeyFlat(TDrawEngine* d, float x, float y, int n, TCell clef, float f, bool natural);

// --- braces across rows ---
// The brace of a grand staff from row down to the cell's jEnd; bar: with its
// bar line.
void DrawStaffBraceMark(TDrawEngine* d, float x, float y, int col, int row, const TCell& cell, bool bar);
// Repeat dots on the Jianpu music rows firstRow .. the cell's jEnd (option 0x40).
void DrawRepeatDotsColumn(TDrawEngine* d, float x, float y, int firstRow, TCell cell);

// --- cells ---
// A note, chord, grace or shrunk cell; keeps the row's beam group.
void DrawWestCell(TDrawEngine* d, float x, float y, int col, int row, TCell& cell);
// The line joining this note's stem to a note in a row above (option 0x80).
void DrawStemLink(TDrawEngine* d, int col, int row, const TCell& cell);

// --- stems and slashes ---
// The stem of a note whose head box is (left, top, right, bottom); returns its
// point (stem x, start y, stem x, end y). Draws nothing while a beam group is
// collected (unless the note is a slashed grace note) or with option 0x1000.
// A Note below 1 is drawn as a quarter and set to 3 in the cell given.
void DrawWestStem(TFPoint4& out, TDrawEngine* d, int left, int top, int right, int bottom, TCell& cell, int col,
                  int row);
// The end of a stem from start of the cell at (col, row), pointing up or
// down, moved back into its own row where the row next to it in that direction
// holds a staff (staves in neighbouring rows share no room): a beam on it,
// reaching beyond the stem end by beamReach, keeps a quarter space from the
// row's edge. A stem that would keep less than a space and a quarter is left
// as it is.
float KeepStemInRow(const TDrawEngine* d, int col, int row, bool up, float start, float end, float beamReach);
// One to three slashes across a stem (option 0x400 / 0x800); only the sign of f
// (the slant) counts.
void DrawWestStemSlashes(TDrawEngine* d, float x, float y, float x2, float y2, const TCell& cell, float f);
// Stem width in pixels.
int GetStemWidth(TDrawEngine* d, const TCell& cell);
// Appends a drawn note's stem to the beam points.
void AppendBeamPoint(TDrawEngine* d, const TFPoint4& point);

// --- beams ---
// One filled beam between the stem ends of two points.
void DrawWestBeamBar(TDrawEngine* d, const TFPoint4& first, const TFPoint4& last, const TCell& firstCell,
                     const TCell& lastCell);
// Stems, slashes and beams of the small notes of one cell; their points are the
// beam points, one per listed note.
void DrawWestBeamGroup(TDrawEngine* d, const TCell& owner, std::vector<TCell>& notes);
bool DrawWestBeamLevel(TDrawEngine* d, int level, const TCell& owner, std::vector<TCell> notes);
// The combined-tail group of the row held in the beam points.
void DrawBeamedGroup(TDrawEngine* d, int row);
// Slants the beam by the interval from the group's first head to its last: a
// quarter space for a second, half a space for a third, one space for a
// fourth or more, level for a unison; the end whose head is nearer the beam
// keeps its stem, the other's grows.
void LimitBeamSlope(TDrawEngine* d, bool stemsUp);
bool DrawBeamLevel(TDrawEngine* d, int level, int row, const TCell& first);
// The secondary beam of points a..b: a short beam when a == b, else a segment.
void DrawBeamRun(TDrawEngine* d, int level, int a, int b, const TCell& ref, const TCell& first);
void DrawBeamStub(TDrawEngine* d, int level, int a, const TCell& ref, const TCell& first);
void DrawBeamSegment(TDrawEngine* d, int level, int a, int b, const TCell& ref, const TCell& first);
