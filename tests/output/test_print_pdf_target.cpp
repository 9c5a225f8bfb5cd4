// The print command offers a PDF file as its target, and with no printer
// installed it says so and prints to a PDF file.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPrinter>
#include <QPageSize>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "lang/modTQPref.h"
#include "output/frmTQPrint.h"
#include "output/frmTQSaveImage.h"
#include "output/modTQPrint.h"
#include "platform/core/TQMessage.h"
#include "tests/render/TQViewFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

struct PdfTarget : ::testing::Test {
    TViewFixture fx{12, 4};
    tqtest::TempDir dir;
    std::vector<int> messages;
    void SetUp() override {
        std::filesystem::remove(PrefFileName());
        fx.Row(1, "1 2 3 5 | 6 5 3 -");
        fx.view.AllocatePage(0, 1, true, 0, 0);
        fx.view.PageSets[0].at(1).at(1).at(0) = TScoreFixture::Cell("5");
        SetMessageByIdHandler([this](TMsgButtons, int id, const std::string&, TMsgKind) {
            messages.push_back(id);
            return static_cast<int>(mrYes);
        });
    }
    void TearDown() override { SetMessageByIdHandler(nullptr); }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
};

TEST_F(PdfTarget, PrintCommandWritesEveryPageIntoTheChosenPdfFile) {
    QPrinter printer(QPrinter::HighResolution);
    TQPrinterSink sink(printer);
    TfrmPrint dialog;
    const std::string chosen = (dir / "song").string(); // the extension is added
    dialog.OnAskPdfFile = [&] { return chosen; };
    ASSERT_TRUE(RunPrintCommand(fx.view, dialog, sink, [](TfrmPrint& d) {
        d.chkPrintToPdf->setChecked(true);
        d.btnOkClick();
        return static_cast<int>(QDialog::Accepted);
    }));
    const std::string pdf = chosen + ".pdf";
    const std::string bytes = Read(pdf);
    ASSERT_GT(bytes.size(), 1000u);
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    if (std::system("pdfinfo -v >/dev/null 2>&1") == 0) {
        const std::string info = (dir / "info.txt").string();
        ASSERT_EQ(std::system(("pdfinfo '" + pdf + "' > '" + info + "'").c_str()), 0);
        const std::regex pages(R"(Pages:\s+2\b)");
        EXPECT_TRUE(std::regex_search(Read(info), pages)) << Read(info);
    }
    EXPECT_TRUE(printer.outputFileName().isEmpty()) << "the next print does not write into that file";
    EXPECT_TRUE(messages.empty());

    // An existing file is replaced only when the user agrees.
    std::filesystem::remove(pdf);
    std::ofstream(pdf) << "kept";
    TfrmPrint again;
    again.OnAskPdfFile = [&] { return pdf; };
    QPrinter second(QPrinter::HighResolution);
    TQPrinterSink refused(second);
    bool asked = false;
    SetMessageByIdHandler([&](TMsgButtons, int id, const std::string&, TMsgKind) {
        asked = asked || id == 2701;
        return static_cast<int>(mrNo);
    });
    EXPECT_FALSE(RunPrintCommand(fx.view, again, refused, [](TfrmPrint& d) {
        d.chkPrintToPdf->setChecked(true);
        return static_cast<int>(QDialog::Accepted);
    }));
    EXPECT_TRUE(asked);
    EXPECT_EQ(Read(pdf), "kept");
}

TEST_F(PdfTarget, WithoutAPrinterTheDialogSaysSoAndKeepsThePdfTarget) {
    TfrmPrint dialog;
    dialog.FormShow();
    const bool noPrinter = QPrinterInfo::availablePrinterNames().isEmpty();
    EXPECT_EQ(dialog.lblNoPrinter->isVisibleTo(&dialog), noPrinter);
    if (!noPrinter)
        GTEST_SKIP() << "a printer is installed here";
    EXPECT_TRUE(dialog.chkPrintToPdf->isChecked());
    EXPECT_FALSE(dialog.chkPrintToPdf->isEnabled());
    EXPECT_FALSE(dialog.lblNoPrinter->text().isEmpty());

    // The exercise sheet's direct print says it too instead of doing nothing.
    TMainScore* kept = frmMainTQ;
    EXPECT_FALSE(PrintScoreOnPrinter());
    frmMainTQ = kept;
    EXPECT_EQ(messages, std::vector<int>{2226});
}

} // namespace

namespace {

// Width and height in points of the first page, from poppler's pdfinfo.
std::pair<double, double> PdfPageSize(const std::string& pdf, const tqtest::TempDir& dir) {
    const std::string info = (dir / "size.txt").string();
    if (std::system(("pdfinfo '" + pdf + "' > '" + info + "'").c_str()) != 0)
        return {0.0, 0.0};
    std::ifstream in(info);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::smatch m;
    if (!std::regex_search(text, m, std::regex(R"(Page size:\s+([0-9.]+) x ([0-9.]+) pts)")))
        return {0.0, 0.0};
    return {std::stod(m[1]), std::stod(m[2])};
}

} // namespace

TEST_F(PdfTarget, PdfExportPageIsTheScoresPaperInItsProportions) {
    if (std::system("pdfinfo -v >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "poppler-utils is not installed";
    // A4 and Letter: the page of the PDF is the paper the score is set on.
    const struct {
        float w, h;
        double pw, ph;
    } papers[] = {{8.27f, 11.69f, 595.4, 841.7}, {8.5f, 11.0f, 612.0, 792.0}};
    for (const auto& paper : papers) {
        fx.view.PaperWidth = paper.w;
        fx.view.PaperHeight = paper.h;
        // The view's page has the paper's shape, as the window sizes it.
        fx.view.PaintBoxWidth = 850;
        fx.view.PaintBoxHeight = static_cast<int>(850.0 * paper.h / paper.w);
        TfrmSaveImage dialog;
        const std::string pdf = (dir / ("export" + std::to_string(static_cast<int>(paper.w * 100)) + ".pdf")).string();
        dialog.OnAskFileName = [&](const QString&) { return pdf; };
        RunSaveImageCommand(dialog, [](TfrmSaveImage& d) {
            d.rbtPDF->setChecked(true);
            d.rbtCurrentPage->setChecked(true);
            d.btnOKClick();
            return static_cast<int>(QDialog::Accepted);
        });
        const auto [w, h] = PdfPageSize(pdf, dir);
        EXPECT_NEAR(w, paper.pw, 1.5) << paper.w << " x " << paper.h;
        EXPECT_NEAR(h, paper.ph, 1.5) << paper.w << " x " << paper.h;

    }
}

TEST_F(PdfTarget, PageImageKeepsItsProportionsOnTheSheet) {
    if (std::system("pdftoppm -v >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "poppler-utils is not installed";
    // A Letter-shaped page image (8.5 x 11) with a black square in its middle,
    // printed on A4: the square stays square.
    QImage image(850, 1100, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 400; y < 600; ++y)
        for (int x = 325; x < 525; ++x)
            image.setPixel(x, y, qRgb(0, 0, 0));
    const std::string pdf = (dir / "square.pdf").string();
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        printer.setFullPage(true);
        printer.setPageSize(QPageSize(QPageSize::A4));
        TQPrinterSink sink(printer);
        ASSERT_TRUE(sink.Begin());
        sink.DrawImage(image);
        ASSERT_TRUE(sink.End());
    }
    const std::string png = (dir / "square").string();
    ASSERT_EQ(std::system(("pdftoppm -r 72 -png -singlefile '" + pdf + "' '" + png + "'").c_str()), 0);
    const QImage page(QString::fromStdString(png + ".png"));
    ASSERT_FALSE(page.isNull());
    int x0 = page.width(), x1 = -1, y0 = page.height(), y1 = -1;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 128) {
                x0 = std::min(x0, x), x1 = std::max(x1, x);
                y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
    ASSERT_GE(x1, x0);
    EXPECT_NEAR(x1 - x0, y1 - y0, 2) << "the square printed " << x1 - x0 + 1 << " x " << y1 - y0 + 1;
    EXPECT_NEAR(x1 - x0 + 1, 200 * 595.0 / 850.0, 3) << "as wide as the sheet allows";
}
