// Rows as real scores have them, at the cell sizes they use, probed for
// marks that cover one another (TInkProbe) at zoom 1 and 2.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/render/TQInkProbe.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQPageImage.h"
#include "tests/render/TQViewFixture.h"
#include "tests/support/TQTestSupport.h"

// A dotted note before another note keeps its dot in the gap between the two
// digits, clear of both, whichever digits they are (4, 5 and 6 reach far
// left), at the default cell size of a score (15 x 30) and at 20 x 40.
TEST(ScoreCollisions, DotOfADottedNoteFitsBetweenTheDigits) {
    TMusicFonts fonts(true, true);
    ASSERT_TRUE(fonts.loaded());
    constexpr int kCols = 32, kRows = 3;
    for (int cellW : {15, 20}) {
        for (int zoom : {1, 2}) {
            TViewFixture fx(kCols, kRows);
            fx.view.CellWidth = cellW;
            fx.view.CellHeight = 2 * cellW;
            fx.view.DrawUnit = cellW;
            fx.Row(1, "1. 4 2. 4 3. 4 4. 4 5. 4 6. 4 7. 4 0. 4 1'. 4 5, 7. 1 3. 2 4. 3 5. 6 6. 7 7'. 5");
            fx.Row(2, "1 #4 2 b4 5. #4 6. b4 7 n4 3. #1 4. 6 5 3. 5 1 |]");
            const auto list = Probe(fx, kCols, kRows, zoom);
            EXPECT_TRUE(list.empty()) << "cell width " << cellW << ", zoom " << zoom << ":\n"
                                      << TInkProbe::Describe(list);
            TPageImage page(fx.view);
            tqtest::SavePngIfWanted(page.image,
                                    "dotted_notes_w" + std::to_string(cellW) + "_z" + std::to_string(zoom));
        }
    }
}
