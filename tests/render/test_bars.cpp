// Bar lines and Jianpu duration underlines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/modTQGroup.h"
#include "render/modTQBarLine.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQUnderline.h"
#include "tests/render/TQViewFixture.h"

namespace {

struct TDot {
    int x, y;
    bool operator==(const TDot&) const = default;
};
std::ostream& operator<<(std::ostream& os, const TDot& d) { return os << "(" << d.x << "," << d.y << ")"; }

std::vector<TRect> Fills(const TRecordingCanvas& rc) {
    std::vector<TRect> out;
    for (const TCanvasCall* c : rc.OfOp(TCanvasOp::FillRect))
        out.push_back(c->RectArg());
    return out;
}

std::vector<TDot> Dots(const TRecordingCanvas& rc) {
    std::vector<TDot> out;
    for (const TCanvasCall* c : rc.TextOuts())
        if (c->Text == ".")
            out.push_back({c->Arg(0), c->Arg(1)});
    return out;
}

} // namespace

TEST(BarLines, ThickBarOnTheGridFrame) {
    // x unit 20: the bar is 2 pixels wide (the integer part of 2.4)
    struct Case {
        int col;
        int left;
    };
    const std::vector<Case> cases = {{0, 60}, {11, 60 + 20 * 12}, {4, 140 + 10}};
    for (const Case& c : cases) {
        TViewFixture fx;
        fx.view.DrawEngine.CurColor = 0x00AA00;
        TCell cell = TScoreFixture::Cell("|");
        DrawThickBarLine(&fx.view.DrawEngine, fx.X(c.col), fx.Y(1), c.col, 40.0f, cell);
        ASSERT_EQ(fx.canvas.CountOf(TCanvasOp::FillRect), 1);
        const TCanvasCall* f = fx.canvas.Last(TCanvasOp::FillRect);
        EXPECT_EQ(f->RectArg(), (TRect{c.left, 90, c.left + 2, 130})) << c.col;
        // colour -1 is the main ink, not the current colour
        EXPECT_EQ(f->Brush.Color, fx.view.DrawEngine.MainLayerColor);
    }
    TViewFixture fx;
    TCell cell = TScoreFixture::Cell("|{color=255}");
    DrawThickBarLine(&fx.view.DrawEngine, fx.X(3), fx.Y(0), 3, 40.0f, cell);
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::FillRect)->Brush.Color, 0x0000FF);
}

TEST(BarLines, RepeatBarsLinesAndDots) {
    // Cell (4, 1): origin (140, 90); x unit v 20, y unit u 40.
    // Thin line 2 pixels wide (0.1 v), thick 4 (0.2 v), both 40 high.
    struct Case {
        const char* what;
        std::string row1; // cells of row 1 from column 3 on; column 4 holds the bar
        std::vector<TRect> lines;
        std::vector<TDot> dots;
    };
    const std::vector<Case> cases = {
        {"end repeat", "~ :|", {{152, 90, 154, 130}, {157, 90, 161, 130}}, {{141, 74}, {141, 84}}},
        {"end repeat, dot word 2", "~ :|{dot=2}", {{152, 90, 154, 130}, {157, 90, 161, 130}}, {{141, 78}}},
        {"end repeat, three dots", "~ :|{dot=1}", {{152, 90, 154, 130}, {157, 90, 161, 130}},
         {{141, 70}, {141, 78}, {141, 86}}},
        {"end repeat before a start repeat", "~ :| |:", {{156, 90, 158, 130}}, {{145, 74}, {145, 84}}},
        {"final bar", "~ |]", {{152, 90, 154, 130}, {157, 90, 161, 130}}, {}},
        {"double bar", "~ ||", {{148, 90, 150, 130}, {152, 90, 154, 130}}, {}},
        {"start repeat, three dots", "~ |:{dot=1}", {{140, 90, 144, 130}, {147, 90, 149, 130}},
         {{151, 70}, {151, 78}, {151, 86}}},
        {"start repeat", "~ |:", {{140, 90, 144, 130}, {147, 90, 149, 130}}, {{151, 73}, {151, 83}}},
        {"start repeat with a brace", "~ |:{mark=54191118}", {{140, 90, 144, 130}, {147, 90, 149, 130}}, {}},
        {"thick and thin, no dots", "~ N:60", {{140, 90, 144, 130}, {147, 90, 149, 130}}, {}},
        // Western row (a clef before the bar): dots 0.4 u and 0.15 u up
        {"Western start repeat", "&G |:", {{140, 90, 144, 130}, {147, 90, 149, 130}}, {{150, 74}, {150, 84}}},
        {"Western end repeat", "&G :|", {{152, 90, 154, 130}, {157, 90, 161, 130}}, {{141, 74}, {141, 84}}},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        std::string picture = "~ ~ ~ " + c.row1;
        fx.Row(1, picture);
        TCell cell = fx.At(4, 1);
        DrawRepeatBar(&fx.view.DrawEngine, fx.X(4), fx.Y(1), cell, 4, 1);
        EXPECT_EQ(Fills(fx.canvas), c.lines) << c.what;
        EXPECT_EQ(Dots(fx.canvas), c.dots) << c.what << "\n" << fx.canvas.Dump();
        EXPECT_EQ(fx.canvas.Brush.Style, bsClear) << c.what;
    }
}

TEST(BarLines, GrandStaffDoubleBar) {
    // A ">" in the column where the header clef of the group's first staff ends
    // draws one thin line at 0.78 v; elsewhere two thin lines.
    TViewFixture fx;
    fx.Row(0, "&G{iEnd=6}");
    fx.Row(1, "&F");
    TGroupData first, second;
    first.row = 0;
    first.isWest = true;
    first.clefColumn = 0;
    second.row = 1;
    second.isWest = true;
    GroupRows = {first, second};
    TCell bar = TScoreFixture::Cell("||");
    DrawRepeatBar(&fx.view.DrawEngine, fx.X(6), fx.Y(1), bar, 6, 1);
    EXPECT_EQ(Fills(fx.canvas), (std::vector<TRect>{{196, 90, 198, 130}}));
    fx.canvas.Clear();
    DrawRepeatBar(&fx.view.DrawEngine, fx.X(5), fx.Y(1), bar, 5, 1);
    EXPECT_EQ(Fills(fx.canvas), (std::vector<TRect>{{168, 90, 170, 130}, {172, 90, 174, 130}}));
    // A Jianpu group never takes the single line.
    GroupRows.front().isWest = false;
    fx.canvas.Clear();
    DrawRepeatBar(&fx.view.DrawEngine, fx.X(6), fx.Y(1), bar, 6, 1);
    EXPECT_EQ(Fills(fx.canvas).size(), 2u);
    GroupRows.clear();
}

TEST(Underlines, LinesTable) {
    // u 30, v 15 (cell 15 x 30 at zoom 1); the cell's origin is (0, 0).
    struct Case {
        const char* what;
        std::string token;
        std::string next; // the cell to the right
        int kind;
        std::vector<TRect> lines;
    };
    const std::vector<Case> cases = {
        {"one line", "1_", "~", 0, {{0, 25, 15, 26}}},
        {"seven asked, five drawn", "1{ul=7}", "~", 0,
         {{0, 25, 15, 26}, {0, 28, 15, 29}, {0, 31, 15, 32}, {0, 34, 15, 35}, {0, 37, 15, 38}}},
        {"mark kind 33", "1{ul=2,mark=33}", "~", 0, {}},
        {"mark kind 36 keeps its lines", "1{ul=1,mark=36}", "~", 0, {{0, 25, 15, 26}}},
        {"printer: where the screen has them", "1_", "~", 1, {{0, 25, 15, 26}}},
        {"before a shrunk cell", "1_", "1{attr=0xA0}", 0, {{0, 25, 17, 26}}},
        {"half size", "1__{size=0.5}", "~", 0, {{0, 20, 15, 21}, {0, 22, 15, 23}}},
        // a grace note: 0.05 u lower, 0.15 v in, 0.3 v shorter
        {"grace note", "1_{attr=0xC0}", "~", 0, {{2, 26, 13, 27}}},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        fx.view.CellWidth = 15;
        fx.view.CellHeight = 30;
        fx.view.OutputKind = c.kind;
        fx.Row(0, "~ ~ ~ " + c.token + " " + c.next);
        DrawJianpuUnderlines(&fx.view.DrawEngine, 0.0f, 0.0f, fx.At(3, 0), 3, 0);
        EXPECT_EQ(Fills(fx.canvas), c.lines) << c.what << "\n" << fx.canvas.Dump();
    }
}

TEST(Underlines, HookUnderTheLastSmallGraceCell) {
    // u 30, v 15. The hook is a quarter circle of radius 0.2 u under the lines,
    // drawn for a small grace cell unless a small vertical grace cell follows.
    const std::string grace = "1_{attr=0xC0,size=0.8}";
    const std::string smallVertical = "1_{attr=0xB0,opt=0x10000000,size=0.8}";
    struct Case {
        const char* what;
        std::string cells; // columns 2, 3, 4; the cell drawn is column 3
        size_t smallNotes;
        bool arc;
    };
    const std::vector<Case> cases = {
        {"grace cell followed by a small vertical grace cell", "1 " + grace + " " + smallVertical, 1, false},
        {"grace cell followed by a note", "1 " + grace + " 1", 1, true},
        {"first small vertical grace cell of its run, then a note", "1 " + smallVertical + " 1", 0, true},
        {"small vertical grace cell inside a run", smallVertical + " " + smallVertical + " 1", 0, false},
        {"plain note", "1 1_ 1", 1, false},
        {"two small notes, not a grace note", "1 1_{attr=0xA0,size=0.8} 1", 2, false},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        fx.view.CellWidth = 15;
        fx.view.CellHeight = 30;
        fx.Row(0, "~ ~ " + c.cells);
        TCell cell = fx.At(3, 0);
        cell.CompressNotes.resize(c.smallNotes);
        DrawJianpuUnderlines(&fx.view.DrawEngine, 0.0f, 0.0f, cell, 3, 0);
        ASSERT_EQ(fx.canvas.CountOf(TCanvasOp::FillRect), 1) << c.what;
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::LineTo), c.arc ? 10 : 0) << c.what;
        if (c.arc) {
            // Lines from 0.15 v (2.25); the first at (0.83 - 0.06 + 0.05) u = 24.6.
            // Anchor M = (2.25 + 15) / 2; the arc runs from (M + 6, 24.6 + 7.5)
            // up and to the left to (M, 24.6 + 1.5), points truncated.
            const TCanvasCall* move = fx.canvas.OfOp(TCanvasOp::MoveTo).front();
            EXPECT_EQ(move->Arg(0), 14) << c.what;
            EXPECT_EQ(move->Arg(1), 32) << c.what;
            EXPECT_EQ(fx.canvas.Last(TCanvasOp::LineTo)->Points.at(1), (TPoint{8, 26})) << c.what;
            EXPECT_EQ(fx.canvas.Last(TCanvasOp::LineTo)->Pen.Width, 1) << c.what;
        }
    }
}
