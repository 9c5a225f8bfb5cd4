// The cell loop and the dispatcher: which drawer each cell reaches, where, in
// which colour and at which size.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "render/modTQCvsDraw.h"
#include "tests/render/TQViewFixture.h"

namespace {

// Every hook of both tables, recording "name col,row x,y" (x, y rounded).
// Drawers without a hook are seen by what they put on the canvas.
struct THookLog {
    std::vector<std::string> calls;
    void Add(const std::string& name, int col, int row, float x, float y) {
        std::ostringstream s;
        s << name << " " << col << "," << row << " " << RoundToInt(x) << "," << RoundToInt(y);
        calls.push_back(s.str());
    }
    void InstallAll() {
        auto& r = RenderHooks();
        // empty cells are Jianpu blanks: left out of the log
        r.DrawJianpuNote = [this](TDrawEngine*, float x, float y, const TCell& cell, int c, int rw) {
            if (cell.Note != 32)
                Add("note", c, rw, x, y);
        };
        r.DrawJianpuNoteMarks = [this](TDrawEngine*, float x, float y, uint32_t, int, int c, int rw) {
            Add("marks", c, rw, x, y);
        };
        r.DrawShrinkCell = [this](TDrawEngine*, int c, int rw, float x, float y) { Add("shrink", c, rw, x, y); };
        r.DrawVerticalChord = [this](TDrawEngine*, float x, float y, int c, int rw, const TCell&) {
            Add("vertical", c, rw, x, y);
        };
        r.DrawGraceCell = [this](TDrawEngine*, float x, float y, int c, int rw) { Add("grace", c, rw, x, y); };
        r.DrawTextSymbol = [this](TDrawEngine*, float x, float y, TCell) { Add("textsym", -1, -1, x, y); };
        r.DrawTextCell = [this](TDrawEngine*, float x, float y, const TCell&) { Add("text", -1, -1, x, y); };
        r.DrawGongcheCell = [this](TDrawEngine*, float x, float y, const TCell&) { Add("gongche", -1, -1, x, y); };
        auto& n = NotationHooks();
        n.DrawWestCellDispatch = [this](TDrawEngine*, float x, float y, int c, int rw, TCell&) { Add("west", c, rw, x, y); };
        n.DrawWestStaffHeader = [this](TDrawEngine*, float x, float y, TCell&, int c, int rw) {
            Add("header", c, rw, x, y);
        };
        n.DrawLongSymbol = [this](TDrawEngine*, float x, float y, TCell&, int c, int rw) { Add("long", c, rw, x, y); };
    }
};

} // namespace

TEST(CellLoop, DispatchesEachKindToItsDrawer) {
    // x unit 20, y unit 40; cell (c, r) has its origin at (60 + 20c, 50 + 40r).
    using TCanvasCheck = std::function<void(const TRecordingCanvas&)>;
    // The first call of a kind at these points.
    const auto pointsOf = [](TCanvasOp op, std::vector<TPoint> points) -> TCanvasCheck {
        return [op, points](const TRecordingCanvas& rc) {
            const auto calls = rc.OfOp(op);
            ASSERT_FALSE(calls.empty()) << rc.Dump();
            EXPECT_EQ(calls[0]->Points, points) << rc.Dump();
        };
    };
    const auto textAt = [](std::string text, int x, int y) -> TCanvasCheck {
        return [text, x, y](const TRecordingCanvas& rc) {
            const TCanvasCall* t = rc.FindText(text);
            ASSERT_NE(t, nullptr) << rc.Dump();
            EXPECT_EQ(t->Arg(0), x) << text;
            EXPECT_EQ(t->Arg(1), y) << text;
        };
    };
    struct Case {
        std::string token;
        std::vector<std::string> calls; // for the cell at column 2 of row 1
        TCanvasCheck drawn = nullptr;   // what a drawer without a hook drew
        std::function<void(TCell&)> setup = nullptr;
    };
    const std::vector<Case> cases = {
        {"5", {"note 2,1 100,90"}},
        {"5{x=5,y=-2}", {"note 2,1 120,82"}}, // offsets in tenths of the y unit
        {"5{attr=0xA0}", {"shrink 2,1 100,90"}},
        {"5{attr=0xB0}", {"vertical 2,1 100,90"}},
        {"5{attr=0xC0}", {"grace 2,1 100,90"}},
        {"5{attr=0xD0}", {"grace 2,1 100,90"}},
        {"5{mark=35}", {"long 2,1 100,90"}},  // no note, only its spanning mark
        {"5{mark=7}", {"note 2,1 100,90", "long 2,1 100,90"}},
        {"\"abc\"", {"text -1,-1 100,90"}},
        // tempo: "= 120" 1.1 x unit right of the cell, 0.15 y unit down
        {"~{type=4,note=2,fc=120}", {}, textAt("= 120", 122, 96)},
        // image: a picture that is nowhere to be found says so on screen
        {"~{type=7}", {}, textAt("Image File Missing:", 110, 102), [](TCell& c) { c.Text = "nowhere/x.png"; }},
        // Jianpu time signature: the fraction line at 0.52 y unit, one column long
        {"T:3/4", {}, pointsOf(TCanvasOp::LineTo, {{100, 111}, {120, 111}})},
        {"~{type=10,note=49}", {"gongche -1,-1 100,90"}},
        {"~{type=11}", {"textsym -1,-1 100,90"}},
        // instrument 32: its picture in the cell, one pixel in from the corner
        {"~{type=12,up=32}", {},
         [](const TRecordingCanvas& rc) {
             ASSERT_EQ(rc.CountOf(TCanvasOp::StretchDraw), 1) << rc.Dump();
             EXPECT_EQ(rc.Last(TCanvasOp::StretchDraw)->RectArg(), (TRect{101, 91, 120, 130}));
         }},
        {"~{type=2}", {}},
        {"~{type=5}", {}},
        {"~{type=6}", {}},
        // symbol 5, the right hook, at the symbol point
        {"S:5", {}, pointsOf(TCanvasOp::Polyline, {{102, 126}, {118, 126}, {111, 119}})},
        // list form: the first group 0.2 x unit left, at 0.7 size
        {"S:5{attr=0xA0}", {}, pointsOf(TCanvasOp::Polyline, {{100, 126}, {112, 126}, {107, 121}}),
         [](TCell& c) { c.CompressNotes = {TCompressNote{5, 0, 0, 32, 32, 0}}; }},
        // a percussion syllable: the symbol 2 pixels up, its marks from 4 pixels down
        {"S:10003", {"marks 2,1 100,94"}, textAt("台", 102, 106)},
        // Western cells go to the staff drawer at (x + 0.2 x unit, y + 0.7 y unit),
        // vertical offsets in eighths of the y unit
        {"W:3", {"west 2,1 104,118"}},
        {"W:3{y=2}", {"west 2,1 104,128"}},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        THookLog log;
        log.InstallAll();
        fx.At(2, 1) = TScoreFixture::Cell(c.token);
        if (c.setup)
            c.setup(fx.At(2, 1));
        fx.view.DrawEngine.DrawCells(0, 0, fx.view.Cols, fx.view.Rows);
        EXPECT_EQ(log.calls, c.calls) << c.token;
        if (c.drawn) {
            SCOPED_TRACE(c.token);
            c.drawn(fx.canvas);
        }
    }
}

TEST(CellLoop, BackgroundImageCellIsNotDrawnAsAnImage) {
    TViewFixture fx;
    fx.At(0, 0) = TScoreFixture::Cell("~{type=7,note=200119}");
    fx.At(1, 0) = TScoreFixture::Cell("~{type=7,note=200119}");
    fx.At(0, 0).Text = fx.At(1, 0).Text = "nowhere/x.png";
    fx.view.DrawEngine.DrawCells(0, 0, fx.view.Cols, fx.view.Rows);
    // only the cell at column 1 is an image (a missing one, at 0.5 x unit, 0.3 y unit)
    const auto missing = fx.canvas.TextOuts();
    ASSERT_EQ(fx.canvas.texts(), (std::vector<std::string>{"Image File Missing:", "nowhere/x.png"}));
    EXPECT_EQ(missing[0]->Arg(0), 90);
    EXPECT_EQ(missing[0]->Arg(1), 62);
}

TEST(CellLoop, StaffHeadAndReducedRun) {
    // Layer 0 row 1: a treble clef with the reduced-size bit and iEnd 3; notes after it.
    TViewFixture fx(12, 4, 1);
    fx.Row(1, "&G{dur=32,iEnd=3} 1 2 3 4 5");
    fx.Row(1, "~ 1 2 3 4 5", 1);
    std::vector<std::pair<int, int>> unitByCol; // (column, y unit seen by the drawer)
    std::vector<int> headerLayers;
    RenderHooks().DrawJianpuNote = [&](TDrawEngine*, float, float, const TCell& cell, int c, int) {
        if (cell.Note != 32)
            unitByCol.push_back({c, MainView()->GetCellHeight()});
    };
    NotationHooks().DrawWestStaffHeader = [&](TDrawEngine* d, float x, float y, TCell&, int c, int) {
        headerLayers.push_back(CurLayer);
        EXPECT_EQ(c, 0);
        EXPECT_EQ(RoundToInt(x), 64);
        EXPECT_EQ(RoundToInt(y), 90 + 20); // 0.7 of the reduced y unit 28
        EXPECT_EQ(d->ReducedRunEnd, 3);
        EXPECT_EQ(MainView()->CurClef, -1);
    };
    CurLayer = 0;
    fx.view.DrawEngine.DrawCells(0, 0, 12, 4);
    EXPECT_EQ(unitByCol, (std::vector<std::pair<int, int>>{{1, 28}, {2, 28}, {3, 28}, {4, 40}, {5, 40}}));
    EXPECT_EQ(headerLayers, std::vector<int>{0});

    // In layer 1 the clef position draws nothing, but the run still applies.
    unitByCol.clear();
    CurLayer = 1;
    fx.view.DrawEngine.DrawCells(0, 0, 12, 4);
    EXPECT_EQ(headerLayers, std::vector<int>{0});
    EXPECT_EQ(unitByCol, (std::vector<std::pair<int, int>>{{1, 28}, {2, 28}, {3, 28}, {4, 40}, {5, 40}}));
    // After the loop the y unit is the full one again.
    EXPECT_EQ(fx.view.GetCellHeight(), 40);
}

TEST(CellLoop, OffsetsAreFullSizeAfterAReducedRun) {
    // Row 0 ends inside a reduced-size run; row 1 holds moved cells. Their
    // offsets use the full-size unit, also when a draw starts with the reduced
    // factor left over.
    TViewFixture fx;
    fx.Row(0, "&G{dur=32,iEnd=99} 1 2");
    fx.Row(1, "5{x=5,y=5} W:3{y=8}");
    THookLog log;
    log.InstallAll();
    for (int pass = 0; pass < 2; ++pass) {
        log.calls.clear();
        fx.view.DrawSizeFactor = 0.7f; // as a previous draw could leave it
        fx.view.DrawEngine.DrawCells(0, 0, fx.view.Cols, fx.view.Rows);
        ASSERT_GE(log.calls.size(), 5u);
        EXPECT_EQ(log.calls[3], "note 0,1 80,110") << pass;   // 5 tenths of 40 = 20 pixels each way
        EXPECT_EQ(log.calls[4], "west 1,1 84,158") << pass;   // 8 eighths of 40 = 40 pixels down
    }

    // Within a row: the first cell after the run (column 2) is full size, its
    // offset included.
    fx.Row(2, "&G{dur=32,iEnd=1} 1 W:3{y=8}");
    log.calls.clear();
    fx.view.DrawEngine.DrawCells(0, 2, fx.view.Cols, 3);
    EXPECT_NE(std::find(log.calls.begin(), log.calls.end(), "west 2,2 104,198"), log.calls.end())
        << ::testing::PrintToString(log.calls); // 130 + 0.7 x 40 + 8 eighths of 40
}

TEST(CellLoop, OwnColourAndOwnerConnector) {
    TViewFixture fx;
    std::vector<TColor> colours;
    RenderHooks().DrawTextCell = [&](TDrawEngine* d, float, float, const TCell&) { colours.push_back(d->CurColor); };
    fx.Row(0, "\"red\"{up=2,fc=255} \"plain\" \"blue\"{up=0,fc=0xFF0000}");
    fx.view.DrawEngine.CurColor = 0x112233;
    fx.view.DrawEngine.DrawCells(0, 0, fx.view.Cols, fx.view.Rows);
    EXPECT_EQ(colours, (std::vector<TColor>{0x0000FF, 0x112233, 0x112233}));

    // The owner connector: a red line and arrow from a cell moved more than 3
    // tenths, on screen with "Show Owner Cell" checked; never for Western cells.
    struct Case {
        std::string token;
        bool checked;
        int kind;
        bool arrow;
    };
    const std::vector<Case> cases = {
        {"S:5{x=4}", true, 0, true},   {"S:5{x=3}", true, 0, false}, {"S:5{y=-3.5}", true, 0, true},
        {"S:5{x=4}", false, 0, false}, {"S:5{x=4}", true, 2, false}, {"W:3{x=9}", true, 0, false},
    };
    for (const Case& c : cases) {
        TViewFixture f2;
        f2.view.mitShowOwnerCellChecked = c.checked;
        f2.view.OutputKind = c.kind;
        f2.At(3, 2) = TScoreFixture::Cell(c.token);
        f2.view.DrawEngine.DrawCells(0, 0, f2.view.Cols, f2.view.Rows);
        int redLines = 0;
        for (const TCanvasCall* l : f2.canvas.OfOp(TCanvasOp::LineTo))
            redLines += l->Pen.Color == 0x0000FF;
        EXPECT_EQ(redLines, c.arrow ? 1 : 0) << c.token;
        EXPECT_EQ(f2.canvas.CountOf(TCanvasOp::Polygon), c.arrow ? 1 : 0) << c.token;
        if (c.arrow) {
            // from the middle of the grid cell (130, 150)
            EXPECT_EQ(f2.canvas.Last(TCanvasOp::LineTo)->Points.at(0), (TPoint{130, 150}));
        }
    }
}

TEST(CellLoop, UnderlinesOnlyOutsideWesternRows) {
    TViewFixture fx;
    fx.Row(0, "1__ 2_");
    fx.Row(1, "&G 1__");
    fx.view.DrawEngine.DrawCells(0, 0, fx.view.Cols, fx.view.Rows);
    // row 0: 2 + 1 underlines; row 1 is a Western row and gets none
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::FillRect), 3) << fx.canvas.Dump();
}

TEST(CellLoop, HairpinOnAWesternRowKeepsItsLine) {
    TViewFixture fx;
    THookLog log;
    log.InstallAll();
    fx.Row(0, "&G ~{mark=5,y=8,opt=0x80000} ~{mark=5,y=8} ~{mark=6,y=8,opt=0x80000} ~{mark=7,y=8,opt=0x80000}");
    fx.Row(1, "~{mark=5,y=5,opt=0x80000}");
    fx.view.DrawEngine.DrawCells(0, 0, fx.view.Cols, fx.view.Rows);
    std::vector<std::string> longs;
    for (const std::string& s : log.calls)
        if (s.rfind("long", 0) == 0)
            longs.push_back(s);
    EXPECT_EQ(longs, (std::vector<std::string>{"long 1,0 80,50", "long 2,0 100,90", "long 3,0 120,50",
                                               "long 4,0 140,90", "long 0,1 60,110"}));
}

TEST(JianpuCell, ChangedPlaySettingsShowInTheHighlightColour) {
    struct Case {
        const char* what;
        std::string token;
        bool showChanged;
        int kind;
        bool inColour;
        int layerButton; // image index of the layer button
        TColor font;     // font colour the note drawer sees; -1: unchanged
    };
    const TColor other = 0x8080FF, edit = 0x000080;
    const std::vector<Case> cases = {
        {"volume changed", "5", true, 0, false, 60, edit},
        {"edited layer is not the one shown", "5", true, 0, false, 61, other},
        {"switch off", "5", false, 0, false, 60, -1},
        {"printer in black", "5", true, 1, false, 60, -1},
        {"printer in colour", "5", true, 1, true, 60, edit},
        {"not a sounding cell", "~", true, 0, false, 60, -1},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        TCell cell = TScoreFixture::Cell(c.token);
        cell.AdvPlay[1] = 80;
        fx.view.DrawEngine.ShowChangedRed = c.showChanged;
        fx.view.OutputKind = c.kind;
        fx.view.OutputInColor = c.inColour;
        fx.view.btnLayerImageIndex = c.layerButton;
        fx.canvas.Font.Color = -1;
        TColor seen = -2;
        RenderHooks().DrawJianpuNote = [&](TDrawEngine*, float, float, const TCell&, int, int) {
            seen = fx.canvas.Font.Color;
        };
        DrawJianpuCell(&fx.view.DrawEngine, 0.0f, 0.0f, cell, 1, 1);
        EXPECT_EQ(seen, c.font) << c.what;
    }
    // A play-duration override counts as a change, an unchanged cell does not.
    TViewFixture fx;
    fx.view.DrawEngine.ShowChangedRed = true;
    TColor seen = -2;
    RenderHooks().DrawJianpuNote = [&](TDrawEngine*, float, float, const TCell&, int, int) { seen = fx.canvas.Font.Color; };
    fx.canvas.Font.Color = -1;
    DrawJianpuCell(&fx.view.DrawEngine, 0, 0, TScoreFixture::Cell("5"), 1, 1);
    EXPECT_EQ(seen, -1);
    DrawJianpuCell(&fx.view.DrawEngine, 0, 0, TScoreFixture::Cell("5{dur=3}"), 1, 1);
    EXPECT_EQ(seen, 0x000080);
}

TEST(JianpuCell, SharedMarkDrawers) {
    TViewFixture fx; // x unit 20, y unit 40
    TDrawEngine& e = fx.view.DrawEngine;
    e.CurColor = 0x0000AA;
    TCell cell;
    DrawSlashMarks(&e, 100.0f, 50.0f, cell, 2);
    auto strokes = fx.canvas.OfOp(TCanvasOp::Polygon);
    ASSERT_EQ(strokes.size(), 2u);
    // from (x + 0.2 x unit, y + 0.79 y unit), 6 pixels long at 45 degrees, the
    // second stroke two thicknesses lower
    EXPECT_EQ(strokes[0]->Points.at(0), (TPoint{104, 82}));
    EXPECT_EQ(strokes[0]->Points.at(3), (TPoint{110, 76}));
    EXPECT_EQ(strokes[1]->Points.at(0), (TPoint{106, 84}));
    EXPECT_EQ(strokes[0]->Brush.Color, 0x0000AA);
    EXPECT_EQ(strokes[0]->Brush.Style, bsSolid);
    EXPECT_EQ(fx.canvas.Brush.Style, bsClear);
    EXPECT_EQ(fx.canvas.Pen.Width, 1);

    DrawAsteriskSymbol(&e, 10.0f, 20.0f, cell, 2.0f);
    const TCanvasCall* star = fx.canvas.FindText("*");
    ASSERT_NE(star, nullptr);
    EXPECT_EQ(star->Font.Name, "Arial");
    EXPECT_EQ(star->Font.Size, 28); // 20 x 1 x 0.7 x 2

    DrawTextCircle(&e, 100.0f, 50.0f, cell, TSize{10, 20}, 1.0f);
    const TCanvasCall* ring = fx.canvas.Last(TCanvasOp::Ellipse);
    ASSERT_NE(ring, nullptr);
    // centre (120, 90), half-axes 8.3 and 16.6
    EXPECT_EQ(ring->RectArg(), (TRect{112, 73, 128, 107}));
    EXPECT_EQ(ring->Pen.Width, 2); // 0.038 x 40
    EXPECT_EQ(ring->Brush.Style, bsClear);
    EXPECT_EQ(fx.canvas.Pen.Width, 1);
}
