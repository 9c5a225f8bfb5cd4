// Western to Jianpu: the commands, with undo, the modified flag and the report.
#include <gtest/gtest.h>

#include "convert/modTQW2JWindow.h"
#include "lang/modTQLanguage.h"
#include "model/modTQUndo.h"
#include "platform/core/TQMessage.h"
#include "tests/convert/TQConvertFixture.h"

namespace {

class W2JCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        SetMessageBoxes(&rec);
        Undo.ClearUndoFiles();
        W2JWindow.Beep = [this] { ++beeps; };
    }
    void TearDown() override {
        W2JWindow = {};
        Undo.ClearUndoFiles();
        SetMessageBoxes(nullptr);
    }
    static TPageSets Pages(const TConvertFixture& fx) { return fx.view.PageSets; }

    TMessageRecorder rec;
    int beeps = 0;
};

// Two notes with an accidental symbol beside them: two highlight records.
constexpr const char* kTwoNearAccidentals = "&G ~ S:14 W:3@6 S:15 W:3@6 ~ W:3@6";

TEST_F(W2JCommands, ReportCountsHighlightRecordsOnce) {
    TConvertFixture fx(16, 6);
    fx.Row(3, kTwoNearAccidentals);
    fx.Select(3, 3);
    fx.cvt.ConvertW2JSelected(false);
    ASSERT_EQ(fx.view.Highlights.size(), 2u);
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].buttons, mbOK);
    EXPECT_EQ(rec.shown[0].text, Language->GetString(1033) + "2" + Language->GetString(1036));
    EXPECT_NE(rec.shown[0].caption.find("1033"), std::string::npos);
    EXPECT_TRUE(fx.view.Modified);
}

TEST_F(W2JCommands, NoHighlightNoMessage) {
    TConvertFixture fx(16, 6);
    fx.Row(3, "&G ~ W:3@6");
    fx.Select(3, 3);
    fx.cvt.ConvertW2JSelected(false);
    EXPECT_EQ(fx.At(2, 3).Note, '1');
    EXPECT_TRUE(rec.shown.empty());
}

TEST_F(W2JCommands, NothingWesternBeeps) {
    TConvertFixture fx(16, 6, 0, 2);
    fx.Row(3, "1 2 3 N:60");
    fx.Row(3, "&G ~ W:3@6", 0, 1); // a staff on the second page only
    const TPageSets before = Pages(fx);
    fx.Select(3, 3);
    fx.cvt.ConvertW2JSelected(false);
    fx.cvt.ConvertW2JAllPages(0, false);
    EXPECT_EQ(beeps, 2);
    EXPECT_TRUE(Undo.UndoList.empty());
    EXPECT_TRUE(Pages(fx) == before);
    EXPECT_FALSE(fx.view.Modified);
    EXPECT_TRUE(rec.shown.empty());
}

TEST_F(W2JCommands, UndoOfSelectedRowsRestoresBothLayers) {
    TConvertFixture fx(16, 6, 1);
    fx.Row(3, kTwoNearAccidentals);
    fx.Row(3, "~ ~ W:3@6 ~ ~ ~ W:3@4", 1);
    fx.Row(2, "~ ~ 5 ~ 6", 1);
    CurLayer = 1; // the command starts from the Jianpu layer
    const TPageSets before = Pages(fx);
    fx.Select(3, 3);
    fx.cvt.ConvertW2JSelected(false);
    EXPECT_EQ(CurLayer, 0);
    EXPECT_FALSE(Pages(fx) == before);
    ASSERT_EQ(Undo.UndoList.size(), 2u);
    Undo.UndoStep();
    EXPECT_TRUE(Pages(fx) == before);
    // The selection is the one the user made.
    EXPECT_EQ(fx.view.SelRow0, 3);
    EXPECT_EQ(fx.view.SelCol0, 0);
}

TEST_F(W2JCommands, AllPagesUndoAndPage) {
    TConvertFixture fx(16, 6, 0, 3);
    // The undo snapshot is a score file: the grid follows from the page geometry.
    ASSERT_TRUE(fx.view.CalcPageGrid());
    for (int p = 0; p < 3; ++p)
        fx.view.AllocatePage(0, p, true, 0, 0);
    fx.Row(3, "&G/1 ~ W:3@2");
    fx.Row(3, "&G/1 ~ W:3@2", 0, 2);
    // The score as an opened score holds it: once through its file.
    ASSERT_FALSE(Undo.SaveScoreSnapshot(true).empty());
    Undo.UndoStep();
    Undo.ClearUndoFiles();
    fx.view.CurPage = 1;
    const TPageSets before = Pages(fx);
    fx.cvt.ConvertW2JAllPages(0, false);
    EXPECT_EQ(fx.At(2, 3, 0, 0).Note, '1');
    EXPECT_EQ(fx.At(2, 3, 0, 2).Note, '1');
    // The key text is written once, where the key first shows.
    EXPECT_EQ(fx.At(1, 2, 0, 0).Text, "1=G");
    EXPECT_TRUE(fx.At(1, 2, 0, 2).Text.empty());
    EXPECT_EQ(fx.view.CurPage, 1);
    EXPECT_EQ(fx.view.SelRow1, fx.view.Rows - 1);
    EXPECT_TRUE(fx.view.Modified);
    ASSERT_EQ(Undo.UndoList.size(), 1u);
    Undo.UndoStep();
    EXPECT_TRUE(Pages(fx) == before);
}

TEST_F(W2JCommands, QuietLeavesUndoFlagAndMessagesAlone) {
    for (bool all : {false, true}) {
        TConvertFixture fx(16, 6);
        fx.Row(3, kTwoNearAccidentals);
        fx.Select(3, 3);
        if (all)
            fx.cvt.ConvertW2JAllPages(0, true);
        else
            fx.cvt.ConvertW2JSelected(true);
        EXPECT_EQ(fx.At(3, 3).Note, '1') << all;
        EXPECT_EQ(fx.view.Highlights.size(), 2u) << all;
        EXPECT_TRUE(Undo.UndoList.empty()) << all;
        EXPECT_FALSE(fx.view.Modified) << all;
        EXPECT_TRUE(rec.shown.empty()) << all;
    }
}

TEST_F(W2JCommands, TimeSignatureOfTheFirstPage) {
    TConvertFixture fx(20, 6);
    fx.Row(0, "T:3/4");
    fx.Row(3, "&G N:60 W:20 ~ ~ ~ ~ ~ N:60");
    fx.Select(3, 3);
    fx.cvt.ConvertW2JSelected(false);
    // Three beats in a bar seven columns wide: three '0' cells.
    EXPECT_EQ(fx.At(2, 3).Note, '0');
    EXPECT_EQ(fx.At(4, 3).Note, '0');
    EXPECT_EQ(fx.At(6, 3).Note, '0');
}

} // namespace
