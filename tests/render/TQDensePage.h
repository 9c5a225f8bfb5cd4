#pragma once
// A dense 60 x 40 page for the pixel tests and the drawing benchmark: Jianpu
// rows full of underlined notes and bar lines in layer 0, bar lines in layer 1,
// highlights and a selection, at the default cell size (15 x 30 page units).
#include <string>

#include "model/modTQUtil.h"
#include "tests/render/TQPageImage.h"
#include "tests/render/TQViewFixture.h"

constexpr int kDenseCols = 60;
constexpr int kDenseRows = 40;

// Columns 0..59 of layer-0 rows: even rows start a pattern of 12 cells, odd
// rows another; layer 1 holds a bar every 7 columns on every third row, and
// underlined notes where the even rows of layer 0 have a gap (column 9 + 12k).
inline void BuildDensePage(TViewFixture& fx) {
    TMainView& v = fx.view;
    SetDefaultPageGeometry(v);
    const std::string even = "1_ 2_ 3__ 4__ | 5 6_ 7_{dot=1} 1 ~ 2 |";
    const std::string odd = "3 - 5__ 6__ :| |: 1_ 2_ 3 4 5 ||";
    for (int r = 0; r < kDenseRows; ++r) {
        std::string picture;
        for (int k = 0; k < kDenseCols / 12; ++k)
            picture += (r % 2 == 0 ? even : odd) + " ";
        fx.Row(r, picture);
    }
    for (int r = 0; r < kDenseRows; r += 3)
        for (int c = 3; c < kDenseCols; c += 7)
            fx.At(c, r, 1) = TScoreFixture::Cell("|");
    for (int r = 0; r < kDenseRows; r += 2)
        for (int c = 9; c < kDenseCols; c += 12)
            fx.At(c, r, 1) = TScoreFixture::Cell("5__");
    v.Highlights = {{20, 25, 3, 0, 0}, {0, kDenseCols - 1, 8, 0, 1}};
    v.SelCol0 = 30;
    v.SelRow0 = 10;
    v.SelCol1 = 33;
    v.SelRow1 = 12;
    v.ShowGrid = true;
}

// Sets the zoom and sizes the paint box to the page.
inline void SetDenseZoom(TViewFixture& fx, double zoom) { FitPaintBox(fx.view, kDenseCols, kDenseRows, zoom); }
