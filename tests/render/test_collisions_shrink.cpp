// No mark of a shrunk (packed) cell, a grace group or a vertical chord covers
// another: the sample page of compound cells, and a page of packed notes with
// dots, signs and octave dots at the shrink rates -30..+20, probed at zoom 1
// and 2 with and without the music font. The small notes of one cell are
// elements of their own (a note's dot landing in the next digit is a
// collision).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/render/TQCompoundCells.h"
#include "tests/render/TQInkProbe.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQPageImage.h"
#include "tests/render/TQSamplePage.h"
#include "tests/render/TQViewFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

constexpr int kPackedCols = 12;
constexpr int kPackedRows = 9;
constexpr int kRates[] = {-30, -20, 0, 20};

// Each rate has a row of plain eighths with packed cells between them: a
// dotted note before another ("3. 5", where the dot used to fill the 5), signs
// on later notes of a triplet ("6 #4 b3"), a sign after a note with an octave dot
// ("1' n7 2"), a slur over signed notes, and the rarer signs 4..9 (one on a
// dotted note).
void BuildPackedPage(TViewFixture& fx) {
    const uint32_t slurOn = 0x40000000u, slurOff = 0x80000000u;
    for (int r = 0; r < 4; ++r) {
        const int row = 1 + 2 * r;
        const int rate = kRates[r];
        fx.Row(row, "| 1_ ~ 2_ ~ 3_ ~ 5_ ~ 6_ ~ |");
        Compound(fx.At(2, row), 0xA0, {SmallNote('3', 1, 0, 0, 0x8), SmallNote('5', 2)}, rate);
        Compound(fx.At(4, row), 0xA0, {SmallNote('6', 1), SmallNote('4', 1, 0, 0x01), SmallNote('3', 1, 0, 0x02)}, rate);
        fx.At(4, row).markType = 56; // a triplet: its curve and number over the signs
        fx.At(4, row).iEnd = 4;
        Compound(fx.At(6, row), 0xA0,
                 {SmallNote('1', 1, 1, 0, slurOn), SmallNote('7', 1, 0, 0x03), SmallNote('2', 1, -1, 0, slurOff)}, rate);
        Compound(fx.At(8, row), 0xA0,
                 {SmallNote('2', 1, 0, 0x04 + static_cast<uint32_t>(r)),
                  SmallNote('3', 1, 0, 0x06 + static_cast<uint32_t>(r), 0x8)},
                 rate);
        Compound(fx.At(10, row), 0xA0, {SmallNote('5', 1, 0, 0x09), SmallNote('6', 1, 2, 0x01)}, rate);
    }
}

// Grace groups at the sizes 0.6, 0.8 and 1 before and after their notes, with
// underlines, octave dots and a sign; vertical chords with their marks over
// them (accent, bar, wedge) at the rates 0, 15 and 30, plain and marked as
// grace.
constexpr int kGraceCols = 14;
constexpr int kGraceRows = 14;

void BuildGraceAndChordPage(TViewFixture& fx) {
    const float sizes[] = {0.6f, 0.8f, 1.0f};
    for (int k = 0; k < 3; ++k) {
        const int row = 1 + k;
        fx.Row(row, "| ~ 5 ~ 3_ 2_ ~ 1 ~ 6 ~ ~ |");
        Compound(fx.At(1, row), 0xC0, {SmallNote('6', 1)});
        Compound(fx.At(3, row), 0xC0, {SmallNote('1', 2, 1), SmallNote('7', 2)});
        Compound(fx.At(6, row), 0xC0, {SmallNote('2', 1, -1), SmallNote('3', 1), SmallNote('4', 1, 0, 0x01)});
        Compound(fx.At(8, row), 0xC0, {SmallNote('5', 0, 0, 0, 0x20)});
        Compound(fx.At(10, row), 0xD0, {SmallNote('5', 1), SmallNote('6', 1, -1)});
        for (int c : {1, 3, 6, 8, 10})
            fx.At(c, row).fontSizeR = sizes[k];
    }
    const int rates[] = {0, 15, 30};
    for (int k = 0; k < 3; ++k) {
        const int row = 7 + 3 * k;
        fx.Row(row, "| 1 ~ 1 ~ 1 ~ 1 ~ 1 ~ 1 |");
        Compound(fx.At(2, row), 0xB0, {SmallNote('1'), SmallNote('4')}, rates[k]);
        fx.At(2, row).option = 0x20 | 0x4000000 | 0x10;
        Compound(fx.At(4, row), 0xB0, {SmallNote('3'), SmallNote('5')}, rates[k]);
        fx.At(4, row).option = 0x4000000 | 0x10;
        Compound(fx.At(6, row), 0xB0, {SmallNote('2'), SmallNote('6')}, rates[k]);
        fx.At(6, row).option = 0x10000000 | 0x4000000 | 0x10 | 0x20;
        Compound(fx.At(8, row), 0xB0, {SmallNote('5', 0, -1), SmallNote('2')}, rates[k]);
        fx.At(8, row).option = 0x20 | 0x4000000;
    }
}

} // namespace

TEST(CompoundCollisions, PackedNotesKeepTheirDotsSignsAndOctaveDotsApart) {
    for (bool musicFont : {true, false}) {
        TMusicFonts fonts(musicFont, musicFont);
        ASSERT_TRUE(fonts.loaded());
        for (int zoom : {1, 2}) {
            TViewFixture fx(kPackedCols, kPackedRows);
            BuildPackedPage(fx);
            const auto list = Probe(fx, kPackedCols, kPackedRows, zoom);
            EXPECT_TRUE(list.empty()) << "zoom " << zoom << (musicFont ? "" : ", no music font") << ":\n"
                                      << TInkProbe::Describe(list);
            TPageImage page(fx.view);
            tqtest::SavePngIfWanted(page.image, std::string("collisions_packed") + (musicFont ? "" : "_nofont") +
                                                    "_z" + std::to_string(zoom));
        }
    }
}

// A grace group's digits, its curve and the curve's run stay apart at the
// sizes 0.6..1 (the hook used to touch its digit at 0.6), and inside their
// row. The marks over a vertical chord (accent, bar, wedge) stand apart: they
// belong to the chord as a whole, so they are checked against each other here.
TEST(CompoundCollisions, GraceCurvesAndChordMarksStandClear) {
    for (bool musicFont : {true, false}) {
        TMusicFonts fonts(musicFont, musicFont);
        ASSERT_TRUE(fonts.loaded());
        for (int zoom : {1, 2}) {
            const std::string where = "zoom " + std::to_string(zoom) + (musicFont ? "" : ", no music font");
            TViewFixture fx(kGraceCols, kGraceRows);
            BuildGraceAndChordPage(fx);
            const auto list = Probe(fx, kGraceCols, kGraceRows, zoom);
            EXPECT_TRUE(list.empty()) << where << ":\n" << TInkProbe::Describe(list);
            const TInkProbe probe(fx.view);
            const int rowH = fx.view.DrawEngine.GetBaseYUnit();
            const int top = fx.view.DrawEngine.GetTopMarginPx();
            for (const TInkItem& it : probe.Items()) {
                const TCell& cell = fx.At(it.col, it.row);
                if (it.row >= 1 && it.row <= 3 && cell.Attr == 0xC0) {
                    EXPECT_GE(it.box.top(), top + rowH * it.row)
                        << where << ": grace cell (" << it.col << "," << it.row << ") " << it.what << " above its row";
                }
            }
            const auto& items = probe.Items();
            for (size_t i = 0; i < items.size(); ++i)
                for (size_t j = i + 1; j < items.size(); ++j) {
                    const TInkItem& a = items[i];
                    const TInkItem& b = items[j];
                    if (a.row < 5 || a.col != b.col || a.row != b.row || a.part != 0 || b.part != 0)
                        continue;
                    const QRect both = a.box.intersected(b.box);
                    int shared = 0;
                    for (int y = both.top(); y <= both.bottom(); ++y)
                        for (int x = both.left(); x <= both.right(); ++x)
                            if (qGray(a.mask.pixel(x - a.box.left(), y - a.box.top())) < 160 &&
                                qGray(b.mask.pixel(x - b.box.left(), y - b.box.top())) < 160)
                                ++shared;
                    EXPECT_EQ(shared, 0) << where << ": chord (" << a.col << "," << a.row << ") " << a.what << " and "
                                         << b.what;
                }
            TPageImage page(fx.view);
            tqtest::SavePngIfWanted(page.image, std::string("collisions_grace_chords") + (musicFont ? "" : "_nofont") +
                                                    "_z" + std::to_string(zoom));
        }
    }
}
