#include "notation/modTQDrawWest.h"

#include <algorithm>
#include <cmath>

#include "model/modTQCellAccess.h"
#include "model/modTQCellHelpers.h"
#include "model/modTQKeys.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "model/modTQTailLinks.h"
#include "model/modTQUtil.h"
#include "notation/modTQCrossStaff.h"
#include "notation/modTQNoteHint.h"
#include "notation/modTQWestRest.h"
#include "notation/modTQWestSlur.h"
#include "platform/gui/TQGlyphMap.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawAccid.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQDrawShrink.h"
#include "render/modTQDrawWest.h"
#include "render/modTQMainView.h"

namespace {

const char* const kMusical = "MusicalSymbols";
constexpr int kBracedGrandStaff = 54191118;

float XUnit() { return static_cast<float>(MainView()->GetCellWidth()); }
float YUnit() { return static_cast<float>(MainView()->GetCellHeight()); }
bool MusicFont() { return MusicFontInstalled(kMusical); }
bool ReducedRun(const TDrawEngine* d) { return d->GetSizeFactor() == 0.7f; }

// Puts the drawing colour back when a drawer returns.
class TColourGuard {
public:
    explicit TColourGuard(TDrawEngine* d) : d_(d), saved_(d->CurColor) {}
    ~TColourGuard() { d_->CurColor = saved_; }

private:
    TDrawEngine* d_;
    TColor saved_;
};

// ---- key signature tables ----

// Octave selectors: how far (in octaves of 0.85 Y) an accidental moves for the
// clef's vertical shift r.
enum TOctaveSel : int8_t { osNone, osD1, osD0, osU2, osU1 };

int OctaveMove(TOctaveSel sel, int r) {
    switch (sel) {
    case osD1:
        return r <= -2 ? 1 : 0;
    case osD0:
        return r <= -1 ? 1 : 0;
    case osU2:
        return r >= 2 ? -1 : 0;
    case osU1:
        return r >= 1 ? -1 : 0;
    default:
        return 0;
    }
}

struct TKeyStep {
    int8_t step;
    TOctaveSel sel;
};

// [accidental i - 1][clef: treble, bass, alto, tenor]
constexpr TKeyStep kSharpSteps[7][4] = {
    {{0, osD0}, {2, osNone}, {1, osD0}, {6, osU2}},  // F
    {{3, osD1}, {5, osNone}, {4, osD1}, {2, osD0}},  // C
    {{-1, osD0}, {1, osNone}, {0, osD0}, {5, osU2}}, // G
    {{2, osD1}, {4, osNone}, {3, osD1}, {1, osD0}},  // D
    {{5, osNone}, {7, osU2}, {6, osU2}, {4, osNone}}, // A
    {{1, osD1}, {3, osNone}, {2, osD1}, {0, osD0}},  // E
    {{4, osNone}, {6, osU2}, {5, osU2}, {3, osNone}}, // B
};
constexpr TKeyStep kFlatSteps[7][4] = {
    {{0, osU2}, {2, osU1}, {1, osU2}, {-1, osNone}},  // B
    {{-3, osD1}, {-1, osNone}, {-2, osD1}, {-4, osD0}}, // E
    {{1, osU2}, {3, osU1}, {2, osU2}, {0, osNone}},   // A
    {{-2, osD1}, {0, osNone}, {-1, osD1}, {-3, osD0}}, // D
    {{2, osU2}, {4, osU1}, {3, osU1}, {1, osU2}},     // G
    {{-1, osD1}, {1, osNone}, {0, osD1}, {-2, osD0}}, // C
    {{3, osU2}, {5, osU1}, {4, osU1}, {2, osU2}},     // F
};
// Letters (A = 0 .. G = 6) of the sharps F C G D A E B and the flats B E A D G C F.
constexpr int kSharpLetters[7] = {5, 2, 6, 3, 0, 4, 1};
constexpr int kFlatLetters[7] = {1, 4, 0, 3, 6, 2, 5};

// Sharps (positive) or flats (negative) of a key code; 0 for C and unknown codes.
int KeyAccidentalCount(int key) {
    if (key >= 1 && key <= 5)
        return key;
    if (key == 13)
        return 6;
    if (key == 14)
        return 7;
    if (key >= 6 && key <= 12)
        return -(key - 5);
    return 0;
}

int ClefColumn(int clef) {
    switch (clef) {
    case -1:
        return 0;
    case -2:
        return 1;
    case -3:
        return 2;
    case -5:
        return 3;
    default:
        return -1;
    }
}

} // namespace

// ---------------------------------------------------------------- staff header

void DrawWestStaffHeader(TDrawEngine* d, float x, float y, TCell& cell, int col, int row) {
    const float X = XUnit();
    const float Y = YUnit();
    TColourGuard colour(d);
    d->CurColor = d->MainLayerColor;
    SetFontColor(d->MainLayerColor);

    TCell c = cell;
    if (c.fontSizeR > 1.0f)
        c.fontSizeR = 1.0f;
    const float s = c.fontSizeR;
    const float dd = 1.0f - s;
    const int options = c.playDur;

    ClearKeyAccidTable();
    ClearBarAccidTable();

    if (c.iEnd > col) {
        DrawWestStaffLines(d, x, y, c, col, row);
        x += 0.2f * X;
    } else {
        x -= 0.2f * X;
    }
    if (ReducedRun(d))
        return;

    x += c.xAdj * 0.05f * X;
    if (c.option & 0x40) {
        DrawDotGlyph(d, x - 0.3f * X, y - 1.1f * Y, c, 1.4f, -1);
        DrawDotGlyph(d, x - 0.3f * X, y - 0.85f * Y, c, 1.4f, -1);
        x += 0.5f * X;
    }

    switch (c.Note) {
    case -4: // drum: a hollow box of four bars, no key signature
        SetBrushColor(d->CurColor);
        SetPenColor(d->CurColor);
        FillRectColor(std::min(x - 0.1f * X, x - 0.18f * X), y - 0.6f * Y, std::max(x - 0.1f * X, x - 0.18f * X),
                      y + 0.3f * Y, d->CurColor);
        FillRectColor(x + 0.22f * X, y - 0.6f * Y, x + 0.3f * X, y + 0.3f * Y, d->CurColor);
        FillRectColor(x - 0.1f * X, y - 0.6f * Y, x + 0.3f * X, y - 0.5f * Y, d->CurColor);
        FillRectColor(x - 0.1f * X, y + 0.2f * Y, x + 0.3f * X, y + 0.3f * Y, d->CurColor);
        return;
    case -6: // tablature
        SetBrushStyle(bsClear);
        d->DrawGlyphString("Arial", x, y - 0.79f * Y, "T", c, 0.65f, fsBold);
        d->DrawGlyphString("Arial", x, y - 0.45f * Y, "B", c, 0.65f, fsBold);
        d->DrawGlyphString("Arial", x, y - 0.1f * Y, "A", c, 0.65f, fsBold);
        return;
    default:
        break;
    }

    if (c.yAdj != 0.0f)
        y += c.yAdj * 0.25f * Y;
    if (options & 4) {
        x -= 1.3f * X;
    } else if (MusicFont()) {
        switch (c.Note) {
        case -1:
            d->DrawGlyphString(kMusical, x - 0.2f * X, y + (-1.1f + 1.2f * dd) * Y, "&", c, 1.5f);
            break;
        case -2:
            d->DrawGlyphString(kMusical, x + (-0.25f + 0.8f * dd) * X, y + (-1.03f + 0.65f * dd) * Y, "?", c, 1.4f);
            break;
        case -3:
            d->DrawGlyphString(kMusical, x + (-0.2f + 0.9f * dd) * X, y + (-1.02f + 0.95f * dd) * Y, "B", c, 1.45f);
            break;
        case -5:
            d->DrawGlyphString(kMusical, x + (-0.2f + 0.9f * dd) * X, y + (-1.3f + 0.95f * dd) * Y, "B", c, 1.45f);
            break;
        default:
            break;
        }
    } else {
        // The clef pictures are cropped to their ink: the F clef's top stands on
        // the top line, the C clef's middle on its line (the middle line, one
        // line higher for the tenor clef).
        const float h = 0.7f * Y;
        const float y2 = s < 0.9f ? y + 0.4f * Y : y;
        switch (c.Note) {
        case -1:
            d->DrawSymbolBitmap(x + (-0.3f + 0.9f * dd) * X, y2 + (-1.2f + 0.3f * dd) * Y, 1.2f * 0.9f * h * s,
                                siGClef, 1.2f * 2.3f * h * s);
            break;
        case -2:
            d->DrawSymbolBitmap(x + (-0.3f + 0.9f * dd) * X, y2 + (-0.72f - 0.15f * dd) * Y, 1.1f * h * s, siFClef);
            break;
        case -3:
            d->DrawSymbolBitmap(x + (-0.2f + dd) * X, y2 + (-0.82f + 0.2f * dd) * Y, 1.23f * h * s, siCClef);
            break;
        case -5:
            d->DrawSymbolBitmap(x + (-0.2f + dd) * X, y2 + (-1.07f + 0.2f * dd) * Y, 1.23f * h * s, siCClef);
            break;
        default:
            break;
        }
    }

    if (static_cast<int32_t>(c.Attr) > 0 && !(options & 2))
        DrawKeySignature(d, x, y, c, false);

    if (c.Note == -1 || c.Note == -2 || c.Note == -3 || c.Note == -5) {
        float ox = 0.0f, oy = 0.0f;
        bool mark = true;
        if (options & 64) {
            if (c.Note == -1) {
                ox = x + 0.3f * X;
                oy = y - (1.7f - 1.6f * dd) * Y;
            } else {
                ox = x + (0.2f - 0.6f * dd) * X;
                oy = y + ((c.Note == -5 ? -1.5f : -1.3f) + 0.7f * dd) * Y;
            }
        } else if (options & 128) {
            if (c.Note == -1) {
                ox = x + 0.3f * X;
                oy = y + (0.6f - 0.5f * dd) * Y;
            } else {
                ox = x + (0.1f - 0.6f * dd) * X;
                oy = y + (0.25f - 0.5f * dd) * Y;
            }
        } else {
            mark = false;
        }
        if (mark)
            d->DrawGlyphString("Times New Roman", ox, oy, "8", c, 0.8f, fsBold | fsItalic);
    }
}

void DrawWestStaffLines(TDrawEngine* d, float x, float y, const TCell& clef, int col, int row) {
    TMainView* mv = MainView();
    const float X = XUnit();
    const float Y = YUnit();
    TCell c = clef;
    const int lastCol = mv->Cols - 1;
    if (c.iEnd > lastCol)
        c.iEnd = lastCol;

    const float xEnd = static_cast<float>(d->GetLeftMarginPx()) + X * static_cast<float>(c.iEnd + 1);
    float x1 = x - 0.2f * X;
    const float y1 = y - 0.7f * Y;
    const float gap = 0.25f * Y;
    d->BraceRow = 0;
    {
        TColourGuard colour(d);
        d->CurColor = d->MainLayerColor;
        const bool coloured = mv->mitMiddleLineinRedChecked &&
                              (mv->OutputKind == 0 || (mv->OutputKind == 2 && mv->OutputInColor));
        const int width = static_cast<int>(xEnd - x1);
        // An engraved staff line is about 0.13 of a staff space thick.
        const int thick = std::max(1, static_cast<int>(std::lround(0.13f * gap)));
        for (int k = 0; k <= 4; ++k) {
            if (c.Note == -4 && k != 2)
                continue;
            TColor lineColour = -1;
            if (coloured && k == 2)
                lineColour = 0x0000FF;
            else if (coloured && (k == 0 || k == 4))
                lineColour = 0x008000;
            FillBar(x1, y1 + static_cast<float>(k) * gap, width, thick, lineColour);
        }
    }

    // The end cell is read from the stored clef cell, as the staff was laid out.
    TCell stored;
    GetCell(stored, col, row, 0, -1);
    const int endCol = std::min(stored.iEnd, lastCol);
    TCell endCell;
    if (endCol >= 0)
        GetCell(endCell, endCol, row, 0, -1);
    const bool endLine = !(c.playDur & 1) && !(endCol >= 0 && endCell.cellType == ctTimeSig);
    const int barW = static_cast<int>(0.12f * X);

    if (c.markType == kBracedGrandStaff) {
        // A partner clef below, even directly on the next row, gets the brace.
        const int r = LastRowBeforeNextClef(d, col, row);
        if (r >= 0) {
            x1 += 0.5f * X;
            d->BraceRow = r + 1;
            c.jEnd = r + 1;
            DrawStaffBraceMark(d, x1 - X, y1, -1, row, c, true);
            if (endLine)
                FillBar(xEnd, y1, barW, static_cast<int>(Y * static_cast<float>(c.jEnd - row + 1) + 0.12f * X), -1);
        } else {
            FillBar(x1, y1, static_cast<int>(0.02f * X), static_cast<int>(Y), -1);
            if (endLine)
                FillBar(xEnd, y1, barW, static_cast<int>(Y + 0.12f * X), -1);
        }
        return;
    }
    if (ReducedRun(d))
        return;
    if (c.playDur & 16)
        FillBar(x1, y1, barW, static_cast<int>(Y + 0.12f * X), -1);
    if (endLine)
        FillBar(xEnd, y1, barW, static_cast<int>(Y + 0.12f * X), -1);
}

int LastRowBeforeNextClef(TDrawEngine*, int col, int row) {
    const TMainView* mv = MainView();
    TCell cell;
    for (int r = row + 1; r < mv->Rows; ++r) {
        if (GetCell(cell, col, r, 0, -1) && IsClefCell(cell))
            return r - 1;
    }
    return -1;
}

// ---------------------------------------------------------------- key signatures

void DrawKeySignature(TDrawEngine* d, float x, float y, TCell clef, bool cancel) {
    if (ReducedRun(d))
        return;
    const float X = XUnit();
    const float Y = YUnit();
    if (cancel && clef.yAdj != 0.0f)
        y += clef.yAdj * 0.25f * Y;
    float xK = x + 0.1f * X;
    if (clef.fontSizeR < 0.9f)
        xK -= 0.3f * X;
    clef.fontSizeR = 1.0f;
    const float w = 0.2f * Y;
    const int column = ClefColumn(clef.Note);
    if (column < 0)
        return;
    if (!cancel) {
        if (clef.Note == -2)
            xK += 0.1f * X;
        else if (clef.Note == -3 || clef.Note == -5)
            xK += 0.2f * X;
    }
    const float yK = y;
    const int count = KeyAccidentalCount(static_cast<int32_t>(clef.Attr));
    const int r = RoundToInt(clef.yAdj);
    for (int i = std::abs(count); i >= 1; --i) {
        const float ax = xK + static_cast<float>(i - 1) * w;
        if (count > 0) {
            const TKeyStep& k = kSharpSteps[i - 1][column];
            DrawKeySharp(d, ax, yK + k.step * 0.125f * Y, OctaveMove(k.sel, r), clef, 0.7f, cancel);
            KeyAccidentals[kSharpLetters[i - 1]] = 1;
        } else {
            const TKeyStep& k = kFlatSteps[i - 1][column];
            DrawKeyFlat(d, ax, yK + k.step * 0.125f * Y, OctaveMove(k.sel, r), clef, 1.0f, cancel);
            KeyAccidentals[kFlatLetters[i - 1]] = 2;
        }
    }
}

void DrawKeyCancel(TDrawEngine* d, float x, float y, int col, int row) {
    const int clefCol = FindClefColLeft(col - 1, row);
    if (clefCol < 0)
        return;
    TCell clef;
    GetCell(clef, clefCol, row, -1, -1);
    clef.fontSizeR = 1.0f;
    DrawKeySignature(d, x, y, clef, true);
}

void DrawKeySharp(TDrawEngine* d, float x, float y, int n, const TCell& clef, float f, bool natural) {
    const float X = XUnit();
    const float Y = YUnit();
    y += static_cast<float>(n) * 0.85f * Y;
    if (natural) {
        DrawNaturalGlyph(d, x - 0.1f * X, y - 1.68f * Y, clef, 1.5f * f);
    } else if (MusicFont()) {
        DrawSharpGlyph(d, x + 1.25f * X, y - 1.675f * Y, clef, 1.5f * f);
    } else {
        const float dx = (clef.Note == -1 || clef.Note == -2) ? 1.35f : 1.3f;
        DrawSharpVector(d, x + dx * X, y - 0.7f * Y, clef, 1.5f * f, 2);
    }
}

void DrawKeyFlat(TDrawEngine* d, float x, float y, int n, TCell clef, float, bool natural) {
    if (ReducedRun(d))
        return;
    const float X = XUnit();
    const float Y = YUnit();
    y += static_cast<float>(n) * 0.85f * Y;
    if (natural)
        DrawNaturalGlyph(d, x - 0.05f * Y, y - 1.23f * Y, clef, 1.1f);
    else if (MusicFont())
        DrawFlatGlyph(d, x + 1.25f * X, y - 1.4f * Y, clef, 1.3f);
    else
        DrawFlatBitmap(d, x + 1.25f * X, y - 0.615f * Y, clef, 1.3f);
}

// ---------------------------------------------------------------- braces

void DrawStaffBraceMark(TDrawEngine* d, float x, float y, int col, int row, const TCell& cell, bool bar) {
    const int n = cell.jEnd - row;
    if (n < 0)
        return;
    const int c = std::min(n, 6);
    const float W = XUnit();
    const float H = YUnit();
    const float g = 0.05f * H * static_cast<float>(cell.markHAdj);
    // Rows stand one base unit apart, as the cell loop places them.
    const float YE = static_cast<float>(d->GetBaseYUnit() * (cell.jEnd + 1) + d->GetTopMarginPx());
    const float top = y - g;
    const float bottom = YE + H * cell.yAdj * 0.1f + g + 0.05f * H * static_cast<float>(cell.MarkY + cell.EndYAdj);
    TColourGuard colour(d);
    d->CurColor = d->MainLayerColor;

    float xl;
    if (col != 0 && IsClefCell(cell))
        xl = x - 0.52f * W;
    else if (col != 0)
        xl = x - 0.5f * W;
    else
        xl = x - 1.02f * W;
    const float fn = static_cast<float>(n);
    const float fc = static_cast<float>(c);
    if (n >= 7 || !MusicFont()) {
        d->DrawSymbolBitmap(xl + W * (0.3f - 0.1f * fn) + 0.4f * W, top, W * (0.3f + 0.1f * fn), siBrace2,
                            bottom - top);
    } else {
        const float gx = xl + W * (0.52f - 0.01f * fc * fc);
        const float gy = y - H * (0.1f * (fn - 2.0f) + 0.85f);
        const float size = 0.97f * (fn + 1.0f);
        const float widthFactor = 1.0f / (fn + 1.0f) + 0.04f * (fc - 2.0f);
        d->DrawCharGlyph2(kMusical, gx, gy, 167, cell, size, 0, widthFactor);
        d->DrawCharGlyph2(kMusical, gx, gy + 0.5f * H * (fn - 2.0f) + 1.52f * H, 234, cell, size, 0, widthFactor);
    }
    if (bar)
        FillBar(xl + 1.02f * W, top, static_cast<int>(0.12f * W), static_cast<int>(bottom - top), -1);
    if (IsJianpuMusicRow(row))
        DrawRepeatDotsColumn(d, xl + 1.15f * W, y, row, cell);
}

void DrawRepeatDotsColumn(TDrawEngine* d, float x, float y, int firstRow, TCell cell) {
    const float H = YUnit();
    if (firstRow < cell.jEnd)
        y -= 0.15f * H;
    if (!(cell.option & 0x40))
        return;
    for (int r = firstRow; r <= cell.jEnd; ++r) {
        const float i = static_cast<float>(r - firstRow);
        if (!IsJianpuMusicRow(r))
            continue;
        DrawDotGlyph(d, x, y + (i - 0.25f) * H, cell, 1.4f, -1);
        DrawDotGlyph(d, x, y + i * H, cell, 1.4f, -1);
    }
}

// ---------------------------------------------------------------- cells

namespace {

// How far left a rest moves for the accidental of the note in the next column,
// which stands left of its head and reaches back into the rest's column: the
// rest and its dots keep an eighth of a column clear of it, using the room of
// an empty column before them (at most three quarters of it); with no empty
// column before, the rest stays.
float RestRoomForNextSign(int col, int row, const TCell& rest) {
    const TCell* next = CellAtAddress(col + 1, row);
    const TCell* before = col > 0 ? CellAtAddress(col - 1, row) : nullptr;
    if (!next || !before || !IsEmptyCell(*before))
        return 0.0f;
    const float signLeft = 1.0f + HeadSignLeft(*next);
    // The rest's right edge from its cell's left, its dots included.
    const bool dot = (rest.option & 0x8u) || (rest.option & 0x40u);
    const bool twoDots = (rest.option & 0x40u) != 0;
    const float dotAt = rest.Note <= 21 ? 0.9f : 0.7f;
    const float right = twoDots ? dotAt + 0.67f : dot ? dotAt + 0.37f : rest.Note <= 21 ? 0.99f : 0.65f;
    const float need = right + 0.125f - signLeft;
    return need > 0.0f ? std::min(need, 0.75f) * XUnit() : 0.0f;
}

} // namespace

void DrawWestCellDispatch(TDrawEngine* d, float x, float y, int col, int row, TCell& cell) {
    SetPenStyle(psSolid);
    int code = cell.Note;
    if (CurLayer == 1) {
        TCell base;
        GetCell(base, col, row, 0, -1);
        code = base.Note;
    }
    if (code == -15) {
        if (CurLayer == 0)
            DrawKeyCancel(d, x, y, col, row);
        return;
    }
    if (code >= 58 && code <= 63) {
        ClearBarAccidTable();
        return;
    }
    if (cell.Note >= 19 && cell.Note <= 27)
        DrawWestRest(d, x + YUnit() * cell.xAdj * 0.1f - RestRoomForNextSign(col, row, cell), y, cell);
    else
        DrawWestCell(d, x, y, col, row, cell);
}

void DrawWestCell(TDrawEngine* d, float x, float y, int col, int row, TCell& cell) {
    const float X = XUnit();
    const float Y = YUnit();
    x += Y * cell.xAdj * 0.1f;
    const bool normal = !IsShrinkCell(cell) && (!IsGraceCell(cell) || (cell.option & 0x10000000u));
    if (!normal) {
        // A grace cell inside an open group neither joins nor breaks it.
        const bool keep = d->BeamMode != 0 && IsGraceNoteCell(cell);
        const int mode = d->BeamMode;
        const std::vector<TFPoint4> points = keep ? d->BeamPoints : std::vector<TFPoint4>();
        d->BeamPoints.clear();
        DrawWesternNoteGroup(d, x, y, col, row, cell);
        d->BeamPoints.clear();
        if (keep) {
            d->BeamMode = mode;
            d->BeamPoints = points;
        }
        if (cell.option & 0x8000u)
            DrawNoteNameHint(d, col, row);
        return;
    }

    if (cell.option & (0x2u | 0x100u)) {
        d->BeamPoints.clear();
        if (CombineTailEndCol(col + 1, row) > 0) {
            d->BeamStartCol = col;
            d->BeamMode = 1;
        }
        if (FindCrossStaffEndCol(d, col, row) > 0) {
            d->BeamStartCol = col;
            d->BeamMode = 2;
        }
    }
    TFPoint4 point = DrawWesternNote(d, x, y, col, row, cell, cell);
    if (cell.option & 0x80u)
        DrawStemLink(d, col, row, cell);
    if (d->BeamMode != 0 && cell.Note >= 4 && cell.Note <= 9) {
        point.x2 = static_cast<float>(col);
        d->BeamPoints.push_back(point);
    }
    if (d->BeamMode == 0 && (cell.option & 0x8000u))
        DrawNoteNameHint(d, col, row);

    if (cell.option & 0x4u) {
        DrawBeamedGroup(d, row);
        OwnSmallNote(col, row, 0);
        d->BeamPoints.clear();
        d->BeamMode = 0;
    } else if (cell.option & 0x200u) {
        int clefCol = col;
        if (FindClefLeft(clefCol, row) == -2)
            DrawCrossStaffGroup(d, d->BeamStartCol, col, row);
        OwnSmallNote(col, row, 0);
        d->BeamPoints.clear();
        d->BeamMode = 0;
    }

    if (cell.option & 0x10000000u) {
        const TCell* grid = CellAtAddress(col, row);
        const float h = static_cast<float>(grid ? grid->FontCharset : cell.FontCharset);
        if (IsStemFlipped(cell))
            DrawLine(x + 0.3f * X, h + 0.3f * Y, x + 0.8f * X, h + 0.15f * Y);
        else
            DrawLine(x - 0.05f * X, h - 0.3f * Y, x + 0.4f * X, h - 0.15f * Y);
    }

    if (col > 0) {
        TCell left;
        GetCell(left, col - 1, row, -1, -1);
        if (IsGraceNoteCell(left)) {
            DrawWesternTie(d, x, y, col - 1, row, cell);
        } else if (IsEmptyCell(left) && col >= 2) {
            TCell second;
            GetCell(second, col - 2, row, -1, -1);
            if (IsGraceNoteCell(second))
                DrawWesternTie(d, x, y, col - 2, row, cell);
        }
    }
}

void DrawStemLink(TDrawEngine*, int col, int row, const TCell& cell) {
    const TMainView* mv = MainView();
    const int dr = cell.dot;
    const int dc = cell.UL;
    if (dr > 0 || row + dr < 0 || col + dc < 0 || col + dc >= mv->Cols)
        return;
    const TCell* other = CellAtAddress(col + dc, row + dr);
    if (!other || !IsWestNoteCell(*other, 1))
        return;
    const TCell* self = CellAtAddress(col, row);
    const TCell& me = self ? *self : cell;
    const float X = XUnit();
    SetPenWidthScaled(0.04f * cell.fontSizeR);
    const float cOther = static_cast<float>(other->upNote);
    const float eOther = static_cast<float>(other->FontCharset);
    const float cThis = static_cast<float>(me.upNote);
    const float eThis = static_cast<float>(me.FontCharset);
    const bool up = IsStemFlipped(cell);
    if (up && !IsStemFlipped(*other)) {
        DrawLine(cOther - 0.25f * X, eOther, cThis + 0.31f * X, eThis + 1.0f);
    } else if (dc == 0) {
        const float lx = up ? cOther + 0.295f * X : cOther - 0.26f * X;
        DrawLine(lx, eOther, lx, eThis);
    }
    SetPenWidthScaled(0.027f);
}
