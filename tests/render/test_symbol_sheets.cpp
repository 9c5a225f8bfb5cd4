// Two pages drawn on an image: every special symbol in a grid beside its
// number, and a page with a background picture, an inserted picture, time
// signatures, tempo marks and instrument marks. Written to TQ_TEST_PNG_DIR when
// set, and checked for ink where each thing is drawn.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

#include "model/modTQUtil.h"
#include "notation/modTQMarkGlyphs.h"
#include "platform/gui/TQBitmap.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQPageImage.h"
#include "tests/render/TQViewFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

constexpr int kPerRow = 12;              // symbols per sheet row, three columns each
constexpr int kCols = 3 * kPerRow;
constexpr int kSymbolRows = 17;          // 204 places for ids 1..177 and the syllables
constexpr int kRows = 2 * kSymbolRows + 1; // an empty row above each row of symbols

std::vector<int> SheetIds() {
    std::vector<int> ids;
    for (int id = 1; id <= 177; ++id)
        ids.push_back(id);
    for (int id = 10000; id <= 10021; ++id)
        ids.push_back(id);
    return ids;
}

// Column and row of the i-th symbol; its number stands in the column before.
int SheetCol(size_t i) { return 3 * static_cast<int>(i % kPerRow) + 1; }
int SheetRow(size_t i) { return 2 * static_cast<int>(i / kPerRow) + 1; }

} // namespace

TEST(SymbolSheet, EveryIdBesideItsNumber) {
    for (bool musicFont : {true, false}) {
        TMusicFonts fonts(musicFont, musicFont);
        ASSERT_TRUE(fonts.loaded());
        TViewFixture fx(kCols, kRows);
        const std::vector<int> ids = SheetIds();
        for (size_t i = 0; i < ids.size(); ++i)
            fx.At(SheetCol(i) - 1, SheetRow(i)) =
                TScoreFixture::Cell("\"" + std::to_string(ids[i]) + "\"{size=0.6}");
        TMainView& v = fx.view;
        FitPaintBox(v, kCols, kRows, 2.0);
        // The numbers alone, then with the symbols: a symbol is what changed.
        QImage labels;
        {
            TPageImage numbers(v);
            labels = numbers.image;
        }
        for (size_t i = 0; i < ids.size(); ++i) {
            TCell& cell = fx.At(SheetCol(i), SheetRow(i)) = TScoreFixture::Cell("S:" + std::to_string(ids[i]));
            cell.Attr = 2; // a flat beside the waves and turns
        }
        TPageImage page(v);
        tqtest::SavePngIfWanted(page.image, musicFont ? "symbols_sheet" : "symbols_sheet_no_music_font");
        const auto changed = [&](int x0, int y0, int x1, int y1) {
            for (int y = std::max(0, y0); y < std::min(page.image.height(), y1); ++y)
                for (int x = std::max(0, x0); x < std::min(page.image.width(), x1); ++x)
                    if (page.image.pixel(x, y) != labels.pixel(x, y))
                        return true;
            return false;
        };

        const TDrawEngine& e = v.DrawEngine;
        const int u = v.GetCellWidth(), w = v.GetCellHeight();
        const int L = e.GetLeftMarginPx(), T = e.GetTopMarginPx();
        // Ids with nothing to draw, and the glyph-only rows without the music fonts.
        std::set<int> blank = {32, 37, 89, 112, 129, 138, 146};
        const struct {
            int id;
            const char* font;
            int code;
        } glyphOnly[] = {{4, "MusicalSymbols", 126}, {151, "MusicalSymbols", 34}, {152, "Toccata", 70},
                         {153, "Toccata", 81},       {154, "Toccata", 72},        {155, "Toccata", 78},
                         {156, "Toccata", 85},       {157, "Toccata", 86},        {171, "MusicalSymbols", 160},
                         {172, "MusicalSymbols", 221}, {110, "MusicalSymbols", 36}, {144, "MusicalSymbols", 172},
                         {145, "MusicalSymbols", 232}, {45, "MusicalSymbols", 177}};
        for (const auto& g : glyphOnly) {
            EXPECT_EQ(HasMusicGlyph(g.font, g.code), musicFont) << "id " << g.id << ": " << g.font << " " << g.code;
            if (!musicFont)
                blank.insert(g.id);
        }
        for (size_t i = 0; i < ids.size(); ++i) {
            // The symbol's place: from half its number's column to the next column, from
            // 0.6 row above.
            const int x0 = L + u * SheetCol(i), y0 = T + w * SheetRow(i);
            const bool ink = changed(x0 - u / 2, y0 - 3 * w / 5, x0 + 2 * u, y0 + w);
            EXPECT_EQ(ink, !blank.count(ids[i])) << "id " << ids[i] << (musicFont ? " with" : " without")
                                                 << " the music fonts";
        }
    }
}

TEST(SymbolSheet, PageWithBackgroundPictureTimeTempoAndInstruments) {
    tqtest::TempDir dir;
    constexpr int cols = 24, rows = 8;
    // a pale background and a blue picture, each with a black square; pictures
    // are drawn transparent in the colour of their bottom-left pixel, white here
    const auto picture = [&](const char* name, TColor colour, int w, int h) {
        TBitmap b(w, h);
        b.Canvas().Brush.Color = colour;
        b.Canvas().FillRect(TRect{0, 0, w, h});
        b.Canvas().Brush.Color = 0x000000;
        b.Canvas().FillRect(TRect{w / 4, h / 4, w / 2, h / 2});
        b.Canvas().SetPixel(0, h - 1, clWhite);
        const std::string path = (dir / name).string();
        EXPECT_TRUE(b.SaveToFile(path));
        return path;
    };
    const std::string bg = picture("bg.bmp", 0xE0F0FF, 100, 130);
    const std::string pic = picture("pic.bmp", 0xC00000, 60, 40);
    for (bool musicFont : {true, false}) {
        TMusicFonts fonts(musicFont, musicFont);
        TViewFixture fx(cols, rows);
        fx.At(0, 0) = TScoreFixture::Cell("~{type=7,note=200119}");
        fx.At(0, 0).Text = bg;
        // row 1: a Western row (clef cell) with 4/4, 2/2, 3/4 and 6/8
        fx.Row(1, "&G T:4/4 ~ T:2/2 ~ T:3/4 ~ T:6/8 ~ T:4/4{opt=1}");
        // row 3: Jianpu time signatures 2/4 and 12/8, tempo marks
        fx.Row(3, "T:2/4 ~ T:12/8 ~ ~ ~{type=4,note=2,fc=96} ~ ~ ~ ~{type=4,note=4,fc=132,color=255} ~ ~ ~ "
                  "~{type=4,note=1,fc=60,size=1.5}");
        // row 5: instruments 0, 40, 60, 128; row 6: a picture two columns wide
        fx.Row(5, "~{type=12,up=0} ~{type=12,up=40} ~{type=12,up=60} ~{type=12,up=128}");
        fx.At(2, 6) = TScoreFixture::Cell("~{type=7,iEnd=3,jEnd=1,shrink=1}");
        fx.At(2, 6).Text = pic;
        TMainView& v = fx.view;
        FitPaintBox(v, cols, rows, 2.0);
        TPageImage page(v);
        tqtest::SavePngIfWanted(page.image, musicFont ? "page_marks_sheet" : "page_marks_sheet_no_music_font");

        const TDrawEngine& e = v.DrawEngine;
        const int u = v.GetCellWidth(), w = v.GetCellHeight();
        const int L = e.GetLeftMarginPx(), T = e.GetTopMarginPx();
        const auto cx = [&](int c) { return L + u * c; };
        const auto cy = [&](int r) { return T + w * r; };
        const TColor pale = 0xE0F0FF;
        // the background everywhere the score leaves free, the margin included
        EXPECT_EQ(PixelAt(page.image, 2, 2), pale);
        EXPECT_EQ(PixelAt(page.image, cx(20), cy(7) + w / 2), pale);
        // the picture fills its three columns and one row
        EXPECT_EQ(PixelAt(page.image, cx(2) + 3 * u - 3, cy(6) + w - 3), 0xC00000);
        EXPECT_NE(PixelAt(page.image, cx(5) + 3, cy(6) + w / 2), 0xC00000);
        // time signatures and tempo marks have ink
        for (int c : {1, 3, 5, 7, 9})
            EXPECT_TRUE(Inked(page.image, cx(c), cy(1) - w / 2, cx(c) + u, cy(1) + w, pale)) << "column " << c;
        for (int c : {0, 2})
            EXPECT_TRUE(Inked(page.image, cx(c), cy(3) - w / 2, cx(c) + 2 * u, cy(3) + w, pale)) << "column " << c;
        for (int c : {5, 9, 13})
            EXPECT_TRUE(Inked(page.image, cx(c), cy(3), cx(c) + 2 * u, cy(3) + w, pale)) << "tempo " << c;
        // the instrument pictures and the "X" on screen
        for (int c : {0, 1, 2, 3})
            EXPECT_TRUE(Inked(page.image, cx(c) + 1, cy(5) + 1, cx(c) + u, cy(5) + w, pale)) << "instrument " << c;
    }
}
