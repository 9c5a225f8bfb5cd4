#pragma once
// Curve shapes: slurs and ties as filled crescents, circle arcs through three
// points, and the number of a tuplet curve.
//
// Everything is in float device pixels of the output canvas (y downwards) and
// is painted in the drawing engine's current colour. W is the column width and
// H the row height in pixels. None of these decide which cells a curve joins;
// the slur layout of Jianpu rows, the Western layout, the spanning marks and the
// small-note drawers hand them their end points.
#include <array>

#include "model/modTQCell.h"
#include "model/modTQUtil.h"
#include "platform/gui/TQCanvas.h"

class TDrawEngine;

// Most samples of one edge of a crescent, and the polygon of a whole crescent.
constexpr int kCurveMaxSamples = 79;
constexpr int kCrescentPoints = 160;

// Samples of an edge for a curve size t (the columns it spans): min(79, 5t + 15);
// a negative size counts as 0.
int CurveSampleCount(int t);

// A slur or tie from (x1, y1) to (x2, y2) as a filled crescent.
// mode 0 whole curve; 1 first half of a curve cut at a row end (blunt at its
// end); -1 second half at the start of the next row (blunt at its start).
// direction 1 bends upwards, -1 downwards, 0 as the cell's option bit 0x80000
// says (set: downwards). The cell's markHAdj and markWAdj tune height and length.
// On return (x2, y2) is the end drawn; the result is a point a few samples
// before it (for orienting an arrow head), or for tuplet marks (56, 86) the
// apex, where the number goes. For markType 94 the two are taken at the start.
// A curve with no horizontal extent at all (a zero column width) is a straight
// line, or nothing when its ends coincide.
TPoint DrawSlurCrescent(TDrawEngine* d, float x1, float y1, float& x2, float& y2, int t, const TCell& cell,
                        int mode, int direction);

// The n samples of the outer edge of DrawSlurCrescent's curve.
void SlurArcPoints(TDrawEngine* d, float x1, float y1, float x2, float y2, int t, TFPoint* points, int n,
                   const TCell& cell, int mode, int direction);

// Turns points 1..count-1 about point 0 by the angle of the chord (x1, y1) ->
// (x2, y2) (0 when the chord has no length).
void RotatePointsAboutFirst(TDrawEngine* d, float x1, float y1, float x2, float y2, TFPoint* points, int count);

// A crescent along the circle through the start (x1, y1), the end (x2, y2) and
// the through point (x3, y3). Level or collinear points give a straight line of
// curve width instead; a negative size draws nothing. The swap flag exchanges
// the ends the mode's blunt end applies to. Returns the chord midpoint for a
// straight line, else a sample near the end; (x2, y2) becomes the end drawn.
TPoint DrawCrescentThrough3Points(TDrawEngine* d, float x1, float y1, float& x2, float& y2, float x3, float y3,
                                  int t, int mode, bool swap);

// n points along the circle through the three points, on the arc that passes
// the third one; false (points untouched) when the points have no usable centre.
bool ArcPointsThrough3Points(TDrawEngine* d, float x1, float y1, float x2, float y2, float x3, float y3,
                             TPoint* points, int n);

// One pen-drawn arc of the circle through the three points, from the first
// point to the second, passing the third. Nothing without a usable centre.
void DrawArcThrough3Points(TDrawEngine* d, float x1, float y1, float x2, float y2, float x3, float y3);

// The number of a tuplet at (x, y) in bold italic "Times New Roman". With
// useBackground the box behind it is cleared in the background colour first.
void DrawTupletNumber(TDrawEngine* d, float x, float y, int number, bool useBackground);
// The width and height of a tuplet number as DrawTupletNumber draws it.
TSize TupletNumberExtent(int number);

// Centre of the circle through three points (truncated to whole pixels); false
// when the points are on one vertical line, nearly collinear, or give no
// centre that can be drawn.
bool CircleCentre(const TPoint& first, const TPoint& second, const TPoint& third, TPoint& centre);
// Pen arc about the centre, counter-clockwise on the page from start to end.
void DrawArcFromCentre(const TPoint& centre, const TPoint& start, const TPoint& end);
// n samples of the circle about the centre between the two points, by angle
// about the centre (y downwards, so increasing angles run clockwise): from the
// first point's angle to the second's, unwrapped across the left-hand side and
// ordered from the smaller angle unless the second lies below and the first above.
void SampleCircleArc(const TPoint& centre, const TPoint& first, const TPoint& second, TPoint* points, int n);
// The midpoint of two points.
TFPoint MidPointF(const TPoint& a, const TPoint& b);
