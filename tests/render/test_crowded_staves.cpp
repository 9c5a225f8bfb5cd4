// Where the Western page crowds its staves and columns the drawing keeps the
// marks apart, measured from the ink in staff spaces at zoom 1 and 2, with
// and without the music fonts: a bass note's articulation under a low treble
// note, a dotted rest before a note with a double sharp, a one-line drum staff
// right over a treble staff with a key signature and high beams, and on the
// piano page a sharp right after a stem.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tests/render/TQInkProbe.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQPianoPage.h"
#include "tests/render/TQViewFixture.h"
#include "tests/render/TQWestPage.h"

namespace {

// The inked pixels of every item of the cells (c0..c1, row) but lines under
// everything, in page pixels.
std::vector<QPoint> InkOf(const TInkProbe& probe, int c0, int c1, int row) {
    std::vector<QPoint> out;
    for (const TInkItem& it : probe.Items()) {
        if (it.row != row || it.col < c0 || it.col > c1 || it.kind == TInkClass::Under)
            continue;
        for (int y = 0; y < it.mask.height(); ++y)
            for (int x = 0; x < it.mask.width(); ++x)
                if (qGray(it.mask.pixel(x, y)) < 160)
                    out.emplace_back(it.box.left() + x, it.box.top() + y);
    }
    return out;
}

// The white between two inks: the distance of their nearest pixels less one
// pixel (0 where they touch), in pixels.
double Clearance(const std::vector<QPoint>& a, const std::vector<QPoint>& b) {
    double best = 1e9;
    for (const QPoint& p : a)
        for (const QPoint& q : b)
            best = std::min(best, std::hypot(p.x() - q.x(), p.y() - q.y()));
    return best - 1.0;
}

} // namespace

TEST(CrowdedStaves, MarksOfNeighbouringCellsAndStavesKeepApart) {
    struct TCase {
        const char* what;
        bool piano;
        int c0, c1, rowA; // the cells of one side
        int d0, d1, rowB; // and of the other
        double least;     // the white between them, in spaces
    };
    const TCase cases[] = {
        // A bass F with staccato and tenuto, stem down, under a treble A with
        // two ledger lines and a staccato, stem up: the marks go under the F.
        {"bass marks and the low treble note", false, 22, 22, 2, 22, 22, 0, 0.25},
        // A dotted sixteenth rest, then a double-sharped B.
        {"dotted rest and the next double sharp", false, 33, 33, 2, 34, 34, 2, 0.25},
        // The drum staff's line is two spaces over the treble staff below it:
        // its stems down, the key signature of seven sharps and the beams of
        // E F G A rising in the treble staff share that room. The sixth sharp
        // rises half a space over its staff, under the first drum stem: a
        // sixth of a space between them.
        {"drum staff and the treble staff under it", false, 4, 7, 16, 0, 7, 17, 0.16},
        // A quarter G, stem up, then B with a sharp.
        {"stem and the sharp after it", true, 13, 13, 0, 14, 14, 0, 0.25},
    };
    for (bool font : {true, false}) {
        TMusicFonts fonts(font, font);
        ASSERT_TRUE(!font || fonts.loaded());
        for (int zoom : {1, 2})
            for (const TCase& c : cases) {
                const int cols = c.piano ? kPianoCols : kWestCols;
                const int rows = c.piano ? kPianoRows : kWestRows;
                TViewFixture fx(cols, rows);
                if (c.piano)
                    BuildPianoPage(fx);
                else
                    BuildWestPage(fx);
                FitPaintBox(fx.view, cols, rows, zoom);
                const TInkProbe probe(fx.view);
                const std::vector<QPoint> a = InkOf(probe, c.c0, c.c1, c.rowA);
                const std::vector<QPoint> b = InkOf(probe, c.d0, c.d1, c.rowB);
                ASSERT_FALSE(a.empty() || b.empty()) << c.what;
                const double space = fx.view.GetCellHeight() / 4.0;
                EXPECT_GE(Clearance(a, b) / space, c.least)
                    << c.what << ", " << (font ? "music font" : "no music font") << ", zoom " << zoom;
            }
    }
}

// A stem pointing at a staff in the very next row ends in its own row, a
// quarter space before the row's edge, and keeps at least a space and a
// quarter; a note whose head stands at that edge keeps its stem of
// three and a half spaces. Rows: a one-line drum staff, a treble staff right
// under it, another treble staff right under that; the stems of the drum
// quarter and of the treble B (middle line, stem down) point at the staff
// below, the treble E on the bottom line (stem down) stands at the edge.
TEST(CrowdedStaves, AStemTowardAStaffInTheNextRowEndsInItsOwnRow) {
    for (int zoom : {1, 2}) {
        TViewFixture fx(8, 3);
        SetDefaultPageGeometry(fx.view);
        fx.Row(0, "&D{iEnd=7} ~ ~ ~ W:3@0 ~ ~ ~");
        fx.Row(1, "&G{iEnd=7} ~ ~ ~ W:3@0 ~ W:3@4 ~");
        fx.Row(2, "&G{iEnd=7} ~ ~ ~ W:3@0 ~ W:3@0 ~");
        FitPaintBox(fx.view, 8, 3, zoom);
        const TInkProbe probe(fx.view);
        const double space = fx.view.GetCellHeight() / 4.0;
        const int top = fx.view.DrawEngine.GetTopMarginPx();
        const int rowH = fx.view.DrawEngine.GetBaseYUnit();
        auto stem = [&](int col, int row) {
            for (const TInkItem& it : probe.Items())
                if (it.col == col && it.row == row && it.what == "FillRect" && it.box.height() > 2 * it.box.width())
                    return it.box;
            return QRect();
        };
        struct TCase {
            int col, row;
            double headY; // the head's place, in spaces below the row's top
            bool inRow;   // the stem ends in its row
        };
        for (const TCase& c : {TCase{4, 0, 2.0, true}, TCase{4, 1, 2.0, true}, TCase{6, 1, 4.0, false}}) {
            const QRect s = stem(c.col, c.row);
            ASSERT_FALSE(s.isNull()) << "zoom " << zoom << " column " << c.col << " row " << c.row;
            const double rowBottom = top + (c.row + 1) * rowH;
            const double end = s.bottom() + 1;
            const std::string at = "zoom " + std::to_string(zoom) + ", column " + std::to_string(c.col) + ", row " +
                                   std::to_string(c.row);
            const double head = top + c.row * rowH + c.headY * space;
            if (c.inRow) {
                EXPECT_GE((rowBottom - end) / space, 0.2) << at;
                EXPECT_GE((end - head) / space, 1.25) << at;
            } else {
                EXPECT_NEAR((end - head) / space, 3.5, 0.4) << at;
            }
        }
    }
}

// Of a grand staff, a bass F (stem down) with staccato and tenuto keeps them
// over its head, in the room under the treble staff, unless the treble note
// of its column hangs into that room: an A under two ledger lines with its
// staccato under it takes it, and the marks go under the F's stem; a B on the
// middle line leaves it.
TEST(CrowdedStaves, MarksGiveWayToTheNoteOfTheStaffAboveOnlyWhenItFillsTheRoom) {
    for (int zoom : {1, 2}) {
        TViewFixture fx(8, 3);
        SetDefaultPageGeometry(fx.view);
        fx.Row(0, "&G" + WestBracedStaffEnd(8) + " ~ ~ ~ W:3@8{opt=0x11} ~ W:3@0{opt=0x11} ~");
        fx.Row(2, "&F" + WestStaffEnd(8) + " ~ ~ ~ W:3@-2{opt=0x4000010} ~ W:3@-2{opt=0x4000010} ~");
        FitPaintBox(fx.view, 8, 3, zoom);
        const TInkProbe probe(fx.view);
        const int staffTop = fx.view.DrawEngine.GetTopMarginPx() + 2 * fx.view.DrawEngine.GetBaseYUnit();
        for (int col : {4, 6}) {
            int top = 1 << 20;
            for (const TInkItem& it : probe.Items())
                if (it.col == col && it.row == 2 && it.kind != TInkClass::Under)
                    top = std::min(top, it.box.top());
            const bool marksAbove = top < staffTop;
            EXPECT_EQ(marksAbove, col == 6) << "zoom " << zoom << ", column " << col << ": ink from " << top
                                            << ", staff from " << staffTop;
        }
    }
}
