// Western staff headers and key signatures on the recording canvas.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/modTQKeys.h"
#include "render/modTQDrawEngine.h"
#include "notation/modTQDrawWest.h"
#include "platform/gui/TQGlyphMap.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQViewFixture.h"

namespace {

// x unit 20, y unit 40: one staff step is 5 pixels.
constexpr float kStep = 5.0f;

// The staff step (from the row's top line, 0.125 y unit each) on which a
// music-font glyph drawn by this call lands: the glyph's own origin, which for
// an accidental is the line or space it alters.
float InkStep(const TCanvasCall& call, float rowTop) {
    const TLegacyGlyph* g = FindLegacyGlyph(call.Font.Name, static_cast<uint8_t>(call.Text[0]));
    if (!g)
        return NAN;
    const float em = static_cast<float>(call.Font.Size) * 96.0f / 72.0f;
    return (static_cast<float>(call.Arg(1)) + g->dy * em - rowTop) / kStep;
}

std::vector<const TCanvasCall*> Glyphs(const TRecordingCanvas& rc, char code) {
    std::vector<const TCanvasCall*> out;
    for (const TCanvasCall* t : rc.TextOuts())
        if (t->Font.Name == "MusicalSymbols" && t->Text == std::string(1, code))
            out.push_back(t);
    return out;
}

} // namespace


namespace {

// The letter (A = 0 .. G = 6) of a staff step counted down from the top line.
int LetterAtStep(int clef, int step) {
    const int top = clef == -1 ? 5 : clef == -2 ? 0 : clef == -3 ? 6 : 4; // F, A, G, E
    return ((top - step) % 7 + 7) % 7;
}

// Draws the key signature of a clef cell at row 1 with the header's origin.
void DrawKey(TViewFixture& fx, const std::string& clef, bool cancel = false) {
    fx.Row(1, clef);
    DrawKeySignature(&fx.view.DrawEngine, fx.X(0) + 4.0f, fx.Y(1) + 28.0f, fx.At(0, 1), cancel);
}

} // namespace

TEST(WestKeySignature, EveryKeyOnEveryClefLandsOnItsLetters) {
    TMusicFonts fonts(true, true);
    const char* clefs[4] = {"G", "F", "C", "T"};
    const int codes[4] = {-1, -2, -3, -5};
    const int sharpOrder[7] = {5, 2, 6, 3, 0, 4, 1}; // F C G D A E B
    const int flatOrder[7] = {1, 4, 0, 3, 6, 2, 5};  // B E A D G C F
    for (int c = 0; c < 4; ++c) {
        for (int key = 0; key <= 14; ++key) {
            TViewFixture fx(12, 4);
            ClearKeyAccidTable();
            DrawKey(fx, std::string("&") + clefs[c] + "/" + std::to_string(key));
            const int sharps = key >= 1 && key <= 5 ? key : key == 13 ? 6 : key == 14 ? 7 : 0;
            const int flats = key >= 6 && key <= 12 ? key - 5 : 0;
            auto glyphs = Glyphs(fx.canvas, sharps ? '#' : 'b');
            const int n = sharps + flats;
            ASSERT_EQ(static_cast<int>(glyphs.size()), n) << clefs[c] << key << "\n" << fx.canvas.Dump();
            // drawn last first: glyph j is accidental n - j
            for (int j = 0; j < n; ++j) {
                const int i = n - 1 - j;
                const float step = InkStep(*glyphs[static_cast<size_t>(j)], fx.Y(1));
                const int whole = static_cast<int>(std::lround(step));
                EXPECT_NEAR(step, static_cast<float>(whole), 0.1f) << clefs[c] << key << " #" << i;
                EXPECT_GE(whole, -2) << clefs[c] << key << " #" << i;
                EXPECT_LE(whole, 9) << clefs[c] << key << " #" << i;
                EXPECT_EQ(LetterAtStep(codes[c], whole), sharps ? sharpOrder[i] : flatOrder[i])
                    << clefs[c] << " key " << key << " accidental " << i << " on step " << whole;
            }
            for (int letter = 0; letter < 7; ++letter) {
                int expected = 0;
                for (int i = 0; i < sharps; ++i)
                    expected = sharpOrder[i] == letter ? 1 : expected;
                for (int i = 0; i < flats; ++i)
                    expected = flatOrder[i] == letter ? 2 : expected;
                EXPECT_EQ(KeyAccidentals[letter], expected) << clefs[c] << key << " letter " << letter;
            }
        }
    }
}

TEST(WestKeySignature, SevenSharpsOnScreenAndPrinter) {
    TMusicFonts fonts(true, true);
    float firstX[2] = {0, 0};
    for (int printer = 0; printer <= 1; ++printer) {
        TViewFixture fx(12, 4);
        fx.view.OutputKind = printer;
        DrawKey(fx, "&G/14");
        auto g = Glyphs(fx.canvas, '#');
        ASSERT_EQ(g.size(), 7u);
        // the first (F) on step 0, the last (B) on step 4; drawn last first;
        // on paper as on screen
        EXPECT_NEAR(InkStep(*g[6], fx.Y(1)), 0.0f, 0.1f) << printer;
        EXPECT_NEAR(InkStep(*g[0], fx.Y(1)), 4.0f, 0.1f) << printer;
        const int gap = 8; // 0.2 y unit
        for (size_t j = 0; j + 1 < g.size(); ++j)
            EXPECT_EQ(g[j]->Arg(0) - g[j + 1]->Arg(0), gap) << printer;
        firstX[printer] = static_cast<float>(g[6]->Arg(0));
    }
    EXPECT_EQ(firstX[1], firstX[0]) << "no shift to the right on paper";
}

TEST(WestKeySignature, ClefShiftMovesOnlyTheSelectedOctaves) {
    TMusicFonts fonts(true, true);
    auto ys = [](const std::string& clef) {
        TViewFixture fx(12, 4);
        DrawKey(fx, clef);
        std::vector<int> out;
        for (const TCanvasCall* t : Glyphs(fx.canvas, '#'))
            out.push_back(t->Arg(1));
        return out;
    };
    const auto plain = ys("&G/14");
    const auto raised = ys("&G/14{y=-1}");
    ASSERT_EQ(plain.size(), 7u);
    ASSERT_EQ(raised.size(), 7u);
    // drawn B E A D G C F: G (index 4) and F (index 6) move 0.85 y unit down
    for (size_t j = 0; j < 7; ++j)
        EXPECT_EQ(raised[j] - plain[j], (j == 4 || j == 6) ? 34 : 0) << j;
}

TEST(WestKeySignature, CancelNeedsAPitchedClefToItsLeft) {
    TMusicFonts fonts(true, true);
    struct Case {
        const char* row;
        int naturals;
    };
    const Case cases[] = {
        {"&G/2 ~ &N", 2},      // D major: two naturals
        {"&D/2 ~ &N", 0},      // drum clef
        {"&X/2 ~ &N", 0},      // tablature
        {"&G/2 &N ~ &N", 0},   // another cancel comes first
        {"~ ~ &N", 0},         // no clef at all
    };
    for (const Case& c : cases) {
        TViewFixture fx(12, 4);
        fx.Row(1, c.row);
        ClearKeyAccidTable();
        DrawKeyCancel(&fx.view.DrawEngine, fx.X(2) + 4.0f, fx.Y(1) + 28.0f, 2, 1);
        EXPECT_EQ(static_cast<int>(Glyphs(fx.canvas, 'n').size()), c.naturals) << c.row;
        EXPECT_EQ(fx.canvas.size() == 0, c.naturals == 0) << c.row << "\n" << fx.canvas.Dump();
    }
}

// ---- the staff header ----

namespace {

struct THeader {
    TViewFixture fx{12, 4};
    // Draws the header of the clef cell at (0, 1) as the cell loop does.
    void Draw(const std::string& clef) {
        fx.Row(1, clef);
        ClearKeyAccidTable();
        KeyAccidentals[0] = 1; // the header clears what an earlier staff left
        DrawWestStaffHeader(&fx.view.DrawEngine, fx.X(0) + 4.0f, fx.Y(1) + 28.0f, fx.At(0, 1), 0, 1);
    }
    // Staff lines: fills as wide as the staff.
    int Lines() const {
        int n = 0;
        for (const TCanvasCall* f : fx.canvas.OfOp(TCanvasOp::FillRect))
            n += f->RectArg().Width() > 100 ? 1 : 0;
        return n;
    }
};

} // namespace

TEST(WestStaffHeader, DrumClefHasOneLineAndNoKey) {
    TMusicFonts fonts(true, true);
    THeader h;
    h.Draw("&D/3{iEnd=11,dur=192}");
    EXPECT_EQ(h.Lines(), 1);
    const TCanvasCall* line = h.fx.canvas.OfOp(TCanvasOp::FillRect).front();
    EXPECT_EQ(line->Arg(1), static_cast<int>(h.fx.Y(1)) + 20); // the middle line
    EXPECT_TRUE(Glyphs(h.fx.canvas, '#').empty());
    EXPECT_EQ(h.fx.canvas.FindText("8"), nullptr);
    for (int letter = 0; letter < 7; ++letter)
        EXPECT_EQ(KeyAccidentals[letter], 0);
}

TEST(WestStaffHeader, ClefPlacementAndSize) {
    TMusicFonts fonts(true, true);
    auto clef = [](const std::string& cell) {
        THeader h;
        h.Draw(cell);
        const TCanvasCall* t = h.fx.canvas.FindText("&");
        EXPECT_NE(t, nullptr) << cell;
        return t ? *t : TCanvasCall{};
    };
    const TCanvasCall lined = clef("&G{iEnd=11}");
    const TCanvasCall bare = clef("&G{iEnd=0}");
    EXPECT_EQ(lined.Arg(0) - bare.Arg(0), 8); // 0.4 x unit
    const TCanvasCall big = clef("&G{iEnd=11,size=1.5}");
    EXPECT_EQ(big.Font.Size, lined.Font.Size);
    EXPECT_EQ(big.Arg(1), lined.Arg(1));

    THeader noLines;
    noLines.Draw("&G/2{iEnd=0}");
    EXPECT_EQ(noLines.Lines(), 0);
}

TEST(WestStaffHeader, OctaveMarkAboveWinsOverBelow) {
    TMusicFonts fonts(true, true);
    auto eight = [](int bits) {
        THeader h;
        h.Draw("&G{iEnd=11,dur=" + std::to_string(bits) + "}");
        const TCanvasCall* t = h.fx.canvas.FindText("8");
        return t ? t->Arg(1) : -1;
    };
    const int above = eight(64), below = eight(128), both = eight(192);
    EXPECT_LT(above, below);
    EXPECT_EQ(both, above);
    EXPECT_EQ(eight(0), -1);
}

TEST(WestStaffHeader, KeyAccidentalsClearedAndRefilled) {
    TMusicFonts fonts(true, true);
    THeader h;
    h.Draw("&G/0{iEnd=11}");
    for (int letter = 0; letter < 7; ++letter)
        EXPECT_EQ(KeyAccidentals[letter], 0) << letter;
    THeader d;
    d.Draw("&G/2{iEnd=11}");
    EXPECT_EQ(KeyAccidentals[5], 1); // F
    EXPECT_EQ(KeyAccidentals[2], 1); // C
    EXPECT_EQ(KeyAccidentals[0], 0);
}

TEST(WestStaffHeader, BracedStaffOnRowZeroFindsItsPartnerOnRowOne) {
    TMusicFonts fonts(true, true);
    for (int partnerRow : {1, 3}) {
        TViewFixture fx(12, 5);
        fx.Row(0, "&G{mark=54191118,iEnd=11}");
        fx.Row(partnerRow, "&F{iEnd=11}");
        TDrawEngine& e = fx.view.DrawEngine;
        EXPECT_EQ(LastRowBeforeNextClef(&e, 0, 0), partnerRow - 1);
        DrawWestStaffHeader(&e, fx.X(0) + 4.0f, fx.Y(0) + 28.0f, fx.At(0, 0), 0, 0);
        EXPECT_EQ(e.BraceRow, partnerRow) << partnerRow;
        // the end bar line joins every row down to the partner staff
        bool joined = false;
        for (const TCanvasCall* f : fx.canvas.OfOp(TCanvasOp::FillRect))
            joined = joined || f->RectArg().Height() >= 40 * (partnerRow + 1);
        EXPECT_TRUE(joined) << partnerRow << "\n" << fx.canvas.Dump();
        EXPECT_EQ(fx.At(0, 0).jEnd, -1); // the stored cell is unchanged
    }
    TViewFixture lone(12, 5);
    lone.Row(0, "&G{mark=54191118,iEnd=11}");
    EXPECT_EQ(LastRowBeforeNextClef(&lone.view.DrawEngine, 0, 0), -1);
}

TEST(WestStaffHeader, HideFlagsAndCommentStaff) {
    TMusicFonts fonts(true, true);
    struct Case {
        const char* clef;
        bool clef_, key, endLine;
        int keyShift; // x of the first sharp against the plain header
    };
    const Case cases[] = {
        {"&G/2{iEnd=11}", true, true, true, 0},
        {"&G/2{iEnd=11,dur=4}", false, true, true, -26}, // "Hide Clef Sign": 1.3 x unit left
        {"&G/2{iEnd=11,dur=2}", true, false, true, 0},   // "Hide Key Signature"
        {"&G/2{iEnd=11,dur=1}", true, true, false, 0},   // "Hide End Line"
    };
    int plainX = 0;
    for (const Case& c : cases) {
        THeader h;
        h.Draw(c.clef);
        EXPECT_EQ(h.fx.canvas.FindText("&") != nullptr, c.clef_) << c.clef;
        const auto sharps = Glyphs(h.fx.canvas, '#');
        EXPECT_EQ(sharps.size(), c.key ? 2u : 0u) << c.clef;
        if (c.key && c.keyShift == 0 && plainX == 0)
            plainX = sharps.back()->Arg(0);
        if (c.key) {
            EXPECT_EQ(sharps.back()->Arg(0) - plainX, c.keyShift) << c.clef;
        }
        bool endBar = false;
        for (const TCanvasCall* f : h.fx.canvas.OfOp(TCanvasOp::FillRect))
            endBar = endBar || (f->Arg(0) == static_cast<int>(h.fx.X(12)) && f->RectArg().Height() > 30);
        EXPECT_EQ(endBar, c.endLine) << c.clef;
    }

    // A comment staff is drawn small by the cell loop: its lines, nothing else.
    TViewFixture fx(12, 4);
    fx.Row(1, "&G/2{iEnd=11,dur=0x60}");
    fx.view.DrawEngine.DrawCells(0, 1, 12, 2);
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::TextOut), 0) << fx.canvas.Dump();
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::FillRect), 5);
}
