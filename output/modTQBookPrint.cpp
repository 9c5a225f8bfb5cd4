#include "output/modTQBookPrint.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>

#include "output/modTQPrint.h"
#include "platform/core/TQCodec.h"
#include "platform/gui/TQQtCanvas.h"

bool IsPrintSideOk(int printSide, int sheetCount) {
    switch (printSide) {
    case bsFront:
        return sheetCount % 2 == 1;
    case bsBack:
        return sheetCount % 2 == 0;
    default:
        return true;
    }
}

bool PrintMusicPages(TBookRunState& state, int entry, int pageCount, bool print,
                     const TBookPrintOptions& o,
                     const std::function<bool(const TBookPageJob&)>& printPage) {
    const bool backSwap = o.PrintSide == bsBack;
    for (int p = 0; p < pageCount; ++p) {
        const int sheet = ++state.SheetCount;
        const int bookPage = ++state.BookPageNo;
        bool swap = backSwap;
        if (o.PrinterType == bpTwoSides)
            swap = backSwap ? sheet % 2 == 1 : sheet % 2 == 0;
        if (o.Music == bmSpecifiedPages && (bookPage < o.FromPage || bookPage > o.ToPage))
            continue;
        if (print && IsPrintSideOk(o.PrintSide, sheet) && !printPage({entry, p, bookPage, sheet, swap}))
            return false;
    }
    return true;
}

namespace {

bool PrintsEntry(const TMusic& m, int index, const TBookPrintOptions& o) {
    if (o.Music == bmCurrent)
        return index + 1 == o.CurrentRow;
    if (o.Music == bmSelected)
        return m.Selected;
    return true;
}

} // namespace

std::vector<TBookPageJob> PlanBookRun(const std::vector<TMusic>& musics,
                                      const TBookPrintOptions& o) {
    std::vector<TBookPageJob> jobs;
    if (!o.IncludeMusic)
        return jobs;
    TBookRunState state;
    for (std::size_t i = 0; i < musics.size(); ++i) {
        const TMusic& m = musics[i];
        if (!m.Exists)
            continue;
        PrintMusicPages(state, static_cast<int>(i), m.PageCount, PrintsEntry(m, static_cast<int>(i), o), o,
                        [&jobs](const TBookPageJob& job) {
                            jobs.push_back(job);
                            return true;
                        });
    }
    return jobs;
}

namespace {

// Points frmMainTQ at a holder for the run and puts the window back.
struct TMainScoreSwap {
    TMainScore* kept = frmMainTQ;
    int keptLayer = CurLayer;
    explicit TMainScoreSwap(TMainScore* holder) { frmMainTQ = holder; }
    ~TMainScoreSwap() {
        frmMainTQ = kept;
        CurLayer = keptLayer;
    }
};

// Draws the page with the book's marks into image.
void DrawBookPage(TMainView& holder, QImage& image, const TMusic& entry, int bookPageNo,
                  const TBookPrintRun& run) {
    DrawPageOnImage(holder, image);
    const int w = image.width(), h = image.height();
    const int cw = static_cast<int>(holder.CellWidth * holder.Zoom);
    const int ch = static_cast<int>(holder.CellHeight * holder.Zoom);
    QPainter painter(&image);
    QFont font = painter.font();
    font.setPixelSize(std::max(1, cw * 2 / 3));
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetrics fm(font);
    const QString number = QString::number(bookPageNo);
    painter.drawText(w / 2 - fm.horizontalAdvance(number) / 2, h - ch, number);
    if (run.TitleOnBottom) {
        const QString title = QString::fromStdString(
            DecodeForDisplay(entry.Title, entry.TitleCharset).value_or(std::string()));
        painter.drawText(w - 2 * cw - fm.horizontalAdvance(title), h - ch, title);
    }
    if (run.FileNameOnTop) {
        const QString file = QString::fromStdString(entry.FileName);
        painter.drawText(w - 2 * cw - fm.horizontalAdvance(file), ch / 2 + fm.ascent(), file);
    }
}

} // namespace

int PrintBook(const std::vector<TMusic>& musics, const TBookPrintOptions& options,
              const TBookPrintRun& run, TPrintSink& sink) {
    const auto cancelled = [&run] { return run.Cancelled && run.Cancelled(); };
    const auto progress = [&run](int value) {
        if (run.Progress)
            run.Progress(value);
    };
    const int step = 1000 / (static_cast<int>(musics.size()) + 1);
    int printed = 0;
    bool open = false;
    {
        TMainView holder;
        TMainScoreSwap swap(&holder);
        TBookRunState state;
        progress(step);
        for (std::size_t i = 0; options.IncludeMusic && i < musics.size(); ++i) {
            const TMusic& m = musics[i];
            if (cancelled())
                break;
            if (!m.Exists || !holder.OpenScore(m.FileName, &holder, false))
                continue;
            CurLayer = 0;
            // A stored page count above the pages held prints the pages held.
            const int pages =
                std::min(holder.PageCount, static_cast<int>(holder.PageSets[0].size()));
            const int left = holder.LeftMargin, right = holder.RightMargin;
            const int width = sink.PageWidth();
            // A holder has no paint box: the page's proportions come from its grid.
            const int boxW = holder.LeftMargin + holder.CellWidth * holder.Cols + holder.RightMargin;
            const int boxH = holder.TopMargin + holder.CellHeight * holder.Rows + holder.BottomMargin;
            if (boxW <= 0 || boxH <= 0)
                continue;
            QImage image(width, std::max(1, static_cast<int>(static_cast<long long>(width) * boxH / boxW)),
                         QImage::Format_RGB32);
            if (image.isNull())
                break;
            holder.OutputKind = 2;
            holder.ShowGrid = false;
            holder.OutputInColor = run.InColor;
            holder.Zoom = static_cast<float>(width) / holder.PageWidthUnits;
            const bool walked = PrintMusicPages(
                state, static_cast<int>(i), pages, PrintsEntry(m, static_cast<int>(i), options), options,
                [&](const TBookPageJob& job) {
                    holder.LeftMargin = job.SwapMargins ? right : left;
                    holder.RightMargin = job.SwapMargins ? left : right;
                    if (!PrintBookPage(holder, image, m, job, run, sink, open))
                        return false;
                    ++printed;
                    return true;
                });
            const bool stop = !walked;
            holder.LeftMargin = left;
            holder.RightMargin = right;
            progress((static_cast<int>(i) + 2) * step);
            if (stop)
                break;
        }
    }
    // A document that could not be finished (a PDF file not written) printed
    // nothing.
    if (open && !sink.End())
        printed = 0;
    progress(1000);
    return printed;
}

bool PrintBookPage(TMainView& holder, QImage& image, const TMusic& entry, const TBookPageJob& job,
                   const TBookPrintRun& run, TPrintSink& sink, bool& documentOpen) {
    const auto cancelled = [&run] { return run.Cancelled && run.Cancelled(); };
    if (cancelled())
        return false;
    holder.CurPage = job.Page;
    DrawBookPage(holder, image, entry, job.BookPageNo, run);
    if (cancelled())
        return false;
    if (!documentOpen) {
        if (!sink.Begin())
            return false;
        documentOpen = true;
    } else {
        sink.NewPage();
    }
    sink.DrawImage(run.InColor ? image : image.convertToFormat(QImage::Format_Grayscale8));
    return true;
}
