#pragma once
// Canvas primitives.
//
// Every drawer paints through these functions. They take float pixel
// coordinates, round them half up (RoundToInt), and leave the pen and brush in
// a known state (listed with each function). The last argument is the canvas
// to paint on; nullptr means the main window's output canvas (OutCanvas), which
// is the paint box, the work bitmap, the printer or an off-screen bitmap.
#include <string>
#include <vector>

#include "model/modTQCell.h"
#include "platform/gui/TQCanvas.h"

class TBitmap;

struct FloatPoint {
    float x = 0.0f;
    float y = 0.0f;
    bool operator==(const FloatPoint&) const = default;
};
FloatPoint MakeFloatPoint(float x, float y);

// The canvas a primitive paints on: canvas, or the output canvas when nullptr.
// Drawing with neither is a programming error: std::logic_error.
TCanvas* TargetCanvas(TCanvas* canvas);

// Solid one-pixel pen and solid brush of one colour on a canvas while it
// lives, for filled dots; the pen and brush it found are back afterwards,
// also when an exception passes.
class TSolidFillScope {
public:
    TSolidFillScope(TCanvas* canvas, TColor color);
    ~TSolidFillScope();
    TSolidFillScope(const TSolidFillScope&) = delete;
    TSolidFillScope& operator=(const TSolidFillScope&) = delete;

private:
    TCanvas* canvas_;
    TPen pen_;
    TBrush brush_;
};

// The canvas itself stands in for the Windows device context.
TCanvas* GetCanvasHandle(TCanvas* canvas = nullptr);

void SetBrushStyle(TBrushStyle style, TCanvas* canvas = nullptr);
TBrushStyle GetBrushStyle(TCanvas* canvas = nullptr);
void SetBrushColor(TColor color, TCanvas* canvas = nullptr);
void SetPenColor(TColor color, TCanvas* canvas = nullptr);
TColor GetPenColor(TCanvas* canvas = nullptr);
void SetPenMode(TPenMode mode, TCanvas* canvas = nullptr);
void SetPenStyle(TPenStyle style, TCanvas* canvas = nullptr);
void SetPenWidth(int width, TCanvas* canvas = nullptr);
int GetPenWidth(TCanvas* canvas = nullptr);
// Pen width max(1, round(y unit x factor)).
void SetPenWidthScaled(float factor, TCanvas* canvas = nullptr);
// Point size, rounded half up.
void SetFontSize(float size, TCanvas* canvas = nullptr);
int GetFontSize(TCanvas* canvas = nullptr);
void SetFontColor(TColor color, TCanvas* canvas = nullptr);
void SetFontStyle(int styleBits, TCanvas* canvas = nullptr);
// Name always; the charset only when charset >= 0; the style only when styleBits >= 0.
void SetCanvasFont(const std::string& name, int charset, int styleBits, TCanvas* canvas = nullptr);
TSize CanvasTextExtent(const std::string& text, TCanvas* canvas = nullptr);
void CanvasMoveTo(float x, float y, TCanvas* canvas = nullptr);
void CanvasLineTo(float x, float y, TCanvas* canvas = nullptr);

// Line from (x1, y1) to (x2, y2); the end pixel is not drawn.
void DrawLine(float x1, float y1, float x2, float y2, TCanvas* canvas = nullptr);
// Dashes 0.3 x unit long, one every 1.5 x unit, from x1 to x2 at height y.
void DrawDashedHLine(float x1, float y, float x2, float unused = 0.0f, TCanvas* canvas = nullptr);
// Dashed line in the current pen; returns the end reached. Leaves the pen solid.
FloatPoint DrawDashedLine(float x1, float y1, float x2, float y2, TCanvas* canvas = nullptr);
// Dotted line in the current pen. Leaves the pen solid.
void DrawDottedLine(float x1, float y1, float x2, float y2, TCanvas* canvas = nullptr);
// Polyline through points[0..lastIndex]; brush clear.
void DrawPolyline(const std::vector<TPoint>& points, int lastIndex, TCanvas* canvas = nullptr);
// Polygon points[0..lastIndex] in the current brush; leaves the pen clear and 1 pixel wide.
void FillPolygon(const std::vector<TPoint>& points, int lastIndex, TCanvas* canvas = nullptr);
// Parallelogram of vertical thickness h in the drawing colour.
void FillSlantedBar(float x1, float y1, float x2, float y2, float h, TCanvas* canvas = nullptr);
// Parallelogram of horizontal thickness w in the drawing colour.
void FillSlantedBarH(float x1, float y1, float x2, float y2, float w, TCanvas* canvas = nullptr);
// Solid rectangle of |w| x |h| pixels (each at least 1); colour -1: the drawing colour.
void FillBar(float x, float y, int w, int h, TColor color, TCanvas* canvas = nullptr);
void FillCanvasRect(const TRect& rect, TCanvas* canvas = nullptr);
void ClearCanvasRect(float x1, float y1, float x2, float y2, TCanvas* canvas = nullptr);
void FillRectColor(float x1, float y1, float x2, float y2, TColor color, TCanvas* canvas = nullptr);
void DrawRectFrame(float x1, float y1, float x2, float y2, TCanvas* canvas = nullptr);
void DrawRectFilled(float x1, float y1, float x2, float y2, TCanvas* canvas = nullptr);
void DrawEllipse(float x1, float y1, float x2, float y2, TCanvas* canvas = nullptr);
void DrawArc(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
             TCanvas* canvas = nullptr);
// Circular arc as a polyline, one segment per 9 degrees; nothing below 9 degrees.
void DrawArcPolyline(float cx, float cy, float radius, int startDeg, int endDeg, TCanvas* canvas = nullptr);
// Filled arrow head with its tip at (x1, y1), opening toward (x2, y2).
void DrawArrowHead(float x1, float y1, float x2, float y2, float size, TCanvas* canvas = nullptr);
void StretchDrawGraphic(const TRect& rect, const TBitmap& graphic, TCanvas* canvas = nullptr);
// Text with its top-left corner at the point.
void CanvasTextOut(float x, float y, const std::string& text, TCanvas* canvas = nullptr);
// Text ending at x, raised by a third of its height.
void CanvasTextOutRight(float x, float y, const std::string& text, TCanvas* canvas = nullptr);
// Text centred on x with its bottom at y.
void CanvasTextOutCentered(float x, float y, const std::string& text, TCanvas* canvas = nullptr);
// Text turned by angle (tenths of a degree); angle 0 is CanvasTextOut.
void DrawRotatedText(float x, float y, const std::string& text, const TCell& cell, int angle,
                     TCanvas* canvas = nullptr);
