// The legacy music-font codes on Bravura: which codes resolve, the switches, the
// font loading and substitutes, and where the glyphs put their ink when drawn
// the way the glyph map's contract says, in the places the score drawers use.
#include <gtest/gtest.h>

#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QRawFont>

#include <cmath>
#include <optional>
#include <set>

#include "platform/gui/TQGlyphMap.h"
#include "platform/gui/TQQtCanvas.h"
#include "tests/support/TQTestSupport.h"

namespace {

class GlyphMapTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { loaded_ = LoadProgramFonts(tqtest::ProgramFolder().string()); }
    void SetUp() override {
        ASSERT_TRUE(loaded_) << "bravura.otf missing from " << tqtest::ProgramFolder() / "fonts";
        for (const char* f : {"MusicalSymbols", "Toccata", "Wingdings 3"})
            SetMusicFontInstalled(f, true);
    }
    void TearDown() override {
        for (const char* f : {"MusicalSymbols", "Toccata", "Wingdings 3"})
            SetMusicFontInstalled(f, true);
    }
    static bool loaded_;
};
bool GlyphMapTest::loaded_ = false;

// Draws one legacy code as the glyph map's contract says: the legacy text origin
// at (x, y), an em of E pixels.
void DrawLegacy(QPainter& p, const TLegacyGlyph& g, double x, double y, double E, QColor colour = Qt::black) {
    QFont f(QString::fromUtf8(g.family));
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(E * g.scale))));
    p.save();
    p.setFont(f);
    p.setPen(colour);
    p.translate(x + g.dx * E, y + g.dy * E);
    if (g.angle)
        p.rotate(-g.angle / 10.0);
    p.scale(g.stretch, 1.0);
    char32_t cp = g.codepoint;
    p.drawText(QPointF(0, 0), QString::fromUcs4(&cp, 1));
    p.restore();
}

struct TInk {
    double left, top, right, bottom; // pixels, right and bottom exclusive
    double cx() const { return (left + right) / 2; }
    double cy() const { return (top + bottom) / 2; }
};

std::optional<TInk> InkBox(const QImage& img) {
    int l = img.width(), t = img.height(), r = -1, b = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 128) {
                l = std::min(l, x), r = std::max(r, x);
                t = std::min(t, y), b = std::max(b, y);
            }
    if (r < 0)
        return std::nullopt;
    return TInk{double(l), double(t), double(r + 1), double(b + 1)};
}

QImage WhiteImage(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

// Ink of one code drawn with its legacy origin at (x, y) on a white page.
std::optional<TInk> InkOf(const char* face, uint8_t code, double x, double y, double E, int w = 600, int h = 600) {
    const TLegacyGlyph* g = FindLegacyGlyph(face, code);
    if (!g)
        return std::nullopt;
    QImage img = WhiteImage(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    DrawLegacy(p, *g, x, y, E);
    p.end();
    return InkBox(img);
}

// Every code the score drawers write in a legacy music font.
const std::vector<std::pair<const char*, std::vector<int>>> kCodesInUse = {
    {"MusicalSymbols",
     {38, 63, 66, 35, 98, 110, 220, 186, 206, 228, 197, 168, 244, 229, 62, 94, 118, 174, 177, 209, 184, 185, 112, 80,
      236, 196, 102, 70, 83, 90, 217, 126, 109, 77, 181, 84, 85, 117, 179, 99, 222, 37, 212, 190, 192, 246, 250, 119,
      87, 106, 107, 74, 75, 251, 225, 161, 42, 43, 34, 103, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 167, 234, 36, 116,
      160, 172, 221, 232}},
    {"Toccata", {135, 136, 137, 36, 177, 104, 108, 102, 106, 105, 107, 180, 46, 231, 232, 246, 247, 230, 248, 233,
                 249, 250, 252, 253, 237, 251, 255, 254, 245, 70, 81, 72, 78, 85, 86}},
    {"Wingdings 3", {133, 134}},
};

TEST_F(GlyphMapTest, EveryCodeInUseResolvesOrIsListedMissing) {
    for (const auto& [face, codes] : kCodesInUse) {
        std::vector<uint8_t> missing = MissingLegacyCodes(face);
        std::set<int> missingSet(missing.begin(), missing.end());
        for (int code : codes) {
            const TLegacyGlyph* g = FindLegacyGlyph(face, static_cast<uint8_t>(code));
            bool listed = missingSet.count(code) > 0;
            EXPECT_NE(g != nullptr, listed) << face << " " << code << (listed ? " mapped and listed missing"
                                                                             : " neither mapped nor listed missing");
        }
    }
}

TEST_F(GlyphMapTest, EveryMappedCodePointExistsInItsFont) {
    for (const auto& e : LegacyGlyphTable()) {
        QRawFont raw = QRawFont::fromFont(QFont(QString::fromUtf8(e.glyph.family)));
        ASSERT_TRUE(raw.isValid()) << e.glyph.family;
        EXPECT_EQ(raw.familyName(), QString::fromUtf8(e.glyph.family)) << e.face << " " << int(e.code);
        EXPECT_TRUE(raw.supportsCharacter(e.glyph.codepoint))
            << e.face << " " << int(e.code) << " U+" << std::hex << uint32_t(e.glyph.codepoint);
        EXPECT_GT(e.glyph.scale, 0.0f);
        EXPECT_GT(e.glyph.advance, 0.0f);
        EXPECT_GT(e.glyph.stretch, 0.0f);
    }
}

TEST_F(GlyphMapTest, FaceNamesIgnoreCaseAndOtherFacesHaveNoGlyphs) {
    EXPECT_TRUE(IsLegacyMusicFont("musicalsymbols"));
    EXPECT_TRUE(IsLegacyMusicFont("TOCCATA"));
    EXPECT_TRUE(IsLegacyMusicFont("wingdings 3"));
    EXPECT_FALSE(IsLegacyMusicFont("Wingdings"));
    EXPECT_FALSE(IsLegacyMusicFont("Arial"));
    EXPECT_EQ(FindLegacyGlyph("musicalsymbols", 38), FindLegacyGlyph("MusicalSymbols", 38));
    EXPECT_EQ(FindLegacyGlyph("Arial", 38), nullptr);
    EXPECT_FALSE(MusicFontInstalled("Arial"));
    EXPECT_TRUE(MissingLegacyCodes("Arial").empty());
}

TEST_F(GlyphMapTest, SwitchingAFontOffHidesOnlyItsGlyphs) {
    ASSERT_TRUE(MusicFontInstalled("MusicalSymbols"));
    ASSERT_TRUE(MusicFontInstalled("Toccata"));
    SetMusicFontInstalled("musicalSYMBOLS", false);
    EXPECT_FALSE(MusicFontInstalled("MusicalSymbols"));
    EXPECT_EQ(FindLegacyGlyph("MusicalSymbols", 38), nullptr);
    EXPECT_TRUE(MusicFontInstalled("Toccata"));
    EXPECT_NE(FindLegacyGlyph("Toccata", 135), nullptr);
    SetMusicFontInstalled("MusicalSymbols", true);
    EXPECT_NE(FindLegacyGlyph("MusicalSymbols", 38), nullptr);
}

TEST_F(GlyphMapTest, LoadingAgainKeepsTheFontsAndTheSwitches) {
    SetMusicFontInstalled("Toccata", false);
    EXPECT_TRUE(LoadProgramFonts(tqtest::ProgramFolder().string()));
    EXPECT_TRUE(MusicFontInstalled("MusicalSymbols"));
    EXPECT_FALSE(MusicFontInstalled("Toccata"));
}

// Fonts count as installed through their substitutes; an override shows the
// drawers' second forms and a reset asks the font database again.
TEST_F(GlyphMapTest, FontsInstalledThroughSubstitutesAndOverrides) {
    for (const char* face : {"SimSun", "Times New Roman", "Arial", "Book Antiqua", "ARIAL"})
        EXPECT_TRUE(FontInstalled(face)) << face;
    EXPECT_FALSE(FontInstalled("No Such Face Anywhere"));
    EXPECT_FALSE(FontInstalled(""));
    SetFontInstalled("Arial", false);
    EXPECT_FALSE(FontInstalled("arial"));
    ResetFontInstalled("Arial");
    EXPECT_TRUE(FontInstalled("Arial"));
    // the music fonts answer as the glyph map does
    EXPECT_EQ(FontInstalled("Toccata"), MusicFontInstalled("Toccata"));
    SetFontInstalled("Toccata", false);
    EXPECT_FALSE(MusicFontInstalled("Toccata"));
    ResetFontInstalled("Toccata");
    EXPECT_EQ(FontInstalled("Toccata"), MusicFontInstalled("Toccata"));
}

TEST_F(GlyphMapTest, WindowsTextFacesResolveToTheirSubstitutes) {
    const std::pair<const char*, const char*> cases[] = {
        {"SimSun", "Noto Serif CJK SC"},         {"\xE9\xBB\x91\xE4\xBD\x93", "Noto Sans CJK SC"},
        {"Times New Roman", "Liberation Serif"}, {"Arial", "Liberation Sans"},
        {"Book Antiqua", "TeX Gyre Pagella"},    {"ARIAL", "Liberation Sans"},
    };
    for (const auto& [face, family] : cases) {
        EXPECT_EQ(SubstituteFontFamily(face), family) << face;
        EXPECT_EQ(QFontInfo(QFont(QString::fromUtf8(face))).family(), QString(family)) << face;
    }
    EXPECT_EQ(SubstituteFontFamily("Courier New"), "Courier New");
}

// Every available glyph, at three sizes, keeps its ink inside its character
// cell: below the cell top and above the cell bottom, and horizontally within a
// quarter em before the origin and its advance plus a little after it.
TEST_F(GlyphMapTest, EveryGlyphInksInsideItsCell) {
    for (const auto& e : LegacyGlyphTable()) {
        if (std::string(e.face) == "MusicalSymbols" && e.code == 167)
            continue; // the brace reaches over the lower half's cell too (next test)
        for (double E : {16.0, 40.0, 90.0}) {
            const double x = 200, y = 100;
            auto ink = InkOf(e.face, e.code, x, y, E, 800, 500);
            ASSERT_TRUE(ink) << e.face << " " << int(e.code) << " draws nothing";
            double cell = LegacyCellHeight(e.face) * E;
            SCOPED_TRACE(std::string(e.face) + " " + std::to_string(e.code) + " " + e.glyph.role + " E=" +
                         std::to_string(E));
            EXPECT_GE(ink->top, y - 1);
            EXPECT_LE(ink->bottom, y + cell + 1);
            EXPECT_GE(ink->left, x - 0.25 * E - 1);
            EXPECT_LE(ink->right, x + (e.glyph.advance + 0.35) * E + 1);
        }
    }
}

// Placement cases from the drawers: a staff whose top line is at y = T and whose
// row height is Y (lines at T + 0, 0.25, 0.5, 0.75 and 1.0 Y). A glyph drawn at
// a factor f has an em of (2/3) Y f on a 96-dpi screen (draw scale = half the
// cell height, font size in points).
struct TPlacement {
    const char* name;
    const char* face;
    uint8_t code;
    double factor;
    double ox, oy;         // legacy origin from (left, T), in Y
    double cx, cy, tol;    // expected ink centre from (left, T), in Y; tol in Y
    double minH, maxH;     // ink height, in Y
};

TEST_F(GlyphMapTest, GlyphsSitWhereTheDrawersPlaceThem) {
    // Origins follow the drawers' offsets: the staff header's origin is
    // (cell left + 0.2 X, T + 0.7 Y) with X = Y / 2; note heads are drawn at
    // the note's y, whose head box centre lies 0.205 Y above it.
    const TPlacement cases[] = {
        // Key signature: F sharp on the top line, B flat's bowl on the middle
        // line, a cancelling natural on the top line.
        {"key sharp on F line", "MusicalSymbols", 35, 1.05, 0.0, 0.7 - 1.675, 0.05, 0.0, 0.06, 0.45, 0.6},
        {"key natural on F line", "MusicalSymbols", 110, 1.05, 0.0, 0.7 - 1.68, 0.04, 0.0, 0.06, 0.4, 0.55},
        // The treble clef spans the staff and reaches out above and below it.
        {"treble clef", "MusicalSymbols", 38, 1.5, 0.1, 0.7 - 1.1, 0.45, 0.5, 0.25, 1.6, 1.85},
        // The bass clef's body fills the upper three spaces.
        {"bass clef", "MusicalSymbols", 63, 1.4, 0.075, 0.7 - 1.03, 0.35, 0.4, 0.12, 0.7, 0.95},
        {"alto clef on middle line", "MusicalSymbols", 66, 1.45, 0.1, 0.7 - 1.02, 0.4, 0.5, 0.05, 0.95, 1.05},
        // Zoomed note heads: centred in their head box, one space high.
        {"black head", "MusicalSymbols", 246, 1.55, -0.1, 0.7 + 0.02 - 1.66, 0.05, 0.7 - 0.205, 0.04, 0.2, 0.27},
        {"half head", "MusicalSymbols", 250, 1.5, -0.09, 0.7 - 0.15 - 1.45, 0.06, 0.7 - 0.205, 0.04, 0.2, 0.27},
        {"whole head", "MusicalSymbols", 119, 1.5, -0.15, 0.7 - 1.58, 0.05, 0.7 - 0.215, 0.04, 0.2, 0.27},
        // Rests round the middle line.
        {"quarter rest", "MusicalSymbols", 206, 1.4, 0.035, 0.7 - 1.1, 0.15, 0.5, 0.06, 0.62, 0.78},
        {"eighth rest", "MusicalSymbols", 228, 1.4, 0.025, 0.7 - 1.55, 0.15, 0.5 - 0.04, 0.08, 0.35, 0.5},
        {"16th rest", "MusicalSymbols", 197, 1.4, -0.04, 0.7 - 1.4, 0.15, 0.5 + 0.16, 0.1, 0.6, 0.75},
        // Common time centred on the middle line.
        {"common time", "MusicalSymbols", 99, 1.5, 0.035, -0.05 - 0.23 - 0.6, 0.25, 0.5, 0.04, 0.45, 0.55},
        // Symbol cells (T is the cell's top, a column is half a row): each glyph
        // where the drawn form used without the font stands.
        {"symbol sharp", "MusicalSymbols", 35, 1.0, 0.175, -0.21, 0.25, 0.71, 0.06, 0.4, 0.55},
        {"symbol flat", "MusicalSymbols", 98, 1.2, 0.175, -0.32, 0.25, 0.675, 0.06, 0.42, 0.56},
        {"down-bow", "MusicalSymbols", 179, 1.4, 0.1, -0.35, 0.25, 0.83, 0.05, 0.18, 0.27},
        {"x head", "MusicalSymbols", 192, 1.1, 0.14, -0.2, 0.25, 0.83, 0.05, 0.17, 0.25},
        {"hollow diamond", "MusicalSymbols", 225, 1.8, 0.075, -0.9, 0.25, 0.77, 0.05, 0.26, 0.34},
        {"tremolo strokes", "MusicalSymbols", 190, 1.0, 0.155, 0.0, 0.25, 0.78, 0.05, 0.3, 0.4},
        {"arrow up", "Toccata", 104, 1.0, 0.15, 0.25, 0.25, 0.75, 0.05, 0.35, 0.45},
        {"arrow right", "Toccata", 106, 1.0, 0.05, 0.25, 0.225, 0.85, 0.05, 0.08, 0.2},
    };
    const double Y = 120, T = 150, left = 100;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        double E = 2.0 / 3.0 * Y * c.factor;
        auto ink = InkOf(c.face, c.code, left + c.ox * Y, T + c.oy * Y, E);
        ASSERT_TRUE(ink);
        EXPECT_NEAR((ink->cy() - T) / Y, c.cy, c.tol);
        EXPECT_NEAR((ink->cx() - left) / Y, c.cx, 0.15);
        double h = (ink->bottom - ink->top) / Y;
        EXPECT_GE(h, c.minH);
        EXPECT_LE(h, c.maxH);
    }
}

TEST_F(GlyphMapTest, FlagsHangFromTheStemEnd) {
    // The flag drawer: stem end (R0, R3); an up flag's text origin is 0.42 X left
    // of and 0.4 Y above it, a down flag's 1.83 Y above it; size factor 1.2.
    const double Y = 120, X = Y / 2, R0 = 300, R3 = 200, E = 2.0 / 3.0 * Y * 1.2;
    auto up = InkOf("MusicalSymbols", 106, R0 - 0.42 * X, R3 - 0.4 * Y, E);
    ASSERT_TRUE(up);
    EXPECT_NEAR(up->top, R3, 0.04 * Y);
    EXPECT_NEAR(up->left, R0, 0.04 * Y);
    EXPECT_GT(up->bottom, R3 + 0.5 * Y); // hangs down the stem
    auto down = InkOf("MusicalSymbols", 74, R0, R3 - 1.83 * Y, E);
    ASSERT_TRUE(down);
    EXPECT_NEAR(down->bottom, R3, 0.04 * Y);
    EXPECT_NEAR(down->left, R0, 0.04 * Y);
    EXPECT_LT(down->top, R3 - 0.5 * Y); // rises up the stem
}

TEST_F(GlyphMapTest, BraceSpansBothStavesOfAGrandStaff) {
    // Two rows (n = 1): the brace drawer asks for a created font of cell height
    // round(2.8 h) with h = 0.5 X x 0.97 (n + 1), drawn 0.55 Y below its point,
    // which lies 0.1 (n - 2) + 0.85 Y above the upper staff's top.
    const double Y = 120, X = Y / 2, T = 100;
    const int n = 1;
    double h = std::lround(0.5 * X * 0.97 * (n + 1));
    double E = std::lround(2.8 * h) / LegacyCellHeight("MusicalSymbols");
    double y = T - Y * (0.1 * (n - 2) + 0.85) + 0.55 * Y;
    auto ink = InkOf("MusicalSymbols", 167, 200, y, E, 600, 600);
    ASSERT_TRUE(ink);
    EXPECT_NEAR(ink->top, T, 0.05 * Y);
    EXPECT_NEAR(ink->bottom, T + 2 * Y, 0.05 * Y);
}

// Glyphs the drawers repeat to make a line: a trill line is a string of wave
// glyphs at their own advance; an arpeggio stacks segments every half row at
// factor 1.4. Either way the line has no gap.
TEST_F(GlyphMapTest, RepeatedGlyphsJoinIntoALine) {
    struct TCase {
        const char* face;
        uint8_t code;
        bool vertical;
    } cases[] = {{"Toccata", 177, false}, {"MusicalSymbols", 126, false}, {"MusicalSymbols", 103, true}};
    const double Y = 90;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.face) + " " + std::to_string(c.code));
        const TLegacyGlyph* g = FindLegacyGlyph(c.face, c.code);
        ASSERT_NE(g, nullptr);
        double E = c.vertical ? 2.0 / 3.0 * Y * 1.4 : 60;
        QImage img = WhiteImage(900, 900);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < 8; ++i) {
            double x = c.vertical ? 100 : 50 + i * g->advance * E;
            double y = c.vertical ? 50 + i * 0.5 * Y : 50;
            DrawLegacy(p, *g, x, y, E);
        }
        p.end();
        auto ink = InkBox(img);
        ASSERT_TRUE(ink);
        int from = int(c.vertical ? ink->top : ink->left) + 1, to = int(c.vertical ? ink->bottom : ink->right) - 1;
        for (int a = from; a < to; ++a) {
            bool any = false;
            for (int b = 0; b < 900 && !any; ++b)
                any = qGray(c.vertical ? img.pixel(b, a) : img.pixel(a, b)) < 200;
            EXPECT_TRUE(any) << "gap at " << a;
        }
        if (c.vertical) {
            EXPECT_GT(ink->bottom - ink->top, 3.8 * Y); // eight segments of half a row
        }
    }
}

// Ink of one code written through the Qt canvas with a created font of
// character height E, at (x, y).
std::optional<TInk> CanvasInkOf(const char* face, uint8_t code, int x, int y, int E) {
    QImage img = WhiteImage(600, 600);
    {
        TQtCanvas canvas(&img);
        canvas.Brush.Style = bsClear;
        auto font = std::make_shared<TLogFont>();
        font->Height = -E;
        font->FaceName = face;
        canvas.SelectLogFont(font);
        canvas.TextOut(x, y, std::string(1, char(code)));
        canvas.End();
    }
    return InkBox(img);
}

// The canvas writes the legacy codes through this map: its glyphs land where the
// map's contract puts them.
TEST_F(GlyphMapTest, TheCanvasDrawsGlyphsAsTheMapSays) {
    const int E = 48, x = 200, y = 150;
    for (const auto& e : LegacyGlyphTable()) {
        SCOPED_TRACE(std::string(e.face) + " " + std::to_string(e.code) + " " + e.glyph.role);
        auto want = InkOf(e.face, e.code, x, y, E);
        auto got = CanvasInkOf(e.face, e.code, x, y, E);
        ASSERT_TRUE(want);
        ASSERT_TRUE(got);
        EXPECT_NEAR(got->left, want->left, 2);
        EXPECT_NEAR(got->top, want->top, 2);
        EXPECT_NEAR(got->right, want->right, 2);
        EXPECT_NEAR(got->bottom, want->bottom, 2);
    }
}

// The reference sheet: every mapped glyph at three sizes beside its code and
// role, and a staff with the glyphs placed as the drawers place them.
TEST_F(GlyphMapTest, ReferenceSheet) {
    const auto& table = LegacyGlyphTable();
    const int rowH = 110, colW = 620, perCol = 14, perPage = 2 * perCol;
    QFont label("Liberation Sans");
    label.setPixelSize(13);
    int drawn = 0;
    for (size_t page = 0; page * perPage < table.size(); ++page) {
        QImage img = WhiteImage(2 * colW + 20, perCol * rowH + 40);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        for (size_t i = page * perPage; i < std::min(table.size(), (page + 1) * perPage); ++i) {
            const auto& e = table[i];
            size_t k = i - page * perPage;
            int x0 = 10 + int(k / perCol) * colW, y0 = 20 + int(k % perCol) * rowH;
            p.setPen(QColor(200, 200, 255));
            p.drawLine(x0, y0, x0 + colW - 20, y0);
            p.setFont(label);
            p.setPen(Qt::black);
            p.drawText(QPointF(x0, y0 + 16), QString("%1 %2").arg(e.face).arg(e.code));
            p.drawText(QPointF(x0, y0 + 32), QString::fromUtf8(e.glyph.role));
            double x = x0 + 170;
            for (double E : {16.0, 28.0, 40.0}) {
                double cell = LegacyCellHeight(e.face) * E;
                double Es = E * std::min(1.0, (rowH - 8) / cell);
                // The legacy character cell (advance wide), and the glyph in it.
                p.setPen(QColor(255, 170, 170));
                p.setBrush(Qt::NoBrush);
                p.drawRect(QRectF(x, y0 + 4, e.glyph.advance * Es, LegacyCellHeight(e.face) * Es));
                if (const TLegacyGlyph* g = FindLegacyGlyph(e.face, e.code)) {
                    DrawLegacy(p, *g, x, y0 + 4, Es);
                    ++drawn;
                }
                x += std::max(60.0, (e.glyph.advance + 0.5) * Es + 20);
            }
        }
        p.end();
        tqtest::SavePngIfWanted(img, "glyphmap_reference_" + std::to_string(page + 1));
    }
    EXPECT_EQ(drawn, int(table.size()) * 3);

    // A staff with clef, key, heads, rests, flags as the drawers place them.
    const double Y = 80, X = Y / 2, T = 60;
    QImage staff = WhiteImage(1400, 260);
    QPainter q(&staff);
    q.setRenderHint(QPainter::Antialiasing);
    q.setPen(QPen(Qt::black, 1));
    for (int k = 0; k < 5; ++k)
        q.drawLine(QPointF(20, T + k * Y / 4), QPointF(1380, T + k * Y / 4));
    auto put = [&](uint8_t code, double factor, double x, double y) {
        if (const TLegacyGlyph* g = FindLegacyGlyph("MusicalSymbols", code))
            DrawLegacy(q, *g, x, y, 2.0 / 3.0 * Y * factor);
    };
    double y = T + 0.7 * Y, cl = 20;
    put(38, 1.5, cl + 0.2 * X, y - 1.1 * Y);
    for (int i = 0; i < 4; ++i) { // F C G D sharps
        const int steps[] = {0, 3, -1, 2};
        put(35, 1.05, cl + 0.5 * X + 1.25 * X + i * 0.2 * Y, y + steps[i] * 0.125 * Y - 1.675 * Y);
    }
    put(99, 1.5, cl + 3.5 * X, T - 0.05 * Y - 0.23 * Y - 0.6 * Y);
    const uint8_t heads[] = {246, 250, 119};
    for (int i = 0; i < 3; ++i) {
        double hx = cl + (6 + 2 * i) * X, hy = T + 0.7 * Y + 0.25 * Y * (i - 1);
        double hf[] = {1.55, 1.5, 1.5}, ax[] = {-0.2, -0.18, -0.3}, ay[] = {0.02 - 1.66, -0.15 - 1.45, -1.58};
        put(heads[i], hf[i], hx + ax[i] * X, hy + ay[i] * Y);
        q.setPen(QColor(255, 0, 0));
        q.drawRect(QRectF(hx - 0.12 * X, hy - 0.32 * Y, 0.41 * X, 0.23 * Y)); // filled head's box
    }
    const uint8_t rests[] = {206, 228, 197, 168, 244, 229};
    const double ra[] = {0.15, 0.05, -0.08, -0.08, -0.1, -0.12}, rb[] = {-1.1, -1.55, -1.4, -1.3, -1.15, -1.03};
    for (int i = 0; i < 6; ++i)
        put(rests[i], i == 0 ? 1.0 : 1.4, cl + (13 + 1.6 * i) * X + ra[i] * X, T + 0.7 * Y + rb[i] * Y);
    // A stem-up eighth and a stem-down eighth with their flags.
    double sx = cl + 24 * X, sy = T + 0.5 * Y;
    q.setPen(QPen(Qt::black, 2));
    q.drawLine(QPointF(sx, sy), QPointF(sx, sy - 0.85 * Y));
    put(106, 1.2, sx - 0.42 * X, sy - 0.85 * Y - 0.4 * Y);
    double dx = cl + 26 * X, dy = T + 0.3 * Y;
    q.drawLine(QPointF(dx, dy), QPointF(dx, dy + 0.85 * Y));
    put(74, 1.2, dx, dy + 0.85 * Y - 1.83 * Y);
    q.end();
    tqtest::SavePngIfWanted(staff, "glyphmap_staff");

    // The same staff written through the Qt canvas, in points as the drawers
    // size their glyphs (draw scale x factor, here at 96 dpi).
    QImage viaCanvas = WhiteImage(1400, 260);
    {
        TQtCanvas canvas(&viaCanvas);
        canvas.Brush = {clBlack, bsSolid};
        for (int k = 0; k < 5; ++k)
            canvas.FillRect({20, int(T + k * Y / 4), 1380, int(T + k * Y / 4) + 1});
        canvas.Brush.Style = bsClear;
        canvas.Font.Name = "MusicalSymbols";
        auto text = [&](uint8_t code, double factor, double x, double y) {
            canvas.Font.Size = int(std::lround(0.5 * Y * factor)); // points of an em of (2/3) Y f
            canvas.TextOut(int(std::lround(x)), int(std::lround(y)), std::string(1, char(code)));
        };
        text(38, 1.5, cl + 0.2 * X, y - 1.1 * Y);
        for (int i = 0; i < 4; ++i) {
            const int steps[] = {0, 3, -1, 2};
            text(35, 1.05, cl + 0.5 * X + 1.25 * X + i * 0.2 * Y, y + steps[i] * 0.125 * Y - 1.675 * Y);
        }
        text(99, 1.5, cl + 3.5 * X, T - 0.05 * Y - 0.23 * Y - 0.6 * Y);
        for (int i = 0; i < 6; ++i)
            text(rests[i], i == 0 ? 1.0 : 1.4, cl + (13 + 1.6 * i) * X + ra[i] * X, T + 0.7 * Y + rb[i] * Y);
        canvas.End();
    }
    tqtest::SavePngIfWanted(viaCanvas, "glyphmap_staff_canvas");
}

} // namespace
