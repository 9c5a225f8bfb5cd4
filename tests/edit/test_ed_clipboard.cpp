// Copy, cut and paste through the editing object's clipboard, and the picture
// of the selection on the system clipboard.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>

#include "edit/modTQEditCommands.h"
#include "platform/gui/TQBitmap.h"
#include "tests/edit/TQEditFixture.h"

TEST(EdClipboard, BothLayersCopyPastesEachLayerIntoItsOwn) {
    TEditFixture fx(16, 14, 1, 1);
    fx.Mark(1, 1, 1);
    fx.Mark(2, 2, 2);
    fx.Mark(1, 2, 3, 0, 1);
    fx.Mark(2, 1, 4, 0, 1);
    fx.Select(1, 1, 2, 2);
    fx.ed.Copy();
    EXPECT_TRUE(fx.ed.PasteEnabled);
    EXPECT_TRUE(Undo.UndoList.empty());
    const TPageSets before = fx.win.PageSets;

    fx.Select(10, 10, 10, 10);
    fx.ed.Paste(0);
    EXPECT_EQ(fx.At(10, 10).FontColor, 1);
    EXPECT_EQ(fx.At(11, 11).FontColor, 2);
    EXPECT_EQ(fx.At(10, 11, 0, 1).FontColor, 3);
    EXPECT_EQ(fx.At(11, 10, 0, 1).FontColor, 4);
    EXPECT_EQ(fx.At(10, 11).Note, 32); // nothing of layer 1 in layer 0
    EXPECT_EQ(fx.win.SelCol1, 10);     // the selection's end is put back
    EXPECT_EQ(CurLayer, 0);
    EXPECT_EQ(Undo.UndoList.size(), 2u);
    Undo.UndoStep();
    EXPECT_TRUE(fx.win.PageSets == before);
}

TEST(EdClipboard, OneLayerBlockPastesIntoTheCurrentLayer) {
    TEditFixture fx(12, 6, 1, 1);
    fx.win.ApplyToBothLayerChecked = false;
    fx.Mark(0, 1, 1);
    fx.At(1, 1) = TScoreFixture::Cell("T:3/4");
    fx.Select(0, 1, 1, 1);
    fx.ed.Copy();
    EXPECT_TRUE(fx.ed.Clipboard[1].empty());
    CurLayer = 1;
    fx.Select(4, 3, 4, 3);
    fx.ed.Paste(0);
    EXPECT_EQ(fx.At(4, 3, 0, 1).FontColor, 1);
    EXPECT_EQ(fx.At(5, 3, 0, 1).cellType, 0); // a time signature never goes into layer 1
    EXPECT_EQ(fx.At(4, 3).Note, 32);
    EXPECT_EQ(CurLayer, 1);
}

TEST(EdClipboard, PasteWithEmptyClipboardsChangesNothing) {
    TEditFixture fx(8, 4);
    fx.Mark(0, 0, 1);
    const TPageSets before = fx.win.PageSets;
    fx.Select(0, 0, 0, 0);
    fx.ed.Paste(0);
    EXPECT_TRUE(fx.win.PageSets == before);
    EXPECT_TRUE(Undo.UndoList.empty());
    EXPECT_FALSE(fx.win.Modified);
}

TEST(EdClipboard, PasteGrowsLayerOneForALayerOneBlock) {
    TEditFixture fx(8, 4, 3, 1);
    fx.Mark(0, 0, 1);
    fx.Mark(0, 0, 2, 0, 1);
    fx.Select(0, 0, 0, 0);
    fx.ed.Copy();
    ASSERT_FALSE(fx.ed.Clipboard[1].empty());
    fx.win.CurPage = 2;
    fx.ed.Paste(0);
    EXPECT_EQ(fx.win.PageSets[1].size(), 3u);
    EXPECT_EQ(fx.At(0, 0, 2, 0).FontColor, 1);
    EXPECT_EQ(fx.At(0, 0, 2, 1).FontColor, 2);
}

TEST(EdClipboard, PasteModesWriteTheirFieldsOnly) {
    TEditFixture fx(12, 4);
    TCell& src = fx.At(0, 0);
    src = TScoreFixture::Cell("5{mark=1,iEnd=4,hadj=3,x=2,y=-1,shrink=40}");
    src.option = 0x80000;
    src.MarkY = 7;
    fx.At(1, 0) = TScoreFixture::Cell("\"ab\"");
    fx.At(1, 0).FontName = "EN";
    fx.At(1, 0).FontStyle = 2;
    fx.Row(2, "2 \"cd\"");
    fx.Select(0, 0, 1, 0);
    fx.ed.Copy();

    const TCell before0 = fx.At(0, 2), before1 = fx.At(1, 2);
    fx.Select(0, 2, 0, 2);
    fx.ed.Paste(1);
    EXPECT_EQ(fx.At(0, 2).Note, '2');
    EXPECT_EQ(fx.At(0, 2).markType, 1);
    EXPECT_EQ(fx.At(0, 2).iEnd, 4);
    EXPECT_EQ(fx.At(0, 2).markHAdj, 3);
    EXPECT_EQ(fx.At(0, 2).MarkY, 7);
    EXPECT_EQ(fx.At(0, 2).option, 0x80000u);
    EXPECT_FLOAT_EQ(fx.At(0, 2).xAdj, 0.0f);
    fx.ed.Paste(3);
    EXPECT_FLOAT_EQ(fx.At(0, 2).xAdj, 2.0f);
    EXPECT_FLOAT_EQ(fx.At(0, 2).yAdj, -1.0f);
    EXPECT_EQ(fx.At(0, 2).shrinkRate, 40);
    fx.ed.Paste(2);
    EXPECT_EQ(fx.At(1, 2).FontName, "EN");
    EXPECT_EQ(fx.At(1, 2).FontStyle, 2);
    EXPECT_EQ(fx.At(1, 2).Text, before1.Text);
    EXPECT_EQ(fx.At(0, 2).FontName, before0.FontName);

    // Paste Font from a block without text cells changes nothing.
    fx.Select(0, 0, 0, 0);
    fx.ed.Copy();
    const TPageSets unchanged = fx.win.PageSets;
    fx.Select(1, 2, 1, 2);
    fx.ed.Paste(2);
    EXPECT_TRUE(fx.win.PageSets == unchanged);
}

TEST(EdClipboard, MarkPastedNearTheEdgeEndsAtTheLastColumnAndLine) {
    TEditFixture fx(12, 8);
    TCell& mark = fx.Mark(1, 1, 1);
    mark.markType = 1;
    mark.iEnd = 6;
    mark.jEnd = 3;
    fx.Select(1, 1, 1, 1);
    fx.ed.Copy();
    fx.Select(9, 6, 9, 6);
    fx.ed.Paste(0);
    EXPECT_EQ(fx.At(9, 6).iEnd, 11);
    EXPECT_EQ(fx.At(9, 6).jEnd, 7);
    EXPECT_EQ(fx.At(1, 1).iEnd, 6); // the source keeps its own ends
}

TEST(EdClipboard, BackgroundCellIsNotCopiedAndTheRestKeepsItsColumns) {
    TEditFixture fx(8, 4);
    TCell& bg = fx.At(0, 0);
    bg.cellType = ctImage;
    bg.Note = 200119;
    fx.Mark(1, 0, 1);
    fx.Mark(0, 1, 2);
    fx.Mark(1, 1, 3);
    fx.Select(0, 0, 1, 1);
    fx.ed.Copy();
    EXPECT_EQ(fx.ed.Clipboard[0][0].size(), 1u);
    fx.Select(4, 2, 4, 2);
    fx.ed.Paste(0);
    EXPECT_EQ(fx.At(4, 2).Note, 32);
    EXPECT_EQ(fx.At(5, 2).FontColor, 1);
    EXPECT_EQ(fx.At(4, 3).FontColor, 2);
    EXPECT_EQ(fx.At(5, 3).FontColor, 3);
    EXPECT_EQ(Undo.UndoList.back().block[2], 5); // the whole block was saved
}

TEST(EdClipboard, CutCopiesThenEmptiesTheSelection) {
    TEditFixture fx(8, 4);
    fx.Mark(2, 1, 1);
    fx.Select(2, 1, 2, 1);
    EditCut();
    EXPECT_EQ(fx.At(2, 1).Note, 32);
    EXPECT_TRUE(fx.ed.PasteEnabled);
    fx.Select(5, 2, 5, 2);
    EditPaste(0);
    EXPECT_EQ(fx.At(5, 2).FontColor, 1);
}

TEST(EdClipboard, SelectAllAndClear) {
    TEditFixture fx(8, 4);
    fx.Mark(2, 1, 1);
    EditSelectAll();
    EXPECT_EQ(fx.win.SelCol1, 7);
    EXPECT_EQ(fx.win.SelRow1, 3);
    EditClear(); // not modified: no question
    EXPECT_TRUE(fx.messages.shown.empty());
    EXPECT_EQ(fx.At(2, 1).Note, 32);
}

TEST(EdClipboard, CopyImageWidthTable) {
    // Default paper: 60 x 40 cells of 15 x 30 units; zoom 1.
    struct Case {
        bool autoSize;
        int lines;
        int quality;
        int expected;
    } cases[] = {
        // six columns: 50 x 6 = 300 pixels, times the quality factor (0.6 at 5, 1.0 at 10, 2.0 at 15)
        {false, 1, 5, 180},
        {false, 3, 5, 180},
        {false, 9, 15, 600},
        {false, 25, 15, 600},
        {false, 1, 10, 300},
        // automatic: base x 6 / 60 columns; a = 15 x 6 / 30 = 3 narrows blocks of more than 3 lines
        {true, 1, 5, 900},   // 15000 / 10 x 0.6
        {true, 1, 15, 3000}, // 1500 x 2
        {true, 3, 5, 720},   // 12000 / 10 x 0.6
        {true, 9, 15, 600},  // 9000 / 10 x 3 / 9 x 2
        {true, 9, 5, 180},   // 300 x 0.6
        {true, 25, 15, 120}, // 5000 / 10 x 3 / 25 x 2
        {true, 25, 10, 60},
        {true, 25, 0, 50},   // 60 x 0.2 = 12: at least 50
    };
    for (const Case& c : cases) {
        TEditFixture fx(0, 0);
        fx.Select(10, 0, 15, c.lines - 1); // six columns
        EXPECT_EQ(fx.win.CopyImageWidth(c.quality, c.autoSize), c.expected)
            << c.autoSize << " " << c.lines << " " << c.quality;
    }
}

TEST(EdClipboard, SelectionPictureGoesToTheClipboard) {
    TEditFixture fx(0, 0);
    fx.Row(2, "1 2 3 4 5 6");
    fx.Select(0, 2, 5, 3);
    fx.win.Zoom = 1.0;
    QGuiApplication::clipboard()->clear();
    EditCopy();
    const QImage image = QGuiApplication::clipboard()->image();
    // 6 x 2 cells: width 300 at quality 10, 7 x 3 cells with the margin: 42 pixels a column.
    EXPECT_EQ(image.width(), 42 * 7);
    EXPECT_EQ(image.height(), 42 * 2 * 3);
    EXPECT_FALSE(fx.win.CopyingImage);
    EXPECT_DOUBLE_EQ(fx.win.Zoom, 1.0);
    EXPECT_EQ(fx.win.OutCanvas, &fx.canvas);
    EXPECT_EQ(fx.win.OutputKind, 0);
    // Something was drawn: the notes are darker than the white background.
    bool ink = false;
    for (int y = 0; y < image.height() && !ink; ++y)
        for (int x = 0; x < image.width() && !ink; ++x)
            ink = qGray(image.pixel(x, y)) < 128;
    EXPECT_TRUE(ink);
}

TEST(EdClipboard, RenderSelectionIntoABitmapRecordsTheBlockAtItsOrigin) {
    TEditFixture fx(0, 0);
    fx.Row(2, "1 ~ ~ ~ ~ ~ ~ ~ ~ ~ 5");
    fx.Select(10, 2, 10, 2);
    TBitmap bitmap;
    ASSERT_TRUE(fx.win.RenderSelectionToBitmap(bitmap, 200, 3));
    EXPECT_EQ(bitmap.Width(), 200);
    EXPECT_EQ(bitmap.Height(), 400);
    // Only the block's cell lies inside the picture: column 10 is drawn in its middle.
    bool inkLeft = false, inkMiddle = false;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            if (qGray(bitmap.Image().pixel(x, y)) < 128)
                (x < 40 ? inkLeft : inkMiddle) = true;
    EXPECT_TRUE(inkMiddle);
    EXPECT_FALSE(inkLeft);
    EXPECT_FALSE(fx.win.RenderSelectionToBitmap(bitmap, 0, 3));
}

TEST(EdClipboard, PictureThatCannotBeMadeIsReportedAndTheCellsAreCopied) {
    TEditFixture fx(0, 0);
    fx.Mark(3, 2, 1);
    fx.Select(3, 2, 2, 2); // a reversed selection: no picture at any size
    fx.win.CopySelectionAsImage(10, false);
    ASSERT_EQ(fx.messages.shown.size(), 1u);
    EXPECT_EQ(fx.messages.shown[0].id, 3131);
    fx.Select(3, 2, 3, 2);
    fx.messages.Clear();
    EditCopy();
    EXPECT_TRUE(fx.messages.shown.empty());
    EXPECT_EQ(fx.ed.Clipboard[0].size(), 1u);
}
