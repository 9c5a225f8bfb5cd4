#include <gtest/gtest.h>

#include "palettes/modTQDialogs.h"
#include "tests/palettes/TQPaletteFixture.h"

namespace {

TEST(ClefStaffDialog, ControlsGiveKeyAndClef) {
    struct Case {
        const char* name;
        TClefStaffChoice c;
        int key, clef;
    } cases[] = {
        {"C4 tab with rbtEb", {3, 8, -1, false, false}, 8, -5},
        {"G tab, nothing checked", {0, -1, -1, false, false}, 0, -1},
        {"C3 tab with rbtGb", {2, 11, -1, false, false}, 11, -3},
        {"Other with tablature", {4, -1, -1, true, false}, 0, -6},
        {"Other with drum", {4, -1, -1, false, true}, 0, -4},
        {"Other: F sharp on the F staff", {4, -1, 4, false, false}, 13, -2},
        {"Other: C sharp on the C4 staff", {4, -1, 11, false, false}, 14, -5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int clef = 0;
        EXPECT_EQ(GetKeyClef(c.c, clef), c.key);
        EXPECT_EQ(clef, c.clef);
        // Shown again, the dialog gives the same pair.
        const TClefStaffChoice shown = SetKeyClef(c.key, c.clef);
        int clef2 = 0;
        EXPECT_EQ(GetKeyClef(shown, clef2), c.key);
        EXPECT_EQ(clef2, c.clef);
    }
}

TEST(KeySignatureDialog, LettersEnableTheSignsAndBuildTheText) {
    TKeySignChoice k;
    KeySignShow(k, "Fixed Key");
    KeySignShow(k, "Fixed Key"); // shown twice: one eighth item
    ASSERT_EQ(k.letters.size(), 8u);
    EXPECT_EQ(BuildKeyText(k), "1=G");
    KeySignLetterChange(k, 3); // F
    EXPECT_FALSE(k.flatEnabled);
    EXPECT_TRUE(k.sharpEnabled);
    k.sharp = true;
    k.natural = false;
    EXPECT_EQ(BuildKeyText(k), "1=#F");
    KeySignLetterChange(k, 1); // D
    EXPECT_FALSE(k.sharpEnabled);
    EXPECT_TRUE(k.flatEnabled);
    k.flat = true;
    EXPECT_EQ(BuildKeyText(k), "1=bD");
    KeySignLetterChange(k, 7);
    EXPECT_TRUE(k.originalKeyVisible);
    EXPECT_FALSE(k.flatEnabled);
    EXPECT_FALSE(k.sharpEnabled);
    EXPECT_EQ(BuildKeyText(k), "1=C Fixed Key");
}

TEST(SmallDialogs, ShrinkRatesAndTheCSign) {
    EXPECT_EQ(PresetCompression(0), 80);
    EXPECT_EQ(PresetCompression(20), 85);
    EXPECT_EQ(PresetVertRate(15), 95);
    EXPECT_TRUE(TimeSigOffersCSymbol(true, 4, "4"));
    EXPECT_TRUE(TimeSigOffersCSymbol(true, 2, "2"));
    EXPECT_FALSE(TimeSigOffersCSymbol(false, 4, "4"));
    EXPECT_FALSE(TimeSigOffersCSymbol(true, 3, "4"));
}

TEST(TextLineDialog, LinesFollowEachOtherInTheCursorRow) {
    TPaletteFixture fx(30, 4);
    fx.view.ChineseFontCharset = 134;
    fx.view.EnglishFontCharset = 0;
    fx.view.ChineseFontStyle = 0;
    fx.view.EnglishFontStyle = 1;
    fx.Select(3, 1, 3, 1);
    const std::string chinese = "\xD6\xD0\xCE\xC4\xB8\xE8\xB4\xCA\xD2\xBB"; // 10 GBK bytes
    ASSERT_TRUE(WriteTextLines({"  " + chinese + " ", "", "Hello worl", "abc"}));
    EXPECT_EQ(fx.At(3, 1).cellType, ctText);
    EXPECT_EQ(fx.At(3, 1).Text, chinese);
    EXPECT_EQ(fx.At(3, 1).FontName, "CN");
    EXPECT_EQ(fx.At(3, 1).FontCharset, 134);
    EXPECT_EQ(fx.At(12, 1).Text, "Hello worl");
    EXPECT_EQ(fx.At(12, 1).FontName, "EN");
    EXPECT_EQ(fx.At(12, 1).FontStyle, 1);
    EXPECT_EQ(fx.At(20, 1).Text, "abc"); // 12 + 10 x 0.8
    Undo.UndoStep();
    EXPECT_EQ(fx.At(3, 1).cellType, 0);

    // Only blank lines clear the cursor cell.
    fx.Row(1, "\"x\"");
    fx.Select(0, 1, 0, 1);
    EXPECT_FALSE(WriteTextLines({"   ", ""}));
    EXPECT_EQ(fx.At(0, 1).cellType, 0);

    // A line that reaches the last column ends the writing.
    fx.Select(27, 2, 27, 2);
    ASSERT_TRUE(WriteTextLines({"abcdefgh", "zz"}));
    EXPECT_EQ(fx.At(27, 2).Text, "abcdefgh");
}

TEST(CellPropertyView, ShowsTheFields) {
    TCell cell;
    cell.Attr = 0xB1;
    cell.yAdj = -1.5f;
    cell.MarkY = 3;
    cell.EndYAdj = -2;
    const TCellPropGrid g = CellPropertyGrid(cell);
    EXPECT_EQ(g[9][0], "Attr");
    EXPECT_EQ(g[9][1], "00B1");
    EXPECT_EQ(g[5][1], "0");
    EXPECT_EQ(g[13][1], "0");
    EXPECT_EQ(g[12][1], "-1.50");
    EXPECT_EQ(g[3][3], "3/-2");
    EXPECT_EQ(g[10][1], "1.0000");
    EXPECT_EQ(CellPropertyCaption(4, 2), "i=4 j=2");
    EXPECT_EQ(CellPropertyDebugText(cell), "");
    cell.westChordArray.push_back({2, 17, 0, 0});
    EXPECT_EQ(CellPropertyDebugText(cell), "17");
}

} // namespace
