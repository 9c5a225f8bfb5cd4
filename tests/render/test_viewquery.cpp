#include <gtest/gtest.h>

#include "render/modTQViewQuery.h"
#include "tests/render/TQViewFixture.h"

TEST(ViewQuery, LayerButtonMatchesItsPicture) {
    TViewFixture fx(4, 2);
    struct Case { int image, layer; bool showing; };
    const Case cases[] = {{60, 0, true}, {60, 1, false}, {61, 1, true}, {61, 0, false}, {7, 0, false}};
    for (const Case& c : cases) {
        fx.view.btnLayerImageIndex = c.image;
        EXPECT_EQ(IsLayerButtonShowing(c.layer), c.showing) << c.image << " " << c.layer;
    }
    fx.view.mitFixedKeyChecked = true;
    EXPECT_TRUE(IsFixedDoMode());
}

TEST(ViewQuery, MarkedRowsAreWholeRowHighlightsOfTheCurrentPage) {
    TViewFixture fx(4, 6);
    fx.view.Highlights = {
        {0, 3, 1, 0, 0}, // whole row 1
        {1, 3, 2, 0, 0}, // part of row 2: not a staff highlight
        {0, 3, 4, 1, 0}, // row 4 of another page
        {0, 3, 5, 0, 0}, // whole row 5
    };
    std::vector<int> rows{99};
    CollectMarkedRows(0, 5, rows);
    EXPECT_EQ(rows, (std::vector<int>{1, 5}));
    CollectMarkedRows(2, 4, rows);
    EXPECT_TRUE(rows.empty());
}

TEST(ViewQuery, PrinterOutputMapsThePageWidthOntoThePrinter) {
    TViewFixture fx(4, 2);
    TRecordingCanvas printer;
    printer.SetSize({4250, 5500});
    fx.view.PageWidthUnits = 1000;
    fx.view.PageNumberStart = 3;
    fx.view.ShowGrid = true;
    fx.view.SetPrinterOutput(&printer);
    EXPECT_EQ(fx.view.OutputKind, 1);
    EXPECT_EQ(fx.view.PageNumberStart, 0);
    EXPECT_FALSE(fx.view.ShowGrid);
    EXPECT_EQ(fx.view.OutCanvas, &printer);
    EXPECT_DOUBLE_EQ(fx.view.Zoom, 4.25);
}
