// Spanning marks on the recording canvas: the dispatcher's checks, brackets,
// hairpins, lines and the arrow hatching.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "model/modTQUtil.h"
#include "notation/modTQDrawWest.h"
#include "notation/modTQJianpuSlur.h"
#include "notation/modTQMarkArrows.h"
#include "notation/modTQMarkBraces.h"
#include "notation/modTQMarkLines.h"
#include "notation/modTQMarkOctave.h"
#include "notation/modTQSymbolDrawers.h"
#include "notation/modTQNotationApi.h"
#include "notation/modTQWestSlur.h"
#include "notation/modTQMarkWaves.h"
#include "render/modTQCvsDraw.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQViewFixture.h"

namespace {

// x unit W = 20, y unit H = 40 (row pitch B 40); margins 60 and 50. The
// mark's cell is at (2, 1): start point (100, 90).
constexpr int kCol = 2, kRow = 1;
constexpr float kX = 100.0f, kY = 90.0f;

TCell& Mark(TViewFixture& fx, const std::string& token) {
    return fx.At(kCol, kRow) = TScoreFixture::Cell(token);
}

void Draw(TViewFixture& fx) { DrawLongSymbol(&fx.view.DrawEngine, kX, kY, fx.At(kCol, kRow), kCol, kRow); }

// The x of every point a polyline of MoveTo/LineTo calls reaches, in order.
std::vector<int> PathXs(const TRecordingCanvas& rc) {
    std::vector<int> xs;
    for (const TCanvasCall& c : rc.Calls()) {
        if (c.Op == TCanvasOp::MoveTo)
            xs.push_back(c.Arg(0));
        else if (c.Op == TCanvasOp::LineTo)
            xs.push_back(c.Points.at(1).x);
    }
    return xs;
}

} // namespace

TEST(LongSymbol, KindsWithoutAMarkAndTheGraceCheck) {
    TViewFixture fx(12, 6);
    for (int kind : {-1, 100, 54191118, 11, 15, 19, 32, 35, 37}) {
        Mark(fx, "~{iEnd=5,jEnd=3}").markType = kind;
        fx.canvas.Clear();
        Draw(fx);
        EXPECT_EQ(fx.canvas.size(), 0u) << kind;
    }
    // a grace cell's mark is left to the grace drawer, unless it is a flagged
    // Western grace chord
    struct Case {
        std::string token;
        bool drawn;
    };
    for (const Case& c : {Case{"5{mark=52,iEnd=5,attr=0xC0}", false}, Case{"5{mark=52,iEnd=5,attr=0xD0}", false},
                          Case{"5{mark=52,iEnd=5,attr=0xC0,opt=0x10000000}", false},
                          Case{"W:3+2{mark=52,iEnd=5,attr=0xC0,opt=0x10000000}", true},
                          Case{"5{mark=52,iEnd=5}", true}}) {
        Mark(fx, c.token);
        fx.canvas.Clear();
        Draw(fx);
        EXPECT_EQ(fx.canvas.size() > 0, c.drawn) << c.token;
    }
    // the pen takes the current colour
    fx.view.DrawEngine.CurColor = 0x0000C0;
    Mark(fx, "~{mark=52,iEnd=5}");
    fx.canvas.Clear();
    Draw(fx);
    ASSERT_NE(fx.canvas.Last(TCanvasOp::LineTo), nullptr);
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::LineTo)->Pen.Color, 0x0000C0);
}

TEST(LongSymbol, EndsOutsideThePageDrawNothing) {
    TViewFixture fx(12, 6);
    const std::vector<int> kinds = {1, 2, 3, 55, 56, 81, 94, 28, 29, 30, 42, 71, 72, 73, 95,
                                    4,  5,  6,  7,  8,  9,  10, 20, 21, 22, 23, 24, 25, 26, 27, 31, 38, 39,
                                    40, 41, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 59, 61, 62, 63,
                                    64, 65, 66, 67, 68, 69, 70, 74, 75, 76, 77, 78, 79, 80, 82, 83, 84, 85,
                                    86, 87, 88, 89, 90, 91, 92, 93, 96, 97, 98, 99};
    for (int kind : kinds)
        for (int end : {-1, 13, 100000, -100000}) {
            TCell& c = Mark(fx, "5{iEnd=0,jEnd=0}");
            c.markType = kind;
            c.iEnd = end;
            c.jEnd = end;
            fx.canvas.Clear();
            Draw(fx);
            EXPECT_EQ(fx.canvas.size(), 0u) << "kind " << kind << " end " << end << "\n" << fx.canvas.Dump();
        }
}

TEST(BracketMark, WidthsAndEnds) {
    // An empty start cell: the bracket sits 0.95 H below the hook's top.
    struct Case {
        std::string token;
        std::vector<int> xs; // x of each point of the path
        int widthAdj = 0;
    };
    const std::vector<Case> cases = {
        // kind 4 ending in its own column: half a column, centred on its middle
        {"~{mark=4,iEnd=2}", {105, 105, 115, 115}},
        // ending left of it: the same
        {"~{mark=4,iEnd=1}", {105, 105, 115, 115}},
        // kind 4 to column 4: middle to middle; kind 5 to the right edge, no end hook
        {"~{mark=4,iEnd=4}", {110, 110, 150, 150}},
        {"~{mark=5,iEnd=4}", {110, 110, 160}},
        // kind 6: from the left edge of its column, the end hook only
        {"~{mark=6,iEnd=4}", {100, 150, 150}},
        // markWAdj moves the end by tenths of a column
        {"~{mark=4,iEnd=4}", {110, 110, 160, 160}, 5},
    };
    for (const Case& c : cases) {
        TViewFixture fx(12, 6);
        Mark(fx, c.token).markWAdj = c.widthAdj;
        Draw(fx);
        EXPECT_EQ(PathXs(fx.canvas), c.xs) << c.token;
    }
    // the hook 0.2 H long, the line 0.95 H below the start less the hook
    TViewFixture fx(12, 6);
    Mark(fx, "~{mark=4,iEnd=4}");
    Draw(fx);
    const auto moves = fx.canvas.OfOp(TCanvasOp::MoveTo);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0]->Arg(1), RoundToInt(kY - 8.0f + 38.0f + 8.0f));
    EXPECT_EQ(fx.canvas.Pen.Width, 1) << "0.027 H at the end";
}

TEST(BracketMark, OctaveDotsRaiseAndFlippedBracketsMeet) {
    // Over Jianpu notes: each octave dot beyond the first raises the bracket 0.2 H.
    int previous = 0;
    for (int dots : {1, 2, 3}) {
        TViewFixture fx(12, 6);
        fx.Row(kRow, "1 1 5{mark=4,iEnd=4} 1 1");
        fx.At(3, kRow).dot = dots;
        Draw(fx);
        const int y = fx.canvas.OfOp(TCanvasOp::LineTo)[0]->Points[1].y;
        if (dots > 1) {
            EXPECT_EQ(previous - y, 8) << dots;
        }
        previous = y;
    }
    // Two flipped brackets in a music row, the second starting where the first
    // ends: each loses 0.1 W at the join.
    TViewFixture fx(12, 6);
    fx.Row(kRow, "1 1{mark=4,iEnd=3,opt=0x80000} 2 3{mark=4,iEnd=5,opt=0x80000} 4 5");
    DrawLongSymbol(&fx.view.DrawEngine, 80.0f, kY, fx.At(1, kRow), 1, kRow);
    EXPECT_EQ(PathXs(fx.canvas), (std::vector<int>{90, 90, 128, 130}));
    fx.canvas.Clear();
    DrawLongSymbol(&fx.view.DrawEngine, 120.0f, kY, fx.At(3, kRow), 3, kRow);
    EXPECT_EQ(PathXs(fx.canvas), (std::vector<int>{130, 132, 170, 170}));
}

TEST(BracketMark, TupletBracketOnJianpuNotesShowsTheirCount) {
    TViewFixture fx(12, 6);
    fx.Row(kRow, "1 1 5{mark=86,iEnd=4} 6 7 1");
    Draw(fx);
    EXPECT_NE(fx.canvas.FindText("3"), nullptr) << fx.canvas.Dump();
    // over a span without notes: the bracket, no number
    TViewFixture empty(12, 6);
    Mark(empty, "~{mark=86,iEnd=4}");
    Draw(empty);
    EXPECT_EQ(empty.canvas.CountOf(TCanvasOp::TextOut), 0);
    EXPECT_GT(empty.canvas.CountOf(TCanvasOp::LineTo), 0);
}

TEST(HairpinMark, HiddenTiltedAndFlat) {
    TViewFixture fx(12, 6);
    // Crescendo hidden: 7 to 10 go, the other marks stay
    fx.view.CrescendoMode = true;
    for (int kind : {4, 5, 6, 7, 8, 9, 10, 51, 52}) {
        Mark(fx, "~{iEnd=5}").markType = kind;
        fx.canvas.Clear();
        Draw(fx);
        EXPECT_EQ(fx.canvas.size() == 0, kind >= 7 && kind <= 10) << kind;
    }
    fx.view.CrescendoMode = false;
    // the closing wedge's apex turns 1.5 degrees per EndYAdj step, at most 60 upward
    const float xs = kX + 6.0f, yc = kY + 20.0f, xe = 60.0f + 5.7f * 20.0f;
    // t = -min(60, 1.5 e) degrees
    for (auto [e, degrees] : {std::pair{0, 0.0f}, std::pair{2, -3.0f}, std::pair{50, -60.0f}, std::pair{80, -60.0f},
                              std::pair{-4, 6.0f}}) {
        TCell& c = Mark(fx, "~{mark=8,iEnd=5}");
        c.EndYAdj = e;
        fx.canvas.Clear();
        Draw(fx);
        const TCanvasCall* p = fx.canvas.Last(TCanvasOp::Polyline);
        ASSERT_NE(p, nullptr);
        const float t = degrees * 3.1415925f / 180.0f;
        EXPECT_EQ(p->Points[1], (TPoint{RoundToInt(xs + (xe - xs) * std::cos(t)), RoundToInt(yc - (xe - xs) * std::sin(t))}))
            << e;
    }
    // the opening wedge with EndYAdj 1 lays its upper leg on the centre line, -1 the lower
    for (int e : {1, -1}) {
        TCell& c = Mark(fx, "~{mark=7,iEnd=5}");
        c.EndYAdj = e;
        fx.canvas.Clear();
        Draw(fx);
        const TCanvasCall* p = fx.canvas.Last(TCanvasOp::Polyline);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ((e == 1 ? p->Points[0] : p->Points[2]).y, RoundToInt(yc)) << e;
        EXPECT_NE((e == 1 ? p->Points[2] : p->Points[0]).y, RoundToInt(yc)) << e;
    }
}

TEST(HairpinMark, AdjustedRateShowsInTheHighlightColour) {
    TViewFixture fx(12, 6);
    TDrawEngine& e = fx.view.DrawEngine;
    e.ShowChangedRed = true;
    struct Case {
        int rate, kind;
        bool highlighted;
    };
    for (const Case& c : {Case{120, 0, true}, Case{100, 0, false}, Case{40, 0, false}, Case{120, 1, false}}) {
        TCell& cell = Mark(fx, "~{mark=7,iEnd=5}");
        cell.AdvPlay[0] = static_cast<uint8_t>(c.rate);
        fx.view.OutputKind = c.kind;
        fx.canvas.Clear();
        Draw(fx);
        const TCanvasCall* p = fx.canvas.Last(TCanvasOp::Polyline);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->Pen.Color != e.CurColor, c.highlighted) << c.rate << " on output " << c.kind;
        EXPECT_EQ(fx.canvas.Pen.Color, e.CurColor);
    }
}

TEST(ArrowHatching, StrokesSquareToTheShaft) {
    TViewFixture fx(12, 6);
    TDrawEngine* e = &fx.view.DrawEngine;
    // step H / 6: a shaft of 40 pixels holds 6 steps, so 4 strokes
    struct Case {
        float x1, y1, x2, y2;
        bool head;
        int strokes;
    };
    for (const Case& c : {Case{100, 100, 140, 100, false, 4}, Case{100, 100, 140, 100, true, 4},
                          Case{100, 140, 100, 100, false, 4}, Case{100, 100, 124, 132, false, 4},
                          Case{100, 100, 112, 100, false, 0}, Case{100, 100, 100, 100, true, 0}}) {
        fx.canvas.Clear();
        DrawArrowHatching(e, c.x1, c.y1, c.x2, c.y2, c.head);
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::LineTo), c.strokes) << c.x2 << "," << c.y2;
        for (const TCanvasCall* l : fx.canvas.OfOp(TCanvasOp::LineTo)) {
            const float sx = static_cast<float>(l->Points[1].x - l->Points[0].x);
            const float sy = static_cast<float>(l->Points[1].y - l->Points[0].y);
            const float dx = c.x2 - c.x1, dy = c.y1 - c.y2;
            EXPECT_NEAR((sx * dx + sy * dy) / std::sqrt(dx * dx + dy * dy), 0.0f, 1.5f) << "square to the shaft";
            EXPECT_NEAR(std::sqrt(sx * sx + sy * sy), 10.0f, 1.5f) << "0.5 W long";
        }
    }
}

TEST(LineMarks, EndsAndHooks) {
    TViewFixture fx(12, 6);
    // solid line to the right edge of the end column, half a row down
    Mark(fx, "~{mark=52,iEnd=5}");
    Draw(fx);
    ASSERT_EQ(fx.canvas.CountOf(TCanvasOp::LineTo), 1);
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::LineTo)->Points, (std::vector<TPoint>{{100, 110}, {180, 110}}));
    // kind 99 hangs its hook from where the last dash ends
    fx.canvas.Clear();
    Mark(fx, "~{mark=99,iEnd=5}");
    Draw(fx);
    const TCanvasCall* hook = fx.canvas.Last(TCanvasOp::LineTo);
    ASSERT_NE(hook, nullptr);
    EXPECT_EQ(hook->Points[0].x, hook->Points[1].x);
    EXPECT_EQ(hook->Points[1].y - hook->Points[0].y, 8) << "0.2 H";
    // a slanted arrow ending in its own row still draws
    fx.canvas.Clear();
    Mark(fx, "~{mark=20,iEnd=4,jEnd=1}");
    Draw(fx);
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::LineTo), 1);
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Polygon), 1) << "one head";
    // a flipped half box loses the lower half of its last row
    for (bool flipped : {false, true}) {
        fx.canvas.Clear();
        TCell& box = Mark(fx, "~{mark=54,iEnd=4,jEnd=2}");
        if (flipped)
            box.option |= 0x80000;
        Draw(fx);
        const TRect r = fx.canvas.Last(TCanvasOp::Rectangle)->RectArg();
        EXPECT_EQ(r.Bottom, flipped ? 90 : 110) << flipped;   // x - 0.1 W and ytop as given
        EXPECT_EQ(r.Top, flipped ? 150 : 170) << flipped;     // the end row's bottom, or 0.5 H less
    }
    // kind 93 in column 0 draws its bracket 0.6 W further left
    int left[2] = {0, 0};
    for (int col : {0, 2}) {
        fx.canvas.Clear();
        TCell& bar = fx.At(col, kRow) = TScoreFixture::Cell("~{mark=93,jEnd=3}");
        DrawLongSymbol(&fx.view.DrawEngine, 100.0f, kY, bar, col, kRow);
        const auto fills = fx.canvas.OfOp(TCanvasOp::FillRect);
        ASSERT_FALSE(fills.empty());
        left[col == 0 ? 0 : 1] = fills.back()->RectArg().Left;
    }
    EXPECT_EQ(left[1] - left[0], 12);
}

TEST(ArrowMarks, StrokesCurvesAndRings) {
    TViewFixture fx(12, 6);
    // kind 46: cross strokes every g = B (0.2 - 0.05 h); none once g is not positive
    for (auto [h, some] : {std::pair{0, true}, std::pair{4, false}, std::pair{5, false}}) {
        TCell& c = Mark(fx, "~{mark=46,jEnd=4}");
        c.markHAdj = h;
        fx.canvas.Clear();
        Draw(fx);
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::FillRect) > 1, some) << h;
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Polygon), 1) << "the head";
    }
    // kind 59: two arcs, their ends pushed apart so the pair crosses
    fx.canvas.Clear();
    Mark(fx, "~{mark=59,iEnd=4,jEnd=3}");
    Draw(fx);
    const auto moves = fx.canvas.OfOp(TCanvasOp::MoveTo);
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::LineTo), 28) << "a tick and 13 segments each";
    const auto lines = fx.canvas.OfOp(TCanvasOp::LineTo);
    const TPoint end0 = lines[13]->Points[1], end1 = lines[27]->Points[1];
    // the chords' far ends move 0.3 H per column each way (3 columns); the arcs
    // stand on the chords' middles, which move half as far
    EXPECT_EQ(end1.x - end0.x, RoundToInt(0.5f * 40.0f * 0.6f * 3.0f));
    // side 0 runs from the top down, side 1 from the bottom up
    EXPECT_EQ(lines[0]->Points[1].y, RoundToInt(kY + 8.0f));
    EXPECT_EQ(lines[14]->Points[1].y, RoundToInt(50.0f + 4.0f * 40.0f - 8.0f));
    // a straight line ending before its column: two upright lines
    fx.canvas.Clear();
    Mark(fx, "~{mark=63,iEnd=1,jEnd=3}");
    Draw(fx);
    ASSERT_EQ(fx.canvas.CountOf(TCanvasOp::LineTo), 2);
    for (const TCanvasCall* l : fx.canvas.OfOp(TCanvasOp::LineTo))
        EXPECT_EQ(l->Points[0].x, l->Points[1].x);
    // the ring bracket: rings and a gap only when it spans columns
    for (auto [end, rings] : {std::pair{2, 0}, std::pair{5, 2}}) {
        fx.canvas.Clear();
        Mark(fx, "~{mark=88}").iEnd = end;
        Draw(fx);
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Ellipse), rings) << end;
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::MoveTo), rings ? 2 : 1) << end;
    }
}

TEST(OctaveMarks, LinesVoltasAndRests) {
    TViewFixture fx(12, 6);
    // an octave line of one column beyond its start: its texts only
    Mark(fx, "~{mark=74,iEnd=3}");
    Draw(fx);
    EXPECT_EQ(fx.canvas.texts(), (std::vector<std::string>{"8", "va"}));
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::LineTo), 0);
    EXPECT_EQ(fx.canvas.TextOuts()[0]->Font.Style & fsItalic, fsItalic);
    // "vb" three rows lower, hooked upward; "15" moves the suffix 0.6 column on
    int vaY = 0;
    for (int kind : {74, 76, 84}) {
        fx.canvas.Clear();
        Mark(fx, "~{iEnd=6}").markType = kind;
        Draw(fx);
        const auto texts = fx.canvas.TextOuts();
        ASSERT_EQ(texts.size(), 2u);
        const TCanvasCall* hook = fx.canvas.Last(TCanvasOp::LineTo);
        ASSERT_NE(hook, nullptr) << kind;
        const int lineY = hook->Points[0].y;
        if (kind == 74) {
            vaY = lineY;
            EXPECT_GT(hook->Points[1].y, lineY) << "down";
        } else if (kind == 76) {
            EXPECT_EQ(texts[1]->Text, "vb");
            EXPECT_EQ(lineY - vaY, 120 - 2 * 60) << "3 H lower, from 1.5 H below instead of above";
            EXPECT_LT(hook->Points[1].y, lineY) << "up";
        } else {
            EXPECT_EQ(texts[0]->Text, "15");
            EXPECT_EQ(texts[1]->Arg(0), RoundToInt(kX - 10.0f + 1.4f * 20.0f));
        }
    }
    // a volta over its own column: the text only; kind 78 hooks both ends
    fx.canvas.Clear();
    Mark(fx, "~{mark=79,iEnd=2}");
    Draw(fx);
    EXPECT_EQ(fx.canvas.texts(), (std::vector<std::string>{"1."}));
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::LineTo), 0);
    fx.canvas.Clear();
    Mark(fx, "~{mark=78,iEnd=5}");
    Draw(fx);
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::LineTo), 3);
    // a multi-measure rest with count 0: bars, no number, the count stays 0
    fx.canvas.Clear();
    TCell& rest = Mark(fx, "~{mark=87,iEnd=5}");
    rest.markHAdj = 0;
    Draw(fx);
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::FillRect), 3);
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::TextOut), 0);
    EXPECT_EQ(fx.At(kCol, kRow).markHAdj, 0);
    fx.canvas.Clear();
    fx.At(kCol, kRow).markHAdj = 12;
    Draw(fx);
    ASSERT_NE(fx.canvas.FindText("12"), nullptr);
}

TEST(WaveMarks, ToccataKindsTrillsAndArpeggios) {
    TMusicFonts fonts(true, false);
    TViewFixture fx(12, 6);
    // without "Toccata": 67 to 70 draw nothing
    for (int kind : {67, 68, 69, 70}) {
        Mark(fx, "~{iEnd=6,jEnd=3}").markType = kind;
        fx.canvas.Clear();
        Draw(fx);
        EXPECT_EQ(fx.canvas.size(), 0u) << kind;
    }
    // 65 draws the trill line with its end head; 38 and 97 draw the same picture
    std::vector<std::string> pictures;
    for (int kind : {65, 38, 97}) {
        Mark(fx, "~{iEnd=6}").markType = kind;
        fx.canvas.Clear();
        Draw(fx);
        ASSERT_EQ(fx.canvas.CountOf(TCanvasOp::TextOut), 2) << kind << fx.canvas.Dump();
        EXPECT_EQ(fx.canvas.TextOuts()[1]->Font.Name, "Wingdings 3");
        EXPECT_EQ(fx.canvas.TextOuts()[1]->Text, std::string(1, static_cast<char>(134)));
        pictures.push_back(fx.canvas.Dump());
    }
    EXPECT_EQ(pictures[1], pictures[2]);
    // a trill wave has at least two glyphs, however short or reversed its span
    for (int end : {2, 0}) {
        Mark(fx, "~{mark=38}").iEnd = end;
        fx.canvas.Clear();
        Draw(fx);
        ASSERT_GE(fx.canvas.TextOuts().size(), 1u);
        EXPECT_EQ(fx.canvas.TextOuts()[0]->Text, std::string(2, static_cast<char>(177))) << end;
    }
    // 66 without "Toccata": the drawn arpeggio (arcs) with a head at its top
    fx.canvas.Clear();
    Mark(fx, "~{mark=66,iEnd=2,jEnd=3}");
    Draw(fx);
    EXPECT_GT(fx.canvas.CountOf(TCanvasOp::Arc) + fx.canvas.CountOf(TCanvasOp::LineTo), 2) << fx.canvas.Dump();
    ASSERT_EQ(fx.canvas.CountOf(TCanvasOp::Polygon), 1);
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::Polygon)->Points[1], (TPoint{110, 90})) << "the head's tip at the top";
}

TEST(WaveMarks, ArpeggioBesideAVerticalChordStartsHigherPerNote) {
    // 0.49 H higher for each stacked note beyond two
    std::vector<int> tops;
    for (int notes : {2, 3, 4}) {
        TViewFixture fx(12, 6);
        TCell& c = Mark(fx, "5{attr=0xB0,mark=26,iEnd=2,jEnd=3}");
        c.CompressNotes.assign(static_cast<size_t>(notes), TCompressNote{'5', 0, 0, 0, 0, 0});
        fx.canvas.Clear();
        DrawArpeggioWave(&fx.view.DrawEngine, kX, kY, kX, 200.0f, c, 1.0f);
        ASSERT_FALSE(fx.canvas.Calls().empty());
        const TCanvasCall& arc = fx.canvas.Calls()[0];
        ASSERT_EQ(arc.Op, TCanvasOp::Arc) << fx.canvas.Dump();
        tops.push_back(std::min(arc.Arg(5), arc.Arg(7))); // the upper end of the first arc
    }
    EXPECT_NEAR(tops[0] - tops[1], 0.49f * 40.0f, 1.0f);
    EXPECT_NEAR(tops[1] - tops[2], 0.49f * 40.0f, 1.0f);
}

TEST(WaveMarks, ZigzagAcrossAnySlope) {
    TViewFixture fx(12, 6);
    TDrawEngine* e = &fx.view.DrawEngine;
    // a level line: the points step up and down by 0.1 W
    DrawZigzagLine(e, 100.0f, 100.0f, 160.0f, 100.0f, false);
    const auto lines = fx.canvas.OfOp(TCanvasOp::LineTo);
    ASSERT_GT(lines.size(), 3u);
    for (const TCanvasCall* l : lines)
        EXPECT_EQ(std::abs(l->Points[1].y - 100), 2) << fx.canvas.Dump();
    // four segments or fewer: no zig-zag points; with the arrow, one line from
    // the start and the head
    fx.canvas.Clear();
    DrawZigzagLine(e, 100.0f, 100.0f, 113.0f, 100.0f, false);
    EXPECT_EQ(fx.canvas.size(), 0u);
    DrawZigzagLine(e, 100.0f, 100.0f, 113.0f, 100.0f, true);
    ASSERT_EQ(fx.canvas.CountOf(TCanvasOp::LineTo), 1);
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::LineTo)->Points, (std::vector<TPoint>{{100, 100}, {113, 100}}));
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Polygon), 1);
    // a shaft of no length draws nothing
    fx.canvas.Clear();
    DrawZigzagLine(e, 100.0f, 100.0f, 100.0f, 100.0f, true);
    EXPECT_EQ(fx.canvas.size(), 0u);
}

TEST(BraceMarks, EndRowsColumnZeroAndBars) {
    TViewFixture fx(12, 6);
    // an end row above the start row: nothing
    for (int kind : {28, 29, 30, 42, 72, 95}) {
        TCell& c = Mark(fx, "~{iEnd=6,jEnd=0}");
        c.markType = kind;
        fx.canvas.Clear();
        Draw(fx);
        EXPECT_EQ(fx.canvas.size(), 0u) << kind;
    }
    // the start bracket: its picture from the top to the end row's bottom, a bar with kind 29
    for (int kind : {29, 72}) {
        Mark(fx, "~{jEnd=3}").markType = kind;
        fx.canvas.Clear();
        Draw(fx);
        ASSERT_EQ(fx.canvas.CountOf(TCanvasOp::StretchDraw), 1) << kind;
        const TRect pic = fx.canvas.Last(TCanvasOp::StretchDraw)->RectArg();
        EXPECT_EQ(pic.Top, 90);
        EXPECT_EQ(pic.Bottom, 50 + 4 * 40);
        EXPECT_EQ(pic.Left, RoundToInt(kX - 0.48f * 20.0f + 0.4f * 20.0f));
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::FillRect), kind == 29 ? 1 : 0);
    }
    // in column 0 the brackets move left: start bracket 0.52 W, square bracket 0.6 W
    const auto leftOf = [&](const std::string& token, int col, TCanvasOp op) {
        TCell& c = fx.At(col, kRow) = TScoreFixture::Cell(token);
        fx.canvas.Clear();
        DrawLongSymbol(&fx.view.DrawEngine, kX, kY, c, col, kRow);
        const auto calls = fx.canvas.OfOp(op);
        return calls.empty() ? -1000 : calls[0]->RectArg().Left;
    };
    EXPECT_EQ(leftOf("~{mark=29,jEnd=3}", 2, TCanvasOp::StretchDraw) -
                  leftOf("~{mark=29,jEnd=3}", 0, TCanvasOp::StretchDraw),
              RoundToInt(0.52f * 20.0f));
    EXPECT_EQ(leftOf("~{mark=95,jEnd=3}", 2, TCanvasOp::FillRect) - leftOf("~{mark=95,jEnd=3}", 0, TCanvasOp::FillRect),
              12);
    // the square bracket: an upright of trunc(H (rows + 0.99)) and two arms
    fx.canvas.Clear();
    Mark(fx, "~{mark=95,jEnd=3}");
    Draw(fx);
    const auto bars = fx.canvas.OfOp(TCanvasOp::FillRect);
    ASSERT_EQ(bars.size(), 3u);
    EXPECT_EQ(bars[0]->RectArg().Height(), static_cast<int>(40.0f * 2.99f));
    EXPECT_EQ(bars[2]->RectArg().Top - bars[1]->RectArg().Top, static_cast<int>(40.0f * 2.99f));
    // the system bracket on a clef cell: a bar line at the system's right end,
    // not when the clef hides it or the span is one row
    struct Case {
        int jEnd, playDur, bars;
    };
    for (const Case& c : {Case{4, 0, 3}, Case{4, 1, 2}, Case{1, 0, 2}}) {
        TCell& cell = Mark(fx, "&G{mark=30,iEnd=8}");
        cell.jEnd = c.jEnd;
        cell.playDur = c.playDur;
        fx.canvas.Clear();
        Draw(fx);
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::FillRect), c.bars) << c.jEnd << "/" << c.playDur;
    }
    // the curly braces: four quarter arcs and two straight pieces each
    for (int kind : {28, 42}) {
        Mark(fx, "~{jEnd=3}").markType = kind;
        fx.canvas.Clear();
        Draw(fx);
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::MoveTo), 6) << kind;
    }
}

TEST(LongSymbol, EveryKindReachesItsDrawer) {
    // With both music fonts, on a Jianpu and on a Western start cell: every
    // kind of the table draws, except those without a mark.
    TMusicFonts fonts(true, true);
    for (bool western : {false, true}) {
        TViewFixture fx(12, 6);
        fx.Row(kRow, western ? "&G W:3 W:3 W:3 W:3 W:3 W:3 W:3" : "1 2 3 4 5 6 7 1");
        const std::set<int> none = {11, 12, 13, 14, 15, 16, 17, 18, 19, 32, 33, 34, 35, 36, 37};
        for (int kind = -1; kind <= 100; ++kind) {
            TCell& c = fx.At(kCol, kRow);
            c.markType = kind;
            c.iEnd = 6;
            c.jEnd = 3;
            fx.canvas.Clear();
            Draw(fx);
            const bool expected = kind >= 1 && kind <= 99 && !none.count(kind);
            EXPECT_EQ(fx.canvas.size() > 0, expected) << "kind " << kind << (western ? " western" : " jianpu");
        }
        TCell& c = fx.At(kCol, kRow);
        c.markType = 54191118;
        fx.canvas.Clear();
        Draw(fx);
        EXPECT_EQ(fx.canvas.size(), 0u);
    }
}

TEST(LongSymbol, SlurToAWesternNoteGoesToTheWesternDrawer) {
    // kind 1 on a Jianpu cell: a Jianpu slur, unless its end cell is a Western
    // note; then it is exactly what the Western tie drawer draws
    for (bool westEnd : {false, true}) {
        TViewFixture fx(12, 6);
        fx.Row(kRow, "1 2 3{mark=1,iEnd=5} 4 5 6");
        if (westEnd)
            fx.At(5, kRow) = TScoreFixture::Cell("W:3");
        Draw(fx);
        const std::string viaDispatcher = fx.canvas.Dump();
        fx.canvas.Clear();
        DrawWestSlurMark(&fx.view.DrawEngine, kX, kCol, kRow, fx.At(kCol, kRow), true);
        const std::string western = fx.canvas.Dump();
        EXPECT_FALSE(viaDispatcher.empty());
        EXPECT_EQ(viaDispatcher == western, westEnd) << viaDispatcher;
    }
}

TEST(LongSymbol, EachKindDrawsWhatItsDrawerAndVariantDraw) {
    // For every kind 1..99, with and without "Toccata", on a Jianpu and on a
    // Western start cell: the dispatcher draws exactly what the drawer of the
    // kind's table row draws with that row's variant, or nothing.
    using TDirect = std::function<void(TDrawEngine*, float, float, TCell&, int, int)>;
    const auto expectedFor = [](int kind, bool western, bool toccata) -> TDirect {
        using C = TCell;
        switch (kind) {
        case 1: case 56:
            if (western)
                return [](TDrawEngine* d, float x, float, C& c, int col, int row) { DrawWestSlurMark(d, x, col, row, c, true); };
            return [](TDrawEngine* d, float x, float y, C&, int col, int row) { DrawConnectSlur(d, x, y, col, row, 1, 0); };
        case 2: return [](TDrawEngine* d, float x, float y, C&, int col, int row) { DrawConnectSlur(d, x, y, col, row, 1, 1); };
        case 3: return [](TDrawEngine* d, float x, float y, C&, int col, int row) { DrawConnectSlur(d, x, y, col, row, 1, -1); };
        case 4: case 5: case 6:
            return [kind](TDrawEngine* d, float x, float y, C& c, int col, int row) { DrawBracketMark(d, x, y, c, kind - 4, col, row, 0); };
        case 7: case 8: return [kind](TDrawEngine* d, float x, float y, C& c, int, int) { DrawHairpinMark(d, x, y, c, kind - 7); };
        case 9: case 10: return [kind](TDrawEngine* d, float x, float y, C& c, int, int) { DrawOpenHairpinMark(d, x, y, c, kind - 9); };
        case 20: return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawSlantArrowMark(d, x, y, c, 2, false); };
        case 21: return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawSlantArrowMark(d, x, y, c, 1, false); };
        case 22: return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawCurvedArrowMark(d, x, y, c, 1, 0.0f); };
        case 23: return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawCurvedArrowMark(d, x, y, c, 0, 0.0f); };
        case 24: return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawHookArrowMark(d, x, y, c); };
        case 25:
            if (toccata)
                return [](TDrawEngine* d, float x, float y, C& c, int, int row) { DrawArpeggioGlyphMark(d, x, y, row, c, false); };
            return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawWavyLineMark(d, x, y, c, 25, false); };
        case 26: case 27: case 31:
            return [kind](TDrawEngine* d, float x, float y, C& c, int, int) { DrawWavyLineMark(d, x, y, c, kind, false); };
        case 28: return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawCurlyBraceMark(d, x, y, c, false, false); };
        case 42: return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawCurlyBraceMark(d, x, y, c, false, true); };
        case 29: return [](TDrawEngine* d, float x, float y, C& c, int col, int row) { DrawStartBracketMark(d, x, y, col, row, c, true); };
        case 72: return [](TDrawEngine* d, float x, float y, C& c, int col, int row) { DrawStartBracketMark(d, x, y, col, row, c, false); };
        case 30: return [](TDrawEngine* d, float x, float y, C& c, int col, int row) { DrawSystemBracketMark(d, x, y, col, row, c); };
        case 38: return [](TDrawEngine* d, float x, float y, C& c, int col, int) { DrawTrillLineMark(d, x, y, col, c, 0); };
        case 44: return [](TDrawEngine* d, float x, float y, C& c, int col, int) { DrawTrillLineMark(d, x, y, col, c, -1); };
        case 45: return [](TDrawEngine* d, float x, float y, C& c, int col, int) { DrawTrillLineMark(d, x, y, col, c, 1); };
        case 97: return [](TDrawEngine* d, float x, float y, C& c, int col, int) { DrawTrillLineMark(d, x, y, col, c, 2); };
        case 98: return [](TDrawEngine* d, float x, float y, C& c, int col, int) { DrawTrillLineMark(d, x, y, col, c, -2); };
        case 39: case 40: case 41:
            return [kind](TDrawEngine* d, float x, float y, C& c, int col, int row) { DrawRoundBracketMark(d, x, y, c, kind - 39, col, row); };
        case 43: return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawVerticalArrowMark(d, x, y, c, false); };
        case 46: return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawVerticalArrowMark(d, x, y, c, true); };
        case 47: return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawWavyLineMark(d, x, y, c, 25, true); };
        case 48: return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawSlashStrokesMark(d, x, y, c, 2); };
        case 61: return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawSlashStrokesMark(d, x, y, c, 3); };
        case 62: return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawSlashStrokesMark(d, x, y, c, 1); };
        case 49: return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawSlantArrowMark(d, x, y, c, 2, true); };
        case 50: return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawSlantArrowMark(d, x, y, c, 1, true); };
        case 90: return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawSlantArrowMark(d, x, y, c, 3, false); };
        case 51: return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawHorizontalLineMark(d, x, y, c, 1); };
        case 52: return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawHorizontalLineMark(d, x, y, c, 0); };
        case 89: return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawHorizontalLineMark(d, x, y, c, 2); };
        case 99: return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawHorizontalLineMark(d, x, y, c, 3); };
        case 53: return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawBoxMark(d, x, y, c, false); };
        case 54: return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawBoxMark(d, x, y, c, true); };
        case 55: case 94:
            return [](TDrawEngine* d, float x, float y, C&, int col, int row) { DrawConnectSlur(d, x, y, col, row, 1, 0); };
        case 57: return [](TDrawEngine* d, float x, float y, C&, int col, int row) { DrawLeftLenticularBracket(d, x, y, col, row); };
        case 58: return [](TDrawEngine* d, float x, float y, C&, int col, int row) { DrawRightLenticularBracket(d, x, y, col, row); };
        case 59:
            return [](TDrawEngine* d, float x, float y, C& c, int col, int) {
                const float n = static_cast<float>(c.iEnd - col + 1);
                DrawCurvedArrowMark(d, x, y, c, 0, -0.3f * n);
                DrawCurvedArrowMark(d, x, y, c, 1, 0.3f * n);
            };
        case 60: return [](TDrawEngine* d, float x, float y, C& c, int col, int row) { DrawDownTailImageMark(d, x, y, c, col, row); };
        case 63: return [](TDrawEngine* d, float x, float y, C& c, int col, int) { DrawStraightLineMark(d, x, y, col, c, 2); };
        case 64: return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawVerticalLineMark(d, x, y, c, true); };
        case 65:
            if (toccata)
                return [](TDrawEngine* d, float x, float y, C& c, int col, int) { DrawTrillWaveGlyphs(d, x, y, col, c, false); };
            return [](TDrawEngine* d, float x, float y, C& c, int col, int) { DrawTrillLineMark(d, x, y, col, c, 0); };
        case 66: return [](TDrawEngine* d, float x, float y, C& c, int, int row) { DrawArpeggioGlyphMark(d, x, y, row, c, true); };
        case 67:
            if (!toccata) return nullptr;
            return [](TDrawEngine* d, float x, float y, C& c, int col, int) { DrawTrillWaveGlyphs(d, x, y, col, c, true); };
        case 68:
            if (!toccata) return nullptr;
            return [](TDrawEngine* d, float x, float y, C& c, int, int row) { DrawArpeggioGlyphMark(d, x, y, row, c, true); };
        case 69: case 70:
            if (!toccata) return nullptr;
            return [kind](TDrawEngine* d, float x, float y, C& c, int, int) { DrawGlissGlyphMark(d, x, y, c, kind == 70); };
        case 71: case 73:
            return [kind](TDrawEngine* d, float x, float y, C& c, int col, int row) { DrawStaffBraceMark(d, x, y, col, row, c, kind == 71); };
        case 74: case 75: case 76: case 77:
            return [kind](TDrawEngine* d, float x, float, C& c, int col, int row) { DrawOctaveLineMark(d, x, col, row, c, kind - 74, false); };
        case 82: case 83: case 84: case 85:
            return [kind](TDrawEngine* d, float x, float, C& c, int col, int row) { DrawOctaveLineMark(d, x, col, row, c, kind - 82, true); };
        case 78: case 79: case 80:
            return [](TDrawEngine* d, float x, float, C& c, int col, int row) { DrawVoltaMark(d, x, col, row, c); };
        case 81:
            if (western)
                return [](TDrawEngine* d, float x, float, C& c, int col, int row) { DrawWestSlurMark(d, x, col, row, c, false); };
            return [](TDrawEngine* d, float x, float y, C&, int col, int row) { DrawConnectSlur(d, x, y, col, row, 0, 0); };
        case 86:
            if (western)
                return [](TDrawEngine* d, float x, float, C&, int col, int row) { DrawWestTupletMark(d, x, col, row, false); };
            return [](TDrawEngine* d, float x, float y, C& c, int col, int row) { DrawBracketMark(d, x, y, c, 0, col, row, 2); };
        case 87: return [](TDrawEngine* d, float x, float y, C& c, int col, int row) { DrawMultiRestMark(d, x, y, c, col, row); };
        case 88: return [](TDrawEngine* d, float x, float y, C& c, int col, int) { DrawRingBracketMark(d, x, y, c, col); };
        case 91: return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawHalfArrowMark(d, x, y, c, 1); };
        case 92: return [](TDrawEngine* d, float x, float y, C& c, int, int) { DrawHalfArrowMark(d, x, y, c, 0); };
        case 93: return [](TDrawEngine* d, float x, float y, C& c, int col, int row) { DrawBarBracketMark(d, col, row, x, y, c); };
        case 95: return [](TDrawEngine* d, float x, float y, C& c, int col, int row) { DrawSquareBracketMark(d, x, y, col, row, c); };
        case 96: return [](TDrawEngine* d, float x, float y, C& c, int col, int row) { DrawHookedLineMark(d, x, y, col, row, c); };
        default: return nullptr; // 11..19 and 32..37: no mark
        }
    };
    for (bool toccata : {true, false}) {
        TMusicFonts fonts(true, toccata);
        for (bool western : {false, true}) {
            // each draw on a fresh page, so no canvas state carries over
            const auto page = [&](TViewFixture& f, int kind) -> TCell& {
                f.Row(kRow, western ? "&G W:3 W:3 W:3 W:3 W:3 W:3 W:3" : "1 2 3 4 5 6 7 1");
                TCell& c = f.At(kCol, kRow);
                c.markType = kind;
                c.iEnd = 6;
                c.jEnd = 3;
                return c;
            };
            std::map<std::string, int> seen; // picture -> first kind that drew it
            for (int kind = 1; kind <= 99; ++kind) {
                const std::string where = "kind " + std::to_string(kind) + (western ? " western" : " jianpu") +
                                          (toccata ? " toccata" : "");
                TViewFixture fx(12, 6);
                page(fx, kind);
                Draw(fx);
                const std::string viaDispatcher = fx.canvas.Dump();
                const TDirect direct = expectedFor(kind, western, toccata);
                if (!direct) {
                    EXPECT_EQ(fx.canvas.size(), 0u) << where;
                    continue;
                }
                TViewFixture other(12, 6);
                TCell& c = page(other, kind);
                SetPenColor(other.view.DrawEngine.CurColor);
                direct(&other.view.DrawEngine, kX, kY, c, kCol, kRow);
                EXPECT_FALSE(viaDispatcher.empty()) << where;
                EXPECT_EQ(viaDispatcher, other.canvas.Dump()) << where;
                // kinds of one drawer differ by their variant: no two rows draw
                // the same picture, except those the table makes alike (26 and
                // 31; 38, 97 and 65 without "Toccata"; 66 and 68 with it)
                const auto [it, fresh] = seen.emplace(viaDispatcher, kind);
                const std::set<std::pair<int, int>> alike = {{26, 31}, {38, 65}, {38, 97}, {66, 68}};
                if (!fresh) {
                    EXPECT_TRUE(alike.count({it->second, kind})) << where << " draws what kind " << it->second << " draws";
                }
            }
        }
    }
}

TEST(BraceMarks, GrandStaffBraceImageAndRepeatDots) {
    TMusicFonts fonts(true, true);
    // over 7 rows or more the brace is the "Brace2" picture stretched over the
    // rows; below that two music-font glyphs
    for (auto [rows, picture] : {std::pair{3, false}, std::pair{6, false}, std::pair{7, true}, std::pair{8, true}}) {
        TViewFixture fx(12, 10);
        TCell& c = fx.At(0, 0) = TScoreFixture::Cell("~{mark=73}");
        c.jEnd = rows;
        DrawLongSymbol(&fx.view.DrawEngine, 60.0f, 50.0f, c, 0, 0);
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::StretchDraw), picture ? 1 : 0) << rows;
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::TextOut), picture ? 0 : 2) << rows;
        if (picture) {
            const TRect r = fx.canvas.Last(TCanvasOp::StretchDraw)->RectArg();
            EXPECT_EQ(r.Top, 50);
            EXPECT_EQ(r.Bottom, 50 + 40 * (rows + 1)) << "to the end row's bottom";
        }
    }
    // repeat dots: two per Jianpu music row of the span, only with option 0x40
    // and only when the brace starts on a Jianpu music row (four sounding
    // notes or more)
    struct Case {
        const char* startRow;
        uint32_t option;
        int dots;
    };
    for (const Case& k : {Case{"~ 1 2 3 4 5", 0x40, 4}, Case{"~ 1 2 3 4 5", 0, 0}, Case{"~ 1 2", 0x40, 0}, Case{"&G W:3 W:4", 0x40, 0}}) {
        TViewFixture fx(12, 6);
        fx.Row(1, k.startRow);
        fx.Row(2, "&G W:3 W:4"); // a Western row inside the span: no dots
        fx.Row(3, "~ 5 6 7 1 2");
        TCell& c = fx.At(0, 1);
        c.markType = 73;
        c.jEnd = 3;
        c.option |= k.option;
        fx.canvas.Clear();
        DrawLongSymbol(&fx.view.DrawEngine, 60.0f, 90.0f, c, 0, 1);
        TViewFixture bare(12, 6);
        bare.Row(1, k.startRow);
        bare.Row(2, "&G W:3 W:4");
        bare.Row(3, "~ 5 6 7 1 2");
        TCell& b = bare.At(0, 1);
        b.markType = 73;
        b.jEnd = 3;
        DrawLongSymbol(&bare.view.DrawEngine, 60.0f, 90.0f, b, 0, 1);
        EXPECT_EQ(static_cast<int>(fx.canvas.size()) - static_cast<int>(bare.canvas.size()), k.dots)
            << k.startRow << " " << k.option << "\n" << fx.canvas.Dump();
    }
}
