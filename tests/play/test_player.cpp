// The player loop against the recording MIDI stand-in on a fake clock: what is
// sent, on which channel, at what velocity, and when.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <sstream>

#include "model/modTQMainScore.h"
#include "platform/core/TQMessage.h"
#include "play/modTQMIDI.h"
#include "play/modTQPlayState.h"
#include "tests/play/TQMidiFake.h"

using tqtest::gFakeNowMs;
using tqtest::gMidiCalls;

namespace {

TPlayItem Instrument(int program, int channel) {
    TPlayItem it;
    it.Kind = pkInstrument;
    it.Duration = program;
    it.Notes[0].Channel = static_cast<int8_t>(channel);
    return it;
}

TPlayItem Note(int octave, int pitch, int volume, int length, int duration, int channel = 0, int hold = 0) {
    TPlayItem it;
    it.Kind = pkNotes;
    it.Notes[0] = {static_cast<int8_t>(octave), static_cast<int8_t>(pitch), static_cast<uint8_t>(volume), length,
                   static_cast<int8_t>(channel), 0, 0};
    it.Duration = duration;
    it.Hold = static_cast<uint8_t>(hold);
    return it;
}

TPlayItem Rest(int duration) {
    TPlayItem it;
    it.Kind = pkRest;
    it.Duration = duration;
    return it;
}

// The calls as text, "on(o,p,v,c)@ms"; the closing all-notes-off (9 x 12 x
// channels note-offs in octave, pitch, channel order) becomes "alloff(n)@ms".
std::vector<std::string> Transcript() {
    std::vector<std::string> out;
    size_t i = 0;
    const size_t n = gMidiCalls.size();
    auto at = [](double ms) { return "@" + std::to_string(std::lround(ms)); };
    while (i < n) {
        const auto& c = gMidiCalls[i];
        if (c.name == "Ext_NoteOff" && c.a == -4 && c.b == 0 && c.c == 0) {
            // a run of all-notes-off?
            size_t j = i;
            int channels = 0;
            while (j < n && gMidiCalls[j].name == "Ext_NoteOff" && gMidiCalls[j].a == -4 && gMidiCalls[j].b == 0 &&
                   gMidiCalls[j].c == channels)
                ++j, ++channels;
            const size_t total = 9 * 12 * channels;
            bool whole = i + total <= n;
            for (size_t k = 0; whole && k < total; ++k) {
                const auto& o = gMidiCalls[i + k];
                const int ch = static_cast<int>(k % channels), pc = static_cast<int>(k / channels % 12),
                          oct = static_cast<int>(k / channels / 12) - 4;
                whole = o.name == "Ext_NoteOff" && o.a == oct && o.b == pc && o.c == ch && o.ms == c.ms;
            }
            if (whole) {
                out.push_back("alloff(" + std::to_string(total) + ")" + at(c.ms));
                i += total;
                continue;
            }
        }
        std::ostringstream s;
        if (c.name == "Ext_NoteOn")
            s << "on(" << c.a << "," << c.b << "," << c.c << "," << c.d << ")";
        else if (c.name == "Ext_NoteOff")
            s << "off(" << c.a << "," << c.b << "," << c.c << ")";
        else if (c.name == "Ext_ChangeIns")
            s << "ins(" << c.a << "," << c.b << ")";
        else
            s << c.name;
        out.push_back(s.str() + at(c.ms));
        ++i;
    }
    return out;
}

std::vector<std::string> AllChannels(const std::string& prefix, int program) {
    std::vector<std::string> v;
    for (int k = 0; k < 16; ++k)
        v.push_back(prefix + "(" + std::to_string(program) + "," + std::to_string(k) + ")@0");
    return v;
}

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class PlayerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetMessageBoxes(&boxes_);
        ASSERT_TRUE(tqtest::HookFakeMidi("rec")) << "fake MIDI library missing";
        midi_ = std::make_unique<TfrmMIDI>(tqtest::FakeMidiFolder("rec"));
        ASSERT_TRUE(midi_->Ready());
        frmMIDI = midi_.get();
        frmPlay = &play_;
        frmMainTQ = &score_;
        gMidiCalls.clear();
        gFakeNowMs = 0;
        TPlayerHooks& h = PlayerHooks();
        h.NowMs = [] { return gFakeNowMs; };
        h.SleepMs = [](double ms) { gFakeNowMs += ms; };
        h.ProcessEvents = [this] {
            if (onEvents_)
                onEvents_();
        };
    }
    void TearDown() override {
        ResetPlayerHooks();
        frmMIDI = nullptr;
        frmPlay = nullptr;
        frmMainTQ = nullptr;
        SetMessageBoxes(nullptr);
    }
    void Play(const std::vector<TPlayItem>& list, int start = 0, int rows = 1) {
        gMidiCalls.clear();
        gFakeNowMs = 0;
        midi_->MidiPlayList(list, start, rows);
    }

    TMessageRecorder boxes_;
    std::unique_ptr<TfrmMIDI> midi_;
    TPlayState play_;
    TMainScore score_;
    std::function<void()> onEvents_;
};

TEST_F(PlayerTest, SendsWhatTheListSaysWhenItSaysIt) {
    struct Case {
        const char* what;
        std::vector<TPlayItem> list;
        std::function<void(TPlayState&)> setup;
        int start;
        std::vector<std::string> expected;
    };
    const TPlayItem quarter = Note(0, 0, 100, 1280, 1280);
    const std::vector<Case> cases = {
        {"quarter at speed 100", {Instrument(0, -1), quarter}, nullptr, 0,
         Join(AllChannels("ins", 0), {"on(0,0,127,0)@0", "off(0,0,0)@1000", "alloff(108)@1200"})},
        {"speed 200 %", {Instrument(0, -1), quarter}, [](TPlayState& p) { p.SpeedAdj = 200, p.SpeedAdjChange(); }, 0,
         Join(AllChannels("ins", 0), {"on(0,0,127,0)@0", "off(0,0,0)@500", "alloff(108)@700"})},
        {"hold on a piano rings on", {Instrument(0, -1), Note(0, 0, 100, 1280, 1280, 0, 1)}, nullptr, 0,
         Join(AllChannels("ins", 0), {"on(0,0,127,0)@0", "alloff(108)@1200"})},
        {"hold on strings is released", {Instrument(48, -1), Note(0, 0, 100, 1280, 1280, 0, 1)}, nullptr, 0,
         Join(AllChannels("ins", 48), {"on(0,0,127,0)@0", "off(0,0,0)@1000", "alloff(108)@1200"})},
        {"hold with no program sent counts as piano", {Note(0, 0, 100, 1280, 1280, 0, 1)}, nullptr, 0,
         {"on(0,0,127,0)@0", "alloff(108)@1200"}},
        {"ignore dynamics: volume 30 plays at 127, volume 0 stays silent",
         {Note(0, 0, 30, 1280, 1280), Note(0, 2, 0, 1280, 1280)}, [](TPlayState& p) { p.IgnoreDyn = true; }, 0,
         {"on(0,0,127,0)@0", "off(0,0,0)@1000", "off(0,2,0)@2000", "alloff(108)@2200"}},
        {"volume scales velocity", {Note(0, 0, 30, 1280, 1280)}, nullptr, 0,
         {"on(0,0,38,0)@0", "off(0,0,0)@1000", "alloff(108)@1200"}},
        {"start index beyond the list plays from item 0", {quarter, Note(0, 4, 100, 640, 640)}, nullptr, 99,
         {"on(0,0,127,0)@0", "off(0,0,0)@1000", "on(0,4,127,0)@1000", "off(0,4,0)@1500", "alloff(108)@1700"}},
        {"negative start index plays from item 0", {quarter}, nullptr, -3,
         {"on(0,0,127,0)@0", "off(0,0,0)@1000", "alloff(108)@1200"}},
        {"items before the start: instruments apply, notes are skipped",
         {Instrument(5, 2), quarter, Note(0, 4, 100, 640, 640, 2)}, nullptr, 2,
         {"ins(5,2)@0", "on(0,4,127,2)@0", "off(0,4,2)@500", "alloff(324)@700"}},
        {"octave 5 and -5 neither start nor stop", {Note(5, 0, 100, 1280, 1280), Note(-5, 0, 100, 1280, 0)}, nullptr,
         0, {"alloff(108)@1200"}},
        {"channel 16 and -3 play on channel 0", {Note(0, 0, 100, 1280, 1280, 16), Note(0, 1, 100, 640, 640, -3)},
         nullptr, 0, {"on(0,0,127,0)@0", "off(0,0,0)@1000", "on(0,1,127,0)@1000", "off(0,1,0)@1500", "alloff(108)@1700"}},
        {"duration 0 releases the listed notes at once", {Note(0, 0, 100, 2560, 1280), Note(0, 0, 100, 0, 0), Rest(640)},
         nullptr, 0, {"on(0,0,127,0)@0", "off(0,0,0)@1000", "alloff(108)@1700"}},
        {"a longer note sounds on to the end", {Note(0, 0, 100, 2560, 1280), Rest(1280)}, nullptr, 0,
         {"on(0,0,127,0)@0", "alloff(108)@2200"}},
        {"a triplet note the rounding made a unit longer than its step ends with it",
         {Note(0, 0, 100, 215, 214), Rest(1280)}, nullptr, 0,
         {"on(0,0,127,0)@0", "off(0,0,0)@167", "alloff(108)@1367"}},
        {"length 0 is never started, pitch 12 skipped", {Note(0, 0, 100, 0, 1280), Note(0, 12, 100, 1280, 1280)},
         nullptr, 0, {"off(0,0,0)@1000", "alloff(108)@2200"}},
        {"ignore sound effects: program 0 everywhere, kind 4 changes nothing", {Instrument(40, -1), quarter},
         [](TPlayState& p) { p.SoundEffect = kSoundIgnore; }, 0,
         Join(AllChannels("ins", 0), {"on(0,0,127,0)@0", "off(0,0,0)@1000", "alloff(108)@1200"})},
        {"program from the low byte", {Instrument(256 + 48, 3)}, nullptr, 0, {"ins(48,3)@0", "alloff(108)@200"}},
        {"a whole note at tempo 8 waits 50 s", {Note(0, 0, 100, 64000, 64000)}, nullptr, 0,
         {"on(0,0,127,0)@0", "off(0,0,0)@50000", "alloff(108)@50200"}},
        {"empty item of kind 0 still waits", {Note(0, -1, 100, 1280, 1280), quarter}, nullptr, 0,
         {"on(0,0,127,0)@1000", "off(0,0,0)@2000", "alloff(108)@2200"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TPlayState state;
        frmPlay = &state;
        midi_->SpeedScale = 1.0f;
        if (c.setup)
            c.setup(state);
        Play(c.list, c.start);
        EXPECT_EQ(Transcript(), c.expected);
    }
    EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(PlayerTest, StopDuringAWaitEndsAfterThatItem) {
    for (int request : {1, 2}) {
        SCOPED_TRACE(request);
        play_.StopRequest = 0;
        onEvents_ = [&] {
            if (gFakeNowMs >= 400 && play_.StopRequest == 0) {
                if (request == 1)
                    play_.StopClick(); // all notes off at once, as the Stop button does
                else
                    play_.NextClick();
            }
        };
        Play({Note(0, 0, 100, 1280, 1280), Note(0, 2, 100, 1280, 1280), Note(0, 4, 100, 1280, 1280)});
        std::vector<std::string> expected = {"on(0,0,127,0)@0"};
        if (request == 1)
            expected.push_back("alloff(108)@600"); // from the button, in the middle of the wait
        expected.push_back("off(0,0,0)@1000");
        expected.push_back("alloff(108)@1200"); // the player's own, before it returns
        EXPECT_EQ(Transcript(), expected);
    }
}

TEST_F(PlayerTest, WaitingKeepsEventsFlowingInShortSlices) {
    std::vector<double> eventTimes;
    onEvents_ = [&] { eventTimes.push_back(gFakeNowMs); };
    Play({Note(0, 0, 100, 1280, 1280)});
    ASSERT_GE(eventTimes.size(), 99u);
    for (size_t i = 1; i < eventTimes.size(); ++i)
        EXPECT_LE(eventTimes[i] - eventTimes[i - 1], 10.0 + 1e-9) << i;
    EXPECT_NEAR(eventTimes.back(), 1000.0, 1e-3); // once more after the release
}

TEST_F(PlayerTest, OnsetsKeepTheirDeadlinesWhateverFollowingCosts) {
    // Each follow-the-music step costs 5 ms; a thousand quarters at speed 100 %.
    PlayerHooks().SelectAndShowCell = [](int, int, int, bool, int) { gFakeNowMs += 5; };
    std::vector<TPlayItem> list(1000, Note(0, 0, 100, 1280, 1280));
    Play(list);
    std::vector<double> onsets;
    for (const auto& c : gMidiCalls)
        if (c.name == "Ext_NoteOn")
            onsets.push_back(c.ms);
    ASSERT_EQ(onsets.size(), 1000u);
    const double wait = 60 * 1280 * 0.01302083;
    for (size_t i = 0; i < onsets.size(); ++i)
        ASSERT_NEAR(onsets[i], i * wait, 1.0) << "onset " << i;
}

TEST_F(PlayerTest, FollowsTheMusicOnTheScore) {
    std::vector<std::string> seen;
    TPlayerHooks& h = PlayerHooks();
    h.ShowPage = [&](int page, bool redraw) {
        seen.push_back("page " + std::to_string(page) + (redraw ? " redraw" : ""));
        score_.CurPage = page;
    };
    h.SelectAndShowCell = [&](int col, int row, int rows, bool redraw, int flags) {
        seen.push_back("cell " + std::to_string(col) + "," + std::to_string(row) + " rows " + std::to_string(rows) +
                       (redraw ? " redraw" : "") + " flags " + std::to_string(flags));
    };
    h.SetScrollAheadRows = [&](int rows) { seen.push_back("ahead " + std::to_string(rows)); };
    TPlayItem a = Note(0, 0, 100, 640, 640);
    a.Page = 0, a.Col = 3, a.Row = 5;
    TPlayItem marker;
    marker.Kind = pkHighlight;
    marker.Duration = 4;
    TPlayItem b = Note(0, 2, 100, 640, 640);
    b.Page = 1, b.Col = 7, b.Row = 2;
    TPlayItem zero = Note(0, 2, 100, 0, 0); // no wait: not followed
    zero.Page = 2;
    Play({a, marker, b, zero}, 0, 3);
    EXPECT_EQ(seen, (std::vector<std::string>{"ahead 10", "cell 3,5 rows 3 flags 0", "page 1 redraw",
                                              "cell 7,2 rows 4 flags 0", "ahead 2"}));

    seen.clear();
    play_.ShowPlay = false;
    Play({a, b});
    EXPECT_EQ(seen, (std::vector<std::string>{"ahead 10", "ahead 2"}));
}

TEST_F(PlayerTest, ShownKeyboardTakesTheMainVolumeAndLightsKeys) {
    std::vector<std::string> keys;
    TPlayerHooks& h = PlayerHooks();
    h.KeyboardExists = [] { return true; };
    h.KeyboardVisible = [] { return true; };
    h.StaffToKeyboard = [] { return true; };
    h.MainVolume = [] { return 90; };
    h.RepaintKeyboard = [&] { keys.push_back("repaint"); };
    h.HighlightKey = [&](int pc, int oct, int mode) {
        keys.push_back(std::to_string(pc) + "/" + std::to_string(oct) + " mode " + std::to_string(mode));
    };
    TPlayItem refresh;
    refresh.Kind = pkKeyboard;
    // 50 % of 90 -> 45; a held piano note is let go on the piano all the same.
    Play({Note(1, 9, 50, 640, 640), refresh, Note(0, 4, 100, 640, 640, 0, 1)});
    const auto t = Transcript();
    ASSERT_GE(t.size(), 3u);
    EXPECT_EQ(t[0], "on(1,9,45,0)@0");
    EXPECT_EQ(t[2], "on(0,4,90,0)@500");
    EXPECT_EQ(keys, (std::vector<std::string>{"repaint", "9/1 mode 2", "9/1 mode 1", "repaint", "repaint",
                                              "4/0 mode 2", "4/0 mode 1", "repaint"}));
}

TEST_F(PlayerTest, SingleNotesGoToChannelZero) {
    midi_->MidiNoteOn(-1, 11, 300);
    midi_->MidiNoteOff(-1, 11);
    EXPECT_EQ(Transcript(), (std::vector<std::string>{"on(-1,11,127,0)@0", "off(-1,11,0)@0"}));
}

} // namespace
