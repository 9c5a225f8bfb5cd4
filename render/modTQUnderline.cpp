#include "render/modTQUnderline.h"

#include <algorithm>
#include <cmath>

#include "model/modTQPredicates.h"
#include "model/modTQScan.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQMainView.h"

namespace {
constexpr uint32_t kGraceBit = 0x10000000u;
bool HasGraceBit(const TCell* cell) { return cell && (cell->option & kGraceBit); }

// Underlines are grouped by beat: where the cell at col starts a beat and the
// cell before it is underlined too, the two lines keep a gap.
int BeatTicks(TDrawEngine* d, int row) {
    if (!d || row < 0)
        return JianpuBeatTicks(row);
    const int page = MainView()->CurPage;
    if (d->BeatTicksPage != page || d->BeatTicksLayer != CurLayer) {
        d->BeatTicksByRow.clear();
        d->BeatTicksPage = page;
        d->BeatTicksLayer = CurLayer;
    }
    if (static_cast<size_t>(row) >= d->BeatTicksByRow.size())
        d->BeatTicksByRow.resize(static_cast<size_t>(row) + 1, 0);
    int& ticks = d->BeatTicksByRow[static_cast<size_t>(row)];
    if (ticks == 0)
        ticks = JianpuBeatTicks(row);
    return ticks;
}

bool BeatStartsAt(TDrawEngine* d, int col, int row) {
    if (col <= 0)
        return false;
    const TCell* left = CellAtAddress(col - 1, row);
    const TCell* cell = CellAtAddress(col, row);
    if (!left || !cell || left->UL < 1 || cell->UL < 1 || IsGraceNoteCell(*left) || IsGraceNoteCell(*cell) ||
        IsShrinkCell(*left) || IsShrinkCell(*cell))
        return false;
    const int onset = JianpuOnsetInMeasure(col, row);
    return onset > 0 && onset % BeatTicks(d, row) == 0;
}
} // namespace

void DrawJianpuUnderlines(TDrawEngine* d, float x, float y, const TCell& cell, int col, int row) {
    TMainView* mv = MainView();
    const float u = static_cast<float>(mv->GetCellHeight());
    const float v = static_cast<float>(mv->GetCellWidth());
    if (cell.markType >= 32 && cell.markType <= 35)
        return;

    float s = cell.CompressNotes.size() > 1 ? 1.0f : cell.fontSizeR;
    float y0 = y + (0.83f + 0.3f * (s - 1.0f)) * u;
    // Whole pixels, rounded up; the small margin keeps 3.0000001 at 3.
    const float spacing = std::ceil(u * 0.1f * s - 1e-4f);
    float a = 0.0f;
    float e = 0.02f * u;
    const bool lastCol = col >= mv->Cols - 1;
    const TCell* right = lastCol ? nullptr : CellAtAddress(col + 1, row);
    if (right && IsShrinkCell(*right))
        e += 0.15f * v;
    if (IsGraceNoteCell(cell)) {
        y0 += 0.05f * u;
        a = 0.15f * v;
        e -= 0.3f * v;
        s = 0.8f;
    }

    const int lines = std::min(cell.UL, 5);
    // The gap between two beats' lines, about a third of a digit, is taken
    // half from each side of the cell boundary.
    const int gap = std::max(2, static_cast<int>(std::lround(0.22f * v)));
    const bool grace = IsGraceNoteCell(cell);
    const int cutLeft = lines > 0 && !grace && BeatStartsAt(d, col, row) ? gap / 2 : 0;
    const int cutRight = lines > 0 && !grace && !lastCol && BeatStartsAt(d, col + 1, row) ? gap - gap / 2 : 0;
    float yL = y0;
    for (int i = 0; i < lines; ++i) {
        yL = y0 + spacing * static_cast<float>(i);
        FillBar(x + a + static_cast<float>(cutLeft), yL, static_cast<int>(v + e) - cutLeft - cutRight,
                static_cast<int>(0.12f * v * s), -1);
    }

    bool hooked = IsGraceCell(cell);
    if ((cell.option & kGraceBit) && IsVerticalCell(cell)) {
        const TCell* left = col > 0 ? CellAtAddress(col - 1, row) : nullptr;
        if (col == 0 || !HasGraceBit(left)) {
            hooked = true;
            if (HasGraceBit(right))
                x += 0.5f * v;
        }
    }

    // The right neighbour is read only for a small grace cell (most cells are not).
    auto smallGraceFollows = [&] {
        return right && right->fontSizeR <= 0.8f && AttrHasNibble(right->Attr, 0xB0) && (right->option & kGraceBit);
    };
    if (s <= 0.9f && hooked && (!cell.CompressNotes.empty() || IsVerticalCell(cell)) && !smallGraceFollows()) {
        SetPenWidthScaled(0.05f * s);
        const float r = 0.2f * u;
        // The hook hangs under the middle of the lines it closes.
        const float m = ((x + a) + (x + v)) / 2.0f;
        DrawArcPolyline(m + r, yL + 0.05f * u, r, 90, 180);
        SetPenWidthScaled(0.027f);
    }
}
