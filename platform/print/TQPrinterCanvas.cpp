#include "platform/print/TQPrinterCanvas.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

TQPrinterHolder::TQPrinterHolder(int resolution)
    : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    if (resolution > 0)
        printer_->setResolution(resolution);
}

TQPrinterHolder::~TQPrinterHolder() = default;

TQPrinterCanvas::TQPrinterCanvas(int resolution)
    : TQPrinterHolder(resolution), TQtCanvas(printer_.get(), printer_->resolution()) {
    SetAutoBegin(false);
}

TQPrinterCanvas::~TQPrinterCanvas() {
    if (printing_)
        EndDoc();
}

std::vector<std::string> TQPrinterCanvas::PrinterNames() {
    std::vector<std::string> names;
    for (const QString& n : QPrinterInfo::availablePrinterNames())
        names.push_back(n.toStdString());
    return names;
}

std::string TQPrinterCanvas::DefaultPrinterName() {
    return QPrinterInfo::defaultPrinterName().toStdString();
}

bool TQPrinterCanvas::SelectPrinter(const std::string& name) {
    if (printing_)
        return false;
    QPrinterInfo info = QPrinterInfo::printerInfo(QString::fromStdString(name));
    if (info.isNull())
        return false;
    printer_->setOutputFormat(QPrinter::NativeFormat);
    printer_->setPrinterName(info.printerName());
    return true;
}

std::string TQPrinterCanvas::PrinterName() const {
    return printer_->printerName().toStdString();
}

void TQPrinterCanvas::SetPdfFile(const std::string& path) {
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(QString::fromStdString(path));
}

void TQPrinterCanvas::SetOrientation(TPrinterOrientation orientation) {
    printer_->setPageOrientation(orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

TPrinterOrientation TQPrinterCanvas::Orientation() const {
    return printer_->pageLayout().orientation() == QPageLayout::Landscape ? poLandscape : poPortrait;
}

void TQPrinterCanvas::SetPaperSize(double widthInches, double heightInches) {
    if (widthInches <= 0 || heightInches <= 0)
        return;
    printer_->setPageSize(QPageSize(QSizeF(widthInches, heightInches), QPageSize::Inch));
}

void TQPrinterCanvas::SetTitle(const std::string& title) {
    printer_->setDocName(QString::fromStdString(title));
}

bool TQPrinterCanvas::BeginDoc() {
    if (printing_)
        return false;
    SetPixelsPerInch(printer_->resolution());
    if (!Begin())
        return false;
    printing_ = true;
    page_ = 1;
    return true;
}

bool TQPrinterCanvas::NewPage() {
    if (!printing_)
        return false;
    if (!printer_->newPage())
        return false;
    ++page_;
    return true;
}

bool TQPrinterCanvas::EndDoc() {
    if (!printing_)
        return false;
    printing_ = false;
    QPainter* p = Painter();
    bool ok = p && p->end();
    End();
    return ok;
}
