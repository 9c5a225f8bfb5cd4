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
#include "tests/render/TQViewFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

constexpr int kCols = 32;
constexpr int kRows = 7;

void BuildJianpuPage(TViewFixture& fx) {
    // a key header (F sharp) and the tempo word, the dynamic
    fx.Row(0, "\"1=C\"{attr=0x90,note=13} ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~{type=11,note=35} ~ ~ ~ ~ ~{type=11,note=8}");
    fx.Row(1, "|: 1 2 3 4 | 5' 6, 7_ 1'_ | 5 - - - | #4 b3 n2 0 | 1 2 3 4 :| ~ ~ ~ ~ ~ 3");
    fx.Row(2, "\"1=bE\" ~ ~ | 3. 2_ 1 2 | 3__ 4__ 5 6 | 0 x X * | 5{attr=0x60} - 6{attr=0x70} - ||");
    fx.Row(3, "~{type=11,note=22} ~ ~ ~ ~{type=11,note=6} ~ ~ ~{type=11,note=15,attr=1} ~ ~ "
              "~{type=11,note=16} ~ ~ ~{type=11,note=52} ~ ~ ~{type=11,note=26}");
    fx.Row(4, "| 1''{attr=0x10} 2,,__ 3{attr=0x80} 4{attr=0xF0} | 5{opt=0x20} 6{opt=0x10} 7{opt=0x4000000} "
              "1{opt=0x800} | 2{attr=0x20} 3{attr=0x30} . 4{attr=0x40} | 5{attr=0x50} 6.. 0 |]");
    fx.Row(5, "\"1=#F\" ~ ~ | 1{attr=4} 2{attr=5} 3{attr=6} 4{attr=7} | 5{attr=8} 6{attr=9} 7' 1 |");
    fx.Row(6, "\"Allegro\"{opt=0x80000} ~ ~ ~ ~ \"中文\"{type=3} ~ ~ \"Andante\"{x=0}");
    TCell& chinese = fx.At(5, 6);
    chinese.Text = "\xD6\xD0\xCE\xC4";
    chinese.FontCharset = 134;
    chinese.FontName = "CN";
    fx.At(8, 6).dot = 300; // turned by 30 degrees
}

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
