#include "render/modTQDrawTextSym.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <utility>

#include "model/modTQCellAccess.h"
#include "model/modTQCellHelpers.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQUtil.h"
#include "platform/core/TQCodec.h"
#include "platform/gui/TQGlyphMap.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawAccid.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQInkMeasure.h"
#include "render/modTQMainView.h"

namespace {

const char* const kMusical = "MusicalSymbols";

float XUnit() { return static_cast<float>(MainView()->GetCellWidth()); }
float YUnit() { return static_cast<float>(MainView()->GetCellHeight()); }

// The canvas font back to the score's note font.
void RestoreNoteFont() {
    const TMainView* mv = MainView();
    std::string face = DecodeForDisplay(mv->NoteFontName, mv->NoteFontCharset).value_or(mv->NoteFontName);
    SetCanvasFont(face, -1, mv->NoteFontStyle);
}

// Font and placement of a word.
enum TWordFont { wfTimes, wfArial, wfChinese, wfArialPlain };
enum TAnchor { anWord, anWordRaised };
enum TSlot { slPlain = 0, slBold = 1, slItalic = 2, slBoldItalic = 3 };
// Words whose colour shows a changed play setting: crescendo rate, rit/arpeggio rate.
enum TRateMark { rmNone, rmCresc, rmRitArp };

struct TWord {
    int id;
    const char* text;
    TWordFont font;
    float size;
    TSlot slot;
    TRateMark rate;
    TAnchor anchor;
};

const TWord kWords[] = {
    {13, "D.S.", wfTimes, 0.9f, slBoldItalic, rmNone, anWord},
    {14, "D.C.", wfTimes, 0.9f, slBoldItalic, rmNone, anWord},
    {26, "Fine", wfTimes, 0.9f, slItalic, rmNone, anWord},
    {18, "sempre", wfTimes, 0.8f, slItalic, rmNone, anWord},
    {19, "poco", wfTimes, 0.8f, slItalic, rmNone, anWord},
    {20, "sub.", wfTimes, 0.8f, slItalic, rmNone, anWord},
    {21, "dim.", wfTimes, 0.8f, slItalic, rmCresc, anWord},
    {22, "cresc.", wfTimes, 0.8f, slItalic, rmCresc, anWord},
    {23, "gliss.", wfTimes, 0.8f, slItalic, rmNone, anWord},
    {25, "decresc.", wfTimes, 0.8f, slItalic, rmCresc, anWord},
    {38, "rit.", wfTimes, 0.8f, slItalic, rmRitArp, anWord},
    {39, "tempo", wfTimes, 0.8f, slItalic, rmNone, anWord},
    {41, "poco", wfTimes, 0.8f, slItalic, rmNone, anWord},
    {42, "rallent", wfTimes, 0.8f, slItalic, rmRitArp, anWord},
    {43, "similar", wfTimes, 0.8f, slItalic, rmNone, anWord},
    {48, "accel.", wfTimes, 0.8f, slItalic, rmRitArp, anWord},
    {103, "messo", wfTimes, 0.8f, slItalic, rmNone, anWord},
    {40, "Allegretto", wfTimes, 0.8f, slBold, rmNone, anWord},
    {84, "Vivo", wfTimes, 0.8f, slBold, rmNone, anWord},
    {85, "Vivace", wfTimes, 0.8f, slBold, rmNone, anWord},
    {101, "Tempo I", wfTimes, 0.8f, slBold, rmNone, anWord},
    {102, "Tempo II", wfTimes, 0.8f, slBold, rmNone, anWord},
    {79, "Coda", wfTimes, 0.9f, slBold, rmNone, anWord},
    {80, "Grave", wfTimes, 0.9f, slBold, rmNone, anWord},
    {81, "allargando", wfTimes, 0.9f, slBold, rmNone, anWord},
    {86, "Ad Libitum", wfTimes, 0.9f, slBold, rmNone, anWord},
    {87, "Agiato", wfTimes, 0.9f, slBold, rmNone, anWord},
    {88, "piu mosso", wfTimes, 0.9f, slBold, rmNone, anWord},
    {78, "sff", wfTimes, 0.9f * 1.13f, slBoldItalic, rmNone, anWordRaised},
    {30, "Largo", wfArial, 0.8f, slBold, rmNone, anWord},
    {31, "Larghetto", wfArial, 0.8f, slBold, rmNone, anWord},
    {32, "Adagio", wfArial, 0.8f, slBold, rmNone, anWord},
    {33, "Andante", wfArial, 0.8f, slBold, rmNone, anWord},
    {34, "Moderato", wfArial, 0.8f, slBold, rmNone, anWord},
    {35, "Allegro", wfArial, 0.8f, slBold, rmNone, anWord},
    {36, "Presto", wfArial, 0.8f, slBold, rmNone, anWord},
    {37, "Prestissimo", wfArial, 0.8f, slBold, rmNone, anWord},
    {44, "Lento", wfArial, 0.8f, slBold, rmNone, anWord},
    {45, "Andantino", wfArial, 0.8f, slBold, rmNone, anWord},
    {46, "vivace", wfArial, 0.8f, slBold, rmNone, anWord},
    {47, "prestissimo", wfArial, 0.8f, slBold, rmNone, anWord},
    {82, "Sostenuto", wfArial, 0.8f, slBold, rmNone, anWord},
    {83, "Comodo", wfArial, 0.8f, slBold, rmNone, anWord},
    {49, "messo", wfArial, 0.8f, slItalic, rmNone, anWord},
    {50, "庄板", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {51, "慢板", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {52, "中板", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {53, "小快板", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {54, "快板", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {55, "渐快", wfChinese, 0.7f, slPlain, rmRitArp, anWord},
    {56, "加快", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {57, "渐慢", wfChinese, 0.7f, slPlain, rmRitArp, anWord},
    {58, "原速", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {59, "稍慢", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {60, "最弱", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {62, "中弱", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {64, "中强", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {65, "强", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {66, "很强", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {67, "最强", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {68, "渐弱", wfChinese, 0.7f, slPlain, rmCresc, anWord},
    {69, "渐强", wfChinese, 0.7f, slPlain, rmCresc, anWord},
    {70, "突强", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {71, "强弱", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {74, "稍快", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {76, "原速 I", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {77, "原速 II", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {90, "广板", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {91, "柔板", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {92, "小广板", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {93, "行板", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {94, "如歌的行板", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {95, "慢中板", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {96, "速板", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {97, "快速板", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {98, "急板", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {99, "小行板", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {100, "最急板", wfChinese, 0.7f, slPlain, rmNone, anWord},
    {61, "弱", wfArialPlain, 0.7f, slPlain, rmNone, anWord},
    {63, "稍弱", wfArialPlain, 0.7f, slPlain, rmNone, anWord},
};

const TWord* FindWord(int id) {
    for (const TWord& w : kWords)
        if (w.id == id)
            return &w;
    return nullptr;
}

// Dynamics 1..11: the glyph of the music font and the text without it.
struct TDynamic {
    int code;          // character of "MusicalSymbols"
    const char* text;  // text form
};
const TDynamic kDynamics[11] = {{184, "ppp"}, {185, "pp"}, {'p', "p"}, {'P', "mp"}, {236, "fff"}, {196, "ff"},
                                {'f', "f"},   {'F', "mf"}, {'S', "sf"}, {'Z', "fz"}, {'f', "fp"}};

// Style bits of a slot: the cell's own style for every slot when it asks for it.
int SlotStyle(const TCell& cell, TSlot slot) {
    if (cell.upNote & 1)
        return cell.FontStyle;
    switch (slot) {
    case slBold: return fsBold;
    case slItalic: return fsItalic;
    case slBoldItalic: return fsBold | fsItalic;
    default: return 0;
    }
}

// Times New Roman text in a style; the note font is restored afterwards.
void TimesText(TDrawEngine* d, float x, float y, const std::string& text, const TCell& cell, float factor, int style) {
    SetFontStyle(style);
    d->DrawTimesText(x, y, text, cell, factor);
}

void ArialText(TDrawEngine* d, float x, float y, const std::string& text, const TCell& cell, float factor, int style) {
    SetFontStyle(style);
    d->DrawArialText(x, y, text, cell, factor);
    RestoreNoteFont();
}

bool ColourOutput() {
    const TMainView* mv = MainView();
    return mv->OutputKind == 0 || mv->OutputInColor;
}

} // namespace

void GetCellColor(TDrawEngine* d, const TCell& cell) {
    const TMainView* mv = MainView();
    TColor colour = d->CurColor;
    if (ColourOutput() && d->ShowChangedRed && cell.cellType != ctText &&
        (HasNotesVolAdj(cell) || cell.playDur != 0 || HasRitArpRateAdj(cell))) {
        colour = GetHighlightColor(d);
    } else if (d->CurColor == d->HidenLayerColor) {
        colour = d->CurColor;
    } else if (cell.upNote & 2) {
        const bool plain = (mv->OutputKind == 2 && !mv->OutputInColor) || (mv->OutputKind == 3 && !mv->ColorCopyImage);
        colour = plain ? d->CurColor : cell.FontColor;
    }
    SetFontColor(colour);
}

void DrawTextSymbol(TDrawEngine* d, float x, float y, TCell cell) {
    const int id = cell.Note;
    const TWord* word = FindWord(id);
    const bool special = id >= 1 && id <= 17;
    if (!word && !special)
        return;

    const TMainView* mv = MainView();
    SetBrushStyle(bsClear);
    if (id >= 1 && id <= 12)
        cell.fontSizeR *= static_cast<float>(mv->TextSymSize) * 0.125f;
    const float s = cell.fontSizeR;
    const float u = YUnit();
    const float v = XUnit();
    const float yA = y + (0.2f - 0.4f * (s - 1.0f)) * u;
    const float yB = y + (-0.75f - 1.4f * (s - 1.0f)) * u;
    const float yC = y - 0.6f * (s - 1.0f) * u;

    // Colour.
    const bool highlightAllowed = ColourOutput() && d->ShowChangedRed && d->CurColor != d->HidenLayerColor;
    TColor colour = d->CurColor;
    if (d->CurColor != d->HidenLayerColor && (cell.upNote & 2) && cell.FontColor != 32)
        colour = cell.FontColor;
    if (word && highlightAllowed &&
        ((word->rate == rmCresc && HasCrescRateAdj(cell)) || (word->rate == rmRitArp && HasRitArpRateAdj(cell))))
        colour = GetHighlightColor(d);
    SetFontColor(colour);

    if (word) {
        const float wy = word->anchor == anWordRaised ? yA - 0.2f * u : yA;
        const std::string text = word->text;
        switch (word->font) {
        case wfTimes:
            TimesText(d, x, wy, text, cell, word->size, SlotStyle(cell, word->slot));
            break;
        case wfArial:
            ArialText(d, x, wy, text, cell, word->size, SlotStyle(cell, word->slot));
            break;
        case wfArialPlain:
            ArialText(d, x, wy, text, cell, word->size, 0);
            break;
        case wfChinese:
            d->DrawCellFontText(x, wy, text, cell, word->size, -1);
            break;
        }
        return;
    }

    const bool font = MusicFontInstalled(kMusical);
    if (id <= 11) {
        const TDynamic& dyn = kDynamics[id - 1];
        if (font) {
            const float gx = id == 3 ? x + (0.2f - 0.35f * (s - 1.0f)) * v : x;
            d->DrawCharGlyph(kMusical, gx, yB, dyn.code, cell, 1.4f);
            if (id == 11)
                d->DrawCharGlyph(kMusical, x + (0.4f + 0.4f * (s - 1.0f)) * v, yB, 'p', cell, 1.4f);
        } else {
            TimesText(d, x, yC, dyn.text, cell, 0.9f, SlotStyle(cell, slBoldItalic));
        }
        return;
    }
    switch (id) {
    case 12:
        TimesText(d, x + 0.2f * v, yC, "sfp", cell, 0.9f, SlotStyle(cell, slBoldItalic));
        break;
    case 15: {
        const float lower = cell.breakPoint == 1 ? 0.1f * u : 0.0f; // the sign's second place
        if (font) {
            d->DrawCharGlyph(kMusical, x + (0.1f - 0.4f * (s - 1.0f)) * v, y + (-0.6f - 1.3f * (s - 1.0f)) * u, 217,
                             cell, 1.4f, SlotStyle(cell, slPlain));
            DrawAccidental(d, cell, x, y - 0.37f * u + lower);
            break;
        }
        const float trY = y + (0.16f - 0.5f * (s - 1.0f)) * u;
        TimesText(d, x + (0.15f - 0.4f * (s - 1.0f)) * v, trY, "tr", cell, 1.4f * 0.65f,
                  SlotStyle(cell, slBoldItalic));
        // The drawn sign stands on the "tr" as the glyph sign stands on the trill
        // glyph: its foot a pixel above the top of the "t", 0.32 em below the
        // text's top.
        const float points = static_cast<float>(RoundToInt(mv->GetDrawScale() * s * 1.4f * 0.65f));
        const float em = points * static_cast<float>(TargetCanvas(nullptr)->PixelsPerInch()) / 72.0f;
        DrawAccidental(d, cell, x, trY + 0.32f * em - 1.0f - AccidentalFallbackBottom(d, cell) + lower);
        break;
    }
    case 16:
    case 17: {
        // "8" and then, right after it, the smaller "va" or "vb".
        TimesText(d, x, yC, "8", cell, 0.9f * 1.1f, fsBold);
        SetCanvasFont("Times New Roman", -1, fsBold);
        SetFontSize(mv->GetDrawScale() * cell.fontSizeR * 0.9f * 1.1f);
        const float w8 = static_cast<float>(CanvasTextExtent("8").cx);
        RestoreNoteFont();
        TimesText(d, x + w8, yC, id == 16 ? "va" : "vb", cell, 0.9f * 0.6f, SlotStyle(cell, slItalic));
        break;
    }
    default:
        break;
    }
}

namespace {

// A note cell's highest and lowest head position in staff steps (down from
// the middle line), over the notes of its chord.
std::pair<int, int> HeadSteps(const TCell& note) {
    int high = static_cast<int>(note.yAdj), low = high;
    for (int k = 0; k < GetChordNoteCount(note); ++k) {
        high = std::min(high, GetChordNotePos(note, k));
        low = std::max(low, GetChordNotePos(note, k));
    }
    return {high, low};
}

// The columns of the page x range x0..x1.
std::pair<int, int> ColumnsOver(const TDrawEngine* d, float x0, float x1) {
    const float X = XUnit();
    const float left = static_cast<float>(d->GetLeftMarginPx());
    return {std::max(0, static_cast<int>(std::floor((x0 - left) / X))), static_cast<int>(std::floor((x1 - left) / X))};
}

// The highest head (in staff steps) of the notes beamed with the note at
// (col, row), itself included.
int HighestHeadOfBeam(int col, int row) {
    int high = HeadSteps(*CellAtAddress(col, row)).first;
    for (int step : {-1, 1})
        for (int c = col; c >= 0 && c < MainView()->Cols; c += step) {
            const TCell* n = CellAtAddress(c, row);
            if (!n || (!IsWestNoteCell(*n) && !IsEmptyCell(*n)) || (IsWestNoteCell(*n) && n->Note < 4))
                break;
            if (!IsWestNoteCell(*n))
                continue;
            high = std::min(high, HeadSteps(*n).first);
            if (n->option & (step < 0 ? 0x2u : 0x4u))
                break;
        }
    return high;
}

} // namespace

float StaffInkBottomOver(TDrawEngine* d, int row, float x0, float x1, float beamReach) {
    // The staff above fills its row: its bottom line is this row's top. Its
    // lowest ink: heads, and the ends of stems and beams that point down (the
    // drawn notes keep their stem ends).
    const float Y = YUnit();
    const float space = 0.25f * Y;
    const float rowTop = static_cast<float>(d->GetTopMarginPx() + row * d->GetBaseYUnit());
    const float middle = rowTop - 0.5f * Y;
    float lowest = rowTop;
    const auto [c0, c1] = ColumnsOver(d, x0, x1);
    for (int c = c0; c <= c1; ++c) {
        const TCell* above = CellAtAddress(c, row - 1);
        if (!above || !IsWestNoteCell(*above))
            continue;
        lowest = std::max(lowest, middle + (static_cast<float>(HeadSteps(*above).second) + 1.0f) * 0.5f * space);
        if (above->Note > 1 && !IsStemFlipped(*above) && above->FontCharset > 0) {
            const bool beamed = (above->option & 0x6u) != 0 || above->Note >= 4;
            lowest = std::max(lowest, static_cast<float>(above->FontCharset) + (beamed ? beamReach : 0.0f));
        }
    }
    return lowest;
}

float StaffInkTopOver(TDrawEngine* d, int row, float x0, float x1) {
    // The staff below is drawn after this row: where its heads stand comes
    // from the cells (a pixel more for the rounding of a small head), and a
    // stem going up reaches three spaces and three quarters over its head; a
    // beam on it, half a space more over the highest head of its group (the
    // beam slants down from there).
    const float Y = YUnit();
    const float space = 0.25f * Y;
    const float rowBottom = static_cast<float>(d->GetTopMarginPx() + (row + 1) * d->GetBaseYUnit());
    const float middle = rowBottom + 0.5f * Y;
    float highest = rowBottom;
    const auto [c0, c1] = ColumnsOver(d, x0, x1);
    for (int c = c0; c <= c1; ++c) {
        const TCell* below = CellAtAddress(c, row + 1);
        if (!below || !IsWestNoteCell(*below))
            continue;
        auto headAt = [&](int steps) { return middle + static_cast<float>(steps) * 0.5f * space; };
        highest = std::min(highest, headAt(HeadSteps(*below).first) - 0.5f * space - 1.0f);
        if (below->Note > 1 && IsStemFlipped(*below) && !IsWholeNoteValue(*below)) {
            if (below->Note >= 4)
                highest = std::min(highest, headAt(HighestHeadOfBeam(c, row + 1)) - 4.25f * space);
            else
                highest = std::min(highest, headAt(HeadSteps(*below).first) - 3.75f * space);
        }
    }
    return highest;
}

float DynamicDropUnderStaff(TDrawEngine* d, int /*col*/, int row, float x, float y, const TCell& cell) {
    if (cell.Note < 1 || cell.Note > 12 || row < 1 || !IsWestRow(row - 1, 0, -1))
        return 0.0f;
    const TMainView* mv = MainView();
    const float Y = YUnit();
    const float space = 0.25f * Y;
    const std::string key = "dynamic|" + std::to_string(cell.Note) + "|" + std::to_string(cell.fontSizeR) + "|" +
                            std::to_string(mv->TextSymSize) + "|" + std::to_string(MusicFontInstalled(kMusical)) +
                            "|" + std::to_string(mv->GetCellWidth()) + "x" + std::to_string(mv->GetCellHeight()) +
                            "|" + std::to_string(mv->GetDrawScale());
    const TInkBox ink = MeasureInk(key, 4 * std::max(mv->GetCellHeight(), 8),
                                   [&](float px, float py) { DrawTextSymbol(d, px, py, cell); });
    if (ink.empty)
        return 0.0f;
    const float rowTop = static_cast<float>(d->GetTopMarginPx() + row * d->GetBaseYUnit());
    // (a beam counted half a space past the stem end it is drawn from)
    const float lowest = StaffInkBottomOver(d, row, x + ink.left, x + ink.right, 0.5f * space);
    const float top = y + ink.top;
    const float drop = lowest + 0.5f * space - top;
    if (drop <= 0.0f)
        return 0.0f;
    // No further than a quarter space past the top line of the staff below
    // (a descender may reach it where the stems above leave no more room).
    const float room = rowTop + Y + 0.25f * space - (y + ink.bottom);
    return std::max(0.0f, std::min(drop, room));
}
