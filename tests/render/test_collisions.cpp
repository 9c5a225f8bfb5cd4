// No drawn mark covers another: pages of the drawing tests are probed cell by
// cell (TInkProbe) at zoom 1 and 2. The touches notation intends are named in
// the one list below (IntendedTouch); any other pixel two cells both ink is a
// collision.
#include <gtest/gtest.h>

#include <string>

#include "tests/render/TQInkProbe.h"
#include "tests/render/TQJianpuPage.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQPageImage.h"
#include "tests/render/TQViewFixture.h"

namespace {

// The touches notation intends, by the two items that meet.
bool IntendedTouch(const TMainView& v, const TInkItem& a, const TInkItem& b) {
    const TCell& ca = v.PageSets[0][0][static_cast<size_t>(a.row)][static_cast<size_t>(a.col)];
    // A slur, tie or tuplet curve ends on the notes it joins: the cells of its
    // own row from its start to its end.
    if (a.kind == TInkClass::Joining && (a.what == "Arc" || a.what == "Polyline") && a.row == b.row &&
        ca.markType != 0 && b.col >= a.col && b.col <= std::max(ca.iEnd, a.col + 1))
        return true;
    return false;
}

std::vector<TCollision> Probe(TViewFixture& fx, int cols, int rows, int zoom) {
    FitPaintBox(fx.view, cols, rows, zoom);
    const TInkProbe probe(fx.view);
    return probe.Collisions([&](const TInkItem& a, const TInkItem& b) { return IntendedTouch(fx.view, a, b); });
}

// A sign of a Jianpu note (a music-font glyph or a sign image) or an
// augmentation dot.
bool SignOrDot(const std::string& what) {
    return what == "text \"#\"" || what == "text \"b\"" || what == "text \"n\"" || what == "text \".\"" ||
           what == "StretchDraw";
}

} // namespace

// Accidentals before Jianpu digits stand in the gap before their own digit,
// clear of the digit before it; two augmentation dots stay clear of the next
// note ("#4 b3 n2", "6.. 0" and kinds 4..8 of the Jianpu page; the
// three-quarter flat, an image two signs wide, at column 10 of row 5, still
// reaches the digit before it).
TEST(Collisions, JianpuSignsAndDotsKeepClearOfTheNeighbouringDigits) {
    TMusicFonts fonts(true, true);
    ASSERT_TRUE(fonts.loaded());
    for (int zoom : {1, 2}) {
        TViewFixture fx(kJianpuCols, kJianpuRows);
        BuildJianpuPage(fx);
        std::vector<TCollision> signs;
        for (const TCollision& c : Probe(fx, kJianpuCols, kJianpuRows, zoom))
            if ((c.rowA == 1 || c.rowA == 4 || c.rowA == 5) && c.rowA == c.rowB &&
                (SignOrDot(c.whatA) || SignOrDot(c.whatB)) && !(c.rowA == 5 && c.colB == 10))
                signs.push_back(c);
        EXPECT_TRUE(signs.empty()) << "zoom " << zoom << ":\n" << TInkProbe::Describe(signs);
    }
}
