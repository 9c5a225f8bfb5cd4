// The signs of a Western head: accidentals, free-standing accidental cells,
// parentheses, ties and the articulation marks of a chord.
#include <algorithm>
#include <cmath>

#include "model/modTQCellAccess.h"
#include "model/modTQCellHelpers.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQMainScore.h"
#include "model/modTQUtil.h"
#include "notation/modTQCurves.h"
#include "notation/modTQMarkGlyphs.h"
#include "notation/modTQNotationApi.h"
#include "platform/gui/TQGlyphMap.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawAccid.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQDrawWest.h"
#include "render/modTQMainView.h"

namespace {

float XUnit() { return static_cast<float>(MainView()->GetCellWidth()); }
float YUnit() { return static_cast<float>(MainView()->GetCellHeight()); }
float Sz(float a, float b, float f) { return a + b * (f - 1.0f); }

// The music font's code of each sign drawer below.
int SignCode(void (*draw)(TDrawEngine*, float, float, const TCell&, float, TCanvas*)) {
    if (draw == DrawSharpGlyph)
        return 35;
    if (draw == DrawFlatGlyph)
        return 98;
    if (draw == DrawNaturalGlyph)
        return 110;
    if (draw == DrawDoubleFlatGlyph)
        return 186;
    if (draw == DrawDoubleSharpGlyph)
        return 220;
    return -1;
}

// Text is set in whole points and whole pixels, so a sign glyph comes out up to
// a pixel larger or smaller than asked, and its baseline, far below the text's
// top, moves by that times its depth: at small zooms up to a third of a staff
// space off its note. The sign is drawn where the asked size would have put it.
float SignRoundingShift(const TCell& c, float f, int code) {
    const TLegacyGlyph* g = code >= 0 ? FindLegacyGlyph("MusicalSymbols", static_cast<uint8_t>(code)) : nullptr;
    if (!g || c.fontSizeR <= 0.0f)
        return 0.0f;
    float size = MainView()->GetDrawScale() * f * c.fontSizeR;
    if (ScreenTextShift != 0)
        size *= ScreenTextScale;
    const double perPoint = TargetCanvas(nullptr)->PixelsPerInch() / 72.0;
    const double asked = static_cast<double>(size) * perPoint;
    const double drawn = std::floor(RoundToInt(size) * perPoint + 0.5);
    return static_cast<float>(static_cast<double>(g->dy) * (asked - drawn));
}

void Glyph(TDrawEngine* d, float x, float y, const TCell& c, float f, void (*draw)(TDrawEngine*, float, float,
                                                                                const TCell&, float, TCanvas*)) {
    draw(d, x, y + SignRoundingShift(c, f, SignCode(draw)), c, f, nullptr);
}

} // namespace

void DrawHeadAccidental(TDrawEngine* d, float ax, float y, const TCell& cell, int kind) {
    const float X = XUnit();
    const float Y = YUnit();
    const float f = cell.fontSizeR;
    const float g = d->GetSizeFactor();
    const bool font = MusicFontInstalled("MusicalSymbols");
    const bool second = MusicFontInstalled("Toccata");
    auto at = [&](float dxa, float dxb, float dya, float dyb, float& px, float& py) {
        px = ax + Sz(dxa, dxb, f) * X;
        py = y + Sz(dya, dyb, f) * Y;
    };
    float px = 0.0f, py = 0.0f;
    switch (kind) {
    case 1:
        if (font) {
            at(-0.5f, -0.4f, -1.2f, -1.02f, px, py);
            Glyph(d, px, py, cell, 1.1f * g, DrawSharpGlyph);
        } else {
            DrawSharpVector(d, ax + Sz(-0.35f, -0.3f, f) * X, y - 0.2f * Y, cell, g, 2);
        }
        break;
    case 2:
        if (font) {
            at(-0.45f, -0.3f, -1.28f, -1.2f, px, py);
            Glyph(d, px, py, cell, 1.2f * g, DrawFlatGlyph);
        } else {
            at(-0.47f, -0.3f, -0.61f, -0.45f, px, py);
            DrawFlatBitmap(d, px, py, cell, 1.28f * g);
        }
        break;
    case 3:
        if (font) {
            at(-0.4f, -0.2f, -1.21f, -1.0f, px, py);
            Glyph(d, px, py, cell, 1.1f * g, DrawNaturalGlyph);
        } else {
            at(-0.45f, -0.4f, -0.47f, -0.3f, px, py);
            DrawNaturalBitmap(d, px, py, cell, 1.1f * g);
        }
        break;
    case 4:
        if (second) {
            at(-0.4f, -0.3f, -0.82f, -0.63f, px, py);
            Glyph(d, px, py, cell, 0.95f * g, DrawHalfSharp);
        } else {
            DrawSharpVector(d, ax + Sz(-0.3f, -0.3f, f) * X, y - 0.2f * Y, cell, 0.95f, 1);
        }
        break;
    case 5:
        if (font) {
            at(-0.78f, -0.8f, -1.37f, -1.2f, px, py);
            Glyph(d, px, py, cell, 1.25f * g, DrawDoubleFlatGlyph);
        } else {
            at(-0.45f, -0.4f, -0.6f, -0.43f, px, py);
            DrawDoubleFlatBitmap(d, px, py, cell, 1.3f * g);
        }
        break;
    case 6:
        if (font) {
            at(-0.6f, -0.5f, -1.41f, -1.2f, px, py);
            Glyph(d, px, py, cell, 1.3f * g, DrawDoubleSharpGlyph);
        } else {
            at(-0.6f, -0.5f, -0.32f, -0.12f, px, py);
            DrawDoubleSharpBitmap(d, px, py, cell, 1.3f * g);
        }
        break;
    case 7:
        if (font) {
            at(-0.55f, -0.4f, -1.05f, -0.9f, px, py);
            Glyph(d, px, py, cell, 1.2f * g, DrawReversedFlat);
        } else {
            at(-0.55f, -0.4f, -0.65f, -0.45f, px, py);
            DrawReversedFlatBitmap(d, px, py, cell, 0.45f);
        }
        break;
    case 8:
        if (second) {
            at(-0.55f, -0.3f, -0.87f, -0.68f, px, py);
            Glyph(d, px, py, cell, 1.0f * g, DrawThreeQuarterSharp);
        } else {
            DrawSharpVector(d, ax + Sz(-0.35f, -0.2f, f) * X, y - 0.2f * Y, cell, 1.0f, 3);
        }
        break;
    case 9:
        at(-0.8f, -0.7f, -0.605f, -0.42f, px, py);
        DrawThreeQuarterFlatBitmap(d, px, py, cell, 1.2f);
        break;
    default:
        break;
    }
}

void DrawAccidentalSymbolNote(TDrawEngine* d, float x, float y, const TCell& cell) {
    const float X = XUnit();
    const float Y = YUnit();
    const bool font = MusicFontInstalled("MusicalSymbols");
    auto P = [&](float dx, float dy, float& px, float& py) {
        px = x + dx * X;
        py = y + dy * Y;
    };
    float px = 0.0f, py = 0.0f;
    switch (cell.Note) {
    case 14:
        if (font) {
            P(-0.05f, -1.3f, px, py);
            DrawSharpGlyph(d, px, py, cell, 1.2f);
        } else {
            P(0.1f, -0.175f, px, py);
            DrawSharpVector(d, px, py, cell, 1.2f, 2);
        }
        break;
    case 15:
        if (font) {
            P(-0.02f, -1.28f, px, py);
            DrawFlatGlyph(d, px, py, cell, 1.2f);
        } else {
            P(-0.05f, -0.6f, px, py);
            DrawFlatBitmap(d, px, py, cell, 1.3f);
        }
        break;
    case 41:
        if (font) {
            P(-0.05f, -1.2f, px, py);
            DrawNaturalGlyph(d, px, py, cell, 1.1f);
        } else {
            P(-0.1f, -0.45f, px, py);
            DrawNaturalBitmap(d, px, py, cell, 1.1f);
        }
        break;
    case 119:
        if (font) {
            P(-0.1f, -0.875f, px, py);
            DrawThreeQuarterSharp(d, px, py, cell, 1.0f);
        } else {
            P(-0.1f, -0.2f, px, py);
            DrawSharpVector(d, px, py, cell, 1.0f, 3);
        }
        break;
    case 120:
        if (font) {
            P(-0.15f, -1.37f, px, py);
            DrawDoubleFlatGlyph(d, px, py, cell, 1.25f);
        } else {
            P(0.05f, -0.63f, px, py);
            DrawDoubleFlatBitmap(d, px, py, cell, 1.3f);
        }
        break;
    case 121:
        if (font) {
            P(-0.1f, -1.41f, px, py);
            DrawDoubleSharpGlyph(d, px, py, cell, 1.3f);
        } else {
            P(-0.1f, -0.32f, px, py);
            DrawDoubleSharpBitmap(d, px, py, cell, 1.3f);
        }
        break;
    case 147:
        if (font) {
            P(-0.1f, -1.03f, px, py);
            DrawReversedFlat(d, px, py, cell, 1.2f);
        } else {
            P(-0.1f, -0.62f, px, py);
            DrawReversedFlatBitmap(d, px, py, cell, 0.45f);
        }
        break;
    case 148:
        if (font) {
            P(0.0f, -0.875f, px, py);
            DrawHalfSharp(d, px, py, cell, 1.0f);
        } else {
            P(0.0f, -0.2f, px, py);
            DrawSharpVector(d, px, py, cell, 1.0f, 1);
        }
        break;
    case 149:
        P(-0.23f, -0.62f, px, py);
        DrawThreeQuarterFlatBitmap(d, px, py, cell, 1.2f);
        break;
    default:
        break;
    }
}

void DrawHeadParentheses(TDrawEngine* d, float x, float y, const TCell& cell) {
    const float X = XUnit();
    const float Y = YUnit();
    const float f = cell.fontSizeR;
    float l = 0.0f, r = 0.0f;
    if (IsWholeNoteValue(cell)) {
        l = Sz(-0.05f, -0.1f, f);
        r = Sz(0.9f, 0.7f, f);
    } else if (cell.Note == 2) {
        l = Sz(-0.1f, -0.1f, f);
        r = Sz(0.75f, 0.7f, f);
    } else {
        l = Sz(-0.15f, -0.05f, f);
        r = Sz(0.7f, 0.7f, f);
    }
    const float py = y + Sz(-0.38f, -0.175f, f) * Y;
    d->DrawGlyphString("Arial", x + l * X, py, "(", cell, 0.4f, fsBold);
    d->DrawGlyphString("Arial", x + r * X, py, ")", cell, 0.4f, fsBold);
}

void DrawWesternTie(TDrawEngine* d, float, float, int col, int row, const TCell& cell) {
    if (cell.markType == 1 || cell.markType == 81)
        return;
    TCell other;
    if (!GetCell(other, col, row, -1, -1) || !IsWestNoteCell(other, 1))
        return;
    const float X = XUnit();
    const float Y = YUnit();
    float x2 = static_cast<float>(other.upNote) - 0.2f * X;
    float y2 = static_cast<float>(other.FontStyle) + 0.1f * Y;
    DrawSlurCrescent(d, static_cast<float>(cell.upNote) - 0.45f * X, static_cast<float>(cell.FontStyle) + 0.05f * Y,
                     x2, y2, 1, cell, 1, 0);
}

namespace {

enum TMarkPlace { mpDownHead, mpDownStem, mpUpHead, mpUpStem };

// How many of the marks above a head a note carries (fermata-like mark,
// staccato, accent, tenuto); each takes about a staff space.
int HeadMarkCount(uint32_t o) {
    int n = 0;
    for (uint32_t bit : {0x400000u, 0x10u, 0x20u, 0x4000000u})
        n += (o & bit) ? 1 : 0;
    return n;
}

// The y of a staff position (half spaces below the middle line) of a row.
float PositionY(const TDrawEngine* d, int row, float pos) {
    return static_cast<float>(row * d->GetBaseYUnit() + d->GetTopMarginPx()) + (0.5f + 0.125f * pos) * YUnit();
}

// Whether the marks on the head side of the note (col, row) would reach the
// note in the same column of the staff next to this one on that side (one or
// two rows away). Between two staves the upper note keeps its marks: marks
// going up meet the heads of the note above and the marks under them; marks
// going down meet only the heads of the note below (its marks above give way).
// Stems of the other note stand at the side of its heads, clear of the marks.
bool HeadSideTaken(const TDrawEngine* d, int col, int row, const TCell& cell) {
    const int marks = HeadMarkCount(cell.option);
    if (marks == 0)
        return false;
    const bool below = IsStemFlipped(cell); // stem up: the marks hang below the heads
    const int step = below ? 1 : -1;
    int other = -1;
    for (int r : {row + step, row + 2 * step}) {
        if (r >= 0 && r < MainView()->Rows && IsWestRow(r, col, -1)) {
            other = r;
            break;
        }
    }
    const TCell* n = other >= 0 ? CellAtAddress(col, other) : nullptr;
    if (!n || !IsWestNoteCell(*n, 1) || IsCrossStaff(*n))
        return false;
    const float space = 0.25f * YUnit();
    const float clear = 0.25f * space;
    // This note's marks reach from its outer head by about a space a mark.
    const float reach = 0.5f * space + static_cast<float>(marks) * space;
    if (below) {
        const float own = PositionY(d, row, static_cast<float>(GetChordNotePos(cell, -1)));
        const float highest = PositionY(d, other, static_cast<float>(GetChordNotePos(*n, GetChordNoteCount(*n) - 1)));
        return own + reach + clear > highest - 0.5f * space;
    }
    const float own = PositionY(d, row, static_cast<float>(GetChordNotePos(cell, GetChordNoteCount(cell) - 1)));
    float edge = PositionY(d, other, static_cast<float>(GetChordNotePos(*n, -1))) + 0.5f * space;
    if (IsStemFlipped(*n) && !(n->option & 0x200000u) && !(n->option & 0x2000u))
        edge += 0.5f * space + static_cast<float>(HeadMarkCount(n->option)) * space;
    return own - reach - clear < edge;
}

struct TOffset {
    float xa, xb, ya, yb;
};

} // namespace

void DrawChordOrnaments(TDrawEngine* d, int col, int row, float x, const TFPoint4& R, const TCell& cell) {
    const uint32_t o = cell.option;
    bool atStem = (o & 0x200000u) && !(o & 0x1000u);
    const bool atHead = !(o & 0x200000u) && !(o & 0x2000u);
    if (!atStem && !atHead)
        return;
    const bool up = IsStemFlipped(cell);
    if (atHead && !(o & 0x1000u) && HeadSideTaken(d, col, row, cell))
        atStem = true;
    const TMarkPlace place = up ? (atStem ? mpUpStem : mpUpHead) : (atStem ? mpDownStem : mpDownHead);
    const float X = XUnit();
    const float Y = YUnit();
    const float f = cell.fontSizeR;
    const float g = d->GetSizeFactor();
    const bool font = MusicFontInstalled("MusicalSymbols");

    const int p = up ? static_cast<int>(cell.yAdj) : GetChordNotePos(cell, GetChordNoteCount(cell) - 1);
    const int q = p % 2 == 0 ? 1 : 0;
    float s = 0.0f;
    const auto& points = d->BeamPoints;
    if (points.size() >= 2 && points.back().x1 != points.front().x1)
        s = (points.back().y2 - points.front().y2) / (points.back().x1 - points.front().x1);
    const float sNeg = std::min(s, 0.0f);
    const float sAbs = std::fabs(s);
    const float rowTop = static_cast<float>(row * d->GetBaseYUnit() + d->GetTopMarginPx());
    const float r3 = std::trunc(R.y2);
    const float topLimit = std::min(r3, rowTop);
    const float bottomLimit = std::max(r3, rowTop + static_cast<float>(d->GetBaseYUnit()));
    const float R1 = R.y1;
    float a = up ? 0.0f : 0.05f * Y;
    auto pos = [&](const TOffset& off, float base, float& px, float& py) {
        px = x + Sz(off.xa, off.xb, f) * X;
        py = base + Sz(off.ya, off.yb, f) * Y;
    };
    float px = 0.0f, py = 0.0f;

    if (o & 0x400000u) { // the fermata-like mark
        float base = 0.0f;
        switch (place) {
        case mpDownHead: {
            const int qq = p < -3 ? -1 : q;
            base = R1 - 0.125f * static_cast<float>(qq) * Y - a;
            if (p < -1)
                base += 0.07f * Y;
            else if (p == -1 || p == 0)
                base -= 0.1f * Y;
            break;
        }
        case mpDownStem:
            base = bottomLimit + a - 0.2f * sNeg * Y;
            break;
        case mpUpHead: {
            const int qq = p > 2 ? 0 : q;
            base = R1 + 0.125f * static_cast<float>(qq) * Y - a;
            if (p > 1)
                base += 0.05f * Y;
            break;
        }
        case mpUpStem:
            base = topLimit + a;
            break;
        }
        if (font) {
            static const TOffset off[4] = {
                {-0.03f, -0.05f, -1.97f, -1.8f}, {-0.15f, -0.1f, -1.45f, -0.87f},
                {-0.15f, -0.1f, -1.35f, -0.9f}, {-0.03f, -0.05f, -2.1f, -1.75f}};
            pos(off[place], base, px, py);
            if (place == mpDownHead)
                DrawGlyph174Mark(d, px, py, cell, true, 0.7f * g);
            else if (place == mpUpStem)
                DrawGlyph174Mark(d, px, py, cell, true, 0.8f * g);
            else
                DrawGlyph209Mark(d, px, py, cell, true, 0.8f * g);
        } else {
            static const TOffset off[4] = {
                {-0.42f, 0.1f, -0.98f, -0.05f}, {-0.42f, 0.0f, -0.59f, 0.08f},
                {-0.42f, 0.05f, -0.43f, 0.04f}, {-0.42f, 0.1f, -1.0f, -0.1f}};
            pos(off[place], base, px, py);
            switch (place) {
            case mpDownHead:
                DrawTriangleDown(d, px, py, cell, true, 1.3f * g);
                break;
            case mpUpStem:
                DrawTriangleDown(d, px, py, cell, true, 1.2f * g);
                break;
            default:
                DrawTriangleUp(d, px, py, cell, true, 0.6f * g);
                break;
            }
        }
        a += 0.4f * Y;
    } else if (o & 0x10u) { // staccato
        float base = 0.0f;
        switch (place) {
        case mpDownHead: {
            const int qq = p < -2 ? 0 : q;
            base = R1 - 0.125f * static_cast<float>(qq) * Y - a;
            if (p < -1)
                base -= 0.07f * Y;
            break;
        }
        case mpDownStem:
            base = bottomLimit + a - 0.25f * sNeg * Y;
            break;
        case mpUpHead: {
            const int qq = p > 2 ? 0 : q;
            base = R1 + 0.125f * static_cast<float>(qq) * Y - a;
            if (p > 1)
                base += 0.05f * Y;
            break;
        }
        case mpUpStem:
            base = topLimit + a + 0.2f * sNeg * Y;
            break;
        }
        static const TOffset off[4] = {{-0.15f, -0.2f, -1.0f, -0.8f}, {-0.4f, -0.2f, -0.65f, -0.75f},
                                       {-0.15f, -0.2f, -0.51f, -0.8f}, {-0.15f, -0.2f, -1.0f, -0.83f}};
        pos(off[place], base, px, py);
        DrawDotGlyph(d, px, py, cell, 1.4f * g, -1);
        a += 0.25f * Y;
    }

    if (o & 0x20u) { // accent
        float base = 0.0f;
        switch (place) {
        case mpDownHead: {
            const int qq = p < 0 ? 1 : q;
            base = R1 - 0.125f * static_cast<float>(qq) * Y - a;
            if (p < -2)
                base += 0.2f * Y;
            else if (p == -2)
                base += 0.1f * Y;
            break;
        }
        case mpDownStem:
            base = bottomLimit + a + 0.2f * sAbs * Y;
            break;
        case mpUpHead: {
            const int qq = p > 2 ? 0 : q;
            base = R1 + 0.125f * static_cast<float>(qq) * Y + a;
            if (p > 1)
                base += 0.07f * Y;
            break;
        }
        case mpUpStem:
            base = topLimit - a + (0.4f * sNeg - 0.1f) * Y;
            break;
        }
        if (font) {
            static const TOffset off[4] = {{-0.14f, -0.1f, -1.3f, -0.85f}, {-0.14f, -0.1f, -0.68f, -0.8f},
                                           {-0.14f, -0.1f, -0.56f, -0.8f}, {-0.14f, -0.1f, -0.99f, -0.95f}};
            pos(off[place], base, px, py);
            DrawAccentGlyph(d, px, py, cell, g);
        } else {
            static const TOffset off[4] = {{-0.45f, -0.2f, -1.01f, -0.02f}, {-0.45f, -0.2f, -0.68f, 0.05f},
                                           {-0.45f, -0.2f, -0.52f, -0.02f}, {-0.45f, -0.2f, -0.94f, -0.1f}};
            pos(off[place], base, px, py);
            DrawAccentVector(d, px, py, cell, g);
        }
        a += 0.25f * Y;
    }

    if (o & 0x4000000u) { // tenuto
        float base = 0.0f;
        switch (place) {
        case mpDownHead: {
            const int qq = p < -3 ? 0 : q;
            base = R1 - 0.125f * static_cast<float>(qq) * Y - a;
            if (p != -4)
                base -= 0.03125f * Y;
            break;
        }
        case mpDownStem:
            base = bottomLimit + a - 0.2f * sNeg * Y;
            break;
        case mpUpHead: {
            const int qq = p > 3 ? 0 : q;
            base = R1 + 0.125f * static_cast<float>(qq) * Y + a;
            break;
        }
        case mpUpStem:
            base = topLimit - a + (0.2f * sNeg - 0.1f) * Y;
            break;
        }
        static const TOffset off[4] = {{-0.18f, -0.2f, -0.3f, -0.03f}, {-0.18f, -0.2f, 0.15f, 1.05f},
                                       {-0.18f, -0.2f, 0.27f, -0.1f}, {-0.18f, -0.2f, -0.13f, -0.18f}};
        pos(off[place], base, px, py);
        DrawMarkBar(d, px, py, cell, 0.6f, 0.07f);
    }
}
