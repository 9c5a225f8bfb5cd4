// Pictures named by cells: a JPEG is known as one whatever the case of its
// extension, or by its content, so its recoloured copy is a JPEG too.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <fstream>
#include <string>

#include "tests/render/TQViewFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

std::string FirstBytes(const std::filesystem::path& path, int n) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(static_cast<size_t>(n), '\0');
    in.read(bytes.data(), n);
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

} // namespace

TEST(JianpuPictures, RecolouredCopyKeepsTheJpegFormat) {
    struct Case {
        const char* name;   // the picture's file name
        const char* copy;   // its copy in colour 255
        const char* format; // what the picture is
        const char* magic;  // the copy's first bytes
    };
    const Case cases[] = {
        {"pic.jpg", "pic255.jpg", "JPEG", "\xFF\xD8"},
        {"PIC.JPG", "PIC255.JPG", "JPEG", "\xFF\xD8"},
        {"Photo.Jpeg", "Photo255.Jpeg", "JPEG", "\xFF\xD8"},
        {"scan.pic", "scan255.pic", "JPEG", "\xFF\xD8"}, // known by its content
        {"pic.bmp", "pic255.bmp", "BMP", "BM"},
    };
    for (const Case& c : cases) {
        tqtest::TempDir dir;
        QImage picture(40, 20, QImage::Format_RGB32);
        picture.fill(Qt::black);
        ASSERT_TRUE(picture.save(QString::fromStdString((dir / c.name).string()), c.format)) << c.name;

        TViewFixture fx;
        TDrawEngine& e = fx.view.DrawEngine;
        e.CurColor = 255;
        EXPECT_TRUE(e.DrawImageFile(100.0f, 100.0f, 40.0f, (dir / c.name).string())) << c.name;
        ASSERT_TRUE(std::filesystem::exists(dir / c.copy)) << c.name;
        EXPECT_EQ(FirstBytes(dir / c.copy, 2), std::string(c.magic)) << c.name;
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::StretchDraw), 1) << c.name;
    }
}
