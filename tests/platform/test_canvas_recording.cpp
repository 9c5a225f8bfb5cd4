// The recording canvas keeps each call with its state and measures like the Qt canvas.
#include <gtest/gtest.h>

#include "platform/gui/TQBitmap.h"
#include "platform/gui/TQQtCanvas.h"
#include "platform/gui/TQRecordingCanvas.h"

#include <QImage>

namespace {

TEST(RecordingCanvas, KeepsTheStateOfEachCall) {
    TRecordingCanvas rc;
    rc.Pen.Color = clRed;
    rc.Pen.Width = 3;
    rc.Brush.Style = bsClear;
    rc.Rectangle(1, 2, 30, 40);
    rc.Pen.Color = 0x00FF00;
    rc.Pen.Mode = pmXor;
    rc.MoveTo(5, 6);
    rc.LineTo(50, 60);
    rc.Font.Name = "Times New Roman";
    rc.Font.Size = 14;
    rc.Font.Style = fsBold;
    rc.Font.Color = 0x123456;
    rc.TextOut(7, 8, "Hi");

    ASSERT_EQ(rc.size(), 4u) << rc.Dump();
    EXPECT_EQ(rc.ops(), (std::vector<TCanvasOp>{TCanvasOp::Rectangle, TCanvasOp::MoveTo, TCanvasOp::LineTo,
                                                TCanvasOp::TextOut}));
    const TCanvasCall& rect = rc[0];
    EXPECT_EQ(rect.RectArg(), (TRect{1, 2, 30, 40}));
    EXPECT_EQ(rect.Pen.Color, clRed);
    EXPECT_EQ(rect.Pen.Width, 3);
    EXPECT_EQ(rect.Pen.Mode, pmCopy);
    EXPECT_EQ(rect.Brush.Style, bsClear);
    const TCanvasCall& line = rc[2];
    EXPECT_EQ(line.Points, (std::vector<TPoint>{{5, 6}, {50, 60}}));
    EXPECT_EQ(line.Pen.Color, 0x00FF00);
    EXPECT_EQ(line.Pen.Mode, pmXor);
    EXPECT_EQ(line.Font.Name, "Arial");
    const TCanvasCall* text = rc.FindText("Hi");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->Font.Name, "Times New Roman");
    EXPECT_EQ(text->Font.Style, fsBold);
    EXPECT_EQ(text->Font.Color, 0x123456);
    EXPECT_EQ(text->Arg(0), 7);
    EXPECT_EQ(text->Arg(1), 8);
    EXPECT_FALSE(text->LogFont.has_value());
    EXPECT_EQ(rc.PenPos(), (TPoint{7 + text->Extent.cx, 8}));
}

TEST(RecordingCanvas, RecordsTheSelectedCreatedFont) {
    TRecordingCanvas rc;
    auto lf = std::make_shared<TLogFont>();
    lf->Height = -30;
    lf->Escapement = 900;
    lf->FaceName = "SimSun";
    EXPECT_EQ(rc.SelectLogFont(lf), nullptr);
    rc.TextOut(1, 2, "up");
    EXPECT_EQ(rc.SelectLogFont(nullptr), lf);
    rc.TextOut(3, 4, "flat");
    auto texts = rc.TextOuts();
    ASSERT_EQ(texts.size(), 2u);
    ASSERT_TRUE(texts[0]->LogFont.has_value());
    EXPECT_EQ(texts[0]->LogFont->Escapement, 900);
    EXPECT_EQ(texts[0]->LogFont->FaceName, "SimSun");
    EXPECT_FALSE(texts[1]->LogFont.has_value());
    EXPECT_EQ(rc.CountOf(TCanvasOp::SelectLogFont), 2);
    EXPECT_EQ(rc.texts(), (std::vector<std::string>{"up", "flat"}));
}

TEST(RecordingCanvas, MeasuresTextLikeTheQtCanvas) {
    QImage img(10, 10, QImage::Format_RGB32);
    TQtCanvas qt(&img);
    TRecordingCanvas rc;
    struct Case {
        TFont font;
        std::shared_ptr<TLogFont> log;
        int ppi;
    };
    auto created = std::make_shared<TLogFont>();
    created->Height = -25;
    created->Width = 20;
    created->FaceName = "Times New Roman";
    TFont bold;
    bold.Style = fsBold;
    bold.Size = 17;
    TFont chinese;
    chinese.Name = "SimSun";
    chinese.Charset = 134;
    TFont music;
    music.Name = "Toccata";
    music.Size = 20;
    const Case cases[] = {{TFont{}, nullptr, 96}, {bold, nullptr, 96},  {chinese, nullptr, 96},
                          {TFont{}, created, 96}, {bold, nullptr, 300}, {music, nullptr, 96}};
    for (const auto& c : cases) {
        qt.Font = rc.Font = c.font;
        qt.SetPixelsPerInch(c.ppi);
        rc.SetPixelsPerInch(c.ppi);
        qt.SelectLogFont(c.log);
        rc.SelectLogFont(c.log);
        for (const std::string text : {"Tonquill", "\xE4\xB8\xAD\xE6\x96\x87", "\x80\x81"}) {
            EXPECT_EQ(rc.TextExtent(text), qt.TextExtent(text)) << c.font.Name << " " << c.ppi << " " << text;
            rc.TextOut(0, 0, text);
            EXPECT_EQ(rc.Last(TCanvasOp::TextOut)->Extent, qt.TextExtent(text));
        }
    }
}

TEST(RecordingCanvas, RecordsShapesPointsBitmapsAndPixels) {
    TRecordingCanvas rc({200, 100});
    rc.Polyline({{1, 1}, {2, 2}, {3, 1}});
    rc.Polygon({{0, 0}, {5, 0}, {5, 5}});
    rc.Ellipse(1, 2, 3, 4);
    rc.Arc(0, 0, 10, 10, 10, 5, 5, 0);
    rc.FillRect({1, 2, 3, 4});
    TBitmap bmp(6, 7);
    bmp.SetTransparent(true);
    rc.Draw(10, 11, bmp);
    rc.StretchDraw({0, 0, 12, 14}, bmp);
    rc.SetPixel(3, 4, clRed);

    EXPECT_EQ(rc.OfOp(TCanvasOp::Polyline)[0]->Points.size(), 3u);
    EXPECT_EQ(rc.OfOp(TCanvasOp::Polygon)[0]->Points[2], (TPoint{5, 5}));
    EXPECT_EQ(rc.OfOp(TCanvasOp::Arc)[0]->Args, (std::vector<int>{0, 0, 10, 10, 10, 5, 5, 0}));
    EXPECT_EQ(rc.OfOp(TCanvasOp::FillRect)[0]->RectArg(), (TRect{1, 2, 3, 4}));
    const TCanvasCall* draw = rc.Last(TCanvasOp::Draw);
    ASSERT_NE(draw, nullptr);
    EXPECT_EQ(draw->Bitmap, &bmp);
    EXPECT_EQ(draw->Extent, (TSize{6, 7}));
    EXPECT_TRUE(draw->Transparent);
    EXPECT_EQ(draw->TransparentColor, clWhite);
    EXPECT_EQ(rc.Last(TCanvasOp::StretchDraw)->RectArg(), (TRect{0, 0, 12, 14}));
    EXPECT_EQ(rc.Last(TCanvasOp::SetPixel)->Arg(2), clRed);
    // Queries are answered, not recorded.
    EXPECT_EQ(rc.GetPixel(3, 4), clWhite);
    EXPECT_EQ(rc.GetPixel(300, 4), -1);
    EXPECT_EQ(rc.Size(), (TSize{200, 100}));
    EXPECT_EQ(rc.size(), 8u);
    // The dump names every call with its state.
    std::string dump = rc.Dump();
    EXPECT_NE(dump.find("7: SetPixel(3, 4, 255)"), std::string::npos) << dump;
    EXPECT_NE(dump.find("Draw(10, 11) bitmap 6x7 transparent FFFFFF"), std::string::npos) << dump;
    rc.Clear();
    EXPECT_EQ(rc.size(), 0u);
    EXPECT_EQ(rc.FindText("x"), nullptr);
}

} // namespace
