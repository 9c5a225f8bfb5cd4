#pragma once
// A main window's score and drawing part with a small grid, for the converter
// tests: rows are filled from TScoreFixture pictures, and the converter under
// test is a fresh object.
//
//   TConvertFixture fx(16, 6);
//   fx.Row(3, "&G/1 ~ W:3@2");   // treble clef in G, a quarter G on column 2
//   fx.Select(2, 3);             // SelRow0..SelRow1
//   fx.cvt.ConvertW2JPage(3);
#include <sstream>
#include <string>
#include <string_view>

#include "convert/modTQConvertW2J.h"
#include "model/modTQGroup.h"
#include "model/modTQKeys.h"
#include "model/modTQPredicates.h"
#include "platform/gui/TQRecordingCanvas.h"
#include "render/modTQMainView.h"
#include "tests/support/TQScoreFixture.h"

class TConvertFixture {
  public:
    explicit TConvertFixture(int cols = 16, int rows = 6, int layer1Pages = 0, int pages = 1)
        : previous_(frmMainTQ), previousLayer_(CurLayer) {
        frmMainTQ = &view;
        CurLayer = 0;
        view.Cols = cols;
        view.Rows = rows;
        for (int p = 0; p < pages; ++p)
            view.AllocatePage(0, p, true, 0, 0);
        for (int p = 0; p < layer1Pages; ++p)
            view.AllocatePage(1, p, true, 0, 0);
        // Redraws go to a recording canvas of the page's size.
        view.CellWidth = 20;
        view.CellHeight = 40;
        view.DrawUnit = 20;
        view.Zoom = 1.0;
        view.PaintBoxWidth = 60 + 20 * cols + 30;
        view.PaintBoxHeight = 50 + 40 * rows + 40;
        canvas.SetSize({view.PaintBoxWidth, view.PaintBoxHeight});
        view.OutCanvas = &canvas;
        view.PaintBoxCanvas = &canvas;
        view.CurClef = -1;
        view.CurKey = 0;
        GroupRows.clear();
        ClearKeyAccidTable();
    }
    ~TConvertFixture() {
        GroupRows.clear();
        frmMainTQ = previous_;
        CurLayer = previousLayer_;
    }
    TConvertFixture(const TConvertFixture&) = delete;
    TConvertFixture& operator=(const TConvertFixture&) = delete;

    // Cells of a row from column 0, one blank-separated token each (quoted
    // texts may not hold blanks here).
    TConvertFixture& Row(int row, std::string_view picture, int layer = 0, int page = 0) {
        std::istringstream in{std::string(picture)};
        std::string token;
        int col = 0;
        while (in >> token)
            At(col++, row, layer, page) = TScoreFixture::Cell(token);
        return *this;
    }
    TCell& At(int col, int row, int layer = 0, int page = 0) {
        return view.PageSets[static_cast<size_t>(layer)]
            .at(static_cast<size_t>(page))
            .at(static_cast<size_t>(row))
            .at(static_cast<size_t>(col));
    }
    TCellRow& GridRow(int row, int layer = 0) {
        return view.PageSets[static_cast<size_t>(layer)]
            .at(static_cast<size_t>(view.CurPage))
            .at(static_cast<size_t>(row));
    }
    void Select(int row0, int row1) {
        view.SelCol0 = 0;
        view.SelCol1 = view.Cols - 1;
        view.SelRow0 = row0;
        view.SelRow1 = row1;
    }

    TMainView view;
    TRecordingCanvas canvas{TSize{1000, 1400}};
    TConvertW2J cvt;

  private:
    TMainScore* previous_;
    int previousLayer_;
};
