// Pointer and cursor members of the main window's drawing part: pointer to
// cell, hit tests of the selection, rubber bands, cursor and selection moves,
// the note a later key addresses, scrolling and the tool-window placement.
#include <algorithm>
#include <cmath>

#include "edit/modTQCursorKeys.h"
#include "edit/modTQEd.h"
#include "model/modTQCellAccess.h"
#include "model/modTQPredicates.h"
#include "model/modTQScan.h"
#include "platform/core/TQStrings.h"
#include "render/modTQMainView.h"

namespace {

int FloorDiv(int a, int b) {
    return b == 0 ? 0 : static_cast<int>(std::floor(static_cast<double>(a) / static_cast<double>(b)));
}

} // namespace

void TMainView::PointToCell(int& col, int& row, int x, int y) const {
    col = std::clamp(FloorDiv(x - GetLeftMargin(), GetCellWidth()), 0, std::max(Cols - 1, 0));
    if (GongChiMode && col % 2 == 1)
        --col;
    row = std::clamp(FloorDiv(y - GetTopMargin(), GetCellHeight()), 0, std::max(Rows - 1, 0));
}

bool TMainView::IsOutsideHorizontally(int x, int y) const {
    const int L = GetLeftMargin(), T = GetTopMargin();
    const int V = GetCellWidth(), U = GetCellHeight();
    return (x < L - 5.0 * Zoom && y < T + Rows * U) || x > L + Cols * V;
}

bool TMainView::IsOutsideVertically(int x, int y) const {
    const int L = GetLeftMargin(), T = GetTopMargin();
    const int U = GetCellHeight();
    return (y < T - 5.0 * Zoom - 5 && x > L) || y > T + Rows * U + 5;
}

int TMainView::SelectionHandleAt(int x, int y) const {
    const int L = GetLeftMargin(), T = GetTopMargin();
    const int V = GetCellWidth(), U = GetCellHeight();
    const int x0 = L + std::min(SelCol0, SelCol1) * V;
    const int x1 = L + (std::max(SelCol0, SelCol1) + 1) * V;
    const int y0 = T + std::min(SelRow0, SelRow1) * U;
    const int y1 = T + (std::max(SelRow0, SelRow1) + 1) * U;
    const int t = static_cast<int>(4.0 * Zoom);
    if (std::abs(x - x1) <= t && std::abs(y - y1) <= t)
        return 3;
    if (x1 - t < x && x < x1 + t && y0 - t < y && y < y1 + t)
        return 4;
    if (y1 - t < y && y < y1 + t && x0 - t < x && x < x1 + t)
        return 5;
    if ((x0 <= x && x <= x1 && y0 - t <= y && y <= y0 + t) || (y0 <= y && y <= y1 && x0 - t <= x && x <= x0 + t))
        return 2;
    return 0;
}

void TMainView::DrawDragLine(int x, int y) {
    if (!OutCanvas)
        return;
    TCanvas& c = *OutCanvas;
    const TPen saved = c.Pen;
    c.Pen.Mode = pmXor;
    c.Pen.Color = 0x00FF00;
    c.Pen.Style = psDot;
    c.MoveTo(GetLeftMargin() + SelCol0 * GetCellWidth(), GetTopMargin() + SelRow0 * GetCellHeight());
    c.LineTo(x, y);
    c.Pen.Mode = pmCopy;
    c.Pen.Style = psSolid;
    c.Pen.Color = saved.Color;
    c.Pen.Width = saved.Width;
}

void TMainView::DrawDragFrame(int x, int y) {
    if (!OutCanvas)
        return;
    TCanvas& c = *OutCanvas;
    const TPen savedPen = c.Pen;
    const TBrush savedBrush = c.Brush;
    int w = GetCellWidth() * (std::abs(SelCol1 - SelCol0) + 1);
    if (GongChiMode)
        w *= 2;
    const int h = GetCellHeight() * (std::abs(SelRow1 - SelRow0) + 1);
    c.Pen.Mode = pmXor;
    c.Pen.Color = 0x00FF00;
    c.Brush.Style = bsClear;
    c.Rectangle(x, y, x + w, y + h);
    c.Pen = savedPen;
    c.Pen.Mode = pmCopy;
    c.Brush = savedBrush;
}

void TMainView::SelectRunAt(int x, int y) {
    int col = 0, row = 0;
    PointToCell(col, row, x, y);
    SelCol1 = col;
    SelRow1 = row;
    TCell cursor;
    GetCursorCell(cursor);
    if (IsClefCell(cursor)) {
        MainEd().ToggleAttribute(saExtendToEndLine);
        RedrawPage();
        return;
    }
    int first = SelCol0, last = SelCol1;
    WidenToNoteRun(first, last);
    SelCol0 = first;
    SelCol1 = last;
    RedrawSelection();
}

void TMainView::WidenToNoteRun(int& first, int& last) {
    TCell cell;
    GetCell(cell, last, SelRow0);
    const bool west = cell.cellType == ctWestern;
    const bool usable = IsNoteOrRestCell(cell) && !(IsWestNoteCell(cell, 1) && cell.Note >= 1 && cell.Note < 4);
    if (usable) {
        const int at = last;
        first = std::max(0, FindBeamGroupEnd(at, SelRow0, west, -1));
        last = std::max(first, FindBeamGroupEnd(at, SelRow0, west, 1));
        return;
    }
    SelCol0 = MouseDownCol;
    SelRow0 = MouseDownRow;
    SelCol1 = MouseDownCol;
    SelRow1 = MouseDownRow;
    first = last = MouseDownCol;
}

void TMainView::ExtendRangeForNotes(float& top, int left, int& right, const TCell& cell) const {
    const int n = GetCompressNoteCount(cell);
    if (n == 0)
        return;
    if (IsVerticalCell(cell))
        top = std::max(0.0f, top - 0.6f * static_cast<float>(n));
    else
        right = std::max(right, std::min(left + n, Cols - 1));
}

void TMainView::SetStatusText(const std::string& text) {
    Controls.StatusFile = text;
    if (OnControlsChanged)
        OnControlsChanged();
}

void TMainView::ShowCellHint(float x, float y, const std::string& text) {
    if (text.empty())
        return;
    if (OnShowCellHint)
        OnShowCellHint(x, y, text);
}

void TMainView::MoveCursor(int dx, int dy) {
    if (OnHideCellHint)
        OnHideCellHint();
    const int s = GongChiMode ? 2 : 1;
    const int c1 = SelCol1 + dx * s;
    const int r1 = SelRow1 + dy;
    if (dx >= 1 && c1 > Cols - 1 && r1 < Rows - 1) {
        const int width = SelCol1 - SelCol0;
        SelCol0 = 0;
        SelCol1 = width;
        SelRow0 += 1;
        SelRow1 += 1;
    } else if (SelCol0 + dx * s < 0 || c1 > Cols - 1 || SelRow0 + dy < 0 || r1 > Rows - 1) {
        return;
    } else {
        SelCol0 += dx * s;
        SelCol1 = c1;
        SelRow0 += dy;
        SelRow1 = r1;
    }
    if (OnScrollIntoView)
        OnScrollIntoView(1);
    RedrawSelection();
    if (SelCol0 == SelCol1 && SelRow0 == SelRow1 && OnShowNoteHintPanel)
        OnShowNoteHintPanel(SelCol0, SelRow0);
    SetStatusText("");
}

void TMainView::ResizeSelection(int dx, int dy) {
    if ((dx < 0 && SelCol1 == SelCol0) || (dy < 0 && SelRow1 == SelRow0))
        return;
    if (SelCol1 + dx > Cols - 1 || SelRow1 + dy > Rows - 1 || SelCol1 + dx < 0 || SelRow1 + dy < 0)
        return;
    SelCol1 += dx;
    SelRow1 += dy;
    const bool scrolled = OnScrollIntoView && OnScrollIntoView(1);
    if (scrolled)
        RedrawPage();
    else
        RedrawSelection();
    SetStatusText("");
}

void TMainView::SelectTargetNote(int n) {
    TCell cell;
    GetCursorCell(cell);
    const int chords = GetChordNoteCount(cell);
    const int smalls = GetCompressNoteCount(cell);
    if (cell.cellType == ctWestern && chords > 0 && n - 2 < chords)
        ChordNoteIndex = n;
    else if (smalls > 0 && n <= smalls)
        ChordNoteIndex = n;
    else
        ChordNoteIndex = -1;
    std::string text;
    if (ChordNoteIndex == 0)
        text = GetStringById(3127);
    else if (ChordNoteIndex >= 1)
        text = GetStringById(3128) + std::to_string(ChordNoteIndex);
    SetStatusText(text);
    ShowCellHint(static_cast<float>(SelCol0) + 1.2f, static_cast<float>(SelRow0) + 0.25f, text);
}

void TMainView::KeepToolWindowInside(int mainLeft, int mainWidth, int mainHeight, int& toolLeft, int& toolTop,
                                     int toolWidth, int toolHeight) {
    const int right = mainLeft + mainWidth;
    if (toolLeft > right - toolWidth - 25)
        toolLeft = right - toolWidth - 25;
    if (toolLeft < 20)
        toolLeft = 20;
    if (toolTop < 25)
        toolTop = 25;
    if (toolTop > mainHeight - toolHeight)
        toolTop = mainHeight - toolHeight;
}

void TMainView::ScrollByWheel(int delta) {
    int pos = ScrollPosY + delta;
    if (delta > 0)
        pos = std::min(pos, std::max(ScrollRangeY, 0));
    else
        pos = std::max(pos, 0);
    ScrollPosY = pos;
    if (OnScrollByWheel)
        OnScrollByWheel(pos);
}

void TMainView::ToggleScrollEnd() {
    ScrollPosY = ScrollPosY == 0 ? std::max(ScrollRangeY, 0) : 0;
    Controls.ScrollX = -1;
    Controls.ScrollY = ScrollPosY;
    Controls.ScrollRequested = true;
    if (OnControlsChanged)
        OnControlsChanged();
}

void TMainView::LeaveFullView() {
    SliceView = 0;
    Zoom = SliceSavedZoom;
    ApplyZoom();
    if (OnLeaveFullView)
        OnLeaveFullView();
    RedrawPage();
}
