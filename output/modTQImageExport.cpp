#include "output/modTQImageExport.h"
#include "output/modTQPrint.h"

#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>

#include "lang/modTQMessage.h"
#include "model/modTQMainScore.h"
#include "platform/gui/TQBitmap.h"
#include "platform/gui/TQQtCanvas.h"
#include "render/modTQMainView.h"
#include "model/modTQRowQuery.h"
#include "platform/core/TQFiles.h"

bool IsJpegFileName(const std::string& name) {
    const std::string ext = ExtractFileExt(name);
    return SameText(ext, ".jpg") || SameText(ext, ".jpeg");
}

std::string StripPageSuffix(const std::string& name) {
    const std::string ext = ExtractFileExt(name);
    std::string base = name.substr(0, name.size() - ext.size());
    const std::size_t stop = base.size() >= 5 ? base.size() - 5 : 0;
    for (std::size_t i = base.size(); i > stop; --i) {
        if (base[i - 1] != '_')
            continue;
        bool digits = true;
        for (std::size_t k = i; k < base.size(); ++k)
            if (base[k] < '1' || base[k] > '9')
                digits = false;
        if (digits)
            base.resize(i - 1);
        break;
    }
    return base + ext;
}

bool IsPdfFileName(const std::string& name) {
    return SameText(ExtractFileExt(name), ".pdf");
}

std::string ExportNameWithExtension(const std::string& chosen, TExportFormat format) {
    if (IsJpegFileName(chosen) || IsPdfFileName(chosen) || SameText(ExtractFileExt(chosen), ".bmp"))
        return chosen;
    return chosen + (format == efJpeg ? ".jpg" : format == efPdf ? ".pdf" : ".bmp");
}

std::vector<std::string> ExportFileNames(const std::string& name, int pageCount) {
    if (pageCount <= 1)
        return {name};
    const std::string stripped = StripPageSuffix(name);
    const std::string ext = ExtractFileExt(stripped);
    const std::string base = stripped.substr(0, stripped.size() - ext.size());
    std::vector<std::string> names;
    for (int p = 1; p <= pageCount; ++p)
        names.push_back(base + "_" + std::to_string(p) + ext);
    return names;
}

int CountExportPages() {
    int count = static_cast<int>(frmMainTQ->PageSets[0].size());
    while (count > 0 && IsPageEmpty(count - 1, 0))
        --count;
    return count;
}

namespace {

constexpr int kWriteErrorId = 1043;

// Writes image under name, in the format its extension names, through the
// safe replacement of files. A failure is told: an image that cannot be made
// with errorId (1026, 1066: they advise a smaller image), a file that cannot
// be written with the write error and its name.
bool SaveImageFile(const QImage& image, const std::string& name, bool inColor, int errorId) {
    std::string bytes;
    if (!EncodeImageFile(image, IsJpegFileName(name) ? TImageFormat::Jpeg : TImageFormat::Bmp, !inColor, -1, bytes)) {
        MessageById(mbOK, errorId, "", mkError);
        return false;
    }
    if (!WriteFileAtomic(name, bytes)) {
        MessageById(mbOK, kWriteErrorId, "\n" + name, mkError);
        return false;
    }
    return true;
}

} // namespace

std::vector<std::string> ExportPdf(TMainView& view, const std::string& name, const TExportOptions& options,
                                   bool* declined) {
    if (declined)
        *declined = false;
    if (FileExists(name) && MessageById(mbYesNo, kOverwriteQuestionId, "\n" + name, mkConfirmation) != mrYes) {
        if (declined)
            *declined = true;
        return {};
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(name));
    // The PDF page is the score's paper, edge to edge.
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(
        QPageSize(QSizeF(view.PaperWidth, view.PaperHeight), QPageSize::Inch, QString(), QPageSize::FuzzyMatch),
        view.PaperOri == 0 ? QPageLayout::Portrait : QPageLayout::Landscape, QMarginsF(0, 0, 0, 0)));
    // Points on the page are counted at 1200 per inch: the PDF holds vectors
    // and text, so the resolution only sets how finely they are placed.
    printer.setResolution(1200);
    TQPrinterSink sink(printer);
    TPrintOptions print;
    print.AllPages = options.Range == erAllPages;
    print.InColor = options.InColor;
    print.PageNumberBase = options.PageNumberBase;
    if (!PrintPagesDirect(view, sink, print)) {
        MessageById(mbOK, kWriteErrorId, "\n" + name, mkError);
        return {};
    }
    return {name};
}

std::vector<std::string> ExportImages(TMainView& view, const std::string& chosenName,
                                      const TExportOptions& options, bool* declined) {
    if (declined)
        *declined = false;
    const std::string name = ExportNameWithExtension(chosenName, options.Format);
    if (IsPdfFileName(name))
        return ExportPdf(view, name, options, declined);
    const int exportPages = CountExportPages();
    const bool multi = options.Range == erAllPages && exportPages > 1;
    const std::vector<std::string> names = ExportFileNames(name, multi ? exportPages : 1);
    std::string existing;
    for (const std::string& n : names)
        if (FileExists(n))
            existing += "\n" + n;
    if (!existing.empty() &&
        MessageById(mbYesNo, kOverwriteQuestionId, existing, mkConfirmation) != mrYes) {
        if (declined)
            *declined = true;
        return {};
    }

    const int errorId = IsJpegFileName(name) ? kJpegExportErrorId : kBmpExportErrorId;
    TOutputStateGuard guard(view);
    view.ShowGrid = false;
    view.OutputInColor = options.InColor;
    view.PageNumberBase = options.PageNumberBase; // kept after the export
    std::vector<std::string> written;
    if (options.Range == erSelectedArea) {
        TBitmap bitmap;
        if (!view.RenderSelectionToBitmap(bitmap, options.Width, 2)) {
            MessageById(mbOK, errorId, "", mkError);
            return {};
        }
        if (!SaveImageFile(bitmap.Image(), name, options.InColor, errorId))
            return {};
        return {name};
    }
    const int boxW = view.PaintBoxWidth > 0 ? view.PaintBoxWidth : 1;
    const int height =
        static_cast<int>(static_cast<long long>(options.Width) * view.PaintBoxHeight / boxW);
    QImage image(options.Width, height > 0 ? height : 1, QImage::Format_RGB32);
    if (image.isNull()) {
        MessageById(mbOK, errorId, "", mkError);
        return {};
    }
    view.OutputKind = 2;
    view.Zoom = static_cast<float>(options.Width) / view.PageWidthUnits;
    for (std::size_t i = 0; i < names.size(); ++i) {
        view.CurPage = multi ? static_cast<int>(i) : guard.Page();
        DrawPageOnImage(view, image);
        if (!SaveImageFile(image, names[i], options.InColor, errorId))
            return written;
        written.push_back(names[i]);
    }
    return written;
}
