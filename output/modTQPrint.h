#pragma once
// Printing pages of the current score onto a print sink: a printer (or a PDF
// file through the printer) or, for tests, a recording sink.
#include <QImage>
#include <memory>
#include <string>
#include <vector>

class TCanvas;
class TMainView;
class QPrinter;
class TRecordingCanvas;

// One print run is one document: Begin, pages separated by NewPage, End.
class TPrintSink {
public:
    virtual ~TPrintSink() = default;
    virtual bool Begin() = 0;
    virtual int PageWidth() const = 0;  // device pixels
    virtual int PageHeight() const = 0;
    virtual void NewPage() = 0;
    // Draws the image as large as the page allows, keeping its proportions.
    virtual void DrawImage(const QImage& image) = 0;
    // The page itself, for drawing on it directly; valid between Begin and End.
    virtual TCanvas* PageCanvas() = 0;
    virtual bool End() = 0;
    // Before Begin: the pages go into this PDF file on paper of the given
    // size (inches, portrait) instead of to the printer; "" prints on the
    // printer again. Sinks without a printer behind them keep their target.
    virtual void SetPdfTarget(const std::string&, double, double) {}
    // Whether SetPdfTarget can send the pages into a file.
    virtual bool CanPrintToFile() const { return false; }
};

// Keeps what was sent, for tests.
class TRecordingPrintSink : public TPrintSink {
public:
    TRecordingPrintSink(int width, int height);
    ~TRecordingPrintSink() override;
    bool Begin() override;
    int PageWidth() const override { return width_; }
    int PageHeight() const override { return height_; }
    void NewPage() override;
    void DrawImage(const QImage& image) override;
    TCanvas* PageCanvas() override;
    bool End() override;

    int Documents = 0;             // Begin calls
    bool Open = false;
    std::vector<QImage> Pages;     // one image per page (null when drawn directly)
    // What was drawn directly, all pages; PageStarts[i] is the index of the
    // first call of page i.
    std::unique_ptr<TRecordingCanvas> Canvas;
    std::vector<size_t> PageStarts;

private:
    int width_, height_;
};

// Prints on a QPrinter; a PDF printer writes to a temporary file beside its
// target, renamed over the target at End. Pages are drawn in the printer's
// resolution.
class TQPrinterSink : public TPrintSink {
public:
    explicit TQPrinterSink(QPrinter& printer);
    ~TQPrinterSink() override;
    bool Begin() override;
    int PageWidth() const override;
    int PageHeight() const override;
    void NewPage() override;
    void DrawImage(const QImage& image) override;
    TCanvas* PageCanvas() override;
    bool End() override;
    void SetPdfTarget(const std::string& path, double widthInches, double heightInches) override;
    bool CanPrintToFile() const override { return true; }

private:
    struct TImpl;
    std::unique_ptr<TImpl> impl_;
};

// Puts back what a print or export run borrows from the view: zoom, page,
// output kind, grid, colour, canvas, the printing flag and the print scale, on
// every way out.
class TOutputStateGuard {
public:
    explicit TOutputStateGuard(TMainView& view);
    ~TOutputStateGuard();
    TOutputStateGuard(const TOutputStateGuard&) = delete;
    TOutputStateGuard& operator=(const TOutputStateGuard&) = delete;
    int Page() const { return page_; }

private:
    TMainView& v_;
    double zoom_;
    int page_, kind_;
    bool grid_, colour_, printing_;
    double printZoom_;
    TCanvas* canvas_;
};

// Fills image white and draws the view's current page into it.
void DrawPageOnImage(TMainView& view, QImage& image);

// A title typed for the page footer as score text (the Chinese code page);
// characters that code page cannot hold are left out.
std::string FooterTitleBytes(const QString& text);

struct TPrintOptions {
    bool AllPages = true;   // else the current page only
    int Copies = 1;
    int PageNumberBase = 0; // first page number printed; 0 prints none
    bool InColor = false;
    bool ShowGrid = false;         // grid lines on the pages
    bool IncludeFileName = false;  // the score's file name at the top right
};

// Pages to print: layer 0 less its trailing empty pages, at least 1.
int PrintPageCount();
// Bitmap width for a page of the sink: the largest of 1.0, 0.9 .. 0.3 times the
// page width whose image can be allocated; 0 when none (print directly).
int ChooseBitmapWidth(int pageWidth, int pageHeight);
// Prints the chosen pages and copies as one document through one bitmap of
// the given width. Zoom, page, grid, output kind and canvas of the view are
// restored on every way out. False when the sink fails.
bool PrintPagesByBitmap(TMainView& view, TPrintSink& sink, const TPrintOptions& options,
                        int bitmapWidth);
// The zoom of a page drawn straight on a sink's page of this size: the page's
// width across the sink's, or, on paper of other proportions where that
// would cut the page's foot, the page's height down the sink's.
double DirectPrintZoom(const TMainView& view, int pageWidth, int pageHeight);
// Prints the chosen pages and copies as one document drawn straight on the
// sink's pages (output kind 1). The current page only prints whatever its
// index; the view is put back as above.
bool PrintPagesDirect(TMainView& view, TPrintSink& sink, const TPrintOptions& options);
// Inside an open document: pages 0 .. pageCount - 1 of the view drawn on the
// sink's canvas, a new page between two; stops at the last page the current
// layer holds. The view must already draw on the sink (kind 1, its canvas).
void PrintAllPagesToPrinter(TMainView& view, TPrintSink& sink, int pageCount);
// The print command's run: by bitmap (the largest that can be had) when
// byBitmap is set and a bitmap can be allocated, else directly. True when
// printed.
bool PrintPages(TMainView& view, TPrintSink& sink, const TPrintOptions& options,
                bool byBitmap = true);
// Every page of layer 0 (trailing empty pages included, at least one), drawn
// directly, without the dialog: grid off, the footer as last set.
bool PrintScore(TMainView& view, TPrintSink& sink);
