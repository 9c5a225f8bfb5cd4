// Slurs, ties and tuplet brackets of Western rows on the recording canvas.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "notation/modTQWestSlur.h"
#include "platform/core/TQMessage.h"
#include "render/modTQDrawEngine.h"
#include "tests/render/TQViewFixture.h"

namespace {

// x unit (W) 20, y unit (H) 40; cell (c, r) at (60 + 20c, 50 + 40r).
void Mark(TViewFixture& fx, int col, int row, bool tie) {
    DrawWestSlurMark(&fx.view.DrawEngine, fx.X(col), col, row, fx.At(col, row), tie);
}

std::vector<std::vector<TPoint>> Polygons(const TRecordingCanvas& rc) {
    std::vector<std::vector<TPoint>> out;
    for (const TCanvasCall* c : rc.OfOp(TCanvasOp::Polygon))
        out.push_back(c->Points);
    return out;
}

// A compressed (grace) cell with small notes at the given staff positions.
void Grace(TCell& cell, std::initializer_list<int> positions, uint32_t attr) {
    cell.Attr = attr;
    for (int p : positions) {
        TCompressNote n;
        n.code = 4;
        n.value = p;
        cell.CompressNotes.push_back(n);
    }
}

} // namespace

TEST(WestSlur, EndColumnWithoutANoteEndsOnTheLastNoteBeforeIt) {
    auto curve = [](const char* picture, bool tie) {
        TViewFixture fx(10, 3);
        fx.Row(1, picture);
        Mark(fx, 1, 1, tie);
        const auto polys = Polygons(fx.canvas);
        return polys.empty() ? std::vector<TPoint>{} : polys.back();
    };
    for (bool tie : {false, true}) {
        // Column 4 empty: the curve takes the height of the note in column 3,
        // as if that note stood in column 4.
        const auto empty = curve("&G W:3@0{iEnd=4} ~ W:3@-3 ~ ~", tie);
        const auto there = curve("&G W:3@0{iEnd=4} ~ ~ W:3@-3 ~", tie);
        const auto other = curve("&G W:3@0{iEnd=4} ~ W:3@3 ~ ~", tie);
        ASSERT_FALSE(empty.empty()) << tie;
        EXPECT_EQ(empty, there) << tie;
        EXPECT_NE(empty, other) << tie;
    }
}

TEST(WestSlur, EndNoteOnTheTwinPageOfTheOtherLayer) {
    TViewFixture fx(10, 3, 1);
    fx.Row(1, "&G W:3@0{iEnd=3} ~ ~ ~");
    fx.Row(1, "~ ~ ~ W:3@-5 ~", 1);
    Mark(fx, 1, 1, false);
    const auto withTwin = Polygons(fx.canvas);
    TViewFixture plain(10, 3);
    plain.Row(1, "&G W:3@0{iEnd=3} ~ ~ ~");
    Mark(plain, 1, 1, false);
    const auto alone = Polygons(plain.canvas);
    ASSERT_EQ(withTwin.size(), 1u);
    ASSERT_EQ(alone.size(), 1u);
    // Ending on the twin's higher note lifts the end of the curve.
    EXPECT_LT(withTwin[0][withTwin[0].size() / 2].y, alone[0][alone[0].size() / 2].y);
}

TEST(WestSlur, CurvesOfChordsAndTies) {
    struct Case {
        const char* picture;
        bool tie;
        size_t curves;
    };
    const Case cases[] = {
        {"&G W:3@0+2+2{iEnd=2} W:3@0+2+2", true, 3},       // three-note chord tied to the same chord
        {"&G W:3@0+2+2{iEnd=2} W:3@0+2+3", true, 1},       // not the same chord: one tie
        {"&G W:3@0+2+2{iEnd=3} W:3@1 W:3@0+2+2", true, 1}, // a note between
        {"&G W:3@0{iEnd=2} W:3@0", true, 1},
        {"&G W:3@0+2{iEnd=2} W:3@0+2", false, 2}, // equal one-note chords: a curve each side
        {"&G W:1@0+2{iEnd=2} W:1@0+2", false, 2}, // whole notes likewise
        {"&G W:3@0+2{iEnd=2} W:3@1+2", false, 1}, // other positions: one
        {"&G W:3@0{iEnd=2} W:3@0", false, 1},
    };
    for (const Case& c : cases) {
        TViewFixture fx(10, 3);
        fx.Row(1, c.picture);
        const TCell before = fx.At(1, 1);
        Mark(fx, 1, 1, c.tie);
        EXPECT_EQ(Polygons(fx.canvas).size(), c.curves) << c.picture << fx.canvas.Dump();
        EXPECT_EQ(fx.At(1, 1), before) << c.picture; // the stored option word stays
    }
}

TEST(WestSlur, TwoCurvesOfEqualChordsLieOnBothSides) {
    TViewFixture fx(10, 3);
    fx.Row(1, "&G W:3@0+2{iEnd=2} W:3@0+2");
    // Stems down, their ends as the note drawer leaves them.
    fx.At(1, 1).FontCharset = fx.At(2, 1).FontCharset = 145;
    Mark(fx, 1, 1, false);
    const auto polys = Polygons(fx.canvas);
    ASSERT_EQ(polys.size(), 2u);
    // The first bends up over the notes, the second down under them.
    const auto bend = [](const std::vector<TPoint>& p) { return p[p.size() / 4].y - p[0].y; };
    EXPECT_LT(bend(polys[0]), 0);
    EXPECT_GT(bend(polys[1]), 0);
    EXPECT_LT(polys[0][polys[0].size() / 4].y, polys[1][polys[1].size() / 4].y);
}

TEST(WestSlur, EndBeforeStartOrOffTheGridDrawsNothingAndSaysNothing) {
    TMessageRecorder rec;
    SetMessageBoxes(&rec);
    for (int end : {0, 1, 10, 99}) {
        TViewFixture fx(10, 3);
        fx.Row(1, "&G W:3@0 W:3@0 W:3@0");
        fx.At(2, 1).iEnd = end;
        for (bool tie : {false, true})
            Mark(fx, 2, 1, tie);
        DrawWestTupletMark(&fx.view.DrawEngine, fx.X(2), 2, 1, false);
        EXPECT_EQ(fx.canvas.Calls().size(), 0u) << end << fx.canvas.Dump();
    }
    EXPECT_TRUE(rec.shown.empty());
    SetMessageBoxes(nullptr);
}

TEST(WestSlur, NoteGroupSlurHonoursTheTiesOnlyDisplay) {
    for (bool slurMode : {false, true}) {
        TViewFixture fx(10, 3);
        fx.Row(1, "&G W:3@0{iEnd=3} ~ W:3@0");
        TCell& g = fx.At(1, 1);
        Grace(g, {0, -1, -2}, 0xC0);
        fx.view.SlurMode = slurMode;
        DrawWestSlur(&fx.view.DrawEngine, fx.X(1), 1, 1, g);
        EXPECT_EQ(Polygons(fx.canvas).size(), slurMode ? 0u : 1u) << slurMode;
    }
    // A 0xD0 grace cell has none either.
    TViewFixture fx(10, 3);
    fx.Row(1, "&G W:3@0{iEnd=3} ~ W:3@0");
    Grace(fx.At(1, 1), {0, -1}, 0xD0);
    DrawWestSlur(&fx.view.DrawEngine, fx.X(1), 1, 1, fx.At(1, 1));
    EXPECT_TRUE(Polygons(fx.canvas).empty());
}

TEST(WestSlur, TupletBracketWithHooksAndNumber) {
    struct Case {
        const char* start;
        bool hooksDown; // a bracket above hangs its hooks down toward the notes
    };
    const Case cases[] = {{"W:4@0{iEnd=3,mark=86}", true}, {"W:4@0{iEnd=3,mark=86,opt=0x80000}", false}};
    for (const Case& c : cases) {
        TViewFixture fx(10, 3);
        fx.Row(1, std::string("&G ") + c.start + " W:4@0 W:4@0");
        DrawWestTupletMark(&fx.view.DrawEngine, fx.X(1), 1, 1, false);
        const auto lines = fx.canvas.OfOp(TCanvasOp::LineTo);
        const auto moves = fx.canvas.OfOp(TCanvasOp::MoveTo);
        // the line in two pieces either side of its number, then the hooks
        ASSERT_EQ(lines.size(), 4u) << fx.canvas.Dump();
        const int hook = lines[2]->Arg(1) - moves[2]->Arg(1);
        EXPECT_EQ(hook > 0, c.hooksDown) << c.start;
        bool three = false;
        for (const TCanvasCall* t : fx.canvas.TextOuts())
            three = three || t->Text == "3";
        EXPECT_TRUE(three) << fx.canvas.Dump();
    }
    // Number only: no lines.
    TViewFixture fx(10, 3);
    fx.Row(1, "&G W:4@0{iEnd=3,mark=86} W:4@0 W:4@0");
    DrawWestTupletMark(&fx.view.DrawEngine, fx.X(1), 1, 1, true);
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::LineTo), 0);
    EXPECT_EQ(fx.canvas.TextOuts().size(), 1u);
}

TEST(WestSlur, NoteGroupBracketFromTheDrawnNotes) {
    TViewFixture fx(10, 3);
    fx.Row(1, "&G W:4@0{mark=86}");
    Grace(fx.At(1, 1), {0, 1, 2}, 0xA0);
    TDrawEngine& e = fx.view.DrawEngine;
    e.BeamPoints = {
        {90.0f, 80.0f, 90.0f, 110.0f}, {100.0f, 82.0f, 100.0f, 112.0f}, {110.0f, 84.0f, 110.0f, 114.0f}};
    DrawWestTupletBracket(&e, fx.X(1), 1, 1);
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::LineTo), 3) << fx.canvas.Dump();
    e.BeamPoints.clear();
    fx.canvas.Clear();
    DrawWestTupletBracket(&e, fx.X(1), 1, 1);
    EXPECT_EQ(fx.canvas.Calls().size(), 0u);
}
