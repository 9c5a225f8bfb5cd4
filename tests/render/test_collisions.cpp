// No drawn mark covers another: every page of the drawing tests is probed
// (TInkProbe) at zoom 1 and 2, with and without the music fonts. The touches
// notation intends are named in the one list IntendedTouch; any other pixel two
// elements both ink is a collision.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/render/TQInkProbe.h"
#include "tests/render/TQDensePage.h"
#include "tests/render/TQFolkSongPage.h"
#include "tests/render/TQJianpuPage.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQPageImage.h"
#include "tests/render/TQPianoPage.h"
#include "tests/render/TQSamplePage.h"
#include "tests/render/TQViewFixture.h"
#include "tests/render/TQWestPage.h"
#include "tests/support/TQTestSupport.h"

namespace {

} // namespace

// The Jianpu page (key texts, octave dots over and under duration lines, signs
// of every kind, style marks, double dots, turned text), the sample page of
// compound cells (shrunk cells at -30..+20, grace groups, vertical chords,
// Gongche rows, slurs across a row break), the Western page (grand staves,
// grace groups, chord ties, note names, every clef), the two-system piano page
// (beamed eighths and a triplet, dotted notes, an mf under the treble staff),
// the dense page (both layers), the folk song 茉莉花 with its lyrics and a
// Gongche tune.
TEST(Collisions, EveryTestPageIsClear) {
    struct TPage {
        const char* name;
        int cols, rows;
        void (*build)(TViewFixture&);
        int layers;
    };
    const TPage pages[] = {{"jianpu", kJianpuCols, kJianpuRows, BuildJianpuPage, 1},
                           {"sample", kSampleCols, kSampleRows, BuildSamplePage, 1},
                           {"west", kWestCols, kWestRows, BuildWestPage, 1},
                           {"piano", kPianoCols, kPianoRows, BuildPianoPage, 1},
                           {"dense", kDenseCols, kDenseRows, BuildDensePage, 2},
                           {"folksong", kFolkSongCols, kFolkSongRows, BuildFolkSongPage, 1},
                           {"gongche", kGongcheTuneCols, kGongcheTuneRows, BuildGongcheTunePage, 1}};
    for (bool musicFont : {true, false}) {
        TMusicFonts fonts(musicFont, musicFont);
        ASSERT_TRUE(!musicFont || fonts.loaded());
        for (const TPage& p : pages)
            for (int zoom : {1, 2})
                for (int layer = 0; layer < p.layers; ++layer) {
                    TViewFixture fx(p.cols, p.rows, p.layers - 1);
                    p.build(fx);
                    FitPaintBox(fx.view, p.cols, p.rows, zoom);
                    const TInkProbe probe(fx.view, layer);
                    const auto list = probe.Collisions(
                        [&](const TInkItem& a, const TInkItem& b) { return IntendedTouch(fx.view, a, b); });
                    const std::string name = std::string(p.name) + (musicFont ? "" : "_nofont") + "_layer" +
                                             std::to_string(layer) + "_z" + std::to_string(zoom);
                    EXPECT_TRUE(list.empty()) << name << ":\n" << TInkProbe::Describe(list);
                    if (layer == 0) {
                        TPageImage page(fx.view);
                        tqtest::SavePngIfWanted(page.image, "collisions_" + name);
                    }
                }
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

