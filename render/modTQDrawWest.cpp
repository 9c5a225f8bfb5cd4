#include "render/modTQDrawWest.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>

#include "model/modTQCellAccess.h"
#include "model/modTQCellHelpers.h"
#include "model/modTQGroup.h"
#include "model/modTQMainScore.h"
#include "model/modTQNoteLetter.h"
#include "model/modTQPredicates.h"
#include "model/modTQScan.h"
#include "model/modTQUtil.h"
#include "notation/modTQDrawWest.h"
#include "notation/modTQMarkGlyphs.h"
#include "notation/modTQCrossStaff.h"
#include "notation/modTQNoteHint.h"
#include "notation/modTQWestRest.h"
#include "notation/modTQWestSlur.h"
#include "render/modTQDrawJianpu.h"
#include "platform/gui/TQBitmap.h"
#include "platform/gui/TQGlyphMap.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQMainView.h"
#include "render/modTQViewQuery.h"

namespace {

const char* const kMusical = "MusicalSymbols";

float XUnit() { return static_cast<float>(MainView()->GetCellWidth()); }
float YUnit() { return static_cast<float>(MainView()->GetCellHeight()); }
bool MusicFont() { return MusicFontInstalled(kMusical); }
bool StemUp(const TCell& cell) { return IsStemFlipped(cell); }
// Head glyphs are used only when zoomed in (the printer's pages are zoomed
// to its resolution, and get them too).
bool Zoomed(const TDrawEngine*) { return MainView()->Zoom > 1.2; }

// a + b (f - 1): an offset with its size term.
float Sz(float a, float b, float f) { return a + b * (f - 1.0f); }

TRect BoxOf(float l, float t, float r, float b) { return TRect{RoundToInt(l), RoundToInt(t), RoundToInt(r), RoundToInt(b)}; }

// The grid cell itself (current page and layer), for the positions drawing
// writes back; nullptr outside the grid.
TCell* GridCell(int col, int row) { return const_cast<TCell*>(CellAtAddress(col, row)); }

// Row tops as the cell loop places them.
float RowTop(const TDrawEngine* d, int row) {
    return static_cast<float>(row * d->GetBaseYUnit() + d->GetTopMarginPx());
}

// Positions are trusted only within this many steps of the middle line, so a
// damaged value cannot make a ledger loop run away.
constexpr int kMaxPosition = 200;
int ClampPos(int p) { return std::clamp(p, -kMaxPosition, kMaxPosition); }

// The highest a stem going up from (col, row) may reach: a quarter space
// below the lowest head of a note in the same column of the staff in the row
// above or the one above that (drawn already: its head's centre is stored);
// else no limit (a very small y).
float StemCeiling(int col, int row) {
    const int upper = row > 0 ? FindWestRowBack(row - 1) : -1;
    if (upper < 0 || row - upper > 2)
        return -1.0e9f;
    const TCell* above = CellAtAddress(col, upper);
    if (!above || !IsWestNoteCell(*above) || above->FontStyle == 0)
        return -1.0e9f;
    int steps = 0; // from the last (highest) head drawn down to the main, lowest, one
    for (const TWestChord& item : above->westChordArray)
        steps += item.interval;
    const float step = 0.125f * YUnit();
    return static_cast<float>(above->FontStyle) + static_cast<float>(steps) * step + step + 0.5f * step;
}

} // namespace

TColor GetHighlightColor(const TDrawBaseObj* d) {
    return CurLayer == MainView()->btnLayerImageIndex - 60 ? d->EditLayerHighlightColor
                                                              : d->OtherLayerHighlightColor;
}

// ---------------------------------------------------------------- notes

float HeadSignLeft(const TCell& note) {
    if (!IsWestNoteCell(note, 1) || note.Attr == kNoAttr || (note.option & 0x2000u))
        return 1.0f;
    const uint32_t kind = note.Attr & 0xFu;
    if (kind < 1 || kind > 9)
        return 1.0f;
    // How far each sign reaches left of the head, in columns (sharp, flat,
    // natural, half sharp, double flat, double sharp, reversed flat, three
    // quarter sharp, three quarter flat), with or without the music font; the
    // head starts 0.17 column into its cell.
    static const float kReach[9] = {0.5f, 0.47f, 0.45f, 0.4f, 0.78f, 0.6f, 0.55f, 0.55f, 0.8f};
    return 0.17f - kReach[kind - 1];
}

namespace {

// How far right a note with an accidental moves in its cell so that the sign
// keeps a quarter space clear of the stem that rises on the right of the head
// in the column before (at most 0.3 column: the cell's right part is free).
float RoomAfterStemBefore(int col, int row, const TCell& cell) {
    const TCell* before = col > 0 ? CellAtAddress(col - 1, row) : nullptr;
    if (!before || !IsWestNoteCell(*before, 1) || !IsStemFlipped(*before) || IsWholeNoteValue(*before) ||
        before->Note <= 1 || (before->option & 0x1000u) || IsCrossStaff(*before))
        return 0.0f;
    // The stem stands 0.86 column into the column before.
    const float need = -0.14f + 0.125f - HeadSignLeft(cell);
    return need > 0.0f ? std::min(need, 0.3f) * XUnit() : 0.0f;
}

} // namespace

TFPoint4 DrawWesternNote(TDrawEngine* d, float x, float y, int col, int row, TCell& cell, const TCell& owner) {
    TFPoint4 R;
    const bool symbol = IsAccidentalSymbolCode(cell.Note);
    if (IsWestNoteCode(cell.Note) || IsWholeNoteValue(cell) || symbol) {
        const float X = XUnit();
        const float Y = YUnit();
        x += 0.2f * X;
        if (owner.CompressNotes.empty() && !IsGraceCell(owner) && !symbol)
            x += RoomAfterStemBefore(col, row, cell);
        cell.FontStyle = 0;
        const TRect box = DrawWestChord(d, x, y, col, row, cell, owner);
        if (!symbol && !IsWholeNoteValue(cell) && cell.Note > 1) {
            // A free stem going up stops short of a head hanging down from the
            // staff above, by at most a space.
            TCell stemCell = cell;
            if (d->BeamMode == 0 && IsStemFlipped(cell) && !(cell.option & 0x1000u)) {
                TCell measured = cell;
                measured.option |= 0x1000u;
                DrawWestStem(R, d, box.Left, box.Top, box.Right, box.Bottom, measured, col, row);
                const float over = std::min(StemCeiling(col, row) - R.y2, 0.25f * Y);
                if (over > 0.0f)
                    stemCell.stemAdj -= over / (0.1f * Y);
            }
            DrawWestStem(R, d, box.Left, box.Top, box.Right, box.Bottom, stemCell, col, row);
            cell.FontCharset = stemCell.FontCharset;
            const bool graceChord = HasWestChordNotes(cell) && (cell.option & 0x10000000u);
            if (!(cell.option & 0x1000u) && (d->BeamMode == 0 || graceChord))
                DrawNoteFlags(d, R, cell);
        }
        if (IsWholeNoteValue(cell)) {
            const float sx = static_cast<float>(box.Right) + 0.3f * X;
            const float sy = static_cast<float>(box.Bottom) - 0.5f * Y;
            DrawWestStemSlashes(d, sx, sy, sx, sy, cell, 0.7f);
            R.y1 = static_cast<float>(box.Top) + 0.25f * Y;
            R.y2 = static_cast<float>(box.Bottom);
            DrawChordOrnaments(d, col, row, x, R, cell);
        } else if (owner.CompressNotes.empty() && d->BeamMode == 0) {
            DrawChordOrnaments(d, col, row, x, R, cell);
        }
    }
    if (TCell* grid = GridCell(col, row))
        grid->FontCharset = static_cast<int32_t>(R.y2);
    return R;
}

TRect DrawWestChord(TDrawEngine* d, float x, float y, int col, int row, TCell& cell, const TCell& owner) {
    const float X = XUnit();
    const float Y = YUnit();
    const float f = cell.fontSizeR;
    const bool up = StemUp(cell);
    float w = cell.Note == 1 ? 0.68f * X : 0.56f * X;
    if (f != 1.0f)
        w -= (1.0f - f) * X * 0.5f;
    if (up)
        w = -w;
    const int n = GetChordNoteCount(cell);
    std::vector<float> s(static_cast<size_t>(n) + 2, 0.0f);
    bool anyShift = false;

    // Seconds: of a run of seconds every second head goes to the other side.
    bool previous = false;
    for (int k = 0; k < n; ++k) {
        if (cell.westChordArray[static_cast<size_t>(k)].interval == 1 && !previous && CanShiftChordSecond(d, cell, k)) {
            if (k == n - 1) {
                if (up)
                    s[static_cast<size_t>(k) + 1] = w;
                else
                    s[static_cast<size_t>(k)] = w;
            } else {
                s[static_cast<size_t>(k) + 1] = w;
            }
            previous = true;
            anyShift = true;
        } else {
            previous = false;
        }
    }
    // Reversed heads swap sides.
    for (int k = 1; k <= n; ++k) {
        if (cell.westChordArray[static_cast<size_t>(k) - 1].option & 0x4000u) {
            float& v = s[static_cast<size_t>(k)];
            v = v == 0.0f ? w : 0.0f;
            anyShift = true;
        }
    }
    if (cell.option & 0x4000u) {
        s[0] = s[0] == 0.0f ? w : 0.0f;
        anyShift = true;
    }

    const int m = static_cast<int>(cell.yAdj);
    const TRect b0 = DrawWestHead(d, x, y, -1, col, row, cell, owner, m, m, s[0], anyShift);
    bool haveNormal = false, haveShifted = false;
    int normalLeft = 0, shiftedLeft = 0;
    auto remember = [&](float shift) {
        if (shift == 0.0f) {
            normalLeft = b0.Left;
            haveNormal = true;
        } else {
            shiftedLeft = b0.Left;
            haveShifted = true;
        }
    };
    remember(s[0]);
    TRect last = b0;
    int t = m;
    int sum = 0;
    for (int k = 0; k < n; ++k) {
        sum += cell.westChordArray[static_cast<size_t>(k)].interval;
        const float yk = y - static_cast<float>(sum) * 0.125f * Y;
        const int pk = m - sum;
        cell.FontStyle = 0;
        last = DrawWestHead(d, x, yk, k, col, row, cell, owner, m, pk, s[static_cast<size_t>(k) + 1], anyShift);
        cell.westChordArray[static_cast<size_t>(k)].headY = cell.FontStyle;
        if (TCell* grid = GridCell(col, row); grid && grid != &cell &&
                                               static_cast<int>(grid->westChordArray.size()) == n)
            grid->westChordArray[static_cast<size_t>(k)].headY = cell.FontStyle;
        remember(s[static_cast<size_t>(k) + 1]);
        t = pk;
    }
    (void)haveShifted;
    TRect box;
    box.Left = haveNormal ? normalLeft : shiftedLeft;
    box.Top = std::min(b0.Top, last.Top);
    box.Bottom = std::max(b0.Bottom, last.Bottom);
    box.Right = b0.Right;
    if (up && s[0] != 0.0f)
        box.Bottom = static_cast<int>(static_cast<float>(box.Bottom) + 0.03f * Y);

    // Ledger lines: only the outermost heads draw them.
    int mm = m;
    if (!IsCrossStaff(cell)) {
        if (t < mm && t > 0)
            t = 0;
        if (t < mm && mm < 0)
            mm = 0;
    }
    if (IsWestNoteCell(cell)) {
        const float yLast = y - static_cast<float>(sum) * 0.125f * Y;
        if (t >= 6 || t <= -6)
            DrawLedgerLines(d, x, yLast, t, cell);
        if (mm != t && (mm >= 6 || mm <= -6))
            DrawLedgerLines(d, x, y, mm, cell);
    }
    if (IsCrossStaff(cell))
        DrawCrossStaffChord(d, col, row, x, cell);
    return box;
}

bool CanShiftChordSecond(TDrawEngine* d, const TCell& cell, int k) {
    if (!IsCrossStaff(cell))
        return true;
    std::vector<int> P;
    GetChordPositions(cell, P);
    const int n = GetChordNoteCount(cell);
    int B = GetCrossStaffLimit(cell);
    if (d->GetCurrentClef() != -1)
        B = -B;
    const int index = StemUp(cell) ? k + 1 : n - 1 - k;
    if (index < 0 || index >= static_cast<int>(P.size()))
        return true;
    return P[static_cast<size_t>(index)] != B;
}

int GetCrossStaffLimit(const TCell& cell) { return cell.breakPoint + 6; }

std::vector<int> GetChordHeadPositions(const TCell& cell) {
    std::vector<int> P;
    P.push_back(static_cast<int>(cell.yAdj));
    for (const TWestChord& item : cell.westChordArray)
        P.push_back(P.back() - item.interval);
    return P;
}

TRect DrawWestHead(TDrawEngine* d, float x, float y, int i, int col, int row, TCell& cell, const TCell& owner,
                   int m, int pos, float shift, bool anyShift) {
    TMainView* mv = MainView();
    const float X = XUnit();
    const float Y = YUnit();
    const float f = cell.fontSizeR;
    const bool chordNote = i >= 0 && i < GetChordNoteCount(cell);
    const uint32_t attr = chordNote ? cell.westChordArray[static_cast<size_t>(i)].attr : cell.Attr;
    const uint32_t option = chordNote ? cell.westChordArray[static_cast<size_t>(i)].option : cell.option;

    // A cross-staff head beyond the limit stands on the other staff.
    const int limit = GetCrossStaffLimit(cell);
    const int parity = std::abs(pos) - limit;
    if (IsCrossStaff(cell) && parity >= -1) {
        if (pos <= -limit) {
            const int r = FindWestRowBack(row - 1);
            if (r >= 0 && r < row)
                y -= (static_cast<float>(row - r) - 1.5f) * Y;
        }
        if (pos >= limit) {
            const int r = FindRowWithClefNear(1, row, -2);
            if (r >= 0 && r > row)
                y += (static_cast<float>(r - row) - 1.5f) * Y;
        }
    }

    if (IsAccidentalSymbolCode(cell.Note)) {
        DrawAccidentalSymbolNote(d, x, y, cell);
        return TRect{};
    }

    const TColor saved = d->CurColor;
    const int kind = mv->OutputKind;
    if (d->DrumTabRow) {
        // percussion and tablature rows keep the drawing colour
    } else if (cell.color != -1 && cell.color != d->MainLayerColor) {
        d->CurColor = cell.color;
    } else if (mv->ColorBlackkeyNote &&
               (kind == 0 || (kind == 2 && mv->OutputInColor) || (kind == 3 && mv->ColorCopyImage))) {
        bool black = false;
        TColor c = GetAccidentalNoteColor(d, pos, attr, col, row, black);
        if (!IsLayerButtonShowing(CurLayer) && kind == 0 && black)
            c = LightenColor(c);
        d->CurColor = c;
    } else if ((kind == 0 || mv->OutputInColor) && d->ShowChangedRed &&
               (HasNotesVolAdj(cell) || cell.playDur != 0 || HasRitArpRateAdj(cell))) {
        d->CurColor = GetHighlightColor(d);
    }
    SetFontColor(d->CurColor);

    TRect box;
    if (IsWholeNoteValue(cell))
        box = DrawWholeHead(d, x, y, cell, option, shift);
    else if (cell.Note == 2)
        box = DrawHalfHead(d, x, y, cell, option, shift);
    else
        box = DrawFilledHead(d, x, y, cell, owner, option, shift);

    if (cell.FontStyle == 0)
        cell.FontStyle = (box.Top + box.Bottom) / 2;
    cell.upNote = (box.Left + box.Right) / 2;
    if (TCell* grid = GridCell(col, row); grid && grid != &cell) {
        grid->FontStyle = cell.FontStyle;
        grid->upNote = cell.upNote;
    }
    d->CurColor = saved;
    SetFontColor(saved);

    DrawWestDots(d, col, row, parity, i, static_cast<float>(box.Right), y, m, pos, option, anyShift, cell);

    // The accidental stands left of the head, in one of three columns.
    float ax = static_cast<float>(box.Left);
    float g = 0.0f;
    if (col > 0) {
        TCell left;
        GetCell(left, col - 1, row, -1, -1);
        if (left.Note == 32)
            g = 0.05f * Y;
    }
    const bool colA = (option & 0x800000u) != 0;
    const bool colB = (option & 0x1000000u) != 0;
    if (colA && colB)
        ax -= 0.5f * X + g;
    else if (colB)
        ax -= 0.2f * X + 2.0f * g;
    else if (colA)
        ax -= 0.1f * X + g;
    if (shift != 0.0f && !StemUp(cell))
        ax -= 0.45f * X;
    ax -= g;

    if (option & 0x2000u)
        return box;
    if (AttrHasNibble(attr, 0x10)) {
        const TSize extent{static_cast<int>(0.5f * X), static_cast<int>(0.25f * Y)};
        if (IsGraceCell(owner))
            DrawTextCircle(d, ax - 0.95f * X, y - 1.2f * Y, cell, extent, 0.6f);
        else if (IsShrinkCell(owner))
            DrawTextCircle(d, ax - 0.8f * X, y - 1.2f * Y, cell, extent, 1.0f);
        else
            DrawTextCircle(d, ax + Sz(-0.7f, 0.5f, f) * X, y + Sz(-1.2f, 0.05f, f) * Y, cell, extent, f);
    } else if (AttrHasNibble(attr, 0x80)) {
        DrawHeadParentheses(d, ax, y, cell);
    }
    if (attr != kNoAttr && (attr & 0xF) >= 1 && (attr & 0xF) <= 9)
        DrawHeadAccidental(d, ax, y, cell, static_cast<int>(attr & 0xF));
    return box;
}

// ---- head families ----

namespace {

// The width of a black or half head's ink, Bravura's 1.18 staff spaces (a
// quarter row each, the row already scaled for a reduced staff), times the
// cell's size: the head box spans it from the head's left edge.
float HeadWidth(float f) { return 1.18f * 0.25f * YUnit() * f; }

// The shift of a head to the other side of the stem.
float HeadShift(float shift, float normal, float reduced, float sizeTerm, float f, float g, bool negateUp,
                const TCell& cell) {
    if (shift == 0.0f)
        return 0.0f;
    float sigma = Sz(g < 0.9f ? reduced : normal, sizeTerm, f) * XUnit();
    if (negateUp && StemUp(cell))
        sigma = -sigma;
    return sigma;
}

// The cross head: glyph 192, or an Arial "x" without the music font.
void DrawCrossHead(TDrawEngine* d, float x, float y, const TCell& cell, float sigma, float glyphDx) {
    const float X = XUnit();
    const float Y = YUnit();
    const float f = cell.fontSizeR;
    if (MusicFont()) {
        d->DrawCharGlyph(kMusical, x + Sz(glyphDx, -0.23f, f) * X - 0.9f * sigma, y + Sz(-1.32f, -1.11f, f) * Y, 192,
                         cell, 1.2f);
    } else {
        const float cx = StemUp(cell) ? x + Sz(0.0f, -0.14f, f) * X : x + Sz(-0.2f, -0.19f, f) * X;
        d->DrawArialText(cx - 0.7f * sigma, y + Sz(-0.5f, -0.3f, f) * Y, "x", cell, 0.7f);
    }
}

} // namespace

void DrawFilledHeadGlyph(TDrawEngine* d, float x, float y, uint32_t, const TCell& cell) {
    const float X = XUnit();
    const float Y = YUnit();
    const float f = cell.fontSizeR;
    if (MusicFont() && Zoomed(d) && d->GetSizeFactor() > 0.9f)
        d->DrawCharGlyph(kMusical, x + Sz(-0.2f, -0.2f, f) * X, y + 0.02f * Y + Sz(-1.66f, -1.45f, f) * Y, 246, cell,
                         1.55f);
    else
        d->DrawNoteBitmap(x + Sz(-0.2f, -0.2f, f) * X, y + Sz(-0.335f, -0.12f, f) * Y, 0.0f, 0, 0.255f * Y * f);
}

void DrawHalfHeadGlyph(TDrawEngine* d, float x, float y, uint32_t, const TCell& cell) {
    const float X = XUnit();
    const float Y = YUnit();
    const float f = cell.fontSizeR;
    if (MusicFont() && Zoomed(d) && d->GetSizeFactor() > 0.9f)
        d->DrawCharGlyph(kMusical, x + Sz(-0.18f, -0.2f, f) * X, y + Sz(-0.15f, 0.05f, f) * Y + Sz(-1.45f, -1.46f, f) * Y,
                         250, cell, 1.5f);
    else
        d->DrawNoteBitmap(x + Sz(-0.2f, -0.3f, f) * X, y + Sz(-0.34f, -0.12f, f) * Y, 0.0f, 1, 0.26f * Y * f);
}

void DrawWholeHeadGlyph(TDrawEngine* d, float x, float y, uint32_t option, const TCell& cell) {
    const float X = XUnit();
    const float Y = YUnit();
    const bool breve = (option & 0x20000u) != 0;
    if (MusicFont() && Zoomed(d)) {
        TCell sized = cell;
        const float g = d->GetSizeFactor();
        if (g < 0.9f) {
            sized.fontSizeR = g * cell.fontSizeR;
            y -= 0.45f * Y;
        }
        const float f = sized.fontSizeR;
        const float dx = breve ? Sz(-0.48f, -0.6f, f) : Sz(-0.3f, -0.4f, f);
        d->DrawCharGlyph(kMusical, x + dx * X, y + Sz(-1.58f, -1.4f, f) * Y, breve ? 87 : 119, sized, 1.5f);
        return;
    }
    const float f = cell.fontSizeR;
    d->DrawNoteBitmap(x + Sz(-0.3f, -0.38f, f) * X, y + Sz(-0.33f, -0.15f, f) * Y, 0.0f, 2, 0.25f * Y * f);
}

TRect DrawFilledHead(TDrawEngine* d, float x, float y, const TCell& cell, const TCell&, uint32_t option,
                     float shift) {
    const float X = XUnit();
    const float Y = YUnit();
    const float f = cell.fontSizeR;
    const float g = d->GetSizeFactor();
    const float sigma = HeadShift(shift, 0.6f, 0.4f, 0.57f, f, g, true, cell);
    if (option & 0x2000u) {
        // hidden: the box only
    } else if (option & 0x8000000u) {
        DrawCrossHead(d, x, y, cell, sigma, -0.15f);
    } else if ((option & 0x20000000u) && MusicFont()) {
        DrawDiamond(d, x + Sz(-0.45f, -0.1f, f) * X - 0.9f * sigma, y + Sz(-0.92f, -0.05f, f) * Y, cell, 1.0f, true);
    } else {
        DrawFilledHeadGlyph(d, x - sigma, y, option, cell);
    }
    const float left = x + Sz(-0.2f, -0.2f, f) * X;
    return BoxOf(left, y + Sz(-0.32f, -0.12f, f) * Y, left + HeadWidth(f), y + Sz(-0.09f, 0.15f, f) * Y);
}

TRect DrawHalfHead(TDrawEngine* d, float x, float y, const TCell& cell, uint32_t option, float shift) {
    const float X = XUnit();
    const float Y = YUnit();
    const float f = cell.fontSizeR;
    const float g = d->GetSizeFactor();
    const float sigma = HeadShift(shift, 0.6f, 0.4f, 0.57f, f, g, true, cell);
    if (option & 0x2000u) {
    } else if (option & 0x8000000u) {
        DrawCrossHead(d, x, y, cell, sigma, -0.05f);
    } else if ((option & 0x20000000u) && MusicFont()) {
        DrawDiamond(d, x + Sz(-0.21f, -0.01f, f) * Y - 0.95f * sigma, y + Sz(-0.92f, -0.05f, f) * Y, cell, 1.0f, false);
    } else {
        DrawHalfHeadGlyph(d, x - sigma, y, option, cell);
    }
    const float left = x + Sz(-0.2f, -0.2f, f) * X;
    return BoxOf(left, y + Sz(-0.32f, -0.17f, f) * Y, left + HeadWidth(f), y + Sz(-0.09f, 0.1f, f) * Y);
}

TRect DrawWholeHead(TDrawEngine* d, float x, float y, const TCell& cell, uint32_t option, float shift) {
    const float X = XUnit();
    const float Y = YUnit();
    const float f = cell.fontSizeR;
    const float g = d->GetSizeFactor();
    const float sigma = HeadShift(shift, 0.73f, 0.52f, 0.88f, f, g, false, cell);
    const TRect box = BoxOf(x + Sz(-0.32f, -0.34f, f) * X, y + Sz(-0.4f, -0.17f, f) * Y, x + Sz(0.53f, 0.5f, f) * X,
                            y + Sz(-0.03f, 0.1f, f) * Y);
    if (option & 0x2000u)
        return box;
    if ((option & 0x20000000u) && MusicFont()) {
        DrawDiamond(d, x + Sz(-0.24f, 0.02f, f) * Y - 0.9f * sigma, y + Sz(-0.92f, -0.05f, f) * Y, cell, 1.0f, false);
        return box;
    }
    DrawWholeHeadGlyph(d, x - sigma, y, option, cell);
    if ((option & 0x20000u) && !(MusicFont() && Zoomed(d))) {
        const int w = static_cast<int>(0.05f * Y);
        const int h = box.Bottom - box.Top;
        const float top = static_cast<float>(box.Top) + 0.03f * Y;
        const float l = static_cast<float>(box.Left);
        const float r = static_cast<float>(box.Right);
        for (float bx : {l - 0.1f * X, l - 0.25f * X, r + 0.03f * X, r + 0.18f * X})
            FillBar(bx, top, w, h, -1);
    }
    return box;
}

// ---- ledger lines, dots, flags ----

bool MarkLedgerSeconds(const TCell& cell, int pos, std::vector<int>& slots) {
    const int sigma = pos >= 0 ? 1 : -1;
    bool second = false;
    const int n = GetChordNoteCount(cell);
    if (n == 0)
        return false;
    auto mark = [&](int index, int value) {
        if (index >= 0 && index < static_cast<int>(slots.size()))
            slots[static_cast<size_t>(index)] = value;
    };
    const int m = static_cast<int>(cell.yAdj);
    mark(m * sigma - 5, std::abs(m));
    int p = m;
    for (int k = 0; k < n; ++k) {
        const int interval = cell.westChordArray[static_cast<size_t>(k)].interval;
        p -= interval;
        mark(p * sigma - 5, std::abs(interval));
        if (std::abs(interval) == 1)
            second = true;
    }
    return second;
}

void DrawLedgerLines(TDrawEngine* d, float x, float y, int pos, const TCell& cell) {
    const float X = XUnit();
    const float Y = YUnit();
    pos = ClampPos(pos);
    const int sigma = pos >= 0 ? 1 : -1;
    const int e = std::abs(pos) - 6;
    const int L = e / 2 + 1;
    if (L < 1)
        return;
    const bool whole = IsWholeNoteValue(cell);
    const float h = whole ? 0.48f * X : 0.43f * X * cell.fontSizeR;
    const float e2 = whole ? 0.02f * X : 0.0f;
    const float g = d->GetSizeFactor();
    const float xl = x + 0.1f * X;
    float yl = y - 0.2f * Y;
    if (pos < 0)
        yl += static_cast<float>(pos) * 0.02f;
    std::vector<int> slots(static_cast<size_t>(2 * L + 1), 0);
    const bool second = MarkLedgerSeconds(cell, pos, slots);
    auto slot = [&](int q) { return q >= 0 && q < static_cast<int>(slots.size()) ? slots[static_cast<size_t>(q)] : 0; };
    const bool cross = IsCrossStaff(cell);
    for (int j = 0; j < L; ++j) {
        float left = xl - h;
        float right = xl + h * g + 0.05f * X;
        const int q = 2 * L + 1 - 2 * j;
        if (second && (slot(q - 2) == 1 || slot(q - 2 - sigma) == 1)) {
            if (cell.Note == 1 || !StemUp(cell))
                left = xl - 2.4f * h;
            else
                right = xl + 2.5f * h;
        }
        if (cross && GetCrossStaffLimit(cell) - q <= 4)
            continue;
        const float ly = yl - Y * (static_cast<float>(e % 2) * 0.125f + static_cast<float>(j) * 0.25f) *
                                  static_cast<float>(sigma);
        // About 0.16 staff space thick, never under a pixel, on the line's
        // middle.
        const int thick = std::max(1, RoundToInt(0.08f * X));
        FillBar(left - e2, ly + 0.06f * X - 0.5f * static_cast<float>(thick), static_cast<int>(right - left + e2),
                thick, -1);
    }
}

void DrawWestDots(TDrawEngine* d, int col, int row, int parity, int i, float, float y, int m, int pos,
                  uint32_t option, bool anyShift, const TCell& cell) {
    const bool dbl = (cell.option & 0x40u) != 0;
    const bool dotted = (cell.option & 0x8u) != 0 && !dbl;
    if (!dotted && !dbl)
        return;
    if ((option & 0x2000u) && !dbl)
        return;
    const float X = XUnit();
    const float Y = YUnit();
    const float f = cell.fontSizeR;
    const int n = GetChordNoteCount(cell);
    auto interval = [&](int k) {
        return k >= 0 && k < n ? cell.westChordArray[static_cast<size_t>(k)].interval : 0;
    };
    const bool onLine = parity % 2 == 0;
    float yd = y - 0.23f * Y;
    if (onLine)
        yd -= 0.125f * Y;
    if ((i < 0 && !StemUp(cell) && n > 0 && interval(0) == 1 && onLine) || (cell.option & 0x10000u))
        yd += 0.25f * Y;
    const float leftMargin = static_cast<float>(d->GetLeftMarginPx());
    const float c = static_cast<float>(col);
    float xd;
    if (!anyShift) {
        xd = (c + 1.2f) * X + leftMargin;
    } else if (!StemUp(cell)) {
        xd = (c + 1.17f) * X + leftMargin;
        if (interval(i) == 1 && interval(i + 1) == 1 && i >= 0 && i + 1 < n && std::abs(pos) % 2 == 1)
            yd += 0.25f * Y;
    } else {
        xd = (c + 1.73f) * X + leftMargin;
        const bool secondHere = (i >= 0 && interval(i) == 1) || (i - 1 >= 0 && interval(i - 1) == 1);
        if (std::abs(m) % 2 == 0 && secondHere)
            yd += 0.25f * Y;
    }
    xd += 0.21f * cell.xAdj * X;
    TCell next;
    if (GetCell(next, col + 1, row, -1, -1) && next.Note == 32)
        xd += 0.1f * X;
    if (d->GetSizeFactor() != 1.0f)
        yd -= 0.4f * Y;
    // Round dots 0.4 staff space across, in the middle of the space; the
    // second 0.3 column after the first.
    const float cx = xd + Sz(-0.17f, -0.7f, f) * X;
    const float cy = yd + Sz(0.03f, -0.75f, f) * Y;
    const int size = std::max(2, RoundToInt(0.1f * Y * f));
    DrawRoundDots(d, RoundToInt(cx - 0.5f * static_cast<float>(size)), RoundToInt(cy - 0.5f * static_cast<float>(size)),
                  size, dbl ? 2 : 1, RoundToInt(0.3f * X));
}

const TBitmap* WestFlagImage(TDrawEngine* d, const std::string& name) {
    // One picture per name and colour, kept for the run.
    static std::map<std::pair<std::string, TColor>, std::unique_ptr<TBitmap>> cache;
    const TColor colour = d->CurColor;
    auto& slot = cache[{name, colour}];
    if (!slot) {
        auto bitmap = std::make_unique<TBitmap>();
        if (!d->LoadSymbolBitmap(name, *bitmap, colour))
            return nullptr;
        slot = std::move(bitmap);
    }
    return slot.get();
}

void DrawNoteFlags(TDrawEngine* d, const TFPoint4& R, const TCell& cell) {
    const bool up = StemUp(cell);
    if ((cell.option & 0x100000u) && !up && cell.UL == 0)
        return;
    if ((cell.option & 0x80u) && up && cell.UL == 0)
        return;
    const int F = cell.Note - 3;
    if (F < 1 || F > 6)
        return;
    const float X = XUnit();
    const float Y = YUnit();
    const float f = cell.fontSizeR;
    const float g = d->GetSizeFactor();
    const float size = 1.2f * g;
    // The printer canvas places glyphs as the screen does: the flags keep
    // their screen place on paper.
    float x = R.x1;
    float y = R.y2;
    if (MusicFont()) {
        auto glyph = [&](float gx, float gy, int code) { d->DrawCharGlyph(kMusical, gx, gy, code, cell, size); };
        if (up) {
            x += Sz(-0.42f, -0.41f, f) * X;
            y += Sz(-0.4f, -0.4f, f) * Y;
            if (g < 0.9f)
                x += 0.1f * X;
            switch (F) {
            case 1:
                glyph(x, y, 106);
                break;
            case 2:
                glyph(x, y, 107);
                break;
            case 3:
                glyph(x, y, 107);
                glyph(x, y - 0.2f * Y, 251);
                break;
            case 4:
                glyph(x, y, 107);
                glyph(x, y + 0.3f * Y, 107);
                break;
            case 5:
                glyph(x, y, 107);
                glyph(x, y + 0.3f * Y, 107);
                glyph(x, R.y2 - 0.32f * Y, 251);
                break;
            default:
                break;
            }
        } else {
            y += Sz(-1.83f, -1.83f, f) * Y;
            if (g < 0.9f)
                x += 0.02f * X;
            switch (F) {
            case 1:
                glyph(x, y, 74);
                break;
            case 2:
                glyph(x, y, 75);
                break;
            case 3:
                glyph(x, y, 75);
                glyph(x, y + Sz(-0.27f, -0.27f, f) * Y, 74);
                break;
            case 4:
                glyph(x, y, 75);
                glyph(x, y + Sz(-0.32f, -0.32f, f) * Y, 75);
                break;
            case 5:
                glyph(x, y, 75);
                glyph(x, y + Sz(-0.32f, -0.32f, f) * Y, 75);
                glyph(x, y + Sz(-0.59f, -0.58f, f) * Y, 74);
                break;
            default:
                break;
            }
        }
        return;
    }
    // Flag pictures, the last one "1", the others "2".
    const std::string stem = up ? "UpTail" : "DnTail";
    const float t = (up ? 0.18f : -0.18f) * Y * f;
    const float o = up ? 0.0f : (F == 1 ? 0.67f : 0.55f) * Y * f;
    const float w = 0.5f * X * f;
    for (int j = 0; j < F; ++j) {
        const std::string name = F == 1 ? stem : stem + (j == F - 1 ? "1" : "2");
        const TBitmap* image = WestFlagImage(d, name);
        if (!image || image->Width() <= 0 || image->Height() <= 0)
            continue;
        const float h = static_cast<float>(RoundToInt(w * static_cast<float>(image->Height()) /
                                                      static_cast<float>(image->Width())));
        const float fy = R.y2 + static_cast<float>(j) * t - o;
        StretchDrawGraphic(BoxOf(R.x1, fy, R.x1 + w, fy + h), *image);
    }
}

TColor GetAccidentalNoteColor(TDrawEngine* d, int pos, uint32_t, int col, int row, bool& black) {
    std::string glyph;
    GetNoteLetter(pos, col, row, glyph);
    black = false;
    if (glyph == "k") {
        black = true;
        return d->SharpColor;
    }
    if (glyph == "l") {
        black = true;
        return d->FlatColor;
    }
    return d->CurColor;
}

void DrawCrossStaffChord(TDrawEngine* d, int, int row, float x, const TCell& cell) {
    int U = -1, L = -1;
    if (GroupRows.size() <= 1 || !FindGrandStaffPair(row, U, L))
        return;
    const float X = XUnit();
    const float Y = YUnit();
    std::vector<int> P = GetChordHeadPositions(cell);
    for (int& p : P)
        p = ClampPos(p);
    const int n = static_cast<int>(P.size()) - 1;
    const bool lower = row == L;
    const float ref = lower ? RowTop(d, U + 1) : RowTop(d, L);
    const float yref = ref - 0.02f * Y;
    const float h = IsWholeNoteValue(cell) ? 0.48f * X : 0.43f * X * cell.fontSizeR;
    const float g = d->GetSizeFactor();
    const float left0 = x - h + 0.1f * X;
    const float right0 = x + h * g + 0.1f * X;
    auto isSecond = [&](int j) {
        if (j >= 0 && j < n && P[static_cast<size_t>(j) + 1] == P[static_cast<size_t>(j)] - 1)
            return true;
        return j >= 1 && j <= n && P[static_cast<size_t>(j)] == P[static_cast<size_t>(j) - 1] - 1;
    };
    auto line = [&](float yl, int j) {
        float left = left0, right = right0;
        if (isSecond(j)) {
            if (StemUp(cell))
                right += 0.6f * X;
            else
                left -= 0.6f * X;
        }
        FillBar(left, yl, static_cast<int>(right - left), static_cast<int>(0.12f * X), -1);
    };
    const int limit = GetCrossStaffLimit(cell);
    if (!lower) {
        int i = -1;
        for (int k = 0; k <= n; ++k)
            if (P[static_cast<size_t>(k)] >= limit)
                i = k;
        if (i >= 0)
            for (int p = P[static_cast<size_t>(i)]; p <= 6; ++p)
                if (p % 2 == 0)
                    line(yref + (static_cast<float>(p / 2) - 4.0f) * 0.25f * Y, i - 1);
        if (P[0] >= 18) {
            int j = 0;
            for (int p = P[0]; p >= 18; --p, ++j)
                if (p % 2 == 0)
                    line(yref + (static_cast<float>(p / 2) - 4.0f) * 0.25f * Y, j);
        }
    } else {
        int i = -1;
        for (int k = n; k >= 0; --k)
            if (P[static_cast<size_t>(k)] <= -6 - cell.breakPoint)
                i = k;
        if (i >= 0) {
            int j = i + 1;
            for (int p = P[static_cast<size_t>(i)]; p >= -6; --p, --j)
                if (p % 2 == 0)
                    line(yref + (static_cast<float>(p / 2) + 4.0f) * 0.25f * Y, j);
        }
        if (P[static_cast<size_t>(n)] <= -18) {
            int j = n;
            for (int p = P[static_cast<size_t>(n)]; p <= -18; ++p, --j)
                if (p % 2 == 0)
                    line(yref + (static_cast<float>(p / 2) + 4.0f) * 0.25f * Y, j);
        }
    }
}

// ---------------------------------------------------------------- note groups

void DrawWesternNoteGroup(TDrawEngine* d, float x, float y, int col, int row, TCell& cell) {
    const int N = GetCompressNoteCount(cell);
    if (N == 0)
        return;
    const float X = XUnit();
    const float Y = YUnit();
    const bool ends = (cell.option & 0x4u) != 0;
    d->BeamMode = ends && cell.Note >= 4 && N >= 2 ? 1 : 0;
    std::vector<TCell> notes;
    // Small notes of a grace group stand as close as their size: they keep to
    // their own cell, clear of the main note that follows.
    const float size = IsGraceNoteCell(cell) ? std::min(1.0f, cell.fontSizeR) : 1.0f;
    const float step = (0.6f * size + static_cast<float>(cell.shrinkRate) * 0.01f) * X;
    for (int k = 0; k < N; ++k)
        DrawCompressedWestNote(d, x + static_cast<float>(k) * step, y, k, cell, notes, col, row);
    if (ends && cell.Note >= 4) {
        DrawWestBeamGroup(d, cell, notes);
    } else if (IsGraceNoteCell(cell) && notes.size() == 1) {
        const float s = static_cast<float>(notes[0].FontCharset);
        if (StemUp(cell))
            DrawLine(x + 0.3f * X, s + 0.3f * Y, x + 0.8f * X, s + 0.15f * Y);
        else
            DrawLine(x - 0.05f * X, s - 0.3f * Y, x + 0.45f * X, s - 0.15f * Y);
    }
    if (!notes.empty()) {
        cell.upNote = notes[0].upNote;
        cell.FontStyle = notes[0].FontStyle;
        cell.FontCharset = notes[0].FontCharset;
        for (size_t k = 0; k < notes.size() && k < cell.CompressNotes.size(); ++k)
            cell.CompressNotes[k].headX = notes[k].upNote;
    }
    d->BeamMode = 0;

    if (cell.markType == 86)
        DrawWestTupletBracket(d, x, col, row);
    else if (IsGraceNoteCell(cell))
        DrawWestSlur(d, x, col, row, cell);

    if (IsValidCellPos(col, row) && IsInCombineTailGroup(col, row)) {
        const bool up = StemUp(cell);
        const bool atStem = (cell.option & 0x200000u) != 0;
        for (size_t k = 0; k < d->BeamPoints.size(); ++k) {
            TFPoint4 point = d->BeamPoints[k];
            if (atStem && !up)
                point.y2 += 0.05f * Y;
            const float xo = up ? point.x1 - (atStem ? 0.25f : 0.3f) * X : point.x1 + 0.2f * X;
            DrawChordOrnaments(d, col, row, xo, point, k < notes.size() ? notes[k] : cell);
        }
    }
}

void DrawCompressedWestNote(TDrawEngine* d, float x, float y, int k, TCell& cell, std::vector<TCell>& notes, int col,
                            int row) {
    const TCompressNote& item = cell.CompressNotes[static_cast<size_t>(k)];
    TCell note = cell;
    note.CompressNotes.clear();
    note.westChordArray.clear();
    note.Note = item.code;
    note.yAdj = static_cast<float>(item.value);
    note.Attr = item.attr;
    note.option = (item.option & ~0x1u) | (cell.option & 0x1u);
    TFPoint4 R;
    if (IsWestRestCode(note.Note)) {
        DrawWestRest(d, x, y, note);
        // A rest keeps its place in the beam with its neighbour's stem.
        R = d->BeamPoints.empty() ? TFPoint4{x, y, x, y} : d->BeamPoints.back();
    } else if (note.Note == 32 && !d->BeamPoints.empty()) {
        R = d->BeamPoints.back();
    } else {
        R = DrawWesternNote(d, x, y + (static_cast<float>(item.value) - cell.yAdj) * 0.125f * YUnit(), col, row, note,
                            cell);
    }
    if (!(cell.option & 0x1000u))
        AppendBeamPoint(d, R);
    notes.push_back(note);
}
