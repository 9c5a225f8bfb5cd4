#include "output/frmTQPrint.h"

#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>

#include "output/modTQImageExport.h"
#include "output/modTQPrint.h"
#include "render/modTQMainView.h"

void btnPrintClick(QWidget* parent) {
    TMainView& view = *MainView();
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, true);
    if (dialog.exec() != QDialog::Accepted)
        return;
    TPrintOptions options;
    options.AllPages = printer.printRange() != QPrinter::CurrentPage;
    options.Copies = std::max(1, printer.copyCount());
    printer.setCopyCount(1); // the copies are drawn into the one document
    options.PageNumberBase = 1;
    options.InColor = printer.colorMode() == QPrinter::Color;
    TQPrinterSink sink(printer);
    PrintPages(view, sink, options);
    view.RedrawPage();
}

void mitSavetoBMPClick(QWidget* parent) {
    TMainView& view = *MainView();
    QString selected;
    const QString name = QFileDialog::getSaveFileName(
        parent, QString(), QString(),
        QStringLiteral("JPEG Image Files (*.jpg);;Bitmap Image Files (*.bmp);;PDF Files (*.pdf)"),
        &selected, QFileDialog::DontConfirmOverwrite | QFileDialog::DontUseNativeDialog);
    if (name.isEmpty())
        return;
    const std::string file = name.toStdString();
    if (selected.contains(QStringLiteral("pdf")) || name.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(name.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)
                                      ? name
                                      : name + QStringLiteral(".pdf"));
        TQPrinterSink sink(printer);
        TPrintOptions options;
        options.PageNumberBase = 1;
        PrintPages(view, sink, options);
    } else {
        TExportOptions options;
        options.JpegChosen = !selected.contains(QStringLiteral("bmp"));
        ExportImages(view, file, options);
    }
    view.RedrawPage();
}
