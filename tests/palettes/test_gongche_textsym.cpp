#include <gtest/gtest.h>

#include "palettes/modTQPaletteHooks.h"
#include "palettes/modTQPaletteOps.h"
#include "tests/palettes/TQPaletteFixture.h"

namespace {

TEST(GongchePalette, PitchTagsGiveDegreeAndOctaveDots) {
    struct Case {
        int tag, note, dot;
    } cases[] = {{1, '1', -2}, {35, '7', 2}, {18, '4', 0}, {-3, 3, 0}, {-9, 9, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        TPaletteFixture fx;
        fx.view.GongChiMode = true;
        fx.At(2, 1).dot = 1; // the reset clears it
        fx.Select(2, 1, 3, 1);
        InsertGongcheSymbol(c.tag);
        const TCell& cell = fx.At(2, 1);
        EXPECT_EQ(cell.cellType, 10);
        EXPECT_EQ(cell.Note, c.note);
        EXPECT_EQ(cell.dot, c.dot);
        EXPECT_TRUE(fx.view.Modified);
        EXPECT_EQ(fx.At(3, 1).cellType, 0);
    }
}

TEST(GongchePalette, WritesEverySecondColumnAndUndoesInOneStep) {
    TPaletteFixture fx;
    fx.view.GongChiMode = true;
    fx.Select(4, 0, 7, 1);
    InsertGongcheSymbol(15);
    for (int row : {0, 1}) {
        EXPECT_EQ(fx.At(4, row).Note, '1');
        EXPECT_EQ(fx.At(6, row).Note, '1');
        EXPECT_EQ(fx.At(5, row).cellType, 0);
        EXPECT_EQ(fx.At(7, row).cellType, 0);
    }
    ASSERT_EQ(Undo.UndoList.size(), 1u);
    Undo.UndoStep();
    EXPECT_EQ(fx.At(4, 0).cellType, 0);
    EXPECT_EQ(fx.At(6, 1).cellType, 0);
}

TEST(GongchePalette, OffModeChangesNothingAndSavesNoUndo) {
    TPaletteFixture fx;
    fx.Select(0, 0, 1, 0);
    InsertGongcheSymbol(1);
    ToggleGongcheMark(2);
    EnterGongcheChar('x');
    EXPECT_EQ(fx.At(0, 0).cellType, 0);
    EXPECT_TRUE(Undo.UndoList.empty());
    EXPECT_FALSE(fx.view.Modified);
}

TEST(GongchePalette, MarksToggleAndTypedCharactersKeepTheDots) {
    TPaletteFixture fx;
    fx.view.GongChiMode = true;
    int advanced = 0;
    PaletteHooks().AdvanceCursor = [&] { ++advanced; };
    fx.Select(0, 0, 1, 0);
    InsertGongcheSymbol(29); // '1' two dots up
    ToggleGongcheMark(2);
    EXPECT_EQ(fx.At(0, 0).Attr, 2u);
    ToggleGongcheMark(3);
    EXPECT_EQ(fx.At(0, 0).Attr, 3u);
    ToggleGongcheMark(3);
    EXPECT_EQ(fx.At(0, 0).Attr, 0u);
    EnterGongcheChar('5');
    EXPECT_EQ(fx.At(0, 0).Note, '5');
    EXPECT_EQ(fx.At(0, 0).dot, 2);
    // A selection two columns wide and one row high advances the cursor.
    EXPECT_EQ(advanced, 5);
    fx.Select(0, 0, 3, 0);
    EnterGongcheChar('6');
    EXPECT_EQ(advanced, 5);
    PaletteHooks().AdvanceCursor = nullptr;
}

TEST(GongchePalette, GrowsTheLayerToTheCurrentPage) {
    TPaletteFixture fx(16, 6, 4, 1);
    fx.view.GongChiMode = true;
    CurLayer = 1;
    fx.view.CurPage = 3;
    fx.Select(0, 0, 1, 0);
    InsertGongcheSymbol(1);
    ASSERT_EQ(fx.view.PageSets[1].size(), 4u);
    EXPECT_EQ(fx.At(0, 0, 1, 3).Note, '1');
}

TEST(TextSymbolsPalette, WritesIdAndCharsetOnEverySecondColumn) {
    struct Case {
        int id, charset;
    } cases[] = {{22, 1}, {60, 134}, {50, 134}, {79, 134}, {80, 1}, {90, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        TPaletteFixture fx;
        fx.Row(2, "1 2 3 4");
        fx.Select(0, 2, 3, 2);
        InsertTextSymbol(c.id);
        for (int col : {0, 2}) {
            EXPECT_EQ(fx.At(col, 2).cellType, 11);
            EXPECT_EQ(fx.At(col, 2).Note, c.id);
            EXPECT_EQ(fx.At(col, 2).FontCharset, c.charset);
        }
        EXPECT_EQ(fx.At(1, 2).Note, '2');
        EXPECT_EQ(fx.At(3, 2).Note, '4');
        Undo.UndoStep();
        EXPECT_EQ(fx.At(0, 2).Note, '1');
        EXPECT_EQ(fx.At(2, 2).Note, '3');
    }
}

TEST(TextSymbolsPalette, SizeStaysInRangeAndUndoes) {
    TPaletteFixture fx;
    fx.view.TextSymSize = 8;
    SetTextSymSize(25);
    EXPECT_EQ(fx.view.TextSymSize, 20);
    SetTextSymSize(2);
    EXPECT_EQ(fx.view.TextSymSize, 4);
    EXPECT_TRUE(fx.view.Modified);
    Undo.UndoStep();
    EXPECT_EQ(fx.view.TextSymSize, 20);
}

} // namespace
