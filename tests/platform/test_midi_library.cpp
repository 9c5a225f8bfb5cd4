// The MIDI output library TQ_MIDI on FluidSynth, heard through its WAV output:
// each case runs tq_midi_probe (beside this suite) in a process of its own with
// TQ_MIDI_WAV set, then reads the file it leaves.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <vector>

#include "platform/core/TQLibrary.h"
#include "tests/support/TQTestSupport.h"

namespace {

constexpr int kRate = 44100;

struct TProbeRun {
    int exitCode = -1;
    std::string err; // standard error
};

// Runs the probe with the commands; wav: the TQ_MIDI_WAV file ("" unset);
// driver: TQ_MIDI_DRIVER ("" unset).
TProbeRun RunProbe(const std::vector<std::string>& commands, const std::string& wav,
                   const std::string& driver = std::string()) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("TQ_MIDI_WAV");
    env.remove("TQ_MIDI_DRIVER");
    if (!wav.empty())
        env.insert("TQ_MIDI_WAV", QString::fromStdString(wav));
    if (!driver.empty())
        env.insert("TQ_MIDI_DRIVER", QString::fromStdString(driver));
    p.setProcessEnvironment(env);
    QStringList args;
    for (const auto& c : commands)
        args << QString::fromStdString(c);
    p.start(QString::fromStdString(ExecutableFolder() + "tq_midi_probe"), args);
    TProbeRun run;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        run.err = "probe did not finish";
        return run;
    }
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.err = p.readAllStandardError().toStdString();
    return run;
}

uint32_t LE(const std::vector<unsigned char>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= uint32_t(b[at + i]) << (8 * i);
    return v;
}

// The left channel of a 16-bit 44.1 kHz stereo WAV file, checking its header
// against the file's size. Empty when anything is off.
std::vector<double> ReadWav(const std::string& path, std::string& why) {
    std::ifstream f(path, std::ios::binary);
    std::vector<unsigned char> b((std::istreambuf_iterator<char>(f)), {});
    if (b.size() < 44) {
        why = "file of " + std::to_string(b.size()) + " bytes";
        return {};
    }
    const uint32_t dataBytes = LE(b, 40, 4);
    const bool ok = std::string(b.begin(), b.begin() + 4) == "RIFF" && LE(b, 4, 4) == b.size() - 8 &&
                    std::string(b.begin() + 8, b.begin() + 16) == "WAVEfmt " && LE(b, 20, 2) == 1 &&
                    LE(b, 22, 2) == 2 && LE(b, 24, 4) == kRate && LE(b, 34, 2) == 16 &&
                    std::string(b.begin() + 36, b.begin() + 40) == "data" && dataBytes == b.size() - 44 &&
                    dataBytes % 4 == 0;
    if (!ok) {
        why = "bad header";
        return {};
    }
    std::vector<double> left(dataBytes / 4);
    for (size_t i = 0; i < left.size(); ++i)
        left[i] = static_cast<int16_t>(LE(b, 44 + 4 * i, 2));
    return left;
}

double Rms(const std::vector<double>& s, int fromMs, int toMs) {
    const size_t a = size_t(fromMs) * kRate / 1000, e = std::min(s.size(), size_t(toMs) * kRate / 1000);
    if (a >= e)
        return 0;
    double sum = 0;
    for (size_t i = a; i < e; ++i)
        sum += s[i] * s[i];
    return std::sqrt(sum / double(e - a));
}

// Frequency (Hz) with the most energy between lo and hi in the window.
double PeakFrequency(const std::vector<double>& s, int fromMs, int toMs, double lo, double hi) {
    const size_t a = size_t(fromMs) * kRate / 1000, e = std::min(s.size(), size_t(toMs) * kRate / 1000);
    double best = 0, bestF = 0;
    for (double f = lo; f <= hi; f += 1.0) {
        // Goertzel
        const double w = 2 * std::numbers::pi * f / kRate, c = 2 * std::cos(w);
        double s1 = 0, s2 = 0;
        for (size_t i = a; i < e; ++i) {
            const double s0 = s[i] + c * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        const double power = s1 * s1 + s2 * s2 - c * s1 * s2;
        if (power > best)
            best = power, bestF = f;
    }
    return bestF;
}

class MidiLibraryTest : public ::testing::Test {
  protected:
    std::string Wav(const char* name) { return (dir_ / name).string(); }
    tqtest::TempDir dir_;
};

TEST_F(MidiLibraryTest, NotesSoundWhenTheyAreCalled) {
    // C4 0-500 ms, a rest, G4 1000-1500 ms on the church organ (program 19).
    const std::string wav = Wav("organ.wav");
    const auto run = RunProbe({"open", "ins:19:0", "on:0:0:100:0", "at:500", "off:0:0:0", "at:1000", "on:0:7:100:0",
                               "at:1500", "off:0:7:0", "close"},
                              wav);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    std::string why;
    const auto s = ReadWav(wav, why);
    ASSERT_FALSE(s.empty()) << why;
    EXPECT_GE(s.size(), size_t(kRate) * 3 / 2); // the play and a tail
    const double c4 = Rms(s, 100, 400), g4 = Rms(s, 1100, 1400), rest = Rms(s, 700, 900);
    EXPECT_GT(c4, 300) << "C4 not heard";
    EXPECT_GT(g4, 300) << "G4 not heard";
    EXPECT_LT(rest, 0.05 * std::min(c4, g4)) << "the rest is not silent";
    // The right keys: each one's fundamental, searched below its octave (the organ's
    // octave partial is louder than its fundamental).
    EXPECT_NEAR(PeakFrequency(s, 100, 400, 150, 400), 261.6, 261.6 * 0.03);
    EXPECT_NEAR(PeakFrequency(s, 1100, 1400, 300, 600), 392.0, 392.0 * 0.03);
}

TEST_F(MidiLibraryTest, ACallMadeLateIsHeardWhenItWasMeantToSound) {
    // The same organ notes, but the machine stalls the C4 note-off by 400 ms and
    // the G4 note-on by 300 ms: the file keeps the timetable all the same.
    const std::string wav = Wav("late.wav");
    const auto run = RunProbe({"open", "ins:19:0", "on:0:0:100:0", "at:500", "stall:400", "off:0:0:0", "at:1000",
                               "stall:300", "on:0:7:100:0", "at:1500", "off:0:7:0", "close"},
                              wav);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::string why;
    const auto s = ReadWav(wav, why);
    ASSERT_FALSE(s.empty()) << why;
    const double c4 = Rms(s, 100, 400), g4 = Rms(s, 1050, 1250), rest = Rms(s, 700, 900);
    EXPECT_GT(c4, 300);
    EXPECT_GT(g4, 300) << "G4 starts at 1000 ms, not when the stalled call came";
    EXPECT_LT(rest, 0.05 * std::min(c4, g4)) << "C4 ends at 500 ms, not when the stalled call came";
    EXPECT_LT(s.size(), size_t(kRate) * 2100 / 1000) << "the file ends half a second after the last call's time";
}

TEST_F(MidiLibraryTest, ChannelNineIsMelodicAndTheFileIsCompleteWithoutClose) {
    const std::string wav = Wav("a4.wav");
    const auto run = RunProbe({"open", "on:0:9:100:9", "at:600"}, wav); // the process ends without a close
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::string why;
    const auto s = ReadWav(wav, why);
    ASSERT_FALSE(s.empty()) << why;
    EXPECT_GT(Rms(s, 100, 500), 300);
    EXPECT_NEAR(PeakFrequency(s, 100, 500, 200, 2000), 440.0, 440.0 * 0.03);
}

TEST_F(MidiLibraryTest, ProgramAbove127MutesTheChannelUntilAValidOne) {
    const std::string wav = Wav("mute.wav");
    const auto run = RunProbe({"open", "on:0:0:100:3", "at:300", "ins:128:3", "on:0:4:100:3", "at:1000",
                               "ins:200:3", "ins:0:3", "on:0:7:100:3", "at:1300", "off:0:7:3", "close"},
                              wav);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::string why;
    const auto s = ReadWav(wav, why);
    ASSERT_FALSE(s.empty()) << why;
    const double before = Rms(s, 50, 250), muted = Rms(s, 700, 950), after = Rms(s, 1050, 1250);
    EXPECT_GT(before, 300);
    EXPECT_LT(muted, 0.02 * before) << "the muted channel sounds";
    EXPECT_GT(after, 300) << "a valid program does not unmute";
}

TEST_F(MidiLibraryTest, ArgumentsAreClamped) {
    const std::string wav = Wav("clamp.wav");
    const auto run = RunProbe({"open", "on:40:30:1000:99", "on:-2147483647:0:-5:-1", "ins:-9:40", "off:40:30:99",
                               "on:2147483647:2147483647:2147483647:2147483647", "at:300", "close"},
                              wav);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    std::string why;
    EXPECT_FALSE(ReadWav(wav, why).empty()) << why;
}

TEST_F(MidiLibraryTest, NoAudioDeviceIsReportedOnceAndCallsAreAccepted) {
    const auto run = RunProbe({"open", "ins:0:0", "on:0:0:100:0", "off:0:0:0", "open", "on:0:4:100:0", "close"}, "",
                              "no-such-driver");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    size_t lines = 0;
    for (char ch : run.err)
        lines += ch == '\n';
    EXPECT_EQ(lines, 1u) << run.err;
    EXPECT_EQ(run.err.rfind("TQ_MIDI: no audio device", 0), 0u) << run.err;
}

TEST_F(MidiLibraryTest, UnwritableWavIsReportedOnce) {
    const auto run = RunProbe({"open", "on:0:0:100:0", "at:100", "off:0:0:0", "close"},
                              (dir_ / "no-such-folder" / "x.wav").string());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err.rfind("TQ_MIDI: cannot write the WAV file", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
}

} // namespace
