// "Shift Staffs": the Jianpu key change and the Western transposition, the
// dialog answered through its functions.
#include <gtest/gtest.h>

#include <QLabel>

#include <functional>
#include <string>
#include <vector>

#include "edit/frmTQShiftStaff.h"
#include "lang/modTQLanguage.h"
#include "model/modTQPredicates.h"
#include "tests/edit/TQEditFixture.h"

namespace {

class ShiftStaff : public ::testing::Test {
protected:
    void SetUp() override {
        Language->UseChinese = false;
        ASSERT_TRUE(Language->LoadLanguageDll());
    }
    void TearDown() override { ShiftStaffExec() = nullptr; }
    // The dialog answers with steps (1 = half .. 10 = five) and direction (0 up, 1 down).
    void Answer(int halfTones, int dir, int result = mrOk) {
        ShiftStaffExec() = [=, this](TfrmShiftStaff& f) {
            f.SetStepIndex(halfTones - 1);
            f.SetDirIndex(dir);
            f.rgpShiftDirClick();
            shownLabels.clear();
            for (QLabel* l : f.lbl)
                shownLabels.push_back(l->text().toStdString());
            shownKey = f.lblCurrentTone->text().toStdString();
            ++shown;
            return result;
        };
    }
    int shown = 0;
    std::vector<std::string> shownLabels;
    std::string shownKey;
};

// A Jianpu cell as "degree, accidental, dots": "b7,", "#1'", "4".
std::string Jp(const TCell& c) {
    std::string s;
    const int a = c.Attr == kNoAttr ? 0 : int(c.Attr & 0xF);
    if (a == 1)
        s += '#';
    else if (a == 2)
        s += 'b';
    else if (a == 3)
        s += 'n';
    s += char(c.Note);
    for (int i = 0; i < c.dot; ++i)
        s += '\'';
    for (int i = 0; i > c.dot; --i)
        s += ',';
    return s;
}

std::vector<std::string> JpRow(TEditFixture& fx, int row, int from, int to, int page = 0) {
    std::vector<std::string> out;
    for (int c = from; c <= to; ++c)
        if (IsJianpuNoteDigit(fx.At(c, row, page).Note))
            out.push_back(Jp(fx.At(c, row, page)));
    return out;
}

struct DegreeCase {
    const char* name;
    const char* row;
    int halfTones;
    int dir;
    const char* key; // the new key text
    std::vector<std::string> notes;
};

class ShiftJianpuDegrees : public ShiftStaff, public ::testing::WithParamInterface<DegreeCase> {};

TEST_P(ShiftJianpuDegrees, KeyTextAndDegrees) {
    const DegreeCase& tc = GetParam();
    TEditFixture fx(20, 6);
    fx.Row(1, "\"1=C\"");
    fx.Row(2, tc.row);
    fx.Select(0, 2, 19, 2);
    Answer(tc.halfTones, tc.dir);
    ShiftStaffs(1, false);
    ASSERT_EQ(shown, 1);
    EXPECT_EQ(fx.At(0, 1).Text, tc.key);
    EXPECT_EQ(fx.At(0, 1).FontName, "EN");
    EXPECT_FLOAT_EQ(fx.At(0, 1).fontSizeR, 1.4f);
    EXPECT_EQ(JpRow(fx, 2, 0, 19), tc.notes);
    EXPECT_TRUE(fx.win.Modified);
    EXPECT_TRUE(fx.win.ForceSaveAs);
    EXPECT_EQ(Undo.UndoList.size(), 1u);
    EXPECT_EQ(fx.win.SelRow0, 2);
    EXPECT_EQ(fx.win.SelCol1, 19);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShiftJianpuDegrees,
    ::testing::Values(
        DegreeCase{"UpOne", "1 2 3 4 5 6 7 |", 2, 0, "1 = D", {"b7,", "1", "2", "b3", "4", "5", "6"}},
        DegreeCase{"DownHalf", "1 | 3 | 7 | b3 | #4 | #3 | #7 |", 1, 1, "1 = B",
                   {"#1", "4", "1'", "3", "5", "#4", "#1'"}},
        DegreeCase{"UpHalf", "1 | 4 | b3 | b4 | b1 | #4 |", 1, 0, "1 = #C", {"7,", "3", "2", "b3", "b7,", "4"}},
        // A sharp carries to later plain 4s of its bar at its octave only; a
        // bar line ends it. A later 4 after the #4 of the new bar needs its natural.
        DegreeCase{"BarCarriesSharps", "#4 4 4' | 4 1 2 3", 1, 1, "1 = B", {"5", "5", "#4'", "#4", "#1", "#2", "n4"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShiftStaff, ToEndOfPageKeepsTheOldKeyOnTheNextPage) {
    TEditFixture fx(20, 6, 3);
    for (int p = 0; p < 3; ++p)
        fx.Row(1, "\"1=F\"", p).Row(2, "1 2 3 4 |", p);
    fx.Row(4, "5 6 7 1' |", 1);
    fx.win.CurPage = 1;
    fx.Select(0, 2, 19, 2);
    Answer(2, 0);
    ShiftStaffs(2, false);
    EXPECT_EQ(fx.At(0, 1, 1).Text, "1 = G");
    EXPECT_EQ(JpRow(fx, 2, 0, 19, 1), (std::vector<std::string>{"b7,", "1", "2", "b3"}));
    EXPECT_EQ(JpRow(fx, 4, 0, 19, 1), (std::vector<std::string>{"4", "5", "6", "b7"}));
    // the page after gets the old key at its top-left, and keeps its music
    EXPECT_EQ(fx.At(0, 0, 2).Text, "1 = F");
    EXPECT_EQ(JpRow(fx, 2, 0, 19, 2), (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(JpRow(fx, 2, 0, 19, 0), (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(fx.At(0, 1, 0).Text, "1=F");
    EXPECT_EQ(fx.win.CurPage, 1);
    EXPECT_EQ(shownKey, "Current key: 1 = F");
}

TEST_F(ShiftStaff, WholeScoreRewritesEveryPage) {
    TEditFixture fx(20, 6, 2);
    fx.Row(0, "\"Title\"").Row(1, "\"1=G\"").Row(2, "1 2 3 4 |");
    fx.Row(2, "5 6 7 1' |", 1);
    fx.win.CurPage = 1;
    fx.Select(4, 2, 4, 2);
    Answer(1, 0);
    ShiftStaffs(0, false);
    EXPECT_EQ(shownKey, "Current key: 1 = G");
    EXPECT_EQ(fx.At(0, 1).Text, "1 = bA");
    EXPECT_EQ(fx.At(0, 0).Text, "Title");
    EXPECT_EQ(JpRow(fx, 2, 0, 19, 0), (std::vector<std::string>{"7,", "b2", "b3", "n3"}));
    EXPECT_EQ(JpRow(fx, 2, 0, 19, 1), (std::vector<std::string>{"b5", "b6", "b7", "n7"}));
    // the selection and page as they were
    EXPECT_EQ(fx.win.CurPage, 1);
    EXPECT_EQ(fx.win.SelCol0, 4);
    EXPECT_EQ(fx.win.SelCol1, 4);
}

TEST_F(ShiftStaff, KeyTextNeverOverwritesALyric) {
    TEditFixture fx(20, 6);
    fx.Row(0, "\"Title\"");
    fx.Row(1, "\"words\" \"1=C\"");
    fx.Row(2, "1 2 3 4 |");
    fx.Select(0, 2, 19, 2);
    Answer(2, 0);
    ShiftStaffs(1, false);
    EXPECT_EQ(fx.At(0, 0).Text, "Title");
    EXPECT_EQ(fx.At(0, 1).Text, "words");
    EXPECT_EQ(fx.At(1, 1).Text, "1 = D"); // the old key text's cell
}

TEST_F(ShiftStaff, CancelTakesNoSnapshotAndChangesNothing) {
    TEditFixture fx(20, 6);
    fx.Row(1, "\"1=C\"");
    fx.Row(2, "1 2 3 4 |");
    fx.Select(3, 2, 5, 2);
    const TPageSets before = fx.win.PageSets;
    Answer(2, 0, mrCancel);
    ShiftStaffs(1, false);
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(fx.win.PageSets == before);
    EXPECT_TRUE(Undo.UndoList.empty());
    EXPECT_FALSE(fx.win.Modified);
    EXPECT_EQ(fx.win.SelCol0, 3);
}

TEST_F(ShiftStaff, LabelsFollowTheDirection) {
    TEditFixture fx(20, 6);
    fx.Row(2, "&G/7{iEnd=18} W:3@2 W:3@1");
    fx.Select(0, 2, 19, 2);
    Answer(1, 0, mrCancel);
    ShiftStaffs(1, true);
    ASSERT_EQ(shown, 1);
    EXPECT_EQ(shownKey, "Current key: 1 = bB");
    EXPECT_EQ(std::vector<std::string>(shownLabels.begin(), shownLabels.begin() + 3),
              (std::vector<std::string>{"B", "C", "#C"}));
    Answer(1, 1, mrCancel);
    ShiftStaffs(1, true);
    EXPECT_EQ(std::vector<std::string>(shownLabels.begin(), shownLabels.begin() + 3),
              (std::vector<std::string>{"A", "bA", "G"}));

    // Jianpu labels from the key text; a fixed-key text reads as C.
    TEditFixture jp(20, 6);
    jp.Row(1, "\"1=bE\"");
    jp.Row(2, "1 2 3 4 |");
    jp.Select(0, 2, 19, 2);
    Answer(1, 0, mrCancel);
    ShiftStaffs(1, false);
    EXPECT_EQ(shownKey, "Current key: 1 = bE");
    EXPECT_EQ(shownLabels[0], "E");
    EXPECT_EQ(shownLabels[9], "#C");
    jp.At(0, 1).Text = "1=C Fixed Key";
    ShiftStaffs(1, false);
    EXPECT_EQ(shownKey, "Current key: 1 = C");
    EXPECT_EQ(shownLabels[0], "#C");
}

struct RefusalCase {
    const char* name;
    std::function<void(TEditFixture&)> fill;
    int scope;
    bool transpose;
    int message;
};

class ShiftStaffRefusals : public ShiftStaff, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(ShiftStaffRefusals, MessageAndNothingChanged) {
    const RefusalCase& tc = GetParam();
    TEditFixture fx(20, 6);
    tc.fill(fx);
    const TPageSets before = fx.win.PageSets;
    Answer(2, 0);
    ShiftStaffs(tc.scope, tc.transpose);
    ASSERT_EQ(fx.messages.shown.size(), 1u);
    EXPECT_EQ(fx.messages.shown[0].id, tc.message);
    EXPECT_TRUE(fx.win.PageSets == before);
    EXPECT_TRUE(Undo.UndoList.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShiftStaffRefusals,
    ::testing::Values(
        RefusalCase{"CursorNotOnJianpu", [](TEditFixture& fx) { fx.Row(2, "1 2 3 4 |").Select(0, 1, 0, 1); }, 1, false,
                    3680},
        RefusalCase{"NoJianpuOnFirstPage", [](TEditFixture& fx) { fx.Row(2, "&G W:3"); }, 0, false, 3678},
        RefusalCase{"JianpuInTransposeRange",
                    [](TEditFixture& fx) { fx.Row(2, "&G W:3").Row(4, "1 2 3 4 |").Select(0, 2, 0, 2); }, 2, true,
                    3681},
        RefusalCase{"NoMusicSelected", [](TEditFixture& fx) { fx.Row(4, "&G W:3").Select(0, 1, 0, 2); }, 1, true, 3314},
        RefusalCase{"MusicInRowZero", [](TEditFixture& fx) { fx.Row(0, "1 2 3 4 |").Select(0, 0, 19, 0); }, 1, false,
                    3313},
        RefusalCase{"MusicRightAbove",
                    [](TEditFixture& fx) { fx.Row(1, "1 2 3 4 |").Row(2, "1 2 3 4 |").Select(0, 2, 19, 2); }, 1, false,
                    3313}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShiftStaff, FirstLineOfTheScoreMustNotBeMusic) {
    // The range check finds the music at row 2; the whole-score shift then
    // refuses a music line in row 0, after the snapshot.
    TEditFixture fx(20, 6);
    fx.Row(0, "&G W:3");
    fx.Row(2, "\"1=C\"");
    fx.Row(3, "1 2 3 4 |");
    TfrmShiftStaff form;
    fx.Select(0, 2, 19, 5);
    ASSERT_TRUE(form.PrepareRange(0));
    EXPECT_FALSE(form.ApplyShift(false));
    ASSERT_EQ(fx.messages.shown.size(), 1u);
    EXPECT_EQ(fx.messages.shown[0].id, 3315);
}

TEST(ShiftStaffNote, FixNoteOctaveMovesByOneOctaveTowardTheSavedNote) {
    TfrmShiftStaff form;
    TCell saved, live;
    saved.yAdj = 2;
    live.yAdj = 8; // an octave low after an upward round trip
    form.Steps = 2;
    form.FixNoteOctave(saved, live);
    EXPECT_EQ(live.yAdj, 1);
    live.yAdj = -4; // already above: stays
    form.FixNoteOctave(saved, live);
    EXPECT_EQ(live.yAdj, -4);
    form.Steps = -3;
    live.yAdj = -3;
    form.FixNoteOctave(saved, live);
    EXPECT_EQ(live.yAdj, 4);
}

} // namespace

namespace {

TEST_F(ShiftStaff, WesternRowInFUpOneIsInGWithItsShapeKept) {
    TEditFixture fx(24, 6);
    fx.Row(2, "&G/6{iEnd=20} T:4/4 W:3@3 W:4@2{opt=3} W:4@1{opt=5} W:22 W:3@0 W:4@4 W:4@-1 | "
              "W:2@2{x=0.5} ~{mark=1,iEnd=12}");
    fx.At(11, 2).MarkY = 10; // a slur of its own cell
    const TPageSets before = fx.win.PageSets;
    fx.win.mitFixedKeyChecked = true;
    fx.Select(0, 2, 23, 2);
    Answer(2, 0);
    ShiftStaffs(1, true);
    EXPECT_EQ(fx.At(0, 2).Note, -1);
    EXPECT_EQ(fx.At(0, 2).Attr, 1u); // G
    for (int c = 2; c <= 10; ++c) {
        const TCell& was = before[0][0][2][size_t(c)];
        const TCell& now = fx.At(c, 2);
        EXPECT_EQ(now.Note, was.Note) << c;     // durations and rests
        EXPECT_EQ(now.option, was.option) << c; // stems and beam groups
        EXPECT_EQ(now.xAdj, was.xAdj) << c;
        if (IsWestNoteCell(was)) {
            EXPECT_EQ(now.yAdj, was.yAdj - 1) << c; // one staff step up
        }
    }
    EXPECT_EQ(fx.At(11, 2).markType, 1);
    EXPECT_EQ(fx.At(11, 2).MarkY, 7); // 1.5 units per half tone
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 24; ++c)
            EXPECT_FALSE(IsJianpuKeyTextCell(fx.At(c, r))) << r << " " << c;
    EXPECT_TRUE(fx.win.mitFixedKeyChecked);
    EXPECT_TRUE(fx.win.ForceSaveAs);
    EXPECT_EQ(Undo.UndoList.size(), 1u);
    EXPECT_TRUE(fx.messages.shown.empty());
    EXPECT_EQ(fx.win.SelRow0, 2);
}

TEST_F(ShiftStaff, RepairKeepsKeyTextsAboveTheConvertedRows) {
    TEditFixture fx(24, 8);
    fx.Row(0, "~ ~ ~ ~ ~ \"1=F\"");
    // a key text of the score among the rows the key-text shift looks at
    fx.Row(3, "~ ~ ~ ~ ~ ~ ~ ~ ~ ~ \"1=F\"");
    fx.Row(5, "&G/6{iEnd=20} W:3@3 W:3@2 W:3@1 W:3@0");
    fx.Select(0, 5, 23, 5);
    Answer(2, 1);
    ShiftStaffs(2, true);
    EXPECT_EQ(fx.At(0, 5).Attr, 8u); // E flat
    EXPECT_EQ(fx.At(1, 5).yAdj, 4);
    EXPECT_EQ(fx.At(5, 0).Text, "1=F");
    EXPECT_EQ(fx.At(10, 3).Text, "1=F"); // as the score had it, not shifted
    int keyTexts = 0;
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 24; ++c)
            keyTexts += IsJianpuKeyTextCell(fx.At(c, r));
    EXPECT_EQ(keyTexts, 2);
}

TEST_F(ShiftStaff, RepairThatCannotRunPutsTheCopyBack) {
    // Three notes in a row do not read as a Jianpu music line after the first
    // conversion, so the row cannot come back as a staff.
    TEditFixture fx(24, 6);
    fx.Row(2, "&G/6{iEnd=20} W:3@3 W:3@2 W:3@1");
    const TPageSets before = fx.win.PageSets;
    fx.Select(0, 2, 23, 2);
    Answer(2, 0);
    ShiftStaffs(1, true);
    EXPECT_TRUE(fx.win.PageSets == before);
    ASSERT_EQ(fx.messages.shown.size(), 1u);
    EXPECT_EQ(fx.messages.shown[0].id, 3680);
    EXPECT_FALSE(fx.win.ForceSaveAs);
    EXPECT_FALSE(fx.win.Modified);
    EXPECT_EQ(fx.win.SelRow1, 2);
}

} // namespace
