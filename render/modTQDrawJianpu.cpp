#include "render/modTQDrawJianpu.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>

#include "model/modTQCellAccess.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "notation/modTQArcArrows.h"
#include "notation/modTQMarkGlyphs.h"
#include "notation/modTQNotationApi.h"
#include "platform/core/TQCodec.h"
#include "platform/gui/TQGlyphMap.h"
#include "render/modTQBarLine.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawAccid.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQDrawShrink.h"
#include "render/modTQInkMeasure.h"
#include "render/modTQDrawTextSym.h"
#include "render/modTQMainView.h"

namespace {

const char* const kMusical = "MusicalSymbols";
const char* const kToccata = "Toccata";
constexpr int kDotNote = -73;   // 0xB7 as stored
constexpr int kDashNote = -106; // 0x96 as stored

float XUnit() { return static_cast<float>(MainView()->GetCellWidth()); }
float YUnit() { return static_cast<float>(MainView()->GetCellHeight()); }

bool IsDotNote(int note) { return note == kDotNote || note == 0xB7; }
bool IsDashNote(int note) { return note == kDashNote || note == 0x96; }

// The note character as canvas text: ASCII as it is, other bytes through the
// code page of the font's charset; "" when the byte means nothing there.
std::string NoteText(int note, int charset) {
    const char ch = static_cast<char>(note & 0xFF);
    if ((note & 0xFF) < 0x80)
        return std::string(1, ch);
    std::string out;
    if (CharsetToUtf8(std::string_view(&ch, 1), charset, out))
        return out;
    return std::string();
}

// The face of the score's note font as the canvas names it: the stored name
// decoded, or as it is when it does not decode. Every note asks; the name is
// decoded again only when the name or its charset is not the one asked last.
const std::string& NoteFontFace(const TMainView* mv) {
    thread_local std::string name, face;
    thread_local int charset = 0;
    thread_local bool known = false;
    if (!known || charset != mv->NoteFontCharset || name != mv->NoteFontName) {
        face = DecodeForDisplay(mv->NoteFontName, mv->NoteFontCharset).value_or(mv->NoteFontName);
        name = mv->NoteFontName;
        charset = mv->NoteFontCharset;
        known = true;
    }
    return face;
}

void RestoreNoteFont() {
    const TMainView* mv = MainView();
    SetCanvasFont(NoteFontFace(mv), -1, mv->NoteFontStyle);
}

// Accidental places of a Jianpu note, kinds 1..9, from the reference x and the
// cell's y; the three-quarter flat is the same image with or without the font.
const TAccidPlace kNoteFontPlace[9] = {
    {-0.15f, -0.65f, -0.7f, -1.1f, 1.0f},    {-0.14f, -0.65f, -0.85f, -1.18f, 1.3f},
    {-0.15f, -0.65f, -0.8f, -1.2f, 1.1f},    {-0.1f, -0.5f, -0.42f, -0.78f, 1.0f},
    {-0.4f, -0.8f, -0.8f, -1.13f, 1.25f},    {-0.3f, -0.75f, -0.9f, -1.2f, 1.3f},
    {-0.15f, -0.45f, -0.47f, -0.8f, 1.2f},   {-0.2f, -0.67f, -0.45f, -0.85f, 1.0f},
    {-0.6f, -1.1f, -0.085f, -0.48f, 1.3f},
};
const TAccidPlace kNoteFallbackPlace[9] = {
    {0.0f, -0.4f, 0.25f, -0.1f, 1.0f},       {-0.18f, -0.6f, -0.05f, -0.42f, 1.32f},
    {-0.15f, -0.55f, -0.08f, -0.52f, 1.1f},  {0.0f, -0.4f, 0.27f, -0.1f, 1.0f},
    {-0.1f, -0.5f, -0.02f, -0.4f, 1.25f},    {-0.25f, -0.5f, 0.1f, -0.4f, 1.25f},
    {-0.25f, -0.65f, -0.08f, -0.45f, 0.45f}, {-0.05f, -0.4f, 0.23f, -0.2f, 1.0f},
    {-0.6f, -1.1f, -0.085f, -0.48f, 1.3f},
};

// The ink of text in the output canvas's current font, from its text origin.
TInkBox TextInk(const std::string& text) {
    const TCanvas* c = MainView()->OutCanvas;
    const TLogFont* lf = c->SelectedLogFont().get();
    const std::string key = "text|" + c->Font.Name + "|" + std::to_string(c->Font.Size) + "|" +
                            std::to_string(c->Font.Style) + "|" + std::to_string(c->Font.Charset) + "|" +
                            (lf ? lf->FaceName + std::to_string(lf->Height) + "x" + std::to_string(lf->Width) : "") +
                            "|" + text;
    const int reach = 4 * std::max(MainView()->GetCellHeight(), 8);
    return MeasureInk(key, reach, [&](float px, float py) { CanvasTextOut(px, py, text); });
}

} // namespace

void DrawSign(TDrawEngine* d, int kind, bool withFont, float x, float y, const TCell& cell, float f) {
    if (withFont || kind == 9) {
        switch (kind) {
        case 1: DrawSharpGlyph(d, x, y, cell, f); break;
        case 2: DrawFlatGlyph(d, x, y, cell, f); break;
        case 3: DrawNaturalGlyph(d, x, y, cell, f); break;
        case 4: DrawHalfSharp(d, x, y, cell, f); break;
        case 5: DrawDoubleFlatGlyph(d, x, y, cell, f); break;
        case 6: DrawDoubleSharpGlyph(d, x, y, cell, f); break;
        case 7: DrawReversedFlat(d, x, y, cell, f); break;
        case 8: DrawThreeQuarterSharp(d, x, y, cell, f); break;
        default:
            // With the music font the reversed flat and the flat as glyphs:
            // they keep their strokes at any size, where the shrunk picture
            // loses its stems on screen.
            if (withFont && MusicFontInstalled(kMusical))
                DrawThreeQuarterFlat(d, x, y, cell, f);
            else
                DrawThreeQuarterFlatBitmap(d, x, y, cell, f);
            break;
        }
        return;
    }
    switch (kind) {
    case 1: DrawSharpVector(d, x, y, cell, f, 2); break;
    case 2: DrawFlatBitmap(d, x, y, cell, f); break;
    case 3: DrawNaturalBitmap(d, x, y, cell, f); break;
    case 4: DrawSharpVector(d, x, y, cell, f, 1); break;
    case 5: DrawDoubleFlatBitmap(d, x, y, cell, f); break;
    case 6: DrawDoubleSharpBitmap(d, x, y, cell, f); break;
    case 7: DrawReversedFlatBitmap(d, x, y, cell, f); break;
    default: DrawSharpVector(d, x, y, cell, f, 3); break;
    }
}

namespace {

TInkBox SignInk(TDrawEngine* d, int kind, bool withFont, const TCell& cell, float f) {
    const TMainView* mv = MainView();
    const std::string key = "sign|" + std::to_string(kind) + "|" + std::to_string(withFont) + "|" +
                            std::to_string(MusicFontInstalled(kToccata)) + "|" + std::to_string(f) + "|" +
                            std::to_string(cell.fontSizeR) + "|" + std::to_string(mv->GetCellWidth()) + "x" +
                            std::to_string(mv->GetCellHeight()) + "|" + std::to_string(mv->GetDrawScale()) + "|" +
                            std::to_string(ScreenTextScale);
    const int reach = 4 * std::max(mv->GetCellHeight(), 8);
    return MeasureInk(key, reach, [&](float px, float py) { DrawSign(d, kind, withFont, px, py, cell, f); });
}

} // namespace

void DrawRoundDots(TDrawEngine* d, int left, int top, int size, int n, int step, int stepDown) {
    TCanvas* c = TargetCanvas(nullptr);
    {
        const TSolidFillScope fill(c, d->CurColor);
        for (int i = 0; i < n; ++i)
            c->Ellipse(left + i * step, top + i * stepDown, left + i * step + size, top + i * stepDown + size);
    }
    c->Brush.Style = bsClear;
}

namespace {

std::string MarkKey(const TCell& cell);

// What stands in the cell to the left of a note: where its ink ends on the
// right, plus a gap (far left when nothing is known to stand there), and, for
// a digit, its ink row by row (a sign may stand over the digit's top where
// that leaves room).
struct TLeftRoom {
    float right = -1.0e9f;
    bool digit = false;
    TInkBox ink; // of the digit, from (ox, oy)
    float ox = 0.0f, oy = 0.0f;
};

TLeftRoom RoomAfterLeftCell(TDrawEngine* d, float x, float y, int col, int row, const TCell* left, int charset) {
    const TMainView* mv = MainView();
    const float xu = XUnit();
    const float gap = std::max(1.5f, 0.1f * xu);
    TLeftRoom room;
    if (!left || left->Note == 32 || left->cellType != ctJianpu)
        return room;
    if (IsJianpuSound(*left) && !IsDashNote(left->Note) && !IsDotNote(left->Note) && !IsShrinkCell(*left) &&
        !IsVerticalCell(*left) && !IsGraceCell(*left)) {
        // The note before as it is drawn: its digit, ring, marks and dots
        // (which read the cell before it only for being empty).
        const TCell* leftLeft = col > 1 ? CellAtAddress(col - 2, row) : nullptr;
        const bool leftLeftEmpty = leftLeft && leftLeft->Note == 32;
        const std::string key = "leftnote|" + std::to_string(left->Note) + "|" + std::to_string(left->Attr) + "|" +
                                std::to_string(left->dot) + "|" + std::to_string(left->option) + "|" +
                                std::to_string(left->fontSizeR) + "|" + left->FontName + "|" +
                                std::to_string(left->FontStyle) + "|" + std::to_string(left->upNote) + "|" +
                                std::to_string(charset) + "|" + std::to_string(leftLeftEmpty) + "|" + MarkKey(*left);
        const int reach = 4 * std::max(mv->GetCellHeight(), 8);
        const TInkBox ink = MeasureInk(key, reach, [&](float px, float py) {
            DrawJianpuNote(d, px, py, *left, col - 1, row);
        });
        if (ink.empty)
            return room;
        room.ox = x - xu;
        room.oy = y;
        room.right = room.ox + ink.right + gap;
        room.digit = left->Note != '*';
        room.ink = ink;
        return room;
    }
    if (left->Note == 63) {
        room.right = GetBarLineX(d, x - xu, col - 1) + static_cast<float>(static_cast<int>(0.12f * xu)) + gap;
        return room;
    }
    if (left->Note >= 58 && left->Note <= 62) {
        // A repeat or double bar: measured as it is drawn.
        const int reach = 4 * std::max(mv->GetCellHeight(), 8);
        const TInkBox ink = MeasureInk("", reach, [&](float px, float py) {
            DrawRepeatBar(d, px, py, *left, col - 1, row);
        });
        if (!ink.empty)
            room.right = x - xu + ink.right + gap;
    }
    return room;
}

// True when the sign's ink drawn at (px, py) keeps a gap from what stands
// before it: row by row from a digit (whose top it may stand over), else
// right of its ink as a whole.
bool ClearOfLeft(const TInkBox& sign, float px, float py, const TLeftRoom& before, float gap) {
    if (!before.digit || before.ink.rowRight.empty())
        return px + sign.left >= before.right;
    const int rows = static_cast<int>(sign.rowLeft.size());
    const int digitRows = static_cast<int>(before.ink.rowRight.size());
    const int g = static_cast<int>(std::ceil(gap));
    for (int i = 0; i < rows; ++i) {
        if (sign.rowLeft[i] > sign.rowRight[i])
            continue;
        const int j0 = static_cast<int>(std::lround(py + sign.top + static_cast<float>(i) - (before.oy + before.ink.top)));
        for (int j = j0 - g; j <= j0 + g; ++j) {
            if (j < 0 || j >= digitRows || before.ink.rowLeft[j] > before.ink.rowRight[j])
                continue;
            if (px + sign.rowLeft[i] < before.ox + before.ink.rowRight[j] + gap)
                return false;
        }
    }
    return true;
}

// The x of a sign meant for px0 whose ink keeps within [from, to] where it
// can: right of from, and left of to above all.
float PlaceBetween(float px0, const TInkBox& ink, float from, float to) {
    return std::min(std::max(px0, from - ink.left), to - ink.right);
}

// The accidental of a note, small at the upper left of its digit (whose ink
// box is digit): a gap before the digit and then moved left by shift (the
// sign position bits), its ink ending below at a little over the digit's
// middle, at most as tall as the digit, and wholly right of what stands
// before it: smaller where the gap is narrow (down to 0.6 of its size); where
// even that does not fit, higher, over the top of the digit before it as large
// as the row's room above that digit allows and next to its own digit, over its own digit's upper left where a
// bar line leaves too narrow a gap, tucked against the digit before it row by
// row, and as narrow as the gap (at least 0.2 of its size) where even that
// room is missing.
void DrawNoteAccidental(TDrawEngine* d, int kind, float xA, float y, const TCell& cell, const TInkBox& digit,
                        float shift, const TLeftRoom& before) {
    const float xu = XUnit(), yu = YUnit();
    const float dd = cell.fontSizeR - 1.0f;
    const bool withFont = MusicFontInstalled(kMusical);
    const TAccidPlace& p = withFont || kind == 9 ? kNoteFontPlace[kind - 1] : kNoteFallbackPlace[kind - 1];
    const float px0 = xA + xu * (p.a + p.b * dd);
    const TInkBox full = SignInk(d, kind, withFont, cell, p.f);
    if (full.empty || digit.empty) {
        DrawSign(d, kind, withFont, px0, y + yu * (p.c + p.e * dd), cell, p.f);
        return;
    }
    const float gap = std::max(1.5f, 0.1f * xu * cell.fontSizeR);
    // Nearer its own digit than what stands before it; one pixel for the
    // rounding of the sign's own position.
    const float near = std::max(1.0f, 0.04f * xu * cell.fontSizeR);
    const float right = digit.left - shift - (before.digit ? near : gap) - 1.0f;
    const float digitH = digit.bottom - digit.top;
    const float kMax = std::min(1.0f, 0.9f * digitH / full.Height());
    const float low = digit.top + 0.55f * digitH;
    const float top = y + 1.0f;
    float f = p.f, px = 0.0f, py = 0.0f;
    bool placed = false;
    // Beside its own digit, a gap from it (next to it where a digit stands
    // before it), wholly right of what stands before it: smaller where the
    // room asks.
    for (int step = 0; step <= 4 && !placed; ++step) {
        const float k = kMax * (1.0f - 0.1f * static_cast<float>(step));
        const TInkBox ink = step == 0 && kMax == 1.0f ? full : SignInk(d, kind, withFont, cell, p.f * k);
        if (ink.empty)
            continue;
        px = before.digit ? right - ink.right : PlaceBetween(px0, ink, before.right, right);
        if (px + ink.left >= before.right) {
            py = std::max(low - ink.bottom, top - ink.top);
            f = p.f * k;
            placed = true;
        }
    }
    if (!placed && before.digit) {
        // Higher, over the top of the digit before it, as large as the room
        // above that digit allows and next to its own digit.
        const float k = std::min(kMax, (before.oy + before.ink.top - gap - top) / full.Height());
        const TInkBox ink = k > 0.0f ? SignInk(d, kind, withFont, cell, p.f * k) : TInkBox{};
        if (!ink.empty && ink.Height() >= 3.0f) {
            f = p.f * k;
            // above the digits' tops: the least gap beside its own digit
            px = std::max(right, digit.left - shift - std::max(1.5f, 0.07f * xu)) - ink.right;
            py = before.oy + before.ink.top - gap - ink.bottom;
            placed = true;
        }
    }
    if (!placed) {
        // No gap wide enough (a bar line, a thick one reaching into the
        // cell): over the upper left of its own digit.
        const float k = std::min(kMax, (digit.top - 1.0f - top) / full.Height());
        const TInkBox ink = k > 0.0f ? SignInk(d, kind, withFont, cell, p.f * k) : TInkBox{};
        if (!ink.empty && ink.Height() >= 3.0f) {
            f = p.f * k;
            px = before.right - ink.left;
            py = digit.top - 1.0f - ink.bottom;
            placed = true;
        }
    }
    for (int step = 0; step <= 6 && !placed; ++step) {
        // Where nothing else fits: tucked against the digit before it, row
        // by row clear of its ink.
        const float k = kMax * (1.0f - 0.1f * static_cast<float>(step));
        const TInkBox ink = SignInk(d, kind, withFont, cell, p.f * k);
        if (ink.empty)
            continue;
        px = PlaceBetween(px0, ink, before.right, right);
        for (float bottom = low; bottom - ink.Height() >= top && !placed; bottom -= 1.0f) {
            py = bottom - ink.bottom;
            if (ClearOfLeft(ink, px, py, before, gap)) {
                f = p.f * k;
                placed = true;
            }
        }
    }
    if (!placed) {
        // Low beside its digit, as wide as the gap allows.
        const float room = right - before.right;
        const float k = std::clamp(room / full.Width(), 0.2f, 0.4f) * kMax;
        f = p.f * k;
        const TInkBox ink = SignInk(d, kind, withFont, cell, f);
        px = PlaceBetween(px0, ink, before.right, right);
        py = low - ink.bottom;
    }
    DrawSign(d, kind, withFont, px, py, cell, f);
}

// What a mark's ink depends on besides the canvas's resolution.
std::string MarkKey(const TCell& cell) {
    const TMainView* mv = MainView();
    return std::to_string(cell.fontSizeR) + "|" + std::to_string(mv->GetCellWidth()) + "x" +
           std::to_string(mv->GetCellHeight()) + "|" + std::to_string(mv->GetDrawScale()) + "|" +
           std::to_string(MusicFontInstalled(kToccata)) + std::to_string(MusicFontInstalled(kMusical)) + "|" +
           std::to_string(ScreenTextScale);
}

// Where what stands in the cell to the right of a note starts, less a gap:
// the ink of a digit, a bar line; the right edge of that cell when it is
// something else, and a column further when it is empty.
float RoomBeforeRightCell(TDrawEngine* d, float x, int col, int row) {
    const TMainView* mv = MainView();
    const float xu = XUnit();
    const float gap = std::max(1.5f, 0.1f * xu);
    if (col + 1 >= mv->Cols)
        return x + xu;
    const TCell* right = CellAtAddress(col + 1, row);
    if (!right || right->Note == 32)
        return x + 2.0f * xu;
    if (right->cellType != ctJianpu)
        return x + xu;
    if (IsJianpuSound(*right) && !IsDashNote(right->Note) && !IsDotNote(right->Note) && right->Note != '*') {
        const int saved = GetFontSize();
        SetFontSize(mv->GetDrawScale() * right->fontSizeR * ScreenTextScale);
        const TInkBox ink = TextInk(NoteText(right->Note, 0));
        SetFontSize(static_cast<float>(saved));
        const float rd = right->fontSizeR - 1.0f;
        return ink.empty ? x + xu : x + xu + (0.15f - 0.35f * rd) * xu + ink.left - gap;
    }
    if (right->Note == 63)
        return GetBarLineX(d, x + xu, col + 1) - gap;
    if (IsDashNote(right->Note))
        return x + xu + 0.1f * xu - gap;
    return x + xu;
}

// A mark drawn by draw(x, y) kept left of limit: moved left by what it would
// reach over.
void DrawMarkLeftOf(const std::string& key, float x, float y, float limit,
                    const std::function<void(float, float)>& draw) {
    if (!MeasuringInk()) {
        const int reach = 4 * std::max(MainView()->GetCellHeight(), 8);
        const TInkBox ink = MeasureInk(key, reach, draw);
        // a pixel for the rounding of the mark's own position
        if (!ink.empty && x + ink.right + 1.0f > limit)
            x = limit - ink.right - 1.0f;
    }
    draw(x, y);
}

// How far up a mark drawn at (mx, my), whose ink is mark, has to stand for
// its ink to keep gap from the digit's ink (digit, drawn at (dx, dy)), row by
// row; at most limit.
float LiftClearOf(const TInkBox& mark, float mx, float my, const TInkBox& digit, float dx, float dy, float gap,
                  float limit) {
    if (mark.empty || digit.empty)
        return 0.0f;
    const int g = static_cast<int>(std::ceil(gap));
    const int digitRows = static_cast<int>(digit.rowLeft.size());
    for (float lift = 0.0f; lift < limit; lift += 1.0f) {
        bool clear = true;
        for (int i = 0; clear && i < static_cast<int>(mark.rowLeft.size()); ++i) {
            if (mark.rowLeft[i] > mark.rowRight[i])
                continue;
            const int j0 = static_cast<int>(std::lround(my - lift + mark.top + static_cast<float>(i) - (dy + digit.top)));
            for (int j = j0 - g; clear && j <= j0 + g; ++j) {
                if (j < 0 || j >= digitRows || digit.rowLeft[j] > digit.rowRight[j])
                    continue;
                clear = mx + mark.rowRight[i] + gap < dx + digit.rowLeft[j] ||
                        mx + mark.rowLeft[i] > dx + digit.rowRight[j] + gap;
            }
        }
        if (clear)
            return lift;
    }
    return limit;
}

} // namespace

void DrawJianpuNote(TDrawEngine* d, float x, float y, const TCell& cell, int col, int row) {
    const int note = cell.Note;
    if (note == 32)
        return;
    TMainView* mv = MainView();
    const float xu = XUnit(), yu = YUnit();
    const float s = cell.fontSizeR, dd = s - 1.0f;

    if (IsDotNote(note)) {
        const TCell* left = col > 0 ? CellAtAddress(col - 1, row) : nullptr;
        const float b = left && IsPercussionSyllableCell(*left) ? -0.45f : -0.52f;
        DrawDotGlyph(d, x + (0.2f - 0.28f * dd) * xu, y + (b - 1.04f * dd) * yu, cell, 1.8f, -1);
    } else if (IsDashNote(note)) {
        DrawJianpuDash(d, x, y + 0.5f * yu, cell, col, row);
    } else {
        // The note font of the score, or the cell's own.
        std::string ownFace;
        const std::string* face = &ownFace;
        int charset = 0;
        int style = 0;
        if (cell.FontName == "NT" || cell.FontName.empty()) {
            face = &NoteFontFace(mv);
            charset = 0;
            style = (cell.upNote & 1) ? cell.FontStyle : mv->NoteFontStyle;
        } else {
            ownFace = DecodeForDisplay(cell.FontName, cell.FontCharset).value_or(cell.FontName);
            charset = cell.FontCharset;
            style = cell.FontStyle;
        }
        SetCanvasFont(*face, charset, style);
        GetCellColor(d, cell);
        SetFontSize(mv->GetDrawScale() * s * ScreenTextScale);
        SetBrushStyle(bsClear);

        // The note itself.
        const std::string text = NoteText(note, charset);
        // Measured in the note's font, and only for the circle of style 1 that needs it.
        const uint32_t styleNibble = cell.Attr == kNoAttr ? 0u : (cell.Attr & 0xF0u);
        const TSize extent = styleNibble == 0x10 && IsJianpuSound(cell) ? CanvasTextExtent(text) : TSize{};
        float tx, ty;
        if (note == '*') {
            tx = x + (0.17f - 0.35f * dd) * xu, ty = y + (0.17f - 0.27f * dd) * yu;
            DrawAsteriskSymbol(d, tx, ty, cell, 1.5f);
        } else {
            if (note == 'x')
                tx = x + (0.15f - 0.35f * dd) * xu, ty = y + (0.12f - 0.35f * dd) * yu;
            else if (note == 'X')
                tx = x + (0.05f - 0.35f * dd) * xu, ty = y + (0.12f - 0.35f * dd) * yu;
            else
                tx = x + (0.15f - 0.35f * dd) * xu, ty = y + (0.12f - 0.38f * dd) * yu;
            CanvasTextOut(tx, ty, text);
        }

        if (AttrHasNibble(cell.Attr, 0xF0))
            DrawRectFrame(x + 0.1f * xu, y + 0.15f * yu, x + xu, y + 0.85f * yu);

        SetFontColor(d->CurColor);
        if (col == mv->Cols - 1 && IsJianpuMusicRow(row, -1, -1))
            DrawThickBarLine(d, x, y, col, yu, cell);

        if (IsJianpuSound(cell)) {
            // Style mark.
            const TCell* left = col > 0 ? CellAtAddress(col - 1, row) : nullptr;
            const float xL = left && left->Note == 32 ? x - 0.05f * xu : x;
            // The arcs of marks 2 to 5 stand beside or over the digit, a gap
            // from its ink: raised where they would run into it.
            const bool arcMark = styleNibble >= 0x20 && styleNibble <= 0x50 && note != '*';
            TInkBox digitInk;
            if (arcMark && !MeasuringInk())
                digitInk = TextInk(text);
            auto clearOfDigit = [&](const std::string& key, const std::function<void(float, float)>& draw) {
                return [&, key, draw](float mx, float my) {
                    float lift = 0.0f;
                    if (!MeasuringInk() && !digitInk.empty) {
                        const TInkBox ink = MeasureInk(key, 4 * std::max(mv->GetCellHeight(), 8), draw);
                        lift = LiftClearOf(ink, mx, my, digitInk, tx, ty, std::max(1.0f, 0.05f * xu), 0.5f * yu);
                    }
                    draw(mx, my - lift);
                };
            };
            switch (styleNibble) {
            case 0x10: {
                float cx = x + (-0.5f + 0.02f * dd) * xu;
                float cy = y + (-0.5f - 0.01f * dd) * yu;
                TSize ring = extent;
                if (note == 'x' || note == 'X') {
                    // Centred on the glyph: the circle's centre lies one unit
                    // right of and below the point it is given.
                    cx = tx + static_cast<float>(extent.cx) / 2.0f - xu;
                    cy = ty + static_cast<float>(extent.cy) / 2.0f - yu;
                } else {
                    // A ring about the digit, narrow enough to leave the
                    // next cell's ring alone and short enough to leave the
                    // octave dots and the rows above and below (the text's
                    // line height made a tall oval through all of them).
                    // (the circle's half axes are 0.83 of the size given).
                    ring.cx = RoundToInt(0.48f * xu * s / 0.83f);
                    cx += 0.04f * xu * s; // on the digit's ink
                    float half = 0.42f * yu * s;
                    if (cell.UL > 0) {
                        // Duration lines go under the ring: its bottom runs
                        // along the first one instead of crossing it, its top
                        // where it was.
                        const float top = cy + yu - half;
                        const float lines = y + (0.83f + 0.3f * dd) * yu;
                        const float bottom = lines + 0.5f * static_cast<float>(static_cast<int>(0.12f * xu * s));
                        if (bottom < top + 2.0f * half) {
                            half = 0.5f * (bottom - top);
                            cy = top + half - yu;
                        }
                    }
                    ring.cy = RoundToInt(half / 0.83f);
                }
                DrawTextCircle(d, cx, cy, cell, ring, 1.0f);
                break;
            }
            case 0x20:
                clearOfDigit("mark2|" + MarkKey(cell), [&](float mx, float my) {
                    DrawAttrMark2(d, mx, my, cell, 1.0f);
                })(xL + (-0.45f - 0.89f * dd) * xu, y + (-0.7f - 0.65f * dd) * yu);
                break;
            case 0x30:
                clearOfDigit("mark3|" + MarkKey(cell), [&](float mx, float my) {
                    DrawAttrMark3(d, mx, my, cell, 1.0f);
                })(xL + (-0.5f - 0.97f * dd) * xu, y + (-0.8f - 0.75f * dd) * yu);
                break;
            case 0x40:
            case 0x50: {
                // Marks at the note's right: clear of what follows it.
                const bool four = styleNibble == 0x40;
                const std::string key = std::string(four ? "mark4|" : "mark5|") + MarkKey(cell);
                const std::function<void(float, float)> mark = [&](float mx, float my) {
                    if (four)
                        DrawAttrMark4(d, mx, my, cell, 1.0f);
                    else
                        DrawAttrMark5(d, mx, my, cell, 1.0f);
                };
                DrawMarkLeftOf(key, x + (four ? (0.7f + 0.3f * dd) : 0.42f) * xu,
                               y + (four ? (-0.7f - 0.65f * dd) : (-0.75f - 0.7f * dd)) * yu,
                               RoomBeforeRightCell(d, x, col, row), clearOfDigit(key, mark));
                break;
            }
            case 0x60:
                DrawCurvedArrowA(d, xL + (-0.5f - 0.5f * dd) * xu, y + (-0.2f + 0.1f * dd) * yu, cell, 0, 1.0f);
                break;
            case 0x70:
                DrawCurvedArrowB(d, x + (0.45f + 0.45f * dd) * xu, y + (-0.2f + 0.1f * dd) * yu, cell, 1, 1.0f);
                break;
            case 0x80: {
                const float by = y + (0.15f - 0.34f * dd) * yu;
                d->DrawArialText(x + (-0.2f - 0.65f * dd) * xu, by, "(", cell, 0.8f);
                d->DrawArialText(x + (0.8f + 0.3f * dd) * xu, by, ")", cell, 0.8f);
                RestoreNoteFont();
                break;
            }
            default:
                break;
            }

            // Accidental: clear of the digit, then moved by the sign-position bits.
            float xA = left && !IsJianpuSound(*left) ? x - 0.05f * xu : x + 0.1f * xu;
            const bool shift1 = (cell.option & 0x800000u) != 0;
            const bool shift2 = (cell.option & 0x1000000u) != 0;
            const float shift = (shift1 && shift2 ? 0.3f : shift2 ? 0.2f : shift1 ? 0.1f : 0.0f) * xu;
            xA -= shift;
            const int kind = cell.Attr == kNoAttr ? 0 : static_cast<int>(cell.Attr & 0x0Fu);
            if (kind >= 1 && kind <= 9 && !MeasuringInk()) {
                TInkBox digit = TextInk(text);
                digit.left += tx, digit.right += tx, digit.top += ty, digit.bottom += ty;
                DrawNoteAccidental(d, kind, xA, y, cell, digit, shift, RoomAfterLeftCell(d, x, y, col, row, left, charset));
            }
            if (note != '0' && (cell.dot != 0 || cell.option != 0 || !cell.CompressNotes.empty()))
                DrawOctaveDots(d, x, y, cell, col, row);
        }
        RestoreNoteFont();
    }

    SetFontColor(d->MainLayerColor);
    if (IsJianpuSound(cell) || IsPercussionSyllableCell(cell))
        DrawJianpuNoteMarks(d, x, y, cell.option, cell.dot, col, row);
}

void DrawJianpuNoteMarks(TDrawEngine* d, float x, float y, uint32_t option, int octaveCount, int col, int row) {
    TMainView* mv = MainView();
    const TCell* found = PeekCell(col, row, -1, -1);
    const TCell& cell = found ? *found : ResetStateCell();
    const float xu = XUnit(), yu = YUnit();
    const float s = cell.fontSizeR, dd = s - 1.0f;
    float mY = octaveCount > 0 ? y + 0.15f * static_cast<float>(octaveCount) * yu : y;
    const float h = 0.4f * yu * s;
    if (IsPercussionSyllableCell(cell))
        y += 0.15f * yu;
    if (cell.Note == 32 && cell.CompressNotes.empty())
        return;

    // Glyph marks take the drawing colour like the drawn ones.
    SetFontColor(d->CurColor);

    if (cell.option & (0x8u | 0x40u)) {
        float xD = x;
        const bool noteNext = col != mv->Cols - 1 && IsJianpuSoundAt(col + 1, row, -1, -1);
        if (!noteNext)
            xD += 0.3f * xu;
        const float dy = y + (0.33f + 0.1f * dd) * yu;
        if ((cell.option & 0x40u) && !MeasuringInk()) {
            // Two dots: both in the room between the note's digit and what
            // follows it, evenly apart, round and smaller where that room is
            // narrow, at the height the single dot has.
            const float gap = std::max(1.5f, 0.1f * xu);
            const int saved = GetFontSize();
            SetFontSize(mv->GetDrawScale() * s * ScreenTextScale);
            const TInkBox own = TextInk(NoteText(cell.Note, 0));
            SetFontSize(static_cast<float>(saved));
            const float from = own.empty ? x + 0.85f * xu : x + (0.15f - 0.35f * dd) * xu + own.right;
            const float to = RoomBeforeRightCell(d, x, col, row) + gap;
            const float room = std::min(to - from, 1.5f * xu);
            const float ly = noteNext ? dy + 0.2f * yu : dy;
            const int reach = 4 * std::max(mv->GetCellHeight(), 8);
            const float factor = noteNext ? 0.9f : 1.2f;
            const TInkBox dot = MeasureInk("adot|" + std::to_string(factor) + "|" + MarkKey(cell), reach,
                                           [&](float px, float py) { DrawAugmentationDot(d, px, py, cell, factor); });
            const float cy = ly + (dot.empty ? 0.0f : 0.5f * (dot.top + dot.bottom));
            // the glyph's dot less its soft edge, or what leaves a pixel free
            // before, between and after the two
            const int size = std::max(1, std::min(RoundToInt(dot.Width() - 2.0f), static_cast<int>((room - 3.0f) / 2.0f)));
            const float pad = (room - 2.0f * static_cast<float>(size)) / 3.0f;
            const int left = static_cast<int>(std::floor(from + pad + 0.5f));
            const int second = static_cast<int>(std::floor(from + 2.0f * pad + static_cast<float>(size) + 0.5f));
            DrawRoundDots(d, left, RoundToInt(cy - 0.5f * static_cast<float>(size)), size, 2, second - left);
        } else if (noteNext && !MeasuringInk()) {
            // One dot before the next note: in the middle of the room between
            // the two digits.
            const int saved = GetFontSize();
            SetFontSize(mv->GetDrawScale() * s * ScreenTextScale);
            const TInkBox own = TextInk(NoteText(cell.Note, 0));
            SetFontSize(static_cast<float>(saved));
            const float gap = std::max(1.5f, 0.1f * xu);
            const float from = own.empty ? x + 0.85f * xu : x + (0.15f - 0.35f * dd) * xu + own.right;
            const float to = RoomBeforeRightCell(d, x, col, row) + gap;
            const int reach = 4 * std::max(mv->GetCellHeight(), 8);
            const TInkBox dot = MeasureInk("adot|1.2|" + MarkKey(cell), reach,
                                           [&](float px, float py) { DrawAugmentationDot(d, px, py, cell, 1.2f); });
            if (dot.empty) {
                DrawAugmentationDot(d, xD + (0.9f + 0.7f * dd) * xu, dy, cell, 1.2f);
            } else {
                // round, about a fifth of the digit's width, and no larger than
                // leaves a third of the room free either side: a dot filling
                // the room between two digits reads as a decimal point
                const float room = to - from;
                const float fifth = own.empty ? 0.12f * xu : 0.18f * own.Width();
                const int size = std::max(
                    1, std::min({RoundToInt(dot.Width() - 2.0f), RoundToInt(fifth), static_cast<int>(room / 3.0f)}));
                const float cy = dy + 0.5f * (dot.top + dot.bottom);
                const int left = static_cast<int>(std::floor(0.5f * (from + to - static_cast<float>(size)) + 0.5f));
                DrawRoundDots(d, left, RoundToInt(cy - 0.5f * static_cast<float>(size)), size, 1, 0);
            }
        } else {
            DrawAugmentationDot(d, xD + (0.9f + 0.7f * dd) * xu, dy, cell, 1.2f);
            if (cell.option & 0x40u)
                DrawAugmentationDot(d, xD + (1.4f + 1.0f * dd) * xu, dy, cell, 1.2f);
        }
    }

    if (cell.Note != '0') {
        const bool s1 = (option & 0x400u) != 0, s2 = (option & 0x800u) != 0;
        if (s1 || s2)
            DrawSlashMarks(d, x + (0.7f + 0.3f * dd) * xu, y + (-0.05f + 0.1f * dd) * yu, cell, s1 && s2 ? 3 : s2 ? 2 : 1);

        if (cell.dot > 0)
            mY -= static_cast<float>(cell.dot) * 0.3f * yu * std::sqrt(s);
        if (option & 0x4000000u) {
            FillBar(x + (0.2f - 0.32f * dd) * xu, mY + (0.05f - 0.4f * dd) * yu, static_cast<int>(0.65f * xu * s),
                    static_cast<int>(0.1f * yu * s), -1);
            mY -= 0.5f * h;
        }
        // asked only of a note that has one of the marks below
        const bool musical = (option & (0x10u | 0x400000u | 0x20u)) && MusicFontInstalled(kMusical);
        if (option & (0x10u | 0x400000u)) {
            if (musical)
                DrawGlyph174Mark(d, x + (0.18f - 0.05f * dd) * yu, mY + (-1.8f - 2.3f * dd) * yu, cell, true, 0.8f);
            else
                DrawTriangleDown(d, x, mY + (-0.8f - 0.55f * dd) * yu, cell, true, 1.45f);
            mY -= 1.2f * h;
        }
        if (option & 0x20u) {
            if (musical)
                DrawAccentGlyph(d, x + (0.12f - 0.15f * dd) * yu, mY + (-0.8f - 1.22f * dd) * yu, cell, 1.0f);
            else
                DrawAccentVector(d, x - 0.07f * dd * yu, mY + (-0.75f - 0.35f * dd) * yu, cell, 1.0f);
        }
    }
    SetFontColor(d->MainLayerColor);
}

void DrawJianpuDash(TDrawEngine* d, float x, float y, const TCell&, int col, int row) {
    const TMainView* mv = MainView();
    const float xu = XUnit(), yu = YUnit();
    auto isDash = [&](int c) {
        if (c < 0 || c >= mv->Cols)
            return false;
        const TCell* n = CellAtAddress(c, row);
        return n && IsDashNote(n->Note);
    };
    const float inset = isDash(col - 1) || isDash(col + 1) ? 0.15f * xu : 0.1f * xu;
    const float half = std::max(1.0f, 0.03f * yu);
    const TRect r{static_cast<int>(x + inset), static_cast<int>(y - half), static_cast<int>(x + xu - inset),
                  static_cast<int>(y + half)};
    SetBrushColor(d->CurColor);
    FillCanvasRect(r);
    SetBrushStyle(bsClear);
}

int OctaveDotCount(int octave) {
    return octave >= 0 ? std::min(octave, kMaxOctaveDots) : (octave < -kMaxOctaveDots ? kMaxOctaveDots : -octave);
}

void DrawOctaveDots(TDrawEngine* d, float x, float y, const TCell& cell, int, int) {
    const int n = OctaveDotCount(cell.dot);
    if (n == 0)
        return;
    const float xu = XUnit(), yu = YUnit();
    const float s = cell.fontSizeR, dd = s - 1.0f;
    GetCellColor(d, cell);
    const bool above = cell.dot > 0;
    const float y0 = above ? y : y + (0.77f + 0.1f * static_cast<float>(cell.UL)) * yu * s;
    const float step = 0.15f * yu * s;
    // A ring about the digit: the dots stand outside it.
    const bool ringed = cell.Attr != kNoAttr && (cell.Attr & 0xF0u) == 0x10u && cell.Note != 'x' && cell.Note != 'X';
    const float clear = ringed ? (above ? -0.16f : 0.17f) * yu * s : 0.0f;
    if (!above && cell.UL > 0 && !ringed) {
        // Under the duration lines: from just below the lowest one, smaller
        // and closer where the usual dots would reach down into the digits
        // of the row below (which start about a fifth of a row down).
        const float xu0 = xu;
        const float ulTop = y + (0.83f + 0.3f * dd) * yu;
        const float spacing = std::ceil(yu * 0.1f * s - 1e-4f);
        const float ulBottom = ulTop + spacing * static_cast<float>(std::min(cell.UL, 5) - 1) +
                               static_cast<float>(static_cast<int>(0.12f * xu0 * s));
        TCanvas* c = TargetCanvas(nullptr);
        const float points = static_cast<float>(RoundToInt(MainView()->GetDrawScale() * s * 1.5f));
        const float em = points * static_cast<float>(c->PixelsPerInch()) / 72.0f;
        int size = std::max(2, RoundToInt(0.12f * em));
        const int top = static_cast<int>(std::ceil(ulBottom)) + std::max(1, RoundToInt(0.02f * yu));
        const float limit = y + 1.18f * yu * s;
        auto gapOf = [](int sz) { return std::max(1, RoundToInt((sz >= 5 ? 0.5f : 0.34f) * static_cast<float>(sz))); };
        while (size > 2 && static_cast<float>(top + n * size + (n - 1) * gapOf(size)) > limit)
            --size;
        const float cx = x + (0.25f - 0.2f * dd) * xu + 0.125f * em;
        DrawRoundDots(d, RoundToInt(cx - 0.5f * static_cast<float>(size)), top, size, n, 0, size + gapOf(size));
        c->Font.Color = d->CurColor;
        return;
    }
    DrawOctaveDotColumn(d, x + (0.25f - 0.2f * dd) * xu, y0 + clear + (-0.732f - 1.25f * dd) * yu, cell, 1.5f, n,
                        above ? -step : step);
}

float DrawOctaveDotColumn(TDrawEngine* d, float x, float y, const TCell& cell, float factor, int n, float step) {
    if (n <= 0)
        return 0.0f;
    TCanvas* c = TargetCanvas(nullptr);
    // The em of the "." glyph (its point size is whole, as the text drawers make
    // it); its ink is centred 0.125 em right of and 0.825 em below its origin.
    const float points = static_cast<float>(RoundToInt(MainView()->GetDrawScale() * cell.fontSizeR * factor));
    const float em = points * static_cast<float>(c->PixelsPerInch()) / 72.0f;
    const int size = std::max(2, RoundToInt(0.12f * em));
    const int gap = std::max(1, RoundToInt(0.5f * static_cast<float>(size)));
    const int pitch = std::max(RoundToInt(std::fabs(step)), size + gap) * (step < 0.0f ? -1 : 1);
    const int left = RoundToInt(x + 0.125f * em - 0.5f * static_cast<float>(size));
    const int top = RoundToInt(y + 0.825f * em - 0.5f * static_cast<float>(size));

    {
        const TSolidFillScope fill(c, d->CurColor);
        for (int i = 0; i < n; ++i) {
            const int t = top + i * pitch;
            c->Ellipse(left, t, left + size, t + size);
        }
    }
    // as the glyph dots leave it
    c->Brush.Style = bsClear;
    c->Font.Color = d->CurColor;
    return static_cast<float>((n - 1) * pitch);
}

void DrawAugmentationDot(TDrawEngine* d, float x, float y, const TCell& cell, float factor) {
    const float dd = cell.fontSizeR - 1.0f;
    DrawDotGlyph(d, x + (-0.15f - 0.32f * dd) * XUnit(), y + (-0.85f - 0.97f * dd) * YUnit(), cell, 1.5f * factor, -1);
}

void DrawCurvedArrowA(TDrawEngine* d, float x, float y, const TCell& cell, uint8_t variant, float factor) {
    if (HasMusicGlyph(kToccata, 254)) {
        const float dd = cell.fontSizeR - 1.0f;
        d->DrawCharGlyph(kToccata, x + (0.35f - 0.15f * dd) * XUnit(), y + (0.26f - 0.55f * dd) * YUnit(), 254, cell,
                         factor, fsBold);
        return;
    }
    DrawCurvedArrowVectorA(d, x, y, cell, variant, factor);
}

void DrawCurvedArrowB(TDrawEngine* d, float x, float y, const TCell& cell, uint8_t variant, float factor) {
    if (HasMusicGlyph(kToccata, 245)) {
        const float dd = cell.fontSizeR - 1.0f;
        d->DrawCharGlyph(kToccata, x + (0.35f - 0.15f * dd) * XUnit(), y + (0.26f - 0.55f * dd) * YUnit(), 245, cell,
                         factor, fsBold);
        return;
    }
    DrawCurvedArrowVectorB(d, x, y, cell, variant, factor);
}
