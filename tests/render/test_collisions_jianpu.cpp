// The Jianpu page and the marks of Jianpu notes, probed for ink that two
// elements share (TInkProbe) and, inside one element, for marks that touch
// (a key text's sign and its letter, two augmentation dots and their digits).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/render/TQInkProbe.h"
#include "tests/render/TQJianpuPage.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQPageImage.h"
#include "tests/render/TQViewFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

// The items of one cell whose description is what.
std::vector<const TInkItem*> ItemsOf(const TInkProbe& probe, int col, int row, const std::string& what) {
    std::vector<const TInkItem*> out;
    for (const TInkItem& it : probe.Items())
        if (it.col == col && it.row == row && it.what == what)
            out.push_back(&it);
    return out;
}

// Background columns between the ink of a (on the left) and b.
int ColumnsBetween(const TInkItem& a, const TInkItem& b) { return b.box.left() - a.box.right() - 1; }

} // namespace

// Signs of every kind after a digit, a bar line and an empty cell, with and
// without the music font: no sign reaches the digit before it or its own.
TEST(CollisionsJianpu, AccidentalsOfEveryKindKeepClearOfTheirNeighbours) {
    for (bool font : {true, false}) {
        TMusicFonts fonts(font, font);
        ASSERT_TRUE(fonts.loaded());
        for (int zoom : {1, 2}) {
            TViewFixture fx(20, 3);
            fx.Row(0, "| 5 1{attr=1} 5{attr=2} 3{attr=3} 5{attr=4} 6{attr=5} 5{attr=6} 7{attr=7} 5{attr=8} "
                      "2{attr=9} | 5{attr=9} ~ 5{attr=5} |");
            fx.Row(1, "|: 4{attr=8} 3 2 :| 5{attr=7} || 6{attr=9} |");
            fx.Row(2, "| 1 2 3 4 5 6 7 1 2 3 |");
            const std::vector<TCollision> list = Probe(fx, 20, 3, zoom);
            EXPECT_TRUE(list.empty()) << (font ? "music font" : "no font") << ", zoom " << zoom << ":\n"
                                      << TInkProbe::Describe(list);
        }
    }
}

// "1=bE", "1=#F": the sign stands at the letter's upper left with
// background between it and the letter and between it and the "=", inside
// its own row.
TEST(CollisionsJianpu, KeyTextSignsStandClearOfTheLetterAndTheEquals) {
    TMusicFonts fonts(true, true);
    ASSERT_TRUE(fonts.loaded());
    struct Case {
        int row;
        const char* sign;
        const char* letter;
    };
    for (int zoom : {1, 2}) {
        TViewFixture fx(kJianpuCols, kJianpuRows);
        BuildJianpuPage(fx);
        FitPaintBox(fx.view, kJianpuCols, kJianpuRows, zoom);
        const TInkProbe probe(fx.view);
        for (const Case& c : {Case{2, "text \"b\"", "text \"E\""}, Case{5, "text \"#\"", "text \"F\""}}) {
            const auto head = ItemsOf(probe, 0, c.row, "text \"1=\"");
            const auto sign = ItemsOf(probe, 0, c.row, c.sign);
            const auto letter = ItemsOf(probe, 0, c.row, c.letter);
            ASSERT_TRUE(head.size() == 1 && sign.size() == 1 && letter.size() == 1) << "zoom " << zoom << " row " << c.row;
            const std::string where = "zoom " + std::to_string(zoom) + ", " + c.sign;
            EXPECT_GE(ColumnsBetween(*sign[0], *letter[0]), 1) << where;
            EXPECT_GE(ColumnsBetween(*head[0], *sign[0]), 1) << where;
            // upper left: above the letter's middle, not above the row
            EXPECT_LT(sign[0]->box.center().y(), letter[0]->box.center().y()) << where;
            EXPECT_GE(sign[0]->box.top(), zoom * (fx.view.TopMargin + c.row * fx.view.CellHeight)) << where;
        }
    }
}

// "6.. 0": both dots in the room between the 6 and the 0, apart from each
// other and from both digits; "3. 2": the dot midway; "2,,__": the two low dots under the lowest
// duration line, apart, and clear of the digits of the row below.
TEST(CollisionsJianpu, DoubleDotsAndLowDotsUnderLinesStandApart) {
    TMusicFonts fonts(true, true);
    ASSERT_TRUE(fonts.loaded());
    for (int zoom : {1, 2}) {
        TViewFixture fx(12, 3);
        fx.Row(0, "| 6.. 0 2,,__ 3 | 1_ 2,,,__ | 3. 2 |");
        fx.Row(1, "| 5 6 7 1 | 2 3 |");
        fx.Row(2, "\"1=#F\" ~ ~ 2 3 |");
        FitPaintBox(fx.view, 12, 3, zoom);
        const TInkProbe probe(fx.view);
        const std::string z = "zoom " + std::to_string(zoom);

        const auto six = ItemsOf(probe, 1, 0, "text \"6\"");
        const auto zero = ItemsOf(probe, 2, 0, "text \"0\"");
        const auto dots = ItemsOf(probe, 1, 0, "Ellipse");
        ASSERT_TRUE(six.size() == 1 && zero.size() == 1) << z;
        ASSERT_EQ(dots.size(), 2u) << z;
        EXPECT_GE(ColumnsBetween(*six[0], *dots[0]), 1) << z;
        EXPECT_GE(ColumnsBetween(*dots[0], *dots[1]), 1) << z;
        EXPECT_GE(ColumnsBetween(*dots[1], *zero[0]), 1) << z;

        // "3. 2": the one dot midway between the digits (a pixel either way)
        const auto three = ItemsOf(probe, 9, 0, "text \"3\"");
        const auto two = ItemsOf(probe, 10, 0, "text \"2\"");
        const auto one = ItemsOf(probe, 9, 0, "Ellipse");
        ASSERT_TRUE(three.size() == 1 && two.size() == 1 && one.size() == 1) << z;
        EXPECT_GE(ColumnsBetween(*three[0], *one[0]), 1) << z;
        EXPECT_GE(ColumnsBetween(*one[0], *two[0]), 1) << z;
        EXPECT_NEAR(ColumnsBetween(*three[0], *one[0]), ColumnsBetween(*one[0], *two[0]), 1) << z;

        for (int col : {3, 7}) {
            std::vector<const TInkItem*> low = ItemsOf(probe, col, 0, "Ellipse");
            const auto lines = ItemsOf(probe, col, 0, "FillRect");
            ASSERT_EQ(low.size(), col == 3 ? 2u : 3u) << z << " column " << col;
            ASSERT_FALSE(lines.empty()) << z;
            int lowest = 0;
            for (const TInkItem* l : lines)
                lowest = std::max(lowest, l->box.bottom());
            std::sort(low.begin(), low.end(), [](const TInkItem* a, const TInkItem* b) { return a->box.top() < b->box.top(); });
            EXPECT_GT(low[0]->box.top(), lowest) << z << " column " << col << ": under the lines";
            for (size_t i = 1; i < low.size(); ++i)
                EXPECT_GT(low[i]->box.top(), low[i - 1]->box.bottom() + 1) << z << " column " << col << " dot " << i;
        }
        const std::vector<TCollision> list = Probe(fx, 12, 3, zoom);
        EXPECT_TRUE(list.empty()) << z << ":\n" << TInkProbe::Describe(list);
    }
}

namespace {

// Pixels two items of the probe both ink.
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

} // namespace

// A slur or a three-point curve over notes whose octave dots stand above them
// clears every dot under it, in its middle as at its ends (1' and 1'' inside
// the curve, 3'' at its end).
TEST(CollisionsJianpu, SlursClearTheUpperDotsOfEveryNoteUnderThem) {
    TMusicFonts fonts(true, true);
    ASSERT_TRUE(fonts.loaded());
    for (int zoom : {1, 2}) {
        TViewFixture fx(16, 3);
        fx.Row(1, "| 1{mark=1,iEnd=4} 2 1' 3 | 5{mark=81,iEnd=8} 1'' 6 | 3{mark=1,iEnd=12} 1 2'' |");
        FitPaintBox(fx.view, 16, 3, zoom);
        const TInkProbe probe(fx.view);
        int curves = 0, dots = 0;
        for (const TInkItem& curve : probe.Items()) {
            if (curve.row != 1 || curve.what != "Polygon")
                continue;
            ++curves;
            for (const TInkItem& dot : probe.Items())
                if (dot.row == 1 && dot.what == "Ellipse" && dot.box.left() <= curve.box.right() &&
                    dot.box.right() >= curve.box.left()) {
                    ++dots;
                    EXPECT_EQ(SharedInk(curve, dot), 0) << "zoom " << zoom << ": the curve of column " << curve.col
                                                         << " through a dot of column " << dot.col;
                    // over the dot: the curve's lowest ink above the dot's columns
                    // stands above the dot
                    int lowest = -1;
                    for (int x = std::max(dot.box.left(), curve.box.left()); x <= std::min(dot.box.right(), curve.box.right()); ++x)
                        for (int y = curve.box.top(); y <= curve.box.bottom(); ++y)
                            if (qGray(curve.mask.pixel(x - curve.box.left(), y - curve.box.top())) < 160)
                                lowest = std::max(lowest, y);
                    EXPECT_LT(lowest, dot.box.top()) << "zoom " << zoom << " column " << dot.col;
                }
        }
        EXPECT_EQ(curves, 3) << "zoom " << zoom;
        EXPECT_EQ(dots, 5) << "zoom " << zoom; // the dots of 1', 1'' and 2''
        const std::vector<TCollision> list = Probe(fx, 16, 3, zoom);
        EXPECT_TRUE(list.empty()) << "zoom " << zoom << ":\n" << TInkProbe::Describe(list);
    }
}

// Circled notes with duration lines after a key change, some with signs: the
// ring runs along the first line instead of crossing it, and a sign before a
// circled note keeps clear of the ring before it.
TEST(CollisionsJianpu, CircledNotesWithLinesAndSignsAfterAKeyChange) {
    TMusicFonts fonts(true, true);
    ASSERT_TRUE(fonts.loaded());
    for (int zoom : {1, 2}) {
        TViewFixture fx(16, 3);
        fx.Row(0, "| 1 2 3 4 5 6 7 |");
        fx.Row(1, "\"1=bE\" ~ ~ | 1_{attr=0x10} 2__{attr=0x11} 3_{attr=0x12} 5,_{attr=0x10} 6__{attr=0x10} "
                  "7{attr=0x13} |");
        fx.Row(2, "| 1 2 3 4 5 6 7 |");
        FitPaintBox(fx.view, 16, 3, zoom);
        const TInkProbe probe(fx.view);
        const std::string z = "zoom " + std::to_string(zoom);
        const int cellW = fx.view.GetCellWidth();
        for (int col : {4, 5, 6, 7, 8}) {
            const TInkItem* ring = nullptr;
            int firstLine = 1 << 20;
            for (const TInkItem& it : probe.Items()) {
                if (it.row != 1 || it.col != col)
                    continue;
                if (it.what == "Ellipse" && it.box.width() > cellW / 2)
                    ring = &it;
                else if (it.what == "FillRect" && it.box.height() < it.box.width())
                    firstLine = std::min(firstLine, it.box.bottom());
            }
            ASSERT_NE(ring, nullptr) << z << " column " << col;
            ASSERT_LT(firstLine, 1 << 20) << z << " column " << col;
            EXPECT_LE(ring->box.bottom(), firstLine) << z << " column " << col << ": the ring crosses the line";
        }
        const std::vector<TCollision> list = Probe(fx, 16, 3, zoom);
        EXPECT_TRUE(list.empty()) << z << ":\n" << TInkProbe::Describe(list);
    }
}
