// Beams across the two staves of a grand staff, on the recording canvas.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "notation/modTQCrossStaff.h"
#include "render/modTQDrawEngine.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQViewFixture.h"

namespace {

// x unit 20, y unit 40, margins 60 and 50. Treble row 0, bass row 2: the
// boundary line between them lies at 50 + 40 x 1.5 = 110.
constexpr int kMid = 110;

std::vector<const TCanvasCall*> Quads(const TRecordingCanvas& rc) {
    std::vector<const TCanvasCall*> out;
    for (const TCanvasCall* p : rc.OfOp(TCanvasOp::Polygon))
        if (p->Points.size() == 4)
            out.push_back(p);
    return out;
}

// Eighths in columns 1..3 of both rows, marked as one cross-staff group; the
// heads of both rows stand near the boundary, so the beam stays level.
void GrandStaff(TViewFixture& fx, const std::string& endExtra = "") {
    fx.Row(0, "&G{iEnd=11} W:4@6{opt=0x100} W:4@6 W:4@6{opt=0x200}");
    fx.Row(2, "&F{iEnd=11} W:4@-6{opt=0x100} W:4@-6 W:4@-6{opt=0x200,dot=-2,ul=-2" + endExtra + "}");
}

} // namespace

TEST(CrossStaff, EndColumnSearch) {
    struct Case {
        const char* row;
        int from;
        int end;
    };
    const Case cases[] = {
        {"~ W:4{opt=0x100} W:4 W:4{opt=0x200} W:4", 1, 3},
        {"~ W:4{opt=0x100} W:4{opt=0x2} W:4{opt=0x200}", 1, -1},   // a group start first
        {"~ W:4{opt=0x100} W:4{opt=0x100} W:4{opt=0x200}", 1, -1}, // another start
        {"~ W:4{opt=0x100} W:4 W:4", 1, -1},                       // the row ends
        {"~ W:4{opt=0x100} W:4 W:4{opt=0x200}", 40, -1},           // off the grid
    };
    for (const Case& c : cases) {
        TViewFixture fx(6, 3);
        fx.Row(0, c.row);
        EXPECT_EQ(FindCrossStaffEndCol(&fx.view.DrawEngine, c.from, 0), c.end) << c.row;
    }
}

TEST(CrossStaff, TrebleEndClosesTheGroupAndTheBassEndDrawsIt) {
    TMusicFonts fonts(true, true);
    TViewFixture fx(12, 4);
    GrandStaff(fx);
    const TCell treble = fx.At(2, 0), bass = fx.At(2, 2);
    fx.view.DrawEngine.DrawCells(0, 0, fx.view.Cols, 1);
    EXPECT_TRUE(Quads(fx.canvas).empty()) << fx.canvas.Dump();
    fx.canvas.Clear();
    fx.view.DrawEngine.DrawCells(0, 2, fx.view.Cols, 3);
    const auto quads = Quads(fx.canvas);
    ASSERT_EQ(quads.size(), 1u) << fx.canvas.Dump();
    // Level heads: the beam lies on the boundary between the rows.
    EXPECT_EQ(quads[0]->Points[0].y, kMid + 0);
    EXPECT_EQ(quads[0]->Points[3].y, kMid + 0);
    // Drawing left the stored stem bits alone.
    EXPECT_EQ(fx.At(2, 0).option, treble.option);
    EXPECT_EQ(fx.At(2, 2).option, bass.option);
}

TEST(CrossStaff, GroupStemsAndBeam) {
    TViewFixture fx(12, 4);
    GrandStaff(fx);
    DrawCrossStaffGroup(&fx.view.DrawEngine, 1, 3, 2);
    EXPECT_EQ(Quads(fx.canvas).size(), 1u);
    const auto stems = fx.canvas.OfOp(TCanvasOp::FillRect);
    ASSERT_EQ(stems.size(), 6u) << fx.canvas.Dump();
    // Treble stems hang down to the beam, bass stems rise to it.
    for (const TCanvasCall* s : stems) {
        const TRect r = s->RectArg();
        EXPECT_TRUE(r.Bottom == kMid || r.Top == kMid) << s->Arg(1) << " " << s->Arg(3);
    }
    // The run-time stem ends are the beam's y.
    EXPECT_EQ(fx.At(1, 0).FontCharset, kMid);
    EXPECT_EQ(fx.At(3, 2).FontCharset, kMid);
}

TEST(CrossStaff, SlopeOfTheBeam) {
    struct Case {
        int rise;        // pixels the last stem point lies above the first
        int first, last; // beam ends
    };
    const Case cases[] = {
        {20, kMid, kMid},
        {-20, kMid, kMid},         // less than 0.6 per pixel: level
        {60, kMid + 1, kMid - 2},  // rising: 0.06 per pixel about the boundary
        {-60, kMid - 3, kMid - 1}, // falling: 0.1 per pixel, the right end near it
    };
    for (const Case& c : cases) {
        std::vector<TDrawParam> beam = {{0, kMid, 0, 0}, {25, kMid, 1, 0}, {50, kMid, 2, 0}};
        const std::vector<TDrawParam> stem = {{0, 200, 0, 0}, {25, 200, 1, 0}, {50, 200 - c.rise, 2, 0}};
        SlantCrossStaffBeam(beam, stem);
        EXPECT_EQ(beam[0].y, c.first) << c.rise;
        EXPECT_EQ(beam[2].y, c.last) << c.rise;
        EXPECT_GE(beam[1].y, std::min(c.first, c.last)) << c.rise;
        EXPECT_LE(beam[1].y, std::max(c.first, c.last)) << c.rise;
    }
}

TEST(CrossStaff, NoStemBitOnTheEndCellKeepsOtherStems) {
    TViewFixture fx(12, 4);
    GrandStaff(fx, ",opt=0x1200");
    DrawCrossStaffGroup(&fx.view.DrawEngine, 1, 3, 2);
    EXPECT_TRUE(Quads(fx.canvas).empty()) << fx.canvas.Dump();
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::FillRect), 5);
}

TEST(CrossStaff, GroupsThatWouldReadOutsideTheirNotes) {
    struct Case {
        const char* treble;
        const char* bass;
        int start, end;
        int quads; // beam polygons
        int stems;
    };
    const Case cases[] = {
        // One sixteenth alone: the beam and a short beam half a column wide.
        {"&G{iEnd=11} ~ ~ ~", "&F{iEnd=11} ~ ~ W:5@0{opt=0x300,dot=-2,ul=0}", 3, 3, 2, 1},
        // Sixteenths in both rows of columns 1 and 2.
        {"&G{iEnd=11} W:5@0{opt=0x100} W:5@0{opt=0x200}",
         "&F{iEnd=11} W:5@0{opt=0x100} W:5@0{opt=0x200,dot=-2,ul=-1}", 1, 2, 2, 4},
        // A link off the grid: only the bass part.
        {"&G{iEnd=11} W:4@0{opt=0x100} W:4@0{opt=0x200}",
         "&F{iEnd=11} W:4@0{opt=0x100} W:4@0{opt=0x200,dot=-40,ul=-1}", 1, 2, 1, 2},
        {"&G{iEnd=11} W:4@0{opt=0x100} W:4@0{opt=0x200}",
         "&F{iEnd=11} W:4@0{opt=0x100} W:4@0{opt=0x200,dot=-2,ul=-90}", 1, 2, 1, 2},
    };
    for (const Case& c : cases) {
        TViewFixture fx(12, 4);
        fx.Row(0, c.treble);
        fx.Row(2, c.bass);
        DrawCrossStaffGroup(&fx.view.DrawEngine, c.start, c.end, 2);
        const auto quads = Quads(fx.canvas);
        EXPECT_EQ(static_cast<int>(quads.size()), c.quads) << c.bass << fx.canvas.Dump();
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::FillRect), c.stems) << c.bass;
        if (c.stems == 1 && quads.size() == 2u) {
            // A short beam of half a column (10) right of the note, widened by 0.04 X
            // and the stem width like every beam.
            const auto& s = quads[1]->Points;
            EXPECT_EQ(s[0].x, quads[0]->Points[0].x);
            EXPECT_EQ(s[2].x - s[0].x, 10 + 2);
        }
    }
}
