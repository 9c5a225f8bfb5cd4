#include "notation/modTQMarkWaves.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "model/modTQPredicates.h"
#include "notation/modTQCurves.h"
#include "notation/modTQMarkGlyphs.h"
#include "platform/gui/TQGlyphMap.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQMainView.h"

namespace {

const char* const kToccata = "Toccata";
constexpr int kWaveCode = 177;
constexpr int kMaxGlyphs = 1000;

float XUnit() { return static_cast<float>(MainView()->GetCellWidth()); }
float YUnit() { return static_cast<float>(MainView()->GetCellHeight()); }
bool Flipped(const TCell& c) { return (c.option & 0x80000u) != 0; }
bool EndColumnOk(int iEnd) { return iEnd >= 0 && iEnd <= MainView()->Cols; }
bool EndRowOk(int jEnd) { return jEnd >= 0 && jEnd <= MainView()->Rows; }
float XE(const TDrawEngine* d, const TCell& c) {
    return XUnit() * static_cast<float>(c.iEnd + 1) + static_cast<float>(d->GetLeftMarginPx());
}
float YE(const TDrawEngine* d, const TCell& c) {
    return YUnit() * static_cast<float>(c.jEnd + 1) + static_cast<float>(d->GetTopMarginPx());
}
bool ToccataInstalled() { return MusicFontInstalled(kToccata); }

std::string Waves(int n) { return std::string(static_cast<size_t>(std::clamp(n, 0, kMaxGlyphs)), static_cast<char>(kWaveCode)); }

} // namespace

void DrawArcWaveColumn(TDrawEngine* d, float x, float y1, float, float y2, float amplitude) {
    const float W = XUnit(), H = YUnit();
    const float xc = x + 0.5f * W, q = 0.8f * 0.12f * W;
    float yy = y1 + 0.05f * H;
    for (int i = 0; i < 1000; ++i) {
        if (i > 0 && !(yy + 2.0f * q <= y2))
            break;
        const float bulge = (i % 2 == 0 ? -0.12f : 0.12f) * W * amplitude;
        DrawArcThrough3Points(d, xc, yy, xc, yy + 4.0f * q + 2.0f, xc + bulge, yy + 2.0f * q);
        yy += 4.0f * q;
        if (q <= 0.0f)
            break;
    }
}

void DrawArpeggioWave(TDrawEngine* d, float x, float y1, float x2, float y2, const TCell& cell, float amplitude) {
    const float W = XUnit(), H = YUnit();
    const float stacked = static_cast<float>(cell.CompressNotes.size());
    if (cell.cellType == ctJianpu && IsVerticalCell(cell)) {
        const float top = y1 - 0.1f * H - (stacked - 2.0f) * 0.49f * H;
        DrawArcWaveColumn(d, x - 0.8f * W, top, x2 - 0.8f * W, y2 - 0.1f * H, amplitude);
        return;
    }
    const bool jianpuNote = cell.cellType == ctJianpu && IsJianpuNoteChar(cell.Note);
    if (!jianpuNote && !IsWestNoteCell(cell, 1)) {
        DrawArcWaveColumn(d, x, y1, x2, y2, amplitude);
        return;
    }
    float top = y1;
    if (IsJianpuNoteChar(cell.upNote))
        top -= 0.2f * H;
    if (!cell.CompressNotes.empty())
        top -= stacked * 0.45f * H;
    DrawArcWaveColumn(d, x - 0.8f * W, top, x2 - 0.8f * W, y2, amplitude);
}

void DrawZigzagLine(TDrawEngine*, float x1, float y1, float x2, float y2, bool arrow) {
    const float W = XUnit(), H = YUnit();
    const float s = H / 12.0f;
    const float dx = x2 - x1, dy = y2 - y1;
    const float len = std::sqrt(dx * dx + dy * dy);
    if (len <= 0.0f || s <= 0.0f)
        return;
    const float n = len / s;
    // Across the line whatever its slope: 0.1 W along the unit normal.
    const float ax = 0.1f * W * dy / len, ay = -0.1f * W * dx / len;
    float lastX = x1, lastY = y1;
    bool started = false;
    for (int i = 2; static_cast<float>(i) < n - 2.0f && i < 100000; ++i) {
        const float fi = static_cast<float>(i);
        const float px = x1 + fi * dx / n, py = y1 + fi * dy / n;
        if (i == 2) {
            CanvasMoveTo(px, py);
            started = true;
        } else if (arrow && fi == n - 3.0f) {
            CanvasLineTo(x1 + (fi - 0.5f) * dx / n, y1 + (fi - 0.5f) * dy / n);
        } else {
            const float sign = i % 2 != 0 ? 1.0f : -1.0f;
            CanvasLineTo(px + sign * ax, py + sign * ay);
        }
        lastX = px;
        lastY = py;
    }
    if (arrow) {
        if (!started)
            CanvasMoveTo(x1, y1);
        CanvasLineTo(x2, y2);
        DrawArrowHead(x2, y2, lastX, lastY, 0.4f * W);
    }
}

void DrawWavyLineMark(TDrawEngine* d, float x, float y, const TCell& cell, int kind, bool large) {
    if (!EndColumnOk(cell.iEnd) || !EndRowOk(cell.jEnd))
        return;
    const float W = XUnit(), H = YUnit();
    const float m = static_cast<float>(cell.MarkY), e = static_cast<float>(cell.EndYAdj);
    const float g = 0.05f * H * static_cast<float>(cell.markHAdj);
    const float x2 = XE(d, cell) + H * cell.xAdj * 0.1f + W * static_cast<float>(cell.markWAdj) * 0.1f;
    const float yt = y - g;
    const float yb = YE(d, cell) + H * cell.yAdj * 0.1f + g;
    if (kind == 25 || kind == 47) {
        const int hPixels = MainView()->GetCellHeight();
        DrawArpeggioWave(d, x, yt + 0.05f * H * m, x2, yb + static_cast<float>(hPixels * cell.EndYAdj / 5) + m, cell,
                         large ? 1.5f : 1.0f);
        return;
    }
    const bool arrow = kind == 27;
    if (!Flipped(cell))
        DrawZigzagLine(d, x, yb + 0.05f * H * m, x2, yt + 0.05f * H * (m + e), arrow);
    else
        DrawZigzagLine(d, x, yt + 0.05f * H * m, x2, yb + 0.05f * H * (m + e), arrow);
}

void DrawArpeggioGlyphMark(TDrawEngine* d, float x, float y, int row, const TCell& cell, bool arrow) {
    if (!EndColumnOk(cell.iEnd) || !EndRowOk(cell.jEnd))
        return;
    const float W = XUnit(), H = YUnit();
    // The wave glyph comes from "MusicalSymbols": without it, the drawn wave.
    if (!ToccataInstalled() || !HasMusicGlyph("MusicalSymbols", 'g')) {
        DrawWavyLineMark(d, x, y, cell, 25, false);
        if (arrow)
            DrawArrowHead(x + 0.5f * W, y, x + 0.5f * W, y + 0.4f * W, 0.2f * H);
        return;
    }
    if (IsJianpuSound(cell) || IsWestNoteCell(cell, 1))
        x -= 0.5f * W;
    const float m = static_cast<float>(cell.MarkY);
    const float ys = y + 0.15f * H * m - 0.7f * H;
    const float xg = x - 0.1f * W * static_cast<float>(cell.markWAdj);
    float yend = ys + H * static_cast<float>(cell.jEnd - row + 1) +
                 0.5f * H * static_cast<float>(cell.EndYAdj + cell.markHAdj);
    float y0 = ys - 0.4f * H;
    if (arrow) {
        if (!Flipped(cell))
            y0 = ys + 0.2f * H;
        else
            yend -= 0.4f * H;
    }
    SetBrushStyle(bsClear);
    float yy = y0;
    for (int i = 0; yend - 0.7f * H > yy && i < kMaxGlyphs; ++i) {
        d->DrawGlyphString("MusicalSymbols", xg + 0.3f * W, yy + 0.3f * H, "g", cell, 1.4f);
        yy += 0.5f * H;
    }
    if (arrow)
        d->DrawGlyphString(kToccata, xg + 0.1f * W, yy + 0.3f * H, "$", cell, 1.4f);
}

namespace {
void GlissRun(TDrawEngine* d, float x1, float y1, float x2, float y2, const TCell& cell, bool large, bool flipped) {
    const float W = XUnit(), H = YUnit();
    const float a = std::atan2(y1 - y2, x2 - x1);
    const int angle = static_cast<int>(a * 1800.0f * 0.3183132f);
    const float sx = flipped ? x1 - 1.15f * W * std::cos(a) + 1.4f * W : x1 + 1.15f * W * std::cos(a) - 1.5f * W;
    const float sy = flipped ? y1 - 1.2f * W * std::sin(a) - 1.3f * H : y1 + 1.1f * W * std::sin(a) - 1.3f * H;
    const float len = std::hypot(x2 - x1, y2 - y1);
    const int n = static_cast<int>(len * (large ? 2.1f : 3.5f) / W);
    if (n <= 0)
        return;
    d->DrawGlyphString(kToccata, sx, sy, Waves(n), cell, 1.5f, 0, large ? 1.5f : 0.0f, angle);
}
} // namespace

void DrawGlissWaveGlyphs(TDrawEngine* d, float x1, float y1, float x2, float y2, const TCell& cell, bool large) {
    GlissRun(d, x1, y1, x2, y2, cell, large, false);
}

void DrawGlissWaveGlyphsFlipped(TDrawEngine* d, float x1, float y1, float x2, float y2, const TCell& cell,
                                bool large) {
    GlissRun(d, x1, y1, x2, y2, cell, large, true);
}

void DrawGlissGlyphMark(TDrawEngine* d, float x, float y, const TCell& cell, bool large) {
    if (!EndColumnOk(cell.iEnd) || !EndRowOk(cell.jEnd) || !HasMusicGlyph(kToccata, kWaveCode))
        return;
    const float W = XUnit(), H = YUnit();
    const float m = static_cast<float>(cell.MarkY), e = static_cast<float>(cell.EndYAdj);
    const float g = 0.05f * H * static_cast<float>(cell.markHAdj);
    const float xe = XE(d, cell) + H * cell.xAdj * 0.1f + W * static_cast<float>(cell.markWAdj) * 0.1f;
    const float yb = YE(d, cell) + H * cell.yAdj * 0.1f + g;
    const float yt = y - g;
    if (!Flipped(cell))
        DrawGlissWaveGlyphs(d, x, yb + 0.05f * H * m, xe, yt + 0.05f * H * (m + e), cell, large);
    else
        DrawGlissWaveGlyphsFlipped(d, x, yt + 0.05f * H * m, xe, yb + 0.05f * H * (m + e), cell, large);
}

TFPoint4 DrawTrillWaveGlyphs(TDrawEngine* d, float x, float y, int col, const TCell& cell, bool large) {
    if (!EndColumnOk(cell.iEnd))
        return TFPoint4{};
    const float W = XUnit(), H = YUnit();
    const float span = W * (static_cast<float>(cell.iEnd - col) + 0.4f + 0.5f * static_cast<float>(cell.markWAdj));
    const int n = std::clamp(static_cast<int>(span * (large ? 2.4f : 3.7f) / W), 2, kMaxGlyphs);
    float xs = x + 0.2f * W, ys = y + 0.02f * H * static_cast<float>(cell.MarkY);
    float size = 1.0f, width = 0.0f;
    if (large) {
        xs -= 0.1f * W;
        ys -= 0.5f * H;
        size = 1.5f;
        width = 1.5f;
    }
    d->DrawGlyphString(kToccata, xs, ys, Waves(n), cell, size, 0, width);
    return TFPoint4{xs, ys, static_cast<float>(n), ys};
}

void DrawTrillLineMark(TDrawEngine* d, float x, float y, int col, const TCell& cell, int arrowKind) {
    if (!EndColumnOk(cell.iEnd))
        return;
    const float W = XUnit(), H = YUnit();
    const TFPoint4 r = DrawTrillWaveGlyphs(d, x, y, col, cell, true);
    const float n = r.x2;
    switch (arrowKind) {
    case -1:
        d->DrawCharGlyph("Wingdings 3", r.x1 - 0.5f * W, r.y1 + 0.85f * H, 134, cell, 0.7f);
        break;
    case -2:
        d->DrawCharGlyph("Wingdings 3", r.x1 - 0.35f * W, r.y1 + 0.85f * H, 133, cell, 0.7f);
        break;
    case 1:
        d->DrawCharGlyph("Wingdings 3", r.x1 + 0.45f * W * n, r.y1 + 0.86f * H, 133, cell, 0.7f);
        break;
    default:
        d->DrawCharGlyph("Wingdings 3", r.x1 + 0.44f * W * n, r.y1 + 0.86f * H, 134, cell, 0.7f);
        break;
    }
}
