// Stems, stem slashes and beams of Western notes: the beam group of a row
// (notes of several cells) and the beam of the small notes of one cell.
#include <algorithm>
#include <cmath>

#include "model/modTQCellAccess.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQUtil.h"
#include "notation/modTQDrawWest.h"
#include "notation/modTQCrossStaff.h"
#include "notation/modTQNoteHint.h"
#include "notation/modTQWestRest.h"
#include "notation/modTQWestSlur.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQDrawShrink.h"
#include "render/modTQDrawWest.h"
#include "render/modTQMainView.h"

namespace {

float XUnit() { return static_cast<float>(MainView()->GetCellWidth()); }
float YUnit() { return static_cast<float>(MainView()->GetCellHeight()); }

// The slash offset: 0.3 from the cell that starts a beamed group to the one that ends it.
float SlashOffset = 0.0f;

// A copy of the grid cell at the column a beam point stores (current page and layer).
TCell PointCell(const TFPoint4& point, int row) {
    TCell cell;
    GetCell(cell, static_cast<int>(point.x2), row, -1, -1);
    return cell;
}

TCell* GridCell(int col, int row) { return const_cast<TCell*>(CellAtAddress(col, row)); }

} // namespace

// ---------------------------------------------------------------- stems

// About 0.12 staff space (a space is half a column), never under a pixel.
int GetStemWidth(TDrawEngine* d, const TCell& cell) {
    const float f = d->GetSizeFactor() < 0.9f ? 0.85f : 1.0f;
    return std::max(1, RoundToInt(XUnit() * 0.06f * std::max(1.0f, cell.fontSizeR) * f));
}

void AppendBeamPoint(TDrawEngine* d, const TFPoint4& point) { d->BeamPoints.push_back(point); }

float KeepStemInRow(const TDrawEngine* d, int col, int row, bool up, float start, float end, float beamReach) {
    const int next = up ? row - 1 : row + 1;
    if (next < 0 || !IsWestRow(next, col, -1))
        return end;
    const float top = static_cast<float>(row * d->GetBaseYUnit() + d->GetTopMarginPx());
    const float clear = 0.0625f * YUnit() + beamReach;
    // A stem that would keep less than a space and a quarter from where it
    // starts (its head at or over the row's edge) is left as it is.
    const float least = 0.3125f * YUnit();
    if (up) {
        const float limit = top + clear;
        return start - least < limit ? end : std::max(end, limit);
    }
    const float limit = top + static_cast<float>(d->GetBaseYUnit()) - clear;
    return start + least > limit ? end : std::min(end, limit);
}

void DrawWestStem(TFPoint4& out, TDrawEngine* d, int left, int top, int right, int bottom, TCell& cell, int col,
                  int row) {
    const float Y = YUnit();
    const float s = cell.fontSizeR;
    const float dd = s - 1.0f;
    const bool up = IsStemFlipped(cell);
    // A note without a value is drawn as a quarter; the cell keeps its code.
    const int value = cell.Note < 1 ? 3 : cell.Note;
    const float fl = static_cast<float>(left), ft = static_cast<float>(top), fr = static_cast<float>(right),
                fb = static_cast<float>(bottom);
    float L = 0.8f * Y * s + (fb - ft);
    if (value > 5)
        L += static_cast<float>(value - 5) * 0.13f * Y * s;
    if (!IsCrossStaff(cell)) {
        if (!up && cell.yAdj < -8.0f)
            L += (-cell.yAdj - 8.0f) * 0.125f * Y;
        const int highest = GetChordNotePos(cell, GetChordNoteCount(cell) - 1);
        if (up && highest > 8)
            L += static_cast<float>(highest - 8) * 0.125f * Y;
    }
    if (cell.stemAdj != 0.0f)
        L += (up ? 0.1f : -0.1f) * cell.stemAdj * Y;

    // The stem stands on the edge of the head box (the head's ink): its right
    // side on the box's right edge when it goes up, its left side on the
    // box's left edge when it goes down.
    const int w = GetStemWidth(d, cell);
    float stemX, startY, endY;
    if (up) {
        stemX = fr - static_cast<float>(w);
        startY = fb + (-0.12f - 0.15f * dd) * Y;
        if (s < 1.0f)
            startY += (1.0f - s) * 0.1f * Y;
        endY = fb - L;
    } else if (value == 2) {
        stemX = fl;
        startY = ft + (0.12f + 0.2f * dd) * Y;
        endY = ft + L;
    } else {
        stemX = fl;
        startY = ft + (0.15f + 0.15f * dd) * Y;
        endY = ft + L;
    }
    if (!IsCrossStaff(cell))
        endY = KeepStemInRow(d, col, row, up, startY, endY, 0.0f);
    out = TFPoint4{stemX, startY, stemX, endY};
    if ((d->BeamMode != 0 && !(cell.option & 0x10000000u)) || (cell.option & 0x1000u))
        return;

    if (up)
        FillBar(stemX, endY, w, static_cast<int>(startY - endY), -1);
    else
        FillBar(stemX, startY, w, static_cast<int>(endY - startY), -1);
    cell.FontCharset = static_cast<int32_t>(endY);

    float slashY;
    float f;
    if (value == 2) {
        slashY = up ? startY - 0.2f * Y : startY + 0.3f * Y;
        f = 0.7f;
    } else {
        slashY = up ? startY - 0.3f * Y : startY + 0.2f * Y;
        f = up ? -0.7f : 0.7f;
    }
    DrawWestStemSlashes(d, stemX, slashY, stemX, endY, cell, f);
}

void DrawWestStemSlashes(TDrawEngine* d, float x, float y, float, float y2, const TCell& cell, float f) {
    const uint32_t o = cell.option;
    if (!(o & 0xC00u))
        return;
    const float X = XUnit();
    const float Y = YUnit();
    const float s = cell.fontSizeR;
    const float h = 0.22f * X * s;
    float r = h * 1.3f * 0.6f * (f >= 0.0f ? 1.0f : -1.0f);
    float t = 0.06f * Y;
    if (s != 1.0f)
        t *= s;
    const bool up = IsStemFlipped(cell);
    const float dir = up ? 1.0f : -1.0f;
    if (o & 0x2u)
        SlashOffset = 0.3f;
    const float g = SlashOffset;
    float y0;
    if (cell.Note == 1) {
        y0 = y - 0.2f * dir * Y * s + 0.15f * Y;
        if (up)
            y0 -= (0.1f + g) * Y;
        else
            y0 += 0.8f * g * Y;
        if (s != 1.0f)
            y0 += up ? 0.2f * Y * s : -0.3f * Y * s;
        y0 += 0.09f * Y * s;
    } else {
        y0 = y2 + 0.3f * (cell.Note == 81 ? 1.0f : dir) * Y * s;
        if (cell.Note > 3)
            y0 += up ? 0.1f * Y : -0.1f * Y;
        if (up && (cell.Note == 2 || cell.Note == 3)) {
            r = -r;
            y0 += 0.1f * Y;
        }
    }
    if (o & 0x4u)
        SlashOffset = 0.0f;
    SetBrushColor(d->CurColor);
    FillSlantedBar(x - h, y0, x + h, y0 - r, t);
    if (o & 0x800u) {
        y0 += 0.1f * dir * Y * s;
        FillSlantedBar(x - h, y0, x + h, y0 - r, t);
        if (o & 0x400u) {
            y0 += 0.1f * dir * Y * s;
            FillSlantedBar(x - h, y0, x + h, y0 - r, t);
        }
    }
    SetPenWidthScaled(0.027f);
}

// ---------------------------------------------------------------- beams

void DrawWestBeamBar(TDrawEngine* d, const TFPoint4& first, const TFPoint4& last, const TCell& firstCell,
                     const TCell& lastCell) {
    const float X = XUnit();
    const float Y = YUnit();
    float xa = first.x1;
    float xb = last.x1;
    float ya = first.y2 - 0.08f * Y;
    float yb = last.y2 - 0.08f * Y;
    float size = firstCell.fontSizeR;
    if (IsGraceCell(firstCell) || size < 0.9f)
        size = 0.9f;
    float t = std::floor(0.12f * Y * size);
    const bool up = IsStemFlipped(firstCell);
    if (!up) {
        xb += static_cast<float>(GetStemWidth(d, lastCell));
        if (IsShrinkCell(lastCell))
            xa -= 0.05f * X;
    } else {
        xb += static_cast<float>(GetStemWidth(d, lastCell)) + 0.01f * X;
    }
    if (IsShrinkCell(lastCell) || IsGraceCell(lastCell)) {
        ya += 0.05f * Y;
        yb += 0.05f * Y;
        if (!IsStemFlipped(lastCell))
            xb += 0.05f * X;
    }
    float lift = 0.0f;
    if (IsGraceCell(lastCell)) {
        lift = std::trunc(0.1f * (firstCell.fontSizeR - 1.0f) * Y);
        t *= 0.75f;
        if (!up)
            xa -= 0.05f * X;
        else
            xb -= 0.05f * X;
    }
    std::vector<TPoint> quad{{RoundToInt(xa), RoundToInt(ya - lift)},
                             {RoundToInt(xa), RoundToInt(ya + t - lift)},
                             {RoundToInt(xb), RoundToInt(yb + t - lift)},
                             {RoundToInt(xb), RoundToInt(yb - lift)}};
    SetBrushColor(d->CurColor);
    SetBrushStyle(bsSolid);
    FillPolygon(quad, 3);
    SetBrushStyle(bsClear);
}

void LimitBeamSlope(TDrawEngine* d, bool stemsUp) {
    auto& p = d->BeamPoints;
    if (p.size() < 2)
        return;
    TFPoint4& a = p.front();
    TFPoint4& b = p.back();
    if (a.x1 == b.x1)
        return;
    // The interval from the first head to the last, in steps of half a space
    // (the stems start at the same place on every head of the group).
    const float space = 0.25f * YUnit();
    const float heads = b.y1 - a.y1;
    const int steps = RoundToInt(std::fabs(heads) / (0.5f * space));
    const float slant = (steps == 0 ? 0.0f : steps == 1 ? 0.25f : steps == 2 ? 0.5f : 1.0f) * space;
    const float rise = heads >= 0.0f ? slant : -slant;
    // The end whose head stands nearer the beam keeps its stem; the other's
    // grows.
    if (stemsUp ? a.y1 <= b.y1 : a.y1 >= b.y1)
        b.y2 = a.y2 + rise;
    else
        a.y2 = b.y2 - rise;
}

void DrawBeamedGroup(TDrawEngine* d, int row) {
    auto& p = d->BeamPoints;
    const size_t n = p.size();
    if (n < 2 || p.back().x1 == p.front().x1)
        return;
    const float X = XUnit();
    const float Y = YUnit();
    const TCell first = PointCell(p.front(), row);
    const bool up = IsStemFlipped(first);
    LimitBeamSlope(d, up);

    // A straight beam; the shortest free stem of the inner notes.
    float Lmin = 10000.0f;
    for (size_t i = 1; i + 1 < n; ++i) {
        p[i].y2 = static_cast<float>(InterpolateFloat(p.front().x1, p.front().y2, p.back().x1, p.back().y2, p[i].x1));
        const TCell cell = PointCell(p[i], row);
        float L = up ? p[i].y1 - p[i].y2 : p[i].y2 - p[i].y1;
        if (cell.Note > 4)
            L -= Y * static_cast<float>(cell.Note - 4) * 0.1f;
        for (const TWestChord& item : cell.westChordArray)
            L -= static_cast<float>(item.interval) * Y * 0.125f;
        Lmin = std::min(Lmin, L);
    }
    if (Y == 0.0f)
        return;
    const float dir = up ? -1.0f : 1.0f; // away from the heads
    const float target = 0.2f * Y * first.fontSizeR;
    float shortest = 1000000.0f;
    for (const TFPoint4& q : p)
        shortest = std::min(shortest, std::fabs(q.y2 - q.y1));
    if (shortest < target)
        for (TFPoint4& q : p)
            q.y2 += dir * (target - shortest);
    const float r = Lmin / Y;
    if (r < 0.3f)
        for (TFPoint4& q : p)
            q.y2 += dir * Y * (0.3f - r);
    if (!IsCrossStaff(first)) {
        // The beam (0.08 row above its stem ends, 0.04 below) stays in its row.
        for (TFPoint4* end : {&p.front(), &p.back()})
            end->y2 =
                KeepStemInRow(d, static_cast<int>(end->x2), row, up, end->y1, end->y2, (up ? 0.08f : 0.04f) * Y);
        for (size_t i = 1; i + 1 < n; ++i)
            p[i].y2 = static_cast<float>(
                InterpolateFloat(p.front().x1, p.front().y2, p.back().x1, p.back().y2, p[i].x1));
    }
    const float slope = -(p.back().y2 - p.front().y2) / (p.back().x1 - p.front().x1);

    // Each stem, with its slashes and marks, is its own note's ink, though
    // the group's last cell draws it.
    for (const TFPoint4& q : p) {
        const int col = static_cast<int>(q.x2);
        const TCell cell = PointCell(q, row);
        if (cell.option & 0x1000u)
            continue;
        OwnSmallNote(col, row, 0);
        const int w = GetStemWidth(d, cell);
        if (up)
            FillBar(q.x1, q.y2, w, static_cast<int>(q.y1 - q.y2), -1);
        else
            FillBar(q.x1, q.y1, w, static_cast<int>(q.y2 - q.y1), -1);
        if (TCell* grid = GridCell(col, row))
            grid->FontCharset = static_cast<int32_t>(q.y2);
        const float ys = up ? q.y1 + 0.05f * Y : q.y1 - 0.1f * Y;
        DrawWestStemSlashes(d, q.x1, ys, q.x2, q.y2, cell, slope);
        DrawChordOrnaments(d, col, row, up ? q.x1 - 0.3f * X : q.x1 + 0.3f * X, q, cell);
        if (cell.option & 0x8000u)
            DrawNoteNameHint(d, col, row);
        SetPenWidthScaled(0.027f);
    }
    OwnSmallNote(static_cast<int>(p.back().x2), row, 0);
    const TCell* firstGrid = CellAtAddress(static_cast<int>(p.front().x2), row);
    DrawWestBeamBar(d, p.front(), p.back(), firstGrid ? *firstGrid : first, first);
    d->BeamMode = 0;
    for (int level = 5; level <= 9; ++level)
        if (!DrawBeamLevel(d, level, row, first))
            break;
}

namespace {

// The pieces of a run of notes that reaches the group's last note: the whole
// run, or with breaks one piece from each note to the next, a broken note
// getting a piece of its own (and a break on the next-to-last note one more
// for the last).
template <typename Broken, typename Draw>
void DrawClosingRun(int start, int last, Broken broken, Draw draw) {
    bool any = false;
    for (int i = start; i < last; ++i)
        any = any || broken(i);
    if (!any) {
        draw(start, last, false);
        return;
    }
    for (int i = start; i < last; ++i) {
        if (broken(i)) {
            draw(i, i, true);
            if (i == last - 1)
                draw(last, last, true);
        } else {
            draw(i, i + 1, true);
        }
    }
}

} // namespace

bool DrawBeamLevel(TDrawEngine* d, int level, int row, const TCell& first) {
    const auto points = d->BeamPoints;
    const int n = static_cast<int>(points.size());
    std::vector<TCell> cells;
    cells.reserve(points.size());
    for (const TFPoint4& q : points)
        cells.push_back(PointCell(q, row));
    bool drawn = false;
    int start = -1, last = -1;
    for (int i = 0; i < n; ++i) {
        if (cells[static_cast<size_t>(i)].Note >= level) {
            if (start < 0)
                start = i;
            last = i;
        } else if (start >= 0) {
            DrawBeamRun(d, level, start, last, cells[static_cast<size_t>(i)], first);
            drawn = true;
            start = -1;
        }
    }
    if (start >= 0) {
        const TCell& ref = last > start ? cells[static_cast<size_t>(last) - 1] : cells[static_cast<size_t>(start)];
        DrawClosingRun(
            start, last, [&](int i) { return (cells[static_cast<size_t>(i)].option & 0x2000000u) != 0; },
            [&](int a, int b, bool broken) {
                DrawBeamRun(d, level, a, b, broken ? ref : cells[static_cast<size_t>(start)], first);
            });
        drawn = true;
    }
    return drawn;
}

void DrawBeamRun(TDrawEngine* d, int level, int a, int b, const TCell& ref, const TCell& first) {
    if (a == b)
        DrawBeamStub(d, level, a, ref, first);
    else
        DrawBeamSegment(d, level, a, b, ref, first);
}

void DrawBeamSegment(TDrawEngine* d, int level, int a, int b, const TCell& ref, const TCell& first) {
    const auto& p = d->BeamPoints;
    if (a < 0 || b < 0 || a >= static_cast<int>(p.size()) || b >= static_cast<int>(p.size()))
        return;
    const float X = XUnit();
    const float Y = YUnit();
    TFPoint4 A = p[static_cast<size_t>(a)];
    TFPoint4 B = p[static_cast<size_t>(b)];
    const float move = Y * static_cast<float>(level - 4) * 0.18f * (IsStemFlipped(first) ? 1.0f : -1.0f);
    A.y2 += move;
    B.y2 += move;
    if (B.x1 > A.x1) {
        if (B.x1 - A.x1 < 0.3f * X)
            B.x1 = A.x1 + 0.4f * X;
    } else if (A.x1 - B.x1 < 0.3f * X) {
        A.x1 = B.x1 + 0.4f * X;
    }
    DrawWestBeamBar(d, A, B, ref, first);
}

void DrawBeamStub(TDrawEngine* d, int level, int a, const TCell& ref, const TCell& first) {
    const auto& p = d->BeamPoints;
    const int n = static_cast<int>(p.size());
    if (a < 0 || a >= n)
        return;
    const float X = XUnit();
    const float Y = YUnit();
    float x0 = p.front().x1, y0 = p.front().y2 - Y;
    float xn = p.back().x1, yn = p.back().y2 - Y;
    float xa = p[static_cast<size_t>(a)].x1, ya = p[static_cast<size_t>(a)].y2 - Y;
    float len = 0.4f;
    if (!ref.CompressNotes.empty()) {
        len = 0.3f;
        xa += 0.05f * X;
    }
    float size = ref.fontSizeR;
    const bool grace = IsGraceCell(first);
    if (grace) {
        y0 += 0.3f * Y;
        yn += 0.3f * Y;
        ya += 0.3f * Y;
        size = 0.9f;
    }
    const bool refUp = IsStemFlipped(ref);
    if (!refUp && a == 0 && (grace || IsShrinkCell(first)))
        xa -= 0.05f * X;
    float t = std::floor(Y * 0.12f * size);
    if (grace)
        t *= 0.8f;
    const float xe = a == 0 ? xa + X * len : xa - X * len;
    const float ye = static_cast<float>(InterpolateFloat(xn, yn, x0, y0, xe));
    const float l = static_cast<float>(level - 5);
    float f;
    if (grace)
        f = refUp ? 0.9f + 0.1f * l : 0.5f - 0.15f * l;
    else if (IsShrinkCell(first))
        f = refUp ? 1.1f + 0.2f * l : 0.8f - 0.2f * l;
    else
        f = refUp ? 1.08f + 0.2f * l : 0.75f - 0.2f * l;
    const float o = Y * f;
    SetBrushColor(d->CurColor);
    FillSlantedBar(xe, ye + o, xa, ya + o, t);
}

// ---------------------------------------------------------------- beams of one cell

void DrawWestBeamGroup(TDrawEngine* d, const TCell& owner, std::vector<TCell>& notes) {
    auto& p = d->BeamPoints;
    // One point per listed note; a list and points out of step draw no more
    // than they share.
    const int n = static_cast<int>(std::min(notes.size(), p.size()));
    if (n < 2)
        return;
    const float X = XUnit();
    const float Y = YUnit();
    const bool up = IsStemFlipped(notes.front());
    auto isNote = [](const TCell& c) { return c.Note != 32 && !IsWestRestCode(c.Note); };
    const TFPoint4 first = p.front();
    const TFPoint4 last = p[static_cast<size_t>(n) - 1];
    float m = 10000.0f;
    for (int i = 1; i + 1 < n; ++i) {
        const TCell& c = notes[static_cast<size_t>(i)];
        if (!isNote(c))
            continue;
        TFPoint4& q = p[static_cast<size_t>(i)];
        if (c.Note == -73) {
            q = last;
        } else {
            q.y2 = static_cast<float>(InterpolateFloat(first.x1, first.y2, last.x1, last.y2, q.x1));
        }
        float L;
        if (d->GetCurrentClef() == -4)
            L = Y;
        else
            L = up ? q.y1 - q.y2 : q.y2 - q.y1;
        if (c.Note > 4)
            L -= static_cast<float>(c.Note - 4) * 0.1f * Y * c.fontSizeR;
        m = std::min(m, L);
    }
    const float away = up ? -1.0f : 1.0f;
    if (m / Y < 0.5f)
        for (int i = 0; i < n; ++i)
            p[static_cast<size_t>(i)].y2 += away * (0.5f - m / Y) * Y;
    {
        // The slope is limited over the listed notes only.
        std::vector<TFPoint4> all = p;
        p.resize(static_cast<size_t>(n));
        LimitBeamSlope(d, up);
        const TFPoint4 a = p.front(), b = p.back();
        for (TFPoint4& q : p)
            q.y2 = static_cast<float>(InterpolateFloat(a.x1, a.y2, b.x1, b.y2, q.x1));
        for (size_t i = p.size(); i < all.size(); ++i)
            p.push_back(all[i]);
    }
    const float slope = p[static_cast<size_t>(n) - 1].x1 != p.front().x1
                            ? -(p[static_cast<size_t>(n) - 1].y2 - p.front().y2) /
                                  (p[static_cast<size_t>(n) - 1].x1 - p.front().x1)
                            : 0.0f;
    const bool ownerUp = IsStemFlipped(owner);
    const int w = GetStemWidth(d, owner);
    for (int i = 0; i < n; ++i) {
        TCell& c = notes[static_cast<size_t>(i)];
        if ((c.option & 0x1000u) || !isNote(c))
            continue;
        const TFPoint4& q = p[static_cast<size_t>(i)];
        if (ownerUp)
            FillBar(q.x1, q.y2, w, static_cast<int>(q.y1 - q.y2), -1);
        else
            FillBar(q.x1 + 0.05f * X, q.y1 + 0.06f * Y, w, static_cast<int>(q.y2 - q.y1), -1);
        c.FontCharset = static_cast<int32_t>(q.y2);
        SetPenWidthScaled(0.027f);
        float ys = q.y1;
        if (!IsGraceCell(owner))
            ys += ownerUp ? -0.4f * Y : 0.4f * Y;
        DrawWestStemSlashes(d, q.x1, ys, q.x1, q.y2, c, slope);
    }
    TFPoint4 a = p.front();
    if (!ownerUp)
        a.x1 += 0.1f * X;
    DrawWestBeamBar(d, a, p[static_cast<size_t>(n) - 1], notes.front(), owner);
    for (int level = 5; level <= 9; ++level)
        if (!DrawWestBeamLevel(d, level, owner, notes))
            break;
}

bool DrawWestBeamLevel(TDrawEngine* d, int level, const TCell& owner, std::vector<TCell> notes) {
    auto& p = d->BeamPoints;
    const int n = static_cast<int>(std::min(notes.size(), p.size()));
    enum { kOutside, kInside, kContinuing };
    std::vector<int> kind(static_cast<size_t>(n), kOutside);
    for (int i = 0; i < n; ++i) {
        const TCell& c = notes[static_cast<size_t>(i)];
        if (c.Note == 32 || IsWestRestCode(c.Note)) {
            for (int j = i + 1; j < n; ++j) {
                const TCell& next = notes[static_cast<size_t>(j)];
                if (next.Note != 32 && !IsWestRestCode(next.Note)) {
                    p[static_cast<size_t>(i)] = p[static_cast<size_t>(j)];
                    break;
                }
            }
            kind[static_cast<size_t>(i)] = kContinuing;
        } else {
            kind[static_cast<size_t>(i)] = c.Note >= level ? kInside : kOutside;
        }
    }
    bool drawn = false;
    int first = -1, last = -1;
    for (int i = 0; i < n; ++i) {
        switch (kind[static_cast<size_t>(i)]) {
        case kInside:
            last = i;
            if (first < 0)
                first = i;
            break;
        case kContinuing:
            if (first >= 0)
                last = std::min(last + 1, n - 1);
            break;
        default:
            if (first >= 0) {
                DrawBeamRun(d, level, first, last, owner, owner);
                drawn = true;
                first = -1;
            }
            break;
        }
    }
    if (first >= 0) {
        auto broken = [&](int i) {
            return i >= 0 && i < static_cast<int>(owner.CompressNotes.size()) &&
                   (owner.CompressNotes[static_cast<size_t>(i)].option & 0x2000000u) != 0;
        };
        DrawClosingRun(first, last, broken, [&](int a, int b, bool) { DrawBeamRun(d, level, a, b, owner, owner); });
        drawn = true;
    }
    return drawn;
}
