// Plain Jianpu notes on the recording canvas: what a cell draws, where, and
// what it leaves out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

#include <string>
#include <vector>

#include "model/modTQUtil.h"
#include "render/modTQBarLine.h"
#include "render/modTQDrawJianpu.h"
#include "tests/render/TQCompoundCells.h"
#include "tests/render/TQInkProbe.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQViewFixture.h"

namespace {

// x unit 20, y unit 40, cell (c, r) at (60 + 20c, 50 + 40r), draw scale 20.
void DrawNote(TViewFixture& fx, int c, int r) {
    fx.canvas.Clear();
    DrawJianpuNote(&fx.view.DrawEngine, fx.X(c), fx.Y(r), fx.At(c, r), c, r);
}

// The ink of the cell (col, 1) drawn by the call named what (TInkProbe's
// names), or null.
const TInkItem* InkItem(const TInkProbe& probe, int col, const std::string& what) {
    for (const TInkItem& item : probe.Items())
        if (item.col == col && item.row == 1 && item.what == what)
            return &item;
    return nullptr;
}

std::vector<const TCanvasCall*> TextsOf(const TRecordingCanvas& rc, const std::string& text) {
    std::vector<const TCanvasCall*> out;
    for (const TCanvasCall* t : rc.TextOuts())
        if (t->Text == text)
            out.push_back(t);
    return out;
}

} // namespace

TEST(JianpuNote, EmptyCellDrawsNothingWhateverItCarries) {
    TMusicFonts fonts(true, true);
    for (const char* token : {"~", "~{attr=0x21}", "~{opt=0x4400C68,dot=2}", "~{attr=0xF3,dot=-1,ul=2,opt=0x8}"}) {
        TViewFixture fx;
        fx.Row(1, std::string("1 ") + token + " 2");
        DrawNote(fx, 1, 1);
        EXPECT_EQ(fx.canvas.size(), 0u) << token << "\n" << fx.canvas.Dump();
    }
}

TEST(JianpuNote, RestShowsAccidentalAndDotsButNoOctaveDotsOrMarksAbove) {
    TMusicFonts fonts(true, true);
    TViewFixture fx;
    // a dotted rest with a sharp, an octave dot, slashes, bar, wedge and accent bits
    fx.Row(1, "1 #0'.{opt=0x4400C38}");
    DrawNote(fx, 1, 1);
    const TRecordingCanvas& rc = fx.canvas;
    ASSERT_NE(rc.FindText("0"), nullptr) << rc.Dump();
    const TCanvasCall* sharp = rc.FindText("#");
    ASSERT_NE(sharp, nullptr) << rc.Dump();
    EXPECT_EQ(sharp->Font.Name, "MusicalSymbols");
    // the one dot is the augmentation dot, 0.3 column further right since no note follows
    const auto dots = TextsOf(rc, ".");
    ASSERT_EQ(dots.size(), 1u) << rc.Dump();
    EXPECT_EQ(dots[0]->Arg(0), RoundToInt(fx.X(1) + 6.0f + 18.0f - 3.0f));
    EXPECT_EQ(dots[0]->Arg(1), RoundToInt(fx.Y(1) + 13.2f - 34.0f));
    EXPECT_EQ(rc.CountOf(TCanvasOp::Polygon), 0) << "no slashes or wedge\n" << rc.Dump();
    EXPECT_EQ(rc.CountOf(TCanvasOp::FillRect), 0) << "no bar\n" << rc.Dump();
    EXPECT_EQ(rc.FindText(">"), nullptr);
}

TEST(JianpuNote, DashInsetDependsOnNeighbouringDashes) {
    struct Case {
        const char* row;
        int col;
        int cellHeight; // page units; the y unit at zoom 1
        int inset;      // pixels at each end
        int thickness;
    };
    const std::vector<Case> cases = {
        {"1 - 2", 1, 40, 2, 3},     // lone dash: 0.1 column; half thickness 0.03 x 40
        {"1 - - 2", 1, 40, 3, 3},   // dash before a dash: 0.15 column
        {"1 - - 2", 2, 40, 3, 3},   // dash after a dash
        {"- 1", 0, 40, 2, 3},       // first column, no left neighbour
        {"1 - 2", 1, 20, 2, 2},     // a short row: still two pixels thick
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        fx.view.CellHeight = c.cellHeight;
        fx.Row(0, c.row);
        DrawNote(fx, c.col, 0);
        const auto fills = fx.canvas.OfOp(TCanvasOp::FillRect);
        ASSERT_EQ(fills.size(), 1u) << c.row << "\n" << fx.canvas.Dump();
        const TRect r = fills[0]->RectArg();
        const int x = static_cast<int>(fx.X(c.col));
        EXPECT_EQ(r.Left, x + c.inset) << c.row << " col " << c.col;
        EXPECT_EQ(r.Right, x + 20 - c.inset) << c.row << " col " << c.col;
        EXPECT_EQ(r.Height(), c.thickness) << c.row << " col " << c.col;
        EXPECT_EQ(fills[0]->Brush.Color, fx.view.DrawEngine.CurColor);
    }
}

TEST(JianpuNote, LastColumnOfAMusicRowGetsTheClosingBar) {
    TViewFixture fx(6, 3);
    fx.Row(1, "1 2 3 4 5 6");
    DrawNote(fx, 5, 1);
    const float barX = GetBarLineX(&fx.view.DrawEngine, fx.X(5), 5);
    const auto fills = fx.canvas.OfOp(TCanvasOp::FillRect);
    ASSERT_EQ(fills.size(), 1u) << fx.canvas.Dump();
    EXPECT_EQ(fills[0]->RectArg(), (TRect{RoundToInt(barX), 90, RoundToInt(barX) + 2, 130}));

    DrawNote(fx, 4, 1); // not the last column
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::FillRect), 0);
}

TEST(JianpuNote, OctaveDotsBelowMakeRoomForUnderlines) {
    TMusicFonts fonts(true, true);
    // A dot is a circle 5 pixels across (0.12 of the 40-pixel em of the dot glyph
    // at draw scale x 1.5) centred where that glyph has its ink, 0.125 em right
    // of and 0.825 em below the glyph's place; the next one 8 pixels on (its size
    // and half of it again, more than the 0.15 row of 6 pixels).
    struct Case {
        const char* token;
        float firstY; // the first glyph's place from the cell origin
        int step;     // pixels to the next dot
        int dots;
    };
    const std::vector<Case> cases = {
        // below: from 0.77 rows, glyph raised 0.732 row (under duration
        // lines see Collisions.LowOctaveDotsUnderDurationLines...)
        {"1,", (0.77f - 0.732f) * 40.0f, 8, 1},
        {"1,,,,", (0.77f - 0.732f) * 40.0f, 8, 4},
        // above: from the origin upward
        {"1''", -0.732f * 40.0f, -8, 2},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        fx.Row(1, std::string("1 ") + c.token + " 2");
        DrawNote(fx, 1, 1);
        const auto dots = OctaveDots(fx.canvas);
        ASSERT_EQ(dots.size(), static_cast<size_t>(c.dots)) << c.token << "\n" << fx.canvas.Dump();
        const int left = RoundToInt(fx.X(1) + 5.0f + 5.0f - 2.5f);
        const int top = RoundToInt(fx.Y(1) + c.firstY + 33.0f - 2.5f);
        for (size_t i = 0; i < dots.size(); ++i) {
            const int t = top + static_cast<int>(i) * c.step;
            EXPECT_EQ(dots[i]->RectArg(), (TRect{left, t, left + 5, t + 5})) << c.token << " dot " << i;
            EXPECT_EQ(dots[i]->Brush.Color, fx.view.DrawEngine.CurColor) << c.token;
        }
    }
}

TEST(JianpuNote, DamagedOctaveValuesDrawABoundedNumberOfDots) {
    const struct { int octave; int dots; } cases[] = {
        {3, 3}, {-2, 2}, {kMaxOctaveDots + 1, kMaxOctaveDots}, {2000000000, kMaxOctaveDots},
        {-2147483647 - 1, kMaxOctaveDots},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OctaveDotCount(c.octave), c.dots) << c.octave;
        TViewFixture fx;
        fx.Row(1, "1 1 2");
        fx.At(1, 1).dot = c.octave;
        DrawNote(fx, 1, 1);
        EXPECT_EQ(OctaveDots(fx.canvas).size(), static_cast<size_t>(c.dots)) << c.octave;
    }
}

TEST(JianpuNote, AccidentalStandsClearBeforeItsDigitAndItsShiftBitsMoveItLeft) {
    // Measured on the drawn ink: the sharp stands close before its digit and
    // clear of it and of a bar line before it; the shift bits move it 0.1, 0.2
    // or 0.3 column further left and leave its height alone.
    TMusicFonts fonts(true, true);
    for (int width : {20, 40})
        for (const char* before : {"~", "|"}) {
            std::optional<QRect> unshifted;
            for (uint32_t bits = 0; bits <= 3; ++bits) {
                TViewFixture fx(4, 3);
                fx.view.CellWidth = width;
                fx.Row(1, std::string(before) + " #2");
                fx.At(1, 1).option |= bits * 0x800000u;
                FitPaintBox(fx.view, 4, 3, 1.0);
                const TInkProbe probe(fx.view);
                const TInkItem* sharp = InkItem(probe, 1, "text \"#\"");
                const TInkItem* digit = InkItem(probe, 1, "text \"2\"");
                const std::string where = std::string(before) + " #2, columns of " + std::to_string(width) +
                                          ", shift " + std::to_string(bits);
                ASSERT_TRUE(sharp && digit) << where;
                if (bits == 0) {
                    unshifted = sharp->box;
                    const int gap = digit->box.left() - sharp->box.right() - 1;
                    EXPECT_GE(gap, 1) << where;
                    EXPECT_LE(gap, width / 2) << where;
                    int barInk = 0;
                    for (const TInkItem& item : probe.Items()) {
                        if (item.col != 0)
                            continue;
                        ++barInk;
                        EXPECT_GT(sharp->box.left(), item.box.right() + 1) << where << ": " << item.what;
                    }
                    EXPECT_EQ(barInk > 0, *before == '|') << where;
                    continue;
                }
                EXPECT_NEAR(unshifted->left() - sharp->box.left(), 0.1 * width * bits, 1.0) << where;
                EXPECT_EQ(sharp->box.top(), unshifted->top()) << where;
                EXPECT_EQ(sharp->box.bottom(), unshifted->bottom()) << where;
            }
        }
}

TEST(JianpuNote, AccidentalAfterADigitStaysInTheGapBetweenTheDigits) {
    TMusicFonts fonts(true, true);
    // After a digit the push-left would set the sign on that digit: the sign
    // becomes smaller instead and stands between the two digits, its right
    // edge where the pushed sign had it.
    for (int width : {20, 40}) {
        const float x = 60.0f + static_cast<float>(width);
        auto sharpOf = [&](const char* row, float& y1) {
            TViewFixture fx;
            fx.view.CellWidth = width;
            fx.Row(1, row);
            DrawJianpuNote(&fx.view.DrawEngine, x, fx.Y(1), fx.At(1, 1), 1, 1);
            y1 = fx.Y(1);
            const TCanvasCall* c = fx.canvas.FindText("#");
            return c ? std::optional<TCanvasCall>(*c) : std::nullopt;
        };
        float y = 0.0f;
        const auto free = sharpOf("~ #2", y);
        const auto held = sharpOf("1 #2", y);
        ASSERT_TRUE(free && held) << width;
        // The digit before ends about 0.85 column into its cell, so the gap
        // starts 0.15 column before this cell.
        EXPECT_GE(held->Arg(0), RoundToInt(x - 0.25f * static_cast<float>(width))) << width;
        if (width == 20)
            EXPECT_LT(held->Font.Size, free->Font.Size) << "smaller in narrow columns";
        else
            EXPECT_LE(held->Font.Size, free->Font.Size);
        EXPECT_LT(held->Arg(1), RoundToInt(y)) << "above the digit's middle, at its upper left";
    }
}

TEST(JianpuNote, AccidentalsWithoutTheMusicFontUseTheirSecondForms) {
    TMusicFonts fonts(false, false);
    struct Case {
        const char* token;
        int polygons;   // slanted bars of a drawn sharp
        int fills;      // its upright strokes
        int pictures;   // symbol images
    };
    const std::vector<Case> cases = {
        {"#2", 2, 2, 0}, {"b2", 0, 0, 1}, {"n2", 0, 0, 1},
        {"2{attr=4}", 2, 1, 0}, {"2{attr=8}", 2, 3, 0}, {"2{attr=5}", 0, 0, 2},
        {"2{attr=9}", 0, 0, 1}, {"2{attr=10}", 0, 0, 0}, {"2{attr=15}", 0, 0, 0},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        fx.Row(1, std::string("1 ") + c.token);
        DrawNote(fx, 1, 1);
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Polygon), c.polygons) << c.token << "\n" << fx.canvas.Dump();
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::FillRect), c.fills) << c.token;
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::StretchDraw), c.pictures) << c.token;
    }
}

TEST(JianpuNote, AugmentationDotStandsInTheGapBeforeANonNote) {
    TMusicFonts fonts(true, true);
    // (Before a note the dot stands midway between the two digits: see the
    // collision tests of dotted notes.)
    for (auto [row, extra] : {std::pair<const char*, float>{"1 2. ~", 6.0f}, {"1 2. |", 6.0f}}) {
        TViewFixture fx;
        fx.Row(1, row);
        DrawNote(fx, 1, 1);
        const auto dots = TextsOf(fx.canvas, ".");
        ASSERT_EQ(dots.size(), 1u) << row << "\n" << fx.canvas.Dump();
        EXPECT_EQ(dots[0]->Arg(0), RoundToInt(fx.X(1) + extra + 18.0f - 3.0f)) << row;
        EXPECT_EQ(dots[0]->Font.Size, RoundToInt(20.0f * 1.5f * 1.2f)) << row;
    }
}

TEST(JianpuNote, DotCellSitsLowerAfterAPercussionSyllable) {
    // Measured on the drawn ink: a dot cell stands clear after what it
    // lengthens, level with a digit's middle, and lower after a percussion
    // syllable (which sits lower than a digit), beside it rather than over it.
    for (bool font : {true, false}) {
        TMusicFonts fonts(font, font);
        for (double zoom : {1.0, 2.0}) {
            TViewFixture fx(5, 3);
            fx.Row(1, "1 . S:10003 .");
            FitPaintBox(fx.view, 5, 3, zoom);
            const TInkProbe probe(fx.view);
            const TInkItem* digit = InkItem(probe, 0, "text \"1\"");
            const TInkItem* syllable = nullptr;
            for (const TInkItem& item : probe.Items())
                if (item.col == 2 && item.row == 1)
                    syllable = &item;
            const TInkItem* afterNote = InkItem(probe, 1, "text \".\"");
            const TInkItem* afterSyllable = InkItem(probe, 3, "text \".\"");
            const std::string where =
                std::string(font ? "music font" : "no font") + ", zoom " + std::to_string(zoom);
            ASSERT_TRUE(digit && syllable && afterNote && afterSyllable) << where;
            auto middle = [](const TInkItem* i) { return 0.5 * (i->box.top() + i->box.bottom()); };
            EXPECT_LE(std::abs(middle(afterNote) - middle(digit)), 0.15 * digit->box.height()) << where;
            EXPECT_GT(middle(afterSyllable), middle(afterNote)) << where;
            EXPECT_GT(afterSyllable->box.bottom(), syllable->box.top()) << where;
            EXPECT_LE(middle(afterSyllable), syllable->box.bottom()) << where;
            EXPECT_GT(afterNote->box.left(), digit->box.right() + 1) << where;
            EXPECT_GT(afterSyllable->box.left(), syllable->box.right() + 1) << where;
        }
    }
}

TEST(JianpuNote, MarksAboveStackInOrderAndRiseWithOctaveDots) {
    // Measured on the drawn ink, from the digit up: what stands over a note is
    // centred over its digit and clear of what is under it (the octave dot
    // first, then the tenuto bar, the wedge and the accent).
    TMusicFonts fonts(true, true);
    struct Case {
        const char* row;
        std::vector<std::string> upward; // the marks over the digit, from the lowest
    };
    const std::string accent = "text \">\"", dot = "Ellipse", bar = "FillRect", wedge = "text \"U+FFFD\"";
    const Case cases[] = {
        {"1 2{opt=0x20} 3", {accent}},
        {"1 2'{opt=0x20} 3", {dot, accent}},
        {"1 2{opt=0x4000030} 3", {bar, wedge, accent}},
    };
    for (const Case& c : cases)
        for (double zoom : {1.0, 2.0}) {
            TViewFixture fx(4, 3);
            fx.Row(1, c.row);
            FitPaintBox(fx.view, 4, 3, zoom);
            const TInkProbe probe(fx.view);
            const TInkItem* digit = InkItem(probe, 1, "text \"2\"");
            ASSERT_NE(digit, nullptr) << c.row;
            std::vector<const TInkItem*> marks;
            for (const TInkItem& item : probe.Items())
                if (item.col == 1 && item.row == 1 && &item != digit)
                    marks.push_back(&item);
            std::sort(marks.begin(), marks.end(),
                      [](const TInkItem* a, const TInkItem* b) { return a->box.bottom() > b->box.bottom(); });
            std::vector<std::string> upward;
            for (const TInkItem* m : marks)
                upward.push_back(m->what);
            const std::string where = std::string(c.row) + " at zoom " + std::to_string(zoom);
            EXPECT_EQ(upward, c.upward) << where;
            const double column = fx.view.GetCellWidth();
            const TInkItem* under = digit;
            for (const TInkItem* m : marks) {
                EXPECT_LT(m->box.bottom() + 1, under->box.top())
                    << where << ": " << m->what << " over " << under->what;
                EXPECT_LE(std::abs(m->box.center().x() - digit->box.center().x()), 0.2 * column)
                    << where << ": " << m->what << " centred over the digit";
                under = m;
            }
        }
}

TEST(JianpuNote, MarksWithoutTheMusicFontAreDrawn) {
    TMusicFonts fonts(false, false);
    TViewFixture fx;
    fx.Row(1, "1 2{opt=0x400030} 3");
    DrawNote(fx, 1, 1);
    // the filled wedge triangle and the two-line accent
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Polygon), 1) << fx.canvas.Dump();
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Polyline), 1);
    EXPECT_EQ(fx.canvas.FindText(">"), nullptr);
}

TEST(JianpuNote, SlashesByTheirTwoBits) {
    for (auto [bits, n] : {std::pair<const char*, int>{"0x400", 1}, {"0x800", 2}, {"0xC00", 3}}) {
        TViewFixture fx;
        fx.Row(1, std::string("1 2{opt=") + bits + "} 3");
        DrawNote(fx, 1, 1);
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Polygon), n) << bits;
    }
}

TEST(JianpuNote, StyleMarksWithoutTheirGlyphDrawCurvedArrows) {
    // The style glyphs of 0x20..0x50 (and the arrows of 0x60, 0x70) have no
    // stand-in glyph here, and none at all with the font off: each draws a
    // vector arc with its head, never nothing.
    for (bool toccata : {true, false}) {
        TMusicFonts fonts(true, toccata);
        std::vector<int> arcLeft;
        for (const char* attr : {"0x20", "0x30", "0x40", "0x50", "0x60", "0x70"}) {
            TViewFixture fx;
            fx.Row(1, std::string("1 2{attr=") + attr + "} 3");
            DrawNote(fx, 1, 1);
            const auto arcs = fx.canvas.OfOp(TCanvasOp::Arc);
            ASSERT_EQ(arcs.size(), 1u) << attr << " toccata " << toccata << "\n" << fx.canvas.Dump();
            EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Polygon), 1) << attr << ": the arrow head";
            arcLeft.push_back(arcs[0]->Arg(0));
        }
        // 0x20 stands left of the note, 0x40 (same arrow) right of it
        EXPECT_LT(arcLeft[0], arcLeft[2]);
    }
}

TEST(JianpuNote, CircleIsCentredOnThePercussionNote) {
    for (const char* token : {"x{attr=0x10}", "X{attr=0x10}"}) {
        TViewFixture fx;
        fx.Row(1, std::string("1 ") + token + " 3");
        DrawNote(fx, 1, 1);
        const auto texts = fx.canvas.TextOuts();
        const auto ellipses = fx.canvas.OfOp(TCanvasOp::Ellipse);
        ASSERT_EQ(texts.size(), 1u) << fx.canvas.Dump();
        ASSERT_EQ(ellipses.size(), 1u) << fx.canvas.Dump();
        const TCanvasCall& t = *texts[0];
        const TRect e = ellipses[0]->RectArg();
        const float textCx = static_cast<float>(t.Arg(0)) + static_cast<float>(t.Extent.cx) / 2.0f;
        const float textCy = static_cast<float>(t.Arg(1)) + static_cast<float>(t.Extent.cy) / 2.0f;
        EXPECT_NEAR((e.Left + e.Right) / 2.0f, textCx, 1.5f) << token;
        EXPECT_NEAR((e.Top + e.Bottom) / 2.0f, textCy, 1.5f) << token;
    }
    // a digit keeps its own placement: centre (x + 0.5 column, y + 0.5 row)
    TViewFixture fx;
    fx.Row(1, "1 2{attr=0x10} 3");
    DrawNote(fx, 1, 1);
    const auto ellipses = fx.canvas.OfOp(TCanvasOp::Ellipse);
    ASSERT_EQ(ellipses.size(), 1u);
    const TRect e = ellipses[0]->RectArg();
    EXPECT_NEAR((e.Left + e.Right) / 2.0f, fx.X(1) + 10.0f, 1.0f);
    EXPECT_NEAR((e.Top + e.Bottom) / 2.0f, fx.Y(1) + 20.0f, 1.0f);
}

TEST(JianpuNote, FontNameNTIsTheNoteFont) {
    TViewFixture fx;
    fx.view.NoteFontName = "Times New Roman";
    fx.view.NoteFontStyle = fsBold;
    fx.Row(1, "1 5 3");
    std::vector<std::string> dumps;
    for (const char* name : {"", "NT"}) {
        fx.At(1, 1).FontName = name;
        DrawNote(fx, 1, 1);
        const TCanvasCall* five = fx.canvas.FindText("5");
        ASSERT_NE(five, nullptr);
        EXPECT_EQ(five->Font.Name, "Times New Roman") << name;
        EXPECT_EQ(five->Font.Style, fsBold) << name;
        EXPECT_EQ(five->Font.Size, 20) << name;
        EXPECT_EQ(five->Arg(0), RoundToInt(fx.X(1) + 3.0f));
        EXPECT_EQ(five->Arg(1), RoundToInt(fx.Y(1) + 4.8f));
        dumps.push_back(fx.canvas.Dump());
    }
    EXPECT_EQ(dumps[0], dumps[1]);
    // a name of its own is used with the cell's style
    fx.At(1, 1).FontName = "Arial";
    fx.At(1, 1).FontStyle = fsItalic;
    DrawNote(fx, 1, 1);
    EXPECT_EQ(fx.canvas.FindText("5")->Font.Name, "Arial");
    EXPECT_EQ(fx.canvas.FindText("5")->Font.Style, fsItalic);
}

// The score's note font as each note finds it when drawn, also after the name
// or its charset changed since the last note; the canvas keeps that font after
// the note.
TEST(JianpuNote, NoteFontFollowsTheScoresNameAndCharset) {
    struct Case {
        std::string name;
        int charset;
        std::string face;
    };
    const std::vector<Case> cases = {
        {"Times New Roman", 0, "Times New Roman"},
        {"Arial", 0, "Arial"},
        {"\xCB\xCE\xCC\xE5", 134, "\xE5\xAE\x8B\xE4\xBD\x93"}, // the GBK bytes of SimSun's Chinese name
        {"\xCB\xCE\xCC\xE5", 0, "\xC3\x8B\xC3\x8E\xC3\x8C\xC3\xA5"}, // the same bytes as CP1252
        {"Arial", 0, "Arial"},
    };
    TViewFixture fx;
    fx.Row(1, "1 5 3");
    for (const Case& c : cases) {
        fx.view.NoteFontName = c.name;
        fx.view.NoteFontCharset = c.charset;
        DrawNote(fx, 1, 1);
        const TCanvasCall* five = fx.canvas.FindText("5");
        ASSERT_NE(five, nullptr) << c.face;
        EXPECT_EQ(five->Font.Name, c.face);
        EXPECT_EQ(fx.canvas.Font.Name, c.face);
    }
}

TEST(JianpuNote, ChangedPlaySettingsColourTheDigitOnly) {
    TViewFixture fx;
    TDrawEngine& e = fx.view.DrawEngine;
    e.ShowChangedRed = true;
    fx.Row(1, "1 5{dur=3} 3");
    DrawNote(fx, 1, 1);
    ASSERT_NE(fx.canvas.FindText("5"), nullptr);
    EXPECT_EQ(fx.canvas.FindText("5")->Font.Color, e.EditLayerHighlightColor);
    // the font colour is the normal colour again when the cell is done
    EXPECT_EQ(fx.canvas.Font.Color, e.MainLayerColor);
}

TEST(JianpuNote, MarksOfTheOtherLayerTakeItsColour) {
    TMusicFonts fonts(true, true);
    TViewFixture fx;
    TDrawEngine& e = fx.view.DrawEngine;
    e.CurColor = e.HidenLayerColor;
    fx.Row(1, "1 #2'{opt=0x20} 3");
    DrawNote(fx, 1, 1);
    // digit, sharp, octave dot and accent: all grey
    for (const char* text : {"2", "#", ">"}) {
        const TCanvasCall* t = fx.canvas.FindText(text);
        ASSERT_NE(t, nullptr) << text << "\n" << fx.canvas.Dump();
        EXPECT_EQ(t->Font.Color, e.HidenLayerColor) << text;
    }
    const auto dots = OctaveDots(fx.canvas);
    ASSERT_EQ(dots.size(), 1u);
    EXPECT_EQ(dots[0]->Brush.Color, e.HidenLayerColor);
    EXPECT_EQ(dots[0]->Pen.Color, e.HidenLayerColor);
    EXPECT_EQ(fx.canvas.Font.Color, e.MainLayerColor) << "the normal colour when the cell is done";
}
