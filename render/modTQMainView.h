#pragma once
// The drawing part of the main window: output canvas and kind, colour
// switches, view modes, highlights, footer values and the drawing engine.
//
// The main window derives from it; a hidden holder of another score is one
// more object of this kind. Drawers reach the current one through MainView().
#include <string>
#include <vector>

#include "model/modTQMainScore.h"
#include "platform/gui/TQCanvas.h"
#include "render/modTQDrawEngine.h"

class TMainView : public TMainScore {
public:
    TMainView();
    ~TMainView() override;

    // The canvas every drawer paints on when none is passed.
    TCanvas* OutCanvas = nullptr;
    // 0 screen, 1 printer, 2 off-screen page, 3 copied image of the page.
    int OutputKind = 0;
    bool OutputInColor = false;     // colour on printer and off-screen output
    bool ColorCopyImage = false;    // colour in copied page images
    bool ColorBlackkeyNote = false; // black-key note heads in the sharp and flat colours
    int SliceView = 0;
    bool ShowGrid = true;
    bool GongChiMode = false;       // cursor steps of two columns
    bool SlurMode = false;          // no slurs over the small notes of shrunk cells
    std::vector<TMeasure> Highlights;
    int FooterFontSize = 8;
    int PageNumberBase = 0;         // added to the page number of a print or export run
    int CurClef = -1;               // clef of the row being drawn

    // The paint box: its canvas and size in pixels. CalcPageGrid sizes it to the
    // page through OnPageResized; a window that replaces that hook sets the size.
    TCanvas* PaintBoxCanvas = nullptr;
    int PaintBoxWidth = 0;
    int PaintBoxHeight = 0;
    // The window's own font (slice-view label, screen text correction).
    std::string MainFontName = "Arial";
    int MainFontCharset = 1;
    int MainFontHeight = -11;
    // Sets ScreenTextShift and ScreenTextScale from MainFontHeight; the window
    // calls it when it is first shown.
    void SetScreenTextCorrection() const;

    // Controls the drawers read; the window keeps them up to date.
    bool mitShowOwnerCellChecked = false;   // menu "Show Owner Cell"
    bool CrescendoMode = false;             // menu "Hide" > "Crescendo": no hairpins
    bool mitFixedKeyChecked = false;        // menu "Fixed-doh"
    int btnLayerImageIndex = 60;            // 60 while layer 0 is shown, 61 for layer 1
    bool timMoveWestNoteEnabled = false;    // a Western note is being moved
    bool chkIncludeFileNameChecked = false; // print dialog: file name on printed pages
    bool PlayerPlaying = false;             // the play window is playing

    // A whole-page draw through the work bitmap failed at this zoom (rounded);
    // from then on pages at this zoom or above are drawn directly.
    int RedrawFailZoom = -1000;

    TDrawEngine DrawEngine;

    // Index in Highlights of the first record of the current page that marks
    // the whole row; -1 when none.
    int FindRowHighlight(int row) const;
    // Draws a range (whole false) or the whole page; see DrawPage.
    void DrawPageRange(int col0, int row0, int col1, int row1, bool whole);
    void RedrawPage();
    // Prepares drawing onto the printer whose canvas is given: printer output,
    // page numbers from 0, no grid, and a zoom that maps the page width in page
    // units onto the printer's page width. The caller restores Zoom, ShowGrid,
    // OutputKind and OutCanvas afterwards.
    void SetPrinterOutput(TCanvas* printerCanvas);
};

// The current main window as its drawing part. Drawing with no main window, or
// with one that has no drawing part, is a programming error: it throws
// std::logic_error.
TMainView* MainView();
