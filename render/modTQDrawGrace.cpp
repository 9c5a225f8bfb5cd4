#include "render/modTQDrawGrace.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "model/modTQCellAccess.h"
#include "model/modTQPredicates.h"
#include "model/modTQUtil.h"
#include "notation/modTQJianpuSlur.h"
#include "notation/modTQMarkGlyphs.h"
#include "notation/modTQNotationApi.h"
#include "platform/gui/TQGlyphMap.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawAccid.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQDrawJianpu.h"
#include "render/modTQDrawShrink.h"
#include "render/modTQDrawTextSym.h"
#include "render/modTQMainView.h"
#include "render/modTQUnderline.h"

namespace {

constexpr int kDotCode = 0xB7;
constexpr int kBlank = 32;
constexpr float kNone = -10.0f;
// The width of a cell the notes of a group take at most (x units); how much
// lower than its usual place a grace note's sign stands, the room an octave
// dot and a slur over the group take, and the lowest the group's digits go
// (y units).
constexpr float kGroupWidth = 0.85f;
constexpr float kSignDrop = 0.2f;
constexpr float kDotRise = 0.18f;
constexpr float kSlurRise = 0.2f;
constexpr float kLowest = 0.55f;

// Accidental places of a grace note, kinds 1..9, from xl and the cell's y.
const TAccidPlace kFontPlace[9] = {
    {-0.02f, 0.0f, -0.94f, -1.0f, 0.6f},  {0.0f, 0.0f, -0.96f, -1.0f, 0.7f},  {-0.05f, 0.0f, -1.03f, -1.1f, 0.7f},
    {0.0f, 0.0f, -0.81f, -0.85f, 0.65f},  {-0.13f, 0.0f, -0.96f, -1.0f, 0.7f}, {-0.1f, 0.0f, -0.97f, -1.0f, 0.7f},
    {-0.1f, 0.0f, -0.77f, -0.85f, 0.68f}, {-0.1f, 0.0f, -0.78f, -0.85f, 0.58f}, {-0.2f, 0.0f, -0.53f, -0.55f, 0.7f},
};
const TAccidPlace kFallbackPlace[9] = {
    {0.05f, 0.0f, -0.36f, -0.42f, 0.6f},  {0.0f, 0.0f, -0.51f, -0.55f, 0.7f},   {-0.05f, 0.0f, -0.54f, -0.6f, 0.7f},
    {0.05f, 0.1f, -0.37f, -0.45f, 0.6f},  {-0.05f, -0.1f, -0.51f, -0.55f, 0.7f}, {-0.1f, 0.0f, -0.38f, -0.4f, 0.7f},
    {-0.1f, 0.0f, -0.54f, -0.58f, 0.25f}, {0.0f, 0.0f, -0.37f, -0.45f, 0.6f},    {-0.2f, 0.0f, -0.53f, -0.55f, 0.7f},
};

int CodeOf(const TCompressNote& note) { return note.code & 0xFF; }

} // namespace

float DrawGraceUnderlines(TDrawEngine*, float x, float y, int count, const TCell& cell, float narrow) {
    const TMainView* mv = MainView();
    const float X = static_cast<float>(mv->GetCellWidth());
    const float Y = static_cast<float>(mv->GetCellHeight());
    const float s = cell.fontSizeR;
    const float dd = s - 1.0f;
    const float k = 0.005f * static_cast<float>(cell.shrinkRate);
    const float t = 0.06f * Y * s;
    const float w = X * (0.5f + 0.8f * k) * narrow;
    const float p = 0.07f * Y * s;
    const int lines = std::min(5, count);
    float top = kNone;
    for (int j = 0; j < lines; ++j) {
        top = y + Y * (0.18f + 0.03f * dd) + static_cast<float>(j) * p;
        FillBar(x + X * (0.04f + 0.2f * dd), top, static_cast<int>(w), static_cast<int>(t), -1);
    }
    return lines > 0 ? top + t : kNone;
}

float DrawGraceOctaveDots(TDrawEngine* d, float cx, float y, int octave, const TCell& cell, int underlines) {
    const TMainView* mv = MainView();
    const float Y = static_cast<float>(mv->GetCellHeight());
    const float s = cell.fontSizeR;
    const float q = std::max(2.0f, 0.1f * Y);
    const int count = OctaveDotCount(octave);
    const float sign = octave >= 0 ? 1.0f : -1.0f;
    // The "." glyph's ink is centred 0.125 em right of and 0.825 em below
    // the point the dot column is given.
    const float factor = 1.1f;
    const float points = static_cast<float>(RoundToInt(mv->GetDrawScale() * s * factor));
    const float em = points * static_cast<float>(TargetCanvas(nullptr)->PixelsPerInch()) / 72.0f;
    const float size = static_cast<float>(std::max(2, RoundToInt(0.12f * em)));
    const float x0 = cx - 0.125f * em;
    if (sign > 0.0f) {
        // Over the digit's ink (its top 0.221 Y over y at the usual size).
        const float digitTop = y + Y * (-0.221f - 0.301f * (s - 1.0f));
        const float centre = digitTop - 0.09f * Y * s - 0.5f * size;
        DrawOctaveDotColumn(d, x0, centre - 0.825f * em, cell, factor, count, -q);
        return kNone;
    }
    const float y0 = y + 0.2f * Y + 0.08f * Y * static_cast<float>(underlines);
    const float last = DrawOctaveDotColumn(d, x0, y0 - 0.65f * Y, cell, factor, count, q);
    return y0 + last + 0.05f * Y;
}

void DrawGraceCell(TDrawEngine* d, float x, float y, int col, int row) {
    TMainView* mv = MainView();
    TCanvas* canvas = TargetCanvas(nullptr);
    TCell cell;
    GetCell(cell, col, row, -1, -1);
    GetCellColor(d, cell);
    const TColor noteColour = canvas->Font.Color;

    const float X = static_cast<float>(mv->GetCellWidth());
    const float Y = static_cast<float>(mv->GetCellHeight());
    const float s = cell.fontSizeR;
    const float dd = s - 1.0f;
    const float k = 0.005f * static_cast<float>(cell.shrinkRate);
    float xb = x + 0.1f * X;
    const float H = 1.1f * X * s;
    float lowest = kNone;
    const bool musicFont = MusicFontInstalled("MusicalSymbols");

    const auto& notes = cell.CompressNotes;
    const int n = static_cast<int>(notes.size());

    // The group keeps to its own cell: more notes than fit at the usual
    // advance come closer, in a narrower font.
    const float usual = X * (0.45f + k);
    // A sign takes a room of its own before its digit; the first note's
    // stands before the group.
    const auto signRoom = [&](const TCompressNote& note) {
        if (&note == &notes.front())
            return 0.0f;
        const int kind = static_cast<int>(note.attr & 0x0Fu);
        if (static_cast<int32_t>(note.attr) <= 0 || CodeOf(note) == '0' || kind < 1 || kind > 9)
            return 0.0f;
        const bool signFont = kind == 9 || musicFont;
        const TSignSpan span = AccidentalSpan(d, kind, signFont, cell, (signFont ? kFontPlace : kFallbackPlace)[kind - 1].f);
        return span.right - span.left + std::max(1.5f, 0.1f * X * s) + 1.0f;
    };
    float rooms = 0.0f;
    for (const TCompressNote& note : notes)
        rooms += signRoom(note);
    const float step =
        n > 0 ? std::max(0.2f * X, std::min(usual, (kGroupWidth * X - rooms) / static_cast<float>(n))) : usual;
    const auto font = SmallNoteFont(cell, RoundToInt(H), RoundToInt(H * (0.4f + k) * step / usual), false);

    // The group stands inside its own row, its digits low enough for one
    // octave dot over them (so that the groups of a row stand at one height),
    // or for the marks or a slur over them.
    float rise = kDotRise * Y;
    for (const TCompressNote& note : notes) {
        const int code = CodeOf(note);
        if (code != kBlank && code != kDotCode && code != '0' && (note.option & (0x20u | 0x10u | 0x400000u | 0x4000000u)))
            rise = std::max(rise, 0.35f * Y);
    }
    const bool slur = cell.markType == 1 || cell.markType == 81;
    const float slurRise = slur ? kSlurRise * Y : 0.0f;
    // The digits' ink starts 0.225 Y over the cell's y at the usual size.
    const float drop = std::min(kLowest, 0.275f + (rise + slurRise) / Y) * Y;
    const float top = y;
    y += drop;

    // The underlines of the neighbours run on under the grace notes.
    if (n > 0 && col > 0 && col < mv->Cols - 1) {
        TCell left, right;
        GetCell(left, col - 1, row, -1, -1);
        GetCell(right, col + 1, row, -1, -1);
        if (left.UL > 0 && right.UL > 0)
            DrawJianpuUnderlines(d, x, y, left.UL < right.UL ? left : right, col, row);
    }

    TSize extent;
    for (int i = 0; i < n; ++i) {
        const TCompressNote& note = notes[static_cast<size_t>(i)];
        OwnSmallNote(col, row, i + 1);
        xb += signRoom(note);
        const int code = CodeOf(note);
        if (code == '*') {
            DrawAsteriskSymbol(d, xb + 0.1f * X, y - 0.2f * Y, cell, 0.7f);
        } else if (code == kDotCode) {
            DrawAugmentationDot(d, xb + 0.23f * X, y + 0.2f * Y, cell, 0.7f);
        } else {
            SetFontColor(noteColour);
            auto previous = canvas->SelectLogFont(font);
            CanvasTextOut(xb, y + Y * (-0.32f - 0.4f * dd), SmallNoteText(note.code));
            extent = CanvasTextExtent("7");
            canvas->SelectLogFont(previous);
        }

        float xl = xb, xr = xb;
        if (i == 0 || CodeOf(notes[static_cast<size_t>(i - 1)]) == kBlank)
            xl -= 0.03f * X;
        if (i == n - 1 || (n >= 2 && CodeOf(notes[static_cast<size_t>(i + 1)]) == kBlank))
            xr += 0.03f * X;

        if (IsJianpuNoteChar(note.code) && (note.option & (0x8u | 0x40u))) {
            DrawAugmentationDot(d, xr + 0.5f * X, y + 0.2f * Y, cell, 0.7f);
            if (note.option & 0x40u)
                DrawAugmentationDot(d, xr + 0.7f * X, y + 0.2f * Y, cell, 0.7f);
        }

        if (static_cast<int32_t>(note.attr) > 0 && code != '0') {
            const float my = y + Y * (-1.1f - 0.6f * dd);
            switch (note.attr & 0xF0u) {
            case 0x10:
                DrawTextCircle(d, xb + X * (-0.75f + 0.25f * dd), y + Y * (-1.07f - 0.16f * dd), cell,
                               TSize{extent.cx, static_cast<int>(0.65f * static_cast<float>(extent.cy))}, 0.75f);
                break;
            case 0x20: DrawAttrMark2(d, xl + X * (-0.25f - 0.1f * dd), my, cell, 0.5f); break;
            case 0x30: DrawAttrMark3(d, xl + X * (-0.35f - 0.15f * dd), my, cell, 0.5f); break;
            case 0x40: DrawAttrMark4(d, xr + X * (0.3f + 0.2f * dd), my, cell, 0.5f); break;
            case 0x50: DrawAttrMark5(d, xr + X * (0.15f + 0.2f * dd), my, cell, 0.5f); break;
            case 0x60: DrawCurvedArrowA(d, xl - 0.5f * X, y + Y * (-0.6f + 0.12f * dd), cell, 0, 0.65f); break;
            case 0x70:
                DrawCurvedArrowB(d, xr + X * (0.05f + 0.5f * dd), y + Y * (-0.6f + 0.12f * dd), cell, 1, 0.65f);
                break;
            case 0x80: {
                const float by = y + Y * (-0.27f - 0.38f * dd);
                d->DrawArialText(xb + X * (-0.15f - 0.1f * dd), by, "(", cell, 0.5f);
                d->DrawArialText(xb + X * (0.37f + 0.25f * dd), by, ")", cell, 0.5f);
                break;
            }
            default:
                break;
            }
            const bool a = (note.option & 0x800000u) != 0, b = (note.option & 0x1000000u) != 0;
            // The sign-position bits move the sign from where it stands clear of
            // the note, so they are measured from the digit too.
            const float shift = (a && b ? 0.15f : b ? 0.1f : a ? 0.05f : 0.0f) * X;
            const int kind = static_cast<int>(note.attr & 0x0Fu);
            if (kind >= 1 && kind <= 9) {
                // In the room left for it before its digit, its top a little
                // over the digit's.
                const bool signFont = kind == 9 || musicFont;
                const TAccidPlace& p = signFont ? kFontPlace[kind - 1] : kFallbackPlace[kind - 1];
                DrawSign(d, kind, signFont, ClearOfDigit(d, kind, signFont, cell, p.f, xb, xb) - shift,
                         y + Y * (p.c + p.e * dd + kSignDrop * s), cell, p.f);
            }
        }

        float h = note.octave > 0 ? 0.1f * static_cast<float>(note.octave) : 0.0f;
        // The marks over the note stand over its digit's top (0.221 Y over y
        // at the usual size), as far above it as the font is large.
        const float digitTop = y + Y * (-0.221f - 0.301f * dd);
        if (code != kBlank && code != '0') {
            if (note.option & 0x4000000u) {
                DrawMarkBar(d, xb + X * (0.6f * k + 0.05f), digitTop - Y * (0.079f * s + h), cell, 0.4f, 0.07f);
                h += 0.05f;
            }
            if (note.option & (0x10u | 0x400000u)) {
                DrawGlyph174Mark(d, xb + X * (0.6f * k + 0.13f), digitTop - Y * (1.979f * s + h), cell, true, 0.8f);
                h += 0.25f;
            }
            if (note.option & 0x20u) {
                // The accent of a grace note has no second form.
                if (musicFont)
                    DrawAccentGlyphJianpu(d, xb + X * (0.6f * k + 0.1f), digitTop - Y * (0.729f * s + h), cell, 0.6f);
                h += 0.1f;
            }
        }
        SetPenWidthScaled(0.038f);
        if (note.value != 0)
            lowest = std::max(lowest, DrawGraceUnderlines(d, xb, y, note.value, cell, step / usual));
        if (note.octave != 0)
            lowest = std::max(lowest, DrawGraceOctaveDots(d, xb + 0.5f * static_cast<float>(extent.cx), y, note.octave,
                                                          cell, note.value));
        xb += step;
    }

    // The curve that ties the group to its main note.
    OwnSmallNote(col, row, 0);
    // Under the digits' ink (0.77 of the font's height below the text's top)
    // and under their underlines and dots.
    lowest = std::max(lowest, y + Y * (-0.32f - 0.4f * dd) + 0.77f * H + 0.08f * Y);
    const float xc = static_cast<float>(RoundToInt(0.5f * (x + xb + 0.1f * X)));
    const float r = 0.4f * X;
    SetPenWidthScaled(0.038f);
    if (AttrHasNibble(cell.Attr, 0xC0)) {
        SetPenWidthScaled(0.04f * s);
        DrawArcPolyline(xc + r, lowest, r, 90, 180);
        if (xc + r < xb)
            DrawLine(xc + r, lowest + r, xb, lowest + r);
    } else {
        DrawArcPolyline(xc - r, lowest, r, 0, 90);
        if (xc - r > x)
            DrawLine(xc - r, lowest + r, x, lowest + r);
    }
    SetPenWidthScaled(0.027f);
    SetFontColor(d->CurColor);

    if (cell.markType == 1 || cell.markType == 81)
        DrawConnectSlur(d, x, std::max(top, y - 0.4f * Y - rise), col, row, 1, 0);
}
