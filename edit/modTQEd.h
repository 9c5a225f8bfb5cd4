#pragma once
// The grid editing object of the main window: structural changes of the page
// grid (moving a block of cells, emptying a range, inserting and deleting
// columns, lines and pages, clearing a page, the display bits of staff
// headers) and the cell clipboard of Copy, Cut and Paste.
//
// It works on the current page of the current score (frmMainTQ) and the current
// layer, and on the other layer too when edits apply to both layers. Every
// change is saved for undo first and ends with the score marked modified.
//
// Lines and pages form one sequence: inserting or deleting a line shifts every
// following line of the score by one, across page ends.
//
// Block buffers hold copies of cells, one row per selected line. The ends of a
// cell's spanning mark (iEnd, jEnd) are kept relative to the cell while it sits
// in a buffer, and made absolute again (and held inside the grid) when the
// buffer is written back.
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "model/modTQCell.h"

using TBlockBuffer = std::vector<TCellRow>;

// Display bits of a staff header (the playDur word of its clef cell), and the
// three actions ToggleAttribute also takes.
enum : int {
    sbHideEndLine = 1,
    sbHideKeySignature = 2,
    sbHideClef = 4,
    sbStartLine = 16,
    sb8vaAbove = 64,
    sb8vaBelow = 128,
    saMoveStaffUp = 256,
    saMoveStaffDown = 512,
    saExtendToEndLine = 1024,
};

class TEd {
public:
    TEd() = default;

    // Top-left cell (column, line) of the block last taken into a buffer.
    int OriginCol = 0;
    int OriginRow = 0;
    std::array<TBlockBuffer, 2> MoveBuffer; // per layer
    std::array<TBlockBuffer, 2> Clipboard;  // per layer

    // The Paste button: enabled by the first Copy or Cut. The window follows it.
    bool PasteEnabled = false;
    std::function<void(bool)> OnPasteEnabled;
    // Sets PasteEnabled and tells the window.
    void SetPaste(bool enabled);

    // --- grid editing ---
    // The current page has its layer-1 twin and "Apply Edit to Both Layers" is checked.
    bool ApplyToBothLayers() const;
    void ClearMoveBuffer();
    // Moves the selected block so that its first cell lands at (col, row); the
    // selection follows. clearBraces: 0 drag and drop, 1 the insert-cell and
    // delete-cell commands.
    void MoveBlock(int col, int row, uint8_t clearBraces);
    // Empties the rectangle between the two cells (columns x, lines y).
    void DeleteRange(int fromCol, int fromRow, int toCol, int toRow);
    // An empty line before line `row` of `page`; following lines move down one.
    // The caller saves undo and redraws.
    void InsertLine(int page, int row);
    void InsertPage(int page);
    // n = 1 inserts an empty column at col on every line of the current page,
    // n = -1 deletes column col; the caller saves undo and redraws.
    void InsertColumns(int col, int n);
    // Deletes the cursor line; following lines move up one. The caller saves undo and redraws.
    void DeleteLine();
    // Deletes the current page (asks 1025 first when it holds something and the score is modified).
    void DeletePage();
    // Empties the current page; ask: the Clear command (question 1024, page undo).
    void ClearPage(bool ask);
    // A display bit toggled on the staff headers of the selection, or one of the
    // actions 256 (staff up), 512 (staff down), 1024 (staff to the end line).
    void ToggleAttribute(int request);

    // --- copy, cut and paste ---
    void Copy();
    void Cut();
    // mode 0 everything, 1 the dynamic mark, 2 the font of text cells, 3 the offsets.
    void Paste(int mode);

    // --- workers ---
    // Nearest column at or left of col in the line whose cell is a slur or tuplet mark; -1 none.
    int FindMarkStartLeft(int col, int row) const;
    void MoveSelectionTo(int col, int row, uint8_t clearBraces);
    // Appends the selection of a layer to that layer's move buffer or clipboard.
    // A clef change inside a line takes clefEnd as its end column.
    void FillBuffer(int layer, int clefEnd, bool toMoveBuffer);
    void PasteBuffer(int layer, int col, int row, const TBlockBuffer& buffer, int mode, bool clearBraces);
    void ClearCells(int fromCol, int fromRow, int toCol, int toRow, int layer, bool clearBraces);
    // Beam-group bits of the line made consistent: every start has its end.
    void RepairBeamGroups(int line, int layer);
    // Grand-staff braces of layer 0 reach down to the next clef in their column.
    void RefitBraces();
    // Layer 0 of the current page holds a grand-staff brace.
    bool PageHasBrace() const;
    void RefitBarLinesBelowBrace(int line);
    void FillConnectingBarLines(int col0, int col1, int top, int bottom);
    void AppendPage();
    void ShiftLinesDown(int layer, int firstPage, int lastPage, int row);
    // On the current layer, from the current page to lastPage.
    void ShiftLinesUp(int lastPage, int row);
    void InsertColumnInRow(int row, int col);
    void DeleteColumnInRow(int row, int col);
    // dir -1 up, +1 down; false when the header may not move that way.
    bool MoveStaffHeader(TCell& header, int col, int row, int dir);

private:
    int savedItems_ = 0; // undo items saved by the move in progress
    void SaveBlockOn(int layer, int x1, int y1, int x2, int y2);
};

// The main window's editing object. The window holds one by value and hands it
// over with SetMainEd; until then one program-wide object serves. Installs the
// undo store's page-clearing hook for the object it returns.
TEd& MainEd();
void SetMainEd(TEd* ed);
