#pragma once
// Which element of a page inked which pixels, and where two elements ink the
// same pixel: the collision probe of the drawing tests.
//
// The page's cells are drawn once on a recording canvas, which keeps with each
// call the element the drawing engine was drawing (a cell, or one small note of
// a cell of several), and each call is replayed alone on the Qt canvas: its ink
// is the pixels it paints. A call's ink is in one of three classes: lines under
// everything (staff lines, long rules), joining strokes (underlines, beams,
// slurs and ties, bar lines: they meet their neighbours by design) and marks
// (everything else: digits, dots, signs, heads, text, symbols).
//
// Two different elements collide where a mark of one inks a pixel that the
// other inks with anything but lines under everything. Joining strokes of two
// elements may meet each other; other touches notation intends are named by
// the caller (Collisions' allowed).
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "model/modTQPredicates.h"
#include "platform/gui/TQQtCanvas.h"
#include "platform/gui/TQRecordingCanvas.h"
#include "render/modTQMainView.h"
#include "tests/render/TQPageImage.h"
#include "tests/render/TQViewFixture.h"

enum class TInkClass { Under, Joining, Mark };

struct TInkItem {
    int col = 0, row = 0, part = 0; // the element: a cell, or a small note of it
    TInkClass kind = TInkClass::Mark;
    QRect box;    // ink box, page pixels
    QImage mask;  // box-sized, 0 = no ink
    std::string what;
};

struct TCollision {
    int colA, rowA, colB, rowB;
    int partA, partB;
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
        TRecordingCanvas rec(TSize{v.PaintBoxWidth, v.PaintBoxHeight});
        v.OutCanvas = &rec;
        v.DrawEngine.DrawCells(0, 0, v.Cols, v.Rows);
        v.OutCanvas = kept;
        CurLayer = saved;
        page_ = QImage(v.PaintBoxWidth, v.PaintBoxHeight, QImage::Format_RGB32);
        page_.fill(Qt::white);
        const int cellW = v.GetCellWidth();
        for (size_t k = 0; k < rec.size(); ++k)
            Add(rec[k], cellW);
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
                if ((a.col == b.col && a.row == b.row && a.part == b.part) || a.kind == TInkClass::Under || b.kind == TInkClass::Under)
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
                    found.push_back({a.col, a.row, b.col, b.row, a.part, b.part, n, a.what, b.what, both});
            }
        return found;
    }

    static std::string Describe(const std::vector<TCollision>& list) {
        std::ostringstream s;
        for (const TCollision& c : list)
            s << "  cell (" << c.colA << "," << c.rowA << (c.partA ? "/" + std::to_string(c.partA) : "") << ") "
              << c.whatA << " and cell (" << c.colB << "," << c.rowB
              << (c.partB ? "/" + std::to_string(c.partB) : "") << ") " << c.whatB << ": " << c.pixels << " px at (" << c.where.left() << ","
              << c.where.top() << ")-(" << c.where.right() << "," << c.where.bottom() << ")\n";
        return s.str();
    }

private:
    static constexpr int kInk = 96; // darker than this much below white is ink

    // A box that holds all the ink a call can paint (its coordinates, widened
    // by the pen and, for text, by the text's extent in every direction, as
    // text may be turned).
    QRect Reach(const TCanvasCall& call) const {
        const TRect r = call.InkReach();
        if (r.Right < r.Left)
            return {};
        QRect q(QPoint(r.Left, r.Top), QPoint(r.Right, r.Bottom));
        if (call.Op == TCanvasOp::TextOut) {
            const int e = 2 * std::max(call.Extent.cx, call.Extent.cy) + 16;
            q = QRect(call.Arg(0) - e, call.Arg(1) - e, 2 * e + 1, 2 * e + 1);
        }
        const int pen = std::max(1, call.Pen.Width) + 3;
        return q.adjusted(-pen, -pen, pen, pen).intersected(page_.rect());
    }

    void Add(const TCanvasCall& call, int cellW) {
        if (call.Op == TCanvasOp::SelectLogFont || call.Op == TCanvasOp::MoveTo)
            return;
        const QRect reach = Reach(call);
        if (reach.isEmpty())
            return;
        {
            TQtCanvas canvas(&page_);
            Replay(call, canvas);
            canvas.End();
        }
        QRect box;
        for (int y = reach.top(); y <= reach.bottom(); ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(page_.constScanLine(y));
            for (int x = reach.left(); x <= reach.right(); ++x)
                if (qGray(line[x]) < 255 - kInk)
                    box |= QRect(x, y, 1, 1);
        }
        TInkItem item;
        if (!box.isEmpty())
            item.mask = page_.copy(box);
        // The next call starts on white paper.
        {
            QPainter clean(&page_);
            clean.fillRect(reach, Qt::white);
        }
        if (box.isEmpty())
            return;
        item.col = call.OwnerCol;
        item.row = call.OwnerRow;
        item.part = call.OwnerPart;
        item.box = box;
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
        if (call.Op == TCanvasOp::TextOut) {
            // Music-font glyphs and Chinese text by their code points.
            std::string shown;
            for (const QChar ch : QString::fromUtf8(call.Text.c_str())) {
                if (ch.unicode() >= 0x20 && ch.unicode() < 0x7F)
                    shown += static_cast<char>(ch.unicode());
                else
                    shown += QString("U+%1").arg(ch.unicode(), 4, 16, QChar('0')).toUpper().toStdString();
            }
            return "text \"" + shown + "\"";
        }
        return CanvasOpName(call.Op);
    }

    TMainView& v_;
    QImage page_;
    std::vector<TInkItem> items_;
};

// The touches notation intends, by the two items that meet: the one list of
// exceptions of every collision check.
inline bool IntendedTouch(const TMainView& v, const TInkItem& a, const TInkItem& b) {
    if (a.row < 0 || a.col < 0 || a.row >= v.Rows || a.col >= v.Cols)
        return false;
    const TCell& ca = v.PageSets[0][0][static_cast<size_t>(a.row)][static_cast<size_t>(a.col)];
    // A slur, tie or tuplet curve ends on the notes it joins: the cells of its
    // own row from its start to its end.
    if (a.kind == TInkClass::Joining && (a.what == "Arc" || a.what == "Polyline") && a.row == b.row &&
        ca.markType != 0 && b.col >= a.col && b.col <= std::max(ca.iEnd, a.col + 1))
        return true;
    // A slur passes over a bar line (one of a row above too, where the slur
    // rises over its notes' octave dots at the row's top).
    if (b.row >= 0 && b.col >= 0 && b.row < v.Rows && b.col < v.Cols && ca.markType != 0 &&
        (a.what == "Arc" || a.what == "Polyline" || a.what == "Polygon") && b.what == "FillRect" &&
        b.kind == TInkClass::Joining && b.box.height() > 4 * b.box.width() &&
        IsBarLineCell(v.PageSets[0][0][static_cast<size_t>(b.row)][static_cast<size_t>(b.col)]))
        return true;
    // A stem meets the beam of its own group: the beams are the ink of the
    // group's last cell, the stem that of its note, whose row holds the
    // group's end (a combined-tail or a cross-staff group's) at the beam's
    // column.
    if (a.what == "Polygon" && b.what == "FillRect" && b.kind == TInkClass::Joining && b.box.height() > 4 * b.box.width() &&
        b.row >= 0 && b.row < v.Rows && b.col >= 0 && b.col <= a.col && a.col < v.Cols) {
        const auto& row = v.PageSets[0][0][static_cast<size_t>(b.row)];
        int end = b.col;
        while (end < v.Cols && !(row[static_cast<size_t>(end)].option & (0x4u | 0x200u)))
            ++end;
        if (end == a.col)
            return true;
    }
    return false;
}

inline std::vector<TCollision> Probe(TViewFixture& fx, int cols, int rows, int zoom) {
    FitPaintBox(fx.view, cols, rows, zoom);
    const TInkProbe probe(fx.view);
    return probe.Collisions([&](const TInkItem& a, const TInkItem& b) { return IntendedTouch(fx.view, a, b); });
}
