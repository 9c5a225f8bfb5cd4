#pragma once
// A main window without widgets (score, drawing and settings parts) with a score
// of several pages, for the editing tests.
//
//   TEditFixture fx(12, 8, 2, 1);     // 12 x 8 grid, 2 pages in layer 0, 1 in layer 1
//   TEditFixture page(0, 0, 2);       // the grid of the default paper (60 x 40), which
//                                     // survives an undo snapshot, since a score file
//                                     // stores the paper, not the grid
//   fx.Row(3, "1 2 | 3", 1);         // cells of page 1, layer 0 (TScoreFixture tokens)
//   fx.Select(0, 3, 2, 3);
//   fx.ed.MoveBlock(4, 3, 0);
//
// The fixture's editing object is the main one while it lives; messages go to a
// recorder; the undo store is emptied before and after.
#include <sstream>
#include <string>
#include <string_view>

#include "edit/modTQEd.h"
#include "lang/modTQMainSettings.h"
#include "model/modTQUndo.h"
#include "platform/core/TQMessage.h"
#include "platform/gui/TQRecordingCanvas.h"
#include "render/modTQMainView.h"
#include "tests/support/TQScoreFixture.h"

class TEditWindow : public TMainView, public TMainSettings {};

class TEditFixture {
public:
    TEditFixture(int cols = 12, int rows = 8, int pages = 1, int layer1Pages = 0)
        : previous_(frmMainTQ), previousLayer_(CurLayer) {
        frmMainTQ = &win;
        CurLayer = 0;
        win.Zoom = 1.0;
        if (cols == 0 || rows == 0) {
            win.CalcPageGrid();
        } else {
            win.CellWidth = 20;
            win.CellHeight = 40;
            win.DrawUnit = 20;
            win.Cols = cols;
            win.Rows = rows;
        }
        for (int p = 0; p < pages; ++p)
            win.AllocatePage(0, p, true, 0, 0);
        for (int p = 0; p < layer1Pages; ++p)
            win.AllocatePage(1, p, true, 0, 0);
        win.PageCount = pages;
        win.OutCanvas = &canvas;
        win.PaintBoxCanvas = &canvas;
        win.ShowGrid = false;
        SetMainEd(&ed);
        SetMessageBoxes(&messages);
        Undo.ClearUndoFiles();
    }
    ~TEditFixture() {
        Undo.ClearUndoFiles();
        SetMessageBoxes(nullptr);
        SetMainEd(nullptr);
        frmMainTQ = previous_;
        CurLayer = previousLayer_;
    }
    TEditFixture(const TEditFixture&) = delete;
    TEditFixture& operator=(const TEditFixture&) = delete;

    TEditFixture& Row(int row, std::string_view picture, int page = 0, int layer = 0) {
        std::istringstream in{std::string(picture)};
        std::string token;
        int col = 0;
        while (in >> token)
            At(col++, row, page, layer) = TScoreFixture::Cell(token);
        return *this;
    }
    TCell& At(int col, int row, int page = 0, int layer = 0) {
        return win.PageSets[size_t(layer)].at(size_t(page)).at(size_t(row)).at(size_t(col));
    }
    void Select(int col0, int row0, int col1, int row1) {
        win.SelCol0 = col0;
        win.SelRow0 = row0;
        win.SelCol1 = col1;
        win.SelRow1 = row1;
    }
    // Marks the cell so that a test can find where it went.
    TCell& Mark(int col, int row, int id, int page = 0, int layer = 0) {
        TCell& c = At(col, row, page, layer);
        c.Note = '1';
        c.FontColor = id;
        return c;
    }

    TEditWindow win;
    TEd ed;
    TRecordingCanvas canvas{TSize{1000, 1400}};
    TMessageRecorder messages;

private:
    TMainScore* previous_;
    int previousLayer_;
};
