// The cell loop and the dispatcher: which drawer each cell reaches, where, in
// which colour and at which size.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "render/modTQCvsDraw.h"
#include "render/modTQDrawGrace.h"
#include "render/modTQDrawJianpu.h"
#include "render/modTQDrawMsc.h"
#include "render/modTQDrawShrink.h"
#include "render/modTQDrawVertical.h"
#include "tests/render/TQViewFixture.h"

namespace {

// One call as it shows on the page: its arguments with the pen of lines and
// outlines, the brush of filled shapes and the font of texts; state the call
// does not use is left out (the character set too: glyphs of the music fonts
// keep whatever the text before them chose).
std::string Describe(const TCanvasCall& call) {
    std::ostringstream o;
    o << CanvasOpName(call.Op) << ::testing::PrintToString(call.Args);
    for (const TPoint& p : call.Points)
        o << " (" << p.x << "," << p.y << ")";
    const auto pen = [&] { o << " pen " << call.Pen.Color << " w" << call.Pen.Width << " s" << call.Pen.Style << " m" << call.Pen.Mode; };
    const auto brush = [&] {
        if (call.Brush.Style == bsClear)
            o << " brush clear";
        else
            o << " brush " << call.Brush.Color;
    };
    switch (call.Op) {
    case TCanvasOp::TextOut:
        o << " \"" << call.Text << "\" font " << call.Font.Name << " " << call.Font.Size << " " << call.Font.Color
          << " " << call.Font.Style;
        if (call.LogFont)
            o << " logfont " << call.LogFont->FaceName << " " << call.LogFont->Height << " " << call.LogFont->Width
              << " " << call.LogFont->Escapement;
        if (call.Brush.Style != bsClear)
            brush();
        break;
    case TCanvasOp::MoveTo:
        break;
    case TCanvasOp::LineTo:
    case TCanvasOp::Polyline:
    case TCanvasOp::Arc:
        pen();
        break;
    case TCanvasOp::Polygon:
    case TCanvasOp::Rectangle:
    case TCanvasOp::Ellipse:
        pen();
        brush();
        break;
    case TCanvasOp::FillRect:
        brush();
        break;
    case TCanvasOp::Draw:
    case TCanvasOp::StretchDraw:
        o << " bitmap " << call.Extent.cx << "x" << call.Extent.cy << (call.Transparent ? " transparent" : "");
        break;
    default:
        break;
    }
    return o.str();
}

// Each call of the record, for comparing what two draws put on the page.
std::vector<std::string> Lines(const TRecordingCanvas& rc) {
    std::vector<std::string> lines;
    for (const TCanvasCall& call : rc.Calls())
        lines.push_back(Describe(call));
    return lines;
}

// What one drawer puts on the canvas when called directly: `call` names the
// drawer and its arguments as "name col,row x,y" (col and row -1 for drawers
// that take none). The cell stands at (col, row) of a fresh fixture, the
// layer is `layer` and the engine draws at `sizeFactor`, as in the cell loop;
// `prepare` sets up the rest of the page first.
std::vector<std::string> DirectDraw(const std::string& call, const TCell& cell, int layer = 0,
                                    float sizeFactor = 1.0f,
                                    const std::function<void(TViewFixture&)>& prepare = nullptr) {
    std::istringstream in(call);
    std::string name;
    char comma = 0;
    int c = 0, r = 0, x = 0, y = 0;
    in >> name >> c >> comma >> r >> x >> comma >> y;
    TViewFixture fx(12, 6, 1);
    if (c >= 0)
        fx.At(c, r, layer) = cell;
    if (prepare)
        prepare(fx);
    CurLayer = layer;
    fx.view.DrawSizeFactor = sizeFactor;
    TDrawEngine* d = &fx.view.DrawEngine;
    TCell copy = cell;
    const float fx_ = static_cast<float>(x), fy = static_cast<float>(y);
    if (name == "note")
        DrawJianpuNote(d, fx_, fy, copy, c, r);
    else if (name == "marks")
        DrawJianpuNoteMarks(d, fx_, fy, copy.option, 0, c, r);
    else if (name == "shrink")
        DrawShrinkCell(d, c, r, fx_, fy);
    else if (name == "vertical")
        DrawVerticalChord(d, fx_, fy, c, r, copy);
    else if (name == "grace")
        DrawGraceCell(d, fx_, fy, c, r);
    else if (name == "textsym")
        DrawTextSymbol(d, fx_, fy, copy);
    else if (name == "text")
        DrawTextCell(d, fx_, fy, copy);
    else if (name == "gongche")
        DrawGongcheCell(d, fx_, fy, copy);
    else if (name == "west")
        DrawWestCellDispatch(d, fx_, fy, c, r, copy);
    else if (name == "header")
        DrawWestStaffHeader(d, fx_, fy, copy, c, r);
    else if (name == "long")
        DrawLongSymbol(d, fx_, fy, copy, c, r);
    else
        ADD_FAILURE() << "no drawer " << name;
    return Lines(fx.canvas);
}

// Whether `part` stands in `whole` as one unbroken run of lines.
bool ContainsRun(const std::vector<std::string>& whole, const std::vector<std::string>& part) {
    return std::search(whole.begin(), whole.end(), part.begin(), part.end()) != whole.end();
}

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
        // the drawers reached for the cell at column 2 of row 1, in order;
        // the cell loop draws exactly what they draw when called directly
        std::vector<std::string> calls;
        TCanvasCheck drawn = nullptr; // or: what the cell loop drew, checked itself
        std::function<void(TCell&)> setup = nullptr;
    };
    const std::vector<Case> cases = {
        {"5", {"note 2,1 100,90"}},
        {"5{x=5,y=-2}", {"note 2,1 120,82"}}, // offsets in tenths of the y unit
        {"5{attr=0xA0}", {"shrink 2,1 100,90"}, nullptr,
         [](TCell& c) { c.CompressNotes = {TCompressNote{'5', 1, 0, 0, 0, 0}, TCompressNote{'6', 1, 0, 0, 0, 0}}; }},
        {"5{attr=0xB0}", {"vertical 2,1 100,90"}},
        {"5{attr=0xC0}", {"grace 2,1 100,90"}},
        {"5{attr=0xD0}", {"grace 2,1 100,90"}},
        {"5{mark=35}", {}}, // marks 32..37 hide the note and draw no line
        {"5{mark=7,iEnd=5,jEnd=1}", {"note 2,1 100,90", "long 2,1 100,90"}},
        {"\"abc\"", {"text -1,-1 100,90"}},
        // tempo: "= 120" 1.1 x unit right of the cell, 0.15 y unit down
        {"~{type=4,note=2,fc=120}", {}, textAt("= 120", 122, 96)},
        // image: a picture that is nowhere to be found says so on screen
        {"~{type=7}", {}, textAt("Image File Missing:", 110, 102), [](TCell& c) { c.Text = "nowhere/x.png"; }},
        // Jianpu time signature: the fraction line at 0.52 y unit, one column long
        {"T:3/4", {}, pointsOf(TCanvasOp::LineTo, {{100, 108}, {120, 108}})},
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
        {"S:10003{opt=0x20}", {"marks 2,1 100,94"}, textAt("台", 102, 106)},
        // Western cells go to the staff drawer at (x + 0.2 x unit, y + 0.7 y unit),
        // vertical offsets in eighths of the y unit
        {"W:3", {"west 2,1 104,118"}},
        {"W:3{y=2}", {"west 2,1 104,128"}},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        fx.At(2, 1) = TScoreFixture::Cell(c.token);
        if (c.setup)
            c.setup(fx.At(2, 1));
        fx.view.DrawEngine.DrawCells(0, 0, fx.view.Cols, fx.view.Rows);
        std::vector<std::string> expected;
        for (const std::string& call : c.calls) {
            const auto part = DirectDraw(call, fx.At(2, 1));
            EXPECT_FALSE(part.empty()) << c.token << ": " << call << " draws nothing";
            expected.insert(expected.end(), part.begin(), part.end());
        }
        if (c.drawn)
            EXPECT_TRUE(ContainsRun(Lines(fx.canvas), expected))
                << c.token << "\n" << ::testing::PrintToString(Lines(fx.canvas)) << "\n" << ::testing::PrintToString(expected);
        else
            EXPECT_EQ(Lines(fx.canvas), expected) << c.token;
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
    // Notes inside the run are drawn with the reduced y unit (28), after it
    // with the full one (40).
    std::vector<std::vector<std::string>> notes;
    for (int c = 1; c <= 5; ++c) {
        const std::string call = "note " + std::to_string(c) + ",1 " + std::to_string(60 + 20 * c) + ",90";
        notes.push_back(DirectDraw(call, TScoreFixture::Cell(std::to_string(c)), 0, c <= 3 ? 0.7f : 1.0f));
        ASSERT_FALSE(notes.back().empty());
    }
    ASSERT_NE(DirectDraw("note 1,1 80,90", TScoreFixture::Cell("1"), 0, 0.7f),
              DirectDraw("note 1,1 80,90", TScoreFixture::Cell("1"), 0, 1.0f));
    const auto notesAsExpected = [&] {
        const auto lines = Lines(fx.canvas);
        return std::all_of(notes.begin(), notes.end(), [&](const auto& n) { return ContainsRun(lines, n); });
    };
    // The head is drawn once, in layer 0, at (x + 0.2 x unit, y + 0.7 of the
    // reduced y unit), with the run's end known and no clef in force yet.
    const auto header = DirectDraw("header 0,1 64,110", fx.At(0, 1), 0, 0.7f, [](TViewFixture& f) {
        f.view.DrawEngine.ReducedRunEnd = 3;
        f.view.CurClef = -1;
    });
    ASSERT_FALSE(header.empty());
    CurLayer = 0;
    fx.view.DrawEngine.DrawCells(0, 0, 12, 4);
    EXPECT_TRUE(notesAsExpected()) << fx.canvas.Dump();
    EXPECT_TRUE(ContainsRun(Lines(fx.canvas), header)) << fx.canvas.Dump();

    // In layer 1 the clef position draws nothing, but the run still applies.
    fx.canvas.Clear();
    CurLayer = 1;
    fx.view.DrawEngine.DrawCells(0, 0, 12, 4);
    EXPECT_FALSE(ContainsRun(Lines(fx.canvas), header));
    EXPECT_TRUE(notesAsExpected()) << fx.canvas.Dump();
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
    // 5 tenths of 40 = 20 pixels each way; 8 eighths of 40 = 40 pixels down
    const auto note = DirectDraw("note 0,1 80,110", fx.At(0, 1));
    const auto west = DirectDraw("west 1,1 84,158", fx.At(1, 1));
    ASSERT_FALSE(note.empty());
    ASSERT_FALSE(west.empty());
    for (int pass = 0; pass < 2; ++pass) {
        fx.canvas.Clear();
        fx.view.DrawSizeFactor = 0.7f; // as a previous draw could leave it
        fx.view.DrawEngine.DrawCells(0, 0, fx.view.Cols, fx.view.Rows);
        EXPECT_TRUE(ContainsRun(Lines(fx.canvas), note)) << pass << "\n" << fx.canvas.Dump();
        EXPECT_TRUE(ContainsRun(Lines(fx.canvas), west)) << pass;
    }

    // Within a row: the first cell after the run (column 2) is full size, its
    // offset included.
    fx.Row(2, "&G{dur=32,iEnd=1} 1 W:3{y=8}");
    fx.canvas.Clear();
    fx.view.DrawEngine.DrawCells(0, 2, fx.view.Cols, 3);
    // 130 + 0.7 x 40 + 8 eighths of 40
    EXPECT_TRUE(ContainsRun(Lines(fx.canvas), DirectDraw("west 2,2 104,198", fx.At(2, 2)))) << fx.canvas.Dump();
}

TEST(CellLoop, OwnColourAndOwnerConnector) {
    // A text with its own colour (up 2) is drawn in it; the others in the
    // current colour.
    TViewFixture fx;
    fx.Row(0, "\"red\"{up=2,fc=255} \"plain\" \"blue\"{up=0,fc=0xFF0000}");
    fx.view.DrawEngine.CurColor = 0x112233;
    fx.view.DrawEngine.DrawCells(0, 0, fx.view.Cols, fx.view.Rows);
    std::vector<TColor> colours;
    for (const char* text : {"red", "plain", "blue"}) {
        const TCanvasCall* t = fx.canvas.FindText(text);
        ASSERT_NE(t, nullptr) << text << "\n" << fx.canvas.Dump();
        colours.push_back(t->Font.Color);
    }
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
    // A hairpin above a Western staff is drawn from its cell's top; one moved
    // below the notes (0x80000) from the next row's top.
    const auto page = [](TViewFixture& f) {
        f.Row(0, "&G ~{mark=5,y=8,opt=0x80000,iEnd=3,jEnd=0} ~{mark=5,y=8,iEnd=4,jEnd=0} "
                 "~{mark=6,y=8,opt=0x80000,iEnd=5,jEnd=0} ~{mark=7,y=8,opt=0x80000,iEnd=6,jEnd=0}");
        f.Row(1, "~{mark=5,y=5,opt=0x80000,iEnd=2,jEnd=1}");
    };
    TViewFixture fx;
    page(fx);
    fx.view.DrawEngine.DrawCells(0, 0, fx.view.Cols, fx.view.Rows);
    for (const char* call : {"long 1,0 80,50", "long 2,0 100,90", "long 3,0 120,50", "long 4,0 140,90", "long 0,1 60,110"}) {
        std::istringstream in(call);
        std::string name;
        int c = 0, r = 0;
        char comma = 0;
        in >> name >> c >> comma >> r;
        const auto drawn = DirectDraw(call, fx.At(c, r), 0, 1.0f, page);
        ASSERT_FALSE(drawn.empty()) << call;
        EXPECT_TRUE(ContainsRun(Lines(fx.canvas), drawn)) << call << "\n" << fx.canvas.Dump();
    }
}

TEST(JianpuCell, ChangedPlaySettingsShowInTheHighlightColour) {
    struct Case {
        const char* what;
        std::string token;
        bool showChanged;
        int kind;
        bool inColour;
        int layerButton; // image index of the layer button
        TColor font;     // font colour the note is drawn in; -1: the ordinary one
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
        fx.view.DrawEngine.CurColor = 0x224466;
        fx.canvas.Font.Color = -1;
        DrawJianpuCell(&fx.view.DrawEngine, 0.0f, 0.0f, cell, 1, 1);
        const TCanvasCall* note = fx.canvas.FindText("5");
        if (c.token == "~") {
            EXPECT_EQ(note, nullptr) << c.what;
            continue;
        }
        ASSERT_NE(note, nullptr) << c.what;
        EXPECT_EQ(note->Font.Color, c.font == -1 ? fx.view.DrawEngine.CurColor : c.font) << c.what;
    }
    // A play-duration override counts as a change, an unchanged cell does not.
    TViewFixture fx;
    fx.view.DrawEngine.ShowChangedRed = true;
    fx.view.DrawEngine.CurColor = 0x224466;
    fx.canvas.Font.Color = -1;
    DrawJianpuCell(&fx.view.DrawEngine, 0, 0, TScoreFixture::Cell("5"), 1, 1);
    ASSERT_NE(fx.canvas.FindText("5"), nullptr);
    EXPECT_EQ(fx.canvas.FindText("5")->Font.Color, fx.view.DrawEngine.CurColor);
    fx.canvas.Clear();
    DrawJianpuCell(&fx.view.DrawEngine, 0, 0, TScoreFixture::Cell("5{dur=3}"), 1, 1);
    ASSERT_NE(fx.canvas.FindText("5"), nullptr);
    EXPECT_EQ(fx.canvas.FindText("5")->Font.Color, 0x000080);
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
