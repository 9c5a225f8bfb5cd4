// Button faces drawn by the score's own drawers.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "palettes/modTQPaletteFaces.h"
#include "platform/gui/TQGlyphMap.h"
#include "tests/palettes/TQPaletteFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

int InkedPixels(const QImage& face) {
    int n = 0;
    for (int y = 0; y < face.height(); ++y)
        for (int x = 0; x < face.width(); ++x) n += qAlpha(face.pixel(x, y)) > 0 && qGray(face.pixel(x, y)) < 200;
    return n;
}

QImage Sheet(const std::map<int, QImage>& faces, int size) {
    const int perRow = 16;
    QImage sheet(perRow * (size + 2), int((faces.size() + perRow - 1) / perRow) * (size + 2),
                 QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    int i = 0;
    for (const auto& [tag, face] : faces) {
        p.drawImage((i % perRow) * (size + 2), (i / perRow) * (size + 2), face);
        ++i;
    }
    return sheet;
}

TEST(PaletteFaces, SymbolsAreDrawnAndTheScoreIsLeftAlone) {
    LoadProgramFonts(tqtest::ProgramFolder().string() + "/");
    TPaletteFixture fx;
    fx.Row(0, "1 2 3");
    TMainScore* const before = frmMainTQ;
    std::vector<int> special;
    for (int c = 1; c <= 177; ++c) special.push_back(c);
    const auto faces = DrawPaletteFaces(pfSpecial, special, 21);
    EXPECT_EQ(frmMainTQ, before);
    EXPECT_EQ(fx.At(1, 0).Note, '2');
    // Fermata, accent, sharp and flat have ink; 32 is the empty slot and draws nothing.
    for (int code : {1, 9, 14, 15}) {
        ASSERT_TRUE(faces.count(code)) << code;
        EXPECT_EQ(faces.at(code).size(), QSize(21, 21));
        EXPECT_GT(InkedPixels(faces.at(code)), 5) << code;
    }
    EXPECT_FALSE(faces.count(32));
    EXPECT_GT(faces.size(), 150u);
    tqtest::SavePngIfWanted(Sheet(faces, 21), "faces_special");

    std::vector<int> marks;
    for (int k = 1; k <= 99; ++k) marks.push_back(k);
    const auto markFaces = DrawPaletteFaces(pfDynMark, marks, 23);
    ASSERT_TRUE(markFaces.count(4)); // crescendo
    EXPECT_GT(InkedPixels(markFaces.at(4)), 5);
    tqtest::SavePngIfWanted(Sheet(markFaces, 23), "faces_dynmark");

    std::vector<int> gongche;
    for (int t = 1; t <= 35; ++t) gongche.push_back(t);
    for (int t = -1; t >= -9; --t) gongche.push_back(t);
    for (int m = 101; m <= 105; ++m) gongche.push_back(m);
    const auto gongFaces = DrawPaletteFaces(pfGongche, gongche, 21);
    tqtest::SavePngIfWanted(Sheet(gongFaces, 21), "faces_gongche");
    std::vector<int> text;
    for (int id = 1; id <= 12; ++id) text.push_back(id);
    const auto textFaces = DrawPaletteFaces(pfTextSymbol, text, 40);
    tqtest::SavePngIfWanted(Sheet(textFaces, 40), "faces_textsym");
    EXPECT_GT(gongFaces.size(), 40u);
    EXPECT_EQ(textFaces.size(), 12u);
}

} // namespace
