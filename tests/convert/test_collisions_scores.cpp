// Real Jianpu scores made by the commands: what they say, and that no drawn
// mark of their page covers another (TInkProbe, zoom 1 and 2).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/TQMessage.h"
#include "play/modTQMIDIReader.h"
#include "play/modTQPlayState.h"
#include "tests/convert/TQConvertFixture.h"
#include "tests/convert/TQPlayedNotes.h"
#include "tests/play/TQMidiBytes.h"
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

// A two-track MIDI file in D major (a melody with dotted notes, accidentals
// out of the key and notes across two octaves over a bass line), imported as
// the user does and turned into Jianpu by the whole-score conversion, on the
// default paper: the Jianpu staves sound as the file, and no mark of the page
// covers another at zoom 1 or 2.
TEST(ScoreCollisions, MidiFileImportedAndConvertedToJianpu) {
    TMusicFonts fonts(true, true);
    ASSERT_TRUE(fonts.loaded());
    TMessageRecorder boxes;
    SetMessageBoxes(&boxes);
    MIDIImportHooks() = {};
    TPlayState play;
    frmPlay = &play;
    TConvertFixture fx(8, 8);
    fx.view.CellWidth = 15; // the default cell; the import lays out the default paper's grid
    fx.view.CellHeight = 30;
    fx.view.DrawUnit = 15;

    // (key, ticks) at 480 ticks a quarter.
    const std::vector<std::pair<int, int>> melody = {
        {62, 480}, {66, 480}, {69, 720}, {68, 240}, {69, 480}, {71, 480}, {72, 480}, {73, 480},
        {74, 960}, {71, 480}, {67, 480}, {65, 480}, {69, 480}, {70, 720}, {71, 240},
        {72, 480}, {75, 480}, {76, 480}, {77, 480}, {77, 1920}};
    const std::vector<std::pair<int, int>> bass = {{50, 960}, {45, 960}, {50, 960}, {54, 960}, {55, 960}, {43, 960},
                                                   {41, 960}, {46, 960}, {48, 960}, {36, 960}, {41, 1920}};
    tqtest::TSmfTrack t0, t1;
    t0.Ev(0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}).Ev(0, {0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08});
    t0.Ev(0, {0xFF, 0x59, 0x02, 0x02, 0x00}); // D major
    std::vector<TSoundedNote> file;
    for (const auto* part : {&melody, &bass}) {
        tqtest::TSmfTrack& t = part == &melody ? t0 : t1;
        int at = 0;
        for (const auto& [key, ticks] : *part) {
            t.Note(0, key, ticks);
            file.push_back({at / 120, key, ticks / 120}); // in sixteenths
            at += ticks;
        }
        t.End();
    }
    std::sort(file.begin(), file.end());
    tqtest::TempDir dir;
    const std::string path = (dir / "two_hands.mid").string();
    tqtest::WriteBytesFile(path, tqtest::SmfFile(1, 480, {t0, t1}));
    TMIDIReader reader;
    ASSERT_TRUE(reader.ImportMIDIFile(path));
    fx.cvt.ConvertW2JAllPages(0, false);
    const int cols = fx.view.Cols, rows = fx.view.Rows;
    // The file's tempo mark scales every length alike: heard in sixteenths of
    // the first melody note's quarter.
    std::vector<TSoundedNote> heard = PlayedNotes(false);
    ASSERT_EQ(heard.size(), file.size());
    const double sixteenth = heard[1].length / 4.0; // D4, a quarter
    for (TSoundedNote& n : heard) {
        n.onset = static_cast<int>(std::lround(n.onset / sixteenth));
        n.length = static_cast<int>(std::lround(n.length / sixteenth));
    }
    EXPECT_EQ(heard, file);

    for (int zoom : {1, 2}) {
        FitPaintBox(fx.view, cols, rows, zoom);
        const TInkProbe probe(fx.view);
        const auto list =
            probe.Collisions([&](const TInkItem& a, const TInkItem& b) { return IntendedTouch(fx.view, a, b); });
        EXPECT_TRUE(list.empty()) << "zoom " << zoom << ":\n" << TInkProbe::Describe(list);
        TPageImage page(fx.view);
        tqtest::SavePngIfWanted(page.image, "midi_jianpu_z" + std::to_string(zoom));
    }
    frmPlay = nullptr;
    MIDIImportHooks() = {};
    SetMessageBoxes(nullptr);
}
