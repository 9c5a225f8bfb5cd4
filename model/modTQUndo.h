#pragma once
// Undo and redo.
//
// Every command that changes the score first saves what it is about to change:
// small edits a copy of the affected cells (with the other layer when edits
// apply to both layers), structural edits a snapshot of the page or of the
// whole score in a temporary binary score file. Undo takes the newest item
// back and keeps its mirror for Redo.
//
// Snapshot files live in the private temporary folder of this process, so two
// running copies never touch each other's files. An item is added only after
// its snapshot was written, and a snapshot is applied only when it was read
// completely. The modified flag follows the position of the last save.
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "model/modTQCell.h"

// Kinds of undo items.
enum : uint8_t { ukCells = 0, ukScore = 1, ukPage = 2, ukHeader = 3 };

struct TUndoItem {
    std::vector<TCell> cells;   // kind 0: the block of one layer, then optionally of the other; kind 3: one cell
    int32_t layer = 0;          // CurLayer when saved
    int32_t page = 0;           // page of the block or snapshot
    bool modified = false;      // the score's modified state when saved
    uint8_t kind = ukCells;
    int32_t block[4] = {};      // x1, y1, x2, y2
    int32_t selection[4] = {};  // selection to restore: column 0, row 0, column 1, row 1
    std::string tempFile;       // snapshot file (kinds 1 and 2)
    uint8_t groupCount = 1;     // items one step takes back, held by the newest item of a group
    int32_t otherLayerStart = -1; // index in cells where the other layer's block begins; -1 none
    bool marks = false;         // the command marked the cells it could not handle; Undo clears the marks
};

class TUndo {
public:
    // Items kept: before an item is added the oldest go while more than this many remain.
    static constexpr std::size_t kMaxItems = 200;

    TUndo() = default;
    ~TUndo();
    TUndo(const TUndo&) = delete;
    TUndo& operator=(const TUndo&) = delete;

    // When set, cell saves also copy the other layer.
    bool BothLayers = false;
    std::deque<TUndoItem> UndoList; // newest at the back
    std::deque<TUndoItem> RedoList;

    // Hooks the editing object and the main window set.
    std::function<void(bool)> OnUndoEnabled;  // enable or disable the Undo button
    std::function<void(bool)> OnRedoEnabled;
    std::function<void()> OnClearPage;        // clear the current page without asking, before a page snapshot is put back
    std::function<void()> OnClearHighlights;  // before a whole-score snapshot is put back
    std::function<void(int)> OnGoToPage;      // after CurPage was set
    std::function<void()> OnPageCaption;

    // Folder of the snapshot files (the private temporary folder).
    std::string TempFolder() const;

    // --- saving ---
    void SaveUndo(); // the selection on the current page
    void SaveBlock(int x1, int y1, int x2, int y2, int page = -1);
    void SaveClampedBlock(int x1, int y1, int x2, int y2, int page);
    void SaveSelectedRows(bool bothLayers);
    void SaveRows(int row1, int row2, bool bothLayers);
    void SaveRowSpan(int col1, int col2, int row, bool bothLayers);
    void SaveCellBlock(int x1, int y1, int x2, int y2, int s1, int s2, int s3, int s4, int page, bool clearRedo);
    // Whole-score snapshot; returns the snapshot file, "" when it could not be written.
    std::string SaveScoreSnapshot(bool clearRedo);
    // Page snapshot; false when it could not be written. The redo list stays.
    bool SavePageSnapshot(int page);
    // The text-symbol size, hint mode and hint size. The redo list stays.
    void SaveSymbolSize();

    // --- groups ---
    void SetUndoGroup(int count);
    void IncUndoGroup();
    void SetGroupSelection(int x1, int y1, int x2, int y2);
    // The newest item's command marks cells (the highlights): taking it back clears them.
    void SetMarksHighlights();
    void DropLastItems(int n);

    // --- clearing ---
    void ClearUndoFiles(); // a new or opened score: empties both lists and deletes the files
    void ClearRedo();

    // --- stepping ---
    void UndoStep();
    void RedoStep();

    // The score was just saved: its present state is the saved one. (Called by
    // the writer after a user save of the current score.)
    void MarkSaved();

private:
    void AppendCellBlock(const int block[4], const int selection[4], int page, bool clearRedo, bool bothLayers);
    void CopyBlock(TUndoItem& item, bool bothLayers) const;
    void PushUndo(TUndoItem item);
    bool SaveRedoSnapshot(const TUndoItem& item);
    void DropOldest();
    std::string NewTempFile(const char* prefix) const;
    bool WriteSnapshot(const std::string& file, int kind, int page) const;
    void RestoreCells(const TUndoItem& item);
    void SaveRedoItem(const TUndoItem& item);
    bool UndoSnapshot(const TUndoItem& item);
    void SelectAndGo(const TUndoItem& item);
    void UpdateModified();
    void EnableUndo(bool on);
    void EnableRedo(bool on);

    // Depth of the undo list at which the score equals its file; -1 when that
    // state can no longer be reached.
    long savedDepth_ = 0;
    bool inRedo_ = false;             // items added now come from Redo
    mutable std::string folder_;      // the snapshot folder last used
};

// The program-wide undo store.
extern TUndo Undo;
