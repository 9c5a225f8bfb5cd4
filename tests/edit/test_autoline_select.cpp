// Selection members of the menu commands, automatic Jianpu underlines,
// beat-group swaps, note shifts, Increase Underline and page backgrounds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "edit/modTQCursorKeys.h"
#include "model/modTQCellAccess.h"
#include "model/modTQPredicates.h"
#include "platform/core/TQStrings.h"
#include "tests/edit/TQEditFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

std::vector<int> Underlines(TEditFixture& fx, int row, int from, int to) {
    std::vector<int> out;
    for (int c = from; c <= to; ++c)
        out.push_back(fx.At(c, row).UL);
    return out;
}

} // namespace

TEST(SelectionMembers, TrimKeepsColumnsOfBlankRows) {
    TEditFixture fx(10, 6);
    fx.Row(2, "~ ~ ~ 1 ~ 2");
    fx.Select(1, 1, 8, 1);
    fx.win.TrimSelection();
    EXPECT_EQ(fx.win.SelCol0, 1);
    EXPECT_EQ(fx.win.SelCol1, 8);
    fx.Select(1, 1, 8, 2);
    fx.win.TrimSelection();
    EXPECT_EQ(fx.win.SelCol0, 3);
    EXPECT_EQ(fx.win.SelCol1, 5);
}

TEST(SelectionMembers, FontSizeStepsAndReset) {
    struct Case {
        float start, step, expected;
    } cases[] = {
        {19.5f, 1.0f, 20.0f}, {1.0f, -10.0f, 0.3f}, {2.0f, -100.0f, 0.3f}, {1.0f, 0.5f, 1.5f},
    };
    for (const Case& c : cases) {
        TEditFixture fx(10, 6);
        fx.Row(1, "\"ab\" 1");
        fx.At(0, 1).fontSizeR = c.start;
        fx.At(1, 1).fontSizeR = c.start;
        fx.Select(0, 1, 1, 1);
        fx.win.ChangeFontSize(c.step);
        EXPECT_FLOAT_EQ(fx.At(0, 1).fontSizeR, c.expected) << c.start << " " << c.step;
        EXPECT_FLOAT_EQ(fx.At(1, 1).fontSizeR, c.start) << "a note keeps its size";
        fx.win.ResetFontSize();
        EXPECT_FLOAT_EQ(fx.At(0, 1).fontSizeR, 1.0f);
    }
}

TEST(SelectionMembers, ShrinkRatesAreClamped) {
    struct Case {
        int value;
        bool relative;
        int start, expected;
    } cases[] = {
        {80, false, 0, 65}, {-50, true, -20, -35}, {-1, false, 40, 15}, {10, true, 60, 65}, {30, false, 0, 30},
    };
    for (const Case& c : cases) {
        TEditFixture fx(10, 6);
        fx.Row(1, "1");
        fx.At(0, 1).shrinkRate = c.start;
        fx.Select(0, 1, 0, 1);
        fx.win.ChangeShrinkRate(c.value, c.relative);
        EXPECT_EQ(fx.At(0, 1).shrinkRate, c.expected) << c.value;
    }
}

TEST(SelectionMembers, NextChordOctave) {
    EXPECT_EQ(TMainView::NextChordOctave(3, 0, 5), 0);
    EXPECT_EQ(TMainView::NextChordOctave(5, 0, 3), 1);
    EXPECT_EQ(TMainView::NextChordOctave(5, 2, 5), 3);
}

TEST(SelectionMembers, HalveRowValues) {
    TEditFixture fx(10, 6);
    fx.Row(1, "&G W:8@0 W:3@0 W:27 W:21 W:7@0 W:22");
    fx.win.HalveRowValues(1, true);
    std::vector<int> codes;
    for (int c = 1; c <= 6; ++c)
        codes.push_back(fx.At(c, 1).Note);
    EXPECT_EQ(codes, std::vector<int>({8, 4, 27, 22, 8, 23}));
    ASSERT_EQ(fx.win.Highlights.size(), 2u);
    EXPECT_EQ(fx.win.Highlights[0].col0, 1);
    EXPECT_EQ(fx.win.Highlights[1].col0, 3);

    // Jianpu: a plain note held on by a dash is highlighted up to the dash.
    fx.win.Highlights.clear();
    fx.Row(2, "1 ~ - 2_ . 0 | 3");
    fx.win.HalveRowValues(2, false);
    EXPECT_EQ(Underlines(fx, 2, 0, 7), std::vector<int>({0, 0, 0, 2, 0, 1, 0, 1}));
    ASSERT_EQ(fx.win.Highlights.size(), 1u);
    EXPECT_EQ(fx.win.Highlights[0].col0, 0);
    EXPECT_EQ(fx.win.Highlights[0].col1, 2);
    int dash = -1;
    EXPECT_FALSE(fx.win.IsHeldByDash(7, 2, dash));
}

TEST(AutoUnderline, BeatGroups) {
    struct Case {
        const char* row;
        int beatKind;
        std::vector<int> expected; // columns 0..size-1
    } cases[] = {
        {"1 2 3 |", 1, {1, 1, 1, 0}},
        {"1. 2 3 |", 1, {1, 2, 1, 0}},
        {"1 . |", 0, {0, 0, 0}},
        {"1 2 |", 0, {1, 1, 0}},
        {"1. 2 |", 0, {1, 2, 0}},
        {"1 2 3 |", 0, {1, 2, 2, 0}},
        {"1 2 3 4 |", 0, {2, 2, 2, 2, 0}},
        {"1 2 3 4 |", 2, {3, 3, 3, 3, 0}},
        {"1 2 3 4 5 6 7 1 |", 0, {3, 3, 3, 3, 3, 3, 3, 3, 0}},
    };
    for (const Case& c : cases) {
        TEditFixture fx(12, 6);
        fx.Row(1, c.row);
        int beat = c.beatKind;
        fx.win.AutoUnderlineJianpuRow(fx.win.PageSets[0][0][1], 1, false, beat);
        EXPECT_EQ(Underlines(fx, 1, 0, static_cast<int>(c.expected.size()) - 1), c.expected) << c.row;
    }
}

TEST(AutoUnderline, TimeSignatureSetsTheBeatKind) {
    TEditFixture fx(12, 6);
    fx.Row(0, "T:3/4");
    fx.Row(2, "1 2 3 | T:6/8 1 2 3 4 |");
    EXPECT_EQ(fx.win.FindBeatKind(2), 1);
    EXPECT_EQ(fx.win.FindBeatKind(0), 0);
    fx.Select(0, 2, 0, 2);
    fx.win.Selected1();
    EXPECT_EQ(Underlines(fx, 2, 0, 3), std::vector<int>({1, 1, 1, 0}));
    EXPECT_EQ(Underlines(fx, 2, 5, 8), std::vector<int>({3, 3, 3, 3}));
    EXPECT_EQ(fx.win.SelCol1, 11); // a one-column selection takes the whole row
}

TEST(AutoUnderline, SmallNotesOfAShrunkCell) {
    TEditFixture fx(12, 6);
    TCell& cell = fx.At(0, 1);
    cell.Attr = 0xA0;
    for (int code : {'1', '2', '3'}) {
        TCompressNote n;
        n.code = code;
        cell.CompressNotes.push_back(n);
    }
    fx.win.AutoUnderlineSmallNotes(cell);
    std::vector<int> ul;
    for (const TCompressNote& n : cell.CompressNotes)
        ul.push_back(n.value);
    EXPECT_EQ(ul, std::vector<int>({1, 2, 2}));
}

TEST(NoteShift, StepDegree) {
    struct Case {
        int note, steps, expected, octave;
    } cases[] = {
        {'7', 1, '1', 1}, {'1', -1, '7', -1}, {'0', 1, '0', 0}, {'3', 1, '4', 0}, {'3', -1, '2', 0},
    };
    for (const Case& c : cases) {
        int octave = 0;
        EXPECT_EQ(TMainView::StepDegree(c.note, c.steps, nullptr, &octave), c.expected) << char(c.note);
        EXPECT_EQ(octave, c.octave) << char(c.note);
    }
}

TEST(NoteShift, ShiftNotesOfTheSelection) {
    TEditFixture fx(12, 6);
    fx.Row(1, "7 2' \"7\" 5");
    fx.Row(2, "&G W:3@2");
    fx.Select(0, 1, 3, 2);
    fx.win.mit1vaHigherClick();
    EXPECT_EQ(fx.At(0, 1).Note, '1');
    EXPECT_EQ(fx.At(0, 1).dot, 1);
    EXPECT_EQ(fx.At(1, 1).Note, '3');
    EXPECT_EQ(fx.At(2, 1).Text.str(), "7"); // not a note cell
    EXPECT_FLOAT_EQ(fx.At(1, 2).yAdj, 1.0f);
    fx.win.mit8vaLowerClick();
    EXPECT_EQ(fx.At(3, 1).dot, -1);
    EXPECT_FLOAT_EQ(fx.At(1, 2).yAdj, 8.0f);
    // Not cellType 0: unchanged.
    TCell other = TScoreFixture::Cell("5");
    other.cellType = 1;
    const TCell before = other;
    fx.win.ShiftCell(other, 7);
    EXPECT_EQ(other, before);
}

TEST(BeatSwap, SwappingTwiceRestores) {
    TEditFixture fx(12, 6);
    fx.Row(1, "1_ 2__ 3__ |");
    fx.Row(2, "&G W:4@0 W:5@0 W:5@0");
    fx.Select(0, 1, 0, 1);
    fx.win.btnSwapUnderline();
    EXPECT_EQ(Underlines(fx, 1, 0, 2), std::vector<int>({2, 2, 1}));
    EXPECT_EQ(fx.win.SelCol1, 0);
    fx.win.btnSwapUnderline();
    EXPECT_EQ(Underlines(fx, 1, 0, 2), std::vector<int>({1, 2, 2}));
    fx.Select(1, 2, 1, 2);
    fx.win.btnSwapUnderline();
    EXPECT_EQ(fx.At(1, 2).Note, 5);
    EXPECT_EQ(fx.At(3, 2).Note, 4);
    Undo.UndoStep();
    EXPECT_EQ(fx.At(1, 2).Note, 4);
    EXPECT_EQ(fx.At(3, 2).Note, 5);
}

TEST(IncreaseUnderline, ReportsTheShortestNotes) {
    TEditFixture fx(12, 6);
    fx.Row(1, "&G W:8@0 W:4@0 W:27 W:8@2");
    fx.Row(3, "1 2_");
    fx.win.mitIncreaseUnderline();
    EXPECT_EQ(fx.At(2, 1).Note, 5);
    EXPECT_EQ(Underlines(fx, 3, 0, 1), std::vector<int>({1, 2}));
    ASSERT_EQ(fx.messages.shown.size(), 1u);
    EXPECT_EQ(fx.messages.shown[0].id, 1033);
    // string 1033, the count, string 1039
    EXPECT_NE(fx.messages.shown[0].text.find("3" + GetStringById(1039)), std::string::npos);
    EXPECT_EQ(fx.win.Highlights.size(), 3u);
}

TEST(PageBackground, RemoveStopAndSet) {
    TEditFixture fx(12, 6, 4);
    auto bg = [](const char* file) {
        TCell c;
        c.cellType = ctImage;
        c.Note = 200119;
        c.Text = file;
        return c;
    };
    fx.At(0, 0, 0) = bg("a.png");
    fx.win.CurPage = 2;
    EXPECT_EQ(fx.win.CurrentBackgroundFile(), "");
    fx.win.RemoveBackgroundImage();
    EXPECT_TRUE(IsEmptyCell(fx.At(0, 0, 0)));
    Undo.UndoStep();
    EXPECT_EQ(fx.At(0, 0, 0).Text.str(), "a.png");

    fx.win.CurPage = 2;
    fx.win.StopBackgroundImage();
    EXPECT_EQ(fx.At(0, 0, 2).Note, 200119);
    EXPECT_TRUE(fx.At(0, 0, 2).Text.empty());
    EXPECT_EQ(fx.At(0, 0, 0).Text.str(), "a.png");

    fx.win.CurPage = 3;
    fx.win.SetBackgroundImage("b.jpg", false);
    EXPECT_EQ(fx.win.CurrentBackgroundFile(), "b.jpg");
    EXPECT_EQ(fx.At(0, 0, 3).shrinkRate, 1);
    fx.win.CurPage = 1;
    fx.win.StopBackgroundImage(); // from page 0's background on
    EXPECT_EQ(fx.At(0, 0, 1).Note, 200119);
}

TEST(SidePicture, StepsThroughTheFolder) {
    tqtest::TempDir dir;
    for (const char* name : {"a.png", "b.png", "c.png", "d.jpg"})
        std::ofstream(dir / name) << "x";
    const std::string a = (dir / "a.png").string(), b = (dir / "b.png").string(), c = (dir / "c.png").string();
    EXPECT_EQ(TMainView::StepSideImageFile(a, 1), b);
    EXPECT_EQ(TMainView::StepSideImageFile(c, 1), a); // wraps to the first
    EXPECT_EQ(TMainView::StepSideImageFile(a, -1), a); // stops at the first
    EXPECT_EQ(TMainView::StepSideImageFile(c, -1), b);
}

TEST(SelectionMembers, FindTextAndImageCellsMoveTheCursor) {
    TEditFixture fx(12, 6);
    fx.Row(1, "1 ~ \"ab\"");
    TCell& img = fx.At(1, 2);
    img.cellType = ctImage;
    img.Text = "pic.png";
    fx.Select(0, 1, 3, 2);
    EXPECT_EQ(fx.win.FindTextCellInSelection(), "ab");
    EXPECT_EQ(fx.win.SelCol0, 2);
    EXPECT_EQ(fx.win.SelRow0, 1);
    fx.Select(0, 1, 3, 2);
    EXPECT_EQ(fx.win.FindImageCellInSelection(), "pic.png");
    EXPECT_EQ(fx.win.SelCol0, 1);
    EXPECT_EQ(fx.win.SelRow0, 2);
    // no image: the page background's picture
    fx.Select(3, 3, 4, 4);
    EXPECT_EQ(fx.win.FindTextCellInSelection(), "");
    EXPECT_EQ(fx.win.FindImageCellInSelection(), "");
    fx.win.SetBackgroundImage("back.jpg", false);
    EXPECT_EQ(fx.win.FindImageCellInSelection(), "back.jpg");
}

TEST(AutoUnderline, CurrentPageAndAllPages) {
    TEditFixture fx(12, 6, 2);
    fx.Row(0, "T:3/4", 0);
    fx.Row(2, "1 2 3 |", 0);
    fx.Row(1, "&G W:3@0 W:3@0", 0);
    fx.Row(2, "1 2 3 |", 1);
    fx.win.CurPage = 1;
    fx.win.mitCurrentPage(); // the time signature of the earlier page counts
    std::vector<int> p1;
    for (int c = 0; c <= 3; ++c)
        p1.push_back(fx.At(c, 2, 1).UL);
    EXPECT_EQ(p1, std::vector<int>({1, 1, 1, 0}));
    EXPECT_EQ(Underlines(fx, 2, 0, 3), std::vector<int>({0, 0, 0, 0})); // page 0 untouched
    Undo.UndoStep();
    EXPECT_EQ(fx.At(0, 2, 1).UL, 0);

    fx.win.mitAutoLineAll();
    EXPECT_EQ(Underlines(fx, 2, 0, 3), std::vector<int>({1, 1, 1, 0}));
    EXPECT_EQ(fx.At(1, 2, 1).UL, 1);
    EXPECT_EQ(fx.win.CurPage, 0);
    Undo.UndoStep(); // one step takes every page back
    EXPECT_EQ(fx.At(0, 2, 0).UL, 0);
    EXPECT_EQ(fx.At(0, 2, 1).UL, 0);
}

TEST(Shrink, OneColumnTakesTheNoteRunAndASecondClickSplitsIt) {
    TEditFixture fx(12, 6);
    fx.Row(1, "| 1_ 2_ 3_ ~ 5");
    // an empty cell right of the run: the cursor steps left onto it and takes the run
    fx.Select(4, 1, 4, 1);
    fx.win.btnShrinkClick();
    EXPECT_TRUE(IsShrinkCell(fx.At(1, 1)));
    EXPECT_EQ(fx.At(1, 1).CompressNotes.size(), 3u);
    EXPECT_EQ(fx.At(5, 1).Note, '5'); // not part of the run
    EXPECT_TRUE(fx.win.Modified);
    fx.Select(1, 1, 1, 1);
    fx.win.btnShrinkClick();
    EXPECT_FALSE(IsShrinkCell(fx.At(1, 1)));
    EXPECT_EQ(fx.At(1, 1).Note, '1');
    EXPECT_EQ(fx.At(3, 1).Note, '3');
}
