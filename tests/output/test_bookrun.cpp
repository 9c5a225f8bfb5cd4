// A book run on the recording sink: scores loaded into a holder, one
// document, the main window's score untouched, cancel between pages.
#include <gtest/gtest.h>

#include "tests/support/TQTestSupport.h"

#include <filesystem>

#include "output/modTQBookFile.h"
#include "output/modTQBookPrint.h"
#include "output/modTQPrint.h"
#include "tests/output/TQBookScores.h"
#include "tests/render/TQViewFixture.h"

namespace fs = std::filesystem;

namespace {

struct BookRunTest : ::testing::Test {
    TViewFixture fx{12, 4};
    tqtest::TempDir tmp;
    fs::path dir = tmp / "bookrun";
    std::vector<TMusic> book;
    void SetUp() override {
        fs::remove_all(dir);
        fs::create_directories(dir);
        const std::vector<std::string> files = WriteBookScores(dir);
        ASSERT_EQ(files.size(), 4u);
        const int pages[] = {3, 2, 4, 1};
        for (size_t i = 0; i < files.size(); ++i) {
            TMusic m;
            m.FileName = files[i];
            m.Exists = true;
            m.PageCount = pages[i];
            book.push_back(m);
        }
        fx.view.CurPage = 0;
        fx.view.Zoom = 1.25;
    }
    void TearDown() override { fs::remove_all(dir); }
};

TEST_F(BookRunTest, SelectedScoresPrintInOneDocumentAndTheWindowKeepsItsScore) {
    book[1].Selected = book[3].Selected = true;
    TBookPrintOptions o;
    o.Music = bmSelected;
    o.PrinterType = bpTwoSides;
    std::vector<int> gauge;
    TBookPrintRun run;
    run.Progress = [&](int v) { gauge.push_back(v); };
    TRecordingPrintSink sink(300, 400);
    EXPECT_EQ(PrintBook(book, o, run, sink), 3);
    EXPECT_EQ(sink.Documents, 1);
    EXPECT_EQ(sink.Pages.size(), 3u);
    EXPECT_EQ(frmMainTQ, &fx.view);
    EXPECT_EQ(fx.view.CurPage, 0);
    EXPECT_FLOAT_EQ(fx.view.Zoom, 1.25);
    ASSERT_FALSE(gauge.empty());
    EXPECT_EQ(gauge.back(), 1000);
}

TEST_F(BookRunTest, CancelBetweenPagesEndsTheRun) {
    int pagesSeen = 0;
    TBookPrintRun run;
    TRecordingPrintSink sink(300, 400);
    run.Cancelled = [&] { return sink.Pages.size() >= 2 && ++pagesSeen > 0; };
    EXPECT_EQ(PrintBook(book, {}, run, sink), 2);
    EXPECT_FALSE(sink.Open);
    EXPECT_EQ(frmMainTQ, &fx.view);
    EXPECT_EQ(fx.view.CurPage, 0);
    EXPECT_FLOAT_EQ(fx.view.Zoom, 1.25);
}

TEST_F(BookRunTest, BlackAndWhiteUnlessInColourAtThePrinterPageWidth) {
    for (bool colour : {false, true}) {
        TBookPrintRun run;
        run.InColor = colour;
        TRecordingPrintSink sink(300, 400);
        TBookPrintOptions o;
        o.Music = bmCurrent;
        o.CurrentRow = 2; // the second score: two pages
        EXPECT_EQ(PrintBook(book, o, run, sink), 2) << colour;
        ASSERT_EQ(sink.Pages.size(), 2u);
        for (const QImage& page : sink.Pages) {
            EXPECT_EQ(page.width(), 300);
            EXPECT_EQ(page.format() == QImage::Format_Grayscale8, !colour) << colour;
        }
    }
}

} // namespace

namespace {

TEST_F(BookRunTest, RefreshTakesPageCountAndTitleUnlessKept) {
    TMainView holder;
    TMusic m;
    m.FileName = book[2].FileName;
    RefreshMusic(m, holder);
    EXPECT_TRUE(m.Exists);
    EXPECT_EQ(m.PageCount, 4);
    EXPECT_EQ(m.Title, "s3");
    m.KeepTitle = true;
    m.Title = "Mine";
    RefreshMusic(m, holder);
    EXPECT_EQ(m.Title, "Mine");
    EXPECT_EQ(frmMainTQ, &fx.view);
}

} // namespace
