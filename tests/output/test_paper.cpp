// Paper: the printer starts on the paper a new score is laid out for, and a
// page printed on paper of other proportions comes out whole.
#include <gtest/gtest.h>

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <cstdlib>
#include <filesystem>
#include <regex>

#include "lang/modTQPref.h"
#include "output/frmTQPrint.h"
#include "output/modTQPrint.h"
#include "tests/render/TQViewFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

TEST(Paper, PrinterSetupStartsOnThePaperOfAFirstStart) {
    tqtest::TempDir home;
    setenv("TONQUILL_HOME", home.str().c_str(), 1);
    TViewFixture fx{12, 4};
    TMainSettings settings;
    settings.SetDefaultFolders(home.str());
    TViewPrefs view;
    bool chinese = false;
    TPrefParts parts{fx.view, settings, view, chinese, 1, 0};
    LoadPreferences(parts); // no TQ.ini: the first start's paper
    const QSizeF printer = MainPrinter().pageLayout().pageSize().size(QPageSize::Inch);
    EXPECT_NEAR(printer.width(), fx.view.PaperWidth, 0.02);
    EXPECT_NEAR(printer.height(), fx.view.PaperHeight, 0.02);
    EXPECT_EQ(fx.view.PaperType, 0) << "Letter, named as its size";
    EXPECT_NEAR(fx.view.PaperWidth, 8.5, 1e-6);
}

TEST(Paper, APageOnPaperOfOtherProportionsIsPrintedWhole) {
    if (std::system("pdftotext -v >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "poppler-utils is not installed";
    // A4 pages (8.27 x 11.69 in) printed straight on Letter (8.5 x 11 in)
    // and Letter pages on A4: the first and the last row are on the sheet.
    const struct {
        float w, h;
        QPageSize sheet;
    } cases[] = {{8.27f, 11.69f, QPageSize(QPageSize::Letter)}, {8.5f, 11.0f, QPageSize(QPageSize::A4)}};
    tqtest::TempDir dir;
    for (const auto& c : cases) {
        TViewFixture fx{12, 4};
        TMainView& v = fx.view;
        v.PaperWidth = c.w;
        v.PaperHeight = c.h;
        v.CellWidth = 15;
        ASSERT_TRUE(v.CalcPageGrid());
        v.AllocatePage(0, 0, true, 0, 0);
        fx.Row(0, "\"First\"");
        fx.Row(v.Rows - 1, "\"Last\"");
        const std::string pdf = (dir / ("sheet" + std::to_string(static_cast<int>(c.w * 100)) + ".pdf")).string();
        {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(pdf));
            printer.setFullPage(true);
            printer.setPageLayout(QPageLayout(c.sheet, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
            TQPrinterSink sink(printer);
            ASSERT_TRUE(PrintPagesDirect(v, sink, TPrintOptions{}));
        }
        const QSizeF sheet = c.sheet.size(QPageSize::Point);
        const std::string bbox = tqtest::CommandOutput("pdftotext -bbox '" + pdf + "' -");
        for (const char* word : {"First", "Last"}) {
            std::smatch m;
            const std::regex at(std::string(R"re(xMin="([-0-9.]+)" yMin="([-0-9.]+)" xMax="([-0-9.]+)" yMax="([-0-9.]+)">)re") +
                                word + "<");
            ASSERT_TRUE(std::regex_search(bbox, m, at)) << c.w << ": " << word << " printed\n" << bbox;
            EXPECT_GE(std::stod(m[1]), 0.0) << c.w << ": " << word;
            EXPECT_GE(std::stod(m[2]), 0.0) << c.w << ": " << word;
            EXPECT_LE(std::stod(m[3]), sheet.width()) << c.w << ": " << word;
            EXPECT_LE(std::stod(m[4]), sheet.height()) << c.w << ": " << word;
        }
    }
}

} // namespace
