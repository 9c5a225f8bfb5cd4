// Western cells, beams, stems and notes on the recording canvas.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/modTQCellAccess.h"
#include "notation/modTQDrawWest.h"
#include "platform/gui/TQBitmap.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQDrawWest.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQViewFixture.h"

namespace {

// x unit 20, y unit 40.
constexpr float X = 20.0f;
constexpr float Y = 40.0f;

// A treble staff in row 1 and the given cells from column 2 on.
void Staff(TViewFixture& fx, const std::string& cells, int layer = 0) {
    fx.Row(1, "&G{iEnd=11} ~ " + cells, layer);
}

// Draws row 1 of the current layer through the cell loop.
void DrawRow(TViewFixture& fx) { fx.view.DrawEngine.DrawCells(0, 1, fx.view.Cols, 2); }

// Curves (slurs and ties) are filled polygons of many points.
int Curves(const TRecordingCanvas& rc) {
    int n = 0;
    for (const TCanvasCall* p : rc.OfOp(TCanvasOp::Polygon))
        n += p->Points.size() > 8 ? 1 : 0;
    return n;
}

std::vector<const TCanvasCall*> Quads(const TRecordingCanvas& rc) {
    std::vector<const TCanvasCall*> out;
    for (const TCanvasCall* p : rc.OfOp(TCanvasOp::Polygon))
        if (p->Points.size() == 4)
            out.push_back(p);
    return out;
}

// Leftmost and rightmost x of a polygon.
std::pair<int, int> Span(const TCanvasCall& p) {
    int lo = 1 << 30, hi = -(1 << 30);
    for (const TPoint& q : p.Points) {
        lo = std::min(lo, q.x);
        hi = std::max(hi, q.x);
    }
    return {lo, hi};
}

} // namespace

// ---- cells and the beam group of a row ----

TEST(WestCells, QuarterInsideAGroupGetsNoPoint) {
    TMusicFonts fonts(true, true);
    TViewFixture fx(12, 4);
    Staff(fx, "W:4@0{opt=2} W:3@0 W:4@0 W:4@0{opt=4}");
    TDrawEngine& e = fx.view.DrawEngine;
    e.BeamMode = 0;
    const int expected[4] = {1, 1, 2, 0}; // points after each cell; the end draws and clears
    for (int c = 2; c <= 5; ++c) {
        DrawWestCell(&e, fx.X(c) + 4.0f, fx.Y(1) + 28.0f, c, 1, fx.At(c, 1));
        EXPECT_EQ(static_cast<int>(e.BeamPoints.size()), expected[c - 2]) << c;
    }
    EXPECT_EQ(e.BeamMode, 0);
}

TEST(WestCells, GraceNoteSlurReachesOverOneEmptyCell) {
    TMusicFonts fonts(true, true);
    struct Case {
        const char* cells;
        int curves;
    };
    const Case cases[] = {
        {"W:4@0{opt=0x10000000} W:3@0", 1},
        {"W:4@0{opt=0x10000000} ~ W:3@0", 1},
        {"W:4@0{opt=0x10000000} ~ ~ W:3@0", 0},
        {"W:4@0 ~ W:3@0", 0},
    };
    for (const Case& c : cases) {
        TViewFixture fx(12, 4);
        Staff(fx, c.cells);
        DrawRow(fx);
        EXPECT_EQ(Curves(fx.canvas), c.curves) << c.cells << "\n" << fx.canvas.Dump();
    }
}

TEST(WestCells, LayerOneAboveAKeyResetDrawsNothing) {
    TMusicFonts fonts(true, true);
    TViewFixture fx(12, 4, 1);
    Staff(fx, "&N W:63");
    fx.Row(1, "~ ~ W:3@0 W:3@0{attr=1}", 1);
    CurLayer = 1;
    TDrawEngine& e = fx.view.DrawEngine;
    DrawWestCellDispatch(&e, fx.X(2) + 4.0f, fx.Y(1) + 28.0f, 2, 1, fx.At(2, 1, 1));
    EXPECT_EQ(fx.canvas.size(), 0u) << fx.canvas.Dump();
    // above a bar line the carried accidentals are cleared and nothing is drawn
    DrawWestCellDispatch(&e, fx.X(3) + 4.0f, fx.Y(1) + 28.0f, 3, 1, fx.At(3, 1, 1));
    EXPECT_EQ(fx.canvas.size(), 0u) << fx.canvas.Dump();
    CurLayer = 0;
}

// ---- beams ----

namespace {

TFPoint4 Point(float x, float yStart, int col, float yEnd) { return TFPoint4{x, yStart, static_cast<float>(col), yEnd}; }

} // namespace

// A beam slants by the interval from the first head to the last (a staff
// space is 10 pixels here): a quarter space for a second, half for a third,
// one for a fourth and for anything wider; level for a unison. The end whose
// head is nearer the beam keeps its stem (35 pixels), the other's grows.
TEST(WestBeams, SlantFollowsTheInterval) {
    struct Case {
        const char* what;
        bool up;
        float headA, headB;        // stem starts on the heads
        float wantA, wantB;        // stem ends
    };
    const Case cases[] = {
        {"unison", true, 100, 100, 65, 65},
        {"second up", true, 100, 95, 62.5f, 60},
        {"third down", true, 100, 110, 65, 70},
        {"fourth up", true, 100, 85, 60, 50},
        {"octave up", true, 100, 65, 40, 30},
        {"fourth down, stems down", false, 100, 115, 140, 150},
        {"third up, stems down", false, 100, 90, 135, 130},
    };
    for (const Case& c : cases) {
        TViewFixture fx(12, 4);
        TDrawEngine& e = fx.view.DrawEngine;
        const float stem = c.up ? -35.0f : 35.0f;
        e.BeamPoints = {Point(0, c.headA, 2, c.headA + stem), Point(100, c.headB, 7, c.headB + stem)};
        LimitBeamSlope(&e, c.up);
        EXPECT_FLOAT_EQ(e.BeamPoints[0].y2, c.wantA) << c.what;
        EXPECT_FLOAT_EQ(e.BeamPoints[1].y2, c.wantB) << c.what;
    }
}

TEST(WestBeams, SecondaryLevelsStubsSegmentsAndBreaks) {
    TMusicFonts fonts(true, true);
    struct Case {
        const char* cells;
        std::vector<std::pair<int, int>> pieces; // level 5: (first, last) note of each piece
    };
    const Case cases[] = {
        {"W:5@0{opt=3} W:4@0{opt=1} W:5@0{opt=1} W:5@0{opt=5}", {{0, 0}, {2, 3}}},
        {"W:5@0{opt=3} W:5@0{opt=1} W:5@0{opt=0x2000001} W:5@0{opt=5}", {{0, 1}, {1, 2}, {2, 2}, {3, 3}}},
    };
    for (const Case& c : cases) {
        TViewFixture fx(12, 4);
        Staff(fx, c.cells);
        TDrawEngine& e = fx.view.DrawEngine;
        e.BeamPoints.clear();
        for (int k = 0; k < 4; ++k) {
            const float x = fx.X(2 + k) + 10.0f;
            e.BeamPoints.push_back(Point(x, 100.0f, 2 + k, 60.0f));
        }
        TCell first;
        GetCell(first, 2, 1);
        EXPECT_TRUE(DrawBeamLevel(&e, 5, 1, first));
        const auto quads = Quads(fx.canvas);
        ASSERT_EQ(quads.size(), c.pieces.size()) << c.cells << "\n" << fx.canvas.Dump();
        for (size_t i = 0; i < quads.size(); ++i) {
            const auto [lo, hi] = Span(*quads[i]);
            const int a = c.pieces[i].first, b = c.pieces[i].second;
            const int xa = static_cast<int>(fx.X(2 + a) + 10.0f), xb = static_cast<int>(fx.X(2 + b) + 10.0f);
            if (a == b) { // a short beam 0.4 x unit long, pointing inwards
                EXPECT_EQ(hi - lo, 8) << c.cells << " piece " << i;
                EXPECT_EQ(a == 0 ? lo : hi, xa) << c.cells << " piece " << i;
            } else {
                EXPECT_EQ(lo, xa) << c.cells << " piece " << i;
                EXPECT_GE(hi, xb) << c.cells << " piece " << i;
            }
        }
        fx.canvas.Clear();
        EXPECT_FALSE(DrawBeamLevel(&e, 6, 1, first)) << c.cells;
        EXPECT_EQ(fx.canvas.size(), 0u);
    }
}

TEST(WestBeams, PointsOnOneStemDrawNothing) {
    TViewFixture fx(12, 4);
    Staff(fx, "W:4@0{opt=3} W:4@0{opt=5}");
    TDrawEngine& e = fx.view.DrawEngine;
    e.BeamPoints = {Point(100, 100, 2, 60), Point(100, 100, 3, 62)};
    DrawBeamedGroup(&e, 1);
    EXPECT_EQ(fx.canvas.size(), 0u);
    e.BeamPoints = {Point(100, 100, 2, 60)};
    DrawBeamedGroup(&e, 1);
    EXPECT_EQ(fx.canvas.size(), 0u);
}

TEST(WestBeams, GroupOfARowDrawsStemsAndBeamsAndStoresStemEnds) {
    TMusicFonts fonts(true, true);
    TViewFixture fx(12, 4);
    Staff(fx, "W:4@2{opt=3} W:5@0{opt=1} W:4@-2{opt=5}");
    DrawRow(fx);
    // three stems (tall fills), the primary beam and one short beam at the sixteenth
    int stems = 0;
    for (const TCanvasCall* f : fx.canvas.OfOp(TCanvasOp::FillRect))
        stems += f->RectArg().Height() > 20 && f->RectArg().Width() < 4 && f->Arg(0) < 290 ? 1 : 0;
    EXPECT_EQ(stems, 3) << fx.canvas.Dump();
    EXPECT_EQ(Quads(fx.canvas).size(), 2u) << fx.canvas.Dump();
    // the stem ends lie on one straight beam
    const float e0 = static_cast<float>(fx.At(2, 1).FontCharset), e1 = static_cast<float>(fx.At(3, 1).FontCharset),
                e2 = static_cast<float>(fx.At(4, 1).FontCharset);
    EXPECT_NEAR(e1, (e0 + e2) / 2.0f, 1.0f);
    EXPECT_LT(e0, fx.Y(1) + 20.0f); // above the heads: stems up
}

// ---- stems ----

namespace {

TFPoint4 Stem(TViewFixture& fx, TCell& cell) {
    TFPoint4 p;
    DrawWestStem(p, &fx.view.DrawEngine, 100, 100, 112, 110, cell, 2, 1);
    return p;
}

} // namespace

TEST(WestStems, LengthsSlashesAndHiddenStems) {
    TViewFixture fx(12, 4);
    TCell eighth = TScoreFixture::Cell("W:4@0{opt=1}");
    TCell note128 = TScoreFixture::Cell("W:8@0{opt=1}");
    const TFPoint4 a = Stem(fx, eighth), b = Stem(fx, note128);
    EXPECT_NEAR((b.y1 - b.y2) - (a.y1 - a.y2), 0.39f * Y, 0.01f);
    EXPECT_EQ(eighth.FontCharset, static_cast<int>(a.y2));

    struct Case {
        uint32_t bits;
        int slashes;
    };
    for (const Case& c : {Case{0x400, 1}, Case{0x800, 2}, Case{0xC00, 3}, Case{0, 0}}) {
        TViewFixture f2(12, 4);
        TCell q = TScoreFixture::Cell("W:3@0");
        q.option |= c.bits;
        Stem(f2, q);
        EXPECT_EQ(static_cast<int>(Quads(f2.canvas).size()), c.slashes) << c.bits;
    }

    TViewFixture f3(12, 4);
    TCell hidden = TScoreFixture::Cell("W:3@0{opt=0x1000}");
    const TFPoint4 h = Stem(f3, hidden);
    EXPECT_EQ(f3.canvas.size(), 0u);
    EXPECT_GT(h.y2, h.y1); // stem down, still measured
}

TEST(WestStems, ANoteWithoutValueKeepsItsStoredCode) {
    TMusicFonts fonts(true, true);
    TViewFixture fx(12, 4);
    Staff(fx, "W:0@0");
    TViewFixture quarter(12, 4);
    Staff(quarter, "W:3@0");
    TCell cell = fx.At(2, 1);
    TFPoint4 p, q;
    DrawWestStem(p, &fx.view.DrawEngine, 100, 100, 112, 110, cell, 2, 1);
    TCell other = quarter.At(2, 1);
    DrawWestStem(q, &quarter.view.DrawEngine, 100, 100, 112, 110, other, 2, 1);
    EXPECT_EQ(cell.Note, 0);
    EXPECT_FLOAT_EQ(p.y2, q.y2);
    DrawRow(fx);
    EXPECT_EQ(fx.At(2, 1).Note, 0);
}

// ---- notes ----

namespace {

// Head pictures (note images) drawn, left to right by call.
std::vector<TRect> Heads(const TRecordingCanvas& rc) {
    std::vector<TRect> out;
    for (const TCanvasCall* s : rc.OfOp(TCanvasOp::StretchDraw))
        out.push_back(s->RectArg());
    return out;
}

TFPoint4 Note(TViewFixture& fx, const std::string& token, int col = 2) {
    Staff(fx, token);
    TCell& cell = fx.At(col, 1);
    return DrawWesternNote(&fx.view.DrawEngine, fx.X(col) + 4.0f, fx.Y(1) + 28.0f + cell.yAdj * 5.0f, col, 1, cell,
                           cell);
}

} // namespace

TEST(WestNotes, SecondsGoToTheOtherSideOfTheStem) {
    TMusicFonts fonts(true, true);
    struct Case {
        const char* note;
        std::vector<int> shift; // per head as drawn (main first): -1 left, 0, +1 right
    };
    const Case cases[] = {
        {"W:3@0+1", {-1, 0}},          // stem down: the lower (main) head left
        {"W:3@0+1{opt=1}", {0, 1}},    // stem up: the upper head right
        {"W:3@0+1+1", {0, -1, 0}},     // cluster, stem down: the middle head left
        {"W:3@0+1+1{opt=1}", {0, 1, 0}},
        {"W:3@0+1{opt=0x4000}", {0, 0}}, // reversed head undoes the shift
    };
    for (const Case& c : cases) {
        TViewFixture fx(12, 4);
        Note(fx, c.note);
        const auto heads = Heads(fx.canvas);
        ASSERT_EQ(heads.size(), c.shift.size()) << c.note;
        const int home = static_cast<int>(std::lround(fx.X(2) + 4.0f + 0.2f * X - 0.2f * X));
        for (size_t i = 0; i < heads.size(); ++i)
            EXPECT_EQ(heads[i].Left - home, c.shift[i] * 12) << c.note << " head " << i;
    }
}

TEST(WestNotes, LedgerLines) {
    TMusicFonts fonts(true, true);
    struct Case {
        const char* note;
        std::vector<int> lineSteps; // staff positions of the ledger lines
    };
    const Case cases[] = {
        {"W:3@7{opt=1}", {6}},
        {"W:3@8{opt=1}", {8, 6}},
        {"W:3@-6", {-6}},
        {"W:3@5{opt=1}", {}},
    };
    for (const Case& c : cases) {
        TViewFixture fx(12, 4);
        Note(fx, c.note);
        std::vector<int> steps;
        for (const TCanvasCall* f : fx.canvas.OfOp(TCanvasOp::FillRect))
            if (f->RectArg().Height() == 2 && f->RectArg().Width() > 10)
                steps.push_back(static_cast<int>(std::lround((f->Arg(1) - (fx.Y(1) + 20.0f)) / 5.0f)));
        EXPECT_EQ(steps, c.lineSteps) << c.note << "\n" << fx.canvas.Dump();
    }
}

TEST(WestNotes, WholeValuesHaveNoStemOrFlags) {
    TMusicFonts fonts(true, true);
    for (const char* note : {"W:81@0", "W:1@0"}) {
        TViewFixture fx(12, 4);
        Note(fx, note);
        const auto heads = fx.canvas.OfOp(TCanvasOp::StretchDraw);
        ASSERT_EQ(heads.size(), 1u) << note;
        EXPECT_EQ(fx.canvas.OfOp(TCanvasOp::FillRect).size(), 0u) << note << "\n" << fx.canvas.Dump();
        EXPECT_TRUE(fx.canvas.TextOuts().empty()) << note;
        // the whole head is wider than a filled one
        EXPECT_GE(heads[0]->RectArg().Width(), 12) << note;
    }
}

TEST(WestNotes, FlagPicturesWithoutTheMusicFont) {
    TMusicFonts fonts(false, false);
    struct Case {
        const char* note;
        std::vector<std::string> flags;
    };
    const Case cases[] = {
        {"W:5@0", {"DnTail2", "DnTail1"}},
        {"W:6@0{opt=1}", {"UpTail2", "UpTail2", "UpTail1"}},
        {"W:4@0", {"DnTail"}},
    };
    for (const Case& c : cases) {
        TViewFixture fx(12, 4);
        Note(fx, c.note);
        std::vector<const TBitmap*> want;
        for (const std::string& name : c.flags)
            want.push_back(WestFlagImage(&fx.view.DrawEngine, name));
        std::vector<const TBitmap*> got;
        for (const TCanvasCall* s : fx.canvas.OfOp(TCanvasOp::StretchDraw))
            got.push_back(s->Bitmap);
        ASSERT_EQ(got.size(), want.size() + 1) << c.note; // the head first
        for (size_t i = 0; i < want.size(); ++i) {
            ASSERT_NE(want[i], nullptr) << c.flags[i];
            EXPECT_EQ(got[i + 1], want[i]) << c.note << " flag " << i;
        }
    }
}

TEST(WestNotes, BreveAtZoomOneAndZoomed) {
    TMusicFonts fonts(true, true);
    {
        TViewFixture fx(12, 4);
        Note(fx, "W:1@0{opt=0x20000}");
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::StretchDraw), 1);
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::FillRect), 4); // two bars each side
    }
    {
        TViewFixture fx(12, 4);
        fx.view.Zoom = 2.0;
        Note(fx, "W:1@0{opt=0x20000}");
        EXPECT_NE(fx.canvas.FindText("W"), nullptr) << fx.canvas.Dump();
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::FillRect), 0);
    }
}

TEST(WestNotes, StaccatoAndAccentStackAboveAStemDownNote) {
    TMusicFonts fonts(true, true);
    TViewFixture fx(12, 4);
    Note(fx, "W:3@-5{opt=0x30}");
    const TCanvasCall* dot = fx.canvas.FindText(".");
    const TCanvasCall* accent = fx.canvas.FindText(">");
    ASSERT_NE(dot, nullptr) << fx.canvas.Dump();
    ASSERT_NE(accent, nullptr);
    const int head = fx.At(2, 1).FontStyle;
    // both above the head (their glyphs hang well below their text origin), the accent higher
    EXPECT_LT(dot->Arg(1), head - 20);
    EXPECT_LT(accent->Arg(1), dot->Arg(1));
    TViewFixture plain(12, 4);
    Note(plain, "W:3@-5{opt=0x10}");
    const TCanvasCall* alone = plain.canvas.FindText(".");
    ASSERT_NE(alone, nullptr);
    EXPECT_EQ(alone->Arg(1), dot->Arg(1));
}

TEST(WestNotes, TiesDrawOnlyBetweenNotes) {
    TMusicFonts fonts(true, true);
    struct Case {
        const char* cells;
        int curves;
    };
    const Case cases[] = {
        {"W:4@0{opt=0x10000000} W:3@0", 1},
        {"W:4@0{opt=0x10000000} W:3@0{mark=81}", 0},
        {"W:4@0{opt=0x10000000} W:3@0{mark=1}", 0},
    };
    for (const Case& c : cases) {
        TViewFixture fx(12, 4);
        Staff(fx, c.cells);
        DrawRow(fx);
        EXPECT_EQ(Curves(fx.canvas), c.curves) << c.cells;
    }
    // a tie back to a rest draws nothing
    TViewFixture fx(12, 4);
    Staff(fx, "W:22 W:3@0");
    DrawRow(fx);
    fx.canvas.Clear();
    DrawWesternTie(&fx.view.DrawEngine, 0, 0, 2, 1, fx.At(3, 1));
    EXPECT_EQ(fx.canvas.size(), 0u);
}

TEST(WestNotes, SmallNotesSitSideBySide) {
    TMusicFonts fonts(true, true);
    TViewFixture fx(12, 4);
    Staff(fx, "W:4@0{attr=0xA0,opt=5}");
    TCell& g = fx.At(2, 1);
    g.shrinkRate = 40;
    g.CompressNotes = {{4, 0, 0, 0, 0, 0}, {4, -1, 0, 0, 0, 0}, {4, -2, 0, 0, 0, 0}};
    DrawRow(fx);
    EXPECT_EQ(g.CompressNotes[1].headX - g.CompressNotes[0].headX, 20);
    EXPECT_EQ(g.CompressNotes[2].headX - g.CompressNotes[1].headX, 20);
    EXPECT_EQ(g.upNote, g.CompressNotes[0].headX);
    // one beam over the three
    EXPECT_EQ(Quads(fx.canvas).size(), 1u) << fx.canvas.Dump();
    EXPECT_EQ(fx.view.DrawEngine.BeamMode, 0);
}

TEST(WestNotes, BlackKeyHeadsTakeTheSharpAndFlatColours) {
    TMusicFonts fonts(true, true);
    struct Case {
        const char* clef;
        const char* note;
        int colour; // 0 drawing colour, 1 sharp colour, 2 flat colour, 3 the cell's own
    };
    const Case cases[] = {
        {"&G/1{iEnd=11}", "W:3@-4", 1},           // F in G major
        {"&G/6{iEnd=11}", "W:3@0", 2},            // B in F major
        {"&G/1{iEnd=11}", "W:3@-3", 0},           // E
        {"&G/1{iEnd=11}", "W:3@-4{color=255}", 3}, // its own colour wins
    };
    for (const Case& c : cases) {
        TViewFixture fx(12, 4);
        fx.view.ColorBlackkeyNote = true;
        TDrawEngine& e = fx.view.DrawEngine;
        fx.Row(1, std::string(c.clef) + " ~ " + c.note);
        DrawRow(fx);
        const TCanvasCall* head = fx.canvas.Last(TCanvasOp::StretchDraw);
        ASSERT_NE(head, nullptr) << c.note;
        const TColor want[4] = {e.MainLayerColor, e.SharpColor, e.FlatColor, 255};
        EXPECT_EQ(head->Font.Color, want[c.colour]) << c.clef << " " << c.note;
    }
}
