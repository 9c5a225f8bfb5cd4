// Shrunk Jianpu cells on the recording canvas: small notes side by side with
// their underlines, dots, marks, slurs and tuplet number.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/modTQUtil.h"
#include "render/modTQDrawGrace.h"
#include "render/modTQDrawShrink.h"
#include "tests/render/TQCompoundCells.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQViewFixture.h"

namespace {

// x unit 20, y unit 40, draw scale 20; the cell at column 2, row 1 has its
// origin at (100, 90). Small notes start at x0 = 101, yb = 90.8.
TCell& ShrunkCell(TViewFixture& fx, std::vector<TCompressNote> notes, int markType = 0, int rate = 0) {
    TCell& c = fx.At(2, 1);
    c.Note = notes.empty() ? 32 : notes.front().code;
    c.Attr = 0xA0;
    c.markType = markType;
    c.iEnd = markType ? 2 : -1;
    c.shrinkRate = rate;
    c.CompressNotes = std::move(notes);
    return c;
}

void Draw(TViewFixture& fx) {
    fx.canvas.Clear();
    DrawShrinkCell(&fx.view.DrawEngine, 2, 1, fx.X(2), fx.Y(1));
}

// Underline bars: the fills 2 pixels high (0.12 x unit) below the digits.
std::vector<const TCanvasCall*> Underlines(const TRecordingCanvas& rc) {
    std::vector<const TCanvasCall*> out;
    for (const TCanvasCall* f : rc.OfOp(TCanvasOp::FillRect))
        if (f->RectArg().Height() == 2 && f->Arg(1) > 110)
            out.push_back(f);
    return out;
}

} // namespace

TEST(ShrinkCell, FourNotesWithUnderlinesAndATupletNumber) {
    TMusicFonts fonts(true, true);
    TViewFixture fx;
    fx.view.NoteFontStyle = 0; // a plain note font: the digits' weight is 200
    ShrunkCell(fx, {SmallNote('1', 1), SmallNote('2', 1), SmallNote('3', 1), SmallNote('4', 1)}, 56);
    Draw(fx);
    const TRecordingCanvas& rc = fx.canvas;

    const auto digits = Digits(rc);
    ASSERT_EQ(digits.size(), 4u) << rc.Dump();
    const int advance = digits[1]->Arg(0) - digits[0]->Arg(0);
    EXPECT_GT(advance, 0);
    // the four notes at their full width spread over the two empty cells
    // after their own (59 pixels)
    EXPECT_LE(4 * advance, 59) << "the four notes within the cell and the two empty ones after it";
    for (int i = 0; i < 4; ++i) {
        const TCanvasCall* d = digits[static_cast<size_t>(i)];
        EXPECT_EQ(d->Text, std::string(1, static_cast<char>('1' + i)));
        // height round(0.78 W), W = 2 x unit; width round(0.5 W x 0.4) = 8 at
        // rate 0, but no narrower than 0.29 of the height (9)
        EXPECT_EQ(d->LogFont->Height, 31);
        EXPECT_EQ(d->LogFont->Width, 9);
        EXPECT_EQ(d->LogFont->Weight, 200);
        EXPECT_NEAR(d->Arg(0), 101 + i * advance, 1) << i;
        EXPECT_EQ(d->Arg(1), 95); // yb + 0.1 Y
    }
    // One underline under every note, 0.5 x unit wide, at yb + 0.81 Y.
    const auto lines = Underlines(rc);
    ASSERT_EQ(lines.size(), 4u) << rc.Dump();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(lines[static_cast<size_t>(i)]->RectArg().Width(), 10);
        EXPECT_EQ(lines[static_cast<size_t>(i)]->Arg(1), 123);
        EXPECT_NEAR(lines[static_cast<size_t>(i)]->Arg(0), 101 + i * advance, 1);
    }
    // The tuplet curve over the notes and its number 4 above the cell's left edge.
    EXPECT_EQ(rc.CountOf(TCanvasOp::Polygon), 1);
    const TCanvasCall* number = rc.FindText("4");
    ASSERT_NE(number, nullptr);
    const TCanvasCall* four = nullptr;
    for (const TCanvasCall* t : rc.TextOuts())
        if (t->Text == "4" && t->Font.Name == "Times New Roman")
            four = t;
    ASSERT_NE(four, nullptr) << rc.Dump();
    EXPECT_EQ(four->Args, (std::vector<int>{99, 79}));
}

TEST(ShrinkCell, TupletNumberCountsOnlyNotes) {
    TViewFixture fx;
    ShrunkCell(fx, {SmallNote('1'), SmallNote(32), SmallNote('3'), SmallNote(32), SmallNote('5')}, 56);
    Draw(fx);
    EXPECT_NE(fx.canvas.FindText("3"), nullptr);
    int timesTexts = 0;
    for (const TCanvasCall* t : fx.canvas.TextOuts())
        if (t->Font.Name == "Times New Roman") {
            ++timesTexts;
            EXPECT_EQ(t->Text, "3") << fx.canvas.Dump();
        }
    EXPECT_EQ(timesTexts, 1);
}

TEST(ShrinkCell, UnderlinesAndFontFollowTheRate) {
    struct Case {
        int rate;
        int lines;     // underlines asked for
        int drawn;     // at most five
        int lineWidth; // trunc(X (0.5 s + 1.8 k)) when k > 0, else trunc(X (0.5 s + 0.5 k))
        int fontWidth; // round(0.5 W (0.4 + k)), at least round(0.29 x 31) = 9: legible
    };
    const std::vector<Case> cases = {
        {0, 2, 2, 10, 9},
        {0, 7, 5, 10, 9},
        {20, 1, 1, 13, 10},
        {-20, 1, 1, 9, 9},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        ShrunkCell(fx, {SmallNote('5', c.lines)}, 0, c.rate);
        Draw(fx);
        const auto lines = Underlines(fx.canvas);
        ASSERT_EQ(static_cast<int>(lines.size()), c.drawn) << c.rate << "\n" << fx.canvas.Dump();
        for (size_t j = 0; j < lines.size(); ++j) {
            EXPECT_EQ(lines[j]->RectArg().Width(), c.lineWidth) << c.rate;
            EXPECT_EQ(lines[j]->Arg(1), 123 + 4 * static_cast<int>(j)) << "ceil(0.1 Y) apart";
        }
        ASSERT_EQ(Digits(fx.canvas).size(), 1u);
        EXPECT_EQ(Digits(fx.canvas)[0]->LogFont->Width, c.fontWidth) << c.rate;
    }
}

TEST(ShrinkCell, OctaveDotsStandAboveOrHangUnderTheLines) {
    struct Case {
        int lines, octave;
        std::vector<int> dotTops;
    };
    // The dot glyph's place: above from yb - 0.75 Y upward; below 0.7 Y up from
    // the top of the last line (yb + 0.7 Y without lines), downward. Each dot is
    // a circle 5 pixels across around that glyph's ink (30.5 pixels lower), the
    // next 8 pixels on (its size and half of it again, more than 0.15 Y).
    const std::vector<Case> cases = {
        {0, 2, {91, 83}},
        {0, -1, {121}},
        {2, -1, {130}},
        {2, -2, {130, 138}},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        ShrunkCell(fx, {SmallNote('5', c.lines, c.octave)});
        Draw(fx);
        std::vector<int> tops;
        for (const TCanvasCall* e : OctaveDots(fx.canvas)) {
            tops.push_back(e->Arg(1));
            EXPECT_EQ(e->Arg(3) - e->Arg(1), 5);
        }
        EXPECT_EQ(tops, c.dotTops) << c.lines << " " << c.octave << "\n" << fx.canvas.Dump();
    }
}

TEST(ShrinkCell, RestGetsNoAccidentalOrMarksAbove) {
    TMusicFonts fonts(true, true);
    // sharp, accent, bar, wedge and strokes on a '5' and on a rest
    const uint32_t option = 0x20 | 0x4000000 | 0x10 | 0x400;
    for (int code : {'5', '0'}) {
        TViewFixture fx;
        ShrunkCell(fx, {SmallNote(code, 1, 0, 0x01, option | 0x8)});
        Draw(fx);
        const TRecordingCanvas& rc = fx.canvas;
        int music = 0;
        for (const TCanvasCall* t : rc.TextOuts())
            if (t->Font.Name == "MusicalSymbols")
                ++music;
        // the note: sharp, accent and wedge glyphs; the rest: none
        EXPECT_EQ(music, code == '5' ? 3 : 0) << static_cast<char>(code) << "\n" << rc.Dump();
        EXPECT_EQ(rc.CountOf(TCanvasOp::Polygon), code == '5' ? 1 : 0) << "stroke";
        // both keep their digit, underline and augmentation dot
        EXPECT_EQ(Digits(rc).size(), 1u);
        EXPECT_EQ(Underlines(rc).size(), 1u);
        EXPECT_NE(rc.FindText("."), nullptr);
    }
}

TEST(ShrinkCell, AccidentalsWithoutTheMusicFont) {
    TMusicFonts fonts(false, false);
    struct Case {
        uint32_t kind;
        TCanvasOp op;
        int count;
    };
    // vector sharps are polygons (two bars) and fills (strokes); flats and
    // naturals symbol images.
    const std::vector<Case> cases = {
        {1, TCanvasOp::Polygon, 2}, {2, TCanvasOp::StretchDraw, 1}, {3, TCanvasOp::StretchDraw, 1},
        {4, TCanvasOp::Polygon, 2}, {8, TCanvasOp::Polygon, 2},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        ShrunkCell(fx, {SmallNote('5', 0, 0, c.kind)});
        Draw(fx);
        EXPECT_EQ(fx.canvas.CountOf(c.op), c.count) << c.kind << "\n" << fx.canvas.Dump();
        for (const TCanvasCall* t : fx.canvas.TextOuts())
            EXPECT_NE(t->Font.Name, "MusicalSymbols") << c.kind;
    }
}

// A small three-quarter flat, in a shrunk cell, a grace cell and a shrunk
// cell's notes, is the music font's glyph like the full-size one: the shrunk
// picture loses its strokes at zoom 1.
TEST(ShrinkCell, SmallThreeQuarterFlatIsTheFontGlyph) {
    TMusicFonts fonts(true, true);
    ASSERT_TRUE(fonts.loaded());
    for (bool grace : {false, true}) {
        TViewFixture fx;
        if (grace) {
            TCell& c = fx.At(2, 1);
            c.Note = '5';
            c.Attr = 0xC0;
            c.CompressNotes = {SmallNote('5', 0, 0, 9)};
            fx.canvas.Clear();
            DrawGraceCell(&fx.view.DrawEngine, fx.X(2), fx.Y(1), 2, 1);
        } else {
            ShrunkCell(fx, {SmallNote('5', 0, 0, 9), SmallNote('3', 0, 0, 9)});
            Draw(fx);
        }
        const char* where = grace ? "grace cell" : "shrunk cell";
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::StretchDraw), 0) << where << "\n" << fx.canvas.Dump();
        int glyphs = 0;
        for (const TCanvasCall* t : fx.canvas.TextOuts())
            glyphs += t->Font.Name == "MusicalSymbols" ? 1 : 0;
        EXPECT_EQ(glyphs, grace ? 1 : 2) << where << "\n" << fx.canvas.Dump();
    }
}

TEST(ShrinkCell, SlursBetweenTheSmallNotes) {
    struct Case {
        const char* what;
        std::vector<TCompressNote> notes;
        int markType;
        bool slurMode;
        int curves;
    };
    const uint32_t start = 0x40000000u, end = 0x80000000u;
    const std::vector<Case> cases = {
        {"a slur from note 0 to note 2", {SmallNote('1', 1, 0, 0, start), SmallNote('2', 1), SmallNote('3', 1, 0, 0, end), SmallNote('4', 1)}, 0, false, 1},
        {"two slurs", {SmallNote('1', 1, 0, 0, start), SmallNote('2', 1, 0, 0, end), SmallNote('3', 1, 0, 0, start), SmallNote('4', 1, 0, 0, end)}, 0, false, 2},
        {"a start never closed", {SmallNote('1', 1, 0, 0, start), SmallNote('2', 1)}, 0, false, 0},
        {"the cell's slur over all notes", {SmallNote('1', 1), SmallNote('2', 1)}, 1, false, 1},
        {"an end alone suppresses the cell's slur", {SmallNote('1', 1), SmallNote('2', 1, 0, 0, end)}, 1, false, 0},
        {"ties only: no slur over small notes", {SmallNote('1', 1), SmallNote('2', 1)}, 1, true, 0},
        {"ties only: the tuplet curve stays", {SmallNote('1', 1), SmallNote('2', 1), SmallNote('3', 1)}, 56, true, 1},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        fx.view.SlurMode = c.slurMode;
        ShrunkCell(fx, c.notes, c.markType);
        Draw(fx);
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Polygon), c.curves) << c.what << "\n" << fx.canvas.Dump();
    }
}

TEST(ShrinkCell, SlurStartsOverTheFirstNoteClearOfItsDots) {
    // ys = y + Y (0.25 - 0.15 m), m the highest octave of the end notes (inner
    // notes count one less).
    struct Case {
        int firstOctave, innerOctave;
        int startY;
    };
    const std::vector<Case> cases = {{0, 0, 100}, {1, 0, 94}, {0, 1, 100}, {0, 2, 94}};
    for (const Case& c : cases) {
        TViewFixture fx;
        ShrunkCell(fx, {SmallNote('1', 1, c.firstOctave), SmallNote('2', 1, c.innerOctave), SmallNote('3', 1)}, 1);
        Draw(fx);
        const auto polys = fx.canvas.OfOp(TCanvasOp::Polygon);
        ASSERT_EQ(polys.size(), 1u);
        EXPECT_EQ(polys[0]->Points.front(), (TPoint{101, c.startY})) << c.firstOctave << " " << c.innerOctave;
    }
}

TEST(ShrinkCell, EmptyListDrawsNothing) {
    TViewFixture fx;
    ShrunkCell(fx, {}, 56);
    Draw(fx);
    EXPECT_EQ(fx.canvas.size(), 0u);
}

TEST(ShrinkCell, DotItemStandsRightOfItsSlotWithoutMarks) {
    TMusicFonts fonts(true, true);
    TViewFixture fx;
    ShrunkCell(fx, {SmallNote('1', 1), SmallNote(-73, 1, 0, 0x11)}); // ring and sharp asked for
    Draw(fx);
    const TRecordingCanvas& rc = fx.canvas;
    EXPECT_EQ(Digits(rc).size(), 1u) << rc.Dump();
    const auto lines = Underlines(rc);
    ASSERT_EQ(lines.size(), 2u) << "the dot item keeps its underline";
    const TCanvasCall* dot = rc.FindText(".");
    ASSERT_NE(dot, nullptr);
    // 0.22 x unit right of the slot, then the augmentation dot's own -0.15
    EXPECT_NEAR(dot->Arg(0), lines[1]->Arg(0) + 1, 1);
    for (const TCanvasCall* t : rc.TextOuts())
        EXPECT_NE(t->Font.Name, "MusicalSymbols") << "no accidental on a dot item";
    EXPECT_EQ(rc.CountOf(TCanvasOp::Ellipse), 0);
}
