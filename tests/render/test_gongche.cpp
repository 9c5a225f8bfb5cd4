// Gongche cells on the recording canvas: the character of each degree and
// octave, radicals and lower marks, beat marks and the auxiliary symbols.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/modTQDrawGongche.h"
#include "render/modTQDrawMsc.h"
#include "tests/render/TQCompoundCells.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQViewFixture.h"

namespace {

// x unit 20, y unit 40, draw scale 20. The cell at column 2, row 1 has its
// origin at (100, 90); the Gongche origin is 0.2 x unit right, 0.1 y unit down
// (104, 94), and characters stand 0.1 unit further in: (106, 98).
struct TDrawn {
    std::string text;
    int x, y;
    bool narrow; // in the created narrow font
    bool operator==(const TDrawn&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TDrawn& d) {
    return os << "{" << d.text << " " << d.x << "," << d.y << (d.narrow ? " narrow" : "") << "}";
}

std::vector<TDrawn> Texts(const TRecordingCanvas& rc) {
    std::vector<TDrawn> out;
    for (const TCanvasCall* t : rc.TextOuts())
        out.push_back({t->Text, t->Arg(0), t->Arg(1), t->LogFont.has_value()});
    return out;
}

void Draw(TViewFixture& fx, const TCell& cell) {
    fx.canvas.Clear();
    DrawGongcheCell(&fx.view.DrawEngine, fx.X(2), fx.Y(1), cell);
}

} // namespace

TEST(Gongche, PitchCharactersByDegreeAndOctave) {
    struct Case {
        int note, dot;
        float size;
        std::vector<TDrawn> drawn;
    };
    const std::vector<Case> cases = {
        // '6': one octave up has its own character; further up a radical beside a narrow 五
        {'6', 0, 1.0f, {{"五", 106, 98, false}}},
        {'6', 1, 1.0f, {{"伍", 106, 98, false}}},
        {'6', 2, 1.0f, {{"彳", 106, 98, true}, {"五", 115, 98, true}}},
        {'6', 3, 1.0f, {{"亻", 106, 98, true}, {"五", 115, 98, true}}},
        // '5': the lower character already stands an octave down
        {'5', 0, 1.0f, {{"六", 106, 98, false}}},
        {'5', 1, 1.0f, {{"亻", 106, 98, true}, {"六", 115, 98, true}}},
        {'5', -1, 1.0f, {{"合", 106, 98, false}}},
        // marks of the lower octave: a small gap after the character's ink
        {'5', -2, 1.0f, {{"合", 106, 98, false}, {"＇", 122, 117, false}}},
        {'5', -3, 1.0f, {{"合", 106, 98, false}, {"〃", 127, 109, false}}},
        {'6', -2, 1.0f, {{"四", 106, 98, false}, {"＇", 121, 117, false}}},
        {'7', 1, 1.0f, {{"亿", 106, 98, false}}},
        {'7', 2, 1.0f, {{"彳", 106, 98, true}, {"乙", 115, 98, true}}},
        {'7', -1, 1.0f, {{"一", 106, 98, false}}},
        // '1' and '4' put the narrow character 0.1 x unit further left
        {'1', 1, 1.0f, {{"亻", 106, 98, true}, {"上", 113, 98, true}}},
        {'4', 2, 1.0f, {{"彳", 106, 98, true}, {"凡", 113, 98, true}}},
        {'2', 0, 1.0f, {{"尺", 106, 98, false}}},
        {'3', 0, 1.0f, {{"工", 106, 98, false}}},
        // at size 1.5 (f = 10 pixels) everything moves 0.8 f up-left, and one
        // lower octave of '1'..'4' has its mark 1.1 f lower, two 0.7 f
        {'1', -1, 1.5f, {{"上", 98, 90, false}, {"＇", 121, 120, false}}},
        {'1', -2, 1.5f, {{"上", 98, 90, false}, {"〃", 128, 108, false}}},
        // '0' passes the degree test but has no character
        {'0', 0, 1.0f, {}},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        Draw(fx, GongcheCell(c.note, c.dot, 0, c.size));
        EXPECT_EQ(Texts(fx.canvas), c.drawn) << static_cast<char>(c.note) << " dot " << c.dot << " size " << c.size
                                             << "\n"
                                             << fx.canvas.Dump();
    }
}

TEST(Gongche, FontsOfTheCharacters) {
    TViewFixture fx;
    fx.view.NoteFontName = "Times New Roman";
    fx.canvas.Font.Color = 0x00AA00; // as the cell loop left it
    Draw(fx, GongcheCell('6', 2));
    const auto texts = fx.canvas.TextOuts();
    ASSERT_EQ(texts.size(), 2u);
    for (const TCanvasCall* t : texts) {
        ASSERT_TRUE(t->LogFont.has_value());
        // B = round(20 x 0.7) = 14: em round(1.7 B), width round(0.6 B)
        EXPECT_EQ(t->LogFont->Height, -24);
        EXPECT_EQ(t->LogFont->Width, 8);
        EXPECT_EQ(t->LogFont->Weight, 900);
        EXPECT_EQ(t->LogFont->Charset, 134);
        EXPECT_EQ(t->LogFont->FaceName, "SimSun");
        EXPECT_EQ(t->Font.Color, 0x00AA00);
    }
    // Each narrow character had its font selected for itself only.
    EXPECT_EQ(fx.canvas.SelectedLogFont(), nullptr);

    Draw(fx, GongcheCell('6', 1));
    const TCanvasCall* wu = fx.canvas.FindText("伍");
    ASSERT_NE(wu, nullptr);
    EXPECT_EQ(wu->Font.Name, "SimSun");
    EXPECT_EQ(wu->Font.Style, fsBold);
    EXPECT_EQ(wu->Font.Charset, 134);
    EXPECT_EQ(wu->Font.Size, 18); // round(20 x 0.9)
    EXPECT_EQ(wu->Brush.Style, bsClear);
    EXPECT_EQ(wu->Font.Color, 0x00AA00);
    EXPECT_EQ(fx.canvas.Font.Name, "Times New Roman"); // the note font again
}

TEST(Gongche, ThreeLowerOctavesAsCommasOrBitmaps) {
    TMusicFonts fonts(true, true); // the symbol images are made from the music font
    for (bool bookAntiqua : {true, false}) {
        TViewFixture fx;
        SetFontInstalled("Book Antiqua", bookAntiqua);
        Draw(fx, GongcheCell('1', -3));
        ResetFontInstalled("Book Antiqua");
        if (bookAntiqua) {
            const std::vector<TDrawn> expected = {
                {"上", 106, 98, false}, {",", 132, 95, false}, {",", 137, 95, false}, {",", 142, 95, false}};
            EXPECT_EQ(Texts(fx.canvas), expected) << fx.canvas.Dump();
            const TCanvasCall* comma = fx.canvas.FindText(",");
            EXPECT_EQ(comma->Font.Name, "Book Antiqua");
            EXPECT_EQ(comma->Font.Style, fsBold);
            EXPECT_EQ(comma->Font.Size, 18);
        } else {
            const auto images = fx.canvas.OfOp(TCanvasOp::StretchDraw);
            ASSERT_EQ(images.size(), 3u) << fx.canvas.Dump();
            for (size_t i = 0; i < 3; ++i) {
                // 0.2 x unit apart, the first a gap after the character
                EXPECT_EQ(images[i]->Arg(0), RoundToInt(105.0f + (1.37f + 0.2f * static_cast<float>(i)) * 20.0f));
                EXPECT_EQ(images[i]->Arg(1), RoundToInt(94.0f + 0.61f * 40.0f));
                EXPECT_EQ(images[i]->Arg(2) - images[i]->Arg(0), 8); // 0.4 x unit wide
            }
            EXPECT_EQ(fx.canvas.TextOuts().size(), 1u);
        }
    }
}

TEST(Gongche, BeatMarks) {
    // Beat marks 2..5 are round dots a quarter of the character's 24-pixel em
    // across, 0.15 em (3.6 pixels) beside the em square of the character, which
    // stands centred in its text line, and centred on it the other way.
    for (uint32_t attr : {2u, 3u, 4u, 5u}) {
        TViewFixture fx;
        Draw(fx, GongcheCell('3', 0, attr));
        EXPECT_EQ(fx.canvas.FindText("·"), nullptr) << "no text dot";
        const TCanvasCall* ch = fx.canvas.FindText("工");
        ASSERT_NE(ch, nullptr);
        const auto dots = fx.canvas.OfOp(TCanvasOp::Ellipse);
        ASSERT_EQ(dots.size(), 1u) << attr << "\n" << fx.canvas.Dump();
        const TRect r = dots[0]->RectArg();
        EXPECT_EQ(r.Width(), 6) << attr;
        EXPECT_EQ(r.Height(), 6) << attr;
        EXPECT_EQ(dots[0]->Brush.Color, ch->Font.Color);
        const float left = static_cast<float>(ch->Arg(0)), top = static_cast<float>(ch->Arg(1)) +
                                                                 0.5f * (static_cast<float>(ch->Extent.cy) - 24.0f);
        const float cx = 0.5f * static_cast<float>(r.Left + r.Right), cy = 0.5f * static_cast<float>(r.Top + r.Bottom);
        switch (attr) {
        case 2: EXPECT_NEAR(cx, left + 24.0f + 3.6f + 3.0f, 1.0f); EXPECT_NEAR(cy, top + 12.0f, 1.0f); break;
        case 3: EXPECT_NEAR(cx, left - 3.6f - 3.0f, 1.0f); EXPECT_NEAR(cy, top + 12.0f, 1.0f); break;
        case 4: EXPECT_NEAR(cy, top + 24.0f + 3.6f + 3.0f, 1.0f); EXPECT_NEAR(cx, left + 12.0f, 1.0f); break;
        default: EXPECT_NEAR(cy, top - 3.6f - 3.0f, 1.0f); EXPECT_NEAR(cx, left + 12.0f, 1.0f); break;
        }
    }
    // Beat mark 1 is a dot of the music font, drawn also on a '0' cell; other
    // values draw nothing.
    TViewFixture fx;
    Draw(fx, GongcheCell('0', 0, 1));
    ASSERT_EQ(fx.canvas.TextOuts().size(), 1u) << fx.canvas.Dump();
    EXPECT_EQ(fx.canvas.TextOuts()[0]->Font.Name, "Toccata");
    EXPECT_EQ(fx.canvas.TextOuts()[0]->Text, ".");
    Draw(fx, GongcheCell('3', 0, 6));
    EXPECT_EQ(fx.canvas.TextOuts().size(), 1u);
}

TEST(Gongche, AuxiliarySymbols) {
    struct Case {
        int note;
        bool arial;
        std::string text;
        std::string font;
    };
    const std::vector<Case> cases = {
        {1, true, "、", "SimSun"}, {2, true, "·", "SimSun"},  {3, true, "。", "SimSun"},
        {4, true, "ㄥ", "SimSun"}, {5, true, "△", "SimSun"},  {6, true, "X", "Arial"},
        {6, false, "Ⅹ", "SimSun"}, {7, true, "IX", "Arial"}, {7, false, "Ⅸ", "SimSun"},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        fx.view.NoteFontName = "Times New Roman";
        SetFontInstalled("Arial", c.arial);
        Draw(fx, GongcheCell(c.note, 0));
        ResetFontInstalled("Arial");
        const auto texts = fx.canvas.TextOuts();
        ASSERT_EQ(texts.size(), 1u) << c.note << "\n" << fx.canvas.Dump();
        EXPECT_EQ(texts[0]->Text, c.text) << c.note;
        EXPECT_EQ(texts[0]->Font.Name, c.font) << c.note;
        EXPECT_EQ(fx.canvas.Font.Name, "Times New Roman") << c.note;
    }
    for (int note : {0, 10, 33}) {
        TViewFixture fx;
        Draw(fx, GongcheCell(note, 0));
        EXPECT_EQ(fx.canvas.size(), 0u) << note;
    }
}

TEST(Gongche, LineMarksDrawTwoStrokesOrOne) {
    struct Case {
        int note;
        int kind; // output kind
        std::vector<std::vector<TPoint>> strokes;
        int penWidth;
    };
    // centre (trunc(104 + 20), trunc(94 + 22)) = (124, 116), half length 10
    const std::vector<Case> cases = {
        {8, 0, {{{114, 116}, {134, 116}}, {{114, 116}, {117, 113}}}, 2},
        {9, 0, {{{114, 116}, {134, 116}}}, 2},
        {9, 1, {{{114, 116}, {134, 116}}}, 2}, // printer: the same stroke
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        fx.view.OutputKind = c.kind;
        fx.canvas.Pen.Width = 5;
        Draw(fx, GongcheCell(c.note, 0));
        const auto lines = fx.canvas.OfOp(TCanvasOp::LineTo);
        ASSERT_EQ(lines.size(), c.strokes.size()) << c.note;
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i]->Points, c.strokes[i]) << c.note << " stroke " << i;
            EXPECT_EQ(lines[i]->Pen.Width, c.penWidth) << c.note;
        }
        EXPECT_EQ(fx.canvas.Pen.Width, 5) << "pen width restored";
    }
    // The stroke of 8 is at least a pixel high however small the cell.
    TViewFixture fx;
    fx.view.Zoom = 0.15; // x unit 3: half length 1
    TCell c = GongcheCell(8, 0);
    DrawGongcheCell(&fx.view.DrawEngine, 10.0f, 10.0f, c);
    const auto lines = fx.canvas.OfOp(TCanvasOp::LineTo);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1]->Points[0].y - lines[1]->Points[1].y, 1);
}
