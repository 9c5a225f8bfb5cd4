// The Convert menu on the real window, offscreen: tunes entered as a user
// enters them (the notes by their keys where that is practical), converted by
// the menu actions, must sound the same afterwards (every note's pitch, onset
// and length from the play list); the same steps twice give the same cells;
// one conversion is one Undo step.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <sstream>
#include <vector>

#include "app/frmTQMain.h"
#include "edit/frmTQShiftStaff.h"
#include "edit/modTQCursorKeys.h"
#include "lang/modTQLanguage.h"
#include "lang/modTQPref.h"
#include "model/modTQCellAccess.h"
#include "model/modTQUndo.h"
#include "play/modTQPlayState.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQMessage.h"
#include "tests/convert/TQPlayedNotes.h"
#include "tests/app/TQWindowKeys.h"
#include "tests/support/TQScoreFixture.h"
#include "tests/support/TQTestSupport.h"

namespace fs = std::filesystem;

namespace {

class ConvertWindow : public TWindowTest {
  protected:
    void SetUp() override {
        fs::remove(TQUserFolder() + "TQHistoryFILE");
        Language->UseChinese = false;
        ASSERT_TRUE(Language->LoadLanguageDll());
        TWindowTest::SetUp();
        rec.Clear();
    }
    void TearDown() override {
        TWindowTest::TearDown();
        ShiftStaffExec() = nullptr;
        fs::remove(TQUserFolder() + "TQHistoryFILE");
    }
    // A fresh window (and undo store), as at a new start of the program.
    void Open() {
        w.reset();
        Undo.ClearUndoFiles();
        StartWindow();
        CurLayer = 0;
        AltDown = ShiftDown = CtrlDown = false;
        rec.Clear();
    }
    void Menu(const char* action) {
        QAction* a = w->CommandAction(action);
        ASSERT_NE(a, nullptr) << action;
        a->trigger();
        QApplication::processEvents();
    }
    // The notes of the score as played from its first cell (TQPlayedNotes.h).
    std::vector<TSoundedNote> Played(bool west) { return PlayedNotes(west); }
    bool Shown(int id) const {
        return std::any_of(rec.shown.begin(), rec.shown.end(),
                           [id](const TMessageRequest& m) { return m.id == id; });
    }
};

} // namespace

// G major grand staff in 3/4: treble D5 q B4 e C5 e | G5 h F#5 q | E4 e D4 e
// C#5 q B4 q; bass G2 dotted half. Whole score to Jianpu and back, twice.
TEST_F(ConvertWindow, GrandStaffWesternToJianpuAndBackKeepsEveryPitch) {
    auto enter = [this] {
        Row(2, "&G/1{mark=54191118,jEnd=4} ~ T:3/4 W:3@-2 W:4@0 W:4@-1 | W:2@-5 W:3@-4 | W:4@4 W:4@5 "
               "W:3@-1{attr=1} W:3@0 |");
        Row(4, "&F/1 ~ T:3/4 W:2@4. ~ ~ | ~ ~ | ~ ~ ~ ~ |");
    };
    std::vector<std::vector<TCell>> firstRun;
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        Open();
        enter();
        const std::vector<TSoundedNote> before = Played(true);
        ASSERT_EQ(before.size(), 10u);
        // The pitches a musician reads, in order of onset.
        std::vector<int> pitches;
        for (const TSoundedNote& n : before)
            pitches.push_back(n.pitch);
        EXPECT_EQ(pitches, (std::vector<int>{43, 74, 71, 72, 79, 78, 64, 62, 73, 71}));
        Menu("mitWesternToChineseAllPages");
        EXPECT_EQ(Played(false), before) << "Jianpu";
        Menu("mitChinesToWesternAllPages");
        EXPECT_EQ(Played(true), before) << "back to Western";
        std::vector<std::vector<TCell>> cells;
        for (int r = 0; r < w->Rows; ++r)
            cells.push_back(w->PageSets[0][0][static_cast<size_t>(r)]);
        if (run == 0)
            firstRun = cells;
        else
            EXPECT_TRUE(cells == firstRun) << "the same steps give the same cells";
    }
}

// A Jianpu tune typed from the first column of its rows: every note is kept,
// none stands under the staff header, and no warning is due. A row filled to
// its last column has no room for the header: it is refused with the warning
// and left as it was.
TEST_F(ConvertWindow, JianpuRowsTypedFromTheFirstColumnKeepTheirFirstNotes) {
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        Open();
        Row(2, "\"1=D\"");
        Select(0, 3, 0, 3);
        Type("3345|5432|1123|3-2-|");
        Select(0, 6, 0, 6);
        Type("3345|5432|1123|2-1-|");
        ASSERT_EQ(At(0, 3).Note, '3');
        ASSERT_EQ(At(0, 6).Note, '3');
        const std::vector<TSoundedNote> before = Played(false);
        ASSERT_EQ(before.size(), 28u);
        EXPECT_EQ(before.front().pitch, 66); // 3 in D: F sharp above middle C
        Menu("mitChinesToWesternAllPages");
        EXPECT_EQ(Played(true), before);
        EXPECT_FALSE(Shown(1058));
        for (int r : {3, 6}) {
            EXPECT_TRUE(IsClefCell(At(0, r))) << r;
            int first = -1;
            for (int c = 0; c < w->Cols && first < 0; ++c)
                if (IsWestNoteOrRest(At(c, r), 1))
                    first = c;
            EXPECT_GE(first, 3) << "the first note of row " << r << " stands after the header";
        }
    }
    // No free column at the end of the row: nothing of it changes.
    Open();
    Row(2, "\"1=C\"");
    Select(0, 3, 0, 3);
    std::string full;
    for (int c = 0; c < w->Cols; ++c)
        full += c % 5 == 4 ? '|' : '5';
    Type(full);
    const std::vector<TCell> row = w->PageSets[0][0][3];
    ASSERT_EQ(row[static_cast<size_t>(w->Cols - 2)].Note, '5');
    Menu("mitChinesToWesternAllPages");
    EXPECT_TRUE(w->PageSets[0][0][3] == row);
    EXPECT_TRUE(Shown(1058));
}

// Jianpu to Western on the selected rows is taken back by one Undo, the rows
// it moves outside the selection (the lyrics under the staff) included.
TEST_F(ConvertWindow, SelectedRowsToWesternIsOneUndoStep) {
    Row(2, "\"1=G\"");
    Select(1, 3, 1, 3);
    Type("1  2356|5---|");
    Row(4, "~ \"la\" ~ ~ \"lu\"");
    const TPage before = w->PageSets[0][0];
    Select(0, 3, w->Cols - 1, 3);
    Menu("mitChinesToWesternSelected");
    ASSERT_TRUE(IsClefCell(At(0, 3)));
    ASSERT_NE(At(1, 4).Text, "la") << "the lyric moved with its note";
    Menu("mitUndo");
    EXPECT_TRUE(w->PageSets[0][0] == before);
}

// Changing the key of a Jianpu tune reports only what it marked itself, not
// the marks a beat check left before it.
TEST_F(ConvertWindow, KeyChangeCountsOnlyItsOwnMarks) {
    Row(2, "\"1=C\"");
    Select(0, 3, 0, 3);
    Type("123|4567|1---|");
    Menu("mitVerifyAllPage");
    ASSERT_FALSE(w->Highlights.empty()) << "the short first bar is marked";
    rec.Clear();
    ShiftStaffExec() = [](TfrmShiftStaff& f) {
        f.SetStepIndex(1);
        f.SetDirIndex(0);
        f.rgpShiftDirClick();
        return int(mrOk);
    };
    Select(0, 3, w->Cols - 1, 3);
    Menu("mitChangeToneSelected");
    EXPECT_EQ(At(0, 2).Text, "1 = D");
    EXPECT_FALSE(Shown(1033));
}
