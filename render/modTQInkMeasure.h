#pragma once
// Where a drawing puts its ink: the drawing is made once on a scratch image at
// the output canvas's resolution, with the output canvas's pen, brush and font,
// and the pixels it darkens are measured. Drawers use it to fit a sign into the
// room its neighbours leave, whatever font or picture the sign comes from.
#include <functional>
#include <string>
#include <vector>

struct TInkBox {
    float left = 0.0f, top = 0.0f, right = 0.0f, bottom = 0.0f; // relative to the drawing point
    bool empty = true;
    // Per pixel row from top: where the ink starts and ends (left > right on a
    // row without ink), relative to the drawing point.
    std::vector<float> rowLeft, rowRight;
    // Per pixel column from left: where the ink starts and ends (top > bottom
    // on a column without ink).
    std::vector<float> colTop, colBottom;
    float Width() const { return empty ? 0.0f : right - left; }
    float Height() const { return empty ? 0.0f : bottom - top; }
};

// The ink of draw(x, y) relative to (x, y), for drawings that stay within
// reach pixels of their point. Results are kept under key (which must name
// everything the drawing depends on besides the output canvas's resolution);
// an empty key measures every time.
TInkBox MeasureInk(const std::string& key, int reach, const std::function<void(float x, float y)>& draw);

// True while a measurement is being drawn (drawers skip what they would
// measure themselves).
bool MeasuringInk();
