// The main window's cell hint and page popup menu, offscreen.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QTimer>

#include <filesystem>
#include <memory>

#include "app/frmTQMain.h"
#include "lang/modTQPref.h"
#include "model/modTQUndo.h"
#include "platform/core/TQMessage.h"
#include "platform/core/TQStrings.h"
#include "tests/support/TQScoreFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

class CursorWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::remove(PrefFileName());
        SetMessageBoxes(&rec);
        window = std::make_unique<TfrmMainTQ>();
    }
    void TearDown() override {
        window.reset();
        SetMessageBoxes(nullptr);
        Undo.ClearUndoFiles();
        CurLayer = 0;
        std::filesystem::remove(PrefFileName());
    }
    TCell& Cell(int col, int row) {
        return window->PageSets[0].at(0).at(static_cast<size_t>(row)).at(static_cast<size_t>(col));
    }
    void Select(int col, int row) {
        window->SelCol0 = window->SelCol1 = col;
        window->SelRow0 = window->SelRow1 = row;
    }
    TMessageRecorder rec;
    std::unique_ptr<TfrmMainTQ> window;
};

} // namespace

TEST_F(CursorWindowTest, HintGoesAwayWhenItsTimerFires) {
    TfrmMainTQ& w = *window;
    w.ShowCellHint(3.0f, 2.0f, "");
    EXPECT_FALSE(w.HintWindow->isVisible());
    EXPECT_FALSE(w.timHint1->isActive());

    w.ShowCellHint(3.0f, 2.0f, "note 2");
    EXPECT_TRUE(w.HintWindow->isVisible());
    EXPECT_EQ(w.HintWindow->text(), QStringLiteral("note 2"));
    EXPECT_TRUE(w.timHint1->isActive());
    EXPECT_EQ(w.timHint1->interval(), 2000);

    // Let the timer run out at once; its timeout hides the hint and stops it.
    w.timHint1->start(0);
    for (int i = 0; i < 1000 && w.HintWindow->isVisible(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_FALSE(w.HintWindow->isVisible());
    EXPECT_FALSE(w.timHint1->isActive());

    // The next cursor move hides a hint too.
    w.ShowCellHint(3.0f, 2.0f, "again");
    Select(2, 2);
    w.MoveCursor(1, 0);
    EXPECT_FALSE(w.HintWindow->isVisible());
}

TEST_F(CursorWindowTest, PopupNamesItsItemsForTheCursorCell) {
    TfrmMainTQ& w = *window;
    ASSERT_FALSE(GetStringById(608).empty());
    Cell(0, 1) = TScoreFixture::Cell("&G");
    Cell(1, 1) = TScoreFixture::Cell("W:3@2");
    Cell(1, 3) = TScoreFixture::Cell("5");
    Cell(2, 3) = TScoreFixture::Cell("\"text\"");
    struct Case {
        int col, row;
        bool note;
        int firstId;
        bool header;
    } cases[] = {
        {1, 1, true, 608, false},
        {1, 3, true, 900, false},
        {2, 3, false, 900, false},
        {0, 1, false, 900, true},
    };
    for (const Case& c : cases) {
        Select(c.col, c.row);
        w.popMainPopupPopup();
        QAction* const items[4] = {w.mitHiDot, w.mitLowDot, w.mitUnderline, w.mitDelUnderline};
        const int offsets[4] = {0, 1, c.firstId == 608 ? 14 : 2, c.firstId == 608 ? 15 : 3};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(items[i]->text().toStdString(), GetStringById(c.firstId + offsets[i])) << c.col << "," << c.row;
            EXPECT_EQ(items[i]->isVisible(), c.note) << c.col << "," << c.row;
        }
        EXPECT_EQ(w.mitHideClefSign1->isVisible(), c.header);
        EXPECT_EQ(w.mitShrinkInc->isVisible(), c.note);
    }
}

TEST_F(CursorWindowTest, ShrinkMenuIsOnlyForShrunkCellsAndJianpuChords) {
    TfrmMainTQ& w = *window;
    auto withSmallNotes = [](const char* token, uint32_t style) {
        TCell c = TScoreFixture::Cell(token);
        c.Attr = (c.Attr & 0x0Fu) | style;
        c.CompressNotes = {TCompressNote{'1', 0, 0, 0, 0, 0}, TCompressNote{'3', 0, 0, 0, 0, 0}};
        return c;
    };
    Cell(0, 1) = withSmallNotes("1", 0xA0);
    Cell(1, 1) = withSmallNotes("1", 0xB0);
    Cell(2, 1) = TScoreFixture::Cell("5");
    Cell(0, 2) = TScoreFixture::Cell("&G");
    Cell(1, 2) = withSmallNotes("W:3@2", 0xB0);
    struct Case {
        int col, row;
        bool enabled;
    } cases[] = {{0, 1, true}, {1, 1, true}, {2, 1, false}, {1, 2, false}};
    for (const Case& c : cases) {
        Select(c.col, c.row);
        w.popShrinkPopupPopup();
        for (QAction* a : {w.mitResetComp, w.mitIncreseComp, w.mitDecreseComp, w.mitSpecifyComp})
            EXPECT_EQ(a->isEnabled(), c.enabled) << c.col << "," << c.row;
    }
    // combining across: small notes, or a note with more than one column selected
    Select(2, 1);
    w.popMainPopupPopup();
    EXPECT_FALSE(w.mitCombineHori2->isVisible());
    w.SelCol1 = 3;
    w.popMainPopupPopup();
    EXPECT_TRUE(w.mitCombineHori2->isVisible());
    Select(0, 1);
    w.popMainPopupPopup();
    EXPECT_TRUE(w.mitCombineHori2->isVisible());
}

TEST_F(CursorWindowTest, HintSizeMenuChecksTheStoredSize) {
    TfrmMainTQ& w = *window;
    struct Case {
        float size;
        bool small, med, large;
    } cases[] = {
        {0.4f, true, false, false}, {0.5f, true, false, false}, {0.6f, false, true, false},
        {0.65f, false, true, false}, {0.8f, false, false, true},
    };
    for (const Case& c : cases) {
        w.HintSize = c.size;
        w.mitHintSizeClick();
        EXPECT_EQ(w.mitSmall->isChecked(), c.small) << c.size;
        EXPECT_EQ(w.mitMed->isChecked(), c.med) << c.size;
        EXPECT_EQ(w.mitLarge->isChecked(), c.large) << c.size;
    }
}
