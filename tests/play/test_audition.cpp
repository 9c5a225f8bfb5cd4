// Clicked notes sound through the MIDI output and are pressed on the piano, whose
// release on mouse-up stops them.
#include <gtest/gtest.h>

#include "platform/core/TQMessage.h"
#include "play/modTQMIDI.h"
#include "play/modTQPlayState.h"
#include "tests/play/TQMidiFake.h"
#include "tests/support/TQScoreFixture.h"

using tqtest::gMidiCalls;

namespace {

class AuditionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetMessageBoxes(&boxes_);
        ASSERT_TRUE(tqtest::HookFakeMidi("rec"));
        midi_ = std::make_unique<TfrmMIDI>(tqtest::FakeMidiFolder("rec"));
        frmMIDI = midi_.get();
        frmPlay = &play_;
        TPlayerHooks& h = PlayerHooks();
        h.MainVolume = [] { return 90; };
        h.PressKey = [this](int pc, int oct) { pressed_.push_back({oct, pc}); };
        gMidiCalls.clear();
    }
    void TearDown() override {
        ResetPlayerHooks();
        frmMIDI = nullptr;
        frmPlay = nullptr;
        SetMessageBoxes(nullptr);
    }
    // The piano's mouse-up: every pressed key is let go.
    void MouseUp() {
        for (auto [oct, pc] : pressed_)
            midi_->MidiNoteOff(oct, pc);
        pressed_.clear();
    }
    std::vector<std::string> Calls() {
        std::vector<std::string> out;
        for (const auto& c : gMidiCalls)
            out.push_back(c.name == "Ext_NoteOn" ? "on " + std::to_string(c.a) + "," + std::to_string(c.b) + " v" +
                                                       std::to_string(c.c) + " ch" + std::to_string(c.d)
                                                 : "off " + std::to_string(c.a) + "," + std::to_string(c.b));
        gMidiCalls.clear();
        return out;
    }

    TScoreFixture fx_{12, 4};
    TMessageRecorder boxes_;
    std::unique_ptr<TfrmMIDI> midi_;
    TPlayState play_;
    std::vector<std::pair<int, int>> pressed_;
};

using S = std::vector<std::string>;

TEST_F(AuditionTest, WesternClicks) {
    fx_.Row(1, "&G W:3@6+2+2 W:23 W:3@3{attr=1} W:3@3");
    play_.AuditionWestClick(1, 1, false);
    // from the far end of the chord to its main note
    EXPECT_EQ(Calls(), (S{"on 0,7 v90 ch0", "on 0,4 v90 ch0", "on 0,0 v90 ch0"}));
    EXPECT_EQ(pressed_.size(), 3u);
    MouseUp();
    EXPECT_EQ(Calls(), (S{"off 0,7", "off 0,4", "off 0,0"}));

    play_.AuditionWestClick(2, 1, false); // a rest
    EXPECT_EQ(Calls(), S{});

    play_.AuditionWestClick(4, 1, false); // the sharp written before it in the bar
    EXPECT_EQ(Calls(), (S{"on 0,6 v90 ch0"}));

    fx_.Row(2, "&F W:3@-6");
    play_.AuditionWestClick(1, 2, false);
    EXPECT_EQ(Calls(), (S{"on 0,0 v90 ch0"})) << "bass clef";
    EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(AuditionTest, JianpuClicks) {
    fx_.Row(2, "1 b3 3 | 3 5 6 7 |");
    auto click = [&](int col, int row) {
        fx_.Score().SelCol0 = fx_.Score().SelCol1 = col;
        fx_.Score().SelRow0 = fx_.Score().SelRow1 = row;
        play_.AuditionJianpuClick(false);
        return Calls();
    };
    // No key text before the click: the key of C.
    EXPECT_EQ(click(0, 2), (S{"on 0,0 v90 ch0"}));
    EXPECT_EQ(pressed_, (std::vector<std::pair<int, int>>{{0, 0}}));
    MouseUp();
    EXPECT_EQ(Calls(), (S{"off 0,0"}));
    EXPECT_EQ(click(2, 2), (S{"on 0,3 v90 ch0"})) << "the flat earlier in the bar";
    EXPECT_EQ(click(4, 2), (S{"on 0,4 v90 ch0"})) << "not across the bar line";
    MouseUp();
    Calls();

    // A key text above the rows: 1=D.
    fx_.Row(0, "\"1=D\"");
    EXPECT_EQ(click(5, 2), (S{"on 0,9 v90 ch0"}));
    // A vertical chord sounds every note.
    TCell& chord = fx_.At(6, 2);
    chord.CompressNotes = {{'1', 0, 0, 0, 0, 0}, {'3', 0, 0, 0, 0, 0}, {'5', 0, 1, 0, 0, 0}};
    EXPECT_EQ(click(6, 2), (S{"on 0,2 v90 ch0", "on 0,6 v90 ch0", "on 1,9 v90 ch0"}));
    EXPECT_TRUE(boxes_.shown.empty());
}

} // namespace

TEST_F(AuditionTest, KeySymbolsAfterTheHeaderChangeTheKey) {
    struct Case {
        const char* row;
        int col;
        const char* sounds;
    } cases[] = {
        {"&G S:14{y=3} W:3@3", 2, "on 0,6 v90 ch0"},   // a sharp symbol on F: F sharp
        {"&G/1 S:41{y=3} W:3@3", 2, "on 0,5 v90 ch0"}, // a natural on F in G major: F
        {"&G/1 S:41{y=2} W:3@3", 2, "on 0,6 v90 ch0"}, // on another letter: F keeps the key's sharp
        {"&G W:3@3 S:14{y=3}", 1, "on 0,5 v90 ch0"},   // after the note: not yet
    };
    for (const Case& c : cases) {
        fx_.Row(1, "~ ~ ~ ~");
        fx_.Row(1, c.row);
        play_.AuditionWestClick(c.col, 1, false);
        EXPECT_EQ(Calls(), (S{c.sounds})) << c.row;
        MouseUp();
        Calls();
    }
}
