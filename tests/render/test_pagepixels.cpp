// A dense page drawn on an image at zoom 1 and 2, checked where the drawing
// rules fix the pixels.
#include <gtest/gtest.h>

#include <QImage>
#include <string>

#include "render/modTQOverlay.h"
#include "tests/render/TQDensePage.h"
#include "tests/support/TQTestSupport.h"

TEST(PagePixels, DensePageAtZoomOneAndTwo) {
    for (double zoom : {1.0, 2.0}) {
        TViewFixture fx(kDenseCols, kDenseRows, 1);
        BuildDensePage(fx);
        SetDenseZoom(fx, zoom);
        TMainView& v = fx.view;
        TDrawEngine& e = v.DrawEngine;
        TPageImage page(v);
        QImage& image = page.image;
        tqtest::SavePngIfWanted(image, "render_dense_page_zoom" + std::to_string(static_cast<int>(zoom)));
        const std::string where = "zoom " + std::to_string(zoom);

        const float u = static_cast<float>(v.GetCellWidth()); // x unit
        const float w = static_cast<float>(v.GetCellHeight()); // y unit
        const int L = e.GetLeftMarginPx(), T = e.GetTopMarginPx();
        auto cellX = [&](int c) { return static_cast<float>(L) + u * static_cast<float>(c); };
        auto cellY = [&](int r) { return static_cast<float>(T) + w * static_cast<float>(r); };

        // The whole page background, the margins included.
        EXPECT_EQ(PixelAt(image, 1, 1), e.BkColor) << where;
        EXPECT_EQ(PixelAt(image, v.PaintBoxWidth - 2, v.PaintBoxHeight - 2), e.BkColor) << where;

        // A grid line between two cells, half a row down.
        EXPECT_EQ(PixelAt(image, L + 10 * RoundToInt(u), RoundToInt(cellY(5) + w / 2)), e.GridColor) << where;

        // The thick bar of column 4, row 0: from 0.52 x unit, 0.12 x unit wide, a row high.
        const int barX = RoundToInt(cellX(4) + 0.52f * u);
        const int barW = static_cast<int>(0.12f * u);
        for (int dx = 0; dx < barW; ++dx)
            EXPECT_EQ(PixelAt(image, barX + dx, RoundToInt(cellY(0) + w / 2)), e.MainLayerColor) << where;
        EXPECT_EQ(PixelAt(image, barX + barW, RoundToInt(cellY(0) + w / 2)), e.BkColor) << where;

        // The underline of column 0, row 0, 0.83 y unit down, 0.12 x unit high.
        const int lineY = RoundToInt(cellY(0) + 0.83f * w);
        EXPECT_EQ(PixelAt(image, RoundToInt(cellX(0) + u / 2), lineY), e.MainLayerColor) << where;
        EXPECT_EQ(PixelAt(image, RoundToInt(cellX(0) + u / 2), lineY - 1), e.BkColor) << where;
        // "4__" in column 3: two lines, the second ceil(0.1 y unit) lower
        const int spacing = static_cast<int>(std::ceil(0.1f * w - 1e-4f));
        EXPECT_EQ(PixelAt(image, RoundToInt(cellX(3) + u / 2), lineY + spacing), e.MainLayerColor) << where;

        // The other layer's underlines (column 9, row 0, where layer 0 is empty) in
        // grey; its bar lines keep the main ink (a bar's colour is its own).
        EXPECT_EQ(PixelAt(image, RoundToInt(cellX(9) + u / 2), lineY), e.HidenLayerColor) << where;
        EXPECT_EQ(PixelAt(image, RoundToInt(cellX(10) + 0.52f * u), RoundToInt(cellY(0) + w / 2)), e.MainLayerColor)
            << where;

        // The highlighted run of row 3 (columns 20..25) in light yellow, framed in
        // yellow (its top and left edges lie under the grid lines).
        // (a corner of the cell that its note leaves free)
        EXPECT_EQ(PixelAt(image, RoundToInt(cellX(23)) - 1, RoundToInt(cellY(4)) - 2), e.HighlightFillColor) << where;
        EXPECT_EQ(PixelAt(image, RoundToInt(cellX(22) + 0.2f * u), RoundToInt(cellY(4)) - 1), e.SelectionColor) << where;
        EXPECT_EQ(PixelAt(image, RoundToInt(cellX(26)) - 1, RoundToInt(cellY(4)) - 2), e.SelectionColor) << where;

        // The selection frame is XOR: drawn twice, the page is as it was.
        const int frameY = RoundToInt(cellY(10)) + 1;
        const int frameX = RoundToInt(cellX(31));
        const TColor under = PixelAt(image, frameX, frameY);
        const QImage before = image.copy();
        DrawCurrentSelection(&e);
        page.canvas.End();
        EXPECT_NE(PixelAt(image, frameX, frameY), under) << where;
        DrawCurrentSelection(&e);
        page.canvas.End();
        EXPECT_TRUE(image == before) << where;
    }
}
