#include "output/modTQPrint.h"

#include <QPainter>
#include <QPrinter>
#include <cstdio>

#include "model/modTQRowQuery.h"
#include "platform/core/TQFiles.h"
#include "platform/gui/TQQtCanvas.h"
#include "render/modTQMainView.h"

bool TRecordingPrintSink::Begin() {
    ++Documents;
    Open = true;
    Pages.emplace_back();
    return true;
}
void TRecordingPrintSink::NewPage() { Pages.emplace_back(); }
void TRecordingPrintSink::DrawImage(const QImage& image) { Pages.back() = image.copy(); }
bool TRecordingPrintSink::End() {
    Open = false;
    return true;
}

struct TQPrinterSink::TImpl {
    QPrinter& printer;
    QPainter painter;
    std::string target; // PDF file, "" for a real printer
    std::string temp;
};

TQPrinterSink::TQPrinterSink(QPrinter& printer) : impl_(new TImpl{printer, {}, {}, {}}) {}
TQPrinterSink::~TQPrinterSink() {
    if (impl_->painter.isActive())
        impl_->painter.end();
    if (!impl_->temp.empty())
        std::remove(impl_->temp.c_str());
}

bool TQPrinterSink::Begin() {
    if (impl_->printer.outputFormat() == QPrinter::PdfFormat) {
        impl_->target = impl_->printer.outputFileName().toStdString();
        impl_->temp = impl_->target + ".tmp";
        impl_->printer.setOutputFileName(QString::fromStdString(impl_->temp));
    }
    return impl_->painter.begin(&impl_->printer);
}
int TQPrinterSink::PageWidth() const {
    return impl_->printer.pageLayout().paintRectPixels(impl_->printer.resolution()).width();
}
int TQPrinterSink::PageHeight() const {
    return impl_->printer.pageLayout().paintRectPixels(impl_->printer.resolution()).height();
}
void TQPrinterSink::NewPage() { impl_->printer.newPage(); }
void TQPrinterSink::DrawImage(const QImage& image) {
    impl_->painter.drawImage(QRect(0, 0, PageWidth(), PageHeight()), image);
}
bool TQPrinterSink::End() {
    const bool ok = impl_->painter.end();
    if (impl_->temp.empty())
        return ok;
    impl_->printer.setOutputFileName(QString::fromStdString(impl_->target));
    const std::string temp = std::move(impl_->temp);
    impl_->temp.clear();
    if (!ok || std::rename(temp.c_str(), impl_->target.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

int PrintPageCount() {
    int count = static_cast<int>(frmMainTQ->PageSets[0].size());
    while (count > 0 && IsPageEmpty(count - 1, 0))
        --count;
    return count < 1 ? 1 : count;
}

int ChooseBitmapWidth(int pageWidth, int pageHeight) {
    for (int tenth = 10; tenth >= 3; --tenth) {
        const int w = pageWidth * tenth / 10;
        const int h = pageHeight * tenth / 10;
        if (w > 0 && h > 0 && !QImage(w, h, QImage::Format_RGB32).isNull())
            return w;
    }
    return 0;
}

namespace {

// Puts back what a print run borrows from the view.
struct TViewStateGuard {
    TMainView& v;
    decltype(TMainView::Zoom) zoom;
    int page, kind;
    bool grid;
    TCanvas* canvas;
    explicit TViewStateGuard(TMainView& view)
        : v(view), zoom(view.Zoom), page(view.CurPage), kind(view.OutputKind),
          grid(view.ShowGrid), canvas(view.OutCanvas) {}
    ~TViewStateGuard() {
        v.Zoom = zoom;
        v.CurPage = page;
        v.OutputKind = kind;
        v.ShowGrid = grid;
        v.OutCanvas = canvas;
    }
};

} // namespace

bool PrintPagesByBitmap(TMainView& view, TPrintSink& sink, const TPrintOptions& options,
                        int bitmapWidth) {
    TViewStateGuard guard(view);
    const int pageCount = PrintPageCount();
    const int boxW = view.PaintBoxWidth > 0 ? view.PaintBoxWidth : sink.PageWidth();
    const int boxH = view.PaintBoxWidth > 0 ? view.PaintBoxHeight : sink.PageHeight();
    const int height = static_cast<int>(static_cast<long long>(bitmapWidth) * boxH / boxW);
    QImage image(bitmapWidth, height, QImage::Format_RGB32);
    if (image.isNull())
        return false;
    view.ShowGrid = false;
    view.OutputKind = 2;
    view.OutputInColor = options.InColor;
    view.Zoom = static_cast<float>(bitmapWidth) / view.PageWidthUnits;
    view.PageNumberBase = options.PageNumberBase;
    if (!sink.Begin())
        return false;
    bool first = true;
    const int current = guard.page;
    for (int copy = 0; copy < options.Copies; ++copy) {
        const int from = options.AllPages ? 0 : current;
        const int to = options.AllPages ? pageCount : current + 1;
        for (int p = from; p < to; ++p) {
            if (p >= static_cast<int>(view.PageSets[static_cast<std::size_t>(CurLayer == 1)].size()))
                break;
            view.CurPage = p;
            image.fill(Qt::white);
            {
                TQtCanvas canvas(&image);
                view.OutCanvas = &canvas;
                view.RedrawPage();
                view.OutCanvas = nullptr;
                canvas.End();
            }
            if (!first)
                sink.NewPage();
            first = false;
            if (view.OutputInColor)
                sink.DrawImage(image);
            else
                sink.DrawImage(image.convertToFormat(QImage::Format_Grayscale8));
        }
    }
    view.OutputInColor = false;
    return sink.End();
}

bool PrintPages(TMainView& view, TPrintSink& sink, const TPrintOptions& options) {
    const int width = ChooseBitmapWidth(sink.PageWidth(), sink.PageHeight());
    if (width <= 0)
        return false;
    return PrintPagesByBitmap(view, sink, options, width);
}
