// The player through the real MIDI library's WAV output on a fake clock: the
// play takes no time at all on the machine, yet the file holds every call at the
// time the play meant it for.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "model/modTQGroup.h"
#include "platform/core/TQLibrary.h"
#include "play/modTQMIDI.h"
#include "play/modTQPlayState.h"
#include "tests/support/TQTestSupport.h"

namespace {

constexpr int kRate = 44100;

// The left channel of the library's 16-bit stereo WAV file.
std::vector<double> ReadLeft(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::vector<unsigned char> b((std::istreambuf_iterator<char>(f)), {});
    std::vector<double> left;
    for (size_t at = 44; at + 4 <= b.size(); at += 4)
        left.push_back(static_cast<int16_t>(b[at] | (b[at + 1] << 8)));
    return left;
}

double Rms(const std::vector<double>& s, int fromMs, int toMs) {
    const size_t a = size_t(fromMs) * kRate / 1000, e = std::min(s.size(), size_t(toMs) * kRate / 1000);
    double sum = 0;
    for (size_t i = a; i < e; ++i)
        sum += s[i] * s[i];
    return e > a ? std::sqrt(sum / double(e - a)) : 0;
}

TEST(PlayerWavTest, AStopInTheMiddleOfANoteEndsItThereInTheFile) {
    tqtest::TempDir dir;
    const std::string wav = (dir / "stop.wav").string();
    ::setenv("TQ_MIDI_WAV", wav.c_str(), 1);
    TPlayState play;
    frmPlay = &play;
    double now = 0;
    bool stopped = false;
    {
        TfrmMIDI midi(ExecutableFolder());
        ::unsetenv("TQ_MIDI_WAV");
        ASSERT_TRUE(midi.Ready()) << midi.LibPath;
        PlayerHooks().NowMs = [&] { return now; };
        PlayerHooks().SleepMs = [&](double ms) { now += ms; };
        // Stop is pressed half a second into a two-second C, as the play
        // window's Stop button does it: the request, then all notes off.
        PlayerHooks().ProcessEvents = [&] {
            if (now >= 500 && !stopped) {
                stopped = true;
                play.StopRequest = 1;
                midi.MidiAllNotesOff();
            }
        };
        TPlayItem c;
        c.Notes[0] = {0, 0, 100, 2560, 0, 0, 0};
        c.Duration = 2560; // two seconds at 100 %
        TPlayItem g = c;
        g.Notes[0].Pitch = 7;
        midi.MidiPlayList({c, g}, 0, 1);
        ResetPlayerHooks();
        frmPlay = nullptr;
        midi.Ext_CloseMIDIOutputDevice();
    }
    ASSERT_TRUE(stopped);
    const std::vector<double> s = ReadLeft(wav);
    // Where the play begins in the file: its first sound.
    size_t first = 0;
    while (first < s.size() && std::abs(s[first]) < 300)
        ++first;
    ASSERT_LT(first, s.size()) << "nothing heard";
    const int t0 = static_cast<int>(1000.0 * double(first) / kRate);
    EXPECT_GT(Rms(s, t0 + 50, t0 + 600), 300) << "C sounds until the stop's note-offs, 200 ms after it";
    EXPECT_LT(Rms(s, t0 + 1200, t0 + 2000), 30) << "silent after the stop";
    EXPECT_NEAR(1000.0 * double(s.size()) / kRate, t0 + 2000 + 200 + 500, 20)
        << "the play's two seconds, the closing 200 ms and the tail; G never starts";
}

} // namespace
