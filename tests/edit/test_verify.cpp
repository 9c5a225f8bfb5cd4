// The measure beat check: ticks per measure, marks, the guessed time signature,
// scopes, and that the check leaves the score as it was.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "edit/modTQVerify.h"
#include "lang/modTQLanguage.h"
#include "tests/edit/TQEditFixture.h"

namespace {

struct TickCase {
    const char* name;
    const char* row;
    int ticks;  // of the row's only measure
    bool marked;
};

class VerifyTicks : public ::testing::TestWithParam<TickCase> {};

TEST_P(VerifyTicks, MeasureTotalAndMark) {
    const TickCase& tc = GetParam();
    TEditFixture fx(16, 4);
    fx.Row(0, "T:4/4");
    fx.Row(2, tc.row);
    TTQVerify v(0, true);
    ASSERT_TRUE(v.VerifyMeasures());
    EXPECT_EQ(v.AverageTicks, float(tc.ticks));
    EXPECT_EQ(v.PageMeasures[0][0].size(), tc.marked ? 1u : 0u);
    EXPECT_TRUE(fx.win.Highlights.empty()); // own lists only
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VerifyTicks,
    ::testing::Values(
        TickCase{"FourQuarters", "&G W:3 W:3 W:3 W:3 |", 128, false},
        TickCase{"ThreeQuarters", "&G W:3 W:3 W:3 |", 96, true},
        TickCase{"EighthTripletUnderMark", "&G W:4{mark=56,iEnd=3} W:4 W:4 W:3 W:3 W:3 |", 128, false},
        TickCase{"LoneTripletIsOneQuarter", "&G W:4{mark=56,iEnd=3} W:4 W:4 |", 32, true},
        TickCase{"DottedQuarter", "&G W:3. |", 48, true},
        TickCase{"DoubleDottedQuarter", "&G W:3.. |", 56, true},
        TickCase{"WholeRestFillsMeasure", "&G W:20 |", 128, false},
        TickCase{"GraceSizedNoteNotCounted", "&G W:3 W:3 W:3 W:3 W:4{size=0.5} |", 128, false},
        TickCase{"JianpuDashAndDot", "1 - 2 . 3_ |", 128, false},
        TickCase{"JianpuUnderlinesShort", "1 2 3_ 4_ |", 96, true},
        TickCase{"JianpuWholeMeasureRest", "0{mark=87} |", 128, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Verify, WholeRestFillsAThreeFourMeasure) {
    TEditFixture fx(16, 4);
    fx.Row(2, "&G T:3/4 W:20 | W:3 W:3 |");
    TTQVerify v(0, true);
    ASSERT_TRUE(v.VerifyMeasures());
    ASSERT_EQ(v.PageMeasures[0][0].size(), 1u);
    EXPECT_EQ(v.PageMeasures[0][0][0], (TMeasure{4, 5, 2, 0, 0}));
}

TEST(Verify, SimplifiedTripletsAfterAMarkedTriplet) {
    // Measure 1: a marked eighth triplet and three quarters; measure 2: six
    // beamed eighths without a mark and two quarters.
    const char* row = "&G T:4/4 W:4{mark=56,iEnd=4} W:4 W:4 W:3 W:3 W:3 | "
                      "W:4{opt=2} W:4 W:4 W:4 W:4 W:4{opt=4} W:3 W:3 |";
    for (bool allow : {true, false}) {
        TEditFixture fx(24, 4);
        fx.Row(2, row);
        TTQVerify v(0, true);
        v.AllowSimplifiedTriplets = allow;
        ASSERT_TRUE(v.VerifyMeasures());
        EXPECT_EQ(v.TripletSize, allow ? 3 : 0);
        // with the rule the six eighths are two triplets (64), else 96
        EXPECT_EQ(v.AverageTicks, allow ? 128.0f : 144.0f) << allow;
        EXPECT_EQ(v.PageMeasures[0][0].size(), allow ? 0u : 1u) << allow;
    }
}

TEST(Verify, NoteTicksAndTicksPerMeasure) {
    EXPECT_EQ(TTQVerify::NoteTicks(1, 3), 32);
    EXPECT_EQ(TTQVerify::NoteTicks(2, 5), 32);
    EXPECT_EQ(TTQVerify::NoteTicks(1, 2), 48);
    EXPECT_EQ(TTQVerify::NoteTicks(2, 4), 48);
    EXPECT_EQ(TTQVerify::NoteTicks(0, 1), 32);
    EXPECT_EQ(TTQVerify::NoteTicks(3, 11), 32);
    EXPECT_EQ(TTQVerify::TicksPerMeasure(6, 8), 96);
    EXPECT_EQ(TTQVerify::TicksPerMeasure(3, 4), 96);
    EXPECT_EQ(TTQVerify::TicksPerMeasure(3, 0), 0);
    EXPECT_EQ(TTQVerify::TicksPerMeasure(INT_MAX, 1), INT_MAX);
}

class VerifyRun : public ::testing::Test {
protected:
    void SetUp() override {
        Language->UseChinese = false;
        ASSERT_TRUE(Language->LoadLanguageDll());
        VerifyAllowSimplifiedTriplets() = false;
    }
};

TEST_F(VerifyRun, GuessedTimeSignatureAsksAndNoEndsWithoutMarks) {
    TEditFixture fx(16, 4);
    fx.Row(2, "&G W:3 W:3 W:3 | W:3 W:3 W:3 |");
    const TPageSets before = fx.win.PageSets;
    fx.messages.Answer(mrNo);
    RunVerify(0);
    ASSERT_EQ(fx.messages.shown.size(), 1u);
    EXPECT_EQ(fx.messages.shown[0].id, 1041);
    EXPECT_EQ(fx.messages.shown[0].buttons, mbYesNo);
    EXPECT_EQ(fx.messages.shown[0].text, Language->GetString(1041) + "3/4.");
    EXPECT_TRUE(fx.win.Highlights.empty());
    EXPECT_TRUE(fx.win.PageSets == before);

    // Yes takes 3/4: both measures are right.
    fx.messages.Clear();
    fx.messages.Answer(mrYes);
    RunVerify(0);
    ASSERT_EQ(fx.messages.shown.size(), 2u);
    EXPECT_EQ(fx.messages.shown[1].id, 1040);
    EXPECT_TRUE(fx.win.Highlights.empty());
}

TEST_F(VerifyRun, ReportCountsMarksAndGoesToTheirPage) {
    TEditFixture fx(16, 6, 2);
    fx.Row(0, "T:4/4");
    fx.Row(2, "&G W:3 W:3 W:3 W:3 | W:3 |", 1);
    fx.Row(4, "&G W:3 |", 1);
    RunVerify(0);
    EXPECT_FALSE(fx.win.Modified);
    ASSERT_EQ(fx.win.Highlights.size(), 2u);
    EXPECT_EQ(fx.win.Highlights[0], (TMeasure{6, 6, 2, 1, 0}));
    EXPECT_EQ(fx.win.CurPage, 1);
    ASSERT_EQ(fx.messages.shown.size(), 1u);
    // the message reads: opening word, the count, then the rest of the sentence
    EXPECT_EQ(fx.messages.shown[0].id, 1033);
    EXPECT_EQ(fx.messages.shown[0].text, Language->GetString(1033) + "2" + Language->GetString(1039));
    mitClearVerifyResultClick();
    EXPECT_TRUE(fx.win.Highlights.empty());
}

TEST_F(VerifyRun, OneWrongMeasureIsReportedInTheSingular) {
    TEditFixture fx(16, 6);
    fx.Row(0, "T:4/4");
    fx.Row(2, "&G W:3 W:3 W:3 W:3 | W:3 W:3 W:3 |"); // three quarters in the second measure
    RunVerify(0);
    ASSERT_EQ(fx.win.Highlights.size(), 1u);
    ASSERT_EQ(fx.messages.shown.size(), 1u);
    EXPECT_EQ(fx.messages.shown[0].text, "In all, 1 measure may be wrong. It is highlighted in yellow; please check it.");
}

TEST_F(VerifyRun, ScopesLimitRowsFromTheStartPageOn) {
    TEditFixture fx(16, 6, 2);
    fx.Row(0, "T:4/4");
    for (int p = 0; p < 2; ++p) {
        fx.Row(1, "&G W:3 |", p);
        fx.Row(3, "&G W:3 |", p);
    }
    fx.win.CurPage = 1;
    fx.Select(2, 3, 2, 3);
    RunVerify(2); // the selected rows of page 1 and later
    ASSERT_EQ(fx.win.Highlights.size(), 1u);
    EXPECT_EQ(fx.win.Highlights[0].page, 1);
    EXPECT_EQ(fx.win.Highlights[0].row, 3);

    fx.Select(2, 1, 2, 1);
    RunVerify(1); // from the cursor row on, page 1 and later
    ASSERT_EQ(fx.win.Highlights.size(), 2u);
    EXPECT_EQ(fx.win.Highlights[0].page, 1);

    RunVerify(0);
    EXPECT_EQ(fx.win.Highlights.size(), 4u);
}

TEST(Verify, TheScoreIsNotChanged) {
    // A twin page whose layer-1 cells sit under a bar line and a clef of layer 0
    // (passed over, not emptied), and time signatures of 0 beats or a 0 unit.
    TEditFixture fx(16, 6, 1, 1);
    fx.Row(0, "T:0/4 T:3/0");
    fx.Row(2, "&G T:4/4 W:3 W:3 W:3 W:3 |");
    fx.Row(2, "W:3 ~ W:3 W:3 W:3 W:3 W:3", 0, 1);
    fx.Row(4, "1 2 3 4_ |");
    const TPageSets before = fx.win.PageSets;
    TTQVerify v(0, false);
    ASSERT_TRUE(v.VerifyMeasures());
    EXPECT_TRUE(fx.win.PageSets == before);
    // Only the Jianpu row of 112 ticks is marked; the twin row holds 128.
    ASSERT_EQ(fx.win.Highlights.size(), 1u);
    EXPECT_EQ(fx.win.Highlights[0].row, 4);
    EXPECT_EQ(fx.win.Highlights[0].layer, 0);
    EXPECT_EQ(CurLayer, 0);
}

TEST_F(VerifyRun, TwinLayerMarkUsesTheRowAbove) {
    TEditFixture fx(16, 6, 1, 1);
    fx.Row(0, "T:4/4");
    fx.Row(3, "&G W:3 W:3 W:3 W:3 |");
    fx.Row(3, "~ W:3 W:3 W:3", 0, 1);
    RunVerify(0);
    ASSERT_EQ(fx.win.Highlights.size(), 1u);
    EXPECT_EQ(fx.win.Highlights[0], (TMeasure{1, 4, 2, 0, 1}));
}

} // namespace
