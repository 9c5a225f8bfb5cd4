// The picture of the selected block that Copy puts on the system clipboard,
// and the drawing of the selected block into a bitmap that image export uses.
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <cmath>

#include "platform/core/TQMessage.h"
#include "platform/gui/TQBitmap.h"
#include "render/modTQMainView.h"

namespace {

// A canvas that draws onto another one moved by (dx, dy): the page is drawn at
// its usual pixel places and lands in the bitmap with the block at its origin.
class TOffsetCanvas : public TCanvas {
public:
    TOffsetCanvas(TCanvas& target, int dx, int dy) : t_(target), dx_(dx), dy_(dy) {
        Pen = t_.Pen;
        Brush = t_.Brush;
        Font = t_.Font;
    }
    int PixelsPerInch() const override { return t_.PixelsPerInch(); }
    TSize Size() const override { return t_.Size(); }
    std::shared_ptr<TLogFont> SelectLogFont(std::shared_ptr<TLogFont> font) override {
        return t_.SelectLogFont(std::move(font));
    }
    std::shared_ptr<TLogFont> SelectedLogFont() const override { return t_.SelectedLogFont(); }
    void MoveTo(int x, int y) override { Sync().MoveTo(x + dx_, y + dy_); }
    void LineTo(int x, int y) override { Sync().LineTo(x + dx_, y + dy_); }
    TPoint PenPos() const override {
        const TPoint p = t_.PenPos();
        return {p.x - dx_, p.y - dy_};
    }
    void Polyline(const std::vector<TPoint>& points) override { Sync().Polyline(Moved(points)); }
    void Polygon(const std::vector<TPoint>& points) override { Sync().Polygon(Moved(points)); }
    void Rectangle(int x1, int y1, int x2, int y2) override { Sync().Rectangle(x1 + dx_, y1 + dy_, x2 + dx_, y2 + dy_); }
    void FillRect(const TRect& r) override {
        Sync().FillRect({r.Left + dx_, r.Top + dy_, r.Right + dx_, r.Bottom + dy_});
    }
    void Ellipse(int x1, int y1, int x2, int y2) override { Sync().Ellipse(x1 + dx_, y1 + dy_, x2 + dx_, y2 + dy_); }
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override {
        Sync().Arc(x1 + dx_, y1 + dy_, x2 + dx_, y2 + dy_, x3 + dx_, y3 + dy_, x4 + dx_, y4 + dy_);
    }
    void TextOut(int x, int y, const std::string& text) override { Sync().TextOut(x + dx_, y + dy_, text); }
    TSize TextExtent(const std::string& text) override { return Sync().TextExtent(text); }
    void Draw(int x, int y, const TBitmap& bitmap) override { Sync().Draw(x + dx_, y + dy_, bitmap); }
    void StretchDraw(const TRect& r, const TBitmap& bitmap) override {
        Sync().StretchDraw({r.Left + dx_, r.Top + dy_, r.Right + dx_, r.Bottom + dy_}, bitmap);
    }
    TColor GetPixel(int x, int y) override { return t_.GetPixel(x + dx_, y + dy_); }
    void SetPixel(int x, int y, TColor color) override { t_.SetPixel(x + dx_, y + dy_, color); }

private:
    TCanvas& Sync() {
        t_.Pen = Pen;
        t_.Brush = Brush;
        t_.Font = Font;
        return t_;
    }
    std::vector<TPoint> Moved(const std::vector<TPoint>& points) const {
        std::vector<TPoint> out(points);
        for (TPoint& p : out) {
            p.x += dx_;
            p.y += dy_;
        }
        return out;
    }
    TCanvas& t_;
    int dx_, dy_;
};

// Puts zoom, output canvas and output kind back on every way out.
class TOutputKeeper {
public:
    explicit TOutputKeeper(TMainView& v) : v_(v), zoom_(v.Zoom), canvas_(v.OutCanvas) {}
    ~TOutputKeeper() {
        v_.Zoom = zoom_;
        v_.OutCanvas = canvas_;
        v_.OutputKind = 0;
    }

private:
    TMainView& v_;
    double zoom_;
    TCanvas* canvas_;
};

} // namespace

int TMainView::CopyImageWidth(int quality, bool autoSize) const {
    const int w = SelCol1 - SelCol0 + 1;
    const int h = SelRow1 - SelRow0 + 1;
    const double q = quality < 10 ? quality * 0.08 + 0.2 : (quality - 10) * 0.2 + 1.0;
    double width = 50.0 * w;
    if (autoSize) {
        const int base = h < 2 ? 15000 : h < 4 ? 12000 : h < 8 ? 10000 : h < 10 ? 9000 : h < 12 ? 8000 : h < 16 ? 7000
                         : h < 20 ? 6000 : 5000;
        int px = Cols > 0 ? base * w / Cols : base;
        const int cellH = std::max(1, GetCellHeight());
        const int a = GetCellWidth() * w / cellH;
        if (a < h)
            px = static_cast<int>(static_cast<double>(a) / h * px);
        width = px;
    }
    return std::max(50, static_cast<int>(width * q));
}

bool TMainView::RenderSelectionToBitmap(TBitmap& bitmap, int width, int kind) {
    const int cols = SelCol1 - SelCol0 + 2;
    const int rows = SelRow1 - SelRow0 + 2;
    if (cols < 2 || rows < 2 || width <= 0 || CellWidth <= 0)
        return false;
    const int k = width / cols;
    const double aspect = static_cast<double>(std::max(1, GetCellHeight())) / std::max(1, GetCellWidth());
    const double height = std::ceil(k * aspect * rows);
    if (k <= 0 || height > 1.0e6 || !bitmap.SetSize(k * cols, static_cast<int>(height)) || bitmap.Width() == 0)
        return false;

    TOutputKeeper keep(*this);
    TCanvas& target = bitmap.Canvas();
    target.Brush.Color = clWhite;
    target.Brush.Style = bsSolid;
    target.FillRect({0, 0, bitmap.Width(), bitmap.Height()});
    Zoom = static_cast<double>(bitmap.Width()) / (static_cast<double>(CellWidth) * cols);
    // The point half a column left of and half a line above the block's first cell goes to (0, 0).
    const double x0 = GetLeftMargin() + (SelCol0 - 0.5) * GetCellWidth();
    const double y0 = GetTopMargin() + (SelRow0 - 0.5) * GetCellHeight();
    TOffsetCanvas shifted(target, -static_cast<int>(std::lround(x0)), -static_cast<int>(std::lround(y0)));
    OutCanvas = &shifted;
    OutputKind = kind;
    DrawEngine.DrawLayers(0, SelRow0, SelCol1 + 1, SelRow1 + 1);
    return true;
}

void TMainView::CopySelectionAsImage(int quality, bool autoSize) {
    CopyingImage = true;
    TBitmap bitmap;
    bitmap.SetMonochrome(!ColorCopyImage);
    int width = CopyImageWidth(quality, autoSize);
    bool done = false;
    for (int attempt = 0; attempt < 5 && !done; ++attempt) {
        if (RenderSelectionToBitmap(bitmap, width, 3)) {
            if (QGuiApplication::instance())
                QGuiApplication::clipboard()->setImage(bitmap.Image());
            done = true;
        } else {
            width = static_cast<int>(width * 0.8);
        }
    }
    CopyingImage = false;
    if (!done)
        MessageOkById(3131, "", mkWarning);
}
