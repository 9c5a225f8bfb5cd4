// A Jianpu page drawn on an image: key header and key text, notes with octave
// dots, underlines, dashes, dots, accidentals and marks, bar lines and text
// symbols. Written to TQ_TEST_PNG_DIR when set, and checked where the drawing
// rules fix the pixels.
#include <gtest/gtest.h>

#include <QImage>
#include <string>

#include "model/modTQUtil.h"
#include "platform/core/TQStrings.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQPageImage.h"
#include "tests/render/TQJianpuPage.h"
#include "tests/render/TQViewFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

constexpr int kCols = kJianpuCols;
constexpr int kRows = kJianpuRows;

} // namespace

TEST(JianpuPage, SamplePageDrawsEveryElement) {
    SetStringLookup([](int id) { return id == 532 ? std::string("固定调") : std::string(); });
    for (bool musicFont : {true, false}) {
        TMusicFonts fonts(musicFont, musicFont);
        ASSERT_TRUE(fonts.loaded());
        TViewFixture fx(kCols, kRows);
        BuildJianpuPage(fx);
        TMainView& v = fx.view;
        FitPaintBox(v, kCols, kRows, 2.0);
        TPageImage page(v);
        const QImage& image = page.image;
        tqtest::SavePngIfWanted(image, musicFont ? "render_jianpu_page" : "render_jianpu_page_no_music_font");

        const TDrawEngine& e = v.DrawEngine;
        const int u = v.GetCellWidth(), w = v.GetCellHeight();
        const int L = e.GetLeftMarginPx(), T = e.GetTopMarginPx();
        auto cx = [&](int c) { return L + u * c; };
        auto cy = [&](int r) { return T + w * r; };
        const TColor bk = e.BkColor;
        const std::string where = musicFont ? "with the music font" : "without it";

        // the digits of row 1 are inked inside their cells
        for (int c : {1, 2, 3, 4, 6, 9})
            EXPECT_TRUE(Inked(image, cx(c), cy(1), cx(c) + u, cy(1) + w, bk)) << "column " << c << " " << where;
        // the dash of a run: inset 0.15 column, on the middle line of the row
        const int dashY = cy(1) + w / 2;
        EXPECT_EQ(PixelAt(image, cx(12) + u / 2, dashY), e.MainLayerColor) << where;
        EXPECT_EQ(PixelAt(image, cx(12) + RoundToInt(0.1f * static_cast<float>(u)), dashY), bk) << where;
        // the octave dot above 5' lies above its digit, the one below 6, under it
        EXPECT_TRUE(Inked(image, cx(6), cy(1) - w / 4, cx(6) + u, cy(1) + w / 8, bk)) << where;
        EXPECT_TRUE(Inked(image, cx(7), cy(1) + 3 * w / 4, cx(7) + u, cy(1) + w, bk)) << where;
        // nothing drawn in the empty cells of row 1
        EXPECT_FALSE(Inked(image, cx(27) + 2, cy(1) + 2, cx(27) + u - 2, cy(1) + w - 2, bk)) << where;
        // the closing bar of the row's last column, at the grid's right edge
        EXPECT_EQ(PixelAt(image, cx(kCols), cy(1) + w / 2), e.MainLayerColor) << where;
        // the key header and the key text have ink
        EXPECT_TRUE(Inked(image, cx(0), cy(0), cx(4), cy(0) + w, bk)) << where;
        EXPECT_TRUE(Inked(image, cx(0), cy(2), cx(3), cy(2) + w, bk)) << where;
        // the text symbols of row 3
        for (int c : {0, 4, 7, 10, 13, 16})
            EXPECT_TRUE(Inked(image, cx(c), cy(3) - w / 2, cx(c) + 2 * u, cy(3) + w, bk)) << "symbol " << c << " " << where;
    }
    SetStringLookup(nullptr);
}
