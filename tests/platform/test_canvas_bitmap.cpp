// Bitmaps: their canvas, files, transparency and monochrome pictures.
#include <gtest/gtest.h>

#include "platform/gui/TQBitmap.h"
#include "platform/gui/TQQtCanvas.h"
#include "tests/support/TQTestSupport.h"

#include <QFile>
#include <QImage>
#include <QImageReader>

#include <fstream>

namespace {

constexpr TColor kGreen = 0x00C000;

// A 4 x 4 picture: white frame around a black 2 x 2 centre, one red corner pixel
// at the top right.
TBitmap Sample() {
    TBitmap b(4, 4);
    b.Canvas().Brush.Color = clWhite;
    b.Canvas().FillRect({0, 0, 4, 4});
    b.Canvas().Brush.Color = clBlack;
    b.Canvas().FillRect({1, 1, 3, 3});
    b.SetPixel(3, 0, clRed);
    return b;
}

// A canvas filled with green, with the bitmap drawn at (2, 2).
struct Target {
    QImage image{12, 12, QImage::Format_RGB32};
    TQtCanvas canvas{&image};
    Target() { image.fill(TColorToQRgb(kGreen)); }
    TColor At(int x, int y) { return canvas.GetPixel(x, y); }
};

TEST(Bitmap, SizeAndCanvasDrawing) {
    TBitmap b;
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Pixel(0, 0), -1);
    b.SetSize(5, 3);
    EXPECT_EQ(b.Width(), 5);
    EXPECT_EQ(b.Height(), 3);
    EXPECT_EQ(b.Pixel(4, 2), clWhite);
    b.Canvas().Pen.Color = clRed;
    b.Canvas().MoveTo(0, 1);
    b.Canvas().LineTo(5, 1);
    EXPECT_EQ(b.Pixel(4, 1), clRed);
    EXPECT_EQ(b.Canvas().Size(), (TSize{5, 3}));
    // Growing keeps the picture at the top-left and adds white.
    EXPECT_TRUE(b.SetSize(8, 6));
    EXPECT_EQ(b.Pixel(4, 1), clRed);
    EXPECT_EQ(b.Pixel(7, 5), clWhite);
    // The canvas keeps working on the new size.
    b.Canvas().Brush.Color = kGreen;
    b.Canvas().FillRect({6, 4, 8, 6});
    EXPECT_EQ(b.Pixel(7, 5), kGreen);
    b.SetSize(2, 2);
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(b.Pixel(2, 2), -1);
    b.SetSize(0, 0);
    EXPECT_TRUE(b.Empty());
}

TEST(Bitmap, DrawHonoursTransparency) {
    struct Case {
        const char* name;
        bool transparent;
        TTransparentMode mode;
        TColor fixed;
        TColor atFrame, atCentre, atCorner; // after drawing
    };
    const Case cases[] = {
        {"opaque", false, tmAuto, 0, clWhite, clBlack, clRed},
        // Automatic: the bottom-left pixel (white) is left out.
        {"auto", true, tmAuto, 0, kGreen, clBlack, clRed},
        {"fixed red", true, tmFixed, clRed, clWhite, clBlack, kGreen},
    };
    for (const auto& c : cases) {
        TBitmap b = Sample();
        b.SetTransparent(c.transparent);
        if (c.mode == tmFixed)
            b.SetTransparentColor(c.fixed);
        Target t;
        t.canvas.Draw(2, 2, b);
        EXPECT_EQ(t.At(2, 2), c.atFrame) << c.name;
        EXPECT_EQ(t.At(3, 3), c.atCentre) << c.name;
        EXPECT_EQ(t.At(5, 2), c.atCorner) << c.name;
        EXPECT_EQ(t.At(6, 6), kGreen) << c.name;
    }
}

TEST(Bitmap, StretchDrawScalesAndHonoursTransparency) {
    TBitmap b = Sample();
    b.SetTransparent(true);
    Target t;
    t.canvas.StretchDraw({0, 0, 8, 8}, b); // twice the size
    EXPECT_EQ(t.At(0, 0), kGreen);
    EXPECT_EQ(t.At(2, 2), clBlack);
    EXPECT_EQ(t.At(5, 5), clBlack);
    EXPECT_EQ(t.At(6, 6), kGreen);
    EXPECT_EQ(t.At(7, 0), clRed);
    EXPECT_EQ(t.At(8, 8), kGreen);
    t.canvas.End();
    tqtest::SavePngIfWanted(t.image, "bitmap_stretch_transparent");
}

TEST(Bitmap, AutomaticTransparentColourFollowsTheBottomLeftPixel) {
    TBitmap b = Sample();
    b.SetTransparent(true);
    EXPECT_EQ(b.TransparentColor(), clWhite);
    Target first;
    first.canvas.Draw(0, 0, b);
    EXPECT_EQ(first.At(0, 0), kGreen);
    // Change the bottom-left pixel through the canvas: black becomes transparent.
    b.Canvas().Brush.Color = clBlack;
    b.Canvas().FillRect({0, 3, 1, 4});
    EXPECT_EQ(b.TransparentColor(), clBlack);
    Target second;
    second.canvas.Draw(0, 0, b);
    EXPECT_EQ(second.At(0, 0), clWhite);
    EXPECT_EQ(second.At(1, 1), kGreen);
    // Setting a colour switches to the fixed mode.
    b.SetTransparentColor(clRed);
    EXPECT_EQ(b.TransparentMode(), tmFixed);
    EXPECT_EQ(b.TransparentColor(), clRed);
}

TEST(Bitmap, CopiesAreIndependent) {
    TBitmap a = Sample();
    a.SetTransparent(true);
    a.SetTransparentColor(clRed);
    TBitmap b(a);
    TBitmap c;
    c.Assign(a);
    for (TBitmap* x : {&b, &c}) {
        EXPECT_EQ(x->Pixel(1, 1), clBlack);
        EXPECT_TRUE(x->Transparent());
        EXPECT_EQ(x->TransparentColor(), clRed);
        x->Canvas().Brush.Color = kGreen;
        x->Canvas().FillRect({0, 0, 4, 4});
    }
    EXPECT_EQ(a.Pixel(1, 1), clBlack);
    EXPECT_EQ(b.Pixel(1, 1), kGreen);
    a.Canvas().Brush.Color = clWhite;
    a.Canvas().FillRect({0, 0, 4, 4});
    EXPECT_EQ(c.Pixel(1, 1), kGreen);
}

TEST(Bitmap, DrawingABitmapOnItsOwnCanvas) {
    TBitmap b = Sample();
    b.SetSize(8, 4);
    b.Canvas().Draw(4, 0, b);
    EXPECT_EQ(b.Pixel(5, 1), clBlack);
    EXPECT_EQ(b.Pixel(7, 0), clRed);
}

TEST(Bitmap, BmpRoundTripIsExact) {
    tqtest::TempDir dir;
    TBitmap b(30, 20);
    b.Canvas().Brush.Color = 0x123456;
    b.Canvas().FillRect({0, 0, 15, 20});
    b.Canvas().Pen.Color = clRed;
    b.Canvas().Brush.Style = bsClear;
    b.Canvas().Ellipse(2, 2, 28, 18);
    const std::string path = (dir / "pic.bmp").string();
    ASSERT_TRUE(b.SaveToFile(path));
    EXPECT_EQ(QImageReader(QString::fromStdString(path)).format(), "bmp");
    TBitmap c;
    ASSERT_TRUE(c.LoadFromFile(path));
    ASSERT_EQ(c.Width(), 30);
    ASSERT_EQ(c.Height(), 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(c.Pixel(x, y), b.Pixel(x, y)) << x << "," << y;
}

TEST(Bitmap, JpegIsRecognisedByContentWhateverTheExtension) {
    tqtest::TempDir dir;
    TBitmap b(40, 30);
    b.Canvas().Brush.Color = 0x2050A0;
    b.Canvas().FillRect({0, 0, 20, 30});
    // JPEG data under a ".bmp" name, and under ".jpg".
    for (const char* name : {"page.bmp", "page.jpg"}) {
        const std::string path = (dir / name).string();
        ASSERT_TRUE(b.SaveToFile(path, TImageFormat::Jpeg)) << name;
        EXPECT_EQ(QImageReader(QString::fromStdString(path)).format(), "jpeg") << name;
        TBitmap c;
        ASSERT_TRUE(c.LoadFromFile(path)) << name;
        EXPECT_EQ(c.Width(), 40);
        TColor p = c.Pixel(5, 15);
        EXPECT_NEAR(GetRValue(p), 0xA0, 8) << name;
        EXPECT_NEAR(GetGValue(p), 0x50, 8) << name;
        EXPECT_NEAR(GetBValue(p), 0x20, 8) << name;
        EXPECT_EQ(c.Pixel(35, 15), clWhite) << name;
    }
}

TEST(Bitmap, GreyscaleJpeg) {
    tqtest::TempDir dir;
    TBitmap b(16, 16);
    b.Canvas().Brush.Color = clRed;
    b.Canvas().FillRect({0, 0, 16, 16});
    const std::string path = (dir / "grey.jpg").string();
    ASSERT_TRUE(b.SaveToFile(path, TImageFormat::Jpeg, 90, true));
    QImage img(QString::fromStdString(path));
    ASSERT_FALSE(img.isNull());
    EXPECT_TRUE(img.isGrayscale());
}

TEST(Bitmap, FailedLoadLeavesTheBitmapUnchanged) {
    tqtest::TempDir dir;
    const std::string png = (dir / "pic.png").string();
    QImage(4, 4, QImage::Format_RGB32).save(QString::fromStdString(png), "PNG");
    const std::string junk = (dir / "junk.bmp").string();
    std::ofstream(junk) << "BM this is not a picture";
    // Cut-off files: the readers would fill the missing part and succeed.
    const std::string cutBmp = (dir / "cut.bmp").string(), cutJpeg = (dir / "cut.jpg").string();
    {
        TBitmap big(64, 64);
        big.Canvas().Brush.Color = clRed;
        big.Canvas().Ellipse(3, 3, 60, 60);
        ASSERT_TRUE(big.SaveToFile(cutBmp));
        ASSERT_TRUE(big.SaveToFile(cutJpeg, TImageFormat::Jpeg));
        for (const std::string& path : {cutBmp, cutJpeg}) {
            QFile f(QString::fromStdString(path));
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            f.resize(f.size() * 2 / 3);
        }
    }
    for (const std::string& path : {png, junk, cutBmp, cutJpeg, (dir / "missing.bmp").string()}) {
        TBitmap b = Sample();
        EXPECT_FALSE(b.LoadFromFile(path)) << path;
        EXPECT_EQ(b.Width(), 4) << path;
        EXPECT_EQ(b.Pixel(1, 1), clBlack) << path;
    }
}

TEST(Bitmap, FailedSaveKeepsTheOldFile) {
    tqtest::TempDir dir;
    const std::string path = (dir / "keep.bmp").string();
    TBitmap good = Sample();
    ASSERT_TRUE(good.SaveToFile(path));
    TBitmap empty;
    EXPECT_FALSE(empty.SaveToFile(path));
    EXPECT_FALSE(good.SaveToFile((dir / "no" / "such" / "folder.bmp").string()));
    TBitmap back;
    ASSERT_TRUE(back.LoadFromFile(path));
    EXPECT_EQ(back.Pixel(3, 0), clRed);
}

TEST(Bitmap, MonochromeHoldsBlackAndWhite) {
    tqtest::TempDir dir;
    TBitmap b(20, 10);
    b.SetMonochrome(true);
    b.Canvas().Brush.Color = 0x404040; // dark grey: black
    b.Canvas().FillRect({0, 0, 10, 10});
    b.Canvas().Brush.Color = 0xC0C0C0; // light grey: white
    b.Canvas().FillRect({10, 0, 20, 10});
    EXPECT_EQ(b.Pixel(5, 5), clBlack);
    EXPECT_EQ(b.Pixel(15, 5), clWhite);
    // Drawn in black and white on other canvases too.
    Target t;
    t.canvas.Draw(0, 0, b);
    EXPECT_EQ(t.At(5, 5), clBlack);
    const std::string path = (dir / "mono.bmp").string();
    ASSERT_TRUE(b.SaveToFile(path));
    QImageReader reader(QString::fromStdString(path));
    QImage img = reader.read();
    EXPECT_EQ(img.depth(), 1);
    TBitmap c;
    ASSERT_TRUE(c.LoadFromFile(path));
    EXPECT_EQ(c.Pixel(5, 5), clBlack);
    EXPECT_EQ(c.Pixel(15, 5), clWhite);
    // Switching monochrome on turns an existing colour picture to black and white.
    TBitmap d = Sample();
    d.SetMonochrome(true);
    EXPECT_EQ(d.Pixel(3, 0), clBlack); // red is dark
}

} // namespace
