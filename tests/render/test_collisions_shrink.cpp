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
// on later notes ("6 #4 b3"), a sign after a note with an octave dot
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
        Compound(fx.At(6, row), 0xA0,
                 {SmallNote('1', 1, 1, 0, slurOn), SmallNote('7', 1, 0, 0x03), SmallNote('2', 1, -1, 0, slurOff)}, rate);
        Compound(fx.At(8, row), 0xA0,
                 {SmallNote('2', 1, 0, 0x04 + static_cast<uint32_t>(r)),
                  SmallNote('3', 1, 0, 0x06 + static_cast<uint32_t>(r), 0x8)},
                 rate);
        Compound(fx.At(10, row), 0xA0, {SmallNote('5', 1, 0, 0x09), SmallNote('6', 1, 2, 0x01)}, rate);
    }
}

} // namespace

// The sample page: shrunk cells at -30..+20, grace groups before and after
// their notes (one with a slur to its note), vertical chords with marks, the
// Gongche rows and the curves of rows 7 and 8.
TEST(CompoundCollisions, SamplePageHasNoCollisions) {
    for (bool musicFont : {true, false}) {
        TMusicFonts fonts(musicFont, musicFont);
        ASSERT_TRUE(fonts.loaded());
        for (int zoom : {1, 2}) {
            TViewFixture fx(kSampleCols, kSampleRows);
            BuildSamplePage(fx);
            const auto list = Probe(fx, kSampleCols, kSampleRows, zoom);
            EXPECT_TRUE(list.empty()) << "zoom " << zoom << (musicFont ? "" : ", no music font") << ":\n"
                                      << TInkProbe::Describe(list);
            TPageImage page(fx.view);
            tqtest::SavePngIfWanted(page.image, std::string("collisions_sample") + (musicFont ? "" : "_nofont") +
                                                    "_z" + std::to_string(zoom));
        }
    }
}

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
