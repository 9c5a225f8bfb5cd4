#pragma once
// The score part of the main window: the two layers of pages, the grid size,
// header values, page geometry, selection, file name and modified flag.
//
// The main window (app/) is made of this part, the drawing part (render/) and its
// widgets. Everything below the window reaches the current score through the one
// global pointer frmMainTQ and the global CurLayer; a hidden holder of a second
// score is another object of this kind that frmMainTQ does not point at.
#include <functional>
#include <string>
#include <vector>

#include "model/modTQCell.h"
#include "model/modTQUtil.h"

// A highlighted cell range {first column, last column, row, page, layer}.
struct TMeasure {
    int col0 = 0;
    int col1 = 0;
    int row = 0;
    int page = 0;
    int layer = 0;
    bool operator==(const TMeasure&) const = default;
};

class TMainScore {
public:
    TMainScore();
    virtual ~TMainScore();
    TMainScore(const TMainScore&) = delete;
    TMainScore& operator=(const TMainScore&) = delete;

    // --- the score ---
    TPageSets PageSets;
    int Cols = 0;
    int Rows = 0;
    int CurPage = 0;
    int PageCount = 1;

    // selection; (SelCol0, SelRow0) is the cursor cell
    int SelCol0 = 0, SelRow0 = 0, SelCol1 = 0, SelRow1 = 0;

    // fonts of the score (names are bytes in the code page of their charset)
    std::string NoteFontName = "Arial";
    int NoteFontCharset = 0;
    int NoteFontStyle = 1;
    std::string ChineseFontName = "SimSun";
    int ChineseFontCharset = 0;
    int ChineseFontStyle = 0;
    std::string EnglishFontName = "Times New Roman";
    int EnglishFontCharset = 0;
    int EnglishFontStyle = 1;

    // page geometry, in page units (1000 across an 8.5-inch width)
    int CellWidth = 15;
    int CellHeight = 30;
    int LeftMargin = 60, RightMargin = 30, TopMargin = 50, BottomMargin = 40;
    int PaperType = 0; // Letter, the 8.5 x 11 in sheet below
    float PaperWidth = 8.5f;
    float PaperHeight = 11.0f;
    int PaperOri = 0;
    int PageWidthUnits = 1000;
    int PageHeightUnits = 1294;
    int DrawUnit = 15;       // half the cell height
    double Zoom = 1.0;       // screen pixels per page unit
    // The print size adjustment (preference PrintAdj x 0.01): printed text is
    // the screen's at the default, larger or smaller in proportion otherwise.
    static constexpr float DefaultPrintZoom = 0.9f;
    // Scale used instead of Zoom while printing; as fine as Zoom, so that a
    // page printed at the screen's scale sets its fonts at the screen's sizes.
    double PrintZoom = DefaultPrintZoom;
    bool Printing = false;   // the printer is printing
    // The drawing engine's size factor (0.7 inside a reduced-size staff run); it
    // scales the y unit that every drawer sees.
    float DrawSizeFactor = 1.0f;
    // Extra vertical factor of the row height on screen (a preference of the
    // drawing engine); restoring cells by undo sets it back to 1.0.
    float VerticalRate = 1.0f;
    int PrintableWidth = 910;   // page less the margins, page units
    int PrintableHeight = 1204;

    // values kept with the score
    int PageNumberStart = 0;
    int HintMode = 0;
    float HintSize = 0.6f;
    int TextSymSize = 8;

    // files and folders
    std::string FileName;
    std::string PrintTitle;
    std::string ProgramFolder;    // with a trailing separator
    std::string SavedImageFolder; // where embedded images are written out
    bool SaveBinary = true;

    // modified flag; the window enables its save button from the hook
    bool Modified = false;
    std::function<void(bool)> OnModifiedChanged;
    void SetModified(bool modified);

    // --- page geometry and grid allocation ---
    // Recomputes page size, cell height, draw unit, printable size and grid size
    // from paper, margins and cell width, then calls OnPageResized. Paper, margins
    // or a cell width that leave less than one column or one row are refused:
    // false, and every geometry member keeps its value.
    bool CalcPageGrid();
    // The window sizes its paint box to the page in pixels (width, height).
    std::function<void(int, int)> OnPageResized;
    // Makes sure page `page` of the layer (-1: CurLayer) exists with the grid's
    // shape (Rows + 1 rows of Cols + 1 cells), and so every page created on the
    // way; then resets columns 0..Cols - 1 of every row, except the top-left block
    // of keepRows x keepCols cells when clearAll is false. False for a layer
    // other than 0, 1, -1 or a negative page.
    bool AllocatePage(int layer, int page, bool clearAll, int keepRows, int keepCols);
    bool AllocateCurrentLayerPage(int page, bool clearAll, int keepRows, int keepCols);
    // Sizes in screen pixels (round half up through the zoom).
    int GetCellWidth() const;   // x unit: CellWidth x Zoom
    int GetCellHeight() const;  // y unit: CellHeight x Zoom x VerticalRate x DrawSizeFactor
    int GetLeftMargin() const;
    int GetTopMargin() const;
    int GetPageWidthPx() const;
    int GetPageHeightPx() const;
    // One draw unit in device pixels: DrawUnit x (PrintZoom while printing, else Zoom).
    float GetDrawScale() const;
    // Layer 1 holds at least one page, no more than layer 0, and its page at
    // CurPage has the grid's rows.
    bool HasJianpuPage() const;
    // Layer 1 holds that page and it has the grid's rows.
    bool HasJianpuPageAt(int page) const;
    // Grows layer 1 to layer 0's page count; each new page gets the grid's shape
    // with every cell empty.
    void AddMissingJianpuPages();
};

// Page units in pixels at the zoom, to the nearest pixel. A zoom reckoned in
// single precision (a printer's page width over the page's units) lands a few
// millionths off its exact value: a size half-way between two pixels would
// round one way on the screen and the other on paper, and every column after
// it would stand a pixel further off. Such a size rounds up either way.
inline int ZoomedUnits(double units) { return RoundToInt(units + 1.0e-4); }

// Inline: the drawers ask for the units many times per cell.
inline int TMainScore::GetCellWidth() const { return ZoomedUnits(CellWidth * Zoom); }

inline int TMainScore::GetCellHeight() const {
    return ZoomedUnits(CellHeight * Zoom * static_cast<double>(VerticalRate) * static_cast<double>(DrawSizeFactor));
}

// The cell's option word has the cross-staff bit 0x40000 (a note drawn across two staves).
bool IsCrossStaff(const TCell& cell);

// The current score: the main window's score part.
extern TMainScore* frmMainTQ;
// The current layer, 0 or 1; -1 in a cell address means this layer.
extern int CurLayer;
