// The Western sample page on an image: braced grand staves, key signatures,
// beams, chords, accidentals, ledger lines and small notes, with and without
// the music font, at zoom 1 and 2.
#include <gtest/gtest.h>

#include <string>

#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQWestPage.h"
#include "tests/support/TQTestSupport.h"

TEST(WestPage, DrawsOnAnImage) {
    for (bool font : {true, false}) {
        for (double zoom : {1.0, 2.0}) {
            TMusicFonts fonts(font, font);
            TViewFixture fx(kWestCols, kWestRows);
            BuildWestPage(fx);
            fx.view.ShowGrid = false;
            SetWestZoom(fx, zoom);
            TPageImage page(fx.view);
            const std::string name = std::string("westpage_") + (font ? "font" : "nofont") + "_z" +
                                     std::to_string(static_cast<int>(zoom));
            tqtest::SavePngIfWanted(page.image, name);
        }
    }
}
