#include "notation/modTQNoteHint.h"

#include <algorithm>
#include <cmath>

#include "model/modTQCellAccess.h"
#include "model/modTQKeys.h"
#include "model/modTQNoteLetter.h"
#include "model/modTQPredicates.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawAccid.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQMainView.h"

namespace {

// An accidental glyph before a letter: its drawer, its ink width and the depth
// of its middle (its bowl's, for the flats) below the point it is drawn at, in
// x and y units per unit of size factor (as the signs of Western heads are
// drawn), and its size against a sharp's.
struct THintAccid {
    char letter;
    void (*draw)(TDrawEngine*, float, float, const TCell&, float, TCanvas*);
    float width; // in x units
    float depth; // in y units
    float size;
};

void Sharp(TDrawEngine* d, float x, float y, const TCell& c, float f, TCanvas* cv) {
    DrawSharpGlyph(d, x, y, c, f, cv);
}
void Flat(TDrawEngine* d, float x, float y, const TCell& c, float f, TCanvas* cv) {
    DrawFlatGlyph(d, x, y, c, f, cv);
}
void Natural(TDrawEngine* d, float x, float y, const TCell& c, float f, TCanvas* cv) {
    DrawNaturalGlyph(d, x, y, c, f, cv);
}
void HalfSharp(TDrawEngine* d, float x, float y, const TCell& c, float f, TCanvas* cv) {
    DrawHalfSharp(d, x, y, c, f, cv);
}
void DoubleFlat(TDrawEngine* d, float x, float y, const TCell& c, float f, TCanvas* cv) {
    DrawDoubleFlatGlyph(d, x, y, c, f, cv);
}
void DoubleSharp(TDrawEngine* d, float x, float y, const TCell& c, float f, TCanvas* cv) {
    DrawDoubleSharpGlyph(d, x, y, c, f, cv);
}
void ReversedFlat(TDrawEngine* d, float x, float y, const TCell& c, float f, TCanvas* cv) {
    DrawReversedFlat(d, x, y, c, f, cv);
}
void ThreeQuarterSharp(TDrawEngine* d, float x, float y, const TCell& c, float f, TCanvas* cv) {
    DrawThreeQuarterSharp(d, x, y, c, f, cv);
}
void ThreeQuarterFlat(TDrawEngine* d, float x, float y, const TCell& c, float f, TCanvas* cv) {
    DrawThreeQuarterFlat(d, x, y, c, f, cv);
}

const THintAccid kAccids[] = {
    {'k', Sharp, 0.34f, 1.09f, 1.0f},
    {'l', Flat, 0.28f, 1.07f, 1.1f},
    {'n', Natural, 0.24f, 1.1f, 1.0f},
    {'p', HalfSharp, 0.3f, 0.86f, 1.0f},
    {'o', DoubleFlat, 0.5f, 1.1f, 1.0f},
    {'m', DoubleSharp, 0.32f, 1.08f, 1.0f},
    {'q', ReversedFlat, 0.28f, 0.875f, 1.0f},
    {'r', ThreeQuarterSharp, 0.4f, 0.87f, 1.0f},
    // The three-quarter flat has a form of its own (not the reversed flat).
    {'s', ThreeQuarterFlat, 0.45f, 0.5f, 1.0f},
};

const THintAccid* FindAccid(char c) {
    for (const THintAccid& a : kAccids)
        if (a.letter == c)
            return &a;
    return nullptr;
}

// Name of one staff position: the accidental glyph, then the letter.
std::string NameAt(int position, int col, int row) {
    std::string glyph;
    const std::string letter = GetNoteLetter(position, col, row, glyph);
    return letter.empty() ? std::string() : glyph + letter;
}

std::string CellNames(const TCell& cell, int col, int row) {
    if (!IsWestNoteCell(cell, 1))
        return {};
    std::string out;
    if (!cell.CompressNotes.empty()) {
        for (size_t k = 0; k < cell.CompressNotes.size(); ++k) {
            const TCompressNote& n = cell.CompressNotes[k];
            if (IsWestRestCode(n.code) || n.code == 32)
                continue;
            if (!out.empty())
                out += " ";
            out += NameAt(n.value, col, row);
        }
        return out;
    }
    for (int k = GetChordNoteCount(cell) - 1; k >= 0; --k)
        out += NameAt(GetChordNotePos(cell, k), col, row) + "t";
    const std::string main = NameAt(static_cast<int>(cell.yAdj), col, row);
    if (main.empty())
        return {};
    return out + main;
}

} // namespace

void ReadClefKeyBefore(int col, int row) {
    TMainView* mv = MainView();
    int c = col - 1;
    if (c < 0)
        return;
    const int clef = FindClefLeft(c, row);
    if (c < 0)
        return;
    TCell header;
    if (!GetCell(header, c, row, 0, -1))
        return;
    mv->CurClef = clef;
    mv->CurKey = static_cast<int>(header.Attr);
}

std::string GetWestNoteNames(int col, int row, bool accidentalsOnly) {
    (void)accidentalsOnly;
    TCell cell;
    if (!GetCell(cell, col, row, -1, -1))
        return {};
    std::string out = CellNames(cell, col, row);
    const TMainView* mv = MainView();
    const int other = CurLayer == 0 ? 1 : 0;
    if (mv->HasJianpuPage()) {
        TCell twin;
        if (GetCell(twin, col, row, other, -1)) {
            const std::string names = CellNames(twin, col, row);
            if (!names.empty())
                out += "u" + names;
        }
    }
    return out;
}

std::string GetNoteHintText(int col, int row) {
    return GetWestNoteNames(col, row, true);
}

void DrawNoteNameHint(TDrawEngine* d, int col, int row) {
    TMainView* mv = MainView();
    ReadClefKeyBefore(col, row);
    if (mv->CurClef == -4 || !IsWestNoteAt(col, row, 1))
        return;
    const std::string text = GetNoteHintText(col, row);
    if (text.empty())
        return;
    TCell cell;
    GetCell(cell, col, row, -1, -1);
    const float X = static_cast<float>(mv->GetCellWidth());
    const float Y = static_cast<float>(mv->GetCellHeight());
    const float z = mv->HintSize;
    const float x = static_cast<float>(cell.upNote) - X * z * 0.35f;
    SetFontSize(mv->GetDrawScale() * z);
    const float e = static_cast<float>(IsStemFlipped(cell) ? cell.FontCharset : cell.FontStyle);
    const float rowTop = static_cast<float>(d->GetTopMarginPx()) + static_cast<float>(row) * Y;
    float y = std::min(rowTop - z * Y, e - z * Y);
    // Above a stem that rises high the text still keeps to the row above this
    // staff, clear of the staff or notes over it.
    TCanvas* cv = TargetCanvas(mv->OutCanvas);
    SetFontSize(PagePixelPoints(std::trunc(X * z)), cv);
    y = std::max(y, rowTop - Y + 0.3f * static_cast<float>(CanvasTextExtent("C", cv).cy));
    DrawTextWithAccidentals(d, x, y, text, mv->OutCanvas);
}

void DrawTextWithAccidentals(TDrawEngine* d, float x, float y, const std::string& text, TCanvas* canvas) {
    TMainView* mv = MainView();
    TCanvas* cv = TargetCanvas(canvas);
    std::string s = text;
    if (!s.empty() && s.back() == '\n')
        s.pop_back();
    if (s.empty())
        return;
    const float X = static_cast<float>(mv->GetCellWidth());
    SetFontSize(PagePixelPoints(std::trunc(X * mv->HintSize)), cv);
    const TSize first = CanvasTextExtent(s.substr(0, 1), cv);
    const float w = static_cast<float>(first.cx);
    const float h = static_cast<float>(first.cy);
    float y0 = y - 0.3f * h;
    for (char c : s)
        if (c == 't' || c == 'u')
            y0 -= h;
    if (y0 < 2.0f)
        y0 = 2.0f;

    const int savedPen = GetPenWidth(cv);
    SetFontColor(0x000000, cv);
    SetPenWidth(2, cv);
    const TCell plain;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == 't')
            continue;
        if (c == 'u') {
            if (mv->pnlHintVisible)
                DrawLine(0.0f, y0 + 0.15f * h, static_cast<float>(mv->pnlHintWidth), y0 + 0.15f * h, cv);
            SetFontColor(0x808080, cv);
            y0 += 0.3f * h;
            continue;
        }
        if (const THintAccid* a = FindAccid(c)) {
            if (i + 1 < s.size()) {
                ++i;
                CanvasTextOut(x, y0, std::string(1, s[i]), cv);
            }
            // The sign is as tall as the letter is, its middle on the letter's
            // middle, just left of it: the hint's own size, clear of the notes
            // and staff it stands over.
            const int size = GetFontSize(cv);
            const TBrushStyle brush = GetBrushStyle(cv);
            SetBrushStyle(bsClear, cv);
            const float Y = static_cast<float>(mv->GetCellHeight());
            const float f = 1.4f * mv->HintSize * a->size;
            const float middle = y0 + 0.55f * h;
            a->draw(d, x - 0.1f * w - a->width * f * X, middle - 0.87f * a->depth * f * Y, plain, f, cv);
            SetBrushStyle(brush, cv);
            SetFontSize(static_cast<float>(size), cv);
            y0 += h;
            continue;
        }
        CanvasTextOut(x, y0, std::string(1, c), cv);
        y0 += h;
    }
    SetPenWidth(savedPen, cv);
}
