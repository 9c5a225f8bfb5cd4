// Every special symbol leaves ink in its own cell: each id drawn on the
// recording canvas must make a call that inks the cell (a music-font character
// counts only when the font has a glyph for it), and the glyph-only symbols,
// drawn on a page image at zoom 1 and 2, must change pixels inside their cell.
// The pages are written to TQ_TEST_PNG_DIR when set.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cmath>
#include <utility>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "notation/modTQNotationApi.h"
#include "platform/gui/TQGlyphMap.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQPageImage.h"
#include "tests/render/TQViewFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

struct TBox {
    int x0, y0, x1, y1;
    bool Meets(const TBox& o) const { return x0 <= o.x1 && o.x0 <= x1 && y0 <= o.y1 && o.y0 <= y1; }
};

TBox BoxOf(const std::vector<TPoint>& points) {
    TBox b{points[0].x, points[0].y, points[0].x, points[0].y};
    for (const TPoint& p : points)
        b = {std::min(b.x0, p.x), std::min(b.y0, p.y), std::max(b.x1, p.x), std::max(b.y1, p.y)};
    return b;
}

// The face a text call is written in: the created font when one is selected.
std::string FaceOf(const TCanvasCall& c) { return c.LogFont ? c.LogFont->FaceName : c.Font.Name; }

// Where a recorded call puts ink; nothing for calls that ink nothing, for blank
// text and for music-font characters without a glyph.
std::optional<TBox> InkOf(const TCanvasCall& c) {
    switch (c.Op) {
    case TCanvasOp::TextOut: {
        if (c.Text.find_first_not_of(' ') == std::string::npos || c.Extent.cx <= 0 || c.Extent.cy <= 0)
            return std::nullopt;
        const std::string face = FaceOf(c);
        if (IsLegacyMusicFont(face))
            for (char ch : c.Text)
                if (!FindLegacyGlyph(face, static_cast<uint8_t>(ch)))
                    return std::nullopt;
        // The text cell turned about its origin by the font's escapement.
        const int esc = c.LogFont ? c.LogFont->Escapement : 0;
        const double a = esc / 10.0 * 3.14159265358979 / 180.0, ca = std::cos(a), sa = std::sin(a);
        std::vector<TPoint> corners;
        for (const auto& [dx, dy] : {std::pair{0, 0}, {c.Extent.cx, 0}, {0, c.Extent.cy}, {c.Extent.cx, c.Extent.cy}})
            corners.push_back({c.Arg(0) + static_cast<int>(std::lround(dx * ca + dy * sa)),
                               c.Arg(1) + static_cast<int>(std::lround(dy * ca - dx * sa))});
        return BoxOf(corners);
    }
    case TCanvasOp::LineTo:
    case TCanvasOp::Polyline:
    case TCanvasOp::Polygon:
        return c.Points.empty() ? std::nullopt : std::optional<TBox>(BoxOf(c.Points));
    case TCanvasOp::Rectangle:
    case TCanvasOp::FillRect:
    case TCanvasOp::Ellipse:
    case TCanvasOp::Arc:
    case TCanvasOp::StretchDraw:
        return TBox{std::min(c.Arg(0), c.Arg(2)), std::min(c.Arg(1), c.Arg(3)), std::max(c.Arg(0), c.Arg(2)),
                    std::max(c.Arg(1), c.Arg(3))};
    case TCanvasOp::Draw:
        return TBox{c.Arg(0), c.Arg(1), c.Arg(0) + c.Extent.cx, c.Arg(1) + c.Extent.cy};
    case TCanvasOp::SetPixel:
        return TBox{c.Arg(0), c.Arg(1), c.Arg(0), c.Arg(1)};
    default:
        return std::nullopt;
    }
}

// Ids that have no drawing at all.
const std::set<int> kNoDrawing = {32, 37, 89, 112, 129, 138, 146};

// The symbols drawn from one music-font character and nothing else.
const std::vector<int> kGlyphOnly = {4, 110, 144, 145, 151, 152, 153, 154, 155, 156, 157, 171, 172};

} // namespace

TEST(SymbolInk, EveryIdInksItsCellOnTheRecordingCanvas) {
    TMusicFonts fonts(true, true);
    ASSERT_TRUE(fonts.loaded());
    // x unit W = 20, y unit H = 40: the cell at (2, 1) spans the symbol point
    // (100, 200) to (120, 240).
    const float x = 100.0f, y = 200.0f;
    const TBox cell{100, 200, 120, 240};
    std::vector<int> ids;
    for (int id = 1; id <= 177; ++id)
        if (!kNoDrawing.count(id))
            ids.push_back(id);
    for (int id = 10000; id <= 10021; ++id)
        ids.push_back(id);
    for (int id : ids) {
        TViewFixture fx;
        TCell& c = fx.At(2, 1);
        c = TScoreFixture::Cell("S:" + std::to_string(id));
        DrawSpecialSymbol(&fx.view.DrawEngine, x, y, id, 2, 1);
        bool inked = false;
        for (const TCanvasCall& call : fx.canvas.Calls())
            if (auto box = InkOf(call); box && box->Meets(cell))
                inked = true;
        EXPECT_TRUE(inked) << "id " << id << " leaves no ink in its cell\n" << fx.canvas.Dump();
    }
}

TEST(SymbolInk, GlyphOnlySymbolsChangePixelsInTheirCellAtZoomOneAndTwo) {
    TMusicFonts fonts(true, true);
    ASSERT_TRUE(fonts.loaded());
    // One symbol in every other column of row 1, the rows around it empty.
    constexpr int kCols = 2 * 13 + 1, kRows = 3;
    for (double zoom : {1.0, 2.0}) {
        TViewFixture fx(kCols, kRows);
        TMainView& v = fx.view;
        FitPaintBox(v, kCols, kRows, zoom);
        QImage blank;
        {
            TPageImage empty(v);
            blank = empty.image;
        }
        for (size_t i = 0; i < kGlyphOnly.size(); ++i)
            fx.At(2 * static_cast<int>(i) + 1, 1) = TScoreFixture::Cell("S:" + std::to_string(kGlyphOnly[i]));
        TPageImage page(v);
        tqtest::SavePngIfWanted(page.image, zoom == 1.0 ? "symbol_glyphs_zoom1" : "symbol_glyphs_zoom2");
        const TDrawEngine& e = v.DrawEngine;
        const int W = v.GetCellWidth(), H = v.GetCellHeight();
        const int L = e.GetLeftMarginPx(), T = e.GetTopMarginPx();
        for (size_t i = 0; i < kGlyphOnly.size(); ++i) {
            const int x0 = L + W * (2 * static_cast<int>(i) + 1), y0 = T + H;
            int changed = 0;
            for (int py = y0; py < y0 + H; ++py)
                for (int px = x0; px < x0 + W; ++px)
                    if (page.image.pixel(px, py) != blank.pixel(px, py))
                        ++changed;
            // A glyph's strokes, not a stray pixel: at least a sixtieth of the cell.
            EXPECT_GE(changed, W * H / 60) << "id " << kGlyphOnly[i] << " at zoom " << zoom;
        }
    }
}
