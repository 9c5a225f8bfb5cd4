#pragma once
// A main window's page drawn on an image, for the pixel tests:
//
//   FitPaintBox(fx.view, cols, rows, 2.0);  // zoom and a paint box the page's size
//   TPageImage page(fx.view);                // draws the page on a grey image
//   EXPECT_TRUE(Inked(page.image, x0, y0, x1, y1, bk));
//
// The view draws on the image's canvas while the object lives.
#include <QImage>
#include <algorithm>

#include "model/modTQUtil.h"
#include "platform/gui/TQQtCanvas.h"
#include "render/modTQMainView.h"

// The test pages' default cell size (15 x 30 page units: a staff space is a
// quarter of a row, half a column) and margins.
inline void SetDefaultPageGeometry(TMainView& v) {
    v.CellWidth = 15;
    v.CellHeight = 30;
    v.DrawUnit = 15;
    v.LeftMargin = 60;
    v.TopMargin = 50;
    v.RightMargin = 30;
    v.BottomMargin = 40;
}

// Sets the zoom and sizes the paint box to a page of cols x rows cells.
inline void FitPaintBox(TMainView& v, int cols, int rows, double zoom) {
    v.Zoom = zoom;
    v.PaintBoxWidth = RoundToInt((v.LeftMargin + v.CellWidth * cols + v.RightMargin) * zoom);
    v.PaintBoxHeight = RoundToInt((v.TopMargin + v.CellHeight * rows + v.BottomMargin) * zoom);
}

class TPageImage {
public:
    explicit TPageImage(TMainView& v)
        : image(v.PaintBoxWidth, v.PaintBoxHeight, QImage::Format_RGB32), view_(v) {
        image.fill(Qt::gray);
        v.PaintBoxCanvas = &canvas;
        v.OutCanvas = &canvas;
        v.RedrawPage();
        canvas.End();
    }
    ~TPageImage() {
        view_.OutCanvas = nullptr;
        view_.PaintBoxCanvas = nullptr;
    }
    TPageImage(const TPageImage&) = delete;
    TPageImage& operator=(const TPageImage&) = delete;

    QImage image;
    TQtCanvas canvas{&image};

private:
    TMainView& view_;
};

inline TColor PixelAt(const QImage& image, int x, int y) { return QRgbToTColor(image.pixel(x, y)); }

// Whether any pixel of the rectangle (clipped to the image) differs from the
// background.
inline bool Inked(const QImage& image, int x0, int y0, int x1, int y1, TColor background) {
    for (int y = std::max(0, y0); y < std::min(image.height(), y1); ++y)
        for (int x = std::max(0, x0); x < std::min(image.width(), x1); ++x)
            if (PixelAt(image, x, y) != background)
                return true;
    return false;
}
