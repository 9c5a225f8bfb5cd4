#include "render/modTQDrawGongche.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <memory>

#include "model/modTQPredicates.h"
#include "model/modTQUtil.h"
#include "platform/core/TQCodec.h"
#include "platform/gui/TQGlyphMap.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQDrawMsc.h"
#include "render/modTQInkMeasure.h"
#include "render/modTQMainView.h"

namespace {

float XUnit() { return static_cast<float>(MainView()->GetCellWidth()); }
float YUnit() { return static_cast<float>(MainView()->GetCellHeight()); }
float DrawScale() { return MainView()->GetDrawScale(); }

std::string Decoded(const std::string& bytes, int charset) {
    return DecodeForDisplay(bytes, charset).value_or(bytes);
}

// The score's Chinese font, the face of every Gongche character.
std::string ChineseFace() {
    const TMainView* mv = MainView();
    return Decoded(mv->ChineseFontName, mv->ChineseFontCharset);
}

// One GBK character as canvas text.
std::string GbkText(uint8_t lead, uint8_t trail) {
    const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    std::string out;
    if (!CharsetToUtf8(std::string_view(bytes, 2), csGB2312, out))
        return std::string();
    return out;
}

void RestoreNoteFont(TCanvas* canvas) {
    const TMainView* mv = MainView();
    SetCanvasFont(Decoded(mv->NoteFontName, mv->NoteFontCharset), 0, mv->NoteFontStyle, canvas);
}

// One character in the narrow font, selected for this character only.
void DrawNarrowChar(TCanvas* canvas, float x, float y, const std::string& text, const TCell& cell) {
    TCanvas* c = TargetCanvas(canvas);
    // Created heights are pixels: the size in points at the canvas's resolution
    // (points are pixels at 96 per inch on screen).
    const int b = RoundToInt(DrawScale() * cell.fontSizeR * 0.7f * static_cast<float>(c->PixelsPerInch()) / 96.0f);
    auto font = std::make_shared<TLogFont>();
    // The height is the character's em: with the Chinese font the drawers were
    // made for, cell and em heights coincide, and a substitute with a taller
    // line would otherwise draw smaller characters than the other cells.
    font->Height = -RoundToInt(1.7f * static_cast<float>(b));
    font->Width = RoundToInt(0.6f * static_cast<float>(b));
    font->Weight = 900;
    font->Italic = false;
    font->Underline = false;
    font->StrikeOut = false;
    font->Charset = csGB2312;
    font->FaceName = ChineseFace();
    auto previous = c->SelectLogFont(font);
    CanvasTextOut(x + 0.1f * XUnit(), y + 0.1f * YUnit(), text, c);
    c->SelectLogFont(previous);
}

// Pitch characters by degree '1'..'7': below the middle octave, middle, one up.
struct TPitchChars {
    uint8_t low[2], mid[2], up1[2];
    bool ownUp1; // one octave up has its own character (no radical)
};
const TPitchChars kPitch[7] = {
    {{0xC9, 0xCF}, {0xC9, 0xCF}, {0xC9, 0xCF}, false}, // 1 上
    {{0xB3, 0xDF}, {0xB3, 0xDF}, {0xB3, 0xDF}, false}, // 2 尺
    {{0xB9, 0xA4}, {0xB9, 0xA4}, {0xB9, 0xA4}, false}, // 3 工
    {{0xB7, 0xB2}, {0xB7, 0xB2}, {0xB7, 0xB2}, false}, // 4 凡
    {{0xBA, 0xCF}, {0xC1, 0xF9}, {0xC1, 0xF9}, false}, // 5 合 / 六
    {{0xCB, 0xC4}, {0xCE, 0xE5}, {0xCE, 0xE9}, true},  // 6 四 / 五 / 伍
    {{0xD2, 0xBB}, {0xD2, 0xD2}, {0xD2, 0xDA}, true},  // 7 一 / 乙 / 亿
};

// The lower-octave marks of a character drawn at x: at the height they
// have when drawn at (mx, my), a small gap after the character's own ink (they
// belong to it, not to the character after it).
void DrawLowMarksBeside(TDrawEngine* d, float x, float mx, float my, const uint8_t (&ch)[2], const TCell& cell,
                        int count) {
    const TMainView* mv = MainView();
    const std::string key = std::to_string(ch[0]) + "." + std::to_string(ch[1]) + "|" + std::to_string(count) + "|" +
                            std::to_string(cell.fontSizeR) + "|" + std::to_string(DrawScale()) + "|" +
                            std::to_string(XUnit()) + "x" + std::to_string(YUnit()) + "|" + ChineseFace() + "|" +
                            std::to_string(FontInstalled("Book Antiqua"));
    const int reach = 4 * std::max(mv->GetCellHeight(), 8);
    const TInkBox own = MeasureInk("gcchar|" + key, reach, [&](float px, float py) {
        DrawGongcheChar(d, MainView()->OutCanvas, px, py, ch[0], ch[1], cell, 1.0f);
    });
    const TInkBox marks =
        MeasureInk("gclow|" + key, reach, [&](float px, float py) { DrawGongcheLowMarks(d, px, py, cell, count); });
    if (!own.empty && !marks.empty)
        mx = x + own.right + std::max(1.0f, 0.08f * own.Width()) - marks.left;
    DrawGongcheLowMarks(d, mx, my, cell, count);
}

} // namespace

void DrawGongcheCell(TDrawEngine* d, float x, float y, const TCell& cell) {
    x += 0.2f * XUnit();
    y += 0.1f * YUnit();
    if (IsJianpuDigit(cell.Note))
        DrawGongchePitch(d, x, y, cell);
    else
        DrawGongcheSymbol(d, x, y, cell);
}

void DrawGongcheBeatDot(TDrawEngine*, TCanvas* canvas, float x, float y, const TCell& cell, int mark) {
    if (mark < 2 || mark > 5)
        return;
    TCanvas* c = TargetCanvas(canvas);
    // The character's em square: from its text origin, centred in its line.
    SetCanvasFont(ChineseFace(), csGB2312, fsBold, c);
    const int points = RoundToInt(DrawScale() * cell.fontSizeR * 0.9f);
    SetFontSize(static_cast<float>(points), c);
    const float em = static_cast<float>(points * c->PixelsPerInch()) / 72.0f;
    const float line = static_cast<float>(CanvasTextExtent(GbkText(0xC9, 0xCF), c).cy); // 上
    RestoreNoteFont(c);
    const float left = x + 0.1f * XUnit();
    const float top = y + 0.1f * YUnit() + 0.5f * (line - em);
    const int size = std::max(2, RoundToInt(0.25f * em));
    const float gap = std::max(1.0f, 0.15f * em);
    const float half = 0.5f * static_cast<float>(size);
    float cx = left + 0.5f * em, cy = top + 0.5f * em;
    switch (mark) {
    case 2: cx = left + em + gap + half; break;
    case 3: cx = left - gap - half; break;
    case 4: cy = top + em + gap + half; break;
    default: cy = top - gap - half; break;
    }
    const TSolidFillScope fill(c, c->Font.Color);
    const int l = RoundToInt(cx - half), t = RoundToInt(cy - half);
    c->Ellipse(l, t, l + size, t + size);
}

void DrawGongcheChar(TDrawEngine*, TCanvas* canvas, float x, float y, uint8_t lead, uint8_t trail, const TCell& cell,
                     float factor) {
    TCanvas* c = TargetCanvas(canvas);
    SetCanvasFont(ChineseFace(), csGB2312, fsBold, c);
    SetFontSize(static_cast<float>(RoundToInt(DrawScale() * cell.fontSizeR * 0.9f * factor)), c);
    SetBrushStyle(bsClear, c);
    CanvasTextOut(x + 0.1f * XUnit(), y + 0.1f * YUnit(), GbkText(lead, trail), c);
    RestoreNoteFont(c);
}

void DrawGongcheHighRadical(TDrawEngine*, TCanvas* canvas, float x, float y, const TCell& cell, int octave) {
    const std::string radical = octave == 2 ? GbkText(0xE1, 0xDC) : GbkText(0xD8, 0xE9); // 彳, 亻
    DrawNarrowChar(canvas, x, y, radical, cell);
}

void DrawGongcheHighChar(TDrawEngine*, TCanvas* canvas, float x, float y, uint8_t lead, uint8_t trail,
                         const TCell& cell) {
    DrawNarrowChar(canvas, x + 0.45f * XUnit(), y, GbkText(lead, trail), cell);
}

void DrawGongcheCommaMarks(TDrawEngine*, TCanvas* canvas, float x, float y, const TCell& cell, int n) {
    if (n < 1)
        return;
    TCanvas* c = TargetCanvas(canvas);
    SetCanvasFont("Book Antiqua", 1, fsBold, c);
    SetFontSize(static_cast<float>(RoundToInt(DrawScale() * cell.fontSizeR * 0.9f)), c);
    SetBrushStyle(bsClear, c);
    for (int i = 0; i < n; ++i)
        CanvasTextOut(x + (1.4f + 0.25f * static_cast<float>(i)) * XUnit(), y + 0.02f * YUnit(), ",", c);
    RestoreNoteFont(c);
}

void DrawGongcheLowMarks(TDrawEngine* d, float x, float y, const TCell& cell, int n) {
    if (n < 1)
        return;
    TCanvas* out = MainView()->OutCanvas;
    const float xu = XUnit(), yu = YUnit();
    if (n == 1) {
        DrawGongcheChar(d, out, x + 1.1f * xu, y + 0.47f * yu, 0xA3, 0xA7, cell, 1.0f); // ＇
    } else if (n == 2) {
        DrawGongcheChar(d, out, x + 0.8f * xu, y + 0.27f * yu, 0xA1, 0xA8, cell, 1.0f); // 〃
    } else if (FontInstalled("Book Antiqua")) {
        DrawGongcheCommaMarks(d, out, x, y, cell, n);
    } else {
        for (int i = 0; i < n; ++i)
            d->DrawSymbolBitmap(x + (1.37f + 0.2f * static_cast<float>(i)) * xu, y + 0.61f * yu, 0.4f * xu,
                                siGongChiLowDot);
    }
}

void DrawGongchePitch(TDrawEngine* d, float x, float y, const TCell& cell) {
    TCanvas* out = MainView()->OutCanvas;
    const float xu = XUnit(), yu = YUnit();
    const float f = (cell.fontSizeR - 1.0f) * xu;
    x -= 0.8f * f;
    y -= 0.8f * f;
    const int dot = cell.dot;
    const int degree = cell.Note - '0';
    if (degree >= 1 && degree <= 7) {
        const TPitchChars& p = kPitch[degree - 1];
        if (dot == 0) {
            DrawGongcheChar(d, out, x, y, p.mid[0], p.mid[1], cell, 1.0f);
        } else if (dot == 1 && p.ownUp1) {
            DrawGongcheChar(d, out, x, y, p.up1[0], p.up1[1], cell, 1.0f);
        } else if (dot > 0) {
            DrawGongcheHighRadical(d, out, x - 0.5f * f, y, cell, dot);
            const float cx = (degree == 1 || degree == 4) ? x - 0.1f * xu : x;
            DrawGongcheHighChar(d, out, cx, y, p.mid[0], p.mid[1], cell);
        } else {
            DrawGongcheChar(d, out, x, y, p.low[0], p.low[1], cell, 1.0f);
            const int count = degree <= 4 ? -dot : -dot - 1;
            if (degree <= 4 && dot == -1)
                DrawLowMarksBeside(d, x, x + 1.15f * f, y + 1.1f * f, p.low, cell, count);
            else if (degree == 6)
                DrawLowMarksBeside(d, x, x + 1.2f * f, y + 0.7f * f, p.low, cell, count);
            else
                DrawLowMarksBeside(d, x, x + 0.82f * f, y + 0.7f * f, p.low, cell, count);
        }
    }

    // The beat mark.
    switch (cell.Attr) {
    case 1: {
        float a, b;
        if (dot <= -2) {
            a = 1.3f * f + 0.1f * xu;
            b = 0.2f * f + 0.25f * xu;
        } else if (dot == -1) {
            a = 1.3f * f;
            b = 0.2f * f + 0.2f * xu;
        } else if (dot == 0) {
            a = 0.8f * f;
            b = 0.0f;
        } else {
            a = 0.5f * f;
            b = 0.0f;
        }
        d->DrawGlyphString("Toccata", x + xu + a, y - 0.5f * yu + b, ".", cell, 2.0f, fsBold | fsItalic);
        break;
    }
    case 2:
    case 3:
    case 4:
    case 5:
        DrawGongcheBeatDot(d, out, x, y, cell, static_cast<int>(cell.Attr));
        break;
    default:
        break;
    }
}

void DrawGongcheSymbol(TDrawEngine* d, float x, float y, const TCell& cell) {
    TMainView* mv = MainView();
    TCanvas* out = mv->OutCanvas;
    const float xu = XUnit(), yu = YUnit();
    const float s = cell.fontSizeR;
    const float f = (s - 1.0f) * xu;
    switch (cell.Note) {
    case 1: // 、
        DrawGongcheChar(d, out, x + 0.2f * xu - 0.6f * f, y - 0.65f * yu - 2.3f * f, 0xA1, 0xA2, cell, 2.0f);
        break;
    case 2: // ·
        DrawGongcheChar(d, out, x + 0.18f * xu - 0.75f * f, y + 0.1f * yu - 0.8f * f, 0xA1, 0xA4, cell, 1.0f);
        break;
    case 3: // 。
        DrawGongcheChar(d, out, x + 0.15f * xu - 0.78f * f, y - 0.7f * yu - 2.3f * f, 0xA1, 0xA3, cell, 2.0f);
        break;
    case 4: // ㄥ
        DrawGongcheChar(d, out, x + 0.3f * xu - 0.5f * f, y + 0.15f * yu - 0.7f * f, 0xA8, 0xE5, cell, 0.8f);
        break;
    case 5: // △
        DrawGongcheChar(d, out, x + 0.4f * xu - 0.5f * f, y + 0.18f * yu - 0.5f * f, 0xA1, 0xF7, cell, 0.7f);
        break;
    case 6:
    case 7:
        if (FontInstalled("Arial")) {
            SetCanvasFont("Arial", 0, fsBold);
            SetFontSize(DrawScale() * 0.7f * s);
            SetBrushStyle(bsClear);
            if (cell.Note == 6)
                CanvasTextOut(x + 0.6f * xu - 0.37f * f, y + 0.2f * yu - 0.5f * f, "X");
            else
                CanvasTextOut(x + 0.5f * xu - 0.6f * f, y + 0.2f * yu - 0.6f * f, "IX");
            RestoreNoteFont(out);
        } else if (cell.Note == 6) {
            DrawGongcheChar(d, out, x + 0.4f * xu, y + 0.18f * yu, 0xA2, 0xFA, cell, 0.7f); // Ⅹ
        } else {
            DrawGongcheChar(d, out, x + 0.4f * xu, y + 0.18f * yu, 0xA2, 0xF9, cell, 0.7f); // Ⅸ
        }
        break;
    case 8:
    case 9: {
        const int cx = static_cast<int>(x + xu);
        const int cy = static_cast<int>(y + 0.55f * yu);
        const int L = static_cast<int>(0.5f * xu * s);
        const int saved = GetPenWidth();
        SetPenWidth(static_cast<int>(std::max(1.0f, std::floor(0.1f * xu))));
        DrawLine(static_cast<float>(cx - L), static_cast<float>(cy), static_cast<float>(cx + L), static_cast<float>(cy));
        if (cell.Note == 8) {
            const int k = std::max(1, static_cast<int>(std::ceil(0.3f * static_cast<float>(L) * s)));
            DrawLine(static_cast<float>(cx - L), static_cast<float>(cy), static_cast<float>(cx - L + k),
                     static_cast<float>(cy - k));
        }
        SetPenWidth(saved);
        break;
    }
    default:
        break;
    }
}
