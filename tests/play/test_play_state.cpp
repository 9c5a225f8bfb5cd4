// The play state: the sound-effect table, the settings handlers and the bar
// accidental memory.
#include <gtest/gtest.h>

#include "platform/core/TQMessage.h"
#include "play/modTQMIDI.h"
#include "play/modTQPlayState.h"
#include "tests/play/TQMidiFake.h"

namespace {

TEST(PlayStateTest, SoundTableRecords) {
    const std::vector<int> pedal = {0,  1,  2,  3,  4,  5,   6,   7,   8,   9,   10,  11,  12,  13,  14,  15,
                                    24, 25, 26, 27, 28, 29,  30,  32,  33,  34,  35,  36,  37,  38,  39,  46,
                                    88, 94, 98, 99, 100, 101, 102, 103, 104, 105, 107, 112, 113, 114, 119, 127};
    ASSERT_EQ(SoundTable.size(), 130u);
    for (int i = 0; i < 130; ++i) {
        SCOPED_TRACE(i);
        const bool expected = std::find(pedal.begin(), pedal.end(), i) != pedal.end();
        EXPECT_EQ(SoundTable[i].Pedal, expected ? 1 : 0);
        EXPECT_EQ(SoundTable[i].Zero, 0);
        if (i < 128) {
            EXPECT_EQ(SoundTable[i].Program, i + 1);
            EXPECT_GE(SoundTable[i].Family, 1);
            EXPECT_LE(SoundTable[i].Family, 8);
        }
    }
    EXPECT_EQ(SoundTable[128].Program, 129);
    EXPECT_EQ(SoundTable[129].Program, 0);
    EXPECT_EQ(SoundTable[129].Family, 0);
    EXPECT_EQ(SoundPedalFlag(130), 0);
    EXPECT_EQ(SoundPedalFlag(-1), 0);
}

TEST(PlayStateTest, SettingsHandlers) {
    TMessageRecorder boxes;
    SetMessageBoxes(&boxes);
    ASSERT_TRUE(tqtest::HookFakeMidi("rec"));
    TfrmMIDI midi(tqtest::FakeMidiFolder("rec"));
    frmMIDI = &midi;
    PlayerHooks().SleepMs = [](double) {};

    TPlayState play;
    // as created: all staffs, Jianpu, grand piano (so pads are not ignored), play position shown
    EXPECT_EQ(play.PlayRule, prAllStaffs);
    EXPECT_TRUE(play.IsRuleGroupOrAll());
    EXPECT_FALSE(play.PlayWest);
    EXPECT_FALSE(play.IgnorePad);
    EXPECT_TRUE(play.ShowPlay);
    EXPECT_EQ(play.StartIndex, -1);
    EXPECT_EQ(play.TimeSigNum * 10 + play.TimeSigDen, 44);

    struct { int effect; bool ignorePad; } effects[] = {{0, false}, {40, true}, {46, false}, {128, true}, {129, true}};
    for (const auto& e : effects) {
        play.SoundEffect = e.effect;
        play.SoundEffectChange();
        EXPECT_EQ(play.IgnorePad, e.ignorePad) << e.effect;
    }

    play.SpeedAdj = 50;
    play.SpeedAdjChange();
    EXPECT_FLOAT_EQ(midi.SpeedScale, 2.0f);
    play.SpeedAdj = 0; // cannot be entered; keeps the scale
    play.SpeedAdjChange();
    EXPECT_FLOAT_EQ(midi.SpeedScale, 2.0f);

    tqtest::gMidiCalls.clear();
    play.StopClick();
    EXPECT_EQ(play.StopRequest, 1);
    EXPECT_EQ(tqtest::gMidiCalls.size(), 108u);
    play.NextClick();
    EXPECT_EQ(play.StopRequest, 2);

    frmMIDI = nullptr;
    ResetPlayerHooks();
    SetMessageBoxes(nullptr);
}

TEST(BarAccidentalTest, RemembersUntilTheBarEnds) {
    // Each step: an attribute word for a note (note, octave) on a staff, or a bar line;
    // the answer is the accidental the note plays with.
    struct Step {
        const char* what;
        bool barLine;
        uint32_t attr;
        int note, octave, staff;
        int expected;
    };
    const int none = kNoAccidental;
    const Step steps[] = {
        {"sharp on degree 4, one dot", false, 0x01, '4', 1, 0, 1},
        {"plain 4 with one dot: raised too", false, 0x00, '4', 1, 0, 1},
        {"plain 4 without dots: not raised", false, 0x00, '4', 0, 0, none},
        {"same note on another staff: not raised", false, 0x00, '4', 1, 1, none},
        {"other nibbles of the word do not count", false, 0x30, '4', 1, 0, 1},
        {"natural replaces the sharp", false, 0x03, '4', 1, 0, 0},
        {"plain after the natural", false, 0x00, '4', 1, 0, 0},
        {"double sharp", false, 0x06, 12, -7, 2, 2},
        {"remembered double sharp", false, 0x00, 12, -7, 2, 2},
        {"double flat", false, 0x05, 12, -7, 2, -2},
        {"code 7 is a flat", false, 0x07, '6', 0, 3, -1},
        {"code 8 is +2", false, 0x08, '2', 0, 3, 2},
        {"code 9 is no accidental and is not remembered", false, 0x09, '3', 0, 3, none},
        {"staff 16 is outside the memory", false, 0x01, '5', 0, 16, 1},
        {"and remembers nothing", false, 0x00, '5', 0, 16, none},
        {"bar line", true, 0, 0, 0, 0, 0},
        {"plain 4 after the bar: natural again", false, 0x00, '4', 1, 0, none},
        {"every staff forgets", false, 0x00, 12, -7, 2, none},
    };
    TPlayState play;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        if (s.barLine) {
            play.ClearBarAccidentals();
            continue;
        }
        EXPECT_EQ(play.BarAccidental(s.attr, s.note, s.octave, s.staff), s.expected);
    }
    // The list keeps one entry per (note, octave), replaced in place.
    play.RememberAccidentalCode(1, 'x', 0, 5);
    play.RememberAccidentalCode(2, 'y', 0, 5);
    play.RememberAccidentalCode(3, 'x', 0, 5);
    EXPECT_EQ(play.MeasureAccidentals[5],
              (std::vector<TMeasureAlterater>{{0, 'x', 0}, {-1, 'y', 0}}));
    play.RememberAccidental(kNoAccidental, 'z', 0, 5);
    EXPECT_EQ(play.MeasureAccidentals[5].size(), 2u);
    EXPECT_EQ(play.FindMeasureAccidental('y', 0, 5), -1);
    EXPECT_EQ(play.FindMeasureAccidental('y', 0, -1), kNoAccidental);
}

TEST(PlayListTest, NoteCountAndTies) {
    TPlayItem item;
    EXPECT_EQ(NoteCount(item), 0);
    for (int i = 0; i < kPlayNoteSlots; ++i)
        item.Notes[i] = {0, static_cast<int8_t>(i % 12), 100, 10, 0, 0, 0};
    EXPECT_EQ(NoteCount(item), 32);
    item.Notes[3].Pitch = -1;
    EXPECT_EQ(NoteCount(item), 3);
    item.Notes[1] = {1, 4, 100, 10, 0, 0, 0};
    item.Notes[2] = {1, 4, 100, 10, 0, 0, 0};
    EXPECT_TRUE(MarkTie(item, 1, 4));
    EXPECT_EQ(item.Notes[1].Tie, kTieContinues);
    EXPECT_EQ(item.Notes[2].Tie, 0); // the first match only
    EXPECT_FALSE(MarkTie(item, 0, 5)); // slot 5 lies after the end of the list
}

} // namespace
