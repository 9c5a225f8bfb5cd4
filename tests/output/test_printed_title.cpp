// A Chinese title written in the Chinese text font ("CN") reaches the print
// and image windows and the printed page footer as Chinese, not as the bytes
// read in a Western code page.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <algorithm>
#include <filesystem>

#include "lang/modTQPref.h"
#include "output/frmTQPrint.h"
#include "output/frmTQSaveImage.h"
#include "output/modTQPrint.h"
#include "platform/gui/TQRecordingCanvas.h"
#include "tests/render/TQViewFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

const char* const kTitle = "\xE8\x8C\x89\xE8\x8E\x89\xE8\x8A\xB1 Mo Li Hua"; // 茉莉花 Mo Li Hua, UTF-8

struct ChineseTitle : ::testing::Test {
    TViewFixture fx{16, 4};
    void SetUp() override {
        std::filesystem::remove(PrefFileName());
        // The title as the score keeps it: GBK bytes in a text cell of the
        // Chinese text font.
        TCell& title = fx.At(2, 0);
        title.cellType = ctText;
        title.Text = "\xDC\xD4\xC0\xF2\xBB\xA8 Mo Li Hua";
        title.FontName = "CN";
        fx.Row(2, "1 2 3 5 | 6 5 3 -");
        fx.view.FileName = "/music/molihua.mus";
    }
};

TEST_F(ChineseTitle, PrintWindowAndPrintedFooterShowTheChineseTitle) {
    for (int charset : {0, 134}) { // as a window before and after reading it back
        fx.view.ChineseFontCharset = charset;
        TfrmPrint dialog;
        TRecordingPrintSink bitmapSink(800, 1100);
        QString shown;
        ASSERT_TRUE(RunPrintCommand(fx.view, dialog, bitmapSink, [&](TfrmPrint& d) {
            shown = d.edtTitle->text();
            d.btnOkClick();
            return static_cast<int>(QDialog::Accepted);
        }));
        EXPECT_EQ(shown.toStdString(), kTitle) << "charset " << charset;

        TRecordingPrintSink sink(800, 1100);
        TPrintOptions options;
        ASSERT_TRUE(PrintPagesDirect(fx.view, sink, options));
        bool footer = false;
        for (size_t k = 0; k < sink.Canvas->size(); ++k)
            footer = footer || ((*sink.Canvas)[k].Op == TCanvasOp::TextOut && (*sink.Canvas)[k].Text == kTitle);
        EXPECT_TRUE(footer) << "the footer carries the title, charset " << charset;
    }
}

TEST_F(ChineseTitle, ImageExportWindowShowsTheChineseTitle) {
    TfrmSaveImage dialog;
    RunSaveImageCommand(dialog, [](TfrmSaveImage&) { return static_cast<int>(QDialog::Rejected); });
    EXPECT_EQ(dialog.edtTitle->text().toStdString(), kTitle);
}

} // namespace
