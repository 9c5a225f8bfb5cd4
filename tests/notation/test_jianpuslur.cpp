// Slurs, ties and tuplet curves of Jianpu rows: where a curve starts and ends,
// the halves at a row break, the ties-only display and tuplet numbers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "notation/modTQJianpuSlur.h"
#include "tests/render/TQViewFixture.h"

namespace {

// x unit (W) 20, y unit (H) 40; cell (c, r) at (60 + 20c, 50 + 40r).
void Connect(TViewFixture& fx, int col, int row, int elliptic, int mode) {
    DrawConnectSlur(&fx.view.DrawEngine, fx.X(col), fx.Y(row), col, row, elliptic, mode);
}

std::vector<std::vector<TPoint>> Polygons(const TRecordingCanvas& rc) {
    std::vector<std::vector<TPoint>> out;
    for (const TCanvasCall* c : rc.OfOp(TCanvasOp::Polygon))
        out.push_back(c->Points);
    return out;
}

} // namespace

TEST(JianpuSlur, SlurAcrossARowBreakDrawsTwoHalves) {
    TViewFixture fx(10, 4);
    fx.Row(0, "1 2 3 4 5 6 7 1 2{mark=2,iEnd=9} 3");
    fx.Row(1, "4{mark=3,iEnd=1} 5 6");
    Connect(fx, 8, 0, 1, 1);
    Connect(fx, 0, 1, 1, -1);
    const auto polys = Polygons(fx.canvas);
    ASSERT_EQ(polys.size(), 2u) << fx.canvas.Dump();
    const std::vector<TPoint>& first = polys[0];
    const std::vector<TPoint>& second = polys[1];
    ASSERT_EQ(first.size(), 40u); // size 1: 20 samples an edge
    ASSERT_EQ(second.size(), 40u);
    // The first half starts 0.3 W into its cell, 0.2 H below the row top (no dots).
    EXPECT_EQ(first[0], (TPoint{226, 58}));
    // It rises to the break and stays thick there; its start tapers.
    EXPECT_LT(first[19].y, first[0].y);
    EXPECT_NE(first[20], first[19]);
    EXPECT_EQ(first.back(), first.front());
    // The second half starts on the next row, raised by 0.27 H, at its apex,
    // thick at its start and tapering to its end.
    EXPECT_EQ(second[0], (TPoint{66, 98 - 11}));
    EXPECT_GT(second[19].y, second[0].y);
    EXPECT_NE(second.back(), second.front());
    EXPECT_EQ(second[20], second[19]);
}

TEST(JianpuSlur, StartHeightKeepsClearOfUpperDots) {
    // The curve of column 1 of row 1 (top 90) to column 2.
    struct Case {
        const char* picture;
        int elliptic;
        int startY;
    };
    const std::vector<Case> cases = {
        {"~ 1{mark=1,iEnd=2} 3", 1, 98},    // no dots: 0.1 H lower
        // two dots at the end: 0.2 H higher, and then up to a gap of 2 pixels
        // over the upper dot's ink
        {"~ 1{mark=1,iEnd=2} 3''", 1, 84},
        {"~ 1''{mark=1,iEnd=2} 3", 1, 83}, // or at the start
        {"~ 1{mark=81,iEnd=2} 3", 0, 99},   // three-point, no dots: 0.27 H lower
        {"~ 1{mark=81,iEnd=2} 3''", 0, 85}, // two dots: 0.07 H higher
    };
    for (const Case& c : cases) {
        TViewFixture fx(10, 4);
        fx.Row(1, c.picture);
        Connect(fx, 1, 1, c.elliptic, 0);
        const auto polys = Polygons(fx.canvas);
        ASSERT_EQ(polys.size(), 1u) << c.picture << "\n" << fx.canvas.Dump();
        EXPECT_EQ(polys[0].front(), (TPoint{86, c.startY})) << c.picture;
    }
}

TEST(JianpuSlur, EndCellThatStartsACurveEndsItEarlier) {
    struct Case {
        const char* picture;
        int endX;
    };
    // Start x 86, end 0.3 W before the end column's right edge (134), another
    // 0.3 W when the end cell starts a slur (1) or a tuplet (56) itself.
    const std::vector<Case> cases = {
        {"~ 1{mark=1,iEnd=3} 2 3", 134},
        {"~ 1{mark=1,iEnd=3} 2 3{mark=1,iEnd=4} 4", 128},
        {"~ 1{mark=1,iEnd=3} 2 3{mark=56,iEnd=5} 4 5", 128},
        {"~ 1{mark=1,iEnd=3} 2 3{mark=81,iEnd=4} 4", 134},
    };
    for (const Case& c : cases) {
        TViewFixture fx(10, 4);
        fx.Row(1, c.picture);
        Connect(fx, 1, 1, 1, 0);
        const auto polys = Polygons(fx.canvas);
        ASSERT_EQ(polys.size(), 1u) << c.picture;
        const std::vector<TPoint>& p = polys[0];
        EXPECT_EQ(p[p.size() / 2 - 1].x, c.endX) << c.picture; // 0.9962 of the chord, rounded
    }
}

TEST(JianpuSlur, UpperNoteAtTheEndMovesTheEndByTheStartSize) {
    // A start of size 1.5 with an upper note: an end cell with one too ends the
    // curve (1.5 - 1) x 1.2 W = 12 pixels further right, whatever its own size.
    auto endX = [](const char* picture) {
        TViewFixture fx(10, 4);
        fx.Row(1, picture);
        Connect(fx, 1, 1, 1, 0);
        const auto polys = Polygons(fx.canvas);
        EXPECT_EQ(polys.size(), 1u) << picture;
        return polys.empty() ? -1000 : polys[0][polys[0].size() / 2 - 1].x;
    };
    const int plain = endX("~ 1{mark=1,iEnd=3,up=49,shrink=1,size=1.5} 2 3");
    EXPECT_EQ(endX("~ 1{mark=1,iEnd=3,up=49,shrink=1,size=1.5} 2 3{up=49,shrink=1}"), plain + 12);
    EXPECT_EQ(endX("~ 1{mark=1,iEnd=3,up=49,shrink=1,size=1.5} 2 3{up=49,shrink=1,size=2}"), plain + 12);
}

TEST(JianpuSlur, TiesOnlyDisplay) {
    struct Case {
        const char* picture;
        bool slurMode;
        bool drawn;
    };
    const std::vector<Case> cases = {
        {"1{mark=1,iEnd=3} 2 3 5", false, true},
        {"1{mark=1,iEnd=3} 2 3 5", true, false},   // different notes
        {"1{mark=1,iEnd=3} ~ 2 1", true, true},    // only the column before the end holds a note
        {"1{mark=1,iEnd=3} 2 ~ 1", true, false},   // a note further in
        {"1{mark=1,iEnd=1} 1", true, true},        // a tie
        {"1{mark=56,iEnd=3} 2 3 5", true, true},   // tuplets always
    };
    for (const Case& c : cases) {
        TViewFixture fx(10, 4);
        fx.view.SlurMode = c.slurMode;
        fx.Row(1, c.picture);
        Connect(fx, 0, 1, 1, 0);
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Polygon), c.drawn ? 1 : 0) << c.picture << " " << c.slurMode;
    }
}

TEST(JianpuSlur, TupletNumberAboveAndBelow) {
    struct Case {
        const char* picture;
        int curves;
    };
    const std::vector<Case> cases = {
        {"1{mark=56,iEnd=2} 2 3", 1},
        {"1{mark=56,iEnd=2,opt=0x80000} 2 3", 0}, // below the notes: the number alone
    };
    for (const Case& c : cases) {
        TViewFixture fx(10, 4);
        fx.Row(1, c.picture);
        Connect(fx, 0, 1, 1, 0);
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Polygon), c.curves) << c.picture << "\n" << fx.canvas.Dump();
        const TCanvasCall* number = fx.canvas.FindText("3");
        ASSERT_NE(number, nullptr) << c.picture << "\n" << fx.canvas.Dump();
        EXPECT_EQ(number->Font.Name, "Times New Roman");
        // Over the middle of the curve: between its start (66) and its end (114).
        EXPECT_GT(number->Arg(0), 66) << c.picture;
        EXPECT_LT(number->Arg(0), 114) << c.picture;
        // Over its curve the number stands clear of it, with no box; alone
        // below the notes it keeps its box in the background colour.
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::FillRect), c.curves == 0 ? 1 : 0) << c.picture;
    }
}

TEST(JianpuSlur, ArrowHeadsAtTheEndOrTheStart) {
    struct Case {
        int markType;
        int tipX; // of the arrow head (the second polygon)
    };
    const std::vector<Case> cases = {{55, 114}, {94, 66}};
    for (const Case& c : cases) {
        TViewFixture fx(10, 4);
        fx.Row(1, "1 2 3");
        fx.At(0, 1).markType = c.markType;
        fx.At(0, 1).iEnd = 2;
        Connect(fx, 0, 1, 1, 0);
        const auto polys = Polygons(fx.canvas);
        ASSERT_EQ(polys.size(), 2u) << fx.canvas.Dump();
        ASSERT_EQ(polys[1].size(), 4u);
        EXPECT_EQ(polys[1][1].x, c.tipX) << c.markType;
    }
}

TEST(JianpuSlur, NothingForShrunkStartsOrBackwardEnds) {
    const std::vector<std::string> pictures = {
        "1{mark=1,iEnd=2,attr=0xA0} 2 3", // drawn by the shrunk-cell drawer
        "~ 1{mark=1,iEnd=1} 2",           // ends in its own column
        "~ 1{mark=1,iEnd=0} 2",
    };
    for (const std::string& p : pictures) {
        TViewFixture fx(10, 4);
        fx.Row(1, p);
        const int col = p[0] == '~' ? 1 : 0;
        Connect(fx, col, 1, 1, 0);
        EXPECT_EQ(fx.canvas.size(), 0u) << p << "\n" << fx.canvas.Dump();
    }
}

TEST(JianpuSlur, EndBeyondTheGridReadsNoCellThere) {
    // No cell is read past the grid: the start stands where it stands with no
    // dots; dots of the grid's own cells under the curve still raise it.
    for (const char* picture : {"1{mark=1,iEnd=7} 2 3 4", "1{mark=1,iEnd=7} 2 3 4''"}) {
        TViewFixture fx(4, 4);
        fx.Row(1, picture);
        Connect(fx, 0, 1, 1, 0);
        const auto polys = Polygons(fx.canvas);
        ASSERT_EQ(polys.size(), 1u) << picture;
        if (std::string(picture).find('\'') == std::string::npos)
            EXPECT_EQ(polys[0].front(), (TPoint{66, 98})) << picture;
        else
            EXPECT_LT(polys[0].front().y, 98) << picture;
    }
}
