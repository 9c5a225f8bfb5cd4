// Western rests on the recording canvas.
#include <gtest/gtest.h>

#include <string>

#include "notation/modTQWestRest.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQDrawWest.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQViewFixture.h"

namespace {

// x unit 20, y unit 40; the rest in column 2 of row 1.
void Rest(TViewFixture& fx, const std::string& token) {
    fx.Row(1, "&G{iEnd=11} ~ " + token);
    DrawWestRest(&fx.view.DrawEngine, fx.X(2) + 4.0f, fx.Y(1) + 28.0f, fx.At(2, 1));
}

} // namespace

TEST(WestRests, ShiftBarsAndLines) {
    TMusicFonts fonts(true, true);
    {
        auto restY = [](const char* token) {
            TViewFixture fx(12, 4);
            Rest(fx, token);
            const TCanvasCall* t = fx.canvas.Last(TCanvasOp::TextOut);
            return t ? t->Arg(1) : -1000;
        };
        EXPECT_NEAR(restY("W:22") - restY("W:22{y=-4}"), 0.52f * 40.0f, 1.0f);
    }
    struct Case {
        const char* rest;
        int lineBelowBar; // pixels from the bar's top to the (first) line's top
        int fills;
    };
    const Case cases[] = {{"W:20", 0, 2}, {"W:21", 5, 2}, {"W:19", 0, 3}};
    for (const Case& c : cases) {
        TViewFixture fx(12, 4);
        Rest(fx, c.rest);
        const auto fills = fx.canvas.OfOp(TCanvasOp::FillRect);
        ASSERT_EQ(static_cast<int>(fills.size()), c.fills) << c.rest;
        EXPECT_EQ(fills[1]->Arg(1) - fills[0]->Arg(1), c.lineBelowBar) << c.rest;
        EXPECT_EQ(fills[0]->Brush.Color, fx.view.DrawEngine.CurColor) << c.rest;
    }
}

TEST(WestRests, ChangedPlaySettingsShowInTheHighlightColour) {
    TMusicFonts fonts(true, true);
    struct Case {
        int output;
        bool colour;
        bool highlighted;
    };
    const Case cases[] = {{0, false, true}, {1, false, false}, {1, true, true}};
    for (const Case& c : cases) {
        TViewFixture fx(12, 4);
        TDrawEngine& e = fx.view.DrawEngine;
        e.ShowChangedRed = true;
        e.CurColor = 0x123456;
        fx.view.OutputKind = c.output;
        fx.view.OutputInColor = c.colour;
        fx.Row(1, "&G{iEnd=11} ~ W:22");
        fx.At(2, 1).AdvPlay[1] = 120;
        DrawWestRest(&e, fx.X(2) + 4.0f, fx.Y(1) + 28.0f, fx.At(2, 1));
        const TCanvasCall* t = fx.canvas.Last(TCanvasOp::TextOut);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->Font.Color, c.highlighted ? GetHighlightColor(&e) : 0x123456) << c.output << c.colour;
    }
}

TEST(WestRests, PicturesWithoutTheMusicFontAndDots) {
    TMusicFonts fonts(false, false);
    for (int code = 22; code <= 27; ++code) {
        TViewFixture fx(12, 4);
        Rest(fx, "W:" + std::to_string(code) + "..");
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::StretchDraw), 1) << code;
        int dots = 0;
        for (const TCanvasCall* t : fx.canvas.TextOuts())
            dots += t->Text == "." ? 1 : 0;
        EXPECT_EQ(dots, 2) << code;
    }
    TViewFixture fx(12, 4);
    Rest(fx, "W:30");
    EXPECT_EQ(fx.canvas.size(), 0u);
}
