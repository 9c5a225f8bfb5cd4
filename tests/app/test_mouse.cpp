// The mouse on the real window offscreen: selection by clicks and drags, block
// moves and resizes, the margins, highlights, double click, wheel, sound-effect
// cells and clicked notes through the piano; and following the music.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QWheelEvent>

#include <filesystem>
#include <stdexcept>

#include "app/frmTQMain.h"
#include "lang/modTQLanguage.h"
#include "lang/modTQPref.h"
#include "platform/core/TQMessage.h"
#include "model/modTQPredicates.h"
#include "model/modTQUndo.h"
#include "platform/core/TQFiles.h"
#include "play/modTQMIDI.h"
#include "play/modTQPlayState.h"
#include "tests/play/TQMidiFake.h"
#include "tests/support/TQScoreFixture.h"
#include "tests/support/TQTestSupport.h"

namespace fs = std::filesystem;

namespace {

class MouseTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove(PrefFileName());
        SetMessageBoxes(&rec);
        w = std::make_unique<TfrmMainTQ>();
        w->resize(900, 700);
        w->show();
        QApplication::processEvents();
        w->RedrawPage();
        QApplication::processEvents();
        l = w->GetLeftMargin();
        t = w->GetTopMargin();
        v = w->GetCellWidth();
        u = w->GetCellHeight();
    }
    void TearDown() override {
        w.reset();
        frmMIDI = nullptr;
        SetMessageBoxes(nullptr);
        Undo.ClearUndoFiles();
        CurLayer = 0;
        fs::remove(PrefFileName());
    }
    TCell& Cell(int col, int row, int layer = 0) {
        return w->PageSets[static_cast<size_t>(layer)].at(0).at(static_cast<size_t>(row)).at(static_cast<size_t>(col));
    }
    QPoint At(int col, int row, double fx = 0.5, double fy = 0.5) const {
        return QPoint(l + static_cast<int>((col + fx) * v), t + static_cast<int>((row + fy) * u));
    }
    void Send(QEvent::Type type, QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier) {
        const Qt::MouseButton b = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, QPointF(p), w->pbxMain->mapToGlobal(QPointF(p)), b, held, m);
        QApplication::sendEvent(w->pbxMain, &e);
    }
    void Click(QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier) {
        Send(QEvent::MouseButtonPress, p, m);
        Send(QEvent::MouseButtonRelease, p, m);
    }
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers m = Qt::NoModifier) {
        Send(QEvent::MouseButtonPress, from, m);
        Send(QEvent::MouseMove, QPoint((from.x() + to.x()) / 2, (from.y() + to.y()) / 2), m);
        Send(QEvent::MouseMove, to, m);
        Send(QEvent::MouseButtonRelease, to, m);
    }
    void Select(int c0, int r0, int c1, int r1) {
        w->SelCol0 = c0;
        w->SelRow0 = r0;
        w->SelCol1 = c1;
        w->SelRow1 = r1;
    }
    std::array<int, 4> Sel() const { return {w->SelCol0, w->SelRow0, w->SelCol1, w->SelRow1}; }
    void Wheel(int delta) {
        QWheelEvent e(QPointF(50, 50), w->pbxMain->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w->pbxMain, &e);
    }

    TMessageRecorder rec;
    std::unique_ptr<TfrmMainTQ> w;
    int l = 0, t = 0, v = 0, u = 0;
    tqtest::TempDir dir;
};

using Sel4 = std::array<int, 4>;

} // namespace

TEST_F(MouseTest, ClicksAndDragsSelectCells) {
    Click(At(3, 2));
    EXPECT_EQ(Sel(), (Sel4{3, 2, 3, 2}));
    EXPECT_EQ(w->FileName, "Untitled");
    EXPECT_EQ(w->sbrPanel1->text().toStdString(), Language->GetString(1028)); // "untitled" in the interface's words
    EXPECT_EQ(w->MouseMode, 0);

    Drag(At(2, 1), At(0, 0));
    EXPECT_EQ(Sel(), (Sel4{0, 0, 2, 1})) << "normalised on release";
}

TEST_F(MouseTest, BlockDragMovesOnlyPastTheRoundingPoint) {
    struct Case {
        double dx;   // in cells (15 pixels a cell: 0.6 is past 0.55, -0.4 within 0.45)
        int lands;   // column of the block's first cell afterwards
        bool gongche;
    } cases[] = {{0.5, 4, false}, {0.6, 5, false}, {-0.4, 4, false}, {-0.5, 3, false}, {1.0, 5, false},
                 {3.0, 4, true}}; // Gongche: dropped on column 5, lands on 4 (from column 2)
    ASSERT_EQ(v, 15);
    for (const Case& c : cases) {
        for (int col = 0; col < 10; ++col)
            Cell(col, 1) = TCell{};
        const int from = c.gongche ? 2 : 4;
        Cell(from, 1) = TScoreFixture::Cell("5");
        w->GongChiMode = c.gongche;
        Select(from, 1, from, 1);
        // the top edge of the selection is the move handle
        const QPoint press(l + from * v + v / 2, t + u);
        ASSERT_EQ(w->SelectionHandleAt(press.x(), press.y()), 2);
        Drag(press, QPoint(press.x() + static_cast<int>(std::lround(c.dx * v)), press.y()));
        EXPECT_EQ(Cell(c.lands, 1).Note, '5') << c.dx << (c.gongche ? " gongche" : "");
        EXPECT_EQ(w->SelCol0, c.lands) << c.dx;
        EXPECT_EQ(w->MouseMode, 0);
    }
}

TEST_F(MouseTest, ResizeReleasesKeepTheLastCellAtOrAfterTheFirst) {
    Select(3, 2, 5, 4);
    const QPoint corner(l + 6 * v, t + 5 * u);
    ASSERT_EQ(w->SelectionHandleAt(corner.x(), corner.y()), 3);
    Drag(corner, corner); // released where it started
    EXPECT_EQ(Sel(), (Sel4{3, 2, 5, 4}));
    Drag(corner, QPoint(corner.x() + 2 * v, corner.y() + u));
    EXPECT_EQ(Sel(), (Sel4{3, 2, 7, 5}));
    const QPoint corner2(l + 8 * v, t + 6 * u);
    Drag(corner2, QPoint(l + v, t + u)); // far up and left of the first cell
    EXPECT_EQ(Sel(), (Sel4{3, 2, 3, 2}));
}

TEST_F(MouseTest, MarginsSelectColumnsRowsAndThePage) {
    Select(3, 2, 3, 2);
    const int above = t - 20;
    Click(QPoint(l + 6 * v + v / 2, above), Qt::ControlModifier);
    EXPECT_EQ(Sel(), (Sel4{3, 0, 6, w->Rows - 1})) << "Ctrl extends from the old first column";
    Click(QPoint(l + 6 * v + v / 2, above));
    EXPECT_EQ(Sel(), (Sel4{6, 0, 6, w->Rows - 1}));

    Click(QPoint(l - 10, t + 4 * u + u / 2));
    EXPECT_EQ(Sel(), (Sel4{0, 4, w->Cols - 1, 4})) << "a row";
    Click(QPoint(static_cast<int>(0.5 * l), static_cast<int>(0.5 * t)));
    EXPECT_EQ(Sel(), (Sel4{0, 0, w->Cols - 1, w->Rows - 1})) << "the corner selects the page";
}

TEST_F(MouseTest, AltClickLeftOfTheGridTogglesTheRowHighlight) {
    // Alt+Shift and Meta stand in for Alt, which window managers often take.
    for (Qt::KeyboardModifiers alt : {Qt::KeyboardModifiers(Qt::AltModifier),
                                      Qt::KeyboardModifiers(Qt::AltModifier | Qt::ShiftModifier),
                                      Qt::KeyboardModifiers(Qt::MetaModifier)}) {
        w->Highlights.clear();
        w->AddHighlight(0, w->Cols - 1, 5, -1);
        w->AddHighlight(2, 4, 5, -1); // a part of the row is no row highlight
        const QPoint left(l - 10, t + 5 * u + u / 2);
        Click(left, alt);
        EXPECT_EQ(w->FindRowHighlight(5), -1) << "removed";
        EXPECT_EQ(w->Highlights.size(), 1u);
        EXPECT_EQ(Sel(), (Sel4{0, 5, w->Cols - 1, 5}));
        Click(left, alt);
        EXPECT_GE(w->FindRowHighlight(5), 0) << "added again";
    }
}

TEST_F(MouseTest, DoubleClickLeftOfTheGridTogglesTopAndBottom) {
    QScrollBar* bar = w->scrMain->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0) << "the page is taller than the window";
    bar->setValue(0);
    const QPoint left(l - 10, t + 3 * u);
    Send(QEvent::MouseButtonPress, left);
    Send(QEvent::MouseButtonRelease, left);
    Send(QEvent::MouseButtonDblClick, left);
    Send(QEvent::MouseButtonRelease, left);
    QApplication::processEvents(); // the window scrolls once the page has its size
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_FALSE(w->DoubleClickPending);
    Send(QEvent::MouseButtonDblClick, left);
    Send(QEvent::MouseButtonRelease, left);
    QApplication::processEvents();
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(MouseTest, WheelScrollsTwelvePixelsANotch) {
    QScrollBar* bar = w->scrMain->verticalScrollBar();
    bar->setValue(0);
    Wheel(120);
    EXPECT_EQ(bar->value(), 0) << "clamped at the top";
    Wheel(-120);
    EXPECT_EQ(bar->value(), 12);
    bar->setValue(100);
    Wheel(120);
    EXPECT_EQ(bar->value(), 88);
}

TEST_F(MouseTest, SoundEffectCellsKeepTheEarlierEffectOnce) {
    int current = 7;
    w->PlayWindow.SoundEffectIndex = [&] { return current; };
    w->PlayWindow.SelectSoundEffect = [&](int index, const std::string&) { current = index; };
    w->PlayWindow.SoundEffectText = [](int index) { return "effect " + std::to_string(index); };
    Cell(2, 3) = TScoreFixture::Cell("N:146{up=20}");
    Cell(4, 3) = TScoreFixture::Cell("N:146{up=30}");
    Click(At(2, 3));
    Click(At(4, 3));
    EXPECT_EQ(current, 30);
    EXPECT_EQ(w->SavedSoundEffect, 7);
    EXPECT_TRUE(w->SoundEffectPicked);
    EXPECT_NE(w->sbrPanel0->text().toStdString().find("effect 30"), std::string::npos);
    Click(At(6, 3));
    EXPECT_FALSE(w->SoundEffectPicked);
}

TEST_F(MouseTest, ClickedNotesSoundOnlyWithThePianoShown) {
    ASSERT_TRUE(tqtest::HookFakeMidi("rec"));
    TfrmMIDI midi(tqtest::FakeMidiFolder("rec"));
    frmMIDI = &midi;
    Cell(0, 2) = TScoreFixture::Cell("&G");
    Cell(2, 2) = TScoreFixture::Cell("W:3@6+2");
    Cell(2, 4) = TScoreFixture::Cell("5");
    tqtest::gMidiCalls.clear();
    Click(At(2, 2));
    EXPECT_TRUE(tqtest::gMidiCalls.empty()) << "the piano is hidden";

    w->btnKeyboardClick();
    ASSERT_TRUE(w->pnlKeyboard->isVisible());
    w->chkStaff2Kbd->setChecked(true);
    for (int row : {2, 4}) {
        tqtest::gMidiCalls.clear();
        Send(QEvent::MouseButtonPress, At(2, row));
        int on = 0;
        for (const auto& c : tqtest::gMidiCalls)
            on += c.name == "Ext_NoteOn";
        EXPECT_EQ(on, row == 2 ? 2 : 1) << "one note-on per note of the clicked cell";
        Send(QEvent::MouseButtonRelease, At(2, row));
        int off = 0;
        for (const auto& c : tqtest::gMidiCalls)
            off += c.name == "Ext_NoteOff";
        EXPECT_EQ(off, on) << "released on mouse-up";
        EXPECT_TRUE(w->Keyboard->Pressed.empty());
    }
    frmMIDI = nullptr;
}

TEST_F(MouseTest, PianoPanelPicture) {
    w->btnKeyboardClick();
    QApplication::processEvents();
    w->Keyboard->PressAuditionKey(0, 0);
    w->Keyboard->HighlightKey(6, 0, 2);
    QImage picture = w->KeyboardPicture.Image();
    ASSERT_FALSE(picture.isNull());
    EXPECT_GE(w->pnlKeyboard->height(), 110);
    tqtest::SavePngIfWanted(picture, "piano_panel");
    w->Keyboard->ReleaseAll();
}

// ---------------------------------------------------------------- playing

TEST_F(MouseTest, HighlightsAndFollowingTheMusic) {
    w->Highlights.clear();
    w->CurPage = 1; // page -1 stands for the page shown
    w->AddHighlight(-3, w->Cols + 5, 2, -1);
    ASSERT_EQ(w->Highlights.size(), 1u);
    EXPECT_EQ(w->Highlights[0], (TMeasure{0, w->Cols - 1, 2, 1, 0}));
    EXPECT_EQ(w->FindRowHighlight(2), 0);
    EXPECT_EQ(w->FindRowHighlight(3), -1) << "another row";
    w->CurPage = 0;
    EXPECT_EQ(w->FindRowHighlight(2), -1) << "another page";

    int drawn = 0;
    auto saved = w->OnPageDrawn;
    w->OnPageDrawn = [&] {
        ++drawn;
        saved();
    };
    w->scrMain->verticalScrollBar()->setValue(w->scrMain->verticalScrollBar()->maximum());
    w->SelectAndShowCell(4, 0, 1, true, 0);
    EXPECT_EQ(drawn, 0) << "row 0 never redraws the page";
    EXPECT_EQ(Sel(), (Sel4{4, 0, 4, 0}));
    w->SelectAndShowCell(5, 30, 2, false, 0);
    EXPECT_EQ(Sel(), (Sel4{5, 30, 5, 32}));
    EXPECT_EQ(drawn, 0) << "no redraw asked";
}

TEST_F(MouseTest, PageButtonsComeBackWhenThePlayerThrows) {
    ASSERT_TRUE(tqtest::HookFakeMidi("rec"));
    TfrmMIDI midi(tqtest::FakeMidiFolder("rec"));
    frmMIDI = &midi;
    TPlayState play;
    frmPlay = &play;
    TPlayItem item;
    item.Duration = 100;
    play.PlayList.push_back(item);
    PlayerHooks().NowMs = []() -> double { throw std::runtime_error("player"); };
    w->CurPage = 0;
    EXPECT_THROW(w->StartPlayer(0, 1), std::runtime_error);
    EXPECT_TRUE(w->btnNextPage->isEnabled());
    EXPECT_TRUE(w->cbxPageNum->isEnabled());
    EXPECT_TRUE(w->btnLayer->isEnabled());
    EXPECT_FALSE(w->btnPreviousPage->isEnabled()) << "page 0 has no previous page";
    frmPlay = nullptr;
    frmMIDI = nullptr;
}

TEST_F(MouseTest, PlayDirectlyBuildsAndPlaysTheScore) {
    ASSERT_TRUE(tqtest::HookFakeMidi("rec"));
    TfrmMIDI midi(tqtest::FakeMidiFolder("rec"));
    frmMIDI = &midi;
    double now = 0;
    PlayerHooks().NowMs = [&] { return now; };
    PlayerHooks().SleepMs = [&](double ms) { now += ms; };
    const char* row[] = {"\"1=C\"", "1", "3", "5", "1'", "|"}; // four notes make a Jianpu row
    for (int c = 0; c < 6; ++c)
        Cell(c, 1) = TScoreFixture::Cell(row[c]);
    Select(1, 1, 1, 1);
    tqtest::gMidiCalls.clear();
    QAction* play = w->CommandAction("btnPlayDirctly");
    ASSERT_TRUE(play->isEnabled());
    play->trigger();
    std::vector<int> pitches;
    for (const auto& c : tqtest::gMidiCalls)
        if (c.name == "Ext_NoteOn")
            pitches.push_back(c.b);
    EXPECT_EQ(pitches, (std::vector<int>{0, 4, 7, 0}));
    EXPECT_GT(now, 0.0) << "the player kept time";
    EXPECT_TRUE(play->isEnabled());
    EXPECT_TRUE(w->btnNextPage->isEnabled());
    frmMIDI = nullptr;
}

TEST_F(MouseTest, ABookRowDroppedOnThePageOpensItsFile) {
    const std::string path = dir.str() + "/dropped.mus";
    Cell(2, 2) = TScoreFixture::Cell("5");
    ASSERT_TRUE(w->SaveScore(path, false));
    Cell(2, 2) = TScoreFixture::Cell("~");
    w->SetModified(false);
    int ended = 0;
    w->OnBookDragEnd = [&] { ++ended; };
    auto mime = [](const std::string& file) {
        auto* data = new QMimeData;
        data->setData(QString::fromLatin1(TfrmMainTQ::kBookRowMimeType), QByteArray::fromStdString(file));
        return data;
    };
    std::unique_ptr<QMimeData> missing(mime(dir.str() + "/none.mus"));
    QDragEnterEvent over(QPoint(40, 40), Qt::CopyAction, missing.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w->pbxMain, &over);
    EXPECT_FALSE(over.isAccepted()) << "no such file";

    std::unique_ptr<QMimeData> good(mime(path));
    QDragEnterEvent enter(QPoint(40, 40), Qt::CopyAction, good.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w->pbxMain, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(40, 40), Qt::CopyAction, good.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w->pbxMain, &drop);
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(w->FileName, path);
    EXPECT_EQ(Cell(2, 2).Note, '5');
}
