#include "notation/modTQCurves.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "model/modTQUtil.h"
#include "platform/core/TQCodec.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQMainView.h"

namespace {

constexpr float kPi = 3.1415925f;
constexpr float kHalfPi = 1.5707963f;

int ColW() { return MainView()->GetCellWidth(); }
float RowH() { return static_cast<float>(MainView()->GetCellHeight()); }

int Round(float v) { return RoundToInt(v); }

// A point that a primitive can take: finite and well inside the int range.
bool Drawable(double v) { return std::isfinite(v) && std::fabs(v) < 1.0e8; }

// Thickness factor of a curve of size t: 1 up to size 3, 2 from size 7.
float SizeThickness(int t) { return std::min(2.0f, std::max(1.0f, 0.3f * static_cast<float>(t))); }

// Offset length of inner-edge point k (walking back from the end): tapering
// over the last quarter at the end and the first quarter at the start.
float InnerOffset(int k, int i, int n, float step, float thickness, bool taperEnd, bool taperStart) {
    if (k < n / 4 && taperEnd)
        return static_cast<float>(k) * step;
    if (i < n / 4 && taperStart)
        return static_cast<float>(i) * step;
    return thickness;
}

// Fills the polygon in the current colour and puts brush and pen back.
void FillCrescent(TDrawEngine* d, const std::vector<TPoint>& polygon) {
    SetBrushStyle(bsSolid);
    SetBrushColor(d->CurColor);
    FillPolygon(polygon, static_cast<int>(polygon.size()) - 1);
    SetBrushStyle(bsClear);
    SetPenStyle(psSolid);
    SetPenWidthScaled(0.027f);
}

// A straight line of curve width in place of a curve.
void StraightCurve(float x1, float y1, float x2, float y2) {
    SetPenStyle(psSolid);
    SetPenWidthScaled(0.045f);
    DrawLine(x1, y1, x2, y2);
    SetPenWidthScaled(0.027f);
}

} // namespace

int CurveSampleCount(int t) { return std::min(kCurveMaxSamples, 5 * std::max(0, t) + 15); }

void RotatePointsAboutFirst(TDrawEngine*, float x1, float y1, float x2, float y2, TFPoint* points, int count) {
    if (count < 2)
        return;
    const float dx = x2 - x1, dy = y2 - y1;
    const float angle = (dx == 0.0f && dy == 0.0f) ? 0.0f : std::atan2(dy, dx);
    const float c = std::cos(angle), s = std::sin(angle);
    const TFPoint o = points[0];
    for (int i = 1; i < count; ++i) {
        const float px = points[i].x - o.x, py = points[i].y - o.y;
        points[i].x = o.x + px * c - py * s;
        points[i].y = o.y + px * s + py * c;
    }
}

void SlurArcPoints(TDrawEngine*, float x1, float y1, float x2, float y2, int t, TFPoint* points, int n,
                   const TCell& cell, int mode, int direction) {
    if (n <= 0)
        return;
    const float H = RowH();
    const float x2e = x2 + 0.025f * static_cast<float>(static_cast<int64_t>(ColW()) * cell.markWAdj);
    const float a = std::fabs(y2 - y1) < 0.8f
                        ? 0.5f * std::fabs(x2e - x1)
                        : 0.5f * static_cast<float>(Distance(x1, y1, x2e, y2));
    const float b = 0.2f * a + (0.1f + 0.05f * static_cast<float>(cell.markHAdj) -
                                0.02f * static_cast<float>(std::max(0, t - 4))) *
                                   H;
    bool down;
    if (direction == 1)
        down = false;
    else if (direction == -1)
        down = true;
    else
        down = (cell.option & 0x80000u) != 0;

    float span = 170.0f * kPi / 180.0f;
    float start = (kPi - span) / 2.0f;
    if (mode == -1) {
        start = kPi / 2.0f;
        span = kPi / 2.0f - (180.0f - 170.0f) * kPi / 360.0f;
    } else if (mode == 1) {
        span = kPi / 2.0f - (180.0f - 170.0f) * kPi / 360.0f;
    }
    const float step = n > 1 ? span / static_cast<float>(n - 1) : 0.0f;
    float theta = start;
    for (int i = 0; i < n; ++i) {
        points[i].x = x1 - a * std::cos(theta);
        points[i].y = down ? y1 + b * std::sin(theta) : y1 - b * std::sin(theta);
        theta += step;
    }
    const float sx = x1 - points[0].x, sy = y1 - points[0].y;
    for (int i = 0; i < n; ++i) {
        points[i].x += sx;
        points[i].y += sy;
    }
}

TPoint DrawSlurCrescent(TDrawEngine* d, float x1, float y1, float& x2, float& y2, int t, const TCell& cell,
                        int mode, int direction) {
    SetPenWidth(1);
    const int halfW = ColW() / 2;
    const float H = RowH();
    if (std::fabs(x1 - x2) < static_cast<float>(halfW))
        x2 = x1 + static_cast<float>(halfW);
    if (mode == 1) {
        x2 = 2.0f * x2 - x1;
    } else if (mode == -1) {
        const float lift = (0.07f * static_cast<float>(t) + 0.2f) * H;
        y1 -= lift;
        y2 -= lift;
        x2 = 2.0f * x2 - x1;
    }

    // No horizontal extent (a zero column width): the slope below would divide
    // by zero, so the curve is a straight line, or nothing at all.
    if (x1 == x2 || !Drawable(x1) || !Drawable(y1) || !Drawable(x2) || !Drawable(y2)) {
        if (Drawable(x1) && Drawable(y1) && Drawable(x2) && Drawable(y2) && (x1 != x2 || y1 != y2))
            StraightCurve(x1, y1, x2, y2);
        SetPenWidthScaled(0.027f);
        return TPoint{static_cast<int>(x2), static_cast<int>(y2)};
    }

    const int n = CurveSampleCount(t);
    std::array<TFPoint, kCrescentPoints> pts{};
    SlurArcPoints(d, x1, y1, x2, y2, t, pts.data(), n, cell, mode, direction);

    const float slope = (y2 - y1) / (x1 - x2);
    const float phi = std::atan2(y2 - y1, x1 - x2);
    const float thickness = SizeThickness(t) * (0.045f * H) + std::fabs(slope);
    const float ox = std::sin(phi), oy = std::cos(phi);
    const float step = 4.0f * thickness / static_cast<float>(n - 1);
    for (int k = 0; k < n; ++k) {
        const int i = n - 1 - k;
        const float len = InnerOffset(k, i, n, step, thickness, mode != 1, mode != -1);
        pts[static_cast<size_t>(n + k)] = TFPoint{pts[static_cast<size_t>(i)].x + ox * len,
                                                  pts[static_cast<size_t>(i)].y + oy * len};
    }
    if (std::fabs(y1 - y2) >= 0.8f)
        RotatePointsAboutFirst(d, x1, y1, x2, y2, pts.data(), 2 * n);

    std::vector<TPoint> polygon(static_cast<size_t>(2 * n));
    for (int i = 0; i < 2 * n; ++i)
        polygon[static_cast<size_t>(i)] = TPoint{Round(pts[static_cast<size_t>(i)].x), Round(pts[static_cast<size_t>(i)].y)};
    FillCrescent(d, polygon);

    if (cell.markType == 56 || cell.markType == 86) {
        const TFPoint& apex = pts[static_cast<size_t>(n / 2)];
        return TPoint{static_cast<int>(apex.x), static_cast<int>(apex.y)};
    }
    if (cell.markType == 94) {
        x2 = static_cast<float>(polygon[0].x);
        y2 = static_cast<float>(polygon[0].y);
        return polygon[5];
    }
    x2 = static_cast<float>(polygon[static_cast<size_t>(n - 1)].x);
    y2 = static_cast<float>(polygon[static_cast<size_t>(n - 1)].y);
    return polygon[static_cast<size_t>(n - 7)];
}

// ---- circles through three points ----

TFPoint MidPointF(const TPoint& a, const TPoint& b) {
    return TFPoint{static_cast<float>(a.x + b.x) * 0.5f, static_cast<float>(a.y + b.y) * 0.5f};
}

bool CircleCentre(const TPoint& first, const TPoint& second, const TPoint& third, TPoint& centre) {
    if (first.x == third.x && second.x == third.x)
        return false;
    const TFPoint midA = MidPointF(first, third);
    const TFPoint midB = MidPointF(second, third);
    auto slopeOf = [](const TPoint& p, const TPoint& q) {
        return static_cast<double>(p.y - q.y) / static_cast<double>(p.x - q.x);
    };
    double cx = 0.0, cy = 0.0;
    if (first.x == third.x || second.x == third.x) {
        // One chord is vertical: its bisector is the horizontal line through its
        // midpoint; the other chord must not be level.
        const bool aVertical = first.x == third.x;
        const TFPoint vMid = aVertical ? midA : midB;
        const TFPoint oMid = aVertical ? midB : midA;
        const double m = aVertical ? slopeOf(second, third) : slopeOf(first, third);
        if (std::fabs(m) < 0.0001)
            return false;
        cy = vMid.y;
        cx = oMid.x - (cy - oMid.y) * m;
    } else {
        const double mA = slopeOf(first, third);
        const double mB = slopeOf(second, third);
        if (std::fabs(mA - mB) < 0.001)
            return false;
        const bool aVertical = std::fabs(mA) < 0.001;
        const bool bVertical = std::fabs(mB) < 0.001;
        if (aVertical && bVertical)
            return false; // two parallel bisectors: no centre
        if (aVertical) {
            cx = midA.x;
            cy = midB.y - (cx - midB.x) / mB;
        } else if (bVertical) {
            cx = midB.x;
            cy = midA.y - (cx - midA.x) / mA;
        } else {
            const double kA = -1.0 / mA, kB = -1.0 / mB;
            cx = (midB.y - midA.y + kA * midA.x - kB * midB.x) / (kA - kB);
            cy = midA.y + kA * (cx - midA.x);
        }
    }
    if (!Drawable(cx) || !Drawable(cy))
        return false;
    centre = TPoint{static_cast<int>(cx), static_cast<int>(cy)};
    return true;
}

void DrawArcFromCentre(const TPoint& centre, const TPoint& start, const TPoint& end) {
    const int r = static_cast<int>(Distance(centre.x, centre.y, start.x, start.y));
    if (r <= 0)
        return;
    DrawArc(static_cast<float>(centre.x - r), static_cast<float>(centre.y - r), static_cast<float>(centre.x + r),
            static_cast<float>(centre.y + r), static_cast<float>(start.x), static_cast<float>(start.y),
            static_cast<float>(end.x), static_cast<float>(end.y));
}

void SampleCircleArc(const TPoint& centre, const TPoint& first, const TPoint& second, TPoint* points, int n) {
    if (n <= 0)
        return;
    const double cx = centre.x, cy = centre.y;
    const double r = Distance(cx, cy, first.x, first.y);
    double a1 = std::atan2(first.y - cy, first.x - cx);
    double a2 = std::atan2(second.y - cy, second.x - cx);
    if (a1 > 0.0 && a2 < 0.0)
        a2 += 6.283185;
    if (!(a2 > 0.0 && a1 < 0.0) && a1 > a2)
        std::swap(a1, a2);
    const double step = n > 1 ? (a2 - a1) / static_cast<double>(n - 1) : 0.0;
    for (int i = 0; i < n; ++i) {
        const double a = a1 + static_cast<double>(i) * step;
        points[i] = TPoint{RoundToInt(cx + r * std::cos(a)), RoundToInt(cy + r * std::sin(a))};
    }
}

namespace {
TPoint Rounded(float x, float y) { return TPoint{Round(x), Round(y)}; }
} // namespace

bool ArcPointsThrough3Points(TDrawEngine*, float x1, float y1, float x2, float y2, float x3, float y3,
                             TPoint* points, int n) {
    const TPoint first = Rounded(x1, y1), second = Rounded(x2, y2), third = Rounded(x3, y3);
    TPoint centre;
    if (!CircleCentre(first, second, third, centre))
        return false;
    if (CrossProductPositive(third, first, second))
        SampleCircleArc(centre, second, first, points, n);
    else
        SampleCircleArc(centre, first, second, points, n);
    return true;
}

void DrawArcThrough3Points(TDrawEngine*, float x1, float y1, float x2, float y2, float x3, float y3) {
    const TPoint first = Rounded(x1, y1), second = Rounded(x2, y2), third = Rounded(x3, y3);
    TPoint centre;
    if (!CircleCentre(first, second, third, centre))
        return;
    if (CrossProductPositive(third, first, second))
        DrawArcFromCentre(centre, first, second);
    else
        DrawArcFromCentre(centre, second, first);
}

namespace {
// The two slopes towards the through point differ by less than 0.08; a point
// straight above or below it counts as vertical (both vertical: collinear).
bool NearlyCollinear(float x1, float y1, float x2, float y2, float x3, float y3) {
    const bool v1 = x1 == x3, v2 = x2 == x3;
    if (v1 || v2)
        return v1 && v2;
    return std::fabs((y1 - y3) / (x1 - x3) - (y2 - y3) / (x2 - x3)) < 0.08f;
}
} // namespace

TPoint DrawCrescentThrough3Points(TDrawEngine* d, float x1, float y1, float& x2, float& y2, float x3, float y3,
                                  int t, int mode, bool swap) {
    TPoint result{static_cast<int>((x1 + x2) * 0.5f), static_cast<int>((y1 + y2) * 0.5f)};
    if (t < 0)
        return result;
    if (!Drawable(x1) || !Drawable(y1) || !Drawable(x2) || !Drawable(y2) || !Drawable(x3) || !Drawable(y3))
        return result;
    const float H = RowH();
    if ((std::fabs(y1 - y2) < 0.55f && std::fabs(y1 - y3) < 0.55f) || NearlyCollinear(x1, y1, x2, y2, x3, y3)) {
        StraightCurve(x1, y1, x2, y2);
        return result;
    }

    SetPenWidth(1);
    const int n = CurveSampleCount(t);
    const float thickness = SizeThickness(t) * (0.045f * H * 0.7f);
    std::array<TPoint, kCrescentPoints> pts{};
    if (!ArcPointsThrough3Points(d, x1, y1, x2, y2, x3, y3, pts.data(), n)) {
        // No centre the circle can be drawn about: the chord instead.
        StraightCurve(x1, y1, x2, y2);
        return result;
    }

    const TPoint start{static_cast<int>(x1), static_cast<int>(y1)};
    const TPoint through{static_cast<int>(x3), static_cast<int>(y3)};
    const TPoint end{static_cast<int>(x2), static_cast<int>(y2)};
    if (CrossProductPositive(start, through, end)) {
        result = pts[static_cast<size_t>(n - 3)];
        x2 = static_cast<float>(pts[static_cast<size_t>(n - 1)].x);
        y2 = static_cast<float>(pts[static_cast<size_t>(n - 1)].y);
    } else {
        result = pts[3];
        x2 = static_cast<float>(pts[0].x);
        y2 = static_cast<float>(pts[0].y);
    }

    const float phi = std::atan2(y2 - y1, x1 - x2);
    const float ox = std::sin(phi), oy = std::cos(phi);
    const float step = 4.0f * thickness / static_cast<float>(n - 1);
    const bool taperEnd = swap ? mode != -1 : mode != 1;
    const bool taperStart = swap ? mode != 1 : mode != -1;
    for (int k = 0; k < n; ++k) {
        const int i = n - 1 - k;
        const float len = InnerOffset(k, i, n, step, thickness, taperEnd, taperStart);
        pts[static_cast<size_t>(n + k)] =
            TPoint{pts[static_cast<size_t>(i)].x + Round(ox * len), pts[static_cast<size_t>(i)].y + Round(oy * len)};
    }
    FillCrescent(d, std::vector<TPoint>(pts.begin(), pts.begin() + 2 * n));
    return result;
}

// ---- tuplet number ----

namespace {

// Selects the tuplet number's font: bold italic Times, in whole points on
// screen and the same size on paper.
void SelectTupletNumberFont() {
    const TMainView* mv = MainView();
    // The draw unit in page pixels (the font's points on screen).
    const float U = static_cast<float>(mv->DrawUnit * mv->Zoom);
    SetCanvasFont("Times New Roman", 0, fsBold | fsItalic);
    SetFontSize(PagePixelPoints(std::ceil(0.6f * U)));
}

void RestoreNoteFontAfterNumber() {
    const TMainView* mv = MainView();
    const std::string face = DecodeForDisplay(mv->NoteFontName, mv->NoteFontCharset).value_or(mv->NoteFontName);
    SetCanvasFont(face, 0, mv->NoteFontStyle);
}

} // namespace

TSize TupletNumberExtent(int number) {
    SelectTupletNumberFont();
    const TSize e = CanvasTextExtent(std::to_string(number));
    RestoreNoteFontAfterNumber();
    return e;
}

void DrawTupletNumber(TDrawEngine* d, float x, float y, int number, bool useBackground) {
    TMainView* mv = MainView();
    const float H = RowH();
    // The draw unit in page pixels (the font's points on screen).
    const float U = static_cast<float>(mv->DrawUnit * mv->Zoom);
    y -= 0.1f * H;
    const std::string text = std::to_string(number);
    SelectTupletNumberFont();
    SetFontColor(d->CurColor);
    const TSize e = CanvasTextExtent(text);
    const float w = static_cast<float>(e.cx), h = static_cast<float>(e.cy);
    if (useBackground) {
        SetBrushColor(d->BkColor);
        ClearCanvasRect(x - 0.3f * w, y, x + 1.3f * w, y + 0.4f * h);
    }
    SetBrushStyle(bsClear);
    CanvasTextOut(x, y - 0.3f * U, text);
    RestoreNoteFontAfterNumber();
}
