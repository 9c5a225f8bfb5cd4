// Jianpu grace cells on the recording canvas: the small notes, the curve to the
// main note before or after them, carried underlines and the connecting slur.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/modTQDrawGrace.h"
#include "tests/render/TQCompoundCells.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQViewFixture.h"

namespace {

// x unit 20, y unit 40; the grace cell at column 2, row 1 has its origin at
// (100, 90); its notes start 0.1 x unit in and advance 0.45 x unit, closer
// where more would leave the cell (0.85 x unit for the whole group). The group
// stands 0.455 Y (18.2) lower than the small font's usual place over the row,
// which leaves room for one octave dot over its digits inside the row.
TCell& GraceCell(TViewFixture& fx, uint32_t style, std::vector<TCompressNote> notes, int col = 2) {
    TCell& c = fx.At(col, 1);
    c.Note = notes.empty() ? 32 : notes.front().code;
    c.Attr = style;
    c.CompressNotes = std::move(notes);
    return c;
}

void Draw(TViewFixture& fx, int col = 2) {
    fx.canvas.Clear();
    DrawGraceCell(&fx.view.DrawEngine, fx.X(col), fx.Y(1), col, 1);
}

} // namespace

TEST(GraceCell, NotesBeforeOrAfterTheirMainNote) {
    struct Case {
        const char* what;
        uint32_t style;
        int notes;
        int advance;           // from one digit to the next
        int fontWidth;
        TPoint arcFrom, arcTo; // the polyline of the quarter circle
        bool line;             // a straight run on to the group's end or the cell's edge
        TPoint lineTo;
    };
    // One note ends the group at 111 (middle xc = 107); three come closer,
    // 17 / 3 apart in a font as much narrower, and end at 119 inside the cell
    // (xc = 111). The curve hangs under the digits at 115.4 with radius 0.4 x
    // unit = 8; after the notes its straight run goes on to the cell's edge.
    const std::vector<Case> cases = {
        {"before, one note", 0xC0, 1, 9, 9, {114, 123}, {107, 115}, false, {}},
        {"before, three notes", 0xC0, 3, 6, 6, {118, 123}, {111, 115}, false, {}},
        {"after, one note", 0xD0, 1, 9, 9, {107, 115}, {99, 123}, false, {}},
        {"after, three notes", 0xD0, 3, 6, 6, {111, 115}, {103, 123}, true, {100, 124}},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        std::vector<TCompressNote> notes;
        for (int i = 0; i < c.notes; ++i)
            notes.push_back(SmallNote('1' + i));
        GraceCell(fx, c.style, notes);
        Draw(fx);
        const TRecordingCanvas& rc = fx.canvas;
        const auto digits = Digits(rc);
        ASSERT_EQ(static_cast<int>(digits.size()), c.notes) << c.what;
        for (int i = 0; i < c.notes; ++i) {
            EXPECT_NEAR(digits[static_cast<size_t>(i)]->Arg(0), 102 + c.advance * i, 1) << c.what;
            EXPECT_EQ(digits[static_cast<size_t>(i)]->Arg(1), 95) << c.what; // y + 0.455 Y - 0.32 Y
            EXPECT_EQ(digits[static_cast<size_t>(i)]->LogFont->Height, 22) << "1.1 x unit";
            EXPECT_EQ(digits[static_cast<size_t>(i)]->LogFont->Width, c.fontWidth) << "round(22 x 0.4), narrowed";
        }
        const TCanvasCall* move = rc.Last(TCanvasOp::MoveTo);
        const auto lines = rc.OfOp(TCanvasOp::LineTo);
        ASSERT_EQ(lines.size(), c.line ? 11u : 10u) << c.what << "\n" << rc.Dump();
        if (c.line) {
            EXPECT_EQ(lines.back()->Points[1], c.lineTo) << c.what;
            ASSERT_GE(rc.OfOp(TCanvasOp::MoveTo).size(), 2u);
            move = rc.OfOp(TCanvasOp::MoveTo)[rc.OfOp(TCanvasOp::MoveTo).size() - 2];
        }
        ASSERT_NE(move, nullptr);
        EXPECT_NEAR(move->Arg(0), c.arcFrom.x, 1) << c.what;
        EXPECT_NEAR(move->Arg(1), c.arcFrom.y, 1) << c.what;
        EXPECT_NEAR(lines[9]->Points[1].x, c.arcTo.x, 1) << c.what;
        EXPECT_NEAR(lines[9]->Points[1].y, c.arcTo.y, 1) << c.what;
        EXPECT_EQ(lines[9]->Pen.Width, 2) << c.what;
        EXPECT_EQ(rc.Pen.Width, 1) << "pen back to 0.027 row";
    }
}

TEST(GraceCell, CurveHangsUnderTheLowestUnderlineOrDot) {
    struct Case {
        int lines, octave;
        float hang; // y of the curve's top
    };
    // The group stands 18.2 lower than the cell's y of 90 (see above): lines:
    // t = 2.4, step 2.8 from 108.2 + 0.18 Y; dots below from 108.2 + 0.2 Y +
    // 0.08 Y per line, returning their last y + 0.05 Y. Two dots stand 6 pixels
    // apart (circles 4 across and a gap of 2), more than the 0.1 Y of 4. With
    // neither, the curve hangs 0.08 Y under the digits' ink (115.5).
    const std::vector<Case> cases = {
        {0, 0, 115.5f}, {0, 2, 115.5f}, {1, 0, 117.8f}, {2, 0, 120.6f}, {0, -1, 118.2f}, {2, -1, 124.6f}, {0, -2, 124.2f},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        GraceCell(fx, 0xC0, {SmallNote('5', c.lines, c.octave)});
        Draw(fx);
        const auto lines = fx.canvas.OfOp(TCanvasOp::LineTo);
        ASSERT_GE(lines.size(), 10u);
        // The arc's end at 180 degrees lies on the curve's top.
        EXPECT_NEAR(lines[9]->Points[1].y, c.hang, 1.0f) << c.lines << " " << c.octave;
    }
}

TEST(GraceCell, UnderlinesOfTheNeighboursRunOnUnderTheNotes) {
    struct Case {
        int left, right; // underline counts of the neighbours
        int col;         // column of the grace cell
        int drawn;
    };
    const std::vector<Case> cases = {
        {1, 2, 2, 1}, {2, 1, 2, 1}, {2, 2, 2, 2}, {0, 2, 2, 0}, {2, 2, 0, 0}, {2, 2, 11, 0},
    };
    for (const Case& c : cases) {
        TViewFixture fx; // 12 columns
        if (c.col > 0) {
            fx.At(c.col - 1, 1) = TScoreFixture::Cell("1");
            fx.At(c.col - 1, 1).UL = c.left;
        }
        if (c.col < 11) {
            fx.At(c.col + 1, 1) = TScoreFixture::Cell("2");
            fx.At(c.col + 1, 1).UL = c.right;
        }
        GraceCell(fx, 0xC0, {SmallNote('3')}, c.col);
        Draw(fx, c.col);
        int bars = 0;
        for (const TCanvasCall* f : fx.canvas.OfOp(TCanvasOp::FillRect))
            if (f->Arg(1) >= 120)
                ++bars;
        EXPECT_EQ(bars, c.drawn) << c.left << " " << c.right << " col " << c.col << "\n" << fx.canvas.Dump();
    }
}

TEST(GraceCell, ConnectingSlurForSlurMarks) {
    for (int markType : {0, 1, 81}) {
        TViewFixture fx;
        TCell& c = GraceCell(fx, 0xC0, {SmallNote('3')});
        c.markType = markType;
        c.iEnd = 3;
        fx.At(3, 1) = TScoreFixture::Cell("5");
        Draw(fx);
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Polygon), markType ? 1 : 0) << markType << "\n" << fx.canvas.Dump();
    }
}

TEST(GraceCell, SignPositionMovesOnlyTheAccidental) {
    TMusicFonts fonts(true, true);
    auto sharpX = [](uint32_t option) {
        TViewFixture fx;
        GraceCell(fx, 0xC0, {SmallNote('5', 0, 0, 0x01, option)});
        Draw(fx);
        const TCanvasCall* sharp = fx.canvas.FindText("#");
        return sharp ? sharp->Arg(0) : -1000;
    };
    const int base = sharpX(0);
    ASSERT_NE(base, -1000);
    EXPECT_EQ(sharpX(0x800000), base - 1);
    EXPECT_EQ(sharpX(0x1000000), base - 2);
    EXPECT_EQ(sharpX(0x1800000), base - 3);
}

TEST(GraceCell, RestKeepsItsLinesButNoMarks) {
    TMusicFonts fonts(true, true);
    for (int code : {'5', '0'}) {
        TViewFixture fx;
        GraceCell(fx, 0xC0, {SmallNote(code, 2, 0, 0x01, 0x20 | 0x4000000)});
        Draw(fx);
        int music = 0;
        for (const TCanvasCall* t : fx.canvas.TextOuts())
            if (t->Font.Name == "MusicalSymbols")
                ++music;
        EXPECT_EQ(music, code == '5' ? 2 : 0) << "sharp and accent\n" << fx.canvas.Dump();
        int lines = 0;
        for (const TCanvasCall* f : fx.canvas.OfOp(TCanvasOp::FillRect))
            if (f->Arg(1) >= 113)
                ++lines;
        EXPECT_EQ(lines, 2) << static_cast<char>(code);
    }
}

TEST(GraceCell, AccentOnlyWithTheMusicFont) {
    for (bool musicFont : {true, false}) {
        TMusicFonts fonts(musicFont, musicFont);
        auto calls = [](uint32_t option) {
            TViewFixture fx;
            GraceCell(fx, 0xC0, {SmallNote('5', 0, 0, 0, option)});
            Draw(fx);
            return fx.canvas.Calls().size();
        };
        if (musicFont)
            EXPECT_GT(calls(0x20), calls(0));
        else
            EXPECT_EQ(calls(0x20), calls(0)) << "no accent without the music font";
    }
}

TEST(GraceCell, EmptyListStillDrawsTheCurve) {
    TViewFixture fx;
    GraceCell(fx, 0xD0, {});
    Draw(fx);
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::TextOut), 0);
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::LineTo), 10);
}
