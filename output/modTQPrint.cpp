#include "output/modTQPrint.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cstdio>

#include "model/modTQRowQuery.h"
#include "platform/core/TQCodec.h"
#include "platform/core/TQFiles.h"
#include "platform/gui/TQQtCanvas.h"
#include "platform/gui/TQRecordingCanvas.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQMainView.h"

TRecordingPrintSink::TRecordingPrintSink(int width, int height)
    : Canvas(std::make_unique<TRecordingCanvas>(TSize{width, height})), width_(width), height_(height) {}
TRecordingPrintSink::~TRecordingPrintSink() = default;

bool TRecordingPrintSink::Begin() {
    ++Documents;
    Open = true;
    Pages.emplace_back();
    PageStarts.push_back(Canvas->size());
    return true;
}
void TRecordingPrintSink::NewPage() {
    Pages.emplace_back();
    PageStarts.push_back(Canvas->size());
}
void TRecordingPrintSink::DrawImage(const QImage& image) { Pages.back() = image.copy(); }
TCanvas* TRecordingPrintSink::PageCanvas() { return Canvas.get(); }
bool TRecordingPrintSink::End() {
    Open = false;
    return true;
}

namespace {
constexpr int kScreenPixelsPerInch = 96;
} // namespace

struct TQPrinterSink::TImpl {
    QPrinter& printer;
    std::unique_ptr<TQtCanvas> canvas;
    // A PDF target: the document is made in memory and written in one piece
    // through the safe replacement of files, so that a failed write leaves
    // the old file as it was and nothing outside the target's folder is
    // touched.
    std::string target; // "" for a real printer
    QByteArray pdf;
    std::unique_ptr<QBuffer> buffer;
    std::unique_ptr<QPdfWriter> writer;
};

TQPrinterSink::TQPrinterSink(QPrinter& printer) : impl_(new TImpl{printer, {}, {}, {}, {}, {}}) {}
TQPrinterSink::~TQPrinterSink() {
    if (impl_->canvas)
        impl_->canvas->End();
}

bool TQPrinterSink::Begin() {
    impl_->target.clear();
    impl_->writer.reset();
    impl_->buffer.reset();
    impl_->pdf.clear();
    QPaintDevice* device = &impl_->printer;
    if (impl_->printer.outputFormat() == QPrinter::PdfFormat) {
        impl_->target = impl_->printer.outputFileName().toStdString();
        if (impl_->target.empty())
            return false;
        // The PDF is made in memory and written whole through the safe
        // replacement of files when the print ends.
        impl_->buffer = std::make_unique<QBuffer>(&impl_->pdf);
        if (!impl_->buffer->open(QIODevice::WriteOnly))
            return false;
        impl_->writer = std::make_unique<QPdfWriter>(impl_->buffer.get());
        impl_->writer->setCreator(QStringLiteral("Tonquill"));
        impl_->writer->setTitle(impl_->printer.docName());
        impl_->writer->setResolution(impl_->printer.resolution());
        impl_->writer->setPageLayout(impl_->printer.pageLayout());
        device = impl_->writer.get();
    }
    // Points count as on the screen (96 pixels per inch): a page drawn at the
    // zoom that fills the printer's page is the screen's page at that zoom,
    // font sizes included, only in the printer's pixels.
    impl_->canvas = std::make_unique<TQtCanvas>(device, kScreenPixelsPerInch);
    return impl_->canvas->Painter() != nullptr;
}
void TQPrinterSink::SetPdfTarget(const std::string& path, double widthInches, double heightInches) {
    QPrinter& printer = impl_->printer;
    if (path.empty()) {
        printer.setOutputFileName(QString());
        printer.setOutputFormat(QPrinter::NativeFormat);
        return;
    }
    const QPageLayout::Orientation orientation = printer.pageLayout().orientation();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(path));
    // A printer's high resolution makes a page bitmap of half a gigabyte in
    // a PDF file; 300 per inch is a printed page's.
    if (printer.resolution() > 300)
        printer.setResolution(300);
    if (widthInches > 0.0 && heightInches > 0.0)
        printer.setPageSize(QPageSize(QSizeF(widthInches, heightInches), QPageSize::Inch, QString(),
                                      QPageSize::FuzzyMatch));
    printer.setPageOrientation(orientation);
}

int TQPrinterSink::PageWidth() const {
    return impl_->printer.pageLayout().paintRectPixels(impl_->printer.resolution()).width();
}
int TQPrinterSink::PageHeight() const {
    return impl_->printer.pageLayout().paintRectPixels(impl_->printer.resolution()).height();
}
void TQPrinterSink::NewPage() {
    if (impl_->writer)
        impl_->writer->newPage();
    else
        impl_->printer.newPage();
}
void TQPrinterSink::DrawImage(const QImage& image) {
    QPainter* p = impl_->canvas ? impl_->canvas->Painter() : nullptr;
    if (!p || image.isNull())
        return;
    // As large as the page allows, in the image's own proportions, from the
    // page's top left.
    const double scale = std::min(static_cast<double>(PageWidth()) / image.width(),
                                  static_cast<double>(PageHeight()) / image.height());
    p->drawImage(QRectF(0.0, 0.0, image.width() * scale, image.height() * scale), image);
}
TCanvas* TQPrinterSink::PageCanvas() { return impl_->canvas.get(); }
bool TQPrinterSink::End() {
    bool ok = impl_->canvas != nullptr;
    if (impl_->canvas) {
        QPainter* p = impl_->canvas->Painter();
        ok = p != nullptr && p->end();
        impl_->canvas.reset();
    }
    if (!impl_->writer)
        return ok;
    impl_->writer.reset();
    impl_->buffer.reset();
    ok = ok && !impl_->pdf.isEmpty() &&
         WriteFileAtomic(impl_->target, std::string_view(impl_->pdf.constData(), std::size_t(impl_->pdf.size())));
    impl_->pdf.clear();
    return ok;
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

TOutputStateGuard::TOutputStateGuard(TMainView& view)
    : v_(view), zoom_(view.Zoom), page_(view.CurPage), kind_(view.OutputKind), grid_(view.ShowGrid),
      colour_(view.OutputInColor), printing_(view.Printing), printZoom_(view.PrintZoom), canvas_(view.OutCanvas) {}

TOutputStateGuard::~TOutputStateGuard() {
    v_.Zoom = static_cast<decltype(v_.Zoom)>(zoom_);
    v_.CurPage = page_;
    v_.OutputKind = kind_;
    v_.ShowGrid = grid_;
    v_.OutputInColor = colour_;
    v_.Printing = printing_;
    v_.PrintZoom = printZoom_;
    v_.OutCanvas = canvas_;
}

void DrawPageOnImage(TMainView& view, QImage& image) {
    image.fill(Qt::white);
    TQtCanvas canvas(&image);
    TCanvas* kept = view.OutCanvas;
    view.OutCanvas = &canvas;
    view.RedrawPage();
    view.OutCanvas = kept;
    canvas.End();
}

std::string FooterTitleBytes(const QString& text) {
    std::string bytes;
    for (const QChar ch : text)
        if (auto b = EncodeFromUserInput(QString(ch).toStdString(), csGB2312))
            bytes += *b;
    return bytes;
}

// The score's file name at the top right of a page drawn into a bitmap, at
// the footer's size.
static void WriteFileNameOnPage(TMainView& view, int pageWidth) {
    const int cw = view.GetCellWidth(), ch = view.GetCellHeight();
    SetFontSize(static_cast<float>(cw * view.FooterFontSize / 12));
    CanvasTextOutRight(static_cast<float>(pageWidth - 2 * cw), static_cast<float>(ch / 2), view.FileName);
}

bool PrintPagesByBitmap(TMainView& view, TPrintSink& sink, const TPrintOptions& options,
                        int bitmapWidth) {
    TOutputStateGuard guard(view);
    int pageCount = PrintPageCount();
    const int boxW = view.PaintBoxWidth > 0 ? view.PaintBoxWidth : sink.PageWidth();
    const int boxH = view.PaintBoxWidth > 0 ? view.PaintBoxHeight : sink.PageHeight();
    const int height = static_cast<int>(static_cast<long long>(bitmapWidth) * boxH / boxW);
    QImage image(bitmapWidth, height, QImage::Format_RGB32);
    if (image.isNull())
        return false;
    view.ShowGrid = options.ShowGrid;
    view.OutputKind = 2;
    view.OutputInColor = options.InColor;
    view.Zoom = static_cast<double>(bitmapWidth) / view.PageWidthUnits;
    view.PageNumberBase = options.PageNumberBase;
    if (!sink.Begin())
        return false;
    bool first = true;
    const int current = guard.Page();
    for (int copy = 0; copy < options.Copies; ++copy) {
        const int from = options.AllPages ? 0 : current;
        const int to = options.AllPages ? pageCount : current + 1;
        for (int p = from; p < to && p < pageCount; ++p) {
            const int held = static_cast<int>(view.PageSets[static_cast<std::size_t>(CurLayer == 1)].size());
            if (p >= held) {
                pageCount = held;
                break;
            }
            view.CurPage = p;
            image.fill(Qt::white);
            {
                TQtCanvas canvas(&image);
                view.OutCanvas = &canvas;
                view.RedrawPage();
                if (options.IncludeFileName)
                    WriteFileNameOnPage(view, bitmapWidth); // on the page's canvas, like the footer
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

void PrintAllPagesToPrinter(TMainView& view, TPrintSink& sink, int pageCount) {
    for (int p = 0; p < pageCount; ++p) {
        const int held = static_cast<int>(view.PageSets[static_cast<std::size_t>(CurLayer == 1)].size());
        if (p >= held)
            return;
        view.CurPage = p;
        view.RedrawPage();
        if (p < pageCount - 1 && p + 1 < held)
            sink.NewPage();
    }
}

double DirectPrintZoom(const TMainView& view, int pageWidth, int pageHeight) {
    // In double, as the screen's zoom is: a zoom a float's rounding away
    // from the screen's sets a text whose size falls on half a point a whole
    // point larger or smaller than on the screen.
    const double byWidth = static_cast<double>(pageWidth) / view.PageWidthUnits;
    if (view.PageHeightUnits <= 0 || pageHeight <= 0)
        return byWidth;
    // Paper of other proportions: the whole page, smaller. A page of the
    // paper's own shape fills its width (less than a unit of difference is
    // the rounding of the page's height).
    if ((view.PageHeightUnits - 1) * byWidth <= pageHeight)
        return byWidth;
    return static_cast<double>(pageHeight) / view.PageHeightUnits;
}

namespace {

// Draws pages straight on the sink: kind 1, the sink's canvas, zoom to its
// page width. The file name goes with the footer on this road.
bool PrintDirect(TMainView& view, TPrintSink& sink, int copies, bool allPages, int pageCount,
                 bool includeFileName) {
    TOutputStateGuard guard(view);
    const bool fileName = view.chkIncludeFileNameChecked;
    view.OutputKind = 1;
    view.chkIncludeFileNameChecked = includeFileName;
    if (!sink.Begin()) {
        view.chkIncludeFileNameChecked = fileName;
        return false;
    }
    view.OutCanvas = sink.PageCanvas();
    view.Zoom = DirectPrintZoom(view, sink.PageWidth(), sink.PageHeight());
    // The printed page is the screen's page at the printer's resolution: text
    // takes the same scale as every other mark, the page's zoom, and the
    // sink's canvas counts points as the screen does. The print size
    // adjustment scales text from there (at its default, not at all).
    view.PrintZoom = view.Zoom * (view.PrintZoom / TMainScore::DefaultPrintZoom);
    view.Printing = true;
    for (int copy = 0; copy < copies; ++copy) {
        if (copy > 0)
            sink.NewPage();
        if (allPages) {
            PrintAllPagesToPrinter(view, sink, pageCount);
        } else {
            view.CurPage = guard.Page();
            view.RedrawPage();
        }
    }
    view.OutCanvas = nullptr;
    view.chkIncludeFileNameChecked = fileName;
    view.OutputInColor = false;
    return sink.End();
}

} // namespace

bool PrintPagesDirect(TMainView& view, TPrintSink& sink, const TPrintOptions& options) {
    const bool grid = view.ShowGrid;
    view.ShowGrid = options.ShowGrid;
    view.OutputInColor = options.InColor;
    view.PageNumberBase = options.PageNumberBase;
    const bool ok = PrintDirect(view, sink, std::max(1, options.Copies), options.AllPages, PrintPageCount(),
                                options.IncludeFileName);
    view.ShowGrid = grid;
    return ok;
}

bool PrintPages(TMainView& view, TPrintSink& sink, const TPrintOptions& options, bool byBitmap) {
    const int width = byBitmap ? ChooseBitmapWidth(sink.PageWidth(), sink.PageHeight()) : 0;
    if (width <= 0)
        return PrintPagesDirect(view, sink, options);
    return PrintPagesByBitmap(view, sink, options, width);
}

bool PrintScore(TMainView& view, TPrintSink& sink) {
    const int pages = std::max(1, static_cast<int>(view.PageSets[0].size()));
    const bool grid = view.ShowGrid;
    view.ShowGrid = false;
    const bool ok = PrintDirect(view, sink, 1, true, pages, view.chkIncludeFileNameChecked);
    view.ShowGrid = grid;
    return ok;
}
