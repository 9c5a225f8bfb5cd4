// Every spanning-mark kind on a Jianpu page and on a Western page, drawn on an
// image. Written to TQ_TEST_PNG_DIR when set, and checked for ink where each
// mark starts.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <set>
#include <string>

#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQPageImage.h"
#include "tests/render/TQViewFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

constexpr int kPerRow = 8;   // marks per row, five columns each
constexpr int kCols = 5 * kPerRow;
constexpr int kMarkRows = 13;
constexpr int kRows = 3 * kMarkRows + 2;

// Kinds without a mark, and those drawn by the Western staff drawers.
const std::set<int> kNone = {11, 12, 13, 14, 15, 16, 17, 18, 19, 32, 33, 34, 35, 36, 37, 71, 73};

std::vector<int> Kinds() {
    std::vector<int> kinds;
    for (int k = 1; k <= 99; ++k)
        if (!kNone.count(k))
            kinds.push_back(k);
    return kinds;
}

int MarkCol(size_t i) { return 5 * static_cast<int>(i % kPerRow) + 1; }
int MarkRow(size_t i) { return 3 * static_cast<int>(i / kPerRow) + 1; }

} // namespace

TEST(MarksPage, EveryKindOnJianpuAndWesternRows) {
    TMusicFonts fonts(true, true);
    for (bool western : {false, true}) {
        TViewFixture fx(kCols, kRows);
        const std::vector<int> kinds = Kinds();
        for (int r = 1; r < kRows; r += 3) {
            if (western) {
                fx.At(0, r) = TScoreFixture::Cell("&G");
                for (int c = 1; c < kCols; ++c)
                    fx.At(c, r) = TScoreFixture::Cell(c % 5 == 0 ? "|" : "W:3");
            } else {
                for (int c = 0; c < kCols; ++c)
                    fx.At(c, r) = TScoreFixture::Cell(c % 5 == 0 ? "|" : std::to_string(c % 7 + 1));
            }
        }
        TMainView& v = fx.view;
        FitPaintBox(v, kCols, kRows, 1.5);
        QImage plain;
        {
            TPageImage notes(v);
            plain = notes.image;
        }
        for (size_t i = 0; i < kinds.size(); ++i) {
            TCell& c = fx.At(MarkCol(i), MarkRow(i));
            c.markType = kinds[i];
            c.iEnd = MarkCol(i) + 3;
            c.jEnd = MarkRow(i) + 1;
            c.markHAdj = kinds[i] == 87 ? 4 : 0;
        }
        TPageImage page(v);
        tqtest::SavePngIfWanted(page.image, western ? "marks_page_western" : "marks_page_jianpu");

        const TDrawEngine& e = v.DrawEngine;
        const int u = v.GetCellWidth(), w = v.GetCellHeight();
        const int L = e.GetLeftMarginPx(), T = e.GetTopMarginPx();
        const std::set<int> westSeams = {1, 56, 81, 86};
        for (size_t i = 0; i < kinds.size(); ++i) {
            if (western && westSeams.count(kinds[i]))
                continue;
            const int x0 = L + u * (MarkCol(i) - 1), y0 = T + w * (MarkRow(i) - 2);
            const int x1 = L + u * (MarkCol(i) + 5), y1 = T + w * (MarkRow(i) + 4);
            bool changed = false;
            for (int y = std::max(0, y0); y < std::min(page.image.height(), y1) && !changed; ++y)
                for (int x = std::max(0, x0); x < std::min(page.image.width(), x1) && !changed; ++x)
                    changed = page.image.pixel(x, y) != plain.pixel(x, y);
            EXPECT_TRUE(changed) << "kind " << kinds[i] << (western ? " on a Western row" : " on a Jianpu row");
        }
    }
}
