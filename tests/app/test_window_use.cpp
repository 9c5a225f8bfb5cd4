// The window as a user works it, offscreen: every shortcut after each menu was
// opened and closed, playing and typing while a piece plays, the tool windows'
// places and the keys that close them, the side page view and the tools that
// read a whole staff.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>

#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "app/frmTQMain.h"
#include "app/modTQCommandTable.h"
#include "lang/modTQLanguage.h"
#include "lang/modTQPref.h"
#include "model/modTQUndo.h"
#include "platform/core/TQMessage.h"
#include "edit/frmTQBowDir.h"
#include "play/frmTQPlay.h"
#include "play/modTQMIDI.h"
#include "tests/play/TQMidiFake.h"
#include "tests/app/TQWindowKeys.h"
#include "tests/support/TQScoreFixture.h"
#include "tests/support/TQTestSupport.h"

namespace fs = std::filesystem;

namespace {

class WindowUse : public TEnglishWindowTest {
protected:
    void TearDown() override {
        w.reset();
        frmMIDI = nullptr;
        ResetPlayerHooks();
        TWindowTest::TearDown();
    }

    // Plays through the recording MIDI stand-in on a clock that runs only while
    // the player waits; during the first wait `meanwhile` runs (the user at the keys).
    void HookPlayer(std::function<void()> meanwhile = {}) {
        ASSERT_TRUE(tqtest::HookFakeMidi("rec"));
        midi = std::make_unique<TfrmMIDI>(tqtest::FakeMidiFolder("rec"));
        frmMIDI = midi.get();
        PlayerHooks().NowMs = [this] { return now; };
        PlayerHooks().SleepMs = [this, meanwhile](double ms) {
            now += ms;
            if (meanwhile && !waited)
                meanwhile();
            waited = true;
        };
    }
    // The pitch classes of the notes sounded since the last call.
    std::vector<int> Sounded() {
        std::vector<int> out;
        for (const auto& c : tqtest::gMidiCalls)
            if (c.name == "Ext_NoteOn")
                out.push_back(c.b);
        tqtest::gMidiCalls.clear();
        return out;
    }
    TfrmPlay* PlayWindow() { return w->findChild<TfrmPlay*>(QStringLiteral("frmPlay")); }

    tqtest::TempDir dir;
    std::unique_ptr<TfrmMIDI> midi;
    double now = 0;
    bool waited = false;
};

// The menus of the menu bar, File to Help.
std::vector<QMenu*> MenuBarMenus(TfrmMainTQ& w) {
    std::vector<QMenu*> out;
    for (QAction* a : w.menuBar()->actions())
        if (a->menu())
            out.push_back(a->menu());
    return out;
}

} // namespace

// ---------------------------------------------------------------- shortcuts after a menu

// Each menu is opened and closed on a fresh score, where nothing can be saved,
// undone or pasted; then the user types, copies, undoes and adds a page, and
// every shortcut of the command table, Ctrl+S and the page keys must act.
TEST_F(WindowUse, EveryShortcutActsAfterEachMenuWasOpenedAndClosed) {
    std::map<std::string, std::string> handlerOfRow; // shortcut text -> handler
    std::set<std::string> opening;
    for (const TCommandRow& row : CommandTable()) {
        if (row.Flags & cfOpening)
            opening.insert(row.Handler);
        else if (*row.Shortcut)
            handlerOfRow[row.Shortcut] = row.Handler;
    }
    ASSERT_GE(handlerOfRow.size(), 30u);
    const std::vector<QMenu*> menus = MenuBarMenus(*w);
    ASSERT_GE(menus.size(), 10u);
    for (size_t m = 0; m < menus.size(); ++m) {
        if (m > 0)
            StartWindow();
        QMenu* menu = MenuBarMenus(*w).at(m);
        SCOPED_TRACE(menu->objectName().toStdString());
        menu->popup(w->mapToGlobal(QPoint(10, 10)));
        QApplication::processEvents();
        ASSERT_TRUE(menu->isVisible());
        Key(Qt::Key_Escape, Qt::NoModifier, {}, menu);
        QApplication::processEvents();
        ASSERT_FALSE(menu->isVisible());

        // A score to save, a step to undo and one to redo, a copied cell, two pages.
        const std::string path = (dir / ("keys" + std::to_string(m) + ".mus")).string();
        ASSERT_TRUE(w->SaveScore(path, false));
        w->FileName = path;
        Trigger("mitInsertPage");
        w->GoToPage(0);
        Select(2, 3, 2, 3);
        Type('5');
        Type('3');
        Trigger("mitUndo");
        Select(2, 3, 2, 3);
        Trigger("mitCopy");
        ASSERT_TRUE(w->Modified);
        ASSERT_EQ(At(2, 3).Note, '5');

        std::vector<std::string> heard;
        w->OnCommand = [&](const std::string& handler) {
            if (opening.count(handler))
                return true; // a menu brings its items up to date
            heard.push_back(handler);
            return false;    // only heard: the commands themselves are tried elsewhere
        };
        for (const auto& [keys, handler] : handlerOfRow) {
            heard.clear();
            const QKeyCombination k = QKeySequence(QString::fromLatin1(keys.c_str()))[0];
            Key(int(k.key()), k.keyboardModifiers());
            EXPECT_EQ(heard, std::vector<std::string>{handler}) << keys;
        }
        w->OnCommand = nullptr;

        ASSERT_EQ(w->CurPage, 0);
        Key(Qt::Key_PageDown, Qt::ControlModifier);
        EXPECT_EQ(w->CurPage, 1) << "Ctrl+PgDn";
        Key(Qt::Key_PageUp, Qt::ControlModifier);
        EXPECT_EQ(w->CurPage, 0) << "Ctrl+PgUp";
        Key(Qt::Key_S, Qt::ControlModifier);
        EXPECT_FALSE(w->Modified) << "Ctrl+S saved the score";
        At(2, 3) = TScoreFixture::Cell("~");
        w->OpenFromPath(path);
        EXPECT_EQ(At(2, 3).Note, '5') << "the typed 5 is in the file";
    }
}

// ---------------------------------------------------------------- playing

// A finished play leaves the cursor on the last cell it played; Play plays the piece
// again from its start, and from the selection when the user picks one.
TEST_F(WindowUse, PlayAfterAFinishedPlayStartsAgain) {
    HookPlayer();
    Row(1, "\"1=C\" 6 5 3 2 | 1 - 0 |");
    Select(1, 1, 1, 1);
    TfrmPlay* play = PlayWindow();
    ASSERT_NE(play, nullptr);
    w->CommandAction("btnPlayMusic")->trigger();
    ASSERT_TRUE(play->isVisible());
    const std::vector<int> piece = {9, 7, 4, 2, 0}; // 6 5 3 2 1 in C
    tqtest::gMidiCalls.clear();
    play->btnPlay->click();
    EXPECT_EQ(Sounded(), piece);
    ASSERT_EQ(w->SelCol0, 8) << "the play left the cursor on the closing rest";
    EXPECT_TRUE(play->btnPlay->isEnabled());

    rec.Clear();
    play->btnPlay->click();
    EXPECT_EQ(Sounded(), piece) << "the second Play sounds the piece again";
    EXPECT_TRUE(rec.shown.empty()) << (rec.shown.empty() ? "" : rec.shown[0].text);

    Select(3, 1, 3, 1); // the user picks the 3
    play->btnPlay->click();
    EXPECT_EQ(Sounded(), (std::vector<int>{4, 2, 0})) << "from the cursor the user put";
}

// Keys typed while a piece plays change nothing: the page takes no edits
// until the play ends; the play goes on to its end.
TEST_F(WindowUse, KeysTypedWhileAPiecePlaysLeaveTheScoreAsItWas) {
    HookPlayer([this] {
        Type('4');
        Key(Qt::Key_Backspace);
        Type('|');
        Key(Qt::Key_Delete);
        Key(Qt::Key_Right);
        Type('.');
        Key(Qt::Key_V, Qt::ControlModifier);
        Key(Qt::Key_I, Qt::ControlModifier);
    });
    Row(1, "\"1=C\" 6 5 3 2 | 1 - 0 |");
    w->AddMissingJianpuPages();
    Row(3, "\"1=C\" 1 2 3 4 |", 0, 1);
    Select(2, 1, 2, 1);
    w->CommandAction("mitCopy")->trigger();
    Select(1, 1, 1, 1);
    const TState before = Capture(*w);
    tqtest::gMidiCalls.clear();
    w->CommandAction("mitPlay")->trigger();
    EXPECT_TRUE(waited);
    EXPECT_EQ(Sounded(), (std::vector<int>{9, 7, 4, 2, 0})) << "6 5 3 2 1, the whole piece";
    const TState after = Capture(*w);
    for (size_t l = 0; l < 2; ++l)
        for (size_t p = 0; p < before.pages[l].size(); ++p)
            for (size_t r = 0; r < before.pages[l][p].size(); ++r)
                for (size_t c = 0; c < before.pages[l][p][r].size(); ++c)
                    EXPECT_TRUE(after.pages[l][p][r][c] == before.pages[l][p][r][c])
                        << "layer " << l << " page " << p << " row " << r << " col " << c;
    EXPECT_EQ(after.pageCount, before.pageCount);
    EXPECT_FALSE(w->Modified);

    // After the play the keys type again.
    Select(8, 1, 8, 1);
    Type('5');
    EXPECT_EQ(At(8, 1).Note, '5');
}

// ---------------------------------------------------------------- tools over a staff

// Verify Beats with no time signature guesses from whole measures; a staff
// with no bar line holds none, so 4/4 is taken and its five quarters are marked.
TEST_F(WindowUse, VerifyBeatsWithoutTimeSignatureOrBarLineTakesFourFour) {
    struct Case {
        const char* name;
        const char* row;
        const char* assumed; // the guess the question offers
        size_t marks;        // measures marked after Yes
    } cases[] = {
        {"Western, five quarters, no bar line", "&G W:3@0 W:3@1 W:3@2 W:3@3 W:3@4", "4/4.", 1},
        {"Jianpu, five quarters, no bar line", "\"1=C\" 1 2 3 4 5", "4/4.", 1},
        {"Western, two bars of three quarters", "&G W:3 W:3 W:3 | W:3 W:3 W:3 |", "3/4.", 0},
        {"Western, two bars of three, then two open quarters", "&G W:3 W:3 W:3 | W:3 W:3 W:3 | W:3 W:3", "3/4.",
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartWindow();
        Row(2, c.row);
        const TState before = Capture(*w);
        rec.Clear();
        Trigger("mitVerifyAllPage");
        ASSERT_GE(rec.shown.size(), 1u);
        EXPECT_EQ(rec.shown[0].id, 1041);
        EXPECT_EQ(rec.shown[0].text, Language->GetString(1041) + c.assumed);
        EXPECT_EQ(w->Highlights.size(), c.marks);
        EXPECT_TRUE(Capture(*w) == before) << "the check changes no cell";
    }
}

// ---------------------------------------------------------------- side page view

// Side Page View shows the pages whole, whatever row the cursor was on: the
// page starts at the top of the view and the music rows are all in it.
TEST_F(WindowUse, SidePageViewShowsThePageWholeWithTheCursorLow) {
    Row(2, "\"1=C\" 1 2 3 4 |");
    Row(w->Rows - 2, "\"1=C\" 5 6 7 1' |");
    Select(3, w->Rows - 2, 3, w->Rows - 2);
    QAction* view = w->findChild<QAction*>(QStringLiteral("mitSliceView"));
    ASSERT_NE(view, nullptr);
    view->trigger();
    QApplication::processEvents();
    ASSERT_GE(w->SliceView, 1);
    QWidget* port = w->scrMain->viewport();
    const QRect page(w->pbxMain->mapTo(port, QPoint(0, 0)), w->pbxMain->size());
    EXPECT_EQ(page.top(), 0) << "the page starts at the top of the view";
    const int u = w->GetCellHeight();
    for (int row : {2, w->Rows - 2}) {
        const int y = page.top() + w->GetTopMargin() + row * u;
        EXPECT_GE(y, 0) << "row " << row;
        EXPECT_LE(y + u, port->height()) << "row " << row << " is in the view";
    }
    EXPECT_LE(page.bottom(), port->height()) << "the whole page height is in the view";
    tqtest::SavePngIfWanted(w->grab().toImage(), "side_page_view");
}

// ---------------------------------------------------------------- tool windows

// On a fresh start the palettes shown, and then Special Symbols (F5), Dynamic
// Marks (F6) and the Music Player (F12) opened by their keys, stand inside the
// page area, below the menu and the tool bars, and clear of one another.
TEST_F(WindowUse, ToolWindowsOpenInsideThePageAreaClearOfEachOther) {
    w->FormActivate();
    QApplication::processEvents();
    const QRect area = w->WorkArea();
    auto check = [&](const char* when) {
        SCOPED_TRACE(when);
        std::vector<QWidget*> shown;
        for (QWidget* t : {w->frmSpecial, w->frmDynMark, w->PlayWindowWidget()})
            if (t && t->isVisible())
                shown.push_back(t);
        for (size_t i = 0; i < shown.size(); ++i) {
            const QRect r = shown[i]->frameGeometry();
            EXPECT_TRUE(area.contains(r)) << shown[i]->objectName().toStdString() << " stands outside the page area";
            for (size_t j = 0; j < i; ++j)
                EXPECT_FALSE(r.intersects(shown[j]->frameGeometry()))
                    << shown[i]->objectName().toStdString() << " covers " << shown[j]->objectName().toStdString();
        }
        return shown.size();
    };
    check("at start");

    for (QWidget* t : {w->frmSpecial, w->frmDynMark})
        t->hide();
    for (int key : {Qt::Key_F5, Qt::Key_F6, Qt::Key_F12})
        Key(key);
    EXPECT_EQ(check("after F5, F6, F12"), 3u);
    w->PlayWindow.SetVisible(false);
}

// Escape closes the Music Player and the Bow Direction window.
TEST_F(WindowUse, EscapeClosesTheMusicPlayerAndTheBowDirectionWindow) {
    Key(Qt::Key_F12);
    QWidget* player = w->PlayWindowWidget();
    ASSERT_TRUE(player && player->isVisible());
    Trigger("mitBowDirection");
    QWidget* bow = w->findChild<QWidget*>(QStringLiteral("frmBowDir"));
    ASSERT_TRUE(bow && bow->isVisible());
    for (QWidget* window : {player, bow}) {
        SCOPED_TRACE(window->objectName().toStdString());
        QApplication::setActiveWindow(window);
        Key(Qt::Key_Escape, Qt::NoModifier, {}, window);
        EXPECT_FALSE(window->isVisible());
    }
}

// ---------------------------------------------------------------- bow directions

// Every measure gets its down-bow sign over its first note, also under a
// dynamic (a text symbol p or f), a segno or a fermata: the sign goes a row
// higher, clear of the mark, and nothing else changes.
TEST_F(WindowUse, BowDirectionsMarkEveryMeasureClearOfMarks) {
    // four measures of four quarters on row 4; the marks over their first notes on row 3
    Row(4, "\"1=C\" 1 2 3 4 | 5 6 5 4 | 3 2 1 2 | 3 4 5 1' |");
    At(1, 3) = TScoreFixture::Cell("~{type=11,note=63}"); // p
    At(6, 3) = TScoreFixture::Cell("S:40");               // segno
    At(11, 3) = TScoreFixture::Cell("~{type=11,note=65}"); // f
    At(16, 3) = TScoreFixture::Cell("S:1");               // fermata
    w->AddMissingJianpuPages();
    Row(4, "\"1=C\" 1 2 3 4 |", 0, 1);
    TState expected = Capture(*w);
    for (int col : {1, 6, 11, 16}) {
        TCell& sign = expected.pages[0][0][2][size_t(col)];
        sign = TScoreFixture::Cell("S:111"); // down-bow, in its own cell above the mark
    }

    Select(1, 4, 1, 4);
    Trigger("mitBowDirection");
    auto* bow = w->findChild<TfrmBowDir*>(QStringLiteral("frmBowDir"));
    ASSERT_NE(bow, nullptr);
    bow->rbtEveryMeasure->setChecked(true);
    bow->rbtSymbol->click();
    bow->rbtPull->setChecked(true);
    bow->btnOk->click();
    tqtest::SavePngIfWanted(w->pbxMain->grab().toImage(), "bow_directions");

    const TState after = Capture(*w);
    for (size_t l = 0; l < 2; ++l)
        for (size_t r = 0; r < after.pages[l][0].size(); ++r)
            for (size_t c = 0; c < after.pages[l][0][r].size(); ++c) {
                const TCell& got = after.pages[l][0][r][c];
                const TCell& want = expected.pages[l][0][r][c];
                EXPECT_TRUE(got == want) << "layer " << l << " row " << r << " col " << c << ": Note " << got.Note
                                         << " upNote " << got.upNote << ", expected Note " << want.Note
                                         << " upNote " << want.upNote;
            }
}
