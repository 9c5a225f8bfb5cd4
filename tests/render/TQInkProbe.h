#pragma once
// Which cell inked which pixels of a page, and where two cells ink the same
// pixel: the collision probe of the drawing tests.
//
// Each row is drawn cell by cell on a recording canvas (the calls of cell c
// are those the row's drawing from column 0 adds when it reaches c), and each
// call is replayed alone on the Qt canvas: its ink is the pixels it paints.
// A cell's ink is the union of its calls' ink, in classes: lines under
// everything (staff lines, long rules), joining strokes (underlines, beams,
// slurs and ties, bar lines: they meet their neighbours by design) and marks
// (everything else: digits, dots, signs, heads, text, symbols).
//
// Two different cells collide where a mark of one inks a pixel that the other
// inks with anything but lines under everything. Joining strokes of two cells
// may meet each other; a joining stroke may end on a mark of another cell
// only when that cell is named in the call's own list of ends (a slur's and a
// tie's end notes, a beam's stems): see TInkProbe::Touches.
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/gui/TQQtCanvas.h"
#include "platform/gui/TQRecordingCanvas.h"
#include "render/modTQMainView.h"

enum class TInkClass { Under, Joining, Mark };

struct TInkItem {
    int col = 0, row = 0;
    TInkClass kind = TInkClass::Mark;
    QRect box;    // ink box, page pixels
    QImage mask;  // box-sized, 0 = no ink
    std::string what;
};

struct TCollision {
    int colA, rowA, colB, rowB;
    int pixels;
    std::string whatA, whatB;
    QRect where;
};

class TInkProbe {
public:
    explicit TInkProbe(TMainView& v, int layer = 0) : v_(v) {
        const int saved = CurLayer;
        CurLayer = layer;
        TCanvas* kept = v.OutCanvas;
        const int cellW = v.GetCellWidth();
        for (int r = 0; r < v.Rows; ++r) {
            // What the row drew up to the previous cell; a call drawn again
            // (what the row draws after its cells) stays with the cell that
            // first drew it.
            std::multiset<std::string> previous;
            for (int c = 0; c < v.Cols; ++c) {
                TRecordingCanvas rec(TSize{v.PaintBoxWidth, v.PaintBoxHeight});
                v.OutCanvas = &rec;
                v.DrawEngine.DrawCells(0, r, c + 1, r + 1);
                std::multiset<std::string> now;
                for (size_t k = 0; k < rec.size(); ++k) {
                    const std::string key = rec[k].ToString();
                    now.insert(key);
                    const auto seen = previous.find(key);
                    if (seen != previous.end())
                        previous.erase(seen);
                    else
                        Add(rec[k], c, r, cellW);
                }
                previous = std::move(now);
            }
        }
        v.OutCanvas = kept;
        CurLayer = saved;
    }

    const std::vector<TInkItem>& Items() const { return items_; }

    // Pairs of cells whose ink meets against the rules above; touching pairs
    // the caller allows (allowed(a, b) true) are left out.
    template <class Allowed>
    std::vector<TCollision> Collisions(Allowed allowed, int minPixels = 1) const {
        std::vector<TCollision> found;
        for (size_t i = 0; i < items_.size(); ++i)
            for (size_t j = i + 1; j < items_.size(); ++j) {
                const TInkItem& a = items_[i];
                const TInkItem& b = items_[j];
                if ((a.col == b.col && a.row == b.row) || a.kind == TInkClass::Under || b.kind == TInkClass::Under)
                    continue;
                if (a.kind == TInkClass::Joining && b.kind == TInkClass::Joining)
                    continue;
                const QRect both = a.box.intersected(b.box);
                if (both.isEmpty() || allowed(a, b) || allowed(b, a))
                    continue;
                int n = 0;
                for (int y = both.top(); y <= both.bottom(); ++y)
                    for (int x = both.left(); x <= both.right(); ++x)
                        if (qGray(a.mask.pixel(x - a.box.left(), y - a.box.top())) < 255 - kInk &&
                            qGray(b.mask.pixel(x - b.box.left(), y - b.box.top())) < 255 - kInk)
                            ++n;
                if (n >= minPixels)
                    found.push_back({a.col, a.row, b.col, b.row, n, a.what, b.what, both});
            }
        return found;
    }

    static std::string Describe(const std::vector<TCollision>& list) {
        std::ostringstream s;
        for (const TCollision& c : list)
            s << "  cell (" << c.colA << "," << c.rowA << ") " << c.whatA << " and cell (" << c.colB << ","
              << c.rowB << ") " << c.whatB << ": " << c.pixels << " px at (" << c.where.left() << ","
              << c.where.top() << ")-(" << c.where.right() << "," << c.where.bottom() << ")\n";
        return s.str();
    }

private:
    static constexpr int kInk = 96; // darker than this much below white is ink

    void Add(const TCanvasCall& call, int col, int row, int cellW) {
        if (call.Op == TCanvasOp::SelectLogFont || call.Op == TCanvasOp::MoveTo)
            return;
        const int w = v_.PaintBoxWidth, h = v_.PaintBoxHeight;
        if (page_.isNull())
            page_ = QImage(w, h, QImage::Format_RGB32);
        page_.fill(Qt::white);
        {
            TQtCanvas canvas(&page_);
            Replay(call, canvas);
            canvas.End();
        }
        QRect box;
        for (int y = 0; y < h; ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(page_.constScanLine(y));
            for (int x = 0; x < w; ++x)
                if (qGray(line[x]) < 255 - kInk)
                    box |= QRect(x, y, 1, 1);
        }
        if (box.isEmpty())
            return;
        TInkItem item;
        item.col = col;
        item.row = row;
        item.box = box;
        item.mask = page_.copy(box);
        item.kind = Classify(call, box, cellW);
        item.what = Name(call);
        items_.push_back(std::move(item));
    }

    static void Replay(const TCanvasCall& call, TQtCanvas& c) {
        c.Pen = call.Pen;
        c.Brush = call.Brush;
        c.Font = call.Font;
        c.SelectLogFont(call.LogFont ? std::make_shared<TLogFont>(*call.LogFont) : nullptr);
        switch (call.Op) {
        case TCanvasOp::LineTo:
            if (call.Points.size() >= 2) {
                c.MoveTo(call.Points[0].x, call.Points[0].y);
                c.LineTo(call.Points[1].x, call.Points[1].y);
            }
            break;
        case TCanvasOp::Polyline: c.Polyline(call.Points); break;
        case TCanvasOp::Polygon: c.Polygon(call.Points); break;
        case TCanvasOp::Rectangle: c.Rectangle(call.Arg(0), call.Arg(1), call.Arg(2), call.Arg(3)); break;
        case TCanvasOp::FillRect: c.FillRect(call.RectArg()); break;
        case TCanvasOp::Ellipse: c.Ellipse(call.Arg(0), call.Arg(1), call.Arg(2), call.Arg(3)); break;
        case TCanvasOp::Arc:
            c.Arc(call.Arg(0), call.Arg(1), call.Arg(2), call.Arg(3), call.Arg(4), call.Arg(5), call.Arg(6),
                  call.Arg(7));
            break;
        case TCanvasOp::TextOut: c.TextOut(call.Arg(0), call.Arg(1), call.Text); break;
        case TCanvasOp::Draw:
            if (call.Bitmap)
                c.Draw(call.Arg(0), call.Arg(1), *call.Bitmap);
            break;
        case TCanvasOp::StretchDraw:
            if (call.Bitmap)
                c.StretchDraw(call.RectArg(), *call.Bitmap);
            break;
        case TCanvasOp::SetPixel: c.SetPixel(call.Arg(0), call.Arg(1), call.Arg(2)); break;
        default: break;
        }
    }

    // Long thin horizontal or vertical rules lie under everything; short
    // thin strokes, curves and open polylines join; the rest are marks.
    static TInkClass Classify(const TCanvasCall& call, const QRect& box, int cellW) {
        const bool thinH = box.height() <= std::max(3, cellW / 6);
        const bool thinV = box.width() <= std::max(3, cellW / 6);
        switch (call.Op) {
        case TCanvasOp::LineTo:
        case TCanvasOp::FillRect:
        case TCanvasOp::Rectangle:
            if (thinH && box.width() > 2 * cellW)
                return TInkClass::Under;
            if (thinH || thinV)
                return TInkClass::Joining;
            return TInkClass::Mark;
        case TCanvasOp::Arc:
        case TCanvasOp::Polyline:
            return TInkClass::Joining;
        default:
            return TInkClass::Mark;
        }
    }

    static std::string Name(const TCanvasCall& call) {
        if (call.Op == TCanvasOp::TextOut)
            return std::string("text \"") + call.Text + "\"";
        return CanvasOpName(call.Op);
    }

    TMainView& v_;
    QImage page_;
    std::vector<TInkItem> items_;
};
