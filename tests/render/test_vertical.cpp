// Vertical Jianpu chords on the recording canvas: the stacked digits and their
// dots, marks beside each note and the marks of the whole chord.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/modTQDrawVertical.h"
#include "tests/render/TQCompoundCells.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQViewFixture.h"

namespace {

// x unit 20, y unit 40; the chord at column 2, row 1 has its origin at (100, 90).
TCompressNote Item(int code, int octave = 0, uint32_t attr = 0) {
    TCompressNote n;
    n.code = code;
    n.octave = octave;
    n.attr = attr;
    return n;
}

TCell& Chord(TViewFixture& fx, std::vector<TCompressNote> items, int rate = 15, uint32_t option = 0) {
    TCell& c = fx.At(2, 1);
    c.Note = items.empty() ? 32 : items.front().code;
    c.Attr = 0xB0;
    c.shrinkRate = rate;
    c.option = option;
    c.CompressNotes = std::move(items);
    return c;
}

void Draw(TViewFixture& fx) {
    fx.canvas.Clear();
    DrawVerticalChord(&fx.view.DrawEngine, fx.X(2), fx.Y(1), 2, 1, fx.At(2, 1));
}

std::vector<const TCanvasCall*> Dots(const TRecordingCanvas& rc) {
    std::vector<const TCanvasCall*> out;
    for (const TCanvasCall* t : rc.TextOuts())
        if (t->Text == ".")
            out.push_back(t);
    return out;
}

} // namespace

TEST(VerticalChord, DigitsStackByTheRate) {
    struct Case {
        int rate;
        float step;      // rows between stacked digits
        int fontHeight;  // trunc(round(0.7 w + 2 r) x r), w = 1.1 x unit
    };
    const std::vector<Case> cases = {{15, 0.515f, 20}, {0, 0.425f, 17}, {30, 0.605f, 23}};
    for (const Case& c : cases) {
        TViewFixture fx;
        Chord(fx, {Item('1'), Item('3'), Item('5')}, c.rate);
        Draw(fx);
        const auto digits = Digits(fx.canvas);
        ASSERT_EQ(digits.size(), 3u) << fx.canvas.Dump();
        for (int i = 0; i < 3; ++i) {
            const TCanvasCall* d = digits[static_cast<size_t>(i)];
            EXPECT_EQ(d->Text, std::string(1, static_cast<char>('1' + 2 * i)));
            EXPECT_NEAR(d->Arg(1) - digits[0]->Arg(1), -static_cast<float>(i) * c.step * 40.0f, 1.0f) << c.rate;
            EXPECT_EQ(d->LogFont->Width, 0) << "the note font's own width for the height";
            EXPECT_EQ(d->LogFont->Height, c.fontHeight) << c.rate;
            EXPECT_EQ(d->Arg(0), digits[0]->Arg(0));
        }
        EXPECT_EQ(fx.canvas.SelectedLogFont(), nullptr);
    }
}

TEST(VerticalChord, OctaveDotsMakeRoomBetweenTheDigits) {
    struct Case {
        const char* what;
        std::vector<TCompressNote> items;
        float rise; // of the second digit over the first, in pixels
        size_t dots;
    };
    const std::vector<Case> cases = {
        {"plain", {Item('1'), Item('3')}, 20.6f, 0},
        {"a lower dot on the second", {Item('1'), Item('3', -1)}, 20.6f + 6.0f, 1},
        {"an upper dot on the first", {Item('1', 1), Item('3')}, 20.6f + 3.2f + 2.0f, 1},
        {"a rest shows no dots", {Item('0', 1), Item('3')}, 20.6f + 3.2f + 2.0f, 0},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        Chord(fx, c.items);
        Draw(fx);
        const auto digits = Digits(fx.canvas);
        ASSERT_EQ(digits.size(), 2u) << c.what;
        EXPECT_NEAR(digits[0]->Arg(1) - digits[1]->Arg(1), c.rise, 1.0f) << c.what;
        EXPECT_EQ(OctaveDots(fx.canvas).size(), c.dots) << c.what;
    }
}

TEST(VerticalChord, UnderlinesPushTheLowestDotsDown) {
    // The lower dots of the bottom note hang 0.12 row lower per underline of
    // the cell; the digits stay where they are.
    auto dotBelowDigit = [](int underlines) {
        TViewFixture fx;
        Chord(fx, {Item('1', -1), Item('3')}).UL = underlines;
        Draw(fx);
        const auto digits = Digits(fx.canvas);
        const auto dots = OctaveDots(fx.canvas);
        EXPECT_EQ(digits.size(), 2u);
        EXPECT_EQ(dots.size(), 1u) << fx.canvas.Dump();
        return digits.empty() || dots.empty() ? -1000 : dots[0]->Arg(1) - digits[0]->Arg(1);
    };
    const int none = dotBelowDigit(0);
    EXPECT_NEAR(dotBelowDigit(1) - none, 0.12f * 40.0f, 1.0f);
    EXPECT_NEAR(dotBelowDigit(2) - none, 0.24f * 40.0f, 1.0f);
}

TEST(VerticalChord, DotItemAloneOrAsAnEmptySlot) {
    TViewFixture fx;
    Chord(fx, {Item(-73)});
    Draw(fx);
    ASSERT_EQ(Digits(fx.canvas).size(), 1u);
    EXPECT_EQ(Digits(fx.canvas)[0]->Text, "·");

    Chord(fx, {Item('1'), Item(-73), Item('5')});
    Draw(fx);
    const auto digits = Digits(fx.canvas);
    ASSERT_EQ(digits.size(), 2u);
    // The empty slot still takes its place in the stack.
    EXPECT_NEAR(digits[0]->Arg(1) - digits[1]->Arg(1), 2 * 20.6f, 1.0f);
}

TEST(VerticalChord, DashItemIsABar) {
    TViewFixture fx;
    Chord(fx, {Item('1'), Item(-106)});
    Draw(fx);
    const auto fills = fx.canvas.OfOp(TCanvasOp::FillRect);
    ASSERT_EQ(fills.size(), 1u) << fx.canvas.Dump();
    EXPECT_EQ(fills[0]->RectArg().Width(), 16);  // 0.8 x unit
    EXPECT_EQ(fills[0]->RectArg().Height(), 2);  // 0.06 y unit
    EXPECT_EQ(Digits(fx.canvas).size(), 1u);
}

TEST(VerticalChord, WholeChordMarksRiseALittlePerInnerDot) {
    // The bar over the chord stands 0.2 row above the stack's end, and 0.15 row
    // higher for each octave dot between two stacked notes (not a whole row).
    struct Case {
        std::vector<TCompressNote> items;
        int inner;
    };
    const std::vector<Case> cases = {
        {{Item('1'), Item('3')}, 0},
        {{Item('1', 1), Item('3')}, 1},
        {{Item('1'), Item('3', -1)}, 1},
        {{Item('1', 2), Item('3')}, 2},
        {{Item('1'), Item('3', 1)}, 0}, // dots over the top note are not between two notes
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        Chord(fx, c.items, 15, 0x4000000);
        Draw(fx);
        const auto digits = Digits(fx.canvas);
        ASSERT_EQ(digits.size(), 2u);
        const auto fills = fx.canvas.OfOp(TCanvasOp::FillRect);
        ASSERT_EQ(fills.size(), 1u) << fx.canvas.Dump();
        // stack end: the top digit's line plus one step (and 0.08 row per dot of it)
        const float top = static_cast<float>(digits[1]->Arg(1)) - 20.6f - 3.2f * static_cast<float>(std::max(0, c.items[1].octave));
        const float expected = top + 4.0f + (0.2f - 0.15f * static_cast<float>(c.inner)) * 40.0f - 1.2f;
        EXPECT_NEAR(static_cast<float>(fills[0]->Arg(1)), expected, 1.0f) << "inner dots " << c.inner;
        EXPECT_EQ(fills[0]->RectArg().Width(), 12); // 0.6 x unit
    }
    EXPECT_FLOAT_EQ(VerticalChordMarkLift(0), 0.0f);
    EXPECT_FLOAT_EQ(VerticalChordMarkLift(3), 0.45f);
}

TEST(VerticalChord, DottedChordGetsADotBesideEveryNote) {
    TViewFixture fx;
    Chord(fx, {Item('1'), Item('0'), Item('5')}, 15, 0x8);
    Draw(fx);
    const auto dots = Dots(fx.canvas);
    ASSERT_EQ(dots.size(), 2u) << "none beside the rest\n" << fx.canvas.Dump();
    EXPECT_EQ(dots[0]->Arg(0), dots[1]->Arg(0));
    EXPECT_EQ(dots[0]->Arg(0), 116); // x + 0.95 x unit, then the dot's own -0.15
    EXPECT_NEAR(dots[0]->Arg(1) - dots[1]->Arg(1), 2 * 20.6f, 1.0f);
}

TEST(VerticalChord, AccidentalsBesideTheNotesButNotTheRest) {
    TMusicFonts fonts(true, true);
    TViewFixture fx;
    Chord(fx, {Item('1', 0, 0x01), Item('0', 0, 0x01), Item('5', 0, 0x02)});
    Draw(fx);
    ASSERT_NE(fx.canvas.FindText("#"), nullptr) << fx.canvas.Dump();
    ASSERT_NE(fx.canvas.FindText("b"), nullptr);
    int signs = 0;
    for (const TCanvasCall* t : fx.canvas.TextOuts())
        if (t->Font.Name == "MusicalSymbols")
            ++signs;
    EXPECT_EQ(signs, 2);
    // The sharp of the bottom note stands lower than the flat of the top one.
    EXPECT_GT(fx.canvas.FindText("#")->Arg(1), fx.canvas.FindText("b")->Arg(1));
}

TEST(VerticalChord, GraceMarkedChordIsSmall) {
    TViewFixture fx;
    TCell& c = Chord(fx, {Item('1'), Item('3')}, 15, 0x10000000);
    c.fontSizeR = 1.0f;
    Draw(fx);
    const auto digits = Digits(fx.canvas);
    ASSERT_EQ(digits.size(), 2u);
    EXPECT_EQ(digits[0]->LogFont->Height, 17); // trunc(round(0.7 x 1.1 x 20 x 0.8 + 2.3) x 1.15)
    EXPECT_EQ(fx.At(2, 1).fontSizeR, 1.0f);   // the stored cell keeps its size
}

TEST(VerticalChord, ChordWithoutItemsDrawsOnlyItsMarks) {
    TViewFixture fx;
    Chord(fx, {}, 15, 0x4000000);
    Draw(fx);
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::TextOut), 0) << fx.canvas.Dump();
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::FillRect), 1);
}
