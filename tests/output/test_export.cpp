// Exported page images: names, formats, sizes and the overwrite question.
#include <gtest/gtest.h>

#include "tests/support/TQTestSupport.h"

#include <QImageReader>
#include <filesystem>
#include <fstream>

#include "output/modTQImageExport.h"
#include "platform/core/TQMessage.h"
#include "tests/render/TQViewFixture.h"

namespace fs = std::filesystem;

namespace {

struct ExportTest : ::testing::Test {
    TViewFixture fx{12, 4};
    tqtest::TempDir tmp;
    fs::path dir;
    std::vector<int> asked;
    int answer = mrYes;
    void SetUp() override {
        dir = tmp / "export";
        fs::remove_all(dir);
        fs::create_directories(dir);
        SetMessageByIdHandler([this](TMsgButtons, int id, const std::string&, TMsgKind) {
            asked.push_back(id);
            return answer;
        });
    }
    void TearDown() override {
        SetMessageByIdHandler(nullptr);
        fs::remove_all(dir);
    }
    void Pages(int count, int filled) {
        for (int p = 1; p < count; ++p)
            fx.view.AllocatePage(0, p, true, 0, 0);
        for (int p = 0; p < filled; ++p)
            fx.view.PageSets[0].at(static_cast<size_t>(p)).at(1).at(0) = TScoreFixture::Cell("5");
    }
    std::string P(const char* name) const { return (dir / name).string(); }
    void ExpectImage(const std::string& path, const char* format, int width) {
        QImageReader reader(QString::fromStdString(path));
        EXPECT_EQ(reader.format().toStdString(), format) << path;
        const QSize size = reader.size();
        EXPECT_EQ(size.width(), width) << path;
        EXPECT_EQ(size.height(), width * fx.view.PaintBoxHeight / fx.view.PaintBoxWidth) << path;
    }
};

TEST_F(ExportTest, AllPagesWritesOneFilePerFilledPageNumberedFromOne) {
    Pages(5, 3);
    fx.view.PageNumberStart = 7;
    TExportOptions o;
    o.Width = 600;
    const auto files = ExportImages(fx.view, P("out_2.jpg"), o);
    ASSERT_EQ(files, (std::vector<std::string>{P("out_1.jpg"), P("out_2.jpg"), P("out_3.jpg")}));
    for (const auto& f : files)
        ExpectImage(f, "jpeg", 600);
    EXPECT_FALSE(fs::exists(P("out_4.jpg")));
    EXPECT_EQ(fx.view.PageNumberStart, 7);
    EXPECT_EQ(fx.view.OutputKind, 0);
    EXPECT_EQ(fx.view.OutCanvas, &fx.canvas);
    EXPECT_TRUE(asked.empty());
}

TEST_F(ExportTest, OnePageAndTheExtensionDecidesTheFormat) {
    TExportOptions o;
    o.Width = 500;
    EXPECT_EQ(ExportImages(fx.view, P("out.jpg"), o), std::vector<std::string>{P("out.jpg")});
    ExpectImage(P("out.jpg"), "jpeg", 500);
    o.Format = efJpeg;
    EXPECT_EQ(ExportImages(fx.view, P("x.bmp"), o), std::vector<std::string>{P("x.bmp")});
    ExpectImage(P("x.bmp"), "bmp", 500);
    o.Format = efBmp;
    o.InColor = true;
    EXPECT_EQ(ExportImages(fx.view, P("y"), o), std::vector<std::string>{P("y.bmp")});
    ExpectImage(P("y.bmp"), "bmp", 500);
}

TEST_F(ExportTest, ExistingFilesAskOnceAndNoWritesNothing) {
    Pages(3, 3);
    TExportOptions o;
    o.Width = 500;
    { std::ofstream(P("s_2.jpg")) << "old"; }
    answer = mrNo;
    EXPECT_TRUE(ExportImages(fx.view, P("s.jpg"), o).empty());
    EXPECT_EQ(asked, std::vector<int>{2701});
    EXPECT_FALSE(fs::exists(P("s_1.jpg")));
    EXPECT_EQ(fs::file_size(P("s_2.jpg")), 3u);
    answer = mrYes;
    asked.clear();
    EXPECT_EQ(ExportImages(fx.view, P("s.jpg"), o).size(), 3u);
    EXPECT_EQ(asked, std::vector<int>{2701});
    ExpectImage(P("s_2.jpg"), "jpeg", 500);
}

} // namespace
