#pragma once
// A main window's drawing part with a small score, for the drawing tests.
//
//   TViewFixture fx(12, 4);          // 12 x 4 grid, page 0 of layer 0, current
//   fx.Row(1, "1_ 2__ | 3");         // cells from a text picture (TScoreFixture tokens)
//   fx.view.DrawEngine.DrawPage(...) // draws on fx.canvas, a recording canvas
//
// Cell size 20 x 40 page units at zoom 1, so the x unit is 20 and the y unit 40
// pixels; margins 60 and 50. The previous current score and layer are restored
// when the fixture goes.
#include <sstream>
#include <string>
#include <string_view>

#include "model/modTQMainScore.h"
#include "notation/modTQNotationApi.h"
#include "platform/gui/TQRecordingCanvas.h"
#include "model/modTQUtil.h"
#include "render/modTQMainView.h"
#include "tests/support/TQScoreFixture.h"

class TViewFixture {
public:
    TViewFixture(int cols = 12, int rows = 6, int layer1Pages = 0)
        : previous_(frmMainTQ), previousLayer_(CurLayer) {
        frmMainTQ = &view;
        CurLayer = 0;
        view.CellWidth = 20;
        view.CellHeight = 40;
        view.DrawUnit = 20;
        view.LeftMargin = 60;
        view.TopMargin = 50;
        view.Zoom = 1.0;
        view.Cols = cols;
        view.Rows = rows;
        view.AllocatePage(0, 0, true, 0, 0);
        for (int p = 0; p < layer1Pages; ++p)
            view.AllocatePage(1, p, true, 0, 0);
        view.PaintBoxWidth = 60 + 20 * cols + 30;
        view.PaintBoxHeight = 50 + 40 * rows + 40;
        canvas.SetSize({view.PaintBoxWidth, view.PaintBoxHeight});
        view.OutCanvas = &canvas;
        view.PaintBoxCanvas = &canvas;
        view.ShowGrid = false;
    }
    ~TViewFixture() {
        frmMainTQ = previous_;
        CurLayer = previousLayer_;
    }
    TViewFixture(const TViewFixture&) = delete;
    TViewFixture& operator=(const TViewFixture&) = delete;

    // Cells of a row from column 0, one blank-separated token each.
    TViewFixture& Row(int row, std::string_view picture, int layer = 0) {
        std::istringstream in{std::string(picture)};
        std::string token;
        int col = 0;
        while (in >> token)
            At(col++, row, layer) = TScoreFixture::Cell(token);
        return *this;
    }
    TCell& At(int col, int row, int layer = 0) {
        return view.PageSets[static_cast<size_t>(layer)].at(0).at(static_cast<size_t>(row)).at(static_cast<size_t>(col));
    }
    // Cell origin in pixels.
    float X(int col) const { return 60.0f + 20.0f * static_cast<float>(col); }
    float Y(int row) const { return 50.0f + 40.0f * static_cast<float>(row); }

    TMainView view;
    TRecordingCanvas canvas{TSize{1000, 1400}};

private:
    TMainScore* previous_;
    int previousLayer_;
};
