// Real Jianpu scores made by the commands: what they say, and that no drawn
// mark of their page covers another (TInkProbe, zoom 1 and 2).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/convert/TQConvertFixture.h"
#include "tests/convert/TQPlayedNotes.h"
#include "tests/render/TQInkProbe.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQPageImage.h"
#include "tests/support/TQTestSupport.h"

namespace {

std::vector<int> Pitches(const std::vector<TSoundedNote>& notes) {
    std::vector<int> out;
    for (const TSoundedNote& n : notes)
        out.push_back(n.pitch);
    return out;
}

} // namespace

// A treble staff in C that changes to D major in the middle of its row, with
// accidentals on both sides of the change and dotted notes before them,
// converted by the whole-score command at the default cell size: the new key
// is announced over the place where it starts (at the row's start it would
// give the measures in C the key of D), the row sounds as the staff did, and
// no sign, dot or digit of the page meets another.
TEST(ScoreCollisions, WesternKeyChangeConvertedToJianpu) {
    TMusicFonts fonts(true, true);
    ASSERT_TRUE(fonts.loaded());
    constexpr int kCols = 36, kRows = 4;
    TConvertFixture fx(kCols, kRows);
    fx.view.CellWidth = 15;
    fx.view.CellHeight = 30;
    fx.view.DrawUnit = 15;
    // C4 F#4 G4 C5 Db5 | G4. F#4 E4 C4 | (D major) D4 C5(natural) G#4 Bb4 | E5 D5 G#4. D4 | C#4 A4 |]
    fx.Row(2, "&G{iEnd=35} ~ ~ W:3@6 W:3@3{attr=1} W:3@2 W:4@-1 W:4@-2{attr=2} W:63 "
              "W:3@2. W:4@3{attr=1} W:3@4 W:3@6 W:63 "
              "&G/2 ~ ~ W:3@5 W:3@-1{attr=3} W:3@2{attr=1} W:3@0{attr=2} W:63 "
              "W:4@-3 W:4@-2 W:3@2.{attr=1} W:3@5 W:63 W:2@6{attr=1} ~ W:2@1 ~ W:61");
    const std::vector<TSoundedNote> western = PlayedNotes(true);
    ASSERT_EQ(Pitches(western), (std::vector<int>{60, 66, 67, 72, 73, 67, 66, 64, 60, 62, 72, 68, 70, 76, 74, 68, 62, 61, 69}));

    fx.cvt.ConvertW2JAllPages(0, false);
    EXPECT_EQ(fx.At(1, 1).Text, "1=C");
    EXPECT_EQ(fx.At(15, 1).Text, "1=D"); // over the first column after the key change's clef
    EXPECT_EQ(fx.At(3, 2).Note, '1');
    EXPECT_EQ(fx.At(17, 2).Note, '1'); // D4 in D
    EXPECT_EQ(PlayedNotes(false), western);

    for (int zoom : {1, 2}) {
        FitPaintBox(fx.view, kCols, kRows, zoom);
        const TInkProbe probe(fx.view);
        const auto list =
            probe.Collisions([&](const TInkItem& a, const TInkItem& b) { return IntendedTouch(fx.view, a, b); });
        EXPECT_TRUE(list.empty()) << "zoom " << zoom << ":\n" << TInkProbe::Describe(list);
        TPageImage page(fx.view);
        tqtest::SavePngIfWanted(page.image, "key_change_jianpu_z" + std::to_string(zoom));
    }
}
