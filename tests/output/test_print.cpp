// Printing pages through the print sink: page choice, copies, one document,
// the view put back, and a real PDF file through QPrinter.
#include <gtest/gtest.h>

#include "tests/support/TQTestSupport.h"

#include <QPrinter>
#include <filesystem>
#include <regex>

#include "output/modTQPrint.h"
#include "platform/core/TQFiles.h"
#include "tests/render/TQViewFixture.h"

namespace {

struct PrintTest : ::testing::Test {
    TViewFixture fx{12, 4};
    void Pages(int count, std::initializer_list<int> filled) {
        for (int p = 1; p < count; ++p)
            fx.view.AllocatePage(0, p, true, 0, 0);
        for (int p : filled) {
            auto& row = fx.view.PageSets[0].at(static_cast<size_t>(p)).at(1);
            for (int c = 0; c <= p; ++c)
                row.at(static_cast<size_t>(c)) = TScoreFixture::Cell(std::to_string(c % 7 + 1));
        }
    }
};

TEST_F(PrintTest, EmptyScorePrintsOnePageAndTrailingEmptyPagesAreDropped) {
    Pages(3, {});
    TRecordingPrintSink sink(400, 300);
    ASSERT_TRUE(PrintPages(fx.view, sink, {}));
    EXPECT_EQ(sink.Pages.size(), 1u);

    Pages(4, {0, 2}); // page 1 empty inside, page 3 empty at the end
    TRecordingPrintSink sink2(400, 300);
    ASSERT_TRUE(PrintPages(fx.view, sink2, {}));
    EXPECT_EQ(sink2.Pages.size(), 3u);
    EXPECT_EQ(sink2.Documents, 1);
}

TEST_F(PrintTest, CopiesStayInOneDocumentAndTheViewIsPutBack) {
    Pages(2, {0, 1});
    fx.view.CurPage = 1;
    fx.view.Zoom = 1.5;
    fx.view.ShowGrid = true;
    TCanvas* before = fx.view.OutCanvas;
    TRecordingPrintSink sink(400, 300);
    TPrintOptions o;
    o.Copies = 3;
    ASSERT_TRUE(PrintPages(fx.view, sink, o));
    EXPECT_EQ(sink.Documents, 1);
    EXPECT_FALSE(sink.Open);
    ASSERT_EQ(sink.Pages.size(), 6u);
    for (const QImage& page : sink.Pages) {
        EXPECT_EQ(page.width(), 400);
        EXPECT_EQ(page.height(), 400 * fx.view.PaintBoxHeight / fx.view.PaintBoxWidth);
    }
    EXPECT_EQ(sink.Pages[0], sink.Pages[2]); // the copies repeat the pages
    EXPECT_NE(sink.Pages[0], sink.Pages[1]);
    EXPECT_EQ(fx.view.CurPage, 1);
    EXPECT_FLOAT_EQ(fx.view.Zoom, 1.5);
    EXPECT_TRUE(fx.view.ShowGrid);
    EXPECT_EQ(fx.view.OutCanvas, before);
    EXPECT_EQ(fx.view.OutputKind, 0);

    o.AllPages = false;
    o.Copies = 2;
    TRecordingPrintSink one(400, 300);
    ASSERT_TRUE(PrintPages(fx.view, one, o));
    ASSERT_EQ(one.Pages.size(), 2u);
    EXPECT_EQ(one.Pages[0], sink.Pages[1]); // the current page, page 1
}

TEST_F(PrintTest, PdfFileHoldsEveryPrintedPage) {
    Pages(3, {0, 1, 2});
    tqtest::TempDir tmp;
    const std::string path = (tmp / "print_test.pdf").string();
    std::filesystem::remove(path);
    {
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(path));
        TQPrinterSink sink(printer);
        TPrintOptions o;
        o.Copies = 2;
        ASSERT_TRUE(PrintPages(fx.view, sink, o));
    }
    std::string pdf;
    ASSERT_TRUE(ReadWholeFile(path, pdf));
    const std::regex pageObject("/Type\\s*/Page[^s]");
    const auto count = std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), pageObject),
                                     std::sregex_iterator());
    EXPECT_EQ(count, 6);
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    std::filesystem::remove(path);
}

TEST(PrintBitmap, WidthFallsBackInTenthsAndGivesUpForImpossiblePages) {
    EXPECT_EQ(ChooseBitmapWidth(1000, 1400), 1000);
    EXPECT_EQ(ChooseBitmapWidth(0, 100), 0);
}

} // namespace

// Printed directly, the page's text is the screen's at the default print size
// adjustment (90 %), and grows or shrinks in proportion to the adjustment.
TEST_F(PrintTest, PrintSizeAdjustmentScalesPrintedTextFromTheScreensSize) {
    Pages(1, {0});
    const auto digitSize = [&](float printZoom) {
        fx.view.PrintZoom = printZoom;
        TRecordingPrintSink sink(400, 1000); // a sheet the whole page fits across
        TPrintOptions o;
        o.AllPages = false;
        EXPECT_TRUE(PrintPagesDirect(fx.view, sink, o));
        EXPECT_FLOAT_EQ(fx.view.PrintZoom, printZoom); // the preference is kept
        const TCanvasCall* digit = sink.Canvas ? sink.Canvas->FindText("1") : nullptr;
        EXPECT_NE(digit, nullptr);
        return digit ? digit->Font.Size : 0;
    };
    // The screen's page drawn at the zoom that fills the printer's page.
    fx.view.Zoom = 400.0 / fx.view.PageWidthUnits;
    TRecordingCanvas screen(TSize{400, 1000});
    fx.view.OutCanvas = &screen;
    fx.view.DrawEngine.DrawCells(0, 0, fx.view.Cols, fx.view.Rows);
    fx.view.OutCanvas = nullptr;
    ASSERT_NE(screen.FindText("1"), nullptr);
    const double onScreen = screen.FindText("1")->Font.Size;
    EXPECT_NEAR(digitSize(0.9f), onScreen, 0.5);
    EXPECT_NEAR(digitSize(1.08f), 1.2 * onScreen, 0.6);
    EXPECT_NEAR(digitSize(0.45f), 0.5 * onScreen, 0.6);
}
