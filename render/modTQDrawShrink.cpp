#include "render/modTQDrawShrink.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "model/modTQCellAccess.h"
#include "model/modTQPredicates.h"
#include "model/modTQUtil.h"
#include "notation/modTQCurves.h"
#include "notation/modTQMarkGlyphs.h"
#include "notation/modTQNotationApi.h"
#include "platform/core/TQCodec.h"
#include "platform/gui/TQGlyphMap.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawAccid.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQDrawJianpu.h"
#include "render/modTQDrawTextSym.h"
#include "render/modTQInkMeasure.h"
#include "render/modTQMainView.h"

namespace {

constexpr int kDotCode = 0xB7;
constexpr int kBlank = 32;
// How far the sign of a small note stands above its usual height (of the row),
// and further for each octave dot of the note before it.
constexpr float kSignLift = 0.08f;
constexpr float kDotLift = 0.25f;
// ... and over the sign of the note before, where it still reaches that.
constexpr float kSignOverSign = 0.35f;
// The size of a sign image or drawn sign over a small note, of its usual size.
constexpr float kDrawnSignSize = 0.7f;
// The air between two small digits (x units).
constexpr float kDigitAir = 0.05f;
// How high a slur over signs of small notes starts, above its usual height.
constexpr float kSlurOverSign = 0.42f;

// Accidental places of a small note, kinds 1..9: x from the mark position xm;
// the first height is yb + 0.1 Y, the second (alt) yb.
const TAccidPlace kFontPlace[9] = {
    {-0.05f, 0.0f, -0.75f, -1.5f, 0.8f, false},  {-0.1f, 0.0f, -0.75f, -1.5f, 0.9f, false},
    {-0.05f, 0.0f, -0.75f, -1.5f, 0.8f, false},  {0.0f, 0.0f, -0.48f, -1.3f, 0.8f, true},
    {-0.15f, 0.0f, -0.7f, -1.5f, 0.9f, true},    {-0.1f, 0.0f, -0.7f, -1.5f, 0.9f, true},
    {-0.1f, 0.0f, -0.45f, -1.2f, 0.85f, true},   {-0.1f, 0.0f, -0.4f, -1.2f, 0.7f, true},
    {-0.2f, 0.0f, -0.15f, -0.9f, 0.9f, true},
};
const TAccidPlace kFallbackPlace[9] = {
    {0.0f, 0.0f, 0.0f, -0.7f, 0.8f, false},      {-0.12f, -0.2f, -0.2f, -0.9f, 0.95f, false},
    {-0.1f, 0.0f, -0.2f, -0.9f, 0.9f, false},    {0.1f, 0.1f, 0.08f, -0.7f, 0.8f, true},
    {0.0f, 0.0f, -0.22f, -0.9f, 0.95f, false},   {-0.1f, 0.0f, 0.02f, -0.7f, 0.9f, true},
    {-0.1f, -0.05f, -0.13f, -0.9f, 0.28f, true}, {0.0f, 0.0f, 0.1f, -0.7f, 0.75f, true},
    {-0.2f, 0.0f, -0.15f, -0.9f, 0.9f, true},
};

} // namespace

std::shared_ptr<TLogFont> SmallNoteFont(const TCell& cell, int height, int width, bool cellFace) {
    const TMainView* mv = MainView();
    const std::string noteFace = DecodeForDisplay(mv->NoteFontName, mv->NoteFontCharset).value_or(mv->NoteFontName);
    std::string face = noteFace;
    if (cellFace && !cell.FontName.empty() && cell.FontName != "NT" && cell.FontName != mv->NoteFontName)
        face = DecodeForDisplay(cell.FontName, cell.FontCharset).value_or(cell.FontName);
    const int style = (cell.upNote & 1) ? cell.FontStyle : mv->NoteFontStyle;
    auto font = std::make_shared<TLogFont>();
    font->Height = height;
    font->Width = width;
    font->Escapement = 0;
    font->Orientation = 0;
    font->Weight = (style & fsBold) ? 900 : 200;
    font->Italic = (style & fsItalic) != 0;
    font->Underline = false;
    font->StrikeOut = false;
    font->Charset = 0;
    font->FaceName = face;
    return font;
}

void OwnSmallNote(int col, int row, int part) {
    if (TCanvas* canvas = MainView()->OutCanvas)
        canvas->SetOwner(col, row, part);
}

std::string SmallNoteText(int code) {
    const char ch = static_cast<char>(code & 0xFF);
    if ((code & 0xFF) < 0x80)
        return std::string(1, ch);
    std::string out;
    if (!CharsetToUtf8(std::string_view(&ch, 1), csAnsi, out))
        return std::string();
    return out;
}

void DrawSmallNoteAccidental(TDrawEngine* d, int kind, bool withFont, const TAccidPlace& font,
                             const TAccidPlace& fallback, float x, float y, float yAlt, const TCell& cell,
                             float digitLeft, float roomLeft) {
    if (kind < 1 || kind > 9)
        return;
    const TMainView* mv = MainView();
    const float X = static_cast<float>(mv->GetCellWidth());
    const float Y = static_cast<float>(mv->GetCellHeight());
    const float dd = cell.fontSizeR - 1.0f;
    if (kind == 9)
        withFont = true; // the three-quarter flat is the same image either way
    TAccidPlace p = withFont ? font : fallback;
    float px = ClearOfDigit(d, kind, withFont, cell, p.f, x + X * (p.a + p.b * dd), digitLeft);
    float py = (p.alt ? yAlt : y) + Y * (p.c + p.e * dd);
    const TSignSpan span = AccidentalSpan(d, kind, withFont, cell, p.f);
    // Only the music font's signs stay legible smaller; images and drawn
    // signs keep their size.
    if (withFont && kind != 9 && px + span.left < roomLeft && span.right > span.left) {
        // Too wide for the gap between the two digits: a smaller sign, its
        // right edge where the cleared sign had it.
        const float right = px + span.right;
        const float room = std::max(0.0f, right - roomLeft);
        const float k = std::max(0.5f, room / (span.right - span.left));
        p.f *= k;
        const TSignSpan small = AccidentalSpan(d, kind, withFont, cell, p.f);
        px = right - small.right;
        // A glyph's ink hangs below its text origin, closer to it as the
        // glyph shrinks: moved down by that much.
        py += (1.0f - k) * 0.85f * Y * cell.fontSizeR;
    }
    DrawSign(d, kind, withFont, px, py, cell, p.f);
}

void DrawShrinkNoteLines(TDrawEngine* d, float x, float y, const TCell& cell, const TCompressNote& note, float w,
                         float extra) {
    const TMainView* mv = MainView();
    const float X = static_cast<float>(mv->GetCellWidth());
    const float Y = static_cast<float>(mv->GetCellHeight());
    const float s = cell.fontSizeR;
    const float k = 0.005f * static_cast<float>(cell.shrinkRate);
    const int lines = std::min(5, note.value);
    const float step = std::ceil(0.1f * Y * s);
    const int width = static_cast<int>((k > 0.0f ? X * (0.5f * s + 1.8f * k) : X * (0.5f * s + 0.5f * k)) + extra);
    const int thickness = static_cast<int>(0.12f * X * s);
    float yl = y + 0.7f * Y;
    for (int j = 0; j < lines; ++j) {
        yl = y + 0.81f * Y + static_cast<float>(j) * step;
        FillBar(x, yl, width, thickness, -1);
    }
    if (note.octave == 0)
        return;
    const float xd = x + 0.6f * w;
    const int count = OctaveDotCount(note.octave);
    if (note.octave > 0)
        DrawOctaveDotColumn(d, xd - 0.3f * X, y - 0.75f * Y, cell, 1.5f, count, -0.15f * Y);
    else
        DrawOctaveDotColumn(d, xd - 0.35f * X, yl - 0.7f * Y, cell, 1.5f, count, 0.15f * Y);
}

namespace {

// How much higher than over plain notes (y units) the slur over the small
// notes first..last (last < 0: to the end) starts: over their octave dots, and
// over the signs of all but the first, and the dots under those.
float ShrinkSlurClear(const TCell& cell, int first, int last) {
    const auto& notes = cell.CompressNotes;
    const int n = static_cast<int>(notes.size());
    first = std::max(0, first);
    last = last < 0 ? n - 1 : std::min(last, n - 1);
    int m = 0;
    bool signs = false;
    for (int i = first; i <= last; ++i) {
        const TCompressNote& note = notes[static_cast<size_t>(i)];
        const bool end = i == first || i == last;
        m = std::max(m, end ? note.octave : note.octave - 1);
        const int kind = static_cast<int>(note.attr & 0x0Fu);
        if (i > first && kind >= 1 && kind <= 9 && static_cast<int32_t>(note.attr) > 0)
            signs = true;
    }
    return signs ? kSlurOverSign + kDotLift * static_cast<float>(std::max(0, m)) : 0.15f * static_cast<float>(m);
}

} // namespace

void DrawShrinkSlur(TDrawEngine* d, float, float y, const TCell& cell, float x1, float x2, int first, int last) {
    const TMainView* mv = MainView();
    const float X = static_cast<float>(mv->GetCellWidth());
    const int Y = mv->GetCellHeight();
    const float k = 0.005f * static_cast<float>(cell.shrinkRate);
    const float clear = ShrinkSlurClear(cell, first, last);
    const float ys = y + static_cast<float>(Y) * (0.25f - clear + 0.04f * static_cast<float>(cell.MarkY));
    const float ye = ys + 0.05f * static_cast<float>(static_cast<int64_t>(Y) * cell.EndYAdj);
    if (mv->SlurMode && cell.markType != 56)
        return;
    float ex = x2 + X * (0.45f + k), ey = ye;
    DrawSlurCrescent(d, x1, ys, ex, ey, 0, cell, 0, 0);
}

bool DrawShrinkSlurs(TDrawEngine* d, float x, float y, const TCell& cell, const std::vector<float>& positions) {
    bool met = false;
    int pending = -1;
    const size_t n = std::min(positions.size(), cell.CompressNotes.size());
    for (size_t i = 0; i < n; ++i) {
        const uint32_t option = cell.CompressNotes[i].option;
        if (option & 0x40000000u) {
            pending = static_cast<int>(i);
        } else if (option & 0x80000000u) {
            if (pending >= 0)
                DrawShrinkSlur(d, x, y, cell, positions[static_cast<size_t>(pending)], positions[i], pending,
                               static_cast<int>(i));
            pending = -1;
            met = true;
        }
    }
    return met;
}

namespace {

// Where the ink of the plain digit in the cell before (col - 1) ends, for a
// cell whose left edge is x; far left when no plain note stands there.
float PlainDigitRightBefore(int col, int row, float x) {
    const TCell* left = col > 0 ? CellAtAddress(col - 1, row) : nullptr;
    if (!left || left->cellType != ctJianpu || !IsJianpuNoteChar(left->Note) || IsShrinkCell(*left) ||
        IsVerticalCell(*left) || IsGraceCell(*left))
        return -1.0e9f;
    TMainView* mv = MainView();
    TCanvas* canvas = TargetCanvas(nullptr);
    const float X = static_cast<float>(mv->GetCellWidth());
    const TFont saved = canvas->Font;
    const auto savedLog = canvas->SelectLogFont(nullptr);
    SetCanvasFont(DecodeForDisplay(mv->NoteFontName, mv->NoteFontCharset).value_or(mv->NoteFontName), 0,
                  mv->NoteFontStyle);
    SetFontSize(mv->GetDrawScale() * left->fontSizeR * ScreenTextScale);
    const std::string text(1, static_cast<char>(left->Note));
    const TInkBox ink = MeasureInk("plaindigit|" + canvas->Font.Name + "|" + std::to_string(canvas->Font.Size) + "|" +
                                       std::to_string(canvas->Font.Style) + "|" + text,
                                   4 * std::max(mv->GetCellHeight(), 8),
                                   [&](float qx, float qy) { CanvasTextOut(qx, qy, text); });
    canvas->Font = saved;
    canvas->SelectLogFont(savedLog);
    if (ink.empty)
        return -1.0e9f;
    // the digit's text starts 0.15 column into its cell (further left when larger)
    return x - X + (0.15f - 0.35f * (left->fontSizeR - 1.0f)) * X + ink.right;
}

} // namespace

void DrawShrinkCell(TDrawEngine* d, int col, int row, float x, float y) {
    TCell cell;
    GetCell(cell, col, row, -1, -1);
    const auto& notes = cell.CompressNotes;
    if (notes.empty())
        return;
    TMainView* mv = MainView();
    TCanvas* canvas = TargetCanvas(nullptr);
    GetCellColor(d, cell);
    const TColor noteColour = canvas->Font.Color;
    SetBrushStyle(bsClear);

    const float X = static_cast<float>(mv->GetCellWidth());
    const float Y = static_cast<float>(mv->GetCellHeight());
    const float s = cell.fontSizeR;
    const float dd = s - 1.0f;
    const float k = 0.005f * static_cast<float>(cell.shrinkRate);
    const float yb = y + 0.02f * Y;
    const float x0 = x + 0.05f * X;
    const float W = 2.0f * X * s;

    // An augmentation dot takes a room of its own right of its digit: the
    // digits narrow so that the notes with their dots fill the width they
    // would fill without them.
    const float dotRoom = 0.3f * X * s;
    int dotCount = 0;
    for (const TCompressNote& note : notes)
        if (IsJianpuNoteChar(note.code) && (note.option & (0x8u | 0x40u)))
            dotCount += (note.option & 0x40u) ? 2 : 1;
    // The small font: its height, and its width from the rate, but no
    // narrower than keeps a digit legible (about half a plain digit's
    // proportions; a rate of -20 made them a quarter).
    const float fullHeight = 0.78f * W;
    constexpr float legible = 0.29f; // width over height
    float fontHeight = fullHeight;
    float fontWidth = std::max(0.5f * W * (0.4f + k), legible * fontHeight);
    auto advance = [&](float width, float height) {
        auto previous = canvas->SelectLogFont(SmallNoteFont(cell, RoundToInt(height), RoundToInt(width), true));
        // A little air between two digits: a narrowed digit's ink reaches
        // its advance.
        const float adv = static_cast<float>(CanvasTextExtent("3").cx) + kDigitAir * X;
        canvas->SelectLogFont(previous);
        return adv;
    };
    // The advance is that of the small font from the first note on, whatever
    // the first notes are.
    float a = advance(fontWidth, fontHeight);
    // The notes and their dots keep to the cell and the empty cells after it
    // (up to two): too many notes for the room make the font smaller,
    // keeping its proportions.
    int spare = 0;
    for (int c = col + 1; c < mv->Cols && spare < 2; ++c) {
        const TCell* next = CellAtAddress(c, row);
        if (!next || !IsEmptyCell(*next))
            break;
        ++spare;
    }
    const float room = 0.95f * X - 1.0f + static_cast<float>(spare) * X;
    for (int pass = 0; pass < 4 && a > 0.0f; ++pass) {
        const float digits = a * static_cast<float>(notes.size());
        const float target = room - static_cast<float>(dotCount) * dotRoom - kDigitAir * X * static_cast<float>(notes.size());
        if (digits + static_cast<float>(dotCount) * dotRoom <= room || target <= 0.0f || fontHeight <= 0.35f * fullHeight)
            break;
        const float scale = target / (digits - kDigitAir * X * static_cast<float>(notes.size()));
        fontWidth *= scale;
        fontHeight = std::max(0.35f * fullHeight, std::min(fontHeight, fontWidth / legible));
        a = advance(fontWidth, fontHeight);
    }
    const auto font = SmallNoteFont(cell, RoundToInt(fontHeight), RoundToInt(fontWidth), true);
    // a smaller font stands on the same baseline
    const float sink = 0.79f * (fullHeight - fontHeight);

    const int n = static_cast<int>(notes.size());
    std::vector<float> positions(static_cast<size_t>(n), 0.0f);
    TSize extent;
    const bool musicFont = MusicFontInstalled("MusicalSymbols");
    float shift = 0.0f; // the rooms of the augmentation dots so far
    for (int i = 0; i < n; ++i) {
        const TCompressNote& note = notes[static_cast<size_t>(i)];
        OwnSmallNote(col, row, i + 1);
        const int code = note.code & 0xFF;
        const float gap = i == n - 1 ? 0.05f * X : 0.0f;
        const float dx = code == kDotCode ? 0.22f * X : 0.0f;
        const float slot = x0 + static_cast<float>(i) * a + shift;
        const float xi = slot + dx;
        const bool dotted = IsJianpuNoteChar(note.code) && (note.option & (0x8u | 0x40u));
        const int dots = !dotted ? 0 : (note.option & 0x40u) ? 2 : 1;

        if (code == kDotCode) {
            DrawAugmentationDot(d, xi, yb + 0.5f * Y, cell, 1.0f);
        } else if (code == '*') {
            DrawAsteriskSymbol(d, xi + 0.05f * X, yb + 0.2f * Y, cell, 1.0f);
        } else {
            const std::string text = SmallNoteText(note.code);
            SetFontColor(noteColour);
            auto previous = canvas->SelectLogFont(font);
            a = static_cast<float>(CanvasTextExtent("3").cx) + kDigitAir * X;
            CanvasTextOut(xi, yb + Y * (0.1f - 0.6f * dd) + sink, text);
            extent = CanvasTextExtent(text);
            canvas->SelectLogFont(previous);
        }
        positions[static_cast<size_t>(i)] = xi;

        DrawShrinkNoteLines(d, slot, yb, cell, note, a + 1.0f + gap, static_cast<float>(dots) * dotRoom);

        if (dots > 0) {
            // The "." glyph's ink is centred 0.125 em right of and 0.825 em
            // below its origin: each dot's centre halfway up the digit.
            const float points = static_cast<float>(RoundToInt(mv->GetDrawScale() * s * 1.2f));
            const float em = points * static_cast<float>(canvas->PixelsPerInch()) / 72.0f;
            for (int j = 0; j < dots; ++j)
                DrawDotGlyph(d, xi + a + (static_cast<float>(j) + 0.5f) * dotRoom - 0.125f * em,
                             yb + Y * (0.45f - 0.6f * dd) - 0.825f * em, cell, 1.2f, -1);
        }
        shift += static_cast<float>(dots) * dotRoom;

        float xm = xi;
        if (i == 0 || (notes[static_cast<size_t>(i - 1)].code & 0xFF) == kBlank)
            xm -= 0.05f * X;
        float ym = yb;
        if ((static_cast<int32_t>(note.attr) > 0 || static_cast<int32_t>(note.option) > 0) && code != '0' &&
            code != kBlank && code != kDotCode) {
            switch (note.attr & 0xF0u) {
            case 0x10:
                DrawTextCircle(d, xi + X * (-0.77f + 0.25f * dd), ym + Y * (-0.51f - 0.17f * dd), cell,
                               TSize{static_cast<int>(static_cast<float>(extent.cx) * (0.8f - 0.00001f * dd * X)),
                                     static_cast<int>(static_cast<float>(extent.cy) * (0.45f - 0.00003f * dd * Y))},
                               1.0f);
                break;
            case 0x20:
                DrawAttrMark2(d, xm + X * (-0.4f - 0.3f * dd), ym + Y * (-0.7f - 0.8f * dd), cell, 0.8f);
                break;
            case 0x30:
                DrawAttrMark3(d, xm + X * (-0.4f - 0.3f * dd), ym + Y * (-0.7f - 0.8f * dd), cell, 0.8f);
                break;
            case 0x40:
                DrawAttrMark4(d, xi + X * (0.3f + 0.3f * dd), ym + Y * (-0.7f - 0.8f * dd), cell, 0.8f);
                break;
            case 0x50:
                DrawAttrMark5(d, xi + X * (0.1f + 0.1f * dd), ym + Y * (-0.7f - 0.8f * dd), cell, 0.8f);
                break;
            case 0x60:
                DrawCurvedArrowA(d, xm + X * (-0.6f - 0.2f * dd), ym + Y * (-0.24f - 0.15f * dd), cell, 0, 1.0f);
                break;
            case 0x70:
                DrawCurvedArrowB(d, xi + 0.55f * dd * X, ym + Y * (-0.25f - 0.1f * dd), cell, 1, 1.0f);
                break;
            case 0x80: {
                const float by = yb + Y * (0.13f - 0.5f * dd);
                d->DrawArialText(xi + X * (-0.17f - 0.1f * dd), by, "(", cell, 0.8f);
                d->DrawArialText(xi + X * (0.3f + 0.3f * dd), by, ")", cell, 0.8f);
                break;
            }
            default:
                break;
            }
            ym = yb + 0.1f * Y;
            const int kind = static_cast<int>(note.attr & 0x0Fu);
            const bool withFont = kind == 4 ? MusicFontInstalled("Toccata") : musicFont;
            if (kind >= 1 && kind <= 9) {
                // No gap between two small digits: the sign stands at the upper
                // left of its digit, just clear of it, and
                // its foot above the digit before (and its octave dots).
                const bool signFont = kind == 9 || withFont;
                const TAccidPlace& p = signFont ? kFontPlace[kind - 1] : kFallbackPlace[kind - 1];
                // Images and drawn signs are drawn smaller than beside a
                // full-size digit: they would stand taller than the small digits.
                // (The three-quarter flat is the music font's glyph pair when
                // that font is there.)
                const bool glyph = signFont && (kind != 9 || MusicFontInstalled("MusicalSymbols"));
                const bool image = !glyph && kind != 1 && kind != 4 && kind != 8;
                float f = glyph ? p.f : kDrawnSignSize * p.f;
                float py = (p.alt ? yb : ym) + Y * (p.c + p.e * dd);
                // An image hangs from its top: its foot stays where it was
                // (the images are about 0.55 of their factor's row high).
                if (image)
                    py += (1.0f - kDrawnSignSize) * 0.55f * Y * s * p.f;
                TSignSpan span = AccidentalSpan(d, kind, signFont, cell, f);
                // A sign wider than a note's slot would reach the sign of the
                // note before: smaller, down to half its size.
                const float width = span.right - span.left;
                if (width > a && a > 0.0f) {
                    const float shrink = std::max(0.5f, a / width);
                    f *= shrink;
                    span = AccidentalSpan(d, kind, signFont, cell, f);
                    // A glyph's ink hangs below its text origin, closer to it
                    // as the glyph shrinks.
                    if (glyph)
                        py += (1.0f - shrink) * 0.85f * Y * s;
                }
                const float px = ClearOfDigit(d, kind, signFont, cell, f, xi, xi);
                int above = 0; // octave dots over the notes the sign reaches
                bool signBefore = false;
                for (int j = i - 1; j >= 0 && positions[static_cast<size_t>(j)] + a > px + span.left; --j) {
                    const TCompressNote& before = notes[static_cast<size_t>(j)];
                    if ((before.code & 0xFF) == kBlank)
                        continue;
                    above = std::max(above, OctaveDotCount(std::max(0, before.octave)));
                    const int beforeKind = static_cast<int>(before.attr & 0x0Fu);
                    if (static_cast<int32_t>(before.attr) > 0 && beforeKind >= 1 && beforeKind <= 9 &&
                        (j < i - 1 || span.right - span.left > a))
                        signBefore = true;
                }
                // (An image's foot stands lower: a taller lift over dots.)
                float lift = (kSignLift * s + (image ? 1.4f : 1.0f) * kDotLift * static_cast<float>(above) +
                              (signBefore ? kSignOverSign : 0.0f)) * Y;
                float sx = px;
                // A sign that would stand over the digit before it stands over
                // its own digit instead (its middle right of the digit before),
                // its foot a gap above its own digit's top.
                const int beforeCode = i > 0 ? notes[static_cast<size_t>(i - 1)].code & 0xFF : kBlank;
                float beforeRight = -1.0e9f;
                if (beforeCode != kBlank && beforeCode != kDotCode && IsJianpuNoteChar(beforeCode))
                    beforeRight = positions[static_cast<size_t>(i - 1)] + a - kDigitAir * X;
                else if (i == 0 && !MeasuringInk())
                    beforeRight = PlainDigitRightBefore(col, row, x);
                if (!MeasuringInk() && beforeRight > -1.0e8f) {
                    const float middle = px + 0.5f * (span.left + span.right);
                    if (middle < beforeRight + 1.0f) {
                        sx = px + beforeRight + 1.0f - middle;
                        const int reach = 4 * std::max(mv->GetCellHeight(), 8);
                        const std::string size = std::to_string(RoundToInt(fontHeight)) + "x" +
                                                 std::to_string(RoundToInt(fontWidth)) + "|" + std::to_string(s) + "|" +
                                                 std::to_string(X) + "x" + std::to_string(Y) + "|" +
                                                 std::to_string(mv->GetDrawScale()) + "|" + std::to_string(musicFont) +
                                                 std::to_string(MusicFontInstalled("Toccata")) + "|" + mv->NoteFontName + "|" + cell.FontName +
                                                 "|" + std::to_string(cell.FontStyle) + std::to_string(cell.upNote & 1);
                        const TInkBox signInk =
                            MeasureInk("smallsign|" + std::to_string(kind) + "|" + std::to_string(signFont) + "|" +
                                           std::to_string(f) + "|" + size,
                                       reach, [&](float qx, float qy) { DrawSign(d, kind, signFont, qx, qy, cell, f); });
                        auto previous = canvas->SelectLogFont(font);
                        const std::string text = SmallNoteText(note.code);
                        const TInkBox digitInk = MeasureInk("smalldigit|" + text + "|" + size, reach,
                                                            [&](float qx, float qy) { CanvasTextOut(qx, qy, text); });
                        canvas->SelectLogFont(previous);
                        if (!signInk.empty && !digitInk.empty) {
                            const float digitTop = yb + Y * (0.1f - 0.6f * dd) + sink + digitInk.top;
                            const float gapAbove = std::max(1.0f, 0.05f * X);
                            lift = std::max(lift, py + signInk.bottom - (digitTop - gapAbove));
                        }
                    }
                }
                DrawSign(d, kind, signFont, sx, py - lift, cell, f);
            }
        }

        if (code != kBlank && code != '0') {
            float h = 0.18f * static_cast<float>(std::max(0, note.octave));
            if (note.option & (0x400u | 0x800u)) {
                const int strokes = (note.option & 0x400u) && (note.option & 0x800u) ? 3 : (note.option & 0x800u) ? 2 : 1;
                DrawSlashMarks(d, xi + 0.1f * X, yb - 0.05f * Y, cell, strokes);
            }
            if (IsJianpuNoteChar(note.code) && (note.option & 0x20u)) {
                if (musicFont)
                    DrawAccentGlyphJianpu(d, xi + X * (0.6f * k + 0.1f), yb + Y * (-0.4f - h), cell, 0.6f);
                else
                    DrawAccentVectorJianpu(d, xi - 0.25f * X, yb + Y * (-0.75f - h), cell, 0.7f);
                h += 0.15f;
            }
            if (note.option & 0x4000000u) {
                DrawMarkBar(d, xi + X * (0.6f * k + 0.08f), yb + Y * (0.12f - h), cell, 0.38f, 0.07f);
                h += 0.13f;
            }
            if (note.option & (0x10u | 0x400000u)) {
                if (musicFont)
                    DrawGlyph174Mark(d, xi + X * (0.6f * k + 0.1f), yb + Y * (-1.42f - h), cell, true, 0.7f);
                else
                    DrawTriangleDown(d, xi + X * (0.6f * k - 0.3f), yb + Y * (-0.67f - h), cell, true, 1.3f);
                h += 0.1f;
            }
        }
    }

    OwnSmallNote(col, row, 0);
    if (!DrawShrinkSlurs(d, x, y, cell, positions) && IsSlurOrTupletMarkCell(cell))
        DrawShrinkSlur(d, x, y, cell, positions.front(), positions.back());

    if (cell.markType == 56) {
        const int blanks = static_cast<int>(std::count_if(notes.begin(), notes.end(), [](const TCompressNote& nt) {
            return (nt.code & 0xFF) == kBlank;
        }));
        // Over the curve, which rises over signs and octave dots.
        DrawTupletNumber(d, x - 0.05f * X, yb - (0.05f + ShrinkSlurClear(cell, 0, -1)) * Y, n - blanks, true);
    }
    SetFontColor(d->CurColor);
}
