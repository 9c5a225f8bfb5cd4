// Golden play-list dumps of a two-page, two-staff score (Western and Jianpu)
// with repeats, a tie, dynamics and a tempo change; and that score played
// through the real MIDI output library into a WAV file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "model/modTQGroup.h"
#include "platform/core/TQLibrary.h"
#include "play/modTQMIDI.h"
#include "play/modTQPlayState.h"
#include "tests/support/TQScoreFixture.h"
#include "tests/support/TQTestSupport.h"

namespace fs = std::filesystem;

namespace {

fs::path DataFolder() { return tqtest::SourceFolder() / "tests" / "play" / "data"; }

// Text of a file with CR LF read as LF.
std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string s((std::istreambuf_iterator<char>(in)), {});
    s.erase(std::remove(s.begin(), s.end(), '\r'), s.end());
    return s;
}

// Two pages of a grand staff: a repeated first bar, a tie into the second
// bar, mf then f, Allegro then Adagio on the second page.
void WesternScore(TScoreFixture& fx) {
    fx.Row(0, "~ \"mf\" ~ ~ ~ ~ ~ ~ ~ \"f\"");
    fx.Row(1, "&G{mark=54191118,jEnd=3} |: W:3@0 W:3@1 W:3@2 W:3@3{mark=1,iEnd=6} :| W:3@3 W:3@4 W:2@5 |");
    fx.Row(3, "&F ~ W:2@0 ~ W:2@2 ~ ~ W:2@0 ~ W:2@3 |");
    fx.Row(0, "\"Adagio\" ~ ~ \"p\"", 1);
    fx.Row(1, "&G{mark=54191118,jEnd=3} W:3@0 W:3@-1 W:3@-2 W:3@-3 | W:1@0 |", 1);
    fx.Row(3, "&F W:2@4 ~ W:2@3 ~ | W:1@4 |", 1);
}

// The same in Jianpu, the tie as a slur from the fourth note.
void JianpuScore(TScoreFixture& fx) {
    fx.Row(0, "\"1=C\" \"mf\" ~ ~ ~ ~ ~ ~ ~ \"f\"");
    fx.Row(1, "~{mark=54191118,jEnd=3} |: 1 2 3 4{mark=1,iEnd=6} :| 4 5 6 - |");
    fx.Row(3, "~ ~ 1, - 3, - ~ ~ 5, - |");
    fx.Row(0, "\"Adagio\" ~ ~ \"p\"", 1);
    fx.Row(1, "~{mark=54191118,jEnd=3} 5 4 3 2 | 1 - - - |", 1);
    fx.Row(3, "~ 3, - 5, - | 1, - - - |", 1);
}

struct Golden {
    const char* file;
    bool west;
    void (*make)(TScoreFixture&);
};

void PrintTo(const Golden& g, std::ostream* os) { *os << g.file; }

class PlayGoldenTest : public ::testing::TestWithParam<Golden> {
  protected:
    void SetUp() override {
        GroupRows.clear();
        frmPlay = &play_;
        play_.PlayRule = prAllStaffs;
    }
    void TearDown() override {
        GroupRows.clear();
        frmPlay = nullptr;
    }
    TPlayState play_;
};

TEST_P(PlayGoldenTest, DumpIsStable) {
    const Golden& g = GetParam();
    TScoreFixture fx(24, 6, 2);
    g.make(fx);
    play_.PlayWest = g.west;
    fx.Score().SelRow0 = 1;
    tqtest::TempDir dir;
    const fs::path out = dir / "dump.txt";
    ASSERT_TRUE(play_.PlayListDump(out.string()));
    const std::string got = ReadText(out);
    const fs::path golden = DataFolder() / g.file;
    if (std::getenv("TQ_UPDATE_GOLDEN")) {
        std::ofstream(golden, std::ios::binary) << got;
        GTEST_SKIP() << "wrote " << golden;
    }
    ASSERT_TRUE(fs::exists(golden)) << golden;
    EXPECT_EQ(got, ReadText(golden));
    EXPECT_EQ(play_.PlayWest, g.west);
    EXPECT_EQ(fx.Score().CurPage, 0) << "the page current before the build";
    // Both pages and both staves sound.
    EXPECT_NE(got.find("p=1 "), std::string::npos);
    EXPECT_NE(got.find(" c=1 "), std::string::npos);
    // Quarter steps: 1280 units at the start, longer under "Adagio" on page 1.
    int first0 = -1, first1 = -1;
    for (const TPlayItem& i : play_.PlayList) {
        if (i.Kind != pkNotes || i.Duration <= 0 || i.Col < 0)
            continue;
        int& f = i.Page == 0 ? first0 : first1;
        if (f < 0)
            f = i.Duration;
    }
    EXPECT_EQ(first0, 1280);
    EXPECT_EQ(first1, 1333);
}

// The left channel of a 16-bit stereo WAV file as samples -1..1 (empty when unreadable).
std::vector<double> ReadWavLeft(const fs::path& path, int& rate) {
    std::ifstream f(path, std::ios::binary);
    std::vector<unsigned char> b((std::istreambuf_iterator<char>(f)), {});
    if (b.size() < 44 || std::string(b.begin(), b.begin() + 4) != "RIFF")
        return {};
    auto le = [&](size_t at, int n) {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i)
            v |= uint32_t(b[at + static_cast<size_t>(i)]) << (8 * i);
        return v;
    };
    rate = static_cast<int>(le(24, 4));
    std::vector<double> left;
    for (size_t at = 44; at + 4 <= b.size(); at += 4)
        left.push_back(static_cast<int16_t>(le(at, 2)) / 32768.0);
    return left;
}

TEST(PlayGoldenWavTest, ScorePlaysThroughTheMidiLibrary) {
    GroupRows.clear();
    TPlayState play;
    frmPlay = &play;
    play.PlayRule = prAllStaffs;
    play.PlayWest = true;
    TScoreFixture fx(24, 6, 2);
    WesternScore(fx);
    fx.Score().SelRow0 = 1;
    ASSERT_TRUE(play.BuildPlayList(false));

    tqtest::TempDir dir;
    const fs::path wav = dir / "play.wav";
    ::setenv("TQ_MIDI_WAV", wav.string().c_str(), 1);
    ResetPlayerHooks();
    {
        TfrmMIDI midi(ExecutableFolder());
        ::unsetenv("TQ_MIDI_WAV");
        ASSERT_TRUE(midi.Ready()) << midi.LibPath;
        midi.SpeedScale = 0.25f; // 400 %
        midi.MidiPlayList(play.PlayList, 0, 1);
        // Note starts, ms after the play began.
        std::vector<double> starts;
        double t = 0;
        for (const TPlayItem& i : play.PlayList) {
            if (i.Kind == pkNotes && i.Duration > 0 && i.Notes[0].Pitch != -1 && i.Notes[0].Volume > 0 &&
                i.Notes[0].Length > 0)
                starts.push_back(t);
            if ((i.Kind == pkNotes || i.Kind == pkRest) && i.Duration > 0)
                t += midi.ItemWaitMs(i.Duration);
        }
        frmMIDI = nullptr;
        ResetPlayerHooks();
        frmPlay = nullptr;
        GroupRows.clear();
        // Closing the device completes the file.
        midi.Ext_CloseMIDIOutputDevice();
        ASSERT_GE(starts.size(), 10u);
        int rate = 0;
        const std::vector<double> left = ReadWavLeft(wav, rate);
        ASSERT_GT(rate, 0);
        ASSERT_FALSE(left.empty());
        // The play's time line starts in the file where the first note sounds
        // (the library places the player's calls at their intended times).
        size_t first = 0;
        while (first < left.size() && std::abs(left[first]) < 0.01)
            ++first;
        ASSERT_LT(first, left.size()) << "nothing heard";
        const double offset = 1000.0 * double(first) / rate - starts.front();
        for (double s : starts) {
            const size_t a = static_cast<size_t>((offset + s + 20) * rate / 1000.0);
            const size_t e = static_cast<size_t>((offset + s + 120) * rate / 1000.0);
            ASSERT_LT(e, left.size()) << s;
            double peak = 0;
            for (size_t k = a; k < e; ++k)
                peak = std::max(peak, std::abs(left[k]));
            EXPECT_GT(peak, 0.01) << "silent at " << s << " ms";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Scores, PlayGoldenTest,
                         ::testing::Values(Golden{"golden_west.txt", true, WesternScore},
                                           Golden{"golden_jianpu.txt", false, JianpuScore}),
                         [](const auto& info) { return std::string(info.param.west ? "Western" : "Jianpu"); });

} // namespace
