// The Qt canvas keeps the Windows drawing rules, checked on pixels.
#include <gtest/gtest.h>

#include "platform/gui/TQBitmap.h"
#include "platform/gui/TQGlyphMap.h"
#include "platform/gui/TQQtCanvas.h"
#include "tests/support/TQTestSupport.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <functional>
#include <sstream>

namespace {

constexpr TColor kGreen = 0x00C000;
constexpr TColor kBlue = 0xFF0000;

struct InkBox {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1, count = 0;
    bool empty() const { return count == 0; }
    int width() const { return empty() ? 0 : right - left + 1; }
    int height() const { return empty() ? 0 : bottom - top + 1; }
};

// Pixels that differ from the background (dark ones only when darkOnly).
InkBox Ink(const QImage& img, TColor background = clWhite, bool darkOnly = false) {
    InkBox b;
    QRgb bg = TColorToQRgb(background);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            QRgb c = img.pixel(x, y) | 0xFF000000u;
            bool ink = darkOnly ? qGray(c) < 128 : c != bg;
            if (!ink)
                continue;
            b.left = std::min(b.left, x);
            b.right = std::max(b.right, x);
            b.top = std::min(b.top, y);
            b.bottom = std::max(b.bottom, y);
            ++b.count;
        }
    return b;
}

std::string Picture(const QImage& img) {
    std::ostringstream o;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            QRgb c = img.pixel(x, y) | 0xFF000000u;
            o << (c == 0xFFFFFFFFu ? '.' : c == 0xFF000000u ? '#' : 'o');
        }
        o << '\n';
    }
    return o.str();
}

struct Surface {
    QImage image;
    TQtCanvas canvas;
    explicit Surface(int w = 32, int h = 24, TColor bg = clWhite)
        : image(w, h, QImage::Format_RGB32), canvas(&image) {
        image.fill(TColorToQRgb(bg));
    }
    TColor At(int x, int y) { return canvas.GetPixel(x, y); }
    const QImage& Done() {
        canvas.End();
        return image;
    }
};

// ---------------------------------------------------------------------------
// Lines and shapes

struct PixelCase {
    const char* name;
    std::function<void(TCanvas&)> draw;
    InkBox box;                                // expected bounding box of the ink (count unchecked)
    std::vector<std::pair<TPoint, TColor>> at; // pixels with their expected colour
};

InkBox Box(int l, int t, int r, int b) {
    InkBox x;
    x.left = l, x.top = t, x.right = r, x.bottom = b, x.count = 1;
    return x;
}

class WindowsRules : public ::testing::TestWithParam<PixelCase> {};

TEST_P(WindowsRules, DrawsExactlyThesePixels) {
    const PixelCase& c = GetParam();
    Surface s;
    s.canvas.Pen.Color = clBlack;
    s.canvas.Brush.Style = bsClear;
    c.draw(s.canvas);
    for (const auto& [pt, colour] : c.at)
        EXPECT_EQ(s.At(pt.x, pt.y), colour) << c.name << " at " << pt.x << "," << pt.y << "\n"
                                            << Picture(s.image);
    InkBox ink = Ink(s.Done());
    if (c.box.empty()) {
        EXPECT_TRUE(ink.empty()) << c.name << "\n" << Picture(s.image);
    } else {
        EXPECT_EQ(ink.left, c.box.left) << c.name << "\n" << Picture(s.image);
        EXPECT_EQ(ink.top, c.box.top) << c.name << "\n" << Picture(s.image);
        EXPECT_EQ(ink.right, c.box.right) << c.name << "\n" << Picture(s.image);
        EXPECT_EQ(ink.bottom, c.box.bottom) << c.name << "\n" << Picture(s.image);
    }
    tqtest::SavePngIfWanted(s.image, std::string("canvas_rule_") + c.name);
}

void Solid(TCanvas& c, TColor brush) {
    c.Brush.Style = bsSolid;
    c.Brush.Color = brush;
}

INSTANTIATE_TEST_SUITE_P(
    Canvas, WindowsRules,
    ::testing::Values(
        PixelCase{"LineToRightLeavesEndPixel", [](TCanvas& c) { c.MoveTo(2, 5); c.LineTo(10, 5); }, Box(2, 5, 9, 5),
                  {{{2, 5}, clBlack}, {{9, 5}, clBlack}, {{10, 5}, clWhite}}},
        PixelCase{"LineToLeftLeavesEndPixel", [](TCanvas& c) { c.MoveTo(10, 5); c.LineTo(2, 5); }, Box(3, 5, 10, 5),
                  {{{10, 5}, clBlack}, {{2, 5}, clWhite}}},
        PixelCase{"LineToUpLeavesEndPixel", [](TCanvas& c) { c.MoveTo(4, 12); c.LineTo(4, 3); }, Box(4, 4, 4, 12),
                  {{{4, 3}, clWhite}}},
        PixelCase{"LineToDiagonalLeavesEndPixel", [](TCanvas& c) { c.MoveTo(2, 2); c.LineTo(8, 8); },
                  Box(2, 2, 7, 7), {{{5, 5}, clBlack}, {{8, 8}, clWhite}}},
        PixelCase{"LineToBackDiagonalLeavesEndPixel", [](TCanvas& c) { c.MoveTo(8, 8); c.LineTo(2, 2); },
                  Box(3, 3, 8, 8), {{{2, 2}, clWhite}}},
        PixelCase{"LineToSamePointDrawsNothing", [](TCanvas& c) { c.MoveTo(5, 5); c.LineTo(5, 5); }, InkBox{}, {}},
        PixelCase{"ClearPenDrawsNoLine", [](TCanvas& c) { c.Pen.Style = psClear; c.MoveTo(2, 5); c.LineTo(10, 5); },
                  InkBox{}, {}},
        PixelCase{"PolylineLeavesLastPoint",
                  [](TCanvas& c) { c.Polyline({{2, 2}, {10, 2}, {10, 8}}); }, Box(2, 2, 10, 7),
                  {{{10, 2}, clBlack}, {{10, 7}, clBlack}, {{10, 8}, clWhite}}},
        PixelCase{"WidePenIsThreeRowsThick",
                  [](TCanvas& c) { c.Pen.Width = 3; c.MoveTo(6, 10); c.LineTo(20, 10); }, Box(5, 9, 21, 11),
                  {{{12, 9}, clBlack}, {{12, 11}, clBlack}, {{12, 12}, clWhite}}},
        PixelCase{"RectangleExcludesRightAndBottom",
                  [](TCanvas& c) { Solid(c, clRed); c.Rectangle(2, 3, 10, 9); }, Box(2, 3, 9, 8),
                  {{{2, 3}, clBlack}, {{9, 8}, clBlack}, {{5, 5}, clRed}, {{10, 5}, clWhite}, {{5, 9}, clWhite}}},
        PixelCase{"RectangleReversedCorners",
                  [](TCanvas& c) { c.Rectangle(10, 9, 2, 3); }, Box(2, 3, 9, 8), {{{5, 5}, clWhite}}},
        PixelCase{"RectangleWithClearPenIsOnePixelSmaller",
                  [](TCanvas& c) { Solid(c, clRed); c.Pen.Style = psClear; c.Rectangle(2, 3, 10, 9); },
                  Box(2, 3, 8, 7), {{{2, 3}, clRed}, {{8, 7}, clRed}, {{9, 8}, clWhite}}},
        PixelCase{"FillRectExcludesRightAndBottom",
                  [](TCanvas& c) { Solid(c, clRed); c.FillRect({2, 3, 10, 9}); }, Box(2, 3, 9, 8),
                  {{{2, 3}, clRed}, {{9, 8}, clRed}}},
        PixelCase{"FillRectEmptyDrawsNothing",
                  [](TCanvas& c) { Solid(c, clRed); c.FillRect({5, 5, 5, 9}); }, InkBox{}, {}},
        PixelCase{"EllipseExcludesRightAndBottom",
                  [](TCanvas& c) { c.Ellipse(2, 2, 14, 12); }, Box(2, 2, 13, 11),
                  {{{8, 2}, clBlack}, {{2, 7}, clBlack}, {{8, 7}, clWhite}}},
        PixelCase{"EllipseWithClearPenIsOnePixelSmaller",
                  [](TCanvas& c) { Solid(c, clRed); c.Pen.Style = psClear; c.Ellipse(2, 2, 14, 12); },
                  Box(2, 2, 12, 10), {{{7, 6}, clRed}}},
        PixelCase{"FilledEllipseKeepsOutlineAndFill",
                  [](TCanvas& c) { Solid(c, clRed); c.Ellipse(2, 2, 14, 12); }, Box(2, 2, 13, 11),
                  {{{8, 2}, clBlack}, {{8, 7}, clRed}}},
        PixelCase{"PolygonWithClearPenExcludesRightAndBottom",
                  [](TCanvas& c) {
                      Solid(c, clRed);
                      c.Pen.Style = psClear;
                      c.Polygon({{2, 3}, {10, 3}, {10, 9}, {2, 9}});
                  },
                  Box(2, 3, 9, 8), {{{2, 3}, clRed}, {{9, 8}, clRed}}},
        PixelCase{"PolygonWithPenCoversItsCorners",
                  [](TCanvas& c) { Solid(c, clRed); c.Polygon({{2, 3}, {10, 3}, {10, 9}, {2, 9}}); },
                  Box(2, 3, 10, 9), {{{10, 9}, clBlack}, {{5, 5}, clRed}}},
        // Arcs run counter-clockwise from the start ray to the end ray.
        PixelCase{"ArcQuarterFromEastToNorth",
                  [](TCanvas& c) { c.Arc(2, 2, 23, 23, 30, 12, 12, 0); }, Box(12, 2, 22, 12), {}},
        PixelCase{"ArcThreeQuartersFromNorthToEast",
                  [](TCanvas& c) { c.Arc(2, 2, 23, 23, 12, 0, 30, 12); }, Box(2, 2, 22, 22),
                  {{{19, 5}, clWhite}, {{17, 7}, clWhite}}},
        PixelCase{"ArcSameRaysIsTheWholeEllipse",
                  [](TCanvas& c) { c.Arc(2, 2, 23, 23, 30, 12, 30, 12); }, Box(2, 2, 22, 22), {}},
        // On a flat ellipse the arc ends where the ray meets the ellipse: the ray
        // at 45 degrees from the centre (20, 10) meets it near (29, 1), not at
        // the ellipse's 45-degree parameter (34, 3).
        PixelCase{"ArcEndsOnTheRayOfAFlatEllipse",
                  [](TCanvas& c) { c.Arc(0, 0, 41, 21, 30, 0, 20, 0); }, Box(20, 0, 29, 1), {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct DashCase {
    const char* name;
    TPenStyle style;
    int width;
    std::vector<int> inked; // x positions that must have ink
    std::vector<int> blank; // x positions that must not
};

class PenStyles : public ::testing::TestWithParam<DashCase> {};

TEST_P(PenStyles, OneRowPattern) {
    const DashCase& c = GetParam();
    Surface s(64, 8);
    s.canvas.Pen.Style = c.style;
    s.canvas.Pen.Width = c.width;
    s.canvas.Brush.Style = bsClear;
    s.canvas.MoveTo(0, 4);
    s.canvas.LineTo(60, 4);
    for (int x : c.inked)
        EXPECT_EQ(s.At(x, 4), clBlack) << c.name << " x=" << x;
    for (int x : c.blank)
        EXPECT_EQ(s.At(x, 4), clWhite) << c.name << " x=" << x;
}

INSTANTIATE_TEST_SUITE_P(Canvas, PenStyles,
                         ::testing::Values(DashCase{"Solid", psSolid, 1, {0, 20, 59}, {60}},
                                           DashCase{"Dash", psDash, 1, {0, 17, 24, 41}, {18, 23, 42, 47}},
                                           DashCase{"Dot", psDot, 1, {0, 2, 6, 8}, {3, 5, 9, 11}},
                                           DashCase{"DashDot", psDashDot, 1, {0, 8, 15, 17}, {9, 14, 18, 23}},
                                           DashCase{"WideDashIsSolid", psDash, 2, {0, 18, 20, 23, 40}, {}},
                                           DashCase{"Clear", psClear, 1, {}, {0, 20, 59}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Canvas, DashGapsTakeTheBrushColourWhileTheBrushIsSolid) {
    Surface s(40, 8);
    s.canvas.Pen.Style = psDash;
    s.canvas.Brush.Color = clRed;
    s.canvas.MoveTo(0, 4);
    s.canvas.LineTo(30, 4);
    EXPECT_EQ(s.At(5, 4), clBlack);
    EXPECT_EQ(s.At(20, 4), clRed);
    s.canvas.Brush.Style = bsClear;
    s.canvas.MoveTo(0, 6);
    s.canvas.LineTo(30, 6);
    EXPECT_EQ(s.At(20, 6), clWhite);
}

// ---------------------------------------------------------------------------
// Pen modes

QImage Backdrop() {
    QImage img(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, qRgb((x * 37) & 0xFF, (y * 53) & 0xFF, ((x + y) * 11) & 0xFF));
    return img;
}

TEST(Canvas, XorTwiceRestoresThePixels) {
    struct Case {
        const char* name;
        std::function<void(TCanvas&)> draw;
        TPoint on{3, 4}; // a pixel of the outline
    };
    const Case cases[] = {
        {"frame",
         [](TCanvas& c) {
             c.Brush.Style = bsClear;
             c.Rectangle(3, 4, 30, 25);
         }},
        {"filled",
         [](TCanvas& c) {
             c.Brush.Color = kGreen;
             c.Rectangle(3, 4, 30, 25);
         }},
        {"line",
         [](TCanvas& c) {
             c.MoveTo(3, 4);
             c.LineTo(35, 20);
         }},
        {"polyline",
         [](TCanvas& c) {
             c.Polyline({{20, 1}, {20, 20}, {3, 4}, {2, 28}});
         }},
        {"polygon",
         [](TCanvas& c) {
             c.Brush.Color = kGreen;
             c.Polygon({{3, 4}, {30, 4}, {16, 25}});
         }},
        {"wide",
         [](TCanvas& c) {
             c.Pen.Width = 3;
             c.MoveTo(3, 4);
             c.LineTo(35, 10);
         }},
        {"arc", [](TCanvas& c) { c.Arc(3, 4, 30, 25, 0, 0, 0, 30); }, {3, 14}},
        {"ellipse",
         [](TCanvas& c) {
             c.Brush.Color = kGreen;
             c.Ellipse(3, 4, 30, 25);
         },
         {3, 14}},
    };
    for (const auto& k : cases) {
        QImage img = Backdrop();
        const QImage before = img.copy();
        TQtCanvas c(&img);
        c.Pen.Mode = pmXor;
        c.Pen.Color = 0x3060F0;
        k.draw(c);
        EXPECT_FALSE(img == before) << k.name;
        // Every pixel is combined once: corners and joints changed too.
        EXPECT_NE(c.GetPixel(k.on.x, k.on.y), QRgbToTColor(before.pixel(k.on.x, k.on.y))) << k.name;
        k.draw(c);
        c.End();
        EXPECT_TRUE(img == before) << k.name;
    }
}

// Solid fills and level or upright one-pixel lines leave the pixels Qt's own
// painter leaves in the same state: on images of several formats, and with a
// clip, a transform or less than full opacity set through Painter().
TEST(Canvas, SolidFillsGiveQtsPixelsInEveryPainterState) {
    struct Case {
        const char* name;
        QImage::Format format;
        std::function<void(QPainter&)> state;
    };
    const Case cases[] = {
        {"plain", QImage::Format_RGB32, {}},
        {"premultiplied", QImage::Format_ARGB32_Premultiplied, {}},
        {"16-bit", QImage::Format_RGB16, {}},
        {"clipped", QImage::Format_RGB32, [](QPainter& p) { p.setClipRect(QRect(10, 6, 25, 12)); }},
        {"moved", QImage::Format_RGB32, [](QPainter& p) { p.translate(7, 3); }},
        {"half opacity", QImage::Format_RGB32, [](QPainter& p) { p.setOpacity(0.5); }},
    };
    const QColor green = QColor::fromRgb(TColorToQRgb(kGreen));
    const QColor blue = QColor::fromRgb(TColorToQRgb(kBlue));
    for (const Case& k : cases) {
        QImage img = Backdrop().convertToFormat(k.format);
        QImage expected = img.copy();
        {
            TQtCanvas c(&img);
            if (k.state)
                k.state(*c.Painter());
            c.Brush.Color = kGreen;
            c.Brush.Style = bsSolid;
            c.FillRect({2, 3, 20, 9});
            c.Pen.Color = kBlue;
            c.MoveTo(4, 20);
            c.LineTo(36, 20);
            c.MoveTo(30, 2);
            c.LineTo(30, 27);
            c.End();
        }
        {
            QPainter p(&expected);
            if (k.state)
                k.state(p);
            p.fillRect(QRect(2, 3, 18, 6), green);
            p.fillRect(QRect(4, 20, 32, 1), blue);  // the end pixel left out
            p.fillRect(QRect(30, 2, 1, 25), blue);
        }
        EXPECT_TRUE(img == expected) << k.name;
    }
}

TEST(Canvas, XorCombinesPenColourWithThePixel) {
    Surface s(20, 10, 0x0F0F0F);
    s.canvas.Pen.Mode = pmXor;
    s.canvas.Pen.Color = 0x00FF33;
    s.canvas.MoveTo(0, 5);
    s.canvas.LineTo(10, 5);
    EXPECT_EQ(s.At(4, 5), 0x0F0F0F ^ 0x00FF33);
    EXPECT_EQ(s.At(4, 6), 0x0F0F0F);
}

TEST(Canvas, NotModeInvertsAndXorLeavesTextAndFillRectAlone) {
    Surface s(40, 30, 0x204060);
    s.canvas.Pen.Mode = pmNot;
    s.canvas.MoveTo(0, 2);
    s.canvas.LineTo(10, 2);
    EXPECT_EQ(s.At(5, 2), 0xFFFFFF ^ 0x204060);
    s.canvas.Pen.Mode = pmXor;
    s.canvas.Brush.Color = clRed;
    s.canvas.FillRect({0, 5, 10, 10});
    EXPECT_EQ(s.At(5, 7), clRed);
    s.canvas.Brush.Style = bsClear;
    s.canvas.Font.Color = clBlack;
    s.canvas.Font.Size = 14;
    s.canvas.TextOut(2, 10, "I");
    EXPECT_EQ(Ink(s.Done(), 0x204060, true).count > 0, true);
}

// ---------------------------------------------------------------------------
// Text

TEST(Canvas, TextIsPlacedByTheTopLeftOfItsCell) {
    for (int size : {8, 12, 20, 36}) {
        Surface s(200, 100);
        s.canvas.Brush.Style = bsClear;
        s.canvas.Font.Name = "Arial";
        s.canvas.Font.Size = size;
        s.canvas.TextOut(20, 30, "H");
        QFont f("Liberation Sans");
        f.setPixelSize(static_cast<int>(std::floor(size * 96 / 72.0 + 0.5)));
        QFontMetricsF m(f, &s.image);
        InkBox ink = Ink(s.Done(), clWhite, true);
        ASSERT_FALSE(ink.empty()) << size;
        // The H stands on the baseline, ascent below the top of the cell.
        EXPECT_NEAR(ink.bottom + 1, 30 + m.ascent(), 1.01) << size;
        EXPECT_NEAR(ink.top, 30 + m.ascent() - m.capHeight(), 2.01) << size;
        EXPECT_GE(ink.left, 20) << size;
        EXPECT_LE(ink.left, 20 + size / 4 + 1) << size;
    }
}

TEST(Canvas, TextExtentIsTheFontMetricsOfTheDrawnFont) {
    Surface s;
    s.canvas.Font.Name = "Times New Roman";
    s.canvas.Font.Size = 15;
    QFont f("Liberation Serif");
    f.setPixelSize(20);
    QFontMetricsF m(f, &s.image);
    const std::string text = "Tonquill 123";
    TSize e = s.canvas.TextExtent(text);
    EXPECT_EQ(e.cx, static_cast<int>(std::floor(m.horizontalAdvance(QString::fromStdString(text)) + 0.5)));
    EXPECT_EQ(e.cy, static_cast<int>(std::floor(m.ascent() + m.descent() + 0.5)));
    EXPECT_EQ(s.canvas.TextWidth(text), e.cx);
    EXPECT_EQ(s.canvas.TextHeight(text), e.cy);
}

TEST(Canvas, TextInkStaysInsideItsExtentAndMovesThePen) {
    Surface s(300, 80);
    s.canvas.Brush.Style = bsClear;
    s.canvas.Font.Size = 18;
    const std::string text = "Wide text W";
    TSize e = s.canvas.TextExtent(text);
    s.canvas.TextOut(10, 20, text);
    EXPECT_EQ(s.canvas.PenPos(), (TPoint{10 + e.cx, 20}));
    InkBox ink = Ink(s.Done());
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 10 + e.cx + 1);
    EXPECT_GE(ink.top, 20);
    EXPECT_LT(ink.bottom, 20 + e.cy);
}

// Text drawn from the canvas's kept layouts is the text Qt draws itself, the
// first time and every time after: the same glyphs at the same places. The
// canvas draws the glyphs from their outlines as designed (as a printer must)
// where Qt's own drawing hints them, so a stroke may lie a pixel apart.
TEST(Canvas, TextMatchesQtsOwnDrawing) {
    const std::string text = "Ag 1\xE4\xB8\xAD\xE6\x96\x87x\xCC\x81"; // with Chinese and a combining accent
    for (int style : {0, fsBold | fsItalic}) {
        Surface s(300, 60);
        s.canvas.Brush.Style = bsClear;
        s.canvas.Font.Size = 15;
        s.canvas.Font.Style = style;
        s.canvas.Font.Charset = 134;
        s.canvas.TextOut(5, 5, text);
        s.canvas.TextOut(5, 30, text);
        s.Done();
        EXPECT_TRUE(s.image.copy(0, 5, 300, 25) == s.image.copy(0, 30, 300, 25))
            << "style " << style << "\n" << Picture(s.image);

        QImage want(300, 60, QImage::Format_RGB32);
        want.fill(Qt::white);
        QFont f("Liberation Sans");
        f.setFamilies({"Liberation Sans", "Noto Serif CJK SC"});
        f.setPixelSize(20);
        f.setBold(style & fsBold);
        f.setItalic(style & fsItalic);
        QPainter p(&want);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setFont(f);
        p.setPen(Qt::black);
        const double ascent = QFontMetricsF(f, &want).ascent();
        p.drawText(QPointF(5, 5 + ascent), QString::fromStdString(text));
        p.drawText(QPointF(5, 30 + ascent), QString::fromStdString(text));
        p.end();
        // Every dark pixel of one picture has ink within a pixel in the other.
        auto inkNear = [](const QImage& img, int x, int y) {
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int u = x + dx, v = y + dy;
                    if (u >= 0 && v >= 0 && u < img.width() && v < img.height() && qGray(img.pixel(u, v)) < 235)
                        return true;
                }
            return false;
        };
        int apart = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 300; ++x) {
                if (qGray(s.image.pixel(x, y)) < 128 && !inkNear(want, x, y))
                    ++apart;
                if (qGray(want.pixel(x, y)) < 128 && !inkNear(s.image, x, y))
                    ++apart;
            }
        EXPECT_EQ(apart, 0) << "style " << style << "\n" << Picture(s.image) << "\n" << Picture(want);
        const InkBox got = Ink(s.image, clWhite, true), wanted = Ink(want, clWhite, true);
        EXPECT_NEAR(got.left, wanted.left, 1) << "style " << style;
        EXPECT_NEAR(got.right, wanted.right, 1) << "style " << style;
    }
}

TEST(Canvas, SolidBrushFillsTheTextCell) {
    Surface s(200, 60);
    s.canvas.Font.Size = 12;
    s.canvas.Brush.Color = kGreen;
    TSize e = s.canvas.TextExtent("ab");
    s.canvas.TextOut(10, 10, "ab");
    InkBox ink = Ink(s.Done());
    EXPECT_EQ(ink.left, 10);
    EXPECT_EQ(ink.top, 10);
    EXPECT_EQ(ink.width(), e.cx);
    EXPECT_EQ(ink.height(), e.cy);
}

TEST(Canvas, FontSizeIsPointsAtTheCanvasResolution) {
    Surface a, b;
    b.canvas.SetPixelsPerInch(192);
    a.canvas.Font.Size = b.canvas.Font.Size = 12;
    TSize ea = a.canvas.TextExtent("Hxg"), eb = b.canvas.TextExtent("Hxg");
    EXPECT_NEAR(eb.cy, 2 * ea.cy, 2);
    EXPECT_NEAR(eb.cx, 2 * ea.cx, 3);
    // 12 points at 96 pixels per inch is a 16-pixel em.
    QFont f("Liberation Sans");
    f.setPixelSize(16);
    EXPECT_EQ(ea.cy, static_cast<int>(std::floor(QFontMetricsF(f, &a.image).height() + 0.5)));
    // A negative size is the height of the whole cell: -30 points is 40 pixels.
    a.canvas.Font.Size = -30;
    EXPECT_NEAR(a.canvas.TextExtent("H").cy, 40, 1);
}

// The inked part of an image.
QImage CropInk(const QImage& img) {
    InkBox b = Ink(img);
    return b.empty() ? QImage() : img.copy(b.left, b.top, b.width(), b.height());
}

// Draws text in a font and returns the image.
QImage TextImage(const TFont& font, const std::string& text, int w = 160, int h = 60) {
    Surface s(w, h);
    s.canvas.Brush.Style = bsClear;
    s.canvas.Font = font;
    s.canvas.TextOut(5, 5, text);
    return s.Done().copy();
}

TEST(Canvas, FaceNamesGoThroughTheSubstitutes) {
    const std::pair<const char*, const char*> pairs[] = {
        {"Arial", "Liberation Sans"},
        {"Times New Roman", "Liberation Serif"},
        {"SimSun", "Noto Serif CJK SC"},
    };
    for (const auto& [face, family] : pairs) {
        TFont a;
        a.Name = face;
        a.Size = 16;
        TFont b = a;
        b.Name = family;
        const std::string text = "Ag\xE4\xB8\xAD"; // "Ag" and a Chinese character
        EXPECT_TRUE(TextImage(a, text) == TextImage(b, text)) << face;
    }
    TFont serif, sans;
    serif.Name = "Times New Roman";
    sans.Name = "Arial";
    serif.Size = sans.Size = 16;
    EXPECT_FALSE(TextImage(serif, "Ag") == TextImage(sans, "Ag"));
}

TEST(Canvas, ChineseCharsetsTakeTheChineseFallback) {
    TFont latin;
    latin.Name = "Arial";
    latin.Size = 20;
    latin.Charset = 134;
    TFont chinese = latin;
    chinese.Name = "SimSun";
    const std::string han = "\xE9\xAA\xA8\xE7\x9B\xB4"; // two characters whose forms differ by region
    // The baselines differ with the fonts' ascents; the glyphs are the same.
    QImage a = CropInk(TextImage(latin, han)), b = CropInk(TextImage(chinese, han));
    ASSERT_FALSE(a.isNull());
    EXPECT_TRUE(a == b);
}

TEST(Canvas, StyleBitsChangeTheGlyphs) {
    TFont plain;
    plain.Size = 16;
    const int plainInk = Ink(TextImage(plain, "Hamburg")).count;
    TFont bold = plain;
    bold.Style = fsBold;
    EXPECT_GT(Ink(TextImage(bold, "Hamburg")).count, plainInk * 11 / 10);
    TFont italic = plain;
    italic.Style = fsItalic;
    EXPECT_FALSE(TextImage(italic, "Hamburg") == TextImage(plain, "Hamburg"));
    // Underline and strike-out draw on spaces, at different heights.
    EXPECT_TRUE(Ink(TextImage(plain, "    ")).empty());
    TFont under = plain;
    under.Style = fsUnderline;
    TFont strike = plain;
    strike.Style = fsStrikeOut;
    InkBox u = Ink(TextImage(under, "    ")), k = Ink(TextImage(strike, "    "));
    ASSERT_FALSE(u.empty());
    ASSERT_FALSE(k.empty());
    EXPECT_GT(u.top, k.bottom);
}

// Each text takes the font and colour of its own call, whatever was drawn
// before it: shapes, turned text, or someone painting on the painter directly.
TEST(Canvas, TextFollowsEveryFontAndColourChange) {
    Surface s(400, 120);
    s.canvas.Brush.Style = bsClear;
    s.canvas.Font.Size = 30;
    // The part of the image above the line.
    auto region = [&](int left, int right) { return s.image.copy(left, 0, right - left, 105); };
    auto hasColour = [](const QImage& img, TColor c) {
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (QRgbToTColor(img.pixel(x, y)) == c)
                    return true;
        return false;
    };
    s.canvas.Font.Color = clRed;
    s.canvas.TextOut(5, 10, "H");
    s.canvas.Pen.Color = kBlue;
    s.canvas.MoveTo(0, 110);
    s.canvas.LineTo(400, 110);
    s.canvas.TextOut(65, 10, "H"); // after a line in another colour
    s.canvas.Font.Size = 12;
    s.canvas.TextOut(125, 10, "H"); // a smaller font
    auto turned = std::make_shared<TLogFont>();
    turned->Height = -40;
    turned->Escapement = 900;
    turned->FaceName = "Arial";
    s.canvas.SelectLogFont(turned);
    s.canvas.Font.Color = kGreen;
    s.canvas.TextOut(185, 60, "H");
    s.canvas.SelectLogFont(nullptr);
    s.canvas.Font.Size = 30;
    s.canvas.TextOut(245, 10, "H"); // after turned text
    QPainter* p = s.canvas.Painter();
    ASSERT_NE(p, nullptr);
    QFont tiny("Liberation Serif");
    tiny.setPixelSize(6);
    p->setFont(tiny);
    p->setPen(Qt::yellow);
    s.canvas.TextOut(305, 10, "H"); // after direct painting
    s.Done();
    struct Expect {
        int left, right;
        TColor colour;
        int height; // ink height of the letter; 0: not checked
    };
    const int big = Ink(region(5, 60), clWhite, false).height();
    const int small = Ink(region(125, 180), clWhite, false).height();
    ASSERT_GT(big, small + 8);
    const Expect cases[] = {{5, 60, clRed, big},   {65, 120, clRed, big},   {125, 180, clRed, small},
                            {185, 240, kGreen, 0}, {245, 300, kGreen, big}, {305, 360, kGreen, big}};
    for (const auto& c : cases) {
        QImage part = region(c.left, c.right);
        EXPECT_TRUE(hasColour(part, c.colour)) << c.left;
        if (c.height) {
            EXPECT_EQ(Ink(part, clWhite, false).height(), c.height) << c.left;
        }
    }
    EXPECT_FALSE(hasColour(region(305, 360), 0x00FFFF)) << "no yellow";
    tqtest::SavePngIfWanted(s.image, "canvas_text_changes");
}

// ---------------------------------------------------------------------------
// Created fonts

std::shared_ptr<TLogFont> LogFont(int height, int width, int escapement, int weight = 400) {
    auto f = std::make_shared<TLogFont>();
    f->Height = height;
    f->Width = width;
    f->Escapement = escapement;
    f->Weight = weight;
    f->FaceName = "Arial";
    return f;
}

QImage LogFontText(std::shared_ptr<TLogFont> font, const std::string& text, int x, int y,
                   TSize* extent = nullptr) {
    Surface s(240, 240);
    s.canvas.Brush.Style = bsClear;
    s.canvas.SelectLogFont(std::move(font));
    if (extent)
        *extent = s.canvas.TextExtent(text);
    s.canvas.TextOut(x, y, text);
    return s.Done().copy();
}

TEST(Canvas, RotatedCreatedFontRunsCounterClockwiseAroundTheOrigin) {
    const std::string text = "HHHHHH";
    InkBox flat = Ink(LogFontText(LogFont(-24, 0, 0), text, 100, 120));
    InkBox up = Ink(LogFontText(LogFont(-24, 0, 900), text, 100, 120));
    InkBox diag = Ink(LogFontText(LogFont(-24, 0, 450), text, 100, 120));
    ASSERT_FALSE(flat.empty());
    ASSERT_FALSE(up.empty());
    // 90 degrees: the line of text climbs from the origin; the cell lies to its right.
    EXPECT_GT(up.height(), 3 * up.width());
    EXPECT_LE(up.bottom, 121);
    EXPECT_GE(up.left, 100);
    EXPECT_NEAR(up.height(), flat.width(), 3);
    // 45 degrees: up and to the right.
    EXPECT_LT(diag.top, 100);
    EXPECT_GT(diag.right, 150);
    EXPECT_NEAR(diag.width(), diag.height(), 12);
    tqtest::SavePngIfWanted(LogFontText(LogFont(-24, 0, 450), text, 100, 120), "canvas_rotated_45");
}

TEST(Canvas, CreatedFontWidthStretchesTheGlyphs) {
    auto natural = LogFont(-20, 0, 0);
    TSize e0, e1;
    InkBox n = Ink(LogFontText(natural, "HHHH", 5, 5, &e0));
    // Width is the average character width: twice the natural one doubles the text.
    QFont f("Liberation Sans");
    f.setPixelSize(20);
    QImage probe(1, 1, QImage::Format_RGB32);
    int avg = static_cast<int>(QFontMetricsF(f, &probe).averageCharWidth() + 0.5);
    InkBox w = Ink(LogFontText(LogFont(-20, 2 * avg, 0), "HHHH", 5, 5, &e1));
    EXPECT_NEAR(static_cast<double>(w.width()) / n.width(), 2.0, 0.15);
    EXPECT_NEAR(w.height(), n.height(), 1);
    EXPECT_NEAR(static_cast<double>(e1.cx) / e0.cx, 2.0, 0.1);
    EXPECT_EQ(e1.cy, e0.cy);
}

// A Chinese face's average character width is half its em, as Windows reports
// it: a created font of that width draws the characters at their natural width.
TEST(Canvas, CreatedChineseFontOfHalfEmWidthKeepsItsShape) {
    const std::string text = "\xE4\xBA\x94\xE5\x90\x88"; // 五合
    auto natural = LogFont(-40, 0, 0);
    natural->FaceName = "SimSun";
    auto halfEm = LogFont(-40, 20, 0);
    halfEm->FaceName = "SimSun";
    InkBox n = Ink(LogFontText(natural, text, 5, 5));
    InkBox h = Ink(LogFontText(halfEm, text, 5, 5));
    ASSERT_FALSE(n.empty());
    EXPECT_NEAR(static_cast<double>(h.width()) / n.width(), 1.0, 0.1);
}

TEST(Canvas, CreatedFontHeightSignsAndWeight) {
    Surface s;
    s.canvas.SelectLogFont(LogFont(-20, 0, 0));
    TSize em20 = s.canvas.TextExtent("H");
    s.canvas.SelectLogFont(LogFont(30, 0, 0));
    TSize cell30 = s.canvas.TextExtent("H");
    // A negative height is the em, a positive one the whole cell.
    EXPECT_GT(em20.cy, 20);
    EXPECT_NEAR(cell30.cy, 30, 1);
    InkBox light = Ink(LogFontText(LogFont(-24, 0, 0, 400), "Hamburg", 5, 5));
    InkBox heavy = Ink(LogFontText(LogFont(-24, 0, 0, 700), "Hamburg", 5, 5));
    EXPECT_GT(heavy.count, light.count * 11 / 10);
}

TEST(Canvas, SelectLogFontReturnsThePreviousAndNullRestoresTheFont) {
    Surface s;
    s.canvas.Font.Size = 10;
    TSize plain = s.canvas.TextExtent("Hello");
    auto big = LogFont(-40, 0, 0);
    EXPECT_EQ(s.canvas.SelectLogFont(big), nullptr);
    EXPECT_GT(s.canvas.TextExtent("Hello").cx, plain.cx * 2);
    EXPECT_EQ(s.canvas.SelectedLogFont(), big);
    EXPECT_EQ(s.canvas.SelectLogFont(nullptr), big);
    EXPECT_EQ(s.canvas.TextExtent("Hello"), plain);
}

// ---------------------------------------------------------------------------
// Legacy music fonts

// A code of the face with no glyph, and one with a glyph (-1 when none).
std::pair<int, int> LegacyCodes(const std::string& face) {
    int missing = -1, present = -1;
    for (int c = 255; c >= 0; --c) {
        if (FindLegacyGlyph(face, static_cast<uint8_t>(c)))
            present = c;
        else
            missing = c;
    }
    return {missing, present};
}

TEST(Canvas, LegacyFontTextIsMeasuredByteByByteOnTheGlyphMap) {
    for (const char* face : {"MusicalSymbols", "Toccata"}) {
        Surface s;
        s.canvas.Font.Name = face;
        s.canvas.Font.Size = 30; // 40 pixels to the em
        const std::string text = "\xAB\xDC\x41";
        double adv = 0;
        for (unsigned char c : text) {
            const TLegacyGlyph* g = FindLegacyGlyph(face, c);
            adv += g ? g->advance : 0.5;
        }
        TSize e = s.canvas.TextExtent(text);
        EXPECT_NEAR(e.cx, adv * 40, 0.51) << face;
        EXPECT_NEAR(e.cy, LegacyCellHeight(face) * 40, 0.51) << face;
        // A created font: its character height is the em, its width stretches.
        auto lf = std::make_shared<TLogFont>();
        lf->FaceName = face;
        lf->Height = -20;
        lf->Width = 20; // twice the natural width
        s.canvas.SelectLogFont(lf);
        TSize c = s.canvas.TextExtent(text);
        EXPECT_NEAR(c.cx, adv * 20 * 2, 0.51) << face;
        EXPECT_NEAR(c.cy, LegacyCellHeight(face) * 20, 0.51) << face;
        // 13 points at 96 pixels per inch is a 17-pixel em, not 17.33.
        s.canvas.SelectLogFont(nullptr);
        s.canvas.Font.Size = 13;
        const std::string row(12, '\x26');
        const TLegacyGlyph* g = FindLegacyGlyph(face, 0x26);
        EXPECT_EQ(s.canvas.TextWidth(row),
                  static_cast<int>(std::floor(12 * (g ? g->advance : 0.5) * 17 + 0.5)))
            << face;
    }
}

TEST(Canvas, MissingLegacyCodeDrawsNothingAndAdvancesHalfAnEm) {
    auto [missing, present] = LegacyCodes("MusicalSymbols");
    ASSERT_GE(missing, 0);
    Surface s(100, 100);
    s.canvas.Font.Name = "MusicalSymbols";
    s.canvas.Font.Size = 24; // 32 pixels
    s.canvas.Brush.Style = bsClear;
    std::string text(2, static_cast<char>(missing));
    s.canvas.TextOut(10, 10, text);
    EXPECT_EQ(s.canvas.PenPos(), (TPoint{10 + 32, 10}));
    EXPECT_TRUE(Ink(s.Done()).empty());
}

TEST(Canvas, LegacyGlyphIsDrawnAtItsOffsetOrigin) {
    LoadProgramFonts(tqtest::ProgramFolder().string() + "/");
    auto [missing, present] = LegacyCodes("MusicalSymbols");
    if (present < 0)
        GTEST_SKIP() << "no legacy glyph available";
    const TLegacyGlyph* g = FindLegacyGlyph("MusicalSymbols", static_cast<uint8_t>(present));
    Surface s(300, 300);
    s.canvas.Font.Name = "MusicalSymbols";
    s.canvas.Font.Size = 48; // 64 pixels
    s.canvas.Brush.Style = bsClear;
    s.canvas.TextOut(100, 100, std::string(1, static_cast<char>(present)));
    InkBox ink = Ink(s.Done());
    tqtest::SavePngIfWanted(s.image, "canvas_legacy_glyph");
    ASSERT_FALSE(ink.empty()) << "code " << present;
    // The glyph is drawn around its origin, within a few em of it.
    double ox = 100 + g->dx * 64, oy = 100 + g->dy * 64;
    EXPECT_LT(std::abs(ink.left - ox), 2 * 64 * g->scale + 2);
    EXPECT_LT(std::abs(ink.bottom - oy), 2 * 64 * g->scale + 2);
}

// ---------------------------------------------------------------------------
// Images, pixels, devices

TEST(Canvas, PixelsAreReadAndWrittenOnImagesOnly) {
    Surface s(10, 10);
    s.canvas.SetPixel(3, 4, 0x123456);
    EXPECT_EQ(s.At(3, 4), 0x123456);
    EXPECT_EQ(s.At(-1, 0), -1);
    EXPECT_EQ(s.At(10, 0), -1);
    s.canvas.SetPixel(20, 20, clBlack); // ignored
    // While painting is going on as well.
    s.canvas.Brush.Color = clRed;
    s.canvas.FillRect({0, 0, 2, 2});
    s.canvas.SetPixel(1, 1, kBlue);
    EXPECT_EQ(s.At(1, 1), kBlue);
    EXPECT_EQ(s.At(0, 0), clRed);
    EXPECT_EQ(s.canvas.Size(), (TSize{10, 10}));
}

class PaintedWidget : public QWidget {
  public:
    std::function<void(TCanvas&)> draw;
    void paintEvent(QPaintEvent*) override {
        TQtCanvas c(this);
        draw(c);
    }
};

TEST(Canvas, PaintsOnAWidgetInItsPaintEvent) {
    PaintedWidget w;
    w.resize(40, 30);
    w.setAutoFillBackground(false);
    w.draw = [](TCanvas& c) {
        c.Brush.Color = clWhite;
        c.FillRect({0, 0, 40, 30});
        c.Brush.Color = clRed;
        c.Rectangle(5, 5, 15, 15);
        c.Pen.Mode = pmXor;
        c.Pen.Color = clWhite;
        c.MoveTo(20, 20);
        c.LineTo(30, 20);
    };
    QImage img = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(img.width(), 40);
    EXPECT_EQ(QRgbToTColor(img.pixel(5, 5)), clBlack);
    EXPECT_EQ(QRgbToTColor(img.pixel(10, 10)), clRed);
    EXPECT_EQ(QRgbToTColor(img.pixel(15, 10)), clWhite);
    EXPECT_EQ(QRgbToTColor(img.pixel(25, 20)), clBlack);
}

} // namespace
