// Marks beside and above Jianpu digits, drawn on an image at zoom 1 and 2 and
// measured in pixels: accidentals stand clear to the left of their digit,
// stacked octave dots stay apart, and the digits of a vertical chord keep the
// shape of the note font's digits.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/modTQUtil.h"
#include "tests/render/TQCompoundCells.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQPageImage.h"
#include "tests/render/TQViewFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

constexpr int kCols = 6;
constexpr int kRows = 4;
constexpr int kCol = 2; // the cell under test
constexpr int kRow = 2;

struct TBox {
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1; // right and bottom inclusive
    bool Empty() const { return right < left; }
    void Add(int x, int y) {
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
    }
};

std::string Describe(const TBox& b) {
    return "[" + std::to_string(b.left) + ".." + std::to_string(b.right) + "] x [" + std::to_string(b.top) + ".." +
           std::to_string(b.bottom) + "]";
}

// The page with one cell filled by `fill`, drawn at the zoom; the cell's
// origin in pixels comes back in ox, oy and the x and y units in u, w.
struct TDrawn {
    QImage image;
    TColor bk = clWhite;
    int ox = 0, oy = 0, u = 0, w = 0;
};

TDrawn DrawCell(double zoom, const std::function<void(TViewFixture&)>& fill) {
    TViewFixture fx(kCols, kRows);
    // The default cell shape: 15 x 30 page units, the draw unit half the height.
    fx.view.CellWidth = 15;
    fx.view.CellHeight = 30;
    fx.view.DrawUnit = 15;
    fill(fx);
    FitPaintBox(fx.view, kCols, kRows, zoom);
    TPageImage page(fx.view);
    TDrawn out;
    out.image = page.image;
    out.bk = fx.view.DrawEngine.BkColor;
    out.u = fx.view.GetCellWidth();
    out.w = fx.view.GetCellHeight();
    out.ox = fx.view.DrawEngine.GetLeftMarginPx() + out.u * kCol;
    out.oy = fx.view.DrawEngine.GetTopMarginPx() + out.w * kRow;
    return out;
}

// Ink of `a` that `b` lacks (b null: all ink), within the rectangle.
TBox InkOf(const TDrawn& a, const TDrawn* b, int x0, int y0, int x1, int y1) {
    TBox box;
    for (int y = std::max(0, y0); y < std::min(a.image.height(), y1); ++y)
        for (int x = std::max(0, x0); x < std::min(a.image.width(), x1); ++x) {
            const TColor p = PixelAt(a.image, x, y);
            if (p == a.bk)
                continue;
            if (b && PixelAt(b->image, x, y) == p)
                continue;
            box.Add(x, y);
        }
    return box;
}


// One digit 5 with accidental kind `kind` (0: none) in the cell under test, as
// a plain note, a shrunk cell, a vertical chord or a grace cell; the plain note
// may have a note in the cell to its left.
enum TNoteForm { nfPlain, nfAfterNote, nfShrunk, nfChord, nfGrace };

void FillNote(TViewFixture& fx, TNoteForm form, int kind) {
    TCell& c = fx.At(kCol, kRow);
    const std::string attr = "{attr=" + std::to_string(kind) + "}";
    switch (form) {
    case nfPlain: c = TScoreFixture::Cell("5" + attr); break;
    case nfAfterNote:
        fx.At(kCol - 1, kRow) = TScoreFixture::Cell("3");
        c = TScoreFixture::Cell("5" + attr);
        break;
    case nfShrunk:
    case nfChord:
    case nfGrace:
        c = TScoreFixture::Cell("5");
        c.Attr = form == nfShrunk ? 0xA0 : form == nfChord ? 0xB0 : 0xC0;
        c.shrinkRate = form == nfChord ? 15 : 0;
        c.CompressNotes = {SmallNote('5', 0, 0, static_cast<uint32_t>(kind))};
        break;
    }
}

// Round pieces of ink (8-connected, about as wide as high, at most `most`
// pixels across) that `a` has and `b` lacks, within the rectangle.
int DotPieces(const TDrawn& a, const TDrawn& b, int x0, int y0, int x1, int y1, int most) {
    x0 = std::max(0, x0), y0 = std::max(0, y0);
    x1 = std::min(a.image.width(), x1), y1 = std::min(a.image.height(), y1);
    const int w = x1 - x0, h = y1 - y0;
    std::vector<char> mark(static_cast<size_t>(std::max(0, w * h)), 0);
    auto at = [&](int x, int y) -> char& { return mark[static_cast<size_t>((y - y0) * w + (x - x0))]; };
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const TColor p = PixelAt(a.image, x, y);
            at(x, y) = p != a.bk && PixelAt(b.image, x, y) != p;
        }
    int pieces = 0;
    std::vector<std::pair<int, int>> stack;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            if (at(x, y) != 1)
                continue;
            TBox box;
            stack.push_back({x, y});
            at(x, y) = 2;
            while (!stack.empty()) {
                auto [px, py] = stack.back();
                stack.pop_back();
                box.Add(px, py);
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = px + dx, ny = py + dy;
                        if (nx >= x0 && nx < x1 && ny >= y0 && ny < y1 && at(nx, ny) == 1) {
                            at(nx, ny) = 2;
                            stack.push_back({nx, ny});
                        }
                    }
            }
            const int bw = box.right - box.left + 1, bh = box.bottom - box.top + 1;
            if (bw <= most && bh <= most && std::abs(bw - bh) <= 1)
                ++pieces;
        }
    return pieces;
}

const char* FormName(TNoteForm f) {
    static const char* const names[] = {"plain note", "note after a note", "shrunk note", "chord note", "grace note"};
    return names[f];
}

} // namespace

TEST(NoteMarkPixels, EveryAccidentalStandsClearLeftOfItsDigit) {
    for (bool font : {true, false}) {
        TMusicFonts fonts(font, font);
        ASSERT_TRUE(fonts.loaded());
        for (double zoom : {1.0, 2.0}) {
            const int minGap = zoom < 1.5 ? 1 : 2; // background columns between sign and digit
            for (TNoteForm form : {nfPlain, nfAfterNote, nfShrunk, nfChord, nfGrace}) {
                const TDrawn plain = DrawCell(zoom, [&](TViewFixture& fx) { FillNote(fx, form, 0); });
                // the cell and the one before it, from a row above to a row below
                const int x0 = plain.ox - plain.u, x1 = plain.ox + 2 * plain.u;
                const int y0 = plain.oy - plain.w, y1 = plain.oy + 2 * plain.w;
                const TBox digit = InkOf(plain, nullptr, plain.ox, y0, x1, y1);
                ASSERT_FALSE(digit.Empty()) << FormName(form);
                for (int kind = 1; kind <= 9; ++kind) {
                    const TDrawn marked = DrawCell(zoom, [&](TViewFixture& fx) { FillNote(fx, form, kind); });
                    const TBox sign = InkOf(marked, &plain, x0, y0, x1, y1);
                    const std::string where = std::string(FormName(form)) + ", kind " + std::to_string(kind) +
                                              ", zoom " + std::to_string(zoom) + (font ? ", music font" : ", no font") +
                                              ": sign " + Describe(sign) + ", digit " + Describe(digit);
                    ASSERT_FALSE(sign.Empty()) << where;
                    EXPECT_GE(digit.left - sign.right - 1, minGap) << where;
                    // at the digit's height (small notes carry it a little higher)
                    EXPECT_LE(sign.top, digit.bottom) << where;
                    EXPECT_GE(sign.bottom, digit.top - plain.w / 4) << where;
                }
            }
        }
    }
}

TEST(NoteMarkPixels, ASignWithRoomStandsAtTheDigitsUpperLeftAsTallAsTheDigit) {
    // With room before the note, a sharp, flat or natural is about as tall as
    // the digit and raised: its middle level with the digit's top, so that it
    // reads as belonging to the digit and not to the line of notes.
    for (bool font : {true, false}) {
        TMusicFonts fonts(font, font);
        ASSERT_TRUE(fonts.loaded());
        for (double zoom : {1.0, 2.0}) {
            const TDrawn plain = DrawCell(zoom, [&](TViewFixture& fx) { FillNote(fx, nfPlain, 0); });
            const int x0 = plain.ox - plain.u, x1 = plain.ox + 2 * plain.u;
            const int y0 = plain.oy - plain.w, y1 = plain.oy + 2 * plain.w;
            const TBox digit = InkOf(plain, nullptr, plain.ox, y0, x1, y1);
            ASSERT_FALSE(digit.Empty());
            const double h = digit.bottom - digit.top + 1;
            for (int kind : {1, 2, 3}) {
                const TDrawn marked = DrawCell(zoom, [&](TViewFixture& fx) { FillNote(fx, nfPlain, kind); });
                const TBox sign = InkOf(marked, &plain, x0, y0, x1, y1);
                const std::string where = "kind " + std::to_string(kind) + ", zoom " + std::to_string(zoom) +
                                          (font ? ", music font" : ", no font") + ": sign " + Describe(sign) +
                                          ", digit " + Describe(digit);
                ASSERT_FALSE(sign.Empty()) << where;
                const double tall = (sign.bottom - sign.top + 1) / h;
                EXPECT_GE(tall, 0.75) << where;
                EXPECT_LE(tall, 1.05 + 1.0 / h) << where; // a pixel of rounding at small sizes
                const double middle = 0.5 * (sign.top + sign.bottom) - digit.top;
                EXPECT_LE(std::abs(middle), 0.2 * h) << where;
                EXPECT_LE(digit.left - sign.right - 1, plain.u / 2) << "beside the digit: " << where;
            }
        }
    }
}

TEST(NoteMarkPixels, StackedOctaveDotsStayApart) {
    // Two, three and four dots above and below a digit: as many separate dots on
    // the page, on plain, shrunk, grace and chord notes, at zoom 1 and 2.
    auto fill = [](TViewFixture& fx, TNoteForm form, int octave) {
        TCell& c = fx.At(kCol, kRow);
        c = TScoreFixture::Cell("5");
        if (form == nfPlain) {
            c.dot = octave;
            return;
        }
        c.Attr = form == nfShrunk ? 0xA0 : form == nfChord ? 0xB0 : 0xC0;
        c.shrinkRate = form == nfChord ? 15 : 0;
        c.CompressNotes = {SmallNote('5', 0, octave)};
    };
    for (double zoom : {1.0, 2.0})
        for (TNoteForm form : {nfPlain, nfShrunk, nfChord, nfGrace}) {
            const TDrawn bare = DrawCell(zoom, [&](TViewFixture& fx) { fill(fx, form, 0); });
            for (int octave : {2, 3, 4, -2, -3, -4}) {
                const TDrawn dotted = DrawCell(zoom, [&](TViewFixture& fx) { fill(fx, form, octave); });
                // (the curve of a grace cell moves under its dots: not round)
                const int pieces = DotPieces(dotted, bare, bare.ox - bare.u, bare.oy - 2 * bare.w,
                                             bare.ox + 2 * bare.u, bare.oy + 3 * bare.w, bare.u / 3);
                EXPECT_EQ(pieces, std::abs(octave))
                    << FormName(form) << ", octave " << octave << ", zoom " << zoom;
            }
        }
}

TEST(NoteMarkPixels, ChordDigitsKeepTheNoteFontsShape) {
    // The ink of a chord's digit 5 is as much taller than wide as that of a plain
    // 5, at the rates 0, 15 and 30 and at zoom 1 and 2.
    for (double zoom : {1.0, 2.0}) {
        const TDrawn plain = DrawCell(zoom, [](TViewFixture& fx) { fx.At(kCol, kRow) = TScoreFixture::Cell("5"); });
        const TBox p = InkOf(plain, nullptr, plain.ox, plain.oy, plain.ox + plain.u, plain.oy + plain.w);
        ASSERT_FALSE(p.Empty());
        const float plainShape =
            static_cast<float>(p.bottom - p.top + 1) / static_cast<float>(p.right - p.left + 1);
        for (int rate : {0, 15, 30}) {
            const TDrawn chord = DrawCell(zoom, [&](TViewFixture& fx) {
                TCell& c = fx.At(kCol, kRow);
                c = TScoreFixture::Cell("5");
                c.Attr = 0xB0;
                c.shrinkRate = rate;
                c.CompressNotes = {SmallNote('5')};
            });
            const TBox q = InkOf(chord, nullptr, chord.ox - chord.u, chord.oy - chord.w, chord.ox + 2 * chord.u,
                                 chord.oy + 2 * chord.w);
            ASSERT_FALSE(q.Empty());
            const float shape = static_cast<float>(q.bottom - q.top + 1) / static_cast<float>(q.right - q.left + 1);
            EXPECT_NEAR(shape, plainShape, 0.15f * plainShape)
                << "rate " << rate << ", zoom " << zoom << ": chord " << Describe(q) << ", plain " << Describe(p);
        }
    }
}

TEST(NoteMarkPixels, GongcheBeatDotsAreAsLargeAsMarkOneAndClearOfTheCharacter) {
    TMusicFonts fonts(true, true);
    for (double zoom : {1.0, 2.0}) {
        const int minGap = zoom < 1.5 ? 2 : 3;
        for (int octave : {0, 1, -1}) {
            auto drawn = [&](int mark) {
                return DrawCell(zoom, [&](TViewFixture& fx) { fx.At(kCol, kRow) = GongcheCell('6', octave, mark); });
            };
            const TDrawn plain = drawn(0);
            const int x0 = plain.ox - plain.u, x1 = plain.ox + 3 * plain.u;
            const int y0 = plain.oy - plain.w, y1 = plain.oy + 2 * plain.w;
            const TBox ch = InkOf(plain, nullptr, x0, y0, x1, y1);
            const TDrawn first = drawn(1);
            const TBox one = InkOf(first, &plain, x0, y0, x1, y1);
            ASSERT_FALSE(one.Empty());
            const int oneSize = std::max(one.right - one.left, one.bottom - one.top) + 1;
            for (int mark = 2; mark <= 5; ++mark) {
                const TDrawn m = drawn(mark);
                const TBox dot = InkOf(m, &plain, x0, y0, x1, y1);
                const std::string where = "mark " + std::to_string(mark) + ", octave " + std::to_string(octave) +
                                          ", zoom " + std::to_string(zoom) + ": dot " + Describe(dot) +
                                          ", character " + Describe(ch) + ", mark 1 " + Describe(one);
                ASSERT_FALSE(dot.Empty()) << where;
                const int size = std::max(dot.right - dot.left, dot.bottom - dot.top) + 1;
                EXPECT_NEAR(size, oneSize, 2) << where;
                const int gap = mark == 2 ? dot.left - ch.right - 1
                              : mark == 3 ? ch.left - dot.right - 1
                              : mark == 4 ? dot.top - ch.bottom - 1
                                          : ch.top - dot.bottom - 1;
                EXPECT_GE(gap, minGap) << where;
            }
        }
    }
}

TEST(NoteMarkPixels, TrillSignStandsOnTheTrWithOrWithoutTheMusicFont) {
    // The sign of a trill with a sharp, flat or natural stands on the trill's
    // mark, its foot within a few pixels of the mark's top and over its middle,
    // with the music font (glyph and glyph sign) and without it ("tr" and the
    // drawn sign); never up in the row above.
    for (bool font : {true, false}) {
        TMusicFonts fonts(font, font);
        for (double zoom : {1.0, 2.0})
            for (int kind : {1, 2, 3}) {
                auto trill = [&](int attr) {
                    return DrawCell(zoom, [&](TViewFixture& fx) {
                        fx.At(kCol, kRow) = TScoreFixture::Cell("~{type=11,note=15,attr=" + std::to_string(attr) + "}");
                    });
                };
                const TDrawn plain = trill(0);
                const TDrawn marked = trill(kind);
                const TBox tr = InkOf(plain, nullptr, plain.ox, plain.oy - plain.w / 2, plain.ox + 2 * plain.u,
                                      plain.oy + plain.w);
                const TBox sign = InkOf(marked, &plain, plain.ox - plain.u, plain.oy - 2 * plain.w,
                                        plain.ox + 3 * plain.u, plain.oy + 2 * plain.w);
                const std::string where = "kind " + std::to_string(kind) + ", zoom " + std::to_string(zoom) +
                                          (font ? ", music font" : ", no font") + ": sign " + Describe(sign) +
                                          ", tr " + Describe(tr);
                ASSERT_FALSE(tr.Empty()) << where;
                ASSERT_FALSE(sign.Empty()) << where;
                const int slack = zoom < 1.5 ? 3 : 5;
                EXPECT_NEAR(sign.bottom, tr.top, slack) << where;
                EXPECT_GE(sign.right, tr.left) << where;
                EXPECT_LE(sign.left, tr.right) << where;
            }
    }
}

