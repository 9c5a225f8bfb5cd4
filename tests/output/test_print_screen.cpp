// A printed page is the screen's page: a Jianpu page, the sample page of
// compound cells, the Western page and a page of underlined and struck-through
// text are drawn on the screen's canvas, and
// printed into PDF files through the bitmap road and the direct road at the
// same scale. Each PDF page is rasterised by poppler's pdftoppm at the
// printer's resolution; every inked pixel of one picture must have ink within
// one pixel in the other. A printer's own resolution (300 per inch) is checked
// on the direct road against the screen drawn at the same scale.
#include <gtest/gtest.h>

#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>

#include "output/modTQPrint.h"
#include "platform/gui/TQQtCanvas.h"
#include "render/modTQMainView.h"
#include "tests/render/TQJianpuPage.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQPageImage.h"
#include "tests/render/TQSamplePage.h"
#include "tests/render/TQViewFixture.h"
#include "tests/render/TQWestPage.h"
#include "tests/support/TQTestSupport.h"

namespace {

struct TPageCase {
    const char* name;
    int cols, rows;
    std::function<void(TViewFixture&)> build;
};

// Ink: darker than light grey (coloured signs count, anti-aliased fringes of
// one picture may meet faint fringes of the other).
bool Dark(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 150; }
bool Marked(const QImage& image, int x, int y) {
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
        return false;
    return qGray(image.pixel(x, y)) < 235;
}

struct TDifference {
    int count = 0;
    int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
    std::string Where() const {
        std::ostringstream s;
        s << count << " pixels in (" << x0 << "," << y0 << ")-(" << x1 << "," << y1 << ")";
        return s.str();
    }
};

// Ink of a with no mark of b within one pixel, and the other way round.
TDifference Compare(const QImage& a, const QImage& b, QImage* picture) {
    constexpr int reach = 1;
    TDifference d;
    const int w = std::min(a.width(), b.width()), h = std::min(a.height(), b.height());
    if (picture) {
        *picture = QImage(w, h, QImage::Format_RGB32);
        picture->fill(Qt::white);
    }
    auto near = [](const QImage& img, int x, int y) {
        for (int dy = -reach; dy <= reach; ++dy)
            for (int dx = -reach; dx <= reach; ++dx)
                if (Marked(img, x + dx, y + dy))
                    return true;
        return false;
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool onlyA = Dark(a, x, y) && !near(b, x, y);
            const bool onlyB = Dark(b, x, y) && !near(a, x, y);
            if (picture && (Dark(a, x, y) || Dark(b, x, y)))
                picture->setPixel(x, y, qRgb(190, 190, 190));
            if (!onlyA && !onlyB)
                continue;
            if (picture)
                picture->setPixel(x, y, onlyA ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
            ++d.count;
            d.x0 = std::min(d.x0, x);
            d.y0 = std::min(d.y0, y);
            d.x1 = std::max(d.x1, x);
            d.y1 = std::max(d.y1, y);
        }
    return d;
}

// One page of the view printed into a PDF file whose page is the score's page
// at `resolution` pixels per inch (page units taken as points), rasterised
// back at that resolution.
QImage PrintAndRasterise(TMainView& v, int resolution, bool direct, const tqtest::TempDir& dir,
                         const std::string& stem) {
    const std::string pdf = (dir / (stem + ".pdf")).string();
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        printer.setResolution(resolution);
        printer.setFullPage(true);
        const QSizeF points(v.PageWidthUnits, v.PageHeightUnits);
        printer.setPageLayout(QPageLayout(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch),
                                          QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        TQPrinterSink sink(printer);
        TPrintOptions options;
        options.AllPages = false;
        options.InColor = true;
        const bool ok = direct ? PrintPagesDirect(v, sink, options)
                               : PrintPagesByBitmap(v, sink, options, sink.PageWidth());
        EXPECT_TRUE(ok) << stem;
    }
    const std::string png = (dir / stem).string();
    const std::string command = "pdftoppm -r " + std::to_string(resolution) + " -png -singlefile '" + pdf + "' '" +
                                png + "' 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    QImage image(QString::fromStdString(png + ".png"));
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(PrintIsScreen, PagesPrintedByBothRoadsEqualTheScreenPage) {
    if (std::system("pdftoppm -v >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "poppler-utils (pdftoppm) is not installed";
    TMusicFonts fonts(true, true);
    ASSERT_TRUE(fonts.loaded());
    const TPageCase jianpu{"jianpu", kJianpuCols, kJianpuRows, BuildJianpuPage};
    const TPageCase sample{"sample", kSampleCols, kSampleRows, BuildSamplePage};
    const TPageCase west{"west", kWestCols, kWestRows, BuildWestPage};
    // Text underlined and struck through, upright and turned, Latin and Chinese.
    const TPageCase lines{"lines", 24, 2, [](TViewFixture& fx) {
                              fx.Row(0, "\"Allegro\" ~ ~ ~ ~ ~ \"Fine\" ~ ~ ~ ~ \"Tempo\"");
                              fx.At(0, 0).FontStyle = fsUnderline;
                              fx.At(6, 0).FontStyle = fsStrikeOut;
                              fx.At(11, 0).FontStyle = fsUnderline | fsStrikeOut | fsItalic;
                              fx.Row(1, "\"zh\"{type=3} ~ ~ \"Andante\"{x=0}");
                              TCell& chinese = fx.At(0, 1);
                              chinese.Text = "\xD6\xD0\xCE\xC4";
                              chinese.FontCharset = 134;
                              chinese.FontName = "CN";
                              chinese.FontStyle = fsUnderline;
                              fx.At(3, 1).FontStyle = fsUnderline;
                              fx.At(3, 1).dot = 300; // turned by 30 degrees
                          }};
    // Page units are points: at 72 and 144 per inch the printer's pixels are
    // the screen's at zoom 1 and 2; 300 per inch is a printer's own
    // resolution, a zoom of 25/6 on the screen.
    struct TPrint {
        const TPageCase* page;
        int resolution;
        bool bitmapRoad;
    };
    const TPrint prints[] = {
        {&jianpu, 72, true}, {&jianpu, 144, true}, {&sample, 72, true}, {&sample, 144, true},
        {&west, 72, true},   {&west, 144, true},   {&lines, 72, true},   {&lines, 144, true},
        {&jianpu, 300, false}, {&sample, 300, false}, {&lines, 300, false},
    };
    tqtest::TempDir dir;
    for (const TPrint& print : prints) {
        const TPageCase& c = *print.page;
        const int resolution = print.resolution;
        TViewFixture fx(c.cols, c.rows);
        c.build(fx);
        TMainView& v = fx.view;
        v.ShowGrid = false;
        v.Highlights.clear();
        // The cursor stays off the page: it is the screen's, not the page's.
        v.SelCol0 = v.SelCol1 = 0;
        v.SelRow0 = v.SelRow1 = c.rows + 100;
        v.PageWidthUnits = v.LeftMargin + v.CellWidth * c.cols + v.RightMargin;
        v.PageHeightUnits = v.TopMargin + v.CellHeight * c.rows + v.BottomMargin;
        // The print adjustment stays at its default: the printed page is the
        // screen's whatever it says.
        v.PrintZoom = 0.9f;
        // The screen at the scale the printer draws at: its page's width in
        // pixels over the page's width in units.
        const QPageLayout layout(QPageSize(QSizeF(v.PageWidthUnits, v.PageHeightUnits), QPageSize::Point, QString(),
                                           QPageSize::ExactMatch),
                                 QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
        const double zoom = static_cast<double>(layout.paintRectPixels(resolution).width()) / v.PageWidthUnits;
        FitPaintBox(v, c.cols, c.rows, zoom);

        QImage screen(v.PaintBoxWidth, v.PaintBoxHeight, QImage::Format_RGB32);
        screen.fill(Qt::white);
        {
            TQtCanvas canvas(&screen);
            v.PaintBoxCanvas = &canvas;
            v.OutCanvas = &canvas;
            v.RedrawPage();
            canvas.End();
            v.PaintBoxCanvas = nullptr;
            v.OutCanvas = nullptr;
        }
        const std::string name = std::string("print_screen_") + c.name + "_" + std::to_string(resolution) + "dpi";
        tqtest::SavePngIfWanted(screen, name + "_screen");

        for (bool direct : {false, true}) {
            if (!direct && !print.bitmapRoad)
                continue;
            const std::string road = direct ? "direct" : "bitmap";
            const QImage printed = PrintAndRasterise(v, resolution, direct, dir, name + "_" + road);
            ASSERT_FALSE(printed.isNull()) << name << " " << road;
            tqtest::SavePngIfWanted(printed, name + "_" + road);
            EXPECT_NEAR(printed.width(), screen.width(), 1) << name << " " << road;
            EXPECT_NEAR(printed.height(), screen.height(), 1) << name << " " << road;
            // The view comes back as it was.
            EXPECT_EQ(v.Zoom, zoom);
            EXPECT_FALSE(v.Printing);
            EXPECT_EQ(v.PrintZoom, 0.9f);
            // The footer ("Create By Tonquill") belongs to printed pages
            // only: both pictures lose the band it is written in.
            QImage a = screen, b = printed;
            const int footerTop = 0, footerBottom = v.GetTopMargin() - v.GetCellHeight() / 4;
            for (QImage* img : {&a, &b})
                for (int y = footerTop; y < std::min(footerBottom, img->height()); ++y)
                    for (int x = 0; x < img->width(); ++x)
                        img->setPixel(x, y, qRgb(255, 255, 255));
            QImage picture;
            const TDifference d = Compare(a, b, &picture);
            tqtest::SavePngIfWanted(picture, name + "_" + road + "_difference");
            EXPECT_EQ(d.count, 0) << name << " printed by the " << road
                                  << " road differs from the screen by more than 1 px: " << d.Where();
        }
    }
}
