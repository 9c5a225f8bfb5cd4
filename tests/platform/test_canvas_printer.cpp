// The printer canvas prints pages into a PDF file.
#include <gtest/gtest.h>

#include "platform/gui/TQBitmap.h"
#include "platform/print/TQPrinterCanvas.h"
#include "tests/support/TQTestSupport.h"

#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int CountOf(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TEST(PrinterCanvas, PrintsPagesIntoAPdfFile) {
    tqtest::TempDir dir;
    const std::string path = (dir / "score.pdf").string();
    TQPrinterCanvas printer(300);
    printer.SetPdfFile(path);
    printer.SetPaperSize(8.5, 11);
    printer.SetTitle("Test score");
    EXPECT_EQ(printer.PixelsPerInch(), 300);
    // The printable page at 300 pixels per inch, inside the sheet.
    EXPECT_GT(printer.PageWidth(), 2000);
    EXPECT_LE(printer.PageWidth(), 2550);
    EXPECT_GT(printer.PageHeight(), 2800);
    EXPECT_LE(printer.PageHeight(), 3300);

    ASSERT_TRUE(printer.BeginDoc());
    EXPECT_TRUE(printer.Printing());
    printer.Font.Size = 12;
    // 12 points at 300 pixels per inch: a 50-pixel em.
    EXPECT_GT(printer.TextHeight("Page"), 50);
    EXPECT_LT(printer.TextHeight("Page"), 65);
    printer.TextOut(100, 100, "Page 1");
    printer.Rectangle(100, 300, 1000, 600);
    TBitmap bmp(10, 10);
    printer.StretchDraw({100, 700, 400, 1000}, bmp);
    ASSERT_TRUE(printer.NewPage());
    printer.TextOut(100, 100, "Page 2");
    EXPECT_EQ(printer.PageNumber(), 2);
    EXPECT_EQ(printer.GetPixel(10, 10), -1);
    ASSERT_TRUE(printer.EndDoc());
    EXPECT_FALSE(printer.Printing());

    std::string pdf = ReadAll(path);
    ASSERT_GT(pdf.size(), 500u);
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_EQ(CountOf(pdf, "/Type /Page\n") + CountOf(pdf, "/Type /Page\r") + CountOf(pdf, "/Type /Page "), 2)
        << "two pages";
}

TEST(PrinterCanvas, DrawsOnlyInsideADocument) {
    tqtest::TempDir dir;
    const std::string path = (dir / "never.pdf").string();
    TQPrinterCanvas printer(150);
    printer.SetPdfFile(path);
    // Outside a document nothing is drawn and no file is started.
    printer.TextOut(10, 10, "lost");
    printer.MoveTo(0, 0);
    printer.LineTo(100, 100);
    EXPECT_FALSE(printer.NewPage());
    EXPECT_FALSE(printer.EndDoc());
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(PrinterCanvas, UnwritablePdfFileFailsToBegin) {
    tqtest::TempDir dir;
    TQPrinterCanvas printer(150);
    printer.SetPdfFile((dir / "no" / "such" / "folder" / "x.pdf").string());
    EXPECT_FALSE(printer.BeginDoc());
    EXPECT_FALSE(printer.Printing());
}

TEST(PrinterCanvas, LandscapeSwapsThePage) {
    TQPrinterCanvas printer(100);
    printer.SetPdfFile("/dev/null");
    printer.SetPaperSize(8.5, 11);
    TSize portrait = printer.Size();
    printer.SetOrientation(poLandscape);
    EXPECT_EQ(printer.Orientation(), poLandscape);
    TSize landscape = printer.Size();
    EXPECT_GT(portrait.cy, portrait.cx);
    EXPECT_GT(landscape.cx, landscape.cy);
}

} // namespace
