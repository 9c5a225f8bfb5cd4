// A page printed: the engine draws on the printer canvas (here into a PDF file)
// as it does on the screen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/print/TQPrinterCanvas.h"
#include "tests/render/TQDensePage.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQWestPage.h"
#include "tests/support/TQTestSupport.h"

TEST(PrintPage, DensePageOfBothLayersPrintsToAPdfFile) {
    tqtest::TempDir dir;
    const std::string pdf = (dir / "page.pdf").string();
    TViewFixture fx(kDenseCols, kDenseRows, 1);
    BuildDensePage(fx);
    SetDenseZoom(fx, 1.0);
    TMainView& v = fx.view;
    v.PageWidthUnits = v.LeftMargin + v.CellWidth * kDenseCols + v.RightMargin;
    v.FileName = "/music/song.mus";
    v.PrintTitle = "Song";

    TQPrinterCanvas printer(300);
    printer.SetPdfFile(pdf);
    printer.SetPaperSize(8.5, 11);
    ASSERT_TRUE(printer.BeginDoc());
    v.SetPrinterOutput(&printer);
    v.Printing = true;
    v.PrintZoom = 0.9f; // the print adjustment: font sizes in points on paper
    EXPECT_GT(v.Zoom, 2.0) << "a 300 dpi sheet is wider than the screen page";
    v.DrawEngine.DrawPage(0, 0, v.Cols, v.Rows, false, true);
    ASSERT_TRUE(printer.EndDoc());

    if (const char* keep = std::getenv("TQ_TEST_PNG_DIR"))
        std::filesystem::copy_file(pdf, std::filesystem::path(keep) / "render_printed_page.pdf",
                                   std::filesystem::copy_options::overwrite_existing);
    std::ifstream in(pdf, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 4000u);
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    EXPECT_EQ(printer.PageNumber(), 1);
}

TEST(PrintPage, WesternPagePrintsToAPdfFile) {
    TMusicFonts fonts(true, true);
    tqtest::TempDir dir;
    const std::string pdf = (dir / "west.pdf").string();
    TViewFixture fx(kWestCols, kWestRows);
    BuildWestPage(fx);
    SetWestZoom(fx, 1.0);
    TMainView& v = fx.view;
    v.PageWidthUnits = v.LeftMargin + v.CellWidth * kWestCols + v.RightMargin;

    TQPrinterCanvas printer(300);
    printer.SetPdfFile(pdf);
    printer.SetPaperSize(8.5, 11);
    ASSERT_TRUE(printer.BeginDoc());
    v.SetPrinterOutput(&printer);
    v.Printing = true;
    v.PrintZoom = 0.9f;
    v.DrawEngine.DrawPage(0, 0, v.Cols, v.Rows, false, true);
    ASSERT_TRUE(printer.EndDoc());

    if (const char* keep = std::getenv("TQ_TEST_PNG_DIR"))
        std::filesystem::copy_file(pdf, std::filesystem::path(keep) / "render_printed_westpage.pdf",
                                   std::filesystem::copy_options::overwrite_existing);
    std::ifstream in(pdf, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 4000u);
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
}
