// A printed page is the screen's page: every page of the drawing tests (the
// Jianpu page, the sample page of compound cells, the Western page, the dense
// page, the folk song with its lyrics, the Gongche tune, the piano page) and a
// page of underlined and struck-through text are drawn on the screen's canvas
// and printed into PDF files at 72, 144 and 300 pixels per inch, straight on
// the page as a PDF file is printed and, at 72 and 144 per inch, through a
// page bitmap. Each PDF page is rasterised by poppler's pdftoppm at the
// printer's resolution; every inked pixel of one picture must have ink within
// one pixel in the other.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QRadioButton>
#include <algorithm>
#include <ostream>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "output/frmTQPrint.h"
#include "output/modTQPrint.h"
#include "platform/gui/TQQtCanvas.h"
#include "render/modTQMainView.h"
#include "tests/render/TQDensePage.h"
#include "tests/render/TQFolkSongPage.h"
#include "tests/render/TQJianpuPage.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQPageImage.h"
#include "tests/render/TQPianoPage.h"
#include "tests/render/TQSamplePage.h"
#include "tests/render/TQViewFixture.h"
#include "tests/render/TQWestPage.h"
#include "tests/support/TQTestSupport.h"

namespace {

struct TPageCase {
    const char* name;
    int cols, rows;
    void (*build)(TViewFixture&);
    int layer1Pages = 0; // the dense page writes in both layers
};

void PrintTo(const TPageCase& page, std::ostream* out) { *out << page.name; }

// Text underlined and struck through, upright and turned, Latin and Chinese.
void BuildLinesPage(TViewFixture& fx) {
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
}

const TPageCase kPages[] = {
    {"jianpu", kJianpuCols, kJianpuRows, BuildJianpuPage},
    {"sample", kSampleCols, kSampleRows, BuildSamplePage},
    {"west", kWestCols, kWestRows, BuildWestPage},
    {"dense", kDenseCols, kDenseRows, BuildDensePage, 1},
    {"folksong", kFolkSongCols, kFolkSongRows, BuildFolkSongPage},
    {"gongche", kGongcheTuneCols, kGongcheTuneRows, BuildGongcheTunePage},
    {"piano", kPianoCols, kPianoRows, BuildPianoPage},
    {"lines", 24, 2, BuildLinesPage},
};

// Ink: darker than light grey (coloured signs count). A mark: any pixel not
// near white (anti-aliased fringes of one picture may meet faint fringes of
// the other).
std::vector<char> Threshold(const QImage& image, int w, int h, int below) {
    std::vector<char> out(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            out[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] =
                qGray(line[x]) < below ? 1 : 0;
    }
    return out;
}

// The marks grown by one pixel every way.
std::vector<char> Grown(const std::vector<char>& marks, int w, int h) {
    std::vector<char> across(marks.size(), 0), out(marks.size(), 0);
    auto at = [w](int x, int y) { return static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x); };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            across[at(x, y)] = static_cast<char>(marks[at(x, y)] || (x > 0 && marks[at(x - 1, y)]) ||
                                                 (x + 1 < w && marks[at(x + 1, y)]));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out[at(x, y)] = static_cast<char>(across[at(x, y)] || (y > 0 && across[at(x, y - 1)]) ||
                                              (y + 1 < h && across[at(x, y + 1)]));
    return out;
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

// Ink of a with no mark of b within one pixel, and the other way round; the
// picture shows both in grey, a's lone ink red and b's blue.
TDifference Compare(const QImage& a, const QImage& b, QImage* picture) {
    TDifference d;
    const int w = std::min(a.width(), b.width()), h = std::min(a.height(), b.height());
    const std::vector<char> inkA = Threshold(a, w, h, 150), inkB = Threshold(b, w, h, 150);
    const std::vector<char> nearA = Grown(Threshold(a, w, h, 235), w, h);
    const std::vector<char> nearB = Grown(Threshold(b, w, h, 235), w, h);
    if (picture) {
        *picture = QImage(w, h, QImage::Format_RGB32);
        picture->fill(Qt::white);
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
            const bool onlyA = inkA[i] && !nearB[i];
            const bool onlyB = inkB[i] && !nearA[i];
            if (picture && (inkA[i] || inkB[i]))
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

// The current page of the view printed into a PDF file at `resolution`
// pixels per inch, on paper the score's page's size (page units taken as
// points), rasterised back at that resolution. The direct road is the print
// command's with its PDF target chosen in the dialog; the bitmap road is a
// printer's, here on a PDF printer.
QImage PrintAndRasterise(TMainView& v, int resolution, bool direct, const tqtest::TempDir& dir,
                         const std::string& stem) {
    const std::string pdf = (dir / (stem + ".pdf")).string();
    v.PaperWidth = static_cast<float>(v.PageWidthUnits) / 72.0f;
    v.PaperHeight = static_cast<float>(v.PageHeightUnits) / 72.0f;
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(resolution);
    printer.setFullPage(true);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0));
    TQPrinterSink sink(printer);
    if (direct) {
        TfrmPrint dialog;
        dialog.OnAskPdfFile = [&] { return pdf; };
        EXPECT_TRUE(RunPrintCommand(v, dialog, sink, [](TfrmPrint& d) {
            d.chkPrintToPdf->setChecked(true);
            d.rbtCurrentPage->setChecked(true);
            d.cbxPrintInColor->setChecked(true);
            d.chkIncludePageN->setChecked(false);
            d.chkGrid->setChecked(false);
            d.btnOkClick();
            return static_cast<int>(QDialog::Accepted);
        })) << stem;
    } else {
        sink.SetPdfTarget(pdf, v.PaperWidth, v.PaperHeight);
        TPrintOptions options;
        options.AllPages = false;
        options.InColor = true;
        EXPECT_TRUE(PrintPagesByBitmap(v, sink, options, sink.PageWidth())) << stem;
    }
    const std::string png = (dir / stem).string();
    const std::string command = "pdftoppm -r " + std::to_string(resolution) + " -png -singlefile '" + pdf + "' '" +
                                png + "' 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    QImage image(QString::fromStdString(png + ".png"));
    return image.convertToFormat(QImage::Format_RGB32);
}

class PrintIsScreen : public ::testing::TestWithParam<TPageCase> {};

} // namespace

// Page units are points: at 72 and 144 per inch the printer's pixels are the
// screen's at zoom 1 and 2; 300 per inch is a printer's own resolution, a zoom
// of 25/6 on the screen.
TEST_P(PrintIsScreen, EveryResolutionOnBothRoadsEqualsTheScreenPage) {
    if (std::system("pdftoppm -v >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "poppler-utils (pdftoppm) is not installed";
    TMusicFonts fonts(true, true);
    ASSERT_TRUE(fonts.loaded());
    const TPageCase& c = GetParam();
    tqtest::TempDir dir;
    for (int resolution : {72, 144, 300}) {
        TViewFixture fx(c.cols, c.rows, c.layer1Pages);
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

        for (bool direct : {true, false}) {
            // A page bitmap at a printer's own resolution is the screen's
            // drawing at that zoom: the direct road is the one to check.
            if (!direct && resolution > 144)
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
            const int footerBottom = v.GetTopMargin() - v.GetCellHeight() / 4;
            for (QImage* img : {&a, &b})
                for (int y = 0; y < std::min(footerBottom, img->height()); ++y)
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

INSTANTIATE_TEST_SUITE_P(Pages, PrintIsScreen, ::testing::ValuesIn(kPages),
                         [](const ::testing::TestParamInfo<TPageCase>& info) { return std::string(info.param.name); });
