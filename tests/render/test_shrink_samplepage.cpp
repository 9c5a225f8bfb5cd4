// A sample page of compound Jianpu cells, Gongche cells and curves drawn on an
// image: shrunk cells with underlines, slurs and tuplet numbers, grace notes
// before and after their notes, vertical chords, the Gongche characters and
// symbols, and slurs, ties and tuplets of Jianpu rows with a slur across a row
// break. Written to TQ_TEST_PNG_DIR when set, and checked for ink where each
// element stands.
#include <gtest/gtest.h>

#include <QImage>
#include <string>
#include <vector>

#include "model/modTQPredicates.h"
#include "model/modTQUtil.h"
#include "notation/modTQJianpuSlur.h"
#include "tests/render/TQCompoundCells.h"
#include "tests/render/TQSamplePage.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQPageImage.h"
#include "tests/render/TQViewFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

constexpr int kCols = kSampleCols;
constexpr int kRows = kSampleRows;

} // namespace

TEST(CompoundPage, SamplePageOfCompoundCellsGongcheAndCurves) {
    for (bool musicFont : {true, false}) {
        TMusicFonts fonts(musicFont, musicFont);
        ASSERT_TRUE(fonts.loaded());
        TViewFixture fx(kCols, kRows);
        BuildSamplePage(fx);
        TMainView& v = fx.view;
        FitPaintBox(v, kCols, kRows, 2.5);
        TPageImage page(v);
        const QImage& image = page.image;
        tqtest::SavePngIfWanted(image, musicFont ? "render_compound_page" : "render_compound_page_no_music_font");

        const TDrawEngine& e = v.DrawEngine;
        const int u = v.GetCellWidth(), w = v.GetCellHeight();
        const int L = e.GetLeftMarginPx(), T = e.GetTopMarginPx();
        auto cx = [&](int c) { return L + u * c; };
        auto cy = [&](int r) { return T + w * r; };
        const TColor bk = e.BkColor;
        const std::string where = musicFont ? "with the music font" : "without it";

        // shrunk cells: digits and underlines inside their cells, the tuplet
        // number above the first one
        for (int c : {2, 4, 6, 8})
            EXPECT_TRUE(Inked(image, cx(c), cy(1), cx(c) + u, cy(1) + w, bk)) << "shrunk " << c << " " << where;
        EXPECT_TRUE(Inked(image, cx(2) - u / 4, cy(1) - w / 2, cx(2) + u / 2, cy(1), bk)) << where;
        // grace cells: notes in the upper half, the curve below them
        for (int c : {1, 3, 6, 10}) {
            EXPECT_TRUE(Inked(image, cx(c), cy(2) - w / 2, cx(c) + u, cy(2) + w / 4, bk)) << "grace " << c << " " << where;
            EXPECT_TRUE(Inked(image, cx(c), cy(2) + w / 4, cx(c) + u, cy(2) + w / 2 + w / 8, bk)) << "grace " << c;
        }
        // vertical chords reach well above their row; nothing else is there
        for (int c : {2, 4, 6})
            EXPECT_TRUE(Inked(image, cx(c), cy(4) - w / 2, cx(c) + u, cy(4), bk)) << "chord " << c << " " << where;
        // every Gongche cell and symbol has ink
        for (int i = 0; i < 10; ++i)
            EXPECT_TRUE(Inked(image, cx(2 * i), cy(5), cx(2 * i) + 2 * u, cy(5) + w, bk)) << "gongche " << i;
        for (int i = 0; i < 9; ++i)
            EXPECT_TRUE(Inked(image, cx(2 * i), cy(6) - w / 2, cx(2 * i) + 2 * u, cy(6) + w, bk)) << "symbol " << i;
        // the two halves of the slur across the row break: above the end of
        // row 7 and above the start of row 8
        EXPECT_TRUE(Inked(image, cx(18), cy(7) - w / 4, cx(20), cy(7) + w / 4, bk)) << where;
        EXPECT_TRUE(Inked(image, cx(0) + u / 2, cy(8) - w / 4, cx(2), cy(8) + w / 4, bk)) << where;
        // the triplet number over columns 9..11
        EXPECT_TRUE(Inked(image, cx(9) + u / 2, cy(7) - w / 2, cx(11), cy(7), bk)) << where;
    }
}
