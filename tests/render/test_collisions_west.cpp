// No drawn mark of the Western sample page covers another, at zoom 1 and 2:
// a grace group keeps to its cell, clear of its main note's stem; the ties of a
// chord stop short of the stem of the chord they end on; note names over a
// staff keep out of the staff above it.
#include <gtest/gtest.h>

#include <vector>

#include "tests/render/TQInkProbe.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQWestPage.h"
#include "tests/render/TQViewFixture.h"

TEST(CollisionsWest, WesternPageHasNoCollisions) {
    for (bool font : {true, false}) {
        TMusicFonts fonts(font, font);
        ASSERT_TRUE(!font || fonts.loaded());
        for (int zoom : {1, 2}) {
            TViewFixture fx(kWestCols, kWestRows);
            BuildWestPage(fx);
            const std::vector<TCollision> list = Probe(fx, kWestCols, kWestRows, zoom);
            EXPECT_TRUE(list.empty()) << (font ? "music font" : "no music font") << ", zoom " << zoom << ":\n"
                                      << TInkProbe::Describe(list);
        }
    }
}
