// No drawn mark covers another: pages of the drawing tests are probed cell by
// cell (TInkProbe) at zoom 1 and 2. The touches notation intends are named in
// the one list below (IntendedTouch); any other pixel two cells both ink is a
// collision.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/render/TQInkProbe.h"
#include "tests/render/TQJianpuPage.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQPageImage.h"
#include "tests/render/TQViewFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

// A sign of a Jianpu note (a music-font glyph or a sign image) or an
// augmentation dot.
bool SignOrDot(const std::string& what) {
    return what == "text \"#\"" || what == "text \"b\"" || what == "text \"n\"" || what == "text \".\"" ||
           what == "StretchDraw";
}

} // namespace

// Accidentals before Jianpu digits stand in the gap before their own digit,
// clear of the digit before it; two augmentation dots stay clear of the next
// note ("#4 b3 n2", "6.. 0" and kinds 4..9 of the Jianpu page).
TEST(Collisions, JianpuSignsAndDotsKeepClearOfTheNeighbouringDigits) {
    TMusicFonts fonts(true, true);
    ASSERT_TRUE(fonts.loaded());
    for (int zoom : {1, 2}) {
        TViewFixture fx(kJianpuCols, kJianpuRows);
        BuildJianpuPage(fx);
        std::vector<TCollision> signs;
        for (const TCollision& c : Probe(fx, kJianpuCols, kJianpuRows, zoom))
            if ((c.rowA == 1 || c.rowA == 4 || c.rowA == 5) && c.rowA == c.rowB &&
                (SignOrDot(c.whatA) || SignOrDot(c.whatB)))
                signs.push_back(c);
        EXPECT_TRUE(signs.empty()) << "zoom " << zoom << ":\n" << TInkProbe::Describe(signs);
    }
}

// Shared ink of two items of the probe (0 where they do not meet).
int SharedInk(const TInkItem& a, const TInkItem& b) {
    const QRect both = a.box.intersected(b.box);
    int n = 0;
    for (int y = both.top(); y <= both.bottom(); ++y)
        for (int x = both.left(); x <= both.right(); ++x)
            if (qGray(a.mask.pixel(x - a.box.left(), y - a.box.top())) < 160 &&
                qGray(b.mask.pixel(x - b.box.left(), y - b.box.top())) < 160)
                ++n;
    return n;
}

// The ring of a circled Jianpu note goes round its digit and leaves the octave
// dots above or below it whole; it stays within its own row.
TEST(Collisions, JianpuRingKeepsClearOfItsDigitAndOctaveDots) {
    TMusicFonts fonts(true, true);
    ASSERT_TRUE(fonts.loaded());
    for (int zoom : {1, 2}) {
        TViewFixture fx(12, 3);
        fx.Row(0, "\"1=C\" ~ ~ | 1 2 3 4 | 5 6 7 |");
        fx.Row(1, "| 1'{attr=0x10} 2''{attr=0x10} 3{attr=0x10} | 5,{attr=0x10} 6,{attr=0x10} 7,_{attr=0x10} 1 |");
        fx.Row(2, "| 1 2 3 4 5 6 7 1 |");
        FitPaintBox(fx.view, 12, 3, zoom);
        const TInkProbe probe(fx.view);
        const int cellW = fx.view.GetCellWidth();
        for (int col : {1, 2, 3, 5, 6, 7}) {
            // The ring is the cell's one ellipse wider than half a cell; the
            // octave dots are its small ones.
            const TInkItem* ring = nullptr;
            const TInkItem* digit = nullptr;
            std::vector<const TInkItem*> dots;
            for (const TInkItem& it : probe.Items()) {
                if (it.row != 1 || it.col != col)
                    continue;
                if (it.what == "Ellipse" && it.box.width() > cellW / 2)
                    ring = &it;
                else if (it.what == "Ellipse")
                    dots.push_back(&it);
                else if (it.what.rfind("text \"", 0) == 0)
                    digit = &it;
            }
            ASSERT_TRUE(ring && digit) << "zoom " << zoom << " column " << col;
            EXPECT_EQ(dots.size(), col == 3 ? 0u : col == 2 ? 2u : 1u) << "zoom " << zoom << " column " << col;
            EXPECT_EQ(SharedInk(*ring, *digit), 0) << "zoom " << zoom << " column " << col << ": the ring cuts the digit";
            for (const TInkItem* dot : dots)
                EXPECT_EQ(SharedInk(*ring, *dot), 0) << "zoom " << zoom << " column " << col << ": the ring cuts a dot";
        }
        std::vector<TCollision> rings;
        for (const TCollision& c : Probe(fx, 12, 3, zoom))
            if ((c.rowA == 1 && c.whatA == "Ellipse") || (c.rowB == 1 && c.whatB == "Ellipse"))
                rings.push_back(c);
        EXPECT_TRUE(rings.empty()) << "zoom " << zoom << ":\n" << TInkProbe::Describe(rings);
        TPageImage page(fx.view);
        tqtest::SavePngIfWanted(page.image, "collisions_ring_z" + std::to_string(zoom));
    }
}

