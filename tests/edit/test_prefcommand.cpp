// Applying changed preferences to the running window, and Specify Compression.
#include <gtest/gtest.h>

#include "edit/modTQPrefCommand.h"
#include "lang/modTQLanguage.h"
#include "tests/edit/TQEditFixture.h"

namespace {

// Every page of both layers has the grid's shape.
::testing::AssertionResult AllPagesFitTheGrid(const TEditWindow& w) {
    for (int l = 0; l < 2; ++l)
        for (size_t p = 0; p < w.PageSets[l].size(); ++p) {
            const TPage& page = w.PageSets[l][p];
            if (int(page.size()) != w.Rows + 1)
                return ::testing::AssertionFailure() << "layer " << l << " page " << p << ": " << page.size() << " rows";
            for (const TCellRow& cells : page)
                if (int(cells.size()) != w.Cols + 1)
                    return ::testing::AssertionFailure() << "layer " << l << " page " << p << ": " << cells.size()
                                                         << " columns";
        }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(PrefCommand, ChangeLevels) {
    struct Case {
        const char* name;
        TPreferenceResult result;
        int leftMargin; // the left margin the dialog set
        bool modified, regridded;
    };
    const std::vector<Case> cases = {
        {"colours only", {1, true, false, false}, 60, false, false},
        {"a font", {2, false, false, false}, 60, true, false},
        {"a narrower margin", {3, false, false, false}, 10, true, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TEditFixture fx(0, 0, 2, 1);
        const int oldCols = fx.win.Cols;
        fx.Row(3, "&G{iEnd=" + std::to_string(oldCols - 1) + "} W:3 |");
        fx.Row(6, "&G{iEnd=20} W:3 |");
        fx.Row(2, "1 2 3", 1, 0);
        fx.Select(4, 5, 6, 7);
        Undo.SaveUndo();
        const TPageGeometry before = TakePageGeometry(fx.win);
        const int oldPx = fx.win.GetCellWidth();
        fx.win.LeftMargin = k.leftMargin;
        int drawn = 0;
        fx.win.OnPageDrawn = [&] { ++drawn; };

        EXPECT_TRUE(ApplyPreferenceChanges(k.result, before, oldPx));
        EXPECT_GT(drawn, 0); // every level redraws the page

        EXPECT_EQ(fx.win.Modified, k.modified);
        EXPECT_TRUE(fx.messages.shown.empty());
        EXPECT_TRUE(AllPagesFitTheGrid(fx.win));
        EXPECT_EQ(fx.At(1, 2, 1).Note, '2');
        if (k.regridded) {
            EXPECT_GT(fx.win.Cols, oldCols);
            EXPECT_LE(fx.win.Cols, oldCols + 5);
            EXPECT_TRUE(Undo.UndoList.empty());
            EXPECT_EQ(fx.win.SelCol0, 0);
            EXPECT_EQ(fx.win.SelRow0, 0);
            EXPECT_EQ(fx.win.SelCol1, 0);
            EXPECT_EQ(fx.win.SelRow1, 0);
            EXPECT_EQ(fx.At(0, 3).iEnd, fx.win.Cols - 1); // reached the old edge: reaches the new one
            EXPECT_EQ(fx.At(0, 6).iEnd, 20);
        } else {
            EXPECT_EQ(fx.win.Cols, oldCols);
            EXPECT_EQ(Undo.UndoList.size(), 1u);
            EXPECT_EQ(fx.win.SelCol0, 4);
        }
    }
}

TEST(PrefCommand, ShrinkingTheGridAsksBeforeDroppingCells) {
    // The English strings, whichever test ran before.
    Language->UseChinese = false;
    ASSERT_TRUE(Language->LoadLanguageDll());
    for (int answer : {mrNo, mrYes}) {
        SCOPED_TRACE(answer);
        TEditFixture fx(0, 0, 1, 1);
        const int oldCols = fx.win.Cols, oldRows = fx.win.Rows;
        fx.At(oldCols - 2, 1) = TScoreFixture::Cell("5");
        fx.At(oldCols - 3, 2, 0, 1) = TScoreFixture::Cell("6");
        fx.At(3, 4) = TScoreFixture::Cell("~{mark=28,iEnd=" + std::to_string(oldCols - 2) + ",jEnd=5}");
        Undo.SaveUndo();
        const TPageGeometry before = TakePageGeometry(fx.win);
        const int oldPx = fx.win.GetCellWidth();
        fx.win.CellWidth = 20; // fewer columns
        fx.messages.Answer(answer);

        const bool applied = ApplyPreferenceChanges({3, false, false, false}, before, oldPx);

        ASSERT_EQ(fx.messages.shown.size(), 1u);
        EXPECT_EQ(fx.messages.shown[0].id, 1056);
        EXPECT_EQ(fx.messages.shown[0].text, Language->GetString(1056) + "2"); // two cells outside
        EXPECT_EQ(applied, answer == mrYes);
        if (answer == mrNo) {
            EXPECT_EQ(fx.win.Cols, oldCols);
            EXPECT_EQ(fx.win.Rows, oldRows);
            EXPECT_EQ(fx.win.CellWidth, 15);
            EXPECT_EQ(fx.At(oldCols - 2, 1).Note, '5');
            EXPECT_EQ(Undo.UndoList.size(), 1u);
            EXPECT_FALSE(fx.win.Modified);
        } else {
            EXPECT_LT(fx.win.Cols, oldCols);
            EXPECT_EQ(fx.win.CellWidth, 20);
            EXPECT_TRUE(AllPagesFitTheGrid(fx.win));
            EXPECT_EQ(fx.At(3, 4).iEnd, fx.win.Cols - 1); // kept cells end inside the grid
            EXPECT_TRUE(Undo.UndoList.empty());
            EXPECT_TRUE(fx.win.Modified);
        }
    }
}

TEST(PrefCommand, SpecifiedCompressionAndItsDefaults) {
    struct Case {
        const char* token;
        int west, vert, jianpu;
    };
    const std::vector<Case> cases = {
        {"W:3", 10, 15, 15},
        {"1{attr=0xB0}", 0, 10, 15},
        {"1{attr=0xA0}", 0, 15, 10},
        {"1{attr=0xC0}", 0, 15, 15}, // a grace note keeps the defaults
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.token);
        TEditFixture fx(12, 6);
        fx.win.DefWestShrinkRate = 0;
        fx.win.DefJianpuVertRate = 15;
        fx.win.DefJianpuShrinkRate = 15;
        fx.Row(1, std::string(k.token) + " 2 |: 3");
        fx.Select(0, 1, 3, 1);
        ApplySpecifiedCompression(fx.At(0, 1), 10, true);
        EXPECT_EQ(fx.At(0, 1).shrinkRate, 10);
        EXPECT_EQ(fx.At(1, 1).shrinkRate, 10);
        EXPECT_EQ(fx.At(2, 1).shrinkRate, 0); // the repeat sign
        EXPECT_EQ(fx.At(3, 1).shrinkRate, 10);
        EXPECT_TRUE(fx.win.Modified);
        EXPECT_EQ(Undo.UndoList.size(), 1u);
        EXPECT_EQ(fx.win.DefWestShrinkRate, k.west);
        EXPECT_EQ(fx.win.DefJianpuVertRate, k.vert);
        EXPECT_EQ(fx.win.DefJianpuShrinkRate, k.jianpu);
    }
    EXPECT_EQ(CompressionSpinValue(0), 80);
    EXPECT_EQ(CompressionSpinValue(-20), 45);
}

TEST(PrefCommand, ALanguageChangeRelocalisesAndRegrids) {
    TEditFixture fx(0, 0, 2, 2);
    const bool chinese = Language->UseChinese;
    fx.Row(2, "1 2 3", 1, 1);
    fx.Select(3, 3, 3, 3);
    Undo.SaveUndo();
    int relocalised = 0;
    std::string caption;
    TPreferenceHooks hooks;
    hooks.Relocalise = [&] { ++relocalised; };
    hooks.SetUseChineseCaption = [&](const std::string& text) { caption = text; };
    // The language the program already speaks, so the run leaves it as it was.
    EXPECT_TRUE(ApplyPreferenceChanges({3, false, true, chinese}, TakePageGeometry(fx.win), fx.win.GetCellWidth(),
                                       hooks));
    EXPECT_EQ(relocalised, 1);
    EXPECT_EQ(caption, chinese ? "Use Chinese Version" : "");
    EXPECT_TRUE(Language->Loaded());
    EXPECT_TRUE(Undo.UndoList.empty());
    EXPECT_EQ(fx.win.SelCol0, 0);
    EXPECT_TRUE(fx.win.Modified);
    EXPECT_TRUE(AllPagesFitTheGrid(fx.win));
    EXPECT_EQ(fx.At(1, 2, 1, 1).Note, '2');
}
