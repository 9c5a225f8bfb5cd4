#include "render/modTQDrawVertical.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "model/modTQCellAccess.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQUtil.h"
#include "notation/modTQMarkGlyphs.h"
#include "notation/modTQNotationApi.h"
#include "platform/gui/TQGlyphMap.h"
#include "render/modTQBarLine.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQDrawJianpu.h"
#include "render/modTQDrawShrink.h"
#include "render/modTQDrawTextSym.h"
#include "render/modTQMainView.h"

namespace {

constexpr int kDotCode = 0xB7;
constexpr int kDashCode = 0x96;
constexpr uint32_t kGraceBit = 0x10000000u;

// Accidental places of a chord note, kinds 1..9, from xA and the note's height yk.
const TAccidPlace kFontPlace[9] = {
    {-0.1f, -0.55f, -1.02f, -0.8f, 0.8f},  {-0.05f, -0.5f, -1.2f, -1.02f, 1.0f}, {-0.05f, -0.5f, -1.05f, -0.88f, 0.85f},
    {-0.05f, -0.5f, -0.8f, -0.6f, 0.8f},   {-0.2f, -0.85f, -1.0f, -0.84f, 0.8f}, {-0.2f, -0.8f, -1.2f, -1.0f, 1.0f},
    {-0.1f, -0.5f, -0.8f, -0.6f, 0.8f},    {-0.15f, -0.55f, -0.81f, -0.6f, 0.8f}, {-0.3f, -0.8f, -0.52f, -0.35f, 0.85f},
};
const TAccidPlace kFallbackPlace[9] = {
    {0.0f, -0.5f, -0.27f, -0.1f, 0.8f},     {-0.06f, -0.5f, -0.58f, -0.45f, 1.0f}, {-0.1f, -0.55f, -0.45f, -0.3f, 0.85f},
    {0.0f, -0.5f, -0.3f, -0.16f, 0.8f},     {-0.05f, -0.7f, -0.5f, -0.35f, 0.8f},  {-0.2f, -0.75f, -0.35f, -0.15f, 1.0f},
    {-0.15f, -0.65f, -0.53f, -0.35f, 0.3f}, {-0.03f, -0.5f, -0.29f, -0.12f, 0.8f}, {-0.3f, -0.8f, -0.52f, -0.35f, 0.85f},
};

int CodeOf(const TCompressNote& note) { return note.code & 0xFF; }

// The chord font: trunc(round(0.7 w + 2 r) x r) high, w = 1.1 x unit x size, so
// it grows with the rate r, in the note font's own proportions (its natural
// width): the digits keep their shape, taller than wide, and leave the room
// between the stacked notes that the octave dots take.
std::shared_ptr<TLogFont> ChordFont(const TCell& cell, float xu, float s, float r) {
    const float w = 1.1f * xu * s;
    const int height = static_cast<int>(static_cast<float>(RoundToInt(0.7f * w + 2.0f * r)) * r);
    return SmallNoteFont(cell, height, 0, true);
}

} // namespace

float VerticalChordMarkLift(int innerDots) { return 0.15f * static_cast<float>(std::max(0, innerDots)); }

void DrawVerticalChord(TDrawEngine* d, float x, float y, int col, int row, const TCell& cell) {
    TMainView* mv = MainView();
    TCanvas* canvas = TargetCanvas(nullptr);
    const float xu = static_cast<float>(mv->GetCellWidth());
    const float yu = static_cast<float>(mv->GetCellHeight());

    // A chord marked as grace is drawn small and a little lower; the stored
    // cell keeps its size.
    TCell c = cell;
    const bool grace = (cell.option & kGraceBit) != 0;
    if (grace) {
        y += 0.15f * yu;
        c.fontSizeR = 0.8f;
    }
    const float s = c.fontSizeR;
    const float dd = s - 1.0f;
    const float r = 1.0f + static_cast<float>(cell.shrinkRate) / 100.0f;

    GetCellColor(d, cell);
    const TColor noteColour = canvas->Font.Color;
    SetBrushStyle(bsClear);

    TSize seven;
    {
        auto previous = canvas->SelectLogFont(ChordFont(cell, xu, s, r));
        seven = CanvasTextExtent("7");
        canvas->SelectLogFont(previous);
    }
    const float cx = static_cast<float>(seven.cx), cy = static_cast<float>(seven.cy);

    const float x0 = x + 0.5f * xu - 0.5f * cx;
    const float yB = y + 0.6f * yu - 0.5f * cy;
    float yC = yB - 0.1f * (r - 1.0f) * yu;
    const float S1 = (-0.4f - 0.1f * r - 0.5f * (r - 1.15f) - 0.5f * dd) * yu;
    const float D = (0.15f + 0.1f * dd) * yu;
    int inner = 0; // octave dots between two stacked notes

    const auto& items = cell.CompressNotes;
    const int n = static_cast<int>(items.size());
    for (int i = 0; i < n; ++i) {
        const TCompressNote& item = items[static_cast<size_t>(i)];
        OwnSmallNote(col, row, i + 1);
        const int code = CodeOf(item);
        if (code == '*') {
            DrawAsteriskSymbol(d, x0 + 0.15f * xu, yC, c, 1.0f);
        } else if (code == '-' || code == kDashCode) {
            FillBar(x0, yB + (0.16f - 0.5f * static_cast<float>(i)) * yu, static_cast<int>(0.8f * xu),
                    static_cast<int>(0.06f * yu), -1);
        } else if (code == kDotCode && n > 1) {
            // an empty slot
        } else {
            if (i > 0 && item.octave < 0)
                yC += static_cast<float>(item.octave) * 0.15f * yu;
            if (i > 0 && items[static_cast<size_t>(i - 1)].octave > 0)
                yC -= 0.05f * yu * static_cast<float>(items[static_cast<size_t>(i - 1)].octave);
            SetFontColor(noteColour);
            auto previous = canvas->SelectLogFont(ChordFont(cell, xu, s, r));
            CanvasTextOut(x0, yC, SmallNoteText(item.code));
            canvas->SelectLogFont(previous);
        }

        if (item.octave != 0 && code != ' ' && code != '0' && code != kDotCode) {
            const int count = OctaveDotCount(item.octave);
            float dx, dy, step;
            if (item.octave < 0 && i == 0) {
                const float base = grace ? -0.8f : -0.62f;
                const float rate = grace ? 0.15f : 0.2f;
                dx = (0.23f + 0.3f * dd) * xu;
                dy = cy + (0.12f * static_cast<float>(cell.UL) + base - rate * (r - 1.0f) - 0.9f * dd) * yu;
                step = D;
            } else if (item.octave < 0) {
                dx = (0.23f + 0.3f * dd) * xu;
                dy = cy + (-0.7f - 0.2f * (r - 1.0f) - 0.8f * dd) * yu;
                step = D;
                inner += count;
            } else {
                dx = (0.25f + 0.3f * dd) * xu;
                dy = (-0.8f + 0.1f * (r - 1.0f) - 0.8f * dd) * yu;
                step = -D;
                if (i < n - 1)
                    inner += count;
            }
            DrawOctaveDotColumn(d, x0 + dx, yC + dy, c, 1.3f, count, step);
        }

        yC += S1;
        if (item.octave > 0)
            yC -= 0.08f * yu * static_cast<float>(item.octave);
    }

    OwnSmallNote(col, row, 0);
    if (col == mv->Cols - 1 && IsJianpuMusicRow(row, -1, -1))
        DrawThickBarLine(d, x, y, col, yu, cell);
    const float S2 = (-0.4f - 0.1f * r - 0.5f * dd) * yu;
    const TSize two = CanvasTextExtent("2");
    const bool musicFont = MusicFontInstalled("MusicalSymbols");

    for (int k = 0; k < n; ++k) {
        const TCompressNote& item = items[static_cast<size_t>(k)];
        if (CodeOf(item) == '0')
            continue;
        OwnSmallNote(col, row, k + 1);
        float yk = grace ? y + 0.9f * yu + static_cast<float>(k) * S2
                         : y + (0.75f - 0.1f * r - 0.13f * static_cast<float>(inner)) * yu + static_cast<float>(k) * S2;
        if (cell.option & (0x8u | 0x40u)) {
            DrawAugmentationDot(d, x + 0.95f * xu, yk - 0.05f * yu, c, 0.9f);
            if (cell.option & 0x40u)
                DrawAugmentationDot(d, x + 1.25f * xu, yk - 0.05f * yu, c, 0.9f);
        }
        if (static_cast<int32_t>(item.attr) <= 0)
            continue;
        float xA = x;
        if (col > 0) {
            TCell left;
            GetCell(left, col - 1, row, -1, -1);
            if (left.Note == 32)
                xA -= 0.05f * xu;
        }
        if (grace)
            xA += 0.1f * xu;
        const float my = yk + (-1.2f - 0.5f * dd) * yu;
        switch (item.attr & 0xF0u) {
        case 0x10:
            DrawTextCircle(d, xA - 0.45f * xu, yk - 1.07f * yu, c,
                           TSize{static_cast<int>(0.7f * static_cast<float>(two.cx)),
                                 static_cast<int>(0.6f * static_cast<float>(two.cy))},
                           1.0f);
            break;
        case 0x20: DrawAttrMark2(d, xA + (-0.3f - 0.8f * dd) * xu, my, c, 0.7f); break;
        case 0x30: DrawAttrMark3(d, xA + (-0.4f - 0.9f * dd) * xu, my, c, 0.7f); break;
        case 0x40: DrawAttrMark4(d, x + (0.7f + 0.1f * dd) * xu, my, c, 0.7f); break;
        case 0x50: DrawAttrMark5(d, x + (0.7f + 0.4f * dd) * xu, my, c, 0.7f); break;
        case 0x60: DrawCurvedArrowA(d, x + (-0.47f - 0.5f * dd) * xu, yk + (-0.7f + 0.2f * dd) * yu, c, 0, 0.6f); break;
        case 0x70: DrawCurvedArrowB(d, x + (0.5f + 0.45f * dd) * xu, yk + (-0.7f + 0.2f * dd) * yu, c, 1, 0.6f); break;
        case 0x80: {
            const float by = yk + (-0.37f - 0.22f * dd) * yu;
            d->DrawArialText(x + (-0.1f - 0.57f * dd) * xu, by, "(", c, 0.5f);
            d->DrawArialText(x + (0.85f + 0.3f * dd) * xu, by, ")", c, 0.5f);
            break;
        }
        default:
            break;
        }
        if (grace)
            yk -= 0.16f * yu;
        const bool a = (item.option & 0x800000u) != 0, b = (item.option & 0x1000000u) != 0;
        const float shift = (a && b ? 0.3f : b ? 0.2f : a ? 0.1f : 0.0f) * xu;
        xA -= shift;
        const int kind = static_cast<int>(item.attr & 0x0Fu);
        if (kind >= 1 && kind <= 9)
            DrawSmallNoteAccidental(d, kind, musicFont, kFontPlace[kind - 1], kFallbackPlace[kind - 1], xA, yk, yk, c,
                                    x0 - shift);
    }

    OwnSmallNote(col, row, 0);
    // Marks of the whole chord, above the stack: each octave dot between two
    // stacked notes lifts them a little further (the stack itself already made
    // room for the dots).
    const float T = yC + 0.1f * yu;
    float m = VerticalChordMarkLift(inner);
    if (cell.option & (0x400u | 0x800u)) {
        const int strokes = (cell.option & 0x400u) && (cell.option & 0x800u) ? 3 : (cell.option & 0x800u) ? 2 : 1;
        DrawSlashMarks(d, x + 0.6f * xu, y, c, strokes);
    }
    if (cell.option & 0x20u) {
        if (musicFont)
            DrawAccentGlyphJianpu(d, x + 0.35f * xu, T + (-0.4f - m) * yu, c, 0.7f);
        else
            DrawAccentVectorJianpu(d, x + 0.05f * xu, T + (-0.75f - m) * yu, c, 0.7f);
        m += 0.26f; // the accent and a gap over the next mark
    }
    if (cell.option & 0x4000000u) {
        DrawMarkBar(d, x + 0.25f * xu, T + (0.2f - m) * yu, c, 0.6f, 0.07f);
        m += 0.25f; // the bar and a gap under the next mark
    }
    if (cell.option & (0x10u | 0x400000u)) {
        if (musicFont)
            DrawGlyph174Mark(d, x + 0.35f * xu, T + (-2.1f - m) * yu, c, true, 1.0f);
        else
            DrawTriangleDown(d, x + 0.05f * xu, T + (-0.5f - m) * yu, c, true, 1.45f);
        m += 0.1f;
    }
    SetFontColor(d->CurColor);
}
