#pragma once
// The page drawer: background, grid with its numbers, both layers of cells,
// the selection, the slice-view label and the footer of printed pages; the
// cell loop and the Jianpu cell dispatcher.
#include <vector>

#include "model/modTQCell.h"
#include "platform/gui/TQCanvas.h"
#include "render/modTQDrawBase.h"

class TDrawEngine : public TDrawBaseObj {
public:
    // The beat of each row's time signature in ticks (0: not looked up yet),
    // kept while DrawCells draws one page of one layer: drawing changes no cell.
    std::vector<int> BeatTicksByRow;
    int BeatTicksPage = -1, BeatTicksLayer = -1;
    // Last column of the current reduced-size staff run; -1 when none.
    int ReducedRunEnd = -1;
    // The row being drawn starts with a drum (-4) or tablature (-6) clef.
    bool DrumTabRow = false;
    // The beam group of a Western row: 0 none open, 1 a combined-tail group of
    // the row, 2 a cross-staff group; while the small notes of one cell are
    // beamed together, 1 as well. It is the row's last scratch word, which the
    // cell loop clears at every row. BeamStartCol: the column that opened it.
    int32_t& BeamMode = DrawScratch[5];
    int BeamStartCol = 0;
    // Partner row of the grand-staff brace the last staff header drew; 0 none.
    int BraceRow = 0;

    // Draws columns colFrom..colTo and rows rowFrom..rowTo of the current page.
    // wholePage: grid numbers and footer, range unchanged; else a partial
    // redraw of the range. useBitmap: compose in the work bitmap on screen.
    void DrawPage(int colFrom, int rowFrom, int colTo, int rowTo, bool useBitmap, bool wholePage);
    // Both layers in the range (upper bounds exclusive), the other layer first,
    // then the selection on screen.
    void DrawLayers(int colFrom, int rowFrom, int colTo, int rowTo);
    // Footer texts around the grid rectangle.
    void DrawPageFooter(const TRect& grid);
    // The cells of layer CurLayer of the current page, row by row.
    void DrawCells(int colFrom, int rowFrom, int colTo, int rowTo);
};

// One Jianpu cell (type 0) at the pixel position.
void DrawJianpuCell(TDrawEngine* d, float x, float y, const TCell& cell, int col, int row);
// Cell types drawn in their own colour when bit 2 of the third symbol slot is set.
bool IsOwnColourCellType(const TCell& cell);
// n parallel strokes at 45 degrees.
void DrawSlashMarks(TDrawEngine* d, float x, float y, const TCell& cell, int n);
// "*" in Arial.
void DrawAsteriskSymbol(TDrawEngine* d, float x, float y, const TCell& cell, float factor);
// An ellipse around a text of the given extent.
void DrawTextCircle(TDrawEngine* d, float x, float y, const TCell& cell, TSize extent, float factor);
