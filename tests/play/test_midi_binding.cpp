// Binding the MIDI output library: the fixed texts of a failed binding, the
// device opened only when every entry point is bound, and nothing sent through
// an unbound library.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/core/TQMessage.h"
#include "play/modTQMIDI.h"
#include "tests/play/TQMidiFake.h"
#include "tests/support/TQTestSupport.h"

using tqtest::gMidiCalls;

namespace {

class MidiBindingTest : public ::testing::Test {
  protected:
    void SetUp() override { SetMessageBoxes(&boxes_); }
    void TearDown() override {
        ResetPlayerHooks();
        SetMessageBoxes(nullptr);
    }
    // Every way of sounding, on a binding that must not send anything.
    void ExpectSilentAndReported(TfrmMIDI& midi) {
        boxes_.Clear();
        gMidiCalls.clear();
        PlayerHooks().SleepMs = [](double) {};
        midi.MidiNoteOn(0, 0, 100);
        midi.MidiNoteOff(0, 0);
        midi.MidiPlayList({TPlayItem{}}, 0, 1);
        midi.MidiAllNotesOff();
        EXPECT_TRUE(gMidiCalls.empty());
        ASSERT_EQ(boxes_.shown.size(), 3u);
        for (const auto& box : boxes_.shown) {
            EXPECT_EQ(box.id, 3311);
            EXPECT_EQ(box.kind, mkError);
            EXPECT_TRUE(box.text.ends_with(midi.LibPath)) << box.text;
        }
    }
    TMessageRecorder boxes_;
};

TEST_F(MidiBindingTest, CompleteLibraryOpensTheDeviceOnce) {
    ASSERT_TRUE(tqtest::HookFakeMidi("rec"));
    TfrmMIDI midi(tqtest::FakeMidiFolder("rec"));
    EXPECT_TRUE(midi.Ready());
    EXPECT_EQ(midi.LibPath, tqtest::FakeMidiFolder("rec") + "TQ_MIDI.so");
    ASSERT_EQ(gMidiCalls.size(), 1u);
    EXPECT_EQ(gMidiCalls[0].name, "Ext_OpenMIDIOutputDevice");
    EXPECT_EQ(midi.TempoBase, 60);
    EXPECT_EQ(midi.SpeedScale, 1.0f);
    // Loading again binds nothing new and opens nothing.
    midi.LoadMidiLibrary();
    EXPECT_EQ(gMidiCalls.size(), 1u);
    EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(MidiBindingTest, MissingEntryPointStopsTheBinding) {
    ASSERT_TRUE(tqtest::HookFakeMidi("noins"));
    TfrmMIDI midi(tqtest::FakeMidiFolder("noins"));
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text,
              "The sound library " + midi.LibPath + " lacks the function Ext_ChangeIns");
    EXPECT_TRUE(gMidiCalls.empty()) << "device opened";
    EXPECT_TRUE(midi.LibHandle.Loaded());
    EXPECT_NE(midi.Ext_NoteOn, nullptr);
    EXPECT_EQ(midi.Ext_CloseMIDIOutputDevice, nullptr); // after the missing one: left unbound
    EXPECT_FALSE(midi.Ready());
    ExpectSilentAndReported(midi);
}

TEST_F(MidiBindingTest, MissingLibraryIsReportedWithItsPath) {
    tqtest::TempDir dir;
    TfrmMIDI midi(dir.str());
    const std::string path = dir.str() + "/TQ_MIDI.so";
    EXPECT_EQ(midi.LibPath, path);
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, "Cannot load the sound library " + path);
    EXPECT_FALSE(midi.Ready());
    ExpectSilentAndReported(midi);
}

TEST_F(MidiBindingTest, LibraryPathHasNoLengthLimit) {
    tqtest::TempDir dir;
    std::filesystem::path deep = dir.path();
    for (int i = 0; i < 4; ++i)
        deep /= std::string(90, 'a' + i);
    std::filesystem::create_directories(deep);
    std::filesystem::create_symlink(tqtest::FakeMidiFolder("rec") + "TQ_MIDI.so", deep / "TQ_MIDI.so");
    ASSERT_TRUE(tqtest::HookFakeMidi("rec"));
    TfrmMIDI midi(deep.string());
    EXPECT_GT(midi.LibPath.size(), 360u);
    EXPECT_TRUE(midi.Ready());
    EXPECT_TRUE(boxes_.shown.empty());
}

} // namespace
