#pragma once
// Book printing: which pages of which scores a run prints, with the running
// book page number and the margin side of each sheet.
#include <QImage>
#include <functional>
#include <vector>

#include "render/modTQMainView.h"

enum TBookMusicChoice { bmAll = 0, bmCurrent = 1, bmSelected = 2, bmSpecifiedPages = 3 };
enum TBookPrinterType { bpOneSide = 0, bpTwoSides = 1 };
enum TBookPrintSide { bsBoth = 0, bsFront = 1, bsBack = 2 };

struct TBookPrintOptions {
    bool IncludeMusic = true;
    int Music = bmAll;        // TBookMusicChoice
    int FromPage = 1, ToPage = 1000;
    int PrinterType = bpOneSide;
    int PrintSide = bsBoth;
    int CurrentRow = 1;       // 1-based row of the book grid (Current Music)
};

// One page a run sends to the printer.
struct TBookPageJob {
    int Entry = 0;        // index in the book
    int Page = 0;         // page of the score, from 0
    int BookPageNo = 0;   // number printed on the page
    int Sheet = 0;        // running sheet count
    bool SwapMargins = false;
};

// Front side: odd sheets; back side: even sheets; both: every sheet.
bool IsPrintSideOk(int printSide, int sheetCount);
// The pages of a run. Only entries that exist count; every page of a counted
// score advances the sheet and book page numbers, printed or not. Specified
// Pages compares the book page number printed on the page.
std::vector<TBookPageJob> PlanBookRun(const std::vector<TMusic>& musics,
                                      const TBookPrintOptions& options);

// Running counters of a book run.
struct TBookRunState {
    int SheetCount = 0;
    int BookPageNo = 0;
};
// Walks the pages of one loaded score (entry index, pageCount pages): every
// page advances the sheet and book page numbers; a page to print (print set,
// inside Specified Pages, on the side printed) goes to printPage. The walk
// ends early, returning false, when printPage returns false.
bool PrintMusicPages(TBookRunState& state, int entry, int pageCount, bool print,
                     const TBookPrintOptions& options,
                     const std::function<bool(const TBookPageJob&)>& printPage);

class TPrintSink;
struct TBookPrintRun {
    bool InColor = false;
    bool TitleOnBottom = false;
    bool FileNameOnTop = false;
    std::function<bool()> Cancelled;        // tested before each score and page
    std::function<void(int)> Progress;      // gauge 0..1000
};
// Prints the book as one document on sink. Each score is loaded into a holder
// that frmMainTQ (and CurLayer) name while it prints; both are put back on
// every way out. Returns the number of pages printed (0 when the document
// could not be finished: a PDF file not written).
int PrintBook(const std::vector<TMusic>& musics, const TBookPrintOptions& options,
              const TBookPrintRun& run, TPrintSink& sink);
// Renders page job.Page of the score in holder (the current score while it
// runs) into image at its width, with the book's marks, and sends it to sink:
// the document is begun by the first page (documentOpen set), later pages
// start a new page. Black and white unless run.InColor. False when cancelled
// or the sink cannot begin.
bool PrintBookPage(TMainView& holder, QImage& image, const TMusic& entry, const TBookPageJob& job,
                   const TBookPrintRun& run, TPrintSink& sink, bool& documentOpen);
