// Cell access on a main window under test: read or write a cell of any page
// and layer, lay out a row from a cell picture, select a block.
#pragma once

#include <memory>
#include <sstream>
#include <string>

#include "app/frmTQMain.h"
#include "tests/support/TQScoreFixture.h"

struct TWindowCells {
    std::unique_ptr<TfrmMainTQ> w;

    TCell& At(int col, int row, int page = 0, int layer = 0) {
        return w->PageSets[size_t(layer)].at(size_t(page)).at(size_t(row)).at(size_t(col));
    }
    void Row(int row, const std::string& picture, int page = 0, int layer = 0) {
        std::istringstream in(picture);
        std::string token;
        for (int col = 0; in >> token; ++col)
            At(col, row, page, layer) = TScoreFixture::Cell(token);
    }
    void Select(int c0, int r0, int c1, int r1) {
        w->SelCol0 = c0;
        w->SelRow0 = r0;
        w->SelCol1 = c1;
        w->SelRow1 = r1;
    }
};
