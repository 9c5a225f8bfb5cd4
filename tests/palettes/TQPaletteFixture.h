#pragma once
// A main window's score and drawing part with a small grid, current while the
// fixture lives, for the palette operations; redraws go to a recording canvas.
#include <string_view>

#include "lang/modTQMainSettings.h"
#include "model/modTQUndo.h"
#include "platform/gui/TQRecordingCanvas.h"
#include "render/modTQMainView.h"
#include "tests/support/TQScoreFixture.h"

// The main window's score, drawing part and settings.
class TPaletteWindow : public TMainView, public TMainSettings {};

class TPaletteFixture {
public:
    explicit TPaletteFixture(int cols = 16, int rows = 6, int pages = 1, int layer1Pages = 0)
        : previous_(frmMainTQ), previousLayer_(CurLayer) {
        frmMainTQ = &view;
        CurLayer = 0;
        view.Cols = cols;
        view.Rows = rows;
        for (int p = 0; p < pages; ++p) view.AllocatePage(0, p, true, 0, 0);
        for (int p = 0; p < layer1Pages; ++p) view.AllocatePage(1, p, true, 0, 0);
        view.CellWidth = 20;
        view.CellHeight = 40;
        view.DrawUnit = 20;
        view.Zoom = 1.0;
        view.PaintBoxWidth = 60 + 20 * cols + 30;
        view.PaintBoxHeight = 50 + 40 * rows + 40;
        canvas.SetSize({view.PaintBoxWidth, view.PaintBoxHeight});
        view.OutCanvas = &canvas;
        view.PaintBoxCanvas = &canvas;
        Undo.ClearUndoFiles();
    }
    ~TPaletteFixture() {
        Undo.ClearUndoFiles();
        frmMainTQ = previous_;
        CurLayer = previousLayer_;
    }
    TPaletteFixture(const TPaletteFixture&) = delete;
    TPaletteFixture& operator=(const TPaletteFixture&) = delete;

    TPaletteFixture& Row(int row, std::string_view picture, int layer = 0, int page = 0) {
        std::string text(picture);
        std::size_t start = 0;
        int col = 0;
        while (start < text.size()) {
            std::size_t end = text.find(' ', start);
            if (end == std::string::npos) end = text.size();
            if (end > start) At(col++, row, layer, page) = TScoreFixture::Cell(text.substr(start, end - start));
            start = end + 1;
        }
        return *this;
    }
    TCell& At(int col, int row, int layer = 0, int page = 0) {
        return view.PageSets[std::size_t(layer)].at(std::size_t(page)).at(std::size_t(row)).at(std::size_t(col));
    }
    void Select(int col0, int row0, int col1, int row1) {
        view.SelCol0 = col0;
        view.SelRow0 = row0;
        view.SelCol1 = col1;
        view.SelRow1 = row1;
    }

    TPaletteWindow view;
    TRecordingCanvas canvas{TSize{1000, 1400}};

private:
    TMainScore* previous_;
    int previousLayer_;
};
