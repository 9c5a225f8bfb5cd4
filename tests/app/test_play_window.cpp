// Playing from the main window as the user does, offscreen, on a fresh start:
// the MIDI library beside the program renders what it is sent into a WAV file
// (TQ_MIDI_WAV), and the file is read back: each note at the time and pitch the music gives.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <memory>
#include <numbers>
#include <vector>

#include "app/frmTQMain.h"
#include "lang/modTQPref.h"
#include "model/modTQUndo.h"
#include "play/frmTQPlay.h"
#include "play/modTQMIDI.h"
#include "play/modTQPlayState.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQMessage.h"
#include "tests/support/TQScoreFixture.h"
#include "tests/support/TQTestSupport.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRate = 44100;

uint32_t LE(const std::vector<unsigned char>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= uint32_t(b[at + i]) << (8 * i);
    return v;
}

// The left channel of the library's 16-bit stereo WAV file; empty when its
// header does not match the file.
std::vector<double> ReadWav(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::vector<unsigned char> b((std::istreambuf_iterator<char>(f)), {});
    if (b.size() < 44 || std::string(b.begin(), b.begin() + 4) != "RIFF" || LE(b, 40, 4) != b.size() - 44 ||
        LE(b, 24, 4) != kRate || LE(b, 22, 2) != 2)
        return {};
    std::vector<double> left((b.size() - 44) / 4);
    for (size_t i = 0; i < left.size(); ++i)
        left[i] = static_cast<int16_t>(LE(b, 44 + 4 * i, 2));
    return left;
}

// Sample times (ms) where the sound rises above a fifth of the loudest sample
// after at least 100 ms below it: the starts of notes parted by rests.
std::vector<double> Onsets(const std::vector<double>& s) {
    double peak = 0;
    for (double x : s)
        peak = std::max(peak, std::abs(x));
    const double level = 0.2 * peak;
    const size_t quiet = kRate / 10;
    std::vector<double> out;
    size_t below = quiet; // the file starts quiet
    for (size_t i = 0; i < s.size(); ++i) {
        if (std::abs(s[i]) <= level) {
            ++below;
            continue;
        }
        if (below >= quiet)
            out.push_back(1000.0 * double(i) / kRate);
        below = 0;
    }
    return out;
}

TfrmPlay* PlayWindow(TfrmMainTQ& m) {
    return m.findChild<TfrmPlay*>(QStringLiteral("frmPlay"));
}

// The loudness of frequency f (Hz) in samples [from, to) under a Hann window
// (Goertzel's filter).
double Power(const std::vector<double>& s, size_t from, size_t to, double f) {
    const double w = 2 * std::numbers::pi * f / kRate, k = 2 * std::cos(w);
    double a = 0, b = 0;
    const double n = double(to - from);
    for (size_t i = from; i < to; ++i) {
        const double hann = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i - from) / n);
        const double c = s[i] * hann + k * a - b;
        b = a;
        a = c;
    }
    return a * a + b * b - k * a * b;
}

// The key (MIDI number) of the note heard from ms to ms + 250: the key among
// 36..96 whose first three partials are together the strongest there (their
// product: a piano's fundamental may be weaker than its octave, and the key an
// octave below has no partials between them).
int HeardKey(const std::vector<double>& s, double ms) {
    const size_t from = size_t(ms * kRate / 1000), to = std::min(s.size(), from + size_t(kRate / 4));
    int best = -1;
    double loudest = 0;
    for (int key = 36; key <= 96; ++key) {
        const double f = 440.0 * std::pow(2.0, (key - 69) / 12.0);
        const double p = Power(s, from, to, f) * Power(s, from, to, 2 * f) * Power(s, from, to, 3 * f);
        if (p > loudest) {
            loudest = p;
            best = key;
        }
    }
    return best;
}

class PlayFromWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::remove(PrefFileName());
        SetMessageBoxes(&rec);
        ResetPlayerHooks();
    }
    void TearDown() override {
        if (w)
            w.reset();
        frmMsgYNC = nullptr;
        frmMIDI = nullptr;
        unsetenv("TQ_MIDI_WAV");
        SetMessageBoxes(nullptr);
        Undo.ClearUndoFiles();
        CurLayer = 0;
        fs::remove(PrefFileName());
    }
    TCell& Cell(int col, int row) {
        return w->PageSets[0].at(0).at(static_cast<size_t>(row)).at(static_cast<size_t>(col));
    }
    // In D: 1, 3, the low 5 and the high 1, each a quarter followed by a quarter
    // rest, at twice the speed: a note every second.
    void WriteScore() {
        Cell(1, 0) = TScoreFixture::Cell("\"1=D\"");
        const char* row[] = {"1", "0", "3", "0", "5,", "0", "1'", "|"};
        for (int c = 0; c < 8; ++c)
            Cell(c + 1, 1) = TScoreFixture::Cell(row[c]);
        w->SelCol0 = w->SelCol1 = 1;
        w->SelRow0 = w->SelRow1 = 1;
        PlayWindow(*w)->spnSpeedAdj->setValue(200);
    }
    struct TStates {
        bool undo, redo, paste, save;
        bool operator==(const TStates&) const = default;
    };
    TStates States() const {
        return {w->CommandAction("btnUndo")->isEnabled(), w->CommandAction("btnRedo")->isEnabled(),
                w->CommandAction("btnPaste")->isEnabled(), w->btnSaveFile->isEnabled()};
    }

    TMessageRecorder rec;
    std::unique_ptr<TfrmMainTQ> w;
    tqtest::TempDir dir;
};

} // namespace

TEST_F(PlayFromWindowTest, EveryPlayCommandSoundsTheScoreOnAFreshStart) {
    struct Case {
        const char* name;
        std::function<void(TfrmMainTQ&)> press;
    } cases[] = {
        {"the play window's Play button",
         [](TfrmMainTQ& m) {
             m.CommandAction("btnPlayMusic")->trigger();
             ASSERT_TRUE(PlayWindow(m)->isVisible());
             emit m.findChild<QMenu*>(QStringLiteral("mitWindow"))->aboutToShow();
             EXPECT_TRUE(m.CommandAction("mitMusicPlayer")->isChecked())
                 << "the Window menu checks the shown window";
             PlayWindow(m)->btnPlay->click();
         }},
        {"Tools, Play", [](TfrmMainTQ& m) { m.CommandAction("mitPlay")->trigger(); }},
        {"the direct-play button", [](TfrmMainTQ& m) { m.CommandAction("btnPlayDirctly")->trigger(); }},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string wav = (dir / ("play" + std::to_string(n++) + ".wav")).string();
        setenv("TQ_MIDI_WAV", wav.c_str(), 1);
        w.reset(StartTonquill());
        ASSERT_NE(frmMIDI, nullptr) << "the MIDI library is bound at start-up";
        ASSERT_TRUE(frmMIDI->Ready());
        frmMIDI->Ext_OpenMIDIOutputDevice(); // after an earlier case closed it
        QApplication::processEvents();
        WriteScore();
        w->SetModified(true);
        const TStates before = States();
        EXPECT_TRUE(before.save);
        EXPECT_FALSE(before.paste) << "nothing copied yet";

        c.press(*w);

        EXPECT_EQ(States(), before) << "Undo, Redo, Paste and Save as they were";
        EXPECT_TRUE(w->CommandAction("btnPlayDirctly")->isEnabled());
        EXPECT_TRUE(rec.shown.empty()) << (rec.shown.empty() ? "" : rec.shown[0].text);
        frmMIDI->Ext_CloseMIDIOutputDevice(); // completes the file
        w.reset();
        frmMsgYNC = nullptr;

        // 1=D: D4, F sharp 4, A3, D5; a quarter and a quarter rest apart, one
        // second at 200 % of the tempo 60.
        const int keys[] = {62, 66, 57, 74};
        const std::vector<double> s = ReadWav(wav);
        ASSERT_FALSE(s.empty()) << "no WAV file, or a broken one";
        const std::vector<double> heard = Onsets(s);
        ASSERT_EQ(heard.size(), std::size(keys));
        for (size_t i = 0; i < heard.size(); ++i) {
            EXPECT_NEAR(heard[i] - heard[0], 1000.0 * double(i), 10.0) << "onset of note " << i;
            EXPECT_EQ(HeardKey(s, heard[i] + 30), keys[i]) << "pitch of note " << i;
        }
        // The right length: the last note, the closing 200 ms and the library's tail of 500 ms.
        EXPECT_GE(1000.0 * double(s.size()) / kRate, heard.back() + 500 + 200 + 500 - 2);
    }
}

TEST_F(PlayFromWindowTest, ALibraryThatCannotBeLoadedIsReportedWhenPlaying) {
    tqtest::TempDir empty;
    TfrmMIDI missing(empty.str());
    ASSERT_FALSE(missing.Ready());
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].text.rfind("Cannot load the sound library ", 0), 0u) << rec.shown[0].text;
    rec.Clear();
    frmMIDI = &missing;
    w = std::make_unique<TfrmMainTQ>();
    QApplication::processEvents();
    WriteScore();
    const TStates before = States();
    w->CommandAction("btnPlayDirctly")->trigger();
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].id, 3311);
    EXPECT_NE(rec.shown[0].text.find(missing.LibPath), std::string::npos) << rec.shown[0].text;
    EXPECT_EQ(States(), before);
    EXPECT_TRUE(w->btnNew->isEnabled());
}
