#include "render/modTQCvsDraw.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#include "model/modTQUtil.h"
#include "render/modTQMainView.h"

namespace {
constexpr float kPi = 3.1415925f;

int R(float v) { return RoundToInt(v); }

float XUnit() { return static_cast<float>(MainView()->GetCellWidth()); }
float YUnit() { return static_cast<float>(MainView()->GetCellHeight()); }
TColor DrawingColour() { return MainView()->DrawEngine.CurColor; }

// Dashes or dots along a line: a segment of length seg every step along the
// main axis, walking from the smaller to the larger main coordinate. The other
// coordinate follows the line, so the marks lie on the segment whatever its
// slope. Returns the end point of the larger main coordinate.
FloatPoint WalkSegments(float x1, float y1, float x2, float y2, float seg, float step, TCanvas* c) {
    bool vertical = std::fabs(y1 - y2) > std::fabs(x2 - x1);
    float p0 = vertical ? y1 : x1, q0 = vertical ? y2 : x2;
    float o0 = vertical ? x1 : y1, o1 = vertical ? x2 : y2;
    if (p0 > q0) {
        std::swap(p0, q0);
        std::swap(o0, o1);
    }
    float span = q0 - p0;
    auto other = [&](float p) { return span > 0.0f ? o0 + (o1 - o0) * (p - p0) / span : o0; };
    auto point = [&](float p) { return vertical ? FloatPoint{other(p), p} : FloatPoint{p, other(p)}; };
    if (step <= 0.0f)
        step = 1.0f;
    for (float p = p0; p < q0; p += step) {
        float e = std::min(q0, p + seg);
        FloatPoint a = point(p), b = point(e);
        DrawLine(a.x, a.y, b.x, b.y, c);
    }
    return point(q0);
}
} // namespace

FloatPoint MakeFloatPoint(float x, float y) { return FloatPoint{x, y}; }

TCanvas* TargetCanvas(TCanvas* canvas) {
    if (canvas)
        return canvas;
    TCanvas* out = MainView()->OutCanvas;
    if (!out)
        throw std::logic_error("drawing with no output canvas");
    return out;
}

TSolidFillScope::TSolidFillScope(TCanvas* canvas, TColor color)
    : canvas_(canvas), pen_(canvas->Pen), brush_(canvas->Brush) {
    canvas_->Pen.Color = color;
    canvas_->Pen.Style = psSolid;
    canvas_->Pen.Width = 1;
    canvas_->Pen.Mode = pmCopy;
    canvas_->Brush.Color = color;
    canvas_->Brush.Style = bsSolid;
}

TSolidFillScope::~TSolidFillScope() {
    canvas_->Pen = pen_;
    canvas_->Brush = brush_;
}

TCanvas* GetCanvasHandle(TCanvas* canvas) { return TargetCanvas(canvas); }

void SetBrushStyle(TBrushStyle style, TCanvas* canvas) { TargetCanvas(canvas)->Brush.Style = style; }
TBrushStyle GetBrushStyle(TCanvas* canvas) { return TargetCanvas(canvas)->Brush.Style; }
void SetBrushColor(TColor color, TCanvas* canvas) { TargetCanvas(canvas)->Brush.Color = color; }
void SetPenColor(TColor color, TCanvas* canvas) { TargetCanvas(canvas)->Pen.Color = color; }
TColor GetPenColor(TCanvas* canvas) { return TargetCanvas(canvas)->Pen.Color; }
void SetPenMode(TPenMode mode, TCanvas* canvas) { TargetCanvas(canvas)->Pen.Mode = mode; }
void SetPenStyle(TPenStyle style, TCanvas* canvas) { TargetCanvas(canvas)->Pen.Style = style; }
void SetPenWidth(int width, TCanvas* canvas) { TargetCanvas(canvas)->Pen.Width = width; }
int GetPenWidth(TCanvas* canvas) { return TargetCanvas(canvas)->Pen.Width; }

void SetPenWidthScaled(float factor, TCanvas* canvas) {
    TargetCanvas(canvas)->Pen.Width = std::max(1, R(YUnit() * factor));
}

void SetFontSize(float size, TCanvas* canvas) { TargetCanvas(canvas)->Font.Size = R(size); }
int GetFontSize(TCanvas* canvas) { return TargetCanvas(canvas)->Font.Size; }
void SetFontColor(TColor color, TCanvas* canvas) { TargetCanvas(canvas)->Font.Color = color; }
void SetFontStyle(int styleBits, TCanvas* canvas) { TargetCanvas(canvas)->Font.Style = styleBits & 0xF; }

void SetCanvasFont(const std::string& name, int charset, int styleBits, TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    c->Font.Name = name;
    if (charset >= 0)
        c->Font.Charset = charset;
    if (styleBits >= 0)
        c->Font.Style = styleBits & 0xF;
}

TSize CanvasTextExtent(const std::string& text, TCanvas* canvas) { return TargetCanvas(canvas)->TextExtent(text); }

void CanvasMoveTo(float x, float y, TCanvas* canvas) { TargetCanvas(canvas)->MoveTo(R(x), R(y)); }
void CanvasLineTo(float x, float y, TCanvas* canvas) { TargetCanvas(canvas)->LineTo(R(x), R(y)); }

void DrawLine(float x1, float y1, float x2, float y2, TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    c->MoveTo(R(x1), R(y1));
    c->LineTo(R(x2), R(y2));
}

void DrawDashedHLine(float x1, float y, float x2, float, TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    float d = 0.3f * XUnit();
    float start = std::trunc(x1);
    while (start < x2) {
        DrawLine(start, y, std::min(x2, start + d), y, c);
        // At least one pixel per dash, so a tiny x unit cannot stall the walk.
        float next = std::trunc(start + 5.0f * d);
        start = next > start ? next : start + 1.0f;
    }
}

FloatPoint DrawDashedLine(float x1, float y1, float x2, float y2, TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    int w = c->Pen.Width;
    if (w <= 1) {
        c->Pen.Style = psDash;
        DrawLine(x1, y1, x2, y2, c);
        c->Pen.Style = psSolid;
        return FloatPoint{x2, y2};
    }
    float s = 2.5f * static_cast<float>(w);
    FloatPoint end = WalkSegments(x1, y1, x2, y2, s, 2.5f * s, c);
    c->Pen.Style = psSolid;
    return end;
}

void DrawDottedLine(float x1, float y1, float x2, float y2, TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    c->Pen.Style = psSolid;
    int w = c->Pen.Width;
    if (w <= 1) {
        c->Pen.Style = psDot;
        DrawLine(x1, y1, x2, y2, c);
        c->Pen.Style = psSolid;
        return;
    }
    float t = 2.0f * static_cast<float>(w);
    WalkSegments(x1, y1, x2, y2, t, 2.5f * t, c);
    c->Pen.Style = psSolid;
}

void DrawPolyline(const std::vector<TPoint>& points, int lastIndex, TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    c->Brush.Style = bsClear;
    int n = std::min<int>(lastIndex + 1, static_cast<int>(points.size()));
    if (n <= 0)
        return;
    c->Polyline(std::vector<TPoint>(points.begin(), points.begin() + n));
}

void FillPolygon(const std::vector<TPoint>& points, int lastIndex, TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    c->Pen.Style = psClear;
    SetPenWidthScaled(0.0f, c);
    int n = std::min<int>(lastIndex + 1, static_cast<int>(points.size()));
    if (n <= 0)
        return;
    c->Polygon(std::vector<TPoint>(points.begin(), points.begin() + n));
}

void FillSlantedBar(float x1, float y1, float x2, float y2, float h, TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    int savedWidth = c->Pen.Width;
    TColor colour = DrawingColour();
    c->Brush.Style = bsSolid;
    c->Pen.Width = 0;
    c->Brush.Color = colour;
    c->Pen.Color = colour;
    c->Polygon({{R(x1), R(y1)}, {R(x2), R(y2)}, {R(x2), R(y2 + h)}, {R(x1), R(y1 + h)}});
    c->Brush.Style = bsClear;
    c->Pen.Width = savedWidth;
}

void FillSlantedBarH(float x1, float y1, float x2, float y2, float w, TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    c->Brush.Style = bsSolid;
    c->Brush.Color = DrawingColour();
    c->Pen.Style = psClear;
    c->Polygon({{R(x1), R(y1)}, {R(x2), R(y2)}, {R(x2 + w), R(y2)}, {R(x1 + w), R(y1)}});
    c->Brush.Style = bsClear;
    c->Pen.Style = psSolid;
}

void FillBar(float x, float y, int w, int h, TColor color, TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    int aw = std::max(1, std::abs(w));
    int ah = std::max(1, std::abs(h));
    TRect r{R(x), R(y), R(x + static_cast<float>(aw)), R(y + static_cast<float>(ah))};
    if (r.Right <= r.Left)
        r.Right = r.Left + 1;
    if (r.Bottom <= r.Top)
        r.Bottom = r.Top + 1;
    c->Brush.Color = color == -1 ? DrawingColour() : color;
    FillCanvasRect(r, c);
    c->Brush.Style = bsClear;
    c->Pen.Style = psSolid;
}

void FillCanvasRect(const TRect& rect, TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    c->Brush.Style = bsSolid;
    c->Pen.Style = psSolid;
    c->FillRect(rect);
}

void ClearCanvasRect(float x1, float y1, float x2, float y2, TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    c->Brush.Style = bsSolid;
    c->Pen.Style = psSolid;
    c->FillRect(TRect{R(x1), R(y1), R(x2), R(y2)});
    c->Brush.Style = bsClear;
}

void FillRectColor(float x1, float y1, float x2, float y2, TColor color, TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    c->Brush.Style = bsSolid;
    c->Pen.Style = psSolid;
    c->Brush.Color = color;
    c->FillRect(TRect{R(x1), R(y1), R(x2), R(y2)});
    c->Brush.Style = bsClear;
}

void DrawRectFrame(float x1, float y1, float x2, float y2, TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    c->Brush.Style = bsClear;
    c->Pen.Style = psSolid;
    c->Rectangle(R(x1), R(y1), R(x2), R(y2));
}

void DrawRectFilled(float x1, float y1, float x2, float y2, TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    c->Brush.Style = bsSolid;
    c->Pen.Style = psSolid;
    c->Rectangle(R(x1), R(y1), R(x2), R(y2));
}

void DrawEllipse(float x1, float y1, float x2, float y2, TCanvas* canvas) {
    TargetCanvas(canvas)->Ellipse(R(x1), R(y1), R(x2), R(y2));
}

void DrawArc(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, TCanvas* canvas) {
    TargetCanvas(canvas)->Arc(R(x1), R(y1), R(x2), R(y2), R(x3), R(y3), R(x4), R(y4));
}

void DrawArcPolyline(float cx, float cy, float radius, int startDeg, int endDeg, TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    int n = std::abs(endDeg - startDeg) / 9;
    if (n == 0)
        return;
    float start = static_cast<float>(startDeg) * kPi / 180.0f;
    float end = static_cast<float>(endDeg) * kPi / 180.0f;
    float step = (end - start) / static_cast<float>(n);
    for (int i = 0; i <= n; ++i) {
        float a = start + static_cast<float>(i) * step;
        int px = static_cast<int>(cx + radius * std::cos(a));
        int py = static_cast<int>(cy + radius * std::sin(a));
        if (i == 0)
            c->MoveTo(px, py);
        else
            c->LineTo(px, py);
    }
}

void DrawArrowHead(float x1, float y1, float x2, float y2, float size, TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    if (std::fabs(x1 - x2) < 0.4f && std::fabs(y1 - y2) < 0.4f)
        return;
    float t = std::atan2(y2 - y1, x2 - x1);
    const float a = 0.37699109f;
    if (c->Pen.Width > 1)
        size *= 1.5f;
    int savedWidth = c->Pen.Width;
    c->Pen.Width = 0;
    c->Brush.Style = bsSolid;
    c->Brush.Color = DrawingColour();
    float L = size / std::cos(a);
    TPoint p1{R(x1 + L * std::cos(t - a)), R(y1 + L * std::sin(t - a))};
    TPoint p2{static_cast<int>(x1), static_cast<int>(y1)};
    TPoint p3{R(x1 + L * std::cos(t + a)), R(y1 + L * std::sin(t + a))};
    TPoint p4{R(x1 + 0.5f * size * std::cos(t)), R(y1 + 0.5f * size * std::sin(t))};
    c->Polygon({p1, p2, p3, p4});
    c->Brush.Style = bsClear;
    c->Pen.Width = savedWidth;
}

void StretchDrawGraphic(const TRect& rect, const TBitmap& graphic, TCanvas* canvas) {
    TargetCanvas(canvas)->StretchDraw(rect, graphic);
}

void CanvasTextOut(float x, float y, const std::string& text, TCanvas* canvas) {
    TargetCanvas(canvas)->TextOut(R(x), R(y), text);
}

void CanvasTextOutRight(float x, float y, const std::string& text, TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    TSize e = c->TextExtent(text);
    c->TextOut(R(x) - e.cx, R(y - static_cast<float>(e.cy / 3)), text);
}

void CanvasTextOutCentered(float x, float y, const std::string& text, TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    TSize e = c->TextExtent(text);
    CanvasTextOut(x - static_cast<float>(e.cx / 2), y - static_cast<float>(e.cy), text, c);
}

void DrawRotatedText(float x, float y, const std::string& text, const TCell& cell, int angle, TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    c->Brush.Style = bsClear;
    if (angle == 0) {
        CanvasTextOut(x, y, text, c);
        return;
    }
    // The font's size in pixels of the canvas's resolution (points at 96 per
    // inch on screen).
    float size = static_cast<float>(c->Font.Size) * static_cast<float>(c->PixelsPerInch()) / 96.0f;
    auto font = std::make_shared<TLogFont>();
    font->Weight = (cell.FontStyle & fsBold) ? 700 : 500;
    font->Italic = (cell.FontStyle & fsItalic) != 0;
    font->Underline = (cell.FontStyle & fsUnderline) != 0;
    font->StrikeOut = (cell.FontStyle & fsStrikeOut) != 0;
    float r = static_cast<float>(angle) * kPi / 1800.0f;
    x = x - XUnit() * std::sin(r);
    y = y + 0.5f * XUnit() * std::sin(r);
    font->Height = R(1.44f * size);
    font->Width = R(0.6f * size);
    font->Escapement = angle;
    font->Orientation = 0;
    font->Charset = 1;
    font->FaceName = c->Font.Name;
    auto previous = c->SelectLogFont(font);
    CanvasTextOut(x, y, text, c);
    c->SelectLogFont(previous);
}
