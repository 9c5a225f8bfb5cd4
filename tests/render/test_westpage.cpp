// The Western sample page on an image: braced grand staves, key signatures,
// beams, chords, accidentals, ledger lines and small notes, with and without
// the music font, at zoom 1 and 2.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/render/TQInkProbe.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQWestPage.h"
#include "tests/support/TQTestSupport.h"

namespace {

bool IsInk(TColor c) { return GetRValue(c) < 128 && GetGValue(c) < 128 && GetBValue(c) < 128; }

} // namespace

TEST(WestPage, DrawsOnAnImage) {
    for (bool font : {true, false}) {
        for (double zoom : {1.0, 2.0}) {
            TMusicFonts fonts(font, font);
            TViewFixture fx(kWestCols, kWestRows);
            BuildWestPage(fx);
            SetWestZoom(fx, zoom);
            fx.view.mitMiddleLineinRedChecked = zoom > 1.0;
            TPageImage page(fx.view);
            const std::string name = std::string("westpage_") + (font ? "font" : "nofont") + "_z" +
                                     std::to_string(static_cast<int>(zoom));
            tqtest::SavePngIfWanted(page.image, name);

            const QImage& im = page.image;
            const int X = fx.view.GetCellWidth();
            const int Y = fx.view.GetCellHeight();
            const int left = fx.view.GetLeftMargin();
            const int top = fx.view.GetTopMargin();
            // The five lines of the first staff, across an empty column (14).
            const int x = left + 14 * X + X / 2;
            for (int k = 0; k <= 4; ++k) {
                const int ly = top + RoundToInt(k * Y / 4.0);
                const TColor c = PixelAt(im, x, ly);
                if (zoom > 1.0 && k == 2)
                    EXPECT_EQ(c, 0x0000FF) << name << " middle line";
                else if (zoom > 1.0 && (k == 0 || k == 4))
                    EXPECT_EQ(c, 0x008000) << name << " line " << k;
                else
                    EXPECT_TRUE(IsInk(c)) << name << " line " << k;
                EXPECT_FALSE(IsInk(PixelAt(im, x, top + RoundToInt((k + 0.5) * Y / 4.0)))) << name << " space below line " << k;
            }
            // The end bar line of the braced staff runs down through the empty
            // row between its two staves; an unbraced staff's does not.
            const int xEnd = left + kWestCols * X;
            EXPECT_TRUE(IsInk(PixelAt(im, xEnd, top + Y + Y / 2))) << name;
            EXPECT_FALSE(IsInk(PixelAt(im, xEnd, top + 13 * Y + Y / 2))) << name;
            // The brace stands left of the staff's left edge.
            EXPECT_TRUE(Inked(im, left - X, top + Y / 2, left, top + 2 * Y, clWhite)) << name;
            // Every staff got its clef: ink in the clef's place of each clef row.
            for (int r : {0, 2, 4, 6, 8, 10, 12, 14, 17})
                EXPECT_TRUE(Inked(im, left + X / 4, top + r * Y + Y / 4, left + X, top + r * Y + 3 * Y / 4, clWhite))
                    << name << " clef of row " << r;
        }
    }
}

// With the music font the brace of a grand staff has the body of a brace, not
// a hairline: across its upper and lower arms several pixels are dark.
TEST(WestPage, BraceGlyphHasItsFullWidth) {
    for (double zoom : {1.0, 2.0}) {
        TMusicFonts fonts(true, true);
        TViewFixture fx(kWestCols, kWestRows);
        BuildWestPage(fx);
        SetWestZoom(fx, zoom);
        TPageImage page(fx.view);
        const QImage& im = page.image;
        const int X = fx.view.GetCellWidth();
        const int Y = fx.view.GetCellHeight();
        const int left = fx.view.GetLeftMargin();
        const int top = fx.view.GetTopMargin();
        for (double at : {0.5, 2.5}) {
            const int y = top + static_cast<int>(at * Y);
            int dark = 0;
            for (int x = left - X; x < left - 1; ++x)
                dark += IsInk(PixelAt(im, x, y)) ? 1 : 0;
            EXPECT_GE(dark, static_cast<int>(zoom) + 1) << "zoom " << zoom << " at row " << at;
            EXPECT_LE(dark, X / 2) << "zoom " << zoom << " at row " << at;
        }
    }
}

// The curves of the last row, the note names over the alto staff and the beam
// of the cross-staff group in the empty row between the third system's staves.
TEST(WestPage, CurvesHintsAndCrossStaffBeam) {
    TMusicFonts fonts(true, true);
    auto draw = [](bool curves) {
        TViewFixture fx(kWestCols, kWestRows);
        BuildWestPage(fx);
        // without: the page less its slur, tie and tuplet marks
        for (int r = 0; r < kWestRows && !curves; ++r)
            for (int c = 0; c < kWestCols; ++c) {
                const int kind = fx.At(c, r).markType;
                if (kind == 1 || kind == 81 || kind == 86)
                    fx.At(c, r).markType = 0;
            }
        SetWestZoom(fx, 1.0);
        TPageImage page(fx.view);
        return page.image.copy();
    };
    const QImage with = draw(true);
    const QImage without = draw(false);
    TViewFixture fx(kWestCols, kWestRows);
    BuildWestPage(fx);
    SetWestZoom(fx, 1.0);
    const int X = fx.view.GetCellWidth();
    const int Y = fx.view.GetCellHeight();
    const int left = fx.view.GetLeftMargin();
    const int top = fx.view.GetTopMargin();
    // Each curve (from columns 9, 11, 14, 19 and the bracket at 23) adds ink.
    for (int col : {9, 11, 14, 19, 23}) {
        int changed = 0;
        for (int y = top + 16 * Y; y < std::min(with.height(), top + 19 * Y); ++y)
            for (int x = left + col * X; x < left + (col + 2) * X; ++x)
                changed += with.pixel(x, y) != without.pixel(x, y) ? 1 : 0;
        EXPECT_GT(changed, 10) << "curve from column " << col;
    }
    // Note names stand in the empty row above the alto staff.
    EXPECT_TRUE(Inked(with, left + 3 * X, top + 11 * Y, left + 8 * X, top + 12 * Y, 0x808080));
    // The cross-staff beam lies on the middle of row 9, the boundary between rows 8 and 10.
    const int yMid = top + Y * 19 / 2;
    EXPECT_TRUE(Inked(with, left + 9 * X, yMid - 1, left + 10 * X, yMid + Y / 6, 0x808080));
    EXPECT_TRUE(Inked(with, left + 9 * X, yMid - 1, left + 10 * X, yMid + Y / 6, clWhite));
}

// A sharp, a flat and a natural are centred on their note's line or space:
// the middle of the sign's ink (of a flat, its bowl's middle: the lower half of
// its ink) against the middle of the head's ink, at zoom 1 and 2.
TEST(WestPage, AccidentalsAreCentredOnTheirHeads) {
    TMusicFonts fonts(true, true);
    for (double zoom : {1.0, 2.0}) {
        TViewFixture fx(16, 2);
        TMainView& v = fx.view;
        SetDefaultPageGeometry(v);
        // B on the middle line and C in the space above it, each with a sharp,
        // a flat and a natural, a column apart.
        fx.Row(0, "&G{iEnd=15} ~ ~ ~ W:3@0{attr=1} ~ W:3@1{attr=1} ~ W:3@0{attr=2} ~ W:3@1{attr=2} ~ "
                  "W:3@0{attr=3} ~ W:3@1{attr=3}");
        FitPaintBox(v, 16, 2, zoom);
        TInkProbe probe(v);
        const float space = static_cast<float>(v.GetCellHeight()) / 4.0f;
        for (int col = 4; col <= 14; col += 2) {
            const TInkItem* head = nullptr;
            const TInkItem* sign = nullptr;
            for (const TInkItem& it : probe.Items()) {
                if (it.col != col || it.row != 0)
                    continue;
                const bool text = it.what.rfind("text", 0) == 0;
                if (text && (it.what == "text \"#\"" || it.what == "text \"b\"" || it.what == "text \"n\""))
                    sign = &it;
                else if (text || it.what == "StretchDraw")
                    head = &it;
            }
            ASSERT_TRUE(head && sign) << "zoom " << zoom << " col " << col;
            const float headMid = (head->box.top() + head->box.bottom() + 1) / 2.0f;
            // Bravura's flat reaches 0.7 space below its note and 1.75 above it.
            const bool flat = sign->what == "text \"b\"";
            const float h = static_cast<float>(sign->box.height());
            const float signMid = flat ? sign->box.top() + h * 1.75f / 2.45f
                                       : (sign->box.top() + sign->box.bottom() + 1) / 2.0f;
            // Within a pixel at zoom 1 (a space of 7.5 pixels), whatever
            // whole size the font gets; the flat's bowl sits on its place.
            const float tolerance = flat ? 0.1f : 0.15f;
            EXPECT_NEAR((signMid - headMid) / space, 0.0f, tolerance)
                << "zoom " << zoom << " col " << col << ": head " << head->box.top() << ".." << head->box.bottom()
                << ", " << sign->what << " " << sign->box.top() << ".." << sign->box.bottom();
        }
    }
}

// Staff lines have the weight of an engraved staff: about 0.13 of a staff
// space, never thicker than 0.16 of it, at every zoom.
TEST(WestPage, StaffLinesAreThinAgainstTheSpace) {
    for (double zoom : {1.0, 2.0, 3.0, 4.0}) {
        TViewFixture fx(16, 2);
        TMainView& v = fx.view;
        SetDefaultPageGeometry(v);
        fx.Row(0, "&G{iEnd=15} ~ ~ ~ W:3@0");
        FitPaintBox(v, 16, 2, zoom);
        v.DrawEngine.DrawCells(0, 0, v.Cols, 1);
        const float space = static_cast<float>(v.GetCellHeight()) / 4.0f;
        std::vector<int> heights;
        for (const TCanvasCall* f : fx.canvas.OfOp(TCanvasOp::FillRect))
            if (f->RectArg().Width() > 10 * v.GetCellWidth())
                heights.push_back(f->RectArg().Height());
        ASSERT_EQ(heights.size(), 5u) << "zoom " << zoom << "\n" << fx.canvas.Dump();
        for (int h : heights) {
            EXPECT_GE(h, 1) << "zoom " << zoom;
            EXPECT_LE(h / space, 0.16f) << "zoom " << zoom << ": " << h << " px at a space of " << space;
            if (zoom >= 2.0) {
                EXPECT_GE(h / space, 0.1f) << "zoom " << zoom << ": " << h << " px at a space of " << space;
            }
        }
    }
}
