#pragma once
// Main-window arithmetic that needs no widgets: numbered picture files, the
// slice view's layout, keeping a tool window inside the main window.
#include <string>

// The next existing file of a numbered series: for "scan007.jpg" the first of
// scan8.jpg, scan08.jpg, scan008.jpg that exists, then 9 and so on up to 999.
// The number is a run of at most 3 trailing digits with at least two
// characters before it. "" when none exists or the name has no number.
std::string NextNumberedFileName(const std::string& fileName);

// The slice view for a paper and a screen: mode 1 one page, 2 two pages side
// by side, 3 fit to width; the gap between two pages in pixels.
struct TSliceLayout {
    int Mode = 1;
    int Gap = 0;
};
TSliceLayout SliceViewLayout(double paperWidth, double paperHeight, int screenWidth, int screenHeight,
                             int screenPixelsPerInch, int cellWidthPx);

// Where a tool window goes so that it stays inside the main window.
struct TToolPlace {
    int Left = 0;
    int Top = 0;
};
TToolPlace KeepToolWindowInside(int left, int top, int width, int height, int mainLeft, int mainWidth,
                                int mainHeight);
