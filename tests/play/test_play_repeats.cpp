// Repeats, navigation marks, ties and octave marks in the play list.
#include <gtest/gtest.h>

#include "model/modTQGroup.h"
#include "play/modTQPlayState.h"
#include "tests/support/TQScoreFixture.h"

namespace {

class PlayRepeatsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TGroupData g;
        g.row = 2;
        GroupRows = {g};
    }
    void TearDown() override { GroupRows.clear(); }
    // Walks the staff row as the group builder does: the repeat rules first, then
    // an item for every note (its column in Col). Returns the columns of the list.
    std::vector<int> Build() {
        play_.PlayList.clear();
        play_.JumpRecord[0] = play_.JumpRecord[1] = {};
        for (int c = 0; c < fx_.Score().Cols; ++c) {
            if (!play_.HandleRepeatColumn(c, 2))
                continue;
            const TCell& cell = fx_.At(c, 2);
            if (cell.cellType == ctJianpu && cell.Note >= '1' && cell.Note <= '7') {
                TPlayItem it;
                it.Col = c;
                it.Duration = 640;
                it.Notes[0] = {0, static_cast<int8_t>(cell.Note - '1'), 100, 640, 0, 0, 0};
                play_.PlayList.push_back(it);
            } else if (cell.cellType == ctJianpu && (cell.Note == 63 || cell.Note == 62)) {
                TPlayItem marker;
                marker.Kind = pkKeyboard;
                marker.Col = c;
                play_.PlayList.push_back(marker);
            }
        }
        std::vector<int> cols;
        for (const TPlayItem& it : play_.PlayList)
            cols.push_back(it.Kind == pkKeyboard ? -it.Col : it.Col);
        return cols;
    }
    // A whole row from a picture; the columns it leaves out are emptied.
    void SetRow(int row, const std::string& picture) {
        std::string blank;
        for (int c = 0; c < fx_.Score().Cols; ++c)
            blank += "~ ";
        fx_.Row(row, blank);
        if (!picture.empty())
            fx_.Row(row, picture);
    }
    TScoreFixture fx_{16, 6};
    TPlayState play_;
};

using V = std::vector<int>;

TEST_F(PlayRepeatsTest, RepeatBars) {
    SetRow(2, "1 |: 2 3 4 5 :| 6 :| 7");
    EXPECT_EQ(Build(), (V{0, 2, 3, 4, 5, 2, 3, 4, 5, 7, 9})) << "four items once more; the second end repeat adds nothing";
    SetRow(2, "1 2 :| 3");
    EXPECT_EQ(Build(), (V{0, 1, 0, 1, 3})) << "no start repeat: from the first item";
    SetRow(1, "~ ~ ~ ~ ~{mark=78}");
    SetRow(2, "|: 1 2 3 4 5 :| 6");
    EXPECT_EQ(Build(), (V{1, 2, 3, 4, 5, 1, 2, 3, 7})) << "a repeat stop above the staff";
}

TEST_F(PlayRepeatsTest, SegnoCodaAndDalSegno) {
    SetRow(1, "~ S:40 ~ ~ S:39 ~ S:39 ~ \"D.S.\"");
    SetRow(2, "1 2 3 4 5 6 7 1 ~ 2");
    // segno before item 1, coda sign before item 4, second coda before item 6, D.S. after item 7
    EXPECT_EQ(Build(), (V{0, 1, 2, 3, 4, 5, 6, 7, 1, 2, 3, 6, 7, 9}));
}

TEST_F(PlayRepeatsTest, DaCapoToFine) {
    SetRow(1, "~ ~ ~ \"Fine\" ~ ~ \"D.C.\"");
    SetRow(2, "1 2 3 4 5 6 ~ 7");
    EXPECT_EQ(Build(), (V{0, 1, 2, 3, 4, 5, 0, 1, 2, 7}));
    EXPECT_EQ(play_.JumpRecord[0].Start, 0) << "armed: a Fine before the end";
}

TEST_F(PlayRepeatsTest, JianpuFiveInTheStaffRowIsNoFine) {
    SetRow(2, "1 5 5 5 ~ 2");
    SetRow(1, "~ ~ ~ ~ \"D.C.\"");
    EXPECT_EQ(Build(), (V{0, 1, 2, 3, 0, 1, 2, 3, 5}));
    SetRow(2, "1 5 ~ ~ ~ 2");
    fx_.At(2, 1) = TScoreFixture::Cell("S:53");
    EXPECT_EQ(play_.FindNavigationMark(2, 0), 6) << "code 53 on a symbol cell above the staff";
}

TEST_F(PlayRepeatsTest, MeasureRepeat) {
    SetRow(2, "1 2 | 3 4 | S:46 | 5");
    const V cols = Build();
    // the previous measure (marker at 2, items 3 and 4, marker at 5) is appended at the symbol's place
    ASSERT_EQ(cols, (V{0, 1, -2, 3, 4, -5, 6, 6, -7, 8})) << "copies placed at the symbol";
    EXPECT_EQ(play_.PlayList[6].Col, 6);
    EXPECT_EQ(play_.PlayList[6].Notes[0].Pitch, 2);
}

TEST_F(PlayRepeatsTest, TiesLengthenTheFirstNote) {
    SetRow(1, "~{mark=1,iEnd=2}");
    SetRow(2, "1 ~ 1 2");
    TPlayItem first;
    first.Col = 0;
    first.Duration = 640;
    first.Notes[0] = {0, 0, 100, 640, 0, 0, 0};
    play_.PlayList = {first};
    play_.BeginTie(0, 0, 2, 0);
    EXPECT_EQ(play_.TieRecord[0].LastCol, 2);
    std::vector<TPlayItem> next(1, first);
    next[0].Col = 2;
    next[0].Notes[1] = {0, 4, 100, 640, 0, 0, 0};
    play_.ResolveTie(next, 2, 2, 0);
    EXPECT_EQ(play_.PlayList[0].Notes[0].Length, 1280);
    EXPECT_EQ(play_.PlayList[0].Notes[0].Tie, kTieContinues);
    EXPECT_EQ(next[0].Notes[0].Volume, 0) << "the tied note does not sound again";
    EXPECT_EQ(next[0].Notes[1].Volume, 100);
    EXPECT_EQ(play_.TieRecord[0].LastCol, -1);

    // Over a line break: a slur at the start of the next row keeps the tie open,
    // a note before it drops it.
    play_.TieRecord[0].LastCol = 9;
    SetRow(4, "~ ~{mark=1,iEnd=3} ~ 1");
    EXPECT_TRUE(play_.CheckTieStillOpen(4, 0));
    EXPECT_EQ(play_.TieRecord[0].LastCol, 3);
    SetRow(4, "1 ~{mark=1,iEnd=3} ~ 1");
    EXPECT_FALSE(play_.CheckTieStillOpen(4, 0));
    EXPECT_FALSE(play_.CheckTieStillOpen(4, 0)) << "once dropped";
}

TEST_F(PlayRepeatsTest, OctaveMarks) {
    SetRow(1, "~ ~{mark=74,iEnd=3} ~ ~ ~ ~{mark=84,iEnd=20}");
    play_.CollectOctaveMarks();
    const V expected = {0, 1, 1, 1, 0, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4};
    EXPECT_EQ(play_.OctaveShifts[0], expected);
    EXPECT_EQ(play_.OctaveMarkShift(2, 0), 1);
    EXPECT_EQ(play_.OctaveMarkShift(6, 0), -2);
    EXPECT_EQ(play_.OctaveMarkShift(99, 0), 0);
}

} // namespace
