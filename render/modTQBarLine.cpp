#include "render/modTQBarLine.h"

#include <cstdint>

#include "model/modTQGroup.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "notation/modTQNotationApi.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQMainView.h"

namespace {

constexpr int kGrandStaffBrace = 54191118;

TColor BarColour(const TDrawEngine* d, const TCell& cell) { return cell.color == -1 ? d->MainLayerColor : cell.color; }

// A ">" in the column where the header clef of the group's first staff ends
// its Western group: the double bar of a grand staff.
bool IsGrandStaffDoubleBar(int col, int row) {
    if (GroupRows.empty())
        return false;
    const TGroupData& first = GroupRows.front();
    const TGroupData& last = GroupRows.back();
    if (!first.isWest || row < first.row || row > last.row)
        return false;
    const int clefColumn = static_cast<int8_t>(first.clefColumn & 0xFF);
    if (clefColumn < 0)
        return false;
    const TCell* clef = CellAtAddress(clefColumn, first.row, -1, 0);
    return clef && clef->iEnd == col;
}

} // namespace

float GetBarLineX(TDrawEngine* d, float x, int col) {
    TMainView* mv = MainView();
    const float v = static_cast<float>(mv->GetCellWidth());
    if (col == 0)
        return static_cast<float>(d->GetLeftMarginPx());
    if (col == mv->Cols - 1)
        return static_cast<float>(d->GetLeftMarginPx()) + v * static_cast<float>(col + 1);
    return x + 0.52f * v;
}

void DrawThickBarLine(TDrawEngine* d, float x, float y, int col, float height, const TCell& cell) {
    const float barX = GetBarLineX(d, x, col);
    SetPenStyle(psSolid);
    const float v = static_cast<float>(MainView()->GetCellWidth());
    FillBar(barX, y, static_cast<int>(0.12f * v), static_cast<int>(height), BarColour(d, cell));
}

void DrawRepeatBar(TDrawEngine* d, float x, float y, const TCell& cell, int col, int row) {
    TMainView* mv = MainView();
    const float v = static_cast<float>(mv->GetCellWidth());
    const float u = static_cast<float>(mv->GetCellHeight());
    const bool westRow = IsWestRow(row, col, -1);
    const TColor colour = BarColour(d, cell);
    const float t = 0.1f * v;
    auto thin = [&](float lx) { FillBar(lx, y, static_cast<int>(t), static_cast<int>(u), colour); };
    auto thick = [&](float lx) { FillBar(lx, y, static_cast<int>(2.0f * t), static_cast<int>(u), colour); };
    float b = x + 0.43f * v;
    SetBrushStyle(bsSolid);

    switch (cell.Note) {
    case ';':
    case '=': {
        const TCell* next = CellAtAddress(col + 1, row);
        const int n = next ? next->Note : 32;
        const bool single = n == '<' || n == '4' || (col != mv->Cols - 1 && (n == ':' || n == '6'));
        if (single) {
            thin(x + 0.8f * v);
            b = x + 0.8f * v;
        } else {
            thin(x + 0.6f * v);
            thick(x + 0.85f * v);
            b = x + 0.6f * v;
        }
        break;
    }
    case '>':
        SetPenWidthScaled(0.038f);
        if (IsGrandStaffDoubleBar(col, row)) {
            thin(x + 0.78f * v);
            SetPenWidthScaled(0.027f);
            SetBrushStyle(bsClear);
            return;
        }
        thin(x + 0.4f * v);
        thin(x + 0.6f * v);
        SetPenWidthScaled(0.027f);
        break;
    default:
        b -= 0.85f * t;
        thick(x);
        thin(b);
        break;
    }

    SetBrushStyle(bsClear);
    const bool brace = cell.markType == kGrandStaffBrace;
    const bool dotsRight = (cell.Note == ':' && !brace) || (westRow && cell.Note == '7');
    const bool dotsLeft = (cell.Note == ';' && !brace) || (westRow && cell.Note == '6');
    auto dot = [&](float dx, float dy) { DrawDotGlyph(d, dx, dy, cell, 1.4f, colour); };
    auto jianpuDots = [&](float dx, float twoHigh, float twoLow) {
        if (cell.dot == 1) {
            dot(dx, y - 0.51f * u);
            dot(dx, y - 0.305f * u);
            dot(dx, y - 0.1f * u);
        } else if (cell.dot == 2) {
            dot(dx, y - 0.305f * u);
        } else {
            dot(dx, y - twoHigh * u);
            dot(dx, y - twoLow * u);
        }
    };
    if (dotsRight) {
        if (!westRow) {
            jianpuDots(b + 0.2f * v, 0.43f, 0.18f);
        } else {
            const float dx = cell.Note == ':' ? b + 0.5f * v - 0.35f * v : b - 0.35f * v;
            dot(dx, y - 0.4f * u);
            dot(dx, y - 0.15f * u);
        }
    }
    if (dotsLeft) {
        if (!westRow) {
            jianpuDots(b - 0.55f * v, 0.4f, 0.15f);
        } else {
            const float dx = cell.Note == ';' ? b - 0.55f * v : b + 0.5f * v - 0.55f * v;
            dot(dx, y - 0.4f * u);
            dot(dx, y - 0.15f * u);
        }
    }
    SetBrushStyle(bsClear);
}
