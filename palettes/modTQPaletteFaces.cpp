#include "palettes/modTQPaletteFaces.h"

#include <QPainter>
#include <algorithm>

#include "model/modTQCellAccess.h"
#include "model/modTQMainScore.h"
#include "palettes/modTQPaletteOps.h"
#include "platform/gui/TQQtCanvas.h"
#include "render/modTQMainView.h"

namespace {

// Symbols stand in blocks of 5 x 3 cells, the symbol at the block's second
// column and row, so that no drawing reaches into the next block.
constexpr int kPerRow = 12;
constexpr int kBlockCols = 5, kBlockRows = 3;

void WriteFaceCell(TPaletteFaceKind kind, int tag, TCell& c) {
    ResetCell(c);
    switch (kind) {
    case pfSpecial:
        c.cellType = 1;
        c.Note = tag;
        break;
    case pfDynMark:
        c.markType = tag; // its end is set where the cell is placed
        break;
    case pfGongche:
        c.cellType = 10;
        if (tag > 100) {
            c.Note = '5';
            c.Attr = uint32_t(tag - 100);
        } else if (tag >= 1) {
            c.Note = '0' + ((tag - 1) % 7 + 1);
            c.dot = (tag - 1) / 7 - 2;
        } else {
            c.Note = -tag;
        }
        break;
    case pfTextSymbol:
        c.cellType = 11;
        c.FontCharset = TextSymbolCharset(tag);
        c.Note = tag;
        break;
    }
}

// The ink of the box (pixels unlike bg), fitted into size x size.
QImage CutFace(const QImage& page, QRect box, QRgb bg, int size) {
    box = box.intersected(page.rect());
    int x0 = box.right() + 1, y0 = box.bottom() + 1, x1 = box.left() - 1, y1 = box.top() - 1;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            if (page.pixel(x, y) != bg) {
                x0 = std::min(x0, x), x1 = std::max(x1, x);
                y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
    if (x1 < x0) return {};
    const QImage ink = page.copy(QRect(QPoint(x0, y0), QPoint(x1, y1)));
    QImage face(size, size, QImage::Format_ARGB32_Premultiplied);
    face.fill(Qt::transparent);
    const QImage fitted =
        ink.width() <= size && ink.height() <= size
            ? ink
            : ink.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPainter p(&face);
    p.drawImage((size - fitted.width()) / 2, (size - fitted.height()) / 2, fitted);
    return face;
}

} // namespace

namespace {

// Draws cells[i] at the second column and row of block i on a private page and
// cuts out what each drew.
std::vector<QImage> DrawBlocks(const std::vector<TCell>& cells, const std::vector<int>& marks, int size,
                               bool gongche) {
    std::vector<QImage> faces(cells.size());
    if (cells.empty() || size < 4) return faces;
    TMainScore* const previous = frmMainTQ;
    const int previousLayer = CurLayer;
    {
        TMainView v;
        frmMainTQ = &v;
        CurLayer = 0;
        v.CellWidth = 20;
        v.CellHeight = 40;
        v.DrawUnit = 20;
        v.LeftMargin = 20;
        v.TopMargin = 20;
        v.RightMargin = 20;
        v.BottomMargin = 20;
        v.Zoom = 1.0;
        v.ShowGrid = false;
        v.GongChiMode = gongche;
        if (previous) {
            v.TextSymSize = previous->TextSymSize;
            v.ChineseFontName = previous->ChineseFontName;
        }
        const int rows = int((cells.size() + kPerRow - 1) / kPerRow);
        v.Cols = kPerRow * kBlockCols + 1;
        v.Rows = rows * kBlockRows + 2;
        v.AllocatePage(0, 0, true, 0, 0);
        v.PaintBoxWidth = v.LeftMargin + v.CellWidth * v.Cols + v.RightMargin;
        v.PaintBoxHeight = v.TopMargin + v.CellHeight * v.Rows + v.BottomMargin;
        // The cursor sits in the last row, away from every symbol.
        v.SelCol0 = v.SelCol1 = 0;
        v.SelRow0 = v.SelRow1 = v.Rows - 1;
        auto place = [&](std::size_t i, int& col, int& row) {
            col = int(i % kPerRow) * kBlockCols + 1;
            row = int(i / kPerRow) * kBlockRows + 1;
        };
        for (std::size_t i = 0; i < cells.size(); ++i) {
            int col, row;
            place(i, col, row);
            TCell c = cells[i];
            if (i < marks.size() && marks[i]) { // a mark spans from its own cell
                c.iEnd = col + 2;
                c.jEnd = row;
            }
            v.PageSets[0][0][std::size_t(row)][std::size_t(col)] = c;
        }
        QImage page(v.PaintBoxWidth, v.PaintBoxHeight, QImage::Format_RGB32);
        page.fill(Qt::white);
        {
            TQtCanvas canvas(&page);
            v.PaintBoxCanvas = &canvas;
            v.OutCanvas = &canvas;
            try {
                v.RedrawPage();
            } catch (...) {
                // A drawer that cannot draw here leaves its buttons with captions.
            }
            canvas.End();
            v.PaintBoxCanvas = nullptr;
            v.OutCanvas = nullptr;
        }
        // The page's own colour, from a cell that holds nothing.
        const QRgb bg = page.pixel(v.LeftMargin + v.CellWidth / 2, v.TopMargin + v.CellHeight / 2);
        for (std::size_t i = 0; i < cells.size(); ++i) {
            int col, row;
            place(i, col, row);
            const QRect box(v.LeftMargin + (col - 1) * v.CellWidth, v.TopMargin + (row - 1) * v.CellHeight,
                            kBlockCols * v.CellWidth, kBlockRows * v.CellHeight);
            faces[i] = CutFace(page, box, bg, size);
        }
    }
    frmMainTQ = previous;
    CurLayer = previousLayer;
    return faces;
}

} // namespace

std::map<int, QImage> DrawPaletteFaces(TPaletteFaceKind kind, const std::vector<int>& tags, int size) {
    std::vector<TCell> cells(tags.size());
    std::vector<int> marks(tags.size(), 0);
    for (std::size_t i = 0; i < tags.size(); ++i) {
        WriteFaceCell(kind, tags[i], cells[i]);
        marks[i] = kind == pfDynMark;
    }
    const std::vector<QImage> drawn = DrawBlocks(cells, marks, size, kind == pfGongche);
    std::map<int, QImage> faces;
    for (std::size_t i = 0; i < tags.size(); ++i)
        if (!drawn[i].isNull()) faces[tags[i]] = drawn[i];
    return faces;
}

std::vector<QImage> DrawCellFaces(const std::vector<TCell>& cells, int size) {
    return DrawBlocks(cells, {}, size, false);
}
