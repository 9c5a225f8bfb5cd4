// The folk song 茉莉花 (1=F, 2/4) as a reader sees it, measured on the drawn
// ink at zoom 1 and 2: duration lines grouped by beat, lyrics under their notes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "tests/render/TQFolkSongPage.h"
#include "tests/render/TQInkProbe.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQPageImage.h"
#include "tests/support/TQTestSupport.h"

namespace {

bool IsText(const TInkItem& it) { return it.what.rfind("text \"", 0) == 0; }

// The bottom of the row's digits.
int DigitBottom(const TInkProbe& probe, int row) {
    int bottom = 0;
    for (const TInkItem& it : probe.Items())
        if (it.row == row && IsText(it))
            bottom = std::max(bottom, it.box.bottom());
    return bottom;
}

// The duration lines of a row: thin joining bars under its digits, by their
// top edge, in order.
std::map<int, std::vector<QRect>> UnderlinesOf(const TInkProbe& probe, int row) {
    std::map<int, std::vector<QRect>> lines;
    const int under = DigitBottom(probe, row);
    for (const TInkItem& it : probe.Items())
        if (it.row == row && it.what == "FillRect" && it.kind == TInkClass::Joining &&
            it.box.width() > it.box.height() && it.box.top() > under)
            lines[it.box.top()].push_back(it.box);
    for (auto& [y, boxes] : lines)
        std::sort(boxes.begin(), boxes.end(), [](const QRect& a, const QRect& b) { return a.left() < b.left(); });
    return lines;
}

// The runs of touching boxes of one line: how many cells' lines each run
// joins, and the gaps between the runs of neighbouring cells in pixels.
struct TRuns {
    std::vector<int> sizes;
    std::vector<int> gaps;
};

TRuns RunsOf(const std::vector<QRect>& boxes, int cellW) {
    TRuns r;
    if (boxes.empty())
        return r;
    r.sizes.push_back(1);
    for (size_t i = 1; i < boxes.size(); ++i) {
        const int gap = boxes[i].left() - boxes[i - 1].right() - 1;
        if (gap > 0) {
            r.sizes.push_back(1);
            if (gap < cellW / 2)
                r.gaps.push_back(gap);
        } else {
            ++r.sizes.back();
        }
    }
    return r;
}

int DigitWidth(const TInkProbe& probe, int row) {
    int w = 0;
    for (const TInkItem& it : probe.Items())
        if (it.row == row && IsText(it))
            w = std::max(w, it.box.width());
    return w;
}

} // namespace

// 2/4: the lines of each beat join, and two beats' lines keep a gap of about a
// third of a digit. Written from the music: "3 | 3_5_" one group; "6_1'_ |
// 6_5_" two; "5 | 5_6_" one; "6_1'_ | 1'_6_" two; "3__2__1_ | 6,_5,_" two on
// the first line, and the second line under 3__2__ only.
TEST(FolkSongPage, UnderlinesBreakAtEachBeat) {
    TMusicFonts fonts(true, true);
    ASSERT_TRUE(fonts.loaded());
    struct TLine {
        int row;
        int line; // 0 the first line under the digits
        std::vector<int> groups;
    };
    const TLine expected[] = {{1, 0, {2, 2, 2, 2}}, {3, 0, {2, 2, 2, 2}}, {5, 0, {2, 2, 3, 2}}, {5, 1, {2}}};
    for (int zoom : {1, 2}) {
        TViewFixture fx(kFolkSongCols, kFolkSongRows);
        BuildFolkSongPage(fx);
        FitPaintBox(fx.view, kFolkSongCols, kFolkSongRows, zoom);
        const TInkProbe probe(fx.view);
        TPageImage page(fx.view);
        tqtest::SavePngIfWanted(page.image, "folksong_z" + std::to_string(zoom));
        for (const TLine& e : expected) {
            const auto lines = UnderlinesOf(probe, e.row);
            ASSERT_GT(lines.size(), static_cast<size_t>(e.line)) << "zoom " << zoom << " row " << e.row;
            const auto& boxes = std::next(lines.begin(), e.line)->second;
            const TRuns runs = RunsOf(boxes, fx.view.GetCellWidth());
            EXPECT_EQ(runs.sizes, e.groups) << "zoom " << zoom << " row " << e.row << " line " << e.line;
            const int digit = DigitWidth(probe, e.row);
            for (int gap : runs.gaps) {
                EXPECT_GE(3 * gap, digit * 3 / 4) << "zoom " << zoom << " row " << e.row << ": gap " << gap
                                                  << " px, digit " << digit << " px";
                EXPECT_LE(3 * gap, digit * 3 / 2) << "zoom " << zoom << " row " << e.row << ": gap " << gap
                                                  << " px, digit " << digit << " px";
            }
        }
    }
}

// Each syllable is centred under its note (within a tenth of a column), keeps
// clear of the syllables beside it and of the notes above and below; a verse
// is no smaller than 0.4 of a digit's height. At the default size the Chinese
// syllables of neighbouring eighths are wider than their columns and English
// ones run into each other.
TEST(FolkSongPage, LyricsSitUnderTheirNotesAndFitTheirRoom) {
    TMusicFonts fonts(true, true);
    ASSERT_TRUE(fonts.loaded());
    for (int zoom : {1, 2}) {
        TViewFixture fx(kFolkSongCols, kFolkSongRows);
        BuildFolkSongPage(fx);
        FitPaintBox(fx.view, kFolkSongCols, kFolkSongRows, zoom);
        const TInkProbe probe(fx.view);
        const int cellW = fx.view.GetCellWidth();
        for (int row : {2, 4, 6}) {
            std::vector<const TInkItem*> syllables;
            int notesBottom = 0, nextTop = 1 << 20, digitH = 0;
            for (const TInkItem& it : probe.Items()) {
                if (it.row == row - 1)
                    notesBottom = std::max(notesBottom, it.box.bottom());
                if (it.row == row + 1)
                    nextTop = std::min(nextTop, it.box.top());
                if (it.row == row - 1 && IsText(it))
                    digitH = std::max(digitH, it.box.height());
                if (it.row == row && IsText(it))
                    syllables.push_back(&it);
            }
            ASSERT_GE(syllables.size(), 5u) << "zoom " << zoom << " row " << row;
            std::sort(syllables.begin(), syllables.end(),
                      [](const TInkItem* a, const TInkItem* b) { return a->box.left() < b->box.left(); });
            for (size_t i = 0; i < syllables.size(); ++i) {
                const TInkItem& s = *syllables[i];
                const std::string where = "zoom " + std::to_string(zoom) + " row " + std::to_string(row) + " column " +
                                          std::to_string(s.col) + " " + s.what;
                const TInkItem* digit = nullptr;
                for (const TInkItem& it : probe.Items()) {
                    if (it.row == row - 1 && it.col == s.col && IsText(it))
                        digit = &it;
                }
                ASSERT_TRUE(digit) << where;
                const int centre = s.box.left() + s.box.right(), under = digit->box.left() + digit->box.right();
                EXPECT_LE(std::abs(centre - under), 2 * std::max(2, cellW / 10))
                    << where << ": centre " << centre / 2 << ", note " << under / 2;
                if (i > 0) {
                    EXPECT_GE(s.box.left() - syllables[i - 1]->box.right(), 2) << where << " against the one before";
                }
                EXPECT_GT(s.box.top(), notesBottom + 1) << where << ": touches the notes above";
                EXPECT_LT(s.box.bottom(), nextTop - 1) << where << ": touches the row below";
            }
            int tallest = 0;
            for (const TInkItem* s : syllables)
                tallest = std::max(tallest, s->box.height());
            EXPECT_GE(5 * tallest, 2 * digitH) << "zoom " << zoom << " row " << row << ": syllables " << tallest
                                               << " px tall, digits " << digitH;
        }
    }
}
