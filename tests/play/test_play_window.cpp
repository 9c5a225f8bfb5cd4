// The play window offscreen: the Advanced appliers, play and stop, folder
// play, and the two dialogs it and the MIDI import show.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>

#include <filesystem>

#include "model/modTQBinFile.h"
#include "model/modTQUndo.h"
#include "platform/core/TQMessage.h"
#include "lang/modTQLanguage.h"
#include "play/frmTQMIDIInfo.h"
#include "play/frmTQPlay.h"
#include "play/frmTQPlayList.h"
#include "play/modTQMIDI.h"
#include "tests/play/TQMidiFake.h"
#include "play/modTQPlayWindow.h"
#include "tests/play/TQMidiBytes.h"
#include "tests/render/TQViewFixture.h"
#include "tests/support/TQScoreFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

class PlayWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetMessageBoxes(&boxes_);
        Undo.ClearUndoFiles();
        PlayWindowHooks() = {};
        PlayWindowHooks().BuildPlayList = [this](bool) {
            ++builds_;
            return true;
        };
    }
    void TearDown() override {
        PlayWindowHooks() = {};
        Undo.ClearUndoFiles();
        SetMessageBoxes(nullptr);
    }
    TScoreFixture fx_{12, 6};
    TMessageRecorder boxes_;
    int builds_ = 0;
};

TEST_F(PlayWindowTest, PlayDurationOfTheSelectionIsOneUndoStep) {
    fx_.Row(0, "\"title\" ~ \"x\"");
    fx_.Row(1, "&G W:3@2 W:23 |");
    fx_.Row(2, "\"1=C\" 1 0 3 5 |");
    TfrmPlay form;
    TMainScore& s = fx_.Score();
    s.SelCol0 = 0, s.SelCol1 = 3, s.SelRow0 = 0, s.SelRow1 = 2;
    form.cbxPlayDur->setCurrentIndex(4); // "1/8"
    form.spnPlayDot->setValue(1);
    form.btnPlayDur->click();
    EXPECT_EQ(fx_.At(1, 1).playDur, 14);
    EXPECT_EQ(fx_.At(2, 1).playDur, 14) << "a Western rest";
    EXPECT_EQ(fx_.At(1, 2).playDur, 14);
    EXPECT_EQ(fx_.At(2, 2).playDur, 14) << "a Jianpu rest sounds too";
    EXPECT_EQ(fx_.At(0, 1).playDur, 0) << "the clef";
    EXPECT_EQ(fx_.At(3, 1).playDur, 0) << "the bar line";
    EXPECT_EQ(fx_.At(0, 0).playDur, 0) << "not a music row";
    EXPECT_TRUE(s.Modified);

    // The Advanced page loads the cursor cell's values.
    s.SelCol0 = 1, s.SelRow0 = 1;
    form.pagPlay->setCurrentIndex(1);
    EXPECT_EQ(form.cbxPlayDur->currentIndex(), 4);
    EXPECT_EQ(form.spnPlayDot->value(), 1);
    EXPECT_TRUE(form.btnPlayDur->isEnabled());
    form.LoadCellAdj(3, 1);
    EXPECT_FALSE(form.btnPlayDur->isEnabled()) << "a bar line has no play duration";
    EXPECT_EQ(form.cbxPlayDur->currentIndex(), 0);

    Undo.UndoStep();
    EXPECT_EQ(fx_.At(1, 1).playDur, 0);
    EXPECT_EQ(fx_.At(2, 2).playDur, 0);
}

TEST_F(PlayWindowTest, StopWhilePlayingAndClosing) {
    TfrmPlay form;
    form.show();
    bool sawPlaying = false;
    int enables = 0;
    PlayWindowHooks().EnableMainControls = [&](bool) { ++enables; };
    PlayWindowHooks().StartPlayer = [&](int, int) {
        sawPlaying = form.Playing == 1 && form.btnStop->isEnabled() && !form.btnPlay->isEnabled();
        EXPECT_FALSE(form.close()) << "the window stays while a piece plays";
        EXPECT_TRUE(form.isVisible());
        form.btnStop->click();
        EXPECT_EQ(form.StopRequest, 1);
    };
    form.btnPlay->click();
    EXPECT_TRUE(sawPlaying);
    EXPECT_EQ(builds_, 1);
    EXPECT_EQ(enables, 2);
    EXPECT_EQ(form.Playing, 0);
    EXPECT_TRUE(form.btnPlay->isEnabled());
    EXPECT_FALSE(form.btnStop->isEnabled());
    EXPECT_TRUE(form.close());

    // Nothing to play: the player is not started.
    PlayWindowHooks().BuildPlayList = [](bool) { return false; };
    int starts = 0;
    PlayWindowHooks().StartPlayer = [&](int, int) { ++starts; };
    form.btnPlay->click();
    EXPECT_EQ(starts, 0);
}

TEST_F(PlayWindowTest, SoundEffectSetsIgnorePad) {
    TfrmPlay form;
    form.cbxSoundEffect->setCurrentIndex(40);
    EXPECT_TRUE(form.chkIgnorePad->isChecked());
    form.cbxSoundEffect->setCurrentIndex(0);
    EXPECT_FALSE(form.chkIgnorePad->isChecked()) << "the grand piano has a pedal";
    EXPECT_FALSE(form.IgnorePad);
}

TEST_F(PlayWindowTest, FolderPlayPassesOverUnreadableFiles) {
    tqtest::TempDir dir;
    for (const char* name : {"a.mus", "b.MUS", "c.mus", "notes.txt"})
        tqtest::WriteBytesFile((dir / name).string(), "x");
    std::vector<std::string> files = ListScoreFiles(dir.str());
    std::sort(files.begin(), files.end());
    ASSERT_EQ(files, (std::vector<std::string>{"a.mus", "b.MUS", "c.mus"}));

    TfrmPlay form;
    std::string current;
    std::vector<std::string> played;
    PlayWindowHooks().OpenScore = [&](const std::string& path) {
        if (path.find("b.MUS") != std::string::npos)
            return false;
        current = std::filesystem::path(path).filename().string();
        return true;
    };
    PlayWindowHooks().StartPlayer = [&](int, int) {
        played.push_back(current);
        if (played.size() == 1)
            form.btnNext->click(); // Next only ends this piece
    };
    PlayFolder(form, dir.str(), files, 2);
    EXPECT_EQ(played, (std::vector<std::string>{"a.mus", "c.mus", "a.mus", "c.mus"}));

    // Stop ends the later cycles too.
    played.clear();
    PlayWindowHooks().StartPlayer = [&](int, int) {
        played.push_back(current);
        form.btnStop->setEnabled(true);
        form.btnStop->click();
    };
    PlayFolder(form, dir.str(), files, 3);
    EXPECT_EQ(played, std::vector<std::string>{"a.mus"});
}

TEST_F(PlayWindowTest, FolderDialogListsAndChecks) {
    tqtest::TempDir dir;
    for (const char* name : {"x.mus", "y.Mus", "z.txt"})
        tqtest::WriteBytesFile((dir / name).string(), "x");
    TfrmPlayList dialog;
    dialog.FormShow((dir / "x.mus").string());
    EXPECT_EQ(dialog.Folder(), dir.str());
    EXPECT_EQ(dialog.lstPlayFiles->count(), 2);
    EXPECT_EQ(dialog.CheckedFiles().size(), 2u);
    dialog.btnUnselAll->click();
    EXPECT_TRUE(dialog.CheckedFiles().empty());
    dialog.btnSelAll->click();
    EXPECT_EQ(dialog.CheckedFiles().size(), 2u);
    EXPECT_EQ(dialog.CycleTimes(), 1);
    dialog.spnCycleTimes->setValue(500);
    EXPECT_EQ(dialog.CycleTimes(), 100);

    TfrmPlayList untitled;
    untitled.FormShow("Untitled");
    EXPECT_EQ(untitled.lstPlayFiles->count(), 0);
}

TEST_F(PlayWindowTest, MidiHeaderDialog) {
    Language->UseChinese = false;
    ASSERT_TRUE(Language->LoadLanguageDll());
    {
        TfrmMIDIInfo info;
        info.ShowHeader("song.mid", 1, 3, 0x00, 0x90);
        EXPECT_EQ(info.lblMIDIFileName->text(), QStringLiteral("song.mid"));
        EXPECT_EQ(info.lblMIDIType->text(), QStringLiteral("1"));
        EXPECT_EQ(info.lblChuckCount->text(), QStringLiteral("3"));
        // the division is the header's ticks per quarter note: 0x0090 is 144
        EXPECT_EQ(info.lblSpeedType->text(), QStringLiteral("144 ticks per quarter note"));
        info.ShowHeader("b.mid", 0, 1, 0x01, 0xE0);
        EXPECT_EQ(info.lblSpeedType->text(), QStringLiteral("480 ticks per quarter note"));
        // SMPTE: -25 in the high byte is 25 frames a second, 40 ticks a frame
        info.ShowHeader("c.mid", 0, 1, 0xE7, 0x28);
        EXPECT_EQ(info.lblSpeedType->text(), QStringLiteral("SMPTE, 25 frames per second, 40 ticks per frame"));
        EXPECT_EQ(info.windowTitle(), QStringLiteral("MIDI File Information"));
    }
    Language->UseChinese = true;
    ASSERT_TRUE(Language->LoadLanguageDll());
    TfrmMIDIInfo chinese;
    chinese.ShowHeader("b.mid", 0, 1, 0x01, 0xE0);
    EXPECT_EQ(chinese.lblSpeedType->text().toStdString(), "每个四分音符 480 个单位");
    EXPECT_EQ(chinese.btnContinue->text().toStdString(), "继续");
}

TEST_F(PlayWindowTest, BothPagesDraw) {
    TfrmPlay form;
    form.show();
    for (int page = 0; page < 2; ++page) {
        form.pagPlay->setCurrentIndex(page);
        const QImage image = form.grab().toImage();
        ASSERT_FALSE(image.isNull());
        EXPECT_GT(image.width(), 100);
        tqtest::SavePngIfWanted(image, page == 0 ? "play_window_basic" : "play_window_advanced");
    }
    EXPECT_EQ(form.pagPlay->tabPosition(), QTabWidget::South);
    EXPECT_EQ(form.cbxSoundEffect->count(), 130);
    EXPECT_EQ(form.spnSpeedAdj->minimum(), 10);
}

} // namespace

namespace {

TEST_F(PlayWindowTest, ClosingTheMainWindowWhilePlaying) {
    TfrmPlay form;
    EXPECT_TRUE(MainWindowMayClose(&form)) << "nothing plays";
    EXPECT_TRUE(MainWindowMayClose(nullptr));
    int closes = 0;
    bool stillPlaying = false;
    PlayWindowHooks().CloseMainWindow = [&] {
        ++closes;
        stillPlaying = form.Playing != 0;
    };
    PlayWindowHooks().StartPlayer = [&](int, int) {
        EXPECT_FALSE(MainWindowMayClose(&form));
        EXPECT_EQ(form.StopRequest, 1);
        EXPECT_EQ(closes, 0) << "nothing closes inside the player";
    };
    form.btnPlay->click();
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(stillPlaying);
    PlayWindowHooks().StartPlayer = [](int, int) {};
    form.btnPlay->click();
    EXPECT_EQ(closes, 1) << "only the close asked for during the play";
}

} // namespace

namespace {

TEST_F(PlayWindowTest, SoundEffectCellIsOneUndoStep) {
    TViewFixture vf(12, 6); // the symbol palette redraws through a main view
    vf.Row(1, "&G W:3@2 W:3@4 |");
    TMainView& s = vf.view;
    auto cell = [&s]() -> TCell& { return s.PageSets[0][0][1][2]; };
    s.SelCol0 = s.SelCol1 = 2;
    s.SelRow0 = s.SelRow1 = 1;
    TfrmPlay form;
    form.cbxSoundEffect->setCurrentIndex(40);
    form.btnSetSoundEffect->click();
    EXPECT_EQ(cell().cellType, ctSoundEffect);
    EXPECT_EQ(cell().Note, 146);
    EXPECT_EQ(cell().upNote, 40);
    EXPECT_TRUE(s.Modified);
    Undo.UndoStep();
    EXPECT_EQ(cell().cellType, ctWestern);
    EXPECT_EQ(cell().Note, 3) << "one Undo takes both steps back";
}

} // namespace

namespace {

// Folder play through the player and the recording MIDI stand-in: the
// unreadable file is passed over, not replaced by the score before it.
TEST_F(PlayWindowTest, FolderPlaySoundsTheReadableFiles) {
    ASSERT_TRUE(tqtest::HookFakeMidi("rec")) << "fake MIDI library missing";
    TfrmMIDI midi(tqtest::FakeMidiFolder("rec"));
    ASSERT_TRUE(midi.Ready());
    frmMIDI = &midi;
    PlayerHooks().NowMs = [] { return tqtest::gFakeNowMs; };
    PlayerHooks().SleepMs = [](double ms) { tqtest::gFakeNowMs += ms; };

    tqtest::TempDir dir;
    {
        TScoreFixture a(12, 6);
        a.Row(1, "&G W:3@6 |"); // C4
        ASSERT_TRUE(SaveBinaryScore((dir / "a.mus").string(), &a.Score(), false));
        TScoreFixture c(12, 6);
        c.Row(1, "&G W:3@5 |"); // D4
        ASSERT_TRUE(SaveBinaryScore((dir / "c.mus").string(), &c.Score(), false));
        tqtest::WriteBytesFile((dir / "b.mus").string(), "not a score");
    }
    TfrmPlay form;
    form.rbtWest->setChecked(true);
    PlayWindowHooks().BuildPlayList = nullptr; // the play state's own builder
    PlayWindowHooks().OpenScore = [this](const std::string& name) {
        return LoadBinaryScore(name, &fx_.Score(), true);
    };
    PlayWindowHooks().StartPlayer = [&form](int start, int rows) { frmMIDI->MidiPlayList(form.PlayList, start, rows); };
    tqtest::gMidiCalls.clear();
    PlayFolder(form, dir.str(), {"a.mus", "b.mus", "c.mus"}, 1);
    std::vector<int> pitches;
    for (const tqtest::TMidiCall& call : tqtest::gMidiCalls)
        if (call.name == "Ext_NoteOn")
            pitches.push_back(call.a * 12 + call.b);
    EXPECT_EQ(pitches, (std::vector<int>{0, 2}));
    frmMIDI = nullptr;
    ResetPlayerHooks();
}

} // namespace
