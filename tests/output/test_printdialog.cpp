// The print and image-export dialogs and the direct printing road: what each
// road sends, what the dialogs keep, and that the main window's view comes back.
#include <gtest/gtest.h>

#include "tests/support/TQTestSupport.h"

#include <QImageReader>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QCheckBox>
#include <QLineEdit>
#include <filesystem>
#include <regex>

#include "lang/modTQPref.h"
#include "output/frmTQPrint.h"
#include "output/frmTQSaveImage.h"
#include "output/modTQPrint.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQIniFile.h"
#include "platform/core/TQMessage.h"
#include "platform/gui/TQRecordingCanvas.h"
#include "tests/render/TQViewFixture.h"

namespace fs = std::filesystem;

namespace {

struct PrintRoads : ::testing::Test {
    TViewFixture fx{12, 4};
    // count pages of layer 0; the listed ones get a row of digits
    void Pages(int count, std::initializer_list<int> filled) {
        for (int p = 1; p < count; ++p)
            fx.view.AllocatePage(0, p, true, 0, 0);
        for (int p : filled)
            fx.view.PageSets[0].at(static_cast<size_t>(p)).at(1).at(0) = TScoreFixture::Cell(std::to_string(p + 1));
    }
    // The texts drawn on page i of a direct run.
    static std::vector<std::string> TextsOfPage(const TRecordingPrintSink& sink, size_t i) {
        std::vector<std::string> texts;
        const size_t end = i + 1 < sink.PageStarts.size() ? sink.PageStarts[i + 1] : sink.Canvas->size();
        for (size_t k = sink.PageStarts[i]; k < end; ++k)
            if ((*sink.Canvas)[k].Op == TCanvasOp::TextOut)
                texts.push_back((*sink.Canvas)[k].Text);
        return texts;
    }
    static bool Has(const std::vector<std::string>& texts, const std::string& t) {
        return std::find(texts.begin(), texts.end(), t) != texts.end();
    }
};

TEST_F(PrintRoads, DirectRoadDrawsEachPageOnThePrinterPageInOneDocument) {
    Pages(3, {0, 1, 2});
    fx.view.FileName = "/music/song.mus";
    fx.view.CurPage = 1;
    fx.view.Zoom = 1.5;
    TCanvas* before = fx.view.OutCanvas;
    TRecordingPrintSink sink(800, 1100);
    TPrintOptions o;
    o.Copies = 2;
    o.PageNumberBase = 1;
    o.IncludeFileName = true;
    ASSERT_TRUE(PrintPagesDirect(fx.view, sink, o));
    EXPECT_EQ(sink.Documents, 1);
    ASSERT_EQ(sink.Pages.size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        const auto texts = TextsOfPage(sink, i);
        EXPECT_TRUE(Has(texts, std::to_string(i % 3 + 1))) << i; // the page's own note
        EXPECT_TRUE(Has(texts, "/music/song.mus")) << i;         // the file name with the footer
        EXPECT_TRUE(sink.Pages[i].isNull()) << "drawn, not sent as a picture";
    }
    EXPECT_EQ(fx.view.CurPage, 1);
    EXPECT_FLOAT_EQ(fx.view.Zoom, 1.5);
    EXPECT_EQ(fx.view.OutCanvas, before);
    EXPECT_EQ(fx.view.OutputKind, 0);
    EXPECT_FALSE(fx.view.chkIncludeFileNameChecked);

    // Without the file name; the current page only, whatever its index (page 2
    // is a trailing empty page, still printed on this road).
    fx.view.PageSets[0].at(2).at(1).at(0) = TCell();
    fx.view.CurPage = 2;
    o.IncludeFileName = false;
    o.AllPages = false;
    o.Copies = 1;
    TRecordingPrintSink one(800, 1100);
    ASSERT_TRUE(PrintPagesDirect(fx.view, one, o));
    ASSERT_EQ(one.Pages.size(), 1u);
    EXPECT_FALSE(Has(TextsOfPage(one, 0), "/music/song.mus"));
    EXPECT_FALSE(Has(TextsOfPage(one, 0), "Create By Tonquill"));

    // Asked not to use a bitmap, the print command draws directly.
    TRecordingPrintSink direct(800, 1100);
    ASSERT_TRUE(PrintPages(fx.view, direct, TPrintOptions{}, false));
    ASSERT_EQ(direct.Pages.size(), 2u);
    EXPECT_TRUE(direct.Pages[0].isNull());
}

TEST_F(PrintRoads, PrintScoreKeepsTrailingEmptyPagesAndPrintsNoGrid) {
    Pages(3, {0});
    fx.view.ShowGrid = true;
    TRecordingPrintSink sink(800, 1100);
    ASSERT_TRUE(PrintScore(fx.view, sink));
    EXPECT_EQ(sink.Documents, 1);
    EXPECT_EQ(sink.Pages.size(), 3u);
    // no grid: no dotted or plain grid lines across the cells, only what the
    // score draws
    for (const TCanvasCall& c : sink.Canvas->Calls())
        EXPECT_NE(c.Op, TCanvasOp::LineTo) << c.ToString();
    EXPECT_TRUE(fx.view.ShowGrid);
}

TEST_F(PrintRoads, FileNameOnBitmapPagesStandsAtTheTopRight) {
    Pages(1, {0});
    fx.view.FileName = "/music/song.mus";
    TPrintOptions o;
    TRecordingPrintSink plain(800, 1100), named(800, 1100);
    ASSERT_TRUE(PrintPagesByBitmap(fx.view, plain, o, 800));
    o.IncludeFileName = true;
    ASSERT_TRUE(PrintPagesByBitmap(fx.view, named, o, 800));
    const QImage& a = plain.Pages.at(0);
    const QImage& b = named.Pages.at(0);
    ASSERT_EQ(a.size(), b.size());
    QRect changed;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                changed |= QRect(x, y, 1, 1);
    ASSERT_FALSE(changed.isEmpty());
    EXPECT_GT(changed.left(), a.width() / 2);
    // right-aligned two cell widths (at the bitmap's zoom) from the edge
    const int cw = static_cast<int>(fx.view.CellWidth * 800.0 / fx.view.PageWidthUnits);
    EXPECT_LE(changed.right(), a.width() - 2 * cw);
    EXPECT_GE(changed.right(), a.width() - 2 * cw - 4);
    EXPECT_LT(changed.bottom(), a.height() / 8);
}

struct PrintDialogTest : PrintRoads {
    void SetUp() override { fs::remove(PrefFileName()); }
};

TEST_F(PrintDialogTest, CancelStoresTheKeysPrintsNothingAndPutsTheViewBack) {
    Pages(2, {0, 1});
    fx.view.CurPage = 1;
    fx.view.Zoom = 1.25;
    fx.view.ShowGrid = true;
    TCanvas* before = fx.view.OutCanvas;
    TfrmPrint dialog;
    TRecordingPrintSink sink(800, 1100);
    const bool printed = RunPrintCommand(fx.view, dialog, sink, [](TfrmPrint& d) {
        d.rbtCurrentPage->setChecked(true);
        d.cbxPrintInColor->setChecked(true);
        d.chkIncludeFileName->setChecked(false);
        d.reject();
        return static_cast<int>(QDialog::Rejected);
    });
    EXPECT_FALSE(printed);
    EXPECT_EQ(sink.Documents, 0);
    EXPECT_EQ(fx.view.CurPage, 1);
    EXPECT_FLOAT_EQ(fx.view.Zoom, 1.25);
    EXPECT_TRUE(fx.view.ShowGrid);
    EXPECT_EQ(fx.view.OutCanvas, before);
    const TIniFile ini(PrefFileName());
    EXPECT_EQ(ini.ReadInteger("Print", "PrintPage", -1), 1);
    EXPECT_TRUE(ini.ReadBool("Print", "printInColor", false));
    EXPECT_FALSE(ini.ReadBool("Print", "IncludeFileName", true));
    EXPECT_TRUE(ini.ReadBool("Print", "IncludeTitle", false));

    // The next show reads them back.
    TfrmPrint again;
    again.FormShow();
    EXPECT_TRUE(again.rbtCurrentPage->isChecked());
    EXPECT_TRUE(again.cbxPrintInColor->isChecked());
    EXPECT_FALSE(again.chkIncludeFileName->isChecked());
}

TEST_F(PrintDialogTest, OkKeepsThePageStartWithTheScoreAndPrintsTheTitle) {
    Pages(2, {0, 1});
    TfrmPrint dialog;
    TRecordingPrintSink sink(800, 1100);
    ASSERT_TRUE(RunPrintCommand(fx.view, dialog, sink, [](TfrmPrint& d) {
        d.spnPageN->setValue(5);
        d.edtTitle->setText(QStringLiteral("  Spring Song  "));
        d.btnOkClick();
        d.accept();
        return static_cast<int>(QDialog::Accepted);
    }));
    EXPECT_EQ(sink.Pages.size(), 2u);
    EXPECT_EQ(fx.view.PageNumberStart, 5);
    EXPECT_EQ(fx.view.PrintTitle, "Spring Song");
    EXPECT_EQ(fx.view.PageNumberBase, 5);
    dialog.FormShow();
    EXPECT_EQ(dialog.spnPageN->value(), 5) << "shown again for the same score";

    // Without page numbers the start is cleared and the dialog offers 1.
    RunPrintCommand(fx.view, dialog, sink, [](TfrmPrint& d) {
        d.chkIncludePageN->setChecked(false);
        d.chkIncludeTitle->setChecked(false);
        d.btnOkClick();
        return static_cast<int>(QDialog::Accepted);
    });
    EXPECT_EQ(fx.view.PageNumberStart, 0);
    EXPECT_EQ(fx.view.PrintTitle, "");
    dialog.FormShow();
    EXPECT_EQ(dialog.spnPageN->value(), 1);
}

struct SaveImageTest : PrintRoads {
    tqtest::TempDir tmp;
    std::vector<std::pair<int, std::string>> messages;
    int answer = mrYes;
    void SetUp() override {
        fs::remove(PrefFileName());
        SetMessageByIdHandler([this](TMsgButtons, int id, const std::string& extra, TMsgKind) {
            messages.push_back({id, extra});
            return answer;
        });
    }
    void TearDown() override { SetMessageByIdHandler(nullptr); }
    std::string P(const char* name) const { return (tmp / name).string(); }
};

TEST_F(SaveImageTest, FormatsSetTheirWidthRangesAndTheKeysComeBack) {
    TfrmSaveImage d;
    d.FormShow(); // no ini file: JPEG, 3000 pixels, black and white, all pages
    EXPECT_TRUE(d.rbtJPEG->isChecked());
    EXPECT_EQ(d.spnImgWidth->value(), 3000);
    EXPECT_TRUE(d.rbtBW->isChecked());
    EXPECT_TRUE(d.rbtAllPage->isChecked());
    EXPECT_TRUE(d.rbtPDF->isEnabled());

    d.rbtBMP->setChecked(true);
    d.rbtBMPClick();
    EXPECT_EQ(d.spnImgWidth->maximum(), 30000);
    EXPECT_EQ(d.spnImgWidth->singleStep(), 1000);
    EXPECT_EQ(d.spnImgWidth->value(), 7000);
    d.spnImgWidth->setValue(9000);
    d.rbtColor->setChecked(true);
    d.FormClose();

    // Shown again after start (JPEG selected before): BMP is restored as if
    // clicked, its default width replacing the stored one.
    TfrmSaveImage e;
    e.FormShow();
    EXPECT_TRUE(e.rbtBMP->isChecked());
    EXPECT_EQ(e.spnImgWidth->value(), 7000);
    EXPECT_TRUE(e.rbtColor->isChecked());
    // The same dialog shown again keeps the stored width.
    e.spnImgWidth->setValue(9000);
    e.FormClose();
    e.FormShow();
    EXPECT_EQ(e.spnImgWidth->value(), 9000);
    e.rbtJPEGClick();
    EXPECT_EQ(e.spnImgWidth->maximum(), 3000);
    EXPECT_EQ(e.spnImgWidth->value(), 3000);
}

TEST_F(SaveImageTest, ExportWritesFilesReportsThemAndStaysOpenWhenStopped) {
    Pages(4, {0, 1, 2});
    TfrmSaveImage d;
    d.FormShow();
    std::string answerName;
    d.OnAskFileName = [&](const QString&) { return answerName; };

    // The file dialog cancelled: nothing written, the dialog stays.
    d.btnOKClick();
    EXPECT_FALSE(d.CanCloseDialog);
    EXPECT_TRUE(d.Written.empty());

    // Black and white BMP of the current page: a one-bit picture.
    d.CanCloseDialog = true;
    d.rbtBMP->setChecked(true);
    d.rbtBMPClick();
    d.spnImgWidth->setValue(1000);
    d.rbtCurrentPage->setChecked(true);
    answerName = P("page");
    d.btnOKClick();
    ASSERT_EQ(d.Written, std::vector<std::string>{P("page.bmp")});
    EXPECT_TRUE(d.CanCloseDialog);
    const QImage bw(QString::fromStdString(P("page.bmp")));
    EXPECT_EQ(bw.depth(), 1);
    EXPECT_EQ(bw.width(), 1000);

    // All pages: three files, reported with their names.
    d.rbtAllPage->setChecked(true);
    d.rbtColor->setChecked(true);
    answerName = P("song.bmp");
    messages.clear();
    d.btnOKClick();
    ASSERT_EQ(d.Written.size(), 3u);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().first, 0);
    for (const std::string& f : d.Written)
        EXPECT_NE(messages.back().second.find("\n" + f), std::string::npos) << f;

    // Again: the files exist, the overwrite is refused, the dialog stays open.
    answer = mrNo;
    d.btnOKClick();
    EXPECT_FALSE(d.CanCloseDialog);
    EXPECT_TRUE(d.Written.empty());
}

TEST_F(SaveImageTest, PdfIsOneFileWithAPagePerFilledPage) {
    Pages(4, {0, 1, 2});
    TfrmSaveImage d;
    d.FormShow();
    d.rbtPDF->setChecked(true);
    d.rbtPDFClick();
    d.spnImgWidth->setValue(1000);
    d.OnAskFileName = [&](const QString& filter) {
        EXPECT_TRUE(filter.contains(QStringLiteral("pdf")));
        return P("book");
    };
    d.btnOKClick();
    ASSERT_EQ(d.Written, std::vector<std::string>{P("book.pdf")});
    std::string pdf;
    ASSERT_TRUE(ReadWholeFile(P("book.pdf"), pdf));
    const std::regex pageObject("/Type\\s*/Page[^s]");
    EXPECT_EQ(std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), pageObject), std::sregex_iterator()), 3);
}

} // namespace
