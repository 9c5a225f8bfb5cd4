#include <gtest/gtest.h>

#include <regex>

#include "palettes/modTQMath.h"
#include "palettes/modTQPaletteHooks.h"
#include "platform/core/TQCodec.h"
#include "tests/palettes/TQPaletteFixture.h"

namespace {

std::string Utf8(const std::string& gbk) {
    std::string out;
    CharsetToUtf8(gbk, 134, out);
    return out;
}

TEST(MathSheet, ExerciseKindsKeepTheirRules) {
    TMathSheet m;
    m.Seed(12345);
    for (int i = 0; i < 3000; ++i) {
        const int kind = i % 9;
        const TMathExercise e = m.Make(kind);
        const std::string text = Utf8(e.text);
        SCOPED_TRACE(text);
        if (kind == 3) {
            EXPECT_GE(e.remainder, 1);
            EXPECT_LT(e.result, 10);
        }
        if (kind == 8) {
            EXPECT_NE(text.find(" = "), std::string::npos);
        }
        if (kind == 6) {
            EXPECT_LT(e.result, 200);
        }
        if (kind == 1) {
            EXPECT_GE(e.result, 1);
        }
        EXPECT_GE(e.result, 0);
    }
}

TEST(MathSheet, SheetWithAndWithoutAnswerPage) {
    TPaletteFixture fx(60, 20);
    TMathSheet m;
    m.Today = [] { return std::string("2026-12-10"); };
    m.Seed(7);
    m.PageNumber = 3;
    ASSERT_TRUE(m.MakePage());
    TMainScore& s = fx.view;
    const int t = std::max(0, s.Cols / 2 - 8), u = std::max(1, s.Cols - 5);
    const auto& p0 = s.PageSets[0][0];
    EXPECT_EQ(Utf8(p0[0][std::size_t(t)].Text), "数学练习题 - 2026-12-10");
    EXPECT_EQ(Utf8(p0[0][std::size_t(u)].Text), "第 3 页");
    EXPECT_EQ(s.PageSets[0].size(), 1u);
    const std::string first = Utf8(p0[4][2].Text);
    // The generator is fixed: a seed gives the same sheet everywhere.
    EXPECT_EQ(first, "1)  72 - (40 - 32) = ");
    EXPECT_EQ(Utf8(p0[9][22].Text), "4)  27 + 7 × 7 = ");
    EXPECT_TRUE(std::regex_match(first, std::regex(R"(1\)  .* = ( )?(\d+)?)"))) << first;
    // Same seed with the answer page: page 1 holds the same exercises with results.
    m.Seed(7);
    m.WithAnswers = true;
    ASSERT_TRUE(m.MakePage());
    ASSERT_GE(s.PageSets[0].size(), 2u);
    const auto& a0 = s.PageSets[0][0];
    const auto& a1 = s.PageSets[0][1];
    EXPECT_EQ(Utf8(a0[4][2].Text), first);
    int exercises = 0;
    for (int row = 4; row < s.Rows; row += 5)
        for (int col = 2; col < s.Cols - 10; col += 20) {
            const std::string q = Utf8(a0[std::size_t(row)][std::size_t(col)].Text);
            const std::string a = Utf8(a1[std::size_t(row)][std::size_t(col)].Text);
            ASSERT_FALSE(q.empty());
            EXPECT_EQ(q.rfind(std::to_string(++exercises) + ")  ", 0), 0u) << q;
            // No exercise text gets a second " = ".
            EXPECT_EQ(q.find(" = "), q.rfind(" = ")) << q;
            EXPECT_GT(a.size(), q.size() - 3) << a;
        }
    EXPECT_EQ(exercises, 4 * 3);
    EXPECT_EQ(Utf8(a1[0][std::size_t(t)].Text), "数学练习题答案  - 2026-12-10");
}

TEST(MathSheet, PrintCountThreeFromPageFive) {
    TPaletteFixture fx(60, 20);
    std::vector<std::string> printedNumbers, sheets;
    PaletteHooks().PrintScore = [&](int, int, int) {
        const int u = fx.view.Cols - 5;
        printedNumbers.push_back(Utf8(fx.view.PageSets[0][0][0][std::size_t(u)].Text));
        std::string sheet;
        for (int row = 4; row < fx.view.Rows; row += 5)
            for (int col = 2; col < fx.view.Cols - 10; col += 20)
                sheet += fx.view.PageSets[0][0][std::size_t(row)][std::size_t(col)].Text + "|";
        sheets.push_back(sheet);
    };
    TMathSheet m;
    m.PageNumber = 5;
    m.PrintCount = 3;
    ASSERT_TRUE(m.MakePage());
    m.PrintSheets();
    EXPECT_EQ(printedNumbers, (std::vector<std::string>{"第 5 页", "第 6 页", "第 7 页"}));
    EXPECT_EQ(m.PageNumber, 7);
    // Made within the same second, the three sheets still differ.
    ASSERT_EQ(sheets.size(), 3u);
    EXPECT_NE(sheets[0], sheets[1]);
    EXPECT_NE(sheets[1], sheets[2]);
    PaletteHooks().PrintScore = nullptr;
}

} // namespace

#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>

#include "palettes/frmTQMath.h"
#include "tests/support/TQTestSupport.h"

namespace {

TEST(MathForm, ShowsASheetAndPrintsFromTheEdits) {
    TPaletteFixture fx(60, 20);
    std::vector<std::string> printed;
    PaletteHooks().PrintScore = [&](int from, int to, int copies) {
        const int u = fx.view.Cols - 5;
        printed.push_back(Utf8(fx.view.PageSets[0][0][0][std::size_t(u)].Text) + " " + std::to_string(from) + "-" +
                          std::to_string(to) + "x" + std::to_string(copies));
    };
    TfrmMath f;
    f.Today = [] { return std::string("2026-12-10"); };
    f.Seed(7);
    f.show();
    // Showing draws a first sheet at once.
    EXPECT_EQ(Utf8(fx.At(2, 4).Text), "1)  72 - (40 - 32) = ");
    EXPECT_EQ(Utf8(fx.At(fx.view.Cols - 5, 0).Text), "第 1 页");
    tqtest::SavePngIfWanted(f.grab().toImage(), "dialog_math");

    // Leaving the page edit writes the new number; another page keeps it.
    f.edtPageN->setText(QStringLiteral("4"));
    f.edtPageNExit();
    EXPECT_EQ(Utf8(fx.At(fx.view.Cols - 5, 0).Text), "第 4 页");
    f.btnDoMath->click();
    EXPECT_EQ(f.PageNumber, 4);
    EXPECT_NE(Utf8(fx.At(2, 4).Text), "1)  72 - (40 - 32) = ");
    EXPECT_EQ(fx.view.PageSets[0].size(), 1u);
    f.chkAns->click();
    ASSERT_EQ(fx.view.PageSets[0].size(), 2u);
    EXPECT_EQ(Utf8(fx.At(fx.view.Cols - 5, 0, 0, 1).Text), "第 4 页");

    // A 0 is ignored when the edit is left.
    f.edtPrintN->setText(QStringLiteral("0"));
    f.edtPrintNExit();
    EXPECT_EQ(f.PrintCount, 1);
    f.edtPageN->setText(QStringLiteral("5"));
    f.edtPrintN->setText(QStringLiteral("3"));
    f.btnPrintMath->click();
    EXPECT_EQ(printed, (std::vector<std::string>{"第 5 页 1-2x1", "第 6 页 1-2x1", "第 7 页 1-2x1"}));
    EXPECT_EQ(f.PageNumber, 7);
    EXPECT_EQ(f.edtPageN->text(), QStringLiteral("7"));
    PaletteHooks().PrintScore = nullptr;
}

} // namespace
