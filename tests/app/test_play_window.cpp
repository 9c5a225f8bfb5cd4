// Playing from the main window as the user does, offscreen, on a fresh start:
// the MIDI library beside the program renders what it is sent into a WAV file
// (TQ_MIDI_WAV), and the file is read back: notes where the play list puts them.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <memory>

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

// When each sounding item of the list starts, ms from the play's start, at the
// player's speed.
std::vector<double> ListOnsets(const std::vector<TPlayItem>& list, const TfrmMIDI& midi) {
    std::vector<double> out;
    double t = 0;
    for (const TPlayItem& item : list) {
        if (item.Kind == pkHighlight || item.Kind == pkTimeSig || item.Kind == pkKeyboard ||
            item.Kind == pkInstrument || item.Duration <= 0)
            continue;
        if (item.Kind != pkRest && item.Notes[0].Pitch >= 0 && item.Notes[0].Pitch < 12 &&
            item.Notes[0].Volume > 0)
            out.push_back(t);
        t += midi.ItemWaitMs(item.Duration);
    }
    return out;
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
    // C, a rest, C, a rest ... in Jianpu at twice the speed: a note every second.
    void WriteScore() {
        const char* row[] = {"\"1=C\"", "1", "0", "1", "0", "1", "0", "1", "|"};
        for (int c = 0; c < 9; ++c)
            Cell(c, 1) = TScoreFixture::Cell(row[c]);
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
        const std::vector<double> expected = ListOnsets(frmPlay->PlayList, *frmMIDI);
        frmMIDI->Ext_CloseMIDIOutputDevice(); // completes the file
        w.reset();
        frmMsgYNC = nullptr;

        ASSERT_EQ(expected.size(), 4u);
        EXPECT_NEAR(expected[1] - expected[0], 1000, 1) << "a quarter and a quarter rest at 200 %";
        const std::vector<double> s = ReadWav(wav);
        ASSERT_FALSE(s.empty()) << "no WAV file, or a broken one";
        const std::vector<double> heard = Onsets(s);
        ASSERT_EQ(heard.size(), expected.size());
        for (size_t i = 1; i < heard.size(); ++i)
            EXPECT_NEAR(heard[i] - heard[0], expected[i] - expected[0], 2.0) << "note " << i;
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
