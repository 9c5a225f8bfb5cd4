// The engraving of a two-system piano page, measured from the drawn ink in
// staff spaces: sizes of heads, rests, dots, stems and ledger lines, and the
// room between a time signature, an accidental and the notes round them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/modTQCellAccess.h"
#include "tests/render/TQInkProbe.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQPianoPage.h"
#include "tests/render/TQViewFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

// The piano page's ink at a zoom, item by item; a staff space is a quarter of
// a row.
struct TPianoInk {
    explicit TPianoInk(double zoom, const std::function<void(TViewFixture&)>& change = {}) : fx(kPianoCols, kPianoRows) {
        BuildPianoPage(fx);
        if (change)
            change(fx);
        FitPaintBox(fx.view, kPianoCols, kPianoRows, zoom);
        probe = std::make_unique<TInkProbe>(fx.view);
        space = static_cast<double>(fx.view.GetCellHeight()) / 4.0;
        TPageImage page(fx.view);
        tqtest::SavePngIfWanted(page.image, "piano_z" + std::to_string(static_cast<int>(zoom)));
    }
    std::vector<const TInkItem*> At(int col, int row) const {
        std::vector<const TInkItem*> out;
        for (const TInkItem& it : probe->Items())
            if (it.col == col && it.row == row)
                out.push_back(&it);
        return out;
    }
    template <class Pred>
    const TInkItem* Find(int col, int row, Pred pred) const {
        for (const TInkItem* it : At(col, row))
            if (pred(*it))
                return it;
        return nullptr;
    }
    std::string Dump(int col, int row) const {
        std::string s;
        for (const TInkItem* it : At(col, row))
            s += "  " + it->what + " " + std::to_string(it->box.left()) + "," + std::to_string(it->box.top()) + " " +
                 std::to_string(it->box.width()) + "x" + std::to_string(it->box.height()) + "\n";
        return s;
    }
    TViewFixture fx;
    std::unique_ptr<TInkProbe> probe;
    double space = 0;
};

} // namespace

// Sizes by the book, from the ink of the piano page at the screen's zoom 2
// and about a 300-per-inch printer's (zoom 4): the quarter rest about 2.8
// spaces tall, the augmentation dot a round dot 0.4 space across in the middle
// of the space above a head on a line, stems about 0.12 space and ledger lines
// about 0.16 space thick.
TEST(Engraving, RestsDotsStemsAndLedgerLinesHaveTheirBookSizes) {
    TMusicFonts fonts(true, true);
    ASSERT_TRUE(fonts.loaded());
    for (double zoom : {2.0, 4.0}) {
        const TPianoInk ink(zoom);
        const double sp = ink.space;
        const std::string at = "zoom " + std::to_string(zoom) + "\n";
        // The head of a cell: its one text item; its stem: its tall narrow fill.
        auto head = [&](int col) { return ink.Find(col, 0, [](const TInkItem& it) { return it.what.rfind("text", 0) == 0; }); };
        auto stem = [&](int col) {
            return ink.Find(col, 0, [](const TInkItem& it) { return it.what == "FillRect" && it.box.height() > 4 * it.box.width(); });
        };
        const TInkItem* rest = head(10);
        ASSERT_NE(rest, nullptr) << at << ink.Dump(10, 0);
        EXPECT_NEAR(rest->box.height() / sp, 2.8, 0.2) << at << "quarter rest height";

        // The dotted B on the middle line: the dot in the space above it.
        const TInkItem* dotted = head(11);
        const TInkItem* dot = ink.Find(11, 0, [](const TInkItem& it) { return it.what == "Ellipse"; });
        ASSERT_TRUE(dotted && dot) << at << ink.Dump(11, 0);
        EXPECT_NEAR(dot->box.width() / sp, 0.4, 0.07) << at << "dot size";
        EXPECT_NEAR(dot->box.height() / sp, 0.4, 0.07) << at << "dot size";
        const double middle = dotted->box.center().y() - sp / 2;
        EXPECT_NEAR(dot->box.center().y(), middle, 0.1 * sp) << at << "dot off the middle of its space";
        EXPECT_GE(dot->box.left() - dotted->box.right(), 0.15 * sp) << at << "dot against its head";

        for (int col : {5, 11, 16}) {
            const TInkItem* s = stem(col);
            ASSERT_NE(s, nullptr) << at << ink.Dump(col, 0);
            EXPECT_LE(s->box.width() / sp, 0.15) << at << "stem of column " << col;
        }
        // The middle C's ledger line: the wide flat fill of its cell.
        const TInkItem* ledger =
            ink.Find(17, 0, [](const TInkItem& it) { return it.what == "FillRect" && it.box.width() > 3 * it.box.height(); });
        ASSERT_NE(ledger, nullptr) << at << ink.Dump(17, 0);
        EXPECT_LE(ledger->box.height() / sp, 0.2) << at << "ledger line";
        EXPECT_GE(ledger->box.width() / sp, 1.5) << at << "ledger line";
    }
}

// Black and half heads by the book, from the ink of the piano page with and
// without the music font at zoom 1 and 2 (the note pictures) and 4 (the
// glyphs when zoomed): Bravura's 1.18 spaces wide, the black head as wide as
// the half head; every stem (beamed ones too) stands on its head's edge: its
// right side within a pixel of the head's right edge going up, its left side
// within a pixel of the head's left edge going down.
TEST(Engraving, BlackAndHalfHeadsHaveTheirBookWidthAndMeetTheirStems) {
    for (bool musicFont : {true, false}) {
        TMusicFonts fonts(musicFont, musicFont);
        ASSERT_TRUE(fonts.loaded());
        for (double zoom : {1.0, 2.0, 4.0}) {
            TPianoInk ink(zoom);
            const double sp = ink.space;
            const double tolerance = zoom < 2.0 ? 0.15 : 0.08; // a pixel at zoom 1 is 0.13 space
            int heads = 0;
            for (int row : {0, 2, 4, 6})
                for (int col = 4; col < kPianoCols; ++col) {
                    const TCell& c = ink.fx.At(col, row);
                    if (c.cellType != 8 || c.Note < 2 || c.Note > 4 || !c.westChordArray.empty())
                        continue;
                    const std::string at = std::string(musicFont ? "music font" : "no music font") + ", zoom " +
                                           std::to_string(zoom) + ", cell (" + std::to_string(col) + "," +
                                           std::to_string(row) + ")\n" + ink.Dump(col, row);
                    // The head is drawn first, as a picture or a glyph.
                    const TInkItem* head = ink.Find(col, row, [](const TInkItem& it) {
                        return it.what == "StretchDraw" || it.what == "text \"U+FFFD\"";
                    });
                    // The stem: the tallest narrow fill (a sharp's strokes are shorter).
                    const TInkItem* stem = nullptr;
                    for (const TInkItem* it : ink.At(col, row))
                        if (it->what == "FillRect" && it->box.height() > 4 * it->box.width() &&
                            (!stem || it->box.height() > stem->box.height()))
                            stem = it;
                    ASSERT_TRUE(head && stem) << at;
                    ++heads;
                    EXPECT_NEAR(head->box.width() / sp, 1.18, tolerance) << at << "head width";
                    if (IsStemFlipped(c))
                        EXPECT_LE(std::abs(stem->box.right() - head->box.right()), 1) << at << "stem up off its head";
                    else
                        EXPECT_LE(std::abs(stem->box.left() - head->box.left()), 1) << at << "stem down off its head";
                }
            EXPECT_GE(heads, 20);
        }
    }
}

// The time signature stands a good space before the first note of both staves:
// from its ink to the first head's, at least one staff space and at most 1.6,
// drawn as the common-time sign and as figures, with and without the music
// font, at zoom 1, 2 and 4.
TEST(Engraving, TimeSignatureStandsASpaceBeforeTheFirstNote) {
    for (bool musicFont : {true, false}) {
        TMusicFonts fonts(musicFont, musicFont);
        ASSERT_TRUE(fonts.loaded());
        for (bool figures : {false, true}) {
            for (double zoom : {1.0, 2.0, 4.0}) {
                TPianoInk ink(zoom, [&](TViewFixture& fx) {
                    if (figures)
                        for (int row : {0, 2})
                            fx.At(4, row).option |= 1u;
                });
                for (int row : {0, 2}) {
                    const std::string at = std::string(musicFont ? "music font" : "no music font") +
                                           (figures ? ", figures" : ", common time") + ", zoom " +
                                           std::to_string(zoom) + ", row " + std::to_string(row) + "\n" +
                                           ink.Dump(4, row) + ink.Dump(5, row);
                    const std::vector<const TInkItem*> sign = ink.At(4, row);
                    const std::vector<const TInkItem*> note = ink.At(5, row);
                    ASSERT_TRUE(!sign.empty() && !note.empty()) << at;
                    int right = -1;
                    for (const TInkItem* it : sign)
                        right = std::max(right, it->box.right());
                    const int head = note.front()->box.left(); // the head is drawn first
                    const double gap = (head - right - 1) / ink.space;
                    EXPECT_GE(gap, 1.0) << at;
                    EXPECT_LE(gap, 1.6) << at;
                }
            }
        }
    }
}

// The triplet of the second system: beamed, it shows its "3" alone, above the
// staff and clear of its top line; the same eighths unbeamed keep their
// bracket, whose line leaves the "3" untouched (not a pixel of the line in the
// number's box), with and without the music font, at zoom 1, 2 and 4.
TEST(Engraving, BeamedTripletShowsItsNumberAloneAndABracketSparesIt) {
    for (bool musicFont : {true, false}) {
        TMusicFonts fonts(musicFont, musicFont);
        ASSERT_TRUE(fonts.loaded());
        for (bool beamed : {true, false}) {
            for (double zoom : {1.0, 2.0, 4.0}) {
                TPianoInk ink(zoom, [&](TViewFixture& fx) {
                    if (!beamed)
                        for (int col = 12; col <= 14; ++col)
                            fx.At(col, 4).option &= ~0x6u;
                });
                const std::string at = std::string(musicFont ? "music font" : "no music font") +
                                       (beamed ? ", beamed" : ", unbeamed") + ", zoom " + std::to_string(zoom) + "\n" +
                                       ink.Dump(12, 4);
                const TInkItem* number = ink.Find(12, 4, [](const TInkItem& it) { return it.what == "text \"3\""; });
                ASSERT_NE(number, nullptr) << at;
                std::vector<const TInkItem*> lines;
                for (const TInkItem* it : ink.At(12, 4))
                    if (it->what == "LineTo")
                        lines.push_back(it);
                if (beamed) {
                    EXPECT_TRUE(lines.empty()) << at;
                    const int staffTop = ink.fx.view.DrawEngine.GetTopMarginPx() + 4 * ink.fx.view.DrawEngine.GetBaseYUnit();
                    EXPECT_LT(number->box.bottom(), staffTop) << at << "the number on the staff's top line";
                    continue;
                }
                ASSERT_FALSE(lines.empty()) << at;
                const QRect room = number->box.adjusted(-1, -1, 1, 1);
                int crossing = 0;
                for (const TInkItem* line : lines)
                    for (int y = 0; y < line->box.height(); ++y)
                        for (int x = 0; x < line->box.width(); ++x)
                            if (qGray(line->mask.pixel(x, y)) < 128 && room.contains(line->box.left() + x, line->box.top() + y))
                                ++crossing;
                EXPECT_EQ(crossing, 0) << at;
            }
        }
    }
}

// An accidental after a stem going up stands clear of it and close before its
// own head: the sharp, flat and natural of the B after the stem-up D, with and
// without the music font, at zoom 1, 2 and 4: at least a quarter space from the
// stem's ink, and 0.1 to 0.45 space from its head's (the pictures drawn
// without the music font stand a little wider).
TEST(Engraving, AccidentalStandsClearOfTheStemBeforeIt) {
    for (bool musicFont : {true, false}) {
        TMusicFonts fonts(musicFont, musicFont);
        ASSERT_TRUE(fonts.loaded());
        for (uint32_t kind : {1u, 2u, 3u}) {
            for (double zoom : {1.0, 2.0, 4.0}) {
                TPianoInk ink(zoom, [&](TViewFixture& fx) { fx.At(14, 0).Attr = static_cast<int32_t>(kind); });
                const std::string at = std::string(musicFont ? "music font" : "no music font") + ", accidental " +
                                       std::to_string(kind) + ", zoom " + std::to_string(zoom) + "\n" +
                                       ink.Dump(13, 0) + ink.Dump(14, 0);
                const std::vector<const TInkItem*> own = ink.At(14, 0);
                ASSERT_FALSE(own.empty()) << at;
                const TInkItem* head = own.front(); // drawn first
                // The sign: everything of the cell left of its head.
                QRect sign;
                for (const TInkItem* it : own)
                    if (it->box.right() < head->box.left())
                        sign |= it->box;
                const TInkItem* stem = nullptr;
                for (const TInkItem* it : ink.At(13, 0))
                    if (it->what == "FillRect" && it->box.height() > 4 * it->box.width())
                        stem = it;
                ASSERT_TRUE(!sign.isEmpty() && stem) << at;
                const double fromStem = (sign.left() - stem->box.right() - 1) / ink.space;
                const double toHead = (head->box.left() - sign.right() - 1) / ink.space;
                EXPECT_GE(fromStem, 0.25) << at;
                EXPECT_GE(toHead, 0.1) << at;
                EXPECT_LE(toHead, 0.45) << at;
            }
        }
    }
}

// Two eighths beamed over a second, a third and a fourth (G-A, F-A, E-A, stems
// up) slant by a quarter, a half and a whole space: the rise of the beam's top
// edge from its first stem to its last.
TEST(Engraving, BeamSlantFollowsTheInterval) {
    TMusicFonts fonts(true, true);
    ASSERT_TRUE(fonts.loaded());
    for (double zoom : {2.0, 4.0}) {
        const TPianoInk ink(zoom);
        const double sp = ink.space;
        struct TCase {
            int endCol;
            double slant; // spaces
        };
        for (const TCase& c : {TCase{5, 0.25}, TCase{7, 0.5}, TCase{9, 1.0}}) {
            const TInkItem* beam = ink.Find(c.endCol, 4, [](const TInkItem& it) { return it.what == "Polygon"; });
            ASSERT_NE(beam, nullptr) << "zoom " << zoom << "\n" << ink.Dump(c.endCol, 4);
            auto top = [&](int x) {
                for (int y = 0; y < beam->box.height(); ++y)
                    if (qGray(beam->mask.pixel(x, y)) < 128)
                        return y;
                return -1;
            };
            const int left = top(1), right = top(beam->box.width() - 2);
            ASSERT_TRUE(left >= 0 && right >= 0);
            // Measured a pixel in from each end, taken over the beam's width.
            const double w = beam->box.width();
            EXPECT_NEAR((left - right) * (w - 1) / (w - 3) / sp, c.slant, 0.1)
                << "zoom " << zoom << ", beam ending in column " << c.endCol << ": " << left << " to " << right;
        }
    }
}

// The mf under the treble staff stands clear of the stems that come down out
// of the staff over its columns (the B's stem ends 1.5 spaces below the
// staff): at least a quarter space under the lowest of them, never above the
// staff's bottom line.
TEST(Engraving, DynamicUnderTheStaffClearsTheStemsAboveIt) {
    for (bool musicFont : {true, false}) {
        TMusicFonts fonts(musicFont, musicFont);
        ASSERT_TRUE(!musicFont || fonts.loaded());
        for (double zoom : {1.0, 2.0, 4.0}) {
            const TPianoInk ink(zoom);
            const std::string at = std::string(musicFont ? "music font" : "no music font") + ", zoom " +
                                   std::to_string(zoom) + "\n";
            const std::vector<const TInkItem*> dynamic = ink.At(6, 1);
            ASSERT_EQ(dynamic.size(), 1u) << at << ink.Dump(6, 1);
            const QRect mf = dynamic.front()->box;
            int lowest = -1;
            for (const TInkItem& it : ink.probe->Items())
                if (it.row == 0 && it.what == "FillRect" && it.box.height() > 4 * it.box.width() &&
                    it.box.right() >= mf.left() && it.box.left() <= mf.right())
                    lowest = std::max(lowest, it.box.bottom());
            const int staffBottom = ink.fx.view.DrawEngine.GetTopMarginPx() + ink.fx.view.DrawEngine.GetBaseYUnit();
            ASSERT_GT(lowest, staffBottom) << at << "a stem over the mf comes down out of the staff";
            EXPECT_GE((mf.top() - lowest) / ink.space, 0.25) << at << "mf top " << mf.top() << ", stem end " << lowest;
        }
    }
}
